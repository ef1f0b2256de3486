// The changes the Tone menu makes to a ToneSettings record (tone mode,
// channels, variable amplitude, waveform, number of tones), shared by the
// program's commands and the renderer's command line. Plain record arithmetic:
// no list refresh or restart of playback, which the callers do.
#pragma once

#include <cstdint>

#include "settings/tone_settings.h"

// In menu order, so that a tone-mode command's id minus 3021 is its mode.
enum class ToneMode : uint8_t {
  Continuous = 0,         // "Constant (Continuous)"
  SpecifiedDuration = 1,  // "Constant (Specified Duration)"
  SweepLinear = 2,        // "Sweep (Linear)"
  SweepLog = 3,           // "Sweep (Log)"
};

constexpr int kToneModeCount = 4;

// The menu text of a tone mode.
const wchar_t *ToneModeName(ToneMode mode);

// Changes only the sweep, logarithmic-sweep and duration bits.
void SetToneMode(ToneSettings &settings, ToneMode mode);

// Reads bit 3, then bit 0, then bit 1, so it names a mode for any flags word,
// even one from a damaged file.
ToneMode GetToneMode(const ToneSettings &settings);

// "Mono" clears and "Stereo" sets the stereo bit; nothing else changes.
void SetStereo(ToneSettings &settings, bool stereo);
bool IsStereo(const ToneSettings &settings);

// "Variable Amplitude" flips its bit each time it is chosen.
void ToggleVariableAmplitude(ToneSettings &settings);
bool HasVariableAmplitude(const ToneSettings &settings);

// waveform 0..6 (WaveformKind); count 1..16. Out-of-range values are a
// programmer mistake: the menus only offer valid ones.
void SetWaveform(ToneSettings &settings, uint8_t waveform);
void SetToneCount(ToneSettings &settings, int count);
