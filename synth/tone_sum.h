// The tone bank's inner loop: the values of one channel's tones summed over a
// span of frames. One kernel per SimdPath, the plain one first as the
// reference; all give the same sums to the bit, since they add the same 32-bit
// values modulo 2^32, and the order of a wrapping integer sum does not matter.
#pragma once

#include <cstdint>

#include "synth/oscillator.h"
#include "synth/simd_path.h"

// sums[0..frames) becomes, modulo 2^32, the sum over oscillators[0..toneCount)
// of each one's next frames values; each oscillator's phase advances by frames
// steps.
void SumTones(SimdPath path, Oscillator *oscillators, int toneCount, uint32_t *sums, int frames,
              const int32_t *wavetable);

// One oscillator after another over the whole span.
void SumTonesPlain(Oscillator *oscillators, int toneCount, uint32_t *sums, int frames,
                   const int32_t *wavetable);

// The tones side by side, one per 32-bit lane of two registers: per frame one
// phase addition, one gather and (unless every gain is unity) one 8.24 multiply
// for eight tones, then the lanes summed. On the processors measured, a gather
// from the whole table beat both a quarter table that stays in the first-level
// cache (its mirroring costs more than the misses it saves) and one tone over
// eight frames at a time. Impulse banks go through the plain path.
void SumTonesAvx2(Oscillator *oscillators, int toneCount, uint32_t *sums, int frames,
                  const int32_t *wavetable);
