// The buttons drawn in the data cells of a bar, and the drop-down forms the bar's buttons open.
#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/grids/DBAxisGridsEh.h"

namespace {

bool IsUpDownStyle(TEditButtonStyleEh style) { return style == ebsUpDownEh || style == ebsAltUpDownEh; }

const TTypeInfo* TypeInfoHorzPlacement() {
  static const TTypeInfo info =
      TTypeInfo::Enum(u"TEditButtonHorzPlacementEh", {u"ebhpLeftEh", u"ebhpRightEh"});
  return &info;
}

}  // namespace

// A cell button is shown unless its resource hides it.
void TCellButtonEh::Published(TPropBuilder<TCellButtonEh>& p) {
  p.Enum(u"HorzPlacement", TypeInfoHorzPlacement(), &TCellButtonEh::GetHorzPlacement,
         &TCellButtonEh::SetHorzPlacement)
      .Default(ebhpRightEh);
  p.Bool(
       u"Visible", [](const TCellButtonEh* b) { return b->GetVisible(); },
       [](TCellButtonEh* b, bool v) { b->SetVisible(v); })
      .Default(true);
}

TCellButtonEh::TCellButtonEh(TCollection* collection) : TVisibleEditButtonEh(collection) {
  // Without handlers of its own a cell button does what its style does (an up/down button steps).
  ParentDefinedDefaultAction = true;
  RecreateDropDownFormParams();
}

TDropDownFormCallParamsEh* TCellButtonEh::CreateDropDownFormParams() {
  return new TAxisBarDropDownFormCallParamsEh(this);
}

TCellButtonEh::~TCellButtonEh() = default;

TAxisBarEh* TCellButtonEh::GetAxisBar() const {
  return GetCollection()
             ? dynamic_cast<TAxisBarEh*>(static_cast<TEditButtonsEh*>(GetCollection())->GetOwner())
             : nullptr;
}

void TCellButtonEh::SetHorzPlacement(TEditButtonHorzPlacementEh value) {
  if (horzPlacement_ == value) return;
  horzPlacement_ = value;
  Changed(false);
}

void TCellButtonEh::DefaultMouseDownAction(Integer y, Integer controlHeight, bool& handled) {
  if (!IsUpDownStyle(GetStyle())) return;
  const Integer half = controlHeight / 2;
  if (y < half)
    upDownButtonNum_ = 1;
  else if (y > controlHeight - half)
    upDownButtonNum_ = 2;
  else
    upDownButtonNum_ = 0;
  StepValue();
  StartRepeatTimer(400);
  handled = true;
}

// Only a held half steps: the rows between the halves belong to neither direction.
void TCellButtonEh::StepValue() {
  TAxisBarEh* bar = GetAxisBar();
  if (!bar || upDownButtonNum_ == 0) return;
  bar->SetNextFieldValue(upDownButtonNum_ == 1 ? bar->GetIncrement() : -bar->GetIncrement());
}

void TCellButtonEh::EnsureTimer() {
  if (timer_) return;
  timer_ = std::make_unique<TTimer>(nullptr);
  timer_->SetEnabled(false);
}

void TCellButtonEh::StartRepeatTimer(Cardinal interval) {
  EnsureTimer();
  timer_->OnTimer = TNotifyEvent(this, &TCellButtonEh::RepeatTimerTick);
  if (timer_->GetEnabled() && timer_->GetInterval() == interval) return;
  timer_->SetInterval(interval);
  timer_->SetEnabled(true);
}

void TCellButtonEh::RepeatTimerTick(TObject*) {
  if (timer_->GetInterval() == 400) timer_->SetInterval(100);
  StepValue();
  if (!IsUpDownStyle(GetStyle())) {
    timer_->SetEnabled(false);
    timer_->OnTimer = TNotifyEvent();
  }
}

void TCellButtonEh::MouseReleased() {
  if (timer_ && timer_->OnTimer == TNotifyEvent(this, &TCellButtonEh::RepeatTimerTick))
    timer_->SetEnabled(false);
  upDownButtonNum_ = 0;
}

bool TCellButtonEh::GetEnabledState() {
  TAxisBarEh* bar = GetAxisBar();
  TCustomDBAxisGridEh* grid = bar ? bar->GetGrid() : nullptr;
  bool enabled = grid && grid->GetDataLink()->GetActive();
  if (OnGetEnabledState) OnGetEnabledState(grid, bar, this, enabled);
  return enabled;
}

