// Records and the records list: value versions, edit and post, cached updates and the change log,
// notifications in their order, moving, sorting and immediate applies through listeners.
#include <gtest/gtest.h>

#include "tests/gridlib/memtable/store/StoreFixture.h"

namespace {

class RecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AddField(store, u"Id", ftInteger);
    AddField(store, u"Name", ftWideString, 20);
    list = store.GetRecordsList();
  }
  TMemTableDataEh store{nullptr};
  TRecordsListEh* list = nullptr;
};

String Text(const Variant& v) { return VarToStr(v); }

}  // namespace

TEST_F(RecordsTest, ValueVersionsFollowEditAndCachedUpdates) {
  TMemoryRecordEh* rec = AddRow(store, {1, u"a"});
  list->SetCachedUpdates(true);

  // Browse, unmodified: no old or edit values.
  EXPECT_THROW(rec->GetDataValue(1, dvvOldValueEh), Exception);
  EXPECT_THROW(rec->GetDataValue(1, dvvEditValueEh), Exception);
  EXPECT_EQ(Text(rec->GetDataValue(1, dvvCurValueEh)), u"a");

  // Editing, unmodified.
  rec->Edit();
  rec->SetDataValue(1, dvvValueEh, u"b");
  EXPECT_EQ(Text(rec->GetDataValue(1, dvvCurValueEh)), u"a");
  EXPECT_EQ(Text(rec->GetDataValue(1, dvvEditValueEh)), u"b");
  EXPECT_EQ(Text(rec->GetDataValue(1, dvvOldestValue)), u"a");
  EXPECT_EQ(Text(rec->GetDataValue(1, dvvRefreshValue)), u"b");
  rec->Post();

  // Browse, pending.
  EXPECT_EQ(rec->GetUpdateStatus(), usModified);
  EXPECT_EQ(Text(rec->GetDataValue(1, dvvOldValueEh)), u"a");
  EXPECT_EQ(Text(rec->GetDataValue(1, dvvRefreshValue)), u"a");

  // A second edit keeps the values from before the first as old values.
  rec->Edit();
  rec->SetDataValue(1, dvvValueEh, u"c");
  EXPECT_EQ(Text(rec->GetDataValue(1, dvvCurValueEh)), u"b");
  EXPECT_EQ(Text(rec->GetDataValue(1, dvvOldestValue)), u"a");
  rec->Post();
  EXPECT_EQ(Text(rec->GetDataValue(1, dvvOldValueEh)), u"a");
  EXPECT_EQ(Text(rec->GetDataValue(1, dvvValueEh)), u"c");
  EXPECT_EQ(list->GetDeltaList()->GetCount(), 1);
  EXPECT_EQ(rec->GetUpdateIndex(), 0);
}

TEST_F(RecordsTest, CancelRestoresAndBrowseStateRefusesPostAndCancel) {
  TMemoryRecordEh* rec = AddRow(store, {1, u"a"});
  rec->Edit();
  rec->SetDataValue(1, dvvValueEh, u"x");
  rec->Cancel();
  EXPECT_EQ(Text(rec->GetDataValue(1, dvvValueEh)), u"a");
  EXPECT_EQ(rec->GetEditState(), resBrowseEh);
  try {
    rec->Post();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Dataset not in edit or insert mode");
  }
  EXPECT_THROW(rec->Cancel(), EDatabaseError);
}

