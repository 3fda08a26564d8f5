// Float formatting and parsing: every routine works on the decimal digits of the number (TFloatRec),
// so binary values, Currency and TBcd share one formatter and round the same way.
#include "platform/rtl/FloatFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/rtl/Exception.h"

namespace {

constexpr int kNoLimit = 100000;
// FormatFloat falls back to the general form for binary values with more integer digits.
constexpr int kMaxBinaryIntDigits = 18;
constexpr int kMaxDecimalPrecision = 64;

void AppendAscii(String& out, std::string_view s) { out.append(s.begin(), s.end()); }

void AppendDigits(String& out, const std::string& digits, std::size_t from, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = from + i;
    out.push_back(at < digits.size() ? static_cast<Char>(digits[at]) : u'0');
  }
}

void Normalize(TFloatRec& rec) {
  std::size_t lead = 0;
  while (lead < rec.Digits.size() && rec.Digits[lead] == '0') ++lead;
  rec.Digits.erase(0, lead);
  rec.Exponent -= static_cast<int>(lead);
  while (!rec.Digits.empty() && rec.Digits.back() == '0') rec.Digits.pop_back();
  if (rec.Digits.empty()) rec.Exponent = 0;
}

// Keeps the first `keep` digits (keep <= 0 rounds at or before the first digit).
void RoundAt(TFloatRec& rec, long keep, bool halfEven) {
  if (rec.IsNan() || rec.IsInf() || keep >= static_cast<long>(rec.Digits.size())) return;
  if (keep < 0) {
    rec.Digits.clear();
    rec.Exponent = 0;
    return;
  }
  const std::size_t k = static_cast<std::size_t>(keep);
  const char next = rec.Digits[k];
  bool up;
  if (!halfEven) {
    up = next >= '5';
  } else if (next != '5') {
    up = next > '5';
  } else {
    const bool moreAfter = rec.Digits.find_first_not_of('0', k + 1) != std::string::npos;
    const bool oddBefore = k > 0 && ((rec.Digits[k - 1] - '0') & 1) != 0;
    up = moreAfter || oddBefore;
  }
  rec.Digits.resize(k);
  if (up) {
    long i = static_cast<long>(k) - 1;
    while (i >= 0 && rec.Digits[i] == '9') rec.Digits[i--] = '0';
    if (i >= 0) {
      ++rec.Digits[i];
    } else {
      rec.Digits.insert(rec.Digits.begin(), '1');
      ++rec.Exponent;
    }
  }
  Normalize(rec);
}

long KeepFor(const TFloatRec& rec, int precision, int decimals) {
  return std::min<long>(precision, static_cast<long>(rec.Exponent) + decimals);
}

// Reads "[-]0.DIGITSeEXP" with from_chars; false on overflow, zero on underflow.
template <class T>
bool DecimalToBinary(const TFloatRec& rec, T& out) {
  if (rec.IsNan()) {
    out = std::numeric_limits<T>::quiet_NaN();
    return true;
  }
  if (rec.IsInf()) {
    out = rec.Negative ? -std::numeric_limits<T>::infinity() : std::numeric_limits<T>::infinity();
    return true;
  }
  if (rec.Digits.empty()) {
    out = rec.Negative ? -T(0) : T(0);
    return true;
  }
  std::string text = "0.";
  text += rec.Digits;
  text += 'e';
  text += std::to_string(rec.Exponent);
  T value{};
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    if (rec.Exponent > 0) return false;
    value = 0;
  } else if (result.ec != std::errc()) {
    return false;
  }
  out = rec.Negative ? -value : value;
  return true;
}

// Integer and fraction digits of a rounded record.
std::string IntegerPart(const TFloatRec& rec) {
  if (rec.Exponent <= 0) return std::string();
  std::string s = rec.Digits.substr(0, std::min<std::size_t>(rec.Digits.size(), rec.Exponent));
  s.resize(rec.Exponent, '0');
  return s;
}

std::string FractionPart(const TFloatRec& rec) {
  if (rec.Digits.empty()) return std::string();
  if (rec.Exponent >= static_cast<int>(rec.Digits.size())) return std::string();
  if (rec.Exponent >= 0) return rec.Digits.substr(rec.Exponent);
  return std::string(-rec.Exponent, '0') + rec.Digits;
}

