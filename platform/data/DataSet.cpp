// TDataSet: the record-buffer ring, navigation, edit states, events and notifications, generic
// searching and filtering over the descendant's cursor.
#include "platform/data/DataSet.h"

#include <algorithm>
#include <cstring>

#include "platform/data/DBFilterExpr.h"
#include "platform/data/DataSource.h"
#include "platform/data/FieldBuffer.h"
#include "platform/data/Params.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

namespace {

bool InWriteMode(TDataSetState state) {
  switch (state) {
    case dsEdit:
    case dsInsert:
    case dsSetKey:
    case dsCalcFields:
    case dsFilter:
    case dsNewValue:
    case dsInternalCalc:
      return true;
    default:
      return false;
  }
}

bool IsCalcKind(TFieldKind kind) {
  return kind == fkCalculated || kind == fkLookup || kind == fkInternalCalc;
}

// Field types whose stored values convert into each other without loss of meaning: persistent
// fields of one family bind to columns of another member of the same family.
int TypeFamily(TFieldType t) {
  switch (t) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
    case ftGuid:
      return 1;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
    case ftLongWord:
    case ftShortint:
    case ftByte:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
    case ftExtended:
    case ftSingle:
      return 2;
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
    case ftOraTimeStamp:
    case ftTimeStampOffset:
      return 3;
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
      return 4;
    case ftBytes:
    case ftVarBytes:
      return 5;
    default:
      return 100 + static_cast<int>(t);
  }
}

bool IsTextField(const TField* field) { return field->Is<TStringField>() || field->Is<TMemoField>(); }

// Locate's comparison of one field with one key value.
bool KeyMatches(TField* field, const Variant& key, TLocateOptions options) {
  if (VarIsEmptyOrNull(key)) return field->IsNull();
  if (field->IsNull()) return false;
  bool caseInsensitive = options.Contains(loCaseInsensitive);
  bool partial = options.Contains(loPartialKey);
  if (IsTextField(field) || (VarIsStr(key) && (caseInsensitive || partial))) {
    String value = field->GetAsString();
    String keyText = VarToStr(key);
    if (partial) {
      if (keyText.size() > value.size()) return false;
      value = value.substr(0, keyText.size());
    }
    return caseInsensitive ? AnsiCompareText(value, keyText) == 0 : value == keyText;
  }
  Variant value = field->GetAsVariant();
  try {
    if (VarIsStr(key) && !VarIsStr(value)) {
      if (field->Is<TDateTimeField>() || field->Is<TSQLTimeStampField>())
        return field->GetAsDateTime() == StrToDateTime(VarToStr(key));
      return VarCompareValue(value, VarAsType(key, VarType(value))) == vrEqual;
    }
    return VarCompareValue(value, key) == vrEqual;
  } catch (const Exception&) {
    return false;
  }
}

}  // namespace

int& LookupNesting() {
  thread_local int depth = 0;
  return depth;
}

// ======================= Errors =======================

void DatabaseError(const String& message, const TComponent* component) {
  if (component && !component->GetName().empty())
    throw EDatabaseError(component->GetName() + u": " + message);
  throw EDatabaseError(message);
}

void DatabaseErrorFmt(const String& format, std::initializer_list<TVarRec> args,
                      const TComponent* component) {
  DatabaseError(Format(format, args), component);
}

// ======================= Construction =======================

TDataSet::TDataSet(TComponent* owner)
    : TComponent(owner),
      fields_(std::make_unique<TFields>(this)),
      aggFields_(std::make_unique<TFields>(this)),
      fieldDefs_(std::make_unique<TFieldDefs>(this)),
      indexDefs_(std::make_unique<TIndexDefs>(this)) {}

TDataSet::~TDataSet() {
  Destroying();
  // The descendant's part is gone: no hook may be called from here. Descendants close in their own
  // destructor; what is left is only our own bookkeeping.
  state_ = dsInactive;
  filterExpr_.reset();
  for (TDataSource* source : std::vector<TDataSource*>(dataSources_)) {
    source->dataSet_ = nullptr;
    source->UpdateState();
  }
  dataSources_.clear();
  for (TFields* list : {fields_.get(), aggFields_.get()}) {
    for (TField* field : list->list_) field->dataSet_ = nullptr;
    list->list_.clear();
  }
}

void TDataSet::Published(TPropBuilder<TDataSet>& p) {
  static const TTypeInfo filterOptionType =
      TTypeInfo::Enum(u"TFilterOption", {u"foCaseInsensitive", u"foNoPartialCompare"});
  static const TTypeInfo filterOptionsType = TTypeInfo::Set(u"TFilterOptions", &filterOptionType);
  p.Bool(u"Active", &TDataSet::GetActive, &TDataSet::SetActive).Default(0);
  p.Bool(u"AutoCalcFields", &TDataSet::GetAutoCalcFields, &TDataSet::SetAutoCalcFields).Default(1);
  p.Str(u"Filter", &TDataSet::GetFilterText, &TDataSet::SetFilterText);
  p.Bool(u"Filtered", &TDataSet::GetFiltered, &TDataSet::SetFiltered).Default(0);
  p.Set(u"FilterOptions", &filterOptionsType, &TDataSet::GetFilterOptions, &TDataSet::SetFilterOptions)
      .Default(0);
  const Char* notify = u"TDataSetNotifyEvent";
  p.Event(u"BeforeOpen", &TDataSet::BeforeOpen, notify);
  p.Event(u"AfterOpen", &TDataSet::AfterOpen, notify);
  p.Event(u"BeforeClose", &TDataSet::BeforeClose, notify);
  p.Event(u"AfterClose", &TDataSet::AfterClose, notify);
  p.Event(u"BeforeInsert", &TDataSet::BeforeInsert, notify);
  p.Event(u"AfterInsert", &TDataSet::AfterInsert, notify);
  p.Event(u"BeforeEdit", &TDataSet::BeforeEdit, notify);
  p.Event(u"AfterEdit", &TDataSet::AfterEdit, notify);
  p.Event(u"BeforePost", &TDataSet::BeforePost, notify);
  p.Event(u"AfterPost", &TDataSet::AfterPost, notify);
  p.Event(u"BeforeCancel", &TDataSet::BeforeCancel, notify);
  p.Event(u"AfterCancel", &TDataSet::AfterCancel, notify);
  p.Event(u"BeforeDelete", &TDataSet::BeforeDelete, notify);
  p.Event(u"AfterDelete", &TDataSet::AfterDelete, notify);
  p.Event(u"BeforeScroll", &TDataSet::BeforeScroll, notify);
  p.Event(u"AfterScroll", &TDataSet::AfterScroll, notify);
  p.Event(u"BeforeRefresh", &TDataSet::BeforeRefresh, notify);
  p.Event(u"AfterRefresh", &TDataSet::AfterRefresh, notify);
  p.Event(u"OnCalcFields", &TDataSet::OnCalcFields, notify);
  p.Event(u"OnNewRecord", &TDataSet::OnNewRecord, notify);
  p.Event(u"OnFilterRecord", &TDataSet::OnFilterRecord, u"TFilterRecordEvent");
  p.Event(u"OnPostError", &TDataSet::OnPostError, u"TDataSetErrorEvent");
  p.Event(u"OnDeleteError", &TDataSet::OnDeleteError, u"TDataSetErrorEvent");
  p.Event(u"OnEditError", &TDataSet::OnEditError, u"TDataSetErrorEvent");
}

