// Fields: TField and its class tree (strings, numbers, booleans, dates, binary, blobs, variants,
// aggregates), the dataset's TFields list, lookup lists and the blob stream helper.
//
// Values travel between a field and its dataset through buffers. A field reads with
// GetData(buffer, nativeFormat) and writes with SetData; the dataset answers through its
// GetFieldData/SetFieldData. The buffer of each type (what GetDataSize() bytes hold):
//   ftString, ftFixedChar, ftWideString, ftFixedWideChar, ftGuid: Size + 1 Chars, null-terminated
//   ftSmallint Int16, ftShortint Int8, ftByte UInt8, ftWord UInt16, ftInteger/ftAutoInc Int32,
//   ftLongWord UInt32, ftLargeint Int64, ftBoolean UInt16 (0 or 1),
//   ftFloat/ftCurrency double, ftSingle float, ftExtended long double,
//   ftBCD/ftFMTBcd TBcd, ftTimeStamp TSQLTimeStamp, ftTimeStampOffset TSQLTimeStampOffset,
//   ftDate/ftTime/ftDateTime: native Int32 days+1 since 01.01.0001 / Int32 ms since midnight /
//     double ms since 01.01.0001 minus a day (the time-stamp scale); non-native a TDateTime double,
//   ftBytes Size bytes, ftVarBytes UInt16 length then up to Size bytes,
//   ftVariant: the buffer is a live Variant object the caller owns (assign to it, never memcpy).
// Blobs (ftBlob .. ftWideMemo, ftOraBlob, ftOraClob) go through TDataSet::CreateBlobStream: ftMemo
// and ftFmtMemo hold windows-1251 bytes, ftWideMemo UTF-16LE, the rest raw bytes.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/Streams.h"
#include "platform/data/DBTypes.h"
#include "platform/rtl/AnsiString.h"
#include "platform/rtl/Bcd.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/SqlTimeStamp.h"
#include "platform/rtl/Variant.h"

// Key -> value pairs a lookup field caches from its lookup dataset.
class TLookupList {
 public:
  void Add(const Variant& key, const Variant& value);
  void Clear();
  // Unassigned when the key is not in the list.
  Variant ValueOfKey(const Variant& key) const;
  int Count() const { return static_cast<int>(items_.size()); }

 private:
  std::vector<std::pair<Variant, Variant>> items_;
};

class TField : public TComponent {
  KIV_CLASS(TField, TComponent)
 public:
  explicit TField(TComponent* owner);
  ~TField() override;

  static void Published(TPropBuilder<TField>& p);

  // ---- Identity and place in the dataset ----
  TDataSet* GetDataSet() const { return dataSet_; }
  // Moves the field into dataset's Fields (or out of any, with null); the dataset must be closed.
  virtual void SetDataSet(TDataSet* dataSet);
  const String& GetFieldName() const { return fieldName_; }
  void SetFieldName(const String& value);
  const String& GetFullName() const { return fieldName_; }
  // 1-based position among the dataset's physical fields; 0 for calculated and lookup fields.
  Integer GetFieldNo() const { return fieldNo_; }
  void SetFieldNo(Integer value) { fieldNo_ = value; }
  // Position in the dataset's Fields; setting moves the field there.
  int GetIndex() const;
  void SetIndex(int value);
  TFieldKind GetFieldKind() const { return fieldKind_; }
  void SetFieldKind(TFieldKind value);
  TFieldType GetDataType() const { return dataType_; }
  Integer GetSize() const { return size_; }
  // Raises EDatabaseError "Invalid field size" for a size the class cannot take.
  void SetSize(Integer value);
  // Bytes of the value buffer (see the table at the top of this file).
  virtual Integer GetDataSize() const { return 0; }
  bool GetCalculated() const { return fieldKind_ == fkCalculated; }
  bool GetLookup() const { return fieldKind_ == fkLookup; }
  virtual bool IsBlob() const { return false; }
  // Offset of the field's value in a descendant's record buffer, for datasets that lay fields out.
  Integer GetOffset() const { return offset_; }
  void SetOffset(Integer value) { offset_ = value; }

  // ---- Presentation ----
  String GetDisplayName() const;
  String GetDisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
  void SetDisplayLabel(const String& value);
  bool IsDisplayLabelStored() const { return !displayLabel_.empty(); }
  Integer GetDisplayWidth() const;
  void SetDisplayWidth(Integer value);
  bool IsDisplayWidthStored() const { return displayWidth_ > 0; }
  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  const String& GetEditMask() const { return editMask_; }
  void SetEditMask(const String& value) { editMask_ = value; }
  bool GetVisible() const { return visible_; }
  void SetVisible(bool value);

