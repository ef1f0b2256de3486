#include "audio/sample_convert.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

TEST(ConvertTo16, RoundsByEightAndShiftsByFour) {
  struct Case {
    int32_t in;
    int16_t out;
  };
  const std::vector<Case> cases = {
      {7, 0},           {8, 1},          {-8, 0},          {-9, -1},
      {0, 0},           {24, 2},         {-24, -1},        {0x7fff0, 32767},
      {-0x7fff0, -32767},
      {0x7fff8, -32768},  // no clamping: the low 16 bits of 0x8000
      {-0x80008, -32768}, {INT32_MAX, 0},  {INT32_MIN, 0},
  };
  std::vector<int32_t> in;
  for (const Case &c : cases) in.push_back(c.in);
  std::vector<int16_t> out(cases.size() + 1, 0x5555);
  ConvertTo16(out.data(), in.data(), static_cast<int>(in.size()));
  for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(out[i], cases[i].out) << "in = " << cases[i].in;
  EXPECT_EQ(out.back(), 0x5555);  // nothing beyond count
}

TEST(FramesToTenThousandths, SplitsTheDivisionSoNothingOverflows) {
  struct Case {
    int32_t frames;
    int32_t rate;
    int32_t expected;
  };
  const Case cases[] = {
      {44100, 44100, 10000},   {22050, 44100, 5000},           {1, 44100, 0},
      {5, 44100, 1},           {0, 44100, 0},                  {2646000, 44100, 600000},
      {123, 0, 0},             {123, -44100, 0},               {INT32_MAX, 44100, 486957743},
      {999999, 1000000, 9999},  // (frames mod rate) × 10000 is beyond 32 bits here
  };
  for (const Case &c : cases) {
    EXPECT_EQ(FramesToTenThousandths(c.frames, c.rate), c.expected) << c.frames << " at " << c.rate;
  }
}

}  // namespace