void TDataSet::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TField* field : fields_->List())
    if (field->GetOwner() == root) proc(field);
  for (TField* field : aggFields_->List())
    if (field->GetOwner() == root) proc(field);
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (streamedActive_) {
    streamedActive_ = false;
    SetActive(true);
  }
}

void TDataSet::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  auto it = std::find(dataSources_.begin(), dataSources_.end(), component);
  if (it != dataSources_.end()) dataSources_.erase(it);
}

// ======================= Opening and closing =======================

bool TDataSet::GetActive() const { return state_ != dsInactive && state_ != dsOpening; }

void TDataSet::CheckActive() const {
  if (state_ == dsInactive) DatabaseError(SDataSetClosed, this);
}

void TDataSet::CheckInactive() const {
  if (state_ != dsInactive) DatabaseError(SDataSetOpen, this);
}

void TDataSet::SetActive(bool value) {
  if (GetComponentState().Contains(csReading) || GetComponentState().Contains(csLoading)) {
    streamedActive_ = value;
    return;
  }
  if (value == GetActive()) return;
  bool destroying = GetComponentState().Contains(csDestroying);
  if (value) {
    DoBeforeOpen();
    try {
      OpenCursor(false);
    } catch (...) {
      // Closing what the failed open left is best effort: the open's failure is the one the caller must
      // see, and a close that fails behind it only repeats it.
      try {
        CloseCursor();
      } catch (...) {
      }
      throw;
    }
    SetState(dsBrowse);
    DoAfterOpen();
    if (!IsEmpty()) DoAfterScroll();
  } else {
    if (!destroying) DoBeforeClose();
    SetState(dsInactive);
    CloseCursor();
    if (!destroying) DoAfterClose();
  }
}

void TDataSet::OpenCursor(bool infoQuery) {
  if (infoQuery) {
    InternalInitFieldDefs();
    return;
  }
  defaultFields_ = fields_->GetCount() == 0;
  fieldsCreatedByOpen_ = false;
  fieldsBound_ = false;
  InternalOpen();
  if (!fieldsBound_) {
    InitFieldDefs();
    if (defaultFields_ && fields_->GetCount() == 0) CreateFields();
    BindFields(true);
  }
  internalOpenComplete_ = true;
  ActivateFilter();
  ClearBuffers();
  UpdateBufferCount();
  bof_ = true;
}

void TDataSet::CloseCursor() {
  FreeFieldBuffers();
  ClearBuffers();
  std::exception_ptr failure;
  try {
    SetBufListSize(0);
    ReleaseScratchBuffer();
    if (internalOpenComplete_ || IsCursorOpen()) InternalClose();
  } catch (...) {
    failure = std::current_exception();
  }
  internalOpenComplete_ = false;
  calcValues_.clear();
  filterExpr_.reset();
  BindFields(false);
  if (defaultFields_) DestroyFields();
  if (failure) std::rethrow_exception(failure);
}

void TDataSet::InitFieldDefs() {
  if (fieldDefs_->GetUpdated()) return;
  InternalInitFieldDefs();
  fieldDefs_->SetUpdated(true);
}

void TDataSet::SetFieldDefs(TFieldDefs* value) { fieldDefs_->Assign(value); }

void TDataSet::CreateFields() {
  for (int i = 0; i < fieldDefs_->GetCount(); ++i) {
    TFieldDef* def = fieldDefs_->GetItem(i);
    if (def->GetDataType() == ftUnknown) continue;
    if (def->GetAttributes().Contains(faHiddenCol)) continue;
    def->CreateField(this);
  }
  fieldsCreatedByOpen_ = true;
}

void TDataSet::DestroyFields() {
  std::vector<TField*> doomed;
  for (TField* field : fields_->List())
    if (field->GetOwner() == this) doomed.push_back(field);
  for (TField* field : doomed) delete field;
}

void TDataSet::BindFields(bool binding) {
  fieldsBound_ = binding;
  for (TField* field : fields_->List()) {
    if (binding && field->GetFieldKind() == fkData) {
      TFieldDef* def = fieldDefs_->Find(field->GetFieldName());
      if (!def) DatabaseErrorFmt(SFieldNotFound, {field->GetDisplayName()}, this);
      if (TypeFamily(def->GetDataType()) != TypeFamily(field->GetDataType()))
        DatabaseErrorFmt(
            SFieldTypeMismatch,
            {field->GetDisplayName(), FieldTypeName(field->GetDataType()), FieldTypeName(def->GetDataType())},
            this);
      field->SetFieldNo(def->GetFieldNo());
    } else if (binding && field->GetFieldKind() != fkAggregate) {
      field->SetFieldNo(0);
    }
    field->Bind(binding);
  }
}

TClass TDataSet::GetFieldClass(TFieldType fieldType) const { return DefaultFieldClass(fieldType); }

// ======================= Buffers =======================

TRecordBuffer TDataSet::ActiveBuffer() const {
  if (bufferCount_ == 0 || activeRecord_ >= static_cast<int>(buffers_.size())) return nullptr;
  return buffers_[activeRecord_];
}

