// The main window: the menu that opens every screen, the build-stamp check every 30 seconds and the
// database clean-up.
#include "app/Unit1.h"

#include <memory>

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit23.h"
#include "app/Unit45.h"
#include "app/Unit6.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"

TForm1* Form1 = nullptr;

namespace {

// After the production requests: the other production, stock and purchase data, and the cost prices.
const Char* const kCleanUpScript =
    u"truncate table mnf_proc_tech.tp_operation;truncate table accounts_dep.smena;"
    u"truncate table accounts_dep.h_tabel;truncate table accounts_dep.person_temp;"
    u"SELECT truncate_tables('stk_stocks');SELECT truncate_tables('stk_purchase');"
    u"update cmn_inventory_items.inventory_items set cost_price =0;";

const bool kUnit1ClassesRegistered = [] {
  RegisterClasses({TMainMenu::StaticClass(), TMenuItem::StaticClass()});
  return true;
}();

const char* gDateText = __DATE__;
const char* gTimeText = __TIME__;

int Digit(char c) { return c >= '0' && c <= '9' ? c - '0' : 0; }

// The accounting screens are the application's components, named after their resources' roots.
TForm* ScreenForm(const Char* name) {
  auto* form = dynamic_cast<TForm*>(Application->FindComponent(name));
  if (!form) throw EComponentError(String(u"Form '") + name + u"' not found");
  return form;
}

// Controls and queries of a screen whose own Part builds them: set when the screen has them.
void SetVisibleByName(TComponent* form, const Char* name, bool visible) {
  if (auto* control = dynamic_cast<TControl*>(form->FindComponent(name))) control->SetVisible(visible);
}

TDataSet* OwnDataSet(TComponent* form, const Char* name) {
  return dynamic_cast<TDataSet*>(form->FindComponent(name));
}

void OpenOwn(TComponent* form, const Char* name) {
  if (TDataSet* d = OwnDataSet(form, name)) d->Open();
}

void CloseOwn(TComponent* form, const Char* name) {
  if (TDataSet* d = OwnDataSet(form, name)) d->Close();
}

void ShowListButtons(TComponent* form) {
  SetVisibleByName(form, u"Button1", true);
  SetVisibleByName(form, u"Button3", true);
}

int StampFieldOf(TDataSet* ver, const Char* name) {
  if (ver->IsEmpty()) return 0;
  TField* f = ver->FieldByName(name);
  return f->GetIsNull() ? 0 : f->GetAsInteger();
}

}  // namespace

int BuildDateFromText(const char* d) {
  int month = 12;
  switch (d[2]) {
    case '?':
      month = 1;
      break;
    case 'n':
      month = d[1] == 'a' ? 1 : 6;
      break;
    case 'b':
      month = 2;
      break;
    case 'r':
      month = d[0] == 'M' ? 3 : 4;
      break;
    case 'y':
      month = 5;
      break;
    case 'l':
      month = 7;
      break;
    case 'g':
      month = 8;
      break;
    case 'p':
      month = 9;
      break;
    case 't':
      month = 10;
      break;
    case 'v':
      month = 11;
      break;
  }
  const int day = d[4] == '?' ? 1 : Digit(d[4]) * 10 + Digit(d[5]);
  const int year =
      d[7] == '?' ? 1900 : Digit(d[7]) * 1000 + Digit(d[8]) * 100 + Digit(d[9]) * 10 + Digit(d[10]);
  return year * 10000 + month * 100 + day;
}

int BuildTimeFromText(const char* t) {
  return Digit(t[0]) * 36000 + Digit(t[1]) * 3600 + Digit(t[3]) * 600 + Digit(t[4]) * 60 + Digit(t[6]) * 10 +
         Digit(t[7]);
}

void SetBuildStampTexts(const char* dateText, const char* timeText) {
  gDateText = dateText ? dateText : __DATE__;
  gTimeText = timeText ? timeText : __TIME__;
}

void BuildStampCheck() {
  Form1->BuildDate = BuildDateFromText(gDateText);
  Form1->BuildTime = BuildTimeFromText(gTimeText);
  const int date = Form1->BuildDate;
  const int time = Form1->BuildTime;
  TADOTable* ver = DataModule6->ver;
  ver->Open();
  ver->First();
  DataModule6->SetDecimalDelimiter(ver->IsEmpty() ? String() : ver->FieldByName(u"delim")->GetAsString());
  int d = StampFieldOf(ver, u"d");
  int t = StampFieldOf(ver, u"t");
  if (d < date || (d == date && t < time)) {
    ver->Close();
    // The logins may not write ver: the server function raises the stamp (or adds the first row),
    // never lowers it and leaves the delimiter alone.
    std::unique_ptr<TADOCommand> write(new TADOCommand(nullptr));
    write->SetConnection(DataModule6->ADO_DB);
    write->SetCommandText(u"select public.raise_build_stamp(:d, :t)");
    write->GetParameters()->ParamByName(u"d")->SetValue(date);
    write->GetParameters()->ParamByName(u"t")->SetValue(time);
    write->Execute();
    ver->Open();
    ver->First();
    d = StampFieldOf(ver, u"d");
    t = StampFieldOf(ver, u"t");
  }
  if (d > date || (d == date && t > time)) {
    // The timer ends the program 5.5 s on even when nobody presses OK.
    if (Form23) Form23->Timer1->SetEnabled(true);
    Application->MessageBox(u"Версия программы не соответсвует БД! Запустите программу через 5 мин.",
                            u"Ошибка", MB_ICONSTOP);
    Application->Terminate();
  }
  ver->Close();
}

