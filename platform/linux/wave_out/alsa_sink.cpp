#include "platform/linux/wave_out/alsa_sink.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstdint>
#include <mutex>

namespace {

// alsa-lib prints its own error lines to standard error, which would land in
// the middle of the terminal screen; every failure is reported by result.
void SilentAlsaError(const char *, int, const char *, int, const char *, ...) {}

void SilenceAlsa() {
  static std::once_flag once;
  std::call_once(once, [] { snd_lib_error_set_handler(SilentAlsaError); });
}

MMRESULT OpenError(int error) {
  switch (-error) {
    case EBUSY:
    case EAGAIN:
      return MMSYSERR_ALLOCATED;
    case ENOMEM:
      return MMSYSERR_NOMEM;
    default:
      return MMSYSERR_NODRIVER;
  }
}

// Enough queued in the card to ride out a late wake-up of the playback thread,
// little enough that Stop is heard at once.
constexpr unsigned kLatencyMicroseconds = 200000;
// How much room a blocking write waits for at a time.
constexpr int64_t kWakeMicroseconds = 10000;

}  // namespace

std::unique_ptr<AlsaSink> AlsaSink::Open(const std::string &device, const SinkFormat &format,
                                         MMRESULT *error) {
  assert(error != nullptr);
  SilenceAlsa();
  snd_pcm_t *pcm = nullptr;
  // Non-blocking open: a card held by another program fails at once instead of
  // hanging the caller until it is free.
  int result = snd_pcm_open(&pcm, device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
  if (result < 0) {
    *error = OpenError(result);
    return nullptr;
  }
  result = snd_pcm_nonblock(pcm, 0);
  if (result >= 0) {
    result = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                                static_cast<unsigned>(format.channels),
                                static_cast<unsigned>(format.sampleRate), 1, kLatencyMicroseconds);
    if (result < 0) {
      *error = result == -EINVAL ? WAVERR_BADFORMAT : OpenError(result);
      snd_pcm_close(pcm);
      return nullptr;
    }
  } else {
    *error = OpenError(result);
    snd_pcm_close(pcm);
    return nullptr;
  }
  snd_pcm_uframes_t bufferFrames = 0, periodFrames = 0;
  uint32_t chunk = 1024;
  if (snd_pcm_get_params(pcm, &bufferFrames, &periodFrames) == 0 && periodFrames > 0) {
    chunk = static_cast<uint32_t>(std::min<snd_pcm_uframes_t>(periodFrames, 65536));
  }
  // A blocking write waits for room of a whole period (a quarter of the
  // buffer) by default, and a reset is only seen between writes: Stop would
  // go on sounding for up to a period. Waking for every few milliseconds of
  // room lets a write give up that much sooner; the buffer stays as deep.
  // And the card starts once half its buffer is written rather than all of
  // it: a play (or a restart after a change) is heard as soon as the
  // player's first buffer (a tenth of a second) has arrived, not once it has
  // made the next one, which on a busy machine can be late; the half already
  // written rides out a late wake-up of the writer.
  const uint32_t wakeFrames = static_cast<uint32_t>(
      std::max<int64_t>(1, int64_t(format.sampleRate) * kWakeMicroseconds / 1000000));
  snd_pcm_sw_params_t *software = nullptr;
  if (wakeFrames < chunk && snd_pcm_sw_params_malloc(&software) == 0) {
    if (snd_pcm_sw_params_current(pcm, software) == 0 &&
        snd_pcm_sw_params_set_avail_min(pcm, software, wakeFrames) == 0 &&
        snd_pcm_sw_params_set_start_threshold(pcm, software, std::max<snd_pcm_uframes_t>(bufferFrames / 2, wakeFrames)) == 0 &&
        snd_pcm_sw_params(pcm, software) == 0) {
      chunk = wakeFrames;
    }
    snd_pcm_sw_params_free(software);
  }
  *error = MMSYSERR_NOERROR;
  const bool neverBlocks = snd_pcm_type(pcm) == SND_PCM_TYPE_NULL;
  return std::unique_ptr<AlsaSink>(new AlsaSink(pcm, format, chunk, neverBlocks));
}

AlsaSink::~AlsaSink() {
  if (pcm != nullptr) snd_pcm_close(pcm);
}

bool AlsaSink::Write(const int16_t *samples, uint32_t frames, const std::atomic<bool> &abandon) {
  assert(pcm != nullptr);
  // Set by a recovery, cleared by the next frames taken. A device that fails
  // again before taking a frame was not late but gone: a sound server that
  // died leaves a plugin whose recovery "succeeds" and whose next write fails
  // at once, so retrying would spin a core (and, in some plugins, allocate on
  // every turn) until something else ended the play.
  bool justRecovered = false;
  while (frames > 0 && !abandon.load(std::memory_order_acquire)) {
    uint32_t chunk = std::min(frames, chunkFrames);
    snd_pcm_sframes_t written = snd_pcm_writei(pcm, samples, chunk);
    if (written == 0) {
      snd_pcm_wait(pcm, 100);
      continue;
    }
    if (written < 0) {
      // An underrun (the owner was late) or a suspend: recover and go on; only
      // what cannot be recovered, or fails again at once, is a failure.
      if (justRecovered || snd_pcm_recover(pcm, static_cast<int>(written), 1) < 0) return false;
      justRecovered = true;
      continue;
    }
    justRecovered = false;
    soundPending = true;
    samples += size_t(written) * size_t(format.channels);
    frames -= static_cast<uint32_t>(written);
  }
  return true;
}

void AlsaSink::Discard() {
  assert(pcm != nullptr);
  snd_pcm_drop(pcm);
  snd_pcm_prepare(pcm);
  soundPending = false;
}

int64_t AlsaSink::FramesToHear() {
  assert(pcm != nullptr);
  if (!soundPending) return 0;
  // ALSA starts playing only once its buffer is full, so a sound shorter than
  // the buffer has not even started yet.
  if (snd_pcm_state(pcm) == SND_PCM_STATE_PREPARED) snd_pcm_start(pcm);
  snd_pcm_sframes_t delay = 0;
  if (snd_pcm_state(pcm) != SND_PCM_STATE_RUNNING || snd_pcm_delay(pcm, &delay) < 0 || delay <= 0) {
    soundPending = false;
    return 0;
  }
  return delay;
}

bool AlsaSink::Finish() {
  assert(pcm != nullptr);
  int result = snd_pcm_close(pcm);
  pcm = nullptr;
  return result == 0;
}
