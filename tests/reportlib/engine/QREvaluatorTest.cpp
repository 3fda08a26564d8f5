// The expression evaluator: how texts split at their operators, literals, names looked up as functions,
// fields and environment names, error texts, preparation, the operators with their coercions, and the
// conversions by which reports read a result.
#include <gtest/gtest.h>

#include <memory>

#include "ExprTestSupport.h"
#include "platform/classes/Lists.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Variant.h"
#include "reportlib/engine/QREvElements.h"
#include "reportlib/engine/QREvEnvironment.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

TEST(QREvaluatorTest, OperatorsSplitAtTheLeftmostOperatorOfTheLowestLevel) {
  ExpectTable({
      {u"", "str: "},
      {u"1 + 2 * 3", "int:7"},
      {u"(1 + 2) * 3", "int:9"},
      {u"10 - 4 - 3", "int:3"},
      {u"10 - 4 + 3", "int:9"},
      {u"10 - 2 - 3 + 1", "int:6"},
      {u"12 / 2 * 3", "float:18"},
      {u"12 / 2 / 3", "float:2"},
      {u"-2 * 3", "int:-6"},
      {u"-2 + 3", "int:1"},
      {u"+4", "int:4"},
      {u"'ab' + 'cd' = 'abcd'", "bool:True"},
      {u"2 * 3 = 6", "bool:True"},
      {u"1 + 1 <> 2", "bool:False"},
      {u"3 >= 3", "bool:True"},
      {u"3 <= 2", "bool:False"},
      // Comparisons do not chain: the right side "2 < 3" is read as one number literal.
      {u"1 < 2 < 3", "error:Illegal character in numeric contant \"2 < 3\""},
      // OR and AND share the levels of + and *: a - b or c is a - (b or c).
      {u"7 - 2 or 1", "int:4"},
      {u"TRUE and 1 = 1", "error:Operator AND is not compatible with string expressions"},
      {u"TRUE or FALSE", "bool:True"},
      {u"FALSE OR TRUE", "bool:True"},
      {u"TRUE And FALSE", "bool:False"},
      {u"6 or 3", "int:7"},
      {u"6 and 3", "int:2"},
      // OR needs a blank after it, so a parenthesis right behind it does not split.
      {u"1 or(2)", "error:Illegal character in numeric contant \"1 or(2)\""},
      // Operators inside quotes, brackets and parentheses are not split at.
      {u"'a+b' + 'c'", "str:a+bc"},
      {u"('1' + '2') + '3'", "str:123"},
  });
}

TEST(QREvaluatorTest, SignOfANumberIsNotABinaryOperator) {
  // A sign after blanks or after another operator belongs to the number: it neither splits the text
  // (which left an empty operand and an error) nor is turned round by the exchange in a minus's
  // right side.
  ExpectTable({
      {u"3--2", "int:5"},
      {u"3--2+1", "int:6"},
      {u"1 - - 1", "int:2"},
      {u"2 + -3", "int:-1"},
      {u"2 * -3 + 1", "int:-5"},
      {u"5 - 2 + -1", "int:2"},
      {u"10 - -4 - -3", "int:17"},
      {u"8/-2", "float:-4"},
      {u"-(2 - 5)", "int:3"},
      {u"IF(TRUE, -1, 2)", "int:-1"},
      {u"1 < -2", "bool:False"},
      {u"- 2", "int:-2"},
  });
}

TEST(QREvaluatorTest, LiteralsAndTheirErrors) {
  ExpectTable({
      {u"42", "int:42"},
      {u"1.5", "float:1,5"},
      {u"2.5E3", "float:2500"},
      {u"1.2.3", "error:Illegal character in numeric contant \"1.2.3\""},
      {u"1a", "error:Illegal character in numeric contant \"1a\""},
      {u"'it''s'", "str:it''s"},
      {u"''", "str:"},
      {u"'abc", "error:Missing '"},
      {u"'", "error:Missing '"},
      {u"(1 + 2", "error:Missing )"},
      {u"[abc", "error:Missing ]"},
      {u"#1", "error:Error in expression : #1"},
      {u"  @x  ", "error:Error in expression : @x"},
      {u"()", "error:Error in expression : "},
  });
}

