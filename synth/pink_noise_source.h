// PinkNoiseSource: mono pink noise, a table of 32768 random doubles drawn once
// at construction, walked in segments chosen from the table itself and shaped
// by a fixed pink filter in double precision. Rendering never calls the
// generator.
#pragma once

#include <cstdint>
#include <memory>

#include "synth/generator_source.h"
#include "synth/pink_filter.h"

class PinkNoiseSource final : public GeneratorSource {
 public:
  // durationMs 0 is continuous. Seeds the generator (RandomSeedFromClock) and
  // draws the table; if it cannot be allocated the source is invalid and
  // renders zeros.
  explicit PinkNoiseSource(uint32_t durationMs);
  ~PinkNoiseSource() override;

  void Render(int32_t *buffer, int32_t frames) override;

  static constexpr int kTableSize = 32768;

  // The table (null if it could not be allocated), for inspection.
  const double *GetNoiseTable() const { return noiseTable.get(); }

 private:
  std::unique_ptr<double[]> noiseTable;
  int32_t readIndex = 0;
  int32_t segmentEnd = kTableSize;
  int32_t segmentIndex = 0;
  PinkFilterState filter;
};
