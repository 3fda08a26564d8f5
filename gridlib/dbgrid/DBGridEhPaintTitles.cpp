// Painting the data grid's fixed cells other than footers: column titles with their sort markers and
// indexes, and the indicator column with its row glyphs and record numbers.
#include <algorithm>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"

namespace {
// The marker's triangle and the indicator glyphs are drawn, not taken from bitmaps.
constexpr Integer SortMarkerWidth = 16;
// The width of a sort-marker glyph: below it a title has no room for the marker.
constexpr Integer SortMarkerGlyphWidth = 9;
constexpr Integer IndicatorGlyphWidth = 11;

TSize SortMarkerSizeEh(TSortMarkerStyleEh style) {
  switch (style) {
    case smstFrameEh:
      return TSize{7, 8};
    case smstSolidEh:
      return TSize{10, 5};
    default:
      return TSize{8, 7};
  }
}
}  // namespace

// ======================= Title images =======================

TDBGridTitleParamsEh::TDBGridTitleParamsEh(TCustomDBGridEh* grid) : TDBGridAreaParamsEh(grid) {}

TCustomImageList* TCustomDBGridEh::GetTitleImages() const { return titleParams_->GetImages(); }

void TCustomDBGridEh::SetTitleImages(TCustomImageList* value) { titleParams_->SetImages(value); }

// ======================= Titles =======================

bool TCustomDBGridEh::GetFixedCellSelectedColors(TCellAreaTypeEh area, TColor& color, TFont* font) {
  if (style_) return style_->GetFixedCellSelectedColors(this, -1, -1, -1, -1, area, {}, true, color, font);
  if (area.VertType == vctAboveFooterEh || area.VertType == vctFooterEh) {
    color = HasFocusWithin() ? clHighlight : clBtnFace;
    if (font && HasFocusWithin()) font->SetColor(clHighlightText);
    return true;
  }
  color = MixColorsEh(RGB(64, 64, 64), StyleServices()->GetSystemColor(clHighlight), 63);
  if (font) font->SetColor(clWhite);
  return true;
}

void TCustomDBGridEh::FillTitleCellParams(TGridDrawState state, const TRect& rect, Integer dataCol,
                                          TDBGridDrawTitleCellParamsEh* params) {
  if (!titleFont_) titleFont_ = std::make_unique<TFont>();
  TColumnEh* column = dataCol >= 0 ? GetVisibleColumns()->GetColumn(dataCol) : nullptr;
  params->Column = column;
  params->MultiTitleNode = -1;
  const TCellAreaTypeEh area{dataCol >= 0 ? hctDataEh : hctIndicatorEh, vctTitleEh};
  params->Draw3DBorder = IsCell3D(DataColToGridCol(dataCol), 0, state);
  params->DrawByThemes = IsCellDrawnByStyle(area);
  if (column) {
    params->Color = column->GetTitle()->GetColor();
    titleFont_->Assign(column->GetTitle()->GetFont());
    params->Alignment = column->GetTitle()->GetAlignment();
    params->SortMarker = column->GetTitle()->GetSortMarker();
    params->Orientation = column->GetTitle()->GetOrientation();
    params->EndEllipsis = column->GetTitle()->GetEndEllipsis();
  } else {
    params->Color = titleParams_->GetFillStyleColor();
    titleFont_->Assign(titleParams_->GetFont());
    params->Alignment = taCenter;
    params->SortMarker = smNoneEh;
    params->Orientation = tohHorizontal;
    params->EndEllipsis = false;
  }
  params->Font = titleFont_.get();
  params->SecondColor = titleParams_->GetSecondColorStored() ? titleParams_->GetSecondColor() : clDefault;
  if (CustomStyleActive()) {
    params->SecondColor = clDefault;
    // A custom style paints its fixed cells in its own colours.
    params->Color = GetInternalFixedColor();
    titleFont_->SetColor(StyleServices()->GetSystemColor(titleFont_->GetColor()));
  }
  // Pressed while the mouse is down on it, not while a column is moved or sized.
  params->Down = column && state_ == dgsNormal && pressedTitleCell_.Y >= 0 &&
                 pressedTitleCell_.Y < GetTitleRowCount() && GridColToDataCol(pressedTitleCell_.X) == dataCol;
  params->Text = column ? column->GetTitle()->GetCaption() : String();
  const Integer leaf = column ? LeafOf(column->GetIndex()) : -1;
  if (leaf > 0) params->Text = headTree_[static_cast<size_t>(leaf)].Text;
  params->DrawSortIndex = true;
  if (column && column->GetField()) {
    if (OnGetBtnParams)
      OnGetBtnParams(this, column, params->Font, params->Color, params->SortMarker, params->Down);
    if (center_)
      center_->GetTitleParams(this, column, params->Font, params->Color, params->SortMarker, params->Down);
    if (OnGetBtnParams)
      OnGetBtnParams(this, column, params->Font, params->Color, params->SortMarker, params->Down);
  }
  params->CellMultiSelected = IsGridCellSelected(area, dataCol);
  params->Highlight =
      params->CellMultiSelected && GetFixedCellSelectedColors(area, params->Color, params->Font);
  params->WordWrap =
      IsUseMultiTitle() || titleParams_->GetRowHeight() != 0 || titleParams_->GetRowLines() != 0;
  params->Layout = params->WordWrap ? tlCenter : tlTop;
  params->CellState = state;
  params->ForeXDataOffset = params->ForeYDataOffset = params->Draw3DBorder ? 1 : 2;
  params->ForeInsideRect = rect;
}

