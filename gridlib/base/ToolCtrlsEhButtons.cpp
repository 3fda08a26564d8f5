// Edit buttons of the grid library: the button model with its images, action link and collection, the
// control that paints and clicks one button with auto-repeat, and the drop-down form call parameters
// that carry values to a drop-down form and back.
#include <map>

#include "gridlib/base/DropDownFormEh.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"

// ======================================================================================
// Drop-down form call parameters
// ======================================================================================

namespace {

std::map<TClass, TDropDownFormGlobalRefProcEh>& GlobalRefProcs() {
  static std::map<TClass, TDropDownFormGlobalRefProcEh> procs;
  return procs;
}

}  // namespace

void RegisterDropDownFormGlobalRefEh(TClass formClass, TDropDownFormGlobalRefProcEh proc) {
  if (!proc) {
    GlobalRefProcs().erase(formClass);
    return;
  }
  GlobalRefProcs()[formClass] = std::move(proc);
}

TCustomForm* DropDownFormGlobalRefEh(TClass formClass) {
  for (TClass c = formClass; c; c = c->ClassParent()) {
    auto it = GlobalRefProcs().find(c);
    if (it != GlobalRefProcs().end()) return it->second();
  }
  return nullptr;
}

TDropDownFormCallParamsEh::TDropDownFormCallParamsEh() = default;
TDropDownFormCallParamsEh::~TDropDownFormCallParamsEh() = default;

void TDropDownFormCallParamsEh::Assign(TPersistent* source) {
  auto* s = dynamic_cast<TDropDownFormCallParamsEh*>(source);
  if (!s) {
    TPersistent::Assign(source);
    return;
  }
  align_ = s->align_;
  assignBackFieldNames_ = s->assignBackFieldNames_;
  SetDropDownForm(s->dropDownForm_);
  SetDropDownFormClassName(s->dropDownFormClassName_);
  formHeight_ = s->formHeight_;
  formWidth_ = s->formWidth_;
  passFieldNames_ = s->passFieldNames_;
  passParams_ = s->passParams_;
  saveFormSize_ = s->saveFormSize_;
}

void TDropDownFormCallParamsEh::SetDropDownForm(TCustomForm* value) {
  if (dropDownForm_ == value) return;
  dropDownForm_ = value;
  Changed();
}

void TDropDownFormCallParamsEh::SetDropDownFormClassName(const String& value) {
  if (dropDownFormClassName_ == value) return;
  dropDownFormClassName_ = value;
  Changed();
}

void TDropDownFormCallParamsEh::Changed() {
  if (OnChanged) OnChanged(this);
}

TCustomForm* TDropDownFormCallParamsEh::GetActualDropDownForm(bool& freeFormOnClose) {
  if (FOnGetActualDropDownFormProc) {
    TCustomForm* form = nullptr;
    FOnGetActualDropDownFormProc(form, freeFormOnClose);
    return form;
  }
  freeFormOnClose = false;
  if (dropDownForm_) return dropDownForm_;
  if (dropDownFormClassName_.empty()) return nullptr;
  TClass cls = GetClass(dropDownFormClassName_);
  if (!cls) throw Exception(u"Class '" + dropDownFormClassName_ + u"' is not registered");
  if (TCustomForm* shared = DropDownFormGlobalRefEh(cls)) return shared;
  auto* form = cls->Create<TCustomForm>(GetEditControl());
  if (!DropDownFormGlobalRefEh(cls)) freeFormOnClose = true;
  return form;
}

void TDropDownFormCallParamsEh::GetVarValue(Variant& value) {
  if (!FOnGetVarValueProc) {
    value = Variant();
    return;
  }
  value = Variant::Null();
  FOnGetVarValueProc(value);
}

bool TDropDownFormCallParamsEh::IsDataReadOnly() {
  TField* field = GetField();
  bool readOnly = field && field->GetReadOnly();
  if (OnCheckDataIsReadOnly) OnCheckDataIsReadOnly(readOnly);
  return readOnly;
}

void TDropDownFormCallParamsEh::GetEditControlScreenRect(TRect& rect) {
  if (TWinControl* edit = GetEditControl()) {
    GetControlScreenRectEh(edit, rect);
    return;
  }
  rect = FEditControlScreenRect;
}

TDropDownFormSysParams* TDropDownFormCallParamsEh::CreateSysParams() {
  return new TEditControlDropDownFormSysParams();
}

void TDropDownFormCallParamsEh::InitDropDownForm(TCustomForm* form, TDynVarsEh*, TDropDownFormSysParams*) {
  if (TEditButtonControlEh* control = GetEditButtonControl()) control->SetAlwaysDown(true);
  IDropDownFormEh* dropDown = nullptr;
  if (Supports(form, &dropDown)) dropDown->SetReadOnly(IsDataReadOnly());
}

void TDropDownFormCallParamsEh::FillSysParams(TDropDownFormSysParams* sysParams) {
  if (auto* p = dynamic_cast<TEditControlDropDownFormSysParams*>(sysParams)) {
    p->FEditControl = GetEditControl();
    p->FEditButton = GetEditButton();
  }
}

void TDropDownFormCallParamsEh::OpenDropDownForm(TCustomForm*& form, TDynVarsEh* dynParams,
                                                 TDropDownFormSysParams*) {
  if (FOnOpenDropDownFormProc) FOnOpenDropDownFormProc(GetEditControl(), GetEditButton(), form, dynParams);
}

void TDropDownFormCallParamsEh::SetVarValue(const Variant& value) {
  if (FOnSetVarValueProc) FOnSetVarValueProc(value);
}

