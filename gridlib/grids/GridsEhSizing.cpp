// Row and column sizing and moving: the sizing spots, the sizing line, the new length, the start of a
// move, the target that follows the pointer with auto-scroll at the edges, and the move marker.
#include <algorithm>
#include <cmath>

#include "gridlib/grids/GridsEh.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Gdi.h"

// ---- Sizing spots ----

namespace {
bool SpotHit(Integer edge, Integer pos, Integer width) {
  const Integer from = edge - width / 2;
  return pos >= from && pos <= from + width;
}
}  // namespace

bool TCustomGridEh::FindSizingSpot(TGridAxisDataEh* axis, Integer pos, Integer width, bool allFixed,
                                   Integer& sizingOfs, Integer& sizingPos, Integer& sizingIndex) {
  const auto hit = [&](Integer edge, Integer index) {
    if (!SpotHit(edge, pos, width)) return false;
    sizingPos = edge;
    sizingOfs = edge - pos;
    sizingIndex = index;
    return true;
  };
  const Integer stop = axis->GetGridClientStop();
  Integer e = allFixed ? axis->GetGridClientStart() : axis->GetFixedBoundary() - axis->GetFrozenLen();
  for (Integer i = allFixed ? 0 : axis->GetFixedCelCount() - axis->GetFrozenCelCount();
       i < axis->GetFixedCelCount(); ++i) {
    e += axis->GetFixedCelLens(i);
    if (e >= stop) break;
    if (hit(e, i)) return true;
  }
  e = axis->GetFixedBoundary() - axis->GetRolStartVisCelOfst();
  for (Integer i = axis->GetStartVisCel(); i < axis->GetCelCount(); ++i) {
    e += axis->GetCelLens(i);
    if (e >= axis->GetContraStart()) break;
    if (hit(e, i)) return true;
  }
  const Integer rolEnd = axis->GetRolInClientBoundary();
  if (rolEnd == axis->GetContraStart() && pos >= rolEnd - width / 2 && pos <= rolEnd) {
    sizingPos = rolEnd;
    sizingOfs = rolEnd - pos;
    sizingIndex = axis->GetFixedCelCount() + axis->GetRolLastVisCel();
    return true;
  }
  if (axis->GetContraCelCount() > 0 && pos >= axis->GetContraStart() &&
      pos <= axis->GetContraStart() + width / 2) {
    sizingPos = axis->GetContraStart();
    sizingOfs = sizingPos - pos;
    sizingIndex = axis->GetCelCount();
    return true;
  }
  e = axis->GetContraStart();
  for (Integer k = axis->GetCelCount(); k < axis->GetFullCelCount() - 1; ++k) {
    e += axis->GetCelLens(k);
    if (e >= stop) break;
    if (hit(e, k + 1)) return true;
  }
  return false;
}

void TCustomGridEh::CalcSizingState(Integer x, Integer y, Integer& sizingOfs, Integer& sizingPos,
                                    Integer& sizingIndex, TGridStateEh& state) {
  state = gsNormalEh;
  sizingIndex = -1;
  TGridOptionsEh options = options_;
  if (GetComponentState().Contains(csDesigning)) options = options + designOptionsBoost_;
  if (!options.Contains(goRowSizingEh) && !options.Contains(goColSizingEh)) return;
  TGridAxisDataEh& h = *horzAxis_;
  TGridAxisDataEh& v = *vertAxis_;
  const bool rtl = UseRightToLeftAlignment();
  const Integer cw = GetClientWidth();
  const Integer hs =
      FixedColsSizingAllowed() ? h.GetGridClientStart() : h.GetFixedBoundary() - h.GetFrozenLen();
  if ((rtl ? x < cw - hs : x > hs) && options.Contains(goColSizingEh)) {
    if (y >= v.GetGridClientStart() && y < v.GetFixedBoundary() - v.GetFrozenLen()) {
      const Integer p = rtl ? cw - x : x;
      if (FindSizingSpot(&h, p, 7, FixedColsSizingAllowed(), sizingOfs, sizingPos, sizingIndex))
        state = gsColSizingEh;
    }
    return;
  }
  if (!options.Contains(goRowSizingEh)) return;
  const Integer hFixedEnd = h.GetFixedBoundary() - h.GetFrozenLen();
  const bool inIndicator = rtl ? x > cw - hFixedEnd : x < hFixedEnd;
  if (y >= v.GetFixedBoundary() - v.GetFrozenLen() && inIndicator)
    if (FindSizingSpot(&v, y, 5, FixedRowsSizingAllowed(), sizingOfs, sizingPos, sizingIndex))
      state = gsRowSizingEh;
}

TGridStateEh TCustomGridEh::SizingStateAtPos(Integer x, Integer y) {
  if (gridState_ != gsNormalEh) return gridState_;
  Integer ofs = 0, pos = 0, index = -1;
  TGridStateEh state = gsNormalEh;
  CalcSizingState(x, y, ofs, pos, index, state);
  return state;
}

// ---- Sizing line ----

