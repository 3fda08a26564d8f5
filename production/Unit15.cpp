// The printed monthly timesheet.
#include "production/Unit15.h"

#include "app/FormSetUp.h"
#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "platform/ado/ADODB.h"
#include "reportlib/engine/RezavOze.h"
#include "reportlib/engine/controls/QRDataTexts.h"
#include "reportlib/engine/controls/QRLabels.h"

TForm15::TForm15(TComponent* owner) : TForm(owner) {}

void TForm15::Published(TPropBuilder<TForm15>& p) { p.Method(u"FormCreate", &TForm15::FormCreate); }

void TForm15::FormCreate(TObject*) {
  BindComponent(this, u"H_Tabel", H_Tabel);
  BindComponent(this, u"RezavOze1", RezavOze1);
  BindComponent(this, u"QRLabel33", QRLabel33);
  if (DataModule6) H_Tabel->SetConnection(DataModule6->ADO_DB);
  AccountingFormSetUp(this, 15);
}

TForm15* ReportForm15() {
  // Found by name, so a form freed with the others is made anew.
  auto* form = dynamic_cast<TForm15*>(Application->FindComponent(u"Form15"));
  if (!form) {
    InitializeReportControls();  // the resource's report classes
    Application->CreateForm(form);
  }
  return form;
}
