#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "allocation_failure.h"
#include "synth/amplitude_table.h"
#include "synth/duration_frames.h"
#include "synth/fixed_mul24.h"
#include "synth/oscillator.h"
#include "synth/tone_bank_source.h"
#include "synth/wavetable.h"

namespace {

std::vector<int32_t> Render(SoundSource &source, int32_t frames) {
  std::vector<int32_t> out(static_cast<size_t>(frames) * source.channels);
  source.Render(out.data(), frames);
  return out;
}

// Renders frames in calls of the given sizes, cycling through them.
std::vector<int32_t> RenderInChunks(SoundSource &source, int32_t frames,
                                    std::vector<int32_t> sizes) {
  std::vector<int32_t> out(static_cast<size_t>(frames) * source.channels);
  int32_t done = 0;
  for (size_t i = 0; done < frames; ++i) {
    const int32_t n = std::min(sizes[i % sizes.size()], frames - done);
    source.Render(out.data() + static_cast<size_t>(done) * source.channels, n);
    done += n;
  }
  return out;
}

ToneSettings Tones(uint8_t waveform, uint8_t count, double hz) {
  ToneSettings s;
  s.waveform = waveform;
  s.toneCount = count;
  std::fill(std::begin(s.leftStartHz), std::end(s.leftStartHz), hz);
  return s;
}

std::vector<int32_t> Table(uint8_t waveform) {
  std::vector<int32_t> table(kWavetableSize);
  FillWavetable(table.data(), waveform);
  return table;
}

TEST(ToneBankTest, FirstSampleReadsTheEntryAfterOneIncrement) {
  ToneBankSource source(Tones(kWaveformSine, 1, 1000.0));
  EXPECT_EQ(source.GetOscillator(0, 0).increment, 97391548u);
  const std::vector<int32_t> table = Table(kWaveformSine);
  const std::vector<int32_t> out = Render(source, 3);
  EXPECT_EQ(out[0], table[743]);
  EXPECT_EQ(out[1], table[(2u * 97391548u) >> 17]);
  EXPECT_EQ(out[2], table[(3u * 97391548u) >> 17]);
}

TEST(ToneBankTest, SixteenInPhaseSinesReachSixteenPeaks) {
  ToneBankSource source(Tones(kWaveformSine, 16, 1000.0));
  EXPECT_EQ(source.peakValue, 0x200000);
  const std::vector<int32_t> out = Render(source, 44100);
  EXPECT_EQ(*std::max_element(out.begin(), out.end()), 2097120);
  EXPECT_EQ(*std::min_element(out.begin(), out.end()), -2097120);
}

TEST(ToneBankTest, ZeroHertzHoldsTheFirstEntry) {
  const struct {
    uint8_t waveform;
    int32_t value;
  } cases[] = {
      {kWaveformSine, 0},     {kWaveformSquare, 92682}, {kWaveformTriangular, 0},
      {kWaveformSawTooth, 0}, {kWaveformImpulse, 0},
  };
  for (const auto &c : cases) {
    ToneBankSource source(Tones(c.waveform, 1, 0.0));
    const std::vector<int32_t> out = Render(source, 50000);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [&](int32_t v) { return v == c.value; }))
        << int(c.waveform);
  }
}

TEST(ToneBankTest, ImpulseFiresWhenThePhaseWrapsWhateverItsAmplitude) {
  for (int8_t db : {0, -20, -128}) {
    ToneSettings s = Tones(kWaveformImpulse, 1, 1000.0);
    s.flags = kFlagVariableAmplitude;
    s.amplitudeDb[0] = db;
    ToneBankSource source(s);
    EXPECT_TRUE(source.GetOscillator(0, 0).isImpulse);
    const std::vector<int32_t> out = Render(source, 200);
    std::vector<int> fired;
    for (int k = 0; k < 200; ++k) {
      if (out[k] != 0) {
        EXPECT_EQ(out[k], 185364);
        fired.push_back(k);
      }
    }
    EXPECT_EQ(fired, (std::vector<int>{44, 88, 132, 176})) << int(db);
  }
}

TEST(ToneBankTest, RelativeAmplitudeScalesEachTone) {
  const std::vector<int32_t> table = Table(kWaveformSine);
  const struct {
    bool variable;
    int8_t db;
    int32_t gain;
  } cases[] = {
      {true, 0, UnityGain}, {true, -6, 8408526},    {true, -127, 0},
      {true, -128, 0},      {true, 42, 2112126356}, {false, -6, UnityGain},
  };
  for (const auto &c : cases) {
    ToneSettings s = Tones(kWaveformSine, 1, 1000.0);
    s.flags = c.variable ? kFlagVariableAmplitude : 0;
    s.amplitudeDb[0] = c.db;
    ToneBankSource source(s);
    const std::vector<int32_t> out = Render(source, 100);
    uint32_t phase = 0;
    for (int k = 0; k < 100; ++k) {
      phase += 97391548u;
      ASSERT_EQ(out[k], FixedMul24(table[phase >> 17], c.gain)) << int(c.db) << " frame " << k;
    }
  }
}

