// Technological processes: a new process saved once (its id from its own insert, even when another
// insert happens at the same time), its operations added, changed and deleted with the total
// following, the filter (with the one-item filter kept) and the title-click sort, and delete.
#include <gtest/gtest.h>

#include "app/ListScreen.h"
#include "app/Unit10.h"
#include "app/Unit33.h"
#include "app/Unit4.h"
#include "app/Unit6.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "tests/app/ScreenFixture.h"

namespace {

class ProcessesTest : public ScreenTest {
 protected:
  TADOQuery* List() { return DataModule6->proc_tech; }
  void ClickTitle(const char16_t* field) {
    TDBGridColumns* columns = Form4->DBGrid1->GetColumns();
    for (int i = 0; i < columns->GetCount(); ++i)
      if (columns->GetItem(i)->GetFieldName() == field) Form4->DBGrid1TitleClick(columns->GetItem(i));
  }
  // Adds an operation through the dialog with the given type, result and typed price.
  void AddOperation(Integer type, Integer state, const String& price, String* proposed = nullptr) {
    WhenModal(
        Form10,
        [&] {
          if (proposed) *proposed = Form10->Edit1->GetText();
          Form10->OperationTypeId = type;
          Form10->cb_operation_state->SetKeyValue(Variant(state));
          Form10->Edit3->SetText(price);
          Form10->Button1Click(nullptr);
        },
        [&] { Form33->Button1Click(nullptr); });
  }
};

TEST_F(ProcessesTest, NewProcessAndItsOperations) {
  StartAs("milena");
  // Another client inserting a process right after ours: the editor keeps its own id.
  Sql("create function public.kiv_other_insert() returns trigger language plpgsql as $$ begin "
      "if new.s_caption <> 'другой' then insert into mnf_proc_tech.proc_tech(s_caption, id_inventory_items, "
      "id_gds) "
      "values ('другой', 16, 1); end if; return new; end $$; "
      "create trigger kiv_other after insert on mnf_proc_tech.proc_tech for each row execute function "
      "public.kiv_other_insert()");
  List()->Open();
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  boxes.AnswerButton(IDYES);
  Integer newId = 0;
  String proposed1, proposed2;
  WhenModal(
      Form33,
      [&] {
        EXPECT_EQ(Form33->GetTag(), 1);
        EXPECT_FALSE(Form33->Button1->GetEnabled());
        Form33->ProductId = 16;
        Form33->Edit2->SetText(u"Опора регулируемая");
        Form33->SourceItemId = 1;
        Form33->Edit4->SetText(u"Лист г/к 2 мм 1250х2500");
        Form33->Edit3->SetText(String(u" ") + kHostile);
        Form33->Button6->Click();
        newId = Form33->ProcTechId;
        EXPECT_EQ(boxes.Last().Text, u"Сохранить изменения?");
        EXPECT_EQ(boxes.Last().Caption, u"Сохраннение");
        EXPECT_EQ(Form33->GroupBox1->GetCaption(), u"Техпроцесс № " + IntToStr(newId));
        EXPECT_TRUE(Form33->Button1->GetEnabled());
        // Unchanged: nothing asked, nothing written.
        const int asked = boxes.Count();
        Form33->Button6->Click();
        EXPECT_EQ(boxes.Count(), asked);

        AddOperation(3, 1, u"12,5", &proposed1);
        AddOperation(5, 0, u"", &proposed2);
        EXPECT_EQ(DataModule6->operation->GetRecordCount(), 2);
        EXPECT_EQ(Form33->full_price->FieldByName(u"full_price")->GetAsFloat(), 12.5);

        // Change the first operation's price; delete the second, answering No first.
        DataModule6->operation->First();
        WhenModal(
            Form10,
            [&] {
              EXPECT_EQ(Form10->OperationTypeId, 3);
              EXPECT_EQ(Form10->cb_operation_state->GetText(), u"Заготовки");
              Form10->Edit3->SetText(u"7.25");
              Form10->Button1Click(nullptr);
            },
            [&] { Form33->Button2Click(nullptr); });
        DataModule6->operation->Last();
        boxes.AnswerButton(IDNO).AnswerButton(IDYES);
        Form33->Button3Click(nullptr);
        EXPECT_EQ(DataModule6->operation->GetRecordCount(), 2);
        Form33->Button3Click(nullptr);
        EXPECT_EQ(DataModule6->operation->GetRecordCount(), 1);
        EXPECT_EQ(Form33->full_price->FieldByName(u"full_price")->GetAsFloat(), 7.25);
      },
      [&] { Form4->Button1Click(nullptr); });
  ASSERT_NE(newId, 0);
  EXPECT_EQ(
      Scalar("select s_caption || '|' || id_inventory_items || '|' || id_gds from mnf_proc_tech.proc_tech "
             "where id = " +
             std::to_string(newId)),
      StringToUtf8(kHostile) + "|16|1");
  EXPECT_EQ(proposed1, u"1");
  EXPECT_EQ(proposed2, u"2");
  EXPECT_EQ(
      Scalar(
          "select orderby || '|' || id_type || '|' || id_state || '|' || price || '|' || id_inventory_items "
          "from mnf_operation.operation where id_proc_tech = " +
          std::to_string(newId)),
      "1|3|1|7.2500|16");

  // Without a product or material no operation can be added.
  WhenModal(
      Form33,
      [&] {
        Form33->Button1Click(nullptr);
        EXPECT_EQ(boxes.Last().Text, u"Необходимо выбрать издение и материал.");
      },
      [&] { Form4->Button1Click(nullptr); });

  // Deleting the process takes its operations with it.
  Reopen(List());
  Locate(List(), u"id", IntToStr(newId));
  boxes.AnswerButton(IDYES);
  Form4->Button3Click(nullptr);
  EXPECT_EQ(boxes.Last().Text, u"Удалить строку (будет удалена вся спецификация ТП)?");
  EXPECT_EQ(
      Scalar("select count(*) from mnf_operation.operation where id_proc_tech = " + std::to_string(newId)),
      "0");
}

TEST_F(ProcessesTest, FilterKeepsTheItemFilterAndTitleClicksToggleTheSort) {
  StartAs("milena");
  List()->Open();
  Form4->SetTag(0);
  Form4->Edit1->SetText(u"заготовка");
  EXPECT_EQ(List()->GetRecordCount(), 3);
  Form4->Edit1->SetText(u"");
  EXPECT_FALSE(List()->GetFiltered());

  // Opened for one item: its processes only, also while the box filters and after it is emptied.
  Form4->SetTag(2);
  Form4->ItemId = 12;
  Form4->ItemCaption = u"Стеллаж СТ-2000";
  Form4->Edit1->SetText(u"полка");
  EXPECT_TRUE(List()->IsEmpty());
  Form4->Edit1->SetText(u"стел");
  EXPECT_EQ(List()->GetRecordCount(), 1);
  Form4->Edit1->SetText(u"");
  EXPECT_EQ(List()->GetRecordCount(), 1);
  EXPECT_EQ(List()->FieldByName(u"id")->GetAsInteger(), 1);
  Form4->SetTag(0);
  Form4->Edit1->SetText(u"x");
  Form4->Edit1->SetText(u"");

  List()->SetSort(u"s_ii ASC");
  const struct {
    const char16_t* field;
    const char16_t* sort;
  } clicks[] = {{u"s_caption", u"s_caption DESC, s_ii, id ASC"},
                {u"s_caption", u"s_caption  ASC"},
                {u"s_gds", u"s_caption  ASC"},
                {u"full_price", u"full_price DESC, s_ii, id ASC"},
                {u"id", u"id ASC"}};
  for (const auto& c : clicks) {
    ClickTitle(c.field);
    EXPECT_EQ(List()->GetSort(), c.sort) << StringToUtf8(c.field);
  }
  ClickTitle(u"full_price");
  List()->First();
  EXPECT_EQ(List()->FieldByName(u"full_price")->GetAsFloat(), 72.5);  // 35.5 + 12 + 20 + 5

  // Back from the editor the list keeps its order and stands on the process edited.
  List()->Next();
  const Integer edited = List()->FieldByName(u"id")->GetAsInteger();
  EXPECT_TRUE(WhenModal(
      Form33, [] {}, [] { Form4->Button2Click(nullptr); }));
  EXPECT_EQ(List()->GetSort(), u"full_price DESC, s_ii, id ASC");
  EXPECT_EQ(List()->FieldByName(u"id")->GetAsInteger(), edited);
}

TEST_F(ProcessesTest, TheOperationDialogRefusesPastedTextThatIsNoNumber) {
  StartAs("milena");
  List()->Open();
  Locate(List(), u"id", u"1");
  const std::string operations = "select count(*) || '|' || sum(price) from mnf_operation.operation";
  const std::string before = Scalar(operations);
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  const struct {
    const char16_t* position;
    const char16_t* price;
    const char16_t* error;
  } cases[] = {{kHostile, u"5", u"Номер по порядку должен быть целым положительным числом."},
               {u"0", u"5", u"Номер по порядку должен быть целым положительным числом."},
               {u"9", kHostile, u"Цена должна быть числом."},
               {u"9", u"1,2,3", u"Цена должна быть числом."}};
  WhenModal(
      Form33,
      [&] {
        for (const auto& c : cases) {
          SCOPED_TRACE(StringToUtf8(String(c.position) + u" / " + c.price));
          bool stayed = false;
          WhenModal(
              Form10,
              [&] {
                Form10->OperationTypeId = 3;
                Form10->cb_operation_state->SetKeyValue(Variant(1));
                Form10->Edit1->SetText(c.position);
                Form10->Edit3->SetText(c.price);
                Form10->Button1Click(nullptr);
                stayed = Form10->GetModalResult() == mrNone;
              },
              [&] { Form33->Button1Click(nullptr); });
          EXPECT_TRUE(stayed);
          EXPECT_EQ(boxes.Last().Text, c.error);
        }
      },
      [&] { Form4->Button2Click(nullptr); });
  EXPECT_EQ(Scalar(operations), before);
}

}  // namespace
