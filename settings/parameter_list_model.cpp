#include "settings/parameter_list_model.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cstdint>
#include <cwchar>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

namespace {

// 2^(1/12), written out so that every build steps by the very same double.
constexpr double kSemitone = 1.0594630943592953;

struct DecodedRow {
  RowCode family;  // kRowLeftStartHz ... kRowDuration, or 0 for a code no field answers to
  int tone;
};

// A tone index beyond the arrays is treated as an unknown code: item data is
// only a number, and a stray one must not reach past a per-tone array.
DecodedRow Decode(RowCode code) {
  if (code == kRowDuration) {
    return {kRowDuration, 0};
  }
  RowCode family = code & ~RowCode(0xFF);
  int tone = int(code & 0xFF);
  if (family >= kRowLeftStartHz && family <= kRowAmplitudeDb && tone < kMaxTones) {
    return {family, tone};
  }
  return {0, 0};
}

bool IsFrequencyFamily(RowCode family) { return family >= kRowLeftStartHz && family <= kRowRightEndHz; }

// The frequency field a decoded frequency row names, const or not as the record.
template <typename Settings>
auto FrequencyField(Settings &settings, DecodedRow row) -> decltype(&settings.leftStartHz[0]) {
  switch (row.family) {
    case kRowRightStartHz:
      return &settings.rightStartHz[row.tone];
    case kRowLeftEndHz:
      return &settings.leftEndHz[row.tone];
    case kRowRightEndHz:
      return &settings.rightEndHz[row.tone];
    case kRowLeftStartHz:
    default:
      return &settings.leftStartHz[row.tone];
  }
}

// "%.2fHz", but independent of the process locale: the program runs under the
// user's locale for the terminal's wide characters, and a decimal comma would
// change the texts and stop them from parsing back. to_chars gives exactly
// what the C locale's printf gives, "inf", "nan" and "-nan" included.
void FormatHz(double hz, wchar_t (&text)[kRowTextLength]) {
  constexpr size_t kUnitAndTerminator = 3;
  char digits[kRowTextLength - kUnitAndTerminator];
  std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, hz, std::chars_format::fixed, 2);
  if (result.ec != std::errc()) {
    // Only a damaged record holds a frequency with more than 250 digits. The
    // shortest exponent form that reads back as the same double, because two
    // rounded decimals of the largest doubles would read back as infinity.
    result = std::to_chars(digits, digits + sizeof digits, hz, std::chars_format::scientific);
  }
  size_t length = size_t(result.ptr - digits);
  for (size_t i = 0; i < length; ++i) {
    text[i] = wchar_t(static_cast<unsigned char>(digits[i]));
  }
  text[length] = L'H';
  text[length + 1] = L'z';
  text[length + 2] = L'\0';
}

// The C locale's white space, whatever the process locale says.
bool IsSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Leading white space, an optional sign and decimal digits, stopping at the
// first other character; 0 without digits. Numbers beyond 64 bits saturate, so
// every typed value lands on the nearer end of its field's range.
int64_t ReadInteger(const wchar_t *text) {
  while (IsSpace(*text)) {
    ++text;
  }
  bool negative = false;
  if (*text == L'+' || *text == L'-') {
    negative = *text == L'-';
    ++text;
  }
  int64_t magnitude = 0;
  for (; IsDigit(*text); ++text) {
    int digit = *text - L'0';
    if (magnitude > (std::numeric_limits<int64_t>::max() - digit) / 10) {
      magnitude = std::numeric_limits<int64_t>::max();
    } else {
      magnitude = magnitude * 10 + digit;
    }
  }
  return negative ? -magnitude : magnitude;
}

