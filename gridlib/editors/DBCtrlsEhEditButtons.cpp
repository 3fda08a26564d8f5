// The edit box's buttons: their controls in the buttons box, clicks, mouse-downs and shortcuts, drop-down
// menus and drop-down forms, and the most-recently-used list that drops down under the editor.
#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/data/DataSet.h"

// ---- Buttons and their box ----

void TCustomDBEditEh::SetMainEditButton(TEditButtonEh* button) {
  editButton_.reset(button);
  editButton_->OnChanged = TNotifyEvent(this, &TCustomDBEditEh::ButtonChanged);
  if (buttonsBox_ && buttonsBox_->GetButtonsCount() > 0)
    buttonsBox_->BtnCtlList()[0].EditButton = editButton_.get();
  ButtonChanged(this);
}

void TCustomDBEditEh::CreateEditButtonControl(TObject*, TEditButtonControlEh*& control) {
  control = new TEditButtonControlEh(this);
  control->SetControlStyle(control->GetControlStyle() << csReplicatable);
  control->SetBounds(0, 0, 10, 17);
  control->SetTransparent(false);
}

void TCustomDBEditEh::ButtonChanged(TObject*) {
  if (!HandleAllocated()) return;
  UpdateButtonsBox();
  UpdateEditButtonsState();
  Invalidate();
}

void TCustomDBEditEh::UpdateButtonsBox() {
  if (!buttonsBox_ || destroying_) return;
  const TRect client = GetClientRect();
  buttonsBox_->BeginLayout();
  buttonsBox_->SetButtonsCount(editButtons_->GetCount() + 1);
  buttonsBox_->SetFlat(flat_);
  buttonsBox_->SetMaxButtonHeight(client.Height());
  buttonsBox_->BtnCtlList()[0].EditButton = editButton_.get();
  for (Integer i = 0; i < editButtons_->GetCount(); ++i)
    buttonsBox_->BtnCtlList()[static_cast<size_t>(i) + 1].EditButton = editButtons_->GetEditButton(i);
  buttonsBox_->EndLayout();
  const Integer width = buttonsBox_->GetButtonsWidth();
  if (width <= 0) {
    buttonsBox_->SetVisible(false);
    Perform(EM_SETMARGINS, EC_RIGHTMARGIN, 0);
    return;
  }
  const Integer height = std::min(client.Height(), buttonsBox_->GetButtonHeight());
  const Integer left = UseRightToLeftAlignment() ? 0 : client.Width() - width;
  buttonsBox_->SetBounds(left, (client.Height() - height) / 2, width, height);
  buttonsBox_->SetVisible(true);
  // The text stops where the buttons begin.
  Perform(EM_SETMARGINS, EC_RIGHTMARGIN, static_cast<LPARAM>(MAKELONG(0, static_cast<Word>(width))));
}

void TCustomDBEditEh::SetFlat(bool value) {
  if (value == flat_) return;
  flat_ = value;
  UpdateButtonsBox();
  if (GetAutoSize()) AdjustSize();
  Invalidate();
}

bool TCustomDBEditEh::GetEditButtonDefaultAction(TEditButtonEh* button) {
  if (button == editButton_.get()) return button->GetVisible();
  TDropDownFormCallParamsEh* params = button->GetDropDownFormParams();
  return !button->OnClick && !button->OnDown && !params->GetDropDownForm() &&
         params->GetDropDownFormClassName().empty() && !button->GetDropdownMenu();
}

void TCustomDBEditEh::UpdateEditButtonsState() {
  if (!buttonsBox_ || destroying_) return;
  buttonsBox_->SetBorderActive(borderActive_);
  buttonsBox_->UpdateEditButtonControlsState();
  if (editButton_) editButton_->ParentDefinedDefaultAction = GetEditButtonDefaultAction(editButton_.get());
  for (Integer i = 0; i < editButtons_->GetCount(); ++i) {
    TEditButtonEh* button = editButtons_->GetEditButton(i);
    button->ParentDefinedDefaultAction = GetEditButtonDefaultAction(button);
  }
}

