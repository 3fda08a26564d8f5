// The shift journal.
#include "app/Unit45.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/data/Fields.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Strings.h"

TForm45* Form45 = nullptr;

TJournalScreens& JournalScreens() {
  static TJournalScreens screens;
  return screens;
}

namespace {

bool Accepted(TDataSet* list) { return Trim(list->FieldByName(u"ok")->GetAsString()) == u"ok"; }

// The logins of the shift masters, whose double click accepts a record instead of showing it.
bool ShiftMaster(const String& login) {
  return login == u"vesnovskaya" || login == u"zubkova" || login == u"sevastova";
}

bool Weekend(TDateTime day) {
  const Word d = DayOfWeek(day);
  return d == 1 || d == 7;
}

class THourglass {
 public:
  THourglass() { Screen->SetCursor(crHourGlass); }
  ~THourglass() { Screen->SetCursor(crDefault); }
};

}  // namespace

TForm45::TForm45(TComponent* owner) : TForm(owner) {}

void TForm45::Published(TPropBuilder<TForm45>& p) {
  p.Method(u"FormCreate", &TForm45::FormCreate);
  p.Method(u"FormActivate", &TForm45::FormActivate);
  p.Method(u"DateTChange", &TForm45::DateTChange);
  p.Method(u"DateTKeyPress", &TForm45::DateTKeyPress);
  p.Method(u"RadioButton1Click", &TForm45::RadioButton1Click);
  p.Method(u"RadioButton2Click", &TForm45::RadioButton2Click);
  p.Method(u"RadioButton3Click", &TForm45::RadioButton3Click);
  p.Method(u"RadioButton4Click", &TForm45::RadioButton4Click);
  p.Method(u"CBox1Click", &TForm45::CBox1Click);
  p.Method(u"Button1Click", &TForm45::Button1Click);
  p.Method(u"Button2Click", &TForm45::Button2Click);
  p.Method(u"Button3Click", &TForm45::Button3Click);
  p.Method(u"Button5Click", &TForm45::Button5Click);
  p.Method(u"Button6Click", &TForm45::Button6Click);
  p.Method(u"Button7Click", &TForm45::Button7Click);
  p.Method(u"Button8Click", &TForm45::Button8Click);
  p.Method(u"Button9Click", &TForm45::Button9Click);
  p.Method(u"DBGrid2DblClick", &TForm45::DBGrid2DblClick);
  p.Method(u"DBGrid2TitleClick", &TForm45::DBGrid2TitleClick);
  p.Method(u"DBGrid2DrawColumnCell", &TForm45::DBGrid2DrawColumnCell);
  p.Method(u"N9Click", &TForm45::N9Click);
  p.Method(u"N10Click", &TForm45::N10Click);
  p.Method(u"N13Click", &TForm45::N13Click);
  p.Method(u"N14Click", &TForm45::N14Click);
  p.Method(u"N15Click", &TForm45::N15Click);
  p.Method(u"N17Click", &TForm45::N17Click);
}

void TForm45::FormCreate(TObject*) {
  BindComponent(this, u"RadioButton1", RadioButton1);
  BindComponent(this, u"RadioButton2", RadioButton2);
  BindComponent(this, u"RadioButton3", RadioButton3);
  BindComponent(this, u"RadioButton4", RadioButton4);
  BindComponent(this, u"DateT", DateT);
  BindComponent(this, u"CBox1", CBox1);
  BindComponent(this, u"DBGrid2", DBGrid2);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"Button3", Button3);
  BindComponent(this, u"Button4", Button4);
  BindComponent(this, u"Button5", Button5);
  BindComponent(this, u"Button6", Button6);
  BindComponent(this, u"Button7", Button7);
  BindComponent(this, u"Button8", Button8);
  BindComponent(this, u"Button9", Button9);
  BindComponent(this, u"DataSource1", DataSource1);
  BindComponent(this, u"DataSource2", DataSource2);
  BindComponent(this, u"DataSource3", DataSource3);
  BindComponent(this, u"DataSource4", DataSource4);
  BindComponent(this, u"smena_gds_use_cnt", smena_gds_use_cnt);
  BindComponent(this, u"smena_accept_row", smena_accept_row);
  BindComponent(this, u"MainMenu1", MainMenu1);
  // The lists are the data module's, made before the journal.
  if (DataModule6) {
    DataSource1->SetDataSet(DataModule6->Smena1);
    DataSource2->SetDataSet(DataModule6->Smena2);
    DataSource3->SetDataSet(DataModule6->Smena3);
    DataSource4->SetDataSet(DataModule6->Smena4);
    smena_gds_use_cnt->SetConnection(DataModule6->ADO_DB);
    smena_accept_row->SetConnection(DataModule6->ADO_DB);
  }
  RadioButton1->SetColor(clGreen);
  AccountingFormSetUp(this, 45);
}

