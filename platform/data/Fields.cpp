// TField and its classes: value access through the dataset's buffers, conversions with the class
// library's rules and error texts, display and edit text, lookup values, blobs.
#include "platform/data/Fields.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/classes/Streaming.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DataSet.h"
#include "platform/data/FieldBuffer.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

namespace {

bool IsMemoType(TFieldType type) {
  return type == ftMemo || type == ftFmtMemo || type == ftWideMemo || type == ftOraClob;
}

String BytesToAnsiText(const TBytes& bytes) {
  return Cp1251ToStringLenient(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

TBytes AnsiTextToBytes(const String& text) {
  std::string raw = StringToCp1251(text);
  return TBytes(raw.begin(), raw.end());
}

String FloatText(Extended v, TFieldType type) {
  return FloatToStrF(v, ffGeneral, type == ftSingle ? 7 : 15, 0);
}

}  // namespace

// ======================= Buffers <-> Variant =======================

bool NeedsDataConvert(TFieldType type) { return type == ftDate || type == ftTime || type == ftDateTime; }

void VariantToFieldBuffer(const TField* field, const Variant& value, void* buffer, bool nativeFormat) {
  TFieldType type = field->GetDataType();
  switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
    case ftGuid: {
      String text = VarToStr(value);
      size_t capacity = static_cast<size_t>(std::max(field->GetSize(), 0));
      if (text.size() > capacity) text.resize(capacity);
      std::memset(buffer, 0, (capacity + 1) * sizeof(Char));
      std::memcpy(buffer, text.data(), text.size() * sizeof(Char));
      break;
    }
    case ftSmallint:
      *static_cast<SmallInt*>(buffer) = static_cast<SmallInt>(value.AsInteger());
      break;
    case ftShortint:
      *static_cast<ShortInt*>(buffer) = static_cast<ShortInt>(value.AsInteger());
      break;
    case ftByte:
      *static_cast<Byte*>(buffer) = static_cast<Byte>(value.AsInteger());
      break;
    case ftWord:
      *static_cast<Word*>(buffer) = static_cast<Word>(value.AsInteger());
      break;
    case ftInteger:
    case ftAutoInc:
      *static_cast<Integer*>(buffer) = value.AsInteger();
      break;
    case ftLongWord:
      *static_cast<LongWord*>(buffer) = static_cast<LongWord>(value.AsInt64());
      break;
    case ftLargeint:
      *static_cast<Int64*>(buffer) = value.AsInt64();
      break;
    case ftBoolean:
      *static_cast<Word*>(buffer) = value.AsBoolean() ? 1 : 0;
      break;
    case ftFloat:
    case ftCurrency:
      *static_cast<double*>(buffer) = value.AsDouble();
      break;
    case ftSingle:
      *static_cast<float*>(buffer) = value.AsSingle();
      break;
    case ftExtended:
      *static_cast<long double*>(buffer) = value.AsDouble();
      break;
    case ftBCD:
    case ftFMTBcd:
      *static_cast<TBcd*>(buffer) = value.AsBcd();
      break;
    case ftDate:
    case ftTime:
    case ftDateTime: {
      TDateTime dt = VarToDateTime(value);
      if (nativeFormat)
        field->GetDataSet()->DataConvert(const_cast<TField*>(field), &dt, buffer, true);
      else
        *static_cast<TDateTime*>(buffer) = dt;
      break;
    }
    case ftTimeStamp:
    case ftOraTimeStamp:
      *static_cast<TSQLTimeStamp*>(buffer) = VarToSQLTimeStamp(value);
      break;
    case ftVariant:
      *static_cast<Variant*>(buffer) = value;
      break;
    case ftBytes:
    case ftVarBytes: {
      TBytes bytes = VarToBytes(value);
      size_t capacity = static_cast<size_t>(std::max(field->GetSize(), 0));
      if (bytes.size() > capacity) bytes.resize(capacity);
      Byte* out = static_cast<Byte*>(buffer);
      if (type == ftVarBytes) {
        Word length = static_cast<Word>(bytes.size());
        std::memcpy(out, &length, sizeof length);
        out += sizeof length;
      }
      std::memset(out, 0, capacity);
      std::memcpy(out, bytes.data(), bytes.size());
      break;
    }
    default:
      DatabaseErrorFmt(SFieldUnknownType, {field->GetDisplayName()});
  }
}

Variant FieldBufferToVariant(const TField* field, const void* buffer, bool nativeFormat) {
  TFieldType type = field->GetDataType();
  switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
    case ftGuid: {
      const Char* text = static_cast<const Char*>(buffer);
      size_t capacity = static_cast<size_t>(std::max(field->GetSize(), 0));
      size_t length = 0;
      while (length < capacity && text[length] != 0) ++length;
      return String(text, length);
    }
    case ftSmallint:
      return Variant(static_cast<Integer>(*static_cast<const SmallInt*>(buffer)));
    case ftShortint:
      return Variant(static_cast<Integer>(*static_cast<const ShortInt*>(buffer)));
    case ftByte:
      return Variant(static_cast<Integer>(*static_cast<const Byte*>(buffer)));
    case ftWord:
      return Variant(static_cast<Integer>(*static_cast<const Word*>(buffer)));
    case ftInteger:
    case ftAutoInc:
      return Variant(*static_cast<const Integer*>(buffer));
    case ftLongWord:
      return Variant(static_cast<Int64>(*static_cast<const LongWord*>(buffer)));
    case ftLargeint:
      return Variant(*static_cast<const Int64*>(buffer));
    case ftBoolean:
      return Variant(*static_cast<const Word*>(buffer) != 0);
    case ftFloat:
    case ftCurrency:
      return Variant(*static_cast<const double*>(buffer));
    case ftSingle:
      return Variant(*static_cast<const float*>(buffer));
    case ftExtended:
      return Variant(static_cast<double>(*static_cast<const long double*>(buffer)));
    case ftBCD:
    case ftFMTBcd:
      return VarFMTBcdCreate(*static_cast<const TBcd*>(buffer));
    case ftDate:
    case ftTime:
    case ftDateTime: {
      TDateTime dt = 0;
      if (nativeFormat)
        field->GetDataSet()->DataConvert(const_cast<TField*>(field), buffer, &dt, false);
      else
        dt = *static_cast<const TDateTime*>(buffer);
      return Variant::FromDate(dt);
    }
    case ftTimeStamp:
    case ftOraTimeStamp:
      return VarSQLTimeStampCreate(*static_cast<const TSQLTimeStamp*>(buffer));
    case ftVariant:
      return *static_cast<const Variant*>(buffer);
    case ftBytes:
    case ftVarBytes: {
      const Byte* in = static_cast<const Byte*>(buffer);
      size_t length = static_cast<size_t>(std::max(field->GetSize(), 0));
      if (type == ftVarBytes) {
        Word stored;
        std::memcpy(&stored, in, sizeof stored);
        length = std::min<size_t>(stored, length);
        in += sizeof stored;
      }
      return VarArrayOfBytes(TBytes(in, in + length));
    }
    default:
      DatabaseErrorFmt(SFieldUnknownType, {field->GetDisplayName()});
  }
}

void CopyFieldBuffer(const TField* field, const void* source, void* dest) {
  if (field->GetDataType() == ftVariant) {
    *static_cast<Variant*>(dest) = *static_cast<const Variant*>(source);
    return;
  }
  std::memcpy(dest, source, static_cast<size_t>(field->GetDataSize()));
}

// ======================= TLookupList =======================

void TLookupList::Add(const Variant& key, const Variant& value) { items_.emplace_back(key, value); }

void TLookupList::Clear() { items_.clear(); }

Variant TLookupList::ValueOfKey(const Variant& key) const {
  if (VarIsEmptyOrNull(key)) return Variant();
  for (const auto& [k, v] : items_) {
    if (VarIsArray(key) != VarIsArray(k)) continue;
    if (!VarIsArray(key)) {
      if (VarSameValue(k, key)) return v;
      continue;
    }
    int low = VarArrayLowBound(key, 1);
    int high = VarArrayHighBound(key, 1);
    if (high - low != VarArrayHighBound(k, 1) - VarArrayLowBound(k, 1)) continue;
    bool same = true;
    for (int i = 0; i <= high - low && same; ++i)
      same = VarSameValue(VarArrayGet(k, VarArrayLowBound(k, 1) + i), VarArrayGet(key, low + i));
    if (same) return v;
  }
  return Variant();
}

// ======================= TField =======================

TField::TField(TComponent* owner) : TComponent(owner) {}

TField::~TField() {
  if (dataSet_) {
    TFields* list =
        dataSet_->fields_->IndexOf(this) >= 0 ? dataSet_->fields_.get() : dataSet_->aggFields_.get();
    list->Remove(this);
  }
}

