// FormatFloat's mask language, FloatToStr/FloatToStrF in all formats, and StrToFloat's good and bad text,
// in the Russian profile and with explicit settings.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "platform/rtl/Exception.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Utf.h"

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct MaskCase {
  String mask;
  Extended value;
  String expected;
};

void ExpectMasks(const std::vector<MaskCase>& cases) {
  for (const auto& c : cases)
    EXPECT_EQ(StringToUtf8(FormatFloat(c.mask, c.value)), StringToUtf8(c.expected))
        << StringToUtf8(c.mask) << " with " << static_cast<double>(c.value);
}

struct FormatCase {
  Extended value;
  TFloatFormat format;
  int precision;
  int digits;
  String expected;
};

TFormatSettings EnglishLike() {
  TFormatSettings fs = TFormatSettings::Russian();
  fs.DecimalSeparator = u'.';
  fs.ThousandSeparator = u',';
  fs.CurrencyString.assign(1, u'$');  // a literal assignment trips a false -Wrestrict in GCC 12
  fs.CurrencyFormat = 0;
  fs.NegCurrFormat = 0;
  return fs;
}

}  // namespace

TEST(FloatFormat, MasksTheSystemUsesRoundHalvesAwayOnTheDecimalDigits) {
  ExpectMasks({
      {u"#0", 0, u"0"},
      {u"#0", 5, u"5"},
      {u"#0", -5, u"-5"},
      {u"#0", 2.5, u"3"},
      {u"#0", -2.5, u"-3"},
      {u"#0", 0.4, u"0"},
      {u"#0", 1234567, u"1234567"},
      {u"#0.00", 0, u"0,00"},
      {u"#0.00", 1234.5, u"1234,50"},
      // The decimal the double prints as decides, not its binary neighbour 1.00499999...
      {u"#0.00", 1.005, u"1,01"},
      {u"#0.00", -1.005, u"-1,01"},
      {u"#0.00", 2.675, u"2,68"},
      {u"#0.00", 0.125, u"0,13"},
      {u"#0.00", 0.005, u"0,01"},
      {u"#0.00", 0.004, u"0,00"},
      // Rounded to zero: no minus sign.
      {u"#0.00", -0.001, u"0,00"},
      {u"#0.00", -0.0, u"0,00"},
      {u"#0.000", 1.0005, u"1,001"},
      {u"#0.000", 3.14159, u"3,142"},
      {u"#0.000", -7, u"-7,000"},
      {u"#0.00#", 1.5, u"1,50"},
      {u"#0.00#", 1.234, u"1,234"},
      {u"#0.00#", 1.2345, u"1,235"},
      {u"#0.00#", 1.23, u"1,23"},
      {u"#,##0.00", 0, u"0,00"},
      {u"#,##0.00", 100, u"100,00"},
      {u"#,##0.00", 1000, u"1\u00A0000,00"},
      {u"#,##0.00", 1234567.891, u"1\u00A0234\u00A0567,89"},
      {u"#,##0.00", -1234.5, u"-1\u00A0234,50"},
      {u"#,##0.00", 999.995, u"1\u00A0000,00"},
      {u"#,##0.00", 123456789012345.67, u"123\u00A0456\u00A0789\u00A0012\u00A0345,67"},
      {u",#", 0, u""},
      {u",#", 999, u"999"},
      {u",#", 1000, u"1\u00A0000"},
      {u",#", 1234567, u"1\u00A0234\u00A0567"},
      {u",#", 12.5, u"13"},
      {u",#", -1234, u"-1\u00A0234"},
      {u",#.####", 0, u""},
      {u",#.####", 1000, u"1\u00A0000"},
      {u",#.####", 1234.56789, u"1\u00A0234,5679"},
      // '#' shows no digit where the value has none: the integer zero is left out.
      {u",#.####", 0.5, u",5"},
      {u"0.####", 0, u"0"},
      {u"0.####", 1.5, u"1,5"},
      {u"0.####", -3, u"-3"},
      {u"0.####", 12.34567, u"12,3457"},
      {u"0.####", 0.00001, u"0"},
      {u"0.####", 0.00005, u"0,0001"},
      {u"0", 0.5, u"1"},
      {u"0", 1.5, u"2"},
      {u"0", -0.5, u"-1"},
      {u"0", 0.49, u"0"},
      {u"0", 1e15, u"1000000000000000"},
      {u"0", 1e17, u"100000000000000000"},
      {u"00", 0, u"00"},
      {u"00", 5, u"05"},
      {u"00", -5, u"-05"},
      {u"00", 123, u"123"},
  });
}

