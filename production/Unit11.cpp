// The shift record dialog.
#include "production/Unit11.h"

#include <cfenv>
#include <cmath>

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit45.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/data/Fields.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"
#include "production/Unit24.h"
#include "production/Unit48.h"

TForm11* Form11 = nullptr;

double RoundHalfEven(double value, int digits) {
  const double scale = std::pow(10.0, digits);
  const int mode = std::fegetround();
  std::fesetround(FE_TONEAREST);
  // The scaled value is rounded first to a few more digits, so that 1.60472 stays 1.60472 and not
  // 1.6047199999.
  const double scaled = std::nearbyint(std::round(value * scale * 1e6) / 1e6);
  std::fesetround(mode);
  return scaled / scale;
}

double TypedNumber(const String& text) {
  String t = Trim(text);
  for (Char& c : t)
    if (c == u',') c = u'.';
  TFormatSettings point = TFormatSettings::Russian();
  point.DecimalSeparator = u'.';
  return StrToFloat(t, point);
}

namespace {

String NumberText(double value) { return FloatToStr(value); }

// The personnel list as a picker for the dialog (Tag 11); the pick goes to handler. Answers whether
// the list reported a pick.
bool PickPerson(const TPickHandler& handler, bool hideAdd) {
  TForm5* list = Form5;
  list->SetTag(11);
  list->Pickers[11] = handler;
  DataModule6->workers->Open();
  list->Button2->SetCaption(u"Выбрать");
  list->Button2->SetDefault(true);
  list->Button2->SetVisible(true);
  list->Button1->SetVisible(!hideAdd);
  list->Button3->SetVisible(false);
  list->Edit1->SetVisible(true);
  list->Edit1->SetText(u"");
  list->ShowModal();
  list->Button1->SetVisible(true);
  list->Button3->SetVisible(true);
  list->Button2->SetCaption(u"Изменить");
  list->Button2->SetDefault(false);
  const bool picked = list->WorkerPicked == 1;
  if (picked) DataModule6->workers->Close();
  return picked;
}

}  // namespace

TForm11::TForm11(TComponent* owner) : TForm(owner) {}

void TForm11::Published(TPropBuilder<TForm11>& p) {
  p.Method(u"FormCreate", &TForm11::FormCreate);
  p.Method(u"FormActivate", &TForm11::FormActivate);
  p.Method(u"FormClose", &TForm11::FormClose);
  p.Method(u"LCB_id_docCloseUp", &TForm11::LCB_id_docCloseUp);
  p.Method(u"LCB_id_doc_itemCloseUp", &TForm11::LCB_id_doc_itemCloseUp);
  p.Method(u"Button3Click", &TForm11::Button3Click);
  p.Method(u"Edit3Exit", &TForm11::Edit3Exit);
  p.Method(u"Edit6Exit", &TForm11::Edit6Exit);
  p.Method(u"Edit4Exit", &TForm11::Edit4Exit);
  p.Method(u"Edit3KeyPress", &TForm11::Edit3KeyPress);
  p.Method(u"DigitsKeyPress", &TForm11::DigitsKeyPress);
  p.Method(u"FormMouseWheelDown", &TForm11::FormMouseWheelDown);
  p.Method(u"FormMouseWheelUp", &TForm11::FormMouseWheelUp);
  p.Method(u"Button5Click", &TForm11::Button5Click);
  p.Method(u"Button1Click", &TForm11::Button1Click);
  p.Method(u"Button7Click", &TForm11::Button7Click);
  p.Method(u"Button8Click", &TForm11::Button8Click);
  p.Method(u"Button9Click", &TForm11::Button9Click);
  p.Method(u"Button2Click", &TForm11::Button2Click);
}

