// Code-page tables for RTF \'hh bytes, built once per page through iconv.
#include "platform/controls/RtfCodePages.h"

#include <iconv.h>

#include <map>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/classes/Encoding.h"

namespace {

bool BuildTable(Integer codePage, std::array<Char, 256>& table) {
  const std::string name = "CP" + std::to_string(codePage);
  iconv_t cd = iconv_open("UTF-16LE", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  for (int b = 0; b < 256; ++b) {
    char in[1] = {static_cast<char>(b)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = 1, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    if (r == static_cast<size_t>(-1) || outLeft != sizeof out - 2)
      table[b] = b < 0x80 ? static_cast<Char>(b) : u'?';
    else
      table[b] =
          static_cast<Char>(static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8));
  }
  iconv_close(cd);
  return true;
}

}  // namespace

const std::array<Char, 256>& RtfCodePageTable(Integer codePage) {
  static std::recursive_mutex mutex;
  static std::map<Integer, std::array<Char, 256>> tables;
  std::lock_guard<std::recursive_mutex> lock(mutex);
  if (auto it = tables.find(codePage); it != tables.end()) return it->second;
  std::array<Char, 256> table{};
  if (codePage == 1251) {
    // The system code page comes from the class layer, so both agree on every byte.
    std::string bytes(256, '\0');
    for (int b = 0; b < 256; ++b) bytes[b] = static_cast<char>(b);
    const String s = TEncoding::Default()->GetString(std::string_view(bytes));
    for (int b = 0; b < 256 && b < static_cast<int>(s.size()); ++b) table[b] = s[b];
  } else if (!BuildTable(codePage, table)) {
    table = RtfCodePageTable(1251);
  }
  return tables.emplace(codePage, table).first->second;
}

Integer RtfCharsetCodePage(Integer charset) {
  switch (charset) {
    case 77:
      return 10000;
    case 128:
      return 932;
    case 129:
      return 949;
    case 134:
      return 936;
    case 136:
      return 950;
    case 161:
      return 1253;
    case 162:
      return 1254;
    case 163:
      return 1258;
    case 177:
      return 1255;
    case 178:
      return 1256;
    case 186:
      return 1257;
    case 204:
      return 1251;
    case 222:
      return 874;
    case 238:
      return 1250;
    default:
      return 0;
  }
}

Integer RtfCp1251Byte(Char c) {
  static const std::unordered_map<Char, Integer> reverse = [] {
    std::unordered_map<Char, Integer> m;
    const auto& t = RtfCodePageTable(1251);
    for (int b = 0x80; b < 256; ++b)
      if (t[b] != u'?' && t[b] != 0x98) m.emplace(t[b], b);
    return m;
  }();
  if (c < 0x80) return c;
  auto it = reverse.find(c);
  return it == reverse.end() ? -1 : it->second;
}
