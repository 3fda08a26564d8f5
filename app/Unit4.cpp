// The technological processes list and its export.
#include "app/Unit4.h"

#include "app/ExcelWriter.h"
#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit33.h"
#include "app/Unit6.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(TComponent* owner) : TForm(owner) {}

void TForm4::Published(TPropBuilder<TForm4>& p) {
  p.Method(u"FormCreate", &TForm4::FormCreate);
  p.Method(u"FormActivate", &TForm4::FormActivate);
  p.Method(u"Edit1Change", &TForm4::Edit1Change);
  p.Method(u"Edit1KeyDown", &TForm4::Edit1KeyDown);
  p.Method(u"DBGrid1TitleClick", &TForm4::DBGrid1TitleClick);
  p.Method(u"Button1Click", &TForm4::Button1Click);
  p.Method(u"Button2Click", &TForm4::Button2Click);
  p.Method(u"Button3Click", &TForm4::Button3Click);
  p.Method(u"Button5Click", &TForm4::Button5Click);
  p.Method(u"DBGrid1DblClick", &TForm4::DBGrid1DblClick);
}

void TForm4::FormCreate(TObject*) {
  BindComponent(this, u"DBGrid1", DBGrid1);
  BindComponent(this, u"DataSource1", DataSource1);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"Button3", Button3);
  BindComponent(this, u"Button5", Button5);
  BindComponent(this, u"Button9", Button9);
  BindComponent(this, u"CheckBox1", CheckBox1);
  BindComponent(this, u"Edit1", Edit1);
  BindComponent(this, u"XLS_Rep", XLS_Rep);
  XLS_Rep->SetConnection(DataModule6->ADO_DB);
  DataSource1->SetDataSet(DataModule6->proc_tech);
  AccountingFormSetUp(this, 4);
}

void TForm4::FormActivate(TObject*) {
  FocusIfVisible(Edit1);
  if (!Trim(Edit1->GetText()).empty()) Edit1Change(this);
}

void TForm4::Edit1Change(TObject*) {
  const String typed = Edit1->GetText();
  const String byMark = LikeFilter(u"s_ii", typed);
  if (GetTag() == 2) {
    // The processes of one item stay those of that item while the box filters them further.
    const String byItem = u"id_inventory_items=" + IntToStr(ItemId);
    ApplyListFilter(DataModule6->proc_tech, byItem, typed.empty() ? byItem : byItem + u" and " + byMark);
    return;
  }
  ApplyListFilter(DataModule6->proc_tech, typed, byMark);
}

void TForm4::Edit1KeyDown(TObject*, Word& Key, TShiftState) { FilterBoxKeyDown(DataModule6->proc_tech, Key); }

void TForm4::DBGrid1TitleClick(TColumn* Column) {
  ToggleSort(DataModule6->proc_tech, Column->GetFieldName(),
             {{u"id", u"id ASC", u"id DESC, s_ii ASC"},
              {u"s_ii", u"s_ii ASC", u"s_ii DESC, id ASC"},
              {u"s_caption", u"s_caption  ASC", u"s_caption DESC, s_ii, id ASC"},
              {u"full_price", u"full_price, s_ii, id ASC", u"full_price DESC, s_ii, id ASC"}});
}

void TForm4::Button1Click(TObject*) {
  TForm33* editor = Form33;
  editor->SetTag(1);
  editor->full_price->Close();
  editor->full_price->GetParameters()->ParamByName(u"id_pt")->SetValue(0);
  editor->full_price->Open();
  TADOQuery* operations = DataModule6->operation;
  operations->Close();
  operations->GetParameters()->ParamByName(u"id_proc_tech")->SetValue(0);
  operations->Open();
  // Operations can be added once the process is saved.
  editor->EnableOperations(false);
  editor->SourceItemId = 0;
  if (GetTag() == 2) {
    editor->ProductId = ItemId;
    editor->Edit2->SetText(ItemCaption);
    editor->SavedProductCaption = editor->SavedName = editor->SavedSourceItemCaption = ItemCaption;
    editor->SetTag(11);
  } else {
    editor->ProductId = 0;
    editor->Edit2->SetText(u"");
    editor->SavedProductCaption = editor->SavedName = editor->SavedSourceItemCaption = String();
  }
  editor->ProcTechId = 0;
  editor->GroupBox1->SetCaption(u"Техпроцесс № ");
  for (TEdit* box : {editor->Edit1, editor->Edit3, editor->Edit4}) box->SetText(u"");
  editor->ShowModal();
  operations->Close();
  editor->full_price->Close();
}