TEST(QREvaluatorTest, IntegersAre64BitAndOverflowTurnsToFloat) {
  ExpectTable({
      // Kept as an integer now that integers have 64 bits; beyond them a literal becomes a float.
      {u"99999999999", "int:99999999999"},
      {u"99999999999999999999", "float:1E20"},
      {u"2147483647 + 1", "int:2147483648"},
      {u"3000000000 * 3", "int:9000000000"},
      {u"-2147483648 - 1", "int:-2147483649"},
      {u"9223372036854775807 + 1", "float:9,22337203685478E18"},
      {u"-9223372036854775807 - 10", "float:-9,22337203685478E18"},
      {u"4294967296 * 4294967296", "float:1,84467440737096E19"},
      {u"6000000000 or 1", "int:6000000001"},
      {u"9000000000 > 8999999999", "bool:True"},
  });
}

TEST(QREvaluatorTest, NotIsAWordOfItsOwn) {
  TQREvEnvironment env;
  env.AddFunction(u"NOTES", u"'noted'");
  env.AddFunction(u"NOTHING", u"TRUE");
  env.Prepare();
  TQREvaluator e;
  e.SetEnvironment(&env);
  ExpectTable(
      {
          {u"not (1 = 1)", "bool:False"},
          {u"not(1 = 2)", "bool:True"},
          {u"NOT TRUE", "bool:False"},
          {u"not 5", "error:Invalid use of NOT"},
          {u"not 'x'", "error:Invalid use of NOT"},
          // A name that begins with the letters of NOT is a name, not NOT applied to the rest.
          {u"NOTES", "str:noted"},
          {u"notes + '!'", "str:noted!"},
          {u"NOTHING", "bool:True"},
          {u"not NOTHING", "bool:False"},
          {u"not [Missing]", "error:Unknown function : Missing"},
          {u"not", "error:Error in expression : "},
      },
      &e);
  env.Unprepare();
}

TEST(QREvaluatorTest, FunctionArgumentsSplitAtTopLevelCommas) {
  ExpectTable({
      {u"IF(1 < 2, 'a,b', 'c')", "str:a,b"},
      {u"IF((1 = 2), COPY('x,y', 1, 1), IF(TRUE, 'in,ner', 'z'))", "str:in,ner"},
      {u"IF(1 = 1, 'yes', 'no')", "str:yes"},
      {u"IF(1 = 2, 'yes', 'no')", "str:no"},
      // An empty argument between two commas is left out.
      {u"IF(1 = 1,, 'b')", "error:Wrong arguments for IF"},
      {u"IF(TRUE, 'a', 'b',)", "str:a"},
  });
}

TEST(QREvaluatorTest, UnknownNamesSayWhichName) {
  ExpectTable({
      {u"FOO", "error:Unknown function : FOO"},
      {u"foo(1)", "error:Unknown function : FOO"},
      {u"Foo()", "error:Unknown function : FOO"},
      {u"[nofield]", "error:Unknown function : nofield"},
      {u"[nofield] + 1", "error:Unknown function : nofield"},
      {u"1 + [nofield]", "error:Unknown function : nofield"},
      {u"[a] + [b]", "error:Unknown function : a"},
  });
}

TEST(QREvaluatorTest, DeepNestingIsRefusedNotOverflowingTheStack) {
  const String deep = String(5000, u'(') + u"1" + String(5000, u')');
  EXPECT_EQ(Eval(deep), "error:Expression is nested too deeply");
  String sum = u"1";
  for (int i = 0; i < 400; ++i) sum += u" + 1";
  EXPECT_EQ(Eval(sum), "int:401");
  String longSum = u"1";
  for (int i = 0; i < 10000; ++i) longSum += u"+1";
  EXPECT_EQ(Eval(longSum), "error:Expression is nested too deeply");
}