void TCustomGridEh::InitSizingLinePos() {
  drawenSizingPos2_ = sizingPos_;
  TGridAxisDataEh* axis = gridState_ == gsColSizingEh ? horzAxis_.get() : vertAxis_.get();
  const Integer index = sizingIndex_;
  if (index < axis->GetFixedCelCount()) {
    drawenSizingPos1_ = -1;
  } else if (index < axis->GetCelCount()) {
    drawenSizingPos1_ = static_cast<Integer>(axis->GetFixedBoundary() +
                                             axis->GetRolLocCelPosArr(index - axis->GetFixedCelCount()) -
                                             axis->GetRolStartVisPos());
  } else {
    Integer e = axis->GetContraStart();
    for (Integer i = axis->GetCelCount(); i <= index; ++i) e += axis->GetCelLens(i);
    drawenSizingPos1_ = e;
  }
  if (drawenSizingPos1_ < axis->GetFixedBoundary()) drawenSizingPos1_ = -1;
  Invalidate();
}

void TCustomGridEh::InvalidateSizingLine(Integer pos) {
  if (!HandleAllocated()) return;
  TRect r = gridState_ == gsColSizingEh ? TRect(pos - 1, 0, pos, GetClientHeight())
                                        : TRect(0, pos - 1, GetClientWidth(), pos);
  if (gridState_ == gsColSizingEh && UseRightToLeftAlignment()) {
    const Integer cw = GetClientWidth();
    r = TRect(cw - pos, 0, cw - pos + 1, GetClientHeight());
  }
  ::InvalidateRect(GetHandle(), &r, false);
}

void TCustomGridEh::DrawSizingLine() {
  InvalidateSizingLine(drawenSizingPos2_);
  InvalidateSizingLine(sizingPos_);
  if (HandleAllocated()) Update();
  drawenSizingPos2_ = sizingPos_;
}

void TCustomGridEh::GetSizingLineBounds(Integer& start, Integer& stop) {
  TGridAxisDataEh* other = gridState_ == gsColSizingEh ? vertAxis_.get() : horzAxis_.get();
  start = other->GetGridClientStart();
  stop = other->GetGridClientStop();
}

void TCustomGridEh::PaintSizingLine() {
  TCanvas* canvas = GetCanvas();
  canvas->GetPen()->SetColor(cl3DDkShadow);
  Integer start = 0, stop = 0;
  GetSizingLineBounds(start, stop);
  const bool cols = gridState_ == gsColSizingEh;
  const bool rtl = cols && UseRightToLeftAlignment();
  const Integer cw = GetClientWidth();
  const auto line = [&](Integer pos) {
    if (cols) {
      const Integer x = rtl ? cw - pos : pos - 1;
      canvas->Polyline({TPoint(x, start), TPoint(x, stop)});
    } else {
      canvas->Polyline({TPoint(start, pos - 1), TPoint(stop, pos - 1)});
    }
  };
  line(sizingPos_);
  if (drawenSizingPos1_ >= 0) line(drawenSizingPos1_);
}

Integer TCustomGridEh::CalcSizingCelLen(TGridAxisDataEh* axis) {
  const Integer index = sizingIndex_;
  if (index < axis->GetFixedCelCount())
    return sizingPos_ - (axis->GetGridClientStart() + axis->GetFixedCelPos(index));
  if (index < axis->GetCelCount()) {
    Integer start = axis->GetFixedBoundary() - axis->GetRolStartVisCelOfst();
    for (Integer i = axis->GetStartVisCel(); i < index; ++i) start += axis->GetCelLens(i);
    return sizingPos_ - start;
  }
  Integer e = axis->GetContraStart();
  for (Integer i = axis->GetCelCount(); i <= index; ++i) e += axis->GetCelLens(i);
  return e - sizingPos_;
}

// ---- Moving ----

void TCustomGridEh::BeginColMoving(Integer index, Integer x, Integer y) {
  moveFromIndex_ = index;
  const Integer c = MouseCoord(x, y).X;
  const TRect rect = CellRect(c, 0);
  const Integer mid = rect.Left + rect.Width() / 2;
  Integer target = c + ((UseRightToLeftAlignment() ? x <= mid : x >= mid) ? 1 : 0);
  moveFromCellOriginDistance_ = x - rect.Left;
  if (c == -1 && x > horzAxis_->GetRolInClientBoundary())
    target = horzAxis_->GetCelCount() - 1;
  else if (c < GetLeftCol())
    target = GetLeftCol();
  moveToIndex_ = target;
  movePosRightSite_ = false;
  gridState_ = gsColMovingEh;
  Update();
  DrawMoveLine();
  SetTimerActive(true, 60);
}

void TCustomGridEh::BeginRowMoving(Integer index) {
  moveFromIndex_ = moveToIndex_ = index;
  gridState_ = gsRowMovingEh;
  Update();
  DrawMoveLine();
  SetTimerActive(true, 60);
}

bool TCustomGridEh::CheckMoveTarget(Integer origin, Integer& target, TPoint /*mousePt*/) {
  if (origin < target && !movePosRightSite_) --target;
  return true;
}

