// Reference values from MPFR for the tests of the functions the sample values
// depend on: each one rounded to the nearest binary64 (subnormals included), and
// the neighbouring doubles a less exact C library could return instead.
#pragma once

#include <cstdint>

enum class MpfrFunction { kExp, kSin, kExp10, kLog10 };

// f(x) rounded to nearest, as a double would hold it.
double MpfrRounded(MpfrFunction f, double x);

// The double n representable values above x (below for negative n), counting
// across zero as the ordering of the doubles does; x finite.
double DoublesAway(double x, int64_t n);