void TForm11::FormCreate(TObject*) {
  BindComponent(this, u"GroupBox1", GroupBox1);
  BindComponent(this, u"LCB_id_doc", LCB_id_doc);
  BindComponent(this, u"LCB_id_doc_item", LCB_id_doc_item);
  BindComponent(this, u"Edit1", Edit1);
  BindComponent(this, u"Button3", Button3);
  BindComponent(this, u"DBText1", DBText1);
  BindComponent(this, u"Edit3", Edit3);
  BindComponent(this, u"Edit6", Edit6);
  BindComponent(this, u"DTimeP", DTimeP);
  BindComponent(this, u"Edit4", Edit4);
  BindComponent(this, u"Edit7", Edit7);
  BindComponent(this, u"Edit8", Edit8);
  BindComponent(this, u"Edit5", Edit5);
  BindComponent(this, u"Button5", Button5);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"DBGrid2", DBGrid2);
  BindComponent(this, u"Label10", Label10);
  BindComponent(this, u"Label13", Label13);
  BindComponent(this, u"Button7", Button7);
  BindComponent(this, u"Button8", Button8);
  BindComponent(this, u"Button9", Button9);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"app_spec", app_spec);
  BindComponent(this, u"app_doc_by_gds", app_doc_by_gds);
  BindComponent(this, u"tp_operation", tp_operation);
  BindComponent(this, u"v_mnf_requisition", v_mnf_requisition);
  BindComponent(this, u"v_mnf_requisition_item", v_mnf_requisition_item);
  BindComponent(this, u"fio_smena_gds", fio_smena_gds);
  BindComponent(this, u"smena_gds_use", smena_gds_use);
  BindComponent(this, u"SmenaIU", SmenaIU);
  BindComponent(this, u"ins_person", ins_person);
  BindComponent(this, u"save_all", save_all);
  BindComponent(this, u"DataSource1", DataSource1);
  BindComponent(this, u"DataSource2", DataSource2);
  BindComponent(this, u"DataSource3", DataSource3);
  BindComponent(this, u"DataSource4", DataSource4);
  BindComponent(this, u"DataSource5", DataSource5);
  if (DataModule6) {
    for (TADOQuery* q : {app_spec, app_doc_by_gds, tp_operation, v_mnf_requisition, v_mnf_requisition_item,
                         fio_smena_gds, smena_gds_use})
      q->SetConnection(DataModule6->ADO_DB);
    for (TADOCommand* c : {SmenaIU, ins_person, save_all}) c->SetConnection(DataModule6->ADO_DB);
  }
  AccountingFormSetUp(this, 11);

  TJournalScreens& journal = JournalScreens();
  journal.AddRecord = [](TDateTime day) { Form11->ShowForAdding(day); };
  journal.EditRecord = [] { Form11->ShowForEditing(Form45->ShiftQuery); };
  journal.ViewRecord = [] { Form11->ShowForViewing(Form45->ShiftQuery); };
}

void TForm11::ShowForAdding(TDateTime day) {
  DTimeP->SetDateTime(day);
  for (TEdit* e : {Edit1, Edit3, Edit5, Edit7, Edit8}) e->SetText(u"");
  Edit4->SetText(u"0");
  Edit6->SetText(u"0");
  SetCaption(u"Заведение новой позиции (11)");
  SetTag(1);
  if (!app_spec->GetActive()) app_spec->Open();
  OpenWith(app_doc_by_gds, {{u"id_ii", 0}});
  SetLookupKey(LCB_id_doc, 0);
  SetLookupKey(LCB_id_doc_item, 0);
  DBGrid2->SetEnabled(false);
  Label10->SetCaption(u"");
  for (TButton* b : {Button5, Button7, Button8, Button9}) b->SetEnabled(false);
  LCB_id_doc->SetEnabled(true);
  LCB_id_doc_item->SetEnabled(true);
  Edit3->SetEnabled(true);
  ShiftRecordId = 0;
  RG1Click(nullptr);
  ShowModal();
}

