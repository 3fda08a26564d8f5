// The published-property registry: type records, lookup by name and the get/set routines.
#include "platform/classes/TypInfo.h"

#include <map>
#include <mutex>

#include "platform/rtl/Strings.h"
#include "platform/rtl/Variant.h"

TTypeInfo TTypeInfo::Enum(const Char* name, std::initializer_list<const Char*> names) {
  TTypeInfo t;
  t.Kind = tkEnumeration;
  t.Name = name;
  for (const Char* n : names) t.Names.emplace_back(n);
  return t;
}

TTypeInfo TTypeInfo::Set(const Char* name, const TTypeInfo* elementType) {
  TTypeInfo t;
  t.Kind = tkSet;
  t.Name = name;
  t.CompType = elementType;
  return t;
}

TTypeInfo TTypeInfo::Integer(const Char* name) {
  TTypeInfo t;
  t.Kind = tkInteger;
  t.Name = name;
  return t;
}

TTypeInfo TTypeInfo::Float(const Char* name, TFloatType floatType) {
  TTypeInfo t;
  t.Kind = tkFloat;
  t.Name = name;
  t.FloatType = floatType;
  return t;
}

namespace {
TTypeInfo Simple(TTypeKind kind, const Char* name) {
  TTypeInfo t;
  t.Kind = kind;
  t.Name = name;
  return t;
}
}  // namespace

const TTypeInfo* TypeInfoInteger() {
  static const TTypeInfo t = TTypeInfo::Integer(u"Integer");
  return &t;
}
const TTypeInfo* TypeInfoInt64() {
  static const TTypeInfo t = Simple(tkInt64, u"Int64");
  return &t;
}
const TTypeInfo* TypeInfoBoolean() {
  static const TTypeInfo t = TTypeInfo::Enum(u"Boolean", {u"False", u"True"});
  return &t;
}
const TTypeInfo* TypeInfoChar() {
  static const TTypeInfo t = Simple(tkWChar, u"Char");
  return &t;
}
const TTypeInfo* TypeInfoString() {
  static const TTypeInfo t = Simple(tkUString, u"string");
  return &t;
}
const TTypeInfo* TypeInfoSingle() {
  static const TTypeInfo t = TTypeInfo::Float(u"Single", TFloatType::ftSingle);
  return &t;
}
const TTypeInfo* TypeInfoDouble() {
  static const TTypeInfo t = TTypeInfo::Float(u"Double", TFloatType::ftDouble);
  return &t;
}
const TTypeInfo* TypeInfoExtended() {
  static const TTypeInfo t = TTypeInfo::Float(u"Extended", TFloatType::ftExtended);
  return &t;
}
const TTypeInfo* TypeInfoCurrency() {
  static const TTypeInfo t = TTypeInfo::Float(u"Currency", TFloatType::ftCurr);
  return &t;
}
const TTypeInfo* TypeInfoDateTime() {
  static const TTypeInfo t = TTypeInfo::Float(u"TDateTime", TFloatType::ftDouble);
  return &t;
}
const TTypeInfo* TypeInfoVariant() {
  static const TTypeInfo t = Simple(tkVariant, u"Variant");
  return &t;
}
const TTypeInfo* TypeInfoAlignment() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TAlignment", {u"taLeftJustify", u"taRightJustify", u"taCenter"});
  return &t;
}

namespace {

template <class Key, class Value, class Less = std::less<Key>>
struct Interned {
  std::mutex mutex;
  std::map<Key, std::unique_ptr<Value>, Less> map;
};
}  // namespace

const TTypeInfo* TypeInfoMethod(const Char* eventTypeName) {
  static Interned<String, TTypeInfo> types;
  std::lock_guard lock(types.mutex);
  auto& slot = types.map[eventTypeName];
  if (!slot) slot = std::make_unique<TTypeInfo>(Simple(tkMethod, eventTypeName));
  return slot.get();
}

const TTypeInfo* TypeInfoClass(TClass cls) {
  static Interned<TClass, TTypeInfo> types;
  std::lock_guard lock(types.mutex);
  auto& slot = types.map[cls];
  if (!slot) {
    slot = std::make_unique<TTypeInfo>(Simple(tkClass, cls->ClassName().c_str()));
    slot->ClassType = cls;
  }
  return slot.get();
}

// ---- Integer idents ----

namespace {
struct IdentMaps {
  TIdentToInt identToInt;
  TIntToIdent intToIdent;
};
struct IdentRegistry {
  std::mutex mutex;
  std::map<String, IdentMaps, CompareTextLess> byType;
};
IdentRegistry& Idents() {
  static IdentRegistry r;
  return r;
}
}  // namespace

