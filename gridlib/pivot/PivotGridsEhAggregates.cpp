// Pivot grid: the aggregate calculators of the summary functions and the shared routines of key values,
// function names and date slicing.
#include <charconv>
#include <cmath>

#include "gridlib/base/GridLibLangConsts.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/pivot/PivotGridsEh.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

// ---- Shared routines ----

TVariantRelationship PivotNullAwareCompareEh(const Variant& a, const Variant& b) {
  const bool nullA = VarIsNull(a), nullB = VarIsNull(b);
  if (nullA || nullB) return nullA && nullB ? vrEqual : (nullA ? vrLessThan : vrGreaterThan);
  if (VarIsArray(a) && VarIsArray(b)) {
    const int high = std::min(VarArrayHighBound(a, 1), VarArrayHighBound(b, 1));
    for (int i = 0; i <= high; ++i) {
      TVariantRelationship r = PivotNullAwareCompareEh(a.GetElement(i), b.GetElement(i));
      if (r != vrEqual) return r;
    }
    return vrEqual;
  }
  return VarCompareValuesEh(a, b);
}

Integer PivotKeyPrefixLengthEh(const std::vector<Variant>& a, const std::vector<Variant>& b, Integer count) {
  const Integer n = std::min({static_cast<Integer>(a.size()), static_cast<Integer>(b.size()), count});
  Integer i = 0;
  while (i < n && VarSameValue(a[static_cast<size_t>(i)], b[static_cast<size_t>(i)])) ++i;
  return i;
}

bool PivotKeysEqualEh(const std::vector<Variant>& a, const std::vector<Variant>& b) {
  return a.size() == b.size() &&
         PivotKeyPrefixLengthEh(a, b, static_cast<Integer>(a.size())) == static_cast<Integer>(a.size());
}

Integer PivotKeyValueCompareEh(const Variant& a, const Variant& b) {
  const bool emptyA = VarIsEmpty(a), emptyB = VarIsEmpty(b);
  if (emptyA || emptyB) return emptyA && emptyB ? 0 : (emptyA ? 2 : 1);
  const bool nullA = VarIsNull(a), nullB = VarIsNull(b);
  // Null stands before every value, on either side, so that both directions agree.
  if (nullA || nullB) return nullA && nullB ? 0 : (nullA ? 1 : 2);
  switch (VarCompareValue(a, b)) {
    case vrEqual:
      return 0;
    case vrLessThan:
      return 1;
    case vrGreaterThan:
      return 2;
    default:
      return 3;
  }
}

Integer PivotKeyArrayCompareEh(const std::vector<Variant>& a, const std::vector<Variant>& b) {
  if (a.size() != b.size()) return 3;
  for (size_t i = 0; i < a.size(); ++i)
    if (Integer c = PivotKeyValueCompareEh(a[i], b[i])) return c;
  return 0;
}

String PivotKeyValueTextEh(const Variant& value) {
  if (VarIsEmptyOrNull(value)) return String();
  const TVarType type = VarType(value);
  if (type == varDouble || type == varSingle) {
    char buffer[64];
    const double d = value.AsDouble();
    auto result = std::to_chars(buffer, buffer + sizeof buffer, d);
    std::string text(buffer, result.ptr);
    for (char& c : text)
      if (c == '.') c = static_cast<char>(FormatSettings.DecimalSeparator);
    return Utf8ToString(text);
  }
  if (type == varDate) {
    Word h, n, s, ms;
    DecodeTime(value.AsDateTime(), h, n, s, ms);
    if (ms != 0) return FormatDateTime(u"dd.mm.yyyy hh:nn:ss.zzz", value.AsDateTime());
  }
  return VarToStr(value);
}

String PivotFunctionDisplayNameEh(TPivotValueTypeEh function) {
  TGridLibLanguageConsts* texts = GetGridLibLanguageConsts();
  switch (function) {
    case svtSumEh:
      return texts->GetPivotSumFunctionSum();
    case svtCountEh:
      return texts->GetPivotSumFunctionCount();
    case svtAvgEh:
      return texts->GetPivotSumFunctiontAvg();
    case svtMaxEh:
      return texts->GetPivotSumFunctionMax();
    case svtMinEh:
      return texts->GetPivotSumFunctionMin();
    case svtCountDistinctEh:
      return texts->GetPivotSumFunctionCountDistinct();
    case svtProductEh:
      return texts->GetPivotSumFunctionProduct();
    case svtStDevEh:
      return texts->GetPivotSumFunctionStDev();
    case svtStDevpEh:
      return texts->GetPivotSumFunctionStDevp();
    case svtVarEh:
      return texts->GetPivotSumFunctionVar();
    case svtVarpEh:
      return texts->GetPivotSumFunctionVarp();
    case svtCustomEh:
      return texts->GetPivotSumFunctionCustom();
  }
  return String();
}

