// The progress window of printing, the dataset list of the expression editors, and the start-up of
// the report library.
#include "reportlib/engine/QRUtils.h"

#include "platform/classes/StringList.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/Strings.h"
#include "reportlib/engine/QRControllers.h"
#include "reportlib/engine/RezavOze.h"

TQRProgressForm::TQRProgressForm(TComponent* owner) : TForm(owner, 0) {
  SetCaption(u"Printing progress");
  SetBorderStyle(bsDialog);
  SetFormStyle(fsStayOnTop);
  SetPosition(poScreenCenter);
  SetClientWidth(149);
  SetClientHeight(97);
  Info = new TLabel(this);
  Info->SetParent(this);
  Info->SetAlignment(taCenter);
  Info->SetAutoSize(false);
  Info->SetBounds(0, 44, 145, 16);
  CancelButton = new TButton(this);
  CancelButton->SetParent(this);
  CancelButton->SetCaption(u"Cancel");
  CancelButton->SetBounds(36, 68, 75, 25);
  CancelButton->OnClick = TNotifyEvent(this, &TQRProgressForm::CancelButtonClick);
  Gauge = new TProgressBar(this);
  Gauge->SetParent(this);
  Gauge->SetBounds(16, 18, 114, 16);
  Gauge->SetMax(100);
}

void TQRProgressForm::UpdateProgress() {
  if (!qrPrinter_) return;
  const Integer progress = qrPrinter_->GetProgress();
  if (progress % 5 != 0) return;
  Gauge->SetPosition(progress);
  Info->SetCaption(IntToStr(progress) + u"% " + u" Completed");
}

void TQRProgressForm::CancelButtonClick(TObject*) {
  if (!qrPrinter_) return;
  if (auto* report = dynamic_cast<TCustomRezavOze*>(qrPrinter_->GetParentReport())) report->UserCancel = true;
  qrPrinter_->Cancel();
}

void TQRProgressForm::WndProc(TMessage& message) {
  if (message.Msg == QRM_PROGRESS) {
    UpdateProgress();
    return;
  }
  TForm::WndProc(message);
}

namespace {

void AddDataSets(TComponent* owner, TStringList* list) {
  for (int i = 0; i < owner->GetComponentCount(); ++i) {
    TComponent* c = owner->GetComponent(i);
    if (auto* ds = dynamic_cast<TDataSet*>(c))
      list->AddObject(ds->GetName(), ds);
    else if (dynamic_cast<TWinControl*>(c))
      AddDataSets(c, list);
  }
}

}  // namespace

TStringList* GetDataSetList(TComponent* form, bool includeDataModules) {
  auto* list = new TStringList();
  if (form) AddDataSets(form, list);
  if (includeDataModules && Screen)
    for (Integer i = 0; i < Screen->GetDataModuleCount(); ++i) AddDataSets(Screen->GetDataModule(i), list);
  return list;
}

void InitializeReportEngine() {
  static const bool done = [] {
    RegisterClasses({TRezavOze::StaticClass(), TQRBand::StaticClass(), TQRGroup::StaticClass(),
                     TQRSubDetail::StaticClass(), TQRChildBand::StaticClass()});
    // The desktops this program runs on show more than 256 colours.
    ChooseQRDesignScheme(-1);
    return true;
  }();
  (void)done;
}
