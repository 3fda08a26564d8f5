// Form 48 and the excess issue of a shift record.
#include "production/Unit48.h"

#include <memory>

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "platform/data/Fields.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/RtlMath.h"

TForm48* Form48 = nullptr;
std::function<bool(TExcessIssue&)> ChooseExcessWarehouses;

TForm48::TForm48(TComponent* owner) : TForm(owner) {}

void TForm48::Published(TPropBuilder<TForm48>& p) { p.Method(u"FormCreate", &TForm48::FormCreate); }

void TForm48::FormCreate(TObject*) { AccountingFormSetUp(this, 48); }

bool PrepareExcessIssue(int specId, double surplus, TExcessIssue& issue) {
  std::unique_ptr<TADOQuery> line(new TADOQuery(nullptr));
  line->SetConnection(DataModule6->ADO_DB);
  line->GetSQL()->SetText(
      u"select as1.id_ii, as1.id_app_doc, as1.id_ral, as1.price, as1.cost_price, "
      u"(ii.massa)::t_money as massa_1gds, ii.ral_cons, "
      u"(select pt.id_gds from mnf_proc_tech.proc_tech pt where pt.id_inventory_items = ii.id order by pt.id "
      u"limit 1) as id_gds, "
      u"(select COALESCE(sum(distinct s.count-s.reserve),0) from stk_stocks.stock s, mnf_proc_tech.proc_tech "
      u"pt where s.id_ii = pt.id_gds and pt.id_inventory_items = ii.id) as stk_gds, "
      u"(select coalesce(sum(distinct s.count-s.reserve),0) from stk_stocks.stock s where s.id_ii = "
      u"as1.id_ral) as stk_ral "
      u"from mnf_app.app_spec as1 join cmn_inventory_items.inventory_items ii on ii.id = as1.id_ii "
      u"where as1.id = :id_app_spec");
  OpenWith(line.get(), {{u"id_app_spec", specId}});
  if (line->IsEmpty()) {
    ErrorBox(u"Техпроцесс не найден!");
    return false;
  }
  issue = TExcessIssue();
  issue.SpecId = specId;
  issue.Surplus = surplus;
  issue.Product = CurrentInt(line.get(), u"id_ii");
  issue.Doc = CurrentInt(line.get(), u"id_app_doc");
  issue.Paint = CurrentInt(line.get(), u"id_ral");
  issue.Blank = CurrentInt(line.get(), u"id_gds");
  issue.BlankPerPiece = CurrentFloat(line.get(), u"massa_1gds");
  issue.PaintPerPiece = CurrentFloat(line.get(), u"ral_cons");
  issue.FreeBlanks = CurrentFloat(line.get(), u"stk_gds");
  issue.FreePaint = CurrentFloat(line.get(), u"stk_ral");
  issue.Price = line->FieldByName(u"price")->GetValue();
  issue.CostPrice = line->FieldByName(u"cost_price")->GetValue();
  const bool noProcess = line->FieldByName(u"id_gds")->GetIsNull();
  line->Close();
  // The reservation's refusals first, then the issue form's.
  const char16_t* refusal = nullptr;
  if (issue.FreeBlanks <= 0)
    refusal = u"Заготовок на складе недостаточно!";
  else if (issue.Blanks() == 0)
    refusal = u"Потребность ТМЦ не может быть 0";
  else if (issue.PaintNeed() == 0 && issue.Paint != 0)
    refusal = u"Потребность краски не может быть 0";
  else if (RoundTo(issue.Blanks() - issue.FreeBlanks, -4) > 0)
    refusal = u"Заготовок на складе недостаточно!";
  else if (issue.Paint != 0 && RoundTo(issue.PaintNeed() - issue.FreePaint, -4) > 0)
    refusal = u"Краски на складе недостаточно!";
  else if (noProcess)
    refusal = u"Техпроцесс не найден!";
  if (refusal) {
    ErrorBox(refusal);
    return false;
  }
  return true;
}

int WriteExcessIssue(const TExcessIssue& issue) {
  TADOConnection* db = DataModule6->ADO_DB;
  TADOCommand* cmd = DataModule6->cmd_all;
  const int target =
      QueryValue(db,
                 u"select mnf_app.ins_app_spec(:ii, :q, :doc, :ral, :gds, :price, :cost, 1) as "
                 u"ins_app_spec",
                 {{u"ii", issue.Product},
                  {u"q", DecimalOf(issue.Surplus)},
                  {u"doc", issue.Doc},
                  {u"ral", issue.Paint},
                  {u"gds", issue.Blank},
                  {u"price", issue.Price},
                  {u"cost", issue.CostPrice}})
          .AsInteger();
  // An item's stock price in the chosen warehouse.
  auto stockPrice = [&](int item, int stock) {
    const Variant v =
        QueryValue(db, u"select s.price from stk_stocks.stock s where s.id_ii=:ii and s.id_stock=:st",
                   {{u"ii", item}, {u"st", stock}});
    return v.IsNull() ? Variant(0) : v;
  };
  auto issueLine = [&](int item, double qty, int stock) {
    RunStatement(cmd,
                 u"INSERT INTO stk_stocks.spec_out(id_gds, id_stock_out, cnt_gds, price, d_datetime, accept, "
                 u"id_app_doc, id_app_spec, id_stock) VALUES(:item, 0, :q, :price, now()::t_datetime, true, "
                 u":doc, :spec, :stock)",
                 {{u"item", item},
                  {u"q", DecimalOf(qty)},
                  {u"price", stockPrice(item, stock)},
                  {u"doc", issue.Doc},
                  {u"spec", target},
                  {u"stock", stock}});
    RunStatement(cmd, u"UPDATE stk_stocks.stock SET reserve=reserve+:q WHERE id_ii=:item AND id_stock=:stock",
                 {{u"q", DecimalOf(qty)}, {u"item", item}, {u"stock", stock}});
  };
  issueLine(issue.Blank, issue.Blanks(), issue.BlankStock);
  if (issue.Paint > 0) issueLine(issue.Paint, issue.PaintNeed(), issue.PaintStock);
  // Taken at once, in production; its material price is what its blanks and paint cost.
  RunStatement(cmd,
               u"UPDATE mnf_app.app_spec SET accept=true, state=2, gds_price=(select "
               u"coalesce(sum((so.price*so.cnt_gds)::t_money),0) from stk_stocks.spec_out so where "
               u"so.id_app_spec=:id) WHERE id=:id",
               {{u"id", target}});
  return target;
}
