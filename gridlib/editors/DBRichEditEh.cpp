// The data-aware rich-edit control: loading a field's RTF or text, when typing may start the dataset's
// edit state, writing the content back, the unbound content and its stream form, and the edit buttons.
#include "gridlib/editors/DBRichEditEh.h"

#include "gridlib/base/RichEditFormsEh.h"
#include "platform/classes/Streaming.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/ScopeGuard.h"

TDBRichEditEhEditButtonDefaultActionProc DBRichEditEhEditButtonDefaultActionProc =
    DefaultDBRichEditEhEditButtonDefaultAction;
TClass DBRichEditEhDropDownFormClass = TRichEditWinEh::StaticClass();

namespace {

// Empty for arrays and values that cannot be turned into text.
String VariantToRichText(const Variant& value) {
  if (value.IsArray()) return String();
  try {
    return VarToStr(value);
  } catch (const Exception&) {
    return String();
  }
}

bool IsBlobField(TField* field) { return field && field->IsBlob(); }

}  // namespace

bool IsRtfTextEh(const String& text) {
  return text.compare(0, 5, u"{\\rtf") == 0 || text.compare(0, 6, u"{\\urtf") == 0;
}

void TCustomDBRichEditEh::Published(TPropBuilder<TCustomDBRichEditEh>& p) {
  p.Object(u"Lines", &TCustomDBRichEditEh::GetLines, &TCustomDBRichEditEh::SetLines).Stored(false);
  p.Bool(u"AutoDisplay", &TCustomDBRichEditEh::GetAutoDisplay, &TCustomDBRichEditEh::SetAutoDisplay)
      .Default(true);
  p.Object(u"DataSource", &TCustomDBRichEditEh::GetDataSource, &TCustomDBRichEditEh::SetDataSource);
  p.Str(u"DataField", &TCustomDBRichEditEh::GetDataField, &TCustomDBRichEditEh::SetDataField);
  p.Bool(u"ReadOnly", &TCustomDBRichEditEh::GetReadOnly, &TCustomDBRichEditEh::SetReadOnly).Default(false);
}

TCustomDBRichEditEh::TCustomDBRichEditEh(TComponent* owner)
    : TCustomRichEdit(owner), dataLink_(std::make_unique<TFieldDataLinkEh>()) {
  TCustomRichEdit::SetReadOnly(true);
  dataLink_->SetControl(this);
  dataLink_->OnDataChange = TNotifyEvent(this, &TCustomDBRichEditEh::DataLinkDataChange);
  dataLink_->OnEditingChange = TNotifyEvent(this, &TCustomDBRichEditEh::DataLinkEditingChange);
  dataLink_->OnUpdateData = TNotifyEvent(this, &TCustomDBRichEditEh::DataLinkUpdateData);
  dynProps_ = std::make_unique<TDynVarsEh>(this);
  buttonsBox_ = new TEditButtonsBoxEh(this);
  buttonsBox_->SetBounds(0, 0, 0, 0);
  buttonsBox_->SetVisible(false);
  buttonsBox_->SetParent(this);
  buttonsBox_->OnDown = TButtonDownEventEh(this, &TCustomDBRichEditEh::EditButtonDown);
  buttonsBox_->OnClick = TNotifyEvent(this, &TCustomDBRichEditEh::EditButtonClick);
  buttonsBox_->OnMouseMove = TMouseMoveEvent(this, &TCustomDBRichEditEh::EditButtonMouseMove);
  buttonsBox_->OnMouseUp = TMouseEvent(this, &TCustomDBRichEditEh::EditButtonMouseUp);
  buttonsBox_->OnCreateEditButtonControl =
      TCreateEditButtonControlEvent(this, &TCustomDBRichEditEh::CreateEditButtonControl);
  editButtons_.reset(CreateEditButtons());
  editButtons_->OnChanged = TNotifyEvent(this, &TCustomDBRichEditEh::EditButtonsChanged);
  controlLabel_ = new TControlLabelEh(this);
  controlLabel_->FreeNotification(this);
  controlLabel_->SetFocusControl(this);
  labelLocation_ = std::make_unique<TControlLabelLocationEh>(this);
}

