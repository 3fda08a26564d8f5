// The in-memory table: a dataset whose records live in a record store, seen through a records view that
// filters, sorts and shows them as a tree; filled and written back by a data driver; saved to files.
#pragma once

#include <memory>
#include <vector>

#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/memtable/DataSetExprParserEh.h"
#include "gridlib/memtable/MemRecordsViewEh.h"
#include "gridlib/memtable/MemTableDataEh.h"
#include "gridlib/memtable/MemTableDataExtraEh.h"
#include "platform/classes/Streams.h"
#include "platform/data/DataSet.h"
#include "platform/data/DataSource.h"
#include "platform/data/Params.h"

class TCustomMemTableEh;
class TDataDriverEh;

enum TMemTableOptionEh { mtoPersistentStructEh, mtoTextFieldsCaseInsensitive };
using TMemTableOptionsEh = TSet<TMemTableOptionEh>;
enum TMasterDetailSideEh { mdsOnSelfEh, mdsOnProviderEh, mdsOnSelfAfterProviderEh };
enum TLoadMode { lmCopy, lmAppend, lmCopyStructureOnly };
enum TMemTableLoadOptionEh { tloUseCachedUpdatesEh, tloDisregardFilterEh, tloOpenOnLoad };
using TMemTableLoadOptionsEh = TSet<TMemTableLoadOptionEh>;
enum TDfmStreamFormatEh { dfmBinaryEh, dfmTextEh };

using TMemTableChangeFieldValueEventEh =
    TDelegate<void(TCustomMemTableEh* MemTable, TField* Field, Variant& Value)>;
using TMTTreeNodeExpandingEventEh = TDelegate<void(TObject* Sender, Integer RecNo, bool& AllowExpansion)>;
using TRecordsViewTreeNodeExpandingEventEh =
    TDelegate<void(TObject* Sender, TMemRecViewEh* Node, bool& AllowExpansion)>;
using TRecordsViewTreeNodeExpandedEventEh = TDelegate<void(TObject* Sender, TMemRecViewEh* Node)>;
using TRecordsViewCheckMoveNodeEventEh = TDelegate<bool(
    TObject* Sender, TMemRecViewEh* SourceNode, TMemRecViewEh* AppointedParent, Integer AppointedIndex)>;
using TGetOrderVarValueProcEh = std::function<void(Variant& VarValue, Integer Index)>;

// A bookmark of the table: the record and where it was last seen.
struct TBookmarkDataEh {
  TMemoryRecordEh* MemRec = nullptr;
  Integer RecViewIndex = -1;
  Integer InSortedListIndex = -1;
};

// One record buffer handed to the dataset framework.
class TMTRecBuf : public TObject {
  KIV_CLASS(TMTRecBuf, TObject)
 public:
  TBookmarkDataEh BookmarkData;
  TBookmarkFlag BookmarkFlag = bfCurrent;
  Integer RecordNumber = -2;
  bool NewTreeNodeExpanded = false;
  bool NewTreeNodeHasChildren = false;
  TMemRecViewEh* RecView = nullptr;
  TMemoryRecordEh* MemRec = nullptr;
  // One value per data field of the store, by its position; used once the buffer is edited.
  std::vector<Variant> Values;
  // Data values are read from MemRec until the first write.
  bool UseMemRec = false;

  Variant GetValue(Integer dataIndex) const;
  // The first write copies the stored values into Values.
  void SetValue(Integer dataIndex, const Variant& value);
  Variant GetOldValue(Integer dataIndex) const;
  void SetLength(Integer length);
  void Clear();
};

// The tree-view settings of a table.
class TMemTableTreeListEh : public TPersistent {
  KIV_CLASS(TMemTableTreeListEh, TPersistent)
 public:
  explicit TMemTableTreeListEh(TCustomMemTableEh* memTable);
  static void Published(TPropBuilder<TMemTableTreeListEh>& p);

