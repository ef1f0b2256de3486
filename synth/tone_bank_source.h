// ToneBankSource: up to 16 simultaneous tones of one waveform (sine, square,
// triangular, saw tooth, impulse) on one or two channels at 44100 frames per
// second, constant or swept. Noise is not made here (see the noise sources).
#pragma once

#include <cstdint>
#include <memory>

#include "settings/tone_settings.h"
#include "synth/generator_source.h"
#include "synth/oscillator.h"

class ToneBankSource final : public GeneratorSource {
 public:
  // Copies what it needs from settings; later changes to the record do not
  // reach the source. A toneCount above 16 plays 16 tones; a waveform above 6
  // plays silence. If the wavetable cannot be allocated the source is invalid
  // and renders zeros.
  explicit ToneBankSource(const ToneSettings &settings);
  ~ToneBankSource() override;

  void Render(int32_t *buffer, int32_t frames) override;

  // For inspection: the wavetable (null if it could not be allocated) and the
  // oscillator of a tone on channel 0 (left or mono) or 1 (right).
  const int32_t *GetWavetable() const { return wavetable.get(); }
  const Oscillator &GetOscillator(int channel, int tone) const;

  // Frames between sweep updates: the increments move after frames 31, 63, ...
  static constexpr int32_t kSweepInterval = 32;

 private:
  void RenderSpan(int32_t *out, int frames);
  void UpdateSweep(int64_t frame);

  std::unique_ptr<int32_t[]> wavetable;
  Oscillator left[kMaxTones];
  Oscillator right[kMaxTones];
  // Frames until the next sweep update, 1 to 32 between calls; −1 without a
  // sweep.
  int32_t sweepCountdown = -1;
  bool logSweep = false;
  int32_t toneCount = 0;
  bool stereo = false;
};