void TForm11::RG1Click(TObject*) {
  Reopen(app_spec);
  Reopen(app_doc_by_gds);
  Label13->SetCaption(u"Продукция");
  DataSource3->SetDataSet(app_spec);
  DataSource4->SetDataSet(app_doc_by_gds);
  LCB_id_doc->SetListSource(DataSource3);
  LCB_id_doc_item->SetListSource(DataSource4);
}

void TForm11::TakeRow(TDataSet* row) {
  Price = CurrentFloat(row, u"cena");
  ShiftRecordId = IntField(row, u"id");
  Edit8->SetText(NumberText(RoundHalfEven(Price, 4)));
  DTimeP->SetDateTime(row->FieldByName(u"data")->GetAsDateTime());
  Edit1->SetText(TrimmedField(row, u"fio"));
  Edit3->SetText(TrimmedField(row, u"kol_vo"));
  Edit4->SetText(TrimmedField(row, u"brak"));
  WorkerId = IntField(row, u"w_id");
  ItemId = IntField(row, u"i_id");
  OperationId = IntField(row, u"o_id");
  Edit6->SetText(IntToStr(IntField(row, u"time")));
  RecordWorkerId = WorkerId;
  RecordShift = IntField(row, u"smena");
  RecordDay = DateOf(row->FieldByName(u"data")->GetAsDateTime());
  Edit5->SetText(NumberText(RoundHalfEven(CurrentFloat(row, u"kol_vo") * Price, 4)));
  Label10->SetCaption(IntToStr(ShiftRecordId));
}

void TForm11::ShowRecordCaptions(int recordId) {
  // The record's own line, whatever its stage: a finished line still names the record's product.
  OpenWith(v_mnf_requisition, {{u"s_id", recordId}});
  OpenWith(v_mnf_requisition_item, {{u"s_id", recordId}});
  LCB_id_doc->SetListSource(DataSource1);
  LCB_id_doc_item->SetListSource(DataSource5);
  SetLookupKey(LCB_id_doc, CurrentInt(v_mnf_requisition, u"id_ii"));
  SetLookupKey(LCB_id_doc_item, CurrentInt(v_mnf_requisition_item, u"id_app_spec"));
}

void TForm11::ShowForEditing(TDataSet* row) {
  if (!row->GetActive() || row->IsEmpty() || TrimmedField(row, u"ok") == u"ok") return;
  SetCaption(u"Изменение данных о позиции (11)");
  SetTag(2);
  TakeRow(row);
  ShowRecordCaptions(ShiftRecordId);
  Remaining = CurrentFloat(v_mnf_requisition, u"f_qty_need");
  DBText1->SetDataSource(Form45->DBGrid2->GetDataSource());
  for (TControl* c :
       std::initializer_list<TControl*>{Button3, Button1, Button5, GroupBox1, Edit1, Edit4, Edit6})
    c->SetEnabled(true);
  for (TControl* c :
       std::initializer_list<TControl*>{Button7, Button8, Button9, Edit3, LCB_id_doc, LCB_id_doc_item})
    c->SetEnabled(false);
  fio_smena_gds->Close();
  auto restore = MakeScopeExit([&] {
    LCB_id_doc->SetListSource(DataSource3);
    LCB_id_doc_item->SetListSource(DataSource4);
    Button3->SetEnabled(true);
    Edit1->SetEnabled(true);
    Edit3->SetEnabled(true);
    DBText1->SetDataSource(DataSource2);
  });
  ShowModal();
}

void TForm11::ShowForViewing(TDataSet* row) {
  GroupBox1->SetEnabled(false);
  Button1->SetEnabled(false);
  Button5->SetEnabled(false);
  auto restore = MakeScopeExit([&] {
    GroupBox1->SetEnabled(true);
    Button1->SetEnabled(true);
    Button5->SetEnabled(true);
    LCB_id_doc->SetListSource(DataSource3);
    LCB_id_doc_item->SetListSource(DataSource4);
    DBText1->SetDataSource(DataSource2);
  });
  if (!row->GetActive() || row->IsEmpty()) return;
  SetCaption(u"Просмотр данных о позиции");
  SetTag(3);
  TakeRow(row);
  ShowRecordCaptions(ShiftRecordId);
  DBText1->SetDataSource(Form45->DBGrid2->GetDataSource());
  Button9->SetEnabled(false);
  ShowModal();
}

