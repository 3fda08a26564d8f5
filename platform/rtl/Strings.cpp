// The runtime's string routines. Case mapping comes from glibc's C.UTF-8 character tables; the Russian
// collation is our own key, since a ru_RU locale is not generated on a fresh machine.
#include "platform/rtl/Strings.h"

#include <errno.h>
#include <fcntl.h>
#include <locale.h>
#include <stdio.h>
#include <wctype.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Utf.h"

namespace {

// ---- Case mapping ----

locale_t Utf8CharacterTables() {
  static const locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return loc;
}

// Used only if the C.UTF-8 tables are missing: ASCII and Cyrillic, which the program needs most.
char32_t FallbackUpper(char32_t c) {
  if (c >= u'a' && c <= u'z') return c - 32;
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}

char32_t FallbackLower(char32_t c) {
  if (c >= u'A' && c <= u'Z') return c + 32;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

char32_t UpperCodePoint(char32_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? c - 32 : c;
  const locale_t loc = Utf8CharacterTables();
  return loc ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), loc)) : FallbackUpper(c);
}

char32_t LowerCodePoint(char32_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? c + 32 : c;
  const locale_t loc = Utf8CharacterTables();
  return loc ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), loc)) : FallbackLower(c);
}

// Reads the code point at i (a valid surrogate pair counts as one) and advances i.
char32_t NextCodePoint(const String& s, size_t& i) {
  const Char c = s[i++];
  if (IsHighSurrogate(c) && i < s.size() && IsLowSurrogate(s[i])) {
    return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (s[i++] - 0xDC00);
  }
  return c;
}

void AppendCodePoint(String& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<Char>(cp);
    return;
  }
  cp -= 0x10000;
  out += static_cast<Char>(0xD800 + (cp >> 10));
  out += static_cast<Char>(0xDC00 + (cp & 0x3FF));
}

template <typename Map>
String MapCodePoints(const String& s, Map map) {
  String out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) AppendCodePoint(out, map(NextCodePoint(s, i)));
  return out;
}

// Folds case unit by unit, keeping positions, for case-insensitive searching.
String FoldForSearch(const String& s) {
  String out(s);
  for (Char& c : out) {
    if (!IsSurrogate(c)) {
      const char32_t u = UpperCodePoint(c);
      if (u < 0x10000) c = static_cast<Char>(u);
    }
  }
  return out;
}

// ---- Russian collation key ----
//
// Primary weights, by group: blanks, punctuation and symbols, digits, Latin letters (an accented letter
// right after its base letter), Cyrillic letters in alphabet order (Russian, with the letters of the
// neighbouring alphabets next to their relatives), then everything else by code point. The weight is
// taken of the lower-case letter, so case never changes it; every lower-case code point has its own
// weight, so equal weights mean equal text up to case.

constexpr std::uint32_t kBlanks = 0x0000000;
constexpr std::uint32_t kSymbols = 0x0100000;
constexpr std::uint32_t kDigits = 0x0200000;
constexpr std::uint32_t kLatin = 0x0300000;
constexpr std::uint32_t kCyrillic = 0x0400000;
constexpr std::uint32_t kOther = 0x0500000;

// Base letters of U+00C0..U+017F ('.' for the few that are not letters with a base).
constexpr std::string_view kLatinBase =
    "AAAAAAACEEEEIIIIDNOOOOO.OUUUUYTsaaaaaaaceeeeiiiidnooooo.ouuuuyty"
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlLlLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTtTt"
    "Uu"
    "UuUuUuUuUuWwYyYZzZzZzs";
static_assert(kLatinBase.size() == 0x180 - 0xC0);

// Cyrillic lower-case letters in collation order.
constexpr std::u16string_view kCyrillicOrder = u"абвгґдђѓеёєжзѕиіїйјклљмнњопрстћќуўфхцчџшщъыьэюя";

bool IsSymbol(char32_t c) {
  return (c < 0x80 && !(c >= u'0' && c <= u'9') && !(c >= u'a' && c <= u'z')) || (c >= 0xA1 && c <= 0xBF) ||
         c == 0xD7 || c == 0xF7 || (c >= 0x2010 && c <= 0x2BFF);
}

bool IsBlank(char32_t c) {
  return c <= u' ' || c == 0xA0 || (c >= 0x2000 && c <= 0x200F) || c == 0x2028 || c == 0x2029 ||
         c == 0x202F || c == 0x3000 || c == 0xFEFF;
}

