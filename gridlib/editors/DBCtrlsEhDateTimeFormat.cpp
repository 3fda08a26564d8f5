// Date-time edit formats (DD/MM/YYYY, HH:NN:SS ...): the mask and display format made from them, the
// elements read out of the edited text, completed, checked and merged into a value, and stepping.
#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"

namespace {

Char Upper(Char c) { return (c >= u'a' && c <= u'z') ? static_cast<Char>(c - 32) : c; }

bool IsElementLetter(Char u) {
  return u == u'Y' || u == u'M' || u == u'D' || u == u'H' || u == u'N' || u == u'S';
}

TElementMaskPosEh& ElementOf(TDateTimeElementsMaskPosEh& pos, Char u) {
  switch (u) {
    case u'Y':
      return pos.Year;
    case u'M':
      return pos.Month;
    case u'D':
      return pos.Day;
    case u'H':
      return pos.Hour;
    case u'N':
      return pos.Min;
    default:
      return pos.Sec;
  }
}

const TElementMaskPosEh* ElementsInOrder(const TDateTimeElementsMaskPosEh& pos, int i) {
  const TElementMaskPosEh* all[] = {&pos.Year, &pos.Month, &pos.Day, &pos.Hour, &pos.Min, &pos.Sec};
  return all[i];
}

bool IsSeparator(Char c) {
  return c == u'/' || c == u':' || c == FormatSettings.DateSeparator || c == FormatSettings.TimeSeparator;
}

String Quoted(Char letter) { return String(u"\"") + letter + u"\""; }

}  // namespace

void EditFormatToEditMaskEh(const String& editFormat, TDateTimeElementsMaskPosEh& maskPos, String& editMask) {
  maskPos = TDateTimeElementsMaskPosEh();
  String body;
  Integer textPos = 1;
  Char runLetter = 0;
  Integer runLength = 0;
  bool escape = false;
  auto closeRun = [&] {
    if (!runLetter) return;
    const bool lengthOk = runLength == 2 || (runLetter == u'Y' && runLength == 4);
    if (!lengthOk) throw Exception(u"Invalid datetime format element length: " + Quoted(runLetter));
    TElementMaskPosEh& element = ElementOf(maskPos, runLetter);
    if (element.Present) throw Exception(u"Duplicating datetime format element: " + Quoted(runLetter));
    element.Pos = textPos - runLength;
    element.Length = runLength;
    element.Present = true;
    body.append(static_cast<size_t>(runLength), u'9');
    runLetter = 0;
    runLength = 0;
  };
  for (size_t i = 0; i < editFormat.size(); ++i) {
    const Char c = editFormat[i];
    const Char u = Upper(c);
    if (IsElementLetter(u) && !escape) {
      if (u == runLetter) {
        ++runLength;
      } else {
        closeRun();
        runLetter = u;
        runLength = 1;
      }
      if (runLength > (u == u'Y' ? 4 : 2))
        throw Exception(u"Element in EditFormat: \"" + editFormat + u"\" is too long. Pos: " +
                        IntToStr(static_cast<Integer>(i) + 1));
    } else {
      closeRun();
      if (u == u'\\' && !escape) {
        escape = true;
        continue;
      }
      if (String(u"!#09;<>ACLacl").find(c) != String::npos) body += u'\\';
      body += c;
      escape = false;
    }
    ++textPos;
  }
  closeRun();
  editMask = u"!" + body + u";1; ";
}

String EditFormatToDateTimeFormatEh(const String& editFormat) {
  String result;
  bool quoted = false, escape = false;
  for (const Char c : editFormat) {
    const Char u = Upper(c);
    if (!escape && u == u'\\') {
      escape = true;
      continue;
    }
    const bool plain = !escape && (IsElementLetter(u) || c == u'/' || c == u':');
    escape = false;
    if (plain) {
      if (quoted) result += u'\'';
      quoted = false;
      result += IsElementLetter(u) ? u : c;
      continue;
    }
    if (!quoted) result += u'\'';
    quoted = true;
    result += c;
    if (c == u'\'') result += u'\'';
  }
  if (quoted) result += u'\'';
  return result;
}

String EditFormatToElementTemplateEh(const String& editFormat) {
  String result;
  bool escape = false;
  for (const Char c : editFormat) {
    const Char u = Upper(c);
    if (!escape && u == u'\\') {
      escape = true;
      continue;
    }
    if (!escape && IsElementLetter(u))
      result += u;
    else if (!escape && (c == u'/' || c == u':'))
      result += c;
    else
      result += u' ';
    escape = false;
  }
  return result;
}

