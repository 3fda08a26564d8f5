// Variant kinds, type tests and names, Empty against Null, and the conversions between kinds.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <type_traits>

#include "platform/rtl/FormatSettings.h"
#include "tests/platform/rtl/VariantTestSupport.h"

namespace {

// A pointer or 8-bit text must never slip in as a Boolean or as guessed text.
static_assert(!std::is_constructible_v<Variant, const char*>);
static_assert(!std::is_constructible_v<Variant, void*>);
static_assert(!std::is_constructible_v<Variant, int*>);
static_assert(!std::is_constructible_v<Variant, std::nullptr_t>);
static_assert(std::is_constructible_v<Variant, const Char*>);
static_assert(std::is_nothrow_move_constructible_v<Variant>);
// `a[i] = x` must not compile: it would assign to a copy of the element.
static_assert(!std::is_assignable_v<Variant, int>);
static_assert(!std::is_assignable_v<Variant, const Variant&>);
static_assert(std::is_assignable_v<Variant&, int>);

TSQLTimeStamp FullStamp(SmallInt y, Word m, Word d, Word h = 0, Word n = 0, Word s = 0) {
  TSQLTimeStamp ts;
  ts.Year = y, ts.Month = m, ts.Day = d, ts.Hour = h, ts.Minute = n, ts.Second = s;
  return ts;
}

TEST(Variant, EachCppTypeGivesItsKind) {
  int object = 0;
  const struct {
    Variant value;
    TVarType type;
  } cases[] = {
      {Variant(), varEmpty},
      {Variant::Null(), varNull},
      {Null(), varNull},
      {Unassigned(), varEmpty},
      {5, varInteger},
      {Int64(5), varInt64},
      {SmallInt(5), varSmallint},
      {ShortInt(5), varShortInt},
      {Byte(5), varByte},
      {Word(5), varWord},
      {LongWord(5), varLongWord},
      {UInt64(5), varUInt64},
      {1.5f, varSingle},
      {1.5, varDouble},
      {Extended(1.5), varDouble},
      {true, varBoolean},
      {u"abc", varUString},
      {String(u"abc"), varUString},
      {Char(u'Ж'), varUString},
      {StringToAnsi(u"abc"), varString},
      {Currency(1.5), varCurrency},
      {StrToBcd(u"1.5"), varFMTBcd},
      {FullStamp(2024, 1, 15), varSQLTimeStamp},
      {TSQLTimeStampOffset{}, varSQLTimeStampOffset},
      {Variant::FromDate(45000), varDate},
      {VarFromDateTime(45000), varDate},
      {Variant::FromError(3), varError},
      {Variant::FromObject(&object), varObject},
      {VarArrayOf({1, 2}), varArray | varVariant},
      {VarArrayOfBytes({1, 2}), varArray | varByte},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VarType(c.value), c.type) << testing::PrintToString(c.value);
    EXPECT_EQ(VarIsType(c.value, c.type), true);
  }
}

TEST(Variant, TypeNamesAreTheClassLibrarys) {
  const struct {
    TVarType type;
    const char* name;
  } cases[] = {
      {varEmpty, "Empty"},
      {varNull, "Null"},
      {varSmallint, "Smallint"},
      {varInteger, "Integer"},
      {varSingle, "Single"},
      {varDouble, "Double"},
      {varCurrency, "Currency"},
      {varDate, "Date"},
      {varOleStr, "OleStr"},
      {varError, "Error"},
      {varBoolean, "Boolean"},
      {varVariant, "Variant"},
      {varShortInt, "ShortInt"},
      {varByte, "Byte"},
      {varWord, "Word"},
      {varLongWord, "LongWord"},
      {varInt64, "Int64"},
      {varUInt64, "UInt64"},
      {varString, "String"},
      {varUString, "UnicodeString"},
      {varArray | varVariant, "Array Variant"},
      {varArray | varByte, "Array Byte"},
      {0x007F, "$007F"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8(VarTypeAsText(c.type)), c.name);
}

TEST(Variant, ClassificationFollowsTheClassLibrary) {
  int object = 0;
  const struct {
    Variant value;
    bool ordinal, floating, numeric, str, array, clear;
  } cases[] = {
      {Variant(), false, false, false, false, false, true},
      {Null(), false, false, false, false, false, false},
      {5, true, false, true, false, false, false},
      {UInt64(5), true, false, true, false, false, false},
      {true, true, false, true, false, false, false},
      {1.5, false, true, true, false, false, false},
      {1.5f, false, true, true, false, false, false},
      {Currency(1), false, true, true, false, false, false},
      {StrToBcd(u"1"), false, true, true, false, false, false},
      {Variant::FromDate(1), false, false, false, false, false, false},  // a date is not a number
      {u"5", false, false, false, true, false, false},
      {StringToAnsi(u"5"), false, false, false, true, false, false},
      {VarArrayOf({1}), false, false, false, false, true, false},
      {Variant::FromObject(nullptr), false, false, false, false, false, true},
      {Variant::FromObject(&object), false, false, false, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.value));
    EXPECT_EQ(VarIsOrdinal(c.value), c.ordinal);
    EXPECT_EQ(VarIsFloat(c.value), c.floating);
    EXPECT_EQ(VarIsNumeric(c.value), c.numeric);
    EXPECT_EQ(VarIsStr(c.value), c.str);
    EXPECT_EQ(VarIsArray(c.value), c.array);
    EXPECT_EQ(VarIsClear(c.value), c.clear);
  }
}

