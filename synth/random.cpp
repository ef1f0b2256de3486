#include "synth/random.h"

#include <ctime>

namespace {

uint32_t state = 1;
std::optional<uint32_t> fixedSeed;

}  // namespace

void RandomSeed(uint32_t seed) {
  state = seed;
}

int RandomNext() {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFF);
}

void RandomSeedFromClock() {
  RandomSeed(fixedSeed ? *fixedSeed : static_cast<uint32_t>(std::time(nullptr)));
}

void SetFixedRandomSeed(std::optional<uint32_t> seed) {
  fixedSeed = seed;
}
