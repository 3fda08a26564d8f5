// The day list of hourly work.
#include "production/Unit76.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit45.h"
#include "app/Unit6.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Strings.h"
#include "production/Unit77.h"

TForm76* Form76 = nullptr;

TForm76::TForm76(TComponent* owner) : TForm(owner) {}

void TForm76::Published(TPropBuilder<TForm76>& p) {
  p.Method(u"FormCreate", &TForm76::FormCreate);
  p.Method(u"FormActivate", &TForm76::FormActivate);
  p.Method(u"DTPcker1Change", &TForm76::DTPcker1Change);
  p.Method(u"CBox1Click", &TForm76::CBox1Click);
  p.Method(u"Button5Click", &TForm76::Button5Click);
  p.Method(u"Button6Click", &TForm76::Button6Click);
  p.Method(u"Button7Click", &TForm76::Button7Click);
  p.Method(u"Button1Click", &TForm76::Button1Click);
  p.Method(u"Button8Click", &TForm76::Button8Click);
}

void TForm76::FormCreate(TObject*) {
  BindComponent(this, u"DBGrid1", DBGrid1);
  BindComponent(this, u"DataSource1", DataSource1);
  BindComponent(this, u"fatigue", fatigue);
  BindComponent(this, u"Button5", Button5);
  BindComponent(this, u"Button6", Button6);
  BindComponent(this, u"Button7", Button7);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button8", Button8);
  BindComponent(this, u"DTPcker1", DTPcker1);
  BindComponent(this, u"CBox1", CBox1);
  fatigue->SetConnection(DataModule6->ADO_DB);
  AccountingFormSetUp(this, 76);
  JournalScreens().HourlyWork = [](TDateTime day) {
    Form76->DTPcker1->SetDateTime(day);
    Form76->ShowModal();
  };
}

void TForm76::ReopenDay() {
  const Integer recNo = fatigue->GetActive() ? fatigue->GetRecNo() : 0;
  fatigue->Close();
  fatigue->GetParameters()->ParamByName(u"d_date")->SetValue(
      Variant::FromDate(DateOf(DTPcker1->GetDateTime())));
  fatigue->Open();
  if (recNo > 0) RestoreRecNo(fatigue, recNo);
}

void TForm76::FormActivate(TObject*) {
  ReopenDay();
  Shift = 1;
}

void TForm76::DTPcker1Change(TObject*) {
  const Word day = DayOfTheWeek(DTPcker1->GetDateTime());
  CBox1->SetChecked(day == 6 || day == 7);
  ReopenDay();
}

void TForm76::CBox1Click(TObject*) {
  TFont* font = CBox1->GetFont();
  if (CBox1->GetChecked()) {
    font->SetStyle(TFontStyles{fsBold});
    font->SetColor(clRed);
  } else {
    font->SetStyle(TFontStyles{});
    font->SetColor(clWindowText);
  }
}

void TForm76::Button5Click(TObject*) {
  TForm77* entry = Form77;
  entry->SetTag(0);
  entry->OpenLists();
  SetLookupKey(entry->cb_person, 0);
  SetLookupKey(entry->cb_item, 0);
  entry->Edit6->SetText(u"0");
  entry->CBox1->SetChecked(false);
  entry->CBox1->SetEnabled(true);
  SetLookupKey(entry->cb_type_work, 7777);
  entry->ShowModal();
  entry->CloseLists();
}

void TForm76::Button6Click(TObject*) {
  if (fatigue->IsEmpty()) return;
  TForm77* entry = Form77;
  entry->SetTag(1);
  entry->OpenLists();
  SetLookupKey(entry->cb_person, IntField(fatigue, u"id_p"));
  SetLookupKey(entry->cb_item, IntField(fatigue, u"id_nom"));
  entry->Edit6->SetText(fatigue->FieldByName(u"cnt")->GetAsString());
  SetLookupKey(entry->cb_type_work, IntField(fatigue, u"id_o"));
  entry->CBox1->SetChecked(IntField(fatigue, u"i_night") != 0);
  entry->CBox1->SetEnabled(false);
  entry->ShowModal();
  entry->CloseLists();
}

