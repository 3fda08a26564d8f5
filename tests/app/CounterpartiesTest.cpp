// Counterparties: add with the full name only, edit, the contains filter, delete both ways, the
// "Заявки" text, and picking for an opener (a handler of its Tag, the purchase request of Tag 60, an
// empty list writing nothing).
#include <gtest/gtest.h>

#include "app/ListScreen.h"
#include "app/Unit14.h"
#include "app/Unit34.h"
#include "app/Unit6.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/rtl/Utf.h"
#include "tests/app/ScreenFixture.h"

namespace {

class CounterpartiesTest : public ScreenTest {
 protected:
  TADOQuery* List() { return DataModule6->jur_person; }
};

TEST_F(CounterpartiesTest, AddEditFilterAndDelete) {
  StartAs("milena");
  List()->Open();
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  WhenModal(
      Form14,
      [&] {
        Form14->Edit1->SetText(kHostile);
        Form14->Button5Click(nullptr);
      },
      [&] { Form34->Button1Click(nullptr); });
  EXPECT_EQ(Scalar("select '[' || s_caption || ']' || s_full_caption || '|' || s_ogrn || '|' || s_inn from "
                   "cmn_contractor.jur_person where s_full_caption like 'O''Brien%'"),
            "[]" + StringToUtf8(kHostile) + "||");

  Locate(List(), u"s_caption", u"СтройМонтаж");
  const Integer recNo = List()->GetRecNo();
  WhenModal(
      Form14,
      [&] {
        EXPECT_EQ(Form14->GetTag(), 0);
        EXPECT_EQ(Form14->Edit1->GetText(), u"ООО «СтройМонтаж»");
        EXPECT_EQ(Form14->Edit4->GetText(), u"1057746555811");
        EXPECT_EQ(Form14->Edit3->GetText(), u"7722334455");
        Form14->Edit2->SetText(u"Строй'Монтаж");
        Form14->Button5Click(nullptr);
      },
      [&] { Form34->Button2Click(nullptr); });
  EXPECT_EQ(Scalar("select s_caption from cmn_contractor.jur_person where id = 2"), "Строй'Монтаж");
  EXPECT_EQ(List()->GetRecNo(), recNo);

  // Contains, in any case, quotes included.
  const struct {
    const char16_t* typed;
    int rows;
  } cases[] = {{u"монтаж", 1}, {u"Й'М", 1}, {u"СТАЛЬ", 1}, {u"zz", 0}};
  for (const auto& c : cases) {
    Form34->Edit1->SetText(c.typed);
    EXPECT_EQ(List()->GetRecordCount(), c.rows) << StringToUtf8(c.typed);
  }
  Form34->Edit1->SetText(u"");

  Locate(List(), u"s_full_caption", kHostile);
  boxes.AnswerButton(IDNO).AnswerButton(IDYES);
  Form34->Button3Click(nullptr);
  EXPECT_EQ(Scalar("select count(*) from cmn_contractor.jur_person where s_full_caption like 'O''Brien%'"),
            "1");
  Form34->Button3Click(nullptr);
  EXPECT_EQ(Scalar("select count(*) from cmn_contractor.jur_person where s_full_caption like 'O''Brien%'"),
            "0");

  // "Заявки" lists the counterparties of purchase requests; closing puts the whole list back.
  Form34->CheckBox1->SetChecked(true);
  EXPECT_EQ(List()->GetRecordCount(), 2);
  TCloseAction action = caHide;
  Form34->FormClose(nullptr, action);
  List()->Open();
  EXPECT_EQ(List()->GetRecordCount(), std::stoi(Scalar("select count(*) from cmn_contractor.jur_person")));
}

TEST_F(CounterpartiesTest, PickingForAnOpener) {
  StartAs("milena");
  List()->Open();
  Integer pickedId = -1;
  String pickedCaption;
  Form34->Pickers[43] = [&](Integer id, const String& caption) {
    pickedId = id;
    pickedCaption = caption;
  };
  Form34->SetTag(43);
  Locate(List(), u"s_caption", u"Краски Урала");
  EXPECT_TRUE(WhenModal(
      Form34, [&] { Form34->Button2Click(nullptr); }, [&] { Form34->ShowModal(); }));
  EXPECT_EQ(pickedId, 4);
  EXPECT_EQ(pickedCaption, u"ООО «Краски Урала»");

  // An empty list writes nothing and closes; an unknown Tag leaves the list open.
  pickedId = -1;
  Form34->Edit1->SetText(u"нет такого");
  bool closed = false;
  WhenModal(
      Form34,
      [&] {
        Form34->Button2Click(nullptr);
        closed = Form34->GetModalResult() != mrNone;
      },
      [&] {
        List()->Open();
        Form34->ShowModal();
      });
  EXPECT_TRUE(closed);
  EXPECT_EQ(pickedId, -1);
  Form34->Edit1->SetText(u"");
  Form34->SetTag(5);
  WhenModal(
      Form34,
      [&] {
        Form34->Button2Click(nullptr);
        closed = Form34->GetModalResult() != mrNone;
      },
      [&] {
        List()->Open();
        Form34->ShowModal();
      });
  EXPECT_FALSE(closed);

  // Tag 60: the current purchase request takes the counterparty at once.
  auto* requests = new TADOQuery(Application->FindComponent(u"Form60"));
  requests->SetName(u"purchase_doc");
  requests->SetConnection(DataModule6->ADO_DB);
  requests->GetSQL()->SetText(u"select * from stk_purchase.purchase_doc order by id");
  requests->Open();
  requests->SetRecNo(3);
  Form34->SetTag(60);
  List()->Open();
  Locate(List(), u"s_caption", u"СтройМонтаж");
  WhenModal(
      Form34, [&] { Form34->Button2Click(nullptr); }, [&] { Form34->ShowModal(); });
  EXPECT_EQ(Scalar("select id_jur_person from stk_purchase.purchase_doc where id = 3"), "2");
  EXPECT_EQ(requests->GetRecNo(), 3);
  EXPECT_EQ(requests->FieldByName(u"id_jur_person")->GetAsInteger(), 2);
}

}  // namespace
