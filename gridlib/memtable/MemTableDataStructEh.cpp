// The record store's field definitions and its data structure: field classes per type, published
// settings, restructuring with records following their fields by GUID.
#include <algorithm>
#include <cmath>

#include "gridlib/memtable/MemTableDataEh.h"
#include "platform/classes/SpecialFolders.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"

namespace {

const TTypeInfo* StringDataTypeInfo() {
  static const TTypeInfo info =
      TTypeInfo::Enum(u"TStringDataFieldTypesEh", {u"fdtStringEh", u"fdtFixedCharEh", u"fdtWideStringEh",
                                                   u"fdtGuidEh", u"fdtFixedWideCharEh", u"fdtOraIntervalEh"});
  return &info;
}
const TTypeInfo* NumericDataTypeInfo() {
  static const TTypeInfo info =
      TTypeInfo::Enum(u"TNumericDataFieldTypesEh",
                      {u"fdtSmallintEh", u"fdtIntegerEh", u"fdtWordEh", u"fdtFloatEh", u"fdtCurrencyEh",
                       u"fdtBCDEh", u"fdtAutoIncEh", u"fdtLargeintEh", u"fdtFMTBcdEh", u"fdtLongWordEh",
                       u"fdtShortintEh", u"fdtByteEh", u"fdtExtendedEh", u"fdtSingleEh"});
  return &info;
}
const TTypeInfo* DateTimeDataTypeInfo() {
  static const TTypeInfo info =
      TTypeInfo::Enum(u"TDateTimeDataFieldTypesEh", {u"fdtDateEh", u"fdtTimeEh", u"fdtDateTimeEh"});
  return &info;
}
const TTypeInfo* InterfaceDataTypeInfo() {
  static const TTypeInfo info =
      TTypeInfo::Enum(u"TInterfaceDataFieldTypesEh", {u"fdtInterfaceEh", u"fdtIDispatchEh"});
  return &info;
}
const TTypeInfo* VariantDataTypeInfo() {
  static const TTypeInfo info =
      TTypeInfo::Enum(u"TVariantDataFieldTypesEh", {u"fdtVariant", u"fdtBytes", u"fdtVarBytes"});
  return &info;
}
const TTypeInfo* TimeStampDataTypeInfo() {
  static const TTypeInfo info = TTypeInfo::Enum(
      u"TSQLTimeStampDataFieldTypesEh", {u"fdtTimeStampEh", u"fdtOraTimeStampEh", u"fdtTimeStampOffsetEh"});
  return &info;
}
// The field types by name, in declaration order, for the blob type property.

constexpr TFieldType kStringTypes[] = {ftString, ftFixedChar,     ftWideString,
                                       ftGuid,   ftFixedWideChar, ftOraInterval};
constexpr TFieldType kNumericTypes[] = {ftSmallint, ftInteger, ftWord,     ftFloat,  ftCurrency,
                                        ftBCD,      ftAutoInc, ftLargeint, ftFMTBcd, ftLongWord,
                                        ftShortint, ftByte,    ftExtended, ftSingle};
constexpr TFieldType kDateTimeTypes[] = {ftDate, ftTime, ftDateTime};
constexpr TFieldType kInterfaceTypes[] = {ftInterface, ftIDispatch};
constexpr TFieldType kVariantTypes[] = {ftVariant, ftBytes, ftVarBytes};
constexpr TFieldType kTimeStampTypes[] = {ftTimeStamp, ftOraTimeStamp, ftTimeStampOffset};

template <size_t N>
int SubtypeOf(const TFieldType (&types)[N], TFieldType type) {
  for (size_t i = 0; i < N; ++i)
    if (types[i] == type) return static_cast<int>(i);
  return -1;
}

[[noreturn]] void CannotAssignDataType() { throw Exception(u"Can not assign DataType from Field"); }

String NewGuidText() {
  TGUID guid;
  CreateGUID(guid);
  return GUIDToString(guid);
}

bool IsIdentChar(Char c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}

String FilterIdentChars(const String& text) {
  String result;
  for (Char c : text)
    if (IsIdentChar(c)) result += c;
  return result;
}

bool SameTextAscii(const String& a, const String& b) { return SameText(a, b); }

}  // namespace

// ---- Field type tables ----

TMTDataFieldClassEh DefaultDataFieldClassForFieldTypeEh(TFieldType fieldType) {
  if (fieldType == ftUnknown) return TMTRefObjectFieldEh::StaticClass();
  if (SubtypeOf(kStringTypes, fieldType) >= 0) return TMTStringDataFieldEh::StaticClass();
  if (SubtypeOf(kNumericTypes, fieldType) >= 0) return TMTNumericDataFieldEh::StaticClass();
  if (fieldType == ftBoolean) return TMTBooleanDataFieldEh::StaticClass();
  if (SubtypeOf(kDateTimeTypes, fieldType) >= 0) return TMTDateTimeDataFieldEh::StaticClass();
  if (SubtypeOf(kVariantTypes, fieldType) >= 0) return TMTVariantDataFieldEh::StaticClass();
  if (SubtypeOf(kInterfaceTypes, fieldType) >= 0) return TMTInterfaceDataFieldEh::StaticClass();
  if (SubtypeOf(kTimeStampTypes, fieldType) >= 0) return TMTSQLTimeStampDataFieldEh::StaticClass();
  switch (fieldType) {
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
    case ftOraClob:
    case ftWideMemo:
      return TMTBlobDataFieldEh::StaticClass();
    default:
      return nullptr;
  }
}

TVarType DefaultVarDataTypeForFieldTypeEh(TFieldType fieldType) {
  switch (fieldType) {
    case ftString:
    case ftMemo:
    case ftFmtMemo:
    case ftFixedChar:
    case ftOraClob:
    case ftGuid:
    case ftOraInterval:
      return varString;
    case ftWideString:
      return varUString;
    case ftFixedWideChar:
    case ftWideMemo:
      return varOleStr;
    case ftSmallint:
      return varSmallint;
    case ftInteger:
    case ftWord:
    case ftAutoInc:
      return varInteger;
    case ftShortint:
      return varShortInt;
    case ftByte:
      return varByte;
    case ftLongWord:
      return varLongWord;
    case ftLargeint:
      return varInt64;
    case ftSingle:
      return varSingle;
    case ftFloat:
    case ftExtended:
      return varDouble;
    case ftCurrency:
    case ftBCD:
      return varCurrency;
    case ftBoolean:
      return varBoolean;
    case ftDate:
    case ftTime:
    case ftDateTime:
      return varDate;
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
      return varArray | varByte;
    case ftVariant:
      return varVariant;
    case ftInterface:
      return varUnknown;
    case ftIDispatch:
      return varDispatch;
    case ftTimeStamp:
    case ftOraTimeStamp:
      return varSQLTimeStamp;
    case ftTimeStampOffset:
      return varSQLTimeStampOffset;
    case ftFMTBcd:
      return varFMTBcd;
    case ftObject:
      return varEmpty;
    default:
      return varError;
  }
}