TEST(QREvaluatorTest, MalformedTextsPrepareAndGiveErrors) {
  for (const char16_t* text : {u"(",
                               u")",
                               u"'",
                               u"[",
                               u"]",
                               u"((",
                               u"))",
                               u"'''",
                               u",",
                               u"IF(",
                               u"IF)",
                               u"1+",
                               u"+",
                               u"-",
                               u"- -",
                               u"*",
                               u"not",
                               u"[]",
                               u"F(,)",
                               u"IF(,,)",
                               u"((1)(2))",
                               u"COPY('a'",
                               u"a.b.c",
                               u"[a.b.c]",
                               u"1e",
                               u"1e+",
                               u"0x10",
                               u"<>",
                               u"= =",
                               u"'a' 'b",
                               u"SUM(COUNT(MAX()))",
                               u"\u0416",
                               u"1 2"}) {
    TQREvaluator e;
    EXPECT_NO_THROW(e.Prepare(text)) << Utf8(text);
    EXPECT_TRUE(e.GetPrepared());
    EXPECT_NO_THROW(e.Value()) << Utf8(text);
  }
}

// ---- Preparation and conversions ----

TEST(QREvaluatorTest, ValueBeforePrepareRaises) {
  TQREvaluator e;
  EXPECT_FALSE(e.GetPrepared());
  try {
    e.Value();
    FAIL();
  } catch (const Exception& ex) {
    EXPECT_EQ(Utf8(ex.Message()), "Evaluator not prepared");
  }
  EXPECT_THROW(e.DoAggregate(), Exception);
  e.Prepare(u"1");
  e.Prepare(u"2");  // prepares again over the first
  EXPECT_EQ(Describe(e.Value()), "int:2");
  e.UnPrepare();
  e.UnPrepare();
  EXPECT_FALSE(e.GetPrepared());
  EXPECT_THROW(e.Value(), Exception);
}

TEST(QREvaluatorTest, ConversionsFollowTheKindOfTheValue) {
  TQREvaluator e;
  e.Prepare(u"2.5");
  EXPECT_EQ(e.AsInteger(), 2);
  e.Prepare(u"3.5");
  EXPECT_EQ(e.AsInteger(), 4);
  EXPECT_DOUBLE_EQ(e.AsFloat(), 3.5);
  EXPECT_EQ(Utf8(e.AsString()), "3,5");
  e.Prepare(u"'true'");
  EXPECT_TRUE(e.AsBoolean());
  e.Prepare(u"'False'");
  EXPECT_FALSE(e.AsBoolean());
  e.Prepare(u"1 = 1");
  EXPECT_EQ(Utf8(e.AsString()), "True");
  e.Prepare(u"6000000000");
  EXPECT_EQ(e.AsInteger(), 6000000000LL);
  EXPECT_EQ(e.AsVariant().Type(), varInt64);
  e.Prepare(u"7");
  EXPECT_EQ(e.AsVariant().Type(), varInteger);
  e.Prepare(u"7 / 2");
  EXPECT_EQ(e.AsVariant().Type(), varDouble);
  e.Prepare(u"'x'");
  EXPECT_EQ(e.AsVariant().AsString(), u"x");

  struct TRaise {
    const char16_t* expression;
    int conversion;  // 0 AsString, 1 AsInteger, 2 AsFloat, 3 AsBoolean, 4 AsVariant
    const char* message;
  };
  for (const TRaise& c : std::initializer_list<TRaise>{
           {u"7 / 0", 0, "Error in expression : Cannot divide by 0"},
           {u"7 / 0", 4, "Error in expression : Cannot divide by 0"},
           {u"'x'", 1, "Not a numeric value"},
           {u"TRUE", 1, "Not a numeric value"},
           {u"[nothing]", 1, "Not a numeric value"},
           {u"'x'", 2, "Not a numeric value"},
           {u"1", 3, "Not a boolean value"},
           {u"'yes'", 3, "Not a boolean value"},
       }) {
    e.Prepare(c.expression);
    try {
      switch (c.conversion) {
        case 0:
          e.AsString();
          break;
        case 1:
          e.AsInteger();
          break;
        case 2:
          e.AsFloat();
          break;
        case 3:
          e.AsBoolean();
          break;
        default:
          e.AsVariant();
      }
      ADD_FAILURE() << Utf8(c.expression) << " did not raise";
    } catch (const Exception& ex) {
      EXPECT_EQ(Utf8(ex.Message()), c.message) << Utf8(c.expression);
    }
  }
}

