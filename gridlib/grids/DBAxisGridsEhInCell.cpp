// What sits inside the data cells of the axis grid: the layout of a cell into place boxes (data area,
// edit buttons, cell buttons), the buffer of the visible cells' boxes that mouse hits are looked up in,
// the painting of buttons in cells, the mouse presses that reach them, and the current cell's button
// box of bars that show no text editor.
#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/grids/DBAxisGridsEh.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

TDrawButtonControlStyleEh PainterStyleOf(TEditButtonStyleEh style) {
  switch (style) {
    case ebsEllipsisEh:
      return bcsEllipsisEh;
    case ebsUpDownEh:
      return bcsUpDownEh;
    case ebsPlusEh:
      return bcsPlusEh;
    case ebsMinusEh:
      return bcsMinusEh;
    case ebsAltDropDownEh:
      return bcsAltDropDownEh;
    case ebsAltUpDownEh:
      return bcsAltUpDownEh;
    default:
      return bcsDropDownEh;
  }
}

bool IsUpDownButtonStyle(TEditButtonStyleEh style) { return style == ebsUpDownEh || style == ebsAltUpDownEh; }

}  // namespace

// ======================= The buffer of visible boxes =======================

TCellPlaceBoxVisibleListEh::~TCellPlaceBoxVisibleListEh() { Reset(); }

TPoint TCellPlaceBoxVisibleListEh::GridToPlaceBoxArrayCoord(TPoint gridCoord) const {
  TGridAxisDataEh* h = grid_->GetHorzAxis();
  TGridAxisDataEh* v = grid_->GetVertAxis();
  return TPoint(GridToPlaceBoxAxisCoordEh(gridCoord.X, h->GetFixedCelCount(), h->GetRolStartVisCel(),
                                          h->GetRolLastVisCel(), h->GetCelCount()),
                GridToPlaceBoxAxisCoordEh(gridCoord.Y, v->GetFixedCelCount(), v->GetRolStartVisCel(),
                                          v->GetRolLastVisCel(), v->GetCelCount()));
}

void TCellPlaceBoxVisibleListEh::Clear() {
  for (auto& column : buffer_)
    for (auto& box : column) box->Clear();
}

void TCellPlaceBoxVisibleListEh::ValidateBuffer() {
  if (!bufferValid_) UpdateData();
}

void TCellPlaceBoxVisibleListEh::Reset() {
  buffer_.clear();
  bufferValid_ = false;
}

void TCellPlaceBoxVisibleListEh::SetColRowCount(Integer colCount, Integer rowCount) {
  if (static_cast<Integer>(buffer_.size()) < colCount) buffer_.resize(static_cast<size_t>(colCount));
  for (Integer c = 0; c < colCount; ++c) {
    auto& column = buffer_[static_cast<size_t>(c)];
    while (static_cast<Integer>(column.size()) < rowCount)
      column.push_back(std::make_unique<TInCellPlaceBoxEh>());
  }
}

TInCellPlaceBoxEh* TCellPlaceBoxVisibleListEh::GetPlaceBox(Integer col, Integer row) const {
  if (col < 0 || row < 0 || col >= static_cast<Integer>(buffer_.size())) return nullptr;
  const auto& column = buffer_[static_cast<size_t>(col)];
  return row < static_cast<Integer>(column.size()) ? column[static_cast<size_t>(row)].get() : nullptr;
}

namespace {

// The grid coordinates of one axis in buffer order: fixed, visible rolling, contra.
std::vector<Integer> PlaceBoxAxisCells(TGridAxisDataEh* axis) {
  std::vector<Integer> cells;
  const Integer fixed = axis->GetFixedCelCount();
  for (Integer i = 0; i < fixed; ++i) cells.push_back(i);
  if (axis->GetRolCelCount() > 0) {
    const Integer first = axis->GetRolStartVisCel(), last = axis->GetRolLastVisCel();
    for (Integer i = first; i <= last; ++i) cells.push_back(fixed + i);
  }
  for (Integer i = 0; i < axis->GetContraCelCount(); ++i) cells.push_back(axis->GetCelCount() + i);
  return cells;
}

}  // namespace

