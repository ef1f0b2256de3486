#include "tools/render/wav_format.h"

#include <cstring>

namespace {

void Put16(uint8_t *at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t *at, uint32_t value) {
  Put16(at, value & 0xFFFF);
  Put16(at + 2, value >> 16);
}

}  // namespace

std::array<uint8_t, kWavHeaderSize> WavHeader(uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample,
                                              uint32_t dataBytes) {
  std::array<uint8_t, kWavHeaderSize> header{};
  uint8_t *h = header.data();
  uint32_t blockAlign = channels * (bitsPerSample / 8u);
  std::memcpy(h, "RIFF", 4);
  Put32(h + 4, kWavHeaderSize - 8 + dataBytes);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  Put32(h + 16, 16);
  Put16(h + 20, 1);  // WAVE_FORMAT_PCM
  Put16(h + 22, channels);
  Put32(h + 24, sampleRate);
  Put32(h + 28, sampleRate * blockAlign);
  Put16(h + 32, blockAlign);
  Put16(h + 34, bitsPerSample);
  std::memcpy(h + 36, "data", 4);
  Put32(h + 40, dataBytes);
  return header;
}
