// The footer sum list over the test dataset and the in-memory table: aggregates against a
// recomputation after random changes, the application's handlers kept, missing fields, filters and
// the producer's own record numbering.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gridlib/dbgrid/DBSumListEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "platform/data/DataSource.h"
#include "tests/gridlib/dbgrid/DBGridTestSupport.h"
#include "tests/gridlib/dbgrid/SumListModel.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

using namespace sumlist_model;

class DBSumListTest : public ::testing::Test {
 protected:
  void SetUp() override { InitializeMemTableEh(); }

  // ID and AMOUNT (money, four decimals), rows of {id, amount}.
  TTestDataSet* TestData(std::initializer_list<std::vector<Variant>> rows) {
    auto* ds = new TTestDataSet(owner_.get());
    ds->GetFieldDefs()->Add(u"ID", ftInteger);
    ds->GetFieldDefs()->Add(u"AMOUNT", ftBCD, 4);
    for (const auto& row : rows) ds->AddRow(row);
    ds->Open();
    return ds;
  }

  TMemTableEh* MemTable(std::initializer_list<std::vector<Variant>> rows) {
    auto* table = new TMemTableEh(owner_.get());
    table->GetFieldDefs()->Add(u"ID", ftInteger);
    table->GetFieldDefs()->Add(u"AMOUNT", ftBCD, 4);
    table->CreateDataSet();
    for (const auto& row : rows) {
      table->Append();
      table->SetFields(row);
      table->Post();
    }
    table->First();
    return table;
  }

  TDBSum* AddSum(TDBSumListProducer& producer, TGroupOperation op, const String& field) {
    TDBSum* sum = producer.GetSumCollection()->Add();
    sum->SetGroupOperation(op);
    sum->SetFieldName(field);
    return sum;
  }

  static Variant Money(const Char* text) { return Variant(StrToCurr(text)); }

  std::unique_ptr<TComponent> owner_ = std::make_unique<TComponent>(nullptr);
};

TEST_F(DBSumListTest, SumsStayEqualToARecomputationOverRandomChanges) {
  struct Case {
    const char* name;
    bool memTable;
    bool filtered;
  };
  for (Case c : {Case{"test dataset", false, false}, Case{"filtered test dataset", false, true},
                 Case{"in-memory table", true, false}}) {
    SCOPED_TRACE(c.name);
    TDataSet* ds = c.memTable ? static_cast<TDataSet*>(MemTable({{1, Money(u"10,5")}, {2, Variant::Null()}}))
                              : TestData({{1, Money(u"10,5")}, {2, Variant::Null()}});
    if (c.filtered) {
      // Accepts every record, so that the dataset is filtered and not sequenced.
      ds->SetOnFilterRecord([](TDataSet*, bool& accept) { accept = true; });
      ds->SetFiltered(true);
    }
    TDBSumListProducer producer(nullptr);
    AddSums(producer);
    producer.SetDataSet(ds);
    RunRandomChanges(producer, ds, 300, 20260101u + (c.memTable ? 7 : 0) + (c.filtered ? 3 : 0));
    if (HasFatalFailure()) return;
    // Closing zeroes the values, opening brings them back.
    ds->Close();
    EXPECT_EQ(producer.GetSumCollection()->GetItem(3)->SumValue, Currency());
    ds->Open();
    ExpectAgrees(producer, ds, "after reopening");
  }
}

