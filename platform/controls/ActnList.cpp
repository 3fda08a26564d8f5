// Actions, action links and action lists; an action nobody handles goes to the active form's
// focused control, then the form and its other controls, as the class library routes it.
#include "platform/controls/ActnList.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QPointer>
#include <algorithm>
#include <functional>

#include "platform/controls/Controls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/graphics/ImageList.h"
#include "platform/rtl/Strings.h"

namespace {
void EnsureIdleUpdates();
}  // namespace

// ---- TBasicActionLink ----

TBasicActionLink::TBasicActionLink(TObject* client) : client_(client) {}

TBasicActionLink::~TBasicActionLink() {
  if (action_) action_->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* value) {
  if (value == action_) return;
  if (action_) action_->UnRegisterChanges(this);
  action_ = value;
  if (action_) {
    action_->RegisterChanges(this);
    EnsureIdleUpdates();
  }
}

bool TBasicActionLink::Execute(TComponent* target) {
  if (!action_) return false;
  TBasicAction* action = action_;
  action->SetActionComponent(target);
  struct Reset {
    TBasicAction* a;
    ~Reset() { a->SetActionComponent(nullptr); }
  } reset{action};
  return action->Execute();
}

bool TBasicActionLink::Update() { return action_ && action_->Update(); }

void TBasicActionLink::Change() {
  if (OnChange) OnChange(action_);
}

// ---- TBasicAction ----

TBasicAction::TBasicAction(TComponent* owner) : TComponent(owner) {}

TBasicAction::~TBasicAction() {
  // Clients keep a pointer through their link: they let go of it here.
  while (!clients_.empty()) clients_.back()->SetAction(nullptr);
}

void TBasicAction::Published(TPropBuilder<TBasicAction>& p) {
  p.Event(u"OnExecute", &TBasicAction::OnExecute);
  p.Event(u"OnUpdate", &TBasicAction::OnUpdate);
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::SetActionComponent(TComponent* value) {
  if (actionComponent_ == value) return;
  if (actionComponent_) RemoveFreeNotification(actionComponent_);
  actionComponent_ = value;
  if (value) FreeNotification(value);
}

void TBasicAction::RegisterChanges(TBasicActionLink* link) {
  if (std::find(clients_.begin(), clients_.end(), link) == clients_.end()) clients_.push_back(link);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* link) {
  clients_.erase(std::remove(clients_.begin(), clients_.end(), link), clients_.end());
  if (link->action_ == this) link->action_ = nullptr;
}

void TBasicAction::SetOnExecute(const TNotifyEvent& value) {
  if (value == OnExecute) return;
  for (TBasicActionLink* link : std::vector<TBasicActionLink*>(clients_)) link->SetOnExecute(value);
  OnExecute = value;
  Change();
}

void TBasicAction::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == actionComponent_) actionComponent_ = nullptr;
}

void TBasicAction::Change() {
  for (TBasicActionLink* link : std::vector<TBasicActionLink*>(clients_)) link->Change();
}

// ---- Routing to the focused control ----

namespace {

bool ForEachVisibleControl(TWinControl* container, const std::function<bool(TControl*)>& f) {
  for (Integer i = 0; i < container->GetControlCount(); ++i) {
    TControl* control = container->GetControl(i);
    if (!control->GetVisible()) continue;
    if (f(control)) return true;
    if (auto* child = dynamic_cast<TWinControl*>(control))
      if (ForEachVisibleControl(child, f)) return true;
  }
  return false;
}

}  // namespace

bool DispatchActionToFocus(TBasicAction* action, bool execute) {
  if (!Screen) return false;
  TCustomForm* form = Screen->GetActiveForm();
  if (!form && Screen->GetActiveControl()) form = GetParentForm(Screen->GetActiveControl());
  if (!form) return false;
  // A control that does not answer itself is asked the class library's way: is it the action's target?
  auto process = [action, execute](TControl* control) {
    if (!control) return false;
    if (execute ? control->ExecuteAction(action) : control->UpdateAction(action)) return true;
    if (!action->HandlesTarget(control)) return false;
    if (execute)
      action->ExecuteTarget(control);
    else
      action->UpdateTarget(control);
    return true;
  };
  if (process(form->GetActiveControl()) || process(form)) return true;
  return ForEachVisibleControl(form, process);
}

