// Footer sum lists: sums, averages and record counts kept current over a dataset that the list watches
// without owning, by taking over the dataset's event handlers and passing every event on to them.
#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/classes/Collection.h"
#include "platform/classes/Component.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/Variant.h"

class TDBSumListProducer;

// Calls back when a component it watches is freed: for objects that refer to components they do
// not own and are no components themselves.
class TFreeWatchEh : public TComponent {
 public:
  explicit TFreeWatchEh(std::function<void(TComponent*)> freed)
      : TComponent(nullptr), freed_(std::move(freed)) {}

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && freed_) freed_(component);
  }

 private:
  std::function<void(TComponent*)> freed_;
};

enum TGroupOperation { goSum, goAvg, goCount };
const TTypeInfo* TypeInfoGroupOperation();

// One aggregate of a sum list. An aggregate takes part only when it counts records or names a field.
class TDBSum : public TCollectionItem {
  KIV_CLASS(TDBSum, TCollectionItem)
 public:
  explicit TDBSum(TCollection* collection);
  static void Published(TPropBuilder<TDBSum>& p);

  void Assign(TPersistent* source) override;

  const String& GetFieldName() const { return FFieldName; }
  void SetFieldName(const String& value);
  TGroupOperation GetGroupOperation() const { return FGroupOperation; }
  void SetGroupOperation(TGroupOperation value);
  bool TakesPart() const { return FGroupOperation == goCount || !FFieldName.empty(); }
  // The dataset had no field of that name at the last recalculation; the aggregate then stays 0
  // instead of failing the dataset's open.
  bool GetFieldMissing() const { return FFieldMissing; }
  Integer GetNotNullRecordCount() const { return FNotNullRecordCount; }

  // The current record's contribution as it was when editing or inserting began.
  Currency Value;
  // The aggregate's result.
  Currency SumValue;
  // The current record's field value as it was when editing or inserting began (averages).
  Variant VarValue;

 private:
  friend class TDBSumListProducer;
  void Reset();

  String FFieldName;
  TGroupOperation FGroupOperation = goSum;
  Integer FNotNullRecordCount = 0;
  Currency FSumValueAsSum;
  bool FFieldMissing = false;
};

class TDBSumCollection : public TCollection {
  KIV_CLASS(TDBSumCollection, TCollection)
 public:
  explicit TDBSumCollection(TDBSumListProducer* owner);

  TDBSum* Add() { return static_cast<TDBSum*>(TCollection::Add()); }
  TDBSum* GetItem(int index) const { return Items<TDBSum>(index); }
  void SetItem(int index, TDBSum* value) { GetItem(index)->Assign(value); }
  // The first aggregate of that operation whose field name matches ignoring case; null for none.
  TDBSum* GetSumByOpAndFName(TGroupOperation groupOperation, const String& fieldName) const;
  TPersistent* GetOwner() const override;

 protected:
  void Update(TCollectionItem* item) override;

 private:
  friend class TDBSumListProducer;
  TDBSumListProducer* FOwner;
};

// The producer's own record numbering: the bookmarks of all records in dataset order.
class TSLBookmarkListEh : public TBMListEh {
  KIV_CLASS(TSLBookmarkListEh, TBMListEh)
 public:
  explicit TSLBookmarkListEh(TDBSumListProducer* sumListProducer) : FSumListProducer(sumListProducer) {}
  TDataSet* GetDataSet() const override;

 private:
  TDBSumListProducer* FSumListProducer;
};

// Keeps a list of aggregates up to date over one dataset: adjusts them per posted or deleted record,
// recalculates when the dataset opens, its filter changes or its master record moves, and lets an
// in-memory table aggregate by itself.
class TDBSumListProducer : public TPersistent {
  KIV_CLASS(TDBSumListProducer, TPersistent)
 public:
  explicit TDBSumListProducer(TComponent* owner);
  // Gives the dataset's handlers back and keeps the values.
  ~TDBSumListProducer() override;

  void Assign(TPersistent* source) override;

  void Activate(bool recalcAll);
  void Deactivate(bool clearSumValues);
  // The owner calls it when it has finished loading.
  void ActivateIfActive();