TEST_F(DBSumListTest, TheApplicationsHandlersRunWhileAttachedAndAfterLettingGo) {
  TTestDataSet* ds = TestData({{1, Money(u"1")}, {2, Money(u"2")}});
  std::vector<std::string> seen;
  auto record = [&seen](const char* name) { return [&seen, name](TDataSet*) { seen.push_back(name); }; };
  ds->AfterEdit = record("edit");
  ds->AfterInsert = record("insert");
  ds->AfterOpen = record("open");
  ds->AfterPost = record("post");
  ds->AfterScroll = record("scroll");
  ds->BeforeDelete = record("delete");
  ds->AfterClose = record("close");
  ds->AfterCancel = record("cancel");
  TDataSetNotifyEvent originalPost = ds->AfterPost;
  TDataSetNotifyEvent originalScroll = ds->AfterScroll;

  // The same script of dataset operations, with the handlers each must reach.
  // It leaves the records as they were, so that every run sees the same.
  auto script = [&] {
    seen.clear();
    ds->Last();
    ds->Edit();
    ds->Post();
    ds->Append();
    ds->Cancel();
    ds->Append();
    SetAmount(ds, Money(u"5"));
    ds->Post();
    ds->Delete();
    ds->First();
    ds->Close();
    ds->Open();
  };
  script();
  const std::vector<std::string> expected = seen;
  ASSERT_GE(expected.size(), 12u);

  auto producer = std::make_unique<TDBSumListProducer>(nullptr);
  AddSum(*producer, goSum, u"AMOUNT");
  producer->SetDataSet(ds);
  ASSERT_TRUE(producer->GetEventsOverloaded());
  seen.clear();
  script();
  // The sum list's own walk on opening scrolls too; what matters is that each handler still runs.
  for (const char* name : {"edit", "post", "insert", "cancel", "delete", "close", "open"})
    EXPECT_NE(std::find(seen.begin(), seen.end(), name), seen.end()) << name << " while attached";
  EXPECT_EQ(producer->GetSumCollection()->GetItem(0)->SumValue, Currency(3));

  // A handler the application puts in while the list is attached stays when the list lets go; the
  // others get their original handlers back.
  int ownPosts = 0;
  ds->AfterPost = [&ownPosts](TDataSet*) { ++ownPosts; };
  producer.reset();
  EXPECT_EQ(ds->AfterScroll, originalScroll);
  EXPECT_FALSE(ds->AfterPost == originalPost);
  ds->Edit();
  ds->Post();
  EXPECT_EQ(ownPosts, 1);
  ds->AfterPost = originalPost;
  script();
  EXPECT_EQ(seen, expected) << "after letting go";
}

TEST_F(DBSumListTest, TwoListsOnOneDatasetLetGoInEitherOrder) {
  for (bool firstGoesFirst : {true, false}) {
    SCOPED_TRACE(firstGoesFirst ? "first attached lets go first" : "last attached lets go first");
    TTestDataSet* ds = TestData({{1, Money(u"1")}, {2, Money(u"2")}});
    int posts = 0;
    ds->AfterPost = [&posts](TDataSet*) { ++posts; };
    TDataSetNotifyEvent original = ds->AfterPost;
    auto first = std::make_unique<TDBSumListProducer>(nullptr);
    auto second = std::make_unique<TDBSumListProducer>(nullptr);
    AddSum(*first, goSum, u"AMOUNT");
    AddSum(*second, goSum, u"AMOUNT");
    first->SetDataSet(ds);
    second->SetDataSet(ds);
    (firstGoesFirst ? first : second).reset();
    TDBSumListProducer* staying = first ? first.get() : second.get();
    // The remaining list still hears the posts, and so does the application; nobody calls the list
    // that went away.
    ds->Last();
    ds->Edit();
    SetAmount(ds, Money(u"5"));
    ds->Post();
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(staying->GetSumCollection()->GetItem(0)->SumValue, Currency(6));
    first.reset();
    second.reset();
    EXPECT_EQ(ds->AfterPost, original);
  }
}

TEST_F(DBSumListTest, AFieldTheDatasetLacksLeavesItsAggregateAtZeroAndTheRestWorking) {
  TTestDataSet* ds = TestData({{1, Money(u"1,25")}, {2, Money(u"2")}});
  ds->Close();
  TDBSumListProducer producer(nullptr);
  TDBSum* missing = AddSum(producer, goSum, u"PRICE");
  TDBSum* amount = AddSum(producer, goSum, u"AMOUNT");
  TDBSum* count = AddSum(producer, goCount, u"PRICE");
  producer.SetDataSet(ds);
  ASSERT_NO_THROW(ds->Open());
  EXPECT_TRUE(missing->GetFieldMissing());
  EXPECT_TRUE(count->GetFieldMissing());
  EXPECT_FALSE(amount->GetFieldMissing());
  EXPECT_EQ(amount->SumValue, StrToCurr(u"3,25"));
  ds->Edit();
  ds->Post();
  ds->Delete();
  EXPECT_EQ(missing->SumValue, Currency());
  EXPECT_EQ(count->SumValue, Currency());
  EXPECT_EQ(amount->SumValue, Currency(2));
  // Renaming the aggregate to a field that exists clears the flag.
  missing->SetFieldName(u"ID");
  EXPECT_FALSE(missing->GetFieldMissing());
  EXPECT_EQ(missing->SumValue, Currency(2));
}