TEST(Variant, EmptyAndNullStayDistinctEverywhere) {
  const Variant empty, null = Null();
  EXPECT_TRUE(VarIsEmpty(empty));
  EXPECT_FALSE(VarIsNull(empty));
  EXPECT_TRUE(VarIsNull(null));
  EXPECT_FALSE(VarIsEmpty(null));
  EXPECT_TRUE(VarIsEmptyOrNull(empty));
  EXPECT_TRUE(VarIsEmptyOrNull(null));
  EXPECT_FALSE(VarIsClear(null));

  // Both read as "" through VarToStr, but only Empty converts to a number.
  EXPECT_EQ(VarToStr(empty), u"");
  EXPECT_EQ(VarToStr(null), u"");
  EXPECT_EQ(VarToStrDef(null, u"нет"), u"нет");
  EXPECT_EQ(VarToStrDef(empty, u"нет"), u"");
  EXPECT_EQ(empty.AsInteger(), 0);
  EXPECT_EQ(empty.AsString(), u"");
  EXPECT_FALSE(empty.AsBoolean());
  EXPECT_EQ(empty.AsDateTime(), 0);
  EXPECT_EQ(MessageOf<EVariantTypeCastError>([&] { null.AsInteger(); }),
            "Could not convert variant of type (Null) into type (Integer)");
  EXPECT_EQ(MessageOf<EVariantTypeCastError>([&] { null.AsString(); }),
            "Could not convert variant of type (Null) into type (UnicodeString)");
  EXPECT_THROW(VarToDateTime(null), EVariantTypeCastError);

  // Arithmetic: Empty is a zero, Null swallows everything.
  EXPECT_EQ(KindAndText(empty + 5), "Integer 5");
  EXPECT_EQ(KindAndText(empty + u"ab"), "UnicodeString ab");
  EXPECT_EQ(VarType(empty + empty), varEmpty);
  EXPECT_EQ(VarType(null + 5), varNull);
  EXPECT_EQ(VarType(null + empty), varNull);

  // Comparison: each equals only itself.
  EXPECT_TRUE(empty == empty);
  EXPECT_TRUE(null == null);
  EXPECT_FALSE(empty == null);
  EXPECT_TRUE(empty != null);
  EXPECT_EQ(VarCompareValue(empty, null), vrNotEqual);
  EXPECT_EQ(VarCompareValue(null, empty), vrNotEqual);

  EXPECT_EQ(VarType(VarAsType(empty, varNull)), varNull);
  EXPECT_EQ(VarType(VarAsType(null, varEmpty)), varEmpty);
}

constexpr TVarType kCast = 0xFFF1;      // EVariantTypeCastError expected
constexpr TVarType kOverflow = 0xFFF2;  // EVariantOverflowError expected

struct ConversionCase {
  Variant from;
  TVarType to;
  TVarType type;  // of the result, or kCast / kOverflow
  const char* text = "";
};

