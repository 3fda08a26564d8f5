// Conversions between UTF-16 strings and UTF-8 bytes (file names, Qt, ODBC and test output).
#pragma once

#include <string>
#include <string_view>

#include "platform/rtl/Types.h"

// Invalid input never throws: unpaired surrogates and bad bytes become U+FFFD.
std::string StringToUtf8(std::u16string_view s);
String Utf8ToString(std::string_view bytes);

// True when every byte sequence is well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);
