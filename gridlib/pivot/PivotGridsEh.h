// The pivot grid's data model: the pivot data source that turns a dataset into axis and result tables
// (pivot fields, value definitions, date slicing, aggregate calculators, key value states), the axis
// grouping trees and the cell array that the pivot grid shows.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "gridlib/dbgrid/MemTreeEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "platform/classes/Collection.h"
#include "platform/classes/Component.h"
#include "platform/classes/Set.h"
#include "platform/classes/StringList.h"
#include "platform/rtl/Variant.h"

class TPivotDataSourceEh;
class TPivotFieldEh;
class TPivotFieldsEh;
class TPivotKeyValueStatesEh;

enum TFieldDateTimeSliceLevelEh {
  dtslNonEh,
  dtslYearEh,
  dtslQuarterEh,
  dtslMonthEh,
  dtslWeekEh,
  dtslDayEh,
  dtslHourEh,
  dtslMinEh,
  dtslSecEh,
  dtslMSecEh
};
using TDateTimeSliceLevelsEh = TSet<TFieldDateTimeSliceLevelEh>;

enum TPivotValueTypeEh {
  svtSumEh,
  svtCountEh,
  svtAvgEh,
  svtMaxEh,
  svtMinEh,
  svtCountDistinctEh,
  svtProductEh,
  svtStDevEh,
  svtStDevpEh,
  svtVarEh,
  svtVarpEh,
  svtCustomEh
};
using TPivotValueTypesEh = TSet<TPivotValueTypeEh>;

enum TSortOrderEh { soAscEh, soDescEh };

// ---- Shared routines ----

// Null before any value, two Nulls equal, arrays element by element, else the variant comparison.
TVariantRelationship PivotNullAwareCompareEh(const Variant& a, const Variant& b);
// Number of leading positions 0 .. min(length of a, count) - 1 holding the same value in a and b.
Integer PivotKeyPrefixLengthEh(const std::vector<Variant>& a, const std::vector<Variant>& b, Integer count);
bool PivotKeysEqualEh(const std::vector<Variant>& a, const std::vector<Variant>& b);
// 0 equal, 1 less, 2 greater, 3 not comparable. Unassigned after every value; Null before any value.
Integer PivotKeyValueCompareEh(const Variant& a, const Variant& b);
// 3 for keys of different lengths, else the first non-zero element comparison, or 0.
Integer PivotKeyArrayCompareEh(const std::vector<Variant>& a, const std::vector<Variant>& b);
// The text of a key value that reads back as the same value: doubles with every digit they need,
// time stamps with their milliseconds. Null gives the empty text.
String PivotKeyValueTextEh(const Variant& value);
// The localized name of a summary function and its short name in generated field names.
String PivotFunctionDisplayNameEh(TPivotValueTypeEh function);
String PivotFunctionShortNameEh(TPivotValueTypeEh function);
String PivotSliceLevelSuffixEh(TFieldDateTimeSliceLevelEh level);
String PivotSliceLevelDisplayNameEh(TFieldDateTimeSliceLevelEh level);
String PivotSliceLevelDisplayFormatEh(TFieldDateTimeSliceLevelEh level);
// A date-time value cut down to a calendar level (the first day of its year, quarter, month, ISO week ...).
TDateTime PivotSliceDateTimeEh(TDateTime value, TFieldDateTimeSliceLevelEh level);

// ---- Aggregate calculators ----

// Reset, fed a group's values one by one, asked for the result, reset again for the next group.
class TPivotGridAggregateFunctionCalculatorEh : public TPersistent {
  KIV_CLASS(TPivotGridAggregateFunctionCalculatorEh, TPersistent)
 public:
  TPivotGridAggregateFunctionCalculatorEh() = default;
  virtual void ResetAggrHolder();
  virtual void AggrValue(const Variant& AValue);
  virtual Variant FinalizeAggregation();
  static String DisplayName() { return u"<AggregateFunction>"; }

  Variant Value = Variant::Null();
  std::vector<Variant> SrvVars;
};

class TPivotGridSumFunctionCalculatorEh : public TPivotGridAggregateFunctionCalculatorEh {
  KIV_CLASS(TPivotGridSumFunctionCalculatorEh, TPivotGridAggregateFunctionCalculatorEh)
 public:
  void AggrValue(const Variant& AValue) override;
};

class TPivotGridCountFunctionCalculatorEh : public TPivotGridAggregateFunctionCalculatorEh {
  KIV_CLASS(TPivotGridCountFunctionCalculatorEh, TPivotGridAggregateFunctionCalculatorEh)
 public:
  void AggrValue(const Variant& AValue) override;
};

