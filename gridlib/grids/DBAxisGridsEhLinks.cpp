// The link hit areas of the hot-tracked data cell: a cell that shows its data (or its image) as a link
// reacts only where its text (or its image) is drawn, not over the whole cell.
#include "gridlib/grids/DBAxisGridsEh.h"

void TCustomDBAxisGridEh::CalcCellTextBounds(Integer col, Integer row, TAxisBarEh* bar) {
  CalcCellTextBoundsForSize(TSize{GetColWidths(col), GetRowHeights(row)}, bar);
}

void TCustomDBAxisGridEh::CalcCellTextBoundsForSize(TSize size, TAxisBarEh* bar) {
  mouseCellTextBounds_.clear();
  mousePointInCellTextBoundIndex_ = -1;
  cellDataWantAsLink_ = cellImageWantAsLink_ = false;
  if (!bar) return;
  TCustomImageList* images = bar->GetImageList();
  const bool imageAndText = images && bar->GetShowImageAndText();
  TSize extent{0, 0};
  TAlignment alignment = taCenter;
  if (!images || imageAndText) {
    const String text = dataLink_->GetActive() ? bar->GetTextValue(true) : String();
    // Measured on the shared screen canvas: the grid's own canvas draws only while it paints.
    TCanvas* measure = GetScreenCanvasEh();
    measure->GetFont()->Assign(bar->GetFont());
    extent = TSize{measure->TextWidth(text), measure->TextHeight(text)};
    alignment = bar->GetAlignment();
  } else {
    extent = TSize{images->GetWidth(), images->GetHeight()};
  }
  if (imageAndText) mouseCellTextBounds_.emplace_back(0, 0, images->GetWidth(), images->GetHeight());
  const Integer left = bar->GetCellEditorLeftMargin();
  TRect t(left, 0, left + extent.cx, extent.cy);
  TRect area(left, 0, size.cx - bar->GetCellEditorRightMargin() - bar->EditButtonsWidth(), size.cy);
  if (alignment == taLeftJustify) {
    OffsetRect(&t, 2, 2);
    const TRect clip(area.Left + 2, area.Top + 2, area.Right, area.Bottom);
    IntersectRect(&t, t, clip);
  } else if (alignment == taRightJustify) {
    area = TRect(area.Left, area.Top + 2, area.Right - 2, area.Bottom - 2);
    t = TRect(area.Right - 2 - extent.cx, 2, area.Right - 2, 2 + extent.cy);
  } else {
    area = TRect(area.Left, area.Top + 2, area.Right - 2, area.Bottom);
    t = TRect(area.Left + (area.Width() - extent.cx) / 2, area.Top, 0, area.Top + extent.cy);
    t.Right = t.Left + extent.cx;
  }
  const Integer height = t.Height();
  if (bar->GetLayout() == tlBottom)
    OffsetRect(&t, 0, size.cy - height - t.Top);
  else if (bar->GetLayout() == tlCenter)
    OffsetRect(&t, 0, (size.cy - height) / 2 - t.Top);
  mouseCellTextBounds_.push_back(t);
  cellDataWantAsLink_ = bar->GetCellDataIsLink();
  cellImageWantAsLink_ = bar->GetCellImageIsLink();
}

void TCustomDBAxisGridEh::UpdateCellTextBoundsAtPos(Integer col, Integer row) {
  const bool inCells =
      col >= GetFixedColCount() && row >= GetFixedRowCount() && col < GetColCount() && row < GetRowCount();
  CalcCellTextBounds(col, row, inCells ? GetCellAxisBar(col, row) : nullptr);
}

Integer TCustomDBAxisGridEh::CellTextBoundIndexAt(Integer col, Integer row, Integer y, Integer x) const {
  if (!(GetHotTrackCell() == TGridCoord{col, row})) return -1;
  for (size_t i = 0; i < mouseCellTextBounds_.size(); ++i)
    if (PtInRect(mouseCellTextBounds_[i], TPoint(x, y))) return static_cast<Integer>(i);
  return -1;
}

bool TCustomDBAxisGridEh::MouseOverCellDataLink() {
  const TGridCoord hot = GetHotTrackCell();
  TAxisBarEh* bar = hot.X >= 0 && hot.Y >= 0 ? GetCellAxisBar(hot.X, hot.Y) : nullptr;
  const bool imageFirst = bar && bar->GetImageList() && bar->GetShowImageAndText();
  return cellDataWantAsLink_ && mousePointInCellTextBoundIndex_ >= (imageFirst ? 1 : 0);
}

bool TCustomDBAxisGridEh::MouseOverCellImageLink() {
  const TGridCoord hot = GetHotTrackCell();
  TAxisBarEh* bar = hot.X >= 0 && hot.Y >= 0 ? GetCellAxisBar(hot.X, hot.Y) : nullptr;
  if (!bar || !bar->GetImageList() || !cellImageWantAsLink_) return false;
  return bar->GetShowImageAndText() ? mousePointInCellTextBoundIndex_ == 0
                                    : mousePointInCellTextBoundIndex_ >= 0;
}

void TCustomDBAxisGridEh::UpdateHotTrackInfo(Integer x, Integer y) {
  const TGridCoord old = GetHotTrackCell();
  TCustomGridEh::UpdateHotTrackInfo(x, y);
  const TGridCoord hot = GetHotTrackCell();
  const bool inCells = hot.X >= GetFixedColCount() && hot.Y >= GetFixedRowCount() && hot.X < GetColCount() &&
                       hot.Y < GetRowCount();
  if (!(hot == old)) {
    hotTrackInCellControl_ = nullptr;
    UpdateCellTextBoundsAtPos(hot.X, hot.Y);
  }
  if (!inCells) return;
  const TRect r = CellRect(hot.X, hot.Y, true);
  TInCellPlaceBoxEh* control =
      GetInCellControlAtPos(hot.X, hot.Y, y - r.Top, x - r.Left, GetCellAxisBar(hot.X, hot.Y));
  if (control && !control->GetControl()) control = nullptr;
  if (control != hotTrackInCellControl_) {
    hotTrackInCellControl_ = control;
    InvalidateCell(hot.X, hot.Y);
  }
  const Integer index = CellTextBoundIndexAt(hot.X, hot.Y, y - r.Top, x - r.Left);
  if (index != mousePointInCellTextBoundIndex_) {
    mousePointInCellTextBoundIndex_ = index;
    InvalidateCell(hot.X, hot.Y);
  }
}