  bool GetActive() const;
  void SetActive(bool value);
  String GetKeyFieldName() const;
  void SetKeyFieldName(const String& value);
  String GetRefParentFieldName() const;
  void SetRefParentFieldName(const String& value);
  bool GetDefaultNodeExpanded() const;
  void SetDefaultNodeExpanded(bool value);
  bool GetDefaultNodeHasChildren() const;
  void SetDefaultNodeHasChildren(bool value);
  bool GetFullBuildCheck() const;
  void SetFullBuildCheck(bool value);
  bool GetFilterNodeIfParentVisible() const;
  void SetFilterNodeIfParentVisible(bool value);

  virtual bool Locate(const String& keyFields, const Variant& keyValues, TLocateOptions options);
  virtual void FullCollapse();
  virtual void FullExpand();
  // The Active value read from a stream is applied once loading ends.
  void Loaded();

 private:
  void SetAllExpanded(bool expanded);
  TMemoryTreeListEh* Tree() const;
  TCustomMemTableEh* FMemTable;
  bool FLoadingActive = false;
};

class TCustomMemTableEh : public TDataSet, public IMemTableEh, public IRefObjectFieldDataEh {
  KIV_CLASS(TCustomMemTableEh, TDataSet)
 public:
  explicit TCustomMemTableEh(TComponent* owner);
  ~TCustomMemTableEh() override;

  // ---- Store, view, driver ----
  TRecordsViewEh* GetRecordsView() const { return FRecordsView.get(); }
  // The store the view shows: the external table's, or the table's own.
  TMemTableDataEh* GetMemTableData() const;
  TMemTableDataEh* GetInternMemTableData() const { return FInternMemTableData.get(); }
  TDataDriverEh* GetDataDriver() const { return FDataDriver; }
  void SetDataDriver(TDataDriverEh* value);
  TCustomMemTableEh* GetExternalMemData() const { return FExternalMemData; }
  void SetExternalMemData(TCustomMemTableEh* value);
  TMemTableTreeListEh* GetTreeList() const { return FTreeList.get(); }
  TAutoIncrementEh* GetAutoIncrement() const;
  void SetAutoIncrement(TAutoIncrementEh* value);
  TParams* GetParams() const { return FParams.get(); }
  void SetParams(TParams* value);

  // ---- Options ----
  bool GetCachedUpdates() const;
  void SetCachedUpdates(bool value);
  // Field and index definitions are kept with the component when it is streamed.
  bool GetStoreDefs() const { return FStoreDefs; }
  void SetStoreDefs(bool value) { FStoreDefs = value; }
  bool GetFetchAllOnOpen() const { return FFetchAllOnOpen; }
  void SetFetchAllOnOpen(bool value) { FFetchAllOnOpen = value; }
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  TMemTableOptionsEh GetOptions() const { return FOptions; }
  void SetOptions(TMemTableOptionsEh value);
  bool GetAggregatesActive() const;
  void SetAggregatesActive(bool value);
  const String& GetSortOrder() const { return FSortOrder; }
  void SetSortOrder(const String& value);
  TUpdateStatusSet GetStatusFilter() const;
  void SetStatusFilter(TUpdateStatusSet value);
  TMemTableFiltersEh* GetExtraFilters() const { return FExtraFilters.get(); }

  // ---- Master-detail ----
  TDataSource* GetMasterSource() const { return FMasterDataLink->GetDataSource(); }
  void SetMasterSource(TDataSource* value);
  const String& GetMasterFields() const { return FMasterDataLink->GetFieldNames(); }
  void SetMasterFields(const String& value);
  const String& GetDetailFields() const { return FDetailFields; }
  void SetDetailFields(const String& value);
  TMasterDetailSideEh GetMasterDetailSide() const { return FMasterDetailSide; }
  void SetMasterDetailSide(TMasterDetailSideEh value);
  TDataSource* GetDataSource() const override { return GetMasterSource(); }

