// Settings bytes, read over the defaults as the settings file is (a short file
// replaces only its leading bytes): every row of the parameter list, one step
// each way of every row, and what the player would send to the device, asked
// for in pieces whose sizes the bytes after the record choose.
//
// One source per input, and a short render (the limiter's three blocks ahead
// and two turns of its blocks): what can go wrong in a render shows within the
// first blocks (the sweep updates every 32 frames, the limiter turns its
// blocks every 1260), and a longer one only repeats it at the cost of inputs
// per second.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "settings/tone_settings.h"
#include "synth/peak_gain.h"
#include "synth/random.h"
#include "synth/source_factory.h"
#include "tools/render/render_pipeline.h"

namespace {

constexpr int32_t kPlayedFrames = 2 * 1260 + 100;

// The sizes of the requests: one per byte after the record, from 1 frame to a
// whole player buffer (small sizes dense, so that single frames and the edges
// of limiter blocks come up), or else the player's whole buffers.
std::vector<int32_t> RequestSizes(const uint8_t *data, size_t size) {
  std::vector<int32_t> requests;
  for (size_t i = sizeof(ToneSettings); i < size; ++i) requests.push_back(int32_t(data[i]) * data[i] / 14 + 1);
  if (requests.empty()) requests = {4410};
  return requests;
}

// The player's road for the first few buffers: the source through the limiter
// in requests of the input's sizes, none past the duration's end, samples the
// 16-bit conversion takes without wrapping, and the source's own samples
// written nowhere but where they were asked for.
void CheckPlayed(const ToneSettings &settings, const std::vector<int32_t> &requests) {
  RenderPipeline pipeline(settings);
  const uint8_t channels = pipeline.Channels();
  FUZZ_CHECK(channels == 1 || channels == 2);
  FUZZ_CHECK(pipeline.SampleRate() > 0);
  FUZZ_CHECK(pipeline.BlockFrames() >= 1 && pipeline.BlockFrames() <= 8192);
  FUZZ_CHECK(pipeline.DefaultFrames() > 0);
  const int32_t frames = static_cast<int32_t>(std::min<int64_t>(pipeline.DefaultFrames(), kPlayedFrames));
  int32_t done = 0;
  for (size_t i = 0; done < frames; i = (i + 1) % requests.size()) {
    const int32_t want = std::min({requests[i], pipeline.BlockFrames(), frames - done});
    RenderedBlock block = pipeline.RenderBlock(want);
    FUZZ_CHECK(block.frames == want);
    FUZZ_CHECK(block.channels == channels);
    // The limiter holds every sample at its threshold, 0x7fff0, give or take the
    // truncation of its multiply; (x + 8) >> 4 stays a 16-bit sample up to
    // 0x7fff7. (BlockPeak, as the signal path's own code, costs no traced
    // comparison per sample.)
    if (pipeline.IsPlayable()) FUZZ_CHECK(BlockPeak(block.played, block.frames, channels) <= 0x7fff7);
    done += block.frames;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // Noise is drawn when a source is built: a fixed seed makes a crash found
  // here reproduce from its input alone, and makes two sources alike.
  SetFixedRandomSeed(1);
  ToneSettings settings;
  std::memcpy(static_cast<void *>(&settings), data, std::min(size, sizeof(settings)));

  ExerciseRows(settings);
  CheckPlayed(settings, RequestSizes(data, size));
  return 0;
}
