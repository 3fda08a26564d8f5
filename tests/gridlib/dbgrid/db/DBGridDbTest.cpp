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

// Another user inserts and deletes rows of a table the grid shows. After the query is re-read the
// remembered record comes back to its place on screen, and moving by one, by a page and to the ends
// lands on the records the table now holds.
TEST_F(DBGridDbTest, AReReadQueryKeepsTheRowsPlaceAndNavigatesAnotherUsersChanges) {
  Exec(u"create table t.item (id integer primary key, name text)");
  Exec(u"insert into t.item select n, 'Изделие ' || n from generate_series(1, 200) n");
  TADOQuery* items = Query(u"select id, name from t.item order by id");
  items->Open();
  source_->SetDataSet(items);
  ProcessPendingEvents();
  TField* id = items->FieldByName(u"id");
  ASSERT_TRUE(items->Locate(u"id", Variant(100), TLocateOptions()));
  grid_->MoveBy(3);
  ProcessPendingEvents();
  const Integer row = grid_->GetRow();
  grid_->SaveVertPos(u"id");

  Exec(u"insert into t.item values (0, 'Первое'), (1000, 'Последнее')");
  Exec(u"delete from t.item where id in (50, 150)");
  items->Refresh();
  grid_->RestoreVertPos(u"id");
  EXPECT_EQ(id->GetAsInteger(), 103);
  EXPECT_EQ(grid_->GetRow(), row);
  ExpectRowsShowTheirRecords(grid_, items);

  const Integer page = grid_->VisibleDataRowCount();
  struct Step {
    Integer distance, id;
  };
  const Step steps[] = {{1, 104}, {-1, 103}, {47, 151}, {-page, 150 - page}, {5000, 1000}, {-5000, 0}};
  for (const Step& s : steps) {
    grid_->MoveBy(s.distance);
    EXPECT_EQ(id->GetAsInteger(), s.id) << s.distance;
    EXPECT_EQ(grid_->GetRow() - grid_->TopDataOffset(), grid_->GetDataLink()->GetActiveRecord())
        << s.distance;
  }
  EXPECT_TRUE(grid_->Bof());
}

}  // namespace
