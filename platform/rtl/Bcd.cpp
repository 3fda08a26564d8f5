// TBcd arithmetic on decimal digit strings, its conversions and text forms.
#include "platform/rtl/Bcd.h"

#include <algorithm>
#include <string>

#include "platform/rtl/Exception.h"

namespace {

[[noreturn]] void RaiseBcdOverflow() { throw EBcdOverflowException(u"BCD overflow"); }

// value = digits x 10^-scale; digits has no leading zeros (empty for zero).
struct Decimal {
  bool negative = false;
  std::string digits;
  int scale = 0;
};

void StripLeadingZeros(std::string& s) { s.erase(0, std::min(s.find_first_not_of('0'), s.size())); }

// A TBcd filled in by hand may be inconsistent; reading past its digits would be worse than an error.
void CheckLayout(const TBcd& b) {
  if (b.Precision > MaxBcdDigits || b.Scale > b.Precision) throw EBcdException(u"Invalid BCD value");
}

Decimal ToDecimal(const TBcd& b) {
  CheckLayout(b);
  Decimal d;
  d.negative = b.Negative;
  d.scale = b.Scale;
  d.digits.reserve(b.Precision);
  for (int i = 0; i < b.Precision; ++i) {
    if (b.Digits[i] > 9) throw EBcdException(u"Invalid BCD value");
    d.digits.push_back(static_cast<char>('0' + b.Digits[i]));
  }
  StripLeadingZeros(d.digits);
  if (d.digits.empty()) d.negative = false;
  return d;
}

TFloatRec ToRec(const Decimal& d) {
  TFloatRec rec;
  if (d.digits.empty()) return rec;
  rec.Negative = d.negative;
  rec.Exponent = static_cast<int>(d.digits.size()) - d.scale;
  rec.Digits = d.digits;
  while (!rec.Digits.empty() && rec.Digits.back() == '0') rec.Digits.pop_back();
  return rec;
}

int IntegerDigits(const TFloatRec& rec) { return std::max(rec.Exponent, 0); }
int FractionDigits(const TFloatRec& rec) {
  return std::max(static_cast<int>(rec.Digits.size()) - rec.Exponent, 0);
}

// Lays the digits of rec out with `intSlots` digits before the point and `scale` after.
TBcd Layout(const TFloatRec& rec, int intSlots, int scale) {
  TBcd b;
  b.Precision = static_cast<Byte>(std::max(intSlots + scale, 1));
  b.Scale = static_cast<Byte>(scale);
  b.Negative = rec.Negative && !rec.Digits.empty();
  const int slots = intSlots + scale;
  for (int i = 0; i < slots; ++i) {
    // Slot i stands for 10^(intSlots-1-i), digit j of rec for 10^(Exponent-1-j).
    const int j = i - intSlots + rec.Exponent;
    if (j >= 0 && j < static_cast<int>(rec.Digits.size()))
      b.Digits[i] = static_cast<Byte>(rec.Digits[j] - '0');
  }
  return b;
}

// Fits rec into 32 digits, rounding the fraction halves to even when it is too long.
TBcd FitRounded(TFloatRec rec) {
  if (rec.IsNan() || rec.IsInf()) RaiseBcdOverflow();
  if (rec.Digits.empty()) return TBcd();
  if (IntegerDigits(rec) > MaxBcdDigits) RaiseBcdOverflow();
  if (IntegerDigits(rec) + FractionDigits(rec) > MaxBcdDigits)
    RoundDecimalHalfEven(rec, 1000, MaxBcdDigits - IntegerDigits(rec));
  if (IntegerDigits(rec) > MaxBcdDigits) RaiseBcdOverflow();
  if (rec.Digits.empty()) return TBcd();
  return Layout(rec, IntegerDigits(rec), FractionDigits(rec));
}

bool FitsExactly(const TFloatRec& rec) { return IntegerDigits(rec) + FractionDigits(rec) <= MaxBcdDigits; }

int CompareMagnitude(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::string AddMagnitude(const std::string& a, const std::string& b) {
  std::string r;
  int carry = 0;
  for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
    int sum = carry;
    if (i < a.size()) sum += a[a.size() - 1 - i] - '0';
    if (i < b.size()) sum += b[b.size() - 1 - i] - '0';
    r.push_back(static_cast<char>('0' + sum % 10));
    carry = sum / 10;
  }
  std::reverse(r.begin(), r.end());
  StripLeadingZeros(r);
  return r;
}

// a - b for a >= b.
std::string SubtractMagnitude(const std::string& a, const std::string& b) {
  std::string r;
  int borrow = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    int diff = (a[a.size() - 1 - i] - '0') - borrow;
    if (i < b.size()) diff -= b[b.size() - 1 - i] - '0';
    borrow = diff < 0;
    r.push_back(static_cast<char>('0' + (diff + 10) % 10));
  }
  std::reverse(r.begin(), r.end());
  StripLeadingZeros(r);
  return r;
}

