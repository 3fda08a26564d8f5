// The data grid's text search: a walk through the records (or the selected ones) and the columns that
// stops at the first cell whose text matches, and the way to the find dialog.
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/controls/Messages.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

namespace {

// The default handler decides which columns a search reads; without one, those with a field that is
// not a blob.
bool ColumnReadsAsText(TCustomDBGridEh* grid, TColumnEh* column) {
  if (TDBGridEhCenter* center = grid->GetCenter()) return center->CanColumnValueReadAsText(grid, column);
  TField* field = column->GetField();
  return field != nullptr && !field->IsBlob();
}

bool TextMatches(const String& cellText, const String& text, TLocateTextOptionsEh options,
                 TLocateTextMatchingEh matching) {
  if (options.Contains(ltoWholeWordsEh) && matching == ltmAnyPartEh) {
    if (options.Contains(ltoCaseInsensitiveEh))
      return FindSubstringEh(AnsiUpperCase(text), AnsiUpperCase(cellText), true, 1, true) > 0;
    return FindSubstringEh(text, cellText, true, 1, true) > 0;
  }
  const bool upper = options.Contains(ltoCaseInsensitiveEh);
  const String cell = upper ? AnsiUpperCase(cellText) : cellText;
  const String sought = upper ? AnsiUpperCase(text) : text;
  switch (matching) {
    case ltmWholeEh:
      return cell == sought;
    case ltmFromBegingEh:
      return cell.compare(0, sought.size(), sought) == 0;
    case ltmAnyPartEh:
      break;
  }
  return Pos(sought, cell) > 0;
}

// The rows one search walks: the dataset's records, the selected records, or the records between
// the top and the bottom row of a selected rectangle.
class TSearchRowsEh {
 public:
  enum TKind { rkDataSet, rkBookmarks, rkRectangle };

  TSearchRowsEh(TCustomDBGridEh* grid, TDataSet* dataSet, TLocateTextOptionsEh options)
      : grid_(grid), ds_(dataSet) {
    if (!options.Contains(ltoInsideSelectionEh)) return;
    TDBGridEhSelection* selection = grid->GetSelection();
    if (selection->GetSelectionType() == gstRecordBookmarks && selection->GetRows()->GetCount() > 0) {
      kind_ = rkBookmarks;
      rows_ = selection->GetRows();
      index_ = rows_->IndexOf(ds_->GetBookmark());
      if (index_ < 0) GoFirst();
    } else if (selection->GetSelectionType() == gstRectangle) {
      kind_ = rkRectangle;
      top_ = selection->GetRect()->GetTopRow();
      bottom_ = selection->GetRect()->GetBottomRow();
    }
  }

  void GoFirst() {
    switch (kind_) {
      case rkDataSet:
        ds_->First();
        break;
      case rkBookmarks:
        index_ = 0;
        ds_->GotoBookmark(rows_->GetItem(0));
        break;
      case rkRectangle:
        ds_->GotoBookmark(top_);
        break;
    }
  }

  void GoLast() {
    switch (kind_) {
      case rkDataSet:
        ds_->Last();
        break;
      case rkBookmarks:
        index_ = rows_->GetCount() - 1;
        ds_->GotoBookmark(rows_->GetItem(index_));
        break;
      case rkRectangle:
        ds_->GotoBookmark(bottom_);
        break;
    }
  }

  // One row on; false at the end of the rows in that direction (the position is then undefined).
  bool Step(bool down) {
    switch (kind_) {
      case rkDataSet:
        if (down) {
          ds_->Next();
          return !ds_->Eof();
        }
        ds_->Prior();
        return !ds_->Bof();
      case rkBookmarks:
        index_ += down ? 1 : -1;
        if (index_ < 0 || index_ >= rows_->GetCount()) return false;
        ds_->GotoBookmark(rows_->GetItem(index_));
        return true;
      case rkRectangle: {
        const TBookmark current = ds_->GetBookmark();
        if (ds_->CompareBookmarks(current, down ? bottom_ : top_) == 0) return false;
        if (down) {
          ds_->Next();
          return !ds_->Eof();
        }
        ds_->Prior();
        return !ds_->Bof();
      }
    }
    return false;
  }

