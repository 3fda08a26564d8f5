// The axis grid's cell editor: the edit style chosen from the bar and its field, the drop-down that
// serves it (pick list, calendar, calculator, data list), the keys that open, move and close it, the
// typing search in pick lists and the writing of a chosen value into the grid's pending edit.
#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/grids/DBAxisGridsEh.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

bool IsPickStyle(TEditStyle s) { return s == esPickList || s == esAltPickList; }
bool IsListDataSetStyle(TEditStyle s) {
  return s == esLookupDataList || s == esAltLookupDataList || s == esDataList || s == esAltDataList;
}
bool IsCalendarStyle(TEditStyle s) { return s == esDateCalendar || s == esAltCalendar; }
bool IsDateType(TFieldType t) { return t == ftDate || t == ftDateTime || t == ftTimeStamp; }

}  // namespace

// ======================= The inner edit =======================

TDBAxisGridnplaceEditCoreControl::TDBAxisGridnplaceEditCoreControl(TComponent* owner)
    : GridsEh::TInplaceEditCoreControl(owner) {
  SetAutoSize(false);
}

void TDBAxisGridnplaceEditCoreControl::KeyDown(Word& key, TShiftState shift) {
  auto* editor = dynamic_cast<TDBAxisGridInplaceEdit*>(GetParentEdit());
  TCustomDBAxisGridEh* grid = editor ? editor->GetAxisGrid() : nullptr;
  TAxisBarEh* bar = editor ? editor->GetBar() : nullptr;
  if (!editor || !grid || !bar) return inherited::KeyDown(key, shift);
  const TEditStyle style = editor->GetEditStyle();
  const bool listVisible = editor->GetListVisible();
  // Alt+Down opens, Alt+Up or Alt+Down on an open list closes it taking the choice.
  if ((key == VK_UP || key == VK_DOWN) && shift.Contains(ssAlt)) {
    if (listVisible)
      editor->CloseUp(true);
    else
      editor->DropDown();
    key = 0;
    return;
  }
  if ((key == VK_RETURN || key == VK_ESCAPE) && listVisible && !shift.Contains(ssAlt)) {
    editor->CloseUp(key == VK_RETURN);
    key = 0;
    return;
  }
  if (key == VK_RETURN && shift == TShiftState{ssCtrl} && !listVisible && editor->GetActiveList()) {
    editor->DropDown();
    key = 0;
    return;
  }
  if (listVisible && IsPickStyle(style) && !shift.Contains(ssShift) &&
      (key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT)) {
    TPopupListboxFormEh* list = editor->GetPickList();
    const Integer i = TDBAxisGridInplaceEdit::PopupListRowForKey(list, key);
    list->SetItemIndex(i);
    if (i >= 0 && list->GetItems()->Get(i) != editor->GetText()) editor->SetText(list->GetItems()->Get(i));
    key = 0;
    return;
  }
  // Delete on a list-bound value clears it only as a whole.
  const TAxisBarEhType type = bar->GetBarType();
  if (key == VK_DELETE && shift.Empty() &&
      (type == ctKeyPickList || (type == ctPickList && bar->GetLimitTextToListValues())) &&
      bar->CanModify(false)) {
    if (GetSelStart() == 0 && GetSelLength() == static_cast<Integer>(GetText().size()) &&
        bar->CanModify(true)) {
      if (type == ctKeyPickList) {
        editor->SetText(String());
        grid->SetEditTextValue(String());
        grid->SetEditKeyValue(Variant::Null());
      }
    }
    key = 0;
    return;
  }
  inherited::KeyDown(key, shift);
}

void TDBAxisGridnplaceEditCoreControl::KeyPress(Char& key) {
  auto* editor = dynamic_cast<TDBAxisGridInplaceEdit*>(GetParentEdit());
  TAxisBarEh* bar = editor ? editor->GetBar() : nullptr;
  if (editor && bar) {
    TField* f = bar->GetField();
    if (f && dynamic_cast<TNumericField*>(f) && (key == u'.' || key == u','))
      key = FormatSettings.DecimalSeparator;
    if (key >= 32 && !editor->GetListVisible() && editor->GetActiveList() && bar->GetAutoDropDown())
      editor->DropDown();
    String typed(1, key);
    editor->LocateTypedText(typed);
    if (typed.empty()) {
      key = 0;
      return;
    }
  }
  inherited::KeyPress(key);
}

