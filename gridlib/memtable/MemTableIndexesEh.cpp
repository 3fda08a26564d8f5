// Record indexes: sorted key entries with bisection, maintained from the records list's notifications;
// among equal keys an entry is always chosen by its record, never by the first equal key met.
#include "gridlib/memtable/MemTableIndexesEh.h"

#include "platform/data/DataSet.h"
#include "platform/rtl/QuickSort.h"
#include "platform/rtl/Strings.h"

namespace {

Variant UpperText(const Variant& v) {
  if (v.IsArray()) {
    std::vector<Variant> items;
    for (int i = VarArrayLowBound(v, 1); i <= VarArrayHighBound(v, 1); ++i)
      items.push_back(UpperText(v.GetElement(i)));
    return VarArrayOf(items);
  }
  if (VarIsStr(v)) return Variant(AnsiUpperCase(VarToStr(v)));
  return v;
}

}  // namespace

// ---- TMTIndexEh ----

TMTIndexEh::TMTIndexEh(TCollection* collection) : TCollectionItem(collection), recList_(false) {}

TMTIndexEh* TMTIndexEh::CreateApart(TRecordsListEh* recordsList) {
  auto* index = new TMTIndexEh(nullptr);
  index->recordsList_ = recordsList;
  return index;
}

TMTIndexEh::~TMTIndexEh() { ClearIndex(); }

TRecordsListEh* TMTIndexEh::GetRecordsList() const {
  if (recordsList_) return recordsList_;
  auto* indexes = dynamic_cast<TMTIndexesEh*>(GetCollection());
  return indexes ? indexes->GetRecList() : nullptr;
}

void TMTIndexEh::SetActive(bool value) {
  if (active_ == value) return;
  active_ = value;
  if (value)
    RebuildIndex();
  else
    ClearIndex();
}

void TMTIndexEh::SetFields(const String& value) {
  if (fields_ == value) return;
  fields_ = value;
  RebuildIndex();
}

void TMTIndexEh::SetPrimary(bool value) {
  if (primary_ == value) return;
  primary_ = value;
  RebuildIndex();
}

void TMTIndexEh::SetUnical(bool value) {
  if (unical_ == value) return;
  unical_ = value;
  RebuildIndex();
}

void TMTIndexEh::SetCaseInsensitive(bool value) {
  if (caseInsensitive_ == value) return;
  caseInsensitive_ = value;
  RebuildIndex();
}

TVariantRelationship TMTIndexEh::CompareKeys(const Variant& a, const Variant& b) const {
  if (!caseInsensitive_) return VarCompareValuesEh(a, b);
  return VarCompareValuesEh(UpperText(a), UpperText(b));
}

TIntArray TMTIndexEh::FieldIndexes() const {
  TRecordsListEh* list = GetRecordsList();
  TMTDataStructEh* ds = list ? list->GetDataStruct() : nullptr;
  return ds ? ds->FieldsIndex(fields_) : TIntArray();
}

Variant TMTIndexEh::KeyOf(TMemoryRecordEh* rec, TDataValueVersionEh version) const {
  return rec->GetDataIndexValues(FieldIndexes(), version);
}

void TMTIndexEh::ClearIndex() {
  for (Integer i = 0; i < recList_.GetCount(); ++i) delete GetItem(i);
  recList_.Clear();
}

void TMTIndexEh::RebuildIndex() {
  ClearIndex();
  if (!InUse()) return;
  TRecordsListEh* list = GetRecordsList();
  if (!list) return;
  TIntArray fields = FieldIndexes();
  for (Integer i = 0; i < list->GetCount(); ++i) {
    TMemoryRecordEh* rec = list->GetRec(i);
    // Records marked for deletion have no entry: the notifications take theirs away too.
    if (!rec || rec->GetUpdateStatus() == usDeleted) continue;
    recList_.Add(new TIndexItemEh(rec->GetDataIndexValues(fields, dvvValueEh), i));
  }
  if (recList_.GetCount() > 0) QuickSort(0, recList_.GetCount() - 1);
  if (unical_ || primary_) CheckUnical();
}

