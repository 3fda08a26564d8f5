// Footer sum lists: the aggregates, their collection, the producer's record numbering and the producer
// that takes over a dataset's handlers to keep the aggregates current.
#include "gridlib/dbgrid/DBSumListEh.h"

#include <algorithm>
#include <vector>

#include "gridlib/base/GridLibCore.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

const TTypeInfo* TypeInfoGroupOperation() {
  static const TTypeInfo info = TTypeInfo::Enum(u"TGroupOperation", {u"goSum", u"goAvg", u"goCount"});
  return &info;
}

// ---- TDBSum ----

TDBSum::TDBSum(TCollection* collection) : TCollectionItem(collection) {}

void TDBSum::Published(TPropBuilder<TDBSum>& p) {
  p.Str(u"FieldName", &TDBSum::GetFieldName, &TDBSum::SetFieldName);
  p.Enum(u"GroupOperation", TypeInfoGroupOperation(), &TDBSum::GetGroupOperation, &TDBSum::SetGroupOperation)
      .Default(goSum);
}

void TDBSum::Assign(TPersistent* source) {
  auto* sum = dynamic_cast<TDBSum*>(source);
  if (!sum) {
    TCollectionItem::Assign(source);
    return;
  }
  SetGroupOperation(sum->FGroupOperation);
  SetFieldName(sum->FFieldName);
  Value = sum->Value;
  SumValue = sum->SumValue;
}

void TDBSum::SetFieldName(const String& value) {
  if (value == FFieldName) return;
  FFieldName = value;
  Changed(false);
}

void TDBSum::SetGroupOperation(TGroupOperation value) {
  if (value == FGroupOperation) return;
  FGroupOperation = value;
  Changed(false);
}

void TDBSum::Reset() {
  SumValue = Currency();
  Value = Currency();
  FSumValueAsSum = Currency();
  FNotNullRecordCount = 0;
}

// ---- TDBSumCollection ----

TDBSumCollection::TDBSumCollection(TDBSumListProducer* owner)
    : TCollection(TDBSum::StaticClass()), FOwner(owner) {}

TDBSum* TDBSumCollection::GetSumByOpAndFName(TGroupOperation groupOperation, const String& fieldName) const {
  for (int i = 0; i < GetCount(); ++i) {
    TDBSum* sum = GetItem(i);
    if (sum->GetGroupOperation() == groupOperation && AnsiCompareText(sum->GetFieldName(), fieldName) == 0)
      return sum;
  }
  return nullptr;
}

TPersistent* TDBSumCollection::GetOwner() const { return FOwner; }

void TDBSumCollection::Update(TCollectionItem*) {
  if (!FOwner) return;
  TComponent* owner = FOwner->GetOwnerComponent();
  if (owner &&
      (owner->GetComponentState().Contains(csLoading) || owner->GetComponentState().Contains(csDestroying)))
    return;
  FOwner->RecalcAll();
}

// ---- TSLBookmarkListEh ----

TDataSet* TSLBookmarkListEh::GetDataSet() const {
  return FSumListProducer ? FSumListProducer->GetDataSet() : nullptr;
}

// ---- TDBSumListProducer ----

struct TDBSumListProducer::THookedEvent {
  TDataSetNotifyEvent TDataSet::*slot;
  TDataSetNotifyEvent TDBSumListProducer::*saved;
  void (TDBSumListProducer::*handler)(TDataSet*);
};

const TDBSumListProducer::THookedEvent TDBSumListProducer::kHookedEvents[] = {
    {&TDataSet::AfterEdit, &TDBSumListProducer::OldAfterEdit, &TDBSumListProducer::DataSetAfterEdit},
    {&TDataSet::AfterInsert, &TDBSumListProducer::OldAfterInsert, &TDBSumListProducer::DataSetAfterInsert},
    {&TDataSet::AfterOpen, &TDBSumListProducer::OldAfterOpen, &TDBSumListProducer::DataSetAfterOpen},
    {&TDataSet::AfterPost, &TDBSumListProducer::OldAfterPost, &TDBSumListProducer::DataSetAfterPost},
    {&TDataSet::AfterScroll, &TDBSumListProducer::OldAfterScroll, &TDBSumListProducer::DataSetAfterScroll},
    {&TDataSet::BeforeDelete, &TDBSumListProducer::OldBeforeDelete, &TDBSumListProducer::DataSetBeforeDelete},
    {&TDataSet::AfterClose, &TDBSumListProducer::OldAfterClose, &TDBSumListProducer::DataSetAfterClose},
    {&TDataSet::AfterCancel, &TDBSumListProducer::OldAfterCancel, &TDBSumListProducer::DataSetAfterCancel},
};

