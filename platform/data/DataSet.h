// TDataSet: the buffered cursor every dataset (in-memory table, ADO queries) derives from. It keeps a
// ring of record buffers around the current record for the controls, drives the edit states and
// events, and leaves storage and the cursor itself to the descendant's Internal* hooks.
//
// How a descendant fits in:
// - AllocRecordBuffer/FreeRecordBuffer give opaque buffers; GetRecord(buffer, gmCurrent|gmNext|gmPrior)
//   fills one from the cursor's record (moving the cursor first for gmNext/gmPrior) and answers
//   grOK, grBOF, grEOF or grError; it skips records the filter rejects (call FilterAccepts(buffer)
//   after filling, which evaluates Filter and OnFilterRecord unless the descendant filters natively).
//   The base computes calculated and lookup fields of every buffer itself: do not call GetCalcFields.
// - Bookmarks are the descendant's bytes, kept in each buffer (Get/SetBookmarkData) together with a
//   flag (Get/SetBookmarkFlag). InternalSetToRecord(buffer) and InternalGotoBookmark put the cursor
//   on a record; InternalFirst/InternalLast put it on the crack before the first / after the last.
//   InternalGotoBookmark raises EDatabaseError ("Record not found") for a bookmark of no record.
//   A descendant that calls FilterAccepts fills the buffer's bookmark first (lookups into the same
//   dataset come back to it).
// - InternalOpen opens the cursor and may call InitFieldDefs(), CreateFields() (when DefaultFields())
//   and BindFields(true) itself; the base does what it left undone once InternalOpen returns, so
//   fields exist and are bound before the buffers are filled. InternalClose closes the cursor; the
//   base unbinds and frees default fields afterwards.
// - GetFieldData(field, buffer) reads a data field of GetActiveRecordBuffer() into a buffer in the
//   format of the field's DataType (see Fields.h; a persistent TIntegerField may be bound to a 64-bit
//   column: the buffer is the field's, not the column's) and answers false for null; buffer may be
//   null, asking only whether the value is there. SetFieldData(field, buffer) stores one (buffer
//   null = null). The base has already checked the state, read-only and validation, and sends the
//   field-change event afterwards. Calculated and lookup fields never reach the descendant. A
//   descendant overriding the two-argument forms adds `using TDataSet::GetFieldData;` (and the same
//   for SetFieldData) so the other overloads stay visible.
// - Blobs: CreateBlobStream answers a new stream the caller frees; TFieldBlobStream (Fields.h) does
//   the state checks and the change notice for datasets that keep blob bytes in the record.
// - Posting: InternalPost stores ActiveBuffer() and leaves the cursor on the posted record. In
//   dsInsert the buffer's bookmark flag is bfEOF for an Append (add at the end) and bfInserted for an
//   Insert, which goes before the record the cursor is on (the cursor is at the end when the dataset
//   was empty). InternalDelete deletes the cursor's record and leaves the cursor on the next record
//   (or on the crack after the last one). InternalEdit/InternalCancel/InternalInsert are notices;
//   InternalCancel comes only for dsEdit.
// - FieldDefs are read once (InitFieldDefs) and kept across Close; a descendant whose columns may
//   change between openings calls GetFieldDefs()->SetUpdated(false) in InternalClose.
// - The descendant's destructor calls Close(): the base destructor can no longer reach the hooks.
#pragma once

#include <initializer_list>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DBTypes.h"
#include "platform/data/FieldDefs.h"
#include "platform/data/Fields.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Variant.h"

class TFilterExpr;

// Raises EDatabaseError with message, prefixed "Name: " when component has a name.
[[noreturn]] void DatabaseError(const String& message, const TComponent* component = nullptr);
[[noreturn]] void DatabaseErrorFmt(const String& format, std::initializer_list<TVarRec> args,
                                   const TComponent* component = nullptr);

class TDataSet : public TComponent {
  KIV_CLASS(TDataSet, TComponent)
 public:
  explicit TDataSet(TComponent* owner);
  // Closes the dataset; descendants call Close() in their own destructor too, since the base
  // destructor can no longer reach their hooks.
  ~TDataSet() override;

