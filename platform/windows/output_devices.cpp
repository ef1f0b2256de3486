// The sound outputs on Windows, as winmm numbers and describes them, and the
// one the programs play through: named as the list names it ("mapper" for
// the wave mapper, which plays through the device chosen in Windows' sound
// settings, or a device number), else by WENDREL_AUDIO when it holds such a
// name, else device 0, which the player has always opened. When it cannot open, the reason is asked of
// winmm itself: whether the device takes the format the player opens, and
// what winmm says when it does not.
#include "platform/output_failure.h"
#include "platform/output_list.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdlib>

namespace {

// The player keeps the device number in a signed byte, as the pocket
// computer's had few devices; numbers beyond it are not offered.
constexpr UINT kMaxDeviceNumber = 127;

std::string &ChosenName() {
  static std::string chosen;
  return chosen;
}

std::string Utf8(const wchar_t *text) {
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return {};
  std::string out(static_cast<size_t>(bytes - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), bytes, nullptr, nullptr);
  return out;
}

bool IsNumber(const std::string &text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether the name has the form of this build's outputs, whether or not this
// machine has that device.
bool IsDeviceName(const std::string &name) { return name == "mapper" || IsNumber(name); }

// The device a name stands for on this machine; false for a name it lacks.
bool DeviceOfName(const std::string &name, UINT *device) {
  if (name == "mapper") {
    *device = WAVE_MAPPER;
    return true;
  }
  if (!IsNumber(name) || name.size() > 3) return false;
  const UINT number = static_cast<UINT>(std::atoi(name.c_str()));
  if (number >= waveOutGetNumDevs() || number > kMaxDeviceNumber) return false;
  *device = number;
  return true;
}

std::string Spoken(const std::string &name) {
  if (name == "mapper") return "the wave mapper";
  return "device " + name;
}

}  // namespace

std::vector<AudioOutputName> ListAudioOutputs() {
  std::vector<AudioOutputName> outputs;
  WAVEOUTCAPSW caps{};
  if (waveOutGetDevCapsW(WAVE_MAPPER, &caps, sizeof caps) == MMSYSERR_NOERROR) {
    outputs.push_back({"mapper", Utf8(caps.szPname) + " (the device chosen in the sound settings)"});
  }
  const UINT count = std::min(waveOutGetNumDevs(), kMaxDeviceNumber + 1);
  for (UINT device = 0; device < count; ++device) {
    if (waveOutGetDevCapsW(device, &caps, sizeof caps) == MMSYSERR_NOERROR) {
      outputs.push_back({std::to_string(device), Utf8(caps.szPname)});
    }
  }
  return outputs;
}

std::string ChooseAudioOutput(const std::string &name) {
  UINT device = 0;
  if (!DeviceOfName(name, &device)) {
    return "no waveform output device named '" + name + "' (the names are mapper and the device numbers)";
  }
  ChosenName() = name;
  return {};
}

std::string ChosenAudioOutput() {
  if (!ChosenName().empty()) return ChosenName();
  // WENDREL_AUDIO is the Linux build's too, and under Wine a Linux
  // environment hands its names (alsa:NAME, null, wav:PATH) down: only a name
  // of this build's form is meant for it.
  const char *environment = std::getenv("WENDREL_AUDIO");
  const std::string named = environment != nullptr ? environment : "";
  return IsDeviceName(named) ? named : "0";
}

unsigned ChosenWaveOutDevice() {
  UINT device = 0;
  if (DeviceOfName(ChosenAudioOutput(), &device)) return device;
  // A name WENDREL_AUDIO gave that this machine lacks: a number no device
  // has (the player's byte keeps -2 as it is), so that the open fails and
  // OutputOpenFailure says why, rather than playing somewhere the user did
  // not name.
  return static_cast<UINT>(-2);
}

std::string OutputOpenFailure() {
  const std::string name = ChosenAudioOutput();
  std::string reason;
  UINT device = 0;
  if (waveOutGetNumDevs() == 0) {
    reason = "no waveform output device";
  } else if (!DeviceOfName(name, &device)) {
    reason = "no waveform output device of that name";
  } else {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 44100 * 4;
    MMRESULT result = waveOutOpen(nullptr, device, &format, 0, 0, WAVE_FORMAT_QUERY);
    if (result == MMSYSERR_NOERROR) return {};  // the device opens: something else failed
    wchar_t text[MAXERRORLENGTH] = {};
    waveOutGetErrorTextW(result, text, MAXERRORLENGTH);
    reason = Utf8(text);
  }
  return "unable to start playback on " + Spoken(name) + " (" + reason +
         "); wendrel-render --list-outputs lists the waveform output devices";
}
