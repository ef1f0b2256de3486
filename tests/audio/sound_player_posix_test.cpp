// What a play delivers and reports: its samples, positions, levels and end.
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

TEST_F(SoundPlayerTest, AFiniteSourceFillsWholeBlocksThenReportsItsLengthAndStops) {
  Watchdog watchdog;
  struct Case {
    int32_t frames;
    uint8_t channels;
  };
  for (Case c : {Case{1, 1}, Case{kBlock, 2}, Case{kBlock + 1, 1}, Case{3 * kBlock - 17, 2}, Case{75 * kBlock + 5, 1}}) {
    SCOPED_TRACE(c.frames);
    sink.Clear();
    Recorder recorder;
    SoundPlayer player;
    recorder.player = &player;
    player.listener = &recorder;
    player.listenerContext = 77;
    auto *pattern = new PatternSource(c.frames, c.channels, 0x7fff0);
    SourceRef source(pattern);
    ASSERT_TRUE(player.Start(source, 0));
    PumpUntil([&] { return recorder.StoppedSeen(); });

    const int expectedBuffers = (c.frames + kBlock - 1) / kBlock;
    ASSERT_EQ(static_cast<int>(sink.buffers.size()), expectedBuffers);
    const int32_t lastFrames = c.frames - (expectedBuffers - 1) * kBlock;
    EXPECT_EQ(static_cast<int32_t>(sink.buffers.back().size()), lastFrames * c.channels);
    EXPECT_EQ(sink.All(), ExpectedPattern(c.frames, c.channels));

    const std::vector<Event> &events = recorder.events;
    ASSERT_GE(events.size(), 4u) << Describe(events);
    EXPECT_EQ(events.front(), (Event{Event::Started, 1, 77}));
    EXPECT_EQ(events[1], (Event{Event::Position, 0, 77}));
    EXPECT_EQ(events[events.size() - 2], (Event{Event::Position, FramesToTenThousandths(c.frames, 44100), 77}));
    EXPECT_EQ(events.back(), (Event{Event::Stopped, 0, 77}));
    EXPECT_EQ(recorder.Count(Event::Stopped), 1);
    // In between, each heard buffer's position at most once, in order.
    for (size_t i = 3; i + 2 < events.size(); ++i) {
      EXPECT_GT(events[i].value, events[i - 1].value) << Describe(events);
    }
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_TRUE(SoundPlayerTestAccess::HoldsSilence(player));
    EXPECT_EQ(source->refCount, 1);
  }
}

TEST_F(SoundPlayerTest, PositionsAreReportedOnceEachAndOnlyForBuffersThatCameBack) {
  Watchdog watchdog;
  for (int completed : {0, 1, 5, 69, 70, 71, 100}) {
    SCOPED_TRACE(completed);
    WaveOutFaults faults;
    faults.stallAfterBuffers = completed;
    SetFaults(faults);
    Recorder recorder;
    SoundPlayer player;
    player.listener = &recorder;
    SourceRef source(new PatternSource(1000 * kBlock, 1, 0x7fff0));
    ASSERT_TRUE(player.Start(source, 0));
    // Wait until the last buffer that will come back has been reported, then
    // let the stall rule end the play.
    const int32_t lastHeard = FramesToTenThousandths(completed * kBlock, 44100);
    PumpUntil([&] { return recorder.Positions().back() == lastHeard; });
    PassDriver driver(player);
    PumpUntil([&] { return recorder.StoppedSeen(); });

    std::vector<int32_t> positions = recorder.Positions();
    ASSERT_GE(positions.size(), 2u);
    EXPECT_EQ(positions.front(), 0);  // from Start
    EXPECT_EQ(positions.back(), FramesToTenThousandths(1000 * kBlock, 44100));  // the stall's end report
    positions.erase(positions.begin());
    positions.pop_back();
    int32_t previous = 0;
    for (int32_t p : positions) {
      EXPECT_GT(p, previous) << "a position repeated or went back";
      EXPECT_LE(p, lastHeard) << "a position of a buffer that never came back";
      EXPECT_EQ(p % 1000, 0) << "not a whole buffer";
      previous = p;
    }
    EXPECT_EQ(sink.count.load(), completed);
    sink.Clear();
  }
}