void TCustomGridEh::UpdateMoveTarget(Integer pos, Integer cellIndex, TPoint mousePt, bool isVert,
                                     TGridAxisDataEh* axis) {
  if (!isVert && UseRightToLeftAlignment()) pos = GetClientWidth() - pos;
  const bool rowRightSite = moveFromIndex_ < moveToIndex_;
  if (axis->GetRolStartVisCelOfst() == 0 && axis->GetRolStartVisCel() == 0 &&
      moveToIndex_ == axis->GetFixedCelCount() && pos < axis->GetFixedBoundary())
    return;
  if (pos < axis->GetFixedBoundary()) {
    if (moveToIndex_ > axis->GetFixedCelCount() || axis->GetRolStartVisCelOfst() > 0) {
      ScrollBarScroll(isVert ? 1 : 0, SB_LINEUP, false, 0);
      Update();
    }
    cellIndex = axis->GetStartVisCel();
  } else if (pos >= axis->GetGridClientStop()) {
    if (!axis->GetInEndOfRol()) {
      ScrollBarScroll(isVert ? 1 : 0, SB_LINEDOWN, false, 0);
      Update();
    }
    cellIndex = axis->GetRolLastFullVisCel() + axis->GetFixedCelCount();
  } else if (cellIndex == -1 && pos >= axis->GetRolInClientBoundary()) {
    cellIndex = axis->GetCelCount() - 1;
  } else if (cellIndex < 0) {
    cellIndex = moveToIndex_;
  }
  if (!isVert) {
    if (CheckColumnDrag(moveFromIndex_, cellIndex, mousePt)) {
      const TRect rect = CellRect(cellIndex, 0);
      const Integer mid = rect.Left + rect.Width() / 2;
      const bool before = UseRightToLeftAlignment() ? mousePt.X > mid : mousePt.X < mid;
      moveToIndex_ = before ? cellIndex : cellIndex + 1;
      movePosRightSite_ = false;
    }
  } else if (CheckRowDrag(moveFromIndex_, cellIndex, mousePt)) {
    moveToIndex_ = cellIndex;
    movePosRightSite_ = rowRightSite;
  }
  DrawMoveLine();
}

void TCustomGridEh::ColumnAutoScrollInterval(Int64 oldLeftPos) {
  const TPoint screen = Mouse->GetCursorPos();
  const Integer pos = ScreenToClient(screen).X;
  const Integer fixedScreen = ClientToScreen(TPoint(horzAxis_->GetFixedBoundary(), 0)).X;
  const Integer contraScreen = ClientToScreen(TPoint(horzAxis_->GetContraStart(), 0)).X;
  const auto interval = [](Integer a, Integer b) {
    const Integer d = b > 10 ? b - 10 : 1;
    return static_cast<Integer>(std::trunc(static_cast<double>(a) / d * 1.5)) + 60;
  };
  Integer ms = 60;
  if (moveToIndex_ < horzAxis_->GetFixedCelCount()) {
    ms = 60;
  } else if (pos < horzAxis_->GetFixedBoundary()) {
    const Integer a = std::min(fixedScreen, 200);
    ms = interval(a, std::min(a, fixedScreen - screen.X));
  } else if (pos < horzAxis_->GetContraStart() && GetLeftPos() > oldLeftPos) {
    ms = 360;
  } else if (pos > horzAxis_->GetContraStart()) {
    const Integer a = std::min(Screen->GetDesktopWidth() - contraScreen, 200);
    ms = interval(a, std::min(a, screen.X - contraScreen));
  }
  SetTimerActive(true, ms);
}

void TCustomGridEh::DrawMoveLine() {
  if (gridState_ != gsRowMovingEh && gridState_ != gsColMovingEh) return;
  TGridMoveLineEh* marker = GetGridMoveLine();
  TPoint p;
  Integer length = 0;
  const bool vert = gridState_ == gsColMovingEh;
  if (!vert) {
    const TRect rect = CellRect(0, moveToIndex_);
    p = TPoint(horzAxis_->GetGridClientStart(), moveFromIndex_ < moveToIndex_ ? rect.Bottom : rect.Top);
    length = horzAxis_->GetGridClientLen();
  } else {
    const TRect rect = CellRect(std::min(moveToIndex_, GetFullColCount() - 1), 0);
    const bool rtl = UseRightToLeftAlignment();
    Integer x = movePosRightSite_ ? (rtl ? rect.Left : rect.Right) : (rtl ? rect.Right : rect.Left - 1);
    if (moveToIndex_ >= GetFullColCount()) x = rtl ? rect.Left : rect.Right;
    p = TPoint(x, vertAxis_->GetGridClientStart());
    length = options_.Contains(goExtendVertLinesEh)
                 ? vertAxis_->GetRolInClientBoundary() - vertAxis_->GetGridClientStart()
                 : vertAxis_->GetGridClientLen();
  }
  p = ClientToScreen(p);
  if (marker->GetVisible())
    marker->MoveToFor(p);
  else
    marker->StartShow(p, vert, length, this);
}

void TCustomGridEh::HideMoveLine() { GetGridMoveLine()->SetVisible(false); }
