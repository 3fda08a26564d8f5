// Calendar arithmetic: encode/decode against an independent calendar, negative dates, milliseconds,
// steps with day clamping, ISO weeks, starts and ends, spans, Unix time and the clock.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Utf.h"
#include "tests/platform/rtl/DateTestSupport.h"

namespace {

namespace chr = std::chrono;

struct Ymd {
  int y;
  unsigned m, d;
};

// The calendar of the standard library: an oracle that shares no code with ours.
Ymd OracleDate(int serial) {
  const chr::sys_days day = chr::sys_days(chr::year(1899) / chr::December / 30) + chr::days(serial);
  const chr::year_month_day ymd(day);
  return {static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day())};
}

template <class F>
std::string ConvertErrorOf(F f) {
  try {
    f();
  } catch (const EConvertError& e) {
    return e.what();
  }
  return "no EConvertError";
}

}  // namespace

TEST(DateUtils, EncodeDecodeAgreesWithTheStandardCalendarOverTheWholeRange) {
  // Every day near the epoch and the leap days of interest, then a stride over 0001..9999.
  auto check = [](int serial) {
    const Ymd want = OracleDate(serial);
    Word y, m, d;
    DecodeDate(serial, y, m, d);
    ASSERT_EQ(y, want.y) << serial;
    ASSERT_EQ(m, want.m) << serial;
    ASSERT_EQ(d, want.d) << serial;
    ASSERT_EQ(EncodeDate(y, m, d), serial);
  };
  for (int serial = -800; serial <= 800; ++serial) check(serial);
  for (int serial = -693593; serial <= 2958465; serial += 997) check(serial);
  check(-693593);
  check(2958465);
}