void TCustomDBGridEh::PaintTitleCell(Integer col, Integer row, TCellAreaTypeEh area, TGridDrawState state,
                                     const TRect& rect, Integer, Integer dataCol) {
  TCanvas* canvas = GetCanvas();
  if (area.VertType != vctTitleEh) {
    // The filter row and the rows above the footers keep the title look.
    TFixedCellPaintEh cell;
    cell.FillStyle = titleParams_->GetActualFillStyle();
    cell.FillColor = CustomStyleActive() ? GetInternalFixedColor() : titleParams_->GetFillStyleColor();
    cell.The3DRect = IsCell3D(col, row, state);
    cell.Selected = IsGridCellSelected(area, dataCol);
    if (cell.Selected) GetFixedCellSelectedColors(area, cell.FillColor, nullptr);
    PaintFixedCellBackground(canvas, rect, cell);
    return;
  }
  TDBGridDrawTitleCellParamsEh* params = &titleCellDrawState_;
  FillTitleCellParams(state, rect, dataCol, params);
  TColumnEh* column = params->Column;
  const Integer leaf = IsUseMultiTitle() ? LeafOf(column->GetIndex()) : -1;
  TRect drawRect = rect;
  if (leaf > 0) {
    const TDBGridMultiTitleNodeEh& node = headTree_[static_cast<size_t>(leaf)];
    // The tree draws the titles' own vertical lines, over the leaf's band only; the last column's
    // right edge is the grid's boundary line, unless fitted widths leave no boundary drawn.
    const bool lastColumn = dataCol == GetVisibleColumns()->GetCount() - 1;
    const bool boundaryLine = !IsAutoFitColWidthsActive() || GetGridLineParams()->GetGridBoundaries();
    if (titleParams_->GetVertLines() && !titleParams_->GetBorderInFillStyle() &&
        (!lastColumn || !boundaryLine)) {
      --drawRect.Right;
      canvas->GetPen()->SetColor(StyleServices()->GetSystemColor(titleParams_->GetVertLineColor() == clDefault
                                                                     ? GetGridLineColors()->GetDarkColor()
                                                                     : titleParams_->GetVertLineColor()));
      GridPolyline(canvas, {TPoint(drawRect.Right, rect.Bottom),
                            TPoint(drawRect.Right, rect.Bottom - node.Height - 1)});
    }
    drawRect.Top = std::max(rect.Top, rect.Bottom - node.Height + 1);
  }
  params->ForeInsideRect = drawRect;
  canvas->GetFont()->Assign(params->Font);
  canvas->GetBrush()->SetColor(params->Color);
  if (OnGetTitleParams) OnGetTitleParams(this, params);
  bool processed = false;
  if (OnDrawTitleCell) OnDrawTitleCell(this, canvas, drawRect, params, processed);
  if (!processed) DefaultDrawTitleCell(canvas, drawRect, params);
  if (leaf > 0 && headTree_[static_cast<size_t>(leaf)].Parent > 0) PaintSuperTitles(leaf, drawRect);
}