void TForm11::FormActivate(TObject*) {
  // Once per showing: coming back from the personnel list activates the dialog again, and must not
  // forget the worker just picked.
  if (activated_) return;
  activated_ = true;
  if (GetTag() != 2) {
    PersonId = 0;
    ItemId = 0;
    WorkerId = 0;
    SavedWorkerId = 0;
  }
}

void TForm11::FormClose(TObject*, TCloseAction&) {
  activated_ = false;
  GroupBox1->SetEnabled(true);
  Button1->SetEnabled(true);
  fio_smena_gds->Close();
  tp_operation->Close();
  fio_smena_gds->GetParameters()->ParamByName(u"s_id")->SetValue(-1);
}

void TForm11::LCB_id_docCloseUp(TObject*) {
  if (GetTag() == 2) return;
  const int product = LookupKey(LCB_id_doc);
  ItemId = product;
  tp_operation->Close();
  OpenWith(app_doc_by_gds, {{u"id_ii", product}});
}

void TForm11::LCB_id_doc_itemCloseUp(TObject*) {
  if (GetTag() == 2) return;
  if (!LCB_id_doc_item->GetText().empty() &&
      app_doc_by_gds->Locate(u"id_app_spec", LCB_id_doc_item->GetKeyValue(), {})) {
    Edit1->SetEnabled(true);
    Button3->SetEnabled(true);
    ItemId = IntField(app_doc_by_gds, u"id_ii");
    const double need = CurrentFloat(app_doc_by_gds, u"cnt_done");
    Edit3->SetText(NumberText(need));
    Remaining = need;
    DocId = IntField(app_doc_by_gds, u"id_app_doc");
    SpecId = IntField(app_doc_by_gds, u"id_app_spec");
    OpenWith(tp_operation, {{u"app_spec_id", SpecId}});
    OperationId = CurrentInt(tp_operation, u"operation_id");
  }
  Edit1->SetText(u"");
  PersonId = 0;
  WorkerId = 0;
}

void TForm11::Button3Click(TObject*) {
  PickPerson(
      [](Integer id, const String& caption) {
        TForm11* dialog = Form11;
        if (dialog->SavedWorkerId == 0) dialog->Edit1->SetText(caption);
        if (id == dialog->SavedWorkerId) return;
        dialog->WorkerId = id;
        dialog->PersonId = id;
        Form5->WorkerPicked = 1;
      },
      true);
}

void TForm11::Edit3Exit(TObject*) {
  if (Trim(Edit6->GetText()).empty()) Edit6->SetText(u"0");
  StrToInt(Trim(Edit6->GetText()));
  if (Trim(Edit3->GetText()).empty()) Edit3->SetText(u"0");
  BasePrice = CurrentFloat(tp_operation, u"price");
  Price = BasePrice;
  Edit8->SetText(NumberText(Price));
  Edit7->SetText(NumberText(BasePrice));
  Edit5->SetText(NumberText(RoundHalfEven(TypedNumber(Edit3->GetText()) * Price, 4)));
}

void TForm11::Edit6Exit(TObject*) {
  if (Trim(Edit6->GetText()).empty()) Edit6->SetText(u"0");
  StrToInt(Trim(Edit6->GetText()));
}

void TForm11::Edit4Exit(TObject*) {
  if (Trim(Edit4->GetText()).empty()) Edit4->SetText(u"0");
}

void TForm11::Edit3KeyPress(TObject*, Char& Key) {
  if (!(Key >= u'0' && Key <= u'9') && Key != 8 && Key != u',' && Key != u'.') Key = 0;
}

void TForm11::DigitsKeyPress(TObject*, Char& Key) {
  if (!(Key >= u'0' && Key <= u'9') && Key != 8) Key = 0;
}