void TField::Published(TPropBuilder<TField>& p) {
  static const TTypeInfo kindType = TTypeInfo::Enum(
      u"TFieldKind", {u"fkData", u"fkCalculated", u"fkLookup", u"fkInternalCalc", u"fkAggregate"});
  static const TTypeInfo providerFlagType = TTypeInfo::Enum(
      u"TProviderFlag",
      {u"pfInUpdate", u"pfInWhere", u"pfInKey", u"pfHidden", u"pfRefreshOnInsert", u"pfRefreshOnUpdate"});
  static const TTypeInfo providerFlagsType = TTypeInfo::Set(u"TProviderFlags", &providerFlagType);
  static const TTypeInfo autoRefreshType =
      TTypeInfo::Enum(u"TAutoRefreshFlag", {u"arNone", u"arAutoInc", u"arDefault"});
  p.Enum(u"Alignment", TypeInfoAlignment(), &TField::GetAlignment, &TField::SetAlignment).NoDefault();
  p.Enum(u"AutoGenerateValue", &autoRefreshType, &TField::GetAutoGenerateValue, &TField::SetAutoGenerateValue)
      .Default(arNone);
  p.Str(u"DefaultExpression", &TField::GetDefaultExpression, &TField::SetDefaultExpression);
  p.Str(u"DisplayLabel", &TField::GetDisplayLabel, &TField::SetDisplayLabel)
      .Stored(&TField::IsDisplayLabelStored);
  p.Int(u"DisplayWidth", &TField::GetDisplayWidth, &TField::SetDisplayWidth)
      .Stored(&TField::IsDisplayWidthStored);
  p.Str(u"EditMask", &TField::GetEditMask, &TField::SetEditMask);
  p.Enum(u"FieldKind", &kindType, &TField::GetFieldKind, &TField::SetFieldKind).Default(fkData);
  p.Str(u"FieldName", &TField::GetFieldName, &TField::SetFieldName);
  p.Object(u"LookupDataSet", &TField::GetLookupDataSet, &TField::SetLookupDataSet);
  p.Str(u"LookupKeyFields", &TField::GetLookupKeyFields, &TField::SetLookupKeyFields);
  p.Str(u"LookupResultField", &TField::GetLookupResultField, &TField::SetLookupResultField);
  p.Str(u"KeyFields", &TField::GetKeyFields, &TField::SetKeyFields);
  p.Bool(u"LookupCache", &TField::GetLookupCache, &TField::SetLookupCache).Default(0);
  p.Str(u"Origin", &TField::GetOrigin, &TField::SetOrigin);
  p.Set(u"ProviderFlags", &providerFlagsType, &TField::GetProviderFlags, &TField::SetProviderFlags)
      .Default(TProviderFlags{pfInUpdate, pfInWhere});
  p.Bool(u"ReadOnly", &TField::GetReadOnly, &TField::SetReadOnly).Default(0);
  p.Bool(u"Required", &TField::GetRequired, &TField::SetRequired).Default(0);
  p.Bool(u"Visible", &TField::GetVisible, &TField::SetVisible).Default(1);
  p.Event(u"OnChange", &TField::OnChange, u"TFieldNotifyEvent");
  p.Event(u"OnGetText", &TField::OnGetText, u"TFieldGetTextEvent");
  p.Event(u"OnSetText", &TField::OnSetText, u"TFieldSetTextEvent");
  p.Event(u"OnValidate", &TField::OnValidate, u"TFieldNotifyEvent");
}

void TField::SetDataSet(TDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  if (dataSet_) dataSet_->CheckInactive();
  if (dataSet) dataSet->CheckInactive();
  TFields* target = nullptr;
  if (dataSet) {
    target = fieldKind_ == fkAggregate ? dataSet->aggFields_.get() : dataSet->fields_.get();
    target->CheckFieldName(fieldName_);
  }
  if (dataSet_) {
    TFields* list =
        dataSet_->fields_->IndexOf(this) >= 0 ? dataSet_->fields_.get() : dataSet_->aggFields_.get();
    list->Remove(this);
  }
  if (target) target->Add(this);
}

void TField::SetFieldName(const String& value) {
  if (value == fieldName_) return;
  if (dataSet_) {
    TField* other = dataSet_->FindField(value);
    if (other && other != this) DatabaseErrorFmt(SDuplicateFieldName, {value}, dataSet_);
  }
  fieldName_ = value;
  PropertyChanged(true);
}

int TField::GetIndex() const {
  if (!dataSet_) return -1;
  int index = dataSet_->fields_->IndexOf(this);
  return index >= 0 ? index : dataSet_->aggFields_->IndexOf(this);
}

void TField::SetIndex(int value) {
  if (!dataSet_) return;
  TFields* list =
      dataSet_->fields_->IndexOf(this) >= 0 ? dataSet_->fields_.get() : dataSet_->aggFields_.get();
  list->ChangeFieldIndex(this, value);
}

void TField::SetFieldKind(TFieldKind value) {
  if (value == fieldKind_) return;
  if (!dataSet_) {
    fieldKind_ = value;
    return;
  }
  dataSet_->CheckInactive();
  bool moves = (value == fkAggregate) != (fieldKind_ == fkAggregate);
  if (!moves) {
    fieldKind_ = value;
    return;
  }
  TDataSet* dataSet = dataSet_;
  SetDataSet(nullptr);
  fieldKind_ = value;
  SetDataSet(dataSet);
}

void TField::CheckTypeSize(Integer value) const {
  if (value != 0) DatabaseError(SInvalidFieldSize);
}

void TField::SetSize(Integer value) {
  CheckInactive();
  CheckTypeSize(value);
  size_ = value;
}

void TField::CheckInactive() const {
  if (dataSet_) dataSet_->CheckInactive();
}

String TField::GetDisplayName() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }

void TField::SetDisplayLabel(const String& value) {
  if (value == fieldName_ && displayLabel_.empty()) return;
  displayLabel_ = value == fieldName_ ? String() : value;
  PropertyChanged(true);
}

Integer TField::GetDisplayWidth() const { return displayWidth_ > 0 ? displayWidth_ : GetDefaultWidth(); }

void TField::SetDisplayWidth(Integer value) {
  displayWidth_ = value;
  PropertyChanged(true);
}

void TField::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  PropertyChanged(false);
}

void TField::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  PropertyChanged(true);
}

void TField::SetReadOnly(bool value) {
  if (value == readOnly_) return;
  readOnly_ = value;
  PropertyChanged(true);
}

void TField::PropertyChanged(bool layoutAffected) {
  if (dataSet_ && dataSet_->GetActive())
    dataSet_->DataEvent(layoutAffected ? deLayoutChange : deDataSetChange, 0);
}

bool TField::GetCanModify() const {
  if (readOnly_ || !dataSet_ || !dataSet_->GetActive()) return false;
  switch (fieldKind_) {
    case fkData:
    case fkInternalCalc:
      return dataSet_->CanModify();
    case fkLookup: {
      if (!dataSet_->CanModify()) return false;
      for (const String& name : SplitFieldNames(keyFields_)) {
        TField* key = dataSet_->FindField(name);
        if (!key || !key->GetCanModify()) return false;
      }
      return true;
    }
    default:
      return false;
  }
}

bool TField::IsValidChar(Char) const { return true; }

void TField::Validate(const void* buffer) {
  if (!OnValidate) return;
  bool savedValidating = validating_;
  const void* savedBuffer = valueBuffer_;
  validating_ = true;
  valueBuffer_ = buffer;
  auto restore = MakeScopeExit([&] {
    validating_ = savedValidating;
    valueBuffer_ = savedBuffer;
  });
  OnValidate(this);
}

void TField::FocusControl() {
  if (!dataSet_ || !dataSet_->GetActive()) return;
  TField* field = this;
  dataSet_->DataEvent(deFocusControl, reinterpret_cast<NativeInt>(&field));
}

void TField::SetLookupDataSet(TDataSet* value) {
  if (value == lookupDataSet_) return;
  CheckInactive();
  if (lookupDataSet_) lookupDataSet_->RemoveFreeNotification(this);
  lookupDataSet_ = value;
  if (value) value->FreeNotification(this);
}

void TField::SetLookupKeyFields(const String& value) {
  CheckInactive();
  lookupKeyFields_ = value;
}

void TField::SetLookupResultField(const String& value) {
  CheckInactive();
  lookupResultField_ = value;
}

void TField::SetKeyFields(const String& value) {
  CheckInactive();
  keyFields_ = value;
}

void TField::SetLookupCache(bool value) {
  if (value == lookupCache_) return;
  lookupCache_ = value;
  if (value && dataSet_ && dataSet_->GetActive() && fieldKind_ == fkLookup) RefreshLookupList();
}

void TField::RefreshLookupList() {
  if (!lookupList_) lookupList_ = std::make_unique<TLookupList>();
  lookupList_->Clear();
  if (!lookupDataSet_ || !lookupDataSet_->GetActive()) return;
  TDataSet* source = lookupDataSet_;
  std::vector<TField*> keys = source->GetFieldList(lookupKeyFields_);
  TField* result = source->FieldByName(lookupResultField_);
  TBookmark saved = source->GetBookmark();
  source->DisableControls();
  // Going back to the saved record and EnableControls both move or repaint the source and may raise: a
  // source left on another record than its user chose is a failure the caller must hear of.
  TryFinally(
      [&] {
        source->First();
        while (!source->Eof()) {
          lookupList_->Add(source->GetFieldValues(lookupKeyFields_), result->GetAsVariant());
          source->Next();
        }
      },
      [&] {
        TryFinally(
            [&] {
              if (!saved.empty() && source->BookmarkValid(saved)) source->GotoBookmark(saved);
            },
            [&] { source->EnableControls(); });
      });
}

void TField::Bind(bool binding) {
  if (fieldKind_ != fkLookup) return;
  if (!binding) return;
  if (!lookupDataSet_ || keyFields_.empty() || lookupKeyFields_.empty() || lookupResultField_.empty())
    DatabaseErrorFmt(SLookupInfoError, {GetDisplayName()});
  dataSet_->GetFieldList(keyFields_);
  if (lookupDataSet_->GetActive()) {
    lookupDataSet_->GetFieldList(lookupKeyFields_);
    lookupDataSet_->FieldByName(lookupResultField_);
  }
  if (lookupCache_) RefreshLookupList();
}

void TField::CalcLookupValue() {
  Variant key = dataSet_->GetFieldValues(keyFields_);
  bool complete = !VarIsEmptyOrNull(key);
  if (complete && VarIsArray(key)) {
    for (int i = VarArrayLowBound(key, 1); i <= VarArrayHighBound(key, 1) && complete; ++i)
      complete = !VarIsEmptyOrNull(VarArrayGet(key, i));
  }
  Variant value;
  if (complete) {
    if (lookupCache_ && lookupList_)
      value = lookupList_->ValueOfKey(key);
    else if (lookupDataSet_ && lookupDataSet_->GetActive()) {
      ++LookupNesting();
      auto leave = MakeScopeExit([] { --LookupNesting(); });
      value = lookupDataSet_->Lookup(lookupKeyFields_, key, lookupResultField_);
    }
  }
  if (VarIsNull(value)) value = Variant();
  dataSet_->CalcSlot(dataSet_->GetActiveRecordBuffer(), this) = value;
}

void TField::Change() {
  if (OnChange) OnChange(this);
}

bool TField::GetData(void* buffer, bool nativeFormat) const {
  if (!dataSet_) DatabaseErrorFmt(SDataSetMissing, {GetDisplayName()});
  if (validating_) {
    if (!valueBuffer_) return false;
    if (!buffer) return true;
    if (nativeFormat == valueNative_ || !NeedsDataConvert(dataType_))
      CopyFieldBuffer(this, valueBuffer_, buffer);
    else
      dataSet_->DataConvert(const_cast<TField*>(this), valueBuffer_, buffer, nativeFormat);
    return true;
  }
  return dataSet_->GetFieldData(const_cast<TField*>(this), buffer, nativeFormat);
}