 private:
  [[maybe_unused]] TCustomDBGridEh* grid_;
  TDataSet* ds_;
  TKind kind_ = rkDataSet;
  TBookmarkListEh* rows_ = nullptr;
  Integer index_ = 0;
  TBookmark top_, bottom_;
};

void CollectSearchColumns(TCustomDBGridEh* grid, const String& fieldName, TLocateTextOptionsEh options,
                          TColumnsEhList& columns) {
  if (!fieldName.empty()) {
    if (TAxisBarEh* column = grid->FindFieldColumn(fieldName)) columns.Add(column);
    return;
  }
  TColumnsEhList* visible = grid->GetVisibleColumns();
  TDBGridEhSelection* selection = grid->GetSelection();
  if (options.Contains(ltoInsideSelectionEh) && selection->GetSelectionType() == gstColumns) {
    TDBGridEhSelectionCols* selected = selection->GetColumns();
    for (Integer i = 0; i < selected->GetCount(); ++i)
      if (ColumnReadsAsText(grid, selected->GetColumn(i))) columns.Add(selected->GetColumn(i));
    return;
  }
  if (options.Contains(ltoInsideSelectionEh) && selection->GetSelectionType() == gstRectangle) {
    TDBGridEhSelectionRect* rect = selection->GetRect();
    for (Integer i = std::max<Integer>(rect->GetLeftCol(), 0);
         i <= rect->GetRightCol() && i < visible->GetCount(); ++i)
      if (ColumnReadsAsText(grid, visible->GetColumn(i))) columns.Add(visible->GetColumn(i));
    return;
  }
  if (options.Contains(ltoAllFieldsEh)) {
    for (Integer i = 0; i < visible->GetCount(); ++i)
      if (ColumnReadsAsText(grid, visible->GetColumn(i))) columns.Add(visible->GetColumn(i));
    return;
  }
  const Integer selected = grid->GetSelectedIndex();
  if (selected >= 0 && selected < grid->GetColumns()->GetCount())
    columns.Add(grid->GetColumns()->GetColumn(selected));
}

// A key press that asks a long search to stop.
bool StopRequested(TCustomDBGridEh* grid, TLocateTextOptionsEh options) {
  if (options.Contains(ltoStopOnEscapeEh) && grid->HandleAllocated() &&
      KeyPressWaiting(grid->GetHandle(), VK_ESCAPE)) {
    RemovePendingKey(grid->GetHandle(), VK_ESCAPE);
    return true;
  }
  return options.Contains(ltoStopKeyMessageEh) && KeyPressWaiting(GetFocus());
}

// Walks the cells from the column col of the current record; the found column, nil without a hit.
TColumnEh* SearchCells(TCustomDBGridEh* grid, TDataSet* ds, TColumnsEhList& columns, Integer col,
                       const String& text, TLocateTextOptionsEh options, TLocateTextDirectionEh direction,
                       TLocateTextMatchingEh matching, Cardinal timeOut,
                       const TCustomDBGridEh::TLocateTextCheckCellEh& checkCell, UInt64 started) {
  const Integer lastColumn = columns.GetCount() - 1;
  TSearchRowsEh rows(grid, ds, options);
  const bool down = direction != ltdUpEh;
  const bool allFields = options.Contains(ltoAllFieldsEh);
  bool rowChanged = false;
  // One cell on in the search direction; false past the last row.
  auto step = [&]() {
    if (allFields) {
      col += down ? 1 : -1;
      if (col >= 0 && col <= lastColumn) return true;
      col = down ? 0 : lastColumn;
    }
    rowChanged = true;
    return rows.Step(down);
  };

  bool atEnd = false;
  if (direction == ltdAllEh) {
    rows.GoFirst();
    col = 0;
  }
  // Once wrapped, the search ends with the cell it began on.
  const TBookmark startRow = ds->GetBookmark();
  const Integer startCol = col;
  if (direction != ltdAllEh) atEnd = !step();
  bool wrapped = false;
  for (;;) {
    if (atEnd) {
      // A walk from the first cell has seen them all at the end.
      if (wrapped || direction == ltdAllEh) return nullptr;
      if (down) {
        rows.GoFirst();
        col = 0;
      } else {
        rows.GoLast();
        col = lastColumn;
      }
      wrapped = true;
    }
    TColumnEh* column = columns.GetColumn(col);
    bool hit = false;
    if (checkCell) {
      checkCell(column, hit);
    } else {
      const String cellText = options.Contains(ltoMatchFormatEh) ? column->DisplayText() : column->EditText();
      hit = TextMatches(cellText, text, options, matching);
    }
    if (hit) return column;
    if (wrapped && col == startCol && ds->CompareBookmarks(ds->GetBookmark(), startRow) == 0) return nullptr;
    if (rowChanged) {
      if (StopRequested(grid, options)) return nullptr;
      if (timeOut > 0 && GetTickCount64() - started > timeOut) return nullptr;
      rowChanged = false;
    }
    atEnd = !step();
  }
}

}  // namespace

