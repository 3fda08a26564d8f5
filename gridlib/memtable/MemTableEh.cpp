// The in-memory table's spine: construction, record buffers, opening and closing, navigation,
// bookmarks, instant reading, record events to the grids, and editing with cached updates.
#include "gridlib/memtable/MemTableEh.h"

#include <algorithm>
#include <utility>

#include "gridlib/memtable/ADODataDriverEh.h"
#include "gridlib/memtable/DataDriverEh.h"
#include "platform/data/FieldBuffer.h"
#include "platform/rtl/ScopeGuard.h"

// ---- TMTRecBuf ----

Variant TMTRecBuf::GetValue(Integer dataIndex) const {
  if (dataIndex < 0) return Variant::Null();
  if (UseMemRec && MemRec) {
    const TRecValuesEh& data = MemRec->GetData();
    return static_cast<size_t>(dataIndex) < data.size() ? data[static_cast<size_t>(dataIndex)]
                                                        : Variant::Null();
  }
  return static_cast<size_t>(dataIndex) < Values.size() ? Values[static_cast<size_t>(dataIndex)]
                                                        : Variant::Null();
}

void TMTRecBuf::SetValue(Integer dataIndex, const Variant& value) {
  if (UseMemRec) {
    if (MemRec) Values = MemRec->GetData().ToVector();
    UseMemRec = false;
  }
  if (static_cast<size_t>(dataIndex) >= Values.size()) Values.resize(static_cast<size_t>(dataIndex) + 1);
  Values[static_cast<size_t>(dataIndex)] = value;
}

Variant TMTRecBuf::GetOldValue(Integer dataIndex) const {
  if (UseMemRec && MemRec && !MemRec->GetOldData().empty())
    return MemRec->GetDataValue(dataIndex, dvvOldValueEh);
  return GetValue(dataIndex);
}

void TMTRecBuf::SetLength(Integer length) {
  if (static_cast<Integer>(Values.size()) != length) Values.resize(static_cast<size_t>(length));
  Clear();
}

void TMTRecBuf::Clear() { std::fill(Values.begin(), Values.end(), Variant::Null()); }

// ---- Construction ----

TCustomMemTableEh::TCustomMemTableEh(TComponent* owner)
    : TDataSet(owner),
      FInternMemTableData(std::unique_ptr<TMemTableDataEh>(CreateMemTableData())),
      FRecordsView(std::make_unique<TRecordsViewEh>(this)),
      FTreeList(std::make_unique<TMemTableTreeListEh>(this)),
      FExtraFilters(std::make_unique<TMemTableFiltersEh>(this)),
      FMasterDataLink(std::make_unique<TMasterDataLink>(this)),
      FParams(std::make_unique<TParams>(this)) {
  FInternMemTableData->SetName(u"MemTableData");
  FExtraFilters->OnChanged = TNotifyEvent(this, &TCustomMemTableEh::ExtraFiltersChanged);
  FExtraFilters->OnIsTableActive = [this] { return FActive; };
  FMasterDataLink->OnMasterChange = TNotifyEvent(this, &TCustomMemTableEh::MasterChanged);
  ConnectView();
}

TCustomMemTableEh::~TCustomMemTableEh() {
  Close();
  DetachDataDriver();
  for (TMTRecBuf* buffer : FInstantBuffers) delete buffer;
  FInstantBuffers.clear();
  delete FScratchBuffer;
  FRecordsView->OnViewDataEvent = nullptr;
  FRecordsView->OnViewRecordMovedEvent = nullptr;
  FRecordsView->OnFilterRecord = nullptr;
  FRecordsView.reset();
  FExtraFilters.reset();
}

TMemTableDataEh* TCustomMemTableEh::CreateMemTableData() { return new TMemTableDataEh(nullptr); }

TMemTableDataEh* TCustomMemTableEh::GetMemTableData() const {
  return FExternalMemData ? FExternalMemData->GetInternMemTableData() : FInternMemTableData.get();
}

void TCustomMemTableEh::ConnectView() {
  TRecordsViewEh* view = FRecordsView.get();
  view->OnFilterRecord = [this](TMemoryRecordEh* rec, TMemRecViewEh* node) {
    return RecordFilter(rec, node);
  };
  view->OnViewDataEvent = TRecordsListNotificatorDataEventEh(this, &TCustomMemTableEh::ViewDataEventHandler);
  view->OnViewRecordMovedEvent =
      TRecordsListRecordMovedEventEh(this, &TCustomMemTableEh::ViewRecordMovedHandler);
  view->OnFetchRecords = [this](Integer count) { return FetchRecordsHandler(count); };
  view->GetMemoryTreeList()->OnExpandedChanging =
      TTreeNodeNotifyResultEvent(this, &TCustomMemTableEh::TreeExpandedChanging);
  view->GetMemoryTreeList()->OnExpandedChanged =
      TTreeNodeNotifyEvent(this, &TCustomMemTableEh::TreeExpandedChanged);
  view->SetCachedUpdates(false);
  view->SetMemTableData(GetMemTableData());
  GetMemTableData()->GetDataStruct()->OnStructChanged =
      TNotifyEvent(this, &TCustomMemTableEh::StructChangedHandler);
}

TAutoIncrementEh* TCustomMemTableEh::GetAutoIncrement() const {
  return GetMemTableData()->GetAutoIncrement();
}

void TCustomMemTableEh::SetAutoIncrement(TAutoIncrementEh* value) {
  GetMemTableData()->SetAutoIncrement(value);
}

void TCustomMemTableEh::SetParams(TParams* value) { FParams->Assign(value); }

bool TCustomMemTableEh::GetCachedUpdates() const { return FRecordsView->GetCachedUpdates(); }

void TCustomMemTableEh::SetCachedUpdates(bool value) {
  FRecordsView->SetCachedUpdates(value);
  GetMemTableData()->GetRecordsList()->SetCachedUpdates(value);
}

void TCustomMemTableEh::SetReadOnly(bool value) {
  FReadOnly = value;
  DataEvent(deDataSetChange, 0);
}

void TCustomMemTableEh::Notification(TComponent* component, TOperation operation) {
  TDataSet::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FExternalMemData) SetExternalMemData(nullptr);
  if (component == FDataSetReader) FDataSetReader = nullptr;
  if (component == reinterpret_cast<TComponent*>(FDataDriver)) SetDataDriver(nullptr);
  FEventReceivers.erase(std::remove(FEventReceivers.begin(), FEventReceivers.end(), component),
                        FEventReceivers.end());
}

