// The generation run of a report: begin the printer's document, run the controller, and the page
// and column flow (new page, new column, end of page, space left) with the page numbering constants.
#include <cmath>

#include "platform/classes/Lists.h"
#include "platform/data/DataSet.h"
#include "platform/graphics/Colors.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"
#include "reportlib/engine/QRControllers.h"
#include "reportlib/engine/QRPrintable.h"
#include "reportlib/engine/RezavOze.h"

namespace {

// Every TDataSet owned by owner, recursing into the components of owned windowed controls.
void AddOwnedDataSets(TComponent* owner, TList* list) {
  for (int i = 0; i < owner->GetComponentCount(); ++i) {
    TComponent* c = owner->GetComponent(i);
    if (auto* ds = dynamic_cast<TDataSet*>(c)) {
      if (list->IndexOf(ds) < 0) list->Add(ds);
    } else if (dynamic_cast<TWinControl*>(c)) {
      AddOwnedDataSets(c, list);
    }
  }
}

}  // namespace

TQRRunGlobals& QRRunGlobals() {
  thread_local TQRRunGlobals globals;
  return globals;
}

Extended TCustomRezavOze::PaperLength() const {
  TQRPrinter* printer = qrPrinter_.get();
  return page_->GetOrientation() == poLandscape ? printer->GetPaperWidth() : printer->GetPaperLength();
}

void TCustomRezavOze::ApplyPrinterSettings() {
  TQRPrinter* printer = qrPrinter_.get();
  TQRPrinterSettings* s = printerSettings_.get();
  printer->SetPrinterIndex(s->PrinterIndex);
  printer->SetPaperSize(page_->GetPaperSize());
  printer->SetOrientation(page_->GetOrientation());
  // The printer always knows the page's own measures, so that the run and the printer agree on
  // the paper whatever size the paper table gives.
  Integer w = QRRound(page_->GetRaw(3)), l = QRRound(page_->GetRaw(1));
  if (page_->GetOrientation() == poLandscape) std::swap(w, l);
  printer->SetPaperWidth(w);
  printer->SetPaperLength(l);
  printer->SetCopies(s->Copies);
  printer->SetOutputBin(s->OutputBin);
  printer->SetFirstPage(s->FirstPage);
  printer->SetLastPage(s->LastPage);
  printer->SetDuplex(s->Duplex);
  printer->SetPrintMetafile(s->PrintMetafile);
  printer->SetUseCustomBinCode(s->UseCustomBinCode);
  printer->SetCustomBinCode(s->CustomBinCode);
  printer->SetUseCustomPaperCode(s->UseCustomPaperCode);
  printer->SetCustomPaperCode(s->CustomPaperCode);
  printer->SetPrintQuality(s->PrintQuality);
  printer->SetCollate(s->Collate);
  printer->SetColorOption(s->ColorOption);
  printer->SetExtendedDuplex(s->ExtendedDuplex);
}

void TCustomRezavOze::ResetPageFooterSize() {
  pageFooterSize_ = 0;
  for (TQRCustomBand* band : bandList_) {
    if (band->GetBandType() != rbPageFooter || band->GetParent() != this || !band->GetEnabled()) continue;
    pageFooterSize_ += band->GetSize()->GetRaw(0);
    for (TQRCustomBand* child = band->GetChildBand(); child; child = child->GetChildBand())
      if (child->GetEnabled()) pageFooterSize_ += child->GetSize()->GetRaw(0);
  }
}

Integer TCustomRezavOze::AvailableSpace() const {
  if (available_ || currentY_ == -1 || !qrPrinter_) return 0;
  // A streaming filter has no page breaks of its own.
  if (exporting_ && exportFilter_->GetStreaming()) return QRRound(PaperLength());
  return QRRound(PaperLength() - page_->GetRaw(0) - pageFooterSize_ - currentY_);
}

