// Calendar arithmetic on TDateTime over a whole-millisecond time line, the local clock and the tick count.
#include "platform/rtl/DateUtils.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <thread>

#include "platform/rtl/Exception.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"

namespace {

Int64 FloorDiv(Int64 a, Int64 b) {
  Int64 q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Calendar day number (0 = 30.12.1899) of a proleptic Gregorian date, and back.
Int64 DayFromCivil(int y, unsigned m, unsigned d) {
  y -= m <= 2;
  const Int64 era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<Int64>(doe) - 719468 + UnixDateDelta;
}

void CivilFromDay(Int64 day, int& y, unsigned& m, unsigned& d) {
  const Int64 z = day - UnixDateDelta + 719468;
  const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

Int64 DayOf(Int64 ms) { return FloorDiv(ms, MSecsPerDay); }

// Local wall time of a moment, through the C library's zone rules.
TDateTime LocalFromUnixMSecs(Int64 unixMs) {
  const Int64 secs = FloorDiv(unixMs, 1000);
  const time_t t = static_cast<time_t>(secs);
  tm local{};
  localtime_r(&t, &local);
  return MSecsToDateTime((secs + local.tm_gmtoff) * 1000 + (unixMs - secs * 1000) +
                         static_cast<Int64>(UnixDateDelta) * MSecsPerDay);
}

// The moment of a local wall time; in a gap or an overlap the C library's choice stands.
Int64 UnixMSecsFromLocal(Int64 localMs) {
  const Int64 day = DayOf(localMs);
  Int64 tod = localMs - day * MSecsPerDay;
  int y;
  unsigned m, d;
  CivilFromDay(day, y, m, d);
  tm local{};
  local.tm_year = y - 1900;
  local.tm_mon = static_cast<int>(m) - 1;
  local.tm_mday = static_cast<int>(d);
  local.tm_hour = static_cast<int>(tod / 3600000);
  local.tm_min = static_cast<int>(tod / 60000 % 60);
  local.tm_sec = static_cast<int>(tod / 1000 % 60);
  local.tm_isdst = -1;
  const time_t t = mktime(&local);
  return static_cast<Int64>(t) * 1000 + tod % 1000;
}

}  // namespace

bool TryDateTimeToMSecs(TDateTime Value, Int64& MSecs) {
  // About 27 million years either way: far past the calendar, well inside 64 bits.
  if (!std::isfinite(Value) || std::fabs(Value) > 1e10) return false;
  const double day = std::trunc(Value);
  const double fraction = std::fabs(Value - day);
  MSecs = static_cast<Int64>(day) * MSecsPerDay + std::llround(fraction * MSecsPerDay);
  return true;
}

TDateTime MSecsToDateTime(Int64 MSecs) {
  const Int64 day = DayOf(MSecs);
  const double time = static_cast<double>(MSecs - day * MSecsPerDay) / MSecsPerDay;
  // Before 30.12.1899 the time of day is subtracted from the day number.
  return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

namespace {

const String kDateEncodeError = u"Invalid argument to date encode";
const String kTimeEncodeError = u"Invalid argument to time encode";
constexpr Int64 kMSecsPerDay = MSecsPerDay;

[[noreturn]] void DateEncodeError() { throw EConvertError(kDateEncodeError); }

// The value's place on the time line; bad values (NaN, infinities, far outside the calendar) raise.
Int64 CheckedMSecs(TDateTime value) {
  Int64 ms;
  if (!TryDateTimeToMSecs(value, ms)) DateEncodeError();
  return ms;
}

struct Parts {
  Word year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
};

Parts Decode(TDateTime value) {
  Parts p;
  Int64 ms;
  if (!TryDateTimeToMSecs(value, ms)) return p;
  const Int64 day = DayOf(ms);
  Int64 tod = ms - day * kMSecsPerDay;
  int y;
  unsigned m, d;
  CivilFromDay(day, y, m, d);
  if (y >= 1 && y <= 9999) {
    p.year = static_cast<Word>(y);
    p.month = static_cast<Word>(m);
    p.day = static_cast<Word>(d);
  }
  p.hour = static_cast<Word>(tod / 3600000);
  tod %= 3600000;
  p.minute = static_cast<Word>(tod / 60000);
  tod %= 60000;
  p.second = static_cast<Word>(tod / 1000);
  p.msec = static_cast<Word>(tod % 1000);
  return p;
}

Int64 TimeMSecs(Word hour, Word minute, Word second, Word msec) {
  return ((static_cast<Int64>(hour) * 60 + minute) * 60 + second) * 1000 + msec;
}

// "'2024.2.30 0:0:0,0' is not a valid date and time": the parts as given, the kept ones from the base
// value ("?" when there is none).
[[noreturn]] void InvalidDateTimeError(Word year, Word month, Word day, Word hour, Word minute, Word second,
                                       Word msec, TDateTime base) {
  const Parts orig = Decode(base);
  auto part = [base](Word original, Word given) -> String {
    if (given != RecodeLeaveFieldAsIs) return IntToStr(static_cast<int>(given));
    if (base == 0) return u"?";
    return IntToStr(static_cast<int>(original));
  };
  const TFormatSettings& fs = FormatSettings;
  const String text = part(orig.year, year) + fs.DateSeparator + part(orig.month, month) + fs.DateSeparator +
                      part(orig.day, day) + u' ' + part(orig.hour, hour) + fs.TimeSeparator +
                      part(orig.minute, minute) + fs.TimeSeparator + part(orig.second, second) +
                      fs.DecimalSeparator + part(orig.msec, msec);
  throw EConvertError(u"'" + text + u"' is not a valid date and time");
}

Int64 DayOfValue(TDateTime value) { return DayOf(CheckedMSecs(value)); }

TDateTime DayStart(Int64 day) { return MSecsToDateTime(day * kMSecsPerDay); }
TDateTime DayEnd(Int64 day) { return MSecsToDateTime(day * kMSecsPerDay + kMSecsPerDay - 1); }

// The same calendar day numbers for a year, month and day that are known to be valid.
Int64 DayNumber(int year, unsigned month, unsigned day) { return DayFromCivil(year, month, day); }

Word IsoDayOfWeek(Int64 day) {
  // Day 0 (30.12.1899) was a Saturday.
  Int64 r = (day + 5) % 7;
  if (r < 0) r += 7;
  return static_cast<Word>(r + 1);
}

// Months from a to b (a <= b), counted as whole steps of IncMonth that do not pass b.
Integer WholeMonths(Int64 a, Int64 b) {
  const Int64 dayA = DayOf(a), dayB = DayOf(b);
  const Int64 todA = a - dayA * kMSecsPerDay;
  int ya, yb;
  unsigned ma, mb, da, db;
  CivilFromDay(dayA, ya, ma, da);
  CivilFromDay(dayB, yb, mb, db);
  Integer months = (yb * 12 + static_cast<int>(mb)) - (ya * 12 + static_cast<int>(ma));
  auto stepped = [&](Integer n) {
    const int total = ya * 12 + static_cast<int>(ma) - 1 + n;
    const int y = total / 12;
    const unsigned m = static_cast<unsigned>(total % 12) + 1;
    const unsigned last = DaysInAMonth(static_cast<Word>(y), static_cast<Word>(m));
    return DayNumber(y, m, da > last ? last : da) * kMSecsPerDay + todA;
  };
  if (months > 0 && stepped(months) > b) --months;
  return months;
}

}  // namespace

// ---- Encoding and decoding ----

bool IsLeapYear(Word Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

Word DaysInAMonth(Word Year, Word Month) {
  static constexpr Word kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Month < 1 || Month > 12) return 0;
  return Month == 2 && IsLeapYear(Year) ? 29 : kDays[Month - 1];
}

bool IsValidDate(Word Year, Word Month, Word Day) {
  return Year >= 1 && Year <= 9999 && Month >= 1 && Month <= 12 && Day >= 1 &&
         Day <= DaysInAMonth(Year, Month);
}

bool IsValidTime(Word Hour, Word Minute, Word Second, Word MilliSecond) {
  return Hour < HoursPerDay && Minute < MinsPerHour && Second < SecsPerMin && MilliSecond < MSecsPerSec;
}

bool IsValidDateTime(Word Year, Word Month, Word Day, Word Hour, Word Minute, Word Second, Word MilliSecond) {
  return IsValidDate(Year, Month, Day) && IsValidTime(Hour, Minute, Second, MilliSecond);
}

bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date) {
  if (!IsValidDate(Year, Month, Day)) return false;
  Date = static_cast<TDateTime>(DayNumber(Year, Month, Day));
  return true;
}

bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time) {
  if (!IsValidTime(Hour, Min, Sec, MSec)) return false;
  Time = static_cast<TDateTime>(TimeMSecs(Hour, Min, Sec, MSec)) / MSecsPerDay;
  return true;
}

bool TryEncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Minute, Word Second, Word MilliSecond,
                       TDateTime& Value) {
  if (!IsValidDateTime(Year, Month, Day, Hour, Minute, Second, MilliSecond)) return false;
  Value = MSecsToDateTime(DayNumber(Year, Month, Day) * kMSecsPerDay +
                          TimeMSecs(Hour, Minute, Second, MilliSecond));
  return true;
}