void TField::SetData(const void* buffer, bool nativeFormat) {
  if (!dataSet_) DatabaseErrorFmt(SDataSetMissing, {GetDisplayName()});
  if (fieldKind_ == fkLookup && (dataSet_->GetState() == dsEdit || dataSet_->GetState() == dsInsert)) {
    HandleSpecialVariant(buffer ? FieldBufferToVariant(this, buffer, nativeFormat) : Null());
    return;
  }
  bool savedNative = valueNative_;
  valueNative_ = nativeFormat;
  auto restore = MakeScopeExit([&] { valueNative_ = savedNative; });
  dataSet_->SetFieldData(this, buffer, nativeFormat);
}

bool TField::GetIsNull() const { return !GetData(nullptr); }

void TField::Clear() { SetData(nullptr); }

bool TField::HandleSpecialVariant(const Variant& value) {
  if (fieldKind_ == fkLookup && dataSet_ &&
      (dataSet_->GetState() == dsEdit || dataSet_->GetState() == dsInsert)) {
    if (!lookupDataSet_) DatabaseErrorFmt(SLookupInfoError, {GetDisplayName()});
    std::vector<TField*> keys = dataSet_->GetFieldList(keyFields_);
    Variant key = VarIsEmptyOrNull(value)
                      ? Null()
                      : lookupDataSet_->Lookup(lookupResultField_, value, lookupKeyFields_);
    if (VarIsNull(key) || VarIsEmpty(key)) {
      for (TField* f : keys) f->Clear();
    } else {
      dataSet_->SetFieldValues(keyFields_, key);
    }
    return true;
  }
  if (VarIsEmptyOrNull(value)) {
    Clear();
    return true;
  }
  return false;
}

Variant TField::GetAsVariant() const { AccessError(u"Variant"); }
void TField::SetAsVariant(const Variant& value) {
  if (HandleSpecialVariant(value)) return;
  AccessError(u"Variant");
}
String TField::GetAsString() const {
  Variant v = GetAsVariant();
  return VarToStr(v);
}
void TField::SetAsString(const String& value) { SetAsVariant(value.empty() ? Null() : Variant(value)); }
Integer TField::GetAsInteger() const { AccessError(u"Integer"); }
void TField::SetAsInteger(Integer) { AccessError(u"Integer"); }
Int64 TField::GetAsLargeInt() const { return GetAsInteger(); }
void TField::SetAsLargeInt(Int64 value) {
  if (value < std::numeric_limits<Integer>::min() || value > std::numeric_limits<Integer>::max())
    AccessError(u"LargeInt");
  SetAsInteger(static_cast<Integer>(value));
}
double TField::GetAsFloat() const { AccessError(u"Float"); }
void TField::SetAsFloat(double) { AccessError(u"Float"); }
Currency TField::GetAsCurrency() const { return Currency::FromDouble(GetAsFloat()); }
void TField::SetAsCurrency(Currency value) { SetAsFloat(value.ToDouble()); }
TBcd TField::GetAsBCD() const { AccessError(u"BCD"); }
void TField::SetAsBCD(const TBcd&) { AccessError(u"BCD"); }
bool TField::GetAsBoolean() const { AccessError(u"Boolean"); }
void TField::SetAsBoolean(bool) { AccessError(u"Boolean"); }
TDateTime TField::GetAsDateTime() const { AccessError(u"DateTime"); }
void TField::SetAsDateTime(TDateTime) { AccessError(u"DateTime"); }
TSQLTimeStamp TField::GetAsSQLTimeStamp() const { return DateTimeToSQLTimeStamp(GetAsDateTime()); }
void TField::SetAsSQLTimeStamp(const TSQLTimeStamp& value) { SetAsDateTime(SQLTimeStampToDateTime(value)); }
TBytes TField::GetAsBytes() const {
  Variant v = GetAsVariant();
  return VarToBytes(v);
}
void TField::SetAsBytes(const TBytes& value) { SetAsVariant(VarArrayOfBytes(value)); }

void TField::AccessError(const Char* typeName) const {
  DatabaseErrorFmt(SFieldAccessError, {GetDisplayName(), String(typeName)});
}

void TField::RangeError(const String& value, const String& min, const String& max) const {
  DatabaseErrorFmt(SFieldRangeError, {value, GetDisplayName(), min, max});
}

void TField::GetFieldText(String& text, bool) const { text = GetAsString(); }

void TField::SetFieldText(const String& text) { SetAsString(text); }

String TField::GetDisplayText() const {
  String text;
  if (OnGetText)
    OnGetText(const_cast<TField*>(this), text, true);
  else
    GetFieldText(text, true);
  return text;
}

String TField::GetText() const {
  String text;
  if (OnGetText)
    OnGetText(const_cast<TField*>(this), text, false);
  else
    GetFieldText(text, false);
  return text;
}

void TField::SetText(const String& value) {
  if (OnSetText)
    OnSetText(this, value);
  else
    SetFieldText(value);
}

Variant TField::GetOldValue() const {
  if (!dataSet_) DatabaseErrorFmt(SDataSetMissing, {GetDisplayName()});
  return dataSet_->GetStateFieldValue(dsOldValue, const_cast<TField*>(this));
}

Variant TField::GetCurValue() const {
  if (!dataSet_) DatabaseErrorFmt(SDataSetMissing, {GetDisplayName()});
  return dataSet_->GetStateFieldValue(dsCurValue, const_cast<TField*>(this));
}

Variant TField::GetNewValue() const {
  if (!dataSet_) DatabaseErrorFmt(SDataSetMissing, {GetDisplayName()});
  return dataSet_->GetStateFieldValue(dsNewValue, const_cast<TField*>(this));
}

void TField::SetNewValue(const Variant& value) {
  if (!dataSet_) DatabaseErrorFmt(SDataSetMissing, {GetDisplayName()});
  dataSet_->SetStateFieldValue(dsNewValue, this, value);
}

void TField::Assign(TPersistent* source) {
  if (!source) {
    Clear();
    return;
  }
  if (auto* field = dynamic_cast<TField*>(source)) {
    if (field->IsNull())
      Clear();
    else
      SetAsVariant(field->GetAsVariant());
    return;
  }
  TComponent::Assign(source);
}

TComponent* TField::GetParentComponent() const { return dataSet_; }

void TField::SetParentComponent(TComponent* parent) {
  if (GetComponentState().Contains(csLoading)) return;
  SetDataSet(dynamic_cast<TDataSet*>(parent));
}

void TField::ReadState(TReader* reader) {
  TComponent* parent = reader->GetParent();
  TComponent::ReadState(reader);
  if (auto* dataSet = dynamic_cast<TDataSet*>(parent)) SetDataSet(dataSet);
}

void TField::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == lookupDataSet_) lookupDataSet_ = nullptr;
}

// ======================= TStringField =======================

TStringField::TStringField(TComponent* owner) : TField(owner) {
  SetDataType(ftString);
  SetSize(20);
}

void TStringField::Published(TPropBuilder<TStringField>& p) {
  p.Int(u"Size", &TStringField::GetSize, &TStringField::SetSize).Default(20);
  p.Bool(u"FixedChar", &TStringField::GetFixedChar, &TStringField::SetFixedChar).Default(0);
  p.Bool(u"Transliterate", &TStringField::GetTransliterate, &TStringField::SetTransliterate).Default(1);
}

void TStringField::CheckTypeSize(Integer value) const {
  if (value < 0 || value > (1 << 24)) DatabaseError(SInvalidFieldSize);
}

String TStringField::GetValueText() const {
  std::vector<Char> buffer(static_cast<size_t>(GetSize()) + 1, 0);
  if (!GetData(buffer.data())) return String();
  buffer.back() = 0;
  return String(buffer.data());
}

Variant TStringField::GetAsVariant() const {
  if (IsNull()) return Null();
  return GetValueText();
}

void TStringField::SetAsVariant(const Variant& value) {
  if (HandleSpecialVariant(value)) return;
  SetAsString(VarToStr(value));
}

String TStringField::GetAsString() const { return GetValueText(); }

void TStringField::SetAsString(const String& value) {
  size_t capacity = static_cast<size_t>(GetSize());
  size_t length = std::min(value.size(), capacity);
  // Never leave half of a surrogate pair at the cut.
  if (length < value.size() && length > 0 && IsHighSurrogate(value[length - 1])) --length;
  std::vector<Char> buffer(capacity + 1, 0);
  std::copy(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(length), buffer.begin());
  SetData(buffer.data());
}

Integer TStringField::GetAsInteger() const { return StrToInt(GetAsString()); }
void TStringField::SetAsInteger(Integer value) { SetAsString(IntToStr(value)); }
Int64 TStringField::GetAsLargeInt() const { return StrToInt64(GetAsString()); }
void TStringField::SetAsLargeInt(Int64 value) { SetAsString(IntToStr(static_cast<long long>(value))); }
double TStringField::GetAsFloat() const { return static_cast<double>(StrToFloat(GetAsString())); }
void TStringField::SetAsFloat(double value) { SetAsString(FloatToStr(value)); }
Currency TStringField::GetAsCurrency() const { return StrToCurr(GetAsString()); }
void TStringField::SetAsCurrency(Currency value) { SetAsString(CurrToStr(value)); }
TBcd TStringField::GetAsBCD() const { return StrToBcd(GetAsString()); }
void TStringField::SetAsBCD(const TBcd& value) { SetAsString(BcdToStr(value)); }

bool TStringField::GetAsBoolean() const {
  String s = GetAsString();
  return !s.empty() && (s[0] == u'T' || s[0] == u't' || s[0] == u'Y' || s[0] == u'y');
}

void TStringField::SetAsBoolean(bool value) { SetAsString(value ? u"T" : u"F"); }
TDateTime TStringField::GetAsDateTime() const { return StrToDateTime(GetAsString()); }
void TStringField::SetAsDateTime(TDateTime value) { SetAsString(DateTimeToStr(value)); }

TWideStringField::TWideStringField(TComponent* owner) : TStringField(owner) { SetDataType(ftWideString); }

TGuidField::TGuidField(TComponent* owner) : TStringField(owner) {
  SetDataType(ftGuid);
  SetSize(38);
}

