// The edit box: what it shows for the field, how typing starts the dataset's edit state, when the text
// goes into the field, what Esc restores, and how masks, alignment and the maximum length follow the
// field; its label and the in-place holder.
#include "gridlib/base/GridLibCore.h"
#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/data/DataSet.h"
#include "platform/graphics/Themes.h"

namespace {

// Empty for Null, arrays and values that cannot be turned into text.
String VarToTextEh(const Variant& value) {
  if (value.IsArray()) return String();
  try {
    return VarToStr(value);
  } catch (const Exception&) {
    return String();
  }
}

bool IsTextField(TField* field) {
  return field && (field->GetDataType() == ftString || field->GetDataType() == ftWideString);
}

}  // namespace

TCustomDBEditEh::TCustomDBEditEh(TComponent* owner)
    : TCustomMaskEdit(owner), dataLink_(std::make_unique<TFieldDataLinkEh>()) {
  controlStyle_ << csCaptureMouse << csReplicatable;
  dataLink_->SetControl(this);
  dataLink_->OnDataChange = TNotifyEvent(this, &TCustomDBEditEh::DataLinkDataChange);
  dataLink_->OnEditingChange = TNotifyEvent(this, &TCustomDBEditEh::DataLinkEditingChange);
  dataLink_->OnUpdateData = TNotifyEvent(this, &TCustomDBEditEh::DataLinkUpdateData);
  dataLink_->OnActiveChange = TNotifyEvent(this, &TCustomDBEditEh::DataLinkActiveChange);
  editButton_ = std::make_unique<TEditButtonEh>(this, 0);
  editButton_->OnChanged = TNotifyEvent(this, &TCustomDBEditEh::ButtonChanged);
  editButtons_ = std::make_unique<TEditButtonsEh>(this, TVisibleEditButtonEh::StaticClass());
  editButtons_->OnChanged = TNotifyEvent(this, &TCustomDBEditEh::ButtonChanged);
  mruList_ = std::make_unique<TMRUListEh>(this);
  mruList_->OnSetDropDown = TSetDropDownEventEh(this, &TCustomDBEditEh::MRUDropDown);
  mruList_->OnSetCloseUp = TSetCloseUpEventEh(this, &TCustomDBEditEh::MRUCloseUp);
  dynProps_ = std::make_unique<TDynVarsEh>(this);
  editImage_ = std::make_unique<TEditImageEh>(this);
  emptyDataInfo_ = std::make_unique<TControlEmptyDataInfoEh>(this);
  buttonsBox_ = new TEditButtonsBoxEh(this);
  buttonsBox_->SetBounds(0, 0, 0, 0);
  buttonsBox_->SetVisible(false);
  buttonsBox_->SetParent(this);
  buttonsBox_->OnDown = TButtonDownEventEh(this, &TCustomDBEditEh::BoxDown);
  buttonsBox_->OnClick = TNotifyEvent(this, &TCustomDBEditEh::BoxClick);
  buttonsBox_->OnMouseUp = TMouseEvent(this, &TCustomDBEditEh::BoxMouseUp);
  buttonsBox_->OnCreateEditButtonControl =
      TCreateEditButtonControlEvent(this, &TCustomDBEditEh::CreateEditButtonControl);
  controlLabel_ = new TControlLabelEh(this);
  controlLabel_->FreeNotification(this);
  controlLabel_->SetFocusControl(this);
  labelLocation_ = std::make_unique<TControlLabelLocationEh>(this);
  SetAutoSelect(true);
  UpdateEditReadOnly();
  // The box is as high as its font and borders need, as an edit is.
  SetAutoSize(true);
}

TCustomDBEditEh::~TCustomDBEditEh() {
  destroying_ = true;
  CloseUp(false);
  dataLink_->OnDataChange = TNotifyEvent();
  dataLink_->OnEditingChange = TNotifyEvent();
  dataLink_->OnUpdateData = TNotifyEvent();
  dataLink_->OnActiveChange = TNotifyEvent();
  dataLink_->SetDataSource(nullptr);
  if (buttonsBox_) buttonsBox_->SetButtonsCount(0);
}

// ---- Binding ----

void TCustomDBEditEh::SetDataField(const String& value) {
  ResetMaxLength();
  dataLink_->SetFieldName(value);
  UpdateEditButtonsState();
  Invalidate();
}

void TCustomDBEditEh::SetDataSource(TDataSource* value) {
  if (value == dataLink_->GetDataSource()) return;
  if (!dataLink_->GetDataSourceFixed()) dataLink_->SetDataSource(value);
  if (value) value->FreeNotification(this);
  DataLinkDataChange(dataLink_.get());
  Invalidate();
}

