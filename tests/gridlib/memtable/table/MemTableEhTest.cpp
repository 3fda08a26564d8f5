// The in-memory table's own behaviour beyond the dataset conformance suite: cached updates, exact
// decimals, searching, sorting, the tree, record events, range aggregates, blobs, files and shared data.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "gridlib/memtable/ADODataDriverEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "gridlib/memtable/MemTableIndexesEh.h"
#include "platform/rtl/SqlTimeStamp.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {

class MemTableTest : public ::testing::Test {
 protected:
  void SetUp() override { InitializeMemTableEh(); }

  // ID integer, NAME text, AMOUNT float, PID integer (parent id).
  TMemTableEh* MakeTable(std::initializer_list<std::vector<Variant>> rows = {}) {
    auto* table = new TMemTableEh(owner_.get());
    table->GetFieldDefs()->Add(u"ID", ftInteger);
    table->GetFieldDefs()->Add(u"NAME", ftWideString, 20);
    table->GetFieldDefs()->Add(u"AMOUNT", ftFloat);
    table->GetFieldDefs()->Add(u"PID", ftInteger);
    table->CreateDataSet();
    for (const auto& row : rows) {
      table->Append();
      table->SetFields(row);
      table->Post();
    }
    table->MergeChangeLog();
    table->First();
    return table;
  }

  std::vector<int> Ids(TDataSet* table) {
    std::vector<int> ids;
    for (table->First(); !table->Eof(); table->Next())
      ids.push_back(table->FieldByName(u"ID")->GetAsInteger());
    return ids;
  }

  std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() /
            (std::string("memtable_") + std::to_string(getpid()) + name))
        .string();
  }

  std::unique_ptr<TComponent> owner_ = std::make_unique<TComponent>(nullptr);
};

TEST_F(MemTableTest, InitializingRegistersTheTableAndDriversOnce) {
  InitializeMemTableEh();
  EXPECT_EQ(FindClass(u"TMemTableEh"), TMemTableEh::StaticClass());
  EXPECT_EQ(FindClass(u"TADODataDriverEh"), TADODataDriverEh::StaticClass());
}

TEST_F(MemTableTest, CachedUpdatesKeepChangesUntilAppliedOrCancelled) {
  TMemTableEh* t = MakeTable({{1, u"a", 1.0, Null()}, {2, u"b", 2.0, Null()}});
  t->SetCachedUpdates(true);
  t->Edit();
  t->FieldByName(u"NAME")->SetAsString(u"changed");
  t->Post();
  EXPECT_TRUE(t->HasCachedChanges());
  EXPECT_EQ(t->UpdateStatus(), usModified);
  t->Last();
  t->Delete();
  t->AppendRecord({3, u"c", 3.0, Null()});
  EXPECT_EQ(Ids(t), (std::vector<int>{1, 3}));

  t->CancelUpdates();
  EXPECT_FALSE(t->HasCachedChanges());
  EXPECT_EQ(Ids(t), (std::vector<int>{1, 2}));
  t->First();
  EXPECT_EQ(t->FieldByName(u"NAME")->GetAsString(), u"a");
  EXPECT_EQ(t->UpdateStatus(), usUnmodified);

  // Without cached updates and without a driver a post is merged at once.
  t->SetCachedUpdates(false);
  t->Edit();
  t->FieldByName(u"NAME")->SetAsString(u"x");
  t->Post();
  EXPECT_EQ(t->UpdateStatus(), usUnmodified);
  EXPECT_FALSE(t->HasCachedChanges());
}

TEST_F(MemTableTest, BcdValuesAreCheckedOnBothSidesAndRoundedHalfToEven) {
  auto* t = new TMemTableEh(owner_.get());
  TFieldDef* def = t->GetFieldDefs()->Add(u"PRICE", ftBCD, 2);
  def->SetPrecision(5);
  t->CreateDataSet();
  TField* price = t->FieldByName(u"PRICE");
  struct Case {
    double in;
    double stored;  // 0 with overflow
    bool overflow;
  } cases[] = {
      {999.99, 999.99, false}, {1000.01, 0, true},   {-1000.01, 0, true},
      {2.345, 2.34, false},    {2.355, 2.36, false}, {-2.345, -2.34, false},
  };
  for (const Case& c : cases) {
    t->Append();
    Variant direct = c.in;
    if (c.overflow) {
      EXPECT_THROW(t->CheckFieldDataVarValue(price, direct), EBcdOverflowException) << c.in;
      EXPECT_THROW(price->SetAsFloat(c.in), Exception) << c.in;
      EXPECT_TRUE(price->IsNull()) << "a refused value is not stored";
    } else {
      t->CheckFieldDataVarValue(price, direct);
      EXPECT_DOUBLE_EQ(direct.AsDouble(), c.stored) << c.in;
      price->SetAsFloat(c.in);
      EXPECT_DOUBLE_EQ(price->GetAsFloat(), c.stored) << c.in;
    }
    t->Cancel();
  }
}