TEST(QREvaluatorTest, PreparedExpressionIsParsedOnceAndEvaluatedOften) {
  TQREvaluator e;
  TQREvEnvironment env;
  env.AddFunction(u"N", u"1");
  env.Prepare();
  e.SetEnvironment(&env);
  e.Prepare(u"N * 10 + 1");
  EXPECT_EQ(Describe(e.Value()), "int:11");
  env.SetIntegerConstant(env.GetConstant(u"N"), 4);
  EXPECT_EQ(Describe(e.Value()), "int:41");
  TQREvResult reused;
  e.Value(reused);
  e.Value(reused);
  EXPECT_EQ(Describe(reused), "int:41");
  e.UnPrepare();
  env.Unprepare();
}

// ---- Operators ----

TEST(QREvaluatorTest, OperatorsCoerceAndReportMismatches) {
  ExpectTable({
      {u"7 / 2", "float:3,5"},
      {u"6 / 3", "float:2"},
      {u"7 / 0", "error:Cannot divide by 0"},
      {u"7.0 / 0", "error:Cannot divide by 0"},
      {u"7 / 0.0", "error:Cannot divide by 0"},
      {u"'10' < '9'", "bool:True"},
      {u"'a' = 'A'", "bool:False"},
      {u"'b' > 'a'", "bool:True"},
      {u"1 + 'a'", "str:1a"},
      {u"1.5 + 'a'", "str:1,5a"},
      {u"1 = 1.0", "bool:True"},
      {u"1 + 0.5", "float:1,5"},
      {u"0.5 * 2", "float:1"},
      {u"TRUE = 'True'", "bool:True"},
      {u"1 = TRUE", "bool:False"},
      {u"TRUE = TRUE", "bool:True"},
      {u"TRUE <> FALSE", "bool:True"},
      {u"TRUE + TRUE", "error:Cannot add boolean expressions"},
      {u"TRUE - TRUE", "error:Cannot subtract boolean expressions"},
      {u"TRUE * TRUE", "error:Cannot multiply boolean expressions"},
      {u"TRUE / TRUE", "error:Cannot divide boolean expressions"},
      {u"'a' - 'b'", "error:Cannot subtract string expressions"},
      {u"'a' * 'b'", "error:Cannot multiply string expressions"},
      {u"'a' / 'b'", "error:Cannot divide string expressions"},
      {u"TRUE < FALSE", "error:Operator < is not compatible with boolean expressions"},
      {u"TRUE <= FALSE", "error:Operator <= is not compatible with boolean expressions"},
      {u"TRUE > FALSE", "error:Operator > is not compatible with boolean expressions"},
      {u"TRUE >= FALSE", "error:Operator >= is not compatible with boolean expressions"},
      {u"1.5 or 2", "error:Operator OR is not compatible with numeric expressions"},
      {u"1.5 and 2.5", "error:Operator AND is not compatible with numeric expressions"},
      {u"'a' or 'b'", "error:Operator OR is not compatible with string expressions"},
      // The left error wins when both operands are errors.
      {u"(1 / 0) + [x]", "error:Cannot divide by 0"},
      {u"[x] + (1 / 0)", "error:Unknown function : x"},
  });
}

// ---- Fields and names ----

class QREvaluatorDataTest : public testing::Test {
 protected:
  void SetUp() override {
    orders_ = std::make_unique<TTestDataSet>(nullptr);
    orders_->SetName(u"Orders");
    orders_->GetFieldDefs()->Add(u"NAME", ftWideString, 20);
    orders_->GetFieldDefs()->Add(u"QTY", ftInteger);
    orders_->GetFieldDefs()->Add(u"BIG", ftLargeint);
    orders_->GetFieldDefs()->Add(u"PRICE", ftFloat);
    orders_->GetFieldDefs()->Add(u"PAID", ftBoolean);
    orders_->GetFieldDefs()->Add(u"DAY", ftDate);
    orders_->GetFieldDefs()->Add(u"NOTE", ftMemo);
    orders_->GetFieldDefs()->Add(u"DATE", ftWideString, 10);
    orders_->AddRow({Variant(u"bolt"), Variant(3), Variant(Int64(6000000000)), Variant(2.5), Variant(true),
                     Variant::FromDate(EncodeDate(2024, 2, 1)), Variant::Null(), Variant(u"field")});
    orders_->AddRow({Variant(u"nut"), Variant(5), Variant(Int64(-1)), Variant(0.25), Variant(false),
                     Variant::FromDate(EncodeDate(2024, 1, 15)), Variant::Null(), Variant(u"field2")});
    orders_->Open();

    clients_ = std::make_unique<TTestDataSet>(nullptr);
    clients_->SetName(u"Clients");
    clients_->GetFieldDefs()->Add(u"NAME", ftWideString, 20);
    clients_->AddRow({Variant(u"Acme")});
    clients_->Open();

    dataSets_.Add(orders_.get());
    dataSets_.Add(clients_.get());
    e_.SetDataSets(&dataSets_);
  }

