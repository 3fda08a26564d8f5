// Pivot grid: pivot fields with date slicing, display texts and filters, value definitions, the key
// value states of a field and the pivot in-memory table with its cancellable key sort.
#include <cmath>
#include <limits>
#include <unordered_map>

#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/pivot/PivotGridsEh.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/QuickSort.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

namespace {

// The grid library's numeric types, with the counters and flags a pivot also sums.
bool IsNumericOrBooleanType(TFieldType type) {
  return IsNumericFieldTypeEh(type) || type == ftAutoInc || type == ftLargeint || type == ftBoolean;
}

bool IsDateTimeType(TFieldType type) {
  return type == ftDate || type == ftDateTime || type == ftTimeStamp || type == ftTime;
}

String Quoted(const String& text) { return u"'" + StringReplace(text, u"'", u"''", {rfReplaceAll}) + u"'"; }

// "dd.mm.yyyy hh:nn:ss.zzz" and the shorter forms; the milliseconds the locale's reader does not take.
Variant ParseDateTimeText(const String& text, const TFormatSettings& settings) {
  String main = text;
  Word ms = 0;
  const size_t dot = text.find_last_of(u'.');
  const size_t colon = text.find_last_of(u':');
  if (colon != String::npos && dot != String::npos && dot > colon) {
    ms = static_cast<Word>(StrToInt(text.substr(dot + 1)));
    main = text.substr(0, dot);
  }
  TDateTime value = StrToDateTime(main, settings);
  if (ms) value += (value < 0 ? -1.0 : 1.0) * ms / MSecsPerDay;
  return Variant::FromDate(value);
}

}  // namespace

// ---- Key value states ----

std::unique_ptr<TPivotKeyValueStateEh> TPivotKeyValueStateEh::CreateApart(const Variant& keyValue) {
  auto state = std::make_unique<TPivotKeyValueStateEh>(nullptr);
  state->FKeyValue = keyValue;
  return state;
}

TPivotKeyValueStatesEh* TPivotKeyValueStateEh::GetList() const {
  return static_cast<TPivotKeyValueStatesEh*>(GetCollection());
}

void TPivotKeyValueStateEh::SetVisible(bool value) {
  if (FVisible == value) return;
  FVisible = value;
  if (GetList()) GetList()->UpdateHaveHiddenKeys();
}

TPivotKeyValueStatesEh::TPivotKeyValueStatesEh(TPivotFieldEh* pivotField)
    : TCollection(TPivotKeyValueStateEh::StaticClass()), FPivotField(pivotField) {}

TPivotKeyValueStateEh* TPivotKeyValueStatesEh::Add(const Variant& keyValue) {
  auto* state = static_cast<TPivotKeyValueStateEh*>(TCollection::Add());
  state->FKeyValue = keyValue;
  return state;
}

TPivotKeyValueStateEh* TPivotKeyValueStatesEh::GetItemByKeyValue(const Variant& keyValue) const {
  Integer index = BinarySearch(keyValue);
  return index < 0 ? nullptr : GetState(index);
}

Integer TPivotKeyValueStatesEh::BinarySearch(const Variant& keyValue) const {
  Integer lo = 0, hi = GetCount() - 1;
  while (lo <= hi) {
    const Integer mid = lo + (hi - lo) / 2;
    // The states hold Null first, so the search orders Null the same way.
    switch (PivotNullAwareCompareEh(GetState(mid)->GetKeyValue(), keyValue)) {
      case vrLessThan:
        lo = mid + 1;
        break;
      case vrEqual:
        return mid;
      case vrGreaterThan:
        hi = mid - 1;
        break;
      default:
        throw Exception(u"TPivotKeyValueStatesEh.BinarySearch() .. CompareResult = vrNotEqual");
    }
  }
  return -1;
}

