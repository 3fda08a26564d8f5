// SQL time stamps: checking, conversion to and from TDateTime (with the local zone for offsets) and text.
#include "platform/rtl/SqlTimeStamp.h"

#include <cstdlib>

#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"

namespace {

constexpr Int64 kMSecsPerDay = MSecsPerDay;
constexpr Int64 kUnixEpochMSecs = static_cast<Int64>(UnixDateDelta) * MSecsPerDay;

[[noreturn]] void InvalidTimeStamp() { throw EConvertError(u"Invalid SQL date/time values"); }

template <class Stamp>
bool IsEmpty(const Stamp& t) {
  return t.Year == 0 && t.Month == 0 && t.Day == 0 && t.Hour == 0 && t.Minute == 0 && t.Second == 0 &&
         t.Fractions == 0;
}

// A stamp may be time only (year, month and day all 0); otherwise the date must exist. The time is
// checked in both cases, and a month past 12 is refused before any table is looked up.
template <class Stamp>
void CheckParts(const Stamp& t) {
  if (IsEmpty(t)) return;
  const bool timeOnly = t.Year == 0 && t.Month == 0 && t.Day == 0;
  if (!timeOnly && (t.Year < 1 || !IsValidDate(static_cast<Word>(t.Year), t.Month, t.Day)))
    InvalidTimeStamp();
  if (t.Hour > 23 || t.Minute > 59 || t.Second > 59 || t.Fractions > 999) InvalidTimeStamp();
}

// Wall time of the stamp in milliseconds since 30.12.1899; the stamp is checked first.
template <class Stamp>
Int64 WallMSecs(const Stamp& t) {
  CheckParts(t);
  Int64 day = 0;
  if (t.Year != 0) day = static_cast<Int64>(EncodeDate(static_cast<Word>(t.Year), t.Month, t.Day));
  return day * kMSecsPerDay + ((static_cast<Int64>(t.Hour) * 60 + t.Minute) * 60 + t.Second) * 1000 +
         t.Fractions;
}

Int64 OffsetMSecs(const TSQLTimeStampOffset& t) {
  return (static_cast<Int64>(t.TimeZoneHour) * 60 + t.TimeZoneMinute) * 60000;
}

TSQLTimeStamp FromWall(Int64 ms) {
  const TDateTime value = MSecsToDateTime(ms);
  TSQLTimeStamp t;
  Word year, month, day, hour, minute, second, msec;
  DecodeDateTime(value, year, month, day, hour, minute, second, msec);
  if (year == 0) InvalidTimeStamp();
  t.Year = static_cast<SmallInt>(year);
  t.Month = month;
  t.Day = day;
  t.Hour = hour;
  t.Minute = minute;
  t.Second = second;
  t.Fractions = msec;
  return t;
}

TSQLTimeStampOffset WithOffset(const TSQLTimeStamp& t, SmallInt hour, SmallInt minute) {
  return TSQLTimeStampOffset{t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second, t.Fractions, hour, minute};
}

void CheckOffset(const TSQLTimeStampOffset& t) {
  if (std::abs(t.TimeZoneHour) > 23 || std::abs(t.TimeZoneMinute) > 59) InvalidTimeStamp();
}

Int64 FloorDiv(Int64 a, Int64 b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// The local zone's offset from UTC at a local wall time, in whole minutes.
Int64 LocalOffsetMinutes(Int64 wallMs) {
  const Int64 wallSeconds = FloorDiv(wallMs, 1000);
  const Int64 utcSeconds = DateTimeToUnix(MSecsToDateTime(wallSeconds * 1000), false);
  const Int64 offsetSeconds = wallSeconds - kUnixEpochMSecs / 1000 - utcSeconds;
  // Old local mean times have odd seconds; the stamp keeps whole minutes.
  return offsetSeconds >= 0 ? (offsetSeconds + 30) / 60 : -((-offsetSeconds + 30) / 60);
}

}  // namespace

void CheckSqlTimeStamp(const TSQLTimeStamp& TimeStamp) { CheckParts(TimeStamp); }

void CheckSqlTimeStampOffset(const TSQLTimeStampOffset& TimeStamp) {
  CheckParts(TimeStamp);
  CheckOffset(TimeStamp);
}

TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& TimeStamp) {
  return MSecsToDateTime(WallMSecs(TimeStamp));
}

TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime DateTime) {
  Int64 ms;
  if (!TryDateTimeToMSecs(DateTime, ms)) InvalidTimeStamp();
  return FromWall(ms);
}

TDateTime SQLTimeStampOffsetToDateTime(const TSQLTimeStampOffset& TimeStamp) {
  CheckOffset(TimeStamp);
  const Int64 utcMs = WallMSecs(TimeStamp) - OffsetMSecs(TimeStamp) - kUnixEpochMSecs;
  const Int64 seconds = FloorDiv(utcMs, 1000);
  return IncMilliSecond(UnixToDateTime(seconds, false), utcMs - seconds * 1000);
}

TSQLTimeStampOffset DateTimeToSQLTimeStampOffset(TDateTime DateTime) {
  Int64 ms;
  if (!TryDateTimeToMSecs(DateTime, ms)) InvalidTimeStamp();
  const Int64 minutes = LocalOffsetMinutes(ms);
  return WithOffset(FromWall(ms), static_cast<SmallInt>(minutes / 60), static_cast<SmallInt>(minutes % 60));
}

TSQLTimeStampOffset DateTimeToSQLTimeStampOffset(TDateTime DateTime, SmallInt TimeZoneHour,
                                                 SmallInt TimeZoneMinute) {
  TSQLTimeStampOffset result = WithOffset(DateTimeToSQLTimeStamp(DateTime), TimeZoneHour, TimeZoneMinute);
  CheckOffset(result);
  return result;
}

TSQLTimeStamp SQLTimeStampOffsetToSQLTimeStamp(const TSQLTimeStampOffset& TimeStamp) {
  return TSQLTimeStamp{TimeStamp.Year,   TimeStamp.Month,  TimeStamp.Day,      TimeStamp.Hour,
                       TimeStamp.Minute, TimeStamp.Second, TimeStamp.Fractions};
}

TSQLTimeStampOffset SQLTimeStampToSQLTimeStampOffset(const TSQLTimeStamp& TimeStamp, SmallInt TimeZoneHour,
                                                     SmallInt TimeZoneMinute) {
  return WithOffset(TimeStamp, TimeZoneHour, TimeZoneMinute);
}

String SQLTimeStampToStr(const String& Format, const TSQLTimeStamp& TimeStamp,
                         const TFormatSettings& Settings) {
  const String& pattern = Format.empty() ? Settings.ShortDateFormat + u' ' + Settings.LongTimeFormat : Format;
  return FormatDateTime(pattern, SQLTimeStampToDateTime(TimeStamp), Settings);
}

String SQLTimeStampToStr(const String& Format, const TSQLTimeStamp& TimeStamp) {
  return SQLTimeStampToStr(Format, TimeStamp, FormatSettings);
}

String SQLTimeStampOffsetToStr(const String& Format, const TSQLTimeStampOffset& TimeStamp) {
  CheckOffset(TimeStamp);
  const Int64 minutes = static_cast<Int64>(TimeStamp.TimeZoneHour) * 60 + TimeStamp.TimeZoneMinute;
  const Int64 magnitude = minutes < 0 ? -minutes : minutes;
  auto two = [](Int64 n) { return (n < 10 ? String(u"0") : String()) + IntToStr(static_cast<int>(n)); };
  return SQLTimeStampToStr(Format, SQLTimeStampOffsetToSQLTimeStamp(TimeStamp)) +
         (minutes < 0 ? u" -" : u" +") + two(magnitude / 60) + u':' + two(magnitude % 60);
}

bool TryStrToSQLTimeStamp(const String& S, TSQLTimeStamp& TimeStamp) {
  TDateTime value;
  if (!TryStrToDateTime(S, value)) return false;
  TimeStamp = DateTimeToSQLTimeStamp(value);
  return true;
}

TSQLTimeStamp StrToSQLTimeStamp(const String& S) { return DateTimeToSQLTimeStamp(StrToDateTime(S)); }

int CompareSQLTimeStamp(const TSQLTimeStamp& A, const TSQLTimeStamp& B) {
  const auto order = A <=> B;
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int CompareSQLTimeStampOffset(const TSQLTimeStampOffset& A, const TSQLTimeStampOffset& B) {
  CheckOffset(A);
  CheckOffset(B);
  const Int64 a = WallMSecs(A) - OffsetMSecs(A), b = WallMSecs(B) - OffsetMSecs(B);
  return a < b ? -1 : (a > b ? 1 : 0);
}
