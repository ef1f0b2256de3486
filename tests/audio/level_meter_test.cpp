#include "audio/level_meter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

std::vector<int32_t> Constant(int32_t x, int frames) { return std::vector<int32_t>(frames, x); }

TEST(LevelMeter, ConstantMonoBlocks) {
  struct Case {
    int32_t x;
    uint32_t m;
    int level;
  };
  const Case cases[] = {
      {0, 0, -127},
      {63, 0, -127},
      {64, 3, -64},
      {1000, 960, -39},
      {92682, 8386815, 0},
      {131071, 16769024, 3},
      {524272, 268402688, 15},
      // The shift rounds toward minus infinity, so negative values read a
      // little louder than their magnitudes.
      {-64, 3, -64},
      {-63, 3, -64},
      {-1, 0, -127},
  };
  for (const Case &c : cases) {
    std::vector<int32_t> block = Constant(c.x, 4410);
    EXPECT_EQ(ChannelMeanSquare(0, block.data(), 4410, 1), c.m) << "x = " << c.x;
    EXPECT_EQ(MeanSquare(block.data(), 4410, 1), c.m) << "x = " << c.x;
    EXPECT_EQ(LevelDb(0, block.data(), 4410, 1), c.level) << "x = " << c.x;
  }
}

// Over 8192 samples the mean is the accumulated sum itself, so a block of k
// samples of a and the rest b reaches any mean square exactly.
TEST(LevelMeter, RoundingAroundTheReferenceAndTheQuietestLevel) {
  struct Case {
    int k;
    int32_t a;
    int32_t b;
    uint32_t m;
    int level;
  };
  const Case cases[] = {
      {2560, 2897 * 32, 2896 * 32, 8388626, 0},  // the reference itself
      {2559, 2897 * 32, 2896 * 32, 8388625, 0},  // just below: rounds up to 0, not down to -1
      {8192, 32, 0, 1, -69},                     // the lowest level above silence
      {8191, 32, 0, 0, -127},
  };
  for (const Case &c : cases) {
    std::vector<int32_t> block(8192, c.b);
    std::fill(block.begin(), block.begin() + c.k, c.a);
    EXPECT_EQ(MeanSquare(block.data(), 8192, 1), c.m) << "k = " << c.k;
    EXPECT_EQ(LevelDb(0, block.data(), 8192, 1), c.level) << "k = " << c.k;
  }
}

TEST(LevelMeter, SinesReadRelativeToTheFullLevelSquare) {
  struct Case {
    double peak;
    int level;
  };
  for (Case c : {Case{131070, 0}, Case{524272, 12}}) {
    std::vector<int32_t> block(4410);
    for (int i = 0; i < 4410; ++i) {
      block[i] = static_cast<int32_t>(std::lround(c.peak * std::sin(2 * std::numbers::pi * 1000 * i / 44100)));
    }
    EXPECT_EQ(LevelDb(0, block.data(), 4410, 1), c.level) << "peak " << c.peak;
  }
}

TEST(LevelMeter, StereoChannelsAreTheEvenAndOddSamples) {
  std::vector<int32_t> block;
  for (int i = 0; i < 4410; ++i) {
    block.push_back(1000);
    block.push_back(92682);
  }
  EXPECT_EQ(ChannelMeanSquare(0, block.data(), 4410, 2), 960u);
  EXPECT_EQ(ChannelMeanSquare(1, block.data(), 4410, 2), 8386815u);
  EXPECT_EQ(LevelDb(0, block.data(), 4410, 2), -39);
  EXPECT_EQ(LevelDb(1, block.data(), 4410, 2), 0);
  // Over both channels: n = 2 × frames.
  EXPECT_EQ(MeanSquare(block.data(), 4410, 2), 4193887u);
  // With one channel the channel number is ignored.
  EXPECT_EQ(ChannelMeanSquare(1, block.data(), 4410, 1), MeanSquare(block.data(), 4410, 1));
}

TEST(LevelMeter, EmptyBlocksAndMissingChannelsAreSilence) {
  std::vector<int32_t> block = Constant(92682, 64);
  struct Case {
    uint8_t channel;
    int32_t frames;
    uint8_t channels;
  };
  for (Case c : {Case{0, 0, 1}, Case{0, 0, 2}, Case{1, 0, 2}, Case{0, -5, 1}, Case{1, -5, 2}, Case{2, 32, 2},
                 Case{0, 16, 0}}) {
    EXPECT_EQ(ChannelMeanSquare(c.channel, block.data(), c.frames, c.channels), 0u);
    EXPECT_EQ(LevelDb(c.channel, block.data(), c.frames, c.channels), -127)
        << int(c.channel) << " " << c.frames << " " << int(c.channels);
  }
  EXPECT_EQ(MeanSquare(block.data(), 0, 2), 0u);
}

TEST(LevelMeter, LongAndLoudRunsDoNotWrap) {
  // 2^20 samples at the int32 limit: far beyond what the player measures, but
  // the meter still gives the level, not a wrapped sum.
  std::vector<int32_t> block = Constant(INT32_MIN, 1 << 20);
  EXPECT_EQ(LevelDb(0, block.data(), 1 << 20, 1), 27);
}

TEST(LevelMeter, CopyLevelsCopiesTheCountedLevelsOnly) {
  ChannelLevels source;
  source.count = 2;
  source.levels[0] = -3;
  source.levels[1] = 7;
  source.levels[2] = 99;
  ChannelLevels destination;
  destination.count = 9;
  destination.levels[2] = 5;
  CopyLevels(destination, source);
  EXPECT_EQ(destination.count, 2);
  EXPECT_EQ(destination.levels[0], -3);
  EXPECT_EQ(destination.levels[1], 7);
  EXPECT_EQ(destination.levels[2], 5);

  ChannelLevels empty;
  destination.levels[0] = 11;
  CopyLevels(destination, empty);
  EXPECT_EQ(destination.count, 0);
  EXPECT_EQ(destination.levels[0], 11);
}

}  // namespace
