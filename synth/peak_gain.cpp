#include "synth/peak_gain.h"

#include <algorithm>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

int32_t PeakOf(int32_t maximum, int32_t minimum) {
  const int64_t negated = -static_cast<int64_t>(minimum);
  if (maximum >= negated) {
    return maximum;
  }
  return static_cast<int32_t>(std::min<int64_t>(negated, INT32_MAX));
}

// The extremes of count samples, starting from the given ones.
void Extremes(const int32_t *samples, int64_t count, int32_t &maximum, int32_t &minimum) {
  for (int64_t i = 0; i < count; ++i) {
    maximum = std::max(maximum, samples[i]);
    minimum = std::min(minimum, samples[i]);
  }
}

}  // namespace

int32_t BlockPeak(SimdPath path, const int32_t *samples, int32_t frames, int32_t channels) {
  switch (path) {
    case SimdPath::kAvx2:
      return BlockPeakAvx2(samples, frames, channels);
    case SimdPath::kPlain:
      break;
  }
  return BlockPeak(samples, frames, channels);
}

int32_t BlockPeak(const int32_t *samples, int32_t frames, int32_t channels) {
  int32_t maximum = 0;
  int32_t minimum = 0;
  Extremes(samples, static_cast<int64_t>(frames) * channels, maximum, minimum);
  return PeakOf(maximum, minimum);
}

#if defined(__x86_64__) || defined(__i386__)

__attribute__((target("avx2"))) int32_t BlockPeakAvx2(const int32_t *samples, int32_t frames,
                                                      int32_t channels) {
  const int64_t count = std::max<int64_t>(static_cast<int64_t>(frames) * channels, 0);
  const int64_t vectorCount = count - count % 8;
  __m256i maxima = _mm256_setzero_si256();
  __m256i minima = _mm256_setzero_si256();
  for (int64_t i = 0; i < vectorCount; i += 8) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(samples + i));
    maxima = _mm256_max_epi32(maxima, v);
    minima = _mm256_min_epi32(minima, v);
  }
  alignas(32) int32_t laneMaxima[8];
  alignas(32) int32_t laneMinima[8];
  _mm256_store_si256(reinterpret_cast<__m256i *>(laneMaxima), maxima);
  _mm256_store_si256(reinterpret_cast<__m256i *>(laneMinima), minima);
  int32_t maximum = 0;
  int32_t minimum = 0;
  Extremes(laneMaxima, 8, maximum, minimum);
  Extremes(laneMinima, 8, maximum, minimum);
  Extremes(samples + vectorCount, count - vectorCount, maximum, minimum);
  return PeakOf(maximum, minimum);
}

#else

int32_t BlockPeakAvx2(const int32_t *samples, int32_t frames, int32_t channels) {
  return BlockPeak(samples, frames, channels);
}

#endif

int32_t GainForPeak(int32_t peak, int32_t threshold) {
  if (peak <= threshold) {
    return UnityGain;
  }
  const int64_t divisor = (static_cast<int64_t>(peak) + 64) >> 6;
  if (divisor <= 0) {
    // Only a negative "peak" gets here; BlockPeak never gives one.
    return 0;
  }
  const int64_t gain = ((static_cast<int64_t>(threshold) * 512) / divisor) * 512;
  return static_cast<int32_t>(std::clamp<int64_t>(gain, 0, UnityGain));
}
