// Text encodings: conversion through the runtime's UTF-8 and windows-1251 routines.
#include "platform/classes/Encoding.h"

#include "platform/rtl/AnsiString.h"
#include "platform/rtl/Utf.h"

const TEncoding* TEncoding::Default() {
  static const TEncoding e(ekCp1251);
  return &e;
}
const TEncoding* TEncoding::UTF8() {
  static const TEncoding e(ekUtf8);
  return &e;
}
const TEncoding* TEncoding::Unicode() {
  static const TEncoding e(ekUtf16LE);
  return &e;
}
const TEncoding* TEncoding::BigEndianUnicode() {
  static const TEncoding e(ekUtf16BE);
  return &e;
}

String TEncoding::EncodingName() const {
  switch (kind_) {
    case ekCp1251:
      return u"windows-1251";
    case ekUtf8:
      return u"UTF-8";
    case ekUtf16LE:
      return u"UTF-16LE";
    case ekUtf16BE:
      return u"UTF-16BE";
  }
  return String();
}

TBytes TEncoding::GetBytes(const String& s) const {
  switch (kind_) {
    case ekCp1251: {
      // U+0098 stands for the one byte windows-1251 leaves unassigned, so such bytes survive a
      // load and save unchanged.
      TBytes out;
      size_t start = 0;
      while (start <= s.size()) {
        size_t stop = s.find(u'\u0098', start);
        if (stop == String::npos) stop = s.size();
        std::string b = StringToCp1251(std::u16string_view(s).substr(start, stop - start));
        out.insert(out.end(), b.begin(), b.end());
        if (stop < s.size()) out.push_back(0x98);
        start = stop + 1;
      }
      return out;
    }
    case ekUtf8: {
      std::string b = StringToUtf8(s);
      return TBytes(b.begin(), b.end());
    }
    case ekUtf16LE:
    case ekUtf16BE: {
      TBytes out;
      out.reserve(s.size() * 2);
      for (Char c : s) {
        Byte lo = static_cast<Byte>(c & 0xFF), hi = static_cast<Byte>(c >> 8);
        if (kind_ == ekUtf16LE)
          out.insert(out.end(), {lo, hi});
        else
          out.insert(out.end(), {hi, lo});
      }
      return out;
    }
  }
  return TBytes();
}

String TEncoding::GetString(std::string_view bytes) const {
  switch (kind_) {
    case ekCp1251: {
      String out;
      size_t start = 0;
      while (start <= bytes.size()) {
        size_t stop = bytes.find('\x98', start);
        if (stop == std::string_view::npos) stop = bytes.size();
        out += Cp1251ToString(bytes.substr(start, stop - start));
        if (stop < bytes.size()) out += u'\u0098';
        start = stop + 1;
      }
      return out;
    }
    case ekUtf8:
      return Utf8ToString(bytes);
    case ekUtf16LE:
    case ekUtf16BE: {
      String out;
      out.reserve(bytes.size() / 2 + 1);
      size_t i = 0;
      for (; i + 1 < bytes.size(); i += 2) {
        auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        out.push_back(kind_ == ekUtf16LE ? static_cast<Char>(a | (b << 8)) : static_cast<Char>((a << 8) | b));
      }
      // An odd trailing byte cannot be a character: keep its presence visible instead of dropping it.
      if (i < bytes.size()) out.push_back(u'\uFFFD');
      return out;
    }
  }
  return String();
}

String TEncoding::GetString(const TBytes& bytes) const {
  return GetString(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

TBytes TEncoding::GetPreamble() const {
  switch (kind_) {
    case ekCp1251:
      return {};
    case ekUtf8:
      return {0xEF, 0xBB, 0xBF};
    case ekUtf16LE:
      return {0xFF, 0xFE};
    case ekUtf16BE:
      return {0xFE, 0xFF};
  }
  return {};
}

namespace {
bool StartsWith(std::string_view data, const TBytes& mark) {
  if (mark.empty() || data.size() < mark.size()) return false;
  for (size_t i = 0; i < mark.size(); ++i)
    if (static_cast<Byte>(data[i]) != mark[i]) return false;
  return true;
}
}  // namespace

int TEncoding::GetBufferEncoding(std::string_view data, const TEncoding*& encoding,
                                 const TEncoding* defaultEncoding) {
  if (encoding) {
    TBytes mark = encoding->GetPreamble();
    return StartsWith(data, mark) ? static_cast<int>(mark.size()) : 0;
  }
  for (const TEncoding* candidate : {UTF8(), Unicode(), BigEndianUnicode()}) {
    TBytes mark = candidate->GetPreamble();
    if (StartsWith(data, mark)) {
      encoding = candidate;
      return static_cast<int>(mark.size());
    }
  }
  encoding = defaultEncoding ? defaultEncoding : Default();
  return 0;
}

bool TEncoding::CanEncode(const String& s) const {
  if (kind_ != ekCp1251) return true;
  return GetString(GetBytes(s)) == s;
}
