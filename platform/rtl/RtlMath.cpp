// Rounding, tolerance comparisons, MulDiv, integer division helpers and the random generator.
#include "platform/rtl/RtlMath.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <random>

#include "platform/rtl/Exception.h"
#include "platform/rtl/FloatFormat.h"

namespace {

constexpr Extended kExtendedResolution = 1E-16L;
constexpr Double kDoubleResolution = 1E-12;
constexpr Single kSingleResolution = 1E-4F;

[[noreturn]] void RaiseInvalidOp() { throw EInvalidOp(u"Invalid floating point operation"); }

Int64 CheckedToInt64(Extended v) {
  // 2^63 is exact in long double; anything at or past it does not fit.
  if (std::isnan(v) || !(v < 0x1p63L) || v < -0x1p63L) RaiseInvalidOp();
  return static_cast<Int64>(v);
}

// Decimal rounding of v to 10^digits. A double stays a double, so the result compares equal to the
// literal that shows it (RoundTo(1.015, -2) == 1.02).
Extended RoundDecimalTo(Extended v, int digits, bool halfEven) {
  if (std::isnan(v) || std::isinf(v) || v == 0) return v;
  const bool isDouble = static_cast<Extended>(static_cast<double>(v)) == v;
  TFloatRec rec = FloatToDecimal(v);
  if (halfEven)
    RoundDecimalHalfEven(rec, 100000, -digits);
  else
    RoundDecimal(rec, 100000, -digits);
  if (rec.Digits.empty()) return v < 0 ? -0.0L : 0.0L;
  return isDouble ? static_cast<Extended>(DecimalToDouble(rec)) : DecimalToFloat(rec);
}

template <class T>
bool SameWithin(T a, T b, T epsilon, T resolution) {
  if (epsilon == 0) epsilon = std::max(std::min(std::fabs(a), std::fabs(b)) * resolution, resolution);
  return a > b ? (a - b) <= epsilon : (b - a) <= epsilon;
}

struct Generator {
  std::mutex mutex;
  std::mt19937_64 engine{0x5DEECE66DULL};
};

Generator& TheGenerator() {
  static Generator generator;
  return generator;
}

}  // namespace

Int64 Round(Extended v) {
  // nearbyint follows the current rounding mode, which is round-to-nearest-even.
  return CheckedToInt64(std::nearbyint(v));
}

Int64 Trunc(Extended v) { return CheckedToInt64(std::trunc(v)); }
Int64 Floor(Extended v) { return CheckedToInt64(std::floor(v)); }
Int64 Ceil(Extended v) { return CheckedToInt64(std::ceil(v)); }
Extended Int(Extended v) { return std::trunc(v); }
Extended Frac(Extended v) { return v - std::trunc(v); }

Extended RoundTo(Extended v, int digits) { return RoundDecimalTo(v, digits, true); }
Extended SimpleRoundTo(Extended v, int digits) { return RoundDecimalTo(v, digits, false); }

Extended Power(Extended base, Extended exponent) {
  if (exponent == 0) return 1;
  // Integral exponents go through IntPower, so a negative base works and small powers are exact.
  if (exponent == std::trunc(exponent) && std::fabs(exponent) <= INT32_MAX)
    return IntPower(base, static_cast<int>(exponent));
  return std::pow(base, exponent);
}

Extended IntPower(Extended base, int exponent) {
  long long n = exponent;
  const bool invert = n < 0;
  if (invert) n = -n;
  Extended result = 1;
  Extended square = base;
  while (n > 0) {
    if (n & 1) result *= square;
    square *= square;
    n >>= 1;
  }
  return invert ? 1 / result : result;
}

bool SameValue(Extended a, Extended b, Extended epsilon) {
  return SameWithin(a, b, epsilon, kExtendedResolution);
}
bool SameValue(Double a, Double b, Double epsilon) { return SameWithin(a, b, epsilon, kDoubleResolution); }
bool SameValue(Single a, Single b, Single epsilon) { return SameWithin(a, b, epsilon, kSingleResolution); }

bool IsZero(Extended v, Extended epsilon) {
  return std::fabs(v) <= (epsilon == 0 ? kExtendedResolution : epsilon);
}
bool IsZero(Double v, Double epsilon) { return std::fabs(v) <= (epsilon == 0 ? kDoubleResolution : epsilon); }
bool IsZero(Single v, Single epsilon) { return std::fabs(v) <= (epsilon == 0 ? kSingleResolution : epsilon); }
bool IsNan(Extended v) { return std::isnan(v); }
bool IsInfinite(Extended v) { return std::isinf(v); }

Integer MulDiv(Integer a, Integer b, Integer c) {
  if (c == 0) return -1;
  Int64 product = static_cast<Int64>(a) * b;
  Int64 divisor = c;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  // Halves away from zero.
  const Int64 half = divisor / 2;
  const Int64 result = (product >= 0 ? product + half : product - half) / divisor;
  if (result > INT32_MAX || result < -INT32_MAX) return -1;
  return static_cast<Integer>(result);
}

Int64 Div(Int64 a, Int64 b) {
  if (b == 0) throw EDivByZero(u"Division by zero");
  if (a == INT64_MIN && b == -1) throw EIntOverflow(u"Integer overflow");
  return a / b;
}

Int64 Mod(Int64 a, Int64 b) {
  if (b == 0) throw EDivByZero(u"Division by zero");
  if (b == -1) return 0;
  return a % b;
}

void DivMod(Integer dividend, Integer divisor, Integer& result, Integer& remainder) {
  result = static_cast<Integer>(Div(dividend, divisor));
  remainder = static_cast<Integer>(Mod(dividend, divisor));
}

void Randomize() {
  const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  RandSeed(static_cast<UInt64>(now) ^ std::random_device{}());
}

void RandSeed(UInt64 seed) {
  Generator& g = TheGenerator();
  std::lock_guard lock(g.mutex);
  g.engine.seed(seed);
}

Extended Random() {
  Generator& g = TheGenerator();
  std::lock_guard lock(g.mutex);
  return static_cast<Extended>(g.engine() >> 11) * 0x1p-53L;
}

Integer Random(Integer range) {
  if (range <= 0) return 0;
  Generator& g = TheGenerator();
  std::lock_guard lock(g.mutex);
  return static_cast<Integer>(g.engine() % static_cast<UInt64>(range));
}

Integer RandomRange(Integer from, Integer to) {
  if (from > to) std::swap(from, to);
  if (from == to) return from;
  const Int64 span = static_cast<Int64>(to) - from;
  Generator& g = TheGenerator();
  std::lock_guard lock(g.mutex);
  return static_cast<Integer>(from + static_cast<Int64>(g.engine() % static_cast<UInt64>(span)));
}