void TCellPlaceBoxVisibleListEh::UpdateData() {
  const std::vector<Integer> cols = PlaceBoxAxisCells(grid_->GetHorzAxis());
  const std::vector<Integer> rows = PlaceBoxAxisCells(grid_->GetVertAxis());
  SetColRowCount(static_cast<Integer>(cols.size()), static_cast<Integer>(rows.size()));
  for (size_t c = 0; c < cols.size(); ++c)
    for (size_t r = 0; r < rows.size(); ++r)
      grid_->UpdatePlaceBoxListForCell(cols[c], rows[r], buffer_[c][r].get());
  bufferValid_ = true;
}

// ======================= Laying out a cell =======================

void TCustomDBAxisGridEh::FillCellPlaceBox(Integer col, Integer row, TInCellPlaceBoxEh* box,
                                           TAxisBarEh* bar) {
  const TRect cell = CellRect(col, row, false);
  const TRect withLines = CellRect(col, row, true);
  // Sized like the whole column and row, less the lines drawn at the right and bottom.
  TRect r(0, 0, GetColWidths(col) - (withLines.Width() - cell.Width()),
          GetRowHeights(row) - (withLines.Height() - cell.Height()));
  FillCellPlaceBoxForRect(col, row, box, bar, r);
}

void TCustomDBAxisGridEh::FillCellPlaceBoxForRect(Integer col, Integer row, TInCellPlaceBoxEh* box,
                                                  TAxisBarEh* bar, TRect r) {
  box->Clear();
  if (!bar) return;
  if (IsCell3D(col, row, TGridDrawState{})) InflateRect(&r, -1, -1);
  box->SetAreaRect(r);
  const Integer extra = GetFlat() && !ThemesEnabledEh() ? 1 : 0;
  const Integer buttonHeight = std::min(bar->CalcEditButtonHeight(), r.Height());
  TInCellPlaceBoxEh* data = box->AddChild();
  struct Placed {
    TInCellPlaceBoxEh* box;
    Integer width;
  };
  std::vector<Placed> leftCells, editButtons, rightCells;
  auto add = [&](std::vector<Placed>& list, TEditButtonEh* button, Integer width) {
    TInCellPlaceBoxEh* child = box->AddChild();
    child->SetControl(button);
    list.push_back({child, width});
  };
  auto furtherWidth = [&](TEditButtonEh* b) {
    return extra + (b->GetWidth() >= 1 ? b->GetWidth() + extra : inplaceEditorButtonWidth_);
  };
  if (bar->CanShowEditButton()) {
    if (bar->GetEditButton()->GetVisible())
      add(editButtons, bar->GetEditButton(), bar->EditButtonWidth(bar->GetEditButton()));
    for (Integer i = 0; i < bar->GetEditButtons()->GetCount(); ++i) {
      TEditButtonEh* b = bar->GetEditButtons()->GetEditButton(i);
      if (b->GetVisible()) add(editButtons, b, furtherWidth(b));
    }
  }
  for (Integer i = 0; i < bar->GetCellButtons()->GetCount(); ++i) {
    TCellButtonEh* b = bar->GetCellButtons()->GetCellButton(i);
    if (b->GetVisible())
      add(b->GetHorzPlacement() == ebhpLeftEh ? leftCells : rightCells, b, furtherWidth(b));
  }
  Integer buttonsWidth = 0;
  for (const auto* list : {&leftCells, &editButtons, &rightCells})
    for (const Placed& p : *list) buttonsWidth += p.width;
  Integer x = r.Left;
  auto place = [&](const std::vector<Placed>& list) {
    for (const Placed& p : list) {
      const TRect client(x, r.Top, x + p.width, r.Top + buttonHeight);
      p.box->SetCtrlClientRect(client);
      p.box->SetControlRect(client);
      p.box->SetAreaRect(TRect(x, r.Top, x + p.width, r.Bottom));
      x += p.width;
    }
  };
  place(leftCells);
  const TRect dataRect(x, r.Top, std::max(x, x + r.Width() - buttonsWidth), r.Bottom);
  data->SetCtrlClientRect(dataRect);
  data->SetAreaRect(dataRect);
  x = dataRect.Right;
  place(editButtons);
  place(rightCells);
}

