#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "allocation_failure.h"
#include "synth/limiter_factory.h"
#include "synth/peak_gain.h"
#include "synth/peak_limiter.h"
#include "synth/tone_bank_source.h"

namespace {

constexpr int32_t kThreshold = 0x7fff0;

// A source whose sample at (frame, channel) is given by a function, with a
// position that counts rendered frames and a record of Seek calls.
class ScriptSource : public SoundSource {
 public:
  using Wave = std::function<int32_t(int64_t frame, int channel)>;
  ScriptSource(Wave wave, uint8_t channels = 1, int32_t peak = 0x200000, int32_t rate = 44100)
      : SoundSource(rate, channels, peak), wave(std::move(wave)) {}
  void Render(int32_t *buffer, int32_t frames) override {
    for (int32_t k = 0; k < frames; ++k, ++frame) {
      for (int c = 0; c < channels; ++c) {
        *buffer++ = wave(frame, c);
      }
    }
    position += frames;
  }
  int32_t GetPosition() override { return position; }
  int32_t GetLength() override { return 44100; }
  void Seek(int32_t to) override {
    seeks.push_back(to);
    frame = to;
  }

  Wave wave;
  int64_t frame = 0;
  int32_t position = 0;
  std::vector<int32_t> seeks;
};

std::vector<int32_t> Render(SoundSource &source, int32_t frames, int32_t chunk) {
  std::vector<int32_t> out(static_cast<size_t>(frames) * source.channels);
  for (int32_t done = 0; done < frames;) {
    const int32_t n = std::min(chunk, frames - done);
    source.Render(out.data() + static_cast<size_t>(done) * source.channels, n);
    done += n;
  }
  return out;
}

ToneSettings LoudTones(uint8_t waveform, bool stereo) {
  ToneSettings s;
  s.waveform = waveform;
  s.toneCount = 16;
  s.flags = stereo ? kFlagStereo : 0;
  for (int i = 0; i < 16; ++i) {
    s.leftStartHz[i] = 200.0 + 37.0 * i;
    s.rightStartHz[i] = 150.0 + 91.0 * i;
  }
  return s;
}

TEST(PeakGainTest, GainForPeak) {
  const struct {
    int32_t peak, threshold, gain;
  } cases[] = {
      {0, kThreshold, UnityGain},
      {kThreshold, kThreshold, UnityGain},
      {kThreshold + 1, kThreshold, 0xfffe00},
      {0xfffe0, kThreshold, 0x7ffe00},
      {0x100000, kThreshold, 0x7ffc00},
      {0x200000, kThreshold, 0x3ffe00},
      // The largest peak: peak + 64 no longer fits 32 bits.
      {INT32_MAX, kThreshold, 3584},
      {0x3fffff * 100, 0x3fffff, 167424},
      // Thresholds the factory never passes still give a gain within 0..1.
      {INT32_MAX, INT32_MAX - 1, 0xfffe00},
      {1000, -5, 0},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(GainForPeak(c.peak, c.threshold), c.gain) << c.peak << " / " << c.threshold;
  }
}

TEST(PeakGainTest, BlockPeak) {
  const struct {
    std::vector<int32_t> samples;
    int32_t frames, channels, peak;
  } cases[] = {
      {{}, 0, 1, 0},
      {{-3, -9, -1}, 3, 1, 9},
      {{4, -4}, 2, 1, 4},
      {{7, -2, 100, -101}, 2, 2, 101},
      {{7, -2, 100, -101}, 1, 2, 7},
      {{INT32_MIN, 5}, 2, 1, INT32_MAX},
      {{INT32_MAX, -INT32_MAX}, 2, 1, INT32_MAX},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE("row " + std::to_string(&c - cases));
    EXPECT_EQ(BlockPeak(c.samples.data(), c.frames, c.channels), c.peak);
  }
}

TEST(PeakLimiterTest, FramesPerBlock) {
  const struct {
    int32_t rate, frames;
  } cases[] = {{44100, 1260}, {11025, 315}, {700, 20}, {600, 20}, {400000, 8192}, {286720, 8192}};
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "rate " << c.rate);
    EXPECT_EQ(PeakLimiter::FramesPerBlock(c.rate), c.frames) << c.rate;
    SourceRef source(new ScriptSource([](int64_t, int) { return 0; }, 1, 0x200000, c.rate));
    PeakLimiter limiter(source, kThreshold);
    EXPECT_EQ(limiter.GetFramesPerBlock(), c.frames);
  }
}

