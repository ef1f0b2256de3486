// The arithmetic between the sources' 32-bit frames and what the output device
// and the listener see: 16-bit samples and positions in ten-thousandths of a
// second. Used by the player and the renderer alike, so both give the same
// bytes. No platform calls.
#pragma once

#include <cstdint>

// Each output sample is (in + 8) >> 4 (arithmetic), keeping its low 16 bits,
// without clamping: ±0x7fff0 become ±32767. Through the kernel of
// CurrentSimdPath(); the plain one is the reference and both give the same
// bits.
void ConvertTo16(int16_t *out, const int32_t *in, int count);
void ConvertTo16Plain(int16_t *out, const int32_t *in, int count);
// Eight samples at a time; the last ones short of eight through the plain loop.
void ConvertTo16Avx2(int16_t *out, const int32_t *in, int count);

// (frames div rate) × 10000 + ((frames mod rate) × 10000) div rate, truncating;
// 0 when rate ≤ 0. 44100 frames at 44100 Hz give 10000.
int32_t FramesToTenThousandths(int32_t frames, int32_t sampleRate);