// ---- Updating actions when the program is idle ----

namespace {

void UpdateControlActions(TWinControl* container) {
  for (Integer i = 0; i < container->GetControlCount(); ++i) {
    TControl* control = container->GetControl(i);
    if (!control->GetVisible()) continue;
    if (TBasicAction* action = control->GetAction()) action->Update();
    if (auto* child = dynamic_cast<TWinControl*>(control)) UpdateControlActions(child);
  }
}

// The class library's idle pass: the actions of the visible forms' controls and of their main menus'
// top items, so that clients show what OnUpdate decides before the user reaches them.
void UpdateActionsOnIdle() {
  static bool running = false;
  if (running || !Screen) return;
  running = true;
  for (Integer i = 0; i < Screen->GetFormCount(); ++i) {
    TForm* form = Screen->GetForm(i);
    if (!form->GetVisible()) continue;
    GuardedCall(form, [form] {
      if (TMainMenu* menu = form->GetMenu())
        for (Integer j = 0; j < menu->GetItems()->GetCount(); ++j) {
          TMenuItem* item = menu->GetItems()->GetItem(j);
          if (item->GetVisible()) item->InitiateAction();
        }
      UpdateControlActions(form);
    });
  }
  running = false;
}

void EnsureIdleUpdates() {
  static QPointer<QAbstractEventDispatcher> connected;
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(
      QCoreApplication::instance() ? QCoreApplication::instance()->thread() : nullptr);
  if (!dispatcher || connected == dispatcher) return;
  connected = dispatcher;
  QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &UpdateActionsOnIdle);
}

}  // namespace

// ---- TContainedAction ----

TContainedAction::TContainedAction(TComponent* owner) : TBasicAction(owner) { EnsureIdleUpdates(); }

// The action is out of the list before the list's OnChange runs, so a handler that raises is only
// reported.
TContainedAction::~TContainedAction() {
  RunReportingFailure(this, [this] { SetActionList(nullptr); });
}

void TContainedAction::Published(TPropBuilder<TContainedAction>& p) {
  p.Str(u"Category", &TContainedAction::GetCategory, &TContainedAction::SetCategory);
}

bool TContainedAction::Execute() {
  if (actionList_ && actionList_->ExecuteAction(this)) return true;
  if (TBasicAction::Execute()) return true;
  return DispatchActionToFocus(this, true);
}

bool TContainedAction::Update() {
  if (actionList_ && actionList_->UpdateAction(this)) return true;
  if (TBasicAction::Update()) return true;
  return DispatchActionToFocus(this, false);
}

void TContainedAction::SetActionList(TCustomActionList* value) {
  if (actionList_ == value) return;
  if (actionList_) actionList_->RemoveAction(this);
  if (value) value->AddAction(this);
}

void TContainedAction::SetCategory(const String& value) {
  if (category_ == value) return;
  category_ = value;
  if (actionList_ && actionList_->OnChange) actionList_->OnChange(actionList_);
}

Integer TContainedAction::GetIndex() const {
  if (!actionList_) return -1;
  for (Integer i = 0; i < actionList_->GetActionCount(); ++i)
    if (actionList_->GetAction(i) == this) return i;
  return -1;
}

void TContainedAction::SetIndex(Integer value) {
  if (!actionList_) return;
  auto& list = actionList_->actions_;
  Integer current = GetIndex();
  value = std::clamp(value, 0, static_cast<Integer>(list.size()) - 1);
  if (current == value) return;
  list.erase(list.begin() + current);
  list.insert(list.begin() + value, this);
}

TComponent* TContainedAction::GetParentComponent() const { return actionList_; }

void TContainedAction::SetParentComponent(TComponent* value) {
  if (auto* list = dynamic_cast<TCustomActionList*>(value)) SetActionList(list);
}