TCustomDBRichEditEh::~TCustomDBRichEditEh() {
  destroying_ = true;
  dataLink_->OnDataChange = TNotifyEvent();
  dataLink_->OnEditingChange = TNotifyEvent();
  dataLink_->OnUpdateData = TNotifyEvent();
  dataLink_->SetDataSource(nullptr);
  if (editButtons_) editButtons_->OnChanged = TNotifyEvent();
  if (buttonsBox_) buttonsBox_->SetButtonsCount(0);
}

TEditButtonsEh* TCustomDBRichEditEh::CreateEditButtons() {
  return new TEditButtonsEh(this, TVisibleEditButtonEh::StaticClass());
}

void TCustomDBRichEditEh::Notification(TComponent* component, TOperation operation) {
  TCustomRichEdit::Notification(component, operation);
  if (operation != opRemove) return;
  if (dataLink_ && component == dataLink_->GetDataSource()) SetDataSource(nullptr);
  if (component == controlLabel_) controlLabel_ = nullptr;
  if (component == buttonsBox_) buttonsBox_ = nullptr;
}

void TCustomDBRichEditEh::CreateParams(TCreateParams& params) {
  TCustomRichEdit::CreateParams(params);
  params.Style |= WS_CLIPCHILDREN;
}

// ---- Properties ----

void TCustomDBRichEditEh::SetAutoDisplay(bool value) {
  if (value == autoDisplay_) return;
  autoDisplay_ = value;
  if (value) LoadMemo();
}

void TCustomDBRichEditEh::SetReadOnly(bool value) {
  if (value == dataLink_->GetReadOnly()) return;
  dataLink_->SetReadOnly(value);
  UpdateEditReadOnly();
}

void TCustomDBRichEditEh::SetDataSource(TDataSource* value) {
  if (value == dataLink_->GetDataSource()) return;
  if (dataLink_->GetDataSourceFixed() &&
      (GetComponentState().Contains(csLoading) || GetComponentState().Contains(csDestroying)))
    return;
  dataLink_->SetDataSource(value);
  if (value) value->FreeNotification(this);
}

// ---- Content as text ----

void TCustomDBRichEditEh::InternalSetRtfText(const String& value) {
  if (IsRtfTextEh(value)) {
    TStringStream stream(value);
    GetLines()->LoadFromStream(&stream);
  } else {
    SetText(value);
  }
}

String TCustomDBRichEditEh::GetRtfText() const {
  TStringStream stream;
  GetLines()->SaveToStream(&stream);
  return stream.GetDataString();
}

void TCustomDBRichEditEh::SetRtfText(const String& value) {
  const bool bound = !DataIndepended();
  if (bound && GetComponentState().Contains(csDesigning)) return;
  if (bound && GetDataSource() && GetDataSource()->GetDataSet()) GetDataSource()->GetDataSet()->Edit();
  if (HandleAllocated())
    InternalSetRtfText(value);
  else
    internalRtfText_ = value;
  try {
    DataLinkUpdateData(this);
  } catch (...) {
    dataLink_->Reset();
    throw;
  }
}

void TCustomDBRichEditEh::DefineProperties(TFiler* filer) {
  TCustomRichEdit::DefineProperties(filer);
  const bool hasData = HandleAllocated() && GetLines()->GetCount() > 0 && DataIndepended();
  filer->DefineProperty(u"RtfText", TReaderProc(this, &TCustomDBRichEditEh::ReadRtfText),
                        TWriterProc(this, &TCustomDBRichEditEh::WriteRtfText), hasData);
}

void TCustomDBRichEditEh::ReadRtfText(TReader* reader) { SetRtfText(reader->ReadString()); }
void TCustomDBRichEditEh::WriteRtfText(TWriter* writer) { writer->WriteString(GetRtfText()); }

// ---- Loading and writing the field ----

void TCustomDBRichEditEh::LoadMemo() {
  TField* field = GetField();
  if (memoLoaded_ || !IsBlobField(field)) return;
  try {
    InternalSetRtfText(field->GetAsString());
    memoLoaded_ = true;
  } catch (const EOutOfResources& e) {
    // The content could not be shown; the field keeps it and the control stays unloaded.
    GetLines()->SetText(u"(" + e.Message() + u")");
  }
  UpdateEditReadOnly();
}

