// SQL time stamps: round trips with TDateTime, validity, text, zone offsets and ordering.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <iterator>
#include <limits>
#include <optional>
#include <string>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/SqlTimeStamp.h"
#include "platform/rtl/Utf.h"
#include "tests/platform/rtl/DateTestSupport.h"

namespace {

TSQLTimeStamp Ts(SmallInt y, Word m, Word d, Word h = 0, Word n = 0, Word s = 0, LongWord f = 0) {
  return TSQLTimeStamp{y, m, d, h, n, s, f};
}

TSQLTimeStampOffset Tso(SmallInt y, Word m, Word d, Word h, Word n, SmallInt zh, SmallInt zm) {
  return TSQLTimeStampOffset{y, m, d, h, n, 0, 0, zh, zm};
}

class SqlTimeStampTest : public ::testing::Test {
 protected:
  TFormatSettingsGuard guard_{TFormatSettings::Russian()};
};

}  // namespace

TEST_F(SqlTimeStampTest, RoundTripsWithTDateTimeToTheMillisecond) {
  const TDateTime values[] = {EncodeDateTime(2024, 3, 5, 14, 7, 9, 45),
                              EncodeDateTime(1899, 12, 29, 6, 0, 0, 1), EncodeDateTime(1, 1, 1, 0, 0, 0, 0),
                              EncodeDateTime(9999, 12, 31, 23, 59, 59, 999),
                              EncodeDateTime(1899, 12, 30, 0, 0, 0, 0)};
  for (TDateTime v : values) {
    const TSQLTimeStamp ts = DateTimeToSQLTimeStamp(v);
    EXPECT_EQ(SQLTimeStampToDateTime(ts), v) << Text(v);
  }
  const TSQLTimeStamp ts = DateTimeToSQLTimeStamp(EncodeDateTime(2024, 3, 5, 14, 7, 9, 45));
  EXPECT_EQ(ts, Ts(2024, 3, 5, 14, 7, 9, 45));
  // Fractions rounded to the nearest millisecond, carried into the next day.
  EXPECT_EQ(DateTimeToSQLTimeStamp(EncodeDate(2024, 3, 6) - 1e-10), Ts(2024, 3, 6));
  EXPECT_EQ(DateTimeToSQLTimeStamp(-1.25), Ts(1899, 12, 29, 6));
  // The empty stamp is 30.12.1899; a time-only stamp is a time on that day.
  EXPECT_EQ(SQLTimeStampToDateTime(NullSQLTimeStamp), 0);
  EXPECT_EQ(SQLTimeStampToDateTime(Ts(0, 0, 0, 18)), 0.75);
  EXPECT_THROW(DateTimeToSQLTimeStamp(std::numeric_limits<double>::quiet_NaN()), EConvertError);
  EXPECT_THROW(DateTimeToSQLTimeStamp(5e6), EConvertError);
}

TEST_F(SqlTimeStampTest, InvalidStampsRaiseAConversionError) {
  const TSQLTimeStamp bad[] = {
      Ts(2024, 13, 1),  // past the month table
      Ts(2024, 31, 1),
      Ts(2023, 2, 29),
      Ts(2024, 4, 31),
      Ts(2024, 0, 5),
      Ts(0, 3, 5),
      Ts(-5, 3, 5),
      Ts(10000, 1, 1),
      Ts(2024, 3, 5, 24),
      Ts(2024, 3, 5, 10, 60),
      Ts(2024, 3, 5, 10, 0, 60),
      Ts(2024, 3, 5, 10, 0, 0, 1000),
      Ts(0, 0, 0, 25),  // a time-only stamp is checked too
  };
  for (const TSQLTimeStamp& ts : bad) {
    try {
      SQLTimeStampToDateTime(ts);
      ADD_FAILURE() << ts.Year << "-" << ts.Month << "-" << ts.Day << " " << ts.Hour << ":" << ts.Minute;
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), "Invalid SQL date/time values");
    }
    EXPECT_THROW(CheckSqlTimeStamp(ts), EConvertError);
  }
  EXPECT_NO_THROW(CheckSqlTimeStamp(NullSQLTimeStamp));
  EXPECT_NO_THROW(CheckSqlTimeStamp(Ts(2024, 2, 29, 23, 59, 59, 999)));
  EXPECT_THROW(CheckSqlTimeStampOffset(Tso(2024, 3, 5, 10, 0, 24, 0)), EConvertError);
  EXPECT_THROW(CheckSqlTimeStampOffset(Tso(2024, 3, 5, 10, 0, 3, 60)), EConvertError);
}

TEST_F(SqlTimeStampTest, TextForms) {
  const TSQLTimeStamp ts = Ts(2024, 3, 5, 14, 7, 9, 45);
  EXPECT_EQ(StringToUtf8(SQLTimeStampToStr(u"", ts)), "05.03.2024 14:07:09");
  EXPECT_EQ(StringToUtf8(SQLTimeStampToStr(u"yyyy-mm-dd hh:nn:ss.zzz", ts)), "2024-03-05 14:07:09.045");
  EXPECT_EQ(StringToUtf8(SQLTimeStampToStr(u"dddddd", ts)), "5 марта 2024 г.");
  // Unlike DateTimeToStr the empty pattern always writes the time.
  EXPECT_EQ(StringToUtf8(SQLTimeStampToStr(u"", Ts(2024, 3, 5))), "05.03.2024 0:00:00");
  EXPECT_THROW(SQLTimeStampToStr(u"", Ts(2024, 2, 30)), EConvertError);

  EXPECT_EQ(StringToUtf8(SQLTimeStampOffsetToStr(u"yyyy-mm-dd hh:nn", Tso(2024, 3, 5, 12, 0, 5, 0))),
            "2024-03-05 12:00 +05:00");
  EXPECT_EQ(StringToUtf8(SQLTimeStampOffsetToStr(u"hh:nn", Tso(2024, 3, 5, 12, 0, -3, -30))), "12:00 -03:30");
  EXPECT_EQ(StringToUtf8(SQLTimeStampOffsetToStr(u"hh:nn", Tso(2024, 3, 5, 12, 0, 0, 0))), "12:00 +00:00");

  EXPECT_EQ(StrToSQLTimeStamp(u"05.03.2024 14:30:15"), Ts(2024, 3, 5, 14, 30, 15));
  TSQLTimeStamp out = Ts(1, 1, 1);
  EXPECT_FALSE(TryStrToSQLTimeStamp(u"31.02.2024", out));
  EXPECT_EQ(out, Ts(1, 1, 1));
  EXPECT_THROW(StrToSQLTimeStamp(u"завтра"), EConvertError);
}

