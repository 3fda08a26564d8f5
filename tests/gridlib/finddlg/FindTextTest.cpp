// The grid's own text search: how texts match, which way it walks and where it wraps, one column or
// all, the display format, the selected records, and where it leaves the grid when nothing is found.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "tests/gridlib/finddlg/FindDlgTestSupport.h"

namespace {

using FindTextTest = FindGridFixture;

struct FindTextCase {
  const char* what;
  const Char* text;
  TLocateTextOptionsEh options;
  TLocateTextDirectionEh direction;
  TLocateTextMatchingEh matching;
  Integer startId;
  const Char* field;  // searched column; empty: the selected column (NAME)
  Integer foundId;    // 0: not found, the grid stays on startId
  const Char* foundField;
};

TEST_P(FindTextTest, MatchesWalksAndWrapsAsAsked) {
  const TLocateTextOptionsEh ci{ltoCaseInsensitiveEh};
  const TLocateTextOptionsEh cs;
  const TLocateTextOptionsEh fmt{ltoMatchFormatEh};
  const FindTextCase cases[] = {
      {"all directions look at the first cell too", u"Болт", cs, ltdAllEh, ltmAnyPartEh, 3, u"", 1, u"NAME"},
      {"down never looks at the starting cell", u"Болт", cs, ltdDownEh, ltmAnyPartEh, 1, u"", 5, u"NAME"},
      {"letter case matters unless told", u"Болт", ci, ltdDownEh, ltmAnyPartEh, 1, u"", 3, u"NAME"},
      {"up from the first record wraps to the last", u"болт", ci, ltdUpEh, ltmAnyPartEh, 1, u"", 5, u"NAME"},
      {"down from the last record wraps to the first", u"гайка", ci, ltdDownEh, ltmAnyPartEh, 5, u"", 2,
       u"NAME"},
      {"the only match is found again after the wrap", u"Шайба", cs, ltdDownEh, ltmWholeEh, 4, u"", 4,
       u"NAME"},
      {"whole field", u"Болт", cs, ltdDownEh, ltmWholeEh, 1, u"", 5, u"NAME"},
      {"whole field is not a part", u"Болт М", cs, ltdAllEh, ltmWholeEh, 2, u"", 0, u"NAME"},
      {"from the beginning", u"Гайка", cs, ltdDownEh, ltmFromBegingEh, 3, u"", 2, u"NAME"},
      {"from the beginning is not any part", u"М8", cs, ltdAllEh, ltmFromBegingEh, 3, u"", 0, u"NAME"},
      {"one named column only", u"М8", cs, ltdAllEh, ltmAnyPartEh, 1, u"ID", 0, u"NAME"},
      {"the display format is compared with", u"234,50", fmt, ltdAllEh, ltmAnyPartEh, 1, u"PRICE", 2,
       u"PRICE"},
      {"the display format is not the edit text", u"234,50", cs, ltdAllEh, ltmAnyPartEh, 1, u"PRICE", 0,
       u"NAME"},
      {"the edit text is compared without the format", u"1234,5", cs, ltdAllEh, ltmAnyPartEh, 1, u"PRICE", 2,
       u"PRICE"},
      {"all columns: the next columns of the record first", u"99", TLocateTextOptionsEh{ltoAllFieldsEh},
       ltdDownEh, ltmAnyPartEh, 1, u"", 5, u"PRICE"},
      {"all columns upwards", u"10", TLocateTextOptionsEh{ltoAllFieldsEh, ltoMatchFormatEh}, ltdUpEh,
       ltmAnyPartEh, 3, u"", 1, u"PRICE"},
      {"whole words in any letter case", u"болт", TLocateTextOptionsEh{ltoWholeWordsEh}, ltdDownEh,
       ltmAnyPartEh, 2, u"", 3, u"NAME"},
      {"whole words: a word's start is no hit", u"бол",
       TLocateTextOptionsEh{ltoWholeWordsEh, ltoCaseInsensitiveEh}, ltdAllEh, ltmAnyPartEh, 2, u"", 0,
       u"NAME"},
  };
  for (const FindTextCase& c : cases) {
    SCOPED_TRACE(c.what);
    StandOn(c.startId, u"NAME");
    const bool found =
        grid_->LocateText(grid_, c.field, c.text, c.options, c.direction, c.matching, lttInAllNodesEh);
    EXPECT_EQ(found, c.foundId != 0);
    EXPECT_EQ(CurrentId(), c.foundId != 0 ? c.foundId : c.startId);
    EXPECT_EQ(CurrentField(), String(c.foundField));
    EXPECT_EQ(data_->GetState(), dsBrowse);
    EXPECT_FALSE(data_->ControlsDisabled());
  }
}

// The cells a search looks at, in order, as (field, id).
class TVisitRecorder {
 public:
  explicit TVisitRecorder(TDataSet* data) : data_(data) {}
  TCustomDBGridEh::TLocateTextCheckCellEh Event() {
    return [this](TColumnEh* column, bool& accept) {
      visits.emplace_back(StringToUtf8(column->GetFieldName()), data_->FieldByName(u"ID")->GetAsInteger());
      accept = false;
    };
  }
  std::vector<std::pair<std::string, Integer>> visits;

