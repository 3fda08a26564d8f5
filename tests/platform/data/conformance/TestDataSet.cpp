// The array-backed test dataset: each buffer holds a record id, a bookmark flag and the values.
#include "tests/platform/data/conformance/TestDataSet.h"

#include <cstring>

#include "platform/data/FieldBuffer.h"

struct TTestDataSet::Record {
  Integer id = 0;
  TBookmarkFlag flag = bfCurrent;
  std::vector<Variant> values;
};

TTestDataSet::TTestDataSet(TComponent* owner) : TDataSet(owner) {}

TTestDataSet::~TTestDataSet() { Close(); }

void TTestDataSet::AddRow(const std::vector<Variant>& values) {
  rows_.push_back(StoredRow{nextId_++, values});
  if (positionsValid_) {
    positionOfId_.resize(static_cast<size_t>(nextId_), -1);
    positionOfId_[static_cast<size_t>(rows_.back().id)] = static_cast<int>(rows_.size()) - 1;
  }
  if (GetActive()) Refresh();
}

void TTestDataSet::ClearRows() {
  rows_.clear();
  RowsMoved();
  if (GetActive()) First();
}

int TTestDataSet::IndexOfId(Integer id) const {
  if (!positionsValid_) {
    positionOfId_.assign(static_cast<size_t>(nextId_), -1);
    for (size_t i = 0; i < rows_.size(); ++i)
      positionOfId_[static_cast<size_t>(rows_[i].id)] = static_cast<int>(i);
    positionsValid_ = true;
  }
  if (id <= 0 || static_cast<size_t>(id) >= positionOfId_.size()) return -1;
  return positionOfId_[static_cast<size_t>(id)];
}

TRecordBuffer TTestDataSet::AllocRecordBuffer() { return reinterpret_cast<TRecordBuffer>(new Record()); }

void TTestDataSet::FreeRecordBuffer(TRecordBuffer& buffer) {
  delete AsRecord(buffer);
  buffer = nullptr;
}

void TTestDataSet::Fill(TRecordBuffer buffer, int index) {
  Record* record = AsRecord(buffer);
  record->id = rows_[static_cast<size_t>(index)].id;
  record->flag = bfCurrent;
  record->values = rows_[static_cast<size_t>(index)].values;
  record->values.resize(static_cast<size_t>(GetFieldDefs()->GetCount()));
}

bool TTestDataSet::Visible(int index) {
  if (!HasFilter()) return true;
  if (!scratch_) scratch_ = AllocRecordBuffer();
  Fill(scratch_, index);
  return FilterAccepts(scratch_);
}

TGetResult TTestDataSet::GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) {
  int count = static_cast<int>(rows_.size());
  for (;;) {
    switch (getMode) {
      case gmNext:
        if (cursor_ >= count - 1) {
          cursor_ = count;
          return grEOF;
        }
        ++cursor_;
        break;
      case gmPrior:
        if (cursor_ <= 0) {
          cursor_ = -1;
          return grBOF;
        }
        --cursor_;
        break;
      case gmCurrent:
        if (cursor_ < 0) return grBOF;
        if (cursor_ >= count) return grEOF;
        break;
    }
    Fill(buffer, cursor_);
    if (FilterAccepts(buffer)) return grOK;
    if (getMode == gmCurrent) {
      if (doCheck) DatabaseError(SRecordNotFound, this);
      return grError;
    }
  }
}

void TTestDataSet::InternalInitRecord(TRecordBuffer buffer) {
  Record* record = AsRecord(buffer);
  record->id = 0;
  record->values.assign(static_cast<size_t>(GetFieldDefs()->GetCount()), Variant());
}

void TTestDataSet::InternalOpen() {
  cursor_ = -1;
  open_ = true;
}

void TTestDataSet::InternalClose() {
  open_ = false;
  if (scratch_) FreeRecordBuffer(scratch_);
}

void TTestDataSet::GetBookmarkData(TRecordBuffer buffer, TBookmark& data) {
  Integer id = AsRecord(buffer)->id;
  data.resize(sizeof id);
  std::memcpy(data.data(), &id, sizeof id);
}

void TTestDataSet::SetBookmarkData(TRecordBuffer buffer, const TBookmark& data) {
  if (data.size() == sizeof(Integer)) std::memcpy(&AsRecord(buffer)->id, data.data(), sizeof(Integer));
}

TBookmarkFlag TTestDataSet::GetBookmarkFlag(TRecordBuffer buffer) { return AsRecord(buffer)->flag; }

void TTestDataSet::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) {
  AsRecord(buffer)->flag = value;
}

void TTestDataSet::InternalGotoBookmark(const TBookmark& bookmark) {
  Integer id = 0;
  if (bookmark.size() == sizeof id) std::memcpy(&id, bookmark.data(), sizeof id);
  int index = IndexOfId(id);
  if (index < 0) DatabaseError(SRecordNotFound, this);
  cursor_ = index;
}