String PivotFunctionShortNameEh(TPivotValueTypeEh function) {
  static const char16_t* const names[] = {u"Sum",     u"Count", u"Avarge", u"Max", u"Min",  u"Count Distinct",
                                          u"Product", u"StDev", u"StDevp", u"Var", u"Varp", u"Custom"};
  return names[function];
}

String PivotSliceLevelSuffixEh(TFieldDateTimeSliceLevelEh level) {
  static const char16_t* const names[] = {u"Non", u"Year", u"Quarter", u"Month", u"Week",
                                          u"Day", u"Hour", u"Min",     u"Sec",   u"MSec"};
  return names[level];
}

String PivotSliceLevelDisplayNameEh(TFieldDateTimeSliceLevelEh level) {
  TGridLibLanguageConsts* texts = GetGridLibLanguageConsts();
  switch (level) {
    case dtslNonEh:
      return texts->GetPivotSliceNonDisplayNameEh();
    case dtslYearEh:
      return texts->GetPivotSliceYearDisplayNameEh();
    case dtslQuarterEh:
      return texts->GetPivotSliceQuarterDisplayNameEh();
    case dtslMonthEh:
      return texts->GetPivotSliceMonthDisplayNameEh();
    case dtslWeekEh:
      return texts->GetPivotSliceWeekDisplayNameEh();
    case dtslDayEh:
      return texts->GetPivotSliceDayDisplayNameEh();
    case dtslHourEh:
      return texts->GetPivotSliceHourDisplayNameEh();
    case dtslMinEh:
      return texts->GetPivotSliceMinDisplayNameEh();
    case dtslSecEh:
      return texts->GetPivotSliceSecDisplayNameEh();
    case dtslMSecEh:
      return texts->GetPivotSliceMSecDisplayNameEh();
  }
  return String();
}

String PivotSliceLevelDisplayFormatEh(TFieldDateTimeSliceLevelEh level) {
  static const char16_t* const formats[] = {u"",
                                            u"YYYY",
                                            u"YYYY/MM",
                                            u"YYYY/MM",
                                            u"YYYY/WW",
                                            u"YYYY/MM/DD",
                                            u"YYYY/MM/DD HH",
                                            u"YYYY/MM/DD HH:NN",
                                            u"YYYY/MM/DD HH:NN:SS",
                                            u""};
  return formats[level];
}

TDateTime PivotSliceDateTimeEh(TDateTime value, TFieldDateTimeSliceLevelEh level) {
  if (level == dtslNonEh || level == dtslMSecEh) return value;
  if (level == dtslWeekEh) return StartOfTheWeek(std::floor(value));
  Word y, m, d, h, n, s, ms;
  DecodeDateTime(value, y, m, d, h, n, s, ms);
  switch (level) {
    case dtslYearEh:
      m = 1;
      [[fallthrough]];
    case dtslQuarterEh:
      // The quarter's key is its first day.
      m = static_cast<Word>((m - 1) / 3 * 3 + 1);
      [[fallthrough]];
    case dtslMonthEh:
      d = 1;
      [[fallthrough]];
    case dtslDayEh:
      h = 0;
      [[fallthrough]];
    case dtslHourEh:
      n = 0;
      [[fallthrough]];
    case dtslMinEh:
      s = 0;
      [[fallthrough]];
    case dtslSecEh:
      ms = 0;
      break;
    default:
      break;
  }
  return EncodeDateTime(y, m, d, h, n, s, ms);
}

// ---- Calculators ----

void TPivotGridAggregateFunctionCalculatorEh::ResetAggrHolder() {
  Value = Variant::Null();
  SrvVars.clear();
}

void TPivotGridAggregateFunctionCalculatorEh::AggrValue(const Variant&) {}

Variant TPivotGridAggregateFunctionCalculatorEh::FinalizeAggregation() { return Value; }

void TPivotGridSumFunctionCalculatorEh::AggrValue(const Variant& AValue) {
  if (VarIsNull(Value))
    Value = AValue;
  else if (!VarIsNull(AValue))
    Value += AValue;
}

void TPivotGridCountFunctionCalculatorEh::AggrValue(const Variant& AValue) {
  if (VarIsNull(AValue)) return;
  if (VarIsNull(Value))
    Value = Variant(1);
  else
    Value += Variant(1);
}

void TPivotGridAverageFunctionCalculatorEh::ResetAggrHolder() {
  Value = Variant::Null();
  SrvVars = {Variant(0), Variant::Null()};
}

void TPivotGridAverageFunctionCalculatorEh::AggrValue(const Variant& AValue) {
  if (VarIsNull(AValue)) return;
  SrvVars[0] += Variant(1);
  if (VarIsNull(SrvVars[1]))
    SrvVars[1] = AValue;
  else
    SrvVars[1] += AValue;
}

