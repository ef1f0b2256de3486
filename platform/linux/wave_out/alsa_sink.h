// A sink that plays through an ALSA PCM device ("default" is the sound card the
// user has configured; "pulse" a sound server; "null" is ALSA's own sink that
// needs no card). Writes block while the card plays, so this sink paces itself,
// except on ALSA's null device, which takes everything at once and is paced by
// the device's clock instead.
#pragma once

#include <memory>
#include <string>

#include "platform/linux/wave_out/audio_sink.h"
#include "platform/linux/wave_out/wave_out.h"

typedef struct _snd_pcm snd_pcm_t;

class AlsaSink : public AudioSink {
 public:
  // Opens device for format; null with *error set to the waveOutOpen result
  // when it cannot. Never blocks on a busy device.
  static std::unique_ptr<AlsaSink> Open(const std::string &device, const SinkFormat &format,
                                        MMRESULT *error);
  ~AlsaSink() override;

  bool Write(const int16_t *samples, uint32_t frames, const std::atomic<bool> &abandon) override;
  void Discard() override;
  int64_t FramesToHear() override;
  bool PacedByClock() const override { return neverBlocks; }
  bool Keepable() const override { return true; }
  bool Finish() override;

 private:
  AlsaSink(snd_pcm_t *pcm, const SinkFormat &format, uint32_t chunkFrames, bool neverBlocks)
      : pcm(pcm), format(format), chunkFrames(chunkFrames), neverBlocks(neverBlocks) {}

  snd_pcm_t *pcm;
  SinkFormat format;
  uint32_t chunkFrames;       // how often a long write looks at abandon
  bool neverBlocks;           // ALSA's null device: writes return at once
  bool soundPending = false;  // written since the last Discard, maybe not yet heard
};
