// The combo box: items and key items, completing typed text from the list, stepping through the items,
// the drop-down list, and posting the key (or the text) with a text that is no item refused.
#include "gridlib/base/GridLibLangConsts.h"
#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/Forms.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/Format.h"

TCustomDBComboBoxEh::TCustomDBComboBoxEh(TComponent* owner)
    : TCustomDBEditEh(owner),
      items_(std::make_unique<TStringList>()),
      keyItems_(std::make_unique<TStringList>()),
      dropDownBox_(std::make_unique<TDropDownBoxEh>()) {
  SetMainEditButton(new TVisibleEditButtonEh(this, 0));
  items_->SetCaseSensitive(false);
  keyItems_->SetCaseSensitive(true);
  items_->OnChange = TNotifyEvent(this, &TCustomDBComboBoxEh::ItemsChanged);
  keyItems_->OnChange = TNotifyEvent(this, &TCustomDBComboBoxEh::ItemsChanged);
}

void TDropDownBoxEh::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TDropDownBoxEh*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  align_ = other->align_;
  rows_ = other->rows_;
  width_ = other->width_;
  sizable_ = other->sizable_;
}

TCustomDBComboBoxEh::~TCustomDBComboBoxEh() {
  // Closing an open list without accepting writes nothing; a failing close is reported.
  RunReportingFailure(this, [this] { CloseUp(false); });
  items_->OnChange = TNotifyEvent();
  keyItems_->OnChange = TNotifyEvent();
}

void TCustomDBComboBoxEh::Notification(TComponent* component, TOperation operation) {
  TCustomDBEditEh::Notification(component, operation);
  if (operation == opRemove && component == popupList_) popupList_ = nullptr;
}

Integer TCustomDBComboBoxEh::ItemsCount() const {
  return keyBased_ ? std::min(items_->GetCount(), keyItems_->GetCount()) : items_->GetCount();
}

void TCustomDBComboBoxEh::ItemsChanged(TObject* sender) {
  const bool keyBased = keyItems_->GetCount() > 0;
  if (keyBased != keyBased_) {
    keyBased_ = keyBased;
    UpdateEditReadOnly();
  }
  if (sender == keyItems_.get() || keyBased_) {
    DataLinkDataChange(GetDataLink());
    return;
  }
  UpdateItemIndex();
}

bool TCustomDBComboBoxEh::GetLimitTextToListValues() const {
  return limitTextToListValuesStored_ ? limitTextToListValues_ : (keyBased_ && !OnNotInList);
}

void TCustomDBComboBoxEh::SetLimitTextToListValues(bool value) {
  limitTextToListValues_ = value;
  limitTextToListValuesStored_ = true;
  UpdateEditReadOnly();
}

void TCustomDBComboBoxEh::SetCaseInsensitiveTextSearch(bool value) {
  caseInsensitive_ = value;
  items_->SetCaseSensitive(!value);
}

Variant TCustomDBComboBoxEh::GetVariantValue() {
  return keyBased_ ? varValue_ : TCustomDBEditEh::GetVariantValue();
}

void TCustomDBComboBoxEh::UpdateItemIndex() {
  const Integer index = items_->IndexOf(GetText());
  itemIndex_ = index < ItemsCount() ? index : -1;
  if (popupList_ && popupList_->GetVisible()) popupList_->SetItemIndex(itemIndex_);
}

void TCustomDBComboBoxEh::InternalSetItemIndex(Integer index) {
  if (index == itemIndex_) return;
  if (index < 0 || index >= ItemsCount()) {
    itemIndex_ = -1;
    varValue_ = Variant::Null();
  } else {
    itemIndex_ = index;
    if (keyBased_) varValue_ = Variant(keyItems_->Strings(index));
  }
  if (popupList_ && popupList_->GetVisible()) popupList_->SetItemIndex(itemIndex_);
  TCustomDBEditEh::InternalSetText(itemIndex_ < 0 ? String() : items_->Strings(itemIndex_));
}

void TCustomDBComboBoxEh::InternalSetText(const String& text) {
  if (!keyBased_) {
    TCustomDBEditEh::InternalSetText(text);
    UpdateItemIndex();
    return;
  }
  const Integer index = items_->IndexOf(text);
  if (index < 0 || index >= ItemsCount()) {
    if (text.empty()) InternalSetValue(Variant::Null());
    return;
  }
  itemIndex_ = index;
  varValue_ = Variant(keyItems_->Strings(index));
  TCustomDBEditEh::InternalSetText(items_->Strings(index));
}

