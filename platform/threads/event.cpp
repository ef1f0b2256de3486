#include "platform/threads/event.h"

#include "platform/threads/sync_object.h"

namespace {

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

}  // namespace

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName) {
  if (lpName != nullptr) return nullptr;
  return (new EventObject(bManualReset != FALSE, bInitialState != FALSE))->Handle();
}

BOOL SetEvent(HANDLE hEvent) {
  std::lock_guard lock(SyncMutex());
  auto *event = FindSyncObjectAs<EventObject>(hEvent);
  if (event == nullptr) return FALSE;
  event->signalled = true;
  event->WakeWaiters();
  return TRUE;
}

BOOL ResetEvent(HANDLE hEvent) {
  std::lock_guard lock(SyncMutex());
  auto *event = FindSyncObjectAs<EventObject>(hEvent);
  if (event == nullptr) return FALSE;
  event->signalled = false;
  return TRUE;
}
