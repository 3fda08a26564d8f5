// The extra report expression functions and the component and property lookups they rest on.
#include "reportlib/engine/QRExtraFunctions.h"

#include <cmath>
#include <cstdlib>
#include <exception>

#include "platform/classes/IniFiles.h"
#include "platform/classes/Registry.h"
#include "platform/classes/TypInfo.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"
#include "reportlib/engine/QREvEnvironment.h"
#include "reportlib/engine/QRFunctionLibrary.h"

namespace {
const Char* const kVendor = u"KIV.ERP";

// Padding beyond this many characters is refused: a mistyped length must not exhaust the memory.
constexpr Int64 kMaxPadLength = 1 << 20;
// Day, month and year steps beyond these leave the calendar anyway; refusing them early keeps the
// arithmetic inside 64 bits.
constexpr Int64 kMaxDateStep = 10'000'000;
constexpr Int64 kMaxTimeStep = 1'000'000'000'000;

// Every extra function fails the same way: an error without a message, whatever went wrong inside.
template <class Compute>
void Guarded(TQREvResult& result, Compute compute) {
  SetErrorResult(String(), result);
  try {
    compute();
  } catch (const std::exception&) {
    SetErrorResult(String(), result);
  }
}

bool IsText(const TQREvElementFunction& f, int index) {
  return index < f.ArgCount() && f.GetArgument(index).Kind == resString;
}
bool IsInt(const TQREvElementFunction& f, int index) {
  return index < f.ArgCount() && f.GetArgument(index).Kind == resInt;
}
const String& Text(const TQREvElementFunction& f, int index) { return f.GetArgument(index).StringVal; }
Int64 Int(const TQREvElementFunction& f, int index) { return f.GetArgument(index).intResult; }

Int64 FloorDiv(Int64 a, Int64 b) {
  Int64 q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}
Int64 FloorMod(Int64 a, Int64 b) { return a - FloorDiv(a, b) * b; }

// A date text as the locale writes it, with or without a time.
TDateTime ReadDate(const String& text) { return StrToDateTime(text); }

TDataSet* DataSetWithField(const String& dataSetName, const String& fieldName, TField*& field) {
  TComponent* found = FindComponentOnForms(dataSetName, false, [&](TComponent* c) {
    auto* dataSet = dynamic_cast<TDataSet*>(c);
    return dataSet && dataSet->FindField(fieldName);
  });
  auto* dataSet = static_cast<TDataSet*>(found);
  field = dataSet ? dataSet->FindField(fieldName) : nullptr;
  return dataSet;
}

String Pad(const String& text, Int64 length, bool left) {
  if (length > kMaxPadLength) throw EArgumentOutOfRangeException(u"PAD length");
  if (length <= static_cast<Int64>(text.size())) return text;
  const String blanks(static_cast<size_t>(length) - text.size(), u' ');
  return left ? blanks + text : text + blanks;
}
}  // namespace

// ---- Registration ----

