// Typed text reaches the database unchanged through every edit box of the reference screens, and no
// filter box breaks on it; a read-only login's changes are refused by the server, shown in the
// exception box, and leave the list as it was.
#include <gtest/gtest.h>

#include <functional>

#include "app/ListScreen.h"
#include "app/Unit14.h"
#include "app/Unit2.h"
#include "app/Unit26.h"
#include "app/Unit27.h"
#include "app/Unit30.h"
#include "app/Unit31.h"
#include "app/Unit32.h"
#include "app/Unit33.h"
#include "app/Unit34.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "app/Unit8.h"
#include "app/Unit9.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/rtl/Utf.h"
#include "tests/app/ScreenFixture.h"

namespace {

class ReferenceInputTest : public ScreenTest {};

struct BoxCase {
  const char* box;
  TForm* form;
  std::function<void()> open;               // the list's "Добавить"
  std::function<void(const String&)> fill;  // required boxes, the tested one with the text
  std::function<void()> save;
  const char* readBack;  // the newest row's column
};

TEST_F(ReferenceInputTest, EveryEditBoxStoresTheTypedTextUnchanged) {
  StartAs("milena");
  TDataModule6* dm = DataModule6;
  for (TDataSet* d : {(TDataSet*)dm->department, (TDataSet*)dm->staffpos, (TDataSet*)dm->jur_person,
                      (TDataSet*)dm->operation_type, (TDataSet*)dm->workers, (TDataSet*)dm->proc_tech})
    d->Open();
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  auto department = [](TEdit* tested) {
    return [tested](const String& v) {
      Form31->Edit1->SetText(u"Отдел");
      tested->SetText(v);
    };
  };
  auto position = [](TEdit* tested) {
    return [tested](const String& v) {
      Form27->Edit1->SetText(u"Должность");
      tested->SetText(v);
    };
  };
  auto counterparty = [](TEdit* tested) {
    return [tested](const String& v) {
      Form14->Edit1->SetText(u"ООО «Клиент»");
      tested->SetText(v);
    };
  };
  auto operationType = [](TEdit* tested) {
    return [tested](const String& v) {
      Form9->Edit1->SetText(u"Операция");
      tested->SetText(v);
    };
  };
  auto person = [](TEdit* tested) {
    return [tested](const String& v) {
      for (TEdit* e : {Form2->Edit1, Form2->Edit2, Form2->Edit3}) e->SetText(u"Имя");
      Form2->LCB_department->SetKeyValue(Variant(2));
      Form2->LCB_staffpos->SetKeyValue(Variant(3));
      Form2->LCB_roles->SetKeyValue(Variant(3));
      tested->SetText(v);
    };
  };
  const BoxCase cases[] = {
      {"department name", Form31, [] { Form30->Button5Click(nullptr); }, department(Form31->Edit1),
       [] { Form31->Button1Click(nullptr); }, "s_caption from cmn_department.department"},
      {"department note", Form31, [] { Form30->Button5Click(nullptr); }, department(Form31->Edit2),
       [] { Form31->Button1Click(nullptr); }, "s_description from cmn_department.department"},
      {"position name", Form27, [] { Form26->Button1Click(nullptr); }, position(Form27->Edit1),
       [] { Form27->Button1Click(nullptr); }, "s_caption from hrms_staffpos.staffpos"},
      {"position description", Form27, [] { Form26->Button1Click(nullptr); }, position(Form27->Edit2),
       [] { Form27->Button1Click(nullptr); }, "s_description from hrms_staffpos.staffpos"},
      {"counterparty full name", Form14, [] { Form34->Button1Click(nullptr); }, counterparty(Form14->Edit1),
       [] { Form14->Button5Click(nullptr); }, "s_full_caption from cmn_contractor.jur_person"},
      {"counterparty name", Form14, [] { Form34->Button1Click(nullptr); }, counterparty(Form14->Edit2),
       [] { Form14->Button5Click(nullptr); }, "s_caption from cmn_contractor.jur_person"},
      {"counterparty INN", Form14, [] { Form34->Button1Click(nullptr); }, counterparty(Form14->Edit3),
       [] { Form14->Button5Click(nullptr); }, "s_inn from cmn_contractor.jur_person"},
      {"counterparty OGRN", Form14, [] { Form34->Button1Click(nullptr); }, counterparty(Form14->Edit4),
       [] { Form14->Button5Click(nullptr); }, "s_ogrn from cmn_contractor.jur_person"},
      {"operation type", Form9, [] { Form8->Button1Click(nullptr); }, operationType(Form9->Edit1),
       [] { Form9->Button1Click(nullptr); }, "s_caption from mnf_operation.operation_type"},
      {"operation description", Form9, [] { Form8->Button1Click(nullptr); }, operationType(Form9->Edit2),
       [] { Form9->Button1Click(nullptr); }, "s_description from mnf_operation.operation_type"},
      {"surname", Form2, [] { Form5->Button1Click(nullptr); }, person(Form2->Edit1),
       [] { Form2->Button1Click(nullptr); }, "s_second_name from cmn_contractor.person"},
      {"first name", Form2, [] { Form5->Button1Click(nullptr); }, person(Form2->Edit2),
       [] { Form2->Button1Click(nullptr); }, "s_first_name from cmn_contractor.person"},
      {"patronymic", Form2, [] { Form5->Button1Click(nullptr); }, person(Form2->Edit3),
       [] { Form2->Button1Click(nullptr); }, "s_third_name from cmn_contractor.person"},
      {"process name", Form33, [] { Form4->Button1Click(nullptr); },
       [](const String& v) {
         Form33->ProductId = 16;
         Form33->Edit2->SetText(u"Опора регулируемая");
         Form33->SourceItemId = 1;
         Form33->Edit4->SetText(u"Лист");
         Form33->Edit3->SetText(v);
       },
       [&boxes] {
         boxes.AnswerButton(IDYES);
         Form33->Button6->Click();
       },
       "s_caption from mnf_proc_tech.proc_tech"},
  };
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(c.box);
    EXPECT_TRUE(WhenModal(
        c.form,
        [&] {
          c.fill(kHostile);
          c.save();
        },
        c.open));
    EXPECT_EQ(Scalar(std::string("select ") + c.readBack + " order by id desc limit 1"),
              StringToUtf8(kHostile));
  }
  EXPECT_EQ(Scalar("select to_regclass('x') is null"), "t");