TEST_F(RecordsTest, ValueAccessErrorsChangeNothing) {
  TMemoryRecordEh* rec = AddRow(store, {1, u"a"});
  try {
    rec->SetDataValue(0, dvvOldValueEh, 5);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"TMemoryRecordEh.GetDataValues: Old values is not accessible.");
  }
  try {
    rec->GetDataValue(2, dvvValueEh);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), u"List index out of bounds (2)");
  }
  try {
    rec->GetDataValues(u"Nope", dvvValueEh);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Field 'Nope' not found");
  }
  // A value the field cannot take leaves the slot as it was.
  EXPECT_THROW(rec->SetDataValue(0, dvvValueEh, u"not a number"), Exception);
  EXPECT_EQ(rec->GetDataValue(0, dvvValueEh).AsInteger(), 1);
  // Unassigned stays unassigned, null stays null; other values take the field's type.
  rec->SetDataValue(0, dvvValueEh, Variant());
  EXPECT_TRUE(rec->GetDataValue(0, dvvValueEh).IsEmpty());
  rec->SetDataValue(0, dvvValueEh, Variant::Null());
  EXPECT_TRUE(rec->GetDataValue(0, dvvValueEh).IsNull());
  rec->SetDataValue(0, dvvValueEh, u"42");
  EXPECT_EQ(rec->GetDataValue(0, dvvValueEh).Type(), varInteger);
}

TEST_F(RecordsTest, SeveralFieldsComeAsArraysInTheAskedOrder) {
  TMemoryRecordEh* rec = AddRow(store, {7, u"seven"});
  Variant both = rec->GetDataValues(u"Name;Id", dvvValueEh);
  EXPECT_EQ(Text(both.GetElement(0)), u"seven");
  EXPECT_EQ(both.GetElement(1).AsInteger(), 7);
  Variant byIndex = rec->GetDataIndexValues({1, 0}, dvvValueEh);
  EXPECT_EQ(Text(byIndex.GetElement(0)), u"seven");
  EXPECT_EQ(Text(rec->GetDataIndexValues({}, dvvValueEh)), u"");
  rec->SetDataIndexValues({1, 0}, dvvValueEh, VarArrayOf({Variant(u"eight"), Variant(8)}));
  EXPECT_EQ(rec->GetDataValue(0, dvvValueEh).AsInteger(), 8);
}

TEST_F(RecordsTest, NotificationsReachIndexesThenStoreThenListenersInRegistrationOrder) {
  AddField(store, u"Calc", ftInteger)->SetCalculated(true);
  std::vector<std::string> log;
  TRecordingListener first(&log, "A"), second(&log, "B");
  first.SetDataObject(&store);
  second.SetDataObject(&store);
  TMTIndexEh* index = list->GetIndexes()->Add();
  index->SetFields(u"Id");
  index->SetActive(true);
  store.SetOnFieldCalculation([](TMemoryRecordEh* rec, TVariantArrayEh& values) {
    values[2] = rec->GetDataValue(0, dvvValueEh) * Variant(10);
  });
  // When the first listener hears "added", the index and the calculated field are already current.
  bool checked = false;
  first.OnDataEvent = [&](TMemoryRecordEh* rec, Integer, TRecordsListNotification action) {
    if (action != rlnRecAddedEh) return;
    Integer recIndex = -1;
    EXPECT_TRUE(index->FindRecordIndexByKey(Variant(3), recIndex));
    EXPECT_EQ(rec->GetDataValue(2, dvvValueEh).AsInteger(), 30);
    checked = true;
  };
  log.clear();
  TMemoryRecordEh* rec = AddRow(store, {3, u"c"});
  EXPECT_TRUE(checked);
  SetRowValue(rec, 1, u"d");
  list->DeleteRecord(0);
  EXPECT_EQ(log, (std::vector<std::string>{"A:adding@0", "B:adding@0", "A:added@0", "B:added@0",
                                           "A:changing@0", "B:changing@0", "A:changed@0", "B:changed@0",
                                           "A:deleting@0", "B:deleting@0", "A:deleted@0", "B:deleted@0"}));
  // A listener that leaves hears nothing more; one whose store goes away is detached.
  first.SetDataObject(nullptr);
  log.clear();
  AddRow(store, {4, u"x"});
  EXPECT_EQ(log, (std::vector<std::string>{"B:adding@0", "B:added@0"}));
}

