// The published-property registry: per class, the properties that streaming, the settings keeper and
// the reports read and write by name, with their kinds, accessors, defaults and stored-rules.
#pragma once

#include <any>
#include <functional>
#include <initializer_list>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/classes/Object.h"

template <class Signature>
class TDelegate;
class Variant;

enum TTypeKind {
  tkUnknown,
  tkInteger,
  tkChar,
  tkEnumeration,
  tkFloat,
  tkString,
  tkSet,
  tkClass,
  tkMethod,
  tkWChar,
  tkLString,
  tkWString,
  tkVariant,
  tkArray,
  tkRecord,
  tkInterface,
  tkInt64,
  tkDynArray,
  tkUString,
};

// Scoped: the field types of the dataset framework use the names ftSingle and ftExtended too.
enum class TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

// Type information of a property's type. Enumerations carry their names, sets their element type,
// floats their precision; an integer type may have idents (colours) registered for it by name.
class TTypeInfo {
 public:
  static TTypeInfo Enum(const Char* name, std::initializer_list<const Char*> names);
  static TTypeInfo Set(const Char* name, const TTypeInfo* elementType);
  static TTypeInfo Integer(const Char* name);
  static TTypeInfo Float(const Char* name, TFloatType floatType);

  TTypeKind Kind = tkUnknown;
  String Name;
  std::vector<String> Names;                      // tkEnumeration: value n is Names[n]
  const TTypeInfo* CompType = nullptr;            // tkSet
  TFloatType FloatType = TFloatType::ftExtended;  // tkFloat
  TClass ClassType = nullptr;                     // tkClass: the declared class
};

// The built-in types.
const TTypeInfo* TypeInfoInteger();
const TTypeInfo* TypeInfoInt64();
const TTypeInfo* TypeInfoBoolean();
const TTypeInfo* TypeInfoChar();
const TTypeInfo* TypeInfoString();
const TTypeInfo* TypeInfoSingle();
const TTypeInfo* TypeInfoDouble();
const TTypeInfo* TypeInfoExtended();
const TTypeInfo* TypeInfoCurrency();
const TTypeInfo* TypeInfoDateTime();
const TTypeInfo* TypeInfoVariant();

// Text alignment: shared by fields, controls and the libraries' cells.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
const TTypeInfo* TypeInfoAlignment();
const TTypeInfo* TypeInfoMethod(const Char* eventTypeName);
// One shared record per class, made on first use.
const TTypeInfo* TypeInfoClass(TClass cls);

// Ident <-> integer maps for an integer type with names (the colour type registers "clRed" ...).
using TIdentToInt = std::function<bool(const String& ident, Integer& value)>;
using TIntToIdent = std::function<bool(Integer value, String& ident)>;
void RegisterIntegerConsts(const String& typeName, TIdentToInt identToInt, TIntToIdent intToIdent);
TIdentToInt FindIdentToInt(const TTypeInfo* type);
TIntToIdent FindIntToIdent(const TTypeInfo* type);

// Accessors of an event property, type-erased over the delegate's signature.
struct TMethodAccess {
  std::function<bool(const TObject*)> assigned;
  std::function<std::any(const TObject*)> get;  // the delegate, by value
  // Sets from a delegate held in a std::any; false when the signatures differ.
  std::function<bool(TObject*, const std::any&)> set;
  std::function<bool(const TObject*, const std::any&)> equals;
};

class TPropInfo {
 public:
  String Name;
  const TTypeInfo* PropType = nullptr;
  TClass Owner = nullptr;  // the class that declared the property

  std::function<Int64(const TObject*)> GetOrd;
  std::function<void(TObject*, Int64)> SetOrd;
  std::function<Extended(const TObject*)> GetFloat;
  std::function<void(TObject*, Extended)> SetFloat;
  std::function<String(const TObject*)> GetStr;
  std::function<void(TObject*, const String&)> SetStr;
  std::function<TObject*(const TObject*)> GetObj;
  std::function<void(TObject*, TObject*)> SetObj;
  std::function<void(const TObject*, Variant&)> GetVar;
  std::function<void(TObject*, const Variant&)> SetVar;
  TMethodAccess Method;