TEST(PeakLimiterTest, QuietSourcePassesUnaltered) {
  ToneSettings s = LoudTones(kWaveformSine, true);
  s.toneCount = 4;  // at most 4 × 131070, below the threshold
  ToneBankSource reference(s);
  const std::vector<int32_t> expected = Render(reference, 30000, 30000);
  PeakLimiter limiter(SourceRef(new ToneBankSource(s)), kThreshold);
  EXPECT_EQ(limiter.peakValue, kThreshold);
  EXPECT_EQ(Render(limiter, 30000, 4410), expected);
  EXPECT_EQ(limiter.GetGain(), UnityGain);
}

TEST(PeakLimiterTest, LoudOutputStaysAtTheThreshold) {
  // Sixteen in-phase sines reach 2,097,120, four times the threshold.
  for (bool stereo : {false, true}) {
    ToneSettings s = LoudTones(kWaveformSine, stereo);
    std::fill(std::begin(s.leftStartHz), std::end(s.leftStartHz), 1000.0);
    PeakLimiter limiter(SourceRef(new ToneBankSource(s)), kThreshold);
    const std::vector<int32_t> out = Render(limiter, 44100, 4410);
    const auto [lo, hi] = std::minmax_element(out.begin(), out.end());
    // FixedMul24 truncates toward minus infinity: a negative peak may lie one
    // or two steps beyond.
    EXPECT_LE(*hi, kThreshold);
    EXPECT_GE(*lo, -kThreshold - 2);
    EXPECT_GT(*hi, kThreshold - 64) << "the gain should sit just below threshold / peak";
  }
}

TEST(PeakLimiterTest, RequestSizeDoesNotChangeTheOutput) {
  const ToneSettings s = LoudTones(kWaveformSawTooth, true);
  PeakLimiter single(SourceRef(new ToneBankSource(s)), kThreshold);
  const std::vector<int32_t> reference = Render(single, 9000, 1);
  for (int32_t chunk : {2, 7, 1259, 1260, 1261, 4410, 9000}) {
    PeakLimiter limiter(SourceRef(new ToneBankSource(s)), kThreshold);
    EXPECT_EQ(Render(limiter, 9000, chunk), reference) << chunk;
  }
}

TEST(PeakLimiterTest, GainFallsAheadOfALoudBlock) {
  // Two quiet blocks, then full scale from frame 2520 on.
  auto *script =
      new ScriptSource([](int64_t frame, int) { return frame < 2520 ? 1000 : 0x200000; });
  PeakLimiter limiter(SourceRef(script), kThreshold);
  const int32_t loudGain = GainForPeak(0x200000, kThreshold);
  const std::vector<int32_t> out = Render(limiter, 2 * 1260 + 1260, 100);
  // The ramp starts at once, before any loud frame is output...
  EXPECT_LT(out[1259], 1000);
  // ...and reaches the loud block at or below its gain.
  EXPECT_LE(out[2520], FixedMul24(0x200000, loudGain));
  for (int k = 2520; k < 3780; ++k) {
    ASSERT_LE(out[k], kThreshold) << k;
  }
  for (int k = 1; k < 2520; ++k) {
    ASSERT_LE(out[k], out[k - 1]) << "gain only falls towards the loud block, frame " << k;
  }
}

TEST(PeakLimiterTest, PositionCountsOutputFrames) {
  auto *script = new ScriptSource([](int64_t frame, int) { return static_cast<int32_t>(frame); });
  SourceRef source(script);
  PeakLimiter limiter(source, kThreshold);
  EXPECT_EQ(script->position, 3 * 1260);
  EXPECT_EQ(limiter.GetPosition(), 0);
  EXPECT_EQ(limiter.GetLength(), 44100);
  Render(limiter, 1000, 1000);
  EXPECT_EQ(limiter.GetPosition(), 1000);
  Render(limiter, 1000, 300);
  EXPECT_EQ(limiter.GetPosition(), 2000);
  EXPECT_EQ(script->position, 4 * 1260);
}

