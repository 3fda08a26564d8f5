// The department editor.
#include "app/Unit31.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/rtl/Strings.h"

TForm31* Form31 = nullptr;

TForm31::TForm31(TComponent* owner) : TForm(owner) {}

void TForm31::Published(TPropBuilder<TForm31>& p) {
  p.Method(u"FormCreate", &TForm31::FormCreate);
  p.Method(u"Button1Click", &TForm31::Button1Click);
  p.Method(u"CheckBox1Click", &TForm31::CheckBox1Click);
  p.Method(u"FormClose", &TForm31::FormClose);
  p.Method(u"FormMouseWheelDown", &TForm31::FormMouseWheelDown);
  p.Method(u"FormMouseWheelUp", &TForm31::FormMouseWheelUp);
}

void TForm31::FormCreate(TObject*) {
  BindComponent(this, u"GroupBox1", GroupBox1);
  BindComponent(this, u"Edit1", Edit1);
  BindComponent(this, u"Edit2", Edit2);
  BindComponent(this, u"p_department", p_department);
  BindComponent(this, u"CheckBox1", CheckBox1);
  BindComponent(this, u"Label3", Label3);
  BindComponent(this, u"type_combo", type_combo);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"cb_department", cb_department);
  BindComponent(this, u"ds_department", ds_department);
  cb_department->SetConnection(DataModule6->ADO_DB);
  TStrings* kinds = type_combo->GetItems();
  kinds->Clear();
  kinds->Add(u"Склад ГП");
  kinds->Add(u"Склад заготовок");
  kinds->Add(u"Склад сырья");
  AccountingFormSetUp(this, 31);
}

void TForm31::CheckBox1Click(TObject*) {
  const bool warehouse = CheckBox1->GetChecked();
  type_combo->SetItemIndex(warehouse ? 0 : -1);
  type_combo->SetEnabled(warehouse);
  Label3->SetEnabled(warehouse);
}

void TForm31::Button1Click(TObject*) {
  const String name = Trim(Edit1->GetText());
  if (RequiredMissing({name})) return;
  const Integer kind = type_combo->GetItemIndex();
  const String kindText = kind >= 0 ? type_combo->GetItems()->Get(kind) : String();
  const TBoundValues values = {{u"caption", name},
                               {u"description", Trim(Edit2->GetText())},
                               {u"parent", LookupKey(p_department)},
                               {u"type", kind},
                               {u"type_text", kindText},
                               {u"id", GetTag() == 1 ? 0 : IntField(DataModule6->department, u"id")}};
  if (GetTag() == 1)
    RunStatement(DataModule6->cmd_all,
                 u"insert into cmn_department.department(s_caption, s_description, id_parent, type, s_type)"
                 u"VALUES(:caption, :description, :parent, :type, :type_text)",
                 values);
  else
    RunStatement(DataModule6->cmd_all,
                 u"UPDATE cmn_department.department SET s_caption=:caption, s_description=:description, "
                 u"id_parent=:parent, type=:type, s_type=:type_text where id=:id",
                 values);
  Reopen(DataModule6->department);
  Close();
}

void TForm31::FormClose(TObject*, TCloseAction&) { cb_department->Close(); }

void TForm31::FormMouseWheelDown(TObject*, TShiftState, TPoint, bool&) {
  StepFocusedLookup({p_department}, VK_DOWN);
}

void TForm31::FormMouseWheelUp(TObject*, TShiftState, TPoint, bool&) {
  StepFocusedLookup({p_department}, VK_UP);
}
