// Text encodings of files and streams: windows-1251 (the system code page and the default), UTF-8 and
// UTF-16 in both byte orders, with their byte-order marks.
#pragma once

#include <string_view>

#include "platform/rtl/Types.h"

class TEncoding {
 public:
  enum TKind { ekCp1251, ekUtf8, ekUtf16LE, ekUtf16BE };

  // The system's 8-bit code page: windows-1251.
  static const TEncoding* Default();
  static const TEncoding* ANSI() { return Default(); }
  static const TEncoding* UTF8();
  static const TEncoding* Unicode();  // UTF-16 little-endian
  static const TEncoding* BigEndianUnicode();

  TKind Kind() const { return kind_; }
  String EncodingName() const;
  TBytes GetBytes(const String& s) const;
  // windows-1251 keeps its one unassigned byte (0x98) as U+0098 both ways; characters it cannot
  // hold become '?' (CanEncode tells beforehand).
  String GetString(std::string_view bytes) const;
  String GetString(const TBytes& bytes) const;
  TBytes GetPreamble() const;
  bool CanEncode(const String& s) const;

  // Finds the byte-order mark at the start of data. With encoding null: sets it to the marked
  // encoding, or to defaultEncoding when there is none. With encoding set: answers the length of its
  // own mark when data starts with it, else 0. Returns the mark's length.
  static int GetBufferEncoding(std::string_view data, const TEncoding*& encoding,
                               const TEncoding* defaultEncoding = Default());

 private:
  explicit TEncoding(TKind kind) : kind_(kind) {}
  TKind kind_;
};
