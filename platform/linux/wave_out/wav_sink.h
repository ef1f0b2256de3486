// A sink that writes exactly what is played, in order, to a 16-bit PCM WAV file
// with the device's channels and rate; the sizes in the header are written when
// the sink finishes. Paced by the clock like the null sink.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/linux/wave_out/audio_sink.h"

class WavSink : public AudioSink {
 public:
  // Null if the file cannot be created or its header not written.
  static std::unique_ptr<WavSink> Create(const std::string &path, const SinkFormat &format);
  ~WavSink() override;

  bool Write(const int16_t *samples, uint32_t frames, const std::atomic<bool> &abandon) override;
  bool PacedByClock() const override { return true; }
  bool Finish() override;

 private:
  WavSink(std::FILE *file, const SinkFormat &format) : file(file), format(format) {}

  std::FILE *file;
  SinkFormat format;
  uint64_t dataBytes = 0;
  bool failed = false;
};
