// Standard controls: the label drawn on its parent's canvas and the push button over QPushButton
// that answers the form's Enter and Esc as its default and cancel button.
#include "platform/controls/StdCtrls.h"

#include <QPushButton>

#include "platform/controls/Forms.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/graphics/Graphics.h"

namespace {
const TTypeInfo* LayoutType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TTextLayout", {u"tlTop", u"tlCenter", u"tlBottom"});
  return &t;
}
}  // namespace

// ---- TCustomLabel ----

void TCustomLabel::Published(TPropBuilder<TCustomLabel>& p) {
  p.Enum(u"Alignment", TypeInfoAlignment(), &TCustomLabel::GetAlignment, &TCustomLabel::SetAlignment)
      .Default(taLeftJustify);
  p.Enum(u"Layout", LayoutType(), &TCustomLabel::GetLayout, &TCustomLabel::SetLayout).Default(tlTop);
  p.Bool(u"WordWrap", &TCustomLabel::GetWordWrap, &TCustomLabel::SetWordWrap).Default(false);
  p.Bool(u"Transparent", &TCustomLabel::GetTransparent, &TCustomLabel::SetTransparent).Default(false);
  p.Bool(u"ShowAccelChar", &TCustomLabel::GetShowAccelChar, &TCustomLabel::SetShowAccelChar).Default(true);
  p.Object(u"FocusControl", &TCustomLabel::GetFocusControl, &TCustomLabel::SetFocusControl);
  p.Bool(u"AutoSize", &TCustomLabel::GetAutoSize, &TCustomLabel::SetAutoSize).Default(true);
  p.Bool(u"ParentColor", &TCustomLabel::GetParentColor, &TCustomLabel::SetParentColor).Default(true);
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  controlStyle_ << csOpaque << csReplicatable;
  width_ = 65;
  height_ = 17;
  autoSize_ = true;
  parentColor_ = true;
}

void TCustomLabel::SetAlignment(TAlignment value) {
  if (alignment_ == value) return;
  alignment_ = value;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout value) {
  if (layout_ == value) return;
  layout_ = value;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool value) {
  if (wordWrap_ == value) return;
  wordWrap_ = value;
  AdjustSize();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool value) {
  if (transparent_ == value) return;
  transparent_ = value;
  if (value)
    controlStyle_ >> csOpaque;
  else
    controlStyle_ << csOpaque;
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool value) {
  if (showAccelChar_ == value) return;
  showAccelChar_ = value;
  AdjustSize();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* value) {
  focusControl_ = value;
  if (value) FreeNotification(value);
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == opRemove && component == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::SetAutoSize(bool value) {
  TGraphicControl::SetAutoSize(value);
  Invalidate();
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  if (autoSize_) AdjustSize();
}

void TCustomLabel::DoDrawText(TRect& rect, Cardinal flags) {
  String text = GetText();
  if ((flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == u"&"))) text.push_back(u' ');
  if (!showAccelChar_) flags |= DT_NOPREFIX;
  TCanvas* canvas = GetCanvas();
  canvas->GetFont()->Assign(font_.get());
  HDC dc = canvas->GetHandle();
  SetBkMode(dc, TRANSPARENT);
  if (!IsEnabled()) {
    canvas->GetFont()->SetColor(clGrayText);
    dc = canvas->GetHandle();
  }
  SetTextColor(dc, ColorToRGB(canvas->GetFont()->GetColor()));
  DrawText(dc, text.c_str(), static_cast<Integer>(text.size()), &rect, flags);
}

void TCustomLabel::Paint() {
  TCanvas* canvas = GetCanvas();
  TRect r = GetClientRect();
  if (!transparent_) {
    canvas->GetBrush()->SetColor(color_);
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->FillRect(r);
  }
  Cardinal flags = DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0u);
  switch (alignment_) {
    case taRightJustify:
      flags |= DT_RIGHT;
      break;
    case taCenter:
      flags |= DT_CENTER;
      break;
    default:
      flags |= DT_LEFT;
      break;
  }
  if (layout_ != tlTop) {
    TRect calc = r;
    DoDrawText(calc, flags | DT_CALCRECT);
    Integer h = calc.Height();
    if (layout_ == tlBottom)
      r.Top = r.Bottom - h;
    else
      r.Top = (r.Height() - h) / 2;
    r.Bottom = r.Top + h;
  }
  DoDrawText(r, flags);
}

