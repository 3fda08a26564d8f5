// The extra expression functions: dates and times given as text (with CALCDATE over the whole
// calendar), padding, trimming and conversions, INI files and the registry, and the property readers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "ExprTestSupport.h"
#include "platform/classes/Component.h"
#include "platform/classes/Registry.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/testing/TestSupport.h"
#include "reportlib/engine/QRExtraFunctions.h"
#include "reportlib/output/ReportOutputLibrary.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

TEST(QRExtraFunctionsTest, CalcDateAddsDaysMonthsAndYears) {
  ExpectTable({
      {u"CALCDATE('31.01.2024', 0, 1, 0)", "str:02.03.2024"},
      {u"CALCDATE('31.01.2023', 0, 1, 0)", "str:03.03.2023"},
      {u"CALCDATE('15.01.2024', 0, -12, 0)", "str:15.01.2023"},
      {u"CALCDATE('15.03.2024', 10, -3, 1)", "str:25.12.2024"},
      {u"CALCDATE('15.03.2024 10:30:00', 1, 0, 0)", "str:16.03.2024"},
      {u"CALCDATE('01.01.2024', -1, 0, 0)", "str:31.12.2023"},
      {u"CALCDATE('15.05.2024', 0, -17, 0)", "str:15.12.2022"},
      // Outside 1900 to 2079, where 16-bit day numbers wrapped round.
      {u"CALCDATE('01.01.1850', 1, 0, 0)", "str:02.01.1850"},
      {u"CALCDATE('31.12.1899', 1, 0, 0)", "str:01.01.1900"},
      {u"CALCDATE('06.06.2079', 1, 0, 0)", "str:07.06.2079"},
      {u"CALCDATE('01.01.2100', 0, 0, 1)", "str:01.01.2101"},
      {u"CALCDATE('01.07.2024', 0, 0, -500)", "str:01.07.1524"},
      {u"CALCDATE('31.12.9999', 1, 0, 0)", "error:"},
      {u"CALCDATE('01.01.0001', -1, 0, 0)", "error:"},
      {u"CALCDATE('15.03.2024', 0, 0, 9000000000000)", "error:"},
      {u"CALCDATE('31.02.2024', 0, 0, 0)", "error:"},
      {u"CALCDATE('15.03.2024', 1.5, 0, 0)", "error:"},
      {u"CALCDATE('15.03.2024', 1, 0)", "error:"},
  });
}

TEST(QRExtraFunctionsTest, CalcTimeCarriesAndDropsTheDay) {
  ExpectTable({
      {u"CALCTIME('23:59:30', 0, 0, 45)", "str:0:00:15"},
      {u"CALCTIME('10:00:00', -11, 0, 0)", "str:23:00:00"},
      {u"CALCTIME('10:59:00', 0, 1, 0)", "str:11:00:00"},
      {u"CALCTIME('10:00:00', 0, -61, -1)", "str:8:58:59"},
      {u"CALCTIME('10:00:00', 0, 0, 86400)", "str:10:00:00"},
      // A huge count is carried by division, not one step at a time.
      {u"CALCTIME('00:00:00', 0, 0, 999999999999)", "str:1:46:39"},
      {u"CALCTIME('12:00', 1, 0, 0)", "str:13:00:00"},
      {u"CALCTIME('bad', 1, 0, 0)", "error:"},
      {u"CALCTIME('10:00:00', 'a', 0, 0)", "error:"},
  });
}

TEST(QRExtraFunctionsTest, DatePartsAndNames) {
  ExpectTable({
      {u"EXTRACTDAY('15.03.2024')", "int:15"},
      {u"EXTRACTMONTH('15.03.2024')", "int:3"},
      {u"EXTRACTYEAR('15.03.2024 12:00:00')", "int:2024"},
      {u"EXTRACTYEAR('no date')", "error:"},
      {u"DAYOFWEEK('17.03.2024')", "int:1"},
      {u"DAYOFWEEK('23.03.2024')", "int:7"},
      {u"DAYSTRING(1)", "str:воскресенье"},
      {u"DAYSTRING(7)", "str:суббота"},
      {u"DAYSTRING(0)", "error:"},
      {u"MONTHSTRING(3)", "str:Март"},
      {u"MONTHSTRING(13)", "error:"},
      {u"MONTHSTRING('3')", "error:"},
      {u"REFORMATDATE('15.03.2024 10:05:00', 'yyyy-mm-dd hh:nn')", "str:2024-03-15 10:05"},
      {u"REFORMATDATE('x', 'yyyy')", "error:"},
  });
}

