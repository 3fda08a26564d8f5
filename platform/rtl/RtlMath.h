// Rounding and arithmetic helpers of the runtime: banker's Round, RoundTo, MulDiv, comparisons with
// tolerance, ranges and random numbers.
#pragma once

#include <cmath>
#include <type_traits>

#include "platform/rtl/Types.h"

// Nearest integer, halves to even: Round(2.5) = 2, Round(3.5) = 4, Round(-2.5) = -2.
// NaN, infinities and values outside Int64 raise EInvalidOp.
Int64 Round(Extended v);
// Round for pixel and twip arithmetic, where the result is an Integer.
inline Integer RoundInt(Extended v) { return static_cast<Integer>(Round(v)); }
// Toward zero; floor; ceiling (same errors as Round).
Int64 Trunc(Extended v);
Int64 Floor(Extended v);
Int64 Ceil(Extended v);
// Integer part and fraction, both keeping the sign: Int(-2.5) = -2, Frac(-2.5) = -0.5.
Extended Int(Extended v);
Extended Frac(Extended v);

// Rounds to 10^digits (digits -2: two decimals; 2: hundreds), halves to even. The value is taken as
// the decimal it prints as, so RoundTo(1.015, -2) = 1.02 and RoundTo(1.005, -2) = 1.0 (the even
// neighbour), whatever the binary neighbours of those decimals. A double result stays
// the nearest double, so it compares equal to the literal: RoundTo(1.015, -2) == 1.02.
Extended RoundTo(Extended v, int digits);
// As RoundTo with halves away from zero: SimpleRoundTo(1.005, -2) = 1.01, (-2.5, 0) = -3.
Extended SimpleRoundTo(Extended v, int digits = -2);

Extended Power(Extended base, Extended exponent);
Extended IntPower(Extended base, int exponent);

template <class A, class B>
requires std::is_arithmetic_v<A> && std::is_arithmetic_v<B>
constexpr std::common_type_t<A, B> Max(A a, B b) {
  using C = std::common_type_t<A, B>;
  return static_cast<C>(a) > static_cast<C>(b) ? static_cast<C>(a) : static_cast<C>(b);
}
template <class A, class B>
requires std::is_arithmetic_v<A> && std::is_arithmetic_v<B>
constexpr std::common_type_t<A, B> Min(A a, B b) {
  using C = std::common_type_t<A, B>;
  return static_cast<C>(a) < static_cast<C>(b) ? static_cast<C>(a) : static_cast<C>(b);
}
template <class T, class L, class H>
requires std::is_arithmetic_v<T> && std::is_arithmetic_v<L> && std::is_arithmetic_v<H>
constexpr bool InRange(T value, L min, H max) {
  using C = std::common_type_t<T, L, H>;
  return static_cast<C>(value) >= static_cast<C>(min) && static_cast<C>(value) <= static_cast<C>(max);
}
template <class T, class L, class H>
requires std::is_arithmetic_v<T> && std::is_arithmetic_v<L> && std::is_arithmetic_v<H>
constexpr std::common_type_t<T, L, H> EnsureRange(T value, L min, H max) {
  using C = std::common_type_t<T, L, H>;
  const C v = static_cast<C>(value), lo = static_cast<C>(min), hi = static_cast<C>(max);
  return v < lo ? lo : (v > hi ? hi : v);
}
// -1, 0 or 1.
template <class T>
requires std::is_arithmetic_v<T>
constexpr int Sign(T v) { return v > T(0) ? 1 : (v < T(0) ? -1 : 0); }

// Equal within epsilon; epsilon 0 means Max(Min(|a|, |b|) * resolution, resolution) with the
// resolution of the type: 1E-16 (Extended), 1E-12 (Double), 1E-4 (Single).
bool SameValue(Extended a, Extended b, Extended epsilon = 0);
bool SameValue(Double a, Double b, Double epsilon = 0);
bool SameValue(Single a, Single b, Single epsilon = 0);
// |v| <= epsilon; epsilon 0 means the type's resolution as above.
bool IsZero(Extended v, Extended epsilon = 0);
bool IsZero(Double v, Double epsilon = 0);
bool IsZero(Single v, Single epsilon = 0);
bool IsNan(Extended v);
bool IsInfinite(Extended v);

// a * b / c with a 64-bit product, rounded to nearest (halves away from zero); -1 when c is zero or
// the result does not fit in 32 bits.
Integer MulDiv(Integer a, Integer b, Integer c);

// Integer division and remainder truncating toward zero (-7 div 2 = -3, -7 mod 2 = -1);
// a zero divisor raises EDivByZero "Division by zero".
Int64 Div(Int64 a, Int64 b);
Int64 Mod(Int64 a, Int64 b);
void DivMod(Integer dividend, Integer divisor, Integer& result, Integer& remainder);

// Random numbers from one process-wide generator; Randomize seeds it from the clock.
void Randomize();
void RandSeed(UInt64 seed);
// In [0, 1).
Extended Random();
// In [0, range); 0 when range <= 0.
Integer Random(Integer range);
// In [from, to) (the bounds may be given in either order); from when they are equal.
Integer RandomRange(Integer from, Integer to);