TRecordBuffer TDataSet::GetActiveRecordBuffer() const {
  switch (state_) {
    case dsBrowse:
    case dsBlockRead:
      return IsEmpty() ? nullptr : ActiveBuffer();
    case dsEdit:
    case dsInsert:
    case dsNewValue:
    case dsOldValue:
    case dsCurValue:
    case dsSetKey:
      return ActiveBuffer();
    case dsCalcFields:
    case dsInternalCalc:
      return calcBuffer_;
    case dsFilter:
      return filterBuffer_;
    default:
      return nullptr;
  }
}

void TDataSet::SetBufListSize(int value) {
  if (value < 0) value = 0;
  int have = static_cast<int>(buffers_.size());
  int want = value > 0 ? value + 1 : 0;
  if (want > have) {
    for (int i = have; i < want; ++i) {
      TRecordBuffer buffer = AllocRecordBuffer();
      buffers_.push_back(buffer);
    }
  } else {
    while (static_cast<int>(buffers_.size()) > want) {
      TRecordBuffer buffer = buffers_.back();
      buffers_.pop_back();
      calcValues_.erase(buffer);
      FreeRecordBuffer(buffer);
    }
  }
  bufferCount_ = value;
}

void TDataSet::UpdateBufferCount() {
  if (!IsCursorOpen()) return;
  int wanted = 1;
  for (TDataSource* source : dataSources_)
    for (TDataLink* link : source->links_) wanted = std::max(wanted, link->bufferCount_);
  if (wanted == bufferCount_) {
    GetNextRecords();
    return;
  }
  if (recordCount_ > wanted) {
    // Keep the active record: drop rows before it first, then rows after it.
    int delta = activeRecord_ - wanted + 1;
    if (delta > 0) {
      for (int i = 0; i < delta; ++i) MoveBuffer(0, static_cast<int>(buffers_.size()) - 1);
      activeRecord_ -= delta;
      recordCount_ -= delta;
      for (TDataSource* source : dataSources_)
        for (TDataLink* link : source->links_) link->firstRecord_ = std::max(0, link->firstRecord_ - delta);
    }
    recordCount_ = std::min(recordCount_, wanted);
  }
  CursorPosChanged();
  SetBufListSize(wanted);
  GetNextRecords();
  int priors = GetPriorRecords();
  for (TDataSource* source : dataSources_)
    for (TDataLink* link : source->links_) link->firstRecord_ += priors;
}

void TDataSet::MoveBuffer(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  TRecordBuffer buffer = buffers_[curIndex];
  buffers_.erase(buffers_.begin() + curIndex);
  buffers_.insert(buffers_.begin() + newIndex, buffer);
}

void TDataSet::ClearBuffers() {
  recordCount_ = 0;
  activeRecord_ = 0;
  currentRecord_ = -1;
  bof_ = true;
  eof_ = true;
}

void TDataSet::ActivateBuffers() {
  recordCount_ = 1;
  activeRecord_ = 0;
  currentRecord_ = 0;
  bof_ = false;
  eof_ = false;
}

void TDataSet::SetCurrentRecord(int index) {
  if (currentRecord_ == index) return;
  TRecordBuffer buffer = buffers_[index];
  switch (GetBookmarkFlag(buffer)) {
    case bfCurrent:
      InternalSetToRecord(buffer);
      break;
    case bfBOF:
      InternalFirst();
      break;
    case bfEOF:
      InternalLast();
      break;
    case bfInserted:
      if (insertOrigin_.empty())
        InternalLast();
      else
        InternalGotoBookmark(insertOrigin_);
      break;
  }
  currentRecord_ = index;
}

void TDataSet::UpdateCursorPos() {
  if (recordCount_ > 0) SetCurrentRecord(activeRecord_);
}

bool TDataSet::GetNextRecord() {
  if (recordCount_ > 0) SetCurrentRecord(recordCount_ - 1);
  TRecordBuffer buffer = buffers_[recordCount_];
  bool ok = GetRecord(buffer, gmNext, true) == grOK;
  if (!ok) {
    CursorPosChanged();
    return false;
  }
  if (calcFreshBuffer_ != buffer) GetCalcFields(buffer);
  calcFreshBuffer_ = nullptr;
  if (recordCount_ == 0) {
    ActivateBuffers();
  } else if (recordCount_ < bufferCount_) {
    ++recordCount_;
  } else {
    MoveBuffer(0, recordCount_);
  }
  currentRecord_ = recordCount_ - 1;
  return true;
}

bool TDataSet::GetPriorRecord() {
  CheckBiDirectional();
  if (recordCount_ > 0) SetCurrentRecord(0);
  TRecordBuffer buffer = buffers_[recordCount_];
  bool ok = GetRecord(buffer, gmPrior, true) == grOK;
  if (!ok) {
    CursorPosChanged();
    return false;
  }
  if (calcFreshBuffer_ != buffer) GetCalcFields(buffer);
  calcFreshBuffer_ = nullptr;
  if (recordCount_ == 0) {
    ActivateBuffers();
  } else {
    MoveBuffer(recordCount_, 0);
    if (recordCount_ < bufferCount_) {
      ++recordCount_;
      ++activeRecord_;
    }
  }
  currentRecord_ = 0;
  return true;
}

int TDataSet::GetNextRecords() {
  int result = 0;
  while (recordCount_ < bufferCount_ && GetNextRecord()) ++result;
  return result;
}

int TDataSet::GetPriorRecords() {
  int result = 0;
  while (recordCount_ < bufferCount_ && GetPriorRecord()) ++result;
  return result;
}

bool TDataSet::IsEmpty() const { return activeRecord_ >= recordCount_; }

void TDataSet::SetBlockReadSize(Integer value) {
  if (value > 0) {
    CheckActive();
    blockReadSize_ = value;
    if (state_ == dsBrowse) SetState(dsBlockRead);
  } else {
    blockReadSize_ = 0;
    if (state_ == dsBlockRead) {
      SetState(dsBrowse);
      Resync({});
    }
  }
}

// ======================= Navigation =======================

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  // The scroll events run user code, which may raise.
  TryFinally(
      [&] {
        InternalFirst();
        GetNextRecord();
        GetNextRecords();
      },
      [this] {
        bof_ = true;
        DataEvent(deDataSetChange, 0);
        DoAfterScroll();
      });
}

