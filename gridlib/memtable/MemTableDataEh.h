// The record store behind the in-memory table: its structure and field definitions, records with their
// value versions, the records list with the change log and notifications, the store and its streamed form.
#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/classes/Collection.h"
#include "platform/classes/Component.h"
#include "platform/classes/Delegate.h"
#include "platform/classes/Streaming.h"
#include "platform/data/DBTypes.h"
#include "platform/data/FieldDefs.h"
#include "platform/data/Fields.h"
#include "platform/rtl/Variant.h"

class TMTDataStructEh;
class TMTDataFieldEh;
class TMemoryRecordEh;
class TRecordsListEh;
class TMemTableDataEh;
class TMTIndexesEh;
class TRecordsListNotificatorEh;

using TRecDataValues = std::vector<Variant>;

// The values of one record packed in one block: a type tag and an eight-byte slot per value, and the
// texts after the slots. Numbers, dates and texts are kept without a Variant each; rarer kinds (exact
// decimals, time stamps, arrays) are kept as a Variant of their own. Reads answer Variants, so the
// record's interface stays the same; the typed reads serve sorting and filtering, which go through
// millions of values.
class TRecValuesEh {
 public:
  TRecValuesEh() = default;
  // count values, each Null.
  explicit TRecValuesEh(size_t count) { resize(count); }
  explicit TRecValuesEh(const TRecDataValues& values);
  TRecValuesEh(const TRecValuesEh& other);
  TRecValuesEh(TRecValuesEh&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
  TRecValuesEh& operator=(const TRecValuesEh& other);
  TRecValuesEh& operator=(TRecValuesEh&& other) noexcept;
  ~TRecValuesEh() { clear(); }

  size_t size() const { return block_ ? Head()->count : 0; }
  bool empty() const { return size() == 0; }
  void clear();
  // Values added are Null; values cut off are released.
  void resize(size_t count);
  Variant operator[](size_t index) const;
  void Set(size_t index, const Variant& value);
  TRecDataValues ToVector() const;

  TVarType TypeAt(size_t index) const;
  bool IsNullAt(size_t index) const { return Tags()[index] <= kEmpty; }
  // Signed whole numbers (smallint, integer, shortint, int64) and the floating kinds stored as double.
  bool IsSignedAt(size_t index) const { return Tags()[index] >= kSmallint && Tags()[index] <= kInt64; }
  bool IsFloatAt(size_t index) const { return Tags()[index] >= kSingle && Tags()[index] <= kDate; }
  bool IsTextAt(size_t index) const { return Tags()[index] == kUString; }
  Int64 SignedAt(size_t index) const { return static_cast<Int64>(Slots()[index]); }
  double FloatAt(size_t index) const;
  std::u16string_view TextAt(size_t index) const;

 private:
  // Tags in this order: the typed reads test ranges of them.
  enum Tag : uint8_t {
    kNull,
    kEmpty,
    kSmallint,
    kInteger,
    kShortInt,
    kInt64,
    kSingle,
    kDouble,
    kDate,
    kByte,
    kWord,
    kLongWord,
    kUInt64,
    kCurrency,
    kBoolean,
    kUString,
    kAnsi,
    kBoxed
  };
  struct BlockHead {
    uint32_t count;
    uint32_t tail;  // bytes of text after the slots
  };
  static size_t TagBytes(size_t count) { return (count + 7) & ~size_t{7}; }
  static size_t BlockBytes(size_t count, size_t tail) {
    return sizeof(BlockHead) + TagBytes(count) + count * sizeof(uint64_t) + tail;
  }
  BlockHead* Head() const { return static_cast<BlockHead*>(block_); }
  uint8_t* Tags() const { return static_cast<uint8_t*>(block_) + sizeof(BlockHead); }
  uint64_t* Slots() const { return reinterpret_cast<uint64_t*>(Tags() + TagBytes(Head()->count)); }
  char* Tail() const { return reinterpret_cast<char*>(Slots() + Head()->count); }
  // A text's slot holds its offset into the tail (low half) and its length in bytes (high half).
  static bool HasText(uint8_t tag) { return tag == kUString || tag == kAnsi; }
  void ReleaseBoxed(size_t index);
  // Rebuilds the block with the value at index replaced by a text of the given bytes (or by the tag
  // and slot when bytes is null): the tail is laid out again without the old text.
  void ReplaceText(size_t index, uint8_t tag, uint64_t slot, const void* bytes, size_t length);

  void* block_ = nullptr;
};
using TIntArray = std::vector<Integer>;

// ---- Field definitions ----

enum TStringDataFieldTypesEh {
  fdtStringEh,
  fdtFixedCharEh,
  fdtWideStringEh,
  fdtGuidEh,
  fdtFixedWideCharEh,
  fdtOraIntervalEh
};
enum TNumericDataFieldTypesEh {
  fdtSmallintEh,
  fdtIntegerEh,
  fdtWordEh,
  fdtFloatEh,
  fdtCurrencyEh,
  fdtBCDEh,
  fdtAutoIncEh,
  fdtLargeintEh,
  fdtFMTBcdEh,
  fdtLongWordEh,
  fdtShortintEh,
  fdtByteEh,
  fdtExtendedEh,
  fdtSingleEh
};
enum TDateTimeDataFieldTypesEh { fdtDateEh, fdtTimeEh, fdtDateTimeEh };
enum TInterfaceDataFieldTypesEh { fdtInterfaceEh, fdtIDispatchEh };
enum TVariantDataFieldTypesEh { fdtVariant, fdtBytes, fdtVarBytes };
enum TSQLTimeStampDataFieldTypesEh { fdtTimeStampEh, fdtOraTimeStampEh, fdtTimeStampOffsetEh };

// One column of a record store. Its position in the structure is its value's position in every record.
class TMTDataFieldEh : public TComponent {
  KIV_CLASS(TMTDataFieldEh, TComponent)
 public:
  explicit TMTDataFieldEh(TComponent* owner);
  ~TMTDataFieldEh() override;
  static void Published(TPropBuilder<TMTDataFieldEh>& p);