void TCustomDBGridEh::DefaultDrawTitleCell(TCanvas* canvas, const TRect& rect,
                                           TDBGridDrawTitleCellParamsEh* params) {
  DrawTitleCellBackground(canvas, rect, params);
  DrawTitleCellForeground(canvas, rect, params);
}

void TCustomDBGridEh::DrawTitleCellBackground(TCanvas* canvas, const TRect& rect,
                                              TDBGridDrawTitleCellParamsEh* params) {
  TRect inside;
  if (style_) {
    style_->DrawTitleCellBackground(this, params->Column, canvas, rect, true, inside, params->CellState,
                                    params, TRect());
  } else {
    TFixedCellPaintEh cell;
    cell.FillStyle = titleParams_->GetActualFillStyle();
    cell.FillColor = params->Color;
    cell.StartGradientColor = params->SecondColor;
    cell.The3DRect = params->Draw3DBorder;
    cell.Pressed = params->Down;
    cell.Selected = params->CellMultiSelected;
    cell.HotTrack = params->CellState.Contains(gdHotTrack);
    inside = PaintFixedCellBackground(canvas, rect, cell);
  }
  // The content keeps its place unless the frame took more than the cell's own edge.
  params->ForeInsideRect.Left = std::max(params->ForeInsideRect.Left, inside.Left);
  params->ForeInsideRect.Top = std::max(params->ForeInsideRect.Top, inside.Top);
  params->ForeInsideRect.Right = std::min(params->ForeInsideRect.Right, inside.Right);
  params->ForeInsideRect.Bottom = std::min(params->ForeInsideRect.Bottom, inside.Bottom);
}

void TCustomDBGridEh::DrawTitleCellForeground(TCanvas* canvas, const TRect&,
                                              TDBGridDrawTitleCellParamsEh* params) {
  const TRect inner = params->ForeInsideRect;
  if (params->MultiTitleNode > 0) {
    canvas->GetFont()->Assign(params->Font);
    WriteCellText(canvas, inner, false, params->ForeXDataOffset, params->ForeYDataOffset, params->Text,
                  params->Alignment, params->Layout, params->WordWrap, params->EndEllipsis, 0, 0);
    return;
  }
  PaintTitleCellText(canvas, params->Column, params, inner);
}

