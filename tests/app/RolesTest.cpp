// Role administration: roles added and changed as typed, the start and end dates stamped by the active
// switch, the list opened from the menu and closed by Esc, and a read-only login refused by the server.
#include <gtest/gtest.h>

#include "app/ListScreen.h"
#include "app/Unit1.h"
#include "app/Unit35.h"
#include "app/Unit58.h"
#include "app/Unit6.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/app/ScreenFixture.h"

namespace {

class RolesTest : public ScreenTest {
 protected:
  std::string Role(const std::string& condition) {
    return Scalar(
        "select s_name || '|' || s_caption || '|' || b_active || '|' || (d_begin = current_date) || "
        "'|' || coalesce((d_end = current_date)::text, 'null') from adm_role.roles where " +
        condition);
  }
};

TEST_F(RolesTest, AddChangeAndTheActiveSwitchStampsTheDates) {
  StartAs("milena");
  DataModule6->role->Open();
  WhenModal(
      Form58,
      [&] {
        EXPECT_TRUE(Form58->CheckBox1->GetChecked());
        Form58->Edit1->SetText(u"  hostile  ");
        Form58->Edit2->SetText(kHostile);
        Form58->Button5Click(nullptr);
      },
      [&] { Form35->Button1Click(nullptr); });
  EXPECT_EQ(Role("s_name = 'hostile'"), "hostile|" + StringToUtf8(kHostile) + "|true|true|null");

  Sql("update adm_role.roles set d_begin = date '2020-01-01' where s_name = 'hostile'");
  Reopen(DataModule6->role);
  Locate(DataModule6->role, u"s_name", u"hostile");
  const Integer recNo = DataModule6->role->GetRecNo();
  auto save = [&](bool active) {
    WhenModal(
        Form58,
        [&] {
          EXPECT_EQ(Form58->Edit1->GetText(), u"hostile");
          Form58->CheckBox1->SetChecked(active);
          Form58->Button5Click(nullptr);
        },
        [&] { Form35->Button2Click(nullptr); });
  };
  save(false);
  EXPECT_EQ(Role("s_name = 'hostile'"), "hostile|" + StringToUtf8(kHostile) + "|false|false|true");
  EXPECT_EQ(DataModule6->role->GetRecNo(), recNo);
  save(true);
  EXPECT_EQ(Role("s_name = 'hostile'"), "hostile|" + StringToUtf8(kHostile) + "|true|true|null");

  // Empty boxes write nothing and keep the editor open.
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  const std::string count = Scalar("select count(*) from adm_role.roles");
  WhenModal(
      Form58,
      [&] {
        Form58->Edit1->SetText(u"   ");
        Form58->Edit2->SetText(u"Роль");
        Form58->Button5Click(nullptr);
        EXPECT_EQ(Form58->GetModalResult(), mrNone);
      },
      [&] { Form35->Button1Click(nullptr); });
  ASSERT_GE(boxes.Count(), 1);
  EXPECT_EQ(boxes.Last().Text, u"Все поля должны быть заполнены!");
  EXPECT_EQ(Scalar("select count(*) from adm_role.roles"), count);

  // "Изменить" on an empty list opens nothing.
  DataModule6->role->SetFilter(u"s_name = 'none'");
  DataModule6->role->SetFiltered(true);
  EXPECT_FALSE(WhenModal(
      Form58, [] {}, [&] { Form35->Button2Click(nullptr); }));
  DataModule6->role->SetFiltered(false);
}

TEST_F(RolesTest, TheMenuOpensTheListWithTheTablesRowsAndEscClosesIt) {
  StartAs("milena");
  bool closed = false;
  Integer rows = -1;
  EXPECT_TRUE(WhenModal(
      Form35,
      [&] {
        rows = DataModule6->role->GetRecordCount();
        SendKey(Form35->DBGridEh1, VK_ESCAPE);
        ProcessPendingEvents();
        closed = Form35->GetModalResult() == mrCancel;
      },
      [&] { Form1->N20Click(nullptr); }));
  EXPECT_EQ(std::to_string(rows), Scalar("select count(*) from adm_role.roles"));
  EXPECT_TRUE(closed);
  EXPECT_FALSE(DataModule6->role->GetActive());
}

TEST_F(RolesTest, AReadOnlyLoginSeesTheServersRefusalAndTheListStays) {
  StartAs("econom");
  DataModule6->role->Open();
  const std::string before =
      Scalar("select md5(string_agg(t::text, ',' order by t.id)) from adm_role.roles t");
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  bool stayed = false;
  WhenModal(
      Form58,
      [&] {
        Form58->Edit2->SetText(Form58->Edit2->GetText() + u" (изм.)");
        AsUserEvent([] { Form58->Button5->Click(); });
        stayed = Form58->GetModalResult() == mrNone;
      },
      [&] { Form35->Button2Click(nullptr); });
  EXPECT_TRUE(stayed);
  ASSERT_GE(boxes.Count(), 1);
  EXPECT_NE(boxes.Last().Text.find(u"permission denied"), String::npos) << StringToUtf8(boxes.Last().Text);
  EXPECT_EQ(Scalar("select md5(string_agg(t::text, ',' order by t.id)) from adm_role.roles t"), before);
}

}  // namespace
