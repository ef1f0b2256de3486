#include "audio/sound_player.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/sample_convert.h"
#include "platform/linux/wave_out/wave_out_faults.h"
#include "synth/limiter_factory.h"
#include "tests/audio/player_test_support.h"
#include "tests/support/watchdog.h"

// Reaches into the player for what only a test needs to see or drive.
class SoundPlayerTestAccess {
 public:
  static HANDLE WaveEvent(SoundPlayer &player) { return player.waveEvent; }
  static uint16_t State(SoundPlayer &player) { return player.state.load(); }
  static int32_t BlockFrames(SoundPlayer &player) { return player.blockFrames; }
  static int32_t Capacity(SoundPlayer &player, int index) { return player.buffers[index].capacity; }
  static bool AnyBufferHoldsData(SoundPlayer &player) {
    for (WaveBuffer &buffer : player.buffers) {
      if (buffer.data != nullptr) {
        return true;
      }
    }
    return false;
  }
  static bool HoldsSilence(SoundPlayer &player) { return player.source->IsInvalid() && player.source->GetLength() == 0; }
  static bool ConversionBlockFreed(SoundPlayer &player) { return player.conversionBlock == nullptr; }
};

namespace {

constexpr int32_t kBlock = 4410;

// Collects what reaches the sink, buffer by buffer, on the device's thread.
struct SinkLog {
  std::mutex mutex;
  std::vector<std::vector<int16_t>> buffers;
  std::atomic<int> count{0};
  // Renders the source had done when the first buffer reached the sink.
  std::atomic<int> rendersAtFirst{-1};
  PatternSource *source = nullptr;

  static void Observe(const void *data, DWORD bytes, void *context) {
    auto *log = static_cast<SinkLog *>(context);
    std::lock_guard<std::mutex> hold(log->mutex);
    if (log->buffers.empty() && log->source != nullptr) {
      log->rendersAtFirst = log->source->renders.load();
    }
    const auto *samples = static_cast<const int16_t *>(data);
    log->buffers.emplace_back(samples, samples + bytes / 2);
    ++log->count;
  }
  void Clear() {
    std::lock_guard<std::mutex> hold(mutex);
    buffers.clear();
    count = 0;
  }
  std::vector<int16_t> All() {
    std::lock_guard<std::mutex> hold(mutex);
    std::vector<int16_t> all;
    for (const auto &b : buffers) {
      all.insert(all.end(), b.begin(), b.end());
    }
    return all;
  }
};

// The expected 16-bit output of a PatternSource played directly.
std::vector<int16_t> ExpectedPattern(int32_t frames, int channels) {
  std::vector<int32_t> wide(static_cast<size_t>(frames) * channels);
  for (int32_t f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) {
      wide[static_cast<size_t>(f) * channels + c] = PatternSource::Sample(f, c);
    }
  }
  std::vector<int16_t> narrow(wide.size());
  ConvertTo16(narrow.data(), wide.data(), static_cast<int>(wide.size()));
  return narrow;
}

class SoundPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("WENDREL_AUDIO", "null", 1);
    WaveOutFaults faults;
    faults.instantPacing = true;
    SetWaveOutFaults(faults);
    SetWaveOutSinkObserver(&SinkLog::Observe, &sink);
  }
  void TearDown() override {
    SetWaveOutSinkObserver(nullptr, nullptr);
    SetWaveOutFaults({});
  }

  void SetFaults(WaveOutFaults faults) {
    faults.instantPacing = true;
    SetWaveOutFaults(faults);
  }

  // Keeps the feeder's passes coming while the device completes nothing, so
  // that the stall rule (a count of passes) fires without waiting out its
  // 100 ms time-outs. Stops once the player has stopped.
  class PassDriver {
   public:
    explicit PassDriver(SoundPlayer &player)
        : waveEvent(SoundPlayerTestAccess::WaveEvent(player)), thread([this] {
            while (!done.load()) {
              SetEvent(waveEvent);
              std::this_thread::yield();
            }
          }) {}
    ~PassDriver() {
      done = true;
      thread.join();
    }

   private:
    HANDLE waveEvent;
    std::atomic<bool> done{false};
    std::thread thread;
  };

  SinkLog sink;
};

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

TEST_F(SoundPlayerTest, RefusedStartsLeaveThePlayerIdleAndCallNobody) {
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

TEST_F(SoundPlayerTest, OneFailedOpenIsRetriedMapped) {
  Watchdog watchdog;
  WaveOutFaults faults;
  faults.openFailures = 1;
  SetFaults(faults);
  SoundPlayer player;
  SourceRef source(new PatternSource(kBlock, 1, 0x7fff0));
  EXPECT_TRUE(player.Start(source, 0));
  player.Stop();
}

TEST_F(SoundPlayerTest, OnlySourcesLouderThanTheThresholdGoThroughTheLimiter) {
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

TEST_F(SoundPlayerTest, PlayedThroughTheLimiterEqualsTheLimiterRenderedAlone) {
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

TEST_F(SoundPlayerTest, StopReportsOnceAndOnlyWhenPlaying) {
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

TEST_F(SoundPlayerTest, StartWhilePlayingStopsFirst) {
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

TEST_F(SoundPlayerTest, PrebufferingHoldsTheDeviceUntil42BuffersAreQueued) {
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

TEST_F(SoundPlayerTest, StartedPausedReportsSoAndEndsByTheStallRule) {
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

TEST_F(SoundPlayerTest, BlockSizeFollowsTheRateWithinItsLimits) {
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
  const std::string path = std::string(WENDREL_BINARY_DIR) + "/player_test_sink.wav";
  setenv("WENDREL_AUDIO", ("wav:" + path).c_str(), 1);
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

// Many plays started and stopped in quick succession, some stopped at once and
// some while buffers are coming back: run under ThreadSanitizer and
// AddressSanitizer, this is what finds a race or a leak in the hand-over
// between the feeder, the device and the user-interface thread.
TEST_F(SoundPlayerTest, FiveHundredStartsAndStops) {
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
