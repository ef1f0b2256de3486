#include "synth/peak_gain.h"

#include <algorithm>

int32_t BlockPeak(const int32_t *samples, int32_t frames, int32_t channels) {
  const int64_t count = static_cast<int64_t>(frames) * channels;
  int32_t maximum = 0;
  int32_t minimum = 0;
  for (int64_t i = 0; i < count; ++i) {
    maximum = std::max(maximum, samples[i]);
    minimum = std::min(minimum, samples[i]);
  }
  const int64_t negated = -static_cast<int64_t>(minimum);
  if (maximum >= negated) {
    return maximum;
  }
  return static_cast<int32_t>(std::min<int64_t>(negated, INT32_MAX));
}

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
