#include "synth/peak_limiter.h"

#include <algorithm>
#include <new>

#include "synth/duration_frames.h"
#include "synth/fixed_mul24.h"
#include "synth/gain_ramp.h"
#include "synth/peak_gain.h"

namespace {

// The largest threshold for which threshold << 9 still fits 32 bits.
constexpr int32_t kMaxThreshold = 0x3fffff;

// A source of the longest duration has to reach its length plus the look-ahead
// for the limiter's position to reach the length; kMaxDurationMs is the longest
// that leaves room for it.
constexpr int64_t kMostFramesAhead = int64_t(PeakLimiter::kBlocksAhead) * PeakLimiter::kMaxFramesPerBlock;
static_assert(FramesOfDuration(kMaxDurationMs) + kMostFramesAhead <= INT32_MAX);
static_assert(FramesOfDuration(kMaxDurationMs + 1) + kMostFramesAhead > INT32_MAX);

}  // namespace

int32_t PeakLimiter::FramesPerBlock(int32_t sampleRate) {
  return std::clamp<int32_t>(sampleRate / 35, 20, kMaxFramesPerBlock);
}

PeakLimiter::PeakLimiter(const SourceRef &source, int32_t threshold)
    : FilterSource(source), framesPerBlock(FramesPerBlock(sampleRate)) {
  // The test is on the wrapped source's declared peak, not on the threshold.
  peakValue = inner->peakValue > kMaxThreshold ? kMaxThreshold : threshold;

  const size_t blockSamples = static_cast<size_t>(framesPerBlock) * channels;
  currentBlock.reset(new (std::nothrow) int32_t[blockSamples]);
  nextBlock.reset(new (std::nothrow) int32_t[blockSamples]);
  afterNextBlock.reset(new (std::nothrow) int32_t[blockSamples]);
  if (!currentBlock || !nextBlock || !afterNextBlock) {
    // All or none: Render and Seek test currentBlock alone.
    currentBlock.reset();
    nextBlock.reset();
    afterNextBlock.reset();
    MarkInvalid();
    return;
  }
  Prime();
}

PeakLimiter::~PeakLimiter() {
  afterNextBlock.reset();
  nextBlock.reset();
  currentBlock.reset();
}

int32_t PeakLimiter::RenderBlockGain(int32_t *block) {
  inner->Render(block, framesPerBlock);
  return GainForPeak(BlockPeak(CurrentSimdPath(), block, framesPerBlock * channels, 1), peakValue);
}

void PeakLimiter::Prime() {
  currentBlockGain = RenderBlockGain(currentBlock.get());
  previousBlockGain = currentBlockGain;
  nextBlockGain = RenderBlockGain(nextBlock.get());
  afterNextBlockGain = RenderBlockGain(afterNextBlock.get());
  gain = currentBlockGain;
  PlanRamp();
  readFrame = 0;
}

void PeakLimiter::PlanRamp() {
  // Gains lie within 0 to UnityGain, so none of these sums leaves 32 bits.
  const int32_t lowest = std::min(currentBlockGain, nextBlockGain) - gain;
  const int32_t mean =
      ((afterNextBlockGain + previousBlockGain + nextBlockGain + currentBlockGain) >> 2) - gain;
  const int32_t d = std::min(mean, lowest);
  // With the remainder applied up front, the ramp lands exactly on gain + d
  // after one block.
  gainStep = d / framesPerBlock;
  gain += d % framesPerBlock;
}

void PeakLimiter::Render(int32_t *buffer, int32_t frames) {
  if (frames <= 0) {
    return;
  }
  if (!currentBlock) {
    std::fill_n(buffer, static_cast<size_t>(frames) * channels, 0);
    return;
  }
  const int32_t channelCount = channels;
  const SimdPath path = CurrentSimdPath();
  int32_t done = 0;
  while (done < frames) {
    const int32_t end = std::min(frames, done + framesPerBlock - readFrame);
    const int32_t count = end - done;
    const int32_t *from = currentBlock.get() + static_cast<size_t>(readFrame) * channelCount;
    int32_t *to = buffer + static_cast<size_t>(done) * channelCount;
    if (gain >= UnityGain && gainStep == 0) {
      std::copy_n(from, static_cast<size_t>(count) * channelCount, to);
      readFrame += count;
    } else {
      gain = ApplyGainRamp(path, from, to, count, channelCount, gain, gainStep);
      readFrame += count;
    }
    done = end;

    if (readFrame >= framesPerBlock) {
      currentBlock.swap(nextBlock);    // the old next block is now current
      nextBlock.swap(afterNextBlock);  // the old block after that is next
                                       // and the old current is refilled
      previousBlockGain = currentBlockGain;
      currentBlockGain = nextBlockGain;
      nextBlockGain = afterNextBlockGain;
      afterNextBlockGain = RenderBlockGain(afterNextBlock.get());
      PlanRamp();
      readFrame = 0;
    }
  }
}

int32_t PeakLimiter::GetPosition() {
  const int64_t position = static_cast<int64_t>(inner->GetPosition()) -
                           int64_t(kBlocksAhead) * framesPerBlock + readFrame;
  return static_cast<int32_t>(std::clamp<int64_t>(position, INT32_MIN, INT32_MAX));
}

void PeakLimiter::Seek(int32_t frame) {
  inner->Seek(frame);
  if (currentBlock) {
    Prime();
  }
}
