// Actions: commands with a caption, state and handler that menu items and controls share through
// action links, kept in action lists; unhandled actions go to the focused control.
#pragma once

#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/Delegate.h"

class TBasicAction;
class TCustomActionList;
class TControl;
class TCustomImageList;

using TShortCut = Word;
using TImageIndex = Integer;
using TActionEvent = TDelegate<void(TBasicAction* Action, bool& Handled)>;

// The link a client (menu item, control) keeps to its action: the action tells its links when it
// changes, and the client runs the action through it.
class TBasicActionLink : public TObject {
  KIV_CLASS(TBasicActionLink, TObject)
 public:
  explicit TBasicActionLink(TObject* client);
  ~TBasicActionLink() override;

  TBasicAction* GetAction() const { return action_; }
  virtual void SetAction(TBasicAction* value);
  TObject* GetClient() const { return client_; }
  // Runs the action (for target when given); answers whether someone handled it.
  virtual bool Execute(TComponent* target = nullptr);
  virtual bool Update();
  virtual bool IsOnExecuteLinked() const { return true; }
  virtual void SetOnExecute(const TNotifyEvent&) {}

  TNotifyEvent OnChange;

 protected:
  friend class TBasicAction;
  virtual void Change();

  TObject* client_;
  TBasicAction* action_ = nullptr;
};

class TBasicAction : public TComponent {
  KIV_CLASS(TBasicAction, TComponent)
 public:
  explicit TBasicAction(TComponent* owner);
  // Links that still refer to the action let go of it.
  ~TBasicAction() override;
  static void Published(TPropBuilder<TBasicAction>& p);

  // Whether the action can act on target (standard actions work on the focused control).
  virtual bool HandlesTarget(TObject*) { return false; }
  virtual void UpdateTarget(TObject*) {}
  virtual void ExecuteTarget(TObject*) {}
  // OnExecute when assigned; answers whether the action was handled.
  virtual bool Execute();
  // OnUpdate when assigned; answers whether it ran.
  virtual bool Update();
  // The component whose click ran the action (the menu item, the button); set for the handler.
  TComponent* GetActionComponent() const { return actionComponent_; }
  void SetActionComponent(TComponent* value);

  void RegisterChanges(TBasicActionLink* link);
  void UnRegisterChanges(TBasicActionLink* link);
  const std::vector<TBasicActionLink*>& Clients() const { return clients_; }

  TNotifyEvent GetOnExecute() const { return OnExecute; }
  // Also gives the handler to the clients whose click runs it.
  void SetOnExecute(const TNotifyEvent& value);

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  virtual void Change();

 private:
  std::vector<TBasicActionLink*> clients_;
  TComponent* actionComponent_ = nullptr;
};

// An action kept in an action list, with a category.
class TContainedAction : public TBasicAction {
  KIV_CLASS(TContainedAction, TBasicAction)
 public:
  explicit TContainedAction(TComponent* owner);
  ~TContainedAction() override;
  static void Published(TPropBuilder<TContainedAction>& p);

  // The list's OnExecute, then the application's, then OnExecute, then the active form's focused
  // control (and the form) through ExecuteAction.
  bool Execute() override;
  // The same order for OnUpdate and UpdateAction.
  bool Update() override;

  TCustomActionList* GetActionList() const { return actionList_; }
  void SetActionList(TCustomActionList* value);
  const String& GetCategory() const { return category_; }
  void SetCategory(const String& value);
  Integer GetIndex() const;
  void SetIndex(Integer value);

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* value) override;

 private:
  friend class TCustomActionList;
  TCustomActionList* actionList_ = nullptr;
  String category_;
};

// An action with the state its clients show: caption, checked, enabled, visible, hint, shortcut and
// image. A change is passed on to every linked client.
class TCustomAction : public TContainedAction {
  KIV_CLASS(TCustomAction, TContainedAction)
 public:
  explicit TCustomAction(TComponent* owner);
  static void Published(TPropBuilder<TCustomAction>& p);

  // Updates the action first; a disabled or suspended action does not run. AutoCheck flips Checked.
  bool Execute() override;
  // With DisableIfNoHandler, an action without OnExecute that no target handles disables itself.
  bool Update() override;

