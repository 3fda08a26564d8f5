// The data grid in view mode over the in-memory table: every view row is a grid row, read in place.
#include <gtest/gtest.h>

#include "gridlib/memtable/DataDriverEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "platform/rtl/ScopeGuard.h"
#include "tests/gridlib/dbgrid/DBGridTestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

class DBGridViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    InitializeMemTableEh();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 640, 400);
    table_ = new TMemTableEh(form_.get());
    table_->GetFieldDefs()->Add(u"ID", ftInteger);
    table_->GetFieldDefs()->Add(u"NAME", ftWideString, 20);
    table_->CreateDataSet();
    for (int i = 1; i <= 2000; ++i) {
      table_->Append();
      table_->SetFields({Variant(i), Variant(u"Строка " + IntToStr(i))});
      table_->Post();
    }
    table_->First();
    grid_ = ShowGridOver(form_.get(), table_, &source_);
  }
  void TearDown() override { form_.reset(); }

  std::unique_ptr<TForm> form_;
  TMemTableEh* table_ = nullptr;
  TDataSource* source_ = nullptr;
  TDBGridEh* grid_ = nullptr;
};

TEST_F(DBGridViewTest, EveryViewRowIsAGridRowReadWithoutMovingTheTable) {
  ASSERT_TRUE(grid_->MemTableSupported());
  EXPECT_EQ(grid_->GetRowCount() - grid_->TopDataOffset(), 2000);
  EXPECT_EQ(grid_->GetDataLink()->GetBufferCount(), 1);
  for (const Integer target : {1, 700, 2000}) {
    table_->SetRecNo(target);
    ProcessPendingEvents();
    EXPECT_EQ(grid_->GetRow() - grid_->TopDataOffset(), target - 1);
    ReadEveryVisibleRow(grid_, table_, source_);
    EXPECT_EQ(grid_->GetVisibleCellText(target - 1, grid_->GetVisibleColumns()->GetColumn(0)),
              IntToStr(target));
    EXPECT_EQ(grid_->GetVisibleCellText(1999, grid_->GetVisibleColumns()->GetColumn(1)), u"Строка 2000");
    EXPECT_EQ(table_->RecNo(), target);
  }
}

TEST_F(DBGridViewTest, MovingKeepsTheCurrentRowAndARestoredPositionKeepsItsPlace) {
  const Integer page = grid_->VisibleDataRowCount();
  grid_->MoveBy(page);
  EXPECT_EQ(table_->RecNo(), 1 + page);
  grid_->MoveBy(5000);
  EXPECT_TRUE(grid_->Eof());
  EXPECT_EQ(grid_->GetRow() - grid_->TopDataOffset(), 1999);
  grid_->MoveBy(-1000);
  EXPECT_EQ(table_->RecNo(), 1000);
  const Integer onScreen = grid_->GetRow() - grid_->GetTopRow();
  grid_->SaveVertPos(u"ID");
  table_->First();
  grid_->RestoreVertPos(u"ID");
  EXPECT_EQ(table_->RecNo(), 1000);
  EXPECT_EQ(grid_->GetRow() - grid_->GetTopRow(), onScreen);
}

// With pixel scrolling the bar and the plain wheel move the view and leave the record; Shift makes the
// wheel move the record. Without it the bar moves the record as in the ordinary mode.
TEST_F(DBGridViewTest, PixelScrollingMovesTheViewAndTheShiftedWheelMovesTheRecord) {
  ASSERT_TRUE(grid_->IsExtendedScrollingActive());
  const Integer page = grid_->VisibleDataRowCount();
  Integer pos = 0, min = 0, barPage = 0, max = 0;
  grid_->CalcVertScrollBarParams(pos, min, barPage, max);
  EXPECT_EQ(min, 0);
  EXPECT_EQ(max, grid_->GetVertAxis()->GetRolLen() - 1);
  const Integer top = grid_->GetTopRow();
  grid_->VertScroll(SB_PAGEDOWN, 0);
  EXPECT_EQ(table_->RecNo(), 1);
  EXPECT_GT(grid_->GetTopRow(), top);
  const Integer scrolled = grid_->GetTopRow();
  grid_->DoMouseWheelDown(TShiftState(), TPoint{10, 40});
  EXPECT_EQ(table_->RecNo(), 1);
  EXPECT_GT(grid_->GetTopRow(), scrolled);
  grid_->DoMouseWheelDown(TShiftState{ssShift}, TPoint{10, 40});
  EXPECT_EQ(table_->RecNo(), 2);
  grid_->DoMouseWheelDown(TShiftState{ssShift, ssCtrl}, TPoint{10, 40});
  EXPECT_EQ(table_->RecNo(), 2 + page);
  EXPECT_GE(grid_->GetRow(), grid_->GetTopRow()) << "the moved record is scrolled into view";
  EXPECT_LE(grid_->GetRow(), grid_->GetLastFullVisibleRow());

  table_->SetRecNo(1000);
  grid_->CenterCurRowInView();
  EXPECT_EQ(grid_->GetRow() - grid_->GetTopRow(), grid_->GetVisibleRowCount() / 2);

  TDBGridEhCenter* center = grid_->GetCenter();
  center->SetUseExtendedScrollingForMemTable(false);
  auto restore = MakeScopeExit([center] { center->SetUseExtendedScrollingForMemTable(true); });
  grid_->VertScroll(SB_LINEDOWN, 0);
  EXPECT_EQ(table_->RecNo(), 1001);
  grid_->CalcVertScrollBarParams(pos, min, barPage, max);
  EXPECT_EQ((std::vector<Integer>{pos, min, barPage, max}),
            (std::vector<Integer>{1001, 1, page, 2000 + page - 1}));
  grid_->DoMouseWheelUp(TShiftState(), TPoint{10, 40});
  EXPECT_EQ(table_->RecNo(), 1000);
}