TEST(DateUtils, KnownSerialNumbers) {
  struct Case {
    Word y, m, d;
    double serial;
  } cases[] = {
      {1899, 12, 30, 0},   {1899, 12, 31, 1},    {1900, 1, 1, 2},         {1900, 3, 1, 61},
      {1899, 12, 29, -1},  {1800, 1, 1, -36522}, {1, 1, 1, -693593},      {100, 1, 1, MinDateTime},
      {2000, 1, 1, 36526}, {2024, 2, 29, 45351}, {9999, 12, 31, 2958465},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
  EXPECT_EQ(Text(MaxDateTime), "9999-12-31 23:59:59.999");
  EXPECT_EQ(Text(MinDateTime), "0100-01-01 00:00:00.000");
}

TEST(DateUtils, NegativeValuesKeepTheDayInTheIntegerAndTheTimeInTheFractionsMagnitude) {
  EXPECT_EQ(Text(-1.25), "1899-12-29 06:00:00.000");
  EXPECT_EQ(Text(-0.75), "1899-12-30 18:00:00.000");
  EXPECT_EQ(Dt(1899, 12, 29, 6), -1.25);
  EXPECT_EQ(Dt(1899, 12, 29, 18), -1.75);
  EXPECT_EQ(Dt(1800, 6, 15, 23, 59, 59, 999), EncodeDate(1800, 6, 15) - EncodeTime(23, 59, 59, 999));
  // Decoding and encoding again lands on the same millisecond.
  for (double v : {-1.25, -36522.5, -693593.999, -10.0000001}) {
    Word y, m, d, h, n, s, ms;
    DecodeDateTime(v, y, m, d, h, n, s, ms);
    EXPECT_TRUE(SameDateTime(EncodeDateTime(y, m, d, h, n, s, ms), v)) << v;
  }
}

TEST(DateUtils, MillisecondsSurviveEncodeAndDecodeExactly) {
  // Every 7th millisecond of a day, on a day after and a day before 30.12.1899.
  for (Word year : {2024, 1850}) {
    for (Int64 t = 0; t < MSecsPerDay; t += 7 * 1013) {
      const Word h = t / 3600000, n = t / 60000 % 60, s = t / 1000 % 60, ms = t % 1000;
      const TDateTime v = Dt(year, 7, 31, h, n, s, ms);
      Word y2, m2, d2, h2, n2, s2, ms2;
      DecodeDateTime(v, y2, m2, d2, h2, n2, s2, ms2);
      ASSERT_EQ(y2, year);
      ASSERT_EQ(d2, 31);
      ASSERT_EQ(h2, h);
      ASSERT_EQ(n2, n);
      ASSERT_EQ(s2, s);
      ASSERT_EQ(ms2, ms) << t;
    }
  }
  // Sums of fractions drift below the true value; decoding rounds them back.
  double v = EncodeDate(2024, 3, 5);
  for (int i = 0; i < 3; ++i) v += 1.0 / 3;
  EXPECT_EQ(Text(v), "2024-03-06 00:00:00.000");
  EXPECT_EQ(Text(EncodeDate(2024, 3, 5) + 0.1 + 0.2), "2024-03-05 07:12:00.000");
  EXPECT_EQ(Text(EncodeDate(2024, 3, 5) + 86399999.6 / MSecsPerDay), "2024-03-06 00:00:00.000");
  EXPECT_EQ(MilliSecondOf(EncodeTime(10, 20, 30, 999)), 999);
  EXPECT_EQ(SecondOf(EncodeTime(10, 20, 59, 999)), 59);
}

TEST(DateUtils, InvalidPartsRaiseWithTheRuntimesMessages) {
  EXPECT_EQ(ConvertErrorOf([] { EncodeDate(2023, 2, 29); }), "Invalid argument to date encode");
  EXPECT_EQ(ConvertErrorOf([] { EncodeDate(0, 1, 1); }), "Invalid argument to date encode");
  EXPECT_EQ(ConvertErrorOf([] { EncodeDate(10000, 1, 1); }), "Invalid argument to date encode");
  EXPECT_EQ(ConvertErrorOf([] { EncodeDate(2024, 13, 1); }), "Invalid argument to date encode");
  EXPECT_EQ(ConvertErrorOf([] { EncodeTime(24, 0, 0, 0); }), "Invalid argument to time encode");
  EXPECT_EQ(ConvertErrorOf([] { EncodeTime(0, 0, 0, 1000); }), "Invalid argument to time encode");
  EXPECT_EQ(ConvertErrorOf([] { EncodeDateTime(2024, 2, 30, 10, 5, 0, 0); }),
            "'2024.2.30 10:5:0,0' is not a valid date and time");
  TDateTime out = 123;
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29, out));
  EXPECT_FALSE(TryEncodeTime(12, 60, 0, 0, out));
  EXPECT_FALSE(TryEncodeDateTime(2024, 4, 31, 0, 0, 0, 0, out));
  EXPECT_EQ(out, 123);
}

TEST(DateUtils, LeapYearsAndMonthLengths) {
  struct Case {
    Word year;
    bool leap;
  } cases[] = {{1900, false}, {2000, true}, {2023, false}, {2024, true},
               {2100, false}, {1600, true}, {4, true}};
  for (const Case& c : cases) {
    EXPECT_EQ(IsLeapYear(c.year), c.leap) << c.year;
    EXPECT_EQ(DaysInAMonth(c.year, 2), c.leap ? 29 : 28) << c.year;
    EXPECT_EQ(DaysInAYear(c.year), c.leap ? 366 : 365) << c.year;
  }
  EXPECT_EQ(DaysInMonth(Dt(2024, 4, 10, 12)), 30);
  EXPECT_EQ(DaysInYear(Dt(2024, 4, 10)), 366);
  Word y, m, d, dow;
  EXPECT_TRUE(DecodeDateFully(Dt(2024, 3, 5, 14), y, m, d, dow));
  EXPECT_EQ(dow, 3);  // Tuesday
  EXPECT_FALSE(DecodeDateFully(Dt(2023, 3, 5), y, m, d, dow));
}

TEST(DateUtils, DaysOfTheWeekAndOfTheYear) {
  struct Case {
    TDateTime date;
    Word sundayBased, iso, dayOfYear;
  } cases[] = {
      {Dt(1899, 12, 30), 7, 6, 364},       {Dt(1899, 12, 29, 23), 6, 5, 363}, {Dt(2024, 3, 4), 2, 1, 64},
      {Dt(2024, 3, 10, 23, 59), 1, 7, 70}, {Dt(2024, 12, 31), 3, 2, 366},     {Dt(1, 1, 1), 2, 1, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DayOfWeek(c.date), c.sundayBased) << Text(c.date);
    EXPECT_EQ(DayOfTheWeek(c.date), c.iso) << Text(c.date);
    EXPECT_EQ(DayOfTheYear(c.date), c.dayOfYear) << Text(c.date);
  }
}

