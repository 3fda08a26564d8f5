// The one-line edit over QLineEdit: text, selection, Modified, MaxLength and the change event.
#include "platform/controls/StdEdits.h"

#include <QLineEdit>

#include "platform/controls/private/ControlsQt.h"
#include "platform/graphics/Graphics.h"

// ---- TCustomEdit ----

class TEditBridge {
 public:
  static void Changed(TCustomEdit* edit, bool byUser) {
    if (byUser) edit->modified_ = true;
    edit->Perform(CM_TEXTCHANGED);
    edit->Change();
  }
};

void TCustomEdit::Published(TPropBuilder<TCustomEdit>& p) {
  p.Bool(u"ReadOnly", &TCustomEdit::GetReadOnly, &TCustomEdit::SetReadOnly).Default(false);
  p.Int(u"MaxLength", &TCustomEdit::GetMaxLength, &TCustomEdit::SetMaxLength).Default(0);
  p.Char(u"PasswordChar", &TCustomEdit::GetPasswordChar, &TCustomEdit::SetPasswordChar).Default(0);
  p.Bool(u"AutoSelect", &TCustomEdit::GetAutoSelect, &TCustomEdit::SetAutoSelect).Default(true);
  p.Str(u"Text", &TCustomEdit::GetText, &TCustomEdit::SetText);
  p.Bool(u"TabStop", &TCustomEdit::GetTabStop, &TCustomEdit::SetTabStop).Default(true);
  p.Event(u"OnChange", &TCustomEdit::OnChange);
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  controlStyle_ = {csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
  width_ = 121;
  height_ = 21;
  tabStop_ = true;
  color_ = clWindow;
  brush_->SetColor(color_);
}

void TCustomEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

QWidget* TCustomEdit::CreateQtWidget(const TCreateParams& params) {
  QWidget* parentWidget = nullptr;
  if (TWinControlHost* h = FindHost(params.WndParent)) parentWidget = h->Widget();
  auto* edit = new QLineEdit(parentWidget);
  QObject::connect(edit, &QLineEdit::textChanged, edit, [this](const QString&) {
    GuardedCall(this, [this] { TEditBridge::Changed(this, !settingText_); });
  });
  return edit;
}

void TCustomEdit::InitQtWidget(QWidget* widget) {
  auto* edit = static_cast<QLineEdit*>(widget);
  settingText_ = true;
  edit->setText(ToQString(text_));
  settingText_ = false;
  edit->setReadOnly(readOnly_);
  edit->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
  edit->setEchoMode(passwordChar_ ? QLineEdit::Password : QLineEdit::Normal);
  edit->setFont(ToQFont(font_.get()));
  edit->setFocusPolicy(Qt::StrongFocus);
}

String TCustomEdit::GetTextValue() const {
  if (auto* edit = static_cast<QLineEdit*>(GetWidget())) return FromQString(edit->text());
  return text_;
}

void TCustomEdit::SetTextValue(const String& value) {
  text_ = value;
  if (auto* edit = static_cast<QLineEdit*>(GetWidget())) {
    settingText_ = true;
    edit->setText(ToQString(value));
    settingText_ = false;
  }
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::DoEnter() {
  if (autoSelect_) SelectAll();
  TWinControl::DoEnter();
}

void TCustomEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE:
      message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
      return;
    case CM_TEXTCHANGED:
      return;
    default:
      TWinControl::Dispatch(message);
  }
}

void TCustomEdit::SetReadOnly(bool value) {
  readOnly_ = value;
  if (auto* edit = static_cast<QLineEdit*>(GetWidget())) edit->setReadOnly(value);
}

void TCustomEdit::SetMaxLength(Integer value) {
  maxLength_ = value < 0 ? 0 : value;
  if (auto* edit = static_cast<QLineEdit*>(GetWidget()))
    edit->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
}

void TCustomEdit::SetPasswordChar(Char value) {
  passwordChar_ = value;
  if (auto* edit = static_cast<QLineEdit*>(GetWidget()))
    edit->setEchoMode(value ? QLineEdit::Password : QLineEdit::Normal);
}

Integer TCustomEdit::GetSelStart() const {
  auto* edit = static_cast<QLineEdit*>(GetWidget());
  if (!edit) return 0;
  return edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
}

void TCustomEdit::SetSelStart(Integer value) {
  HandleNeeded();
  static_cast<QLineEdit*>(GetWidget())->setCursorPosition(value);
}

Integer TCustomEdit::GetSelLength() const {
  auto* edit = static_cast<QLineEdit*>(GetWidget());
  return edit ? static_cast<Integer>(edit->selectedText().size()) : 0;
}

void TCustomEdit::SetSelLength(Integer value) {
  HandleNeeded();
  auto* edit = static_cast<QLineEdit*>(GetWidget());
  edit->setSelection(GetSelStart(), value);
}

String TCustomEdit::GetSelText() const {
  auto* edit = static_cast<QLineEdit*>(GetWidget());
  return edit ? FromQString(edit->selectedText()) : String();
}

void TCustomEdit::SetSelText(const String& value) {
  HandleNeeded();
  static_cast<QLineEdit*>(GetWidget())->insert(ToQString(value));
}

void TCustomEdit::SelectAll() {
  if (auto* edit = static_cast<QLineEdit*>(GetWidget())) edit->selectAll();
}

void TCustomEdit::Clear() { SetText(String()); }
