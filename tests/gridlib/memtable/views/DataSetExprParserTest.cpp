// Tests of the store's filter and aggregate expressions: LIKE, operators, functions, aggregates and
// their error messages, over plain rows read through the evaluator's accessor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gridlib/memtable/DataSetExprParserEh.h"
#include "gridlib/memtable/MemTableDataEh.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "tests/ErrorText.h"

namespace {

// Columns: ID integer, NAME text, PRICE float, D date-time, CODE text.
struct Row {
  Variant id, name, price, d, code;
  Variant At(Integer i) const {
    switch (i) {
      case 0:
        return id;
      case 1:
        return name;
      case 2:
        return price;
      case 3:
        return d;
      default:
        return code;
    }
  }
};

Integer Resolve(const String& name, TFieldType& type) {
  static const std::vector<std::pair<String, TFieldType>> columns = {{u"ID", ftInteger},
                                                                     {u"NAME", ftWideString},
                                                                     {u"PRICE", ftFloat},
                                                                     {u"D", ftDateTime},
                                                                     {u"CODE", ftWideString}};
  for (size_t i = 0; i < columns.size(); ++i)
    if (AnsiUpperCase(name) == columns[i].first) {
      type = columns[i].second;
      return static_cast<Integer>(i);
    }
  throw EDatabaseError(u"Field '" + name + u"' not found");
}

std::unique_ptr<TDataSetExprParserEh> Parser(const String& text, TDataSetExprParserTypeEh kind = dsptFilterEh,
                                             TFilterOptions options = {}) {
  auto parser = std::make_unique<TDataSetExprParserEh>(nullptr, kind);
  parser->SetFieldResolver(Resolve);
  parser->SetFilterOptions(options);
  parser->ParseExpression(text);
  return parser;
}

bool Accepts(const TDataSetExprParserEh& parser, const Row& row) {
  return parser.IsCurRecordInFilter([&](Integer i) { return row.At(i); });
}

Variant Aggregate(const String& text, const std::vector<Row>& rows) {
  auto parser = Parser(text, dsptAggregateEh);
  return parser->CalcAggregateValue(static_cast<Integer>(rows.size()),
                                    [&](Integer r, Integer f) { return rows[static_cast<size_t>(r)].At(f); });
}

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = {
      {Variant(1), Variant(String(u"Иванов")), Variant(10.5), Variant::FromDate(EncodeDate(2024, 3, 1)),
       Variant(String(u"A-1"))},
      {Variant(2), Variant(String(u"петров")), Variant(20.0), Variant::FromDate(EncodeDate(2024, 3, 2)),
       Null()},
      {Variant(3), Variant(String(u"O'Brien")), Null(), Null(), Variant(String(u"x_y"))},
      {Variant(4), Variant(String(u"")), Variant(0.0), Variant::FromDate(EncodeDate(2023, 12, 31)),
       Variant(String(u"abc"))},
  };
  return rows;
}

}  // namespace

