// Currency arithmetic through 128-bit intermediates, conversions and text forms.
#include "platform/rtl/Currency.h"

#include <cmath>
#include <string>

#include "platform/rtl/Exception.h"

namespace {

using Int128 = __int128;

constexpr Int128 kMaxValue = INT64_MAX;
constexpr Int128 kMinValue = INT64_MIN;

[[noreturn]] void RaiseIntOverflow() { throw EIntOverflow(u"Currency overflow: the result is out of range"); }
[[noreturn]] void RaiseCurrencyOverflow() {
  throw EOverflow(u"Currency overflow: the value is out of range");
}
[[noreturn]] void RaiseZeroDivide() { throw EZeroDivide(u"Floating point division by zero"); }
[[noreturn]] void RaiseInvalidOp() { throw EInvalidOp(u"Invalid floating point operation"); }

Int64 Checked(Int128 v, bool floatPath) {
  if (v > kMaxValue || v < kMinValue) {
    if (floatPath) RaiseCurrencyOverflow();
    RaiseIntOverflow();
  }
  return static_cast<Int64>(v);
}

// n / d rounded to nearest, halves to even; d != 0.
Int128 DivRoundHalfEven(Int128 n, Int128 d) {
  if (d < 0) {
    n = -n;
    d = -d;
  }
  Int128 q = n / d;
  Int128 r = n % d;
  const Int128 twice = (r < 0 ? -r : r) * 2;
  if (twice > d || (twice == d && (q & 1) != 0)) q += n < 0 ? -1 : 1;
  return q;
}

// The digits of rec rounded to 4 decimals as a scaled integer; false when out of range.
bool DecimalToScaled(TFloatRec rec, Int64& scaled) {
  if (rec.IsNan() || rec.IsInf()) return false;
  RoundDecimalHalfEven(rec, 1000, 4);
  if (rec.Digits.empty()) {
    scaled = 0;
    return true;
  }
  const int places = rec.Exponent + 4;  // digits before the scaled integer's end
  if (places > 19) return false;
  Int128 v = 0;
  for (int i = 0; i < places; ++i) {
    const int digit = i < static_cast<int>(rec.Digits.size()) ? rec.Digits[i] - '0' : 0;
    v = v * 10 + digit;
  }
  if (rec.Negative) v = -v;
  if (v > kMaxValue || v < kMinValue) return false;
  scaled = static_cast<Int64>(v);
  return true;
}

// Rounds v * 10000 halves to even; false when out of range.
bool TryScale(Extended v, Int64& scaled) {
  if (std::isnan(v) || std::isinf(v)) return false;
  const Extended x = v * Currency::kScale;
  // Far from a half the binary product decides: below 2^40 the shortest decimal of the double lies
  // within 2e-4 of it in these units. Near a half, the double is read as the decimal it prints as.
  if (std::fabs(x) < 0x1p40L) {
    const Extended frac = std::fabs(x - std::trunc(x));
    if (std::fabs(frac - 0.5L) > 1e-3L) {
      scaled = static_cast<Int64>(std::llrint(x));
      return true;
    }
  }
  return DecimalToScaled(FloatToDecimal(v), scaled);
}

String Quoted(const String& s) { return u"'" + s + u"'"; }

}  // namespace

Int64 Currency::FromUnits(__int128 units) { return Checked(units * kScale, false); }

Currency Currency::FromDouble(Extended v) {
  if (std::isnan(v)) RaiseInvalidOp();
  Int64 scaled;
  if (!TryScale(v, scaled)) RaiseCurrencyOverflow();
  return FromRaw(scaled);
}

Int64 Currency::ToInt64() const { return static_cast<Int64>(DivRoundHalfEven(Value, kScale)); }

Currency& Currency::operator+=(Currency other) { return *this = *this + other; }
Currency& Currency::operator-=(Currency other) { return *this = *this - other; }
Currency& Currency::operator*=(Currency other) { return *this = *this * other; }
Currency& Currency::operator/=(Currency other) { return *this = *this / other; }

Currency operator+(Currency a, Currency b) {
  return Currency::FromRaw(Checked(static_cast<Int128>(a.Value) + b.Value, false));
}

Currency operator-(Currency a, Currency b) {
  return Currency::FromRaw(Checked(static_cast<Int128>(a.Value) - b.Value, false));
}

Currency operator-(Currency a) { return Currency::FromRaw(Checked(-static_cast<Int128>(a.Value), false)); }

Currency operator*(Currency a, Currency b) {
  const Int128 product = static_cast<Int128>(a.Value) * b.Value;
  return Currency::FromRaw(Checked(DivRoundHalfEven(product, Currency::kScale), false));
}