TDateTime TForm45::Day() const { return DateOf(DateT->GetDateTime()); }

void TForm45::SelectShiftQuery() {
  switch (CurrentShift) {
    case 2:
      ShiftQuery = DataModule6->Smena2;
      break;
    case 3:
      ShiftQuery = DataModule6->Smena3;
      break;
    case 4:
      ShiftQuery = DataModule6->Smena4;
      break;
    default:
      ShiftQuery = DataModule6->Smena1;
  }
}

void TForm45::ReopenShiftList(bool keepRecNo) {
  SelectShiftQuery();
  const String sort = ShiftQuery->GetSort();
  const Integer recNo = ShiftQuery->GetActive() ? ShiftQuery->GetRecNo() : 0;
  Reopen(ShiftQuery);
  ShiftQuery->SetSort(sort);
  if (keepRecNo && recNo >= 1) RestoreRecNo(ShiftQuery, recNo);
}

void TForm45::FormActivate(TObject*) {
  DateT->SetDateTime(Date());
  if (Weekend(Day())) CBox1->SetChecked(true);
  for (TADOQuery* q : {DataModule6->Smena1, DataModule6->Smena2, DataModule6->Smena3, DataModule6->Smena4}) {
    q->Close();
    q->GetParameters()->ParamByName(u"data")->SetValue(Variant::FromDate(Day()));
  }
  DataModule6->Smena1->Open();
}

void TForm45::DateTChange(TObject*) {
  THourglass wait;
  TADOQuery* lists[] = {DataModule6->Smena1, DataModule6->Smena2, DataModule6->Smena3, DataModule6->Smena4};
  for (TADOQuery* q : lists) q->Close();
  for (TADOQuery* q : lists) {
    q->GetParameters()->ParamByName(u"data")->SetValue(Variant::FromDate(Day()));
    q->Open();
  }
  CBox1->SetChecked(Weekend(Day()));
  if (DBGrid2->CanFocus()) DBGrid2->SetFocus();
}

void TForm45::DateTKeyPress(TObject*, Char& Key) {
  if (Key == 13) DateTChange(nullptr);
}

void TForm45::ChooseShift(int shift) {
  TRadioButton* buttons[] = {RadioButton1, RadioButton2, RadioButton3, RadioButton4};
  TDataSource* sources[] = {DataSource1, DataSource2, DataSource3, DataSource4};
  if (!buttons[shift - 1]->GetChecked()) return;
  DBGrid2->SetDataSource(sources[shift - 1]);
  for (int i = 0; i < 4; ++i) {
    const bool chosen = i == shift - 1;
    buttons[i]->SetColor(chosen ? clGreen : clBtnFace);
    buttons[i]->GetFont()->SetStyle(chosen ? TFontStyles{fsBold} : TFontStyles{});
  }
  CurrentShift = shift;
  SelectShiftQuery();
}

void TForm45::RadioButton1Click(TObject*) { ChooseShift(1); }
void TForm45::RadioButton2Click(TObject*) { ChooseShift(2); }
void TForm45::RadioButton3Click(TObject*) { ChooseShift(3); }
void TForm45::RadioButton4Click(TObject*) { ChooseShift(4); }

void TForm45::CBox1Click(TObject*) {
  TFont* font = CBox1->GetFont();
  font->SetStyle(CBox1->GetChecked() ? TFontStyles{fsBold} : TFontStyles{});
  font->SetColor(CBox1->GetChecked() ? clRed : clWindowText);
}

void TForm45::Button8Click(TObject*) {
  THourglass wait;
  for (TADOQuery* q : {DataModule6->Smena1, DataModule6->Smena2, DataModule6->Smena3, DataModule6->Smena4})
    Reopen(q);
}

void TForm45::Button1Click(TObject*) {
  SelectShiftQuery();
  if (JournalScreens().AddRecord) JournalScreens().AddRecord(Day());
  ReopenShiftList(false);
}

