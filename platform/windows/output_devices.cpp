// The sound outputs on Windows, as winmm numbers and describes them. The
// player opens the wave mapper, which plays through the device the user chose
// in Windows' sound settings; when it cannot, the reason is asked of winmm
// itself: whether the mapper takes the format the player opens, and what winmm
// says when it does not.
#include "platform/output_failure.h"
#include "platform/output_list.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>

namespace {

std::string Utf8(const wchar_t *text) {
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return {};
  std::string out(static_cast<size_t>(bytes - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace

std::vector<AudioOutputName> ListAudioOutputs() {
  std::vector<AudioOutputName> outputs;
  WAVEOUTCAPSW caps{};
  if (waveOutGetDevCapsW(WAVE_MAPPER, &caps, sizeof caps) == MMSYSERR_NOERROR) {
    outputs.push_back({"mapper", Utf8(caps.szPname) + " (the device chosen in the sound settings; Wendrel plays here)"});
  }
  const UINT count = waveOutGetNumDevs();
  for (UINT device = 0; device < count; ++device) {
    if (waveOutGetDevCapsW(device, &caps, sizeof caps) == MMSYSERR_NOERROR) {
      outputs.push_back({std::to_string(device), Utf8(caps.szPname)});
    }
  }
  return outputs;
}

std::string OutputOpenFailure() {
  std::string reason;
  if (waveOutGetNumDevs() == 0) {
    reason = "no waveform output device";
  } else {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 44100 * 4;
    MMRESULT result = waveOutOpen(nullptr, WAVE_MAPPER, &format, 0, 0, WAVE_FORMAT_QUERY);
    if (result == MMSYSERR_NOERROR) return {};  // the device opens: something else failed
    wchar_t text[MAXERRORLENGTH] = {};
    waveOutGetErrorTextW(result, text, MAXERRORLENGTH);
    reason = Utf8(text);
  }
  return "unable to start playback on the wave mapper (" + reason +
         "); wendrel-render --list-outputs lists the waveform output devices";
}
