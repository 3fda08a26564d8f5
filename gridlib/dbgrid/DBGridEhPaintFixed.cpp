// The backgrounds of the data grid's fixed cells (titles, super-titles, indicator, footers): a themed
// header item, a vertical gradient or a plain fill, with a raised or pressed frame; and which cells the
// themes draw.
#include "gridlib/base/GridLibCore.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/graphics/Themes.h"

bool TCustomDBGridEh::IsTitleThemed() const {
  return titleParams_->GetActualFillStyle() == cfstThemedEh && ThemesEnabledEh();
}

bool TCustomDBGridEh::IsCellDrawnByStyle(TCellAreaTypeEh area) const {
  if (!ThemesEnabledEh() && !CustomStyleActiveEh()) return false;
  if (area.VertType == vctTitleEh) return titleParams_->GetActualFillStyle() == cfstThemedEh;
  if (area.HorzType == hctIndicatorEh) return indicatorParams_->GetActualFillStyle() == cfstThemedEh;
  if (area.VertType == vctFooterEh) return footerParams_->GetActualFillStyle() == cfstThemedEh;
  return false;
}

void TCustomDBGridEh::SetPressedTitleCell(TGridCoord cell) {
  if (cell.X == pressedTitleCell_.X && cell.Y == pressedTitleCell_.Y) return;
  const TGridCoord old = pressedTitleCell_;
  pressedTitleCell_ = cell;
  if (!HandleAllocated()) return;
  // A multi-level title's leaf shares its cell with the group titles above it: the whole title row.
  if (old.Y >= 0) InvalidateRow(old.Y);
  if (cell.Y >= 0 && cell.Y != old.Y) InvalidateRow(cell.Y);
}

TRect TCustomDBGridEh::PaintFixedCellBackground(TCanvas* canvas, const TRect& rect,
                                                const TFixedCellPaintEh& cell) {
  if (style_) {
    // The grid's style paints fixed cells; it returns the room inside the frame.
    TDBGridDrawFixedStateEh state;
    state.FillStyle = cell.FillStyle;
    state.FillColor = cell.FillColor;
    state.StartGradientColor = cell.StartGradientColor;
    state.The3DRect = cell.The3DRect;
    state.Pressed = cell.Pressed;
    state.Selected = cell.Selected;
    state.HotTrack = cell.HotTrack;
    TRect inside;
    style_->DrawFixedCellBackground(
        this, canvas, rect, true, inside,
        cell.HotTrack ? TGridDrawState{gdFixed, gdHotTrack} : TGridDrawState{gdFixed}, state);
    return inside;
  }
  const TColor fill = StyleServices()->GetSystemColor(cell.FillColor);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(fill);
  TRect inside = rect;
  // A selected cell shows its selection colour: a themed header item would paint over it.
  if (cell.FillStyle == cfstThemedEh && ThemesEnabledEh() && !cell.Selected) {
    // The element's own edges fall outside the cell, whose lines the grid draws.
    canvas->FillRect(rect);
    const TThemedHeader part = cell.Pressed || cell.Selected ? thHeaderItemPressed
                               : cell.HotTrack               ? thHeaderItemHot
                                                             : thHeaderItemNormal;
    TRect element = rect;
    element.Right += 2;
    element.Bottom += 2;
    StyleServices()->DrawElement(canvas->GetHandle(), StyleServices()->GetElementDetails(part), element,
                                 &rect);
    inside.Left += 2;
    inside.Right -= 2;
    ++inside.Top;
    --inside.Bottom;
    return inside;
  }
  // A gradient's frame stays open at the right, so that neighbouring cells read as one band.
  const bool raised = !GetFlat() && cell.FillStyle != cfstGradientEh;
  if (cell.The3DRect) {
    TRect edge = rect;
    UINT sides = BF_LEFT | BF_TOP | BF_BOTTOM;
    if (raised) sides |= BF_RIGHT;
    if (GetFlat()) sides |= BF_FLAT;
    canvas->FillRect(rect);
    DrawEdge(canvas->GetHandle(), &edge, cell.Pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, sides);
    ++inside.Left;
    ++inside.Top;
    --inside.Bottom;
    if (raised) --inside.Right;
  }
  if (cell.FillStyle == cfstGradientEh) {
    TColor start = cell.StartGradientColor;
    if (cell.Selected)
      start = MixColorsEh(fill, StyleServices()->GetSystemColor(clWindow), 127);
    else if (start == clDefault)
      start = MixColorsEh(fill, StyleServices()->GetSystemColor(GetColor()), 240);
    FillVertGradientRectEh(canvas, inside, StyleServices()->GetSystemColor(start), fill);
  } else {
    canvas->FillRect(inside);
  }
  return inside;
}