TEST_F(MemTableTest, FindRecLookupAllAndLocate) {
  TMemTableEh* t = MakeTable({{1, u"Петров", 5.0, Null()},
                              {10, u"петров", 5.0, Null()},
                              {123, u"Сидоров", 7.0, Null()},
                              {2, u"Иванов", 5.0, Null()}});
  EXPECT_EQ(t->FindRec(u"ID", 1, {loPartialKey}, 0, false), 0);
  EXPECT_EQ(t->FindRec(u"ID", 1, {loPartialKey}, 1, false), 1) << "1 matches 10 as text";
  EXPECT_EQ(t->FindRec(u"ID", 1, {loPartialKey}, 2, false), 2) << "and 123";
  EXPECT_EQ(t->FindRec(u"ID", 1, {}, 1, false), -1);

  Variant three = t->LookupAll(u"AMOUNT", 5.0, u"ID", {});
  ASSERT_TRUE(VarIsArray(three));
  EXPECT_EQ(VarArrayHighBound(three, 1) - VarArrayLowBound(three, 1) + 1, 3);
  Variant again = t->LookupAll(u"AMOUNT", 5.0, u"ID", {});
  EXPECT_EQ(VarArrayHighBound(again, 1) - VarArrayLowBound(again, 1) + 1, 3) << "a second call starts afresh";
  EXPECT_EQ(t->LookupAll(u"AMOUNT", 7.0, u"ID", {}).AsInteger(), 123);
  EXPECT_TRUE(VarIsEmpty(t->LookupAll(u"AMOUNT", 9.0, u"ID", {})));

  EXPECT_TRUE(t->Locate(u"NAME", u"ПЕТРОВ", {loCaseInsensitive}));
  EXPECT_EQ(t->FieldByName(u"ID")->GetAsInteger(), 1);

  // An index over the key is used and finds the same record.
  t->GetIndexDefs()->Add(u"byId", u"ID", {ixPrimary});
  t->Close();
  t->Open();
  EXPECT_TRUE(t->Locate(u"ID", 123, {}));
  EXPECT_EQ(t->FieldByName(u"NAME")->GetAsString(), u"Сидоров");
}

TEST_F(MemTableTest, LookupAnswersUnassignedForAMissLeavesAnEditOpenAndSearchesTheIndex) {
  TMemTableEh* t = MakeTable({{1, u"Петров", 5.0, Null()}, {2, u"Иванов", 6.0, Null()}});
  EXPECT_TRUE(VarIsEmpty(t->Lookup(u"ID", 9, u"NAME"))) << "a miss is Unassigned, not Null";
  EXPECT_EQ(t->Lookup(u"ID", 2, u"NAME").AsString(), u"Иванов");

  // A uniqueness check in OnValidate while editing and while appending: the record stays unposted.
  std::vector<Variant> seen;
  t->FieldByName(u"NAME")->OnValidate = [&](TField*) {
    seen.push_back(t->Lookup(u"NAME", u"Иванов", u"ID"));
    EXPECT_TRUE(t->GetState() == dsEdit || t->GetState() == dsInsert);
  };
  t->First();
  t->Edit();
  t->FieldByName(u"NAME")->SetAsString(u"Сидоров");
  EXPECT_EQ(t->GetState(), dsEdit);
  EXPECT_EQ(t->GetRec()->GetDataValue(1, dvvValueEh).AsString(), u"Петров") << "nothing was posted";
  t->Cancel();
  t->Append();
  t->FieldByName(u"ID")->SetAsInteger(3);
  t->FieldByName(u"NAME")->SetAsString(u"Сидоров");
  EXPECT_EQ(t->GetState(), dsInsert);
  EXPECT_EQ(t->RecordCount(), 2) << "the appended record was not posted by the search";
  t->Cancel();
  ASSERT_EQ(seen.size(), 2u);
  for (const Variant& id : seen) EXPECT_EQ(id.AsInteger(), 2) << "the found row is read, not the open one";

  // The store's index answers the search: a case-insensitive one finds what a scan of values would not.
  t->GetIndexDefs()->Add(u"byName", u"NAME", {});
  t->Close();
  t->Open();
  t->GetMemTableData()->GetRecordsList()->GetIndexes()->GetIndexForFields(u"NAME")->SetCaseInsensitive(true);
  EXPECT_EQ(t->Lookup(u"NAME", u"ИВАНОВ", u"ID").AsInteger(), 2);
}
TEST_F(MemTableTest, SortOrderPutsNullsFirstKeepsEqualKeysStableAndRejectsUnknownFields) {
  TMemTableEh* t = MakeTable(
      {{1, u"b", 2.0, Null()}, {2, u"a", Null(), Null()}, {3, u"c", 2.0, Null()}, {4, u"d", 1.0, Null()}});
  t->SetSortOrder(u"AMOUNT");
  EXPECT_EQ(Ids(t), (std::vector<int>{2, 4, 1, 3}));
  t->SetSortOrder(u"AMOUNT DESC");
  EXPECT_EQ(Ids(t), (std::vector<int>{1, 3, 4, 2}));
  t->SetSortOrder(u"AMOUNT;NAME DESC");
  EXPECT_EQ(Ids(t), (std::vector<int>{2, 4, 3, 1}));
  t->SetSortOrder(String());
  t->SortByFields(u"NAME");
  EXPECT_EQ(Ids(t), (std::vector<int>{2, 1, 3, 4})) << "SortByFields reorders the store itself";
}

