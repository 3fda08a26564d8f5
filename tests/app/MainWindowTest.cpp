// The main window: every menu item opens its screen and leaves its dataset closed, Esc and "Выход"
// close the window, and the database clean-up (No sends nothing; Yes empties production, stock and
// purchases in one transaction, keeps the reference data and ends the program).
#include <gtest/gtest.h>

#include "app/Unit1.h"
#include "app/Unit23.h"
#include "app/Unit6.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Images.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/app/AppFixture.h"

namespace {

class MainWindowTest : public AppTest {
 protected:
  // The connection as the given login, as "Вход" leaves it.
  void ConnectAs(const std::string& login) {
    DataModule6->ADO_DB->SetConnected(false);
    DataModule6->ADO_DB->SetConnectionString(LoginConnectionString(
        {u"localhost", Utf8ToString(database_), u""}, Utf8ToString(login), DemoPassword(login)));
    DataModule6->ADO_DB->SetConnected(true);
  }
  std::string Counts() {
    return Scalar(
        "select (select count(*) from mnf_app.app_doc) || ' ' || (select count(*) from mnf_app.app_spec) || "
        "' ' || "
        "(select count(*) from stk_stocks.stock) || ' ' || (select count(*) from stk_stocks.stock_in) || ' ' "
        "|| "
        "(select count(*) from stk_purchase.purchase_doc) || ' ' || (select count(*) from "
        "accounts_dep.smena) || ' ' "
        "|| (select count(*) from accounts_dep.h_tabel) || ' ' || (select count(*) from "
        "mnf_proc_tech.tp_operation) "
        "|| ' ' || (select count(*) from cmn_inventory_items.inventory_items where cost_price <> 0)");
  }
  std::string ReferenceCounts() {
    return Scalar(
        "select (select count(*) from cmn_department.department) || ' ' || (select count(*) from "
        "cmn_contractor.person) || ' ' || (select count(*) from hrms_staffpos.staffpos) || ' ' || (select "
        "count(*) "
        "from adm_role.roles) || ' ' || (select count(*) from adm_user.users) || ' ' || (select count(*) "
        "from "
        "cmn_contractor.jur_person) || ' ' || (select count(*) from cmn_inventory_items.nomenclature) || ' ' "
        "|| "
        "(select count(*) from cmn_inventory_items.inventory_items) || ' ' || (select count(*) from "
        "mnf_operation.operation_type) || ' ' || (select count(*) from mnf_proc_tech.proc_tech) || ' ' || "
        "(select "
        "count(*) from mnf_operation.operation) || ' ' || (select count(*) from ver)");
  }
};

TEST_F(MainWindowTest, EveryMenuItemOpensItsScreenAndClosesItsDatasetAfterwards) {
  CreateForms();
  struct Case {
    const char16_t* item;
    const char16_t* form;
    TDataSet* dataSet;  // the shared query the item opens, if any
    int tag;            // 7 where the item leaves the Tag alone
  };
  TDataModule6* dm = DataModule6;
  const Case cases[] = {
      {u"N19", u"Form30", dm->department, 7}, {u"N1", u"Form5", dm->workers, 0},
      {u"N8", u"Form26", dm->staffpos, 7},    {u"N21", u"Form32", dm->role, 7},
      {u"N24", u"Form34", dm->jur_person, 0}, {u"N9", u"Form28", dm->nomenclature, 7},
      {u"N3", u"Form3", nullptr, 0},          {u"N6", u"Form8", dm->operation_type, 0},
      {u"N4", u"Form4", dm->proc_tech, 0},    {u"N20", u"Form35", dm->role, 0},
      {u"N30", u"Form59", nullptr, 7},        {u"N31", u"Form60", nullptr, 7},
      {u"N15", u"Form36", dm->stock, 0},      {u"N14", u"Form50", nullptr, 7},
      {u"N33", u"Form74", nullptr, 7},        {u"N25", u"Form46", nullptr, 7},
      {u"N26", u"Form55", nullptr, 7},        {u"N27", u"Form45", nullptr, 7},
      {u"N17", u"Form41", dm->app_doc, 0},    {u"N32", u"Form67", nullptr, 32},
      {u"N34", u"Form70", nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.item));
    auto* form = dynamic_cast<TForm*>(Application->FindComponent(c.form));
    ASSERT_NE(form, nullptr);
    form->SetTag(7);
    bool openWhileShown = false;
    TDataSet* data = c.dataSet;
    EXPECT_TRUE(WhileModal(form, [&] {
      if (data) data->AfterOpen = TDataSetNotifyEvent([&](TDataSet*) { openWhileShown = true; });
      // "Заявки" stays disabled; its handler still opens its screen.
      if (String(c.item) == u"N26")
        Form1->N26Click(Form1);
      else
        Form1->MenuItem(c.item)->Click();
    }));
    if (data) {
      EXPECT_TRUE(openWhileShown);
      EXPECT_FALSE(data->GetActive());
      data->AfterOpen = TDataSetNotifyEvent();
    }
    EXPECT_EQ(form->GetTag(), c.tag);
  }
  EXPECT_FALSE(Form1->MenuItem(u"N26")->GetEnabled());
  EXPECT_FALSE(Form1->MenuItem(u"N11")->GetVisible());
  EXPECT_FALSE(Form1->MenuItem(u"N7")->GetVisible());
  EXPECT_EQ(Form1->MainMenu1->GetItems()->GetCount(), 9);
}