  // ---- Rules ----
  bool GetRequired() const { return required_; }
  void SetRequired(bool value) { required_ = value; }
  bool GetReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  // Not read-only, the dataset open and modifiable, and a data or lookup field not in a read-only
  // state.
  virtual bool GetCanModify() const;
  bool CanModify() const { return GetCanModify(); }
  const String& GetDefaultExpression() const { return defaultExpression_; }
  void SetDefaultExpression(const String& value) { defaultExpression_ = value; }
  TAutoRefreshFlag GetAutoGenerateValue() const { return autoGenerateValue_; }
  void SetAutoGenerateValue(TAutoRefreshFlag value) { autoGenerateValue_ = value; }
  TProviderFlags GetProviderFlags() const { return providerFlags_; }
  void SetProviderFlags(TProviderFlags value) { providerFlags_ = value; }
  const String& GetOrigin() const { return origin_; }
  void SetOrigin(const String& value) { origin_ = value; }
  // Characters a control may let the user type into the field.
  virtual bool IsValidChar(Char c) const;
  // Calls OnValidate with the value about to be stored (buffer null for a null value).
  virtual void Validate(const void* buffer);
  void FocusControl();

  // ---- Lookup fields ----
  TDataSet* GetLookupDataSet() const { return lookupDataSet_; }
  void SetLookupDataSet(TDataSet* value);
  const String& GetLookupKeyFields() const { return lookupKeyFields_; }
  void SetLookupKeyFields(const String& value);
  const String& GetLookupResultField() const { return lookupResultField_; }
  void SetLookupResultField(const String& value);
  const String& GetKeyFields() const { return keyFields_; }
  void SetKeyFields(const String& value);
  bool GetLookupCache() const { return lookupCache_; }
  void SetLookupCache(bool value);
  TLookupList* GetLookupList() const { return lookupList_.get(); }
  TLookupList* LookupList() const { return lookupList_.get(); }
  // Reloads the lookup list from the lookup dataset.
  void RefreshLookupList();

  // ---- Values ----
  // The value in the record the dataset's state selects; false when it is null.
  bool GetData(void* buffer, bool nativeFormat = true) const;
  // buffer null stores null. Raises when the dataset is not editing or the field is read-only.
  void SetData(const void* buffer, bool nativeFormat = true);
  virtual bool GetIsNull() const;
  bool IsNull() const { return GetIsNull(); }
  virtual void Clear();

  Variant GetValue() const { return GetAsVariant(); }
  void SetValue(const Variant& value) { SetAsVariant(value); }
  virtual Variant GetAsVariant() const;
  virtual void SetAsVariant(const Variant& value);
  virtual String GetAsString() const;
  virtual void SetAsString(const String& value);
  AnsiString GetAsAnsiString() const { return StringToAnsi(GetAsString()); }
  void SetAsAnsiString(const AnsiString& value) { SetAsString(AnsiToString(value)); }
  String GetAsWideString() const { return GetAsString(); }
  void SetAsWideString(const String& value) { SetAsString(value); }
  virtual Integer GetAsInteger() const;
  virtual void SetAsInteger(Integer value);
  virtual Int64 GetAsLargeInt() const;
  virtual void SetAsLargeInt(Int64 value);
  virtual double GetAsFloat() const;
  virtual void SetAsFloat(double value);
  virtual Extended GetAsExtended() const { return GetAsFloat(); }
  virtual void SetAsExtended(Extended value) { SetAsFloat(static_cast<double>(value)); }
  virtual Single GetAsSingle() const { return static_cast<Single>(GetAsFloat()); }
  virtual void SetAsSingle(Single value) { SetAsFloat(value); }
  virtual Currency GetAsCurrency() const;
  virtual void SetAsCurrency(Currency value);
  virtual TBcd GetAsBCD() const;
  virtual void SetAsBCD(const TBcd& value);
  virtual bool GetAsBoolean() const;
  virtual void SetAsBoolean(bool value);
  virtual TDateTime GetAsDateTime() const;
  virtual void SetAsDateTime(TDateTime value);
  virtual TSQLTimeStamp GetAsSQLTimeStamp() const;
  virtual void SetAsSQLTimeStamp(const TSQLTimeStamp& value);
  virtual TBytes GetAsBytes() const;
  virtual void SetAsBytes(const TBytes& value);

