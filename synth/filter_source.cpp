#include "synth/filter_source.h"

FilterSource::FilterSource(const SourceRef &source)
    : SoundSource(source->sampleRate, source->channels, source->peakValue), inner(source) {
  if (inner->IsInvalid()) {
    MarkInvalid();
  }
}

int32_t FilterSource::GetPosition() {
  return inner->GetPosition();
}

int32_t FilterSource::GetLength() {
  return inner->GetLength();
}

void FilterSource::Seek(int32_t frame) {
  inner->Seek(frame);
}