// ---- TMTDataFieldEh ----

TMTDataFieldEh::TMTDataFieldEh(TComponent* owner) : TComponent(owner), guid_(NewGuidText()) {
  UpdateVarDataType();
}

TMTDataFieldEh::~TMTDataFieldEh() {
  if (dataStruct_) dataStruct_->UnlinkField(this);
}

void TMTDataFieldEh::Published(TPropBuilder<TMTDataFieldEh>& p) {
  p.Str(u"FieldName", &TMTDataFieldEh::GetFieldName, &TMTDataFieldEh::SetFieldName);
  p.Bool(u"Calculated", &TMTDataFieldEh::GetCalculated, &TMTDataFieldEh::SetCalculated).Default(false);
}

namespace {
// The settings all typed classes publish; mask and default expression where the class has them.
template <class T>
void PublishCommon(TPropBuilder<T>& p, bool defaultExpression, bool editMask, TAlignment defaultAlignment) {
  p.Enum(u"Alignment", TypeInfoAlignment(), &T::GetAlignment, &T::SetAlignment).Default(defaultAlignment);
  if (defaultExpression) p.Str(u"DefaultExpression", &T::GetDefaultExpression, &T::SetDefaultExpression);
  p.Str(u"DisplayLabel", &T::GetDisplayLabel, &T::SetDisplayLabel);
  p.Int(
       u"DisplayWidth", [](const T* f) { return f->GetDisplayWidth(); }, &T::SetDisplayWidth)
      .Stored(std::function<bool(const TObject*)>(
          [](const TObject* o) { return static_cast<const T*>(o)->GetStoredDisplayWidth() > 0; }));
  if (editMask) p.Str(u"EditMask", &T::GetEditMask, &T::SetEditMask);
  p.Bool(u"Required", &T::GetRequired, &T::SetRequired).Default(false);
  p.Bool(u"Visible", &T::GetVisible, &T::SetVisible).Default(true);
}
}  // namespace

Integer TMTDataFieldEh::GetDisplayWidth() const {
  return displayWidth_ >= 1 ? displayWidth_ : GetDefaultWidth();
}

void TMTDataFieldEh::Changed() {
  if (dataStruct_ && dataStruct_->GetUpdateCount() == 0) dataStruct_->StructChanged();
}

#define KIV_MT_SETTER(Name, Member, Type)      \
  void TMTDataFieldEh::Set##Name(Type value) { \
    if (Member == value) return;               \
    Member = value;                            \
    Changed();                                 \
  }
KIV_MT_SETTER(Alignment, alignment_, TAlignment)
KIV_MT_SETTER(AutoIncrement, autoIncrement_, bool)
KIV_MT_SETTER(DefaultExpression, defaultExpression_, const String&)
KIV_MT_SETTER(DisplayLabel, displayLabel_, const String&)
KIV_MT_SETTER(DisplayWidth, displayWidth_, Integer)
KIV_MT_SETTER(EditMask, editMask_, const String&)
KIV_MT_SETTER(ReadOnly, readOnly_, bool)
KIV_MT_SETTER(Required, required_, bool)
KIV_MT_SETTER(Visible, visible_, bool)
KIV_MT_SETTER(Calculated, calculated_, bool)
#undef KIV_MT_SETTER

void TMTDataFieldEh::SetSize(Integer value) {
  if (!CanDinaSize()) DatabaseError(SInvalidFieldSize);
  if (size_ == value) return;
  size_ = value;
  Changed();
}

void TMTDataFieldEh::SetFieldName(const String& value) {
  if (fieldName_ == value) return;
  if (dataStruct_ && dataStruct_->GetMemTableData())
    dataStruct_->GetMemTableData()->DataFieldRenaming(this, value);
  if (dataStruct_ && !AnsiSameText(fieldName_, value)) dataStruct_->CheckFieldName(value);
  fieldName_ = value;
  // A name read from a stream is kept: renaming while loading would drift on every save and load.
  if (!GetComponentState().Contains(csLoading)) SetName(MakeComponentName(value));
  Changed();
}

String TMTDataFieldEh::MakeComponentName(const String& fieldName) const {
  String base = FilterIdentChars(fieldName);
  if (base.empty() || (base[0] >= u'0' && base[0] <= u'9')) {
    String prefix = ClassName();
    if (!prefix.empty() && prefix[0] == u'T') prefix.erase(0, 1);
    base = FilterIdentChars(prefix + base);
  }
  const TMTDataStructEh* ds = dynamic_cast<const TMTDataStructEh*>(GetOwner());
  if (!ds) ds = dataStruct_;
  auto taken = [ds](const String& name) {
    if (!ds) return false;
    for (Integer i = 0; i < ds->GetComponentCount(); ++i)
      if (dynamic_cast<TMTDataFieldEh*>(ds->GetComponent(i)) &&
          AnsiSameText(ds->GetComponent(i)->GetName(), name))
        return true;
    return false;
  };
  if (!taken(base)) return base;
  for (int n = 2;; ++n) {
    String candidate = base + IntToStr(n);
    if (!taken(candidate)) return candidate;
  }
}

TVarType TMTDataFieldEh::GetVarDataType() const { return DefaultVarDataTypeForFieldTypeEh(GetDataType()); }

void TMTDataFieldEh::AssignDataType(TFieldType) { throw Exception(u"Can't assign DataType from Field"); }

void TMTDataFieldEh::SetDataStruct(TMTDataStructEh* value) {
  if (dataStruct_ == value) return;
  if (dataStruct_) dataStruct_->RemoveField(this);
  if (value) value->InsertField(this);
}

Integer TMTDataFieldEh::GetIndex() const { return dataStruct_ ? dataStruct_->list_.IndexOf(this) : -1; }

void TMTDataFieldEh::SetIndex(Integer value) {
  if (!dataStruct_) return;
  dataStruct_->MoveField(this, value);
}

TComponent* TMTDataFieldEh::GetParentComponent() const { return dataStruct_; }

void TMTDataFieldEh::SetParentComponent(TComponent* parent) {
  if (GetComponentState().Contains(csLoading)) return;
  SetDataStruct(dynamic_cast<TMTDataStructEh*>(parent));
}

void TMTDataFieldEh::ReadState(TReader* reader) {
  TComponent::ReadState(reader);
  if (auto* ds = dynamic_cast<TMTDataStructEh*>(reader->GetParent())) {
    // Fields built from dataset fields may have no name; a named one must not repeat another's.
    if (!fieldName_.empty()) ds->CheckFieldName(fieldName_);
    if (dataStruct_ != ds) ds->InsertField(this);
  }
}

