#include "synth/pink_noise_source.h"

#include <algorithm>
#include <new>

#include "synth/duration_frames.h"
#include "synth/pink_filter.h"
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
  const SimdPath path = CurrentSimdPath();
  int32_t done = 0;
  while (done < frames) {
    if (readIndex >= segmentEnd) {
      if (segmentIndex >= kTableSize) {
        segmentIndex = 0;
      }
      readIndex = SegmentPoint(table[segmentIndex]);
      ++segmentIndex;
      segmentEnd = SegmentPoint(table[segmentIndex]) + 0x4000;
      ++segmentIndex;
    }
    // The rest of the segment, or of the request, without a test per sample.
    const int32_t count = std::min(frames - done, segmentEnd - readIndex);
    RunPinkFilter(path, table + readIndex, buffer + done, count, filter);
    readIndex += count;
    done += count;
  }
  cursor.Advance(frames);
}
