// GeneratorSource: the base of the sources that make sound themselves (the tone
// bank and the noise sources), at 44100 frames per second with the peak every
// generator declares. It keeps their position and length by one DurationCursor,
// so that they all end and seek alike; what they render is the subclass's.
#pragma once

#include <cstdint>

#include "synth/duration_frames.h"
#include "synth/sound_source.h"

class GeneratorSource : public SoundSource {
 public:
  static constexpr int32_t kSampleRate = 44100;
  static constexpr int32_t kPeakValue = 0x200000;

  int32_t GetPosition() final;
  int32_t GetLength() final;
  // Moves the position within the duration. The generator carries on from
  // where it is: tones stay in phase and a sweep takes the frequencies of the
  // new position at its next update; one stretch of noise is as good as
  // another.
  void Seek(int32_t frame) final;

 protected:
  // durationMs 0 is continuous.
  GeneratorSource(uint8_t channels, uint32_t durationMs);

  DurationCursor cursor;
};
