// The month grids of the timesheet.
#include "production/Unit78.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit45.h"
#include "app/Unit6.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Strings.h"

TForm78* Form78 = nullptr;

TForm78::TForm78(TComponent* owner) : TForm(owner) {}

void TForm78::Published(TPropBuilder<TForm78>& p) {
  p.Method(u"FormCreate", &TForm78::FormCreate);
  p.Method(u"Button8Click", &TForm78::Button8Click);
  p.Method(u"ComboBox1Change", &TForm78::ComboBox1Change);
}

void TForm78::FormCreate(TObject*) {
  BindComponent(this, u"DBGrid", DBGrid);
  BindComponent(this, u"DataSource1", DataSource1);
  BindComponent(this, u"ComboBox1", ComboBox1);
  BindComponent(this, u"cb_year", cb_year);
  BindComponent(this, u"DBText1", DBText1);
  BindComponent(this, u"DBText2", DBText2);
  BindComponent(this, u"DBText3", DBText3);
  BindComponent(this, u"DBText4", DBText4);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"H_Tabel0", H_Tabel0);
  BindComponent(this, u"H_Tabel7777", H_Tabel7777);
  BindComponent(this, u"H_Tabel7778", H_Tabel7778);
  BindComponent(this, u"H_Tabel_all", H_Tabel_all);
  BindComponent(this, u"all_price", all_price);
  BindComponent(this, u"price", price);
  BindComponent(this, u"price7", price7);
  BindComponent(this, u"price8", price8);
  BindComponent(this, u"q_year", q_year);
  if (DataModule6)
    for (TADOQuery* q :
         {H_Tabel0, H_Tabel7777, H_Tabel7778, H_Tabel_all, all_price, price, price7, price8, q_year})
      q->SetConnection(DataModule6->ADO_DB);
  AccountingFormSetUp(this, 78);
  JournalScreens().MonthGrid = [](int kind) { Form78->ShowKind(kind, Date()); };
}

void TForm78::Button8Click(TObject*) { Close(); }

void TForm78::ShowKind(int kind, TDateTime day) {
  TDBGridColumns* columns = DBGrid->GetColumns();
  const bool hourly = kind == 7777 || kind == 7778;
  nameWidth_ = hourly ? 208 : 304;
  columns->GetItem(1)->SetVisible(hourly);
  columns->GetItem(35)->SetVisible(hourly);
  switch (kind) {
    case 0:
      SetCaption(u"Табель сделка (27)");
      CurrentQuery = H_Tabel0;
      break;
    case 7777:
      SetCaption(u"Табель хоз. работы (27)");
      CurrentQuery = H_Tabel7777;
      break;
    case 7778:
      SetCaption(u"Табель ср. сдельная (27)");
      CurrentQuery = H_Tabel7778;
      break;
    default:
      SetCaption(u"Общий табель (27)");
      CurrentQuery = H_Tabel_all;
  }
  DataSource1->SetDataSet(CurrentQuery);
  ComboBox1->SetItemIndex(MonthOf(day) - 1);
  q_year->Open();
  cb_year->SetKeyValue(Variant(int(YearOf(day))));
  ComboBox1Change(nullptr);
  ShowModal();
  CurrentQuery->Close();
  q_year->Close();
  for (TADOQuery* q : {all_price, price, price7, price8}) q->Close();
  columns->GetItem(0)->SetWidth(208);
  columns->GetItem(1)->SetVisible(true);
  columns->GetItem(35)->SetVisible(true);
}

void TForm78::ComboBox1Change(TObject*) {
  if (!CurrentQuery) return;
  const int m = ComboBox1->GetItemIndex() + 1;
  const Variant key = cb_year->GetKeyValue();
  const int y = key.IsNull() || key.IsEmpty() ? YearOf(Date()) : key.AsInteger();
  const TDateTime from = EncodeDate(y, m, 1);
  const TDateTime to = IncMonth(from, 1);
  const TBoundValues period = {{u"i_month", m},
                               {u"i_year", y},
                               {u"d_from", Variant::FromDate(from)},
                               {u"d_to", Variant::FromDate(to)}};
  OpenWith(CurrentQuery, period);
  for (TADOQuery* q : {all_price, price, price7, price8}) OpenWith(q, period);
  const int days = DaysInAMonth(y, m);
  const Word first = DayOfWeek(from);
  TDBGridColumns* columns = DBGrid->GetColumns();
  for (int d = 1; d <= 31; ++d) {
    TColumn* column = columns->GetItem(d + 1);
    if (d <= days) {
      const bool weekend = (first + d) % 7 == 1 || (first + d) % 7 == 2;
      column->GetFont()->SetColor(weekend ? clRed : clWindowText);
      column->GetTitle()->GetFont()->SetColor(weekend ? clRed : clWindowText);
      column->SetVisible(true);
    } else {
      column->SetVisible(false);
      column->GetFont()->SetColor(clWindow);
      column->GetTitle()->GetFont()->SetColor(12632256);
    }
  }
  // The grid keeps its width: the name column takes the hidden days' room.
  columns->GetItem(0)->SetWidth(nameWidth_ + 20 * (31 - days));
}