void TGuidField::CheckTypeSize(Integer value) const {
  if (value != 0 && value != 38) DatabaseError(SInvalidFieldSize);
}

// ======================= TNumericField =======================

TNumericField::TNumericField(TComponent* owner) : TField(owner) { SetAlignment(taRightJustify); }

void TNumericField::Published(TPropBuilder<TNumericField>& p) {
  p.Str(u"DisplayFormat", &TNumericField::GetDisplayFormat, &TNumericField::SetDisplayFormat);
  p.Str(u"EditFormat", &TNumericField::GetEditFormat, &TNumericField::SetEditFormat);
}

void TNumericField::SetDisplayFormat(const String& value) {
  if (value == displayFormat_) return;
  displayFormat_ = value;
  PropertyChanged(false);
}

void TNumericField::SetEditFormat(const String& value) {
  if (value == editFormat_) return;
  editFormat_ = value;
  PropertyChanged(false);
}

bool TNumericField::IsValidChar(Char c) const {
  if ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-') return true;
  bool decimals = Is<TFloatField>() || Is<TBCDField>();
  if (decimals && c == FormatSettings.DecimalSeparator) return true;
  return Is<TFloatField>() && (c == u'E' || c == u'e');
}

namespace {
// The format for the text: the edit format when editing, else (or when none) the display format.
String PickFormat(const TNumericField* field, bool displayText) {
  if (displayText || field->GetEditFormat().empty()) return field->GetDisplayFormat();
  return field->GetEditFormat();
}
}  // namespace

void TNumericField::SetIntegerFromVariant(const Variant& value) {
  if (HandleSpecialVariant(value)) return;
  if (VarIsStr(value)) {
    SetAsString(VarToStr(value));
    return;
  }
  if (VarIsFloat(value)) {
    SetAsFloat(value.AsDouble());
    return;
  }
  SetAsLargeInt(value.AsInt64());
}

void TNumericField::SetIntegerFromString(const String& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  Int64 v = 0;
  if (!TryStrToInt64(Trim(value), v)) DatabaseErrorFmt(SInvalidIntegerValue, {value, GetDisplayName()});
  SetAsLargeInt(v);
}

String TNumericField::IntegerText(bool hasValue, Int64 value, bool displayText) const {
  if (!hasValue) return String();
  String format = PickFormat(this, displayText);
  return format.empty() ? IntToStr(static_cast<long long>(value))
                        : FormatFloat(format, static_cast<Extended>(value));
}

// ======================= TIntegerField family =======================

TIntegerField::TIntegerField(TComponent* owner)
    : TIntegerField(owner, ftInteger, std::numeric_limits<Integer>::min(),
                    std::numeric_limits<Integer>::max()) {}

TIntegerField::TIntegerField(TComponent* owner, TFieldType type, Int64 typeMin, Int64 typeMax)
    : TNumericField(owner), typeMin_(typeMin), typeMax_(typeMax) {
  SetDataType(type);
}

void TIntegerField::Published(TPropBuilder<TIntegerField>& p) {
  p.Int(u"MinValue", &TIntegerField::GetMinValue, &TIntegerField::SetMinValue).Default(0);
  p.Int(u"MaxValue", &TIntegerField::GetMaxValue, &TIntegerField::SetMaxValue).Default(0);
}

Integer TIntegerField::GetDataSize() const {
  switch (GetDataType()) {
    case ftSmallint:
    case ftWord:
      return 2;
    case ftShortint:
    case ftByte:
      return 1;
    default:
      return 4;
  }
}

bool TIntegerField::GetValue(Int64& value) const {
  switch (GetDataType()) {
    case ftSmallint: {
      SmallInt v = 0;
      if (!GetData(&v)) return false;
      value = v;
      return true;
    }
    case ftWord: {
      Word v = 0;
      if (!GetData(&v)) return false;
      value = v;
      return true;
    }
    case ftShortint: {
      ShortInt v = 0;
      if (!GetData(&v)) return false;
      value = v;  // NOLINT(bugprone-signed-char-misuse): a signed number, not a character
      return true;
    }
    case ftByte: {
      Byte v = 0;
      if (!GetData(&v)) return false;
      value = v;
      return true;
    }
    default: {
      Integer v = 0;
      if (!GetData(&v)) return false;
      value = v;
      return true;
    }
  }
}

void TIntegerField::CheckRange(Int64 value) const {
  Int64 low = typeMin_;
  Int64 high = typeMax_;
  if (minValue_ != 0 || maxValue_ != 0) {
    low = std::max<Int64>(low, minValue_);
    high = std::min<Int64>(high, maxValue_);
  }
  if (value < low || value > high)
    RangeError(IntToStr(static_cast<long long>(value)), IntToStr(static_cast<long long>(low)),
               IntToStr(static_cast<long long>(high)));
}

void TIntegerField::SetAsLargeInt(Int64 value) {
  CheckRange(value);
  switch (GetDataType()) {
    case ftSmallint: {
      SmallInt v = static_cast<SmallInt>(value);
      SetData(&v);
      break;
    }
    case ftWord: {
      Word v = static_cast<Word>(value);
      SetData(&v);
      break;
    }
    case ftShortint: {
      ShortInt v = static_cast<ShortInt>(value);
      SetData(&v);
      break;
    }
    case ftByte: {
      Byte v = static_cast<Byte>(value);
      SetData(&v);
      break;
    }
    default: {
      Integer v = static_cast<Integer>(value);
      SetData(&v);
      break;
    }
  }
}

Int64 TIntegerField::GetAsLargeInt() const {
  Int64 v = 0;
  GetValue(v);
  return v;
}

Variant TIntegerField::GetAsVariant() const {
  Int64 v = 0;
  if (!GetValue(v)) return Null();
  return Variant(static_cast<Integer>(v));
}

void TIntegerField::SetAsVariant(const Variant& value) { SetIntegerFromVariant(value); }

String TIntegerField::GetAsString() const {
  Int64 v = 0;
  if (!GetValue(v)) return String();
  return IntToStr(static_cast<long long>(v));
}

void TIntegerField::SetAsString(const String& value) { SetIntegerFromString(value); }

Integer TIntegerField::GetAsInteger() const { return static_cast<Integer>(GetAsLargeInt()); }
void TIntegerField::SetAsInteger(Integer value) { SetAsLargeInt(value); }
double TIntegerField::GetAsFloat() const { return static_cast<double>(GetAsLargeInt()); }

void TIntegerField::SetAsFloat(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 9.2e18)
    RangeError(FloatToStr(value), IntToStr(static_cast<long long>(typeMin_)),
               IntToStr(static_cast<long long>(typeMax_)));
  SetAsLargeInt(Round(value));
}

Currency TIntegerField::GetAsCurrency() const { return Currency(GetAsLargeInt()); }
void TIntegerField::SetAsCurrency(Currency value) { SetAsLargeInt(value.ToInt64()); }
TBcd TIntegerField::GetAsBCD() const { return IntegerToBcd(GetAsLargeInt()); }
bool TIntegerField::GetAsBoolean() const { return GetAsLargeInt() != 0; }
void TIntegerField::SetAsBoolean(bool value) { SetAsLargeInt(value ? 1 : 0); }

void TIntegerField::GetFieldText(String& text, bool displayText) const {
  Int64 v = 0;
  const bool has = GetValue(v);
  text = IntegerText(has, v, displayText);
}

TSmallintField::TSmallintField(TComponent* owner) : TIntegerField(owner, ftSmallint, -32768, 32767) {}
TShortintField::TShortintField(TComponent* owner) : TIntegerField(owner, ftShortint, -128, 127) {}
TByteField::TByteField(TComponent* owner) : TIntegerField(owner, ftByte, 0, 255) {}
TWordField::TWordField(TComponent* owner) : TIntegerField(owner, ftWord, 0, 65535) {}

TAutoIncField::TAutoIncField(TComponent* owner)
    : TIntegerField(owner, ftAutoInc, std::numeric_limits<Integer>::min(),
                    std::numeric_limits<Integer>::max()) {
  SetAutoGenerateValue(arAutoInc);
}

// ======================= TLargeintField =======================

TLargeintField::TLargeintField(TComponent* owner) : TLargeintField(owner, ftLargeint) {}

TLargeintField::TLargeintField(TComponent* owner, TFieldType type) : TNumericField(owner) {
  SetDataType(type);
}

void TLargeintField::Published(TPropBuilder<TLargeintField>& p) {
  p.Int64(u"MinValue", &TLargeintField::GetMinValue, &TLargeintField::SetMinValue).Default(0);
  p.Int64(u"MaxValue", &TLargeintField::GetMaxValue, &TLargeintField::SetMaxValue).Default(0);
}

Integer TLargeintField::GetDataSize() const { return GetDataType() == ftLongWord ? 4 : 8; }

bool TLargeintField::GetValue(Int64& value) const {
  if (GetDataType() == ftLongWord) {
    LongWord v = 0;
    if (!GetData(&v)) return false;
    value = v;
    return true;
  }
  return GetData(&value);
}

void TLargeintField::CheckRange(Int64 value) const {
  Int64 low = GetDataType() == ftLongWord ? 0 : std::numeric_limits<Int64>::min();
  Int64 high = GetDataType() == ftLongWord ? Int64(std::numeric_limits<LongWord>::max())
                                           : std::numeric_limits<Int64>::max();
  if (minValue_ != 0 || maxValue_ != 0) {
    low = std::max(low, minValue_);
    high = std::min(high, maxValue_);
  }
  if (value < low || value > high)
    RangeError(IntToStr(static_cast<long long>(value)), IntToStr(static_cast<long long>(low)),
               IntToStr(static_cast<long long>(high)));
}

Int64 TLargeintField::GetAsLargeInt() const {
  Int64 v = 0;
  GetValue(v);
  return v;
}

void TLargeintField::SetAsLargeInt(Int64 value) {
  CheckRange(value);
  if (GetDataType() == ftLongWord) {
    LongWord v = static_cast<LongWord>(value);
    SetData(&v);
    return;
  }
  SetData(&value);
}

Variant TLargeintField::GetAsVariant() const {
  Int64 v = 0;
  if (!GetValue(v)) return Null();
  return Variant(v);
}

void TLargeintField::SetAsVariant(const Variant& value) { SetIntegerFromVariant(value); }

