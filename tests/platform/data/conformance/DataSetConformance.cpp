// The dataset conformance suite: behaviour every TDataSet descendant must show, run per descendant
// through a factory (see DataSetConformance.h).
#include "tests/platform/data/conformance/DataSetConformance.h"

#include "platform/rtl/Utf.h"

namespace {

std::string Narrow(const String& s) { return StringToUtf8(s); }

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return Narrow(e.Message());
  }
  return "(no exception)";
}

}  // namespace

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(DataSetConformance);

void PrintTo(const DataSetConformanceParam& param, std::ostream* os) { *os << param.Name; }

std::string DataSetConformanceName(const ::testing::TestParamInfo<DataSetConformanceParam>& info) {
  return info.param.Name;
}

void TRecordingDataLink::DataEvent(TDataEvent event, NativeInt info) { TDataLink::DataEvent(event, info); }

void TRecordingDataLink::RecordChanged(TField* field) {
  Log.push_back("RecordChanged(" + (field ? Narrow(field->GetFieldName()) : std::string()) + ")");
}

void DataSetConformance::SetUp() { owner_ = std::make_unique<TComponent>(nullptr); }

void DataSetConformance::TearDown() { owner_.reset(); }

TDataSet* DataSetConformance::Make(const std::vector<TConformanceRow>& rows) {
  TDataSet* dataSet = GetParam().Make(owner_.get(), rows);
  EXPECT_NE(dataSet, nullptr);
  return dataSet;
}

TDataSet* DataSetConformance::MakeStandard() {
  return Make({{1, u"Alpha", 10.5},
               {2, u"beta", 20.0},
               {3, u"Gamma", Null()},
               {4, u"Delta", 5.0},
               {5, u"Beta2", 30.0}});
}

void DataSetConformance::AddPersistentFields(TDataSet* dataSet) {
  auto* id = new TIntegerField(owner_.get());
  id->SetFieldName(u"ID");
  id->SetDataSet(dataSet);
  auto* name = new TStringField(owner_.get());
  name->SetFieldName(u"NAME");
  name->SetSize(20);
  name->SetDataSet(dataSet);
  auto* amount = new TFloatField(owner_.get());
  amount->SetFieldName(u"AMOUNT");
  amount->SetDataSet(dataSet);
}

std::vector<int> DataSetConformance::Ids(TDataSet* dataSet) {
  std::vector<int> ids;
  dataSet->First();
  while (!dataSet->Eof()) {
    ids.push_back(Id(dataSet));
    dataSet->Next();
  }
  return ids;
}

void DataSetConformance::RecordEvents(TDataSet* ds) {
  auto log = [this](const char* name) {
    return TDataSetNotifyEvent([this, name](TDataSet*) { Events.push_back(name); });
  };
  ds->BeforeOpen = log("BeforeOpen");
  ds->AfterOpen = log("AfterOpen");
  ds->BeforeClose = log("BeforeClose");
  ds->AfterClose = log("AfterClose");
  ds->BeforeInsert = log("BeforeInsert");
  ds->AfterInsert = log("AfterInsert");
  ds->BeforeEdit = log("BeforeEdit");
  ds->AfterEdit = log("AfterEdit");
  ds->BeforePost = log("BeforePost");
  ds->AfterPost = log("AfterPost");
  ds->BeforeCancel = log("BeforeCancel");
  ds->AfterCancel = log("AfterCancel");
  ds->BeforeDelete = log("BeforeDelete");
  ds->AfterDelete = log("AfterDelete");
  ds->BeforeScroll = log("BeforeScroll");
  ds->AfterScroll = log("AfterScroll");
  ds->OnNewRecord = log("OnNewRecord");
}

// ---- Opening and navigation ----

TEST_P(DataSetConformance, EmptyDataSetIsAtBothEndsAndReadsNulls) {
  TDataSet* ds = Make({});
  ds->Open();
  EXPECT_TRUE(ds->IsEmpty());
  EXPECT_TRUE(ds->Bof());
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(ds->RecordCount(), 0);
  EXPECT_TRUE(ds->FieldByName(u"ID")->IsNull());
  EXPECT_EQ(ds->FieldByName(u"ID")->GetAsInteger(), 0);
  EXPECT_EQ(ds->FieldByName(u"NAME")->GetAsString(), u"");
  ds->Next();
  ds->Prior();
  EXPECT_TRUE(ds->IsEmpty());
  EXPECT_TRUE(ds->GetBookmark().empty());
  ds->SetName(u"Table1");
  EXPECT_EQ(MessageOf([&] { ds->Delete(); }), "Table1: Cannot perform this operation on an empty dataset");
}

