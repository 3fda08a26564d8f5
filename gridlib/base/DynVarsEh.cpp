// Named-variable bags: the placeholder life cycle, typed views of a variable and the text form of the
// string-only bag.
#include "gridlib/base/DynVarsEh.h"

#include "gridlib/base/GridLibCore.h"
#include "gridlib/base/GridLibLangConsts.h"
#include "platform/classes/StringList.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

// ---- TCustomDynVarEh ----

TCustomDynVarEh::TCustomDynVarEh(TCollection* collection) : TCollectionItem(collection) {}

TCustomDynVarEh* TCustomDynVarEh::CreateAsDummy(TClass varClass, TCustomDynVarsEh* ownerWhenDummy) {
  auto* var = varClass->Create<TCustomDynVarEh>(nullptr);
  var->isDummy_ = true;
  var->ownerWhenDummy_ = ownerWhenDummy;
  return var;
}

TCustomDynVarsEh* TCustomDynVarEh::VarCollection() const {
  return static_cast<TCustomDynVarsEh*>(GetCollection());
}

void TCustomDynVarEh::MaterializeIfDummy() {
  if (isDummy_) ownerWhenDummy_->MaterializeDummy(this);
}

void TCustomDynVarEh::StoreValue(const Variant& value, bool notify) {
  MaterializeIfDummy();
  data_ = value;
  if (notify) Changed(false);
}

void TCustomDynVarEh::SetName(const String& value) {
  TCustomDynVarsEh* bag = isDummy_ ? ownerWhenDummy_ : VarCollection();
  if (bag) {
    TCustomDynVarEh* other = bag->FindDynVar(value);
    if (other && other != this) TCustomDynVarsEh::DuplicateNameError(value);
  }
  MaterializeIfDummy();
  name_ = value;
  Changed(false);
}

bool TCustomDynVarEh::ValueIsNull() const {
  if (VarIsNull(data_) || VarIsClear(data_)) return true;
  try {
    return data_ == Variant();
  } catch (const EVariantError&) {
    return false;
  }
}

bool TCustomDynVarEh::SameVarAs(const TCustomDynVarEh* other) const {
  if (VarType(data_) != VarType(other->data_)) return false;
  if (!VarIsClear(data_)) {
    try {
      if (!(data_ == other->data_)) return false;
    } catch (const EVariantError&) {
      return false;
    }
  }
  if (name_ != other->name_) return false;
  return ValueIsNull() == other->ValueIsNull();
}

String TCustomDynVarEh::GetDisplayName() const {
  if (name_.empty() && VarIsEmpty(data_)) return TCollectionItem::GetDisplayName();
  String valueText;
  if (VarIsEmpty(data_))
    valueText = u"(Empty)";
  else if (VarIsNull(data_))
    valueText = u"(Null)";
  else {
    try {
      valueText = VarToStr(data_);
    } catch (const std::exception&) {
      valueText = u"?";
    }
  }
  return (name_.empty() ? String(u"(EmptyName)") : name_) + u"=" + valueText;
}

void TCustomDynVarEh::AssignTo(TPersistent* dest) const {
  auto* target = dynamic_cast<TCustomDynVarEh*>(dest);
  if (!target) {
    TCollectionItem::AssignTo(dest);
    return;
  }
  target->SetName(name_);
  target->StoreValue(data_, true);
}

// ---- TDynVarEh ----

void TDynVarEh::Published(TPropBuilder<TDynVarEh>& p) {
  p.Str(u"Name", &TDynVarEh::GetName, &TDynVarEh::SetName);
  p.Var(u"Value", &TDynVarEh::GetValue, &TDynVarEh::SetValue);
}

void TDynVarEh::SetValue(const Variant& value) { StoreValue(value, true); }

bool TDynVarEh::GetAsBoolean() const { return GetIsNull() ? false : GetData().AsBoolean(); }
void TDynVarEh::SetAsBoolean(bool value) { StoreValue(Variant(value), true); }

Currency TDynVarEh::GetAsCurrency() const { return GetIsNull() ? Currency() : GetData().AsCurrency(); }
void TDynVarEh::SetAsCurrency(Currency value) { StoreValue(Variant(value), true); }

TDateTime TDynVarEh::GetAsDateTime() const { return GetIsNull() ? 0.0 : GetData().AsDateTime(); }
void TDynVarEh::SetAsDateTime(TDateTime value) { StoreValue(Variant::FromDate(value), true); }

double TDynVarEh::GetAsFloat() const { return GetIsNull() ? 0.0 : GetData().AsDouble(); }
void TDynVarEh::SetAsFloat(double value) { StoreValue(Variant(value), true); }

Integer TDynVarEh::GetAsInteger() const { return GetIsNull() ? 0 : GetData().AsInteger(); }
void TDynVarEh::SetAsInteger(Integer value) { StoreValue(Variant(value), true); }

// The reference travels as an object variant, not as a truncated integer: it must survive a 64-bit
// address.
TObject* TDynVarEh::GetAsRefObject() const {
  return GetIsNull() ? nullptr : static_cast<TObject*>(GetData().AsObject());
}
void TDynVarEh::SetAsRefObject(TObject* value) { StoreValue(Variant::FromObject(value), true); }

String TDynVarEh::GetAsString() const { return VarToStr(GetData()); }
void TDynVarEh::SetAsString(const String& value) { StoreValue(Variant(value), false); }

// ---- TStringVarEh ----

