// The data grid over an in-memory table sorted by ID: the table's row events keep the grid's rows,
// their heights and the columns' per-row lookup values in step with the view.
#include <gtest/gtest.h>

#include <map>

#include "gridlib/memtable/MemTableEh.h"
#include "tests/gridlib/dbgrid/DBGridTestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

const char16_t* const kKindNames[] = {u"Сталь", u"Краска", u"Заготовка"};

class DBGridModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    InitializeMemTableEh();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 640, 400);
    kinds_ = new TTestDataSet(form_.get());
    kinds_->GetFieldDefs()->Add(u"ID", ftInteger, 0, false);
    kinds_->GetFieldDefs()->Add(u"NAME", ftString, 20, false);
    for (int k = 0; k < 3; ++k) kinds_->AddRow({Variant(k + 1), Variant(String(kKindNames[k]))});
    kinds_->Open();
    table_ = new TMemTableEh(form_.get());
    table_->GetFieldDefs()->Add(u"ID", ftInteger);
    table_->GetFieldDefs()->Add(u"KIND", ftInteger);
    table_->CreateDataSet();
    table_->SetSortOrder(u"ID");
    for (int i = 1; i <= 30; ++i) {
      table_->Append();
      table_->SetFields({Variant(i * 10), Variant(KindOf(i * 10))});
      table_->Post();
    }
    table_->First();
    grid_ = ShowGridOver(form_.get(), table_, &source_);
  }
  void TearDown() override { form_.reset(); }

  static int KindOf(int id) { return id / 10 % 3 + 1; }

  // A lookup column showing the kind's name for KIND.
  TColumnEh* AddKindColumn() {
    grid_->GetColumns()->SetState(csCustomized);
    TColumnEh* column = grid_->GetColumns()->Add();
    column->SetFieldName(u"KIND");
    TDBLookupDataEh* lookup = column->GetLookupParams();
    lookup->SetKeyFieldNames(u"KIND");
    lookup->SetLookupDataSet(kinds_);
    lookup->SetLookupKeyFieldNames(u"ID");
    lookup->SetLookupDisplayFieldName(u"NAME");
    return column;
  }

  // The ID of every view row, in view order, read by walking the table.
  std::vector<int> ViewIds() {
    std::vector<int> ids;
    TBookmark here = table_->GetBookmark();
    for (table_->First(); !table_->Eof(); table_->Next())
      ids.push_back(table_->FieldByName(u"ID")->GetAsInteger());
    table_->SetBookmark(here);
    return ids;
  }

  void ChangeId(int from, int to, int kind) {
    ASSERT_TRUE(table_->Locate(u"ID", Variant(from), TLocateOptions()));
    table_->Edit();
    table_->SetFields({Variant(to), Variant(kind)});
    table_->Post();
  }

  std::unique_ptr<TForm> form_;
  TTestDataSet* kinds_ = nullptr;
  TMemTableEh* table_ = nullptr;
  TDataSource* source_ = nullptr;
  TDBGridEh* grid_ = nullptr;
};

TEST_F(DBGridModelTest, ColumnsMakeTheirOwnTitleAndLookupSettings) {
  TColumnEh* column = AddKindColumn();
  EXPECT_NE(dynamic_cast<TColumnTitleEh*>(column->TAxisBarEh::GetTitle()), nullptr);
  ASSERT_NE(dynamic_cast<TDBGridColumnLookupDataEh*>(column->GetLookupParams()), nullptr);
  EXPECT_TRUE(column->GetDBLookupParams()->GetLookupValuesCached());
  EXPECT_EQ(column->GetDBLookupParams()->LookupValues().size(), 30u);
}