void TCustomDBEditEh::Notification(TComponent* component, TOperation operation) {
  TCustomMaskEdit::Notification(component, operation);
  if (operation != opRemove) return;
  if (dataLink_ && component == dataLink_->GetDataSource()) SetDataSource(nullptr);
  if (component == controlLabel_) controlLabel_ = nullptr;
  if (component == mruListControl_) mruListControl_ = nullptr;
  if (component == buttonsBox_) buttonsBox_ = nullptr;
  if (editImage_ && component == editImage_->GetImages()) editImage_->SetImages(nullptr);
}

void TCustomDBEditEh::Loaded() {
  TCustomMaskEdit::Loaded();
  ResetMaxLength();
}

void TCustomDBEditEh::DataLinkActiveChange(TObject*) {
  ResetMaxLength();
  UpdateEditButtonsState();
}

void TCustomDBEditEh::ResetMaxLength() {
  if (GetMaxLength() <= 0 || !GetDataSource() || !GetDataSource()->GetDataSet()) return;
  TField* field = GetDataSource()->GetDataSet()->FindField(GetDataField());
  if (IsTextField(field) && field->GetSize() == GetMaxLength()) SetMaxLength(0);
}

// ---- What the editor shows ----

TAlignment TCustomDBEditEh::DefaultAlignment() const {
  TField* field = GetField();
  return field ? field->GetAlignment() : taLeftJustify;
}

String TCustomDBEditEh::DefaultEditMask() const {
  TField* field = GetField();
  return field ? field->GetEditMask() : String();
}

TAlignment TCustomDBEditEh::GetAlignment() const {
  return assignedValues_.Contains(evAlignmentEh) ? alignment_ : DefaultAlignment();
}

void TCustomDBEditEh::SetAlignment(TAlignment value) {
  alignment_ = value;
  assignedValues_.Include(evAlignmentEh);
  UpdateWindowAlignment();
  Invalidate();
}

void TCustomDBEditEh::SetEditMask(const String& value) {
  if (assignedValues_.Contains(evEditMaskEh) && value == GetEditMask()) return;
  TCustomMaskEdit::SetEditMask(value);
  assignedValues_.Include(evEditMaskEh);
  if (DataIndepended())
    PostEditTextToField();
  else
    DataLinkDataChange(dataLink_.get());
}

bool TCustomDBEditEh::IsValidChar(Char key) const {
  TField* field = GetField();
  return !field || field->IsValidChar(key);
}

void TCustomDBEditEh::SetOwnEditText(const String& text) {
  const bool saved = internalTextSetting_;
  internalTextSetting_ = true;
  try {
    SetEditText(text);
  } catch (...) {
    internalTextSetting_ = saved;
    throw;
  }
  internalTextSetting_ = saved;
}

void TCustomDBEditEh::DataLinkDataChange(TObject*) {
  DataChanged();
  UpdateEditButtonsState();
  if (controlLabel_) controlLabel_->UpdateCaption();
}

void TCustomDBEditEh::DataChanged() {
  TField* field = GetField();
  const bool maskExplicit = assignedValues_.Contains(evEditMaskEh);
  if (field && !DataIndepended()) {
    Variant value;
    bool handled = false;
    if (OnGetFieldData) OnGetFieldData(this, value, handled);
    const bool editText = focused_ && dataLink_->CanModify();
    if (!handled) {
      if (field->IsBlob())
        value = Variant(field->GetAsString());
      else
        value = Variant(editText ? field->GetText() : field->GetDisplayText());
      UpdateWindowAlignment();
      if (!maskExplicit && TCustomMaskEdit::GetEditMask() != field->GetEditMask())
        TCustomMaskEdit::SetEditMask(field->GetEditMask());
      if (IsTextField(field) && GetMaxLength() == 0) SetMaxLength(field->GetSize());
    }
    if (editText) {
      InternalSetText(VarToTextEh(value));
    } else {
      String text = VarToTextEh(value);
      if (IsMasked()) ApplyEditMaskEh(GetEditMask(), text, text);
      SetOwnEditText(text);
    }
  } else {
    if (!maskExplicit && IsMasked()) TCustomMaskEdit::SetEditMask(String());
    SetOwnEditText(DataIndepended() ? VarToTextEh(dataLink_->DataIndependentValue) : String());
  }
  UpdateEditReadOnly();
  SetModified(false);
  if (PaintsOverWidget()) Invalidate();
}

