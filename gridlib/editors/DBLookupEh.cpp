// Lookup settings: resolving both sides, the display value of the current record and the key cache.
#include "gridlib/editors/DBLookupEh.h"

#include <algorithm>
#include <cmath>

#include "platform/data/DBConsts.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/ScopeGuard.h"

// ---- Key order and the cache ----

namespace {

int KeyRank(const Variant& v) {
  if (v.IsEmpty()) return 0;
  if (v.IsNull()) return 1;
  if (v.IsArray()) return 4;
  const TVarType t = v.Type() & varTypeMask;
  if (VarIsNumeric(v) || t == varDate || t == varSQLTimeStamp) return 2;
  if (VarIsStr(v)) return 3;
  return 5;
}

double KeyNumber(const Variant& v) {
  if ((v.Type() & varTypeMask) == varSQLTimeStamp) return VarToDateTime(v);
  return v.AsDouble();
}

template <class T>
int Order(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

int CompareLookupKeysEh(const Variant& a, const Variant& b) {
  const int ra = KeyRank(a), rb = KeyRank(b);
  if (ra != rb) return ra < rb ? -1 : 1;
  switch (ra) {
    case 2: {
      if (VarIsOrdinal(a) && VarIsOrdinal(b)) return Order(a.AsInt64(), b.AsInt64());
      const double x = KeyNumber(a), y = KeyNumber(b);
      // Not-a-number sorts after every number and equals itself, so the order stays total.
      if (std::isnan(x) || std::isnan(y)) return Order(std::isnan(x), std::isnan(y));
      return Order(x, y);
    }
    case 3:
      return Order(a.AsString(), b.AsString());
    case 4: {
      const int la = VarArrayLowBound(a, 1), ha = VarArrayHighBound(a, 1);
      const int lb = VarArrayLowBound(b, 1), hb = VarArrayHighBound(b, 1);
      for (int i = 0; la + i <= ha && lb + i <= hb; ++i)
        if (int c = CompareLookupKeysEh(a.GetElement(la + i), b.GetElement(lb + i))) return c;
      return Order(ha - la, hb - lb);
    }
    case 5:
      return Order(VarToStr(a), VarToStr(b));
    default:
      return 0;
  }
}

TLookupListEh::~TLookupListEh() { Clear(); }

void TLookupListEh::Add(const Variant& keyValue, const Variant& displayValue) {
  list_.push_back(std::make_unique<TLookupPairEh>(keyValue, displayValue));
}

void TLookupListEh::Clear() { list_.clear(); }

void TLookupListEh::SortData() {
  std::stable_sort(list_.begin(), list_.end(), [](const auto& x, const auto& y) {
    return CompareLookupKeysEh(x->KeyValue, y->KeyValue) < 0;
  });
}

bool TLookupListEh::FindKeyIndex(const Variant& keyValue, Integer& index) const {
  auto it = std::lower_bound(list_.begin(), list_.end(), keyValue, [](const auto& pair, const Variant& key) {
    return CompareLookupKeysEh(pair->KeyValue, key) < 0;
  });
  index = static_cast<Integer>(it - list_.begin());
  return it != list_.end() && CompareLookupKeysEh((*it)->KeyValue, keyValue) == 0;
}

Variant TLookupListEh::ValueOfKey(const Variant& keyValue) const {
  Integer index = 0;
  if (!FindKeyIndex(keyValue, index)) return Variant::Null();
  return list_[static_cast<size_t>(index)]->DisplayValue;
}

// ---- Links ----

void TDataSourceLinkEh::ActiveChanged() {
  TDataLink::ActiveChanged();
  if (FLookupData) FLookupData->UpdateDataFields();
}

void TDataSourceLinkEh::LayoutChanged() {
  if (FLookupData) FLookupData->UpdateDataFields();
}

void TListSourceLinkEh::ActiveChanged() {
  if (FLookupData) FLookupData->UpdateLookupFields();
}

void TListSourceLinkEh::LayoutChanged() {
  if (FLookupData) FLookupData->UpdateLookupFields();
}

void TListSourceLinkEh::DataSetChanged() {
  if (FLookupData) FLookupData->LookupListDataChanged();
}

void TListSourceLinkEh::RecordChanged(TField*) {
  if (FLookupData) FLookupData->LookupListDataChanged();
}

// Forgets the lookup dataset when it is freed, whoever frees it.
class TLookupDataNotifierEh : public TComponent {
 public:
  explicit TLookupDataNotifierEh(TDBLookupDataEh* data) : TComponent(nullptr), data_(data) {}

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == data_->lookupDataSet_) data_->LookupDataSetFreed();
  }

