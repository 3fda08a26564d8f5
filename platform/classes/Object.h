// The root of the class tree: TObject with its light run-time type information (class name, parent,
// factory, published properties), the class registry, and TPersistent.
#pragma once

#include <initializer_list>
#include <memory>
#include <mutex>
#include <type_traits>
#include <vector>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Types.h"

class TObject;
class TFiler;
class TMetaClass;
class TClassProps;
class TPropRegistrar;
template <class T>
class TPropBuilder;

// A class reference: the class library's "class of X". It names the class, knows its parent and
// makes instances (a virtual constructor), so it serves as a factory wherever a class is passed.
using TClass = const TMetaClass*;

class TMetaClass {
 public:
  using Factory = TObject* (*)(TObject* arg);
  using Publisher = void (*)(TPropRegistrar& registrar);

  TMetaClass(const Char* name, TClass parent, Factory factory, Publisher publisher);
  TMetaClass(const TMetaClass&) = delete;
  TMetaClass& operator=(const TMetaClass&) = delete;
  ~TMetaClass();

  const String& ClassName() const { return name_; }
  TClass ClassParent() const { return parent_; }
  bool InheritsFrom(TClass other) const;
  bool CanCreate() const { return factory_ != nullptr; }

  // Makes an instance through the class's constructor: the owner for components, the collection for
  // collection items, nothing for plain objects. An abstract class raises EAbstractError.
  TObject* NewInstance(TObject* arg = nullptr) const;
  template <class T>
  T* Create(TObject* arg = nullptr) const;

  // The published properties, the parents' first; built on first use.
  const TClassProps& Props() const;

 private:
  String name_;
  TClass parent_;
  Factory factory_;
  Publisher publisher_;
  mutable std::once_flag propsOnce_;
  mutable std::unique_ptr<TClassProps> props_;
};

class TObject {
 public:
  using TCreateArg = void;

  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static TClass StaticClass();
  virtual TClass ClassType() const { return StaticClass(); }
  String ClassName() const;
  TClass ClassParent() const { return ClassType()->ClassParent(); }
  bool InheritsFrom(TClass cls) const { return ClassType()->InheritsFrom(cls); }
  template <class T>
  bool Is() const {
    return dynamic_cast<const T*>(this) != nullptr;
  }
};

namespace kiv_detail {
template <class T>
TObject* NewInstance(TObject* arg) {
  using A = typename T::TCreateArg;
  if constexpr (std::is_abstract_v<T>) {
    return nullptr;
  } else if constexpr (std::is_void_v<A>) {
    if constexpr (std::is_default_constructible_v<T>) return new T();
    return nullptr;
  } else if constexpr (std::is_constructible_v<T, A>) {
    return new T(static_cast<A>(arg));
  } else {
    return nullptr;
  }
}

template <class T>
constexpr TMetaClass::Factory FactoryOf() {
  using A = typename T::TCreateArg;
  if constexpr (std::is_abstract_v<T>)
    return nullptr;
  else if constexpr (std::is_void_v<A>)
    return std::is_default_constructible_v<T> ? &NewInstance<T> : nullptr;
  else
    return std::is_constructible_v<T, A> ? &NewInstance<T> : nullptr;
}
}  // namespace kiv_detail

// Declares a class's run-time type information once, inside the class body:
//   class TButton : public TControl {
//     KIV_CLASS(TButton, TControl)
//    public: ...
// An optional `static void Published(TPropBuilder<TButton>& p)` (public or not) lists its published
// properties and handler methods. Leaves the access at public. A class that has no constructor taking its
// family's argument (owner, collection, nothing) is not creatable through its class reference.
#define KIV_CLASS(Name, Parent)                                                                     \
 public:                                                                                            \
  using inherited = Parent;                                                                         \
  static TClass StaticClass() {                                                                     \
    static const TMetaClass meta(u"" #Name, Parent::StaticClass(), ::kiv_detail::FactoryOf<Name>(), \
                                 &Name::template KivPublish_<Name>);                                \
    return &meta;                                                                                   \
  }                                                                                                 \
  TClass ClassType() const override { return Name::StaticClass(); }                                 \
  /* A member, so that Published may be private. */                                                 \
  template <class Self>                                                                             \
  static void KivPublish_(TPropRegistrar& registrar) {                                              \
    if constexpr (requires(TPropBuilder<Self> & b) { Self::Published(b); }) {                       \
      TPropBuilder<Self> builder(registrar);                                                        \
      Self::Published(builder);                                                                     \
    }                                                                                               \
  }

template <class T>
T* TMetaClass::Create(TObject* arg) const {
  std::unique_ptr<TObject> obj(NewInstance(arg));
  T* result = dynamic_cast<T*>(obj.get());
  if (!result) throw EInvalidCast(u"Invalid class typecast");
  // The instance is the caller's from here on, through result.
  static_cast<void>(obj.release());
  return result;
}

// Raises EListError "List index out of bounds (%d)": the lists' and collections' one answer.
[[noreturn]] void RaiseListIndexError(int index);

// Deletes the object and clears the pointer first, so a destructor that looks at it sees null.
template <class T>
void FreeAndNil(T*& object) {
  T* doomed = object;
  object = nullptr;
  delete doomed;
}

// Interfaces are abstract classes: Supports asks the object for one.
template <class I, class T>
bool Supports(T* object, I** result = nullptr) {
  I* found = dynamic_cast<I*>(object);
  if (result) *result = found;
  return found != nullptr;
}

// ---- Class registry: class references by name, for the component reader and the Parts ----

// Registering another class under a taken name raises EFilerError "A class named %s already exists";
// registering the same class again does nothing.
void RegisterClass(TClass cls);
void RegisterClasses(std::initializer_list<TClass> classes);
void RegisterClassAlias(TClass cls, const String& alias);
void UnRegisterClass(TClass cls);
// Names compare case-insensitively. FindClass raises EClassNotFound "Class 'X' is not registered".
TClass FindClass(const String& className);
TClass GetClass(const String& className);

// Registers a class at start-up from a .cpp file (the file must be linked in: put it beside code the
// program uses).
#define KIV_REGISTER_CLASS(Name)                 \
  static const bool kiv_registered_##Name = [] { \
    ::RegisterClass(Name::StaticClass());        \
    return true;                                 \
  }()

// ---- TPersistent ----

class TPersistent : public TObject {
  KIV_CLASS(TPersistent, TObject)
 public:
  // Copies source into this object; a class that knows neither side raises EConvertError
  // "Cannot assign a X to a Y".
  virtual void Assign(TPersistent* source);
  virtual String GetNamePath() const;
  virtual TPersistent* GetOwner() const { return nullptr; }
  // Non-published data a class stores in its component stream (TFiler::DefineProperty).
  virtual void DefineProperties(TFiler* filer);

 protected:
  virtual void AssignTo(TPersistent* dest) const;
  [[noreturn]] void AssignError(const TPersistent* source) const;
};

#include "platform/classes/TypInfo.h"