void TCustomMemTableEh::StructChangedHandler(TObject*) {
  if (!FActive || GetMemTableData()->GetRestructMode()) return;
  TDataDriverEh* driver = FDataDriver;
  FDataDriver = nullptr;
  auto reattach = MakeScopeExit([&] { FDataDriver = driver; });
  Close();
  if (GetMemTableData()->GetDataStruct()->GetCount() > 0) Open();
}

// ---- Record buffers ----

TRecordBuffer TCustomMemTableEh::AllocRecordBuffer() {
  return reinterpret_cast<TRecordBuffer>(new TMTRecBuf());
}

void TCustomMemTableEh::FreeRecordBuffer(TRecordBuffer& buffer) {
  delete RecBuf(buffer);
  buffer = nullptr;
}

void TCustomMemTableEh::InternalInitRecord(TRecordBuffer buffer) {
  TMTRecBuf* buf = RecBuf(buffer);
  buf->SetLength(GetMemTableData()->GetDataStruct()->GetCount());
  buf->MemRec = nullptr;
  buf->RecView = nullptr;
  buf->UseMemRec = false;
  buf->BookmarkData = TBookmarkDataEh();
  buf->BookmarkFlag = bfInserted;
  buf->RecordNumber = -1;
}

void TCustomMemTableEh::FillRecBufFromMemRec(TMTRecBuf* buffer, TMemoryRecordEh* rec) {
  buffer->MemRec = rec;
  buffer->UseMemRec = true;
  buffer->BookmarkData = TBookmarkDataEh{rec, -1, -1};
  buffer->BookmarkFlag = bfCurrent;
}

void TCustomMemTableEh::FillRecBufFromRecord(TMTRecBuf* buffer, Integer row) {
  TMemRecViewEh* node = FRecordsView->GetRecordView(row);
  FillRecBufFromMemRec(buffer, node->GetRec());
  buffer->RecView = node;
  buffer->RecordNumber = row;
  buffer->BookmarkData.RecViewIndex = row;
}

TMTRecBuf* TCustomMemTableEh::GetActiveRecBuf(bool ignoreInstantRead) const {
  if (!ignoreInstantRead && !FInstantBuffers.empty()) return FInstantBuffers.back();
  switch (GetState()) {
    case dsInactive:
    case dsSetKey:
      return nullptr;
    default:
      return RecBuf(GetActiveRecordBuffer());
  }
}

Integer TCustomMemTableEh::DataIndexOf(TField* field) const {
  if (field->GetFieldKind() != fkData && field->GetFieldKind() != fkInternalCalc) return -1;
  return field->GetFieldNo() - 1;
}

TMTDataFieldEh* TCustomMemTableEh::DataFieldOf(TField* field) const {
  Integer index = DataIndexOf(field);
  TMTDataStructEh* ds = GetMemTableData()->GetDataStruct();
  return index >= 0 && index < ds->GetCount() ? ds->GetDataField(index) : nullptr;
}

// ---- Opening and closing ----

void TCustomMemTableEh::InternalInitFieldDefs() {
  TMTDataStructEh* ds = GetMemTableData()->GetDataStruct();
  if (ds->GetCount() == 0 && FDataDriver) FDataDriver->BuildDataStruct(ds);
  GetFieldDefs()->Clear();
  ds->BuildFieldDefsFromStruct(GetFieldDefs());
}

void TCustomMemTableEh::InternalOpen() {
  TMemTableDataEh* data = GetMemTableData();
  if (FDataDriver && !FExternalMemData) {
    FDataSetReader = FDataDriver->GetDataReader();
    if (data->GetDataStruct()->GetCount() == 0) FDataDriver->BuildDataStruct(data->GetDataStruct());
  }
  if (data->GetDataStruct()->GetCount() == 0 && GetFieldDefs()->GetCount() > 0)
    data->GetDataStruct()->BuildStructFromFieldDefs(GetFieldDefs());
  if (data->GetDataStruct()->GetCount() == 0) DatabaseError(u"MemTable doesn't have data.", this);
  GetFieldDefs()->SetUpdated(false);
  InitFieldDefs();
  if (DefaultFields() && GetFieldCount() == 0) CreateFields();
  BindFields(true);
  if (GetFieldCount() == 0) DatabaseError(u"No fields defined. Cannot create dataset.", this);
  String keys = PSGetKeyFields();
  for (TField* field : GetFields()->List())
    if (TMTDataFieldEh* dataField = data->GetDataStruct()->FindField(field->GetFieldName()))
      if (DefaultFields()) dataField->AssignPropsTo(field);
  FActive = true;
  FRecordPos = -1;
  FInstantReadCurRowNum = -1;
  CheckDetailMode(false);
  if (FDataDriver && FDetailMode && FMasterDetailSide != mdsOnSelfEh) {
    if (TDataSet* master = GetMasterSource() ? GetMasterSource()->GetDataSet() : nullptr)
      if (master->GetActive()) FDataDriver->SetReaderParamsFromCursor(master);
  }
  FRecordsView->UpdateFields();
  FRecordsView->GetAggregates()->Reset();
  FRecordsView->SetSortOrderCaseInsensitive(FOptions.Contains(mtoTextFieldsCaseInsensitive));
  FRecordsView->SetSortOrder(FSortOrder);
  CreateIndexesFromDefs();
  FRecordsView->RefreshFilteredRecsList(true);
  FRecordsView->RefreshFilteredRecsTreeList();
  FViewFilterEvent = OnFilterRecord;
  if (FFetchAllOnOpen) ReadDriverRecords(-1);
}

void TCustomMemTableEh::InternalClose() {
  FMasterValList.clear();
  FActive = false;
  FStateInsert = false;
  FRecordsView->GetAggregates()->Reset();
  FDataSetReader = nullptr;
  if (FDataDriver) FDataDriver->ConsumerClosed(this);
}

void TCustomMemTableEh::Loaded() {
  TDataSet::Loaded();
  FTreeList->Loaded();
}

// ---- Record fetch and cursor ----