void RegisterExtraFunctions(TQRFunctionLibrary& library) {
  struct TEntry {
    TQRLibraryItemClass cls;
    const Char* name;
    const Char* data;
    const Char* description;
  };
  const TEntry entries[] = {
      {TQREvPageCountFunction::StaticClass(), u"PAGECOUNT", u"7",
       u"PAGECOUNT|Returns the total number of pages"},
      {TQREvDetailCountFunction::StaticClass(), u"DETAILCOUNT", u"4",
       u"DETAILCOUNT|Returns the number of detail records"},
      {TQREvDetailNoFunction::StaticClass(), u"DETAILNO", u"4",
       u"DETAILNO|Returns the current record number"},
      {TQREvColumnNoFunction::StaticClass(), u"COLUMNNO", u"4",
       u"COLUMNNO|Returns the current column number"},
      {TQREvCurrencyFunction::StaticClass(), u"CURRENCY", u"7",
       u"CURRENCY|Returns Windows'' default currency "},
      {TQREvQueryParamFunction::StaticClass(), u"QUERYPARAM", u"7SS",
       u"QUERYPARAM(<Q>,<P>)|Gets parameter value from a query"},
      {TQREvStrToIntFunction::StaticClass(), u"STRTOINT", u"7S", u"STRTOINT(<X>)|Converts String to Integer"},
      {TQREvStrToNumFunction::StaticClass(), u"STRTONUM", u"7S", u"STRTONUM(<X>)|Converts String to number"},
      {TQREvGetCaptionFunction::StaticClass(), u"GETCAPTION", u"7S",
       u"GETCAPTION(<S>)|Returns a component''s caption"},
      {TQREvRecordCountFunction::StaticClass(), u"RECORDCOUNT", u"7S",
       u"RECORDCOUNT(<DS>)|Returns a dataset's record count"},
      {TQREvReadINIFunction::StaticClass(), u"READINI", u"7SSS",
       u"READINI(<S1>,<S2>,<S3>)|Reads entry S3 in section S2 from INI file S1"},
      {TQREvReadRegistryFunction::StaticClass(), u"READREGISTRY", u"7SSS",
       u"READREGISTRY(S1,S2,S3)|Reads entry S3 in section S2 from registry key S1"},
      {TQREvReformatDateFunction::StaticClass(), u"REFORMATDATE", u"7SS",
       u"REFORMATDATE(<D>,<F>)|Formats a date (and time)"},
      {TQREvCalcDateFunction::StaticClass(), u"CALCDATE", u"1SNNN",
       u"CALCDATE( DT, D, M, Y )|Adds D days, M months and Y years to a given date DT"},
      {TQREvExtractDayFunction::StaticClass(), u"EXTRACTDAY", u"1S",
       u"EXTRACTDAY(<DATE>)|Gets only the day from a given date."},
      {TQREvExtractMonthFunction::StaticClass(), u"EXTRACTMONTH", u"1S",
       u"EXTRACTMONTH(<DATE>)|Gets only the month from a given date."},
      {TQREvExtractYearFunction::StaticClass(), u"EXTRACTYEAR", u"1S",
       u"EXTRACTYEAR(<DATE>)|Gets only the year from a given date."},
      {TQREvDayOfWeekFunction::StaticClass(), u"DAYOFWEEK", u"1S",
       u"DAYOFWEEK(<DATE>)|Returns the day of the week (1..7) for a given date."},
      {TQREvDayStringFunction::StaticClass(), u"DAYSTRING", u"1N",
       u"DAYSTRING(<D>)|Returns the day name for the given day (1=Sunday,2=...)."},
      {TQREvMonthStringFunction::StaticClass(), u"MONTHSTRING", u"1N",
       u"MONTHSTRING(<M>)|Returns the month name for the given month (1..12)."},
      {TQREvCalcTimeFunction::StaticClass(), u"CALCTIME", u"1SNNN",
       u"CALCTIME( T, H, M, S )|Adds H hours, M minutes and S seconds to a given time T"},
      {TQREvTrimFunction::StaticClass(), u"TRIM", u"7S",
       u"TRIM(<S>)|Removes leading and trailing blanks from a string"},
      {TQREvChrFunction::StaticClass(), u"CHR", u"7N",
       u"CHR(<I>)|Converts the ordinal ASCII value to a character"},
      {TQREvIsNullFunction::StaticClass(), u"ISNULL", u"4SS",
       u"ISNULL(TABLE,FIELD)|Checks if a table's field contains no data."},
      {TQREvAbsFunction::StaticClass(), u"ABS", u"2N", u"ABS(<I>)|Returns the absolute value of I."},
      {TQREvFieldLenFunction::StaticClass(), u"FIELDLEN", u"4SS",
       u"FIELDLEN(TABLE,FIELD)|Returns the data field size in characters."},
      {TQREvPadLeftFunction::StaticClass(), u"PADLEFT", u"7SN",
       u"PADLEFT(<S>,<Len>)|Fills up the string S to Len characters."},
      {TQREvPadRightFunction::StaticClass(), u"PADRIGHT", u"7SN",
       u"PADRIGHT(<S>,<Len>)|Fills up the string S to Len characters"},
  };
  for (const TEntry& e : entries)
    if (library.IndexOf(e.name) < 0) library.Add(e.cls, e.name, e.description, kVendor, e.data);
}

