// What the player's tests share: a source with a known pattern, a listener
// that records every report, and the user-interface thread's message loop.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/sound_player.h"

namespace {

// A source with a known, cheap pattern: frame f, channel c holds
// ((f * 37 + c * 5000) % 30001 - 15000) * 16 (well inside ±0x7fff0), or a
// constant when one is given. Position counts rendered frames when a length is
// set; without one it stays 0 and the length is a minute, as for a continuous
// tone.
class PatternSource : public SoundSource {
 public:
  PatternSource(int32_t length, uint8_t channels, int32_t peak, int32_t rate = 44100)
      : SoundSource(rate, channels, peak), finite(length >= 0), length(length >= 0 ? length : rate * 60) {}
  ~PatternSource() override { ++destroyed; }

  static int32_t Sample(int64_t frame, int channel) {
    return static_cast<int32_t>(((frame * 37 + channel * 5000) % 30001 - 15000) * 16);
  }

  void Render(int32_t *buffer, int32_t frames) override {
    for (int32_t i = 0; i < frames; ++i) {
      for (int c = 0; c < channels; ++c) {
        *buffer++ = constant[c] != 0 ? constant[c] : Sample(static_cast<int64_t>(rendered) + i, c);
      }
    }
    rendered += frames;
    if (finite) {
      position = rendered;
    }
    renders.fetch_add(1);
  }
  int32_t GetPosition() override { return position; }
  int32_t GetLength() override { return length; }

  static inline std::atomic<int> destroyed{0};
  std::atomic<int> renders{0};
  // Per channel; 0 means the pattern.
  int32_t constant[2] = {0, 0};

 private:
  bool finite;
  int32_t length;
  int32_t position = 0;
  int32_t rendered = 0;
};

struct Event {
  enum Kind { Started, Stopped, StartedPaused, Position, Levels } kind;
  int32_t value;
  int32_t context;
  bool operator==(const Event &) const = default;
};

std::string Describe(const std::vector<Event> &events) {
  static const char *names[] = {"Started", "Stopped", "StartedPaused", "Position", "Levels"};
  std::string text;
  for (const Event &e : events) {
    text += std::string(names[e.kind]) + "(" + std::to_string(e.value) + ") ";
  }
  return text;
}

class Recorder : public PlayerListener {
 public:
  void OnStarted(int32_t context) override { events.push_back({Event::Started, playingAtCall(), context}); }
  void OnStopped(int32_t context) override { events.push_back({Event::Stopped, playingAtCall(), context}); }
  void OnStartedPaused(int32_t context) override {
    events.push_back({Event::StartedPaused, playingAtCall(), context});
  }
  void OnPosition(int32_t position, int32_t context) override {
    events.push_back({Event::Position, position, context});
  }
  void OnLevels(const ChannelLevels &levels, int32_t context) override {
    events.push_back({Event::Levels, levels.count, context});
    lastLevels = levels;
  }

  int Count(Event::Kind kind) const {
    int count = 0;
    for (const Event &e : events) {
      count += e.kind == kind ? 1 : 0;
    }
    return count;
  }
  bool StoppedSeen() const { return Count(Event::Stopped) > 0; }
  std::vector<int32_t> Positions() const {
    std::vector<int32_t> positions;
    for (const Event &e : events) {
      if (e.kind == Event::Position) {
        positions.push_back(e.value);
      }
    }
    return positions;
  }

  SoundPlayer *player = nullptr;
  std::vector<Event> events;
  ChannelLevels lastLevels;

 private:
  // For OnStarted and OnStopped the value records IsPlaying at the call.
  int32_t playingAtCall() const { return player != nullptr && player->IsPlaying() ? 1 : 0; }
};

// Runs the user-interface thread's message loop until done() holds.
template <typename Done>
void PumpUntil(Done done) {
  MSG msg;
  while (!done()) {
    ASSERT_GT(GetMessageW(&msg, nullptr, 0, 0), 0);
    DispatchMessageW(&msg);
  }
}

}  // namespace
