// What the in-memory table's row events change in the grid: its rows and their heights, the columns'
// per-row lookup values and the sums; and the heights of record rows that fit their text.
#include <algorithm>

#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/rtl/ScopeGuard.h"

// ======================= Per-row lookup values =======================

TDBGridColumnLookupDataEh::TDBGridColumnLookupDataEh(TColumnEh* column)
    : TDBLookupDataEh(column), column_(column) {}

bool TDBGridColumnLookupDataEh::GetLookupValuesCached() const {
  TCustomDBGridEh* grid = column_->GetDBGrid();
  return grid && grid->GetIntMemTable();
}

void TDBGridColumnLookupDataEh::RefreshLookupData() {
  RefreshLookupListCache();
  if (TCustomDBGridEh* grid = column_->GetDBGrid()) grid->LookupValuesChanged(column_);
}

TDBLookupDataEh* TColumnEh::CreateLookupParams() { return new TDBGridColumnLookupDataEh(this); }

void TColumnEh::ResetLookupValues() {
  std::vector<Variant>& values = GetDBLookupParams()->LookupValues();
  values.clear();
  TCustomDBGridEh* grid = GetDBGrid();
  if (!grid || !LookupActive() || !grid->GetDataLink()->GetActive() || !grid->GetIntMemTable()) return;
  values.resize(static_cast<size_t>(std::max(0, grid->GetIntMemTable()->InstantReadRowCount())));
}

Variant TColumnEh::GetRowLookupValue(Integer row) {
  TDBLookupDataEh* lookup = GetLookupParams();
  TCustomDBGridEh* grid = GetDBGrid();
  TDataSet* ds = grid ? grid->GetDataLink()->GetDataSet() : nullptr;
  Variant value = Variant::Null();
  if (row >= 0 && ds && ds->RecNo() > 0 && ds->RecNo() != row + 1) {
    lookup->GetLookupValueOfRow(row, value);
  } else {
    TSpecRowEh* spec = GetDropDownSpecRow();
    if (spec->GetVisible() && ds) {
      Variant key;
      GetFieldsValuesEh(ds, lookup->GetKeyFields(), key);
      value = VarEqualsEh(key, spec->GetValue()) ? Variant(spec->GetCellText(0)) : lookup->GetLookupValue();
    } else {
      value = lookup->GetLookupValue();
    }
  }
  TSpecRowEh* spec = GetDropDownSpecRow();
  if (value.IsNull() && spec->GetVisible() && spec->GetShowIfNotInKeyList()) value = spec->GetCellText(0);
  return value;
}

String TColumnEh::DisplayText() {
  TCustomDBGridEh* grid = GetDBGrid();
  if (!LookupActive() || !grid || !grid->GetDataLink()->GetActive()) return TBaseColumnEh::DisplayText();
  IMemTableEh* table = grid->GetIntMemTable();
  TDataSet* ds = grid->GetDataLink()->GetDataSet();
  if (!table || table->GetViewAsTreeList()) return TBaseColumnEh::DisplayText();
  const TDataSetState state = ds->GetState();
  if (state != dsBrowse && state != dsEdit && state != dsInsert && state != dsCalcFields &&
      state != dsInternalCalc)
    return TBaseColumnEh::DisplayText();
  const Integer row = table->InstantReadViewRow();
  if (row < 0) return TBaseColumnEh::DisplayText();
  std::vector<Variant>& values = GetDBLookupParams()->LookupValues();
  Variant value = Variant::Null();
  if (row < static_cast<Integer>(values.size())) {
    Variant& entry = values[static_cast<size_t>(row)];
    if (entry.IsEmpty()) entry = GetLookupValue();
    value = entry;
  }
  String text;
  VarToDisplayTextEh(value, GetLookupParams()->GetLookupDisplayField(), GetDisplayFormat(), text);
  return text;
}

