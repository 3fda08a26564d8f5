// The counterparty editor.
#include "app/Unit14.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "platform/controls/StdCtrls.h"
#include "platform/rtl/Strings.h"

TForm14* Form14 = nullptr;

TForm14::TForm14(TComponent* owner) : TForm(owner) {}

void TForm14::Published(TPropBuilder<TForm14>& p) {
  p.Method(u"FormCreate", &TForm14::FormCreate);
  p.Method(u"Button5Click", &TForm14::Button5Click);
}

void TForm14::FormCreate(TObject*) {
  BindComponent(this, u"GroupBox1", GroupBox1);
  BindComponent(this, u"Edit1", Edit1);
  BindComponent(this, u"Edit2", Edit2);
  BindComponent(this, u"Edit3", Edit3);
  BindComponent(this, u"Edit4", Edit4);
  BindComponent(this, u"Button5", Button5);
  BindComponent(this, u"Button6", Button6);
  AccountingFormSetUp(this, 14);
}

void TForm14::Button5Click(TObject*) {
  if (RequiredMissing({Trim(Edit1->GetText())})) return;
  // Stored as typed: only the full name is required.
  const TBoundValues values = {{u"caption", Edit2->GetText()},
                               {u"full", Edit1->GetText()},
                               {u"ogrn", Edit4->GetText()},
                               {u"inn", Edit3->GetText()},
                               {u"id", GetTag() == 1 ? 0 : IntField(DataModule6->jur_person, u"id")}};
  if (GetTag() == 1)
    RunStatement(DataModule6->cmd_all,
                 u"INSERT INTO cmn_contractor.jur_person(s_caption, s_full_caption, s_ogrn, s_inn)"
                 u"VALUES(:caption, :full, :ogrn, :inn)",
                 values);
  else
    RunStatement(
        DataModule6->cmd_all,
        u"UPDATE cmn_contractor.jur_person  SET s_caption=:caption, s_full_caption=:full, s_ogrn=:ogrn, "
        u"s_inn=:inn WHERE id=:id",
        values);
  Reopen(DataModule6->jur_person);
  Close();
}
