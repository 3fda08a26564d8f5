// The standard edit actions (copy, cut, paste, select all, delete, undo): they work on the focused
// edit control, or on the one named in Control, and enable themselves by what it can do now.
#pragma once

#include "platform/controls/ActnList.h"

class TCustomEdit;

class TEditAction : public TAction {
  KIV_CLASS(TEditAction, TAction)
 public:
  explicit TEditAction(TComponent* owner);
  ~TEditAction() override;
  static void Published(TPropBuilder<TEditAction>& p);

  // The focused edit control, or target itself when it is Control.
  bool HandlesTarget(TObject* target) override;
  // Acting on one edit only: the action then follows that control whatever has the focus.
  TCustomEdit* GetControl() const { return control_; }
  void SetControl(TCustomEdit* value);

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  TCustomEdit* EditOf(TObject* target) const;

 private:
  TCustomEdit* control_ = nullptr;
};

class TEditCopy : public TEditAction {
  KIV_CLASS(TEditCopy, TEditAction)
 public:
  using TEditAction::TEditAction;
  // Copies the selection; a password edit copies nothing.
  void ExecuteTarget(TObject* target) override;
  void UpdateTarget(TObject* target) override;
};

class TEditCut : public TEditAction {
  KIV_CLASS(TEditCut, TEditAction)
 public:
  using TEditAction::TEditAction;
  void ExecuteTarget(TObject* target) override;
  void UpdateTarget(TObject* target) override;
};

class TEditPaste : public TEditAction {
  KIV_CLASS(TEditPaste, TEditAction)
 public:
  using TEditAction::TEditAction;
  void ExecuteTarget(TObject* target) override;
  void UpdateTarget(TObject* target) override;
};

class TEditSelectAll : public TEditAction {
  KIV_CLASS(TEditSelectAll, TEditAction)
 public:
  using TEditAction::TEditAction;
  void ExecuteTarget(TObject* target) override;
  void UpdateTarget(TObject* target) override;
};

class TEditDelete : public TEditAction {
  KIV_CLASS(TEditDelete, TEditAction)
 public:
  using TEditAction::TEditAction;
  void ExecuteTarget(TObject* target) override;
  void UpdateTarget(TObject* target) override;
};

class TEditUndo : public TEditAction {
  KIV_CLASS(TEditUndo, TEditAction)
 public:
  using TEditAction::TEditAction;
  void ExecuteTarget(TObject* target) override;
  void UpdateTarget(TObject* target) override;
};
