#include "mpfr_reference.h"

#include <mpfr.h>

#include <bit>

double MpfrRounded(MpfrFunction f, double x) {
  // binary64's exponent range, so that mpfr_subnormalize rounds results below
  // 2^-1022 at a double's reduced precision.
  mpfr_set_emin(-1073);
  mpfr_set_emax(1024);
  mpfr_t value;
  mpfr_init2(value, 53);
  mpfr_set_d(value, x, MPFR_RNDN);
  int inexact = 0;
  switch (f) {
    case MpfrFunction::kExp:
      inexact = mpfr_exp(value, value, MPFR_RNDN);
      break;
    case MpfrFunction::kSin:
      inexact = mpfr_sin(value, value, MPFR_RNDN);
      break;
    case MpfrFunction::kExp10:
      inexact = mpfr_exp10(value, value, MPFR_RNDN);
      break;
    case MpfrFunction::kLog10:
      inexact = mpfr_log10(value, value, MPFR_RNDN);
      break;
  }
  mpfr_subnormalize(value, inexact, MPFR_RNDN);
  const double result = mpfr_get_d(value, MPFR_RNDN);
  mpfr_clear(value);
  return result;
}

namespace {

// Doubles as integers in the order of their values: −0 and +0 next to each other.
int64_t OrderKey(double x) {
  const int64_t bits = std::bit_cast<int64_t>(x);
  return bits < 0 ? INT64_MIN - bits : bits;
}

double FromOrderKey(int64_t key) {
  return std::bit_cast<double>(key < 0 ? INT64_MIN - key : key);
}

}  // namespace

double DoublesAway(double x, int64_t n) {
  return FromOrderKey(OrderKey(x) + n);
}
