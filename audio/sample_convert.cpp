#include "audio/sample_convert.h"

void ConvertTo16(int16_t *out, const int32_t *in, int count) {
  for (int i = 0; i < count; ++i) {
    // Widened so that a stray sample near the int32 limit cannot overflow the
    // + 8; within the player's ±0x7fff0 the result is the same.
    int64_t shifted = (static_cast<int64_t>(in[i]) + 8) >> 4;
    out[i] = static_cast<int16_t>(static_cast<uint16_t>(shifted & 0xFFFF));
  }
}

int32_t FramesToTenThousandths(int32_t frames, int32_t sampleRate) {
  if (sampleRate <= 0) return 0;
  // Split so that (frames mod rate) × 10000 stays small; 64 bits only guard
  // rates and positions far beyond anything a source produces.
  int64_t whole = static_cast<int64_t>(frames / sampleRate) * 10000;
  int64_t part = static_cast<int64_t>(frames % sampleRate) * 10000 / sampleRate;
  int64_t result = whole + part;
  if (result > INT32_MAX) return INT32_MAX;
  if (result < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(result);
}