void TCustomDBGridEh::PaintTitleCellText(TCanvas* canvas, TColumnEh* column,
                                         TDBGridDrawTitleCellParamsEh* params, const TRect& rect) {
  canvas->GetFont()->Assign(params->Font);
  canvas->GetBrush()->SetColor(StyleServices()->GetSystemColor(params->Color));
  TRect r = rect;
  const Integer base = params->Draw3DBorder && !params->DrawByThemes ? 1 : 2;
  const bool gradient = titleParams_->GetActualFillStyle() == cfstGradientEh &&
                        (ThemesEnabledEh() || (style_ && style_->GetGradientEnabledInClassicTheme()));
  const Integer dy = base - 2, dx = params->DrawByThemes || gradient ? 0 : base;
  const Integer shift = params->Down ? (params->WordWrap ? 2 : 1) : 0;

  // A title with a picture and no text beside it shows the picture alone.
  TCustomImageList* images = GetTitleImages();
  TColumnTitleEh* title = column ? column->GetTitle() : nullptr;
  const bool image = images && title && title->GetImageIndex() != -1;
  String text = params->Text;
  if (image && !title->GetShowImageAndText()) text.clear();
  r.Top += shift;
  r.Left += shift;

  // The marker and, with several sorted columns, the sort index take the right of the cell; a narrow
  // title drops the marker first, then the index, and keeps its text.
  bool drawMarker = params->SortMarker != smNoneEh;
  String index;
  if (drawMarker && params->DrawSortIndex && sortMarkedColumns_->GetCount() > 1 && title)
    index = IntToStr(title->GetSortIndex());
  const Integer areaRight = r.Right;
  Integer indexWidth = 0;
  TFont* indexFont = DBGridSortIndexFont();
  if (!index.empty()) {
    canvas->GetFont()->Assign(indexFont);
    indexWidth = canvas->TextWidth(index);
    canvas->GetFont()->Assign(params->Font);
  }
  if (drawMarker) {
    r.Right -= SortMarkerWidth + indexWidth;
    if (r.Width() < SortMarkerGlyphWidth) {
      // The marker's place goes back to the text, but for the gap before an index.
      r.Right += index.empty() ? SortMarkerWidth : SortMarkerWidth - 2;
      drawMarker = false;
    }
    if (!drawMarker && !index.empty() && r.Width() < SortMarkerGlyphWidth) {
      r.Right += indexWidth + 2;
      index.clear();
      indexWidth = 0;
    }
  }

  if (image) {
    TRect imageRect = r;
    if (title->GetShowImageAndText()) {
      imageRect.Right = std::min(r.Right, r.Left + title->ImageAreaWidth() + 1);
      r.Left = imageRect.Right;
    }
    const TAlignment alignment = IsUseMultiTitle() ? taCenter : params->Alignment;
    DrawImageInRectEh(images, nullptr, canvas, imageRect, title->GetImageIndex(), 0, 0, alignment, imageRect,
                      1.0, true);
  }
  if (params->Orientation == tohVertical)
    DrawVerticalCellTextEh(canvas, r, false, dx + 2, dy, text, params->Alignment, params->Layout, false,
                           params->EndEllipsis);
  else
    WriteCellText(canvas, r, false, dx, std::max(0, dy + 2), text, params->Alignment, params->Layout,
                  params->WordWrap, params->EndEllipsis, 0, 0);
  if (!drawMarker && index.empty()) return;
  const Integer right = areaRight + shift - indexWidth - 2;
  const TSize size = style_ ? style_->GetSortMarkerSize(canvas, titleParams_->GetSortMarkerStyle())
                            : SortMarkerSizeEh(ActualSortMarkerStyle());
  const Integer left = right - 10 + (10 - size.cx) / 2;
  const Integer top = rect.Top + (rect.Height() - size.cy) / 2 + shift;
  const TRect marker(left, top, left + size.cx, top + size.cy);
  if (drawMarker) DrawSortMarker(params->SortMarker, marker, params->Highlight);
  if (index.empty()) return;
  canvas->GetFont()->Assign(indexFont);
  canvas->GetFont()->SetColor(
      params->Highlight ? clWhite
                        : MixColorsEh(StyleServices()->GetSystemColor(GetGridLineColors()->GetDarkColor()),
                                      StyleServices()->GetSystemColor(cl3DDkShadow), 128));
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->TextOut(marker.Right + 2, top + (size.cy - canvas->TextHeight(index)) / 2, index);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetFont()->Assign(params->Font);
}

// The glyphs' colour: dark on the light fixed cells, the fixed cells' text colour under a custom style.
TColor TCustomDBGridEh::GlyphColor() {
  if (CustomStyleActive())
    return MixColorsPercentEh(StyleServices()->GetSystemColor(clWindowText), GetInternalFixedColor(), 40);
  return MixColorsPercentEh(StyleServices()->GetSystemColor(cl3DDkShadow), clBlack, 30);
}

TSortMarkerStyleEh TCustomDBGridEh::ActualSortMarkerStyle() const {
  const TSortMarkerStyleEh style = titleParams_->GetSortMarkerStyle();
  return style == smstDefaultEh ? smstFrameEh : style;
}