 private:
  TDataSet* data_;
};

TEST_P(FindTextTest, AFailedSearchVisitsEveryCellOnceAfterItsStartAndComesBack) {
  StandOn(4, u"NAME");
  TVisitRecorder recorder(data_);
  EXPECT_FALSE(grid_->LocateText(grid_, u"", u"", TLocateTextOptionsEh{ltoAllFieldsEh}, ltdDownEh,
                                 ltmAnyPartEh, lttInAllNodesEh, 0, recorder.Event()));
  const std::vector<std::pair<std::string, Integer>> expected = {
      {"PRICE", 4}, {"ID", 5},    {"NAME", 5},  {"PRICE", 5}, {"ID", 1},
      {"NAME", 1},  {"PRICE", 1}, {"ID", 2},    {"NAME", 2},  {"PRICE", 2},
      {"ID", 3},    {"NAME", 3},  {"PRICE", 3}, {"ID", 4},    {"NAME", 4}};
  EXPECT_EQ(recorder.visits, expected);
  EXPECT_EQ(CurrentId(), 4);
  EXPECT_EQ(CurrentField(), u"NAME");
}

TEST_P(FindTextTest, InsideASelectionOnlyTheSelectedRecordsAreVisited) {
  for (const Integer id : {2, 4}) {
    StandOn(id, u"NAME");
    grid_->GetSelectedRows()->SetCurrentRowSelected(true);
  }
  StandOn(3, u"NAME");
  TVisitRecorder recorder(data_);
  EXPECT_FALSE(grid_->LocateText(grid_, u"", u"", TLocateTextOptionsEh{ltoInsideSelectionEh}, ltdAllEh,
                                 ltmAnyPartEh, lttInAllNodesEh, 0, recorder.Event()));
  const std::vector<std::pair<std::string, Integer>> expected = {{"NAME", 2}, {"NAME", 4}};
  EXPECT_EQ(recorder.visits, expected);
  EXPECT_EQ(CurrentId(), 3);
  StandOn(1, u"NAME");
  EXPECT_TRUE(grid_->LocateText(grid_, u"", u"Шайба", TLocateTextOptionsEh{ltoInsideSelectionEh}, ltdDownEh,
                                ltmWholeEh, lttInAllNodesEh));
  EXPECT_EQ(CurrentId(), 4);
  EXPECT_FALSE(grid_->LocateText(grid_, u"", u"Болт", TLocateTextOptionsEh{ltoInsideSelectionEh}, ltdDownEh,
                                 ltmAnyPartEh, lttInAllNodesEh))
      << "the bolts are not selected";
}

TEST_P(FindTextTest, AnEscWaitingForTheGridOrATimeOutStopsTheSearchAtTheNextRecord) {
  StandOn(1, u"NAME");
  TVisitRecorder recorder(data_);
  PostMessage(grid_->GetHandle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(grid_->LocateText(grid_, u"", u"", TLocateTextOptionsEh{ltoStopOnEscapeEh}, ltdDownEh,
                                 ltmAnyPartEh, lttInAllNodesEh, 0, recorder.Event()));
  EXPECT_EQ(recorder.visits.size(), 1U) << "one row looked at, then the Esc is seen";
  EXPECT_FALSE(KeyPressWaiting(grid_->GetHandle(), VK_ESCAPE)) << "the Esc is taken";
  EXPECT_EQ(CurrentId(), 1);

  // A time-out ends it the same way, once the time has passed.
  TVisitRecorder slow(data_);
  auto look = slow.Event();
  EXPECT_FALSE(grid_->LocateText(grid_, u"", u"", TLocateTextOptionsEh(), ltdDownEh, ltmAnyPartEh,
                                 lttInAllNodesEh, 1, [&look](TColumnEh* column, bool& accept) {
                                   look(column, accept);
                                   std::this_thread::sleep_for(std::chrono::milliseconds(3));
                                 }));
  EXPECT_EQ(slow.visits.size(), 1U);
  EXPECT_EQ(CurrentId(), 1);
}

TEST_P(FindTextTest, NothingIsSearchedWithoutRecordsOrWithAClosedDataSet) {
  data_->Close();
  EXPECT_FALSE(grid_->LocateText(grid_, u"", u"Болт", TLocateTextOptionsEh(), ltdAllEh, ltmAnyPartEh,
                                 lttInAllNodesEh));
  EXPECT_FALSE(TCustomDBGridEh::LocateTextInGrid(nullptr, u"", u"Болт", TLocateTextOptionsEh(), ltdAllEh,
                                                 ltmAnyPartEh, 0, {}));
}

INSTANTIATE_TEST_SUITE_P(Data, FindTextTest,
                         ::testing::Values(TFindDataKind::TestDataSet, TFindDataKind::MemTable),
                         FindDataKindName);

}  // namespace
