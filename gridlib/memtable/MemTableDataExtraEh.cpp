// Additional filters of the in-memory table, the field value list, the sorted value list and the
// object-reference field.
#include "gridlib/memtable/MemTableDataExtraEh.h"

#include <algorithm>

#include "gridlib/memtable/MemTableIndexesEh.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"

// ---------------------------------------------------------------- additional filters

TMemTableFilterItemEh::TMemTableFilterItemEh(TCollection* collection) : TCollectionItem(collection) {
  auto* filters = dynamic_cast<TMemTableFiltersEh*>(collection);
  FFilterExpr =
      std::make_unique<TDataSetExprParserEh>(filters ? filters->GetMemTable() : nullptr, dsptFilterEh);
  // The collection announced this item before its own part existed; from here on it may be asked.
  if (filters) filters->ready_.push_back(this);
}

TMemTableFilterItemEh::~TMemTableFilterItemEh() {
  if (TMemTableFiltersEh* filters = Filters()) {
    auto& active = filters->FActiveFilterItems;
    active.erase(std::remove(active.begin(), active.end(), this), active.end());
    auto& ready = filters->ready_;
    ready.erase(std::remove(ready.begin(), ready.end(), this), ready.end());
  }
}

TMemTableFiltersEh* TMemTableFilterItemEh::Filters() const {
  return dynamic_cast<TMemTableFiltersEh*>(GetCollection());
}

void TMemTableFilterItemEh::SetActive(bool value) {
  if (value == FActive) return;
  FActive = value;
  Changed(false);
}

void TMemTableFilterItemEh::SetFilter(const String& value) {
  if (value == FFilter) return;
  FFilter = value;
  if (FActive) Changed(false);
}

void TMemTableFilterItemEh::SetOnFilterRecord(const TFilterRecordEvent& value) {
  if (value == FOnFilterRecord) return;
  FOnFilterRecord = value;
  if (FActive) Changed(false);
}

void TMemTableFilterItemEh::FilterProcChanged() {
  if (FActive) Changed(false);
}

bool TMemTableFilterItemEh::IsCurRecordInFilter(TMemoryRecordEh* rec) {
  bool accept = FFilterExpr->HasData() ? FFilterExpr->IsCurRecordInFilter(rec) : true;
  if (FActive && FOnFilterRecord) {
    TMemTableFiltersEh* filters = Filters();
    FOnFilterRecord(filters ? filters->GetMemTable() : nullptr, accept);
  }
  return accept;
}

void TMemTableFilterItemEh::RecreateFilterExpr() {
  TMemTableFiltersEh* filters = Filters();
  bool tableActive = filters && filters->TableActive();
  FFilterExpr->ParseExpression(FActive && !FFilter.empty() && tableActive ? FFilter : String());
}

TMemTableFiltersEh::TMemTableFiltersEh(TDataSet* aMemTable, TCollectionItemClass filterItemClass)
    : TCollection(filterItemClass), FMemTable(aMemTable) {}

TMemTableFiltersEh::~TMemTableFiltersEh() {
  destroying_ = true;
  FActiveFilterItems.clear();
  Clear();
}

TPersistent* TMemTableFiltersEh::GetOwner() const { return FMemTable; }

Integer TMemTableFiltersEh::IndexOfFilter(TMemTableFilterItemEh* filterItem) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (GetItem(i) == filterItem) return i;
  return -1;
}

std::vector<TMemTableFilterItemEh*> TMemTableFiltersEh::ReadyItems() const {
  std::vector<TMemTableFilterItemEh*> items;
  for (Integer i = 0; i < GetCount(); ++i) {
    TCollectionItem* item = GetItem(i);
    auto ready = std::find_if(ready_.begin(), ready_.end(), [item](TMemTableFilterItemEh* r) {
      return static_cast<TCollectionItem*>(r) == item;
    });
    if (ready != ready_.end()) items.push_back(*ready);
  }
  return items;
}

bool TMemTableFiltersEh::HasTextActiveFilter() const {
  for (TMemTableFilterItemEh* item : ReadyItems())
    if (item->GetActive() && !item->GetFilter().empty()) return true;
  return false;
}

bool TMemTableFiltersEh::HasEventActiveFilter() const {
  for (TMemTableFilterItemEh* item : ReadyItems())
    if (item->GetActive() && item->GetOnFilterRecord()) return true;
  return false;
}