TEST(DateUtils, IncMonthClampsTheDayAndKeepsTheTime) {
  struct Case {
    TDateTime from;
    int months;
    const char* want;
  } cases[] = {
      {Dt(2024, 1, 31, 10, 30), 1, "2024-02-29 10:30:00.000"},
      {Dt(2023, 1, 31), 1, "2023-02-28 00:00:00.000"},
      {Dt(2024, 3, 31, 23, 59, 59, 999), -1, "2024-02-29 23:59:59.999"},
      {Dt(2024, 11, 30), 3, "2025-02-28 00:00:00.000"},
      {Dt(2024, 5, 15), -13, "2023-04-15 00:00:00.000"},
      {Dt(2024, 1, 15), -1, "2023-12-15 00:00:00.000"},
      {Dt(2024, 12, 31), 12, "2025-12-31 00:00:00.000"},
      {Dt(2024, 5, 31), 0, "2024-05-31 00:00:00.000"},
      {Dt(1899, 12, 29, 6), 1, "1900-01-29 06:00:00.000"},
      {Dt(1900, 1, 31, 18), -2, "1899-11-30 18:00:00.000"},
  };
  for (const Case& c : cases) EXPECT_EQ(Text(IncMonth(c.from, c.months)), c.want) << Text(c.from) << c.months;
  EXPECT_EQ(Text(IncYear(Dt(2024, 2, 29), 1)), "2025-02-28 00:00:00.000");
  EXPECT_EQ(Text(IncYear(Dt(2024, 2, 29), -4)), "2020-02-29 00:00:00.000");
  EXPECT_THROW(IncMonth(Dt(9999, 12, 1), 1), EConvertError);
  EXPECT_THROW(IncYear(Dt(1, 6, 1), -1), EConvertError);

  Word y = 2024, m = 1, d = 31;
  IncAMonth(y, m, d, 1);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);
  y = 2024, m = 3, d = 31;
  IncAMonth(y, m, d, -25);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20220228);
}

TEST(DateUtils, SmallStepsAreExactAlsoBeforeTheEpoch) {
  // Plain addition of fractions would move the wrong way on negative values.
  EXPECT_EQ(Text(IncHour(Dt(1899, 12, 29, 6), 20)), "1899-12-30 02:00:00.000");
  EXPECT_EQ(Text(IncMinute(Dt(1899, 12, 30, 0, 0), -1)), "1899-12-29 23:59:00.000");
  EXPECT_EQ(Text(IncSecond(Dt(1850, 1, 1, 12), -43201)), "1849-12-31 23:59:59.000");
  EXPECT_EQ(Text(IncMilliSecond(Dt(2024, 3, 5, 23, 59, 59, 999))), "2024-03-06 00:00:00.000");
  EXPECT_EQ(Text(IncDay(Dt(2024, 2, 28, 13), 2)), "2024-03-01 13:00:00.000");
  EXPECT_EQ(Text(IncDay(Dt(1900, 1, 1, 13), -5)), "1899-12-27 13:00:00.000");
  EXPECT_EQ(Text(IncWeek(Dt(2024, 12, 30, 8), -1)), "2024-12-23 08:00:00.000");
  // A million one-millisecond steps stay exact.
  TDateTime v = Dt(2024, 3, 5);
  for (int i = 0; i < 1000000; ++i) v = IncMilliSecond(v);
  EXPECT_EQ(Text(v), "2024-03-05 00:16:40.000");
}