 private:
  TDBLookupDataEh* data_;
};

// ---- Settings ----

TDBLookupDataEh::TDBLookupDataEh(TCollectionItem* axisBar)
    : axisBar_(axisBar),
      dataLink_(std::make_unique<TDataSourceLinkEh>()),
      internalLookupSource_(std::make_unique<TDataSource>(nullptr)),
      lookupLink_(std::make_unique<TListSourceLinkEh>()),
      lookupListCache_(std::make_unique<TLookupListEh>()),
      notifier_(std::make_unique<TLookupDataNotifierEh>(this)) {
  dataLink_->FLookupData = this;
  internalLookupSource_->SetName(u"FInternalLookupSource");
  lookupLink_->FLookupData = this;
  lookupLink_->SetDataSource(internalLookupSource_.get());
}

TDBLookupDataEh::~TDBLookupDataEh() {
  dataLink_->FLookupData = nullptr;
  lookupLink_->FLookupData = nullptr;
  if (lookupDataSet_) lookupDataSet_->RemoveFreeNotification(notifier_.get());
  dataLink_->SetDataSource(nullptr);
  lookupLink_->SetDataSource(nullptr);
}

void TDBLookupDataEh::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TDBLookupDataEh*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  SetKeyFieldNames(other->GetKeyFieldNames());
  SetLookupCache(other->GetLookupCache());
  SetLookupDataSet(other->GetLookupDataSet());
  SetLookupDisplayFieldName(other->GetLookupDisplayFieldName());
  SetLookupKeyFieldNames(other->GetLookupKeyFieldNames());
}

ILookupDataOwnerEh* TDBLookupDataEh::Owner() const { return dynamic_cast<ILookupDataOwnerEh*>(axisBar_); }

TField* TDBLookupDataEh::OwnerField() const {
  ILookupDataOwnerEh* owner = Owner();
  return owner ? owner->GetLookupOwnerField() : nullptr;
}

TDataSource* TDBLookupDataEh::GetDataSource() const {
  ILookupDataOwnerEh* owner = Owner();
  return owner ? owner->GetLookupOwnerDataSource() : nullptr;
}

bool TDBLookupDataEh::InLookupFieldMode() const { return lookupInDataField_ && OwnerField(); }

String TDBLookupDataEh::GetKeyFieldNames() const {
  return InLookupFieldMode() ? OwnerField()->GetKeyFields() : keyFieldNames_;
}

String TDBLookupDataEh::GetLookupKeyFieldNames() const {
  return InLookupFieldMode() ? OwnerField()->GetLookupKeyFields() : lookupKeyFieldNames_;
}

String TDBLookupDataEh::GetLookupDisplayFieldName() const {
  return InLookupFieldMode() ? OwnerField()->GetLookupResultField() : lookupDisplayFieldName_;
}

TDataSet* TDBLookupDataEh::GetLookupDataSet() const {
  return InLookupFieldMode() ? OwnerField()->GetLookupDataSet() : lookupDataSet_;
}

void TDBLookupDataEh::CheckSettingsEditable() {
  if (lookupInDataField_) DatabaseError(u"Property already defined by lookup field");
  if (dataLink_->GetDataSourceFixed()) DatabaseError(u"Operation not allowed in a DBCtrlGrid");
}

void TDBLookupDataEh::CheckLinksNotCircular() {
  TDataSet* list = lookupLink_->GetDataSet();
  TDataSource* source = GetDataSource();
  if (lookupLink_->GetActive() && list && source && list->IsLinkedTo(source))
    DatabaseError(SCircularDataLink);
}

void TDBLookupDataEh::SetKeyFieldNames(const String& value) {
  CheckSettingsEditable();
  if (value == keyFieldNames_) return;
  keyFieldNames_ = value;
  UpdateDataFields();
}

