// The timesheet by hours.
#include "production/Unit19.h"

#include "app/ExcelWriter.h"
#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit45.h"
#include "app/Unit6.h"
#include "platform/ado/ADODB.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/data/Fields.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"
#include "production/Unit15.h"
#include "reportlib/engine/RezavOze.h"
#include "reportlib/engine/controls/QRLabels.h"

TForm19* Form19 = nullptr;

namespace {

constexpr TColor kGrey = 12632256;
constexpr TColor kLongDay = 12639424;

// "sum(case when extract(day from <date>)=1 then <hours> else 0 end), ..." for the 31 days.
String DaySums(const String& date, const String& hours) {
  String text;
  for (int d = 1; d <= 31; ++d) {
    if (d > 1) text += u", ";
    text +=
        u"sum(case when extract(day from " + date + u")=" + IntToStr(d) + u" then " + hours + u" else 0 end)";
  }
  return text;
}

String DayColumns() {
  String text;
  for (int d = 1; d <= 31; ++d) text += u", d" + IntToStr(d);
  return text;
}

}  // namespace

void RebuildMonthTimesheet(int month, int year) {
  const TDateTime from = EncodeDate(year, month, 1);
  const TBoundValues values = {{u"m", month},
                               {u"y", year},
                               {u"d_from", Variant::FromDate(from)},
                               {u"d_to", Variant::FromDate(IncMonth(from, 1))}};
  InTransaction(DataModule6->ADO_DB, [&] {
    RunStatement(DataModule6->DelSmena, u"delete from accounts_dep.h_tabel where month=:m and year=:y",
                 values);
    RunStatement(
        DataModule6->H_Tabel_ins,
        u"insert into accounts_dep.h_tabel(smena, w_id, month, year, i_type, i_night" + DayColumns() +
            u") select s.smena, s.w_id, :m, :y, 0, 0, " + DaySums(u"s.data", u"s.time") +
            u" from accounts_dep.smena s where s.data>=:d_from and s.data<:d_to group by s.smena, s.w_id",
        values);
    RunStatement(
        DataModule6->H_Tabel_ins,
        u"insert into accounts_dep.h_tabel(smena, w_id, month, year, i_type, i_night" + DayColumns() +
            u") select 0, f.id_p, :m, :y, f.id_o, f.i_night, " + DaySums(u"f.d_date", u"f.cnt") +
            u" from accounts_dep.fatigue f where f.d_date>=:d_from and f.d_date<:d_to group by f.id_p, "
            u"f.id_o, f.i_night",
        values);
  });
}

TForm19::TForm19(TComponent* owner) : TForm(owner) {}
TForm19::~TForm19() = default;

void TForm19::Published(TPropBuilder<TForm19>& p) {
  p.Method(u"FormCreate", &TForm19::FormCreate);
  p.Method(u"FormActivate", &TForm19::FormActivate);
  p.Method(u"ComboBox1Change", &TForm19::ComboBox1Change);
  p.Method(u"DBGrid1DrawColumnCell", &TForm19::DBGrid1DrawColumnCell);
  p.Method(u"Button1Click", &TForm19::Button1Click);
  p.Method(u"Button2Click", &TForm19::Button2Click);
  p.Method(u"Button5Click", &TForm19::Button5Click);
  p.Method(u"Button6Click", &TForm19::Button6Click);
}

void TForm19::FormCreate(TObject*) {
  BindComponent(this, u"PageControl1", PageControl1);
  BindComponent(this, u"DBGrid1", DBGrid1);
  BindComponent(this, u"DBGrid2", DBGrid2);
  BindComponent(this, u"DBGrid3", DBGrid3);
  BindComponent(this, u"DataSource1", DataSource1);
  BindComponent(this, u"DataSource2", DataSource2);
  BindComponent(this, u"DataSource3", DataSource3);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"PB", PB);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"ComboBox1", ComboBox1);
  BindComponent(this, u"ComboBox2", ComboBox2);
  BindComponent(this, u"Button5", Button5);
  BindComponent(this, u"Button4", Button4);
  BindComponent(this, u"Button6", Button6);
  if (DataModule6) {
    DataSource1->SetDataSet(DataModule6->H_Tabel_1);
    DataSource2->SetDataSet(DataModule6->H_Tabel_2);
    DataSource3->SetDataSet(DataModule6->H_Tabel_3);
  }
  // The years from the first of the enterprise's timesheets to the one after the current.
  const int last = YearOf(Date()) + 1;
  for (int y = 2007; y <= last; ++y) ComboBox2->GetItems()->Add(IntToStr(y));
  ComboBox1->SetItemIndex(0);
  AccountingFormSetUp(this, 19);
  JournalScreens().ShiftTimesheet = [](TDateTime day) {
    Form19->SelectMonth(day);
    Form19->ShowModal();
  };
}

void TForm19::FormActivate(TObject*) { Button2->SetCaption(u"Excel"); }

int TForm19::Month() const { return ComboBox1->GetItemIndex() + 1; }

int TForm19::Year() const { return StrToIntDef(ComboBox2->GetText(), YearOf(Date())); }

void TForm19::SelectMonth(TDateTime day) {
  ComboBox1->SetItemIndex(MonthOf(day) - 1);
  const String year = IntToStr(YearOf(day));
  // Any year: one the list lacks is added to it, so the choice always ends.
  TStrings* years = ComboBox2->GetItems();
  Integer index = years->IndexOf(year);
  if (index < 0) index = years->Add(year);
  ComboBox2->SetItemIndex(index);
  ComboBox1Change(nullptr);
}