std::uint32_t PrimaryWeight(char32_t lower) {
  if (IsBlank(lower)) return kBlanks + lower;
  if (lower >= u'0' && lower <= u'9') return kDigits + lower;
  if (lower >= u'a' && lower <= u'z') return kLatin + (lower - u'a') * 0x400;
  if (lower >= 0xC0 && lower <= 0x17F && kLatinBase[lower - 0xC0] != '.') {
    const char base = static_cast<char>(LowerCodePoint(static_cast<unsigned char>(kLatinBase[lower - 0xC0])));
    return kLatin + (base - 'a') * 0x400 + lower;
  }
  if (IsSymbol(lower)) return kSymbols + lower;
  if (lower >= 0x400 && lower <= 0x52F) {
    const size_t rank = kCyrillicOrder.find(static_cast<Char>(lower));
    if (rank != std::u16string_view::npos) return kCyrillic + static_cast<std::uint32_t>(rank);
    return kCyrillic + 0x100 + lower;
  }
  return kOther + lower;
}

// Walks both strings at the primary level; then, for the Str variants, by case (lower first); then by
// code units, so that only identical strings compare equal.
int Collate(const String& a, const String& b, bool ignoreCase) {
  int caseOrder = 0;
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const char32_t ca = NextCodePoint(a, i);
    const char32_t cb = NextCodePoint(b, j);
    const char32_t la = LowerCodePoint(ca);
    const char32_t lb = LowerCodePoint(cb);
    const std::uint32_t wa = PrimaryWeight(la);
    const std::uint32_t wb = PrimaryWeight(lb);
    if (wa != wb) return wa < wb ? -1 : 1;
    if (caseOrder == 0) {
      const bool upperA = ca != la;
      const bool upperB = cb != lb;
      if (upperA != upperB) caseOrder = upperA ? 1 : -1;
    }
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  if (ignoreCase) return 0;
  if (caseOrder != 0) return caseOrder;
  const int ordinal = a.compare(b);
  return ordinal < 0 ? -1 : (ordinal > 0 ? 1 : 0);
}

// ---- Integers ----

template <typename T>
String UnsignedToStr(T value, bool negative) {
  Char buf[24];
  int n = 0;
  do {
    buf[n++] = static_cast<Char>(u'0' + value % 10);
    value /= 10;
  } while (value != 0);
  String out;
  out.reserve(n + 1);
  if (negative) out += u'-';
  while (n > 0) out += buf[--n];
  return out;
}

template <typename T>
String SignedToStr(T value) {
  using U = std::make_unsigned_t<T>;
  const U magnitude = value < 0 ? U(0) - static_cast<U>(value) : static_cast<U>(value);
  return UnsignedToStr(magnitude, value < 0);
}

String HexDigits(UInt64 value, int digits) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  String out;
  do {
    out += kHex[value & 0xF];
    value >>= 4;
  } while (value != 0);
  if (digits > static_cast<int>(out.size())) out.append(digits - out.size(), u'0');
  std::reverse(out.begin(), out.end());
  return out;
}

int HexValue(Char c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// Parses integer text into a value of `bits` bits. Decimal text must fit the signed range; hex text
// may fill every bit and is taken as the two's complement pattern.
bool ParseInteger(const String& s, int bits, Int64& value) {
  const UInt64 unsignedMax = bits == 64 ? std::numeric_limits<UInt64>::max() : (UInt64(1) << bits) - 1;
  const UInt64 signedMax = unsignedMax >> 1;
  size_t i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) negative = s[i++] == u'-';
  bool hex = false;
  if (i < s.size() && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i == s.size()) return false;
  const UInt64 limit = hex ? unsignedMax : signedMax + (negative ? 1 : 0);
  const unsigned base = hex ? 16 : 10;
  UInt64 magnitude = 0;
  for (; i < s.size(); ++i) {
    const int digit = hex ? HexValue(s[i]) : (s[i] >= u'0' && s[i] <= u'9' ? s[i] - u'0' : -1);
    if (digit < 0) return false;
    if (magnitude > (limit - digit) / base) return false;
    magnitude = magnitude * base + digit;
  }
  UInt64 pattern = negative ? UInt64(0) - magnitude : magnitude;
  if (bits < 64) {
    pattern &= unsignedMax;
    // Sign-extend the narrow pattern.
    if (pattern > signedMax) pattern |= ~unsignedMax;
  }
  value = static_cast<Int64>(pattern);
  return true;
}