std::string MultiplyMagnitude(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return std::string();
  std::vector<int> acc(a.size() + b.size(), 0);
  for (std::size_t i = 0; i < a.size(); ++i)
    for (std::size_t j = 0; j < b.size(); ++j) acc[i + j + 1] += (a[i] - '0') * (b[j] - '0');
  for (std::size_t k = acc.size() - 1; k > 0; --k) {
    acc[k - 1] += acc[k] / 10;
    acc[k] %= 10;
  }
  std::string r;
  for (int v : acc) r.push_back(static_cast<char>('0' + v));
  StripLeadingZeros(r);
  return r;
}

// Long division of magnitudes; b is not zero.
std::string DivideMagnitude(const std::string& a, const std::string& b, std::string& remainder) {
  std::string q;
  remainder.clear();
  for (char digit : a) {
    remainder.push_back(digit);
    StripLeadingZeros(remainder);
    int count = 0;
    while (CompareMagnitude(remainder, b) >= 0) {
      remainder = SubtractMagnitude(remainder, b);
      ++count;
    }
    q.push_back(static_cast<char>('0' + count));
  }
  StripLeadingZeros(q);
  return q;
}

void Align(Decimal& a, Decimal& b) {
  const int scale = std::max(a.scale, b.scale);
  if (!a.digits.empty()) a.digits.append(scale - a.scale, '0');
  if (!b.digits.empty()) b.digits.append(scale - b.scale, '0');
  a.scale = b.scale = scale;
}

Decimal Sum(Decimal a, Decimal b) {
  Align(a, b);
  Decimal r;
  r.scale = a.scale;
  if (a.negative == b.negative) {
    r.negative = a.negative;
    r.digits = AddMagnitude(a.digits, b.digits);
  } else if (CompareMagnitude(a.digits, b.digits) >= 0) {
    r.negative = a.negative;
    r.digits = SubtractMagnitude(a.digits, b.digits);
  } else {
    r.negative = b.negative;
    r.digits = SubtractMagnitude(b.digits, a.digits);
  }
  return r;
}

TFloatRec ParseText(const String& s, const TFormatSettings& fs, bool& ok) {
  TFloatRec rec;
  ok = TryTextToDecimal(s, rec, fs.DecimalSeparator, true);
  return rec;
}

String PlainText(const TBcd& b, Char separator) {
  const TFloatRec rec = BcdToDecimal(b);
  String out;
  if (rec.Negative && !rec.Digits.empty()) out.push_back(u'-');
  if (rec.Exponent <= 0) {
    out.push_back(u'0');
  } else {
    for (int i = 0; i < rec.Exponent; ++i)
      out.push_back(i < static_cast<int>(rec.Digits.size()) ? static_cast<Char>(rec.Digits[i]) : u'0');
  }
  if (FractionDigits(rec) > 0) {
    out.push_back(separator);
    for (int i = rec.Exponent; i < 0; ++i) out.push_back(u'0');
    for (std::size_t j = std::max(rec.Exponent, 0); j < rec.Digits.size(); ++j)
      out.push_back(static_cast<Char>(rec.Digits[j]));
  }
  return out;
}

enum class NormalizeResult { kExact, kRounded, kOverflow };

NormalizeResult TryNormalize(const TFloatRec& value, TBcd& out, int precision, int scale) {
  if (precision < 1 || precision > MaxBcdDigits || scale < 0 || scale > precision)
    throw EBcdException(u"Invalid BCD precision or scale");
  TFloatRec rec = value;
  RoundDecimalHalfEven(rec, 1000, scale);
  if (IntegerDigits(rec) > precision - scale) return NormalizeResult::kOverflow;
  out = Layout(rec, precision - scale, scale);
  out.Precision = static_cast<Byte>(precision);
  const bool exact = rec.Digits == value.Digits && rec.Exponent == value.Exponent;
  return exact ? NormalizeResult::kExact : NormalizeResult::kRounded;
}

}  // namespace

