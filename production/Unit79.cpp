// The month grid of maintenance work.
#include "production/Unit79.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/rtl/DateUtils.h"
#include "production/Unit80.h"

TForm79* Form79 = nullptr;

TForm79::TForm79(TComponent* owner) : TForm(owner) {}

void TForm79::Published(TPropBuilder<TForm79>& p) {
  p.Method(u"FormCreate", &TForm79::FormCreate);
  p.Method(u"Button8Click", &TForm79::Button8Click);
  p.Method(u"DBGridDblClick", &TForm79::DBGridDblClick);
  p.Method(u"ComboBox1Change", &TForm79::ComboBox1Change);
}

void TForm79::FormCreate(TObject*) {
  BindComponent(this, u"DBGrid", DBGrid);
  BindComponent(this, u"ComboBox1", ComboBox1);
  BindComponent(this, u"cb_year", cb_year);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"H_Tabel", H_Tabel);
  BindComponent(this, u"q_year", q_year);
  if (DataModule6)
    for (TADOQuery* q : {H_Tabel, q_year}) q->SetConnection(DataModule6->ADO_DB);
  AccountingFormSetUp(this, 79);
}

void TForm79::Button8Click(TObject*) { Close(); }

void TForm79::DBGridDblClick(TObject*) { Form80->ShowModal(); }

void TForm79::ComboBox1Change(TObject*) {
  const int m = ComboBox1->GetItemIndex() + 1;
  const Variant key = cb_year->GetKeyValue();
  const int y = key.IsNull() || key.IsEmpty() ? YearOf(Date()) : key.AsInteger();
  if (m < 1) return;
  const TDateTime from = EncodeDate(y, m, 1);
  OpenWith(H_Tabel, {{u"i_month", m},
                     {u"i_year", y},
                     {u"d_from", Variant::FromDate(from)},
                     {u"d_to", Variant::FromDate(IncMonth(from, 1))}});
}
