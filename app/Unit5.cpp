// The personnel list and picker.
#include "app/Unit5.h"

#include "app/ListScreen.h"
#include "app/Unit2.h"
#include "app/Unit6.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"

TForm5* Form5 = nullptr;

TForm5::TForm5(TComponent* owner) : TForm(owner) {}

void TForm5::Published(TPropBuilder<TForm5>& p) {
  p.Method(u"FormCreate", &TForm5::FormCreate);
  p.Method(u"FormActivate", &TForm5::FormActivate);
  p.Method(u"Button1Click", &TForm5::Button1Click);
  p.Method(u"Button2Click", &TForm5::Button2Click);
  p.Method(u"Button3Click", &TForm5::Button3Click);
  p.Method(u"Edit1Change", &TForm5::Edit1Change);
  p.Method(u"Edit1KeyDown", &TForm5::Edit1KeyDown);
}

void TForm5::FormCreate(TObject*) {
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"Button3", Button3);
  BindComponent(this, u"Button4", Button4);
  SetUpListScreen(this, 5, DataModule6->workers, DBGrid1, DataSource1, Edit1);
}

void TForm5::FormActivate(TObject*) {
  WorkerPicked = 0;
  FocusIfVisible(Edit1);
}

void TForm5::Button1Click(TObject*) {
  TForm2* card = Form2;
  for (TEdit* box : {card->Edit1, card->Edit2, card->Edit3}) box->SetText(u"");
  card->SetCaption(u"Заведение данных нового работника");
  card->SetTag(1);
  // The lookups keep their last choice.
  for (TDataSet* table : {card->staffpos, card->roles, card->department}) {
    table->Open();
    table->First();
  }
  card->ShowModal();
  Reopen(DataModule6->workers);
}

void TForm5::Button2Click(TObject*) {
  TDataSet* list = DataModule6->workers;
  const int tag = static_cast<int>(GetTag());
  if (tag == 0) {
    if (list->IsEmpty()) return;
    const Integer recNo = list->GetRecNo();
    TForm2* card = Form2;
    card->SetCaption(u"Изменение данных работника");
    card->SetTag(2);
    for (TDataSet* table : {card->staffpos, card->roles, card->department}) Reopen(table);
    card->Edit1->SetText(TrimmedField(list, u"s_second_name"));
    card->Edit2->SetText(TrimmedField(list, u"s_first_name"));
    card->Edit3->SetText(TrimmedField(list, u"s_third_name"));
    SetLookupKey(card->LCB_roles, IntField(list, u"role_id"));
    SetLookupKey(card->LCB_department, IntField(list, u"dep_id"));
    SetLookupKey(card->LCB_staffpos, IntField(list, u"staff_id"));
    card->PersonId = IntField(list, u"id");
    card->ShowModal();
    Reopen(list);
    RestoreRecNo(list, recNo);
    return;
  }
  if (tag != 11 && tag != 43 && tag != 61 && tag != 68) return;
  if (!list->IsEmpty()) {
    auto handler = Pickers.find(tag);
    if (handler != Pickers.end() && handler->second)
      handler->second(IntField(list, u"id"), TrimmedField(list, u"s_caption"));
  }
  Close();
}

void TForm5::Button3Click(TObject*) {
  TDataSet* list = DataModule6->workers;
  if (list->IsEmpty()) return;
  if (!AskDelete(u"Удалить работника?")) return;
  const Integer recNo = list->GetRecNo();
  RunStatement(Form2->cmd_person, u"delete from cmn_contractor.person where id =:id",
               {{u"id", IntField(list, u"id")}});
  Reopen(list);
  RestoreRecNo(list, recNo);
}

void TForm5::Edit1Change(TObject*) {
  const String typed = Edit1->GetText();
  ApplyListFilter(DataModule6->workers, typed,
                  LikeFilter(u"s_caption", typed) + u" or " + LikeFilter(u"s_staffpos", typed));
}

void TForm5::Edit1KeyDown(TObject*, Word& Key, TShiftState) { FilterBoxKeyDown(DataModule6->workers, Key); }
