// SilenceSource: the placeholder a SourceRef holds when it refers to nothing
// playable. It renders zeros, has no length, and is always invalid, so that the
// player never starts it.
#pragma once

#include "synth/sound_source.h"

class SilenceSource final : public SoundSource {
 public:
  SilenceSource();

  void Render(int32_t *buffer, int32_t frames) override;
  int32_t GetPosition() override;
  int32_t GetLength() override;
};