TEST(QRExtraFunctionsTest, TextsAndNumbers) {
  ExpectTable({
      {u"PADLEFT('ab', 5)", "str:   ab"},
      {u"PADRIGHT('ab', 5)", "str:ab   "},
      {u"PADRIGHT('abcdef', 3)", "str:abcdef"},
      {u"PADLEFT('ab', -3)", "str:ab"},
      {u"PADLEFT('ab', 5000000000)", "error:"},
      {u"PADLEFT(5, 5)", "error:"},
      {u"TRIM('  two words  ')", "str:two words"},
      {u"TRIM('   ')", "str:"},
      {u"ABS(-3)", "int:3"},
      {u"ABS(-2.5)", "float:2,5"},
      {u"ABS(-6000000000)", "int:6000000000"},
      {u"ABS('a')", "error:"},
      {u"CHR(65)", "str:A"},
      {u"CHR(1046)", "str:Ж"},
      {u"CHR(65601)", "str:A"},
      {u"STRTOINT('42')", "int:42"},
      {u"STRTOINT('12345678901')", "int:12345678901"},
      {u"STRTOINT('12a')", "error:"},
      {u"STRTONUM('1,5')", "float:1,5"},
      {u"STRTONUM('x')", "error:"},
      {u"QUERYPARAM('Query1', 'ID')", "error:"},
      {u"CURRENCY", "str:₽"},
  });
}

// Counters and lookups need the report on an open form: with no form to search they are errors.
TEST(QRExtraFunctionsTest, LookupsWithoutFormsAreErrors) {
  ExpectTable({
      {u"PAGECOUNT", "error:"},
      {u"DETAILCOUNT", "error:"},
      {u"DETAILNO", "error:"},
      {u"COLUMNNO", "error:"},
      {u"GETCAPTION('Label1')", "error:"},
      {u"RECORDCOUNT('Query1')", "error:"},
      {u"ISNULL('Query1', 'ID')", "error:"},
      {u"FIELDLEN('Query1', 'ID')", "error:"},
  });
}

// ---- Reports, components and datasets on the open forms ----

class TPropertyHolder : public TComponent {
  KIV_CLASS(TPropertyHolder, TComponent)
 public:
  explicit TPropertyHolder(TComponent* owner) : TComponent(owner) {}
  static void Published(TPropBuilder<TPropertyHolder>& p) {
    p.Bool(u"FixBottomPosition", &TPropertyHolder::fixBottom, &TPropertyHolder::fixBottom);
    p.Bool(u"StretchHeightWithBand", &TPropertyHolder::stretch, &TPropertyHolder::stretch);
    p.Str(u"Caption", &TPropertyHolder::caption, &TPropertyHolder::caption);
    p.Int(u"Count", &TPropertyHolder::count, &TPropertyHolder::count);
  }
  bool fixBottom = true;
  bool stretch = false;
  String caption = u"Итого";
  int count = 1;
};

class TFakeReport : public TComponent, public IQRExprReport {
  KIV_CLASS(TFakeReport, TComponent)
 public:
  explicit TFakeReport(TComponent* owner) : TComponent(owner) {}
  Integer GetRecordCount() override { return 5; }
  Integer GetRecordNumber() override { return 2; }
  Integer GetCurrentColumn() override { return 1; }
};

class TFakeLabelSheet : public TComponent, public IQRExprLabelSheet {
  KIV_CLASS(TFakeLabelSheet, TComponent)
 public:
  explicit TFakeLabelSheet(TComponent* owner) : TComponent(owner) {}
  Integer GetTotalPageCount() override { return 7; }
};

class TFakeExpr : public TComponent, public IQRExprCaption {
  KIV_CLASS(TFakeExpr, TComponent)
 public:
  explicit TFakeExpr(TComponent* owner) : TComponent(owner) {}
  String GetCurrentCaption() override { return u"printed text"; }
};

template <class T>
T* Place(TComponent* owner, const String& name) {
  auto* component = new T(owner);
  component->SetName(name);
  return component;
}