  // ---- The dataset ----
  Integer GetRecordCount() const override;
  Integer GetRecNo() const override;
  void SetRecNo(Integer value) override;
  bool IsSequenced() const override { return true; }
  bool GetCanModify() const override { return !FReadOnly; }
  bool BookmarkValid(const TBookmark& bookmark) override;
  Integer CompareBookmarks(const TBookmark& a, const TBookmark& b) override;
  bool GetFieldData(TField* field, void* buffer) override;
  bool GetFieldData(TField* field, void* buffer, bool nativeFormat) override;
  void SetFieldData(TField* field, const void* buffer) override;
  using TDataSet::SetFieldData;
  TStream* CreateBlobStream(TField* field, TBlobStreamMode mode) override;
  void SetFilterText(const String& value) override;
  void SetFiltered(bool value) override;
  void SetFilterOptions(TFilterOptions value) override;
  void DataEvent(TDataEvent event, NativeInt info) override;
  void Resync(TResyncMode mode) override;
  TParams* PSGetParams() override { return FParams.get(); }

  // ---- Records and bookmarks ----
  TMemoryRecordEh* GetRec();
  TMemRecViewEh* GetRecView();
  TMemoryRecordEh* BookmarkToRec(const TBookmark& bookmark) const;
  TBookmark RecToBookmark(TMemoryRecordEh* rec) const;
  Integer BookmarkToRecNo(const TBookmark& bookmark);
  // The other bookmark forms are the same bytes here.
  Integer UniBookmarkToRecNo(const TBookmark& bookmark) { return BookmarkToRecNo(bookmark); }
  Integer BookmarkStrToRecNo(const TBookmarkStr& bookmark) { return BookmarkToRecNo(bookmark); }
  bool UniBookmarkValid(const TBookmark& bookmark) { return BookmarkValid(bookmark); }
  bool BookmarkStrValid(const TBookmarkStr& bookmark) { return BookmarkValid(bookmark); }
  // The framework's copy of the current record into a caller's buffer is not offered.
  bool GetCurrentRecord(TRecordBuffer) { return false; }
  bool BookmarkInVisibleView(const TBookmark& bookmark) override;
  bool GotoRec(TMemoryRecordEh* rec);
  TBookmark GetInstantBookmark();

  // ---- View-update bracket ----
  void BeginRecordsViewUpdate() { ++FRecordsViewUpdating; }
  void EndRecordsViewUpdate(bool doResync);

  // ---- Instant reading ----
  void InstantReadEnter(Integer rowNum) override;
  void InstantReadEnter(TMemRecViewEh* recView, Integer rowNum);
  void InstantReadEnter(TMemoryRecordEh* memRec, Integer rowNum);
  void InstantReadLeave() override;
  Integer InstantReadViewRow() override;
  Integer InstantReadRowCount() override;
  Integer InstantReadIndexOfBookmark(const TBookmark& bookmark) override;
  Integer GetInstantReadCurRow() override;
  bool InInstantReadMode() const { return !FInstantBuffers.empty(); }

  // ---- Editing and cached updates ----
  virtual Integer ApplyUpdates(Integer maxErrors);
  void CancelUpdates();
  void MergeChangeLog();
  bool HasCachedChanges() const;
  void RevertRecord();
  void RefreshRecord();
  TUpdateStatus UpdateStatus();
  TUpdateErrorEh* GetUpdateError();
  Integer FetchRecords(Integer count) override;
  void FetchParams() {}
  void DriverStructChanged();
  // Reads from the driver; answers how many records were read.
  Integer ReadDriverRecords(Integer count);

  // ---- Filtering, sorting, searching ----
  void SortByFields(const String& sortByStr);
  void SortWithExternalProc(const TGetOrderVarValueProcEh& orderValueProc,
                            const std::vector<std::pair<bool, TFieldType>>& descDirections);
  bool Locate(const String& keyFields, const Variant& keyValues, TLocateOptions options) override;
  // Searches without leaving an edit in progress; a miss answers Unassigned.
  Variant Lookup(const String& keyFields, const Variant& keyValues, const String& resultFields) override;
  Variant LookupAll(const String& keyFields, const Variant& keyValues, const String& resultFields,
                    TLocateOptions options);
  // The view row of the first match at or after startRecIndex; -1 when none.
  Integer FindRec(const String& keyFields, const Variant& keyValues, TLocateOptions options,
                  Integer startRecIndex, bool tryUseIndex);