TEST_P(DataSetConformance, NavigatesForwardAndBackWithBofAndEof) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  EXPECT_EQ(Id(ds), 1);
  EXPECT_TRUE(ds->Bof());
  EXPECT_FALSE(ds->Eof());
  EXPECT_EQ(ds->RecordCount(), 5);
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(Id(ds), 5);

  ds->Last();
  EXPECT_TRUE(ds->Eof());
  std::vector<int> back;
  while (!ds->Bof()) {
    back.push_back(Id(ds));
    ds->Prior();
  }
  EXPECT_EQ(back, (std::vector<int>{5, 4, 3, 2, 1}));
  EXPECT_EQ(Id(ds), 1);

  ds->Next();
  EXPECT_FALSE(ds->Bof());
  ds->Prior();
  EXPECT_FALSE(ds->Bof()) << "Bof is only set by trying to move before the first record";
  EXPECT_EQ(Id(ds), 1);
}

TEST_P(DataSetConformance, MoveByStopsAtTheEndsAndAnswersTheDistanceMoved) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  EXPECT_EQ(ds->MoveBy(2), 2);
  EXPECT_EQ(Id(ds), 3);
  EXPECT_EQ(ds->MoveBy(10), 2);
  EXPECT_EQ(Id(ds), 5);
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(ds->MoveBy(-10), -4);
  EXPECT_EQ(Id(ds), 1);
  EXPECT_TRUE(ds->Bof());
  EXPECT_EQ(ds->MoveBy(0), 0);
}

TEST_P(DataSetConformance, RecNoFollowsThePositionAndMovesThere) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  EXPECT_EQ(ds->RecNo(), 1);
  ds->Next();
  EXPECT_EQ(ds->RecNo(), 2);
  ds->Last();
  EXPECT_EQ(ds->RecNo(), 5);
  ds->SetRecNo(3);
  EXPECT_EQ(Id(ds), 3);
  EXPECT_EQ(ds->RecNo(), 3);
}

TEST_P(DataSetConformance, BookmarksReturnToTheirRecordAndCompareByPosition) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  TBookmark first = ds->GetBookmark();
  ds->MoveBy(2);
  TBookmark third = ds->GetBookmark();
  ds->Last();
  ds->GotoBookmark(third);
  EXPECT_EQ(Id(ds), 3);
  ds->SetBookmark(first);
  EXPECT_EQ(Id(ds), 1);
  EXPECT_LT(ds->CompareBookmarks(first, third), 0);
  EXPECT_GT(ds->CompareBookmarks(third, first), 0);
  EXPECT_EQ(ds->CompareBookmarks(third, third), 0);
  EXPECT_TRUE(ds->BookmarkValid(third));

  ds->GotoBookmark(third);
  ds->Delete();
  EXPECT_FALSE(ds->BookmarkValid(third));
  EXPECT_TRUE(ds->BookmarkValid(first));
  EXPECT_THROW(ds->GotoBookmark(third), EDatabaseError);
}

// ---- Editing ----

TEST_P(DataSetConformance, InsertInTheMiddleGoesBeforeTheCurrentRecord) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  ds->MoveBy(2);
  ds->Insert();
  EXPECT_EQ(ds->GetState(), dsInsert);
  EXPECT_TRUE(ds->FieldByName(u"ID")->IsNull());
  ds->FieldByName(u"ID")->SetAsInteger(10);
  ds->FieldByName(u"NAME")->SetAsString(u"New");
  ds->Post();
  EXPECT_EQ(ds->GetState(), dsBrowse);
  EXPECT_EQ(Id(ds), 10);
  ds->Next();
  EXPECT_EQ(Id(ds), 3);
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 2, 10, 3, 4, 5}));
  EXPECT_EQ(ds->RecordCount(), 6);
}

TEST_P(DataSetConformance, InsertAtTheEndsAndIntoAnEmptyDataSet) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  ds->Insert();
  ds->FieldByName(u"ID")->SetAsInteger(0);
  ds->Post();
  EXPECT_EQ(Id(ds), 0);
  ds->Append();
  ds->FieldByName(u"ID")->SetAsInteger(6);
  ds->Post();
  EXPECT_EQ(Id(ds), 6);
  EXPECT_EQ(Ids(ds), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));

  TDataSet* empty = Make({});
  empty->Open();
  empty->Insert();
  empty->FieldByName(u"ID")->SetAsInteger(7);
  empty->Post();
  empty->Append();
  empty->FieldByName(u"ID")->SetAsInteger(8);
  empty->Post();
  EXPECT_EQ(Ids(empty), (std::vector<int>{7, 8}));
  EXPECT_FALSE(empty->IsEmpty());
}

