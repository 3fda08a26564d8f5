// The check box bound to a field: the state read from the field, toggling and posting.
#include <algorithm>

#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/data/DataSet.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Themes.h"

TCustomDBCheckBoxEh::TCustomDBCheckBoxEh(TComponent* owner)
    : TCustomCheckBox(owner), dataLink_(std::make_unique<TFieldDataLinkEh>()) {
  SetBounds(GetLeft(), GetTop(), 97, 17);
  SetTabStop(true);
  controlStyle_ >> csDoubleClicks;
  controlStyle_ << csReplicatable;
  dataLink_->SetControl(this);
  dataLink_->OnDataChange = TNotifyEvent(this, &TCustomDBCheckBoxEh::DataChange);
  dataLink_->OnUpdateData = TNotifyEvent(this, &TCustomDBCheckBoxEh::UpdateDataEvent);
  dataLink_->DataIndependentValue = Variant(false);
}

TCustomDBCheckBoxEh::~TCustomDBCheckBoxEh() {
  dataLink_->OnDataChange = TNotifyEvent();
  dataLink_->OnUpdateData = TNotifyEvent();
  dataLink_->SetDataSource(nullptr);
}

void TCustomDBCheckBoxEh::SetDataSource(TDataSource* value) {
  if (GetComponentState().Contains(csLoading) && dataLink_->GetDataSourceFixed()) return;
  dataLink_->SetDataSource(value);
  if (value) value->FreeNotification(this);
}

void TCustomDBCheckBoxEh::Notification(TComponent* component, TOperation operation) {
  TCustomCheckBox::Notification(component, operation);
  if (operation == opRemove && dataLink_ && component == dataLink_->GetDataSource())
    dataLink_->SetDataSource(nullptr);
}

void TCustomDBCheckBoxEh::SetValueChecked(const String& value) {
  valueChecked_ = value;
  DataChange(this);
}

void TCustomDBCheckBoxEh::SetValueUnchecked(const String& value) {
  valueUnchecked_ = value;
  DataChange(this);
}

bool TCustomDBCheckBoxEh::ValueListContains(const String& list, const String& text) {
  size_t start = 0;
  while (true) {
    const size_t end = list.find(u';', start);
    const String entry = Trim(list.substr(start, end == String::npos ? String::npos : end - start));
    if (AnsiCompareTextEh(entry, text) == 0) return true;
    if (end == String::npos) return false;
    start = end + 1;
  }
}

TCheckBoxState TCustomDBCheckBoxEh::GetStateFromData() const {
  if (dataLink_->GetDataIndepended()) {
    const Variant& v = dataLink_->DataIndependentValue;
    if (VarEqualsEh(v, Variant(true))) return cbChecked;
    if (VarEqualsEh(v, Variant(false))) return cbUnchecked;
    return cbGrayed;
  }
  TField* field = GetField();
  if (!field) return cbUnchecked;
  // A boolean field is shown by its value, whatever the texts say: it is posted as a boolean, and what
  // the box shows must be what it posts.
  if (field->GetDataType() == ftBoolean) {
    if (field->IsNull()) return cbGrayed;
    return field->GetAsBoolean() ? cbChecked : cbUnchecked;
  }
  const String text = field->GetText();
  if (ValueListContains(valueChecked_, text)) return cbChecked;
  if (ValueListContains(valueUnchecked_, text)) return cbUnchecked;
  return cbGrayed;
}

void TCustomDBCheckBoxEh::DataChange(TObject*) {
  if (GetComponentState().Contains(csDestroying)) return;
  const bool saved = internalSetting_;
  internalSetting_ = true;
  InternalSetState(GetStateFromData());
  internalSetting_ = saved;
  modified_ = false;
}

void TCustomDBCheckBoxEh::InternalSetState(TCheckBoxState value) {
  if (value == GetState()) return;
  TCustomCheckBox::SetState(value);
  modified_ = true;
  Invalidate();
}

void TCustomDBCheckBoxEh::SetState(TCheckBoxState value) {
  dataLink_->SetFromCode([&] { InternalSetState(value); }, [this] { UpdateData(); }, dataPosting_);
}