void TPivotKeyValueStatesEh::UpdateData(TCustomMemTableEh* table) {
  TMemTableDataEh* data = table->GetMemTableData();
  const Integer column = data->GetDataStruct()->FieldIndex(FPivotField->GetFieldName());
  if (column < 0) throw Exception(u"Field '" + FPivotField->GetFieldName() + u"' not found");
  TRecordsListEh* records = data->GetRecordsList();
  std::vector<Variant> values;
  values.reserve(static_cast<size_t>(records->GetCount()));
  for (Integer i = 0; i < records->GetCount(); ++i)
    values.push_back(records->GetRec(i)->GetData()[static_cast<size_t>(column)]);
  auto compare = [](const Variant& a, const Variant& b) -> Integer {
    switch (PivotNullAwareCompareEh(a, b)) {
      case vrLessThan:
        return -1;
      case vrEqual:
        return 0;
      case vrGreaterThan:
        return 1;
      default:
        throw Exception(u"Compare error in TPivotKeyValueStatesEh.UpdateData");
    }
  };
  if (values.size() > 1)
    QuickSortRange(
        Int64{0}, static_cast<Int64>(values.size()) - 1,
        [&](Int64 a, Int64 b) {
          return compare(values[static_cast<size_t>(a)], values[static_cast<size_t>(b)]);
        },
        [&](Int64 a, Int64 b) { std::swap(values[static_cast<size_t>(a)], values[static_cast<size_t>(b)]); });
  std::vector<Variant> keys;
  for (const Variant& v : values)
    if (keys.empty() || compare(keys.back(), v) != 0) keys.push_back(v);

  BeginUpdate();
  auto end = MakeScopeExit([this] { EndUpdate(); });
  std::vector<TPivotKeyValueStateEh*> old;
  while (GetCount() > 0) {
    TPivotKeyValueStateEh* state = GetState(0);
    state->SetCollection(nullptr);
    old.push_back(state);
  }
  std::vector<bool> kept(old.size(), false);
  size_t o = 0, k = 0;
  while (o < old.size() && k < keys.size()) {
    switch (PivotNullAwareCompareEh(old[o]->GetKeyValue(), keys[k])) {
      case vrEqual:
        old[o]->SetCollection(this);
        kept[o] = true;
        ++o;
        ++k;
        break;
      case vrLessThan:
        ++o;
        break;
      case vrGreaterThan:
        Add(keys[k++]);
        break;
      default:
        for (size_t i = 0; i < old.size(); ++i)
          if (!kept[i]) delete old[i];
        throw Exception(u"TPivotKeyValueStatesEh.UpdateData .. CompareResult = vrNotEqual");
    }
  }
  for (; k < keys.size(); ++k) Add(keys[k]);
  for (size_t i = 0; i < old.size(); ++i)
    if (!kept[i]) delete old[i];
}

void TPivotKeyValueStatesEh::UpdateStateFromSortedList(const std::vector<TPivotKeyValueStateEh*>& list) {
  BeginUpdate();
  {
    auto end = MakeScopeExit([this] { TCollection::EndUpdate(); });
    Integer own = 0;
    size_t other = 0;
    while (own < GetCount() && other < list.size()) {
      switch (PivotNullAwareCompareEh(list[other]->GetKeyValue(), GetState(own)->GetKeyValue())) {
        case vrEqual:
          GetState(own)->FExpanded = list[other]->GetExpanded();
          GetState(own)->FVisible = list[other]->GetVisible();
          ++own;
          ++other;
          break;
        case vrGreaterThan:
          ++own;
          break;
        case vrLessThan:
          ++other;
          break;
        default:
          throw Exception(u"TPivotKeyValueStatesEh.UpdateData .. CompareResult = vrNotEqual");
      }
    }
  }
  UpdateHaveHiddenKeys();
}

void TPivotKeyValueStatesEh::UpdateHaveHiddenKeys() {
  if (GetUpdateCount() > 0) return;
  FHaveHiddenKeys = false;
  for (int i = 0; i < GetCount() && !FHaveHiddenKeys; ++i) FHaveHiddenKeys = !GetState(i)->GetVisible();
}

void TPivotKeyValueStatesEh::EndUpdate() {
  TCollection::EndUpdate();
  UpdateHaveHiddenKeys();
}

// ---- Pivot in-memory table ----

