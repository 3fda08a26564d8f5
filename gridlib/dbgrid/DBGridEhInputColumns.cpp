// Columns moved and sized with the mouse: the base grid's change is carried into the column objects,
// selected columns move and size as one block, and under automatic widths the initial widths keep
// their proportions.
#include <algorithm>

#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"

namespace {
bool ColumnSelected(TDBGridEhSelection* selection, TColumnEh* column) {
  return selection->GetSelectionType() == gstColumns && selection->GetColumns()->IndexOf(column) >= 0;
}
}  // namespace

bool TCustomDBGridEh::CheckColumnDrag(Integer& origin, Integer& destination, TPoint /*mousePt*/) {
  // Columns are dropped among the scrolled and frozen data columns, never into the indicator.
  destination = std::max(destination, indicatorOffset_);
  return origin >= indicatorOffset_;
}

void TCustomDBGridEh::ColMoved(Integer fromIndex, Integer toIndex) {
  TCustomDBAxisGridEh::ColMoved(fromIndex, toIndex);
  TColumnsEhList* visible = GetVisibleColumns();
  const Integer dataFrom = fromIndex - indicatorOffset_;
  const Integer dataTo = toIndex - indicatorOffset_;
  if (dataFrom < 0 || dataFrom >= visible->GetCount() || dataTo < 0 || dataTo >= visible->GetCount()) return;
  TDBGridColumnsEh* columns = GetColumns();
  TColumnEh* moved = visible->GetColumn(dataFrom);
  TDBGridEhSelectionCols* selected = selection_->GetColumns();
  if (!ColumnSelected(selection_.get(), moved) || selected->GetCount() < 2) {
    moved->SetIndex(visible->GetColumn(dataTo)->GetIndex());
    if (OnColumnMoved) OnColumnMoved(this, dataFrom, dataTo);
    return;
  }
  // The block goes after the nearest column left of the drop place that is not part of it.
  TColumnEh* anchor = nullptr;
  for (Integer i = dataTo - (fromIndex >= toIndex ? 1 : 0); i >= 0 && i < visible->GetCount(); --i) {
    if (selected->IndexOf(visible->GetColumn(i)) < 0) {
      anchor = visible->GetColumn(i);
      break;
    }
  }
  std::vector<TColumnEh*> order;
  const auto addBlock = [&] {
    for (Integer i = 0; i < selected->GetCount(); ++i) order.push_back(selected->GetColumn(i));
  };
  if (!anchor) addBlock();
  for (Integer i = 0; i < columns->GetCount(); ++i) {
    TColumnEh* column = columns->GetColumn(i);
    if (selected->IndexOf(column) >= 0) continue;
    order.push_back(column);
    if (column == anchor) addBlock();
  }
  {
    columns->BeginUpdate();
    auto end = MakeScopeExit([columns] { columns->EndUpdate(); });
    for (Integer i = 0; i < static_cast<Integer>(order.size()); ++i)
      order[static_cast<size_t>(i)]->SetIndex(i);
  }
  if (columns->GetState() == csDefault) ReorderFieldsAsColumns();
}

// Every field is found before any moves: a name the dataset lacks leaves the field order untouched.
void TCustomDBGridEh::ReorderFieldsAsColumns() {
  TDataSet* ds = GetDataLink()->GetDataSet();
  if (!ds) return;
  TDBGridColumnsEh* columns = GetColumns();
  std::vector<TField*> fields;
  for (Integer i = 0; i < columns->GetCount(); ++i)
    fields.push_back(ds->FieldByName(columns->GetColumn(i)->GetFieldName()));
  for (Integer i = 0; i < static_cast<Integer>(fields.size()); ++i)
    fields[static_cast<size_t>(i)]->SetIndex(i);
}

void TCustomDBGridEh::ChangeColWidth(Integer index, Integer width) {
  TColumnEh* column = GetColumnAtGridCol(index);
  if (!column || !ColumnSelected(selection_.get(), column)) {
    TCustomDBAxisGridEh::ChangeColWidth(index, width);
    return;
  }
  TDBGridColumnsEh* columns = GetColumns();
  TDBGridEhSelectionCols* selected = selection_->GetColumns();
  columns->BeginUpdate();
  auto end = MakeScopeExit([columns] { columns->EndUpdate(); });
  for (Integer i = 0; i < selected->GetCount(); ++i) selected->GetColumn(i)->SetWidth(width);
}

// Widths the user gave the grid's cells become the columns' widths, or under automatic widths their
// initial widths, the next column taking up the difference.
void TCustomDBGridEh::ColWidthsChanged() {
  TCustomDBAxisGridEh::ColWidthsChanged();
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if ((link->GetActive() || GetColumns()->GetState() == csCustomized) && GetUpdateLock() == 0 &&
      GetLayoutLock() == 0) {
    BeginLayout();
    auto end = MakeScopeExit([this] { EndLayout(); });
    TColumnsEhList* visible = GetVisibleColumns();
    const bool autoFit = IsAutoFitColWidthsActive();
    // The sized column's change is shared by all the automatic columns right of it, by their widths.
    const auto resizeWholeRightPart = [&](Integer index, Integer now) {
      TColumnEh* sized = visible->GetColumn(index);
      const Integer old = sized->GetWidth();
      if (sized->GetAutoFitColWidth())
        sized->SetInitWidth(MulDiv(now, sized->GetInitWidth(), old));
      else
        sized->SetWidth(now);
      Integer sum = 0;
      for (Integer j = index + 1; j < visible->GetCount(); ++j)
        if (visible->GetColumn(j)->GetAutoFitColWidth()) sum += visible->GetColumn(j)->GetWidth();
      for (Integer j = index + 1; j < visible->GetCount(); ++j) {
        TColumnEh* right = visible->GetColumn(j);
        if (!right->GetAutoFitColWidth()) continue;
        const Integer init = sum > 0 ? MulDiv(sum + old - now, right->GetInitWidth(), sum) : 0;
        right->SetInitWidth(std::max(1, init));
      }
    };
    for (Integer i = 0; i < visible->GetCount(); ++i) {
      const Integer col = DataColToGridCol(i);
      if (col >= GetFullColCount()) break;
      TColumnEh* column = visible->GetColumn(i);
      const Integer now = GetColWidths(col);
      const Integer old = column->GetWidth();
      if (now == old) continue;
      if (autoFit && optionsEh_.Contains(dghResizeWholeRightPart)) {
        resizeWholeRightPart(i, now);
        break;
      }
      if (!autoFit || !column->GetAutoFitColWidth()) {
        column->SetWidth(now);
        continue;
      }
      const Integer oldInit = column->GetInitWidth();
      const Integer newInit = old > 0 ? MulDiv(oldInit, now, old) : now;
      column->SetWidth(now);
      column->SetInitWidth(newInit);
      if (i + 1 < visible->GetCount()) {
        TColumnEh* next = visible->GetColumn(i + 1);
        next->SetInitWidth(std::max(0, next->GetInitWidth() + oldInit - newInit));
      }
    }
  }
  InvalidateEditor();
  colWidthsChanged_ = true;
  if (OnColWidthsChanged) OnColWidthsChanged(this);
}