// ======================= The editor =======================

TDBAxisGridInplaceEdit::TDBAxisGridInplaceEdit(TComponent* owner) : GridsEh::TInplaceEdit(owner) {
  RecreateEditCoreControl();
  buttonsBox_ = new TEditButtonsBoxEh(this);
  buttonsBox_->SetBounds(0, 0, 0, 0);
  buttonsBox_->SetVisible(false);
  buttonsBox_->SetParent(this);
  buttonsBox_->OnCreateEditButtonControl = [this](TObject*, TEditButtonControlEh*& control) {
    control = new TEditButtonControlEh(this);
    control->SetBounds(0, 0, 10, 17);
  };
  buttonsBox_->OnDown = [this](TObject* sender, bool topButton, bool& autoRepeat, bool& handled) {
    EditButtonDown(sender, topButton, autoRepeat, handled);
  };
}

// The bar's main button and its further buttons, at the editor's right edge.
void TDBAxisGridInplaceEdit::UpdateEditButtons() {
  TAxisBarEh* bar = GetBar();
  TCustomDBAxisGridEh* grid = GetAxisGrid();
  if (!bar || !grid) {
    buttonsBox_->SetVisible(false);
    return;
  }
  TEditButtonEh* main = bar->GetEditButton();
  const bool style = editStyle_ != esSimple;
  buttonsBox_->BeginLayout();
  buttonsBox_->SetButtonsCount(1 + bar->GetEditButtons()->GetCount());
  buttonsBox_->SetFlat(grid->GetFlat());
  buttonsBox_->SetMaxButtonHeight(GetHeight());
  buttonsBox_->BtnCtlList()[0].EditButton = style || main->GetVisible() ? main : nullptr;
  for (Integer i = 0; i < bar->GetEditButtons()->GetCount(); ++i)
    buttonsBox_->BtnCtlList()[static_cast<size_t>(i) + 1].EditButton =
        bar->GetEditButtons()->GetEditButton(i);
  if (!buttonsBox_->BtnCtlList()[0].EditButton) buttonsBox_->BtnCtlList()[0].EditButton = nullptr;
  buttonsBox_->EndLayout();
  const Integer width = buttonsBox_->GetButtonsWidth();
  buttonsBox_->SetBounds(GetWidth() - width, 0, width, GetHeight());
  buttonsBox_->SetVisible(width >= 1);
}

void TDBAxisGridInplaceEdit::EditButtonDown(TObject* sender, bool topButton, bool& autoRepeat,
                                            bool& handled) {
  SetFocus();
  handled = false;
  autoRepeat = editStyle_ == esUpDown || editStyle_ == esAltUpDown;
  if (droppedDown_) {
    CloseUp(false);
    handled = true;
    return;
  }
  if (IsButtonCloseUpPending(dynamic_cast<TEditButtonControlEh*>(sender), nullptr)) {
    handled = true;
    return;
  }
  if (editStyle_ == esEllipsis) {
    if (TAxisBarEh* bar = GetBar())
      GetAxisGrid()->EditButtonDefaultAction(bar, this, bar->GetEditButton(), false, handled);
    return;
  }
  EditButtonDefaultAction(topButton, handled);
}

void TDBAxisGridInplaceEdit::UpdateCoreControlBounds() {
  UpdateEditButtons();
  GridsEh::TInplaceEdit::UpdateCoreControlBounds();
}

TDBAxisGridInplaceEdit::~TDBAxisGridInplaceEdit() = default;

GridsEh::TInplaceEditCoreControl* TDBAxisGridInplaceEdit::CreateEditCoreControl() {
  return new TDBAxisGridnplaceEditCoreControl(this);
}

TCustomDBAxisGridEh* TDBAxisGridInplaceEdit::GetAxisGrid() const {
  return dynamic_cast<TCustomDBAxisGridEh*>(GetGrid());
}

TAxisBarEh* TDBAxisGridInplaceEdit::GetBar() const {
  TCustomDBAxisGridEh* grid = GetAxisGrid();
  if (!grid) return nullptr;
  const Integer index = grid->GetSelectedIndex();
  if (index < 0 || index >= grid->GetAxisBars()->GetCount()) return nullptr;
  return grid->GetAxisBars()->GetAxisBar(index);
}