void TForm19::ComboBox1Change(TObject*) {
  const int m = Month();
  const int y = Year();
  const int days = DaysInAMonth(y, m);
  const Word first = DayOfWeek(EncodeDate(y, m, 1));
  TADOQuery* sheets[] = {DataModule6->H_Tabel_1, DataModule6->H_Tabel_2, DataModule6->H_Tabel_3};
  TDBGrid* grids[] = {DBGrid1, DBGrid2, DBGrid3};
  for (int i = 0; i < 3; ++i) {
    OpenWith(sheets[i], {{u"mnth", m}, {u"yea", y}});
    TDBGridColumns* columns = grids[i]->GetColumns();
    for (int d = 1; d <= 31; ++d) {
      TColumn* column = columns->GetItem(d);
      if (d <= days) {
        const bool weekend = (first + d) % 7 == 1 || (first + d) % 7 == 2;
        column->GetFont()->SetColor(weekend ? clRed : clWindowText);
        column->GetTitle()->GetFont()->SetColor(weekend ? clRed : clWindowText);
        column->SetReadOnly(false);
      } else {
        column->SetReadOnly(true);
        column->GetFont()->SetColor(clWindow);
        column->GetTitle()->GetFont()->SetColor(kGrey);
      }
    }
  }
}

void TForm19::DBGrid1DrawColumnCell(TObject* Sender, const TRect& Rect, Integer DataCol, TColumn* Column,
                                    TGridDrawState State) {
  auto* grid = static_cast<TDBGrid*>(Sender);
  if (DataCol >= 1 && DataCol <= 31 && !State.Contains(gdSelected) && Column->GetField()) {
    TField* field = Column->GetField();
    const int h = field->GetIsNull() ? 0 : field->GetAsInteger();
    TCanvas* canvas = grid->GetCanvas();
    TFont* font = canvas->GetFont();
    const bool red = font->GetColor() == clRed;
    if (h == 0) {
      if (!red) font->SetColor(Column->GetReadOnly() ? clWindow : kGrey);
    } else if (h == 8) {
      font->SetStyle(TFontStyles{fsBold});
      if (!red) font->SetColor(clWindowText);
    } else if (h > 8) {
      font->SetStyle(TFontStyles{fsBold});
      canvas->GetBrush()->SetColor(kLongDay);
      canvas->FillRect(Rect);
    }
  }
  grid->DefaultDrawColumnCell(Rect, DataCol, Column, State);
}

void TForm19::Button5Click(TObject*) {
  for (TADOQuery* q : {DataModule6->H_Tabel_1, DataModule6->H_Tabel_2, DataModule6->H_Tabel_3}) Reopen(q);
}

void TForm19::Button1Click(TObject*) {
  for (TADOQuery* q : {DataModule6->H_Tabel_1, DataModule6->H_Tabel_2, DataModule6->H_Tabel_3}) q->Close();
  // A refused rebuild changed nothing: the sheets show the month again whether it ran or not.
  TryFinally([&] { RebuildMonthTimesheet(Month(), Year()); },
             [] {
               for (TADOQuery* q : {DataModule6->H_Tabel_1, DataModule6->H_Tabel_2, DataModule6->H_Tabel_3})
                 q->Open();
             });
}

void TForm19::Button6Click(TObject*) {
  TForm15* report = ReportForm15();
  OpenWith(report->H_Tabel, {{u"mnth", Month()}, {u"yea", Year()}});
  TryFinally(
      [&] {
        report->QRLabel33->SetCaption(ComboBox1->GetText() + u" " + IntToStr(Year()) + u" г.");
        report->RezavOze1->Prepare();
        // Shown modally: the timesheet is modal itself, and a plain window behind it would take no input.
        report->RezavOze1->PreviewModal();
      },
      [&] { report->H_Tabel->Close(); });
}

void TForm19::Button2Click(TObject*) {
  const int y = Year();
  TADOQuery* H_Tabel = ReportForm15()->H_Tabel;
  OpenWith(H_Tabel, {{u"mnth", Month()}, {u"yea", y}});
  if (!excel_) excel_ = std::make_unique<TExcelWriter>();
  TExcelWriter& excel = *excel_;
  if (excel.OpenExcel(u"") == -1) {
    Screen->SetCursor(crDefault);
    return;
  }
  excel.ShowExcel(false);
  const Integer total = H_Tabel->GetRecordCount();
  Button2->SetCaption(u"Excel (0 из " + IntToStr(total) + u")");
  H_Tabel->First();
  excel.WriteExcelCellFormatted(1, 1, 1, ComboBox1->GetText() + u" " + IntToStr(y), true, true, true);
  excel.WriteExcelCellFormatted(1, 1, 2, u"Фамилия И.О.", true, true, true);
  for (int d = 1; d <= 31; ++d) excel.WriteExcelCellFormatted(1, d + 1, 2, IntToStr(d), false, true, true);
  excel.WriteExcelCellFormatted(1, 33, 2, u"Итого", true, true, true);
  int row = 3;
  for (Integer k = 1; !H_Tabel->GetEof(); ++k, ++row) {
    excel.WriteExcelCellFormatted(1, 1, row, TrimmedField(H_Tabel, u"fio"), true, true, false);
    int sum = 0;
    for (int d = 1; d <= 31; ++d) {
      const int h = IntField(H_Tabel, (u"sd" + IntToStr(d)).c_str());
      sum += h;
      excel.WriteExcelCellFormatted(1, d + 1, row, IntToStr(h), false, true, false);
    }
    excel.WriteExcelCellFormatted(1, 33, row, IntToStr(sum), false, true, false);
    H_Tabel->Next();
    Button2->SetCaption(u"Excel (" + IntToStr(k) + u" из " + IntToStr(total) + u")");
    Application->ProcessMessages();
  }
  excel.ShowExcel(true);
  H_Tabel->Close();
}
