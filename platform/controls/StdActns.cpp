// The standard edit actions over the edit controls' selection and the clipboard; undo asks the
// Qt editor behind the control, which keeps the undo history.
#include "platform/controls/StdActns.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "platform/controls/Clipbrd.h"
#include "platform/controls/StdCtrls.h"

namespace {

bool CanUndo(TCustomEdit* edit) {
  QWidget* widget = edit->GetWidget();
  if (auto* line = qobject_cast<QLineEdit*>(widget)) return line->isUndoAvailable();
  if (auto* text = qobject_cast<QTextEdit*>(widget)) return text->document()->isUndoAvailable();
  if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) return plain->document()->isUndoAvailable();
  return false;
}

void Undo(TCustomEdit* edit) {
  QWidget* widget = edit->GetWidget();
  if (auto* line = qobject_cast<QLineEdit*>(widget))
    line->undo();
  else if (auto* text = qobject_cast<QTextEdit*>(widget))
    text->undo();
  else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget))
    plain->undo();
}

}  // namespace

TEditAction::TEditAction(TComponent* owner) : TAction(owner) { SetDisableIfNoHandler(false); }

TEditAction::~TEditAction() { SetControl(nullptr); }

void TEditAction::Published(TPropBuilder<TEditAction>& p) {
  p.Object(u"Control", &TEditAction::GetControl, &TEditAction::SetControl);
}

void TEditAction::SetControl(TCustomEdit* value) {
  if (control_ == value) return;
  if (control_) RemoveFreeNotification(control_);
  control_ = value;
  if (value) FreeNotification(value);
}

void TEditAction::Notification(TComponent* component, TOperation operation) {
  TAction::Notification(component, operation);
  if (operation == opRemove && component == control_) control_ = nullptr;
}

TCustomEdit* TEditAction::EditOf(TObject* target) const { return dynamic_cast<TCustomEdit*>(target); }

bool TEditAction::HandlesTarget(TObject* target) {
  TCustomEdit* edit = EditOf(target);
  if (!edit) return false;
  if (control_) return edit == control_;
  return edit->Focused();
}

void TEditCopy::ExecuteTarget(TObject* target) {
  TCustomEdit* edit = EditOf(target);
  if (!edit || edit->GetPasswordChar() != 0 || edit->GetSelLength() == 0) return;
  Clipboard()->SetAsText(edit->GetSelText());
}

void TEditCopy::UpdateTarget(TObject* target) {
  TCustomEdit* edit = EditOf(target);
  SetEnabled(edit && edit->GetSelLength() > 0 && edit->GetPasswordChar() == 0);
}

void TEditCut::ExecuteTarget(TObject* target) {
  TCustomEdit* edit = EditOf(target);
  if (!edit || edit->GetReadOnly() || edit->GetPasswordChar() != 0 || edit->GetSelLength() == 0) return;
  Clipboard()->SetAsText(edit->GetSelText());
  edit->SetSelText(String());
}

void TEditCut::UpdateTarget(TObject* target) {
  TCustomEdit* edit = EditOf(target);
  SetEnabled(edit && edit->GetSelLength() > 0 && !edit->GetReadOnly() && edit->GetPasswordChar() == 0);
}

void TEditPaste::ExecuteTarget(TObject* target) {
  TCustomEdit* edit = EditOf(target);
  if (!edit || edit->GetReadOnly() || !Clipboard()->HasFormat(CF_TEXT)) return;
  String text = Clipboard()->GetAsText();
  // A one-line edit takes the first line only, as a typed paste would.
  size_t end = text.find_first_of(u"\r\n");
  if (end != String::npos && qobject_cast<QLineEdit*>(edit->GetWidget())) text.resize(end);
  edit->SetSelText(text);
}

void TEditPaste::UpdateTarget(TObject* target) {
  TCustomEdit* edit = EditOf(target);
  SetEnabled(edit && !edit->GetReadOnly() && Clipboard()->HasFormat(CF_TEXT));
}

void TEditSelectAll::ExecuteTarget(TObject* target) {
  if (TCustomEdit* edit = EditOf(target)) edit->SelectAll();
}

void TEditSelectAll::UpdateTarget(TObject* target) {
  TCustomEdit* edit = EditOf(target);
  Integer length = edit ? edit->GetTextLen() : 0;
  SetEnabled(edit && length > 0 && edit->GetSelLength() < length);
}

void TEditDelete::ExecuteTarget(TObject* target) {
  TCustomEdit* edit = EditOf(target);
  if (!edit || edit->GetReadOnly() || edit->GetSelLength() == 0) return;
  edit->SetSelText(String());
}

void TEditDelete::UpdateTarget(TObject* target) {
  TCustomEdit* edit = EditOf(target);
  SetEnabled(edit && edit->GetSelLength() > 0 && !edit->GetReadOnly());
}

void TEditUndo::ExecuteTarget(TObject* target) {
  TCustomEdit* edit = EditOf(target);
  if (edit && !edit->GetReadOnly()) Undo(edit);
}

void TEditUndo::UpdateTarget(TObject* target) {
  TCustomEdit* edit = EditOf(target);
  SetEnabled(edit && !edit->GetReadOnly() && CanUndo(edit));
}