TEST_F(SqlTimeStampTest, OffsetsConvertThroughTheLocalZone) {
  ZoneGuard zone("CET-1CEST,M3.5.0,M10.5.0/3");
  // 12:00 at +05:00 is 07:00 UTC: 08:00 in winter here, 09:00 in summer.
  EXPECT_EQ(Text(SQLTimeStampOffsetToDateTime(Tso(2024, 3, 5, 12, 0, 5, 0))), "2024-03-05 08:00:00.000");
  EXPECT_EQ(Text(SQLTimeStampOffsetToDateTime(Tso(2024, 7, 5, 12, 0, 5, 0))), "2024-07-05 09:00:00.000");
  EXPECT_EQ(Text(SQLTimeStampOffsetToDateTime(Tso(2024, 3, 5, 1, 0, -3, -30))), "2024-03-05 05:30:00.000");
  TSQLTimeStampOffset withMs = Tso(2024, 3, 5, 0, 0, 2, 0);
  withMs.Fractions = 250;
  EXPECT_EQ(Text(SQLTimeStampOffsetToDateTime(withMs)), "2024-03-04 23:00:00.250");

  const TSQLTimeStampOffset winter = DateTimeToSQLTimeStampOffset(EncodeDateTime(2024, 3, 5, 8, 0, 0, 0));
  EXPECT_EQ(winter, Tso(2024, 3, 5, 8, 0, 1, 0));
  const TSQLTimeStampOffset summer = DateTimeToSQLTimeStampOffset(EncodeDateTime(2024, 7, 5, 9, 0, 0, 0));
  EXPECT_EQ(summer, Tso(2024, 7, 5, 9, 0, 2, 0));
  EXPECT_EQ(SQLTimeStampOffsetToDateTime(summer), EncodeDateTime(2024, 7, 5, 9, 0, 0, 0));

  ZoneGuard west("NST3:30");  // UTC-03:30, no summer time
  EXPECT_EQ(DateTimeToSQLTimeStampOffset(EncodeDate(2024, 3, 5)), Tso(2024, 3, 5, 0, 0, -3, -30));

  // An explicit offset is attached to the wall time as it is.
  EXPECT_EQ(DateTimeToSQLTimeStampOffset(EncodeDateTime(2024, 3, 5, 12, 0, 0, 0), 5, 0),
            Tso(2024, 3, 5, 12, 0, 5, 0));
  EXPECT_THROW(DateTimeToSQLTimeStampOffset(EncodeDate(2024, 3, 5), 30, 0), EConvertError);
  EXPECT_EQ(SQLTimeStampOffsetToSQLTimeStamp(Tso(2024, 3, 5, 12, 0, 5, 0)), Ts(2024, 3, 5, 12));
  EXPECT_EQ(SQLTimeStampToSQLTimeStampOffset(Ts(2024, 3, 5, 12), -2, 0), Tso(2024, 3, 5, 12, 0, -2, 0));
}

TEST_F(SqlTimeStampTest, OrderingOfStampsAndOfMomentsAcrossZones) {
  const TSQLTimeStamp ordered[] = {
      Ts(1, 1, 1, 10),         Ts(1899, 12, 29, 23), Ts(2024, 3, 5),    Ts(2024, 3, 5, 0, 0, 0, 1),
      Ts(2024, 3, 5, 0, 0, 1), Ts(2024, 3, 5, 0, 1), Ts(2024, 3, 5, 1), Ts(2024, 3, 6),
      Ts(2024, 4, 1),          Ts(2025, 1, 1)};
  for (size_t i = 0; i < std::size(ordered); ++i) {
    for (size_t j = 0; j < std::size(ordered); ++j) {
      const int want = i < j ? -1 : (i > j ? 1 : 0);
      EXPECT_EQ(CompareSQLTimeStamp(ordered[i], ordered[j]), want) << i << " " << j;
      // The order of the stamps is the order of their moments.
      EXPECT_EQ(CompareDateTime(SQLTimeStampToDateTime(ordered[i]), SQLTimeStampToDateTime(ordered[j])),
                want);
    }
  }
  EXPECT_EQ(CompareSQLTimeStampOffset(Tso(2024, 3, 5, 12, 0, 5, 0), Tso(2024, 3, 5, 7, 0, 0, 0)), 0);
  EXPECT_EQ(CompareSQLTimeStampOffset(Tso(2024, 3, 5, 12, 0, 5, 0), Tso(2024, 3, 5, 7, 1, 0, 0)), -1);
  EXPECT_EQ(CompareSQLTimeStampOffset(Tso(2024, 3, 5, 0, 30, -3, -30), Tso(2024, 3, 5, 3, 59, 0, 0)), 1);
  EXPECT_EQ(CompareSQLTimeStampOffset(Tso(2024, 3, 5, 23, 0, -2, 0), Tso(2024, 3, 6, 0, 0, 0, 0)), 1);
}
