// The data grid's selection: rows by bookmark, a rectangle of cells, whole columns or everything,
// with change notices held back inside an update.
#include <algorithm>

#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/rtl/ScopeGuard.h"

// ======================= Selection =======================

TDBGridEhSelection::TDBGridEhSelection(TCustomDBGridEh* grid)
    : grid_(grid),
      columns_(std::make_unique<TDBGridEhSelectionCols>(grid)),
      rect_(std::make_unique<TDBGridEhSelectionRect>(grid)),
      ownRows_(std::make_unique<TBookmarkListEh>(nullptr)) {}

TDBGridEhSelection::~TDBGridEhSelection() = default;

TBookmarkListEh* TDBGridEhSelection::GetRows() const {
  return grid_ ? grid_->GetSelectedRows() : ownRows_.get();
}

void TDBGridEhSelection::SetSelectionType(TDBGridEhSelectionType value) {
  if (selectionType_ == value) return;
  selectionType_ = value;
  SelectionChanged();
  if (grid_) grid_->InvalidateEditor();
}

bool TDBGridEhSelection::DataCellSelected(Integer dataCol, const TBookmark& dataRow) const {
  switch (selectionType_) {
    case gstRecordBookmarks:
      return GetRows()->IndexOf(dataRow) >= 0;
    case gstRectangle:
      return dataCol >= 0 && rect_->DataCellSelected(dataCol, dataRow);
    case gstColumns:
      return dataCol >= 0 && grid_ && dataCol < grid_->GetColumns()->GetCount() &&
             columns_->IndexOf(grid_->GetColumns()->GetColumn(dataCol)) >= 0;
    case gstAll:
      return true;
    default:
      return false;
  }
}

void TDBGridEhSelection::Clear() {
  const TDBGridEhSelectionType former = selectionType_;
  selectionType_ = gstNon;
  auto editor = MakeScopeExit([this] {
    if (grid_ && !grid_->IsDestroying() && grid_->GetDBOptions().Contains(dgAlwaysShowEditor) &&
        grid_->IsDataEditMode())
      grid_->ShowEditor();
  });
  switch (former) {
    case gstRecordBookmarks:
      GetRows()->Clear();
      break;
    case gstRectangle:
      rect_->Clear();
      break;
    case gstColumns:
      columns_->Clear();
      break;
    case gstAll:
      SelectionChanged();
      if (grid_) grid_->Invalidate();
      break;
    default:
      break;
  }
}

void TDBGridEhSelection::SelectAll() {
  if (selectionType_ == gstAll) return;
  if (selectionType_ != gstNon) Clear();
  selectionType_ = gstAll;
  if (grid_) grid_->Invalidate();
  SelectionChanged();
}

void TDBGridEhSelection::Refresh() {
  if (selectionType_ == gstRecordBookmarks) {
    GetRows()->Refresh(true);
  } else if (selectionType_ == gstColumns) {
    columns_->Refresh();
    if (columns_->GetCount() == 0) {
      selectionType_ = gstNon;
      if (grid_) grid_->Invalidate();
    }
  }
}

void TDBGridEhSelection::UpdateState() {
  if ((selectionType_ == gstRecordBookmarks && GetRows()->GetCount() == 0) ||
      (selectionType_ == gstColumns && columns_->GetCount() == 0)) {
    selectionType_ = gstNon;
    if (grid_) grid_->Invalidate();
  }
}

void TDBGridEhSelection::LinkActiveChanged(bool value) {
  GetRows()->SetLinkActive(value);
  Clear();
}

void TDBGridEhSelection::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  if (updateCount_ == 0 && selectionChanged_) SelectionChanged();
}

void TDBGridEhSelection::SelectionChanged() {
  if (grid_ && updateCount_ == 0) {
    selectionChanged_ = false;
    grid_->SelectionChanged();
  } else {
    selectionChanged_ = true;
  }
}

// ======================= Rectangle =======================

void TDBGridEhSelectionRect::CheckActive(const Char* message) const {
  TAxisGridDataLinkEh* link = grid_ ? grid_->TCustomDBAxisGridEh::GetDataLink() : nullptr;
  if (!link || !link->GetDataSet() || !link->GetActive()) throw EInvalidGridOperationEh(message);
}

Integer TDBGridEhSelectionRect::GetLeftCol() const {
  CheckActive(u"Error in TDBGridEhSelectionRect.GetLeftCol");
  return std::min(anchorCol_, shiftCol_);
}

Integer TDBGridEhSelectionRect::GetRightCol() const {
  CheckActive(u"Error in TDBGridEhSelectionRect.GetRightCol");
  return std::max(anchorCol_, shiftCol_);
}

TBookmark TDBGridEhSelectionRect::GetTopRow() const {
  CheckActive(u"Error in TDBGridEhSelectionRect.GetTopRow");
  TDataSet* ds = grid_->GetDataLink()->GetDataSet();
  return ds->CompareBookmarks(anchorRow_, shiftRow_) <= 0 ? anchorRow_ : shiftRow_;
}

TBookmark TDBGridEhSelectionRect::GetBottomRow() const {
  CheckActive(u"Error in TDBGridEhSelectionRect.GetBottomRow");
  TDataSet* ds = grid_->GetDataLink()->GetDataSet();
  return ds->CompareBookmarks(anchorRow_, shiftRow_) < 0 ? shiftRow_ : anchorRow_;
}

