// Report printer: the document protocol (begin, new page, end, abort) onto metafiles or the printer,
// the page messages to the preview, printing and saving the stored pages, and loading a saved report
// with a guess of its paper.
#include "reportlib/output/QRPrinter.h"

#include <cmath>

#include "platform/classes/Thread.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/GraphicsApp.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"
#include "reportlib/output/QRError.h"
#include "reportlib/output/QRPreview.h"

namespace {

std::atomic<bool> PrintStoredPages{false};

constexpr Extended DefaultFactor = 0.37795;

Extended ScreenFactor() { return ScreenDpi() / 254.0; }

}  // namespace

bool GetQRPrintStoredPages() { return PrintStoredPages; }
void SetQRPrintStoredPages(bool value) { PrintStoredPages = value; }

TQRPreviewInterfaceFactory QRPreviewInterfaceClass = nullptr;

TQRPrinter::TQRPrinter(TQRReportLink* report) : report_(report) {
  printerOK_ = Printer()->GetPrinters()->GetCount() > 0;
  settings_ = std::make_unique<TPrinterSettings>();
  if (report_) {
    TQRPrinterSettings* stored = report_->GetReportPrinterSettings();
    settings_->SetUseStandardPrinter(stored->UseStandardprinter);
    settings_->SetMemoryLimit(stored->MemoryLimit);
  }
  if (settings_->GetUseStandardPrinter()) {
    printer_ = Printer();
  } else {
    ownPrinter_ = std::make_unique<TPrinter>();
    printer_ = ownPrinter_.get();
  }
  if (printerOK_) {
    settings_->SetPrinter(printer_);
    const Integer systemIndex = Printer()->GetPrinterIndex();
    if (printer_ != Printer() && systemIndex >= 0 && systemIndex < printer_->GetPrinters()->GetCount() &&
        systemIndex != printer_->GetPrinterIndex())
      SetPrinterIndex(systemIndex);
  }
  topWaste_ = settings_->GetTopOffset();
  leftWaste_ = settings_->GetLeftOffset();
  pageList_ = std::make_unique<TQRPageList>();
}

TQRPrinter::~TQRPrinter() {
  if (status_ != mpReady) {
    try {
      Cleanup();
    } catch (const Exception&) {
      // A printer job that cannot be aborted cleanly is gone with the printer anyway.
    }
  }
  if (auto* preview = dynamic_cast<TQRPreview*>(client_)) preview->DetachPrinter(this);
}

void TQRPrinter::Cleanup() {
  if (status_ == mpBusy) Cancel();
  canvas_ = nullptr;
  metafileCanvas_.reset();
  metafile_.reset();
  pageList_->SetStream(nullptr);
  pageList_->Clear();
  status_ = mpReady;
}

// ---- Producing a document ----

void TQRPrinter::BeginDoc() {
  metafile_.reset();
  availablePages_ = 0;
  masterProgressStart_ = masterProgressEnd_ = 0;
  cancelled_ = false;
  if (destination_ == qrdPrinter) settings_->ApplySettings();
  topWaste_ = destination_ == qrdPrinter ? settings_->GetTopOffset() : 0;
  leftWaste_ = destination_ == qrdPrinter ? settings_->GetLeftOffset() : 0;
  if (status_ != mpReady) throw EQRError(u"QRPrinter not ready");
  pageNumber_ = 0;
  pageCount_ = 0;
  status_ = mpBusy;
  if (destination_ == qrdMetafile) {
    pageList_->SetStream(std::make_unique<TQRStream>(settings_->GetMemoryLimit()));
    pageList_->Clear();
    xFactor_ = yFactor_ = ScreenFactor();
  } else {
    xFactor_ = printer_->DeviceCaps(LOGPIXELSX) / 254.0;
    yFactor_ = printer_->DeviceCaps(LOGPIXELSY) / 254.0;
    if (xFactor_ < 0.1) xFactor_ = DefaultFactor;
    if (yFactor_ < 0.1) yFactor_ = DefaultFactor;
  }
}

bool TQRPrinter::InRange() const {
  const Integer page = pageCount_;
  return !((firstPage_ > 0 && page < firstPage_) || (lastPage_ > 0 && page > lastPage_));
}

void TQRPrinter::StorePage() {
  // Freeing the canvas completes the metafile.
  metafileCanvas_.reset();
  canvas_ = nullptr;
  if (metafile_) pageList_->AddPage(metafile_.get());
  metafile_.reset();
}

void TQRPrinter::ClosePage() {
  if (destination_ == qrdMetafile) {
    StorePage();
  } else if (metafile_) {
    // A page outside the range was drawn on scratch and is thrown away.
    metafileCanvas_.reset();
    metafile_.reset();
    canvas_ = nullptr;
  } else {
    EndPrinterPage();
  }
}

