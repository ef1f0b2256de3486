#include "synth/source_factory.h"

#include <new>

#include "synth/pink_noise_source.h"
#include "synth/tone_bank_source.h"
#include "synth/white_noise_source.h"

SourceRef CreateSourceFromSettings(const ToneSettings &settings) {
  const uint32_t durationMs = (settings.flags & kFlagDuration) ? settings.durationMs : 0;
  switch (settings.waveform) {
    case kWaveformWhiteNoise:
      return SourceRef(new (std::nothrow) WhiteNoiseSource(durationMs));
    case kWaveformPinkNoise:
      return SourceRef(new (std::nothrow) PinkNoiseSource(durationMs));
    default:
      return SourceRef(new (std::nothrow) ToneBankSource(settings));
  }
}