void TDBAxisGridInplaceEdit::UpdateContents() {
  TCustomDBAxisGridEh* grid = GetAxisGrid();
  TAxisBarEh* bar = GetBar();
  if (!grid || !bar) return GridsEh::TInplaceEdit::UpdateContents();
  const TAxisBarEhType type = bar->GetBarType();
  TField* field = bar->GetField();
  const bool pickAllowed = (type == ctPickList || type == ctKeyPickList) && !bar->GetReadOnly();
  const bool dateField = field && IsDateType(field->GetDataType());
  const bool lookup = bar->LookupActive();
  TEditStyle style = esSimple;
  switch (bar->GetButtonStyle()) {
    case TCellButtonStyleEh::cbsAuto:
      if (lookup)
        style = esLookupDataList;
      else if (pickAllowed)
        style = esPickList;
      else if (type == ctDataList)
        style = esDataList;
      else if (dateField && !bar->GetReadOnly())
        style = esDateCalendar;
      else if (bar->GetDropDownFormParams()->GetDropDownForm() ||
               !bar->GetDropDownFormParams()->GetDropDownFormClassName().empty())
        style = esDropDown;
      break;
    case TCellButtonStyleEh::cbsEllipsis:
      style = esEllipsis;
      break;
    case TCellButtonStyleEh::cbsNone:
      style = esSimple;
      break;
    case TCellButtonStyleEh::cbsUpDown:
      style = esUpDown;
      break;
    case TCellButtonStyleEh::cbsDropDown:
      style = lookup               ? esLookupDataList
              : pickAllowed        ? esPickList
              : type == ctDataList ? esDataList
                                   : esDropDown;
      break;
    case TCellButtonStyleEh::cbsAltUpDown:
      style = esAltUpDown;
      break;
    case TCellButtonStyleEh::cbsAltDropDown:
      style = pickAllowed                                                ? esAltPickList
              : type == ctDataList                                       ? esAltDataList
              : (dateField || (field && field->GetDataType() == ftTime)) ? esAltCalendar
                                                                         : esAltDropDown;
      break;
  }
  editButtonStyle_ = style;
  UpdateEditStyle();
  GetEditCoreControl()->GetFont()->Assign(bar->GetFont());
  const bool defaultReadOnly = !bar->CanModify(false);
  TAxisColCellParamsEh* params = grid->CurrentColCellParams();
  params->Background = bar->GetColor();
  params->Font = GetEditCoreControl()->GetFont();
  params->State = TGridDrawState{gdFocused};
  params->ReadOnly = defaultReadOnly;
  params->ImageIndex = bar->GetImageIndex();
  grid->GetCellParams(bar, params->Font, params->State, params->Background);
  if (!grid->IsLoading()) bar->GetColCellParams(true, params);
  GetEditCoreControl()->SetColor(params->Background);
  GetBrush()->SetColor(params->Background);
  imageIndex_ = params->ImageIndex;
  readOnlyStored_ = params->ReadOnly != defaultReadOnly;
  if (readOnlyStored_) SetReadOnly(params->ReadOnly);
  // The grid's edit text comes from the bar (its pending text and key start there).
  GridsEh::TInplaceEdit::UpdateContents();
  Invalidate();
}

void TDBAxisGridInplaceEdit::UpdateEditStyle() {
  editStyle_ = editButtonStyle_;
  UpdateActiveList();
}

