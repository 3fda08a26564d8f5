// Base grid scrolling and boundary layout: the zones of each axis, the scroll positions by pixel and by
// cell, the grid's own scroll-bar panels (64-bit positions scaled onto the 32-bit bars), the wheel, the
// timed auto-scroll and bringing a cell into view.
#include <algorithm>

#include "gridlib/grids/GridsEh.h"
#include "platform/graphics/Gdi.h"
#include "platform/rtl/ScopeGuard.h"

// ---- Layout ----

void TCustomGridEh::CheckUpdateAxes() {
  horzAxis_->CheckUpdateRolCelPosArr();
  vertAxis_->CheckUpdateRolCelPosArr();
}

bool TCustomGridEh::AxesPositionsValid() const {
  return !horzAxis_->GetRolLocCelPosArrObsolete() && !vertAxis_->GetRolLocCelPosArrObsolete();
}

void TGridAxisDataEh::LayOut(Integer winStart, Integer winStop, Integer startIndent, Integer stopIndent,
                             Integer contraExtra) {
  winClientBoundSta_ = winStart;
  winClientBoundSto_ = winStop;
  gridClientStart_ = winStart + startIndent;
  gridClientStop_ = winStop - stopIndent;
  Integer contraLen = 0;
  for (Integer i = 0; i < GetContraCelCount(); ++i) contraLen += GetContraCelLens(i);
  if (GetContraCelCount() > 0) contraLen += contraExtra;
  contraLen_ = contraLen;
  contraStart_ = gridClientStop_ - contraLen;
  fixedBoundary_ = gridClientStart_ + GetFixedCelPos(GetFixedCelCount());
  Integer frozen = 0;
  for (Integer i = std::max(0, GetFixedCelCount() - GetFrozenCelCount()); i < GetFixedCelCount(); ++i)
    frozen += GetFixedCelLens(i);
  frozenLen_ = frozen;
}

void TGridAxisDataEh::TakeRoom(Integer size) {
  gridClientStop_ -= size;
  contraStart_ -= size;
}

void TCustomGridEh::UpdateBoundaries() {
  if (IsBoundariesUpdating() || GetComponentState().Contains(csLoading) || !horzAxis_ || !vertAxis_ ||
      !outBoundaryData_ || !horzScrollBar_ || !vertScrollBar_)
    return;
  BeginBoundariesUpdate();
  auto end = MakeScopeExit([this] { EndBoundariesUpdate(); });
  winClientBoundary_ = HandleAllocated() ? GetClientRect() : TRect(0, 0, GetWidth(), GetHeight());
  const Integer lineWidth = gridLineWidth_;
  horzAxis_->LayOut(winClientBoundary_.Left, winClientBoundary_.Right, outBoundaryData_->GetLeftIndent(),
                    outBoundaryData_->GetRightIndent(),
                    options_.Contains(goContraVertBoundaryLineEh) ? lineWidth : 0);
  vertAxis_->LayOut(winClientBoundary_.Top, winClientBoundary_.Bottom, outBoundaryData_->GetTopIndent(),
                    outBoundaryData_->GetBottomIndent(),
                    options_.Contains(goContraHorzBoundaryLineEh) ? lineWidth : 0);
  ApplyScrollBarRoom();
  ClampScrollPositions(!horzScrollBar_->GetSmoothStep(), !vertScrollBar_->GetSmoothStep());
  horzAxis_->UpdateLastVisCells();
  vertAxis_->UpdateLastVisCells();
  UpdateScrollBars();
  if (inplaceEdit_) UpdateEdit();
  Invalidate();
}

void TCustomGridEh::ApplyScrollBarRoom() {
  horzAxis_->CheckUpdateRolCelPosArr();
  vertAxis_->CheckUpdateRolCelPosArr();
  // The second bar's test sees the room the first one took.
  if (horzScrollBar_->IsScrollBarShowing()) {
    vertAxis_->TakeRoom(horzScrollBar_->ActualSize());
    if (vertScrollBar_->IsScrollBarShowing()) horzAxis_->TakeRoom(vertScrollBar_->ActualSize());
  } else if (vertScrollBar_->IsScrollBarShowing()) {
    horzAxis_->TakeRoom(vertScrollBar_->ActualSize());
    if (horzScrollBar_->IsScrollBarShowing()) vertAxis_->TakeRoom(horzScrollBar_->ActualSize());
  }
}

