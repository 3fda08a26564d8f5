// The function library and the built-in functions: registration order and builder codes, the
// functions' results and error texts, and the aggregates over a dataset with and without a reset.
#include <gtest/gtest.h>

#include <memory>

#include "ExprTestSupport.h"
#include "platform/classes/Lists.h"
#include "platform/classes/StringList.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Variant.h"
#include "reportlib/engine/QREvElements.h"
#include "reportlib/engine/QRExtraFunctions.h"
#include "reportlib/engine/QRFunctionLibrary.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

TEST(QRFunctionLibraryTest, RegistersBuiltInsThenExtrasInOrder) {
  TQRFunctionLibrary* library = QRFunctionLibrary();
  ASSERT_GE(library->GetEntries()->GetCount(), 49);
  const char16_t* const first[] = {u"IF",      u"STR",    u"UPPER",         u"LOWER",    u"PRETTY", u"TIME",
                                   u"DATE",    u"COPY",   u"SUM",           u"COUNT",    u"MAX",    u"MIN",
                                   u"AVERAGE", u"TRUE",   u"FALSE",         u"INT",      u"FRAC",   u"SQRT",
                                   u"DIV",     u"TYPEOF", u"FORMATNUMERIC", u"PAGECOUNT"};
  for (int i = 0; i < static_cast<int>(std::size(first)); ++i)
    EXPECT_EQ(library->GetEntry(i)->GetName(), first[i]) << i;
  EXPECT_EQ(library->GetEntry(48)->GetName(), u"PADRIGHT");
  EXPECT_EQ(library->GetEntry(100000), nullptr);

  TQRLibraryEntry* copy = library->GetEntry(library->IndexOf(u"copy"));
  EXPECT_EQ(copy->GetItem(), TQREvCopyFunction::StaticClass());
  EXPECT_EQ(copy->GetData(), u"7SNN");
  EXPECT_EQ(copy->GetDescription(), u"COPY(<X>, <St>,<Len>)|Returns a substring of string X");
  EXPECT_EQ(library->GetEntry(library->IndexOf(u"DIV"))->GetDescription(),
            u"DIV(<X>, <Y>) | Integer division of <X> by <Y>");
  EXPECT_EQ(library->GetEntry(library->IndexOf(u"CURRENCY"))->GetDescription(),
            u"CURRENCY|Returns Windows'' default currency ");

  // The builder lists a category by the first digit of the code.
  std::vector<String> statistical;
  for (int i = 0; TQRLibraryEntry* entry = library->GetEntry(i); ++i)
    if (entry->GetData().front() == u'3') statistical.push_back(entry->GetName());
  EXPECT_EQ(statistical, (std::vector<String>{u"SUM", u"COUNT", u"MAX", u"MIN", u"AVERAGE"}));

  std::unique_ptr<TQREvElement> made = library->GetFunction(u"sum");
  EXPECT_NE(dynamic_cast<TQREvSumFunction*>(made.get()), nullptr);
  EXPECT_TRUE(made->GetIsAggreg());
  std::unique_ptr<TQREvElement> unknown = library->GetFunction(u"NOPE");
  auto* error = dynamic_cast<TQREvElementError*>(unknown.get());
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->GetErrorMessage(), u"Unknown function : NOPE");
}

TEST(QRFunctionLibraryTest, SecondRegistrationOfANameIsSkipped) {
  const int before = QRFunctionLibrary()->GetEntries()->GetCount();
  RegisterQRFunctionOnce(TQREvTrue::StaticClass(), u"SUM", u"SUM|other", u"5", u"test");
  RegisterQRFunctionOnce(TQREvTrue::StaticClass(), u"sum", u"SUM|other", u"5", u"test");
  EXPECT_EQ(QRFunctionLibrary()->GetEntries()->GetCount(), before);
  EXPECT_EQ(Eval(u"SUM(1)"), "int:0");
}

