// The data grid's lines: the line parameters, each cell's border lines by area (titles, indicator,
// data, footers) with the grid's outer boundary, and the empty space below and right of the cells,
// where lines, column colours, titles, footers and row colours may continue.
#include <algorithm>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"

// ======================= Line parameters =======================

TDBGridLineParamsEh::TDBGridLineParamsEh(TCustomDBGridEh* grid) : TDBAxisGridLineParamsEh(grid) {}

TCustomDBGridEh* TDBGridLineParamsEh::GetDBGrid() const { return static_cast<TCustomDBGridEh*>(GetGrid()); }

bool TDBGridLineParamsEh::DefaultDataHorzLines() const {
  return GetDBGrid()->GetDBOptions().Contains(dgRowLines);
}

bool TDBGridLineParamsEh::DefaultDataVertLines() const {
  return GetDBGrid()->GetDBOptions().Contains(dgColLines);
}

TDBGridLinesColorSchemeEh TDBGridLineParamsEh::GetActualColorScheme() const {
  if (GetColorScheme() != glcsDefaultEh) return GetColorScheme();
  TCustomDBGridEh* grid = GetDBGrid();
  if (grid->GetTitleParams()->GetActualFillStyle() == cfstThemedEh) return glcsThemedEh;
  if (ThemesEnabledEh() || grid->GetFlat()) return glcsFlatEh;
  return glcsClassicEh;
}

void TDBGridLineParamsEh::SetHorzEmptySpaceStyle(TDBGridHorzEmptySpaceStyleEh value) {
  if (horzEmptySpaceStyle_ == value) return;
  horzEmptySpaceStyle_ = value;
  GetDBGrid()->Invalidate();
}

void TDBGridLineParamsEh::SetVertEmptySpaceStyle(TDrawEmptySpaceStyle value) {
  if (GetVertEmptySpaceStyle() == value) return;
  TDBAxisGridLineParamsEh::SetVertEmptySpaceStyle(value);
  TCustomDBGridEh* grid = GetDBGrid();
  TDBGridEhOptions options = grid->GetOptionsEh();
  if (value == dessNonEh)
    options.Exclude(dghExtendVertLines);
  else
    options.Include(dghExtendVertLines);
  grid->SetOptionsEh(options);
}

TGridLineColorsEh* TCustomDBGridEh::CreateGridLineColors() { return new TDBGridLineParamsEh(this); }
TGridBackgroundDataEh* TCustomDBGridEh::CreateBackgroundData() { return new TDBGridBackgroundDataEh(this); }

TDBGridLineParamsEh* TCustomDBGridEh::GetGridLineParams() const {
  return static_cast<TDBGridLineParamsEh*>(GetGridLineColors());
}

// ======================= Cell borders =======================

namespace {

// The darker of two colours, the first on a tie; clNone never wins.
TColor DarkerLineColorEh(TColor a, TColor b) {
  if (a == clNone) return b;
  if (b == clNone) return a;
  return DarkerColorEh(a, b);
}

bool IsDarkerLineEh(TColor a, TColor than) {
  return a != clNone && than != clNone && a != than && DarkerColorEh(than, a) == a;
}

}  // namespace