  // ---- Tree, aggregates, moves ----
  TMemRecViewEh* GetTreeNode();
  Integer GetTreeNodeLevel() override;
  Integer GetTreeNodeChildCount();
  bool GetTreeNodeHasChildren();
  bool GetTreeNodeHasVisibleChildren() override;
  void SetTreeNodeHasVisibleChildren(bool value);
  bool GetTreeNodeExpanded() override;
  void SetTreeNodeExpanded(bool value);
  void GetAggregatedValuesForRange(const TBookmark& fromBookmark, const TBookmark& toBookmark,
                                   const String& fieldName, TAggrResultArr& resultArr,
                                   TAggrFunctionsEh aggrFuncs) override;
  bool MoveRecord(Integer fromIndex, Integer toIndex, Integer treeLevel, bool checkOnly);
  bool MoveRecords(TBMListEh* bookmarkList, Integer toRecNo, Integer treeLevel, bool checkOnly) override;

  // ---- Creating, loading, saving ----
  void CreateDataSet();
  void EmptyTable();
  void DestroyTable();
  void CopyStructure(TDataSet* source);
  Integer LoadFromDataSet(TDataSet* source, Integer recordCount, TLoadMode mode, bool useCachedUpdates);
  Integer LoadFromMemTableEh(TCustomMemTableEh* source, Integer recordCount, TLoadMode mode,
                             TMemTableLoadOptionsEh loadOptions);
  Integer SaveToDataSet(TDataSet* dest, Integer recordCount);
  // Writes a temporary file beside the target and renames it over the target when complete.
  void SaveToFile(const String& fileName, TDfmStreamFormatEh format = dfmBinaryEh);
  // The table keeps its data when the file cannot be read.
  void LoadFromFile(const String& fileName);

  // ---- Field values ----
  bool GetFieldValue(TField* field, Variant& value);
  String GetFieldDisplayText(TField* field);
  void GetFieldDataAsObject(TField* field, TObject*& value) override;
  void SetFieldDataAsObject(TField* field, TObject* value) override;
  void CheckFieldDataVarValue(TField* field, Variant& varValue);

  // ---- IMemTableEh ----
  bool ReservedFlag() override { return false; }
  Integer GetPrevVisibleTreeNodeLevel() override;
  Integer GetNextVisibleTreeNodeLevel() override;
  TMemoryRecordEh* GetActiveRecord() override;
  bool SupportsInOperator() override { return true; }
  bool GetViewAsTreeList() override;
  TMemTableFilterItemEh* ApplyExtraFilter(const String& filterText, TFilterRecordEvent filterEvent) override;
  bool UpdateExtraFilter(TMemTableFilterItemEh* item, const String& filterText,
                         TFilterRecordEvent filterEvent) override;
  bool RemoveExtraFilter(TMemTableFilterItemEh* item) override;
  bool ParentHasNextVisibleSibling(Integer level) override;
  bool ParentHasPriorVisibleSibling(Integer level) override;
  bool LocateMemRecord(TMemoryRecordEh* rec) override { return GotoRec(rec); }
  Integer SetTreeNodeExpandedAtRow(Integer rowNum, bool expanded) override;
  std::shared_ptr<IMemTableDataFieldValueListEh> CreateFieldValueList(const String& fieldName) override;
  String GetLikeWildcardForOneCharacter() override { return u"_"; }
  String GetLikeWildcardForSeveralCharacters() override { return u"%"; }
  void MTDisableControls() override { DisableControls(); }
  void MTEnableControls(bool forceUpdateState) override;
  void RegisterEventReceiver(TComponent* receiver) override;
  void UnregisterEventReceiver(TComponent* receiver) override;
  void AbortFilter() override { FRecordsView->SetFilterAborted(true); }

  TMemTableChangeFieldValueEventEh OnGetFieldValue;
  TMemTableChangeFieldValueEventEh OnSetFieldValue;
  TMTTreeNodeExpandingEventEh OnTreeNodeExpanding;
  TRecordsViewTreeNodeExpandingEventEh OnRecordsViewTreeNodeExpanding;
  TRecordsViewTreeNodeExpandedEventEh OnRecordsViewTreeNodeExpanded;
  TRecordsViewCheckMoveNodeEventEh OnRecordsViewCheckMoveNode;

  void Loaded() override;