void TCellButtonEh::DrawInCell(TCustomDBAxisGridEh* grid, TCanvas* canvas, TGridCoord cell,
                               TInCellPlaceBoxEh* box, const TRect& cellRect, TAxisBarEh* bar) {
  TRect control = box->GetCtrlClientRect();
  OffsetRect(&control, cellRect.Left, cellRect.Top);
  const bool hot = grid->IsMouseInRect(control);
  Integer transparency = hot ? 0 : grid->GetEditButtonTransparency(cell.X, cell.Y, this, 0, bar);
  bool back = true;
  if (GetDrawBackTime() != edbtAlwaysEh) {
    back = GetDrawBackTime() == edbtWhenHotEh && hot;
    transparency = 0;
  }
  Integer down = 0;
  if (grid->IsMouseDownPlace(cell, this)) down = IsUpDownStyle(GetStyle()) ? upDownButtonNum_ : 1;
  if (persistentDown_ && cell.Y == grid->GetRow()) {
    if (down == 0) down = 1;
    back = GetDrawBackTime() != edbtNeverEh;
    transparency = 0;
  }
  const bool pressed = down >= 1;
  if (!pressable_) down = 0;
  const bool enabled = GetEnabledState();
  lastDrawDownButton_ = down;
  lastDrawPressed_ = pressed;
  TEditButtonImagesEh* images = GetImages();
  TCustomImageList* list =
      enabled || !images->GetDisabledImages() ? images->GetNormalImages() : images->GetDisabledImages();
  const Integer index = enabled ? images->GetNormalIndex() : images->GetDisabledIndex();
  grid->DrawEditButton(bar, canvas, back, index, list, transparency, nullptr, canvas->GetBrush()->GetColor(),
                       enabled, grid->GetFlat(), hot, down, cellRect, control, GetStyle());
}

void TCellButtonEh::InCellMouseDown(TCustomDBAxisGridEh* grid, TGridCoord cell, Integer x, Integer y,
                                    TShiftState shift, TMouseButton button, TInCellPlaceBoxEh* box) {
  if (!GetEnabledState()) return;
  TAxisBarEh* bar = GetAxisBar();
  grid->SetMouseDownInCellPlaceBox(box, cell);
  bool handled = false, autoRepeat = false;
  if (OnDown) OnDown(this, true, autoRepeat, handled);
  if (!handled && OnMouseDown) OnMouseDown(grid, bar, this, button, shift, TPoint(x, y), cell, handled);
  // The click that closed this button's form is still queued: it must not open the form again.
  if (!handled && bar && !grid->IsUserMessagePending(ObjectToLParamEh(box))) {
    TRect host;
    grid->GetCellEditorRect(cell.X, cell.Y, host, bar);
    const TPoint topLeft = grid->ClientToScreen(TPoint(host.Left, host.Top));
    host = TRect(topLeft.X, topLeft.Y, topLeft.X + host.Width(), topLeft.Y + host.Height());
    if (grid->ShowCellButtonDropDownForm(box, this, handled, host, bar)) {
      persistentDown_ = true;
      grid->InvalidateCell(cell.X, cell.Y);
    }
  }
  if (!handled && GetDropdownMenu() && !(waitingForRepress_ && pressedPlaceBox_ == box)) {
    // The menu drops under the button; the button shows pressed while it is open.
    TRect r = box->GetCtrlClientRect();
    const TRect cellRect = grid->CellRect(cell.X, cell.Y, true);
    OffsetRect(&r, cellRect.Left, cellRect.Top);
    const TPoint at = grid->ClientToScreen(TPoint(r.Left, r.Bottom));
    persistentDown_ = true;
    grid->InvalidateCell(cell.X, cell.Y);
    GetDropdownMenu()->Popup(at.X, at.Y);
    persistentDown_ = false;
    grid->InvalidateCell(cell.X, cell.Y);
    grid->ReleaseInCellPress();
    StartRepressWait(box);
    return;
  }
  if (!handled && GetDefaultAction()) DefaultMouseDownAction(y, box->GetCtrlClientRect().Height(), handled);
  if (!handled && GetDefaultAction() && bar) {
    grid->EditButtonDefaultAction(bar, nullptr, this, true, handled);
    if (handled) grid->InvalidateCell(cell.X, cell.Y);
  }
}