TEST(QRFunctionLibraryTest, BuiltInFunctions) {
  ExpectTable({
      {u"DIV(7, 2)", "int:3"},
      {u"DIV(-7, 2)", "int:-3"},
      {u"DIV(7.5, 2)", "int:4"},
      {u"DIV(6.5, 2)", "int:3"},
      {u"DIV(1, 0)", "error:Division by Zero"},
      {u"DIV(1, 0.4)", "error:Division by Zero"},
      {u"DIV('a', 1)", "error:Wrong arguments for DIV"},
      {u"DIV(1)", "error:Wrong arguments for DIV"},
      {u"DIV(1E30, 1)", "error:Wrong arguments for DIV"},
      {u"DIV(12000000000, 5)", "int:2400000000"},
      {u"INT(-2.7)", "int:-2"},
      {u"INT(2.7)", "int:2"},
      {u"INT(5)", "int:5"},
      {u"INT('5')", "error:Wrong arguments for INT"},
      {u"INT(1E300)", "error:Wrong arguments for INT"},
      {u"FRAC(5)", "float:0"},
      {u"FRAC(-2.5)", "float:-0,5"},
      {u"FRAC('x')", "error:"},
      {u"SQRT(16)", "float:4"},
      {u"SQRT(2.25)", "float:1,5"},
      {u"SQRT(-1)", "error:Invalid argument to SQRT function"},
      {u"SQRT('4')", "error:Invalid argument to SQRT function"},
      {u"SQRT()", "error:Invalid argument to SQRT function"},
      {u"STR(12)", "str:12"},
      {u"STR(-6000000000)", "str:-6000000000"},
      {u"STR(1.5)", "str:1,5"},
      {u"STR(1 = 1)", "str:True"},
      {u"STR('a')", "error:Conversion error"},
      {u"STR(1 / 0)", "error:Conversion error"},
      {u"STR(1, 2)", "error:Conversion error"},
      {u"UPPER('abc')", "str:ABC"},
      {u"UPPER('привет')", "str:ПРИВЕТ"},
      {u"LOWER('ABC Ёж')", "str:abc ёж"},
      {u"UPPER(5)", "error:"},
      {u"UPPER(1 / 0)", "error:Cannot divide by 0"},
      {u"UPPER()", "error:Missing argument for UPPER"},
      {u"LOWER('a', 'b')", "error:Missing argument for LOWER"},
      {u"PRETTY('hELLO wORLD')", "str:Hello world"},
      {u"PRETTY('мОСКВА')", "str:Москва"},
      {u"PRETTY('')", "str:"},
      {u"PRETTY()", "error:Missing argument for PRETTY"},
      {u"COPY('abcdef', 0, 2)", "str:ab"},
      {u"COPY('abcdef', 3, 10)", "str:cdef"},
      {u"COPY('abcdef', 7, 1)", "str:"},
      {u"COPY('abcdef', 2, -1)", "str:"},
      {u"COPY('abcdef', 1.5, 2)", "error:"},
      {u"COPY('abcdef', 1)", "error:"},
      // Never half of a surrogate pair: U+1F600 is two code units.
      {u"COPY('a\U0001F600b', 3, 2)", "str:b"},
      {u"COPY('a\U0001F600b', 1, 2)", "str:a"},
      {u"COPY('a\U0001F600b', 2, 2)", "str:\U0001F600"},
      {u"IF(1, 'a', 'b')", "error:Wrong arguments for IF"},
      {u"IF(TRUE, 'a')", "error:Wrong arguments for IF"},
      {u"IF(TRUE, 1, 1 / 0)", "int:1"},
      {u"TYPEOF(1/2)", "str:FLOAT"},
      {u"TYPEOF(1)", "str:INTEGER"},
      {u"TYPEOF('a')", "str:STRING"},
      {u"TYPEOF(TRUE)", "str:BOOLEAN"},
      {u"TYPEOF(1/0)", "str:ERROR"},
      {u"TYPEOF(1, 2)", "error:Wrong arguments for TypeOf"},
      {u"FORMATNUMERIC('0.00', 3.14159)", "str:3,14"},
      {u"FORMATNUMERIC('#,##0', 1234567)", "str:1\u00A0234\u00A0567"},
      {u"FORMATNUMERIC(3, 3)", "error:"},
      {u"TRUE", "bool:True"},
      {u"FALSE", "bool:False"},
      {u"TRUE(1)", "error:Too many arguments"},
      {u"FALSE()", "bool:False"},
      {u"COUNT(1)", "error:COUNT - Too many arguments"},
      {u"COUNT", "int:0"},
      {u"TIME(1)", "error:"},
      {u"DATE('x')", "error:"},
  });
}