void AppendGrouped(String& out, const std::string& intDigits, bool group, Char separator) {
  const std::size_t n = intDigits.size();
  for (std::size_t i = 0; i < n; ++i) {
    out.push_back(static_cast<Char>(intDigits[i]));
    const std::size_t remaining = n - 1 - i;
    if (group && remaining > 0 && remaining % 3 == 0) out.push_back(separator);
  }
}

void AppendExponent(String& out, Char letter, int exponent, bool alwaysSign, int minDigits) {
  out.push_back(letter);
  if (exponent < 0)
    out.push_back(u'-');
  else if (alwaysSign)
    out.push_back(u'+');
  std::string digits = std::to_string(std::abs(exponent));
  if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, minDigits - digits.size(), '0');
  AppendAscii(out, digits);
}

String SpecialText(const TFloatRec& rec) {
  if (rec.IsNan()) return u"NAN";
  return rec.Negative ? u"-INF" : u"INF";
}

// rec is already rounded to `precision` significant digits.
String GeneralText(const TFloatRec& rec, int precision, int expDigits, const TFormatSettings& fs) {
  if (rec.Digits.empty()) return u"0";
  String out;
  if (rec.Negative) out.push_back(u'-');
  if (rec.Exponent > precision || rec.Exponent < -3) {
    out.push_back(static_cast<Char>(rec.Digits[0]));
    if (rec.Digits.size() > 1) {
      out.push_back(fs.DecimalSeparator);
      AppendDigits(out, rec.Digits, 1, rec.Digits.size() - 1);
    }
    AppendExponent(out, u'E', rec.Exponent - 1, false, expDigits);
    return out;
  }
  const std::string intPart = IntegerPart(rec);
  const std::string fracPart = FractionPart(rec);
  if (intPart.empty())
    out.push_back(u'0');
  else
    AppendAscii(out, intPart);
  if (!fracPart.empty()) {
    out.push_back(fs.DecimalSeparator);
    AppendAscii(out, fracPart);
  }
  return out;
}

String ExponentText(TFloatRec rec, int precision, int expDigits, const TFormatSettings& fs) {
  RoundAt(rec, precision, false);
  String out;
  if (rec.Negative && !rec.Digits.empty()) out.push_back(u'-');
  out.push_back(rec.Digits.empty() ? u'0' : static_cast<Char>(rec.Digits[0]));
  if (precision > 1) {
    out.push_back(fs.DecimalSeparator);
    AppendDigits(out, rec.Digits, 1, precision - 1);
  }
  AppendExponent(out, u'E', rec.Digits.empty() ? 0 : rec.Exponent - 1, true, expDigits);
  return out;
}

// The unsigned number with `decimals` decimals, grouped or not.
String PlainNumber(const TFloatRec& rec, int decimals, bool group, const TFormatSettings& fs) {
  String out;
  const std::string intPart = IntegerPart(rec);
  if (intPart.empty())
    out.push_back(u'0');
  else
    AppendGrouped(out, intPart, group, fs.ThousandSeparator);
  if (decimals > 0) {
    out.push_back(fs.DecimalSeparator);
    std::string frac = FractionPart(rec);
    frac.resize(decimals, '0');
    AppendAscii(out, frac);
  }
  return out;
}

String WithCurrency(const String& number, bool negative, const TFormatSettings& fs) {
  const String& c = fs.CurrencyString;
  if (!negative) {
    switch (fs.CurrencyFormat) {
      case 0:
        return c + number;
      case 1:
        return number + c;
      case 2:
        return c + u' ' + number;
      default:
        return number + u' ' + c;
    }
  }
  switch (fs.NegCurrFormat) {
    case 0:
      return u'(' + c + number + u')';
    case 1:
      return u'-' + c + number;
    case 2:
      return c + u'-' + number;
    case 3:
      return c + number + u'-';
    case 4:
      return u'(' + number + c + u')';
    case 5:
      return u'-' + number + c;
    case 6:
      return number + u'-' + c;
    case 7:
      return number + c + u'-';
    case 8:
      return u'-' + number + u' ' + c;
    case 9:
      return u'-' + c + u' ' + number;
    case 10:
      return number + u' ' + c + u'-';
    case 11:
      return c + u' ' + number + u'-';
    case 12:
      return c + u' ' + u'-' + number;
    case 13:
      return number + u'-' + u' ' + c;
    case 14:
      return u'(' + c + u' ' + number + u')';
    default:
      return u'(' + number + u' ' + c + u')';
  }
}