// Sort markers by style: an outline, a raised outline, a solid triangle, the theme's arrow, or the
// classic filled one.
void TCustomDBGridEh::DrawSortMarker(TSortMarkerEh marker, const TRect& rect, bool highlight) {
  if (marker == smNoneEh) return;
  TCanvas* canvas = GetCanvas();
  TPen* pen = canvas->GetPen();
  const TColor oldPen = pen->GetColor();
  const bool down = marker == smDownEh;
  const TColor dark = StyleServices()->GetSystemColor(GetGridLineParams()->GetDarkColor());
  const TColor bright = StyleServices()->GetSystemColor(GetGridLineParams()->GetBrightColor());
  const TColor selectedText = StyleServices()->GetSystemColor(clHighlightText);
  const Integer l = rect.Left, t = rect.Top, r = rect.Right - 1, b = rect.Bottom - 1, m = (l + r) / 2;
  switch (ActualSortMarkerStyle()) {
    case smstFrameEh: {
      pen->SetColor(highlight ? selectedText
                              : MixColorsEh(dark, StyleServices()->GetSystemColor(cl3DDkShadow), 50));
      if (down)
        canvas->Polyline({TPoint(m, b), TPoint(l, t), TPoint(r, t), TPoint(m, b)});
      else
        canvas->Polyline({TPoint(m, t), TPoint(r, b), TPoint(l, b), TPoint(m, t)});
      break;
    }
    case smst3DFrameEh: {
      const TColor frame = MixColorsEh(dark, StyleServices()->GetSystemColor(cl3DDkShadow), 85);
      const TColor light = StyleServices()->GetSystemColor(clWindow);
      if (down) {
        pen->SetColor(frame);
        canvas->Polyline({TPoint(m, b), TPoint(l, t), TPoint(r, t)});
        pen->SetColor(light);
        canvas->Polyline({TPoint(m + 1, b), TPoint(r + 1, t - 1)});
      } else {
        pen->SetColor(light);
        canvas->Polyline({TPoint(l + 1, b), TPoint(r, b), TPoint(m + 1, t - 1)});
        pen->SetColor(frame);
        canvas->Polyline({TPoint(l, b), TPoint(m, t - 1)});
      }
      break;
    }
    case smstSolidEh: {
      TColor fill = MixColorsEh(dark, bright, 128);
      if (highlight)
        fill = selectedText;
      else if (IsTitleThemed() && GetGridLineParams()->GetAssignedDarkColor() == clDefault)
        fill = dark;
      std::vector<TPoint> rows = {TPoint(0, 0), TPoint(9, 0), TPoint(1, 1), TPoint(8, 1), TPoint(2, 2),
                                  TPoint(7, 2), TPoint(3, 3), TPoint(6, 3), TPoint(4, 4), TPoint(5, 4)};
      if (!down)
        for (TPoint& p : rows) p.Y = 4 - p.Y;
      FillPolygonSmoothEh(canvas, TPoint(l, t), rows, fill, fill);
      break;
    }
    case smstThemeDefinedEh:
      if (ThemesEnabledEh()) {
        StyleServices()->DrawElement(canvas->GetHandle(),
                                     StyleServices()->GetElementDetails(down ? thHeaderSortArrowSortedDown
                                                                             : thHeaderSortArrowSortedUp),
                                     rect);
        break;
      }
      [[fallthrough]];
    default: {
      const TColor color = highlight ? clWhite : GlyphColor();
      canvas->GetBrush()->SetColor(color);
      pen->SetColor(color);
      const Integer w = 7, h = 4;
      const Integer x = l + (rect.Width() - w) / 2, y = t + (rect.Height() - h) / 2;
      if (down)
        canvas->Polygon({TPoint(x, y), TPoint(x + w, y), TPoint(x + w / 2, y + h)});
      else
        canvas->Polygon({TPoint(x, y + h), TPoint(x + w, y + h), TPoint(x + w / 2, y)});
      break;
    }
  }
  pen->SetColor(oldPen);
}

String TCustomDBGridEh::RecNoText(Integer recNo, bool currentRow, bool inserting) const {
  if (recNo < 1 || (currentRow && inserting)) return String();
  const Integer step = indicatorParams_->GetRecNoShowStep();
  Integer last = 0;
  if (sumList_->GetActive())
    last = sumList_->RecordCount();
  else if (TCustomDBAxisGridEh::GetDataLink()->GetActive())
    last = TCustomDBAxisGridEh::GetDataLink()->GetDataSet()->RecordCount();
  if ((step > 0 && recNo % step == 0) || recNo == 1 || recNo == last || currentRow) return IntToStr(recNo);
  // A step of 0 or below numbers only the first, the last and the current row.
  if (step > 0 && step % 2 == 0 && recNo % step == step / 2) return u"-";
  return String(1, MiddleDotCharEh());
}