TEST(FloatFormat, GroupingWhereverTheCommaStandsAndMinimumDigits) {
  ExpectMasks({
      {u",0.00", 1234.5, u"1\u00A0234,50"},
      {u"0.00,", 1234.5, u"1\u00A0234,50"},
      {u"0,000", 5, u"0\u00A0005"},
      {u"#,##0", 999999.5, u"1\u00A0000\u00A0000"},
      {u"000.0", 1.25, u"001,3"},
      {u"#.##", 0, u""},
      {u"#.##", 0.5, u",5"},
  });
}

TEST(FloatFormat, SectionsChooseByTheSignAndByARoundedZero) {
  ExpectMasks({
      {u"#,##0.00;(#,##0.00);Ноль", 1234.5, u"1\u00A0234,50"},
      {u"#,##0.00;(#,##0.00);Ноль", -1234.5, u"(1\u00A0234,50)"},
      {u"#,##0.00;(#,##0.00);Ноль", 0, u"Ноль"},
      {u"#,##0.00;(#,##0.00);Ноль", 0.001, u"Ноль"},
      {u"#,##0.00;(#,##0.00);Ноль", -0.001, u"Ноль"},
      // An empty negative section falls back to the first one with a minus sign.
      {u"0.00;;'нет'", -2, u"-2,00"},
      {u"0.00;;'нет'", 0, u"нет"},
      {u"0.00;", -2, u"-2,00"},
      {u"0.00;;", 0, u"0,00"},
      {u"0.00;-0.0", -2.25, u"-2,3"},
      // A negative value that rounds to zero with no zero section loses its sign.
      {u"0.0;(0.0)", -0.01, u"0,0"},
  });
}

TEST(FloatFormat, LiteralsQuotesAndExponents) {
  ExpectMasks({
      {u"'Итого: '0.00' руб.'", 5, u"Итого: 5,00 руб."},
      {u"\"#\"0", 5, u"#5"},
      {u"'a;b'0;'neg'0", -3, u"neg3"},
      {u"0.00 %", 12.5, u"12,50 %"},
      {u"00-00", 12345, u"123-45"},
      {u"0.00E+00", 1234.5, u"1,23E+03"},
      {u"0.00E+00", 0.00012345, u"1,23E-04"},
      {u"0.00E-00", 1234.5, u"1,23E03"},
      {u"0.00E-00", 0.00012345, u"1,23E-04"},
      {u"0.0e+0", 12345, u"1,2e+4"},
      {u"00.0E+00", 1234.5, u"12,3E+02"},
      {u"0.00E+00", 0, u"0,00E+00"},
      {u"0.00E+00", -9.999, u"-1,00E+01"},
      {u"#.##E+0", 1500, u"1,5E+3"},
      // E without a sign is an ordinary character.
      {u"0E", 5, u"5E"},
  });
}

TEST(FloatFormat, SpecialValuesHugeValuesAndEmptyMask) {
  ExpectMasks({
      {u"#,##0.00", kNan, u"NAN"},
      {u"#,##0.00", kInf, u"INF"},
      {u"#,##0.00", -kInf, u"-INF"},
      {u"#,##0.00", 1e20, u"1E20"},
      {u"0", -1e19, u"-1E19"},
      {u"0.00E+000", 1e300, u"1,00E+300"},
      {u"", 1.5, u"1,5"},
      {u"", 1e20, u"1E20"},
  });
}

TEST(FloatFormat, FloatToStrIsGeneralWith15Digits) {
  const std::vector<std::pair<Extended, String>> cases = {
      {0, u"0"},
      {-0.0, u"0"},
      {1, u"1"},
      {-1.5, u"-1,5"},
      {100, u"100"},
      {1e14, u"100000000000000"},
      {1e15, u"1E15"},
      {1e20, u"1E20"},
      {1.5e-5, u"1,5E-5"},
      {0.0001, u"0,0001"},
      {0.00001, u"1E-5"},
      {1.0 / 3, u"0,333333333333333"},
      {2.0 / 3, u"0,666666666666667"},
      {0.1 + 0.2, u"0,3"},
      {123456789012.345, u"123456789012,345"},
      {1.23456789012345678e17, u"1,23456789012346E17"},
      {-2.5e-300, u"-2,5E-300"},
      {999999999999999.9, u"1E15"},
      {1.0L / 3, u"0,333333333333333"},
      {kNan, u"NAN"},
      {kInf, u"INF"},
      {-kInf, u"-INF"},
  };
  for (const auto& [value, expected] : cases)
    EXPECT_EQ(StringToUtf8(FloatToStr(value)), StringToUtf8(expected)) << static_cast<double>(value);
}

