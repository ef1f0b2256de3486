// FixedMul24 on eight 32-bit lanes, for the AVX2 kernels of the tone bank and
// the limiter: the same 12-bit pieces, products and shifts as FixedMul24, each
// product kept as its low 32 bits as the plain version keeps them, so that
// every lane equals FixedMul24 of its own pair.
#pragma once

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

// gainLow = gain824 & 0xFFF and gainHigh = gain824 >> 12, lane by lane.
__attribute__((target("avx2"))) inline __m256i FixedMul24Lanes(__m256i a, __m256i gainLow,
                                                                __m256i gainHigh) {
  const __m256i aLow = _mm256_and_si256(a, _mm256_set1_epi32(0xFFF));
  const __m256i aHigh = _mm256_srai_epi32(a, 12);
  const __m256i lowByHigh = _mm256_srai_epi32(_mm256_mullo_epi32(aLow, gainHigh), 12);
  const __m256i highByLow = _mm256_srai_epi32(_mm256_mullo_epi32(aHigh, gainLow), 12);
  return _mm256_add_epi32(_mm256_add_epi32(lowByHigh, highByLow), _mm256_mullo_epi32(aHigh, gainHigh));
}

#endif