void CheckConversions(const std::vector<ConversionCase>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.from) + " -> " + Utf8(VarTypeAsText(c.to)));
    if (c.type == kCast) {
      EXPECT_THROW(VarAsType(c.from, c.to), EVariantTypeCastError);
    } else if (c.type == kOverflow) {
      EXPECT_THROW(VarAsType(c.from, c.to), EVariantOverflowError);
    } else {
      const Variant r = VarAsType(c.from, c.to);
      EXPECT_EQ(VarType(r), c.type);
      EXPECT_EQ(Utf8(VarToStr(r)), c.text);
    }
  }
}

TEST(VariantConversion, NumbersToEveryKind) {
  CheckConversions({
      {42, varByte, varByte, "42"},
      {300, varByte, kOverflow},
      {-1, varByte, kOverflow},
      {-1, varWord, kOverflow},
      {40000, varSmallint, kOverflow},
      {-5, varShortInt, varShortInt, "-5"},
      {42, varDouble, varDouble, "42"},
      {42, varUString, varUString, "42"},
      {42, varString, varString, "42"},
      {42, varBoolean, varBoolean, "True"},
      {0, varBoolean, varBoolean, "False"},
      {42, varDate, varDate, "10.02.1900"},
      {42, varCurrency, varCurrency, "42"},
      {42, varFMTBcd, varFMTBcd, "42"},
      {Int64(5000000000), varInteger, kOverflow},
      {Int64(5000000000), varDouble, varDouble, "5000000000"},
      {std::numeric_limits<UInt64>::max(), varInt64, kOverflow},
      {std::numeric_limits<UInt64>::max(), varUInt64, varUInt64, "18446744073709551615"},
      {LongWord(4000000000u), varInt64, varInt64, "4000000000"},
      {LongWord(4000000000u), varInteger, kOverflow},
      // Floats round to integers halves to even.
      {2.5, varInteger, varInteger, "2"},
      {3.5, varInteger, varInteger, "4"},
      {-2.5, varInteger, varInteger, "-2"},
      {2.5, varUString, varUString, "2,5"},
      {1e10, varInteger, kOverflow},
      {1e10, varInt64, varInt64, "10000000000"},
      {std::nan(""), varInteger, kOverflow},
      {1e300, varSingle, kOverflow},
      {1e300, varCurrency, kOverflow},
      {0.1, varCurrency, varCurrency, "0,1"},
      {0.1, varFMTBcd, varFMTBcd, "0,1"},
      // A Single shows the digits it holds; as a Double its binary value is kept exactly.
      {0.1f, varUString, varUString, "0,1"},
      {0.1f, varFMTBcd, varFMTBcd, "0,1"},
      {0.1f, varDouble, varDouble, "0,100000001490116"},
      {Currency(12.3456), varInteger, varInteger, "12"},
      {Currency(2.5), varInteger, varInteger, "2"},
      {Currency(12.3456), varUString, varUString, "12,3456"},
      {Currency(12.3456), varDouble, varDouble, "12,3456"},
      {Currency(12.3456), varFMTBcd, varFMTBcd, "12,3456"},
      {StrToBcd(u"123.45"), varInteger, varInteger, "123"},
      {StrToBcd(u"123.45"), varDouble, varDouble, "123,45"},
      {StrToBcd(u"123.45"), varCurrency, varCurrency, "123,45"},
      {StrToBcd(u"123.45"), varBoolean, varBoolean, "True"},
      {StrToBcd(u"123.45"), varUString, varUString, "123,45"},
      {StrToBcd(u"12345678901234567890123456789"), varCurrency, kOverflow},
      {StrToBcd(u"12345678901234567890123456789"), varInt64, kOverflow},
      // True is -1, as the class library stores it.
      {true, varInteger, varInteger, "-1"},
      {true, varDouble, varDouble, "-1"},
      {true, varCurrency, varCurrency, "-1"},
      {true, varUString, varUString, "True"},
      {false, varUString, varUString, "False"},
  });
}