TEST(PeakLimiterTest, SeekPrimesAgainFromTheNewPlace) {
  auto *script = new ScriptSource([](int64_t frame, int) { return frame < 5000 ? 100 : 0x200000; });
  PeakLimiter limiter(SourceRef(script), kThreshold);
  Render(limiter, 700, 700);
  limiter.Seek(6000);
  EXPECT_EQ(script->seeks, std::vector<int32_t>{6000});
  // Three new blocks were rendered from frame 6000; the ramp restarts at the
  // gain of the new current block.
  EXPECT_EQ(script->frame, 6000 + 3 * 1260);
  EXPECT_EQ(limiter.GetGain(), GainForPeak(0x200000, kThreshold));
  const std::vector<int32_t> out = Render(limiter, 10, 10);
  EXPECT_EQ(out[0], FixedMul24(0x200000, GainForPeak(0x200000, kThreshold)));
}

TEST(PeakLimiterTest, ThresholdInForce) {
  const struct {
    int32_t sourcePeak, threshold, limiterPeak;
  } cases[] = {
      {0x200000, kThreshold, kThreshold},
      {0x3fffff, 0x100000, 0x100000},
      {0x400000, kThreshold, 0x3fffff},
      {INT32_MAX, 100, 0x3fffff},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE("row " + std::to_string(&c - cases));
    SourceRef source(new ScriptSource([](int64_t, int) { return 0; }, 2, c.sourcePeak));
    PeakLimiter limiter(source, c.threshold);
    EXPECT_EQ(limiter.peakValue, c.limiterPeak) << c.sourcePeak;
    EXPECT_EQ(limiter.channels, 2);
  }
}

TEST(PeakLimiterTest, InvalidSourceMakesAnInvalidLimiter) {
  SourceRef silence;
  PeakLimiter limiter(silence, kThreshold);
  EXPECT_TRUE(limiter.IsInvalid());
  EXPECT_EQ(limiter.sampleRate, 11025);
  EXPECT_EQ(limiter.GetFramesPerBlock(), 315);
}

TEST(PeakLimiterTest, UnallocatableBuffersGiveAnInvalidSilentLimiter) {
  auto *script = new ScriptSource([](int64_t, int) { return 0x200000; });
  SourceRef source(script);
  std::vector<int32_t> out(100, 5);
  {
    allocation_failure::Scope failAfterTwo(2);
    PeakLimiter limiter(source, kThreshold);
    EXPECT_TRUE(limiter.IsInvalid());
    limiter.Render(out.data(), 100);
    limiter.Seek(10);
  }
  EXPECT_EQ(script->position, 0) << "the source is never rendered";
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int32_t v) { return v == 0; }));
}

TEST(LimiterFactoryTest, WrapsOnlySourcesAboveTheThreshold) {
  const struct {
    int32_t peak;
    bool limited;
  } cases[] = {{0x200000, true}, {kThreshold + 1, true}, {kThreshold, false}, {1000, false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "peak " << c.peak);
    SourceRef source(new ScriptSource([](int64_t, int) { return 1; }, 1, c.peak));
    SourceRef result;
    LimiterFactory(kThreshold).Make(result, source);
    EXPECT_EQ(dynamic_cast<PeakLimiter *>(result.Get()) != nullptr, c.limited) << c.peak;
    EXPECT_EQ(result.Get() == source.Get(), !c.limited);
    EXPECT_EQ(result->refCount, c.limited ? 1 : 2);
    EXPECT_EQ(source->refCount, 2) << "held by the result or by the limiter inside it";
  }
}

TEST(LimiterFactoryTest, UnallocatableLimiterGivesSilence) {
  SourceRef source(new ScriptSource([](int64_t, int) { return 1; }));
  SourceRef result;
  {
    allocation_failure::Scope failAll;
    LimiterFactory(kThreshold).Make(result, source);
  }
  EXPECT_TRUE(result->IsInvalid());
  EXPECT_EQ(source->refCount, 1);
}

}  // namespace