  // The value as a control shows it (DisplayFormat, OnGetText) and as the user edits it
  // (EditFormat). Setting Text goes through OnSetText or the field's parsing of text.
  String GetDisplayText() const;
  String GetText() const;
  void SetText(const String& value);

  // The value before the record was edited, the value in the database, the value being posted.
  Variant GetOldValue() const;
  Variant GetCurValue() const;
  Variant GetNewValue() const;
  void SetNewValue(const Variant& value);

  // Copies the value of another field (TField) into this one.
  void Assign(TPersistent* source) override;
  void AssignValue(const Variant& value) { SetAsVariant(value); }

  // Streaming: a field is written under its dataset.
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;

  // ---- Events ----
  TFieldNotifyEvent OnChange;
  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;
  TFieldNotifyEvent OnValidate;

  // The dataset tells the field that its value changed (OnChange).
  virtual void Change();
  // Recomputes the lookup value into the calculated part of the current record.
  void CalcLookupValue();
  // The dataset (re)binds the field at open and close: lookup fields resolve their datasets.
  virtual void Bind(bool binding);
  // The buffer a field being validated is about to store (read by OnValidate handlers through
  // the field's value getters).
  const void* ValueBuffer() const { return valueBuffer_; }

 protected:
  // For the field classes: their data type and their default size.
  void SetDataType(TFieldType value) { dataType_ = value; }
  virtual void CheckTypeSize(Integer value) const;
  virtual Integer GetDefaultWidth() const { return 10; }
  // Text of the value for display or editing; classes override to format.
  virtual void GetFieldText(String& text, bool displayText) const;
  virtual void SetFieldText(const String& text);
  [[noreturn]] void AccessError(const Char* typeName) const;
  // Null and Unassigned clear the field; a lookup field being edited sets its key fields to the key
  // of the looked-up value. True when the value was handled so.
  bool HandleSpecialVariant(const Variant& value);
  // Raises the class library's range error with the value and bounds as text.
  [[noreturn]] void RangeError(const String& value, const String& min, const String& max) const;
  void CheckInactive() const;
  void PropertyChanged(bool layoutAffected);
  void Notification(TComponent* component, TOperation operation) override;
  void ReadState(TReader* reader) override;

 private:
  friend class TFields;
  friend class TDataSet;

  TDataSet* dataSet_ = nullptr;
  String fieldName_;
  Integer fieldNo_ = 0;
  TFieldKind fieldKind_ = fkData;
  TFieldType dataType_ = ftUnknown;
  Integer size_ = 0;
  Integer offset_ = 0;
  String displayLabel_;
  Integer displayWidth_ = 0;
  TAlignment alignment_ = taLeftJustify;
  String editMask_;
  bool visible_ = true;
  bool required_ = false;
  bool readOnly_ = false;
  String defaultExpression_;
  TAutoRefreshFlag autoGenerateValue_ = arNone;
  TProviderFlags providerFlags_{pfInUpdate, pfInWhere};
  String origin_;
  TDataSet* lookupDataSet_ = nullptr;
  String lookupKeyFields_;
  String lookupResultField_;
  String keyFields_;
  bool lookupCache_ = false;
  std::unique_ptr<TLookupList> lookupList_;
  const void* valueBuffer_ = nullptr;
  bool valueNative_ = true;
  bool validating_ = false;
};

using TFieldClass = TClass;

// ---- Strings ----

class TStringField : public TField {
  KIV_CLASS(TStringField, TField)
 public:
  explicit TStringField(TComponent* owner);
  static void Published(TPropBuilder<TStringField>& p);

  Integer GetDataSize() const override { return (GetSize() + 1) * static_cast<Integer>(sizeof(Char)); }
  bool GetFixedChar() const { return fixedChar_; }
  void SetFixedChar(bool value) { fixedChar_ = value; }
  bool GetTransliterate() const { return transliterate_; }
  void SetTransliterate(bool value) { transliterate_ = value; }
  // The value itself (null reads as "").
  String GetValueText() const;

  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  String GetAsString() const override;
  void SetAsString(const String& value) override;
  Integer GetAsInteger() const override;
  void SetAsInteger(Integer value) override;
  Int64 GetAsLargeInt() const override;
  void SetAsLargeInt(Int64 value) override;
  double GetAsFloat() const override;
  void SetAsFloat(double value) override;
  Currency GetAsCurrency() const override;
  void SetAsCurrency(Currency value) override;
  TBcd GetAsBCD() const override;
  void SetAsBCD(const TBcd& value) override;
  // "T", "t", "Y", "y" at the start read as true.
  bool GetAsBoolean() const override;
  void SetAsBoolean(bool value) override;
  TDateTime GetAsDateTime() const override;
  void SetAsDateTime(TDateTime value) override;