void TCustomGridEh::ClampScrollPositions(bool horzAlign, bool vertAlign) {
  for (TGridAxisDataEh* axis : {horzAxis_.get(), vertAxis_.get()}) {
    const bool align = axis == horzAxis_.get() ? horzAlign : vertAlign;
    Int64 pos = axis->CheckRolStartVisPos(axis->GetRolStartVisPos());
    if (align && axis->GetRolCelCount() > 0 && pos > 0 && pos < axis->GetRolLen() - axis->GetRolClientLen()) {
      Integer cel = 0, ofs = 0;
      axis->RolCellAtPos(pos, cel, ofs);
      pos = axis->GetRolLocCelPosArr(cel);
    }
    if (pos != axis->GetRolStartVisPos()) {
      axis->rolStartVisPos_ = pos;
      axis->UpdateVisCells();
    } else {
      axis->UpdateVisCells();
    }
  }
}

void TCustomGridEh::ColWidthsChanged() {
  if (AxesPositionsValid()) UpdateEdit();
}

void TCustomGridEh::RowHeightsChanged() {
  if (AxesPositionsValid()) UpdateEdit();
}

Integer TCustomGridEh::VertScrollStep() {
  const Integer step = (vertAxis_->GetContraStart() - vertAxis_->GetFixedBoundary()) / 20;
  return step == 0 ? 1 : step;
}

// ---- Positions ----

void TCustomGridEh::SetLeftPos(Int64 value) {
  horzAxis_->SetRolStartVisPos(horzAxis_->CheckRolStartVisPos(value));
}
void TCustomGridEh::SetTopPos(Int64 value) {
  vertAxis_->SetRolStartVisPos(vertAxis_->CheckRolStartVisPos(value));
}

void TCustomGridEh::SetLeftCol(Integer value) {
  horzAxis_->SetRolStartVisPos(
      horzAxis_->CheckRolStartVisPos(horzAxis_->GetRolLocCelPosArr(value - GetFixedColCount())));
}

void TCustomGridEh::SetTopRow(Integer value) {
  vertAxis_->SetRolStartVisPos(
      vertAxis_->CheckRolStartVisPos(vertAxis_->GetRolLocCelPosArr(value - GetFixedRowCount())));
}

// ---- Scroll bars: 64-bit positions on 32-bit bars ----

namespace {
// Bars count at most this far; longer axes are scaled down and mapped back.
constexpr Int64 kBarRange = TScrollRange64::kBarMax;
}  // namespace

Integer TCustomGridEh::AxisPosToBar(TGridAxisDataEh* axis, Int64 pos) {
  const Int64 max = axis->GetRolLen() - 1;
  if (max <= kBarRange) return static_cast<Integer>(pos);
  return TScrollRange64(0, max).ToBar(pos);
}

Int64 TCustomGridEh::BarPosToAxis(TGridAxisDataEh* axis, Integer barPos) {
  const Int64 max = axis->GetRolLen() - 1;
  if (max <= kBarRange) return barPos;
  const TScrollRange64 range(0, max);
  // The thumb at the end of its track is the last page, whatever the rounding of the scale.
  const Integer barPage = AxisPosToBar(axis, axis->GetRolClientLen());
  if (barPos >= range.BarMax() - barPage + 1) return axis->GetRolLen() - axis->GetRolClientLen();
  return range.FromBar(barPos);
}

void TCustomGridEh::CalcHorzScrollBarParams(Integer& position, Integer& min, Integer& pageSize,
                                            Integer& max) {
  TGridAxisDataEh* a = horzAxis_.get();
  const Int64 len = a->GetRolLen();
  position = AxisPosToBar(a, a->GetRolStartVisPos());
  min = 0;
  max = len > 0 ? AxisPosToBar(a, len - 1) : 0;
  pageSize = AxisPosToBar(a, a->GetRolClientLen());
  if (UseRightToLeftAlignment()) position += pageSize;
}

void TCustomGridEh::CalcVertScrollBarParams(Integer& position, Integer& min, Integer& pageSize,
                                            Integer& max) {
  TGridAxisDataEh* a = vertAxis_.get();
  const Int64 len = a->GetRolLen();
  position = AxisPosToBar(a, a->GetRolStartVisPos());
  min = 0;
  max = len > 0 ? AxisPosToBar(a, len - 1) : -1;
  pageSize = AxisPosToBar(a, a->GetRolClientLen());
}

