#include "synth/sound_source.h"

SoundSource::SoundSource(int32_t sampleRate, uint8_t channels, int32_t peakValue)
    : sampleRate(sampleRate), peakValue(peakValue), channels(channels) {
  if (this->sampleRate <= 0) {
    MarkInvalid();
    this->sampleRate = 44100;
  }
  if (this->channels == 0) {
    MarkInvalid();
    this->channels = 1;
  }
}

SoundSource::~SoundSource() = default;

void SoundSource::Seek(int32_t) {}
