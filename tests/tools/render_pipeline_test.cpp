// The renderer's core in-process: its samples against the synth's own
// sources, limiter and conversion put together by hand, as the player does.
#include "tools/render/render_pipeline.h"

#include <gtest/gtest.h>

#include <vector>

#include "audio/sample_convert.h"
#include "synth/peak_limiter.h"
#include "synth/random.h"
#include "synth/source_factory.h"

namespace {

TEST(RenderPipeline, BlocksAreThePlayersBuffers) {
  struct Case {
    int32_t rate;
    int32_t frames;
  };
  for (Case c : {Case{44100, 4410}, Case{100, 20}, Case{199, 20}, Case{200, 20}, Case{100000, 8192},
                 Case{81920, 8192}, Case{0, 20}}) {
    EXPECT_EQ(PlayerBlockFrames(c.rate), c.frames) << c.rate;
  }
}

ToneSettings Settings(uint8_t waveform, uint16_t flags, uint32_t durationMs = 1000) {
  ToneSettings settings;
  settings.waveform = waveform;
  settings.flags = flags;
  settings.durationMs = durationMs;
  settings.toneCount = 4;
  for (int i = 0; i < 4; ++i) {
    settings.leftStartHz[i] = 300.0 * (i + 1);
    settings.leftEndHz[i] = 5000.0 / (i + 1);
    settings.rightStartHz[i] = 700.0 + i;
  }
  return settings;
}

TEST(RenderPipeline, DefaultLengthIsTheDurationOrAMinute) {
  struct Case {
    const char *what;
    ToneSettings settings;
    uint8_t channels;
    int64_t frames;
  };
  const Case cases[] = {
      {"continuous sine", Settings(kWaveformSine, 0), 1, 2646000},
      {"sine of 1000 ms", Settings(kWaveformSine, kFlagDuration), 1, 44100},
      {"stereo sweep of 1 ms", Settings(kWaveformSquare, kFlagDuration | kFlagSweep | kFlagStereo, 1), 2, 44},
      {"continuous white noise", Settings(kWaveformWhiteNoise, kFlagStereo), 1, 2646000},
      {"pink noise of 750 ms", Settings(kWaveformPinkNoise, kFlagDuration, 750), 1, 33075},
  };
  for (const Case &c : cases) {
    RenderPipeline pipeline(c.settings);
    EXPECT_TRUE(pipeline.IsPlayable()) << c.what;
    EXPECT_EQ(pipeline.Channels(), c.channels) << c.what;
    EXPECT_EQ(pipeline.SampleRate(), 44100) << c.what;
    EXPECT_EQ(pipeline.BlockFrames(), 4410) << c.what;
    EXPECT_EQ(pipeline.DefaultFrames(), c.frames) << c.what;
  }
}

// Every stage of every block equals what the synth's parts give when put
// together by hand: the source alone, the source through a PeakLimiter at
// the player's threshold, and that converted to 16 bits.
TEST(RenderPipeline, StagesEqualTheSourceTheLimiterAndTheConversion) {
  const ToneSettings cases[] = {
      Settings(kWaveformSine, 0),
      Settings(kWaveformSawTooth, kFlagDuration | kFlagSweep | kFlagLogSweep | kFlagStereo),
      Settings(kWaveformImpulse, kFlagDuration, 200),
      Settings(kWaveformWhiteNoise, kFlagDuration),
      Settings(kWaveformPinkNoise, 0),
  };
  // Requests of every size the renderer makes, and more than a block.
  const int32_t requests[] = {4410, 1, 4409, 10000, 2205, 4410, 777};
  for (const ToneSettings &settings : cases) {
    SCOPED_TRACE(int(settings.waveform));
    SetFixedRandomSeed(1234);
    RenderPipeline pipeline(settings);
    SetFixedRandomSeed(1234);
    SourceRef alone = CreateSourceFromSettings(settings);
    SetFixedRandomSeed(1234);
    SourceRef limited(new PeakLimiter(CreateSourceFromSettings(settings), kOutputThreshold));
    SetFixedRandomSeed(std::nullopt);

    uint8_t channels = pipeline.Channels();
    for (int32_t request : requests) {
      RenderedBlock block = pipeline.RenderBlock(request);
      ASSERT_EQ(block.frames, std::min(request, 4410));
      ASSERT_EQ(block.channels, channels);
      size_t samples = static_cast<size_t>(block.frames) * channels;
      std::vector<int32_t> source(samples), played(samples);
      std::vector<int16_t> output(samples);
      alone->Render(source.data(), block.frames);
      limited->Render(played.data(), block.frames);
      ConvertTo16(output.data(), played.data(), static_cast<int>(samples));
      ASSERT_TRUE(std::equal(source.begin(), source.end(), block.source)) << "source, request " << request;
      ASSERT_TRUE(std::equal(played.begin(), played.end(), block.played)) << "played, request " << request;
      ASSERT_TRUE(std::equal(output.begin(), output.end(), block.output)) << "output, request " << request;
    }
  }
}

TEST(RenderPipeline, LoudSourcesComeOutLimited) {
  ToneSettings settings = Settings(kWaveformSquare, 0);
  settings.toneCount = 16;
  for (double &hz : settings.leftStartHz) hz = 1000.0;  // sixteen tones in phase: 16 times full level
  RenderPipeline pipeline(settings);
  int32_t loudest = 0;
  for (int i = 0; i < 20; ++i) {
    RenderedBlock block = pipeline.RenderBlock(4410);
    for (int32_t k = 0; k < block.frames; ++k) {
      loudest = std::max(loudest, std::abs(block.source[k]));
      ASSERT_LE(std::abs(block.played[k]), kOutputThreshold);
      ASSERT_GE(block.output[k], -32767);
    }
  }
  EXPECT_GT(loudest, kOutputThreshold);
}

}  // namespace