void RegisterIntegerConsts(const String& typeName, TIdentToInt identToInt, TIntToIdent intToIdent) {
  IdentRegistry& r = Idents();
  std::lock_guard lock(r.mutex);
  r.byType[typeName] = IdentMaps{std::move(identToInt), std::move(intToIdent)};
}

TIdentToInt FindIdentToInt(const TTypeInfo* type) {
  if (!type) return nullptr;
  IdentRegistry& r = Idents();
  std::lock_guard lock(r.mutex);
  auto it = r.byType.find(type->Name);
  return it == r.byType.end() ? nullptr : it->second.identToInt;
}

TIntToIdent FindIntToIdent(const TTypeInfo* type) {
  if (!type) return nullptr;
  IdentRegistry& r = Idents();
  std::lock_guard lock(r.mutex);
  auto it = r.byType.find(type->Name);
  return it == r.byType.end() ? nullptr : it->second.intToIdent;
}

// ---- Property records ----

bool TPropInfo::IsReadOnly() const {
  switch (Kind()) {
    case tkFloat:
      return !SetFloat;
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
      return !SetStr;
    case tkClass:
      return !SetObj;
    case tkVariant:
      return !SetVar;
    case tkMethod:
      return !Method.set;
    default:
      return !SetOrd;
  }
}

const TPropInfo* TClassProps::Find(const String& name) const {
  for (const TPropInfo* p : list_)
    if (SameText(p->Name, name)) return p;
  return nullptr;
}

TPropInfo& TPropRegistrar::Add(const String& name, const TTypeInfo* type) {
  auto info = std::make_unique<TPropInfo>();
  info->Name = name;
  info->PropType = type;
  info->Owner = class_;
  TPropInfo* raw = info.get();
  props_.own_.push_back(std::move(info));
  for (auto& slot : props_.list_) {
    if (SameText(slot->Name, name)) {
      slot = raw;
      return *raw;
    }
  }
  props_.list_.push_back(raw);
  return *raw;
}

// ---- Lookup ----

const TPropInfo* GetPropInfo(TClass cls, const String& propName) {
  return cls ? cls->Props().Find(propName) : nullptr;
}

const TPropInfo* GetPropInfo(const TObject* instance, const String& propName) {
  return instance ? GetPropInfo(instance->ClassType(), propName) : nullptr;
}

std::vector<const TPropInfo*> GetPropList(TClass cls) { return cls->Props().List(); }
std::vector<const TPropInfo*> GetPropList(const TObject* instance) {
  return GetPropList(instance->ClassType());
}

bool IsPublishedProp(const TObject* instance, const String& propName) {
  return GetPropInfo(instance, propName) != nullptr;
}
bool HasPublishedProperty(const TObject* instance, const String& propName) {
  return IsPublishedProp(instance, propName);
}

bool PropIsType(const TObject* instance, const String& propName, TTypeKind kind) {
  const TPropInfo* info = GetPropInfo(instance, propName);
  return info && info->Kind() == kind;
}

bool IsStoredProp(const TObject* instance, const TPropInfo* info) { return info->IsStored(instance); }

namespace {
const TPropInfo* Need(const TObject* instance, const String& propName) {
  if (const TPropInfo* info = GetPropInfo(instance, propName)) return info;
  throw EPropertyError(u"Property " + propName + u" does not exist");
}

[[noreturn]] void WrongKind(const TPropInfo* info) {
  throw EPropertyConvertError(u"Invalid property type: " +
                              (info->PropType ? info->PropType->Name : info->Name));
}

[[noreturn]] void ReadOnly(const TPropInfo* info) {
  throw EPropertyError(u"Property " + info->Name + u" is read-only");
}

bool IsOrdinalKind(TTypeKind k) {
  return k == tkInteger || k == tkChar || k == tkWChar || k == tkEnumeration || k == tkSet || k == tkInt64;
}

bool IsStringKind(TTypeKind k) { return k == tkString || k == tkLString || k == tkWString || k == tkUString; }
}  // namespace

Int64 GetOrdProp(const TObject* instance, const TPropInfo* info) {
  if (info->Kind() == tkClass) return reinterpret_cast<Int64>(info->GetObj(instance));
  if (!IsOrdinalKind(info->Kind()) || !info->GetOrd) WrongKind(info);
  return info->GetOrd(instance);
}
Int64 GetOrdProp(const TObject* instance, const String& propName) {
  return GetOrdProp(instance, Need(instance, propName));
}

