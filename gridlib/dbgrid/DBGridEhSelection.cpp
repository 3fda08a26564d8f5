// The data grid's selection: rows by bookmark, a rectangle of cells, whole columns or everything,
// with change notices held back inside an update.
#include <algorithm>
#include <cstdlib>
#include <functional>

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
  anchor_ = shiftCol_ = nullptr;
  shiftSelected_.Clear();
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
  anchor_ = shiftCol_ = column;
  shiftSelected_.Clear();
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
  anchor_ = shiftCol_ = column;
  shiftSelected_.Clear();
  selection->SetSelectionType(GetCount() > 0 ? gstColumns : gstNon);
}

void TDBGridEhSelectionCols::ColumnGone(TColumnEh* column) {
  Remove(column);
  shiftSelected_.Remove(column);
  if (anchor_ == column) anchor_ = nullptr;
  if (shiftCol_ == column) shiftCol_ = nullptr;
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

// The walk of a Shift click over collection indexes: growing away from the anchor extends from the
// old far end; shrinking reverts back to the new end, which stays; crossing the anchor reverts to it
// and extends on the other side.
void TDBGridEhSelectionCols::SelectShift(TColumnEh* column) {
  TDBGridEhSelection* selection = grid_->GetSelection();
  if (selection->GetSelectionType() != gstColumns && selection->GetSelectionType() != gstNon)
    selection->Clear();
  if (!anchor_) {
    Select(column, true);
    return;
  }
  TDBGridColumnsEh* columns = grid_->GetColumns();
  const Integer a = anchor_->GetIndex();
  const Integer s = shiftCol_ ? shiftCol_->GetIndex() : a;
  const Integer n = column->GetIndex();
  const bool anchorSelected = IndexOf(anchor_) >= 0;
  auto walk = [&](Integer from, Integer to, bool extend) {
    const Integer step = to >= from ? 1 : -1;
    for (Integer i = from; i != to + step; i += step)
      ShiftStep(columns->GetColumn(i), extend, anchorSelected);
  };
  const bool sameSide = (s - a) * (n - a) > 0;
  if (s == a || (sameSide && std::abs(n - a) > std::abs(s - a))) {
    if (n != s) walk(s + (n > s ? 1 : -1), n, true);
  } else if (sameSide || n == a) {
    // Back towards the anchor: everything past the new end is undone.
    if (n != s) walk(s, n + (s > n ? 1 : -1), false);
  } else {
    walk(s, a + (s > a ? 1 : -1), false);
    walk(a, n, true);
  }
  shiftCol_ = column;
  selection->SetSelectionType(GetCount() > 0 ? gstColumns : gstNon);
  if (GetCount() == 0) selection->SelectionChanged();
}

void TDBGridEhSelectionCols::ShiftStep(TColumnEh* column, bool extend, bool anchorSelected) {
  const bool selected = IndexOf(column) >= 0;
  bool changed = false;
  if (extend) {
    if (anchorSelected && !selected && column->GetVisible()) {
      AddColumn(column);
      changed = true;
    } else if (!anchorSelected && selected && column != anchor_) {
      Remove(column);
      changed = true;
    }
    if (changed && shiftSelected_.IndexOf(column) < 0) shiftSelected_.Add(column);
  } else if (shiftSelected_.IndexOf(column) >= 0) {
    if (anchorSelected && selected) {
      Remove(column);
      changed = true;
    } else if (!anchorSelected && !selected) {
      AddColumn(column);
      changed = true;
    }
    shiftSelected_.Remove(column);
  }
  if (!changed) return;
  grid_->InvalidateCol(grid_->DataColToGridCol(column->GetIndex()));
  grid_->GetSelection()->SelectionChanged();
}

TGridRect TDBGridEhSelectionCols::SelectionToGridRect() const {
  if (GetCount() == 0 || !grid_) return TGridRect{-1, -1, -1, -1};
  Integer low = GetColumn(0)->GetIndex(), high = low;
  for (Integer i = 1; i < GetCount(); ++i) {
    low = std::min(low, GetColumn(i)->GetIndex());
    high = std::max(high, GetColumn(i)->GetIndex());
  }
  return TGridRect{grid_->DataColToGridCol(low), 0, grid_->DataColToGridCol(high), grid_->GetRowCount() - 1};
}

// ======================= Grid rectangles =======================

namespace {

// The data rows the grid shows now, each entered by instant reading while `visit` looks at the
// dataset's bookmark; `visit` answers false to stop.
void ForEachShownSelectionRow(TCustomDBGridEh* grid,
                              const std::function<bool(Integer, const TBookmark&)>& visit) {
  TDataSet* ds = grid->GetDataLink()->GetDataSet();
  const Integer rows = std::min(grid->InstantReadRecordCount(), grid->GetRowCount() - grid->TopDataOffset());
  for (Integer r = 0; r < rows; ++r) {
    grid->InstantReadEnter(r);
    auto leave = MakeScopeExit([grid] { grid->InstantReadLeave(); });
    if (!visit(r, ds->GetBookmark())) return;
  }
}

bool SelectionLinkActive(TCustomDBGridEh* grid) {
  TAxisGridDataLinkEh* link = grid ? grid->TCustomDBAxisGridEh::GetDataLink() : nullptr;
  return link && link->GetDataSet() && link->GetActive();
}

}  // namespace

TGridRect TBookmarkListEh::SelectionToGridRect() const {
  TGridRect result{-1, -1, -1, -1};
  if (!SelectionLinkActive(grid_) || GetCount() == 0) return result;
  Integer first = -1, last = -1;
  auto* self = const_cast<TBookmarkListEh*>(this);  // the search keeps a one-entry cache
  ForEachShownSelectionRow(grid_, [&](Integer row, const TBookmark& bookmark) {
    if (self->IndexOf(bookmark) >= 0) {
      if (first < 0) first = row;
      last = row;
    }
    return true;
  });
  if (first < 0) return result;
  const Integer offset = grid_->TopDataOffset();
  return TGridRect{0, first + offset, grid_->GetColCount() - 1,
                   std::min(last + offset, grid_->GetRowCount() - 1)};
}

void TBookmarkListEh::Assign(TBookmarkListEh* rows) {
  Clear();
  for (Integer i = 0; i < rows->GetCount(); ++i) InsertItem(GetCount(), rows->GetItem(i));
}

TGridRect TDBGridEhSelectionRect::SelectionToGridRect() const {
  TGridRect result{-1, -1, -1, -1};
  if (!SelectionLinkActive(grid_) || anchorCol_ < 0) return result;
  result.Left = grid_->DataColToGridCol(GetLeftCol());
  result.Right = grid_->DataColToGridCol(GetRightCol());
  TDataSet* ds = grid_->GetDataLink()->GetDataSet();
  const TBookmark top = GetTopRow(), bottom = GetBottomRow();
  Integer first = -1, last = -1;
  ForEachShownSelectionRow(grid_, [&](Integer row, const TBookmark& bookmark) {
    if (ds->CompareBookmarks(bookmark, bottom) > 0) return false;
    if (ds->CompareBookmarks(bookmark, top) >= 0) {
      if (first < 0) first = row;
      last = row;
    }
    return true;
  });
  if (first < 0) return TGridRect{-1, -1, -1, -1};
  result.Top = first + grid_->TopDataOffset();
  result.Bottom = last + grid_->TopDataOffset();
  return result;
}

TGridRect TDBGridEhSelection::SelectionToGridRect() const {
  switch (selectionType_) {
    case gstRecordBookmarks:
      return GetRows()->SelectionToGridRect();
    case gstRectangle:
      return rect_->SelectionToGridRect();
    case gstColumns:
      return columns_->SelectionToGridRect();
    case gstAll:
      return grid_ ? TGridRect{0, 0, grid_->GetColCount() - 1, grid_->GetRowCount() - 1}
                   : TGridRect{-1, -1, -1, -1};
    default:
      return TGridRect{-1, -1, -1, -1};
  }
}

void TDBGridEhSelection::Assign(TDBGridEhSelection* source) {
  if (source->selectionType_ != selectionType_) Clear();
  switch (source->selectionType_) {
    case gstRecordBookmarks:
      GetRows()->Assign(source->GetRows());
      break;
    case gstRectangle:
      rect_->Assign(source->rect_.get());
      break;
    case gstColumns:
      columns_->Clear();
      for (Integer i = 0; i < source->columns_->GetCount(); ++i)
        columns_->Add(source->columns_->GetColumn(i));
      break;
    case gstAll:
      SelectAll();
      break;
    default:
      break;
  }
  selectionType_ = source->selectionType_;
}

// Rows are carried by bookmark here too: the in-memory table's record objects are not kept apart.
void TDBGridEhSelection::AssignAsBaseRef(TDBGridEhSelection* source) {
  if (source->selectionType_ == gstRectangle) {
    if (selectionType_ != gstRectangle) Clear();
    selectionType_ = gstRectangle;
    return;
  }
  Assign(source);
}
