// Expression environments: named expressions used as variables, constants changed in place while
// prepared, recursion, the counted preparation of the global environment, and the "DATA" property
// through component streaming in binary and text form.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "ExprTestSupport.h"
#include "platform/classes/Lists.h"
#include "platform/classes/Streaming.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Variant.h"
#include "reportlib/engine/QREvElements.h"
#include "reportlib/engine/QREvEnvironment.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

// The report's run: its environment with the three run constants, prepared for the evaluators.
class QREvEnvironmentTest : public testing::Test {
 protected:
  void SetUp() override {
    env_.AddFunction(u"PAGENUMBER", u"0");
    env_.AddFunction(u"COLUMNNUMBER", u"0");
    env_.AddFunction(u"REPORTTITLE", u"''");
    e_.SetEnvironment(&env_);
  }
  void TearDown() override {
    e_.UnPrepare();
    while (env_.GetPrepared()) env_.Unprepare();
  }

  TQREvEnvironment env_;
  TQREvaluator e_;
};

TEST_F(QREvEnvironmentTest, NamedExpressionIsAVariableInAnyCase) {
  env_.AddFunction(u"Tax", u"1 + 2");
  env_.AddFunction(u"TAX", u"100");  // an existing name keeps its first expression
  env_.AddFunction(u"Label", u"'Total: ' + STR(TAX * 2)");
  env_.Prepare();
  ExpectTable({{u"TAX * 2", "int:6"}, {u"tax * 2", "int:6"}, {u"[Tax]", "int:3"}, {u"LABEL", "str:Total: 6"}},
              &e_);
  EXPECT_EQ(Describe(env_.Value(u"tax")), "int:3");
  EXPECT_EQ(Describe(env_.Value(u"nope")), "error:");
  std::unique_ptr<TQREvElement> element = env_.Element(u"Nope");
  TQREvResult result;
  element->Value(nullptr, result);
  EXPECT_EQ(Describe(result), "error:Unknown function : Nope");
  EXPECT_EQ(env_.IndexOf(u"TAX"), 3);
  EXPECT_EQ(env_.Get(3), u"TAX");
}

TEST_F(QREvEnvironmentTest, RunConstantsChangeInPlace) {
  EXPECT_EQ(env_.GetConstant(u"PAGENUMBER"), nullptr);
  env_.Prepare();
  TQREvElement* page = env_.GetConstant(u"PAGENUMBER");
  TQREvElement* title = env_.GetConstant(u"REPORTTITLE");
  ASSERT_NE(dynamic_cast<TQREvElementConstant*>(page), nullptr);
  ASSERT_NE(dynamic_cast<TQREvElementString*>(title), nullptr);
  EXPECT_EQ(env_.GetConstant(u"NOPE"), nullptr);

  e_.Prepare(u"REPORTTITLE + ', page ' + STR(PAGENUMBER)");
  env_.SetStringConstant(title, u"Sales");
  env_.SetIntegerConstant(page, 3);
  EXPECT_EQ(Describe(e_.Value()), "str:Sales, page 3");
  env_.SetIntegerConstant(page, 4);
  EXPECT_EQ(Describe(e_.Value()), "str:Sales, page 4");

  // A constant only takes values that suit its class.
  env_.SetStringConstant(page, u"x");
  env_.SetIntegerConstant(title, 9);
  EXPECT_EQ(Describe(e_.Value()), "str:Sales, page 4");
  TQREvResult text;
  text.SetString(u"Costs");
  env_.UpdateConstant(u"REPORTTITLE", text);
  TQREvResult number;
  number.SetInt(5);
  env_.UpdateConstant(u"REPORTTITLE", number);
  env_.SetFloatConstant(env_.GetConstant(u"COLUMNNUMBER"), 1.5);
  e_.Prepare(u"REPORTTITLE + STR(COLUMNNUMBER)");
  EXPECT_EQ(Describe(e_.Value()), "str:Costs1,5");
  env_.SetBooleanConstant(env_.GetConstant(u"COLUMNNUMBER"), true);
  EXPECT_EQ(Describe(e_.Value()), "str:CostsTrue");

  // A name added while the environment is prepared is ready at once, and the constants the run
  // holds stay valid.
  env_.AddFunction(u"LATE", u"PAGENUMBER + 1");
  env_.AddFunction(u"REPORTTITLE", u"'ignored'");
  e_.Prepare(u"LATE");
  EXPECT_EQ(Describe(e_.Value()), "int:5");
  env_.SetIntegerConstant(page, 7);
  EXPECT_EQ(Describe(e_.Value()), "int:8");
}

