// Record indexes of a records list: entries sorted by key for bisection, kept current by the list's
// notifications; unique and primary indexes refuse duplicate keys before the change is made.
#pragma once

#include "gridlib/memtable/MemTableDataEh.h"

// One entry: the key (a value, or a variant array for several fields) and the record's list position.
class TIndexItemEh : public TObject {
  KIV_CLASS(TIndexItemEh, TObject)
 public:
  TIndexItemEh(const Variant& value, Integer recIndex) : Value(value), RecIndex(recIndex) {}
  Variant Value;
  Integer RecIndex;
};

class TMTIndexEh : public TCollectionItem {
  KIV_CLASS(TMTIndexEh, TCollectionItem)
 public:
  explicit TMTIndexEh(TCollection* collection);
  // An index that belongs to no collection and reads recordsList.
  static TMTIndexEh* CreateApart(TRecordsListEh* recordsList);
  ~TMTIndexEh() override;

  bool GetActive() const { return active_; }
  void SetActive(bool value);
  const String& GetFields() const { return fields_; }
  void SetFields(const String& value);
  bool GetPrimary() const { return primary_; }
  void SetPrimary(bool value);
  bool GetUnical() const { return unical_; }
  void SetUnical(bool value);
  // Text keys compare ignoring letter case (locale-aware, Cyrillic included); changing it rebuilds.
  bool GetCaseInsensitive() const { return caseInsensitive_; }
  void SetCaseInsensitive(bool value);
  // Active with fields: only then it holds entries and follows notifications.
  bool InUse() const { return active_ && !fields_.empty(); }
  TRecordsListEh* GetRecordsList() const;

  void RebuildIndex();
  void ClearIndex();
  // Raises the unique-key violation for the first repeated non-null key.
  void CheckUnical();
  void QuickSort(Integer l, Integer r);

  Integer GetCount() const { return recList_.GetCount(); }
  TIndexItemEh* GetItem(Integer index) const { return static_cast<TIndexItemEh*>(recList_.Get(index)); }
  Variant GetKeyValue(Integer index) const { return GetItem(index)->Value; }
  // True when an equal key is there (not necessarily the first of several); index is then that entry,
  // else where the key would go. Raises when the key cannot be compared with an entry.
  bool FindKeyValueIndex(const Variant& value, Integer& index) const;
  bool FindRecordIndexByKey(const Variant& value, Integer& index) const;
  void FillMatchedKeyList(const Variant& value, TList* list) const;
  void FillMatchedRecsList(const Variant& value, TList* list) const;

  void RecordsListNotify(TMemoryRecordEh* rec, Integer index, TRecordsListNotification action);
  virtual void RecordMoved(TMemoryRecordEh* item, Integer oldIndex, Integer newIndex);

 protected:
  virtual void InsertItem(Integer index, const Variant& value, TIndexItemEh* item);

 private:
  Variant KeyOf(TMemoryRecordEh* rec, TDataValueVersionEh version) const;
  TIntArray FieldIndexes() const;
  [[noreturn]] void RaiseUniqueViolation(const Variant& key) const;
  // The entry of the record among the equal keys; -1 when it has none.
  Integer FindEntryOfRecord(const Variant& key, Integer recIndex) const;
  void ShiftRecIndexes(Integer fromRecIndex, Integer delta);

  // VarCompareValuesEh, with text upper-cased first when the index ignores case.
  TVariantRelationship CompareKeys(const Variant& a, const Variant& b) const;

  bool active_ = false;
  bool caseInsensitive_ = false;
  String fields_;
  Variant oldValue_;
  bool primary_ = false;
  TObjectListEh recList_;
  TRecordsListEh* recordsList_ = nullptr;
  bool unical_ = false;
};

class TMTIndexesEh : public TCollection {
  KIV_CLASS(TMTIndexesEh, TCollection)
 public:
  explicit TMTIndexesEh(TRecordsListEh* recList);

  TMTIndexEh* Add() { return static_cast<TMTIndexEh*>(TCollection::Add()); }
  TMTIndexEh* GetItem(Integer index) const { return Items<TMTIndexEh>(index); }
  void SetItem(Integer index, TMTIndexEh* value) { TCollection::SetItem(index, value); }
  TRecordsListEh* GetRecList() const { return recList_; }
  // The first index whose Fields equal these ignoring case; null when none.
  TMTIndexEh* GetIndexForFields(const String& fields) const;
  void UpdateIndexes();
  void RecordsListNotify(TMemoryRecordEh* rec, Integer index, TRecordsListNotification action);
  virtual void RecordMoved(TMemoryRecordEh* item, Integer oldIndex, Integer newIndex);

 private:
  TRecordsListEh* recList_;
};