  virtual Integer GetDefaultSize() const { return 0; }
  virtual TAlignment GetDefaultAlignment() const { return taLeftJustify; }
  virtual TAlignment GetAlignment() const { return alignment_; }
  virtual bool GetAutoIncrement() const { return autoIncrement_; }
  virtual TFieldType GetDataType() const { return ftUnknown; }
  virtual String GetDefaultExpression() const { return defaultExpression_; }
  virtual Integer GetDefaultWidth() const { return 10; }
  virtual String GetDisplayLabel() const { return displayLabel_; }
  virtual Integer GetDisplayWidth() const;
  virtual String GetEditMask() const { return editMask_; }
  virtual String GetFieldName() const { return fieldName_; }
  virtual bool GetReadOnly() const { return readOnly_; }
  virtual bool GetRequired() const { return required_; }
  virtual Integer GetSize() const { return size_; }
  virtual bool GetVisible() const { return visible_; }
  virtual void SetAlignment(TAlignment value);
  virtual void SetAutoIncrement(bool value);
  virtual void SetDefaultExpression(const String& value);
  virtual void SetDisplayLabel(const String& value);
  virtual void SetDisplayWidth(Integer value);
  virtual void SetEditMask(const String& value);
  virtual void SetFieldName(const String& value);
  virtual void SetReadOnly(bool value);
  virtual void SetRequired(bool value);
  // Raises EDatabaseError "Invalid field size" for a class that cannot size itself.
  virtual void SetSize(Integer value);
  virtual void SetVisible(bool value);
  virtual bool CanDinaSize() const { return false; }
  // The variant type in which records keep this field's values.
  virtual TVarType GetVarDataType() const;
  // Base: Exception "Can't assign DataType from Field"; typed classes "Can not assign DataType from Field".
  virtual void AssignDataType(TFieldType fieldType);
  virtual void AssignProps(TField* field);
  virtual void AssignPropsTo(TField* field);
  virtual void WriteDataToWriter(TWriter* writer, const Variant& value);
  virtual Variant ReadDataFromReader(TReader* reader);

  // DisplayWidth as set: 0 or less means the type's default width.
  Integer GetStoredDisplayWidth() const { return displayWidth_; }
  bool GetCalculated() const { return calculated_; }
  void SetCalculated(bool value);
  Int64 GetFieldId() const { return fieldId_; }
  const String& GetGUID() const { return guid_; }
  TVarType VarDataType() const { return varDataType_; }
  TMTDataStructEh* GetDataStruct() const { return dataStruct_; }
  void SetDataStruct(TMTDataStructEh* value);
  Integer GetIndex() const;
  void SetIndex(Integer value);

  void Assign(TPersistent* source) override;
  void ReadState(TReader* reader) override;
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;

  // The component name for a field name: letters, digits and "_" only, unique in the structure.
  String MakeComponentName(const String& fieldName) const;

 protected:
  // Tells the structure unless it is in an update.
  void Changed();
  void UpdateVarDataType() { varDataType_ = GetVarDataType(); }
  void AssignCommon(TMTDataFieldEh* source);

 private:
  friend class TMTDataStructEh;
  TAlignment alignment_ = taLeftJustify;
  bool autoIncrement_ = false;
  TMTDataStructEh* dataStruct_ = nullptr;
  String defaultExpression_;
  String displayLabel_;
  Integer displayWidth_ = 0;
  String editMask_;
  Int64 fieldId_ = 0;
  String fieldName_;
  String guid_;
  bool readOnly_ = false;
  bool required_ = false;
  Integer size_ = 0;
  bool visible_ = true;
  bool calculated_ = false;
  TVarType varDataType_ = varError;
};

using TMTDataFieldClassEh = TClass;

class TMTStringDataFieldEh : public TMTDataFieldEh {
  KIV_CLASS(TMTStringDataFieldEh, TMTDataFieldEh)
 public:
  explicit TMTStringDataFieldEh(TComponent* owner);
  static void Published(TPropBuilder<TMTStringDataFieldEh>& p);

  TStringDataFieldTypesEh GetStringDataType() const { return stringDataType_; }
  void SetStringDataType(TStringDataFieldTypesEh value);
  bool GetFixedChar() const { return fixedChar_; }
  void SetFixedChar(bool value);
  bool GetTransliterate() const { return transliterate_; }
  void SetTransliterate(bool value);