// A moved row takes its cached value along: the rows between keep theirs in their new places.
void TColumnEh::MTEvent(Integer row, TMTViewEventTypeEh kind, Integer oldRow) {
  if (!LookupActive()) return;
  std::vector<Variant>& values = GetDBLookupParams()->LookupValues();
  const auto size = static_cast<Integer>(values.size());
  switch (kind) {
    case mtRowInsertedEh:
      if (row < 0 || row > size) break;
      values.insert(values.begin() + row, Variant());
      values[static_cast<size_t>(row)] = GetRowLookupValue(row);
      break;
    case mtRowChangedEh:
      if (row >= 0 && row < size) values[static_cast<size_t>(row)] = GetRowLookupValue(row);
      break;
    case mtRowDeletedEh:
      if (row >= 0 && row < size) values.erase(values.begin() + row);
      break;
    case mtRowMovedEh:
      if (row >= 0 && row < size && oldRow >= 0 && oldRow < size && row != oldRow) {
        Variant moved = values[static_cast<size_t>(oldRow)];
        values.erase(values.begin() + oldRow);
        values.insert(values.begin() + row, moved);
      }
      break;
    case mtViewDataChangedEh:
      ResetLookupValues();
      break;
  }
}

void TColumnEh::DataFieldChanged(TField* field) {
  TBaseColumnEh::DataFieldChanged(field);
  TCustomDBGridEh* grid = GetDBGrid();
  if (!LookupActive() || !grid || !grid->GetIntMemTable() || grid->GetIntMemTable()->GetViewAsTreeList())
    return;
  const TFieldsArrEh& keys = GetLookupParams()->GetKeyFields();
  if (field && field != GetFieldProp() && (keys.empty() || keys[0] != field)) return;
  IMemTableEh* table = grid->GetIntMemTable();
  std::vector<Variant>& values = GetDBLookupParams()->LookupValues();
  TDataSet* ds = grid->GetDataLink()->GetDataSet();
  const bool browsing = ds->GetState() == dsBrowse;
  if (browsing && !table->BookmarkInVisibleView(ds->GetBookmark())) return;
  // Right after a post that moved the record the table's remembered row is the old one: the
  // bookmark tells where the record stands now.
  const Integer row =
      browsing ? table->InstantReadIndexOfBookmark(ds->GetBookmark()) : table->InstantReadViewRow();
  if (row < 0 || row >= static_cast<Integer>(values.size())) return;
  // While appending, the row the table names for the new record may be the one it was appended
  // after: the entry is only marked unread, which is right for either row.
  values[static_cast<size_t>(row)] = ds->GetState() == dsInsert ? Variant() : GetLookupValue();
  grid->InvalidateRow(grid->GetRow());
}

// ======================= Row heights =======================

