// Base grid painting: the nine cell areas in their order with clipping, cell borders and the base
// cell content, empty space and out-boundary strips, right-to-left mirroring, the buffered paint and
// the invalidation of cell ranges.
#include <algorithm>

#include "gridlib/grids/GridsEh.h"
#include "platform/controls/StyleManager.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

// ---- WM_PAINT ----

void TCustomGridEh::Paint() {
  if (IsPaintLocked()) return;
  if (!bufferedPaint_) {
    PaintCellAreas();
    return;
  }
  // Everything is drawn into one off-screen bitmap and copied in one blit.
  TCanvas* windowCanvas = GetCanvas();
  const TRect client = GetClientRect();
  TBitmap buffer(client.Width(), client.Height());
  HDC windowDc = windowCanvas->GetHandle();
  windowCanvas->SetHandle(buffer.GetCanvas()->GetHandle());
  windowCanvas->Refresh();
  {
    auto restore = MakeScopeExit([&] {
      windowCanvas->SetHandle(windowDc);
      windowCanvas->Refresh();
    });
    PaintCellAreas();
  }
  BitBlt(windowDc, 0, 0, client.Width(), client.Height(), buffer.GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
}

HRGN TCustomGridEh::SelectAreaClip(TRect rect) { return SelectClipRectEh(GetCanvas(), rect); }

void TCustomGridEh::PaintCellAreas() {
  TCanvas* canvas = GetCanvas();
  const bool rtl = UseRightToLeftAlignment();
  if (rtl) ChangeCanvasOrientation(canvas, true);
  auto unmirror = MakeScopeExit([&] {
    if (rtl) ChangeCanvasOrientation(canvas, false);
  });
  paintSelection_ = GetSelection();
  horzAxis_->CheckUpdateRolCelPosArr();
  vertAxis_->CheckUpdateRolCelPosArr();
  paintSelectionStyle_ = selectionDrawParams_->GetActualSelectionStyle();
  UpdateInternalColors();
  if (IsBackgroundShowing()) backgroundData_->PaintBackgroundData();
  DrawOutBoundaryData();

  TGridAxisDataEh& h = *horzAxis_;
  TGridAxisDataEh& v = *vertAxis_;
  const Integer hStart = h.GetGridClientStart(), vStart = v.GetGridClientStart();
  const Integer hStop = h.GetGridClientStop(), vStop = v.GetGridClientStop();
  const Integer hFixed = h.GetFixedBoundary(), vFixed = v.GetFixedBoundary();
  const Integer hContra = h.GetContraStart(), vContra = v.GetContraStart();
  const Integer rolCol = GetFixedColCount() + h.GetRolStartVisCel(),
                rolX = hFixed - h.GetRolStartVisCelOfst();
  const Integer rolRow = GetFixedRowCount() + v.GetRolStartVisCel(),
                rolY = vFixed - v.GetRolStartVisCelOfst();
  const Integer cols = GetColCount(), rows = GetRowCount();
  const Integer fullCols = GetFullColCount(), fullRows = GetFullRowCount();
  const TGridDrawState fixedState{gdFixed};

  // 1. The fixed corner.
  DrawCells(0, 0, cols, fixedState, vFixed, hFixed, vStart, hStart, rows);
  // 2. Fixed rows over the rolling columns.
  HRGN saved = SelectAreaClip(TRect(hFixed, 0, hContra, vContra));
  DrawCells(rolCol, 0, cols, fixedState, vFixed, hContra, vStart, rolX, rows);
  RestoreClipRgnEh(canvas, saved);
  // 3. Fixed columns beside the rolling rows.
  saved = SelectAreaClip(TRect(0, vFixed, hContra, vContra));
  DrawCells(0, rolRow, cols, fixedState, vContra, hFixed, rolY, hStart, rows);
  RestoreClipRgnEh(canvas, saved);
  // 4. The data area.
  saved = SelectAreaClip(TRect(hFixed, vFixed, hContra, vContra));
  DrawCells(rolCol, rolRow, cols, {}, vContra, hContra, rolY, rolX, rows);
  RestoreClipRgnEh(canvas, saved);

  const bool vertLine = options_.Contains(goContraVertBoundaryLineEh);
  const bool horzLine = options_.Contains(goContraHorzBoundaryLineEh);
  const Integer x0 = hContra + (vertLine ? 1 : 0);
  const Integer y0 = vContra + (horzLine ? 1 : 0);
  // 5. Contra columns.
  if (GetContraColCount() > 0) {
    if (vertLine) DrawBoundaryLines(cbtLeftEh, false, cols, vFixed, vStart, hContra, rows, 0);
    DrawCells(cols, 0, fullCols, fixedState, vFixed, hStop, vStart, x0, rows);
    saved = SelectAreaClip(TRect(hContra, vFixed, hStop, vContra));
    if (vertLine) DrawBoundaryLines(cbtLeftEh, false, cols, vContra, rolY, hContra, rows, rolRow);
    DrawCells(cols, rolRow, fullCols, fixedState, vContra, hStop, rolY, x0, rows);
    RestoreClipRgnEh(canvas, saved);
  }
  // 6. Contra rows.
  if (GetContraRowCount() > 0) {
    if (horzLine) DrawBoundaryLines(cbtTopEh, false, 0, hFixed, vContra, hStart, cols, rows);
    DrawCells(0, rows, cols, fixedState, vStop, hFixed, y0, hStart, fullRows);
    saved = SelectAreaClip(TRect(hFixed, vContra, hContra, vStop));
    if (horzLine) DrawBoundaryLines(cbtTopEh, false, rolCol, hContra, vContra, rolX, cols, rows);
    DrawCells(rolCol, rows, cols, fixedState, vStop, hContra, y0, rolX, fullRows);
    RestoreClipRgnEh(canvas, saved);
  }
  // 7. The contra corner.
  if (GetContraColCount() > 0 && GetContraRowCount() > 0) {
    if (vertLine) DrawBoundaryLines(cbtLeftEh, false, cols, vStop, y0, hContra, fullRows, rows);
    if (horzLine) DrawBoundaryLines(cbtTopEh, false, cols, hStop, vContra, x0, fullCols, rows);
    if (vertLine && horzLine)
      DrawBoundaryLines(cbtTopEh, true, cols, hStop, vContra, hContra, fullCols, rows);
    DrawCells(cols, rows, fullCols, fixedState, vStop, hStop, y0, x0, fullRows);
  }
  PaintEmptySpace();
  unmirror.Release();
  if (rtl) ChangeCanvasOrientation(canvas, false);
  if (gridState_ == gsRowSizingEh || gridState_ == gsColSizingEh) PaintSizingLine();
}

void TCustomGridEh::PaintEmptySpace() {
  TGridAxisDataEh& h = *horzAxis_;
  TGridAxisDataEh& v = *vertAxis_;
  const Integer hRolEnd = h.GetRolInClientBoundary(), vRolEnd = v.GetRolInClientBoundary();
  const Integer hContra = h.GetContraStart(), vContra = v.GetContraStart();
  if (hRolEnd < hContra) {
    Integer y = v.GetGridClientStart();
    for (Integer i = 0; i < GetFixedRowCount(); ++i) {
      DrawEmptySpace(-1, i, TRect(hRolEnd, y, hContra, y + GetRowHeights(i)));
      y += GetRowHeights(i);
    }
    y = v.GetFixedBoundary() - v.GetRolStartVisCelOfst();
    for (Integer i = GetFixedRowCount() + v.GetRolStartVisCel(); i < GetRowCount() && y <= vContra; ++i) {
      DrawEmptySpace(-1, i, TRect(hRolEnd, y, hContra, std::min(y + GetRowHeights(i), vContra)));
      y += GetRowHeights(i);
    }
    DrawEmptySpace(-1, -1, TRect(hRolEnd, vRolEnd, hContra, vContra));
    y = vContra;
    for (Integer i = GetRowCount(); i < GetFullRowCount(); ++i) {
      const Integer extra = i == GetRowCount() && options_.Contains(goContraHorzBoundaryLineEh) ? 1 : 0;
      DrawEmptySpace(-1, i, TRect(hRolEnd, y, hContra, y + GetRowHeights(i) + extra));
      y += GetRowHeights(i) + extra;
    }
  }
  if (vRolEnd < vContra) {
    Integer x = h.GetGridClientStart();
    for (Integer j = 0; j < GetFixedColCount(); ++j) {
      DrawEmptySpace(j, -1, TRect(x, vRolEnd, x + GetColWidths(j), vContra));
      x += GetColWidths(j);
    }
    HRGN saved =
        SelectAreaClip(TRect(h.GetFixedBoundary(), v.GetGridClientStart(), hContra, v.GetGridClientStop()));
    x = h.GetFixedBoundary() - h.GetRolStartVisCelOfst();
    for (Integer j = GetFixedColCount() + h.GetRolStartVisCel(); j < GetColCount() && x <= hContra; ++j) {
      DrawEmptySpace(j, -1, TRect(x, vRolEnd, x + GetColWidths(j), vContra));
      x += GetColWidths(j);
    }
    RestoreClipRgnEh(GetCanvas(), saved);
    x = hContra;
    for (Integer j = GetColCount(); j < GetFullColCount(); ++j) {
      const Integer extra = j == GetColCount() && options_.Contains(goContraVertBoundaryLineEh) ? 1 : 0;
      DrawEmptySpace(j, -1, TRect(x, vRolEnd, x + GetColWidths(j) + extra, vContra));
      x += GetColWidths(j) + extra;
    }
  }
}

void TCustomGridEh::DrawCells(Integer startCol, Integer startRow, Integer colLimit, TGridDrawState state,
                              Integer stopY, Integer stopX, Integer startY, Integer startX,
                              Integer rowLimit) {
  HDC dc = GetCanvas()->GetHandle();
  const bool focused = Focused();
  const bool rowSelect = options_.Contains(goRowSelectEh);
  Integer y = startY;
  for (Integer row = startRow; y < stopY && row < rowLimit; ++row) {
    const Integer bottom = y + GetRowHeights(row);
    Integer x = startX;
    for (Integer col = startCol; x < stopX && col < colLimit; ++col) {
      const Integer width = GetColWidths(col);
      const TRect rect(x, y, x + width, bottom);
      x += width;
      if (width == 0 || !RectVisible(dc, &rect)) continue;
      TGridDrawState cellState = state;
      const bool current = col == curCell_.X && row == curCell_.Y;
      if (current) cellState << gdCurrent << gdSelected;
      if (col == hotTrackCell_.X && row == hotTrackCell_.Y) cellState << gdHotTrack;
      if (focused && current) cellState << gdFocused;
      if (rowSelect && row == curCell_.Y) cellState << gdRowSelected;
      if (PointInGridRect(col, row, paintSelection_)) cellState << gdSelected;
      DrawCell(col, row, cellState, rect);
    }
    y = bottom;
  }
}

void TCustomGridEh::DrawBoundaryLines(TGridCellBorderTypeEh side, bool singlePoint, Integer col, Integer stop,
                                      Integer start, Integer pos, Integer limit, Integer startIndex) {
  TCanvas* canvas = GetCanvas();
  bool joinCorner = true, isDraw = false;
  TColor color = clNone;
  if (singlePoint) {
    GetCellBorderParams(col, startIndex, joinCorner, color, isDraw, cbtTopEh);
    canvas->GetPen()->SetColor(StyleServices()->GetSystemColor(color));
    GridPolyline(canvas, {TPoint(pos, start), TPoint(pos + 1, start)});
    return;
  }
  if (side == cbtLeftEh) {
    Integer y = start;
    for (Integer row = startIndex; row < limit && y < stop; ++row) {
      const Integer h = GetRowHeights(row);
      GetCellBorderParams(col, row, joinCorner, color, isDraw, cbtLeftEh);
      if (isDraw && h > 0) {
        canvas->GetPen()->SetColor(StyleServices()->GetSystemColor(color));
        GridPolyline(canvas, {TPoint(pos, y), TPoint(pos, y + h)});
      }
      y += h;
    }
  } else {
    Integer x = pos;
    for (Integer c = col; c < limit && x < stop; ++c) {
      const Integer w = GetColWidths(c);
      GetCellBorderParams(c, startIndex, joinCorner, color, isDraw, cbtTopEh);
      if (isDraw && w > 0) {
        canvas->GetPen()->SetColor(StyleServices()->GetSystemColor(color));
        GridPolyline(canvas, {TPoint(x, start), TPoint(x + w, start)});
      }
      x += w;
    }
  }
}

// ---- One cell ----

void TCustomGridEh::DrawCell(Integer col, Integer row, TGridDrawState state, TRect rect) {
  DrawCellBorders(col, row, TGridCellBorderTypesEh{cbtBottomEh, cbtRightEh}, state, rect);
  DrawCellContent(col, row, state, rect);
}

void TCustomGridEh::GetCellBorderParams(Integer col, Integer row, bool& joinCorner, TColor& color,
                                        bool& isDraw, TGridCellBorderTypeEh borderType) {
  const bool fixed = col < GetFixedColCount() || row < GetFixedRowCount();
  if (borderType == cbtLeftEh || borderType == cbtRightEh)
    isDraw = options_.Contains(fixed ? goFixedVertLineEh : goVertLineEh);
  else
    isDraw = options_.Contains(fixed ? goFixedHorzLineEh : goHorzLineEh);
  joinCorner = true;
  const bool leadingSide = borderType == cbtTopEh || borderType == cbtLeftEh;
  if (leadingSide && (col == GetColCount() || row == GetRowCount()))
    color = gridLineColors_->GetDarkColor();
  else if (col < GetFixedColCount() - GetFrozenColCount() || row < GetFixedRowCount() - GetFrozenRowCount())
    color = gridLineColors_->GetDarkColor();
  else if ((borderType == cbtRightEh && col == GetFixedColCount() - 1) ||
           (borderType == cbtBottomEh && row == GetFixedRowCount() - 1))
    color = gridLineColors_->GetDarkColor();
  else
    color = gridLineColors_->GetBrightColor();
}

bool TCustomGridEh::IsCellBorderVisible(Integer col, Integer row, TGridCellBorderTypeEh borderType) {
  bool joinCorner = false, isDraw = false;
  TColor color = clNone;
  GetCellBorderParams(col, row, joinCorner, color, isDraw, borderType);
  return isDraw;
}

void TCustomGridEh::DrawCellBorders(Integer col, Integer row, TGridCellBorderTypesEh borders,
                                    TGridDrawState /*state*/, TRect& rect) {
  bool rightJoin = false, rightDraw = false, bottomJoin = false, bottomDraw = false;
  TColor rightColor = clNone, bottomColor = clNone;
  if (borders.Contains(cbtRightEh))
    GetCellBorderParams(col, row, rightJoin, rightColor, rightDraw, cbtRightEh);
  if (borders.Contains(cbtBottomEh))
    GetCellBorderParams(col, row, bottomJoin, bottomColor, bottomDraw, cbtBottomEh);
  if (rightDraw && bottomDraw && rightJoin && bottomJoin && rightColor != bottomColor) {
    // The darker line owns the shared corner pixel.
    if (ColorLuminanceEh(ColorToRGB(bottomColor)) < ColorLuminanceEh(ColorToRGB(rightColor)))
      rightJoin = false;
    else
      bottomJoin = false;
  }
  TCanvas* canvas = GetCanvas();
  if (rightDraw) {
    canvas->GetPen()->SetColor(StyleServices()->GetSystemColor(rightColor));
    GridPolyline(canvas, {TPoint(rect.Right - 1, rect.Top),
                          TPoint(rect.Right - 1, rightJoin ? rect.Bottom : rect.Bottom - 1)});
  }
  if (bottomDraw) {
    canvas->GetPen()->SetColor(StyleServices()->GetSystemColor(bottomColor));
    GridPolyline(canvas, {TPoint(rect.Left, rect.Bottom - 1),
                          TPoint(bottomJoin ? rect.Right : rect.Right - 1, rect.Bottom - 1)});
  }
  if (rightDraw) --rect.Right;
  if (bottomDraw) --rect.Bottom;
}

void TCustomGridEh::DrawCellContent(Integer col, Integer row, TGridDrawState state, const TRect& rect) {
  TCanvas* canvas = GetCanvas();
  const auto sys = [](TColor c) { return StyleServices()->GetSystemColor(c); };
  TColor font = sys(clWindowText);
  // The fixed cells' money green suits the light style only; a custom style gives its face colour.
  const TColor fixedBrush = TStyleManager::IsCustomStyleActive() ? sys(fixedColor_) : sys(clMoneyGreen);
  TColor brush =
      col < GetFixedColCount() - GetFrozenColCount() || row < GetFixedRowCount() - GetFrozenRowCount()
          ? fixedBrush
          : sys(clWindow);
  if (state.Contains(gdSelected)) {
    const bool active = IsActiveControl();
    font = sys(active ? clHighlightText : clWindowText);
    brush = sys(active ? clHighlight : clBtnShadow);
  }
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(brush);
  canvas->GetFont()->SetColor(font);
  canvas->FillRect(rect);
  const String text = IntToStr(col) + u":" + IntToStr(row);
  if (!canvasRightToLeftReflected_) {
    canvas->TextRect(rect, rect.Left + 2, rect.Top + 2, text);
  } else {
    // Text is never mirrored: it is written on the unmirrored canvas at the mirrored place.
    const Integer w = GetClientWidth();
    const TRect r(w - rect.Right, rect.Top, w - rect.Left, rect.Bottom);
    ChangeCanvasOrientation(canvas, false);
    canvas->TextRect(r, r.Left + 2, r.Top + 2, text);
    ChangeCanvasOrientation(canvas, true);
  }
  if (state.Contains(gdFocused) && selectionDrawParams_->GetDrawFocusFrame()) DrawFocusFrame(rect);
}

void TCustomGridEh::DrawFocusFrame(const TRect& rect) {
  TCanvas* canvas = GetCanvas();
  canvas->GetBrush()->SetColor(StyleServices()->GetSystemColor(clWindow));
  canvas->GetFont()->SetColor(StyleServices()->GetSystemColor(clWindowText));
  canvas->DrawFocusRect(rect);
}

void TCustomGridEh::DrawEmptySpace(Integer /*col*/, Integer /*row*/, const TRect& rect) {
  TCanvas* canvas = GetCanvas();
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(internalColor_);
  canvas->FillRect(rect);
}

void TCustomGridEh::DrawOutBoundaryData() {
  TRect r;
  if (outBoundaryData_->GetOutBoundaryRect(r, cbtTopEh)) DrawTopOutBoundary(r);
  if (outBoundaryData_->GetOutBoundaryRect(r, cbtLeftEh)) DrawLeftOutBoundary(r);
  if (outBoundaryData_->GetOutBoundaryRect(r, cbtBottomEh)) DrawBottomOutBoundary(r);
  if (outBoundaryData_->GetOutBoundaryRect(r, cbtRightEh)) DrawRightOutBoundary(r);
}

namespace {
void FillWith(TCanvas* canvas, const TRect& rect, TColor color) {
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(color);
  canvas->FillRect(rect);
}
}  // namespace

void TCustomGridEh::DrawTopOutBoundary(const TRect& rect) { FillWith(GetCanvas(), rect, fixedColor_); }
void TCustomGridEh::DrawLeftOutBoundary(const TRect& rect) { FillWith(GetCanvas(), rect, fixedColor_); }
void TCustomGridEh::DrawBottomOutBoundary(const TRect& rect) { FillWith(GetCanvas(), rect, fixedColor_); }
void TCustomGridEh::DrawRightOutBoundary(const TRect& rect) { FillWith(GetCanvas(), rect, fixedColor_); }

bool TCustomGridEh::IsThemedSelectionCell(TGridDrawState state) {
  if (!ThemesEnabledEh()) return false;
  const TGridSelectionDrawStyleEh s = selectionDrawParams_->GetActualSelectionStyle();
  if (s == gsdsGridThemedEh && state.Contains(gdFocused)) return true;
  if (s == gsdsListViewThemedEh && (state.Contains(gdFocused) || state.Contains(gdCurrent))) return true;
  return (s == gsdsGridThemedEh || s == gsdsListViewThemedEh) && options_.Contains(goRowSelectEh) &&
         (state.Contains(gdSelected) || state.Contains(gdRowSelected));
}

void TCustomGridEh::DrawThemedCellSelection(Integer col, Integer row, TGridDrawState state,
                                            const TRect& rect) {
  const TGridSelectionDrawStyleEh s = selectionDrawParams_->GetActualSelectionStyle();
  const bool selectedOrFocused = state.Contains(gdSelected) || state.Contains(gdFocused);
  const bool hasFocus = Focused();
  TThemedElementDetails details;
  if (s == gsdsListViewThemedEh) {
    if (selectedOrFocused && hasFocus)
      details = StyleServices()->GetElementDetails(tlListItemSelected);
    else if (state.Contains(gdSelected) || state.Contains(gdCurrent))
      details = StyleServices()->GetElementDetails(tlListItemSelectedNotFocus);
    else
      return;
  } else if (s == gsdsGridThemedEh) {
    if (!(selectedOrFocused && hasFocus)) return;
    details = StyleServices()->GetElementDetails(tgCellSelected);
  } else {
    return;
  }
  HDC dc = GetCanvas()->GetHandle();
  if (!options_.Contains(goRowSelectEh)) {
    StyleServices()->DrawElement(dc, details, rect);
    return;
  }
  // Row selection: the element runs past the cell so that the cells of the row join into one bar.
  TRect clip = rect;
  TRect element = rect;
  if (col > GetFixedColCount()) element.Left -= 10;
  if (col < GetColCount() - 1) {
    element.Right += 10;
    if (IsCellBorderVisible(col, row, cbtRightEh)) ++clip.Right;
  }
  StyleServices()->DrawElement(dc, details, element, &clip);
}

void TCustomGridEh::UpdateInternalColors() {
  internalColor_ = GetColor();
  internalFontColor_ = GetFont()->GetColor();
  internalFixedColor_ = fixedColor_;
  internalFixedFontColor_ = GetFont()->GetColor();
  if (!CustomStyleActiveEh()) return;
  TColor c = clNone;
  const auto pick = [&](TThemedGrid element, TElementColor which, TColor& target) {
    if (StyleServices()->GetElementColor(StyleServices()->GetElementDetails(element), which, c) &&
        c != clNone)
      target = c;
  };
  pick(tgCellNormal, ecFillColor, internalColor_);
  pick(tgCellNormal, ecTextColor, internalFontColor_);
  pick(tgClassicFixedCellNormal, ecFillColor, internalFixedColor_);
  pick(tgClassicFixedCellNormal, ecTextColor, internalFixedFontColor_);
}

// ---- Mirroring and line helpers ----

void TCustomGridEh::ChangeCanvasOrientation(TCanvas* canvas, bool rightToLeft) {
  HDC dc = canvas->GetHandle();
  const Integer w = GetClientWidth(), h = std::max(1, GetClientHeight());
  SetMapMode(dc, MM_ANISOTROPIC);
  if (rightToLeft) {
    SetWindowOrgEx(dc, w, 0, nullptr);
    SetWindowExtEx(dc, -std::max(1, w), h, nullptr);
  } else {
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, std::max(1, w), h, nullptr);
  }
  SetViewportExtEx(dc, std::max(1, w), h, nullptr);
  canvasRightToLeftReflected_ = rightToLeft;
}