  Integer GetDefaultSize() const override { return stringDataType_ == fdtGuidEh ? 38 : 20; }
  Integer GetDefaultWidth() const override;
  bool CanDinaSize() const override { return true; }
  TFieldType GetDataType() const override;
  void AssignDataType(TFieldType fieldType) override;
  void AssignProps(TField* field) override;
  void AssignPropsTo(TField* field) override;
  void Assign(TPersistent* source) override;

 private:
  bool fixedChar_ = false;
  bool transliterate_ = false;
  TStringDataFieldTypesEh stringDataType_ = fdtStringEh;
};

class TMTNumericDataFieldEh : public TMTDataFieldEh {
  KIV_CLASS(TMTNumericDataFieldEh, TMTDataFieldEh)
 public:
  explicit TMTNumericDataFieldEh(TComponent* owner);
  static void Published(TPropBuilder<TMTNumericDataFieldEh>& p);

  TNumericDataFieldTypesEh GetNumericDataType() const { return numericDataType_; }
  void SetNumericDataType(TNumericDataFieldTypesEh value);
  const String& GetDisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const String& value);
  const String& GetEditFormat() const { return editFormat_; }
  void SetEditFormat(const String& value);
  bool GetCurrency() const { return currency_; }
  void SetCurrency(bool value);
  Double GetMaxValue() const { return maxValue_; }
  void SetMaxValue(Double value);
  Double GetMinValue() const { return minValue_; }
  void SetMinValue(Double value);
  Integer GetPrecision() const { return precision_; }
  void SetPrecision(Integer value);
  // Scale is the field's Size under another name.
  Integer GetScale() const { return GetSize(); }
  void SetScale(Integer value) { SetSize(value); }

  Integer GetDefaultSize() const override;
  TAlignment GetDefaultAlignment() const override { return taRightJustify; }
  Integer GetDefaultWidth() const override;
  bool CanDinaSize() const override;
  TFieldType GetDataType() const override;
  void AssignDataType(TFieldType fieldType) override;
  void AssignProps(TField* field) override;
  void AssignPropsTo(TField* field) override;
  void Assign(TPersistent* source) override;

 private:
  String displayFormat_;
  String editFormat_;
  bool currency_ = false;
  Double maxValue_ = 0;
  Double minValue_ = 0;
  Integer precision_ = 0;
  TNumericDataFieldTypesEh numericDataType_ = fdtSmallintEh;
};

class TMTDateTimeDataFieldEh : public TMTDataFieldEh {
  KIV_CLASS(TMTDateTimeDataFieldEh, TMTDataFieldEh)
 public:
  explicit TMTDateTimeDataFieldEh(TComponent* owner);
  static void Published(TPropBuilder<TMTDateTimeDataFieldEh>& p);

  TDateTimeDataFieldTypesEh GetDateTimeDataType() const { return dateTimeDataType_; }
  void SetDateTimeDataType(TDateTimeDataFieldTypesEh value);
  const String& GetDisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const String& value);

  Integer GetDefaultWidth() const override { return 18; }
  TFieldType GetDataType() const override;
  void AssignDataType(TFieldType fieldType) override;
  void AssignProps(TField* field) override;
  void AssignPropsTo(TField* field) override;
  void Assign(TPersistent* source) override;

 private:
  String displayFormat_;
  TDateTimeDataFieldTypesEh dateTimeDataType_ = fdtDateEh;
};

class TMTBlobDataFieldEh : public TMTDataFieldEh {
  KIV_CLASS(TMTBlobDataFieldEh, TMTDataFieldEh)
 public:
  explicit TMTBlobDataFieldEh(TComponent* owner);
  static void Published(TPropBuilder<TMTBlobDataFieldEh>& p);

  TBlobType GetBlobType() const { return blobType_; }
  void SetBlobType(TBlobType value);
  bool GetGraphicHeader() const { return graphicHeader_; }
  void SetGraphicHeader(bool value);
  bool GetTransliterate() const { return transliterate_; }
  void SetTransliterate(bool value);

  TFieldType GetDataType() const override { return blobType_; }
  void AssignDataType(TFieldType fieldType) override;
  void AssignProps(TField* field) override;
  void AssignPropsTo(TField* field) override;
  void Assign(TPersistent* source) override;

 private:
  bool graphicHeader_ = true;
  bool transliterate_ = false;
  TBlobType blobType_ = ftBlob;
};

class TMTBooleanDataFieldEh : public TMTDataFieldEh {
  KIV_CLASS(TMTBooleanDataFieldEh, TMTDataFieldEh)
 public:
  explicit TMTBooleanDataFieldEh(TComponent* owner);
  static void Published(TPropBuilder<TMTBooleanDataFieldEh>& p);

  const String& GetDisplayValues() const { return displayValues_; }
  void SetDisplayValues(const String& value);

  Integer GetDefaultWidth() const override;
  TFieldType GetDataType() const override { return ftBoolean; }
  void AssignDataType(TFieldType) override { UpdateVarDataType(); }
  void AssignProps(TField* field) override;
  void AssignPropsTo(TField* field) override;
  void Assign(TPersistent* source) override;

 private:
  String displayValues_;
};