void TDropDownFormCallParamsEh::FillDynParams(TDynVarsEh* dynParams) {
  TDataLink* link = GetDataLink();
  TDataSet* dataSet = link ? link->GetDataSet() : nullptr;
  if (!passFieldNames_.empty() && dataSet) {
    for (TField* f : dataSet->GetFieldList(passFieldNames_))
      dynParams->CreateDynVar(f->GetFieldName(), f->GetValue());
    return;
  }
  switch (passParams_) {
    case pspFieldValueEh: {
      Variant value;
      GetVarValue(value);
      dynParams->CreateDynVar(GetField() ? GetField()->GetFieldName() : String(), value);
      break;
    }
    case pspRecordValuesEh:
      if (dataSet)
        for (Integer i = 0; i < dataSet->GetFieldCount(); ++i) {
          TField* f = dataSet->GetFields()->GetField(i);
          dynParams->CreateDynVar(f->GetFieldName(), f->GetValue());
        }
      break;
    default:
      break;  // the open event fills the bag
  }
}

void TDropDownFormCallParamsEh::AssignBackDynParams(TDynVarsEh* dynParams) {
  if ((passParams_ == pspByFieldNamesEh || passParams_ == pspCustomValuesEh) && assignBackFieldNames_.empty())
    return;
  TDataLink* link = GetDataLink();
  TDataSet* dataSet = link ? link->GetDataSet() : nullptr;
  bool startedEdit = false;
  if (dataSet && dataSet->GetState() != dsEdit && dataSet->GetState() != dsInsert) {
    dataSet->Edit();
    startedEdit = true;
  }
  // A value that a field refuses leaves no half-written record behind the edit this call began.
  auto cancel = MakeScopeExit([&] {
    if (startedEdit) dataSet->Cancel();
  });
  if (!assignBackFieldNames_.empty() && dataSet) {
    // A field whose variable the form did not return keeps its value.
    for (TField* f : dataSet->GetFieldList(assignBackFieldNames_))
      if (TDynVarEh* var = dynParams->FindDynVar(f->GetFieldName())) f->SetValue(var->GetData());
  } else if (dynParams->GetCount() > 0) {
    SetVarValue(dynParams->GetItem(0)->GetData());
  }
  if (startedEdit) dataSet->Post();
  cancel.Release();
}

void TDropDownFormCallParamsEh::DropDownFormCloseCallback(TCustomForm* form, bool accept,
                                                          TDynVarsEh* dynParams,
                                                          TDropDownFormSysParams* sysParams) {
  std::unique_ptr<TDynVarsEh> ownedParams(dynParams);
  std::unique_ptr<TDropDownFormSysParams> ownedSys(sysParams);
  try {
    if (accept) AssignBackDynParams(dynParams);
    form->Hide();
    if (saveFormSize_) {
      formWidth_ = form->GetWidth();
      if (oldFormWidth_ > 0) form->SetWidth(oldFormWidth_);
      formHeight_ = form->GetHeight();
      if (oldFormHeight_ > 0) form->SetHeight(oldFormHeight_);
    }
    if (FOnCloseDropDownFormProc)
      FOnCloseDropDownFormProc(GetEditControl(), nullptr, accept, form, dynParams);
    DropDownFormClosed(accept, form, dynParams, sysParams);
    if (TWinControl* edit = GetEditControl(); edit && edit->HandleAllocated()) {
      auto* sys = dynamic_cast<TEditControlDropDownFormSysParams*>(sysParams);
      TObject* released = sys && sys->FEditButton ? static_cast<TObject*>(sys->FEditButton) : edit;
      PostMessage(edit->GetHandle(), WM_USER, reinterpret_cast<WPARAM>(edit->GetHandle()),
                  ObjectToLParamEh(released));
    }
  } catch (...) {
    // The form is closing from its own event: the error is shown, not thrown through the window system,
    // while the form stays up rather than closing under the message as it takes the activation.
    auto* dropDown = dynamic_cast<TCustomDropDownFormEh*>(form);
    const bool kept = dropDown && dropDown->GetKeepFormVisible();
    if (dropDown) dropDown->SetKeepFormVisible(true);
    auto restore = MakeScopeExit([&] {
      if (dropDown) dropDown->SetKeepFormVisible(kept);
    });
    Application->HandleException(this, std::current_exception());
  }
}

void TDropDownFormCallParamsEh::CheckShowDropDownForm(bool& handled) {
  bool freeFormOnClose = false;
  TCustomForm* form = GetActualDropDownForm(freeFormOnClose);
  auto dynParams = std::make_unique<TDynVarsEh>(GetEditControl());
  std::unique_ptr<TDropDownFormSysParams> sysParams(CreateSysParams());
  sysParams->FreeFormOnClose = freeFormOnClose;
  FillSysParams(sysParams.get());
  FillDynParams(dynParams.get());
  OpenDropDownForm(form, dynParams.get(), sysParams.get());
  IDropDownFormEh* dropDown = nullptr;
  if (!Supports(form, &dropDown)) return;
  if (saveFormSize_) {
    oldFormWidth_ = form->GetWidth();
    if (formWidth_ > 0) form->SetWidth(formWidth_);
    oldFormHeight_ = form->GetHeight();
    if (formHeight_ > 0) form->SetHeight(formHeight_);
  }
  InitDropDownForm(form, dynParams.get(), sysParams.get());
  TRect rect;
  GetEditControlScreenRect(rect);
  // The bag and the system parameters belong to the call until the form's callback takes them back.
  TDynVarsEh* bag = dynParams.release();
  TDropDownFormSysParams* sys = sysParams.release();
  dropDown->ExecuteNomodal(rect, nullptr, align_, bag, sys,
                           [this](TObject* f, bool accept, TDynVarsEh* params, TObject* sp) {
                             DropDownFormCloseCallback(static_cast<TCustomForm*>(f), accept, params,
                                                       static_cast<TDropDownFormSysParams*>(sp));
                           });
  handled = true;
}

