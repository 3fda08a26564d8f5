// The pivot data model against PostgreSQL over the demo database: the array over the shift records
// equals GROUP BY CUBE cell for cell, the calculators equal the SQL aggregates, and the date slices
// equal to_char and date_trunc over every day of 2020 to 2030.
#include <gtest/gtest.h>

#include <map>

#include "gridlib/pivot/PivotGridsEh.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "tests/gridlib/pivot/PivotFixture.h"
#include "tests/platform/ado/AdoFixture.h"

namespace {

class PivotSqlTest : public AdoTest {
 protected:
  void Build(TDataSet* data, std::initializer_list<const char16_t*> rows,
             std::initializer_list<const char16_t*> cols) {
    source_ = std::make_unique<TPivotDataSourceEh>(nullptr);
    source_->SetDataSet(data);
    source_->GetPivotFields()->RebuildPivotFields();
    for (auto* r : rows) source_->GetRowFields()->Add(r);
    for (auto* c : cols) source_->GetColumnFields()->Add(c);
  }
  std::unique_ptr<TPivotDataSourceEh> source_;
};

// "12|2024-03-01" keys of a cube: the empty text for a totalled position.
std::string KeyText(const std::vector<Variant>& rowKey, const std::vector<Variant>& colKey) {
  auto text = [](const std::vector<Variant>& key) {
    if (key.empty()) return std::string();
    const Variant& v = key.back();
    if (VarType(v) == varDate) return StringToUtf8(FormatDateTime(u"yyyy-mm-dd", v.AsDateTime()));
    return StringToUtf8(VarToStr(v));
  };
  return text(rowKey) + "|" + text(colKey);
}

TEST_F(PivotSqlTest, ShiftRecordsByWorkerAndMonthEqualTheCube) {
  TADOQuery* data = Query(u"select w_id, data, kol_vo from accounts_dep.smena");
  data->Open();
  ASSERT_GT(data->GetRecordCount(), 10);
  Build(data, {u"w_id"}, {u"data.Month"});
  AddValue(source_.get(), u"kol_vo", svtSumEh);
  source_->LoadAndBuildPivotData();
  TPivotGridArrayEh array;
  array.SetPivotDataSource(source_.get());
  array.RebuildGrid();

  TADOQuery* cube = Query(
      u"select coalesce(w_id::text, ''), coalesce(to_char(date_trunc('month', data), 'YYYY-MM-DD'), ''), "
      u"sum(kol_vo)::float8 from accounts_dep.smena group by cube(w_id, date_trunc('month', data))");
  cube->Open();
  std::map<std::string, double> expected;
  for (; !cube->GetEof(); cube->Next())
    expected[StringToUtf8(cube->GetFields()->GetField(0)->GetAsString()) + "|" +
             StringToUtf8(cube->GetFields()->GetField(1)->GetAsString())] =
        cube->GetFields()->GetField(2)->GetAsFloat();
  const auto cells = ShownDataCells(array);
  size_t filled = 0;
  for (const ShownCell& cell : cells) {
    const std::string key = KeyText(cell.RowKey, cell.ColKey);
    auto found = expected.find(key);
    if (found == expected.end()) {
      EXPECT_TRUE(VarIsNull(cell.Value)) << key;
      continue;
    }
    ++filled;
    ASSERT_FALSE(VarIsNull(cell.Value)) << key;
    EXPECT_NEAR(VarAsType(cell.Value, varDouble).AsDouble(), found->second, 1e-6) << key;
  }
  // Every group of the cube has its cell: none is lost between the tables.
  EXPECT_EQ(filled, expected.size());
}

TEST_F(PivotSqlTest, CalculatorsEqualTheSqlAggregates) {
  // A worker with a single record makes a one-row group.
  TADOQuery* data =
      Query(u"select w_id, kol_vo::float8 as q from accounts_dep.smena union all select -1, 5.5");
  data->Open();
  Build(data, {u"w_id"}, {});
  const TPivotValueTypeEh functions[] = {svtSumEh,           svtCountEh, svtAvgEh,    svtMaxEh, svtMinEh,
                                         svtCountDistinctEh, svtStDevEh, svtStDevpEh, svtVarEh, svtVarpEh};
  for (TPivotValueTypeEh f : functions) AddValue(source_.get(), u"q", f);
  source_->LoadAndBuildPivotData();

  TADOQuery* sql = Query(
      u"select w_id, sum(q), count(q), avg(q), max(q), min(q), count(distinct q), stddev_samp(q), "
      u"stddev_pop(q), "
      u"var_samp(q), var_pop(q) from (select w_id, kol_vo::float8 as q from accounts_dep.smena union all "
      u"select -1, 5.5) s group by w_id");
  sql->Open();
  std::map<Integer, std::vector<Variant>> expected;
  for (; !sql->GetEof(); sql->Next()) {
    std::vector<Variant> row;
    for (int i = 1; i <= 10; ++i) row.push_back(sql->GetFields()->GetField(i)->GetValue());
    expected[sql->GetFields()->GetField(0)->GetAsInteger()] = row;
  }
  // Lines of the worker total: the worker set, the column placeholder totalled.
  TRecordsListEh* results = source_->ResultAggrTable()->Records();
  size_t compared = 0;
  for (Integer i = 0; i < results->GetCount(); ++i) {
    const auto line = results->GetRec(i)->GetData().ToVector();
    if (VarIsEmptyOrNull(line[0]) || !VarIsEmpty(line[1])) continue;
    const auto& sqlRow = expected.at(line[0].AsInteger());
    ++compared;
    for (size_t f = 0; f < 10; ++f) {
      SCOPED_TRACE(StringToUtf8(PivotFunctionShortNameEh(functions[f])) + " of worker " +
                   StringToUtf8(VarToStr(line[0])));
      const Variant& ours = line[2 + f];
      if (VarIsNull(sqlRow[f])) {
        EXPECT_TRUE(VarIsNull(ours));
        continue;
      }
      ASSERT_FALSE(VarIsNull(ours));
      EXPECT_NEAR(VarAsType(ours, varDouble).AsDouble(), VarAsType(sqlRow[f], varDouble).AsDouble(), 1e-7);
    }
  }
  EXPECT_EQ(compared, expected.size());
  EXPECT_TRUE(VarIsNull(expected.at(-1)[6]));
}

TEST_F(PivotSqlTest, DateSlicesEqualTheServersCalendar) {
  TADOQuery* days = Query(
      u"select d::timestamp, to_char(d, 'IYYY/IW'), date_trunc('quarter', d), date_trunc('month', d), "
      u"date_trunc('year', d) from generate_series('2020-01-01'::date, '2030-12-31'::date, '1 day') d");
  days->Open();
  TPivotDataSourceEh source(nullptr);
  TPivotFieldEh* week = AddPivotField(&source, u"D.Week", u"D", dtslWeekEh);
  week->SetDisplayFormat(PivotSliceLevelDisplayFormatEh(dtslWeekEh));
  const String separator(1, FormatSettings.DateSeparator);
  Integer compared = 0;
  std::vector<std::string> mismatches;
  for (; !days->GetEof(); days->Next(), ++compared) {
    const TDateTime day = days->GetFields()->GetField(0)->GetAsDateTime();
    const String label = week->ValueAsDispayText(week->SliceValue(Variant::FromDate(day)));
    const String server =
        StringReplace(days->GetFields()->GetField(1)->GetAsString(), u"/", separator, {rfReplaceAll});
    if (label != server) mismatches.push_back(StringToUtf8(label + u" " + server));
    const TFieldDateTimeSliceLevelEh levels[] = {dtslQuarterEh, dtslMonthEh, dtslYearEh};
    for (int i = 0; i < 3; ++i)
      if (PivotSliceDateTimeEh(day, levels[i]) != days->GetFields()->GetField(2 + i)->GetAsDateTime())
        mismatches.push_back(StringToUtf8(DateToStr(day)) + " level " + std::to_string(levels[i]));
  }
  EXPECT_GT(compared, 4000);
  EXPECT_TRUE(mismatches.empty()) << mismatches.size() << " first: " << mismatches.front();
}

}  // namespace
