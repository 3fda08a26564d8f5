// The operation type editor.
#include "app/Unit9.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "platform/controls/StdCtrls.h"
#include "platform/rtl/Strings.h"

TForm9* Form9 = nullptr;

TForm9::TForm9(TComponent* owner) : TForm(owner) {}

void TForm9::Published(TPropBuilder<TForm9>& p) {
  p.Method(u"FormCreate", &TForm9::FormCreate);
  p.Method(u"FormActivate", &TForm9::FormActivate);
  p.Method(u"Button1Click", &TForm9::Button1Click);
}

void TForm9::FormCreate(TObject*) {
  BindComponent(this, u"GroupBox1", GroupBox1);
  BindComponent(this, u"Edit1", Edit1);
  BindComponent(this, u"Edit2", Edit2);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  AccountingFormSetUp(this, 9);
}

void TForm9::FormActivate(TObject*) { FocusIfVisible(Edit1); }

void TForm9::Button1Click(TObject*) {
  const String name = Trim(Edit1->GetText());
  if (RequiredMissing({name})) return;
  const TBoundValues values = {{u"caption", name},
                               {u"description", Trim(Edit2->GetText())},
                               {u"id", GetTag() == 1 ? 0 : IntField(DataModule6->operation_type, u"id")}};
  if (GetTag() == 1)
    RunStatement(
        DataModule6->cmd_all,
        u"insert into mnf_operation.operation_type(s_caption, s_description)VALUES(:caption, :description)",
        values);
  else
    RunStatement(
        DataModule6->cmd_all,
        u"UPDATE mnf_operation.operation_type SET s_caption=:caption, s_description=:description where "
        u"id=:id",
        values);
  Reopen(DataModule6->operation_type);
  Close();
}