String FormatRec(TFloatRec rec, TFloatFormat format, int precision, int digits, const TFormatSettings& fs) {
  if (rec.IsNan() || rec.IsInf()) return SpecialText(rec);
  switch (format) {
    case ffGeneral:
      RoundAt(rec, precision, false);
      return GeneralText(rec, precision, std::clamp(digits, 0, 4), fs);
    case ffExponent:
      return ExponentText(rec, precision, std::clamp(digits, 0, 4), fs);
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      digits = std::clamp(digits, 0, kMaxDecimalPrecision);
      RoundAt(rec, KeepFor(rec, precision, digits), false);
      if (rec.Exponent > precision) return GeneralText(rec, precision, 0, fs);
      const bool negative = rec.Negative && !rec.Digits.empty();
      const String number = PlainNumber(rec, digits, format != ffFixed, fs);
      if (format == ffCurrency) return WithCurrency(number, negative, fs);
      return negative ? u'-' + number : number;
    }
  }
  return String();
}

// One section of a FormatFloat mask, analysed.
struct MaskSection {
  std::u16string_view text;
  int intPlaceholders = 0;
  int minIntDigits = 0;
  int fracMin = 0;
  int fracMax = 0;
  bool group = false;
  bool scientific = false;
  int expDigits = 0;
};