class TPivotGridAverageFunctionCalculatorEh : public TPivotGridAggregateFunctionCalculatorEh {
  KIV_CLASS(TPivotGridAverageFunctionCalculatorEh, TPivotGridAggregateFunctionCalculatorEh)
 public:
  void ResetAggrHolder() override;
  void AggrValue(const Variant& AValue) override;
  Variant FinalizeAggregation() override;
};

class TPivotGridMaxFunctionCalculatorEh : public TPivotGridAggregateFunctionCalculatorEh {
  KIV_CLASS(TPivotGridMaxFunctionCalculatorEh, TPivotGridAggregateFunctionCalculatorEh)
 public:
  void AggrValue(const Variant& AValue) override;
};

class TPivotGridMinFunctionCalculatorEh : public TPivotGridAggregateFunctionCalculatorEh {
  KIV_CLASS(TPivotGridMinFunctionCalculatorEh, TPivotGridAggregateFunctionCalculatorEh)
 public:
  void AggrValue(const Variant& AValue) override;
};

// Counts the distinct non-empty texts of the values (Null and the empty text are not counted).
class TPivotGridCountDistinctFunctionCalculatorEh : public TPivotGridAggregateFunctionCalculatorEh {
  KIV_CLASS(TPivotGridCountDistinctFunctionCalculatorEh, TPivotGridAggregateFunctionCalculatorEh)
 public:
  void ResetAggrHolder() override;
  void AggrValue(const Variant& AValue) override;
  Variant FinalizeAggregation() override;

 private:
  std::vector<String> FTexts;
};

class TPivotGridProductFunctionCalculatorEh : public TPivotGridAggregateFunctionCalculatorEh {
  KIV_CLASS(TPivotGridProductFunctionCalculatorEh, TPivotGridAggregateFunctionCalculatorEh)
 public:
  void AggrValue(const Variant& AValue) override;
};

// Sample deviation (n - 1 in the divisor); its descendants change the divisor and the square root.
class TPivotGridStDevFunctionCalculatorEh : public TPivotGridAggregateFunctionCalculatorEh {
  KIV_CLASS(TPivotGridStDevFunctionCalculatorEh, TPivotGridAggregateFunctionCalculatorEh)
 public:
  TPivotGridStDevFunctionCalculatorEh() = default;
  void ResetAggrHolder() override;
  void AggrValue(const Variant& AValue) override;
  Variant FinalizeAggregation() override;

  Integer Deduction = 1;
  bool DoSqrt = true;
};

class TPivotGridStDevpFunctionCalculatorEh : public TPivotGridStDevFunctionCalculatorEh {
  KIV_CLASS(TPivotGridStDevpFunctionCalculatorEh, TPivotGridStDevFunctionCalculatorEh)
 public:
  TPivotGridStDevpFunctionCalculatorEh() { Deduction = 0; }
};

class TPivotGridVarFunctionCalculatorEh : public TPivotGridStDevFunctionCalculatorEh {
  KIV_CLASS(TPivotGridVarFunctionCalculatorEh, TPivotGridStDevFunctionCalculatorEh)
 public:
  TPivotGridVarFunctionCalculatorEh() { DoSqrt = false; }
};

class TPivotGridVarpFunctionCalculatorEh : public TPivotGridStDevFunctionCalculatorEh {
  KIV_CLASS(TPivotGridVarpFunctionCalculatorEh, TPivotGridStDevFunctionCalculatorEh)
 public:
  TPivotGridVarpFunctionCalculatorEh() {
    Deduction = 0;
    DoSqrt = false;
  }
};

// The calculator of a summary function, reset; the custom function has none and raises.
std::unique_ptr<TPivotGridAggregateFunctionCalculatorEh> CreatePivotCalculatorEh(TPivotValueTypeEh function);

// ---- Key value states ----

class TPivotKeyValueStateEh : public TCollectionItem {
  KIV_CLASS(TPivotKeyValueStateEh, TCollectionItem)
 public:
  explicit TPivotKeyValueStateEh(TCollection* collection) : TCollectionItem(collection) {}
  // A state that belongs to no list.
  static std::unique_ptr<TPivotKeyValueStateEh> CreateApart(const Variant& keyValue);

  TPivotKeyValueStatesEh* GetList() const;
  const Variant& GetKeyValue() const { return FKeyValue; }
  bool GetExpanded() const { return FExpanded; }
  void SetExpanded(bool value) { FExpanded = value; }
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool value);

 private:
  friend class TPivotKeyValueStatesEh;
  bool FExpanded = true;
  bool FVisible = true;
  Variant FKeyValue;
};

