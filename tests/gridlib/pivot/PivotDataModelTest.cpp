// The pivot data model without a database: calculators, slicing and key texts, key states and filter
// ticks, the build's progress, cancel and errors, and the array against a recomputation from scratch.
#include <gtest/gtest.h>

#include <random>

#include "gridlib/pivot/PivotGridsEh.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Utf.h"
#include "tests/gridlib/pivot/PivotFixture.h"

namespace {

Variant Finish(TPivotValueTypeEh function, std::initializer_list<Variant> values) {
  auto calculator = CreatePivotCalculatorEh(function);
  for (const Variant& v : values) calculator->AggrValue(v);
  return calculator->FinalizeAggregation();
}

TEST(PivotCalculators, AnswerTheSummaryOfTheirValues) {
  const Variant n = Variant::Null();
  struct Case {
    TPivotValueTypeEh function;
    std::vector<Variant> values;
    Variant expected;
  };
  const std::vector<Case> cases = {
      {svtSumEh, {1, n, 3}, 4},
      {svtCountEh, {1, n, 3}, 2},
      {svtAvgEh, {1, n, 3}, 2.0},
      {svtMaxEh, {1, n, 3}, 3},
      {svtMinEh, {1, n, 3}, 1},
      {svtProductEh, {1, n, 3}, 3},
      {svtSumEh, {}, n},
      {svtCountEh, {}, n},
      {svtStDevEh, {}, n},
      {svtCountDistinctEh, {}, 0},
      {svtCountDistinctEh, {String(u"a"), String(u"A"), String(), n, String(u"a")}, 2},
      // Values that print alike at fifteen digits are still two values.
      {svtCountDistinctEh, {0.1 + 0.2, 0.3}, 2},
      // One value has no sample spread, and no spread around its own mean.
      {svtStDevEh, {7}, n},
      {svtVarEh, {7}, n},
      {svtStDevpEh, {7}, 0.0},
      {svtVarpEh, {7}, 0.0},
      {svtVarpEh, {2, 4, 4, 4, 5, 5, 7, 9}, 4.0},
      {svtStDevpEh, {2, 4, 4, 4, 5, 5, 7, 9}, 2.0},
      {svtVarEh, {2, 4, 4, 4, 5, 5, 7, 9}, 32.0 / 7},
      {svtSumEh, {Variant(Int64{5000000000}), Variant(Int64{1})}, Variant(Int64{5000000001})},
  };
  for (const Case& c : cases) {
    auto calculator = CreatePivotCalculatorEh(c.function);
    for (const Variant& v : c.values) calculator->AggrValue(v);
    const Variant result = calculator->FinalizeAggregation();
    SCOPED_TRACE(StringToUtf8(PivotFunctionShortNameEh(c.function)));
    if (VarIsNull(c.expected)) {
      EXPECT_TRUE(VarIsNull(result));
    } else if (VarType(c.expected) == varDouble) {
      EXPECT_NEAR(result.AsDouble(), c.expected.AsDouble(), 1e-12);
    } else {
      EXPECT_TRUE(VarSameValue(result, c.expected)) << StringToUtf8(VarToStr(result));
    }
  }
  EXPECT_NEAR(Finish(svtStDevEh, {2, 4, 4, 4, 5, 5, 7, 9}).AsDouble(), std::sqrt(32.0 / 7), 1e-12);
  EXPECT_EQ(VarType(Finish(svtSumEh, {Variant(Int64{1}), Variant(Int64{2})})), varInt64);
  EXPECT_THROW(CreatePivotCalculatorEh(svtCustomEh), Exception);
}

TEST(PivotCalculators, TheNMinusOneFunctionsAreLabelledUnbiased) {
  EXPECT_EQ(PivotFunctionDisplayNameEh(svtStDevEh), u"Несмещенное отклонение");
  EXPECT_EQ(PivotFunctionDisplayNameEh(svtVarEh), u"Несмещенная дисперсия");
  EXPECT_EQ(PivotFunctionDisplayNameEh(svtStDevpEh), u"Смещенное отклонение");
  EXPECT_EQ(PivotFunctionDisplayNameEh(svtVarpEh), u"Смещенная дисперсия");
}

TEST(PivotSlicing, CutsValuesToTheirCalendarLevel) {
  const TDateTime stamp = EncodeDateTime(2024, 8, 17, 13, 45, 30, 250);
  struct Case {
    TFieldDateTimeSliceLevelEh level;
    TDateTime expected;
  };
  const Case cases[] = {
      {dtslYearEh, EncodeDate(2024, 1, 1)},
      {dtslQuarterEh, EncodeDate(2024, 7, 1)},
      {dtslMonthEh, EncodeDate(2024, 8, 1)},
      {dtslWeekEh, EncodeDate(2024, 8, 12)},
      {dtslDayEh, EncodeDate(2024, 8, 17)},
      {dtslSecEh, EncodeDateTime(2024, 8, 17, 13, 45, 30, 0)},
      {dtslMSecEh, stamp},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(PivotSliceDateTimeEh(stamp, c.level), c.expected) << c.level;
  // The Monday of a week can lie in the year before.
  EXPECT_DOUBLE_EQ(PivotSliceDateTimeEh(EncodeDate(2021, 1, 2), dtslWeekEh), EncodeDate(2020, 12, 28));
}

TEST(PivotFields, WeekLabelsCarryTheIsoYear) {
  TPivotDataSourceEh source(nullptr);
  TPivotFieldEh* field = AddPivotField(&source, u"D.Week", u"D", dtslWeekEh);
  field->SetDisplayFormat(PivotSliceLevelDisplayFormatEh(dtslWeekEh));
  const String sep(1, FormatSettings.DateSeparator);
  EXPECT_EQ(field->ValueAsDispayText(Variant::FromDate(EncodeDate(2024, 12, 30))), u"2025" + sep + u"01");
  EXPECT_EQ(field->ValueAsDispayText(Variant::FromDate(EncodeDate(2021, 1, 3))), u"2020" + sep + u"53");
  EXPECT_EQ(field->ValueAsDispayText(Variant::Null()), u"");
}

TEST(PivotFields, KeyTextsReadBackAsTheSameValue) {
  TPivotDataSourceEh source(nullptr);
  TPivotFieldEh* number = AddPivotField(&source, u"N", u"");
  number->GetTypeDef()->DataType = ftFloat;
  TPivotFieldEh* stamp = AddPivotField(&source, u"T", u"");
  stamp->GetTypeDef()->DataType = ftDateTime;
  EXPECT_NE(PivotKeyValueTextEh(0.1 + 0.2), PivotKeyValueTextEh(0.3));
  for (double d : {0.1 + 0.2, 0.3, 1e-300, -12345.678901234567})
    EXPECT_EQ(number->StringToDataValue(PivotKeyValueTextEh(d)).AsDouble(), d);
  const TDateTime t = EncodeDateTime(2024, 3, 5, 7, 8, 9, 123);
  EXPECT_NE(PivotKeyValueTextEh(Variant::FromDate(t)),
            PivotKeyValueTextEh(Variant::FromDate(EncodeDateTime(2024, 3, 5, 7, 8, 9, 0))));
  EXPECT_NEAR(stamp->StringToDataValue(PivotKeyValueTextEh(Variant::FromDate(t))).AsDateTime(), t,
              OneMillisecond / 10);
}

// A source table over which the pivot is built: columns A, B (axis keys), X (values).
class PivotSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table_ = std::make_unique<TMemTableEh>(nullptr);
    table_->GetFieldDefs()->Add(u"A", ftWideString, 20);
    table_->GetFieldDefs()->Add(u"B", ftInteger);
    table_->GetFieldDefs()->Add(u"C", ftWideString, 20);
    table_->GetFieldDefs()->Add(u"D", ftInteger);
    table_->GetFieldDefs()->Add(u"X", ftInteger);
    table_->CreateDataSet();
    source_ = std::make_unique<TPivotDataSourceEh>(nullptr);
    source_->SetDataSet(table_.get());
    source_->GetPivotFields()->RebuildPivotFields();
    source_->RegisterChanges(&consumer_);
    array_.SetPivotDataSource(source_.get());
  }
  void TearDown() override { source_->UnRegisterChanges(&consumer_); }