 protected:
  void CheckTypeSize(Integer value) const override;
  Integer GetDefaultWidth() const override { return GetSize(); }

 private:
  bool fixedChar_ = false;
  bool transliterate_ = true;
};

class TWideStringField : public TStringField {
  KIV_CLASS(TWideStringField, TStringField)
 public:
  explicit TWideStringField(TComponent* owner);
};

class TGuidField : public TStringField {
  KIV_CLASS(TGuidField, TStringField)
 public:
  explicit TGuidField(TComponent* owner);

 protected:
  void CheckTypeSize(Integer value) const override;
};

// ---- Numbers ----

class TNumericField : public TField {
  KIV_CLASS(TNumericField, TField)
 public:
  explicit TNumericField(TComponent* owner);
  static void Published(TPropBuilder<TNumericField>& p);

  const String& GetDisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const String& value);
  const String& GetEditFormat() const { return editFormat_; }
  void SetEditFormat(const String& value);
  bool IsValidChar(Char c) const override;

 protected:
  // The integer classes' shared conversions: a variant or text goes through the virtual setters,
  // and a value (when there is one) becomes text by the display or edit format.
  void SetIntegerFromVariant(const Variant& value);
  void SetIntegerFromString(const String& value);
  String IntegerText(bool hasValue, Int64 value, bool displayText) const;

 private:
  String displayFormat_;
  String editFormat_;
};

// Integer fields up to 32 bits (the narrower ones check their own range).
class TIntegerField : public TNumericField {
  KIV_CLASS(TIntegerField, TNumericField)
 public:
  explicit TIntegerField(TComponent* owner);
  static void Published(TPropBuilder<TIntegerField>& p);

  Integer GetDataSize() const override;
  // 0 and 0 mean "no range of its own": the type's bounds apply.
  Integer GetMinValue() const { return minValue_; }
  void SetMinValue(Integer value) { minValue_ = value; }
  Integer GetMaxValue() const { return maxValue_; }
  void SetMaxValue(Integer value) { maxValue_ = value; }

  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  String GetAsString() const override;
  void SetAsString(const String& value) override;
  Integer GetAsInteger() const override;
  void SetAsInteger(Integer value) override;
  Int64 GetAsLargeInt() const override;
  void SetAsLargeInt(Int64 value) override;
  double GetAsFloat() const override;
  void SetAsFloat(double value) override;
  Currency GetAsCurrency() const override;
  void SetAsCurrency(Currency value) override;
  TBcd GetAsBCD() const override;
  bool GetAsBoolean() const override;
  void SetAsBoolean(bool value) override;

 protected:
  TIntegerField(TComponent* owner, TFieldType type, Int64 typeMin, Int64 typeMax);
  void GetFieldText(String& text, bool displayText) const override;
  bool GetValue(Int64& value) const;
  void CheckRange(Int64 value) const;

 private:
  Integer minValue_ = 0;
  Integer maxValue_ = 0;
  Int64 typeMin_;
  Int64 typeMax_;
};

class TSmallintField : public TIntegerField {
  KIV_CLASS(TSmallintField, TIntegerField)
 public:
  explicit TSmallintField(TComponent* owner);
};

class TShortintField : public TIntegerField {
  KIV_CLASS(TShortintField, TIntegerField)
 public:
  explicit TShortintField(TComponent* owner);
};

class TByteField : public TIntegerField {
  KIV_CLASS(TByteField, TIntegerField)
 public:
  explicit TByteField(TComponent* owner);
};

class TWordField : public TIntegerField {
  KIV_CLASS(TWordField, TIntegerField)
 public:
  explicit TWordField(TComponent* owner);
};

class TAutoIncField : public TIntegerField {
  KIV_CLASS(TAutoIncField, TIntegerField)
 public:
  explicit TAutoIncField(TComponent* owner);
};

