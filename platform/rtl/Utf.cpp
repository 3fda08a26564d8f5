// UTF-16 <-> UTF-8 conversion with replacement of malformed input.
#include "platform/rtl/Utf.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendUtf16(String& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<Char>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<Char>(0xD800 + (cp >> 10));
    out += static_cast<Char>(0xDC00 + (cp & 0x3FF));
  }
}

// Decodes one code point at i; advances i. Returns kReplacement for a malformed sequence.
char32_t DecodeUtf8(std::string_view s, size_t& i, bool& ok) {
  const auto b0 = static_cast<unsigned char>(s[i++]);
  ok = true;
  if (b0 < 0x80) return b0;
  int extra;
  char32_t cp;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, cp = b0 & 0x07, min = 0x10000;
  } else {
    ok = false;
    return kReplacement;
  }
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      ok = false;
      return kReplacement;
    }
    cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ok = false;
    return kReplacement;
  }
  return cp;
}

}  // namespace

std::string StringToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

String Utf8ToString(std::string_view bytes) {
  String out;
  out.reserve(bytes.size());
  size_t i = 0;
  bool ok;
  while (i < bytes.size()) AppendUtf16(out, DecodeUtf8(bytes, i, ok));
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  bool ok = true;
  while (i < bytes.size() && ok) DecodeUtf8(bytes, i, ok);
  return ok;
}