void TCustomDBComboBoxEh::InternalSetValue(const Variant& value) {
  if (!keyBased_) {
    TCustomDBEditEh::InternalSetValue(value);
    UpdateItemIndex();
    return;
  }
  varValue_ = value;
  if (value.IsNull() || value.IsEmpty()) {
    itemIndex_ = -1;
    TCustomDBEditEh::InternalSetText(String());
    return;
  }
  itemIndex_ = keyItems_->IndexOf(VarToStr(value));
  const bool shown = itemIndex_ >= 0 && itemIndex_ < ItemsCount();
  TCustomDBEditEh::InternalSetText(shown ? items_->Strings(itemIndex_) : String());
  if (popupList_ && popupList_->GetVisible()) popupList_->SetItemIndex(itemIndex_);
}

void TCustomDBComboBoxEh::DataChanged() {
  if (!keyBased_) {
    TCustomDBEditEh::DataChanged();
    UpdateItemIndex();
    return;
  }
  const Variant value = ReadFieldValue(
      [](TField* field) { return field->IsNull() ? Variant::Null() : Variant(field->GetText()); });
  UpdateWindowAlignment();
  InternalSetValue(value);
  UpdateEditReadOnly();
  SetModified(false);
}

void TCustomDBComboBoxEh::PostEditTextToField() {
  if (OnNotInList && itemIndex_ < 0 && !GetText().empty()) {
    bool recheck = false;
    OnNotInList(this, GetText(), recheck);
    if (recheck) InternalSetText(GetText());
  }
  if (!keyBased_) {
    TCustomDBEditEh::PostEditTextToField();
    return;
  }
  // A typed text that is no item would otherwise post the old key: the user's change would be lost.
  if (itemIndex_ < 0 && !GetText().empty())
    throw EDBEditError(Format(GetGridLibLanguageConsts()->GetValueNotInListEh(), {GetText()}));
  // An empty text posts the value as it stands: Null after Delete, or a key without a shown text.
  GetDataLink()->SetText(varValue_.IsNull() ? String() : VarToStr(varValue_));
}

void TCustomDBComboBoxEh::ResetMaxLength() {
  if (GetMaxLength() > 0 && keyBased_) {
    SetMaxLength(0);
    return;
  }
  TCustomDBEditEh::ResetMaxLength();
}

void TCustomDBComboBoxEh::UpdateEditReadOnly() {
  // Limited to the list, the box types itself: the window only shows.
  if (GetLimitTextToListValues()) {
    if (!TCustomEdit::GetReadOnly()) TCustomEdit::SetReadOnly(true);
    return;
  }
  TCustomDBEditEh::UpdateEditReadOnly();
}

bool TCustomDBComboBoxEh::LocateText(const String& text, bool partial) {
  const Integer old = itemIndex_;
  const Integer count = ItemsCount();
  auto find = [&](bool ignoreCase) -> Integer {
    for (Integer i = 0; i < count; ++i) {
      const String item = items_->Strings(i);
      if (partial && item.size() < text.size()) continue;
      const String part = partial ? item.substr(0, text.size()) : item;
      if (ignoreCase ? AnsiCompareTextEh(part, text) == 0 : part == text) return i;
    }
    return -1;
  };
  Integer index = find(false);
  if (index < 0 && caseInsensitive_) index = find(true);
  if (index >= 0) {
    itemIndex_ = -2;  // forces the text to be written even when the index is the same
    InternalSetItemIndex(index);
    SetSelStart(static_cast<Integer>(items_->Strings(index).size()));
    SetSelStart(static_cast<Integer>(text.size()));
    SetSelLength(static_cast<Integer>(items_->Strings(index).size() - text.size()));
  } else if (!GetLimitTextToListValues()) {
    UpdateItemIndex();
  }
  return itemIndex_ != old;
}

void TCustomDBComboBoxEh::GetItemsList() {
  if (items_->GetCount() == 0 && OnGetItemsList) OnGetItemsList(this);
}