TEST(VariantConversion, TextToEveryKindThroughTheLocale) {
  CheckConversions({
      {u"12", varInteger, varInteger, "12"},
      {u" 12", varInteger, varInteger, "12"},
      {u"12", varByte, varByte, "12"},
      {u"300", varByte, kOverflow},
      {u"99999999999", varInteger, kOverflow},
      {u"99999999999", varInt64, varInt64, "99999999999"},
      {u"1,5", varDouble, varDouble, "1,5"},
      {u"1,5", varInteger, varInteger, "2"},
      {u"2,5", varInteger, varInteger, "2"},
      {u"1,5", varCurrency, varCurrency, "1,5"},
      {u"1,5", varFMTBcd, varFMTBcd, "1,5"},
      {u"1000000000000000", varCurrency, kOverflow},
      {u"1000000000000000000000", varInt64, kOverflow},
      {u"12", varBoolean, varBoolean, "True"},
      {u"0", varBoolean, varBoolean, "False"},
      {u"true", varBoolean, varBoolean, "True"},
      {u"False", varInteger, varInteger, "0"},
      {u"True", varInteger, varInteger, "-1"},
      {u"15.03.2023", varDate, varDate, "15.03.2023"},
      {u"15.03.2023 12:00", varDate, varDate, "15.03.2023 12:00:00"},
      {u"15.01.2024 10:30:00", varSQLTimeStamp, varSQLTimeStamp, "15.01.2024 10:30:00"},
      {u"abc", varInteger, kCast},
      {u"abc", varDouble, kCast},
      {u"abc", varCurrency, kCast},
      {u"abc", varBoolean, kCast},
      {u"abc", varDate, kCast},
      {u"abc", varFMTBcd, kCast},
      {u"abc", varSQLTimeStamp, kCast},
      {u"", varInteger, kCast},
      {u"abc", varUString, varUString, "abc"},
      {u"абв", varString, varString, "абв"},
      {u"abc", varOleStr, varOleStr, "abc"},
      {StringToAnsi(u"7"), varInteger, varInteger, "7"},
      {StringToAnsi(u"Ёж"), varUString, varUString, "Ёж"},
  });
}

TEST(VariantConversion, DatesStampsAndTheKindsThatConvertToNothing) {
  int object = 0;
  const Variant date = Variant::FromDate(45000.5);
  const Variant stamp = FullStamp(2024, 1, 15, 10, 30);
  CheckConversions({
      {date, varUString, varUString, "15.03.2023 12:00:00"},
      {date, varDouble, varDouble, "45000,5"},
      {date, varInteger, varInteger, "45000"},
      {date, varSQLTimeStamp, varSQLTimeStamp, "15.03.2023 12:00:00"},
      {date, varBoolean, varBoolean, "True"},
      {stamp, varDate, varDate, "15.01.2024 10:30:00"},
      {stamp, varDouble, varDouble, "45306,4375"},
      {stamp, varUString, varUString, "15.01.2024 10:30:00"},
      {stamp, varBoolean, kCast},
      {Variant::FromError(5), varInteger, kCast},
      {Variant::FromError(5), varUString, kCast},
      {Variant::FromObject(&object), varInteger, kCast},
      {Variant::FromObject(&object), varUString, kCast},
      {VarArrayOf({1}), varUString, kCast},
      {VarArrayOf({1}), varInteger, kCast},
      {5, varArray | varVariant, kCast},
      {5, varNull, kCast},
      {5, varUnknown, kCast},
      {Null(), varInteger, kCast},
      {Null(), varDate, kCast},
      {Null(), varUString, kCast},
      {Null(), varNull, varNull, ""},
      {Null(), varVariant, varNull, ""},
      {Variant(), varInteger, varInteger, "0"},
      {Variant(), varUString, varUString, ""},
      {Variant(), varDate, varDate, "30.12.1899"},
      {Variant(), varFMTBcd, varFMTBcd, "0"},
  });
  EXPECT_EQ(VarAsType(Variant::FromError(5), varError).AsError(), 5);
  EXPECT_THROW(VarAsType(5, 0x007F), EVariantBadVarTypeError);
  EXPECT_EQ(Variant::FromObject(&object).AsObject(), &object);
  EXPECT_EQ(Null().AsObject(), nullptr);
}