void TQRPrinter::NewPage() {
  if (status_ != mpBusy) throw EQRError(u"Illegal call to NewPage");
  if (pageNumber_ > 0) {
    ClosePage();
    SetAvailablePages(availablePages_ + 1);
  }
  ++pageCount_;
  ++pageNumber_;
  if (destination_ == qrdMetafile || !InRange())
    CreateMetafilePage();
  else
    StartPrinterPage();
}

void TQRPrinter::CreateMetafilePage() {
  metafile_ = std::make_unique<TMetafile>();
  xFactor_ = yFactor_ = ScreenFactor();
  const Integer width = XSize(GetPaperWidthValue());
  const Integer height = YSize(GetPaperLengthValue());
  // A report that adjusts to the screen's resolution needs nothing more here: the logical and the
  // physical desktop resolution are the same on this platform.
  metafile_->SetWidth(width);
  metafile_->SetHeight(height);
  metafileCanvas_ = std::make_unique<TMetafileCanvas>(metafile_.get(), nullptr);
  SetGraphicsMode(metafileCanvas_->GetHandle(), GM_ADVANCED);
  canvas_ = metafileCanvas_.get();
}

void TQRPrinter::StartPrinterPage() {
  if (printer_->GetPrinting()) {
    printer_->NewPage();
  } else {
    printer_->SetTitle(title_);
    printer_->BeginDoc();
    isPrinting_ = printer_->GetPrinting();
  }
  canvas_ = printer_->GetCanvas();
  xFactor_ = printer_->DeviceCaps(LOGPIXELSX) / 254.0;
  yFactor_ = printer_->DeviceCaps(LOGPIXELSY) / 254.0;
  if (yFactor_ < 0.1) yFactor_ = 1;
}

void TQRPrinter::EndPrinterPage() {
  // The next page of the job begins when the next page in range opens.
  canvas_ = nullptr;
}

void TQRPrinter::EndDoc() {
  if (status_ != mpBusy) return;
  if (destination_ == qrdMetafile) {
    if (pageCount_ > 0) StorePage();
  } else {
    ClosePage();
    if (printer_->GetPrinting()) printer_->EndDoc();
    isPrinting_ = false;
  }
  status_ = mpFinished;
  SetAvailablePages(availablePages_ + 1);
  // A document ended on a report's worker thread leaves the main thread's messages to it.
  if (Application && IsMainThread()) Application->ProcessMessages();
  if (destination_ == qrdMetafile)
    pageList_->Finish();
  else if (AfterPrint)
    AfterPrint(this);
}

void TQRPrinter::AbortDoc() {
  if (destination_ == qrdPrinter) {
    metafileCanvas_.reset();
    metafile_.reset();
    canvas_ = nullptr;
    if (printer_->GetPrinting()) printer_->Abort();
    isPrinting_ = false;
  } else if (metafile_) {
    metafileCanvas_.reset();
    canvas_ = nullptr;
    if (!(report_ && report_->GetExporting())) pageList_->AddPage(metafile_.get());
    metafile_.reset();
  }
  status_ = mpFinished;
}

void TQRPrinter::AddOutline(Integer level, const String& caption, const TRect& target) {
  if (status_ == mpBusy) pageList_->AddOutline(level, caption, target, pageNumber_);
}

// ---- Coordinates ----

Integer QRRound(Extended v) {
  const double d = static_cast<double>(v);
  if (!(std::fabs(d) < 2e9)) return RoundInt(v);  // out of range: the checked rounding reports it
  return static_cast<Integer>(std::nearbyint(d));
}

Integer TQRPrinter::XPos(Extended value) const { return QRRound((value - leftWaste_) * xFactor_); }
Integer TQRPrinter::YPos(Extended value) const { return QRRound((value - topWaste_) * yFactor_); }
Integer TQRPrinter::XSize(Extended value) const { return QRRound(value * xFactor_); }
Integer TQRPrinter::YSize(Extended value) const { return QRRound(value * yFactor_); }

Integer TQRPrinter::GetPaperWidthValue() const {
  return GetOrientation() == poLandscape ? settings_->GetPaperLength() : settings_->GetPaperWidth();
}
Integer TQRPrinter::GetPaperLengthValue() const {
  return GetOrientation() == poLandscape ? settings_->GetPaperWidth() : settings_->GetPaperLength();
}

double ScreenDpi() { return Screen ? Screen->GetPixelsPerInch() : ScreenPixelsPerInch; }

Extended TQRPrinter::GetCurrentScreenDPI() const { return ScreenDpi() / 96.0; }

// ---- Messages ----

void TQRPrinter::Post(HWND wnd, UINT msg, WPARAM wParam) const {
  if (wnd) PostMessage(wnd, msg, wParam, 0);
}

