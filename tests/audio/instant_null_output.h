// The Linux output the player's and the wave buffers' tests play into: the
// null sink paced instantly, so that a play runs as fast as its feeder, with
// every buffer the sink receives handed to an observer of the test's.
#pragma once

#include <cstdlib>

#include "platform/linux/wave_out/wave_out_faults.h"

// Faults to inject from now on; the pacing stays instant.
inline void SetInstantFaults(WaveOutFaults faults) {
  faults.instantPacing = true;
  SetWaveOutFaults(faults);
}

inline void UseInstantNullOutput(WaveOutSinkObserver observer, void *context) {
  setenv("WENDREL_AUDIO", "null", 1);
  SetInstantFaults({});
  SetWaveOutSinkObserver(observer, context);
}

// Undoes UseInstantNullOutput: no observer, no faults, real pacing.
inline void ReleaseInstantNullOutput() {
  SetWaveOutSinkObserver(nullptr, nullptr);
  SetWaveOutFaults({});
}