void TCellButtonEh::InCellMouseUp(TCustomDBAxisGridEh* grid, TGridCoord cell, Integer x, Integer y,
                                  TShiftState shift, TMouseButton button, TInCellPlaceBoxEh* box) {
  const bool steps = IsUpDownStyle(GetStyle());
  MouseReleased();
  if (!grid->IsMouseDownPlace(cell, this)) return;
  const TRect r = box->GetCtrlClientRect();
  if (x < 0 || y < 0 || x >= r.Width() || y >= r.Height()) return;
  bool handled = false;
  Click(this, handled);
  if (!handled && OnMouseClick)
    OnMouseClick(grid, GetAxisBar(), this, button, shift, TPoint(x, y), cell, handled);
  // An up/down button did its work on the press.
  if (!handled && !steps && GetDefaultAction() && GetAxisBar()) {
    grid->EditButtonDefaultAction(GetAxisBar(), nullptr, this, false, handled);
    if (handled) grid->InvalidateCell(cell.X, cell.Y);
  }
}

void TCellButtonEh::StartRepressWait(TInCellPlaceBoxEh* box) {
  EnsureTimer();
  if (timer_->GetEnabled()) return;
  waitingForRepress_ = true;
  pressedPlaceBox_ = box;
  timer_->OnTimer = TNotifyEvent(this, &TCellButtonEh::StopRepressWait);
  timer_->SetInterval(100);
  timer_->SetEnabled(true);
}

void TCellButtonEh::StopRepressWait(TObject*) {
  timer_->SetEnabled(false);
  timer_->OnTimer = TNotifyEvent();
  waitingForRepress_ = false;
  pressedPlaceBox_ = nullptr;
}

TCellButtonsEh::TCellButtonsEh(TAxisBarEh* bar, TClass itemClass) : TEditButtonsEh(bar, itemClass) {}

TCellButtonEh* TCellButtonsEh::GetButtonByShortCut(TShortCut shortCut) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (GetCellButton(i)->GetShortCut() == shortCut) return GetCellButton(i);
  return nullptr;
}

// ======================= Drop-down forms of a bar's buttons =======================

bool TCustomDBAxisGridEh::ShowCellButtonDropDownForm(TInCellPlaceBoxEh* box, TCellButtonEh* button,
                                                     bool& handled, const TRect& hostRect, TAxisBarEh* bar) {
  auto* params = dynamic_cast<TAxisBarDropDownFormCallParamsEh*>(button->GetDropDownFormParams());
  return params && params->ShowForBar(bar, nullptr, nullptr, box, hostRect, handled);
}

void TDBAxisGridInplaceEdit::ButtonDropDownForm(TEditButtonEh* button, TEditButtonControlEh* control,
                                                bool& handled) {
  auto* params = dynamic_cast<TAxisBarDropDownFormCallParamsEh*>(button->GetDropDownFormParams());
  TAxisBarEh* bar = GetBar();
  if (params && bar && params->ShowForBar(bar, control, this, nullptr, TRect(0, 0, 0, 0), handled))
    dropDownFormOpen_ = true;
}

void TDBAxisGridInplaceEdit::DropDownFormClosed() {
  dropDownFormOpen_ = false;
  for (auto& entry : buttonsBox_->BtnCtlList())
    if (entry.EditButtonControl) entry.EditButtonControl->SetAlwaysDown(false);
}

bool TDBAxisGridInplaceEdit::IsButtonCloseUpPending(TEditButtonControlEh* control, TEditButtonEh* button) {
  if ((control && control->GetAlwaysDown()) || !HandleAllocated()) return false;
  TMsg msg;
  if (!PeekMessage(&msg, GetHandle(), WM_USER, WM_USER, PM_NOREMOVE)) return false;
  // The form's closing names the editor, or the button when it knows it.
  return msg.wParam == reinterpret_cast<WPARAM>(GetHandle()) &&
         (msg.lParam == ObjectToLParamEh(this) || (button && msg.lParam == ObjectToLParamEh(button)));
}

bool TAxisBarDropDownFormCallParamsEh::ShowForBar(TAxisBarEh* bar, TEditButtonControlEh* control,
                                                  TWinControl* editControl, TInCellPlaceBoxEh* box,
                                                  const TRect& screenRect, bool& handled) {
  if (!bar->GetGrid() || (!GetDropDownForm() && GetDropDownFormClassName().empty())) return false;
  FDataLink = bar->GetGrid()->GetDataLink();
  FField = bar->GetField();
  FEditButtonControl = control;
  FEditControl = editControl;
  FOnGetActualDropDownFormProc = TGetDropDownFormEventEh();
  FPlaceBox = box;
  FEditControlScreenRect = screenRect;
  CheckShowDropDownForm(handled);
  return handled;
}

TAxisBarEh* TAxisBarDropDownFormCallParamsEh::GetAxisBar() const {
  if (auto* cell = dynamic_cast<TCellButtonEh*>(editButton_)) return cell->GetAxisBar();
  if (auto* main = dynamic_cast<TAxisBarMainEditButtonEh*>(editButton_)) return main->GetAxisBar();
  return nullptr;
}