std::vector<std::u16string_view> SplitSections(std::u16string_view mask) {
  std::vector<std::u16string_view> sections;
  std::size_t start = 0;
  Char quote = 0;
  for (std::size_t i = 0; i < mask.size(); ++i) {
    const Char c = mask[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == u'"' || c == u'\'') {
      quote = c;
    } else if (c == u';' && sections.size() < 2) {
      sections.push_back(mask.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(mask.substr(start));
  return sections;
}

bool IsExponentAt(std::u16string_view s, std::size_t i) {
  return (s[i] == u'E' || s[i] == u'e') && i + 1 < s.size() && (s[i + 1] == u'+' || s[i + 1] == u'-');
}

MaskSection AnalyseSection(std::u16string_view text) {
  MaskSection m;
  m.text = text;
  bool afterPoint = false;
  int firstIntZero = -1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const Char c = text[i];
    if (c == u'"' || c == u'\'') {
      const std::size_t close = text.find(c, i + 1);
      i = close == std::u16string_view::npos ? text.size() : close;
    } else if (c == u'0' || c == u'#') {
      // Placeholders after the exponent belong to nothing.
      if (m.scientific) continue;
      if (!afterPoint) {
        if (c == u'0' && firstIntZero < 0) firstIntZero = m.intPlaceholders;
        ++m.intPlaceholders;
      } else {
        ++m.fracMax;
        if (c == u'0') m.fracMin = m.fracMax;
      }
    } else if (c == u'.') {
      afterPoint = true;
    } else if (c == u',') {
      m.group = true;
    } else if (!m.scientific && IsExponentAt(text, i)) {
      m.scientific = true;
      i += 2;
      while (i < text.size() && text[i] == u'0') {
        ++m.expDigits;
        ++i;
      }
      --i;
    }
  }
  if (firstIntZero >= 0) m.minIntDigits = m.intPlaceholders - firstIntZero;
  return m;
}

// Rounds rec as the section shows it; for the scientific form, returns the decimal exponent shown.
int RoundForSection(TFloatRec& rec, const MaskSection& m) {
  if (!m.scientific) {
    RoundAt(rec, KeepFor(rec, kNoLimit, m.fracMax), false);
    return 0;
  }
  const int mantissaInt = std::max(1, m.intPlaceholders);
  RoundAt(rec, mantissaInt + m.fracMax, false);
  if (rec.Digits.empty()) return 0;
  const int exponent = rec.Exponent - mantissaInt;
  rec.Exponent = mantissaInt;
  return exponent;
}

String ApplySection(const MaskSection& m, const TFloatRec& rec, int exponent, bool minus,
                    const TFormatSettings& fs) {
  std::string intDigits = IntegerPart(rec);
  if (static_cast<int>(intDigits.size()) < m.minIntDigits)
    intDigits.insert(0, m.minIntDigits - intDigits.size(), '0');
  std::string frac = FractionPart(rec);
  if (static_cast<int>(frac.size()) < m.fracMin) frac.resize(m.fracMin, '0');
  const bool group = m.group && !m.scientific;
  const int n = static_cast<int>(intDigits.size());

  String out;
  if (minus) out.push_back(u'-');
  int intSeen = 0;
  int fracSeen = 0;
  bool afterPoint = false;
  bool pendingInt = m.intPlaceholders == 0 && n > 0;
  auto emitIntDigit = [&](int index) {
    out.push_back(static_cast<Char>(intDigits[index]));
    const int remaining = n - 1 - index;
    if (group && remaining > 0 && remaining % 3 == 0) out.push_back(fs.ThousandSeparator);
  };
  // With no integer placeholders the integer digits go where the point is.
  auto flushIntegerWithoutPlaceholders = [&]() {
    if (!pendingInt) return;
    for (int i = 0; i < n; ++i) emitIntDigit(i);
    pendingInt = false;
  };
  const std::u16string_view text = m.text;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const Char c = text[i];
    if (c == u'"' || c == u'\'') {
      const std::size_t close = text.find(c, i + 1);
      const std::size_t end = close == std::u16string_view::npos ? text.size() : close;
      out.append(text.substr(i + 1, end - i - 1));
      i = end;
    } else if (c == u'0' || c == u'#') {
      if (!afterPoint) {
        // The k-th placeholder from the right shows the k-th digit from the right; the leftmost
        // one also shows every digit that has no placeholder of its own.
        const int fromRight = m.intPlaceholders - 1 - intSeen;
        const int first = intSeen == 0 ? 0 : n - 1 - fromRight;
        const int last = n - 1 - fromRight;
        for (int d = std::max(first, 0); d <= last; ++d) emitIntDigit(d);
        ++intSeen;
      } else {
        if (fracSeen < static_cast<int>(frac.size())) out.push_back(static_cast<Char>(frac[fracSeen]));
        ++fracSeen;
      }
    } else if (c == u'.') {
      if (afterPoint) continue;
      flushIntegerWithoutPlaceholders();
      afterPoint = true;
      if (!frac.empty()) out.push_back(fs.DecimalSeparator);
    } else if (c == u',') {
      continue;
    } else if (m.scientific && IsExponentAt(text, i)) {
      flushIntegerWithoutPlaceholders();
      afterPoint = true;
      AppendExponent(out, c, exponent, text[i + 1] == u'+', m.expDigits);
      i += 2;
      while (i < text.size() && text[i] == u'0') ++i;
      --i;
      // Digits after the exponent are spent: nothing more of the mantissa shows.
      fracSeen = kNoLimit;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

bool HasPlaceholders(const MaskSection& m) { return m.intPlaceholders > 0 || m.fracMax > 0; }

String FormatWithMask(std::u16string_view mask, const TFloatRec& value, int maxIntDigits,
                      const TFormatSettings& fs) {
  if (value.IsNan() || value.IsInf()) return SpecialText(value);
  if (mask.empty()) {
    TFloatRec rec = value;
    RoundAt(rec, 15, false);
    return GeneralText(rec, 15, 0, fs);
  }
  const auto sections = SplitSections(mask);
  auto section = [&](std::size_t i) -> std::u16string_view {
    return i < sections.size() ? sections[i] : std::u16string_view();
  };
  const bool zero = value.Digits.empty();
  std::size_t index = zero ? 2 : (value.Negative ? 1 : 0);
  if (section(index).empty()) index = 0;

  MaskSection m = AnalyseSection(section(index));
  TFloatRec rec = value;
  int exponent = RoundForSection(rec, m);
  if (!zero && rec.Digits.empty() && !section(2).empty()) {
    // Rounded away to nothing: shown by the zero section when there is one.
    index = 2;
    m = AnalyseSection(section(2));
    rec = TFloatRec();
    exponent = 0;
  } else if (!zero && rec.Digits.empty()) {
    index = 0;
    m = AnalyseSection(section(0));
  }
  if (!m.scientific && rec.Exponent > maxIntDigits) {
    TFloatRec general = value;
    RoundAt(general, 15, false);
    return GeneralText(general, 15, 0, fs);
  }
  if (!HasPlaceholders(m)) return ApplySection(m, TFloatRec(), 0, false, fs);
  const bool minus = index == 0 && rec.Negative && !rec.Digits.empty();
  return ApplySection(m, rec, exponent, minus, fs);
}

bool IsBlank(Char c) { return c <= u' '; }

std::u16string_view TrimBlanks(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool EqualsAsciiNoCase(std::u16string_view s, std::string_view ascii) {
  if (s.size() != ascii.size()) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    Char c = s[i];
    if (c >= u'a' && c <= u'z') c = static_cast<Char>(c - u'a' + u'A');
    if (c != static_cast<Char>(ascii[i])) return false;
  }
  return true;
}

template <class T>
bool TryParseFloat(const String& s, T& value, const TFormatSettings& fs) {
  const std::u16string_view text = TrimBlanks(s);
  if (EqualsAsciiNoCase(text, "NAN")) {
    value = std::numeric_limits<T>::quiet_NaN();
    return true;
  }
  if (EqualsAsciiNoCase(text, "INF") || EqualsAsciiNoCase(text, "+INF") || EqualsAsciiNoCase(text, "-INF")) {
    value = text.front() == u'-' ? -std::numeric_limits<T>::infinity() : std::numeric_limits<T>::infinity();
    return true;
  }
  TFloatRec rec;
  if (!TryTextToDecimal(text, rec, fs.DecimalSeparator, false)) return false;
  // Values are read to double precision: the text "0.1" is the double 0.1 in every width.
  if constexpr (std::is_same_v<T, Single>) {
    double d;
    if (!DecimalToBinary(rec, d)) return false;
    if (std::isinf(static_cast<Single>(d))) return false;
    value = static_cast<Single>(d);
  } else {
    double d;
    if (!DecimalToBinary(rec, d)) return false;
    value = d;
  }
  return true;
}

[[noreturn]] void RaiseInvalidFloat(const String& s) {
  throw EConvertError(u"'" + s + u"' is not a valid floating point value");
}

}  // namespace

TFloatRec FloatToDecimal(Extended v) {
  TFloatRec rec;
  if (std::isnan(v)) {
    rec.Exponent = TFloatRec::kNanExponent;
    return rec;
  }
  rec.Negative = std::signbit(v);
  if (std::isinf(v)) {
    rec.Exponent = TFloatRec::kInfExponent;
    return rec;
  }
  if (v == 0) return rec;
  char buf[64];
  const double d = static_cast<double>(v);
  const auto result = static_cast<Extended>(d) == v
                          ? std::to_chars(buf, buf + sizeof buf, std::fabs(d), std::chars_format::scientific)
                          : std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific);
  // "D.DDDDe+XX"
  const char* p = buf;
  const char* end = result.ptr;
  for (; p < end && *p != 'e'; ++p)
    if (*p != '.') rec.Digits.push_back(*p);
  const int exp10 = std::atoi(std::string(p + 1, end).c_str());
  rec.Exponent = exp10 + 1;
  Normalize(rec);
  return rec;
}

void RoundDecimal(TFloatRec& rec, int precision, int decimals) {
  RoundAt(rec, KeepFor(rec, precision, decimals), false);
}

void RoundDecimalHalfEven(TFloatRec& rec, int precision, int decimals) {
  RoundAt(rec, KeepFor(rec, precision, decimals), true);
}

Extended DecimalToFloat(const TFloatRec& rec) {
  Extended v;
  if (!DecimalToBinary(rec, v)) v = rec.Negative ? -HUGE_VALL : HUGE_VALL;
  return v;
}

double DecimalToDouble(const TFloatRec& rec) {
  double v;
  if (!DecimalToBinary(rec, v)) v = rec.Negative ? -HUGE_VAL : HUGE_VAL;
  return v;
}

String FloatToStr(Extended v) { return FloatToStrF(v, ffGeneral, 15, 0, FormatSettings); }

String FloatToStr(Extended v, const TFormatSettings& fs) { return FloatToStrF(v, ffGeneral, 15, 0, fs); }

String FloatToStrF(Extended v, TFloatFormat format, int precision, int digits) {
  return FloatToStrF(v, format, precision, digits, FormatSettings);
}

String FloatToStrF(Extended v, TFloatFormat format, int precision, int digits, const TFormatSettings& fs) {
  return FormatRec(FloatToDecimal(v), format, std::clamp(precision, 1, kMaxBinaryPrecision),
                   std::min(digits, kMaxBinaryPrecision), fs);
}

String DecimalToStrF(const TFloatRec& rec, TFloatFormat format, int precision, int digits,
                     const TFormatSettings& fs) {
  return FormatRec(rec, format, std::clamp(precision, 1, kMaxDecimalPrecision), digits, fs);
}

String FormatFloat(const String& mask, Extended v) { return FormatFloat(mask, v, FormatSettings); }

String FormatFloat(const String& mask, Extended v, const TFormatSettings& fs) {
  return FormatWithMask(mask, FloatToDecimal(v), kMaxBinaryIntDigits, fs);
}

String FormatDecimal(const String& mask, const TFloatRec& rec, const TFormatSettings& fs) {
  return FormatWithMask(mask, rec, kMaxDecimalPrecision, fs);
}

bool TryTextToDecimal(std::u16string_view text, TFloatRec& rec, Char decimalSeparator, bool acceptDot) {
  text = TrimBlanks(text);
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  std::string digits;
  int intCount = 0;
  bool seenPoint = false;
  bool anyDigit = false;
  for (; i < text.size(); ++i) {
    const Char c = text[i];
    if (c >= u'0' && c <= u'9') {
      anyDigit = true;
      // Leading zeros carry nothing; skipping them keeps huge zero-padded texts cheap.
      if (digits.empty() && c == u'0') {
        if (seenPoint) --intCount;
        continue;
      }
      digits.push_back(static_cast<char>(c));
      if (!seenPoint) ++intCount;
    } else if (!seenPoint && (c == decimalSeparator || (acceptDot && c == u'.'))) {
      seenPoint = true;
    } else {
      break;
    }
  }
  if (!anyDigit) return false;
  long exponent = 0;
  if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
    ++i;
    bool expNegative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) expNegative = text[i++] == u'-';
    bool expDigit = false;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
      expDigit = true;
      if (exponent < 1000000) exponent = exponent * 10 + (text[i] - u'0');
    }
    if (!expDigit) return false;
    if (expNegative) exponent = -exponent;
  }
  if (i != text.size()) return false;
  rec = TFloatRec();
  rec.Negative = negative;
  rec.Digits = std::move(digits);
  rec.Exponent = static_cast<int>(intCount + exponent);
  Normalize(rec);
  return true;
}

