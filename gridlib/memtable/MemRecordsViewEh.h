// The records view of the in-memory table: the filtered, sorted window on a record store, kept in step
// incrementally, and the record tree that arranges the records by key and parent-key fields.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "gridlib/dbgrid/MemTreeEh.h"
#include "gridlib/memtable/MemTableDataAggrEh.h"
#include "gridlib/memtable/MemTableDataEh.h"
#include "platform/classes/Set.h"

class TDataSet;
class TRecordsViewEh;
class TMemoryTreeListEh;
class TMTIndexEh;

using TUpdateStatusSet = TSet<TUpdateStatus>;

// The order of two stored values in a sort: no value first, text by the locale (caseIns ignoring case).
Integer CompareValuesForOrder(const Variant& a, const Variant& b, bool caseIns);

// One record's item in the view's lists, or its node in the record tree. An item lives as long as its
// record stays in the store: rebuilding the lists reuses it, so pointers held by record buffers stay valid.
class TMemRecViewEh : public TBaseTreeNodeEh {
  KIV_CLASS(TMemRecViewEh, TBaseTreeNodeEh)
 public:
  TMemRecViewEh() = default;
  ~TMemRecViewEh() override;

  TMemoryRecordEh* GetRec() const { return static_cast<TMemoryRecordEh*>(GetData()); }
  TRecordsViewEh* GetRecordsView() const { return FRecordsView; }
  TMemoryTreeListEh* GetNodeOwner() const;
  TMemRecViewEh* GetNodeParent() const { return static_cast<TMemRecViewEh*>(GetParent()); }
  Integer GetNodeLevel() const { return GetLevel(); }
  Integer GetNodeIndex() const { return GetIndex(); }
  Integer GetNodesCount() const { return GetCount(); }
  TMemRecViewEh* GetNodeItem(Integer index) const { return static_cast<TMemRecViewEh*>(GetItem(index)); }
  bool GetNodeExpanded() const { return GetExpanded(); }
  void SetNodeExpanded(bool value) { SetExpanded(value); }
  bool GetNodeHasChildren() const { return FHasChildren; }
  void SetNodeHasChildren(bool value) { FHasChildren = value; }
  bool GetNodeHasVisibleChildren() { return GetHasVisibleChildren(); }
  void SetNodeHasVisibleChildren(bool value) { FHasVisibleChildren = value; }
  bool GetNodeVisible() const { return GetVisible(); }
  Integer GetVisibleNodeIndex() const { return GetVisibleIndex(); }
  Integer GetVisibleNodesCount() { return GetVisibleCount(); }
  TMemRecViewEh* GetVisibleNodeItem(Integer index) {
    return static_cast<TMemRecViewEh*>(GetVisibleItem(index));
  }
  // Renumbers the view's sorted list first when its numbers are stale.
  Integer GetInSortedListIndex();
  TRecDataValues& GetLookupBuffer() { return FLookupBuffer; }
  void SetLookupBufferLength(Integer newLength) { FLookupBuffer.resize(static_cast<size_t>(newLength)); }
  void SortByFields(const String& sortByStr);

  void ExpandedChanged() override;

 protected:
  friend class TRecordsViewEh;
  friend class TMemoryTreeListEh;

  Integer FInSortedListIndex = 0;
  TRecDataValues FLookupBuffer;
  TRecordsViewEh* FRecordsView = nullptr;
  bool FLockUpdate = false;
};

// The sort order of the record tree; names resolve through the view's store structure.
class TMemoryTreeListOrderByList : public TOrderByList {
  KIV_CLASS(TMemoryTreeListOrderByList, TOrderByList)
 public:
  TMemoryTreeListOrderByList() : TOrderByList(false) {}
  explicit TMemoryTreeListOrderByList(TMemoryTreeListEh* tree) : TOrderByList(false), tree_(tree) {}
  ~TMemoryTreeListOrderByList() override { ClearFreeItems(); }
  void SetFieldIndex(TOrderByItemEh* item, Integer fieldIndex) override { item->MTFieldIndex = fieldIndex; }
  Integer FindFieldIndex(const String& name) override;

 private:
  TMemoryTreeListEh* tree_ = nullptr;
};