TEST_F(MemTableTest, TreeViewShowsLevelsAndExpandsNodes) {
  TMemTableEh* t = MakeTable({{3, u"child", 0.0, 1}, {1, u"root", 0.0, Null()}, {2, u"other", 0.0, Null()}});
  t->GetTreeList()->SetKeyFieldName(u"ID");
  t->GetTreeList()->SetRefParentFieldName(u"PID");
  t->GetTreeList()->SetActive(true);
  EXPECT_EQ(Ids(t), (std::vector<int>{1, 2})) << "the child is hidden under its collapsed parent";
  t->First();
  EXPECT_EQ(t->GetTreeNodeLevel(), 1);
  EXPECT_TRUE(t->GetTreeNodeHasChildren());
  t->SetTreeNodeExpanded(true);
  EXPECT_EQ(Ids(t), (std::vector<int>{1, 3, 2}));
  t->RecNo();
  t->SetRecNo(2);
  EXPECT_EQ(t->GetTreeNodeLevel(), 2);
  EXPECT_EQ(t->GetPrevVisibleTreeNodeLevel(), 1);
  EXPECT_EQ(t->SetTreeNodeExpandedAtRow(0, false), 1) << "the hidden active record's parent is shown";
}

class RecordingReceiver : public TComponent, public IMTEventReceiverEh {
 public:
  RecordingReceiver() : TComponent(nullptr) {}
  void MTEvent(Integer rowNum, TMTViewEventTypeEh event, Integer oldRowNum) override {
    events.push_back({rowNum, event, oldRowNum});
  }
  struct Event {
    Integer row;
    TMTViewEventTypeEh event;
    Integer oldRow;
  };
  std::vector<Event> events;
};

TEST_F(MemTableTest, ReceiversGetOneEventOrOneCollapsedEventAfterDisabledControls) {
  TMemTableEh* t = MakeTable({{1, u"a", 1.0, Null()}});
  RecordingReceiver receiver;
  t->RegisterEventReceiver(&receiver);
  t->MTDisableControls();
  t->AppendRecord({2, u"b", 2.0, Null()});
  receiver.events.clear();
  t->MTEnableControls(false);
  ASSERT_FALSE(receiver.events.empty());
  EXPECT_EQ(receiver.events.front().event, mtViewDataChangedEh);

  receiver.events.clear();
  t->AppendRecord({3, u"c", 3.0, Null()});
  bool inserted = false;
  for (const auto& e : receiver.events) inserted |= e.event == mtRowInsertedEh;
  EXPECT_TRUE(inserted);
  t->UnregisterEventReceiver(&receiver);
}