Extended StrToFloat(const String& s) { return StrToFloat(s, FormatSettings); }

Extended StrToFloat(const String& s, const TFormatSettings& fs) {
  Extended v;
  if (!TryParseFloat(s, v, fs)) RaiseInvalidFloat(s);
  return v;
}

bool TryStrToFloat(const String& s, Extended& value) { return TryParseFloat(s, value, FormatSettings); }
bool TryStrToFloat(const String& s, Extended& value, const TFormatSettings& fs) {
  return TryParseFloat(s, value, fs);
}
bool TryStrToFloat(const String& s, Double& value) { return TryParseFloat(s, value, FormatSettings); }
bool TryStrToFloat(const String& s, Double& value, const TFormatSettings& fs) {
  return TryParseFloat(s, value, fs);
}
bool TryStrToFloat(const String& s, Single& value) { return TryParseFloat(s, value, FormatSettings); }
bool TryStrToFloat(const String& s, Single& value, const TFormatSettings& fs) {
  return TryParseFloat(s, value, fs);
}

Extended StrToFloatDef(const String& s, Extended defaultValue) {
  return StrToFloatDef(s, defaultValue, FormatSettings);
}

Extended StrToFloatDef(const String& s, Extended defaultValue, const TFormatSettings& fs) {
  Extended v;
  return TryParseFloat(s, v, fs) ? v : defaultValue;
}