TDateTime EncodeDate(Word Year, Word Month, Word Day) {
  TDateTime result;
  if (!TryEncodeDate(Year, Month, Day, result)) DateEncodeError();
  return result;
}

TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec) {
  TDateTime result;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, result)) throw EConvertError(kTimeEncodeError);
  return result;
}

TDateTime EncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Minute, Word Second,
                         Word MilliSecond) {
  TDateTime result;
  if (!TryEncodeDateTime(Year, Month, Day, Hour, Minute, Second, MilliSecond, result))
    InvalidDateTimeError(Year, Month, Day, Hour, Minute, Second, MilliSecond, 0);
  return result;
}

void DecodeDate(TDateTime DateTime, Word& Year, Word& Month, Word& Day) {
  const Parts p = Decode(DateTime);
  Year = p.year;
  Month = p.month;
  Day = p.day;
}

void DecodeTime(TDateTime DateTime, Word& Hour, Word& Min, Word& Sec, Word& MSec) {
  const Parts p = Decode(DateTime);
  Hour = p.hour;
  Min = p.minute;
  Sec = p.second;
  MSec = p.msec;
}

void DecodeDateTime(TDateTime Value, Word& Year, Word& Month, Word& Day, Word& Hour, Word& Minute,
                    Word& Second, Word& MilliSecond) {
  const Parts p = Decode(Value);
  Year = p.year;
  Month = p.month;
  Day = p.day;
  Hour = p.hour;
  Minute = p.minute;
  Second = p.second;
  MilliSecond = p.msec;
}

