// Record indexes: after every step of random inserts, deletes, changes, moves and cached marks each index
// equals a plain reference (a multimap from key to record); unique keys are refused without a change.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "tests/gridlib/memtable/store/StoreFixture.h"

namespace {

// Records in list order; keys of records marked for deletion are left out.
using Reference = std::multimap<std::vector<std::string>, Integer>;

std::string KeyPart(const Variant& v, bool caseIns) {
  if (v.IsNull()) return std::string("\x01null");
  String text = VarToStr(v);
  if (caseIns) text = AnsiUpperCase(text);
  if (VarIsOrdinal(v)) {
    // Fixed width keeps numeric order inside the string order for the small numbers used.
    char buf[32];
    std::snprintf(buf, sizeof buf, "%08d", v.AsInteger() + 10000000);
    return buf;
  }
  return StringToUtf8(text);
}

std::vector<std::string> KeyOf(const Variant& key, bool caseIns) {
  std::vector<std::string> parts;
  if (key.IsArray()) {
    for (int i = VarArrayLowBound(key, 1); i <= VarArrayHighBound(key, 1); ++i)
      parts.push_back(KeyPart(key.GetElement(i), caseIns));
  } else {
    parts.push_back(KeyPart(key, caseIns));
  }
  return parts;
}

Variant Folded(const Variant& key, bool caseIns) {
  if (!caseIns) return key;
  if (key.IsArray()) {
    std::vector<Variant> parts;
    for (int i = VarArrayLowBound(key, 1); i <= VarArrayHighBound(key, 1); ++i)
      parts.push_back(Folded(key.GetElement(i), true));
    return VarArrayOf(parts);
  }
  return VarIsStr(key) ? Variant(AnsiUpperCase(VarToStr(key))) : key;
}

// The index holds exactly the reference's pairs, in key order.
void ExpectIndexMatches(TMTIndexEh* index, TRecordsListEh* list, bool caseIns, const std::string& step) {
  Reference expected;
  for (Integer i = 0; i < list->GetCount(); ++i) {
    TMemoryRecordEh* rec = list->GetRec(i);
    if (rec->GetUpdateStatus() == usDeleted) continue;
    TIntArray fields = list->GetDataStruct()->FieldsIndex(index->GetFields());
    expected.emplace(KeyOf(rec->GetDataIndexValues(fields, dvvValueEh), caseIns), i);
  }
  ASSERT_EQ(index->GetCount(), static_cast<Integer>(expected.size())) << step;
  Reference actual;
  for (Integer k = 0; k < index->GetCount(); ++k) {
    if (k > 0) {
      ASSERT_NE(VarCompareValuesEh(Folded(index->GetKeyValue(k - 1), caseIns),
                                   Folded(index->GetKeyValue(k), caseIns)),
                vrGreaterThan)
          << step;
    }
    actual.emplace(KeyOf(index->GetKeyValue(k), caseIns), index->GetItem(k)->RecIndex);
  }
  // Compare as sorted sets of pairs: equal keys may come in any record order.
  std::multiset<std::pair<std::vector<std::string>, Integer>> e(expected.begin(), expected.end());
  std::multiset<std::pair<std::vector<std::string>, Integer>> a(actual.begin(), actual.end());
  if (a == e) return;
  std::string diff;
  for (const auto& [key, rec] : a)
    if (!e.count({key, rec})) diff += " extra(" + key.back() + "@" + std::to_string(rec) + ")";
  for (const auto& [key, rec] : e)
    if (!a.count({key, rec})) diff += " missing(" + key.back() + "@" + std::to_string(rec) + ")";
  FAIL() << step << diff;
}

struct IndexCase {
  const char* name;
  const Char* fields;
  bool unique;
  bool caseIns;
};

class IndexRandomTest : public ::testing::TestWithParam<IndexCase> {};

const String kNames[] = {u"Петров", u"петров", u"ИВАНОВ", u"иванов", u"Ёлкин", u"ёлкин", u"Сидоров"};

Variant RandomName(std::mt19937& rng) {
  if (rng() % 8 == 0) return Variant::Null();
  return Variant(kNames[rng() % 7]);
}
Variant RandomNumber(std::mt19937& rng, int range) {
  if (rng() % 10 == 0) return Variant::Null();
  return Variant(static_cast<int>(rng() % range));
}

}  // namespace

