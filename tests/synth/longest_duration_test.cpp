// The longest duration the program accepts must end exactly at its length when
// played as the player plays it: through the limiter, which keeps three blocks
// rendered ahead, one buffer of at most 4410 frames at a time. Rather than
// render 13.5 hours, each source is sought to just before its end.
#include <algorithm>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "settings/tone_settings.h"
#include "synth/duration_frames.h"
#include "synth/limiter_factory.h"
#include "synth/random.h"
#include "synth/source_factory.h"

namespace {

constexpr int32_t kLongestFrames = 2147459069;
constexpr int32_t kPlayerBlock = 4410;

ToneSettings Record(uint8_t waveform, uint16_t flags, uint32_t ms) {
  ToneSettings settings;
  settings.waveform = waveform;
  settings.flags = flags | kFlagDuration;
  settings.durationMs = ms;
  settings.toneCount = 3;
  return settings;
}

TEST(LongestDuration, EndsExactlyAtItsLengthThroughTheLimiter) {
  SetFixedRandomSeed(7);
  const struct {
    const char *name;
    ToneSettings settings;
  } cases[] = {
      {"sine", Record(kWaveformSine, 0, kMaxDurationMs)},
      {"stereo log sweep", Record(kWaveformSawTooth, kFlagStereo | kFlagSweep | kFlagLogSweep, kMaxDurationMs)},
      {"white noise", Record(kWaveformWhiteNoise, 0, kMaxDurationMs)},
      {"pink noise", Record(kWaveformPinkNoise, 0, kMaxDurationMs)},
      // What an earlier version let the user type: it plays as the longest.
      {"a file's 4294967295 ms", Record(kWaveformSquare, 0, 0xFFFFFFFF)},
  };
  // Not a whole number of limiter blocks (1260) or player buffers.
  constexpr int32_t kTail = 3 * kPlayerBlock + 777;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    SourceRef source = CreateSourceFromSettings(c.settings);
    SourceRef played;
    LimiterFactory(0x7fff0).Make(played, source);
    ASSERT_NE(played.Get(), source.Get()) << "played without a limiter";
    ASSERT_EQ(played->GetLength(), kLongestFrames);
    EXPECT_EQ(DurationToFrames(kMaxDurationMs), kLongestFrames);

    played->Seek(kLongestFrames - kTail);
    ASSERT_EQ(played->GetPosition(), kLongestFrames - kTail);
    std::vector<int32_t> buffer(static_cast<size_t>(kPlayerBlock) * played->channels);
    int32_t rendered = 0;
    int buffers = 0;
    // Bounded, so that a source that never ends fails instead of hanging.
    for (int32_t remaining; (remaining = played->GetLength() - played->GetPosition()) > 0 && buffers < 100;) {
      int32_t frames = std::min(remaining, kPlayerBlock);
      played->Render(buffer.data(), frames);
      rendered += frames;
      ++buffers;
    }
    EXPECT_EQ(played->GetLength() - played->GetPosition(), 0);
    EXPECT_EQ(rendered, kTail);
    EXPECT_EQ(buffers, 4);
    // The source itself ran ahead by the look-ahead, without reaching the end
    // of its counter.
    EXPECT_GT(source->GetPosition(), kLongestFrames);
    EXPECT_LT(source->GetPosition(), INT32_MAX);
  }
  SetFixedRandomSeed(std::nullopt);
}

TEST(LongestDuration, SeekStaysWithinTheDuration) {
  const struct {
    uint16_t flags;
    uint32_t ms;
    int32_t to;
    int32_t position;
  } cases[] = {
      {kFlagDuration, 1000, 22050, 22050},
      {kFlagDuration, 1000, 50000, 44100},  // the end: nothing remains
      {kFlagDuration, 1000, -5, 0},
      {0, 1000, 22050, 0},  // continuous: no position to move
  };
  for (const auto &c : cases) {
    for (uint8_t waveform : {kWaveformSine, kWaveformWhiteNoise, kWaveformPinkNoise}) {
      ToneSettings settings = Record(waveform, 0, c.ms);
      settings.flags = c.flags;
      SourceRef source = CreateSourceFromSettings(settings);
      source->Seek(c.to);
      EXPECT_EQ(source->GetPosition(), c.position) << int(waveform) << " to " << c.to;
    }
  }
}

}  // namespace