void TCustomDBRichEditEh::DataLinkDataChange(TObject*) {
  TField* field = GetField();
  if (field && !field->IsBlob()) {
    SetText(focused_ && field->CanModify() ? field->GetText() : field->GetDisplayText());
    memoLoaded_ = true;
  } else if (field && (autoDisplay_ || (dataLink_->GetEditing() && memoLoaded_))) {
    // Starting to edit reloads nothing when the field still holds what the editor shows.
    if (!dataSave_.empty() && dataSave_ == field->GetAsString()) return;
    memoLoaded_ = false;
    LoadMemo();
  } else if (field) {
    SetText(u"(" + field->GetDisplayLabel() + u")");
    memoLoaded_ = false;
  } else if (!DataIndepended()) {
    SetText(GetComponentState().Contains(csDesigning) ? GetName() : String());
    memoLoaded_ = false;
  }
  Invalidate();
  if (controlLabel_) controlLabel_->UpdateCaption();
}

bool TCustomDBRichEditEh::StartFieldEditing() {
  if (dataLink_->GetEditing()) return true;
  TField* field = GetField();
  if (IsBlobField(field)) dataSave_ = field->GetAsString();
  auto clear = MakeScopeExit([this] { dataSave_.clear(); });
  return dataLink_->Edit();
}

void TCustomDBRichEditEh::DataLinkUpdateData(TObject*) {
  TField* field = GetField();
  if (DataIndepended() || !field) return;
  if (field->IsBlob())
    field->SetAsString(GetRtfText());
  else
    field->SetAsString(GetText());
}

void TCustomDBRichEditEh::DataLinkEditingChange(TObject*) { UpdateEditReadOnly(); }

void TCustomDBRichEditEh::UpdateEditReadOnly() {
  if (DataIndepended())
    TCustomRichEdit::SetReadOnly(dataLink_->GetReadOnly());
  else
    TCustomRichEdit::SetReadOnly(!(dataLink_->GetEditing() && memoLoaded_));
}

void TCustomDBRichEditEh::SetFocused(bool value) {
  if (value == focused_) return;
  focused_ = value;
  dataLink_->Reset();
}

void TCustomDBRichEditEh::DoEnter() {
  SetFocused(true);
  TCustomRichEdit::DoEnter();
  TField* field = GetField();
  if (!DataIndepended() && field && field->CanModify() && !GetReadOnly()) TCustomRichEdit::SetReadOnly(false);
}

void TCustomDBRichEditEh::DoExit() {
  try {
    dataLink_->UpdateRecord();
  } catch (...) {
    if (CanFocus()) SetFocus();
    throw;
  }
  SetFocused(false);
  TCustomRichEdit::DoExit();
}

void TCustomDBRichEditEh::Change() {
  if (memoLoaded_) dataLink_->Modified();
  memoLoaded_ = true;
  TCustomRichEdit::Change();
}

// ---- Keys and messages ----

void TCustomDBRichEditEh::KeyDown(Word& key, TShiftState shift) {
  TCustomRichEdit::KeyDown(key, shift);
  if (!memoLoaded_) return;
  const bool changing = key == VK_DELETE || key == VK_BACK || (key == VK_INSERT && shift.Contains(ssShift)) ||
                        ((key == 'V' || key == 'X') && shift.Contains(ssCtrl));
  if (changing && !StartFieldEditing()) key = 0;
}

void TCustomDBRichEditEh::KeyPress(Char& key) {
  TCustomRichEdit::KeyPress(key);
  if (DataIndepended()) return;
  if (!memoLoaded_) {
    if (key == u'\r') LoadMemo();
    key = 0;
    return;
  }
  TField* field = GetField();
  if (key >= 32 && field && !field->IsValidChar(key)) {
    MessageBeep(0);
    key = 0;
    return;
  }
  switch (key) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 11:
    case 12:  // NOLINT
    case 14:
    case 15:
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
    case 23:
    case 25:
    case 26:
    case 28:
    case 29:
    case 30:
    case 31:
      return;
    case 27:
      dataLink_->Reset();
      return;
    default:
      if (!StartFieldEditing()) key = 0;
      return;
  }
}

void TCustomDBRichEditEh::SetChangeNotification(bool enable) {
  const auto mask = static_cast<DWORD>(Perform(EM_GETEVENTMASK, 0, 0));
  const DWORD changed = enable ? (mask | ENM_CHANGE) : (mask & ~static_cast<DWORD>(ENM_CHANGE));
  if (changed != mask) Perform(EM_SETEVENTMASK, 0, static_cast<LPARAM>(changed));
}