TEST(DateUtils, RecodeReplacesPartsOrRaises) {
  const TDateTime v = Dt(2024, 3, 31, 14, 7, 9, 45);
  EXPECT_EQ(Text(RecodeYear(v, 2020)), "2020-03-31 14:07:09.045");
  EXPECT_EQ(Text(RecodeMonth(v, 5)), "2024-05-31 14:07:09.045");
  EXPECT_EQ(Text(RecodeDay(v, 1)), "2024-03-01 14:07:09.045");
  EXPECT_EQ(Text(RecodeHour(v, 0)), "2024-03-31 00:07:09.045");
  EXPECT_EQ(Text(RecodeMinute(v, 55)), "2024-03-31 14:55:09.045");
  EXPECT_EQ(Text(RecodeSecond(v, 0)), "2024-03-31 14:07:00.045");
  EXPECT_EQ(Text(RecodeMilliSecond(v, 999)), "2024-03-31 14:07:09.999");
  EXPECT_EQ(Text(RecodeDate(v, 1899, 12, 29)), "1899-12-29 14:07:09.045");
  EXPECT_EQ(Text(RecodeTime(Dt(1850, 1, 1, 5), 23, 0, 0, 1)), "1850-01-01 23:00:00.001");

  EXPECT_EQ(ConvertErrorOf([&] { RecodeMonth(v, 4); }), "'2024.4.31 14:7:9,45' is not a valid date and time");
  EXPECT_EQ(ConvertErrorOf([&] { RecodeMinute(v, 60); }),
            "'2024.3.31 14:60:9,45' is not a valid date and time");
  EXPECT_EQ(ConvertErrorOf([&] { RecodeSecond(v, 60); }),
            "'2024.3.31 14:7:60,45' is not a valid date and time");
  EXPECT_THROW(RecodeYear(v, 0), EConvertError);
  TDateTime out = 7;
  EXPECT_FALSE(TryRecodeDateTime(v, RecodeLeaveFieldAsIs, 2, 30, RecodeLeaveFieldAsIs, RecodeLeaveFieldAsIs,
                                 RecodeLeaveFieldAsIs, RecodeLeaveFieldAsIs, out));
  EXPECT_EQ(out, 7);
}

TEST(DateUtils, IsoWeekNumbersAroundNewYear) {
  struct Case {
    TDateTime date;
    Word week, year;
  } cases[] = {
      {Dt(2021, 1, 3), 53, 2020},  {Dt(2021, 1, 4), 1, 2021},          {Dt(2020, 12, 31), 53, 2020},
      {Dt(2024, 12, 30), 1, 2025}, {Dt(2024, 12, 29), 52, 2024},       {Dt(2019, 12, 30), 1, 2020},
      {Dt(2016, 1, 3), 53, 2015},  {Dt(2027, 1, 1), 53, 2026},         {Dt(2023, 1, 1), 52, 2022},
      {Dt(2024, 1, 1), 1, 2024},   {Dt(2024, 3, 5, 23, 59), 10, 2024}, {Dt(1899, 12, 30), 52, 1899},
  };
  for (const Case& c : cases) {
    Word year = 0;
    EXPECT_EQ(WeekOfTheYear(c.date, year), c.week) << Text(c.date);
    EXPECT_EQ(year, c.year) << Text(c.date);
    EXPECT_EQ(WeekOfTheYear(c.date), c.week);
  }
  struct Weeks {
    Word year, weeks;
  } weeks[] = {{2015, 53}, {2020, 53}, {2021, 52}, {2024, 52}, {2026, 53}, {2032, 53}, {2004, 53}};
  for (const Weeks& w : weeks) EXPECT_EQ(WeeksInAYear(w.year), w.weeks) << w.year;
  EXPECT_EQ(WeeksInYear(Dt(2020, 6, 1)), 53);
}