TEST(ExprLike, MatchesPercentAndUnderscoreCorrectly) {
  struct Case {
    const char16_t* value;
    const char16_t* pattern;
    bool ci;
    bool match;
  };
  const Case cases[] = {
      {u"abc", u"a%", false, true},
      {u"abc", u"%c", false, true},
      {u"abc", u"a_c", false, true},
      {u"abc", u"%b_", false, true},
      {u"abc", u"ab", false, false},
      {u"ABC", u"a%", false, false},
      {u"ABC", u"a%", true, true},
      {u"", u"%", false, true},
      {u"", u"a%", false, false},
      {u"", u"", false, true},
      {u"a", u"a_%", false, false},
      {u"ab", u"a_%", false, true},
      {u"ab", u"ab%b", false, false},
      {u"ab", u"ab%b%", false, false},
      {u"abb", u"ab%b", false, true},
      {u"abcd", u"ab%d%b%", false, false},
      {u"abxb", u"a%b", false, true},
      {u"aXbXb", u"a%b%b", false, true},
      {u"a", u"_", false, true},
      {u"", u"_", false, false},
      {u"ab", u"_%_", false, true},
      {u"a", u"_%_", false, false},
      {u"mississippi", u"%iss%ppi", false, true},
      {u"x%y", u"x%%y", false, true},
      {u"Ёлка", u"ёл%", true, true},
      {u"Ёлка", u"ёл%", false, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ExprLikeEh(c.value, c.pattern, c.ci), c.match)
        << StringToUtf8(c.value) << " LIKE " << StringToUtf8(c.pattern) << (c.ci ? " (ci)" : "");
}

TEST(ExprLike, UnderscoreSwitchMakesItOrdinary) {
  ExprLikeUnderscoreIsOrdinaryEh() = true;
  EXPECT_FALSE(ExprLikeEh(u"abc", u"a_c", false));
  EXPECT_TRUE(ExprLikeEh(u"a_c", u"a_c%", false));
  EXPECT_EQ(PosWithWildcardEh(u"xa_c", u"a_c"), 2);
  ExprLikeUnderscoreIsOrdinaryEh() = false;
  EXPECT_EQ(PosWithWildcardEh(u"xabc", u"a_c"), 2);
  EXPECT_EQ(PosWithWildcardEh(u"ab", u"abc"), 0);
}

TEST(ExprFilter, TextsOverRowsGiveTheExpectedRows) {
  struct Case {
    const char16_t* text;
    TFilterOptions options;
    const char* acceptedIds;
  };
  const Case cases[] = {
      {u"ID = 2", {}, "2"},
      {u"ID <> 2", {}, "1 3 4"},
      {u"[ID] In(1 ,  2)", {}, "1 2"},
      {u"ID IN (3, 1)", {}, "1 3"},
      {u"NOT (ID IN (3, 1))", {}, "2 4"},
      {u"ID NOT IN (3, 1)", {}, "2 4"},
      {u"PRICE Is Null", {}, "3"},
      {u"PRICE IS NOT NULL", {}, "1 2 4"},
      {u"NAME IS NULL", {}, "4"},
      {u"NAME = 'O''Brien'", {}, "3"},
      {u"NAME LIKE '%ов'", {}, "1 2"},
      {u"NAME LIKE 'ИВ%'", {}, ""},
      {u"NAME LIKE 'ИВ%'", {foCaseInsensitive}, "1"},
      {u"UPPER(NAME) = 'ПЕТРОВ'", {}, "2"},
      {u"NAME = 'ПЕТРОВ'", {foCaseInsensitive}, "2"},
      {u"NAME = 'Ива*'", {}, "1"},
      {u"PRICE > 10", {}, "1 2"},
      {u"PRICE >= 10.5 AND PRICE < 20", {}, "1"},
      {u"PRICE * 2 = 21", {}, "1"},
      {u"ID / 2 = 1.5", {}, "3"},
      {u"ID = 1 OR CODE = 'abc'", {}, "1 4"},
      {u"D >= '01.03.2024'", {}, "1 2"},
      {u"YEAR(D) = 2023", {}, "4"},
      {u"MONTH(D) = 3 AND DAY(D) = 2", {}, "2"},
      {u"SUBSTRING(CODE, 2) = '-1'", {}, "1"},
      {u"SUBSTRING(CODE, 1, 1) = 'x'", {}, "3"},
      {u"TRIM(CODE, 'a') = 'bc'", {}, "4"},
      {u"CODE LIKE 'x_y'", {}, "3"},
      {u"LOWER(NAME) LIKE 'и%'", {}, "1"},
      {u"NAME + CODE = 'O''Brienx_y'", {}, "3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.text));
    auto parser = Parser(c.text, dsptFilterEh, c.options);
    std::string accepted;
    for (const Row& row : Rows())
      if (Accepts(*parser, row))
        accepted += (accepted.empty() ? "" : " ") + std::to_string(row.id.AsInteger());
    EXPECT_EQ(accepted, c.acceptedIds);
  }
}

TEST(ExprFilter, EmptyTextLeavesNoExpression) {
  auto parser = Parser(u"  ");
  EXPECT_FALSE(parser->HasData());
  EXPECT_FALSE(Accepts(*parser, Rows()[0]));
  EXPECT_EQ(parser->CalcAggregateValue(0, nullptr).AsBoolean(), false);
}

TEST(ExprFilter, DatesCompareToTheSecond) {
  // Two values one millisecond apart: equal for = and <>, yet ordered for >.
  TDateTime base = EncodeDateTime(2024, 5, 6, 7, 8, 9, 100);
  Variant later = Variant::FromDate(base + 1.0 / 86400000.0);
  Variant earlier = Variant::FromDate(base);
  TDataSetExprParserEh parser(nullptr, dsptFilterEh);
  parser.SetFieldResolver([](const String& name, TFieldType& type) -> Integer {
    type = ftDateTime;
    return AnsiUpperCase(name) == u"LATER" ? 1 : 0;
  });
  auto eval = [&](const String& text) {
    parser.ParseExpression(text);
    return parser.Evaluate([&](Integer i) { return i == 1 ? later : earlier; }).AsBoolean();
  };
  EXPECT_TRUE(eval(u"LATER = EARLIER"));
  EXPECT_FALSE(eval(u"LATER <> EARLIER"));
  EXPECT_TRUE(eval(u"LATER > EARLIER"));
}

TEST(ExprFilter, ErrorsCarryTheirMessages) {
  EXPECT_EQ(MessageOf([] { Parser(u"NOPE = 1"); }), "Field 'NOPE' not found");
  EXPECT_EQ(MessageOf([] { Parser(u"ID = "); }), "Expression expected but nothing found");
  EXPECT_EQ(MessageOf([] { Accepts(*Parser(u"-ID = -1"), Rows()[0]); }), "Operator <1:15> not supported.");
  EXPECT_EQ(MessageOf([] { Parser(u"SUM(ID) > 1"); }), "Aggregate expressions not allowed in filters");
  EXPECT_EQ(MessageOf([] { Parser(u"SUBSTRING(NAME) = 'a'"); }),
            "Wrong number of arguments for function 'SUBSTRING'");
  // A null result is no boolean: the platform's conversion error.
  EXPECT_NE(MessageOf([] { Accepts(*Parser(u"PRICE + 1"), Rows()[2]); }), "(no exception)");
}

TEST(ExprFilter, NullOperandsOfFunctionsGiveNull) {
  auto parser = Parser(u"SUBSTRING(PRICE, 1) IS NULL");
  EXPECT_TRUE(Accepts(*parser, Rows()[2]));
  for (const char16_t* text :
       {u"UPPER(CODE) IS NULL", u"DATE(D) IS NULL", u"TRIM(CODE) IS NULL", u"YEAR(D) IS NULL"})
    EXPECT_TRUE(Parser(text)->IsCurRecordInFilter([](Integer) { return Null(); })) << StringToUtf8(text);
}

TEST(ExprTrim, TrimsTheGivenCharacter) {
  EXPECT_EQ(TrimCharEh(u"xxAxx", u"x", tsBothEh), u"A");
  EXPECT_EQ(TrimCharEh(u"xxAxx", u"x", tsLeftEh), u"Axx");
  EXPECT_EQ(TrimCharEh(u"xxAxx", u"x", tsRightEh), u"xxA");
  EXPECT_EQ(TrimCharEh(u"xxx", u"x", tsBothEh), u"");
  EXPECT_EQ(TrimCharEh(u"xxAxx", u"xx", tsBothEh), u"xxAxx");
}

TEST(ExprAggregate, SumAvgMinMaxCountSkipNulls) {
  std::vector<Row> rows = {{Variant(1), Null(), Variant(2.0), Null(), Null()},
                           {Variant(2), Null(), Null(), Null(), Null()},
                           {Variant(3), Null(), Variant(4.0), Null(), Null()}};
  EXPECT_EQ(Aggregate(u"SUM(PRICE)", rows).AsDouble(), 6.0);
  // The average of the values present: nulls are not zeros.
  EXPECT_EQ(Aggregate(u"AVG(PRICE)", rows).AsDouble(), 3.0);
  EXPECT_EQ(Aggregate(u"MIN(PRICE)", rows).AsDouble(), 2.0);
  EXPECT_EQ(Aggregate(u"MAX(PRICE)", rows).AsDouble(), 4.0);
  EXPECT_EQ(Aggregate(u"COUNT(PRICE)", rows).AsInteger(), 2);
  EXPECT_EQ(Aggregate(u"COUNT(*)", rows).AsInteger(), 3);
  EXPECT_EQ(Aggregate(u"SUM(PRICE) / COUNT(*)", rows).AsDouble(), 2.0);
  // A null first value neither seeds MIN nor starts SUM from null.
  std::vector<Row> nullFirst = {{Variant(1), Null(), Null(), Null(), Null()},
                                {Variant(2), Null(), Variant(5.0), Null(), Null()}};
  EXPECT_EQ(Aggregate(u"MIN(PRICE)", nullFirst).AsDouble(), 5.0);
  EXPECT_EQ(Aggregate(u"SUM(PRICE)", nullFirst).AsDouble(), 5.0);
  std::vector<Row> allNull = {{Variant(1), Null(), Null(), Null(), Null()}};
  EXPECT_TRUE(VarIsNull(Aggregate(u"AVG(PRICE)", allNull)));
  EXPECT_TRUE(VarIsNull(Aggregate(u"MAX(PRICE)", allNull)));
  EXPECT_EQ(Aggregate(u"SUM(PRICE)", allNull).AsInteger(), 0);
}

TEST(ExprAggregate, EmptyViewGivesNullNotADivisionByZero) {
  std::vector<Row> none;
  for (const char16_t* text : {u"SUM(PRICE)", u"AVG(PRICE)", u"MIN(PRICE)", u"MAX(PRICE)", u"COUNT(PRICE)"})
    EXPECT_TRUE(VarIsNull(Aggregate(text, none))) << StringToUtf8(text);
  EXPECT_EQ(Aggregate(u"COUNT(*)", none).AsInteger(), 0);
}

TEST(ExprAggregate, TextMinMaxAndScopeErrors) {
  std::vector<Row> rows = {{Variant(1), Variant(String(u"b")), Null(), Null(), Null()},
                           {Variant(2), Variant(String(u"a")), Null(), Null(), Null()},
                           {Variant(3), Null(), Null(), Null(), Null()}};
  EXPECT_EQ(Aggregate(u"MIN(NAME)", rows).AsString(), u"a");
  EXPECT_EQ(Aggregate(u"MAX(NAME)", rows).AsString(), u"b");
  EXPECT_EQ(MessageOf([] { Parser(u"ID + SUM(ID)", dsptAggregateEh); }),
            "Operation cannot mix aggregate value with record-varying value");
}

TEST(ExprFilter, ALikeAloneOnAStoredRecordAgreesWithTheFullEvaluation) {
  TMemTableDataEh data(nullptr);
  data.GetDataStruct()->BuildDataFieldForDef(u"NAME", ftWideString, 20, 0);
  data.GetDataStruct()->BuildDataFieldForDef(u"N", ftInteger, 0, 0);
  std::vector<TMemoryRecordEh*> recs;
  for (const Variant& v :
       {Variant(u"Петров"), Variant(u"ПЕТРОВ"), Variant(u"Сидоров"), Null(), Variant(u"")}) {
    TMemoryRecordEh* rec = data.GetRecordsList()->NewRecord();
    rec->SetDataValue(0, dvvValueEh, v);
    rec->SetDataValue(1, dvvValueEh, 12);
    data.GetRecordsList()->AddRecord(rec);
    recs.push_back(rec);
  }
  for (const char16_t* text :
       {u"NAME LIKE '%ров%'", u"NAME NOT LIKE '%ТРО%'", u"NAME LIKE '%%'", u"NAME LIKE '%е_р%'",
        u"NAME NOT LIKE 'Пет%'", u"NAME LIKE '%'", u"N LIKE '1%'"}) {
    for (bool caseIns : {false, true}) {
      TDataSetExprParserEh parser(nullptr, dsptFilterEh);
      parser.SetDataStruct(data.GetDataStruct());
      parser.SetFilterOptions(caseIns ? TFilterOptions{foCaseInsensitive} : TFilterOptions{});
      parser.ParseExpression(text);
      for (TMemoryRecordEh* rec : recs)
        EXPECT_EQ(parser.IsCurRecordInFilter(rec), parser.IsCurRecordInFilter([rec](Integer i) {
          return rec->GetDataValue(i, dvvValueEh);
        })) << StringToUtf8(text)
            << " on " << StringToUtf8(VarToStr(rec->GetData()[0]));
    }
  }
}
