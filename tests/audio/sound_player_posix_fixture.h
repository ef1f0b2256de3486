// The player's tests on the Linux waveform output: a fixture on the null
// sink with instant pacing and an observer that logs each buffer the sink
// receives, the expected samples of a pattern, and access to the player's
// insides that only a test needs.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/sample_convert.h"
#include "audio/sound_player.h"
#include "platform/linux/wave_out/wave_out_faults.h"
#include "tests/audio/instant_null_output.h"
#include "tests/audio/player_test_support.h"

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

// In the unnamed namespace like PatternSource, which the log refers to.
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
  void SetUp() override { UseInstantNullOutput(&SinkLog::Observe, &sink); }
  void TearDown() override { ReleaseInstantNullOutput(); }

  void SetFaults(WaveOutFaults faults) { SetInstantFaults(faults); }

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

}  // namespace