[[noreturn]] void RaiseInvalidInteger(const String& s) {
  throw EConvertError(u"'" + s + u"' is not a valid integer value");
}

// ---- File names ----

std::filesystem::path OsPath(const String& name) { return std::filesystem::path(StringToUtf8(name)); }

String FoldDotSegments(const String& absolute) {
  std::vector<String> parts;
  size_t start = 1;
  while (start <= absolute.size()) {
    size_t end = absolute.find(PathDelim, start);
    if (end == String::npos) end = absolute.size();
    const String part = absolute.substr(start, end - start);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  String out;
  for (const String& part : parts) out += PathDelim + part;
  if (out.empty() || (absolute.size() > 1 && absolute.back() == PathDelim)) out += PathDelim;
  return out;
}

}  // namespace

// ---- Length, copy, search and edit ----

String Copy(const String& s, int index, int count) {
  if (index < 1) index = 1;
  if (count <= 0 || index > Length(s)) return String();
  return s.substr(index - 1, count);
}

int Pos(const String& substr, const String& s) { return PosEx(substr, s, 1); }

int PosEx(const String& substr, const String& s, int offset) {
  if (substr.empty() || offset < 1 || offset > Length(s)) return 0;
  const size_t found = s.find(substr, offset - 1);
  return found == String::npos ? 0 : static_cast<int>(found) + 1;
}

void Delete(String& s, int index, int count) {
  if (index < 1 || index > Length(s) || count <= 0) return;
  s.erase(index - 1, count);
}

void Insert(const String& source, String& s, int index) {
  index = std::clamp(index, 1, Length(s) + 1);
  s.insert(index - 1, source);
}

void SetLength(String& s, int newLength) { s.resize(std::max(newLength, 0), u'\0'); }

String Trim(const String& s) { return TrimLeft(TrimRight(s)); }

String TrimLeft(const String& s) {
  size_t i = 0;
  while (i < s.size() && s[i] <= u' ') ++i;
  return s.substr(i);
}

String TrimRight(const String& s) {
  size_t n = s.size();
  while (n > 0 && s[n - 1] <= u' ') --n;
  return s.substr(0, n);
}

String StringReplace(const String& s, const String& oldPattern, const String& newPattern,
                     TReplaceFlags flags) {
  if (oldPattern.empty()) return s;
  const bool ignoreCase = flags.Contains(rfIgnoreCase);
  const String haystack = ignoreCase ? FoldForSearch(s) : String();
  const String needle = ignoreCase ? FoldForSearch(oldPattern) : String();
  const String& searchIn = ignoreCase ? haystack : s;
  const String& searchFor = ignoreCase ? needle : oldPattern;
  String out;
  size_t from = 0;
  while (true) {
    const size_t found = searchIn.find(searchFor, from);
    if (found == String::npos) break;
    out.append(s, from, found - from);
    out += newPattern;
    from = found + searchFor.size();
    if (!flags.Contains(rfReplaceAll)) break;
  }
  out.append(s, from, String::npos);
  return out;
}

// ---- Case and comparison ----

String UpperCase(const String& s) {
  String out(s);
  for (Char& c : out) {
    if (c >= u'a' && c <= u'z') c -= 32;
  }
  return out;
}

String LowerCase(const String& s) {
  String out(s);
  for (Char& c : out) {
    if (c >= u'A' && c <= u'Z') c += 32;
  }
  return out;
}

String AnsiUpperCase(const String& s) { return MapCodePoints(s, UpperCodePoint); }
String AnsiLowerCase(const String& s) { return MapCodePoints(s, LowerCodePoint); }

Char AnsiUpperChar(Char c) {
  if (IsSurrogate(c)) return c;
  const char32_t u = UpperCodePoint(c);
  return u < 0x10000 ? static_cast<Char>(u) : c;
}

Char AnsiLowerChar(Char c) {
  if (IsSurrogate(c)) return c;
  const char32_t l = LowerCodePoint(c);
  return l < 0x10000 ? static_cast<Char>(l) : c;
}

int CompareStr(const String& s1, const String& s2) {
  const size_t n = std::min(s1.size(), s2.size());
  for (size_t i = 0; i < n; ++i) {
    if (s1[i] != s2[i]) return static_cast<int>(s1[i]) - static_cast<int>(s2[i]);
  }
  return static_cast<int>(s1.size()) - static_cast<int>(s2.size());
}

