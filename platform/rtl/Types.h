// Basic types of the runtime: UTF-16 strings, fixed-size integers, dates and extended floats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Char = char16_t;
using String = std::u16string;
using WideString = std::u16string;
using UnicodeString = std::u16string;

using Byte = std::uint8_t;
using ShortInt = std::int8_t;
using SmallInt = std::int16_t;
using Word = std::uint16_t;
using Integer = std::int32_t;
using Cardinal = std::uint32_t;
using LongWord = std::uint32_t;
using Int64 = std::int64_t;
using UInt64 = std::uint64_t;
using NativeInt = std::intptr_t;
using Single = float;
using Double = double;
using Extended = long double;
using TBytes = std::vector<Byte>;

// Days since 30 December 1899; the time of day is the fraction.
using TDateTime = double;
using TDate = double;
using TTime = double;
