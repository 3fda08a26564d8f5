// Staff positions and the roles list: add without a department, edit with one, delete answered both
// ways, and the roles list's filter (which stays on the shared dataset).
#include <gtest/gtest.h>

#include "app/ListScreen.h"
#include "app/Unit26.h"
#include "app/Unit27.h"
#include "app/Unit32.h"
#include "app/Unit6.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/rtl/Utf.h"
#include "tests/app/ScreenFixture.h"

namespace {

class PositionsTest : public ScreenTest {};

TEST_F(PositionsTest, AddEditAndDelete) {
  StartAs("milena");
  TDataSet* list = DataModule6->staffpos;
  list->Open();
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  // Chosen in an earlier showing: a new position keeps the last department shown.
  Form27->p_department->SetKeyValue(Variant());
  WhenModal(
      Form27,
      [&] {
        Form27->Edit1->SetText(kHostile);
        Form27->Button1Click(nullptr);
      },
      [&] { Form26->Button1Click(nullptr); });
  EXPECT_EQ(
      Scalar("select s_caption || '|' || s_description || '|' || id_department from hrms_staffpos.staffpos "
             "where s_caption like 'O''Brien%'"),
      StringToUtf8(kHostile) + "||0");

  Locate(list, u"s_caption", u"Маляр");
  const Integer recNo = list->GetRecNo();
  WhenModal(
      Form27,
      [&] {
        EXPECT_EQ(Form27->Edit2->GetText(), u"Покраска изделий");
        EXPECT_EQ(Form27->p_department->GetText(), u"Участок покраски");
        Form27->Edit1->SetText(u" Маляр-оператор ");
        Form27->p_department->SetKeyValue(Variant(2));
        Form27->Button1Click(nullptr);
      },
      [&] { Form26->Button2Click(nullptr); });
  EXPECT_EQ(Scalar("select s_caption || '|' || id_department from hrms_staffpos.staffpos where id = 4"),
            "Маляр-оператор|2");
  EXPECT_EQ(list->GetRecNo(), recNo);
  EXPECT_FALSE(Form27->cb_department->GetActive());

  // A position someone holds: the server refuses, the list stays.
  Locate(list, u"s_caption", u"Табельщик");
  boxes.AnswerButton(IDYES);
  EXPECT_THROW(Form26->Button3Click(nullptr), Exception);
  EXPECT_EQ(Scalar("select count(*) from hrms_staffpos.staffpos where id = 9"), "1");
  EXPECT_EQ(list->FieldByName(u"s_caption")->GetAsString(), u"Табельщик");

  Locate(list, u"s_caption", kHostile);
  boxes.AnswerButton(IDNO).AnswerButton(IDYES);
  Form26->Button3Click(nullptr);
  EXPECT_EQ(Scalar("select count(*) from hrms_staffpos.staffpos where s_caption like 'O''Brien%'"), "1");
  Form26->Button3Click(nullptr);
  EXPECT_EQ(Scalar("select count(*) from hrms_staffpos.staffpos where s_caption like 'O''Brien%'"), "0");
  EXPECT_EQ(boxes.Last().Text, u"Удалить строку?");
}

TEST_F(PositionsTest, RolesListFiltersByTheStartOfTheCaption) {
  StartAs("milena");
  TDataSet* roles = DataModule6->role;
  roles->Open();
  Form32->Edit1->SetText(u"ма");
  ASSERT_EQ(roles->GetRecordCount(), 2);  // "Мастер", "Маркетинг"
  Reopen(roles);
  EXPECT_EQ(roles->GetRecordCount(), 2);
  Form32->Edit1->SetText(u"");
  EXPECT_EQ(roles->GetRecordCount(), 8);
}

}  // namespace