void TForm45::Button2Click(TObject*) {
  SelectShiftQuery();
  const Integer recNo = ShiftQuery->GetActive() ? ShiftQuery->GetRecNo() : 0;
  if (ShiftQuery->GetActive() && !ShiftQuery->IsEmpty() && !Accepted(ShiftQuery) &&
      JournalScreens().EditRecord)
    JournalScreens().EditRecord();
  ReopenShiftList(false);
  if (recNo >= 1) RestoreRecNo(ShiftQuery, recNo);
}

void TForm45::AcceptCurrentRow() {
  if (Accepted(ShiftQuery)) return;
  const Integer id = IntField(ShiftQuery, u"id");
  smena_gds_use_cnt->Close();
  smena_gds_use_cnt->GetParameters()->ParamByName(u"id_smena")->SetValue(id);
  smena_gds_use_cnt->Open();
  const bool used = IntField(smena_gds_use_cnt, u"id_cnt") > 0;
  smena_gds_use_cnt->Close();
  if (!used) {
    ErrorBox(u"Не заведен расход ТМЦ!");
    return;
  }
  RunStatement(smena_accept_row, u"select accounts_dep.smena__accept_row_hwo(:id)", {{u"id", id}});
}

void TForm45::Button5Click(TObject*) {
  SelectShiftQuery();
  if (!ShiftQuery->GetActive() || ShiftQuery->IsEmpty()) return;
  TBookmarkList* selected = DBGrid2->GetSelectedRows();
  if (selected->GetCount() > 0) {
    for (Integer i = 0; i < selected->GetCount(); ++i) {
      ShiftQuery->GotoBookmark(selected->GetItem(i));
      AcceptCurrentRow();
    }
  } else {
    AcceptCurrentRow();
  }
  ReopenShiftList(true);
}

void TForm45::Button6Click(TObject*) {
  SelectShiftQuery();
  if (!ShiftQuery->GetActive()) return;
  const TDBGridOptions options = DBGrid2->GetOptions();
  TDBGridOptions passing = options;
  passing.Exclude(dgAlwaysShowSelection);
  DBGrid2->SetOptions(passing);
  auto restore = MakeScopeExit([&] { DBGrid2->SetOptions(options); });
  const String sort = ShiftQuery->GetSort();
  const Integer recNo = ShiftQuery->GetRecNo();
  const Integer count = ShiftQuery->GetRecordCount();
  ShiftQuery->First();
  for (Integer i = 0; i < count; ++i) {
    AcceptCurrentRow();
    ShiftQuery->Next();
  }
  Reopen(ShiftQuery);
  ShiftQuery->SetSort(sort);
  RestoreRecNo(ShiftQuery, recNo);
}

void TForm45::Button3Click(TObject*) {
  SelectShiftQuery();
  if (!ShiftQuery->GetActive() || ShiftQuery->IsEmpty() || Accepted(ShiftQuery)) return;
  if (ShiftQuery->FieldByName(u"id")->GetIsNull()) return;
  const bool yes = Application->MessageBox(u"Будут удалены все работы по данной номенклатуре!!!", u"Удаление",
                                           MB_YESNO | MB_ICONQUESTION) == IDYES;
  if (yes) {
    const Integer id = IntField(ShiftQuery, u"id");
    // The record's own worker, shift and day name its timesheet cell.
    const int worker = IntField(ShiftQuery, u"w_id");
    const int shift = IntField(ShiftQuery, u"smena");
    const TDateTime day = ShiftQuery->FieldByName(u"data")->GetAsDateTime();
    // The record, its share of the counters and the day's hours go together or not at all.
    InTransaction(DataModule6->ADO_DB, [&] {
      const TBoundValues values = {{u"id", id}};
      RunStatement(DataModule6->cmd_all,
                   u"UPDATE mnf_app.app_spec SET done=done-s.kol_vo FROM accounts_dep.smena s "
                   u"WHERE s.id=:id and app_spec.id=s.id_doc_item",
                   values);
      RunStatement(DataModule6->cmd_all,
                   u"UPDATE mnf_proc_tech.tp_operation SET done=done-s.kol_vo FROM accounts_dep.smena s "
                   u"WHERE s.id=:id and tp_operation.app_spec_id=s.id_doc_item and "
                   u"tp_operation.operation_id=s.o_id",
                   values);
      RunStatement(DataModule6->DelSmena, u"delete from accounts_dep.smena where id=:id", values);
      RewriteShiftHours(worker, shift, day);
    });
  }
  Reopen(ShiftQuery);
}

void TForm45::Button7Click(TObject*) {
  // The production requests screen of the production side.
  if (auto* form = dynamic_cast<TForm*>(Application->FindComponent(u"Form55"))) form->ShowModal();
}

