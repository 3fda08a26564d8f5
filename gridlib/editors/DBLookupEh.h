// The lookup settings of a grid column: which key fields of the grid's dataset match which fields of a
// lookup dataset and which of its fields gives the text, with a sorted key-to-display cache.
#pragma once

#include <memory>
#include <vector>

#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/classes/Collection.h"
#include "platform/data/DataSource.h"

class TDBLookupDataEh;

// What the owner of lookup settings (a grid column) offers them.
class ILookupDataOwnerEh : public IInterface {
 public:
  // The column's bound field, or nil.
  virtual TField* GetLookupOwnerField() = 0;
  // The data source of the column's grid, or nil.
  virtual TDataSource* GetLookupOwnerDataSource() = 0;
  // The component named in field errors (the grid), or nil.
  virtual TComponent* GetLookupOwnerComponent() = 0;
  // The lookup became set up or active, or is still so after a change.
  virtual void LookupParamsChanged() = 0;
};

class TLookupPairEh : public TObject {
  KIV_CLASS(TLookupPairEh, TObject)
 public:
  TLookupPairEh(const Variant& keyValue, const Variant& displayValue)
      : KeyValue(keyValue), DisplayValue(displayValue) {}
  Variant KeyValue;
  Variant DisplayValue;
};

// (key, display) pairs, sorted by key under a total order so that bisection always finds a key that is
// there, whatever mix of types the keys have.
class TLookupListEh : public TObject {
  KIV_CLASS(TLookupListEh, TObject)
 public:
  TLookupListEh() = default;
  ~TLookupListEh() override;

  Integer Count() const { return static_cast<Integer>(list_.size()); }
  const TLookupPairEh& GetPair(Integer index) const { return *list_[static_cast<size_t>(index)]; }
  void Add(const Variant& keyValue, const Variant& displayValue);
  void Clear();
  // Stable: among equal keys the first added stays first, and the search answers it.
  void SortData();
  // The display value of the key; Null when the key is not there.
  Variant ValueOfKey(const Variant& keyValue) const;
  // The first pair whose key is not less than keyValue; true when its key equals it.
  bool FindKeyIndex(const Variant& keyValue, Integer& index) const;

 private:
  std::vector<std::unique_ptr<TLookupPairEh>> list_;
};

// A total order of key values: Unassigned, Null, numbers (dates, booleans and decimals by value), texts
// (by code units), arrays (element by element, then by length), anything else by its text. Negative,
// 0 or positive.
int CompareLookupKeysEh(const Variant& a, const Variant& b);

// The link to the grid's data source (the key side).
class TDataSourceLinkEh : public TDataLink {
  KIV_CLASS(TDataSourceLinkEh, TDataLink)
 public:
  TDBLookupDataEh* FLookupData = nullptr;

 protected:
  void ActiveChanged() override;
  void LayoutChanged() override;
};

// The link to the lookup dataset (the list side).
class TListSourceLinkEh : public TDataLink {
  KIV_CLASS(TListSourceLinkEh, TDataLink)
 public:
  TListSourceLinkEh() = default;
  TDBLookupDataEh* FLookupData = nullptr;

 protected:
  void ActiveChanged() override;
  void LayoutChanged() override;
  void DataSetChanged() override;
  // Moving about the lookup dataset changes none of its data.
  void DataSetScrolled(int) override {}
  void RecordChanged(TField* field) override;
};

class TLookupDataNotifierEh;

class TDBLookupDataEh : public TPersistent {
  KIV_CLASS(TDBLookupDataEh, TPersistent)
 public:
  // axisBar: the owning column; its ILookupDataOwnerEh (when it offers one) gives field, grid and
  // data source.
  explicit TDBLookupDataEh(TCollectionItem* axisBar);
  ~TDBLookupDataEh() override;
  void Assign(TPersistent* source) override;

  TCollectionItem* GetAxisBar() const { return axisBar_; }
  TDataSource* GetDataSource() const;
  String GetKeyFieldNames() const;
  void SetKeyFieldNames(const String& value);
  const TFieldsArrEh& GetKeyFields() const { return keyFields_; }
  bool GetKeyFieldsIsNull() const;
  bool GetLookupActive() const { return lookupActive_; }
  bool GetLookupCache() const { return lookupCache_; }
  void SetLookupCache(bool value);
  TDataSet* GetLookupDataSet() const;
  void SetLookupDataSet(TDataSet* value);
  TField* GetLookupDisplayField() const { return lookupDisplayField_; }
  String GetLookupDisplayFieldName() const;
  void SetLookupDisplayFieldName(const String& value);
  bool GetLookupInDataField() const { return lookupInDataField_; }
  bool GetLookupIsSetUp() const { return lookupIsSetUp_; }
  String GetLookupKeyFieldNames() const;
  void SetLookupKeyFieldNames(const String& value);
  const TFieldsArrEh& GetLookupKeyFields() const { return lookupKeyFields_; }
  TDataSource* GetLookupListSource() const { return internalLookupSource_.get(); }
  const TLookupListEh& GetLookupListCache() const { return *lookupListCache_; }
  // Whether the four settings are stored (not taken from a lookup field).
  bool LookupDataIsStored() const { return !lookupInDataField_; }

  // The display value for the key of the grid's current record; Null when there is none.
  Variant GetLookupValue();
  Variant GetLookupValueVar() { return GetLookupValue(); }
  // The same for a row of the grid's in-memory table; value is left alone for other datasets.
  virtual void GetLookupValueOfRow(Integer rowIndex, Variant& value);
  void RefreshLookupListCache();
  void UpdateLookupState() { UpdateDataFields(); }

  // The lookup dataset's data changed: the cache is read again before the next lookup.
  void LookupListDataChanged();
  virtual void LookupDataChanged();
  virtual void UpdateDataFields();
  virtual void UpdateLookupFields();
  virtual void LookupDataSetChanged();

 private:
  friend class TLookupDataNotifierEh;
  ILookupDataOwnerEh* Owner() const;
  TField* OwnerField() const;
  bool InLookupFieldMode() const;
  void CheckLinksNotCircular();
  void CheckSettingsEditable();
  void SetLookupInDataField(bool value);
  bool ComputeActive() const;
  void UpdateLookupSetUp();
  void UpdateLookupActive();
  void NotifyOwner();
  void LookupDataSetFreed();

  TCollectionItem* axisBar_;
  std::unique_ptr<TDataSourceLinkEh> dataLink_;
  std::unique_ptr<TDataSource> internalLookupSource_;
  String keyFieldNames_;
  TFieldsArrEh keyFields_;
  bool lookupActive_ = false;
  bool lookupCache_ = true;
  TDataSet* lookupDataSet_ = nullptr;
  TField* lookupDisplayField_ = nullptr;
  String lookupDisplayFieldName_;
  bool lookupInDataField_ = false;
  bool lookupIsSetUp_ = false;
  String lookupKeyFieldNames_;
  TFieldsArrEh lookupKeyFields_;
  std::unique_ptr<TListSourceLinkEh> lookupLink_;
  bool lookupListActive_ = false;
  std::unique_ptr<TLookupListEh> lookupListCache_;
  bool dataFieldsUpdating_ = false;
  // The lookup dataset changed since the cache was read; it is read again on the next lookup.
  bool cacheStale_ = false;
  bool refreshingCache_ = false;
  std::unique_ptr<TLookupDataNotifierEh> notifier_;
};
