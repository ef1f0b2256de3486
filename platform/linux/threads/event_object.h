// The kernel object behind an event handle. Internal to the platform layer: the
// waveform output uses it to check the event it is given at open.
#pragma once

#include "platform/linux/threads/sync_object.h"

class EventObject : public SyncObject {
 public:
  EventObject(bool manualReset, bool signalled) : manualReset(manualReset), signalled(signalled) {}

  bool IsSignalled() const override { return signalled; }
  void ConsumeSignal() override {
    if (!manualReset) signalled = false;
  }

  bool manualReset;
  bool signalled;
};

// Whether handle names a live event; takes SyncMutex.
bool IsEventHandle(HANDLE handle);
