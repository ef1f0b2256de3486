// The outputs WENDREL_AUDIO can name on this machine, for a user choosing one:
// ALSA's playback devices as its configuration describes them (the names and
// descriptions `aplay -L` shows), then the null and WAV sinks. Not a check that
// a device opens: a listed card may be busy or unplugged.
#pragma once

#include <string>
#include <vector>

struct AudioOutputName {
  std::string name;         // as WENDREL_AUDIO takes it: "alsa:NAME", "null", "wav:PATH"
  std::string description;  // one line
};

std::vector<AudioOutputName> ListAudioOutputs();
