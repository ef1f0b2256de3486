#include "synth/wavetable.h"

#include <algorithm>
#include <cmath>

#include "settings/tone_settings.h"

namespace {

// The binary64 constants the tables are defined by; the levels follow from them
// (sine ±131070, square ±92682, triangle and saw tooth up to 165794).
constexpr double kSineStep = 0.00019174759848570515;  // 2π / 32768
constexpr double kSineAmplitude = 131070.8844;
constexpr int32_t kSquareLevel = 92682;
constexpr double kTriangleSlope = 20.238549279785158;
constexpr double kSawSlope = 10.119274639892579;

}  // namespace

void FillWavetable(int32_t *table, uint8_t waveform) {
  constexpr int half = kWavetableSize / 2;
  constexpr int quarter = kWavetableSize / 4;
  switch (waveform) {
    case kWaveformSine:
      // The C library's sine may differ in the last bits between platforms, but
      // every entry's truncation is at least 2^18 doubles away from changing,
      // so all of them give the same table (checked against MPFR).
      for (int i = 0; i < kWavetableSize; ++i) {
        table[i] = static_cast<int32_t>(std::sin(i * kSineStep) * kSineAmplitude);
      }
      break;
    case kWaveformSquare:
      std::fill_n(table, half, kSquareLevel);
      std::fill_n(table + half, half, -kSquareLevel);
      break;
    case kWaveformTriangular:
      for (int i = 0; i < quarter; ++i) {
        table[i] = static_cast<int32_t>(i * kTriangleSlope);
      }
      for (int i = quarter; i < half; ++i) {
        table[i] = static_cast<int32_t>((half - i) * kTriangleSlope);
      }
      for (int i = half; i < kWavetableSize; ++i) {
        table[i] = -table[i - half];
      }
      break;
    case kWaveformSawTooth:
      for (int i = 0; i <= half; ++i) {
        table[i] = static_cast<int32_t>(i * kSawSlope);
      }
      for (int i = half + 1; i < kWavetableSize; ++i) {
        table[i] = -table[kWavetableSize - i];
      }
      break;
    default:
      std::fill_n(table, kWavetableSize, 0);
      break;
  }
}