bool DecodeDateFully(TDateTime DateTime, Word& Year, Word& Month, Word& Day, Word& DOW) {
  DecodeDate(DateTime, Year, Month, Day);
  DOW = Year == 0 ? 0 : DayOfWeek(DateTime);
  return Year != 0 && IsLeapYear(Year);
}

TTimeStamp DateTimeToTimeStamp(TDateTime DateTime) {
  const Int64 ms = CheckedMSecs(DateTime);
  const Int64 day = DayOf(ms);
  return TTimeStamp{static_cast<Integer>(ms - day * kMSecsPerDay), static_cast<Integer>(day + DateDelta)};
}

TDateTime TimeStampToDateTime(const TTimeStamp& TimeStamp) {
  if (TimeStamp.Time < 0 || TimeStamp.Time >= MSecsPerDay || TimeStamp.Date <= 0)
    throw EConvertError(u"'" + IntToStr(TimeStamp.Date) + u"." + IntToStr(TimeStamp.Time) +
                        u"' is not a valid timestamp");
  return MSecsToDateTime((static_cast<Int64>(TimeStamp.Date) - DateDelta) * kMSecsPerDay + TimeStamp.Time);
}

double TimeStampToMSecs(const TTimeStamp& TimeStamp) {
  return static_cast<double>(TimeStamp.Date) * MSecsPerDay + TimeStamp.Time;
}

TTimeStamp MSecsToTimeStamp(double MSecs) {
  const double days = std::floor(MSecs / MSecsPerDay);
  if (!std::isfinite(MSecs) || days <= 0 || days > 0x7FFFFFFF) DateEncodeError();
  return TTimeStamp{static_cast<Integer>(MSecs - days * MSecsPerDay), static_cast<Integer>(days)};
}

TDateTime DateOf(TDateTime Value) { return DayStart(DayOfValue(Value)); }

TDateTime TimeOf(TDateTime Value) {
  const Int64 ms = CheckedMSecs(Value);
  return MSecsToDateTime(ms - DayOf(ms) * kMSecsPerDay);
}

void ReplaceDate(TDateTime& DateTime, TDateTime NewDate) {
  const Int64 ms = CheckedMSecs(DateTime);
  const Int64 tod = ms - DayOf(ms) * kMSecsPerDay;
  DateTime = MSecsToDateTime(DayOfValue(NewDate) * kMSecsPerDay + tod);
}