bool TMemTableFiltersEh::IsCurRecordInFilter(TMemoryRecordEh* rec) {
  for (TMemTableFilterItemEh* item : FActiveFilterItems)
    if (!item->IsCurRecordInFilter(rec)) return false;
  return true;
}

void TMemTableFiltersEh::RecreateFilterExpr() {
  for (TMemTableFilterItemEh* item : ReadyItems()) item->RecreateFilterExpr();
}

void TMemTableFiltersEh::Update(TCollectionItem* item) {
  inherited::Update(item);
  if (destroying_) return;
  bool anyFiltering = false;
  for (TMemTableFilterItemEh* ready : ReadyItems()) anyFiltering = anyFiltering || ready->Filtered();
  if (item || anyFiltering || !FActiveFilterItems.empty()) RebuildActiveFilters();
}

void TMemTableFiltersEh::RebuildActiveFilters() {
  FActiveFilterItems.clear();
  for (TMemTableFilterItemEh* item : ReadyItems()) {
    item->RecreateFilterExpr();
    if (item->Filtered()) FActiveFilterItems.push_back(item);
  }
  if (TableActive() && OnChanged) OnChanged(this);
}

// ---------------------------------------------------------------- field value list

TMemTableDataFieldValueListEh::TMemTableDataFieldValueListEh(TDataSet* aDataSet)
    : FDataSet(aDataSet),
      FFilterExpr(std::make_unique<TDataSetExprParserEh>(aDataSet, dsptFilterEh)),
      FNotificator(std::make_unique<TViewAwareNotificatorEh>(nullptr)),
      FValues(std::make_unique<TStringList>()) {
  FValues->SetDuplicates(dupIgnore);
  FNotificator->OnDataEvent = [this](TMemoryRecordEh*, Integer, TRecordsListNotification) { MarkObsolete(); };
  FNotificator->OnRecordMoved = [this](TMemoryRecordEh*, Integer, Integer) { MarkObsolete(); };
}

TMemTableDataFieldValueListEh::~TMemTableDataFieldValueListEh() { FNotificator->SetDataObject(nullptr); }

TFilterOptions TMemTableDataFieldValueListEh::Options() const {
  return FDataSet ? FDataSet->GetFilterOptions() : filterOptions_;
}

void TMemTableDataFieldValueListEh::SetFilterOptions(TFilterOptions options) {
  filterOptions_ = options;
  FFilterExpr->SetFilterOptions(options);
  MarkObsolete();
}

void TMemTableDataFieldValueListEh::SetDataObject(TComponent* value) {
  FNotificator->SetDataObject(value);
  MarkObsolete();
}

void TMemTableDataFieldValueListEh::SetFieldName(const String& value) {
  if (value == FFieldName) return;
  MarkObsolete();
  FFieldName = value;
  RefreshValues();
}

void TMemTableDataFieldValueListEh::SetFilter(const String& filter) {
  if (filter == FFilter) return;
  FFilterExpr->ParseExpression(filter);
  MarkObsolete();
  FFilter = filter;
}

TStrings* TMemTableDataFieldValueListEh::GetValues() {
  if (FDataObsoleted) RefreshValues();
  return FValues.get();
}

void TMemTableDataFieldValueListEh::RefreshValues() {
  FValues->Clear();
  TComponent* data = GetDataObject();
  if (auto* store = dynamic_cast<TMemTableDataEh*>(data))
    RefreshFromStore(store);
  else if (auto* view = dynamic_cast<TRecordsViewEh*>(data))
    RefreshFromView(view);
}

namespace {
bool HasNoValues(TFieldType type) {
  switch (type) {
    case ftBlob:
    case ftGraphic:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftCursor:
    case ftArray:
    case ftReference:
    case ftDataSet:
    case ftOraBlob:
    case ftVariant:
    case ftConnection:
    case ftParams:
    case ftStream:
    case ftObject:
      return true;
    default:
      return false;
  }
}
}  // namespace