void TDBAxisGridInplaceEdit::UpdateActiveList() {
  TAxisBarEh* bar = GetBar();
  activeList_ = nullptr;
  if (IsPickStyle(editStyle_)) {
    if (!pickList_) {
      pickList_ = new TPopupListboxFormEh(this);
      pickList_->SetVisible(false);
      pickList_->OnMouseUp = TMouseEvent(this, &TDBAxisGridInplaceEdit::PickListMouseUp);
    }
    pickList_->GetListGrid()->SetImageList(bar ? bar->GetImageList() : nullptr);
    activeList_ = pickList_;
  } else if (IsListDataSetStyle(editStyle_)) {
    // The data-list box comes from a library above this one; without it the style has no list.
    if (bar && GetDataListBoxFactoryEh()) {
      dataList_ = bar->GetDataListBox();
      activeList_ = dataList_;
    }
  } else if (IsCalendarStyle(editStyle_)) {
    if (!popupMonthCalendar_) {
      if (TClass cls = GetGridLibManager()->GetPopupDateTimePickerClass())
        popupMonthCalendar_ = cls->Create<TWinControl>(this);
    }
    activeList_ = popupMonthCalendar_;
  } else if (editStyle_ == esDropDown || editStyle_ == esAltDropDown) {
    if (bar && dynamic_cast<TNumericField*>(bar->GetField())) {
      if (!popupCalculator_) {
        if (TClass cls = GetGridLibManager()->GetPopupCalculatorClass())
          popupCalculator_ = cls->Create<TWinControl>(this);
      }
      activeList_ = popupCalculator_;
    }
  }
}

void TDBAxisGridInplaceEdit::CalcCoreControlRect(TRect& rect) { rect = CalcEditRect(); }

TRect TDBAxisGridInplaceEdit::CalcEditRect() {
  TCustomDBAxisGridEh* grid = GetAxisGrid();
  TAxisBarEh* bar = GetBar();
  TRect r(grid ? grid->CellEditorTextLeft(bar) : 3, 2, GetWidth() - 2, GetHeight());
  if (grid && grid->GetFlat()) {
    r.Top = 1;
    r.Bottom = GetHeight() - 1;
  }
  if (bar && bar->GetImageList() && bar->GetShowImageAndText()) r.Left += bar->GetImageList()->GetWidth() + 5;
  if (buttonsBox_ && buttonsBox_->GetVisible()) r.Right -= buttonsBox_->GetButtonsWidth();
  return r;
}

void TDBAxisGridInplaceEdit::Paint() {
  GridsEh::TInplaceEdit::Paint();
  TAxisBarEh* bar = GetBar();
  if (bar && bar->GetImageList() && bar->GetShowImageAndText() && imageIndex_ >= 0)
    DrawCenteredImageEh(GetCanvas(), TRect(2, 0, bar->GetImageList()->GetWidth() + 2, GetHeight()),
                        bar->GetImageList(), imageIndex_, false);
}

void TDBAxisGridInplaceEdit::UpdateImageIndex() {
  TAxisBarEh* bar = GetBar();
  if (!bar || !bar->GetImageList()) return;
  const Integer old = imageIndex_;
  TField* f = bar->GetField();
  Integer index = -1;
  if (!bar->HasPickListItems() && f && IsNumericFieldTypeEh(f->GetDataType()))
    index = FieldAsIntegerInRangeEh(f, -1);
  else if (bar->HasPickListItems())
    index = bar->GetPickList()->IndexOf(GetText());
  imageIndex_ = index == -1 ? bar->GetNotInKeyListIndex() : index;
  if (imageIndex_ != old) Invalidate();
}

void TDBAxisGridInplaceEdit::UserTextChanged() {
  userTextChanged_ = true;
  UpdateImageIndex();
  MRUListFollowText();
}

void TDBAxisGridInplaceEdit::EditChanged() { UserTextChanged(); }

void TDBAxisGridInplaceEdit::SetVariantValue(const Variant& value) {
  SetText(VarToStr(value));
  if (TAxisBarEh* bar = GetBar()) bar->SetValueAsText(GetText());
}

void TDBAxisGridInplaceEdit::StepValue(bool up) {
  TAxisBarEh* bar = GetBar();
  TCustomDBAxisGridEh* grid = GetAxisGrid();
  if (!bar || !grid) return;
  bar->SetNextFieldValue(up ? bar->GetIncrement() : -bar->GetIncrement());
  SetText(bar->GetInplaceEditText());
  SelectAll();
}

void TDBAxisGridInplaceEdit::EditButtonDefaultAction(bool topButton, bool& handled) {
  if (editStyle_ == esUpDown || editStyle_ == esAltUpDown) {
    StepValue(topButton);
    handled = true;
  } else if (!droppedDown_) {
    DropDown();
    handled = listVisible_ || dropDownFormOpen_;
  }
}