TEST_P(DataSetConformance, CancelledInsertAndAppendLeaveNoRecordAndComeBack) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  ds->MoveBy(2);
  ds->Insert();
  ds->FieldByName(u"NAME")->SetAsString(u"Dropped");
  ds->Cancel();
  EXPECT_EQ(ds->GetState(), dsBrowse);
  EXPECT_EQ(Id(ds), 3);
  ds->Append();
  ds->Cancel();
  EXPECT_EQ(Id(ds), 5);
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 2, 3, 4, 5}));

  TDataSet* empty = Make({});
  empty->Open();
  empty->Insert();
  empty->Cancel();
  EXPECT_TRUE(empty->IsEmpty());
}

TEST_P(DataSetConformance, EditPostKeepsTheValueAndCancelRestoresIt) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  ds->Next();
  ds->Edit();
  EXPECT_EQ(ds->GetState(), dsEdit);
  ds->FieldByName(u"AMOUNT")->SetAsFloat(99);
  EXPECT_TRUE(ds->GetModified());
  EXPECT_EQ(ds->FieldByName(u"AMOUNT")->GetOldValue().AsDouble(), 20.0);
  EXPECT_EQ(ds->FieldByName(u"AMOUNT")->GetAsFloat(), 99.0);
  ds->Post();
  ds->Last();
  ds->First();
  ds->Next();
  EXPECT_EQ(ds->FieldByName(u"AMOUNT")->GetAsFloat(), 99.0);

  ds->Edit();
  ds->FieldByName(u"NAME")->SetAsString(u"Changed");
  ds->Cancel();
  EXPECT_EQ(ds->FieldByName(u"NAME")->GetAsString(), u"beta");
  EXPECT_EQ(ds->RecordCount(), 5);
}

TEST_P(DataSetConformance, ScrollingPostsAModifiedRecordAndDropsAnUntouchedInsert) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  ds->Edit();
  ds->FieldByName(u"NAME")->SetAsString(u"Posted");
  ds->Next();
  EXPECT_EQ(ds->GetState(), dsBrowse);
  ds->First();
  EXPECT_EQ(ds->FieldByName(u"NAME")->GetAsString(), u"Posted");

  ds->Insert();
  ds->Next();
  EXPECT_EQ(ds->RecordCount(), 5);
}

TEST_P(DataSetConformance, DeleteMovesToTheNextRecordOrTheNewLast) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  ds->MoveBy(2);
  ds->Delete();
  EXPECT_EQ(Id(ds), 4);
  ds->Last();
  ds->Delete();
  EXPECT_EQ(Id(ds), 4);
  ds->First();
  ds->Delete();
  EXPECT_EQ(Id(ds), 2);
  EXPECT_EQ(Ids(ds), (std::vector<int>{2, 4}));
  ds->First();
  ds->Delete();
  ds->Delete();
  EXPECT_TRUE(ds->IsEmpty());
  EXPECT_TRUE(ds->Bof());
  EXPECT_TRUE(ds->Eof());
}

TEST_P(DataSetConformance, AppendRecordAndInsertRecordSetFieldsInOrder) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  ds->AppendRecord({6, u"Six", 6.5});
  EXPECT_EQ(Id(ds), 6);
  EXPECT_EQ(ds->FieldByName(u"NAME")->GetAsString(), u"Six");
  ds->First();
  ds->InsertRecord({0, Null(), Variant()});
  EXPECT_EQ(Id(ds), 0);
  EXPECT_TRUE(ds->FieldByName(u"NAME")->IsNull());
  EXPECT_EQ(ds->RecordCount(), 7);
}