namespace {

// The producers whose handlers sit in some dataset now (main thread only), so that one letting go
// can hand its saved handler to a producer that took over after it.
std::vector<TDBSumListProducer*>& HookedProducers() {
  static std::vector<TDBSumListProducer*> producers;
  return producers;
}

bool Destroying(const TComponent* component) { return component->GetComponentState().Contains(csDestroying); }

// Adds a field's value to an amount: floating values round to four decimals.
Currency FieldAmount(TField* field) { return field->GetIsNull() ? Currency() : field->GetAsCurrency(); }

Currency Average(Currency sum, Integer count) { return count == 0 ? Currency() : sum / count; }

}  // namespace

TDBSumListProducer::TDBSumListProducer(TComponent* owner)
    : FOwner(owner),
      FSumCollection(std::make_unique<TDBSumCollection>(this)),
      FVirtualRecList(std::make_unique<TSLBookmarkListEh>(this)),
      FWatcher(std::make_unique<TFreeWatchEh>([this](TComponent* c) { ComponentFreed(c); })) {}

TDBSumListProducer::~TDBSumListProducer() {
  // Giving the dataset its handlers back must happen whatever a notification does on the way.
  RunReportingFailure(nullptr, [this] { Deactivate(false); });
  // An owner that is loading skips the giving back; no handler of ours may outlive us all the same.
  RunReportingFailure(nullptr, [this] { ReturnEvents(); });
  // Freeing the items must not start a recalculation of a producer that is going away.
  FSumCollection->FOwner = nullptr;
  FSumCollection.reset();
  FWatcher.reset();
}

void TDBSumListProducer::Assign(TPersistent* source) {
  auto* producer = dynamic_cast<TDBSumListProducer*>(source);
  if (!producer) {
    TPersistent::Assign(source);
    return;
  }
  SetActive(producer->FActive);
  SetDataSet(producer->FDataSet);
  SetExternalRecalc(producer->FExternalRecalc);
  FSumCollection->Assign(producer->FSumCollection.get());
  SumListChanged = producer->SumListChanged;
  SetVirtualRecords(producer->FVirtualRecords);
  OnAfterRecalcAll = producer->OnAfterRecalcAll;
  OnRecalcAll = producer->OnRecalcAll;
}

bool TDBSumListProducer::OwnerLoading() const {
  return FOwner && FOwner->GetComponentState().Contains(csLoading);
}

bool TDBSumListProducer::OwnerInactive() const {
  return OwnerLoading() || (FOwner && FOwner->GetComponentState().Contains(csDesigning) && !FDesignTimeWork);
}

void TDBSumListProducer::Activate(bool recalcAll) {
  FActive = true;
  if (OwnerInactive()) return;
  SetDataSetEvents();
  if (recalcAll) RecalcAll();
}

void TDBSumListProducer::Deactivate(bool clearSumValues) {
  FActive = false;
  if (OwnerInactive()) return;
  ReturnEvents();
  if (clearSumValues && !FDataSetChanging) ClearSumValues();
}

void TDBSumListProducer::ActivateIfActive() {
  if (FDataSet && FActive) Activate(true);
}

void TDBSumListProducer::SetActive(bool value) {
  if (value == FActive) return;
  if (value)
    Activate(true);
  else
    Deactivate(true);
}

