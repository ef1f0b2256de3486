#include "synth/limiter_factory.h"

#include <new>

#include "synth/peak_limiter.h"

LimiterFactory::~LimiterFactory() = default;

void LimiterFactory::Make(SourceRef &result, const SourceRef &source) {
  if (source->peakValue > threshold) {
    result.Assign(SourceRef(new (std::nothrow) PeakLimiter(source, threshold)));
  } else {
    result.Assign(source);
  }
}
