// The data module: numbers for SQL text, the stored connection that must open at creation, and the
// shared queries, which all open on the demo data with their persistent fields.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/Startup.h"
#include "app/Unit1.h"
#include "app/Unit23.h"
#include "app/Unit6.h"
#include "erp/StartupForms.h"
#include "platform/controls/Dialogs.h"
#include "platform/data/Fields.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/app/AppFixture.h"

namespace {

TEST(ToDbDecimalTest, ReplacesTheFirstSeparatorWithTheDatabasesDelimiter) {
  struct Case {
    const char16_t* input;
    const char16_t* delimiter;
    const char16_t* result;
  };
  const Case cases[] = {
      {u"12,5", u".", u"12.5"},
      {u"12.5", u".", u"12.5"},
      {u"7", u".", u"7"},
      {u"", u".", u"0"},
      {u"", u",", u"0"},
      {u"1,5,5", u".", u"1.5,5"},
      {u"1.234,5", u".", u"1.234.5"},
      {u"12.5", u",", u"12,5"},
      {u"0,75", u".", u"0.75"},
      {u" 3,5", u".", u" 3.5"},
      {u"abc", u".", u"abc"},
      {u"-0,5", u".", u"-0.5"},
      // An empty delimiter (an empty or new table ver) must not glue the digits together.
      {u"12,5", u"", u"12.5"},
      {u"12.5", u"", u"12.5"},
  };
  std::unique_ptr<TDataModule6> module(new TDataModule6(nullptr));
  for (const Case& c : cases) {
    module->SetDecimalDelimiter(c.delimiter);
    EXPECT_EQ(module->ToDbDecimal(c.input), c.result) << StringToUtf8(c.input);
  }
}

class DataModuleTest : public AppTest {};

TEST_F(DataModuleTest, SharedQueriesOpenWithTheirPersistentFields) {
  CreateForms();
  TDataModule6* dm = DataModule6;
  dm->operation->GetParameters()->ParamByName(u"id_proc_tech")->SetValue(1);
  dm->app_spec->GetParameters()->ParamByName(u"ii_id1")->SetValue(1);
  dm->app_spec->GetParameters()->ParamByName(u"ii_id2")->SetValue(1);
  for (TADOQuery* q : {dm->Smena1, dm->Smena2, dm->Smena3, dm->Smena4}) {
    q->GetParameters()->ParamByName(u"data")->SetValue(VarFromDateTime(EncodeDate(2024, 3, 1)));
    q->GetParameters()->ParamByName(u"OK")->SetValue(String(u"ta"));
  }
  for (TADOQuery* q : {dm->H_Tabel_1, dm->H_Tabel_2, dm->H_Tabel_3}) {
    q->GetParameters()->ParamByName(u"mnth")->SetValue(3);
    q->GetParameters()->ParamByName(u"yea")->SetValue(2024);
  }
  const std::pair<TCustomADODataSet*, bool> lists[] = {
      {dm->workers, true},
      {dm->department, true},
      {dm->staffpos, true},
      {dm->role, true},
      {dm->jur_person, true},
      {dm->nomenclature, true},
      {dm->operation_type, true},
      {dm->inventory_items, true},
      {dm->proc_tech, true},
      {dm->operation, false},
      {dm->msm, true},
      {dm->stock, true},
      {dm->stock_in, true},
      {dm->app_doc, true},
      {dm->app_spec, false},
      {dm->spec_out, false},
      {dm->Smena1, false},
      {dm->Smena2, false},
      {dm->Smena3, false},
      {dm->Smena4, false},
      {dm->H_Tabel_1, false},
      {dm->H_Tabel_2, false},
      {dm->H_Tabel_3, false},
      {dm->ver, true},
  };
  for (const auto& [query, hasRows] : lists) {
    SCOPED_TRACE(StringToUtf8(query->GetName()));
    ASSERT_NO_THROW(query->Open());
    if (hasRows) {
      EXPECT_GT(query->GetRecordCount(), 0);
    }
    // Persistent fields come from the resource, one component per field, named after the query.
    ASSERT_GT(query->GetFieldCount(), 0);
    EXPECT_EQ(query->GetFields()->GetField(0)->GetOwner(), dm);
    query->Close();
  }
  dm->department->Open();
  EXPECT_TRUE(dynamic_cast<TAutoIncField*>(dm->department->FieldByName(u"id")));
  EXPECT_TRUE(dm->department->FieldByName(u"s_parent")->GetReadOnly());
  dm->inventory_items->Open();
  EXPECT_TRUE(dynamic_cast<TFMTBCDField*>(dm->inventory_items->FieldByName(u"cost_price")));
  EXPECT_FALSE(dm->inventory_items->Locate(u"id", 0, {}));  // the "none" item is left out
}

// The driver manager reads its data sources once per process: the test runs in a process of its own.
TEST(DataSourceTest, ADataSourceThatCannotConnectStopsTheProgramWithTheError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TTempFolder folder;
  const std::string ini = folder.File("odbc.ini");
  WriteBytes(ini,
             "[kiv_erp_dev]\nDriver=PostgreSQL Unicode\nServername=localhost\nPort=5432\n"
             "Database=happ_no_such_database\nUsername=econom\nPassword=" +
                 StringToUtf8(DemoPassword("econom")) + "\n");
  EXPECT_EXIT(
      {
        setenv("ODBCINI", ini.c_str(), 1);
        setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);
        InitTestApplication();
        TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
        SetArguments({});
        RunProgram(0, nullptr, [] { CreateAccountingForms(); });
        const bool stopped = boxes.Count() == 1 && Form1 == nullptr && Form23 == nullptr &&
                             Application->GetMainForm() == nullptr;
        std::fprintf(stderr, "boxes %d: %s\n", boxes.Count(),
                     boxes.Count() ? StringToUtf8(boxes.Last().Text).c_str() : "");
        _exit(stopped ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "boxes 1: .*happ_no_such_database.* does not exist");
}

}  // namespace