// ---- TCustomAction ----

TCustomAction::TCustomAction(TComponent* owner) : TContainedAction(owner) {}

void TCustomAction::Published(TPropBuilder<TCustomAction>& p) {
  p.Bool(u"AutoCheck", &TCustomAction::GetAutoCheck, &TCustomAction::SetAutoCheck).Default(0);
  p.Str(u"Caption", &TCustomAction::GetCaption, &TCustomAction::SetCaption);
  p.Bool(u"Checked", &TCustomAction::GetChecked, &TCustomAction::SetChecked).Default(0);
  p.Bool(u"Enabled", &TCustomAction::GetEnabled, &TCustomAction::SetEnabled).Default(1);
  p.Int(u"GroupIndex", &TCustomAction::GetGroupIndex, &TCustomAction::SetGroupIndex).Default(0);
  p.Int(u"HelpContext", &TCustomAction::GetHelpContext, &TCustomAction::SetHelpContext).Default(0);
  p.Str(u"Hint", &TCustomAction::GetHint, &TCustomAction::SetHint);
  p.Int(u"ImageIndex", &TCustomAction::GetImageIndex, &TCustomAction::SetImageIndex).Default(-1);
  p.Ordinal(u"ShortCut", TypeInfoInteger(), &TCustomAction::GetShortCut, &TCustomAction::SetShortCut)
      .Default(0);
  p.Bool(u"Visible", &TCustomAction::GetVisible, &TCustomAction::SetVisible).Default(1);
  p.Bool(u"DisableIfNoHandler", &TCustomAction::GetDisableIfNoHandler, &TCustomAction::SetDisableIfNoHandler)
      .Default(1);
}

template <class F>
void TCustomAction::ForEachLink(F f) {
  // The links compare the client's value with the action's old one to know whether they follow it,
  // so they are told before the action takes the new value.
  for (TBasicActionLink* link : std::vector<TBasicActionLink*>(Clients()))
    if (auto* l = dynamic_cast<TActionLink*>(link)) f(l);
}

bool TCustomAction::Execute() {
  if (Suspended()) return false;
  Update();
  if (enabled_ && autoCheck_ && (!checked_ || groupIndex_ == 0)) SetChecked(!checked_);
  return enabled_ && TContainedAction::Execute();
}

bool TCustomAction::Suspended() const { return GetActionList() && GetActionList()->GetState() != asNormal; }

bool TCustomAction::Update() {
  bool handled = TContainedAction::Update();
  // An action that nobody handles and nobody can run is disabled, so its clients show that.
  if (!handled && enabled_ && disableIfNoHandler_ && !OnExecute) SetEnabled(false);
  return handled;
}

void TCustomAction::SetCaption(const String& value) {
  if (caption_ == value) return;
  ForEachLink([&](TActionLink* l) { l->SetCaption(value); });
  caption_ = value;
  Change();
}

void TCustomAction::SetChecked(bool value) {
  if (checked_ == value) return;
  ForEachLink([&](TActionLink* l) { l->SetChecked(value); });
  checked_ = value;
  // Checking one action of a group unchecks the others of the same list.
  if (value && groupIndex_ > 0 && GetActionList()) {
    for (Integer i = 0; i < GetActionList()->GetActionCount(); ++i) {
      auto* other = dynamic_cast<TCustomAction*>(GetActionList()->GetAction(i));
      if (other && other != this && other->groupIndex_ == groupIndex_) other->SetChecked(false);
    }
  }
  Change();
}

void TCustomAction::SetEnabled(bool value) {
  if (enabled_ == value) return;
  ForEachLink([&](TActionLink* l) { l->SetEnabled(value); });
  enabled_ = value;
  Change();
}

void TCustomAction::SetVisible(bool value) {
  if (visible_ == value) return;
  ForEachLink([&](TActionLink* l) { l->SetVisible(value); });
  visible_ = value;
  Change();
}

void TCustomAction::SetHint(const String& value) {
  if (hint_ == value) return;
  ForEachLink([&](TActionLink* l) { l->SetHint(value); });
  hint_ = value;
  Change();
}

