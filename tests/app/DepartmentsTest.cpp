// The departments list and editor: add and edit with the warehouse kind and parent, the required
// name, delete answered both ways, and the filter box (start of the name, any case, quotes).
#include <gtest/gtest.h>

#include "app/ListScreen.h"
#include "app/Unit30.h"
#include "app/Unit31.h"
#include "app/Unit6.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/rtl/Utf.h"
#include "tests/app/ScreenFixture.h"

namespace {

class DepartmentsTest : public ScreenTest {
 protected:
  TDataSet* List() { return DataModule6->department; }
  std::string Row(const std::string& where) {
    return Scalar(
        "select s_caption || '|' || coalesce(s_description, '') || '|' || id_parent || '|' || type || "
        "'|' || s_type from cmn_department.department where " +
        where);
  }
};

TEST_F(DepartmentsTest, AddEditAndTheRequiredName) {
  StartAs("milena");
  List()->Open();
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));

  // A warehouse ticked without another choice is a finished-goods warehouse.
  EXPECT_TRUE(WhenModal(
      Form31,
      [&] {
        EXPECT_EQ(Form31->GetTag(), 1);
        EXPECT_FALSE(Form31->type_combo->GetEnabled());
        Form31->Edit1->SetText(String(u"  ") + kHostile + u" ");
        Form31->Edit2->SetText(u"примечание");
        Form31->p_department->SetKeyValue(Variant(2));
        Form31->CheckBox1->SetChecked(true);
        Form31->Button1Click(nullptr);
      },
      [&] { Form30->Button5Click(nullptr); }));
  EXPECT_EQ(Row("s_caption like 'O''Brien%'"), StringToUtf8(kHostile) + "|примечание|2|0|Склад ГП");

  // A plain department: no kind.
  WhenModal(
      Form31,
      [&] {
        Form31->Edit1->SetText(u"Участок резки");
        Form31->Button1Click(nullptr);
      },
      [&] { Form30->Button5Click(nullptr); });
  EXPECT_EQ(Row("s_caption = 'Участок резки'"), "Участок резки||2|-1|");

  // Editing the raw-material warehouse right after shows its own kind and keeps it.
  Locate(List(), u"s_caption", u"Склад сырья");
  const Integer recNo = List()->GetRecNo();
  WhenModal(
      Form31,
      [&] {
        EXPECT_EQ(Form31->GetTag(), 0);
        EXPECT_TRUE(Form31->CheckBox1->GetChecked());
        EXPECT_EQ(Form31->type_combo->GetItemIndex(), 2);
        EXPECT_EQ(Form31->Edit1->GetText(), u"Склад сырья");
        Form31->Edit1->SetText(u"Склад сырья №1");
        Form31->Button1Click(nullptr);
      },
      [&] { Form30->Button2Click(nullptr); });
  EXPECT_EQ(Row("id = 4"), "Склад сырья №1|Металлопрокат, метизы, краски|0|2|Склад сырья");
  EXPECT_EQ(List()->GetRecNo(), recNo);
  EXPECT_FALSE(Form31->cb_department->GetActive());

  // Only spaces in the name: the error box, nothing written, the editor stays open.
  const std::string before = Scalar("select count(*) from cmn_department.department");
  bool stayed = false;
  WhenModal(
      Form31,
      [&] {
        Form31->Edit1->SetText(u"   ");
        Form31->Button1Click(nullptr);
        stayed = Form31->GetModalResult() == mrNone;
      },
      [&] { Form30->Button5Click(nullptr); });
  EXPECT_TRUE(stayed);
  EXPECT_EQ(boxes.Last().Text, u"Все поля должны быть заполнены!");
  EXPECT_EQ(boxes.Last().Caption, u"Ошибка");
  EXPECT_EQ(Scalar("select count(*) from cmn_department.department"), before);
}

