// LimiterFactory: puts a PeakLimiter around a source only when the source's
// declared peak exceeds the threshold. The player builds one per playback.
#pragma once

#include <cstdint>

#include "synth/source_ref.h"

class LimiterFactory {
 public:
  explicit LimiterFactory(int32_t threshold) : threshold(threshold) {}
  virtual ~LimiterFactory();

  // result refers to a new PeakLimiter around source if source's peakValue is
  // above threshold, else to source itself; either way it holds one new
  // reference. If the limiter cannot be allocated, result holds silence.
  virtual void Make(SourceRef &result, const SourceRef &source);

  int32_t threshold;
};
