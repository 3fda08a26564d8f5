// The data grid over a query of the demo database: painting and reading visible rows leave the
// query where it was, and moving through it steps, pages and stops at its ends.
#include <gtest/gtest.h>

#include "tests/gridlib/dbgrid/DBGridTestSupport.h"
#include "tests/platform/ado/AdoFixture.h"

namespace {

class DBGridDbTest : public AdoTest {
 protected:
  void SetUp() override {
    AdoTest::SetUp();
    InitTestApplication();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 640, 400);
    // The demo departments, repeated so that the query is longer than a page.
    query_ = Query(
        u"select n * 100 + d.id as key, d.s_caption, d.type from cmn_department.department d, "
        u"generate_series(1, 20) n order by 1");
    query_->Open();
    grid_ = ShowGridOver(form_.get(), query_, &source_);
  }
  void TearDown() override {
    form_.reset();
    AdoTest::TearDown();
  }
  std::unique_ptr<TForm> form_;
  TADOQuery* query_ = nullptr;
  TDataSource* source_ = nullptr;
  TDBGridEh* grid_ = nullptr;
};

TEST_F(DBGridDbTest, ReadingVisibleRowsOfAQueryNeverMovesIt) {
  const Integer count = query_->RecordCount();
  ASSERT_GT(count, grid_->VisibleDataRowCount());
  for (const Integer target : {1, 7, count / 2, count}) {
    query_->SetRecNo(target);
    ProcessPendingEvents();
    ReadEveryVisibleRow(grid_, query_, source_);
    EXPECT_EQ(query_->RecNo(), target);
    ExpectRowsShowTheirRecords(grid_, query_);
  }
}

TEST_F(DBGridDbTest, MoveByStepsPagesAndStopsAtTheEndsOfAQuery) {
  const Integer count = query_->RecordCount();
  const Integer page = grid_->VisibleDataRowCount();
  query_->First();
  EXPECT_EQ(grid_->MoveBy(1), 1);
  EXPECT_EQ(grid_->MoveBy(page), page);
  EXPECT_EQ(query_->RecNo(), 2 + page);
  EXPECT_EQ(grid_->MoveBy(-page), -page);
  grid_->MoveBy(count * 2);
  EXPECT_TRUE(grid_->Eof());
  EXPECT_EQ(query_->RecNo(), count);
  grid_->MoveBy(-count * 2);
  EXPECT_TRUE(grid_->Bof());
  EXPECT_EQ(query_->RecNo(), 1);
  EXPECT_EQ(grid_->GetRow(), grid_->TopDataOffset());
}

}  // namespace