void ReplaceTime(TDateTime& DateTime, TDateTime NewTime) {
  const Int64 ms = CheckedMSecs(NewTime);
  const Int64 tod = ms - DayOf(ms) * kMSecsPerDay;
  DateTime = MSecsToDateTime(DayOfValue(DateTime) * kMSecsPerDay + tod);
}

// ---- Parts ----

Word DaysInMonth(TDateTime Value) {
  const Parts p = Decode(Value);
  return DaysInAMonth(p.year, p.month);
}

Word DaysInAYear(Word Year) { return IsLeapYear(Year) ? 366 : 365; }
Word DaysInYear(TDateTime Value) { return DaysInAYear(YearOf(Value)); }

Word DayOfWeek(TDateTime DateTime) { return static_cast<Word>(IsoDayOfWeek(DayOfValue(DateTime)) % 7 + 1); }
Word DayOfTheWeek(TDateTime Value) { return IsoDayOfWeek(DayOfValue(Value)); }

Word DayOfTheYear(TDateTime Value) {
  const Int64 day = DayOfValue(Value);
  int y;
  unsigned m, d;
  CivilFromDay(day, y, m, d);
  return static_cast<Word>(day - DayNumber(y, 1, 1) + 1);
}

Word YearOf(TDateTime Value) { return Decode(Value).year; }
Word MonthOf(TDateTime Value) { return Decode(Value).month; }
Word DayOf(TDateTime Value) { return Decode(Value).day; }
Word HourOf(TDateTime Value) { return Decode(Value).hour; }
Word MinuteOf(TDateTime Value) { return Decode(Value).minute; }
Word SecondOf(TDateTime Value) { return Decode(Value).second; }
Word MilliSecondOf(TDateTime Value) { return Decode(Value).msec; }

Word WeekOfTheYear(TDateTime Value, Word& Year) {
  const Int64 day = DayOfValue(Value);
  // The week belongs to the year that holds its Thursday.
  const Int64 thursday = day - IsoDayOfWeek(day) + 4;
  int y;
  unsigned m, d;
  CivilFromDay(thursday, y, m, d);
  Year = static_cast<Word>(y);
  return static_cast<Word>((thursday - DayNumber(y, 1, 1)) / 7 + 1);
}

Word WeekOfTheYear(TDateTime Value) {
  Word year;
  return WeekOfTheYear(Value, year);
}

Word WeeksInAYear(Word Year) {
  const Word jan1 = IsoDayOfWeek(DayNumber(Year, 1, 1));
  return jan1 == 4 || (jan1 == 3 && IsLeapYear(Year)) ? 53 : 52;
}

Word WeeksInYear(TDateTime Value) { return WeeksInAYear(YearOf(Value)); }

// ---- Steps ----

void IncAMonth(Word& Year, Word& Month, Word& Day, Integer NumberOfMonths) {
  const Int64 total = static_cast<Int64>(Year) * 12 + (static_cast<Int64>(Month) - 1) + NumberOfMonths;
  Int64 y = total / 12, m = total % 12;
  if (m < 0) {
    m += 12;
    --y;
  }
  Year = static_cast<Word>(y);
  Month = static_cast<Word>(m + 1);
  const Word last = DaysInAMonth(Year, Month);
  if (Day > last) Day = last;
}

TDateTime IncMonth(TDateTime DateTime, Integer NumberOfMonths) {
  const Int64 ms = CheckedMSecs(DateTime);
  const Int64 day = DayOf(ms);
  int y;
  unsigned m, d;
  CivilFromDay(day, y, m, d);
  const Int64 total = static_cast<Int64>(y) * 12 + (m - 1) + NumberOfMonths;
  if (total < 12 || total >= 10000 * 12) DateEncodeError();
  Word year = static_cast<Word>(y), month = static_cast<Word>(m), dd = static_cast<Word>(d);
  IncAMonth(year, month, dd, NumberOfMonths);
  const TDateTime date = EncodeDate(year, month, dd);
  return MSecsToDateTime(static_cast<Int64>(date) * kMSecsPerDay + (ms - day * kMSecsPerDay));
}

TDateTime IncYear(TDateTime Value, Integer NumberOfYears) {
  return IncMonth(Value, static_cast<Integer>(static_cast<Int64>(NumberOfYears) * 12));
}

TDateTime IncMilliSecond(TDateTime Value, Int64 NumberOfMilliSeconds) {
  return MSecsToDateTime(CheckedMSecs(Value) + NumberOfMilliSeconds);
}