TInCellPlaceBoxEh* TCustomDBAxisGridEh::GetCellPlaceBox(Integer col, Integer row) {
  if (!cellPlaceBoxVisibleList_) return nullptr;
  cellPlaceBoxVisibleList_->ValidateBuffer();
  TGridAxisDataEh* h = GetHorzAxis();
  TGridAxisDataEh* v = GetVertAxis();
  // A rolling cell scrolled out of sight has no box.
  auto visible = [](TGridAxisDataEh* axis, Integer i) {
    if (i < axis->GetFixedCelCount() || i >= axis->GetCelCount()) return true;
    const Integer rolling = i - axis->GetFixedCelCount();
    return rolling >= axis->GetRolStartVisCel() && rolling <= axis->GetRolLastVisCel();
  };
  if (col < 0 || row < 0 || !visible(h, col) || !visible(v, row)) return nullptr;
  const TPoint at = cellPlaceBoxVisibleList_->GridToPlaceBoxArrayCoord(TPoint(col, row));
  return cellPlaceBoxVisibleList_->GetPlaceBox(at.X, at.Y);
}

TInCellPlaceBoxEh* TCustomDBAxisGridEh::GetInCellControlAtPos(Integer col, Integer row, Integer y, Integer x,
                                                              TAxisBarEh*) {
  TInCellPlaceBoxEh* box = GetCellPlaceBox(col, row);
  return box ? box->GetChildAtPos(x, y) : nullptr;
}

void TCustomDBAxisGridEh::UpdatePlaceBoxListForCell(Integer col, Integer row, TInCellPlaceBoxEh* box) {
  const bool data =
      col >= GetFixedColCount() && col < GetColCount() && row >= GetFixedRowCount() && row < GetRowCount();
  TAxisBarEh* bar = data ? GetCellAxisBar(col, row) : nullptr;
  if (bar)
    FillCellPlaceBox(col, row, box, bar);
  else
    box->Clear();
}

// ======================= Drawing buttons in cells =======================

void TCustomDBAxisGridEh::DrawCellPlaceBoxes(TGridCoord cell, TGridCoord areaCell, TInCellPlaceBoxEh* box,
                                             const TRect& areaRect, TAxisColCellParamsEh* params,
                                             TAxisBarEh* bar) {
  TCanvas* canvas = GetCanvas();
  const TColor background = canvas->GetBrush()->GetColor();
  for (Integer i = 0; i < box->GetChildCount(); ++i) {
    TInCellPlaceBoxEh* child = box->GetChildItem(i);
    TObject* control = child->GetControl();
    canvas->GetBrush()->SetColor(background);
    if (!control)
      DrawDataCellContent(cell, areaCell, child->GetCtrlClientRect(), params, areaRect, bar);
    else if (auto* inCell = dynamic_cast<IInCellControlEh*>(control))
      inCell->DrawInCell(this, canvas, cell, child, areaRect, bar);
    else if (auto* button = dynamic_cast<TEditButtonEh*>(control))
      DrawInCellEditButton(canvas, cell, child, areaRect, bar, button);
  }
  canvas->GetBrush()->SetColor(background);
}

void TCustomDBAxisGridEh::DrawInCellEditButton(TCanvas* canvas, TGridCoord cell, TInCellPlaceBoxEh* box,
                                               const TRect& cellRect, TAxisBarEh* bar,
                                               TEditButtonEh* button) {
  TRect control = box->GetCtrlClientRect();
  OffsetRect(&control, cellRect.Left, cellRect.Top);
  Integer transparency = GetEditButtonTransparency(cell.X, cell.Y, button, 0, bar);
  const bool hot = IsMouseInRect(control);
  bool back = true;
  switch (button->GetDrawBackTime()) {
    case edbtAlwaysEh:
      if (hot) transparency = 0;
      break;
    case edbtNeverEh:
      back = false;
      transparency = 0;
      break;
    default:
      back = hot;
      transparency = 0;
      break;
  }
  const bool pressed = IsMouseDownPlace(cell, button) && !IsUpDownButtonStyle(button->GetStyle());
  TEditButtonImagesEh* images = button->GetImages();
  DrawEditButton(bar, canvas, back, images->GetNormalIndex(), images->GetNormalImages(), transparency,
                 button->GetGlyph(), canvas->GetBrush()->GetColor(), dataLink_->GetActive(), GetFlat(), hot,
                 pressed ? 1 : 0, cellRect, control, button->GetStyle());
}

