// The filter-expression parser and evaluator: tree shapes, results over a record, and the errors
// every rejected text raises.
#include <gtest/gtest.h>

#include <map>

#include "platform/data/DBFilterExpr.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {

const std::map<String, TFieldType>& Types() {
  static const std::map<String, TFieldType> types = {
      {u"A", ftInteger},         {u"B", ftInteger},      {u"C", ftInteger}, {u"F", ftInteger},
      {u"Name", ftString},       {u"Flag", ftBoolean},   {u"D", ftDate},    {u"Amount", ftFloat},
      {u"Field Name", ftString}, {u"Quoted", ftBoolean},
  };
  return types;
}

void Resolve(const String& name, TField*& field, TFieldType& type) {
  field = nullptr;
  for (const auto& [known, t] : Types()) {
    if (AnsiSameText(known, name)) {
      type = t;
      return;
    }
  }
  DatabaseErrorFmt(SFieldNotFound, {name});
}

std::map<String, Variant> Record() {
  return {{u"A", 1},
          {u"B", 2},
          {u"C", 5},
          {u"F", Null()},
          {u"Name", u"O'Brien"},
          {u"Flag", true},
          {u"D", Variant::FromDate(EncodeDate(2021, 3, 4))},
          {u"Amount", 12.5},
          {u"Field Name", u"x"},
          {u"Quoted", true}};
}

TFilterExpr::TFieldReader ReaderOf(const std::map<String, Variant>& record) {
  return [&record](const TExprNode& node) {
    for (const auto& [name, value] : record)
      if (AnsiSameText(name, node.Name)) return value;
    return Variant();
  };
}

std::string ErrorOf(const String& text, TParserOptions parserOptions = {poExtSyntax}) {
  try {
    TFilterExpr expr(text, {}, parserOptions, &Resolve);
    std::map<String, Variant> record = Record();
    expr.Evaluate(ReaderOf(record));
  } catch (const EDatabaseError& e) {
    return StringToUtf8(e.Message());
  } catch (const std::exception& e) {
    return std::string("wrong exception class: ") + e.what();
  }
  return "(accepted)";
}

