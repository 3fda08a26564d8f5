// A small array-backed dataset for tests: rows of Variants in memory, stable integer bookmarks,
// generic filtering and blobs. Tests of the framework and of data-aware code build on it.
#pragma once

#include <vector>

#include "platform/data/DataSet.h"

class TTestDataSet : public TDataSet {
  KIV_CLASS(TTestDataSet, TDataSet)
 public:
  explicit TTestDataSet(TComponent* owner);
  ~TTestDataSet() override;

  // Rows in field-definition order; may be called open or closed (an open dataset is refreshed).
  void AddRow(const std::vector<Variant>& values);
  void ClearRows();
  int RowCount() const { return static_cast<int>(rows_.size()); }
  const std::vector<Variant>& Row(int index) const { return rows_[static_cast<size_t>(index)].values; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  // How many times each hook ran, for tests of the protocol.
  int InternalPostCount() const { return postCount_; }

  Integer GetRecordCount() const override;
  Integer GetRecNo() const override;
  void SetRecNo(Integer value) override;
  bool IsSequenced() const override { return !GetFiltered(); }
  bool BookmarkValid(const TBookmark& bookmark) override;
  Integer CompareBookmarks(const TBookmark& a, const TBookmark& b) override;
  bool GetCanModify() const override { return !readOnly_; }
  bool GetFieldData(TField* field, void* buffer) override;
  using TDataSet::GetFieldData;
  void SetFieldData(TField* field, const void* buffer) override;
  using TDataSet::SetFieldData;
  TStream* CreateBlobStream(TField* field, TBlobStreamMode mode) override;

 protected:
  TRecordBuffer AllocRecordBuffer() override;
  void FreeRecordBuffer(TRecordBuffer& buffer) override;
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) override;
  void InternalInitRecord(TRecordBuffer buffer) override;
  void InternalOpen() override;
  void InternalClose() override;
  bool IsCursorOpen() const override { return open_; }
  void InternalFirst() override { cursor_ = -1; }
  void InternalLast() override { cursor_ = static_cast<int>(rows_.size()); }
  void GetBookmarkData(TRecordBuffer buffer, TBookmark& data) override;
  void SetBookmarkData(TRecordBuffer buffer, const TBookmark& data) override;
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) override;
  void InternalGotoBookmark(const TBookmark& bookmark) override;
  void InternalSetToRecord(TRecordBuffer buffer) override;
  void InternalInitFieldDefs() override {}
  void InternalPost() override;
  void InternalDelete() override;

 private:
  struct StoredRow {
    Integer id;
    std::vector<Variant> values;
  };
  struct Record;
  static Record* AsRecord(TRecordBuffer buffer) { return reinterpret_cast<Record*>(buffer); }
  // O(1): the id-to-position table is rebuilt only after rows moved (an insert inside or a delete),
  // so walks, bookmark jumps and comparisons over large test datasets stay linear overall.
  int IndexOfId(Integer id) const;
  void RowsMoved() { positionsValid_ = false; }
  void Fill(TRecordBuffer buffer, int index);
  bool Visible(int index);
  Variant* ValueSlot(TField* field);

  std::vector<StoredRow> rows_;
  Integer nextId_ = 1;
  int cursor_ = -1;
  bool open_ = false;
  bool readOnly_ = false;
  int postCount_ = 0;
  TRecordBuffer scratch_ = nullptr;
  mutable std::vector<int> positionOfId_;
  mutable bool positionsValid_ = true;
};
