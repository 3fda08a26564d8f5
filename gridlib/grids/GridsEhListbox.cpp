// List boxes on the base grid: a one-column grid over a string list or a virtual list, item objects
// that draw themselves, the popup list inside a non-activating form that pick lists and
// most-recently-used lists drop down.
#include <algorithm>

#include "gridlib/grids/GridsEh.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Themes.h"

// ---- Item objects ----

void TCustomListboxItemEh::GetDisplayText(TCustomListboxEh* sender, Integer index, String& text) {
  sender->GetItemTextDefault(index, text);
}

void TCustomListboxItemEh::DrawItem(TCustomListboxEh* sender, Integer index, const TRect& rect,
                                    TGridDrawState state) {
  sender->DefaultDrawItem(index, rect, state);
}

void TPopupListboxItemEh::MouseUp(TCustomListboxEh* sender, Integer index, bool& isMouseUpCloseListbox,
                                  TShiftState /*shift*/, TMouseButton /*button*/, TPoint /*inItemPos*/) {
  isMouseUpCloseListbox = CloseOnExecute(sender, index);
}

TPopupListboxItemEh* GetPopupListboxItemEh() {
  static TPopupListboxItemEh item;
  return &item;
}

// ---- The list box ----

TCustomListboxEh::TCustomListboxEh(TComponent* owner)
    : TCustomGridEh(owner), items_(std::make_unique<TStringList>()) {
  SetOptions(TGridOptionsEh{goDrawFocusSelectedEh});
  SetFixedColCount(0);
  SetColCount(1);
  SetFixedRowCount(0);
  SetRowCount(1);
  GetHorzScrollBar()->SetVisibleMode(sbNeverShowEh);
  SetSizeGripAlwaysShow(true);
  items_->OnChange = TNotifyEvent(this, &TCustomListboxEh::ItemsChanged);
}

TCustomListboxEh::~TCustomListboxEh() { items_->OnChange = nullptr; }

TStrings* TCustomListboxEh::GetItems() { return items_.get(); }

void TCustomListboxEh::SetItems(TStrings* value) { items_->Assign(value); }

Integer TCustomListboxEh::GetCount() { return virtualItems_ ? virtualRowCount_ : GetItems()->GetCount(); }

void TCustomListboxEh::SetCount(Integer value) {
  if (!virtualItems_) throw Exception(u"Can't assign Count when list is not virtual");
  virtualRowCount_ = value;
  UpdateRowCount();
}

void TCustomListboxEh::UpdateRowCount() {
  const Integer count = virtualItems_ ? virtualRowCount_ : GetItems()->GetCount();
  SetRowCount(std::max(count, 1));
  for (Integer i = 0; i < GetRowCount(); ++i) SetRowHeights(i, GetDefaultRowHeight());
}

void TCustomListboxEh::ItemsChanged(TObject* /*sender*/) {
  if (virtualItems_) return;
  UpdateRowCount();
  Invalidate();
}

void TCustomListboxEh::SetVirtualItems(bool value) {
  if (virtualItems_ == value) return;
  virtualItems_ = value;
  UpdateRowCount();
}

void TCustomListboxEh::SetItemHeight(Integer value) {
  itemHeight_ = value;
  SetDefaultRowHeight(value);
  UpdateRowCount();
}

void TCustomListboxEh::SetItemAlignment(TAlignment value) {
  if (itemAlignment_ == value) return;
  itemAlignment_ = value;
  Invalidate();
}

Integer TCustomListboxEh::GetItemIndex() const { return rowSeleced_ ? GetRow() : -1; }

void TCustomListboxEh::SetItemIndex(Integer value) {
  if (value >= 0 && !(rowSeleced_ && GetRow() == value)) {
    if (GetRow() != value)
      SetRow(value);
    else
      FocusCell(GetCol(), value, true);
    rowSeleced_ = true;
  } else if (value == -1 && rowSeleced_) {
    SetRow(0);
    rowSeleced_ = false;
    Invalidate();
  } else {
    return;
  }
  InvalidateIndex(value);
}