TEST_P(IndexRandomTest, EqualsAFullRebuildAfterEveryStep) {
  const IndexCase& c = GetParam();
  TMemTableDataEh store(nullptr);
  AddField(store, u"Num", ftInteger);
  AddField(store, u"Name", ftWideString, 20);
  TRecordsListEh* list = store.GetRecordsList();
  TMTIndexEh* index = list->GetIndexes()->Add();
  index->SetFields(c.fields);
  index->SetCaseInsensitive(c.caseIns);
  index->SetUnical(c.unique);
  index->SetActive(true);
  TMTIndexEh* rebuilt = TMTIndexEh::CreateApart(list);
  std::unique_ptr<TMTIndexEh> rebuiltOwner(rebuilt);
  rebuilt->SetFields(c.fields);
  rebuilt->SetCaseInsensitive(c.caseIns);
  rebuilt->SetActive(true);

  std::mt19937 rng(20240305);
  int range = c.unique ? 40 : 6;
  int refused = 0;
  for (int step = 0; step < 1500; ++step) {
    Integer count = list->GetCount();
    int op = static_cast<int>(rng() % 10);
    std::string what;
    auto guarded = [&](auto action) {
      try {
        action();
      } catch (const EDatabaseError& e) {
        ASSERT_TRUE(c.unique) << U8(e.Message());
        ASSERT_EQ(e.Message().rfind(
                      u"Unique key violation \r\n FieldNames: " + String(c.fields) + u"\r\n Value: \"", 0),
                  0u);
        ++refused;
      }
    };
    if (step == 700) list->SetCachedUpdates(true);
    if (op <= 3 || count < 3) {
      what = "insert";
      TMemoryRecordEh* rec = list->NewRecord();
      rec->SetDataValue(0, dvvValueEh, RandomNumber(rng, range));
      rec->SetDataValue(1, dvvValueEh, RandomName(rng));
      Integer at = static_cast<Integer>(rng() % (count + 1));
      guarded([&] {
        try {
          list->InsertRecord(at, rec);
        } catch (...) {
          delete rec;
          throw;
        }
      });
    } else if (op <= 5) {
      what = "change";
      TMemoryRecordEh* rec = list->GetRec(static_cast<Integer>(rng() % count));
      if (rec->GetUpdateStatus() == usDeleted) continue;
      Variant before = rec->GetDataValue(0, dvvValueEh);
      rec->Edit();
      rec->SetDataValue(0, dvvValueEh, RandomNumber(rng, range));
      rec->SetDataValue(1, dvvValueEh, RandomName(rng));
      guarded([&] {
        try {
          rec->Post();
        } catch (...) {
          rec->Cancel();
          EXPECT_TRUE(VarSameValue(rec->GetDataValue(0, dvvValueEh), before) ||
                      (before.IsNull() && rec->GetDataValue(0, dvvValueEh).IsNull()));
          throw;
        }
      });
    } else if (op == 6) {
      what = "setvalue";
      Integer r = static_cast<Integer>(rng() % count);
      if (list->GetRec(r)->GetUpdateStatus() == usDeleted) continue;
      guarded([&] { list->SetValue(r, 1, RandomName(rng)); });
    } else if (op == 7) {
      what = "delete";
      Integer r = static_cast<Integer>(rng() % count);
      if (list->GetRec(r)->GetUpdateStatus() == usDeleted) continue;
      list->DeleteRecord(r);
    } else if (op == 8) {
      what = "move";
      list->Move(static_cast<Integer>(rng() % count), static_cast<Integer>(rng() % count));
    } else {
      what = list->GetCachedUpdates() && rng() % 2 ? "merge" : "cancel-or-revert";
      if (!list->GetCachedUpdates()) continue;
      // Reverting one record may bring back a key another record took meanwhile: the rebuild refuses it.
      if (what == "merge") {
        guarded([&] { list->MergeChangeLog(); });
      } else if (rng() % 3 == 0) {
        guarded([&] { list->CancelUpdates(); });
      } else {
        Integer r = static_cast<Integer>(rng() % count);
        guarded([&] { list->RevertRecord(r); });
      }
    }
    std::string label = "step " + std::to_string(step) + " " + what;
    ExpectIndexMatches(index, list, c.caseIns, label);
    rebuilt->RebuildIndex();
    ExpectIndexMatches(rebuilt, list, c.caseIns, label + " (rebuilt)");
    if (HasFatalFailure()) return;
  }
  if (c.unique) {
    EXPECT_GT(refused, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, IndexRandomTest,
                         ::testing::Values(IndexCase{"OneFieldNonUnique", u"Num", false, false},
                                           IndexCase{"OneFieldUnique", u"Num", true, false},
                                           IndexCase{"TwoFieldsNonUnique", u"Num;Name", false, false},
                                           IndexCase{"TwoFieldsUnique", u"Name;Num", true, false},
                                           IndexCase{"CyrillicCaseInsensitive", u"Name", false, true},
                                           IndexCase{"CyrillicCaseInsensitiveUnique", u"Name;Num", true,
                                                     true}),
                         [](const ::testing::TestParamInfo<IndexCase>& info) { return info.param.name; });

TEST(MemTableIndexes, UniqueViolationMessageAndStoreUnchanged) {
  TMemTableDataEh store(nullptr);
  AddField(store, u"A", ftInteger);
  AddField(store, u"B", ftWideString, 10);
  TRecordsListEh* list = store.GetRecordsList();
  TMTIndexEh* index = list->GetIndexes()->Add();
  index->SetFields(u"A;B");
  index->SetPrimary(true);
  index->SetActive(true);
  AddRow(store, {1, u"x"});
  AddRow(store, {Variant::Null(), Variant::Null()});
  AddRow(store, {1, u"y"});
  std::vector<std::string> log;
  TRecordingListener listener(&log, "L");
  listener.SetDataObject(&store);
  log.clear();
  TMemoryRecordEh* dup = list->NewRecord();
  dup->SetDataValues(u"A;B", dvvValueEh, VarArrayOf({Variant(1), Variant(u"x")}));
  try {
    list->AddRecord(dup);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Unique key violation \r\n FieldNames: A;B\r\n Value: \"[1, x]\"");
  }
  delete dup;
  EXPECT_EQ(list->GetCount(), 3);
  // The index refuses before any listener hears of the record.
  EXPECT_TRUE(log.empty());
  EXPECT_THROW(list->SetValue(2, 1, u"x"), EDatabaseError);
  EXPECT_EQ(VarToStr(list->GetRec(2)->GetDataValue(1, dvvValueEh)), u"y");
  // Null keys may repeat: the second all-null row is not refused by a single-field index.
  TMTIndexEh* single = list->GetIndexes()->Add();
  single->SetFields(u"B");
  single->SetUnical(true);
  single->SetActive(true);
  AddRow(store, {2, Variant::Null()});
  EXPECT_EQ(single->GetCount(), 4);
  // An index becoming unique over existing duplicates refuses with the first duplicate's key.
  TMTIndexEh* byA = list->GetIndexes()->Add();
  byA->SetFields(u"A");
  byA->SetActive(true);
  try {
    byA->SetUnical(true);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Unique key violation \r\n FieldNames: A\r\n Value: \"1\"");
  }
}

