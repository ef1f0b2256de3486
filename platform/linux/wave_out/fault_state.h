// The faults and observer set through wave_out_faults.h, as the waveOut calls
// and the devices consume them. Internal to the waveform output.
#pragma once

#include "platform/linux/wave_out/wave_out_faults.h"

// What a device takes over at open and keeps until it closes.
struct DeviceFaults {
  int stallAfterBuffers = -1;
  bool instantPacing = false;
  bool hangOpen = false;
  int hangAfterBuffers = -1;
  WaveOutSinkObserver observer = nullptr;
  void *observerContext = nullptr;
};

DeviceFaults FaultsForNewDevice();

// Each returns whether this call must fail, counting it off.
bool TakeOpenFault();
bool TakePrepareFault();

// Blocks while the faults say frozen.
void WaitWhileFrozen();