void TCustomDBAxisGridEh::DrawEditButton(TAxisBarEh* bar, TCanvas* canvas, bool drawBack, Integer imageIndex,
                                         TCustomImageList* images, Integer transparency, TBitmap* glyph,
                                         TColor fillColor, bool enabled, bool flat, bool hot,
                                         Integer downButton, const TRect& masterRect, TRect buttonRect,
                                         TEditButtonStyleEh style) {
  const bool rightToLeft = GetCanvasRightToLeftReflected() || (bar && bar->UseRightToLeftAlignment());
  if (rightToLeft) OffsetRect(&buttonRect, -1, 0);
  TRect visible;
  if (!IntersectRect(&visible, buttonRect, masterRect)) return;
  const bool clip = !(visible == buttonRect);
  // A translucent button is painted on the shared scratch bitmap over the fill, then blended in.
  TCacheAlphaBitmapEh* scratch = nullptr;
  TCanvas* target = canvas;
  if (transparency > 0) {
    if (fillColor != clNone) {
      canvas->GetBrush()->SetColor(fillColor);
      canvas->FillRect(visible);
    }
    if (transparency >= 100) return;
    scratch = GetCacheAlphaBitmapEh(std::max(GetClientWidth(), buttonRect.Right),
                                    std::max(GetClientHeight(), buttonRect.Bottom));
    scratch->Capture();
    target = scratch->GetCanvas();
    target->GetBrush()->SetColor(fillColor == clNone ? canvas->GetBrush()->GetColor() : fillColor);
    target->FillRect(buttonRect);
  }
  auto release = MakeScopeExit([scratch] {
    if (scratch) scratch->Release();
  });
  HRGN saved = nullptr;
  if (clip) saved = SelectClipRectEh(target, masterRect);
  if (flat && !ThemesEnabledEh()) {
    // A flat button without themes is set off from the text by a line of its own, on its leading edge.
    target->GetBrush()->SetColor(hot || fillColor == clNone ? clBtnFace : fillColor);
    if (rightToLeft) {
      target->FillRect(TRect(buttonRect.Right - 1, buttonRect.Top, buttonRect.Right, buttonRect.Bottom));
      --buttonRect.Right;
    } else {
      target->FillRect(TRect(buttonRect.Left, buttonRect.Top, buttonRect.Left + 1, buttonRect.Bottom));
      ++buttonRect.Left;
    }
  }
  if (style == ebsGlyphEh) {
    if (drawBack) {
      DrawButtonFrameEh(target, buttonRect, fillColor, enabled, hot, flat, downButton > 0);
      InflateRect(&buttonRect, -2, -2);
    } else if (fillColor != clNone) {
      target->GetBrush()->SetColor(fillColor);
      target->FillRect(buttonRect);
    }
    const Integer shift = downButton > 0 ? 1 : 0;
    if (images && imageIndex >= 0) {
      const Integer x = (buttonRect.Left + buttonRect.Right - images->GetWidth()) / 2 + shift;
      const Integer y = (buttonRect.Top + buttonRect.Bottom - images->GetHeight()) / 2 + shift;
      images->Draw(target, x, y, imageIndex, enabled);
    } else if (glyph && !glyph->GetEmpty()) {
      target->Draw((buttonRect.Left + buttonRect.Right - glyph->GetWidth()) / 2 + shift,
                   (buttonRect.Top + buttonRect.Bottom - glyph->GetHeight()) / 2 + shift, glyph);
    }
  } else {
    DrawButtonControlEh(target, buttonRect, fillColor, PainterStyleOf(style), downButton, flat, hot, enabled,
                        cbUnchecked, 1.0, drawBack);
  }
  if (clip) RestoreClipRgnEh(target, saved);
  if (!scratch) return;
  BLENDFUNCTION blend;
  blend.BlendOp = AC_SRC_OVER;
  blend.SourceConstantAlpha = static_cast<Byte>(static_cast<Integer>((100 - transparency) * 2.55));
  blend.AlphaFormat = GetGridLibManager()->GetUseAlphaFormatInAlphaBlend() ? AC_SRC_ALPHA : 0;
  AlphaBlend(canvas->GetHandle(), visible.Left, visible.Top, visible.Width(), visible.Height(),
             target->GetHandle(), visible.Left, visible.Top, visible.Width(), visible.Height(), blend);
}