// The sorted distinct values of a pivot field, each with its expanded and visible flag.
class TPivotKeyValueStatesEh : public TCollection {
  KIV_CLASS(TPivotKeyValueStatesEh, TCollection)
 public:
  explicit TPivotKeyValueStatesEh(TPivotFieldEh* pivotField);
  TPivotFieldEh* GetPivotField() const { return FPivotField; }
  TPivotKeyValueStateEh* Add(const Variant& keyValue);
  TPivotKeyValueStateEh* GetState(int index) const { return Items<TPivotKeyValueStateEh>(index); }
  TPivotKeyValueStateEh* GetItemByKeyValue(const Variant& keyValue) const;
  Integer BinarySearch(const Variant& keyValue) const;
  // Refreshes the states from the values of the field's column over every stored record of the table:
  // states of values that remain keep their flags, new values start visible and expanded.
  void UpdateData(TCustomMemTableEh* table);
  void UpdateStateFromSortedList(const std::vector<TPivotKeyValueStateEh*>& list);
  bool HaveHiddenKeys() const { return FHaveHiddenKeys; }
  void UpdateHaveHiddenKeys();
  void EndUpdate() override;

 private:
  TPivotFieldEh* FPivotField;
  bool FHaveHiddenKeys = false;
};

// ---- Pivot in-memory tables ----

// An in-memory table whose key sort reports progress, so a long sort can be cancelled.
class TPivotMemTableEh : public TMemTableEh {
  KIV_CLASS(TPivotMemTableEh, TMemTableEh)
 public:
  explicit TPivotMemTableEh(TComponent* owner) : TMemTableEh(owner) {}
  TNotifyEvent OnCallBackProgress;

  // Sorts the records by the data fields at these positions, Nulls first; the table stays as it was
  // when the progress callback raises.
  void SortByFieldIndexes(const std::vector<Integer>& fieldIndexes);
  TRecordsListEh* Records() const { return GetMemTableData()->GetRecordsList(); }
  TMTDataStructEh* Struct() const { return GetMemTableData()->GetDataStruct(); }
  // Closes the table and forgets its structure and records.
  void ResetTable();
  // Appends a record of Nulls (fetched, not a cached change) and answers it.
  TMemoryRecordEh* AppendStored();
  void OpenIfClosed();
};

// ---- Pivot fields and value definitions ----

class TPivotFieldDataTypeDefEh : public TPersistent {
  KIV_CLASS(TPivotFieldDataTypeDefEh, TPersistent)
 public:
  TFieldType DataType = ftUnknown;
  Integer Precision = 0;
  Integer Size = 0;
  void Assign(TPersistent* source) override;
};

using TPivotFieldFetchValueEventEh = TDelegate<void(TPivotDataSourceEh* DataSource, TPivotFieldEh* PivotField,
                                                    Variant& Value, bool& Processed)>;

class TPivotFieldEh : public TCollectionItem {
  KIV_CLASS(TPivotFieldEh, TCollectionItem)
 public:
  explicit TPivotFieldEh(TCollection* collection);
  ~TPivotFieldEh() override;

  TPivotFieldsEh* GetPivotFields() const;
  TPivotDataSourceEh* GetDataSource() const;

