#include "tools/render/render_pipeline.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "audio/sample_convert.h"
#include "synth/filter_source.h"
#include "synth/limiter_factory.h"
#include "synth/source_factory.h"

// Sits between the source and the limiter and keeps a copy of every frame the
// limiter pulls, so that the source's own samples come from the very render
// that is played instead of from a second source that might differ.
class RenderPipeline::Tap final : public FilterSource {
 public:
  explicit Tap(const SourceRef &source) : FilterSource(source) {}

  void Render(int32_t *buffer, int32_t frames) override {
    inner->Render(buffer, frames);
    if (frames > 0) kept.insert(kept.end(), buffer, buffer + static_cast<size_t>(frames) * channels);
  }

  // Moves the oldest frames kept into out; the limiter has always pulled at
  // least as many frames as it gave out.
  void Take(int32_t *out, int32_t frames) {
    size_t count = static_cast<size_t>(frames) * channels;
    assert(count <= kept.size());
    std::copy_n(kept.begin(), count, out);
    kept.erase(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(count));
  }

 private:
  std::vector<int32_t> kept;
};

int32_t PlayerBlockFrames(int32_t sampleRate) { return std::clamp(sampleRate / 10, 20, 8192); }

RenderPipeline::RenderPipeline(const ToneSettings &settings) {
  SourceRef source = CreateSourceFromSettings(settings);
  defaultFrames = static_cast<int64_t>(source->GetLength()) - source->GetPosition();
  auto *newTap = new Tap(source);
  SourceRef tapped(newTap);
  tap = newTap;
  LimiterFactory factory(kOutputThreshold);
  factory.Make(played, tapped);
  playable = !source->IsInvalid() && !played->IsInvalid();
  channels = played->channels;
  sampleRate = played->sampleRate;
  blockFrames = PlayerBlockFrames(sampleRate);
  size_t samples = static_cast<size_t>(blockFrames) * channels;
  sourceBlock.resize(samples);
  playedBlock.resize(samples);
  outputBlock.resize(samples);
}

RenderedBlock RenderPipeline::RenderBlock(int32_t frames) {
  RenderedBlock block;
  block.frames = std::clamp(frames, 0, blockFrames);
  block.channels = channels;
  played->Render(playedBlock.data(), block.frames);
  tap->Take(sourceBlock.data(), block.frames);
  ConvertTo16(outputBlock.data(), playedBlock.data(), block.frames * channels);
  block.source = sourceBlock.data();
  block.played = playedBlock.data();
  block.output = outputBlock.data();
  return block;
}
