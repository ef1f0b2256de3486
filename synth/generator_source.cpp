#include "synth/generator_source.h"

GeneratorSource::GeneratorSource(uint8_t channels, uint32_t durationMs)
    : SoundSource(kSampleRate, channels, kPeakValue), cursor(durationMs) {}

int32_t GeneratorSource::GetPosition() {
  return cursor.Position();
}

int32_t GeneratorSource::GetLength() {
  return cursor.Length(sampleRate);
}

void GeneratorSource::Seek(int32_t frame) {
  cursor.Seek(frame);
}