// 64-bit integers (ftLargeint) and 32-bit unsigned ones (ftLongWord).
class TLargeintField : public TNumericField {
  KIV_CLASS(TLargeintField, TNumericField)
 public:
  explicit TLargeintField(TComponent* owner);
  static void Published(TPropBuilder<TLargeintField>& p);

  Integer GetDataSize() const override;
  Int64 GetMinValue() const { return minValue_; }
  void SetMinValue(Int64 value) { minValue_ = value; }
  Int64 GetMaxValue() const { return maxValue_; }
  void SetMaxValue(Int64 value) { maxValue_ = value; }

  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  String GetAsString() const override;
  void SetAsString(const String& value) override;
  Integer GetAsInteger() const override;
  void SetAsInteger(Integer value) override;
  Int64 GetAsLargeInt() const override;
  void SetAsLargeInt(Int64 value) override;
  double GetAsFloat() const override;
  void SetAsFloat(double value) override;
  Currency GetAsCurrency() const override;
  void SetAsCurrency(Currency value) override;
  TBcd GetAsBCD() const override;

 protected:
  TLargeintField(TComponent* owner, TFieldType type);
  void GetFieldText(String& text, bool displayText) const override;
  bool GetValue(Int64& value) const;
  void CheckRange(Int64 value) const;

 private:
  Int64 minValue_ = 0;
  Int64 maxValue_ = 0;
};

class TLongWordField : public TLargeintField {
  KIV_CLASS(TLongWordField, TLargeintField)
 public:
  explicit TLongWordField(TComponent* owner);
};

// Binary floating point: ftFloat (double), ftCurrency (double shown as money), ftSingle, ftExtended.
class TFloatField : public TNumericField {
  KIV_CLASS(TFloatField, TNumericField)
 public:
  explicit TFloatField(TComponent* owner);
  static void Published(TPropBuilder<TFloatField>& p);

  Integer GetDataSize() const override;
  bool GetCurrency() const { return currency_; }
  void SetCurrency(bool value);
  // Significant digits of the general format (2..15; default 15).
  Integer GetPrecision() const { return precision_; }
  void SetPrecision(Integer value);
  // 0 and 0: no range.
  double GetMinValue() const { return minValue_; }
  void SetMinValue(double value) { minValue_ = value; }
  double GetMaxValue() const { return maxValue_; }
  void SetMaxValue(double value) { maxValue_ = value; }

  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  String GetAsString() const override;
  void SetAsString(const String& value) override;
  Integer GetAsInteger() const override;
  void SetAsInteger(Integer value) override;
  Int64 GetAsLargeInt() const override;
  void SetAsLargeInt(Int64 value) override;
  double GetAsFloat() const override;
  void SetAsFloat(double value) override;
  Extended GetAsExtended() const override;
  void SetAsExtended(Extended value) override;
  Currency GetAsCurrency() const override;
  void SetAsCurrency(Currency value) override;
  TBcd GetAsBCD() const override;
  void SetAsBCD(const TBcd& value) override;

 protected:
  TFloatField(TComponent* owner, TFieldType type);
  void GetFieldText(String& text, bool displayText) const override;
  bool GetValue(Extended& value) const;
  void StoreValue(Extended value);

 private:
  bool currency_ = false;
  Integer precision_ = 15;
  double minValue_ = 0;
  double maxValue_ = 0;
};

class TCurrencyField : public TFloatField {
  KIV_CLASS(TCurrencyField, TFloatField)
 public:
  explicit TCurrencyField(TComponent* owner);
};

class TSingleField : public TFloatField {
  KIV_CLASS(TSingleField, TFloatField)
 public:
  explicit TSingleField(TComponent* owner);
};

class TExtendedField : public TFloatField {
  KIV_CLASS(TExtendedField, TFloatField)
 public:
  explicit TExtendedField(TComponent* owner);
};

// Exact decimals: ftBCD (value as Currency, up to 4 decimals) and ftFMTBcd (value as TBcd).
// Size is the number of decimals, Precision the number of digits (0: up to 32).
class TBCDField : public TNumericField {
  KIV_CLASS(TBCDField, TNumericField)
 public:
  explicit TBCDField(TComponent* owner);
  static void Published(TPropBuilder<TBCDField>& p);

