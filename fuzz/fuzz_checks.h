// Checks shared by the fuzz targets: a failed one aborts, which libFuzzer
// reports as a crash with the input that caused it. Works with NDEBUG too.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "settings/parameter_list_model.h"
#include "settings/tone_settings.h"

#define FUZZ_CHECK(condition)                                                         \
  do {                                                                                \
    if (!(condition)) {                                                               \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)

// Every row code a caller could hand the model: each per-tone family with tone
// indexes past the last tone (a damaged list's item data), the duration, and
// codes no row ever carries.
inline constexpr RowCode kProbeFamilies[] = {kRowLeftStartHz, kRowRightStartHz, kRowLeftEndHz, kRowRightEndHz,
                                             kRowAmplitudeDb};
inline constexpr int kProbeTones = kMaxTones + 2;
inline constexpr RowCode kProbeOddCodes[] = {kRowDuration, 0, 0xFF, 0x601, 0x700, 0x10000 + kRowLeftStartHz,
                                             0xFFFFFFFF};

template <typename F>
void ForEachProbeCode(F &&f) {
  for (RowCode family : kProbeFamilies)
    for (int tone = 0; tone < kProbeTones; ++tone) f(ToneRowCode(family, tone));
  for (RowCode code : kProbeOddCodes) f(code);
}

// The bytes of the record field `code` names, as [offset, offset + size); an
// empty range for a code that names no field.
struct FieldBytes {
  size_t offset = 0;
  size_t size = 0;
};

inline FieldBytes FieldOf(RowCode code) {
  RowCode family = code & ~RowCode(0xFF);
  unsigned tone = code & 0xFF;
  if (code == kRowDuration) return {offsetof(ToneSettings, durationMs), sizeof(uint32_t)};
  if (tone >= unsigned(kMaxTones)) return {};
  switch (family) {
    case kRowLeftStartHz: return {offsetof(ToneSettings, leftStartHz) + tone * sizeof(double), sizeof(double)};
    case kRowRightStartHz: return {offsetof(ToneSettings, rightStartHz) + tone * sizeof(double), sizeof(double)};
    case kRowLeftEndHz: return {offsetof(ToneSettings, leftEndHz) + tone * sizeof(double), sizeof(double)};
    case kRowRightEndHz: return {offsetof(ToneSettings, rightEndHz) + tone * sizeof(double), sizeof(double)};
    case kRowAmplitudeDb: return {offsetof(ToneSettings, amplitudeDb) + tone, sizeof(int8_t)};
    default: return {};
  }
}

// An edit through `code` may change the bytes of its own field and nothing
// else: not the flags' spare bits, not a neighbouring tone, not the field of
// another family.
inline void CheckOnlyFieldChanged(const ToneSettings &before, const ToneSettings &after, RowCode code) {
  FieldBytes field = FieldOf(code);
  const auto *a = reinterpret_cast<const unsigned char *>(&before);
  const auto *b = reinterpret_cast<const unsigned char *>(&after);
  // Two memcmp calls rather than a loop of byte comparisons: every comparison
  // in this file is traced for the fuzzer, and a loop over the record's 536
  // bytes for each of about a hundred row codes was most of a run's time.
  const size_t end = field.offset + field.size;
  if (std::memcmp(a, b, field.offset) == 0 && std::memcmp(a + end, b + end, sizeof(ToneSettings) - end) == 0) return;
  for (size_t i = 0; i < sizeof(ToneSettings); ++i) {
    if ((i < field.offset || i >= end) && a[i] != b[i]) {
      std::fprintf(stderr, "code 0x%x changed byte %zu outside its field\n", unsigned(code), i);
      break;
    }
  }
  std::abort();
}

// A text buffer of the model is always terminated inside its length.
// A step up and a step down of a row each change only the field it names.
inline void CheckStepsChangeOnlyTheirField(const ToneSettings &settings, RowCode code) {
  ToneSettings stepped = settings;
  StepRowUp(stepped, code);
  CheckOnlyFieldChanged(settings, stepped, code);
  stepped = settings;
  StepRowDown(stepped, code);
  CheckOnlyFieldChanged(settings, stepped, code);
}

inline void CheckTerminated(const wchar_t (&text)[kRowTextLength]) {
  FUZZ_CHECK(std::wmemchr(text, L'\0', kRowTextLength) != nullptr);
}

// Labels and value texts of every probe code, and one step each way of each,
// as the list and the tool bar would make them on this record.
inline void ExerciseRows(const ToneSettings &settings) {
  RowCode codes[kMaxParameterRows];
  size_t count = ParameterRowCodes(settings, codes);
  FUZZ_CHECK(count <= kMaxParameterRows);
  ForEachProbeCode([&](RowCode code) {
    wchar_t text[kRowTextLength];
    std::wmemset(text, L'#', kRowTextLength);
    RowLabel(settings, code, text);
    CheckTerminated(text);
    std::wmemset(text, L'#', kRowTextLength);
    RowValueText(settings, code, text);
    CheckTerminated(text);

    CheckStepsChangeOnlyTheirField(settings, code);
  });
}