namespace {

// For each key field, a number per record that orders as the field's values do (Null first, texts by
// their rank under the locale's comparison); false when a field holds a kind that has no such number.
bool RankKeys(const std::vector<TMemoryRecordEh*>& records, const std::vector<Integer>& fieldIndexes,
              std::vector<std::vector<double>>& ranks) {
  constexpr double kExact = 9007199254740992.0;  // whole numbers beyond 2^53 lose their order as doubles
  for (Integer index : fieldIndexes) {
    const size_t f = static_cast<size_t>(index);
    std::vector<double> key(records.size());
    std::unordered_map<std::u16string_view, double> texts;
    bool numbers = false;
    for (size_t i = 0; i < records.size(); ++i) {
      const TRecValuesEh& values = records[i]->GetData();
      if (values.IsNullAt(f)) {
        key[i] = -std::numeric_limits<double>::infinity();
      } else if (values.IsSignedAt(f)) {
        const Int64 v = values.SignedAt(f);
        if (v > kExact || v < -kExact) return false;
        key[i] = static_cast<double>(v);
        numbers = true;
      } else if (values.IsFloatAt(f)) {
        key[i] = values.FloatAt(f);
        if (std::isnan(key[i])) return false;
        numbers = true;
      } else if (values.IsTextAt(f)) {
        texts.emplace(values.TextAt(f), 0.0);
      } else {
        return false;
      }
    }
    if (!texts.empty()) {
      if (numbers) return false;
      std::vector<String> distinct;
      distinct.reserve(texts.size());
      for (auto& entry : texts) distinct.emplace_back(entry.first);
      std::sort(distinct.begin(), distinct.end(),
                [](const String& a, const String& b) { return AnsiCompareStr(a, b) < 0; });
      double rank = 0;
      for (size_t i = 0; i < distinct.size(); ++i) {
        if (i > 0 && AnsiCompareStr(distinct[i - 1], distinct[i]) != 0) ++rank;
        texts[distinct[i]] = rank;
      }
      for (size_t i = 0; i < records.size(); ++i) {
        const TRecValuesEh& values = records[i]->GetData();
        if (!values.IsNullAt(f)) key[i] = texts[values.TextAt(f)];
      }
    }
    ranks.push_back(std::move(key));
  }
  return true;
}

}  // namespace

void TPivotMemTableEh::SortByFieldIndexes(const std::vector<Integer>& fieldIndexes) {
  TRecordsListEh* list = Records();
  const Integer count = list->GetCount();
  if (count < 2 || fieldIndexes.empty()) return;
  std::vector<TMemoryRecordEh*> order(static_cast<size_t>(count));
  for (Integer i = 0; i < count; ++i) order[static_cast<size_t>(i)] = list->GetRec(i);
  Integer steps = 0;
  auto progress = [&] {
    if (OnCallBackProgress && (++steps & 0xFFF) == 0) OnCallBackProgress(this);
  };
  auto compare = [&](TMemoryRecordEh* a, TMemoryRecordEh* b) -> Integer {
    const TRecValuesEh& va = a->GetData();
    const TRecValuesEh& vb = b->GetData();
    for (Integer index : fieldIndexes) {
      const size_t i = static_cast<size_t>(index);
      const bool nullA = va.IsNullAt(i), nullB = vb.IsNullAt(i);
      if (nullA || nullB) {
        if (nullA != nullB) return nullA ? -1 : 1;
        continue;
      }
      if (va.IsSignedAt(i) && vb.IsSignedAt(i)) {
        const Int64 x = va.SignedAt(i), y = vb.SignedAt(i);
        if (x != y) return x < y ? -1 : 1;
        continue;
      }
      if (va.IsFloatAt(i) && vb.IsFloatAt(i)) {
        const double x = va.FloatAt(i), y = vb.FloatAt(i);
        if (x != y) return x < y ? -1 : 1;
        continue;
      }
      switch (PivotNullAwareCompareEh(va[i], vb[i])) {
        case vrLessThan:
          return -1;
        case vrGreaterThan:
          return 1;
        case vrEqual:
          break;
        default:
          throw Exception(u"Значения поля \"" + Struct()->GetDataField(index)->GetFieldName() +
                          u"\" нельзя упорядочить");
      }
    }
    return 0;
  };
  // The order is found on a copy, so a cancel leaves the table as it was; the store then takes it.
  std::vector<std::vector<double>> ranks;
  if (RankKeys(order, fieldIndexes, ranks)) {
    // Every key is a number that orders as its values do: the sort compares numbers only.
    std::vector<Int64> perm(order.size());
    for (size_t i = 0; i < perm.size(); ++i) perm[i] = static_cast<Int64>(i);
    QuickSortRange(
        Int64{0}, static_cast<Int64>(perm.size()) - 1,
        [&](Int64 a, Int64 b) {
          progress();
          const size_t x = static_cast<size_t>(perm[static_cast<size_t>(a)]);
          const size_t y = static_cast<size_t>(perm[static_cast<size_t>(b)]);
          for (const std::vector<double>& key : ranks)
            if (key[x] != key[y]) return key[x] < key[y] ? -1 : 1;
          return 0;
        },
        [&](Int64 a, Int64 b) { std::swap(perm[static_cast<size_t>(a)], perm[static_cast<size_t>(b)]); });
    std::vector<TMemoryRecordEh*> sorted(order.size());
    for (size_t i = 0; i < perm.size(); ++i) sorted[i] = order[static_cast<size_t>(perm[i])];
    order.swap(sorted);
  } else {
    QuickSortRange(
        Int64{0}, static_cast<Int64>(order.size()) - 1,
        [&](Int64 a, Int64 b) {
          progress();
          return compare(order[static_cast<size_t>(a)], order[static_cast<size_t>(b)]);
        },
        [&](Int64 a, Int64 b) { std::swap(order[static_cast<size_t>(a)], order[static_cast<size_t>(b)]); });
  }
  std::vector<Integer> rank(static_cast<size_t>(count));
  for (Integer i = 0; i < count; ++i)
    rank[static_cast<size_t>(order[static_cast<size_t>(i)]->GetIndex())] = i;
  list->SortData(
      [&](TMemoryRecordEh* a, TMemoryRecordEh* b, TObject*) {
        return rank[static_cast<size_t>(a->GetIndex())] - rank[static_cast<size_t>(b->GetIndex())];
      },
      nullptr);
}

