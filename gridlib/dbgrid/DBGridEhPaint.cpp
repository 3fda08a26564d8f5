// Painting the data grid's data cells: the dispatch of every cell to its area's painter, the cell
// parameters and the screens' events, even and odd record colours, the selection highlight, hidden
// duplicates, the required-value mark and the focus frame. Painting reads each row by instant reading
// and never moves the dataset.
#include <algorithm>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"

void TCustomDBGridEh::Paint() {
  if (PaintLoadingStatus()) return;
  for (TDBGridMultiTitleNodeEh& node : headTree_) node.Drawn = false;
  checkedDuplicates_.assign(static_cast<size_t>(GetColumns()->GetCount()), std::vector<bool>());
  TCustomDBAxisGridEh::Paint();
  if (emptyDataInfo_->Showing()) emptyDataInfo_->PaintEmptyDataInfo();
}

// The base grid draws the cell's lines, then asks DrawCellContent for the inside.
void TCustomDBGridEh::DrawCell(Integer col, Integer row, TGridDrawState state, TRect rect) {
  TCustomDBAxisGridEh::DrawCell(col, row, state, rect);
}

void TCustomDBGridEh::DrawCellContent(Integer col, Integer row, TGridDrawState state, const TRect& rect) {
  Integer areaCol = 0, areaRow = 0;
  const TCellAreaTypeEh area = GetCellAreaType(col, row, areaCol, areaRow);
  GetCanvas()->GetBrush()->SetStyle(bsSolid);
  if (area.HorzType == hctIndicatorEh) {
    PaintIndicatorCell(col, row, area, state, rect, areaRow, areaCol);
    return;
  }
  if (!GetColumnAtGridCol(col)) {
    GetCanvas()->GetBrush()->SetColor(GetInternalColor());
    GetCanvas()->FillRect(rect);
    return;
  }
  switch (area.VertType) {
    case vctFooterEh:
      PaintFooterCell(col, row, area, state, rect, areaRow, areaCol);
      break;
    case vctDataEh:
      PaintDataCell(col, row, area, state, rect, areaRow, areaCol);
      break;
    default:
      PaintTitleCell(col, row, area, state, rect, areaRow, areaCol);
      break;
  }
}

TColor TCustomDBGridEh::RowColorOf(TColumnEh* column) {
  if (column && column->GetColor() != GetColor()) return clNone;
  if (GetOddRowColor() == GetEvenRowColor()) return clNone;
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive()) return clNone;
  Integer recNo = 0;
  if (MemTableSupported())
    recNo = intMemTable_->GetInstantReadCurRow() + 1;
  else if (link->GetDataSet()->IsSequenced())
    recNo = link->GetDataSet()->RecNo();
  else
    return clNone;
  return StyleServices()->GetSystemColor(recNo > 0 && recNo % 2 == 1 ? GetOddRowColor() : GetEvenRowColor());
}