// ======================= Presses on in-cell controls =======================

bool TCustomDBAxisGridEh::IsMouseDownPlace(TGridCoord cell, TObject* control) const {
  return mouseDownInCellPlaceBox_ && mouseDownInCellPlaceBox_->GetControl() == control &&
         inCellMouseDownCell_.X == cell.X && inCellMouseDownCell_.Y == cell.Y;
}

void TCustomDBAxisGridEh::SetMouseDownInCellPlaceBox(TInCellPlaceBoxEh* box, TGridCoord cell) {
  mouseDownInCellPlaceBox_ = box;
  inCellMouseDownCell_ = cell;
  if (box) InvalidateCell(cell.X, cell.Y);
}

void TCustomDBAxisGridEh::ReleaseInCellPress() {
  if (!mouseDownInCellPlaceBox_) return;
  const TGridCoord cell = inCellMouseDownCell_;
  mouseDownInCellPlaceBox_ = nullptr;
  inCellMouseDownCell_ = TGridCoord{-1, -1};
  if (cell.X < GetColCount() && cell.Y < GetRowCount()) InvalidateCell(cell.X, cell.Y);
}

// A press on a control drawn in a data cell goes to that control: a cell button takes it itself (the
// cell becomes current), an edit button opens the cell editor, whose button takes it.
bool TCustomDBAxisGridEh::InCellMouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  if (button != mbLeft || shift.Contains(ssDouble)) return false;
  const TGridCoord cell = MouseCoord(x, y);
  if (cell.X < GetFixedColCount() || cell.Y < GetFixedRowCount() || cell.X >= GetColCount() ||
      cell.Y >= GetRowCount())
    return false;
  const TRect r = CellRect(cell.X, cell.Y, true);
  TInCellPlaceBoxEh* child =
      GetInCellControlAtPos(cell.X, cell.Y, y - r.Top, x - r.Left, GetCellAxisBar(cell.X, cell.Y));
  auto* control = child ? dynamic_cast<IInCellControlEh*>(child->GetControl()) : nullptr;
  if (!control) return false;
  if (!control->InCellMouseDownShowsEditor()) {
    if (!HasFocusWithin() && CanFocus()) SetFocus();
    if (cell.X != GetCol() || cell.Y != GetRow()) FocusCell(cell.X, cell.Y, true);
    const TRect c = child->GetCtrlClientRect();
    control->InCellMouseDown(this, cell, x - r.Left - c.Left, y - r.Top - c.Top, shift, button, child);
    return true;
  }
  inherited::MouseDown(button, shift, x, y);
  ShowEditor();
  TDBAxisGridInplaceEdit* editor = GetAxisInplaceEditor();
  if (editor && editor->Visible()) {
    bool autoRepeat = false, handled = false;
    editor->EditButtonDown(nullptr, true, autoRepeat, handled);
  }
  return true;
}

void TCustomDBAxisGridEh::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TInCellPlaceBoxEh* box = mouseDownInCellPlaceBox_;
  if (!box) return inherited::MouseUp(button, shift, x, y);
  const TGridCoord cell = inCellMouseDownCell_;
  const TRect r = CellRect(cell.X, cell.Y, true);
  const TRect c = box->GetCtrlClientRect();
  if (auto* control = dynamic_cast<IInCellControlEh*>(box->GetControl()))
    control->InCellMouseUp(this, cell, x - r.Left - c.Left, y - r.Top - c.Top, shift, button, box);
  ReleaseInCellPress();
}

// ======================= The current cell's button box =======================