void TCustomAction::SetShortCut(TShortCut value) {
  if (shortCut_ == value) return;
  ForEachLink([&](TActionLink* l) { l->SetShortCut(value); });
  shortCut_ = value;
  Change();
}

void TCustomAction::SetImageIndex(TImageIndex value) {
  if (imageIndex_ == value) return;
  ForEachLink([&](TActionLink* l) { l->SetImageIndex(value); });
  imageIndex_ = value;
  Change();
}

void TCustomAction::SetHelpContext(Integer value) {
  if (helpContext_ == value) return;
  ForEachLink([&](TActionLink* l) { l->SetHelpContext(value); });
  helpContext_ = value;
  Change();
}

void TCustomAction::SetAutoCheck(bool value) {
  if (autoCheck_ == value) return;
  ForEachLink([&](TActionLink* l) { l->SetAutoCheck(value); });
  autoCheck_ = value;
  Change();
}

void TCustomAction::SetGroupIndex(Integer value) {
  if (groupIndex_ == value) return;
  ForEachLink([&](TActionLink* l) { l->SetGroupIndex(value); });
  groupIndex_ = value;
  Change();
}

TAction::TAction(TComponent* owner) : TCustomAction(owner) {}

// ---- TActionLink ----

TCustomAction* TActionLink::CustomAction() const { return dynamic_cast<TCustomAction*>(action_); }

bool TActionLink::IsCaptionLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsCheckedLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsEnabledLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsHintLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsVisibleLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsShortCutLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsImageIndexLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsHelpContextLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsGroupIndexLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsAutoCheckLinked() const { return CustomAction() != nullptr; }

// ---- TControlActionLink ----

TControlActionLink::TControlActionLink(TControl* client) : TActionLink(client) {}

TControl* TControlActionLink::Control() const { return static_cast<TControl*>(client_); }

bool TControlActionLink::IsCaptionLinked() const {
  return TActionLink::IsCaptionLinked() && Control()->GetCaption() == CustomAction()->GetCaption();
}
bool TControlActionLink::IsEnabledLinked() const {
  return TActionLink::IsEnabledLinked() && Control()->GetEnabled() == CustomAction()->GetEnabled();
}
bool TControlActionLink::IsHintLinked() const {
  return TActionLink::IsHintLinked() && Control()->GetHint() == CustomAction()->GetHint();
}
bool TControlActionLink::IsVisibleLinked() const {
  return TActionLink::IsVisibleLinked() && Control()->GetVisible() == CustomAction()->GetVisible();
}
bool TControlActionLink::IsOnExecuteLinked() const {
  return action_ && Control()->OnClick == action_->OnExecute;
}

void TControlActionLink::SetCaption(const String& value) {
  if (IsCaptionLinked()) Control()->SetCaption(value);
}
void TControlActionLink::SetEnabled(bool value) {
  if (IsEnabledLinked()) Control()->SetEnabled(value);
}
void TControlActionLink::SetHint(const String& value) {
  if (IsHintLinked()) Control()->SetHint(value);
}
void TControlActionLink::SetVisible(bool value) {
  if (IsVisibleLinked()) Control()->SetVisible(value);
}
void TControlActionLink::SetOnExecute(const TNotifyEvent& value) {
  if (IsOnExecuteLinked()) Control()->OnClick = value;
}

// ---- TCustomActionList ----

TCustomActionList::TCustomActionList(TComponent* owner) : TComponent(owner) {}

TCustomActionList::~TCustomActionList() {
  while (!actions_.empty()) {
    TContainedAction* action = actions_.back();
    RunReportingFailure(this, [action] { action->SetActionList(nullptr); });
  }
}

void TCustomActionList::Published(TPropBuilder<TCustomActionList>& p) {
  static const TTypeInfo state =
      TTypeInfo::Enum(u"TActionListState", {u"asNormal", u"asSuspended", u"asSuspendedEnabled"});
  p.Object(u"Images", &TCustomActionList::GetImages, &TCustomActionList::SetImages);
  p.Enum(u"State", &state, &TCustomActionList::GetState, &TCustomActionList::SetState).Default(asNormal);
  p.Event(u"OnChange", &TCustomActionList::OnChange);
  p.Event(u"OnExecute", &TCustomActionList::OnExecute, u"TActionEvent");
  p.Event(u"OnUpdate", &TCustomActionList::OnUpdate, u"TActionEvent");
}

