// Dates and times as text: the FormatDateTime pattern language and the locale's StrToDate family.
#pragma once

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

// Pattern letters are case-insensitive: c, d..dddddd, m..mmmm (minutes right after h/hh), yy, yyyy, h, hh,
// n, nn, s, ss, z, zzz, t, tt, am/pm, a/p, ampm; "/" and ":" become the locale separators, 'text' and
// "text" are copied, any other character is copied as it is. An empty pattern means "c". In a pattern
// with a day number (d or dd: "d mmmm") mmmm takes the genitive name when the settings have one.
String FormatDateTime(const String& Format, TDateTime DateTime);
String FormatDateTime(const String& Format, TDateTime DateTime, const TFormatSettings& Settings);
void DateTimeToString(String& Result, const String& Format, TDateTime DateTime);
void DateTimeToString(String& Result, const String& Format, TDateTime DateTime,
                      const TFormatSettings& Settings);

// ShortDateFormat; LongTimeFormat; both, the time left out when it is midnight.
String DateToStr(TDateTime DateTime);
String DateToStr(TDateTime DateTime, const TFormatSettings& Settings);
String TimeToStr(TDateTime DateTime);
String TimeToStr(TDateTime DateTime, const TFormatSettings& Settings);
String DateTimeToStr(TDateTime DateTime);
String DateTimeToStr(TDateTime DateTime, const TFormatSettings& Settings);

// Parsing in the order of ShortDateFormat (d.m.y under the Russian profile), with DateSeparator,
// TimeSeparator and DecimalSeparator (fraction of a second). A two-digit year goes through
// TwoDigitYearCenturyWindow; a missing year is the current one; the time follows the date after a
// blank. The plain forms raise EConvertError "'%s' is not a valid date" / "... time" / "... date and time".
TDateTime StrToDate(const String& S);
TDateTime StrToDate(const String& S, const TFormatSettings& Settings);
bool TryStrToDate(const String& S, TDateTime& Value);
bool TryStrToDate(const String& S, TDateTime& Value, const TFormatSettings& Settings);
TDateTime StrToDateDef(const String& S, TDateTime Default);
TDateTime StrToDateDef(const String& S, TDateTime Default, const TFormatSettings& Settings);

TDateTime StrToTime(const String& S);
TDateTime StrToTime(const String& S, const TFormatSettings& Settings);
bool TryStrToTime(const String& S, TDateTime& Value);
bool TryStrToTime(const String& S, TDateTime& Value, const TFormatSettings& Settings);
TDateTime StrToTimeDef(const String& S, TDateTime Default);
TDateTime StrToTimeDef(const String& S, TDateTime Default, const TFormatSettings& Settings);

// A date, a time, or a date followed by a blank and a time.
TDateTime StrToDateTime(const String& S);
TDateTime StrToDateTime(const String& S, const TFormatSettings& Settings);
bool TryStrToDateTime(const String& S, TDateTime& Value);
bool TryStrToDateTime(const String& S, TDateTime& Value, const TFormatSettings& Settings);
TDateTime StrToDateTimeDef(const String& S, TDateTime Default);
TDateTime StrToDateTimeDef(const String& S, TDateTime Default, const TFormatSettings& Settings);