int CompareText(const String& s1, const String& s2) { return CompareStr(UpperCase(s1), UpperCase(s2)); }

bool SameStr(const String& s1, const String& s2) { return s1 == s2; }

bool SameText(const String& s1, const String& s2) {
  return s1.size() == s2.size() && CompareText(s1, s2) == 0;
}

int AnsiCompareStr(const String& s1, const String& s2) { return Collate(s1, s2, false); }
std::u32string AnsiTextSortKey(const String& s) {
  std::u32string key;
  key.reserve(s.size());
  for (size_t i = 0; i < s.size();)
    key.push_back(static_cast<char32_t>(PrimaryWeight(LowerCodePoint(NextCodePoint(s, i)))));
  return key;
}

int AnsiCompareText(const String& s1, const String& s2) { return Collate(s1, s2, true); }
bool AnsiSameStr(const String& s1, const String& s2) { return s1 == s2; }
bool AnsiSameText(const String& s1, const String& s2) { return Collate(s1, s2, true) == 0; }

int AnsiPos(const String& substr, const String& s) { return Pos(substr, s); }

bool AnsiStartsText(const String& subText, const String& text) {
  return subText.size() <= text.size() && AnsiSameText(subText, text.substr(0, subText.size()));
}

bool AnsiEndsText(const String& subText, const String& text) {
  return subText.size() <= text.size() && AnsiSameText(subText, text.substr(text.size() - subText.size()));
}

bool AnsiContainsText(const String& text, const String& subText) {
  return FoldForSearch(text).find(FoldForSearch(subText)) != String::npos;
}

bool StartsStr(const String& subText, const String& text) { return text.starts_with(subText); }
bool EndsStr(const String& subText, const String& text) { return text.ends_with(subText); }
bool ContainsStr(const String& text, const String& subText) { return text.find(subText) != String::npos; }

// ---- Building strings ----

String LeftStr(const String& s, int count) { return Copy(s, 1, count); }

String RightStr(const String& s, int count) {
  if (count <= 0) return String();
  return count >= Length(s) ? s : s.substr(s.size() - count);
}

String MidStr(const String& s, int start, int count) { return Copy(s, start, count); }

String StringOfChar(Char c, int count) { return count > 0 ? String(count, c) : String(); }

String DupeString(const String& s, int count) {
  String out;
  if (count <= 0) return out;
  out.reserve(s.size() * count);
  for (int i = 0; i < count; ++i) out += s;
  return out;
}

String ReverseString(const String& s) {
  String out(s.rbegin(), s.rend());
  for (size_t i = 0; i + 1 < out.size(); ++i) {
    if (IsLowSurrogate(out[i]) && IsHighSurrogate(out[i + 1])) {
      std::swap(out[i], out[i + 1]);
      ++i;
    }
  }
  return out;
}

String QuotedStr(const String& s) { return AnsiQuotedStr(s, u'\''); }

String AnsiQuotedStr(const String& s, Char quote) {
  String out;
  out.reserve(s.size() + 2);
  out += quote;
  for (Char c : s) {
    out += c;
    if (c == quote) out += quote;
  }
  out += quote;
  return out;
}

String AnsiExtractQuotedStr(const Char*& src, Char quote) {
  if (src == nullptr || *src != quote) return String();
  const Char* p = src + 1;
  String out;
  while (*p != u'\0') {
    if (*p == quote) {
      if (p[1] != quote) {
        ++p;
        break;
      }
      ++p;
    }
    out += *p++;
  }
  src = p;
  return out;
}

String AnsiDequotedStr(const String& s, Char quote) {
  const Char* p = s.c_str();
  const String inner = AnsiExtractQuotedStr(p, quote);
  const bool enclosed = s.size() >= 2 && s.front() == quote && s.back() == quote;
  if ((inner.empty() || *p == u'\0') && !s.empty() && !enclosed) return s;
  return inner;
}

int LastDelimiter(const String& delimiters, const String& s) {
  const size_t found = s.find_last_of(delimiters);
  return found == String::npos ? 0 : static_cast<int>(found) + 1;
}

bool IsDelimiter(const String& delimiters, const String& s, int index) {
  if (index < 1 || index > Length(s)) return false;
  return delimiters.find(s[index - 1]) != String::npos;
}

