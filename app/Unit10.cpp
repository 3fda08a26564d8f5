// The operation dialog of the technological process editor.
#include "app/Unit10.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit33.h"
#include "app/Unit6.h"
#include "app/Unit8.h"
#include "platform/controls/StdCtrls.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/rtl/Strings.h"

TForm10* Form10 = nullptr;

TForm10::TForm10(TComponent* owner) : TForm(owner) {}

void TForm10::Published(TPropBuilder<TForm10>& p) {
  p.Method(u"FormCreate", &TForm10::FormCreate);
  p.Method(u"FormActivate", &TForm10::FormActivate);
  p.Method(u"Button4Click", &TForm10::Button4Click);
  p.Method(u"Edit1KeyPress", &TForm10::Edit1KeyPress);
  p.Method(u"Edit3KeyPress", &TForm10::Edit3KeyPress);
  p.Method(u"Button1Click", &TForm10::Button1Click);
}

void TForm10::FormCreate(TObject*) {
  BindComponent(this, u"GroupBox1", GroupBox1);
  BindComponent(this, u"Edit1", Edit1);
  BindComponent(this, u"Edit2", Edit2);
  BindComponent(this, u"Edit3", Edit3);
  BindComponent(this, u"Button4", Button4);
  BindComponent(this, u"cb_operation_state", cb_operation_state);
  BindComponent(this, u"Button3", Button3);
  BindComponent(this, u"Button5", Button5);
  BindComponent(this, u"operation_state", operation_state);
  BindComponent(this, u"max_num", max_num);
  operation_state->SetConnection(DataModule6->ADO_DB);
  max_num->SetConnection(DataModule6->ADO_DB);
  AccountingFormSetUp(this, 10);
}

void TForm10::FormActivate(TObject*) { FocusIfVisible(Button3); }

void TForm10::Button4Click(TObject*) {
  TForm8* list = Form8;
  const bool addShown = list->Button1->GetVisible();
  const bool deleteShown = list->Button3->GetVisible();
  const bool filterShown = list->Edit1->GetVisible();
  list->SetTag(1);
  DataModule6->operation_type->Open();
  list->Button1->SetVisible(false);
  list->Button3->SetVisible(false);
  list->Button2->SetDefault(true);
  list->Edit1->SetVisible(true);
  list->Edit1->SetText(u"");
  list->ShowModal();
  // Put back as found, so the list opened from the menu keeps its filter box.
  list->Button2->SetDefault(false);
  list->Button1->SetVisible(addShown);
  list->Button3->SetVisible(deleteShown);
  list->Edit1->SetVisible(filterShown);
  DataModule6->operation_type->Close();
}

void TForm10::Edit1KeyPress(TObject*, Char& Key) {
  if (!(Key >= u'0' && Key <= u'9') && Key != 8) Key = 0;
}

void TForm10::Edit3KeyPress(TObject*, Char& Key) {
  if (!(Key >= u'0' && Key <= u'9') && Key != u',' && Key != u'.' && Key != 8) Key = 0;
}

void TForm10::Button1Click(TObject*) {
  const String position = Trim(Edit1->GetText());
  if (RequiredMissing({position})) return;
  // Without a type or a result the server would get type 0 or state -1; ask for them instead.
  if (OperationTypeId == 0 || cb_operation_state->GetText().empty()) {
    ErrorBox(u"Все поля должны быть заполнены!");
    return;
  }
  // Pasted text gets past the key filters; it is refused here, before anything is written.
  const Integer orderby = StrToIntDef(position, 0);
  if (orderby <= 0) {
    ErrorBox(u"Номер по порядку должен быть целым положительным числом.");
    return;
  }
  Variant price;
  if (!TryDecimalValue(Trim(Edit3->GetText()), price)) {
    ErrorBox(u"Цена должна быть числом.");
    return;
  }
  const TBoundValues values = {{u"type", OperationTypeId},
                               {u"state", LookupKey(cb_operation_state)},
                               {u"price", price},
                               {u"item", Form33->ProductId},
                               {u"pt", Form33->ProcTechId},
                               {u"orderby", orderby},
                               {u"id", GetTag() == 1 ? 0 : IntField(DataModule6->operation, u"id")}};
  if (GetTag() == 1)
    RunStatement(
        DataModule6->cmd_all,
        u"INSERT INTO mnf_operation.operation(id_type, id_state, price, id_inventory_items, id_proc_tech, "
        u"orderby)VALUES(:type, :state, :price, :item, :pt, :orderby)",
        values);
  else
    RunStatement(DataModule6->cmd_all,
                 u"UPDATE mnf_operation.operation SET id_type=:type, id_state=:state, price=:price, "
                 u"id_inventory_items=:item, orderby=:orderby WHERE id=:id",
                 values);
  Reopen(DataModule6->operation);
  Close();
}
