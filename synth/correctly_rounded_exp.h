// CorrectlyRoundedExp: e^x rounded to the nearest binary64, from double and
// integer arithmetic only, so that the exponential sweep's increments are the
// same whichever C library the program is linked with (C libraries' exp differ
// in the last bit for some arguments). About five times the cost of a C
// library's exp, which the sweep pays once every 32 frames.
#pragma once

// Over the whole domain: +inf above the overflow threshold, +0 where the result
// rounds below the smallest subnormal, subnormal results rounded as such, 1 for
// ±0, NaN for NaN. Exact ties cannot occur (e^x is irrational for every nonzero
// double x), so the result is the one nearest double.
double CorrectlyRoundedExp(double x);