void TCustomGridEh::WriteCellText(TCanvas* canvas, TRect rect, bool fillRect, Integer dx, Integer dy,
                                  const String& text, TAlignment alignment, TTextLayout layout,
                                  bool multiLine, bool endEllipsis, Integer leftMarg, Integer rightMarg) {
  const bool mirrored = canvasRightToLeftReflected_;
  if (mirrored) {
    const Integer w = GetClientWidth();
    rect = TRect(w - rect.Right, rect.Top, w - rect.Left, rect.Bottom);
    ChangeCanvasOrientation(canvas, false);
  }
  DrawCellTextEh(canvas, rect, fillRect, dx, dy, text, alignment, layout, multiLine, endEllipsis, leftMarg,
                 rightMarg, UseRightToLeftReading(), !multiLine);
  if (mirrored) ChangeCanvasOrientation(canvas, true);
}

void TCustomGridEh::GridPolyline(TCanvas* canvas, std::vector<TPoint> points) {
  // A mirrored canvas maps x to w - x, which puts a one-pixel line one pixel left of its place.
  if (canvasRightToLeftReflected_)
    for (TPoint& p : points) ++p.X;
  canvas->Polyline(points);
}

void TCustomGridEh::DrawLineByFill(Integer x1, Integer y1, Integer x2, Integer y2, Integer width) {
  TCanvas* canvas = GetCanvas();
  canvas->GetBrush()->SetColor(canvas->GetPen()->GetColor());
  if (x1 != x2)
    canvas->FillRect(TRect(x1, y1, x2, y1 + width));
  else if (y1 != y2)
    canvas->FillRect(TRect(x1, y1, x2 + width, y2));
}

// ---- Invalidation ----

void TCustomGridEh::InvalidateRect(TGridRect gridRect) {
  if (!HandleAllocated()) return;
  const TRect r = BoxRect(gridRect, true, true);
  if (!r.IsEmpty()) ::InvalidateRect(GetHandle(), &r, false);
}

void TCustomGridEh::InvalidateCol(Integer col) {
  if (!HandleAllocated()) return;
  InvalidateRect({col, 0, col, GetFixedRowCount() + vertAxis_->GetRolLastVisCel()});
  if (GetContraRowCount() > 0) InvalidateRect({col, GetRowCount(), col, GetFullRowCount() - 1});
}

void TCustomGridEh::InvalidateRow(Integer row) {
  if (!HandleAllocated()) return;
  InvalidateRect(
      {0, row, std::min(GetFixedColCount() + horzAxis_->GetRolLastVisCel(), GetFullColCount() - 1), row});
  if (GetContraColCount() > 0) InvalidateRect({GetColCount(), row, GetFullColCount() - 1, row});
}
