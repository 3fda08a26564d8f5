// The operation types list and picker.
#include "app/Unit8.h"

#include "app/ListScreen.h"
#include "app/Unit10.h"
#include "app/Unit6.h"
#include "app/Unit9.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/dbctrls/DBGrids.h"

TForm8* Form8 = nullptr;

TForm8::TForm8(TComponent* owner) : TForm(owner) {}

void TForm8::Published(TPropBuilder<TForm8>& p) {
  p.Method(u"FormCreate", &TForm8::FormCreate);
  p.Method(u"FormActivate", &TForm8::FormActivate);
  p.Method(u"Button1Click", &TForm8::Button1Click);
  p.Method(u"Button2Click", &TForm8::Button2Click);
  p.Method(u"Button3Click", &TForm8::Button3Click);
  p.Method(u"Edit1Change", &TForm8::Edit1Change);
  p.Method(u"Edit1KeyDown", &TForm8::Edit1KeyDown);
}

void TForm8::FormCreate(TObject*) {
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"Button3", Button3);
  BindComponent(this, u"Button4", Button4);
  SetUpListScreen(this, 8, DataModule6->operation_type, DBGrid1, DataSource1, Edit1);
}

void TForm8::FormActivate(TObject*) { FocusIfVisible(Edit1); }

void TForm8::Button1Click(TObject*) {
  // The description keeps the last one shown.
  Form9->Edit1->SetText(u"");
  Form9->SetTag(1);
  Form9->ShowModal();
}

void TForm8::Button2Click(TObject*) {
  TDataSet* list = DataModule6->operation_type;
  const Integer recNo = list->GetRecNo();
  if (GetTag() == 0) {
    if (list->IsEmpty()) return;
    Form9->SetTag(2);
    Form9->Edit1->SetText(TrimmedField(list, u"s_caption"));
    Form9->Edit2->SetText(TrimmedField(list, u"s_description"));
    Form9->ShowModal();
  } else {
    // The operation dialog's type; an empty list gives no type at all.
    const bool rows = !list->IsEmpty();
    Form10->Edit2->SetText(rows ? TrimmedField(list, u"s_caption") : String());
    Form10->OperationTypeId = rows ? IntField(list, u"id") : 0;
    Close();
  }
  RestoreRecNo(list, recNo);
}

void TForm8::Button3Click(TObject*) {
  DeleteListRow(DataModule6->operation_type, u"Удалить строку?", DataModule6->cmd_all,
                u"delete from mnf_operation.operation_type where id=:id");
}

void TForm8::Edit1Change(TObject*) {
  ApplyListFilter(DataModule6->operation_type, Edit1->GetText(), LikeFilter(u"s_caption", Edit1->GetText()));
}

void TForm8::Edit1KeyDown(TObject*, Word& Key, TShiftState) {
  FilterBoxKeyDown(DataModule6->operation_type, Key);
}
