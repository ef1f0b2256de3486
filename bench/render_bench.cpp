// The cost of the output stage, the work the player's feeder thread does for
// every buffer: the source rendered through the peak limiter in blocks of 4410
// frames, then converted to 16-bit samples. Reports frames per second and the
// factor over real time (44100 frames per second) for each signal.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "audio/sample_convert.h"
#include "settings/tone_settings.h"
#include "synth/limiter_factory.h"
#include "synth/random.h"
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

}  // namespace

BENCHMARK_CAPTURE(OutputStage, sine_1_mono, Tones(kWaveformSine, 1, 0));
BENCHMARK_CAPTURE(OutputStage, sine_16_mono, Tones(kWaveformSine, 16, 0));
BENCHMARK_CAPTURE(OutputStage, sine_16_stereo, Tones(kWaveformSine, 16, kFlagStereo));
BENCHMARK_CAPTURE(OutputStage, sine_16_stereo_log_sweep,
                  Tones(kWaveformSine, 16,
                        kFlagStereo | kFlagSweep | kFlagLogSweep | kFlagDuration));
BENCHMARK_CAPTURE(OutputStage, square_1_mono, Tones(kWaveformSquare, 1, 0));
BENCHMARK_CAPTURE(OutputStage, white_noise, Tones(kWaveformWhiteNoise, 1, 0));
BENCHMARK_CAPTURE(OutputStage, pink_noise, Tones(kWaveformPinkNoise, 1, 0));

BENCHMARK_MAIN();