void TStringVarEh::Published(TPropBuilder<TStringVarEh>& p) {
  p.Str(u"Name", &TStringVarEh::GetName, &TStringVarEh::SetName);
  p.Str(u"Value", &TStringVarEh::GetValue, &TStringVarEh::SetValue);
}

void TStringVarEh::SetValue(const String& value) { StoreValue(Variant(value), true); }

// ---- TCustomDynVarsEh ----

TCustomDynVarsEh::TCustomDynVarsEh(TPersistent* owner, TClass itemClass)
    : TCollection(itemClass), owner_(owner) {
  dummyVar_ = TCustomDynVarEh::CreateAsDummy(itemClass, this);
}

TCustomDynVarsEh::~TCustomDynVarsEh() {
  Clear();
  delete dummyVar_;
}

void TCustomDynVarsEh::DuplicateNameError(const String& name) {
  throw Exception(Format(GetGridLibLanguageConsts()->GetDuplicateVarNameEh(), {name}));
}

TCustomDynVarEh* TCustomDynVarsEh::CreateDynVar(const String& varName, const Variant& value) {
  if (FindDynVar(varName)) DuplicateNameError(varName);
  auto* var = static_cast<TCustomDynVarEh*>(Add());
  var->name_ = varName;
  var->data_ = value;
  var->Changed(false);
  return var;
}

TCustomDynVarEh* TCustomDynVarsEh::CreateDynVar(const String& varName, TObject* value) {
  return CreateDynVar(varName, Variant::FromObject(value));
}

TCustomDynVarEh* TCustomDynVarsEh::FindDynVar(const String& varName) const {
  for (int i = 0; i < GetCount(); ++i) {
    TCustomDynVarEh* var = GetItem(i);
    if (SameText(var->name_, varName)) return var;
  }
  return nullptr;
}

TCustomDynVarEh* TCustomDynVarsEh::GetDynVar(const String& varName) {
  if (TCustomDynVarEh* var = FindDynVar(varName)) return var;
  dummyVar_->name_ = varName;
  return dummyVar_;
}

void TCustomDynVarsEh::AddDynVar(TCustomDynVarEh* value) {
  TCustomDynVarEh* other = FindDynVar(value->name_);
  if (other && other != value) DuplicateNameError(value->name_);
  value->SetCollection(this);
}

void TCustomDynVarsEh::RemoveDynVar(TCustomDynVarEh* value) {
  if (value->GetCollection() == this) value->SetCollection(nullptr);
}

void TCustomDynVarsEh::DeleteDynVar(const String& varName) { delete FindDynVar(varName); }

bool TCustomDynVarsEh::IsEqual(const TCustomDynVarsEh* value) const {
  if (GetCount() != value->GetCount()) return false;
  for (int i = 0; i < GetCount(); ++i)
    if (!GetItem(i)->SameVarAs(value->GetItem(i))) return false;
  return true;
}

void TCustomDynVarsEh::AssignValues(const TCustomDynVarsEh* value) {
  for (int i = 0; i < value->GetCount(); ++i) {
    TCustomDynVarEh* source = value->GetItem(i);
    if (TCustomDynVarEh* own = FindDynVar(source->name_)) own->Assign(source);
  }
}

void TCustomDynVarsEh::MaterializeDummy(TCustomDynVarEh* var) {
  if (var != dummyVar_) throw Exception(u"DummyVar must be same as collection DummyVar");
  AddDynVar(var);
  var->isDummy_ = false;
  var->ownerWhenDummy_ = nullptr;
  dummyVar_ = TCustomDynVarEh::CreateAsDummy(GetItemClass(), this);
}

void TCustomDynVarsEh::Update(TCollectionItem*) {
  if (OnChange) OnChange(this);
}

void TCustomDynVarsEh::AssignTo(TPersistent* dest) const {
  if (auto* target = dynamic_cast<TCustomDynVarsEh*>(dest)) {
    target->Assign(const_cast<TCustomDynVarsEh*>(this));
    return;
  }
  TCollection::AssignTo(dest);
}

// ---- TStringVarsEh ----

String TStringVarsEh::GetVarValue(const String& varName) const {
  TStringVarEh* var = FindDynVar(varName);
  if (!var)
    throw Exception(
        Format(u"A Variable named '%s' doesn't exist in the Collection '%s'", {varName, u"TStringVarsEh"}));
  return var->GetValue();
}

void TStringVarsEh::SetVarValue(const String& varName, const String& value) {
  TStringVarEh* var = FindDynVar(varName);
  if (!var)
    throw Exception(
        Format(u"A Variable named '%s' doesn't exist in the Collection '%s'", {varName, u"TStringVarsEh"}));
  var->SetValue(value);
}

String TStringVarsEh::GetAsTextString() const {
  String text;
  for (int i = 0; i < GetCount(); ++i) {
    TStringVarEh* var = GetItem(i);
    text += var->GetName() + u"=" + var->GetValue() + u"\r\n";
  }
  return text;
}

void TStringVarsEh::SetFromTextString(const String& textString) {
  BeginUpdate();
  // EndUpdate tells the listeners, which may raise.
  TryFinally(
      [&] {
        Clear();
        TStringList lines;
        lines.SetText(textString);
        for (int i = 0; i < lines.GetCount(); ++i) {
          const String& line = lines.Get(i);
          const size_t eq = line.find(u'=');
          if (eq == String::npos)
            CreateDynVar(line, String());
          else
            CreateDynVar(line.substr(0, eq), line.substr(eq + 1));
        }
      },
      [&] { EndUpdate(); });
}
