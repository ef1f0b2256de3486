#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <vector>

#include "allocation_failure.h"
#include "synth/pink_noise_source.h"
#include "synth/random.h"
#include "synth/white_noise_source.h"

namespace {

// Builds sources with a fixed seed and always goes back to the clock.
class NoiseTest : public ::testing::Test {
 protected:
  void TearDown() override { SetFixedRandomSeed(std::nullopt); }
};

std::vector<int32_t> Render(SoundSource &source, int32_t frames) {
  std::vector<int32_t> out(static_cast<size_t>(frames));
  source.Render(out.data(), frames);
  return out;
}

// The walk of the white noise table, written out plainly, one sample at a time.
std::vector<int32_t> ReferenceWhite(const int32_t *table, int32_t frames) {
  std::vector<int32_t> out;
  int32_t readIndex = 0, segmentIndex = 0, mask = 0;
  while (static_cast<int32_t>(out.size()) < frames) {
    if (readIndex >= 32768) {
      if (segmentIndex >= 32768) {
        segmentIndex = 0;
      }
      const int32_t e = table[segmentIndex++];
      readIndex = e & 0x7fff;
      mask = e;
    }
    out.push_back(table[readIndex++] ^ mask);
  }
  return out;
}

// The pink walk and filter, written out plainly, one sample at a time.
std::vector<int32_t> ReferencePink(const double *table, int32_t frames) {
  std::vector<int32_t> out;
  int32_t readIndex = 0, segmentEnd = 32768, segmentIndex = 0;
  double b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0, b6 = 0;
  auto point = [](double entry) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(entry * 10.0)) & 0x3fff);
  };
  while (static_cast<int32_t>(out.size()) < frames) {
    if (readIndex >= segmentEnd) {
      if (segmentIndex >= 32768) {
        segmentIndex = 0;
      }
      readIndex = point(table[segmentIndex++]);
      segmentEnd = point(table[segmentIndex++]) + 0x4000;
    }
    const double w = table[readIndex++];
    b0 = b0 * 0.99886 + w * 0.0555179;
    b1 = b1 * 0.99332 + w * 0.0750759;
    b2 = b2 * 0.969 + w * 0.153852;
    b3 = b3 * 0.8665 + w * 0.3104856;
    b4 = b4 * 0.55 + w * 0.5329522;
    b5 = b5 * -0.7616 - w * 0.016898;
    const double sum = w * 0.5362 + b6 + b5 + b4 + b3 + b2 + b1 + b0;
    b6 = w * 0.115926;
    out.push_back(static_cast<int32_t>(sum));
  }
  return out;
}

TEST(RandomTest, LinearCongruentialSequence) {
  const struct {
    uint32_t seed;
    std::vector<int> draws;
  } cases[] = {
      {0, {38, 7719, 21238, 2437, 8855, 11797}},
      {1, {41, 18467, 6334, 26500, 19169, 15724}},
      {42, {175, 400, 17869, 30056, 16083, 12879}},
  };
  for (const auto &c : cases) {
    RandomSeed(c.seed);
    std::vector<int> draws;
    for (size_t i = 0; i < c.draws.size(); ++i) {
      draws.push_back(RandomNext());
    }
    EXPECT_EQ(draws, c.draws) << c.seed;
  }
}

TEST_F(NoiseTest, ClockSeedUnlessAFixedSeedIsSet) {
  SetFixedRandomSeed(42);
  RandomSeedFromClock();
  EXPECT_EQ(RandomNext(), 175);

  SetFixedRandomSeed(std::nullopt);
  const uint32_t before = static_cast<uint32_t>(std::time(nullptr));
  RandomSeedFromClock();
  const int draw = RandomNext();
  const uint32_t after = static_cast<uint32_t>(std::time(nullptr));
  std::vector<int> expected;
  for (uint32_t t = before; t <= after; ++t) {
    RandomSeed(t);
    expected.push_back(RandomNext());
  }
  EXPECT_NE(std::find(expected.begin(), expected.end(), draw), expected.end());
}

TEST_F(NoiseTest, WhiteTableEntries) {
  SetFixedRandomSeed(42);
  WhiteNoiseSource white(0);
  const int32_t *table = white.GetNoiseTable();
  // 17869 scales to 142956, which has bit 0x200 set, so it is stored negated.
  EXPECT_EQ(std::vector<int32_t>(table, table + 6),
            (std::vector<int32_t>{1400, 3200, -142956, -240455, -128667, -103035}));

  // A first draw of 32767 scales to exactly 262144 and stays positive.
  SetFixedRandomSeed(30091);
  WhiteNoiseSource largest(0);
  EXPECT_EQ(largest.GetNoiseTable()[0], 262144);
}

TEST_F(NoiseTest, WhiteWalksTheTableInMaskedSegments) {
  SetFixedRandomSeed(42);
  WhiteNoiseSource white(0);
  const int32_t *table = white.GetNoiseTable();
  const std::vector<int32_t> out = Render(white, 200000);
  // The first 32768 samples are the table itself; the next segment starts at
  // the low 15 bits of entry 0 and is XOR-ed with all of it.
  EXPECT_TRUE(std::equal(table, table + 32768, out.begin()));
  const int32_t e = table[0];
  EXPECT_EQ(out[32768], table[e & 0x7fff] ^ e);
  EXPECT_EQ(out, ReferenceWhite(table, 200000));
  const auto [lo, hi] = std::minmax_element(out.begin(), out.end());
  EXPECT_GE(*lo, -524288);
  EXPECT_LE(*hi, 524288);
}

