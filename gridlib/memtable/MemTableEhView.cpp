// The in-memory table's view of its records: the record filter, sorting, locating and looking up,
// master-detail, the tree properties, range aggregates, moving records and the extra filters.
#include <algorithm>

#include "gridlib/memtable/DataDriverEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "gridlib/memtable/MemTableIndexesEh.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

// ---- Record filter ----

bool TCustomMemTableEh::FilterActive() const {
  return (GetFiltered() && (!GetFilter().empty() || OnFilterRecord)) || FDetailMode ||
         FExtraFilters->ActiveFilterCount() > 0;
}

bool TCustomMemTableEh::RecordFilter(TMemoryRecordEh* rec, TMemRecViewEh* node) {
  if (!FActive || !FilterActive()) return true;
  bool accept = true;
  if (GetFiltered() && (!GetFilter().empty() || OnFilterRecord)) {
    if (!FScratchBuffer) FScratchBuffer = new TMTRecBuf();
    FillRecBufFromMemRec(FScratchBuffer, rec);
    FScratchBuffer->RecView = node;
    FScratchBuffer->RecordNumber = -1;
    accept = FilterAccepts(reinterpret_cast<TRecordBuffer>(FScratchBuffer));
  }
  if (accept && FDetailMode && FMasterDetailSide != mdsOnProviderEh) accept = DetailMatches(rec);
  if (accept && FExtraFilters->ActiveFilterCount() > 0) accept = FExtraFilters->IsCurRecordInFilter(rec);
  return accept;
}

void TCustomMemTableEh::UpdateFilteredView() {
  BeginRecordsViewUpdate();
  {
    auto close = MakeScopeExit([this] { EndRecordsViewUpdate(false); });
    FViewFilterEvent = OnFilterRecord;
    FRecordsView->RefreshFilteredRecsList(false);
    FRecordsView->RefreshFilteredRecsTreeList();
  }
  FRecordsViewUpdated = false;
  if (!FActive) return;
  MTViewDataEvent(-1, mtViewDataChangedEh, -1);
  First();
}

void TCustomMemTableEh::RebuildViewAndGoFirst() {
  if (FActive) UpdateFilteredView();
}

void TCustomMemTableEh::SetFilterText(const String& value) {
  TDataSet::SetFilterText(value);
  if (GetFiltered()) RebuildViewAndGoFirst();
}

void TCustomMemTableEh::SetFiltered(bool value) {
  bool changed = value != GetFiltered();
  TDataSet::SetFiltered(value);
  if (changed) RebuildViewAndGoFirst();
}

void TCustomMemTableEh::SetFilterOptions(TFilterOptions value) {
  TDataSet::SetFilterOptions(value);
  if (GetFiltered()) RebuildViewAndGoFirst();
}

void TCustomMemTableEh::SetOptions(TMemTableOptionsEh value) {
  if (value == FOptions) return;
  FOptions = value;
  TFilterOptions filterOptions = GetFilterOptions();
  if (value.Contains(mtoTextFieldsCaseInsensitive))
    filterOptions.Include(foCaseInsensitive);
  else
    filterOptions.Exclude(foCaseInsensitive);
  SetFilterOptions(filterOptions);
  FRecordsView->SetSortOrderCaseInsensitive(value.Contains(mtoTextFieldsCaseInsensitive));
}

void TCustomMemTableEh::ExtraFiltersChanged(TObject*) { RebuildViewAndGoFirst(); }

TUpdateStatusSet TCustomMemTableEh::GetStatusFilter() const { return FRecordsView->GetStatusFilter(); }

void TCustomMemTableEh::SetStatusFilter(TUpdateStatusSet value) {
  FRecordsView->SetStatusFilter(value);
  if (FActive) First();
}

// ---- Sorting ----

void TCustomMemTableEh::SetSortOrder(const String& value) {
  if (value == FSortOrder) return;
  FSortOrder = value;
  UpdateSortOrder();
}

void TCustomMemTableEh::UpdateSortOrder() {
  if (!FActive) return;
  TBookmark mark = GetBookmark();
  FRecordsView->SetSortOrder(FSortOrder);
  ClearBuffers();
  if (!mark.empty() && BookmarkValid(mark)) {
    InternalGotoBookmark(mark);
    Resync({});
  } else {
    First();
  }
}

