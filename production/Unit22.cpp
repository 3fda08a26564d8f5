// The norms dialog of an operation.
#include "production/Unit22.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/data/Fields.h"
#include "platform/dbctrls/DBGrids.h"

TForm22* Form22 = nullptr;

namespace {

bool Editing(TDataSet* data) { return data->GetState() == dsEdit || data->GetState() == dsInsert; }

}  // namespace

TForm22::TForm22(TComponent* owner) : TForm(owner) {}

void TForm22::Published(TPropBuilder<TForm22>& p) {
  p.Method(u"FormCreate", &TForm22::FormCreate);
  p.Method(u"DBGrid1ColEnter", &TForm22::DBGrid1ColEnter);
  p.Method(u"DBGrid1ColExit", &TForm22::DBGrid1ColExit);
  p.Method(u"Button1Click", &TForm22::Button1Click);
  p.Method(u"Button2Click", &TForm22::Button2Click);
  p.Method(u"Button3Click", &TForm22::Button3Click);
}

void TForm22::FormCreate(TObject*) {
  BindComponent(this, u"DBGrid1", DBGrid1);
  BindComponent(this, u"DataSource1", DataSource1);
  BindComponent(this, u"norm", norm);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"Button3", Button3);
  norm->SetConnection(DataModule6->ADO_DB);
  norm->BeforePost = TDataSetNotifyEvent(this, &TForm22::NormBeforePost);
  norm->AfterOpen = TDataSetNotifyEvent(this, &TForm22::NormAfterOpen);
  AccountingFormSetUp(this, 22);
}

void TForm22::NormAfterOpen(TDataSet*) {
  norm->SetSort(u"norma ASC");
  if (auto* price = dynamic_cast<TNumericField*>(norm->FindField(u"price")))
    price->SetDisplayFormat(u"#0.00#");
}

void TForm22::NormBeforePost(TDataSet*) {
  // Every new norm belongs to the operation the dialog was opened for, however the row was started.
  if (norm->GetState() == dsInsert)
    norm->FieldByName(u"o_id")->SetAsInteger(IntField(DataModule6->operation, u"id"));
}

void TForm22::DBGrid1ColEnter(TObject*) {
  if (Editing(norm)) return;
  if (norm->IsEmpty())
    norm->Insert();
  else
    norm->Edit();
}

void TForm22::DBGrid1ColExit(TObject*) {
  // Written as soon as the user leaves the changed cell's column.
  if (Editing(norm) && norm->GetModified()) norm->Post();
}

void TForm22::Button1Click(TObject*) {
  if (Editing(norm)) {
    if (norm->GetModified())
      norm->Post();
    else
      norm->Cancel();
  }
  TDataSet* operations = DataModule6->operation;
  const Integer recNo = operations->GetRecNo();
  Reopen(operations);
  RestoreRecNo(operations, recNo);
  Close();
}

void TForm22::Button2Click(TObject*) {
  if (Editing(norm)) norm->Cancel();
  // The last norm of an operation stays.
  if (norm->GetRecordCount() > 1 && AskDelete(u"Удалить строку?")) norm->Delete();
  norm->Refresh();
}

void TForm22::Button3Click(TObject*) {
  if (Editing(norm)) norm->Cancel();
  Close();
}