// ======================================================================================
// Button images and the action link
// ======================================================================================

void TButtonImagesEh::SetList(TCustomImageList*& field, TCustomImageList* value) {
  if (field == value) return;
  field = value;
  RefComponentChanged(value);
}

void TButtonImagesEh::SetIndex(Integer& field, Integer value) {
  if (field == value) return;
  field = value;
  ImagesChanged();
}

void TButtonImagesEh::Assign(TPersistent* source) {
  auto* s = dynamic_cast<TButtonImagesEh*>(source);
  if (!s) {
    TPersistent::Assign(source);
    return;
  }
  SetNormalImages(s->normalImages_);
  SetHotImages(s->hotImages_);
  SetPressedImages(s->pressedImages_);
  SetDisabledImages(s->disabledImages_);
  SetNormalIndex(s->normalIndex_);
  SetHotIndex(s->hotIndex_);
  SetPressedIndex(s->pressedIndex_);
  SetDisabledIndex(s->disabledIndex_);
}

TCustomImageList* TButtonImagesEh::GetStateImages(TEditButtonStateEh state) const {
  TCustomImageList* list = nullptr;
  switch (state) {
    case ebstNormalEh:
      return normalImages_;
    case ebstHotEh:
      list = hotImages_;
      break;
    case ebstPressedEh:
      list = pressedImages_;
      break;
    case ebstDisabledEh:
      list = disabledImages_;
      break;
    case ebstControlHotEh:
      break;
  }
  return list ? list : normalImages_;
}

Integer TButtonImagesEh::GetStateIndex(TEditButtonStateEh state) const {
  switch (state) {
    case ebstNormalEh:
      return normalIndex_;
    case ebstHotEh:
      return hotIndex_;
    case ebstPressedEh:
      return pressedIndex_;
    case ebstDisabledEh:
      return disabledIndex_;
    default:
      return -1;
  }
}

TPersistent* TEditButtonImagesEh::GetOwner() const { return owner_; }
void TEditButtonImagesEh::ImagesChanged() { owner_->NotifyChanged(); }
void TEditButtonImagesEh::RefComponentChanged(TComponent* component) {
  owner_->RefComponentChanged(component);
}

TEditButtonActionLinkEh::TEditButtonActionLinkEh(TEditButtonEh* client)
    : TActionLink(client), client_(client) {}

bool TEditButtonActionLinkEh::IsEnabledLinked() const {
  return TActionLink::IsEnabledLinked() && client_->GetEnabled() == CustomAction()->GetEnabled();
}
bool TEditButtonActionLinkEh::IsHintLinked() const {
  return TActionLink::IsHintLinked() && client_->GetHint() == CustomAction()->GetHint();
}
bool TEditButtonActionLinkEh::IsShortCutLinked() const {
  return TActionLink::IsShortCutLinked() && client_->GetShortCut() == CustomAction()->GetShortCut();
}
bool TEditButtonActionLinkEh::IsVisibleLinked() const {
  return TActionLink::IsVisibleLinked() && client_->GetVisible() == CustomAction()->GetVisible();
}
void TEditButtonActionLinkEh::SetEnabled(bool value) {
  if (IsEnabledLinked()) client_->SetEnabled(value);
}
void TEditButtonActionLinkEh::SetHint(const String& value) {
  if (IsHintLinked()) client_->SetHint(value);
}
void TEditButtonActionLinkEh::SetShortCut(TShortCut value) {
  if (IsShortCutLinked()) client_->SetShortCut(value);
}
void TEditButtonActionLinkEh::SetVisible(bool value) {
  if (IsVisibleLinked()) client_->SetVisible(value);
}

// ======================================================================================
// Edit button
// ======================================================================================

TEditButtonEh::TEditButtonEh(TCollection* collection) : TCollectionItem(collection) { Init(); }

TEditButtonEh::TEditButtonEh(TWinControl* editControl, int)
    : TCollectionItem(nullptr), editControl_(editControl) {
  Init();
}

void TEditButtonEh::Init() {
  dropDownFormParams_.reset(CreateDropDownFormParams());
  glyph_ = std::make_unique<TBitmap>();
  glyph_->SetTransparent(true);
  images_ = std::make_unique<TEditButtonImagesEh>(this);
}

TEditButtonEh::~TEditButtonEh() = default;

TDropDownFormCallParamsEh* TEditButtonEh::CreateDropDownFormParams() {
  return new TDropDownFormCallParamsEh();
}

void TEditButtonEh::NotifyChanged() {
  if (OnChanged)
    OnChanged(this);
  else if (GetCollection())
    Changed(false);
}

void TEditButtonEh::RefComponentChanged(TComponent* component) {
  if (OnRefComponentChanged) {
    OnRefComponentChanged(this, component);
    return;
  }
  if (auto* buttons = dynamic_cast<TEditButtonsEh*>(GetCollection());
      buttons && buttons->OnRefComponentChanged)
    buttons->OnRefComponentChanged(this, component);
}

