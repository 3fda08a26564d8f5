// Currency: an amount as a 64-bit integer scaled by 10,000, with exact arithmetic and its text forms.
#pragma once

#include <compare>
#include <concepts>
#include <cstdint>
#include <type_traits>

#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

struct Currency {
  static constexpr Int64 kScale = 10000;

  Int64 Value;  // the amount x 10,000

  constexpr Currency() noexcept : Value(0) {}
  // Whole units; EIntOverflow outside +-922337203685477.
  template <std::integral T>
  Currency(T units) : Value(FromUnits(static_cast<__int128>(units))) {}
  // Rounds to 4 decimals, halves to even; EOverflow when out of range, EInvalidOp for NaN.
  Currency(Extended v) : Value(FromDouble(v).Value) {}

  static constexpr Currency FromRaw(Int64 scaled) noexcept {
    Currency c;
    c.Value = scaled;
    return c;
  }
  // The double is taken as the decimal it prints as, then rounded halves to even: 0.00005 -> 0,
  // 0.00015 -> 0.0002, 1.23455 -> 1.2346.
  static Currency FromDouble(Extended v);

  double ToDouble() const { return static_cast<double>(Value) / kScale; }
  Extended ToExtended() const { return static_cast<Extended>(Value) / kScale; }
  // Rounded to whole units, halves to even.
  Int64 ToInt64() const;
  explicit operator double() const { return ToDouble(); }

  Currency& operator+=(Currency other);
  Currency& operator-=(Currency other);
  Currency& operator*=(Currency other);
  Currency& operator/=(Currency other);

  friend bool operator==(Currency a, Currency b) { return a.Value == b.Value; }
  friend std::strong_ordering operator<=>(Currency a, Currency b) { return a.Value <=> b.Value; }

 private:
  static Int64 FromUnits(__int128 units);
};

inline constexpr Currency MaxCurrency = Currency::FromRaw(INT64_MAX);
inline constexpr Currency MinCurrency = Currency::FromRaw(INT64_MIN);

// Exact; results out of range raise EIntOverflow.
Currency operator+(Currency a, Currency b);
Currency operator-(Currency a, Currency b);
Currency operator-(Currency a);
// Exact through a 128-bit product or dividend, rounded to 4 decimals halves to even.
// Division by zero raises EZeroDivide.
Currency operator*(Currency a, Currency b);
Currency operator/(Currency a, Currency b);

// With a plain number: integers exactly, floating values through long double, rounded halves to even.
Currency CurrencyMulInt(Currency a, Int64 n);
Currency CurrencyDivInt(Currency a, Int64 n);
Currency CurrencyMulFloat(Currency a, Extended x);
Currency CurrencyDivFloat(Currency a, Extended x);

template <class T>
requires std::is_arithmetic_v<T> Currency operator*(Currency a, T n) {
  if constexpr (std::is_integral_v<T>)
    return CurrencyMulInt(a, static_cast<Int64>(n));
  else
    return CurrencyMulFloat(a, static_cast<Extended>(n));
}
template <class T>
requires std::is_arithmetic_v<T> Currency operator*(T n, Currency a) { return a * n; }
template <class T>
requires std::is_arithmetic_v<T> Currency operator/(Currency a, T n) {
  if constexpr (std::is_integral_v<T>)
    return CurrencyDivInt(a, static_cast<Int64>(n));
  else
    return CurrencyDivFloat(a, static_cast<Extended>(n));
}

// The digits of the amount, exact (at most 19).
TFloatRec CurrToDecimal(Currency c);
// Rounds the digits to 4 decimals halves to even; false when out of range or not a number.
bool TryDecimalToCurr(const TFloatRec& rec, Currency& value);

// General form, as many decimals as needed: "1234,5", "-0,0001".
String CurrToStr(Currency c);
String CurrToStr(Currency c, const TFormatSettings& fs);
// The five formats with `digits` decimals (0..4 shown exactly; more pads with zeros).
String CurrToStrF(Currency c, TFloatFormat format, int digits);
String CurrToStrF(Currency c, TFloatFormat format, int digits, const TFormatSettings& fs);
// The FormatFloat mask language on the exact amount.
String FormatCurr(const String& mask, Currency c);
String FormatCurr(const String& mask, Currency c, const TFormatSettings& fs);

// Text with the locale's decimal separator; more than 4 decimals round halves to even.
// Bad text raises EConvertError "'%s' is not a valid floating point value".
Currency StrToCurr(const String& s);
Currency StrToCurr(const String& s, const TFormatSettings& fs);
bool TryStrToCurr(const String& s, Currency& value);
bool TryStrToCurr(const String& s, Currency& value, const TFormatSettings& fs);
Currency StrToCurrDef(const String& s, Currency defaultValue);
Currency StrToCurrDef(const String& s, Currency defaultValue, const TFormatSettings& fs);

// Out of range or not a number raises EConvertError "'%s' is not a valid currency value".
Currency FloatToCurr(Extended v);
bool TryFloatToCurr(Extended v, Currency& value);
