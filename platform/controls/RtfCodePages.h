// The 8-bit code pages RTF text uses (\ansicpg and font charsets), shared by the RTF reader and writer.
#pragma once

#include <array>

#include "platform/rtl/Types.h"

// The 256 characters of a Windows code page (through iconv); an unknown page gives windows-1251.
const std::array<Char, 256>& RtfCodePageTable(Integer codePage);
// The code page of a font charset; 0 for the document's own (ANSI and default charsets).
Integer RtfCharsetCodePage(Integer charset);
// The windows-1251 byte of c, or -1 when the code page does not hold it.
Integer RtfCp1251Byte(Char c);