void TEditButtonEh::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  NotifyChanged();
}
void TEditButtonEh::SetHint(const String& value) {
  if (hint_ == value) return;
  hint_ = value;
  NotifyChanged();
}
void TEditButtonEh::SetStyle(TEditButtonStyleEh value) {
  if (style_ == value) return;
  style_ = value;
  NotifyChanged();
}
void TEditButtonEh::SetVisible(bool value) {
  if (visible_ == value) return;
  visible_ = value;
  NotifyChanged();
}
void TEditButtonEh::SetWidth(Integer value) {
  if (width_ == value) return;
  width_ = value;
  NotifyChanged();
}
void TEditButtonEh::SetDropdownMenu(TPopupMenu* value) {
  if (dropdownMenu_ == value) return;
  dropdownMenu_ = value;
  NotifyChanged();
}
void TEditButtonEh::SetOnClick(const TButtonClickEventEh& value) {
  if (OnClick == value) return;
  OnClick = value;
  NotifyChanged();
}
void TEditButtonEh::SetOnDown(const TButtonDownEventEh& value) {
  if (OnDown == value) return;
  OnDown = value;
  NotifyChanged();
}
void TEditButtonEh::SetGlyph(TBitmap* value) {
  glyph_->Assign(value);
  NotifyChanged();
}
void TEditButtonEh::SetNumGlyphs(Integer value) {
  value = std::clamp(value, 1, 4);
  if (numGlyphs_ == value) return;
  numGlyphs_ = value;
  NotifyChanged();
}

void TEditButtonEh::SetDefaultAction(bool value) {
  defaultAction_ = value;
  defaultActionStored_ = true;
}

TEditButtonDrawBackTimeEh TEditButtonEh::GetDrawBackTime() const {
  return drawBackTimeStored_ ? drawBackTime_ : DefaultDrawBackTime();
}

void TEditButtonEh::SetDrawBackTime(TEditButtonDrawBackTimeEh value) {
  if (drawBackTimeStored_ && drawBackTime_ == value) return;
  drawBackTime_ = value;
  drawBackTimeStored_ = true;
  NotifyChanged();
}

void TEditButtonEh::SetDrawBackTimeStored(bool value) {
  if (value == drawBackTimeStored_) return;
  if (value) drawBackTime_ = DefaultDrawBackTime();
  drawBackTimeStored_ = value;
  NotifyChanged();
}

TEditButtonDrawBackTimeEh TEditButtonEh::DefaultDrawBackTime() const {
  if (auto* buttons = dynamic_cast<TEditButtonsEh*>(GetCollection())) return buttons->DefaultDrawBackTime();
  return edbtAlwaysEh;
}

TClass TEditButtonEh::GetActionLinkClass() const { return TEditButtonActionLinkEh::StaticClass(); }

TBasicAction* TEditButtonEh::GetAction() const { return actionLink_ ? actionLink_->GetAction() : nullptr; }

void TEditButtonEh::SetAction(TBasicAction* value) {
  if (!value) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) actionLink_ = std::make_unique<TEditButtonActionLinkEh>(this);
  actionLink_->SetAction(value);
  actionLink_->OnChange = TNotifyEvent(this, &TEditButtonEh::DoActionChange);
  ActionChange(value, value->GetComponentState().Contains(csLoading));
}

void TEditButtonEh::DoActionChange(TObject* sender) {
  if (sender == GetAction()) ActionChange(sender, false);
}

void TEditButtonEh::ActionChange(TObject* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (!action) return;
  if (!checkDefaults || GetEnabled()) SetEnabled(action->GetEnabled());
  if (!checkDefaults || hint_.empty()) SetHint(action->GetHint());
  if (!checkDefaults || shortCut_ == 0) SetShortCut(action->GetShortCut());
  if (!checkDefaults || GetVisible()) SetVisible(action->GetVisible());
}

void TEditButtonEh::InitiateAction() {
  if (actionLink_) actionLink_->Update();
}

void TEditButtonEh::Click(TObject* sender, bool& handled) {
  if (OnClick) {
    OnClick(sender, handled);
    return;
  }
  if (!actionLink_) return;
  TComponent* target = editControl_;
  if (!target && GetCollection()) target = dynamic_cast<TComponent*>(GetCollection()->GetOwner());
  actionLink_->Execute(target);
  handled = true;
}

TEditButtonControlEh* TEditButtonEh::CreateEditButtonControl() {
  auto* control = new TEditButtonControlEh(editControl_);
  control->SetControlStyle(TControlStyle(control->GetControlStyle()).Include(csReplicatable));
  control->SetWidth(10);
  control->SetHeight(17);
  control->SetVisible(true);
  control->SetTransparent(false);
  control->SetParent(editControl_);
  return control;
}

void TEditButtonEh::Assign(TPersistent* source) {
  auto* s = dynamic_cast<TEditButtonEh*>(source);
  if (!s) {
    TCollectionItem::Assign(source);
    return;
  }
  SetAction(s->GetAction());
  SetDropdownMenu(s->dropdownMenu_);
  SetEnabled(s->enabled_);
  SetGlyph(s->glyph_.get());
  SetHint(s->hint_);
  SetNumGlyphs(s->numGlyphs_);
  SetShortCut(s->shortCut_);
  SetStyle(s->style_);
  SetVisible(s->GetVisible());
  SetWidth(s->width_);
  SetOnClick(s->OnClick);
  SetOnDown(s->OnDown);
  images_->Assign(s->images_.get());
}

TDropDownEditButtonEh::TDropDownEditButtonEh(TCollection* collection) : TEditButtonEh(collection) {
  SetShortCut(ShortCut(VK_DOWN, {ssAlt}));
}
TDropDownEditButtonEh::TDropDownEditButtonEh(TWinControl* editControl, int) : TEditButtonEh(editControl, 0) {
  SetShortCut(ShortCut(VK_DOWN, {ssAlt}));
}
TVisibleEditButtonEh::TVisibleEditButtonEh(TCollection* collection) : TEditButtonEh(collection) {
  SetShortCut(ShortCut(VK_DOWN, {ssAlt}));
  SetVisible(true);
}
TVisibleEditButtonEh::TVisibleEditButtonEh(TWinControl* editControl, int) : TEditButtonEh(editControl, 0) {
  SetShortCut(ShortCut(VK_DOWN, {ssAlt}));
  SetVisible(true);
}