void TPivotMemTableEh::ResetTable() {
  Close();
  GetMemTableData()->DestroyTable();
  GetFieldDefs()->Clear();
  while (GetFieldCount() > 0) delete GetFields()->GetField(GetFieldCount() - 1);
}

TMemoryRecordEh* TPivotMemTableEh::AppendStored() {
  TRecordsListEh* list = Records();
  TMemoryRecordEh* rec = list->NewRecord();
  list->FetchRecord(rec);
  return rec;
}

void TPivotMemTableEh::OpenIfClosed() {
  if (!GetActive()) Open();
}

// ---- Pivot fields ----

void TPivotFieldDataTypeDefEh::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TPivotFieldDataTypeDefEh*>(source)) {
    DataType = other->DataType;
    Precision = other->Precision;
    Size = other->Size;
    return;
  }
  TPersistent::Assign(source);
}

TPivotFieldEh::TPivotFieldEh(TCollection* collection)
    : TCollectionItem(collection),
      FTypeDef(std::make_unique<TPivotFieldDataTypeDefEh>()),
      FKeyValueStates(std::make_unique<TPivotKeyValueStatesEh>(this)) {}

TPivotFieldEh::~TPivotFieldEh() = default;

TPivotFieldsEh* TPivotFieldEh::GetPivotFields() const {
  return dynamic_cast<TPivotFieldsEh*>(GetCollection());
}

TPivotDataSourceEh* TPivotFieldEh::GetDataSource() const {
  return GetPivotFields() ? GetPivotFields()->GetPDSource() : nullptr;
}

void TPivotFieldEh::ReportChanged() { Changed(false); }

void TPivotFieldEh::SetDisplayFormat(const String& value) {
  FDisplayFormat = value;
  ReportChanged();
}

void TPivotFieldEh::SetDisplayName(const String& value) {
  FDisplayName = value;
  DisplayChanged();
}

void TPivotFieldEh::DisplayChanged() {
  if (TPivotDataSourceEh* source = GetDataSource()) source->PivotFieldsDisplayChanged();
}

void TPivotFieldEh::SetFieldName(const String& value) {
  FFieldName = value;
  ReportChanged();
}

void TPivotFieldEh::SetSliceLevel(TFieldDateTimeSliceLevelEh value) { FSliceLevel = value; }

void TPivotFieldEh::SetSourceFieldName(const String& value) { FSourceFieldName = value; }

