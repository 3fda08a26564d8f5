// The data grid's cell lines by area (titles, indicator, data, footers) and the empty space below the
// rows, where extended vertical lines and column colours continue.
#include <algorithm>

#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/graphics/Themes.h"

namespace {

TColor LineColor(TColor own, TColor dark) { return own == clDefault ? dark : own; }

}  // namespace

void TCustomDBGridEh::GetCellBorderParams(Integer col, Integer row, bool& joinCorner, TColor& color,
                                          bool& isDraw, TGridCellBorderTypeEh borderType) {
  const bool vertical = borderType == cbtLeftEh || borderType == cbtRightEh;
  joinCorner = true;
  if (vertical && col < GetFullColCount() && GetColWidths(col) == 0) {
    isDraw = false;
    return;
  }
  const TColor dark = GetGridLineColors()->GetDarkColor();
  const bool fixed = col < GetFixedColCount() || row < GetFixedRowCount();
  isDraw = options_.Contains(vertical ? dgColLines : dgRowLines);
  color = fixed ? dark : GetGridLineColors()->GetBrightColor();
  Integer areaCol = 0, areaRow = 0;
  if (row >= GetFullRowCount() || col >= GetFullColCount()) return;
  const TCellAreaTypeEh area = GetCellAreaType(col, row, areaCol, areaRow);

  const auto areaRule = [&](TDBGridAreaParamsEh* params) {
    if (vertical) {
      isDraw = params->GetVertLines();
      color = LineColor(params->GetVertLineColor(), dark);
    } else {
      isDraw = params->GetHorzLines();
      color = LineColor(params->GetHorzLineColor(), dark);
    }
    if (color == clNone) isDraw = false;
  };
  if (area.VertType == vctTitleEh || area.VertType == vctSubTitleEh) {
    areaRule(titleParams_.get());
    // The title tree draws the vertical lines of multi-level titles itself.
    if (vertical && IsUseMultiTitle() && area.HorzType == hctDataEh) isDraw = false;
  } else if (area.HorzType == hctIndicatorEh) {
    areaRule(indicatorParams_.get());
  } else if (area.VertType == vctDataEh) {
    if (vertical) {
      const bool frozenEdge = frozenCols_ > 0 && col == GetFixedColCount() - 1;
      color = frozenEdge ? dark : GetGridLineColors()->GetDataVertColor();
      isDraw = frozenEdge || options_.Contains(dgColLines);
    } else {
      color = GetGridLineColors()->GetDataHorzColor();
      isDraw = options_.Contains(dgRowLines);
    }
  } else if (area.VertType == vctFooterEh) {
    if (!vertical && borderType == cbtTopEh) {
      isDraw = options_.Contains(dgRowLines);
      color = LineColor(footerParams_->GetHorzLineColor(), dark);
    } else {
      areaRule(footerParams_.get());
    }
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

void TCustomDBGridEh::DrawEmptySpace(Integer col, Integer row, const TRect& rect) {
  TCanvas* canvas = GetCanvas();
  TRect r = rect;
  TColor fill = GetInternalColor();
  if (col >= 0 && row < 0 && optionsEh_.Contains(dghExtendVertLines) && GetRowCount() > 0) {
    // The column's line runs on to the bottom, and a coloured column keeps its colour there.
    bool join = false, draw = false;
    TColor lineColor = clNone;
    if (col < GetColCount()) {
      GetCellBorderParams(col, GetRowCount() - 1, join, lineColor, draw, cbtRightEh);
      if (draw) {
        canvas->GetPen()->SetColor(StyleServices()->GetSystemColor(lineColor));
        GridPolyline(canvas, {TPoint(r.Right - 1, r.Top), TPoint(r.Right - 1, r.Bottom)});
        --r.Right;
      }
      TColumnEh* column = GetColumnAtGridCol(col);
      if (column && column->GetColor() != GetColor())
        fill = StyleServices()->GetSystemColor(column->GetColor());
    }
  }
  if (IsBackgroundShowing() && fill == GetInternalColor()) return;
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(fill);
  canvas->FillRect(r);
}