TEST_F(DBSumListTest, AnAggregateAddedToAWorkingListIsSummedAtOnce) {
  TTestDataSet* ds = TestData({{1, Money(u"1,25")}, {2, Money(u"2")}});
  TDBSumListProducer producer(nullptr);
  AddSum(producer, goSum, u"AMOUNT");
  producer.SetDataSet(ds);
  producer.SetActive(true);
  // The list recalculates as the aggregate joins; it must find the aggregate whole.
  TDBSum* count = AddSum(producer, goCount, u"AMOUNT");
  EXPECT_EQ(count->SumValue, Currency(2));
}

TEST_F(DBSumListTest, AFilterChangeRecalculatesOnTheNextScrollOnly) {
  TTestDataSet* ds = TestData({{1, Money(u"1")}, {2, Money(u"2")}, {3, Money(u"4")}});
  TDBSumListProducer producer(nullptr);
  TDBSum* sum = AddSum(producer, goSum, u"AMOUNT");
  producer.SetDataSet(ds);
  int rerecordss = 0;
  producer.OnRecalcAll = [&rerecordss](TObject*) { ++rerecordss; };
  ds->Next();
  EXPECT_EQ(rerecordss, 0) << "a scroll without a filter change";
  ds->SetFilter(u"ID > 1");
  ds->SetFiltered(true);
  EXPECT_EQ(sum->SumValue, Currency(6));
  ds->SetFilter(u"ID > 2");
  ds->Next();
  EXPECT_EQ(sum->SumValue, Currency(4));
  rerecordss = 0;
  ds->First();
  EXPECT_EQ(rerecordss, 0);
}

TEST_F(DBSumListTest, ARecalculationAskedForDuringAnEditWaitsForThePost) {
  TTestDataSet* ds = TestData({{1, Money(u"1")}, {2, Money(u"2")}});
  TDBSumListProducer producer(nullptr);
  TDBSum* sum = AddSum(producer, goSum, u"AMOUNT");
  producer.SetDataSet(ds);
  ds->Last();
  ds->Edit();
  SetAmount(ds, Money(u"5"));
  TDBSum* count = AddSum(producer, goCount, u"");
  EXPECT_EQ(ds->GetState(), dsEdit) << "the user's edit is not posted behind their back";
  EXPECT_EQ(ds->InternalPostCount(), 0);
  ds->Post();
  EXPECT_EQ(sum->SumValue, Currency(6));
  EXPECT_EQ(count->SumValue, Currency(2));
}

TEST_F(DBSumListTest, ExternalRecalcLeavesTheValuesToTheApplication) {
  TTestDataSet* ds = TestData({{1, Money(u"1")}, {2, Money(u"2")}});
  TDBSumListProducer producer(nullptr);
  TDBSum* sum = AddSum(producer, goSum, u"AMOUNT");
  producer.SetDataSet(ds);
  producer.OnRecalcAll = [sum](TObject*) { sum->SumValue = Currency(42); };
  bool after = false;
  producer.OnAfterRecalcAll = [&after](TObject*) { after = true; };
  producer.SetExternalRecalc(true);
  EXPECT_EQ(sum->SumValue, Currency(42));
  EXPECT_FALSE(after);
}

TEST_F(DBSumListTest, ReplacingOrFreeingTheDatasetMovesOrDropsTheHooks) {
  TTestDataSet* a = TestData({{1, Money(u"1")}});
  TTestDataSet* b = TestData({{1, Money(u"7")}, {2, Money(u"8")}});
  int posts = 0;
  a->AfterPost = [&posts](TDataSet*) { ++posts; };
  TDataSetNotifyEvent original = a->AfterPost;
  TDBSumListProducer producer(nullptr);
  TDBSum* sum = AddSum(producer, goSum, u"AMOUNT");
  producer.SetDataSet(a);
  producer.SetDataSet(a);
  EXPECT_EQ(sum->SumValue, Currency(1));
  producer.SetDataSet(b);
  EXPECT_EQ(a->AfterPost, original);
  EXPECT_EQ(sum->SumValue, Currency(15));
  delete b;
  EXPECT_EQ(producer.GetDataSet(), nullptr);
  EXPECT_FALSE(producer.GetEventsOverloaded());
  EXPECT_EQ(sum->SumValue, Currency()) << "closing on its way out cleared the values";
}

