// Operation types: add, edit, the description a new type starts with, delete both ways, and picking a
// type for the operation dialog (the list's buttons put back afterwards).
#include <gtest/gtest.h>

#include "app/ListScreen.h"
#include "app/Unit10.h"
#include "app/Unit6.h"
#include "app/Unit8.h"
#include "app/Unit9.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/rtl/Utf.h"
#include "tests/app/ScreenFixture.h"

namespace {

class OperationTypesTest : public ScreenTest {};

TEST_F(OperationTypesTest, AddEditAndDelete) {
  StartAs("milena");
  TDataSet* list = DataModule6->operation_type;
  list->Open();
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  Locate(list, u"s_caption", u"Резка");
  WhenModal(
      Form9,
      [&] {
        EXPECT_EQ(Form9->GetTag(), 2);
        EXPECT_EQ(Form9->Edit2->GetText(), u"Резка металлопроката");
        Form9->Edit1->SetText(u"Резка плазмой");
        Form9->Button1Click(nullptr);
      },
      [&] { Form8->Button2Click(nullptr); });
  EXPECT_EQ(Scalar("select s_caption || '|' || s_description from mnf_operation.operation_type where id = 1"),
            "Резка плазмой|Резка металлопроката");

  // A new type starts with the description last shown.
  WhenModal(
      Form9,
      [&] {
        EXPECT_EQ(Form9->Edit1->GetText(), u"");
        Form9->Edit1->SetText(kHostile);
        Form9->Button1Click(nullptr);
      },
      [&] { Form8->Button1Click(nullptr); });
  EXPECT_EQ(Scalar("select s_description from mnf_operation.operation_type where s_caption like 'O''Brien%'"),
            "Резка металлопроката");

  Locate(list, u"s_caption", kHostile);
  boxes.AnswerButton(IDNO).AnswerButton(IDYES);
  Form8->Button3Click(nullptr);
  EXPECT_EQ(Scalar("select count(*) from mnf_operation.operation_type where s_caption like 'O''Brien%'"),
            "1");
  Form8->Button3Click(nullptr);
  EXPECT_EQ(Scalar("select count(*) from mnf_operation.operation_type where s_caption like 'O''Brien%'"),
            "0");
}

TEST_F(OperationTypesTest, PickingATypeForTheOperationDialog) {
  StartAs("milena");
  Form8->Edit1->SetText(u"сва");  // left from an earlier showing: the picker clears it
  EXPECT_TRUE(WhenModal(
      Form8,
      [&] {
        EXPECT_EQ(Form8->GetTag(), 1);
        EXPECT_FALSE(Form8->Button1->GetVisible());
        EXPECT_TRUE(Form8->Button2->GetDefault());
        EXPECT_EQ(Form8->Edit1->GetText(), u"");
        Locate(DataModule6->operation_type, u"s_caption", u"Сварка");
        Form8->Button2Click(nullptr);
      },
      [&] { Form10->Button4Click(nullptr); }));
  EXPECT_EQ(Form10->Edit2->GetText(), u"Сварка");
  EXPECT_EQ(Form10->OperationTypeId, 3);
  EXPECT_FALSE(DataModule6->operation_type->GetActive());
  EXPECT_TRUE(Form8->Button1->GetVisible());
  EXPECT_TRUE(Form8->Edit1->GetVisible());
  EXPECT_FALSE(Form8->Button2->GetDefault());
}

}  // namespace
