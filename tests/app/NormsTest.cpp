// The norms dialog of an operation: opened from the processes screen for the current operation, new
// rows belong to that operation, a changed cell is written when its column is left, "Сохранить"
// writes the pending change, Esc discards it, and "Удалить" asks and keeps the last norm.
#include <gtest/gtest.h>

#include "app/ListScreen.h"
#include "app/Unit4.h"
#include "app/Unit6.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/Fields.h"
#include "platform/rtl/Strings.h"
#include "production/Unit22.h"
#include "tests/app/ScreenFixture.h"

namespace {

class NormsTest : public ScreenTest {
 protected:
  void OpenOperation(int id) {
    TADOQuery* operations = DataModule6->operation;
    operations->Close();
    operations->GetParameters()->ParamByName(u"id_proc_tech")->SetValue(1);
    operations->Open();
    Locate(operations, u"id", IntToStr(id));
  }
  // Shows the dialog as the processes screen does and runs inside while it is shown.
  void WithNorms(const std::function<void()>& inside) {
    Form4->SetTag(0);
    Form4->CheckBox1->SetChecked(true);
    EXPECT_TRUE(WhenModal(Form22, inside, [] { Form4->DBGrid1DblClick(nullptr); }));
  }
  std::string Norms(int operation) {
    return Scalar(
        "select string_agg(norma || ':' || price::float8 || ':' || prize, ' ' order by norma) from "
        "accounts_dep.norm where o_id = " +
        std::to_string(operation));
  }
};

TEST_F(NormsTest, EditingTheNormsOfAnOperation) {
  StartAs("milena");
  OpenOperation(10001);
  TADOTable* norm = Form22->norm;
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  WithNorms([&] {
    ASSERT_EQ(norm->GetRecordCount(), 2);
    EXPECT_EQ(norm->FieldByName(u"norma")->GetAsInteger(), 20);
    EXPECT_EQ(norm->FieldByName(u"price")->GetDisplayText(), u"35,50");
    // A change left with Esc is not written.
    Form22->DBGrid1ColEnter(nullptr);
    norm->FieldByName(u"price")->SetAsFloat(99);
    Form22->Button3Click(nullptr);
  });
  EXPECT_EQ(Norms(10001), "20:35.5:10 25:38:15");

  WithNorms([&] {
    // A changed cell is written when its column is left; a new row gets the operation.
    Form22->DBGrid1ColEnter(nullptr);
    norm->FieldByName(u"price")->SetAsFloat(1.2346);
    Form22->DBGrid1ColExit(nullptr);
    EXPECT_EQ(norm->FieldByName(u"price")->GetDisplayText(), u"1,235");
    norm->Append();
    norm->FieldByName(u"norma")->SetAsInteger(22);
    norm->FieldByName(u"price")->SetAsFloat(36);
    Form22->DBGrid1ColExit(nullptr);
    EXPECT_EQ(norm->GetRecordCount(), 3);
    // Delete asks; No keeps the row.
    boxes.AnswerButton(IDNO);
    Form22->Button2Click(nullptr);
    EXPECT_EQ(boxes.Last().Text, u"Удалить строку?");
    EXPECT_EQ(norm->GetRecordCount(), 3);
    // "Сохранить" writes the pending change and closes.
    Form22->DBGrid1ColEnter(nullptr);
    norm->FieldByName(u"prize")->SetAsInteger(7);
    Form22->Button1Click(nullptr);
  });
  const std::string after = Norms(10001);
  EXPECT_NE(after.find("20:1.2346:10"), std::string::npos) << after;
  EXPECT_NE(after.find("22:36:"), std::string::npos) << after;
  EXPECT_NE(after.find(":7"), std::string::npos) << after;

  // An operation without norms: the first typed norm is its own; the last norm cannot be deleted.
  OpenOperation(10002);
  WithNorms([&] {
    EXPECT_TRUE(norm->IsEmpty());
    Form22->DBGrid1ColEnter(nullptr);
    norm->FieldByName(u"norma")->SetAsInteger(40);
    Form22->DBGrid1ColExit(nullptr);
    const int asked = boxes.Count();
    Form22->Button2Click(nullptr);
    EXPECT_EQ(boxes.Count(), asked);
    EXPECT_EQ(norm->GetRecordCount(), 1);
  });
  EXPECT_EQ(Norms(10002), "40:0:0");
}

}  // namespace