class TMTInterfaceDataFieldEh : public TMTDataFieldEh {
  KIV_CLASS(TMTInterfaceDataFieldEh, TMTDataFieldEh)
 public:
  explicit TMTInterfaceDataFieldEh(TComponent* owner);
  static void Published(TPropBuilder<TMTInterfaceDataFieldEh>& p);

  TInterfaceDataFieldTypesEh GetInterfaceDataType() const { return interfaceDataType_; }
  void SetInterfaceDataType(TInterfaceDataFieldTypesEh value);

  TFieldType GetDataType() const override;
  void AssignDataType(TFieldType fieldType) override;
  // Copies the subtype too, so that copies and restructuring keep the field's type.
  void Assign(TPersistent* source) override;

 private:
  TInterfaceDataFieldTypesEh interfaceDataType_ = fdtInterfaceEh;
};

class TMTVariantDataFieldEh : public TMTDataFieldEh {
  KIV_CLASS(TMTVariantDataFieldEh, TMTDataFieldEh)
 public:
  explicit TMTVariantDataFieldEh(TComponent* owner);
  static void Published(TPropBuilder<TMTVariantDataFieldEh>& p);

  TVariantDataFieldTypesEh GetVariantDataType() const { return variantDataType_; }
  void SetVariantDataType(TVariantDataFieldTypesEh value);

  Integer GetDefaultWidth() const override { return 15; }
  bool CanDinaSize() const override { return variantDataType_ != fdtVariant; }
  TFieldType GetDataType() const override;
  void AssignDataType(TFieldType fieldType) override;
  // Copies the subtype first (a bytes field sizes itself), so copies keep the field's type.
  void Assign(TPersistent* source) override;

 private:
  TVariantDataFieldTypesEh variantDataType_ = fdtVariant;
};

class TMTRefObjectFieldEh : public TMTDataFieldEh {
  KIV_CLASS(TMTRefObjectFieldEh, TMTDataFieldEh)
 public:
  explicit TMTRefObjectFieldEh(TComponent* owner);
  static void Published(TPropBuilder<TMTRefObjectFieldEh>& p);

  bool CanDinaSize() const override { return true; }
  TVarType GetVarDataType() const override { return varUnknown; }
  void AssignDataType(TFieldType fieldType) override;
};

class TMTSQLTimeStampDataFieldEh : public TMTDataFieldEh {
  KIV_CLASS(TMTSQLTimeStampDataFieldEh, TMTDataFieldEh)
 public:
  explicit TMTSQLTimeStampDataFieldEh(TComponent* owner);
  static void Published(TPropBuilder<TMTSQLTimeStampDataFieldEh>& p);

  TSQLTimeStampDataFieldTypesEh GetSQLTimeStampDataFieldType() const { return timeStampType_; }
  void SetSQLTimeStampDataFieldType(TSQLTimeStampDataFieldTypesEh value);
  const String& GetDisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const String& value);

  TFieldType GetDataType() const override;
  void AssignDataType(TFieldType fieldType) override;
  void AssignProps(TField* field) override;
  void AssignPropsTo(TField* field) override;
  void Assign(TPersistent* source) override;

 private:
  String displayFormat_;
  TSQLTimeStampDataFieldTypesEh timeStampType_ = fdtTimeStampEh;
};

// The class for a field type; null for the types that have none (ftCursor, ftADT, ...).
TMTDataFieldClassEh DefaultDataFieldClassForFieldTypeEh(TFieldType fieldType);
// The variant type records keep values of a field type in.
TVarType DefaultVarDataTypeForFieldTypeEh(TFieldType fieldType);
// Stores a value for a field's variant type: null and unassigned stay, varVariant keeps the value, a byte
// array becomes a one-byte string for varString, anything else is cast (cast errors pass on).
Variant StoreRecValueEh(const Variant& value, TVarType varType);
String FormatSQLTimeStampTextEh(const Variant& value);
// By fixed positions; a non-digit raises EConvertError.
Variant ParseSQLTimeStampTextEh(const String& text, TVarType varType);

// ---- Data structure ----

// The ordered data fields of a store; restructured through a copy that is then applied.
class TMTDataStructEh : public TComponent {
  KIV_CLASS(TMTDataStructEh, TComponent)
 public:
  explicit TMTDataStructEh(TComponent* owner);
  // A structure owned by its store (the store is also its component owner).
  explicit TMTDataStructEh(TMemTableDataEh* memTableData);
  ~TMTDataStructEh() override;

  Integer GetCount() const { return list_.GetCount(); }
  TMTDataFieldEh* GetDataField(Integer index) const;
  TMemTableDataEh* GetMemTableData() const { return memTableData_; }
  TNotifyEvent OnStructChanged;

  TMTDataFieldEh* CreateField(TMTDataFieldClassEh fieldClass);
  void InsertField(TMTDataFieldEh* field);
  void RemoveField(TMTDataFieldEh* field);
  void Clear();
  void ChangeFieldType(const String& fieldName, TMTDataFieldClassEh fieldClass);
  void CheckFieldName(const String& fieldName);