void TCustomListboxEh::FocusCell(Integer col, Integer row, bool moveAnchor) {
  TCustomGridEh::FocusCell(col, row, moveAnchor);
  rowSeleced_ = true;
}

void TCustomListboxEh::GetItemTextDefault(Integer index, String& text) {
  TStrings* items = GetItems();
  text = index >= 0 && index < items->GetCount() ? items->Get(index) : String();
}

TCustomListboxItemEh* TCustomListboxEh::ItemObject(Integer index) {
  if (!useItemObjects_ || index < 0 || index >= GetItems()->GetCount()) return nullptr;
  return dynamic_cast<TCustomListboxItemEh*>(GetItems()->Objects(index));
}

void TCustomListboxEh::GetItemText(Integer index, String& text) {
  if (TCustomListboxItemEh* item = ItemObject(index))
    item->GetDisplayText(this, index, text);
  else
    GetItemTextDefault(index, text);
}

Integer TCustomListboxEh::ItemAtPos(TPoint pos, bool /*existing*/) {
  const TGridCoord c = MouseCoord(pos.X, pos.Y);
  return c.Y;
}

Integer TCustomListboxEh::StrictIndexToClient(Integer x, Integer y) {
  if (x < 0 || x >= GetClientWidth()) x = 0;
  if (y < 0) return GetTopRow();
  if (y >= GetClientHeight()) return ItemAtPos(TPoint(x, GetClientHeight() - 1), true);
  return ItemAtPos(TPoint(x, y), true);
}

void TCustomListboxEh::InvalidateIndex(Integer itemIndex) {
  if (itemIndex >= 0) InvalidateCell(0, itemIndex);
}

Integer TCustomListboxEh::GetTextHeight() {
  TCanvas* canvas = GetCanvas();
  canvas->SetFont(GetFont());
  TEXTMETRICW tm{};
  GetTextMetrics(canvas->GetHandle(), &tm);
  return tm.tmHeight + tm.tmExternalLeading + tm.tmInternalLeading;
}

void TCustomListboxEh::DrawCell(Integer /*col*/, Integer row, TGridDrawState state, TRect rect) {
  if (GetCount() == 0) {
    GetCanvas()->FillRect(rect);
    return;
  }
  if (!rowSeleced_) state >> gdSelected >> gdFocused >> gdFixed;
  DrawItem(row, rect, state);
}

void TCustomListboxEh::DrawItem(Integer index, const TRect& rect, TGridDrawState state) {
  if (TCustomListboxItemEh* item = ItemObject(index))
    item->DrawItem(this, index, rect, state);
  else
    DefaultDrawItem(index, rect, state);
}

void TCustomListboxEh::DefaultDrawItem(Integer index, const TRect& rect, TGridDrawState state) {
  TCanvas* canvas = GetCanvas();
  canvas->SetFont(GetFont());
  const bool classic = GetSelectionDrawParams()->GetActualSelectionStyle() == gsdsClassicEh;
  const bool selected = state.Contains(gdSelected) || (classic && index == GetItemIndex() && !imageList_);
  if (selected && classic) {
    canvas->GetBrush()->SetColor(StyleServices()->GetSystemColor(clHighlight));
    canvas->GetFont()->SetColor(StyleServices()->GetSystemColor(clHighlightText));
  } else {
    canvas->GetBrush()->SetColor(StyleServices()->GetSystemColor(GetColor()));
    canvas->GetFont()->SetColor(StyleServices()->GetSystemColor(GetFont()->GetColor()));
  }
  TRect textRect = rect;
  if (imageList_) {
    const Integer w = imageList_->GetWidth() + 4;
    TRect imageRect = rect;
    if (UseRightToLeftAlignment()) {
      imageRect.Left = rect.Right - w;
      textRect.Right = imageRect.Left;
    } else {
      imageRect.Right = rect.Left + w;
      textRect.Left = imageRect.Right;
    }
    Integer imageIndex = index;
    if (OnGetImageIndex) OnGetImageIndex(GetOwner(), index, imageIndex);
    canvas->FillRect(imageRect);
    DrawCenteredImageEh(canvas, imageRect, imageList_, imageIndex, selected);
  }
  canvas->FillRect(textRect);
  if (selected && !classic) DrawThemedCellSelection(0, index, state, textRect);
  if (index < GetCount()) {
    String text;
    GetItemText(index, text);
    WriteCellText(canvas, textRect, false, 2, 1, text, itemAlignment_, tlTop, false, false, 0, 0);
  }
}

