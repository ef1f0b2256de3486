#include "platform/output_list.h"

#include <alsa/asoundlib.h>

#include <cstdlib>
#include <cstring>

namespace {

// A hint's value, freed here; empty when the hint has none.
std::string TakeHint(const void *hint, const char *id) {
  char *value = snd_device_name_get_hint(hint, id);
  if (value == nullptr) return {};
  std::string text(value);
  std::free(value);
  return text;
}

// ALSA's descriptions run over several lines (card, then device); one output
// is one line here.
std::string OneLine(const std::string &text) {
  std::string line;
  for (char c : text) {
    if (c == '\n') line += ", ";
    else line += c;
  }
  return line;
}

}  // namespace

std::vector<AudioOutputName> ListAudioOutputs() {
  std::vector<AudioOutputName> outputs;
  void **hints = nullptr;
  if (snd_device_name_hint(-1, "pcm", &hints) == 0) {
    for (void **hint = hints; *hint != nullptr; ++hint) {
      std::string name = TakeHint(*hint, "NAME");
      std::string direction = TakeHint(*hint, "IOID");
      // A device without a direction does both; "Input" ones cannot play.
      if (name.empty() || (!direction.empty() && direction != "Output")) continue;
      outputs.push_back({"alsa:" + name, OneLine(TakeHint(*hint, "DESC"))});
    }
    snd_device_name_free_hint(hints);
  }
  outputs.push_back({"null", "Discards the sound, paced in real time"});
  outputs.push_back({"wav:PATH", "Writes what is played to the 16-bit WAV file PATH, paced in real time"});
  return outputs;
}