  const String& GetDisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& value);
  String GetDisplayName() const override { return FDisplayName.empty() ? FFieldName : FDisplayName; }
  void SetDisplayName(const String& value) override;
  bool DisplayNameStored() const { return !FDisplayName.empty() && FDisplayName != FFieldName; }
  Integer GetDisplayWidth() const { return FDisplayWidth; }
  void SetDisplayWidth(Integer value) { FDisplayWidth = value; }
  const String& GetFieldName() const { return FFieldName; }
  void SetFieldName(const String& value);
  TFieldDateTimeSliceLevelEh GetSliceLevel() const { return FSliceLevel; }
  void SetSliceLevel(TFieldDateTimeSliceLevelEh value);
  const String& GetSourceFieldName() const { return FSourceFieldName; }
  void SetSourceFieldName(const String& value);
  TPivotValueTypeEh GetSumFunction() const { return ProposedSumFunction(); }
  void SetSumFunction(TPivotValueTypeEh value);
  bool GetSumFunctionStored() const { return FSumFunctionStored; }
  void SetSumFunctionStored(bool value);
  TPivotFieldDataTypeDefEh* GetTypeDef() const { return FTypeDef.get(); }
  void SetTypeDef(TPivotFieldDataTypeDefEh* value) { FTypeDef->Assign(value); }
  TSortOrderEh GetSortOrder() const { return FSortOrder; }
  void SetSortOrder(TSortOrderEh value) { FSortOrder = value; }
  void SetNextSortOrder() { FSortOrder = FSortOrder == soAscEh ? soDescEh : soAscEh; }
  TPivotKeyValueStatesEh* GetKeyValueStates() const { return FKeyValueStates.get(); }
  // The filter text set on the field; parsed into a condition once the grid's filter conditions exist.
  const String& GetExpressionStr() const { return FExpressionStr; }
  virtual void SetExpressionStr(const String& text);
  void ClearExpression() { FExpressionStr.clear(); }
  TPivotFieldFetchValueEventEh OnFetchValue;

  virtual TPivotValueTypeEh DefaultSumFunction() const;
  TPivotValueTypeEh ProposedSumFunction() const;
  virtual void DisplayChanged();

  Variant GetValueForSource(TDataSet* sourceDataSet, TField* field) const;
  // The value sliced to the field's level; Null and unsliced values pass unchanged.
  Variant SliceValue(const Variant& value) const;
  Variant StringToDataValue(const String& stringValue) const;
  Variant SysStringToDataValue(const String& stringValue) const;
  TFieldType GetDataFieldType() const;
  String ValueAsDispayText(const Variant& value) const;

  // The filter drop-down: entry i is key value state i, its text the key's text.
  void FillFilterValues(TStrings* items);
  void UpdateFilterFromValuesCheckingState(TStrings* ss, const std::vector<bool>& checkStates);
  void UpdateKeyValueStatesFromFilterCheckedState(TStrings* strList, const std::vector<bool>& checkStates);
  void UpdateValuesCheckingStateFromFilter(TStrings* ss, std::vector<bool>& checkStates) const;
  String GetFilterExpressionAsStr() const;
  void UpdateKeyValueStates();
  // True when the record's value of this field has a visible key (always without hidden keys).
  bool KeyVisible(const Variant& value) const;

  std::vector<bool> FListValuesCheckingState;
  Integer FPopupListboxDownIndex = -1;

 private:
  // The index of the state whose key text is the entry's text; -1 when none.
  Integer StateIndexOfText(const String& text) const;
  void ReportChanged();

  String FDisplayFormat;
  String FDisplayName;
  String FExpressionStr;
  String FFieldName;
  TFieldDateTimeSliceLevelEh FSliceLevel = dtslNonEh;
  TSortOrderEh FSortOrder = soAscEh;
  String FSourceFieldName;
  TPivotValueTypeEh FSumFunction = svtCountEh;
  bool FSumFunctionStored = false;
  std::unique_ptr<TPivotFieldDataTypeDefEh> FTypeDef;
  Integer FDisplayWidth = 0;
  std::unique_ptr<TPivotKeyValueStatesEh> FKeyValueStates;
};

class TPivotFieldsEh : public TCollection {
  KIV_CLASS(TPivotFieldsEh, TCollection)
 public:
  explicit TPivotFieldsEh(TPivotDataSourceEh* pdSource);
  TPivotDataSourceEh* GetPDSource() const { return FPDSource; }
  TPersistent* GetOwner() const override;
  TPivotFieldEh* Add();
  TPivotFieldEh* GetPivotField(int index) const { return Items<TPivotFieldEh>(index); }
  TPivotFieldEh* FindFieldByName(const String& pivotFieldName) const;
  Integer IndexOf(TPivotFieldEh* pivotField) const;
  void AddAllPivotFields(bool deleteExisting);
  void RebuildPivotFields() { AddAllPivotFields(true); }

 protected:
  void Update(TCollectionItem* item) override;

 private:
  TPivotDataSourceEh* FPDSource;
};

class TValueFieldsCollectionEh;

class TPivotFieldValueInfoEh : public TCollectionItem {
  KIV_CLASS(TPivotFieldValueInfoEh, TCollectionItem)
 public:
  explicit TPivotFieldValueInfoEh(TCollection* collection) : TCollectionItem(collection) {}
  const String& GetDisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& value) { FDisplayFormat = value; }
  TPivotFieldEh* GetPivotField() const { return FPivotField; }
  void SetPivotField(TPivotFieldEh* value);
  const String& GetPivotFieldName() const { return FPivotFieldName; }
  void SetPivotFieldName(const String& value);
  TPivotValueTypeEh GetSumFunction() const { return FSumFunction; }
  void SetSumFunction(TPivotValueTypeEh value);
  void Assign(TPersistent* source) override;
  String DisplayDescription() const;
  // Looks the pivot field up by name again (nil when none has it).
  void ResolvePivotField();

 private:
  friend class TPivotDataSourceEh;
  String FDisplayFormat;
  TPivotFieldEh* FPivotField = nullptr;
  String FPivotFieldName;
  TPivotValueTypeEh FSumFunction = svtSumEh;
};

