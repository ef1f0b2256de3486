#include "platform/output_failure.h"

#include <mutex>
#include <string_view>

namespace {

std::mutex g_failureMutex;
std::string g_failure;

// What a user can do about it, from the choice and the sink's result.
const char *Reason(std::string_view choice, MMRESULT result) {
  if (choice.starts_with("wav:")) return "the file cannot be created";
  if (choice != "null" && !choice.starts_with("alsa:")) return "not an output name: alsa:NAME, null or wav:PATH";
  switch (result) {
    case MMSYSERR_ALLOCATED: return "busy: another program holds it";
    case WAVERR_BADFORMAT: return "it does not take 16-bit PCM at 44100 Hz";
    case MMSYSERR_NOMEM: return "out of memory";
    case MMSYSERR_NOTENABLED: return "it did not answer";
    default: return "no such device";
  }
}

}  // namespace

void NoteOutputOpen(const char *choice, MMRESULT result) {
  std::lock_guard lock(g_failureMutex);
  if (result == MMSYSERR_NOERROR) {
    g_failure.clear();
  } else {
    g_failure = std::string("unable to start playback on ") + choice + " (" + Reason(choice, result) +
                "); wendrel-render --list-outputs lists the outputs this machine has";
  }
}

std::string OutputOpenFailure() {
  std::lock_guard lock(g_failureMutex);
  return g_failure;
}
