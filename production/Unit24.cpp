// The materials dialog of a shift record.
#include "production/Unit24.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/Fields.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/Strings.h"
#include "production/Unit11.h"

TForm24* Form24 = nullptr;

namespace {

bool AskCap(const String& text) {
  return Application->MessageBox(text, u"Запрос", MB_YESNO | MB_ICONWARNING) == IDYES;
}

}  // namespace

TForm24::TForm24(TComponent* owner) : TForm(owner) {}

void TForm24::Published(TPropBuilder<TForm24>& p) {
  p.Method(u"FormCreate", &TForm24::FormCreate);
  p.Method(u"FormActivate", &TForm24::FormActivate);
  p.Method(u"FormClose", &TForm24::FormClose);
  p.Method(u"LCB_id_gds_useCloseUp", &TForm24::LCB_id_gds_useCloseUp);
  p.Method(u"Button1Click", &TForm24::Button1Click);
  p.Method(u"Edit7KeyPress", &TForm24::Edit7KeyPress);
}

void TForm24::FormCreate(TObject*) {
  BindComponent(this, u"LCB_id_gds_use", LCB_id_gds_use);
  BindComponent(this, u"Edit7", Edit7);
  BindComponent(this, u"DBText1", DBText1);
  BindComponent(this, u"DBText2", DBText2);
  BindComponent(this, u"Button1", Button1);
  BindComponent(this, u"Button2", Button2);
  BindComponent(this, u"v_cmn_gds_in", v_cmn_gds_in);
  BindComponent(this, u"v_id_cons_use", v_id_cons_use);
  BindComponent(this, u"v_id_cons_use1", v_id_cons_use1);
  BindComponent(this, u"operation", operation);
  BindComponent(this, u"sum_smena_gds_use", sum_smena_gds_use);
  if (DataModule6)
    for (TADOQuery* q : {v_cmn_gds_in, v_id_cons_use, v_id_cons_use1, operation, sum_smena_gds_use})
      q->SetConnection(DataModule6->ADO_DB);
  AccountingFormSetUp(this, 24);
}

void TForm24::ShowFor(int recordId, int itemId, const String& quantity) {
  ShiftRecordId = recordId;
  ItemId = itemId;
  RecordQuantity = quantity;
  OpenWith(v_cmn_gds_in, {{u"id_smena", recordId}});
  ShowModal();
  SetLookupKey(LCB_id_gds_use, 0);
  Edit7->SetText(u"0");
}

void TForm24::FormActivate(TObject*) {
  for (TADOQuery* q : {v_id_cons_use, v_id_cons_use1}) OpenWith(q, {{u"id_smena", -1}, {u"id_gds", 0}});
}

void TForm24::FormClose(TObject*, TCloseAction&) {
  for (TADOQuery* q : {v_cmn_gds_in, v_id_cons_use, v_id_cons_use1}) q->Close();
}

void TForm24::ReadUsed() {
  OpenWith(sum_smena_gds_use, {{u"id_smena", ShiftRecordId}, {u"id_gds_use", MaterialId}});
  UsedQty = CurrentFloat(sum_smena_gds_use, u"sum_qty_use");
}

void TForm24::LCB_id_gds_useCloseUp(TObject*) {
  for (TADOQuery* q : {v_id_cons_use, v_id_cons_use1, operation}) q->Close();
  MaterialId = LookupKey(LCB_id_gds_use);
  if (MaterialId != 0 && v_cmn_gds_in->Locate(u"id", Variant(MaterialId), {})) {
    // A paint is used per unit of the product as its paint consumption; any other material as the
    // operation that makes the product from it says.
    const bool paint = IntField(v_cmn_gds_in, u"b_is_color") == 1;
    operation->GetSQL()->SetText(
        paint ? u"select gds_attr.f_color_qty as f_qty_from from cmn_gds_and_srv.gds_attr gds_attr where "
                u"gds_attr.id = :item"
              : u"select f_qty_from from mnf_operation.operation where id_gds_to = :item and id_gds_from = "
                u":material");
  }
  OpenWith(operation, {{u"item", ItemId}, {u"material", MaterialId}});
  OpenWith(v_id_cons_use, {{u"id_smena", ShiftRecordId}, {u"id_gds", MaterialId}});
  OpenWith(v_id_cons_use1, {{u"id_smena", ShiftRecordId}, {u"id_gds", MaterialId}});
  ReadUsed();
  NormQty = RoundHalfEven(CurrentFloat(operation, u"f_qty_from") * TypedNumber(RecordQuantity), 4);
  Edit7->SetText(NormQty > 0 ? FloatToStr(RoundHalfEven(NormQty - UsedQty, 3)) : String(u"0"));
}

void TForm24::Button1Click(TObject*) {
  ReadUsed();
  const double available =
      CurrentFloat(v_id_cons_use, u"f_qty_free") + CurrentFloat(v_id_cons_use1, u"f_qty_free");
  if (LCB_id_gds_use->GetText().empty()) {
    ErrorBox(u"Все поля должны быть заполнены!");
    return;
  }
  double q = Trim(Edit7->GetText()).empty() ? 0 : TypedNumber(Edit7->GetText());
  // Over the norm: the rest of the norm, never below 0.
  if (RoundHalfEven(UsedQty + q - NormQty, 4) > 0) {
    if (!(RoundHalfEven(q, 4) > 0) ||
        !AskCap(u"Расход ТМЦ не может быть больше партии! Расходовать весь остаток по партии?"))
      return;
    q = std::max(0.0, RoundHalfEven(NormQty - UsedQty, 4));
  }
  // Over what is left in stock for the record.
  if (RoundHalfEven(q, 3) > RoundHalfEven(available, 3)) {
    if (!(RoundHalfEven(q, 3) > 0) ||
        !AskCap(u"Расход ТМЦ не может быть больше остатка по партии! Расходовать весь остаток по партии?"))
      return;
    q = std::max(0.0, RoundHalfEven(available, 3));
  }
  if (LCB_id_gds_use->GetKeyValue().IsNull()) return;
  if (q <= 0) {
    ErrorBox(u"Расход ТМЦ не может быть 0!");
    return;
  }
  RunStatement(
      DataModule6->cmd_all,
      u"insert into accounts_dep.smena_gds_use (id_smena, id_gds_use, f_qty_use) values (:s, :g, :q)",
      {{u"s", ShiftRecordId}, {u"g", MaterialId}, {u"q", DecimalValue(FloatToStrF(q, ffFixed, 18, 4))}});
  Close();
}

void TForm24::Edit7KeyPress(TObject*, Char& Key) {
  if (!(Key >= u'0' && Key <= u'9') && Key != 8 && Key != u',' && Key != u'.') Key = 0;
}