void TDBLookupDataEh::SetLookupKeyFieldNames(const String& value) {
  CheckSettingsEditable();
  if (value == lookupKeyFieldNames_) return;
  lookupKeyFieldNames_ = value;
  UpdateLookupFields();
}

void TDBLookupDataEh::SetLookupDisplayFieldName(const String& value) {
  CheckSettingsEditable();
  if (value == lookupDisplayFieldName_) return;
  lookupDisplayFieldName_ = value;
  UpdateLookupFields();
}

void TDBLookupDataEh::SetLookupDataSet(TDataSet* value) {
  CheckSettingsEditable();
  if (value == lookupDataSet_) return;
  if (lookupDataSet_) lookupDataSet_->RemoveFreeNotification(notifier_.get());
  lookupDataSet_ = value;
  if (lookupDataSet_) lookupDataSet_->FreeNotification(notifier_.get());
  LookupDataSetChanged();
}

void TDBLookupDataEh::LookupDataSetFreed() {
  lookupDataSet_ = nullptr;
  if (!lookupInDataField_) LookupDataSetChanged();
}

void TDBLookupDataEh::SetLookupCache(bool value) {
  if (value == lookupCache_) return;
  lookupCache_ = value;
  RefreshLookupListCache();
}

void TDBLookupDataEh::LookupDataSetChanged() { internalLookupSource_->SetDataSet(GetLookupDataSet()); }

bool TDBLookupDataEh::GetKeyFieldsIsNull() const {
  if (!lookupActive_) return false;
  for (TField* field : keyFields_)
    if (!field->IsNull()) return false;
  return true;
}

// ---- Resolution ----

void TDBLookupDataEh::UpdateDataFields() {
  if (dataFieldsUpdating_) return;
  dataFieldsUpdating_ = true;
  {
    auto guard = MakeScopeExit([this] { dataFieldsUpdating_ = false; });
    keyFields_.clear();
    CheckLinksNotCircular();
    ILookupDataOwnerEh* owner = Owner();
    TComponent* errorComponent = owner ? owner->GetLookupOwnerComponent() : nullptr;
    TField* field = OwnerField();
    const bool lookupField =
        field && !field->GetComponentState().Contains(csDestroying) && field->GetFieldKind() == fkLookup;
    const String names = lookupField ? field->GetKeyFields() : keyFieldNames_;
    dataLink_->SetDataSource(names.empty() ? nullptr : GetDataSource());
    // An unopened dataset may not have its fields yet; they are resolved when it opens.
    TDataSet* dataSet = dataLink_->GetDataSet();
    if (dataSet && dataSet->GetActive()) GetFieldsArrByNamesEh(dataSet, errorComponent, names, keyFields_);
    SetLookupInDataField(lookupField);
    UpdateLookupFields();
  }
  UpdateLookupSetUp();
  UpdateLookupActive();
}

void TDBLookupDataEh::SetLookupInDataField(bool value) {
  TField* field = OwnerField();
  TDataSet* wanted = value && field ? field->GetLookupDataSet() : lookupDataSet_;
  if (value == lookupInDataField_ && internalLookupSource_->GetDataSet() == wanted) return;
  lookupInDataField_ = value;
  internalLookupSource_->SetDataSet(wanted);
  lookupLink_->SetDataSource(internalLookupSource_.get());
  UpdateLookupFields();
}

void TDBLookupDataEh::UpdateLookupFields() {
  lookupDisplayField_ = nullptr;
  lookupKeyFields_.clear();
  lookupLink_->SetDataSource(internalLookupSource_.get());
  bool listActive = false;
  const String keyNames = GetLookupKeyFieldNames();
  if (lookupLink_->GetActive() && !keyNames.empty()) {
    CheckLinksNotCircular();
    ILookupDataOwnerEh* owner = Owner();
    TComponent* errorComponent = owner ? owner->GetLookupOwnerComponent() : nullptr;
    TDataSet* list = lookupLink_->GetDataSet();
    GetFieldsArrByNamesEh(list, errorComponent, keyNames, lookupKeyFields_);
    const String displayName = GetLookupDisplayFieldName();
    if (!displayName.empty()) lookupDisplayField_ = list->FieldByName(displayName);
    listActive = !lookupKeyFields_.empty() && lookupDisplayField_;
  }
  if (listActive != lookupListActive_) {
    lookupListActive_ = listActive;
    RefreshLookupListCache();
  } else if (listActive && !dataFieldsUpdating_) {
    RefreshLookupListCache();
  }
  if (!dataFieldsUpdating_) {
    UpdateLookupSetUp();
    UpdateLookupActive();
  }
}