void TDataSet::Last() {
  CheckBiDirectional();
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  TryFinally(
      [&] {
        InternalLast();
        GetPriorRecord();
        GetPriorRecords();
      },
      [this] {
        eof_ = true;
        DataEvent(deDataSetChange, 0);
        DoAfterScroll();
      });
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  int result = 0;
  DoBeforeScroll();
  if (!((distance > 0 && !eof_) || (distance < 0 && !bof_))) return 0;
  bof_ = false;
  eof_ = false;
  int oldRecordCount = recordCount_;
  int scrollDistance = 0;
  return TryFinally(
      [&] {
        while (distance > 0) {
          if (activeRecord_ < recordCount_ - 1) {
            ++activeRecord_;
          } else {
            int shift = recordCount_ < bufferCount_ ? 0 : 1;
            if (!GetNextRecord()) {
              eof_ = true;
              break;
            }
            scrollDistance -= shift;
            activeRecord_ = recordCount_ - 1;
          }
          --distance;
          ++result;
        }
        while (distance < 0) {
          if (activeRecord_ > 0) {
            --activeRecord_;
          } else {
            int shift = recordCount_ < bufferCount_ ? 0 : 1;
            if (!GetPriorRecord()) {
              bof_ = true;
              break;
            }
            scrollDistance += shift;
            activeRecord_ = 0;
          }
          ++distance;
          --result;
        }
        return result;
      },
      [&] {
        if (recordCount_ != oldRecordCount)
          DataEvent(deDataSetChange, 0);
        else
          DataEvent(deDataSetScroll, scrollDistance);
        DoAfterScroll();
      });
}

void TDataSet::Resync(TResyncMode mode) {
  TRecordBuffer spare = buffers_[recordCount_];
  if (mode.Contains(rmExact)) {
    CursorPosChanged();
    if (GetRecord(spare, gmCurrent, true) != grOK) DatabaseError(SRecordNotFound, this);
  } else if (GetRecord(spare, gmCurrent, false) != grOK && GetRecord(spare, gmNext, false) != grOK &&
             GetRecord(spare, gmPrior, false) != grOK) {
    ClearBuffers();
    DataEvent(deDataSetChange, 0);
    return;
  }
  GetCalcFields(spare);
  calcFreshBuffer_ = nullptr;
  int count = mode.Contains(rmCenter) ? (bufferCount_ - 1) / 2 : activeRecord_;
  MoveBuffer(recordCount_, 0);
  ActivateBuffers();
  TryFinally(
      [&] {
        while (count > 0 && GetPriorRecord()) --count;
        GetNextRecords();
        GetPriorRecords();
      },
      [this] { DataEvent(deDataSetChange, 0); });
}

// ======================= Bookmarks =======================

TBookmark TDataSet::GetBookmark() const {
  TBookmark result;
  if ((state_ == dsBrowse || state_ == dsEdit || state_ == dsInsert || state_ == dsBlockRead) && !IsEmpty()) {
    auto* self = const_cast<TDataSet*>(this);
    if (self->GetBookmarkFlag(ActiveBuffer()) == bfCurrent) self->GetBookmarkData(ActiveBuffer(), result);
  }
  return result;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  if (bookmark.empty()) return;
  CheckBrowseMode();
  DoBeforeScroll();
  InternalGotoBookmark(bookmark);
  Resync(TResyncMode{rmExact, rmCenter});
  DoAfterScroll();
}

// ======================= States =======================

void TDataSet::SetState(TDataSetState value) {
  if (state_ == value) return;
  state_ = value;
  modified_ = false;
  DataEvent(deUpdateState, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState value) {
  TDataSetState old = state_;
  state_ = value;
  ++tempDepth_;
  return old;
}

void TDataSet::RestoreState(TDataSetState value) {
  state_ = value;
  --tempDepth_;
}

void TDataSet::CheckCanModify() const {
  if (!GetCanModify()) DatabaseError(SDataSetReadOnly, this);
}

void TDataSet::CheckOperation(TOperationProc operation, const TDataSetErrorEvent& errorEvent) {
  for (;;) {
    try {
      UpdateCursorPos();
      (this->*operation)();
      return;
    } catch (EDatabaseError& e) {
      if (!errorEvent) throw;
      TDataAction action = daFail;
      errorEvent(this, &e, action);
      if (action == daFail) throw;
      if (action == daAbort) Abort();
    }
  }
}

void TDataSet::FreeFieldBuffers() { oldValues_.clear(); }

// ======================= Editing =======================

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  switch (state_) {
    case dsEdit:
    case dsInsert:
      UpdateRecord();
      if (modified_)
        Post();
      else
        Cancel();
      break;
    case dsSetKey:
      Post();
      break;
    default:
      break;
  }
}

