// Where a wave device's playback thread puts the sound it plays: the sound card
// (ALSA), nothing (null) or a WAV file. Only the playback thread calls a sink,
// one call at a time, from its opening to its destruction; any call may block
// for as long as the device behind it does, even for good. The public waveOut
// calls have validated everything, so a sink only asserts. Not for choosing a
// sink: see sink_factory.h.
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

  // Frames written but not yet heard, for a sink that keeps sound queued (a
  // card's buffer); a card still waiting to start is started, so that a sound
  // shorter than its buffer is heard too. 0 when nothing is left to hear.
  virtual int64_t FramesToHear() { return 0; }

  // Whether the device must pace the sink by the clock; false for a sink whose
  // Write already takes as long as the sound it plays. A sink paced by the
  // clock never blocks.
  virtual bool PacedByClock() const = 0;

  // Whether a closed device may keep the sink open for the next open of the
  // same output and format (see kept_output.h): worth it for a sound server's
  // stream, which takes the server a while to build.
  virtual bool Keepable() const { return false; }

  // Releases the sink, throwing away what is still unheard; false if it could
  // not finish properly (a file left incomplete). Called once, last.
  virtual bool Finish() = 0;
};