// One node per record of the store while the view is in tree mode.
class TMemoryTreeListEh : public TTreeListEh {
  KIV_CLASS(TMemoryTreeListEh, TTreeListEh)
 public:
  TMemoryTreeListEh() : TMemoryTreeListEh(nullptr) {}
  explicit TMemoryTreeListEh(TRecordsViewEh* recordsView);
  ~TMemoryTreeListEh() override;

  TMemRecViewEh* AddChild(const String& name, TMemRecViewEh* parent, TMemoryRecordEh* memRecord);
  TMemRecViewEh* AddChildAtKey(const String& name, const String& keyFieldNames,
                               const String& parentFieldNames, TMemoryRecordEh* memRecord);
  TMemRecViewEh* UpdateParent(TMemRecViewEh* node, const String& keyFieldNames,
                              const String& parentFieldNames, TMemoryRecordEh* memRecord, bool reIndex);
  void UpdateNodeState(TMemRecViewEh* node, bool isUpdateParent);
  void UpdateNodesState(TMemRecViewEh* parent);
  Integer GetIndexForNode(TMemoryRecordEh* rec, TMemRecViewEh* parentNode);
  bool CheckReferenceLoop(TMemoryRecordEh* memRecord, const Variant& newRefValue);

  // The record's node (constant time), or null.
  TMemRecViewEh* NodeOfRecord(TMemoryRecordEh* memRecord) const;
  TMemRecViewEh* GetNode(TMemRecViewEh* startNode, TMemoryRecordEh* memRecord) const;
  TMemRecViewEh* GetNodeAtValue(TMemRecViewEh* startNode, const String& fieldNames,
                                const Variant& value) const;
  TMemRecViewEh* GetParentNodeAtKey(TMemRecViewEh* startNode, const String& keyFieldNames,
                                    const String& parentFieldNames, TMemoryRecordEh* memRecord);
  TMemRecViewEh* GetParentNodeAtKeyValue(TMemRecViewEh* startNode, const String& keyFieldNames,
                                         const String& parentFieldNames, const Variant& refKeyValue);
  TMemRecViewEh* GetParentNodeForRec(TMemoryRecordEh* memRecord);
  TMemRecViewEh* GetParentNodeForRefValue(const Variant& refValue);
  void GetChildNodesForKey(TMemRecViewEh* startNode, const String& keyFieldNames,
                           const String& parentFieldNames, TMemoryRecordEh* memRecord,
                           std::vector<TMemRecViewEh*>& childList);
  void GetRecordsList(std::vector<TMemoryRecordEh*>& list, TMemRecViewEh* node, bool aRecurse);

  TMemRecViewEh* GetRootNode() const { return static_cast<TMemRecViewEh*>(GetRoot()); }
  Integer GetFlatListCount();
  TMemRecViewEh* GetFlatListItem(Integer index);
  Integer GetAccountableCount();
  TMemRecViewEh* GetAccountableItem(Integer index);
  Integer GetVisibleExpandedCount();
  virtual TMemRecViewEh* GetVisibleExpandedItem(Integer index);
  bool GetVisibleItemsObsolete() const { return listsObsolete_; }
  void VisibleItemsBecomeObsolete() { listsObsolete_ = true; }
  void BuildVisibleItems();
  virtual void ShowSubtreesOfVisibleLeaves(TMemRecViewEh* node);

  const String& GetSortOrder() const { return FSortOrder; }
  void SetSortOrder(const String& value);
  virtual void Resort();
  TMemoryTreeListOrderByList* GetOrderByList() const { return FOrderByList.get(); }

  bool FDefaultNodeExpanded = false;
  bool FDefaultNodeHasChildren = false;
  TMemRecViewEh* FDefaultParentNode = nullptr;
  bool FFilterNodeIfParentVisible = true;
  bool FFullBuildCheck = true;

  String GetKeyFieldNames() const;
  String GetParentFieldNames() const;
  TRecordsViewEh* GetRecordsView() const { return FRecordsViewEh; }