TEST(MemTableIndexes, MatchedListsPositionsAndMarks) {
  TMemTableDataEh store(nullptr);
  AddField(store, u"K", ftInteger);
  TRecordsListEh* list = store.GetRecordsList();
  for (int k : {5, 7, 5, 3, 5}) AddRow(store, {k});
  TMTIndexEh* index = list->GetIndexes()->Add();
  index->SetFields(u"K");
  index->SetActive(true);
  TList recs;
  index->FillMatchedRecsList(Variant(5), &recs);
  ASSERT_EQ(recs.GetCount(), 3);
  std::set<TMemoryRecordEh*> got;
  for (int i = 0; i < 3; ++i) got.insert(static_cast<TMemoryRecordEh*>(recs.Get(i)));
  EXPECT_EQ(got, (std::set<TMemoryRecordEh*>{list->GetRec(0), list->GetRec(2), list->GetRec(4)}));
  TList none;
  index->FillMatchedRecsList(Variant(6), &none);
  EXPECT_EQ(none.GetCount(), 0);
  Integer at = -1;
  EXPECT_FALSE(index->FindKeyValueIndex(Variant(6), at));
  EXPECT_EQ(at, 4);
  EXPECT_THROW(index->FindKeyValueIndex(Variant(u"abc"), at), Exception);

  // Inserting at 0 shifts every other entry up.
  TMemoryRecordEh* first = list->NewRecord();
  first->SetDataValue(0, dvvValueEh, 1);
  list->InsertRecord(0, first);
  Integer recIndex = -1;
  ASSERT_TRUE(index->FindRecordIndexByKey(Variant(7), recIndex));
  EXPECT_EQ(recIndex, 2);

  // A mark for deletion drops the entry without shifting; the delete by merge then shifts.
  list->SetCachedUpdates(true);
  list->DeleteRecord(1);
  EXPECT_EQ(index->GetCount(), 5);
  ASSERT_TRUE(index->FindRecordIndexByKey(Variant(7), recIndex));
  EXPECT_EQ(recIndex, 2);
  list->GetRec(1)->MergeChanges();
  ASSERT_TRUE(index->FindRecordIndexByKey(Variant(7), recIndex));
  EXPECT_EQ(recIndex, 1);
  EXPECT_EQ(list->GetIndexes()->GetIndexForFields(u"k"), index);
}

// With equal keys the entry of the changed or deleted record moves, not another record's.
TEST(MemTableIndexes, NonUniqueChangeAndDeleteActOnTheRecordsOwnEntry) {
  TMemTableDataEh store(nullptr);
  AddField(store, u"K", ftInteger);
  TRecordsListEh* list = store.GetRecordsList();
  TMTIndexEh* index = list->GetIndexes()->Add();
  index->SetFields(u"K");
  index->SetActive(true);
  for (int i = 0; i < 4; ++i) AddRow(store, {1});
  SetRowValue(list->GetRec(0), 0, 2);
  Integer recIndex = -1;
  ASSERT_TRUE(index->FindRecordIndexByKey(Variant(2), recIndex));
  EXPECT_EQ(recIndex, 0);
  list->DeleteRecord(3);
  std::set<Integer> ones;
  for (Integer k = 0; k < index->GetCount(); ++k)
    if (index->GetKeyValue(k).AsInteger() == 1) ones.insert(index->GetItem(k)->RecIndex);
  EXPECT_EQ(ones, (std::set<Integer>{1, 2}));
}