TEST(DateUtils, StartsAndEndsOfPeriods) {
  const TDateTime wednesday = Dt(2024, 3, 6, 14, 30);
  EXPECT_EQ(Text(StartOfTheWeek(wednesday)), "2024-03-04 00:00:00.000");
  EXPECT_EQ(Text(EndOfTheWeek(wednesday)), "2024-03-10 23:59:59.999");
  EXPECT_EQ(Text(StartOfTheWeek(Dt(2024, 3, 4))), "2024-03-04 00:00:00.000");
  EXPECT_EQ(Text(StartOfTheWeek(Dt(2024, 3, 10, 23, 59, 59, 999))), "2024-03-04 00:00:00.000");
  EXPECT_EQ(Text(StartOfTheWeek(Dt(2021, 1, 2))), "2020-12-28 00:00:00.000");
  EXPECT_EQ(Text(StartOfTheWeek(Dt(1899, 12, 29, 12))), "1899-12-25 00:00:00.000");
  EXPECT_EQ(Text(StartOfTheMonth(wednesday)), "2024-03-01 00:00:00.000");
  EXPECT_EQ(Text(EndOfTheMonth(Dt(2024, 2, 10))), "2024-02-29 23:59:59.999");
  EXPECT_EQ(Text(StartOfTheYear(wednesday)), "2024-01-01 00:00:00.000");
  EXPECT_EQ(Text(EndOfTheYear(wednesday)), "2024-12-31 23:59:59.999");
  EXPECT_EQ(Text(StartOfTheDay(wednesday)), "2024-03-06 00:00:00.000");
  EXPECT_EQ(Text(EndOfTheDay(Dt(1899, 12, 29, 6))), "1899-12-29 23:59:59.999");
  EXPECT_EQ(Text(DateOf(Dt(1899, 12, 29, 6))), "1899-12-29 00:00:00.000");
  EXPECT_EQ(TimeOf(Dt(1899, 12, 29, 6)), 0.25);
  // The calendar view's first cell: the Monday of the week holding the first of the month.
  EXPECT_EQ(Text(StartOfTheWeek(StartOfTheMonth(Dt(2024, 9, 17)))), "2024-08-26 00:00:00.000");

  TDateTime v = Dt(2024, 3, 5, 14);
  ReplaceTime(v, EncodeTime(8, 0, 0, 0));
  EXPECT_EQ(Text(v), "2024-03-05 08:00:00.000");
  ReplaceDate(v, Dt(1899, 12, 29));
  EXPECT_EQ(Text(v), "1899-12-29 08:00:00.000");
}

TEST(DateUtils, SpansCountWholeUnitsEitherWay) {
  EXPECT_EQ(DaysBetween(Dt(2024, 3, 5, 12), Dt(2024, 3, 1, 13)), 3);
  EXPECT_EQ(DaysBetween(Dt(2024, 3, 1, 13), Dt(2024, 3, 5, 13)), 4);
  EXPECT_EQ(DaysBetween(Dt(1899, 12, 29, 18), Dt(1899, 12, 30, 6)), 0);
  EXPECT_EQ(HoursBetween(Dt(1899, 12, 29, 18), Dt(1899, 12, 30, 6)), 12);
  EXPECT_EQ(MilliSecondsBetween(Dt(2024, 3, 5, 0, 0, 0, 1), Dt(2024, 3, 4, 23, 59, 59, 999)), 2);
  struct Case {
    TDateTime a, b;
    int months;
  } cases[] = {
      {Dt(2023, 2, 1), Dt(2023, 3, 1), 1},           {Dt(2023, 2, 1), Dt(2023, 2, 28, 23), 0},
      {Dt(2024, 1, 31), Dt(2024, 2, 29), 1},         {Dt(2024, 1, 31), Dt(2024, 2, 28), 0},
      {Dt(2024, 1, 15, 12), Dt(2024, 3, 15, 11), 1}, {Dt(2024, 1, 15, 12), Dt(2024, 3, 15, 12), 2},
      {Dt(2020, 2, 29), Dt(2024, 2, 28), 47},        {Dt(1899, 12, 1), Dt(1900, 1, 1), 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MonthsBetween(c.a, c.b), c.months) << Text(c.a) << " " << Text(c.b);
    EXPECT_EQ(MonthsBetween(c.b, c.a), c.months) << Text(c.b) << " " << Text(c.a);
  }
  EXPECT_EQ(YearsBetween(Dt(2020, 2, 29), Dt(2024, 2, 28)), 3);
  EXPECT_EQ(YearsBetween(Dt(2000, 6, 1), Dt(2024, 6, 1)), 24);
}