TEditButtonsEh::TEditButtonsEh(TPersistent* owner, TClass editButtonClass)
    : TCollection(editButtonClass), owner_(owner) {}

TEditButtonDrawBackTimeEh TEditButtonsEh::DefaultDrawBackTime() const {
  IEditButtonsOwnerEh* owner = nullptr;
  if (Supports(owner_, &owner)) return owner->GetEditButtonDrawBackTime();
  return edbtAlwaysEh;
}

void TEditButtonsEh::Update(TCollectionItem* item) {
  TCollection::Update(item);
  if (OnChanged) OnChanged(item);
}

// ======================================================================================
// Edit-button control
// ======================================================================================

TEditButtonControlEh::TEditButtonControlEh(TComponent* owner)
    : TSpeedButton(owner), internalImages_(std::make_unique<TButtonImagesEh>()) {
  SetParentColor(true);
}

TEditButtonControlEh::~TEditButtonControlEh() = default;

void TEditButtonControlEh::SetActive(bool value) {
  if (active_ == value) return;
  active_ = value;
  Invalidate();
}

void TEditButtonControlEh::SetStyle(TEditButtonStyleEh value) {
  if (style_ == value) return;
  style_ = value;
  Invalidate();
}

void TEditButtonControlEh::SetDrawBackTime(TEditButtonDrawBackTimeEh value) {
  if (drawBackTime_ == value) return;
  drawBackTime_ = value;
  Invalidate();
}

void TEditButtonControlEh::SetAlwaysDown(bool value) {
  alwaysDown_ = value;
  if (value) {
    SetGroupIndex(1);
    SetDown(true);
    SetAllowAllUp(false);
    buttonNum_ = 1;
  } else {
    SetAllowAllUp(true);
    SetDown(false);
    SetGroupIndex(0);
    buttonNum_ = 0;
  }
}

void TEditButtonControlEh::SetWidthNoNotify(Integer width) { SetWidth(width); }

TButtonImagesEh* TEditButtonControlEh::GetButtonImages() const {
  return externalImages_ ? static_cast<TButtonImagesEh*>(externalImages_) : internalImages_.get();
}

bool TEditButtonControlEh::IsPaintActive() const { return ThemesEnabledEh() ? mouseInControl_ : active_; }

TEditButtonStateEh TEditButtonControlEh::GetEditButtonState() const {
  if (!GetEnabled()) return ebstDisabledEh;
  const TButtonState state = GetState();
  if (state == bsDown || GetDown()) return ebstPressedEh;
  if (state == bsUp) return mouseInControl_ ? ebstHotEh : ebstNormalEh;
  return ebstNormalEh;
}

void TEditButtonControlEh::SetState(TEditButtonStateEh newState, bool isActive, Integer buttonNum) {
  if (paintState_ == newState && active_ == isActive && buttonNum_ == buttonNum) return;
  paintState_ = newState;
  active_ = isActive;
  buttonNum_ = buttonNum;
  Repaint();
}

void TEditButtonControlEh::EditButtonDown(Integer buttonNum, bool& autoRepeat) {
  bool handled = false;
  if (OnDown) OnDown(this, buttonNum == 1, autoRepeat, handled);
}

void TEditButtonControlEh::DrawImages(const TRect& rect) {
  TButtonImagesEh* images = GetButtonImages();
  const TEditButtonStateEh state = GetEditButtonState();
  TCustomImageList* list = images->GetStateImages(state);
  const Integer index = images->GetStateIndex(state);
  if (!list || index < 0) return;
  const Integer shift = buttonNum_ > 0 ? 1 : 0;
  const Integer x = (rect.Left + rect.Right - list->GetWidth()) / 2 + shift;
  const Integer y = (rect.Top + rect.Bottom - list->GetHeight()) / 2 + shift;
  list->Draw(GetCanvas(), x, y, index, GetEnabled());
}

void TEditButtonControlEh::UpdateDownButtonNum(Integer y) {
  Integer num = 0;
  const TButtonState state = GetState();
  if (state == bsDown || state == bsExclusive) {
    if (IsSpinStyle()) {
      const Integer h = GetHeight() / 2;
      num = y < h ? 1 : y > GetHeight() - h ? 2 : 0;
    } else {
      num = 1;
    }
  }
  if (num != buttonNum_) {
    buttonNum_ = num;
    Invalidate();
  }
}

void TEditButtonControlEh::StartTimer(Cardinal interval) {
  if (!timer_) {
    timer_ = std::make_unique<TTimer>(nullptr);
    timer_->SetEnabled(false);
    timer_->OnTimer = TNotifyEvent(this, &TEditButtonControlEh::TimerTick);
  }
  if (timer_->GetEnabled() && timer_->GetInterval() == interval) return;
  timer_->SetEnabled(false);
  timer_->SetInterval(interval);
  timer_->SetEnabled(true);
}

void TEditButtonControlEh::StopTimer() {
  if (timer_) timer_->SetEnabled(false);
}

void TEditButtonControlEh::TimerTick(TObject*) {
  bool autoRepeat = IsSpinStyle();
  if (GetState() != bsDown) return;
  if (timer_->GetInterval() == RepeatFirstDelay) StartTimer(RepeatInterval);
  EditButtonDown(buttonNum_, autoRepeat);
  if (!autoRepeat) StopTimer();
}

void TEditButtonControlEh::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  bool autoRepeat = IsSpinStyle();
  TSpeedButton::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  UpdateDownButtonNum(y);
  EditButtonDown(buttonNum_, autoRepeat);
  if (autoRepeat) StartTimer(RepeatFirstDelay);
}

