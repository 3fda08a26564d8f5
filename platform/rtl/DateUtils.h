// Calendar arithmetic on TDateTime: encoding, decoding, parts, steps, spans, week numbers and the clock.
#pragma once

#include "platform/rtl/Types.h"

// A value's place on the time line: days are counted from 1 January 0001 (day 1), the time in
// milliseconds since midnight.
struct TTimeStamp {
  Integer Time;
  Integer Date;
};

using TValueRelationship = int;

inline constexpr Word HoursPerDay = 24;
inline constexpr Word MinsPerHour = 60;
inline constexpr Word SecsPerMin = 60;
inline constexpr Word MSecsPerSec = 1000;
inline constexpr Integer MinsPerDay = 24 * 60;
inline constexpr Integer SecsPerDay = 24 * 60 * 60;
inline constexpr Integer MSecsPerDay = 24 * 60 * 60 * 1000;
// Days between 1 January 0001 and 30 December 1899.
inline constexpr Integer DateDelta = 693594;
// Days between 30 December 1899 and 1 January 1970.
inline constexpr Integer UnixDateDelta = 25569;

inline constexpr double OneHour = 1.0 / HoursPerDay;
inline constexpr double OneMinute = 1.0 / MinsPerDay;
inline constexpr double OneSecond = 1.0 / SecsPerDay;
inline constexpr double OneMillisecond = 1.0 / MSecsPerDay;

// 1 January 0100 00:00 and 31 December 9999 23:59:59.999.
inline constexpr TDateTime MinDateTime = -657434.0;
inline constexpr TDateTime MaxDateTime = 2958465.0 + 86399999.0 / MSecsPerDay;

// Passed to RecodeDateTime for a part that stays as it is.
inline constexpr Word RecodeLeaveFieldAsIs = 0xFFFF;

// Encoding and decoding. The Encode functions raise EConvertError for invalid parts; decoding rounds to
// the nearest millisecond, so a value made from whole milliseconds comes back unchanged.
TDateTime EncodeDate(Word Year, Word Month, Word Day);
TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec);
TDateTime EncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Minute, Word Second,
                         Word MilliSecond);
bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date);
bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time);
bool TryEncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Minute, Word Second, Word MilliSecond,
                       TDateTime& Value);
void DecodeDate(TDateTime DateTime, Word& Year, Word& Month, Word& Day);
void DecodeTime(TDateTime DateTime, Word& Hour, Word& Min, Word& Sec, Word& MSec);
void DecodeDateTime(TDateTime Value, Word& Year, Word& Month, Word& Day, Word& Hour, Word& Minute,
                    Word& Second, Word& MilliSecond);
// Also gives the day of the week (Sunday = 1); answers whether the year is a leap year.
bool DecodeDateFully(TDateTime DateTime, Word& Year, Word& Month, Word& Day, Word& DOW);
bool IsValidDate(Word Year, Word Month, Word Day);
bool IsValidTime(Word Hour, Word Minute, Word Second, Word MilliSecond);
bool IsValidDateTime(Word Year, Word Month, Word Day, Word Hour, Word Minute, Word Second, Word MilliSecond);

// Whole milliseconds since 30.12.1899 00:00 (negative before), rounded to the nearest; a straight line
// also for negative TDateTime values. False for NaN, infinities and values far outside the calendar.
bool TryDateTimeToMSecs(TDateTime Value, Int64& MSecs);
TDateTime MSecsToDateTime(Int64 MSecs);

TTimeStamp DateTimeToTimeStamp(TDateTime DateTime);
TDateTime TimeStampToDateTime(const TTimeStamp& TimeStamp);
// Milliseconds since the start of 1 January 0001, minus one day (the stamp's own scale).
double TimeStampToMSecs(const TTimeStamp& TimeStamp);
TTimeStamp MSecsToTimeStamp(double MSecs);

TDateTime DateOf(TDateTime Value);
TDateTime TimeOf(TDateTime Value);
void ReplaceDate(TDateTime& DateTime, TDateTime NewDate);
void ReplaceTime(TDateTime& DateTime, TDateTime NewTime);

bool IsLeapYear(Word Year);
Word DaysInMonth(TDateTime Value);
Word DaysInAMonth(Word Year, Word Month);
Word DaysInYear(TDateTime Value);
Word DaysInAYear(Word Year);
// Sunday = 1 ... Saturday = 7.
Word DayOfWeek(TDateTime DateTime);
// ISO 8601: Monday = 1 ... Sunday = 7.
Word DayOfTheWeek(TDateTime Value);
Word DayOfTheYear(TDateTime Value);
Word YearOf(TDateTime Value);
Word MonthOf(TDateTime Value);
Word DayOf(TDateTime Value);
Word HourOf(TDateTime Value);
Word MinuteOf(TDateTime Value);
Word SecondOf(TDateTime Value);
Word MilliSecondOf(TDateTime Value);