void TCustomRezavOze::CollectDataSets() {
  allDataSets_ = std::make_unique<TList>();
  TComponent* root = nullptr;
  for (TWinControl* p = GetParent(); p; p = p->GetParent())
    if (dynamic_cast<TCustomForm*>(p)) {
      root = p;
      break;
    }
  // A report form is never shown, so its report has no parent: its owner is the form.
  if (!root) root = GetOwner();
  if (root) AddOwnedDataSets(root, allDataSets_.get());
}

void TCustomRezavOze::ForEachPrintable(const std::function<void(TQRPrintable*)>& f) const {
  std::function<void(const TWinControl*)> walk = [&](const TWinControl* parent) {
    for (Integer i = 0; i < parent->GetControlCount(); ++i) {
      TControl* c = parent->GetControl(i);
      if (auto* p = dynamic_cast<TQRPrintable*>(c))
        f(p);
      else if (auto* w = dynamic_cast<TWinControl*>(c))
        walk(w);
    }
  };
  walk(this);
}

void TCustomRezavOze::CreateReport(bool Continuation) {
  if (!available_) return;
  available_ = false;
  cancelled_ = false;
  lastPage_ = false;
  auto restore = MakeScopeExit([&] {
    allDataSets_.reset();
    backgroundControl_ = nullptr;
    available_ = true;
  });
  // The margins give way when they leave no room.
  if (page_->GetRaw(3) - page_->GetRaw(4) - page_->GetRaw(5) < 0) page_->SetRaw(4, 0), page_->SetRaw(5, 0);
  if (page_->GetRaw(1) - page_->GetRaw(2) - page_->GetRaw(0) < 0) page_->SetRaw(2, 0), page_->SetRaw(0, 0);
  CollectDataSets();
  for (Integer i = 0; i < GetControlCount(); ++i)
    if (GetControl(i)->GetName() == backImageControl_ && !backImageControl_.empty())
      backgroundControl_ = dynamic_cast<TQRPrintable*>(GetControl(i));
  bool printReport = true;
  if (BeforePrint) BeforePrint(this, printReport);
  if (!printReport) return;
  RunBody(Continuation);
}

void TCustomRezavOze::CountPages() {
  TQRPrinter* printer = qrPrinter_.get();
  const TQRPrinterDestination destination = printer->GetDestination();
  const bool finalPass = finalPass_;
  // The counting pass is not shown to an export filter: it gets the counted run only.
  TQRExportFilter* filter = exportFilter_;
  finalPass_ = false;
  exportFilter_ = nullptr;
  exporting_ = false;
  printer->SetDestination(qrdMetafile);
  auto restore = MakeScopeExit([&] {
    finalPass_ = finalPass;
    exportFilter_ = filter;
    exporting_ = filter != nullptr;
    printer->SetDestination(destination);
  });
  RunSteps(false);
  totalPages_ = pageCount_;
  printer->AbortDoc();
  printer->Cleanup();
}

void TCustomRezavOze::RunBody(bool Continuation) {
  TQRPrinter* printer = qrPrinter_.get();
  totalPages_ = 0;
  bool needsCount = false;
  ForEachPrintable([&](TQRPrintable* p) { needsCount = needsCount || p->NeedsPageCount(); });
  try {
    if (needsCount && !Continuation && (finalPass_ || exporting_)) CountPages();
    if (cancelled_) {
      printer->AbortDoc();
      return;
    }
    RunSteps(Continuation);
  } catch (...) {
    // The document ends however the run ends; the run's own error is the one the caller sees.
    try {
      printer->AbortDoc();
    } catch (const Exception&) {
    }
    throw;
  }
  if (cancelled_)
    printer->AbortDoc();
  else if (!Continuation)
    finalPass_ ? printer->EndDoc() : printer->AbortDoc();
}

