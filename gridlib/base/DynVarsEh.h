// Named-variable bags: ordered, case-insensitively named variant values that editors and columns hand
// to the drop-down forms they open. Reading a missing name answers a placeholder that joins the bag on
// its first write.
#pragma once

#include "platform/classes/Collection.h"
#include "platform/classes/Delegate.h"
#include "platform/classes/Lists.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/Variant.h"

class TCustomDynVarsEh;
class TDynVarsEh;

class TCustomDynVarEh : public TCollectionItem {
  KIV_CLASS(TCustomDynVarEh, TCollectionItem)
 public:
  explicit TCustomDynVarEh(TCollection* collection);
  // A placeholder: belongs to no collection until its first write.
  static TCustomDynVarEh* CreateAsDummy(TClass varClass, TCustomDynVarsEh* ownerWhenDummy);

  TCustomDynVarsEh* VarCollection() const;
  const String& GetName() const { return name_; }
  // Raises the duplicate-name message when another variable of the bag has the name.
  void SetName(const String& value);
  // The value back to Unassigned, without change notification.
  void Clear() { data_ = Variant(); }
  bool SameVarAs(const TCustomDynVarEh* other) const;
  bool GetIsDummy() const { return isDummy_; }
  const Variant& GetData() const { return data_; }
  String GetDisplayName() const override;

 protected:
  void AssignTo(TPersistent* dest) const override;
  // Turns a placeholder into a real member of its bag; nothing for a real variable.
  void MaterializeIfDummy();
  void StoreValue(const Variant& value, bool notify);
  bool ValueIsNull() const;

 private:
  friend class TCustomDynVarsEh;
  Variant data_;
  bool isDummy_ = false;
  String name_;
  TCustomDynVarsEh* ownerWhenDummy_ = nullptr;
};

class TDynVarEh : public TCustomDynVarEh {
  KIV_CLASS(TDynVarEh, TCustomDynVarEh)
 public:
  explicit TDynVarEh(TCollection* collection) : TCustomDynVarEh(collection) {}
  static void Published(TPropBuilder<TDynVarEh>& p);

  Variant GetValue() const { return GetData(); }
  void SetValue(const Variant& value);
  bool GetAsBoolean() const;
  void SetAsBoolean(bool value);
  Currency GetAsCurrency() const;
  void SetAsCurrency(Currency value);
  TDateTime GetAsDateTime() const;
  void SetAsDateTime(TDateTime value);
  double GetAsFloat() const;
  void SetAsFloat(double value);
  Integer GetAsInteger() const;
  void SetAsInteger(Integer value);
  TObject* GetAsRefObject() const;
  void SetAsRefObject(TObject* value);
  String GetAsString() const;
  // Stores the text without change notification.
  void SetAsString(const String& value);
  // Unassigned (under the variant comparison, so also 0 and ""), Null or clear.
  bool GetIsNull() const { return ValueIsNull(); }
};

class TStringVarEh : public TCustomDynVarEh {
  KIV_CLASS(TStringVarEh, TCustomDynVarEh)
 public:
  explicit TStringVarEh(TCollection* collection) : TCustomDynVarEh(collection) {}
  static void Published(TPropBuilder<TStringVarEh>& p);

  String GetValue() const { return VarToStr(GetData()); }
  void SetValue(const String& value);
};

class TCustomDynVarsEh : public TCollection {
  KIV_CLASS(TCustomDynVarsEh, TCollection)
 public:
  explicit TCustomDynVarsEh(TPersistent* owner) : TCustomDynVarsEh(owner, TCustomDynVarEh::StaticClass()) {}
  ~TCustomDynVarsEh() override;

  TPersistent* GetOwner() const override { return owner_; }
  virtual TClass GetDynVarClass() const { return TCustomDynVarEh::StaticClass(); }