void TCustomGridEh::UpdateScrollBars() {
  if (!horzScrollBarPanelControl_ || !vertScrollBarPanelControl_) return;
  Integer pos = 0, min = 0, page = 0, max = 0;
  CalcHorzScrollBarParams(pos, min, page, max);
  horzScrollBarPanelControl_->SetParams(pos, min, max, page);
  CalcVertScrollBarParams(pos, min, page, max);
  vertScrollBarPanelControl_->SetParams(pos, min, max, page);
  UpdateScrollBarPanels();
}

void TCustomGridEh::UpdateScrollBarPanels() {
  if (!HandleAllocated() || !cornerScrollBarPanelControl_ || !extraSizeGripControl_) return;
  const bool horzShows = horzScrollBar_->IsScrollBarShowing();
  const bool vertShows = vertScrollBar_->IsScrollBarShowing();
  const Integer v = vertShows ? vertScrollBar_->ActualSize() : 0;
  const Integer h = horzShows ? horzScrollBar_->ActualSize() : 0;
  const bool rtl = UseRightToLeftAlignment();
  Integer w = 0, c = 0, t = 0, l = 0;
  const Integer cw = GetClientWidth(), ch = GetClientHeight();
  if (sizeGripPostion_ == sgpBottomRight) {
    extraSizeGripControl_->SetVisible(false);
    cornerScrollBarPanelControl_->SetGripActiveStatus(sizeGripAlwaysShow_ ? gasAlwaysEh : gasAutoEh);
    if ((horzShows && vertShows) || sizeGripAlwaysShow_) {
      w = vertScrollBar_->ActualSize();
      c = horzScrollBar_->ActualScrollBarBoxSize();
    }
    cornerScrollBarPanelControl_->SetPosition(rtl ? sgpBottomLeft : sgpBottomRight);
  } else {
    cornerScrollBarPanelControl_->SetGripActiveStatus(gasNeverEh);
    extraSizeGripControl_->SetGripActiveStatus(gasAlwaysEh);
    extraSizeGripControl_->SetPosition(rtl ? MirrorSizeGripPositionEh(sizeGripPostion_) : sizeGripPostion_);
    const Integer hs = horzScrollBar_->ActualSize(), vs = vertScrollBar_->ActualSize();
    switch (sizeGripPostion_) {
      case sgpTopLeft:
        extraSizeGripControl_->SetBounds(0, 0, hs, vs);
        extraSizeGripControl_->SetTriangleWindow(true);
        break;
      case sgpTopRight:
        extraSizeGripControl_->SetBounds(cw - hs, 0, hs, vs);
        extraSizeGripControl_->SetTriangleWindow(!vertShows);
        t = vs;
        break;
      default:
        extraSizeGripControl_->SetBounds(0, ch - vs, hs, vs);
        extraSizeGripControl_->SetTriangleWindow(!horzShows);
        l = vs;
        break;
    }
    extraSizeGripControl_->SetVisible(true);
  }
  if (!rtl) {
    vertScrollBarPanelControl_->SetBounds(cw - v, t, v, ch - c - t);
    horzScrollBarPanelControl_->SetBounds(l, ch - h, cw - w - t, h);
    cornerScrollBarPanelControl_->SetBounds(cw - w, ch - c, w, c);
  } else {
    vertScrollBarPanelControl_->SetBounds(0, 0, v, ch - c - t);
    horzScrollBarPanelControl_->SetBounds(v, ch - h, cw - v, h);
    cornerScrollBarPanelControl_->SetBounds(0, ch - c, w, c);
  }
  horzScrollBarPanelControl_->SetVisible(true);
  vertScrollBarPanelControl_->SetVisible(true);
  cornerScrollBarPanelControl_->SetVisible(true);
  horzScrollBarPanelControl_->SetKeepMaxSizeInDefault(horzScrollBar_->IsKeepMaxSizeInDefault());
  vertScrollBarPanelControl_->SetKeepMaxSizeInDefault(vertScrollBar_->IsKeepMaxSizeInDefault());
  cornerScrollBarPanelControl_->SetTriangleWindow(!horzShows && !vertShows && sizeGripAlwaysShow_);
  if (horzShows != horzScrollBarIsShowing_ || vertShows != vertScrollBarIsShowing_) {
    horzScrollBarIsShowing_ = horzShows;
    vertScrollBarIsShowing_ = vertShows;
    ScrollBarPanelsChanged();
  }
}