TEST(FloatFormat, FloatToStrFInAllFiveFormats) {
  const std::vector<FormatCase> cases = {
      {1234.5678, ffFixed, 15, 2, u"1234,57"},
      {-1234.5678, ffFixed, 15, 2, u"-1234,57"},
      {0.5, ffFixed, 15, 0, u"1"},
      {2.5, ffFixed, 15, 0, u"3"},
      {1.005, ffFixed, 15, 2, u"1,01"},
      {-0.001, ffFixed, 15, 2, u"0,00"},
      {0, ffFixed, 15, 3, u"0,000"},
      // Precision limits the significant digits; the decimals are then padded.
      {123.456, ffFixed, 4, 2, u"123,50"},
      // More integer digits than the precision: the general form.
      {1e20, ffFixed, 15, 2, u"1E20"},
      {123456, ffFixed, 3, 2, u"1,23E5"},
      {1234.5678, ffNumber, 15, 2, u"1\u00A0234,57"},
      {1234567, ffNumber, 15, 0, u"1\u00A0234\u00A0567"},
      {-999.999, ffNumber, 15, 2, u"-1\u00A0000,00"},
      {1234.5678, ffCurrency, 15, 2, u"1\u00A0234,57 ₽"},
      {-1234.5678, ffCurrency, 15, 2, u"-1\u00A0234,57 ₽"},
      {-0.001, ffCurrency, 15, 2, u"0,00 ₽"},
      {1234.5678, ffExponent, 4, 2, u"1,235E+03"},
      {-1234.5678, ffExponent, 4, 0, u"-1,235E+3"},
      {0.00012, ffExponent, 3, 3, u"1,20E-004"},
      {0, ffExponent, 4, 2, u"0,000E+00"},
      {9.9999, ffExponent, 3, 1, u"1,00E+1"},
      {1234.5678, ffGeneral, 15, 0, u"1234,5678"},
      {1234.5678, ffGeneral, 6, 0, u"1234,57"},
      {123456, ffGeneral, 3, 0, u"1,23E5"},
      {1.5e-5, ffGeneral, 15, 2, u"1,5E-05"},
      {kNan, ffFixed, 15, 2, u"NAN"},
      {kInf, ffNumber, 15, 2, u"INF"},
      {-kInf, ffExponent, 15, 2, u"-INF"},
      {-kInf, ffCurrency, 15, 2, u"-INF"},
      {kNan, ffGeneral, 15, 0, u"NAN"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StringToUtf8(FloatToStrF(c.value, c.format, c.precision, c.digits)), StringToUtf8(c.expected))
        << static_cast<double>(c.value) << " format " << c.format << " " << c.precision << "/" << c.digits;
}

TEST(FloatFormat, ExplicitSettingsAndTheScopeGuard) {
  const TFormatSettings en = EnglishLike();
  EXPECT_EQ(FormatFloat(u"#,##0.00", 1234.5, en), u"1,234.50");
  EXPECT_EQ(FloatToStr(1.5e-5, en), u"1.5E-5");
  EXPECT_EQ(FloatToStrF(1234.5, ffCurrency, 15, 2, en), u"$1,234.50");
  EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2, en), u"($1,234.50)");
  EXPECT_EQ(StrToFloat(u"1.5", en), 1.5);
  EXPECT_THROW(StrToFloat(u"1,5", en), EConvertError);
  {
    TFormatSettingsGuard guard(en);
    EXPECT_EQ(FloatToStr(2.5), u"2.5");
    EXPECT_EQ(StrToFloat(u"2.5"), 2.5);
  }
  EXPECT_EQ(FloatToStr(2.5), u"2,5");
}