TEST_F(RecordsTest, ListenerIsDetachedWhenTheStoreIsDestroyed) {
  std::vector<std::string> log;
  TRecordingListener listener(&log, "L");
  {
    TMemTableDataEh temp(nullptr);
    listener.SetDataObject(&temp);
    EXPECT_EQ(listener.GetDataObject(), &temp);
  }
  EXPECT_EQ(listener.GetDataObject(), nullptr);
  EXPECT_EQ(log.back(), "L:listChanged@-1");
}

TEST_F(RecordsTest, CachedInsertThenDeleteLeavesAnEmptySlotThatMergeClears) {
  list->SetCachedUpdates(true);
  AddRow(store, {1, u"a"});
  EXPECT_EQ(list->GetRec(0)->GetUpdateStatus(), usInserted);
  list->DeleteRecord(0);
  EXPECT_EQ(list->GetCount(), 0);
  EXPECT_TRUE(list->HasCachedChanges());
  EXPECT_EQ(list->GetDeltaList()->Get(0), nullptr);
  list->MergeChangeLog();
  EXPECT_FALSE(list->HasCachedChanges());
}

// A cached delete of a changed record keeps the values from before the change: cancelling gives them back
// and the change log shows them as the deleted row's old values.
TEST_F(RecordsTest, CachedDeleteOfModifiedRecordKeepsOriginalValues) {
  AddRow(store, {1, u"orig"});
  list->SetCachedUpdates(true);
  TMemoryRecordEh* rec = list->GetRec(0);
  SetRowValue(rec, 1, u"changed");
  list->DeleteRecord(0);
  EXPECT_EQ(rec->GetUpdateStatus(), usDeleted);
  EXPECT_EQ(list->GetCount(), 1);
  EXPECT_EQ(Text(rec->GetDataValue(1, dvvOldValueEh)), u"orig");
  EXPECT_EQ(Text(rec->GetDataValue(1, dvvOldestValue)), u"orig");
  EXPECT_EQ(list->GetDeltaList()->GetCount(), 1);
  EXPECT_THROW(list->DeleteRecord(0), Exception);

  list->CancelUpdates();
  EXPECT_EQ(rec->GetUpdateStatus(), usUnmodified);
  EXPECT_EQ(Text(rec->GetDataValue(1, dvvValueEh)), u"orig");
  EXPECT_EQ(rec->GetUpdateIndex(), -1);
  EXPECT_FALSE(list->HasCachedChanges());

  SetRowValue(rec, 1, u"again");
  list->DeleteRecord(0);
  list->RevertRecord(0);
  EXPECT_EQ(Text(rec->GetDataValue(1, dvvValueEh)), u"orig");
}

TEST_F(RecordsTest, ImmediateAppliesHandTheDriverAShadowOfEachChange) {
  AddRow(store, {1, u"orig"});
  TRecordsListNotificatorEh driver(nullptr);
  driver.SetDataObject(&store);
  std::vector<std::pair<TUpdateStatus, String>> seen;
  driver.OnApplyUpdates = [&](TMemTableDataEh* shadow) {
    TMemoryRecordEh* r = shadow->GetRecordsList()->GetRec(0);
    seen.emplace_back(r->GetUpdateStatus(), VarToStr(r->GetDataValue(1, dvvOldestValue)));
    // A server-assigned value comes back into the record.
    if (r->GetUpdateStatus() == usInserted) r->SetDataValue(0, dvvValueEh, 100);
  };
  SetRowValue(list->GetRec(0), 1, u"new");
  AddRow(store, {0, u"ins"});
  EXPECT_EQ(list->GetRec(1)->GetDataValue(0, dvvValueEh).AsInteger(), 100);
  list->DeleteRecord(0);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], std::make_pair(usModified, String(u"orig")));
  EXPECT_EQ(seen[1].first, usInserted);
  EXPECT_EQ(seen[2], std::make_pair(usDeleted, String(u"new")));
  // An error of the driver refuses the insert: nothing is added.
  driver.OnApplyUpdates = [](TMemTableDataEh*) { throw EDatabaseError(u"server says no"); };
  TMemoryRecordEh* rec = list->NewRecord();
  EXPECT_THROW(list->AddRecord(rec), EDatabaseError);
  EXPECT_EQ(list->GetCount(), 1);
  EXPECT_FALSE(rec->GetAttached());
  delete rec;
}