// ---- Scroll codes ----

void TCustomGridEh::ScrollBarScroll(Integer kind, Integer scrollCode, bool fromScrollBar, Integer pos) {
  if (kind == 1) {
    VertScroll(scrollCode, pos);
    return;
  }
  if (fromScrollBar && UseRightToLeftAlignment()) {
    static const Integer mirror[] = {SB_LINEDOWN,      SB_LINEUP,     SB_PAGEDOWN, SB_PAGEUP,
                                     SB_THUMBPOSITION, SB_THUMBTRACK, SB_BOTTOM,   SB_TOP};
    if (scrollCode >= 0 && scrollCode <= SB_BOTTOM) scrollCode = mirror[scrollCode];
    if (scrollCode == SB_THUMBPOSITION || scrollCode == SB_THUMBTRACK) {
      Integer p = 0, min = 0, page = 0, max = 0;
      CalcHorzScrollBarParams(p, min, page, max);
      pos = max - pos - page + 1;
    }
  }
  HorzScroll(scrollCode, pos);
}

void TCustomGridEh::HorzScroll(Integer scrollCode, Integer pos) {
  ScrollAxisByCode(horzAxis_.get(), horzScrollBar_.get(), scrollCode, pos, true);
}

void TCustomGridEh::VertScroll(Integer scrollCode, Integer pos) {
  ScrollAxisByCode(vertAxis_.get(), vertScrollBar_.get(), scrollCode, pos, false);
}

void TCustomGridEh::ScrollAxisByCode(TGridAxisDataEh* axis, TGridScrollBarEh* bar, Integer scrollCode,
                                     Integer pos, bool /*horz*/) {
  if (axis->GetRolCelCount() == 0) return;
  const bool thumb = scrollCode == SB_THUMBPOSITION || scrollCode == SB_THUMBTRACK;
  if (scrollCode == SB_THUMBTRACK && !bar->GetTracking()) return;
  const Int64 thumbPos = thumb ? BarPosToAxis(axis, pos) : 0;
  const Int64 cur = axis->GetRolStartVisPos();
  const Int64 client = axis->GetRolClientLen();
  if (bar->GetSmoothStep()) {
    Int64 p = cur;
    switch (scrollCode) {
      case SB_LINEUP:
        p = cur - axis->GetScrollStep();
        break;
      case SB_LINEDOWN:
        p = cur + axis->GetScrollStep();
        break;
      case SB_PAGEUP:
        p = cur - client;
        break;
      case SB_PAGEDOWN:
        p = cur + client;
        break;
      case SB_THUMBPOSITION:
      case SB_THUMBTRACK:
        p = thumbPos;
        break;
      case SB_TOP:
        p = 0;
        break;
      case SB_BOTTOM:
        p = cur + axis->GetRolLen();
        break;
      default:
        return;
    }
    axis->SetRolStartVisPos(axis->CheckRolStartVisPos(p));
    return;
  }
  Integer cel = axis->GetRolStartVisCel();
  switch (scrollCode) {
    case SB_LINEUP:
      cel = axis->GetRolStartVisCelOfst() <= 0 ? cel - 1 : cel;
      break;
    case SB_LINEDOWN:
      cel = cel + 1;
      break;
    case SB_PAGEUP: {
      Integer ofs = 0;
      axis->RolCellAtPos(std::max<Int64>(0, cur - client), cel, ofs);
      if (ofs > 0) ++cel;
      break;
    }
    case SB_PAGEDOWN: {
      const Integer last = axis->GetRolLastVisCel();
      cel = axis->GetRolLastFullVisCel() == last ? last + 1 : last;
      break;
    }
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      if (thumbPos >= axis->GetRolLen() - client) {
        cel = axis->GetRolCelCount() - 1;
        break;
      }
      Integer ofs = 0;
      axis->RolCellAtPos(thumbPos, cel, ofs);
      if (ofs > axis->GetRolCelLens(cel) / 2) ++cel;
      break;
    }
    case SB_TOP:
      cel = 0;
      break;
    case SB_BOTTOM:
      cel = axis->GetRolCelCount();
      break;
    default:
      return;
  }
  axis->SafeSetRolStartVisCel(cel, sstByPixelEh);
}