TEditButtonsBoxEh* TCustomDBAxisGridEh::GetEditButtonsBox() {
  if (!editButtonsBox_) {
    editButtonsBox_ = new TEditButtonsBoxEh(this);
    editButtonsBox_->SetBounds(0, 0, 0, 0);
    editButtonsBox_->SetVisible(false);
    editButtonsBox_->SetParent(this);
    editButtonsBox_->OnCreateEditButtonControl = [this](TObject*, TEditButtonControlEh*& control) {
      CreateEditButtonControl(control);
    };
  }
  return editButtonsBox_;
}

void TCustomDBAxisGridEh::CreateEditButtonControl(TEditButtonControlEh*& control) {
  control = new TEditButtonControlEh(this);
  control->SetBounds(0, 0, 10, 17);
  control->SetVisible(true);
}

bool TCustomDBAxisGridEh::EditButtonsBoxVisible() { return editButtonsBox_ && editButtonsBox_->GetVisible(); }

void TCustomDBAxisGridEh::HideEditButtonsBox() {
  if (EditButtonsBoxVisible()) editButtonsBox_->SetVisible(false);
}

void TCustomDBAxisGridEh::PlaceEditButtonsBox() {
  if (!axisBars_ || IsDestroying()) return;
  const Integer index = GetSelectedIndex();
  TAxisBarEh* bar = index >= 0 && index < axisBars_->GetCount() ? axisBars_->GetAxisBar(index) : nullptr;
  if (bar && bar->InCellButtonsBoxVisible() && GetRow() >= GetFixedRowCount()) {
    bar->PlaceInCellEditButtons(GetEditButtonsBox(),
                                bar->GetEditButtonsBoxRect(CellRect(GetCol(), GetRow(), false)));
    return;
  }
  HideEditButtonsBox();
}

// ======================= The bar's side of its buttons =======================

Integer TAxisBarEh::EditButtonWidth(TEditButtonEh* button) {
  if (button->GetWidth() != 0) return button->GetWidth();
  if (grid_ && !grid_->GetFlat()) return GetSystemMetrics(SM_CXVSCROLL);
  return DefaultEditButtonWidthEh() + (ThemesEnabledEh() ? 0 : 1);
}

namespace {

Integer CellButtonsWidth(TAxisBarEh* bar, TEditButtonHorzPlacementEh placement) {
  Integer width = 0;
  for (Integer i = 0; i < bar->GetCellButtons()->GetCount(); ++i) {
    TCellButtonEh* b = bar->GetCellButtons()->GetCellButton(i);
    if (b->GetVisible() && b->GetHorzPlacement() == placement) width += bar->EditButtonWidth(b);
  }
  return width;
}

}  // namespace

Integer TAxisBarEh::GetCellEditorLeftMargin() { return CellButtonsWidth(this, ebhpLeftEh); }
Integer TAxisBarEh::GetCellEditorRightMargin() { return CellButtonsWidth(this, ebhpRightEh); }

void TAxisBarEh::PlaceInCellEditButtons(TEditButtonsBoxEh* box, const TRect& rect) {
  if (!InCellButtonsBoxVisible()) return;
  box->OnDown = TButtonDownEventEh(this, &TAxisBarEh::InCellEditButtonDown);
  box->OnClick = TNotifyEvent(this, &TAxisBarEh::InCellEditButtonClick);
  LayoutInCellEditButtons(box, rect);
  UpdateInCellEditButtonsState(box);
}

void TAxisBarEh::LayoutInCellEditButtons(TEditButtonsBoxEh* box, const TRect& rect) {
  box->BeginLayout();
  box->SetButtonsCount(1 + editButtons_->GetCount());
  box->SetFlat(grid_ && grid_->GetFlat());
  box->SetMaxButtonHeight(rect.Height());
  box->BtnCtlList()[0].EditButton = editButton_.get();
  for (Integer i = 0; i < editButtons_->GetCount(); ++i)
    box->BtnCtlList()[static_cast<size_t>(i) + 1].EditButton = editButtons_->GetEditButton(i);
  box->EndLayout();
  const Integer width = box->GetButtonsWidth();
  if (width <= 0) {
    box->SetVisible(false);
    return;
  }
  box->SetBounds(rect.Right - width, rect.Top, width, rect.Height());
  box->SetVisible(true);
}

