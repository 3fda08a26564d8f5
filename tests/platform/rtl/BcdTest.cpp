// TBcd: text in both separators, 32-digit values and their overflow, exact arithmetic with halves to
// even, normalising to a field's precision and scale, and the conversions to numbers and Currency.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/rtl/Bcd.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Utf.h"

namespace {

TBcd B(const String& s) { return StrToBcd(s); }

std::string Sql(const TBcd& b) { return StringToUtf8(BcdToSqlStr(b)); }

}  // namespace

TEST(Bcd, TextWithEitherSeparatorReadsBackExactly) {
  const std::vector<std::pair<String, std::string>> cases = {
      {u"0", "0"},
      {u"1", "1"},
      {u"-1", "-1"},
      {u"123.45", "123.45"},
      {u"123,45", "123.45"},
      {u"-0.001", "-0.001"},
      {u".5", "0.5"},
      {u"1.50", "1.5"},
      {u"-0", "0"},
      {u"-0.000", "0"},
      {u"1e3", "1000"},
      {u"1,5E-3", "0.0015"},
      {u" 7 ", "7"},
      {u"+00042.4200", "42.42"},
      {u"12345678901234567890123456789012", "12345678901234567890123456789012"},
      {u"-0.12345678901234567890123456789012", "-0.12345678901234567890123456789012"},
      {u"1234567890123456.7890123456789012", "1234567890123456.7890123456789012"},
      {u"0.00000000000000000000000000000001", "0.00000000000000000000000000000001"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Sql(B(text)), expected) << StringToUtf8(text);
  EXPECT_EQ(BcdToStr(B(u"-1234.5")), u"-1234,5");
  TFormatSettings en = TFormatSettings::Russian();
  en.DecimalSeparator = u'.';
  EXPECT_EQ(BcdToStr(B(u"-1234.5"), en), u"-1234.5");
}

TEST(Bcd, BadTextAndTooManyDigitsRaise) {
  for (const String& text : std::vector<String>{u"abc", u"", u"  ", u"1,2,3", u"1.2.3", u"1 000", u"1.2,3",
                                                u"--1", u"1e", u"0x1"}) {
    try {
      StrToBcd(text);
      ADD_FAILURE() << "no exception for " << StringToUtf8(text);
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), u"'" + text + u"' is not a valid BCD value");
    }
    TBcd b = B(u"5");
    EXPECT_FALSE(TryStrToBcd(text, b));
    EXPECT_EQ(b, B(u"5"));
  }
  for (const String& text :
       std::vector<String>{u"123456789012345678901234567890123", u"0.000000000000000000000000000000001",
                           u"1234567890123456.78901234567890123", u"1e32"}) {
    try {
      StrToBcd(text);
      ADD_FAILURE() << "no exception for " << StringToUtf8(text);
    } catch (const EBcdOverflowException& e) {
      EXPECT_EQ(e.Message(), u"BCD overflow");
    }
    TBcd b;
    EXPECT_FALSE(TryStrToBcd(text, b));
  }
}

TEST(Bcd, AdditionAndSubtractionAreExact) {
  struct Case {
    String a, b;
    std::string sum, difference;
  };
  const std::vector<Case> cases = {
      {u"0.1", u"0.2", "0.3", "-0.1"},
      {u"1.5", u"-1.5", "0", "3"},
      {u"-2", u"0.25", "-1.75", "-2.25"},
      {u"12345678901234567890.12345678901", u"98765432109876543210.98765432109",
       "111111111011111111101.1111111101", "-86419753208641975320.86419753208"},
      {u"99999999999999999999999999999999", u"0", "99999999999999999999999999999999",
       "99999999999999999999999999999999"},
      // 33 digits of fraction and integer together: the fraction is rounded, halves to even.
      {u"1234567890123456.7890123456789012", u"0.00000000000000005", "1234567890123456.7890123456789012",
       "1234567890123456.7890123456789012"},
      {u"1234567890123456.7890123456789013", u"0.00000000000000005", "1234567890123456.7890123456789014",
       "1234567890123456.7890123456789012"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Sql(B(c.a) + B(c.b)), c.sum) << StringToUtf8(c.a) << " + " << StringToUtf8(c.b);
    TBcd r;
    BcdSubtract(B(c.a), B(c.b), r);
    EXPECT_EQ(Sql(r), c.difference) << StringToUtf8(c.a) << " - " << StringToUtf8(c.b);
  }
  EXPECT_THROW(B(u"99999999999999999999999999999999") + B(u"1"), EBcdOverflowException);
  EXPECT_THROW(B(u"-99999999999999999999999999999999") - B(u"1"), EBcdOverflowException);
}

