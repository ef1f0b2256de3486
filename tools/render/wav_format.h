// The header of a canonical RIFF/WAVE file of integer PCM samples: 44 bytes,
// then the little-endian samples. Only what wendrel-render writes.
#pragma once

#include <array>
#include <cstdint>

constexpr uint32_t kWavHeaderSize = 44;

// The largest data chunk whose RIFF size still fits in 32 bits.
constexpr uint64_t kWavMaxDataBytes = 0xFFFFFFFFull - (kWavHeaderSize - 8);

std::array<uint8_t, kWavHeaderSize> WavHeader(uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample,
                                              uint32_t dataBytes);
