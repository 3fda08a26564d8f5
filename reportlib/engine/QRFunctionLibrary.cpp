// The function library of report expressions and the built-in functions.
#include "reportlib/engine/QRFunctionLibrary.h"

#include <algorithm>
#include <cmath>

#include "platform/classes/StringList.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Strings.h"
#include "reportlib/engine/QREvElements.h"
#include "reportlib/engine/QRExprConsts.h"
#include "reportlib/engine/QRExtraFunctions.h"

namespace {
const Char* const kVendor = u"KIV.ERP";

void RegisterBuiltInFunctions(TQRFunctionLibrary& library) {
  struct TEntry {
    TQRLibraryItemClass cls;
    const Char* name;
    const Char* data;
    const Char* description;
  };
  const TEntry entries[] = {
      {TQREvIfFunction::StaticClass(), u"IF", u"5BVV",
       u"IF(<Exp>, <X>, <Y>)|Returns <X> or <Y> depending on the boolean expression <Exp>"},
      {TQREvStrFunction::StaticClass(), u"STR", u"7N", u"STR(<X>)|Convert a numeric <X> to a string"},
      {TQREvUpperFunction::StaticClass(), u"UPPER", u"7S",
       u"UPPER(<X>)|Converts a string to upper case letters"},
      {TQREvLowerFunction::StaticClass(), u"LOWER", u"7S",
       u"LOWER(<X>)|Converts a string to lower case letters"},
      {TQREvPrettyFunction::StaticClass(), u"PRETTY", u"7S",
       u"PRETTY(<X>)|Makes the first character upper case and the rest lower case"},
      {TQREvTimeFunction::StaticClass(), u"TIME", u"1", u"TIME|Return current time as a string"},
      {TQREvDateFunction::StaticClass(), u"DATE", u"1", u"DATE|Return current date as a string"},
      {TQREvCopyFunction::StaticClass(), u"COPY", u"7SNN",
       u"COPY(<X>, <St>,<Len>)|Returns a substring of string X"},
      {TQREvSumFunction::StaticClass(), u"SUM", u"3N", u"SUM(<X>)|Sums the numeric <X>"},
      {TQREvCountFunction::StaticClass(), u"COUNT", u"3", u"COUNT|Increments for each iteration"},
      {TQREvMaxFunction::StaticClass(), u"MAX", u"3V", u"MAX(<X>)|Returns the highest <X>"},
      {TQREvMinFunction::StaticClass(), u"MIN", u"3V", u"MIN(<X>)|Returns the lowest <X>"},
      {TQREvAverageFunction::StaticClass(), u"AVERAGE", u"3N",
       u"AVERAGE(<X>)|Returns the average of numeric <X>"},
      {TQREvTrue::StaticClass(), u"TRUE", u"5", u"TRUE|boolean value"},
      {TQREvFalse::StaticClass(), u"FALSE", u"5", u"FALSE|boolean value"},
      {TQREvIntFunction::StaticClass(), u"INT", u"2N", u"INT(<X>)|Returns the integer part of <X>"},
      {TQREvFracFunction::StaticClass(), u"FRAC", u"2N", u"FRAC(<X>)|Returns the fractional part of <X>"},
      {TQREvSQRTFunction::StaticClass(), u"SQRT", u"2N", u"SQRT(<X>)|Returns square root of <X>"},
      {TQREvDivFunction::StaticClass(), u"DIV", u"2NN", u"DIV(<X>, <Y>) | Integer division of <X> by <Y>"},
      {TQREvTypeOfFunction::StaticClass(), u"TYPEOF", u"6N", u"TYPEOF(<Exp>)|Returns the data type of <Exp>"},
      {TQREvFormatNumericFunction::StaticClass(), u"FORMATNUMERIC", u"7SN",
       u"FORMATNUMERIC(<F>,<N>)|Formats numeric <N> using the mask in <F>"},
  };
  for (const TEntry& e : entries) library.Add(e.cls, e.name, e.description, kVendor, e.data);
}

TQRFunctionLibrary* StartLibrary() {
  ArgSeparator = u',';
  // Lives until the process ends: evaluators held by static objects may still ask for it while
  // other statics are being destroyed.
  auto* library = new TQRFunctionLibrary();
  RegisterBuiltInFunctions(*library);
  RegisterExtraFunctions(*library);
  return library;
}
}  // namespace