  Integer GetDataSize() const override { return static_cast<Integer>(sizeof(TBcd)); }
  bool GetCurrency() const { return currency_; }
  void SetCurrency(bool value);
  Integer GetPrecision() const { return precision_; }
  void SetPrecision(Integer value);
  // Empty: no range.
  const String& GetMinValue() const { return minValue_; }
  void SetMinValue(const String& value) { minValue_ = value; }
  const String& GetMaxValue() const { return maxValue_; }
  void SetMaxValue(const String& value) { maxValue_ = value; }

  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  String GetAsString() const override;
  void SetAsString(const String& value) override;
  Integer GetAsInteger() const override;
  void SetAsInteger(Integer value) override;
  Int64 GetAsLargeInt() const override;
  void SetAsLargeInt(Int64 value) override;
  double GetAsFloat() const override;
  void SetAsFloat(double value) override;
  Currency GetAsCurrency() const override;
  void SetAsCurrency(Currency value) override;
  TBcd GetAsBCD() const override;
  void SetAsBCD(const TBcd& value) override;

 protected:
  TBCDField(TComponent* owner, TFieldType type);
  void CheckTypeSize(Integer value) const override;
  void GetFieldText(String& text, bool displayText) const override;
  bool GetValue(TBcd& value) const;
  // Rounds to Size decimals (halves to even), checks precision and range, stores.
  void StoreValue(const TBcd& value);

 private:
  bool currency_ = false;
  Integer precision_ = 0;
  String minValue_;
  String maxValue_;
};

class TFMTBCDField : public TBCDField {
  KIV_CLASS(TFMTBCDField, TBCDField)
 public:
  explicit TFMTBCDField(TComponent* owner);
  Variant GetAsVariant() const override;
};

// ---- Booleans ----

class TBooleanField : public TField {
  KIV_CLASS(TBooleanField, TField)
 public:
  explicit TBooleanField(TComponent* owner);
  static void Published(TPropBuilder<TBooleanField>& p);

  Integer GetDataSize() const override { return 2; }
  // "True;False" by default; "Да;Нет" or ";Нет" (empty true text) are fine.
  const String& GetDisplayValues() const { return displayValues_; }
  void SetDisplayValues(const String& value);

  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  String GetAsString() const override;
  // Accepts the display texts and any prefix of them, case-insensitively; "" clears.
  void SetAsString(const String& value) override;
  bool GetAsBoolean() const override;
  void SetAsBoolean(bool value) override;
  Integer GetAsInteger() const override;
  void SetAsInteger(Integer value) override;

 protected:
  Integer GetDefaultWidth() const override;

 private:
  String displayValues_;
  String textTrue_;
  String textFalse_;
};

// ---- Dates and times ----

class TDateTimeField : public TField {
  KIV_CLASS(TDateTimeField, TField)
 public:
  explicit TDateTimeField(TComponent* owner);
  static void Published(TPropBuilder<TDateTimeField>& p);

  Integer GetDataSize() const override;
  const String& GetDisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const String& value);

  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  String GetAsString() const override;
  void SetAsString(const String& value) override;
  double GetAsFloat() const override;
  void SetAsFloat(double value) override;
  TDateTime GetAsDateTime() const override;
  void SetAsDateTime(TDateTime value) override;
  TSQLTimeStamp GetAsSQLTimeStamp() const override;
  void SetAsSQLTimeStamp(const TSQLTimeStamp& value) override;

 protected:
  TDateTimeField(TComponent* owner, TFieldType type);
  void GetFieldText(String& text, bool displayText) const override;
  Integer GetDefaultWidth() const override;

 private:
  String displayFormat_;
};

class TDateField : public TDateTimeField {
  KIV_CLASS(TDateField, TDateTimeField)
 public:
  explicit TDateField(TComponent* owner);
};

class TTimeField : public TDateTimeField {
  KIV_CLASS(TTimeField, TDateTimeField)
 public:
  explicit TTimeField(TComponent* owner);
};

class TSQLTimeStampField : public TField {
  KIV_CLASS(TSQLTimeStampField, TField)
 public:
  explicit TSQLTimeStampField(TComponent* owner);
  static void Published(TPropBuilder<TSQLTimeStampField>& p);

  Integer GetDataSize() const override { return static_cast<Integer>(sizeof(TSQLTimeStamp)); }
  const String& GetDisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const String& value);

  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  String GetAsString() const override;
  void SetAsString(const String& value) override;
  TDateTime GetAsDateTime() const override;
  void SetAsDateTime(TDateTime value) override;
  TSQLTimeStamp GetAsSQLTimeStamp() const override;
  void SetAsSQLTimeStamp(const TSQLTimeStamp& value) override;

 protected:
  void GetFieldText(String& text, bool displayText) const override;
  Integer GetDefaultWidth() const override { return 20; }

 private:
  String displayFormat_;
};