TEST(Bcd, MultiplicationIsExactUpTo32Digits) {
  const std::vector<std::tuple<String, String, std::string>> cases = {
      {u"1.5", u"-2", "-3"},
      {u"0.1", u"0.1", "0.01"},
      {u"-0.5", u"-0.5", "0.25"},
      {u"0", u"-12.5", "0"},
      {u"12345678901234567", u"1000000000000000", "12345678901234567000000000000000"},
      {u"0.12345678901234567890123456789012", u"0.5", "0.06172839450617283945061728394506"},
      // Past 32 decimals: 5E-33 is a half and rounds to the even 0, 1.5E-32 to 2E-32.
      {u"0.00000000000000000000000000000001", u"0.5", "0"},
      {u"0.00000000000000000000000000000003", u"0.5", "0.00000000000000000000000000000002"},
  };
  for (const auto& [a, b, expected] : cases)
    EXPECT_EQ(Sql(B(a) * B(b)), expected) << StringToUtf8(a) << " * " << StringToUtf8(b);
  EXPECT_THROW(B(u"12345678901234567") * B(u"10000000000000000"), EBcdOverflowException);
}

TEST(Bcd, DivisionGives32DigitsRoundedHalvesToEven) {
  const std::vector<std::tuple<String, String, std::string>> cases = {
      {u"1", u"3", "0.33333333333333333333333333333333"},
      {u"2", u"3", "0.66666666666666666666666666666667"},
      {u"-2", u"3", "-0.66666666666666666666666666666667"},
      {u"10", u"4", "2.5"},
      {u"1", u"8", "0.125"},
      {u"-7", u"2", "-3.5"},
      {u"0", u"7", "0"},
      {u"100", u"0.01", "10000"},
      {u"12345678901234567890123456789012", u"1", "12345678901234567890123456789012"},
      {u"10000000000000000", u"3", "3333333333333333.3333333333333333"},
      {u"0.0000000000000000000000000000001", u"20", "0"},
      {u"0.0000000000000000000000000000003", u"20", "0.00000000000000000000000000000002"},
      // A remainder past the rounding digit makes the last digit go up, not to even.
      {u"0.00000000000000000000000000000001", u"1.9999", "0.00000000000000000000000000000001"},
  };
  for (const auto& [a, b, expected] : cases)
    EXPECT_EQ(Sql(B(a) / B(b)), expected) << StringToUtf8(a) << " / " << StringToUtf8(b);
  EXPECT_THROW(B(u"1") / B(u"0"), EZeroDivide);
  EXPECT_THROW(B(u"12345678901234567890123456789012") / B(u"0.1"), EBcdOverflowException);
}

TEST(Bcd, ComparisonIsByValueWhateverTheScale) {
  EXPECT_EQ(BcdCompare(B(u"1.50"), B(u"1.5")), 0);
  EXPECT_EQ(BcdCompare(B(u"-0"), B(u"0")), 0);
  EXPECT_EQ(BcdCompare(B(u"-1"), B(u"0")), -1);
  EXPECT_EQ(BcdCompare(B(u"0"), B(u"0.00000000000000000000000000000001")), -1);
  EXPECT_EQ(BcdCompare(B(u"0.1"), B(u"0.10000000000000000000000000000001")), -1);
  EXPECT_EQ(BcdCompare(B(u"-0.1"), B(u"-0.10000000000000000000000000000001")), 1);
  EXPECT_EQ(BcdCompare(B(u"100"), B(u"99.999")), 1);
  EXPECT_EQ(BcdCompare(B(u"-100"), B(u"-99.999")), -1);
  TBcd scaled;
  NormalizeBcd(B(u"2.5"), scaled, 10, 4);
  EXPECT_TRUE(scaled == B(u"2.5"));
  EXPECT_TRUE(B(u"2") < scaled);
  EXPECT_TRUE(-scaled < B(u"0"));
  EXPECT_FALSE(IsBcdNegative(-B(u"0")));
}

