#include <gtest/gtest.h>

#include <vector>

#include "allocation_failure.h"
#include "synth/pink_noise_source.h"
#include "synth/random.h"
#include "synth/source_factory.h"
#include "synth/tone_bank_source.h"
#include "synth/white_noise_source.h"

namespace {

enum class Kind { ToneBank, White, Pink };

Kind KindOf(SoundSource *source) {
  if (dynamic_cast<WhiteNoiseSource *>(source)) {
    return Kind::White;
  }
  if (dynamic_cast<PinkNoiseSource *>(source)) {
    return Kind::Pink;
  }
  EXPECT_NE(dynamic_cast<ToneBankSource *>(source), nullptr);
  return Kind::ToneBank;
}

std::vector<int32_t> Render(SoundSource &source, int32_t frames) {
  std::vector<int32_t> out(static_cast<size_t>(frames) * source.channels);
  source.Render(out.data(), frames);
  return out;
}

TEST(SourceFactoryTest, WaveformChoosesTheSource) {
  const struct {
    uint8_t waveform;
    uint16_t flags;
    uint32_t ms;
    Kind kind;
    uint8_t channels;
    int32_t length;
  } cases[] = {
      {kWaveformSine, 0, 1000, Kind::ToneBank, 1, 2646000},
      {kWaveformImpulse, kFlagStereo | kFlagDuration, 250, Kind::ToneBank, 2, 11025},
      {kWaveformWhiteNoise, 0, 1000, Kind::White, 1, 2646000},
      // Noise ignores stereo and sweep and takes only the duration.
      {kWaveformWhiteNoise, kFlagStereo | kFlagSweep | kFlagDuration, 50, Kind::White, 1, 2205},
      {kWaveformPinkNoise, kFlagDuration, 1000, Kind::Pink, 1, 44100},
      {kWaveformPinkNoise, kFlagStereo, 1000, Kind::Pink, 1, 2646000},
      {7, kFlagStereo, 1000, Kind::ToneBank, 2, 2646000},
      {255, 0, 1000, Kind::ToneBank, 1, 2646000},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE("row " + std::to_string(&c - cases));
    ToneSettings s;
    s.waveform = c.waveform;
    s.flags = c.flags;
    s.durationMs = c.ms;
    SourceRef source = CreateSourceFromSettings(s);
    EXPECT_EQ(KindOf(source.Get()), c.kind) << int(c.waveform);
    EXPECT_EQ(source->refCount, 1);
    EXPECT_FALSE(source->IsInvalid());
    EXPECT_EQ(source->channels, c.channels) << int(c.waveform);
    EXPECT_EQ(source->GetLength(), c.length) << int(c.waveform);
    Render(*source, 1000);
    EXPECT_EQ(source->GetPosition(), (c.flags & kFlagDuration) ? 1000 : 0);
  }
}

TEST(SourceFactoryTest, EveryCallMakesAFreshSource) {
  ToneSettings s;
  s.toneCount = 3;
  s.leftStartHz[1] = 440.0;
  SourceRef first = CreateSourceFromSettings(s);
  const std::vector<int32_t> opening = Render(*first, 500);
  SourceRef second = CreateSourceFromSettings(s);
  EXPECT_NE(first.Get(), second.Get());
  // The second starts from its own beginning, not where the first stands.
  EXPECT_EQ(Render(*second, 500), opening);
  // Later changes to the record do not reach a source already made.
  s.leftStartHz[0] = 5000.0;
  SourceRef third = CreateSourceFromSettings(s);
  EXPECT_NE(Render(*third, 500), opening);
  EXPECT_EQ(Render(*second, 500), Render(*first, 500));
}

TEST(SourceFactoryTest, UnallocatableSourceGivesInvalidSilence) {
  for (uint8_t waveform : {kWaveformSine, kWaveformWhiteNoise, kWaveformPinkNoise}) {
    ToneSettings s;
    s.waveform = waveform;
    allocation_failure::Scope failAll;
    SourceRef source = CreateSourceFromSettings(s);
    EXPECT_TRUE(source->IsInvalid()) << int(waveform);
    EXPECT_EQ(source->GetLength(), 0);
  }
}

}  // namespace