bool TCustomDBEditEh::IsEmpty() {
  if (IsMasked()) {
    String empty;
    ApplyEditMaskEh(GetEditMask(), String(), empty);
    return GetEditText() == empty;
  }
  return GetText().empty();
}

// ---- Read-only state ----

void TCustomDBEditEh::SetReadOnly(bool value) {
  if (value == readOnly_) return;
  readOnly_ = value;
  EditingStateChanged();
}

void TCustomDBEditEh::EditingStateChanged() { UpdateEditReadOnly(); }

void TCustomDBEditEh::DataLinkEditingChange(TObject*) { EditingStateChanged(); }

void TCustomDBEditEh::UpdateEditReadOnly() {
  // Unbound the editor is a plain edit; bound, the window takes input only when the field may change,
  // and the first key puts the dataset into edit state.
  bool readOnly = readOnly_ || (!DataIndepended() && !dataLink_->CanModify());
  if (readOnly && inplaceMode_ && intfInplaceEditHolder_)
    readOnly = !intfInplaceEditHolder_->InplaceEditCanModify(this);
  if (TCustomEdit::GetReadOnly() != readOnly) TCustomEdit::SetReadOnly(readOnly);
}

bool TCustomDBEditEh::EditCanModify() { return !readOnly_ && dataLink_->Edit(); }

// ---- Typing ----

void TCustomDBEditEh::KeyDown(Word& key, TShiftState shift) {
  if (inplaceMode_ && intfInplaceEditHolder_ && intfInplaceEditHolder_->InplaceEditKeyDown(this, key, shift))
    return;
  if (mruListControl_ && mruListControl_->GetVisible()) {
    if (key == VK_UP || key == VK_DOWN) {
      Integer index = mruListControl_->GetItemIndex() + (key == VK_DOWN ? 1 : -1);
      if (index >= 0 && index < mruListControl_->GetCount()) mruListControl_->SetItemIndex(index);
      key = 0;
      return;
    }
    if (key == VK_RETURN || key == VK_ESCAPE) {
      mruList_->CloseUp(key == VK_RETURN && mruListControl_->GetItemIndex() >= 0);
      key = 0;
      return;
    }
  }
  if (key == VK_ESCAPE && shift.Empty() && (GetModified() || dataLink_->GetModified())) {
    Reset();
    key = 0;
    return;
  }
  if (HandleShortCut(key, shift)) {
    key = 0;
    return;
  }
  if (key == 'A' && shift == TShiftState{ssCtrl}) {
    SelectAll();
    key = 0;
    return;
  }
  const bool edits = key == VK_DELETE || (key == VK_INSERT && shift.Contains(ssShift)) ||
                     (!IsMasked() && key == VK_BACK) ||
                     (shift.Contains(ssCtrl) && (key == 'V' || key == 'X' || key == 'Z'));
  if (edits && !EditCanModify()) {
    key = 0;
    return;
  }
  if ((key == VK_RETURN && wantReturns_) || (key == VK_TAB && wantTabs_)) EditCanModify();
  TCustomMaskEdit::KeyDown(key, shift);
}

void TCustomDBEditEh::KeyPress(Char& key) {
  if (inplaceMode_ && intfInplaceEditHolder_ && intfInplaceEditHolder_->InplaceEditKeyPress(this, key))
    return;
  if (key == u'\x1b') {
    Reset();
    key = 0;
    return;
  }
  if ((key == u'\r' && !wantReturns_) || (key == u'\t' && !wantTabs_) || key == u'\n') {
    // Enter and Tab are not text: the mask must not see them.
    // NOLINTNEXTLINE(bugprone-parent-virtual-call)
    TWinControl::KeyPress(key);
    key = 0;
    return;
  }
  if (key >= 32 && !DataIndepended() && GetField() && !IsValidChar(key)) {
    MessageBeep(0);
    key = 0;
    return;
  }
  // The dataset must be editing before the window takes the character.
  if ((key == u'\b' || key == 22 || key == 24 || key >= 32) && !IsMasked() && !EditCanModify()) {
    key = 0;
    return;
  }
  TCustomMaskEdit::KeyPress(key);
}

void TCustomDBEditEh::Change() {
  if (destroying_) return;
  if (!internalTextSetting_) {
    dataLink_->Modified();
    userTextChanged_ = true;
  }
  TCustomMaskEdit::Change();
  if (!internalTextSetting_ && userTextChanged_) UpdateMRUList();
  userTextChanged_ = false;
  UpdateImageIndex();
  if (PaintsOverWidget()) Invalidate();
}

