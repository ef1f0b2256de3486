#include "synth/oscillator.h"

#include "synth/amplitude_table.h"
#include "synth/wrap_convert.h"

uint32_t IncrementForFrequency(double hz) {
  return WrapToUint32(hz * kIncrementPerHz);
}

void Oscillator::Setup(double startHz, double endHz, int8_t db, bool impulse) {
  isImpulse = impulse;
  startIncrement = IncrementForFrequency(startHz);
  increment = startIncrement;
  sweepDelta = endHz * kIncrementPerHz - static_cast<double>(startIncrement);
  phase = 0;
  gain = AmplitudeTable::Gain(db);
}

void Oscillator::SetSweepPosition(double t) {
  // Through 64 bits: sweeps of 22,050 Hz or more, and t past 1, leave int32.
  increment = startIncrement + WrapToUint32(sweepDelta * t);
}

void Oscillator::Accumulate(uint32_t *sums, int count, const int32_t *wavetable) {
  uint32_t p = phase;
  const uint32_t step = increment;
  if (isImpulse) {
    for (int i = 0; i < count; ++i) {
      const uint32_t next = p + step;
      sums[i] += next < p ? static_cast<uint32_t>(kImpulseValue) : 0u;
      p = next;
    }
  } else if (gain == UnityGain) {
    // FixedMul24 at unity gives the entry exactly.
    for (int i = 0; i < count; ++i) {
      p += step;
      sums[i] += static_cast<uint32_t>(wavetable[p >> 17]);
    }
  } else if (gain == 0) {
    // FixedMul24 by 0 is 0 whatever the entry: only the phase moves.
    p += step * static_cast<uint32_t>(count);
  } else {
    const int32_t g = gain;
    for (int i = 0; i < count; ++i) {
      p += step;
      sums[i] += static_cast<uint32_t>(FixedMul24(wavetable[p >> 17], g));
    }
  }
  phase = p;
}