TGetResult TCustomMemTableEh::GetRecord(TRecordBuffer buffer, TGetMode getMode, bool) {
  TGetResult result = grOK;
  Integer count = FRecordsView->Count();
  switch (getMode) {
    case gmCurrent:
      if (FRecordPos < 0 || FRecordPos >= count) result = grError;
      break;
    case gmNext:
      if (FRecordPos >= count - 1 && FDataDriver && !FDataDriver->GetProviderEOF()) {
        BeginRecordsViewUpdate();
        auto close = MakeScopeExit([this] { EndRecordsViewUpdate(false); });
        ReadDriverRecords(FFetchAllOnOpen ? -1 : 1);
        count = FRecordsView->Count();
      }
      if (FRecordPos < count - 1) {
        ++FRecordPos;
      } else {
        FRecordPos = count;
        result = grEOF;
      }
      break;
    case gmPrior:
      if (FRecordPos > 0) {
        --FRecordPos;
      } else {
        FRecordPos = -1;
        FInstantReadCurRowNum = 0;
        result = grBOF;
      }
      break;
  }
  if (FRecordPos >= 0) FInstantReadCurRowNum = FRecordPos;
  if (result == grOK) FillRecBufFromRecord(RecBuf(buffer), FRecordPos);
  return result;
}

void TCustomMemTableEh::InternalFirst() {
  // An OnFilterRecord assigned directly (not through its setter) is noticed when the cursor restarts.
  if (FActive && GetFiltered() && !(OnFilterRecord == FViewFilterEvent)) {
    FViewFilterEvent = OnFilterRecord;
    FRecordsView->RefreshFilteredRecsList(false);
    FRecordsView->RefreshFilteredRecsTreeList();
  }
  FRecordPos = -1;
  FInstantReadCurRowNum = 0;
}

void TCustomMemTableEh::InternalLast() {
  const bool appending = std::exchange(FInsertStarting, false);
  if (FDataDriver && !FDataDriver->GetProviderEOF() && !appending) {
    BeginRecordsViewUpdate();
    auto close = MakeScopeExit([this] { EndRecordsViewUpdate(false); });
    ReadDriverRecords(-1);
  }
  FRecordPos = FRecordsView->Count();
  FInstantReadCurRowNum = FRecordPos - 1;
}

Integer TCustomMemTableEh::GetRecordCount() const {
  if (!FActive) return 0;
  return FRecordsView->Count();
}

Integer TCustomMemTableEh::GetRecNo() const {
  if (!FActive) return -1;
  TMTRecBuf* buffer = GetActiveRecBuf();
  if (!buffer || GetState() == dsInsert) return -1;
  if (buffer->MemRec && FInstantBuffers.empty()) {
    Integer row = ViewIndexOf(buffer->MemRec);
    if (row >= 0) return row + 1;
  }
  return buffer->RecordNumber + 1;
}

void TCustomMemTableEh::SetRecNo(Integer value) {
  CheckBrowseMode();
  if (value < 1 || value > FRecordsView->Count()) return;
  DoBeforeScroll();
  FRecordPos = value - 1;
  CursorPosChanged();
  Resync({});
  DoAfterScroll();
}

Integer TCustomMemTableEh::ViewIndexOf(TMemoryRecordEh* rec) const {
  if (!rec) return -1;
  if (FRecordsView->GetViewAsTreeList()) {
    TMemoryTreeListEh* tree = FRecordsView->GetMemoryTreeList();
    for (Integer i = 0, n = tree->GetVisibleExpandedCount(); i < n; ++i)
      if (tree->GetVisibleExpandedItem(i)->GetRec() == rec) return i;
    return -1;
  }
  if (!FRecordsView->ItemOfRecord(rec)) return -1;
  return FRecordsView->IndexOfRec(rec);
}

bool TCustomMemTableEh::GotoRec(TMemoryRecordEh* rec) {
  Integer row = ViewIndexOf(rec);
  if (row < 0) return false;
  SetRecNo(row + 1);
  return true;
}

void TCustomMemTableEh::Resync(TResyncMode mode) {
  // The view reports its first filling while the cursor opens, before the framework has buffers.
  if (GetState() == dsInactive || GetBufferCount() == 0) return;
  if (FRecordsViewUpdating > 0) {
    FRecordsViewUpdated = true;
    return;
  }
  TDataSet::Resync(mode);
}

void TCustomMemTableEh::EndRecordsViewUpdate(bool doResync) {
  if (FRecordsViewUpdating > 0) --FRecordsViewUpdating;
  if (doResync && FRecordsViewUpdating == 0 && FRecordsViewUpdated) {
    FRecordsViewUpdated = false;
    if (GetState() != dsEdit && GetState() != dsInsert && FActive) Resync({});
  }
}

// ---- Bookmarks ----

bool TCustomMemTableEh::ReadBookmark(const TBookmark& bookmark, TBookmarkDataEh& data) {
  if (bookmark.size() != sizeof(TBookmarkDataEh)) return false;
  std::copy(bookmark.begin(), bookmark.end(), reinterpret_cast<Byte*>(&data));
  return true;
}

TBookmark TCustomMemTableEh::MakeBookmark(const TBookmarkDataEh& data) {
  const Byte* bytes = reinterpret_cast<const Byte*>(&data);
  return TBookmark(bytes, bytes + sizeof data);
}

void TCustomMemTableEh::RefreshBookmark(TBookmarkDataEh& data) const {
  Integer count = FRecordsView->Count();
  if (data.RecViewIndex >= 0 && data.RecViewIndex < count &&
      FRecordsView->GetRecordView(data.RecViewIndex)->GetRec() == data.MemRec) {
    if (data.InSortedListIndex < 0)
      if (TMemRecViewEh* item = FRecordsView->ItemOfRecord(data.MemRec))
        data.InSortedListIndex = item->GetInSortedListIndex();
    return;
  }
  // Looked up by the record's address only: a deleted record's pointer is never followed.
  TMemRecViewEh* item = FRecordsView->GetViewAsTreeList()
                            ? FRecordsView->GetMemoryTreeList()->NodeOfRecord(data.MemRec)
                            : FRecordsView->ItemOfRecord(data.MemRec);
  // A record deleted in cached mode is still in the store, but no longer a place to go to.
  if (item && item->GetRec()->GetUpdateStatus() == usDeleted) item = nullptr;
  data.InSortedListIndex = item ? item->GetInSortedListIndex() : -1;
  data.RecViewIndex = item ? ViewIndexOf(data.MemRec) : -1;
}

