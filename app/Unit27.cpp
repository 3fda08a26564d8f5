// The staff position editor.
#include "app/Unit27.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/rtl/Strings.h"

TForm27* Form27 = nullptr;

TForm27::TForm27(TComponent* owner) : TForm(owner) {}

void TForm27::Published(TPropBuilder<TForm27>& p) {
  p.Method(u"FormCreate", &TForm27::FormCreate);
  p.Method(u"Button1Click", &TForm27::Button1Click);
  p.Method(u"FormMouseWheelDown", &TForm27::FormMouseWheelDown);
  p.Method(u"FormMouseWheelUp", &TForm27::FormMouseWheelUp);
}

void TForm27::FormCreate(TObject*) {
  BindComponent(this, u"GroupBox1", GroupBox1);
  BindComponent(this, u"Edit1", Edit1);
  BindComponent(this, u"Edit2", Edit2);
  BindComponent(this, u"p_department", p_department);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"cb_department", cb_department);
  cb_department->SetConnection(DataModule6->ADO_DB);
  AccountingFormSetUp(this, 27);
}

void TForm27::Button1Click(TObject*) {
  const String name = Trim(Edit1->GetText());
  if (RequiredMissing({name})) return;
  const TBoundValues values = {{u"caption", name},
                               {u"description", Trim(Edit2->GetText())},
                               {u"department", LookupKey(p_department)},
                               {u"id", GetTag() == 1 ? 0 : IntField(DataModule6->staffpos, u"id")}};
  if (GetTag() == 1)
    RunStatement(DataModule6->cmd_all,
                 u"insert into hrms_staffpos.staffpos(s_caption, s_description, id_department)"
                 u"VALUES(:caption, :description, :department)",
                 values);
  else
    RunStatement(DataModule6->cmd_all,
                 u"UPDATE hrms_staffpos.staffpos SET s_caption=:caption, s_description=:description, "
                 u"id_department=:department where id=:id",
                 values);
  Reopen(DataModule6->staffpos);
  Close();
}

void TForm27::FormMouseWheelDown(TObject*, TShiftState, TPoint, bool&) {
  StepFocusedLookup({p_department}, VK_DOWN);
}

void TForm27::FormMouseWheelUp(TObject*, TShiftState, TPoint, bool&) {
  StepFocusedLookup({p_department}, VK_UP);
}