TEST_F(DBSumListTest, TheInMemoryTableAggregatesAndLaterPostsAdjustItsAverage) {
  TMemTableEh* table = MemTable({{1, Money(u"1")}, {2, Money(u"2")}, {3, Variant::Null()}});
  TDBSumListProducer producer(nullptr);
  TDBSum* avg = AddSum(producer, goAvg, u"AMOUNT");
  TDBSum* records = AddSum(producer, goCount, u"");
  int scrolls = 0;
  table->AfterScroll = [&scrolls](TDataSet*) { ++scrolls; };
  producer.SetDataSet(table);
  EXPECT_EQ(scrolls, 0) << "the table aggregates without a walk over its records";
  EXPECT_EQ(avg->SumValue, StrToCurr(u"1,5"));
  EXPECT_EQ(avg->GetNotNullRecordCount(), 2);
  EXPECT_EQ(records->SumValue, Currency(3));
  table->Last();
  table->Edit();
  SetAmount(table, Money(u"6"));
  table->Post();
  EXPECT_EQ(avg->SumValue, Currency(3));
}

TEST_F(DBSumListTest, AMasterRecordMoveRecalculatesAndTheMastersOwnHandlerStays) {
  TTestDataSet* master = TestData({{1, Money(u"1")}, {2, Money(u"2")}});
  auto* source = new TDataSource(owner_.get());
  source->SetDataSet(master);
  TMemTableEh* detail = MemTable({{1, Money(u"5")}});
  detail->SetMasterSource(source);
  int masterScrolls = 0;
  master->AfterScroll = [&masterScrolls](TDataSet*) { ++masterScrolls; };
  TDataSetNotifyEvent original = master->AfterScroll;
  auto producer = std::make_unique<TDBSumListProducer>(nullptr);
  AddSum(*producer, goSum, u"AMOUNT");
  producer->SetDataSet(detail);
  int recalcs = 0;
  producer->OnRecalcAll = [&recalcs](TObject*) { ++recalcs; };
  master->Next();
  EXPECT_EQ(masterScrolls, 1);
  EXPECT_EQ(recalcs, 1);
  producer.reset();
  EXPECT_EQ(master->AfterScroll, original);
}

TEST_F(DBSumListTest, VirtualRecordsNumberAnUnsequencedDataset) {
  TTestDataSet* ds = TestData({{1, Money(u"1")}, {2, Money(u"2")}, {3, Money(u"3")}, {4, Money(u"4")}});
  ds->SetOnFilterRecord(
      [](TDataSet* d, bool& accept) { accept = d->FieldByName(u"ID")->GetAsInteger() != 2; });
  ds->SetFiltered(true);
  ASSERT_FALSE(ds->IsSequenced());
  TDBSumListProducer producer(nullptr);
  producer.SetDataSet(ds);
  producer.SetVirtualRecords(true);
  EXPECT_TRUE(producer.IsSequenced());
  EXPECT_EQ(producer.RecordCount(), 3);
  producer.SetRecNo(3);
  EXPECT_EQ(ds->FieldByName(u"ID")->GetAsInteger(), 4);
  EXPECT_EQ(producer.GetRecNo(), 3);
  // An inserted record is numbered at its place once posted; a deleted one leaves the numbering.
  ds->First();
  ds->Next();
  ds->Insert();
  ds->FieldByName(u"ID")->SetAsInteger(9);
  ds->Post();
  EXPECT_EQ(producer.RecordCount(), 4);
  EXPECT_EQ(producer.GetRecNo(), 2);
  producer.SetRecNo(4);
  EXPECT_EQ(ds->FieldByName(u"ID")->GetAsInteger(), 4);
  ds->First();
  ds->Delete();
  EXPECT_EQ(producer.RecordCount(), 3);
  EXPECT_EQ(producer.GetRecNo(), 1);
  EXPECT_EQ(ds->FieldByName(u"ID")->GetAsInteger(), 9);
}

