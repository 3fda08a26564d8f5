// Column moving by the title: the dragged title follows the mouse in a window of its own, with a
// marker under it that points at the place where the column will land.
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/controls/Forms.h"

// ======================= Marker =======================

TDBGridMovePointEh::TDBGridMovePointEh(TComponent* owner) : TGridMoveLineEh(owner) {}

void TDBGridMovePointEh::Paint() {
  TCanvas* c = GetCanvas();
  c->GetBrush()->SetColor(clWhite);
  c->FillRect(GetClientRect());
  c->GetPen()->SetColor(forePaintColor_);
  for (Integer row = 0; row < 4; ++row) c->Polyline({TPoint(row, row), TPoint(7 - row, row)});
  c->Polyline({TPoint(3, 4), TPoint(3, GetClientHeight())});
}

// ======================= Drag window =======================

TDBGridTitleDragWin::TDBGridTitleDragWin(TComponent* owner) : TGridDragFormEh(owner) {
  SetColor(clWindow);
  movePoint_ = new TDBGridMovePointEh(this);
  movePoint_->SetBounds(7, 4, 7, 7);
}

TDBGridTitleDragWin* TDBGridTitleDragWin::GetTitleDragWin() {
  static TDBGridTitleDragWin* window = new TDBGridTitleDragWin(Application);
  return window;
}

// The stem stands at the landing x, the triangle hanging from the window's bottom edge.
void TDBGridTitleDragWin::UpdateMovePoint() {
  movePoint_->TGridDragFormEh::SetBounds(movePointPos_ - 3, GetTop() + GetHeight(), 7, movePointSize_ + 5);
  movePoint_->SetForePaintColor(cl3DDkShadow);
  if (GetVisible() != movePoint_->GetVisible()) movePoint_->SetVisible(GetVisible());
}

void TDBGridTitleDragWin::StartShow(TColumnTitleEh* title, TPoint pos, Integer width, Integer height,
                                    Integer movePointPos, Integer moveSize) {
  drawObject_ = title;
  movePointPos_ = movePointPos;
  movePointSize_ = moveSize;
  TGridDragFormEh::StartShow(pos, width, height);
  UpdateMovePoint();
  Invalidate();
}

void TDBGridTitleDragWin::SetBounds(Integer x, Integer y, Integer width, Integer height, Integer movePointPos,
                                    Integer moveSize) {
  movePointPos_ = movePointPos;
  movePointSize_ = moveSize;
  TGridDragFormEh::SetBounds(x, y, width, height);
  UpdateMovePoint();
}

void TDBGridTitleDragWin::Hide() {
  SetVisible(false);
  UpdateMovePoint();
}

void TDBGridTitleDragWin::Paint() {
  TCanvas* canvas = GetCanvas();
  const TRect client = GetClientRect();
  TColumnEh* column = drawObject_ ? drawObject_->GetColumn() : nullptr;
  TCustomDBGridEh* grid = column ? column->GetDBGrid() : nullptr;
  if (grid) {
    TRect inner = client;
    InflateRect(&inner, -1, -1);
    grid->PaintTitleDragImage(canvas, inner, column);
  }
  canvas->GetBrush()->SetColor(cl3DDkShadow);
  canvas->FrameRect(client);
  // The count of the columns that move together.
  const Integer selected = grid && grid->GetSelection()->GetSelectionType() == gstColumns
                               ? grid->GetSelection()->GetColumns()->GetCount()
                               : 0;
  if (selected > 0) {
    canvas->GetFont()->SetSize(6);
    const String text = IntToStr(selected);
    const Integer w = canvas->TextWidth(text) + 4, h = canvas->TextHeight(text) + 2;
    const TRect badge(client.Right - 2 - w, client.Top + 2, client.Right - 2, client.Top + 2 + h);
    canvas->GetBrush()->SetColor(clWindow);
    canvas->FillRect(badge);
    canvas->GetBrush()->SetColor(cl3DDkShadow);
    canvas->FrameRect(badge);
    canvas->GetBrush()->SetStyle(bsClear);
    canvas->TextOut(badge.Left + 2, badge.Top + 1, text);
    canvas->GetBrush()->SetStyle(bsSolid);
  }
}

// ======================= The grid's side =======================

void TCustomDBGridEh::PaintTitleDragImage(TCanvas* canvas, const TRect& rect, TColumnEh* column) {
  const Integer dataCol = GetVisibleColumns()->IndexOf(column);
  if (dataCol < 0) return;
  TDBGridDrawTitleCellParamsEh params;
  FillTitleCellParams(TGridDrawState{gdFixed}, rect, dataCol, &params);
  params.WordWrap = false;
  params.Orientation = tohHorizontal;
  params.Down = false;
  params.DrawSortIndex = false;
  params.CellMultiSelected = false;
  params.Layout = tlCenter;
  params.CellState = TGridDrawState{gdFixed};
  if (IsUseMultiTitle()) {
    const Integer leaf = LeafOf(column->GetIndex());
    if (leaf > 0) params.Text = headTree_[static_cast<size_t>(leaf)].Text;
  }
  DefaultDrawTitleCell(canvas, rect, &params);
}

// The dragged title stands where the mouse holds it, level with the titles; the marker points at the
// border the column will land on.
void TCustomDBGridEh::DrawMoveLine() {
  if (GetGridState() != gsColMovingEh) {
    TCustomDBAxisGridEh::DrawMoveLine();
    return;
  }
  TColumnEh* column = GetColumnAtGridCol(moveFromIndex_);
  if (!column) return;
  TRect title = TCustomGridEh::CellRect(moveFromIndex_, 0, false);
  if (IsUseMultiTitle()) {
    const Integer leaf = LeafOf(column->GetIndex());
    if (leaf > 0) title.Top = title.Bottom - headTree_[static_cast<size_t>(leaf)].Height;
  }
  const Integer target = std::min(moveToIndex_, GetFullColCount() - 1);
  const TRect to = TCustomGridEh::CellRect(target, 0, false);
  Integer landing = moveToIndex_ >= GetFullColCount() || movePosRightSite_ ? to.Right : to.Left;
  landing = std::clamp(landing, GetHorzAxis()->GetFixedBoundary(), GetHorzAxis()->GetRolInClientBoundary());
  if (UseRightToLeftAlignment()) landing = GetClientWidth() - landing;
  // The last move the grid saw; a scrolling tick keeps the mouse where it was.
  const TPoint at = ClientToScreen(TPoint(lastMovePos_.X - moveFromCellOriginDistance_, title.Top));
  const Integer mark = ClientToScreen(TPoint(landing, 0)).X;
  const Integer markSize = std::max(0, TCustomGridEh::CellRect(0, 0, false).Bottom - title.Bottom) + 4;
  TDBGridTitleDragWin* window = TDBGridTitleDragWin::GetTitleDragWin();
  if (window->GetVisible() && window->GetDrawObject() == column->GetTitle())
    window->SetBounds(at.X, at.Y, title.Width(), title.Height(), mark, markSize);
  else
    window->StartShow(column->GetTitle(), at, title.Width(), title.Height(), mark, markSize);
}

void TCustomDBGridEh::HideMoveLine() {
  TDBGridTitleDragWin* window = TDBGridTitleDragWin::GetTitleDragWin();
  if (window->GetVisible()) window->Hide();
  TCustomDBAxisGridEh::HideMoveLine();
}
