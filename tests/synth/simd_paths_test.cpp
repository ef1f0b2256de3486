// Every kernel path this processor has, against the plain one: the reference
// vectors on each path, random records rendered through the limiter on each
// path and compared sample for sample, and the kernels alone on random input,
// where the edges (lengths short of a vector, extreme samples) are.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "reference_vectors.h"
#include "synth/gain_ramp.h"
#include "synth/limiter_factory.h"
#include "synth/peak_gain.h"
#include "synth/pink_filter.h"
#include "synth/random.h"
#include "synth/simd_path.h"
#include "synth/source_factory.h"

namespace {

// Renders on one path for the life of the object; then back to the best.
class ForcedPath {
 public:
  explicit ForcedPath(SimdPath path) { ForceSimdPath(path); }
  ~ForcedPath() { ForceSimdPath(std::nullopt); }
};

// The paths to hold against the plain one. On a processor with no other the
// comparisons have nothing to do, and the vectors still run on the plain path.
std::vector<SimdPath> FasterPaths() {
  std::vector<SimdPath> paths = AvailableSimdPaths();
  paths.erase(std::remove(paths.begin(), paths.end(), SimdPath::kPlain), paths.end());
  return paths;
}

TEST(SimdPathsTest, PlainIsAlwaysAvailableAndBestIsAmongThem) {
  const std::vector<SimdPath> paths = AvailableSimdPaths();
  ASSERT_FALSE(paths.empty());
  EXPECT_EQ(paths.front(), SimdPath::kPlain);
  EXPECT_EQ(std::count(paths.begin(), paths.end(), BestSimdPath()), 1);
  EXPECT_EQ(CurrentSimdPath(), BestSimdPath());
}

TEST(SimdPathsTest, EveryPathRendersTheReferenceVectors) {
  for (SimdPath path : AvailableSimdPaths()) {
    SCOPED_TRACE(SimdPathName(path));
    ForcedPath forced(path);
    for (const ReferenceVector &v : LoadVectors()) {
      SCOPED_TRACE(v.settings);
      EXPECT_EQ(SourceHash(v, 4410), v.sourceSha);
      // Odd blocks put the kernels' ends short of a whole vector.
      EXPECT_EQ(SourceHash(v, 333), v.sourceSha);
      EXPECT_EQ(OutputHash(v, 4410), v.outputSha);
      EXPECT_EQ(OutputHash(v, 777), v.outputSha);
    }
  }
}

// A record such as a damaged file or an unusual edit can hold: any waveform
// code, any tone count, any flags, frequencies in and far out of the audible
// range, every amplitude.
ToneSettings RandomRecord(std::mt19937 &rng) {
  ToneSettings s;
  s.waveform = static_cast<uint8_t>(std::uniform_int_distribution<int>(0, 7)(rng));
  s.toneCount = static_cast<uint8_t>(std::uniform_int_distribution<int>(0, 17)(rng));
  s.flags = static_cast<uint16_t>(std::uniform_int_distribution<int>(0, 0x1F)(rng));
  s.durationMs = static_cast<uint32_t>(std::uniform_int_distribution<int>(1, 600)(rng));
  std::uniform_real_distribution<double> audible(0.0, 22050.0);
  const auto frequency = [&] {
    switch (std::uniform_int_distribution<int>(0, 9)(rng)) {
      case 0:
        return 0.0;
      case 1:
        return -audible(rng);
      case 2:
        return 44100.0 + audible(rng) * 1000.0;
      default:
        return audible(rng);
    }
  };
  for (int i = 0; i < kMaxTones; ++i) {
    s.leftStartHz[i] = frequency();
    s.leftEndHz[i] = frequency();
    s.rightStartHz[i] = frequency();
    s.rightEndHz[i] = frequency();
    s.amplitudeDb[i] = static_cast<int8_t>(std::uniform_int_distribution<int>(-128, 127)(rng));
  }
  return s;
}

struct Rendered {
  std::vector<int32_t> source;
  std::vector<int32_t> played;
};

// The source's own samples and, from a second source built alike, what the
// limiter gives out, both in requests of the given lengths in turn.
Rendered RenderRecord(const ToneSettings &settings, uint32_t seed, int32_t frames,
                      const std::vector<int32_t> &requests) {
  Rendered out;
  const auto render = [&](SoundSource &s, std::vector<int32_t> &samples) {
    samples.assign(static_cast<size_t>(frames) * s.channels, 0);
    size_t r = 0;
    for (int32_t done = 0; done < frames; r = (r + 1) % requests.size()) {
      const int32_t n = std::min(requests[r], frames - done);
      s.Render(samples.data() + static_cast<size_t>(done) * s.channels, n);
      done += n;
    }
  };
  SetFixedRandomSeed(seed);
  SourceRef source = CreateSourceFromSettings(settings);
  render(*source, out.source);
  SourceRef again = CreateSourceFromSettings(settings);
  SetFixedRandomSeed(std::nullopt);
  SourceRef played;
  LimiterFactory(0x7fff0).Make(played, again);
  render(*played, out.played);
  return out;
}

// Where two renders first differ, or -1.
long FirstDifference(const std::vector<int32_t> &a, const std::vector<int32_t> &b) {
  if (a.size() != b.size()) {
    return static_cast<long>(std::min(a.size(), b.size()));
  }
  const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin());
  return mismatch.first == a.end() ? -1 : static_cast<long>(mismatch.first - a.begin());
}

