// The bookmark list against an ordered-set model over the test dataset: random selection, update
// brackets, deletions elsewhere and refresh; plus the list's search and index edge cases.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/rtl/Strings.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

class TDataSetBMList : public TBMListEh {
 public:
  explicit TDataSetBMList(TDataSet* dataSet) : dataSet_(dataSet) {}
  TDataSet* GetDataSet() const override { return dataSet_; }
  void Changed() override {
    TBMListEh::Changed();
    ++changes;
  }
  int changes = 0;

 private:
  TDataSet* dataSet_;
};

class BMListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ds_ = new TTestDataSet(&owner_);
    ds_->GetFieldDefs()->Add(u"ID", ftInteger);
    for (int i = 1; i <= kRows; ++i) ds_->AddRow({i});
    ds_->Open();
    list_ = std::make_unique<TDataSetBMList>(ds_);
    list_->SetLinkActive(true);
  }
  void TearDown() override { list_.reset(); }

  void GoToId(int id) { ASSERT_TRUE(ds_->Locate(u"ID", Variant(id), {})); }
  TBookmark BookmarkOf(int id) {
    GoToId(id);
    return ds_->GetBookmark();
  }
  int IdAt(int index) {
    ds_->GotoBookmark(list_->GetItem(index));
    return ds_->FieldByName(u"ID")->GetAsInteger();
  }
  // Sorted, without duplicates, and holding exactly the model's rows.
  void ExpectMatches(const std::set<int>& model) {
    ASSERT_EQ(list_->GetCount(), static_cast<Integer>(model.size()));
    for (int i = 0; i + 1 < list_->GetCount(); ++i)
      ASSERT_LT(list_->CompareBookmarks(list_->GetItem(i), list_->GetItem(i + 1)), 0) << "at " << i;
    int i = 0;
    for (int id : model) ASSERT_EQ(IdAt(i++), id);
  }

  static constexpr int kRows = 120;
  TComponent owner_{nullptr};
  TTestDataSet* ds_ = nullptr;
  std::unique_ptr<TDataSetBMList> list_;
};

TEST_F(BMListTest, RandomSelectUnselectAndRefreshFollowTheModel) {
  std::mt19937 random(20240415);
  std::set<int> model;
  std::set<int> alive;
  for (int i = 1; i <= kRows; ++i) alive.insert(i);
  auto anyAlive = [&] {
    auto it = alive.begin();
    std::advance(it, std::uniform_int_distribution<int>(0, static_cast<int>(alive.size()) - 1)(random));
    return *it;
  };
  for (int step = 0; step < 3000; ++step) {
    const int op = std::uniform_int_distribution<int>(0, 9)(random);
    const int id = anyAlive();
    if (op <= 3) {
      GoToId(id);
      const bool select = op <= 1;
      list_->SetCurrentRowSelected(select);
      if (select)
        model.insert(id);
      else
        model.erase(id);
      ASSERT_EQ(list_->GetCurrentRowSelected(), select);
    } else if (op <= 6) {
      // Several changes of the same bookmark inside one update bracket.
      const TBookmark bookmark = BookmarkOf(id);
      list_->BeginUpdate();
      list_->AppendBookmark(bookmark);
      list_->AppendBookmark(bookmark);
      if (op == 6) {
        EXPECT_TRUE(list_->DeleteBookmark(bookmark));
        EXPECT_FALSE(list_->DeleteBookmark(bookmark));
        model.erase(id);
      } else {
        model.insert(id);
      }
      list_->EndUpdate();
    } else if (op == 7 && alive.size() > 10) {
      GoToId(id);
      ds_->Delete();
      alive.erase(id);
      const bool wasSelected = model.erase(id) > 0;
      EXPECT_EQ(list_->Refresh(true), wasSelected);
    } else {
      EXPECT_FALSE(list_->Refresh(false));
    }
    ExpectMatches(model);
  }
}

TEST_F(BMListTest, FindAnswersTheInsertionPlace) {
  Integer index = -1;
  EXPECT_FALSE(list_->Find(BookmarkOf(5), index));
  EXPECT_EQ(index, 0);
  for (int id : {10, 20, 30}) list_->AppendBookmark(BookmarkOf(id));
  EXPECT_FALSE(list_->Find(BookmarkOf(40), index));
  EXPECT_EQ(index, 3);
  EXPECT_FALSE(list_->Find(BookmarkOf(25), index));
  EXPECT_EQ(index, 2);
  EXPECT_TRUE(list_->Find(BookmarkOf(20), index));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(list_->IndexOf(BookmarkOf(21)), -1);
}

TEST_F(BMListTest, AddItemBreaksOrderAndResortRestoresIt) {
  list_->AddItem(BookmarkOf(30));
  list_->AddItem(BookmarkOf(10));
  list_->AddItem(BookmarkOf(20));
  EXPECT_EQ(IdAt(0), 30);
  list_->Resort();
  ExpectMatches({10, 20, 30});
}

TEST_F(BMListTest, IndexErrorsAndClosedLinkRaise) {
  try {
    list_->InsertItem(1, BookmarkOf(1));
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), u"List index out of bounds (1)");
  }
  EXPECT_THROW(list_->DeleteItem(0), EListError);
  EXPECT_THROW(list_->DeleteItem(-1), EListError);
  TDataSetBMList inactive(ds_);
  EXPECT_FALSE(inactive.GetCurrentRowSelected()) << "an empty list never asks for a bookmark";
  try {
    inactive.SetCurrentRowSelected(true);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Cannot perform this operation on a closed dataset");
  }
}

TEST_F(BMListTest, UpdateBracketSendsOneChangeAtTheEnd) {
  list_->changes = 0;
  list_->BeginUpdate();
  for (int id : {3, 1, 2}) list_->AppendBookmark(BookmarkOf(id));
  EXPECT_EQ(list_->changes, 0);
  list_->EndUpdate();
  EXPECT_EQ(list_->changes, 1);
}

TEST_F(BMListTest, SelectAllKeepsTheCurrentRecordAndDeleteRemovesRows) {
  TDataSetBMList inactive(ds_);
  inactive.SelectAll();
  EXPECT_EQ(inactive.GetCount(), 0);

  GoToId(57);
  list_->SelectAll();
  EXPECT_EQ(list_->GetCount(), kRows);
  EXPECT_EQ(ds_->FieldByName(u"ID")->GetAsInteger(), 57);

  list_->Clear();
  for (int id : {2, 4, 6}) list_->AppendBookmark(BookmarkOf(id));
  list_->Delete();
  EXPECT_EQ(list_->GetCount(), 0);
  EXPECT_EQ(ds_->RecordCount(), kRows - 3);
  EXPECT_FALSE(ds_->Locate(u"ID", Variant(4), {}));
}

}  // namespace