TEST_P(DataSetConformance, EditingErrorsSayWhatIsWrong) {
  TDataSet* ds = MakeStandard();
  ds->SetName(u"Table1");
  ds->Open();
  EXPECT_EQ(MessageOf([&] { ds->FieldByName(u"NAME")->SetAsString(u"x"); }),
            "Table1: Dataset not in edit or insert mode");
  EXPECT_EQ(MessageOf([&] { ds->FieldByName(u"MISSING"); }), "Table1: Field 'MISSING' not found");
  EXPECT_EQ(MessageOf([&] { ds->Post(); }), "Table1: Dataset not in edit or insert mode");

  ds->FieldByName(u"ID")->SetReadOnly(true);
  ds->Edit();
  EXPECT_EQ(MessageOf([&] { ds->FieldByName(u"ID")->SetAsInteger(9); }), "Field 'ID' cannot be modified");
  ds->Cancel();

  ds->FieldByName(u"NAME")->SetRequired(true);
  ds->Insert();
  ds->FieldByName(u"AMOUNT")->SetAsFloat(1);
  EXPECT_EQ(MessageOf([&] { ds->Post(); }), "Field 'NAME' must have a value");
  EXPECT_EQ(ds->GetState(), dsInsert) << "a failed post keeps the record being edited";
  ds->Cancel();
  EXPECT_EQ(ds->RecordCount(), 5);
}

TEST_P(DataSetConformance, PostErrorHandlerCanAbortOrFixAndRetry) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  ds->FieldByName(u"NAME")->SetRequired(true);
  int calls = 0;
  ds->OnPostError = [&](TDataSet* d, EDatabaseError*, TDataAction& action) {
    ++calls;
    if (calls == 1) {
      action = daAbort;
      return;
    }
    d->FieldByName(u"NAME")->SetAsString(u"Fixed");
    action = daRetry;
  };
  ds->Append();
  EXPECT_THROW(ds->Post(), EAbort);
  EXPECT_EQ(ds->GetState(), dsInsert);
  ds->Post();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(ds->FieldByName(u"NAME")->GetAsString(), u"Fixed");
  EXPECT_EQ(ds->RecordCount(), 6);
}

// ---- Events ----

TEST_P(DataSetConformance, EventsComeInTheFrameworkOrder) {
  TDataSet* ds = MakeStandard();
  RecordEvents(ds);
  auto take = [&] {
    std::vector<std::string> taken = Events;
    Events.clear();
    return taken;
  };
  ds->Open();
  EXPECT_EQ(take(), (std::vector<std::string>{"BeforeOpen", "AfterOpen", "AfterScroll"}));
  ds->Next();
  EXPECT_EQ(take(), (std::vector<std::string>{"BeforeScroll", "AfterScroll"}));
  ds->Insert();
  EXPECT_EQ(take(), (std::vector<std::string>{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert",
                                              "AfterScroll"}));
  ds->FieldByName(u"ID")->SetAsInteger(10);
  ds->Post();
  EXPECT_EQ(take(), (std::vector<std::string>{"BeforePost", "AfterPost"}));
  ds->Edit();
  EXPECT_EQ(take(), (std::vector<std::string>{"BeforeEdit", "AfterEdit"}));
  ds->Cancel();
  EXPECT_EQ(take(), (std::vector<std::string>{"BeforeCancel", "AfterCancel"}));
  ds->Edit();
  ds->FieldByName(u"NAME")->SetAsString(u"Moved away");
  take();
  ds->Next();
  EXPECT_EQ(take(), (std::vector<std::string>{"BeforePost", "AfterPost", "BeforeScroll", "AfterScroll"}));
  ds->Delete();
  EXPECT_EQ(take(), (std::vector<std::string>{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
  ds->Close();
  EXPECT_EQ(take(), (std::vector<std::string>{"BeforeClose", "AfterClose"}));
}

TEST_P(DataSetConformance, EnableControlsSendsOneCatchUpEvent) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  TDataSource source(nullptr);
  source.SetDataSet(ds);
  TRecordingDataLink link;
  link.SetDataSource(&source);
  link.Log.clear();
  ds->DisableControls();
  ds->DisableControls();
  EXPECT_TRUE(ds->ControlsDisabled());
  while (!ds->Eof()) ds->Next();
  ds->Edit();
  ds->FieldByName(u"NAME")->SetAsString(u"Quiet");
  ds->Post();
  ds->EnableControls();
  EXPECT_TRUE(ds->ControlsDisabled());
  ds->EnableControls();
  EXPECT_FALSE(ds->ControlsDisabled());
  EXPECT_EQ(link.Log, (std::vector<std::string>{"Disabled", "Enabled", "DataSetChanged"}));
  link.SetDataSource(nullptr);
}

// ---- Calculated and lookup fields ----

TEST_P(DataSetConformance, CalculatedFieldsFollowEveryRecordAndEdits) {
  TDataSet* ds = MakeStandard();
  AddPersistentFields(ds);
  auto* twice = new TFloatField(owner_.get());
  twice->SetFieldName(u"TWICE");
  twice->SetFieldKind(fkCalculated);
  twice->SetDataSet(ds);
  ds->OnCalcFields = [](TDataSet* d) {
    TField* amount = d->FieldByName(u"AMOUNT");
    if (!amount->IsNull()) d->FieldByName(u"TWICE")->SetAsFloat(amount->GetAsFloat() * 2);
  };
  ds->Open();
  EXPECT_FALSE(ds->DefaultFields()) << "persistent fields take precedence";
  EXPECT_EQ(ds->GetFieldCount(), 4);
  std::vector<Variant> seen;
  while (!ds->Eof()) {
    seen.push_back(twice->GetAsVariant());
    ds->Next();
  }
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0].AsDouble(), 21.0);
  EXPECT_TRUE(VarIsNull(seen[2]));
  EXPECT_EQ(seen[4].AsDouble(), 60.0);

  ds->First();
  ds->Edit();
  ds->FieldByName(u"AMOUNT")->SetAsFloat(7);
  EXPECT_EQ(twice->GetAsFloat(), 14.0) << "AutoCalcFields recomputes after a field change";
  ds->Post();
  EXPECT_EQ(twice->GetAsFloat(), 14.0);
  EXPECT_THROW(twice->SetAsFloat(1), EDatabaseError) << "calculated fields are set only in OnCalcFields";
  ds->Close();
  EXPECT_EQ(ds->GetFieldCount(), 4) << "persistent fields survive closing";
}