void TForm4::Button2Click(TObject*) {
  TADOQuery* list = DataModule6->proc_tech;
  if (list->IsEmpty()) return;
  const Integer recNo = list->GetRecNo();
  const String sort = list->GetSort();
  TForm33* editor = Form33;
  editor->ProcTechId = IntField(list, u"id");
  editor->ProductId = IntField(list, u"id_inventory_items");
  editor->SourceItemId = IntField(list, u"id_gds");
  editor->full_price->Close();
  editor->full_price->GetParameters()->ParamByName(u"id_pt")->SetValue(editor->ProcTechId);
  editor->full_price->Open();
  editor->SetTag(0);
  editor->GroupBox1->SetCaption(u"Техпроцесс № " + IntToStr(editor->ProcTechId));
  TADOQuery* operations = DataModule6->operation;
  operations->Close();
  operations->GetParameters()->ParamByName(u"id_proc_tech")->SetValue(editor->ProcTechId);
  operations->Open();
  editor->SavedProductCaption = TrimmedField(list, u"s_ii");
  editor->SavedName = TrimmedField(list, u"s_caption");
  editor->SavedSourceItemCaption = TrimmedField(list, u"s_gds");
  editor->Edit2->SetText(editor->SavedProductCaption);
  editor->Edit3->SetText(editor->SavedName);
  editor->Edit4->SetText(editor->SavedSourceItemCaption);
  editor->Edit1->SetText(u"");
  editor->EnableOperations(true);
  editor->ShowModal();
  operations->Close();
  editor->full_price->Close();
  Reopen(list);
  // The order the user chose stays, so the record number is the process just edited.
  list->SetSort(sort);
  RestoreRecNo(list, recNo);
}

void TForm4::Button3Click(TObject*) {
  // The database deletes the process's operations with it.
  DeleteListRow(DataModule6->proc_tech, u"Удалить строку (будет удалена вся спецификация ТП)?",
                DataModule6->cmd_all, u"delete from mnf_proc_tech.proc_tech where id=:id");
}

void TForm4::Button5Click(TObject*) {
  XLS_Rep->Open();
  auto closeReport = MakeScopeExit([this] { XLS_Rep->Close(); });
  if (OpenExcel(u"") == -1) {
    Screen->SetCursor(crDefault);
    return;
  }
  const Char* const headings[] = {u"Марка", u"Операция", u"Цена", u"Вид"};
  for (int c = 0; c < 4; ++c) WriteExcelCell(1, c + 1, 1, headings[c]);
  int row = 2;
  for (XLS_Rep->First(); !XLS_Rep->GetEof(); XLS_Rep->Next(), ++row) {
    WriteExcelCell(1, 1, row, XLS_Rep->FieldByName(u"MARKA")->GetAsString());
    WriteExcelCell(1, 2, row, XLS_Rep->FieldByName(u"VID")->GetAsString());
    WriteExcelCell(1, 3, row, FloatToStr(XLS_Rep->FieldByName(u"cena")->GetAsFloat()));
    WriteExcelCell(1, 4, row, IntField(XLS_Rep, u"naimen") == 0 ? u"Готовая продукция" : u"Заготовки");
  }
  ShowExcel(true);
}

void TForm4::DBGrid1DblClick(TObject*) {
  if (GetTag() != 0 || !CheckBox1->GetChecked()) {
    Button2Click(this);
    return;
  }
  // The norms dialog belongs to the production screens, which come after this library.
  auto* dialog = dynamic_cast<TForm*>(Application->FindComponent(u"Form22"));
  auto* norms = dialog ? dynamic_cast<TDataSet*>(dialog->FindComponent(u"norm")) : nullptr;
  if (!norms) throw EComponentError(u"Component 'norm' not found");
  norms->Close();
  norms->SetFilter(u"o_id=" + IntToStr(IntField(DataModule6->operation, u"id")));
  norms->SetFiltered(true);
  norms->Open();
  dialog->ShowModal();
}