// ---- Keys and mouse ----

void TCustomListboxEh::KeyDown(Word& key, TShiftState shift) {
  if (key == VK_DOWN && !shift.Contains(ssShift) && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt) &&
      !rowSeleced_ && GetCount() > 0) {
    SetItemIndex(0);
    return;
  }
  TCustomGridEh::KeyDown(key, shift);
}

void TCustomListboxEh::KeyPress(Char& key) {
  if (rowSeleced_)
    if (TCustomListboxItemEh* item = ItemObject(GetItemIndex()))
      item->KeyPress(this, GetItemIndex(), key, GetShiftState());
  TCustomGridEh::KeyPress(key);
}

void TCustomListboxEh::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TCustomGridEh::MouseDown(button, shift, x, y);
  const Integer index = ItemAtPos(TPoint(x, y), true);
  // A press on an item makes it the selected one, as the grid made its row current.
  if (index >= 0 && index < GetCount() && index == GetRow() && !rowSeleced_) {
    rowSeleced_ = true;
    InvalidateIndex(index);
  }
  if (TCustomListboxItemEh* item = ItemObject(index))
    item->MouseDown(this, index, TPoint(x, y), button, shift);
}

void TCustomListboxEh::MouseMove(TShiftState shift, Integer x, Integer y) {
  TCustomGridEh::MouseMove(shift, x, y);
  const Integer index = ItemAtPos(TPoint(x, y), true);
  if (TCustomListboxItemEh* item = ItemObject(index)) item->MouseMove(this, index, TPoint(x, y), shift);
}

void TCustomListboxEh::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  Integer index = ItemAtPos(TPoint(x, y), true);
  if (index == -1) index = StrictIndexToClient(x, y);
  if (TCustomListboxItemEh* item = ItemObject(index)) item->MouseUp(this, index, TPoint(x, y), button, shift);
  TCustomGridEh::MouseUp(button, shift, x, y);
}

void TCustomListboxEh::Resize() {
  TCustomGridEh::Resize();
  SetColWidths(0, HandleAllocated() ? GetGridClientWidth() : GetWidth() - 1);
}

// ---- The popup list grid ----

TPopupListboxGridEh::TPopupListboxGridEh(TComponent* owner) : TCustomListboxEh(owner) {
  SetBorderStyle(bsSingle);
  borderWidth_ = 0;
}

Integer TPopupListboxGridEh::GetBorderSize() {
  return HandleAllocated() ? GetHeight() - GetClientHeight() : 2 + 2 * borderWidth_;
}

void TPopupListboxGridEh::SetExtItems(TStrings* value) {
  extItems_ = value;
  SetVirtualItems(value != nullptr);
}

void TPopupListboxGridEh::SetItems(TStrings* value) {
  if (extItems_)
    extItems_->Assign(value);
  else
    TCustomListboxEh::SetItems(value);
}

void TPopupListboxGridEh::GetItemTextDefault(Integer index, String& text) {
  if (!extItems_) return TCustomListboxEh::GetItemTextDefault(index, text);
  text = index >= 0 && index < extItems_->GetCount() ? extItems_->Get(index) : String();
}

TObject* TPopupListboxGridEh::GetDataObject(Integer index) {
  return extItems_ && index >= 0 && index < extItems_->GetCount() ? extItems_->Objects(index) : nullptr;
}

