// Currency: rounding from doubles and text halves to even, exact arithmetic at the edges of the range,
// overflow errors, and the text forms.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "platform/rtl/Currency.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Utf.h"

namespace {

Currency Raw(Int64 v) { return Currency::FromRaw(v); }

}  // namespace

TEST(Currency, FromDoubleRoundsTheDecimalItPrintsAsHalvesToEven) {
  const std::vector<std::pair<double, Int64>> cases = {
      {0, 0},
      {1, 10000},
      {-2.5, -25000},
      {0.00005, 0},
      {0.00015, 2},
      {0.00025, 2},
      {0.00035, 4},
      {-0.00005, 0},
      {-0.00015, -2},
      {0.00006, 1},
      {0.00004, 0},
      // 1.23455 is 1.2345499999... in binary; the amount is the decimal the user typed.
      {1.23455, 12346},
      {1.23445, 12344},
      {0.1 + 0.2, 3000},
      {123456789.12345, 1234567891234},
      {123456789.12355, 1234567891236},
      {-922337203685477.0, -9223372036854770000},
      {922337203685477.0, 9223372036854770000},
  };
  for (const auto& [value, raw] : cases) EXPECT_EQ(Currency::FromDouble(value).Value, raw) << value;
  EXPECT_EQ(Currency(1.5).Value, 15000);
  EXPECT_THROW(Currency::FromDouble(1e15), EOverflow);
  EXPECT_THROW(Currency::FromDouble(-1e300), EOverflow);
  EXPECT_THROW(Currency::FromDouble(std::numeric_limits<double>::infinity()), EOverflow);
  EXPECT_THROW(Currency::FromDouble(std::nan("")), EInvalidOp);
}

TEST(Currency, FromIntegersAndBackToNumbers) {
  EXPECT_EQ(Currency(5).Value, 50000);
  EXPECT_EQ(Currency(-7LL).Value, -70000);
  EXPECT_EQ(Currency(true).Value, 10000);
  EXPECT_EQ(Currency(922337203685477LL).Value, 9223372036854770000);
  EXPECT_THROW(Currency(922337203685478LL), EIntOverflow);
  EXPECT_THROW(static_cast<void>(Currency(std::numeric_limits<UInt64>::max())), EIntOverflow);
  EXPECT_DOUBLE_EQ(Raw(12345).ToDouble(), 1.2345);
  EXPECT_EQ(static_cast<double>(Raw(-5000)), -0.5);
  const std::vector<std::pair<Int64, Int64>> toInt = {
      {25000, 2},
      {35000, 4},
      {-25000, -2},
      {-35000, -4},
      {24999, 2},
      {25001, 3},
      {INT64_MAX, 922337203685478},
  };
  for (const auto& [raw, units] : toInt) EXPECT_EQ(Raw(raw).ToInt64(), units) << raw;
}

TEST(Currency, ArithmeticIsExactAndRoundsHalvesToEven) {
  EXPECT_EQ(Currency(1.1) + Currency(2.2), Currency(3.3));
  EXPECT_EQ(Currency(1) - Currency(0.0001), Raw(9999));
  EXPECT_EQ(-Currency(5), Currency(-5));
  struct Case {
    Currency a, b;
    Int64 product, quotient;
  };
  const std::vector<Case> cases = {
      {Raw(1), Raw(5000), 0, 2},     // 0.0001 * 0.5 = 0.00005 -> 0; / 0.5 = 0.0002
      {Raw(3), Raw(5000), 2, 6},     // 0.00015 -> 0.0002
      {Raw(-3), Raw(5000), -2, -6},  // -0.00015 -> -0.0002
      {Currency(10), Currency(3), 300000, 33333},
      {Currency(2), Currency(3), 60000, 6667},
      {Raw(1), Currency(2), 2, 0},  // 0.00005 -> 0
      {Raw(3), Currency(2), 6, 2},  // 0.00015 -> 0.0002
      {Raw(-3), Currency(-2), 6, 2},
      {Currency(100000000000000LL), Currency(2.5), 2500000000000000000, 400000000000000000},
      {MaxCurrency, Currency(1), INT64_MAX, INT64_MAX},
      {MinCurrency, Currency(1), INT64_MIN, INT64_MIN},
  };
  for (const auto& c : cases) {
    EXPECT_EQ((c.a * c.b).Value, c.product) << c.a.Value << " * " << c.b.Value;
    EXPECT_EQ((c.a / c.b).Value, c.quotient) << c.a.Value << " / " << c.b.Value;
  }
  Currency total;
  for (int i = 0; i < 10; ++i) total += Currency(0.1);
  EXPECT_EQ(total, Currency(1));
  total *= Currency(3);
  total /= Currency(4);
  EXPECT_EQ(total, Currency(0.75));
}

TEST(Currency, MixedOperandsAndComparisons) {
  const Currency c(10.5);
  EXPECT_EQ(c * 3, Currency(31.5));
  EXPECT_EQ(3 * c, Currency(31.5));
  EXPECT_EQ(c * 1.5, Currency(15.75));
  EXPECT_EQ(c / 4, Currency(2.625));
  EXPECT_EQ(Raw(5) / 2, Raw(2));  // 0.00025 -> 0.0002
  EXPECT_EQ(Raw(7) / 2, Raw(4));  // 0.00035 -> 0.0004
  EXPECT_EQ(c / 0.5, Currency(21));
  EXPECT_EQ(c + 1, Currency(11.5));
  EXPECT_EQ(1 + c, Currency(11.5));
  EXPECT_EQ(c - 0.5, Currency(10));
  EXPECT_TRUE(Currency(1) < Currency(2));
  EXPECT_TRUE(c == 10.5);
  EXPECT_TRUE(c != 10);
  EXPECT_TRUE(c >= 10);
  EXPECT_TRUE(MinCurrency < MaxCurrency);
}

