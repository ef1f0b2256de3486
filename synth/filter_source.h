// FilterSource: the base of sources that wrap another source and reshape its
// output. It forwards position, length and Seek to the wrapped source; Render is
// the subclass's.
#pragma once

#include "synth/sound_source.h"
#include "synth/source_ref.h"

class FilterSource : public SoundSource {
 public:
  // Takes the inner source's rate, channels and peak, holds one reference to it,
  // and is invalid when the inner source is.
  explicit FilterSource(const SourceRef &source);

  int32_t GetPosition() override;
  int32_t GetLength() override;
  void Seek(int32_t frame) override;

 protected:
  SourceRef inner;
};