TForm1::TForm1(TComponent* owner) : TForm(owner) {}

void TForm1::Published(TPropBuilder<TForm1>& p) {
  p.Method(u"FormCreate", &TForm1::FormCreate);
  p.Method(u"FormActivate", &TForm1::FormActivate);
  p.Method(u"Timer1Timer", &TForm1::Timer1Timer);
  p.Method(u"Button1Click", &TForm1::Button1Click);
  p.Method(u"N5Click", &TForm1::N5Click);
  p.Method(u"N19Click", &TForm1::N19Click);
  p.Method(u"N1Click", &TForm1::N1Click);
  p.Method(u"N8Click", &TForm1::N8Click);
  p.Method(u"N21Click", &TForm1::N21Click);
  p.Method(u"N24Click", &TForm1::N24Click);
  p.Method(u"N9Click", &TForm1::N9Click);
  p.Method(u"N3Click", &TForm1::N3Click);
  p.Method(u"N6Click", &TForm1::N6Click);
  p.Method(u"N4Click", &TForm1::N4Click);
  p.Method(u"N20Click", &TForm1::N20Click);
  p.Method(u"N30Click", &TForm1::N30Click);
  p.Method(u"N31Click", &TForm1::N31Click);
  p.Method(u"N15Click", &TForm1::N15Click);
  p.Method(u"N14Click", &TForm1::N14Click);
  p.Method(u"N33Click", &TForm1::N33Click);
  p.Method(u"N25Click", &TForm1::N25Click);
  p.Method(u"N26Click", &TForm1::N26Click);
  p.Method(u"N18Click", &TForm1::N18Click);
  p.Method(u"N17Click", &TForm1::N17Click);
  p.Method(u"N32Click", &TForm1::N32Click);
  p.Method(u"N34Click", &TForm1::N34Click);
  p.Method(u"N28Click", &TForm1::N28Click);
}

TMenuItem* TForm1::MenuItem(const String& name) const {
  auto* item = dynamic_cast<TMenuItem*>(FindComponent(name));
  if (!item) throw EComponentError(u"Menu item '" + name + u"' not found");
  return item;
}

void TForm1::FormCreate(TObject*) {
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Timer1", Timer1);
  BindComponent(this, u"MainMenu1", MainMenu1);
  Application->CreateForm(DataModule6);
  Application->CreateForm(Form23);
  AccountingFormSetUp(this, 1);
}

void TForm1::FormActivate(TObject*) {}

void TForm1::Timer1Timer(TObject*) { BuildStampCheck(); }

void TForm1::Button1Click(TObject*) { Close(); }

void TForm1::N5Click(TObject*) { Close(); }

void TForm1::N19Click(TObject*) {
  DataModule6->department->Open();
  ScreenForm(u"Form30")->ShowModal();
  DataModule6->department->Close();
}

void TForm1::N1Click(TObject*) {
  TForm* form = ScreenForm(u"Form5");
  form->SetTag(0);
  DataModule6->workers->Open();
  form->ShowModal();
  DataModule6->workers->Close();
}

void TForm1::N8Click(TObject*) {
  DataModule6->staffpos->Open();
  ScreenForm(u"Form26")->ShowModal();
  DataModule6->staffpos->Close();
}

void TForm1::N21Click(TObject*) {
  DataModule6->role->Open();
  ScreenForm(u"Form32")->ShowModal();
  DataModule6->role->Close();
}

void TForm1::N24Click(TObject*) {
  TForm* form = ScreenForm(u"Form34");
  form->SetTag(0);
  DataModule6->jur_person->Open();
  ShowListButtons(form);
  SetVisibleByName(form, u"CheckBox1", false);
  form->ShowModal();
  DataModule6->jur_person->Close();
  SetVisibleByName(form, u"CheckBox1", true);
}

void TForm1::N9Click(TObject*) {
  DataModule6->nomenclature->Open();
  ScreenForm(u"Form28")->ShowModal();
  DataModule6->nomenclature->Close();
}