using TCollectionChangeEventEh =
    TDelegate<void(TCollection* Sender, TCollectionItem* Item, TCollectionNotification Action)>;

class TValueFieldsCollectionEh : public TCollection {
  KIV_CLASS(TValueFieldsCollectionEh, TCollection)
 public:
  explicit TValueFieldsCollectionEh(TPivotDataSourceEh* pivotDataSource);
  TPivotDataSourceEh* GetPivotDataSource() const { return FPivotDataSource; }
  TPivotFieldValueInfoEh* Add();
  TPivotFieldValueInfoEh* GetPivotFieldValueInfo(int index) const {
    return Items<TPivotFieldValueInfoEh>(index);
  }
  void UpdatePivotFieldsFromPivotFieldNames();
  Integer IndexByPivotFieldName(const String& name) const;
  Integer IndexOf(TPivotFieldValueInfoEh* item) const;
  void Move(int curIndex, int newIndex);
  TPivotFieldValueInfoEh* AddForPivotField(TPivotFieldEh* pivotField, int position);
  Integer DataLines() const;
  TCollectionChangeEventEh OnChangeNotification;

 protected:
  void Notify(TCollectionItem* item, TCollectionNotification action) override;
  void Update(TCollectionItem* item) override;

 private:
  TPivotDataSourceEh* FPivotDataSource;
};

// ---- The data source ----

// The consumers of a data source: the pivot grid and its tool box.
class IPivotDataSourceNotificationEh {
 public:
  virtual ~IPivotDataSourceNotificationEh() = default;
  // True cancels the build.
  virtual bool BuildDataProgress(TPivotDataSourceEh* Sender, UInt64 ElapsedTicks, Integer Percent) = 0;
  virtual void PivotDefinitionChanged(TPivotDataSourceEh* Sender) = 0;
  virtual void PivotStructureChanged(TPivotDataSourceEh* Sender) = 0;
  virtual void PivotDataChanged(TPivotDataSourceEh* Sender) = 0;
  virtual void BuildDataStarted(TPivotDataSourceEh* Sender) = 0;
  virtual void BuildDataAborted(TPivotDataSourceEh* Sender) = 0;
  virtual void BuildDataFinished(TPivotDataSourceEh* Sender) = 0;
};

using TLogTimeMetricEventEh = TDelegate<void(TObject* Sender, const String& MetricName, Cardinal Duration)>;

class TPivotDataSourceEh : public TComponent {
  KIV_CLASS(TPivotDataSourceEh, TComponent)
 public:
  explicit TPivotDataSourceEh(TComponent* owner);
  ~TPivotDataSourceEh() override;

