#include "synth/white_noise_source.h"

#include <algorithm>
#include <new>

#include "synth/duration_frames.h"
#include "synth/random.h"

namespace {

// 262144 / 32767 (bits 0x4020002000400080): the largest draw scales to 2^18.
constexpr double kWhiteScale = 8.000244148075808;

}  // namespace

WhiteNoiseSource::WhiteNoiseSource(uint32_t durationMs)
    : GeneratorSource(1, durationMs) {
  noiseTable.reset(new (std::nothrow) int32_t[kTableSize]);
  if (!noiseTable) {
    MarkInvalid();
    return;
  }
  RandomSeedFromClock();
  for (int i = 0; i < kTableSize; ++i) {
    const int32_t v = static_cast<int32_t>(RandomNext() * kWhiteScale);
    noiseTable[i] = (v & 0x200) ? -v : v;
  }
}

WhiteNoiseSource::~WhiteNoiseSource() = default;

void WhiteNoiseSource::Render(int32_t *buffer, int32_t frames) {
  if (frames <= 0) {
    return;
  }
  if (!noiseTable) {
    // Nothing to play; zeros rather than whatever the caller's buffer held.
    std::fill_n(buffer, frames, 0);
    return;
  }
  const int32_t *table = noiseTable.get();
  int32_t done = 0;
  while (done < frames) {
    if (readIndex >= kTableSize) {
      if (segmentIndex >= kTableSize) {
        segmentIndex = 0;
      }
      const int32_t e = table[segmentIndex];
      readIndex = e & 0x7fff;
      ++segmentIndex;
      xorMask = e;
    }
    // The rest of the segment, or of the request, without a test per sample.
    const int32_t count = std::min(frames - done, kTableSize - readIndex);
    const int32_t mask = xorMask;
    const int32_t *from = table + readIndex;
    int32_t *to = buffer + done;
    for (int32_t i = 0; i < count; ++i) {
      to[i] = from[i] ^ mask;
    }
    readIndex += count;
    done += count;
  }
  cursor.Advance(frames);
}