void TDBAxisGridInplaceEdit::DropDown() {
  TCustomDBAxisGridEh* grid = GetAxisGrid();
  TAxisBarEh* bar = GetBar();
  if (listVisible_ || dropDownFormOpen_ || !grid || !bar) return;
  if ((editStyle_ == esDropDown || editStyle_ == esAltDropDown) && !activeList_) {
    // Not a number: the main button's drop-down form serves the style.
    bool handled = false;
    auto& strip = buttonsBox_->BtnCtlList();
    ButtonDropDownForm(bar->GetEditButton(), strip.empty() ? nullptr : strip[0].EditButtonControl, handled);
    return;
  }
  if (IsListDataSetStyle(editStyle_) && !activeList_) {
    // Asking for the box reports that the data-list drop-down is missing.
    bar->GetDataListBox();
    return;
  }
  if (!activeList_) return;
  CloseMRUList(false);
  visibleListWantFocus_ = false;
  // Walking the list shows its entries in the editor; a cancelled list gives this text back.
  textBeforeDropDown_ = GetText();
  TPoint pos;
  if (activeList_ == pickList_) {
    pickList_->HandleNeeded();
    pickList_->GetListGrid()->GetFont()->Assign(GetEditCoreControl()->GetFont());
    pickList_->GetListGrid()->SetColor(GetEditCoreControl()->GetColor());
    // Measured on the shared screen canvas: the list's own canvas draws only while it paints.
    TCanvas* measure = GetScreenCanvasEh();
    measure->GetFont()->Assign(GetEditCoreControl()->GetFont());
    const Integer itemHeight = measure->TextHeight(u"Wg") + 2;
    pickList_->SetItemHeight(itemHeight);
    TStrings* items = pickList_->GetItems();
    items->Clear();
    TStrings* pick = bar->GetPickList();
    if (bar->HasKeyListItems()) {
      const Integer n = std::min(bar->GetKeyList()->GetCount(), pick->GetCount());
      for (Integer i = 0; i < n; ++i) items->AddObject(pick->Get(i), pick->Objects(i));
    } else {
      items->Assign(pick);
    }
    const Integer rows = std::min<Integer>(items->GetCount(), static_cast<Integer>(bar->GetDropDownRows()));
    Integer width = bar->GetDropDownWidth() > 0 ? bar->GetDropDownWidth() : GetWidth();
    for (Integer i = 0; i < items->GetCount(); ++i)
      width = std::max(width, measure->TextWidth(items->Get(i)) + 4);
    pickList_->SetWidth(width);
    pickList_->SetRowCount(std::max<Integer>(rows, 1));
    TField* f = bar->GetField();
    Integer selected;
    if (f && f->IsNull())
      selected = -1;
    else if (bar->HasKeyListItems())
      selected = bar->GetKeyList()->IndexOf(VarToStr(grid->GetEditKeyValue()));
    else
      selected = items->IndexOf(GetText());
    pickList_->SetItemIndex(selected);
    PlacePopupUnderControlEh(this, pickList_, taLeftJustify, pos);
    pickList_->SetLeft(pos.X);
    pickList_->SetTop(pos.Y);
    pickList_->Show();
  } else if (activeList_ == popupMonthCalendar_) {
    auto* picker = dynamic_cast<IPopupDateTimePickerEh*>(popupMonthCalendar_);
    if (!picker) return;
    TField* f = bar->GetField();
    picker->SetTimeUnits(GetFieldDateTimeUnitsEh(f, bar->GetDisplayFormat()));
    picker->SetFont(GetEditCoreControl()->GetFont(), true);
    visibleListWantFocus_ = picker->WantFocus();
    const TDateTime value = !f || f->IsNull() ? Date() : f->GetAsDateTime();
    PlacePopupUnderControlEh(this, popupMonthCalendar_, taLeftJustify, pos);
    picker->DropDown(
        pos, [this](bool accept) { CloseUp(accept); }, value);
  } else if (activeList_ == popupCalculator_) {
    auto* calculator = dynamic_cast<IPopupCalculatorEh*>(popupCalculator_);
    if (!calculator) return;
    const String text = GetText();
    calculator->SetValue(text.empty() ? Variant(0.0) : Variant(StrToFloat(text)));
    calculator->SetFlat(grid->GetFlat());
    SetSelLength(0);
    PlacePopupUnderControlEh(this, popupCalculator_, taLeftJustify, pos);
    calculator->Show(pos, [this](TObject*, bool accept) { CloseUp(accept); });
    visibleListWantFocus_ = calculator->WantFocus();
  }
  listVisible_ = true;
  Invalidate();
  if (!visibleListWantFocus_ && GetEditCoreControl()->HandleAllocated()) {
    grid->SetInternalFocusResetting(true);
    auto reset = MakeScopeExit([grid] { grid->SetInternalFocusResetting(false); });
    GetEditCoreControl()->SetFocus();
  }
  droppedDown_ = true;
}