// ---- Repaint after a position change ----

void TCustomGridEh::AxisScrollPosChanged(TGridAxisDataEh* axis, Int64 oldPos) {
  if (axis == horzAxis_.get())
    ScrollPosChanged(oldPos, vertAxis_->GetRolStartVisPos());
  else
    ScrollPosChanged(horzAxis_->GetRolStartVisPos(), oldPos);
}

void TCustomGridEh::ScrollPosChanged(Int64 oldLeftPos, Int64 oldTopPos) {
  UpdateScrollBars();
  if (!HandleAllocated()) return;
  if (editorMode_ && inplaceEdit_ && CanEditShow()) UpdateEdit();
  if (!IsPaintLocked() && !IsBoundariesUpdating() && !::GetCapture()) {
    const TPoint p = ScreenToClient(Mouse->GetCursorPos());
    UpdateHotTrackInfo(p.X, p.Y);
  }
  auto scrolled = MakeScopeExit([this] { Scrolled(); });
  if (IsBackgroundShowing()) {
    Invalidate();
    return;
  }
  TGridAxisDataEh& h = *horzAxis_;
  TGridAxisDataEh& v = *vertAxis_;
  const Integer cw = GetClientWidth();
  // Distances are 64-bit: a jump longer than the zone repaints it instead of moving pixels.
  if (v.GetRolStartVisPos() == oldTopPos) {
    const Int64 dx = oldLeftPos - h.GetRolStartVisPos();
    TRect r(h.GetFixedBoundary(), v.GetGridClientStart(), h.GetRolInClientBoundary(), v.GetGridClientStop());
    if (UseRightToLeftAlignment())
      r = TRect(cw - h.GetGridClientStop(), v.GetGridClientStart(), cw - h.GetFixedBoundary(),
                v.GetGridClientStop());
    const Integer d = static_cast<Integer>(UseRightToLeftAlignment() ? -dx : dx);
    if (dx > -r.Width() && dx < r.Width())
      ScrollWindowEx(GetHandle(), d, 0, &r, &r, nullptr, nullptr, SW_INVALIDATE);
    else
      ::InvalidateRect(GetHandle(), &r, false);
  } else if (h.GetRolStartVisPos() == oldLeftPos) {
    const Int64 dy = oldTopPos - v.GetRolStartVisPos();
    TRect r(h.GetGridClientStart(), v.GetFixedBoundary(), h.GetGridClientStop(), v.GetContraStart());
    if (UseRightToLeftAlignment())
      r = TRect(cw - h.GetGridClientStop(), r.Top, cw - h.GetGridClientStart(), r.Bottom);
    if (dy > -r.Height() && dy < r.Height())
      ScrollWindowEx(GetHandle(), 0, static_cast<Integer>(dy), &r, &r, nullptr, nullptr, SW_INVALIDATE);
    else
      ::InvalidateRect(GetHandle(), &r, false);
  } else {
    Invalidate();
  }
}

// ---- Bringing a cell into view ----

void TCustomGridEh::ScrollCellIntoView(TGridCoord cell, bool horz, bool vert) {
  if (!HandleAllocated()) return;
  // Whole 64-bit positions: the low 32 bits lose every row past 2^31 pixels.
  const auto target = [](TGridAxisDataEh* axis, Integer index, bool smooth, Int64& pos) {
    const Integer local = index - axis->GetFixedCelCount();
    pos = axis->GetRolStartVisPos();
    if (local < 0 || local >= axis->GetRolCelCount()) return false;
    const Int64 p = axis->GetRolLocCelPosArr(local);
    const Int64 len = axis->GetRolCelLens(local);
    const Int64 zone = axis->GetContraStart() - axis->GetFixedBoundary();
    Int64 np = pos;
    if (p < pos)
      np = p;
    else if (p + len > pos + zone)
      np = std::min(p, p + len - zone);
    if (np == pos) return false;
    Integer cel = 0, ofs = 0;
    axis->RolCellAtPos(np, cel, ofs);
    if (!smooth && ofs != 0)
      np = np > p ? axis->GetRolLocCelPosArr(cel) : axis->GetRolLocCelPosArr(cel) + axis->GetRolCelLens(cel);
    pos = std::clamp<Int64>(np, 0, axis->GetRolLen());
    return true;
  };
  Int64 pos = 0;
  if (horz && target(horzAxis_.get(), cell.X, IsSmoothHorzScroll(), pos)) horzAxis_->SetRolStartVisPos(pos);
  if (vert && target(vertAxis_.get(), cell.Y, IsSmoothVertScroll(), pos)) vertAxis_->SetRolStartVisPos(pos);
}

