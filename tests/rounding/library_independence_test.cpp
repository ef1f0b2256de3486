// The wavetable's sine, the amplitude table's power of ten and the level
// meter's log10 stay with the C library: their results are truncated or
// rounded to integers, and over every argument the code can pass, the integer
// is the same for any function value within thousands of doubles of the
// correctly rounded one. Every C library's sin, pow and log10 is far closer
// than that, so the integers cannot depend on it. Each integer is a
// nondecreasing function of the value, so checking both ends of the range
// covers every value between.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "audio/level_meter.h"
#include "mpfr_reference.h"
#include "settings/tone_settings.h"
#include "synth/amplitude_table.h"
#include "synth/wavetable.h"

namespace {

// How far each function's value may be off, in doubles, with the integers
// unchanged: the margins the tables and the meter actually have, rounded
// down to a power of two.
constexpr int64_t kSineUlps = int64_t{1} << 18;
constexpr int64_t kPowerUlps = int64_t{1} << 12;
constexpr int64_t kLog10Ulps = int64_t{1} << 13;

// The integer each table makes of its function's value.
int32_t SineEntry(double sine) {
  return static_cast<int32_t>(sine * 131070.8844);
}

int32_t GainEntry(double power) {
  const double v = power * 16777216.0 + 0.5;
  return v < 2147483647.0 ? static_cast<int32_t>(v) : 0x7FFFFFFF;
}

TEST(LibraryIndependence, SineTableEntries) {
  std::vector<int32_t> table(kWavetableSize);
  FillWavetable(table.data(), kWaveformSine);
  for (int i = 0; i < kWavetableSize; ++i) {
    const double sine = MpfrRounded(MpfrFunction::kSin, i * 0.00019174759848570515);
    const int32_t entry = SineEntry(sine);
    ASSERT_EQ(table[i], entry) << "entry " << i;
    ASSERT_EQ(SineEntry(DoublesAway(sine, -kSineUlps)), entry) << "entry " << i;
    ASSERT_EQ(SineEntry(DoublesAway(sine, kSineUlps)), entry) << "entry " << i;
  }
}

TEST(LibraryIndependence, AmplitudeTableGains) {
  for (int db = -126; db <= 127; ++db) {
    const double power = MpfrRounded(MpfrFunction::kExp10, db / 20.0);
    const int32_t gain = GainEntry(power);
    ASSERT_EQ(AmplitudeTable::Gain(static_cast<int8_t>(db)), gain) << db << " dB";
    ASSERT_EQ(GainEntry(DoublesAway(power, -kPowerUlps)), gain) << db << " dB";
    ASSERT_EQ(GainEntry(DoublesAway(power, kPowerUlps)), gain) << db << " dB";
  }
}

// The level of mean square m when log10 gives the value n doubles away from
// the correctly rounded log10 of m / 8388626.
int Level(uint32_t m, int64_t n) {
  const double log10 = DoublesAway(MpfrRounded(MpfrFunction::kLog10, m / 8388626.0), n);
  double v = 10.0 * log10;
  v += m >= 8388626u ? 0.5 : -0.5;
  const int level = static_cast<int>(v);
  return level < -127 ? -127 : level > 127 ? 127 : level;
}

// The smallest m ≥ 1 whose level is at least level, or 2^32 for none: the
// level rises with m, so a bisection finds it.
uint64_t FirstMeanSquareReaching(int level, int64_t n) {
  uint64_t low = 1, high = uint64_t{1} << 32;
  while (low < high) {
    const uint64_t mid = low + (high - low) / 2;
    if (Level(static_cast<uint32_t>(mid), n) >= level) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  return low;
}

TEST(LibraryIndependence, LevelMeterSteps) {
  // Every nonzero 32-bit mean square: the levels of two log10 functions
  // kLog10Ulps below and above the exact one step up at the same m, and so
  // does the meter's.
  int steps = 0;
  for (int level = -126; level <= 127; ++level) {
    const uint64_t first = FirstMeanSquareReaching(level, -kLog10Ulps);
    ASSERT_EQ(FirstMeanSquareReaching(level, kLog10Ulps), first) << level << " dB";
    if (first == 1 || first == uint64_t{1} << 32) continue;
    ++steps;
    EXPECT_GE(LevelFromMeanSquare(static_cast<uint32_t>(first)), level) << "m " << first;
    EXPECT_LT(LevelFromMeanSquare(static_cast<uint32_t>(first - 1)), level) << "m " << first - 1;
  }
  // From −69 dB (m = 1) to 27 dB (m near 2^32).
  EXPECT_EQ(steps, 96);
}

}  // namespace
