#include "synth/pink_filter.h"

#include <algorithm>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

void RunPinkFilter(SimdPath path, const double *input, int32_t *out, int32_t count,
                   PinkFilterState &state) {
  switch (path) {
    case SimdPath::kAvx2:
      RunPinkFilterAvx2(input, out, count, state);
      return;
    case SimdPath::kPlain:
      break;
  }
  RunPinkFilterPlain(input, out, count, state);
}

void RunPinkFilterPlain(const double *input, int32_t *out, int32_t count, PinkFilterState &state) {
  // The state lives in locals for the call; every operation stays a separately
  // rounded double operation in the order below.
  double s0 = state.b0, s1 = state.b1, s2 = state.b2, s3 = state.b3, s4 = state.b4, s5 = state.b5,
         s6 = state.b6;
  for (int32_t k = 0; k < count; ++k) {
    const double w = input[k];
    s0 = s0 * 0.99886 + w * 0.0555179;
    s1 = s1 * 0.99332 + w * 0.0750759;
    s2 = s2 * 0.969 + w * 0.153852;
    s3 = s3 * 0.8665 + w * 0.3104856;
    s4 = s4 * 0.55 + w * 0.5329522;
    s5 = s5 * -0.7616 - w * 0.016898;
    double sum = w * 0.5362 + s6;
    sum = sum + s5;
    sum = sum + s4;
    sum = sum + s3;
    sum = sum + s2;
    sum = sum + s1;
    sum = sum + s0;
    s6 = w * 0.115926;
    // The filter's gain keeps |sum| near 1.3 million for inputs of ±18350, far
    // inside int32, so the truncation is always defined.
    out[k] = static_cast<int32_t>(sum);
  }
  state = {s0, s1, s2, s3, s4, s5, s6};
}

#if defined(__x86_64__) || defined(__i386__)

namespace {

// Samples filtered per pass: the poles of this many samples wait on the stack
// (3.5 KiB) for the sums.
constexpr int32_t kPinkPassSamples = 64;

// The sums of 4 samples k to k + 3 of a pass, lane j being sample k + j: the
// poles of the 4 samples turned from one register per sample into one register
// per pole, then added in the plain order.
__attribute__((target("avx2"))) inline __m128i PinkSumsOfFour(const double *input, const double *s6,
                                                              const double (*poles03)[4],
                                                              const double (*poles45)[2]) {
  const __m256d r0 = _mm256_loadu_pd(poles03[0]);
  const __m256d r1 = _mm256_loadu_pd(poles03[1]);
  const __m256d r2 = _mm256_loadu_pd(poles03[2]);
  const __m256d r3 = _mm256_loadu_pd(poles03[3]);
  const __m256d t0 = _mm256_unpacklo_pd(r0, r1);  // r0.b0 r1.b0 r0.b2 r1.b2
  const __m256d t1 = _mm256_unpackhi_pd(r0, r1);  // r0.b1 r1.b1 r0.b3 r1.b3
  const __m256d t2 = _mm256_unpacklo_pd(r2, r3);
  const __m256d t3 = _mm256_unpackhi_pd(r2, r3);
  const __m256d b0 = _mm256_permute2f128_pd(t0, t2, 0x20);
  const __m256d b1 = _mm256_permute2f128_pd(t1, t3, 0x20);
  const __m256d b2 = _mm256_permute2f128_pd(t0, t2, 0x31);
  const __m256d b3 = _mm256_permute2f128_pd(t1, t3, 0x31);
  const __m256d h01 = _mm256_loadu_pd(poles45[0]);  // r0.b4 r0.b5 r1.b4 r1.b5
  const __m256d h23 = _mm256_loadu_pd(poles45[2]);
  // unpack gives samples 0 2 1 3; the permutation puts them back in order.
  const __m256d b4 = _mm256_permute4x64_pd(_mm256_unpacklo_pd(h01, h23), 0xD8);
  const __m256d b5 = _mm256_permute4x64_pd(_mm256_unpackhi_pd(h01, h23), 0xD8);
  __m256d sum = _mm256_add_pd(_mm256_mul_pd(_mm256_loadu_pd(input), _mm256_set1_pd(0.5362)),
                              _mm256_loadu_pd(s6));
  sum = _mm256_add_pd(sum, b5);
  sum = _mm256_add_pd(sum, b4);
  sum = _mm256_add_pd(sum, b3);
  sum = _mm256_add_pd(sum, b2);
  sum = _mm256_add_pd(sum, b1);
  sum = _mm256_add_pd(sum, b0);
  return _mm256_cvttpd_epi32(sum);
}

}  // namespace