  TDataSet* GetDataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* value);
  TPivotFieldsEh* GetPivotFields() const { return FPivotFields.get(); }
  TDateTimeSliceLevelsEh GetDefaultDateTimeSliceLevels() const { return FDefaultDateTimeSliceLevels; }
  void SetDefaultDateTimeSliceLevels(TDateTimeSliceLevelsEh value) { FDefaultDateTimeSliceLevels = value; }
  TStringList* GetColumnFields() const { return FColumnFields.get(); }
  void SetColumnFields(TStrings* value) { FColumnFields->Assign(value); }
  TStringList* GetRowFields() const { return FRowFields.get(); }
  void SetRowFields(TStrings* value) { FRowFields->Assign(value); }
  TValueFieldsCollectionEh* GetValueFieldDefs() const { return FValueFieldsInfo.get(); }
  TPivotMemTableEh* GetSourceTable() const { return FSourceTable.get(); }
  TLogTimeMetricEventEh OnLogTimeMetric;

  void RegisterChanges(IPivotDataSourceNotificationEh* value);
  void UnRegisterChanges(IPivotDataSourceNotificationEh* value);

  void LoadAndBuildPivotData();
  void CreateAndFillSourceTable();
  void BuildPivotData();
  void BuildGridData();
  virtual void SetDataFilter();
  void PivotDataStructBeginUpdate() { ++FUpdateCount; }
  void PivotDataStructEndUpdate();
  bool DataIsEmpty() const;
  bool StructureIsConsistent() const { return true; }

  virtual void PivotFieldsChanged();
  virtual void PivotFieldsDisplayChanged();
  void StructureChanged();

  // What the grid reads.
  TStringList* GetActualColFlds() const { return FActualColFlds.get(); }
  TStringList* GetActualRowFlds() const { return FActualRowFlds.get(); }
  TValueFieldsCollectionEh* GetActualValueFields() const { return FActualValueFields.get(); }
  TPivotMemTableEh* BaseTable() const { return FBaseTable.get(); }
  TPivotMemTableEh* FullBaseTable() const { return FFullBaseTable.get(); }
  TPivotMemTableEh* BaseColsTable() const { return FBaseColsTable.get(); }
  TPivotMemTableEh* OldBaseColsTable() const { return FOldBaseColsTable.get(); }
  TPivotMemTableEh* ColsTable() const { return FColsTable.get(); }
  TPivotMemTableEh* RowsTable() const { return FRowsTable.get(); }
  TPivotMemTableEh* ResultAggrTable() const { return FResultAggrTable.get(); }
  TPivotMemTableEh* TransResultAggrTable() const { return FTransResultAggrTable.get(); }
  // The base records that pass the fields' filters, in the base table's order.
  const std::vector<TMemoryRecordEh*>& FilteredBaseRecords() const { return FFilteredBase; }
  // The base table's filter in text: the fields' filter texts joined with " AND ".
  const String& GetFilterText() const { return FFilterText; }
  const String& GetColsFieldNames() const { return FColsFieldNames; }
  const String& GetRowsFieldNames() const { return FRowsFieldNames; }
  Integer GetPercent() const { return FPercent; }
  void LogTimeMetric(const String& name, UInt64 startTicks);

 protected:
  virtual void DestroyPivotTables();
  virtual void NotifyPivotDataChanged();
  virtual void NotifyBuildDataStarted();
  virtual void NotifyBuildDataFinished();
  virtual void NotifyBuildDataAborted();
  virtual void PivotDataHook() {}
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TPivotFieldEh;
  void ReportBuildProgress(Integer percent);
  void BaseTableProgress(TObject* sender);
  void CreateSourceTableStruct();
  void FillSourceTable();
  void UpdateKeyValueStates();
  void RunBuild(bool fromGrid);
  void CreateAndFillBaseTable();
  void CreateBaseTableStruct();
  void FillBaseTable();
  void UpdateBaseTableFilter();
  void BuildResultTables();
  void MakeColsRowsTables();
  void MakeBaseColsTable();
  void FillBaseColsTableDataState();
  void FillAxisTable(TPivotMemTableEh* target, const std::vector<TMemoryRecordEh*>& source,
                     const std::vector<Integer>& keyIndexes);
  void MakeResultAggrTable();
  void MakeTransResultAggrTable();
  void MakeTransResultAggrLevel(Integer level);
  void EmptyBuildTables();
  void ResolveAxisFields();
  void ResetUnusedFilterExpressions();
  void AxisListChanged(TObject* sender);
  void ValueDefsChanged(TCollection* sender, TCollectionItem* item, TCollectionNotification action);
  void SortBase(const std::vector<Integer>& fieldIndexes);
  void RefreshFilteredBase();
  std::vector<std::unique_ptr<TPivotGridAggregateFunctionCalculatorEh>> MakeCalculatorRow() const;

  TDataSet* FDataSet = nullptr;
  TDateTimeSliceLevelsEh FDefaultDateTimeSliceLevels{dtslYearEh, dtslMonthEh, dtslDayEh};
  bool FInternalDefinitionUpdating = false;
  std::vector<IPivotDataSourceNotificationEh*> FNotificationConsumers;
  std::unique_ptr<TPivotFieldsEh> FPivotFields;
  Integer FUpdateCount = 0;
  std::unique_ptr<TStringList> FColumnFields;
  std::unique_ptr<TStringList> FRowFields;
  std::unique_ptr<TStringList> FActualColFlds;
  std::unique_ptr<TStringList> FActualRowFlds;
  std::unique_ptr<TValueFieldsCollectionEh> FValueFieldsInfo;
  std::unique_ptr<TValueFieldsCollectionEh> FActualValueFields;
  std::unique_ptr<TPivotMemTableEh> FSourceTable;
  std::unique_ptr<TPivotMemTableEh> FBaseTable;
  std::unique_ptr<TPivotMemTableEh> FFullBaseTable;
  std::unique_ptr<TPivotMemTableEh> FColsTable;
  std::unique_ptr<TPivotMemTableEh> FRowsTable;
  std::unique_ptr<TPivotMemTableEh> FResultAggrTable;
  std::unique_ptr<TPivotMemTableEh> FTransResultAggrTable;
  std::unique_ptr<TPivotMemTableEh> FBaseColsTable;
  std::unique_ptr<TPivotMemTableEh> FOldBaseColsTable;
  std::vector<TMemoryRecordEh*> FFilteredBase;
  std::vector<std::pair<Integer, TPivotFieldEh*>> FFilters;
  String FFilterText;
  String FColsFieldNames;
  String FRowsFieldNames;
  UInt64 FBuildDataProgressTicks = 0;
  UInt64 FCheckCancelRequestTime = 0;
  Integer FPercent = 0;
  // Number of the base table's fields: R row, C column and V value fields.
  Integer FR = 0, FC = 0, FV = 0;
};