void TMTDataFieldEh::AssignCommon(TMTDataFieldEh* source) {
  SetFieldName(source->GetFieldName());
  if (CanDinaSize() && source->CanDinaSize()) SetSize(source->GetSize());
  SetAlignment(source->GetAlignment());
  SetDefaultExpression(source->GetDefaultExpression());
  SetDisplayLabel(source->GetDisplayLabel());
  SetDisplayWidth(source->displayWidth_);
  SetEditMask(source->GetEditMask());
  SetRequired(source->GetRequired());
  SetVisible(source->GetVisible());
  SetAutoIncrement(source->GetAutoIncrement());
  SetCalculated(source->GetCalculated());
}

void TMTDataFieldEh::Assign(TPersistent* source) {
  if (auto* field = dynamic_cast<TMTDataFieldEh*>(source)) {
    AssignCommon(field);
    return;
  }
  TComponent::Assign(source);
}

void TMTDataFieldEh::AssignProps(TField* field) {
  SetAlignment(field->GetAlignment());
  SetDefaultExpression(field->GetDefaultExpression());
  SetDisplayLabel(field->GetDisplayLabel());
  SetDisplayWidth(field->GetDisplayWidth());
  SetEditMask(field->GetEditMask());
  SetRequired(field->GetRequired());
  if (field->GetAutoGenerateValue() == arAutoInc) SetAutoIncrement(true);
  if (CanDinaSize()) SetSize(field->GetSize());
  SetVisible(field->GetVisible());
  SetCalculated(field->GetFieldKind() == fkInternalCalc);
}

void TMTDataFieldEh::AssignPropsTo(TField* field) {
  field->SetAlignment(GetAlignment());
  field->SetDefaultExpression(GetDefaultExpression());
  field->SetDisplayLabel(GetDisplayLabel());
  field->SetDisplayWidth(GetDisplayWidth());
  field->SetEditMask(GetEditMask());
  field->SetRequired(GetRequired());
  if (GetAutoIncrement()) field->SetAutoGenerateValue(arAutoInc);
  if (CanDinaSize()) field->SetSize(GetSize());
  field->SetVisible(GetVisible());
}

// ---- Typed fields ----

TMTStringDataFieldEh::TMTStringDataFieldEh(TComponent* owner) : TMTDataFieldEh(owner) {
  if (GetSize() == 0) SetSize(20);
  UpdateVarDataType();
}

void TMTStringDataFieldEh::Published(TPropBuilder<TMTStringDataFieldEh>& p) {
  PublishCommon(p, true, true, taLeftJustify);
  p.Enum(u"StringDataType", StringDataTypeInfo(), &TMTStringDataFieldEh::GetStringDataType,
         &TMTStringDataFieldEh::SetStringDataType)
      .Default(fdtStringEh);
  p.Bool(u"FixedChar", &TMTStringDataFieldEh::GetFixedChar, &TMTStringDataFieldEh::SetFixedChar)
      .Default(false);
  p.Int(
       u"Size", [](const TMTStringDataFieldEh* f) { return f->GetSize(); }, &TMTStringDataFieldEh::SetSize)
      .Default(20);
  p.Bool(u"Transliterate", &TMTStringDataFieldEh::GetTransliterate, &TMTStringDataFieldEh::SetTransliterate)
      .Default(false);
}

void TMTStringDataFieldEh::SetStringDataType(TStringDataFieldTypesEh value) {
  if (stringDataType_ == value) return;
  stringDataType_ = value;
  if (value == fdtGuidEh) SetSize(38);
  Changed();
  UpdateVarDataType();
}
void TMTStringDataFieldEh::SetFixedChar(bool value) {
  if (fixedChar_ == value) return;
  fixedChar_ = value;
  Changed();
}
void TMTStringDataFieldEh::SetTransliterate(bool value) {
  if (transliterate_ == value) return;
  transliterate_ = value;
  Changed();
}
Integer TMTStringDataFieldEh::GetDefaultWidth() const { return std::min<Integer>(GetSize(), 100); }
TFieldType TMTStringDataFieldEh::GetDataType() const { return kStringTypes[stringDataType_]; }
void TMTStringDataFieldEh::AssignDataType(TFieldType fieldType) {
  int sub = SubtypeOf(kStringTypes, fieldType);
  if (sub < 0) CannotAssignDataType();
  stringDataType_ = static_cast<TStringDataFieldTypesEh>(sub);
  UpdateVarDataType();
}
void TMTStringDataFieldEh::AssignProps(TField* field) {
  TMTDataFieldEh::AssignProps(field);
  if (auto* f = dynamic_cast<TStringField*>(field)) {
    SetFixedChar(f->GetFixedChar());
    SetTransliterate(f->GetTransliterate());
  }
}
void TMTStringDataFieldEh::AssignPropsTo(TField* field) {
  TMTDataFieldEh::AssignPropsTo(field);
  if (auto* f = dynamic_cast<TStringField*>(field)) {
    f->SetFixedChar(GetFixedChar());
    f->SetTransliterate(GetTransliterate());
  }
}
void TMTStringDataFieldEh::Assign(TPersistent* source) {
  TMTDataFieldEh::Assign(source);
  if (auto* f = dynamic_cast<TMTStringDataFieldEh*>(source)) {
    SetStringDataType(f->GetStringDataType());
    SetFixedChar(f->GetFixedChar());
    SetTransliterate(f->GetTransliterate());
  }
}

TMTNumericDataFieldEh::TMTNumericDataFieldEh(TComponent* owner) : TMTDataFieldEh(owner) {
  SetAlignment(taRightJustify);
  precision_ = 15;
  UpdateVarDataType();
}

void TMTNumericDataFieldEh::Published(TPropBuilder<TMTNumericDataFieldEh>& p) {
  using F = TMTNumericDataFieldEh;
  PublishCommon(p, true, true, taRightJustify);
  p.Enum(u"NumericDataType", NumericDataTypeInfo(), &F::GetNumericDataType, &F::SetNumericDataType)
      .Default(fdtSmallintEh);
  p.Bool(
       u"AutoIncrement", [](const F* f) { return f->GetAutoIncrement(); }, &F::SetAutoIncrement)
      .Default(false);
  p.Str(u"DisplayFormat", &F::GetDisplayFormat, &F::SetDisplayFormat);
  p.Str(u"EditFormat", &F::GetEditFormat, &F::SetEditFormat);
  p.Bool(u"currency", &F::GetCurrency, &F::SetCurrency).Default(false);
  p.Double(u"MaxValue", &F::GetMaxValue, &F::SetMaxValue);
  p.Double(u"MinValue", &F::GetMinValue, &F::SetMinValue);
  p.Int(u"Precision", &F::GetPrecision, &F::SetPrecision).NoDefault();
  p.Int(u"Scale", &F::GetScale, &F::SetScale)
      .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
        auto t = static_cast<const F*>(o)->GetNumericDataType();
        return t == fdtBCDEh || t == fdtFMTBcdEh;
      }));
}

