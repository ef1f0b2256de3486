// What the parameter list's tests share: flag sets by name, a record with
// given flags, and a row's label and value text, read from a buffer
// prefilled with '#' so that what the call did not write shows.
#pragma once

#include <cstring>
#include <cwchar>
#include <limits>
#include <string>

#include "settings/parameter_list_model.h"

constexpr uint16_t kMono = 0;
constexpr uint16_t kStereo = kFlagStereo;
constexpr uint16_t kSweep = kFlagSweep | kFlagDuration;
constexpr uint16_t kLogSweep = kFlagSweep | kFlagLogSweep | kFlagDuration;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

inline ToneSettings Record(uint16_t flags, uint8_t waveform = kWaveformSine) {
  ToneSettings settings;
  settings.flags = flags;
  settings.waveform = waveform;
  return settings;
}

inline std::wstring Label(const ToneSettings &settings, RowCode code) {
  wchar_t text[kRowTextLength];
  std::wmemset(text, L'#', kRowTextLength);
  RowLabel(settings, code, text);
  return text;
}

inline std::wstring ValueText(const ToneSettings &settings, RowCode code) {
  wchar_t text[kRowTextLength];
  std::wmemset(text, L'#', kRowTextLength);
  RowValueText(settings, code, text);
  return text;
}

inline bool SameBytes(const ToneSettings &a, const ToneSettings &b) { return std::memcmp(&a, &b, sizeof a) == 0; }