void TQRPrinter::SetClient(TWinControl* value) {
  client_ = value;
  clientWnd_ = value ? value->GetHandle() : nullptr;
}

void TQRPrinter::SetMaster(TWinControl* value) {
  master_ = value;
  masterWnd_ = value ? value->GetHandle() : nullptr;
}

void TQRPrinter::SetAvailablePages(Integer value) {
  availablePages_ = value;
  Post(clientWnd_, QRM_PAGEAVAILABLE, static_cast<WPARAM>(value));
}

void TQRPrinter::SetProgress(Integer value) {
  progress_ = value;
  Post(clientWnd_, QRM_PROGRESS, static_cast<WPARAM>(value));
}

void TQRPrinter::SetPageNumber(Integer value) {
  if (pageNumber_ >= 1 && pageNumber_ <= pageCount_) pageNumber_ = value;
}

void TQRPrinter::SetShowingPreview(bool value) {
  const bool closing = showingPreview_ && !value;
  showingPreview_ = value;
  if (!closing) return;
  if (status_ == mpBusy) Cancel();
  if (AfterPreview) AfterPreview(this);
}

void TQRPrinter::ClosePreview(TWinControl* control) {
  // The window frees itself after this: the printer keeps no pointer to it.
  if (previewControl_ == control) previewControl_ = nullptr;
  SetShowingPreview(false);
  if (masterWnd_) SendMessage(masterWnd_, QRM_PREVIEWCLOSED, 0, reinterpret_cast<LPARAM>(this));
}

void TQRPrinter::SetPrinterIndex(Integer value) {
  if (!printerOK_ || settings_->GetUseStandardPrinter()) return;
  printer_->SetPrinterIndex(value);
  ResetPrinterDevMode(printer_);
  settings_->SetPrinter(printer_);
}

// ---- Stored pages ----

std::unique_ptr<TMetafile> TQRPrinter::GetPage(Integer value) {
  if ((status_ != mpBusy && status_ != mpFinished) || value < 1 || value > pageCount_) return nullptr;
  return pageList_->GetPage(value);
}

void TQRPrinter::GetPageEx(Integer value, std::unique_ptr<TMetafile>& metafile,
                           std::unique_ptr<THyperlinkList>& links) {
  pageList_->GetPageEx(value, metafile, links);
}

void TQRPrinter::Print() {
  if (masterWnd_ && !reportLoaded_ && !GetPrintMetafile() && status_ == mpFinished) {
    PostMessage(masterWnd_, QRM_PRINTAGAIN, 0, 0);
    return;
  }
  if (status_ != mpFinished || !printerOK_) return;
  const bool showProgress = report_ && report_->GetShowProgress();
  printer_->SetTitle(title_);
  if (printer_->GetPrinting()) printer_->Abort();
  settings_->ApplySettings();
  printer_->BeginDoc();
  TWinControl* progressForm = nullptr;
  TWinControl* oldClient = client_;
  auto cleanUp = MakeScopeExit([&] {
    if (printer_->GetPrinting()) printer_->EndDoc();
    if (progressForm) {
      SetClient(oldClient);
      report_->FreePrintProgress(progressForm);
    }
  });
  Integer first = 1, last = pageCount_;
  Integer firstWanted = firstPage_, lastWanted = lastPage_;
  if (report_) {
    firstWanted = report_->GetReportPrinterSettings()->FirstPage;
    lastWanted = report_->GetReportPrinterSettings()->LastPage;
  }
  if (firstWanted != 0) first = firstWanted;
  if (lastWanted != 0) last = lastWanted;
  first = std::max(first, 1);
  last = std::min<Integer>(last, pageCount_);
  if (showProgress) {
    progressForm = report_->CreatePrintProgress(this);
    if (progressForm) SetClient(progressForm);
  }
  for (Integer i = first; i <= last; ++i) {
    if (Application) Application->ProcessMessages();
    if (showProgress) SetProgress(RoundInt(Extended(i - first + 1) / (last - first + 1) * 100));
    pageNumber_ = i;
    std::unique_ptr<TMetafile> page = GetPage(i);
    if (page) {
      TRect rect(0, 0, printer_->GetPageWidth(), printer_->GetPageHeight());
      if (report_) {
        Extended width = 0, length = 0;
        report_->GetPageSize(width, length);
        const Extended dpiX = settings_->GetPixelsPerX(), dpiY = settings_->GetPixelsPerY();
        const Integer lo = settings_->GetLeftOffset(), to = settings_->GetTopOffset();
        rect = TRect(-RoundInt(lo * dpiX / 254), -RoundInt(to * dpiY / 254),
                     RoundInt((width - lo) * dpiX / 254), RoundInt((length - to) * dpiY / 254));
      }
      printer_->GetCanvas()->StretchDraw(rect, page.get());
    }
    if (i < last) printer_->NewPage();
    if (cancelled_) {
      printer_->Abort();
      break;
    }
  }
  firstPage_ = lastPage_ = 0;
  if (report_) {
    report_->GetReportPrinterSettings()->FirstPage = 0;
    report_->GetReportPrinterSettings()->LastPage = 0;
    report_->AfterPrint();
  }
}