TEditButtonEh* TCustomDBEditEh::ButtonOfControl(TObject* control) const {
  if (!buttonsBox_) return nullptr;
  for (const auto& rec : buttonsBox_->GetBtnCtlList())
    if (rec.EditButtonControl == control) return rec.EditButton;
  return nullptr;
}

TEditButtonControlEh* TCustomDBEditEh::GetEditButtonControlByEditButton(TEditButtonEh* button) {
  if (!buttonsBox_) return nullptr;
  for (const auto& rec : buttonsBox_->GetBtnCtlList())
    if (rec.EditButton == button) return rec.EditButtonControl;
  return nullptr;
}

TEditButtonEh* TCustomDBEditEh::GetFirstDefaultActionEditButton() {
  if (editButton_ && editButton_->GetDefaultAction() && editButton_->GetVisible()) return editButton_.get();
  for (Integer i = 0; i < editButtons_->GetCount(); ++i) {
    TEditButtonEh* button = editButtons_->GetEditButton(i);
    if (button->GetDefaultAction() && button->GetVisible()) return button;
  }
  return nullptr;
}

bool TCustomDBEditEh::CanDropDown() const { return GetEnabled() && dataLink_->GetActive(); }

void TCustomDBEditEh::CloseUp(bool) {}

void TCustomDBEditEh::SetDroppedDownState(TEditButtonEh* button, TEditButtonControlEh* control) {
  droppedDown_ = true;
  droppedDownButton_ = button;
  droppedDownButtonControl_ = control;
  if (control) control->SetAlwaysDown(true);
}

void TCustomDBEditEh::ClearDroppedDownState() {
  if (droppedDownButtonControl_) droppedDownButtonControl_->SetAlwaysDown(false);
  droppedDown_ = false;
  droppedDownButton_ = nullptr;
  droppedDownButtonControl_ = nullptr;
}

// ---- Clicks, mouse-downs and shortcuts ----

void TCustomDBEditEh::BoxClick(TObject* sender) { EditButtonClick(sender); }

void TCustomDBEditEh::BoxDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled) {
  EditButtonDown(sender, topButton, autoRepeat, handled);
}

void TCustomDBEditEh::BoxMouseUp(TObject* sender, TMouseButton, TShiftState, Integer x, Integer y) {
  auto* control = dynamic_cast<TControl*>(sender);
  if (control && (x < 0 || x >= control->GetClientWidth() || y < 0 || y > control->GetClientHeight()))
    noClickCloseUp_ = false;
}

void TCustomDBEditEh::EditButtonClick(TObject* sender) {
  bool handled = false;
  auto* control = dynamic_cast<TEditButtonControlEh*>(sender);
  TEditButtonEh* button = ButtonOfControl(sender);
  if (button) {
    button->Click(sender, handled);
    if (!handled && button == editButton_.get() && OnButtonClick) OnButtonClick(sender, handled);
    if (!handled && button->GetDefaultAction()) DefaultEditButtonClick(button, control, handled);
  }
  if (!handled && droppedDown_ && !noClickCloseUp_ && sender == droppedDownButtonControl_) CloseUp(false);
  noClickCloseUp_ = false;
}

void TCustomDBEditEh::EditButtonDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled) {
  handled = false;
  if (CanFocus() && !Focused()) SetFocus();
  auto* control = dynamic_cast<TEditButtonControlEh*>(sender);
  TEditButtonEh* button = ButtonOfControl(sender);
  if (!button || !control || !control->GetEnabled()) return;
  if (button == editButton_.get() && OnButtonDown) OnButtonDown(sender, topButton, autoRepeat, handled);
  if (!handled && button != editButton_.get() && button->OnDown)
    button->OnDown(sender, topButton, autoRepeat, handled);
  if (!handled) ShowDropDownForm(button, control, handled);
  if (!handled && button->GetDropdownMenu()) {
    TPoint pos = control->ClientToScreen(TPoint(0, control->GetHeight()));
    button->GetDropdownMenu()->Popup(pos.X, pos.Y);
    RemovePendingClickEh(control);
    handled = true;
  }
  if (!handled && !button->GetAction() && button->GetDefaultAction())
    DefaultEditButtonDown(button, control, topButton, autoRepeat, handled);
}