// Every visible row's lookup text matches its record after rows are inserted, deleted and moved by
// the table's sorting, also when the cache was filled before.
TEST_F(DBGridModelTest, LookupValuesFollowInsertedDeletedAndMovedRows) {
  TColumnEh* column = AddKindColumn();
  auto expectTexts = [&](const char* step) {
    const std::vector<int> ids = ViewIds();
    ASSERT_EQ(grid_->InstantReadRecordCount(), static_cast<Integer>(ids.size())) << step;
    ASSERT_EQ(column->GetDBLookupParams()->LookupValues().size(), ids.size()) << step;
    for (size_t r = 0; r < ids.size(); ++r) {
      // Kinds of changed records are set apart from KindOf below.
      const int kind = ids[r] % 10 == 5 ? 3 : KindOf(ids[r]);
      EXPECT_EQ(grid_->GetVisibleCellText(static_cast<Integer>(r), column), String(kKindNames[kind - 1]))
          << step << ", row " << r << ", ID " << ids[r];
    }
  };
  expectTexts("opened");
  struct Step {
    const char* what;
    std::function<void()> run;
  };
  const Step steps[] = {
      {"row moved down", [&] { ChangeId(30, 255, 3); }},
      {"row moved up", [&] { ChangeId(280, 45, 3); }},
      {"first row deleted",
       [&] {
         table_->First();
         table_->Delete();
       }},
      {"row inserted first",
       [&] {
         table_->Append();
         table_->SetFields({Variant(5), Variant(3)});
         table_->Post();
       }},
      {"last row deleted",
       [&] {
         table_->Last();
         table_->Delete();
       }},
  };
  for (const Step& s : steps) {
    s.run();
    ProcessPendingEvents();
    expectTexts(s.what);
  }
}

TEST_F(DBGridModelTest, ATypedKeyShowsItsLookupTextBeforeThePost) {
  TColumnEh* column = AddKindColumn();
  table_->SetRecNo(4);
  ProcessPendingEvents();
  const Integer row = grid_->GetRow() - grid_->TopDataOffset();
  EXPECT_EQ(grid_->GetVisibleCellText(row, column), String(kKindNames[KindOf(40) - 1]));
  table_->Edit();
  table_->FieldByName(u"KIND")->SetAsInteger(KindOf(40) % 3 + 1);
  EXPECT_EQ(grid_->GetVisibleCellText(row, column), String(kKindNames[KindOf(40) % 3]));
  table_->Cancel();
  EXPECT_EQ(grid_->GetVisibleCellText(row, column), String(kKindNames[KindOf(40) - 1]));
}

TEST_F(DBGridModelTest, FittedRowsTakeTheHeightEachRecordAsksForAndFollowTheirRecords) {
  auto heightOf = [](int id) { return 20 + id / 10 % 4 * 6; };
  int asked = 0;
  grid_->OnGetRowHeight = [&](TObject*, Integer& height) {
    ++asked;
    height = heightOf(table_->FieldByName(u"ID")->GetAsInteger());
  };
  grid_->LayoutChanged();
  EXPECT_EQ(asked, 0) << "without fitting rows the event is not asked";
  for (Integer r = 0; r < 30; ++r)
    EXPECT_EQ(grid_->GetRowHeights(r + grid_->TopDataOffset()), grid_->GetStdDefaultRowHeight());

  TDBGridEhOptions options = grid_->GetOptionsEh();
  options.Include(dghAutoFitRowHeight);
  grid_->SetOptionsEh(options);
  auto expectHeights = [&](const char* step) {
    const std::vector<int> ids = ViewIds();
    ASSERT_EQ(grid_->GetRowCount() - grid_->TopDataOffset(), static_cast<Integer>(ids.size())) << step;
    for (size_t r = 0; r < ids.size(); ++r)
      EXPECT_EQ(grid_->GetRowHeights(static_cast<Integer>(r) + grid_->TopDataOffset()), heightOf(ids[r]))
          << step << ", row " << r;
  };
  expectHeights("fitted");
  ChangeId(20, 215, 1);
  expectHeights("moved");
  table_->First();
  table_->Delete();
  expectHeights("deleted");
  table_->Append();
  table_->SetFields({Variant(1), Variant(1)});
  table_->Post();
  expectHeights("inserted");
}

TEST_F(DBGridModelTest, EmptyingAndRefillingTheTableKeepsOneEmptyRow) {
  table_->DisableControls();
  while (!table_->IsEmpty()) table_->Delete();
  table_->EnableControls();
  ProcessPendingEvents();
  EXPECT_EQ(grid_->GetRowCount() - grid_->TopDataOffset(), 1);
  table_->Append();
  table_->SetFields({Variant(7), Variant(1)});
  table_->Post();
  EXPECT_EQ(grid_->GetRowCount() - grid_->TopDataOffset(), 1) << "the empty row became the record's row";
  table_->Append();
  table_->SetFields({Variant(8), Variant(1)});
  table_->Post();
  EXPECT_EQ(grid_->GetRowCount() - grid_->TopDataOffset(), 2);
}

}  // namespace