TEST(ToneBankTest, ChannelsUseTheirOwnFrequenciesAndShareAmplitudes) {
  ToneSettings stereo = Tones(kWaveformTriangular, 2, 1000.0);
  stereo.flags = kFlagStereo | kFlagVariableAmplitude;
  stereo.leftStartHz[1] = 300.0;
  stereo.rightStartHz[0] = 500.0;
  stereo.rightStartHz[1] = 700.0;
  stereo.amplitudeDb[1] = -6;

  ToneSettings leftOnly = stereo;
  leftOnly.flags &= ~kFlagStereo;
  ToneSettings rightOnly = leftOnly;
  std::copy(std::begin(stereo.rightStartHz), std::end(stereo.rightStartHz), rightOnly.leftStartHz);
  // Mono ignores the right-channel frequencies entirely.
  ToneSettings monoOtherRight = leftOnly;
  std::fill(std::begin(monoOtherRight.rightStartHz), std::end(monoOtherRight.rightStartHz), 1234.0);

  ToneBankSource both(stereo), left(leftOnly), right(rightOnly), other(monoOtherRight);
  EXPECT_EQ(both.channels, 2);
  EXPECT_EQ(left.channels, 1);
  const std::vector<int32_t> b = Render(both, 3000);
  const std::vector<int32_t> l = Render(left, 3000);
  const std::vector<int32_t> r = Render(right, 3000);
  EXPECT_EQ(Render(other, 3000), l);
  for (int k = 0; k < 3000; ++k) {
    ASSERT_EQ(b[2 * k], l[k]) << k;
    ASSERT_EQ(b[2 * k + 1], r[k]) << k;
  }
}

TEST(ToneBankTest, ToneCountBounds) {
  // No tones: silence. More than 16 (a damaged file): the 16 there are.
  ToneBankSource none(Tones(kWaveformSquare, 0, 1000.0));
  const std::vector<int32_t> silent = Render(none, 1000);
  EXPECT_TRUE(std::all_of(silent.begin(), silent.end(), [](int32_t v) { return v == 0; }));

  ToneBankSource sixteen(Tones(kWaveformSquare, 16, 1000.0));
  ToneBankSource tooMany(Tones(kWaveformSquare, 200, 1000.0));
  EXPECT_EQ(Render(tooMany, 1000), Render(sixteen, 1000));
}

TEST(ToneBankTest, UnknownWaveformIsSilentButValid) {
  for (uint8_t waveform : {7, 100, 255}) {
    ToneBankSource source(Tones(waveform, 4, 1000.0));
    EXPECT_FALSE(source.IsInvalid());
    const std::vector<int32_t> out = Render(source, 2000);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int32_t v) { return v == 0; }));
    EXPECT_FALSE(source.GetOscillator(0, 0).isImpulse);
  }
}

TEST(ToneBankTest, PositionAndLength) {
  const struct {
    uint16_t flags;
    uint32_t ms;
    int32_t length;
    int32_t positionAfter100;
  } cases[] = {
      {0, 1000, 2646000, 0},
      {kFlagSweep, 1000, 2646000, 0},
      {kFlagDuration, 1000, 44100, 100},
      {kFlagDuration, 1, 44, 100},
      {kFlagDuration, 0, 2646000, 0},
      {kFlagDuration, 0xFFFFFFFF, 2147459069, 100},
  };
  for (const auto &c : cases) {
    ToneSettings s = Tones(kWaveformSine, 1, 1000.0);
    s.flags = c.flags;
    s.durationMs = c.ms;
    ToneBankSource source(s);
    EXPECT_EQ(source.GetLength(), c.length);
    EXPECT_EQ(source.GetPosition(), 0);
    Render(source, 60);
    Render(source, 40);
    EXPECT_EQ(source.GetPosition(), c.positionAfter100) << c.flags << " " << c.ms;
  }
}

ToneSettings Sweep(double from, double to, uint16_t extraFlags, uint32_t ms = 1000) {
  ToneSettings s = Tones(kWaveformSine, 1, from);
  s.flags = kFlagSweep | kFlagDuration | extraFlags;
  s.durationMs = ms;
  std::fill(std::begin(s.leftEndHz), std::end(s.leftEndHz), to);
  std::fill(std::begin(s.rightStartHz), std::end(s.rightStartHz), from);
  std::fill(std::begin(s.rightEndHz), std::end(s.rightEndHz), to);
  return s;
}