void TDBAxisGridInplaceEdit::CloseUp(bool accept) {
  TCustomDBAxisGridEh* grid = GetAxisGrid();
  TAxisBarEh* bar = GetBar();
  if (!listVisible_ || !droppedDown_ || !grid || !bar) return;
  droppedDown_ = false;
  if (lockCloseList_) return;
  TWinControl* list = activeList_;
  Variant chosen;
  bool haveValue = false;
  Integer pickIndex = -1;
  if (list == pickList_) {
    pickIndex = pickList_->GetItemIndex();
    if (pickIndex >= 0) {
      haveValue = true;
      chosen = bar->HasKeyListItems() ? Variant(bar->GetKeyList()->Get(pickIndex))
                                      : Variant(pickList_->GetItems()->Get(pickIndex));
    }
  } else if (list == popupMonthCalendar_) {
    if (auto* picker = dynamic_cast<IPopupDateTimePickerEh*>(popupMonthCalendar_)) picker->CloseUp(accept);
  }
  if (list) {
    if (list == popupCalculator_) {
      if (auto* calculator = dynamic_cast<IPopupCalculatorEh*>(popupCalculator_)) calculator->Hide();
    } else {
      list->SetVisible(false);
    }
  }
  listVisible_ = false;
  Invalidate();
  if (!accept) {
    if (list == pickList_) {
      SetText(textBeforeDropDown_);
      grid->SetEditTextValue(textBeforeDropDown_);
    }
    return;
  }
  if (list == popupMonthCalendar_) {
    auto* picker = dynamic_cast<IPopupDateTimePickerEh*>(popupMonthCalendar_);
    if (picker && bar->CanModify(true) && grid->CanEditModify()) {
      const TDateTime value = picker->GetDateTime();
      bar->GetField()->GetDataSet()->Edit();
      bar->UpdateDataValues(DateTimeToStr(value), VarFromDateTime(value), false);
      SetText(bar->GetInplaceEditText());
      SelectAll();
    }
  } else if (list == popupCalculator_) {
    auto* calculator = dynamic_cast<IPopupCalculatorEh*>(popupCalculator_);
    if (calculator && bar->CanModify(true) && grid->CanEditModify()) {
      const Variant value = calculator->GetValue();
      if (VarIsNumeric(value)) {
        const String text = FloatToStr(value.AsDouble());
        SetText(text);
        grid->SetEditTextValue(text);
        SelectAll();
        grid->UpdateData();
      }
    }
  } else if (list == pickList_ && haveValue && grid->CanEditModify()) {
    // The chosen text goes in whole: the field gets exactly the list's entry.
    const String text = pickList_->GetItems()->Get(pickIndex);
    SetText(text);
    grid->SetEditTextValue(text);
    if (bar->HasKeyListItems()) grid->SetEditKeyValue(chosen);
    UpdateImageIndex();
    grid->UpdateData();
  }
}

void TDBAxisGridInplaceEdit::PickListMouseUp(TObject*, TMouseButton button, TShiftState, Integer x,
                                             Integer y) {
  if (button != mbLeft) return;
  const TRect client = pickList_->GetListGrid()->GetClientRect();
  CloseUp(PtInRect(client, TPoint(x, y)));
}

void TDBAxisGridInplaceEdit::Hide() {
  CloseMRUList(false);
  CloseUp(false);
  GridsEh::TInplaceEdit::Hide();
}