void TDBSumListProducer::SetDataSet(TDataSet* value) {
  if (value == FDataSet) {
    if (value && Destroying(value)) {
      ReturnEvents();
      Unwatch(FDataSet);
      FDataSet = nullptr;
    }
    return;
  }
  if (OwnerInactive()) {
    Unwatch(FDataSet);
    FDataSet = value;
    Watch(FDataSet);
    return;
  }
  FDataSetChanging = true;
  auto changed = MakeScopeExit([&] { FDataSetChanging = false; });
  bool wasActive = FActive;
  Deactivate(true);
  Unwatch(FDataSet);
  FDataSet = value;
  Watch(FDataSet);
  if (wasActive)
    Activate(true);
  else
    ClearSumValues();
}

void TDBSumListProducer::SetExternalRecalc(bool value) {
  if (value == FExternalRecalc) return;
  FExternalRecalc = value;
  RecalcAll();
}

void TDBSumListProducer::SetVirtualRecords(bool value) {
  if (value == FVirtualRecords) return;
  FVirtualRecords = value;
  if (value) RecalcAll();
}

void TDBSumListProducer::SetSumCollection(TDBSumCollection* value) { FSumCollection->Assign(value); }

void TDBSumListProducer::Watch(TDataSet* dataSet) {
  if (dataSet) FWatcher->FreeNotification(dataSet);
}

// Called for the dataset being let go; it may still be watched as the master.
void TDBSumListProducer::Unwatch(TDataSet* dataSet) {
  if (dataSet && dataSet != FMasterDataset) FWatcher->RemoveFreeNotification(dataSet);
}

void TDBSumListProducer::ComponentFreed(TComponent* component) {
  if (component == FDataSet) {
    // Its handlers go with it; nothing is given back into a dataset that is being freed.
    ReturnEvents();
    FDataSet = nullptr;
  }
  if (component == FMasterDataset) {
    FMasterDataset = nullptr;
    FMasterPropInfo = nullptr;
    OldMasterAfterScroll = nullptr;
  }
}

// ---- Taking over and giving back ----

void TDBSumListProducer::SetDataSetEvents() {
  if (!FDataSet || FEventsOverloaded) return;
  FMasterPropInfo = GetPropInfo(FDataSet, u"MasterSource");
  FMasterDataset = FMasterPropInfo ? GetDataSetOfSourcePropEh(FDataSet, FMasterPropInfo) : nullptr;
  for (const THookedEvent& e : kHookedEvents) {
    this->*e.saved = FDataSet->*e.slot;
    FDataSet->*e.slot = TDataSetNotifyEvent(this, e.handler);
  }
  if (FMasterDataset) {
    OldMasterAfterScroll = FMasterDataset->AfterScroll;
    FMasterDataset->AfterScroll = TDataSetNotifyEvent(this, &TDBSumListProducer::MasterDataSetAfterScroll);
    Watch(FMasterDataset);
  }
  FEventsOverloaded = true;
  HookedProducers().push_back(this);
}

// A slot still holding our handler gets the saved one back. Otherwise someone put another handler in
// after us: a producer that took over later (it saved ours, and now saves what we saved instead), or
// the application, whose handler stays where it put it.
void TDBSumListProducer::GiveBack(TDataSetNotifyEvent& slot, TDataSetNotifyEvent TDBSumListProducer::*saved,
                                  const TDataSetNotifyEvent& ours) {
  if (slot == ours) {
    slot = this->*saved;
    return;
  }
  static constexpr TDataSetNotifyEvent TDBSumListProducer::*kSavedSlots[] = {
      &TDBSumListProducer::OldAfterCancel,      &TDBSumListProducer::OldAfterClose,
      &TDBSumListProducer::OldAfterEdit,        &TDBSumListProducer::OldAfterInsert,
      &TDBSumListProducer::OldAfterOpen,        &TDBSumListProducer::OldAfterPost,
      &TDBSumListProducer::OldAfterScroll,      &TDBSumListProducer::OldBeforeDelete,
      &TDBSumListProducer::OldMasterAfterScroll};
  for (TDBSumListProducer* other : HookedProducers()) {
    if (other == this) continue;
    for (auto otherSaved : kSavedSlots) {
      if (other->*otherSaved == ours) {
        other->*otherSaved = this->*saved;
        return;
      }
    }
  }
}

