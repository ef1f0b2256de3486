#include "settings/parameter_list_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cwchar>
#include <string>
#include <vector>

#include "tests/settings/row_test_support.h"

namespace {

std::wstring AfterSteps(RowCode code, double hz, int steps) {
  ToneSettings settings = Record(kStereo | kSweep);
  *(code == 0x100 ? &settings.leftStartHz[0] : &settings.rightEndHz[3]) = hz;
  for (int i = 0; i < std::abs(steps); ++i) {
    (steps > 0 ? StepRowUp : StepRowDown)(settings, code);
  }
  return ValueText(settings, code);
}

TEST(StepRow, FrequenciesMoveBySemitones) {
  struct Case {
    RowCode code;
    double hz;
    int steps;
    const wchar_t *text;
  } const cases[] = {
      {0x100, 1000.0, 1, L"1059.46Hz"},  {0x100, 1000.0, 12, L"2000.00Hz"}, {0x100, 1000.0, -12, L"500.00Hz"},
      {0x100, 1000.0, -1, L"943.87Hz"},  {0x403, 440.0, 3, L"523.25Hz"},    {0x403, 440.0, -9, L"261.63Hz"},
      {0x100, -440.0, 12, L"-880.00Hz"}, {0x100, 0.0, 5, L"0.00Hz"},        {0x100, kInf, -40, L"infHz"},
      {0x100, kNaN, 3, L"nanHz"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.hz << " by " << c.steps);
    EXPECT_EQ(AfterSteps(c.code, c.hz, c.steps), c.text);
  }
}

TEST(StepRow, AFrequencyStepMovesOnlyItsOwnField) {
  for (RowCode code : {0x100u, 0x20Au, 0x305u, 0x40Fu}) {
    SCOPED_TRACE(code);
    ToneSettings settings = Record(kStereo | kSweep);
    StepRowUp(settings, code);
    ToneSettings expected = Record(kStereo | kSweep);
    double *fields[] = {expected.leftStartHz, expected.rightStartHz, expected.leftEndHz, expected.rightEndHz};
    fields[(code >> 8) - 1][code & 0xFF] = 1000.0 * 1.0594630943592953;
    EXPECT_TRUE(SameBytes(settings, expected));
    StepRowDown(settings, code);
    EXPECT_EQ(ValueText(settings, code), L"1000.00Hz");
  }
}

std::vector<uint32_t> DurationLadder(uint32_t from, void (*step)(ToneSettings &, RowCode), int count) {
  ToneSettings settings;
  settings.durationMs = from;
  std::vector<uint32_t> ladder;
  for (int i = 0; i < count; ++i) {
    step(settings, kRowDuration);
    ladder.push_back(settings.durationMs);
  }
  return ladder;
}

TEST(StepRow, DurationLadders) {
  EXPECT_EQ(DurationLadder(50, StepRowUp, 12),
            (std::vector<uint32_t>{150, 250, 350, 450, 550, 650, 750, 850, 950, 1050, 2050, 3050}));
  EXPECT_EQ(DurationLadder(2500, StepRowDown, 22),
            (std::vector<uint32_t>{1500, 1400, 1300, 1200, 1100, 1000, 900, 800, 700, 600, 500,
                                   400,  300,  200,  100,  100,  100,  100,  100,  100,  100, 100}));
  EXPECT_EQ(DurationLadder(1000, StepRowUp, 1), std::vector<uint32_t>{2000});
  EXPECT_EQ(DurationLadder(999, StepRowUp, 1), std::vector<uint32_t>{1099});
  EXPECT_EQ(DurationLadder(2000, StepRowDown, 2), (std::vector<uint32_t>{1000, 900}));
  EXPECT_EQ(DurationLadder(1999, StepRowDown, 1), std::vector<uint32_t>{1899});
  EXPECT_EQ(DurationLadder(101, StepRowDown, 2), (std::vector<uint32_t>{1, 1}));
  // Stepping up ends on the longest duration that can end, and stays there.
  EXPECT_EQ(DurationLadder(48694217, StepRowUp, 2), (std::vector<uint32_t>{48695217, 48695217}));
  EXPECT_EQ(DurationLadder(48694500, StepRowUp, 2), (std::vector<uint32_t>{48695217, 48695217}));
  EXPECT_EQ(DurationLadder(48695217, StepRowDown, 1), std::vector<uint32_t>{48694217});
  // Values a damaged file may hold: below the ladder, and above the longest
  // duration, where a step up must neither raise nor wrap round to a short one.
  EXPECT_EQ(DurationLadder(0, StepRowDown, 1), std::vector<uint32_t>{0});
  EXPECT_EQ(DurationLadder(0, StepRowUp, 1), std::vector<uint32_t>{100});
  EXPECT_EQ(DurationLadder(0xFFFFFFFFu, StepRowUp, 1), std::vector<uint32_t>{0xFFFFFFFFu});
  EXPECT_EQ(DurationLadder(48695218, StepRowUp, 1), std::vector<uint32_t>{48695218});
  EXPECT_EQ(DurationLadder(0xFFFFFFFFu, StepRowDown, 1), std::vector<uint32_t>{0xFFFFFFFFu - 1000});
}

TEST(StepRow, AmplitudesStepWithinMinusNinetyAndZero) {
  ToneSettings settings;
  for (int expected = -1; expected >= -90; --expected) {
    StepRowDown(settings, 0x507);
    ASSERT_EQ(settings.amplitudeDb[7], expected);
  }
  StepRowDown(settings, 0x507);
  EXPECT_EQ(settings.amplitudeDb[7], -90);
  for (int expected = -89; expected <= 0; ++expected) {
    StepRowUp(settings, 0x507);
    ASSERT_EQ(settings.amplitudeDb[7], expected);
  }
  StepRowUp(settings, 0x507);
  EXPECT_EQ(settings.amplitudeDb[7], 0);
  EXPECT_EQ(ValueText(settings, 0x507), L"0dB");

  struct Case {
    int8_t from;
    int8_t up;
    int8_t down;
  } const outside[] = {{-128, -127, -128}, {-100, -99, -100}, {-91, -90, -91}, {1, 1, 0}, {127, 127, 126}};
  for (const Case &c : outside) {
    SCOPED_TRACE(int(c.from));
    ToneSettings up;
    up.amplitudeDb[2] = c.from;
    StepRowUp(up, 0x502);
    EXPECT_EQ(up.amplitudeDb[2], c.up);
    ToneSettings down;
    down.amplitudeDb[2] = c.from;
    StepRowDown(down, 0x502);
    EXPECT_EQ(down.amplitudeDb[2], c.down);
  }
}

TEST(StepRowAndParse, CodesThatNameNoFieldChangeNothing) {
  for (RowCode code : {0x000u, 0x0FFu, 0x110u, 0x1FFu, 0x510u, 0x601u, 0x6FFu, 0x700u, 0x10100u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(code);
    ToneSettings settings = Record(kStereo | kSweep | kFlagVariableAmplitude);
    const ToneSettings before = settings;
    StepRowUp(settings, code);
    StepRowDown(settings, code);
    ParseRowValue(settings, code, L"-5");
    EXPECT_TRUE(SameBytes(settings, before));
  }
}

struct ParseCase {
  RowCode code;
  const wchar_t *text;
  double stored;
};

double Stored(const ToneSettings &settings, RowCode code) {
  switch (code >> 8) {
    case 1:
      return settings.leftStartHz[code & 0xFF];
    case 2:
      return settings.rightStartHz[code & 0xFF];
    case 3:
      return settings.leftEndHz[code & 0xFF];
    case 4:
      return settings.rightEndHz[code & 0xFF];
    case 5:
      return settings.amplitudeDb[code & 0xFF];
    default:
      return settings.durationMs;
  }
}

TEST(ParseRowValue, TypedTextStoresTheValueTheRowAllows) {
  const ParseCase cases[] = {
      {0x500, L"-127", -127},
      {0x500, L"-200", -127},
      {0x500, L"5", 0},
      {0x500, L"dB", 0},
      {0x500, L"", 0},
      {0x50F, L"-12dB", -12},
      {0x503, L"  -45.9", -45},
      {0x503, L"-99999999999999999999999", -127},
      {0x503, L"99999999999999999999999", 0},
      {0x503, L"- 5", 0},
      {0x600, L"0", 1000},
      {0x600, L"-5", 1000},
      {0x600, L"ms", 1000},
      {0x600, L"2.5", 2},
      {0x600, L"250ms", 250},
      {0x600, L"\t +250", 250},
      {0x600, L"1", 1},
      // Above the longest duration that can end, the row takes that one.
      {0x600, L"48695217", 48695217.0},
      {0x600, L"48695218", 48695217.0},
      {0x600, L"99999999", 48695217.0},
      {0x600, L"4294967296", 48695217.0},
      {0x600, L"99999999999999999999999", 48695217.0},
      {0x600, L"-99999999999999999999999", 1000},
      {0x100, L"440", 440.0},
      {0x100, L"Hz", 0.0},
      {0x100, L"", 0.0},
      {0x10F, L"1059.46Hz", 1059.46},
      {0x200, L"  -20.25", -20.25},
      {0x301, L"+.5", 0.5},
      {0x401, L"1e3Hz", 1000.0},
      {0x401, L"2E-2", 0.02},
      {0x401, L"1,5", 1.0},
      {0x401, L"0x1p4", 16.0},
      {0x401, L"0x", 0.0},
      {0x401, L"-0X1.8p1", -3.0},
      {0x401, L"0x-1p2", 0.0},
      {0x401, L"+-5", 0.0},
      {0x401, L"--5", 0.0},
      {0x401, L"0x1p99999", kInf},
      {0x401, L"0x0.0001p-99999", 0.0},
      {0x401, L"1e99999999999999999999", kInf},
      {0x401, L"123456789e-99999999999999999999", 0.0},
      {0x401, L"1e400", kInf},
      {0x401, L"-1e400", -kInf},
      {0x401, L"0.0000001e-400", 0.0},
      {0x401, L"Infinity", kInf},
      {0x401, L"-inf", -kInf},
      {0x401, L"\u0661\u0662", 0.0},
  };
  for (const ParseCase &c : cases) {
    SCOPED_TRACE(testing::Message() << "code 0x" << std::hex << c.code << " text \"" << c.text << "\"");
    ToneSettings settings;
    settings.flags = kStereo | kSweep | kFlagVariableAmplitude;
    settings.amplitudeDb[c.code & 0xF] = -33;
    settings.durationMs = 777;
    for (double *field : {settings.leftStartHz, settings.rightStartHz, settings.leftEndHz, settings.rightEndHz}) {
      field[c.code & 0xF] = 123.0;
    }
    ParseRowValue(settings, c.code, c.text);
    EXPECT_EQ(Stored(settings, c.code), c.stored);
  }
}

TEST(ParseRowValue, NotANumberIsStoredAsTyped) {
  ToneSettings settings;
  ParseRowValue(settings, 0x100, L"nan");
  EXPECT_TRUE(std::isnan(settings.leftStartHz[0]));
  EXPECT_EQ(ValueText(settings, 0x100), L"nanHz");
}

TEST(ParseRowValue, EveryValueTextParsesBackToTheValueShown) {
  ToneSettings settings = Record(kStereo | kSweep | kFlagVariableAmplitude);
  settings.toneCount = 16;
  for (int i = 0; i < kMaxTones; ++i) {
    settings.leftStartHz[i] = 1000.0 * std::pow(1.0594630943592953, i);
    settings.leftEndHz[i] = 20.0 + 1234.5678 * i;
    settings.rightStartHz[i] = 1.0 / (i + 3);
    settings.rightEndHz[i] = 19999.995 - i;
    settings.amplitudeDb[i] = int8_t(-8 * i);
  }
  settings.durationMs = 123456;
  RowCode codes[kMaxParameterRows];
  size_t count = ParameterRowCodes(settings, codes);
  ASSERT_EQ(count, kMaxParameterRows);
  for (size_t i = 0; i < count; ++i) {
    SCOPED_TRACE(codes[i]);
    std::wstring shown = ValueText(settings, codes[i]);
    ToneSettings parsed = settings;
    ParseRowValue(parsed, codes[i], shown.c_str());
    EXPECT_EQ(ValueText(parsed, codes[i]), shown);
    if (codes[i] < kRowAmplitudeDb) {
      EXPECT_EQ(Stored(parsed, codes[i]), std::wcstod(shown.c_str(), nullptr));
    } else {
      EXPECT_EQ(Stored(parsed, codes[i]), Stored(settings, codes[i]));
    }
  }
}

TEST(ParseRowValue, ASemitoneAboveAThousandIsCutToItsDisplayedDecimals) {
  ToneSettings settings;
  StepRowUp(settings, 0x100);
  wchar_t text[kRowTextLength];
  RowValueText(settings, 0x100, text);
  ParseRowValue(settings, 0x100, text);
  EXPECT_EQ(settings.leftStartHz[0], 1059.46);
}

// The program runs under the user's locale for the terminal's sake; a decimal
// comma there must not reach the texts or the reading of typed values.

}  // namespace
