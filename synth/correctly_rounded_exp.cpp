#include "synth/correctly_rounded_exp.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

// Double-double arithmetic needs every operation rounded to binary64 on its own:
// no wider evaluation (x87) and no fused multiply-add (the build turns
// contraction off).
static_assert(FLT_EVAL_METHOD == 0, "double expressions must be evaluated in binary64");
static_assert(std::numeric_limits<double>::is_iec559);

namespace {

// ---- Fixed-point numbers for the exact fallback -------------------------------
// 256-bit unsigned values with 224 fraction bits, eight 32-bit limbs, least
// significant first. Enough for e^r on [0, ln 2) to about 2^-200, far closer
// than any double's e^x comes to a rounding boundary.

constexpr int kLimbs = 8;
constexpr int kFractionBits = 224;

struct Fixed {
  uint32_t limb[kLimbs] = {};
};

// m × 2^(shift − 224), for m × 2^shift below 2^256.
constexpr Fixed FixedFromInteger(uint64_t m, int shift) {
  Fixed f;
  for (int bit = 0; bit < 64; ++bit) {
    if ((m >> bit) & 1) {
      const int position = bit + shift;
      f.limb[position / 32] |= uint32_t{1} << (position % 32);
    }
  }
  return f;
}

constexpr Fixed kOne = FixedFromInteger(1, kFractionBits);

constexpr bool IsZero(const Fixed &a) {
  for (uint32_t limb : a.limb) {
    if (limb != 0) return false;
  }
  return true;
}

constexpr int Compare(const Fixed &a, const Fixed &b) {
  for (int i = kLimbs - 1; i >= 0; --i) {
    if (a.limb[i] != b.limb[i]) return a.limb[i] < b.limb[i] ? -1 : 1;
  }
  return 0;
}

constexpr Fixed Add(const Fixed &a, const Fixed &b) {
  Fixed r;
  uint64_t carry = 0;
  for (int i = 0; i < kLimbs; ++i) {
    const uint64_t s = uint64_t{a.limb[i]} + b.limb[i] + carry;
    r.limb[i] = static_cast<uint32_t>(s);
    carry = s >> 32;
  }
  return r;
}

// a − b, for a ≥ b.
constexpr Fixed Subtract(const Fixed &a, const Fixed &b) {
  Fixed r;
  uint64_t borrow = 0;
  for (int i = 0; i < kLimbs; ++i) {
    const uint64_t d = uint64_t{a.limb[i]} - b.limb[i] - borrow;
    r.limb[i] = static_cast<uint32_t>(d);
    borrow = (d >> 32) & 1;
  }
  return r;
}

// a × m, for a product below 2^32.
constexpr Fixed MultiplySmall(const Fixed &a, uint32_t m) {
  Fixed r;
  uint64_t carry = 0;
  for (int i = 0; i < kLimbs; ++i) {
    const uint64_t p = uint64_t{a.limb[i]} * m + carry;
    r.limb[i] = static_cast<uint32_t>(p);
    carry = p >> 32;
  }
  return r;
}

// a / d, truncated.
constexpr Fixed DivideSmall(const Fixed &a, uint32_t d) {
  Fixed r;
  uint64_t remainder = 0;
  for (int i = kLimbs - 1; i >= 0; --i) {
    const uint64_t n = (remainder << 32) | a.limb[i];
    r.limb[i] = static_cast<uint32_t>(n / d);
    remainder = n % d;
  }
  return r;
}

// a × b truncated to 224 fraction bits, for a product below 2^32.
constexpr Fixed Multiply(const Fixed &a, const Fixed &b) {
  uint32_t product[2 * kLimbs] = {};
  for (int i = 0; i < kLimbs; ++i) {
    uint64_t carry = 0;
    for (int j = 0; j < kLimbs; ++j) {
      const uint64_t t = uint64_t{a.limb[i]} * b.limb[j] + product[i + j] + carry;
      product[i + j] = static_cast<uint32_t>(t);
      carry = t >> 32;
    }
    product[i + kLimbs] = static_cast<uint32_t>(carry);
  }
  Fixed r;
  constexpr int kDropped = kFractionBits / 32;
  for (int i = 0; i < kLimbs; ++i) r.limb[i] = product[i + kDropped];
  return r;
}

constexpr bool BitAt(const Fixed &a, int position) {
  return (a.limb[position / 32] >> (position % 32)) & 1;
}

constexpr bool AnyBitBelow(const Fixed &a, int position) {
  for (int bit = 0; bit < position; ++bit) {
    if (BitAt(a, bit)) return true;
  }
  return false;
}

// The bits of a from position up to position + count − 1, as an integer.
constexpr uint64_t BitsFrom(const Fixed &a, int position, int count) {
  uint64_t bits = 0;
  for (int i = count - 1; i >= 0; --i) {
    const int bit = position + i;
    bits = (bits << 1) | (bit < 32 * kLimbs && BitAt(a, bit) ? 1 : 0);
  }
  return bits;
}

// ln 2 = Σ 1 / (n 2^n), every term truncated: below the true value by less than
// 230 units of 2^-224.
constexpr Fixed ComputeLn2() {
  Fixed sum;
  for (int n = 1; n <= kFractionBits; ++n) {
    sum = Add(sum, DivideSmall(FixedFromInteger(1, kFractionBits - n), static_cast<uint32_t>(n)));
  }
  return sum;
}

constexpr Fixed kLn2 = ComputeLn2();

// The series of e^r for 0 ≤ r < ln 2, terms truncated: within 2^-214 of e^r for
// an exact r, and never above it.
constexpr Fixed ExpSeries(const Fixed &r) {
  Fixed sum = kOne;
  Fixed term = kOne;
  for (uint32_t n = 1; !IsZero(term); ++n) {
    term = DivideSmall(Multiply(term, r), n);
    sum = Add(sum, term);
  }
  return sum;
}

// v rounded to the nearest integer multiple of 2^(1 − bits) (ties to even), in
// those units: the significand of a double of that precision when 1 ≤ v < 2.
uint64_t RoundToBits(const Fixed &v, int bits) {
  const int shift = kFractionBits + 1 - bits;
  uint64_t m = BitsFrom(v, shift, bits + 1);
  if (BitAt(v, shift - 1) && (AnyBitBelow(v, shift - 1) || (m & 1))) ++m;
  return m;
}

// ---- Double-double arithmetic for the fast paths -------------------------------

struct DoubleDouble {
  double hi;
  double lo;
};

constexpr DoubleDouble FastTwoSum(double a, double b) {  // |a| ≥ |b|
  const double s = a + b;
  return {s, b - (s - a)};
}

constexpr DoubleDouble TwoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// Dekker's split and product: exact without a fused multiply-add.
constexpr DoubleDouble Split(double a) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  const double hi = c - (c - a);
  return {hi, a - hi};
}