TEST(QRExtraFormsTest, CountersAndLookupsSearchTheOpenForms) {
  InitTestApplication();
  InitializeReportOutput();
  auto form1 = std::make_unique<TForm>(nullptr, 0);
  form1->SetName(u"ReportForm");
  auto* query = Place<TTestDataSet>(form1.get(), u"Query1");
  query->GetFieldDefs()->Add(u"ID", ftInteger);
  query->GetFieldDefs()->Add(u"NAME", ftWideString, 30);
  query->AddRow({Variant::Null(), Variant(u"first")});
  query->AddRow({Variant(2), Variant(u"second")});
  query->Open();
  Place<TTestDataSet>(form1.get(), u"Total");  // no caption: GETCAPTION looks further
  Place<TFakeExpr>(form1.get(), u"Expr1");
  Place<TFakeReport>(form1.get(), u"Report1");
  auto form2 = std::make_unique<TForm>(nullptr, 0);
  form2->SetName(u"OtherForm");
  Place<TPropertyHolder>(form2.get(), u"Total");
  auto module = std::make_unique<TDataModule>(nullptr, 0);
  module->SetName(u"Data");
  Place<TFakeLabelSheet>(module.get(), u"VaruzUvuzed");
  Place<TTestDataSet>(module.get(), u"Query2")->GetFieldDefs()->Add(u"ID", ftInteger);

  ExpectTable({
      {u"PAGECOUNT", "int:7"},
      {u"PAGECOUNT(1)", "error:"},
      {u"DETAILCOUNT", "int:5"},
      {u"DETAILNO", "int:2"},
      {u"COLUMNNO", "int:1"},
      {u"GETCAPTION('Total')", "str:Итого"},
      {u"GETCAPTION('Expr1')", "str:printed text"},
      {u"GETCAPTION('Nothing')", "error:"},
      {u"RECORDCOUNT('Query1')", "int:2"},
      {u"RECORDCOUNT('Report1')", "error:"},
      {u"RECORDCOUNT('Query2')", "error:"},  // data modules are not searched
      {u"ISNULL('Query1', 'ID')", "bool:True"},
      {u"ISNULL('Query1', 'NAME')", "bool:False"},
      {u"ISNULL('Query1', 'NOPE')", "error:"},
      {u"FIELDLEN('Query1', 'NAME')", "int:30"},
      {u"FIELDLEN('Query9', 'NAME')", "error:"},
  });
  EXPECT_EQ(FindReportComponent(u"Query2", TDataSet::StaticClass()), module->FindComponent(u"Query2"));
  EXPECT_EQ(FindReportComponent(u"Query1", TDataSet::StaticClass(), u"NAME"), query);
  EXPECT_EQ(FindReportComponent(u"Query1", TDataSet::StaticClass(), u"NOPE"), nullptr);
  EXPECT_EQ(FindReportComponent(u"Query1", TPropertyHolder::StaticClass()), nullptr);
  EXPECT_EQ(FirstReportOnForms(), dynamic_cast<IQRExprReport*>(form1->FindComponent(u"Report1")));
}

class QRExtraFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("qr-extra-" + std::to_string(::getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old) savedConfig_ = old;
    hadConfig_ = old != nullptr;
    ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  }
  void TearDown() override {
    if (hadConfig_)
      ::setenv("XDG_CONFIG_HOME", savedConfig_.c_str(), 1);
    else
      ::unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(dir_);
  }

  std::filesystem::path dir_;
  std::string savedConfig_;
  bool hadConfig_ = false;
};

TEST_F(QRExtraFilesTest, ReadIniReadsAKeyOfASection) {
  std::ofstream(dir_ / "report.ini") << "[Print]\r\nTitle=Склад\r\nCopies=2\r\n";
  const String path = Utf8ToString((dir_ / "report.ini").string());
  ExpectTable({
      {String(u"READINI('" + path + u"', 'Print', 'Title')").c_str(), "str:Склад"},
      {String(u"READINI('" + path + u"', 'print', 'COPIES')").c_str(), "str:2"},
      {String(u"READINI('" + path + u"', 'Print', 'Missing')").c_str(), "str:"},
      {u"READINI('/nonexistent/dir/x.ini', 'a', 'b')", "str:"},
      {u"READINI('a.ini', 'a')", "error:"},
  });
}

TEST_F(QRExtraFilesTest, ReadRegistryReadsBelowTheCurrentUser) {
  {
    TRegIniFile registry(u"Software\\KIV\\Reports");
    registry.WriteString(u"Print", u"Printer", u"Office");
  }
  ExpectTable({
      {u"READREGISTRY('Software\\KIV\\Reports', 'Print', 'Printer')", "str:Office"},
      {u"READREGISTRY('Software\\KIV\\Reports', 'Print', 'Other')", "str:"},
      {u"READREGISTRY('Software\\KIV\\Reports', 'Print')", "error:"},
  });
}

// ---- Property readers ----

TEST(QRPropertyReadersTest, ReadPublishedPropertiesByName) {
  TPropertyHolder holder(nullptr);
  EXPECT_TRUE(GetBoolProperty(&holder, u"FixBottomPosition"));
  EXPECT_FALSE(GetBoolProperty(&holder, u"StretchHeightWithBand"));
  EXPECT_FALSE(GetBoolProperty(&holder, u"Missing"));
  EXPECT_TRUE(GetBoolProperty(&holder, u"Count"));  // an ordinal of 1
  EXPECT_FALSE(GetBoolProperty(nullptr, u"Count"));
  EXPECT_EQ(GetStringProperty(&holder, u"Caption"), u"Итого");
  EXPECT_EQ(GetStringProperty(&holder, u"Missing"), u"");
  EXPECT_EQ(GetStringProperty(&holder, u"Count"), u"");
  EXPECT_TRUE(HasPublishedProperty(&holder, u"Caption"));
}

}  // namespace