String AdjustLineBreaks(const String& s, TTextLineBreakStyle style) {
  const String lineBreak = style == tlbsCRLF ? u"\r\n" : (style == tlbsLF ? u"\n" : u"\r");
  String out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const Char c = s[i];
    if (c != u'\r' && c != u'\n') {
      out += c;
      continue;
    }
    const Char pair = c == u'\r' ? u'\n' : u'\r';
    if (i + 1 < s.size() && s[i + 1] == pair) ++i;
    out += lineBreak;
  }
  return out;
}

bool CharInSet(Char c, const TSysCharSet& set) { return set.Contains(c); }

String WrapText(const String& line, const String& breakStr, const TSysCharSet& breakChars, int maxCol) {
  if (maxCol < 1 || breakStr.empty()) return line;
  String out;
  size_t lineStart = 0;              // start of the output line being built
  size_t breakAfter = String::npos;  // last break character of this line outside quotes
  Char quote = 0;
  size_t i = 0;
  while (i < line.size()) {
    if (quote == 0 && line.compare(i, breakStr.size(), breakStr) == 0) {
      // An existing break starts a fresh line.
      i += breakStr.size();
      out.append(line, lineStart, i - lineStart);
      lineStart = i;
      breakAfter = String::npos;
      continue;
    }
    const Char c = line[i];
    if (c == u'\'' || c == u'"') {
      if (quote == 0) {
        quote = c;
      } else if (quote == c) {
        quote = 0;
      }
    } else if (quote == 0 && breakChars.Contains(c)) {
      breakAfter = i;
    }
    ++i;
    if (i - lineStart > static_cast<size_t>(maxCol) && breakAfter != String::npos && breakAfter + 1 < i) {
      // Blanks at the cut are dropped; a visible break character (a hyphen) stays on the line.
      size_t end = breakAfter + 1;
      while (end > lineStart && line[end - 1] <= u' ') --end;
      out.append(line, lineStart, end - lineStart);
      out += breakStr;
      lineStart = breakAfter + 1;
      while (lineStart < line.size() && line[lineStart] <= u' ' && breakChars.Contains(line[lineStart])) {
        ++lineStart;
      }
      i = std::max(i, lineStart);
      breakAfter = String::npos;
    }
  }
  out.append(line, lineStart, String::npos);
  return out;
}

String WrapText(const String& line, int maxCol) {
  return WrapText(line, sLineBreak, {u' ', u'-', u'\t'}, maxCol);
}

// ---- Surrogate pairs ----

bool IsSurrogate(const String& s, int index) {
  return index >= 1 && index <= Length(s) && IsSurrogate(s[index - 1]);
}

bool IsHighSurrogate(const String& s, int index) {
  return index >= 1 && index <= Length(s) && IsHighSurrogate(s[index - 1]);
}

bool IsLowSurrogate(const String& s, int index) {
  return index >= 1 && index <= Length(s) && IsLowSurrogate(s[index - 1]);
}

int NextCharIndex(const String& s, int index) {
  if (IsHighSurrogate(s, index) && IsLowSurrogate(s, index + 1)) return index + 2;
  return index + 1;
}

// ---- Integers and booleans as text ----

String IntToStr(int value) { return SignedToStr(value); }
String IntToStr(unsigned value) { return UnsignedToStr(value, false); }
String IntToStr(long value) { return SignedToStr(value); }
String IntToStr(unsigned long value) { return UnsignedToStr(value, false); }
String IntToStr(long long value) { return SignedToStr(value); }
String IntToStr(unsigned long long value) { return UnsignedToStr(value, false); }

String IntToHex(Integer value, int digits) { return HexDigits(static_cast<Cardinal>(value), digits); }
String IntToHex(Cardinal value, int digits) { return HexDigits(value, digits); }
String IntToHex(Int64 value, int digits) { return HexDigits(static_cast<UInt64>(value), digits); }
String IntToHex(UInt64 value, int digits) { return HexDigits(value, digits); }

Integer StrToInt(const String& s) {
  Integer value;
  if (!TryStrToInt(s, value)) RaiseInvalidInteger(s);
  return value;
}

Int64 StrToInt64(const String& s) {
  Int64 value;
  if (!TryStrToInt64(s, value)) RaiseInvalidInteger(s);
  return value;
}