void TCustomDBComboBoxEh::CompleteTypedText(const String& text) {
  if ((!DataIndepended() && !GetField()) || !EditCanModify()) return;
  if (text == u"\b") {
    // Backspace gives back a typed character: the selection, anchored at the end, grows to the left.
    const auto length = static_cast<Integer>(GetText().size());
    if (GetSelLength() >= length) {
      SetSelStart(std::max<Integer>(0, length - 1));
      SetSelLength(length > 0 ? 1 : 0);
    } else {
      const Integer selected = std::min<Integer>(GetSelLength() + 1, length);
      SetSelStart(length - selected);
      SetSelLength(selected);
    }
    return;
  }
  const String search = GetText().substr(0, static_cast<size_t>(GetSelStart())) + text;
  GetItemsList();
  if (!search.empty() && LocateText(search, true)) {
    GetDataLink()->Modified();
    SetModified(true);
  }
}

Integer TCustomDBComboBoxEh::DefaultImageIndex() {
  Integer index = itemIndex_;
  if (OnGetItemImageIndex) OnGetItemImageIndex(this, itemIndex_, index);
  return index;
}

void TCustomDBComboBoxEh::SelectNextValue(bool isPrior) {
  if (!EditCanModify()) return;
  const Integer count = ItemsCount();
  if (count == 0) return;
  Integer index = itemIndex_;
  // A value whose key has no shown text steps onto the list, never off it into Null.
  if (index >= count) index = count;
  if (isPrior)
    index = index > 0 ? index - 1 : (index < 0 ? count - 1 : 0);
  else
    index = index < count - 1 ? index + 1 : count - 1;
  if (index == itemIndex_) return;
  InternalSetItemIndex(index);
  GetDataLink()->Modified();
  SetModified(true);
  SelectAll();
}

void TCustomDBComboBoxEh::Change() {
  const bool typed = !GetInternalTextSetting();
  const bool complete = completePending_;
  completePending_ = false;
  if (typed) {
    UpdateItemIndex();
    // Typing an item's whole text chooses its key.
    if (keyBased_ && itemIndex_ >= 0) varValue_ = Variant(keyItems_->Strings(itemIndex_));
  }
  TCustomDBEditEh::Change();
  // A character typed at the end completes the text from the first item it begins.
  const auto length = static_cast<Integer>(GetText().size());
  if (typed && complete && GetSelLength() == 0 && GetSelStart() == length) CompleteTypedText(String());
}

void TCustomDBComboBoxEh::KeyDown(Word& key, TShiftState shift) {
  if (GetListVisible()) {
    if (key == VK_RETURN || key == VK_ESCAPE) {
      CloseUp(key == VK_RETURN);
      key = 0;
      return;
    }
    if (key == VK_UP || key == VK_DOWN) {
      const Integer index = std::clamp<Integer>(popupList_->GetItemIndex() + (key == VK_DOWN ? 1 : -1), 0,
                                                std::max<Integer>(ItemsCount() - 1, 0));
      popupList_->SetItemIndex(index);
      key = 0;
      return;
    }
  }
  if ((key == VK_UP || key == VK_DOWN) && shift.Empty()) {
    SelectNextValue(key == VK_UP);
    key = 0;
    return;
  }
  if (key == 'V' && shift == TShiftState{ssCtrl} && GetLimitTextToListValues()) {
    Perform(WM_PASTE, 0, 0);
    key = 0;
    return;
  }
  if (key == VK_DELETE && GetLimitTextToListValues()) {
    TField* field = GetField();
    if ((!field || !field->GetRequired()) && EditCanModify()) {
      InternalSetValue(Variant::Null());
      GetDataLink()->Modified();
      SetModified(true);
    }
    key = 0;
    return;
  }
  TCustomDBEditEh::KeyDown(key, shift);
}

void TCustomDBComboBoxEh::KeyPress(Char& key) {
  if (key >= 32 && dropDownBox_->GetAutoDrop() && !GetListVisible() && !GetReadOnly()) DropDown();
  if (GetLimitTextToListValues() && (key == u'\b' || key >= 32)) {
    if (!GetReadOnly()) CompleteTypedText(String(1, key));
    key = 0;
    return;
  }
  completePending_ = key >= 32 && key != u'.';
  TCustomDBEditEh::KeyPress(key);
  if (key == 0) completePending_ = false;
}