TDateTime IncWeek(TDateTime Value, Integer NumberOfWeeks) {
  return IncMilliSecond(Value, static_cast<Int64>(NumberOfWeeks) * 7 * kMSecsPerDay);
}
TDateTime IncDay(TDateTime Value, Integer NumberOfDays) {
  return IncMilliSecond(Value, static_cast<Int64>(NumberOfDays) * kMSecsPerDay);
}
TDateTime IncHour(TDateTime Value, Int64 NumberOfHours) {
  return IncMilliSecond(Value, NumberOfHours * 3600000);
}
TDateTime IncMinute(TDateTime Value, Int64 NumberOfMinutes) {
  return IncMilliSecond(Value, NumberOfMinutes * 60000);
}
TDateTime IncSecond(TDateTime Value, Int64 NumberOfSeconds) {
  return IncMilliSecond(Value, NumberOfSeconds * 1000);
}

// ---- Recoding ----

bool TryRecodeDateTime(TDateTime Value, Word Year, Word Month, Word Day, Word Hour, Word Minute, Word Second,
                       Word MilliSecond, TDateTime& Result) {
  Parts p = Decode(Value);
  auto take = [](Word& part, Word given) {
    if (given != RecodeLeaveFieldAsIs) part = given;
  };
  take(p.year, Year);
  take(p.month, Month);
  take(p.day, Day);
  take(p.hour, Hour);
  take(p.minute, Minute);
  take(p.second, Second);
  take(p.msec, MilliSecond);
  return TryEncodeDateTime(p.year, p.month, p.day, p.hour, p.minute, p.second, p.msec, Result);
}

TDateTime RecodeDateTime(TDateTime Value, Word Year, Word Month, Word Day, Word Hour, Word Minute,
                         Word Second, Word MilliSecond) {
  TDateTime result;
  if (!TryRecodeDateTime(Value, Year, Month, Day, Hour, Minute, Second, MilliSecond, result))
    InvalidDateTimeError(Year, Month, Day, Hour, Minute, Second, MilliSecond, Value);
  return result;
}

namespace {
constexpr Word kKeep = RecodeLeaveFieldAsIs;
}

TDateTime RecodeYear(TDateTime Value, Word Year) {
  return RecodeDateTime(Value, Year, kKeep, kKeep, kKeep, kKeep, kKeep, kKeep);
}
TDateTime RecodeMonth(TDateTime Value, Word Month) {
  return RecodeDateTime(Value, kKeep, Month, kKeep, kKeep, kKeep, kKeep, kKeep);
}
TDateTime RecodeDay(TDateTime Value, Word Day) {
  return RecodeDateTime(Value, kKeep, kKeep, Day, kKeep, kKeep, kKeep, kKeep);
}
TDateTime RecodeHour(TDateTime Value, Word Hour) {
  return RecodeDateTime(Value, kKeep, kKeep, kKeep, Hour, kKeep, kKeep, kKeep);
}
TDateTime RecodeMinute(TDateTime Value, Word Minute) {
  return RecodeDateTime(Value, kKeep, kKeep, kKeep, kKeep, Minute, kKeep, kKeep);
}
TDateTime RecodeSecond(TDateTime Value, Word Second) {
  return RecodeDateTime(Value, kKeep, kKeep, kKeep, kKeep, kKeep, Second, kKeep);
}
TDateTime RecodeMilliSecond(TDateTime Value, Word MilliSecond) {
  return RecodeDateTime(Value, kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, MilliSecond);
}
TDateTime RecodeDate(TDateTime Value, Word Year, Word Month, Word Day) {
  return RecodeDateTime(Value, Year, Month, Day, kKeep, kKeep, kKeep, kKeep);
}
TDateTime RecodeTime(TDateTime Value, Word Hour, Word Minute, Word Second, Word MilliSecond) {
  return RecodeDateTime(Value, kKeep, kKeep, kKeep, Hour, Minute, Second, MilliSecond);
}

// ---- Starts and ends ----

TDateTime StartOfTheDay(TDateTime Value) { return DayStart(DayOfValue(Value)); }
TDateTime EndOfTheDay(TDateTime Value) { return DayEnd(DayOfValue(Value)); }

TDateTime StartOfTheWeek(TDateTime Value) {
  const Int64 day = DayOfValue(Value);
  return DayStart(day - IsoDayOfWeek(day) + 1);
}

TDateTime EndOfTheWeek(TDateTime Value) {
  const Int64 day = DayOfValue(Value);
  return DayEnd(day - IsoDayOfWeek(day) + 7);
}