String TLargeintField::GetAsString() const {
  Int64 v = 0;
  if (!GetValue(v)) return String();
  return IntToStr(static_cast<long long>(v));
}

void TLargeintField::SetAsString(const String& value) { SetIntegerFromString(value); }

Integer TLargeintField::GetAsInteger() const {
  Int64 v = GetAsLargeInt();
  if (v < std::numeric_limits<Integer>::min() || v > std::numeric_limits<Integer>::max())
    AccessError(u"Integer");
  return static_cast<Integer>(v);
}

void TLargeintField::SetAsInteger(Integer value) { SetAsLargeInt(value); }
double TLargeintField::GetAsFloat() const { return static_cast<double>(GetAsLargeInt()); }

void TLargeintField::SetAsFloat(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 9.2e18) RangeError(FloatToStr(value), u"", u"");
  SetAsLargeInt(Round(value));
}

Currency TLargeintField::GetAsCurrency() const { return Currency(GetAsLargeInt()); }
void TLargeintField::SetAsCurrency(Currency value) { SetAsLargeInt(value.ToInt64()); }
TBcd TLargeintField::GetAsBCD() const { return IntegerToBcd(GetAsLargeInt()); }

void TLargeintField::GetFieldText(String& text, bool displayText) const {
  Int64 v = 0;
  const bool has = GetValue(v);
  text = IntegerText(has, v, displayText);
}

TLongWordField::TLongWordField(TComponent* owner) : TLargeintField(owner, ftLongWord) {}

// ======================= TFloatField family =======================

TFloatField::TFloatField(TComponent* owner) : TFloatField(owner, ftFloat) {}

TFloatField::TFloatField(TComponent* owner, TFieldType type) : TNumericField(owner) {
  SetDataType(type);
  if (type == ftSingle) precision_ = 7;
}

void TFloatField::Published(TPropBuilder<TFloatField>& p) {
  p.Bool(u"currency", &TFloatField::GetCurrency, &TFloatField::SetCurrency).Default(0);
  p.Double(u"MaxValue", &TFloatField::GetMaxValue, &TFloatField::SetMaxValue);
  p.Double(u"MinValue", &TFloatField::GetMinValue, &TFloatField::SetMinValue);
  p.Int(u"Precision", &TFloatField::GetPrecision, &TFloatField::SetPrecision).Default(15);
}

Integer TFloatField::GetDataSize() const {
  switch (GetDataType()) {
    case ftSingle:
      return static_cast<Integer>(sizeof(float));
    case ftExtended:
      return static_cast<Integer>(sizeof(long double));
    default:
      return static_cast<Integer>(sizeof(double));
  }
}

void TFloatField::SetCurrency(bool value) {
  if (value == currency_) return;
  currency_ = value;
  PropertyChanged(false);
}

void TFloatField::SetPrecision(Integer value) {
  value = std::clamp(value, 2, 15);
  if (value == precision_) return;
  precision_ = value;
  PropertyChanged(false);
}

bool TFloatField::GetValue(Extended& value) const {
  switch (GetDataType()) {
    case ftSingle: {
      float v = 0;
      if (!GetData(&v)) return false;
      value = v;
      return true;
    }
    case ftExtended: {
      long double v = 0;
      if (!GetData(&v)) return false;
      value = v;
      return true;
    }
    default: {
      double v = 0;
      if (!GetData(&v)) return false;
      value = v;
      return true;
    }
  }
}

void TFloatField::StoreValue(Extended value) {
  if (std::isnan(value)) DatabaseErrorFmt(SFieldValueError, {GetDisplayName()});
  if ((minValue_ != 0 || maxValue_ != 0) && (value < minValue_ || value > maxValue_))
    RangeError(FloatText(value, GetDataType()), FloatToStr(minValue_), FloatToStr(maxValue_));
  switch (GetDataType()) {
    case ftSingle: {
      float v = static_cast<float>(value);
      SetData(&v);
      break;
    }
    case ftExtended: {
      long double v = value;
      SetData(&v);
      break;
    }
    default: {
      double v = static_cast<double>(value);
      SetData(&v);
      break;
    }
  }
}

Variant TFloatField::GetAsVariant() const {
  Extended v = 0;
  if (!GetValue(v)) return Null();
  if (GetDataType() == ftSingle) return Variant(static_cast<float>(v));
  return Variant(static_cast<double>(v));
}

void TFloatField::SetAsVariant(const Variant& value) {
  if (HandleSpecialVariant(value)) return;
  if (VarIsStr(value)) {
    SetAsString(VarToStr(value));
    return;
  }
  StoreValue(value.AsDouble());
}

String TFloatField::GetAsString() const {
  Extended v = 0;
  if (!GetValue(v)) return String();
  return FloatText(v, GetDataType());
}

void TFloatField::SetAsString(const String& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  Extended v = 0;
  if (!TryStrToFloat(Trim(value), v)) DatabaseErrorFmt(SInvalidFloatValue, {value, GetDisplayName()});
  StoreValue(v);
}

Integer TFloatField::GetAsInteger() const {
  Extended v = GetAsExtended();
  if (!(v >= std::numeric_limits<Integer>::min() - 0.5L && v <= std::numeric_limits<Integer>::max() + 0.5L))
    AccessError(u"Integer");
  return static_cast<Integer>(Round(v));
}

void TFloatField::SetAsInteger(Integer value) { StoreValue(value); }

Int64 TFloatField::GetAsLargeInt() const {
  Extended v = GetAsExtended();
  if (!(std::fabs(v) < 9.2e18L)) AccessError(u"LargeInt");
  return Round(v);
}

void TFloatField::SetAsLargeInt(Int64 value) { StoreValue(static_cast<Extended>(value)); }

double TFloatField::GetAsFloat() const {
  Extended v = 0;
  GetValue(v);
  return static_cast<double>(v);
}

void TFloatField::SetAsFloat(double value) { StoreValue(value); }

Extended TFloatField::GetAsExtended() const {
  Extended v = 0;
  GetValue(v);
  return v;
}

void TFloatField::SetAsExtended(Extended value) { StoreValue(value); }
Currency TFloatField::GetAsCurrency() const { return Currency::FromDouble(GetAsExtended()); }
void TFloatField::SetAsCurrency(Currency value) { StoreValue(value.ToExtended()); }
TBcd TFloatField::GetAsBCD() const { return DoubleToBcd(GetAsFloat()); }
void TFloatField::SetAsBCD(const TBcd& value) { StoreValue(BcdToDouble(value)); }

void TFloatField::GetFieldText(String& text, bool displayText) const {
  Extended v = 0;
  if (!GetValue(v)) {
    text.clear();
    return;
  }
  String format = PickFormat(this, displayText);
  if (!format.empty()) {
    text = FormatFloat(format, v);
    return;
  }
  if (currency_)
    text = FloatToStrF(v, displayText ? ffCurrency : ffFixed, precision_, FormatSettings.CurrencyDecimals);
  else
    text = FloatToStrF(v, ffGeneral, precision_, 0);
}

TCurrencyField::TCurrencyField(TComponent* owner) : TFloatField(owner, ftCurrency) { SetCurrency(true); }
TSingleField::TSingleField(TComponent* owner) : TFloatField(owner, ftSingle) {}
TExtendedField::TExtendedField(TComponent* owner) : TFloatField(owner, ftExtended) {}

// ======================= TBCDField family =======================

TBCDField::TBCDField(TComponent* owner) : TBCDField(owner, ftBCD) {}

TBCDField::TBCDField(TComponent* owner, TFieldType type) : TNumericField(owner) {
  SetDataType(type);
  SetSize(type == ftBCD ? 4 : 8);
}

void TBCDField::Published(TPropBuilder<TBCDField>& p) {
  p.Int(u"Size", &TBCDField::GetSize, &TBCDField::SetSize);
  p.Int(u"Precision", &TBCDField::GetPrecision, &TBCDField::SetPrecision).Default(0);
  p.Bool(u"currency", &TBCDField::GetCurrency, &TBCDField::SetCurrency).Default(0);
  p.Str(u"MaxValue", &TBCDField::GetMaxValue, &TBCDField::SetMaxValue);
  p.Str(u"MinValue", &TBCDField::GetMinValue, &TBCDField::SetMinValue);
}

void TBCDField::CheckTypeSize(Integer value) const {
  if (value < 0 || value > MaxBcdDigits) DatabaseError(SInvalidFieldSize);
}

void TBCDField::SetCurrency(bool value) {
  if (value == currency_) return;
  currency_ = value;
  PropertyChanged(false);
}

void TBCDField::SetPrecision(Integer value) {
  if (value < 0 || value > MaxBcdDigits) DatabaseError(SInvalidFieldSize);
  precision_ = value;
}

bool TBCDField::GetValue(TBcd& value) const { return GetData(&value); }

void TBCDField::StoreValue(const TBcd& value) {
  int precision = precision_ > 0 ? precision_ : MaxBcdDigits;
  int scale = std::min(GetSize(), precision);
  TBcd stored;
  try {
    // False only means that digits past the field's decimals were rounded off, as intended.
    NormalizeBcd(value, stored, precision, scale);
  } catch (const EBcdException&) {
    String limit = u"1" + StringOfChar(u'0', precision - scale);
    RangeError(BcdToStr(value), u"-" + limit, limit);
  }
  if (!minValue_.empty() && stored < StrToBcd(minValue_)) RangeError(BcdToStr(value), minValue_, maxValue_);
  if (!maxValue_.empty() && stored > StrToBcd(maxValue_)) RangeError(BcdToStr(value), minValue_, maxValue_);
  SetData(&stored);
}

Variant TBCDField::GetAsVariant() const {
  TBcd v;
  if (!GetValue(v)) return Null();
  Currency c;
  if (BcdToCurr(v, c)) return Variant(c);
  return VarFMTBcdCreate(v);
}

void TBCDField::SetAsVariant(const Variant& value) {
  if (HandleSpecialVariant(value)) return;
  if (VarIsStr(value)) {
    SetAsString(VarToStr(value));
    return;
  }
  StoreValue(value.AsBcd());
}

String TBCDField::GetAsString() const {
  TBcd v;
  if (!GetValue(v)) return String();
  return BcdToStr(v);
}

void TBCDField::SetAsString(const String& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  TBcd v;
  if (!TryStrToBcd(Trim(value), v)) DatabaseErrorFmt(SInvalidBcdValue, {value, GetDisplayName()});
  StoreValue(v);
}