// from_chars leaves its result alone when a number lies beyond the doubles; the
// C library's reading gives infinity above the range and zero below it. Which
// side a number is on follows from the position of its first significant digit
// and its exponent (both far from zero in any out-of-range number).
bool OverflowsDouble(std::string_view number, bool hex) {
  size_t at = 0;
  auto isDigit = [hex](char c) {
    return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
  };
  int64_t magnitude = 0;
  bool significant = false;
  for (; at < number.size() && isDigit(number[at]); ++at) {
    if (number[at] != '0' || significant) {
      significant = true;
      magnitude += magnitude < 1000000 ? 1 : 0;
    }
  }
  if (!significant) {
    magnitude = 0;
    if (at < number.size() && number[at] == '.') {
      ++at;
      for (; at < number.size() && number[at] == '0'; ++at) {
        magnitude -= magnitude > -1000000 ? 1 : 0;
      }
    }
    --magnitude;
  }
  size_t exponentAt = number.find_first_of(hex ? "pP" : "eE");
  int64_t exponent = 0;
  if (exponentAt != std::string_view::npos) {
    std::wstring wide(number.begin() + exponentAt + 1, number.end());
    exponent = ReadInteger(wide.c_str());
    if (exponent > 1000000000) {
      exponent = 1000000000;
    } else if (exponent < -1000000000) {
      exponent = -1000000000;
    }
  }
  return magnitude * (hex ? 4 : 1) + exponent > 0;
}

// What "%lf" reads in the C locale: leading white space, an optional sign, then
// a decimal or hexadecimal number, "inf", "infinity" or "nan"; 0.0 when the text
// does not begin with one. Independent of the process locale for the same
// reason as FormatHz.
double ReadDouble(const wchar_t *text) {
  while (IsSpace(*text)) {
    ++text;
  }
  // A number is ASCII, so the first character outside ASCII ends it.
  std::string narrow;
  for (const wchar_t *c = text; *c > 0 && *c < 0x80; ++c) {
    narrow.push_back(char(*c));
  }
  std::string_view rest(narrow);
  bool negative = false;
  if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
    negative = rest[0] == '-';
    rest.remove_prefix(1);
  }
  // from_chars takes a minus sign of its own, which would let "+-5" through.
  if (!rest.empty() && rest[0] == '-') {
    return 0.0;
  }
  double value = 0.0;
  bool hex = rest.size() > 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X') && rest[2] != '-';
  std::from_chars_result result{};
  std::string_view number = rest;
  if (hex) {
    number = rest.substr(2);
    result = std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::hex);
    if (result.ec == std::errc::invalid_argument) {
      // "0x" without hexadecimal digits is the number 0 followed by an 'x'.
      hex = false;
      number = rest;
    }
  }
  if (!hex) {
    result = std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::general);
  }
  if (result.ec == std::errc::invalid_argument) {
    return 0.0;
  }
  if (result.ec == std::errc::result_out_of_range) {
    std::string_view matched(number.data(), size_t(result.ptr - number.data()));
    value = OverflowsDouble(matched, hex) ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

}  // namespace

size_t ParameterRowCodes(const ToneSettings &settings, RowCode (&codes)[kMaxParameterRows]) {
  bool stereo = (settings.flags & kFlagStereo) != 0;
  bool sweep = (settings.flags & kFlagSweep) != 0;
  bool variableAmplitude = (settings.flags & kFlagVariableAmplitude) != 0;
  size_t count = 0;
  if (settings.waveform != kWaveformWhiteNoise && settings.waveform != kWaveformPinkNoise) {
    // The per-tone arrays hold 16 entries whatever a damaged file says.
    int tones = settings.toneCount < kMaxTones ? settings.toneCount : kMaxTones;
    for (int i = 0; i < tones; ++i) {
      codes[count++] = ToneRowCode(kRowLeftStartHz, i);
      if (sweep) {
        codes[count++] = ToneRowCode(kRowLeftEndHz, i);
      }
      if (stereo) {
        codes[count++] = ToneRowCode(kRowRightStartHz, i);
        if (sweep) {
          codes[count++] = ToneRowCode(kRowRightEndHz, i);
        }
      }
      if (variableAmplitude) {
        codes[count++] = ToneRowCode(kRowAmplitudeDb, i);
      }
    }
  }
  if ((settings.flags & kFlagDuration) != 0) {
    codes[count++] = kRowDuration;
  }
  return count;
}

