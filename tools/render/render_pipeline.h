// The renderer's core: what the player would queue for a settings record, block
// by block, without a device. The source comes from the factory, goes through
// the same limiter the player puts around it and is converted by the same
// ConvertTo16, so the 16-bit samples equal the player's. Knows nothing about
// files or the command line.
#pragma once

#include <cstdint>
#include <vector>

#include "settings/tone_settings.h"
#include "synth/source_ref.h"

// The player's threshold: the 16-bit range of the output is ±0x7fff0.
constexpr int32_t kOutputThreshold = 0x7fff0;

// One block as the player would handle it, valid until the next RenderBlock.
struct RenderedBlock {
  int32_t frames = 0;
  uint8_t channels = 1;
  const int32_t *source = nullptr;  // the source's own samples, before the limiter
  const int32_t *played = nullptr;  // what the player converts: the limiter's output
  const int16_t *output = nullptr;  // the 16-bit samples the device would get
};

class RenderPipeline {
 public:
  // Builds the source as Play does: noise is drawn now, with the seed that
  // SetFixedRandomSeed (synth/random.h) set, or the clock.
  explicit RenderPipeline(const ToneSettings &settings);
  RenderPipeline(const RenderPipeline &) = delete;
  RenderPipeline &operator=(const RenderPipeline &) = delete;

  // False for a source the player would refuse to start.
  bool IsPlayable() const { return playable; }
  uint8_t Channels() const { return channels; }
  int32_t SampleRate() const { return sampleRate; }
  // The player's buffer size: a tenth of a second, 20 to 8192 frames.
  int32_t BlockFrames() const { return blockFrames; }
  // What the player would play before the source is exhausted: the specified
  // duration, or 60 seconds for a continuous sound.
  int64_t DefaultFrames() const { return defaultFrames; }

  // Renders the next min(frames, BlockFrames()) frames. A source does not stop
  // by itself, so asking beyond DefaultFrames() goes on rendering.
  RenderedBlock RenderBlock(int32_t frames);

 private:
  class Tap;

  SourceRef played;
  Tap *tap = nullptr;  // owned through played's chain
  bool playable = false;
  uint8_t channels = 1;
  int32_t sampleRate = 0;
  int32_t blockFrames = 0;
  int64_t defaultFrames = 0;
  std::vector<int32_t> sourceBlock;
  std::vector<int32_t> playedBlock;
  std::vector<int16_t> outputBlock;
};

// The player's block size for a rate: rate / 10, within 20..8192.
int32_t PlayerBlockFrames(int32_t sampleRate);
