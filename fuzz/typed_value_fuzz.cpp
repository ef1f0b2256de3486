// Any text typed into the value edit dialog, stored into every row of a few
// records: the edit may change only the field its row names, the value must
// read back as text, and stepping from it must stay inside the field too.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "settings/parameter_list_model.h"
#include "settings/tone_settings.h"

namespace {

std::vector<ToneSettings> Records() {
  std::vector<ToneSettings> records(3);
  // Stereo, log sweep, sixteen tones of varying amplitude: every row exists.
  ToneSettings &full = records[1];
  full.flags = kFlagSweep | kFlagLogSweep | kFlagStereo | kFlagDuration | kFlagVariableAmplitude;
  full.toneCount = kMaxTones;
  full.waveform = kWaveformSawTooth;
  for (int i = 0; i < kMaxTones; ++i) full.amplitudeDb[i] = static_cast<int8_t>(-i * 8);
  // What only a damaged file holds: all bits set (NaN frequencies, -1 dB,
  // the longest duration, waveform and tone count far out of range).
  std::memset(static_cast<void *>(&records[2]), 0xFF, sizeof(ToneSettings));
  return records;
}

// Bytes below 0x80 are typed characters; a byte from 0x80 up starts a wide
// character made of it and the next two bytes, so the fuzzer reaches every
// code point a terminal can deliver, surrogates and non-characters included.
std::vector<wchar_t> DecodeText(const uint8_t *data, size_t size) {
  std::vector<wchar_t> text;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] < 0x80 || i + 2 >= size) {
      text.push_back(static_cast<wchar_t>(data[i]));
    } else {
      uint32_t c = (uint32_t(data[i] & 0x7F) << 16 | uint32_t(data[i + 1]) << 8 | data[i + 2]) % 0x110000;
      text.push_back(static_cast<wchar_t>(c));
      i += 2;
    }
  }
  text.push_back(L'\0');
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const std::vector<ToneSettings> records = Records();
  std::vector<wchar_t> text = DecodeText(data, size);

  for (const ToneSettings &record : records) {
    ForEachProbeCode([&](RowCode code) {
      ToneSettings typed = record;
      ParseRowValue(typed, code, text.data());
      CheckOnlyFieldChanged(record, typed, code);
      if (code == kRowDuration) FUZZ_CHECK(typed.durationMs != 0);
      FieldBytes field = FieldOf(code);
      if (code >= kRowAmplitudeDb && code < kRowAmplitudeDb + kMaxTones) {
        int8_t db = typed.amplitudeDb[code - kRowAmplitudeDb];
        FUZZ_CHECK(db >= -127 && db <= 0);
      }
      if (field.size == 0) FUZZ_CHECK(std::memcmp(&typed, &record, sizeof(ToneSettings)) == 0);

      wchar_t shown[kRowTextLength];
      RowValueText(typed, code, shown);
      CheckTerminated(shown);
      CheckStepsChangeOnlyTheirField(typed, code);
    });
  }
  return 0;
}