void TMemTableDataFieldValueListEh::RefreshFromStore(TMemTableDataEh* store) {
  TMTDataStructEh* ds = store->GetDataStruct();
  TMTDataFieldEh* field = ds->FindField(FFieldName);
  if (!field || HasNoValues(field->GetDataType())) return;
  const Integer fieldIndex = field->GetIndex();
  TRecordsListEh* list = store->GetRecordsList();
  auto accepted = [&](TMemoryRecordEh* rec) {
    return !FFilterExpr->HasData() || FFilterExpr->IsCurRecordInFilter(rec);
  };
  if (field->GetDataType() == ftString || field->GetDataType() == ftWideString) {
    FValues->SetCaseSensitive(!Options().Contains(foCaseInsensitive));
    FValues->SetSorted(true);
    for (Integer i = 0; i < list->GetCount(); ++i) {
      TMemoryRecordEh* rec = list->GetRec(i);
      if (accepted(rec)) FValues->Add(VarToStr(rec->GetDataValue(fieldIndex, dvvValueEh)));
    }
    FDataObsoleted = false;
    return;
  }
  std::unique_ptr<TMTIndexEh> index(TMTIndexEh::CreateApart(list));
  index->SetFields(field->GetFieldName());
  index->SetActive(true);
  FValues->SetSorted(false);
  bool first = true;
  String last;
  for (Integer i = 0; i < index->GetCount(); ++i) {
    TMemoryRecordEh* rec = list->GetRec(index->GetItem(i)->RecIndex);
    if (!accepted(rec)) continue;
    String text = VarToStrWithDateTimeEh(index->GetKeyValue(i));
    if (first || text != last) FValues->Add(text);
    first = false;
    last = text;
  }
  FDataObsoleted = false;
}

void TMemTableDataFieldValueListEh::RefreshFromView(TRecordsViewEh* view) {
  TMTDataStructEh* ds = view->GetDataStruct();
  TMTDataFieldEh* field = ds ? ds->FindField(FFieldName) : nullptr;
  if (field) {
    const Integer fieldIndex = field->GetIndex();
    TStringList texts;
    for (Integer row = 0; row < view->Count(); ++row)
      texts.Add(VarToStrWithDateTimeEh(view->GetRec(row)->GetDataValue(fieldIndex, dvvValueEh)));
    texts.Sort();
    FValues->SetSorted(false);
    String last;
    for (Integer i = 0; i < texts.GetCount(); ++i) {
      if (texts.Get(i) == last) continue;
      last = texts.Get(i);
      FValues->Add(last);
    }
  }
  FDataObsoleted = false;
}

// ---------------------------------------------------------------- sorted value list

bool TSortedVarlistEh::FindKeyValueIndex(const Variant& value, Integer& index) const {
  Integer low = 0, high = GetCount() - 1;
  bool found = false;
  while (high >= low) {
    Integer middle = (low + high) / 2;
    TVariantRelationship r = VarCompareValuesEh(GetItem(middle)->Value, value);
    if (r == vrNotEqual) throw Exception(u"TSortedVarlistEh.FindKeyValueIndex: values is not comparable.");
    if (r == vrLessThan) {
      low = middle + 1;
    } else {
      high = middle - 1;
      if (r == vrEqual) {
        low = middle;
        found = true;
      }
    }
  }
  index = low;
  return found;
}

bool TSortedVarlistEh::FindKeyValue(const Variant& value) const {
  Integer index;
  return FindKeyValueIndex(value, index);
}

Integer TSortedVarlistEh::AddItem(TSortedVarItemEh* item) {
  Integer index;
  FindKeyValueIndex(item->Value, index);
  Insert(index, item);
  return index;
}

// ---------------------------------------------------------------- object-reference field

TRefObjectField::TRefObjectField(TComponent* owner) : TField(owner) {}

IRefObjectFieldDataEh* TRefObjectField::Data() const {
  auto* data = dynamic_cast<IRefObjectFieldDataEh*>(GetDataSet());
  if (!data) throw EDatabaseError(Format(SDataSetMissing, {GetDisplayName()}));
  return data;
}

TObject* TRefObjectField::GetValue() const {
  TObject* value = nullptr;
  Data()->GetFieldDataAsObject(const_cast<TRefObjectField*>(this), value);
  return value;
}

void TRefObjectField::SetValue(TObject* value) { Data()->SetFieldDataAsObject(this, value); }

Variant TRefObjectField::GetAsVariant() const {
  Variant v;
  RefObjectToVariantEh(GetValue(), v);
  return v;
}

void TRefObjectField::SetAsVariant(const Variant& value) { SetValue(RefObjectFromVariantEh(value)); }