void TCustomDBGridEh::PaintDataCell(Integer col, Integer row, TCellAreaTypeEh, TGridDrawState state,
                                    TRect rect, Integer dataRow, Integer dataCol) {
  TCanvas* canvas = GetCanvas();
  TColumnEh* column = GetVisibleColumns()->GetColumn(dataCol);
  canvas->GetFont()->Assign(column->GetFont());
  TGridDrawState workState = state;
  if (!IsThemedSelectionCell(state)) workState.Exclude(gdSelected);
  if (style_) canvas->GetFont()->SetColor(style_->GetColumnFontColor(column, workState));
  canvas->GetBrush()->SetColor(
      StyleServices()->GetSystemColor(style_ ? style_->GetColumnColor(column) : column->GetColor()));

  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  const bool noRecord = !link->GetActive() || !link->GetDataSet() || dataRow < 0 ||
                        (dataRow >= InstantReadRecordCount() && !link->GetDataSet()->IsEmpty());
  if (noRecord) {
    if (!IsBackgroundShowing()) canvas->FillRect(rect);
    return;
  }
  InstantReadEnter(dataRow);
  paintedDataRow_ = dataRow;
  auto leave = MakeScopeExit([this] {
    paintedDataRow_ = -1;
    InstantReadLeave();
  });

  const TColor rowColor = RowColorOf(column);
  if (rowColor != clNone) canvas->GetBrush()->SetColor(rowColor);

  TAxisColCellParamsEh* params = CurrentColCellParams();
  column->FillColCellParams(params);
  params->ReadOnly = !column->CanModify(false);
  params->State = state;
  params->Font = canvas->GetFont();
  params->Background = canvas->GetBrush()->GetColor();
  params->SuppressActiveCellColor = false;
  params->Col = col;
  params->Row = row;
  params->DrawCellByThemes = false;

  if (OnGetCellParams) OnGetCellParams(this, column, canvas->GetFont(), params->Background, state);
  column->GetColCellParams(false, params);

  bool processed = false;
  if (OnAdvDrawDataCell)
    OnAdvDrawDataCell(this, {col, row}, {dataCol, dataRow}, column, rect, params, processed);
  if (!processed && column->OnAdvDrawDataCell)
    column->OnAdvDrawDataCell(this, {col, row}, {dataCol, dataRow}, column, rect, params, processed);
  if (!processed) DefaultDrawColumnDataCell({col, row}, {dataCol, dataRow}, column, rect, params);

  // The focus frame: one cell, or the whole current row running over its cells.
  const bool rowSelect = options_.Contains(dgRowSelect);
  const bool focusedCell = rowSelect ? PaintedRowIsCurrent(dataRow) : params->State.Contains(gdFocused);
  if (!focusedCell || !GetDefaultDrawing() || !Focused() || GetUpdateLock() > 0 ||
      GetComponentState().Contains(csDesigning) || !GetSelectionDrawParams()->GetDrawFocusFrame())
    return;
  canvas->GetBrush()->SetStyle(bsSolid);
  if (!rowSelect) {
    TRect frame = rect;
    if (IsThemedSelectionCell(params->State)) InflateRect(&frame, -1, -1);
    DrawCellFocusRect(canvas, frame, nullptr);
    return;
  }
  const bool first = dataCol == 0, last = dataCol == GetVisibleColumns()->GetCount() - 1;
  TRect clip = rect;
  if (options_.Contains(dgColLines) && !last) ++clip.Right;
  TRect frame = rect;
  if (!first) frame.Left -= 2;
  if (!last) frame.Right += 2;
  DrawCellFocusRect(canvas, frame, &clip);
}

bool TCustomDBGridEh::CanDrawFocusRect() {
  return !GetComponentState().Contains(csDesigning) && options_.Contains(dgRowSelect) &&
         GetDefaultDrawing() && Focused();
}

bool TCustomDBGridEh::IsDrawFocusFrame() {
  return style_ ? style_->GetIsDrawFocusRect() : TCustomDBAxisGridEh::IsDrawFocusFrame();
}

void TCustomDBGridEh::DrawCellFocusRect(TCanvas* canvas, const TRect& rect, const TRect* clipRect) {
  HRGN saved = clipRect ? SelectClipRectEh(canvas, *clipRect) : nullptr;
  canvas->GetBrush()->SetColor(StyleServices()->GetSystemColor(clWindow));
  canvas->GetFont()->SetColor(StyleServices()->GetSystemColor(clWindowText));
  canvas->DrawFocusRect(rect);
  if (clipRect) RestoreClipRgnEh(canvas, saved);
}