Integer ElementTextToIntEh(const String& text) {
  Integer value = 0, digits = 0;
  for (const Char c : text) {
    if (c == u' ') continue;
    if (c < u'0' || c > u'9') return -1;
    if (++digits > 9) return -1;
    value = value * 10 + (c - u'0');
  }
  return digits == 0 ? -1 : value;
}

bool TextToDateTimeElementsEh(const String& text, const TDateTimeElementsMaskPosEh& maskPos,
                              TDateTimeElementsEh& elements) {
  bool ok = true;
  for (int i = 0; i < 6; ++i) {
    const TElementMaskPosEh* e = ElementsInOrder(maskPos, i);
    elements[static_cast<size_t>(i)] = -1;
    if (!e->Present) continue;
    const size_t start = static_cast<size_t>(e->Pos - 1);
    const String part = start < text.size() ? text.substr(start, static_cast<size_t>(e->Length)) : String();
    Integer v = ElementTextToIntEh(part);
    if (i == 0 && v >= 0) v = ExpandTwoDigitYearEh(v);
    elements[static_cast<size_t>(i)] = v;
    if (v == -1) ok = false;
  }
  return ok;
}

Integer ExpandTwoDigitYearEh(Integer year) {
  if (year >= 100) return year;
  Word y, m, d;
  DecodeDate(Date(), y, m, d);
  const Integer bound = y - 60;
  Integer result = year + (bound / 100) * 100;
  if (result < bound) result += 100;
  return result;
}

Integer DaysInMonthEh(Integer year, Integer month) {
  static const Integer days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 31;
  if (month == 2 && year >= 1 && year <= 9999 && IsLeapYear(static_cast<Word>(year))) return 29;
  return days[month - 1];
}

void CompleteDateElementsEh(Integer& year, Integer& month, Integer& day) {
  Word y, m, d;
  DecodeDate(Date(), y, m, d);
  if (year < 1) year = y;
  if (month < 1) month = m;
  if (day < 1) day = d;
  month = std::min<Integer>(month, 12);
  year = std::min<Integer>(ExpandTwoDigitYearEh(year), 9999);
  day = std::min(day, DaysInMonthEh(year, month));
}

void ClampTimeElementsEh(Integer& hour, Integer& min, Integer& sec) {
  hour = std::clamp<Integer>(hour, 0, 23);
  min = std::clamp<Integer>(min, 0, 59);
  sec = std::clamp<Integer>(sec, 0, 59);
}

bool TryEncodeDateTimeElementsEh(const TDateTimeElementsEh& e, TDateTime& dateTime) {
  TDateTime date = 0;
  if (!(e[0] < 0 && e[1] < 0 && e[2] < 0)) {
    if (e[0] <= 0 || e[1] <= 0 || e[2] <= 0 || e[0] > 9999 || e[1] > 12) return false;
    if (!TryEncodeDate(static_cast<Word>(e[0]), static_cast<Word>(e[1]), static_cast<Word>(e[2]), date))
      return false;
  }
  if (e[3] < 0 || e[4] < 0 || e[5] < 0 || e[3] > 23 || e[4] > 59 || e[5] > 59) return false;
  TDateTime time = 0;
  if (!TryEncodeTime(static_cast<Word>(e[3]), static_cast<Word>(e[4]), static_cast<Word>(e[5]), 0, time))
    return false;
  dateTime = date >= 0 ? date + time : date - time;
  return true;
}

void VariantToDateTimeElementsEh(const Variant& value, TDateTimeElementsEh& elements) {
  elements.fill(-1);
  if (value.IsNull() || value.IsEmpty()) return;
  Word y, m, d, h, n, s, ms;
  DecodeDateTime(VarToDateTime(value), y, m, d, h, n, s, ms);
  elements = {y, m, d, h, n, s};
}

