#include "audio/sample_convert.h"

#include "synth/simd_path.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

void ConvertTo16(int16_t *out, const int32_t *in, int count) {
  switch (CurrentSimdPath()) {
    case SimdPath::kAvx2:
      ConvertTo16Avx2(out, in, count);
      return;
    case SimdPath::kPlain:
      break;
  }
  ConvertTo16Plain(out, in, count);
}

void ConvertTo16Plain(int16_t *out, const int32_t *in, int count) {
  for (int i = 0; i < count; ++i) {
    // Widened so that a stray sample near the int32 limit cannot overflow the
    // + 8; within the player's ±0x7fff0 the result is the same.
    int64_t shifted = (static_cast<int64_t>(in[i]) + 8) >> 4;
    out[i] = static_cast<int16_t>(static_cast<uint16_t>(shifted & 0xFFFF));
  }
}

#if defined(__x86_64__) || defined(__i386__)

__attribute__((target("avx2"))) void ConvertTo16Avx2(int16_t *out, const int32_t *in, int count) {
  const int vectorCount = count > 0 ? count - count % 8 : 0;
  const __m256i eight = _mm256_set1_epi32(8);
  for (int i = 0; i < vectorCount; i += 8) {
    const __m256i samples = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(in + i));
    // Bits 4 to 19 of in + 8 are the same whether the sum is taken in 64 bits
    // or wraps in 32, so the 32-bit lanes give the plain loop's low 16 bits.
    // Shifted up and back down, each lane holds them sign-extended, which the
    // saturating pack then keeps exactly.
    const __m256i shifted = _mm256_srai_epi32(_mm256_add_epi32(samples, eight), 4);
    const __m256i low16 = _mm256_srai_epi32(_mm256_slli_epi32(shifted, 16), 16);
    const __m128i packed = _mm_packs_epi32(_mm256_castsi256_si128(low16), _mm256_extracti128_si256(low16, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), packed);
  }
  ConvertTo16Plain(out + vectorCount, in + vectorCount, count - vectorCount);
}

#else

void ConvertTo16Avx2(int16_t *out, const int32_t *in, int count) {
  ConvertTo16Plain(out, in, count);
}

#endif

int32_t FramesToTenThousandths(int32_t frames, int32_t sampleRate) {
  if (sampleRate <= 0) return 0;
  // Split so that (frames mod rate) × 10000 stays small; 64 bits only guard
  // rates and positions far beyond anything a source produces.
  int64_t whole = static_cast<int64_t>(frames / sampleRate) * 10000;
  int64_t part = static_cast<int64_t>(frames % sampleRate) * 10000 / sampleRate;
  int64_t result = whole + part;
  if (result > INT32_MAX) return INT32_MAX;
  if (result < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(result);
}
