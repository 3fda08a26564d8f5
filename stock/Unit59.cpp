// The supply-needs list.
#include "stock/Unit59.h"

#include <cmath>

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"

TForm59* Form59 = nullptr;

bool SupplyNeedColours(double toBuy, TColor& background, TColor& font) {
  // The default rounding mode rounds a half to the even neighbour.
  const double rounded = std::nearbyint(toBuy);
  if (rounded > 0) {
    background = static_cast<TColor>(15658751);
    font = static_cast<TColor>(128);
    return true;
  }
  if (rounded < 0) {
    background = static_cast<TColor>(15663086);
    font = static_cast<TColor>(32768);
    return true;
  }
  return false;
}

TForm59::TForm59(TComponent* owner) : TForm(owner) {}

void TForm59::Published(TPropBuilder<TForm59>& p) {
  p.Method(u"FormCreate", &TForm59::FormCreate);
  p.Method(u"DBGridEh1GetCellParams", &TForm59::DBGridEh1GetCellParams);
}

void TForm59::FormCreate(TObject*) {
  BindComponent(this, u"DBGridEh1", DBGridEh1);
  BindComponent(this, u"DataSource1", DataSource1);
  BindComponent(this, u"gds_needed", gds_needed);
  BindComponent(this, u"Button1", Button1);
  gds_needed->SetConnection(DataModule6->ADO_DB);
  SetUpDataGrid(DBGridEh1);
  AccountingFormSetUp(this, 59);
}

void TForm59::DBGridEh1GetCellParams(TObject*, TColumnEh*, TFont* AFont, TColor& Background, TGridDrawState) {
  TColor font = AFont->GetColor();
  if (SupplyNeedColours(CurrentFloat(gds_needed, u"gds_need"), Background, font)) AFont->SetColor(font);
}