TEST(QRFunctionLibraryTest, TimeAndDateGiveTheClockAsText) {
  const String today = DateToStr(Date());
  const std::string date = Eval(u"DATE");
  // Midnight may pass between the two readings.
  EXPECT_TRUE(date == "str:" + Utf8(today) || date == "str:" + Utf8(DateToStr(Date()))) << date;
  // H:mm:ss, the long time format of the locale.
  const std::string time = Eval(u"TIME");
  TDateTime parsed;
  EXPECT_EQ(time.substr(0, 4), "str:") << time;
  EXPECT_TRUE(TryStrToTime(Utf8ToString(time.substr(4)), parsed)) << time;
  EXPECT_EQ(time.size() - time.rfind(':'), 3u) << time;
}

// ---- Aggregates ----

class QRAggregateTest : public testing::Test {
 protected:
  void SetUp() override {
    data_ = std::make_unique<TTestDataSet>(nullptr);
    data_->SetName(u"Lines");
    data_->GetFieldDefs()->Add(u"A", ftInteger);
    data_->GetFieldDefs()->Add(u"F", ftFloat);
    data_->GetFieldDefs()->Add(u"S", ftWideString, 10);
    data_->GetFieldDefs()->Add(u"B", ftBoolean);
    data_->GetFieldDefs()->Add(u"BIG", ftLargeint);
    data_->GetFieldDefs()->Add(u"D", ftDate);
    const int a[] = {1, 2, 3, 4, 5};
    const double f[] = {0.5, 1.5, 2.5, 3.5, 4.5};
    const char16_t* s[] = {u"b", u"c", u"a", u"e", u"d"};
    const bool b[] = {true, false, true, true, false};
    const TDateTime d[] = {EncodeDate(2024, 1, 15), EncodeDate(2024, 2, 1), EncodeDate(2023, 12, 31),
                           EncodeDate(2024, 1, 2), EncodeDate(2024, 1, 20)};
    for (int i = 0; i < 5; ++i)
      data_->AddRow({Variant(a[i]), Variant(f[i]), Variant(s[i]), Variant(b[i]),
                     Variant(Int64(4000000000) * (i + 1)), Variant::FromDate(d[i])});
    data_->Open();
    dataSets_.Add(data_.get());
  }

  // Prepares the expression and runs an aggregate pass on each of the next count records.
  std::unique_ptr<TQREvaluator> Aggregate(const String& expression, int count) {
    auto e = std::make_unique<TQREvaluator>();
    e->SetDataSets(&dataSets_);
    e->Prepare(expression);
    e->Reset();
    Passes(*e, count);
    return e;
  }

  void Passes(TQREvaluator& e, int count) {
    for (int i = 0; i < count && !data_->Eof(); ++i) {
      e.DoAggregate();
      data_->Next();
    }
  }

  std::unique_ptr<TTestDataSet> data_;
  TList dataSets_;
};

