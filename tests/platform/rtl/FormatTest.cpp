// Format: every specifier with widths, precisions, index and '*' forms, the locale's separators, and the
// errors for bad formats and missing or mismatched arguments.
#include <gtest/gtest.h>

#include <vector>

#include "platform/rtl/Currency.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Utf.h"

namespace {

struct Case {
  String format;
  std::vector<TVarRec> args;
  String expected;
};

void ExpectAll(const std::vector<Case>& cases) {
  for (const auto& c : cases) {
    try {
      EXPECT_EQ(StringToUtf8(Format(c.format, c.args)), StringToUtf8(c.expected)) << StringToUtf8(c.format);
    } catch (const Exception& e) {
      ADD_FAILURE() << StringToUtf8(c.format) << " raised " << e.what();
    }
  }
}

}  // namespace

TEST(Format, IntegersWithWidthPrecisionAndSign) {
  ExpectAll({
      {u"%d", {42}, u"42"},
      {u"%d", {-42}, u"-42"},
      {u"%3d", {7}, u"  7"},
      {u"%3d", {12345}, u"12345"},
      {u"%-4d|", {7}, u"7   |"},
      {u"%-d|", {7}, u"7|"},
      {u"%.4d", {42}, u"0042"},
      {u"%.4d", {-42}, u"-0042"},
      {u"%6.3d", {5}, u"   005"},
      {u"%-6.3d|", {5}, u"005   |"},
      {u"%.2d", {123}, u"123"},
      {u"%d", {Int64(INT64_MIN)}, u"-9223372036854775808"},
      {u"%d", {UInt64(UINT64_MAX)}, u"18446744073709551615"},
      {u"%d", {4000000000u}, u"4000000000"},
      {u"%u", {-1}, u"4294967295"},
      {u"%u", {Int64(-1)}, u"18446744073709551615"},
      {u"%x", {255}, u"FF"},
      {u"%.4x", {255}, u"00FF"},
      {u"%2.2x", {10}, u"0A"},
      {u"%x", {-1}, u"FFFFFFFF"},
      {u"%x", {Int64(-1)}, u"FFFFFFFFFFFFFFFF"},
      {u"%D|%X", {1, 10}, u"1|A"},
  });
}

TEST(Format, StringsCharactersAndLiterals) {
  const String name = u"Иванов";
  ExpectAll({
      {u"%s", {u"Вход"}, u"Вход"},
      {u"Сотрудник: %s.", {name}, u"Сотрудник: Иванов."},
      {u"%10s|", {name}, u"    Иванов|"},
      {u"%-10s|", {name}, u"Иванов    |"},
      {u"%.3s", {name}, u"Ива"},
      {u"%5.1s|", {name}, u"    И|"},
      {u"%s", {String()}, u""},
      {u"%s", {static_cast<const Char*>(nullptr)}, u""},
      {u"%s%s", {u'Ё', u'ж'}, u"Ёж"},
      {u"%s", {AnsiString(u"Счёт")}, u"Счёт"},
      {u"%s", {AnsiString::FromBytes("a\x98")}, u"a\uFFFD"},
      {u"%.2s", {u"a\U0001F600"}, u"a"},  // never half a surrogate pair
      {u"100%%", {}, u"100%"},
      {u"%%s", {}, u"%s"},
      {u"no specifiers", {1, 2}, u"no specifiers"},
  });
}

TEST(Format, IndexAndStarTakeArgumentsOutOfOrder) {
  ExpectAll({
      {u"%1:s %0:s", {u"мир", u"привет"}, u"привет мир"},
      {u"%0:s-%s-%s", {u"a", u"b", u"c"}, u"a-b-c"},
      {u"%1:s-%s-%0:s", {u"a", u"b", u"c"}, u"b-c-a"},
      {u"%0:s %0:s", {u"x"}, u"x x"},
      {u"%0:-5s|", {u"ab"}, u"ab   |"},
      {u"%1:3d|", {1, 2}, u"  2|"},
      {u"%*d", {5, 42}, u"   42"},
      {u"%-*d|", {4, 7}, u"7   |"},
      {u"%.*d", {4, 42}, u"0042"},
      {u"%*.*d", {6, 3, 7}, u"   007"},
      {u"%*:s", {1, u"a"}, u"a"},
  });
}

