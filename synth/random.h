// The 15-bit pseudo-random generator the noise tables are drawn from: the
// classic linear congruential rand/srand pair, kept here rather than taken from
// the C library so that a seed gives the same noise on every platform. Not for
// anything that needs good randomness. One generator per process, used on the
// thread that builds sources.
#pragma once

#include <cstdint>
#include <optional>

// srand: sets the 32-bit state to seed.
void RandomSeed(uint32_t seed);

// rand: state = state × 214013 + 2531011 modulo 2^32; returns bits 16 to 30 of
// the new state, 0 to 32767.
int RandomNext();

// What a noise source calls when it is built: seeds with the calendar time in
// seconds, or with the fixed seed if one is set.
void RandomSeedFromClock();

// A fixed seed for every noise source built afterwards (reproducible renders);
// std::nullopt goes back to the clock.
void SetFixedRandomSeed(std::optional<uint32_t> seed);