void TCustomMemTableEh::GetBookmarkData(TRecordBuffer buffer, TBookmark& data) {
  data = MakeBookmark(RecBuf(buffer)->BookmarkData);
}

void TCustomMemTableEh::SetBookmarkData(TRecordBuffer buffer, const TBookmark& data) {
  ReadBookmark(data, RecBuf(buffer)->BookmarkData);
}

TBookmarkFlag TCustomMemTableEh::GetBookmarkFlag(TRecordBuffer buffer) {
  return RecBuf(buffer)->BookmarkFlag;
}

void TCustomMemTableEh::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) {
  RecBuf(buffer)->BookmarkFlag = value;
}

void TCustomMemTableEh::InternalGotoBookmark(const TBookmark& bookmark) {
  TBookmarkDataEh data;
  if (!ReadBookmark(bookmark, data)) DatabaseError(SRecordNotFound, this);
  RefreshBookmark(data);
  if (data.RecViewIndex < 0 || data.RecViewIndex >= FRecordsView->Count())
    DatabaseError(SRecordNotFound, this);
  FRecordPos = data.RecViewIndex;
  FInstantReadCurRowNum = FRecordPos;
}

void TCustomMemTableEh::InternalSetToRecord(TRecordBuffer buffer) {
  TMTRecBuf* buf = RecBuf(buffer);
  Integer row = ViewIndexOf(buf->MemRec);
  if (row >= 0) {
    FRecordPos = row;
    FInstantReadCurRowNum = row;
  }
}

bool TCustomMemTableEh::BookmarkValid(const TBookmark& bookmark) {
  TBookmarkDataEh data;
  if (!ReadBookmark(bookmark, data)) return false;
  RefreshBookmark(data);
  return data.InSortedListIndex >= 0;
}

bool TCustomMemTableEh::BookmarkInVisibleView(const TBookmark& bookmark) {
  TBookmarkDataEh data;
  if (!ReadBookmark(bookmark, data)) return false;
  RefreshBookmark(data);
  return data.InSortedListIndex >= 0 && data.RecViewIndex >= 0;
}

Integer TCustomMemTableEh::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
  if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
  TBookmarkDataEh da, db;
  ReadBookmark(a, da);
  ReadBookmark(b, db);
  RefreshBookmark(da);
  RefreshBookmark(db);
  return da.InSortedListIndex < db.InSortedListIndex   ? -1
         : da.InSortedListIndex > db.InSortedListIndex ? 1
                                                       : 0;
}

TMemoryRecordEh* TCustomMemTableEh::BookmarkToRec(const TBookmark& bookmark) const {
  TBookmarkDataEh data;
  return ReadBookmark(bookmark, data) ? data.MemRec : nullptr;
}

TBookmark TCustomMemTableEh::RecToBookmark(TMemoryRecordEh* rec) const { return MakeBookmark({rec, -1, -1}); }

Integer TCustomMemTableEh::BookmarkToRecNo(const TBookmark& bookmark) {
  TBookmarkDataEh data;
  if (!ReadBookmark(bookmark, data)) return 0;
  RefreshBookmark(data);
  return data.RecViewIndex + 1;
}

TBookmark TCustomMemTableEh::GetInstantBookmark() {
  if (FInstantBuffers.empty()) return GetBookmark();
  return MakeBookmark(FInstantBuffers.back()->BookmarkData);
}

TMemoryRecordEh* TCustomMemTableEh::GetRec() {
  TMTRecBuf* buffer = GetActiveRecBuf();
  return buffer ? buffer->MemRec : nullptr;
}

TMemRecViewEh* TCustomMemTableEh::GetRecView() {
  TMTRecBuf* buffer = GetActiveRecBuf();
  return buffer ? buffer->RecView : nullptr;
}

// ---- Instant reading ----

void TCustomMemTableEh::InstantReadEnter(Integer rowNum) {
  auto buffer = std::make_unique<TMTRecBuf>();
  TMTRecBuf* active = (GetState() == dsEdit || GetState() == dsInsert) ? RecBuf(ActiveBuffer()) : nullptr;
  if (active && rowNum == FInstantReadCurRowNum) {
    buffer->BookmarkData = active->BookmarkData;
    buffer->BookmarkFlag = active->BookmarkFlag;
    buffer->RecordNumber = active->RecordNumber;
    buffer->RecView = active->RecView;
    buffer->MemRec = active->MemRec;
    buffer->Values = active->Values;
    buffer->UseMemRec = active->UseMemRec;
    if (GetState() == dsInsert) {
      buffer->RecordNumber = -1;
      buffer->RecView = nullptr;
      buffer->MemRec = nullptr;
      buffer->BookmarkData = TBookmarkDataEh();
    }
  } else if (FRecordsView->Count() > 0) {
    if (GetState() == dsInsert && rowNum > FInstantReadCurRowNum) --rowNum;
    rowNum = std::clamp<Integer>(rowNum, 0, FRecordsView->Count() - 1);
    FillRecBufFromRecord(buffer.get(), rowNum);
  } else {
    buffer->SetLength(GetMemTableData()->GetDataStruct()->GetCount());
    buffer->RecordNumber = -1;
  }
  FInstantBuffers.push_back(buffer.release());
}

void TCustomMemTableEh::InstantReadEnter(TMemRecViewEh* recView, Integer rowNum) {
  auto buffer = std::make_unique<TMTRecBuf>();
  FillRecBufFromMemRec(buffer.get(), recView->GetRec());
  buffer->RecView = recView;
  buffer->RecordNumber = rowNum;
  FInstantBuffers.push_back(buffer.release());
}

void TCustomMemTableEh::InstantReadEnter(TMemoryRecordEh* memRec, Integer rowNum) {
  auto buffer = std::make_unique<TMTRecBuf>();
  FillRecBufFromMemRec(buffer.get(), memRec);
  buffer->RecordNumber = rowNum;
  FInstantBuffers.push_back(buffer.release());
}

void TCustomMemTableEh::InstantReadLeave() {
  if (FInstantBuffers.empty()) throw Exception(u"TCustomMemTableEh not in instant read mode.");
  delete FInstantBuffers.back();
  FInstantBuffers.pop_back();
}

