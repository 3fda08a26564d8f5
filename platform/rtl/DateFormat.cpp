// FormatDateTime's pattern language and the StrToDate / StrToTime / StrToDateTime readers.
#include "platform/rtl/DateFormat.h"

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"

namespace {

Char Upper(Char c) { return c >= u'a' && c <= u'z' ? static_cast<Char>(c - (u'a' - u'A')) : c; }
bool IsLetter(Char c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsDigit(Char c) { return c >= u'0' && c <= u'9'; }

// Compares ASCII text case-insensitively with the format at position i.
bool MatchesAt(const String& format, size_t i, std::u16string_view word) {
  if (format.size() - i < word.size()) return false;
  for (size_t k = 0; k < word.size(); ++k)
    if (Upper(format[i + k]) != word[k]) return false;
  return true;
}

// True when the pattern has a day number (d or dd) outside quotes: long month names then take the
// genitive form, as "5 марта 2024 г." needs.
bool HasDayNumber(const String& format) {
  for (size_t i = 0; i < format.size();) {
    const Char c = format[i];
    if (c == u'\'' || c == u'"') {
      const size_t close = format.find(c, i + 1);
      if (close == String::npos) return false;
      i = close + 1;
      continue;
    }
    size_t run = 1;
    while (i + run < format.size() && Upper(format[i + run]) == Upper(c)) ++run;
    if (Upper(c) == u'D' && run <= 2) return true;
    i += run;
  }
  return false;
}

class DateTimeWriter {
 public:
  DateTimeWriter(TDateTime value, const TFormatSettings& settings) : value_(value), fs_(settings) {
    DecodeDateTime(value, year_, month_, day_, hour_, minute_, second_, msec_);
  }

  String Write(const String& format) {
    Append(format.empty() ? String(u"c") : format, 0);
    return std::move(out_);
  }

 private:
  void Number(unsigned value, size_t digits) {
    String text = IntToStr(value);
    if (text.size() < digits) out_.append(digits - text.size(), u'0');
    out_ += text;
  }

  bool HasTime() const { return hour_ != 0 || minute_ != 0 || second_ != 0 || msec_ != 0; }

  // A nested pattern (c, t, ddddd ...) is expanded two levels deep at most, so a settings pattern
  // that names itself cannot recurse without end.
  void AppendNested(const String& format, int level) {
    if (level < 2) Append(format, level + 1);
  }

  // Whether an h at position i shows a 12-hour clock: an am/pm marker follows before the next h.
  bool TwelveHourClockAfter(const String& format, size_t i) const {
    bool quoted = false;
    for (; i < format.size(); ++i) {
      const Char c = Upper(format[i]);
      if (c == u'\'' || c == u'"') {
        quoted = !quoted;
      } else if (!quoted && c == u'H') {
        return false;
      } else if (!quoted && c == u'A') {
        if (MatchesAt(format, i, u"AM/PM") || MatchesAt(format, i, u"A/P")) return true;
        // With no AM/PM designators in the locale, a 12-hour clock could not be told apart.
        if (MatchesAt(format, i, u"AMPM")) return !fs_.TimeAMString.empty() || !fs_.TimePMString.empty();
        return false;
      }
    }
    return false;
  }

  void Append(const String& format, int level) {
    const bool genitive = HasDayNumber(format);
    Char lastToken = 0;
    size_t i = 0;
    while (i < format.size()) {
      const Char starter = format[i];
      Char token = Upper(starter);
      if (IsLetter(starter)) {
        if (token == u'M' && lastToken == u'H') token = u'N';
        lastToken = token;
      }
      size_t count = 1;
      if (IsLetter(starter) && token != u'A')
        while (i + count < format.size() && Upper(format[i + count]) == Upper(starter)) ++count;
      switch (token) {
        case u'Y':
          if (count <= 2)
            Number(year_ % 100, 2);
          else
            Number(year_, 4);
          break;
        case u'M':
          if (count <= 2) {
            Number(month_, count);
          } else if (month_ < 1) {
            break;
          } else if (count == 3) {
            out_ += fs_.ShortMonthNames[month_ - 1];
          } else {
            const String& name = fs_.LongMonthNamesGenitive[month_ - 1];
            out_ += genitive && !name.empty() ? name : fs_.LongMonthNames[month_ - 1];
          }
          break;
        case u'D':
          if (count <= 2) {
            Number(day_, count);
          } else if (count <= 4) {
            if (year_ == 0) break;
            const Word dow = DayOfWeek(value_);
            out_ += count == 3 ? fs_.ShortDayNames[dow - 1] : fs_.LongDayNames[dow - 1];
          } else {
            AppendNested(count == 5 ? fs_.ShortDateFormat : fs_.LongDateFormat, level);
          }
          break;
        case u'H': {
          unsigned hour = hour_;
          if (TwelveHourClockAfter(format, i + count)) hour = hour == 0 ? 12 : (hour > 12 ? hour - 12 : hour);
          Number(hour, count > 2 ? 2 : count);
          break;
        }
        case u'N':
          Number(minute_, count > 2 ? 2 : count);
          break;
        case u'S':
          Number(second_, count > 2 ? 2 : count);
          break;
        case u'Z':
          Number(msec_, count > 3 ? 3 : count);
          break;
        case u'T':
          AppendNested(count == 1 ? fs_.ShortTimeFormat : fs_.LongTimeFormat, level);
          break;
        case u'C':
          AppendNested(fs_.ShortDateFormat, level);
          if (HasTime()) {
            out_ += u' ';
            AppendNested(fs_.LongTimeFormat, level);
          }
          break;
        case u'A':
          count = AppendAmPm(format, i);
          break;
        case u'/':
          if (fs_.DateSeparator != 0) out_ += fs_.DateSeparator;
          break;
        case u':':
          if (fs_.TimeSeparator != 0) out_ += fs_.TimeSeparator;
          break;
        case u'\'':
        case u'"': {
          const size_t close = format.find(starter, i + 1);
          const size_t end = close == String::npos ? format.size() : close;
          out_.append(format, i + 1, end - i - 1);
          count = (close == String::npos ? end : end + 1) - i;
          break;
        }
        default:
          out_.append(format, i, count);
          break;
      }
      i += count;
    }
  }

  // am/pm and a/p keep the letters' case of the pattern; ampm takes the locale's designators. Returns
  // the characters used.
  size_t AppendAmPm(const String& format, size_t i) {
    const bool pm = hour_ >= 12;
    if (MatchesAt(format, i, u"AM/PM")) {
      out_.append(format, pm ? i + 3 : i, 2);
      return 5;
    }
    if (MatchesAt(format, i, u"A/P")) {
      out_ += format[pm ? i + 2 : i];
      return 3;
    }
    if (MatchesAt(format, i, u"AMPM")) {
      out_ += pm ? fs_.TimePMString : fs_.TimeAMString;
      return 4;
    }
    out_ += format[i];
    return 1;
  }

  TDateTime value_;
  const TFormatSettings& fs_;
  Word year_, month_, day_, hour_, minute_, second_, msec_;
  String out_;
};

// ---- Reading ----

enum class DateOrder { DMY, MDY, YMD };

DateOrder OrderOf(const String& shortDateFormat) {
  for (Char c : shortDateFormat) {
    switch (Upper(c)) {
      case u'D':
        return DateOrder::DMY;
      case u'M':
        return DateOrder::MDY;
      case u'Y':
        return DateOrder::YMD;
      default:
        break;
    }
  }
  return DateOrder::DMY;
}

class TextScanner {
 public:
  TextScanner(const String& text, const TFormatSettings& settings) : s_(text), fs_(settings) {}

  size_t Pos() const { return pos_; }
  void SetPos(size_t pos) { pos_ = pos; }
  bool AtEnd() const { return pos_ >= s_.size(); }

  // Blanks are spaces and control characters, as Trim counts them.
  bool SkipBlanks() {
    const size_t start = pos_;
    while (pos_ < s_.size() && s_[pos_] <= u' ') ++pos_;
    return pos_ > start;
  }

  // Up to four digits after optional blanks.
  bool Number(Word& value, int& digits) {
    SkipBlanks();
    unsigned n = 0;
    digits = 0;
    while (pos_ < s_.size() && IsDigit(s_[pos_]) && digits < 4) {
      n = n * 10 + (s_[pos_] - u'0');
      ++pos_;
      ++digits;
    }
    value = static_cast<Word>(n);
    return digits > 0;
  }

  bool Separator(Char c) {
    const size_t start = pos_;
    SkipBlanks();
    if (c != 0 && pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    pos_ = start;
    return false;
  }

  bool Designator(const String& word) {
    const size_t start = pos_;
    SkipBlanks();
    if (!word.empty() && s_.size() - pos_ >= word.size() &&
        AnsiSameText(s_.substr(pos_, word.size()), word)) {
      pos_ += word.size();
      return true;
    }
    pos_ = start;
    return false;
  }

  // Digits after the decimal separator as a fraction of a second: ",5" is 500 ms; digits past the
  // millisecond are cut off.
  bool Fraction(Word& msec) {
    if (pos_ >= s_.size() || !IsDigit(s_[pos_])) return false;
    unsigned value = 0, scale = 100;
    while (pos_ < s_.size() && IsDigit(s_[pos_])) {
      value += (s_[pos_] - u'0') * scale;
      scale /= 10;
      ++pos_;
    }
    msec = static_cast<Word>(value);
    return true;
  }

  bool ReadDate(TDateTime& date) {
    Word n1, n2, n3 = 0;
    int l1, l2, l3 = 0;
    if (!Number(n1, l1) || !Separator(fs_.DateSeparator) || !Number(n2, l2)) return false;
    const bool hasThird = Separator(fs_.DateSeparator);
    if (hasThird && !Number(n3, l3)) return false;
    Word y, m, d;
    int yearDigits;
    const DateOrder order = OrderOf(fs_.ShortDateFormat);
    if (!hasThird) {
      y = YearOf(::Date());
      yearDigits = 4;
      if (order == DateOrder::DMY) {
        d = n1;
        m = n2;
      } else {
        m = n1;
        d = n2;
      }
    } else if (order == DateOrder::DMY) {
      d = n1, m = n2, y = n3, yearDigits = l3;
    } else if (order == DateOrder::MDY) {
      m = n1, d = n2, y = n3, yearDigits = l3;
    } else {
      y = n1, m = n2, d = n3, yearDigits = l1;
    }
    if (yearDigits <= 2) y = ExpandYear(y);
    return TryEncodeDate(y, m, d, date);
  }

  bool ReadTime(TDateTime& time) {
    int baseHour = -1;
    if (Designator(fs_.TimeAMString) || Designator(u"AM"))
      baseHour = 0;
    else if (Designator(fs_.TimePMString) || Designator(u"PM"))
      baseHour = 12;
    Word hour, minute = 0, second = 0, msec = 0;
    int digits;
    if (!Number(hour, digits)) return false;
    if (Separator(fs_.TimeSeparator)) {
      if (!Number(minute, digits)) return false;
      if (Separator(fs_.TimeSeparator)) {
        if (!Number(second, digits)) return false;
        if (pos_ < s_.size() && s_[pos_] == fs_.DecimalSeparator) {
          ++pos_;
          if (!Fraction(msec)) return false;
        }
      }
    }
    if (baseHour < 0) {
      if (Designator(fs_.TimeAMString) || Designator(u"AM"))
        baseHour = 0;
      else if (Designator(fs_.TimePMString) || Designator(u"PM"))
        baseHour = 12;
    }
    if (baseHour >= 0) {
      if (hour == 0 || hour > 12) return false;
      if (hour == 12) hour = 0;
      hour = static_cast<Word>(hour + baseHour);
    }
    return TryEncodeTime(hour, minute, second, msec, time);
  }

 private:
  // Two-digit years fall within TwoDigitYearCenturyWindow years back from this year and the rest of the
  // century ahead: with window 50 in 2025, 75..99 are 1975..1999 and 00..74 are 2000..2074.
  Word ExpandYear(Word year) const {
    const int current = YearOf(::Date());
    const int base = current - fs_.TwoDigitYearCenturyWindow;
    int y = year + base / 100 * 100;
    if (fs_.TwoDigitYearCenturyWindow > 0 && y < base) y += 100;
    return static_cast<Word>(y);
  }

  const String& s_;
  const TFormatSettings& fs_;
  size_t pos_ = 0;
};

bool ParseDate(const String& s, TDateTime& value, const TFormatSettings& fs) {
  TextScanner scan(s, fs);
  TDateTime date;
  if (!scan.ReadDate(date)) return false;
  scan.SkipBlanks();
  if (!scan.AtEnd()) return false;
  value = date;
  return true;
}

bool ParseTime(const String& s, TDateTime& value, const TFormatSettings& fs) {
  TextScanner scan(s, fs);
  TDateTime time;
  if (!scan.ReadTime(time)) return false;
  scan.SkipBlanks();
  if (!scan.AtEnd()) return false;
  value = time;
  return true;
}

bool ParseDateTime(const String& s, TDateTime& value, const TFormatSettings& fs) {
  TextScanner scan(s, fs);
  TDateTime date, time = 0;
  if (!scan.ReadDate(date)) return ParseTime(s, value, fs);
  const bool blank = scan.SkipBlanks();
  if (!scan.AtEnd()) {
    // The time is set off from the date by a blank: "05.03.202414:30" is no date and time.
    if (!blank || !scan.ReadTime(time)) return false;
    scan.SkipBlanks();
    if (!scan.AtEnd()) return false;
  }
  value = date >= 0 ? date + time : date - time;
  return true;
}

[[noreturn]] void ConvertError(const String& s, const char16_t* what) {
  throw EConvertError(u"'" + s + u"' is not a valid " + what);
}

}  // namespace

// ---- Writing ----

void DateTimeToString(String& Result, const String& Format, TDateTime DateTime,
                      const TFormatSettings& Settings) {
  Result = DateTimeWriter(DateTime, Settings).Write(Format);
}

void DateTimeToString(String& Result, const String& Format, TDateTime DateTime) {
  DateTimeToString(Result, Format, DateTime, FormatSettings);
}

String FormatDateTime(const String& Format, TDateTime DateTime, const TFormatSettings& Settings) {
  return DateTimeWriter(DateTime, Settings).Write(Format);
}

String FormatDateTime(const String& Format, TDateTime DateTime) {
  return FormatDateTime(Format, DateTime, FormatSettings);
}

String DateToStr(TDateTime DateTime, const TFormatSettings& Settings) {
  return FormatDateTime(u"ddddd", DateTime, Settings);
}
String DateToStr(TDateTime DateTime) { return DateToStr(DateTime, FormatSettings); }

String TimeToStr(TDateTime DateTime, const TFormatSettings& Settings) {
  return FormatDateTime(u"tt", DateTime, Settings);
}
String TimeToStr(TDateTime DateTime) { return TimeToStr(DateTime, FormatSettings); }

String DateTimeToStr(TDateTime DateTime, const TFormatSettings& Settings) {
  return FormatDateTime(u"c", DateTime, Settings);
}
String DateTimeToStr(TDateTime DateTime) { return DateTimeToStr(DateTime, FormatSettings); }

// ---- Reading ----

bool TryStrToDate(const String& S, TDateTime& Value, const TFormatSettings& Settings) {
  return ParseDate(S, Value, Settings);
}
bool TryStrToDate(const String& S, TDateTime& Value) { return ParseDate(S, Value, FormatSettings); }

TDateTime StrToDate(const String& S, const TFormatSettings& Settings) {
  TDateTime value;
  if (!ParseDate(S, value, Settings)) ConvertError(S, u"date");
  return value;
}
TDateTime StrToDate(const String& S) { return StrToDate(S, FormatSettings); }

TDateTime StrToDateDef(const String& S, TDateTime Default, const TFormatSettings& Settings) {
  TDateTime value;
  return ParseDate(S, value, Settings) ? value : Default;
}
TDateTime StrToDateDef(const String& S, TDateTime Default) {
  return StrToDateDef(S, Default, FormatSettings);
}

bool TryStrToTime(const String& S, TDateTime& Value, const TFormatSettings& Settings) {
  return ParseTime(S, Value, Settings);
}
bool TryStrToTime(const String& S, TDateTime& Value) { return ParseTime(S, Value, FormatSettings); }

TDateTime StrToTime(const String& S, const TFormatSettings& Settings) {
  TDateTime value;
  if (!ParseTime(S, value, Settings)) ConvertError(S, u"time");
  return value;
}
TDateTime StrToTime(const String& S) { return StrToTime(S, FormatSettings); }

TDateTime StrToTimeDef(const String& S, TDateTime Default, const TFormatSettings& Settings) {
  TDateTime value;
  return ParseTime(S, value, Settings) ? value : Default;
}
TDateTime StrToTimeDef(const String& S, TDateTime Default) {
  return StrToTimeDef(S, Default, FormatSettings);
}

bool TryStrToDateTime(const String& S, TDateTime& Value, const TFormatSettings& Settings) {
  return ParseDateTime(S, Value, Settings);
}
bool TryStrToDateTime(const String& S, TDateTime& Value) { return ParseDateTime(S, Value, FormatSettings); }

TDateTime StrToDateTime(const String& S, const TFormatSettings& Settings) {
  TDateTime value;
  if (!ParseDateTime(S, value, Settings)) ConvertError(S, u"date and time");
  return value;
}
TDateTime StrToDateTime(const String& S) { return StrToDateTime(S, FormatSettings); }

TDateTime StrToDateTimeDef(const String& S, TDateTime Default, const TFormatSettings& Settings) {
  TDateTime value;
  return ParseDateTime(S, value, Settings) ? value : Default;
}
TDateTime StrToDateTimeDef(const String& S, TDateTime Default) {
  return StrToDateTimeDef(S, Default, FormatSettings);
}