TEST_F(MainWindowTest, EveryAccountingWindowCarriesTheProgramsIcon) {
  CreateForms();
  int forms = 0;
  for (Integer i = 0; i < Screen->GetCustomFormCount(); ++i) {
    TCustomForm* form = Screen->GetCustomForm(i);
    const String name = form->ClassName();
    if (name.size() < 6 || name.rfind(u"TForm", 0) != 0 || name[5] < u'0' || name[5] > u'9') continue;
    ++forms;
    EXPECT_FALSE(form->GetIcon()->GetEmpty()) << StringToUtf8(name);
    EXPECT_GE(form->GetIcon()->GetWidth(), 16) << StringToUtf8(name);
  }
  EXPECT_GT(forms, 0);
}

TEST_F(MainWindowTest, EscAndExitCloseTheWindow) {
  for (const char16_t* item : {u"N5", u"Esc"}) {
    SCOPED_TRACE(StringToUtf8(item));
    CreateForms();
    EXPECT_TRUE(Form1->Button1->GetCancel());
    TTimer later(nullptr);
    later.SetInterval(5);
    later.OnTimer = TNotifyEvent([&](TObject*) {
      if (!Form1->IsModal()) return;
      later.SetEnabled(false);
      // Esc presses the zero-sized cancel button.
      if (String(item) == u"Esc")
        Form1->Button1->Click();
      else
        Form1->MenuItem(item)->Click();
    });
    later.SetEnabled(true);
    Form1->ShowModal();
    EXPECT_FALSE(Form1->GetVisible());
    DestroyForms();
  }
}

TEST_F(MainWindowTest, CleanUpAnsweredNoSendsNothing) {
  CreateForms();
  ConnectAs("sys");
  const std::string before = Counts();
  TDialogRecorder boxes(TDialogAnswer::Button(IDNO));
  Form1->MenuItem(u"N28")->Click();
  ASSERT_EQ(boxes.Count(), 1);
  EXPECT_EQ(boxes.Last().Text, u"Очистить базу?");
  EXPECT_EQ(boxes.Last().Caption, u"Ошибка");
  EXPECT_EQ(boxes.Last().Flags, MB_YESNO | MB_ICONSTOP);
  EXPECT_EQ(Counts(), before);
  EXPECT_EQ(DataModule6->Control->GetSQL()->GetCount(), 0);
  EXPECT_FALSE(Application->GetTerminated());
}

TEST_F(MainWindowTest, CleanUpEmptiesProductionStockAndPurchasesAndEndsTheProgram) {
  CreateForms();
  ConnectAs("sys");
  ASSERT_NE(Counts().substr(0, 2), "0 ");
  const std::string reference = ReferenceCounts();
  TDialogRecorder boxes(TDialogAnswer::Button(IDYES));
  Form1->MenuItem(u"N28")->Click();
  EXPECT_EQ(Counts(), "0 0 0 0 0 0 0 0 0");
  EXPECT_EQ(ReferenceCounts(), reference);
  EXPECT_TRUE(Application->GetTerminated());
}

TEST_F(MainWindowTest, ARefusedCleanUpChangesNothingAndTheWindowStays) {
  CreateForms();
  // milena may not clean the database: the server refuses the first schema after the plain truncates.
  ConnectAs("milena");
  const std::string before = Counts();
  TDialogRecorder boxes(TDialogAnswer::Button(IDYES));
  EXPECT_THROW(Form1->MenuItem(u"N28")->Click(), EDatabaseError);
  EXPECT_EQ(Counts(), before);
  EXPECT_FALSE(Application->GetTerminated());
  EXPECT_FALSE(DataModule6->ADO_DB->GetInTransaction());
}

}  // namespace
