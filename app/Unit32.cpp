// The roles list; roles are changed on the role administration screen, so its buttons do nothing.
#include "app/Unit32.h"

#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/dbctrls/DBGrids.h"

TForm32* Form32 = nullptr;

TForm32::TForm32(TComponent* owner) : TForm(owner) {}

void TForm32::Published(TPropBuilder<TForm32>& p) {
  p.Method(u"FormCreate", &TForm32::FormCreate);
  p.Method(u"Edit1Change", &TForm32::Edit1Change);
  p.Method(u"Edit1KeyDown", &TForm32::Edit1KeyDown);
}

void TForm32::FormCreate(TObject*) {
  BindComponent(this, u"Button5", Button5);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"Button3", Button3);
  BindComponent(this, u"Button4", Button4);
  SetUpListScreen(this, 32, DataModule6->role, DBGrid1, DataSource1, Edit1);
}

void TForm32::Edit1Change(TObject*) {
  ApplyListFilter(DataModule6->role, Edit1->GetText(), LikeFilter(u"s_caption", Edit1->GetText()));
}

void TForm32::Edit1KeyDown(TObject*, Word& Key, TShiftState) { FilterBoxKeyDown(DataModule6->role, Key); }
