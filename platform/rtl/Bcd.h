// TBcd: an exact decimal of up to 32 significant digits with precision and scale, for the BCD fields.
#pragma once

#include <array>
#include <compare>

#include "platform/rtl/Currency.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

inline constexpr int MaxBcdDigits = 32;

// Precision digits are held most significant first; the last Scale of them follow the decimal point.
// 0 <= Scale <= Precision <= 32, each digit 0..9 (a value breaking this raises EBcdException
// "Invalid BCD value"); zero is never negative. Values compare by value, whatever their scale.
struct TBcd {
  Byte Precision = 1;
  Byte Scale = 0;
  bool Negative = false;
  std::array<Byte, MaxBcdDigits> Digits{};

  friend bool operator==(const TBcd& a, const TBcd& b);
  friend std::strong_ordering operator<=>(const TBcd& a, const TBcd& b);
};

// Text with "." or the locale's decimal separator, a sign, blanks around and an optional exponent.
// Bad text raises EConvertError "'%s' is not a valid BCD value"; more than 32 significant digits
// raises EBcdOverflowException "BCD overflow".
TBcd StrToBcd(const String& s);
TBcd StrToBcd(const String& s, const TFormatSettings& fs);
bool TryStrToBcd(const String& s, TBcd& value);
bool TryStrToBcd(const String& s, TBcd& value, const TFormatSettings& fs);

// All significant digits, trailing zeros of the fraction dropped, the locale's separator: "-1234,5".
String BcdToStr(const TBcd& b);
String BcdToStr(const TBcd& b, const TFormatSettings& fs);
// The same with "." whatever the locale: for SQL text and interchange.
String BcdToSqlStr(const TBcd& b);
// FloatToStrF's formats, exact (precision up to 64).
String BcdToStrF(const TBcd& b, TFloatFormat format, int precision, int digits);
String BcdToStrF(const TBcd& b, TFloatFormat format, int precision, int digits, const TFormatSettings& fs);
// FormatFloat's mask language, exact.
String FormatBcd(const String& mask, const TBcd& b);
String FormatBcd(const String& mask, const TBcd& b, const TFormatSettings& fs);

double BcdToDouble(const TBcd& b);
// The double as the decimal it prints as (shortest form); NaN and infinities raise EBcdOverflowException.
TBcd DoubleToBcd(double v);
// Rounds to 4 decimals halves to even; false when out of Currency's range.
bool BcdToCurr(const TBcd& b, Currency& value);
Currency BcdToCurrency(const TBcd& b);  // raises EBcdOverflowException when out of range
// Rescales to `decimals` within `precision` digits, rounding halves to even; false (b untouched)
// when the integer part does not fit.
bool CurrToBCD(Currency c, TBcd& b, int precision = 32, int decimals = 4);
TBcd CurrencyToBcd(Currency c);

TBcd IntegerToBcd(Int64 v);
// Rounded halves to even (or truncated); EBcdOverflowException outside Int64.
Int64 BcdToInteger(const TBcd& b, bool truncate = false);

// Exact when the result has at most 32 significant digits; otherwise fraction digits are rounded
// halves to even, and an integer part longer than 32 digits raises EBcdOverflowException.
void BcdAdd(const TBcd& a, const TBcd& b, TBcd& result);
void BcdSubtract(const TBcd& a, const TBcd& b, TBcd& result);
void BcdMultiply(const TBcd& a, const TBcd& b, TBcd& result);
// To 32 significant digits (at least the operands' larger scale), halves to even, trailing fraction
// zeros dropped; division by zero raises EZeroDivide.
void BcdDivide(const TBcd& a, const TBcd& b, TBcd& result);
// -1, 0, 1.
int BcdCompare(const TBcd& a, const TBcd& b);
// Rescales to exactly `scale` decimals within `precision` digits, rounding halves to even.
// Raises EBcdOverflowException when the integer part does not fit; false when digits were rounded off.
bool NormalizeBcd(const TBcd& in, TBcd& out, int precision, int scale);
// Digits to the left of the decimal point (at least 1) and to its right.
Word BcdPrecision(const TBcd& b);
Word BcdScale(const TBcd& b);
bool IsBcdNegative(const TBcd& b);
bool IsBcdZero(const TBcd& b);

// The exact digits as a TFloatRec, and back (EBcdOverflowException past 32 significant digits,
// rounding the fraction first when only it is too long).
TFloatRec BcdToDecimal(const TBcd& b);
TBcd DecimalToBcd(const TFloatRec& rec);

TBcd operator+(const TBcd& a, const TBcd& b);
TBcd operator-(const TBcd& a, const TBcd& b);
TBcd operator*(const TBcd& a, const TBcd& b);
TBcd operator/(const TBcd& a, const TBcd& b);
TBcd operator-(const TBcd& a);