void TCustomDBRichEditEh::WndProc(TMessage& message) {
  if (message.Msg != WM_LBUTTONDOWN && message.Msg != WM_RBUTTONDOWN && message.Msg != WM_MBUTTONDOWN) {
    TCustomRichEdit::WndProc(message);
    return;
  }
  // A click only places the caret: it must not count as a change of the content.
  SetChangeNotification(false);
  auto restore = MakeScopeExit([this] { SetChangeNotification(true); });
  TCustomRichEdit::WndProc(message);
}

void TCustomDBRichEditEh::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
      if (!StartFieldEditing()) return;
      break;
    case EM_SETCHARFORMAT:
    case EM_SETPARAFORMAT:
      // Formatting is an edit of the field: refused where typing would be, so a format shown is never
      // one the field cannot take (nor one laid over the field's label in place of its content).
      if (message.Msg == EM_SETCHARFORMAT && creatingWnd_ > 0) break;
      if ((!memoLoaded_ && !DataIndepended()) || !StartFieldEditing()) {
        message.Result = 0;
        return;
      }
      TCustomRichEdit::Dispatch(message);
      // The window reports no change for a format alone; the field must still take it.
      if (message.Result != 0 && memoLoaded_) dataLink_->Modified();
      return;
    case WM_LBUTTONDBLCLK:
      if (!memoLoaded_) {
        LoadMemo();
        return;
      }
      break;
    case CM_GETDATALINK:
      message.Result = reinterpret_cast<LRESULT>(dataLink_.get());
      return;
    case CM_BIDIMODECHANGED:
      if (controlLabel_) controlLabel_->SetBiDiMode(GetBiDiMode());
      return;
    default:
      break;
  }
  TCustomRichEdit::Dispatch(message);
  if (message.Msg == CM_VISIBLECHANGED && controlLabel_) controlLabel_->UpdateVisibility();
}

// ---- Window life ----

void TCustomDBRichEditEh::CreateWnd() {
  ++creatingWnd_;
  {
    auto done = MakeScopeExit([this] { --creatingWnd_; });
    TCustomRichEdit::CreateWnd();
  }
  EditButtonsChanged(this);
  if (!internalRtfText_.empty()) {
    InternalSetRtfText(internalRtfText_);
    internalRtfText_.clear();
  }
}

void TCustomDBRichEditEh::DestroyWnd() {
  if (GetControlState().Contains(csRecreating)) internalRtfText_ = GetRtfText();
  TCustomRichEdit::DestroyWnd();
}

// ---- Edit buttons ----

TRect TCustomDBRichEditEh::GetEditButtonsRect() {
  const Integer width = buttonsBox_ ? buttonsBox_->GetButtonsWidth() : 0;
  const Integer clientWidth = GetClientWidth(), clientHeight = GetClientHeight();
  TRect rect(clientWidth - width, 0, clientWidth, clientHeight);
  // The single border is drawn inside the client area here: the buttons stand within it, not over it.
  if (GetBorderStyle() == bsSingle)
    rect = TRect(clientWidth - width - 1, 1, clientWidth - 1, clientHeight - 1);
  if (UseRightToLeftAlignment()) OffsetRect(&rect, -(clientWidth - width), 0);
  return rect;
}

TRect TCustomDBRichEditEh::CalcEditRect(const TRect& rect) {
  const Integer width = buttonsBox_ && buttonsBox_->GetVisible() ? buttonsBox_->GetButtonsWidth() : 0;
  TRect result = rect;
  if (UseRightToLeftAlignment())
    result.Left += width;
  else
    result.Right -= width;
  return result;
}

void TCustomDBRichEditEh::SetEditRect() {
  if (!HandleAllocated()) return;
  TRect rect = CalcEditRect(GetClientRect());
  Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&rect));
}

void TCustomDBRichEditEh::CreateEditButtonControl(TObject*, TEditButtonControlEh*& control) {
  control = new TEditButtonControlEh(this);
  control->SetControlStyle(control->GetControlStyle() << csReplicatable);
  control->SetBounds(0, 0, 10, 17);
  control->SetVisible(true);
  control->SetTransparent(false);
}

void TCustomDBRichEditEh::EditButtonsChanged(TObject*) {
  if (!HandleAllocated() || destroying_) return;
  UpdateButtonsBox();
  UpdateEditButtonsState();
  SetEditRect();
  Invalidate();
}