// ---- Cells, axis trees and the cell array ----

enum TPivotCelTypeEh {
  sctEmptyEh,
  sctFieldNameForRowEh,
  sctFieldNameForColEh,
  sctAxisValueEh,
  sctDataEh,
  sctHorzAggregateData,
  sctVertAggregateData,
  sctValuesColCaptionEh
};

class TPivotAxisTreeNodeEh;

class TPivotCellEh : public TPersistent {
  KIV_CLASS(TPivotCellEh, TPersistent)
 public:
  TPivotCellEh() { Clear(); }
  void Clear();

  TPivotCelTypeEh CelType = sctEmptyEh;
  Variant Value;
  std::vector<Variant> ArrayValue;
  bool DrawDownLine = true;
  bool DrawRightLine = true;
  Integer HorzAggrLevelCol = 0;
  Integer HorzAggrLevelRow = 0;
  Integer VertAggrLevelCol = 0;
  Integer VertAggrLevelRow = 0;
  bool RowVisible = true;
  bool ColVisible = true;
  bool Expanded = true;
  bool ShowValue = true;
  bool ShowGroupingSign = false;
  bool DrawFilterButton = false;
  TPivotFieldEh* PivotField = nullptr;
  Integer MasterCol = -1;
  Integer MasterRow = -1;
  TPivotAxisTreeNodeEh* RowsTreeNode = nullptr;
  TPivotAxisTreeNodeEh* ColsTreeNode = nullptr;
  Integer VisRowsGroupFlatNodePos = -1;
  Integer VisColsGroupFlatNodePos = -1;
};

enum TPivotAxisDirectionEh { padVerticalEh, padHorizontalEh };

class TPivotAxisTreeNodeEh : public TBaseTreeNodeEh {
  KIV_CLASS(TPivotAxisTreeNodeEh, TBaseTreeNodeEh)
 public:
  TPivotAxisTreeNodeEh() { FExpanded = true; }
  Integer AxisPos = 0;
  std::vector<Variant> KeyValue;
  TPivotKeyValueStateEh* PivotKeyValueState = nullptr;
  TMemoryRecordEh* RefBaseAxisTableRec = nullptr;
};

class TPivotGridArrayEh;

class TPivotAxisGroupingTreeEh : public TTreeListEh {
  KIV_CLASS(TPivotAxisGroupingTreeEh, TTreeListEh)
 public:
  TPivotAxisGroupingTreeEh(TPivotGridArrayEh* grid, TPivotAxisDirectionEh axisDir);

  TPivotAxisDirectionEh GetAxisDir() const { return FAxisDir; }
  TPivotGridArrayEh* GetGrid() const { return FGrid; }
  TStringList* ActualAxisFlds() const;
  TPivotMemTableEh* AxisTable() const;
  bool AxisAggrBeforeData() const;
  Integer FlatListCount() const { return static_cast<Integer>(FFlatList.size()); }
  TPivotAxisTreeNodeEh* GetFlatList(Integer index) const { return FFlatList.at(static_cast<size_t>(index)); }

  void BuildTree();
  void ForAllNode(bool axisAggrBeforeData, bool consideCollapsed,
                  const std::function<void(TPivotAxisTreeNodeEh*)>& proc) const;
  void BuildFlatList();
  void SetGridArrayAxisNums();
  void SetVisArrayGridNums();
  using TTreeListEh::SortData;
  virtual void SortData(Integer level, Integer pivotGridAxisLine, TSortOrderEh sortOrder);
  void SetLevelExpanded(Integer level, bool isExpanded);
  Integer GetExpandedCounts(Integer level) const;
  void ApplyKeyValueStates();
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate() { --FUpdateCount; }
  bool IsUpdating() const { return FUpdateCount > 0; }
  void ExpandedChanged(TBaseTreeNodeEh* node) override;
  void WriteTree(TStrings* strings, bool axisAggrBeforeData) const;

 private:
  Integer AddChildren(TPivotAxisTreeNodeEh* parent, std::vector<Variant>& cur, Integer& recIndex, Integer n);
  TPivotAxisDirectionEh FAxisDir;
  TPivotGridArrayEh* FGrid;
  std::vector<TPivotAxisTreeNodeEh*> FFlatList;
  TSortOrderEh FSortOrder = soAscEh;
  Integer FUpdateCount = 0;
};