TDateTime StartOfTheMonth(TDateTime Value) {
  const Parts p = Decode(Value);
  return EncodeDate(p.year, p.month, 1);
}

TDateTime EndOfTheMonth(TDateTime Value) {
  const Parts p = Decode(Value);
  if (p.year == 0) DateEncodeError();
  return DayEnd(DayNumber(p.year, p.month, DaysInAMonth(p.year, p.month)));
}

TDateTime StartOfTheYear(TDateTime Value) { return EncodeDate(Decode(Value).year, 1, 1); }

TDateTime EndOfTheYear(TDateTime Value) {
  const Word year = Decode(Value).year;
  if (year == 0) DateEncodeError();
  return DayEnd(DayNumber(year, 12, 31));
}

// ---- Spans and comparisons ----

Int64 MilliSecondsBetween(TDateTime ANow, TDateTime AThen) {
  const Int64 d = CheckedMSecs(ANow) - CheckedMSecs(AThen);
  return d < 0 ? -d : d;
}

Int64 SecondsBetween(TDateTime ANow, TDateTime AThen) { return MilliSecondsBetween(ANow, AThen) / 1000; }
Int64 MinutesBetween(TDateTime ANow, TDateTime AThen) { return MilliSecondsBetween(ANow, AThen) / 60000; }
Int64 HoursBetween(TDateTime ANow, TDateTime AThen) { return MilliSecondsBetween(ANow, AThen) / 3600000; }
Integer DaysBetween(TDateTime ANow, TDateTime AThen) {
  return static_cast<Integer>(MilliSecondsBetween(ANow, AThen) / kMSecsPerDay);
}

Integer MonthsBetween(TDateTime ANow, TDateTime AThen) {
  const Int64 a = CheckedMSecs(ANow), b = CheckedMSecs(AThen);
  return a <= b ? WholeMonths(a, b) : WholeMonths(b, a);
}

Integer YearsBetween(TDateTime ANow, TDateTime AThen) { return MonthsBetween(ANow, AThen) / 12; }

namespace {
TValueRelationship Sign(Int64 d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); }
Int64 TimeOfDayMSecs(TDateTime value) {
  const Int64 ms = CheckedMSecs(value);
  return ms - DayOf(ms) * kMSecsPerDay;
}
}  // namespace

TValueRelationship CompareDateTime(TDateTime A, TDateTime B) {
  return Sign(CheckedMSecs(A) - CheckedMSecs(B));
}
TValueRelationship CompareDate(TDateTime A, TDateTime B) { return Sign(DayOfValue(A) - DayOfValue(B)); }
TValueRelationship CompareTime(TDateTime A, TDateTime B) {
  return Sign(TimeOfDayMSecs(A) - TimeOfDayMSecs(B));
}
bool SameDateTime(TDateTime A, TDateTime B) { return CompareDateTime(A, B) == 0; }
bool SameDate(TDateTime A, TDateTime B) { return CompareDate(A, B) == 0; }
bool SameTime(TDateTime A, TDateTime B) { return CompareTime(A, B) == 0; }

// ---- Clock ----

TDateTime Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return LocalFromUnixMSecs(static_cast<Int64>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000);
}

TDateTime Date() { return DateOf(Now()); }
TDateTime Time() { return TimeOf(Now()); }

Int64 DateTimeToUnix(TDateTime Value, bool InputIsUTC) {
  const Int64 ms = InputIsUTC ? CheckedMSecs(Value) - static_cast<Int64>(UnixDateDelta) * kMSecsPerDay
                              : UnixMSecsFromLocal(CheckedMSecs(Value));
  // Nearest second, halves up.
  return FloorDiv(ms + 500, 1000);
}

TDateTime UnixToDateTime(Int64 Value, bool ReturnUTC) {
  // Beyond this the value is no calendar date; keep the arithmetic from overflowing.
  constexpr Int64 kLimit = Int64{1} << 50;
  if (Value > kLimit || Value < -kLimit) return UnixDateDelta + static_cast<double>(Value) / SecsPerDay;
  const Int64 ms = Value * 1000;
  if (!ReturnUTC) return LocalFromUnixMSecs(ms);
  return MSecsToDateTime(ms + static_cast<Int64>(UnixDateDelta) * kMSecsPerDay);
}

UInt64 GetTickCount64() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<UInt64>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

UInt64 GetTickCount() { return GetTickCount64(); }

void Sleep(Cardinal Milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds)); }