TEST_P(DataSetConformance, LookupFieldsReadTheOtherDataSet) {
  TDataSet* ds = MakeStandard();
  TDataSet* words = Make({{1, u"one", Null()}, {2, u"two", Null()}, {4, u"four", Null()}});
  words->Open();
  AddPersistentFields(ds);
  auto* word = new TStringField(owner_.get());
  word->SetFieldName(u"WORD");
  word->SetFieldKind(fkLookup);
  word->SetKeyFields(u"ID");
  word->SetLookupDataSet(words);
  word->SetLookupKeyFields(u"ID");
  word->SetLookupResultField(u"NAME");
  word->SetDataSet(ds);
  ds->Open();
  std::vector<String> seen;
  while (!ds->Eof()) {
    seen.push_back(word->GetAsString());
    ds->Next();
  }
  EXPECT_EQ(seen, (std::vector<String>{u"one", u"two", u"", u"four", u""}));
  EXPECT_EQ(words->FieldByName(u"ID")->GetAsInteger(), 1) << "looking up does not move the lookup dataset";

  ds->First();
  ds->Edit();
  word->SetAsString(u"four");
  EXPECT_EQ(Id(ds), 4) << "setting a lookup field sets its key";
  ds->Cancel();
}

// ---- Searching ----

TEST_P(DataSetConformance, LocateFindsByOneOrSeveralFieldsWithOptions) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  struct Case {
    const Char* fields;
    Variant values;
    TLocateOptions options;
    int expected;  // 0: not found
  } cases[] = {
      {u"ID", 4, {}, 4},
      {u"NAME", u"beta", {}, 2},
      {u"NAME", u"BETA", {}, 0},
      {u"NAME", u"BETA", {loCaseInsensitive}, 2},
      {u"NAME", u"Be", {loPartialKey}, 5},
      {u"NAME", u"be", {loPartialKey, loCaseInsensitive}, 2},
      {u"ID;NAME", VarArrayOf({4, u"Delta"}), {}, 4},
      {u"ID;NAME", VarArrayOf({4, u"Gamma"}), {}, 0},
      {u"AMOUNT", Null(), {}, 3},
      {u"AMOUNT", 20, {}, 2},
      {u"ID", 42, {}, 0},
  };
  for (const Case& c : cases) {
    ds->Last();
    bool found = ds->Locate(c.fields, c.values, c.options);
    EXPECT_EQ(found, c.expected != 0)
        << Narrow(c.fields) << " " << Narrow(VarToStr(VarIsArray(c.values) ? Variant() : c.values));
    EXPECT_EQ(Id(ds), c.expected ? c.expected : 5) << "a failed search keeps the position";
  }
}