// ---- The library ----

TQRLibrary::TQRLibrary() : Entries(std::make_unique<TStringList>(true)) {}

TQRLibrary::~TQRLibrary() = default;

void TQRLibrary::Add(TQRLibraryItemClass aItem, const String& AName, const String& ADescription,
                     const String& AVendor, const String& AData) {
  Entries->AddObject(AName, new TQRLibraryEntry(aItem, AName, ADescription, AVendor, AData));
}

TQRLibraryEntry* TQRLibrary::GetEntry(int Index) const {
  if (Index < 0 || Index >= Entries->GetCount()) return nullptr;
  return static_cast<TQRLibraryEntry*>(Entries->GetObject(Index));
}

int TQRLibrary::IndexOf(const String& name) const {
  for (int i = 0; i < Entries->GetCount(); ++i)
    if (SameText(Entries->Get(i), name)) return i;
  return -1;
}

std::unique_ptr<TQREvElement> TQRFunctionLibrary::GetFunction(const String& Name) const {
  const int index = IndexOf(Name);
  if (index < 0) return std::make_unique<TQREvElementError>(QRFormatMessage(SqrUnknownFunction, {Name}));
  return std::unique_ptr<TQREvElement>(GetEntry(index)->GetItem()->Create<TQREvElement>());
}

TQRFunctionLibrary* QRFunctionLibrary() {
  static TQRFunctionLibrary* const library = StartLibrary();
  return library;
}

void RegisterQRFunction(TQRLibraryItemClass ElementClass, const String& Name, const String& Description,
                        const String& Data, const String& Vendor) {
  QRFunctionLibrary()->Add(ElementClass, Name, Description, Vendor, Data);
}

// ---- Built-in functions ----

namespace {
void WrongArguments(const Char* name, TQREvResult& result) {
  SetErrorResult(QRFormatMessage(SqrWrongArguments, {name}), result);
}

void ToText(const TQREvResult& value, TQREvResult& result) {
  EvResultToText(value, result.StringVal);
  result.Kind = resString;
  result.IsDateTime = false;
}
}  // namespace

void TQREvIfFunction::Calculate(TQREvResult& result) {
  if (ArgCount() != 3 || GetArgument(0).Kind != resBool) return WrongArguments(u"IF", result);
  result = GetArgument(GetArgument(0).booResult ? 1 : 2);
}

void TQREvStrFunction::Calculate(TQREvResult& result) {
  if (ArgCount() != 1) return SetErrorResult(SqrConversionError, result);
  const TQREvResult& value = GetArgument(0);
  if (value.Kind == resString || value.Kind == resError) return SetErrorResult(SqrConversionError, result);
  ToText(value, result);
}

namespace {
// UPPER, LOWER and PRETTY: one text argument; another kind gives an error carrying that argument's
// text (its message, when it is an error); another count names the function.
template <class Convert>
void TextFunction(const TQREvElementFunction& f, const Char* name, Convert convert, TQREvResult& result) {
  if (f.ArgCount() != 1) return SetErrorResult(QRFormatMessage(SqrMissingArgument, {name}), result);
  const TQREvResult& value = f.GetArgument(0);
  if (value.Kind != resString) return SetErrorResult(value.StringVal, result);
  result.SetString(convert(value.StringVal));
}
}  // namespace

void TQREvUpperFunction::Calculate(TQREvResult& result) {
  TextFunction(
      *this, u"UPPER", [](const String& s) { return AnsiUpperCase(s); }, result);
}

void TQREvLowerFunction::Calculate(TQREvResult& result) {
  TextFunction(
      *this, u"LOWER", [](const String& s) { return AnsiLowerCase(s); }, result);
}

void TQREvPrettyFunction::Calculate(TQREvResult& result) {
  TextFunction(
      *this, u"PRETTY",
      [](const String& s) {
        if (s.empty()) return s;
        return AnsiUpperCase(s.substr(0, 1)) + AnsiLowerCase(s.substr(1));
      },
      result);
}

void TQREvTimeFunction::Calculate(TQREvResult& result) {
  if (ArgCount() != 0) return SetErrorResult(String(), result);
  result.SetString(TimeToStr(Time()));
}

void TQREvDateFunction::Calculate(TQREvResult& result) {
  if (ArgCount() != 0) return SetErrorResult(String(), result);
  result.SetString(DateToStr(Date()));
}