void TCustomDBGridEh::GetCellBorderParams(Integer col, Integer row, bool& joinCorner, TColor& color,
                                          bool& isDraw, TGridCellBorderTypeEh borderType) {
  const bool vertical = borderType == cbtLeftEh || borderType == cbtRightEh;
  joinCorner = true;
  if (vertical && col < GetFullColCount() && GetColWidths(col) == 0) {
    isDraw = false;
    return;
  }
  TDBGridLineParamsEh* lines = GetGridLineParams();
  const TColor dark = lines->GetDarkColor();
  const bool fixed = col < GetFixedColCount() || row < GetFixedRowCount();
  isDraw = options_.Contains(vertical ? dgColLines : dgRowLines);
  color = fixed ? dark : lines->GetBrightColor();
  if (row < 0 || col < 0 || row >= GetFullRowCount() || col >= GetFullColCount()) return;
  Integer areaCol = 0, areaRow = 0;
  const TCellAreaTypeEh area = GetCellAreaType(col, row, areaCol, areaRow);
  const bool boundaries = lines->GetGridBoundaries();
  const bool firstFooterTop = borderType == cbtTopEh && row == GetRowCount();
  const bool lastRowBottom = borderType == cbtBottomEh && row == GetFullRowCount() - 1;
  TDBGridAreaParamsEh* title = titleParams_.get();
  TDBGridAreaParamsEh* indicator = indicatorParams_.get();
  TDBGridAreaParamsEh* footer = footerParams_.get();

  // The indicator's vertical line keeps its own colour where its horizontal one is the darker.
  const auto indicatorCorrection = [&](TDBGridAreaParamsEh* against) {
    if (area.HorzType != hctIndicatorEh || !vertical || indicator->GetVertLineColor() == clNone) return;
    if (IsDarkerLineEh(indicator->GetHorzLineColor(), against->GetVertLineColor())) {
      color = indicator->GetVertLineColor();
      isDraw = true;
    }
  };
  const auto footerRule = [&] {
    if (vertical) {
      if (footer->GetVertLines()) {
        color = footer->GetVertLineColor();
        isDraw = color != clNone;
      } else {
        isDraw = false;
        color = indicator->GetVertLineColor();
      }
      indicatorCorrection(footer);
      return;
    }
    color = footer->GetHorzLineColor();
    if (borderType == cbtTopEh)
      isDraw = options_.Contains(dgRowLines) || boundaries;
    else
      isDraw = footer->GetHorzLines() && color != clNone;
    if ((firstFooterTop || lastRowBottom) && IsDarkerLineEh(footer->GetVertLineColor(), color))
      color = footer->GetVertLineColor();
  };

  if (area.VertType == vctTitleEh || area.VertType == vctSubTitleEh) {
    if (titleParams_->GetBorderInFillStyle()) {
      isDraw = area.HorzType == hctIndicatorEh && vertical;
      if (isDraw) color = title->GetVertLineColor();
    } else if (vertical) {
      isDraw = title->GetVertLines();
      if (isDraw) color = title->GetVertLineColor();
      indicatorCorrection(title);
    } else {
      color = title->GetHorzLineColor();
      isDraw = title->GetHorzLines();
    }
  } else if (area.HorzType == hctIndicatorEh) {
    if (area.VertType == vctFooterEh && !indicator->GetHorzLines()) {
      footerRule();
    } else if (vertical) {
      isDraw = indicator->GetVertLines();
      if (isDraw && indicator->GetVertLineColor() != clNone) color = indicator->GetVertLineColor();
    } else {
      isDraw = indicator->GetHorzLines();
      if (isDraw && indicator->GetHorzLineColor() != clNone) color = indicator->GetHorzLineColor();
      if (firstFooterTop) {
        isDraw = options_.Contains(dgRowLines) || boundaries;
        color = indicator->GetHorzLineColor();
      } else if (area.VertType == vctFooterEh && lastRowBottom) {
        isDraw = footer->GetHorzLines();
      }
    }
    if (area.VertType == vctFooterEh && indicator->GetHorzLines() &&
        IsDarkerLineEh(indicator->GetVertLineColor(), indicator->GetHorzLineColor()))
      color = indicator->GetVertLineColor();
    // Under a custom style the lines between the flat indicator rows stay soft.
    if (area.VertType == vctDataEh && !vertical && isDraw && CustomStyleActive() && color != clNone)
      color = MixColorsPercentEh(StyleServices()->GetSystemColor(color), GetInternalFixedColor(), 60);
  } else if (area.VertType == vctDataEh) {
    if (vertical) {
      const bool frozenEdge = frozenCols_ > 0 && col == GetFixedColCount() - 1;
      color = frozenEdge ? dark : lines->GetDataVertLines() ? lines->GetDataVertColor() : clNone;
    } else {
      color = lines->GetDataHorzLines() ? lines->GetDataHorzColor() : clNone;
    }
    isDraw = color != clNone;
  } else if (area.VertType == vctFooterEh) {
    footerRule();
  }

  // The grid's outer boundary: the right edge of the last visible column (or the left edge of the
  // first contra column) and the bottom of the last visible row.
  Integer lastCol = GetFullColCount() - 1;
  while (lastCol > 0 && GetColWidths(lastCol) == 0) --lastCol;
  const bool contraEdge = borderType == cbtLeftEh && GetContraColCount() > 0 && col == GetColCount();
  bool boundaryDrawn = false;
  if (vertical && (col == lastCol || contraEdge)) {
    const auto darkerOf = [&](TDBGridAreaParamsEh* params) {
      const TColor c = DarkerLineColorEh(params->GetVertLineColor(), params->GetHorzLineColor());
      return c == clNone ? dark : c;
    };
    if (area.VertType == vctTitleEh || area.VertType == vctSubTitleEh) {
      if (boundaries || (!IsAutoFitColWidthsActive() && title->GetVertLines()) ||
          (contraEdge && options_.Contains(dgColLines))) {
        color = darkerOf(title);
        boundaryDrawn = true;
      }
    } else if (area.VertType == vctDataEh) {
      if (boundaries || contraEdge) {
        color = lines->GetDataBoundaryColor();
        isDraw = color != clNone;
        boundaryDrawn = isDraw;
      }
    } else if (area.VertType == vctFooterEh) {
      if (boundaries || (!IsAutoFitColWidthsActive() && footer->GetHorzLines() && col == lastCol) ||
          contraEdge) {
        color = darkerOf(footer);
        boundaryDrawn = true;
      }
    }
  } else if (boundaries && !vertical && lines->GetVertEmptySpaceStyle() == dessNonEh) {
    Integer lastRow = GetFullRowCount() - 1;
    while (lastRow > 0 && GetRowHeights(lastRow) == 0) --lastRow;
    if (row == lastRow && borderType == cbtBottomEh) {
      color = area.HorzType == hctIndicatorEh ? dark : lines->GetDataBoundaryColor();
      isDraw = color != clNone;
      boundaryDrawn = isDraw;
    }
  }
  if (boundaryDrawn) {
    isDraw = true;
    joinCorner = true;
  } else if (vertical && area.VertType == vctTitleEh && area.HorzType == hctDataEh && IsUseMultiTitle()) {
    // The title tree draws the vertical lines of multi-level titles itself.
    isDraw = false;
  }
}