Integer TBCDField::GetAsInteger() const {
  Int64 v = GetAsLargeInt();
  if (v < std::numeric_limits<Integer>::min() || v > std::numeric_limits<Integer>::max())
    AccessError(u"Integer");
  return static_cast<Integer>(v);
}

void TBCDField::SetAsInteger(Integer value) { StoreValue(IntegerToBcd(value)); }

Int64 TBCDField::GetAsLargeInt() const {
  TBcd v;
  if (!GetValue(v)) return 0;
  return BcdToInteger(v);
}

void TBCDField::SetAsLargeInt(Int64 value) { StoreValue(IntegerToBcd(value)); }

double TBCDField::GetAsFloat() const {
  TBcd v;
  if (!GetValue(v)) return 0;
  return BcdToDouble(v);
}

void TBCDField::SetAsFloat(double value) {
  if (!std::isfinite(value)) DatabaseErrorFmt(SFieldValueError, {GetDisplayName()});
  StoreValue(DoubleToBcd(value));
}

Currency TBCDField::GetAsCurrency() const {
  TBcd v;
  if (!GetValue(v)) return Currency();
  return BcdToCurrency(v);
}

void TBCDField::SetAsCurrency(Currency value) { StoreValue(CurrencyToBcd(value)); }

TBcd TBCDField::GetAsBCD() const {
  TBcd v;
  if (!GetValue(v)) return TBcd();
  return v;
}

void TBCDField::SetAsBCD(const TBcd& value) { StoreValue(value); }

void TBCDField::GetFieldText(String& text, bool displayText) const {
  TBcd v;
  if (!GetValue(v)) {
    text.clear();
    return;
  }
  String format = PickFormat(this, displayText);
  if (!format.empty()) {
    text = FormatBcd(format, v);
    return;
  }
  if (currency_)
    text = BcdToStrF(v, displayText ? ffCurrency : ffFixed, MaxBcdDigits, FormatSettings.CurrencyDecimals);
  else
    text = BcdToStr(v);
}

TFMTBCDField::TFMTBCDField(TComponent* owner) : TBCDField(owner, ftFMTBcd) {}

Variant TFMTBCDField::GetAsVariant() const {
  TBcd v;
  if (!GetValue(v)) return Null();
  return VarFMTBcdCreate(v);
}

// ======================= TBooleanField =======================

TBooleanField::TBooleanField(TComponent* owner) : TField(owner) {
  SetDataType(ftBoolean);
  SetDisplayValues(String(STextTrue) + u";" + STextFalse);
}

void TBooleanField::Published(TPropBuilder<TBooleanField>& p) {
  p.Str(u"DisplayValues", &TBooleanField::GetDisplayValues, &TBooleanField::SetDisplayValues);
}

void TBooleanField::SetDisplayValues(const String& value) {
  displayValues_ = value;
  size_t separator = value.find(u';');
  if (separator == String::npos) {
    textTrue_ = value;
    textFalse_.clear();
  } else {
    textTrue_ = value.substr(0, separator);
    textFalse_ = value.substr(separator + 1);
  }
  PropertyChanged(true);
}

Integer TBooleanField::GetDefaultWidth() const {
  return static_cast<Integer>(std::max(textTrue_.size(), textFalse_.size()));
}

Variant TBooleanField::GetAsVariant() const {
  Word v = 0;
  if (!GetData(&v)) return Null();
  return Variant(v != 0);
}

void TBooleanField::SetAsVariant(const Variant& value) {
  if (HandleSpecialVariant(value)) return;
  if (VarIsStr(value)) {
    SetAsString(VarToStr(value));
    return;
  }
  SetAsBoolean(value.AsBoolean());
}

String TBooleanField::GetAsString() const {
  Word v = 0;
  if (!GetData(&v)) return String();
  return v ? textTrue_ : textFalse_;
}

void TBooleanField::SetAsString(const String& value) {
  size_t length = value.size();
  if (length == 0) {
    if (textFalse_.empty())
      SetAsBoolean(false);
    else if (textTrue_.empty())
      SetAsBoolean(true);
    else
      Clear();
    return;
  }
  auto prefixOf = [&](const String& text) {
    return length <= text.size() && AnsiCompareText(text.substr(0, length), value) == 0;
  };
  if (prefixOf(textFalse_))
    SetAsBoolean(false);
  else if (prefixOf(textTrue_))
    SetAsBoolean(true);
  else
    DatabaseErrorFmt(SInvalidBoolValue, {value, GetDisplayName()});
}

bool TBooleanField::GetAsBoolean() const {
  Word v = 0;
  GetData(&v);
  return v != 0;
}

void TBooleanField::SetAsBoolean(bool value) {
  Word v = value ? 1 : 0;
  SetData(&v);
}

Integer TBooleanField::GetAsInteger() const { return GetAsBoolean() ? 1 : 0; }
void TBooleanField::SetAsInteger(Integer value) { SetAsBoolean(value != 0); }

// ======================= Dates and times =======================

TDateTimeField::TDateTimeField(TComponent* owner) : TDateTimeField(owner, ftDateTime) {}

TDateTimeField::TDateTimeField(TComponent* owner, TFieldType type) : TField(owner) { SetDataType(type); }

void TDateTimeField::Published(TPropBuilder<TDateTimeField>& p) {
  p.Str(u"DisplayFormat", &TDateTimeField::GetDisplayFormat, &TDateTimeField::SetDisplayFormat);
}

Integer TDateTimeField::GetDataSize() const { return GetDataType() == ftDateTime ? 8 : 4; }

Integer TDateTimeField::GetDefaultWidth() const {
  switch (GetDataType()) {
    case ftDate:
      return 10;
    case ftTime:
      return 8;
    default:
      return 18;
  }
}

void TDateTimeField::SetDisplayFormat(const String& value) {
  if (value == displayFormat_) return;
  displayFormat_ = value;
  PropertyChanged(false);
}

Variant TDateTimeField::GetAsVariant() const {
  TDateTime v = 0;
  if (!GetData(&v, false)) return Null();
  return Variant::FromDate(v);
}

void TDateTimeField::SetAsVariant(const Variant& value) {
  if (HandleSpecialVariant(value)) return;
  if (VarIsStr(value)) {
    SetAsString(VarToStr(value));
    return;
  }
  SetAsDateTime(VarToDateTime(value));
}

void TDateTimeField::GetFieldText(String& text, bool displayText) const {
  TDateTime v = 0;
  if (!GetData(&v, false)) {
    text.clear();
    return;
  }
  String format;
  if (displayText && !displayFormat_.empty())
    format = displayFormat_;
  else if (GetDataType() == ftDate)
    format = FormatSettings.ShortDateFormat;
  else if (GetDataType() == ftTime)
    format = FormatSettings.LongTimeFormat;
  DateTimeToString(text, format, v);
}

String TDateTimeField::GetAsString() const {
  String text;
  GetFieldText(text, false);
  return text;
}

void TDateTimeField::SetAsString(const String& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  switch (GetDataType()) {
    case ftDate:
      SetAsDateTime(StrToDate(value));
      break;
    case ftTime:
      SetAsDateTime(StrToTime(value));
      break;
    default:
      SetAsDateTime(StrToDateTime(value));
      break;
  }
}

double TDateTimeField::GetAsFloat() const { return GetAsDateTime(); }
void TDateTimeField::SetAsFloat(double value) { SetAsDateTime(value); }

TDateTime TDateTimeField::GetAsDateTime() const {
  TDateTime v = 0;
  if (!GetData(&v, false)) return 0;
  return v;
}

void TDateTimeField::SetAsDateTime(TDateTime value) {
  if (!std::isfinite(value) || value < MinDateTime || value > MaxDateTime)
    DatabaseErrorFmt(SFieldValueError, {GetDisplayName()});
  if (GetDataType() == ftDate) value = DateOf(value);
  if (GetDataType() == ftTime) value = TimeOf(value);
  SetData(&value, false);
}

TSQLTimeStamp TDateTimeField::GetAsSQLTimeStamp() const { return DateTimeToSQLTimeStamp(GetAsDateTime()); }
void TDateTimeField::SetAsSQLTimeStamp(const TSQLTimeStamp& value) {
  SetAsDateTime(SQLTimeStampToDateTime(value));
}

TDateField::TDateField(TComponent* owner) : TDateTimeField(owner, ftDate) {}
TTimeField::TTimeField(TComponent* owner) : TDateTimeField(owner, ftTime) {}

TSQLTimeStampField::TSQLTimeStampField(TComponent* owner) : TField(owner) { SetDataType(ftTimeStamp); }

void TSQLTimeStampField::Published(TPropBuilder<TSQLTimeStampField>& p) {
  p.Str(u"DisplayFormat", &TSQLTimeStampField::GetDisplayFormat, &TSQLTimeStampField::SetDisplayFormat);
}

void TSQLTimeStampField::SetDisplayFormat(const String& value) {
  displayFormat_ = value;
  PropertyChanged(false);
}

Variant TSQLTimeStampField::GetAsVariant() const {
  TSQLTimeStamp v;
  if (!GetData(&v)) return Null();
  return VarSQLTimeStampCreate(v);
}

void TSQLTimeStampField::SetAsVariant(const Variant& value) {
  if (HandleSpecialVariant(value)) return;
  if (VarIsStr(value)) {
    SetAsString(VarToStr(value));
    return;
  }
  SetAsSQLTimeStamp(VarToSQLTimeStamp(value));
}

String TSQLTimeStampField::GetAsString() const {
  String text;
  GetFieldText(text, false);
  return text;
}

void TSQLTimeStampField::SetAsString(const String& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  SetAsSQLTimeStamp(StrToSQLTimeStamp(value));
}

TDateTime TSQLTimeStampField::GetAsDateTime() const {
  TSQLTimeStamp v;
  if (!GetData(&v)) return 0;
  return SQLTimeStampToDateTime(v);
}

void TSQLTimeStampField::SetAsDateTime(TDateTime value) { SetAsSQLTimeStamp(DateTimeToSQLTimeStamp(value)); }

TSQLTimeStamp TSQLTimeStampField::GetAsSQLTimeStamp() const {
  TSQLTimeStamp v;
  if (!GetData(&v)) return TSQLTimeStamp();
  return v;
}