void TForm45::Button9Click(TObject*) {
  if (JournalScreens().HourlyWork) JournalScreens().HourlyWork(Day());
}

void TForm45::DBGrid2DblClick(TObject*) {
  if (ShiftMaster(Login)) {
    Button5Click(nullptr);
    return;
  }
  SelectShiftQuery();
  const Integer recNo = ShiftQuery->GetActive() ? ShiftQuery->GetRecNo() : 0;
  if (ShiftQuery->GetActive() && !ShiftQuery->IsEmpty() && JournalScreens().ViewRecord)
    JournalScreens().ViewRecord();
  if (recNo >= 1) RestoreRecNo(ShiftQuery, recNo);
}

void TForm45::DBGrid2TitleClick(TColumn* Column) {
  SelectShiftQuery();
  // The lists carry the operation type and kind as vid_oper and nmn.
  ToggleSort(ShiftQuery, Column->GetFieldName(),
             {{u"fio", u"fio, id ASC", u"fio DESC, id ASC"},
              {u"marka", u"marka, fio, id ASC", u"marka DESC, fio, id ASC"},
              {u"vid_oper", u"vid_oper, marka, fio, id  ASC", u"vid_oper DESC, marka, fio, id ASC"},
              {u"nmn", u"nmn, marka, fio, id ASC", u"nmn DESC, marka, fio, id ASC"},
              {u"kol_vo", u"kol_vo, marka, fio, id ASC", u"kol_vo DESC, marka, fio, id ASC"},
              {u"summa", u"summa, marka, fio, id ASC", u"summa DESC, marka, fio, id ASC"},
              {u"ok", u"ok, marka, fio, id ASC", u"ok DESC, marka, fio, id ASC"},
              {u"vvod", u"vvod, marka, fio, id ASC", u"vvod DESC, marka, fio, id ASC"},
              {u"id_doc", u"id_doc, marka, fio, id ASC", u"id_doc DESC, marka, fio, id ASC"}});
}

void TForm45::DBGrid2DrawColumnCell(TObject*, const TRect& Rect, Integer DataCol, TColumn* Column,
                                    TGridDrawState State) {
  if (Column->GetFieldName() == u"ok" && Column->GetField()) {
    const String ok = Trim(Column->GetField()->GetAsString());
    TFont* font = DBGrid2->GetCanvas()->GetFont();
    font->SetStyle(TFontStyles{fsBold});
    if (!State.Contains(gdSelected)) font->SetColor(ok == u"ok" || ok == u"да" ? clGreen : clRed);
  }
  DBGrid2->DefaultDrawColumnCell(Rect, DataCol, Column, State);
}

void TForm45::N9Click(TObject*) {
  if (JournalScreens().MonthGrid) JournalScreens().MonthGrid(0);
}
void TForm45::N14Click(TObject*) {
  if (JournalScreens().MonthGrid) JournalScreens().MonthGrid(7777);
}
void TForm45::N15Click(TObject*) {
  if (JournalScreens().MonthGrid) JournalScreens().MonthGrid(7778);
}
void TForm45::N17Click(TObject*) {
  if (JournalScreens().MonthGrid) JournalScreens().MonthGrid(-1);
}

void TForm45::N13Click(TObject*) {
  if (JournalScreens().ShiftTimesheet) JournalScreens().ShiftTimesheet(Day());
  for (TADOQuery* q : {DataModule6->H_Tabel_1, DataModule6->H_Tabel_2, DataModule6->H_Tabel_3}) q->Close();
}

void TForm45::N10Click(TObject*) {
  // The summary reports over the month before the current one.
  auto* form = dynamic_cast<TForm*>(Application->FindComponent(u"Form18"));
  if (!form) return;
  const TDateTime first = StartOfTheMonth(Date());
  if (auto* from = dynamic_cast<TDateTimePicker*>(form->FindComponent(u"DTPicker1")))
    from->SetDateTime(IncMonth(first, -1));
  if (auto* to = dynamic_cast<TDateTimePicker*>(form->FindComponent(u"DTPicker2"))) to->SetDateTime(first);
  form->ShowModal();
}

void RewriteShiftHours(int worker, int shift, TDateTime day) {
  RunStatement(DataModule6->H_Tabel_ins, u"select accounts_dep.set_shift_hours(:w, :s, cast(:day as date))",
               {{u"w", worker}, {u"s", shift}, {u"day", Variant::FromDate(DateOf(day))}});
}