bool TCustomLabel::CanAutoSize(Integer& newWidth, Integer& newHeight) {
  String text = GetText();
  if (text.empty()) text.push_back(u' ');
  HDC dc = GetDC(nullptr);
  HFONT old = static_cast<HFONT>(SelectObject(dc, font_->GetHandle()));
  TRect r(0, 0, wordWrap_ ? width_ : 0, 0);
  Cardinal flags =
      DT_CALCRECT | DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0u) | (showAccelChar_ ? 0u : DT_NOPREFIX);
  DrawText(dc, text.c_str(), static_cast<Integer>(text.size()), &r, flags);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  newHeight = r.Height();
  if (!wordWrap_) newWidth = r.Width();
  return true;
}

void TCustomLabel::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      if (autoSize_) AdjustSize();
      Invalidate();
      if (message.Msg == CM_FONTCHANGED) TGraphicControl::Dispatch(message);
      return;
    case CM_DIALOGCHAR: {
      auto& key = reinterpret_cast<TCMDialogChar&>(message);
      if (focusControl_ && IsEnabled() && showAccelChar_ && IsAccel(key.CharCode, GetCaption()) &&
          focusControl_->CanFocus()) {
        focusControl_->SetFocus();
        key.Result = 1;
      }
      return;
    }
    default:
      TGraphicControl::Dispatch(message);
  }
}

// ---- TButtonControl and TButton ----

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {}

void TButton::Published(TPropBuilder<TButton>& p) {
  p.Bool(u"Default", &TButton::GetDefault, &TButton::SetDefault).Default(false);
  p.Bool(u"Cancel", &TButton::GetCancel, &TButton::SetCancel).Default(false);
  p.Int(u"ModalResult", &TButton::GetModalResult, &TButton::SetModalResult).Default(0);
  p.Bool(u"TabStop", &TButton::GetTabStop, &TButton::SetTabStop).Default(true);
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
  controlStyle_ = {csSetCaption, csDoubleClicks};
  width_ = 75;
  height_ = 25;
  tabStop_ = true;
  color_ = clBtnFace;
  brush_->SetColor(color_);
}

QWidget* TButton::CreateQtWidget(const TCreateParams& params) {
  QWidget* parentWidget = nullptr;
  if (TWinControlHost* h = FindHost(params.WndParent)) parentWidget = h->Widget();
  auto* button = new QPushButton(parentWidget);
  QObject::connect(button, &QPushButton::clicked, button, [this] { GuardedCall(this, [this] { Click(); }); });
  return button;
}

void TButton::InitQtWidget(QWidget* widget) {
  auto* button = static_cast<QPushButton*>(widget);
  button->setText(ToQString(text_));
  button->setAutoDefault(false);
  button->setDefault(default_);
  button->setFont(ToQFont(font_.get()));
  button->setFocusPolicy(Qt::StrongFocus);
}

void TButton::SetTextValue(const String& value) {
  text_ = value;
  if (auto* button = static_cast<QPushButton*>(GetWidget())) button->setText(ToQString(value));
}

void TButton::SetDefault(bool value) {
  default_ = value;
  active_ = value;
  if (auto* button = static_cast<QPushButton*>(GetWidget())) button->setDefault(value);
  if (TCustomForm* form = GetParentForm(this); form && HandleAllocated())
    form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->GetActiveControl()));
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  TButtonControl::Click();
}

void TButton::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_DIALOGKEY:
      CMDialogKey(reinterpret_cast<TCMDialogKey&>(message));
      return;
    case CM_DIALOGCHAR:
      CMDialogChar(reinterpret_cast<TCMDialogChar&>(message));
      return;
    case CM_FOCUSCHANGED:
      CMFocusChanged(reinterpret_cast<TCMFocusChanged&>(message));
      return;
    case WM_GETDLGCODE:
      message.Result = DLGC_BUTTON | (active_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
      return;
    default:
      TButtonControl::Dispatch(message);
  }
}

void TButton::CMDialogKey(TCMDialogKey& message) {
  bool enter = message.CharCode == VK_RETURN && active_;
  bool esc = message.CharCode == VK_ESCAPE && cancel_;
  if ((enter || esc) && KeyDataToShiftState(message.KeyData).Empty() && CanFocus()) {
    Click();
    message.Result = 1;
    return;
  }
  TButtonControl::Dispatch(reinterpret_cast<TMessage&>(message));
}

void TButton::CMDialogChar(TCMDialogChar& message) {
  if (IsAccel(message.CharCode, GetCaption()) && CanFocus()) {
    Click();
    message.Result = 1;
    return;
  }
  TButtonControl::Dispatch(reinterpret_cast<TMessage&>(message));
}

void TButton::CMFocusChanged(TCMFocusChanged& message) {
  if (auto* button = dynamic_cast<TButton*>(message.Sender))
    active_ = button == this;
  else
    active_ = default_;
  if (auto* b = static_cast<QPushButton*>(GetWidget())) b->setDefault(active_);
}