void SetOrdProp(TObject* instance, const TPropInfo* info, Int64 value) {
  if (!IsOrdinalKind(info->Kind())) WrongKind(info);
  if (!info->SetOrd) ReadOnly(info);
  info->SetOrd(instance, value);
}
void SetOrdProp(TObject* instance, const String& propName, Int64 value) {
  SetOrdProp(instance, Need(instance, propName), value);
}

String GetStrProp(const TObject* instance, const TPropInfo* info) {
  if (info->Kind() == tkWChar || info->Kind() == tkChar)
    return String(1, static_cast<Char>(info->GetOrd(instance)));
  if (!IsStringKind(info->Kind())) WrongKind(info);
  return info->GetStr(instance);
}
String GetStrProp(const TObject* instance, const String& propName) {
  return GetStrProp(instance, Need(instance, propName));
}

void SetStrProp(TObject* instance, const TPropInfo* info, const String& value) {
  if (!IsStringKind(info->Kind())) WrongKind(info);
  if (!info->SetStr) ReadOnly(info);
  info->SetStr(instance, value);
}
void SetStrProp(TObject* instance, const String& propName, const String& value) {
  SetStrProp(instance, Need(instance, propName), value);
}

Extended GetFloatProp(const TObject* instance, const TPropInfo* info) {
  if (info->Kind() != tkFloat) WrongKind(info);
  return info->GetFloat(instance);
}
Extended GetFloatProp(const TObject* instance, const String& propName) {
  return GetFloatProp(instance, Need(instance, propName));
}

void SetFloatProp(TObject* instance, const TPropInfo* info, Extended value) {
  if (info->Kind() != tkFloat) WrongKind(info);
  if (!info->SetFloat) ReadOnly(info);
  info->SetFloat(instance, value);
}
void SetFloatProp(TObject* instance, const String& propName, Extended value) {
  SetFloatProp(instance, Need(instance, propName), value);
}

TObject* GetObjectProp(const TObject* instance, const TPropInfo* info) {
  if (info->Kind() != tkClass) WrongKind(info);
  return info->GetObj(instance);
}
TObject* GetObjectProp(const TObject* instance, const String& propName) {
  return GetObjectProp(instance, Need(instance, propName));
}

void SetObjectProp(TObject* instance, const TPropInfo* info, TObject* value) {
  if (info->Kind() != tkClass) WrongKind(info);
  if (!info->SetObj) ReadOnly(info);
  info->SetObj(instance, value);
}
void SetObjectProp(TObject* instance, const String& propName, TObject* value) {
  SetObjectProp(instance, Need(instance, propName), value);
}

Variant GetVariantProp(const TObject* instance, const String& propName) {
  const TPropInfo* info = Need(instance, propName);
  switch (info->Kind()) {
    case tkVariant: {
      Variant v;
      info->GetVar(instance, v);
      return v;
    }
    case tkEnumeration:
      if (info->PropType == TypeInfoBoolean()) return Variant(info->GetOrd(instance) != 0);
      return Variant(GetEnumName(info->PropType, static_cast<Integer>(info->GetOrd(instance))));
    case tkSet:
      return Variant(SetToString(info->PropType, info->GetOrd(instance)));
    case tkInteger:
    case tkChar:
    case tkWChar:
      return Variant(static_cast<Integer>(info->GetOrd(instance)));
    case tkInt64:
      return Variant(info->GetOrd(instance));
    case tkFloat:
      return Variant(static_cast<double>(info->GetFloat(instance)));
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
      return Variant(info->GetStr(instance));
    default:
      WrongKind(info);
  }
}

void SetVariantProp(TObject* instance, const String& propName, const Variant& value) {
  const TPropInfo* info = Need(instance, propName);
  switch (info->Kind()) {
    case tkVariant:
      if (!info->SetVar) ReadOnly(info);
      info->SetVar(instance, value);
      return;
    case tkEnumeration:
      if (info->PropType != TypeInfoBoolean() && VarIsStr(value)) {
        SetEnumProp(instance, propName, value.AsString());
        return;
      }
      SetOrdProp(instance, info,
                 info->PropType == TypeInfoBoolean() ? (value.AsBoolean() ? 1 : 0) : value.AsInt64());
      return;
    case tkSet:
      SetOrdProp(instance, info,
                 VarIsStr(value) ? StringToSet(info->PropType, value.AsString()) : value.AsInt64());
      return;
    case tkInteger:
    case tkInt64:
    case tkChar:
    case tkWChar:
      SetOrdProp(instance, info, value.AsInt64());
      return;
    case tkFloat:
      SetFloatProp(instance, info, value.AsDouble());
      return;
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
      SetStrProp(instance, info, VarToStr(value));
      return;
    default:
      WrongKind(info);
  }
}

