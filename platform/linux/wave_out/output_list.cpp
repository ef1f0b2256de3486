#include "platform/output_list.h"

#include <alsa/asoundlib.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/linux/wave_out/sink_factory.h"

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

// alsa-lib reports a failed lookup on standard error; the caller says it in
// its own words instead.
void SilentAlsaError(const char *, int, const char *, int, const char *, ...) {}

// Whether ALSA's configuration defines a PCM of this name (with its
// arguments, as in "hw:1,0" or "plughw:CARD=X"). Only the configuration is
// read: an open would wait on a sound server, and a frozen one would hold up
// the start.
bool AlsaDefines(const std::string &name) {
  snd_lib_error_set_handler(SilentAlsaError);
  if (snd_config_update() < 0) return false;
  snd_config_t *definition = nullptr;
  if (snd_config_search_definition(snd_config, "pcm", name.c_str(), &definition) < 0) return false;
  snd_config_delete(definition);
  return true;
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

std::string ChooseAudioOutput(const std::string &name) {
  std::string_view text(name);
  bool known = false;
  const char *hint = "";
  if (text == "null") {
    known = true;
  } else if (text.starts_with("wav:")) {
    known = text.size() > 4;
    hint = " (wav:PATH needs a file name)";
  } else if (text.starts_with("alsa:")) {
    known = text.size() > 5 && AlsaDefines(name.substr(5));
  } else {
    // The spelling aplay -D takes, given without its prefix.
    hint = " (ALSA's devices are named alsa:NAME)";
  }
  if (!known) return "no sound output named '" + name + "'" + hint;
  SetAudioSinkChoice(name);
  return {};
}

std::string ChosenAudioOutput() { return AudioSinkChoice(); }

// Every open of device 0 plays through the chosen sink.
unsigned ChosenWaveOutDevice() { return 0; }
