// The technological process editor.
#include "app/Unit33.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit10.h"
#include "app/Unit6.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/rtl/Strings.h"

TForm33* Form33 = nullptr;

namespace {

const Char* const kDeleteQuestion = u"Удалить строку (будет удалена вся спецификация ТП)?";

TForm* ScreenForm(const Char* name) {
  auto* form = dynamic_cast<TForm*>(Application->FindComponent(name));
  if (!form) throw EComponentError(String(u"Form '") + name + u"' not found");
  return form;
}

// The item lists are built by their own screen; the buttons are set when that screen has them.
TButton* ButtonOf(TComponent* form, const Char* name) {
  return dynamic_cast<TButton*>(form->FindComponent(name));
}

// Shows the inventory items list as a picker with the given condition and Tag, and puts the list's
// buttons and the shared query's text back afterwards.
void PickFromItemList(const String& condition, int tag) {
  TForm* list = ScreenForm(u"Form3");
  TButton* add = ButtonOf(list, u"Button1");
  TButton* change = ButtonOf(list, u"Button2");
  TButton* remove = ButtonOf(list, u"Button3");
  if (add) add->SetVisible(false);
  if (remove) remove->SetVisible(false);
  if (change) change->SetCaption(u"Выбрать");
  TADOQuery* items = DataModule6->inventory_items;
  const String savedText = items->GetSQL()->GetText();
  items->Close();
  items->GetSQL()->SetText(ItemPickerText(condition));
  items->Open();
  list->SetTag(tag);
  list->ShowModal();
  if (add) add->SetVisible(true);
  if (remove) remove->SetVisible(true);
  if (change) change->SetCaption(u"Изменить");
  items->Close();
  items->GetSQL()->SetText(savedText);
}

}  // namespace

String ItemPickerText(const String& condition) {
  return u"select ii.*, (CASE ii.ral WHEN true THEN 'Да' END) as s_ral, it.s_caption as s_type, n.s_caption "
         u"as "
         u"s_nom,  m.s_identification,\n"
         u"(select count(pt.id) from  mnf_proc_tech.proc_tech pt where pt.id_inventory_items = ii.id) as "
         u"tp_cnt,pt2.id_gds, ii2.marka as s_caption_gds\n"
         u"from cmn_inventory_items.inventory_items ii\n"
         u"left join cmn_inventory_items.ii_type it on ii.id_type = it.id\n"
         u"left join cmn_inventory_items.nomenclature n on ii.id_nom = n.id\n"
         u"left join cmn_msm.msm m on m.id = ii.id_msm\n"
         u"left join mnf_proc_tech.proc_tech pt2 on ii.id=pt2.id_inventory_items\n"
         u"left join cmn_inventory_items.inventory_items ii2 on ii2.id=pt2.id_gds\n" +
         condition;
}

TForm33::TForm33(TComponent* owner) : TForm(owner) {}

void TForm33::Published(TPropBuilder<TForm33>& p) {
  p.Method(u"FormCreate", &TForm33::FormCreate);
  p.Method(u"Button4Click", &TForm33::Button4Click);
  p.Method(u"Button5Click", &TForm33::Button5Click);
  p.Method(u"Button7Click", &TForm33::Button7Click);
  p.Method(u"Button1Click", &TForm33::Button1Click);
  p.Method(u"Button2Click", &TForm33::Button2Click);
  p.Method(u"Button3Click", &TForm33::Button3Click);
  p.Method(u"Button8Click", &TForm33::Button8Click);
}

void TForm33::FormCreate(TObject*) {
  BindComponent(this, u"GroupBox1", GroupBox1);
  BindComponent(this, u"Edit1", Edit1);
  BindComponent(this, u"Edit2", Edit2);
  BindComponent(this, u"Edit3", Edit3);
  BindComponent(this, u"Edit4", Edit4);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"Button3", Button3);
  BindComponent(this, u"Button4", Button4);
  BindComponent(this, u"Button5", Button5);
  BindComponent(this, u"Button6", Button6);
  BindComponent(this, u"Button7", Button7);
  BindComponent(this, u"Button8", Button8);
  BindComponent(this, u"DBGrid1", DBGrid1);
  BindComponent(this, u"DBText1", DBText1);
  BindComponent(this, u"DataSource1", DataSource1);
  BindComponent(this, u"full_price", full_price);
  full_price->SetConnection(DataModule6->ADO_DB);
  DataSource1->SetDataSet(DataModule6->operation);
  AccountingFormSetUp(this, 33);
}

void TForm33::EnableOperations(bool enabled) {
  for (TButton* b : {Button1, Button2, Button3, Button4}) b->SetEnabled(enabled);
}