constexpr DoubleDouble TwoProduct(double a, double b) {
  const double p = a * b;
  const DoubleDouble sa = Split(a);
  const DoubleDouble sb = Split(b);
  return {p, ((sa.hi * sb.hi - p) + sa.hi * sb.lo + sa.lo * sb.hi) + sa.lo * sb.lo};
}

constexpr DoubleDouble DdAdd(DoubleDouble a, DoubleDouble b) {
  DoubleDouble s = TwoSum(a.hi, b.hi);
  const DoubleDouble t = TwoSum(a.lo, b.lo);
  s = FastTwoSum(s.hi, s.lo + t.hi);
  return FastTwoSum(s.hi, s.lo + t.lo);
}

constexpr DoubleDouble DdMultiply(DoubleDouble a, DoubleDouble b) {
  const DoubleDouble p = TwoProduct(a.hi, b.hi);
  return FastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

constexpr double PowerOfTwo(int e) {
  double p = 1.0;
  for (; e > 0; --e) p *= 2.0;
  for (; e < 0; ++e) p *= 0.5;
  return p;
}

// The fast path reduces x = (64k + j) ln 2 / 64 + r with |r| ≤ ln 2 / 128, so
// that e^x = 2^k × 2^(j/64) × e^r.
constexpr int kTableBits = 6;
constexpr int kTableSize = 1 << kTableBits;

// ln 2 / 64 in three parts taken from the fixed-point value: 36 bits, so that
// N × the first part is exact for |N| < 2^17, then 53 and 53 bits.
constexpr double kLn2Part1 =
    static_cast<double>(BitsFrom(kLn2, 188, 36)) * PowerOfTwo(188 - kFractionBits - kTableBits);
constexpr double kLn2Part2 =
    static_cast<double>(BitsFrom(kLn2, 135, 53)) * PowerOfTwo(135 - kFractionBits - kTableBits);
constexpr double kLn2Part3 =
    static_cast<double>(BitsFrom(kLn2, 82, 53)) * PowerOfTwo(82 - kFractionBits - kTableBits);
constexpr double kTableOverLn2 = 92.33248261689366;  // 64 / ln 2, only to choose N

// v in [1, 2) as a double-double: its leading 53 bits and the next 53,
// normalized; within 2^-104 of v.
constexpr DoubleDouble DoubleDoubleFrom(const Fixed &v) {
  const double hi = static_cast<double>(BitsFrom(v, kFractionBits - 52, 53)) * PowerOfTwo(-52);
  const double lo = static_cast<double>(BitsFrom(v, kFractionBits - 105, 53)) * PowerOfTwo(-105);
  return FastTwoSum(hi, lo);
}

// 2^(j/64) = e^(j ln 2 / 64) for j = 0 … 63, from the exact series.
struct PowersOfTwo {
  DoubleDouble value[kTableSize];
  constexpr PowersOfTwo() : value{} {
    for (int j = 0; j < kTableSize; ++j) {
      value[j] = DoubleDoubleFrom(
          ExpSeries(DivideSmall(MultiplySmall(kLn2, static_cast<uint32_t>(j)), kTableSize)));
    }
  }
};
// Made once, on first use, by the same integer code: evaluated at compile time
// it needs more steps than some compilers allow (clang stops at 2^20).
const PowersOfTwo &PowerTable() {
  static const PowersOfTwo table;
  return table;
}

// 1/n! as a double-double: n! is exact in binary64 up to 22!, and the low part
// is the remainder of 1 − hi × n!, which TwoProduct gives exactly.
constexpr DoubleDouble InverseFactorial(int n) {
  double factorial = 1.0;
  for (int i = 2; i <= n; ++i) factorial *= i;
  const double hi = 1.0 / factorial;
  const DoubleDouble p = TwoProduct(hi, factorial);
  return {hi, ((1.0 - p.hi) - p.lo) / factorial};
}

// e^r − 1 = r + r²/2! + … + r^12/12!, truncated below 2^-110 r for |r| ≤ 0.0055.
// From r^7/7! on, a term is below 2^-57 r, so plain doubles carry it closely
// enough; the first six terms need double-double coefficients.
constexpr int kSeriesTerms = 12;
constexpr int kDoubleDoubleTerms = 6;
struct SeriesCoefficients {
  DoubleDouble c[kSeriesTerms + 1];
  constexpr SeriesCoefficients() : c{} {
    for (int n = 0; n <= kSeriesTerms; ++n) c[n] = InverseFactorial(n);
  }
};
constexpr SeriesCoefficients kSeries;

constexpr double kFastPathLimit = 708.0;  // e^±708 are normal doubles

// x = (64k + j) ln 2 / 64 + r, with r as a double-double within 2^-100 |r|.
struct Reduced {
  int n;  // 64k + j
  DoubleDouble r;
};

Reduced Reduce(double x) {
  const double nd = std::floor(x * kTableOverLn2 + 0.5);
  // N × part 1 is exact, and so is its difference from x (Sterbenz).
  const double a = x - nd * kLn2Part1;
  const DoubleDouble p2 = TwoProduct(nd, kLn2Part2);
  DoubleDouble r = DdAdd({a, 0.0}, {-p2.hi, -p2.lo});
  r = DdAdd(r, {-(nd * kLn2Part3), 0.0});
  return {static_cast<int>(nd), r};
}

// y × 2^k, when every value within y.hi × bound of the double-double y rounds
// to the same double; false leaves the result to a more exact evaluation.
bool RoundIfDecided(DoubleDouble y, double bound, int n, double &result) {
  const double error = y.hi * bound;
  const double lower = y.hi + (y.lo - error);
  const double upper = y.hi + (y.lo + error);
  if (lower != upper) return false;
  // Exact: results for |x| ≤ 708 are normal. The shift of a negative N rounds
  // toward minus infinity, matching N & 63.
  result = std::ldexp(lower, n >> kTableBits);
  return true;
}

// Bound on the quick path's relative error, eight times its worst case
// (2^-64): e^r − 1 from doubles to within 2^-65, the table value and the
// products within 2^-100. It decides all but about 1 result in 200.
constexpr double kQuickPathError = PowerOfTwo(-61);

bool QuickExp(const Reduced &x, double &result) {
  const double r = x.r.hi;
  double p = kSeries.c[7].hi;
  for (int i = 6; i >= 2; --i) p = p * r + kSeries.c[i].hi;
  // e^r − 1 = r + r² (1/2 + r/6 + …): the part after r is below 2^-16, so its
  // double rounding costs under 2^-68; the low part of r is added as it is.
  const DoubleDouble m = FastTwoSum(r, x.r.lo + (r * r) * p);
  const DoubleDouble t = PowerTable().value[x.n & (kTableSize - 1)];
  const DoubleDouble tm = TwoProduct(t.hi, m.hi);
  const DoubleDouble y = TwoSum(t.hi, tm.hi);
  const double low = t.lo + (tm.lo + (t.hi * m.lo + t.lo * m.hi));
  return RoundIfDecided(FastTwoSum(y.hi, y.lo + low), kQuickPathError, x.n, result);
}

// Bound on the accurate path's relative error, far above its worst case
// (under 2^-100).
constexpr double kAccuratePathError = PowerOfTwo(-88);

bool AccurateExp(const Reduced &x, double &result) {
  const DoubleDouble r = x.r;
  double tail = kSeries.c[kSeriesTerms].hi;
  for (int i = kSeriesTerms - 1; i > kDoubleDoubleTerms; --i) tail = tail * r.hi + kSeries.c[i].hi;
  DoubleDouble q = {tail, 0.0};
  for (int i = kDoubleDoubleTerms; i >= 1; --i) q = DdAdd(DdMultiply(q, r), kSeries.c[i]);
  const DoubleDouble m = DdMultiply(q, r);  // e^r − 1
  const DoubleDouble t = PowerTable().value[x.n & (kTableSize - 1)];
  const DoubleDouble y = DdAdd(t, DdMultiply(t, m));  // in [0.99, 2.01)
  return RoundIfDecided(y, kAccuratePathError, x.n, result);
}

// Well beyond any error of the fixed-point evaluation (under 2^-204).
constexpr Fixed kSlowPathError = FixedFromInteger(1, kFractionBits - 196);

// e^x for 2^-54 ≤ |x| ≤ 746 from fixed-point arithmetic: e^x = 2^k e^r with
// 0 ≤ r < ln 2, rounded at the precision of the result's binade (fewer bits for
// subnormal results).
double SlowExp(double x) {
  const uint64_t bits = std::bit_cast<uint64_t>(x);
  const uint64_t significand = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  const int exponent = static_cast<int>((bits >> 52) & 0x7FF) - 1075;
  const Fixed magnitude = FixedFromInteger(significand, exponent + kFractionBits);

  // k = floor(x / ln 2), settled exactly in fixed point from a double guess.
  int k = static_cast<int>(std::floor(x / 0.6931471805599453));
  Fixed r;
  if (x > 0) {
    for (;;) {
      const Fixed kLn = MultiplySmall(kLn2, static_cast<uint32_t>(k));
      if (Compare(kLn, magnitude) > 0) {
        --k;
        continue;
      }
      r = Subtract(magnitude, kLn);
      if (Compare(r, kLn2) >= 0) {
        ++k;
        continue;
      }
      break;
    }
  } else {
    for (;;) {
      const Fixed kLn = MultiplySmall(kLn2, static_cast<uint32_t>(-k));
      if (Compare(kLn, magnitude) < 0) {
        --k;
        continue;
      }
      r = Subtract(kLn, magnitude);
      if (Compare(r, kLn2) >= 0) {
        ++k;
        continue;
      }
      break;
    }
  }
  if (k > 1023) return std::numeric_limits<double>::infinity();
  const int precision = k >= -1022 ? 53 : 1075 + k;
  if (precision < 0) return 0.0;

  const Fixed y = ExpSeries(r);  // in [1, 2)
  uint64_t m = RoundToBits(Subtract(y, kSlowPathError), precision);
  // The two ends of the error interval agree for every double x that published
  // worst-case searches know of (none comes within 2^-120 of a rounding
  // boundary); should they not, y itself still gives one result on every
  // machine.
  if (m != RoundToBits(Add(y, kSlowPathError), precision)) m = RoundToBits(y, precision);
  // m × 2^(k + 1 − precision) is a double (or overflows to infinity), so ldexp
  // is exact.
  return std::ldexp(static_cast<double>(m), k + 1 - precision);
}

}  // namespace

double CorrectlyRoundedExp(double x) {
  if (std::isnan(x)) return x + x;
  if (x > 710.0) return std::numeric_limits<double>::infinity();  // e^710 > DBL_MAX
  if (x < -746.0) return 0.0;  // e^-746 < 2^-1075, half the smallest subnormal
  // 1 ± |x| lies within half an ulp of 1 (2^-53 above, 2^-54 below).
  constexpr double kNearZero = PowerOfTwo(-54);
  if (std::fabs(x) < kNearZero) return 1.0;
  if (std::fabs(x) <= kFastPathLimit) {
    const Reduced reduced = Reduce(x);
    double result;
    if (QuickExp(reduced, result) || AccurateExp(reduced, result)) return result;
  }
  return SlowExp(x);
}