TEST_F(RecordsTest, MergeOfThreeDeletesShrinksOnceWithOneListChanged) {
  for (int i = 0; i < 6; ++i) AddRow(store, {i, u"r"});
  list->SetCachedUpdates(true);
  list->DeleteRecord(1);
  list->DeleteRecord(3);
  list->DeleteRecord(5);
  std::vector<std::string> log;
  TRecordingListener listener(&log, "L");
  listener.SetDataObject(&store);
  log.clear();
  list->MergeChangeLog();
  EXPECT_EQ(log, (std::vector<std::string>{"L:listChanged@-1"}));
  ASSERT_EQ(list->GetCount(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(list->GetRec(i)->GetIndex(), i);
    EXPECT_EQ(list->GetRec(i)->GetDataValue(0, dvvValueEh).AsInteger(), i * 2);
  }
  EXPECT_EQ(list->GetDeltaList()->GetCount(), 0);
}

TEST_F(RecordsTest, CleanupRenumbersTheLogSoAMergeEmptiesOnlyItsOwnSlot) {
  for (int i = 0; i < 3; ++i) AddRow(store, {i, u"r"});
  list->SetCachedUpdates(true);
  for (int i = 0; i < 3; ++i) SetRowValue(list->GetRec(i), 1, u"m");
  list->GetRec(0)->MergeChanges();
  list->CleanupChangedRecs();
  ASSERT_EQ(list->GetDeltaList()->GetCount(), 2);
  EXPECT_EQ(list->GetRec(2)->GetUpdateIndex(), 1);
  list->GetRec(2)->MergeChanges();
  EXPECT_EQ(list->GetDeltaList()->Get(0), list->GetRec(1));
  EXPECT_EQ(list->GetDeltaList()->Get(1), nullptr);
}

TEST_F(RecordsTest, FetchUnderCachedUpdatesIsUnmodifiedAndTakesNoCounter) {
  store.GetDataStruct()->GetDataField(0)->SetAutoIncrement(true);
  list->SetCachedUpdates(true);
  TMemoryRecordEh* rec = list->NewRecord();
  list->FetchRecord(rec);
  EXPECT_EQ(rec->GetUpdateStatus(), usUnmodified);
  EXPECT_FALSE(list->HasCachedChanges());
  EXPECT_TRUE(rec->GetDataValue(0, dvvValueEh).IsNull());
  EXPECT_TRUE(list->GetCachedUpdates());
  AddRow(store, {Variant::Null(), u"x"});
  AddRow(store, {Variant::Null(), u"y"});
  EXPECT_EQ(list->GetRec(1)->GetDataValue(0, dvvValueEh).AsInteger(), -1);
  EXPECT_EQ(list->GetRec(2)->GetDataValue(0, dvvValueEh).AsInteger(), -2);
}

TEST_F(RecordsTest, AttachingChecksListAndState) {
  TMemTableDataEh other(nullptr);
  AddField(other, u"Id", ftInteger);
  TMemoryRecordEh* foreign = other.GetRecordsList()->NewRecord();
  try {
    list->AddRecord(foreign);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Record.RecordsList is not the same.");
  }
  delete foreign;
  TMemoryRecordEh* rec = AddRow(store, {1, u"a"});
  try {
    list->AddRecord(rec);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"The record is already attached to RecordsList.");
  }
  TComponent notAStore(nullptr);
  EXPECT_THROW(TRecordsListEh bad(&notAStore), Exception);
}

