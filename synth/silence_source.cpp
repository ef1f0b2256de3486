#include "synth/silence_source.h"

#include <algorithm>

SilenceSource::SilenceSource() : SoundSource(11025, 1, 0x200000) {
  MarkInvalid();
}

void SilenceSource::Render(int32_t *buffer, int32_t frames) {
  if (frames > 0) {
    std::fill_n(buffer, frames, 0);
  }
}

int32_t SilenceSource::GetPosition() {
  return 0;
}

int32_t SilenceSource::GetLength() {
  return 0;
}