void TCustomMemTableEh::SortByFields(const String& sortByStr) {
  if (sortByStr.empty() || !FActive || FRecordsView->Count() == 0) return;
  CheckBrowseMode();
  if (InInstantReadMode()) throw Exception(u"Sort data in InstantReadMode is not allowed.");
  TRecordsViewOrderByList orderBy(FRecordsView.get(), [this] { return GetMemTableData()->GetDataStruct(); });
  orderBy.ParseOrderByStr(sortByStr);
  for (Integer i = 0; i < orderBy.GetCount(); ++i)
    orderBy.GetItem(i)->CaseIns = GetFilterOptions().Contains(foCaseInsensitive);
  auto compare = [this, &orderBy](TMemoryRecordEh* a, TMemoryRecordEh* b, TObject*) -> Integer {
    Integer c = FRecordsView->DefaultCompareRecords(a, b, &orderBy);
    return c != 0 ? c : a->GetIndex() - b->GetIndex();
  };
  if (FRecordsView->GetViewAsTreeList())
    FRecordsView->GetMemoryTreeList()->SortData(
        [&](TBaseTreeNodeEh* a, TBaseTreeNodeEh* b, TObject* p) {
          return compare(static_cast<TMemRecViewEh*>(a)->GetRec(), static_cast<TMemRecViewEh*>(b)->GetRec(),
                         p);
        },
        nullptr, true);
  else
    GetMemTableData()->GetRecordsList()->SortData(compare, nullptr);
  orderBy.ClearFreeItems();
  ClearBuffers();
  Resync({});
}

void TCustomMemTableEh::SortWithExternalProc(const TGetOrderVarValueProcEh& orderValueProc,
                                             const std::vector<std::pair<bool, TFieldType>>& descDirections) {
  if (!FActive || FRecordsView->Count() == 0 || descDirections.empty()) return;
  CheckBrowseMode();
  if (InInstantReadMode()) throw Exception(u"Sort data in InstantReadMode is not allowed.");
  TRecordsListEh* list = GetMemTableData()->GetRecordsList();
  // One key per record, computed once; the sort then only compares keys.
  std::vector<std::vector<Variant>> keys(static_cast<size_t>(list->GetCount()));
  for (Integer r = 0; r < list->GetCount(); ++r) {
    InstantReadEnter(list->GetRec(r), -1);
    auto leave = MakeScopeExit([this] { InstantReadLeave(); });
    for (size_t d = 0; d < descDirections.size(); ++d) {
      Variant v = Variant::Null();
      orderValueProc(v, static_cast<Integer>(d));
      keys[static_cast<size_t>(r)].push_back(v);
    }
  }
  bool caseIns = GetFilterOptions().Contains(foCaseInsensitive);
  list->SortData(
      [&](TMemoryRecordEh* a, TMemoryRecordEh* b, TObject*) -> Integer {
        const auto& ka = keys[static_cast<size_t>(a->GetIndex())];
        const auto& kb = keys[static_cast<size_t>(b->GetIndex())];
        for (size_t d = 0; d < ka.size(); ++d) {
          Integer c = CompareValuesForOrder(ka[d], kb[d], caseIns);
          if (c != 0) return descDirections[d].first ? -c : c;
        }
        return a->GetIndex() - b->GetIndex();
      },
      nullptr);
  ClearBuffers();
  Resync({});
}

// ---- Searching ----

bool TCustomMemTableEh::RowMatches(const std::vector<TField*>& fields, const Variant& keyValues,
                                   TLocateOptions options) {
  for (size_t i = 0; i < fields.size(); ++i) {
    TField* field = fields[i];
    Variant key = VarIsArray(keyValues)
                      ? VarArrayGet(keyValues, VarArrayLowBound(keyValues, 1) + static_cast<int>(i))
                      : keyValues;
    bool textual = options.Contains(loPartialKey) || field->GetDataType() == ftString ||
                   field->GetDataType() == ftMemo || field->GetDataType() == ftFmtMemo ||
                   field->GetDataType() == ftWideString || field->GetDataType() == ftWideMemo;
    if (textual && !VarIsEmptyOrNull(key)) {
      if (field->IsNull()) return false;
      String text = field->GetAsString();
      String keyText = VarToStr(key);
      if (options.Contains(loPartialKey)) text = text.substr(0, keyText.size());
      bool same = options.Contains(loCaseInsensitive) ? AnsiCompareText(text, keyText) == 0
                                                      : AnsiCompareStr(text, keyText) == 0;
      if (!same) return false;
    } else if (!VarEqualsEh(field->GetAsVariant(), key)) {
      return false;
    }
  }
  return !fields.empty();
}

bool TCustomMemTableEh::StoredRecMatches(TMemoryRecordEh* rec, const TIntArray& dataIndexes,
                                         const Variant& keyValues) const {
  const TRecValuesEh& data = rec->GetData();
  if (dataIndexes.size() == 1) return VarEqualsEh(data[static_cast<size_t>(dataIndexes[0])], keyValues);
  for (size_t i = 0; i < dataIndexes.size(); ++i) {
    Variant key = VarArrayGet(keyValues, VarArrayLowBound(keyValues, 1) + static_cast<int>(i));
    if (!VarEqualsEh(data[static_cast<size_t>(dataIndexes[i])], key)) return false;
  }
  return true;
}

