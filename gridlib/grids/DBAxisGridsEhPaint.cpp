// Painting one data cell of the axis grid: the background, the highlight of the selected cell, the 3-D
// frame and the content by the bar's type (text, key image, check box, picture). The painting only
// reads the record the descendant made current; it never moves the dataset.
#include <cmath>
#include <memory>

#include "gridlib/grids/DBAxisGridsEh.h"
#include "platform/graphics/Themes.h"

void TCustomDBAxisGridEh::DefaultDrawDataCell(TGridCoord cell, TGridCoord areaCell, TAxisBarEh* bar,
                                              const TRect& areaRect, TAxisColCellParamsEh* params) {
  TAxisColCellParamsEh* cp = CurrentColCellParams();
  TRect r = areaRect;
  const TRect frame = areaRect;
  bool is3D = IsCell3D(cell.X, cell.Y, params->State);
  if (cp->BlankCell && !is3D) is3D = IsFixed3D();
  const bool themed = params->DrawCellByThemes;
  cp->xFrameOffs_ = bar ? bar->GetDataCellHorzOffset() : 3;
  if (is3D) {
    --cp->xFrameOffs_;
    if (themed) {
      r.Right += 2;
      r.Bottom += 2;
    } else if (GetFlat()) {
      ++r.Left;
      ++r.Top;
    } else {
      InflateRect(&r, -1, -1);
    }
  }
  cp->yFrameOffs_ = std::min<Integer>(cp->xFrameOffs_, 2);
  if (GetFlat() && cp->yFrameOffs_ > 0) --cp->yFrameOffs_;
  if (!cp->SuppressActiveCellColor && cp->BlankCell) cp->Background = GetFixedColor();
  const bool current = cell.Y == GetRow() && (cell.X == GetCol() || GetOptions().Contains(goRowSelectEh));
  if (cp->SuppressActiveCellColor && current)
    cp->Highlight = false;
  else
    cp->Highlight = HighlightDataCellColor(areaCell.X, areaCell.Y, cp->Text, cp->State, cp->Background,
                                           GetCanvas()->GetFont());
  if (cp->Highlight) cp->State.Include(gdSelected);
  GetCanvas()->GetBrush()->SetColor(cp->Background);
  FillDataCellBackground(cell, areaCell, cp, r, bar);
  if (!cp->BlankCell && defaultDrawing_ && r.Right > r.Left) {
    // The buffer's box when the grid knows the cell's bar; laid out here for a descendant that does not.
    TInCellPlaceBoxEh* box = GetCellPlaceBox(cell.X, cell.Y);
    if (!box || box->GetChildCount() == 0) {
      box = drawPlaceBox_.get();
      FillCellPlaceBoxForRect(cell.X, cell.Y, box, bar, TRect(0, 0, areaRect.Width(), areaRect.Height()));
    }
    DrawCellPlaceBoxes(cell, areaCell, box, areaRect, cp, bar);
  } else if (cp->BlankCell) {
    GetCanvas()->GetBrush()->SetColor(GetFixedColor());
    GetCanvas()->FillRect(r);
  }
  if (is3D && !themed) {
    TRect f = frame;
    DrawEdge(GetCanvas()->GetHandle(), &f, BDR_RAISEDINNER, GetFlat() ? BF_RECT | BF_FLAT : BF_RECT);
  }
}

bool TCustomDBAxisGridEh::CheckFillDataCell(TGridCoord cell, TGridCoord, TAxisBarEh*, const TRect& areaRect,
                                            TAxisColCellParamsEh* params) {
  TAxisColCellParamsEh* cp = CurrentColCellParams();
  if (IsCell3D(cell.X, cell.Y, params->State) && !cp->State.Contains(gdSelected) &&
      (params->DrawCellByThemes || (GetFlat() && ThemesEnabledEh()))) {
    GetCanvas()->FillRect(areaRect);
    return true;
  }
  return false;
}

void TCustomDBAxisGridEh::FillDataCellBackground(TGridCoord cell, TGridCoord areaCell,
                                                 TAxisColCellParamsEh* params, const TRect& rect,
                                                 TAxisBarEh* bar) {
  params->CellBackgroundDrawnByThemed = false;
  params->IsCellFilled = CheckFillDataCell(cell, areaCell, bar, rect, params);
  if (IsBackgroundShowing() && GetCanvas()->GetBrush()->GetColor() == GetInternalColor())
    params->IsCellFilled = true;
  if (!params->IsCellFilled) {
    GetCanvas()->FillRect(rect);
    params->IsCellFilled = true;
  }
}

bool TCustomDBAxisGridEh::HighlightDataCellColor(Integer, Integer, const String&, TGridDrawState state,
                                                 TColor& color, TFont* font) {
  const bool result = Focused() && state.Contains(gdSelected);
  if (!result) return false;
  if (HasFocusWithin() && !IsThemedSelectionCell(state)) {
    color = clHighlight;
    if (font) font->SetColor(clHighlightText);
  } else {
    color = clBtnFace;
  }
  return true;
}