Integer TCustomMemTableEh::InstantReadViewRow() {
  if (FInstantBuffers.empty()) return GetInstantReadCurRow();
  Integer row = FInstantBuffers.back()->RecordNumber;
  if (GetState() == dsInsert) {
    if (row == -1)
      row = FInstantReadCurRowNum;
    else if (row >= FInstantReadCurRowNum)
      ++row;
  }
  return row;
}

Integer TCustomMemTableEh::InstantReadRowCount() {
  if (FRecordsViewUpdating == 0 && FActive) UpdateCursorPos();
  return GetRecordCount() + (GetState() == dsInsert ? 1 : 0);
}

Integer TCustomMemTableEh::InstantReadIndexOfBookmark(const TBookmark& bookmark) {
  if (bookmark.empty()) return -1;
  return BookmarkToRecNo(bookmark) - 1;
}

Integer TCustomMemTableEh::GetInstantReadCurRow() {
  if (FActive && GetState() == dsBrowse) UpdateCursorPos();
  return FInstantReadCurRowNum;
}

// ---- Record events ----

void TCustomMemTableEh::RegisterEventReceiver(TComponent* receiver) {
  if (std::find(FEventReceivers.begin(), FEventReceivers.end(), receiver) != FEventReceivers.end()) return;
  FEventReceivers.push_back(receiver);
  receiver->FreeNotification(this);
}

void TCustomMemTableEh::UnregisterEventReceiver(TComponent* receiver) {
  FEventReceivers.erase(std::remove(FEventReceivers.begin(), FEventReceivers.end(), receiver),
                        FEventReceivers.end());
}

void TCustomMemTableEh::MTViewDataEvent(Integer rowNum, TMTViewEventTypeEh event, Integer oldRowNum) {
  if (!FActive) return;
  if (ControlsDisabled()) {
    FMTViewDataEventInactiveCount = std::min<Integer>(FMTViewDataEventInactiveCount + 1, 2);
    if (FMTViewDataEventInactiveCount == 1) {
      FInactiveEventRowNum = rowNum;
      FInactiveEvent = event;
      FInactiveEventOldRowNum = oldRowNum;
    } else {
      FInactiveEventRowNum = -1;
      FInactiveEvent = mtViewDataChangedEh;
      FInactiveEventOldRowNum = -1;
    }
    return;
  }
  FMTViewDataEventInactiveCount = 0;
  auto receivers = FEventReceivers;
  for (TComponent* receiver : receivers)
    if (auto* r = dynamic_cast<IMTEventReceiverEh*>(receiver)) r->MTEvent(rowNum, event, oldRowNum);
  if (FStateInsert && FStateInsertRowNum >= rowNum && event == mtRowInsertedEh) ++FStateInsertRowNum;
}

Integer TCustomMemTableEh::AdjustRow(Integer row) const {
  return FStateInsert && row >= FInstantReadCurRowNum ? row + 1 : row;
}

void TCustomMemTableEh::ViewDataEventHandler(TMemoryRecordEh*, Integer index,
                                             TRecordsListNotification action) {
  if (!FActive) return;
  switch (action) {
    case rlnRecAddedEh:
      MTViewDataEvent(AdjustRow(index), mtRowInsertedEh, -1);
      break;
    case rlnRecChangedEh:
      MTViewDataEvent(AdjustRow(index), mtRowChangedEh, -1);
      break;
    case rlnRecDeletedEh:
      MTViewDataEvent(AdjustRow(index), mtRowDeletedEh, -1);
      break;
    case rlnListChangedEh:
      MTViewDataEvent(-1, mtViewDataChangedEh, -1);
      break;
    default:
      return;
  }
  Resync({});
}

void TCustomMemTableEh::ViewRecordMovedHandler(TMemoryRecordEh*, Integer oldIndex, Integer newIndex) {
  if (FActive && !ControlsDisabled()) MTViewDataEvent(AdjustRow(newIndex), mtRowMovedEh, AdjustRow(oldIndex));
}

void TCustomMemTableEh::DataEvent(TDataEvent event, NativeInt info) {
  if (FActive && !ControlsDisabled() && FMTViewDataEventInactiveCount > 0) {
    FMTViewDataEventInactiveCount = 0;
    MTViewDataEvent(FInactiveEventRowNum, FInactiveEvent, FInactiveEventOldRowNum);
  }
  if (event == deUpdateState) {
    if (GetState() == dsInsert && !FStateInsert) {
      FStateInsert = true;
      Integer row = FInstantReadCurRowNum;
      MTViewDataEvent(row, mtRowInsertedEh, -1);
      FStateInsertRowNum = row;
    } else if (GetState() == dsBrowse && FStateInsert) {
      FStateInsert = false;
      if (FRecordsView->GetViewAsTreeList())
        MTViewDataEvent(-1, mtViewDataChangedEh, -1);
      else
        MTViewDataEvent(FStateInsertRowNum, mtRowDeletedEh, -1);
      FStateInsertRowNum = -1;
    }
  } else if (event == deFieldListChange && FActive) {
    FRecordsView->GetAggregates()->Reset();
  }
  TDataSet::DataEvent(event, info);
  if (FActive && !FOldActive) MTViewDataEvent(-1, mtViewDataChangedEh, -1);
  FOldActive = FActive;
}

void TCustomMemTableEh::MTEnableControls(bool forceUpdateState) {
  if (ControlsDisabled()) {
    MTViewDataEvent(-1, mtViewDataChangedEh, -1);
    if (forceUpdateState) DataEvent(deDisabledStateChange, 0);
  }
  EnableControls();
}

// ---- Field values ----

bool TCustomMemTableEh::BufferValue(TField* field, Variant& value) {
  TMTRecBuf* buf = GetActiveRecBuf();
  if (!buf) return false;
  Integer index = DataIndexOf(field);
  if (index < 0) return false;
  value = GetState() == dsOldValue ? buf->GetOldValue(index) : buf->GetValue(index);
  if (OnGetFieldValue) OnGetFieldValue(this, field, value);
  return !VarIsEmptyOrNull(value);
}

bool TCustomMemTableEh::GetFieldData(TField* field, void* buffer) {
  Variant value;
  if (!BufferValue(field, value)) return false;
  if (buffer) VariantToFieldBuffer(field, value, buffer, true);
  return true;
}