Integer TCustomMemTableEh::FindRec(const String& keyFields, const Variant& keyValues, TLocateOptions options,
                                   Integer startRecIndex, bool tryUseIndex) {
  std::vector<TField*> fields = GetFieldList(keyFields);
  bool needValues = !options.Empty();
  TIntArray dataIndexes;
  for (TField* field : fields) {
    Integer index = DataIndexOf(field);
    if (index < 0 || field->GetFieldKind() != fkData) needValues = true;
    dataIndexes.push_back(index);
  }
  if (fields.size() > 1 && !VarIsArray(keyValues)) DatabaseErrorFmt(SFieldValueError, {keyFields}, this);
  TMTIndexEh* index = nullptr;
  if (!needValues && tryUseIndex)
    index = GetMemTableData()->GetRecordsList()->GetIndexes()->GetIndexForFields(keyFields);
  if (index && !index->InUse()) index = nullptr;
  auto testRow = [&](Integer row) {
    InstantReadEnter(InstantRowOfViewRow(row));
    auto leave = MakeScopeExit([this] { InstantReadLeave(); });
    return RowMatches(fields, keyValues, options);
  };
  Integer count = FRecordsView->Count();
  if (index) {
    Integer at = -1;
    if (index->FindRecordIndexByKey(keyValues, at)) {
      Integer row = ViewIndexOf(GetMemTableData()->GetRecordsList()->GetRec(at));
      if (row >= startRecIndex) return row;
    }
  } else {
    for (Integer row = std::max<Integer>(startRecIndex, 0); row < count; ++row) {
      if (needValues ? testRow(row) : StoredRecMatches(FRecordsView->GetRec(row), dataIndexes, keyValues))
        return row;
    }
  }
  while (FDataDriver && !FDataDriver->GetProviderEOF()) {
    {
      BeginRecordsViewUpdate();
      auto close = MakeScopeExit([this] { EndRecordsViewUpdate(false); });
      if (ReadDriverRecords(1) == 0) continue;
    }
    Integer last = FRecordsView->Count() - 1;
    if (last >= std::max<Integer>(startRecIndex, 0) &&
        (needValues ? testRow(last) : StoredRecMatches(FRecordsView->GetRec(last), dataIndexes, keyValues)))
      return last;
  }
  return -1;
}

bool TCustomMemTableEh::Locate(const String& keyFields, const Variant& keyValues, TLocateOptions options) {
  CheckBrowseMode();
  std::vector<TField*> fields = GetFieldList(keyFields);
  if (fields.size() > 1 &&
      (!VarIsArray(keyValues) || VarArrayHighBound(keyValues, 1) - VarArrayLowBound(keyValues, 1) + 1 !=
                                     static_cast<int>(fields.size())))
    DatabaseErrorFmt(SFieldValueError, {keyFields}, this);
  if (FRecordsView->Count() == 0 && (!FDataDriver || FDataDriver->GetProviderEOF())) return false;
  Integer row = FindRec(keyFields, keyValues, options, 0, true);
  if (row < 0) return false;
  DoBeforeScroll();
  FRecordPos = row;
  FInstantReadCurRowNum = row;
  CursorPosChanged();
  Resync({rmExact, rmCenter});
  DoAfterScroll();
  return true;
}

Variant TCustomMemTableEh::ResultValues(const String& resultFields) {
  std::vector<TField*> results = GetFieldList(resultFields);
  if (results.size() == 1 && resultFields.find(u';') == String::npos) {
    Variant v = results[0]->GetAsVariant();
    return VarIsEmpty(v) ? Variant::Null() : v;
  }
  std::vector<Variant> values;
  for (TField* field : results) values.push_back(field->GetAsVariant());
  return VarArrayOf(values);
}

Integer TCustomMemTableEh::InstantRowOfViewRow(Integer viewRow) const {
  return GetState() == dsInsert && viewRow >= FInstantReadCurRowNum ? viewRow + 1 : viewRow;
}

Variant TCustomMemTableEh::Lookup(const String& keyFields, const Variant& keyValues,
                                  const String& resultFields) {
  CheckActive();
  GetFieldList(resultFields);
  Variant result;
  FRecordsView->SetCatchChanged(false);
  Integer row = FindRec(keyFields, keyValues, {}, 0, true);
  if (row >= 0) {
    InstantReadEnter(InstantRowOfViewRow(row));
    auto leave = MakeScopeExit([this] { InstantReadLeave(); });
    result = ResultValues(resultFields);
  }
  // An edit in progress keeps its buffer: records read meanwhile reach the grids by the view's events.
  if (FRecordsView->GetCatchChanged() && GetState() == dsBrowse) Resync({});
  return result;
}

