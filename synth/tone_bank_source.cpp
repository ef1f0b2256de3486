#include "synth/tone_bank_source.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "synth/correctly_rounded_exp.h"
#include "synth/duration_frames.h"
#include "synth/tone_sum.h"

namespace {

constexpr double kExpSweepDivisor = 1.718281828459045;  // e − 1

// Frames summed at a time into a stack buffer between the oscillator loops;
// small enough for the stack, large enough that the per-span work is noise.
constexpr int kSpanFrames = 256;

}  // namespace

ToneBankSource::ToneBankSource(const ToneSettings &settings)
    : GeneratorSource((settings.flags & kFlagStereo) ? 2 : 1,
                      (settings.flags & kFlagDuration) ? settings.durationMs : 0) {

  wavetable.reset(new (std::nothrow) int32_t[kWavetableSize]);
  if (!wavetable) {
    MarkInvalid();
  } else {
    FillWavetable(wavetable.get(), settings.waveform);
  }

  stereo = (settings.flags & kFlagStereo) != 0;
  toneCount = std::min<int32_t>(settings.toneCount, kMaxTones);
  const bool impulse = settings.waveform == kWaveformImpulse;
  const bool variable = (settings.flags & kFlagVariableAmplitude) != 0;
  for (int i = 0; i < toneCount; ++i) {
    const int8_t db = variable ? settings.amplitudeDb[i] : 0;
    left[i].Setup(settings.leftStartHz[i], settings.leftEndHz[i], db, impulse);
    if (stereo) {
      right[i].Setup(settings.rightStartHz[i], settings.rightEndHz[i], db, impulse);
    }
  }

  if ((settings.flags & kFlagSweep) && cursor.DurationFrames() > 0) {
    sweepCountdown = kSweepInterval;
    logSweep = (settings.flags & kFlagLogSweep) != 0;
  }
}

ToneBankSource::~ToneBankSource() = default;

const Oscillator &ToneBankSource::GetOscillator(int channel, int tone) const {
  return channel == 0 ? left[tone] : right[tone];
}

void ToneBankSource::Render(int32_t *buffer, int32_t frames) {
  if (frames <= 0) {
    return;
  }
  if (!wavetable) {
    std::fill_n(buffer, static_cast<size_t>(frames) * channels, 0);
  } else {
    int32_t done = 0;
    while (done < frames) {
      int32_t span = std::min<int32_t>(frames - done, kSpanFrames);
      if (sweepCountdown > 0) {
        span = std::min(span, sweepCountdown);
      }
      RenderSpan(buffer + static_cast<size_t>(done) * channels, span);
      done += span;
      if (sweepCountdown > 0) {
        sweepCountdown -= span;
        if (sweepCountdown == 0) {
          // The update follows the span's last frame and takes effect from the
          // next one.
          UpdateSweep(static_cast<int64_t>(cursor.Position()) + done - 1);
          sweepCountdown = kSweepInterval;
        }
      }
    }
  }
  cursor.Advance(frames);
}

void ToneBankSource::RenderSpan(int32_t *out, int frames) {
  uint32_t sums[kSpanFrames];
  const SimdPath path = CurrentSimdPath();
  SumTones(path, left, toneCount, sums, frames, wavetable.get());
  if (!stereo) {
    for (int k = 0; k < frames; ++k) {
      out[k] = static_cast<int32_t>(sums[k]);
    }
    return;
  }
  for (int k = 0; k < frames; ++k) {
    out[2 * k] = static_cast<int32_t>(sums[k]);
  }
  SumTones(path, right, toneCount, sums, frames, wavetable.get());
  for (int k = 0; k < frames; ++k) {
    out[2 * k + 1] = static_cast<int32_t>(sums[k]);
  }
}

void ToneBankSource::UpdateSweep(int64_t frame) {
  double t = static_cast<double>(frame) / cursor.DurationFrames();
  if (logSweep) {
    t = (CorrectlyRoundedExp(t) - 1.0) / kExpSweepDivisor;
  }
  for (int j = 0; j < toneCount; ++j) {
    left[j].SetSweepPosition(t);
  }
  if (stereo) {
    for (int j = 0; j < toneCount; ++j) {
      right[j].SetSweepPosition(t);
    }
  }
}