Integer StrToIntDef(const String& s, Integer defaultValue) {
  Integer value;
  return TryStrToInt(s, value) ? value : defaultValue;
}

Int64 StrToInt64Def(const String& s, Int64 defaultValue) {
  Int64 value;
  return TryStrToInt64(s, value) ? value : defaultValue;
}

bool TryStrToInt(const String& s, Integer& value) {
  Int64 wide;
  if (!ParseInteger(s, 32, wide)) return false;
  value = static_cast<Integer>(wide);
  return true;
}

bool TryStrToInt64(const String& s, Int64& value) { return ParseInteger(s, 64, value); }

String BoolToStr(bool b, bool useBoolStrs) {
  if (useBoolStrs) return b ? u"True" : u"False";
  return b ? u"-1" : u"0";
}

bool StrToBool(const String& s) {
  bool value;
  if (!TryStrToBool(s, value)) throw EConvertError(u"'" + s + u"' is not a valid boolean value");
  return value;
}

bool StrToBoolDef(const String& s, bool defaultValue) {
  bool value;
  return TryStrToBool(s, value) ? value : defaultValue;
}

bool TryStrToBool(const String& s, bool& value) {
  Int64 number;
  if (TryStrToInt64(s, number)) {
    value = number != 0;
    return true;
  }
  if (SameText(s, u"True")) {
    value = true;
    return true;
  }
  if (SameText(s, u"False")) {
    value = false;
    return true;
  }
  return false;
}

// ---- File names ----

String ExtractFilePath(const String& fileName) { return fileName.substr(0, LastDelimiter(u"/", fileName)); }

String ExtractFileDir(const String& fileName) {
  const int i = LastDelimiter(u"/", fileName);
  if (i == 1) return u"/";
  return i > 1 ? fileName.substr(0, i - 1) : String();
}

String ExtractFileName(const String& fileName) { return fileName.substr(LastDelimiter(u"/", fileName)); }

String ExtractFileExt(const String& fileName) {
  const int i = LastDelimiter(u"./", fileName);
  if (i > 0 && fileName[i - 1] == u'.') return fileName.substr(i - 1);
  return String();
}

String ChangeFileExt(const String& fileName, const String& extension) {
  int i = LastDelimiter(u"./", fileName);
  if (i == 0 || fileName[i - 1] != u'.') i = Length(fileName) + 1;
  return fileName.substr(0, i - 1) + extension;
}

String ExpandFileName(const String& fileName) {
  if (fileName.empty()) return String();
  const String absolute =
      fileName.front() == PathDelim ? fileName : IncludeTrailingPathDelimiter(GetCurrentDir()) + fileName;
  return FoldDotSegments(absolute);
}

String IncludeTrailingPathDelimiter(const String& s) {
  return (!s.empty() && s.back() == PathDelim) ? s : s + PathDelim;
}

String ExcludeTrailingPathDelimiter(const String& s) {
  if (s.size() > 1 && s.back() == PathDelim) return s.substr(0, s.size() - 1);
  return s;
}

bool FileExists(const String& fileName) {
  std::error_code ec;
  const auto status = std::filesystem::status(OsPath(fileName), ec);
  return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

bool DirectoryExists(const String& directory) {
  std::error_code ec;
  return !directory.empty() && std::filesystem::is_directory(OsPath(directory), ec);
}

bool ForceDirectories(const String& dir) {
  if (dir.empty()) throw EInOutError(u"Unable to create directory");
  std::error_code ec;
  const auto path = OsPath(ExcludeTrailingPathDelimiter(dir));
  std::filesystem::create_directories(path, ec);
  return std::filesystem::is_directory(path, ec);
}

bool DeleteFile(const String& fileName) {
  if (!FileExists(fileName)) return false;
  std::error_code ec;
  return std::filesystem::remove(OsPath(fileName), ec);
}

bool RenameFile(const String& oldName, const String& newName) {
  // The class library never replaces an existing file; the kernel checks that atomically where it can.
  const std::string from = StringToUtf8(oldName);
  const std::string to = StringToUtf8(newName);
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  std::error_code ec;
  if (std::filesystem::exists(OsPath(newName), ec)) return false;
  std::filesystem::rename(OsPath(oldName), OsPath(newName), ec);
  return !ec;
}

String GetCurrentDir() {
  std::error_code ec;
  const auto cwd = std::filesystem::current_path(ec);
  return ec ? String() : Utf8ToString(cwd.string());
}