  Integer CompareTreeNodes(TBaseTreeNodeEh* node1, TBaseTreeNodeEh* node2, TObject* paramSort) override;
  void MoveTo(TBaseTreeNodeEh* node, TBaseTreeNodeEh* destination, TNodeAttachModeEh mode,
              bool reIndex) override;
  void SortData(const TCompareNodesEh& compareProg, TObject* paramSort, bool aRecurse) override;

  // Empties the tree; the nodes of records that come back by the next AddChild are reused, not freed.
  void ClearKeepingNodes();
  // Detaches every node below top and keeps it for the next AddChild of its record.
  void KeepSubtree(TMemRecViewEh* top);
  // Frees the kept nodes whose records did not come back.
  void FreeKeptNodes();
  // Adds every record of the list at once; false when the keys need the one-by-one path.
  bool BuildAll(TRecordsListEh* list);

 protected:
  friend class TMemRecViewEh;
  void NodeFreed(TMemRecViewEh* node);
  TMemRecViewEh* TakeNode(TMemoryRecordEh* memRecord);
  Variant RefOf(TMemoryRecordEh* rec) const;
  Variant KeyOf(TMemoryRecordEh* rec) const;
  Variant ValuesOf(TMemoryRecordEh* rec, const String& fieldNames) const;
  TMTIndexEh* ActiveIndexFor(const String& fieldNames) const;
  TMemRecViewEh* NodeOfRecordAtKey(TMTIndexEh* index, const Variant& key) const;
  Integer CompareRecs(TMemoryRecordEh* a, TMemoryRecordEh* b) const;
  Integer BisectChildren(TMemRecViewEh* parent, TMemoryRecordEh* rec, Integer count);

  std::vector<TMemRecViewEh*> FFlatListItems;
  std::vector<TMemRecViewEh*> FInsertedNodeStack;
  std::unique_ptr<TMemoryTreeListOrderByList> FOrderByList;
  String FSortOrder;
  std::vector<TMemRecViewEh*> FVisibleExpandedItems;
  std::vector<TMemRecViewEh*> FVisibleItems;
  bool listsObsolete_ = true;
  TRecordsViewEh* FRecordsViewEh = nullptr;
  std::unordered_map<TMemoryRecordEh*, TMemRecViewEh*> nodeByRec_;
  std::unordered_map<TMemoryRecordEh*, TMemRecViewEh*> keptNodes_;
};

using TRecordsViewFilterEventEh = TDelegate<bool(TMemoryRecordEh* Rec, TMemRecViewEh* Node)>;
using TGetPrefilteredListEventEh = TDelegate<std::vector<TMemRecViewEh*>*()>;
using TParseOrderByStrEventEh = TDelegate<TOrderByList*(const String& OrderByStr)>;
using TRecordsListCalcLookupBufferEventEh = TDelegate<void(TMemoryRecordEh* Item, TMemRecViewEh* RecView)>;

class TRecordsViewEh : public TRecordsListNotificatorEh {
  KIV_CLASS(TRecordsViewEh, TRecordsListNotificatorEh)
 public:
  explicit TRecordsViewEh(TDataSet* aDataSet = nullptr);
  ~TRecordsViewEh() override;

  TMemTableDataEh* GetMemTableData() const;
  void SetMemTableData(TMemTableDataEh* value);
  TRecordsListEh* GetRecordsList() const;
  TMTDataStructEh* GetDataStruct() const;
  TDataSet* GetDataSet() const { return FDataSet; }
  TMemoryTreeListEh* GetMemoryTreeList() const { return FMemoryTreeList.get(); }

  // Rows: in tree mode the visible nodes whose ancestors are expanded.
  Integer Count();
  Integer ViewItemsCount() { return Count(); }
  Integer AccountableItemsCount();
  TMemoryRecordEh* GetAccountableRecord(Integer index);
  TMemoryRecordEh* GetRec(Integer index);
  TMemoryRecordEh* GetViewRecord(Integer index) { return GetRec(index); }
  TMemRecViewEh* GetRecordView(Integer index);
  void SetRec(Integer index, TMemoryRecordEh* value);
  Variant GetValue(Integer recNo, Integer valNo);
  void SetValue(Integer recNo, Integer valNo, const Variant& value);
  const TRecValuesEh& GetOldRecVals(Integer index);
  Integer IndexOfRec(TMemoryRecordEh* rec);
  Integer IndexOfSortedListRec(TMemoryRecordEh* rec);
  TMemRecViewEh* GetSortedListItem(Integer index);
  Integer SortedListItemCount();
  void UpdateSortedListIndexes();
  bool GetSortedListIndexesObsolete() const { return FSortedListIndexesObsolete; }
  // The item of a record in the sorted list (constant time), or null.
  TMemRecViewEh* ItemOfRecord(TMemoryRecordEh* rec) const;