void TCustomDBEditEh::Reset() {
  dataLink_->Reset();
  SetModified(false);
  SelectAll();
}

void TCustomDBEditEh::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_GETDATALINK:
      message.Result = reinterpret_cast<LRESULT>(dataLink_.get());
      return;
    case CM_HINTSHOW: {
      // A text too long for the box shows whole under it; without the user's own hints nothing else.
      THintInfo* info = reinterpret_cast<TCMHintShow&>(message).HintInfo;
      if (tooltips_ && IsTextClipped()) {
        info->HintStr = GetText();
        info->HintPos = ClientToScreen(TPoint(0, GetHeight()));
        info->HintWindowClass = TToolTipsWindow::StaticClass();
        info->HintData = GetFont();
        message.Result = 0;
        return;
      }
      if (!ownShowHint_) {
        message.Result = 1;
        return;
      }
      break;
    }
    case CM_FONTCHANGED:
    case CM_CTL3DCHANGED:
      TCustomMaskEdit::Dispatch(message);
      if (GetAutoSize()) AdjustSize();
      emptyDataInfo_->RefreshDefaultFont();
      UpdateControlLabelBounds();
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      // Also for the buttons inside: leaving the text for a button enters the editor again.
      TCustomMaskEdit::Dispatch(message);
      mouseAboveControl_ = message.Msg == CM_MOUSEENTER;
      UpdateBorderActive();
      if (ThemesEnabled()) Invalidate();
      return;
    case WM_SETCURSOR:
      // The image and the buttons are no text: the arrow there, the text cursor over the text.
      if (reinterpret_cast<TWMSetCursor&>(message).HitTest == HTCLIENT && Screen) {
        ::SetCursor(Screen->GetCursors(GetCursorAt(ScreenToClient(Mouse->GetCursorPos()))));
        message.Result = 1;
        return;
      }
      break;
    case CM_WANTSPECIALKEY:
      // Esc takes back the typing before the form's cancel button sees it.
      if (message.WParam == VK_ESCAPE && (GetModified() || dataLink_->GetModified())) {
        message.Result = 1;
        return;
      }
      if ((message.WParam == VK_RETURN || message.WParam == VK_ESCAPE) && mruListControl_ &&
          mruListControl_->GetVisible()) {
        message.Result = 1;
        return;
      }
      if (message.WParam == VK_RETURN && inplaceMode_) {
        message.Result = 1;
        return;
      }
      break;
    case WM_PASTE:
      if (!EditCanModify()) return;
      if (!IsMasked() && !wantReturns_) {
        // Lines pasted into a one-line editor are joined by spaces.
        String text = Clipboard()->GetAsText();
        while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n')) text.pop_back();
        String joined;
        for (size_t i = 0; i < text.size(); ++i) {
          const Char c = text[i];
          if ((c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ||
              (c == u'\n' && i + 1 < text.size() && text[i + 1] == u'\r')) {
            joined += u' ';
            ++i;
          } else {
            joined += (c == u'\r' || c == u'\n') ? u' ' : c;
          }
        }
        SetSelText(joined);
        return;
      }
      break;
    default:
      break;
  }
  TCustomMaskEdit::Dispatch(message);
}

// ---- Posting ----

void TCustomDBEditEh::DataLinkUpdateData(TObject*) {
  if (!dataPosting_) UpdateData();
}

void TCustomDBEditEh::UpdateData() {
  if (focused_) ValidateEdit();
  if (!TFieldDataLinkEh::RunUpdateDataHandler(this, OnUpdateData, dataPosting_)) PostEditTextToField();
  SetModified(false);
  if (mruList_->GetActive() && mruList_->GetAutoAdd()) mruList_->Add(GetText());
}

void TCustomDBEditEh::PostEditTextToField() {
  if (DataIndepended())
    dataLink_->SetText(GetEditText());
  else
    dataLink_->SetText(GetText());
}

void TCustomDBEditEh::InternalSetText(const String& text) {
  const bool saved = internalTextSetting_;
  internalTextSetting_ = true;
  try {
    TCustomMaskEdit::SetText(text);
  } catch (...) {
    internalTextSetting_ = saved;
    throw;
  }
  internalTextSetting_ = saved;
}

void TCustomDBEditEh::InternalSetValue(const Variant& value) { InternalSetText(VarToTextEh(value)); }

Variant TCustomDBEditEh::GetVariantValue() { return Variant(GetText()); }

