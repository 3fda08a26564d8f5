// The data grid in view mode over the in-memory table: every view row is a grid row, read in place.
#include <gtest/gtest.h>

#include "gridlib/memtable/MemTableEh.h"
#include "tests/gridlib/dbgrid/DBGridTestSupport.h"

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

}  // namespace
