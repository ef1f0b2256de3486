// PeakLimiter: wraps a source and scales it by a slowly moving gain so that no
// output sample exceeds a threshold, looking two blocks ahead. Where the source
// stays at or below the threshold its samples pass through unaltered. It is not
// a compressor: below the threshold it does nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "synth/filter_source.h"

class PeakLimiter final : public FilterSource {
 public:
  // Renders the first three blocks of source at once (Prime). The threshold in
  // force is threshold, or 0x3fffff when the source declares a larger peak; it
  // becomes this limiter's peakValue. If the block buffers cannot be allocated
  // the limiter is invalid and renders zeros without touching the source.
  PeakLimiter(const SourceRef &source, int32_t threshold);
  ~PeakLimiter() override;

  // Any number of frames; the wrapped source is only asked for whole blocks, so
  // the output does not depend on how requests are cut.
  void Render(int32_t *buffer, int32_t frames) override;
  // The wrapped source's position less the three blocks held ahead.
  int32_t GetPosition() override;
  // Forwards, then discards the held blocks and primes again.
  void Seek(int32_t frame) override;

  // sampleRate / 35, held within 20 to 8192: 1260 frames at 44100 Hz.
  static int32_t FramesPerBlock(int32_t sampleRate);
  static constexpr int32_t kMaxFramesPerBlock = 8192;
  // The wrapped source is this many blocks ahead of the output, less the frames
  // of the current block already given out.
  static constexpr int32_t kBlocksAhead = 3;

  int32_t GetFramesPerBlock() const { return framesPerBlock; }
  int32_t GetGain() const { return gain; }

 private:
  void Prime();
  void PlanRamp();
  int32_t RenderBlockGain(int32_t *block);

  int32_t framesPerBlock;
  int32_t readFrame = 0;
  std::unique_ptr<int32_t[]> currentBlock;
  std::unique_ptr<int32_t[]> nextBlock;
  std::unique_ptr<int32_t[]> afterNextBlock;
  int32_t previousBlockGain = 0;
  int32_t currentBlockGain = 0;
  int32_t nextBlockGain = 0;
  int32_t afterNextBlockGain = 0;
  int32_t gain = 0;
  int32_t gainStep = 0;
};