void TDataSet::UpdateRecord() {
  if (!InWriteMode(state_)) DatabaseError(SNotEditing, this);
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::Edit() {
  if (state_ == dsEdit || state_ == dsInsert) return;
  if (recordCount_ == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  DoBeforeEdit();
  CheckOperation(&TDataSet::DoInternalEdit, OnEditError);
  oldValues_.clear();
  for (TField* field : fields_->List()) oldValues_.push_back(field->GetAsVariant());
  GetCalcFields(ActiveBuffer());
  calcFreshBuffer_ = nullptr;
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  DoAfterEdit();
}

void TDataSet::Insert() { DoInsertAppend(false); }

void TDataSet::Append() { DoInsertAppend(true); }

void TDataSet::DoInsertAppend(bool append) {
  CheckBrowseMode();
  CheckCanModify();
  DoBeforeInsert();
  DoBeforeScroll();
  insertOrigin_.clear();
  if (!append) {
    if (recordCount_ > 0) {
      TRecordBuffer active = ActiveBuffer();
      if (GetBookmarkFlag(active) == bfCurrent) GetBookmarkData(active, insertOrigin_);
      UpdateCursorPos();
      MoveBuffer(recordCount_, activeRecord_);
      CursorPosChanged();
      TRecordBuffer buffer = ActiveBuffer();
      InitRecord(buffer);
      if (recordCount_ < bufferCount_) ++recordCount_;
    } else {
      InternalLast();
      CursorPosChanged();
      InitRecord(buffers_[0]);
      recordCount_ = 1;
      activeRecord_ = 0;
    }
  } else {
    ClearBuffers();
    InternalLast();
    GetPriorRecords();
    TRecordBuffer buffer = buffers_[recordCount_];
    InitRecord(buffer);
    SetBookmarkFlag(buffer, bfEOF);
    if (recordCount_ < bufferCount_)
      ++recordCount_;
    else
      MoveBuffer(0, recordCount_);
    activeRecord_ = recordCount_ - 1;
    CursorPosChanged();
  }
  InternalInsert();
  bof_ = false;
  eof_ = false;
  SetState(dsInsert);
  // Written out rather than guarded: the way back reads the cursor again and may raise, which a scope
  // guard's destructor must not.
  try {
    DoOnNewRecord();
  } catch (...) {
    FreeFieldBuffers();
    SetState(dsBrowse);
    CursorPosChanged();
    if (insertOrigin_.empty())
      InternalLast();
    else
      InternalGotoBookmark(insertOrigin_);
    Resync({});
    throw;
  }
  modified_ = false;
  DataEvent(deDataSetChange, 0);
  DoAfterInsert();
  DoAfterScroll();
}

void TDataSet::InitRecord(TRecordBuffer buffer) {
  InternalInitRecord(buffer);
  ClearCalcFields(buffer);
  SetBookmarkFlag(buffer, bfInserted);
}

void TDataSet::PositionCursorForPost() {
  if (state_ != dsInsert) {
    UpdateCursorPos();
    return;
  }
  // The buffer being inserted has no record yet: put the cursor where it goes.
  if (GetBookmarkFlag(ActiveBuffer()) == bfEOF || insertOrigin_.empty())
    InternalLast();
  else
    InternalGotoBookmark(insertOrigin_);
  CursorPosChanged();
}

void TDataSet::InternalPost() {}

void TDataSet::InternalAddRecord(TRecordBuffer, bool) { DatabaseError(SOperationNotSupported, this); }

void TDataSet::CheckRequiredFields() {
  for (TField* field : fields_->List()) {
    if (field->GetRequired() && !field->GetReadOnly() && field->GetFieldKind() == fkData && field->IsNull()) {
      field->FocusControl();
      DatabaseErrorFmt(SFieldRequired, {field->GetDisplayName()});
    }
  }
}

void TDataSet::Post() {
  UpdateRecord();
  if (state_ != dsEdit && state_ != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  DoBeforePost();
  for (;;) {
    try {
      PositionCursorForPost();
      DoInternalPost();
      break;
    } catch (EDatabaseError& e) {
      if (!OnPostError) throw;
      TDataAction action = daFail;
      OnPostError(this, &e, action);
      if (action == daFail) throw;
      if (action == daAbort) Abort();
    }
  }
  FreeFieldBuffers();
  insertOrigin_.clear();
  SetState(dsBrowse);
  Resync({});
  DoAfterPost();
}

void TDataSet::Cancel() {
  if (state_ != dsEdit && state_ != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  DoBeforeCancel();
  bool inserting = state_ == dsInsert;
  if (inserting) {
    CursorPosChanged();
    if (insertOrigin_.empty()) {
      InternalLast();
    } else {
      try {
        InternalGotoBookmark(insertOrigin_);
      } catch (const EDatabaseError&) {
        InternalFirst();
      }
    }
  } else {
    UpdateCursorPos();
    InternalCancel();
  }
  FreeFieldBuffers();
  insertOrigin_.clear();
  SetState(dsBrowse);
  Resync({});
  DoAfterCancel();
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == dsInsert || state_ == dsSetKey) {
    Cancel();
    return;
  }
  if (recordCount_ == 0) DatabaseError(SDataSetEmpty, this);
  DataEvent(deCheckBrowseMode, 0);
  DoBeforeDelete();
  DoBeforeScroll();
  CheckOperation(&TDataSet::DoInternalDelete, OnDeleteError);
  FreeFieldBuffers();
  SetState(dsBrowse);
  Resync({});
  DoAfterDelete();
  DoAfterScroll();
}

void TDataSet::SetFields(std::initializer_list<Variant> values) { SetFields(std::vector<Variant>(values)); }

void TDataSet::SetFields(const std::vector<Variant>& values) {
  if (!InWriteMode(state_)) DatabaseError(SNotEditing, this);
  for (size_t i = 0; i < values.size(); ++i) {
    const Variant& v = values[i];
    TField* field = fields_->GetField(static_cast<int>(i));
    if (VarIsEmpty(v)) continue;
    if (VarIsNull(v))
      field->Clear();
    else
      field->SetAsVariant(v);
  }
}

void TDataSet::AppendRecord(std::initializer_list<Variant> values) {
  Append();
  SetFields(values);
  Post();
}

void TDataSet::InsertRecord(std::initializer_list<Variant> values) {
  Insert();
  SetFields(values);
  Post();
}

void TDataSet::ClearFields() {
  if (!InWriteMode(state_)) DatabaseError(SNotEditing, this);
  for (TField* field : fields_->List())
    if (field->GetFieldKind() == fkData && !field->GetReadOnly()) field->Clear();
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  DoBeforeRefresh();
  UpdateCursorPos();
  InternalRefresh();
  CursorPosChanged();
  Resync({});
  DoAfterRefresh();
}

// ======================= Notifications =======================

void TDataSet::DisableControls() {
  if (disableCount_ == 0) {
    disableState_ = state_;
    enableEvent_ = deDataSetChange;
    SendToDataSources(deDisabledStateChange, 1);
  }
  ++disableCount_;
}

void TDataSet::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ != 0) return;
  SendToDataSources(deDisabledStateChange, 0);
  if (disableState_ != state_) DataEvent(deUpdateState, 0);
  if (disableState_ != dsInactive && state_ != dsInactive) DataEvent(enableEvent_, 0);
}

void TDataSet::DataEvent(TDataEvent event, NativeInt info) {
  if (event == deFieldChange) AfterFieldChange(reinterpret_cast<TField*>(info));
  if (tempDepth_ > 0) return;
  if (disableCount_ == 0) {
    if (state_ == dsBlockRead && (event == deDataSetScroll || event == deDataSetChange)) return;
    SendToDataSources(event, info);
  } else if ((event == deUpdateState && state_ == dsInactive) || event == deLayoutChange) {
    enableEvent_ = deLayoutChange;
  }
}

void TDataSet::AfterFieldChange(TField* field) {
  if (!field) return;
  if (field->GetFieldKind() == fkData || field->GetFieldKind() == fkInternalCalc) modified_ = true;
  if (state_ == dsSetKey) return;
  if (field->GetFieldKind() == fkData && autoCalcFields_ && CalcFieldsPresent() && ActiveBuffer()) {
    GetCalcFields(ActiveBuffer());
    calcFreshBuffer_ = nullptr;
  }
  field->Change();
}

void TDataSet::SendToDataSources(TDataEvent event, NativeInt info) {
  for (TDataSource* source : std::vector<TDataSource*>(dataSources_))
    if (std::find(dataSources_.begin(), dataSources_.end(), source) != dataSources_.end())
      source->DataEvent(event, info);
}

void TDataSet::AddDataSource(TDataSource* dataSource) {
  dataSources_.push_back(dataSource);
  FreeNotification(dataSource);
  UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* dataSource) {
  auto it = std::find(dataSources_.begin(), dataSources_.end(), dataSource);
  if (it != dataSources_.end()) dataSources_.erase(it);
  RemoveFreeNotification(dataSource);
}

bool TDataSet::IsLinkedTo(TDataSource* dataSource) const {
  int guard = 0;
  while (dataSource && guard++ < 10000) {
    TDataSet* dataSet = dataSource->GetDataSet();
    if (!dataSet) break;
    if (dataSet == this) return true;
    dataSource = dataSet->GetDataSource();
  }
  return false;
}

// ======================= Calculated fields =======================

bool TDataSet::CalcFieldsPresent() const {
  for (TField* field : fields_->List())
    if (IsCalcKind(field->GetFieldKind())) return true;
  return false;
}

Variant& TDataSet::CalcSlot(TRecordBuffer buffer, TField* field) {
  auto& slots = calcValues_[buffer];
  for (auto& [owner, value] : slots)
    if (owner == field) return value;
  slots.emplace_back(field, Variant());
  return slots.back().second;
}

void TDataSet::ClearCalcFields(TRecordBuffer buffer) {
  auto it = calcValues_.find(buffer);
  if (it != calcValues_.end()) it->second.clear();
}

void TDataSet::GetCalcFields(TRecordBuffer buffer) {
  if (!buffer || !CalcFieldsPresent()) return;
  TDataSetState saved = SetTempState(dsCalcFields);
  TRecordBuffer savedCalc = calcBuffer_;
  calcBuffer_ = buffer;
  auto restore = MakeScopeExit([&] {
    calcBuffer_ = savedCalc;
    RestoreState(saved);
  });
  CalculateFields(buffer);
}

void TDataSet::CalculateFields(TRecordBuffer buffer) {
  ClearCalcFields(buffer);
  // Records read while a lookup field searches get no lookup values of their own: a lookup into
  // the same dataset (or two datasets looking each other up) would otherwise never end.
  if (LookupNesting() == 0)
    for (TField* field : fields_->List())
      if (field->GetFieldKind() == fkLookup) field->CalcLookupValue();
  DoOnCalcFields();
}

void TDataSet::DoOnCalcFields() {
  if (OnCalcFields) OnCalcFields(this);
}

// ======================= Field values =======================

bool TDataSet::GetFieldData(TField* field, void* buffer, bool nativeFormat) {
  if (IsCalcKind(field->GetFieldKind())) {
    TRecordBuffer record = GetActiveRecordBuffer();
    if (!record) return false;
    const Variant& value = CalcSlot(record, field);
    if (VarIsEmptyOrNull(value)) return false;
    if (buffer) VariantToFieldBuffer(field, value, buffer, nativeFormat);
    return true;
  }
  if (!GetActiveRecordBuffer()) return false;
  if (nativeFormat || !NeedsDataConvert(field->GetDataType()) || !buffer) return GetFieldData(field, buffer);
  std::vector<Byte> native(static_cast<size_t>(std::max(field->GetDataSize(), 8)));
  if (!GetFieldData(field, native.data())) return false;
  DataConvert(field, native.data(), buffer, false);
  return true;
}

void TDataSet::SetFieldData(TField*, const void*) { DatabaseError(SOperationNotSupported, this); }

void TDataSet::SetFieldData(TField* field, const void* buffer, bool nativeFormat) {
  if (!InWriteMode(state_)) DatabaseError(SNotEditing, this);
  bool calc = IsCalcKind(field->GetFieldKind());
  if (state_ == dsCalcFields && !calc) DatabaseError(SNotEditing, this);
  if ((state_ == dsEdit || state_ == dsInsert) && field->GetReadOnly() && field->GetFieldKind() == fkData)
    DatabaseErrorFmt(SFieldReadOnly, {field->GetDisplayName()});
  if (state_ != dsCalcFields && state_ != dsFilter && state_ != dsNewValue && state_ != dsInternalCalc)
    field->Validate(buffer);
  if (calc) {
    TRecordBuffer record = GetActiveRecordBuffer();
    if (!record) DatabaseError(SNotEditing, this);
    CalcSlot(record, field) = buffer ? FieldBufferToVariant(field, buffer, nativeFormat) : Variant();
  } else if (nativeFormat || !NeedsDataConvert(field->GetDataType()) || !buffer) {
    SetFieldData(field, buffer);
  } else {
    std::vector<Byte> native(static_cast<size_t>(std::max(field->GetDataSize(), 8)));
    DataConvert(field, buffer, native.data(), true);
    SetFieldData(field, native.data());
  }
  if (state_ != dsCalcFields && state_ != dsFilter && state_ != dsNewValue && state_ != dsInternalCalc)
    DataEvent(deFieldChange, reinterpret_cast<NativeInt>(field));
}

void TDataSet::DataConvert(TField* field, const void* source, void* dest, bool toNative) {
  switch (field->GetDataType()) {
    case ftDate:
    case ftTime:
    case ftDateTime: {
      if (toNative) {
        TDateTime value = *static_cast<const TDateTime*>(source);
        TTimeStamp stamp = DateTimeToTimeStamp(value);
        if (field->GetDataType() == ftDate)
          *static_cast<Integer*>(dest) = stamp.Date;
        else if (field->GetDataType() == ftTime)
          *static_cast<Integer*>(dest) = stamp.Time;
        else
          *static_cast<double*>(dest) = TimeStampToMSecs(stamp);
      } else {
        TTimeStamp stamp{0, 0};
        if (field->GetDataType() == ftDate) {
          stamp.Date = *static_cast<const Integer*>(source);
        } else if (field->GetDataType() == ftTime) {
          stamp.Date = DateDelta;
          stamp.Time = *static_cast<const Integer*>(source);
        } else {
          stamp = MSecsToTimeStamp(*static_cast<const double*>(source));
        }
        TDateTime value = 0;
        if (stamp.Date > 0) value = TimeStampToDateTime(stamp);
        *static_cast<TDateTime*>(dest) = value;
      }
      break;
    }
    default:
      std::memcpy(dest, source, static_cast<size_t>(field->GetDataSize()));
      break;
  }
}

Variant TDataSet::GetStateFieldValue(TDataSetState state, TField* field) {
  switch (state) {
    case dsOldValue:
    case dsCurValue: {
      if (state_ == dsInsert) return Null();
      int index = fields_->IndexOf(field);
      if (state_ == dsEdit && index >= 0 && index < static_cast<int>(oldValues_.size())) {
        const Variant& v = oldValues_[index];
        return VarIsEmpty(v) ? Null() : v;
      }
      Variant v = field->GetAsVariant();
      return VarIsEmpty(v) ? Null() : v;
    }
    default: {
      Variant v = field->GetAsVariant();
      return VarIsEmpty(v) ? Null() : v;
    }
  }
}

void TDataSet::SetStateFieldValue(TDataSetState, TField* field, const Variant& value) {
  field->SetAsVariant(value);
}

// ======================= Fields by name =======================

TField* TDataSet::FindField(const String& fieldName) const {
  TField* field = fields_->FindField(fieldName);
  if (!field) field = aggFields_->FindField(fieldName);
  return field;
}

TField* TDataSet::FieldByName(const String& fieldName) const {
  TField* field = FindField(fieldName);
  if (!field) DatabaseErrorFmt(SFieldNotFound, {fieldName}, this);
  return field;
}

void TDataSet::GetFieldList(std::vector<TField*>& list, const String& fieldNames) const {
  for (const String& name : SplitFieldNames(fieldNames)) list.push_back(FieldByName(name));
}

std::vector<TField*> TDataSet::GetFieldList(const String& fieldNames) const {
  std::vector<TField*> list;
  GetFieldList(list, fieldNames);
  return list;
}

Variant TDataSet::GetFieldValues(const String& fieldNames) const {
  std::vector<TField*> fields = GetFieldList(fieldNames);
  if (fields.size() == 1 && fieldNames.find(u';') == String::npos) return fields[0]->GetAsVariant();
  std::vector<Variant> values;
  for (TField* field : fields) values.push_back(field->GetAsVariant());
  return VarArrayOf(values);
}

void TDataSet::SetFieldValues(const String& fieldNames, const Variant& value) {
  std::vector<TField*> fields = GetFieldList(fieldNames);
  if (fields.size() == 1 && !VarIsArray(value)) {
    fields[0]->SetAsVariant(value);
    return;
  }
  for (size_t i = 0; i < fields.size(); ++i) fields[i]->SetAsVariant(VarArrayGet(value, static_cast<int>(i)));
}

// ======================= Searching =======================

TRecordBuffer TDataSet::ScratchBuffer() {
  if (!scratchBuffer_) scratchBuffer_ = AllocRecordBuffer();
  return scratchBuffer_;
}

void TDataSet::ReleaseScratchBuffer() {
  if (!scratchBuffer_) return;
  calcValues_.erase(scratchBuffer_);
  FreeRecordBuffer(scratchBuffer_);
  scratchBuffer_ = nullptr;
}

namespace {
// One key value per key field: a single value for one field, an array of as many for several.
void CheckKeyValues(const std::vector<TField*>& fields, const Variant& keyValues, const String& keyFields,
                    const TDataSet* dataSet) {
  if (fields.size() <= 1) return;
  if (!VarIsArray(keyValues) ||
      VarArrayHighBound(keyValues, 1) - VarArrayLowBound(keyValues, 1) + 1 != static_cast<int>(fields.size()))
    DatabaseErrorFmt(SFieldValueError, {keyFields}, dataSet);
}
}  // namespace

bool TDataSet::ScanRecords(const std::vector<TField*>& fields, const Variant& keyValues,
                           TLocateOptions options) {
  // A lookup into this dataset while one of its records is being read (calculated fields) must leave
  // the cursor on that record.
  TBookmark resume;
  TRecordBuffer reading = state_ == dsCalcFields || state_ == dsInternalCalc ? calcBuffer_ : nullptr;
  if (reading && GetBookmarkFlag(reading) == bfCurrent) GetBookmarkData(reading, resume);
  TRecordBuffer buffer = ScratchBuffer();
  // Going back to the record being read moves the cursor, which may raise.
  return TryFinally(
      [&] {
        CursorPosChanged();
        InternalFirst();
        for (;;) {
          if (GetRecord(buffer, gmNext, true) != grOK) return false;
          if (calcFreshBuffer_ != buffer) GetCalcFields(buffer);
          calcFreshBuffer_ = nullptr;
          TDataSetState saved = SetTempState(dsFilter);
          TRecordBuffer savedFilter = filterBuffer_;
          filterBuffer_ = buffer;
          bool match = true;
          {
            auto restore = MakeScopeExit([&] {
              filterBuffer_ = savedFilter;
              RestoreState(saved);
            });
            for (size_t i = 0; i < fields.size() && match; ++i) {
              Variant key = keyValues;
              if (VarIsArray(keyValues))
                key = VarArrayGet(keyValues, VarArrayLowBound(keyValues, 1) + static_cast<int>(i));
              match = KeyMatches(fields[i], key, options);
            }
          }
          if (match) return true;
        }
      },
      [&] {
        if (!resume.empty()) InternalGotoBookmark(resume);
      });
}

bool TDataSet::Locate(const String& keyFields, const Variant& keyValues, TLocateOptions options) {
  CheckBrowseMode();
  std::vector<TField*> fields = GetFieldList(keyFields);
  CheckKeyValues(fields, keyValues, keyFields, this);
  DoBeforeScroll();
  bool found = ScanRecords(fields, keyValues, options);
  if (!found) {
    CursorPosChanged();
    return false;
  }
  Resync(TResyncMode{rmExact, rmCenter});
  DoAfterScroll();
  return true;
}

Variant TDataSet::Lookup(const String& keyFields, const Variant& keyValues, const String& resultFields) {
  CheckBrowseMode();
  std::vector<TField*> fields = GetFieldList(keyFields);
  std::vector<TField*> results = GetFieldList(resultFields);
  CheckKeyValues(fields, keyValues, keyFields, this);
  Variant result = Null();
  bool found = ScanRecords(fields, keyValues, {});
  if (found) {
    TDataSetState saved = SetTempState(dsFilter);
    TRecordBuffer savedFilter = filterBuffer_;
    filterBuffer_ = scratchBuffer_;
    auto restore = MakeScopeExit([&] {
      filterBuffer_ = savedFilter;
      RestoreState(saved);
    });
    if (results.size() == 1 && resultFields.find(u';') == String::npos) {
      result = results[0]->GetAsVariant();
      if (VarIsEmpty(result)) result = Null();
    } else {
      std::vector<Variant> values;
      for (TField* field : results) values.push_back(field->GetAsVariant());
      result = VarArrayOf(values);
    }
  }
  CursorPosChanged();
  return result;
}

// ======================= Filtering =======================

void TDataSet::ActivateFilter() {
  filterExpr_.reset();
  if (!filtered_ || filterText_.empty() || FiltersNatively()) return;
  filterExpr_ = std::make_unique<TFilterExpr>(this, filterText_, filterOptions_);
}

void TDataSet::SetFilterText(const String& value) {
  if (value == filterText_) return;
  if (GetActive() && filtered_ && !value.empty() && !FiltersNatively()) {
    // Parse first: a bad expression leaves the old filter in force.
    auto parsed = std::make_unique<TFilterExpr>(this, value, filterOptions_);
    CheckBrowseMode();
    filterText_ = value;
    filterExpr_ = std::move(parsed);
    First();
    return;
  }
  if (GetActive() && filtered_) CheckBrowseMode();
  filterText_ = value;
  if (GetActive() && filtered_) {
    filterExpr_.reset();
    First();
  }
}

void TDataSet::SetFiltered(bool value) {
  if (value == filtered_) return;
  if (!GetActive()) {
    filtered_ = value;
    return;
  }
  CheckBrowseMode();
  filtered_ = value;
  auto undoFilter = MakeScopeExit([&] { filtered_ = !value; });
  ActivateFilter();
  undoFilter.Release();
  First();
}

void TDataSet::SetFilterOptions(TFilterOptions value) {
  if (value == filterOptions_) return;
  if (!GetActive()) {
    filterOptions_ = value;
    return;
  }
  CheckBrowseMode();
  filterOptions_ = value;
  if (filtered_) {
    ActivateFilter();
    First();
  }
}

void TDataSet::SetOnFilterRecord(const TFilterRecordEvent& value) {
  OnFilterRecord = value;
  if (GetActive() && filtered_) {
    CheckBrowseMode();
    First();
  }
}

bool TDataSet::FilterAccepts(TRecordBuffer buffer) {
  if (!filtered_) return true;
  if (!filterExpr_ && !OnFilterRecord) return true;
  if (CalcFieldsPresent()) {
    GetCalcFields(buffer);
    calcFreshBuffer_ = buffer;
  }
  TDataSetState saved = SetTempState(dsFilter);
  TRecordBuffer savedFilter = filterBuffer_;
  filterBuffer_ = buffer;
  auto restore = MakeScopeExit([&] {
    filterBuffer_ = savedFilter;
    RestoreState(saved);
  });
  bool accept = true;
  if (filterExpr_) accept = filterExpr_->Matches();
  if (accept && OnFilterRecord) OnFilterRecord(this, accept);
  if (!accept) calcFreshBuffer_ = nullptr;
  return accept;
}

// ======================= Provider support =======================

TIndexDefs* TDataSet::PSGetIndexDefs(TIndexOptions options) {
  indexDefs_->Update();
  if (options.Empty()) return indexDefs_.get();
  if (!psIndexDefs_) psIndexDefs_ = std::make_unique<TIndexDefs>(this);
  psIndexDefs_->Clear();
  for (int i = 0; i < indexDefs_->GetCount(); ++i) {
    TIndexDef* def = indexDefs_->GetItem(i);
    if ((def->GetOptions() * options).Empty()) continue;
    psIndexDefs_->AddIndexDef()->Assign(def);
  }
  return psIndexDefs_.get();
}

String TDataSet::PSGetKeyFields() {
  String result;
  for (TField* field : fields_->List()) {
    if (!field->GetProviderFlags().Contains(pfInKey)) continue;
    if (!result.empty()) result += u';';
    result += field->GetFieldName();
  }
  if (!result.empty()) return result;
  indexDefs_->Update();
  for (int i = 0; i < indexDefs_->GetCount(); ++i)
    if (indexDefs_->GetItem(i)->GetOptions().Contains(ixPrimary)) return indexDefs_->GetItem(i)->GetFields();
  return result;
}

// ======================= Events =======================

void TDataSet::DoBeforeOpen() {
  if (BeforeOpen) BeforeOpen(this);
}
void TDataSet::DoAfterOpen() {
  if (AfterOpen) AfterOpen(this);
}
void TDataSet::DoBeforeClose() {
  if (BeforeClose) BeforeClose(this);
}
void TDataSet::DoAfterClose() {
  if (AfterClose) AfterClose(this);
}
void TDataSet::DoBeforeInsert() {
  if (BeforeInsert) BeforeInsert(this);
}
void TDataSet::DoAfterInsert() {
  if (AfterInsert) AfterInsert(this);
}
void TDataSet::DoBeforeEdit() {
  if (BeforeEdit) BeforeEdit(this);
}
void TDataSet::DoAfterEdit() {
  if (AfterEdit) AfterEdit(this);
}
void TDataSet::DoBeforePost() {
  if (BeforePost) BeforePost(this);
}
void TDataSet::DoAfterPost() {
  if (AfterPost) AfterPost(this);
}
void TDataSet::DoBeforeCancel() {
  if (BeforeCancel) BeforeCancel(this);
}
void TDataSet::DoAfterCancel() {
  if (AfterCancel) AfterCancel(this);
}
void TDataSet::DoBeforeDelete() {
  if (BeforeDelete) BeforeDelete(this);
}
void TDataSet::DoAfterDelete() {
  if (AfterDelete) AfterDelete(this);
}
void TDataSet::DoBeforeScroll() {
  if (BeforeScroll) BeforeScroll(this);
}
void TDataSet::DoAfterScroll() {
  if (AfterScroll) AfterScroll(this);
}
void TDataSet::DoBeforeRefresh() {
  if (BeforeRefresh) BeforeRefresh(this);
}
void TDataSet::DoAfterRefresh() {
  if (AfterRefresh) AfterRefresh(this);
}
void TDataSet::DoOnNewRecord() {
  if (OnNewRecord) OnNewRecord(this);
}