TFloatRec BcdToDecimal(const TBcd& b) { return ToRec(ToDecimal(b)); }

TBcd DecimalToBcd(const TFloatRec& rec) { return FitRounded(rec); }

bool operator==(const TBcd& a, const TBcd& b) { return BcdCompare(a, b) == 0; }

std::strong_ordering operator<=>(const TBcd& a, const TBcd& b) {
  const int c = BcdCompare(a, b);
  return c < 0 ? std::strong_ordering::less
               : (c > 0 ? std::strong_ordering::greater : std::strong_ordering::equal);
}

TBcd StrToBcd(const String& s) { return StrToBcd(s, FormatSettings); }

TBcd StrToBcd(const String& s, const TFormatSettings& fs) {
  bool ok;
  const TFloatRec rec = ParseText(s, fs, ok);
  if (!ok) throw EConvertError(u"'" + s + u"' is not a valid BCD value");
  if (!FitsExactly(rec)) RaiseBcdOverflow();
  return FitRounded(rec);
}

bool TryStrToBcd(const String& s, TBcd& value) { return TryStrToBcd(s, value, FormatSettings); }

bool TryStrToBcd(const String& s, TBcd& value, const TFormatSettings& fs) {
  bool ok;
  const TFloatRec rec = ParseText(s, fs, ok);
  if (!ok || !FitsExactly(rec)) return false;
  value = FitRounded(rec);
  return true;
}

String BcdToStr(const TBcd& b) { return PlainText(b, FormatSettings.DecimalSeparator); }
String BcdToStr(const TBcd& b, const TFormatSettings& fs) { return PlainText(b, fs.DecimalSeparator); }
String BcdToSqlStr(const TBcd& b) { return PlainText(b, u'.'); }

String BcdToStrF(const TBcd& b, TFloatFormat format, int precision, int digits) {
  return BcdToStrF(b, format, precision, digits, FormatSettings);
}

String BcdToStrF(const TBcd& b, TFloatFormat format, int precision, int digits, const TFormatSettings& fs) {
  return DecimalToStrF(BcdToDecimal(b), format, precision, digits, fs);
}

String FormatBcd(const String& mask, const TBcd& b) { return FormatBcd(mask, b, FormatSettings); }

String FormatBcd(const String& mask, const TBcd& b, const TFormatSettings& fs) {
  return FormatDecimal(mask, BcdToDecimal(b), fs);
}

double BcdToDouble(const TBcd& b) { return DecimalToDouble(BcdToDecimal(b)); }

TBcd DoubleToBcd(double v) { return FitRounded(FloatToDecimal(v)); }

bool BcdToCurr(const TBcd& b, Currency& value) { return TryDecimalToCurr(BcdToDecimal(b), value); }

Currency BcdToCurrency(const TBcd& b) {
  Currency c;
  if (!BcdToCurr(b, c)) RaiseBcdOverflow();
  return c;
}

bool CurrToBCD(Currency c, TBcd& b, int precision, int decimals) {
  TBcd result;
  if (TryNormalize(CurrToDecimal(c), result, precision, decimals) == NormalizeResult::kOverflow) return false;
  b = result;
  return true;
}

TBcd CurrencyToBcd(Currency c) { return FitRounded(CurrToDecimal(c)); }

TBcd IntegerToBcd(Int64 v) {
  TFloatRec rec;
  rec.Negative = v < 0;
  const UInt64 magnitude = rec.Negative ? 0 - static_cast<UInt64>(v) : static_cast<UInt64>(v);
  if (magnitude == 0) return TBcd();
  rec.Digits = std::to_string(magnitude);
  rec.Exponent = static_cast<int>(rec.Digits.size());
  while (rec.Digits.back() == '0') rec.Digits.pop_back();
  return FitRounded(rec);
}

Int64 BcdToInteger(const TBcd& b, bool truncate) {
  TFloatRec rec = BcdToDecimal(b);
  if (truncate) {
    if (rec.Exponent <= 0) return 0;
    if (static_cast<int>(rec.Digits.size()) > rec.Exponent) rec.Digits.resize(rec.Exponent);
  } else {
    RoundDecimalHalfEven(rec, 1000, 0);
  }
  if (rec.Digits.empty()) return 0;
  if (rec.Exponent > 19) RaiseBcdOverflow();
  __int128 v = 0;
  for (int i = 0; i < rec.Exponent; ++i)
    v = v * 10 + (i < static_cast<int>(rec.Digits.size()) ? rec.Digits[i] - '0' : 0);
  if (rec.Negative) v = -v;
  if (v > INT64_MAX || v < INT64_MIN) RaiseBcdOverflow();
  return static_cast<Int64>(v);
}

