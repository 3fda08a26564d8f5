// The roles list of role administration.
#include "app/Unit35.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit58.h"
#include "app/Unit6.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"

TForm35* Form35 = nullptr;

TForm35::TForm35(TComponent* owner) : TForm(owner) {}

void TForm35::Published(TPropBuilder<TForm35>& p) {
  p.Method(u"FormCreate", &TForm35::FormCreate);
  p.Method(u"FormActivate", &TForm35::FormActivate);
  p.Method(u"FormClose", &TForm35::FormClose);
  p.Method(u"Button1Click", &TForm35::Button1Click);
  p.Method(u"Button2Click", &TForm35::Button2Click);
}

void TForm35::FormCreate(TObject*) {
  BindComponent(this, u"DBGridEh1", DBGridEh1);
  BindComponent(this, u"DataSource1", DataSource1);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"Button3", Button3);
  BindComponent(this, u"Button4", Button4);
  BindComponent(this, u"Edit1", Edit1);
  DataSource1->SetDataSet(DataModule6->role);
  SetUpDataGrid(DBGridEh1);
  AccountingFormSetUp(this, 35);
}

void TForm35::FormActivate(TObject*) { DataModule6->role->Open(); }

void TForm35::FormClose(TObject*, TCloseAction&) { DataModule6->role->Close(); }

void TForm35::Button1Click(TObject*) {
  TForm58* edit = Form58;
  edit->Edit1->SetText(u"");
  edit->Edit2->SetText(u"");
  edit->CheckBox1->SetChecked(true);
  edit->SetTag(0);
  edit->ShowModal();
  Reopen(DataModule6->role);
}

void TForm35::Button2Click(TObject*) {
  TDataSet* roles = DataModule6->role;
  const Integer recNo = roles->GetRecNo();
  if (roles->IsEmpty()) return;
  TForm58* edit = Form58;
  edit->SetTag(1);
  edit->Edit2->SetText(TrimmedField(roles, u"s_caption"));
  edit->Edit1->SetText(TrimmedField(roles, u"s_name"));
  edit->CheckBox1->SetChecked(IntField(roles, u"b_active") != 0);
  edit->ShowModal();
  Reopen(roles);
  RestoreRecNo(roles, recNo);
}