void RowLabel(const ToneSettings &settings, RowCode code, wchar_t (&text)[kRowTextLength]) {
  text[0] = L'\0';
  DecodedRow row = Decode(code);
  const wchar_t *name = WaveformName(settings.waveform);
  bool stereo = (settings.flags & kFlagStereo) != 0;
  bool sweep = (settings.flags & kFlagSweep) != 0;
  int number = row.tone + 1;
  const wchar_t *format = nullptr;
  switch (row.family) {
    case kRowLeftStartHz:
      format = stereo ? (sweep ? L"%ls %d Start Left Frequency" : L"%ls %d Left Frequency")
                      : (sweep ? L"%ls %d Start Frequency" : L"%ls %d Frequency");
      break;
    case kRowRightStartHz:
      if (stereo) {
        format = sweep ? L"%ls %d Start Right Frequency" : L"%ls %d Right Frequency";
      }
      break;
    case kRowLeftEndHz:
      if (sweep) {
        format = stereo ? L"%ls %d End Left Frequency" : L"%ls %d End Frequency";
      }
      break;
    case kRowRightEndHz:
      if (stereo && sweep) {
        format = L"%ls %d End Right Frequency";
      }
      break;
    case kRowAmplitudeDb:
      format = L"%ls %d Relative Amplitude";
      break;
    case kRowDuration:
      swprintf(text, kRowTextLength, L"%ls Duration", name);
      return;
    default:
      break;
  }
  if (format != nullptr) {
    swprintf(text, kRowTextLength, format, name, number);
  }
}

void RowValueText(const ToneSettings &settings, RowCode code, wchar_t (&text)[kRowTextLength]) {
  text[0] = L'\0';
  DecodedRow row = Decode(code);
  if (row.family == kRowDuration) {
    // Unsigned, so that a duration stepped or read past 2^31 ms does not show
    // as a negative number.
    swprintf(text, kRowTextLength, L"%ums", unsigned(settings.durationMs));
  } else if (row.family == kRowAmplitudeDb) {
    swprintf(text, kRowTextLength, L"%ddB", int(settings.amplitudeDb[row.tone]));
  } else if (IsFrequencyFamily(row.family)) {
    bool rightChannel = row.family == kRowRightStartHz || row.family == kRowRightEndHz;
    if (!rightChannel || (settings.flags & kFlagStereo) != 0) {
      FormatHz(*FrequencyField(settings, row), text);
    }
  }
}

void ParseRowValue(ToneSettings &settings, RowCode code, const wchar_t *text) {
  assert(text != nullptr);
  DecodedRow row = Decode(code);
  if (row.family == kRowDuration) {
    int64_t n = ReadInteger(text);
    // Above the longest playable duration the row shows what will play.
    if (n <= 0) {
      n = 1000;
    } else if (n > int64_t(kMaxDurationMs)) {
      n = kMaxDurationMs;
    }
    settings.durationMs = uint32_t(n);
  } else if (row.family == kRowAmplitudeDb) {
    int64_t n = ReadInteger(text);
    if (n > 0) {
      n = 0;
    } else if (n < -127) {
      n = -127;
    }
    settings.amplitudeDb[row.tone] = int8_t(n);
  } else if (IsFrequencyFamily(row.family)) {
    *FrequencyField(settings, row) = ReadDouble(text);
  }
}

void StepRowUp(ToneSettings &settings, RowCode code) {
  DecodedRow row = Decode(code);
  if (row.family == kRowDuration) {
    // The last step up lands on the longest playable duration; a longer one,
    // which only a file can hold, is not raised further.
    uint32_t step = settings.durationMs < 1000 ? 100 : 1000;
    if (settings.durationMs < kMaxDurationMs) {
      settings.durationMs = std::min(settings.durationMs + step, kMaxDurationMs);
    }
  } else if (row.family == kRowAmplitudeDb) {
    if (settings.amplitudeDb[row.tone] < 0) {
      ++settings.amplitudeDb[row.tone];
    }
  } else if (IsFrequencyFamily(row.family)) {
    *FrequencyField(settings, row) *= kSemitone;
  }
}

void StepRowDown(ToneSettings &settings, RowCode code) {
  DecodedRow row = Decode(code);
  if (row.family == kRowDuration) {
    if (settings.durationMs > 100) {
      settings.durationMs -= settings.durationMs < 2000 ? 100 : 1000;
    }
  } else if (row.family == kRowAmplitudeDb) {
    if (settings.amplitudeDb[row.tone] > -90) {
      --settings.amplitudeDb[row.tone];
    }
  } else if (IsFrequencyFamily(row.family)) {
    *FrequencyField(settings, row) /= kSemitone;
  }
}
