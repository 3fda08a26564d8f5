// Floating-point numbers as text in the locale's settings: FloatToStr, FloatToStrF, FormatFloat, StrToFloat,
// and the decimal-digit form that Currency and TBcd share for their own formatting.
#pragma once

#include <string>
#include <string_view>

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// Binary values carry at most this many meaningful digits; FloatToStrF clamps its precision here.
inline constexpr int kMaxBinaryPrecision = 18;

// A number as a decimal digit string: |value| = 0.D1D2D3... x 10^Exponent. Digits has no leading zeros
// and no trailing zeros; an empty Digits is zero (Negative may still be set for -0).
struct TFloatRec {
  static constexpr int kInfExponent = 0x7FFF;
  static constexpr int kNanExponent = -0x8000;

  int Exponent = 0;
  bool Negative = false;
  std::string Digits;

  bool IsNan() const { return Exponent == kNanExponent; }
  bool IsInf() const { return Exponent == kInfExponent; }
  bool IsZero() const { return Digits.empty() && !IsNan() && !IsInf(); }
};

// The digits of v: the shortest decimal that reads back as the same double (or, for a long double that
// is no double, as the same long double). A double is thus taken as the decimal it prints as: 1.005 has
// the digits "1005", not those of its binary neighbour 1.00499999999999989...
TFloatRec FloatToDecimal(Extended v);

// Rounds the digit string to at most `precision` significant digits and at most `decimals` digits after
// the point (a large value, e.g. 9999, for no limit), halves away from zero.
void RoundDecimal(TFloatRec& rec, int precision, int decimals);
// The same with halves to even (RoundTo, Currency, TBcd).
void RoundDecimalHalfEven(TFloatRec& rec, int precision, int decimals);
// Reads the digits back into a binary value, correctly rounded.
// Out of range gives an infinity.
Extended DecimalToFloat(const TFloatRec& rec);
double DecimalToDouble(const TFloatRec& rec);

// General form with 15 significant digits: "1234,5", "1E20", "1,5E-5", "NAN", "INF", "-INF".
String FloatToStr(Extended v);
String FloatToStr(Extended v, const TFormatSettings& fs);

// The five formats. precision: significant digits (2..18 for binary values); digits: decimals for
// ffFixed/ffNumber/ffCurrency (0..18), minimum exponent digits for ffGeneral/ffExponent (0..4).
String FloatToStrF(Extended v, TFloatFormat format, int precision, int digits);
String FloatToStrF(Extended v, TFloatFormat format, int precision, int digits, const TFormatSettings& fs);

// The mask language: 0 # . , E+ E- e+ e- ; '..' ".." and literal characters. Rounds the value's decimal
// digits (see FloatToDecimal) halves away from zero: FormatFloat("0.00", 1.005) is "1,01".
String FormatFloat(const String& mask, Extended v);
String FormatFloat(const String& mask, Extended v, const TFormatSettings& fs);

// Formatting of an exact decimal (Currency, TBcd) with the same rules as the binary routines above.
// precision caps the significant digits as in FloatToStrF (up to 64 here).
String DecimalToStrF(const TFloatRec& rec, TFloatFormat format, int precision, int digits,
                     const TFormatSettings& fs);
String FormatDecimal(const String& mask, const TFloatRec& rec, const TFormatSettings& fs);

// Parses decimal text exactly: optional blanks around, a sign, digits with one decimal separator
// (the given one; '.' as well when acceptDot), an optional exponent "E+3". No grouping. False on bad text.
bool TryTextToDecimal(std::u16string_view text, TFloatRec& rec, Char decimalSeparator, bool acceptDot);

// Text with the locale's decimal separator, leading/trailing blanks and an optional exponent.
// Bad text raises EConvertError "'%s' is not a valid floating point value".
Extended StrToFloat(const String& s);
Extended StrToFloat(const String& s, const TFormatSettings& fs);
bool TryStrToFloat(const String& s, Extended& value);
bool TryStrToFloat(const String& s, Extended& value, const TFormatSettings& fs);
bool TryStrToFloat(const String& s, Double& value);
bool TryStrToFloat(const String& s, Double& value, const TFormatSettings& fs);
bool TryStrToFloat(const String& s, Single& value);
bool TryStrToFloat(const String& s, Single& value, const TFormatSettings& fs);
Extended StrToFloatDef(const String& s, Extended defaultValue);
Extended StrToFloatDef(const String& s, Extended defaultValue, const TFormatSettings& fs);