TEST(Currency, OverflowAndDivisionByZeroRaise) {
  EXPECT_THROW(MaxCurrency + Raw(1), EIntOverflow);
  EXPECT_THROW(MinCurrency - Raw(1), EIntOverflow);
  EXPECT_THROW(-MinCurrency, EIntOverflow);
  EXPECT_THROW(MaxCurrency * Currency(2), EIntOverflow);
  EXPECT_THROW(MaxCurrency * 2, EIntOverflow);
  EXPECT_THROW(MaxCurrency / Currency(0.5), EIntOverflow);
  EXPECT_THROW(MaxCurrency * 2.0, EOverflow);
  EXPECT_THROW(Currency(1) / Currency(0), EZeroDivide);
  EXPECT_THROW(Currency(1) / 0, EZeroDivide);
  EXPECT_THROW(Currency(1) / 0.0, EZeroDivide);
  try {
    MaxCurrency + MaxCurrency;
    FAIL() << "no exception";
  } catch (const EIntOverflow& e) {
    EXPECT_NE(StringToUtf8(e.Message()).find("Currency overflow"), std::string::npos);
  }
}

TEST(Currency, TextFormsAreExact) {
  EXPECT_EQ(CurrToStr(Currency(1234.5)), u"1234,5");
  EXPECT_EQ(CurrToStr(Raw(-1)), u"-0,0001");
  EXPECT_EQ(CurrToStr(Currency()), u"0");
  EXPECT_EQ(CurrToStr(Currency(100)), u"100");
  EXPECT_EQ(CurrToStr(MaxCurrency), u"922337203685477,5807");
  EXPECT_EQ(CurrToStr(MinCurrency), u"-922337203685477,5808");
  struct Case {
    Currency value;
    TFloatFormat format;
    int digits;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {Currency(1234.5), ffFixed, 2, "1234,50"},
      {Currency(1234.5), ffNumber, 2, "1\u00A0234,50"},
      {Currency(1234.5), ffCurrency, 2, "1\u00A0234,50 ₽"},
      {Currency(-1234), ffCurrency, 2, "-1\u00A0234,00 ₽"},
      {Currency(1234.5), ffGeneral, 0, "1234,5"},
      {Currency(1.2346), ffFixed, 2, "1,23"},
      {Currency(0.125), ffFixed, 2, "0,13"},
      {Currency(-0.001), ffFixed, 2, "0,00"},
      {Currency(0.5), ffFixed, 0, "1"},
      {MaxCurrency, ffNumber, 4, "922\u00A0337\u00A0203\u00A0685\u00A0477,5807"},
      {MinCurrency, ffFixed, 2, "-922337203685477,58"},
      {Currency(1234.5), ffExponent, 0, "1,234500000000000000E+3"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StringToUtf8(CurrToStrF(c.value, c.format, c.digits)), c.expected) << c.value.Value;
  EXPECT_EQ(StringToUtf8(FormatCurr(u"#,##0.00", Currency(-1234567.125))), "-1\u00A0234\u00A0567,13");
  EXPECT_EQ(FormatCurr(u"0.0000", MaxCurrency), u"922337203685477,5807");
}

TEST(Currency, StrToCurrReadsTheLocaleFormAndRoundsHalvesToEven) {
  const std::vector<std::pair<String, Int64>> good = {
      {u"1234,5", 12345000},
      {u" -1,5 ", -15000},
      {u"0,00005", 0},
      {u"0,00015", 2},
      {u"1,23455", 12346},
      {u"1e3", 10000000},
      {u"922337203685477,5807", INT64_MAX},
      {u"-922337203685477,5808", INT64_MIN},
      {u"0,000049999999999999999999", 0},
  };
  for (const auto& [text, raw] : good) {
    Currency c;
    EXPECT_TRUE(TryStrToCurr(text, c)) << StringToUtf8(text);
    EXPECT_EQ(c.Value, raw) << StringToUtf8(text);
  }
  for (const String& text :
       std::vector<String>{u"1.5", u"abc", u"", u"1 000", u"922337203685477,5808", u"1e20", u"1,5,"}) {
    Currency c = Currency(9);
    EXPECT_FALSE(TryStrToCurr(text, c)) << StringToUtf8(text);
    EXPECT_EQ(c, Currency(9));
  }
  try {
    StrToCurr(u"12x");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'12x' is not a valid floating point value");
  }
  EXPECT_EQ(StrToCurrDef(u"x", Currency(3)), Currency(3));
  TFormatSettings en = TFormatSettings::Russian();
  en.DecimalSeparator = u'.';
  EXPECT_EQ(StrToCurr(u"2.75", en), Currency(2.75));
  EXPECT_EQ(CurrToStr(Currency(2.75), en), u"2.75");
}

TEST(Currency, FloatToCurrChecksTheRange) {
  EXPECT_EQ(FloatToCurr(12.34567).Value, 123457);
  EXPECT_THROW(FloatToCurr(1e20), EConvertError);
  Currency c = Currency(1);
  EXPECT_FALSE(TryFloatToCurr(std::nan(""), c));
  EXPECT_FALSE(TryFloatToCurr(-1e16, c));
  EXPECT_EQ(c, Currency(1));
  EXPECT_TRUE(TryFloatToCurr(-0.00015, c));
  EXPECT_EQ(c.Value, -2);
  try {
    FloatToCurr(1e20);
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'1E20' is not a valid currency value");
  }
}