void TCustomDBGridEh::DrawIndicatorGlyph(Integer kind, const TRect& rect) {
  TCanvas* canvas = GetCanvas();
  const Integer cx = rect.Left + rect.Width() / 2, cy = rect.Top + rect.Height() / 2 + 1;
  switch (kind) {
    case 2: {  // editing: a pencil-like bar
      canvas->GetPen()->SetColor(GlyphColor());
      canvas->GetBrush()->SetColor(GlyphColor());
      canvas->FillRect(TRect(cx - 1, cy - 5, cx + 1, cy + 4));
      canvas->FillRect(TRect(cx - 3, cy - 5, cx + 3, cy - 4));
      canvas->FillRect(TRect(cx - 3, cy + 3, cx + 3, cy + 4));
      break;
    }
    case 3: {  // inserting: a star
      canvas->GetPen()->SetColor(GlyphColor());
      canvas->Polyline({TPoint(cx - 3, cy), TPoint(cx + 4, cy)});
      canvas->Polyline({TPoint(cx, cy - 3), TPoint(cx, cy + 4)});
      canvas->Polyline({TPoint(cx - 2, cy - 2), TPoint(cx + 3, cy + 3)});
      canvas->Polyline({TPoint(cx + 2, cy - 2), TPoint(cx - 3, cy + 3)});
      break;
    }
    default: {
      const TColor color = kind == 1 ? clWhite : kind == 4 ? RGB(0, 120, 215) : GlyphColor();
      canvas->GetPen()->SetColor(color);
      canvas->GetBrush()->SetColor(color);
      canvas->Polygon({TPoint(cx - 2, cy - 5), TPoint(cx + 2, cy - 1), TPoint(cx - 2, cy + 3)});
      break;
    }
  }
}

// A small downward triangle, left out where the rectangle is too low for it.
void TCustomDBGridEh::DrawDropDownGlyph(bool hot, const TRect& rect) {
  if (rect.Height() < 7) return;
  TCanvas* canvas = GetCanvas();
  const TColor color = hot ? clWhite : GlyphColor();
  canvas->GetPen()->SetColor(color);
  canvas->GetBrush()->SetColor(color);
  const Integer x = rect.Left + (rect.Width() - 8) / 2 + 1, y = rect.Top + (rect.Height() - 4) / 2;
  canvas->Polygon({TPoint(x, y), TPoint(x + 7, y), TPoint(x + 3, y + 3)});
}

void TCustomDBGridEh::CenterCheckBoxRect(TRect& rect) const {
  const Integer w = CheckBoxWidthEh(), h = CheckBoxHeightEh();
  if (rect.Width() >= w) {
    rect.Left += rect.Width() / 2 - w / 2;
    rect.Right = rect.Left + w;
  }
  if (rect.Height() >= h) {
    rect.Top += rect.Height() / 2 - h / 2;
    rect.Bottom = rect.Top + h;
  }
}