TEST_F(MemTableTest, InstantReadingSeesRowsWithoutMovingAndMustBeBalanced) {
  TMemTableEh* t = MakeTable({{1, u"a", 1.0, Null()}, {2, u"b", 2.0, Null()}, {3, u"c", 3.0, Null()}});
  EXPECT_THROW(t->InstantReadLeave(), Exception);
  t->InstantReadEnter(2);
  EXPECT_EQ(t->FieldByName(u"ID")->GetAsInteger(), 3);
  t->InstantReadLeave();
  EXPECT_EQ(t->FieldByName(u"ID")->GetAsInteger(), 1);
  t->Next();
  t->Insert();
  EXPECT_EQ(t->InstantReadRowCount(), t->RecordCount() + 1);
  t->Cancel();
}

TEST_F(MemTableTest, RangeAggregatesSkipNullsAndLeaveSumOfDatesEmpty) {
  auto* t = new TMemTableEh(owner_.get());
  t->GetFieldDefs()->Add(u"D", ftDateTime);
  t->GetFieldDefs()->Add(u"N", ftFloat);
  t->CreateDataSet();
  t->AppendRecord({Variant(TDateTime(45000.0)), 2.0});
  t->AppendRecord({Variant(TDateTime(45010.0)), Null()});
  t->AppendRecord({Null(), 4.0});
  TAggrResultArr r;
  t->GetAggregatedValuesForRange({}, {}, String(), r, {agfCountEh});
  EXPECT_EQ(r[agfCountEh].AsInteger(), 3);
  t->GetAggregatedValuesForRange({}, {}, u"N", r, {agfSumEh, agfCountEh, agfAvg, agfMin, agfMax});
  EXPECT_EQ(r[agfSumEh].AsDouble(), 6.0);
  EXPECT_EQ(r[agfCountEh].AsInteger(), 2);
  EXPECT_EQ(r[agfAvg].AsDouble(), 3.0);
  EXPECT_EQ(r[agfMin].AsDouble(), 2.0);
  t->GetAggregatedValuesForRange({}, {}, u"D", r, {agfSumEh, agfMin, agfMax});
  EXPECT_TRUE(VarIsNull(r[agfSumEh]));
  EXPECT_EQ(r[agfMax].AsDouble(), 45010.0);
  t->GetAggregatedValuesForRange(t->RecToBookmark(nullptr), {}, u"N", r, {agfSumEh, agfCountEh});
  EXPECT_TRUE(VarIsNull(r[agfSumEh])) << "an invalid bookmark gives the empty result";
}