void TDBSumListProducer::ReturnEvents() {
  if (!FEventsOverloaded) return;
  if (FDataSet && !Destroying(FDataSet)) {
    for (const THookedEvent& e : kHookedEvents)
      GiveBack(FDataSet->*e.slot, e.saved, TDataSetNotifyEvent(this, e.handler));
  }
  if (FMasterDataset && !Destroying(FMasterDataset))
    GiveBack(FMasterDataset->AfterScroll, &TDBSumListProducer::OldMasterAfterScroll,
             TDataSetNotifyEvent(this, &TDBSumListProducer::MasterDataSetAfterScroll));
  for (const THookedEvent& e : kHookedEvents) this->*e.saved = nullptr;
  OldMasterAfterScroll = nullptr;
  TDataSet* master = FMasterDataset;
  FMasterDataset = nullptr;
  FMasterPropInfo = nullptr;
  if (master && master != FDataSet) FWatcher->RemoveFreeNotification(master);
  FEventsOverloaded = false;
  auto& hooked = HookedProducers();
  hooked.erase(std::remove(hooked.begin(), hooked.end(), this), hooked.end());
  FVirtualRecList->Clear();
}

// ---- Dataset events ----

TField* TDBSumListProducer::FieldOf(TDBSum* sum) const {
  if (!FDataSet || sum->FFieldName.empty()) return nullptr;
  return FDataSet->FindField(sum->FFieldName);
}

void TDBSumListProducer::DataSetAfterEdit(TDataSet* dataSet) {
  if (FActive) {
    for (int i = 0; i < FSumCollection->GetCount(); ++i) {
      TDBSum* sum = FSumCollection->GetItem(i);
      TField* field = FieldOf(sum);
      if (!sum->TakesPart() || (!sum->FFieldName.empty() && !field)) continue;
      if (sum->FGroupOperation == goCount) {
        sum->Value = field && field->GetIsNull() ? 0 : 1;
        continue;
      }
      sum->Value = FieldAmount(field);
      sum->VarValue = field->GetIsNull() ? Variant::Null() : field->GetAsVariant();
    }
  }
  if (OldAfterEdit) OldAfterEdit(dataSet);
}

void TDBSumListProducer::DataSetAfterInsert(TDataSet* dataSet) {
  if (FActive) {
    for (int i = 0; i < FSumCollection->GetCount(); ++i) {
      TDBSum* sum = FSumCollection->GetItem(i);
      sum->Value = Currency();
      sum->VarValue = Variant::Null();
    }
    if (!FDataSet->IsSequenced() && FVirtualRecords) {
      TBookmark bookmark = FDataSet->GetBookmark();
      if (bookmark.empty())
        FTryedInsert = true;
      else
        FVirtualRecList->AddItem(bookmark);
    }
  }
  if (OldAfterInsert) OldAfterInsert(dataSet);
}

void TDBSumListProducer::DataSetAfterOpen(TDataSet* dataSet) {
  if (FActive) RecalcAll();
  if (OldAfterOpen) OldAfterOpen(dataSet);
}

void TDBSumListProducer::DataSetAfterPost(TDataSet* dataSet) {
  if (FActive) {
    for (int i = 0; i < FSumCollection->GetCount(); ++i) {
      TDBSum* sum = FSumCollection->GetItem(i);
      TField* field = FieldOf(sum);
      if (!sum->TakesPart() || (!sum->FFieldName.empty() && !field)) continue;
      bool isNull = field && field->GetIsNull();
      switch (sum->FGroupOperation) {
        case goSum:
          sum->SumValue -= sum->Value;
          if (!isNull) sum->SumValue += FieldAmount(field);
          break;
        case goAvg:
          if (isNull) {
            if (!VarIsNull(sum->VarValue)) --sum->FNotNullRecordCount;
            sum->FSumValueAsSum -= sum->Value;
          } else {
            if (VarIsNull(sum->VarValue)) ++sum->FNotNullRecordCount;
            sum->FSumValueAsSum = sum->FSumValueAsSum - sum->Value + FieldAmount(field);
          }
          sum->SumValue = Average(sum->FSumValueAsSum, sum->FNotNullRecordCount);
          break;
        case goCount:
          sum->SumValue -= sum->Value;
          if (!isNull) sum->SumValue += 1;
          break;
      }
    }
    if (!FDataSet->IsSequenced() && FVirtualRecords && FTryedInsert) PlacePostedBookmark();
    DoSumListChanged();
  }
  if (OldAfterPost) OldAfterPost(dataSet);
  if (FRecalcPending) RecalcAll();
}