  static void Published(TPropBuilder<TDataSet>& p);

  // ---- Opening and state ----
  bool GetActive() const;
  void SetActive(bool value);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState GetState() const { return state_; }
  bool GetModified() const { return modified_; }
  // Raises "Cannot perform this operation on a closed dataset".
  void CheckActive() const;
  // Raises "Cannot perform this operation on an open dataset".
  void CheckInactive() const;

  // ---- Navigation ----
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Moves by distance records; answers how far it got.
  int MoveBy(int distance);
  bool GetBof() const { return bof_; }
  bool GetEof() const { return eof_; }
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  bool IsEmpty() const;
  // The total number of records (-1 when the descendant cannot tell).
  virtual Integer GetRecordCount() const { return -1; }
  Integer RecordCount() const { return GetRecordCount(); }
  // 1-based number of the current record (-1 when unknown).
  virtual Integer GetRecNo() const { return -1; }
  virtual void SetRecNo(Integer) {}
  Integer RecNo() const { return GetRecNo(); }
  virtual bool IsSequenced() const { return false; }
  // A forward-only cursor: it cannot step back to an earlier record.
  virtual bool IsUniDirectional() const { return false; }

  // ---- Bookmarks ----
  // The current record's bookmark; empty when the dataset is closed or empty.
  TBookmark GetBookmark() const;
  // Raises "Record not found" for a bookmark of no record.
  void SetBookmark(const TBookmark& bookmark) { GotoBookmark(bookmark); }
  void GotoBookmark(const TBookmark& bookmark);
  void FreeBookmark(TBookmark& bookmark) { bookmark.clear(); }
  virtual bool BookmarkValid(const TBookmark&) { return false; }
  // -1, 0 or 1; empty bookmarks sort first.
  virtual Integer CompareBookmarks(const TBookmark&, const TBookmark&) { return 0; }

  // ---- Editing ----
  void Append();
  void Insert();
  void Edit();
  virtual void Post();
  virtual void Cancel();
  void Delete();
  // Insert or append a record with the values in field order (Unassigned keeps a field's default,
  // Null clears it) and post it.
  void AppendRecord(std::initializer_list<Variant> values);
  void InsertRecord(std::initializer_list<Variant> values);
  void SetFields(std::initializer_list<Variant> values);
  void SetFields(const std::vector<Variant>& values);
  void ClearFields();
  // Posts (when modified) or cancels a pending edit, after asking the controls for their data.
  void CheckBrowseMode();
  // Asks the controls to write their pending data into the record (deUpdateRecord).
  void UpdateRecord();
  void Refresh();
  virtual void Resync(TResyncMode mode);
  void CursorPosChanged() { currentRecord_ = -1; }
  void UpdateCursorPos();
  virtual bool GetCanModify() const { return true; }
  bool CanModify() const { return GetCanModify(); }