  bool GetActive() const { return FActive; }
  void SetActive(bool value);
  TDataSet* GetDataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* value);
  bool GetExternalRecalc() const { return FExternalRecalc; }
  void SetExternalRecalc(bool value);
  bool GetVirtualRecords() const { return FVirtualRecords; }
  void SetVirtualRecords(bool value);
  // With virtual records, the position in the producer's own list; else the dataset's.
  virtual Integer GetRecNo();
  virtual void SetRecNo(Integer value);
  TDBSumCollection* GetSumCollection() const { return FSumCollection.get(); }
  void SetSumCollection(TDBSumCollection* value);
  TBMListEh* GetVirtualRecList() const { return FVirtualRecList.get(); }
  bool GetEventsOverloaded() const { return FEventsOverloaded; }
  TComponent* GetOwnerComponent() const { return FOwner; }

  virtual Integer IndexOfBookmark(const TBookmark& bookmark);
  virtual bool IsSequenced();
  virtual Integer RecordCount();
  virtual void ClearSumValues();
  virtual void RecalcAll();
  void RecalcAllSilently();
  bool BookmarkInVisibleView(const TBookmark& bookmark);

  // Raised after every change of the values.
  TNotifyEvent SumListChanged;
  TNotifyEvent OnAfterRecalcAll;
  // At the start of a full recalculation; with ExternalRecalc the handler fills the values.
  TNotifyEvent OnRecalcAll;

 protected:
  virtual void DataSetAfterCancel(TDataSet* dataSet);
  virtual void DataSetAfterClose(TDataSet* dataSet);
  virtual void DataSetAfterEdit(TDataSet* dataSet);
  virtual void DataSetAfterInsert(TDataSet* dataSet);
  virtual void DataSetAfterOpen(TDataSet* dataSet);
  virtual void DataSetAfterPost(TDataSet* dataSet);
  virtual void DataSetAfterScroll(TDataSet* dataSet);
  virtual void DataSetBeforeDelete(TDataSet* dataSet);
  virtual void ReturnEvents();
  virtual void RecalcAllForIntMemTable();
  virtual void SetDataSetEvents();
  void DoSumListChanged();

  bool OwnerLoading() const;
  // Designed without design-time work, or loading: nothing is hooked or calculated.
  bool OwnerInactive() const;

  bool FVirtualRecords = false;
  // A full scan is moving the dataset: scroll handling is off.
  bool Changing = false;
  bool FActive = true;
  TDataSet* FDataSet = nullptr;
  bool FDesignTimeWork = false;
  bool FEventsOverloaded = false;
  bool FExternalRecalc = false;
  String Filter;
  bool Filtered = false;
  TDataSet* FMasterDataset = nullptr;
  const TPropInfo* FMasterPropInfo = nullptr;
  Integer FOldRecNo = -1;
  TComponent* FOwner;
  bool FRecalcAllSilently = false;
  std::unique_ptr<TDBSumCollection> FSumCollection;
  bool FTryedInsert = false;
  std::unique_ptr<TBMListEh> FVirtualRecList;
  bool FDataSetChanging = false;
  TDataSetNotifyEvent OldAfterCancel, OldAfterClose, OldAfterEdit, OldAfterInsert, OldAfterOpen, OldAfterPost,
      OldAfterScroll, OldBeforeDelete;
  TDataSetNotifyEvent OldMasterAfterScroll;

 private:
  struct THookedEvent;
  static const THookedEvent kHookedEvents[];

  void MasterDataSetAfterScroll(TDataSet* dataSet);
  void Watch(TDataSet* dataSet);
  void Unwatch(TDataSet* dataSet);
  void ComponentFreed(TComponent* component);
  void GiveBack(TDataSetNotifyEvent& slot, TDataSetNotifyEvent TDBSumListProducer::*saved,
                const TDataSetNotifyEvent& ours);
  void RememberFilter();
  void ScanDataSet();
  void PlacePostedBookmark();
  void FindMissingFields();
  bool AnyCalculatedField() const;
  // The aggregate's field; null when it names none or the dataset lacks it.
  TField* FieldOf(TDBSum* sum) const;
  bool IsMemTable() const;
  bool VirtualOn() const { return FVirtualRecords && FActive; }

  std::unique_ptr<TComponent> FWatcher;
  bool FRecalcPending = false;
};