void TMTNumericDataFieldEh::SetNumericDataType(TNumericDataFieldTypesEh value) {
  if (numericDataType_ == value) return;
  numericDataType_ = value;
  if (CanDinaSize() && GetSize() == 0) SetSize(GetDefaultSize());
  Changed();
  UpdateVarDataType();
}
#define KIV_MT_NUM_SETTER(Name, Member, Type)         \
  void TMTNumericDataFieldEh::Set##Name(Type value) { \
    if (Member == value) return;                      \
    Member = value;                                   \
    Changed();                                        \
  }
KIV_MT_NUM_SETTER(DisplayFormat, displayFormat_, const String&)
KIV_MT_NUM_SETTER(EditFormat, editFormat_, const String&)
KIV_MT_NUM_SETTER(Currency, currency_, bool)
KIV_MT_NUM_SETTER(MaxValue, maxValue_, Double)
KIV_MT_NUM_SETTER(MinValue, minValue_, Double)
KIV_MT_NUM_SETTER(Precision, precision_, Integer)
#undef KIV_MT_NUM_SETTER

Integer TMTNumericDataFieldEh::GetDefaultSize() const {
  return numericDataType_ == fdtBCDEh || numericDataType_ == fdtFMTBcdEh ? 4 : 0;
}
Integer TMTNumericDataFieldEh::GetDefaultWidth() const {
  if (numericDataType_ == fdtLargeintEh) return 15;
  if ((numericDataType_ == fdtBCDEh || numericDataType_ == fdtFMTBcdEh) && precision_ > 0)
    return precision_ + 1;
  return 10;
}
bool TMTNumericDataFieldEh::CanDinaSize() const {
  return numericDataType_ == fdtBCDEh || numericDataType_ == fdtFMTBcdEh;
}
TFieldType TMTNumericDataFieldEh::GetDataType() const { return kNumericTypes[numericDataType_]; }
void TMTNumericDataFieldEh::AssignDataType(TFieldType fieldType) {
  int sub = SubtypeOf(kNumericTypes, fieldType);
  if (sub < 0) CannotAssignDataType();
  numericDataType_ = static_cast<TNumericDataFieldTypesEh>(sub);
  UpdateVarDataType();
}
void TMTNumericDataFieldEh::AssignProps(TField* field) {
  TMTDataFieldEh::AssignProps(field);
  auto* num = dynamic_cast<TNumericField*>(field);
  if (!num) return;
  SetDisplayFormat(num->GetDisplayFormat());
  SetEditFormat(num->GetEditFormat());
  if (auto* f = dynamic_cast<TIntegerField*>(field)) {
    SetMaxValue(f->GetMaxValue());
    SetMinValue(f->GetMinValue());
  } else if (auto* f = dynamic_cast<TLargeintField*>(field)) {
    SetMaxValue(static_cast<Double>(f->GetMaxValue()));
    SetMinValue(static_cast<Double>(f->GetMinValue()));
  } else if (auto* f = dynamic_cast<TFloatField*>(field)) {
    SetCurrency(f->GetCurrency());
    SetMaxValue(f->GetMaxValue());
    SetMinValue(f->GetMinValue());
    SetPrecision(f->GetPrecision());
  } else if (auto* f = dynamic_cast<TBCDField*>(field)) {
    SetCurrency(f->GetCurrency());
    SetPrecision(f->GetPrecision());
    if (CanDinaSize()) SetScale(f->GetSize());
  }
}
void TMTNumericDataFieldEh::AssignPropsTo(TField* field) {
  TMTDataFieldEh::AssignPropsTo(field);
  auto* num = dynamic_cast<TNumericField*>(field);
  if (!num) return;
  num->SetDisplayFormat(GetDisplayFormat());
  num->SetEditFormat(GetEditFormat());
  if (auto* f = dynamic_cast<TIntegerField*>(field)) {
    f->SetMaxValue(static_cast<Integer>(std::llround(maxValue_)));
    f->SetMinValue(static_cast<Integer>(std::llround(minValue_)));
  } else if (auto* f = dynamic_cast<TLargeintField*>(field)) {
    f->SetMaxValue(std::llround(maxValue_));
    f->SetMinValue(std::llround(minValue_));
  } else if (auto* f = dynamic_cast<TFloatField*>(field)) {
    f->SetCurrency(currency_);
    f->SetMaxValue(maxValue_);
    f->SetMinValue(minValue_);
    f->SetPrecision(precision_);
  } else if (auto* f = dynamic_cast<TBCDField*>(field)) {
    f->SetCurrency(currency_);
    f->SetPrecision(precision_);
    f->SetSize(GetScale());
  }
}
void TMTNumericDataFieldEh::Assign(TPersistent* source) {
  TMTDataFieldEh::Assign(source);
  if (auto* f = dynamic_cast<TMTNumericDataFieldEh*>(source)) {
    SetNumericDataType(f->GetNumericDataType());
    SetDisplayFormat(f->GetDisplayFormat());
    SetEditFormat(f->GetEditFormat());
    SetCurrency(f->GetCurrency());
    SetMaxValue(f->GetMaxValue());
    SetMinValue(f->GetMinValue());
    SetPrecision(f->GetPrecision());
    if (CanDinaSize()) SetScale(f->GetScale());
  }
}

TMTDateTimeDataFieldEh::TMTDateTimeDataFieldEh(TComponent* owner) : TMTDataFieldEh(owner) {
  UpdateVarDataType();
}
void TMTDateTimeDataFieldEh::Published(TPropBuilder<TMTDateTimeDataFieldEh>& p) {
  using F = TMTDateTimeDataFieldEh;
  PublishCommon(p, true, true, taLeftJustify);
  p.Enum(u"DateTimeDataType", DateTimeDataTypeInfo(), &F::GetDateTimeDataType, &F::SetDateTimeDataType)
      .Default(fdtDateEh);
  p.Str(u"DisplayFormat", &F::GetDisplayFormat, &F::SetDisplayFormat);
}
void TMTDateTimeDataFieldEh::SetDateTimeDataType(TDateTimeDataFieldTypesEh value) {
  if (dateTimeDataType_ == value) return;
  dateTimeDataType_ = value;
  Changed();
  UpdateVarDataType();
}
void TMTDateTimeDataFieldEh::SetDisplayFormat(const String& value) {
  if (displayFormat_ == value) return;
  displayFormat_ = value;
  Changed();
}
TFieldType TMTDateTimeDataFieldEh::GetDataType() const { return kDateTimeTypes[dateTimeDataType_]; }
void TMTDateTimeDataFieldEh::AssignDataType(TFieldType fieldType) {
  int sub = SubtypeOf(kDateTimeTypes, fieldType);
  if (sub < 0) CannotAssignDataType();
  dateTimeDataType_ = static_cast<TDateTimeDataFieldTypesEh>(sub);
  UpdateVarDataType();
}
void TMTDateTimeDataFieldEh::AssignProps(TField* field) {
  TMTDataFieldEh::AssignProps(field);
  if (auto* f = dynamic_cast<TDateTimeField*>(field)) SetDisplayFormat(f->GetDisplayFormat());
}
void TMTDateTimeDataFieldEh::AssignPropsTo(TField* field) {
  TMTDataFieldEh::AssignPropsTo(field);
  if (auto* f = dynamic_cast<TDateTimeField*>(field)) f->SetDisplayFormat(displayFormat_);
}
void TMTDateTimeDataFieldEh::Assign(TPersistent* source) {
  TMTDataFieldEh::Assign(source);
  if (auto* f = dynamic_cast<TMTDateTimeDataFieldEh*>(source)) {
    SetDateTimeDataType(f->GetDateTimeDataType());
    SetDisplayFormat(f->GetDisplayFormat());
  }
}

