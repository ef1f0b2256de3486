// ToneSettings: everything the user can set about the sound, and byte for byte
// the 536-byte format of the settings file. Plain data only: the file operations
// live in settings_file.h, the rows shown for it in parameter_list.h.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

// Bits of ToneSettings::flags. Bits 5 to 15 are never set by the program and
// every change leaves them as they are.
enum : uint16_t {
  kFlagSweep = 0x0001,
  kFlagLogSweep = 0x0002,
  kFlagStereo = 0x0004,
  kFlagDuration = 0x0008,
  kFlagVariableAmplitude = 0x0010,
};

enum WaveformKind : uint8_t {
  kWaveformSine = 0,
  kWaveformSquare = 1,
  kWaveformTriangular = 2,
  kWaveformSawTooth = 3,
  kWaveformImpulse = 4,
  kWaveformWhiteNoise = 5,
  kWaveformPinkNoise = 6,
};

constexpr int kWaveformCount = 7;
constexpr int kMaxTones = 16;

// The longest duration that plays to its end, 48,695,217 ms (about 13 h 31 min,
// 2,147,459,069 frames). A source counts its position in a signed 32-bit value,
// and the peak limiter keeps up to three blocks of at most 8192 frames rendered
// ahead of what it gives out: so the frames of a duration plus that look-ahead
// must fit 32 bits, or the position stops short of the length and the tone
// never ends (synth/duration_frames.h checks it). Typing and stepping stay
// within it; a longer duration from a file plays as this one.
constexpr uint32_t kMaxDurationMs = 48695217;

// The display name of a waveform code; an empty string for a code above 6,
// which only a damaged settings file can hold.
constexpr const wchar_t *WaveformName(unsigned waveform) {
  constexpr const wchar_t *names[kWaveformCount] = {
      L"Sine", L"Square", L"Triangular", L"Saw Tooth", L"Impulse", L"White Noise", L"Pink Noise"};
  return waveform < kWaveformCount ? names[waveform] : L"";
}

struct ToneSettings {
  uint16_t flags = 0;
  uint8_t waveform = kWaveformSine;
  uint8_t toneCount = 1;
  uint32_t durationMs = 1000;
  double leftStartHz[kMaxTones] = {1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0,
                                   1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0};
  double leftEndHz[kMaxTones] = {1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0,
                                 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0};
  double rightStartHz[kMaxTones] = {1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0,
                                    1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0};
  double rightEndHz[kMaxTones] = {1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0,
                                  1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 1000.0};
  int8_t amplitudeDb[kMaxTones] = {};
};

// The record is the file format, so its layout is checked here rather than
// trusted: offsets, size and byte order must match the file exactly.
static_assert(std::endian::native == std::endian::little, "the settings file is little-endian");
static_assert(sizeof(double) == 8, "frequencies are IEEE 754 binary64");
static_assert(offsetof(ToneSettings, flags) == 0);
static_assert(offsetof(ToneSettings, waveform) == 2);
static_assert(offsetof(ToneSettings, toneCount) == 3);
static_assert(offsetof(ToneSettings, durationMs) == 4);
static_assert(offsetof(ToneSettings, leftStartHz) == 8);
static_assert(offsetof(ToneSettings, leftEndHz) == 136);
static_assert(offsetof(ToneSettings, rightStartHz) == 264);
static_assert(offsetof(ToneSettings, rightEndHz) == 392);
static_assert(offsetof(ToneSettings, amplitudeDb) == 520);
static_assert(sizeof(ToneSettings) == 536);

constexpr uint32_t kToneSettingsSize = sizeof(ToneSettings);