TEST(Format, FloatsUseTheLocaleSeparators) {
  const String nbsp = u"\u00A0";
  ExpectAll({
      {u"%f", {1.5}, u"1,50"},
      {u"%.2f", {3.14159}, u"3,14"},
      {u"%.0f", {2.5L}, u"3"},
      {u"%-4.2f|", {1.0}, u"1,00|"},
      {u"%6.1f|", {-2.25}, u"  -2,3|"},
      {u"%.3f", {0.0005}, u"0,001"},
      {u"%n", {1234567.891}, u"1" + nbsp + u"234" + nbsp + u"567,89"},
      {u"%.0n", {1234.0}, u"1" + nbsp + u"234"},
      {u"%e", {1234.5}, u"1,23450000000000E+003"},
      {u"%.3e", {-0.000123}, u"-1,23E-004"},
      {u"%g", {0.5}, u"0,5"},
      {u"%g", {1234567.0}, u"1234567"},
      {u"%.3g", {1234567.0}, u"1,23E6"},
      {u"%g", {1e-7}, u"1E-7"},
      {u"%m", {1234.5}, u"1" + nbsp + u"234,50 ₽"},
      {u"%.0m", {1234.5}, u"1" + nbsp + u"235 ₽"},
      {u"%m", {-5.0}, u"-5,00 ₽"},
      {u"%m", {Currency::FromRaw(12345678)}, u"1" + nbsp + u"234,57 ₽"},
      {u"%.4m", {Currency::FromRaw(-1)}, u"-0,0001 ₽"},
      {u"%f", {Currency::FromRaw(25000)}, u"2,50"},
      {u"%n",
       {Currency::FromRaw(INT64_MAX)},
       u"922" + nbsp + u"337" + nbsp + u"203" + nbsp + u"685" + nbsp + u"477,58"},
  });
}

TEST(Format, SettingsCanBeGivenOrSwapped) {
  TFormatSettings english = TFormatSettings::Russian();
  english.DecimalSeparator = u'.';
  english.ThousandSeparator = u',';
  english.CurrencyString = String(1, u'$');
  english.CurrencyFormat = 0;
  english.CurrencyDecimals = 3;
  EXPECT_EQ(Format(u"%.2f %n %m", {3.14159, 1234.5, 2.0}, english), u"3.14 1,234.50 $2.000");
  EXPECT_EQ(Format(u"%.1f", {0.25}), u"0,3") << "the global settings are untouched";
  {
    TFormatSettingsGuard guard(english);
    EXPECT_EQ(Format(u"%.1f", {0.25}), u"0.3");
  }
  EXPECT_EQ(Format(u"%.1f", {0.25}), u"0,3");
}

TEST(Format, PointersShowAllTheirHexDigits) {
  int x = 0;
  const String text = Format(u"%p", {static_cast<const void*>(&x)});
  EXPECT_EQ(text.size(), sizeof(void*) * 2);
  EXPECT_EQ(text.find_first_not_of(u"0123456789ABCDEF"), String::npos);
  EXPECT_EQ(Format(u"%p", {nullptr}), String(sizeof(void*) * 2, u'0'));
}

TEST(Format, BadFormatsAndArgumentsRaiseConvertErrors) {
  struct Bad {
    String format;
    std::vector<TVarRec> args;
    bool missing;  // "No argument" rather than "invalid or incompatible"
  } cases[] = {
      {u"%d", {u"abc"}, false},
      {u"%d", {1.5}, false},
      {u"%d", {true}, false},
      {u"%d", {Currency::FromRaw(1)}, false},
      {u"%x", {u'x'}, false},
      {u"%s", {42}, false},
      {u"%s", {true}, false},
      {u"%s", {1.0}, false},
      {u"%f", {42}, false},
      {u"%m", {u"1"}, false},
      {u"%p", {1}, false},
      {u"%q", {1}, false},
      {u"%", {1}, false},
      {u"abc %5", {1}, false},
      {u"%5-d", {1}, false},
      {u"%*d", {u"5", 1}, false},
      {u"%99999999999d", {1}, false},
      {u"%d", {}, true},
      {u"%s %s", {u"a"}, true},
      {u"%2:s", {u"a", u"b"}, true},
      {u"%*d", {5}, true},
  };
  for (const auto& c : cases) {
    const String expected = c.missing ? u"No argument for format '" + c.format + u"'"
                                      : u"Format '" + c.format + u"' invalid or incompatible with argument";
    try {
      Format(c.format, c.args);
      ADD_FAILURE() << StringToUtf8(c.format) << ": no exception";
    } catch (const EConvertError& e) {
      EXPECT_EQ(StringToUtf8(e.Message()), StringToUtf8(expected));
    }
  }
}