void TCustomDBGridEh::PaintIndicatorCell(Integer col, Integer row, TCellAreaTypeEh area, TGridDrawState state,
                                         const TRect& rect, Integer dataRow, Integer) {
  TCanvas* canvas = GetCanvas();
  const bool is3D = IsCell3D(col, row, state);
  TColor brush = CustomStyleActive() ? GetInternalFixedColor() : indicatorParams_->GetFillStyleColor();
  const Integer glyphWidth = options_.Contains(dgIndicator) ? IndicatorGlyphWidth : 0;
  const bool showRecNo = optionsEh_.Contains(dghShowRecNo) || indicatorOptions_.Contains(gioShowRecNoEh);
  TFixedCellPaintEh cell;
  cell.The3DRect = is3D;
  cell.FillStyle = indicatorParams_->GetActualFillStyle();
  const auto fill = [&](TColor color) {
    cell.FillColor = color;
    PaintFixedCellBackground(canvas, rect, cell);
  };
  const auto writeNumber = [&](const String& text, Integer right) {
    if (text.empty()) return;
    TRect r = rect;
    r.Right = right;
    canvas->GetFont()->Assign(GetFont());
    canvas->GetFont()->SetColor(StyleServices()->GetSystemColor(GetFont()->GetColor()));
    canvas->GetFont()->SetSize(std::max(1, GetFont()->GetSize() - 1));
    canvas->GetBrush()->SetStyle(bsClear);
    WriteCellText(canvas, r, false, 0, 0, text, taCenter, tlCenter, false, false, 0, 0);
    canvas->GetBrush()->SetStyle(bsSolid);
  };
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (area.VertType == vctTitleEh) {
    brush = CustomStyleActive() ? GetInternalFixedColor() : titleParams_->GetFillStyleColor();
    cell.Selected = selection_->GetSelectionType() == gstAll;
    if (cell.Selected) GetFixedCellSelectedColors(area, brush, nullptr);
    cell.FillStyle = titleParams_->GetActualFillStyle();
    if (titleParams_->GetSecondColorStored()) cell.StartGradientColor = titleParams_->GetSecondColor();
    cell.Pressed = pressedTitleCell_.X == col && pressedTitleCell_.Y == row && state_ == dgsNormal;
    fill(brush);
    const Integer shift = cell.Pressed ? 2 : 0;
    if (indicatorTitle_->GetShowDropDownSign())
      DrawDropDownGlyph(
          false, TRect(rect.Right - 12 + shift, rect.Top + shift, rect.Right + shift, rect.Bottom + shift));
    return;
  }
  if (area.VertType == vctDataEh && link->GetActive() && dataRow < InstantReadRecordCount()) {
    InstantReadEnter(dataRow);
    auto leave = MakeScopeExit([this] { InstantReadLeave(); });
    TDataSet* ds = link->GetDataSet();
    const bool current = PaintedRowIsCurrent(dataRow);
    bool selected = selection_->GetSelectionType() == gstAll;
    if (!selected && selection_->GetSelectionType() == gstRecordBookmarks && !ds->IsEmpty())
      selected = selection_->GetRows()->IndexOf(ds->GetBookmark()) >= 0;
    Integer recNo = 0;
    if (!ds->IsEmpty()) {
      if (MemTableSupported())
        recNo = intMemTable_->GetInstantReadCurRow() + 1;
      else if (ds->IsSequenced())
        recNo = ds->RecNo();
    }
    if (current && ThemesEnabledEh())
      brush = MixColorsPercentEh(StyleServices()->GetSystemColor(brush), clBlack, 10);
    cell.Selected = selected;
    if (selected) GetFixedCellSelectedColors(area, brush, nullptr);
    // A custom style's raised header items, one per row, would stripe the column: its rows lie flat.
    if (CustomStyleActive()) {
      cell.FillStyle = cfstSolidEh;
      cell.The3DRect = false;
    }
    fill(brush);
    if (glyphWidth > 0 && current) {
      Integer kind = 0;
      if (ds->GetState() == dsEdit)
        kind = 2;
      else if (ds->GetState() == dsInsert)
        kind = 3;
      else if (selected)
        kind = 1;
      DrawIndicatorGlyph(kind, TRect(rect.Right - glyphWidth, rect.Top, rect.Right, rect.Bottom));
      selRow_ = row;
    }
    Integer numberRight = rect.Right - glyphWidth;
    if (indicatorOptions_.Contains(gioShowRowselCheckboxesEh)) {
      TRect box(numberRight - RowselCheckboxesWidth, rect.Top, numberRight, rect.Bottom);
      numberRight = box.Left;
      CenterCheckBoxRect(box);
      // Hot while the mouse is over the box of this row (the hot tracking notes it as button 1).
      const TGridCoord hot = GetHotTrackCell();
      const bool hotBox = hot.X == col && hot.Y == row && hotTrackEditButton_ == 1;
      DrawCheckBoxEh(canvas->GetHandle(), box, selected ? cbChecked : cbUnchecked, true, GetFlat(), false,
                     hotBox);
      // Not every theme draws a hot check box apart: a frame in the selection colour marks it.
      if (hotBox) {
        TRect frame = box;
        InflateRect(&frame, 1, 1);
        canvas->GetBrush()->SetColor(StyleServices()->GetSystemColor(clHighlight));
        canvas->FrameRect(frame);
      }
    }
    if (showRecNo) writeNumber(RecNoText(recNo, current, ds->GetState() == dsInsert), numberRight);
    return;
  }
  fill(brush);
  if (area.VertType == vctFooterEh && dataRow == 0 && showRecNo && link->GetActive()) {
    TDataSet* ds = link->GetDataSet();
    const Integer count = sumList_->GetActive() ? sumList_->RecordCount() : ds->RecordCount();
    if (count >= 1 && ds->GetState() != dsInsert) writeNumber(IntToStr(count), rect.Right - glyphWidth);
  }
}