TEST_F(QREvEnvironmentTest, RecursionIsAnErrorNotACrash) {
  env_.AddFunction(u"SELF", u"SELF + 1");
  env_.AddFunction(u"PING", u"PONG");
  env_.AddFunction(u"PONG", u"PING * 2");
  env_.Prepare();
  ExpectTable({{u"SELF", "error:Recursive calls not allowed"},
               {u"PING", "error:Recursive calls not allowed"},
               {u"SELF + PING", "error:Recursive calls not allowed"}},
              &e_);
  // The guard is released after the error: the names work again on the next evaluation.
  env_.DeleteFunction(u"self");
  env_.DeleteFunction(u"nobody");
  EXPECT_EQ(env_.IndexOf(u"SELF"), -1);
}

TEST_F(QREvEnvironmentTest, UnpreparedEnvironmentGivesErrorValues) {
  env_.AddFunction(u"TWICE", u"2 * 2");
  e_.Prepare(u"TWICE + 1");
  EXPECT_EQ(Describe(e_.Value()), "error:Evaluator not prepared");
  env_.Prepare();
  EXPECT_EQ(Describe(e_.Value()), "int:5");
  // Counted: only the matching Unprepare unprepares the entries.
  env_.Prepare();
  env_.Unprepare();
  EXPECT_TRUE(env_.GetPrepared());
  EXPECT_EQ(Describe(e_.Value()), "int:5");
  env_.Unprepare();
  EXPECT_FALSE(env_.GetPrepared());
  env_.Unprepare();  // one too many does not count below zero
  env_.Prepare();
  EXPECT_EQ(Describe(e_.Value()), "int:5");
}

TEST_F(QREvEnvironmentTest, NamedExpressionsSeeTheEnvironmentsDataSets) {
  TTestDataSet data(nullptr);
  data.SetName(u"Lines");
  data.GetFieldDefs()->Add(u"QTY", ftInteger);
  data.AddRow({Variant(2)});
  data.AddRow({Variant(5)});
  data.Open();
  TList dataSets;
  dataSets.Add(&data);
  env_.SetDataSets(&dataSets);
  env_.AddFunction(u"AMOUNT", u"[QTY] * 10");
  env_.Prepare();
  e_.Prepare(u"AMOUNT + 1");
  EXPECT_EQ(Describe(e_.Value()), "int:21");
  data.Next();
  EXPECT_EQ(Describe(e_.Value()), "int:51");
  // Aggregates in a named expression keep their own totals; Reset reaches them through the name.
  env_.AddFunction(u"TOTAL", u"SUM([QTY])");
  TQREvEmbeddedFunction* total = env_.FindFunction(u"TOTAL");
  ASSERT_NE(total, nullptr);
  data.First();
  total->GetEvaluator()->DoAggregate();
  data.Next();
  total->GetEvaluator()->DoAggregate();
  e_.Prepare(u"TOTAL");
  EXPECT_EQ(Describe(e_.Value()), "int:7");
  e_.Reset();
  EXPECT_EQ(Describe(e_.Value()), "int:7");
  total->Reset();
  EXPECT_EQ(Describe(e_.Value()), "int:0");
  e_.UnPrepare();
  while (env_.GetPrepared()) env_.Unprepare();
  env_.SetDataSets(nullptr);
}

TEST(QRGlobalEnvironmentTest, HoldsTheApplicationsNamesAndStaysPrepared) {
  TQREvaluator e;
  e.Prepare(u"TYPEOF(APPNAME) + TYPEOF(AppStartTime) + TYPEOF(appstartdate)");
  EXPECT_EQ(Describe(e.Value()), "str:STRINGSTRINGSTRING");
  e.UnPrepare();
  TQREvEnvironment* global = QRGlobalEnvironment();
  EXPECT_TRUE(global->GetPrepared());
  // The application's title, which is the program's name until the program sets another.
  EXPECT_EQ(Describe(global->Value(u"AppName")), "str:test_reportlib_engine");
  EXPECT_EQ(Describe(global->Value(u"APPSTARTDATE")).substr(0, 4), "str:");
  // Evaluators on several threads share the global names.
  auto work = [] {
    for (int i = 0; i < 200; ++i) {
      TQREvaluator local;
      local.Prepare(u"APPNAME + APPSTARTTIME");
      if (local.Value().Kind != resString) ADD_FAILURE();
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_TRUE(global->GetPrepared());
}

// ---- Streaming ----

class TEnvironmentHolder : public TComponent {
  KIV_CLASS(TEnvironmentHolder, TComponent)
 public:
  explicit TEnvironmentHolder(TComponent* owner)
      : TComponent(owner), functions_(std::make_unique<TQREvEnvironment>()) {}
  static void Published(TPropBuilder<TEnvironmentHolder>& p) {
    p.Object(u"Functions", &TEnvironmentHolder::GetFunctions, &TEnvironmentHolder::SetFunctions);
  }
  TQREvEnvironment* GetFunctions() const { return functions_.get(); }
  void SetFunctions(TQREvEnvironment* value) { functions_->Assign(value); }

 private:
  std::unique_ptr<TQREvEnvironment> functions_;
};

std::string Bytes(TMemoryStream& s) {
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.GetSize()));
}