Variant TCustomMemTableEh::LookupAll(const String& keyFields, const Variant& keyValues,
                                     const String& resultFields, TLocateOptions options) {
  CheckActive();
  GetFieldList(resultFields);
  // A fresh result every call: the caller's earlier arrays are never extended.
  std::vector<Variant> matches;
  FRecordsView->SetCatchChanged(false);
  for (Integer row = FindRec(keyFields, keyValues, options, 0, false); row >= 0;
       row = FindRec(keyFields, keyValues, options, row + 1, false)) {
    InstantReadEnter(InstantRowOfViewRow(row));
    auto leave = MakeScopeExit([this] { InstantReadLeave(); });
    matches.push_back(ResultValues(resultFields));
  }
  if (FRecordsView->GetCatchChanged() && GetState() == dsBrowse) Resync({});
  if (matches.empty()) return Variant();
  if (matches.size() == 1) return matches[0];
  return VarArrayOf(matches);
}

// ---- Master-detail ----

void TCustomMemTableEh::SetMasterSource(TDataSource* value) {
  if (value && IsLinkedTo(value)) DatabaseError(SCircularDataLink, this);
  FMasterDataLink->SetDataSource(value);
  CheckDetailMode(true);
}

void TCustomMemTableEh::SetMasterFields(const String& value) {
  FMasterDataLink->SetFieldNames(value);
  CheckDetailMode(true);
}

void TCustomMemTableEh::SetDetailFields(const String& value) {
  FDetailFields = value;
  CheckDetailMode(true);
}

void TCustomMemTableEh::SetMasterDetailSide(TMasterDetailSideEh value) {
  if (value == FMasterDetailSide) return;
  FMasterDetailSide = value;
  CheckDetailMode(false);
  if (FDetailMode && FActive) {
    if (value == mdsOnProviderEh) {
      Close();
      Open();
    } else {
      UpdateFilteredView();
    }
  }
}

Variant TCustomMemTableEh::MasterValues() const {
  const std::vector<TField*>& fields = FMasterDataLink->GetFields();
  if (fields.empty()) return Variant();
  if (fields.size() == 1) return fields[0]->GetAsVariant();
  std::vector<Variant> values;
  for (TField* field : fields) values.push_back(field->GetAsVariant());
  return VarArrayOf(values);
}

bool TCustomMemTableEh::DetailMatches(TMemoryRecordEh* rec) const {
  TIntArray indexes = GetMemTableData()->GetDataStruct()->FieldsIndex(FDetailFields);
  if (indexes.empty()) return true;
  Variant value = indexes.size() == 1 ? rec->GetData()[static_cast<size_t>(indexes[0])]
                                      : rec->GetDataIndexValues(indexes, dvvValueEh);
  return VarEqualsEh(value, FMasterValues);
}

void TCustomMemTableEh::CheckDetailMode(bool refresh) {
  bool linkActive = FMasterDataLink->GetActive();
  bool mode = FMasterDetailSide == mdsOnProviderEh
                  ? linkActive
                  : (!FDetailFields.empty() && linkActive && !FMasterDataLink->GetFields().empty());
  if (mode != FDetailMode) {
    FDetailMode = mode;
    FMasterValues = mode && FMasterDetailSide != mdsOnProviderEh ? MasterValues() : Variant();
  }
  if (!refresh || !FActive) return;
  if (FMasterDetailSide == mdsOnSelfEh) {
    UpdateFilteredView();
  } else if (FDataDriver && GetMasterSource() && GetMasterSource()->GetDataSet()->GetActive()) {
    if (FDataDriver->RefreshReaderParamsFromCursor(GetMasterSource()->GetDataSet())) {
      Close();
      Open();
    }
  }
}

void TCustomMemTableEh::MasterChanged(TObject*) {
  bool wasDetail = FDetailMode;
  CheckDetailMode(false);
  if (!FActive) return;
  if (FMasterDetailSide == mdsOnProviderEh) {
    CheckDetailMode(true);
    return;
  }
  if (wasDetail != FDetailMode || (FDetailMode && !VarEqualsEh(MasterValues(), FMasterValues))) {
    FMasterValues = MasterValues();
    if (FMasterDetailSide == mdsOnSelfAfterProviderEh && FDataDriver) {
      bool seen = std::any_of(FMasterValList.begin(), FMasterValList.end(),
                              [&](const Variant& v) { return VarEqualsEh(v, FMasterValues); });
      if (!seen) {
        ReadDriverRecords(-1);
        FDataDriver->ConsumerClosed(this);
        FDataDriver->SetReaderParamsFromCursor(GetMasterSource()->GetDataSet());
        FMasterValList.push_back(FMasterValues);
        FDataSetReader = FDataDriver->GetDataReader();
        ReadDriverRecords(-1);
      }
    }
    UpdateFilteredView();
  }
}