  void Row(const Variant& a, const Variant& b, const Variant& c, const Variant& d, const Variant& x) {
    table_->AppendRecord({a, b, c, d, x});
  }
  void Axes(std::initializer_list<const char16_t*> rows, std::initializer_list<const char16_t*> cols) {
    source_->GetRowFields()->Clear();
    for (auto* r : rows) source_->GetRowFields()->Add(r);
    source_->GetColumnFields()->Clear();
    for (auto* c : cols) source_->GetColumnFields()->Add(c);
  }
  std::vector<std::vector<Variant>> Lines(TPivotMemTableEh* table) {
    std::vector<std::vector<Variant>> lines;
    for (Integer i = 0; i < table->Records()->GetCount(); ++i)
      lines.push_back(table->Records()->GetRec(i)->GetData().ToVector());
    return lines;
  }

  std::unique_ptr<TMemTableEh> table_;
  std::unique_ptr<TPivotDataSourceEh> source_;
  RecordingConsumer consumer_;
  TPivotGridArrayEh array_;
};

TEST_F(PivotSourceTest, ColumnAxisListsDetailsThenSubtotalsThenTheGrandTotal) {
  Row(u"a1", 1, u"r", 0, 1);
  Row(u"a1", 2, u"r", 0, 1);
  Row(u"a2", 1, u"r", 0, 1);
  Axes({u"C"}, {u"A", u"B"});
  source_->LoadAndBuildPivotData();
  const Variant u;
  const std::vector<std::vector<Variant>> expected = {{u"a1", 1, 0}, {u"a1", 2, 0}, {u"a1", u, 1},
                                                      {u"a2", 1, 0}, {u"a2", u, 1}, {u, u, 2}};
  const auto lines = Lines(source_->ColsTable());
  ASSERT_EQ(lines.size(), expected.size());
  for (size_t i = 0; i < lines.size(); ++i)
    for (size_t k = 0; k < 3; ++k)
      EXPECT_TRUE(VarIsEmpty(expected[i][k]) ? VarIsEmpty(lines[i][k])
                                             : VarSameValue(lines[i][k], expected[i][k]))
          << i << "," << k;
}

