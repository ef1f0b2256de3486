#include "settings/parameter_list_model.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>

#include "tests/settings/row_test_support.h"

namespace {

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