void TPivotFieldEh::SetSumFunction(TPivotValueTypeEh value) {
  if (!FSumFunctionStored || FSumFunction != value) {
    FSumFunctionStored = true;
    FSumFunction = value;
  }
}

void TPivotFieldEh::SetSumFunctionStored(bool value) {
  if (FSumFunctionStored == value) return;
  FSumFunctionStored = value;
  FSumFunction = DefaultSumFunction();
}

TPivotValueTypeEh TPivotFieldEh::DefaultSumFunction() const {
  if (FTypeDef->DataType != ftUnknown)
    return IsNumericOrBooleanType(FTypeDef->DataType) ? svtSumEh : svtCountEh;
  TPivotDataSourceEh* source = GetDataSource();
  if (source && source->GetDataSet())
    if (TField* field = source->GetDataSet()->FindField(FSourceFieldName))
      return IsNumericOrBooleanType(field->GetDataType()) ? svtSumEh : svtCountEh;
  return svtCountEh;
}

TPivotValueTypeEh TPivotFieldEh::ProposedSumFunction() const {
  return FSumFunctionStored ? FSumFunction : DefaultSumFunction();
}

void TPivotFieldEh::SetExpressionStr(const String& text) { FExpressionStr = text; }

Variant TPivotFieldEh::SliceValue(const Variant& value) const {
  if (FSliceLevel == dtslNonEh || VarIsEmptyOrNull(value)) return value;
  return Variant::FromDate(PivotSliceDateTimeEh(VarToDateTime(value), FSliceLevel));
}

Variant TPivotFieldEh::GetValueForSource(TDataSet* sourceDataSet, TField* field) const {
  if (!field) return Variant::Null();
  Variant value;
  auto* memTable = dynamic_cast<TCustomMemTableEh*>(sourceDataSet);
  TMemoryRecordEh* rec = memTable ? memTable->GetRec() : nullptr;
  const Integer dataIndex =
      rec ? memTable->GetMemTableData()->GetDataStruct()->FieldIndex(field->GetFieldName()) : -1;
  if (dataIndex >= 0)
    value = rec->GetData()[static_cast<size_t>(dataIndex)];
  else
    value = field->GetValue();
  return SliceValue(value);
}

TFieldType TPivotFieldEh::GetDataFieldType() const {
  if (FTypeDef->DataType != ftUnknown) return FTypeDef->DataType;
  TPivotDataSourceEh* source = GetDataSource();
  if (!FSourceFieldName.empty() && source && source->GetDataSet())
    if (TField* field = source->GetDataSet()->FindField(FSourceFieldName)) return field->GetDataType();
  throw Exception(u"GetDataFieldType is not Defined");
}

Variant TPivotFieldEh::StringToDataValue(const String& stringValue) const {
  if (stringValue.empty()) return Variant::Null();
  const TFieldType type = GetDataFieldType();
  if (IsDateTimeType(type)) return ParseDateTimeText(stringValue, FormatSettings);
  return VarAsType(Variant(stringValue), DefaultVarDataTypeForFieldTypeEh(type));
}

Variant TPivotFieldEh::SysStringToDataValue(const String& stringValue) const {
  if (stringValue.empty()) return Variant::Null();
  TFormatSettings settings = FormatSettings;
  settings.DecimalSeparator = u'.';
  settings.DateSeparator = u'-';
  settings.TimeSeparator = u':';
  settings.ShortDateFormat = u"yyyy-mm-dd";
  TFormatSettingsGuard guard(settings);
  const TFieldType type = GetDataFieldType();
  if (IsDateTimeType(type)) return ParseDateTimeText(stringValue, settings);
  return VarAsType(Variant(stringValue), DefaultVarDataTypeForFieldTypeEh(type));
}