void TForm11::FormMouseWheelDown(TObject*, TShiftState, TPoint, bool&) {
  StepFocusedLookup({LCB_id_doc, LCB_id_doc_item}, VK_DOWN);
}

void TForm11::FormMouseWheelUp(TObject*, TShiftState, TPoint, bool&) {
  StepFocusedLookup({LCB_id_doc, LCB_id_doc_item}, VK_UP);
}

void TForm11::Button5Click(TObject*) {
  if (ShiftRecordId == 0) return;
  Form24->ShowFor(ShiftRecordId, ItemId, Edit3->GetText());
  Reopen(fio_smena_gds);
  if (Trim(Edit3->GetText()).empty()) Edit3->SetText(u"0");
}

void TForm11::Button1Click(TObject*) {
  const double quantity = TypedNumber(Edit3->GetText());
  Edit3Exit(nullptr);
  if (RequiredMissing({Trim(Edit1->GetText()), Trim(Edit3->GetText()), Trim(Edit4->GetText()),
                       Trim(Edit6->GetText()), LCB_id_doc_item->GetText(), LCB_id_doc->GetText()}))
    return;
  if (GetTag() == 1 && ShiftRecordId == 0)
    SaveNew(quantity);
  else
    SaveExisting();
}

void TForm11::SaveNew(double quantity) {
  // A line whose route has no step left to do has nothing a record could count.
  if (!tp_operation->GetActive() || tp_operation->IsEmpty() || WorkerId == 0) {
    ErrorBox(u"Все поля должны быть заполнены!");
    return;
  }
  bool excess = false;
  TExcessIssue issue;
  if (quantity > Remaining) {
    if (app_doc_by_gds->GetRecordCount() >= 2) {
      ErrorBox(
          u"Указано кол-во изделий больше требуемого и есть невыполненные заявки. Необходимо выполнить все "
          u"заявки.");
      return;
    }
    if (Application->MessageBox(u"Указано больше требуемого кол-во изделий, списать МТР со склада?",
                                u"Внимание", MB_YESNO | MB_ICONQUESTION) != IDYES)
      return;
    if (!PrepareExcessIssue(SpecId, quantity - Remaining, issue)) return;
    if (!ChooseExcessWarehouses || !ChooseExcessWarehouses(issue)) return;
    excess = true;
  }
  const int tp = IntField(tp_operation, u"tp_id");
  const int operation = IntField(tp_operation, u"operation_id");
  const bool firstStep = IntField(tp_operation, u"orderby") == 1;
  const bool painting = AnsiUpperCase(TrimmedField(tp_operation, u"vid_oper")) == u"ПОКРАСКА";
  const int shift = Form45->CurrentShift;
  const TDateTime day = DateOf(DTimeP->GetDateTime());
  const int worker = WorkerId;
  TADOConnection* db = DataModule6->ADO_DB;
  int newId = 0;
  int blank = 0;
  int excessSpec = 0;
  // The counters, the write-offs, the record and its hours go together or not at all.
  InTransaction(db, [&] {
    auto count = [&](int spec, double qty) {
      const TBoundValues v = {{u"q", DecimalOf(qty)}, {u"spec", spec}, {u"tp", tp}, {u"op", operation}};
      RunStatement(DataModule6->cmd_all, u"UPDATE mnf_app.app_spec SET done=done+:q WHERE id=:spec", v);
      RunStatement(
          DataModule6->cmd_all,
          u"UPDATE mnf_proc_tech.tp_operation SET done=done+:q WHERE app_spec_id=:spec and tp_id=:tp and "
          u"operation_id=:op",
          v);
    };
    if (excess) {
      excessSpec = WriteExcessIssue(issue);
      count(excessSpec, issue.Surplus);
      count(SpecId, Remaining);
    } else {
      count(SpecId, quantity);
    }
    const Variant left =
        QueryValue(db, u"SELECT sum(as1.cnt-as1.done) as cnt_done FROM mnf_app.app_spec as1 where id = :id",
                   {{u"id", SpecId}});
    if (!left.IsNull() && left.AsDouble() <= 0) {
      const bool stepsLeft =
          QueryValue(db,
                     u"select count(*) from mnf_proc_tech.tp_operation where app_spec_id=:id and cnt>done",
                     {{u"id", SpecId}})
              .AsInteger() > 0;
      const String sql = stepsLeft ? u"UPDATE mnf_app.app_spec SET done=0 WHERE id=:id"
                                   : u"UPDATE mnf_app.app_spec SET state=3 WHERE id=:id";
      RunStatement(DataModule6->cmd_all, sql, {{u"id", SpecId}});
      if (excess) RunStatement(DataModule6->cmd_all, sql, {{u"id", excessSpec}});
    }
    const Variant qty = DecimalValue(Trim(Edit3->GetText()));
    OpenWith(smena_gds_use, {{u"kolvo1", qty}, {u"kolvo2", qty}, {u"o_id", operation}});
    blank = CurrentInt(smena_gds_use, u"id_gds");
    const Variant mass =
        smena_gds_use->IsEmpty() ? Variant(0) : smena_gds_use->FieldByName(u"massa")->GetValue();
    const Variant paintUse =
        smena_gds_use->IsEmpty() ? Variant(0) : smena_gds_use->FieldByName(u"ral_cons")->GetValue();
    smena_gds_use->Close();
    auto warehouse = [&](int item) {
      const Variant v = QueryValue(
          db,
          u"select id_stock from stk_stocks.spec_out so where id_gds =:id_gds and id_app_spec=:id_app_spec",
          {{u"id_gds", item}, {u"id_app_spec", SpecId}});
      return v.IsNull() ? 0 : v.AsInteger();
    };
    const String writeOff =
        u"UPDATE stk_stocks.stock SET reserve=reserve-:q, count=count-:q WHERE id_ii=:item AND "
        u"id_stock=:stock";
    if (firstStep)
      RunStatement(DataModule6->cmd_all, writeOff,
                   {{u"q", mass}, {u"item", blank}, {u"stock", warehouse(blank)}});
    if (painting) {
      const Variant ral =
          QueryValue(db, u"select id_ral from mnf_app.app_spec where id=:id", {{u"id", SpecId}});
      const int paint = ral.IsNull() ? 0 : ral.AsInteger();
      RunStatement(DataModule6->cmd_all, writeOff,
                   {{u"q", paintUse}, {u"item", paint}, {u"stock", warehouse(paint)}});
    }
    newId = InsertReturningId(
        db,
        u"insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time, "
        u"vvod,ok, "
        u"prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use) values(:w, :i, :o, :cena, "
        u":kol_vo, "
        u":brak, :data, :smena, 0, :time, now(), 'no', 0, :doc, :spec, 0, :blank, 0) returning id",
        {{u"w", worker},
         {u"i", ItemId},
         {u"o", operation},
         {u"cena", DecimalOf(RoundHalfEven(Price, 4))},
         {u"kol_vo", qty},
         {u"brak", StrToInt(Trim(Edit4->GetText()))},
         {u"data", Variant::FromDate(day)},
         {u"smena", shift},
         {u"time", StrToInt(Trim(Edit6->GetText()))},
         {u"doc", DocId},
         {u"spec", SpecId},
         {u"blank", blank}});
    RewriteShiftHours(worker, shift, day);
  });
  BlankId = blank;
  if (excess) {
    ExcessSpecId = excessSpec;
    ExcessQty = issue.Surplus;
  }
  SavedWorkerId = worker;
  ShiftRecordId = newId;
  Form45->SelectShiftQuery();
  TADOQuery* journal = Form45->ShiftQuery;
  const String sort = journal->GetSort();
  Reopen(journal);
  journal->SetSort(sort);
  journal->Locate(u"id", Variant(newId), TLocateOptions{loCaseInsensitive});
  Label10->SetCaption(IntToStr(newId));
  Button5->SetEnabled(true);
  for (TADOQuery* q : {DataModule6->H_Tabel_1, DataModule6->H_Tabel_2, DataModule6->H_Tabel_3}) q->Close();
  EnterBrigadePhase();
}

