// Format: printf-like text from a format string and an open array of values, with the class
// library's specifiers and errors, using the process-wide format settings.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <vector>

#include "platform/rtl/AnsiString.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

struct Currency;

// One argument of Format: a small tagged value, built implicitly from what the caller passes.
class TVarRec {
 public:
  enum TKind {
    vtInteger,    // int
    vtInt64,      // 64-bit signed
    vtUInt64,     // unsigned (any width)
    vtExtended,   // double, long double
    vtCurrency,   // Currency, kept as its scaled integer
    vtChar,       // Char
    vtPWideChar,  // const Char*
    vtUnicodeString,
    vtAnsiString,
    vtBoolean,
    vtPointer,
  };

  TVarRec(int v) : kind_(vtInteger), int_(v) {}
  TVarRec(unsigned v) : kind_(vtUInt64), uint_(v) {}
  TVarRec(long v) : kind_(vtInt64), int_(v) {}
  TVarRec(long long v) : kind_(vtInt64), int_(v) {}
  TVarRec(unsigned long v) : kind_(vtUInt64), uint_(v) {}
  TVarRec(unsigned long long v) : kind_(vtUInt64), uint_(v) {}
  TVarRec(double v) : kind_(vtExtended), float_(v) {}
  TVarRec(long double v) : kind_(vtExtended), float_(v) {}
  TVarRec(const Currency& v);
  TVarRec(Char v) : kind_(vtChar), char_(v) {}
  TVarRec(const Char* v) : kind_(vtPWideChar), string_(v ? String(v) : String()) {}
  TVarRec(String v) : kind_(vtUnicodeString), string_(std::move(v)) {}
  TVarRec(AnsiString v) : kind_(vtAnsiString), ansi_(std::move(v)) {}
  TVarRec(bool v) : kind_(vtBoolean), bool_(v) {}
  TVarRec(const void* v) : kind_(vtPointer), pointer_(v) {}
  TVarRec(std::nullptr_t) : kind_(vtPointer), pointer_(nullptr) {}
  // An 8-bit literal would otherwise become a bool or a pointer: say u"..." for text.
  TVarRec(const char*) = delete;
  TVarRec(char) = delete;

  TKind Kind() const { return kind_; }
  Int64 AsInt64() const { return int_; }     // vtInteger, vtInt64; vtCurrency: the scaled value
  UInt64 AsUInt64() const { return uint_; }  // vtUInt64
  Extended AsExtended() const { return float_; }
  Char AsChar() const { return char_; }
  const String& AsString() const { return string_; }  // vtPWideChar, vtUnicodeString
  const AnsiString& AsAnsiString() const { return ansi_; }
  bool AsBoolean() const { return bool_; }
  const void* AsPointer() const { return pointer_; }

 private:
  TKind kind_;
  union {
    Int64 int_;
    UInt64 uint_;
    Extended float_;
    Char char_;
    bool bool_;
    const void* pointer_;
  };
  String string_;
  AnsiString ansi_;
};

// Specifiers: %[index:][-][width][.precision]type with type d u x e f g n m p s, '*' for width or
// precision taken from the next argument, %% for '%'. A bad specifier or a wrong argument kind raises
// EConvertError "Format '%s' invalid or incompatible with argument"; a missing argument
// "No argument for format '%s'".
// Float specifiers: %e and %g take the precision as significant digits (default 15), %f %n %m as decimals
// (default 2; CurrencyDecimals for %m). Currency arguments are formatted exactly.
String Format(const String& format, std::initializer_list<TVarRec> args);
String Format(const String& format, const std::vector<TVarRec>& args);
String Format(const String& format, std::initializer_list<TVarRec> args, const TFormatSettings& settings);
String Format(const String& format, const std::vector<TVarRec>& args, const TFormatSettings& settings);
