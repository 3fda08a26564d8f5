// 8-bit text in the system code page (windows-1251) and its conversions to UTF-16 and UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "platform/rtl/Types.h"

// A value holding windows-1251 bytes. It never converts to or from std::string by itself: raw bytes
// go in through FromBytes and come out through Bytes(), text through StringToAnsi/AnsiToString.
class AnsiString {
 public:
  AnsiString() = default;
  // Encodes text; characters without a windows-1251 byte become '?'.
  explicit AnsiString(const String& text);
  static AnsiString FromBytes(std::string_view bytes) { return AnsiString(std::string(bytes), RawTag{}); }

  const std::string& Bytes() const { return bytes_; }
  const char* c_str() const { return bytes_.c_str(); }
  const char* data() const { return bytes_.data(); }
  size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }
  int Length() const { return static_cast<int>(bytes_.size()); }
  bool IsEmpty() const { return bytes_.empty(); }

  // 0-based like String.
  char operator[](size_t i) const { return bytes_[i]; }
  char& operator[](size_t i) { return bytes_[i]; }

  AnsiString& operator+=(const AnsiString& other) {
    bytes_ += other.bytes_;
    return *this;
  }
  friend AnsiString operator+(AnsiString a, const AnsiString& b) { return a += b; }
  friend bool operator==(const AnsiString& a, const AnsiString& b) = default;
  // Byte order, as the class library compares 8-bit strings ordinally.
  friend auto operator<=>(const AnsiString& a, const AnsiString& b) = default;

 private:
  struct RawTag {};
  AnsiString(std::string bytes, RawTag) : bytes_(std::move(bytes)) {}
  std::string bytes_;
};

// Characters without a windows-1251 byte become '?' (a surrogate pair becomes one '?').
AnsiString StringToAnsi(const String& s);
// Raises EEncodingError for a byte with no character (0x98).
String AnsiToString(const AnsiString& s);

// The raw forms of the same conversions, for file and stream readers.
std::string StringToCp1251(std::u16string_view s);
// Raises EEncodingError "Invalid windows-1251 byte 0x98 at offset N" for an unassigned byte.
String Cp1251ToString(std::string_view bytes);
// Maps unassigned bytes to U+FFFD, for readers that must go on.
String Cp1251ToStringLenient(std::string_view bytes);
// True when every byte has a character.
bool IsValidCp1251(std::string_view bytes);

// UTF-8 <-> windows-1251; malformed UTF-8 and unmappable characters become '?'.
AnsiString Utf8ToAnsi(std::string_view utf8);
// Raises EEncodingError for an unassigned byte, as AnsiToString.
std::string AnsiToUtf8(const AnsiString& s);