// The lines are filled one-pixel rectangles: much cheaper for the canvas than stroked lines.
void TCustomDBGridEh::DrawCellBorders(Integer col, Integer row, TGridCellBorderTypesEh borders,
                                      TGridDrawState, TRect& rect) {
  bool rightJoin = false, rightDraw = false, bottomJoin = false, bottomDraw = false;
  TColor rightColor = clNone, bottomColor = clNone;
  if (borders.Contains(cbtRightEh))
    GetCellBorderParams(col, row, rightJoin, rightColor, rightDraw, cbtRightEh);
  if (borders.Contains(cbtBottomEh))
    GetCellBorderParams(col, row, bottomJoin, bottomColor, bottomDraw, cbtBottomEh);
  if (rightDraw && bottomDraw && rightColor != bottomColor) {
    // The darker line owns the shared corner pixel.
    if (ColorLuminanceEh(ColorToRGB(bottomColor)) < ColorLuminanceEh(ColorToRGB(rightColor)))
      rightJoin = false;
    else
      bottomJoin = false;
  }
  TCanvas* canvas = GetCanvas();
  TBrush* brush = canvas->GetBrush();
  brush->SetStyle(bsSolid);
  if (rightDraw) {
    brush->SetColor(StyleServices()->GetSystemColor(rightColor));
    canvas->FillRect(TRect(rect.Right - 1, rect.Top, rect.Right, rightJoin ? rect.Bottom : rect.Bottom - 1));
  }
  if (bottomDraw) {
    brush->SetColor(StyleServices()->GetSystemColor(bottomColor));
    canvas->FillRect(
        TRect(rect.Left, rect.Bottom - 1, bottomJoin ? rect.Right : rect.Right - 1, rect.Bottom));
  }
  if (rightDraw) --rect.Right;
  if (bottomDraw) --rect.Bottom;
}