void TForm11::EnterBrigadePhase() {
  OpenWith(fio_smena_gds, {{u"s_id", ShiftRecordId}});
  Button9->SetEnabled(true);
  GroupBox1->SetEnabled(false);
  Button1->SetEnabled(false);
  DBGrid2->SetEnabled(true);
  Button7->SetEnabled(true);
  Button8->SetEnabled(true);
}

void TForm11::SaveExisting() {
  const int hours = StrToInt(Trim(Edit6->GetText()));
  const int defects = StrToInt(Trim(Edit4->GetText()));
  const TDateTime day = DateOf(DTimeP->GetDateTime());
  // The record shown, as it was read; never the list's current row, which may have moved since.
  InTransaction(DataModule6->ADO_DB, [&] {
    RunStatement(SmenaIU,
                 u"update accounts_dep.SMENA set w_id=:w, time=:t, brak=:b, data=:d, vvod=now() where id=:id",
                 {{u"w", WorkerId},
                  {u"t", hours},
                  {u"b", defects},
                  {u"d", Variant::FromDate(day)},
                  {u"id", ShiftRecordId}});
    // The former worker's or day's cell loses the record's hours, the new one gets them.
    RewriteShiftHours(RecordWorkerId, RecordShift, RecordDay);
    if (WorkerId != RecordWorkerId || day != RecordDay) RewriteShiftHours(WorkerId, RecordShift, day);
  });
  RecordWorkerId = WorkerId;
  RecordDay = day;
  Form45->ReopenShiftList(true);
  for (TADOQuery* q : {DataModule6->H_Tabel_1, DataModule6->H_Tabel_2, DataModule6->H_Tabel_3}) q->Close();
  if (GetTag() == 2) Close();
}

