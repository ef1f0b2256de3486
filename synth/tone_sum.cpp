#include "synth/tone_sum.h"

#include <algorithm>
#include <cstring>

#include "synth/fixed_mul24_lanes.h"

void SumTones(SimdPath path, Oscillator *oscillators, int toneCount, uint32_t *sums, int frames,
              const int32_t *wavetable) {
  switch (path) {
    case SimdPath::kAvx2:
      SumTonesAvx2(oscillators, toneCount, sums, frames, wavetable);
      return;
    case SimdPath::kPlain:
      break;
  }
  SumTonesPlain(oscillators, toneCount, sums, frames, wavetable);
}

void SumTonesPlain(Oscillator *oscillators, int toneCount, uint32_t *sums, int frames,
                   const int32_t *wavetable) {
  std::memset(sums, 0, sizeof(uint32_t) * static_cast<size_t>(frames));
  for (int j = 0; j < toneCount; ++j) {
    oscillators[j].Accumulate(sums, frames, wavetable);
  }
}

#if defined(__x86_64__) || defined(__i386__)

namespace {

// Eight tones, one per lane: their phases, increments and gains, and which
// lanes sound (a tone of the bank with a gain above 0).
struct Lanes {
  __m256i phase;
  __m256i increment;
  __m256i gainLow;
  __m256i gainHigh;
  __m256i sounding;
};

// The fields of up to eight oscillators gathered straight into lanes (stored
// one by one and loaded as a vector, they would wait for every store first).
__attribute__((target("avx2"))) Lanes LoadLanes(const Oscillator *oscillators, int count) {
  static_assert(sizeof(Oscillator) % sizeof(int32_t) == 0);
  constexpr int32_t kStride = sizeof(Oscillator) / sizeof(int32_t);
  const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i inBank = _mm256_cmpgt_epi32(_mm256_set1_epi32(count), lane);
  const __m256i offsets = _mm256_mullo_epi32(lane, _mm256_set1_epi32(kStride));
  const auto field = [&](const void *first) __attribute__((target("avx2"))) {
    return _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), static_cast<const int *>(first),
                                       offsets, inBank, 4);
  };
  Lanes lanes;
  lanes.phase = field(&oscillators->phase);
  lanes.increment = field(&oscillators->increment);
  const __m256i gain = field(&oscillators->gain);
  lanes.gainLow = _mm256_and_si256(gain, _mm256_set1_epi32(0xFFF));
  lanes.gainHigh = _mm256_srai_epi32(gain, 12);
  // Lanes past the bank hold a gain of 0 as well.
  lanes.sounding = _mm256_xor_si256(_mm256_cmpeq_epi32(gain, _mm256_setzero_si256()),
                                    _mm256_set1_epi32(-1));
  return lanes;
}

__attribute__((target("avx2"))) void StorePhases(Oscillator *oscillators, int count, __m256i phases) {
  alignas(32) uint32_t phase[8];
  _mm256_store_si256(reinterpret_cast<__m256i *>(phase), phases);
  for (int j = 0; j < count; ++j) {
    oscillators[j].phase = phase[j];
  }
}

// One step of eight tones: the new phases' table entries, 0 in the lanes that
// do not sound (their loads are skipped), through the gains unless all are
// unity, where FixedMul24 would give the entries unchanged.
template <bool kUnity>
__attribute__((target("avx2"))) inline __m256i StepLanes(Lanes &lanes, const int32_t *whole) {
  lanes.phase = _mm256_add_epi32(lanes.phase, lanes.increment);
  const __m256i entries = _mm256_mask_i32gather_epi32(
      _mm256_setzero_si256(), whole, _mm256_srli_epi32(lanes.phase, 17), lanes.sounding, 4);
  return kUnity ? entries : FixedMul24Lanes(entries, lanes.gainLow, lanes.gainHigh);
}

__attribute__((target("avx2"))) inline uint32_t SumOfLanes(__m256i v) {
  __m128i sum = _mm_add_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0x4E));
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0xB1));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(sum));
}

// The lane sums of eight registers, v[f] giving lane f of the result: two
// rounds of pairwise additions, then the two halves added.
__attribute__((target("avx2"))) inline __m256i SumsOfEight(const __m256i *v) {
  const __m256i a0 = _mm256_hadd_epi32(v[0], v[1]);
  const __m256i a1 = _mm256_hadd_epi32(v[2], v[3]);
  const __m256i a2 = _mm256_hadd_epi32(v[4], v[5]);
  const __m256i a3 = _mm256_hadd_epi32(v[6], v[7]);
  // Each 128-bit half now holds, per register, the sum of that half's lanes.
  const __m256i b0 = _mm256_hadd_epi32(a0, a1);
  const __m256i b1 = _mm256_hadd_epi32(a2, a3);
  return _mm256_add_epi32(_mm256_permute2x128_si256(b0, b1, 0x20),
                          _mm256_permute2x128_si256(b0, b1, 0x31));
}

template <bool kSixteen, bool kUnity>
__attribute__((target("avx2"))) void SumLanes(Lanes &low, Lanes &high, uint32_t *sums, int frames,
                                              const int32_t *whole) {
  const auto step = [&]() __attribute__((target("avx2"))) {
    __m256i values = StepLanes<kUnity>(low, whole);
    if (kSixteen) {
      values = _mm256_add_epi32(values, StepLanes<kUnity>(high, whole));
    }
    return values;
  };
  int k = 0;
  // Eight frames' lanes summed together cost a fifth of summing each frame's.
  for (; k + 8 <= frames; k += 8) {
    __m256i values[8];
    for (__m256i &v : values) {
      v = step();
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(sums + k), SumsOfEight(values));
  }
  for (; k < frames; ++k) {
    sums[k] = SumOfLanes(step());
  }
}

// Measured in the output stage: four tones ran faster one after another, five
// side by side.
constexpr int kFewestTonesSideBySide = 5;

}  // namespace

__attribute__((target("avx2"))) void SumTonesAvx2(Oscillator *oscillators, int toneCount,
                                                  uint32_t *sums, int frames, const int32_t *wavetable) {
  // Impulses are not read from a table; a bank's tones are all impulses or none.
  // A few tones run faster one after another than side by side, where most
  // lanes would idle and every frame pays for summing the lanes.
  if (toneCount < kFewestTonesSideBySide || toneCount > 16 || oscillators[0].isImpulse) {
    SumTonesPlain(oscillators, toneCount, sums, frames, wavetable);
    return;
  }
  const int lowCount = std::min(toneCount, 8);
  const int highCount = toneCount - lowCount;
  Lanes low = LoadLanes(oscillators, lowCount);
  Lanes high = LoadLanes(oscillators + lowCount, highCount);
  bool unity = true;
  for (int j = 0; j < toneCount; ++j) {
    unity = unity && (oscillators[j].gain == UnityGain || oscillators[j].gain == 0);
  }
  const bool sixteen = highCount > 0;
  if (sixteen) {
    unity ? SumLanes<true, true>(low, high, sums, frames, wavetable)
          : SumLanes<true, false>(low, high, sums, frames, wavetable);
  } else {
    unity ? SumLanes<false, true>(low, high, sums, frames, wavetable)
          : SumLanes<false, false>(low, high, sums, frames, wavetable);
  }
  StorePhases(oscillators, lowCount, low.phase);
  StorePhases(oscillators + lowCount, highCount, high.phase);
}

#else

void SumTonesAvx2(Oscillator *oscillators, int toneCount, uint32_t *sums, int frames,
                  const int32_t *wavetable) {
  SumTonesPlain(oscillators, toneCount, sums, frames, wavetable);
}

#endif