  // Locale-aware, case-insensitive.
  TMTDataFieldEh* FindField(const String& fieldName) const;
  // Raises EDatabaseError "DataStruct: Field '%s' not found".
  TMTDataFieldEh* FieldByName(const String& fieldName) const;
  TMTDataFieldEh* FindFieldByGIUD(const String& guid) const;
  // Case-insensitive over ASCII letters only; -1 when absent.
  Integer FieldIndex(const String& fieldName) const;
  TIntArray FieldsIndex(const String& fieldNames) const;
  void GetFieldList(TList* list, const String& fieldNames) const;

  void BuildStructFromFieldDefs(TFieldDefs* fieldDefs);
  TMTDataFieldEh* BuildDataFieldForFieldDef(TFieldDef* fieldDef);
  TMTDataFieldEh* BuildDataFieldForDef(const String& name, TFieldType dataType, Integer size,
                                       Integer precision);
  TMTDataFieldEh* BuildDataFieldForField(TField* field);
  TMTDataFieldEh* BuildAndCopyDataFieldForField(TField* field);
  void BuildStructFromFields(TFields* fields);
  void BuildFieldDefsFromStruct(TFieldDefs* fieldDefs);

  // A free-standing copy (the caller owns it): same classes, GUIDs and settings.
  TMTDataStructEh* GetCopy() const;
  TMTDataStructEh* BeginRestructure() const { return GetCopy(); }
  // Applies the copy when asked (records follow by GUID) and frees it in every case.
  void EndRestructure(TMTDataStructEh* newStructure, bool applyNewStructure);
  void Assign(TPersistent* source) override;

  void BeginUpdate() { ++updateCount_; }
  void EndUpdate(bool structChanged);
  Integer GetUpdateCount() const { return updateCount_; }
  void StructChanged();
  bool GetStructChanged() const { return structChanged_; }
  void ClearStructChanged() { structChanged_ = false; }

  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  TComponent* GetChildOwner() override { return this; }
  // A structure read from a stream replaces the fields it had.
  void ReadState(TReader* reader) override;

 private:
  friend class TMTDataFieldEh;
  void ConvertRecordsToStruct(TMTDataStructEh* newStruct);
  Variant ConvertFieldValue(TMTDataFieldEh* oldField, const Variant& value, TMTDataFieldEh* newField);
  void UnlinkField(TMTDataFieldEh* field);
  void MoveField(TMTDataFieldEh* field, Integer newIndex);

  TObjectListEh list_;
  TMemTableDataEh* memTableData_ = nullptr;
  Int64 nextFieldId_ = 0;
  bool structChanged_ = false;
  Integer updateCount_ = 0;
  bool clearing_ = false;
};

// The sort order of a records view: names resolve through the store's structure.
class TRecordsViewOrderByList : public TOrderByList {
  KIV_CLASS(TRecordsViewOrderByList, TOrderByList)
 public:
  // getDataStruct answers the structure of the view's store at the time of parsing.
  TRecordsViewOrderByList(TComponent* recordsView, std::function<TMTDataStructEh*()> getDataStruct)
      : TOrderByList(false), recordsView_(recordsView), getDataStruct_(std::move(getDataStruct)) {}
  TComponent* GetRecordsView() const { return recordsView_; }
  void SetFieldIndex(TOrderByItemEh* item, Integer fieldIndex) override { item->MTFieldIndex = fieldIndex; }
  Integer FindFieldIndex(const String& name) override;

 private:
  TComponent* recordsView_;
  std::function<TMTDataStructEh*()> getDataStruct_;
};

// ---- Records ----

enum TDataValueVersionEh {
  dvvOldValueEh,
  dvvCurValueEh,
  dvvEditValueEh,
  dvvValueEh,
  dvvOldestValue,
  dvvRefreshValue
};
enum TRecordEditStateEh { resBrowseEh, resEditEh, resInsertEh, resEditForRefresh };
enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };
enum TUpdateKind { ukModify, ukInsert, ukDelete };

// The error of the last failed apply of a record's change; owns the exception object.
class TUpdateErrorEh : public TPersistent {
  KIV_CLASS(TUpdateErrorEh, TPersistent)
 public:
  explicit TUpdateErrorEh(std::unique_ptr<Exception> exception) : exception_(std::move(exception)) {}
  Exception* GetExceptionObject() const { return exception_.get(); }

 private:
  std::unique_ptr<Exception> exception_;
};

// One record: a value per data field, plus the copies that editing and cached updates need.
class TMemoryRecordEh : public TPersistent {
  KIV_CLASS(TMemoryRecordEh, TPersistent)
 public:
  TMemoryRecordEh();
  ~TMemoryRecordEh() override;

  Integer GetIndex() const { return index_; }
  bool GetAttached() const { return index_ != -1; }
  TMTDataStructEh* GetDataStruct() const { return dataStruct_; }
  Cardinal GetHashCode() const { return hashCode_; }
  const TRecValuesEh& GetOldData() const { return oldData_; }
  // The current values as they are (no copy); for readers that go through many records.
  const TRecValuesEh& GetData() const { return data_; }
  TRecordsListEh* GetRecordsList() const { return recordsList_; }
  TUpdateErrorEh* GetUpdateError() const { return updateError_.get(); }
  void SetUpdateError(std::unique_ptr<TUpdateErrorEh> value) { updateError_ = std::move(value); }
  Integer GetUpdateIndex() const { return updateIndex_; }
  void SetUpdateIndex(Integer value) { updateIndex_ = value; }
  TUpdateStatus GetUpdateStatus() const { return updateStatus_; }
  void SetUpdateStatus(TUpdateStatus value) { updateStatus_ = value; }
  TRecordEditStateEh GetEditState() const { return editState_; }