// ---- Tree ----

TMemRecViewEh* TCustomMemTableEh::GetTreeNode() {
  CheckActive();
  if (!FRecordsView->GetViewAsTreeList()) return nullptr;
  TMTRecBuf* buffer = GetActiveRecBuf();
  return buffer ? buffer->RecView : nullptr;
}

Integer TCustomMemTableEh::GetTreeNodeLevel() {
  TMemRecViewEh* node = GetTreeNode();
  return node ? node->GetNodeLevel() : -1;
}

Integer TCustomMemTableEh::GetTreeNodeChildCount() {
  TMemRecViewEh* node = GetTreeNode();
  return node ? node->GetVisibleNodesCount() : -1;
}

bool TCustomMemTableEh::GetTreeNodeHasChildren() {
  TMemRecViewEh* node = GetTreeNode();
  return node && node->GetNodeHasChildren();
}

bool TCustomMemTableEh::GetTreeNodeHasVisibleChildren() {
  TMemRecViewEh* node = GetTreeNode();
  return node && node->GetNodeHasVisibleChildren();
}

void TCustomMemTableEh::SetTreeNodeHasVisibleChildren(bool value) {
  TMemRecViewEh* node = GetTreeNode();
  if (!node) {
    if (TMTRecBuf* buffer = GetActiveRecBuf()) buffer->NewTreeNodeHasChildren = value;
    return;
  }
  node->SetNodeHasVisibleChildren(value);
  Resync({});
}

bool TCustomMemTableEh::GetTreeNodeExpanded() {
  TMemRecViewEh* node = GetTreeNode();
  return node && node->GetNodeExpanded();
}

void TCustomMemTableEh::SetTreeNodeExpanded(bool value) {
  TMemRecViewEh* node = GetTreeNode();
  if (!node) {
    if (TMTRecBuf* buffer = GetActiveRecBuf()) buffer->NewTreeNodeExpanded = value;
    return;
  }
  node->SetNodeExpanded(value);
  Resync({});
}

bool TCustomMemTableEh::TreeExpandedChanging(TBaseTreeNodeEh* baseNode) {
  auto* node = static_cast<TMemRecViewEh*>(baseNode);
  bool allow = true;
  if (node->GetNodeExpanded()) return allow;
  if (OnRecordsViewTreeNodeExpanding) OnRecordsViewTreeNodeExpanding(this, node, allow);
  if (!FActive || !OnTreeNodeExpanding) return allow;
  TMTRecBuf* active = GetActiveRecBuf(true);
  if (active && active->RecView == node) {
    OnTreeNodeExpanding(this, active->RecordNumber + 1, allow);
    return allow;
  }
  TMemoryTreeListEh* tree = FRecordsView->GetMemoryTreeList();
  Integer row = -1;
  for (Integer i = 0, n = tree->GetVisibleExpandedCount(); i < n; ++i)
    if (tree->GetVisibleExpandedItem(i) == node) row = i;
  InstantReadEnter(node, row);
  auto leave = MakeScopeExit([this] { InstantReadLeave(); });
  OnTreeNodeExpanding(this, row + 1, allow);
  return allow;
}

void TCustomMemTableEh::TreeExpandedChanged(TBaseTreeNodeEh* baseNode) {
  auto* node = static_cast<TMemRecViewEh*>(baseNode);
  if (!FActive) return;
  TMemoryTreeListEh* tree = FRecordsView->GetMemoryTreeList();
  if (ControlsDisabled()) {
    tree->VisibleItemsBecomeObsolete();
    MTViewDataEvent(-1, mtViewDataChangedEh, -1);
  } else {
    tree->BuildVisibleItems();
    CursorPosChanged();
    Resync({});
    DoAfterScroll();
    MTViewDataEvent(-1, mtViewDataChangedEh, -1);
  }
  if (OnRecordsViewTreeNodeExpanded && node->GetNodeExpanded()) OnRecordsViewTreeNodeExpanded(this, node);
}

bool TCustomMemTableEh::GetViewAsTreeList() { return FRecordsView->GetViewAsTreeList(); }

