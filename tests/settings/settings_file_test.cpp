#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/tone_settings.h"
#include "tests/settings/temp_config_folder.h"

namespace {

std::string Bytes(const ToneSettings &settings) {
  return std::string(reinterpret_cast<const char *>(&settings), sizeof settings);
}

std::string Hex(const std::string &bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

TEST(ToneSettingsRecord, DefaultRecordHasTheFileBytesOfAFreshStart) {
  std::string expected = "00 00 00 01 E8 03 00 00";
  for (int i = 0; i < 64; ++i) expected += " 00 00 00 00 00 40 8F 40";
  for (int i = 0; i < 16; ++i) expected += " 00";
  EXPECT_EQ(Hex(Bytes(ToneSettings{})), expected);
}

// A record whose every field differs from the defaults, tones above the count
// included, so that a byte lost or moved anywhere shows.
ToneSettings Unusual() {
  ToneSettings settings;
  settings.flags = 0x001F;
  settings.waveform = kWaveformImpulse;
  settings.toneCount = 3;
  settings.durationMs = 0x01020304;
  for (int i = 0; i < kMaxTones; ++i) {
    settings.leftStartHz[i] = 20.5 + i;
    settings.leftEndHz[i] = 20000.0 / (i + 1);
    settings.rightStartHz[i] = -1.0 * i;
    settings.rightEndHz[i] = 1e-3 * (i + 7);
    settings.amplitudeDb[i] = static_cast<int8_t>(-i * 8);
  }
  return settings;
}

TEST(SettingsFile, AWrittenRecordReadsBackByteForByte) {
  TempConfigFolder folder;
  ToneSettings written = Unusual();
  ASSERT_TRUE(WriteFileBytes(L"Current.tdf", &written, kToneSettingsSize));
  EXPECT_EQ(folder.Read("Current.tdf"), Bytes(written));

  ToneSettings read;
  EXPECT_TRUE(ReadFileBytes(L"Current.tdf", &read, kToneSettingsSize));
  EXPECT_EQ(Bytes(read), Bytes(written));
}

TEST(SettingsFile, ReadsReplaceOnlyTheBytesTheFileHas) {
  std::string unusual = Bytes(Unusual());
  std::string defaults = Bytes(ToneSettings{});
  struct Case {
    const char *what;
    std::string file;
    bool result;
    std::string record;
  };
  std::vector<Case> cases = {
      {"empty file", "", false, defaults},
      // flags, waveform and tone count only; the duration and every
      // frequency and amplitude keep their defaults
      {"four bytes", std::string("\x0B\x00\x02\x10", 4), false,
       std::string("\x0B\x00\x02\x10", 4) + defaults.substr(4)},
      {"one byte short", unusual.substr(0, 535), false, unusual.substr(0, 535) + defaults.substr(535)},
      {"exact", unusual, true, unusual},
      {"longer file", unusual + "trailing bytes", true, unusual},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    TempConfigFolder folder;
    folder.Write("Current.tdf", c.file);
    ToneSettings settings;
    EXPECT_EQ(ReadFileBytes(L"Current.tdf", &settings, kToneSettingsSize), c.result);
    EXPECT_EQ(Hex(Bytes(settings)), Hex(c.record));
  }
}

TEST(SettingsFile, AMissingFileLeavesTheDefaults) {
  TempConfigFolder folder;
  ToneSettings settings;
  EXPECT_FALSE(ReadFileBytes(L"Current.tdf", &settings, kToneSettingsSize));
  EXPECT_EQ(Bytes(settings), Bytes(ToneSettings{}));
  FileReadOutcome outcome = ReadFileBytesCounted(L"Current.tdf", &settings, kToneSettingsSize);
  EXPECT_FALSE(outcome.opened);
  EXPECT_EQ(outcome.bytesRead, 0u);
}

TEST(SettingsFile, CountedReadsTellAShortFileFromAMissingOne) {
  TempConfigFolder folder;
  folder.Write("Short.tdf", std::string(10, '\x7f'));
  ToneSettings settings;
  FileReadOutcome outcome = ReadFileBytesCounted(L"Short.tdf", &settings, kToneSettingsSize);
  EXPECT_TRUE(outcome.opened);
  EXPECT_EQ(outcome.bytesRead, 10u);
}

TEST(SettingsFile, AFailedWriteKeepsTheOldFile) {
  TempConfigFolder folder;
  ToneSettings old = Unusual();
  ASSERT_TRUE(WriteFileBytes(L"Current.tdf", &old, kToneSettingsSize));
  // A name whose folder is a file cannot be created.
  ToneSettings fresh;
  EXPECT_FALSE(WriteFileBytes((folder.PathOf("Current.tdf") / "inside.tdf").wstring().c_str(), &fresh,
                              kToneSettingsSize));
  EXPECT_EQ(folder.Read("Current.tdf"), Bytes(old));
}

TEST(SettingsFile, WritingReplacesALongerOldFileWhole) {
  TempConfigFolder folder;
  folder.Write("Current.tdf", std::string(2000, 'x'));
  ToneSettings settings;
  ASSERT_TRUE(WriteFileBytes(L"Current.tdf", &settings, kToneSettingsSize));
  EXPECT_EQ(folder.Read("Current.tdf"), Bytes(settings));
}

}  // namespace