void TCustomDBRichEditEh::Resize() {
  TCustomRichEdit::Resize();
  if (HandleAllocated()) UpdateButtonsBox();
}

void TCustomDBRichEditEh::UpdateButtonsBox() {
  if (!buttonsBox_ || destroying_) return;
  buttonsBox_->BeginLayout();
  buttonsBox_->SetButtonsCount(editButtons_->GetCount());
  buttonsBox_->SetMaxButtonHeight(GetEditButtonsRect().Height());
  for (Integer i = 0; i < editButtons_->GetCount(); ++i)
    buttonsBox_->BtnCtlList()[static_cast<size_t>(i)].EditButton = editButtons_->GetEditButton(i);
  buttonsBox_->EndLayout();
  if (buttonsBox_->GetButtonsWidth() <= 0) {
    buttonsBox_->SetVisible(false);
    return;
  }
  const TRect rect = GetEditButtonsRect();
  buttonsBox_->SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
  buttonsBox_->SetVisible(true);
}

void TCustomDBRichEditEh::UpdateEditButtonsState() {
  if (!buttonsBox_ || destroying_) return;
  buttonsBox_->SetBorderActive(true);
  buttonsBox_->UpdateEditButtonControlsState();
  bool given = false;
  for (Integer i = 0; i < editButtons_->GetCount(); ++i) {
    TEditButtonEh* button = editButtons_->GetEditButton(i);
    TDropDownFormCallParamsEh* params = button->GetDropDownFormParams();
    const bool plain = !button->OnClick && !button->OnDown && !params->GetDropDownForm() &&
                       params->GetDropDownFormClassName().empty();
    button->ParentDefinedDefaultAction = plain && !given;
    given = given || plain;
  }
}

TEditButtonEh* TCustomDBRichEditEh::ButtonOfControl(TObject* control) const {
  if (!buttonsBox_) return nullptr;
  for (const auto& rec : buttonsBox_->GetBtnCtlList())
    if (rec.EditButtonControl == control) return rec.EditButton;
  return nullptr;
}

void TCustomDBRichEditEh::FillDropDownParams(TEditButtonEh* button, TEditButtonControlEh* control,
                                             bool withActualForm) {
  TDropDownFormCallParamsEh* params = button->GetDropDownFormParams();
  params->FEditButton = button;
  params->FEditButtonControl = control;
  params->FEditControl = this;
  params->FOnOpenDropDownFormProc = OnOpenDropDownForm;
  params->FOnCloseDropDownFormProc =
      TEditControlCloseDropDownFormEventEh(this, &TCustomDBRichEditEh::DoCloseDropDownForm);
  params->FDataLink = dataLink_.get();
  params->FField = GetField();
  params->FOnSetVarValueProc = [this](const Variant& value) { SetRtfText(VariantToRichText(value)); };
  params->FOnGetVarValueProc = [this](Variant& value) { value = Variant(GetRtfText()); };
  params->FOnGetActualDropDownFormProc =
      withActualForm ? TGetDropDownFormEventEh(this, &TCustomDBRichEditEh::GetActualDropDownForm)
                     : TGetDropDownFormEventEh();
}

void TCustomDBRichEditEh::ShowButtonDropDownForm(TEditButtonEh* button, TEditButtonControlEh* control,
                                                 bool& handled) {
  FillDropDownParams(button, control, false);
  button->GetDropDownFormParams()->CheckShowDropDownForm(handled);
}

void TCustomDBRichEditEh::GetActualDropDownForm(TCustomForm*& form, bool& freeFormOnClose) {
  form = DropDownFormGlobalRefEh(DBRichEditEhDropDownFormClass);
  if (form) freeFormOnClose = false;
}

void TCustomDBRichEditEh::DoCloseDropDownForm(TControl* editControl, TEditButtonEh* button, bool accept,
                                              TCustomForm* form, TDynVarsEh* dynParams) {
  CloseUp(accept);
  if (OnCloseDropDownForm) OnCloseDropDownForm(editControl, button, accept, form, dynParams);
}

void TCustomDBRichEditEh::CloseUp(bool) {
  if (!buttonsBox_) return;
  for (const auto& rec : buttonsBox_->GetBtnCtlList())
    if (rec.EditButtonControl) rec.EditButtonControl->SetAlwaysDown(false);
}