void TCustomRezavOze::RunSteps(bool Continuation) {
  TQRPrinter* printer = qrPrinter_.get();
  bool prepared = false;
  auto unprepare = MakeScopeExit([&] {
    page_->SetUnits(savedUnits_);
    if (!prepared) return;
    ForEachPrintable([](TQRPrintable* p) { p->Unprepare(); });
    controller_->Unprepare();
    environment_->Unprepare();
    QRGlobalEnvironment()->Unprepare();
  });
  savedUnits_ = page_->GetUnits();
  page_->SetUnits(Native);
  if (Continuation) {
    page_->SetPaperSize(printer->GetPaperSize());
  } else {
    ApplyPrinterSettings();
    printer->SetTitle(reportTitle_);
    printer->SetCompression(options_.Contains(Compression));
    printer->BeginDoc();
    currentY_ = -1;
    pageCount_ = 0;
  }
  currentColumn_ = page_->GetColumns();
  if (exporting_ && !exportFilter_->GetActive())
    exportFilter_->Start(QRRound(page_->GetRaw(3)), QRRound(page_->GetRaw(1)), GetFont());
  ResetPageFooterSize();
  for (TQRCustomBand* band : bandList_) band->SetParentReport(this);
  for (Integer i = 0; i < GetControlCount(); ++i)
    if (auto* p = dynamic_cast<TQRPrintable*>(GetControl(i))) p->SetParentReport(this);
  currentX_ = QRRound(page_->GetRaw(4));
  controller_->SetParentReport(this);
  controller_->Collect();
  QRGlobalEnvironment()->Prepare();
  environment_->SetDataSets(allDataSets_.get());
  environment_->Prepare();
  prepared = true;
  evPageNumber_ = environment_->GetConstant(u"PAGENUMBER");
  evColumnNumber_ = environment_->GetConstant(u"COLUMNNUMBER");
  evReportTitle_ = environment_->GetConstant(u"REPORTTITLE");
  environment_->SetStringConstant(evReportTitle_, reportTitle_);
  controller_->Prepare();
  ForEachPrintable([](TQRPrintable* p) { p->Prepare(); });
  QRRunGlobals().CompositeContinuation = Continuation;
  RunController();
  if (!Continuation) {
    currentX_ = QRRound(page_->GetRaw(4));
    lastPage_ = true;
    if (!cancelled_) EndPage();
    if (exporting_) exportFilter_->Finish();
  } else if (GetTag() == 999) {
    lastPage_ = true;
    EndPage();
    if (exporting_) exportFilter_->Finish();
  }
}

void TCustomRezavOze::RunController() {
  if (controller_) controller_->Execute();
}

void TCustomRezavOze::PrintBand(TQRCustomBand* Band) {
  if (!Band) return;
  if (Band->GetAlignToBottom()) {
    if (Band->GetBandType() == rbSummary && !options_.Contains(LastPageFooter)) pageFooterSize_ = 0;
    const Integer need = QRRound(Band->GetSize()->GetRaw(0) + page_->GetRaw(0) + pageFooterSize_);
    const Integer paper = QRRound(PaperLength());
    if (paper - currentY_ >= need)
      currentY_ = paper - QRRound(Band->GetSize()->GetRaw(0)) - QRRound(page_->GetRaw(0) + pageFooterSize_);
  }
  Band->Print();
}

void TCustomRezavOze::NewPage(bool printHeaders) {
  TQRPrinter* printer = qrPrinter_.get();
  EndPage();
  if (UsePreviewLinks) currLinkPage_ = std::make_unique<TQRLinkPage>();
  ++pageCount_;
  if (exporting_) exportFilter_->NewPage();
  TQRRunGlobals& g = QRRunGlobals();
  ++g.PagesStarted;
  environment_->SetIntegerConstant(evPageNumber_, pageCount_);
  if (finalPass_ || pageCount_ == 1) printer->NewPage();
  if (!printer->GetIsPrinting() && printer->GetDestination() == qrdPrinter) {
    const Integer first = printer->GetFirstPage(), last = printer->GetLastPage();
    const bool inRange = first == 0 || last == 0 || (first <= pageCount_ && pageCount_ <= last);
    if (inRange) {
      printer->Cancel();
      Cancel();
      return;
    }
  }
  currentY_ = QRRound(page_->GetRaw(2));
  if (OnStartPage) OnStartPage(this);
  TCanvas* canvas = printer->GetCanvas();
  if (backgroundColor_ != clWhite && canvas) {
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(backgroundColor_);
    canvas->FillRect(TRect(0, 0, QRRound(page_->GetRaw(3) * printer->GetXFactor()),
                           QRRound(page_->GetRaw(1) * printer->GetYFactor())));
  }
  if (backgroundControl_) backgroundControl_->Print(0, 0);
  if (pageCount_ > 1 || options_.Contains(FirstPageHeader)) PrintBand(bands_->PageHeaderBand());
  columnTopPosition_ = currentY_;
  currentColumn_ = 1;
  if (pageCount_ == 1)
    if (TQRCustomBand* title = bands_->TitleBand())
      columnTopPosition_ += QRRound(title->GetSize()->GetRaw(0));
  if (pageCount_ > 1 && printHeaders) PrintColumnHeaders();
}

