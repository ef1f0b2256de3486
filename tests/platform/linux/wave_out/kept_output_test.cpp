#include "platform/linux/wave_out/kept_output.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "tests/support/watchdog.h"

namespace {

// Counts its own release, so a test sees whether a kept stream was closed.
struct Releases {
  std::mutex mutex;
  std::condition_variable changed;
  int count = 0;

  void WaitFor(int wanted) {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return count >= wanted; });
  }
  int Count() {
    std::lock_guard lock(mutex);
    return count;
  }
};

class CountingSink : public AudioSink {
 public:
  explicit CountingSink(Releases &releases) : releases(releases) {}
  bool Write(const int16_t *, uint32_t, const std::atomic<bool> &) override { return true; }
  bool PacedByClock() const override { return false; }
  bool Keepable() const override { return true; }
  bool Finish() override {
    std::lock_guard lock(releases.mutex);
    ++releases.count;
    releases.changed.notify_all();
    return true;
  }

 private:
  Releases &releases;
};

constexpr SinkFormat kStereo{2, 44100};

TEST(KeptOutput, TheNextOpenOfTheSameOutputAndFormatTakesTheStreamOver) {
  Releases releases;
  auto sink = std::make_unique<CountingSink>(releases);
  AudioSink *const kept = sink.get();
  KeepOutput("alsa:pipewire", kStereo, std::move(sink));
  std::unique_ptr<AudioSink> taken = TakeKeptOutput("alsa:pipewire", kStereo);
  EXPECT_EQ(taken.get(), kept);
  EXPECT_EQ(TakeKeptOutput("alsa:pipewire", kStereo), nullptr) << "taken twice";
  taken->Finish();
  EXPECT_EQ(releases.Count(), 1);
}

TEST(KeptOutput, AnOpenOfAnotherOutputOrFormatClosesTheKeptStreamFirst) {
  struct Row {
    const char *name;
    const char *choice;
    SinkFormat format;
  };
  const Row rows[] = {{"another output", "alsa:default", kStereo},
                      {"mono", "alsa:pipewire", {1, 44100}},
                      {"another rate", "alsa:pipewire", {2, 48000}}};
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    Releases releases;
    KeepOutput("alsa:pipewire", kStereo, std::make_unique<CountingSink>(releases));
    // A card opened directly takes one stream at a time, so the kept one is
    // closed before the caller opens its own.
    EXPECT_EQ(TakeKeptOutput(row.choice, row.format), nullptr);
    EXPECT_EQ(releases.Count(), 1);
    EXPECT_EQ(TakeKeptOutput("alsa:pipewire", kStereo), nullptr);
  }
}

TEST(KeptOutput, AStreamNobodyTakesIsClosedAndAnotherKeptReplacesIt) {
  Watchdog watchdog;
  Releases releases;
  KeepOutput("alsa:pipewire", kStereo, std::make_unique<CountingSink>(releases));
  KeepOutput("alsa:pipewire", kStereo, std::make_unique<CountingSink>(releases));
  EXPECT_EQ(releases.Count(), 1) << "the first kept stream was not closed when the second came";
  releases.WaitFor(2);
  EXPECT_EQ(TakeKeptOutput("alsa:pipewire", kStereo), nullptr);
}

}  // namespace