void TMTIndexEh::QuickSort(Integer l, Integer r) {
  QuickSortRange(
      l, r,
      [&](Integer a, Integer b) {
        const TVariantRelationship order = CompareKeys(GetItem(a)->Value, GetItem(b)->Value);
        return order == vrLessThan ? -1 : order == vrGreaterThan ? 1 : 0;
      },
      [&](Integer a, Integer b) { recList_.Exchange(a, b); });
}

void TMTIndexEh::RaiseUniqueViolation(const Variant& key) const {
  throw EDatabaseError(u"Unique key violation \r\n FieldNames: " + fields_ + u"\r\n" + u" Value: \"" +
                       VarArrayToStrEh(key) + u"\"");
}

void TMTIndexEh::CheckUnical() {
  for (Integer i = 1; i < recList_.GetCount(); ++i) {
    const Variant& prev = GetItem(i - 1)->Value;
    if (!prev.IsNull() && CompareKeys(prev, GetItem(i)->Value) == vrEqual) RaiseUniqueViolation(prev);
  }
}

bool TMTIndexEh::FindKeyValueIndex(const Variant& value, Integer& index) const {
  Integer lo = 0;
  Integer hi = recList_.GetCount() - 1;
  bool found = false;
  while (lo <= hi) {
    Integer mid = (lo + hi) / 2;
    TVariantRelationship rel = CompareKeys(GetItem(mid)->Value, value);
    if (rel == vrNotEqual) throw Exception(u"TMTIndexEh.FindKeyValueIndex: values is not comparable.");
    if (rel == vrLessThan) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (rel == vrEqual) {
        lo = mid;
        found = true;
      }
    }
  }
  index = lo;
  return found;
}

bool TMTIndexEh::FindRecordIndexByKey(const Variant& value, Integer& index) const {
  Integer entry = 0;
  if (!FindKeyValueIndex(value, entry)) return false;
  index = GetItem(entry)->RecIndex;
  return true;
}

void TMTIndexEh::FillMatchedKeyList(const Variant& value, TList* list) const {
  Integer i = 0;
  if (!FindKeyValueIndex(value, i)) return;
  for (Integer k = i - 1; k >= 0 && CompareKeys(GetItem(k)->Value, value) == vrEqual; --k)
    list->Add(GetItem(k));
  for (Integer k = i; k < recList_.GetCount() && CompareKeys(GetItem(k)->Value, value) == vrEqual; ++k)
    list->Add(GetItem(k));
}

void TMTIndexEh::FillMatchedRecsList(const Variant& value, TList* list) const {
  TList entries;
  FillMatchedKeyList(value, &entries);
  TRecordsListEh* records = GetRecordsList();
  for (int i = 0; i < entries.GetCount(); ++i)
    list->Add(records->GetRec(static_cast<TIndexItemEh*>(entries.Get(i))->RecIndex));
}

Integer TMTIndexEh::FindEntryOfRecord(const Variant& key, Integer recIndex) const {
  try {
    Integer i = 0;
    if (FindKeyValueIndex(key, i)) {
      for (Integer k = i; k >= 0 && CompareKeys(GetItem(k)->Value, key) == vrEqual; --k)
        if (GetItem(k)->RecIndex == recIndex) return k;
      for (Integer k = i + 1; k < recList_.GetCount() && CompareKeys(GetItem(k)->Value, key) == vrEqual; ++k)
        if (GetItem(k)->RecIndex == recIndex) return k;
    }
  } catch (const Exception&) {
    // A key that no longer compares with the entries: the scan below still finds the record.
  }
  // The key known for the record may be stale (a refresh posts without a changing notification).
  for (Integer k = 0; k < recList_.GetCount(); ++k)
    if (GetItem(k)->RecIndex == recIndex) return k;
  return -1;
}

void TMTIndexEh::ShiftRecIndexes(Integer fromRecIndex, Integer delta) {
  for (Integer k = 0; k < recList_.GetCount(); ++k)
    if (GetItem(k)->RecIndex >= fromRecIndex) GetItem(k)->RecIndex += delta;
}

void TMTIndexEh::InsertItem(Integer index, const Variant&, TIndexItemEh* item) {
  if (index >= recList_.GetCount())
    recList_.Add(item);
  else
    recList_.Insert(index, item);
}