Integer TCustomMemTableEh::GetPrevVisibleTreeNodeLevel() {
  Integer recNo = GetRecNo();
  if (!FRecordsView->GetViewAsTreeList() || recNo <= 1) return -1;
  return FRecordsView->GetMemoryTreeList()->GetVisibleExpandedItem(recNo - 2)->GetNodeLevel();
}

Integer TCustomMemTableEh::GetNextVisibleTreeNodeLevel() {
  Integer recNo = GetRecNo();
  if (!FRecordsView->GetViewAsTreeList() || recNo < 1 || recNo >= GetRecordCount()) return -1;
  return FRecordsView->GetMemoryTreeList()->GetVisibleExpandedItem(recNo)->GetNodeLevel();
}

TMemoryRecordEh* TCustomMemTableEh::GetActiveRecord() {
  CheckActive();
  return GetRec();
}

namespace {

TBaseTreeNodeEh* AncestorAtLevel(TMemRecViewEh* node, Integer level) {
  TBaseTreeNodeEh* n = node;
  for (Integer l = node->GetNodeLevel(); l > level && n; --l) n = n->GetParent();
  return n;
}

}  // namespace

bool TCustomMemTableEh::ParentHasNextVisibleSibling(Integer level) {
  CheckActive();
  TMemRecViewEh* node = GetTreeNode();
  if (level <= 0 || !node) return false;
  TBaseTreeNodeEh* ancestor = AncestorAtLevel(node, level);
  return ancestor && FRecordsView->GetMemoryTreeList()->GetNextVisibleSibling(ancestor) != nullptr;
}

bool TCustomMemTableEh::ParentHasPriorVisibleSibling(Integer level) {
  CheckActive();
  TMemRecViewEh* node = GetTreeNode();
  if (level <= 0 || !node) return false;
  TBaseTreeNodeEh* ancestor = AncestorAtLevel(node, level);
  return ancestor && FRecordsView->GetMemoryTreeList()->GetPriorVisibleSibling(ancestor) != nullptr;
}

Integer TCustomMemTableEh::SetTreeNodeExpandedAtRow(Integer rowNum, bool expanded) {
  CheckActive();
  Integer result = -1;
  TMemRecViewEh* remembered = GetTreeNode();
  TMemRecViewEh* node = nullptr;
  InstantReadEnter(rowNum);
  node = FInstantBuffers.back()->RecView;
  InstantReadLeave();
  if (!node) return -1;
  node->SetNodeExpanded(expanded);
  FRecordsView->GetMemoryTreeList()->BuildVisibleItems();
  if (remembered) {
    TMemRecViewEh* n = remembered;
    bool stepped = false;
    while (ViewIndexOf(n->GetRec()) < 0 && n->GetNodeLevel() > 1) {
      n = n->GetNodeParent();
      stepped = true;
    }
    if (stepped && ViewIndexOf(n->GetRec()) >= 0) result = ViewIndexOf(n->GetRec()) + 1;
  }
  CursorPosChanged();
  Resync({});
  DoAfterScroll();
  return result;
}

// ---- Aggregates ----

bool TCustomMemTableEh::GetAggregatesActive() const { return FRecordsView->GetAggregates()->GetActive(); }

void TCustomMemTableEh::SetAggregatesActive(bool value) {
  if (value == GetAggregatesActive()) return;
  FRecordsView->GetAggregates()->SetActive(value);
  if (FActive && GetAggFields()->GetCount() > 0) Resync({});
}

