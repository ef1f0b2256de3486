// Oscillator: one tone on one channel of the tone bank, a 32-bit phase
// accumulator that reads a shared wavetable (or emits impulses). It owns no
// table and knows nothing of channels or sweep timing; ToneBankSource drives it.
#pragma once

#include <cstdint>

#include "synth/fixed_mul24.h"
#include "synth/wavetable.h"

// Phase increment per frame for 1 Hz at 44100 frames per second (2^32 / 44100).
constexpr double kIncrementPerHz = 97391.54866213152;

// The phase increment of a frequency: hz × kIncrementPerHz truncated and reduced
// modulo 2^32 (WrapToUint32). So a negative frequency runs the phase backwards,
// one at or above 44100 Hz aliases as a real converter would, and NaN or an
// infinity gives a standing tone.
uint32_t IncrementForFrequency(double hz);

struct Oscillator {
  // Prepares the tone from its start and end frequencies, its relative
  // amplitude and the impulse mark; the phase starts at 0, so tones start in
  // phase.
  void Setup(double startHz, double endHz, int8_t db, bool impulse);

  // Moves the increment to the sweep position t (0 at the start frequency,
  // 1 at the end): startIncrement + trunc(sweepDelta × t), modulo 2^32. t is not
  // clamped; past the duration the sweep carries on.
  void SetSweepPosition(double t);

  // One frame: advances the phase and returns the tone's value.
  int32_t Step(const int32_t *wavetable) {
    const uint32_t previous = phase;
    phase += increment;
    if (isImpulse) {
      return phase < previous ? kImpulseValue : 0;
    }
    return FixedMul24(wavetable[phase >> 17], gain);
  }

  // count frames at once, each value added (modulo 2^32) to sums[0..count);
  // the same values Step would give, in a loop the compiler can keep tight.
  void Accumulate(uint32_t *sums, int count, const int32_t *wavetable);

  bool isImpulse = false;
  uint32_t startIncrement = 0;
  uint32_t increment = 0;
  // End increment minus start increment, kept unrounded.
  double sweepDelta = 0.0;
  uint32_t phase = 0;
  int32_t gain = 0;
};