TEST_F(PivotSourceTest, NothingChosenCountsTheRecords) {
  for (int i = 0; i < 5; ++i) Row(u"a", i, u"c", i, i);
  source_->LoadAndBuildPivotData();
  ASSERT_EQ(source_->ColsTable()->Records()->GetCount(), 2);
  ASSERT_EQ(source_->RowsTable()->Records()->GetCount(), 2);
  const auto results = Lines(source_->ResultAggrTable());
  EXPECT_EQ(results.back()[2].AsInteger(), 5);
  consumer_.Calls.clear();
  source_->BuildGridData();
  EXPECT_EQ(consumer_.Calls, (std::vector<std::string>{"started", "data", "finished"}));
}

TEST_F(PivotSourceTest, EveryFailedBuildTellsTheConsumersItEndedAndExplains) {
  for (int i = 0; i < 3; ++i) Row(u"a", i, u"c", i, i);
  source_->CreateAndFillSourceTable();
  Axes({u"A"}, {u"B"});
  AddValue(source_.get(), u"NoSuchField", svtSumEh);
  consumer_.Calls.clear();
  try {
    source_->BuildPivotData();
    FAIL() << "an unresolved value definition was built";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(u"NoSuchField"), String::npos);
  }
  EXPECT_EQ(consumer_.Count("started"), 1);
  EXPECT_EQ(consumer_.Count("finished"), 1);

  source_->GetValueFieldDefs()->Clear();
  AddValue(source_.get(), u"X", svtCustomEh);
  consumer_.Calls.clear();
  EXPECT_THROW(source_->BuildPivotData(), Exception);
  EXPECT_EQ(consumer_.Count("finished"), 1);

  // Fields rebuilt under the axis names: the axes find the new fields, never the freed ones.
  source_->GetValueFieldDefs()->Clear();
  source_->GetPivotFields()->RebuildPivotFields();
  source_->CreateAndFillSourceTable();
  source_->BuildPivotData();
  EXPECT_EQ(source_->GetActualRowFlds()->GetObject(0), source_->GetPivotFields()->FindFieldByName(u"A"));
  // A name that no field has any more is a clear error, not a stale object.
  Axes({u"Gone"}, {u"B"});
  EXPECT_THROW(source_->BuildPivotData(), Exception);
}

TEST_F(PivotSourceTest, FilterTicksAreMatchedByValue) {
  for (int b : {1, 2, 10}) Row(u"a", b, u"c", 0, b);
  source_->CreateAndFillSourceTable();
  TPivotFieldEh* field = source_->GetPivotFields()->FindFieldByName(u"B");
  // The drop-down may list the texts in its own order ("10" before "2" as text).
  TStringList list;
  for (const char16_t* text : {u"1", u"10", u"2"}) list.Add(text);
  field->UpdateKeyValueStatesFromFilterCheckedState(&list, {false, false, true});
  TPivotKeyValueStatesEh* states = field->GetKeyValueStates();
  ASSERT_EQ(states->GetCount(), 3);
  EXPECT_TRUE(states->GetState(1)->GetVisible());
  EXPECT_FALSE(states->GetState(0)->GetVisible());
  EXPECT_FALSE(states->GetState(2)->GetVisible());
  EXPECT_EQ(field->GetFilterExpressionAsStr(), u"[B] = '2'");
  field->UpdateKeyValueStatesFromFilterCheckedState(&list, {true, true, false});
  EXPECT_EQ(field->GetFilterExpressionAsStr(), u"[B]in ('1','10')");
}