TEST(FloatFormat, StrToFloatReadsTheLocaleFormWithBlanksAndExponents) {
  const std::vector<std::pair<String, double>> good = {
      {u"1,5", 1.5},    {u" 1,5 ", 1.5},
      {u"-1,5", -1.5},  {u"+2", 2},
      {u"1e3", 1000},   {u"1E-2", 0.01},
      {u",5", 0.5},     {u"5,", 5},
      {u"1,5e+2", 150}, {u"0", 0},
      {u"\t7\r\n", 7},  {u"0,1", 0.1},
      {u"007", 7},      {u"-0,0", 0},
      {u"1e-400", 0},   {u"123456789012345678901234567890", 1.2345678901234568e29},
  };
  for (const auto& [text, expected] : good) {
    Extended v = -1;
    EXPECT_TRUE(TryStrToFloat(text, v)) << StringToUtf8(text);
    EXPECT_EQ(v, expected) << StringToUtf8(text);
  }
  const std::vector<String> bad = {u"1.5",        u"abc",    u"",     u"   ", u"1,5,0", u"1 000",
                                   u"1\u00A0000", u"1e",     u"e3",   u"--1", u"1,5x",  u",",
                                   u"-",          u"1e5000", u"0x10", u"1e+", u"+-1",   u"1,5 2"};
  for (const auto& text : bad) {
    Extended v = 42;
    EXPECT_FALSE(TryStrToFloat(text, v)) << StringToUtf8(text);
    EXPECT_EQ(v, 42) << "unchanged on failure: " << StringToUtf8(text);
  }
}

TEST(FloatFormat, StrToFloatErrorsDefaultsAndSpecialValues) {
  try {
    StrToFloat(u"abc");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'abc' is not a valid floating point value");
  }
  EXPECT_THROW(StrToFloat(u""), EConvertError);
  EXPECT_EQ(StrToFloatDef(u"x", 7), 7);
  EXPECT_EQ(StrToFloatDef(u"2,25", 7), 2.25);
  // The text is read to double precision, so it equals the double literal.
  EXPECT_EQ(StrToFloat(u"0,1"), static_cast<Extended>(0.1));
  double d = 0;
  EXPECT_TRUE(TryStrToFloat(u"0,3", d));
  EXPECT_EQ(d, 0.3);
  Single s = 0;
  EXPECT_FALSE(TryStrToFloat(u"1e40", s));
  EXPECT_TRUE(TryStrToFloat(u"1,5", s));
  EXPECT_EQ(s, 1.5f);
  EXPECT_TRUE(std::isnan(StrToFloat(u"NAN")));
  EXPECT_EQ(StrToFloat(u"-INF"), -kInf);
  EXPECT_EQ(StrToFloat(u"inf"), kInf);
}

TEST(FloatFormat, WhatIsShownReadsBack) {
  for (double v : {0.1, 1234.5, -2.5e-7, 1e20, 123456789.125, 0.000123, 5e-324})
    EXPECT_EQ(StrToFloat(FloatToStr(v)), static_cast<Extended>(v)) << v;
}

TEST(FloatFormat, ExactDecimalsKeepAllTheirDigits) {
  TFloatRec rec;
  ASSERT_TRUE(TryTextToDecimal(u"-12345678901234567890,125", rec, u',', false));
  EXPECT_EQ(rec.Digits, "12345678901234567890125");
  EXPECT_EQ(rec.Exponent, 20);
  EXPECT_TRUE(rec.Negative);
  const TFormatSettings& fs = FormatSettings;
  EXPECT_EQ(StringToUtf8(DecimalToStrF(rec, ffNumber, 64, 2, fs)),
            "-12\u00A0345\u00A0678\u00A0901\u00A0234\u00A0567\u00A0890,13");
  EXPECT_EQ(StringToUtf8(FormatDecimal(u"0.000", rec, fs)), "-12345678901234567890,125");
  EXPECT_TRUE(TryTextToDecimal(u"1.5", rec, u',', true));
  EXPECT_FALSE(TryTextToDecimal(u"1.5", rec, u',', false));

  TFloatRec half;
  ASSERT_TRUE(TryTextToDecimal(u"2,5", half, u',', false));
  TFloatRec even = half;
  RoundDecimalHalfEven(even, 100, 0);
  EXPECT_EQ(even.Digits, "2");
  RoundDecimal(half, 100, 0);
  EXPECT_EQ(half.Digits, "3");
}