TEST(Bcd, NormalizeRoundsToTheFieldsScaleAndRaisesOnOverflow) {
  struct Case {
    String in;
    int precision, scale;
    std::string out;
    bool exact;
  };
  const std::vector<Case> cases = {
      {u"123.456", 5, 2, "123.46", false},
      {u"123.455", 6, 2, "123.46", false},
      {u"123.445", 6, 2, "123.44", false},
      {u"-123.445", 6, 2, "-123.44", false},
      {u"123.4", 6, 2, "123.4", true},
      {u"0.004", 3, 2, "0", false},
      {u"99.995", 5, 2, "100", false},
      {u"12345678901234567890123456789012", 32, 0, "12345678901234567890123456789012", true},
  };
  for (const auto& c : cases) {
    TBcd out;
    EXPECT_EQ(NormalizeBcd(B(c.in), out, c.precision, c.scale), c.exact) << StringToUtf8(c.in);
    EXPECT_EQ(Sql(out), c.out) << StringToUtf8(c.in);
    EXPECT_EQ(out.Precision, c.precision);
    EXPECT_EQ(BcdScale(out), c.scale);
  }
  TBcd out;
  NormalizeBcd(B(u"123.4"), out, 6, 2);
  EXPECT_EQ(FormatBcd(u"0.00", out), u"123,40");
  EXPECT_THROW(NormalizeBcd(B(u"1234.5"), out, 5, 2), EBcdOverflowException);
  EXPECT_THROW(NormalizeBcd(B(u"999.995"), out, 5, 2), EBcdOverflowException);
  EXPECT_THROW(NormalizeBcd(B(u"1"), out, 40, 2), EBcdException);
  EXPECT_THROW(NormalizeBcd(B(u"1"), out, 4, 5), EBcdException);
}

TEST(Bcd, PrecisionScaleAndSign) {
  EXPECT_EQ(BcdPrecision(B(u"123.45")), 3);
  EXPECT_EQ(BcdScale(B(u"123.45")), 2);
  EXPECT_EQ(BcdPrecision(B(u"0.5")), 1);
  EXPECT_EQ(BcdScale(B(u"-0.001")), 3);
  EXPECT_EQ(BcdPrecision(B(u"12345678901234567890123456789012")), 32);
  EXPECT_TRUE(IsBcdNegative(B(u"-0.001")));
  EXPECT_FALSE(IsBcdNegative(B(u"-0")));
  EXPECT_TRUE(IsBcdZero(B(u"0.000")));
  EXPECT_TRUE(IsBcdZero(TBcd()));
}

TEST(Bcd, AnInconsistentValueRaisesInsteadOfReadingPastItsDigits) {
  TBcd tooLong;
  tooLong.Precision = 40;
  EXPECT_THROW(BcdToStr(tooLong), EBcdException);
  EXPECT_THROW(IsBcdZero(tooLong), EBcdException);
  TBcd badScale = B(u"12");
  badScale.Scale = 3;
  EXPECT_THROW(BcdToDouble(badScale), EBcdException);
  TBcd badDigit = B(u"12");
  badDigit.Digits[0] = 11;
  EXPECT_THROW(BcdCompare(badDigit, B(u"1")), EBcdException);
}

