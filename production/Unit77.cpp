// The hourly work entry dialog.
#include "production/Unit77.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Strings.h"
#include "production/Unit76.h"

TForm77* Form77 = nullptr;

TForm77::TForm77(TComponent* owner) : TForm(owner) {}

void TForm77::Published(TPropBuilder<TForm77>& p) {
  p.Method(u"FormCreate", &TForm77::FormCreate);
  p.Method(u"Edit6KeyPress", &TForm77::Edit6KeyPress);
  p.Method(u"Button1Click", &TForm77::Button1Click);
}

void TForm77::FormCreate(TObject*) {
  BindComponent(this, u"GroupBox1", GroupBox1);
  BindComponent(this, u"cb_person", cb_person);
  BindComponent(this, u"cb_item", cb_item);
  BindComponent(this, u"cb_type_work", cb_type_work);
  BindComponent(this, u"Edit6", Edit6);
  BindComponent(this, u"DBEdit1", DBEdit1);
  BindComponent(this, u"CBox1", CBox1);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"type_work", type_work);
  BindComponent(this, u"persons", persons);
  BindComponent(this, u"items", items);
  for (TADOQuery* q : {type_work, persons, items}) q->SetConnection(DataModule6->ADO_DB);
  AccountingFormSetUp(this, 77);
}

void TForm77::OpenLists() {
  for (TADOQuery* q : {type_work, persons, items}) q->Open();
}

void TForm77::CloseLists() {
  for (TADOQuery* q : {type_work, persons, items}) q->Close();
}

void TForm77::Edit6KeyPress(TObject*, Char& Key) {
  if (!(Key >= u'0' && Key <= u'9') && Key != 8) Key = 0;
}

void TForm77::Button1Click(TObject*) {
  const int person = LookupKey(cb_person);
  const int item = LookupKey(cb_item);
  if (person == 0 || item == 0) {
    ErrorBox(u"Все поля должны быть заполнены!");
    return;
  }
  const int hours = StrToIntDef(Trim(Edit6->GetText()), 0);
  if (hours <= 0) {
    ErrorBox(u"Нужно завести количество!");
    return;
  }
  TForm76* list = Form76;
  const bool holiday = list->CBox1->GetChecked();
  const bool night = CBox1->GetChecked();
  double price = type_work->FieldByName(u"price")->GetAsFloat();
  if (holiday) price *= 2.0;
  if (night) price *= 1.2;
  const int kind = LookupKey(cb_type_work);
  const TDateTime date = DateOf(list->DTPcker1->GetDateTime());
  Word year, month, day;
  DecodeDate(date, year, month, day);
  // An edited entry may move to another worker, kind or night flag: its old cell is rewritten too.
  const bool editing = GetTag() != 0;
  TDataSet* entries = list->fatigue;
  const int oldWorker = editing ? IntField(entries, u"id_p") : 0;
  const int oldKind = editing ? IntField(entries, u"id_o") : 0;
  const int oldNight = editing ? IntField(entries, u"i_night") : 0;
  const TBoundValues values = {{u"item", item},
                               {u"kind", kind},
                               {u"person", person},
                               {u"day", Variant::FromDate(date)},
                               {u"m", int(month)},
                               {u"y", int(year)},
                               {u"shift", list->Shift},
                               {u"cnt", hours},
                               {u"price", DecimalValue(FloatToStrF(price, ffFixed, 15, 2))},
                               {u"h", holiday ? 1 : 0},
                               {u"n", night ? 1 : 0},
                               {u"id", editing ? IntField(entries, u"id") : 0}};
  InTransaction(DataModule6->ADO_DB, [&] {
    if (!editing)
      RunStatement(
          DataModule6->cmd_all,
          u"INSERT INTO accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, "
          u"price, "
          u"i_holiday, i_night)VALUES(:item, :kind, :person, :day, :m, :y, :shift, :cnt, :price, :h, :n)",
          values);
    else
      RunStatement(
          DataModule6->cmd_all,
          u"UPDATE accounts_dep.fatigue SET id_nom=:item, id_o=:kind, id_p=:person, cnt=:cnt, price=:price, "
          u"i_holiday=:h, i_night=:n where id=:id",
          values);
    RewriteHourlyCell(person, kind, night ? 1 : 0, date);
    if (editing && (oldWorker != person || oldKind != kind || oldNight != (night ? 1 : 0)))
      RewriteHourlyCell(oldWorker, oldKind, oldNight, date);
  });
  list->ReopenDay();
  Close();
}
