#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "synth/amplitude_table.h"
#include "synth/duration_frames.h"
#include "synth/fixed_mul24.h"
#include "synth/oscillator.h"
#include "synth/wavetable.h"

namespace {

std::vector<int32_t> Table(uint8_t waveform) {
  std::vector<int32_t> table(kWavetableSize);
  FillWavetable(table.data(), waveform);
  return table;
}

TEST(AmplitudeTableTest, DecibelsToFixedGain) {
  const struct {
    int8_t db;
    int32_t gain;
  } cases[] = {
      {0, 16777216},    {-6, 8408526},     {-20, 1677722}, {-90, 531},
      {-126, 8},        {-127, 0},         {-128, 0},      {42, 2112126356},
      {43, 0x7FFFFFFF}, {127, 0x7FFFFFFF}, {1, 18824346},  {-1, 14952709},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(AmplitudeTable::Gain(c.db), c.gain) << int(c.db) << " dB";
  }
}

TEST(FixedMul24Test, TwelveBitPiecesTruncate) {
  const struct {
    int32_t a, gain, product;
  } cases[] = {
      {131070, UnityGain, 131070},
      {-131070, UnityGain, -131070},
      {-1, UnityGain, -1},
      {165794, 0, 0},
      {-1, 8408526, -2},
      {131070, 8408526, 65688},
      {-131070, 8408526, -65691},
      {165794, 2112126356, 20872226},
      {-165794, 0x7FFFFFFF, -21221633},
      {2097152, 0x3ffe00, 524224},
      {-2097152, 0x3ffe00, -524224},
      {524272, 0xfffe00, 524255},
      {4095, 4095, 0},
      {-4096, 1, -1},
      // Beyond what any source produces the products wrap to their low 32
      // bits, as 32-bit multiplies do, instead of being undefined.
      {INT32_MIN, INT32_MAX, 128},
      {INT32_MAX, INT32_MAX, -257},
      {INT32_MIN, INT32_MIN, 0},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(FixedMul24(c.a, c.gain), c.product) << c.a << " x " << c.gain;
  }
}

TEST(DurationTest, MillisecondsToFrames) {
  const struct {
    uint32_t ms;
    int32_t frames;
  } cases[] = {
      {0, 0},
      {1, 44},
      {50, 2205},
      {333, 14685},
      {999, 44055},
      {1000, 44100},
      {1500, 66150},
      {60000, 2646000},
      {48695217, 2147459069},
      // Longer durations play as the longest one that can end.
      {48695218, 2147459069},
      {0xFFFFFFFF, 2147459069},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(DurationToFrames(c.ms), c.frames) << c.ms << " ms";
  }
}

TEST(WavetableTest, ExtremesOfEveryWaveform) {
  const struct {
    uint8_t waveform;
    int32_t max, min;
    std::vector<std::pair<int, int32_t>> entries;
  } cases[] = {
      {kWaveformSine, 131070, -131070, {{0, 0}, {743, 18610}, {8192, 131070}, {24576, -131070}}},
      {kWaveformSquare,
       92682,
       -92682,
       {{0, 92682}, {16383, 92682}, {16384, -92682}, {32767, -92682}}},
      {kWaveformTriangular,
       165794,
       -165794,
       {{0, 0}, {1, 20}, {8192, 165794}, {16384, 0}, {24576, -165794}, {32767, -20}}},
      {kWaveformSawTooth,
       165794,
       -165784,
       {{0, 0}, {16384, 165794}, {16385, -165784}, {32767, -10}}},
      {kWaveformImpulse, 0, 0, {{0, 0}}},
      {kWaveformWhiteNoise, 0, 0, {{0, 0}}},
      {7, 0, 0, {{8192, 0}}},
      {255, 0, 0, {{8192, 0}}},
  };
  for (const auto &c : cases) {
    const std::vector<int32_t> table = Table(c.waveform);
    EXPECT_EQ(*std::max_element(table.begin(), table.end()), c.max) << int(c.waveform);
    EXPECT_EQ(*std::min_element(table.begin(), table.end()), c.min) << int(c.waveform);
    for (auto [index, value] : c.entries) {
      EXPECT_EQ(table[index], value) << int(c.waveform) << " at " << index;
    }
  }
}

TEST(OscillatorTest, FrequencyToIncrement) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double hz;
    uint32_t increment;
  } cases[] = {
      {1000.0, 97391548},
      {0.0, 0},
      {22050.0, 2147483648u},
      // Out of range: truncated, then reduced modulo 2^32.
      {-1000.0, 4197575748u},
      {44100.0, 0},
      {44100.5, 48695},
      {1e19, 2013265920u},
      {1e300, 0},
      {-1e300, 0},
      {nan, 0},
      {inf, 0},
      {-inf, 0},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(IncrementForFrequency(c.hz), c.increment) << c.hz;
  }
}

}  // namespace