void TForm33::Button4Click(TObject*) {
  TDataSet* processes = DataModule6->proc_tech;
  const Integer recNo = processes->GetRecNo();
  const String product = Edit2->GetText();
  const String name = Edit3->GetText();
  const String source = Edit4->GetText();
  if (product.empty() && name.empty() && source.empty()) return;
  const bool changed = product != SavedProductCaption || name != SavedName ||
                       source != SavedSourceItemCaption || ProcTechId == 0;
  if (changed) {
    if (Trim(product).empty() || Trim(name).empty() || Trim(source).empty()) {
      ErrorBox(u"Все поля должны быть заполнены.");
    } else if (Application->MessageBox(u"Сохранить изменения?", u"Сохраннение", MB_YESNO | MB_ICONQUESTION) ==
               IDYES) {
      const TBoundValues values = {
          {u"caption", Trim(name)}, {u"product", ProductId}, {u"source", SourceItemId}, {u"id", ProcTechId}};
      if (GetTag() == 1 || GetTag() == 11) {
        // The id comes back from the insert itself: another user's insert cannot be taken for it.
        ProcTechId =
            InsertReturningId(DataModule6->ADO_DB,
                              u"insert into mnf_proc_tech.proc_tech(s_caption, id_inventory_items, id_gds)"
                              u"VALUES(:caption, :product, :source) RETURNING id",
                              values);
        GroupBox1->SetCaption(u"Техпроцесс № " + IntToStr(ProcTechId));
        DataModule6->operation->GetParameters()->ParamByName(u"id_proc_tech")->SetValue(ProcTechId);
        // The total under the operations is the new process's from now on.
        full_price->Close();
        full_price->GetParameters()->ParamByName(u"id_pt")->SetValue(ProcTechId);
        full_price->Open();
        Reopen(processes);
        SetTag(0);
      } else {
        RunStatement(DataModule6->cmd_all,
                     u"UPDATE mnf_proc_tech.proc_tech SET s_caption=:caption, id_inventory_items=:product, "
                     u"id_gds=:source where id=:id",
                     values);
        Reopen(processes);
      }
      // Remembered only once written, so a refused save is offered again.
      SavedProductCaption = product;
      SavedName = name;
      SavedSourceItemCaption = source;
      EnableOperations(true);
    }
  }
  RestoreRecNo(processes, recNo);
}

void TForm33::Button5Click(TObject*) { PickFromItemList(u"where ii.id_type <> 0", 33); }

void TForm33::Button7Click(TObject*) {
  if (GetTag() != 11) {
    PickFromItemList(u"where ii.id_type <> -1", 3);
    return;
  }
  TForm* picker = ScreenForm(u"Form303");
  if (TButton* change = ButtonOf(picker, u"Button2")) change->SetCaption(u"Выбрать");
  auto* items = dynamic_cast<TADOQuery*>(picker->FindComponent(u"inventory_items"));
  if (!items) throw EComponentError(u"Component 'inventory_items' not found");
  items->Close();
  items->GetSQL()->SetText(ItemPickerText(u"where ii.id_type <> 1 and ii.id_type <> 3"));
  items->Open();
  picker->SetTag(3);
  picker->ShowModal();
}

void TForm33::Button1Click(TObject*) {
  TForm10* dialog = Form10;
  dialog->SetTag(1);
  if (ProductId == 0 || SourceItemId == 0) {
    ErrorBox(u"Необходимо выбрать издение и материал.");
    return;
  }
  dialog->max_num->Close();
  dialog->max_num->GetParameters()->ParamByName(u"id_pt")->SetValue(ProcTechId);
  dialog->max_num->Open();
  dialog->Edit1->SetText(dialog->max_num->FieldByName(u"orderby")->GetAsString());
  dialog->Edit2->SetText(u"");
  dialog->Edit3->SetText(u"");
  dialog->OperationTypeId = 0;
  dialog->operation_state->Open();
  SetLookupKey(dialog->cb_operation_state, -1);
  dialog->ShowModal();
  dialog->max_num->Close();
  dialog->operation_state->Close();
  Reopen(full_price);
}

void TForm33::Button2Click(TObject*) {
  TDataSet* operations = DataModule6->operation;
  if (operations->IsEmpty()) return;
  const Integer recNo = operations->GetRecNo();
  TForm10* dialog = Form10;
  dialog->SetTag(0);
  dialog->OperationTypeId = IntField(operations, u"id_type");
  dialog->Edit1->SetText(operations->FieldByName(u"orderby")->GetAsString());
  dialog->Edit2->SetText(operations->FieldByName(u"s_type")->GetAsString());
  dialog->Edit3->SetText(operations->FieldByName(u"price")->GetAsString());
  dialog->operation_state->Open();
  SetLookupKey(dialog->cb_operation_state, IntField(operations, u"id_state"));
  dialog->ShowModal();
  dialog->operation_state->Close();
  RestoreRecNo(operations, recNo);
  Reopen(full_price);
}

void TForm33::Button3Click(TObject*) {
  DeleteListRow(DataModule6->operation, kDeleteQuestion, DataModule6->cmd_all,
                u"delete from mnf_operation.operation where id=:id");
  Reopen(full_price);
}

void TForm33::Button8Click(TObject*) { Close(); }