// The focus going to neither the open list nor one of its children closes the list.
void TDBAxisGridInplaceEdit::EditCoreKillFocus(HWND focusedWnd) {
  auto focusWithin = [focusedWnd](TWinControl* list) {
    for (TWinControl* c = FindControl(focusedWnd); c; c = c->GetParent())
      if (c == list) return true;
    return false;
  };
  if (GetMRUListDroppedDown() && !focusWithin(mruListControl_)) CloseMRUList(false);
  if (!listVisible_ || visibleListWantFocus_) return;
  TCustomDBAxisGridEh* grid = GetAxisGrid();
  if (grid && grid->GetInternalFocusResetting()) return;
  if (!focusWithin(activeList_)) CloseUp(false);
}

// Completes typed text from the pick list; a character the list does not continue is refused when the
// bar limits its text to the list.
void TDBAxisGridInplaceEdit::LocateTypedText(String& typed) {
  TCustomDBAxisGridEh* grid = GetAxisGrid();
  TAxisBarEh* bar = GetBar();
  if (!grid || !bar || typed.size() != 1) return;
  const Char ch = typed[0];
  if (ch < 32 && ch != 8) return;
  const TAxisBarEhType type = bar->GetBarType();
  if (IsListDataSetStyle(editStyle_) && bar->LookupActive()) return LocateTypedListText(typed);
  if ((type != ctPickList && type != ctKeyPickList) || !grid->CanEditModify()) return;
  if (ch == 8) {
    if (bar->GetLimitTextToListValues() || type == ctKeyPickList) typed.clear();
    return;
  }
  const String prefix = GetText().substr(0, static_cast<size_t>(GetSelStart())) + typed;
  const Integer index = bar->LocatePickList(prefix, true);
  if (index < 0) {
    if (bar->GetLimitTextToListValues()) typed.clear();
    return;
  }
  typed.clear();
  const String text = bar->GetPickList()->Get(index);
  SetText(text);
  SetSel(static_cast<Integer>(prefix.size()), static_cast<Integer>(text.size() - prefix.size()));
  grid->SetEditTextValue(text);
  if (bar->HasKeyListItems() && index < bar->GetKeyList()->GetCount())
    grid->SetEditKeyValue(Variant(bar->GetKeyList()->Get(index)));
  if (listVisible_ && activeList_ == pickList_ && index < pickList_->GetCount())
    pickList_->SetItemIndex(index);
}

// Completes typed text from the lookup dataset: the record whose display text starts with what was
// typed gives the text and the key that the grid writes.
void TDBAxisGridInplaceEdit::LocateTypedListText(String& typed) {
  TCustomDBAxisGridEh* grid = GetAxisGrid();
  TAxisBarEh* bar = GetBar();
  TDBLookupDataEh* lookup = bar->GetLookupParams();
  TDataSet* list = lookup->GetLookupDataSet();
  if (!list || !list->GetActive() || !grid->IsDataEditAllowed() || !bar->CanModify(false)) return;
  const String field = lookup->GetLookupDisplayFieldName();
  if (typed[0] == 8) {
    typed.clear();
    return;
  }
  const String prefix = GetText().substr(0, static_cast<size_t>(GetSelStart())) + typed;
  typed.clear();
  bool found = list->Locate(field, Variant(prefix), {loPartialKey});
  if (!found && bar->GetCaseInsensitiveTextSearch())
    found = list->Locate(field, Variant(prefix), {loPartialKey, loCaseInsensitive});
  if (!found && bar->GetLimitTextToListValues()) return;
  if (!grid->GetDataLink()->Edit()) return;
  grid->GetDataLink()->Modified();
  if (found) {
    const String text = list->FieldByName(field)->GetText();
    SetText(text);
    SetSel(static_cast<Integer>(prefix.size()), static_cast<Integer>(text.size() - prefix.size()));
    grid->SetEditKeyValue(list->FieldValues(lookup->GetLookupKeyFieldNames()));
    grid->SetEditTextValue(text);
  } else {
    SetText(prefix);
    SetSel(static_cast<Integer>(prefix.size()), 0);
    grid->SetEditKeyValue(Variant::Null());
    grid->SetEditTextValue(prefix);
  }
}

// ======================= Clipboard =======================

namespace {

bool WholeTextSelected(GridsEh::TInplaceEdit* edit) {
  return edit->GetSelStart() == 0 && edit->GetSelLength() == static_cast<Integer>(edit->GetText().size());
}

}  // namespace

