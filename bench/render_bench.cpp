// The cost of the output stage, the work the player's feeder thread does for
// every buffer: the source rendered through the peak limiter in blocks of 4410
// frames, then converted to 16-bit samples. Reports frames per second and the
// factor over real time (44100 frames per second) for each signal: as the
// program runs it (OutputStage/, the fastest kernels this processor has) and
// on the plain kernels every x86-64 processor runs (PlainPath/).
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "audio/sample_convert.h"
#include "settings/tone_settings.h"
#include "synth/limiter_factory.h"
#include "synth/random.h"
#include "synth/simd_path.h"
#include "synth/source_factory.h"

namespace {

constexpr int32_t kBlockFrames = 4410;

// 16 tones a quarter tone apart from 220 Hz, so no two share a phase.
ToneSettings Tones(uint8_t waveform, int count, uint16_t flags) {
  ToneSettings s;
  s.waveform = waveform;
  s.toneCount = static_cast<uint8_t>(count);
  s.flags = flags;
  s.durationMs = 60000;
  for (int i = 0; i < kMaxTones; ++i) {
    s.leftStartHz[i] = count == 1 ? 1000.0 : 220.0 * std::pow(2.0, i / 4.0);
    s.rightStartHz[i] = s.leftStartHz[i] * 1.5;
    s.leftEndHz[i] = s.leftStartHz[i] * 4.0;
    s.rightEndHz[i] = s.rightStartHz[i] / 4.0;
  }
  return s;
}

void OutputStage(benchmark::State &state, ToneSettings settings) {
  SetFixedRandomSeed(1);
  SourceRef source = CreateSourceFromSettings(settings);
  SetFixedRandomSeed(std::nullopt);
  SourceRef played;
  LimiterFactory(0x7fff0).Make(played, source);
  const int channels = played->channels;
  std::vector<int32_t> block(static_cast<size_t>(kBlockFrames) * channels);
  std::vector<int16_t> samples(block.size());
  for (auto _ : state) {
    played->Render(block.data(), kBlockFrames);
    ConvertTo16(samples.data(), block.data(), kBlockFrames * channels);
    benchmark::DoNotOptimize(samples.data());
    benchmark::ClobberMemory();
  }
  const double frames = static_cast<double>(state.iterations()) * kBlockFrames;
  state.SetItemsProcessed(static_cast<int64_t>(frames));
  state.counters["frames_per_second"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
  state.counters["realtime_factor"] =
      benchmark::Counter(frames / 44100.0, benchmark::Counter::kIsRate);
}

// The same on the plain kernels.
void PlainPath(benchmark::State &state, ToneSettings settings) {
  ForceSimdPath(SimdPath::kPlain);
  OutputStage(state, settings);
  ForceSimdPath(std::nullopt);
}

struct Signal {
  const char *name;
  ToneSettings settings;
};

const Signal kSignals[] = {
    {"sine_1_mono", Tones(kWaveformSine, 1, 0)},
    {"sine_16_mono", Tones(kWaveformSine, 16, 0)},
    {"sine_16_stereo", Tones(kWaveformSine, 16, kFlagStereo)},
    {"sine_16_stereo_log_sweep",
     Tones(kWaveformSine, 16, kFlagStereo | kFlagSweep | kFlagLogSweep | kFlagDuration)},
    {"square_1_mono", Tones(kWaveformSquare, 1, 0)},
    {"white_noise", Tones(kWaveformWhiteNoise, 1, 0)},
    {"pink_noise", Tones(kWaveformPinkNoise, 1, 0)},
};

void Register(const char *family, void (*run)(benchmark::State &, ToneSettings)) {
  for (const Signal &signal : kSignals) {
    std::string name = family;
    name += '/';
    name += signal.name;
    benchmark::RegisterBenchmark(name.c_str(), run, signal.settings);
  }
}

const bool kRegistered = [] {
  Register("OutputStage", OutputStage);
  Register("PlainPath", PlainPath);
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