TEST_F(DepartmentsTest, DeleteAnsweredBothWaysAndTheFilterBox) {
  StartAs("milena");
  List()->Open();
  Locate(List(), u"s_caption", u"Ремонтная служба");
  const Integer recNo = List()->GetRecNo();
  TDialogRecorder boxes;
  boxes.AnswerButton(IDNO).AnswerButton(IDYES);
  Form30->Button3Click(nullptr);
  EXPECT_EQ(boxes.Last().Text, u"Удалить строку?");
  EXPECT_EQ(boxes.Last().Caption, u"Удаление");
  EXPECT_EQ(Scalar("select count(*) from cmn_department.department where id = 10"), "1");
  EXPECT_EQ(List()->GetRecNo(), recNo);
  Form30->Button3Click(nullptr);
  EXPECT_EQ(Scalar("select count(*) from cmn_department.department where id = 10"), "0");
  EXPECT_EQ(List()->GetRecNo(), recNo);

  Sql("insert into cmn_department.department (s_caption, id_parent) values ('Цех O''Brien', 0), ('Цех [2]', "
      "0)");
  Reopen(List());
  const struct {
    const char16_t* typed;
    int rows;
  } cases[] = {{u"цех", 3}, {u"ЦЕХ МЕТ", 1}, {u"Цех O'B", 1}, {u"Цех [2]", 1}, {u"еханик", 0}, {u"", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.typed));
    Form30->Edit1->SetText(c.typed);
    if (c.rows) {
      EXPECT_EQ(List()->GetRecordCount(), c.rows);
      for (List()->First(); !List()->GetEof(); List()->Next())
        EXPECT_EQ(List()->FieldByName(u"s_caption")->GetAsString().substr(0, 3), u"Цех");
    } else if (String(c.typed).empty()) {
      EXPECT_FALSE(List()->GetFiltered());
    } else {
      EXPECT_TRUE(List()->IsEmpty());
    }
  }
  // Up and Down move the list; the box's own movement and Delete keys do nothing, Backspace and the
  // clipboard keys reach it.
  List()->First();
  const struct {
    Word key;
    Word left;
  } keys[] = {{VK_DOWN, 0}, {VK_DOWN, 0},       {VK_UP, 0}, {VK_DELETE, 0}, {VK_HOME, 0},
              {VK_LEFT, 0}, {VK_BACK, VK_BACK}, {'V', 'V'}, {'C', 'C'}};
  for (const auto& k : keys) {
    Word key = k.key;
    Form30->Edit1KeyDown(nullptr, key, {});
    EXPECT_EQ(key, k.left) << k.key;
  }
  EXPECT_EQ(List()->GetRecNo(), 2);
}

TEST_F(DepartmentsTest, ALostConnectionIsToldInPlainWordsAndTheNextSaveWrites) {
  StartAs("milena");
  List()->Open();
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  bool stayed = false;
  WhenModal(
      Form31,
      [&] {
        Form31->Edit1->SetText(u"Участок сварки");
        // The server ends the session while the editor is open.
        const Variant pid = QueryValue(DataModule6->ADO_DB, u"select pg_backend_pid()", {});
        Sql("select pg_terminate_backend(" + StringToUtf8(pid.AsString()) + ")");
        AsUserEvent([] { Form31->Button1->Click(); });
        stayed = Form31->IsModal() && Form31->GetModalResult() == mrNone;
        EXPECT_EQ(Form31->Edit1->GetText(), u"Участок сварки");
        // The next "Записать" connects again and writes.
        AsUserEvent([] { Form31->Button1->Click(); });
      },
      [&] { Form30->Button5Click(nullptr); });
  EXPECT_TRUE(stayed);
  ASSERT_GE(boxes.Count(), 1);
  const String text = boxes.Requests().front().Text;
  EXPECT_EQ(text.rfind(u"Связь с сервером базы данных потеряна.", 0), 0u) << StringToUtf8(text);
  EXPECT_EQ(Scalar("select count(*) from cmn_department.department where s_caption = 'Участок сварки'"), "1");
}

}  // namespace
