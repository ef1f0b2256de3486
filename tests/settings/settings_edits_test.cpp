#include "settings/settings_edits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SettingsEdits, ToneModesChangeOnlyTheirThreeBits) {
  struct Case {
    ToneMode mode;
    uint16_t before;
    uint16_t after;
  };
  std::vector<Case> cases = {
      {ToneMode::Continuous, 0x000B, 0x0000},
      {ToneMode::Continuous, 0xFFFF, 0xFFF4},  // stereo, variable amplitude and bits 5..15 survive
      {ToneMode::SpecifiedDuration, 0x0000, 0x0008},
      {ToneMode::SpecifiedDuration, 0xFFFF, 0xFFFC},
      {ToneMode::SpecifiedDuration, 0x0017, 0x001C},
      {ToneMode::SweepLinear, 0x0000, 0x0009},
      {ToneMode::SweepLinear, 0xFFFF, 0xFFFD},
      {ToneMode::SweepLinear, 0x0016, 0x001D},
      {ToneMode::SweepLog, 0x0000, 0x000B},
      {ToneMode::SweepLog, 0x0014, 0x001F},
      {ToneMode::SweepLog, 0xFFF0, 0xFFFB},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE("row " + std::to_string(&c - cases.data()));
    ToneSettings settings;
    settings.flags = c.before;
    SetToneMode(settings, c.mode);
    EXPECT_EQ(settings.flags, c.after) << "mode " << int(c.mode) << " from " << std::hex << c.before;
    EXPECT_EQ(GetToneMode(settings), c.mode);
  }
}

TEST(SettingsEdits, ToneModeReadsBitThreeThenZeroThenOne) {
  struct Case {
    uint16_t flags;
    ToneMode mode;
  };
  // Flags a damaged file may hold: a sweep without a duration is continuous.
  std::vector<Case> cases = {
      {0x0000, ToneMode::Continuous},        {0x0001, ToneMode::Continuous},
      {0x0003, ToneMode::Continuous},        {0x0007, ToneMode::Continuous},
      {0x0008, ToneMode::SpecifiedDuration}, {0x000A, ToneMode::SpecifiedDuration},
      {0x0009, ToneMode::SweepLinear},       {0x000B, ToneMode::SweepLog},
      {0xFFFF, ToneMode::SweepLog},
  };
  for (const Case &c : cases) {
    ToneSettings settings;
    settings.flags = c.flags;
    EXPECT_EQ(GetToneMode(settings), c.mode) << std::hex << c.flags;
  }
}

TEST(SettingsEdits, ContinuousAfterLogSweepKeepsStereoAndVariableAmplitude) {
  ToneSettings settings;
  SetStereo(settings, true);
  ToggleVariableAmplitude(settings);
  SetToneMode(settings, ToneMode::SweepLog);
  EXPECT_EQ(settings.flags, 0x001F);
  SetToneMode(settings, ToneMode::Continuous);
  EXPECT_EQ(settings.flags, 0x0014);
  EXPECT_TRUE(IsStereo(settings));
  EXPECT_TRUE(HasVariableAmplitude(settings));
}

TEST(SettingsEdits, ChannelsAndVariableAmplitudeTouchOneBitEach) {
  struct Case {
    const char *what;
    void (*edit)(ToneSettings &);
    uint16_t before;
    uint16_t after;
  };
  std::vector<Case> cases = {
      {"mono", [](ToneSettings &s) { SetStereo(s, false); }, 0xFFFF, 0xFFFB},
      {"mono while mono", [](ToneSettings &s) { SetStereo(s, false); }, 0x0018, 0x0018},
      {"stereo", [](ToneSettings &s) { SetStereo(s, true); }, 0x0000, 0x0004},
      {"stereo while stereo", [](ToneSettings &s) { SetStereo(s, true); }, 0xFFFF, 0xFFFF},
      {"variable amplitude on", ToggleVariableAmplitude, 0x000B, 0x001B},
      {"variable amplitude off", ToggleVariableAmplitude, 0xFFFF, 0xFFEF},
  };
  for (const Case &c : cases) {
    ToneSettings settings;
    settings.flags = c.before;
    c.edit(settings);
    EXPECT_EQ(settings.flags, c.after) << c.what;
  }
}

TEST(SettingsEdits, WaveformAndToneCountLeaveEverythingElse) {
  ToneSettings settings;
  settings.flags = 0x001F;
  settings.leftStartHz[15] = 123.0;
  SetToneCount(settings, 16);
  SetWaveform(settings, kWaveformPinkNoise);
  SetToneCount(settings, 1);
  EXPECT_EQ(settings.toneCount, 1);
  EXPECT_EQ(settings.waveform, kWaveformPinkNoise);
  EXPECT_EQ(settings.flags, 0x001F);
  EXPECT_EQ(settings.leftStartHz[15], 123.0);  // a lowered count keeps the values above it
}

TEST(SettingsEdits, ToneModeNamesAreTheMenuTexts) {
  EXPECT_EQ(std::wstring(ToneModeName(ToneMode::Continuous)), L"Constant (Continuous)");
  EXPECT_EQ(std::wstring(ToneModeName(ToneMode::SpecifiedDuration)), L"Constant (Specified Duration)");
  EXPECT_EQ(std::wstring(ToneModeName(ToneMode::SweepLinear)), L"Sweep (Linear)");
  EXPECT_EQ(std::wstring(ToneModeName(ToneMode::SweepLog)), L"Sweep (Log)");
}

}  // namespace