void TForm1::N3Click(TObject*) {
  TForm* form = ScreenForm(u"Form3");
  form->SetTag(0);
  ShowListButtons(form);
  form->ShowModal();
  DataModule6->inventory_items->Close();
}

void TForm1::N6Click(TObject*) {
  TForm* form = ScreenForm(u"Form8");
  form->SetTag(0);
  DataModule6->operation_type->Open();
  ShowListButtons(form);
  form->ShowModal();
  DataModule6->operation_type->Close();
}

void TForm1::N4Click(TObject*) {
  TForm* form = ScreenForm(u"Form4");
  form->SetTag(0);
  DataModule6->proc_tech->Open();
  ShowListButtons(form);
  form->ShowModal();
  DataModule6->proc_tech->Close();
}

void TForm1::N20Click(TObject*) {
  TForm* form = ScreenForm(u"Form35");
  form->SetTag(0);
  DataModule6->role->Open();
  ShowListButtons(form);
  form->ShowModal();
  DataModule6->role->Close();
}

void TForm1::N30Click(TObject*) {
  TForm* form = ScreenForm(u"Form59");
  OpenOwn(form, u"gds_needed");
  form->ShowModal();
  CloseOwn(form, u"gds_needed");
}

void TForm1::N31Click(TObject*) {
  TForm* form = ScreenForm(u"Form60");
  OpenOwn(form, u"purchase_doc");
  form->ShowModal();
  CloseOwn(form, u"purchase_doc");
}

void TForm1::N15Click(TObject*) {
  TForm* form = ScreenForm(u"Form36");
  form->SetTag(0);
  DataModule6->stock->Open();
  DataModule6->stock->SetSort(u"ii_caption ASC");
  ShowListButtons(form);
  form->ShowModal();
  DataModule6->stock->Close();
}

void TForm1::N14Click(TObject*) {
  TForm* form = ScreenForm(u"Form50");
  OpenOwn(form, u"stock");
  form->ShowModal();
  CloseOwn(form, u"stock");
}

void TForm1::N33Click(TObject*) {
  // The movement screen's lookup and check box are set by that screen once it has them.
  TForm* form = ScreenForm(u"Form74");
  OpenOwn(form, u"stocks");
  OpenOwn(form, u"stock");
  form->ShowModal();
  CloseOwn(form, u"stocks");
  CloseOwn(form, u"stock");
}

void TForm1::N25Click(TObject*) {
  TForm* form = ScreenForm(u"Form46");
  OpenOwn(form, u"app_spec");
  form->ShowModal();
  CloseOwn(form, u"app_spec");
}

void TForm1::N26Click(TObject*) {
  TForm* form = ScreenForm(u"Form55");
  OpenOwn(form, u"app_spec");
  form->ShowModal();
  CloseOwn(form, u"app_spec");
}

void TForm1::N18Click(TObject*) { ScreenForm(u"Form45")->ShowModal(); }

void TForm1::N17Click(TObject*) {
  TForm* form = ScreenForm(u"Form41");
  form->SetTag(0);
  DataModule6->app_doc->Open();
  DataModule6->app_doc->SetSort(u"d_date DESC, s_person_caption ASC");
  ShowListButtons(form);
  form->ShowModal();
  DataModule6->app_doc->Close();
  DataModule6->stock->Close();
}

void TForm1::N32Click(TObject*) {
  TForm* form = ScreenForm(u"Form67");
  OpenOwn(form, u"stock_out");
  form->SetTag(32);
  form->ShowModal();
  CloseOwn(form, u"stock_out");
}

void TForm1::N34Click(TObject*) {
  TForm* form = ScreenForm(u"Form70");
  form->SetTag(0);
  if (TDataSet* spec = OwnDataSet(form, u"app_spec")) spec->SetFiltered(false);
  SetEnabledByName(form, u"Button1", false);
  OpenOwn(form, u"app_spec");
  form->ShowModal();
  SetEnabledByName(form, u"Button1", true);
  CloseOwn(form, u"app_spec");
}

void TForm1::N28Click(TObject*) {
  if (Application->MessageBox(u"Очистить базу?", u"Ошибка", MB_YESNO | MB_ICONSTOP) != IDYES) return;
  TADOQuery* control = DataModule6->Control;
  control->Close();
  control->GetSQL()->Clear();
  control->GetSQL()->Add(u"SELECT truncate_tables('mnf_app');");
  control->GetSQL()->Add(kCleanUpScript);
  // All of it or nothing: a refused statement leaves every table as it was.
  TADOConnection* db = DataModule6->ADO_DB;
  db->BeginTrans();
  try {
    control->ExecSQL();
    db->CommitTrans();
  } catch (...) {
    db->RollbackTrans();
    throw;
  }
  Application->Terminate();
}