String TPivotFieldEh::ValueAsDispayText(const Variant& value) const {
  if (FDisplayFormat.empty() || VarIsEmptyOrNull(value)) return VarToStr(value);
  const TDateTime date = VarToDateTime(value);
  if (FSliceLevel != dtslWeekEh) return FormatDateTime(FDisplayFormat, date);
  // The week's year is its ISO year, which the Monday's calendar year is not always (30.12.2024 is
  // week 1 of 2025): both go in as literals.
  Word isoYear = 0;
  const Word week = WeekOfTheYear(date, isoYear);
  String format = FDisplayFormat;
  const String yearText = u"\"" + IntToStr(isoYear) + u"\"";
  String weekText = IntToStr(week);
  if (weekText.size() < 2) weekText = u"0" + weekText;
  weekText = u"\"" + weekText + u"\"";
  format = StringReplace(format, u"yyyy", yearText, {rfReplaceAll, rfIgnoreCase});
  format = StringReplace(format, u"ww", weekText, {rfReplaceAll, rfIgnoreCase});
  return FormatDateTime(format, date);
}

Integer TPivotFieldEh::StateIndexOfText(const String& text) const {
  for (Integer i = 0; i < FKeyValueStates->GetCount(); ++i)
    if (PivotKeyValueTextEh(FKeyValueStates->GetState(i)->GetKeyValue()) == text) return i;
  return -1;
}

void TPivotFieldEh::FillFilterValues(TStrings* items) {
  for (Integer i = 0; i < FKeyValueStates->GetCount(); ++i)
    items->Add(PivotKeyValueTextEh(FKeyValueStates->GetState(i)->GetKeyValue()));
  FListValuesCheckingState.assign(static_cast<size_t>(items->GetCount()), false);
}

void TPivotFieldEh::UpdateFilterFromValuesCheckingState(TStrings* ss, const std::vector<bool>& checkStates) {
  TFieldType type = ftUnknown;
  try {
    type = GetDataFieldType();
  } catch (const Exception&) {
    // A field without a known type filters as text, which is how its keys were written.
    type = ftWideString;
  }
  const bool typed = IsNumericOrBooleanType(type) || IsDateTimeType(type);
  String list;
  Integer listCount = 0;
  bool nullWanted = false;
  for (int j = 0; j < ss->GetCount() && j < static_cast<int>(checkStates.size()); ++j) {
    if (!checkStates[static_cast<size_t>(j)]) continue;
    const String text = ss->Get(j);
    if (typed && text.empty()) {
      nullWanted = true;
      continue;
    }
    if (listCount++ > 0) list += u",";
    list += Quoted(text);
  }
  String expression;
  if (listCount == 1)
    expression = u"=" + list;
  else if (listCount > 1)
    expression = u"in (" + list + u")";
  if (nullWanted) expression = expression.empty() ? String(u"=Null") : expression + u" OR =Null ";
  SetExpressionStr(expression);
  UpdateKeyValueStatesFromFilterCheckedState(ss, checkStates);
}

void TPivotFieldEh::UpdateKeyValueStatesFromFilterCheckedState(TStrings* strList,
                                                               const std::vector<bool>& checkStates) {
  const size_t n = std::min(static_cast<size_t>(strList->GetCount()), checkStates.size());
  bool anyChecked = false;
  for (size_t j = 0; j < n; ++j) anyChecked = anyChecked || checkStates[j];
  // Entries are matched to states by their value, never by position: the two lists need not share an order.
  std::vector<bool> visible(static_cast<size_t>(FKeyValueStates->GetCount()), !anyChecked);
  if (anyChecked)
    for (size_t j = 0; j < n; ++j)
      if (checkStates[j]) {
        const Integer state = StateIndexOfText(strList->Get(static_cast<int>(j)));
        if (state >= 0) visible[static_cast<size_t>(state)] = true;
      }
  FKeyValueStates->BeginUpdate();
  for (Integer i = 0; i < FKeyValueStates->GetCount(); ++i)
    FKeyValueStates->GetState(i)->SetVisible(visible[static_cast<size_t>(i)]);
  FKeyValueStates->EndUpdate();
}

void TPivotFieldEh::UpdateValuesCheckingStateFromFilter(TStrings* ss, std::vector<bool>& checkStates) const {
  if (!FKeyValueStates->HaveHiddenKeys()) return;
  for (int j = 0; j < ss->GetCount() && j < static_cast<int>(checkStates.size()); ++j) {
    const Integer state = StateIndexOfText(ss->Get(j));
    if (state >= 0) checkStates[static_cast<size_t>(j)] = FKeyValueStates->GetState(state)->GetVisible();
  }
}