TEST(VariantConversion, ErrorsNameBothKinds) {
  EXPECT_EQ(MessageOf<EVariantTypeCastError>([] { Variant(u"abc").AsDouble(); }),
            "Could not convert variant of type (UnicodeString) into type (Double)");
  EXPECT_EQ(MessageOf<EVariantTypeCastError>([] { VarToStr(VarArrayOf({1})); }),
            "Could not convert variant of type (Array Variant) into type (UnicodeString)");
  EXPECT_EQ(MessageOf<EVariantTypeCastError>([] { Variant(StringToAnsi(u"x")).AsInteger(); }),
            "Could not convert variant of type (String) into type (Integer)");
  EXPECT_EQ(MessageOf<EVariantOverflowError>([] { Variant(1e10).AsInteger(); }),
            "Overflow while converting variant of type (Double) into type (Integer)");
  EXPECT_EQ(MessageOf<EVariantOverflowError>([] { VarAsType(300, varByte); }),
            "Overflow while converting variant of type (Integer) into type (Byte)");
}

TEST(VariantConversion, AccessorsAgreeWithTheCasts) {
  const Variant text = u"1,25";
  EXPECT_EQ(text.AsDouble(), 1.25);
  EXPECT_EQ(text.AsSingle(), 1.25f);
  EXPECT_EQ(text.AsCurrency(), Currency(1.25));
  EXPECT_EQ(text.AsInteger(), 1);
  EXPECT_EQ(text.AsInt64(), 1);
  EXPECT_EQ(BcdToStr(text.AsBcd()), u"1,25");
  EXPECT_EQ(Variant(UInt64(7)).AsUInt64(), 7u);
  EXPECT_THROW(Variant(Int64(-7)).AsUInt64(), EVariantOverflowError);
}

TEST(VariantConversion, TextFollowsTheCurrentFormatSettings) {
  TFormatSettings dot = FormatSettings;
  dot.DecimalSeparator = u'.';
  TFormatSettingsGuard guard(dot);
  EXPECT_EQ(VarToStr(2.5), u"2.5");
  EXPECT_EQ(Variant(u"1.5").AsDouble(), 1.5);
  EXPECT_THROW(Variant(u"1,5").AsDouble(), EVariantTypeCastError);
}

TEST(VariantFMTBcd, CreatesRescaledExactDecimals) {
  const Variant b = VarFMTBcdCreate(u"123,456", 10, 2);
  EXPECT_TRUE(VarIsFMTBcd(b));
  EXPECT_EQ(VarToStr(b), u"123,46");
  EXPECT_EQ(VarToStr(VarFMTBcdCreate(1.125, 18, 2)), u"1,12");  // halves to even
  EXPECT_EQ(VarToStr(VarFMTBcdCreate(StrToBcd(u"-0.5"))), u"-0,5");
  EXPECT_EQ(BcdToStr(VarToBcd(Int64(-9000000000))), u"-9000000000");
  EXPECT_EQ(BcdToStr(VarToBcd(std::numeric_limits<UInt64>::max())), u"18446744073709551615");
  EXPECT_THROW(VarFMTBcdCreate(u"abc", 10, 2), EConvertError);
}

TEST(VariantSQLTimeStamp, CreatesAndConvertsBothWays) {
  const Variant fromDate = VarSQLTimeStampCreate(TDateTime(45306.4375));
  EXPECT_TRUE(VarIsSQLTimeStamp(fromDate));
  EXPECT_EQ(VarToSQLTimeStamp(fromDate), FullStamp(2024, 1, 15, 10, 30));
  EXPECT_EQ(VarToDateTime(fromDate), 45306.4375);
  EXPECT_EQ(VarToSQLTimeStamp(VarSQLTimeStampCreate(u"15.01.2024 10:30:00")), FullStamp(2024, 1, 15, 10, 30));
  EXPECT_THROW(VarSQLTimeStampCreate(u"abc"), EConvertError);
  EXPECT_THROW(VarToSQLTimeStamp(u"abc"), EVariantTypeCastError);

  TSQLTimeStampOffset withZone{};
  withZone.Year = 2024, withZone.Month = 1, withZone.Day = 15, withZone.Hour = 10;
  withZone.TimeZoneHour = 3;
  const Variant zoned = VarSQLTimeStampOffsetCreate(withZone);
  EXPECT_TRUE(VarIsSQLTimeStampOffset(zoned));
  EXPECT_EQ(VarToStr(zoned), u"15.01.2024 10:00:00 +03:00");
  EXPECT_EQ(VarToSQLTimeStamp(zoned), FullStamp(2024, 1, 15, 10));  // the wall time as written
}

}  // namespace