TEST(Bcd, ConversionsToAndFromNumbers) {
  EXPECT_EQ(Sql(IntegerToBcd(INT64_MIN)), "-9223372036854775808");
  EXPECT_EQ(Sql(IntegerToBcd(0)), "0");
  EXPECT_EQ(Sql(IntegerToBcd(1200)), "1200");
  const std::vector<std::tuple<String, bool, Int64>> toInt = {
      {u"2.5", false, 2},
      {u"3.5", false, 4},
      {u"-2.5", false, -2},
      {u"2.51", false, 3},
      {u"2.9", true, 2},
      {u"-2.9", true, -2},
      {u"0.4", false, 0},
      {u"9223372036854775807", false, INT64_MAX},
      {u"-9223372036854775808", true, INT64_MIN},
  };
  for (const auto& [text, truncate, expected] : toInt)
    EXPECT_EQ(BcdToInteger(B(text), truncate), expected) << StringToUtf8(text);
  EXPECT_THROW(BcdToInteger(B(u"9223372036854775808")), EBcdOverflowException);
  EXPECT_THROW(BcdToInteger(B(u"9223372036854775807.5")), EBcdOverflowException);

  EXPECT_EQ(BcdToDouble(B(u"0.1")), 0.1);
  EXPECT_EQ(BcdToDouble(B(u"-12345678901234567890123456789012")), -1.2345678901234567890123456789012e31);
  EXPECT_EQ(Sql(DoubleToBcd(0.1)), "0.1");
  EXPECT_EQ(Sql(DoubleToBcd(-1234.5)), "-1234.5");
  EXPECT_EQ(Sql(DoubleToBcd(1.0 / 3)), "0.3333333333333333");
  EXPECT_EQ(Sql(DoubleToBcd(1e31)), "10000000000000000000000000000000");
  EXPECT_THROW(DoubleToBcd(1e40), EBcdOverflowException);
  EXPECT_THROW(DoubleToBcd(std::nan("")), EBcdOverflowException);
}

TEST(Bcd, ConversionsWithCurrency) {
  Currency c;
  ASSERT_TRUE(BcdToCurr(B(u"1.23455"), c));
  EXPECT_EQ(c.Value, 12346);
  ASSERT_TRUE(BcdToCurr(B(u"-1.23445"), c));
  EXPECT_EQ(c.Value, -12344);
  EXPECT_FALSE(BcdToCurr(B(u"922337203685477.5808"), c));
  EXPECT_EQ(c.Value, -12344);
  EXPECT_EQ(BcdToCurrency(B(u"922337203685477.5807")), MaxCurrency);
  EXPECT_THROW(BcdToCurrency(B(u"1e20")), EBcdOverflowException);

  EXPECT_EQ(Sql(CurrencyToBcd(MinCurrency)), "-922337203685477.5808");
  TBcd b;
  EXPECT_TRUE(CurrToBCD(Currency(123.456), b, 5, 2));
  EXPECT_EQ(Sql(b), "123.46");
  EXPECT_FALSE(CurrToBCD(Currency(1234.5), b, 5, 2));
  EXPECT_EQ(Sql(b), "123.46");
  EXPECT_TRUE(CurrToBCD(Currency(-0.0001), b));
  EXPECT_EQ(Sql(b), "-0.0001");
}

TEST(Bcd, FormattedTextKeepsAll32Digits) {
  const TBcd big = B(u"12345678901234567890.125");
  EXPECT_EQ(StringToUtf8(FormatBcd(u"#,##0.00", big)),
            "12\u00A0345\u00A0678\u00A0901\u00A0234\u00A0567\u00A0890,13");
  EXPECT_EQ(StringToUtf8(BcdToStrF(big, ffNumber, 32, 2)),
            "12\u00A0345\u00A0678\u00A0901\u00A0234\u00A0567\u00A0890,13");
  EXPECT_EQ(BcdToStrF(big, ffFixed, 32, 4), u"12345678901234567890,1250");
  EXPECT_EQ(BcdToStrF(B(u"-0.5"), ffCurrency, 32, 2), u"-0,50 ₽");
  EXPECT_EQ(BcdToStrF(B(u"12345678901234567890123456789012"), ffGeneral, 32, 0),
            u"12345678901234567890123456789012");
  EXPECT_EQ(FormatBcd(u"0.00;(0.00)", B(u"-2.005")), u"(2,01)");
  EXPECT_EQ(FormatBcd(u"", B(u"1.5")), u"1,5");
}