  // EListError "List index out of bounds (%d)" outside the structure; the missing-version errors.
  Variant GetDataValue(Integer fieldIndex, TDataValueVersionEh version) const;
  void SetDataValue(Integer fieldIndex, TDataValueVersionEh version, const Variant& value);
  // Several names (";") answer a variant array in list order; one name its value.
  Variant GetDataValues(const String& fieldNames, TDataValueVersionEh version) const;
  void SetDataValues(const String& fieldNames, TDataValueVersionEh version, const Variant& value);
  Variant GetDataIndexValues(const TIntArray& fieldIndexes, TDataValueVersionEh version) const;
  void SetDataIndexValues(const TIntArray& fieldIndexes, TDataValueVersionEh version, const Variant& value);

  void Edit();
  void EditForRefresh();
  // A new record is added to its list; an edited one is logged or applied, then notified.
  void Post();
  // A new record frees itself: the caller must not use it afterwards.
  void Cancel();
  void MergeChanges();
  void RevertRecord();
  void RefreshRecord(TMemoryRecordEh* rec);

 private:
  friend class TRecordsListEh;
  friend class TMTDataStructEh;
  friend class TMemTableDataEh;
  const TRecValuesEh& ValuesFor(TDataValueVersionEh version) const;
  TRecValuesEh& ValuesFor(TDataValueVersionEh version);
  void CheckFieldIndex(Integer fieldIndex) const;
  // Drops old values, status, change-log slot and error: the pending change becomes the base.
  void InternalMergeChanges();

  // Pointers first, then the numbers, the two states in a byte each: a million records are kept.
  TRecValuesEh data_;
  TMTDataStructEh* dataStruct_ = nullptr;
  TRecValuesEh oldData_;
  TRecordsListEh* recordsList_ = nullptr;
  TRecValuesEh tmpOldRecValue_;
  std::unique_ptr<TUpdateErrorEh> updateError_;
  Cardinal hashCode_ = 0;
  Integer index_ = -1;
  Integer updateIndex_ = -1;
  TRecordEditStateEh editState_ : 8 = resInsertEh;
  TUpdateStatus updateStatus_ : 8 = usUnmodified;
};

// ---- Records list ----

enum TRecordsListNotification {
  rlnRecAddingEh,
  rlnRecAddedEh,
  rlnRecChangingEh,
  rlnRecChangedEh,
  rlnRecDeletingEh,
  rlnRecDeletedEh,
  rlnListChangingEh,
  rlnListChangedEh,
  rlnRecMarkingForDelEh,
  rlnRecMarkedForDelEh
};

// Answers negative, 0 or positive.
using TCompareRecords =
    std::function<Integer(TMemoryRecordEh* rec1, TMemoryRecordEh* rec2, TObject* paramSort)>;
// The inclusive ranges of record positions to delete, each {first, last}.
using TRecordsRangesEh = std::vector<std::pair<Integer, Integer>>;

// The records of a store in physical order, the change log, and the notifications of every change.
class TRecordsListEh : public TComponent {
  KIV_CLASS(TRecordsListEh, TComponent)
 public:
  // owner must be a TMemTableDataEh or null (Exception with the owner's class name otherwise).
  explicit TRecordsListEh(TComponent* owner);
  ~TRecordsListEh() override;

  bool GetCachedUpdates() const { return cachedUpdates_; }
  void SetCachedUpdates(bool value) { cachedUpdates_ = value; }
  Integer GetCount() const { return recList_.GetCount(); }
  TMTDataStructEh* GetDataStruct() const;
  TObjectListEh* GetDeltaList() { return &deltaList_; }
  TObjectListEh* GetDeletedList() { return &deletedList_; }
  TMTIndexesEh* GetIndexes() const { return indexes_.get(); }
  TMemTableDataEh* GetMemTableData() const { return memTableData_; }
  Integer GetRecValCount() const;
  TMemoryRecordEh* GetRec(Integer index) const;
  void SetRec(Integer index, TMemoryRecordEh* rec);
  Variant GetValue(Integer recIndex, Integer valIndex) const;
  void SetValue(Integer recIndex, Integer valIndex, const Variant& value);

  TMemoryRecordEh* NewRecord();
  Integer AddRecord(TMemoryRecordEh* rec);
  void InsertRecord(Integer index, TMemoryRecordEh* rec);
  Integer FetchRecord(TMemoryRecordEh* rec);
  void SetAutoIncValue(TMemoryRecordEh* rec);

  void DeleteRecord(Integer index);
  void PersistDeleteRecord(Integer index);
  void DeleteRecords(const TRecordsRangesEh& ranges);
  void PersistDeleteRecords(const TRecordsRangesEh& ranges);
  void PersistRemoveRecord(Integer index);
  void Clear();

  bool HasCachedChanges() const { return deltaList_.GetCount() > 0; }
  void RevertRecord(Integer index);
  void RefreshRecord(Integer index, TMemoryRecordEh* fromRec);
  void CancelUpdates();
  void MergeChangeLog();
  void CleanupChangedRecs();
  void ApplyRecordUpdate(TMemoryRecordEh* rec, TUpdateKind kind);