TEST(SimdPathsTest, RandomRecordsRenderAlikeOnEveryPath) {
  std::mt19937 rng(18);
  for (int record = 0; record < 120; ++record) {
    const ToneSettings settings = RandomRecord(rng);
    const uint32_t seed = rng();
    const int32_t frames = std::uniform_int_distribution<int32_t>(1, 9000)(rng);
    std::vector<int32_t> requests;
    for (int i = 0; i < 5; ++i) {
      requests.push_back(std::uniform_int_distribution<int32_t>(1, 3000)(rng));
    }
    Rendered plain;
    {
      ForcedPath forced(SimdPath::kPlain);
      plain = RenderRecord(settings, seed, frames, requests);
    }
    for (SimdPath path : FasterPaths()) {
      SCOPED_TRACE(testing::Message() << "record " << record << " (waveform " << int(settings.waveform)
                                      << ", " << int(settings.toneCount) << " tones, flags "
                                      << settings.flags << ") on " << SimdPathName(path));
      ForcedPath forced(path);
      const Rendered fast = RenderRecord(settings, seed, frames, requests);
      EXPECT_EQ(FirstDifference(plain.source, fast.source), -1) << "source stage";
      EXPECT_EQ(FirstDifference(plain.played, fast.played), -1) << "through the limiter";
    }
  }
}

std::vector<int32_t> RandomSamples(std::mt19937 &rng, size_t count) {
  std::vector<int32_t> samples(count);
  for (int32_t &s : samples) {
    switch (std::uniform_int_distribution<int>(0, 7)(rng)) {
      case 0:
        s = std::numeric_limits<int32_t>::min();
        break;
      case 1:
        s = std::numeric_limits<int32_t>::max();
        break;
      default:
        s = static_cast<int32_t>(rng());
    }
  }
  return samples;
}

// Lengths from none to several vectors with every remainder, samples over the
// whole 32-bit range: the kernels' tails and lane arithmetic.
TEST(SimdPathsTest, LimiterKernelsAgreeOnAnySamples) {
  std::mt19937 rng(1804);
  for (SimdPath path : FasterPaths()) {
    for (int32_t frames = 0; frames <= 40; ++frames) {
      for (int32_t channels = 1; channels <= 3; ++channels) {
        SCOPED_TRACE(testing::Message() << SimdPathName(path) << ", " << frames << " frames of "
                                        << channels << " channels");
        const std::vector<int32_t> in = RandomSamples(rng, static_cast<size_t>(frames) * channels);
        EXPECT_EQ(BlockPeak(path, in.data(), frames, channels), BlockPeak(in.data(), frames, channels));

        const int32_t gain = std::uniform_int_distribution<int32_t>(0, UnityGain)(rng);
        const int32_t step = std::uniform_int_distribution<int32_t>(-20000, 20000)(rng);
        std::vector<int32_t> plain(in.size()), fast(in.size());
        const int32_t plainEnd = ApplyGainRampPlain(in.data(), plain.data(), frames, channels, gain, step);
        const int32_t fastEnd = ApplyGainRamp(path, in.data(), fast.data(), frames, channels, gain, step);
        EXPECT_EQ(fastEnd, plainEnd);
        EXPECT_EQ(FirstDifference(plain, fast), -1);
      }
    }
  }
}

TEST(SimdPathsTest, PinkFilterAgreesToTheBitFromAnyState) {
  std::mt19937 rng(33);
  std::uniform_real_distribution<double> white(-18350.08, 18350.08);
  for (SimdPath path : FasterPaths()) {
    for (int32_t count : {0, 1, 3, 4, 5, 63, 64, 65, 130, 1000}) {
      SCOPED_TRACE(testing::Message() << SimdPathName(path) << ", " << count << " samples");
      std::vector<double> input(static_cast<size_t>(count));
      for (double &w : input) {
        w = white(rng);
      }
      PinkFilterState plainState{white(rng) * 10, white(rng) * 10, white(rng) * 10, white(rng) * 10,
                                 white(rng),      white(rng),      white(rng) * 0.1};
      PinkFilterState fastState = plainState;
      std::vector<int32_t> plain(input.size()), fast(input.size());
      RunPinkFilterPlain(input.data(), plain.data(), count, plainState);
      RunPinkFilter(path, input.data(), fast.data(), count, fastState);
      EXPECT_EQ(FirstDifference(plain, fast), -1);
      // The state goes on into the next call, so it must agree to the bit too.
      EXPECT_EQ(std::memcmp(&plainState, &fastState, sizeof plainState), 0);
    }
  }
}

}  // namespace
