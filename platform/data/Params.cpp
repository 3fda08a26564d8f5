// Parameters of queries and commands: typed values, conversions, and lookup by name.
#include "platform/data/Params.h"

#include "platform/data/DBConsts.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Strings.h"

namespace {

TFieldType TypeOfVariant(const Variant& value) {
  if (VarIsArray(value)) return ftBlob;
  return VarTypeToDataType(VarType(value));
}

}  // namespace

TFieldType VarTypeToDataType(TVarType varType) {
  switch (varType & varTypeMask) {
    case varSmallint:
    case varShortInt:
    case varByte:
      return ftSmallint;
    case varWord:
      return ftWord;
    case varInteger:
      return ftInteger;
    case varLongWord:
    case varInt64:
    case varUInt64:
      return ftLargeint;
    case varSingle:
    case varDouble:
      return ftFloat;
    case varCurrency:
      return ftCurrency;
    case varDate:
      return ftDateTime;
    case varBoolean:
      return ftBoolean;
    case varString:
      return ftString;
    case varUString:
    case varOleStr:
      return ftWideString;
    case varFMTBcd:
      return ftFMTBcd;
    case varSQLTimeStamp:
      return ftTimeStamp;
    case varSQLTimeStampOffset:
      return ftTimeStampOffset;
    default:
      return ftUnknown;
  }
}

// ======================= TParam =======================

TParam::TParam(TCollection* collection) : TCollectionItem(collection) {}

void TParam::Published(TPropBuilder<TParam>& p) {
  static const TTypeInfo paramType =
      TTypeInfo::Enum(u"TParamType", {u"ptUnknown", u"ptInput", u"ptOutput", u"ptInputOutput", u"ptResult"});
  p.Str(u"Name", &TParam::GetName, &TParam::SetName);
  p.Enum(u"ParamType", &paramType, &TParam::GetParamType, &TParam::SetParamType).Default(ptUnknown);
  p.Int(u"Size", &TParam::GetSize, &TParam::SetSize).Default(0);
  p.Int(u"Precision", &TParam::GetPrecision, &TParam::SetPrecision).Default(0);
  p.Int(u"NumericScale", &TParam::GetNumericScale, &TParam::SetNumericScale).Default(0);
  p.Var(u"Value", &TParam::GetValue, &TParam::SetValue);
}

String TParam::GetDisplayName() const { return name_.empty() ? TCollectionItem::GetDisplayName() : name_; }

void TParam::SetDataType(TFieldType value) {
  if (value == dataType_) return;
  dataType_ = value;
  if (GetIsNull()) return;
  try {
    switch (value) {
      case ftString:
      case ftWideString:
      case ftFixedChar:
      case ftFixedWideChar:
      case ftMemo:
      case ftWideMemo:
        value_ = VarToStr(value_);
        break;
      case ftSmallint:
      case ftInteger:
      case ftWord:
      case ftAutoInc:
        value_ = VarAsType(value_, varInteger);
        break;
      case ftLargeint:
        value_ = VarAsType(value_, varInt64);
        break;
      case ftFloat:
        value_ = VarAsType(value_, varDouble);
        break;
      case ftCurrency:
      case ftBCD:
        value_ = VarAsType(value_, varCurrency);
        break;
      case ftBoolean:
        value_ = VarAsType(value_, varBoolean);
        break;
      case ftDate:
      case ftTime:
      case ftDateTime:
        value_ = VarAsType(value_, varDate);
        break;
      default:
        break;
    }
  } catch (const Exception&) {
    value_ = Null();
  }
}

void TParam::SetValue(const Variant& value) {
  value_ = value;
  if (dataType_ == ftUnknown) dataType_ = TypeOfVariant(value);
  bound_ = true;
}

void TParam::Clear() {
  value_ = Null();
  bound_ = true;
}

String TParam::GetAsString() const { return GetIsNull() ? String() : VarToStr(value_); }

void TParam::SetAsString(const String& value) {
  value_ = value;
  if (dataType_ == ftUnknown) dataType_ = ftString;
  bound_ = true;
}

Integer TParam::GetAsInteger() const { return GetIsNull() ? 0 : value_.AsInteger(); }

void TParam::SetAsInteger(Integer value) {
  value_ = value;
  dataType_ = ftInteger;
  bound_ = true;
}

Int64 TParam::GetAsLargeInt() const { return GetIsNull() ? 0 : value_.AsInt64(); }

void TParam::SetAsLargeInt(Int64 value) {
  value_ = value;
  dataType_ = ftLargeint;
  bound_ = true;
}

double TParam::GetAsFloat() const { return GetIsNull() ? 0 : value_.AsDouble(); }

void TParam::SetAsFloat(double value) {
  value_ = value;
  dataType_ = ftFloat;
  bound_ = true;
}

Currency TParam::GetAsCurrency() const { return GetIsNull() ? Currency() : value_.AsCurrency(); }

void TParam::SetAsCurrency(Currency value) {
  value_ = value;
  dataType_ = ftCurrency;
  bound_ = true;
}

TBcd TParam::GetAsBCD() const { return GetIsNull() ? TBcd() : value_.AsBcd(); }

void TParam::SetAsBCD(const TBcd& value) {
  Currency c;
  value_ = BcdToCurr(value, c) ? Variant(c) : VarFMTBcdCreate(value);
  dataType_ = ftBCD;
  bound_ = true;
}

void TParam::SetAsFMTBCD(const TBcd& value) {
  value_ = VarFMTBcdCreate(value);
  dataType_ = ftFMTBcd;
  bound_ = true;
}

bool TParam::GetAsBoolean() const { return !GetIsNull() && value_.AsBoolean(); }