String TPivotFieldEh::GetFilterExpressionAsStr() const {
  if (!FKeyValueStates->HaveHiddenKeys()) return String();
  String list;
  Integer listCount = 0;
  bool nullWanted = false;
  for (Integer i = 0; i < FKeyValueStates->GetCount(); ++i) {
    TPivotKeyValueStateEh* state = FKeyValueStates->GetState(i);
    if (!state->GetVisible()) continue;
    const String text = PivotKeyValueTextEh(state->GetKeyValue());
    if (text.empty()) {
      nullWanted = true;
      continue;
    }
    if (listCount++ > 0) list += u",";
    list += Quoted(text);
  }
  const String name = u"[" + FFieldName + u"]";
  String result;
  if (listCount == 1)
    result = name + u" = " + list;
  else if (listCount > 1)
    result = name + u"in (" + list + u")";
  if (nullWanted) result = result.empty() ? name + u"  = Null" : result + u" OR " + name + u" = Null ";
  return result;
}

void TPivotFieldEh::UpdateKeyValueStates() {
  TPivotDataSourceEh* source = GetDataSource();
  if (source) FKeyValueStates->UpdateData(source->GetSourceTable());
}

bool TPivotFieldEh::KeyVisible(const Variant& value) const {
  if (!FKeyValueStates->HaveHiddenKeys()) return true;
  const Integer index = FKeyValueStates->BinarySearch(value);
  return index < 0 || FKeyValueStates->GetState(index)->GetVisible();
}

// ---- The pivot fields ----

TPivotFieldsEh::TPivotFieldsEh(TPivotDataSourceEh* pdSource)
    : TCollection(TPivotFieldEh::StaticClass()), FPDSource(pdSource) {}

TPersistent* TPivotFieldsEh::GetOwner() const { return FPDSource; }

TPivotFieldEh* TPivotFieldsEh::Add() {
  // The item joins before its own part is built; the change is told once it is.
  BeginUpdate();
  auto end = MakeScopeExit([this] { EndUpdate(); });
  return static_cast<TPivotFieldEh*>(TCollection::Add());
}

TPivotFieldEh* TPivotFieldsEh::FindFieldByName(const String& pivotFieldName) const {
  for (int i = 0; i < GetCount(); ++i)
    if (SameText(GetPivotField(i)->GetFieldName(), pivotFieldName)) return GetPivotField(i);
  return nullptr;
}

Integer TPivotFieldsEh::IndexOf(TPivotFieldEh* pivotField) const {
  for (int i = 0; i < GetCount(); ++i)
    if (GetPivotField(i) == pivotField) return i;
  return -1;
}

void TPivotFieldsEh::AddAllPivotFields(bool deleteExisting) {
  BeginUpdate();
  auto end = MakeScopeExit([this] { EndUpdate(); });
  if (deleteExisting) Clear();
  TDataSet* dataSet = FPDSource ? FPDSource->GetDataSet() : nullptr;
  if (!dataSet) return;
  for (TField* field : dataSet->GetFields()->List()) {
    TPivotFieldEh* pivotField = Add();
    pivotField->SetSourceFieldName(field->GetFieldName());
    pivotField->SetFieldName(field->GetFieldName());
    pivotField->SetDisplayName(field->GetDisplayLabel());
    if (field->GetDataType() != ftDate && field->GetDataType() != ftDateTime) continue;
    for (int level = dtslNonEh; level <= dtslMSecEh; ++level) {
      const auto slice = static_cast<TFieldDateTimeSliceLevelEh>(level);
      if (!FPDSource->GetDefaultDateTimeSliceLevels().Contains(slice)) continue;
      TPivotFieldEh* sliced = Add();
      sliced->SetSourceFieldName(field->GetFieldName());
      sliced->SetSliceLevel(slice);
      sliced->SetFieldName(field->GetFieldName() + u"." + PivotSliceLevelSuffixEh(slice));
      sliced->SetDisplayName(field->GetDisplayLabel() + u"." + PivotSliceLevelDisplayNameEh(slice));
      sliced->SetDisplayFormat(PivotSliceLevelDisplayFormatEh(slice));
    }
  }
}

void TPivotFieldsEh::Update(TCollectionItem* item) {
  TCollection::Update(item);
  if (FPDSource) FPDSource->PivotFieldsChanged();
}