  // The filter boxes take the same text as a text to look for.
  const struct {
    TEdit* box;
    TDataSet* data;
    int rows;  // rows holding the text (none for the roles and the processes' product marks)
  } filters[] = {{Form30->Edit1, dm->department, 1}, {Form26->Edit1, dm->staffpos, 1},
                 {Form34->Edit1, dm->jur_person, 1}, {Form8->Edit1, dm->operation_type, 1},
                 {Form5->Edit1, dm->workers, 1},     {Form32->Edit1, dm->role, 0},
                 {Form4->Edit1, dm->proc_tech, 0}};
  dm->role->Open();
  for (const auto& f : filters) {
    SCOPED_TRACE(StringToUtf8(f.box->GetOwner()->GetName()));
    Reopen(f.data);
    f.box->SetText(kHostile);
    EXPECT_EQ(f.data->GetRecordCount(), f.rows);
    f.box->SetText(u"");
  }
}

TEST_F(ReferenceInputTest, AReadOnlyLoginSeesTheServersRefusal) {
  StartAs("econom");
  TDataSet* list = DataModule6->department;
  list->Open();
  const Integer rows = list->GetRecordCount();
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  // The save raises inside the editor's event; the application shows it and the editor stays open.
  bool stayed = false;
  WhenModal(
      Form31,
      [&] {
        Form31->Edit1->SetText(u"Новый отдел");
        AsUserEvent([] { Form31->Button1->Click(); });
        stayed = Form31->GetModalResult() == mrNone;
      },
      [&] { Form30->Button5Click(nullptr); });
  EXPECT_TRUE(stayed);
  ASSERT_GE(boxes.Count(), 1);
  EXPECT_NE(boxes.Last().Text.find(u"permission denied"), String::npos) << StringToUtf8(boxes.Last().Text);

  Locate(list, u"s_caption", u"Бухгалтерия");
  boxes.AnswerButton(IDYES);
  AsUserEvent([] { Form30->Button3->Click(); });
  EXPECT_NE(boxes.Last().Text.find(u"permission denied"), String::npos);
  EXPECT_EQ(list->GetRecordCount(), rows);
  EXPECT_EQ(list->FieldByName(u"s_caption")->GetAsString(), u"Бухгалтерия");
  EXPECT_EQ(
      Scalar("select count(*) from cmn_department.department where s_caption in ('Новый отдел') or id = 9"),
      "1");
}