// ---- Binary ----

class TBinaryField : public TField {
  KIV_CLASS(TBinaryField, TField)
 public:
  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  // The bytes as windows-1251 text.
  String GetAsString() const override;
  void SetAsString(const String& value) override;
  TBytes GetAsBytes() const override;
  void SetAsBytes(const TBytes& value) override;

 protected:
  TBinaryField(TComponent* owner, TFieldType type);
  void CheckTypeSize(Integer value) const override;
  void GetFieldText(String& text, bool displayText) const override;
};

class TBytesField : public TBinaryField {
  KIV_CLASS(TBytesField, TBinaryField)
 public:
  explicit TBytesField(TComponent* owner);
  Integer GetDataSize() const override { return GetSize(); }
};

class TVarBytesField : public TBinaryField {
  KIV_CLASS(TVarBytesField, TBinaryField)
 public:
  explicit TVarBytesField(TComponent* owner);
  Integer GetDataSize() const override { return GetSize() + 2; }
};

// ---- Blobs ----

class TBlobField : public TField {
  KIV_CLASS(TBlobField, TField)
 public:
  explicit TBlobField(TComponent* owner);
  static void Published(TPropBuilder<TBlobField>& p);

  bool IsBlob() const override { return true; }
  TBlobType GetBlobType() const { return GetDataType(); }
  void SetBlobType(TBlobType value);
  Integer GetBlobSize() const;
  bool GetModified() const { return modified_; }
  void SetModified(bool value) { modified_ = value; }
  // Pictures saved by older programs carry an 8-byte header before the image; reading skips it.
  bool GetGraphicHeader() const { return graphicHeader_; }
  void SetGraphicHeader(bool value) { graphicHeader_ = value; }

  bool GetIsNull() const override;
  void Clear() override;
  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  String GetAsString() const override;
  void SetAsString(const String& value) override;
  TBytes GetAsBytes() const override;
  void SetAsBytes(const TBytes& value) override;

  void LoadFromStream(TStream* stream);
  void SaveToStream(TStream* stream) const;
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName) const;
  // Copies another blob field's bytes.
  void Assign(TPersistent* source) override;

 protected:
  TBlobField(TComponent* owner, TFieldType type);
  void CheckTypeSize(Integer value) const override;
  void GetFieldText(String& text, bool displayText) const override;
  // The blob's text for the memo kinds; raw bytes as windows-1251 for the others.
  String BytesToText(const TBytes& bytes) const;
  TBytes TextToBytes(const String& text) const;

 private:
  bool modified_ = false;
  bool graphicHeader_ = false;
};

class TMemoField : public TBlobField {
  KIV_CLASS(TMemoField, TBlobField)
 public:
  explicit TMemoField(TComponent* owner);

 protected:
  TMemoField(TComponent* owner, TFieldType type);
};

class TWideMemoField : public TMemoField {
  KIV_CLASS(TWideMemoField, TMemoField)
 public:
  explicit TWideMemoField(TComponent* owner);
};

class TGraphicField : public TBlobField {
  KIV_CLASS(TGraphicField, TBlobField)
 public:
  explicit TGraphicField(TComponent* owner);
};

// ---- Variants and aggregates ----

class TVariantField : public TField {
  KIV_CLASS(TVariantField, TField)
 public:
  explicit TVariantField(TComponent* owner);
  Integer GetDataSize() const override { return static_cast<Integer>(sizeof(Variant)); }

  Variant GetAsVariant() const override;
  void SetAsVariant(const Variant& value) override;
  String GetAsString() const override;
  void SetAsString(const String& value) override;
  Integer GetAsInteger() const override;
  void SetAsInteger(Integer value) override;
  Int64 GetAsLargeInt() const override;
  void SetAsLargeInt(Int64 value) override;
  double GetAsFloat() const override;
  void SetAsFloat(double value) override;
  Currency GetAsCurrency() const override;
  void SetAsCurrency(Currency value) override;
  TBcd GetAsBCD() const override;
  void SetAsBCD(const TBcd& value) override;
  bool GetAsBoolean() const override;
  void SetAsBoolean(bool value) override;
  TDateTime GetAsDateTime() const override;
  void SetAsDateTime(TDateTime value) override;
};