// ======================= Empty space =======================

// A border line of the cell (col, row) continued along one edge of an empty area, which loses it.
void TCustomDBGridEh::PaintEmptySpaceBorder(Integer col, Integer row, TGridCellBorderTypeEh side,
                                            TRect& area) {
  bool join = false, draw = false;
  TColor color = clNone;
  GetCellBorderParams(col, row, join, color, draw, side);
  if (!draw || color == clNone) return;
  TCanvas* canvas = GetCanvas();
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(StyleServices()->GetSystemColor(color));
  switch (side) {
    case cbtTopEh:
      canvas->FillRect(TRect(area.Left, area.Top, area.Right, area.Top + 1));
      ++area.Top;
      break;
    case cbtBottomEh:
      canvas->FillRect(TRect(area.Left, area.Bottom - 1, area.Right, area.Bottom));
      --area.Bottom;
      break;
    case cbtRightEh:
      canvas->FillRect(TRect(area.Right - 1, area.Top, area.Right, area.Bottom));
      --area.Right;
      break;
    case cbtLeftEh:
      canvas->FillRect(TRect(area.Left, area.Top, area.Left + 1, area.Bottom));
      ++area.Left;
      break;
  }
}

void TCustomDBGridEh::DrawEmptySpace(Integer col, Integer row, const TRect& rect) {
  TCanvas* canvas = GetCanvas();
  TDBGridLineParamsEh* lines = GetGridLineParams();
  const TColor background = GetInternalColor();
  TRect r = rect;
  canvas->GetBrush()->SetStyle(bsSolid);
  const auto baseFill = [&] {
    if (IsBackgroundShowing()) return;
    canvas->GetBrush()->SetColor(background);
    canvas->FillRect(r);
  };

  if (col >= 0 && row < 0) {
    // Below the rows: the column's line and its own colour may run on to the bottom.
    const bool gradient = lines->GetVertEmptySpaceStyle() == dessGradiendEh;
    TColor fill = background;
    if (GetOptions().Contains(goExtendVertLinesEh) && GetRowCount() > 0) {
      const bool rightPart = col >= GetColCount();
      TColor lineColor = clNone;
      bool join = false, draw = false;
      GetCellBorderParams(rightPart ? GetColCount() - 1 : col, GetRowCount() - 1, join, lineColor, draw,
                          cbtRightEh);
      if (draw && lineColor != clNone) {
        const TColor line = StyleServices()->GetSystemColor(lineColor);
        const Integer x = rightPart ? r.Left : r.Right - 1;
        const TRect strip(x, r.Top, x + 1, r.Bottom);
        if (gradient)
          FillVertGradientRectEh(canvas, strip, line, background);
        else {
          canvas->GetBrush()->SetColor(line);
          canvas->FillRect(strip);
        }
        if (rightPart)
          ++r.Left;
        else
          --r.Right;
      }
      TColumnEh* column = GetColumnAtGridCol(col);
      if (column && column->GetColor() != GetColor())
        fill = StyleServices()->GetSystemColor(column->GetColor());
    }
    if (IsBackgroundShowing() && fill == background) return;
    if (gradient && fill != background) {
      FillVertGradientRectEh(canvas, r, fill, background);
      return;
    }
    canvas->GetBrush()->SetColor(fill);
    canvas->FillRect(r);
    return;
  }
  if (col >= 0 || row < 0) return baseFill();

  // Right of the last column: titles, and with the grid-wide style footers and data rows, go on.
  const TDBGridHorzEmptySpaceStyleEh style = lines->GetHorzEmptySpaceStyle();
  if (style == deshNonEh || GetColCount() <= indicatorOffset_) return baseFill();
  Integer areaCol = 0, areaRow = 0;
  const TCellAreaTypeEh area = GetCellAreaType(GetColCount() - 1, row, areaCol, areaRow);
  const Integer lastCol = GetColCount() - 1;
  const bool noContra = GetContraColCount() == 0;
  const auto sideLines = [&] {
    PaintEmptySpaceBorder(lastCol, row, cbtBottomEh, r);
    if (noContra) PaintEmptySpaceBorder(lastCol, row, cbtRightEh, r);
  };
  if (area.VertType == vctTitleEh) {
    sideLines();
    TFixedCellPaintEh cell;
    cell.FillStyle = titleParams_->GetActualFillStyle();
    cell.FillColor = titleParams_->GetFillStyleColor();
    cell.StartGradientColor = titleParams_->GetSecondColor();
    cell.The3DRect = optionsEh_.Contains(dghFixed3D);
    PaintFixedCellBackground(canvas, r, cell);
    return;
  }
  if (style != deshExtendGridWideSpaceEh) return baseFill();
  if (area.VertType == vctFooterEh) {
    if (row == GetRowCount()) PaintEmptySpaceBorder(lastCol, row, cbtTopEh, r);
    sideLines();
    TFixedCellPaintEh cell;
    cell.FillStyle = footerParams_->GetActualFillStyle();
    cell.FillColor = footerParams_->GetFillStyleColor();
    cell.The3DRect = optionsEh_.Contains(dghFooter3D);
    PaintFixedCellBackground(canvas, r, cell);
    return;
  }
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (area.VertType != vctDataEh || !link->GetActive() || areaRow >= InstantReadRecordCount())
    return baseFill();
  InstantReadEnter(areaRow);
  auto leave = MakeScopeExit([this] { InstantReadLeave(); });
  sideLines();
  TColor fill = GetColor();
  const TColor rowColor = RowColorOf(nullptr);
  if (rowColor != clNone) fill = rowColor;
  TFont* font = canvas->GetFont();
  if (OnGetCellParams) OnGetCellParams(this, nullptr, font, fill, TGridDrawState());
  canvas->GetBrush()->SetColor(StyleServices()->GetSystemColor(fill));
  canvas->FillRect(r);
  // The row selection reaches the right edge.
  TDataSet* ds = link->GetDataSet();
  const bool current = PaintedRowIsCurrent(areaRow);
  const bool selected = !ds->IsEmpty() && selection_->GetSelectionType() == gstRecordBookmarks &&
                        bookmarks_->IndexOf(ds->GetBookmark()) >= 0;
  if (!(current || selected) || !options_.Contains(dgRowSelect) ||
      !(Focused() || options_.Contains(dgAlwaysShowSelection)))
    return;
  TColor selColor = fill;
  TGridDrawState state{gdSelected};
  if (current) state.Include(gdFocused);
  if (IsThemedSelectionCell(state)) {
    TRect themed = r;
    themed.Left -= 10;
    HRGN saved = SelectClipRectEh(canvas, r);
    DrawThemedCellSelection(lastCol, row, state, themed);
    RestoreClipRgnEh(canvas, saved);
    return;
  }
  if (HighlightDataCellColor(GetVisibleColumns()->GetCount() - 1, areaRow, String(), state, selColor,
                             nullptr)) {
    canvas->GetBrush()->SetColor(StyleServices()->GetSystemColor(selColor));
    canvas->FillRect(r);
  }
}