// The part of the pivot grid that holds no window: the cell array mirroring the data source's result,
// the two axis trees and the visible translation. The pivot grid control owns one and draws from it.
class TPivotGridArrayEh {
 public:
  TPivotGridArrayEh();
  ~TPivotGridArrayEh();
  TPivotGridArrayEh(const TPivotGridArrayEh&) = delete;
  TPivotGridArrayEh& operator=(const TPivotGridArrayEh&) = delete;

  TPivotDataSourceEh* GetPivotDataSource() const { return FDataSource; }
  void SetPivotDataSource(TPivotDataSourceEh* value) { FDataSource = value; }
  bool RowAggrBeforeData = false;
  bool ShowGrandTotalColumns = true;
  bool ShowGrandTotalRows = true;
  // Called after the visible layout changed (an expand or a collapse).
  std::function<void()> OnLayoutChanged;

  void RebuildGrid();
  void EmptyGridData();
  bool DataSourceIsEmpty() const;

  Integer ColCount() const { return static_cast<Integer>(FArray.size()); }
  Integer RowCount() const { return FArray.empty() ? 0 : static_cast<Integer>(FArray[0].size()); }
  TPivotCellEh* Cell(Integer col, Integer row) const;
  Integer StartDataCol() const { return FStartDataCol; }
  Integer StartDataRow() const { return FStartDataRow; }
  Integer ValsCapDeltaRow() const { return FValsCapDeltaRow; }
  Integer ActualRowFldsCount() const;
  Integer ActualColFldsCount() const;
  Integer ValueCount() const;
  TPivotAxisGroupingTreeEh* RowsAxisTree() const { return FRowsTree.get(); }
  TPivotAxisGroupingTreeEh* ColsAxisTree() const { return FColsTree.get(); }
  bool ColumnExpandAllState(Integer fieldIndex) const { return FRowsCaptionExpandedState.at(fieldIndex); }

  // Visible layout.
  Integer VisColCount() const { return FFullVisPivotColCount; }
  Integer VisRowCount() const { return FVisPivotRowCount; }
  Integer GrandTotalColCount() const;
  Integer GrandTotalRowCount() const;
  void VisPivotPosToSrcArrayPos(Integer visCol, Integer visRow, Integer& srcCol, Integer& srcRow) const;
  TPivotCellEh* GetVisPivotGridArray(Integer col, Integer row) const;
  void MakeVisPivotGridArray();
  void RowsTreeExpandedChanged();
  void ColsTreeExpandedChanged();
  // Data sorting by a value column (-1: by the row fields' own labels).
  void SetDataSort(Integer arrayCol, TSortOrderEh order);

  // Steps of the rebuild.
  void MakePivotGridArray();
  void AggregateGridForColumns();
  void AggregateGridForColumnsLevel(Integer colsLevel, Integer& recIndex);
  void MoveAggrRowBeforeData();
  void FillGridDataForActualRowFlds();
  void SetPivotGridArraySize(Integer colCount, Integer rowCount);

 private:
  void MakeRowSortingTree();
  void MakeColSortingTree();
  void ResortRowSortingTree();
  void ResortColSortingTree();
  void BindColsTreeToBaseAxisRecs();
  void BindNodesToKeyValueStates(TPivotAxisGroupingTreeEh* tree);
  void FillRowSide();
  void FillColSide();
  void FillDataCells();
  std::vector<Variant> LineKey(TPivotMemTableEh* table, Integer line, Integer n) const;
  Integer LineLevel(TPivotMemTableEh* table, Integer line, Integer n) const;

  TPivotDataSourceEh* FDataSource = nullptr;
  std::vector<std::vector<std::unique_ptr<TPivotCellEh>>> FArray;
  std::unique_ptr<TPivotAxisGroupingTreeEh> FRowsTree;
  std::unique_ptr<TPivotAxisGroupingTreeEh> FColsTree;
  std::vector<bool> FRowsCaptionExpandedState;
  Integer FValsCapDeltaRow = 0;
  Integer FStartDataCol = 1;
  Integer FStartDataRow = 2;
  Integer FPivotArrayDataColCount = 0;
  Integer FPivotArrayDataRowCount = 0;
  bool FShowGrandTotalCols = true;
  bool FShowGrandTotalRows = true;
  Integer FDataSortColNum = -1;
  TSortOrderEh FDataSortSortOrder = soAscEh;
  Integer FVisPivotRowCount = 4;
  Integer FVisPivotColCount = 3;
  Integer FVisPivotColCountAffix = 0;
  Integer FFullVisPivotColCount = 3;
};