void TCustomRezavOze::RepeatHeader(TQRCustomBand* band) {
  const TQRBandType type = band->GetBandType();
  band->SetBandType(rbColumnHeader);
  auto restore = MakeScopeExit([&] { band->SetBandType(type); });
  PrintBand(band);
  band->SetPrintedInHeader(true);
}

void TCustomRezavOze::PrintColumnHeaders() {
  if (!controller_) return;
  const std::vector<TQRCustomBand*> headers = controller_->GetColHeaders();
  for (TQRCustomBand* band : headers) RepeatHeader(band);
}

void TCustomRezavOze::NewColumn() {
  const Integer columns = page_->GetColumns();
  if (currentColumn_ == columns) {
    currentColumn_ = 1;
    currentX_ = QRRound(page_->GetRaw(4));
    NewPage(false);
  } else {
    Integer width = 0;
    if (TQRCustomBand* detail = bands_->DetailBand())
      width = QRRound(detail->GetSize()->GetRaw(1));
    else
      width = (QRRound(page_->GetRaw(3) - (page_->GetRaw(4) + page_->GetRaw(5))) -
               QRRound(page_->GetRaw(6)) * (columns - 1)) /
              columns;
    currentX_ += QRRound(page_->GetRaw(6)) + width;
    currentY_ = columnTopPosition_;
    ++currentColumn_;
  }
  environment_->SetIntegerConstant(evColumnNumber_, currentColumn_);
  if (!(currentColumn_ == 1 && pageCount_ == 1)) PrintColumnHeaders();
}

void TCustomRezavOze::EndPage() {
  TQRPrinter* printer = qrPrinter_.get();
  if (pageCount_ > 0) {
    currentY_ = QRRound(page_->GetRaw(1) - page_->GetRaw(0) - pageFooterSize_);
    currentX_ = QRRound(page_->GetRaw(4));
    if (!(lastPage_ && !options_.Contains(LastPageFooter))) PrintBand(bands_->PageFooterBand());
    for (Integer i = 0; i < GetControlCount(); ++i)
      if (auto* p = dynamic_cast<TQRPrintable*>(GetControl(i)); p && p != backgroundControl_) p->Print(0, 0);
    if ((finalPass_ || exporting_) && frame_->AnyFrame() && printer->GetCanvas()) {
      const TRect r(printer->XPos(page_->GetRaw(4)), printer->YPos(page_->GetRaw(2)),
                    printer->XPos(page_->GetRaw(3) - page_->GetRaw(5)),
                    printer->YPos(page_->GetRaw(1) - page_->GetRaw(0)));
      frame_->PaintIt(printer->GetCanvas(), r, printer->GetXFactor(), printer->GetYFactor());
    }
    if (OnEndPage) OnEndPage(this);
  }
  if (UsePreviewLinks && currLinkPage_) pageLinkInfoList_->addPageRec(std::move(currLinkPage_));
  if (exporting_) exportFilter_->EndPage();
}

void TCustomRezavOze::ProcessRunMessages() {
  if (!IsMainThread() || !Application) return;
  const UInt64 now = GetTickCount64();
  if (now - lastMessagesTick_ < 50) return;
  lastMessagesTick_ = now;
  Application->ProcessMessages();
}