bool TCustomMemTableEh::GetFieldData(TField* field, void* buffer, bool nativeFormat) {
  // The native form of a date and time keeps milliseconds; the stored value may hold a server's microseconds.
  if (nativeFormat || !buffer || field->GetDataType() != ftDateTime || field->GetFieldKind() != fkData)
    return TDataSet::GetFieldData(field, buffer, nativeFormat);
  Variant value;
  if (!BufferValue(field, value)) return false;
  VariantToFieldBuffer(field, value, buffer, false);
  return true;
}

void TCustomMemTableEh::SetFieldData(TField* field, const void* buffer) {
  TMTRecBuf* buf = GetActiveRecBuf(true);
  if (!buf) return;
  CommitFieldValue(field, buf, buffer ? FieldBufferToVariant(field, buffer, true) : Variant::Null());
}

void TCustomMemTableEh::CommitFieldValue(TField* field, TMTRecBuf* buffer, Variant value) {
  Integer index = DataIndexOf(field);
  if (index < 0) return;
  CheckFieldDataVarValue(field, value);
  if (OnSetFieldValue) OnSetFieldValue(this, field, value);
  buffer->SetValue(index, value);
}

bool TCustomMemTableEh::GetFieldValue(TField* field, Variant& value) {
  value = Variant::Null();
  TMTRecBuf* buf = GetActiveRecBuf();
  if (!buf) return false;
  Variant v = buf->GetValue(DataIndexOf(field));
  if (OnGetFieldValue) OnGetFieldValue(this, field, v);
  if (VarIsNull(v)) return false;
  value = v;
  return true;
}

String TCustomMemTableEh::GetFieldDisplayText(TField* field) {
  if (field->OnGetText) return field->GetDisplayText();
  switch (field->GetDataType()) {
    case ftString:
    case ftMemo:
    case ftFmtMemo:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
    case ftWideMemo: {
      TMTRecBuf* buf = GetActiveRecBuf();
      Variant v = buf ? buf->GetValue(DataIndexOf(field)) : Variant::Null();
      return VarIsEmptyOrNull(v) ? String() : VarToStr(v);
    }
    default:
      return field->GetDisplayText();
  }
}

void TCustomMemTableEh::GetFieldDataAsObject(TField* field, TObject*& value) {
  value = nullptr;
  Variant v;
  if (GetFieldValue(field, v)) value = RefObjectFromVariantEh(v);
}

void TCustomMemTableEh::SetFieldDataAsObject(TField* field, TObject* value) {
  TDataSetState s = GetState();
  if (s != dsEdit && s != dsInsert && s != dsSetKey && s != dsCalcFields && s != dsFilter &&
      s != dsNewValue && s != dsInternalCalc)
    DatabaseError(SNotEditing, this);
  TMTRecBuf* buf = GetActiveRecBuf(true);
  if (!buf) return;
  Variant v = Variant::Null();
  if (value) RefObjectToVariantEh(value, v);
  if (OnSetFieldValue) OnSetFieldValue(this, field, v);
  buf->SetValue(DataIndexOf(field), v);
  if (s != dsCalcFields && s != dsFilter && s != dsNewValue && s != dsInternalCalc)
    DataEvent(deFieldChange, reinterpret_cast<NativeInt>(field));
}

// ---- Editing ----

void TCustomMemTableEh::InternalInsert() {
  FInsertStarting = false;
  TMTRecBuf* buffer = RecBuf(ActiveBuffer());
  if (buffer->BookmarkFlag != bfEOF) return;
  if (FDataDriver && !FDataDriver->GetProviderEOF()) {
    // The move to the end read nothing: the cursor goes back to the last record read.
    FRecordPos = FRecordsView->Count() - 1;
    FInstantReadCurRowNum = std::max<Integer>(FRecordPos, 0);
    Resync({});
    throw Exception(u"Attempt to append a record before all records have been read from DataDriver.");
  }
  FInstantReadCurRowNum = FRecordsView->Count();
}

void TCustomMemTableEh::DoBeforeInsert() {
  TDataSet::DoBeforeInsert();
  FInsertStarting = true;
}

void TCustomMemTableEh::DoBeforeScroll() {
  // A handler that refuses the scroll ends the insert before the move to the end.
  const bool starting = std::exchange(FInsertStarting, false);
  TDataSet::DoBeforeScroll();
  FInsertStarting = starting;
}

void TCustomMemTableEh::DoOnNewRecord() {
  for (TField* field : GetFields()->List())
    if (!field->GetDefaultExpression().empty() && field->GetCanModify())
      field->SetAsString(field->GetDefaultExpression());
  if (FDetailMode && GetMasterSource() && GetMasterSource()->GetDataSet()) {
    std::vector<TField*> detail = GetFieldList(FDetailFields);
    const std::vector<TField*>& master = FMasterDataLink->GetFields();
    for (size_t i = 0; i < detail.size() && i < master.size(); ++i)
      detail[i]->SetAsVariant(master[i]->GetAsVariant());
  }
  TDataSet::DoOnNewRecord();
}

void TCustomMemTableEh::CopyRecBufToMemRec(TMTRecBuf* buffer, TMemoryRecordEh* rec) {
  if (GetState() == dsFilter) DatabaseError(SNotEditing, this);
  TMTDataStructEh* ds = GetMemTableData()->GetDataStruct();
  for (Integer i = 0; i < ds->GetCount(); ++i)
    rec->SetDataValue(i, dvvValueEh,
                      StoreRecValueEh(buffer->GetValue(i), ds->GetDataField(i)->VarDataType()));
}

void TCustomMemTableEh::InternalPost() {
  TMTRecBuf* buffer = RecBuf(ActiveBuffer());
  if (GetState() == dsInsert) {
    InternalAddRecord(ActiveBuffer(), buffer->BookmarkFlag == bfEOF);
    return;
  }
  TMemoryRecordEh* rec = buffer->MemRec;
  if (!rec || !rec->GetAttached()) DatabaseError(SRecordNotFound, this);
  BeginRecordsViewUpdate();
  auto close = MakeScopeExit([this] { EndRecordsViewUpdate(false); });
  if (!buffer->UseMemRec) {
    rec->Edit();
    // A refused post (a unique index, a failed immediate apply) leaves the stored record as it was and
    // the dataset in edit state with the user's values.
    auto undo = MakeScopeExit([rec] {
      if (rec->GetEditState() == resEditEh) rec->Cancel();
    });
    CopyRecBufToMemRec(buffer, rec);
    rec->Post();
    undo.Release();
  }
  Integer row = ViewIndexOf(rec);
  if (row >= 0) FRecordPos = row;
}

