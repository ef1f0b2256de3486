// The command ids of the menu items and tool bar buttons, and the control id
// of the parameter list: the numbers WM_COMMAND and WM_NOTIFY carry to the
// main window.
#pragma once

#include <cstdint>

enum : uint16_t {
  // Tool bar buttons.
  kCmdToolPlay = 301,
  kCmdToolStop = 302,
  kCmdToolIncrease = 303,
  kCmdToolDecrease = 304,
  // Help and About.
  kCmdHelp = 9,  // IDHELP: the dispatcher turns it into OnHelp
  kCmdAbout = 903,
  // File.
  kCmdPlay = 1001,
  kCmdStop = 1002,
  kCmdExit = 1099,
  // Tone: values.
  kCmdIncreaseValue = 2011,
  kCmdDecreaseValue = 2012,
  kCmdEditValue = 2013,
  // Tone: number of tones, id 2100 + n for n tones.
  kCmdToneCountBase = 2100,
  kCmdToneCountFirst = 2101,
  kCmdToneCountLast = 2116,
  // Tone: mode, in ToneMode order.
  kCmdModeContinuous = 3021,
  kCmdModeDuration = 3022,
  kCmdModeSweepLinear = 3023,
  kCmdModeSweepLog = 3024,
  // Tone: channels.
  kCmdMono = 3031,
  kCmdStereo = 3032,
  // Tone: waveform, id 3041 + the waveform code.
  kCmdWaveformFirst = 3041,
  kCmdWaveformLast = 3047,
  kCmdVariableAmplitude = 3051,
};

// The parameter list control, a child of the main window.
constexpr int kParameterListId = 110;