void TTestDataSet::InternalSetToRecord(TRecordBuffer buffer) {
  int index = IndexOfId(AsRecord(buffer)->id);
  if (index >= 0) cursor_ = index;
}

bool TTestDataSet::BookmarkValid(const TBookmark& bookmark) {
  if (bookmark.size() != sizeof(Integer)) return false;
  Integer id = 0;
  std::memcpy(&id, bookmark.data(), sizeof id);
  return IndexOfId(id) >= 0;
}

Integer TTestDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
  if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
  Integer ia = 0, ib = 0;
  std::memcpy(&ia, a.data(), sizeof ia);
  std::memcpy(&ib, b.data(), sizeof ib);
  int pa = IndexOfId(ia), pb = IndexOfId(ib);
  return pa < pb ? -1 : pa > pb ? 1 : 0;
}

void TTestDataSet::InternalPost() {
  ++postCount_;
  Record* record = AsRecord(ActiveBuffer());
  if (GetState() == dsEdit) {
    int index = IndexOfId(record->id);
    if (index < 0) DatabaseError(SRecordNotFound, this);
    rows_[static_cast<size_t>(index)].values = record->values;
    cursor_ = index;
    return;
  }
  StoredRow row{nextId_++, record->values};
  record->id = row.id;
  int count = static_cast<int>(rows_.size());
  if (record->flag == bfEOF || cursor_ < 0 || cursor_ >= count) {
    rows_.push_back(row);
    cursor_ = count;
  } else {
    rows_.insert(rows_.begin() + cursor_, row);
  }
  RowsMoved();
}

void TTestDataSet::InternalDelete() {
  int count = static_cast<int>(rows_.size());
  if (cursor_ < 0 || cursor_ >= count) DatabaseError(SRecordNotFound, this);
  rows_.erase(rows_.begin() + cursor_);
  RowsMoved();
}

Integer TTestDataSet::GetRecordCount() const {
  if (!GetActive()) return 0;
  auto* self = const_cast<TTestDataSet*>(this);
  if (!self->HasFilter()) return static_cast<Integer>(rows_.size());
  Integer count = 0;
  for (int i = 0; i < static_cast<int>(rows_.size()); ++i)
    if (self->Visible(i)) ++count;
  return count;
}

Integer TTestDataSet::GetRecNo() const {
  if (!GetActive() || GetState() == dsInsert || IsEmpty()) return -1;
  auto* self = const_cast<TTestDataSet*>(this);
  int index = IndexOfId(AsRecord(ActiveBuffer())->id);
  if (index < 0) return -1;
  Integer recNo = 0;
  for (int i = 0; i <= index; ++i)
    if (self->Visible(i)) ++recNo;
  return recNo;
}

void TTestDataSet::SetRecNo(Integer value) {
  CheckBrowseMode();
  if (value == GetRecNo()) return;
  Integer seen = 0;
  for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
    if (!Visible(i) || ++seen != value) continue;
    DoBeforeScroll();
    cursor_ = i;
    CursorPosChanged();
    Resync(TResyncMode{rmCenter});
    DoAfterScroll();
    return;
  }
}

Variant* TTestDataSet::ValueSlot(TField* field) {
  TRecordBuffer buffer = GetActiveRecordBuffer();
  if (!buffer) return nullptr;
  Record* record = AsRecord(buffer);
  size_t index = static_cast<size_t>(field->GetFieldNo() - 1);
  if (field->GetFieldNo() <= 0) return nullptr;
  if (record->values.size() <= index) record->values.resize(index + 1);
  return &record->values[index];
}

bool TTestDataSet::GetFieldData(TField* field, void* buffer) {
  Variant* slot = ValueSlot(field);
  if (!slot || VarIsEmptyOrNull(*slot)) return false;
  if (buffer) VariantToFieldBuffer(field, *slot, buffer, true);
  return true;
}

void TTestDataSet::SetFieldData(TField* field, const void* buffer) {
  Variant* slot = ValueSlot(field);
  if (!slot) DatabaseError(SNotEditing, this);
  *slot = buffer ? FieldBufferToVariant(field, buffer, true) : Variant();
}

TStream* TTestDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  Variant* slot = ValueSlot(field);
  TBytes bytes;
  if (slot && !VarIsEmptyOrNull(*slot)) bytes = VarToBytes(*slot);
  TRecordBuffer buffer = GetActiveRecordBuffer();
  Integer fieldNo = field->GetFieldNo();
  return new TFieldBlobStream(field, mode, bytes, [buffer, fieldNo](const TBytes& stored) {
    Record* record = AsRecord(buffer);
    size_t index = static_cast<size_t>(fieldNo - 1);
    if (record->values.size() <= index) record->values.resize(index + 1);
    record->values[index] = stored.empty() ? Variant() : VarArrayOfBytes(stored);
  });
}
