#include "audio/level_meter.h"

#include <cmath>

namespace {

// The sum of the squares of the samples shifted right by 5, divided by 8192
// with the low 13 bits of the total dropped. Within ±0x7fff0 and 8192
// samples 32 bits suffice; the 64-bit sums keep a longer or louder run from
// wrapping and give the same value where 32 bits do not overflow.
struct Accumulator {
  int64_t high = 0;
  int64_t low = 0;

  void Add(int32_t x) {
    int64_t s = x >> 5;
    int64_t q = s * s;
    high += q >> 13;
    low += q & 0x1FFF;
  }

  uint64_t Sum() const { return static_cast<uint64_t>(high + (low >> 13)); }
};

uint32_t Mean(uint64_t sum, int64_t n) {
  if (n <= 0) return 0;
  uint64_t count = static_cast<uint64_t>(n);
  uint64_t mean = (sum / count) * 8192 + ((sum % count) * 8192) / count;
  return mean > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(mean);
}

constexpr double kReferenceMeanSquare = 8388626.0;  // (92682 / 32)², rounded down

}  // namespace

uint32_t MeanSquare(const int32_t *samples, int32_t frames, uint8_t channels) {
  int64_t n = static_cast<int64_t>(channels) * frames;
  if (n <= 0) return 0;
  Accumulator sum;
  for (int64_t i = 0; i < n; ++i) sum.Add(samples[i]);
  return Mean(sum.Sum(), n);
}

uint32_t ChannelMeanSquare(uint8_t channel, const int32_t *samples, int32_t frames, uint8_t channels) {
  if (channels == 1) return MeanSquare(samples, frames, 1);
  // A channel the block does not have would read past its end.
  if (frames <= 0 || channel >= channels) return 0;
  Accumulator sum;
  for (int64_t i = 0; i < frames; ++i) sum.Add(samples[channel + i * channels]);
  return Mean(sum.Sum(), frames);
}

int8_t LevelDb(uint8_t channel, const int32_t *samples, int32_t frames, uint8_t channels) {
  return LevelFromMeanSquare(ChannelMeanSquare(channel, samples, frames, channels));
}

int8_t LevelFromMeanSquare(uint32_t m) {
  if (m == 0) return -127;
  double v = 10.0 * std::log10(m / kReferenceMeanSquare);
  v += m >= 8388626u ? 0.5 : -0.5;
  int level = static_cast<int>(v);
  if (level > 127) level = 127;
  if (level < -127) level = -127;
  return static_cast<int8_t>(level);
}

void CopyLevels(ChannelLevels &destination, const ChannelLevels &source) {
  destination.count = source.count;
  for (int i = 0; i < source.count; ++i) destination.levels[i] = source.levels[i];
}
