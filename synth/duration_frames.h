// How long a generating source lasts and where it stands: the frame count of a
// duration in milliseconds at 44100 frames per second, and the position counter
// every generator keeps by the same rules, so that they all end alike.
#pragma once

#include <algorithm>
#include <cstdint>

#include "settings/tone_settings.h"

// (ms / 1000) × 44100 + ((ms mod 1000) × 44100) / 1000 with truncating divisions,
// in 64 bits so that it holds for every 32-bit duration.
constexpr int64_t FramesOfDuration(uint32_t ms) {
  return int64_t(ms / 1000) * 44100 + (int64_t(ms % 1000) * 44100) / 1000;
}

// The frames a source plays for a duration: 1 ms gives 44, 333 ms gives 14685,
// 0 gives 0 (continuous). Durations above kMaxDurationMs play as that one.
constexpr int32_t DurationToFrames(uint32_t ms) {
  return static_cast<int32_t>(FramesOfDuration(std::min(ms, kMaxDurationMs)));
}

// Frames rendered so far and the length of a generating source. The position
// runs only while a duration is set, and keeps running past the length while the
// limiter reads ahead (stopping at the largest int32 for renders far past it);
// without a duration the length is a minute and the position stays 0, so the
// source never finishes.
class DurationCursor {
 public:
  explicit DurationCursor(uint32_t durationMs) : lengthFrames(DurationToFrames(durationMs)) {}

  void Advance(int32_t frames) {
    if (lengthFrames > 0) {
      position = static_cast<int32_t>(std::min<int64_t>(int64_t(position) + frames, INT32_MAX));
    }
  }
  // Moves to frame `frame` of the duration, held within 0..length, so that
  // length − frame frames remain; without a duration there is nowhere to go.
  void Seek(int32_t frame) {
    if (lengthFrames > 0) {
      position = std::clamp(frame, 0, lengthFrames);
    }
  }

  int32_t Position() const { return position; }
  int32_t Length(int32_t sampleRate) const { return lengthFrames > 0 ? lengthFrames : sampleRate * 60; }
  // The duration in frames; 0 when the source is continuous.
  int32_t DurationFrames() const { return lengthFrames; }

 private:
  int32_t position = 0;
  int32_t lengthFrames;
};