void TQREvCopyFunction::Calculate(TQREvResult& result) {
  if (ArgCount() != 3 || GetArgument(0).Kind != resString || GetArgument(1).Kind != resInt ||
      GetArgument(2).Kind != resInt)
    return SetErrorResult(String(), result);
  const String& text = GetArgument(0).StringVal;
  const Int64 length = static_cast<Int64>(text.size());
  Int64 start = std::max<Int64>(GetArgument(1).intResult, 1);
  Int64 count = GetArgument(2).intResult;
  if (start > length || count <= 0) return result.SetString(String());
  count = std::min(count, length - start + 1);
  // Never the second half of a surrogate pair first, nor the first half last.
  if (IsLowSurrogate(text[static_cast<size_t>(start - 1)])) {
    ++start;
    --count;
  }
  if (count > 0 && IsHighSurrogate(text[static_cast<size_t>(start + count - 2)])) --count;
  if (count <= 0) return result.SetString(String());
  result.SetString(text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count)));
}

// ---- Aggregates ----

bool TQREvSumFunction::AddArgument() {
  if (ArgCount() != 1) {
    SetErrorResult(String(), SumResult);
    ResAssigned = true;
    return false;
  }
  const TQREvResult& value = GetArgument(0);
  if (!ResAssigned) {
    ResAssigned = true;
    if (value.IsNumeric()) {
      SumResult = value;
      return true;
    }
    // An error keeps its message, so a misspelt field says what is wrong.
    SetErrorResult(value.Kind == resError ? value.StringVal : String(), SumResult);
    return false;
  }
  if (SumResult.Kind == resError) return false;
  switch (value.Kind) {
    case resInt:
      if (SumResult.Kind == resInt)
        QRAddInt(SumResult.intResult, value.intResult, SumResult);
      else
        SumResult.SetDouble(SumResult.dblResult + static_cast<double>(value.intResult));
      return true;
    case resDouble:
      // A float turns the total into a float instead of being cut to the integer kind.
      SumResult.SetDouble(static_cast<double>(SumResult.AsNumber()) + value.dblResult);
      return true;
    case resString:
      SetErrorResult(String(), SumResult);
      return false;
    default:
      return false;
  }
}

void TQREvSumFunction::Aggregate() { AddArgument(); }

void TQREvSumFunction::Calculate(TQREvResult& result) {
  if (ResAssigned)
    result = SumResult;
  else
    result.SetInt(0);
}

void TQREvAverageFunction::Reset() {
  TQREvSumFunction::Reset();
  aResult.SetDouble(0);
  Count = 0;
}

void TQREvAverageFunction::Aggregate() {
  // Only values that entered the sum are counted: a skipped boolean must not lower the average.
  if (AddArgument()) ++Count;
  if (SumResult.Kind == resError)
    SetErrorResult(SumResult.StringVal, aResult);
  else if (Count > 0)
    aResult.SetDouble(static_cast<double>(SumResult.AsNumber()) / static_cast<double>(Count));
}

void TQREvAverageFunction::Calculate(TQREvResult& result) { result = aResult; }

void TQREvCountFunction::Value(TQRFiFo* fifo, TQREvResult& result) {
  GetArguments(fifo);
  if (ArgCount() > 0) {
    SetErrorResult(String(SqrCountPrefix) + SqrTooManyArguments, result);
  } else {
    if (fifo->GetAggreg()) ++FCount;
    result.SetInt(FCount);
  }
  FreeArguments();
}

namespace {
// The kept value of MAX or MIN meets the next one; replaces says which order makes it the new one.
template <class Replaces>
void KeepExtreme(const TQREvElementFunction& f, TQREvResult& kept, bool& assigned, Replaces replaces) {
  if (f.ArgCount() != 1) {
    SetErrorResult(String(), kept);
    assigned = true;
    return;
  }
  const TQREvResult& value = f.GetArgument(0);
  if (!assigned) {
    kept = value;
    assigned = true;
    return;
  }
  if (kept.Kind == resError) return;
  int order;
  if (QRCompareValues(kept, value, order)) {
    if (replaces(order)) kept = value;
  } else if (kept.IsNumeric() && value.IsNumeric()) {
    // A NaN on either side: unordered, and the newer value is kept.
    kept = value;
  }
}
}  // namespace

