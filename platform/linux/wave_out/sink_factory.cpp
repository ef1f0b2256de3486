#include "platform/linux/wave_out/sink_factory.h"

#include <cassert>
#include <cstdlib>
#include <string_view>

#include "platform/linux/wave_out/alsa_sink.h"
#include "platform/linux/wave_out/null_sink.h"
#include "platform/linux/wave_out/wav_sink.h"

namespace {

std::string &ChosenSink() {
  static std::string chosen;
  return chosen;
}

}  // namespace

void SetAudioSinkChoice(const std::string &choice) { ChosenSink() = choice; }

const char *AudioSinkChoice() {
  if (!ChosenSink().empty()) return ChosenSink().c_str();
  const char *choice = std::getenv("WENDREL_AUDIO");
  return choice != nullptr && *choice != '\0' ? choice : "alsa:default";
}

std::unique_ptr<AudioSink> OpenAudioSink(const char *choice, const SinkFormat &format,
                                         MMRESULT *error) {
  assert(choice != nullptr && error != nullptr);
  std::string_view name(choice);
  *error = MMSYSERR_NOERROR;
  if (name == "null") return std::make_unique<NullSink>();
  if (name.starts_with("wav:") && name.size() > 4) {
    auto sink = WavSink::Create(std::string(name.substr(4)), format);
    if (sink == nullptr) *error = MMSYSERR_ERROR;
    return sink;
  }
  if (name.starts_with("alsa:") && name.size() > 5) {
    return AlsaSink::Open(std::string(name.substr(5)), format, error);
  }
  *error = MMSYSERR_NODRIVER;
  return nullptr;
}
