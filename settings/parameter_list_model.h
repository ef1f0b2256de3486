// The rows of the parameter list as plain functions of the settings record: which
// field a row code names, its label, its value text, one step up or down, and a
// typed value read back into the record. No list control and no platform here;
// parameter_list.h puts these rows into the list view.
#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/tone_settings.h"

// The item data of a parameter row, naming the record field it shows. The low
// byte is the tone index (0..15) for the per-tone families; every code fits in
// 16 bits.
typedef uint32_t RowCode;

enum : RowCode {
  kRowLeftStartHz = 0x100,
  kRowRightStartHz = 0x200,
  kRowLeftEndHz = 0x300,
  kRowRightEndHz = 0x400,
  kRowAmplitudeDb = 0x500,
  kRowDuration = 0x600,
};

// Label and value-text buffers hold this many characters, terminator included.
constexpr size_t kRowTextLength = 260;

// The code of tone `tone`'s row in a per-tone family (kRowLeftStartHz ...
// kRowAmplitudeDb).
constexpr RowCode ToneRowCode(RowCode family, int tone) { return family + RowCode(tone); }

// The most rows a record can call for: five per tone and the duration.
constexpr size_t kMaxParameterRows = 5 * kMaxTones + 1;

// The codes of the rows the record calls for, in list order: per tone its start
// (or only) left frequency, end left frequency, start right frequency, end right
// frequency and relative amplitude as the flags ask, then the duration. No tone
// rows for noise; a tone count above 16 (a damaged file) gives 16 tones.
// Returns the number of codes written.
size_t ParameterRowCodes(const ToneSettings &settings, RowCode (&codes)[kMaxParameterRows]);

// The label shown in column 0 for `code`; the empty text for a code the record
// has no label for (a right-channel row in mono, an end row without sweep, an
// unknown code).
void RowLabel(const ToneSettings &settings, RowCode code, wchar_t (&text)[kRowTextLength]);

// The value shown in column 1 for `code`: "1000.00Hz", "-12dB", "1000ms"; the
// empty text for a right-channel row in mono and for an unknown code.
void RowValueText(const ToneSettings &settings, RowCode code, wchar_t (&text)[kRowTextLength]);

// Stores the value read from typed `text` (zero-terminated, any length) into
// the field `code` names. Never refuses: durations of 0 or less become 1000,
// durations above kMaxDurationMs become kMaxDurationMs,
// amplitudes are clamped to -127..0, a frequency text without a number stores
// 0.0. Unknown codes change nothing.
void ParseRowValue(ToneSettings &settings, RowCode code, const wchar_t *text);

// One step up or down: frequencies by an equal-tempered semitone, amplitudes by
// 1 dB within -90..0, durations by 100 ms below 1000 (up) or 2000 (down) and by
// 1000 ms above, up to kMaxDurationMs. Stops silently at the limits; unknown
// codes change nothing.
void StepRowUp(ToneSettings &settings, RowCode code);
void StepRowDown(ToneSettings &settings, RowCode code);
