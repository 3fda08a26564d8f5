// The counterparties list and picker.
#include "app/Unit34.h"

#include "app/ListScreen.h"
#include "app/Unit14.h"
#include "app/Unit6.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/dbctrls/DBGrids.h"

TForm34* Form34 = nullptr;

const Char* const kCounterpartiesText =
    u"select jp.* from cmn_contractor.jur_person jp\norder by jp.s_caption";
const Char* const kCounterpartiesWithPurchasesText =
    u"SELECT distinct  jp.* FROM cmn_contractor.jur_person jp, stk_purchase.purchase_doc pd where "
    u"pd.id_jur_person = jp.id  order by jp.id";

TForm34::TForm34(TComponent* owner) : TForm(owner) {}

void TForm34::Published(TPropBuilder<TForm34>& p) {
  p.Method(u"FormCreate", &TForm34::FormCreate);
  p.Method(u"Button1Click", &TForm34::Button1Click);
  p.Method(u"Button2Click", &TForm34::Button2Click);
  p.Method(u"Button3Click", &TForm34::Button3Click);
  p.Method(u"Edit1Change", &TForm34::Edit1Change);
  p.Method(u"Edit1KeyDown", &TForm34::Edit1KeyDown);
  p.Method(u"CheckBox1Click", &TForm34::CheckBox1Click);
  p.Method(u"FormClose", &TForm34::FormClose);
}

void TForm34::FormCreate(TObject*) {
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"Button3", Button3);
  BindComponent(this, u"Button4", Button4);
  BindComponent(this, u"CheckBox1", CheckBox1);
  SetUpListScreen(this, 34, DataModule6->jur_person, DBGrid1, DataSource1, Edit1);
}

void TForm34::Button1Click(TObject*) {
  TForm14* edit = Form14;
  edit->SetTag(1);
  for (TEdit* box : {edit->Edit1, edit->Edit2, edit->Edit3, edit->Edit4}) box->SetText(u"");
  edit->ShowModal();
}

void TForm34::Button2Click(TObject*) {
  TDataSet* list = DataModule6->jur_person;
  const int tag = static_cast<int>(GetTag());
  if (tag == 0) {
    if (list->IsEmpty()) return;
    const Integer recNo = list->GetRecNo();
    TForm14* edit = Form14;
    edit->SetTag(0);
    edit->Edit2->SetText(TrimmedField(list, u"s_caption"));
    edit->Edit1->SetText(TrimmedField(list, u"s_full_caption"));
    edit->Edit3->SetText(TrimmedField(list, u"s_inn"));
    edit->Edit4->SetText(TrimmedField(list, u"s_ogrn"));
    edit->ShowModal();
    RestoreRecNo(list, recNo);
    return;
  }
  if (tag == 60) {
    // The purchase request takes the counterparty at once.
    if (!list->IsEmpty()) {
      auto* requests =
          dynamic_cast<TDataSet*>(Application->FindComponent(u"Form60")->FindComponent(u"purchase_doc"));
      if (!requests) throw EComponentError(u"Component 'purchase_doc' not found");
      const Integer recNo = requests->GetRecNo();
      RunStatement(DataModule6->cmd_all,
                   u"UPDATE stk_purchase.purchase_doc SET id_jur_person=:jp where id=:id",
                   {{u"jp", IntField(list, u"id")}, {u"id", IntField(requests, u"id")}});
      Reopen(requests);
      RestoreRecNo(requests, recNo);
    }
    Close();
    return;
  }
  if (tag != 39 && tag != 43 && tag != 61 && tag != 68) return;
  if (!list->IsEmpty()) {
    const Integer id = IntField(list, u"id");
    auto handler = Pickers.find(tag);
    if (id != 0 && handler != Pickers.end() && handler->second)
      handler->second(id, TrimmedField(list, u"s_full_caption"));
  }
  Close();
}

void TForm34::Button3Click(TObject*) {
  DeleteListRow(DataModule6->jur_person, u"Удалить строку?", DataModule6->cmd_all,
                u"delete from cmn_contractor.jur_person where id=:id");
}

void TForm34::Edit1Change(TObject*) {
  ApplyListFilter(DataModule6->jur_person, Edit1->GetText(),
                  LikeFilter(u"s_caption", Edit1->GetText(), true));
}

void TForm34::Edit1KeyDown(TObject*, Word& Key, TShiftState) {
  FilterBoxKeyDown(DataModule6->jur_person, Key);
}

void TForm34::CheckBox1Click(TObject*) {
  TADOQuery* list = DataModule6->jur_person;
  list->GetSQL()->SetText(CheckBox1->GetChecked() ? kCounterpartiesWithPurchasesText : kCounterpartiesText);
  list->Open();
}

void TForm34::FormClose(TObject*, TCloseAction&) {
  DataModule6->jur_person->GetSQL()->SetText(kCounterpartiesText);
}
