// Dates as text under the Russian profile: every FormatDateTime pattern, the Str/ToStr functions, and
// reading good and bad date, time and date-time text.
#include <gtest/gtest.h>

#include <limits>

#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Utf.h"
#include "tests/platform/rtl/DateTestSupport.h"

namespace {

// Tuesday 5 March 2024, 14:07:09.045.
const TDateTime kSample = EncodeDateTime(2024, 3, 5, 14, 7, 9, 45);

// The readers' results are compared as text, which names the part that differs.
std::string FormattedText(TDateTime v) { return StringToUtf8(FormatDateTime(u"yyyy-mm-dd hh:nn:ss.zzz", v)); }

class DateFormatTest : public ::testing::Test {
 protected:
  // Each test starts from the Russian profile and leaves it as it found it.
  TFormatSettingsGuard guard_{TFormatSettings::Russian()};
};

}  // namespace

TEST_F(DateFormatTest, EveryPatternLetter) {
  struct Case {
    const char16_t* format;
    const char16_t* want;
  } cases[] = {
      {u"d", u"5"},
      {u"dd", u"05"},
      {u"ddd", u"Вт"},
      {u"dddd", u"вторник"},
      {u"ddddd", u"05.03.2024"},
      {u"dddddd", u"5 марта 2024 г."},
      {u"m", u"3"},
      {u"mm", u"03"},
      {u"mmm", u"мар"},
      {u"mmmm", u"Март"},
      {u"y", u"24"},
      {u"yy", u"24"},
      {u"yyy", u"2024"},
      {u"yyyy", u"2024"},
      {u"h", u"14"},
      {u"hh", u"14"},
      {u"n", u"7"},
      {u"nn", u"07"},
      {u"s", u"9"},
      {u"ss", u"09"},
      {u"z", u"45"},
      {u"zz", u"45"},
      {u"zzz", u"045"},
      {u"t", u"14:07"},
      {u"tt", u"14:07:09"},
      {u"c", u"05.03.2024 14:07:09"},
      {u"", u"05.03.2024 14:07:09"},
      {u"DD.MM.YYYY HH:NN:SS", u"05.03.2024 14:07:09"},
      {u"dd/mm/yyyy", u"05.03.2024"},
      {u"hh:nn:ss.zzz", u"14:07:09.045"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StringToUtf8(FormatDateTime(c.format, kSample)), StringToUtf8(c.want))
        << StringToUtf8(c.format);
}

TEST_F(DateFormatTest, MAfterAnHourIsMinutes) {
  struct Case {
    const char16_t* format;
    const char16_t* want;
  } cases[] = {
      {u"h:m", u"14:7"},
      {u"hh:mm", u"14:07"},
      {u"hh:mm:ss", u"14:07:09"},
      {u"hh 'и' mm", u"14 и 07"},
      {u"hh:mm dd.mm", u"14:07 05.03"},
      {u"mm hh", u"03 14"},
      {u"hh:mmmm", u"14:07"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StringToUtf8(FormatDateTime(c.format, kSample)), StringToUtf8(c.want))
        << StringToUtf8(c.format);
}

TEST_F(DateFormatTest, TwelveHourClock) {
  TFormatSettings english = TFormatSettings::Russian();
  english.TimeAMString = u"AM";
  english.TimePMString = u"PM";
  struct Case {
    TDateTime value;
    const char16_t* format;
    const char16_t* want;
  } cases[] = {
      {kSample, u"h:nn am/pm", u"2:07 pm"},
      {kSample, u"hh:nn AM/PM", u"02:07 PM"},
      {kSample, u"h A/P", u"2 P"},
      {kSample, u"h a/p", u"2 p"},
      {kSample, u"h:nn ampm", u"2:07 PM"},
      {Dt(2024, 3, 5, 0, 5), u"h:nn am/pm", u"12:05 am"},
      {Dt(2024, 3, 5, 12, 5), u"h:nn am/pm", u"12:05 pm"},
      {Dt(2024, 3, 5, 9, 5), u"hh:nn Am/Pm", u"09:05 Am"},
      // Quoted or past the next hour the marker does not switch the clock.
      {kSample, u"h 'am/pm'", u"14 am/pm"},
      {kSample, u"h h am/pm", u"14 2 pm"},
      {kSample, u"h amx", u"14 a3x"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StringToUtf8(FormatDateTime(c.format, c.value, english)), StringToUtf8(c.want))
        << StringToUtf8(c.format);
  // The Russian profile has no AM/PM designators: "ampm" writes nothing and keeps the 24-hour clock, so
  // 2 p.m. cannot be shown as an unmarked "2".
  EXPECT_EQ(StringToUtf8(FormatDateTime(u"h:nn ampm", kSample)), "14:07 ");
}

TEST_F(DateFormatTest, LiteralsAndUnknownLettersPassThrough) {
  struct Case {
    const char16_t* format;
    const char16_t* want;
  } cases[] = {
      {u"'d' d", u"d 5"},
      {u"\"mm\" mm", u"mm 03"},
      {u"'it''s'", u"its"},
      {u"'unterminated", u"unterminated"},
      {u"YYYY/WW", u"2024.WW"},
      {u"yyyy-\"W\"ww", u"2024-Www"},
      {u"dd.mm.yyyy 'г.'", u"05.03.2024 г."},
      {u"[hh]", u"[14]"},
      {u"Квартал q", u"Квартал q"},
      {u"xX", u"xX"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StringToUtf8(FormatDateTime(c.format, kSample)), StringToUtf8(c.want))
        << StringToUtf8(c.format);
}

TEST_F(DateFormatTest, LongMonthNamesAreGenitiveBesideADayNumber) {
  struct Case {
    TDateTime value;
    const char16_t* format;
    const char16_t* want;
  } cases[] = {
      {kSample, u"d MMMM yyyy 'г.'", u"5 марта 2024 г."},
      {kSample, u"dd mmmm", u"05 марта"},
      {kSample, u"mmmm d", u"марта 5"},
      {kSample, u"mmmm yyyy", u"Март 2024"},
      {kSample, u"dddd, mmmm", u"вторник, Март"},
      {kSample, u"'d' mmmm", u"d Март"},
      {Dt(2024, 5, 1), u"dddddd", u"1 мая 2024 г."},
      {Dt(2024, 12, 31), u"dddddd", u"31 декабря 2024 г."},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StringToUtf8(FormatDateTime(c.format, c.value)), StringToUtf8(c.want))
        << StringToUtf8(c.format);
  TFormatSettings noGenitive = TFormatSettings::Russian();
  noGenitive.LongMonthNamesGenitive = {};
  EXPECT_EQ(StringToUtf8(FormatDateTime(u"d mmmm", kSample, noGenitive)), "5 Март");
}

TEST_F(DateFormatTest, SeparatorsAndNamesComeFromTheSettings) {
  TFormatSettings us = TFormatSettings::Russian();
  us.DateSeparator = u'/';
  us.TimeSeparator = u'-';
  us.ShortDateFormat = u"mm/dd/yyyy";
  us.LongTimeFormat = u"hh:nn";
  us.ShortDayNames[2] = u"Tue";
  EXPECT_EQ(StringToUtf8(FormatDateTime(u"c", kSample, us)), "03/05/2024 14-07");
  EXPECT_EQ(StringToUtf8(FormatDateTime(u"ddd", kSample, us)), "Tue");
  EXPECT_EQ(StringToUtf8(DateToStr(kSample, us)), "03/05/2024");

  // The process-wide settings, swapped by the guard.
  FormatSettings.DateSeparator = u'-';
  EXPECT_EQ(StringToUtf8(FormatDateTime(u"dd/mm/yyyy", kSample)), "05-03-2024");
  // The profile's short date pattern has a literal dot.
  EXPECT_EQ(StringToUtf8(DateToStr(kSample)), "05.03.2024");
  String out;
  DateTimeToString(out, u"yyyy/mm", kSample);
  EXPECT_EQ(StringToUtf8(out), "2024-03");
  DateTimeToString(out, u"yyyy/mm", kSample, us);
  EXPECT_EQ(StringToUtf8(out), "2024/03");
}

TEST_F(DateFormatTest, SelfNamingSettingsPatternsDoNotRecurseForever) {
  TFormatSettings odd = TFormatSettings::Russian();
  odd.ShortDateFormat = u"c";
  odd.LongTimeFormat = u"tt";
  EXPECT_NO_THROW(FormatDateTime(u"c", kSample, odd));
  EXPECT_NO_THROW(FormatDateTime(u"ddddd tt", kSample, odd));
}

TEST_F(DateFormatTest, ToStrFunctions) {
  EXPECT_EQ(StringToUtf8(DateToStr(kSample)), "05.03.2024");
  EXPECT_EQ(StringToUtf8(TimeToStr(kSample)), "14:07:09");
  EXPECT_EQ(StringToUtf8(TimeToStr(Dt(2024, 3, 5, 9, 5))), "9:05:00");
  EXPECT_EQ(StringToUtf8(DateTimeToStr(kSample)), "05.03.2024 14:07:09");
  // Midnight leaves the time out.
  EXPECT_EQ(StringToUtf8(DateTimeToStr(Dt(2024, 3, 5))), "05.03.2024");
  EXPECT_EQ(StringToUtf8(DateTimeToStr(0.5)), "30.12.1899 12:00:00");
  EXPECT_EQ(StringToUtf8(DateTimeToStr(Dt(1899, 12, 29, 6))), "29.12.1899 6:00:00");
  // A value a hair before midnight is midnight of the next day, not 23:59:59 of this one.
  EXPECT_EQ(StringToUtf8(DateTimeToStr(Dt(2024, 3, 6) - 1e-10)), "06.03.2024");
  EXPECT_EQ(
      StringToUtf8(FormatDateTime(u"dd.mm.yyyy hh:nn:ss.zzz", Dt(2024, 3, 5) + 86399999.6 / MSecsPerDay)),
      "06.03.2024 00:00:00.000");
}

TEST_F(DateFormatTest, ValuesOutsideTheCalendarWriteZerosInsteadOfFailing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(StringToUtf8(FormatDateTime(u"dd.mm.yyyy hh:nn ddd mmmm", nan)), "00.00.0000 00:00  ");
  EXPECT_EQ(StringToUtf8(FormatDateTime(u"dd.mm.yyyy", 1e7)), "00.00.0000");
}

TEST_F(DateFormatTest, StrToDateReadsTheRussianOrder) {
  const Word year = YearOf(Date());
  struct Case {
    const char16_t* text;
    TDateTime want;
  } cases[] = {
      {u"05.03.2024", Dt(2024, 3, 5)},    {u"5.3.2024", Dt(2024, 3, 5)},
      {u"  5.3.2024  ", Dt(2024, 3, 5)},  {u"5 . 3 . 2024", Dt(2024, 3, 5)},
      {u"29.02.2024", Dt(2024, 2, 29)},   {u"31.12.9999", Dt(9999, 12, 31)},
      {u"01.01.0001", Dt(1, 1, 1)},       {u"29.12.1899", Dt(1899, 12, 29)},
      {u"05.03.24", Dt(2024, 3, 5)},      {u"05.03.0024", Dt(24, 3, 5)},
      {u"05.03", EncodeDate(year, 3, 5)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormattedText(StrToDate(c.text)), FormattedText(c.want)) << StringToUtf8(c.text);
}

TEST_F(DateFormatTest, TwoDigitYearsFollowTheCenturyWindow) {
  const int year = YearOf(Date());
  const int window = FormatSettings.TwoDigitYearCenturyWindow;
  auto twoDigits = [](int y) {
    const int yy = y % 100;
    return String(1, static_cast<Char>(u'0' + yy / 10)) + static_cast<Char>(u'0' + yy % 10);
  };
  // The oldest year read back is `window` years ago; one year older wraps to the next century.
  EXPECT_EQ(YearOf(StrToDate(u"01.01." + twoDigits(year - window))), year - window);
  EXPECT_EQ(YearOf(StrToDate(u"01.01." + twoDigits(year - window - 1))), year - window - 1 + 100);
  TFormatSettings wide = TFormatSettings::Russian();
  wide.TwoDigitYearCenturyWindow = 0;
  EXPECT_EQ(YearOf(StrToDate(u"01.01.99", wide)), year / 100 * 100 + 99);
}

TEST_F(DateFormatTest, StrToDateRejectsBadText) {
  const char16_t* bad[] = {
      u"",
      u"   ",
      u"31.02.2024",
      u"29.02.2023",
      u"05/03/2024",
      u"05.03.2024x",
      u"05.13.2024",
      u"aa",
      u"05..2024",
      u"05.03.",
      u"0.03.2024",
      u"05.03.10000",
      u"5",
      u"05.03.2024 10:00",
      u"-05.03.2024",
      u"05.03.0000",
      u".03.2024",
  };
  for (const char16_t* text : bad) {
    TDateTime value = 42;
    EXPECT_FALSE(TryStrToDate(text, value)) << StringToUtf8(text);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(StrToDateDef(text, 7), 7);
  }
  try {
    StrToDate(u"31.02.2024");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(StringToUtf8(e.Message()), "'31.02.2024' is not a valid date");
  }
}

TEST_F(DateFormatTest, StrToTimeGoodAndBad) {
  struct Case {
    const char16_t* text;
    TDateTime want;
  } cases[] = {
      {u"14:30", EncodeTime(14, 30, 0, 0)},
      {u"14:30:15", EncodeTime(14, 30, 15, 0)},
      {u"9:05", EncodeTime(9, 5, 0, 0)},
      {u" 09:05 ", EncodeTime(9, 5, 0, 0)},
      {u"14", EncodeTime(14, 0, 0, 0)},
      {u"0:00", 0},
      {u"23:59:59,999", EncodeTime(23, 59, 59, 999)},
      {u"14:30:15,5", EncodeTime(14, 30, 15, 500)},
      {u"14:30:15,05", EncodeTime(14, 30, 15, 50)},
      {u"14:30:15,1239", EncodeTime(14, 30, 15, 123)},
      {u"2:30 PM", EncodeTime(14, 30, 0, 0)},
      {u"12:00 am", 0},
      {u"12:15 PM", EncodeTime(12, 15, 0, 0)},
      {u"PM 2:30", EncodeTime(14, 30, 0, 0)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormattedText(StrToTime(c.text)), FormattedText(c.want)) << StringToUtf8(c.text);

  const char16_t* bad[] = {u"",         u"24:00",   u"14:60",      u"14.30",    u"14:30:",    u"abc",
                           u"13:00 PM", u"0:30 AM", u"14:30:15.5", u"14:30:60", u"14:30:15,", u"14:30 x"};
  for (const char16_t* text : bad) {
    TDateTime value = 42;
    EXPECT_FALSE(TryStrToTime(text, value)) << StringToUtf8(text);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(StrToTimeDef(text, 7), 7);
  }
  try {
    StrToTime(u"24:00");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(StringToUtf8(e.Message()), "'24:00' is not a valid time");
  }
}

TEST_F(DateFormatTest, StrToDateTimeGoodAndBad) {
  struct Case {
    const char16_t* text;
    TDateTime want;
  } cases[] = {
      {u"05.03.2024 14:30", Dt(2024, 3, 5, 14, 30)},
      {u"05.03.2024 14:30:15", Dt(2024, 3, 5, 14, 30, 15)},
      {u"5.3.2024   9:05 ", Dt(2024, 3, 5, 9, 5)},
      {u"05.03.2024", Dt(2024, 3, 5)},
      {u"05.03.24 0:00:01", Dt(2024, 3, 5, 0, 0, 1)},
      {u"14:30", EncodeTime(14, 30, 0, 0)},
      {u"29.12.1899 06:00", Dt(1899, 12, 29, 6)},
      {u"05.03.2024 14:30:15,250", Dt(2024, 3, 5, 14, 30, 15, 250)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormattedText(StrToDateTime(c.text)), FormattedText(c.want)) << StringToUtf8(c.text);
  EXPECT_EQ(StrToDateTime(u"29.12.1899 06:00"), -1.25);

  const char16_t* bad[] = {u"",
                           u"05.03.2024 25:00",
                           u"05.03.202414:30",
                           u"05.03.2024 14:30 x",
                           u"31.02.2024 10:00",
                           u"05.03.2024 14:30:15.5",
                           u"2024-03-05 14:30",
                           u"14:30 05.03.2024"};
  for (const char16_t* text : bad) {
    TDateTime value = 42;
    EXPECT_FALSE(TryStrToDateTime(text, value)) << StringToUtf8(text);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(StrToDateTimeDef(text, 7), 7);
  }
  try {
    StrToDateTime(u"05.03.2024 25:00");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(StringToUtf8(e.Message()), "'05.03.2024 25:00' is not a valid date and time");
  }
}

TEST_F(DateFormatTest, OtherOrdersAndSeparatorsReadAsTheSettingsSay) {
  TFormatSettings us = TFormatSettings::Russian();
  us.ShortDateFormat = u"M/d/yyyy";
  us.DateSeparator = u'/';
  us.DecimalSeparator = u'.';
  EXPECT_EQ(FormattedText(StrToDate(u"3/5/2024", us)), FormattedText(Dt(2024, 3, 5)));
  EXPECT_EQ(FormattedText(StrToDateTime(u"3/5/2024 14:30:15.5", us)),
            FormattedText(Dt(2024, 3, 5, 14, 30, 15, 500)));
  EXPECT_THROW(StrToDate(u"05.03.2024", us), EConvertError);
  TFormatSettings iso = TFormatSettings::Russian();
  iso.ShortDateFormat = u"yyyy-mm-dd";
  iso.DateSeparator = u'-';
  EXPECT_EQ(FormattedText(StrToDate(u"2024-03-05", iso)), FormattedText(Dt(2024, 3, 5)));
  EXPECT_EQ(FormattedText(StrToDate(u"24-3-5", iso)), FormattedText(Dt(2024, 3, 5)));
}

TEST_F(DateFormatTest, TextWrittenIsReadBack) {
  for (TDateTime v = Dt(1850, 1, 1, 0, 0, 1); v < Dt(2100, 1, 1); v = IncSecond(IncDay(v, 797), 3607)) {
    ASSERT_EQ(FormattedText(StrToDateTime(DateTimeToStr(v))), FormattedText(v))
        << StringToUtf8(DateTimeToStr(v));
    ASSERT_EQ(FormattedText(StrToDate(DateToStr(v))), FormattedText(DateOf(v)));
    ASSERT_EQ(FormattedText(StrToTime(TimeToStr(v))), FormattedText(TimeOf(v)));
  }
}