// Walks from the last position found to the place of the posted record in dataset order.
void TDBSumListProducer::PlacePostedBookmark() {
  TBookmark bookmark = FDataSet->GetBookmark();
  Integer count = FVirtualRecList->GetCount();
  Integer i = FOldRecNo < 0 || FOldRecNo >= count ? 0 : FOldRecNo;
  while (i < count && CompareDataSetBookmarksEh(FDataSet, FVirtualRecList->GetItem(i), bookmark) < 0) ++i;
  while (i > 0 && CompareDataSetBookmarksEh(FDataSet, FVirtualRecList->GetItem(i - 1), bookmark) >= 0) --i;
  FVirtualRecList->InsertItem(i, bookmark);
  FTryedInsert = false;
}

void TDBSumListProducer::DataSetAfterScroll(TDataSet* dataSet) {
  if (OldAfterScroll) OldAfterScroll(dataSet);
  if (!FActive || Changing) return;
  if (FDataSet->GetFiltered() != Filtered || (FDataSet->GetFiltered() && FDataSet->GetFilter() != Filter))
    RecalcAll();
}

void TDBSumListProducer::MasterDataSetAfterScroll(TDataSet* dataSet) {
  if (OldMasterAfterScroll) OldMasterAfterScroll(dataSet);
  if (FActive && !Changing) RecalcAll();
}

void TDBSumListProducer::DataSetBeforeDelete(TDataSet* dataSet) {
  if (OldBeforeDelete) OldBeforeDelete(dataSet);
  if (!FActive) return;
  // A record deleted while being edited leaves with what it had when the edit began, not with the
  // typed values that never reached the aggregates.
  bool editing = FDataSet->GetState() == dsEdit;
  for (int i = 0; i < FSumCollection->GetCount(); ++i) {
    TDBSum* sum = FSumCollection->GetItem(i);
    TField* field = FieldOf(sum);
    if (!sum->TakesPart() || (!sum->FFieldName.empty() && !field)) continue;
    Currency amount = editing ? sum->Value : field ? FieldAmount(field) : Currency();
    bool isNull =
        editing ? (sum->FGroupOperation == goCount ? sum->Value == Currency() : VarIsNull(sum->VarValue))
                : field && field->GetIsNull();
    switch (sum->FGroupOperation) {
      case goSum:
        sum->SumValue -= amount;
        break;
      case goAvg:
        sum->FSumValueAsSum -= amount;
        if (!isNull) --sum->FNotNullRecordCount;
        sum->SumValue = Average(sum->FSumValueAsSum, sum->FNotNullRecordCount);
        break;
      case goCount:
        if (!isNull) sum->SumValue -= 1;
        break;
    }
  }
  if (!FDataSet->IsSequenced() && FVirtualRecords) {
    Integer index = IndexOfBookmark(FDataSet->GetBookmark());
    if (index >= 0) FVirtualRecList->DeleteItem(index);
  }
  DoSumListChanged();
}

void TDBSumListProducer::DataSetAfterCancel(TDataSet* dataSet) {
  if (OldAfterCancel) OldAfterCancel(dataSet);
  FTryedInsert = false;
  if (FRecalcPending) RecalcAll();
}

void TDBSumListProducer::DataSetAfterClose(TDataSet* dataSet) {
  if (FActive) {
    ClearSumValues();
    DoSumListChanged();
    Changing = false;
  }
  FVirtualRecList->Clear();
  if (OldAfterClose) OldAfterClose(dataSet);
}

// ---- Values ----

void TDBSumListProducer::DoSumListChanged() {
  if (!FRecalcAllSilently && SumListChanged) SumListChanged(this);
}

void TDBSumListProducer::ClearSumValues() {
  for (int i = 0; i < FSumCollection->GetCount(); ++i) FSumCollection->GetItem(i)->Reset();
  DoSumListChanged();
}