TEST_F(PivotSourceTest, KeyStatesKeepTheirFlagsAcrossReloads) {
  for (int b : {1, 2, 3}) Row(u"a", b, u"c", 0, b);
  Row(u"a", Variant::Null(), u"c", 0, 1);
  source_->CreateAndFillSourceTable();
  TPivotKeyValueStatesEh* states = source_->GetPivotFields()->FindFieldByName(u"B")->GetKeyValueStates();
  ASSERT_EQ(states->GetCount(), 4);
  EXPECT_TRUE(VarIsNull(states->GetState(0)->GetKeyValue()));
  EXPECT_EQ(states->BinarySearch(2), 2);
  states->GetState(2)->SetVisible(false);
  states->GetState(3)->SetExpanded(false);
  table_->First();
  table_->Edit();
  table_->FieldByName(u"B")->SetValue(7);
  table_->Post();
  source_->CreateAndFillSourceTable();
  ASSERT_EQ(states->GetCount(), 4);
  EXPECT_FALSE(states->GetItemByKeyValue(2)->GetVisible());
  EXPECT_FALSE(states->GetItemByKeyValue(3)->GetExpanded());
  EXPECT_EQ(states->GetItemByKeyValue(1), nullptr);
  EXPECT_TRUE(states->GetItemByKeyValue(7)->GetVisible());
  EXPECT_TRUE(states->HaveHiddenKeys());
}

TEST_F(PivotSourceTest, RememberedWidthsSurviveARebuildAlsoBesideANewNullKey) {
  for (int d : {1, 2}) Row(u"a", 1, u"c", d, 1);
  Axes({u"A"}, {u"D"});
  source_->LoadAndBuildPivotData();
  TRecordsListEh* lines = source_->BaseColsTable()->Records();
  ASSERT_EQ(lines->GetCount(), 3);
  for (Integer i = 0; i < lines->GetCount(); ++i) lines->GetRec(i)->SetDataValue(2, dvvValueEh, 100 + i);
  Row(u"a", 1, u"c", Variant::Null(), 1);
  source_->LoadAndBuildPivotData();
  lines = source_->BaseColsTable()->Records();
  ASSERT_EQ(lines->GetCount(), 4);
  // The new Null key stands first and is new; the keys after it keep their widths.
  const Integer expected[] = {-1, 100, 101, 102};
  for (Integer i = 0; i < 4; ++i) EXPECT_EQ(lines->GetRec(i)->GetData()[2].AsInteger(), expected[i]) << i;
}

TEST_F(PivotSourceTest, AResultLineOutOfStepStopsTheRebuild) {
  for (int b : {1, 2}) Row(u"a", b, u"c", b, b);
  Axes({u"A"}, {u"B"});
  AddValue(source_.get(), u"X", svtSumEh);
  source_->LoadAndBuildPivotData();
  array_.RebuildGrid();
  // A line whose key matches no axis line: every cell after it would be left empty without a word.
  TRecordsListEh* results = source_->ResultAggrTable()->Records();
  TMemoryRecordEh* stray = results->GetRec(0);
  stray->SetDataValue(0, dvvValueEh, String(u"zz"));
  EXPECT_THROW(array_.RebuildGrid(), Exception);
}

// The sum the array must show for a line pair, straight from the source rows.
Variant ExpectedSum(TMemTableEh* table, const std::vector<String>& rowFields,
                    const std::vector<String>& colFields, const std::vector<Variant>& rowKey,
                    const std::vector<Variant>& colKey, const std::function<bool()>& visible) {
  Variant sum = Variant::Null();
  table->First();
  while (!table->GetEof()) {
    bool match = visible();
    for (size_t i = 0; match && i < rowKey.size(); ++i)
      match = PivotKeyValueCompareEh(table->FieldByName(rowFields[i])->GetValue(), rowKey[i]) == 0;
    for (size_t i = 0; match && i < colKey.size(); ++i)
      match = PivotKeyValueCompareEh(table->FieldByName(colFields[i])->GetValue(), colKey[i]) == 0;
    if (match) {
      const Variant x = table->FieldByName(u"X")->GetValue();
      if (VarIsNull(sum))
        sum = x;
      else if (!VarIsNull(x))
        sum += x;
    }
    table->Next();
  }
  return sum;
}