  // Ordinal defaults: a property holding its default is not written. Strings, floats and objects
  // are not written when empty, zero or nil.
  bool HasDefault = false;
  Int64 Default = 0;
  std::function<bool(const TObject*)> StoredRule;

  TTypeKind Kind() const { return PropType ? PropType->Kind : tkUnknown; }
  bool IsReadOnly() const;
  bool IsStored(const TObject* instance) const { return !StoredRule || StoredRule(instance); }
};

// A handler method a root class makes findable by name for event properties in form resources.
struct TMethodEntry {
  String Name;
  std::function<std::any(TObject* instance)> Bind;
};

class TClassProps {
 public:
  // Own and inherited properties, the parents' first; a redeclared property keeps its place.
  const std::vector<const TPropInfo*>& List() const { return list_; }
  const TPropInfo* Find(const String& name) const;
  const std::vector<TMethodEntry>& Methods() const { return methods_; }

 private:
  friend class TMetaClass;
  friend class TPropRegistrar;
  std::vector<const TPropInfo*> list_;
  std::vector<std::unique_ptr<TPropInfo>> own_;
  std::vector<TMethodEntry> methods_;
};

class TPropRegistrar {
 public:
  TPropRegistrar(TClass cls, TClassProps& props) : class_(cls), props_(props) {}
  TPropInfo& Add(const String& name, const TTypeInfo* type);
  void AddMethod(TMethodEntry entry) { props_.methods_.push_back(std::move(entry)); }
  TClass Class() const { return class_; }

 private:
  TClass class_;
  TClassProps& props_;
};

// The handle the builder returns to refine the property just added.
class TPropSpec {
 public:
  explicit TPropSpec(TPropInfo& info) : info_(info) {}
  TPropSpec& Default(Int64 value) {
    info_.HasDefault = true;
    info_.Default = value;
    return *this;
  }
  template <class E>
  requires std::is_enum_v<E> TPropSpec& Default(E value) { return Default(static_cast<Int64>(value)); }
  template <class S>
  requires requires(const S& s) { s.Bits(); }
  TPropSpec& Default(const S& set) { return Default(static_cast<Int64>(set.Bits())); }
  TPropSpec& NoDefault() {
    info_.HasDefault = false;
    return *this;
  }
  TPropSpec& Stored(bool stored) {
    if (stored)
      info_.StoredRule = nullptr;
    else
      info_.StoredRule = [](const TObject*) { return false; };
    return *this;
  }
  TPropSpec& Stored(std::function<bool(const TObject*)> rule) {
    info_.StoredRule = std::move(rule);
    return *this;
  }
  template <class T>
  TPropSpec& Stored(bool (T::*rule)() const) {
    info_.StoredRule = [rule](const TObject* o) { return (static_cast<const T*>(o)->*rule)(); };
    return *this;
  }
  TPropInfo& Info() { return info_; }

 private:
  TPropInfo& info_;
};

namespace kiv_detail {
template <class V>
Int64 ToOrdinal(const V& v) {
  if constexpr (requires { v.Bits(); })
    return static_cast<Int64>(v.Bits());
  else
    return static_cast<Int64>(v);
}
template <class V>
V FromOrdinal(Int64 v) {
  if constexpr (requires { V::FromBits(UInt64()); })
    return V::FromBits(static_cast<UInt64>(v));
  else
    return static_cast<V>(v);
}
template <class T, class G>
decltype(auto) Get(const G& getter, const TObject* obj) {
  return std::invoke(getter, static_cast<const T*>(obj));
}
template <class T, class S, class V>
void Put(const S& setter, TObject* obj, V&& value) {
  if constexpr (std::is_member_object_pointer_v<S>)
    static_cast<T*>(obj)->*setter = std::forward<V>(value);
  else
    std::invoke(setter, static_cast<T*>(obj), std::forward<V>(value));
}
template <class G, class T>
using GetResult = std::remove_cvref_t<std::invoke_result_t<const G&, const T*>>;

template <class M>
struct MethodSignature;
template <class C, class R, class... A>
struct MethodSignature<R (C::*)(A...)> {
  using Class = C;
  using Type = R(A...);
};
}  // namespace kiv_detail