void TCustomDBGridEh::DefaultDrawColumnDataCell(TGridCoord cell, TGridCoord areaCell, TColumnEh* column,
                                                const TRect& areaRect, TAxisColCellParamsEh* params) {
  // Hidden duplicates: the first of equal neighbours shows the text; its line to the next one goes.
  bool sameAsNext = false;
  const Integer index = column->GetIndex();
  if (column->GetHideDuplicates() && !params->BlankCell && index >= 0 &&
      static_cast<size_t>(index) < checkedDuplicates_.size()) {
    std::vector<bool>& marks = checkedDuplicates_[static_cast<size_t>(index)];
    const Integer r = cell.Y - GetTopRow();
    if (r >= 0) {
      const size_t at = static_cast<size_t>(r);
      if (marks.size() < at + 2) marks.resize(at + 2, false);
      if (!marks[at + 1]) sameAsNext = CheckColumnDuplicateValues(column, areaCell.Y, params->Text, false);
      if (CheckColumnDuplicateValues(column, areaCell.Y, params->Text, true)) {
        params->Text.clear();
        params->ImageIndex = -1;
        marks[at] = true;
      }
    }
  }
  // A handler's colour kept by SuppressActiveCellColor holds on every cell, not only the current one.
  {
    suppressHighlight_ = params->SuppressActiveCellColor;
    auto unsuppress = MakeScopeExit([this] { suppressHighlight_ = false; });
    TCustomDBAxisGridEh::DefaultDrawDataCell(cell, areaCell, column, areaRect, params);
  }
  if (!params->BlankCell) DrawRequiredMark(column, areaCell.Y, areaRect);
  if (GetColumns()->GetState() == csDefault && OnDrawDataCell)
    OnDrawDataCell(this, areaRect, column->GetField(), params->State);
  if (OnDrawColumnCell) OnDrawColumnCell(this, areaRect, areaCell.X, column, params->State);
  if (sameAsNext && options_.Contains(dgRowLines)) {
    TCanvas* canvas = GetCanvas();
    canvas->GetPen()->SetColor(params->Background);
    GridPolyline(canvas, {TPoint(areaRect.Left, areaRect.Bottom), TPoint(areaRect.Right, areaRect.Bottom)});
  }
}

// The neighbour row is read by instant reading too; the cell's own row is entered again afterwards.
bool TCustomDBGridEh::CheckColumnDuplicateValues(TColumnEh* column, Integer dataRow, const String& s,
                                                 bool checkPrevRow) {
  const Integer neighbour = checkPrevRow ? dataRow - 1 : dataRow + 1;
  if (neighbour < 0 || neighbour >= InstantReadRecordCount()) return false;
  if (checkPrevRow) {
    const Integer firstVisible = MemTableSupported() ? GetTopRow() - TopDataOffset() : 0;
    if (dataRow <= firstVisible) return false;
  }
  InstantReadLeave();
  auto back = MakeScopeExit([this, dataRow] { InstantReadEnter(dataRow); });
  InstantReadEnter(neighbour);
  auto leave = MakeScopeExit([this] { InstantReadLeave(); });
  if (!dupParams_) dupParams_.reset(CreateColCellParams());
  TAxisColCellParamsEh* params = dupParams_.get();
  column->FillColCellParams(params);
  if (OnGetCellParams) OnGetCellParams(this, column, params->Font, params->Background, params->State);
  column->GetColCellParams(false, params);
  if (!column->OnGetHideDuplicatesValue) return params->Text == s;
  // The handler makes the compared values of both texts.
  Variant mine(s), theirs(params->Text);
  column->OnGetHideDuplicatesValue(this, column, mine);
  column->OnGetHideDuplicatesValue(this, column, theirs);
  return VarEqualsEh(mine, theirs);
}

void TCustomDBGridEh::DrawRequiredMark(TColumnEh* column, Integer dataRow, const TRect& rect) {
  TField* field = column->GetField();
  TDataSet* ds = TCustomDBAxisGridEh::GetDataLink()->GetDataSet();
  if (!column->GetHighlightRequired() || !field || !ds || !PaintedRowIsCurrent(dataRow)) return;
  if (ds->GetState() != dsEdit && ds->GetState() != dsInsert) return;
  bool draw = field->GetRequired() && field->IsNull();
  if (column->OnCheckDrawRequiredState)
    column->OnCheckDrawRequiredState(column, field->GetDisplayText(), draw);
  if (!draw) return;
  TPen* pen = GetCanvas()->GetPen();
  const TColor color = pen->GetColor();
  const TPenStyle style = pen->GetStyle();
  pen->SetColor(clRed);
  pen->SetStyle(psDot);
  GridPolyline(GetCanvas(),
               {TPoint(rect.Left + 2, rect.Bottom - 1), TPoint(rect.Right - 3, rect.Bottom - 1)});
  pen->SetColor(color);
  pen->SetStyle(style);
}

