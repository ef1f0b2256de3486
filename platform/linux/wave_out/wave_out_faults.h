// Test hooks of the waveform output: faults to inject and an observer of what
// reaches the sink. Not for the system's own code.
#pragma once

#include "platform/linux/wave_out/wave_out.h"

struct WaveOutFaults {
  // The next this many waveOutOpen calls fail with MMSYSERR_ALLOCATED, before
  // any sink is opened (so 1 fails the first try and lets a retry through).
  int openFailures = 0;
  // After this many more successful waveOutPrepareHeader calls (-1: never), the
  // next prepareFailures calls fail with MMSYSERR_NOMEM.
  int preparesBeforeFailure = -1;
  int prepareFailures = 1;
  // A device opened while this is >= 0 completes that many buffers and then no
  // more (as if the hardware had stopped); waveOutReset still returns them all.
  int stallAfterBuffers = -1;
  // Devices opened while this is set complete buffers of the clock-paced sinks
  // (null, wav) as soon as they reach the sink. What reaches the sink is the same.
  bool instantPacing = false;
  // Stand-ins for an output that stops answering (a frozen sound server):
  // while frozen is set, a device opened with hangOpen never finishes its
  // open, and one opened with hangAfterBuffers >= 0 hands that many buffers to
  // its sink and then blocks in the next write. Replacing the faults by ones
  // without frozen lets every such device go on. A device opened with either
  // is treated as an output that may block.
  bool frozen = false;
  bool hangOpen = false;
  int hangAfterBuffers = -1;
};

// Replaces every fault at once; SetWaveOutFaults({}) clears them.
void SetWaveOutFaults(const WaveOutFaults &faults);

// Called on a device's playback thread with each buffer's bytes as they are
// handed to the sink (whole frames only), in play order; null to remove. Set it
// while no device is open.
typedef void (*WaveOutSinkObserver)(const void *data, DWORD bytes, void *context);
void SetWaveOutSinkObserver(WaveOutSinkObserver observer, void *context);
