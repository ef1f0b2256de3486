// WhiteNoiseSource: mono white noise from a table of 32768 random values drawn
// once at construction, walked in segments whose start and XOR mask come from
// the table itself. Rendering never calls the generator.
#pragma once

#include <cstdint>
#include <memory>

#include "synth/generator_source.h"

class WhiteNoiseSource final : public GeneratorSource {
 public:
  // durationMs 0 is continuous. Seeds the generator (RandomSeedFromClock) and
  // draws the table; if it cannot be allocated the source is invalid and
  // renders zeros.
  explicit WhiteNoiseSource(uint32_t durationMs);
  ~WhiteNoiseSource() override;

  void Render(int32_t *buffer, int32_t frames) override;

  static constexpr int kTableSize = 32768;

  // The table (null if it could not be allocated), for inspection.
  const int32_t *GetNoiseTable() const { return noiseTable.get(); }

 private:
  std::unique_ptr<int32_t[]> noiseTable;
  int32_t readIndex = 0;
  int32_t segmentIndex = 0;
  int32_t xorMask = 0;
};