  std::unique_ptr<TTestDataSet> orders_;
  std::unique_ptr<TTestDataSet> clients_;
  TList dataSets_;
  TQREvaluator e_;
};

TEST_F(QREvaluatorDataTest, FieldsReadByTheirClass) {
  ExpectTable(
      {
          {u"[NAME]", "str:bolt"},
          {u"[qty] * 2", "int:6"},
          {u"[BIG] * 2", "int:12000000000"},
          {u"[PRICE]", "float:2,5"},
          {u"[PAID]", "bool:True"},
          // Dates arrive as their display text.
          {u"[DAY]", "str:01.02.2024"},
          {u"[NOTE]", "error:Field NOTE is of unknown type"},
      },
      &e_);
}

TEST_F(QREvaluatorDataTest, DatesCompareByMomentNotByText) {
  // As texts "01.02.2024" < "15.01.2024"; as dates 1 February comes after 15 January.
  ExpectTable(
      {
          {u"[DAY] > '15.01.2024'", "bool:True"},
          {u"[DAY] = '1.2.2024'", "bool:True"},
          {u"'31.12.2023' < [DAY]", "bool:True"},
          {u"[DAY] + '!'", "str:01.02.2024!"},
          {u"[DAY] > 'not a date'", "bool:False"},
      },
      &e_);
  e_.Prepare(u"[DAY] < '15.01.2024'");
  EXPECT_EQ(Describe(e_.Value()), "bool:False");
  orders_->Next();
  EXPECT_EQ(Describe(e_.Value()), "bool:False");
  e_.Prepare(u"[DAY] <= '15.01.2024'");
  EXPECT_EQ(Describe(e_.Value()), "bool:True");
}

TEST_F(QREvaluatorDataTest, LookupOrderIsFunctionFieldEnvironment) {
  TQREvEnvironment env;
  env.AddFunction(u"QTY", u"100");
  env.AddFunction(u"LOCAL", u"'local'");
  env.AddFunction(u"APPNAME", u"'shadowed'");
  env.Prepare();
  e_.SetEnvironment(&env);
  ExpectTable(
      {
          // A dataset name and a field name take that dataset's field, though an earlier one has it.
          {u"[Clients.NAME]", "str:Acme"},
          {u"[clients.name]", "str:Acme"},
          {u"Clients.NAME", "str:Acme"},
          // A field name alone takes the first dataset in list order that has it.
          {u"[NAME]", "str:bolt"},
          {u"NAME", "str:bolt"},
          {u"[Orders.QTY]", "int:3"},
          {u"[Nobody.NAME]", "error:Unknown function : Nobody.NAME"},
          // Functions first: DATE is the function, the bracketed name the field.
          {u"[DATE]", "str:field"},
          {u"TYPEOF(DATE)", "str:STRING"},
          // Fields before environment names; the report's names before the global ones.
          {u"QTY", "int:3"},
          {u"LOCAL", "str:local"},
          {u"APPNAME", "str:shadowed"},
          {u"APPSTARTDATE = APPSTARTDATE", "bool:True"},
      },
      &e_);
  e_.SetEnvironment(nullptr);
  env.Unprepare();
}

TEST_F(QREvaluatorDataTest, FieldFollowsTheCurrentRecordAndAReopenedDataSet) {
  e_.Prepare(u"[NAME] + STR([QTY])");
  EXPECT_EQ(Describe(e_.Value()), "str:bolt3");
  orders_->Next();
  EXPECT_EQ(Describe(e_.Value()), "str:nut5");
  // Default fields are made anew when the dataset opens again: the element takes the new field.
  orders_->Close();
  EXPECT_EQ(Describe(e_.Value()).rfind("error:", 0), 0u);
  orders_->Open();
  EXPECT_EQ(Describe(e_.Value()), "str:bolt3");
}

}  // namespace
