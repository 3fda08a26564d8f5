// The staff positions list.
#include "app/Unit26.h"

#include "app/ListScreen.h"
#include "app/Unit27.h"
#include "app/Unit6.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"

TForm26* Form26 = nullptr;

TForm26::TForm26(TComponent* owner) : TForm(owner) {}

void TForm26::Published(TPropBuilder<TForm26>& p) {
  p.Method(u"FormCreate", &TForm26::FormCreate);
  p.Method(u"Button1Click", &TForm26::Button1Click);
  p.Method(u"Button2Click", &TForm26::Button2Click);
  p.Method(u"Button3Click", &TForm26::Button3Click);
  p.Method(u"Edit1Change", &TForm26::Edit1Change);
  p.Method(u"Edit1KeyDown", &TForm26::Edit1KeyDown);
}

void TForm26::FormCreate(TObject*) {
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"Button3", Button3);
  BindComponent(this, u"Button4", Button4);
  SetUpListScreen(this, 26, DataModule6->staffpos, DBGrid1, DataSource1, Edit1);
}

void TForm26::Button1Click(TObject*) {
  TForm27* edit = Form27;
  edit->SetTag(1);
  edit->cb_department->Open();
  edit->Edit1->SetText(u"");
  edit->Edit2->SetText(u"");
  edit->cb_department->First();
  edit->ShowModal();
}

void TForm26::Button2Click(TObject*) {
  TDataSet* list = DataModule6->staffpos;
  if (list->IsEmpty()) return;
  const Integer recNo = list->GetRecNo();
  TForm27* edit = Form27;
  edit->SetTag(0);
  edit->Edit1->SetText(TrimmedField(list, u"s_caption"));
  edit->Edit2->SetText(TrimmedField(list, u"s_description"));
  edit->cb_department->Open();
  SetLookupKey(edit->p_department, IntField(list, u"id_department"));
  edit->ShowModal();
  RestoreRecNo(list, recNo);
  edit->cb_department->Close();
}

void TForm26::Button3Click(TObject*) {
  DeleteListRow(DataModule6->staffpos, u"Удалить строку?", DataModule6->cmd_all,
                u"delete from hrms_staffpos.staffpos where id=:id");
}

void TForm26::Edit1Change(TObject*) {
  ApplyListFilter(DataModule6->staffpos, Edit1->GetText(), LikeFilter(u"s_caption", Edit1->GetText()));
}

void TForm26::Edit1KeyDown(TObject*, Word& Key, TShiftState) { FilterBoxKeyDown(DataModule6->staffpos, Key); }