  TMemoryRecordEh* NewRecord();
  Integer AddRecord(TMemoryRecordEh* rec);
  void InsertRecord(Integer index, TMemoryRecordEh* rec);
  void DeleteRecord(Integer index);
  void RevertRecord(Integer index);
  void RefreshRecord(Integer index, TMemoryRecordEh* rec);
  void CancelUpdates();
  void MergeChangeLog();
  void LockCachedUpdates();
  void UnlockCachedUpdates();
  bool GetCachedUpdates() const { return FCachedUpdates; }
  void SetCachedUpdates(bool value) { FCachedUpdates = value; }

  TUpdateStatusSet GetStatusFilter() const { return FStatusFilter; }
  void SetStatusFilter(TUpdateStatusSet value);
  const String& GetSortOrder() const { return FSortOrder; }
  void SetSortOrder(const String& value);
  bool GetSortOrderCaseInsensitive() const { return FSortOrderCaseInsensitive; }
  void SetSortOrderCaseInsensitive(bool value);
  TRecordsViewOrderByList* GetOrderByList() const { return FOrderByList.get(); }
  bool GetViewAsTreeList() const { return FViewAsTreeList; }
  void SetViewAsTreeList(bool value);
  const String& GetTreeViewKeyFieldName() const { return FTreeViewKeyFieldName; }
  void SetTreeViewKeyFieldName(const String& value);
  const String& GetTreeViewRefParentFieldName() const { return FTreeViewRefParentFieldName; }
  void SetTreeViewRefParentFieldName(const String& value);
  const TIntArray& GetTreeViewKeyFields() const { return FTreeViewKeyFields; }
  const TIntArray& GetTreeViewRefParentFields() const { return FTreeViewRefParentFields; }

  void RefreshFilteredRecsList(bool notifyListChanged);
  void RefreshFilteredRecsTreeList();
  void RebuildMemoryTreeList();
  void SortData(const TCompareRecords& compare, TObject* paramSort);
  void QuickSort(std::vector<TMemRecViewEh*>& viewList, Integer l, Integer r, const TCompareRecords& compare,
                 TObject* paramSort);
  // Negative, 0 or positive; with a sort order, records with equal keys keep their store order.
  Integer CompareRecords(TMemoryRecordEh* rec1, TMemoryRecordEh* rec2);
  Integer FindSortedInsertPos(const std::vector<TMemRecViewEh*>& list, TMemoryRecordEh* rec, Integer hint);

  void InstantDisableFilter() { ++FDisableFilterCount; }
  void InstantEnableFilter() { --FDisableFilterCount; }
  void UpdateAllLookupBuffer();
  void CalcLookupBuffer(TMemRecViewEh* item);
  Variant CalcAggrFieldFunc(const String& fieldName, const String& aggrFuncName);

  bool GetCatchChanged() const { return FCatchChanged; }
  void SetCatchChanged(bool value) { FCatchChanged = value; }
  bool GetFilterAborted() const { return FFilterAborted; }
  void SetFilterAborted(bool value) { FFilterAborted = value; }

  virtual bool IsRecordInFilter(TMemoryRecordEh* rec, Integer index, TMemRecViewEh* node);
  virtual void AddNotificator(TRecordsListNotificatorEh* notificator);
  void RemoveNotificator(TRecordsListNotificatorEh* notificator);
  virtual void ViewDataEvent(TMemoryRecordEh* memRec, Integer index, TRecordsListNotification action);
  virtual void ViewRecordMoved(TMemoryRecordEh* item, Integer oldIndex, Integer newIndex);
  virtual void ResortView();
  virtual void ResortFlatLists();
  virtual void ResortTree();
  virtual void UpdateFields();
  // Called after every completed change.
  virtual void RecalcAggregates();
  TMTAggregatesEh* GetAggregates() const { return FAggregates.get(); }

