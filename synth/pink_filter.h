// The pink noise source's filter: Paul Kellet's refined pink filter, run over
// a stretch of white input in double precision. One kernel per SimdPath, the
// plain one first as the reference; every path does the same IEEE operations in
// the same order per sample, so the samples agree to the bit (the project
// builds without contraction into fused multiply-adds, which would not).
#pragma once

#include <cstdint>

#include "synth/simd_path.h"

struct PinkFilterState {
  double b0 = 0.0, b1 = 0.0, b2 = 0.0, b3 = 0.0, b4 = 0.0, b5 = 0.0, b6 = 0.0;
};

// out[i] = the filter's response to input[i], truncated toward zero, for count
// samples; state carries on from one call to the next.
void RunPinkFilter(SimdPath path, const double *input, int32_t *out, int32_t count,
                   PinkFilterState &state);

void RunPinkFilterPlain(const double *input, int32_t *out, int32_t count, PinkFilterState &state);

// The six poles side by side, b0 to b3 in one 256-bit register and b4, b5 in a
// 128-bit one: each update is one multiplication of the states, one of the
// input and one addition per register, lane for lane the plain version's. b5's
// s × −0.7616 − w × 0.016898 becomes s × −0.7616 + w × −0.016898, which is the
// same number: rounding to nearest is symmetric, and x − y is x + (−y). The
// sums, in the plain order, are then taken four samples at a time.
void RunPinkFilterAvx2(const double *input, int32_t *out, int32_t count, PinkFilterState &state);
