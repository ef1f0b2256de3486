// DurationToFrames: the frame count of a duration in milliseconds at 44100 frames
// per second, shared by every generating source so that they all end alike.
#pragma once

#include <cstdint>

// The longest duration whose frame count fits a signed 32-bit value
// (2,147,483,633 frames, about 13.5 hours); longer durations are clamped to it.
constexpr uint32_t kMaxDurationMs = 48695774;

// (ms / 1000) × 44100 + ((ms mod 1000) × 44100) / 1000 with truncating divisions:
// 1 ms gives 44, 333 ms gives 14685, 0 gives 0 (continuous).
constexpr int32_t DurationToFrames(uint32_t ms) {
  if (ms > kMaxDurationMs) {
    ms = kMaxDurationMs;
  }
  return static_cast<int32_t>((ms / 1000) * 44100 + ((ms % 1000) * 44100) / 1000);
}

// position + frames for a source's position counter, which keeps running past
// the length while the limiter reads ahead; it stops at the largest int32
// instead of wrapping negative.
constexpr int32_t AdvancePosition(int32_t position, int32_t frames) {
  const int64_t sum = static_cast<int64_t>(position) + frames;
  return sum > INT32_MAX ? INT32_MAX : static_cast<int32_t>(sum);
}