bool TDBLookupDataEh::ComputeActive() const {
  return !keyFields_.empty() && !lookupKeyFields_.empty() && lookupDisplayField_ && dataLink_->GetActive() &&
         lookupLink_->GetActive();
}

void TDBLookupDataEh::NotifyOwner() {
  if (ILookupDataOwnerEh* owner = Owner()) owner->LookupParamsChanged();
}

void TDBLookupDataEh::UpdateLookupSetUp() {
  lookupActive_ = ComputeActive();
  const bool setUp = !GetKeyFieldNames().empty() && !GetLookupKeyFieldNames().empty() &&
                     !GetLookupDisplayFieldName().empty() && GetLookupDataSet();
  if (setUp || setUp != lookupIsSetUp_) {
    lookupIsSetUp_ = setUp;
    NotifyOwner();
  }
}

void TDBLookupDataEh::UpdateLookupActive() {
  const bool active = ComputeActive();
  if (active || active != lookupActive_) {
    lookupActive_ = active;
    NotifyOwner();
  }
}

// ---- Values and the cache ----

Variant TDBLookupDataEh::GetLookupValue() {
  if (!dataLink_->GetActive() || !lookupListActive_ || keyFields_.empty()) return Variant::Null();
  Variant key;
  GetFieldsValuesEh(dataLink_->GetDataSet(), keyFields_, key);
  if (lookupCache_) {
    if (cacheStale_) RefreshLookupListCache();
    return lookupListCache_->ValueOfKey(key);
  }
  TDataSet* list = lookupLink_->GetDataSet();
  if (!list || !list->GetActive()) return Variant::Null();
  Variant result = list->Lookup(GetLookupKeyFieldNames(), key, GetLookupDisplayFieldName());
  return result.IsEmpty() ? Variant::Null() : result;
}

void TDBLookupDataEh::GetLookupValueOfRow(Integer rowIndex, Variant& value) {
  TDataSet* dataSet = dataLink_->GetDataSet();
  auto* table = dynamic_cast<IMemTableEh*>(dataSet);
  if (!table) return;
  table->InstantReadEnter(rowIndex);
  auto leave = MakeScopeExit([table] { table->InstantReadLeave(); });
  value = GetLookupValue();
}

void TDBLookupDataEh::LookupListDataChanged() {
  if (refreshingCache_) return;
  // Read again on the next lookup: a burst of changes costs one scan.
  if (lookupListActive_ && lookupCache_) cacheStale_ = true;
  LookupDataChanged();
  if (lookupActive_) NotifyOwner();
}

void TDBLookupDataEh::LookupDataChanged() {}

void TDBLookupDataEh::RefreshLookupListCache() {
  lookupListCache_->Clear();
  cacheStale_ = false;
  if (!lookupListActive_ || !lookupCache_) return;
  TDataSet* list = lookupLink_->GetDataSet();
  if (!list || !list->GetActive()) return;
  // Scanning would post an edit the user has not finished; the cache waits for the post.
  if (list->GetState() == dsEdit || list->GetState() == dsInsert) {
    cacheStale_ = true;
    return;
  }
  refreshingCache_ = true;
  list->DisableControls();
  {
    auto restore = MakeScopeExit([this, list, bookmark = list->GetBookmark()] {
      if (IsDataSetBookmarkValidEh(list, bookmark)) list->GotoBookmark(bookmark);
      list->EnableControls();
      refreshingCache_ = false;
    });
    Variant key;
    for (list->First(); !list->GetEof(); list->Next()) {
      GetFieldsValuesEh(list, lookupKeyFields_, key);
      lookupListCache_->Add(key, lookupDisplayField_->GetAsVariant());
    }
  }
  lookupListCache_->SortData();
}