TEST(FilterExprTest, ParsesIntoTheFrameworkTree) {
  struct Case {
    const Char* text;
    const Char* tree;
  } cases[] = {
      {u"[F] In(1 ,  2)", u"(2:31 [F] (11:36 1) (11:36 2))"},
      {u"F Is Null", u"(1:1 [F])"},
      {u"F IS NOT NULL", u"(1:2 [F])"},
      {u"F = NULL", u"(1:1 [F])"},
      {u"F <> null", u"(1:2 [F])"},
      {u"NOT (A = 1)", u"(1:9 (3:3 [A] 1))"},
      {u"not not Flag", u"(1:9 (1:9 [Flag]))"},
      {u"Name = 'O''Brien'", u"(3:3 [Name] 'O''Brien')"},
      {u"Name LIKE '%ab_'", u"(3:30 [Name] '%ab_')"},
      {u"Name NOT LIKE 'a*'", u"(3:30 NOT [Name] 'a*')"},
      {u"A not in (1)", u"(2:31 NOT [A] (11:36 1))"},
      {u"A = 1 AND B > 2 OR C < 3", u"(2:11 (2:10 (3:3 [A] 1) (3:5 [B] 2)) (3:6 [C] 3))"},
      {u"A = 1 OR B > 2 AND C < 3", u"(2:11 (3:3 [A] 1) (2:10 (3:5 [B] 2) (3:6 [C] 3)))"},
      {u"A + B * 2 >= 10", u"(3:7 (2:16 [A] (2:18 [B] 2)) 10)"},
      {u"(A - B) / 2 <= 1", u"(3:8 (2:19 (2:17 [A] [B]) 2) 1)"},
      {u"-A < -1.5", u"(3:6 (1:15 [A]) -1.5)"},
      {u"UPPER(Name) = 'X'", u"(3:3 (1:33 UPPER [Name]) 'X')"},
      {u"lower(Name) = 'x'", u"(3:3 (1:34 LOWER [Name]) 'x')"},
      {u"SUBSTRING(Name, 1, 2) = 'ab'", u"(3:3 (10:35 SUBSTRING [Name] 1 2) 'ab')"},
      {u"GetDate() > D", u"(3:5 (10:35 GETDATE) [D])"},
      {u"[Field Name] <> 'x'", u"(3:4 [Field Name] 'x')"},
      {u"\"Quoted\" = TRUE", u"(3:3 [Quoted] TRUE)"},
      {u"Flag", u"[Flag]"},
      {u"D > '01.02.2020'", u"(3:5 [D] '01.02.2020')"},
      {u"  A=1  ", u"(3:3 [A] 1)"},
      {u"A = 2147483648", u"(3:3 [A] 2147483648)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.text));
    try {
      TFilterExpr expr(c.text, {}, {poExtSyntax}, &Resolve);
      EXPECT_EQ(StringToUtf8(expr.Dump()), StringToUtf8(c.tree));
    } catch (const Exception& e) {
      ADD_FAILURE() << StringToUtf8(e.Message());
    }
  }
}

TEST(FilterExprTest, EvaluatesOverARecord) {
  struct Case {
    const Char* text;
    TFilterOptions options;
    bool expected;
  } cases[] = {
      {u"A = 1", {}, true},
      {u"A <> 1", {}, false},
      {u"A In (3, 1)", {}, true},
      {u"A not in (3, 1)", {}, false},
      {u"F In (3, 1)", {}, false},
      {u"F is null", {}, true},
      {u"A is not null", {}, true},
      {u"F = 1", {}, false},
      {u"not (F = 1)", {}, false},
      {u"F = 1 or A = 1", {}, true},
      {u"F = 1 and A = 2", {}, false},
      {u"Name = 'O''Brien'", {}, true},
      {u"Name like 'o%'", {}, false},
      {u"Name like 'o%'", {foCaseInsensitive}, true},
      {u"Name like '*Bri*'", {}, true},
      {u"Name like 'O_Brien'", {}, true},
      {u"Name like 'O_Brie'", {}, false},
      {u"Name not like '%z%'", {}, true},
      {u"Name = 'O*'", {}, true},
      {u"Name = 'o*'", {foCaseInsensitive}, true},
      {u"Name = 'O*'", {foNoPartialCompare}, false},
      {u"Name <> 'O*'", {}, false},
      {u"Name = 'o''brien'", {foCaseInsensitive}, true},
      {u"Name > 'A'", {}, true},
      {u"D > '01.02.2020'", {}, true},
      {u"D = '04.03.2021'", {}, true},
      {u"YEAR(D) = 2021 and MONTH(D) = 3 and DAY(D) = 4", {}, true},
      {u"A + B * 2 = 5", {}, true},
      {u"C / 2 = 2.5", {}, true},
      {u"C / 0 = 1", {}, false},
      {u"-A = -1", {}, true},
      {u"UPPER(Name) = 'O''BRIEN'", {}, true},
      {u"TRIM('  x ') = 'x'", {}, true},
      {u"TRIMLEFT('--x-', '-') = 'x-'", {}, true},
      {u"SUBSTRING(Name, 3, 3) = 'Bri'", {}, true},
      {u"SUBSTRING(Name, 3) = 'Brien'", {}, true},
      {u"Amount >= 12.5 and Flag", {}, true},
      {u"Amount > '12'", {}, true},
      {u"Flag = FALSE", {}, false},
      {u"GETDATE() > D", {}, true},
  };
  std::map<String, Variant> record = Record();
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.text));
    try {
      TFilterExpr expr(c.text, c.options, {poExtSyntax}, &Resolve);
      EXPECT_EQ(expr.Matches(ReaderOf(record)), c.expected);
    } catch (const Exception& e) {
      ADD_FAILURE() << StringToUtf8(e.Message());
    }
  }
}

TEST(FilterExprTest, RejectedTextsSayWhy) {
  struct Case {
    const Char* text;
    const char* message;
  } cases[] = {
      {u"", "Expression expected but nothing found"},
      {u"A =", "Expression expected but nothing found"},
      {u"A = 1 AND", "Expression expected but nothing found"},
      {u"A = 1 )", "Filter expression incorrectly terminated"},
      {u"A = 1 B", "Filter expression incorrectly terminated"},
      {u"Name = 'abc", "Unterminated string constant"},
      {u"[Name = 1", "Unterminated field name"},
      {u"\"Name = 1", "Unterminated field name"},
      {u"A = 1 # 2", "Invalid filter expression character: '#'"},
      {u"A = 1 ; drop table", "Invalid filter expression character: ';'"},
      {u"A In ()", "IN predicate list may not be empty"},
      {u"A In (1 2)", "')' or ',' expected but 2 found"},
      {u"A In 1", "'(' expected but 1 found"},
      {u"A In (1, NULL)", "NULL only allowed with '=' and '<>'"},
      {u"(A = 1", "')' expected but nothing found"},
      {u"A > NULL", "NULL only allowed with '=' and '<>'"},
      {u"NULL = A", "NULL only allowed with '=' and '<>'"},
      {u"A", "Field 'A' is not of type Boolean"},
      {u"1", "Boolean expression expected"},
      {u"A = 1 AND 2", "Boolean expression expected"},
      {u"NOT A", "Field 'A' is not of type Boolean"},
      {u"Nope = 1", "Field 'Nope' not found"},
      {u"SUM(A) > 1", "Aggregate expressions not allowed in filters"},
      {u"FOO(A) = 1", "Unknown function 'FOO'"},
      {u"UPPER(Name, A) = 'x'", "Wrong number of arguments for function 'UPPER'"},
      {u"GETDATE(1) > D", "Wrong number of arguments for function 'GETDATE'"},
      {u"A = 99999999999999999999", "Constant out of range"},
      {u"A = 1e999", "Constant out of range"},
      {u"A IS 1", "Invalid use of keyword"},
      {u"A NOT = 1", "Invalid use of keyword"},
      {u"A = AND", "Expression expected but AND found"},
      {u"D > 'not a date'", "'not a date' is not a valid date"},
      {u"Name + 1 = 2", "Type mismatch in expression"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.text), c.message) << StringToUtf8(c.text);
}

