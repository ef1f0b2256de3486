#include "synth/gain_ramp.h"

#include "synth/fixed_mul24.h"
#include "synth/fixed_mul24_lanes.h"

int32_t ApplyGainRamp(SimdPath path, const int32_t *from, int32_t *to, int32_t frames,
                      int32_t channels, int32_t gain, int32_t step) {
  switch (path) {
    case SimdPath::kAvx2:
      return ApplyGainRampAvx2(from, to, frames, channels, gain, step);
    case SimdPath::kPlain:
      break;
  }
  return ApplyGainRampPlain(from, to, frames, channels, gain, step);
}

int32_t ApplyGainRampPlain(const int32_t *from, int32_t *to, int32_t frames, int32_t channels,
                           int32_t gain, int32_t step) {
  // The gain wraps like the 32-bit register it models; the limiter keeps it
  // within 0 to UnityGain, where nothing wraps.
  uint32_t g = static_cast<uint32_t>(gain);
  for (int32_t k = 0; k < frames; ++k) {
    for (int32_t c = 0; c < channels; ++c) {
      *to++ = FixedMul24(*from++, static_cast<int32_t>(g));
    }
    g += static_cast<uint32_t>(step);
  }
  return static_cast<int32_t>(g);
}

#if defined(__x86_64__) || defined(__i386__)

__attribute__((target("avx2"))) int32_t ApplyGainRampAvx2(const int32_t *from, int32_t *to,
                                                          int32_t frames, int32_t channels,
                                                          int32_t gain, int32_t step) {
  if (channels != 1 && channels != 2) {
    return ApplyGainRampPlain(from, to, frames, channels, gain, step);
  }
  const int32_t framesPerVector = 8 / channels;
  const int32_t vectorFrames = frames - frames % framesPerVector;
  // The frame of each lane within a vector: 0 to 7 in mono, 0 0 1 1 2 2 3 3 in
  // stereo.
  const __m256i laneFrame = channels == 1 ? _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)
                                          : _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3);
  const __m256i stepLanes = _mm256_set1_epi32(step);
  __m256i gains = _mm256_add_epi32(_mm256_set1_epi32(gain), _mm256_mullo_epi32(laneFrame, stepLanes));
  const __m256i vectorStep = _mm256_mullo_epi32(_mm256_set1_epi32(framesPerVector), stepLanes);
  const __m256i lowMask = _mm256_set1_epi32(0xFFF);
  for (int32_t k = 0; k < vectorFrames; k += framesPerVector) {
    const __m256i samples = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(from));
    const __m256i scaled =
        FixedMul24Lanes(samples, _mm256_and_si256(gains, lowMask), _mm256_srai_epi32(gains, 12));
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(to), scaled);
    from += 8;
    to += 8;
    gains = _mm256_add_epi32(gains, vectorStep);
  }
  const int32_t next = static_cast<int32_t>(static_cast<uint32_t>(gain) +
                                            static_cast<uint32_t>(step) * static_cast<uint32_t>(vectorFrames));
  return ApplyGainRampPlain(from, to, frames - vectorFrames, channels, next, step);
}

#else

int32_t ApplyGainRampAvx2(const int32_t *from, int32_t *to, int32_t frames, int32_t channels,
                          int32_t gain, int32_t step) {
  return ApplyGainRampPlain(from, to, frames, channels, gain, step);
}

#endif