void TParam::SetAsBoolean(bool value) {
  value_ = value;
  dataType_ = ftBoolean;
  bound_ = true;
}

TDateTime TParam::GetAsDateTime() const { return GetIsNull() ? 0 : VarToDateTime(value_); }

void TParam::SetAsDateTime(TDateTime value) {
  value_ = Variant::FromDate(value);
  dataType_ = ftDateTime;
  bound_ = true;
}

void TParam::SetAsDate(TDateTime value) {
  value_ = Variant::FromDate(DateOf(value));
  dataType_ = ftDate;
  bound_ = true;
}

void TParam::SetAsTime(TDateTime value) {
  value_ = Variant::FromDate(TimeOf(value));
  dataType_ = ftTime;
  bound_ = true;
}

void TParam::SetAsMemo(const String& value) {
  value_ = value;
  dataType_ = ftMemo;
  bound_ = true;
}

TBytes TParam::GetAsBytes() const { return GetIsNull() ? TBytes() : VarToBytes(value_); }

void TParam::SetAsBytes(const TBytes& value) {
  value_ = VarArrayOfBytes(value);
  dataType_ = ftVarBytes;
  bound_ = true;
}

void TParam::SetAsBlob(const TBytes& value) {
  value_ = VarArrayOfBytes(value);
  dataType_ = ftBlob;
  bound_ = true;
}

void TParam::AssignField(TField* field) {
  if (!field) return;
  if (name_.empty()) name_ = field->GetFieldName();
  AssignFieldValue(field, field->GetAsVariant());
}

void TParam::AssignFieldValue(TField* field, const Variant& value) {
  if (!field) return;
  dataType_ = field->GetDataType() == ftAutoInc ? ftInteger : field->GetDataType();
  size_ = field->GetSize();
  if (auto* bcd = dynamic_cast<TBCDField*>(field)) {
    precision_ = bcd->GetPrecision();
    numericScale_ = bcd->GetSize();
  }
  value_ = VarIsEmpty(value) ? Null() : value;
  bound_ = true;
}

void TParam::AssignTo(TPersistent* dest) const {
  if (auto* field = dynamic_cast<TField*>(dest)) {
    field->SetAsVariant(value_);
    return;
  }
  TCollectionItem::AssignTo(dest);
}

void TParam::Assign(TPersistent* source) {
  if (auto* param = dynamic_cast<TParam*>(source)) {
    if (name_.empty()) name_ = param->name_;
    dataType_ = param->dataType_;
    paramType_ = param->paramType_;
    bound_ = param->bound_;
    size_ = param->size_;
    precision_ = param->precision_;
    numericScale_ = param->numericScale_;
    value_ = param->value_;
    return;
  }
  if (auto* field = dynamic_cast<TField*>(source)) {
    AssignField(field);
    return;
  }
  TCollectionItem::Assign(source);
}

// ======================= TParams =======================

TParams::TParams(TPersistent* owner) : TCollection(TParam::StaticClass()), owner_(owner) {}

TParam* TParams::AddParameter() { return static_cast<TParam*>(TCollection::Add()); }

TParam* TParams::CreateParam(TFieldType dataType, const String& name, TParamType paramType) {
  TParam* param = AddParameter();
  param->SetName(name);
  param->SetDataType(dataType);
  param->SetParamType(paramType);
  return param;
}

void TParams::AddParam(TParam* value) { value->SetCollection(this); }

void TParams::RemoveParam(TParam* value) { value->SetCollection(nullptr); }

TParam* TParams::FindParam(const String& name) const {
  for (int i = 0; i < GetCount(); ++i)
    if (AnsiSameText(GetItem(i)->GetName(), name)) return GetItem(i);
  return nullptr;
}

TParam* TParams::ParamByName(const String& name) const {
  TParam* param = FindParam(name);
  if (!param) DatabaseErrorFmt(SParameterNotFound, {name}, dynamic_cast<TComponent*>(owner_));
  return param;
}

Variant TParams::GetParamValues(const String& paramNames) const {
  std::vector<String> names = SplitFieldNames(paramNames);
  if (names.size() == 1 && paramNames.find(u';') == String::npos) return ParamByName(names[0])->GetValue();
  std::vector<Variant> values;
  for (const String& name : names) values.push_back(ParamByName(name)->GetValue());
  return VarArrayOf(values);
}

void TParams::SetParamValues(const String& paramNames, const Variant& values) {
  std::vector<String> names = SplitFieldNames(paramNames);
  if (names.size() == 1 && !VarIsArray(values)) {
    ParamByName(names[0])->SetValue(values);
    return;
  }
  for (size_t i = 0; i < names.size(); ++i)
    ParamByName(names[i])->SetValue(VarArrayGet(values, VarArrayLowBound(values, 1) + static_cast<int>(i)));
}

void TParams::AssignValues(const TParams* source) {
  for (int i = 0; i < source->GetCount(); ++i) {
    TParam* from = source->GetItem(i);
    if (TParam* to = FindParam(from->GetName())) to->Assign(from);
  }
}

bool TParams::IsEqual(const TParams* other) const {
  if (!other || other->GetCount() != GetCount()) return false;
  for (int i = 0; i < GetCount(); ++i) {
    TParam* a = GetItem(i);
    TParam* b = other->GetItem(i);
    if (a->GetName() != b->GetName() || a->GetDataType() != b->GetDataType() ||
        a->GetParamType() != b->GetParamType() || a->GetBound() != b->GetBound())
      return false;
    if (!VarSameValue(a->GetValue(), b->GetValue()) &&
        !(VarIsEmptyOrNull(a->GetValue()) && VarIsEmptyOrNull(b->GetValue())))
      return false;
  }
  return true;
}
