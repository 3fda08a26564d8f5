// windows-1251 conversions: the byte table is read once from glibc's iconv, then both directions are
// table look-ups, which gives exact error offsets and '?' for unmappable characters.
#include "platform/rtl/AnsiString.h"

#include <errno.h>
#include <iconv.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {

constexpr Char kUnassigned = 0xFFFF;
constexpr Char kReplacement = 0xFFFD;

struct Cp1251Table {
  std::array<Char, 256> toUnicode{};
  // (character, byte) for bytes 0x80..0xFF, sorted by character.
  std::vector<std::pair<Char, unsigned char>> fromUnicode;
};

Char DecodeByteWithIconv(iconv_t cd, unsigned char byte) {
  char in[1] = {static_cast<char>(byte)};
  char out[8];
  char* inPtr = in;
  char* outPtr = out;
  size_t inLeft = 1;
  size_t outLeft = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return kUnassigned;
  if (sizeof out - outLeft != 2) return kUnassigned;
  return static_cast<Char>(static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8));
}

Cp1251Table BuildTable() {
  const iconv_t cd = iconv_open("UTF-16LE", "WINDOWS-1251");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw EEncodingError(u"The windows-1251 code page is not available (iconv)");
  }
  Cp1251Table table;
  for (int b = 0; b < 256; ++b) {
    table.toUnicode[b] =
        b < 0x80 ? static_cast<Char>(b) : DecodeByteWithIconv(cd, static_cast<unsigned char>(b));
    if (b >= 0x80 && table.toUnicode[b] != kUnassigned) {
      table.fromUnicode.emplace_back(table.toUnicode[b], static_cast<unsigned char>(b));
    }
  }
  iconv_close(cd);
  std::sort(table.fromUnicode.begin(), table.fromUnicode.end());
  return table;
}

const Cp1251Table& Table() {
  static const Cp1251Table table = BuildTable();
  return table;
}

char EncodeChar(const Cp1251Table& table, Char c) {
  if (c < 0x80) return static_cast<char>(c);
  const auto it = std::lower_bound(table.fromUnicode.begin(), table.fromUnicode.end(),
                                   std::pair<Char, unsigned char>(c, 0));
  if (it != table.fromUnicode.end() && it->first == c) return static_cast<char>(it->second);
  return '?';
}

String Decode(std::string_view bytes, bool strict) {
  const Cp1251Table& table = Table();
  String out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const Char c = table.toUnicode[b];
    if (c != kUnassigned) {
      out += c;
      continue;
    }
    if (strict) {
      throw EEncodingError(u"Invalid windows-1251 byte 0x" + IntToHex(static_cast<int>(b), 2) +
                           u" at offset " + IntToStr(static_cast<unsigned long>(i)));
    }
    out += kReplacement;
  }
  return out;
}

}  // namespace

AnsiString::AnsiString(const String& text) : bytes_(StringToCp1251(text)) {}

std::string StringToCp1251(std::u16string_view s) {
  const Cp1251Table& table = Table();
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    // A surrogate pair is one character, so it becomes one '?'.
    if (IsHighSurrogate(s[i]) && i + 1 < s.size() && IsLowSurrogate(s[i + 1])) ++i;
    out += EncodeChar(table, s[i]);
  }
  return out;
}

String Cp1251ToString(std::string_view bytes) { return Decode(bytes, true); }
String Cp1251ToStringLenient(std::string_view bytes) { return Decode(bytes, false); }

bool IsValidCp1251(std::string_view bytes) {
  const Cp1251Table& table = Table();
  return std::none_of(bytes.begin(), bytes.end(),
                      [&](char b) { return table.toUnicode[static_cast<unsigned char>(b)] == kUnassigned; });
}

AnsiString StringToAnsi(const String& s) { return AnsiString(s); }
String AnsiToString(const AnsiString& s) { return Cp1251ToString(s.Bytes()); }

AnsiString Utf8ToAnsi(std::string_view utf8) { return AnsiString(Utf8ToString(utf8)); }
std::string AnsiToUtf8(const AnsiString& s) { return StringToUtf8(AnsiToString(s)); }