void TEditButtonControlEh::MouseMove(TShiftState shift, Integer x, Integer y) {
  TSpeedButton::MouseMove(shift, x, y);
  if (!GetMouseCapture() || !IsSpinStyle() || GetState() != bsDown) return;
  const Integer h = GetHeight() / 2;
  // Leaving the pressed half lets it up; coming back does not press it again.
  if ((buttonNum_ == 2 && y < h) || (buttonNum_ == 1 && y > GetHeight() - h)) {
    SetDown(false);
    buttonNum_ = 0;
    Invalidate();
  }
}

void TEditButtonControlEh::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  if (IsSpinStyle() && buttonNum_ == 0) noDoClick_ = true;
  auto clear = MakeScopeExit([this] { noDoClick_ = false; });
  TSpeedButton::MouseUp(button, shift, x, y);
  UpdateDownButtonNum(y);
  StopTimer();
}

void TEditButtonControlEh::Click() {
  if (!noDoClick_) TSpeedButton::Click();
}

void TEditButtonControlEh::Dispatch(TMessage& message) {
  TSpeedButton::Dispatch(message);
  if (message.Msg == CM_MOUSEENTER || message.Msg == CM_MOUSELEAVE) {
    mouseInControl_ = message.Msg == CM_MOUSEENTER;
    Invalidate();
  }
}

void TEditButtonControlEh::Paint() {
  if (OnPaint)
    OnPaint(this);
  else
    DefaultPaint();
}

void TEditButtonControlEh::DefaultPaint() {
  TCanvas* canvas = GetCanvas();
  const TButtonState state = GetState();
  const bool downOrExclusive = state == bsDown || state == bsExclusive;
  bool drawBack = drawBackTime_ == edbtAlwaysEh ||
                  (drawBackTime_ == edbtWhenHotEh && (mouseInControl_ || downOrExclusive));
  if (style_ == ebsGlyphEh && !GetGlyph()->GetEmpty()) drawBack = true;
  const Integer down = downOrExclusive ? buttonNum_ : 0;
  const bool active = IsPaintActive();
  const TRect client = GetClientRect();
  const TColor face = StyleServices()->GetSystemColor(GetColor());

  if (style_ != ebsGlyphEh) {
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(face);
    canvas->FillRect(client);
    DrawButtonControlEh(canvas, client, clWindow, EditButtonStyleToDrawStyleEh(style_), down, GetFlat(),
                        active, GetEnabled(), cbUnchecked, 1.0, drawBack);
    return;
  }
  if (GetButtonImages()->GetNormalImages()) {
    if (drawBack) {
      DrawButtonFrameEh(canvas, client, clWindow, GetEnabled(), active, GetFlat(), down > 0);
    } else {
      canvas->GetBrush()->SetStyle(bsSolid);
      canvas->GetBrush()->SetColor(face);
      canvas->FillRect(client);
    }
    DrawImages(client);
    return;
  }
  // A caption or glyph button.
  if (!drawBack || (ThemesEnabledEh() && GetFlat() && !active && GetEnabled() && down == 0 &&
                    GetGlyph()->GetEmpty() && advancedPaint_)) {
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(face);
    canvas->FillRect(client);
    if (drawBack)
      StyleServices()->DrawElement(canvas->GetHandle(), StyleServices()->GetElementDetails(ttbButtonHot),
                                   client);
    canvas->GetFont()->Assign(GetFont());
    canvas->GetBrush()->SetStyle(bsClear);
    const String caption = GetCaption();
    TRect r = client;
    HDC dc = canvas->GetHandle();
    UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    if (!GetEnabled()) {
      TRect shadow(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
      SetTextColor(dc, ColorToRGB(clBtnHighlight));
      DrawText(dc, caption.c_str(), static_cast<Integer>(caption.size()), &shadow, flags);
      SetTextColor(dc, ColorToRGB(clBtnShadow));
    } else {
      SetTextColor(dc, ColorToRGB(canvas->GetFont()->GetColor()));
    }
    DrawText(dc, caption.c_str(), static_cast<Integer>(caption.size()), &r, flags);
    return;
  }
  TSpeedButton::Paint();
}

// ======================================================================================
// Themed speed button
// ======================================================================================

TCustomSpeedButtonEh::TCustomSpeedButtonEh(TComponent* owner)
    : TSpeedButton(owner), internalImages_(std::make_unique<TButtonImagesEh>()) {
  SetColor(clMenu);
}

TCustomSpeedButtonEh::~TCustomSpeedButtonEh() = default;

TButtonImagesEh* TCustomSpeedButtonEh::GetButtonImages() const {
  return externalImages_ ? static_cast<TButtonImagesEh*>(externalImages_) : internalImages_.get();
}

TEditButtonStateEh TCustomSpeedButtonEh::GetEditButtonState() const {
  if (!GetEnabled()) return ebstDisabledEh;
  const TButtonState state = GetState();
  if (state == bsDown || GetDown()) return ebstPressedEh;
  if (state == bsUp) return mouseInControl_ ? ebstHotEh : ebstNormalEh;
  return ebstNormalEh;
}

void TCustomSpeedButtonEh::Dispatch(TMessage& message) {
  TSpeedButton::Dispatch(message);
  if (message.Msg == CM_MOUSEENTER || message.Msg == CM_MOUSELEAVE) {
    mouseInControl_ = message.Msg == CM_MOUSEENTER;
    Invalidate();
  }
}

void TCustomSpeedButtonEh::Paint() {
  if (OnPaint)
    OnPaint(this);
  else
    DefaultPaint();
}

void TCustomSpeedButtonEh::DefaultPaint() {
  TRect paintRect;
  TPoint pressOffset;
  PaintBackground(paintRect, pressOffset);
  PaintForeground(paintRect, pressOffset);
}

void TCustomSpeedButtonEh::PaintBackground(TRect& paintRect, TPoint& pressOffset) {
  TCanvas* canvas = GetCanvas();
  canvas->GetFont()->Assign(GetFont());
  const TButtonState state = GetState();
  const bool downOrExclusive = state == bsDown || state == bsExclusive || GetDown();
  const TRect client = GetClientRect();
  if (ThemesEnabledEh()) {
    TCustomStyleServices* ss = StyleServices();
    TThemedElementDetails details;
    if (GetFlat()) {
      details = ss->GetElementDetails(!GetEnabled()     ? ttbButtonDisabled
                                      : downOrExclusive ? ttbButtonPressed
                                      : mouseInControl_ ? ttbButtonHot
                                                        : ttbButtonNormal);
    } else {
      details = ss->GetElementDetails(!GetEnabled()     ? tbPushButtonDisabled
                                      : downOrExclusive ? tbPushButtonPressed
                                      : mouseInControl_ ? tbPushButtonHot
                                                        : tbPushButtonNormal);
    }
    ss->DrawElement(canvas->GetHandle(), details, client);
    paintRect = ss->GetElementContentRect(canvas->GetHandle(), details, client);
    pressOffset = TPoint(0, 0);
    if (downOrExclusive && GetFlat()) {
      canvas->GetFont()->SetColor(ss->GetSystemColor(clHighlightText));
      pressOffset = TPoint(1, 0);
    }
    return;
  }
  paintRect = client;
  HDC dc = canvas->GetHandle();
  if (GetFlat()) {
    if (downOrExclusive || (mouseInControl_ && GetEnabled())) {
      TRect r = paintRect;
      DrawEdge(dc, &r, downOrExclusive ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
               BF_RECT | (GetTransparent() ? 0u : UINT(BF_MIDDLE)));
    } else if (!GetTransparent()) {
      canvas->GetBrush()->SetStyle(bsSolid);
      canvas->GetBrush()->SetColor(GetColor());
      canvas->FillRect(paintRect);
    }
    paintRect = TRect(paintRect.Left + 1, paintRect.Top + 1, paintRect.Right - 1, paintRect.Bottom - 1);
  } else {
    DrawFrameControl(dc, &paintRect, DFC_BUTTON,
                     DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (downOrExclusive ? UINT(DFCS_PUSHED) : 0u));
  }
  pressOffset = downOrExclusive ? TPoint(1, 1) : TPoint(0, 0);
}

void TCustomSpeedButtonEh::PaintForeground(const TRect& paintRect, TPoint pressOffset) {
  TButtonImagesEh* images = GetButtonImages();
  const TEditButtonStateEh state = GetEditButtonState();
  TCustomImageList* list = images->GetStateImages(state);
  const Integer index = images->GetStateIndex(state);
  if (!list || index < 0) return;
  const Integer x = (paintRect.Left + paintRect.Right - list->GetWidth()) / 2 + pressOffset.X;
  const Integer y = (paintRect.Top + paintRect.Bottom - list->GetHeight()) / 2 + pressOffset.Y;
  list->Draw(GetCanvas(), x, y, index, true);
}

void TCustomSpeedButtonEh::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TSpeedButton::MouseDown(button, shift, x, y);
  if (!autoRepeat_) return;
  if (!repeatTimer_) {
    repeatTimer_ = std::make_unique<TTimer>(nullptr);
    repeatTimer_->SetEnabled(false);
    repeatTimer_->OnTimer = TNotifyEvent(this, &TCustomSpeedButtonEh::RepeatTick);
  }
  repeatTimer_->SetInterval(TEditButtonControlEh::RepeatFirstDelay);
  repeatTimer_->SetEnabled(true);
}

