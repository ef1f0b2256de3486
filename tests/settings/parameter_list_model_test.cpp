#include "settings/parameter_list_model.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kMono = 0;
constexpr uint16_t kStereo = kFlagStereo;
constexpr uint16_t kSweep = kFlagSweep | kFlagDuration;
constexpr uint16_t kLogSweep = kFlagSweep | kFlagLogSweep | kFlagDuration;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

ToneSettings Record(uint16_t flags, uint8_t waveform = kWaveformSine) {
  ToneSettings settings;
  settings.flags = flags;
  settings.waveform = waveform;
  return settings;
}

std::wstring Label(const ToneSettings &settings, RowCode code) {
  wchar_t text[kRowTextLength];
  std::wmemset(text, L'#', kRowTextLength);
  RowLabel(settings, code, text);
  return text;
}

std::wstring ValueText(const ToneSettings &settings, RowCode code) {
  wchar_t text[kRowTextLength];
  std::wmemset(text, L'#', kRowTextLength);
  RowValueText(settings, code, text);
  return text;
}

bool SameBytes(const ToneSettings &a, const ToneSettings &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct LabelCase {
  uint16_t flags;
  uint8_t waveform;
  RowCode code;
  const wchar_t *label;
};

TEST(RowLabel, EveryFamilyInEveryChannelAndSweepMode) {
  const LabelCase cases[] = {
      {kMono, kWaveformSine, 0x100, L"Sine 1 Frequency"},
      {kMono, kWaveformSine, 0x200, L""},
      {kMono, kWaveformSine, 0x300, L""},
      {kMono, kWaveformSine, 0x400, L""},
      {kMono, kWaveformSine, 0x500, L"Sine 1 Relative Amplitude"},
      {kMono, kWaveformSine, 0x600, L"Sine Duration"},
      {kSweep, kWaveformSquare, 0x101, L"Square 2 Start Frequency"},
      {kSweep, kWaveformSquare, 0x201, L""},
      {kSweep, kWaveformSquare, 0x301, L"Square 2 End Frequency"},
      {kSweep, kWaveformSquare, 0x401, L""},
      {kSweep, kWaveformSquare, 0x501, L"Square 2 Relative Amplitude"},
      {kSweep, kWaveformSquare, 0x600, L"Square Duration"},
      {kStereo, kWaveformTriangular, 0x10F, L"Triangular 16 Left Frequency"},
      {kStereo, kWaveformTriangular, 0x20F, L"Triangular 16 Right Frequency"},
      {kStereo, kWaveformTriangular, 0x30F, L""},
      {kStereo, kWaveformTriangular, 0x40F, L""},
      {kStereo, kWaveformTriangular, 0x50F, L"Triangular 16 Relative Amplitude"},
      {kStereo, kWaveformTriangular, 0x600, L"Triangular Duration"},
      {kStereo | kSweep, kWaveformSawTooth, 0x102, L"Saw Tooth 3 Start Left Frequency"},
      {kStereo | kSweep, kWaveformSawTooth, 0x202, L"Saw Tooth 3 Start Right Frequency"},
      {kStereo | kSweep, kWaveformSawTooth, 0x302, L"Saw Tooth 3 End Left Frequency"},
      {kStereo | kSweep, kWaveformSawTooth, 0x402, L"Saw Tooth 3 End Right Frequency"},
      {kStereo | kSweep, kWaveformSawTooth, 0x502, L"Saw Tooth 3 Relative Amplitude"},
      {kStereo | kSweep, kWaveformSawTooth, 0x600, L"Saw Tooth Duration"},
      // The logarithmic bit changes no label; only bit 0 counts as sweep, even
      // without the duration bit (a record from a file may hold that).
      {kStereo | kLogSweep, kWaveformImpulse, 0x402, L"Impulse 3 End Right Frequency"},
      {kFlagSweep, kWaveformImpulse, 0x300, L"Impulse 1 End Frequency"},
      {kFlagLogSweep, kWaveformImpulse, 0x100, L"Impulse 1 Frequency"},
      {kMono, kWaveformSquare, 0x102, L"Square 3 Frequency"},
      {kFlagVariableAmplitude, kWaveformSine, 0x501, L"Sine 2 Relative Amplitude"},
      {kFlagDuration, kWaveformPinkNoise, 0x600, L"Pink Noise Duration"},
      {kFlagDuration, kWaveformWhiteNoise, 0x600, L"White Noise Duration"},
      // A waveform beyond the table has an empty name.
      {kMono, 7, 0x100, L" 1 Frequency"},
      {kMono, 255, 0x600, L" Duration"},
      // Codes that name no field.
      {kStereo | kSweep, kWaveformSine, 0x000, L""},
      {kStereo | kSweep, kWaveformSine, 0x0FF, L""},
      {kStereo | kSweep, kWaveformSine, 0x110, L""},
      {kStereo | kSweep, kWaveformSine, 0x5FF, L""},
      {kStereo | kSweep, kWaveformSine, 0x601, L""},
      {kStereo | kSweep, kWaveformSine, 0x700, L""},
      {kStereo | kSweep, kWaveformSine, 0x10100, L""},
      {kStereo | kSweep, kWaveformSine, 0xFFFFFFFF, L""},
  };
  for (const LabelCase &c : cases) {
    SCOPED_TRACE(testing::Message() << "flags " << c.flags << " waveform " << int(c.waveform) << " code 0x"
                                    << std::hex << c.code);
    EXPECT_EQ(Label(Record(c.flags, c.waveform), c.code), c.label);
  }
}

struct ValueCase {
  const char *what;
  void (*change)(ToneSettings &);
  uint16_t flags;
  RowCode code;
  const wchar_t *text;
};

TEST(RowValueText, ShowsTheFieldTheCodeNames) {
  const ValueCase cases[] = {
      {"default duration", [](ToneSettings &) {}, kMono, 0x600, L"1000ms"},
      {"duration without the duration bit", [](ToneSettings &s) { s.durationMs = 250; }, kMono, 0x600, L"250ms"},
      {"duration past 2^31", [](ToneSettings &s) { s.durationMs = 3000000000u; }, kMono, 0x600, L"3000000000ms"},
      {"largest duration", [](ToneSettings &s) { s.durationMs = 0xFFFFFFFFu; }, kMono, 0x600, L"4294967295ms"},
      {"zero amplitude", [](ToneSettings &) {}, kMono, 0x500, L"0dB"},
      {"negative amplitude", [](ToneSettings &s) { s.amplitudeDb[3] = -12; }, kMono, 0x503, L"-12dB"},
      {"lowest amplitude", [](ToneSettings &s) { s.amplitudeDb[15] = -128; }, kMono, 0x50F, L"-128dB"},
      {"positive amplitude", [](ToneSettings &s) { s.amplitudeDb[0] = 127; }, kMono, 0x500, L"127dB"},
      {"default frequency", [](ToneSettings &) {}, kMono, 0x100, L"1000.00Hz"},
      {"semitone above", [](ToneSettings &s) { s.leftStartHz[0] = 1000.0 * 1.0594630943592953; }, kMono, 0x100,
       L"1059.46Hz"},
      {"rounded up", [](ToneSettings &s) { s.leftStartHz[1] = 439.999; }, kMono, 0x101, L"440.00Hz"},
      {"end frequency without sweep", [](ToneSettings &s) { s.leftEndHz[2] = 20.5; }, kMono, 0x302, L"20.50Hz"},
      {"right start in mono", [](ToneSettings &) {}, kMono, 0x200, L""},
      {"right end in mono, sweeping", [](ToneSettings &) {}, kSweep, 0x400, L""},
      {"right start in stereo", [](ToneSettings &s) { s.rightStartHz[4] = 123.456; }, kStereo, 0x204, L"123.46Hz"},
      {"right end in stereo without sweep", [](ToneSettings &s) { s.rightEndHz[15] = 8000; }, kStereo, 0x40F,
       L"8000.00Hz"},
      {"left start in stereo", [](ToneSettings &s) { s.leftStartHz[0] = 0.004; }, kStereo, 0x100, L"0.00Hz"},
      {"unknown family", [](ToneSettings &) {}, kStereo, 0x700, L""},
      {"tone beyond the arrays", [](ToneSettings &) {}, kStereo, 0x210, L""},
      {"duration code with a tone", [](ToneSettings &) {}, kStereo, 0x605, L""},
  };
  for (const ValueCase &c : cases) {
    SCOPED_TRACE(c.what);
    ToneSettings settings = Record(c.flags);
    c.change(settings);
    EXPECT_EQ(ValueText(settings, c.code), c.text);
  }
}

// Frequencies only a damaged file (or deliberate typing) produces: every one
// gets a text that fits the buffer and parses back to the value shown.
TEST(RowValueText, FrequenciesOutsideTheUsualRange) {
  struct Case {
    double hz;
    const wchar_t *text;
  } const cases[] = {
      {-440.0, L"-440.00Hz"},
      {0.0, L"0.00Hz"},
      {kInf, L"infHz"},
      {-kInf, L"-infHz"},
      {kNaN, L"nanHz"},
      {-kNaN, L"-nanHz"},
      {1e300, L"1e+300Hz"},
      {-std::numeric_limits<double>::max(), L"-1.7976931348623157e+308Hz"},
      {5e-324, L"0.00Hz"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.hz);
    ToneSettings settings;
    settings.leftStartHz[0] = c.hz;
    std::wstring text = ValueText(settings, 0x100);
    EXPECT_EQ(text, c.text);
    ParseRowValue(settings, 0x100, text.c_str());
    EXPECT_EQ(ValueText(settings, 0x100), text);
  }
}

TEST(RowValueText, LongestFixedTextStillFitsTheBuffer) {
  // 254 integer digits, ".00" and "Hz" are 259 characters: the most the buffer
  // takes before the exponent form is needed.
  ToneSettings settings;
  settings.leftStartHz[0] = -9.999e252;
  std::wstring text = ValueText(settings, 0x100);
  EXPECT_EQ(text.size(), 259u);
  EXPECT_EQ(text.substr(text.size() - 5), L".00Hz");
  settings.leftStartHz[0] = -9.999e253;
  EXPECT_EQ(ValueText(settings, 0x100), L"-9.999e+253Hz");
}

TEST(ParameterRowCodes, FollowTheFlagsWaveformAndToneCount) {
  struct Case {
    const char *what;
    uint16_t flags;
    uint8_t waveform;
    uint8_t toneCount;
    std::vector<RowCode> codes;
  } const cases[] = {
      {"defaults", kMono, kWaveformSine, 1, {0x100}},
      {"three mono tones", kMono, kWaveformImpulse, 3, {0x100, 0x101, 0x102}},
      {"mono sweep", kSweep, kWaveformSine, 2, {0x100, 0x300, 0x101, 0x301, 0x600}},
      {"stereo", kStereo, kWaveformSine, 1, {0x100, 0x200}},
      {"variable amplitude, duration",
       kFlagVariableAmplitude | kFlagDuration,
       kWaveformSquare,
       2,
       {0x100, 0x500, 0x101, 0x501, 0x600}},
      {"stereo log sweep", kStereo | kLogSweep, kWaveformSine, 1, {0x100, 0x300, 0x200, 0x400, 0x600}},
      {"sweep bit alone", kFlagSweep, kWaveformSine, 1, {0x100, 0x300}},
      {"white noise with duration", kStereo | kSweep | kFlagVariableAmplitude, kWaveformWhiteNoise, 4, {0x600}},
      {"pink noise without duration", kStereo | kFlagVariableAmplitude, kWaveformPinkNoise, 4, {}},
      {"no tones", kFlagDuration, kWaveformSine, 0, {0x600}},
      {"waveform beyond the table keeps tone rows", kMono, 9, 1, {0x100}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    ToneSettings settings = Record(c.flags, c.waveform);
    settings.toneCount = c.toneCount;
    RowCode codes[kMaxParameterRows];
    size_t count = ParameterRowCodes(settings, codes);
    EXPECT_EQ(std::vector<RowCode>(codes, codes + count), c.codes);
  }
}

TEST(ParameterRowCodes, ToneCountFromADamagedFileStopsAtSixteen) {
  ToneSettings settings = Record(kStereo | kSweep | kFlagVariableAmplitude);
  for (int toneCount : {16, 17, 255}) {
    settings.toneCount = uint8_t(toneCount);
    RowCode codes[kMaxParameterRows];
    ASSERT_EQ(ParameterRowCodes(settings, codes), kMaxParameterRows);
    EXPECT_EQ(codes[kMaxParameterRows - 2], 0x50Fu);
    EXPECT_EQ(codes[kMaxParameterRows - 1], 0x600u);
  }
}

TEST(ParameterRowCodes, TwoToneStereoLinearSweepWithVariableAmplitude) {
  ToneSettings settings = Record(kStereo | kSweep | kFlagVariableAmplitude);
  settings.toneCount = 2;
  settings.leftStartHz[1] = 440.0;
  settings.rightEndHz[0] = 2000.0;
  settings.amplitudeDb[1] = -6;
  settings.durationMs = 2500;
  struct Row {
    RowCode code;
    const wchar_t *label;
    const wchar_t *value;
  } const rows[] = {
      {0x100, L"Sine 1 Start Left Frequency", L"1000.00Hz"},
      {0x300, L"Sine 1 End Left Frequency", L"1000.00Hz"},
      {0x200, L"Sine 1 Start Right Frequency", L"1000.00Hz"},
      {0x400, L"Sine 1 End Right Frequency", L"2000.00Hz"},
      {0x500, L"Sine 1 Relative Amplitude", L"0dB"},
      {0x101, L"Sine 2 Start Left Frequency", L"440.00Hz"},
      {0x301, L"Sine 2 End Left Frequency", L"1000.00Hz"},
      {0x201, L"Sine 2 Start Right Frequency", L"1000.00Hz"},
      {0x401, L"Sine 2 End Right Frequency", L"1000.00Hz"},
      {0x501, L"Sine 2 Relative Amplitude", L"-6dB"},
      {0x600, L"Sine Duration", L"2500ms"},
  };
  RowCode codes[kMaxParameterRows];
  ASSERT_EQ(ParameterRowCodes(settings, codes), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(codes[i], rows[i].code);
    EXPECT_EQ(Label(settings, codes[i]), rows[i].label);
    EXPECT_EQ(ValueText(settings, codes[i]), rows[i].value);
  }
}

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
TEST(RowValueText, TextsDoNotFollowTheUserLocale) {
  std::string saved = std::setlocale(LC_ALL, nullptr);
  const char *commaLocale = nullptr;
  for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "ru_RU.UTF-8", "de_DE"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      commaLocale = name;
      break;
    }
  }
  if (commaLocale == nullptr) {
    GTEST_SKIP() << "no locale with a decimal comma is installed";
  }
  ToneSettings settings;
  StepRowUp(settings, 0x100);
  std::wstring shown = ValueText(settings, 0x100);
  ParseRowValue(settings, 0x101, L"440.5");
  ParseRowValue(settings, 0x102, L"440,5");
  double typedWithPoint = settings.leftStartHz[1];
  double typedWithComma = settings.leftStartHz[2];
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(shown, L"1059.46Hz") << commaLocale;
  EXPECT_EQ(typedWithPoint, 440.5);
  EXPECT_EQ(typedWithComma, 440.0);
}

}  // namespace