// ---- Value definitions ----

void TPivotFieldValueInfoEh::SetPivotField(TPivotFieldEh* value) {
  FPivotField = value;
  if (value) FPivotFieldName = value->GetFieldName();
  Changed(false);
}

void TPivotFieldValueInfoEh::SetPivotFieldName(const String& value) {
  FPivotFieldName = value;
  Changed(false);
}

void TPivotFieldValueInfoEh::SetSumFunction(TPivotValueTypeEh value) {
  FSumFunction = value;
  Changed(false);
}

void TPivotFieldValueInfoEh::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TPivotFieldValueInfoEh*>(source)) {
    FPivotField = other->FPivotField;
    FPivotFieldName = other->FPivotFieldName;
    FDisplayFormat = other->FDisplayFormat;
    FSumFunction = other->FSumFunction;
    Changed(false);
    return;
  }
  TCollectionItem::Assign(source);
}

String TPivotFieldValueInfoEh::DisplayDescription() const {
  if (!FPivotField) return FPivotFieldName;
  return FPivotFieldName + u" (" + PivotFunctionDisplayNameEh(FSumFunction) + u")";
}

void TPivotFieldValueInfoEh::ResolvePivotField() {
  auto* collection = dynamic_cast<TValueFieldsCollectionEh*>(GetCollection());
  TPivotDataSourceEh* source = collection ? collection->GetPivotDataSource() : nullptr;
  FPivotField = source ? source->GetPivotFields()->FindFieldByName(FPivotFieldName) : nullptr;
}

TValueFieldsCollectionEh::TValueFieldsCollectionEh(TPivotDataSourceEh* pivotDataSource)
    : TCollection(TPivotFieldValueInfoEh::StaticClass()), FPivotDataSource(pivotDataSource) {}

TPivotFieldValueInfoEh* TValueFieldsCollectionEh::Add() {
  BeginUpdate();
  auto end = MakeScopeExit([this] { EndUpdate(); });
  return static_cast<TPivotFieldValueInfoEh*>(TCollection::Add());
}

void TValueFieldsCollectionEh::UpdatePivotFieldsFromPivotFieldNames() {
  for (int i = 0; i < GetCount(); ++i) GetPivotFieldValueInfo(i)->ResolvePivotField();
}

Integer TValueFieldsCollectionEh::IndexByPivotFieldName(const String& name) const {
  for (int i = 0; i < GetCount(); ++i)
    if (GetPivotFieldValueInfo(i)->GetPivotFieldName() == name) return i;
  return -1;
}

Integer TValueFieldsCollectionEh::IndexOf(TPivotFieldValueInfoEh* item) const {
  for (int i = 0; i < GetCount(); ++i)
    if (GetPivotFieldValueInfo(i) == item) return i;
  return -1;
}

void TValueFieldsCollectionEh::Move(int curIndex, int newIndex) { GetItem(curIndex)->SetIndex(newIndex); }

TPivotFieldValueInfoEh* TValueFieldsCollectionEh::AddForPivotField(TPivotFieldEh* pivotField, int position) {
  BeginUpdate();
  auto end = MakeScopeExit([this] { EndUpdate(); });
  TPivotFieldValueInfoEh* item = static_cast<TPivotFieldValueInfoEh*>(TCollection::Add());
  item->SetPivotField(pivotField);
  item->SetSumFunction(pivotField->ProposedSumFunction());
  item->SetDisplayFormat(pivotField->GetDisplayFormat());
  if (position >= 0 && position < GetCount()) item->SetIndex(position);
  return item;
}

Integer TValueFieldsCollectionEh::DataLines() const {
  if (GetCount() <= 1) return 1;
  if (GetCount() == 2 && GetPivotFieldValueInfo(1)->GetSumFunction() == svtCountEh) return 1;
  return GetCount();
}

void TValueFieldsCollectionEh::Notify(TCollectionItem* item, TCollectionNotification action) {
  TCollection::Notify(item, action);
  if (GetUpdateCount() == 0 && OnChangeNotification) OnChangeNotification(this, item, action);
}

void TValueFieldsCollectionEh::Update(TCollectionItem* item) {
  TCollection::Update(item);
  Notify(nullptr, cnAdded);
}