void TCustomMemTableEh::GetAggregatedValuesForRange(const TBookmark& fromBookmark,
                                                    const TBookmark& toBookmark, const String& fieldName,
                                                    TAggrResultArr& resultArr, TAggrFunctionsEh aggrFuncs) {
  resultArr.assign(5, Variant::Null());
  resultArr[agfCountEh] = 0;
  if (!FActive) return;
  if ((!fromBookmark.empty() && !BookmarkValid(fromBookmark)) ||
      (!toBookmark.empty() && !BookmarkValid(toBookmark)))
    return;
  Integer from = fromBookmark.empty() ? 1 : BookmarkToRecNo(fromBookmark);
  Integer to = toBookmark.empty() ? GetRecordCount() : BookmarkToRecNo(toBookmark);
  if (fieldName.empty() && aggrFuncs == TAggrFunctionsEh{agfCountEh}) {
    resultArr[agfCountEh] = std::max<Integer>(to - from + 1, 0);
    return;
  }
  TMTDataStructEh* ds = GetMemTableData()->GetDataStruct();
  Integer index = ds->FieldIndex(fieldName);
  if (index < 0) return;
  TVarType type = ds->GetDataField(index)->VarDataType();
  bool numeric = type == varSmallint || type == varInteger || type == varSingle || type == varDouble ||
                 type == varCurrency || type == varDate || type == varShortInt || type == varByte ||
                 type == varWord || type == varLongWord || type == varInt64 || type == varFMTBcd;
  Integer count = 0;
  Variant& sum = resultArr[agfSumEh];
  Variant& mn = resultArr[agfMin];
  Variant& mx = resultArr[agfMax];
  for (Integer row = from - 1; row <= to - 1 && row < FRecordsView->Count(); ++row) {
    if (row < 0) continue;
    const Variant v = FRecordsView->GetRec(row)->GetData()[static_cast<size_t>(index)];
    if (VarIsEmptyOrNull(v)) continue;
    if (aggrFuncs.Contains(agfCountEh) || aggrFuncs.Contains(agfAvg)) ++count;
    if (!numeric) continue;
    if ((aggrFuncs.Contains(agfSumEh) || aggrFuncs.Contains(agfAvg)) && type != varDate)
      sum = VarIsNull(sum) ? v : sum + v;
    if (aggrFuncs.Contains(agfMin) && (VarIsNull(mn) || VarCompareValue(mn, v) == vrGreaterThan)) mn = v;
    if (aggrFuncs.Contains(agfMax) && (VarIsNull(mx) || VarCompareValue(mx, v) == vrLessThan)) mx = v;
  }
  resultArr[agfCountEh] = count;
  if (aggrFuncs.Contains(agfAvg) && !VarIsNull(sum) && count > 0) resultArr[agfAvg] = sum / Variant(count);
}

// ---- Moving records ----

bool TCustomMemTableEh::MoveTreeNode(TMemRecViewEh* source, TMemRecViewEh* target, int how, bool checkOnly) {
  // how: 0 after target, 1 before target, 2 as target's child.
  TIntArray keyFields = FRecordsView->GetTreeViewKeyFields();
  TIntArray refFields = FRecordsView->GetTreeViewRefParentFields();
  TMemoryRecordEh* targetRec = target->GetRec();
  Variant newRef = how == 2 ? targetRec->GetDataIndexValues(keyFields, dvvValueEh)
                            : targetRec->GetDataIndexValues(refFields, dvvValueEh);
  if (OnRecordsViewCheckMoveNode) {
    TMemRecViewEh* parent = how == 2 ? target : target->GetNodeParent();
    Integer srcIndex = source->GetRec()->GetIndex(), tgtIndex = targetRec->GetIndex();
    Integer appointed = how == 2   ? 0
                        : how == 0 ? tgtIndex + (tgtIndex <= srcIndex ? 1 : 0)
                                   : tgtIndex - (srcIndex < tgtIndex ? 1 : 0);
    if (!OnRecordsViewCheckMoveNode(this, source, parent, appointed)) return false;
  }
  if (checkOnly) return !FRecordsView->GetMemoryTreeList()->CheckReferenceLoop(source->GetRec(), newRef);
  TMemoryRecordEh* rec = source->GetRec();
  rec->Edit();
  auto undo = MakeScopeExit([rec] {
    if (rec->GetEditState() == resEditEh) rec->Cancel();
  });
  rec->SetDataIndexValues(refFields, dvvValueEh, newRef);
  rec->Post();
  undo.Release();
  if (how != 2) {
    TRecordsListEh* list = GetMemTableData()->GetRecordsList();
    Integer srcIndex = rec->GetIndex(), tgtIndex = targetRec->GetIndex();
    Integer to = how == 0 ? (srcIndex < tgtIndex ? tgtIndex : tgtIndex + 1)
                          : (srcIndex < tgtIndex ? tgtIndex - 1 : tgtIndex);
    if (to != srcIndex && to >= 0 && to < list->GetCount()) list->Move(srcIndex, to);
  }
  return true;
}