void TCustomDBCheckBoxEh::Toggle() {
  if (!dataLink_->Edit()) return;
  switch (GetState()) {
    case cbUnchecked:
      InternalSetState(GetAllowGrayed() ? cbGrayed : cbChecked);
      break;
    case cbChecked:
      InternalSetState(cbUnchecked);
      break;
    case cbGrayed:
      InternalSetState(cbChecked);
      break;
  }
  dataLink_->Modified();
}

void TCustomDBCheckBoxEh::UpdateDataEvent(TObject*) {
  if (!dataPosting_) UpdateData();
}

void TCustomDBCheckBoxEh::UpdateData() {
  if (!TFieldDataLinkEh::RunUpdateDataHandler(this, OnUpdateData, dataPosting_)) PostStateToField();
}

void TCustomDBCheckBoxEh::PostStateToField() {
  const TCheckBoxState state = GetState();
  if (dataLink_->GetDataIndepended()) {
    dataLink_->SetValue(state == cbGrayed ? Variant::Null() : Variant(state == cbChecked));
    return;
  }
  TField* field = GetField();
  if (!field) return;
  if (state == cbGrayed) {
    field->Clear();
  } else if (field->GetDataType() == ftBoolean) {
    field->SetAsBoolean(state == cbChecked);
  } else {
    const String& list = state == cbChecked ? valueChecked_ : valueUnchecked_;
    field->SetText(Trim(list.substr(0, list.find(u';'))));
  }
}

void TCustomDBCheckBoxEh::KeyPress(Char& key) {
  TCustomCheckBox::KeyPress(key);
  // The box draws itself, so the space that toggles it is its own to see.
  if (key == u' ') {
    Toggle();
    key = 0;
    return;
  }
  if (key == u'\b') dataLink_->Edit();
  if (key == u'\x1b') {
    dataLink_->Reset();
    key = 0;
  }
}

void TCustomDBCheckBoxEh::DoExit() {
  dataLink_->UpdateRecordOnExit(this);
  TCustomCheckBox::DoExit();
}

void TCustomDBCheckBoxEh::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      mouseAbove_ = message.Msg == CM_MOUSEENTER;
      Invalidate();
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (CanFocus() && !Focused()) SetFocus();
      mousePressed_ = true;
      Invalidate();
      break;
    case WM_LBUTTONUP: {
      // The box draws itself, so the click that toggles it is its own to see.
      const bool wasPressed = mousePressed_;
      mousePressed_ = false;
      Invalidate();
      const TPoint p(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
      if (wasPressed && PtInRect(GetClientRect(), p)) Toggle();
      break;
    }
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
    case WM_SIZE:
      Invalidate();
      break;
    default:
      break;
  }
  if (message.Msg == CM_GETDATALINK) {
    message.Result = reinterpret_cast<LRESULT>(dataLink_.get());
    return;
  }
  if (message.Msg == CM_WANTSPECIALKEY && message.WParam == VK_ESCAPE && modified_) {
    message.Result = 1;
    return;
  }
  TCustomCheckBox::Dispatch(message);
}

// ---- Look ----

void TCustomDBCheckBoxEh::SetFlat(bool value) {
  if (flat_ == value) return;
  flat_ = value;
  Invalidate();
}

void TCustomDBCheckBoxEh::SetAlwaysShowBorder(bool value) {
  if (alwaysShowBorder_ == value) return;
  alwaysShowBorder_ = value;
  Invalidate();
}

void TCustomDBCheckBoxEh::SetWordWrap(bool value) {
  if (wordWrap_ == value) return;
  wordWrap_ = value;
  Invalidate();
}

void TCustomDBCheckBoxEh::KeyDown(Word& key, TShiftState shift) {
  if (key == VK_SPACE && !spacePressed_) {
    spacePressed_ = true;
    Invalidate();
  }
  TCustomCheckBox::KeyDown(key, shift);
}

void TCustomDBCheckBoxEh::KeyUp(Word& key, TShiftState shift) {
  if (key == VK_SPACE && spacePressed_) {
    spacePressed_ = false;
    Invalidate();
  }
  TCustomCheckBox::KeyUp(key, shift);
}

void TCustomDBCheckBoxEh::DoEnter() {
  Invalidate();
  TCustomCheckBox::DoEnter();
}

