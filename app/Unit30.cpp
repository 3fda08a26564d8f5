// The departments list.
#include "app/Unit30.h"

#include "app/ListScreen.h"
#include "app/Unit31.h"
#include "app/Unit6.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"

TForm30* Form30 = nullptr;

TForm30::TForm30(TComponent* owner) : TForm(owner) {}

void TForm30::Published(TPropBuilder<TForm30>& p) {
  p.Method(u"FormCreate", &TForm30::FormCreate);
  p.Method(u"Button5Click", &TForm30::Button5Click);
  p.Method(u"Button2Click", &TForm30::Button2Click);
  p.Method(u"Button3Click", &TForm30::Button3Click);
  p.Method(u"Edit1Change", &TForm30::Edit1Change);
  p.Method(u"Edit1KeyDown", &TForm30::Edit1KeyDown);
}

void TForm30::FormCreate(TObject*) {
  BindComponent(this, u"Button5", Button5);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"Button3", Button3);
  BindComponent(this, u"Button4", Button4);
  SetUpListScreen(this, 30, DataModule6->department, DBGrid1, DataSource1, Edit1);
}

void TForm30::Button5Click(TObject*) {
  TForm31* edit = Form31;
  edit->SetTag(1);
  edit->cb_department->Open();
  edit->Edit1->SetText(u"");
  edit->Edit2->SetText(u"");
  edit->cb_department->First();
  edit->CheckBox1->SetChecked(false);
  edit->type_combo->SetItemIndex(-1);
  edit->type_combo->SetEnabled(false);
  edit->Label3->SetEnabled(false);
  edit->ShowModal();
}

void TForm30::Button2Click(TObject*) {
  TDataSet* list = DataModule6->department;
  if (list->IsEmpty()) return;
  const Integer recNo = list->GetRecNo();
  TForm31* edit = Form31;
  edit->SetTag(0);
  edit->Edit1->SetText(TrimmedField(list, u"s_caption"));
  edit->Edit2->SetText(TrimmedField(list, u"s_description"));
  edit->cb_department->Open();
  const Integer kind = IntField(list, u"type");
  // The box's own click reaction chooses "Склад ГП"; the stored kind is set after it.
  edit->CheckBox1->SetChecked(kind >= 0);
  edit->type_combo->SetItemIndex(kind >= 0 ? kind : -1);
  edit->type_combo->SetEnabled(kind >= 0);
  edit->Label3->SetEnabled(kind >= 0);
  SetLookupKey(edit->p_department, IntField(list, u"id_parent"));
  edit->ShowModal();
  RestoreRecNo(list, recNo);
}

void TForm30::Button3Click(TObject*) {
  DeleteListRow(DataModule6->department, u"Удалить строку?", DataModule6->cmd_all,
                u"delete from cmn_department.department where id=:id");
}

void TForm30::Edit1Change(TObject*) {
  ApplyListFilter(DataModule6->department, Edit1->GetText(), LikeFilter(u"s_caption", Edit1->GetText()));
}

void TForm30::Edit1KeyDown(TObject*, Word& Key, TShiftState) {
  FilterBoxKeyDown(DataModule6->department, Key);
}
