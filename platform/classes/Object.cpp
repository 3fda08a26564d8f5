// TObject's type information, the class registry and TPersistent's default behaviour.
#include "platform/classes/Object.h"

#include <map>

#include "platform/rtl/Strings.h"

TMetaClass::TMetaClass(const Char* name, TClass parent, Factory factory, Publisher publisher)
    : name_(name), parent_(parent), factory_(factory), publisher_(publisher) {}

TMetaClass::~TMetaClass() = default;

bool TMetaClass::InheritsFrom(TClass other) const {
  for (TClass c = this; c; c = c->parent_)
    if (c == other) return true;
  return false;
}

TObject* TMetaClass::NewInstance(TObject* arg) const {
  if (!factory_) throw EAbstractError(u"Cannot create an instance of the abstract class " + name_);
  return factory_(arg);
}

const TClassProps& TMetaClass::Props() const {
  std::call_once(propsOnce_, [this] {
    auto props = std::make_unique<TClassProps>();
    if (parent_) props->list_ = parent_->Props().list_;
    if (publisher_) {
      TPropRegistrar registrar(this, *props);
      publisher_(registrar);
    }
    props_ = std::move(props);
  });
  return *props_;
}

TClass TObject::StaticClass() {
  static const TMetaClass meta(u"TObject", nullptr, &kiv_detail::NewInstance<TObject>, nullptr);
  return &meta;
}

String TObject::ClassName() const { return ClassType()->ClassName(); }

// ---- Class registry ----

namespace {

struct ClassRegistry {
  std::mutex mutex;
  std::map<String, TClass, CompareTextLess> byName;
};

ClassRegistry& Registry() {
  static ClassRegistry registry;
  return registry;
}

void RegisterUnder(TClass cls, const String& name) {
  ClassRegistry& r = Registry();
  std::lock_guard lock(r.mutex);
  auto [it, inserted] = r.byName.emplace(name, cls);
  if (!inserted && it->second != cls) throw EFilerError(u"A class named " + name + u" already exists");
}
}  // namespace

void RegisterClass(TClass cls) { RegisterUnder(cls, cls->ClassName()); }

void RegisterClasses(std::initializer_list<TClass> classes) {
  for (TClass c : classes) RegisterClass(c);
}

void RegisterClassAlias(TClass cls, const String& alias) { RegisterUnder(cls, alias); }

void UnRegisterClass(TClass cls) {
  ClassRegistry& r = Registry();
  std::lock_guard lock(r.mutex);
  for (auto it = r.byName.begin(); it != r.byName.end();) {
    if (it->second == cls)
      it = r.byName.erase(it);
    else
      ++it;
  }
}

TClass GetClass(const String& className) {
  ClassRegistry& r = Registry();
  std::lock_guard lock(r.mutex);
  auto it = r.byName.find(className);
  return it == r.byName.end() ? nullptr : it->second;
}

TClass FindClass(const String& className) {
  TClass cls = GetClass(className);
  if (!cls) throw EClassNotFound(u"Class '" + className + u"' is not registered");
  return cls;
}

// ---- TPersistent ----

void TPersistent::Assign(TPersistent* source) {
  if (source)
    source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
  String sourceName = source ? source->ClassName() : String(u"nil");
  throw EConvertError(u"Cannot assign a " + sourceName + u" to a " + ClassName());
}

String TPersistent::GetNamePath() const {
  String result = ClassName();
  if (TPersistent* owner = GetOwner()) {
    String s = owner->GetNamePath();
    if (!s.empty()) result = s + u"." + result;
  }
  return result;
}

void TPersistent::DefineProperties(TFiler*) {}

void RaiseListIndexError(int index) {
  throw EListError(u"List index out of bounds (" + IntToStr(index) + u")");
}
