// The role editor. Its Tag reads in reverse to the other editors: 0 adds, any other value changes the
// current role of the list.
#include "app/Unit58.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "platform/controls/StdCtrls.h"
#include "platform/rtl/Strings.h"

TForm58* Form58 = nullptr;

TForm58::TForm58(TComponent* owner) : TForm(owner) {}

void TForm58::Published(TPropBuilder<TForm58>& p) {
  p.Method(u"FormCreate", &TForm58::FormCreate);
  p.Method(u"Button5Click", &TForm58::Button5Click);
}

void TForm58::FormCreate(TObject*) {
  BindComponent(this, u"GroupBox1", GroupBox1);
  BindComponent(this, u"Edit1", Edit1);
  BindComponent(this, u"Edit2", Edit2);
  BindComponent(this, u"CheckBox1", CheckBox1);
  BindComponent(this, u"Button5", Button5);
  BindComponent(this, u"Button4", Button4);
  AccountingFormSetUp(this, 58);
}

void TForm58::Button5Click(TObject*) {
  const String name = Trim(Edit1->GetText());
  const String caption = Trim(Edit2->GetText());
  if (RequiredMissing({name, caption})) return;
  const bool active = CheckBox1->GetChecked();
  const TBoundValues values = {{u"name", name},
                               {u"caption", caption},
                               {u"active", active ? 1 : 0},
                               {u"id", GetTag() == 0 ? 0 : IntField(DataModule6->role, u"id")}};
  if (GetTag() == 0)
    RunStatement(DataModule6->cmd_all,
                 u"INSERT INTO adm_role.roles(s_name, s_caption, d_begin, b_active)"
                 u"VALUES(:name, :caption, now()::t_date, (:active)::integer::boolean::t_boolean)",
                 values);
  else if (active)
    // Saving an active role moves its start to today, also when it was active already.
    RunStatement(DataModule6->cmd_all,
                 u"UPDATE adm_role.roles SET s_caption=:caption, s_name=:name, "
                 u"b_active=(:active)::integer::boolean::t_boolean, d_begin=now()::t_date, d_end=NULL "
                 u"where id=:id",
                 values);
  else
    RunStatement(DataModule6->cmd_all,
                 u"UPDATE adm_role.roles SET s_caption=:caption, s_name=:name, "
                 u"b_active=(:active)::integer::boolean::t_boolean, d_end=now()::t_date where id=:id",
                 values);
  Close();
}