// ISO 8601 week: weeks start on Monday, week 1 holds the year's first Thursday.
Word WeekOfTheYear(TDateTime Value);
Word WeekOfTheYear(TDateTime Value, Word& Year);
Word WeeksInYear(TDateTime Value);
Word WeeksInAYear(Word Year);

// Steps. Months and years clamp the day to the target month's length and keep the time of day; the
// result outside 0001..9999 raises EConvertError.
TDateTime IncMonth(TDateTime DateTime, Integer NumberOfMonths = 1);
void IncAMonth(Word& Year, Word& Month, Word& Day, Integer NumberOfMonths = 1);
TDateTime IncYear(TDateTime Value, Integer NumberOfYears = 1);
TDateTime IncWeek(TDateTime Value, Integer NumberOfWeeks = 1);
TDateTime IncDay(TDateTime Value, Integer NumberOfDays = 1);
TDateTime IncHour(TDateTime Value, Int64 NumberOfHours = 1);
TDateTime IncMinute(TDateTime Value, Int64 NumberOfMinutes = 1);
TDateTime IncSecond(TDateTime Value, Int64 NumberOfSeconds = 1);
TDateTime IncMilliSecond(TDateTime Value, Int64 NumberOfMilliSeconds = 1);

// Replace parts; an invalid result raises EConvertError "'...' is not a valid date and time".
TDateTime RecodeDateTime(TDateTime Value, Word Year, Word Month, Word Day, Word Hour, Word Minute,
                         Word Second, Word MilliSecond);
bool TryRecodeDateTime(TDateTime Value, Word Year, Word Month, Word Day, Word Hour, Word Minute, Word Second,
                       Word MilliSecond, TDateTime& Result);
TDateTime RecodeYear(TDateTime Value, Word Year);
TDateTime RecodeMonth(TDateTime Value, Word Month);
TDateTime RecodeDay(TDateTime Value, Word Day);
TDateTime RecodeHour(TDateTime Value, Word Hour);
TDateTime RecodeMinute(TDateTime Value, Word Minute);
TDateTime RecodeSecond(TDateTime Value, Word Second);
TDateTime RecodeMilliSecond(TDateTime Value, Word MilliSecond);
TDateTime RecodeDate(TDateTime Value, Word Year, Word Month, Word Day);
TDateTime RecodeTime(TDateTime Value, Word Hour, Word Minute, Word Second, Word MilliSecond);

// Starts are at 00:00:00.000, ends at 23:59:59.999. Weeks start on Monday.
TDateTime StartOfTheDay(TDateTime Value);
TDateTime EndOfTheDay(TDateTime Value);
TDateTime StartOfTheWeek(TDateTime Value);
TDateTime EndOfTheWeek(TDateTime Value);
TDateTime StartOfTheMonth(TDateTime Value);
TDateTime EndOfTheMonth(TDateTime Value);
TDateTime StartOfTheYear(TDateTime Value);
TDateTime EndOfTheYear(TDateTime Value);

// Spans count whole units between two moments, whichever comes first. Months and years are calendar
// months and years (1 February to 1 March is one month), not averages.
Integer YearsBetween(TDateTime ANow, TDateTime AThen);
Integer MonthsBetween(TDateTime ANow, TDateTime AThen);
Integer DaysBetween(TDateTime ANow, TDateTime AThen);
Int64 HoursBetween(TDateTime ANow, TDateTime AThen);
Int64 MinutesBetween(TDateTime ANow, TDateTime AThen);
Int64 SecondsBetween(TDateTime ANow, TDateTime AThen);
Int64 MilliSecondsBetween(TDateTime ANow, TDateTime AThen);

// Comparisons to the millisecond; -1, 0 or 1.
bool SameDate(TDateTime A, TDateTime B);
bool SameTime(TDateTime A, TDateTime B);
bool SameDateTime(TDateTime A, TDateTime B);
TValueRelationship CompareDate(TDateTime A, TDateTime B);
TValueRelationship CompareTime(TDateTime A, TDateTime B);
TValueRelationship CompareDateTime(TDateTime A, TDateTime B);

// The local wall clock.
TDateTime Date();
TDateTime Time();
TDateTime Now();

// Seconds since 1970-01-01 00:00 UTC. With InputIsUTC / ReturnUTC false the TDateTime is local time.
Int64 DateTimeToUnix(TDateTime Value, bool InputIsUTC = true);
TDateTime UnixToDateTime(Int64 Value, bool ReturnUTC = true);

// Monotonic milliseconds since an arbitrary start; both are 64-bit so elapsed times never wrap.
UInt64 GetTickCount();
UInt64 GetTickCount64();
void Sleep(Cardinal Milliseconds);