TMTBlobDataFieldEh::TMTBlobDataFieldEh(TComponent* owner) : TMTDataFieldEh(owner) { UpdateVarDataType(); }
void TMTBlobDataFieldEh::Published(TPropBuilder<TMTBlobDataFieldEh>& p) {
  using F = TMTBlobDataFieldEh;
  PublishCommon(p, true, true, taLeftJustify);
  p.Enum(u"BlobType", FieldTypeInfo(), &F::GetBlobType, &F::SetBlobType).Default(ftBlob);
  p.Bool(u"GraphicHeader", &F::GetGraphicHeader, &F::SetGraphicHeader).Default(true);
  p.Bool(u"Transliterate", &F::GetTransliterate, &F::SetTransliterate).Default(false);
}
void TMTBlobDataFieldEh::SetBlobType(TBlobType value) {
  if (blobType_ == value) return;
  blobType_ = value;
  Changed();
  UpdateVarDataType();
}
void TMTBlobDataFieldEh::SetGraphicHeader(bool value) {
  if (graphicHeader_ == value) return;
  graphicHeader_ = value;
  Changed();
}
void TMTBlobDataFieldEh::SetTransliterate(bool value) {
  if (transliterate_ == value) return;
  transliterate_ = value;
  Changed();
}
void TMTBlobDataFieldEh::AssignDataType(TFieldType fieldType) {
  if (fieldType >= ftBlob && fieldType <= ftWideMemo) blobType_ = fieldType;
  UpdateVarDataType();
}
void TMTBlobDataFieldEh::AssignProps(TField* field) {
  TMTDataFieldEh::AssignProps(field);
  if (auto* f = dynamic_cast<TBlobField*>(field)) {
    SetBlobType(f->GetBlobType());
    SetGraphicHeader(f->GetGraphicHeader());
  }
}
void TMTBlobDataFieldEh::AssignPropsTo(TField* field) {
  TMTDataFieldEh::AssignPropsTo(field);
  if (auto* f = dynamic_cast<TBlobField*>(field)) f->SetGraphicHeader(graphicHeader_);
}
void TMTBlobDataFieldEh::Assign(TPersistent* source) {
  TMTDataFieldEh::Assign(source);
  if (auto* f = dynamic_cast<TMTBlobDataFieldEh*>(source)) {
    SetBlobType(f->GetBlobType());
    SetGraphicHeader(f->GetGraphicHeader());
    SetTransliterate(f->GetTransliterate());
  }
}

TMTBooleanDataFieldEh::TMTBooleanDataFieldEh(TComponent* owner) : TMTDataFieldEh(owner) {
  UpdateVarDataType();
}
void TMTBooleanDataFieldEh::Published(TPropBuilder<TMTBooleanDataFieldEh>& p) {
  PublishCommon(p, true, true, taLeftJustify);
  p.Str(u"DisplayValues", &TMTBooleanDataFieldEh::GetDisplayValues, &TMTBooleanDataFieldEh::SetDisplayValues);
}
void TMTBooleanDataFieldEh::SetDisplayValues(const String& value) {
  if (displayValues_ == value) return;
  displayValues_ = value;
  Changed();
}
Integer TMTBooleanDataFieldEh::GetDefaultWidth() const {
  return std::max(Length(STextTrue), Length(STextFalse));
}
void TMTBooleanDataFieldEh::AssignProps(TField* field) {
  TMTDataFieldEh::AssignProps(field);
  if (auto* f = dynamic_cast<TBooleanField*>(field)) SetDisplayValues(f->GetDisplayValues());
}
void TMTBooleanDataFieldEh::AssignPropsTo(TField* field) {
  TMTDataFieldEh::AssignPropsTo(field);
  if (auto* f = dynamic_cast<TBooleanField*>(field); f && !displayValues_.empty())
    f->SetDisplayValues(displayValues_);
}
void TMTBooleanDataFieldEh::Assign(TPersistent* source) {
  TMTDataFieldEh::Assign(source);
  if (auto* f = dynamic_cast<TMTBooleanDataFieldEh*>(source)) SetDisplayValues(f->GetDisplayValues());
}

TMTInterfaceDataFieldEh::TMTInterfaceDataFieldEh(TComponent* owner) : TMTDataFieldEh(owner) {
  UpdateVarDataType();
}
void TMTInterfaceDataFieldEh::Published(TPropBuilder<TMTInterfaceDataFieldEh>& p) {
  PublishCommon(p, true, false, taLeftJustify);
  p.Enum(u"InterfaceDataType", InterfaceDataTypeInfo(), &TMTInterfaceDataFieldEh::GetInterfaceDataType,
         &TMTInterfaceDataFieldEh::SetInterfaceDataType)
      .Default(fdtInterfaceEh);
}
void TMTInterfaceDataFieldEh::SetInterfaceDataType(TInterfaceDataFieldTypesEh value) {
  if (interfaceDataType_ == value) return;
  interfaceDataType_ = value;
  Changed();
  UpdateVarDataType();
}
TFieldType TMTInterfaceDataFieldEh::GetDataType() const { return kInterfaceTypes[interfaceDataType_]; }
void TMTInterfaceDataFieldEh::AssignDataType(TFieldType fieldType) {
  int sub = SubtypeOf(kInterfaceTypes, fieldType);
  if (sub < 0) CannotAssignDataType();
  interfaceDataType_ = static_cast<TInterfaceDataFieldTypesEh>(sub);
}

void TMTInterfaceDataFieldEh::Assign(TPersistent* source) {
  if (auto* f = dynamic_cast<TMTInterfaceDataFieldEh*>(source))
    SetInterfaceDataType(f->GetInterfaceDataType());
  TMTDataFieldEh::Assign(source);
}