TEST_F(NoiseTest, WhiteSegmentChoiceWrapsAfterTheWholeTable) {
  SetFixedRandomSeed(7);
  WhiteNoiseSource white(0);
  const int32_t *table = white.GetNoiseTable();
  // Segment j >= 1 is chosen by entry (j − 1) mod 32768 and runs to the end of
  // the table, so segment 32769 repeats segment 1.
  int64_t segmentStart = 32768;
  for (int j = 0; j < 32768; ++j) {
    segmentStart += 32768 - (table[j] & 0x7fff);
  }
  const int32_t firstLength = 32768 - (table[0] & 0x7fff);
  const std::vector<int32_t> head = Render(white, 32768 + firstLength);
  std::vector<int32_t> block(1 << 20);
  for (int64_t done = static_cast<int64_t>(head.size()); done < segmentStart;) {
    const int32_t n = static_cast<int32_t>(std::min<int64_t>(block.size(), segmentStart - done));
    white.Render(block.data(), n);
    done += n;
  }
  EXPECT_EQ(Render(white, firstLength), std::vector<int32_t>(head.begin() + 32768, head.end()));
}

TEST_F(NoiseTest, PinkTableEntries) {
  SetFixedRandomSeed(7);
  PinkNoiseSource pink(0);
  const double *table = pink.GetNoiseTable();
  // Draws 61 (odd: positive) 17422, 15215 (odd) 7040, 15521 (odd) 6516, ...
  EXPECT_EQ(table[0], 9756.617748344372);
  EXPECT_EQ(table[1], 3942.520316171758);
  EXPECT_EQ(table[2], 3649.0713608203378);
  EXPECT_EQ(table[3], -6604.841563768426);
  const auto [lo, hi] = std::minmax_element(table, table + 32768);
  EXPECT_GE(*lo, -18350.08);
  EXPECT_LE(*hi, 18350.08);
}

TEST_F(NoiseTest, PinkFiltersTheWholeTableFirstThenSegments) {
  SetFixedRandomSeed(7);
  PinkNoiseSource pink(0);
  const std::vector<int32_t> reference = ReferencePink(pink.GetNoiseTable(), 300000);
  EXPECT_EQ(Render(pink, 300000), reference);
  // The first segment alone: the filter fed entries 0..32767 in order.
  SetFixedRandomSeed(7);
  PinkNoiseSource again(0);
  std::vector<double> firstSegmentOnly(again.GetNoiseTable(), again.GetNoiseTable() + 32768);
  EXPECT_EQ(std::vector<int32_t>(reference.begin(), reference.begin() + 32768),
            ReferencePink(firstSegmentOnly.data(), 32768));
}

TEST_F(NoiseTest, OneSeedGivesOneSequence) {
  for (uint32_t seed : {0u, 7u, 123456789u}) {
    SetFixedRandomSeed(seed);
    WhiteNoiseSource white1(0), white2(500);
    PinkNoiseSource pink1(0), pink2(0);
    EXPECT_EQ(Render(white1, 70000), Render(white2, 70000));
    EXPECT_EQ(Render(pink1, 70000), Render(pink2, 70000));
  }
  SetFixedRandomSeed(1);
  WhiteNoiseSource one(0);
  SetFixedRandomSeed(2);
  WhiteNoiseSource two(0);
  EXPECT_NE(Render(one, 1000), Render(two, 1000));
}

TEST_F(NoiseTest, RenderSizeDoesNotChangeTheSamples) {
  SetFixedRandomSeed(99);
  WhiteNoiseSource whole(0), pieces(0);
  const std::vector<int32_t> expected = Render(whole, 100000);
  std::vector<int32_t> got;
  for (int32_t n : {1, 32767, 5, 40000, 27227}) {
    const std::vector<int32_t> part = Render(pieces, n);
    got.insert(got.end(), part.begin(), part.end());
  }
  EXPECT_EQ(got, expected);
}

TEST_F(NoiseTest, PositionAndLength) {
  const struct {
    uint32_t ms;
    int32_t length;
    int32_t positionAfter;
  } cases[] = {
      {0, 2646000, 0},
      {1, 44, 50000},
      {1000, 44100, 50000},
      {1500, 66150, 50000},
      {0xFFFFFFFF, 2147459069, 50000},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE("row " + std::to_string(&c - cases));
    WhiteNoiseSource white(c.ms);
    PinkNoiseSource pink(c.ms);
    for (SoundSource *source :
         {static_cast<SoundSource *>(&white), static_cast<SoundSource *>(&pink)}) {
      EXPECT_EQ(source->sampleRate, 44100);
      EXPECT_EQ(source->channels, 1);
      EXPECT_EQ(source->peakValue, 0x200000);
      EXPECT_FALSE(source->IsInvalid());
      EXPECT_EQ(source->GetLength(), c.length);
      Render(*source, 20000);
      Render(*source, 0);
      Render(*source, 30000);
      EXPECT_EQ(source->GetPosition(), c.positionAfter) << c.ms;
    }
  }
}

TEST_F(NoiseTest, UnallocatableTableGivesAnInvalidSilentSource) {
  std::vector<int32_t> out(300, 3);
  {
    allocation_failure::Scope failAll;
    WhiteNoiseSource white(1000);
    PinkNoiseSource pink(1000);
    EXPECT_TRUE(white.IsInvalid());
    EXPECT_TRUE(pink.IsInvalid());
    white.Render(out.data(), 150);
    pink.Render(out.data() + 150, 150);
  }
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int32_t v) { return v == 0; }));
}

}  // namespace
