// The issue to production.
#include "stock/Unit72.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/Fields.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Strings.h"
#include "production/Unit48.h"

TForm72* Form72 = nullptr;

namespace {

// Free quantity of the warehouse chosen in box among the rows of list; 0 when none is chosen.
double FreeIn(TADOQuery* list, TDBLookupComboBox* box) {
  const Variant key = box->GetKeyValue();
  if (key.IsNull() || !list->GetActive()) return 0;
  const Variant free = list->Lookup(u"id", key, u"cnt");
  return free.IsNull() ? 0 : free.AsDouble();
}

int KeyOf(TDBLookupComboBox* box) {
  const Variant key = box->GetKeyValue();
  return key.IsNull() ? 0 : key.AsInteger();
}

}  // namespace

TForm72::TForm72(TComponent* owner) : TForm(owner) {}

void TForm72::Published(TPropBuilder<TForm72>& p) {
  p.Method(u"FormCreate", &TForm72::FormCreate);
  p.Method(u"Edit1KeyPress", &TForm72::Edit1KeyPress);
  p.Method(u"Button1Click", &TForm72::Button1Click);
  p.Method(u"Button2Click", &TForm72::Button2Click);
}

void TForm72::FormCreate(TObject*) {
  BindComponent(this, u"Edit1", Edit1);
  BindComponent(this, u"Label5", Label5);
  BindComponent(this, u"cb_stock", cb_stock);
  BindComponent(this, u"cb_ral_stock", cb_ral_stock);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"Stock", Stock);
  BindComponent(this, u"ral_stock", ral_stock);
  if (DataModule6)
    for (TADOQuery* q : {Stock, ral_stock}) q->SetConnection(DataModule6->ADO_DB);
  AccountingFormSetUp(this, 72);
  ChooseExcessWarehouses = [this](TExcessIssue& issue) { return ChooseExcess(issue); };
}

void TForm72::Edit1KeyPress(TObject*, Char& Key) {
  if (Key == u'.') Key = u',';
  if (!(Key >= u'0' && Key <= u'9') && Key != 8 && Key != u',') Key = 0;
}

bool TForm72::ChooseExcess(TExcessIssue& issue) {
  OpenWith(Stock, {{u"id_ii", issue.Blank}});
  ral_stock->Close();
  if (issue.Paint > 0) OpenWith(ral_stock, {{u"id_ii", issue.Paint}});
  cb_ral_stock->SetEnabled(issue.Paint > 0);
  cb_stock->SetKeyValue(Variant());
  cb_ral_stock->SetKeyValue(Variant());
  Edit1->SetEnabled(false);
  Edit1->SetText(FloatToStr(issue.Surplus));
  Label5->SetCaption(FloatToStr(RoundTo(issue.Blanks(), -2)));
  SetTag(48);
  excess_ = &issue;
  chosen_ = false;
  ShowModal();
  excess_ = nullptr;
  Edit1->SetEnabled(true);
  Stock->Close();
  ral_stock->Close();
  return chosen_;
}

void TForm72::Button1Click(TObject*) {
  // Only the excess road opens this form so far.
  if (GetTag() != 48 || !excess_) return;
  TExcessIssue& issue = *excess_;
  if (Trim(Edit1->GetText()).empty() || cb_stock->GetKeyValue().IsNull() ||
      (issue.Paint > 0 && cb_ral_stock->GetKeyValue().IsNull())) {
    ErrorBox(u"Все поля должны быть заполнены!");
    return;
  }
  // Checked against the chosen warehouse, not all of them: its reserve may not pass what it holds.
  if (RoundTo(issue.Blanks() - FreeIn(Stock, cb_stock), -4) > 0) {
    ErrorBox(u"Недостаточно ТМЦ!");
    return;
  }
  if (issue.Paint > 0 && RoundTo(issue.PaintNeed() - FreeIn(ral_stock, cb_ral_stock), -4) > 0) {
    ErrorBox(u"Недостаточно краски!");
    return;
  }
  issue.BlankStock = KeyOf(cb_stock);
  issue.PaintStock = issue.Paint > 0 ? KeyOf(cb_ral_stock) : 0;
  chosen_ = true;
  SetModalResult(mrOk);
}

void TForm72::Button2Click(TObject*) { SetModalResult(mrCancel); }
