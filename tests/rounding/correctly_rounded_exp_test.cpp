#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "mpfr_reference.h"
#include "synth/correctly_rounded_exp.h"

namespace {

// Counts the arguments whose result differs from MPFR's in any bit, reporting
// the first few.
int CountMisrounded(const std::vector<double> &arguments) {
  int misrounded = 0;
  for (double x : arguments) {
    const double expected = MpfrRounded(MpfrFunction::kExp, x);
    const double actual = CorrectlyRoundedExp(x);
    if (std::bit_cast<uint64_t>(actual) != std::bit_cast<uint64_t>(expected)) {
      if (++misrounded <= 5) {
        ADD_FAILURE() << std::hexfloat << "exp(" << x << ") gave " << actual << ", expected "
                      << expected;
      }
    }
  }
  return misrounded;
}

// A double in [0, 1) from 53 random bits: every representable spacing near 1.
double UnitFromBits(uint64_t bits) {
  return static_cast<double>(bits >> 11) * 0x1p-53;
}

TEST(CorrectlyRoundedExp, MatchesMpfrOverTheSweepRange) {
  // The sweep passes t = frame / length for frames 31, 63, … of a duration,
  // running on past 1 for frames rendered beyond it; half the sample has that
  // form, half is spread uniformly over [0, 1.1].
  std::mt19937_64 random(20240521);
  std::vector<double> arguments;
  for (int i = 0; i < 500000; ++i) {
    const int64_t length = 32 + static_cast<int64_t>(random() % (int64_t{1} << 31));
    const int64_t updates = static_cast<int64_t>(1.1 * static_cast<double>(length)) / 32;
    const int64_t frame =
        32 * (1 + static_cast<int64_t>(random() % static_cast<uint64_t>(updates))) - 1;
    arguments.push_back(static_cast<double>(frame) / static_cast<double>(length));
  }
  for (int i = 0; i < 500000; ++i) arguments.push_back(1.1 * UnitFromBits(random()));
  // Both ends, the shortest sweeps and the last updates of a 1000 ms one.
  for (int64_t n = 0; n < 64; ++n) {
    arguments.push_back(DoublesAway(0.0, n));
    arguments.push_back(DoublesAway(1.0, n - 32));
    arguments.push_back(DoublesAway(1.1, -n));
    arguments.push_back(static_cast<double>(31 + 32 * n) / 44100.0);
    arguments.push_back(static_cast<double>(44095 - 32 * n) / 44100.0);
  }
  EXPECT_EQ(CountMisrounded(arguments), 0);
}

TEST(CorrectlyRoundedExp, MatchesMpfrOverTheWholeDomain) {
  std::vector<double> arguments;
  // Results that are half-way cases but for a tiny term: e^x = 1 + x + x²/2 + …
  // with 1 + x a midpoint between two doubles, which only the exact path
  // settles.
  for (int j = 0; j < 64; ++j) {
    arguments.push_back(std::ldexp(2 * j + 1, -53));
    arguments.push_back(-std::ldexp(2 * j + 1, -54));
    arguments.push_back(std::ldexp(1.0, -j));
    arguments.push_back(-std::ldexp(1.0, -j));
  }
  // Around the thresholds: 1 exactly (|x| < 2^-54), the overflow threshold,
  // the first subnormal result, the smallest subnormal and the last nonzero
  // result, the fast path's limit ±708 and the exact path's ±746 and 710.
  const double thresholds[] = {0x1p-54,
                               -0x1p-54,
                               709.782712893384,
                               -708.3964185322641,
                               -744.4400719213812,
                               -745.1332191019411,
                               708.0,
                               -708.0,
                               -746.0,
                               710.0};
  for (double threshold : thresholds) {
    for (int64_t n = -40; n <= 40; ++n) arguments.push_back(DoublesAway(threshold, n));
  }
  std::mt19937_64 random(7);
  for (int i = 0; i < 200000; ++i) arguments.push_back(-746.0 + 1456.0 * UnitFromBits(random()));
  // Random bit patterns: every magnitude, NaNs and infinities among them.
  for (int i = 0; i < 20000; ++i) arguments.push_back(std::bit_cast<double>(random()));
  const double specials[] = {0.0,
                             -0.0,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::max(),
                             -std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::denorm_min()};
  arguments.insert(arguments.end(), std::begin(specials), std::end(specials));

  std::vector<double> numbers;
  for (double x : arguments) {
    if (std::isnan(x)) {
      EXPECT_TRUE(std::isnan(CorrectlyRoundedExp(x)));
    } else {
      numbers.push_back(x);
    }
  }
  EXPECT_EQ(CountMisrounded(numbers), 0);
}

}  // namespace