struct RefusalCase {
  const char* screen;
  TDataSet* list;
  const char* table;  // what the screen writes
  TForm* editor;
  std::function<void()> edit;  // the list's "Изменить"
  std::function<void()> save;  // a change and "Записать" (or "Сохранить")
  TButton* remove;             // the list's "Удалить"
};

TEST_F(ReferenceInputTest, AReadOnlyLoginSeesTheServersRefusalAndTheListStays) {
  StartAs("econom");
  TDataModule6* dm = DataModule6;
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  auto change = [](TEdit* box, TButton* save) {
    return [box, save] {
      box->SetText(box->GetText() + u" (изм.)");
      AsUserEvent([save] { save->Click(); });
    };
  };
  const RefusalCase cases[] = {
      {"departments", dm->department, "cmn_department.department", Form31,
       [] { Form30->Button2Click(nullptr); }, change(Form31->Edit1, Form31->Button1), Form30->Button3},
      {"positions", dm->staffpos, "hrms_staffpos.staffpos", Form27, [] { Form26->Button2Click(nullptr); },
       change(Form27->Edit1, Form27->Button1), Form26->Button3},
      {"counterparties", dm->jur_person, "cmn_contractor.jur_person", Form14,
       [] { Form34->Button2Click(nullptr); }, change(Form14->Edit1, Form14->Button5), Form34->Button3},
      {"operation types", dm->operation_type, "mnf_operation.operation_type", Form9,
       [] { Form8->Button2Click(nullptr); }, change(Form9->Edit1, Form9->Button1), Form8->Button3},
      {"personnel", dm->workers, "cmn_contractor.person", Form2, [] { Form5->Button2Click(nullptr); },
       change(Form2->Edit1, Form2->Button1), Form5->Button3},
      {"processes", dm->proc_tech, "mnf_proc_tech.proc_tech", Form33, [] { Form4->Button2Click(nullptr); },
       [&boxes] {
         Form33->Edit3->SetText(Form33->Edit3->GetText() + u" (изм.)");
         boxes.AnswerButton(IDYES);
         AsUserEvent([] { Form33->Button6->Click(); });
       },
       Form4->Button3},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.screen);
    const std::string rows =
        std::string("select md5(string_agg(t::text, ',' order by t.id)) from ") + c.table + " t";
    const std::string before = Scalar(rows);
    c.list->Open();
    c.list->Next();
    const Integer count = c.list->GetRecordCount();
    const Integer recNo = c.list->GetRecNo();
    const Integer id = IntField(c.list, u"id");

    // "Записать" raises inside the editor's event; the application shows the server's refusal and the
    // editor stays open with what was typed.
    bool stayed = false;
    const int shown = boxes.Count();
    EXPECT_TRUE(WhenModal(
        c.editor,
        [&] {
          c.save();
          stayed = c.editor->IsModal() && c.editor->GetModalResult() == mrNone;
        },
        c.edit));
    EXPECT_TRUE(stayed);
    ASSERT_GT(boxes.Count(), shown);
    EXPECT_NE(boxes.Last().Text.find(u"permission denied"), String::npos) << StringToUtf8(boxes.Last().Text);

    // "Удалить" answered Yes: refused, the list keeps its rows and its current row.
    boxes.AnswerButton(IDYES);
    const int asked = boxes.Count();
    AsUserEvent([&] { c.remove->Click(); });
    ASSERT_EQ(boxes.Count(), asked + 2);  // the question and the refusal
    EXPECT_NE(boxes.Last().Text.find(u"permission denied"), String::npos) << StringToUtf8(boxes.Last().Text);
    EXPECT_EQ(c.list->GetRecordCount(), count);
    EXPECT_EQ(c.list->GetRecNo(), recNo);
    EXPECT_EQ(IntField(c.list, u"id"), id);
    EXPECT_EQ(Scalar(rows), before);
    c.list->Close();
  }
}

}  // namespace