void TPopupListboxGridEh::SetRowCountProp(Integer value) {
  rowCount_ = value;
  const Integer itemHeight = itemHeight_ > 0 ? itemHeight_ : GetDefaultRowHeight();
  SetHeight(std::max(value, 1) * itemHeight + GetBorderSize());
}

void TPopupListboxGridEh::Resize() {
  TCustomListboxEh::Resize();
  if (internalResizing_) return;
  resizedRowCount_ = rowCount_;
  resizedWidth_ = GetWidth();
  sizeGripResized_ = true;
  if (UseRightToLeftAlignment()) Invalidate();
}

void TPopupListboxGridEh::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  isMouseUpCloseListbox_ = true;
  TCustomListboxEh::MouseDown(button, shift, x, y);
}

void TPopupListboxGridEh::MouseMove(TShiftState shift, Integer x, Integer y) {
  TCustomListboxEh::MouseMove(shift, x, y);
  Integer index = ItemAtPos(TPoint(x, y), true);
  if (index == -1) index = StrictIndexToClient(x, y);
  if (TPoint(x, y) == mousePos_) return;
  // Hovering selects.
  if (index >= 0 && index < GetCount()) SetItemIndex(index);
  const bool buttonHeld = shift.Contains(ssLeft) || shift.Contains(ssRight) || shift.Contains(ssMiddle);
  if (!buttonHeld && index != mouseIndex_) {
    if (mouseIndex_ >= 0 && mouseIndex_ < GetCount()) InvalidateIndex(mouseIndex_);
    InvalidateIndex(index);
    mouseIndex_ = index;
  }
  mousePos_ = TPoint(x, y);
}

void TPopupListboxGridEh::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  isMouseUpCloseListbox_ = true;
  Integer index = ItemAtPos(TPoint(x, y), true);
  if (index == -1) index = StrictIndexToClient(x, y);
  auto* item = useItemObjects_ && index >= 0 && index < GetItems()->GetCount()
                   ? dynamic_cast<TPopupListboxItemEh*>(GetItems()->Objects(index))
                   : nullptr;
  if (!item) {
    TCustomListboxEh::MouseUp(button, shift, x, y);
    return;
  }
  item->MouseUp(this, index, isMouseUpCloseListbox_, shift, button, TPoint(x, y));
  if (GetGridState() != gsNormalEh) CancelMode();
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

// ---- The popup list form ----

TPopupListboxFormEh::TPopupListboxFormEh(TComponent* owner) : TPopupInactiveFormEh(owner) {
  listGrid_ = new TPopupListboxGridEh(this);
  listGrid_->SetParent(this);
  listGrid_->SetAlign(alClient);
  listGrid_->OnMouseUp = TMouseEvent(this, &TPopupListboxFormEh::ListGridMouseUp);
  SetMasterActionsControl(listGrid_);
}

void TPopupListboxFormEh::ListGridMouseUp(TObject* /*sender*/, TMouseButton button, TShiftState shift,
                                          Integer x, Integer y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TPopupListboxFormEh::SetRowCount(Integer value) {
  rowCount_ = value;
  const Integer itemHeight = GetItemHeight() > 0 ? GetItemHeight() : listGrid_->GetDefaultRowHeight();
  SetHeight(std::max(value, 1) * itemHeight + GetBorderSize() + 2 * GetPopupBorderWidth());
}

void TPopupListboxFormEh::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  if (listGrid_) {
    const Integer itemHeight =
        GetItemHeight() > 0 ? GetItemHeight() : std::max(1, listGrid_->GetTextHeight());
    const Integer frame = GetBorderSize() + 2 * GetPopupBorderWidth();
    const Integer rows = std::max(1, (height - frame) / itemHeight);
    rowCount_ = rows;
    height = frame + rows * itemHeight;
  }
  TPopupInactiveFormEh::SetBounds(left, top, width, height);
}
