// The SQL time stamp records (with and without a zone offset) and their conversions to TDateTime and text.
#pragma once

#include <compare>

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

// A database time stamp; Fractions are milliseconds. All parts 0 is the empty stamp.
struct TSQLTimeStamp {
  SmallInt Year = 0;
  Word Month = 0;
  Word Day = 0;
  Word Hour = 0;
  Word Minute = 0;
  Word Second = 0;
  LongWord Fractions = 0;

  // Orders by the parts, year first: the order of the moments they name, time-only stamps aside.
  auto operator<=>(const TSQLTimeStamp&) const = default;
};

// The same, with the offset of its zone from UTC (both parts carry the sign: -03:30 is -3 and -30).
struct TSQLTimeStampOffset {
  SmallInt Year = 0;
  Word Month = 0;
  Word Day = 0;
  Word Hour = 0;
  Word Minute = 0;
  Word Second = 0;
  LongWord Fractions = 0;
  SmallInt TimeZoneHour = 0;
  SmallInt TimeZoneMinute = 0;

  // Equal parts; use CompareSQLTimeStampOffset to compare moments across zones.
  bool operator==(const TSQLTimeStampOffset&) const = default;
};

inline constexpr TSQLTimeStamp NullSQLTimeStamp{};
inline constexpr TSQLTimeStampOffset NullSQLTimeStampOffset{};

// Raises EConvertError "Invalid SQL date/time values" for a stamp that names no moment; the empty
// stamp passes.
void CheckSqlTimeStamp(const TSQLTimeStamp& TimeStamp);
void CheckSqlTimeStampOffset(const TSQLTimeStampOffset& TimeStamp);

// The empty stamp is 0 (30.12.1899 00:00); other invalid stamps raise EConvertError.
TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& TimeStamp);
// Rounded to the nearest millisecond.
TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime DateTime);

// The moment in the machine's local time.
TDateTime SQLTimeStampOffsetToDateTime(const TSQLTimeStampOffset& TimeStamp);
// DateTime is local time; the offset is the local zone's at that moment.
TSQLTimeStampOffset DateTimeToSQLTimeStampOffset(TDateTime DateTime);
// DateTime is the wall time in the zone given by the offset.
TSQLTimeStampOffset DateTimeToSQLTimeStampOffset(TDateTime DateTime, SmallInt TimeZoneHour,
                                                 SmallInt TimeZoneMinute);
// Keeps the wall time as written and drops the offset.
TSQLTimeStamp SQLTimeStampOffsetToSQLTimeStamp(const TSQLTimeStampOffset& TimeStamp);
TSQLTimeStampOffset SQLTimeStampToSQLTimeStampOffset(const TSQLTimeStamp& TimeStamp,
                                                     SmallInt TimeZoneHour = 0, SmallInt TimeZoneMinute = 0);

// Text by a FormatDateTime pattern; an empty pattern gives ShortDateFormat and LongTimeFormat
// (the time always written). The offset form appends " +hh:mm" / " -hh:mm".
String SQLTimeStampToStr(const String& Format, const TSQLTimeStamp& TimeStamp);
String SQLTimeStampToStr(const String& Format, const TSQLTimeStamp& TimeStamp,
                         const TFormatSettings& Settings);
String SQLTimeStampOffsetToStr(const String& Format, const TSQLTimeStampOffset& TimeStamp);
// As StrToDateTime; raises EConvertError for text that is no date and time.
TSQLTimeStamp StrToSQLTimeStamp(const String& S);
bool TryStrToSQLTimeStamp(const String& S, TSQLTimeStamp& TimeStamp);

// -1, 0 or 1. The offset form compares the moments (both taken to UTC).
int CompareSQLTimeStamp(const TSQLTimeStamp& A, const TSQLTimeStamp& B);
int CompareSQLTimeStampOffset(const TSQLTimeStampOffset& A, const TSQLTimeStampOffset& B);
