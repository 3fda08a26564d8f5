// Companions of the in-memory table: additional filters, the distinct values of a field for the
// grid's filter drop-downs, a sorted list of variant values, and a field that holds an object reference.
#pragma once

#include <memory>

#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/memtable/DataSetExprParserEh.h"
#include "gridlib/memtable/MemRecordsViewEh.h"
#include "platform/classes/Collection.h"
#include "platform/classes/StringList.h"
#include "platform/data/Fields.h"

class TMemTableFiltersEh;

using TFilterRecordEvent = TDelegate<void(TDataSet* DataSet, bool& Accept)>;

class TMemTableFilterItemEh : public TCollectionItem {
  KIV_CLASS(TMemTableFilterItemEh, TCollectionItem)
 public:
  explicit TMemTableFilterItemEh(TCollection* collection);
  ~TMemTableFilterItemEh() override;

  bool GetActive() const { return FActive; }
  void SetActive(bool value);
  const String& GetFilter() const { return FFilter; }
  void SetFilter(const String& value);
  const TFilterRecordEvent& GetOnFilterRecord() const { return FOnFilterRecord; }
  void SetOnFilterRecord(const TFilterRecordEvent& value);
  void FilterProcChanged();

  bool Filtered() const { return FActive && (!FFilter.empty() || static_cast<bool>(FOnFilterRecord)); }
  bool IsCurRecordInFilter(TMemoryRecordEh* rec);
  void RecreateFilterExpr();
  TDataSetExprParserEh* GetFilterExpr() const { return FFilterExpr.get(); }

 private:
  TMemTableFiltersEh* Filters() const;

  std::unique_ptr<TDataSetExprParserEh> FFilterExpr;
  bool FActive = false;
  String FFilter;
  TFilterRecordEvent FOnFilterRecord;
};

class TMemTableFiltersEh : public TCollection {
  KIV_CLASS(TMemTableFiltersEh, TCollection)
 public:
  explicit TMemTableFiltersEh(TDataSet* aMemTable = nullptr,
                              TCollectionItemClass filterItemClass = TMemTableFilterItemEh::StaticClass());
  ~TMemTableFiltersEh() override;

  TMemTableFilterItemEh* Add() { return static_cast<TMemTableFilterItemEh*>(TCollection::Add()); }
  TDataSet* GetMemTable() const { return FMemTable; }
  TPersistent* GetOwner() const override;
  TMemTableFilterItemEh* GetFilterItem(Integer index) const { return Items<TMemTableFilterItemEh>(index); }
  void SetFilterItem(Integer index, TMemTableFilterItemEh* value) { SetItem(index, value); }
  TMemTableFilterItemEh* GetActiveFilterItem(Integer index) const { return FActiveFilterItems.at(index); }
  Integer ActiveFilterCount() const { return static_cast<Integer>(FActiveFilterItems.size()); }
  Integer IndexOfFilter(TMemTableFilterItemEh* filterItem) const;
  bool HasTextActiveFilter() const;
  bool HasEventActiveFilter() const;
  bool IsCurRecordInFilter(TMemoryRecordEh* rec);
  void RecreateFilterExpr();

  // Raised after the filtering set was rebuilt; the table rebuilds its filtered view here.
  TNotifyEvent OnChanged;
  // Texts compile only while this answers true (the table is active); true when not assigned.
  TDelegate<bool()> OnIsTableActive;
  bool TableActive() const { return !OnIsTableActive || OnIsTableActive(); }

 protected:
  void Update(TCollectionItem* item) override;

 private:
  friend class TMemTableFilterItemEh;
  void RebuildActiveFilters();
  // The items whose construction has finished, in collection order.
  std::vector<TMemTableFilterItemEh*> ReadyItems() const;

  std::vector<TMemTableFilterItemEh*> FActiveFilterItems;
  TDataSet* FMemTable;
  bool destroying_ = false;
  std::vector<TMemTableFilterItemEh*> ready_;
};

// The distinct values of one field of a store or a records view, kept stale-marked by its listener.
class TMemTableDataFieldValueListEh : public IMemTableDataFieldValueListEh {
 public:
  explicit TMemTableDataFieldValueListEh(TDataSet* aDataSet);
  ~TMemTableDataFieldValueListEh() override;

  TStrings* GetValues() override;
  void SetFilter(const String& filter) override;
  const String& GetFieldName() const { return FFieldName; }
  void SetFieldName(const String& value);
  TComponent* GetDataObject() const { return FNotificator->GetDataObject(); }
  void SetDataObject(TComponent* value);
  // Filter texts resolve names in this structure when there is no dataset.
  void SetDataStruct(TMTDataStructEh* dataStruct) { FFilterExpr->SetDataStruct(dataStruct); }
  void SetFilterOptions(TFilterOptions options);
  bool GetDataObsoleted() const { return FDataObsoleted; }

  virtual void MarkObsolete() { FDataObsoleted = true; }

 private:
  void RefreshValues();
  void RefreshFromStore(TMemTableDataEh* store);
  void RefreshFromView(TRecordsViewEh* view);
  TFilterOptions Options() const;

  bool FDataObsoleted = true;
  TDataSet* FDataSet;
  String FFieldName;
  String FFilter;
  std::unique_ptr<TDataSetExprParserEh> FFilterExpr;
  std::unique_ptr<TViewAwareNotificatorEh> FNotificator;
  std::unique_ptr<TStringList> FValues;
  TFilterOptions filterOptions_;
};

class TSortedVarItemEh : public TObject {
  KIV_CLASS(TSortedVarItemEh, TObject)
 public:
  TSortedVarItemEh() = default;
  explicit TSortedVarItemEh(const Variant& newValue) : Value(newValue) {}
  Variant Value;
};

// Items in ascending order of value; the list does not own them.
class TSortedVarlistEh : public TObjectListEh {
  KIV_CLASS(TSortedVarlistEh, TObjectListEh)
 public:
  TSortedVarlistEh() = default;
  TSortedVarItemEh* GetItem(Integer index) const { return static_cast<TSortedVarItemEh*>(Get(index)); }
  bool FindKeyValueIndex(const Variant& value, Integer& index) const;
  bool FindKeyValue(const Variant& value) const;
  Integer AddItem(TSortedVarItemEh* item);
  // The position is chosen by value.
  void InsertItem(Integer, TSortedVarItemEh* item) { AddItem(item); }
};

// Implemented by datasets that keep object references for their fields.
class IRefObjectFieldDataEh {
 public:
  virtual ~IRefObjectFieldDataEh() = default;
  virtual void GetFieldDataAsObject(TField* field, TObject*& value) = 0;
  virtual void SetFieldDataAsObject(TField* field, TObject* value) = 0;
};

class TRefObjectField : public TField {
  KIV_CLASS(TRefObjectField, TField)
 public:
  explicit TRefObjectField(TComponent* owner);

  TObject* GetValue() const;
  void SetValue(TObject* value);
  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;

 protected:
  // Any size is accepted.
  void CheckTypeSize(Integer) const override {}

 private:
  IRefObjectFieldDataEh* Data() const;
};