// The builder a class's static Published function receives:
//   static void Published(TPropBuilder<TMyGrid>& p) {
//     p.Int(u"RowCount", &TMyGrid::GetRowCount, &TMyGrid::SetRowCount).Default(5);
//     p.Enum(u"Align", &AlignType, &TMyGrid::GetAlign, &TMyGrid::SetAlign).Default(alNone);
//     p.Object(u"Columns", &TMyGrid::GetColumns, &TMyGrid::SetColumns);
//     p.Event(u"OnClick", &TMyGrid::OnClick);
//   }
// Getters are const member functions, data members or callables taking const T*; setters are member
// functions, data members or callables taking T*; pass nullptr for a read-only property.
template <class T>
class TPropBuilder {
 public:
  explicit TPropBuilder(TPropRegistrar& registrar) : r_(registrar) {}

  template <class G, class S>
  TPropSpec Int(const ::Char* name, G get, S set) {
    return Ordinal(name, TypeInfoInteger(), get, set);
  }
  template <class G, class S>
  TPropSpec Int64(const ::Char* name, G get, S set) {
    return Ordinal(name, TypeInfoInt64(), get, set);
  }
  template <class G, class S>
  TPropSpec Bool(const ::Char* name, G get, S set) {
    return Ordinal(name, TypeInfoBoolean(), get, set);
  }
  template <class G, class S>
  TPropSpec Char(const ::Char* name, G get, S set) {
    return Ordinal(name, TypeInfoChar(), get, set);
  }
  // Enumerations, sets (TSet or an integer bit mask) and integers with idents (colours).
  template <class G, class S>
  TPropSpec Enum(const ::Char* name, const TTypeInfo* type, G get, S set) {
    return Ordinal(name, type, get, set);
  }
  template <class G, class S>
  TPropSpec Set(const ::Char* name, const TTypeInfo* type, G get, S set) {
    return Ordinal(name, type, get, set);
  }
  template <class G, class S>
  TPropSpec IntIdent(const ::Char* name, const TTypeInfo* type, G get, S set) {
    return Ordinal(name, type, get, set);
  }