// ---- Wheel ----

bool TCustomGridEh::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  bool handled = false;
  if (OnMouseWheelDown) {
    OnMouseWheelDown(this, shift, mousePos, handled);
    if (handled) return true;
  }
  TGridAxisDataEh& v = *vertAxis_;
  if (v.GetRolCelCount() == 0) return true;
  if (IsSmoothVertScroll()) {
    SetTopPos(GetTopPos() + (shift.Contains(ssCtrl) ? v.GetRolClientLen() : WheelScrollStep()));
    return true;
  }
  Integer cel = v.GetRolStartVisCel() + 1;
  if (shift.Contains(ssCtrl)) {
    const Integer last = v.GetRolLastVisCel();
    cel = v.GetRolLastFullVisCel() == last ? last + 1 : last;
  }
  v.SafeSetRolStartVisCel(cel, sstByCellEh);
  return true;
}

bool TCustomGridEh::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  bool handled = false;
  if (OnMouseWheelUp) {
    OnMouseWheelUp(this, shift, mousePos, handled);
    if (handled) return true;
  }
  TGridAxisDataEh& v = *vertAxis_;
  if (v.GetRolCelCount() == 0) return true;
  if (IsSmoothVertScroll()) {
    SetTopPos(GetTopPos() - (shift.Contains(ssCtrl) ? v.GetRolClientLen() : WheelScrollStep()));
    return true;
  }
  Integer cel = v.GetRolStartVisCelOfst() <= 0 ? v.GetRolStartVisCel() - 1 : v.GetRolStartVisCel();
  if (shift.Contains(ssCtrl)) {
    Integer ofs = 0;
    v.RolCellAtPos(std::max<Int64>(0, GetTopPos() - v.GetRolClientLen()), cel, ofs);
    if (ofs > 0) ++cel;
  }
  v.SafeSetRolStartVisCel(cel, sstByPixelEh);
  return true;
}

// ---- Timer ----

void TCustomGridEh::SetTimerActive(bool active, Integer interval) {
  if (active) gridTimer_->SetInterval(interval == 0 ? 1 : static_cast<Cardinal>(interval));
  gridTimer_->SetEnabled(active);
}

void TCustomGridEh::TimedScroll(TObject* /*sender*/) {
  if (!HandleAllocated()) return;
  const TPoint p = ScreenToClient(Mouse->GetCursorPos());
  if (gridState_ == gsSelectingEh) {
    Integer flags = 0;
    const Integer cw = GetClientWidth();
    const Integer hFixed = horzAxis_->GetFixedBoundary(), hContra = horzAxis_->GetContraStart();
    if (!UseRightToLeftAlignment()) {
      if (p.X < hFixed) flags |= 1;
      if (p.X > hContra) flags |= 2;
    } else {
      if (p.X < cw - hContra) flags |= 2;
      if (p.X > cw - hFixed) flags |= 1;
    }
    if (p.Y < vertAxis_->GetFixedBoundary()) flags |= 4;
    if (p.Y > vertAxis_->GetContraStart()) flags |= 8;
    if (flags) ShiftAnchorCell(flags);
    return;
  }
  if (gridState_ == gsColMovingEh) {
    const Int64 oldLeft = GetLeftPos();
    const TGridCoord cell = MouseCoord(p.X, p.Y);
    UpdateMoveTarget(p.X, cell.X, p, false, horzAxis_.get());
    ColumnAutoScrollInterval(oldLeft);
  } else if (gridState_ == gsRowMovingEh) {
    const TGridCoord cell = MouseCoord(p.X, p.Y);
    UpdateMoveTarget(p.Y, cell.Y, p, true, vertAxis_.get());
  }
}