Currency operator/(Currency a, Currency b) {
  if (b.Value == 0) RaiseZeroDivide();
  const Int128 dividend = static_cast<Int128>(a.Value) * Currency::kScale;
  return Currency::FromRaw(Checked(DivRoundHalfEven(dividend, b.Value), false));
}

Currency CurrencyMulInt(Currency a, Int64 n) {
  return Currency::FromRaw(Checked(static_cast<Int128>(a.Value) * n, false));
}

Currency CurrencyDivInt(Currency a, Int64 n) {
  if (n == 0) RaiseZeroDivide();
  return Currency::FromRaw(Checked(DivRoundHalfEven(a.Value, n), false));
}

Currency CurrencyMulFloat(Currency a, Extended x) {
  const Extended r = static_cast<Extended>(a.Value) * x;
  if (std::isnan(r)) RaiseInvalidOp();
  if (!(std::fabs(r) < 0x1p63L)) RaiseCurrencyOverflow();
  return Currency::FromRaw(static_cast<Int64>(std::llrint(r)));
}

Currency CurrencyDivFloat(Currency a, Extended x) {
  if (x == 0) RaiseZeroDivide();
  const Extended r = static_cast<Extended>(a.Value) / x;
  if (std::isnan(r)) RaiseInvalidOp();
  if (!(std::fabs(r) < 0x1p63L)) RaiseCurrencyOverflow();
  return Currency::FromRaw(static_cast<Int64>(std::llrint(r)));
}

TFloatRec CurrToDecimal(Currency c) {
  TFloatRec rec;
  rec.Negative = c.Value < 0;
  // Through unsigned so that the most negative amount has a magnitude too.
  UInt64 magnitude = rec.Negative ? 0 - static_cast<UInt64>(c.Value) : static_cast<UInt64>(c.Value);
  if (magnitude == 0) {
    rec.Negative = false;
    return rec;
  }
  rec.Digits = std::to_string(magnitude);
  rec.Exponent = static_cast<int>(rec.Digits.size()) - 4;
  while (rec.Digits.back() == '0') rec.Digits.pop_back();
  return rec;
}

String CurrToStr(Currency c) { return CurrToStr(c, FormatSettings); }

String CurrToStr(Currency c, const TFormatSettings& fs) {
  return DecimalToStrF(CurrToDecimal(c), ffGeneral, 19, 0, fs);
}

String CurrToStrF(Currency c, TFloatFormat format, int digits) {
  return CurrToStrF(c, format, digits, FormatSettings);
}

String CurrToStrF(Currency c, TFloatFormat format, int digits, const TFormatSettings& fs) {
  return DecimalToStrF(CurrToDecimal(c), format, 19, digits, fs);
}

String FormatCurr(const String& mask, Currency c) { return FormatCurr(mask, c, FormatSettings); }

String FormatCurr(const String& mask, Currency c, const TFormatSettings& fs) {
  return FormatDecimal(mask, CurrToDecimal(c), fs);
}

Currency StrToCurr(const String& s) { return StrToCurr(s, FormatSettings); }

Currency StrToCurr(const String& s, const TFormatSettings& fs) {
  Currency c;
  if (!TryStrToCurr(s, c, fs)) throw EConvertError(Quoted(s) + u" is not a valid floating point value");
  return c;
}

bool TryStrToCurr(const String& s, Currency& value) { return TryStrToCurr(s, value, FormatSettings); }

bool TryStrToCurr(const String& s, Currency& value, const TFormatSettings& fs) {
  TFloatRec rec;
  Int64 scaled;
  if (!TryTextToDecimal(s, rec, fs.DecimalSeparator, false) || !DecimalToScaled(rec, scaled)) return false;
  value = Currency::FromRaw(scaled);
  return true;
}

Currency StrToCurrDef(const String& s, Currency defaultValue) {
  return StrToCurrDef(s, defaultValue, FormatSettings);
}

Currency StrToCurrDef(const String& s, Currency defaultValue, const TFormatSettings& fs) {
  Currency c;
  return TryStrToCurr(s, c, fs) ? c : defaultValue;
}

Currency FloatToCurr(Extended v) {
  Currency c;
  if (!TryFloatToCurr(v, c)) throw EConvertError(Quoted(FloatToStr(v)) + u" is not a valid currency value");
  return c;
}

bool TryDecimalToCurr(const TFloatRec& rec, Currency& value) {
  Int64 scaled;
  if (!DecimalToScaled(rec, scaled)) return false;
  value = Currency::FromRaw(scaled);
  return true;
}

bool TryFloatToCurr(Extended v, Currency& value) {
  Int64 scaled;
  if (!TryScale(v, scaled)) return false;
  value = Currency::FromRaw(scaled);
  return true;
}
