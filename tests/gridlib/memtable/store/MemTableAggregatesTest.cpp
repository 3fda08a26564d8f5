// The aggregates collection over a records view: items follow the table's aggregate fields, results
// are null while the table is closed, and an expression changed inside an update waits for Recalc.
#include <gtest/gtest.h>

#include "gridlib/memtable/MemRecordsViewEh.h"
#include "gridlib/memtable/MemTableDataAggrEh.h"
#include "tests/gridlib/memtable/store/StoreFixture.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

class AggregatesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table = new TTestDataSet(&owner);
    table->GetFieldDefs()->Add(u"Amount", ftFloat);
    total = new TAggregateField(&owner);
    total->SetFieldName(u"Total");
    total->SetExpression(u"SUM(Amount)");
    total->SetActive(true);
    total->SetDataSet(table);
    average = new TAggregateField(&owner);
    average->SetFieldName(u"Average");
    average->SetExpression(u"AVG(Amount)");
    average->SetActive(true);
    average->SetDataSet(table);
    AddField(store, u"Amount", ftFloat);
    for (Variant v : {Variant(10.0), Variant::Null(), Variant(20.0)}) AddRow(store, {v});
    view = std::make_unique<TRecordsViewEh>(table);
    view->SetMemTableData(&store);
  }
  TComponent owner{nullptr};
  TTestDataSet* table = nullptr;
  TAggregateField* total = nullptr;
  TAggregateField* average = nullptr;
  TMemTableDataEh store{nullptr};
  std::unique_ptr<TRecordsViewEh> view;
};

}  // namespace

TEST_F(AggregatesTest, ItemsFollowTheFieldsAndComputeWhileOpen) {
  table->Open();
  TMTAggregatesEh aggregates(view.get());
  aggregates.SetActive(true);
  ASSERT_EQ(aggregates.GetCount(), 2);
  TMTAggregateEh* sum = aggregates.FindItemForField(total);
  ASSERT_NE(sum, nullptr);
  EXPECT_EQ(sum->GetDataType(), ftFloat);
  EXPECT_EQ(sum->GetDisplayName(), u"SUM(Amount)");
  EXPECT_DOUBLE_EQ(sum->GetValue().AsDouble(), 30.0);
  // The null row does not count for the average.
  EXPECT_DOUBLE_EQ(aggregates.FindItemForField(average)->GetValue().AsDouble(), 15.0);
  EXPECT_DOUBLE_EQ(total->GetAsVariant().AsDouble(), 30.0);

  // Inside an update the new expression is compiled but the value waits for the next Recalc.
  aggregates.BeginUpdate();
  sum->SetExpression(u"COUNT(*)");
  EXPECT_DOUBLE_EQ(sum->GetValue().AsDouble(), 30.0);
  aggregates.EndUpdate();
  aggregates.Recalc();
  EXPECT_EQ(sum->GetValue().AsInteger(), 3);

  // MIN and MAX start from the first value, not from a leading null; AVG of no values is null.
  store.GetRecordsList()->SetValue(0, 0, Variant::Null());
  sum->SetExpression(u"MIN(Amount)");
  EXPECT_DOUBLE_EQ(sum->GetValue().AsDouble(), 20.0);
  sum->SetExpression(u"MAX(Amount)");
  EXPECT_DOUBLE_EQ(sum->GetValue().AsDouble(), 20.0);
  store.GetRecordsList()->PersistDeleteRecords({{0, 2}});
  aggregates.Recalc();
  EXPECT_TRUE(aggregates.FindItemForField(average)->GetValue().IsNull());

  table->Close();
  aggregates.Recalc();
  EXPECT_TRUE(sum->GetValue().IsNull());
  EXPECT_TRUE(aggregates.FindItemForField(average)->GetValue().IsNull());
}

TEST_F(AggregatesTest, ClosedTableOrInactiveCollectionGivesNull) {
  TMTAggregatesEh aggregates(view.get());
  aggregates.SetActive(true);
  ASSERT_EQ(aggregates.GetCount(), 2);
  EXPECT_TRUE(aggregates.GetItem(0)->GetValue().IsNull());
  EXPECT_FALSE(aggregates.GetItem(0)->GetInUse());
  table->Open();
  aggregates.SetActive(false);
  EXPECT_TRUE(aggregates.GetItem(0)->GetValue().IsNull());
}

TEST_F(AggregatesTest, DestroyingTheCollectionLeavesNoResultBehind) {
  table->Open();
  {
    TMTAggregatesEh aggregates(view.get());
    aggregates.SetActive(true);
    EXPECT_FALSE(total->GetIsNull());
  }
  EXPECT_TRUE(total->GetIsNull());
}