void TQREvMaxFunction::Aggregate() {
  KeepExtreme(*this, MaxResult, ResAssigned, [](int order) { return order < 0; });
}

void TQREvMaxFunction::Calculate(TQREvResult& result) {
  if (ResAssigned)
    result = MaxResult;
  else
    result.SetInt(0);
}

void TQREvMinFunction::Aggregate() {
  KeepExtreme(*this, MinResult, ResAssigned, [](int order) { return order > 0; });
}

void TQREvMinFunction::Calculate(TQREvResult& result) {
  if (ResAssigned)
    result = MinResult;
  else
    result.SetInt(0);
}

// ---- Logical and numeric ----

void TQREvTrue::Calculate(TQREvResult& result) {
  if (ArgCount() != 0) return SetErrorResult(SqrTooManyArguments, result);
  result.SetBool(true);
}

void TQREvFalse::Calculate(TQREvResult& result) {
  if (ArgCount() != 0) return SetErrorResult(SqrTooManyArguments, result);
  result.SetBool(false);
}

namespace {
// A float as a 64-bit integer (truncated or rounded); false when it has none (NaN, out of range).
bool FloatToInt(double value, bool round, Int64& out) {
  if (!std::isfinite(value) || std::fabs(value) >= 9.2233720368547758e18) return false;
  out = round ? Round(value) : Trunc(value);
  return true;
}
}  // namespace

void TQREvIntFunction::Calculate(TQREvResult& result) {
  if (ArgCount() != 1) return WrongArguments(u"INT", result);
  const TQREvResult& value = GetArgument(0);
  Int64 integer;
  if (value.Kind == resInt)
    result.SetInt(value.intResult);
  else if (value.Kind == resDouble && FloatToInt(value.dblResult, false, integer))
    result.SetInt(integer);
  else
    WrongArguments(u"INT", result);
}

void TQREvFracFunction::Calculate(TQREvResult& result) {
  if (ArgCount() != 1) return SetErrorResult(String(), result);
  const TQREvResult& value = GetArgument(0);
  if (value.Kind == resInt)
    result.SetDouble(0);
  else if (value.Kind == resDouble)
    result.SetDouble(value.dblResult - std::trunc(value.dblResult));
  else
    SetErrorResult(String(), result);
}

void TQREvSQRTFunction::Calculate(TQREvResult& result) {
  if (ArgCount() != 1 || !GetArgument(0).IsNumeric() || GetArgument(0).AsNumber() < 0)
    return SetErrorResult(SqrInvalidSqrt, result);
  result.SetDouble(std::sqrt(static_cast<double>(GetArgument(0).AsNumber())));
}

void TQREvDivFunction::Calculate(TQREvResult& result) {
  Int64 operands[2];
  if (ArgCount() != 2) return WrongArguments(u"DIV", result);
  for (int i = 0; i < 2; ++i) {
    const TQREvResult& value = GetArgument(i);
    if (value.Kind == resInt)
      operands[i] = value.intResult;
    else if (value.Kind != resDouble || !FloatToInt(value.dblResult, true, operands[i]))
      return WrongArguments(u"DIV", result);
  }
  if (operands[1] == 0) return SetErrorResult(SqrDivByZero, result);
  // The one quotient that leaves 64 bits.
  if (operands[0] == INT64_MIN && operands[1] == -1) return result.SetDouble(-static_cast<double>(INT64_MIN));
  result.SetInt(operands[0] / operands[1]);
}

void TQREvTypeOfFunction::Calculate(TQREvResult& result) {
  if (ArgCount() != 1) return WrongArguments(u"TypeOf", result);
  static const Char* const names[] = {u"INTEGER", u"FLOAT", u"STRING", u"BOOLEAN", u"ERROR"};
  result.SetString(names[GetArgument(0).Kind]);
}

void TQREvFormatNumericFunction::Calculate(TQREvResult& result) {
  if (ArgCount() != 2 || GetArgument(0).Kind != resString || !GetArgument(1).IsNumeric())
    return SetErrorResult(String(), result);
  try {
    result.SetString(FormatFloat(GetArgument(0).StringVal, static_cast<Extended>(GetArgument(1).AsNumber())));
  } catch (const Exception&) {
    SetErrorResult(SqrInvalidFormat, result);
  }
}