  const String& GetCaption() const { return caption_; }
  void SetCaption(const String& value);
  bool GetChecked() const { return checked_; }
  void SetChecked(bool value);
  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool GetVisible() const { return visible_; }
  void SetVisible(bool value);
  const String& GetHint() const { return hint_; }
  void SetHint(const String& value);
  TShortCut GetShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut value);
  TImageIndex GetImageIndex() const { return imageIndex_; }
  void SetImageIndex(TImageIndex value);
  Integer GetHelpContext() const { return helpContext_; }
  void SetHelpContext(Integer value);
  bool GetAutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool value);
  Integer GetGroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Integer value);
  bool GetDisableIfNoHandler() const { return disableIfNoHandler_; }
  void SetDisableIfNoHandler(bool value) { disableIfNoHandler_ = value; }

 private:
  template <class F>
  void ForEachLink(F f);
  bool Suspended() const;

  String caption_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  String hint_;
  TShortCut shortCut_ = 0;
  TImageIndex imageIndex_ = -1;
  Integer helpContext_ = 0;
  bool autoCheck_ = false;
  Integer groupIndex_ = 0;
  bool disableIfNoHandler_ = true;
};

class TAction : public TCustomAction {
  KIV_CLASS(TAction, TCustomAction)
 public:
  explicit TAction(TComponent* owner);
};

// The link of a client that shows an action's state. The action calls the setters when its state
// changes; a client overrides those that it shows.
class TActionLink : public TBasicActionLink {
  KIV_CLASS(TActionLink, TBasicActionLink)
 public:
  using TBasicActionLink::TBasicActionLink;

  virtual bool IsCaptionLinked() const;
  virtual bool IsCheckedLinked() const;
  virtual bool IsEnabledLinked() const;
  virtual bool IsHintLinked() const;
  virtual bool IsVisibleLinked() const;
  virtual bool IsShortCutLinked() const;
  virtual bool IsImageIndexLinked() const;
  virtual bool IsHelpContextLinked() const;
  virtual bool IsGroupIndexLinked() const;
  virtual bool IsAutoCheckLinked() const;

  virtual void SetCaption(const String&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetHint(const String&) {}
  virtual void SetVisible(bool) {}
  virtual void SetShortCut(TShortCut) {}
  virtual void SetImageIndex(TImageIndex) {}
  virtual void SetHelpContext(Integer) {}
  virtual void SetGroupIndex(Integer) {}
  virtual void SetAutoCheck(bool) {}

 protected:
  TCustomAction* CustomAction() const;
};

// A control's link: the action's caption, enabled, visible, hint and handler show on the control
// (its Caption, Enabled, Visible, Hint and OnClick), through TControl::ActionChange as well.
class TControlActionLink : public TActionLink {
  KIV_CLASS(TControlActionLink, TActionLink)
 public:
  explicit TControlActionLink(TControl* client);

  bool IsCaptionLinked() const override;
  bool IsEnabledLinked() const override;
  bool IsHintLinked() const override;
  bool IsVisibleLinked() const override;
  bool IsOnExecuteLinked() const override;
  void SetCaption(const String& value) override;
  void SetEnabled(bool value) override;
  void SetHint(const String& value) override;
  void SetVisible(bool value) override;
  void SetOnExecute(const TNotifyEvent& value) override;

 protected:
  TControl* Control() const;
};

enum TActionListState { asNormal, asSuspended, asSuspendedEnabled };

class TCustomActionList : public TComponent {
  KIV_CLASS(TCustomActionList, TComponent)
 public:
  explicit TCustomActionList(TComponent* owner);
  ~TCustomActionList() override;
  static void Published(TPropBuilder<TCustomActionList>& p);

  // OnExecute / OnUpdate of the list; answer whether it handled the action.
  virtual bool ExecuteAction(TBasicAction* action);
  virtual bool UpdateAction(TBasicAction* action);
  // Updates every action of the list (the idle pass of the forms calls it).
  void UpdateActions();
  // Runs the action with the shortcut when it is enabled after its update; answers whether it ran.
  bool IsShortCut(TShortCut shortCut);

  Integer GetActionCount() const { return static_cast<Integer>(actions_.size()); }
  TContainedAction* GetAction(Integer index) const;
  TContainedAction* Actions(Integer index) const { return GetAction(index); }
  TCustomImageList* GetImages() const { return images_; }
  void SetImages(TCustomImageList* value);
  TActionListState GetState() const { return state_; }
  void SetState(TActionListState value);

  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;

  TActionEvent OnExecute;
  TActionEvent OnUpdate;
  TNotifyEvent OnChange;

 protected:
  friend class TContainedAction;
  void Notification(TComponent* component, TOperation operation) override;
  void AddAction(TContainedAction* action);
  void RemoveAction(TContainedAction* action);

 private:
  std::vector<TContainedAction*> actions_;
  TCustomImageList* images_ = nullptr;
  TActionListState state_ = asNormal;
};

class TActionList : public TCustomActionList {
  KIV_CLASS(TActionList, TCustomActionList)
 public:
  explicit TActionList(TComponent* owner);
};

// Runs an action the way a client's click does: through the action list, the application and the
// focused control of the active form (the class library's CM_ACTIONEXECUTE path).
bool DispatchActionToFocus(TBasicAction* action, bool execute);