TEST_F(RecordsTest, MoveRenumbersAndSendsOneMovedNotification) {
  for (int i = 0; i < 7; ++i) AddRow(store, {i, u"r"});
  std::vector<std::string> log;
  TRecordingListener listener(&log, "L");
  listener.SetDataObject(&store);
  log.clear();
  list->Move(2, 5);
  EXPECT_EQ(log, (std::vector<std::string>{"L:moved 2->5"}));
  for (int i = 0; i < 7; ++i) EXPECT_EQ(list->GetRec(i)->GetIndex(), i);
  EXPECT_EQ(list->GetRec(5)->GetDataValue(0, dvvValueEh).AsInteger(), 2);
}

TEST_F(RecordsTest, RangesDeleteRenumbersAndCachedModeRefusesIt) {
  for (int i = 0; i < 7; ++i) AddRow(store, {i, u"r"});
  list->PersistDeleteRecords({{1, 2}, {5, 5}});
  ASSERT_EQ(list->GetCount(), 4);
  std::vector<int> ids;
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(list->GetRec(i)->GetIndex(), i);
    ids.push_back(list->GetRec(i)->GetDataValue(0, dvvValueEh).AsInteger());
  }
  EXPECT_EQ(ids, (std::vector<int>{0, 3, 4, 6}));
  EXPECT_THROW(list->PersistDeleteRecords({{2, 9}}), EListError);
  EXPECT_EQ(list->GetCount(), 4);
  list->SetCachedUpdates(true);
  EXPECT_THROW(list->DeleteRecords({{0, 0}}), Exception);
}

TEST_F(RecordsTest, SortOrdersRecordsAndRenumbers) {
  for (int v : {5, 1, 4, 2, 3}) AddRow(store, {v, u"r"});
  list->SortData(
      [](TMemoryRecordEh* a, TMemoryRecordEh* b, TObject*) {
        return a->GetDataValue(0, dvvValueEh).AsInteger() - b->GetDataValue(0, dvvValueEh).AsInteger();
      },
      nullptr);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(list->GetRec(i)->GetIndex(), i);
    EXPECT_EQ(list->GetRec(i)->GetDataValue(0, dvvValueEh).AsInteger(), i + 1);
  }
}

TEST_F(RecordsTest, CancelledNewRecordAndEditForRefresh) {
  TMemoryRecordEh* rec = list->NewRecord();
  EXPECT_EQ(rec->GetEditState(), resInsertEh);
  EXPECT_THROW(rec->EditForRefresh(), Exception);
  rec->Cancel();  // frees the record
  EXPECT_EQ(list->GetCount(), 0);
  TMemoryRecordEh* row = AddRow(store, {1, u"a"});
  row->EditForRefresh();
  row->SetDataValue(1, dvvValueEh, u"server");
  row->Cancel();
  EXPECT_EQ(Text(row->GetDataValue(1, dvvValueEh)), u"server");
  EXPECT_EQ(row->GetEditState(), resBrowseEh);
}