TMTVariantDataFieldEh::TMTVariantDataFieldEh(TComponent* owner) : TMTDataFieldEh(owner) {
  UpdateVarDataType();
}
void TMTVariantDataFieldEh::Published(TPropBuilder<TMTVariantDataFieldEh>& p) {
  using F = TMTVariantDataFieldEh;
  PublishCommon(p, true, false, taLeftJustify);
  p.Enum(u"VariantDataType", VariantDataTypeInfo(), &F::GetVariantDataType, &F::SetVariantDataType)
      .Default(fdtVariant);
  p.Int(
       u"Size", [](const F* f) { return f->GetSize(); }, &F::SetSize)
      .NoDefault()
      .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
        auto* f = static_cast<const F*>(o);
        return f->GetVariantDataType() != fdtVariant && f->GetSize() != 16;
      }));
}
void TMTVariantDataFieldEh::SetVariantDataType(TVariantDataFieldTypesEh value) {
  if (variantDataType_ == value) return;
  variantDataType_ = value;
  // 16 is the size the stream leaves out, so a bytes field that has none takes it.
  if (CanDinaSize() && GetSize() == 0) SetSize(16);
  Changed();
  UpdateVarDataType();
}
TFieldType TMTVariantDataFieldEh::GetDataType() const { return kVariantTypes[variantDataType_]; }
void TMTVariantDataFieldEh::AssignDataType(TFieldType fieldType) {
  int sub = SubtypeOf(kVariantTypes, fieldType);
  if (sub < 0) CannotAssignDataType();
  variantDataType_ = static_cast<TVariantDataFieldTypesEh>(sub);
}

void TMTVariantDataFieldEh::Assign(TPersistent* source) {
  if (auto* f = dynamic_cast<TMTVariantDataFieldEh*>(source)) SetVariantDataType(f->GetVariantDataType());
  TMTDataFieldEh::Assign(source);
}

TMTRefObjectFieldEh::TMTRefObjectFieldEh(TComponent* owner) : TMTDataFieldEh(owner) { UpdateVarDataType(); }
void TMTRefObjectFieldEh::Published(TPropBuilder<TMTRefObjectFieldEh>& p) {
  PublishCommon(p, false, false, taLeftJustify);
}
void TMTRefObjectFieldEh::AssignDataType(TFieldType fieldType) {
  if (fieldType != ftUnknown) CannotAssignDataType();
  UpdateVarDataType();
}

TMTSQLTimeStampDataFieldEh::TMTSQLTimeStampDataFieldEh(TComponent* owner) : TMTDataFieldEh(owner) {
  UpdateVarDataType();
}
void TMTSQLTimeStampDataFieldEh::Published(TPropBuilder<TMTSQLTimeStampDataFieldEh>& p) {
  using F = TMTSQLTimeStampDataFieldEh;
  PublishCommon(p, true, true, taLeftJustify);
  p.Enum(u"SQLTimeStampDataFieldType", TimeStampDataTypeInfo(), &F::GetSQLTimeStampDataFieldType,
         &F::SetSQLTimeStampDataFieldType)
      .Default(fdtTimeStampEh);
  p.Str(u"DisplayFormat", &F::GetDisplayFormat, &F::SetDisplayFormat);
}
void TMTSQLTimeStampDataFieldEh::SetSQLTimeStampDataFieldType(TSQLTimeStampDataFieldTypesEh value) {
  timeStampType_ = value;
  UpdateVarDataType();
}
void TMTSQLTimeStampDataFieldEh::SetDisplayFormat(const String& value) {
  if (displayFormat_ == value) return;
  displayFormat_ = value;
  Changed();
}
TFieldType TMTSQLTimeStampDataFieldEh::GetDataType() const { return kTimeStampTypes[timeStampType_]; }
void TMTSQLTimeStampDataFieldEh::AssignDataType(TFieldType fieldType) {
  int sub = SubtypeOf(kTimeStampTypes, fieldType);
  if (sub < 0) CannotAssignDataType();
  timeStampType_ = static_cast<TSQLTimeStampDataFieldTypesEh>(sub);
  UpdateVarDataType();
}
void TMTSQLTimeStampDataFieldEh::AssignProps(TField* field) {
  TMTDataFieldEh::AssignProps(field);
  if (auto* f = dynamic_cast<TSQLTimeStampField*>(field)) SetDisplayFormat(f->GetDisplayFormat());
}
void TMTSQLTimeStampDataFieldEh::AssignPropsTo(TField* field) {
  TMTDataFieldEh::AssignPropsTo(field);
  if (auto* f = dynamic_cast<TSQLTimeStampField*>(field)) f->SetDisplayFormat(displayFormat_);
}
void TMTSQLTimeStampDataFieldEh::Assign(TPersistent* source) {
  TMTDataFieldEh::Assign(source);
  if (auto* f = dynamic_cast<TMTSQLTimeStampDataFieldEh*>(source)) {
    SetSQLTimeStampDataFieldType(f->GetSQLTimeStampDataFieldType());
    SetDisplayFormat(f->GetDisplayFormat());
  }
}

KIV_REGISTER_CLASS(TMTDataFieldEh);
KIV_REGISTER_CLASS(TMTStringDataFieldEh);
KIV_REGISTER_CLASS(TMTNumericDataFieldEh);
KIV_REGISTER_CLASS(TMTDateTimeDataFieldEh);
KIV_REGISTER_CLASS(TMTBlobDataFieldEh);
KIV_REGISTER_CLASS(TMTBooleanDataFieldEh);
KIV_REGISTER_CLASS(TMTInterfaceDataFieldEh);
KIV_REGISTER_CLASS(TMTVariantDataFieldEh);
KIV_REGISTER_CLASS(TMTRefObjectFieldEh);
KIV_REGISTER_CLASS(TMTSQLTimeStampDataFieldEh);

// ---- TMTDataStructEh ----

TMTDataStructEh::TMTDataStructEh(TComponent* owner) : TComponent(owner) {}

TMTDataStructEh::TMTDataStructEh(TMemTableDataEh* memTableData)
    : TComponent(memTableData), memTableData_(memTableData) {}

TMTDataStructEh::~TMTDataStructEh() {
  clearing_ = true;
  for (Integer i = list_.GetCount() - 1; i >= 0; --i) {
    auto* field = static_cast<TMTDataFieldEh*>(list_.Get(i));
    field->dataStruct_ = nullptr;
    delete field;
  }
  list_.Clear();
}

TMTDataFieldEh* TMTDataStructEh::GetDataField(Integer index) const {
  return static_cast<TMTDataFieldEh*>(list_.Get(index));
}

