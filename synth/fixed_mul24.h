// FixedMul24: applies an 8.24 fixed-point gain to a sample the way the tone bank
// and the limiter both do, so that their output agrees to the bit. Not a general
// rounding multiply: it truncates, and drops the low-by-low partial product.
#pragma once

#include <cstdint>

// 1.0 in 8.24 fixed point.
constexpr int32_t UnityGain = 0x1000000;

// (a × gain824) >> 24 in 12-bit pieces with 32-bit products only. The products
// wrap through unsigned arithmetic: for every input whose signed products fit,
// which is every input the system produces, the result is the same, and for the
// rest it is still defined.
constexpr int32_t FixedMul24(int32_t a, int32_t gain824) {
  const uint32_t aLow = static_cast<uint32_t>(a & 0xFFF);
  const uint32_t aHigh = static_cast<uint32_t>(a >> 12);
  const uint32_t bLow = static_cast<uint32_t>(gain824 & 0xFFF);
  const uint32_t bHigh = static_cast<uint32_t>(gain824 >> 12);
  const int32_t lowByHigh = static_cast<int32_t>(aLow * bHigh) >> 12;
  const int32_t highByLow = static_cast<int32_t>(aHigh * bLow) >> 12;
  return static_cast<int32_t>(static_cast<uint32_t>(lowByHigh) + static_cast<uint32_t>(highByLow) +
                              aHigh * bHigh);
}