  // ---- Controls and data sources ----
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disableCount_ != 0; }
  // Sends the event to every data source of the dataset (and on to their links).
  virtual void DataEvent(TDataEvent event, NativeInt info);
  // The master data source for detail datasets; null for others.
  virtual TDataSource* GetDataSource() const { return nullptr; }
  // True when dataSource's chain of masters leads back to this dataset.
  bool IsLinkedTo(TDataSource* dataSource) const;

  // ---- Fields ----
  TFields* GetFields() const { return fields_.get(); }
  TFields* GetAggFields() const { return aggFields_.get(); }
  int GetFieldCount() const { return fields_->GetCount(); }
  TFieldDefs* GetFieldDefs() const { return fieldDefs_.get(); }
  void SetFieldDefs(TFieldDefs* value);
  TIndexDefs* GetIndexDefs() const { return indexDefs_.get(); }
  TField* FindField(const String& fieldName) const;
  // Raises "Field '%s' not found" (prefixed with the dataset's name).
  TField* FieldByName(const String& fieldName) const;
  TField* FieldByNumber(int fieldNo) const { return fields_->FieldByNumber(fieldNo); }
  // One field's value, or a variant array of the values of "a;b;c".
  Variant GetFieldValues(const String& fieldNames) const;
  void SetFieldValues(const String& fieldNames, const Variant& value);
  Variant FieldValues(const String& fieldNames) const { return GetFieldValues(fieldNames); }
  // The fields named by a ";"-separated list, in its order; raises for an unknown name.
  void GetFieldList(std::vector<TField*>& list, const String& fieldNames) const;
  std::vector<TField*> GetFieldList(const String& fieldNames) const;
  template <class L>
  void GetFieldNames(L* list) const {
    fields_->GetFieldNames(list);
  }
  // True when the fields were made from FieldDefs at open (no persistent fields).
  bool DefaultFields() const { return defaultFields_; }
  bool GetDefaultFields() const { return defaultFields_; }
  bool GetAutoCalcFields() const { return autoCalcFields_; }
  void SetAutoCalcFields(bool value) { autoCalcFields_ = value; }
  // Reads FieldDefs unless up to date (FieldDefs->Update()).
  void InitFieldDefs();
  // Makes fields from FieldDefs (owned by the dataset).
  void CreateFields();
  void DestroyFields();
  // Binds the data fields to their definitions (FieldNo, type check) and resolves lookup fields.
  void BindFields(bool binding);
  // The class of the fields made for a type; null for a type the dataset makes no field for.
  virtual TClass GetFieldClass(TFieldType fieldType) const;

  // ---- Searching ----
  // keyValues: one value for one field, a variant array for several. The found record becomes
  // current (with the scroll events); otherwise the position does not change.
  virtual bool Locate(const String& keyFields, const Variant& keyValues, TLocateOptions options);
  // The result field(s) of the record matching exactly, without moving; Null when none matches.
  virtual Variant Lookup(const String& keyFields, const Variant& keyValues, const String& resultFields);

  // ---- Filtering ----
  const String& GetFilter() const { return filterText_; }
  const String& GetFilterText() const { return filterText_; }
  virtual void SetFilterText(const String& value);
  void SetFilter(const String& value) { SetFilterText(value); }
  bool GetFiltered() const { return filtered_; }
  virtual void SetFiltered(bool value);
  TFilterOptions GetFilterOptions() const { return filterOptions_; }
  virtual void SetFilterOptions(TFilterOptions value);
  TFilterRecordEvent GetOnFilterRecord() const { return OnFilterRecord; }
  void SetOnFilterRecord(const TFilterRecordEvent& value);

  // ---- Buffers, for data links and descendants ----
  TRecordBuffer ActiveBuffer() const;
  Integer GetBlockReadSize() const { return blockReadSize_; }
  void SetBlockReadSize(Integer value);

  // ---- Field values (called by TField) ----
  virtual bool GetFieldData(TField* field, void* buffer) = 0;
  // Reads the field in the record the state selects; nativeFormat false converts dates to
  // TDateTime. Calculated and lookup fields come from the base's calculated values.
  virtual bool GetFieldData(TField* field, void* buffer, bool nativeFormat);
  virtual void SetFieldData(TField* field, const void* buffer);
  virtual void SetFieldData(TField* field, const void* buffer, bool nativeFormat);
  // Converts a date, time or date-time buffer between native and TDateTime forms.
  virtual void DataConvert(TField* field, const void* source, void* dest, bool toNative);
  // Blob access; the caller frees the stream. Null when the descendant has no blobs.
  virtual TStream* CreateBlobStream(TField*, TBlobStreamMode) { return nullptr; }
  // Values of the other record states (old, current, new).
  virtual Variant GetStateFieldValue(TDataSetState state, TField* field);
  virtual void SetStateFieldValue(TDataSetState state, TField* field, const Variant& value);
  // The record the current state reads fields from; null when there is none.
  virtual TRecordBuffer GetActiveRecordBuffer() const;

  // ---- Provider support ----
  virtual TParams* PSGetParams() { return nullptr; }
  virtual void PSSetParams(TParams*) {}
  virtual TIndexDef* PSGetDefaultOrder() { return nullptr; }
  virtual TIndexDefs* PSGetIndexDefs(TIndexOptions options);
  // ";"-separated names of the fields with pfInKey, else of the primary index.
  virtual String PSGetKeyFields();
  virtual String PSGetTableName() { return String(); }

  // ---- Events ----
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
  TDataSetNotifyEvent OnCalcFields, OnNewRecord;
  TFilterRecordEvent OnFilterRecord;
  TDataSetErrorEvent OnPostError, OnDeleteError, OnEditError;

  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void Loaded() override;

 protected:
  // ---- The hooks a descendant implements ----
  virtual TRecordBuffer AllocRecordBuffer() = 0;
  virtual void FreeRecordBuffer(TRecordBuffer& buffer) = 0;
  virtual TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) = 0;
  virtual void InternalInitRecord(TRecordBuffer buffer) = 0;
  virtual void InternalOpen() = 0;
  virtual void InternalClose() = 0;
  virtual bool IsCursorOpen() const = 0;
  virtual void InternalFirst() = 0;
  virtual void InternalLast() = 0;
  virtual void GetBookmarkData(TRecordBuffer buffer, TBookmark& data) = 0;
  virtual void SetBookmarkData(TRecordBuffer buffer, const TBookmark& data) = 0;
  virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) = 0;
  virtual void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) = 0;
  virtual void InternalGotoBookmark(const TBookmark& bookmark) = 0;
  virtual void InternalSetToRecord(TRecordBuffer buffer) = 0;
  virtual void InternalInitFieldDefs() = 0;
  // Required fields are checked before it is called.
  virtual void InternalPost();
  virtual void InternalDelete() = 0;
  virtual void InternalAddRecord(TRecordBuffer buffer, bool append);
  virtual void InternalCancel() {}
  virtual void InternalEdit() {}
  virtual void InternalInsert() {}
  virtual void InternalRefresh() {}
  // Called when an operation fails inside a hook the base cannot let throw (destructor, Close).
  virtual void InternalHandleException() {}
  virtual void ClearCalcFields(TRecordBuffer buffer);
  // Computes calculated and lookup fields of buffer (OnCalcFields in dsCalcFields).
  virtual void GetCalcFields(TRecordBuffer buffer);
  virtual void CalculateFields(TRecordBuffer buffer);
  virtual void DoOnCalcFields();
  virtual void SetBufListSize(int value);
  virtual void OpenCursor(bool infoQuery);
  virtual void CloseCursor();
  // True when the descendant evaluates Filter itself (FilterAccepts then ignores the text).
  virtual bool FiltersNatively() const { return false; }

  // ---- Events, overridable ----
  virtual void DoBeforeOpen();
  virtual void DoAfterOpen();
  virtual void DoBeforeClose();
  virtual void DoAfterClose();
  virtual void DoBeforeInsert();
  virtual void DoAfterInsert();
  virtual void DoBeforeEdit();
  virtual void DoAfterEdit();
  virtual void DoBeforePost();
  virtual void DoAfterPost();
  virtual void DoBeforeCancel();
  virtual void DoAfterCancel();
  virtual void DoBeforeDelete();
  virtual void DoAfterDelete();
  virtual void DoBeforeScroll();
  virtual void DoAfterScroll();
  virtual void DoBeforeRefresh();
  virtual void DoAfterRefresh();
  virtual void DoOnNewRecord();

  // ---- Helpers for descendants ----
  // Evaluates the filter (text and OnFilterRecord) on a buffer GetRecord just filled.
  bool FilterAccepts(TRecordBuffer buffer);
  bool HasFilter() const { return filtered_ && (!filterText_.empty() || OnFilterRecord.Assigned()); }
  TFilterExpr* FilterExpression() const { return filterExpr_.get(); }
  void CheckRequiredFields();
  void CheckCanModify() const;
  void SetState(TDataSetState value);
  TDataSetState SetTempState(TDataSetState value);
  void RestoreState(TDataSetState value);
  void SetModified(bool value) { modified_ = value; }
  void InitRecord(TRecordBuffer buffer);
  int GetBufferCount() const { return bufferCount_; }
  // Buffered rows (the ring's filled part); the active one is GetActiveRecord().
  int GetBufferedRecordCount() const { return recordCount_; }
  int GetActiveRecord() const { return activeRecord_; }
  TRecordBuffer GetBuffer(int index) const { return buffers_[index]; }
  TRecordBuffer CalcBuffer() const { return calcBuffer_; }
  bool CalcFieldsPresent() const;
  void SetCurrentRecord(int index);
  void ClearBuffers();
  void ActivateBuffers();
  bool GetNextRecord();
  bool GetPriorRecord();
  int GetNextRecords();
  int GetPriorRecords();
  void UpdateBufferCount();
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TField;
  friend class TDataSource;
  friend class TDataLink;

  using TOperationProc = void (TDataSet::*)();
  void CheckOperation(TOperationProc operation, const TDataSetErrorEvent& errorEvent);
  void DoInternalPost() {
    CheckRequiredFields();
    InternalPost();
  }
  void DoInternalDelete() { InternalDelete(); }
  void DoInternalEdit() { InternalEdit(); }
  void DoInsertAppend(bool append);
  void MoveBuffer(int curIndex, int newIndex);
  void FreeFieldBuffers();
  void CheckBiDirectional() const {}
  void ActivateFilter();
  void AddDataSource(TDataSource* dataSource);
  void RemoveDataSource(TDataSource* dataSource);
  void SendToDataSources(TDataEvent event, NativeInt info);
  void AfterFieldChange(TField* field);
  void PositionCursorForPost();
  TRecordBuffer ScratchBuffer();
  // Walks the records from the first, reading each into the scratch buffer; stops when match answers
  // true (the cursor then on that record). Restores nothing.
  bool ScanRecords(const std::vector<TField*>& fields, const Variant& keyValues, TLocateOptions options);
  void ReleaseScratchBuffer();
  Variant& CalcSlot(TRecordBuffer buffer, TField* field);
  void SetLinkActiveRecord(int value) { activeRecord_ = value; }

  TDataSetState state_ = dsInactive;
  bool modified_ = false;
  bool bof_ = true;
  bool eof_ = true;
  bool streamedActive_ = false;
  bool defaultFields_ = false;
  bool fieldsCreatedByOpen_ = false;
  bool fieldsBound_ = false;
  bool autoCalcFields_ = true;
  bool internalOpenComplete_ = false;
  bool filtered_ = false;
  TFilterOptions filterOptions_;
  String filterText_;
  std::unique_ptr<TFilterExpr> filterExpr_;
  Integer blockReadSize_ = 0;
  int disableCount_ = 0;
  int tempDepth_ = 0;
  TDataSetState disableState_ = dsInactive;
  TDataEvent enableEvent_ = deDataSetChange;

  std::vector<TRecordBuffer> buffers_;  // bufferCount_ + 1 buffers: the last is the spare
  int bufferCount_ = 0;
  int recordCount_ = 0;
  int activeRecord_ = 0;
  int currentRecord_ = -1;
  TRecordBuffer calcBuffer_ = nullptr;
  TRecordBuffer filterBuffer_ = nullptr;
  TRecordBuffer scratchBuffer_ = nullptr;
  TRecordBuffer calcFreshBuffer_ = nullptr;
  // Calculated and lookup values per buffer, outside the descendant's layout.
  std::unordered_map<TRecordBuffer, std::vector<std::pair<TField*, Variant>>> calcValues_;
  // Values of the record when Edit began, for OldValue.
  std::vector<Variant> oldValues_;
  // The record an Insert or Append started from, to come back to on Cancel.
  TBookmark insertOrigin_;

  std::unique_ptr<TFields> fields_;
  std::unique_ptr<TFields> aggFields_;
  std::unique_ptr<TFieldDefs> fieldDefs_;
  std::unique_ptr<TIndexDefs> indexDefs_;
  std::unique_ptr<TIndexDefs> psIndexDefs_;
  std::vector<TDataSource*> dataSources_;
};

using TDataSetClass = TClass;