TMTDataFieldEh* TMTDataStructEh::CreateField(TMTDataFieldClassEh fieldClass) {
  if (!fieldClass || !fieldClass->InheritsFrom(TMTDataFieldEh::StaticClass()))
    throw EDatabaseError(u"Invalid data field class");
  auto* field = fieldClass->Create<TMTDataFieldEh>(this);
  field->fieldId_ = nextFieldId_++;
  InsertField(field);
  return field;
}

void TMTDataStructEh::InsertField(TMTDataFieldEh* field) {
  list_.Add(field);
  field->dataStruct_ = this;
  if (updateCount_ == 0) StructChanged();
}

void TMTDataStructEh::UnlinkField(TMTDataFieldEh* field) {
  list_.Remove(field);
  field->dataStruct_ = nullptr;
}

void TMTDataStructEh::RemoveField(TMTDataFieldEh* field) {
  if (field->dataStruct_ != this) return;
  list_.Remove(field);
  if (field->GetOwner() == this) RemoveComponent(field);
  field->dataStruct_ = nullptr;
  if (updateCount_ == 0) StructChanged();
}

void TMTDataStructEh::MoveField(TMTDataFieldEh* field, Integer newIndex) {
  Integer cur = list_.IndexOf(field);
  if (cur < 0 || cur == newIndex) return;
  list_.Move(cur, newIndex);
  StructChanged();
}

void TMTDataStructEh::Clear() {
  for (Integer i = list_.GetCount() - 1; i >= 0; --i) {
    auto* field = static_cast<TMTDataFieldEh*>(list_.Get(i));
    field->dataStruct_ = nullptr;
    if (field->GetOwner() == this) RemoveComponent(field);
    delete field;
  }
  list_.Clear();
  if (updateCount_ == 0) StructChanged();
}

void TMTDataStructEh::ChangeFieldType(const String& fieldName, TMTDataFieldClassEh fieldClass) {
  TMTDataFieldEh* oldField = FieldByName(fieldName);
  Integer index = oldField->GetIndex();
  BeginUpdate();
  try {
    TMTDataFieldEh* newField = CreateField(fieldClass);
    MoveField(newField, index);
    RemoveField(oldField);
    String name = oldField->GetFieldName();
    oldField->fieldName_.clear();
    newField->Assign(oldField);
    if (oldField->GetDefaultAlignment() != newField->GetDefaultAlignment())
      newField->SetAlignment(newField->GetDefaultAlignment());
    newField->guid_ = oldField->guid_;
    delete oldField;
    newField->SetFieldName(name);
  } catch (...) {
    EndUpdate(true);
    throw;
  }
  EndUpdate(true);
}

void TMTDataStructEh::CheckFieldName(const String& fieldName) {
  TComponent* errorOwner = memTableData_ ? static_cast<TComponent*>(memTableData_) : this;
  if (fieldName.empty()) DatabaseError(SFieldNameMissing, errorOwner);
  if (FindField(fieldName)) DatabaseError(Format(SDuplicateFieldName, {fieldName}), errorOwner);
}

TMTDataFieldEh* TMTDataStructEh::FindField(const String& fieldName) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (AnsiSameText(GetDataField(i)->GetFieldName(), fieldName)) return GetDataField(i);
  return nullptr;
}

TMTDataFieldEh* TMTDataStructEh::FieldByName(const String& fieldName) const {
  TMTDataFieldEh* field = FindField(fieldName);
  if (!field) throw EDatabaseError(u"DataStruct: " + Format(SFieldNotFound, {fieldName}));
  return field;
}

TMTDataFieldEh* TMTDataStructEh::FindFieldByGIUD(const String& guid) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (GetDataField(i)->GetGUID() == guid) return GetDataField(i);
  return nullptr;
}

Integer TMTDataStructEh::FieldIndex(const String& fieldName) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (SameTextAscii(GetDataField(i)->GetFieldName(), fieldName)) return i;
  return -1;
}

TIntArray TMTDataStructEh::FieldsIndex(const String& fieldNames) const {
  TIntArray result;
  if (fieldNames.find(u';') != String::npos) {
    for (const String& name : SplitFieldNames(fieldNames)) result.push_back(FieldByName(name)->GetIndex());
    return result;
  }
  Integer index = FieldIndex(fieldNames);
  if (index >= 0) result.push_back(index);
  return result;
}

void TMTDataStructEh::GetFieldList(TList* list, const String& fieldNames) const {
  for (const String& name : SplitFieldNames(fieldNames)) {
    TMTDataFieldEh* field = FieldByName(name);
    if (list) list->Add(field);
  }
}

namespace {
TMTDataFieldClassEh CheckedFieldClass(TFieldType dataType) {
  TMTDataFieldClassEh cls = DefaultDataFieldClassForFieldTypeEh(dataType);
  if (!cls) throw EDatabaseError(u"Field type " + FieldTypeInfo()->Names[dataType] + u" is not supported");
  return cls;
}
}  // namespace

void TMTDataStructEh::BuildStructFromFieldDefs(TFieldDefs* fieldDefs) {
  for (Integer i = 0; i < fieldDefs->GetCount(); ++i) CheckedFieldClass(fieldDefs->GetItem(i)->GetDataType());
  if (memTableData_) memTableData_->DestroyTable();
  for (Integer i = 0; i < fieldDefs->GetCount(); ++i) BuildDataFieldForFieldDef(fieldDefs->GetItem(i));
}

TMTDataFieldEh* TMTDataStructEh::BuildDataFieldForFieldDef(TFieldDef* fieldDef) {
  TMTDataFieldEh* field = CreateField(CheckedFieldClass(fieldDef->GetDataType()));
  field->AssignDataType(fieldDef->GetDataType());
  field->SetFieldName(fieldDef->GetName());
  field->SetRequired(fieldDef->GetRequired());
  if (auto* num = dynamic_cast<TMTNumericDataFieldEh*>(field); num && fieldDef->GetPrecision() != 0)
    num->SetPrecision(fieldDef->GetPrecision());
  if (field->CanDinaSize()) field->SetSize(fieldDef->GetSize());
  if (fieldDef->GetDataType() == ftAutoInc) field->SetAutoIncrement(true);
  field->SetCalculated(fieldDef->GetInternalCalcField());
  return field;
}

TMTDataFieldEh* TMTDataStructEh::BuildDataFieldForDef(const String& name, TFieldType dataType, Integer size,
                                                      Integer precision) {
  TMTDataFieldEh* field = CreateField(CheckedFieldClass(dataType));
  field->AssignDataType(dataType);
  field->SetFieldName(name);
  if (auto* num = dynamic_cast<TMTNumericDataFieldEh*>(field); num && precision != 0)
    num->SetPrecision(precision);
  if (field->CanDinaSize()) field->SetSize(size);
  return field;
}

TMTDataFieldEh* TMTDataStructEh::BuildDataFieldForField(TField* field) {
  TMTDataFieldEh* dataField = CreateField(CheckedFieldClass(field->GetDataType()));
  dataField->AssignDataType(field->GetDataType());
  return dataField;
}