TEST(FilterExprTest, DeepNestingIsRefusedNotACrash) {
  String deep = String(5000, u'(') + u"A = 1" + String(5000, u')');
  EXPECT_EQ(ErrorOf(deep), "Filter expression is nested too deeply");
  String nots;
  for (int i = 0; i < 5000; ++i) nots += u"NOT ";
  EXPECT_EQ(ErrorOf(nots + u"Flag"), "Filter expression is nested too deeply");
  String minus = String(5000, u'-') + u"A = 1";
  EXPECT_EQ(ErrorOf(minus), "Filter expression is nested too deeply");
  String wide = u"A = 1";
  for (int i = 0; i < 2000; ++i) wide += u" OR A = " + IntToStr(i);
  EXPECT_EQ(ErrorOf(wide), "(accepted)") << "long flat lists are not nesting";
}

TEST(FilterExprTest, ArithmeticNeedsExtendedSyntax) {
  EXPECT_EQ(ErrorOf(u"A + 1 = 2", {}), "Arithmetic in filter expressions not supported");
  EXPECT_EQ(ErrorOf(u"UPPER(Name) = 'X'", {}), "Unknown function 'UPPER'");
  EXPECT_EQ(ErrorOf(u"A = 1", {}), "(accepted)");
}

TEST(FilterExprTest, AggregatesAccumulateOverRecords) {
  std::vector<std::map<String, Variant>> rows = {
      {{u"A", 1}, {u"Amount", 2.5}}, {{u"A", 2}, {u"Amount", Null()}}, {{u"A", 3}, {u"Amount", 5.5}}};
  TFilterExpr total(u"SUM(A) + COUNT(*)", {}, {poAggregate}, &Resolve);
  TFilterExpr average(u"AVG(Amount)", {}, {poAggregate}, &Resolve);
  TFilterExpr extremes(u"MAX(A) - MIN(A) + COUNT(Amount)", {}, {poAggregate}, &Resolve);
  EXPECT_TRUE(total.IsAggregate());
  for (TFilterExpr* e : {&total, &average, &extremes}) {
    e->ResetAggregates();
    EXPECT_TRUE(VarIsNull(e == &total ? Variant(Null()) : e->Evaluate(ReaderOf(rows[0])))) << "no rows yet";
    for (const auto& row : rows) e->Accumulate(ReaderOf(row));
  }
  EXPECT_EQ(total.Evaluate(ReaderOf(rows[0])).AsInteger(), 9);
  EXPECT_DOUBLE_EQ(average.Evaluate(ReaderOf(rows[0])).AsDouble(), 4.0) << "nulls are skipped";
  EXPECT_EQ(extremes.Evaluate(ReaderOf(rows[0])).AsInteger(), 4);

  EXPECT_EQ(ErrorOf(u"A + SUM(A)", {poAggregate}),
            "Operation cannot mix aggregate value with record-varying value");
  EXPECT_EQ(ErrorOf(u"1 + 2", {poAggregate}), "Expression is not an aggregate expression");
  EXPECT_EQ(ErrorOf(u"SUM(SUM(A))", {poAggregate}),
            "Operation cannot mix aggregate value with record-varying value");
}

TEST(FilterExprTest, LikeMatchesWildcardsWithoutBacktrackingBlowUp) {
  struct Case {
    const Char* text;
    const Char* pattern;
    bool expected;
  } cases[] = {
      {u"", u"", true},         {u"", u"%", true},      {u"abc", u"a%", true},   {u"abc", u"a*c", true},
      {u"abc", u"%b%", true},   {u"abc", u"_b_", true}, {u"abc", u"__", false},  {u"abc", u"abc%", true},
      {u"abc", u"abcd", false}, {u"a%c", u"a%c", true}, {u"Абв", u"аБ%", false}, {u"ab", u"%%%b", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FilterLikeMatch(c.text, c.pattern, false), c.expected)
        << StringToUtf8(c.text) << " LIKE " << StringToUtf8(c.pattern);
  EXPECT_TRUE(FilterLikeMatch(u"Абв", u"аБ%", true));
  String text(20000, u'a');
  String pattern = u"%" + String(50, u'a') + u"%b";
  EXPECT_FALSE(FilterLikeMatch(text, pattern, false));
}

}  // namespace