bool TCustomDBGridEh::IsGridCellSelected(TCellAreaTypeEh area, Integer dataCol) const {
  const TDBGridEhSelectionType kind = selection_->GetSelectionType();
  if (kind == gstAll) return true;
  if (kind != gstColumns || area.HorzType != hctDataEh) return false;
  TColumnEh* column = dataCol >= 0 && dataCol < GetVisibleColumns()->GetCount()
                          ? GetVisibleColumns()->GetColumn(dataCol)
                          : nullptr;
  return column && selection_->GetColumns()->IndexOf(column) >= 0;
}

bool TCustomDBGridEh::HighlightDataCellColor(Integer dataCol, Integer dataRow, const String& value,
                                             TGridDrawState state, TColor& color, TFont* font) {
  if (suppressHighlight_) return false;
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  bool bySelection = false;
  if (link->GetActive() && selection_->GetSelectionType() != gstNon) {
    TColumnEh* column = dataCol >= 0 && dataCol < GetVisibleColumns()->GetCount()
                            ? GetVisibleColumns()->GetColumn(dataCol)
                            : nullptr;
    const Integer selCol =
        selection_->GetSelectionType() == gstColumns ? (column ? column->GetIndex() : -1) : dataCol;
    bySelection = selection_->DataCellSelected(selCol, link->GetDataSet()->GetBookmark());
  }
  if (style_) {
    return style_->HighlightDataCellColor(this, dataCol + indicatorOffset_, dataRow + TopDataOffset(),
                                          dataCol, dataRow, value, state, bySelection, color, font);
  }
  const bool rowSelect = options_.Contains(dgRowSelect);
  const bool currentRow = PaintedRowIsCurrent(dataRow);
  const bool rowHighlight = optionsEh_.Contains(dghRowHighlight) && currentRow &&
                            selection_->GetSelectionType() == gstNon && dataCol != GridColToDataCol(GetCol());
  const bool f = (Focused() && optionsEh_.Contains(dghHighlightFocus)) || rowHighlight;
  bool highlighted = bySelection;
  if (!highlighted) {
    const bool selectedState = state.Contains(gdSelected) || (currentRow && rowSelect) || rowHighlight;
    highlighted = selectedState && (options_.Contains(dgAlwaysShowSelection) || f) &&
                  (GetUpdateLock() == 0 || rowSelect);
  }
  if (!highlighted) return false;
  const bool current = currentRow && (rowSelect || dataCol == GridColToDataCol(GetCol()));
  if (HasFocusWithin()) {
    color = clHighlight;
    if (font) font->SetColor(clHighlightText);
  } else if (current && (f || options_.Contains(dgAlwaysShowSelection))) {
    color = clBtnShadow;
    if (font) font->SetColor(clHighlightText);
  } else {
    color = clBtnFace;
  }
  return true;
}

// The current row and the hot-tracked cell are filled with a soft gradient under themes.
bool TCustomDBGridEh::CheckFillDataCell(TGridCoord cell, TGridCoord areaCell, TAxisBarEh* bar,
                                        const TRect& areaRect, TAxisColCellParamsEh* params) {
  if (ThemesEnabledEh()) {
    const bool currentRow = cell.Y == GetRow();
    const TGridCoord hot = GetHotTrackCell();
    const bool rowHighlight =
        optionsEh_.Contains(dghRowHighlight) && currentRow && !params->State.Contains(gdCurrent);
    const bool hotTrack =
        (params->State.Contains(gdHotTrack) && optionsEh_.Contains(dghHotTrack)) ||
        (optionsEh_.Contains(dghRowHighlight) && optionsEh_.Contains(dghHotTrack) && hot.Y == cell.Y);
    if (rowHighlight || hotTrack) {
      TCanvas* canvas = GetCanvas();
      const TColor brush = StyleServices()->GetSystemColor(canvas->GetBrush()->GetColor());
      if (params->State.Contains(gdFocused))
        canvas->FillRect(areaRect);
      else
        FillVertGradientRectEh(
            canvas, areaRect, MixColorsEh(brush, StyleServices()->GetSystemColor(clBtnHighlight), 85), brush);
      return true;
    }
  }
  // A raised data cell of a flat grid under themes is filled as the fixed cells are.
  if (ThemesEnabledEh() && GetFlat() && IsCell3D(cell.X, cell.Y, params->State) &&
      !params->State.Contains(gdSelected)) {
    TFixedCellPaintEh fixed;
    fixed.FillStyle = GetFixedCellDrawStyle() == 3 ? cfstGradientEh : cfstSolidEh;
    fixed.FillColor = GetCanvas()->GetBrush()->GetColor();
    fixed.Pressed = params->State.Contains(gdFocused);
    PaintFixedCellBackground(GetCanvas(), areaRect, fixed);
    return true;
  }
  return TCustomDBAxisGridEh::CheckFillDataCell(cell, areaCell, bar, areaRect, params);
}