void TAxisBarEh::UpdateInCellEditButtonsState(TEditButtonsBoxEh* box) {
  box->SetBorderActive(true);
  box->UpdateEditButtonControlsState();
  TEditButtonEh* main = editButton_.get();
  main->ParentDefinedDefaultAction = main->GetVisible() && !main->OnClick && !main->OnDown;
  for (Integer i = 0; i < editButtons_->GetCount(); ++i) {
    TEditButtonEh* b = editButtons_->GetEditButton(i);
    b->ParentDefinedDefaultAction = !main->ParentDefinedDefaultAction && !b->OnClick && !b->OnDown;
  }
}

namespace {

// The position of a control in the box's list, -1 when it is not there.
Integer BoxIndexOf(TEditButtonsBoxEh* box, TObject* control) {
  const auto& list = box->GetBtnCtlList();
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].EditButtonControl == control) return static_cast<Integer>(i);
  return -1;
}

}  // namespace

void TAxisBarEh::InCellEditButtonClick(TObject* sender) {
  if (!grid_) return;
  TEditButtonsBoxEh* box = grid_->GetEditButtonsBox();
  const Integer index = BoxIndexOf(box, sender);
  if (index < 0) return;
  bool handled = false;
  if (index == 0) {
    TAxisBarMainEditButtonEh* main = editButton_.get();
    const TCellButtonStyleEh style = GetButtonStyle();
    if (style == TCellButtonStyleEh::cbsEllipsis || style == TCellButtonStyleEh::cbsDropDown ||
        style == TCellButtonStyleEh::cbsAltDropDown)
      grid_->EditButtonClick(this, main);
    if (main->OnClick) main->OnClick(sender, handled);
    if (!handled && main->GetDefaultAction())
      grid_->EditButtonDefaultAction(this, grid_, main, false, handled);
    return;
  }
  if (index - 1 >= editButtons_->GetCount()) return;
  TEditButtonEh* button = editButtons_->GetEditButton(index - 1);
  button->Click(sender, handled);
  if (!handled && button->GetDefaultAction())
    grid_->EditButtonDefaultAction(this, grid_, button, false, handled);
}

void TAxisBarEh::InCellEditButtonDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled) {
  handled = false;
  if (!grid_) return;
  if (grid_->CanFocus()) grid_->SetFocus();
  const Integer index = BoxIndexOf(grid_->GetEditButtonsBox(), sender);
  if (index < 0) return;
  TEditButtonEh* button = index == 0                             ? editButton_.get()
                          : index - 1 < editButtons_->GetCount() ? editButtons_->GetEditButton(index - 1)
                                                                 : nullptr;
  if (!button) return;
  if (button->OnDown) button->OnDown(sender, topButton, autoRepeat, handled);
  if (!handled && button->GetDefaultAction())
    grid_->EditButtonDefaultAction(this, grid_, button, true, handled);
}

// ======================= The main button drawn in a cell =======================

void TAxisBarMainEditButtonEh::DrawInCell(TCustomDBAxisGridEh* grid, TCanvas* canvas, TGridCoord cell,
                                          TInCellPlaceBoxEh* box, const TRect& cellRect, TAxisBarEh* bar) {
  grid->DrawInCellEditButton(canvas, cell, box, cellRect, bar, this);
}

// ======================= Data hints =======================

TFont* TCustomDBAxisGridEh::GetHintFont() {
  if (!hintFont_) hintFont_ = std::make_unique<TFont>();
  return hintFont_.get();
}

bool TCustomDBAxisGridEh::TextExceedsCellRect(TCanvas* canvas, Integer margin, bool endEllipsis,
                                              bool alignNotLeft, Integer& height, Integer& width,
                                              bool singleLine, bool wrap, const TRect& rect,
                                              const String& text) {
  TRect r = rect;
  if (endEllipsis && alignNotLeft) r.Right -= 3;
  const Integer available = std::max<Integer>(1, r.Width() - margin - 4);
  TRect measured(0, 0, available, 0);
  UINT format = DT_CALCRECT | DT_NOPREFIX | (wrap ? DT_WORDBREAK : 0U) | (singleLine ? DT_SINGLELINE : 0U);
  DrawText(canvas->GetHandle(), text.c_str(), static_cast<Integer>(text.size()), &measured, format);
  width = measured.Width();
  height = measured.Height();
  return r.Width() - margin - 4 < width || r.Height() - interlinear_ + 1 < height;
}