TEST_F(QRAggregateTest, TotalsOverTheRecords) {
  struct TCase {
    const char16_t* expression;
    int records;
    const char* expected;
  };
  for (const TCase& c : {
           TCase{u"SUM([A])", 3, "int:6"},
           TCase{u"SUM([A])", 0, "int:0"},
           TCase{u"SUM([F])", 2, "float:2"},
           TCase{u"SUM([BIG])", 5, "int:60000000000"},
           TCase{u"SUM([A] * 2) + 1", 5, "int:31"},
           TCase{u"COUNT", 4, "int:4"},
           TCase{u"AVERAGE([A])", 2, "float:1,5"},
           TCase{u"AVERAGE([A])", 0, "float:0"},
           TCase{u"MAX([S])", 3, "str:c"},
           TCase{u"MIN([S])", 5, "str:a"},
           TCase{u"MAX([A])", 5, "int:5"},
           TCase{u"MIN([F])", 5, "float:0,5"},
           TCase{u"MIN([B])", 2, "bool:False"},
           TCase{u"MAX([B])", 1, "bool:True"},
           TCase{u"MAX([A])", 0, "int:0"},
           // Dates by their moment: the latest is 01.02.2024, the earliest 31.12.2023.
           TCase{u"MAX([D])", 5, "str:01.02.2024"},
           TCase{u"MIN([D])", 5, "str:31.12.2023"},
           TCase{u"SUM([S])", 2, "error:"},
           TCase{u"SUM([A], 1)", 2, "error:"},
           TCase{u"SUM([NOFIELD])", 2, "error:Unknown function : NOFIELD"},
           TCase{u"MAX(1, 2)", 1, "error:"},
       }) {
    data_->First();
    auto e = Aggregate(c.expression, c.records);
    EXPECT_EQ(Describe(e->Value()), c.expected) << Utf8(c.expression);
  }
}

TEST_F(QRAggregateTest, NormalPassesReadTheTotalWithoutAdding) {
  auto e = Aggregate(u"SUM([A])", 3);
  EXPECT_TRUE(e->GetIsAggreg());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Describe(e->Value()), "int:6");
  e->Reset();
  EXPECT_EQ(Describe(e->Value()), "int:0");

  TQREvaluator plain;
  plain.SetDataSets(&dataSets_);
  plain.Prepare(u"[A] + 1");
  EXPECT_FALSE(plain.GetIsAggreg());
}

TEST_F(QRAggregateTest, ResetStartsANewGroup) {
  auto e = Aggregate(u"SUM([A])", 2);  // records 1 and 2
  EXPECT_EQ(Describe(e->Value()), "int:3");
  e->Reset();
  Passes(*e, 3);  // records 3, 4 and 5
  EXPECT_EQ(Describe(e->Value()), "int:12");

  // Without a reset the total runs on over both groups.
  data_->First();
  auto running = Aggregate(u"COUNT + SUM([A])", 2);
  Passes(*running, 3);
  EXPECT_EQ(Describe(running->Value()), "int:20");

  data_->First();
  auto average = Aggregate(u"AVERAGE([F])", 2);
  average->Reset();
  EXPECT_EQ(Describe(average->Value()), "float:0");
  Passes(*average, 3);
  EXPECT_EQ(Describe(average->Value()), "float:3,5");
}

TEST_F(QRAggregateTest, SumWidensToFloatAndAverageCountsOnlyWhatItSummed) {
  // Values 1, 3 (as float 3.0) and 4.5: an integer first value must not cut the floats after it.
  auto sum = Aggregate(u"SUM(IF([A] > 1, [A] * 1.5, [A]))", 3);
  EXPECT_EQ(Describe(sum->Value()), "float:8,5");
  data_->First();
  auto floatFirst = Aggregate(u"SUM(IF([A] = 1, 0.5, [A]))", 3);
  EXPECT_EQ(Describe(floatFirst->Value()), "float:5,5");
  // The boolean of record 2 is skipped by the sum and must not be counted: (1 + 3) / 2.
  data_->First();
  auto average = Aggregate(u"AVERAGE(IF([A] = 2, TRUE, [A]))", 3);
  EXPECT_EQ(Describe(average->Value()), "float:2");
  // A text after numbers spoils the sum.
  data_->First();
  auto spoilt = Aggregate(u"SUM(IF([A] = 2, 'x', [A]))", 3);
  EXPECT_EQ(Describe(spoilt->Value()), "error:");
  // MAX and MIN compare integers and floats as numbers.
  data_->First();
  auto max = Aggregate(u"MAX(IF([A] = 2, 2.5, [A]))", 2);
  EXPECT_EQ(Describe(max->Value()), "float:2,5");
  Passes(*max, 1);
  EXPECT_EQ(Describe(max->Value()), "int:3");
  // Integer totals beyond 32 bits.
  data_->First();
  auto big = Aggregate(u"SUM([A] * 1000000000)", 5);
  EXPECT_EQ(Describe(big->Value()), "int:15000000000");
}

}  // namespace
