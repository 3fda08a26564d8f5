// The printing dialogs: the dialog hook first, Qt's dialogs otherwise; choices go to Printer().
#include "platform/printing/PrintDialogs.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <cmath>

#include "platform/controls/Dialogs.h"
#include "platform/printing/Printers.h"

namespace {

Int64 OptionBits(TPrintDialogOptions o) { return static_cast<Int64>(o.Bits()); }

// A QPrinter set up like the process-wide printer, for Qt's dialogs.
void Configure(QPrinter& q) {
  TPrinter* p = Printer();
  if (!p->IsPdfPrinter())
    q.setPrinterName(QString::fromStdU16String(p->GetPrinters()->Get(p->GetPrinterIndex())));
  else
    q.setOutputFormat(QPrinter::PdfFormat);
  q.setPageOrientation(p->GetOrientation() == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  q.setCopyCount(p->GetCopies());
}

// Takes back what the user chose in Qt's dialog.
void TakeBack(const QPrinter& q) {
  TPrinter* p = Printer();
  TStrings* names = p->GetPrinters();
  const String chosen = q.printerName().toStdU16String();
  for (Integer i = 0; i < names->GetCount(); ++i)
    if (names->Get(i) == chosen && i != p->GetPrinterIndex() && !p->IsPdfPrinter()) p->SetPrinterIndex(i);
  TDeviceMode mode = p->GetDeviceMode();
  mode.dmOrientation =
      q.pageLayout().orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  mode.dmCopies = static_cast<SmallInt>(std::max(1, q.copyCount()));
  mode.dmCollate = q.collateCopies() ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
  const QSizeF mm = q.pageLayout().pageSize().size(QPageSize::Millimeter);
  mode.dmPaperSize = DMPAPER_CUSTOM;
  for (Word code = 1; code <= DMPAPER_LAST; ++code) {
    double w, h;
    if (PaperSizeMM(code, w, h) && std::fabs(w - mm.width()) < 1 && std::fabs(h - mm.height()) < 1) {
      mode.dmPaperSize = code;
      break;
    }
  }
  mode.dmPaperWidth = static_cast<SmallInt>(std::lround(mm.width() * 10));
  mode.dmPaperLength = static_cast<SmallInt>(std::lround(mm.height() * 10));
  p->SetDeviceMode(mode);
}

}  // namespace

bool TPrintDialog::Execute() {
  TDialogRequest request;
  request.Kind = dkPrint;
  request.Caption = u"Печать";
  request.Flags = OptionBits(options_);
  request.FromPage = fromPage_;
  request.ToPage = toPage_;
  request.MinPage = minPage_;
  request.MaxPage = maxPage_;
  request.Copies = copies_ > 0 ? copies_ : Printer()->GetCopies();
  if (std::optional<TDialogAnswer> answer = AskDialogHook(request)) {
    if (answer->Result == 0) return false;
    if (answer->FromPage || answer->ToPage) {
      fromPage_ = answer->FromPage.value_or(fromPage_);
      toPage_ = answer->ToPage.value_or(toPage_);
      range_ = prPageNums;
    }
    if (answer->Copies) {
      copies_ = *answer->Copies;
      Printer()->SetCopies(copies_);
    }
    return true;
  }
  QPrinter q;
  Configure(q);
  QPrintDialog dialog(&q);
  if (maxPage_ > 0) dialog.setMinMax(minPage_, maxPage_);
  if (options_.Contains(poPageNums)) dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  if (options_.Contains(poSelection)) dialog.setOption(QAbstractPrintDialog::PrintSelection, true);
  if (dialog.exec() != QDialog::Accepted) return false;
  TakeBack(q);
  switch (dialog.printRange()) {
    case QAbstractPrintDialog::PageRange:
      range_ = prPageNums;
      fromPage_ = dialog.fromPage();
      toPage_ = dialog.toPage();
      break;
    case QAbstractPrintDialog::Selection:
      range_ = prSelection;
      break;
    default:
      range_ = prAllPages;
  }
  copies_ = q.copyCount();
  collate_ = q.collateCopies();
  return true;
}

bool TPrinterSetupDialog::Execute() {
  TDialogRequest request;
  request.Kind = dkPrinterSetup;
  request.Caption = u"Настройка печати";
  request.Copies = Printer()->GetCopies();
  if (std::optional<TDialogAnswer> answer = AskDialogHook(request)) {
    if (answer->Result == 0) return false;
    if (answer->Copies) Printer()->SetCopies(*answer->Copies);
    return true;
  }
  QPrinter q;
  Configure(q);
  QPrintDialog dialog(&q);
  if (dialog.exec() != QDialog::Accepted) return false;
  TakeBack(q);
  return true;
}

bool TPageSetupDialog::Execute() {
  TDialogRequest request;
  request.Kind = dkPageSetup;
  request.Caption = u"Параметры страницы";
  if (std::optional<TDialogAnswer> answer = AskDialogHook(request)) return answer->Result != 0;
  QPrinter q;
  Configure(q);
  q.setPageMargins(QMarginsF(left_ / 100.0, top_ / 100.0, right_ / 100.0, bottom_ / 100.0),
                   QPageLayout::Millimeter);
  QPageSetupDialog dialog(&q);
  if (dialog.exec() != QDialog::Accepted) return false;
  TakeBack(q);
  const QMarginsF m = q.pageLayout().margins(QPageLayout::Millimeter);
  left_ = static_cast<Integer>(std::lround(m.left() * 100));
  top_ = static_cast<Integer>(std::lround(m.top() * 100));
  right_ = static_cast<Integer>(std::lround(m.right() * 100));
  bottom_ = static_cast<Integer>(std::lround(m.bottom() * 100));
  const QSizeF size = q.pageLayout().fullRect(QPageLayout::Millimeter).size();
  pageWidth_ = static_cast<Integer>(std::lround(size.width() * 100));
  pageHeight_ = static_cast<Integer>(std::lround(size.height() * 100));
  return true;
}