bool TCustomDBGridEh::LocateText(TCustomDBGridEh* grid, const String& fieldName, const String& text,
                                 TLocateTextOptionsEh options, TLocateTextDirectionEh direction,
                                 TLocateTextMatchingEh matching, TLocateTextTreeFindRangeEh treeFindRange,
                                 Cardinal timeOut, const TLocateTextCheckCellEh& checkValueEvent) {
  BeginWaitCursor();
  auto endWait = MakeScopeExit([] { EndWaitCursor(); });
  if (center_) {
    std::function<void(TColumnEh*, bool&)> check;
    if (checkValueEvent)
      check = [&checkValueEvent](TColumnEh* column, bool& accept) { checkValueEvent(column, accept); };
    return center_->LocateText(grid, fieldName, text, options, direction, matching, treeFindRange, timeOut,
                               check);
  }
  return LocateTextInGrid(grid, fieldName, text, options, direction, matching, timeOut, checkValueEvent);
}

bool TCustomDBGridEh::LocateTextInGrid(TCustomDBGridEh* grid, const String& fieldName, const String& text,
                                       TLocateTextOptionsEh options, TLocateTextDirectionEh direction,
                                       TLocateTextMatchingEh matching, Cardinal timeOut,
                                       const TLocateTextCheckCellEh& checkCell) {
  if (!grid || !grid->GetDataSource()) return false;
  TDataSet* ds = grid->GetDataSource()->GetDataSet();
  if (!ds || !ds->GetActive() || ds->IsEmpty() || grid->GetVisibleColumns()->GetCount() == 0) return false;
  TColumnsEhList columns;
  CollectSearchColumns(grid, fieldName, options, columns);
  if (columns.GetCount() == 0) return false;
  Integer col = 0;
  if (grid->GetSelectedIndex() >= 0)
    col = std::max<Integer>(columns.IndexOf(grid->GetColumns()->GetColumn(grid->GetSelectedIndex())), 0);
  if (grid->GetDBOptions().Contains(dgRowSelect) && fieldName.empty()) col = 0;

  const UInt64 started = GetTickCount64();
  const TBookmark origin = ds->GetBookmark();
  ds->DisableControls();
  TColumnEh* found = TryFinally(
      [&]() -> TColumnEh* {
        TColumnEh* hit = SearchCells(grid, ds, columns, col, text, options, direction, matching, timeOut,
                                     checkCell, started);
        if (!hit) {
          try {
            ds->GotoBookmark(origin);
          } catch (EDatabaseError&) {
            // The record it started on may be gone; the search has nothing better to offer.
          }
        }
        return hit;
      },
      [ds] { ds->EnableControls(); });
  if (found) grid->SetSelectedIndex(found->GetIndex());
  return found != nullptr;
}

void TCustomDBGridEh::ShowFindDialog(const String& text, bool modal) {
  // Without a default handler the grid has nobody to open the dialog.
  if (center_) center_->ExecuteFindDialog(this, text, modal);
}
