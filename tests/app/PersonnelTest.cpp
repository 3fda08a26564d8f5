// Personnel: the card adds and changes an employee (the caption joined from the trimmed names, every
// field required), delete asks its own question, the filter finds names and positions, and picking
// hands the chosen employee to the opener's handler.
#include <gtest/gtest.h>

#include "app/ListScreen.h"
#include "app/Unit2.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/rtl/Utf.h"
#include "tests/app/ScreenFixture.h"

namespace {

class PersonnelTest : public ScreenTest {
 protected:
  TDataSet* List() { return DataModule6->workers; }
  std::string Person(const std::string& where) {
    return Scalar(
        "select s_caption || '|' || s_second_name || '|' || s_first_name || '|' || s_third_name || '|' || "
        "id_staffpos || '|' || id_department || '|' || id_role from cmn_contractor.person where " +
        where);
  }
};

TEST_F(PersonnelTest, CardAddsAndChangesAnEmployee) {
  StartAs("milena");
  List()->Open();
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  WhenModal(
      Form2,
      [&] {
        EXPECT_EQ(Form2->GetCaption(), u"Заведение данных нового работника");
        Form2->Edit1->SetText(String(u" ") + kHostile);
        Form2->Edit2->SetText(u"Олег ");
        Form2->Edit3->SetText(u" Павлович");
        Form2->LCB_department->SetKeyValue(Variant(3));
        Form2->LCB_staffpos->SetKeyValue(Variant(4));
        Form2->LCB_roles->SetKeyValue(Variant(3));
        Form2->Button1Click(nullptr);
      },
      [&] { Form5->Button1Click(nullptr); });
  const std::string hostile = StringToUtf8(kHostile);
  EXPECT_EQ(Person("s_second_name like 'O''Brien%'"),
            hostile + " Олег Павлович|" + hostile + "|Олег|Павлович|4|3|3");
  EXPECT_FALSE(Form2->staffpos->GetActive());

  // Changing: the card shows the row's names and keys; a patronymic of spaces cannot be saved.
  Locate(List(), u"s_caption", u"Иванов Алексей Николаевич");
  const Integer recNo = List()->GetRecNo();
  bool refused = false;
  WhenModal(
      Form2,
      [&] {
        EXPECT_EQ(Form2->GetCaption(), u"Изменение данных работника");
        EXPECT_EQ(Form2->LCB_staffpos->GetText(), u"Слесарь-сборщик");
        EXPECT_EQ(Form2->LCB_department->GetText(), u"Цех металлоконструкций");
        EXPECT_EQ(Form2->LCB_roles->GetText(), u"Рабочий");
        Form2->Edit3->SetText(u"   ");
        Form2->Button1Click(nullptr);
        refused = Form2->GetModalResult() == mrNone;
        Form2->Edit3->SetText(u"Никитич");
        Form2->LCB_staffpos->SetKeyValue(Variant(2));
        Form2->Button1Click(nullptr);
      },
      [&] { Form5->Button2Click(nullptr); });
  EXPECT_TRUE(refused);
  EXPECT_EQ(boxes.Requests().at(0).Text, u"Все поля должны быть заполнены!");
  EXPECT_EQ(Person("id = 7"), "Иванов Алексей Никитич|Иванов|Алексей|Никитич|2|2|3");
  EXPECT_EQ(List()->GetRecNo(), recNo);

  // Delete: its own question; No does nothing.
  Locate(List(), u"s_second_name", String(kHostile));
  boxes.AnswerButton(IDNO).AnswerButton(IDYES);
  Form5->Button3Click(nullptr);
  EXPECT_EQ(boxes.Last().Text, u"Удалить работника?");
  EXPECT_EQ(Scalar("select count(*) from cmn_contractor.person where s_second_name like 'O''Brien%'"), "1");
  Form5->Button3Click(nullptr);
  EXPECT_EQ(Scalar("select count(*) from cmn_contractor.person where s_second_name like 'O''Brien%'"), "0");
}

TEST_F(PersonnelTest, FilterAndPicking) {
  StartAs("milena");
  List()->Open();
  Form5->Edit1->SetText(u"слесарь");  // the start of a position
  EXPECT_EQ(List()->GetRecordCount(), 3);
  Form5->Edit1->SetText(u"ВОЛ");
  EXPECT_EQ(List()->GetRecordCount(), 1);
  Form5->Edit1->SetText(u"");

  Integer picked = 0;
  String caption;
  Form5->Pickers[43] = [&](Integer id, const String& c) {
    picked = id;
    caption = c;
  };
  Form5->Pickers[11] = [&](Integer id, const String&) { Form5->WorkerPicked = id != 8 ? 1 : 0; };
  Form5->SetTag(43);
  Locate(List(), u"s_caption", u"Козлов Дмитрий Олегович");
  EXPECT_TRUE(WhenModal(
      Form5, [&] { Form5->Button2Click(nullptr); }, [&] { Form5->ShowModal(); }));
  EXPECT_EQ(picked, 9);
  EXPECT_EQ(caption, u"Козлов Дмитрий Олегович");

  Form5->SetTag(11);
  WhenModal(
      Form5,
      [&] {
        EXPECT_EQ(Form5->WorkerPicked, 0);  // every activation starts without a pick
        Form5->Button2Click(nullptr);
      },
      [&] {
        Form5->WorkerPicked = 1;
        Form5->ShowModal();
      });
  EXPECT_EQ(Form5->WorkerPicked, 1);
}

}  // namespace