void TCustomMemTableEh::InternalAddRecord(TRecordBuffer buffer, bool append) {
  TMTRecBuf* buf = RecBuf(buffer);
  BeginRecordsViewUpdate();
  auto close = MakeScopeExit([this] { EndRecordsViewUpdate(false); });
  TMemoryRecordEh* rec = FRecordsView->NewRecord();
  auto dropRec = MakeScopeExit([rec] {
    if (!rec->GetAttached()) delete rec;
  });
  CopyRecBufToMemRec(buf, rec);
  if (append || FRecordsView->Count() == 0)
    FRecordsView->AddRecord(rec);
  else
    FRecordsView->InsertRecord(std::max<Integer>(FRecordPos, 0), rec);
  dropRec.Release();
  Integer row = ViewIndexOf(rec);
  if (row >= 0) FRecordPos = row;
}

void TCustomMemTableEh::InternalDelete() {
  if (FRecordPos < 0 || FRecordPos >= FRecordsView->Count()) DatabaseError(SRecordNotFound, this);
  BeginRecordsViewUpdate();
  auto close = MakeScopeExit([this] { EndRecordsViewUpdate(false); });
  FRecordsView->DeleteRecord(FRecordPos);
  if (FRecordPos >= FRecordsView->Count()) FRecordPos = FRecordsView->Count() - 1;
}

void TCustomMemTableEh::InternalCancel() {
  TMTRecBuf* buffer = RecBuf(ActiveBuffer());
  if (buffer->MemRec && buffer->MemRec->GetEditState() == resEditEh) buffer->MemRec->Cancel();
  buffer->UseMemRec = true;
}

void TCustomMemTableEh::InternalRefresh() {
  auto enable = MakeScopeExit([this] { EnableControls(); });
  DisableControls();
  if (FDataDriver) {
    FDataDriver->RefreshReader();
    FDataSetReader = FDataDriver->GetDataReader();
    BeginRecordsViewUpdate();
    auto close = MakeScopeExit([this] { EndRecordsViewUpdate(false); });
    GetMemTableData()->GetRecordsList()->Clear();
    ReadDriverRecords(FFetchAllOnOpen ? -1 : 1);
  }
  FRecordsView->RefreshFilteredRecsList(false);
  FRecordsView->RefreshFilteredRecsTreeList();
  FRecordPos = std::min<Integer>(FRecordPos, FRecordsView->Count() - 1);
}

// ---- Cached updates ----

Integer TCustomMemTableEh::InternalApplyUpdates(TMemTableDataEh* memTableData, Integer) {
  if (FDataDriver) return FDataDriver->ApplyUpdates(memTableData);
  FRecordsView->MergeChangeLog();
  return 0;
}

Integer TCustomMemTableEh::ApplyUpdates(Integer maxErrors) {
  CheckActive();
  CheckBrowseMode();
  Integer result = 0;
  {
    BeginRecordsViewUpdate();
    auto close = MakeScopeExit([this] { EndRecordsViewUpdate(false); });
    result = InternalApplyUpdates(GetMemTableData(), maxErrors);
  }
  CursorPosChanged();
  FRecordPos = std::min<Integer>(FRecordPos, FRecordsView->Count() - 1);
  Resync({});
  return result;
}

void TCustomMemTableEh::ApplyUpdatesHandler(TMemTableDataEh* memTableData) {
  InternalApplyUpdates(memTableData, -1);
}

void TCustomMemTableEh::CancelUpdates() {
  FRecordsView->CancelUpdates();
  if (FActive) {
    FRecordPos = std::min<Integer>(FRecordPos, FRecordsView->Count() - 1);
    Resync({});
  }
}

void TCustomMemTableEh::MergeChangeLog() { FRecordsView->MergeChangeLog(); }

bool TCustomMemTableEh::HasCachedChanges() const {
  return GetMemTableData()->GetRecordsList()->HasCachedChanges();
}

void TCustomMemTableEh::RevertRecord() {
  Cancel();
  CheckBrowseMode();
  UpdateCursorPos();
  if (FRecordsView->Count() == 0) throw Exception(u"There are no records.");
  if (!FRecordsView->GetViewAsTreeList()) FRecordsView->RevertRecord(FRecordPos);
  Resync({});
}

void TCustomMemTableEh::RefreshRecord() {
  CheckActive();
  if (!FDataDriver || FRecordsView->Count() == 0) return;
  UpdateCursorPos();
  FDataDriver->RefreshRecord(FRecordsView->GetRec(FRecordPos));
  Resync({});
}

TUpdateStatus TCustomMemTableEh::UpdateStatus() {
  CheckActive();
  Integer recNo = GetRecNo();
  if (recNo < 1) return usUnmodified;
  return FRecordsView->GetRec(recNo - 1)->GetUpdateStatus();
}

TUpdateErrorEh* TCustomMemTableEh::GetUpdateError() {
  CheckActive();
  TMTRecBuf* buffer = GetActiveRecBuf();
  if (!buffer || !buffer->MemRec) return nullptr;
  return buffer->MemRec->GetUpdateError();
}

Integer TCustomMemTableEh::FetchRecordsHandler(Integer count) { return ReadDriverRecords(count); }

Integer TCustomMemTableEh::ReadDriverRecords(Integer count) {
  if (!FDataDriver) return 0;
  Integer before = FRecordsView->Count();
  Integer result = FDataDriver->ReadData(GetMemTableData(), count);
  while (count > 0 && !FDataDriver->GetProviderEOF() && FRecordsView->Count() < before + count)
    result += FDataDriver->ReadData(GetMemTableData(), 1);
  return result;
}

Integer TCustomMemTableEh::FetchRecords(Integer count) {
  if (!FActive) return 0;
  BeginRecordsViewUpdate();
  Integer read = 0;
  auto close = MakeScopeExit([&] { EndRecordsViewUpdate(read > 0); });
  read = GetMemTableData()->FetchRecords(count);
  return read;
}