TEST_F(DBSumListTest, SumsAreFoundByOperationAndFieldIgnoringCase) {
  TDBSumListProducer producer(nullptr);
  TDBSum* first = AddSum(producer, goSum, u"Сумма");
  AddSum(producer, goSum, u"СУММА");
  TDBSum* avg = AddSum(producer, goAvg, u"сумма");
  EXPECT_EQ(producer.GetSumCollection()->GetSumByOpAndFName(goSum, u"сумма"), first);
  EXPECT_EQ(producer.GetSumCollection()->GetSumByOpAndFName(goAvg, u"СУММА"), avg);
  EXPECT_EQ(producer.GetSumCollection()->GetSumByOpAndFName(goCount, u"сумма"), nullptr);
}

}  // namespace

namespace {

using namespace sumlist_model;

// The grid's own sum list fed by its footers: Sum, Avg and Count footers over AMOUNT against a
// recomputation after random changes, and the application's handlers around the grid's life.
TEST(DBGridFooterSums, FooterSumsStayEqualToARecomputationAndTheApplicationsHandlersStay) {
  InitTestApplication();
  auto form = std::make_unique<TForm>(nullptr, 0);
  form->SetBounds(0, 0, 640, 400);
  auto* ds = new TTestDataSet(form.get());
  ds->GetFieldDefs()->Add(u"ID", ftInteger);
  ds->GetFieldDefs()->Add(u"AMOUNT", ftBCD, 4);
  for (int i = 1; i <= 12; ++i)
    ds->AddRow(
        {Variant(i), i % 5 == 0 ? Variant::Null() : Variant(Currency::FromRaw(i * 123457LL - 600000))});
  ds->Open();
  int appPosts = 0, appDeletes = 0;
  ds->AfterPost = [&appPosts](TDataSet*) { ++appPosts; };
  ds->BeforeDelete = [&appDeletes](TDataSet*) { ++appDeletes; };
  TDataSetNotifyEvent ownPost = ds->AfterPost;

  TDataSource* source = nullptr;
  auto* grid = ShowGridOver(form.get(), ds, &source);
  TDBGridColumnsEh* columns = grid->GetColumns();
  columns->SetState(csCustomized);
  std::vector<TColumnFooterEh*> footers;
  for (TFooterValueType kind : {fvtSum, fvtAvg, fvtCount}) {
    TColumnEh* column = columns->Add();
    column->SetFieldName(u"AMOUNT");
    column->GetFooter()->SetValueType(kind);
    footers.push_back(column->GetFooter());
  }
  grid->SetFooterRowCount(1);
  grid->GetSumList()->SetActive(true);
  ASSERT_TRUE(grid->GetSumList()->GetEventsOverloaded());

  auto footerValue = [&](size_t i) { return footers[i]->GetSumValue().AsCurrency(); };
  std::mt19937 rng(77u);
  for (int step = 0; step < 150; ++step) {
    const unsigned kind = rng() % 3;
    GoToRandomRecord(ds, rng);
    if (kind == 0) {
      ds->Append();
      SetAmount(ds, RandomAmount(rng));
      ds->Post();
    } else if (kind == 1 && !ds->IsEmpty()) {
      ds->Edit();
      SetAmount(ds, RandomAmount(rng));
      ds->Post();
    } else if (!ds->IsEmpty()) {
      ds->Delete();
    }
    const Expected e = Recompute(ds);
    ASSERT_EQ(footerValue(0), e.sum) << "step " << step;
    ASSERT_EQ(footerValue(1), e.avg) << "step " << step;
    ASSERT_EQ(footerValue(2), Currency(e.records)) << "step " << step;
  }
  EXPECT_GT(appPosts, 0);
  EXPECT_GT(appDeletes, 0);

  // The grid lets go: the application's handlers are where they were.
  const int posts = appPosts;
  delete grid;
  EXPECT_EQ(ds->AfterPost, ownPost);
  ds->Edit();
  ds->Post();
  EXPECT_EQ(appPosts, posts + 1);
}

}  // namespace