void TMTIndexEh::RecordsListNotify(TMemoryRecordEh* rec, Integer index, TRecordsListNotification action) {
  if (!InUse()) return;
  switch (action) {
    case rlnRecAddingEh: {
      if (!unical_ && !primary_) return;
      Variant key = KeyOf(rec, dvvValueEh);
      Integer p = 0;
      if (!key.IsNull() && FindKeyValueIndex(key, p)) RaiseUniqueViolation(key);
      return;
    }
    case rlnRecAddedEh: {
      Variant key = KeyOf(rec, dvvValueEh);
      Integer p = 0;
      FindKeyValueIndex(key, p);
      // Records marked for deletion have no entry, so the entry count says nothing about positions.
      ShiftRecIndexes(index, 1);
      InsertItem(p, key, new TIndexItemEh(key, index));
      return;
    }
    case rlnRecChangingEh: {
      oldValue_ = KeyOf(rec, dvvCurValueEh);
      if (!unical_ && !primary_) return;
      Variant key = KeyOf(rec, dvvValueEh);
      Integer p = 0;
      if (!key.IsNull() && CompareKeys(key, oldValue_) != vrEqual && FindKeyValueIndex(key, p))
        RaiseUniqueViolation(key);
      return;
    }
    case rlnRecChangedEh: {
      Integer old = FindEntryOfRecord(oldValue_, index);
      TIndexItemEh* item = nullptr;
      if (old >= 0) {
        item = GetItem(old);
        recList_.Delete(old);
      }
      if (rec->GetUpdateStatus() == usDeleted) {
        delete item;
        return;
      }
      Variant key = KeyOf(rec, dvvValueEh);
      if (!item) item = new TIndexItemEh(key, index);
      item->Value = key;
      Integer p = 0;
      FindKeyValueIndex(key, p);
      InsertItem(p, key, item);
      return;
    }
    case rlnRecDeletedEh:
    case rlnRecMarkedForDelEh: {
      Integer e = FindEntryOfRecord(KeyOf(rec, dvvValueEh), index);
      if (e >= 0) {
        delete GetItem(e);
        recList_.Delete(e);
      }
      if (action == rlnRecDeletedEh) ShiftRecIndexes(index, -1);
      return;
    }
    case rlnListChangedEh:
      RebuildIndex();
      return;
    default:
      return;
  }
}

void TMTIndexEh::RecordMoved(TMemoryRecordEh*, Integer oldIndex, Integer newIndex) {
  if (!InUse()) return;
  for (Integer k = 0; k < recList_.GetCount(); ++k) {
    TIndexItemEh* item = GetItem(k);
    if (item->RecIndex == oldIndex)
      item->RecIndex = newIndex;
    else if (newIndex < oldIndex && item->RecIndex >= newIndex && item->RecIndex < oldIndex)
      ++item->RecIndex;
    else if (newIndex > oldIndex && item->RecIndex > oldIndex && item->RecIndex <= newIndex)
      --item->RecIndex;
  }
}

// ---- TMTIndexesEh ----

TMTIndexesEh::TMTIndexesEh(TRecordsListEh* recList)
    : TCollection(TMTIndexEh::StaticClass()), recList_(recList) {}

TMTIndexEh* TMTIndexesEh::GetIndexForFields(const String& fields) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (CompareText(GetItem(i)->GetFields(), fields) == 0) return GetItem(i);
  return nullptr;
}

void TMTIndexesEh::UpdateIndexes() {
  for (Integer i = 0; i < GetCount(); ++i) GetItem(i)->RecordsListNotify(nullptr, -1, rlnListChangedEh);
}

void TMTIndexesEh::RecordsListNotify(TMemoryRecordEh* rec, Integer index, TRecordsListNotification action) {
  for (Integer i = 0; i < GetCount(); ++i) GetItem(i)->RecordsListNotify(rec, index, action);
}

void TMTIndexesEh::RecordMoved(TMemoryRecordEh* item, Integer oldIndex, Integer newIndex) {
  for (Integer i = 0; i < GetCount(); ++i) GetItem(i)->RecordMoved(item, oldIndex, newIndex);
}