void TDBSumListProducer::RecalcAllSilently() {
  bool silent = FRecalcAllSilently;
  FRecalcAllSilently = true;
  auto restore = MakeScopeExit([&] { FRecalcAllSilently = silent; });
  RecalcAll();
}

void TDBSumListProducer::RememberFilter() {
  Filtered = FDataSet->GetFiltered();
  Filter = FDataSet->GetFilter();
}

bool TDBSumListProducer::IsMemTable() const { return FDataSet && Supports<IMemTableEh>(FDataSet); }

// Flags the aggregates whose field the dataset lacks; they are left out of the calculation.
void TDBSumListProducer::FindMissingFields() {
  for (int i = 0; i < FSumCollection->GetCount(); ++i) {
    TDBSum* sum = FSumCollection->GetItem(i);
    sum->FFieldMissing = !sum->FFieldName.empty() && !FieldOf(sum);
  }
}

bool TDBSumListProducer::AnyCalculatedField() const {
  for (int i = 0; i < FSumCollection->GetCount(); ++i) {
    TField* field = FieldOf(FSumCollection->GetItem(i));
    if (field && field->GetCalculated()) return true;
  }
  return false;
}

void TDBSumListProducer::RecalcAll() {
  if (!FDataSet || !FActive || OwnerLoading() || !FDataSet->GetActive()) return;
  if (IsMemTable() && !AnyCalculatedField()) {
    RecalcAllForIntMemTable();
    RememberFilter();
    return;
  }
  if (OwnerInactive() || !FEventsOverloaded) return;
  // A scan would post the record being edited on its way; it waits for the post or the cancel.
  if (FDataSet->GetState() == dsEdit || FDataSet->GetState() == dsInsert) {
    FRecalcPending = true;
    return;
  }
  FRecalcPending = false;
  ClearSumValues();
  FOldRecNo = -1;
  if (OnRecalcAll) OnRecalcAll(this);
  TryFinally(
      [&] {
        if (FExternalRecalc) return;
        bool anyTakesPart = false;
        for (int i = 0; i < FSumCollection->GetCount(); ++i)
          anyTakesPart = anyTakesPart || FSumCollection->GetItem(i)->TakesPart();
        if (anyTakesPart || FVirtualRecords) ScanDataSet();
        if (OnAfterRecalcAll) OnAfterRecalcAll(this);
      },
      [&] {
        RememberFilter();
        Changing = false;
        DoSumListChanged();
      });
}

void TDBSumListProducer::ScanDataSet() {
  FindMissingFields();
  std::vector<std::pair<TDBSum*, TField*>> counted;
  for (int i = 0; i < FSumCollection->GetCount(); ++i) {
    TDBSum* sum = FSumCollection->GetItem(i);
    if (sum->TakesPart() && !sum->FFieldMissing) counted.emplace_back(sum, FieldOf(sum));
  }
  TBookmark place;
  if (!(IsMemTable() && FDataSet->IsEmpty())) place = FDataSet->GetBookmark();
  FDataSet->DisableControls();
  TryFinally(
      [&] {
        FVirtualRecList->Clear();
        Changing = true;
        for (FDataSet->First(); !FDataSet->Eof(); FDataSet->Next()) {
          for (auto [sum, field] : counted) {
            bool isNull = field && field->GetIsNull();
            switch (sum->FGroupOperation) {
              case goSum:
                if (!isNull) sum->SumValue += FieldAmount(field);
                break;
              case goAvg:
                if (!isNull) ++sum->FNotNullRecordCount;
                sum->FSumValueAsSum += FieldAmount(field);
                break;
              case goCount:
                if (!isNull) sum->SumValue += 1;
                break;
            }
          }
          if (FVirtualRecords) FVirtualRecList->AddItem(FDataSet->GetBookmark());
        }
        if (!place.empty() && BookmarkInVisibleView(place))
          FDataSet->GotoBookmark(place);
        else
          FDataSet->First();
        for (auto [sum, field] : counted)
          if (sum->FGroupOperation == goAvg)
            sum->SumValue = Average(sum->FSumValueAsSum, sum->FNotNullRecordCount);
      },
      [&] { FDataSet->EnableControls(); });
}

