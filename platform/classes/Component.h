// TComponent: ownership (an owner frees what it owns), names unique within an owner, free
// notification between components that refer to each other, and the hooks component streaming calls.
#pragma once

#include <exception>
#include <functional>
#include <vector>

#include "platform/classes/Object.h"
#include "platform/classes/Set.h"

class TReader;
class TWriter;
class TComponent;

enum TComponentStateFlag {
  csLoading,
  csReading,
  csWriting,
  csDestroying,
  csDesigning,
  csAncestor,
  csUpdating,
  csFixups,
  csFreeNotification,
  csInline,
  csDesignInstance,
};
using TComponentState = TSet<TComponentStateFlag>;

enum TComponentStyleFlag { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
using TComponentStyle = TSet<TComponentStyleFlag>;

enum TOperation { opInsert, opRemove };

using TGetChildProc = std::function<void(TComponent* child)>;

// True for a letter or '_' followed by letters, digits and '_' (Latin and Cyrillic letters).
bool IsValidIdent(const String& ident, bool allowDots = false);

class TComponent : public TPersistent {
  KIV_CLASS(TComponent, TPersistent)
 public:
  using TCreateArg = TComponent*;

  explicit TComponent(TComponent* owner);
  // Notifies the components that asked for it, then frees the owned components, last first, and
  // leaves the owner. Derived classes whose parts the owned components use call DestroyComponents()
  // in their own destructor, since a base destructor cannot reach the derived object any more.
  ~TComponent() override;

  static void Published(TPropBuilder<TComponent>& p);

  TComponent* GetOwner() const override { return owner_; }
  const String& GetName() const { return name_; }
  // Raises EComponentError "'%s' is not a valid component name" or "A component named %s already exists".
  virtual void SetName(const String& newName);
  NativeInt GetTag() const { return tag_; }
  void SetTag(NativeInt tag) { tag_ = tag; }
  TComponentState GetComponentState() const { return state_; }
  TComponentStyle GetComponentStyle() const { return style_; }
  String GetNamePath() const override { return name_; }

  int GetComponentCount() const { return static_cast<int>(components_.size()); }
  // Raises EListError "List index out of bounds (%d)".
  TComponent* GetComponent(int index) const;
  int GetComponentIndex() const;
  void SetComponentIndex(int index);
  // Case-insensitive; "" finds nothing.
  TComponent* FindComponent(const String& name) const;

  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  void DestroyComponents();
  void Destroying();

  // Asks `component` to tell this one (Notification opRemove) when it is freed, and the other way
  // round; a referring component clears its reference there.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Parent-child links that are not ownership (controls inside panels); streaming writes a component
  // under its parent.
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent*) {}
  virtual void GetChildren(const TGetChildProc& proc, TComponent* root);
  virtual TComponent* GetChildOwner() { return nullptr; }
  virtual TComponent* GetChildParent() { return this; }
  virtual void SetChildOrder(TComponent*, int) {}

  // A sub-component is stored inside its owner's properties instead of as a child of the stream.
  void SetSubComponent(bool isSubComponent);

  virtual void ReadState(TReader* reader);
  virtual void WriteState(TWriter* writer);
  void DefineProperties(TFiler* filer) override;

  // Left and top of a non-visual component on its form, kept for the form text.
  Integer GetDesignInfo() const { return designInfo_; }
  void SetDesignInfo(Integer info) { designInfo_ = info; }

  virtual void Loaded();
  virtual void Updating();
  virtual void Updated();

  // Component-state changes made by the component reader.
  void SetLoading(bool on);
  void SetReading(bool on);
  void SetWriting(bool on);
  void SetInline(bool on);
  // Design mode of this component and the components it owns, as a form designer would set it.
  void SetDesigning(bool on);

 protected:
  virtual void Notification(TComponent* component, TOperation operation);
  virtual void ValidateRename(TComponent* component, const String& curName, const String& newName);
  virtual void ValidateInsert(TComponent*) {}
  virtual void ValidateContainer(TComponent* component);
  virtual void ChangeName(const String& newName) { name_ = newName; }

 private:
  friend void SendNotification(TComponent* target, TComponent* component, TOperation operation);
  void Insert(TComponent* component);
  void Remove(TComponent* component);
  void ReadLeft(TReader* reader);
  void ReadTop(TReader* reader);
  void WriteLeft(TWriter* writer);
  void WriteTop(TWriter* writer);

  TComponent* owner_ = nullptr;
  String name_;
  NativeInt tag_ = 0;
  Integer designInfo_ = 0;
  TComponentState state_;
  TComponentStyle style_{csInheritable};
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
};

// Calls the protected Notification of another component (the streaming code tells roots this way).
void SendNotification(TComponent* target, TComponent* component, TOperation operation);

// base + the smallest number from 1 up that no component of owner is named with.
String UniqueComponentName(const TComponent* owner, const String& base);

using TComponentClass = TClass;

// The application's error path for a failure that cannot propagate, such as a listener raising while
// a destructor takes leave of it: the forms library installs the application's handler; without one
// the message goes to standard error.
using TApplicationExceptionHandler = void (*)(TObject* sender, const std::exception_ptr& error) noexcept;
// Answers the handler it replaces.
TApplicationExceptionHandler SetApplicationHandleException(TApplicationExceptionHandler handler);
// Hands the exception being handled to that path.
void ApplicationHandleException(TObject* sender) noexcept;

// Runs a clean-up step that calls listeners or a user's event where nothing may propagate (a
// destructor): a failure is reported through ApplicationHandleException and the caller carries on.
template <class Step>
void RunReportingFailure(TObject* sender, Step&& step) noexcept {
  try {
    step();
  } catch (...) {
    ApplicationHandleException(sender);
  }
}