TEST_F(PivotSourceTest, RandomChangesAndRebuildsMatchARecomputation) {
  std::mt19937 random(52);
  const char16_t* letters[] = {u"p", u"q", u"r"};
  auto randomValue = [&](int kind) -> Variant {
    if (random() % 9 == 0) return Variant::Null();
    return kind == 0 ? Variant(String(letters[random() % 3])) : Variant(static_cast<Integer>(random() % 3));
  };
  for (int i = 0; i < 30; ++i)
    Row(randomValue(0), randomValue(1), randomValue(0), randomValue(1), randomValue(1));
  AddValue(source_.get(), u"X", svtSumEh);
  const std::vector<String> rowFields = {u"A", u"B"}, colFields = {u"C", u"D"};
  Axes({u"A", u"B"}, {u"C", u"D"});
  for (int step = 0; step < 40; ++step) {
    switch (random() % 4) {
      case 0:
        Row(randomValue(0), randomValue(1), randomValue(0), randomValue(1), randomValue(1));
        break;
      case 1:
        if (table_->GetRecordCount() > 1) {
          table_->SetRecNo(1 + static_cast<Integer>(random() % table_->GetRecordCount()));
          table_->Delete();
        }
        break;
      case 2:
        table_->SetRecNo(1 + static_cast<Integer>(random() % table_->GetRecordCount()));
        table_->Edit();
        table_->FieldByName(u"X")->SetValue(randomValue(1));
        table_->FieldByName(u"A")->SetValue(randomValue(0));
        table_->Post();
        break;
      default:
        array_.RowAggrBeforeData = !array_.RowAggrBeforeData;
        break;
    }
    source_->CreateAndFillSourceTable();
    // Now and then a filter hides a value of D.
    TPivotKeyValueStatesEh* dStates = source_->GetPivotFields()->FindFieldByName(u"D")->GetKeyValueStates();
    const bool filtered = step % 3 == 0 && dStates->GetCount() > 1;
    Variant hidden;
    for (Integer i = 0; i < dStates->GetCount(); ++i) dStates->GetState(i)->SetVisible(true);
    if (filtered) {
      dStates->GetState(1)->SetVisible(false);
      hidden = dStates->GetState(1)->GetKeyValue();
    }
    source_->BuildPivotData();
    array_.RebuildGrid();
    auto visible = [&] {
      return !filtered || PivotKeyValueCompareEh(table_->FieldByName(u"D")->GetValue(), hidden) != 0;
    };
    const auto cells = ShownDataCells(array_);
    ASSERT_FALSE(cells.empty());
    for (const ShownCell& cell : cells) {
      const Variant expected =
          ExpectedSum(table_.get(), rowFields, colFields, cell.RowKey, cell.ColKey, visible);
      ASSERT_TRUE(VarIsNull(expected) ? VarIsNull(cell.Value) : VarSameValue(expected, cell.Value))
          << "step " << step << " row path " << cell.RowKey.size() << " col path " << cell.ColKey.size();
    }
  }
}

TEST_F(PivotSourceTest, ACancelledMillionRecordBuildLeavesThePivotEmptyAndUsable) {
  table_->DisableControls();
  for (int i = 0; i < 1000000; ++i) Row(i % 7 ? u"a" : u"b", i % 13, u"c", i % 5, i % 100);
  table_->EnableControls();
  AddValue(source_.get(), u"X", svtSumEh);
  Axes({u"A", u"B"}, {u"C", u"D"});
  source_->CreateAndFillSourceTable();
  consumer_.CancelOnProgress = true;
  consumer_.Calls.clear();
  source_->BuildPivotData();
  EXPECT_EQ(consumer_.Count("aborted"), 1);
  EXPECT_EQ(consumer_.Count("finished"), 1);
  EXPECT_EQ(source_->RowsTable()->Records()->GetCount(), 0);
  EXPECT_EQ(source_->ResultAggrTable()->Records()->GetCount(), 0);
  array_.RebuildGrid();

  // The same source builds again once nobody cancels.
  table_->EmptyTable();
  Row(u"a", 1, u"c", 1, 5);
  Row(u"b", 1, u"c", 2, 6);
  source_->CreateAndFillSourceTable();
  consumer_.CancelOnProgress = false;
  source_->BuildPivotData();
  array_.RebuildGrid();
  const auto cells = ShownDataCells(array_);
  ASSERT_FALSE(cells.empty());
  EXPECT_EQ(cells.back().Value.AsInteger(), 11);
}

}  // namespace