void TCustomSpeedButtonEh::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TSpeedButton::MouseUp(button, shift, x, y);
  if (repeatTimer_) repeatTimer_->SetEnabled(false);
}

void TCustomSpeedButtonEh::RepeatTick(TObject*) {
  repeatTimer_->SetInterval(TEditButtonControlEh::RepeatInterval);
  if (GetState() != bsDown || !GetMouseCapture()) return;
  // A failing click stops the repeat; the error goes on to the caller as usual.
  auto stopOnError = MakeScopeExit([this] {
    if (std::uncaught_exceptions() > 0) repeatTimer_->SetEnabled(false);
  });
  Click();
}

// ======================================================================================
// Published properties
// ======================================================================================

namespace {

const TTypeInfo* DropDownAlignType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TDropDownAlign", {u"daLeft", u"daRight", u"daCenter"});
  return &t;
}
const TTypeInfo* PassParamsType() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TDropDownPassParamsEh",
                      {u"pspByFieldNamesEh", u"pspFieldValueEh", u"pspRecordValuesEh", u"pspCustomValuesEh"});
  return &t;
}
const TTypeInfo* EditButtonStyleType() {
  static const TTypeInfo t = TTypeInfo::Enum(
      u"TEditButtonStyleEh", {u"ebsDropDownEh", u"ebsEllipsisEh", u"ebsGlyphEh", u"ebsUpDownEh", u"ebsPlusEh",
                              u"ebsMinusEh", u"ebsAltDropDownEh", u"ebsAltUpDownEh"});
  return &t;
}
const TTypeInfo* DrawBackTimeType() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TEditButtonDrawBackTimeEh", {u"edbtAlwaysEh", u"edbtNeverEh", u"edbtWhenHotEh"});
  return &t;
}
const TTypeInfo* ListSourceKindType() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TMRUListSourceKindEh", {u"lskMRUListItemsEh", u"lskDataSetFieldValuesEh"});
  return &t;
}

}  // namespace