TMTDataFieldEh* TMTDataStructEh::BuildAndCopyDataFieldForField(TField* field) {
  TMTDataFieldEh* dataField = BuildDataFieldForField(field);
  dataField->SetFieldName(field->GetFieldName());
  dataField->AssignProps(field);
  return dataField;
}

void TMTDataStructEh::BuildStructFromFields(TFields* fields) {
  std::vector<TField*> dataFields;
  for (Integer i = 0; i < fields->GetCount(); ++i) {
    TField* f = fields->GetField(i);
    if (f->GetFieldKind() == fkData || f->GetFieldKind() == fkInternalCalc) {
      CheckedFieldClass(f->GetDataType());
      dataFields.push_back(f);
    }
  }
  if (memTableData_) memTableData_->DestroyTable();
  for (TField* f : dataFields) BuildAndCopyDataFieldForField(f);
}

void TMTDataStructEh::BuildFieldDefsFromStruct(TFieldDefs* fieldDefs) {
  fieldDefs->BeginUpdate();
  try {
    fieldDefs->Clear();
    for (Integer i = 0; i < GetCount(); ++i) {
      TMTDataFieldEh* field = GetDataField(i);
      TFieldDef* def = fieldDefs->AddFieldDef();
      def->SetName(field->GetFieldName());
      def->SetDataType(field->GetDataType());
      def->SetSize(field->GetSize());
      def->SetInternalCalcField(field->GetCalculated());
      if (field->GetRequired()) def->SetAttributes(TFieldAttributes{faRequired});
      if (auto* num = dynamic_cast<TMTNumericDataFieldEh*>(field)) def->SetPrecision(num->GetPrecision());
    }
  } catch (...) {
    fieldDefs->EndUpdate();
    throw;
  }
  fieldDefs->EndUpdate();
}

TMTDataStructEh* TMTDataStructEh::GetCopy() const {
  auto copy = std::make_unique<TMTDataStructEh>(static_cast<TComponent*>(nullptr));
  copy->BeginUpdate();
  for (Integer i = 0; i < GetCount(); ++i) {
    TMTDataFieldEh* source = GetDataField(i);
    TMTDataFieldEh* field = copy->CreateField(source->ClassType());
    field->Assign(source);
    field->guid_ = source->guid_;
  }
  copy->EndUpdate(false);
  return copy.release();
}

void TMTDataStructEh::EndRestructure(TMTDataStructEh* newStructure, bool applyNewStructure) {
  std::unique_ptr<TMTDataStructEh> owned(newStructure);
  if (applyNewStructure) Assign(newStructure);
}

void TMTDataStructEh::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TMTDataStructEh*>(source);
  if (!src) {
    TComponent::Assign(source);
    return;
  }
  BeginUpdate();
  try {
    if (memTableData_ && memTableData_->GetRecordsList()->GetCount() > 0) ConvertRecordsToStruct(src);
    Clear();
    for (Integer i = 0; i < src->GetCount(); ++i) {
      TMTDataFieldEh* field = CreateField(src->GetDataField(i)->ClassType());
      field->Assign(src->GetDataField(i));
    }
  } catch (...) {
    EndUpdate(true);
    throw;
  }
  EndUpdate(true);
}

Variant TMTDataStructEh::ConvertFieldValue(TMTDataFieldEh* oldField, const Variant& value,
                                           TMTDataFieldEh* newField) {
  Variant result;
  try {
    result = StoreRecValueEh(value, newField->VarDataType());
  } catch (const EVariantTypeCastError&) {
    return Variant::Null();
  }
  if (result.IsNull()) return result;
  auto* newString = dynamic_cast<TMTStringDataFieldEh*>(newField);
  if (!newString) return result;
  auto* oldString = dynamic_cast<TMTStringDataFieldEh*>(oldField);
  if (oldString && oldString->GetSize() <= newString->GetSize()) return result;
  TVarType vt = newString->VarDataType();
  if (vt == varUString || result.IsEmpty()) return result;
  String text = VarToStr(result);
  if (Length(text) > newString->GetSize()) text.resize(static_cast<size_t>(newString->GetSize()));
  return Variant(text);
}

void TMTDataStructEh::ConvertRecordsToStruct(TMTDataStructEh* newStruct) {
  TRecordsListEh* records = memTableData_->GetRecordsList();
  std::vector<Integer> sources;
  for (Integer i = 0; i < newStruct->GetCount(); ++i) {
    TMTDataFieldEh* old = FindFieldByGIUD(newStruct->GetDataField(i)->GetGUID());
    sources.push_back(old ? old->GetIndex() : -1);
  }
  auto convert = [&](const TRecValuesEh& values) {
    TRecValuesEh result(sources.size());
    for (size_t i = 0; i < sources.size(); ++i)
      if (sources[i] >= 0 && static_cast<size_t>(sources[i]) < values.size())
        result.Set(i, ConvertFieldValue(GetDataField(sources[i]), values[static_cast<size_t>(sources[i])],
                                        newStruct->GetDataField(i)));
    return result;
  };
  // Converted first, replaced after: an error leaves every record as it was.
  std::vector<std::pair<TRecValuesEh, TRecValuesEh>> converted;
  for (Integer r = 0; r < records->GetCount(); ++r) {
    TMemoryRecordEh* rec = records->GetRec(r);
    converted.emplace_back(convert(rec->data_),
                           rec->oldData_.empty() ? TRecValuesEh() : convert(rec->oldData_));
  }
  for (Integer r = 0; r < records->GetCount(); ++r) {
    TMemoryRecordEh* rec = records->GetRec(r);
    rec->data_ = std::move(converted[r].first);
    if (!rec->oldData_.empty()) rec->oldData_ = std::move(converted[r].second);
  }
}

void TMTDataStructEh::EndUpdate(bool structChanged) {
  if (updateCount_ > 0) --updateCount_;
  if (updateCount_ == 0 && structChanged) StructChanged();
}

void TMTDataStructEh::StructChanged() {
  if (memTableData_)
    memTableData_->StructChanged();
  else
    structChanged_ = true;
  if (OnStructChanged) OnStructChanged(this);
}

void TMTDataStructEh::GetChildren(const TGetChildProc& proc, TComponent*) {
  for (Integer i = 0; i < GetCount(); ++i) proc(GetDataField(i));
}

void TMTDataStructEh::ReadState(TReader* reader) {
  Clear();
  TComponent::ReadState(reader);
}

Integer TRecordsViewOrderByList::FindFieldIndex(const String& name) {
  TMTDataStructEh* ds = getDataStruct_ ? getDataStruct_() : nullptr;
  return ds ? ds->FieldIndex(name) : -1;
}

KIV_REGISTER_CLASS(TMTDataStructEh);
