// The sound outputs of this machine, for a user choosing one. On Linux, what
// WENDREL_AUDIO can name: ALSA's playback devices as its configuration
// describes them (the names and descriptions `aplay -L` shows), then the null
// and WAV sinks. On Windows, the waveform output devices, the wave mapper
// first. Not a check that a device opens: a listed card may be busy or
// unplugged.
#pragma once

#include <string>
#include <vector>

struct AudioOutputName {
  std::string name;         // Linux: as WENDREL_AUDIO takes it ("alsa:NAME", "null", "wav:PATH")
  std::string description;  // one line
};

std::vector<AudioOutputName> ListAudioOutputs();