void TDropDownFormCallParamsEh::Published(TPropBuilder<TDropDownFormCallParamsEh>& p) {
  using C = TDropDownFormCallParamsEh;
  p.Enum(u"Align", DropDownAlignType(), &C::GetAlign, &C::SetAlign).Default(daCenter);
  p.Str(u"AssignBackFieldNames", &C::GetAssignBackFieldNames, &C::SetAssignBackFieldNames);
  p.Object(u"DropDownForm", &C::GetDropDownForm, &C::SetDropDownForm);
  p.Str(u"DropDownFormClassName", &C::GetDropDownFormClassName, &C::SetDropDownFormClassName);
  p.Int(u"FormHeight", &C::GetFormHeight, &C::SetFormHeight).Default(-1);
  p.Int(u"FormWidth", &C::GetFormWidth, &C::SetFormWidth).Default(-1);
  p.Str(u"PassFieldNames", &C::GetPassFieldNames, &C::SetPassFieldNames);
  p.Enum(u"PassParams", PassParamsType(), &C::GetPassParams, &C::SetPassParams).Default(pspFieldValueEh);
  p.Bool(u"SaveFormSize", &C::GetSaveFormSize, &C::SetSaveFormSize).Default(true);
}

void TButtonImagesEh::Published(TPropBuilder<TButtonImagesEh>& p) {
  using C = TButtonImagesEh;
  p.Object(u"NormalImages", &C::GetNormalImages, &C::SetNormalImages);
  p.Object(u"HotImages", &C::GetHotImages, &C::SetHotImages);
  p.Object(u"PressedImages", &C::GetPressedImages, &C::SetPressedImages);
  p.Object(u"DisabledImages", &C::GetDisabledImages, &C::SetDisabledImages);
  p.Int(u"NormalIndex", &C::GetNormalIndex, &C::SetNormalIndex).Default(0);
  p.Int(u"HotIndex", &C::GetHotIndex, &C::SetHotIndex).Default(0);
  p.Int(u"PressedIndex", &C::GetPressedIndex, &C::SetPressedIndex).Default(0);
  p.Int(u"DisabledIndex", &C::GetDisabledIndex, &C::SetDisabledIndex).Default(0);
}

void TEditButtonEh::Published(TPropBuilder<TEditButtonEh>& p) {
  using C = TEditButtonEh;
  p.Object(u"Action", &C::GetAction, &C::SetAction);
  p.Bool(u"DefaultAction", &C::GetDefaultAction, &C::SetDefaultAction).Stored(&C::GetDefaultActionStored);
  p.Object(u"DropdownMenu", &C::GetDropdownMenu, &C::SetDropdownMenu);
  p.Object(u"DropDownFormParams", &C::GetDropDownFormParams, &C::SetDropDownFormParams);
  p.Bool(u"Enabled", &C::GetEnabled, &C::SetEnabled).Default(true);
  p.Object(u"Glyph", &C::GetGlyph, &C::SetGlyph);
  p.Str(u"Hint", &C::GetHint, &C::SetHint);
  p.Object(u"Images", &C::GetImages, &C::SetImages);
  p.Int(u"NumGlyphs", &C::GetNumGlyphs, &C::SetNumGlyphs).Default(1);
  p.Ordinal(u"ShortCut", TypeInfoInteger(), &C::GetShortCut, &C::SetShortCut).Default(0);
  p.Enum(u"Style", EditButtonStyleType(), &C::GetStyle, &C::SetStyle).Default(ebsDropDownEh);
  p.Bool(
       u"Visible", [](const C* b) { return b->GetVisible(); }, [](C* b, bool v) { b->SetVisible(v); })
      .Default(false);
  p.Int(u"Width", &C::GetWidth, &C::SetWidth).Default(0);
  p.Enum(u"DrawBackTime", DrawBackTimeType(), &C::GetDrawBackTime, &C::SetDrawBackTime)
      .Stored(&C::GetDrawBackTimeStored);
  p.Event(u"OnClick", &C::OnClick, u"TButtonClickEventEh");
  p.Event(u"OnDown", &C::OnDown, u"TButtonDownEventEh");
}

void TSpeedButtonEh::Published(TPropBuilder<TSpeedButtonEh>& p) {
  using C = TSpeedButtonEh;
  p.Bool(u"Active", &C::GetActive, &C::SetActive).Default(false);
  p.Enum(u"Style", EditButtonStyleType(), &C::GetStyle, &C::SetStyle).Default(ebsDropDownEh);
}

void TMRUListEh::Published(TPropBuilder<TMRUListEh>& p) {
  using C = TMRUListEh;
  p.Bool(u"Active", &C::GetActive, &C::SetActive).Default(false);
  p.Bool(u"AutoAdd", &C::GetAutoAdd, &C::SetAutoAdd).Default(true);
  p.Bool(u"CaseSensitive", &C::GetCaseSensitive, &C::SetCaseSensitive).Default(false);
  p.Object(u"Items", &C::GetItems, &C::SetItems);
  p.Int(u"Limit", &C::GetLimit, &C::SetLimit).Default(100);
  p.Enum(u"ListSourceKind", ListSourceKindType(), &C::GetListSourceKind, &C::SetListSourceKind)
      .Default(lskMRUListItemsEh);
  p.Int(u"Rows", &C::GetRows, &C::SetRows).Default(7);
}

void InitializeToolCtrlsEh() {
  RegisterClasses({TSizeGripEh::StaticClass(), TSpeedButtonEh::StaticClass(),
                   TEditButtonControlEh::StaticClass(), TCustomSpeedButtonEh::StaticClass(),
                   TPopupMenuEh::StaticClass(), TMenuItemEh::StaticClass()});
}