// The table aggregates by itself; an average also keeps its sum and count so that later posts can
// adjust it like a scanned one.
void TDBSumListProducer::RecalcAllForIntMemTable() {
  IMemTableEh* table = nullptr;
  if (OwnerLoading() || !FActive || !FDataSet || !FDataSet->GetActive() || !Supports(FDataSet, &table))
    return;
  table->FetchRecords(-1);
  if (OnRecalcAll) OnRecalcAll(this);
  FindMissingFields();
  auto amount = [](const Variant& v) { return VarIsNull(v) ? Currency() : v.AsCurrency(); };
  for (int i = 0; i < FSumCollection->GetCount(); ++i) {
    TDBSum* sum = FSumCollection->GetItem(i);
    sum->Reset();
    if (!sum->TakesPart() || sum->FFieldMissing) continue;
    TAggrResultArr results(5, Variant::Null());
    switch (sum->FGroupOperation) {
      case goSum:
        table->GetAggregatedValuesForRange({}, {}, sum->FFieldName, results, TAggrFunctionsEh{agfSumEh});
        sum->SumValue = amount(results[agfSumEh]);
        break;
      case goAvg:
        table->GetAggregatedValuesForRange({}, {}, sum->FFieldName, results,
                                           TAggrFunctionsEh{agfSumEh, agfCountEh, agfAvg});
        sum->FSumValueAsSum = amount(results[agfSumEh]);
        sum->FNotNullRecordCount = VarIsNull(results[agfCountEh]) ? 0 : results[agfCountEh].AsInteger();
        sum->SumValue = Average(sum->FSumValueAsSum, sum->FNotNullRecordCount);
        break;
      case goCount:
        table->GetAggregatedValuesForRange({}, {}, sum->FFieldName, results, TAggrFunctionsEh{agfCountEh});
        sum->SumValue = amount(results[agfCountEh]);
        break;
    }
  }
  if (OnAfterRecalcAll) OnAfterRecalcAll(this);
  DoSumListChanged();
}

// ---- Record numbering ----

Integer TDBSumListProducer::GetRecNo() {
  if (!FDataSet) return -1;
  if (!VirtualOn()) return FDataSet->RecNo();
  return IndexOfBookmark(FDataSet->GetBookmark()) + 1;
}

void TDBSumListProducer::SetRecNo(Integer value) {
  if (!FDataSet) return;
  if (!FDataSet->IsSequenced() && VirtualOn())
    FDataSet->GotoBookmark(FVirtualRecList->GetItem(value - 1));
  else
    FDataSet->SetRecNo(value);
}

Integer TDBSumListProducer::RecordCount() {
  if (!FDataSet) return 0;
  return VirtualOn() ? FVirtualRecList->GetCount() : FDataSet->RecordCount();
}

bool TDBSumListProducer::IsSequenced() {
  if (!FDataSet) return false;
  if (FDataSet->IsSequenced()) return true;
  if (!VirtualOn()) return false;
  return FVirtualRecList->GetCount() > 0 || (FDataSet->Bof() && FDataSet->Eof());
}

Integer TDBSumListProducer::IndexOfBookmark(const TBookmark& bookmark) {
  Integer count = FVirtualRecList->GetCount();
  if (count == 0) return -1;
  Integer i = FOldRecNo < 0 || FOldRecNo >= count ? 0 : FOldRecNo;
  Integer order = CompareDataSetBookmarksEh(FDataSet, FVirtualRecList->GetItem(i), bookmark);
  while (order > 0 && --i >= 0)
    order = CompareDataSetBookmarksEh(FDataSet, FVirtualRecList->GetItem(i), bookmark);
  while (order < 0 && ++i < count)
    order = CompareDataSetBookmarksEh(FDataSet, FVirtualRecList->GetItem(i), bookmark);
  if (i < 0 || i >= count) return -1;
  FOldRecNo = i;
  return order == 0 ? i : -1;
}

bool TDBSumListProducer::BookmarkInVisibleView(const TBookmark& bookmark) {
  IMemTableEh* table = nullptr;
  if (Supports(FDataSet, &table)) return table->BookmarkInVisibleView(bookmark);
  return IsDataSetBookmarkValidEh(FDataSet, bookmark);
}
