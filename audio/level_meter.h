// The level meter: the power of each channel of a block of 32-bit samples in
// whole decibels relative to a signal whose RMS is 92682 (the full-level square
// wave). Integer accumulation, one logarithm per channel; no platform calls, so
// it may run on the feeder thread under the player's lock.
#pragma once

#include <cstdint>

// A count followed by that many levels, one per channel, in dB (−127..127;
// −127 also stands for silence).
struct ChannelLevels {
  uint8_t count = 0;
  int8_t levels[255] = {};
};

// Mean square over all channels × frames samples, each first shifted right by 5;
// 0 for an empty block.
uint32_t MeanSquare(const int32_t *samples, int32_t frames, uint8_t channels);

// Mean square of one channel of an interleaved block (channel is ignored when
// there is only one; 0 for a channel the block does not have).
uint32_t ChannelMeanSquare(uint8_t channel, const int32_t *samples, int32_t frames, uint8_t channels);

// The level of one channel, rounded half away from zero and clamped to
// −127..127; −127 for silence or an empty block.
int8_t LevelDb(uint8_t channel, const int32_t *samples, int32_t frames, uint8_t channels);

// The level of a mean square m as LevelDb computes it. Every m's logarithm is
// more than 8192 doubles away from a change of level, so the C library's
// last-bit differences in log10 cannot show (checked against MPFR).
int8_t LevelFromMeanSquare(uint32_t m);

// Copies the count, then that many levels.
void CopyLevels(ChannelLevels &destination, const ChannelLevels &source);
