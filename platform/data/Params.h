// Query and command parameters: TParam holds a typed value (or null) bound by name; TParams is the
// collection with ParamByName and the value helpers providers use.
#pragma once

#include "platform/classes/Collection.h"
#include "platform/data/DBTypes.h"
#include "platform/rtl/Bcd.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/Variant.h"

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

// The field type a value of this variant type binds as, ftUnknown for one no field holds. Arrays are
// the caller's choice (a blob parameter or a var-bytes one).
TFieldType VarTypeToDataType(TVarType varType);

class TParam : public TCollectionItem {
  KIV_CLASS(TParam, TCollectionItem)
 public:
  explicit TParam(TCollection* collection);

  static void Published(TPropBuilder<TParam>& p);

  const String& GetName() const { return name_; }
  void SetName(const String& value) { name_ = value; }
  String GetDisplayName() const override;
  TFieldType GetDataType() const { return dataType_; }
  // Changing the type converts the value held to it (or clears it when it does not convert).
  void SetDataType(TFieldType value);
  TParamType GetParamType() const { return paramType_; }
  void SetParamType(TParamType value) { paramType_ = value; }
  // True once a value was given (null included).
  bool GetBound() const { return bound_; }
  void SetBound(bool value) { bound_ = value; }
  Integer GetSize() const { return size_; }
  void SetSize(Integer value) { size_ = value; }
  Integer GetPrecision() const { return precision_; }
  void SetPrecision(Integer value) { precision_ = value; }
  Integer GetNumericScale() const { return numericScale_; }
  void SetNumericScale(Integer value) { numericScale_ = value; }

  // Setting a value of another kind sets DataType from it when DataType is ftUnknown.
  const Variant& GetValue() const { return value_; }
  void SetValue(const Variant& value);
  bool GetIsNull() const { return VarIsNull(value_) || VarIsEmpty(value_); }
  bool IsNull() const { return GetIsNull(); }
  void Clear();

  String GetAsString() const;
  void SetAsString(const String& value);
  Integer GetAsInteger() const;
  void SetAsInteger(Integer value);
  Int64 GetAsLargeInt() const;
  void SetAsLargeInt(Int64 value);
  double GetAsFloat() const;
  void SetAsFloat(double value);
  Currency GetAsCurrency() const;
  void SetAsCurrency(Currency value);
  TBcd GetAsBCD() const;
  void SetAsBCD(const TBcd& value);
  TBcd GetAsFMTBCD() const { return GetAsBCD(); }
  void SetAsFMTBCD(const TBcd& value);
  bool GetAsBoolean() const;
  void SetAsBoolean(bool value);
  TDateTime GetAsDateTime() const;
  void SetAsDateTime(TDateTime value);
  void SetAsDate(TDateTime value);
  void SetAsTime(TDateTime value);
  String GetAsMemo() const { return GetAsString(); }
  void SetAsMemo(const String& value);
  TBytes GetAsBytes() const;
  void SetAsBytes(const TBytes& value);
  void SetAsBlob(const TBytes& value);

  // Takes the field's type, size and value (the name too when the parameter has none).
  void AssignField(TField* field);
  void AssignFieldValue(TField* field, const Variant& value);
  // Stores the value into a field.
  void AssignTo(TPersistent* dest) const override;
  void Assign(TPersistent* source) override;

 private:
  String name_;
  TFieldType dataType_ = ftUnknown;
  TParamType paramType_ = ptUnknown;
  bool bound_ = false;
  Integer size_ = 0;
  Integer precision_ = 0;
  Integer numericScale_ = 0;
  Variant value_;
};

class TParams : public TCollection {
  KIV_CLASS(TParams, TCollection)
 public:
  explicit TParams(TPersistent* owner = nullptr);

  TPersistent* GetOwner() const override { return owner_; }
  TParam* GetItem(int index) const { return Items<TParam>(index); }
  TParam* operator[](int index) const { return GetItem(index); }
  TParam* AddParameter();
  TParam* CreateParam(TFieldType dataType, const String& name, TParamType paramType);
  void AddParam(TParam* value);
  void RemoveParam(TParam* value);
  // Case-insensitive; null when absent.
  TParam* FindParam(const String& name) const;
  // Raises EDatabaseError "Parameter '%s' not found".
  TParam* ParamByName(const String& name) const;
  // One value, or a variant array for "a;b".
  Variant GetParamValues(const String& paramNames) const;
  void SetParamValues(const String& paramNames, const Variant& values);
  // Copies the values of the parameters of the same name from source.
  void AssignValues(const TParams* source);
  bool IsEqual(const TParams* other) const;

 private:
  TPersistent* owner_;
};