void TDBGridEhSelectionRect::Clear() {
  anchorCol_ = shiftCol_ = -1;
  anchorRow_.clear();
  shiftRow_.clear();
  if (!grid_) return;
  grid_->Invalidate();
  grid_->GetSelection()->SelectionChanged();
}

void TDBGridEhSelectionRect::Assign(TDBGridEhSelectionRect* source) {
  Clear();
  anchorCol_ = source->anchorCol_;
  shiftCol_ = source->shiftCol_;
  anchorRow_ = source->anchorRow_;
  shiftRow_ = source->shiftRow_;
}

void TDBGridEhSelectionRect::Select(Integer col, const TBookmark& row, bool addSel) {
  TDBGridEhSelection* selection = grid_->GetSelection();
  if (selection->GetSelectionType() != gstRectangle && selection->GetSelectionType() != gstNon)
    selection->Clear();
  const Integer oldAnchorCol = anchorCol_, oldShiftCol = shiftCol_;
  const TBookmark oldAnchorRow = anchorRow_, oldShiftRow = shiftRow_;
  if (addSel && anchorCol_ >= 0) {
    shiftCol_ = col;
  } else {
    anchorCol_ = shiftCol_ = col;
    anchorRow_ = row;
  }
  shiftRow_ = row;
  TDataSet* ds = grid_->GetDataLink()->GetDataSet();
  // One cell is no rectangle.
  const bool single = anchorCol_ == shiftCol_ && ds->CompareBookmarks(anchorRow_, shiftRow_) == 0;
  if (single) {
    if (selection->GetSelectionType() == gstRectangle) selection->SetSelectionType(gstNon);
  } else {
    selection->SetSelectionType(gstRectangle);
  }
  grid_->Invalidate();
  if (oldAnchorCol != anchorCol_ || oldShiftCol != shiftCol_ || oldAnchorRow != anchorRow_ ||
      oldShiftRow != shiftRow_)
    selection->SelectionChanged();
}

bool TDBGridEhSelectionRect::DataCellSelected(Integer dataCol, const TBookmark& dataRow) const {
  CheckActive(u"Error in function TDBGridEhSelectionRect.CellSelected");
  if (dataCol < GetLeftCol() || dataCol > GetRightCol()) return false;
  TDataSet* ds = grid_->GetDataLink()->GetDataSet();
  return ds->CompareBookmarks(dataRow, GetTopRow()) >= 0 &&
         ds->CompareBookmarks(dataRow, GetBottomRow()) <= 0;
}

// ======================= Columns =======================

void TDBGridEhSelectionCols::AddColumn(TColumnEh* column) {
  Integer place = GetCount();
  for (Integer i = 0; i < GetCount(); ++i)
    if (GetColumn(i)->GetIndex() > column->GetIndex()) {
      place = i;
      break;
    }
  Add(column);
  for (Integer i = GetCount() - 1; i > place; --i) SetAxisBar(i, GetAxisBar(i - 1));
  SetAxisBar(place, column);
  if (grid_) grid_->GetSelection()->SelectionChanged();
}

void TDBGridEhSelectionCols::Clear() {
  if (!grid_ || grid_->IsDestroying()) {
    TColumnsEhList::Clear();
    return;
  }
  const bool had = GetCount() > 0;
  TColumnsEhList::Clear();
  anchor_ = nullptr;
  grid_->Invalidate();
  TDBGridEhSelection* selection = grid_->GetSelection();
  if (selection->GetSelectionType() != gstNon)
    selection->SetSelectionType(gstNon);
  else if (had)
    selection->SelectionChanged();
}

void TDBGridEhSelectionCols::Select(TColumnEh* column, bool addSel) {
  TDBGridEhSelection* selection = grid_->GetSelection();
  if (selection->GetSelectionType() != gstColumns && selection->GetSelectionType() != gstNon)
    selection->Clear();
  if (!addSel) TColumnsEhList::Clear();
  if (IndexOf(column) < 0) AddColumn(column);
  anchor_ = column;
  selection->SetSelectionType(gstColumns);
}

void TDBGridEhSelectionCols::InvertSelect(TColumnEh* column) {
  TDBGridEhSelection* selection = grid_->GetSelection();
  if (selection->GetSelectionType() != gstColumns && selection->GetSelectionType() != gstNon)
    selection->Clear();
  if (IndexOf(column) >= 0) {
    Remove(column);
    selection->SelectionChanged();
  } else {
    AddColumn(column);
  }
  anchor_ = column;
  selection->SetSelectionType(GetCount() > 0 ? gstColumns : gstNon);
}

void TDBGridEhSelectionCols::ColumnGone(TColumnEh* column) {
  Remove(column);
  if (anchor_ == column) anchor_ = nullptr;
}

void TDBGridEhSelectionCols::Refresh() {
  TDBGridColumnsEh* columns = grid_->GetColumns();
  for (Integer i = GetCount() - 1; i >= 0; --i)
    if (!columns->CheckItemInList(GetAxisBar(i))) Remove(GetAxisBar(i));
  std::vector<TColumnEh*> sorted;
  for (Integer i = 0; i < GetCount(); ++i) sorted.push_back(GetColumn(i));
  std::sort(sorted.begin(), sorted.end(),
            [](TColumnEh* a, TColumnEh* b) { return a->GetIndex() < b->GetIndex(); });
  for (Integer i = 0; i < GetCount(); ++i) SetAxisBar(i, sorted[static_cast<size_t>(i)]);
}