void TCustomMemTableEh::DriverStructChanged() { DataEvent(dePropertyChange, 0); }

void TCustomMemTableEh::DetachDataDriver() {
  if (FDataDriver) {
    FDataDriver->SetDataDriverConsumer(nullptr);
    FDataDriver->RemoveFreeNotification(this);
  }
  FDataDriver = nullptr;
}

void TCustomMemTableEh::SetDataDriver(TDataDriverEh* value) {
  if (value == FDataDriver) return;
  if (value && FExternalMemData)
    throw Exception(u"Assigning to DataDriver is not allowed if ExternalMemData is assigned");
  DetachDataDriver();
  if (!value) {
    FRecordsView->OnApplyUpdates = nullptr;
    return;
  }
  FDataDriver = value;
  if (auto* other = dynamic_cast<TCustomMemTableEh*>(value->GetDataDriverConsumer()))
    if (other != this) other->SetDataDriver(nullptr);
  value->SetDataDriverConsumer(this);
  DriverStructChanged();
  FRecordsView->OnApplyUpdates =
      TRecordsListApplyUpdatesEventEh(this, &TCustomMemTableEh::ApplyUpdatesHandler);
  value->FreeNotification(this);
}

// ---- Class registration ----

void TMemTableTreeListEh::Published(TPropBuilder<TMemTableTreeListEh>& p) {
  using T = TMemTableTreeListEh;
  p.Bool(u"Active", &T::GetActive, &T::SetActive).Default(false);
  p.Bool(u"DefaultNodeExpanded", &T::GetDefaultNodeExpanded, &T::SetDefaultNodeExpanded).Default(false);
  p.Bool(u"DefaultNodeHasChildren", &T::GetDefaultNodeHasChildren, &T::SetDefaultNodeHasChildren)
      .Default(false);
  p.Bool(u"FilterNodeIfParentVisible", &T::GetFilterNodeIfParentVisible, &T::SetFilterNodeIfParentVisible)
      .Default(true);
  p.Bool(u"FullBuildCheck", &T::GetFullBuildCheck, &T::SetFullBuildCheck).Default(true);
  p.Str(u"KeyFieldName", &T::GetKeyFieldName, &T::SetKeyFieldName);
  p.Str(u"RefParentFieldName", &T::GetRefParentFieldName, &T::SetRefParentFieldName);
}

void TMemTableEh::Published(TPropBuilder<TMemTableEh>& p) {
  using T = TMemTableEh;
  static const TTypeInfo sideType = TTypeInfo::Enum(
      u"TMasterDetailSideEh", {u"mdsOnSelfEh", u"mdsOnProviderEh", u"mdsOnSelfAfterProviderEh"});
  static const TTypeInfo optionType =
      TTypeInfo::Enum(u"TMemTableOptionEh", {u"mtoPersistentStructEh", u"mtoTextFieldsCaseInsensitive"});
  static const TTypeInfo optionsType = TTypeInfo::Set(u"TMemTableOptionsEh", &optionType);
  auto storedDefs = std::function<bool(const TObject*)>(
      [](const TObject* o) { return static_cast<const T*>(o)->GetStoreDefs(); });
  p.Bool(u"AggregatesActive", &T::GetAggregatesActive, &T::SetAggregatesActive).Default(false);
  p.Object(u"AutoIncrement", &T::GetAutoIncrement, &T::SetAutoIncrement);
  p.Bool(u"CachedUpdates", &T::GetCachedUpdates, &T::SetCachedUpdates).Default(false);
  p.Str(u"DetailFields", &T::GetDetailFields, &T::SetDetailFields);
  p.Object(u"ExternalMemData", &T::GetExternalMemData, &T::SetExternalMemData);
  p.Object(
       u"FieldDefs", [](const T* t) { return t->GetFieldDefs(); },
       [](T* t, TFieldDefs* value) { t->GetFieldDefs()->Assign(value); })
      .Stored(storedDefs);
  p.Bool(u"FetchAllOnOpen", &T::GetFetchAllOnOpen, &T::SetFetchAllOnOpen).Default(false);
  p.Object(
       u"IndexDefs", [](const T* t) { return t->GetIndexDefs(); },
       [](T* t, TIndexDefs* value) { t->GetIndexDefs()->Assign(value); })
      .Stored(storedDefs);
  p.Enum(u"MasterDetailSide", &sideType, &T::GetMasterDetailSide, &T::SetMasterDetailSide)
      .Default(mdsOnSelfEh);
  p.Str(u"MasterFields", &T::GetMasterFields, &T::SetMasterFields);
  p.Object(u"MasterSource", &T::GetMasterSource, &T::SetMasterSource);
  p.Object(u"Params", &T::GetParams, &T::SetParams);
  p.Object(u"DataDriver", &T::GetDataDriver, &T::SetDataDriver);
  p.Set(u"Options", &optionsType, &T::GetOptions, &T::SetOptions).Default(0);
  p.Bool(u"ReadOnly", &T::GetReadOnly, &T::SetReadOnly).Default(false);
  p.Str(u"SortOrder", &T::GetSortOrder, &T::SetSortOrder);
  p.Bool(u"StoreDefs", &T::GetStoreDefs, &T::SetStoreDefs).Default(false);
  p.Object(u"TreeList", &T::GetTreeList, nullptr);
  p.Event(u"OnGetFieldValue", &T::OnGetFieldValue, u"TMemTableChangeFieldValueEventEh");
  p.Event(u"OnSetFieldValue", &T::OnSetFieldValue, u"TMemTableChangeFieldValueEventEh");
  p.Event(u"OnRecordsViewTreeNodeExpanding", &T::OnRecordsViewTreeNodeExpanding,
          u"TRecordsViewTreeNodeExpandingEventEh");
  p.Event(u"OnRecordsViewTreeNodeExpanded", &T::OnRecordsViewTreeNodeExpanded,
          u"TRecordsViewTreeNodeExpandedEventEh");
}

void InitializeMemTableEh() {
  static const bool done = [] {
    RegisterClass(TMemTableEh::StaticClass());
    RegisterClass(TDataDriverEh::StaticClass());
    RegisterClass(TCustomSQLDataDriverEh::StaticClass());
    RegisterClass(TADODataDriverEh::StaticClass());
    return true;
  }();
  (void)done;
}