void TCustomDBCheckBoxEh::PaintWindow(HDC dc) {
  TCanvas canvas;
  canvas.SetHandle(dc);
  if (GetControlState().Contains(csPaintCopy)) {
    PaintContent(&canvas, GetStateFromData(), false, false, false);
  } else {
    const bool hot = mouseAbove_;
    PaintContent(&canvas, GetState(), Focused(), hot, (hot && mousePressed_) || spacePressed_);
  }
  canvas.SetHandle(nullptr);
}

void TCustomDBCheckBoxEh::PaintContent(TCanvas* canvas, TCheckBoxState state, bool focused, bool hot,
                                       bool pressed) {
  canvas->GetBrush()->SetColor(StyleServices()->GetSystemColor(GetColor()));
  canvas->FillRect(GetClientRect());
  const TRect client = GetClientRect();
  const bool boxRight = (GetAlignment() == taLeftJustify) != UseRightToLeftReading();
  const TRect box = AlignCheckBoxRectEh(client, boxRight ? taRightJustify : taLeftJustify, tlCenter);
  TRect caption = client;
  if (boxRight)
    caption.Right = box.Left - 5;
  else
    caption.Left = box.Right + 5;
  PaintCaption(canvas, caption, focused, hot, pressed);
  PaintCheckBoxImage(canvas, box, state, focused, hot, pressed);
}

void TCustomDBCheckBoxEh::PaintCaption(TCanvas* canvas, const TRect& rect, bool focused, bool /*hot*/,
                                       bool /*pressed*/) {
  canvas->SetFont(GetFont());
  canvas->GetBrush()->SetStyle(bsClear);
  String caption = GetText();
  const UINT wrap = wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE;
  TRect measured(0, 0, rect.Width(), 0);
  DrawText(canvas->GetHandle(), caption.c_str(), static_cast<Integer>(caption.size()), &measured,
           DT_CALCRECT | wrap);
  // The caption stands centred vertically on the box's side of the rectangle.
  TRect text = rect;
  text.Top = rect.Top + (rect.Height() - measured.Height()) / 2;
  text.Bottom = text.Top + measured.Height();
  if (GetAlignment() == taLeftJustify)
    text.Left = std::max(rect.Left, rect.Right - measured.Width());
  else
    text.Right = std::min(rect.Right, rect.Left + measured.Width());
  if (IsEnabled()) {
    canvas->GetFont()->SetColor(StyleServices()->GetSystemColor(GetFont()->GetColor()));
    DrawText(canvas->GetHandle(), caption.c_str(), static_cast<Integer>(caption.size()), &text, wrap);
  } else {
    // Embossed: a highlight shadow one pixel down-right, then the grey text in place.
    TRect shadow = text;
    OffsetRect(&shadow, 1, 1);
    canvas->GetFont()->SetColor(StyleServices()->GetSystemColor(clBtnHighlight));
    DrawText(canvas->GetHandle(), caption.c_str(), static_cast<Integer>(caption.size()), &shadow, wrap);
    canvas->GetFont()->SetColor(StyleServices()->GetSystemColor(clGrayText));
    DrawText(canvas->GetHandle(), caption.c_str(), static_cast<Integer>(caption.size()), &text, wrap);
  }
  canvas->GetBrush()->SetStyle(bsSolid);
  if (focused && !caption.empty()) {
    TRect focus = text;
    InflateRect(&focus, 1, 1);
    ++focus.Bottom;
    const TRect client = GetClientRect();
    IntersectRect(&focus, focus, client);
    canvas->DrawFocusRect(focus);
  }
}

void TCustomDBCheckBoxEh::PaintCheckBoxImage(TCanvas* canvas, const TRect& rect, TCheckBoxState state,
                                             bool focused, bool hot, bool pressed) {
  const bool active = focused || hot || (alwaysShowBorder_ && !ThemesEnabled());
  DrawButtonControlEh(canvas, rect, StyleServices()->GetSystemColor(GetColor()), bcsCheckboxEh,
                      pressed ? 1 : 0, flat_, active,
                      IsEnabled() || GetComponentState().Contains(csDesigning), state, 1.0, true);
}