void RegisterQRFunctionOnce(TQRLibraryItemClass ElementClass, const String& Name, const String& Description,
                            const String& Data, const String& Vendor) {
  if (QRFunctionLibrary()->IndexOf(Name) < 0)
    RegisterQRFunction(ElementClass, Name, Description, Data, Vendor);
}

// ---- Components and properties ----

TComponent* FindComponentOnForms(const String& Name, bool dataModules,
                                 const std::function<bool(TComponent*)>& accepts) {
  if (!GetQRExprHost()) return nullptr;
  for (TComponent* owner : GetQRExprHost()->GetComponentOwners(dataModules)) {
    TComponent* found = owner->FindComponent(Name);
    if (found && accepts(found)) return found;
  }
  return nullptr;
}

TComponent* FindReportComponent(const String& Name, TClass ComponentClass, const String& FieldName) {
  return FindComponentOnForms(Name, true, [&](TComponent* c) {
    if (!ComponentClass || !c->InheritsFrom(ComponentClass)) return false;
    if (FieldName.empty()) return true;
    auto* dataSet = dynamic_cast<TDataSet*>(c);
    return dataSet && dataSet->FindField(FieldName);
  });
}

IQRExprReport* FirstReportOnForms() {
  if (!GetQRExprHost()) return nullptr;
  for (TComponent* form : GetQRExprHost()->GetComponentOwners(false)) {
    for (int j = 0; j < form->GetComponentCount(); ++j)
      if (auto* report = dynamic_cast<IQRExprReport*>(form->GetComponent(j))) return report;
  }
  return nullptr;
}

bool GetBoolProperty(const TObject* Control, const String& PropName) {
  const TPropInfo* info = Control ? GetPropInfo(Control, PropName) : nullptr;
  return info && info->GetOrd && info->GetOrd(Control) == 1;
}

String GetStringProperty(const TObject* Component, const String& PropName) {
  const TPropInfo* info = Component ? GetPropInfo(Component, PropName) : nullptr;
  return info && info->GetStr ? info->GetStr(Component) : String();
}

// ---- Report counters ----

void TQREvPageCountFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() != 0) return;
    TComponent* found = FindComponentOnForms(
        u"VaruzUvuzed", true, [](TComponent* c) { return dynamic_cast<IQRExprLabelSheet*>(c) != nullptr; });
    if (found) result.SetInt(dynamic_cast<IQRExprLabelSheet*>(found)->GetTotalPageCount());
  });
}

void TQREvDetailCountFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (IQRExprReport* report = FirstReportOnForms()) result.SetInt(report->GetRecordCount());
  });
}

void TQREvDetailNoFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (IQRExprReport* report = FirstReportOnForms()) result.SetInt(report->GetRecordNumber());
  });
}

void TQREvColumnNoFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (IQRExprReport* report = FirstReportOnForms()) result.SetInt(report->GetCurrentColumn());
  });
}

// ---- Components and datasets on the forms ----

void TQREvGetCaptionFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() != 1 || !IsText(*this, 0)) return;
    TComponent* found = FindComponentOnForms(Text(*this, 0), false, [](TComponent* c) {
      return dynamic_cast<IQRExprCaption*>(c) || HasPublishedProperty(c, u"Caption");
    });
    if (!found) return;
    if (auto* expr = dynamic_cast<IQRExprCaption*>(found))
      result.SetString(expr->GetCurrentCaption());
    else
      result.SetString(GetStringProperty(found, u"Caption"));
  });
}

void TQREvRecordCountFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() != 1 || !IsText(*this, 0)) return;
    TComponent* found = FindComponentOnForms(
        Text(*this, 0), false, [](TComponent* c) { return dynamic_cast<TDataSet*>(c) != nullptr; });
    if (found) result.SetInt(static_cast<TDataSet*>(found)->RecordCount());
  });
}

void TQREvIsNullFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() != 2 || !IsText(*this, 0) || !IsText(*this, 1)) return;
    TField* field;
    if (DataSetWithField(Text(*this, 0), Text(*this, 1), field)) result.SetBool(field->IsNull());
  });
}

void TQREvFieldLenFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() != 2 || !IsText(*this, 0) || !IsText(*this, 1)) return;
    TField* field;
    if (DataSetWithField(Text(*this, 0), Text(*this, 1), field)) result.SetInt(field->GetSize());
  });
}

void TQREvQueryParamFunction::Calculate(TQREvResult& result) { SetErrorResult(String(), result); }

// ---- Conversions, settings and files ----

void TQREvCurrencyFunction::Calculate(TQREvResult& result) {
  result.SetString(FormatSettings.CurrencyString);
}

void TQREvStrToIntFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() == 1 && IsText(*this, 0)) result.SetInt(StrToInt64(Text(*this, 0)));
  });
}

void TQREvStrToNumFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() == 1 && IsText(*this, 0))
      result.SetDouble(static_cast<double>(StrToFloat(Text(*this, 0))));
  });
}

void TQREvReadINIFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() != 3 || !IsText(*this, 0) || !IsText(*this, 1) || !IsText(*this, 2)) return;
    TIniFile ini(ExpandFileName(Text(*this, 0)));
    result.SetString(ini.ReadString(Text(*this, 1), Text(*this, 2), String()));
  });
}

void TQREvReadRegistryFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() != 3 || !IsText(*this, 0) || !IsText(*this, 1) || !IsText(*this, 2)) return;
    TRegIniFile registry(Text(*this, 0), KEY_READ);
    result.SetString(registry.ReadString(Text(*this, 1), Text(*this, 2), String()));
  });
}

// ---- Dates and times ----

void TQREvReformatDateFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() != 2 || !IsText(*this, 0) || !IsText(*this, 1)) return;
    result.SetString(FormatDateTime(Text(*this, 1), ReadDate(Text(*this, 0))));
  });
}

// The whole calendar of the date type (years 1 to 9999), not a 16-bit day count from 1900 that wraps
// round outside 1900 to 2079.
void TQREvCalcDateFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() != 4 || !IsText(*this, 0) || !IsInt(*this, 1) || !IsInt(*this, 2) || !IsInt(*this, 3))
      return;
    const Int64 days = Int(*this, 1), months = Int(*this, 2), years = Int(*this, 3);
    if (std::llabs(days) > kMaxDateStep || std::llabs(months) > kMaxDateStep ||
        std::llabs(years) > kMaxDateStep)
      return;
    Word year, month, day;
    DecodeDate(ReadDate(Text(*this, 0)), year, month, day);
    const Int64 monthSum = month + months;
    const Int64 newYear = year + years + FloorDiv(monthSum - 1, 12);
    const Int64 newMonth = FloorMod(monthSum - 1, 12) + 1;
    if (newYear < 1 || newYear > 9999) return;
    // A day beyond the new month's length runs on into the next month.
    const TDateTime shifted =
        EncodeDate(static_cast<Word>(newYear), static_cast<Word>(newMonth), 1) + (day - 1);
    const TDateTime target = shifted + static_cast<double>(days);
    if (target < EncodeDate(1, 1, 1) || target >= EncodeDate(9999, 12, 31) + 1) return;
    result.SetString(DateToStr(target));
  });
}

void TQREvExtractDayFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() == 1 && IsText(*this, 0)) result.SetInt(DayOf(ReadDate(Text(*this, 0))));
  });
}

void TQREvExtractMonthFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() == 1 && IsText(*this, 0)) result.SetInt(MonthOf(ReadDate(Text(*this, 0))));
  });
}

void TQREvExtractYearFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() == 1 && IsText(*this, 0)) result.SetInt(YearOf(ReadDate(Text(*this, 0))));
  });
}

void TQREvDayOfWeekFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() == 1 && IsText(*this, 0)) result.SetInt(DayOfWeek(ReadDate(Text(*this, 0))));
  });
}

void TQREvDayStringFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() != 1 || !IsInt(*this, 0)) return;
    const Int64 n = Int(*this, 0);
    if (n >= 1 && n <= 7) result.SetString(FormatSettings.LongDayNames[static_cast<size_t>(n - 1)]);
  });
}

void TQREvMonthStringFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() != 1 || !IsInt(*this, 0)) return;
    const Int64 n = Int(*this, 0);
    if (n >= 1 && n <= 12) result.SetString(FormatSettings.LongMonthNames[static_cast<size_t>(n - 1)]);
  });
}

// Carries by division instead of stepping one unit at a time, so a large count does not hang.
void TQREvCalcTimeFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() != 4 || !IsText(*this, 0) || !IsInt(*this, 1) || !IsInt(*this, 2) || !IsInt(*this, 3))
      return;
    const Int64 addHours = Int(*this, 1), addMinutes = Int(*this, 2), addSeconds = Int(*this, 3);
    if (std::llabs(addHours) > kMaxTimeStep || std::llabs(addMinutes) > kMaxTimeStep ||
        std::llabs(addSeconds) > kMaxTimeStep)
      return;
    TDateTime time;
    if (!TryStrToTime(Text(*this, 0), time)) time = StrToDateTime(Text(*this, 0));
    Word hour, minute, second, msec;
    DecodeTime(time, hour, minute, second, msec);
    Int64 seconds = second + addSeconds;
    Int64 minutes = minute + addMinutes + FloorDiv(seconds, 60);
    seconds = FloorMod(seconds, 60);
    Int64 hours = hour + addHours + FloorDiv(minutes, 60);
    minutes = FloorMod(minutes, 60);
    hours = FloorMod(hours, 24);
    result.SetString(TimeToStr(
        EncodeTime(static_cast<Word>(hours), static_cast<Word>(minutes), static_cast<Word>(seconds), msec)));
  });
}

// ---- Texts and numbers ----

void TQREvTrimFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() != 1 || !IsText(*this, 0)) return;
    const String& text = Text(*this, 0);
    size_t last = text.size();
    while (last > 0 && text[last - 1] == u' ') --last;
    size_t first = 0;
    while (first < last && text[first] == u' ') ++first;
    result.SetString(text.substr(first, last - first));
  });
}

void TQREvChrFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() == 1 && IsInt(*this, 0))
      result.SetString(String(1, static_cast<Char>(static_cast<UInt64>(Int(*this, 0)) & 0xFFFF)));
  });
}

void TQREvAbsFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() != 1) return;
    const TQREvResult& value = GetArgument(0);
    if (value.Kind == resInt) {
      if (value.intResult == INT64_MIN)
        result.SetDouble(-static_cast<double>(INT64_MIN));
      else
        result.SetInt(value.intResult < 0 ? -value.intResult : value.intResult);
    } else if (value.Kind == resDouble) {
      result.SetDouble(std::fabs(value.dblResult));
    }
  });
}

void TQREvPadLeftFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() == 2 && IsText(*this, 0) && IsInt(*this, 1))
      result.SetString(Pad(Text(*this, 0), Int(*this, 1), true));
  });
}

void TQREvPadRightFunction::Calculate(TQREvResult& result) {
  Guarded(result, [&] {
    if (ArgCount() == 2 && IsText(*this, 0) && IsInt(*this, 1))
      result.SetString(Pad(Text(*this, 0), Int(*this, 1), false));
  });
}