void TForm76::Button7Click(TObject*) {
  if (fatigue->IsEmpty()) return;
  if (!AskDelete(u"Удалить позицию из списка?")) return;
  const int worker = IntField(fatigue, u"id_p");
  const int kind = IntField(fatigue, u"id_o");
  const int night = IntField(fatigue, u"i_night");
  const TDateTime day = fatigue->FieldByName(u"d_date")->GetAsDateTime();
  // The entry and its timesheet hours go together or not at all.
  InTransaction(DataModule6->ADO_DB, [&] {
    RunStatement(DataModule6->cmd_all, u"delete from accounts_dep.fatigue where id=:id",
                 {{u"id", IntField(fatigue, u"id")}});
    // The day's cell keeps the hours left; the other days of the row stay.
    RewriteHourlyCell(worker, kind, night, day);
  });
  ReopenDay();
}

void TForm76::Button1Click(TObject*) {
  Word year, month, day;
  DecodeDate(DTPcker1->GetDateTime(), year, month, day);
  const TDateTime from = EncodeDate(year, month, 1);
  const TDateTime to = IncMonth(from, 1);
  RunStatement(DataModule6->cmd_all,
               u"UPDATE accounts_dep.fatigue f SET price=coalesce((select case when "
               u"coalesce(sum(s.time),0)::numeric(10,2)=0 "
               u"then 0 else  "
               u"coalesce(sum((s.kol_vo-s.brak)*(s.cena+s.cena*f.i_holiday))/sum(time),0)::numeric(10,2) end "
               u"as price  from cmn_classifier.item i, accounts_dep.smena s, accounts_dep.izdel gas, "
               u"accounts_dep.person p "
               u"where i.id_level =2 and s.i_id = gas.id and gas.id_class_item =i.id  and s.data<:d_to and "
               u"s.data>=:d_from "
               u"and p.id=s.w_id and p.id=f.id_p and i.id=f.id_nom group by i.s_caption, i.id, p.id),0) "
               u"where i_mnth = "
               u":m and i_year = :y and id_o =7778",
               {{u"d_to", Variant::FromDate(to)},
                {u"d_from", Variant::FromDate(from)},
                {u"m", int(month)},
                {u"y", int(year)}});
  ReopenDay();
}

void TForm76::Button8Click(TObject*) { Close(); }

void RewriteHourlyCell(int worker, int kind, int night, TDateTime date) {
  Word year, month, day;
  DecodeDate(date, year, month, day);
  // The column name is made of the day number alone, never of typed text.
  const String cell = u"d" + IntToStr(int(day));
  const TBoundValues keys = {{u"w", worker},    {u"k", kind},
                             {u"n", night},     {u"m", int(month)},
                             {u"y", int(year)}, {u"day", Variant::FromDate(DateOf(date))}};
  const String hours =
      u"(select coalesce(sum(f.cnt),0) from accounts_dep.fatigue f where f.id_p=:w and f.id_o=:k and "
      u"f.i_night=:n and "
      u"f.d_date=:day)";
  RunStatement(DataModule6->H_Tabel_ins,
               u"update accounts_dep.h_tabel set " + cell + u"=" + hours +
                   u" where w_id=:w and i_type=:k and month=:m and year=:y and i_night=:n",
               keys);
  RunStatement(DataModule6->H_Tabel_ins,
               u"insert into accounts_dep.h_tabel(i_type, w_id, month, year, " + cell +
                   u", i_night) select :k, :w, :m, "
                   u":y, " +
                   hours +
                   u", :n where not exists (select 1 from accounts_dep.h_tabel where w_id=:w and "
                   u"i_type=:k and month=:m and year=:y and i_night=:n)",
               keys);
}