  void DataEvent(TMemoryRecordEh* memRec, Integer index, TRecordsListNotification action) override;
  void RecordMoved(TMemoryRecordEh* item, Integer oldIndex, Integer newIndex) override;
  void StructChanged(TMemTableDataEh* memTableData) override;

  TRecordsListCalcLookupBufferEventEh OnCalcLookupBuffer;
  TDelegate<Integer(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2, TObject* ParamSort)> OnCompareRecords;
  TCompareNodesEh OnCompareTreeNode;
  TRecordsViewFilterEventEh OnFilterRecord;
  TGetPrefilteredListEventEh OnGetPrefilteredList;
  TParseOrderByStrEventEh OnParseOrderByStr;
  TRecordsListNotificatorDataEventEh OnViewDataEvent;
  TRecordsListRecordMovedEventEh OnViewRecordMovedEvent;

  // The order-by comparison used when OnCompareRecords is not assigned: nulls first, text by the
  // locale (case per item), everything else by value.
  Integer DefaultCompareRecords(TMemoryRecordEh* rec1, TMemoryRecordEh* rec2, TOrderByList* orderBy);

 private:
  TMemRecViewEh* InsertSortedListItem(TMemoryRecordEh* rec, Integer index);
  void RebuildSortedList();
  void FreeItem(TMemoryRecordEh* rec);
  void RemoveSortedListItem(TMemoryRecordEh* rec, Integer formerIndex);
  void InsertViewItem(TMemRecViewEh* item, Integer pos);
  void RenumberSortedList();
  void SortItemsByOrderBy(std::vector<TMemRecViewEh*>& list);
  bool SortByOneWholeKey(std::vector<TMemRecViewEh*>& list);
  bool SortInStoreOrderByCounting(std::vector<TMemRecViewEh*>& list, TOrderByItemEh* item);
  Integer IndexInViewList(TMemoryRecordEh* rec) const;
  Integer CompareForSort(TMemoryRecordEh* rec1, TMemoryRecordEh* rec2, TObject* paramSort);
  void TreeDataEvent(TMemoryRecordEh* rec, TRecordsListNotification action);
  bool IsSelfReference(TMemoryRecordEh* rec);

  std::unique_ptr<TMTAggregatesEh> FAggregates;
  bool FCachedUpdates = true;
  Integer FCachedUpdatesLockCount = 0;
  bool FCatchChanged = false;
  bool FFilterAborted = false;
  std::unique_ptr<TMemoryTreeListEh> FMemoryTreeList;
  std::vector<TMemRecViewEh*> FMemoryViewList;
  std::vector<TRecordsListNotificatorEh*> FNotificators;
  std::unique_ptr<TRecordsViewOrderByList> FOrderByList;
  std::vector<TMemRecViewEh*> FSorderViewList;
  // Owns every item of the sorted list, by record.
  std::unordered_map<TMemoryRecordEh*, std::unique_ptr<TMemRecViewEh>> itemsByRec_;
  bool FSortedListIndexesObsolete = false;
  String FSortOrder;
  bool FSortOrderCaseInsensitive = false;
  TUpdateStatusSet FStatusFilter{usUnmodified, usModified, usInserted};
  String FTreeViewKeyFieldName;
  TIntArray FTreeViewKeyFields;
  String FTreeViewRefParentFieldName;
  TIntArray FTreeViewRefParentFields;
  bool FViewAsTreeList = false;
  TDataSet* FDataSet = nullptr;
  Integer FDisableFilterCount = 0;
};

// A notificator that can listen to a records view as well as to a store.
class TViewAwareNotificatorEh : public TRecordsListNotificatorEh {
  KIV_CLASS(TViewAwareNotificatorEh, TRecordsListNotificatorEh)
 public:
  explicit TViewAwareNotificatorEh(TComponent* owner) : TRecordsListNotificatorEh(owner) {}

 protected:
  void JoinDataObject(TComponent* dataObject) override;
  void LeaveDataObject(TComponent* dataObject) override;
};
