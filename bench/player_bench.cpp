// The player's cost on the machine: CPU time per second of sound for 16 stereo
// sines (feeder and device threads together, null sink paced in real time),
// and the time from Start to the first buffer reaching the sink.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "audio/player_listener.h"
#include "audio/sound_player.h"
#include "platform/platform.h"
#include "platform/linux/wave_out/wave_out_faults.h"
#include "settings/tone_settings.h"
#include "synth/source_factory.h"

namespace {

using Clock = std::chrono::steady_clock;

ToneSettings SixteenStereoSines() {
  ToneSettings settings;
  settings.flags = kFlagStereo;  // continuous
  settings.waveform = kWaveformSine;
  settings.toneCount = 16;
  for (int i = 0; i < kMaxTones; ++i) {
    settings.leftStartHz[i] = 110.0 * (i + 1);
    settings.rightStartHz[i] = 165.0 * (i + 1);
    settings.leftEndHz[i] = settings.leftStartHz[i];
    settings.rightEndHz[i] = settings.rightStartHz[i];
  }
  return settings;
}

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Counts the buffers handed to the sink and notes when the first one came.
struct SinkClock {
  std::atomic<int> buffers{0};
  std::atomic<Clock::rep> firstAt{0};
  static void Observe(const void *, DWORD, void *context) {
    auto *self = static_cast<SinkClock *>(context);
    if (self->buffers.fetch_add(1) == 0) {
      self->firstAt = Clock::now().time_since_epoch().count();
    }
  }
};

class PositionCounter : public PlayerListener {
 public:
  void OnPosition(int32_t, int32_t) override { ++reports; }
  int reports = 0;
};

void PumpOne() {
  MSG msg;
  if (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    DispatchMessageW(&msg);
  }
}

// Steady state only: the first seven seconds of sound are rendered in one burst
// when the ring is filled, so the measurement starts once the ring is full and
// buffers are coming back, and covers whole buffers heard after that.
void BM_PlayerCpuPerSecondOfSound(benchmark::State &state) {
  setenv("WENDREL_AUDIO", "null", 1);
  SetWaveOutFaults({});
  SinkClock sink;
  SetWaveOutSinkObserver(&SinkClock::Observe, &sink);
  const int seconds = static_cast<int>(state.range(0));
  for (auto _ : state) {
    SoundPlayer player;
    PositionCounter positions;
    player.listener = &positions;
    if (!player.Start(CreateSourceFromSettings(SixteenStereoSines()), 0)) {
      state.SkipWithError("the null sink could not be opened");
      break;
    }
    while (sink.buffers.load() < 10) {
      PumpOne();
    }
    const int firstBuffer = sink.buffers.load();
    const double cpuBefore = ProcessCpuSeconds();
    const Clock::time_point wallBefore = Clock::now();
    while (sink.buffers.load() < firstBuffer + seconds * 10) {
      PumpOne();
    }
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    const double sound = (sink.buffers.load() - firstBuffer) / 10.0;
    player.Stop();
    state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / sound;
    state.counters["sound_seconds"] = sound;
    state.counters["wall_seconds"] = wall;
  }
  SetWaveOutSinkObserver(nullptr, nullptr);
}
BENCHMARK(BM_PlayerCpuPerSecondOfSound)->Arg(5)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// From the call to Start to the moment the device thread hands the first
// buffer to the sink: the limiter's first three blocks, opening the device,
// preparing 70 buffers, starting the feeder, rendering and converting one
// block, and the device thread waking for it.
void BM_PlayerStartToFirstBuffer(benchmark::State &state) {
  setenv("WENDREL_AUDIO", "null", 1);
  SetWaveOutFaults({});
  SinkClock sink;
  SetWaveOutSinkObserver(&SinkClock::Observe, &sink);
  std::vector<double> latencies;
  SoundPlayer player;
  for (auto _ : state) {
    SourceRef source = CreateSourceFromSettings(SixteenStereoSines());
    sink.buffers = 0;
    const Clock::time_point before = Clock::now();
    if (!player.Start(source, 0)) {
      state.SkipWithError("the null sink could not be opened");
      break;
    }
    while (sink.buffers.load() == 0) {
      PumpOne();
    }
    const Clock::time_point first{Clock::duration(sink.firstAt.load())};
    const double seconds = std::chrono::duration<double>(first - before).count();
    state.SetIterationTime(seconds);
    latencies.push_back(seconds * 1000.0);
    player.Stop();
  }
  SetWaveOutSinkObserver(nullptr, nullptr);
  if (!latencies.empty()) {
    std::sort(latencies.begin(), latencies.end());
    state.counters["median_ms"] = latencies[latencies.size() / 2];
    state.counters["max_ms"] = latencies.back();
  }
}
BENCHMARK(BM_PlayerStartToFirstBuffer)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