TEST(DateUtils, ComparisonsWorkToTheMillisecond) {
  const TDateTime a = Dt(2024, 3, 5, 10, 0, 0, 1);
  EXPECT_TRUE(SameDateTime(a, a + 0.4 * OneMillisecond));
  EXPECT_FALSE(SameDateTime(a, IncMilliSecond(a)));
  EXPECT_EQ(CompareDateTime(a, IncMilliSecond(a)), -1);
  EXPECT_EQ(CompareDateTime(IncMilliSecond(a), a), 1);
  EXPECT_TRUE(SameDate(a, Dt(2024, 3, 5, 23, 59)));
  EXPECT_EQ(CompareDate(Dt(1899, 12, 29, 23), Dt(1899, 12, 30, 1)), -1);
  EXPECT_EQ(CompareDate(Dt(2024, 3, 5, 23), Dt(2024, 3, 5, 1)), 0);
  EXPECT_EQ(CompareTime(Dt(1899, 12, 29, 23), Dt(2024, 3, 5, 1)), 1);
  EXPECT_TRUE(SameTime(Dt(1899, 12, 29, 6), Dt(2024, 1, 1, 6)));
}

TEST(DateUtils, TimeStampsAndMilliseconds) {
  const TTimeStamp epoch = DateTimeToTimeStamp(0);
  EXPECT_EQ(epoch.Date, DateDelta);
  EXPECT_EQ(epoch.Time, 0);
  const TTimeStamp t = DateTimeToTimeStamp(Dt(1899, 12, 29, 6));
  EXPECT_EQ(t.Date, DateDelta - 1);
  EXPECT_EQ(t.Time, 6 * 3600000);
  EXPECT_EQ(TimeStampToDateTime(t), -1.25);
  EXPECT_EQ(TimeStampToDateTime(MSecsToTimeStamp(TimeStampToMSecs(t))), -1.25);
  EXPECT_EQ(ConvertErrorOf([] {
              TimeStampToDateTime(TTimeStamp{-1, 5});
            }),
            "'5.-1' is not a valid timestamp");

  Int64 ms = 0;
  EXPECT_TRUE(TryDateTimeToMSecs(-1.25, ms));
  EXPECT_EQ(ms, -18 * 3600000);
  EXPECT_FALSE(TryDateTimeToMSecs(std::nan(""), ms));
  EXPECT_FALSE(TryDateTimeToMSecs(1e300, ms));
  EXPECT_THROW(IncDay(std::nan("")), EConvertError);
  Word y = 1, m = 1, d = 1;
  DecodeDate(std::nan(""), y, m, d);
  EXPECT_EQ(y + m + d, 0);
}

TEST(DateUtils, UnixTimeInUtcAndLocalTime) {
  EXPECT_EQ(DateTimeToUnix(Dt(1970, 1, 1)), 0);
  EXPECT_EQ(DateTimeToUnix(Dt(2024, 3, 5, 12)), 1709640000);
  EXPECT_EQ(DateTimeToUnix(Dt(1969, 12, 31)), -86400);
  EXPECT_EQ(DateTimeToUnix(Dt(1899, 12, 29, 6)), -2209226400);
  EXPECT_EQ(Text(UnixToDateTime(1709640000)), "2024-03-05 12:00:00.000");
  EXPECT_EQ(Text(UnixToDateTime(-2209226400)), "1899-12-29 06:00:00.000");

  ZoneGuard zone("CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_EQ(Text(UnixToDateTime(1709640000, false)), "2024-03-05 13:00:00.000");
  EXPECT_EQ(Text(UnixToDateTime(1720180800, false)), "2024-07-05 14:00:00.000");
  EXPECT_EQ(DateTimeToUnix(Dt(2024, 7, 5, 14), false), 1720180800);
  EXPECT_EQ(DateTimeToUnix(Dt(2024, 3, 5, 13), false), 1709640000);
}

TEST(DateUtils, ClockAndTickCount) {
  const TDateTime before = UnixToDateTime(std::time(nullptr), false);
  const TDateTime now = Now();
  EXPECT_LE(SecondsBetween(now, before), 2);
  EXPECT_EQ(Date(), DateOf(Now()));
  EXPECT_LT(Time(), 1.0);
  EXPECT_GE(Time(), 0.0);

  const UInt64 start = GetTickCount64();
  Sleep(20);
  EXPECT_GE(GetTickCount64() - start, 20u);
  EXPECT_GE(GetTickCount(), start);
}