  // Raises the duplicate-name message when the name is taken.
  TCustomDynVarEh* CreateDynVar(const String& varName, const Variant& value);
  TCustomDynVarEh* CreateDynVar(const String& varName, TObject* value);
  // Case-insensitive; nil when absent.
  TCustomDynVarEh* FindDynVar(const String& varName) const;
  bool VarExists(const String& varName) const { return FindDynVar(varName) != nullptr; }
  // The variable, or the placeholder carrying the name.
  TCustomDynVarEh* GetDynVar(const String& varName);
  TCustomDynVarEh* GetItem(int index) const {
    return static_cast<TCustomDynVarEh*>(TCollection::GetItem(index));
  }
  void SetItem(int index, TCustomDynVarEh* value) { TCollection::SetItem(index, value); }
  void AddDynVar(TCustomDynVarEh* value);
  void RemoveDynVar(TCustomDynVarEh* value);
  void DeleteDynVar(const String& varName);
  bool IsEqual(const TCustomDynVarsEh* value) const;
  void AssignValues(const TCustomDynVarsEh* value);
  TCustomDynVarEh* GetDummyVar() const { return dummyVar_; }

  TNotifyEvent OnChange;

 protected:
  // The placeholder is of itemClass: a base constructor cannot ask the virtual GetDynVarClass.
  TCustomDynVarsEh(TPersistent* owner, TClass itemClass);
  void Update(TCollectionItem* item) override;
  void AssignTo(TPersistent* dest) const override;

 private:
  friend class TCustomDynVarEh;
  void MaterializeDummy(TCustomDynVarEh* var);
  [[noreturn]] static void DuplicateNameError(const String& name);

  TCustomDynVarEh* dummyVar_ = nullptr;
  TPersistent* owner_;
};

class TDynVarsEh : public TCustomDynVarsEh {
  KIV_CLASS(TDynVarsEh, TCustomDynVarsEh)
 public:
  explicit TDynVarsEh(TPersistent* owner) : TCustomDynVarsEh(owner, TDynVarEh::StaticClass()) {}
  TClass GetDynVarClass() const override { return TDynVarEh::StaticClass(); }

  TDynVarEh* CreateDynVar(const String& varName, const Variant& value) {
    return static_cast<TDynVarEh*>(TCustomDynVarsEh::CreateDynVar(varName, value));
  }
  TDynVarEh* CreateDynVar(const String& varName, TObject* value) {
    return static_cast<TDynVarEh*>(TCustomDynVarsEh::CreateDynVar(varName, value));
  }
  TDynVarEh* FindDynVar(const String& varName) const {
    return static_cast<TDynVarEh*>(TCustomDynVarsEh::FindDynVar(varName));
  }
  TDynVarEh* GetDynVar(const String& varName) {
    return static_cast<TDynVarEh*>(TCustomDynVarsEh::GetDynVar(varName));
  }
  TDynVarEh* GetItem(int index) const { return static_cast<TDynVarEh*>(TCustomDynVarsEh::GetItem(index)); }
};

class TStringVarsEh : public TCustomDynVarsEh {
  KIV_CLASS(TStringVarsEh, TCustomDynVarsEh)
 public:
  explicit TStringVarsEh(TPersistent* owner) : TCustomDynVarsEh(owner, TStringVarEh::StaticClass()) {}
  TClass GetDynVarClass() const override { return TStringVarEh::StaticClass(); }

  TStringVarEh* CreateDynVar(const String& varName, const String& value) {
    return static_cast<TStringVarEh*>(TCustomDynVarsEh::CreateDynVar(varName, Variant(value)));
  }
  TStringVarEh* FindDynVar(const String& varName) const {
    return static_cast<TStringVarEh*>(TCustomDynVarsEh::FindDynVar(varName));
  }
  TStringVarEh* GetDynVar(const String& varName) {
    return static_cast<TStringVarEh*>(TCustomDynVarsEh::GetDynVar(varName));
  }
  TStringVarEh* GetItem(int index) const {
    return static_cast<TStringVarEh*>(TCustomDynVarsEh::GetItem(index));
  }

  // A missing name raises "A Variable named '%s' doesn't exist in the Collection '%s'".
  String GetVarValue(const String& varName) const;
  void SetVarValue(const String& varName, const String& value);
  // One "name=value" line per variable, each ending with CR LF.
  String GetAsTextString() const;
  // Rebuilds the bag from such lines; a repeated name raises and keeps the variables made before it.
  void SetFromTextString(const String& textString);
};

// A component that takes a bag: it keeps the reference and neither copies nor owns it.
class IDynParamsInteractableEh : public IInterface {
 public:
  virtual void SetDynParams(TDynVarsEh* dynParams) = 0;
  virtual void GetDynParams(TDynVarsEh*& dynParams) = 0;
};