// From the cell editor the value travels as the editor's text; the text it takes back reaches the
// grid's pending edit as well, so writing the edit later does not put the old text back.
void TAxisBarDropDownFormCallParamsEh::GetVarValue(Variant& value) {
  if (auto* editor = dynamic_cast<TDBAxisGridInplaceEdit*>(GetEditControl())) {
    value = editor->GetVariantValue();
    return;
  }
  TAxisBarEh* bar = GetAxisBar();
  TField* field = bar ? bar->GetField() : nullptr;
  value = field ? field->GetAsVariant() : Variant();
}

void TAxisBarDropDownFormCallParamsEh::SetVarValue(const Variant& value) {
  TAxisBarEh* bar = GetAxisBar();
  if (!bar) return;
  if (auto* editor = dynamic_cast<TDBAxisGridInplaceEdit*>(GetEditControl())) {
    editor->SetVariantValue(value);
    if (TCustomDBAxisGridEh* grid = bar->GetGrid()) grid->SetEditTextValue(editor->GetText());
  } else {
    bar->SetValueAsVariant(value);
  }
}

void TAxisBarDropDownFormCallParamsEh::OpenDropDownForm(TCustomForm*& form, TDynVarsEh* dynParams,
                                                        TDropDownFormSysParams* sysParams) {
  TDropDownFormCallParamsEh::OpenDropDownForm(form, dynParams, sysParams);
  TAxisBarEh* bar = GetAxisBar();
  if (bar && bar->OnOpenDropDownForm)
    bar->OnOpenDropDownForm(bar->GetGrid(), bar, editButton_, form, dynParams);
}

TDropDownFormSysParams* TAxisBarDropDownFormCallParamsEh::CreateSysParams() {
  return new TAxisGridDropDownFormSysParams();
}

void TAxisBarDropDownFormCallParamsEh::FillSysParams(TDropDownFormSysParams* sysParams) {
  auto* sys = dynamic_cast<TAxisGridDropDownFormSysParams*>(sysParams);
  if (!sys) return;
  sys->FAxisBar = GetAxisBar();
  sys->FEditButton = editButton_;
  GetEditControlScreenRect(sys->FEditorScreenRect);
  sys->FPlaceBox = FPlaceBox;
}

void TAxisBarDropDownFormCallParamsEh::InitDropDownForm(TCustomForm* form, TDynVarsEh* dynParams,
                                                        TDropDownFormSysParams* sysParams) {
  TDropDownFormCallParamsEh::InitDropDownForm(form, dynParams, sysParams);
  auto* sys = dynamic_cast<TAxisGridDropDownFormSysParams*>(sysParams);
  if (!sys || !sys->FPlaceBox) return;
  if (auto* cell = dynamic_cast<TCellButtonEh*>(sys->FEditButton)) cell->SetPersistentDown(true);
}

void TAxisBarDropDownFormCallParamsEh::DropDownFormClosed(bool accept, TCustomForm* form,
                                                          TDynVarsEh* dynParams,
                                                          TDropDownFormSysParams* sysParams) {
  TDropDownFormCallParamsEh::DropDownFormClosed(accept, form, dynParams, sysParams);
  if (auto* editor = dynamic_cast<TDBAxisGridInplaceEdit*>(GetEditControl())) editor->DropDownFormClosed();
  auto* sys = dynamic_cast<TAxisGridDropDownFormSysParams*>(sysParams);
  if (sys && sys->FPlaceBox) ReleaseCellButtonAfterForm(sys);
  TAxisBarEh* bar = GetAxisBar();
  if (bar && bar->OnCloseDropDownForm)
    bar->OnCloseDropDownForm(bar->GetGrid(), bar, editButton_, accept, form, dynParams);
}

void TAxisBarDropDownFormCallParamsEh::ReleaseCellButtonAfterForm(TAxisGridDropDownFormSysParams* sys) {
  if (auto* cell = dynamic_cast<TCellButtonEh*>(sys->FEditButton)) cell->SetPersistentDown(false);
  TCustomDBAxisGridEh* grid = sys->FAxisBar ? sys->FAxisBar->GetGrid() : nullptr;
  if (!grid) return;
  grid->Invalidate();
  if (grid->HandleAllocated())
    PostMessage(grid->GetHandle(), WM_USER, reinterpret_cast<WPARAM>(grid->GetHandle()),
                ObjectToLParamEh(sys->FPlaceBox));
}