String GetEnumProp(const TObject* instance, const String& propName) {
  const TPropInfo* info = Need(instance, propName);
  if (info->Kind() != tkEnumeration) WrongKind(info);
  return GetEnumName(info->PropType, static_cast<Integer>(info->GetOrd(instance)));
}

void SetEnumProp(TObject* instance, const String& propName, const String& value) {
  const TPropInfo* info = Need(instance, propName);
  if (info->Kind() != tkEnumeration) WrongKind(info);
  Integer v = GetEnumValue(info->PropType, value);
  if (v < 0) throw EPropertyConvertError(u"Invalid enumeration value: " + value);
  SetOrdProp(instance, info, v);
}

String GetSetProp(const TObject* instance, const String& propName, bool brackets) {
  const TPropInfo* info = Need(instance, propName);
  if (info->Kind() != tkSet) WrongKind(info);
  return SetToString(info->PropType, info->GetOrd(instance), brackets);
}

void SetSetProp(TObject* instance, const String& propName, const String& value) {
  const TPropInfo* info = Need(instance, propName);
  if (info->Kind() != tkSet) WrongKind(info);
  SetOrdProp(instance, info, StringToSet(info->PropType, value));
}

String GetEnumName(const TTypeInfo* type, Integer value) {
  if (type && type->Kind == tkEnumeration && value >= 0 && value < static_cast<Integer>(type->Names.size()))
    return type->Names[value];
  return IntToStr(value);
}

Integer GetEnumValue(const TTypeInfo* type, const String& name) {
  if (!type || type->Kind != tkEnumeration) return -1;
  for (size_t i = 0; i < type->Names.size(); ++i)
    if (SameText(type->Names[i], name)) return static_cast<Integer>(i);
  return -1;
}

String SetToString(const TTypeInfo* setType, Int64 value, bool brackets) {
  String result;
  const TTypeInfo* elements = setType ? setType->CompType : nullptr;
  for (int i = 0; i < 64; ++i) {
    if (!((static_cast<UInt64>(value) >> i) & 1)) continue;
    if (!result.empty()) result += u',';
    result += GetEnumName(elements, i);
  }
  return brackets ? u"[" + result + u"]" : result;
}

Int64 StringToSet(const TTypeInfo* setType, const String& value) {
  String text = Trim(value);
  if (!text.empty() && text.front() == u'[') text.erase(0, 1);
  if (!text.empty() && text.back() == u']') text.pop_back();
  const TTypeInfo* elements = setType ? setType->CompType : nullptr;
  UInt64 result = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(u',', start);
    if (comma == String::npos) comma = text.size();
    String name = Trim(text.substr(start, comma - start));
    if (!name.empty()) {
      Integer v = GetEnumValue(elements, name);
      if (v < 0 || v >= 64) throw EPropertyConvertError(u"Invalid property element: " + name);
      result |= UInt64(1) << v;
    }
    start = comma + 1;
  }
  return static_cast<Int64>(result);
}

// ---- Handlers ----

const TMethodEntry* FindMethodEntry(TClass cls, const String& name) {
  for (; cls; cls = cls->ClassParent())
    for (const TMethodEntry& e : cls->Props().Methods())
      if (SameText(e.Name, name)) return &e;
  return nullptr;
}

bool MethodExists(const TObject* root, const String& name) {
  return root && FindMethodEntry(root->ClassType(), name) != nullptr;
}

String MethodNameOf(TObject* root, const std::function<bool(const std::any&)>& matches) {
  if (!root) return String();
  for (TClass cls = root->ClassType(); cls; cls = cls->ClassParent())
    for (const TMethodEntry& e : cls->Props().Methods())
      if (matches(e.Bind(root))) return e.Name;
  return String();
}

String GetMethodPropName(const TObject* instance, const TPropInfo* info, TObject* root) {
  if (info->Kind() != tkMethod) WrongKind(info);
  if (!info->Method.assigned(instance)) return String();
  return MethodNameOf(root, [&](const std::any& bound) { return info->Method.equals(instance, bound); });
}

void SetMethodPropByName(TObject* instance, const TPropInfo* info, TObject* root, const String& handlerName) {
  if (info->Kind() != tkMethod) WrongKind(info);
  if (!info->Method.set) ReadOnly(info);
  if (handlerName.empty()) {
    info->Method.set(instance, std::any());
    return;
  }
  const TMethodEntry* entry = root ? FindMethodEntry(root->ClassType(), handlerName) : nullptr;
  if (!entry || !info->Method.set(instance, entry->Bind(root)))
    throw EPropertyConvertError(u"Invalid property value");
}