void TCustomDBEditEh::DefaultEditButtonClick(TEditButtonEh*, TEditButtonControlEh*, bool&) {}

// Up-down buttons step the value of an editor that steps; a drop-down button (any other button of an
// editor with a popup of its own) drops down.
void TCustomDBEditEh::DefaultEditButtonDown(TEditButtonEh* button, TEditButtonControlEh* control,
                                            bool topButton, bool&, bool& handled) {
  const TEditButtonStyleEh style = button->GetStyle();
  if (style == ebsUpDownEh || style == ebsAltUpDownEh) {
    if (!CanStepValue()) return;
    if (!readOnly_ && dataLink_->Edit()) StepValue(topButton);
    handled = true;
    return;
  }
  if (style != ebsDropDownEh && style != ebsAltDropDownEh && !HasOwnPopup()) return;
  if (droppedDown_) return;
  ButtonDropDown(button, control, handled);
  noClickCloseUp_ = true;
}

// The MRU list gives way; an editor with a popup of its own shows it.
void TCustomDBEditEh::ButtonDropDown(TEditButtonEh* button, TEditButtonControlEh* control, bool& handled) {
  if (mruListControl_ && mruListControl_->GetVisible()) mruList_->CloseUp(false);
  if (!HasOwnPopup()) return;
  DropDownOwnPopup();
  if (GetOwnPopupVisible()) SetDroppedDownState(button, control);
  handled = true;
}

