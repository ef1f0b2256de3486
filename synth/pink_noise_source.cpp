#include "synth/pink_noise_source.h"

#include <algorithm>
#include <new>

#include "synth/duration_frames.h"
#include "synth/random.h"
#include "synth/wrap_convert.h"

namespace {

// 0.56 × 32768 / 32767 (bits 0x3FE1EBA8F60A3E00): entries within ±18350.08.
constexpr double kPinkScale = 0.5600170903653066;

// A segment start or end from a table entry: the entry × 10 converted through a
// signed 64-bit integer to its low 32 bits (negative entries included), then
// masked into the first half of the table.
int32_t SegmentPoint(double entry) {
  return static_cast<int32_t>(WrapToUint32(entry * 10.0) & 0x3fff);
}

}  // namespace

PinkNoiseSource::PinkNoiseSource(uint32_t durationMs)
    : GeneratorSource(1, durationMs) {
  noiseTable.reset(new (std::nothrow) double[kTableSize]);
  if (!noiseTable) {
    MarkInvalid();
    return;
  }
  RandomSeedFromClock();
  for (int i = 0; i < kTableSize; ++i) {
    const int sign = RandomNext();
    const int magnitude = RandomNext();
    noiseTable[i] = (sign & 1) ? magnitude * kPinkScale : magnitude * -kPinkScale;
  }
}

PinkNoiseSource::~PinkNoiseSource() = default;

void PinkNoiseSource::Render(int32_t *buffer, int32_t frames) {
  if (frames <= 0) {
    return;
  }
  if (!noiseTable) {
    std::fill_n(buffer, frames, 0);
    return;
  }
  const double *table = noiseTable.get();
  // The filter state lives in locals for the call; every operation stays a
  // separately rounded double operation in the order below.
  double s0 = b0, s1 = b1, s2 = b2, s3 = b3, s4 = b4, s5 = b5, s6 = b6;
  for (int32_t k = 0; k < frames; ++k) {
    if (readIndex >= segmentEnd) {
      if (segmentIndex >= kTableSize) {
        segmentIndex = 0;
      }
      readIndex = SegmentPoint(table[segmentIndex]);
      ++segmentIndex;
      segmentEnd = SegmentPoint(table[segmentIndex]) + 0x4000;
      ++segmentIndex;
    }
    const double w = table[readIndex];
    ++readIndex;
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
    buffer[k] = static_cast<int32_t>(sum);
  }
  b0 = s0, b1 = s1, b2 = s2, b3 = s3, b4 = s4, b5 = s5, b6 = s6;
  cursor.Advance(frames);
}