void TSQLTimeStampField::SetAsSQLTimeStamp(const TSQLTimeStamp& value) {
  CheckSqlTimeStamp(value);
  SetData(&value);
}

void TSQLTimeStampField::GetFieldText(String& text, bool displayText) const {
  TSQLTimeStamp v;
  if (!GetData(&v)) {
    text.clear();
    return;
  }
  text = SQLTimeStampToStr(displayText ? displayFormat_ : String(), v);
}

// ======================= Binary =======================

TBinaryField::TBinaryField(TComponent* owner, TFieldType type) : TField(owner) {
  SetDataType(type);
  SetSize(16);
}

void TBinaryField::CheckTypeSize(Integer value) const {
  if (value < 0 || value > 0xFFFF) DatabaseError(SInvalidFieldSize);
}

TBytes TBinaryField::GetAsBytes() const {
  Variant v = GetAsVariant();
  if (VarIsNull(v)) return TBytes();
  return VarToBytes(v);
}

void TBinaryField::SetAsBytes(const TBytes& value) {
  std::vector<Byte> buffer(static_cast<size_t>(GetDataSize()), 0);
  VariantToFieldBuffer(this, VarArrayOfBytes(value), buffer.data(), true);
  SetData(buffer.data());
}

Variant TBinaryField::GetAsVariant() const {
  std::vector<Byte> buffer(static_cast<size_t>(GetDataSize()), 0);
  if (!GetData(buffer.data())) return Null();
  return FieldBufferToVariant(this, buffer.data(), true);
}

void TBinaryField::SetAsVariant(const Variant& value) {
  if (HandleSpecialVariant(value)) return;
  if (VarIsStr(value)) {
    SetAsString(VarToStr(value));
    return;
  }
  SetAsBytes(VarToBytes(value));
}

String TBinaryField::GetAsString() const { return BytesToAnsiText(GetAsBytes()); }
void TBinaryField::SetAsString(const String& value) { SetAsBytes(AnsiTextToBytes(value)); }

void TBinaryField::GetFieldText(String& text, bool displayText) const {
  if (!displayText) {
    text = GetAsString();
    return;
  }
  text = GetDataType() == ftBytes ? u"(Bytes)" : u"(VarBytes)";
}

TBytesField::TBytesField(TComponent* owner) : TBinaryField(owner, ftBytes) {}
TVarBytesField::TVarBytesField(TComponent* owner) : TBinaryField(owner, ftVarBytes) {}

// ======================= Blobs =======================

TBlobField::TBlobField(TComponent* owner) : TBlobField(owner, ftBlob) {}

TBlobField::TBlobField(TComponent* owner, TFieldType type) : TField(owner) { SetDataType(type); }

void TBlobField::Published(TPropBuilder<TBlobField>& p) {
  p.Int(u"Size", &TBlobField::GetSize, &TBlobField::SetSize).Default(0);
  p.Bool(u"GraphicHeader", &TBlobField::GetGraphicHeader, &TBlobField::SetGraphicHeader).Default(0);
}

void TBlobField::CheckTypeSize(Integer value) const {
  if (value < 0) DatabaseError(SInvalidFieldSize);
}

void TBlobField::SetBlobType(TBlobType value) {
  CheckInactive();
  SetDataType(value);
}

bool TBlobField::GetIsNull() const { return TField::GetIsNull(); }

TBytes TBlobField::GetAsBytes() const {
  TDataSet* dataSet = GetDataSet();
  if (!dataSet) DatabaseErrorFmt(SDataSetMissing, {GetDisplayName()});
  if (!dataSet->GetActiveRecordBuffer()) return TBytes();
  std::unique_ptr<TStream> stream(dataSet->CreateBlobStream(const_cast<TBlobField*>(this), bmRead));
  if (!stream) return TBytes();
  stream->Seek(0, soBeginning);
  return stream->ReadAllBytes();
}

void TBlobField::SetAsBytes(const TBytes& value) {
  TDataSet* dataSet = GetDataSet();
  if (!dataSet) DatabaseErrorFmt(SDataSetMissing, {GetDisplayName()});
  std::unique_ptr<TStream> stream(dataSet->CreateBlobStream(this, bmWrite));
  if (!stream) DatabaseError(SOperationNotSupported, dataSet);
  if (!value.empty()) stream->WriteBuffer(value.data(), static_cast<Integer>(value.size()));
  if (auto* blob = dynamic_cast<TFieldBlobStream*>(stream.get())) blob->Commit();
  modified_ = true;
}

Integer TBlobField::GetBlobSize() const { return static_cast<Integer>(GetAsBytes().size()); }

void TBlobField::Clear() { SetAsBytes(TBytes()); }

String TBlobField::BytesToText(const TBytes& bytes) const {
  if (GetDataType() == ftWideMemo) {
    String text(bytes.size() / 2, u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(Char));
    return text;
  }
  return BytesToAnsiText(bytes);
}

TBytes TBlobField::TextToBytes(const String& text) const {
  if (GetDataType() == ftWideMemo) {
    TBytes bytes(text.size() * sizeof(Char));
    std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
  }
  return AnsiTextToBytes(text);
}

Variant TBlobField::GetAsVariant() const {
  if (IsNull()) return Null();
  if (IsMemoType(GetDataType())) return GetAsString();
  return VarArrayOfBytes(GetAsBytes());
}

void TBlobField::SetAsVariant(const Variant& value) {
  if (HandleSpecialVariant(value)) return;
  if (VarIsStr(value))
    SetAsString(VarToStr(value));
  else
    SetAsBytes(VarToBytes(value));
}

String TBlobField::GetAsString() const { return BytesToText(GetAsBytes()); }
void TBlobField::SetAsString(const String& value) { SetAsBytes(TextToBytes(value)); }

void TBlobField::LoadFromStream(TStream* stream) {
  stream->Seek(0, soBeginning);
  SetAsBytes(stream->ReadAllBytes());
}