bool TCustomMemTableEh::MoveRecord(Integer fromIndex, Integer toIndex, Integer treeLevel, bool checkOnly) {
  Integer count = FRecordsView->Count();
  if (!FActive || fromIndex > count || toIndex > count || fromIndex < 0 || toIndex < 0) return true;
  TMemoryRecordEh* current = GetRec();
  if (!FRecordsView->GetViewAsTreeList()) {
    if (checkOnly || fromIndex >= count || toIndex >= count) return true;
    TRecordsListEh* list = GetMemTableData()->GetRecordsList();
    list->Move(FRecordsView->GetRec(fromIndex)->GetIndex(), FRecordsView->GetRec(toIndex)->GetIndex());
    Integer row = ViewIndexOf(current);
    if (row >= 0) FRecordPos = row;
    Resync({});
    return true;
  }
  if (!checkOnly) BeginRecordsViewUpdate();
  auto close = MakeScopeExit([&] {
    if (!checkOnly) EndRecordsViewUpdate(true);
  });
  TMemoryTreeListEh* tree = FRecordsView->GetMemoryTreeList();
  TMemRecViewEh* source = tree->GetVisibleExpandedItem(fromIndex);
  TMemRecViewEh* prev = nullptr;
  TMemRecViewEh* next = nullptr;
  if (fromIndex < toIndex) {
    prev = toIndex < count ? tree->GetVisibleExpandedItem(toIndex) : nullptr;
    next = toIndex + 1 < count - 1 ? tree->GetVisibleExpandedItem(toIndex + 1) : nullptr;
  } else {
    prev = toIndex > 0 ? tree->GetVisibleExpandedItem(toIndex - 1) : nullptr;
    next = toIndex < count ? tree->GetVisibleExpandedItem(toIndex) : nullptr;
  }
  bool result = true;
  if (prev && prev->GetNodeLevel() == treeLevel)
    result = MoveTreeNode(source, prev, 0, checkOnly);
  else if (next && next->GetNodeLevel() == treeLevel)
    result = MoveTreeNode(source, next, 1, checkOnly);
  else if (prev && prev->GetNodeLevel() < treeLevel)
    result = MoveTreeNode(source, prev, 2, checkOnly);
  else if (prev && prev->GetNodeLevel() > treeLevel) {
    TMemRecViewEh* p = prev;
    while (p && p->GetNodeLevel() > treeLevel) {
      p = p->GetNodeParent();
      if (!p || p == tree->GetRootNode()) return true;
    }
    result = MoveTreeNode(source, p, 0, checkOnly);
  }
  if (!checkOnly) {
    Integer row = ViewIndexOf(current);
    if (row >= 0) FRecordPos = row;
  }
  return result;
}

bool TCustomMemTableEh::MoveRecords(TBMListEh* bookmarkList, Integer toRecNo, Integer treeLevel,
                                    bool checkOnly) {
  std::vector<TMemoryRecordEh*> recs;
  for (Integer i = 0; i < bookmarkList->GetCount(); ++i)
    recs.push_back(BookmarkToRec(bookmarkList->GetItem(i)));
  if (!checkOnly) BeginRecordsViewUpdate();
  auto close = MakeScopeExit([&] {
    if (!checkOnly) EndRecordsViewUpdate(true);
  });
  Integer toIndex = toRecNo - 1;
  bool result = true;
  for (size_t k = recs.size(); k-- > 0 && result;) {
    Integer fromIndex = ViewIndexOf(recs[k]);
    if (fromIndex < 0) continue;
    if (k + 1 < recs.size() && fromIndex < toIndex) --toIndex;
    result = MoveRecord(fromIndex, toIndex, treeLevel, checkOnly) && result;
  }
  if (!checkOnly)
    for (Integer i = 0; i < bookmarkList->GetCount(); ++i)
      bookmarkList->SetItem(i, RecToBookmark(recs[static_cast<size_t>(i)]));
  return result;
}

// ---- Extra filters and value lists ----

TMemTableFilterItemEh* TCustomMemTableEh::ApplyExtraFilter(const String& filterText,
                                                           TFilterRecordEvent filterEvent) {
  TMemTableFilterItemEh* item = FExtraFilters->Add();
  item->SetFilter(filterText);
  item->SetOnFilterRecord(filterEvent);
  item->SetActive(true);
  return item;
}

bool TCustomMemTableEh::UpdateExtraFilter(TMemTableFilterItemEh* item, const String& filterText,
                                          TFilterRecordEvent filterEvent) {
  if (FExtraFilters->IndexOfFilter(item) < 0) return false;
  if (item->GetFilter() != filterText) {
    item->SetFilter(filterText);
    item->SetOnFilterRecord(filterEvent);
  } else if (item->GetOnFilterRecord() == filterEvent) {
    item->FilterProcChanged();
  } else {
    item->SetOnFilterRecord(filterEvent);
  }
  return true;
}

bool TCustomMemTableEh::RemoveExtraFilter(TMemTableFilterItemEh* item) {
  if (FExtraFilters->IndexOfFilter(item) < 0) return false;
  delete item;
  return true;
}

std::shared_ptr<IMemTableDataFieldValueListEh> TCustomMemTableEh::CreateFieldValueList(
    const String& fieldName) {
  TField* field = FindField(fieldName);
  if (!field) return nullptr;
  // Lookup fields list the values of their lookup dataset, which the grid's own dataset lists serve.
  if (field->GetFieldKind() == fkLookup) return nullptr;
  auto list = std::make_shared<TMemTableDataFieldValueListEh>(this);
  list->SetFieldName(fieldName);
  list->SetDataObject(GetMemTableData());
  return list;
}