Integer TColumnEh::CalcRowHeight() {
  TCustomDBGridEh* grid = GetDBGrid();
  if (!grid) return 0;
  const Integer standard = grid->GetStdDefaultRowHeight();
  if (!grid->GetOptionsEh().Contains(dghAutoFitRowHeight) || !grid->GetIntMemTable()) return standard;
  if (!GetWordWrap() || !grid->HandleAllocated()) return standard;
  TCanvas* canvas = GetScreenCanvasEh();
  canvas->GetFont()->Assign(GetFont());
  TRect rect{0, 0, std::max(1, GetWidth() - 2 * GetDataCellHorzOffset()), 0};
  const String text = DisplayText();
  DrawTextWEh(canvas->GetHandle(), text, rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  Integer height = rect.Bottom - rect.Top;
  if (height <= standard) return standard;
  height += 1 + (grid->GetFlat() ? 0 : 2);
  if (grid->GetDBOptions().Contains(dgRowLines)) height += grid->GetGridLineWidth();
  return height;
}

Integer TCustomDBGridEh::CalcRecordRowHeight() {
  Integer height = stdDefaultRowHeight_;
  if (optionsEh_.Contains(dghAutoFitRowHeight)) {
    height = 0;
    for (Integer i = 0; i < GetVisibleColumns()->GetCount(); ++i)
      height = std::max(height, GetVisibleColumns()->GetColumn(i)->CalcRowHeight());
  }
  if (OnGetRowHeight) OnGetRowHeight(this, height);
  return height;
}

Integer TCustomDBGridEh::DataRowHeight(Integer dataRow) {
  if (!GetDataLink()->GetActive() || !optionsEh_.Contains(dghAutoFitRowHeight)) return stdDefaultRowHeight_;
  if (dataRow < 0 || dataRow >= InstantReadRecordCount()) return stdDefaultRowHeight_;
  InstantReadEnter(dataRow);
  auto leave = MakeScopeExit([this] { InstantReadLeave(); });
  return std::max(1, CalcRecordRowHeight());
}

void TCustomDBGridEh::UpdateDataRowHeight(Integer dataRow) {
  const Integer row = dataRow + TopDataOffset();
  if (dataRow < 0 || row >= GetRowCount()) return;
  const Integer height = DataRowHeight(dataRow);
  if (GetRowHeights(row) != height) SetRowHeights(row, height);
}

void TCustomDBGridEh::UpdateAllGridDataRowHeights() {
  if (GetDataLink()->GetActive() && MemTableSupported() && intMemTable_->InstantReadRowCount() > 0) {
    LockPaint();
    BeginLayout();
    auto unlock = MakeScopeExit([this] {
      EndLayout();
      UnlockPaint();
    });
    const Integer rows = std::min(intMemTable_->InstantReadRowCount(), GetRowCount() - TopDataOffset());
    for (Integer r = 0; r < rows; ++r) UpdateDataRowHeight(r);
    return;
  }
  if (TopDataOffset() < GetRowCount()) SetRowHeights(TopDataOffset(), stdDefaultRowHeight_);
}

void TCustomDBGridEh::UpdateAllDataRowHeights() {
  if (IsLoading() || !HandleAllocated()) return;
  UpdateAllGridDataRowHeights();
}

// ======================= In-memory table events =======================

void TCustomDBGridEh::SetEventTable(TDataSet* table) {
  if (table == eventTable_) return;
  // A table being freed forgets its receivers by itself.
  if (eventTable_ && !eventTable_->GetComponentState().Contains(csDestroying))
    if (auto* old = dynamic_cast<IMemTableEh*>(eventTable_)) old->UnregisterEventReceiver(this);
  eventTable_ = table;
  if (auto* now = dynamic_cast<IMemTableEh*>(table)) now->RegisterEventReceiver(this);
}

void TCustomDBGridEh::MTEvent(Integer rowNum, TMTViewEventTypeEh event, Integer oldRowNum) {
  if (IsDestroying()) return;
  if (intMemTable_ && intMemTable_->GetViewAsTreeList()) {
    if (optionsEh_.Contains(dghAutoFitRowHeight)) updatingDataRowHeightsNeeded_ = true;
    return;
  }
  for (Integer i = 0; i < GetColumns()->GetCount(); ++i)
    GetColumns()->GetColumn(i)->MTEvent(rowNum, event, oldRowNum);
  // Outside the view mode the rows are the data link's buffer, which the link itself keeps.
  if (!MemTableSupported()) {
    if (event == mtViewDataChangedEh) DataSetChanged();
    return;
  }
  const Integer offset = TopDataOffset();
  switch (event) {
    case mtRowInsertedEh:
      // The one empty row of an empty table becomes the new record's row.
      if (intMemTable_->InstantReadRowCount() > 1) {
        SetRowCount(GetRowCount() + 1);
        if (rowNum + offset < GetRowCount() - 1 && rowNum >= 0) MoveRow(GetRowCount() - 1, rowNum + offset);
      }
      UpdateDataRowHeight(rowNum);
      break;
    case mtRowChangedEh:
      UpdateDataRowHeight(rowNum);
      break;
    case mtRowDeletedEh:
      if (intMemTable_->InstantReadRowCount() > 0 && rowNum >= 0 && rowNum + offset < GetRowCount() &&
          GetRowCount() - offset > 1)
        DeleteRow(rowNum + offset);
      break;
    case mtRowMovedEh:
      if (rowNum >= 0 && oldRowNum >= 0 && rowNum + offset < GetRowCount() &&
          oldRowNum + offset < GetRowCount())
        MoveRow(oldRowNum + offset, rowNum + offset);
      break;
    case mtViewDataChangedEh: {
      wholeGridChanged_ = true;
      auto done = MakeScopeExit([this] { wholeGridChanged_ = false; });
      SetRowCount(offset + std::max(1, intMemTable_->InstantReadRowCount()));
      DataSetChanged();
      UpdateAllDataRowHeights();
      if (sumList_ && sumList_->GetActive()) sumList_->RecalcAllSilently();
      break;
    }
  }
}

void TCustomDBGridEh::LookupDataChanged(TAxisBarEh* bar) {
  TCustomDBAxisGridEh::LookupDataChanged(bar);
  if (auto* column = dynamic_cast<TColumnEh*>(bar)) LookupValuesChanged(column);
}

void TCustomDBGridEh::LookupValuesChanged(TColumnEh* column) {
  column->ResetLookupValues();
  Invalidate();
}
