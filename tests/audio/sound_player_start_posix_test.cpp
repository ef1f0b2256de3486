// Starting and stopping the player: refused starts, the limiter, the start
// modes, the block size, and many plays in quick succession.
#include "audio/sound_player.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "synth/limiter_factory.h"
#include "tests/audio/sound_player_posix_fixture.h"
#include "tests/support/watchdog.h"

namespace {

// A suite of its own: the fixture lives in each file's unnamed namespace.
using SoundPlayerStartStop = SoundPlayerTest;

TEST_F(SoundPlayerStartStop, RefusedStartsLeaveThePlayerIdleAndCallNobody) {
  Watchdog watchdog;
  struct Case {
    const char *name;
    int openFailures;
    int preparesBeforeFailure;
    bool silence;
  };
  const Case cases[] = {
      {"silence", 0, -1, true},
      {"both opens fail", 2, -1, false},
      {"first prepare fails", 0, 0, false},
      {"eleventh prepare fails", 0, 10, false},
      {"last prepare fails", 0, 69, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    WaveOutFaults faults;
    faults.openFailures = c.openFailures;
    faults.preparesBeforeFailure = c.preparesBeforeFailure;
    SetFaults(faults);
    Recorder recorder;
    SoundPlayer player;
    player.listener = &recorder;
    const int destroyedBefore = PatternSource::destroyed;
    {
      SourceRef source;
      if (!c.silence) {
        source = SourceRef(new PatternSource(kBlock * 3, 1, 0x200000));
      }
      EXPECT_FALSE(player.Start(source, 0));
      EXPECT_EQ(source->refCount, 1) << "the player kept a reference";
    }
    EXPECT_EQ(PatternSource::destroyed - destroyedBefore, c.silence ? 0 : 1);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_TRUE(recorder.events.empty()) << Describe(recorder.events);
    EXPECT_FALSE(SoundPlayerTestAccess::AnyBufferHoldsData(player));
    EXPECT_TRUE(SoundPlayerTestAccess::ConversionBlockFreed(player));
    EXPECT_TRUE(SoundPlayerTestAccess::HoldsSilence(player));
    player.Stop();
    EXPECT_TRUE(recorder.events.empty());
  }
}

TEST_F(SoundPlayerStartStop, OneFailedOpenIsRetriedMapped) {
  Watchdog watchdog;
  WaveOutFaults faults;
  faults.openFailures = 1;
  SetFaults(faults);
  SoundPlayer player;
  SourceRef source(new PatternSource(kBlock, 1, 0x7fff0));
  EXPECT_TRUE(player.Start(source, 0));
  player.Stop();
}

TEST_F(SoundPlayerStartStop, OnlySourcesLouderThanTheThresholdGoThroughTheLimiter) {
  Watchdog watchdog;
  // A constant far above 16 bits: played directly it would wrap to (0x100000 +
  // 8) >> 4 = 0x10000, whose low 16 bits are 0; through the limiter it comes
  // out just under full scale.
  for (int32_t peak : {0x7fff0, 0x7fff1, 0x200000}) {
    SCOPED_TRACE(peak);
    sink.Clear();
    Recorder recorder;
    SoundPlayer player;
    player.listener = &recorder;
    auto *pattern = new PatternSource(2 * kBlock, 1, peak);
    pattern->constant[0] = 0x100000;
    SourceRef source(pattern);
    ASSERT_TRUE(player.Start(source, 0));
    PumpUntil([&] { return recorder.StoppedSeen(); });
    const std::vector<int16_t> all = sink.All();
    ASSERT_EQ(all.size(), 2u * kBlock);
    for (int16_t sample : all) {
      if (peak == 0x7fff0) {
        ASSERT_EQ(sample, 0);
      } else {
        ASSERT_GE(sample, 32000);
        ASSERT_LE(sample, 32767);
      }
    }
  }
}

TEST_F(SoundPlayerStartStop, PlayedThroughTheLimiterEqualsTheLimiterRenderedAlone) {
  Watchdog watchdog;
  const int32_t frames = 7 * kBlock + 123;
  Recorder recorder;
  SoundPlayer player;
  player.listener = &recorder;
  SourceRef source(new PatternSource(frames, 2, 0x200000));
  ASSERT_TRUE(player.Start(source, 0));
  PumpUntil([&] { return recorder.StoppedSeen(); });

  SourceRef limited;
  LimiterFactory(0x7fff0).Make(limited, SourceRef(new PatternSource(frames, 2, 0x200000)));
  std::vector<int32_t> wide(static_cast<size_t>(frames) * 2);
  limited->Render(wide.data(), frames);
  std::vector<int16_t> expected(wide.size());
  ConvertTo16(expected.data(), wide.data(), static_cast<int>(wide.size()));
  EXPECT_EQ(sink.All(), expected);
}

TEST_F(SoundPlayerStartStop, StopReportsOnceAndOnlyWhenPlaying) {
  Watchdog watchdog;
  Recorder recorder;
  SoundPlayer player;
  recorder.player = &player;
  player.listener = &recorder;
  player.Stop();
  EXPECT_TRUE(recorder.events.empty());

  SourceRef source(new PatternSource(-1, 2, 0x200000));
  ASSERT_TRUE(player.Start(source, 0));
  EXPECT_TRUE(player.IsPlaying());
  player.Stop();
  player.Stop();
  EXPECT_EQ(recorder.Count(Event::Stopped), 1);
  EXPECT_EQ(recorder.events.back(), (Event{Event::Stopped, 0, 0}));
  EXPECT_EQ(source->refCount, 1);
}

TEST_F(SoundPlayerStartStop, StartWhilePlayingStopsFirst) {
  Watchdog watchdog;
  Recorder recorder;
  SoundPlayer player;
  recorder.player = &player;
  player.listener = &recorder;
  SourceRef first(new PatternSource(100 * kBlock, 1, 0x200000));
  SourceRef second(new PatternSource(100 * kBlock, 2, 0x200000));
  ASSERT_TRUE(player.Start(first, 0));
  ASSERT_TRUE(player.Start(second, 0));
  EXPECT_EQ(recorder.events, (std::vector<Event>{{Event::Started, 1, 0},
                                                 {Event::Position, 0, 0},
                                                 {Event::Stopped, 0, 0},
                                                 {Event::Started, 1, 0},
                                                 {Event::Position, 0, 0}}))
      << Describe(recorder.events);
  EXPECT_EQ(first->refCount, 1);
  EXPECT_EQ(second->refCount, 2);  // the limiter around it holds one
  player.Stop();
  EXPECT_EQ(second->refCount, 1);
}

TEST_F(SoundPlayerStartStop, PrebufferingHoldsTheDeviceUntil42BuffersAreQueued) {
  Watchdog watchdog;
  for (int32_t buffers : {3, 50, 150}) {
    SCOPED_TRACE(buffers);
    sink.Clear();
    Recorder recorder;
    SoundPlayer player;
    player.listener = &recorder;
    auto *pattern = new PatternSource(buffers * kBlock, 1, 0x7fff0);
    sink.source = pattern;
    sink.rendersAtFirst = -1;
    SourceRef source(pattern);
    ASSERT_TRUE(player.Start(source, SoundPlayer::kModePrebuffer));
    EXPECT_EQ(recorder.events.front().kind, Event::Started);
    PumpUntil([&] { return recorder.StoppedSeen(); });
    sink.source = nullptr;
    // Nothing reached the sink before the ring index reached 42; a short
    // source has rendered all of itself by then.
    if (buffers < 42) {
      EXPECT_EQ(sink.rendersAtFirst.load(), buffers);
    } else {
      EXPECT_GE(sink.rendersAtFirst.load(), 42);
    }
    EXPECT_EQ(sink.All(), ExpectedPattern(buffers * kBlock, 1));
  }
}

TEST_F(SoundPlayerStartStop, StartedPausedReportsSoAndEndsByTheStallRule) {
  Watchdog watchdog;
  Recorder recorder;
  SoundPlayer player;
  recorder.player = &player;
  player.listener = &recorder;
  // Both mode bits: bit 0 wins.
  for (uint16_t mode : {SoundPlayer::kModeStartPaused, static_cast<uint16_t>(3)}) {
    recorder.events.clear();
    SourceRef source(new PatternSource(100 * kBlock, 2, 0x200000));
    ASSERT_TRUE(player.Start(source, mode));
    EXPECT_EQ(SoundPlayerTestAccess::State(player) & (SoundPlayer::kStartedPaused | SoundPlayer::kPrebuffering), SoundPlayer::kStartedPaused);
    PassDriver driver(player);
    PumpUntil([&] { return recorder.StoppedSeen(); });
    EXPECT_EQ(recorder.events, (std::vector<Event>{{Event::StartedPaused, 1, 0},
                                                   {Event::Position, 0, 0},
                                                   {Event::Position, FramesToTenThousandths(100 * kBlock, 44100), 0},
                                                   {Event::Stopped, 0, 0}}))
        << Describe(recorder.events);
  }
  EXPECT_EQ(sink.count.load(), 0);
}

TEST_F(SoundPlayerStartStop, BlockSizeFollowsTheRateWithinItsLimits) {
  Watchdog watchdog;
  struct Case {
    int32_t rate;
    uint8_t channels;
    int32_t blockFrames;
  };
  for (Case c : {Case{44100, 1, 4410}, Case{44100, 2, 4410}, Case{100, 2, 20}, Case{199, 1, 20}, Case{100000, 2, 8192},
                 Case{81920, 1, 8192}, Case{11025, 1, 1102}}) {
    SCOPED_TRACE(c.rate);
    SoundPlayer player;
    SourceRef source(new PatternSource(-1, c.channels, 0x7fff0, c.rate));
    ASSERT_TRUE(player.Start(source, 0));
    EXPECT_EQ(SoundPlayerTestAccess::BlockFrames(player), c.blockFrames);
    for (int i : {0, 69}) {
      EXPECT_EQ(SoundPlayerTestAccess::Capacity(player, i), c.channels * c.blockFrames * 2);
    }
    player.Stop();
  }
}

// Many plays started and stopped in quick succession, some stopped at once and
// some while buffers are coming back: run under ThreadSanitizer and
// AddressSanitizer, this is what finds a race or a leak in the hand-over
// between the feeder, the device and the user-interface thread.
TEST_F(SoundPlayerStartStop, FiveHundredStartsAndStops) {
  Watchdog watchdog(240);
  Recorder recorder;
  SoundPlayer player;
  player.listener = &recorder;
  for (int cycle = 0; cycle < 500; ++cycle) {
    SourceRef source(new PatternSource(cycle % 3 == 0 ? -1 : (cycle % 7 + 1) * kBlock, static_cast<uint8_t>(1 + cycle % 2),
                                       cycle % 2 == 0 ? 0x200000 : 0x7fff0));
    ASSERT_TRUE(player.Start(source, static_cast<uint16_t>(cycle % 5 == 4 ? SoundPlayer::kModePrebuffer : 0)));
    if (cycle % 4 != 0) {
      // Wait for one buffer to come back (or the play to end) before stopping.
      const int32_t positions = static_cast<int32_t>(recorder.Positions().size());
      PumpUntil([&] { return static_cast<int32_t>(recorder.Positions().size()) > positions || !player.IsPlaying(); });
    }
    player.Stop();
    ASSERT_FALSE(player.IsPlaying());
  }
}

}  // namespace
