#include "settings/parameter_list_model.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "tests/settings/row_test_support.h"

namespace {

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

}  // namespace