void TCustomDBRichEditEh::EditButtonDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled) {
  if (CanFocus() && !Focused()) SetFocus();
  handled = false;
  auto* control = dynamic_cast<TEditButtonControlEh*>(sender);
  TEditButtonEh* button = ButtonOfControl(sender);
  if (!control || !button) return;
  if (button->OnDown) button->OnDown(control, topButton, autoRepeat, handled);
  if (!handled) ShowButtonDropDownForm(button, control, handled);
  if (!handled && button->GetDropdownMenu()) {
    TPopupMenu* menu = button->GetDropdownMenu();
    const bool right = menu->GetAlignment() == paRight;
    const TPoint pos = control->ClientToScreen(TPoint(right ? control->GetWidth() : 0, control->GetHeight()));
    menu->Popup(pos.X, pos.Y);
    RemovePendingClickEh(control);
    control->Perform(WM_LBUTTONUP, 0, 0);
  }
  if (!handled && button->GetDefaultAction() && DBRichEditEhEditButtonDefaultActionProc)
    DBRichEditEhEditButtonDefaultActionProc(this, button, control, handled, true);
}

void TCustomDBRichEditEh::EditButtonClick(TObject* sender) {
  auto* control = dynamic_cast<TEditButtonControlEh*>(sender);
  TEditButtonEh* button = ButtonOfControl(sender);
  if (control && button) {
    bool handled = false;
    button->Click(control, handled);
    if (!handled && button->GetDefaultAction() && DBRichEditEhEditButtonDefaultActionProc)
      DBRichEditEhEditButtonDefaultActionProc(this, button, control, handled, false);
  }
  noClickCloseUp_ = false;
}

void TCustomDBRichEditEh::EditButtonMouseMove(TObject*, TShiftState, Integer, Integer) {}

void TCustomDBRichEditEh::EditButtonMouseUp(TObject* sender, TMouseButton, TShiftState, Integer x,
                                            Integer y) {
  auto* control = dynamic_cast<TControl*>(sender);
  if (control && (x < 0 || x > control->GetClientWidth() - 1 || y < 0 || y > control->GetClientHeight() - 1))
    noClickCloseUp_ = false;
}

void DefaultDBRichEditEhEditButtonDefaultAction(TCustomDBRichEditEh* edit, TEditButtonEh* button,
                                                TEditButtonControlEh* control, bool& handled, bool isDown) {
  const TEditButtonStyleEh style = button->GetStyle();
  if (isDown && (style == ebsDropDownEh || style == ebsAltUpDownEh)) {
    edit->FillDropDownParams(button, control, true);
    button->GetDropDownFormParams()->CheckShowDropDownForm(handled);
    return;
  }
  if (isDown || style != ebsEllipsisEh) return;
  auto* interactable = dynamic_cast<IDynParamsInteractableEh*>(TRichEditWinEh::GetGlobalRef());
  auto* form = dynamic_cast<TCustomForm*>(TRichEditWinEh::GetGlobalRef());
  handled = true;
  if (!interactable || !form) return;
  TDynVarsEh bag(nullptr);
  bag.CreateDynVar(String(), Variant(edit->GetRtfText()));
  TDynVarsEh* params = &bag;
  interactable->SetDynParams(params);
  if (form->ShowModal() != mrOk) return;
  interactable->GetDynParams(params);
  if (params && params->GetCount() > 0) edit->SetRtfText(VariantToRichText(params->GetItem(0)->GetValue()));
}

// ---- Label owner ----

String TCustomDBRichEditEh::GetControlLabelCaption() {
  TField* field = GetField();
  return field ? field->GetDisplayName() : GetName();
}

Integer TCustomDBRichEditEh::GetControlTextBaseLine() { return EditorTextBaseLineEh(GetFont(), GetCtl3D()); }

void TCustomDBRichEditEh::UpdateControlLabelBounds() {
  PlaceControlLabelEh(controlLabel_, labelLocation_.get());
}

void TCustomDBRichEditEh::ControlLabelLocationChanged() {
  if (!GetComponentState().Contains(csLoading)) UpdateControlLabelBounds();
}

void TCustomDBRichEditEh::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  TCustomRichEdit::SetBounds(left, top, width, height);
  UpdateControlLabelBounds();
}

void TCustomDBRichEditEh::SetParent(TWinControl* parent) {
  TCustomRichEdit::SetParent(parent);
  FollowEditorParentEh(controlLabel_);
}