void TBlobField::SaveToStream(TStream* stream) const {
  TBytes bytes = GetAsBytes();
  if (!bytes.empty()) stream->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TBlobField::LoadFromFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TBlobField::SaveToFile(const String& fileName) const {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}

void TBlobField::Assign(TPersistent* source) {
  if (auto* blob = dynamic_cast<TBlobField*>(source)) {
    SetAsBytes(blob->GetAsBytes());
    return;
  }
  TField::Assign(source);
}

void TBlobField::GetFieldText(String& text, bool displayText) const {
  if (!displayText) {
    text = GetAsString();
    return;
  }
  String name;
  switch (GetDataType()) {
    case ftMemo:
    case ftFmtMemo:
    case ftOraClob:
      name = u"MEMO";
      break;
    case ftWideMemo:
      name = u"WIDEMEMO";
      break;
    case ftGraphic:
      name = u"GRAPHIC";
      break;
    default:
      name = u"BLOB";
      break;
  }
  if (IsNull()) name = LowerCase(name);
  text = u"(" + name + u")";
}

TMemoField::TMemoField(TComponent* owner) : TBlobField(owner, ftMemo) {}
TMemoField::TMemoField(TComponent* owner, TFieldType type) : TBlobField(owner, type) {}
TWideMemoField::TWideMemoField(TComponent* owner) : TMemoField(owner, ftWideMemo) {}
TGraphicField::TGraphicField(TComponent* owner) : TBlobField(owner, ftGraphic) {}

// ======================= TVariantField =======================

TVariantField::TVariantField(TComponent* owner) : TField(owner) { SetDataType(ftVariant); }

Variant TVariantField::GetAsVariant() const {
  Variant v;
  if (!GetData(&v)) return Null();
  return v;
}

void TVariantField::SetAsVariant(const Variant& value) {
  if (HandleSpecialVariant(value)) return;
  SetData(&value);
}

String TVariantField::GetAsString() const { return VarToStr(GetAsVariant()); }
void TVariantField::SetAsString(const String& value) { SetAsVariant(value); }
Integer TVariantField::GetAsInteger() const { return GetAsVariant().AsInteger(); }
void TVariantField::SetAsInteger(Integer value) { SetAsVariant(value); }
Int64 TVariantField::GetAsLargeInt() const { return GetAsVariant().AsInt64(); }
void TVariantField::SetAsLargeInt(Int64 value) { SetAsVariant(value); }
double TVariantField::GetAsFloat() const { return GetAsVariant().AsDouble(); }
void TVariantField::SetAsFloat(double value) { SetAsVariant(value); }
Currency TVariantField::GetAsCurrency() const { return GetAsVariant().AsCurrency(); }
void TVariantField::SetAsCurrency(Currency value) { SetAsVariant(value); }
TBcd TVariantField::GetAsBCD() const { return GetAsVariant().AsBcd(); }
void TVariantField::SetAsBCD(const TBcd& value) { SetAsVariant(VarFMTBcdCreate(value)); }
bool TVariantField::GetAsBoolean() const { return GetAsVariant().AsBoolean(); }
void TVariantField::SetAsBoolean(bool value) { SetAsVariant(value); }
TDateTime TVariantField::GetAsDateTime() const { return VarToDateTime(GetAsVariant()); }
void TVariantField::SetAsDateTime(TDateTime value) { SetAsVariant(Variant::FromDate(value)); }

// ======================= TAggregateField =======================

TAggregateField::TAggregateField(TComponent* owner) : TField(owner) {
  SetDataType(ftUnknown);
  SetFieldKind(fkAggregate);
}

void TAggregateField::Published(TPropBuilder<TAggregateField>& p) {
  p.Bool(u"Active", &TAggregateField::GetActive, &TAggregateField::SetActive).Default(0);
  p.Str(u"DisplayFormat", &TAggregateField::GetDisplayFormat, &TAggregateField::SetDisplayFormat);
  p.Str(u"Expression", &TAggregateField::GetExpression, &TAggregateField::SetExpression);
  p.Str(u"GroupingLevel", &TAggregateField::GetGroupingLevel, &TAggregateField::SetGroupingLevel);
  p.Str(u"IndexName", &TAggregateField::GetIndexName, &TAggregateField::SetIndexName);
}

void TAggregateField::SetExpression(const String& value) {
  expression_ = value;
  PropertyChanged(false);
}

void TAggregateField::SetActive(bool value) {
  active_ = value;
  PropertyChanged(false);
}

void TAggregateField::SetDisplayFormat(const String& value) {
  displayFormat_ = value;
  PropertyChanged(false);
}

String TAggregateField::GetAsString() const { return GetIsNull() ? String() : VarToStr(value_); }
Integer TAggregateField::GetAsInteger() const { return GetIsNull() ? 0 : value_.AsInteger(); }
double TAggregateField::GetAsFloat() const { return GetIsNull() ? 0 : value_.AsDouble(); }
Currency TAggregateField::GetAsCurrency() const { return GetIsNull() ? Currency() : value_.AsCurrency(); }

void TAggregateField::GetFieldText(String& text, bool displayText) const {
  if (GetIsNull()) {
    text.clear();
    return;
  }
  if (displayText && !displayFormat_.empty()) {
    if (VarType(value_) == varDate) {
      DateTimeToString(text, displayFormat_, VarToDateTime(value_));
      return;
    }
    if (VarIsNumeric(value_)) {
      text = FormatFloat(displayFormat_, value_.AsDouble());
      return;
    }
  }
  text = VarToStr(value_);
}

// ======================= TFields =======================

TFields::TFields(TDataSet* dataSet) : dataSet_(dataSet) {}

TFields::~TFields() {
  for (TField* field : list_) field->dataSet_ = nullptr;
}

TField* TFields::GetField(int index) const {
  if (index < 0 || index >= GetCount()) throw EListError(Format(u"List index out of bounds (%d)", {index}));
  return list_[static_cast<size_t>(index)];
}

void TFields::SetField(int index, TField* value) { GetField(index)->Assign(value); }

int TFields::IndexOf(const TField* field) const {
  auto it = std::find(list_.begin(), list_.end(), field);
  return it == list_.end() ? -1 : static_cast<int>(it - list_.begin());
}

TField* TFields::FindField(const String& fieldName) const {
  for (TField* field : list_)
    if (AnsiSameText(field->GetFieldName(), fieldName)) return field;
  return nullptr;
}

TField* TFields::FieldByName(const String& fieldName) const {
  TField* field = FindField(fieldName);
  if (!field) DatabaseErrorFmt(SFieldNotFound, {fieldName}, dataSet_);
  return field;
}

TField* TFields::FieldByNumber(int fieldNo) const {
  for (TField* field : list_)
    if (field->GetFieldNo() == fieldNo) return field;
  return nullptr;
}

void TFields::CheckFieldName(const String& fieldName) const {
  if (fieldName.empty()) DatabaseError(SFieldNameMissing, dataSet_);
  if (dataSet_ ? dataSet_->FindField(fieldName) : FindField(fieldName))
    DatabaseErrorFmt(SDuplicateFieldName, {fieldName}, dataSet_);
}

void TFields::CheckFieldNames(const String& fieldNames) const {
  for (const String& name : SplitFieldNames(fieldNames)) FieldByName(name);
}

void TFields::Add(TField* field) {
  CheckFieldName(field->GetFieldName());
  list_.push_back(field);
  field->dataSet_ = dataSet_;
  Changed();
}

void TFields::Remove(TField* field) {
  auto it = std::find(list_.begin(), list_.end(), field);
  if (it == list_.end()) return;
  list_.erase(it);
  field->dataSet_ = nullptr;
  Changed();
}

void TFields::Clear() {
  while (!list_.empty()) {
    TField* field = list_.back();
    list_.pop_back();
    field->dataSet_ = nullptr;
    if (dataSet_ && field->GetOwner() == dataSet_) delete field;
  }
  Changed();
}

void TFields::ChangeFieldIndex(TField* field, int newIndex) {
  int current = IndexOf(field);
  if (current < 0) return;
  newIndex = std::clamp(newIndex, 0, GetCount() - 1);
  if (newIndex == current) return;
  list_.erase(list_.begin() + current);
  list_.insert(list_.begin() + newIndex, field);
  Changed();
  if (dataSet_ && dataSet_->GetActive()) dataSet_->DataEvent(deLayoutChange, 0);
}

std::vector<String> TFields::FieldNames() const {
  std::vector<String> names;
  for (TField* field : list_) names.push_back(field->GetFieldName());
  return names;
}

void TFields::Changed() {
  if (dataSet_ && !dataSet_->GetComponentState().Contains(csDestroying) && dataSet_->GetActive())
    dataSet_->DataEvent(deFieldListChange, 0);
  if (OnChange) OnChange();
}

// ======================= TFieldBlobStream =======================

TFieldBlobStream::TFieldBlobStream(TField* field, TBlobStreamMode mode, const TBytes& bytes, TStore store)
    : field_(field), mode_(mode), store_(std::move(store)) {
  TDataSet* dataSet = field->GetDataSet();
  if (mode != bmRead) {
    TDataSetState state = dataSet ? dataSet->GetState() : dsInactive;
    if (state != dsEdit && state != dsInsert && state != dsSetKey && state != dsCalcFields &&
        state != dsNewValue)
      DatabaseError(SNotEditing, dataSet);
    if (field->GetReadOnly() && (state == dsEdit || state == dsInsert))
      DatabaseErrorFmt(SFieldReadOnly, {field->GetDisplayName()});
  }
  if (mode != bmWrite && !bytes.empty())
    TMemoryStream::Write(bytes.data(), static_cast<Integer>(bytes.size()));
  Seek(0, soBeginning);
  modified_ = mode == bmWrite;
}

TFieldBlobStream::~TFieldBlobStream() {
  try {
    Commit();
  } catch (...) {
    // A destructor cannot report it; callers that must know call Commit() first.
  }
}

Integer TFieldBlobStream::Write(const void* buffer, Integer count) {
  if (mode_ == bmRead) throw EStreamError(u"Stream write error");
  modified_ = true;
  return TMemoryStream::Write(buffer, count);
}

void TFieldBlobStream::SetSize(Int64 newSize) {
  if (mode_ == bmRead) throw EStreamError(u"Stream write error");
  modified_ = true;
  TMemoryStream::SetSize(newSize);
}

void TFieldBlobStream::Commit() {
  if (!modified_ || mode_ == bmRead) return;
  modified_ = false;
  const Byte* data = static_cast<const Byte*>(GetMemory());
  TBytes bytes(data, data + GetSize());
  if (store_) store_(bytes);
  if (TDataSet* dataSet = field_->GetDataSet()) {
    TDataSetState state = dataSet->GetState();
    if (state != dsCalcFields && state != dsNewValue)
      dataSet->DataEvent(deFieldChange, reinterpret_cast<NativeInt>(field_));
  }
}

// ======================= Field classes by type =======================

TFieldClass DefaultFieldClass(TFieldType type) {
  switch (type) {
    case ftString:
    case ftFixedChar:
      return TStringField::StaticClass();
    case ftWideString:
    case ftFixedWideChar:
      return TWideStringField::StaticClass();
    case ftSmallint:
      return TSmallintField::StaticClass();
    case ftInteger:
      return TIntegerField::StaticClass();
    case ftWord:
      return TWordField::StaticClass();
    case ftBoolean:
      return TBooleanField::StaticClass();
    case ftFloat:
      return TFloatField::StaticClass();
    case ftCurrency:
      return TCurrencyField::StaticClass();
    case ftBCD:
      return TBCDField::StaticClass();
    case ftDate:
      return TDateField::StaticClass();
    case ftTime:
      return TTimeField::StaticClass();
    case ftDateTime:
      return TDateTimeField::StaticClass();
    case ftBytes:
      return TBytesField::StaticClass();
    case ftVarBytes:
      return TVarBytesField::StaticClass();
    case ftAutoInc:
      return TAutoIncField::StaticClass();
    case ftBlob:
    case ftTypedBinary:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftOraBlob:
      return TBlobField::StaticClass();
    case ftMemo:
    case ftFmtMemo:
    case ftOraClob:
      return TMemoField::StaticClass();
    case ftWideMemo:
      return TWideMemoField::StaticClass();
    case ftGraphic:
      return TGraphicField::StaticClass();
    case ftLargeint:
      return TLargeintField::StaticClass();
    case ftVariant:
      return TVariantField::StaticClass();
    case ftGuid:
      return TGuidField::StaticClass();
    case ftTimeStamp:
    case ftOraTimeStamp:
      return TSQLTimeStampField::StaticClass();
    case ftFMTBcd:
      return TFMTBCDField::StaticClass();
    case ftLongWord:
      return TLongWordField::StaticClass();
    case ftShortint:
      return TShortintField::StaticClass();
    case ftByte:
      return TByteField::StaticClass();
    case ftExtended:
      return TExtendedField::StaticClass();
    case ftSingle:
      return TSingleField::StaticClass();
    default:
      return nullptr;
  }
}

KIV_REGISTER_CLASS(TStringField);
KIV_REGISTER_CLASS(TWideStringField);
KIV_REGISTER_CLASS(TGuidField);
KIV_REGISTER_CLASS(TIntegerField);
KIV_REGISTER_CLASS(TSmallintField);
KIV_REGISTER_CLASS(TShortintField);
KIV_REGISTER_CLASS(TByteField);
KIV_REGISTER_CLASS(TWordField);
KIV_REGISTER_CLASS(TAutoIncField);
KIV_REGISTER_CLASS(TLargeintField);
KIV_REGISTER_CLASS(TLongWordField);
KIV_REGISTER_CLASS(TFloatField);
KIV_REGISTER_CLASS(TCurrencyField);
KIV_REGISTER_CLASS(TSingleField);
KIV_REGISTER_CLASS(TExtendedField);
KIV_REGISTER_CLASS(TBCDField);
KIV_REGISTER_CLASS(TFMTBCDField);
KIV_REGISTER_CLASS(TBooleanField);
KIV_REGISTER_CLASS(TDateTimeField);
KIV_REGISTER_CLASS(TDateField);
KIV_REGISTER_CLASS(TTimeField);
KIV_REGISTER_CLASS(TSQLTimeStampField);
KIV_REGISTER_CLASS(TBytesField);
KIV_REGISTER_CLASS(TVarBytesField);
KIV_REGISTER_CLASS(TBlobField);
KIV_REGISTER_CLASS(TMemoField);
KIV_REGISTER_CLASS(TWideMemoField);
KIV_REGISTER_CLASS(TGraphicField);
KIV_REGISTER_CLASS(TVariantField);
KIV_REGISTER_CLASS(TAggregateField);
