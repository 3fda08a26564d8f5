// A small read-only dataset over rows kept in memory, for the expression tests and benchmarks: columns
// are declared before opening, values are Variants in column order (Null for an empty value).
#pragma once

#include <cstring>
#include <utility>
#include <vector>

#include "platform/data/DataSet.h"
#include "platform/data/FieldBuffer.h"
#include "platform/rtl/Variant.h"

class TTestDataSet : public TDataSet {
  KIV_CLASS(TTestDataSet, TDataSet)
 public:
  explicit TTestDataSet(TComponent* owner) : TDataSet(owner) {}
  ~TTestDataSet() override { Close(); }

  void AddColumn(const String& name, TFieldType type, Integer size = 0) {
    GetFieldDefs()->Add(name, type, size);
  }
  void AddRow(std::vector<Variant> values) { rows_.push_back(std::move(values)); }
  void Reserve(size_t rows) { rows_.reserve(rows); }

  Integer GetRecordCount() const override { return static_cast<Integer>(rows_.size()); }
  Integer GetRecNo() const override {
    TRecordBuffer buffer = GetActiveRecordBuffer();
    return buffer ? Record(buffer).index + 1 : -1;
  }
  bool IsSequenced() const override { return true; }

  bool GetFieldData(TField* field, void* buffer) override {
    TRecordBuffer record = GetActiveRecordBuffer();
    if (!record) return false;
    const Variant& value =
        rows_[static_cast<size_t>(Record(record).index)][static_cast<size_t>(field->GetFieldNo() - 1)];
    if (value.IsNull() || value.IsEmpty()) return false;
    if (buffer) VariantToFieldBuffer(field, value, buffer, true);
    return true;
  }
  using TDataSet::GetFieldData;

 protected:
  struct TRecord {
    Integer index;
    TBookmarkFlag flag;
  };
  static TRecord& Record(TRecordBuffer buffer) { return *reinterpret_cast<TRecord*>(buffer); }

  TRecordBuffer AllocRecordBuffer() override {
    return reinterpret_cast<TRecordBuffer>(new TRecord{-1, bfCurrent});
  }
  void FreeRecordBuffer(TRecordBuffer& buffer) override {
    delete reinterpret_cast<TRecord*>(buffer);
    buffer = nullptr;
  }
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool) override {
    const Integer count = static_cast<Integer>(rows_.size());
    switch (getMode) {
      case gmNext:
        if (cursor_ + 1 >= count) return grEOF;
        ++cursor_;
        break;
      case gmPrior:
        if (cursor_ <= 0) return grBOF;
        --cursor_;
        break;
      case gmCurrent:
        if (cursor_ < 0 || cursor_ >= count) return grError;
        break;
    }
    Record(buffer) = TRecord{cursor_, bfCurrent};
    return grOK;
  }
  void InternalInitRecord(TRecordBuffer) override {}
  void InternalOpen() override {
    cursor_ = -1;
    open_ = true;
  }
  void InternalClose() override { open_ = false; }
  bool IsCursorOpen() const override { return open_; }
  void InternalFirst() override { cursor_ = -1; }
  void InternalLast() override { cursor_ = static_cast<Integer>(rows_.size()); }
  void GetBookmarkData(TRecordBuffer buffer, TBookmark& data) override {
    data.resize(sizeof(Integer));
    std::memcpy(data.data(), &Record(buffer).index, sizeof(Integer));
  }
  void SetBookmarkData(TRecordBuffer buffer, const TBookmark& data) override {
    if (data.size() == sizeof(Integer)) std::memcpy(&Record(buffer).index, data.data(), sizeof(Integer));
  }
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override { return Record(buffer).flag; }
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) override { Record(buffer).flag = value; }
  void InternalGotoBookmark(const TBookmark& bookmark) override {
    if (bookmark.size() == sizeof(Integer)) std::memcpy(&cursor_, bookmark.data(), sizeof(Integer));
  }
  void InternalSetToRecord(TRecordBuffer buffer) override { cursor_ = Record(buffer).index; }
  void InternalInitFieldDefs() override {}
  void InternalDelete() override { rows_.erase(rows_.begin() + cursor_); }

 private:
  std::vector<std::vector<Variant>> rows_;
  Integer cursor_ = -1;
  bool open_ = false;
};
