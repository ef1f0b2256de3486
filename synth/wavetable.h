// The tone bank's one-period wavetables: 32768 signed entries per waveform,
// read by the oscillators through the top 15 bits of their phase. Impulses and
// noise do not use a table.
#pragma once

#include <cstdint>

constexpr int kWavetableSize = 32768;

// Peak of the impulse tone, which is emitted without a table.
constexpr int32_t kImpulseValue = 185364;

// Fills table (kWavetableSize entries) with one period of waveform: sine,
// square, triangular or saw tooth. Every other code, impulse included, fills
// zeros.
void FillWavetable(int32_t *table, uint8_t waveform);
