// Small helpers of the record-store tests: building stores and recording what listeners hear.
#pragma once

#include <string>
#include <vector>

#include "gridlib/memtable/MemTableIndexesEh.h"
#include "platform/rtl/Utf.h"

inline TMTDataFieldEh* AddField(TMemTableDataEh& store, const String& name, TFieldType type,
                                Integer size = 0) {
  return store.GetDataStruct()->BuildDataFieldForDef(name, type, size, 0);
}

// Appends a record with the given values (browse state, through AddRecord).
inline TMemoryRecordEh* AddRow(TMemTableDataEh& store, std::initializer_list<Variant> values) {
  TRecordsListEh* list = store.GetRecordsList();
  TMemoryRecordEh* rec = list->NewRecord();
  int i = 0;
  for (const Variant& v : values) rec->SetDataValue(i++, dvvValueEh, v);
  list->AddRecord(rec);
  return rec;
}

inline void SetRowValue(TMemoryRecordEh* rec, Integer field, const Variant& value) {
  rec->Edit();
  rec->SetDataValue(field, dvvValueEh, value);
  rec->Post();
}

inline const char* ActionName(TRecordsListNotification action) {
  static const char* names[] = {"adding",  "added",        "changing",    "changed",       "deleting",
                                "deleted", "listChanging", "listChanged", "markingForDel", "markedForDel"};
  return names[action];
}

// A listener that writes "name:action@index" for every event it hears into a shared log.
class TRecordingListener : public TRecordsListNotificatorEh {
 public:
  TRecordingListener(std::vector<std::string>* log, std::string name)
      : TRecordsListNotificatorEh(nullptr), log_(log), name_(std::move(name)) {}
  void DataEvent(TMemoryRecordEh* memRec, Integer index, TRecordsListNotification action) override {
    log_->push_back(name_ + ":" + ActionName(action) + "@" + std::to_string(index));
    TRecordsListNotificatorEh::DataEvent(memRec, index, action);
  }
  void RecordMoved(TMemoryRecordEh* item, Integer oldIndex, Integer newIndex) override {
    log_->push_back(name_ + ":moved " + std::to_string(oldIndex) + "->" + std::to_string(newIndex));
    TRecordsListNotificatorEh::RecordMoved(item, oldIndex, newIndex);
  }

 private:
  std::vector<std::string>* log_;
  std::string name_;
};

inline std::string U8(const String& s) { return StringToUtf8(s); }