bool TCustomDBComboBoxEh::DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) {
  if (TCustomDBEditEh::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  if (GetListVisible() || !shift.Empty()) return false;
  SelectNextValue(wheelDelta > 0);
  return true;
}

void TCustomDBComboBoxEh::Dispatch(TMessage& message) {
  if (GetLimitTextToListValues()) {
    switch (message.Msg) {
      case WM_PASTE:
        if (!GetReadOnly() && Clipboard()->HasFormat(CF_TEXT)) CompleteTypedText(Clipboard()->GetAsText());
        return;
      case WM_SETCURSOR:
        // Nothing to select in the text: the arrow, except over the buttons' own cursor.
        if (reinterpret_cast<TWMSetCursor&>(message).HitTest == HTCLIENT && Screen) {
          ::SetCursor(Screen->GetCursors(crArrow));
          message.Result = 1;
          return;
        }
        break;
      case WM_LBUTTONDOWN:
        // A click on the text chooses from the list; the click that follows does not close it again.
        if (IsEnabled() && GetDataLink()->GetActive() && !GetListVisible()) {
          if (!Focused() && CanFocus()) SetFocus();
          if (Focused()) {
            noClickCloseUp_ = true;
            DropDown();
          }
        }
        return;
      case WM_LBUTTONUP:
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDOWN:
      case WM_RBUTTONDBLCLK:
      case WM_MBUTTONDOWN:
      case WM_MBUTTONUP:
      case WM_MBUTTONDBLCLK:
        // The text cannot be selected with the mouse.
        return;
      default:
        break;
    }
  }
  TCustomDBEditEh::Dispatch(message);
}

bool TCustomDBComboBoxEh::GetListVisible() const { return popupList_ && popupList_->GetVisible(); }

void TCustomDBComboBoxEh::DropDown() {
  if (GetListVisible()) return;
  if (OnDropDown) OnDropDown(this);
  GetItemsList();
  if (!popupList_) {
    popupList_ = new TPopupListboxFormEh(this);
    popupList_->FreeNotification(this);
    popupList_->SetVisible(false);
    popupList_->OnMouseUp = TMouseEvent(this, &TCustomDBComboBoxEh::ListMouseUp);
  }
  // The list shows the combo's own items, so it cannot count them itself.
  popupList_->GetListGrid()->SetSizeGripAlwaysShow(dropDownBox_->GetSizable());
  popupList_->SetExtItems(items_.get());
  popupList_->SetCount(ItemsCount());
  Integer width = dropDownBox_->GetWidth() > 0 ? dropDownBox_->GetWidth() : GetWidth();
  if (dropDownBox_->GetWidth() == -1) {
    // As wide as the widest item, with room for the frame and a scroll bar when the rows do not suffice.
    TBitmap measure(1, 1);
    measure.GetCanvas()->SetFont(TControl::GetFont());
    width = 0;
    for (Integer i = 0; i < ItemsCount(); ++i)
      width = std::max(width, measure.GetCanvas()->TextWidth(items_->Strings(i)));
    width += 8 + 2 * (popupList_->GetBorderSize() + popupList_->GetPopupBorderWidth());
    if (ItemsCount() > dropDownBox_->GetRows()) width += GetSystemMetrics(SM_CXVSCROLL);
  }
  ShowPopupListUnder(popupList_, ItemsCount(), dropDownBox_->GetRows(), width);
  // The list stands under the box's left edge; aligned right or centred it moves by the difference.
  const Integer shift = dropDownBox_->GetAlign() == daRight    ? GetWidth() - width
                        : dropDownBox_->GetAlign() == daCenter ? (GetWidth() - width) / 2
                                                               : 0;
  if (shift != 0)
    popupList_->SetBounds(popupList_->GetLeft() + shift, popupList_->GetTop(), popupList_->GetWidth(),
                          popupList_->GetHeight());
  popupList_->SetItemIndex(itemIndex_ >= 0 && itemIndex_ < ItemsCount() ? itemIndex_ : -1);
}

void TCustomDBComboBoxEh::CloseUp(bool accept) {
  if (!GetListVisible()) return;
  const Integer index = popupList_->GetItemIndex();
  if (OnClosingUp) OnClosingUp(this, accept);
  popupList_->SetVisible(false);
  ClearDroppedDownState();
  if (accept && index >= 0 && index < ItemsCount() && EditCanModify()) {
    itemIndex_ = -2;
    InternalSetItemIndex(index);
    GetDataLink()->Modified();
    SetModified(true);
    if (Focused()) SelectAll();
  }
  if (OnCloseUp) OnCloseUp(this, accept);
}

void TCustomDBComboBoxEh::ListMouseUp(TObject*, TMouseButton button, TShiftState, Integer, Integer) {
  if (button == mbLeft && popupList_ && popupList_->GetItemIndex() >= 0) CloseUp(true);
}