// A summary over the dataset's records; the dataset that maintains aggregates sets its value.
class TAggregateField : public TField {
  KIV_CLASS(TAggregateField, TField)
 public:
  explicit TAggregateField(TComponent* owner);
  static void Published(TPropBuilder<TAggregateField>& p);

  const String& GetExpression() const { return expression_; }
  void SetExpression(const String& value);
  bool GetActive() const { return active_; }
  void SetActive(bool value);
  const String& GetDisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const String& value);
  const String& GetGroupingLevel() const { return groupingLevel_; }
  void SetGroupingLevel(const String& value) { groupingLevel_ = value; }
  const String& GetIndexName() const { return indexName_; }
  void SetIndexName(const String& value) { indexName_ = value; }
  // The current result, put by the dataset.
  void SetAggregateValue(const Variant& value) { value_ = value; }

  bool GetIsNull() const override { return VarIsNull(value_) || VarIsEmpty(value_); }
  Variant GetAsVariant() const override { return value_; }
  String GetAsString() const override;
  Integer GetAsInteger() const override;
  double GetAsFloat() const override;
  Currency GetAsCurrency() const override;

 protected:
  void GetFieldText(String& text, bool displayText) const override;

 private:
  String expression_;
  bool active_ = false;
  String displayFormat_;
  String groupingLevel_;
  String indexName_;
  Variant value_;
};

// ---- The dataset's lists of fields ----

class TFields : public TObject {
  KIV_CLASS(TFields, TObject)
 public:
  explicit TFields(TDataSet* dataSet);
  ~TFields() override;

  TDataSet* GetDataSet() const { return dataSet_; }
  int GetCount() const { return static_cast<int>(list_.size()); }
  // Raises EListError "List index out of bounds (%d)".
  TField* GetField(int index) const;
  TField* operator[](int index) const { return GetField(index); }
  void SetField(int index, TField* value);
  int IndexOf(const TField* field) const;
  // Case-insensitive; null when absent.
  TField* FindField(const String& fieldName) const;
  // Raises EDatabaseError "Field '%s' not found" (prefixed with the dataset's name).
  TField* FieldByName(const String& fieldName) const;
  // By FieldNo (1-based); null when absent.
  TField* FieldByNumber(int fieldNo) const;
  // Raises EDatabaseError "Field name missing" or "Duplicate field name '%s'".
  void CheckFieldName(const String& fieldName) const;
  void CheckFieldNames(const String& fieldNames) const;
  void Add(TField* field);
  void Remove(TField* field);
  // Forgets the fields (frees those the dataset owns).
  void Clear();
  void ChangeFieldIndex(TField* field, int newIndex);
  template <class L>
  void GetFieldNames(L* list) const {
    list->BeginUpdate();
    list->Clear();
    for (TField* f : list_) list->Add(f->GetFieldName());
    list->EndUpdate();
  }
  std::vector<String> FieldNames() const;
  const std::vector<TField*>& List() const { return list_; }
  std::vector<TField*>::const_iterator begin() const { return list_.begin(); }
  std::vector<TField*>::const_iterator end() const { return list_.end(); }

  // Called on every change of the list.
  std::function<void()> OnChange;

 private:
  friend class TField;
  friend class TDataSet;
  void Changed();
  TDataSet* dataSet_;
  std::vector<TField*> list_;
};

// A memory stream over a blob's bytes, for datasets that keep blobs as byte arrays: reading modes
// start with the bytes; a writing stream hands its bytes to `store` when it is freed (bmWrite starts
// empty), and the field's dataset is told of the change.
class TFieldBlobStream : public TMemoryStream {
  KIV_CLASS(TFieldBlobStream, TMemoryStream)
 public:
  using TStore = std::function<void(const TBytes& bytes)>;
  TFieldBlobStream(TField* field, TBlobStreamMode mode, const TBytes& bytes, TStore store);
  // Stores a written stream's bytes; freeing the stream does it too, but cannot report a failure.
  ~TFieldBlobStream() override;
  void Commit();
  Integer Write(const void* buffer, Integer count) override;
  void SetSize(Int64 newSize) override;

 private:
  TField* field_;
  TBlobStreamMode mode_;
  TStore store_;
  bool modified_ = false;
};

// The field class the framework makes for a field type; null for types it has none for.
TFieldClass DefaultFieldClass(TFieldType type);