void BcdAdd(const TBcd& a, const TBcd& b, TBcd& result) {
  result = FitRounded(ToRec(Sum(ToDecimal(a), ToDecimal(b))));
}

void BcdSubtract(const TBcd& a, const TBcd& b, TBcd& result) { BcdAdd(a, -b, result); }

void BcdMultiply(const TBcd& a, const TBcd& b, TBcd& result) {
  const Decimal x = ToDecimal(a);
  const Decimal y = ToDecimal(b);
  Decimal r;
  r.digits = MultiplyMagnitude(x.digits, y.digits);
  r.negative = x.negative != y.negative;
  r.scale = x.scale + y.scale;
  result = FitRounded(ToRec(r));
}

void BcdDivide(const TBcd& a, const TBcd& b, TBcd& result) {
  const Decimal x = ToDecimal(a);
  const Decimal y = ToDecimal(b);
  if (y.digits.empty()) throw EZeroDivide(u"Division by zero");
  // Enough quotient digits for 32 decimals and one more to round on; a non-zero remainder
  // becomes a trailing 1 so that an exact half and a little more than half differ.
  const int extra = std::max(0, MaxBcdDigits + 1 + y.scale - x.scale);
  std::string remainder;
  Decimal r;
  r.digits = DivideMagnitude(x.digits + std::string(extra, '0'), y.digits, remainder);
  r.scale = x.scale + extra - y.scale;
  if (!remainder.empty()) {
    r.digits.push_back('1');
    ++r.scale;
  }
  r.negative = x.negative != y.negative;
  result = FitRounded(ToRec(r));
}

int BcdCompare(const TBcd& a, const TBcd& b) {
  const TFloatRec x = BcdToDecimal(a);
  const TFloatRec y = BcdToDecimal(b);
  const int sx = x.Digits.empty() ? 0 : (x.Negative ? -1 : 1);
  const int sy = y.Digits.empty() ? 0 : (y.Negative ? -1 : 1);
  if (sx != sy) return sx < sy ? -1 : 1;
  if (sx == 0) return 0;
  int magnitude;
  if (x.Exponent != y.Exponent) {
    magnitude = x.Exponent < y.Exponent ? -1 : 1;
  } else {
    const int c = x.Digits.compare(y.Digits);  // no trailing zeros: a prefix is the smaller
    magnitude = c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  return sx * magnitude;
}

bool NormalizeBcd(const TBcd& in, TBcd& out, int precision, int scale) {
  TBcd result;
  const NormalizeResult r = TryNormalize(BcdToDecimal(in), result, precision, scale);
  if (r == NormalizeResult::kOverflow) RaiseBcdOverflow();
  out = result;
  return r == NormalizeResult::kExact;
}

Word BcdPrecision(const TBcd& b) {
  const TFloatRec rec = BcdToDecimal(b);
  return static_cast<Word>(std::max(rec.Exponent, 1));
}

Word BcdScale(const TBcd& b) { return b.Scale; }

bool IsBcdNegative(const TBcd& b) { return b.Negative && !IsBcdZero(b); }

bool IsBcdZero(const TBcd& b) {
  CheckLayout(b);
  return std::all_of(b.Digits.begin(), b.Digits.begin() + b.Precision, [](Byte d) { return d == 0; });
}

TBcd operator+(const TBcd& a, const TBcd& b) {
  TBcd r;
  BcdAdd(a, b, r);
  return r;
}

TBcd operator-(const TBcd& a, const TBcd& b) {
  TBcd r;
  BcdSubtract(a, b, r);
  return r;
}

TBcd operator*(const TBcd& a, const TBcd& b) {
  TBcd r;
  BcdMultiply(a, b, r);
  return r;
}

TBcd operator/(const TBcd& a, const TBcd& b) {
  TBcd r;
  BcdDivide(a, b, r);
  return r;
}

TBcd operator-(const TBcd& a) {
  TBcd r = a;
  r.Negative = !a.Negative && !IsBcdZero(a);
  return r;
}
