// The employee card.
#include "app/Unit2.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/rtl/Strings.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(TComponent* owner) : TForm(owner) {}

void TForm2::Published(TPropBuilder<TForm2>& p) {
  p.Method(u"FormCreate", &TForm2::FormCreate);
  p.Method(u"FormActivate", &TForm2::FormActivate);
  p.Method(u"FormClose", &TForm2::FormClose);
  p.Method(u"Button1Click", &TForm2::Button1Click);
  p.Method(u"FormMouseWheelDown", &TForm2::FormMouseWheelDown);
  p.Method(u"FormMouseWheelUp", &TForm2::FormMouseWheelUp);
}

void TForm2::FormCreate(TObject*) {
  BindComponent(this, u"GroupBox1", GroupBox1);
  BindComponent(this, u"Edit1", Edit1);
  BindComponent(this, u"Edit2", Edit2);
  BindComponent(this, u"Edit3", Edit3);
  BindComponent(this, u"LCB_department", LCB_department);
  BindComponent(this, u"LCB_staffpos", LCB_staffpos);
  BindComponent(this, u"LCB_roles", LCB_roles);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"staffpos", staffpos);
  BindComponent(this, u"department", department);
  BindComponent(this, u"roles", roles);
  BindComponent(this, u"cmd_person", cmd_person);
  for (TADOQuery* table : {staffpos, department, roles}) table->SetConnection(DataModule6->ADO_DB);
  cmd_person->SetConnection(DataModule6->ADO_DB);
  AccountingFormSetUp(this, 2);
}

void TForm2::FormActivate(TObject*) { FocusIfVisible(Edit1); }

void TForm2::FormClose(TObject*, TCloseAction&) {
  for (TADOQuery* table : {staffpos, department, roles}) table->Close();
}

void TForm2::Button1Click(TObject*) {
  const String surname = Trim(Edit1->GetText());
  const String first = Trim(Edit2->GetText());
  const String patronymic = Trim(Edit3->GetText());
  if (RequiredMissing({surname, first, patronymic, Trim(LCB_roles->GetText()),
                       Trim(LCB_department->GetText()), Trim(LCB_staffpos->GetText())}))
    return;
  const TBoundValues values = {{u"caption", surname + u" " + first + u" " + patronymic},
                               {u"second", surname},
                               {u"first", first},
                               {u"third", patronymic},
                               {u"staffpos", LookupKey(LCB_staffpos)},
                               {u"department", LookupKey(LCB_department)},
                               {u"role", LookupKey(LCB_roles)},
                               {u"id", PersonId}};
  if (GetTag() == 1)
    RunStatement(cmd_person,
                 u"INSERT INTO cmn_contractor.person (s_caption, s_second_name, s_first_name, s_third_name, "
                 u"id_staffpos, id_department, id_role)VALUES(:caption, :second, :first, :third, :staffpos, "
                 u":department, :role)",
                 values);
  else
    RunStatement(
        cmd_person,
        u"UPDATE cmn_contractor.person SET s_caption=:caption, s_second_name=:second, s_first_name=:first, "
        u"s_third_name=:third, id_staffpos=:staffpos, id_department=:department, id_role=:role where "
        u"cmn_contractor.person.id=:id",
        values);
  Close();
}

void TForm2::FormMouseWheelDown(TObject*, TShiftState, TPoint, bool&) {
  StepFocusedLookup({LCB_department, LCB_staffpos, LCB_roles}, VK_DOWN);
}

void TForm2::FormMouseWheelUp(TObject*, TShiftState, TPoint, bool&) {
  StepFocusedLookup({LCB_department, LCB_staffpos, LCB_roles}, VK_UP);
}