bool DateTimeElementsToVariantEh(TDateTimeElementsEh e, const TDateTimeElementsMaskPosEh& maskPos,
                                 Variant& value, bool complete) {
  if (std::all_of(e.begin(), e.end(), [](Integer v) { return v == -1; })) {
    value = Variant::Null();
    return true;
  }
  if (complete) {
    CompleteDateElementsEh(e[0], e[1], e[2]);
    ClampTimeElementsEh(e[3], e[4], e[5]);
  } else {
    for (int i = 0; i < 6; ++i) {
      if (ElementsInOrder(maskPos, i)->Present) continue;
      Integer& v = e[static_cast<size_t>(i)];
      if (i < 3 && v <= 0) v = 1;
      if (i >= 3 && v < 0) v = 0;
    }
  }
  TDateTime checked = 0;
  if (!TryEncodeDateTimeElementsEh(e, checked)) {
    value = Variant::Null();
    return false;
  }
  Word y = 1900, m = 1, d = 1, h = 0, n = 0, s = 0, ms = 0;
  if (!value.IsNull() && !value.IsEmpty()) DecodeDateTime(VarToDateTime(value), y, m, d, h, n, s, ms);
  Integer parts[6] = {y, m, d, h, n, s};
  for (int i = 0; i < 6; ++i) {
    if (!ElementsInOrder(maskPos, i)->Present) continue;
    const Integer v = e[static_cast<size_t>(i)];
    if ((i < 3 && v > 0) || (i >= 3 && v >= 0)) parts[i] = v;
  }
  // A part kept from the old value may not fit the new month (31 March to February): the last day.
  parts[2] = std::min(parts[2], DaysInMonthEh(parts[0], parts[1]));
  TDateTime result = 0;
  if (!TryEncodeDateTime(static_cast<Word>(parts[0]), static_cast<Word>(parts[1]),
                         static_cast<Word>(parts[2]), static_cast<Word>(parts[3]),
                         static_cast<Word>(parts[4]), static_cast<Word>(parts[5]), ms, result)) {
    value = Variant::Null();
    return false;
  }
  value = Variant::FromDate(result);
  return true;
}

void StepDateTimeElementTextEh(const String& text, const String& tmpl, bool increase, String& resultText,
                               Integer& len, Integer& pos) {
  resultText = text;
  if (tmpl.empty()) return;
  pos = std::clamp<Integer>(pos, 1, static_cast<Integer>(tmpl.size()));
  if (IsSeparator(tmpl[static_cast<size_t>(pos - 1)])) {
    if (pos + 1 > static_cast<Integer>(tmpl.size())) return;
    ++pos;
  }
  const Char letter = tmpl[static_cast<size_t>(pos - 1)];
  if (!IsElementLetter(letter)) return;
  const size_t start = tmpl.find(letter);
  size_t length = 0;
  while (start + length < tmpl.size() && tmpl[start + length] == letter) ++length;
  const String part = start < text.size() ? text.substr(start, length) : String();
  Integer v = ElementTextToIntEh(part);
  if (v < 0) v = 0;
  Integer low = 0, high = 59;
  switch (letter) {
    case u'D':
      low = 1, high = 31;
      break;
    case u'M':
      low = 1, high = 12;
      break;
    case u'Y':
      low = 1, high = 9999;
      break;
    case u'H':
      low = 0, high = 23;
      break;
    default:
      break;
  }
  if (increase)
    v = v >= high ? low : std::max(v + 1, low);
  else
    v = (v <= low || v > high) ? high : v - 1;
  String digits = IntToStr(v);
  while (digits.size() < length) digits = u"0" + digits;
  if (digits.size() > length) digits = digits.substr(digits.size() - length);
  String padded = text;
  if (padded.size() < start + length) padded.resize(start + length, u' ');
  resultText = padded.substr(0, start) + digits + padded.substr(start + length);
  pos = static_cast<Integer>(start) + 1;
  len = static_cast<Integer>(length);
}

void GetDateElementSpanAtEh(Integer& pos, Integer& len, bool fourDigitYear) {
  const String f = DefaultDateEditFormatEh(fourDigitYear);
  pos = std::clamp<Integer>(pos, 1, static_cast<Integer>(f.size()));
  if (IsSeparator(f[static_cast<size_t>(pos - 1)]) && pos < static_cast<Integer>(f.size())) ++pos;
  const Char letter = f[static_cast<size_t>(pos - 1)];
  if (!IsElementLetter(letter)) return;
  const size_t start = f.find(letter);
  size_t length = 0;
  while (start + length < f.size() && f[start + length] == letter) ++length;
  pos = static_cast<Integer>(start) + 1;
  len = static_cast<Integer>(length);
}

String DefaultDateEditFormatEh(bool fourDigitYear) {
  Char order = u'D';
  for (const Char c : FormatSettings.ShortDateFormat) {
    const Char u = Upper(c);
    if (u == u'D' || u == u'M' || u == u'Y') {
      order = u;
      break;
    }
  }
  if (order == u'M') return fourDigitYear ? u"MM/DD/YYYY" : u"MM/DD/YY";
  if (order == u'Y') return fourDigitYear ? u"YYYY/MM/DD" : u"YY/MM/DD";
  return fourDigitYear ? u"DD/MM/YYYY" : u"DD/MM/YY";
}

String DefaultTimeEditFormatEh() { return u"HH:NN:SS"; }
