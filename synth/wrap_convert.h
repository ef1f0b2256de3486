// WrapToUint32: the one conversion from a double to a 32-bit phase quantity
// (phase increments, sweep offsets, noise segment starts). Not for sample values,
// which stay within range by construction.
#pragma once

#include <cmath>
#include <cstdint>

// x truncated toward zero and reduced modulo 2^32, as two's-complement low bits:
// −1.5 gives 0xFFFFFFFF and 2^32 + 3 gives 3. NaN and infinities give 0. Within
// ±2^63 this is exactly the conversion through a signed 64-bit integer; beyond,
// fmod is exact, so the result stays the mathematically reduced value instead of
// undefined behaviour.
inline uint32_t WrapToUint32(double x) {
  if (!(std::fabs(x) < 9223372036854775808.0)) {
    if (!std::isfinite(x)) {
      return 0;
    }
    x = std::fmod(x, 4294967296.0);
  }
  return static_cast<uint32_t>(static_cast<int64_t>(x));
}