Variant TPivotGridAverageFunctionCalculatorEh::FinalizeAggregation() {
  if (SrvVars.size() < 2 || SrvVars[0].AsInteger() == 0 || VarIsNull(SrvVars[1]))
    Value = Variant::Null();
  else
    Value = SrvVars[1] / SrvVars[0];
  return Value;
}

void TPivotGridMaxFunctionCalculatorEh::AggrValue(const Variant& AValue) {
  if (VarIsNull(Value))
    Value = AValue;
  else if (!VarIsNull(AValue) && AValue > Value)
    Value = AValue;
}

void TPivotGridMinFunctionCalculatorEh::AggrValue(const Variant& AValue) {
  if (VarIsNull(Value))
    Value = AValue;
  else if (!VarIsNull(AValue) && AValue < Value)
    Value = AValue;
}

void TPivotGridCountDistinctFunctionCalculatorEh::ResetAggrHolder() {
  TPivotGridAggregateFunctionCalculatorEh::ResetAggrHolder();
  FTexts.clear();
}

void TPivotGridCountDistinctFunctionCalculatorEh::AggrValue(const Variant& AValue) {
  // The exact text, so that values that print alike at 15 digits still count apart.
  FTexts.push_back(PivotKeyValueTextEh(AValue));
}

Variant TPivotGridCountDistinctFunctionCalculatorEh::FinalizeAggregation() {
  std::sort(FTexts.begin(), FTexts.end());
  Integer count = 0;
  const String* previous = nullptr;
  for (const String& text : FTexts) {
    if (text.empty() || (previous && *previous == text)) continue;
    ++count;
    previous = &text;
  }
  FTexts.clear();
  Value = Variant(count);
  return Value;
}

void TPivotGridProductFunctionCalculatorEh::AggrValue(const Variant& AValue) {
  if (VarIsNull(Value))
    Value = AValue;
  else if (!VarIsNull(AValue))
    Value *= AValue;
}

void TPivotGridStDevFunctionCalculatorEh::ResetAggrHolder() {
  Value = Variant::Null();
  SrvVars.clear();
}

void TPivotGridStDevFunctionCalculatorEh::AggrValue(const Variant& AValue) {
  if (!VarIsNull(AValue)) SrvVars.push_back(AValue);
}

Variant TPivotGridStDevFunctionCalculatorEh::FinalizeAggregation() {
  const Integer n = static_cast<Integer>(SrvVars.size());
  // One value has no sample spread (Null) and a population spread of 0; the divisor decides both.
  if (n <= Deduction || n == 0) return Variant::Null();
  Variant sum(0);
  for (const Variant& v : SrvVars) sum += v;
  const Variant mean = sum / Variant(n);
  Variant squares(0);
  for (const Variant& v : SrvVars) {
    const Variant deviation = v - mean;
    squares += deviation * deviation;
  }
  Variant result = squares / Variant(n - Deduction);
  if (DoSqrt) result = Variant(std::sqrt(result.AsDouble()));
  return result;
}

std::unique_ptr<TPivotGridAggregateFunctionCalculatorEh> CreatePivotCalculatorEh(TPivotValueTypeEh function) {
  std::unique_ptr<TPivotGridAggregateFunctionCalculatorEh> calculator;
  switch (function) {
    case svtSumEh:
      calculator = std::make_unique<TPivotGridSumFunctionCalculatorEh>();
      break;
    case svtCountEh:
      calculator = std::make_unique<TPivotGridCountFunctionCalculatorEh>();
      break;
    case svtAvgEh:
      calculator = std::make_unique<TPivotGridAverageFunctionCalculatorEh>();
      break;
    case svtMaxEh:
      calculator = std::make_unique<TPivotGridMaxFunctionCalculatorEh>();
      break;
    case svtMinEh:
      calculator = std::make_unique<TPivotGridMinFunctionCalculatorEh>();
      break;
    case svtCountDistinctEh:
      calculator = std::make_unique<TPivotGridCountDistinctFunctionCalculatorEh>();
      break;
    case svtProductEh:
      calculator = std::make_unique<TPivotGridProductFunctionCalculatorEh>();
      break;
    case svtStDevEh:
      calculator = std::make_unique<TPivotGridStDevFunctionCalculatorEh>();
      break;
    case svtStDevpEh:
      calculator = std::make_unique<TPivotGridStDevpFunctionCalculatorEh>();
      break;
    case svtVarEh:
      calculator = std::make_unique<TPivotGridVarFunctionCalculatorEh>();
      break;
    case svtVarpEh:
      calculator = std::make_unique<TPivotGridVarpFunctionCalculatorEh>();
      break;
    case svtCustomEh:
      throw Exception(u"Для пользовательской итоговой функции нет вычислителя: выберите другую функцию");
  }
  calculator->ResetAggrHolder();
  return calculator;
}