  void SortData(const TCompareRecords& compare, TObject* paramSort);
  void Exchange(Integer index1, Integer index2) { recList_.Exchange(index1, index2); }
  void Move(Integer curIndex, Integer newIndex);
  Integer IndexOf(TMemoryRecordEh* item) const;

  virtual void Notify(TMemoryRecordEh* rec, Integer index, TRecordsListNotification action);
  virtual void RecordMoved(TMemoryRecordEh* item, Integer oldIndex, Integer newIndex);
  virtual void BeginUpdate() { ++updateCount_; }
  virtual void EndUpdate();
  virtual void QuickSort(Integer l, Integer r, const TCompareRecords& compare, TObject* paramSort);
  Integer GetUpdateCount() const { return updateCount_; }

  // A record destroyed while attached; raises only while CheckRecordDestroyEnabled is on.
  void CheckRecordDestroy(TMemoryRecordEh* rec);
  static bool& CheckRecordDestroyEnabled();

  // The "Data" defined property.
  void DefineProperties(TFiler* filer) override;
  void ReadData(TReader* reader);
  void WriteData(TWriter* writer);

 private:
  friend class TMemoryRecordEh;
  Integer InternalAddRecord(TMemoryRecordEh* rec, Integer index, bool append, bool fetching);
  void RenumberFrom(Integer index);
  void EmptyDeltaSlot(TMemoryRecordEh* rec);
  void AppendToDelta(TMemoryRecordEh* rec);
  void FreeDeletedList();
  void MergeRecordLeavingSlot(TMemoryRecordEh* rec);
  bool DataDiffersFromAncestor(TRecordsListEh* ancestor);
  // Changes a browsing record's values with the indexes able to refuse; restores them on a refusal.
  void ChangeValuesChecked(TMemoryRecordEh* rec, const std::function<void()>& change);

  bool cachedUpdates_ = false;
  TObjectListEh deletedList_;
  TObjectListEh deltaList_;
  std::unique_ptr<TMTIndexesEh> indexes_;
  TMemTableDataEh* memTableData_ = nullptr;
  Cardinal newHashCode_ = 1;
  TObjectListEh recList_;
  Integer updateCount_ = 0;
};

using TRecordsListNotificatorDataEventEh =
    TDelegate<void(TMemoryRecordEh* MemRec, Integer Index, TRecordsListNotification Action)>;
using TRecordsListApplyUpdatesEventEh = TDelegate<void(TMemTableDataEh* AMemTableData)>;
using TRecordsListFetchRecordsEventEh = TDelegate<Integer(Integer Count)>;
using TRecordsListRecordMovedEventEh =
    TDelegate<void(TMemoryRecordEh* Item, Integer OldIndex, Integer NewIndex)>;

// A listener of a store (or a records view): turns notifications into events and overridable calls.
// Descendants that listen to something else than a store override JoinDataObject/LeaveDataObject.
class TRecordsListNotificatorEh : public TComponent {
  KIV_CLASS(TRecordsListNotificatorEh, TComponent)
 public:
  explicit TRecordsListNotificatorEh(TComponent* owner);
  ~TRecordsListNotificatorEh() override;

  TMemTableDataEh* FMemTableData = nullptr;
  TRecordsListNotificatorDataEventEh OnAfterDataEvent;
  TRecordsListApplyUpdatesEventEh OnApplyUpdates;
  TRecordsListNotificatorDataEventEh OnDataEvent;
  TRecordsListFetchRecordsEventEh OnFetchRecords;
  TRecordsListRecordMovedEventEh OnRecordMoved;
  TRecordsListApplyUpdatesEventEh OnStructChanged;

  TComponent* GetDataObject() const { return dataObject_; }
  void SetDataObject(TComponent* value);
  // SetDataObject(nullptr) for when the notificator or its data object is being freed: the link goes
  // even if a listener raises at the news, and that failure is reported, not passed on.
  void DropDataObject() noexcept;

  virtual Integer FetchRecords(Integer count);
  virtual void AfterDataEvent(TMemoryRecordEh* memRec, Integer index, TRecordsListNotification action);
  virtual void DataEvent(TMemoryRecordEh* memRec, Integer index, TRecordsListNotification action);
  virtual void RecordAdded(TMemoryRecordEh*, Integer) {}
  virtual void RecordChanged(TMemoryRecordEh*, Integer) {}
  virtual void RecordDeleted(TMemoryRecordEh*, Integer) {}
  virtual void RecordsListChanged() {}
  virtual void RecordMoved(TMemoryRecordEh* item, Integer oldIndex, Integer newIndex);
  virtual void StructChanged(TMemTableDataEh* memTableData);

 protected:
  // A store: RegisterNotificator/UnregisterNotificator. Other objects are left to descendants.
  virtual void JoinDataObject(TComponent* dataObject);
  virtual void LeaveDataObject(TComponent* dataObject);
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TComponent* dataObject_ = nullptr;
};

// ---- Store ----

// Counter for auto-increment fields: -1, -2, -3 ... by default.
class TAutoIncrementEh : public TPersistent {
  KIV_CLASS(TAutoIncrementEh, TPersistent)
 public:
  TAutoIncrementEh() { Reset(); }
  static void Published(TPropBuilder<TAutoIncrementEh>& p);

