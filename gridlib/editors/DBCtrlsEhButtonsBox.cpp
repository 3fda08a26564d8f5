// The edit-buttons box: one control per edit button, their widths, common height and places.
#include <cmath>

#include "gridlib/editors/DBCtrlsEh.h"

TEditButtonsBoxEh::TEditButtonsBoxEh(TComponent* owner) : TWinControl(owner) {
  controlStyle_ << csReplicatable << csParentBackground;
  SetCursor(crArrow);
}

// Freeing the controls only tells their owner; a failing listener is reported and the box still goes.
TEditButtonsBoxEh::~TEditButtonsBoxEh() {
  RunReportingFailure(this, [this] { SetButtonsCount(0); });
}

void TEditButtonsBoxEh::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation != opRemove) return;
  for (auto& rec : btnCtlList_) {
    if (rec.EditButtonControl == component) rec.EditButtonControl = nullptr;
    if (rec.ButtonLine == component) rec.ButtonLine = nullptr;
  }
}

void TEditButtonsBoxEh::SetBorderActive(bool value) {
  if (value == borderActive_) return;
  borderActive_ = value;
  Invalidate();
}

void TEditButtonsBoxEh::SetButtonsCount(Integer value) {
  value = std::max<Integer>(value, 0);
  while (GetButtonsCount() > value) {
    TEditButtonControlLineRec rec = btnCtlList_.back();
    btnCtlList_.pop_back();
    delete rec.EditButtonControl;
    delete rec.ButtonLine;
  }
  while (GetButtonsCount() < value) {
    if (!OnCreateEditButtonControl)
      throw EInvalidOperation(u"TEditButtonsBoxEh: OnCreateEditButtonControl is not assigned");
    TEditButtonControlLineRec rec;
    OnCreateEditButtonControl(this, rec.EditButtonControl);
    if (!rec.EditButtonControl)
      throw EInvalidOperation(u"TEditButtonsBoxEh: no edit button control was made");
    // The factory's owner may free the control first; the box then forgets it.
    rec.EditButtonControl->FreeNotification(this);
    rec.EditButtonControl->SetParent(this);
    rec.ButtonLine = new TShape(this);
    rec.ButtonLine->SetParent(this);
    rec.ButtonLine->SetWidth(0);
    rec.ButtonLine->SetVisible(false);
    btnCtlList_.push_back(rec);
  }
}

void TEditButtonsBoxEh::EndLayout() {
  if (layoutCount_ > 0) --layoutCount_;
  if (layoutCount_ == 0) UpdateEditButtonControlList();
}

void TEditButtonsBoxEh::UpdateEditButtonControl(TEditButtonControlLineRec& rec, Integer& height) {
  TEditButtonControlEh* control = rec.EditButtonControl;
  TEditButtonEh* button = rec.EditButton;
  if (!control || !rec.ButtonLine) return;
  const bool visible = button && button->GetVisible();
  if (button) {
    control->SetEnabled(button->GetEnabled());
    control->SetStyle(button->GetStyle());
    control->SetGlyph(button->GetGlyph());
    control->SetNumGlyphs(button->GetNumGlyphs());
    control->SetHint(button->GetHint());
    control->SetDrawBackTime(button->GetDrawBackTime());
    control->SetExternalEditButtonImages(button->GetImages());
  }
  control->SetFlat(flat_);
  control->SetVisible(visible);
  Integer width = 0;
  if (visible) {
    if (button->GetWidth() >= 1)
      width = button->GetWidth();
    else
      width = flat_ ? DefaultEditButtonWidthEh() : GetSystemMetrics(SM_CXVSCROLL);
    Integer h = maxButtonHeight_;
    // Rounded halves to even, as the button's proportions were always computed.
    if (h > static_cast<Integer>(std::nearbyint(width * 3 / 2.0)))
      h = EditButtonHeightForWidthEh(width, flat_);
    height = std::min(height, h);
  }
  control->SetWidthNoNotify(width);
  const bool line = flat_ && visible && !ThemesEnabledEh();
  rec.ButtonLine->SetVisible(line);
  rec.ButtonLine->SetWidth(line ? 1 : 0);
}

void TEditButtonsBoxEh::UpdateEditButtonControlList() {
  Integer height = NoButtonHeightEh;
  for (size_t i = 0; i < btnCtlList_.size(); ++i) {
    TEditButtonControlLineRec& rec = btnCtlList_[i];
    UpdateEditButtonControl(rec, height);
    TEditButtonControlEh* control = rec.EditButtonControl;
    if (!control) continue;
    control->OnDown = TButtonDownEventEh(this, &TEditButtonsBoxEh::ControlDown);
    control->OnClick = TNotifyEvent(this, &TEditButtonsBoxEh::ControlClick);
    control->OnMouseMove = TMouseMoveEvent(this, &TEditButtonsBoxEh::ControlMouseMove);
    control->OnMouseUp = TMouseEvent(this, &TEditButtonsBoxEh::ControlMouseUp);
    control->SetTag(static_cast<NativeInt>(i));
  }
  buttonsWidth_ = 0;
  for (const auto& rec : btnCtlList_)
    if (rec.EditButtonControl && rec.ButtonLine)
      buttonsWidth_ += rec.EditButtonControl->GetWidth() + rec.ButtonLine->GetWidth();
  if (height != NoButtonHeightEh) {
    const bool rightToLeft = UseRightToLeftAlignment();
    Integer x = rightToLeft ? buttonsWidth_ : 0;
    for (const auto& rec : btnCtlList_) {
      if (!rec.EditButtonControl || !rec.ButtonLine) continue;
      const Integer cw = rec.EditButtonControl->GetWidth(), lw = rec.ButtonLine->GetWidth();
      if (rightToLeft) {
        x -= cw;
        rec.EditButtonControl->SetBounds(x, 0, cw, height);
        x -= lw;
        rec.ButtonLine->SetBounds(x, 0, lw, height);
      } else {
        rec.EditButtonControl->SetBounds(x, 0, cw, height);
        x += cw;
        rec.ButtonLine->SetBounds(x, 0, lw, height);
        x += lw;
      }
    }
  }
  // The last separator is not counted: the editor's border stands there.
  if (flat_ && buttonsWidth_ > 0 && !ThemesEnabledEh()) --buttonsWidth_;
  buttonHeight_ = height;
  UpdateEditButtonControlsState();
}

void TEditButtonsBoxEh::UpdateEditButtonControlsState() {
  for (auto& rec : btnCtlList_) {
    if (!rec.EditButtonControl || !rec.ButtonLine) continue;
    const bool buttonEnabled = !rec.EditButton || rec.EditButton->GetEnabled();
    rec.EditButtonControl->SetEnabled(GetEnabled() && buttonEnabled);
    rec.EditButtonControl->SetActive(borderActive_);
    rec.ButtonLine->GetPen()->SetColor(borderActive_ ? clBtnFace : GetColor());
  }
}

void TEditButtonsBoxEh::ControlDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled) {
  if (OnDown) OnDown(sender, topButton, autoRepeat, handled);
}

void TEditButtonsBoxEh::ControlClick(TObject* sender) {
  if (OnClick) OnClick(sender);
}

void TEditButtonsBoxEh::ControlMouseMove(TObject* sender, TShiftState shift, Integer x, Integer y) {
  if (OnMouseMove) OnMouseMove(sender, shift, x, y);
}

void TEditButtonsBoxEh::ControlMouseUp(TObject* sender, TMouseButton button, TShiftState shift, Integer x,
                                       Integer y) {
  if (OnMouseUp) OnMouseUp(sender, button, shift, x, y);
}