void TCustomDBAxisGridEh::DefaultFillDataHintShowInfo(TPoint cursorPos, TGridCoord cell, TAxisBarEh* bar,
                                                      TDBAxisGridDataHintParamsEh* params) {
  params->HintStr.clear();
  if (!bar) return;
  const TAxisBarEhType type = bar->GetBarType();
  String text;
  if (type == ctKeyImageList || type == ctCheckboxes) {
    Integer index = -1;
    if (type == ctCheckboxes)
      index = static_cast<Integer>(bar->GetCheckboxState());
    else if (bar->GetField())
      index = bar->GetKeyList()->IndexOf(bar->GetField()->GetText());
    if (index >= 0 && index < bar->GetPickList()->GetCount()) text = bar->GetPickList()->Get(index);
  } else if (bar->GetField()) {
    text = bar->DisplayText();
  }
  const TRect cellRect = CellRect(cell.X, cell.Y, false);
  // An edit button under the mouse shows its own hint.
  if (TInCellPlaceBoxEh* child = GetInCellControlAtPos(cell.X, cell.Y, cursorPos.Y - cellRect.Top,
                                                       cursorPos.X - cellRect.Left, bar)) {
    if (auto* button = dynamic_cast<TEditButtonEh*>(child->GetControl())) {
      params->HintStr = button->GetHint();
      TRect r = child->GetCtrlClientRect();
      OffsetRect(&r, cellRect.Left, cellRect.Top);
      params->CursorRect = r;
      params->EditButtonControl = button;
      return;
    }
  }
  // The text area: the cell less the buttons drawn in it.
  TRect textArea = cellRect;
  textArea.Left += bar->GetCellEditorLeftMargin();
  textArea.Right -= bar->GetCellEditorRightMargin();
  if (bar->CanShowEditButton()) textArea.Right -= bar->EditButtonsWidth();
  const Integer textRight = textArea.Right;
  TRect hintRect = textArea;
  if (bar->CanShowEditButton() && cursorPos.X > textRight) text.clear();
  const TAlignment alignment =
      type == ctKeyImageList || type == ctCheckboxes ? taLeftJustify : bar->GetAlignment();
  const bool wrap = bar->GetWordWrap() && bar->CurLineWordWrap(textArea.Height());
  GetHintFont()->Assign(bar->GetFont());
  GetHintFont()->SetColor(clWindowText);
  // Measured on a canvas of its own: the grid's draws only while it paints.
  TBitmap scratch;
  scratch.SetSize(1, 1);
  TCanvas* measure = scratch.GetCanvas();
  measure->GetFont()->Assign(GetHintFont());
  Integer width = 0, height = 0;
  const bool exceeds =
      type == ctKeyImageList || type == ctCheckboxes ||
      TextExceedsCellRect(measure, wrap ? 2 : 0, bar->GetEndEllipsis(), alignment != taLeftJustify, height,
                          width, !wrap, wrap, hintRect, text);
  if (text.empty() || !(exceeds || (alignment == taRightJustify && hintRect.Right < textRight - 2))) return;
  params->HintStr = text;
  params->CursorRect = hintRect;
  params->HintFont = GetHintFont();
  const Integer d = GetFlat() ? 2 : 1;
  if (alignment == taLeftJustify)
    params->HintPos = TPoint(hintRect.Left - 1, hintRect.Top - d);
  else if (alignment == taRightJustify)
    params->HintPos = TPoint(textRight - width - 6, hintRect.Top - d);
  else
    params->HintPos =
        TPoint(textRight + width / 2 - width - (textRight - hintRect.Left - 4) / 2 - 5, hintRect.Top - d);
  ++params->HintPos.X;
  if (wrap) params->HintMaxWidth = hintRect.Width() - 4;
}
