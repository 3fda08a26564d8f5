// The caption label of an editor and its placement round the editor.
#include "gridlib/editors/DBCtrlsEh.h"

TControlLabelEh::TControlLabelEh(TComponent* owner) : TCustomLabel(owner) {
  SetName(u"SubLabel");
  SetSubComponent(true);
  // The form's background shows through, whatever the visual style paints it with.
  SetTransparent(true);
  TControl::SetVisible(false);
  UpdateCaption();
}

IControlLabelOwnerEh* TControlLabelEh::LabelOwner() const {
  return dynamic_cast<IControlLabelOwnerEh*>(GetFocusControl());
}

void TControlLabelEh::SetCaption(const String& value) {
  if (value.empty()) {
    captionStored_ = false;
    UpdateCaption();
    return;
  }
  captionStored_ = true;
  SetText(value);
  Invalidate();
}

void TControlLabelEh::UpdateCaption() {
  if (captionStored_) return;
  if (IControlLabelOwnerEh* owner = LabelOwner()) SetText(owner->GetControlLabelCaption());
}

void TControlLabelEh::SetVisible(bool value) {
  visible_ = value;
  UpdateParent();
  UpdateVisibility();
  Invalidate();
}

void TControlLabelEh::UpdateVisibility() {
  TWinControl* editor = GetFocusControl();
  const bool effective = visible_ && editor && editor->GetVisible();
  if (effective != TControl::GetVisible()) TControl::SetVisible(effective);
}

void TControlLabelEh::UpdateParent() {
  TWinControl* editor = GetFocusControl();
  TWinControl* parent = nullptr;
  if (visible_ && editor && !GetComponentState().Contains(csLoading)) parent = editor->GetParent();
  if (parent != GetParent()) SetParent(parent);
  if (parent)
    if (IControlLabelOwnerEh* owner = LabelOwner()) owner->UpdateControlLabelBounds();
}

void TControlLabelEh::Loaded() {
  TCustomLabel::Loaded();
  UpdateParent();
}

void TControlLabelEh::Dispatch(TMessage& message) {
  TCustomLabel::Dispatch(message);
  // A new caption or font resizes the label; the editor then places it again.
  if (message.Msg == CM_TEXTCHANGED || message.Msg == CM_FONTCHANGED)
    if (IControlLabelOwnerEh* owner = LabelOwner()) owner->UpdateControlLabelBounds();
}

void TControlLabelLocationEh::SetSpacing(Integer value) {
  if (value == spacing_) return;
  spacing_ = value;
  Changed();
}

void TControlLabelLocationEh::SetOffset(Integer value) {
  if (value == offset_) return;
  offset_ = value;
  Changed();
}

void TControlLabelLocationEh::SetPosition(TLabelPositionEh value) {
  if (value == position_) return;
  position_ = value;
  Changed();
}

void TControlLabelLocationEh::SetLabelSpacingBound(TSpacingBoundEh value) {
  if (value == labelSpacingBound_) return;
  labelSpacingBound_ = value;
  Changed();
}

void TControlLabelLocationEh::Changed() {
  if (auto* owner = dynamic_cast<IControlLabelOwnerEh*>(editControl_)) owner->ControlLabelLocationChanged();
}

void TControlLabelLocationEh::CalcLabelPosForControl(Integer w, Integer h, TPoint& pos) const {
  const Integer left = editControl_->GetLeft(), top = editControl_->GetTop();
  const Integer width = editControl_->GetWidth(), height = editControl_->GetHeight();
  const Integer s = spacing_, o = offset_;
  const bool vertical = position_ <= lpBelowRightEh;
  const Integer a = labelSpacingBound_ == sbNearBoundEh ? 0 : (vertical ? h : w);
  Integer baseLine = 0;
  if (position_ == lpLeftTextBaselineEh || position_ == lpRightTextBaselineEh)
    if (auto* owner = dynamic_cast<IControlLabelOwnerEh*>(editControl_))
      baseLine = owner->GetControlTextBaseLine();
  const Integer above = top - h - s + a, below = top + height + s + a;
  const Integer leftX = left - w - s + a, rightX = left + width + s + a;
  switch (position_) {
    case lpAboveLeftEh:
      pos = TPoint(left + o, above);
      break;
    case lpAboveCenterEh:
      pos = TPoint(left + (width - w) / 2 + o, above);
      break;
    case lpAboveRightEh:
      pos = TPoint(left + width - w + o, above);
      break;
    case lpBelowLeftEh:
      pos = TPoint(left + o, below);
      break;
    case lpBelowCenterEh:
      pos = TPoint(left + (width - w) / 2 + o, below);
      break;
    case lpBelowRightEh:
      pos = TPoint(left + width - w + o, below);
      break;
    case lpLeftTopEh:
      pos = TPoint(leftX, top + o);
      break;
    case lpLeftTextBaselineEh:
      pos = TPoint(leftX, top + baseLine - h + o);
      break;
    case lpLeftCenterEh:
      pos = TPoint(leftX, top + (height - h) / 2 + o);
      break;
    case lpLeftBottomEh:
      pos = TPoint(leftX, top + height - h + o);
      break;
    case lpRightTopEh:
      pos = TPoint(rightX, top + o);
      break;
    case lpRightTextBaselineEh:
      pos = TPoint(rightX, top + baseLine - h + o);
      break;
    case lpRightCenterEh:
      pos = TPoint(rightX, top + (height - h) / 2 + o);
      break;
    case lpRightBottomEh:
      pos = TPoint(rightX, top + height - h + o);
      break;
  }
}

void PlaceControlLabelEh(TControlLabelEh* label, TControlLabelLocationEh* location) {
  if (!label || !location) return;
  TPoint pos;
  location->CalcLabelPosForControl(label->GetWidth(), label->GetHeight(), pos);
  if (pos.X != label->GetLeft() || pos.Y != label->GetTop())
    label->SetBounds(pos.X, pos.Y, label->GetWidth(), label->GetHeight());
}

void FollowEditorParentEh(TControlLabelEh* label) {
  if (!label) return;
  label->UpdateParent();
  label->UpdateVisibility();
  label->UpdateCaption();
}

Integer EditorTextBaseLineEh(TFont* font, bool ctl3D) {
  return GetFontTextHeightEh(nullptr, font, false) + 2 * GetSystemMetrics(SM_CYBORDER) + (ctl3D ? 1 : 0);
}