TEST_F(SoundPlayerTest, AnEmptySourceEndsAtOnce) {
  Watchdog watchdog;
  Recorder recorder;
  SoundPlayer player;
  recorder.player = &player;
  player.listener = &recorder;
  SourceRef source(new PatternSource(0, 2, 0x7fff0));
  ASSERT_TRUE(player.Start(source, 0));
  PumpUntil([&] { return recorder.StoppedSeen(); });
  EXPECT_EQ(recorder.events, (std::vector<Event>{{Event::Started, 1, 0},
                                                 {Event::Position, 0, 0},
                                                 {Event::Position, 0, 0},
                                                 {Event::Stopped, 0, 0}}))
      << Describe(recorder.events);
  EXPECT_EQ(sink.count.load(), 0);
}

// /dev/full refuses the first buffer: the output fails for good. Whether the
// feeder still has blocks to write (it learns from the refused write) or has
// queued the whole source (it learns from the device when every buffer is
// back), the play ends at once as a stopped play, never claiming its length.
TEST_F(SoundPlayerTest, AnOutputThatFailsEndsThePlayAtOnceWithoutItsLength) {
  Watchdog watchdog;
  struct Case {
    const char *name;
    int32_t frames;
  };
  for (const Case &c : {Case{"blocks left to write", kBlock * 100}, Case{"all queued", kBlock}}) {
    SCOPED_TRACE(c.name);
    setenv("WENDREL_AUDIO", "wav:/dev/full", 1);
    Recorder recorder;
    SoundPlayer player;
    recorder.player = &player;
    player.listener = &recorder;
    ASSERT_TRUE(player.Start(SourceRef(new PatternSource(c.frames, 1, 0x7fff0)), 0));
    PumpUntil([&] { return recorder.StoppedSeen(); });
    EXPECT_EQ(recorder.events,
              (std::vector<Event>{{Event::Started, 1, 0}, {Event::Position, 0, 0}, {Event::Stopped, 0, 0}}))
        << Describe(recorder.events);
    EXPECT_TRUE(player.EndedByOutputFailure());
    setenv("WENDREL_AUDIO", "null", 1);
    ASSERT_TRUE(player.Start(SourceRef(new PatternSource(0, 1, 0x7fff0)), 0));
    EXPECT_FALSE(player.EndedByOutputFailure());
    player.Stop();
  }
}

TEST_F(SoundPlayerTest, LevelsAreReportedForHeardBuffersWhenMetering) {
  Watchdog watchdog;
  // Two buffers come back and are reported; the rest stay queued, so the
  // end of the play cannot swallow the reports.
  WaveOutFaults faults;
  faults.stallAfterBuffers = 2;
  SetFaults(faults);
  for (bool metering : {false, true}) {
    SCOPED_TRACE(metering);
    Recorder recorder;
    SoundPlayer player;
    player.listener = &recorder;
    player.levelMetering = metering;
    auto *pattern = new PatternSource(100 * kBlock, 2, 0x7fff0);
    pattern->constant[0] = 92682;  // 0 dB
    pattern->constant[1] = 1000;   // -39 dB
    SourceRef source(pattern);
    ASSERT_TRUE(player.Start(source, 0));
    PumpUntil([&] { return recorder.Positions().back() == 2000; });
    if (metering) {
      ASSERT_GE(recorder.Count(Event::Levels), 1);
      EXPECT_EQ(recorder.events.back(), (Event{Event::Levels, 2, 0})) << "levels come after their position";
      EXPECT_EQ(recorder.lastLevels.levels[0], 0);
      EXPECT_EQ(recorder.lastLevels.levels[1], -39);
    } else {
      EXPECT_EQ(recorder.Count(Event::Levels), 0);
    }
    player.Stop();
  }
}

TEST_F(SoundPlayerTest, TheWavSinkReceivesExactlyThePlayedSamples) {
  Watchdog watchdog;
  const std::string path = WENDREL_BINARY_DIR "/player_test_sink.wav";
  setenv("WENDREL_AUDIO", "wav:" WENDREL_BINARY_DIR "/player_test_sink.wav", 1);
  const int32_t frames = 5 * kBlock + 999;
  {
    Recorder recorder;
    SoundPlayer player;
    player.listener = &recorder;
    SourceRef source(new PatternSource(frames, 2, 0x7fff0));
    ASSERT_TRUE(player.Start(source, 0));
    PumpUntil([&] { return recorder.StoppedSeen(); });
  }
  std::ifstream file(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::remove(path.c_str());
  const std::vector<int16_t> expected = ExpectedPattern(frames, 2);
  ASSERT_EQ(bytes.size(), 44 + expected.size() * 2);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
  EXPECT_EQ(0, std::memcmp(bytes.data() + 44, expected.data(), expected.size() * 2));
}

}  // namespace
