#include "settings/settings_edits.h"

#include <cassert>

const wchar_t *ToneModeName(ToneMode mode) {
  switch (mode) {
    case ToneMode::Continuous: return L"Constant (Continuous)";
    case ToneMode::SpecifiedDuration: return L"Constant (Specified Duration)";
    case ToneMode::SweepLinear: return L"Sweep (Linear)";
    case ToneMode::SweepLog: return L"Sweep (Log)";
  }
  return L"";
}

void SetToneMode(ToneSettings &settings, ToneMode mode) {
  switch (mode) {
    case ToneMode::Continuous:
      settings.flags &= 0xFFF4;
      break;
    case ToneMode::SpecifiedDuration:
      settings.flags &= 0xFFFC;
      settings.flags |= 0x0008;
      break;
    case ToneMode::SweepLinear:
      settings.flags &= 0xFFFD;
      settings.flags |= 0x0009;
      break;
    case ToneMode::SweepLog:
      settings.flags |= 0x000B;
      break;
  }
}

ToneMode GetToneMode(const ToneSettings &settings) {
  if (!(settings.flags & kFlagDuration)) return ToneMode::Continuous;
  if (!(settings.flags & kFlagSweep)) return ToneMode::SpecifiedDuration;
  if (!(settings.flags & kFlagLogSweep)) return ToneMode::SweepLinear;
  return ToneMode::SweepLog;
}

void SetStereo(ToneSettings &settings, bool stereo) {
  if (stereo) settings.flags |= 0x0004;
  else settings.flags &= 0xFFFB;
}

bool IsStereo(const ToneSettings &settings) { return (settings.flags & kFlagStereo) != 0; }

void ToggleVariableAmplitude(ToneSettings &settings) { settings.flags ^= 0x0010; }

bool HasVariableAmplitude(const ToneSettings &settings) { return (settings.flags & kFlagVariableAmplitude) != 0; }

void SetWaveform(ToneSettings &settings, uint8_t waveform) {
  assert(waveform < kWaveformCount);
  settings.waveform = waveform;
}

void SetToneCount(ToneSettings &settings, int count) {
  assert(count >= 1 && count <= kMaxTones);
  settings.toneCount = static_cast<uint8_t>(count);
}
