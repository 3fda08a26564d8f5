// Print dialog: runs the platform's print dialog on the chosen printer and reads the printer's
// device mode back into the dialog's results.
#include "reportlib/output/QRPrintDialog.h"

#include "platform/rtl/ScopeGuard.h"

void TQRPrintDialog::SetCopies(Integer v) {
  copies_ = v;
  GetPrinter()->SetCopies(v);
}

bool TQRPrintDialog::Execute() {
  TPrinter* printer = GetPrinter();
  // The platform's dialog works on the process-wide printer: ours stands in for the moment.
  TPrinter* previous = ::SetPrinter(printer);
  auto restore = MakeScopeExit([previous] { ::SetPrinter(previous); });
  String device, driver, port;
  TDeviceMode before;
  printer->GetPrinter(device, driver, port, before);

  TPrintDialog dialog(nullptr);
  dialog.AssignPageChoices(*this);
  dialog.SetCollate(collate_ != 0);
  dialog.SetCopies(printer->GetCopies());
  if (OnShow) OnShow(this);
  auto closed = MakeScopeExit([this] {
    if (OnClose) OnClose(this);
  });
  if (!dialog.Execute()) {
    // Cancelled: the printer keeps its device and settings.
    printer->SetDeviceMode(before);
    return false;
  }
  AssignPageChoices(dialog);
  // One copy in the dialog keeps the number the printer already had.
  copies_ = dialog.GetCopies() == 1 ? before.dmCopies : dialog.GetCopies();
  printer->SetCopies(copies_);
  const TDeviceMode& mode = printer->GetDeviceMode();
  outputBin_ = mode.dmDefaultSource;
  paperSize_ = mode.dmPaperSize;
  paperWidth_ = mode.dmPaperWidth;
  paperLength_ = mode.dmPaperLength;
  orientation_ = static_cast<SmallInt>(mode.dmOrientation);
  printQuality_ = mode.dmPrintQuality;
  colorOption_ = mode.dmColor;
  duplexCode_ = mode.dmDuplex;
  duplex_ = mode.dmDuplex != DMDUP_SIMPLEX;
  collate_ = mode.dmCollate;
  return true;
}