void TCustomDBEditEh::SetText(const String& value) {
  dataLink_->SetFromCode([&] { InternalSetText(value); }, [this] { UpdateData(); }, dataPosting_);
}

void TCustomDBEditEh::SetVariantValue(const Variant& value) {
  dataLink_->SetFromCode([&] { InternalSetValue(value); }, [this] { UpdateData(); }, dataPosting_);
}

Variant TCustomDBEditEh::ReadFieldValue(const std::function<Variant(TField*)>& read) {
  Variant value = Variant::Null();
  if (dataLink_->GetDataIndepended()) return dataLink_->DataIndependentValue;
  TField* field = GetField();
  if (!field) return value;
  bool handled = false;
  if (OnGetFieldData) OnGetFieldData(this, value, handled);
  return handled ? value : read(field);
}

void TCustomDBEditEh::Clear() { SetText(String()); }

// ---- Focus ----

void TCustomDBEditEh::SetFocused(bool value) {
  if (value == focused_) return;
  focused_ = value;
  // Focused the editor shows the field's edit text, unfocused its display text.
  dataLink_->Reset();
  UpdateBorderActive();
  if (PaintsOverWidget()) Invalidate();
}

void TCustomDBEditEh::DoEnter() {
  SetFocused(true);
  TCustomMaskEdit::DoEnter();
  if (GetAutoSelect()) SelectAll();
}

void TCustomDBEditEh::DoExit() {
  // A form going away takes its editors with it: nothing is written, nothing is asked.
  TCustomForm* form = GetParentForm(this);
  if (destroying_ || GetComponentState().Contains(csDestroying) ||
      (form && form->GetComponentState().Contains(csDestroying))) {
    // A closing form asks nothing: the mask's check on leaving is skipped.
    // NOLINTNEXTLINE(bugprone-parent-virtual-call)
    TWinControl::DoExit();
    return;
  }
  if (mruListControl_ && mruListControl_->GetVisible()) mruList_->CloseUp(false);
  // The mask's check on leaving refuses like the field does: the text stays selected for mending.
  try {
    TCustomMaskEdit::DoExit();
  } catch (...) {
    SelectAll();
    if (CanFocus()) SetFocus();
    throw;
  }
  dataLink_->UpdateRecordOnExit(this, [this] { SelectAll(); });
  SetFocused(false);
  CheckCursor();
}

void TCustomDBEditEh::CreateWnd() {
  TCustomMaskEdit::CreateWnd();
  UpdateEditReadOnly();
  UpdateButtonsBox();
  EditImageChanged();
}

// ---- Label ----

String TCustomDBEditEh::GetControlLabelCaption() {
  TField* field = GetField();
  return field ? field->GetDisplayName() : GetName();
}

Integer TCustomDBEditEh::GetControlTextBaseLine() {
  const Integer textHeight = GetFontTextHeightEh(nullptr, TControl::GetFont(), false);
  return textHeight + 2 * GetSystemMetrics(SM_CYBORDER) + ((GetCtl3D() && !flat_) ? 1 : 0);
}

void TCustomDBEditEh::UpdateControlLabelBounds() {
  if (!controlLabel_ || !labelLocation_) return;
  TPoint pos;
  labelLocation_->CalcLabelPosForControl(controlLabel_->GetWidth(), controlLabel_->GetHeight(), pos);
  if (pos.X != controlLabel_->GetLeft() || pos.Y != controlLabel_->GetTop())
    controlLabel_->SetBounds(pos.X, pos.Y, controlLabel_->GetWidth(), controlLabel_->GetHeight());
}

void TCustomDBEditEh::ControlLabelLocationChanged() {
  if (!GetComponentState().Contains(csLoading)) UpdateControlLabelBounds();
}

void TCustomDBEditEh::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  TCustomMaskEdit::SetBounds(left, top, width, height);
  UpdateButtonsBox();
  UpdateControlLabelBounds();
}

void TCustomDBEditEh::SetParent(TWinControl* parent) {
  TCustomMaskEdit::SetParent(parent);
  if (!controlLabel_) return;
  controlLabel_->UpdateParent();
  controlLabel_->UpdateVisibility();
  controlLabel_->UpdateCaption();
}

// ---- In-place mode ----

void TCustomDBEditEh::SetInplaceEditHolder(TWinControl* holder) {
  inplaceEditHolder_ = holder;
  intfInplaceEditHolder_ = dynamic_cast<IInplaceEditHolderEh*>(holder);
  inplaceMode_ = holder != nullptr;
  UpdateEditReadOnly();
}