TEST_P(DataSetConformance, LookupAnswersWithoutMoving) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  ds->Next();
  EXPECT_EQ(ds->Lookup(u"ID", 4, u"NAME").AsString(), u"Delta");
  Variant both = ds->Lookup(u"NAME", u"Beta2", u"ID;AMOUNT");
  ASSERT_TRUE(VarIsArray(both));
  EXPECT_EQ(VarArrayGet(both, 0).AsInteger(), 5);
  EXPECT_EQ(VarArrayGet(both, 1).AsDouble(), 30.0);
  const Variant miss = ds->Lookup(u"ID", 42, u"NAME");
  EXPECT_TRUE(GetParam().LookupMissIsUnassigned ? VarIsEmpty(miss) : VarIsNull(miss));
  EXPECT_EQ(Id(ds), 2);
  EXPECT_THROW(ds->Lookup(u"NOPE", 1, u"NAME"), EDatabaseError);
}

// ---- Filtering ----

TEST_P(DataSetConformance, FilterTextAndOnFilterRecordSelectRecords) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  ds->SetFilter(u"AMOUNT > 10");
  ds->SetFiltered(true);
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 2, 5}));
  EXPECT_EQ(ds->RecordCount(), 3);

  ds->SetFilter(u"NAME = 'B*'");
  EXPECT_EQ(Ids(ds), (std::vector<int>{5}));
  ds->SetFilterOptions({foCaseInsensitive});
  EXPECT_EQ(Ids(ds), (std::vector<int>{2, 5}));
  ds->SetFilterOptions({foCaseInsensitive, foNoPartialCompare});
  EXPECT_EQ(Ids(ds), (std::vector<int>{}));
  EXPECT_TRUE(ds->IsEmpty());

  ds->SetFilterOptions({});
  ds->SetFilter(u"[AMOUNT] Is Null or ID In (1 ,  4)");
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 3, 4}));

  ds->SetFilter(u"");
  ds->SetOnFilterRecord(
      [](TDataSet* d, bool& accept) { accept = d->FieldByName(u"ID")->GetAsInteger() % 2 == 1; });
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 3, 5}));
  ds->SetFilter(u"AMOUNT >= 10");
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 5})) << "text and handler must both accept";

  ds->SetFiltered(false);
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_P(DataSetConformance, BadFilterTextRaisesAndKeepsTheOldFilter) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  ds->SetFilter(u"ID < 3");
  ds->SetFiltered(true);
  EXPECT_THROW(ds->SetFilter(u"ID <"), EDatabaseError);
  EXPECT_EQ(ds->GetFilter(), u"ID < 3");
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 2}));
  EXPECT_THROW(ds->SetFilter(u"NOSUCH = 1"), EDatabaseError);
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 2}));
}

TEST_P(DataSetConformance, FilteredInsertAndEditKeepTheDataSetUsable) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  ds->SetFilter(u"AMOUNT > 10");
  ds->SetFiltered(true);
  ds->Last();
  ds->Edit();
  ds->FieldByName(u"AMOUNT")->SetAsFloat(1);
  ds->Post();
  EXPECT_EQ(Ids(ds), (std::vector<int>{1, 2})) << "a record leaving the filter disappears";
  ds->SetFiltered(false);
  EXPECT_EQ(ds->RecordCount(), 5);
}

// ---- Data links over the buffer ring ----

TEST_P(DataSetConformance, LinkWindowCanMakeAnotherBufferedRowActive) {
  TDataSet* ds = MakeStandard();
  ds->Open();
  TDataSource source(nullptr);
  source.SetDataSet(ds);
  TRecordingDataLink link;
  link.SetDataSource(&source);
  link.SetBufferCount(3);
  ds->First();
  ASSERT_EQ(link.GetRecordCount(), 3);
  EXPECT_EQ(link.GetActiveRecord(), 0);
  std::vector<int> rows;
  int saved = link.GetActiveRecord();
  for (int i = 0; i < link.GetRecordCount(); ++i) {
    link.SetActiveRecord(i);
    rows.push_back(Id(ds));
  }
  link.SetActiveRecord(saved);
  EXPECT_EQ(rows, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(Id(ds), 1);

  ds->Last();
  rows.clear();
  saved = link.GetActiveRecord();
  for (int i = 0; i < link.GetRecordCount(); ++i) {
    link.SetActiveRecord(i);
    rows.push_back(Id(ds));
  }
  link.SetActiveRecord(saved);
  EXPECT_EQ(rows, (std::vector<int>{3, 4, 5}));
  EXPECT_EQ(link.GetActiveRecord(), 2);
  link.SetDataSource(nullptr);
}