 protected:
  // ---- Framework hooks ----
  TRecordBuffer AllocRecordBuffer() override;
  void FreeRecordBuffer(TRecordBuffer& buffer) override;
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) override;
  void InternalInitRecord(TRecordBuffer buffer) override;
  void InternalOpen() override;
  void InternalClose() override;
  bool IsCursorOpen() const override { return FActive; }
  void InternalFirst() override;
  void InternalLast() override;
  void GetBookmarkData(TRecordBuffer buffer, TBookmark& data) override;
  void SetBookmarkData(TRecordBuffer buffer, const TBookmark& data) override;
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) override;
  void InternalGotoBookmark(const TBookmark& bookmark) override;
  void InternalSetToRecord(TRecordBuffer buffer) override;
  void InternalInitFieldDefs() override;
  void InternalPost() override;
  void InternalDelete() override;
  void InternalAddRecord(TRecordBuffer buffer, bool append) override;
  void InternalCancel() override;
  void InternalInsert() override;
  void InternalRefresh() override;
  void DoOnNewRecord() override;
  void DoBeforeInsert() override;
  void DoBeforeScroll() override;
  void Notification(TComponent* component, TOperation operation) override;

  virtual TMemTableDataEh* CreateMemTableData();
  virtual void CreateIndexesFromDefs();
  virtual void CopyRecBufToMemRec(TMTRecBuf* buffer, TMemoryRecordEh* rec);
  virtual void UpdateFilteredView();
  virtual void MTViewDataEvent(Integer rowNum, TMTViewEventTypeEh event, Integer oldRowNum);
  virtual void UpdateSortOrder();
  virtual Integer InternalApplyUpdates(TMemTableDataEh* memTableData, Integer maxErrors);

  // The buffer field access uses now (the top instant-read buffer unless ignoreInstantRead).
  TMTRecBuf* GetActiveRecBuf(bool ignoreInstantRead = false) const;
  static TMTRecBuf* RecBuf(TRecordBuffer buffer) { return reinterpret_cast<TMTRecBuf*>(buffer); }

 private:
  friend class TMemTableTreeListEh;
  // Lets go of the data driver; SetDataDriver(nullptr) without its checks.
  void DetachDataDriver();
  void FillRecBufFromRecord(TMTRecBuf* buffer, Integer row);
  void FillRecBufFromMemRec(TMTRecBuf* buffer, TMemoryRecordEh* rec);
  void RefreshBookmark(TBookmarkDataEh& data) const;
  static bool ReadBookmark(const TBookmark& bookmark, TBookmarkDataEh& data);
  static TBookmark MakeBookmark(const TBookmarkDataEh& data);
  Integer ViewIndexOf(TMemoryRecordEh* rec) const;
  Integer DataIndexOf(TField* field) const;
  // The value field access reads for the field (the old one in the old-value state); false for none.
  bool BufferValue(TField* field, Variant& value);
  // The blob stream's view of the active buffer's value: its bytes, and storing new ones.
  friend class TMemBlobStreamEh;
  TBytes ReadBlobBytes(TField* field, TBlobStreamMode mode);
  void WriteBlobBytes(TField* field, TMTRecBuf* buffer, const TBytes& bytes);
  TMTDataFieldEh* DataFieldOf(TField* field) const;
  void ConnectView();
  bool RecordFilter(TMemoryRecordEh* rec, TMemRecViewEh* node);
  bool FilterActive() const;
  void RecompileFilter();
  void RebuildViewAndGoFirst();
  void ViewDataEventHandler(TMemoryRecordEh* memRec, Integer index, TRecordsListNotification action);
  void ViewRecordMovedHandler(TMemoryRecordEh* item, Integer oldIndex, Integer newIndex);
  Integer AdjustRow(Integer row) const;
  void ApplyUpdatesHandler(TMemTableDataEh* memTableData);
  Integer FetchRecordsHandler(Integer count);
  bool TreeExpandedChanging(TBaseTreeNodeEh* node);
  void TreeExpandedChanged(TBaseTreeNodeEh* node);
  void StructChangedHandler(TObject* sender);
  void ExtraFiltersChanged(TObject* sender);
  bool RowMatches(const std::vector<TField*>& fields, const Variant& keyValues, TLocateOptions options);
  bool StoredRecMatches(TMemoryRecordEh* rec, const TIntArray& dataIndexes, const Variant& keyValues) const;
  Variant ResultValues(const String& resultFields);
  // The instant-read row of a view row: an open insert row sits before the view rows from its place on.
  Integer InstantRowOfViewRow(Integer viewRow) const;
  void CheckDetailMode(bool refresh);
  void MasterChanged(TObject* sender);
  Variant MasterValues() const;
  bool DetailMatches(TMemoryRecordEh* rec) const;
  bool MoveTreeNode(TMemRecViewEh* source, TMemRecViewEh* target, int how, bool checkOnly);
  void CommitFieldValue(TField* field, TMTRecBuf* buffer, Variant value);

  bool FActive = false;
  bool FStateInsert = false;
  Integer FStateInsertRowNum = -1;
  std::vector<TComponent*> FEventReceivers;
  std::unique_ptr<TMemTableDataEh> FInternMemTableData;
  std::unique_ptr<TRecordsViewEh> FRecordsView;
  std::unique_ptr<TMemTableTreeListEh> FTreeList;
  std::unique_ptr<TMemTableFiltersEh> FExtraFilters;
  std::unique_ptr<TMasterDataLink> FMasterDataLink;
  std::unique_ptr<TParams> FParams;
  std::unique_ptr<TDataSetExprParserEh> FFilterExpr;
  TDataDriverEh* FDataDriver = nullptr;
  TDataSet* FDataSetReader = nullptr;
  TCustomMemTableEh* FExternalMemData = nullptr;
  String FDetailFields;
  bool FDetailMode = false;
  TMasterDetailSideEh FMasterDetailSide = mdsOnSelfEh;
  Variant FMasterValues;
  bool FFetchAllOnOpen = false;
  bool FReadOnly = false;
  TMemTableOptionsEh FOptions;
  String FSortOrder;
  Integer FRecordPos = -1;
  Integer FInstantReadCurRowNum = -1;
  std::vector<TMTRecBuf*> FInstantBuffers;
  Integer FRecordsViewUpdating = 0;
  bool FRecordsViewUpdated = false;
  Integer FMTViewDataEventInactiveCount = 0;
  Integer FInactiveEventRowNum = -1;
  TMTViewEventTypeEh FInactiveEvent = mtViewDataChangedEh;
  Integer FInactiveEventOldRowNum = -1;
  bool FOldActive = false;
  TMTRecBuf* FScratchBuffer = nullptr;
  TFilterRecordEvent FViewFilterEvent;
  TGetOrderVarValueProcEh FGetOrderVarValueProc;
  std::vector<Variant> FSortingValues;
  // Records the driver has read for master values already visited.
  std::vector<Variant> FMasterValList;
  bool FStoreDefs = false;
  // Between the before-insert event and the framework's move to the end: an append must not read the
  // driver's remaining records, so that the refusal to append before the end can be made.
  bool FInsertStarting = false;
};

// The stream a blob field of the table is read and written through: the value's bytes as memory; a
// written or truncated stream stores its bytes as the field's value when it is freed.
class TMemBlobStreamEh : public TFieldBlobStream {
  KIV_CLASS(TMemBlobStreamEh, TFieldBlobStream)
 public:
  // The field must belong to an in-memory table (EInvalidCast otherwise).
  TMemBlobStreamEh(TField* field, TBlobStreamMode mode);
  void Truncate();

 private:
  TMemBlobStreamEh(TField* field, TBlobStreamMode mode, TCustomMemTableEh* table);
  static TCustomMemTableEh* CheckedMemTable(TField* field);
};

// Publishes the table for forms.
class TMemTableEh : public TCustomMemTableEh {
  KIV_CLASS(TMemTableEh, TCustomMemTableEh)
 public:
  explicit TMemTableEh(TComponent* owner) : TCustomMemTableEh(owner) {}
  static void Published(TPropBuilder<TMemTableEh>& p);
};

// Registers the table and the drivers with the class registry for form resources; idempotent.
void InitializeMemTableEh();
