// The limiter's inner loop: a block of frames scaled by a gain that moves by a
// fixed step after every frame. One kernel per SimdPath, the plain one first as
// the reference; they give the same samples to the bit (the same FixedMul24 and
// the same wrapping 32-bit gain steps).
#pragma once

#include <cstdint>

#include "synth/simd_path.h"

// to[f × channels + c] = FixedMul24(from[f × channels + c], gain + f × step)
// for frames frames; every channel of a frame takes the same gain. Returns the
// gain after the last frame (gain + frames × step).
int32_t ApplyGainRamp(SimdPath path, const int32_t *from, int32_t *to, int32_t frames,
                      int32_t channels, int32_t gain, int32_t step);

int32_t ApplyGainRampPlain(const int32_t *from, int32_t *to, int32_t frames, int32_t channels,
                           int32_t gain, int32_t step);

// Eight samples at a time, each lane with its frame's gain (eight frames of
// mono, four of stereo); other channel counts and the last samples short of
// eight go through the plain loop.
int32_t ApplyGainRampAvx2(const int32_t *from, int32_t *to, int32_t frames, int32_t channels,
                          int32_t gain, int32_t step);