bool TCustomDBEditEh::DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) {
  if (TCustomMaskEdit::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  if (!shift.Empty() || !CanStepValue() || readOnly_ || !dataLink_->Edit()) return false;
  StepValue(wheelDelta > 0);
  return true;
}

bool TCustomDBEditEh::HandleShortCut(Word key, TShiftState shift) {
  if (!buttonsBox_) return false;
  const TShortCut pressed = ShortCut(key, shift);
  for (const auto& rec : buttonsBox_->GetBtnCtlList()) {
    TEditButtonEh* button = rec.EditButton;
    if (!button || button->GetShortCut() != pressed || pressed == 0) continue;
    if (!button->GetEnabled() || !rec.EditButtonControl) return false;
    bool autoRepeat = false, handled = false;
    EditButtonDown(rec.EditButtonControl, false, autoRepeat, handled);
    EditButtonClick(rec.EditButtonControl);
    return true;
  }
  return false;
}

// A form configured on the button (by object or by class name) drops down under the editor; what it
// gives back goes into the field.
void TCustomDBEditEh::ShowDropDownForm(TEditButtonEh* button, TEditButtonControlEh* control, bool& handled) {
  TDropDownFormCallParamsEh* params = button->GetDropDownFormParams();
  if (!params->GetDropDownForm() && params->GetDropDownFormClassName().empty()) return;
  if (control->GetAlwaysDown()) return;
  // The click that closed the form must not open it again.
  TMsg pending;
  if (HandleAllocated() && PeekMessage(&pending, GetHandle(), WM_USER, WM_USER, PM_NOREMOVE) &&
      pending.lParam == ObjectToLParamEh(button)) {
    handled = true;
    return;
  }
  params->FEditControl = this;
  params->FEditButton = button;
  params->FEditButtonControl = control;
  params->FDataLink = dataLink_.get();
  params->FField = GetField();
  params->FOnGetVarValueProc = [this](Variant& value) { value = GetVariantValue(); };
  params->FOnSetVarValueProc = [this](const Variant& value) { SetVariantValue(value); };
  params->FOnOpenDropDownFormProc = [this](TControl* editControl, TEditButtonEh* b, TCustomForm*& form,
                                           TDynVarsEh* dynParams) {
    if (auto* dropDown = dynamic_cast<TCustomDropDownFormEh*>(form))
      dropDown->SetReadOnly(readOnly_ || !dataLink_->CanModify());
    if (OnOpenDropDownForm) OnOpenDropDownForm(editControl, b, form, dynParams);
  };
  params->FOnCloseDropDownFormProc = [this](TControl* editControl, TEditButtonEh* b, bool accept,
                                            TCustomForm* form, TDynVarsEh* dynParams) {
    if (buttonsBox_)
      for (const auto& rec : buttonsBox_->GetBtnCtlList())
        if (rec.EditButtonControl) rec.EditButtonControl->SetAlwaysDown(false);
    if (OnCloseDropDownForm) OnCloseDropDownForm(editControl, b, accept, form, dynParams);
  };
  control->SetAlwaysDown(true);
  try {
    params->CheckShowDropDownForm(handled);
  } catch (...) {
    control->SetAlwaysDown(false);
    throw;
  }
  if (!handled) control->SetAlwaysDown(false);
}

// ---- MRU list ----

void TCustomDBEditEh::ShowPopupListUnder(TPopupListboxFormEh* list, Integer count, Integer rows,
                                         Integer width) {
  ShowPopupListUnderControlEh(this, TControl::GetFont(), list, count, rows, width);
}

void ShowPopupListUnderControlEh(TControl* control, TFont* font, TPopupListboxFormEh* list, Integer count,
                                 Integer rows, Integer width) {
  const Integer itemHeight = GetFontTextHeightEh(nullptr, font, false) + 3;
  list->HandleNeeded();
  // Setting the item height recounts a list over its own items; a list over external items was given
  // its count by its owner.
  list->SetItemHeight(itemHeight);
  const Integer frame = list->GetBorderSize() + 2 * list->GetPopupBorderWidth();
  const Integer height = frame + std::max<Integer>(1, std::min(count, rows)) * itemHeight;
  list->SetBounds(0, 0, width, height);
  TPoint pos;
  PlacePopupUnderControlEh(control, list, taLeftJustify, pos);
  list->SetBounds(pos.X, pos.Y, width, height);
  list->Show();
}

void TCustomDBEditEh::FilterMRUItem(const String& item, bool& accept) {
  const String text = GetText();
  accept = item.size() >= text.size() && AnsiCompareTextEh(item.substr(0, text.size()), text) == 0;
}

void TCustomDBEditEh::UpdateMRUList() {
  if (!mruList_->GetActive() || !focused_) return;
  const String text = GetText();
  if (text.empty()) {
    if (mruListControl_ && mruListControl_->GetVisible()) mruList_->CloseUp(false);
    return;
  }
  mruList_->DropDown();
}

void TCustomDBEditEh::MRUDropDown(TObject*) {
  if (!mruListControl_) {
    mruListControl_ = new TMRUListboxEh(this);
    mruListControl_->FreeNotification(this);
    mruListControl_->SetVisible(false);
    mruListControl_->OnMouseUp = TMouseEvent(this, &TCustomDBEditEh::MRUListMouseUp);
  }
  TStrings* items = mruListControl_->GetItems();
  items->Clear();
  mruList_->FilterItemsTo(items, GetText());
  if (items->GetCount() == 0) {
    if (mruListControl_->GetVisible()) mruList_->CloseUp(false);
    return;
  }
  ShowPopupListUnder(mruListControl_, items->GetCount(), mruList_->GetRows(),
                     mruList_->GetWidth() > 0 ? mruList_->GetWidth() : GetWidth());
  mruListControl_->SetItemIndex(-1);
  mruList_->SetDroppedDown(true);
}

void TCustomDBEditEh::MRUCloseUp(TObject*, bool accept) {
  if (!mruListControl_) return;
  const Integer index = mruListControl_->GetItemIndex();
  String chosen;
  if (accept && index >= 0 && index < mruListControl_->GetCount())
    chosen = mruListControl_->GetItems()->Strings(index);
  mruListControl_->SetVisible(false);
  mruList_->SetDroppedDown(false);
  if (!accept || chosen.empty() || !EditCanModify()) return;
  InternalSetText(chosen);
  dataLink_->Modified();
  SetModified(true);
  SelectAll();
}

void TCustomDBEditEh::MRUListMouseUp(TObject*, TMouseButton button, TShiftState, Integer, Integer) {
  if (button == mbLeft && mruListControl_ && mruListControl_->GetItemIndex() >= 0) mruList_->CloseUp(true);
}
