// The limiter's level arithmetic: the peak of a block and the 8.24 gain that
// brings a peak down to a threshold. Integer only, so the limiter's output is
// exact; not a meter (dB levels for display are the level meter's).
#pragma once

#include <cstdint>

#include "synth/fixed_mul24.h"
#include "synth/simd_path.h"

// The largest magnitude among frames × channels samples; 0 for an empty block.
// The magnitude of INT32_MIN is taken as INT32_MAX. One kernel per SimdPath:
// the plain one is the reference, and the largest and smallest values of a
// block do not depend on the order they are looked at in.
int32_t BlockPeak(SimdPath path, const int32_t *samples, int32_t frames, int32_t channels);
int32_t BlockPeak(const int32_t *samples, int32_t frames, int32_t channels);
// Eight running maxima and minima, merged at the end.
int32_t BlockPeakAvx2(const int32_t *samples, int32_t frames, int32_t channels);

// UnityGain when peak <= threshold, else ((threshold << 9) / ((peak + 64) >> 6))
// << 9, truncating: about threshold / peak, never above it. Computed in 64 bits,
// which changes nothing for the limiter's thresholds (at most 0x3fffff) and
// keeps larger ones defined; the result is held within 0 to UnityGain.
int32_t GainForPeak(int32_t peak, int32_t threshold);