TEST(ToneBankTest, LinearSweepUpdatesOnTheThirtyTwoFrameGrid) {
  ToneBankSource source(Sweep(1000.0, 2000.0, 0));
  const Oscillator &tone = source.GetOscillator(0, 0);
  EXPECT_DOUBLE_EQ(tone.sweepDelta, 97391549.32426304);
  // Frames 0..31 play at the start frequency; the update after frame 31 uses
  // t = 31 / 44100 and holds until the one after frame 63.
  const struct {
    int32_t renderTo;
    uint32_t increment;
  } steps[] = {
      {31, 97391548},     {32, 97460009},     {63, 97460009},     {64, 97530678},
      {44095, 194701385}, {44096, 194772055}, {44100, 194772055},
  };
  int32_t rendered = 0;
  for (const auto &step : steps) {
    Render(source, step.renderTo - rendered);
    rendered = step.renderTo;
    EXPECT_EQ(tone.increment, step.increment) << "after " << rendered << " frames";
  }
  EXPECT_EQ(source.GetPosition(), 44100);
  EXPECT_EQ(source.GetLength() - source.GetPosition(), 0);
  // Past the duration the sweep carries on beyond the end frequency.
  Render(source, 32);
  EXPECT_GT(tone.increment, IncrementForFrequency(2000.0));
}

TEST(ToneBankTest, DownwardSweepLowersTheIncrementStepByStep) {
  ToneBankSource source(Sweep(2000.0, 1000.0, kFlagStereo));
  uint32_t previous = source.GetOscillator(1, 0).increment;
  EXPECT_EQ(source.GetOscillator(0, 0).increment, IncrementForFrequency(2000.0));
  for (int update = 0; update < 1378; ++update) {
    Render(source, 32);
    const uint32_t now = source.GetOscillator(1, 0).increment;
    ASSERT_LT(now, previous) << update;
    previous = now;
  }
  // trunc toward zero of a negative offset: 194783097 + trunc(−97391548.66 × 44095/44100)
  EXPECT_EQ(previous, 97402591u);
}

TEST(ToneBankTest, LogSweepFollowsTheExponentialLaw) {
  ToneBankSource source(Sweep(100.0, 8000.0, kFlagLogSweep, 1500));
  const Oscillator &tone = source.GetOscillator(0, 0);
  Render(source, 32);
  // t = (e^(31/66150) − 1) / (e − 1)
  EXPECT_EQ(tone.increment,
            9739154u + static_cast<uint32_t>(tone.sweepDelta * 0.0002727967639082324));
  Render(source, 66150 - 32);
  EXPECT_NEAR(tone.increment, IncrementForFrequency(8000.0), 0.003 * tone.sweepDelta);
}

TEST(ToneBankTest, SweepNeedsADuration) {
  ToneSettings s = Sweep(1000.0, 2000.0, 0);
  s.flags &= ~kFlagDuration;
  ToneBankSource source(s);
  Render(source, 5000);
  EXPECT_EQ(source.GetOscillator(0, 0).increment, 97391548u);
  EXPECT_EQ(source.GetPosition(), 0);
  EXPECT_EQ(source.GetLength(), 2646000);
}

TEST(ToneBankTest, WideSweepsWrapInsteadOfOverflowing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double from, to;
    uint32_t incrementAfter44096;
  } cases[] = {
      // A 0 → 40 kHz sweep passes 2^31 and keeps its low 32 bits.
      {0.0, 40000.0, 3895220261u},
      {40000.0, 0.0, 441686u},
      // An unusable end frequency leaves the tone at its start.
      {1000.0, nan, 97391548},
      {1000.0, inf, 97391548},
      {1000.0, -1e300, 97391548},
  };
  for (const auto &c : cases) {
    ToneBankSource source(Sweep(c.from, c.to, 0));
    Render(source, 44096);
    EXPECT_EQ(source.GetOscillator(0, 0).increment, c.incrementAfter44096) << c.from << " " << c.to;
  }
}

TEST(ToneBankTest, ChunkSizeDoesNotChangeTheSamples) {
  ToneSettings s = Sweep(300.0, 5000.0, kFlagStereo | kFlagLogSweep | kFlagVariableAmplitude, 250);
  s.toneCount = 5;
  s.waveform = kWaveformSawTooth;
  for (int i = 0; i < 5; ++i) {
    s.leftStartHz[i] = 300.0 + 1000.0 * i;
    s.rightEndHz[i] = 20000.0 - 3000.0 * i;
    s.amplitudeDb[i] = static_cast<int8_t>(-3 * i);
  }
  ToneBankSource whole(s);
  const std::vector<int32_t> reference = Render(whole, 12000);
  for (std::vector<int32_t> sizes :
       {std::vector<int32_t>{1}, {7, 33, 1}, {4410}, {31, 32, 257, 1000}}) {
    ToneBankSource chunked(s);
    EXPECT_EQ(RenderInChunks(chunked, 12000, sizes), reference) << sizes[0];
  }
}

TEST(ToneBankTest, UnallocatableWavetableMakesAnInvalidSilentSource) {
  ToneSettings s = Tones(kWaveformSine, 3, 1000.0);
  s.flags = kFlagDuration | kFlagStereo;
  std::vector<int32_t> out(200, 1);
  {
    allocation_failure::Scope failAll;
    ToneBankSource source(s);
    EXPECT_TRUE(source.IsInvalid());
    EXPECT_EQ(source.GetWavetable(), nullptr);
    source.Render(out.data(), 100);
    EXPECT_EQ(source.GetPosition(), 100);
  }
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int32_t v) { return v == 0; }));
}

}  // namespace