// The packed values keep every kind with its type, and a text replaced in the middle leaves the texts
// around it whole.
TEST(RecValuesTest, EveryKindKeepsItsValueAndTypeThroughChangesAndCopies) {
  TBcd bcd;
  ASSERT_TRUE(TryStrToBcd(u"12345678901234567890.125", bcd));
  const std::vector<Variant> kinds = {Variant::Null(),
                                      Variant(),
                                      Variant(static_cast<int16_t>(-7)),
                                      Variant(-2000000000),
                                      Variant(static_cast<int8_t>(-3)),
                                      Variant(static_cast<Int64>(-9000000000000000000LL)),
                                      Variant(1.5f),
                                      Variant(-2.25),
                                      Variant::FromDate(45000.5),
                                      Variant(static_cast<uint8_t>(200)),
                                      Variant(static_cast<uint16_t>(60000)),
                                      Variant(static_cast<uint32_t>(4000000000u)),
                                      Variant(static_cast<UInt64>(18000000000000000000ULL)),
                                      Variant(Currency::FromRaw(-123456789)),
                                      Variant(true),
                                      Variant(String(u"Ёжик в тумане")),
                                      Variant(String()),
                                      Variant(AnsiString::FromBytes("\xC0\xC1 odd")),
                                      Variant(bcd),
                                      VarArrayOf({1, u"x"})};
  TRecValuesEh values(kinds.size());
  for (size_t i = 0; i < kinds.size(); ++i) EXPECT_TRUE(values[i].IsNull());
  // Set twice in opposite orders, so every text moves within the block at least once.
  for (size_t i = 0; i < kinds.size(); ++i) values.Set(i, kinds[kinds.size() - 1 - i]);
  for (size_t i = 0; i < kinds.size(); ++i) values.Set(i, kinds[i]);
  TRecValuesEh copy = values;
  values.Set(15, String(u"длиннее прежнего текста"));
  values.Set(17, 5);
  values.resize(kinds.size() + 2);
  for (const TRecValuesEh* v : {&copy, &values})
    for (size_t i = 0; i < kinds.size(); ++i) {
      Variant expected = v == &values && i == 15 ? Variant(String(u"длиннее прежнего текста"))
                         : v == &values && i == 17 ? Variant(5)
                                                   : kinds[i];
      SCOPED_TRACE(i);
      EXPECT_EQ((*v)[i].Type(), expected.Type());
      EXPECT_EQ(v->TypeAt(i), expected.Type());
      if (!expected.IsArray()) {
        EXPECT_TRUE(VarSameValue((*v)[i], expected));
      }
    }
  EXPECT_EQ(copy[19].GetElement(1).AsString(), u"x");
  EXPECT_TRUE(values[kinds.size() + 1].IsNull());
  EXPECT_EQ(copy.TextAt(15), u"Ёжик в тумане");
  values.resize(3);
  EXPECT_EQ(values.size(), 3u);
  EXPECT_EQ(values[1].Type(), varEmpty);
  EXPECT_EQ(copy.ToVector().size(), kinds.size());
}

namespace {
std::vector<std::string> reportedFailures;

// Collects what reaches the application's error path while it lives.
class TReportedFailures {
 public:
  TReportedFailures() {
    reportedFailures.clear();
    previous_ = SetApplicationHandleException([](TObject*, const std::exception_ptr& error) noexcept {
      try {
        std::rethrow_exception(error);
      } catch (const std::exception& e) {
        reportedFailures.emplace_back(e.what());
      }
    });
  }
  ~TReportedFailures() { SetApplicationHandleException(previous_); }

 private:
  TApplicationExceptionHandler previous_;
};
}  // namespace

TEST_F(RecordsTest, ListenerRaisingAtItsLeaveIsReportedAndTheLinkStillGoes) {
  TReportedFailures failures;
  auto raising = [](TMemoryRecordEh*, Integer, TRecordsListNotification action) {
    if (action == rlnListChangingEh) throw EDatabaseError(u"listener fails");
  };
  // A listener freed: the store must not keep a pointer to it.
  auto* listener = new TRecordsListNotificatorEh(nullptr);
  listener->SetDataObject(&store);
  listener->OnDataEvent = raising;
  ASSERT_EQ(store.GetNotificatorCount(), 1);
  delete listener;
  EXPECT_EQ(store.GetNotificatorCount(), 0);
  // A store freed: its listener must not keep a pointer to it.
  auto* other = new TMemTableDataEh(nullptr);
  TRecordsListNotificatorEh survivor(nullptr);
  survivor.SetDataObject(other);
  survivor.OnDataEvent = raising;
  delete other;
  EXPECT_EQ(survivor.GetDataObject(), nullptr);
  EXPECT_EQ(reportedFailures, std::vector<std::string>(2, "listener fails"));
  // Outside a destructor the failure reaches the caller.
  survivor.OnDataEvent = nullptr;
  survivor.SetDataObject(&store);
  survivor.OnDataEvent = raising;
  EXPECT_THROW(survivor.SetDataObject(nullptr), EDatabaseError);
  survivor.OnDataEvent = nullptr;
}