  template <class G, class S>
  TPropSpec Ordinal(const ::Char* name, const TTypeInfo* type, G get, S set) {
    using V = kiv_detail::GetResult<G, T>;
    TPropInfo& p = r_.Add(name, type);
    p.GetOrd = [get](const TObject* o) { return kiv_detail::ToOrdinal(kiv_detail::Get<T>(get, o)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetOrd = [set](TObject* o, ::Int64 v) { kiv_detail::Put<T>(set, o, kiv_detail::FromOrdinal<V>(v)); };
    return TPropSpec(p);
  }

  template <class G, class S>
  TPropSpec Float(const ::Char* name, G get, S set, const TTypeInfo* type = TypeInfoExtended()) {
    using V = kiv_detail::GetResult<G, T>;
    TPropInfo& p = r_.Add(name, type);
    p.GetFloat = [get](const TObject* o) { return static_cast<Extended>(kiv_detail::Get<T>(get, o)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetFloat = [set](TObject* o, Extended v) { kiv_detail::Put<T>(set, o, static_cast<V>(v)); };
    return TPropSpec(p);
  }
  template <class G, class S>
  TPropSpec Double(const ::Char* name, G get, S set) {
    return Float(name, get, set, TypeInfoDouble());
  }
  template <class G, class S>
  TPropSpec DateTime(const ::Char* name, G get, S set) {
    return Float(name, get, set, TypeInfoDateTime());
  }

  template <class G, class S>
  TPropSpec Str(const ::Char* name, G get, S set) {
    TPropInfo& p = r_.Add(name, TypeInfoString());
    p.GetStr = [get](const TObject* o) { return String(kiv_detail::Get<T>(get, o)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetStr = [set](TObject* o, const String& v) { kiv_detail::Put<T>(set, o, v); };
    return TPropSpec(p);
  }

  // A class-typed property: a sub-object (font, strings, collection: its properties are stored
  // nested) or a reference to a component (stored by name).
  template <class G, class S>
  TPropSpec Object(const ::Char* name, G get, S set) {
    using P = kiv_detail::GetResult<G, T>;
    using C = std::remove_pointer_t<P>;
    TPropInfo& p = r_.Add(name, TypeInfoClass(C::StaticClass()));
    p.GetObj = [get](const TObject* o) -> TObject* { return kiv_detail::Get<T>(get, o); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetObj = [set](TObject* o, TObject* v) {
        C* typed = dynamic_cast<C*>(v);
        if (v && !typed) throw EPropertyConvertError(u"Invalid property value");
        kiv_detail::Put<T>(set, o, typed);
      };
    return TPropSpec(p);
  }

  template <class G, class S>
  TPropSpec Var(const ::Char* name, G get, S set) {
    TPropInfo& p = r_.Add(name, TypeInfoVariant());
    p.GetVar = [get](const TObject* o, Variant& out) { out = kiv_detail::Get<T>(get, o); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetVar = [set](TObject* o, const Variant& v) { kiv_detail::Put<T>(set, o, v); };
    return TPropSpec(p);
  }

  // An event: a public delegate member. Stored as the name of a handler of the root.
  template <class D, class C>
  TPropSpec Event(const ::Char* name, D C::*member, const ::Char* typeName = u"TNotifyEvent") {
    TPropInfo& p = r_.Add(name, TypeInfoMethod(typeName));
    p.Method.assigned = [member](const TObject* o) {
      return static_cast<bool>(static_cast<const T*>(o)->*member);
    };
    p.Method.get = [member](const TObject* o) { return std::any(static_cast<const T*>(o)->*member); };
    p.Method.set = [member](TObject* o, const std::any& v) {
      if (!v.has_value()) {
        static_cast<T*>(o)->*member = D();
        return true;
      }
      const D* d = std::any_cast<D>(&v);
      if (!d) return false;
      static_cast<T*>(o)->*member = *d;
      return true;
    };
    p.Method.equals = [member](const TObject* o, const std::any& v) {
      const D* d = std::any_cast<D>(&v);
      return d && *d == static_cast<const T*>(o)->*member;
    };
    return TPropSpec(p);
  }

  // A handler that form resources may name: `OnClick = Button1Click`.
  template <class M>
  void Method(const ::Char* name, M method) {
    using Sig = typename kiv_detail::MethodSignature<M>::Type;
    r_.AddMethod(TMethodEntry{name, [method](TObject* instance) {
                                return std::any(TDelegate<Sig>(static_cast<T*>(instance), method));
                              }});
  }

 private:
  TPropRegistrar& r_;
};

// ---- Lookup and access by name ----

const TPropInfo* GetPropInfo(TClass cls, const String& propName);
const TPropInfo* GetPropInfo(const TObject* instance, const String& propName);
std::vector<const TPropInfo*> GetPropList(TClass cls);
std::vector<const TPropInfo*> GetPropList(const TObject* instance);
bool IsPublishedProp(const TObject* instance, const String& propName);
bool HasPublishedProperty(const TObject* instance, const String& propName);
bool PropIsType(const TObject* instance, const String& propName, TTypeKind kind);
bool IsStoredProp(const TObject* instance, const TPropInfo* info);

// An unknown name raises EPropertyError "Property %s does not exist"; a property of another kind
// raises EPropertyConvertError "Invalid property type: %s"; a read-only one "Property %s is read-only".
Int64 GetOrdProp(const TObject* instance, const TPropInfo* info);
Int64 GetOrdProp(const TObject* instance, const String& propName);
void SetOrdProp(TObject* instance, const TPropInfo* info, Int64 value);
void SetOrdProp(TObject* instance, const String& propName, Int64 value);
String GetStrProp(const TObject* instance, const TPropInfo* info);
String GetStrProp(const TObject* instance, const String& propName);
void SetStrProp(TObject* instance, const TPropInfo* info, const String& value);
void SetStrProp(TObject* instance, const String& propName, const String& value);
Extended GetFloatProp(const TObject* instance, const TPropInfo* info);
Extended GetFloatProp(const TObject* instance, const String& propName);
void SetFloatProp(TObject* instance, const TPropInfo* info, Extended value);
void SetFloatProp(TObject* instance, const String& propName, Extended value);
TObject* GetObjectProp(const TObject* instance, const TPropInfo* info);
TObject* GetObjectProp(const TObject* instance, const String& propName);
void SetObjectProp(TObject* instance, const TPropInfo* info, TObject* value);
void SetObjectProp(TObject* instance, const String& propName, TObject* value);
// Variant properties; a property of another kind answers its value as a variant (ordinals as
// integers, enumerations by name, floats, strings).
Variant GetVariantProp(const TObject* instance, const String& propName);
void SetVariantProp(TObject* instance, const String& propName, const Variant& value);
String GetEnumProp(const TObject* instance, const String& propName);
void SetEnumProp(TObject* instance, const String& propName, const String& value);
String GetSetProp(const TObject* instance, const String& propName, bool brackets = false);
void SetSetProp(TObject* instance, const String& propName, const String& value);

// Enumeration names: GetEnumName answers the number itself when it is out of range; GetEnumValue
// compares case-insensitively and answers -1 for an unknown name.
String GetEnumName(const TTypeInfo* type, Integer value);
Integer GetEnumValue(const TTypeInfo* type, const String& name);
// Sets as "a,b" (or "[a,b]"); an unknown element raises EPropertyConvertError
// "Invalid property element: %s".
String SetToString(const TTypeInfo* setType, Int64 value, bool brackets = false);
Int64 StringToSet(const TTypeInfo* setType, const String& value);

// Handlers registered by a root's class (and its parents) for event properties.
const TMethodEntry* FindMethodEntry(TClass cls, const String& name);
bool MethodExists(const TObject* root, const String& name);

// The handler of the root named `name`, bound to the root; unassigned when there is none or its
// signature differs.
template <class Sig>
TDelegate<Sig> MethodAddress(TObject* root, const String& name) {
  const TMethodEntry* entry = root ? FindMethodEntry(root->ClassType(), name) : nullptr;
  if (!entry) return TDelegate<Sig>();
  std::any bound = entry->Bind(root);
  const TDelegate<Sig>* d = std::any_cast<TDelegate<Sig>>(&bound);
  return d ? *d : TDelegate<Sig>();
}

// The name under which the root registered the handler the delegate calls; "" when none.
String MethodNameOf(TObject* root, const std::function<bool(const std::any&)>& matches);
template <class Sig>
String MethodName(TObject* root, const TDelegate<Sig>& handler) {
  if (!handler) return String();
  return MethodNameOf(root, [&handler](const std::any& bound) {
    const TDelegate<Sig>* d = std::any_cast<TDelegate<Sig>>(&bound);
    return d && *d == handler;
  });
}

// Event properties by handler name, as the component reader and writer use them.
String GetMethodPropName(const TObject* instance, const TPropInfo* info, TObject* root);
// An unknown handler or one of another signature raises EPropertyConvertError "Invalid property value".
void SetMethodPropByName(TObject* instance, const TPropInfo* info, TObject* root, const String& handlerName);