// Another table over the same records inserts and deletes: the grid's rows follow, its current record
// stays current, and moving by one, by a page and to the ends still lands on the right records.
TEST_F(DBGridViewTest, RowsFollowInsertsAndDeletesOfAnotherUserAndNavigationStaysTrue) {
  auto* other = new TMemTableEh(form_.get());
  other->SetExternalMemData(table_);
  other->Open();
  table_->SetRecNo(100);
  ProcessPendingEvents();
  other->First();
  other->Insert();
  other->SetFields({Variant(0), Variant(u"Новая")});
  other->Post();
  other->Locate(u"ID", Variant(150), TLocateOptions());
  other->Delete();
  other->Locate(u"ID", Variant(50), TLocateOptions());
  other->Delete();
  ProcessPendingEvents();

  EXPECT_EQ(grid_->GetRowCount() - grid_->TopDataOffset(), 1999);
  TField* id = table_->FieldByName(u"ID");
  EXPECT_EQ(id->GetAsInteger(), 100);
  EXPECT_EQ(grid_->GetRow() - grid_->TopDataOffset(), table_->RecNo() - 1);
  EXPECT_EQ(grid_->GetVisibleCellText(0, grid_->GetVisibleColumns()->GetColumn(0)), u"0");
  const Integer page = grid_->VisibleDataRowCount();
  struct Step {
    Integer distance, id;
  };
  const Step steps[] = {{1, 101}, {-1, 100}, {50, 151}, {-page, 150 - page}, {5000, 2000}, {-5000, 0}};
  for (const Step& s : steps) {
    grid_->MoveBy(s.distance);
    EXPECT_EQ(id->GetAsInteger(), s.id) << s.distance;
    EXPECT_EQ(grid_->GetRow() - grid_->TopDataOffset(), table_->RecNo() - 1) << s.distance;
  }
}

// A refresh re-reads the records: the current one stays current and keeps its place on screen.
TEST_F(DBGridViewTest, ARestoredBookmarkKeepsTheCurrentRowsPlaceAcrossARefresh) {
  table_->SetRecNo(500);
  ProcessPendingEvents();
  grid_->MoveBy(3);
  const Integer onScreen = grid_->GetRow() - grid_->GetTopRow();
  grid_->SaveBookmark();
  table_->Refresh();
  table_->First();
  grid_->RestoreBookmark();
  EXPECT_EQ(table_->FieldByName(u"ID")->GetAsInteger(), 503);
  EXPECT_EQ(grid_->GetRow() - grid_->GetTopRow(), onScreen);
}

// A table that reads its records from a driver on demand reads what the visible rows show, not all.
TEST_F(DBGridViewTest, ALazyTableReadsTheRecordsTheVisibleRowsNeedAndNoMore) {
  auto* provider = new TTestDataSet(form_.get());
  provider->GetFieldDefs()->Add(u"ID", ftInteger);
  provider->GetFieldDefs()->Add(u"NAME", ftWideString, 20);
  for (int i = 1; i <= 500; ++i) provider->AddRow({Variant(i), Variant(u"Запись " + IntToStr(i))});
  auto* driver = new TDataDriverEh(form_.get());
  driver->SetProviderDataSet(provider);
  auto* lazy = new TMemTableEh(form_.get());
  lazy->SetDataDriver(driver);
  lazy->Open();
  ASSERT_EQ(lazy->RecordCount(), 1);
  source_->SetDataSet(lazy);
  ProcessPendingEvents();
  ASSERT_TRUE(grid_->MemTableSupported());
  EXPECT_GE(lazy->RecordCount(), grid_->VisibleDataRowCount());
  EXPECT_LT(lazy->RecordCount(), 500);
  EXPECT_EQ(grid_->GetRowCount() - grid_->TopDataOffset(), lazy->RecordCount());
  // Scrolling the view to its end reads on, the record staying where it is.
  const Integer read = lazy->RecordCount();
  grid_->VertScroll(SB_PAGEDOWN, 0);
  grid_->VertScroll(SB_PAGEDOWN, 0);
  EXPECT_GT(lazy->RecordCount(), read);
  EXPECT_EQ(lazy->RecNo(), 1);
  EXPECT_EQ(grid_->GetRowCount() - grid_->TopDataOffset(), lazy->RecordCount());
}

}  // namespace