bool TDBAxisGridInplaceEdit::InterceptCut(TMessage&) {
  TAxisBarEh* bar = GetBar();
  return bar && bar->GetLimitTextToListValues() && !WholeTextSelected(this);
}

bool TDBAxisGridInplaceEdit::InterceptClear(TMessage& message) { return InterceptCut(message); }

bool TDBAxisGridInplaceEdit::InterceptPaste(TMessage&) {
  TCustomDBAxisGridEh* grid = GetAxisGrid();
  TAxisBarEh* bar = GetBar();
  if (!grid || !bar) return false;
  if (!grid->IsDataEditAllowed() || !bar->CanModify(false)) return true;
  const TAxisBarEhType type = bar->GetBarType();
  const bool limited = bar->GetLimitTextToListValues();
  const String text = GetText();
  const size_t start = static_cast<size_t>(GetSelStart());
  const size_t length = static_cast<size_t>(GetSelLength());
  TClipboard* clipboard = Clipboard();
  const bool listBar = type == ctLookupField || type == ctKeyPickList ||
                       ((type == ctPickList || type == ctDataList) && limited);
  if (!listBar) {
    const bool hasText = clipboard->HasFormat(CF_TEXT) || clipboard->HasFormat(CF_OEMTEXT) ||
                         clipboard->HasFormat(CF_UNICODETEXT);
    if (GetReadOnly() || !hasText) return false;
    String pasted = bar->GetAcceptableEditText(clipboard->GetAsText());
    const Integer maxLength = GetMaxLength();
    if (maxLength > 0) {
      const Integer room = std::max<Integer>(0, maxLength - static_cast<Integer>(text.size() - length));
      if (static_cast<Integer>(pasted.size()) > room) pasted.resize(static_cast<size_t>(room));
    }
    if (!grid->GetDataLink()->Edit()) return true;
    grid->GetDataLink()->Modified();
    const String result = text.substr(0, start) + pasted + text.substr(start + length);
    SetText(result);
    SetSel(static_cast<Integer>(start + pasted.size()), 0);
    grid->SetEditTextValue(result);
    return true;
  }
  if (!clipboard->HasFormat(CF_TEXT)) return true;
  const String candidate = text.substr(0, start) + clipboard->GetAsText() + text.substr(start + length);
  String found;
  Variant key = grid->GetEditKeyValue();
  bool located = false;
  TDataSet* list = bar->LookupActive() ? bar->GetLookupParams()->GetLookupDataSet() : bar->GetListDataSet();
  if ((type == ctLookupField || type == ctDataList) && list && list->GetActive()) {
    const String field = type == ctDataList ? bar->GetDropDownBoxListField()
                                            : bar->GetLookupParams()->GetLookupDisplayFieldName();
    located = list->Locate(field, Variant(candidate), {loPartialKey});
    if (!located && bar->GetCaseInsensitiveTextSearch())
      located = list->Locate(field, Variant(candidate), {loPartialKey, loCaseInsensitive});
    if (located) {
      found = list->FieldByName(field)->GetText();
      key = type == ctDataList ? list->FieldByName(field)->GetAsVariant()
                               : list->FieldValues(bar->GetLookupParams()->GetLookupKeyFieldNames());
    } else {
      key = Variant::Null();
    }
  } else {
    const Integer index = bar->LocatePickList(candidate, true);
    located = index >= 0 && grid->CanEditModify();
    if (located) {
      found = bar->GetPickList()->Get(index);
      if (bar->HasKeyListItems() && index < bar->GetKeyList()->GetCount())
        key = Variant(bar->GetKeyList()->Get(index));
    }
  }
  if (!located && limited) return true;
  if (!grid->GetDataLink()->Edit()) return true;
  grid->GetDataLink()->Modified();
  if (located) {
    SetText(found);
    const size_t typed = std::min(candidate.size(), found.size());
    SetSel(static_cast<Integer>(typed), static_cast<Integer>(found.size() - typed));
  } else {
    found = candidate;
    SetText(found);
    SetSel(static_cast<Integer>(found.size()), 0);
  }
  grid->SetEditKeyValue(key);
  grid->SetEditTextValue(found);
  return true;
}