  Integer GetCurValue() const { return curValue_; }
  void SetCurValue(Integer value) { curValue_ = value; }
  Integer GetInitValue() const { return initValue_; }
  void SetInitValue(Integer value);
  Integer GetStep() const { return step_; }
  void SetStep(Integer value) { step_ = value; }
  Integer Promote();
  void Reset() { curValue_ = initValue_; }
  void Assign(TPersistent* source) override;

 private:
  Integer step_ = -1;
  Integer initValue_ = -1;
  Integer curValue_ = -1;
};

// Fills calculated fields; FieldValues holds one unassigned value per field on the way in.
using TMemoryRecordEventEh = TDelegate<void(TMemoryRecordEh* MemRec, TVariantArrayEh& FieldValues)>;

// The store: structure, records list, auto-increment counter and listeners.
class TMemTableDataEh : public TComponent {
  KIV_CLASS(TMemTableDataEh, TComponent)
 public:
  explicit TMemTableDataEh(TComponent* owner);
  ~TMemTableDataEh() override;
  static void Published(TPropBuilder<TMemTableDataEh>& p);

  TAutoIncrementEh* GetAutoIncrement() { return autoIncrement_.get(); }
  void SetAutoIncrement(TAutoIncrementEh* value) { autoIncrement_->Assign(value); }
  virtual TMTDataStructEh* GetDataStruct() const { return dataStruct_; }
  TRecordsListEh* GetRecordsList() const { return recordsList_; }
  bool IsEmpty() const { return GetDataStruct()->GetCount() == 0; }
  bool GetStoreStructInStream() const { return storeStructInStream_; }
  void SetStoreStructInStream(bool value) { storeStructInStream_ = value; }
  bool GetStoreRecordsInStream() const { return storeRecordsInStream_; }
  void SetStoreRecordsInStream(bool value) { storeRecordsInStream_ = value; }
  const TMemoryRecordEventEh& GetOnFieldCalculation() const { return onFieldCalculation_; }
  void SetOnFieldCalculation(const TMemoryRecordEventEh& value);
  const TIntArray& GetIncFieldIndexes() const { return incFieldIndexes_; }
  Integer GetNotificatorCount() const { return notificators_.GetCount(); }
  TRecordsListNotificatorEh* GetNotificator(Integer index) const;
  bool GetRestructMode() const { return restructMode_; }

  virtual void RegisterNotificator(TRecordsListNotificatorEh* notificator);
  virtual void UnregisterNotificator(TRecordsListNotificatorEh* notificator);
  virtual void NotifyApplyUpdates(TMemTableDataEh* memTableData);
  bool HasApplyUpdatesHandler() const;
  virtual void DataFieldRenaming(TMTDataFieldEh*, const String&) {}
  virtual void Notify(TMemoryRecordEh* memRec, Integer index, TRecordsListNotification action);
  virtual void NotifyRecordMoved(TMemoryRecordEh* item, Integer oldIndex, Integer newIndex);
  virtual void SetAutoIncValue(TMemoryRecordEh* memRec);
  virtual void StructChanged();
  virtual TMTDataStructEh* BeginRestruct();
  virtual Integer FetchRecords(Integer count);
  virtual void CancelRestruct();
  virtual void CommitRestruct();
  virtual void DestroyTable();
  virtual void ResetRecords();
  void CalcRecordFields(TMemoryRecordEh* memRec);

  // The component stream of the store, binary or text form. Loading reads into a scratch store first:
  // a truncated or corrupt stream raises and this store keeps its structure and records.
  void SaveToStream(TStream* stream, bool textForm = false);
  void LoadFromStream(TStream* stream);

  void DefineProperties(TFiler* filer) override;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void ReadState(TReader* reader) override;

 protected:
  virtual TRecordsListEh* CreateRecordsList();
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void ReadAutoIncCurValue(TReader* reader);
  void WriteAutoIncCurValue(TWriter* writer);
  void TakeContentsOf(TMemTableDataEh* source);

  std::unique_ptr<TAutoIncrementEh> autoIncrement_;
  TMTDataStructEh* dataStruct_ = nullptr;
  TIntArray incFieldIndexes_;
  std::unique_ptr<TMTDataStructEh> newDataStruct_;
  TObjectListEh notificators_;
  TRecordsListEh* recordsList_ = nullptr;
  bool restructMode_ = false;
  bool storeStructInStream_ = false;
  bool storeRecordsInStream_ = false;
  TMemoryRecordEventEh onFieldCalculation_;
};

// The store of pending changes for one immediate apply: shares the master's structure.
class TMemTableDataShadowEh : public TMemTableDataEh {
  KIV_CLASS(TMemTableDataShadowEh, TMemTableDataEh)
 public:
  explicit TMemTableDataShadowEh(TMemTableDataEh* masterTable);
  ~TMemTableDataShadowEh() override;
  TMTDataStructEh* GetDataStruct() const override;
  void SetAutoIncValue(TMemoryRecordEh*) override {}
  TMemTableDataEh* GetMasterTable() const { return masterTable_; }

 private:
  TMemTableDataEh* masterTable_;
};