void TForm11::Button7Click(TObject*) {
  // The record's own worker is not a member of its brigade.
  const bool picked = PickPerson(
      [](Integer id, const String&) {
        if (id == Form11->SavedWorkerId) return;
        Form11->PersonId = id;
        Form5->WorkerPicked = 1;
      },
      false);
  DataModule6->workers->Close();
  if (!picked) return;
  try {
    RunStatement(ins_person, u"insert into accounts_dep.person_temp(id_smena, id_person) values(:s_id,:p_id)",
                 {{u"s_id", ShiftRecordId}, {u"p_id", PersonId}});
    Reopen(fio_smena_gds);
  } catch (const Exception&) {
    ErrorBox(u"Невозможно сохранить данные в БД!");
  }
}

void TForm11::Button8Click(TObject*) {
  if (!fio_smena_gds->GetActive() || fio_smena_gds->IsEmpty()) return;
  RunStatement(SmenaIU, u"delete from accounts_dep.person_temp where id=:id",
               {{u"id", IntField(fio_smena_gds, u"id")}});
  const Integer recNo = fio_smena_gds->GetRecNo();
  Reopen(fio_smena_gds);
  if (recNo >= 1) RestoreRecNo(fio_smena_gds, recNo);
}

void TForm11::Button9Click(TObject*) {
  try {
    RunStatement(save_all, u"select accounts_dep.divide_between_person(:s_id)", {{u"s_id", ShiftRecordId}});
  } catch (const Exception& e) {
    // The server's reason (a record accepted meanwhile, a lost link) follows the dialog's own words.
    ErrorBox(u"Невозможно сохранить данные в БД!\n" + e.Message());
  }
  Close();
}

void TForm11::Button2Click(TObject*) {
  RunStatement(DataModule6->DelSmena, u"delete from accounts_dep.person_temp where id_smena = :id",
               {{u"id", ShiftRecordId}});
  smena_gds_use->Close();
}
