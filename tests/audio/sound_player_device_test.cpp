// The player on the machine's own waveform output, in real time: on Linux the
// clock-paced null output, on Windows winmm's default device (under Wine, its
// PulseAudio driver). Whatever the device, a play starts, reports the
// positions of the buffers that came back, ends by itself when its source has
// a length, and stops at once when asked.
#include "audio/sound_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "tests/audio/player_test_support.h"
#include "tests/support/watchdog.h"
#include "tests/support/test_environment.h"

namespace {

constexpr int32_t kBlock = 4410;

class SoundPlayerOnTheDevice : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    ASSERT_GT(waveOutGetNumDevs(), 0u) << "no waveform output device: under Wine, run with a PulseAudio server "
                                          "(scripts/test --windows starts a private one)";
#else
    saved = GetEnvironment("WENDREL_AUDIO");
    SetEnvironment("WENDREL_AUDIO", std::string("null"));
#endif
    recorder.player = &player;
    player.listener = &recorder;
  }
  void TearDown() override {
    player.Stop();
#ifndef _WIN32
    SetEnvironment("WENDREL_AUDIO", saved);
#endif
  }

  std::optional<std::string> saved;
  Recorder recorder;
  SoundPlayer player;
};

// Five buffers of a stereo pattern through the limiter: every buffer comes
// back once, in order, then the length and OnStopped arrive, and the device
// is free for the next play.
TEST_F(SoundPlayerOnTheDevice, ATimedPlayEndsByItselfAfterEveryBufferCameBack) {
  Watchdog watchdog;
  for (uint8_t channels : {uint8_t{2}, uint8_t{1}}) {
    SCOPED_TRACE(int(channels));
    recorder.events.clear();
    SourceRef source(new PatternSource(5 * kBlock, channels, 0x200000));
    ASSERT_TRUE(player.Start(source, 0));
    PumpUntil([&] { return recorder.StoppedSeen(); });
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(recorder.events.front(), (Event{Event::Started, 1, 0})) << Describe(recorder.events);
    EXPECT_EQ(recorder.events.back(), (Event{Event::Stopped, 0, 0})) << Describe(recorder.events);
    // The start, then buffer ends in order (two that come back together make
    // one report), then the length.
    std::vector<int32_t> positions = recorder.Positions();
    ASSERT_GE(positions.size(), 3u) << Describe(recorder.events);
    EXPECT_EQ(positions.front(), 0);
    EXPECT_EQ(positions.back(), 5000);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end())) << Describe(recorder.events);
    for (int32_t position : positions) {
      EXPECT_EQ(position % 1000, 0) << Describe(recorder.events);
    }
    EXPECT_EQ(source->refCount, 1);
  }
}

// A continuous play runs until Stop, which ends it at once with one OnStopped
// and leaves the device free; a Start while playing stops the first play
// before the second begins.
TEST_F(SoundPlayerOnTheDevice, StopAndRestartDuringAPlay) {
  Watchdog watchdog;
  SourceRef continuous(new PatternSource(-1, 2, 0x200000));
  ASSERT_TRUE(player.Start(continuous, 0));
  // Two buffers heard: the device really plays.
  PumpUntil([&] { return recorder.Positions().size() >= 3; });
  EXPECT_TRUE(player.IsPlaying());

  SourceRef next(new PatternSource(-1, 1, 0x200000));
  ASSERT_TRUE(player.Start(next, 0));
  EXPECT_EQ(recorder.Count(Event::Stopped), 1);
  EXPECT_EQ(recorder.Count(Event::Started), 2);
  EXPECT_EQ(continuous->refCount, 1);
  const size_t heard = recorder.Positions().size();
  PumpUntil([&] { return recorder.Positions().size() > heard; });

  player.Stop();
  player.Stop();
  EXPECT_FALSE(player.IsPlaying());
  EXPECT_EQ(recorder.Count(Event::Stopped), 2);
  EXPECT_EQ(recorder.events.back(), (Event{Event::Stopped, 0, 0})) << Describe(recorder.events);
  EXPECT_EQ(next->refCount, 1);
}

}  // namespace
