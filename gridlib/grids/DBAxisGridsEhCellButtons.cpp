// The buttons drawn in the data cells of a bar.
#include "gridlib/grids/DBAxisGridsEh.h"

namespace {

bool IsUpDownStyle(TEditButtonStyleEh style) { return style == ebsUpDownEh || style == ebsAltUpDownEh; }

}  // namespace

// Joins the collection only once it is a cell button, so the collection's item-class check passes.
TCellButtonEh::TCellButtonEh(TCollection* collection)
    : TVisibleEditButtonEh(static_cast<TCollection*>(nullptr)) {
  SetCollection(collection);
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

TCellButtonsEh::TCellButtonsEh(TAxisBarEh* bar, TClass itemClass) : TEditButtonsEh(bar, itemClass) {}

TCellButtonEh* TCellButtonsEh::GetButtonByShortCut(TShortCut shortCut) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (GetCellButton(i)->GetShortCut() == shortCut) return GetCellButton(i);
  return nullptr;
}