bool TCustomActionList::ExecuteAction(TBasicAction* action) {
  bool handled = false;
  if (OnExecute) OnExecute(action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* action) {
  bool handled = false;
  if (OnUpdate) OnUpdate(action, handled);
  return handled;
}

void TCustomActionList::UpdateActions() {
  if (state_ != asNormal) return;
  for (TContainedAction* action : std::vector<TContainedAction*>(actions_)) action->Update();
}

bool TCustomActionList::IsShortCut(TShortCut shortCut) {
  if (shortCut == 0 || state_ != asNormal) return false;
  for (TContainedAction* action : std::vector<TContainedAction*>(actions_)) {
    auto* custom = dynamic_cast<TCustomAction*>(action);
    if (custom && custom->GetShortCut() == shortCut) return custom->Execute();
  }
  return false;
}

TContainedAction* TCustomActionList::GetAction(Integer index) const {
  if (index < 0 || index >= GetActionCount())
    throw EListError(u"List index out of bounds (" + IntToStr(index) + u")");
  return actions_[index];
}

void TCustomActionList::SetImages(TCustomImageList* value) {
  if (images_ == value) return;
  if (images_) RemoveFreeNotification(images_);
  images_ = value;
  if (value) FreeNotification(value);
}

void TCustomActionList::SetState(TActionListState value) {
  if (state_ == value) return;
  state_ = value;
  // A suspended list leaves its actions enabled only with asSuspendedEnabled.
  if (value == asSuspendedEnabled)
    for (TContainedAction* action : actions_)
      if (auto* custom = dynamic_cast<TCustomAction*>(action)) custom->SetEnabled(true);
}

void TCustomActionList::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TContainedAction* action : std::vector<TContainedAction*>(actions_))
    if (action->GetOwner() == root) proc(action);
}

void TCustomActionList::SetChildOrder(TComponent* child, int order) {
  if (auto* action = dynamic_cast<TContainedAction*>(child)) action->SetIndex(order);
}

void TCustomActionList::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == images_) images_ = nullptr;
}

void TCustomActionList::AddAction(TContainedAction* action) {
  actions_.push_back(action);
  action->actionList_ = this;
  FreeNotification(action);
  if (OnChange) OnChange(this);
}

void TCustomActionList::RemoveAction(TContainedAction* action) {
  actions_.erase(std::remove(actions_.begin(), actions_.end(), action), actions_.end());
  action->actionList_ = nullptr;
  if (OnChange) OnChange(this);
}

TActionList::TActionList(TComponent* owner) : TCustomActionList(owner) {}

// Controls reach their action links through the controls unit's hooks.
namespace {

TObject* CreateControlActionLink(TControl* control, TBasicAction* action) {
  auto link = std::make_unique<TControlActionLink>(control);
  link->SetAction(action);
  auto* custom = dynamic_cast<TCustomAction*>(action);
  if (custom) {
    // The control takes the action's state, keeping values a form resource gave it while loading.
    bool loading = control->GetComponentState().Contains(csLoading);
    if (!loading || control->GetCaption().empty()) control->SetCaption(custom->GetCaption());
    if (!loading || control->GetEnabled()) control->SetEnabled(custom->GetEnabled());
    if (!loading || control->GetHint().empty()) control->SetHint(custom->GetHint());
    if (!loading || control->GetVisible()) control->SetVisible(custom->GetVisible());
  }
  if (!control->GetComponentState().Contains(csLoading) || !control->OnClick)
    control->OnClick = action->OnExecute;
  return link.release();
}

const bool kActionHooksInstalled = [] {
  MenuHooks().CreateActionLink = &CreateControlActionLink;
  return true;
}();

}  // namespace