TEST_F(MemTableTest, BlobStreamsKeepNullAndReadWideTextAtFullSize) {
  auto* t = new TMemTableEh(owner_.get());
  t->GetFieldDefs()->Add(u"W", ftWideMemo);
  t->GetFieldDefs()->Add(u"B", ftBlob);
  t->CreateDataSet();
  t->Append();
  TField* wide = t->FieldByName(u"W");
  TField* blob = t->FieldByName(u"B");
  wide->SetAsString(u"Абвг");
  {
    std::unique_ptr<TStream> s(t->CreateBlobStream(wide, bmRead));
    EXPECT_EQ(s->GetSize(), 8) << "four UTF-16 characters";
  }
  {
    std::unique_ptr<TStream> s(t->CreateBlobStream(blob, bmRead));
    EXPECT_EQ(s->GetSize(), 0);
  }
  EXPECT_TRUE(blob->IsNull()) << "reading a null blob leaves it null";
  {
    std::unique_ptr<TStream> s(t->CreateBlobStream(blob, bmWrite));
    const char bytes[] = "12345";
    s->Write(bytes, 5);
  }
  t->Post();
  EXPECT_EQ(VarToBytes(blob->GetAsVariant()).size(), 5u);
  t->Edit();
  {
    // Ten bytes written past the end of five extend the value to fifteen, the first five kept.
    std::unique_ptr<TStream> s(t->CreateBlobStream(blob, bmReadWrite));
    s->Seek(5, soBeginning);
    s->Write("abcdefghij", 10);
  }
  t->Post();
  EXPECT_EQ(VarToBytes(blob->GetAsVariant()),
            (TBytes{'1', '2', '3', '4', '5', 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j'}));
  t->Edit();
  { std::unique_ptr<TStream> s(t->CreateBlobStream(blob, bmWrite)); }
  t->Post();
  EXPECT_TRUE(blob->IsNull()) << "an emptied blob is null";
  t->Edit();
  wide->SetAsString(u"текст");
  {
    auto* s = dynamic_cast<TMemBlobStreamEh*>(t->CreateBlobStream(wide, bmReadWrite));
    ASSERT_NE(s, nullptr);
    s->Truncate();
    delete s;
  }
  EXPECT_TRUE(wide->IsNull()) << "a truncated stream stores its empty value";
  t->Cancel();
  EXPECT_THROW(std::unique_ptr<TStream>(t->CreateBlobStream(blob, bmWrite)), EDatabaseError)
      << "writing outside edit or insert";
}

TEST_F(MemTableTest, SavedFilesLoadBackAndDamagedFilesLeaveTheTableAsItWas) {
  auto* t = new TMemTableEh(owner_.get());
  t->GetFieldDefs()->Add(u"I", ftInteger);
  t->GetFieldDefs()->Add(u"S", ftWideString, 30);
  t->GetFieldDefs()->Add(u"F", ftFloat);
  t->GetFieldDefs()->Add(u"D", ftDateTime);
  t->GetFieldDefs()->Add(u"B", ftBoolean);
  t->GetFieldDefs()->Add(u"C", ftCurrency);
  t->GetFieldDefs()->Add(u"L", ftLargeint);
  t->GetFieldDefs()->Add(u"M", ftWideMemo);
  t->GetFieldDefs()->Add(u"X", ftBlob);
  t->GetFieldDefs()->Add(u"PID", ftInteger);
  t->CreateDataSet();
  t->AppendRecord({1, u"строка 'один'", 1.5, Variant(TDateTime(45000.25)), true, Variant(Currency(12.34)),
                   Variant(Int64(1) << 40), u"memo", VarArrayOfBytes({1, 2, 3}), Null()});
  t->AppendRecord({2, Null(), Null(), Null(), Null(), Null(), Null(), Null(), Null(), 1});
  for (TDfmStreamFormatEh format : {dfmBinaryEh, dfmTextEh}) {
    const std::string path = TempPath(format == dfmBinaryEh ? "b.dat" : "t.dat");
    t->SaveToFile(Utf8ToString(path), format);
    auto* copy = new TMemTableEh(owner_.get());
    copy->LoadFromFile(Utf8ToString(path));
    copy->Open();
    ASSERT_EQ(copy->RecordCount(), 2);
    copy->First();
    for (TField* field : t->GetFields()->List()) {
      t->First();
      EXPECT_TRUE(
          VarEqualsEh(copy->FieldByName(field->GetFieldName())->GetAsVariant(), field->GetAsVariant()) ||
          VarToStr(copy->FieldByName(field->GetFieldName())->GetAsVariant()) ==
              VarToStr(field->GetAsVariant()))
          << StringToUtf8(field->GetFieldName());
    }
    copy->Next();
    EXPECT_TRUE(copy->FieldByName(u"X")->IsNull()) << "a null blob stays null";
    EXPECT_TRUE(copy->FieldByName(u"S")->IsNull());
    copy->GetTreeList()->SetKeyFieldName(u"I");
    copy->GetTreeList()->SetRefParentFieldName(u"PID");
    copy->GetTreeList()->SetActive(true);
    copy->First();
    EXPECT_TRUE(copy->GetTreeNodeHasChildren()) << "the tree is rebuilt from the loaded keys";

    // A truncated file raises and the table keeps its rows.
    std::string bytes;
    {
      std::ifstream in(path, std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size() / 2));
    }
    Integer shown = copy->RecordCount();
    EXPECT_ANY_THROW(copy->LoadFromFile(Utf8ToString(path)));
    EXPECT_TRUE(copy->GetActive());
    EXPECT_EQ(copy->RecordCount(), shown);
    EXPECT_EQ(copy->GetMemTableData()->GetRecordsList()->GetCount(), 2);
    std::remove(path.c_str());
  }
}

TEST_F(MemTableTest, SaveReplacesTheFileOnlyWhenComplete) {
  TMemTableEh* t = MakeTable({{1, u"a", 1.0, Null()}});
  const std::string path = TempPath("keep.dat");
  t->SaveToFile(Utf8ToString(path));
  auto before = std::filesystem::file_size(path);
  // The folder becomes read-only: the temporary file cannot be made and the old file stays whole.
  const std::string dir = TempPath("ro");
  std::filesystem::create_directory(dir);
  const std::string inside = dir + "/t.dat";
  t->SaveToFile(Utf8ToString(inside));
  std::filesystem::permissions(dir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  t->AppendRecord({2, u"b", 2.0, Null()});
  if (getuid() != 0) {
    EXPECT_ANY_THROW(t->SaveToFile(Utf8ToString(inside)));
    EXPECT_EQ(std::filesystem::file_size(inside), before);
  }
  std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
  std::filesystem::remove_all(dir);
  std::remove(path.c_str());
}

TEST_F(MemTableTest, ExternalDataIsSharedAndCannotBeCircular) {
  TMemTableEh* source = MakeTable({{1, u"a", 1.0, Null()}, {2, u"b", 2.0, Null()}});
  auto* view = new TMemTableEh(owner_.get());
  EXPECT_THROW(view->SetExternalMemData(view), Exception);
  view->SetExternalMemData(source);
  view->Open();
  EXPECT_EQ(Ids(view), (std::vector<int>{1, 2}));
  view->SetFilter(u"ID > 1");
  view->SetFiltered(true);
  EXPECT_EQ(Ids(view), (std::vector<int>{2}));
  EXPECT_EQ(Ids(source), (std::vector<int>{1, 2})) << "each table filters its own view";
  source->AppendRecord({3, u"c", 3.0, Null()});
  EXPECT_EQ(Ids(view), (std::vector<int>{2, 3}));
}

TEST_F(MemTableTest, LoadFromMemTableCopiesTheShownRecordsOrAll) {
  TMemTableEh* source = MakeTable({{1, u"a", 1.0, Null()}, {2, u"b", 2.0, Null()}, {3, u"c", 3.0, Null()}});
  source->SetFilter(u"ID <> 2");
  source->SetFiltered(true);
  auto* copy = new TMemTableEh(owner_.get());
  EXPECT_EQ(copy->LoadFromMemTableEh(source, 0, lmCopy, {tloOpenOnLoad}), 2);
  EXPECT_EQ(Ids(copy), (std::vector<int>{1, 3}));
  EXPECT_EQ(copy->LoadFromMemTableEh(source, 0, lmCopy, {tloOpenOnLoad, tloDisregardFilterEh}), 3);
  EXPECT_EQ(copy->LoadFromMemTableEh(source, 0, lmCopyStructureOnly, {tloOpenOnLoad}), 0);
  EXPECT_EQ(copy->RecordCount(), 0);

  auto* target = new TMemTableEh(owner_.get());
  target->LoadFromDataSet(source, 0, lmCopy, false);
  EXPECT_EQ(Ids(target), (std::vector<int>{1, 3}));
}

TEST_F(MemTableTest, DetailShowsTheMastersRecordsAndFollowsItsCursor) {
  TMemTableEh* master = MakeTable({{1, u"a", 0.0, Null()}, {2, u"b", 0.0, Null()}});
  TMemTableEh* detail = MakeTable({{10, u"x", 0.0, 1}, {11, u"y", 0.0, 2}, {12, u"z", 0.0, 1}});
  auto* source = new TDataSource(owner_.get());
  source->SetDataSet(master);
  detail->SetDetailFields(u"PID");
  detail->SetMasterFields(u"ID");
  detail->SetMasterSource(source);
  EXPECT_EQ(Ids(detail), (std::vector<int>{10, 12}));
  master->Next();
  EXPECT_EQ(Ids(detail), (std::vector<int>{11}));
  detail->Append();
  EXPECT_EQ(detail->FieldByName(u"PID")->GetAsInteger(), 2) << "a new detail record takes the master's key";
  detail->FieldByName(u"ID")->SetAsInteger(13);
  detail->Post();
  EXPECT_EQ(Ids(detail), (std::vector<int>{11, 13}));
  master->First();
  EXPECT_EQ(Ids(detail), (std::vector<int>{10, 12}));
}

TEST_F(MemTableTest, DroppingANodeDeeperThanTheRowAboveMakesItThatRowsChildUnlessThatLoops) {
  TMemTableEh* t = MakeTable({{1, u"a", 0.0, Null()}, {2, u"b", 0.0, 1}, {3, u"c", 0.0, Null()}});
  t->GetTreeList()->SetKeyFieldName(u"ID");
  t->GetTreeList()->SetRefParentFieldName(u"PID");
  t->GetTreeList()->SetDefaultNodeExpanded(true);
  t->GetTreeList()->SetActive(true);
  t->GetTreeList()->FullExpand();
  EXPECT_EQ(Ids(t), (std::vector<int>{1, 2, 3}));
  EXPECT_FALSE(t->MoveRecord(0, 1, 3, true)) << "a node cannot go under its own child";
  // Row 2 (ID 3) dropped above row 1 at a level deeper than row 0's: it becomes row 0's child.
  EXPECT_TRUE(t->MoveRecord(2, 1, 3, false));
  t->Locate(u"ID", 3, {});
  EXPECT_EQ(t->FieldByName(u"PID")->GetAsInteger(), 1);
  EXPECT_EQ(t->GetTreeNodeLevel(), 2);
}

}  // namespace

namespace {

std::string StreamedText(TComponent* component) {
  TMemoryStream binary, text;
  binary.WriteComponent(component);
  binary.SetPosition(0);
  ObjectBinaryToText(&binary, &text);
  return std::string(static_cast<const char*>(text.GetMemory()), static_cast<size_t>(text.GetSize()));
}

}  // namespace

TEST_F(MemTableTest, AFormResourceSetsUpTheTableAndItsDefinitionsStreamOnlyWhenStored) {
  const String resource =
      u"object Module: TComponent\n"
      u"  object driver: TDataDriverEh\n"
      u"  end\n"
      u"  object parts: TMemTableEh\n"
      u"    CachedUpdates = True\n"
      u"    DataDriver = driver\n"
      u"    FieldDefs = <\n"
      u"      item\n"
      u"        Name = 'ID'\n"
      u"        DataType = ftInteger\n"
      u"      end\n"
      u"      item\n"
      u"        Name = 'NAME'\n"
      u"        DataType = ftWideString\n"
      u"        Size = 20\n"
      u"      end>\n"
      u"    MasterDetailSide = mdsOnProviderEh\n"
      u"    Options = [mtoTextFieldsCaseInsensitive]\n"
      u"    SortOrder = 'NAME'\n"
      u"    StoreDefs = True\n"
      u"    TreeList.KeyFieldName = 'ID'\n"
      u"    TreeList.DefaultNodeExpanded = True\n"
      u"  end\n"
      u"end\n";
  TMemoryStream in, binary;
  const std::string utf8 = StringToUtf8(resource);
  in.WriteBuffer(utf8.data(), static_cast<Integer>(utf8.size()));
  in.SetPosition(0);
  ObjectTextToBinary(&in, &binary);
  binary.SetPosition(0);
  TComponent module(nullptr);
  ReadComponentFromStream(&binary, &module);

  auto* parts = dynamic_cast<TMemTableEh*>(module.FindComponent(u"parts"));
  ASSERT_NE(parts, nullptr);
  EXPECT_EQ(parts->GetDataDriver(), module.FindComponent(u"driver"));
  EXPECT_TRUE(parts->GetCachedUpdates());
  EXPECT_EQ(parts->GetMasterDetailSide(), mdsOnProviderEh);
  EXPECT_TRUE(parts->GetOptions().Contains(mtoTextFieldsCaseInsensitive));
  EXPECT_EQ(parts->GetSortOrder(), u"NAME");
  EXPECT_EQ(parts->GetTreeList()->GetKeyFieldName(), u"ID");
  EXPECT_TRUE(parts->GetTreeList()->GetDefaultNodeExpanded());
  ASSERT_EQ(parts->GetFieldDefs()->GetCount(), 2);
  EXPECT_EQ(parts->GetFieldDefs()->GetItem(1)->GetSize(), 20);

  std::string written = StreamedText(parts);
  EXPECT_NE(written.find("StoreDefs = True"), std::string::npos) << written;
  EXPECT_NE(written.find("FieldDefs = <"), std::string::npos) << written;
  EXPECT_NE(written.find("SortOrder = 'NAME'"), std::string::npos) << written;
  EXPECT_EQ(written.find("ReadOnly"), std::string::npos) << "a default is not written";
  parts->SetStoreDefs(false);
  EXPECT_EQ(StreamedText(parts).find("FieldDefs"), std::string::npos);
}

TEST_F(MemTableTest, EveryFieldTypeRoundTripsThroughBothFileFormsAndCorruptionIsRefused) {
  struct Case {
    TFieldType type;
    Integer size;
    Variant value;
  };
  TBcd bcd;
  ASSERT_TRUE(TryStrToBcd(u"-12345.678", bcd));
  const std::vector<Case> cases = {
      {ftString, 20, Variant(String(u"Ansi; -- 'x'"))},
      {ftWideString, 20, Variant(String(u"Юникод /* */"))},
      {ftFixedChar, 5, Variant(String(u"ab"))},
      {ftFixedWideChar, 5, Variant(String(u"яб"))},
      {ftGuid, 38, Variant(String(u"{6F9619FF-8B86-D011-B42D-00C04FC964FF}"))},
      {ftSmallint, 0, Variant(-300)},
      {ftInteger, 0, Variant(-2000000000)},
      {ftWord, 0, Variant(65000)},
      {ftShortint, 0, Variant(-100)},
      {ftByte, 0, Variant(200)},
      {ftLongWord, 0, Variant(static_cast<Int64>(4000000000LL))},
      {ftLargeint, 0, Variant(static_cast<Int64>(-1) << 50)},
      {ftAutoInc, 0, Variant(17)},
      {ftBoolean, 0, Variant(true)},
      {ftFloat, 0, Variant(-1.0 / 3)},
      {ftSingle, 0, Variant(0.5)},
      {ftExtended, 0, Variant(1e300)},
      {ftCurrency, 0, Variant(Currency::FromRaw(-1234567))},
      {ftBCD, 4, Variant(Currency::FromRaw(98765432))},
      {ftFMTBcd, 3, Variant(bcd)},
      {ftDate, 0, Variant::FromDate(45000)},
      {ftTime, 0, Variant::FromDate(0.75)},
      {ftDateTime, 0, Variant::FromDate(45000.5)},
      {ftTimeStamp, 0, Variant(TSQLTimeStamp{2024, 2, 29, 13, 14, 15, 0})},
      {ftMemo, 0, Variant(String(u"memo text"))},
      {ftWideMemo, 0, Variant(String(u"широкий текст"))},
      {ftBlob, 0, VarArrayOfBytes({0, 255, 7})},
      {ftBytes, 3, VarArrayOfBytes({1, 2, 3})},
      {ftVarBytes, 4, VarArrayOfBytes({4, 5})},
  };
  auto* t = new TMemTableEh(owner_.get());
  for (size_t i = 0; i < cases.size(); ++i)
    t->GetFieldDefs()->Add(u"F" + IntToStr(static_cast<Integer>(i)), cases[i].type, cases[i].size);
  t->CreateDataSet();
  t->Append();
  for (size_t i = 0; i < cases.size(); ++i)
    t->GetFields()->GetField(static_cast<int>(i))->SetAsVariant(cases[i].value);
  t->Post();
  t->Append();  // a row of nulls, but for the generated number
  t->Post();
  for (TDfmStreamFormatEh format : {dfmBinaryEh, dfmTextEh}) {
    const std::string path = TempPath(format == dfmBinaryEh ? "all.b" : "all.t");
    t->SaveToFile(Utf8ToString(path), format);
    auto* copy = new TMemTableEh(owner_.get());
    copy->LoadFromFile(Utf8ToString(path));
    copy->Open();
    ASSERT_EQ(copy->RecordCount(), 2);
    t->First();
    copy->First();
    for (size_t i = 0; i < cases.size(); ++i) {
      TField* saved = t->GetFields()->GetField(static_cast<int>(i));
      TField* loaded = copy->GetFields()->GetField(static_cast<int>(i));
      SCOPED_TRACE(StringToUtf8(FieldTypeName(cases[i].type)) +
                   (format == dfmBinaryEh ? " binary" : " text"));
      EXPECT_EQ(loaded->GetDataType(), saved->GetDataType());
      EXPECT_FALSE(loaded->IsNull());
      EXPECT_EQ(StringToUtf8(loaded->GetAsString()), StringToUtf8(saved->GetAsString()));
    }
    copy->Next();
    for (TField* field : copy->GetFields()->List()) {
      if (field->GetDataType() == ftAutoInc) continue;  // given its number when appended
      EXPECT_TRUE(field->IsNull()) << StringToUtf8(field->GetFieldName()) << " stays null";
    }

    // Damage in the middle of the file (not only a short file) is refused and the table keeps its rows.
    std::string bytes;
    {
      std::ifstream in(path, std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    for (size_t at = bytes.size() / 3; at < bytes.size() / 3 + 16 && at < bytes.size(); ++at)
      bytes[at] = '\x7F';
    {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    EXPECT_ANY_THROW(copy->LoadFromFile(Utf8ToString(path)));
    EXPECT_EQ(copy->GetMemTableData()->GetRecordsList()->GetCount(), 2);
    EXPECT_EQ(copy->GetFields()->GetCount(), static_cast<int>(cases.size()));
    std::remove(path.c_str());
  }
}