// Two passes over up to kPinkPassSamples samples. The first runs the poles,
// whose chain from one sample to the next is all that cannot overlap; the
// second adds four samples' sums at once, the adder otherwise being busiest.
__attribute__((target("avx2"))) void RunPinkFilterAvx2(const double *input, int32_t *out,
                                                       int32_t count, PinkFilterState &state) {
  const __m256d pole03 = _mm256_setr_pd(0.99886, 0.99332, 0.969, 0.8665);
  const __m256d gain03 = _mm256_setr_pd(0.0555179, 0.0750759, 0.153852, 0.3104856);
  const __m128d pole45 = _mm_setr_pd(0.55, -0.7616);
  const __m128d gain45 = _mm_setr_pd(0.5329522, -0.016898);
  __m256d s03 = _mm256_setr_pd(state.b0, state.b1, state.b2, state.b3);
  __m128d s45 = _mm_setr_pd(state.b4, state.b5);
  double s6 = state.b6;
  alignas(32) double poles03[kPinkPassSamples][4];
  alignas(32) double poles45[kPinkPassSamples][2];
  alignas(32) double s6s[kPinkPassSamples];
  for (int32_t start = 0; start < count; start += kPinkPassSamples) {
    const int32_t n = std::min(count - start, kPinkPassSamples);
    const double *in = input + start;
    const auto pole = [&](int32_t k) __attribute__((target("avx2"))) {
      const double w = in[k];
      s03 = _mm256_add_pd(_mm256_mul_pd(s03, pole03), _mm256_mul_pd(_mm256_set1_pd(w), gain03));
      s45 = _mm_add_pd(_mm_mul_pd(s45, pole45), _mm_mul_pd(_mm_set1_pd(w), gain45));
      _mm256_store_pd(poles03[k], s03);
      _mm_store_pd(poles45[k], s45);
      s6s[k] = s6;
      s6 = w * 0.115926;
    };
    const auto sumsOfFour = [&](int32_t k) __attribute__((target("avx2"))) {
      _mm_storeu_si128(reinterpret_cast<__m128i *>(out + start + k),
                       PinkSumsOfFour(in + k, s6s + k, poles03 + k, poles45 + k));
    };
    // The sums of the four samples before run beside the poles of the next
    // four, filling the time the poles' chain leaves the adders idle.
    const int32_t whole = n - n % 4;
    for (int32_t k = 0; k < whole; k += 4) {
      pole(k);
      pole(k + 1);
      pole(k + 2);
      pole(k + 3);
      if (k > 0) {
        sumsOfFour(k - 4);
      }
    }
    if (whole > 0) {
      sumsOfFour(whole - 4);
    }
    for (int32_t k = whole; k < n; ++k) {
      pole(k);
      double sum = in[k] * 0.5362 + s6s[k];
      sum = sum + poles45[k][1];
      sum = sum + poles45[k][0];
      sum = sum + poles03[k][3];
      sum = sum + poles03[k][2];
      sum = sum + poles03[k][1];
      sum = sum + poles03[k][0];
      out[start + k] = static_cast<int32_t>(sum);
    }
  }
  alignas(32) double s[6];
  _mm256_store_pd(s, s03);
  _mm_store_pd(s + 4, s45);
  state = {s[0], s[1], s[2], s[3], s[4], s[5], s6};
}

#else

void RunPinkFilterAvx2(const double *input, int32_t *out, int32_t count, PinkFilterState &state) {
  RunPinkFilterPlain(input, out, count, state);
}

#endif