void Load(TMemoryStream& s, const std::string& bytes) {
  s.Clear();
  s.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  s.SetPosition(0);
}

void ExpectEntries(TQREvEnvironment* env, std::vector<std::pair<String, String>> expected) {
  ASSERT_EQ(env->GetCount(), static_cast<int>(expected.size()));
  for (int i = 0; i < env->GetCount(); ++i) {
    EXPECT_EQ(env->Get(i), expected[static_cast<size_t>(i)].first);
    ASSERT_NE(env->GetFunction(i), nullptr);
    EXPECT_EQ(env->GetFunction(i)->GetExpression(), expected[static_cast<size_t>(i)].second);
  }
}

TEST(QREvEnvironmentStreamingTest, DataRoundTripsInBinaryAndTextForm) {
  TEnvironmentHolder holder(nullptr);
  holder.SetName(u"Report1");
  holder.GetFunctions()->AddFunction(u"A", u"1");
  holder.GetFunctions()->AddFunction(u"B", u"'x'");
  holder.GetFunctions()->AddFunction(u"Caption", u"'Итого: ' + STR(A)");

  TMemoryStream binary;
  binary.WriteComponent(&holder);
  const std::string bytes = Bytes(binary);
  binary.SetPosition(0);
  TEnvironmentHolder fromBinary(nullptr);
  fromBinary.GetFunctions()->AddFunction(u"OLD", u"2");
  binary.ReadComponent(&fromBinary);
  const std::vector<std::pair<String, String>> expected = {
      {u"A", u"1"}, {u"B", u"'x'"}, {u"CAPTION", u"'Итого: ' + STR(A)"}};
  ExpectEntries(fromBinary.GetFunctions(), expected);

  TMemoryStream in, text;
  Load(in, bytes);
  ObjectBinaryToText(&in, &text);
  const std::string form = Bytes(text);
  EXPECT_NE(form.find("Functions.Strings = ("), std::string::npos) << form;
  EXPECT_NE(form.find("Functions.DATA = ("), std::string::npos) << form;
  TEnvironmentHolder fromText(nullptr);
  text.SetPosition(0);
  ReadComponentFromStream(&text, &fromText);
  ExpectEntries(fromText.GetFunctions(), expected);

  // The names read back work as names.
  TQREvaluator e;
  e.SetEnvironment(fromText.GetFunctions());
  fromText.GetFunctions()->Prepare();
  EXPECT_EQ(Eval(u"CAPTION + B", &e), "str:Итого: 1x");
  fromText.GetFunctions()->Unprepare();
}

TEST(QREvEnvironmentStreamingTest, EmptyEnvironmentStillWritesData) {
  TEnvironmentHolder holder(nullptr);
  holder.SetName(u"Report1");
  TMemoryStream binary, text;
  binary.WriteComponent(&holder);
  binary.SetPosition(0);
  ObjectBinaryToText(&binary, &text);
  const std::string form = Bytes(text);
  EXPECT_NE(form.find("Functions.DATA = ("), std::string::npos) << form;
  EXPECT_EQ(form.find("Functions.Strings"), std::string::npos) << form;
  binary.SetPosition(0);
  TEnvironmentHolder back(nullptr);
  back.GetFunctions()->AddFunction(u"X", u"1");
  binary.ReadComponent(&back);
  // No names were stored, so the ones already there stay.
  EXPECT_EQ(back.GetFunctions()->GetCount(), 1);
}

TEST(QREvEnvironmentStreamingTest, ExpressionsWithoutNamesAreRefused) {
  TMemoryStream text;
  Load(text,
       "object Report1: TEnvironmentHolder\r\n"
       "  Functions.Strings = (\r\n"
       "    'A')\r\n"
       "  Functions.DATA = (\r\n"
       "    '1'\r\n"
       "    '2')\r\n"
       "end\r\n");
  TEnvironmentHolder holder(nullptr);
  EXPECT_THROW(ReadComponentFromStream(&text, &holder), Exception);
}

TEST(QREvEnvironmentStreamingTest, AssignCopiesNamesAndExpressions) {
  TQREvEnvironment source, copy;
  source.AddFunction(u"A", u"1 + 1");
  source.AddFunction(u"B", u"A * 3");
  copy.AddFunction(u"OLD", u"0");
  copy.Assign(&source);
  ExpectEntries(&copy, {{u"A", u"1 + 1"}, {u"B", u"A * 3"}});
  EXPECT_NE(copy.GetFunction(0), source.GetFunction(0));
  TStringList plain;
  EXPECT_THROW(copy.Assign(&plain), EConvertError);
}

}  // namespace
