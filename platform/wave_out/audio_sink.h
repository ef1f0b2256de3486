// Where a wave device's playback thread puts the sound it plays: the sound card
// (ALSA), nothing (null) or a WAV file. Only the playback thread calls a sink,
// one call at a time; the public waveOut calls have validated everything, so a
// sink only asserts. Not for choosing a sink: see sink_factory.h.
#pragma once

#include <atomic>
#include <cstdint>

struct SinkFormat {
  int channels;    // 1 or 2
  int sampleRate;  // frames per second, 1..384000
};

class AudioSink {
 public:
  virtual ~AudioSink() = default;

  // Plays frames interleaved 16-bit frames. False when the sink has failed for
  // good. A sink that blocks while it plays gives up early, returning true,
  // once abandon becomes true (the buffer has been reset).
  virtual bool Write(const int16_t *samples, uint32_t frames, const std::atomic<bool> &abandon) = 0;

  // Throws away what has been written but not yet heard.
  virtual void Discard() {}

  // Whether the device must pace the sink by the clock; false for a sink whose
  // Write already takes as long as the sound it plays.
  virtual bool PacedByClock() const = 0;

  // Lets what has been written play out and releases the sink; false if it could
  // not finish properly. Called once, last.
  virtual bool Finish() = 0;
};