void TCustomDBAxisGridEh::DrawDataCellContent(TGridCoord cell, TGridCoord, const TRect& rect,
                                              TAxisColCellParamsEh* params, const TRect& areaRect,
                                              TAxisBarEh* bar) {
  TRect r = rect;
  OffsetRect(&r, areaRect.Left, areaRect.Top);
  if (r.Right <= r.Left || !bar) return;
  TCanvas* canvas = GetCanvas();
  if (params->Highlight && IsThemedSelectionCell(params->State)) {
    if (!params->IsCellFilled) {
      canvas->FillRect(r);
      params->IsCellFilled = true;
    }
    DrawThemedCellSelection(cell.X, cell.Y, params->State, r);
    params->CellBackgroundDrawnByThemed = true;
  }
  if (bar->GetImageList() && bar->GetShowImageAndText()) {
    TRect imageRect = r;
    imageRect.Right = r.Left + bar->GetImageList()->GetWidth() + 4;
    canvas->GetBrush()->SetColor(bar->GetColor());
    if (!params->IsCellFilled) canvas->FillRect(r);
    DrawImageInRectEh(bar->GetImageList(), nullptr, canvas, imageRect, params->ImageIndex, 0, 0, taCenter,
                      imageRect, 1, true);
    canvas->GetBrush()->SetColor(params->Background);
    r.Left = imageRect.Right + 1;
  }
  switch (bar->GetBarType()) {
    case ctKeyImageList:
      if (!params->IsCellFilled) canvas->FillRect(r);
      if (bar->GetImageList())
        DrawImageInRectEh(bar->GetImageList(), nullptr, canvas, r, params->ImageIndex, 0, 0, taCenter, r, 1,
                          true);
      break;
    case ctCheckboxes: {
      if (!params->IsCellFilled) canvas->FillRect(r);
      const Integer w = CheckBoxWidthEh(), h = CheckBoxHeightEh();
      TRect box = r;
      if (r.Width() >= w) {
        box.Left = r.Left + (r.Width() / 2 - w / 2);
        box.Right = box.Left + w;
      }
      if (r.Height() >= h) {
        box.Top = r.Top + (r.Height() / 2 - h / 2);
        box.Bottom = box.Top + h;
      }
      DrawCellCheckBox(canvas, box, params->CheckboxState, GetFlat());
      break;
    }
    case ctGraphicData:
      DrawGraphicCell(canvas, bar, 1.0, !params->IsCellFilled, canvas->GetBrush()->GetColor(), r);
      break;
    default:
      DrawDataCellText(params, r, canvas, bar);
      break;
  }
}

void TCustomDBAxisGridEh::DrawDataCellText(TAxisColCellParamsEh* params, const TRect& rect, TCanvas* canvas,
                                           TAxisBarEh* bar) {
  const bool wordWrap = bar->GetWordWrap() && bar->CurLineWordWrap(rect.Height());
  DrawCellTextEh(canvas, rect, !params->IsCellFilled, params->GetXFrameOffs(), params->GetYFrameOffs(),
                 params->Text, params->Alignment, bar->GetLayout(), wordWrap, bar->GetEndEllipsis(), 0, 0,
                 false, !wordWrap);
}

void TCustomDBAxisGridEh::DrawCellCheckBox(TCanvas* canvas, const TRect& rect, TCheckBoxState state,
                                           bool flat) {
  DrawCheckBoxEh(canvas->GetHandle(), rect, state, true, flat, false, true);
}

void TCustomDBAxisGridEh::DrawGraphicCell(TCanvas* canvas, TAxisBarEh* bar, double zoom, bool fill, TColor,
                                          const TRect& r) {
  TField* field = bar->GetField();
  auto drawCentred = [&](const String& text) {
    canvas->GetFont()->Assign(GetFont());
    const Integer w = canvas->TextWidth(text), h = canvas->TextHeight(text);
    canvas->TextRect(r, (r.Left + r.Right - w) / 2, (r.Top + r.Bottom - h) / 2, text);
  };
  if (!drawGraphicData_) {
    drawCentred(field ? field->GetDisplayText() : String());
    return;
  }
  try {
    std::unique_ptr<TPicture> picture(CreatePictureFromFieldEh(field));
    TGraphic* graphic = picture ? picture->GetGraphic() : nullptr;
    const Integer w = picture ? static_cast<Integer>(std::trunc(picture->GetWidth() * zoom)) : 0;
    const Integer h = picture ? static_cast<Integer>(std::trunc(picture->GetHeight() * zoom)) : 0;
    if (fill) canvas->FillRect(r);
    if (!graphic || graphic->GetEmpty() || w <= 0 || h <= 0) return;
    TRect target(r.Left, r.Top, r.Left + w, r.Top + h);
    if (w > r.Width() || h > r.Height()) {
      const double rx = static_cast<double>(w) / r.Width(), ry = static_cast<double>(h) / r.Height();
      if (ry >= rx)
        target = TRect(r.Left, r.Top, r.Left + static_cast<Integer>(std::lround(w / ry)), r.Bottom);
      else
        target = TRect(r.Left, r.Top, r.Right, r.Top + static_cast<Integer>(std::lround(h / rx)));
    }
    OffsetRect(&target, (r.Right + target.Left - r.Left - target.Right) / 2,
               (r.Bottom + target.Top - r.Top - target.Bottom) / 2);
    canvas->StretchDraw(target, graphic);
  } catch (const EInvalidGraphic& e) {
    drawCentred(e.Message() + u" - Incorrect image format.");
  }
}