void TQRPrinter::PrintMetafileDirect(const String&, Integer fromPage, Integer toPage) {
  if (status_ != mpFinished) return;
  TPrinter* printer = Printer();
  printer->SetTitle(title_);
  printer->BeginDoc();
  auto end = MakeScopeExit([printer] {
    if (printer->GetPrinting()) printer->EndDoc();
  });
  const Integer first = std::max(fromPage, 1), last = std::min<Integer>(toPage, pageCount_);
  for (Integer i = first; i <= last; ++i) {
    std::unique_ptr<TMetafile> page = GetPage(i);
    TRect rect(0, 0, printer->GetPageWidth(), printer->GetPageHeight());
    if (GetPaperSize() == TQRPaperSize::Custom)
      rect = TRect(0, 0, RoundInt(GetPaperWidth() * printer->GetResolution() / 254.0),
                   RoundInt(GetPaperLength() * printer->GetResolution() / 254.0));
    if (page) printer->GetCanvas()->StretchDraw(rect, page.get());
    if (i < last) printer->NewPage();
  }
}

void TQRPrinter::Save(const String& fileName) {
  if (status_ == mpFinished) pageList_->SaveToFile(fileName);
}

void TQRPrinter::Load(const String& fileName) {
  if (status_ != mpReady) Cleanup();
  pageList_->LoadFromFile(fileName);
  AfterLoad();
}

void TQRPrinter::LoadFromStream(TMemoryStream* stream) {
  if (status_ != mpReady) Cleanup();
  pageList_->LoadFromStream(stream);
  AfterLoad();
}

void TQRPrinter::AfterLoad() {
  pageCount_ = pageList_->GetPageCount();
  xFactor_ = yFactor_ = ScreenFactor();
  status_ = mpFinished;
  if (pageCount_ >= 1) GuessPaper();
  OnPrintSetup = {};
  OnExportToFilter = {};
  reportLoaded_ = true;
  SetQRPrintStoredPages(true);
}

void TQRPrinter::GuessPaper() {
  std::unique_ptr<TMetafile> page = pageList_->GetPage(1);
  if (!page) return;
  // The page in millimetres (both sides through XFactor, as the page was recorded square).
  const Extended w = page->GetWidth() / xFactor_ / 10, h = page->GetHeight() / xFactor_ / 10;
  // Of the sizes within 4 mm on both sides the closest wins, and of equals the first: a Letter page
  // is Letter rather than Note, an A4 page A4 rather than A4Small, whatever rounding the pixels did.
  Integer best = 0;
  bool landscape = false;
  Extended bestDistance = 0;
  for (Integer s = 1; s <= static_cast<Integer>(TQRPaperSize::ESheet); ++s) {
    double tw = 0, tl = 0;
    QRPaperSizeMM(static_cast<TQRPaperSize>(s), tw, tl);
    for (bool turned : {false, true}) {
      const Extended dw = std::fabs(w - (turned ? tl : tw)), dh = std::fabs(h - (turned ? tw : tl));
      if (dw >= 4 || dh >= 4) continue;
      if (best == 0 || dw + dh < bestDistance) {
        best = s;
        landscape = turned;
        bestDistance = dw + dh;
      }
    }
  }
  if (best == 0) {
    settings_->SetOrientation(h < w ? poLandscape : poPortrait);
    return;
  }
  settings_->SetPaperSize(static_cast<TQRPaperSize>(best));
  settings_->SetOrientation(landscape ? poLandscape : poPortrait);
}

// ---- Preview and hand-overs ----

void TQRPrinter::Preview() {
  // Printing from this preview then prints the pages it shows.
  if (GetPrintMetafile()) SetQRPrintStoredPages(true);
  if (OnPreview) {
    OnPreview(this);
    return;
  }
  std::unique_ptr<TQRPreviewInterface> preview = CreatePreviewInterface(Application);
  previewControl_ = preview->Show(this);
}

void TQRPrinter::PreviewModal() {
  if (GetPrintMetafile()) SetQRPrintStoredPages(true);
  if (OnPreview) {
    OnPreview(this);
    return;
  }
  std::unique_ptr<TQRPreviewInterface> preview = CreatePreviewInterface(Application);
  previewControl_ = preview->ShowModal(this);
}

void TQRPrinter::PrintSetup() {
  if (OnPrintSetup) OnPrintSetup(this);
}

void TQRPrinter::ExportToFilter(TObject* filter) {
  if (OnExportToFilter) OnExportToFilter(filter);
}