Integer TCustomDBGridEh::GetFixedCellDrawStyle() const {
  if (GetFlat()) return optionsEh_.Contains(dghFixed3D) ? 3 : 2;
  return ThemesEnabledEh() ? 1 : 2;
}

bool TCustomDBGridEh::IsCell3D(Integer col, Integer row, TGridDrawState state) {
  const Integer dataCol = col - indicatorOffset_, dataRow = row - TopDataOffset();
  const bool footerRow = row >= GetRowCount();
  if (state.Contains(gdFixed) && (dataCol < 0 || dataRow < 0) && !footerRow)
    return optionsEh_.Contains(dghFixed3D);
  if (footerRow) return optionsEh_.Contains(dghFooter3D) && footerRowCount_ > 0;
  if (dataCol >= 0 && dataCol < frozenCols_ && dataRow >= 0 && optionsEh_.Contains(dghFrozen3D)) return true;
  return !state.Contains(gdFixed) && optionsEh_.Contains(dghData3D);
}

void TCustomDBGridEh::DefaultDrawColumnCell(const TRect& rect, Integer, TColumnEh* column, TGridDrawState) {
  Integer dx = 2, dy = GetFlat() ? 1 : 2;
  TRect r = rect;
  if (optionsEh_.Contains(dghFooter3D)) {
    InflateRect(&r, -1, -1);
    --dx;
    --dy;
  }
  TCanvas* canvas = GetCanvas();
  switch (column->GetBarType()) {
    case ctKeyImageList: {
      canvas->FillRect(r);
      TField* field = column->GetField();
      Integer index =
          field ? column->GetKeyList()->IndexOf(field->GetText()) : CurrentColCellParams()->ImageIndex;
      if (index == -1) index = column->GetNotInKeyListIndex();
      if (column->GetImageList() && index >= 0)
        DrawImageInRectEh(column->GetImageList(), nullptr, canvas, r, index, 0, 0, taCenter, r, 1.0, true);
      break;
    }
    case ctCheckboxes: {
      canvas->FillRect(r);
      TRect box = r;
      CenterCheckBoxRect(box);
      DrawCellCheckBox(canvas, box, column->GetCheckboxState(), GetFlat());
      break;
    }
    case ctGraphicData:
      DrawGraphicCell(canvas, column, 1.0, true, canvas->GetBrush()->GetColor(), r);
      break;
    default: {
      const bool wrap = column->GetWordWrap() && column->CurLineWordWrap(stdDefaultRowHeight_);
      String text = column->DisplayText();
      // Called while a row is painted: that row's neighbour above decides a hidden duplicate.
      if (column->GetHideDuplicates() && paintedDataRow_ >= 0 &&
          CheckColumnDuplicateValues(column, paintedDataRow_, text, true))
        text.clear();
      WriteCellText(canvas, r, true, dx, dy, text, column->GetAlignment(), column->GetLayout(), wrap,
                    column->GetEndEllipsis(), 0, 0);
      break;
    }
  }
}

void TCustomDBGridEh::DefaultDrawDataCell(const TRect& rect, TField* field, TGridDrawState) {
  DrawTextAlignedEh(GetCanvas(), rect, 2, 2, field ? field->GetDisplayText() : String(),
                    field ? field->GetAlignment() : taLeftJustify);
}
