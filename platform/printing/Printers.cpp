// TPrinter over QPrinter: printer choice, device mode to Qt page settings, the page canvas, jobs, and
// the PDF printer that stands in when none is installed.
#include "platform/printing/Printers.h"

#include <unistd.h>

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <mutex>

#include "platform/classes/SpecialFolders.h"
#include "platform/graphics/GraphicsApp.h"
#include "platform/graphics/private/DeviceContext.h"
#include "platform/rtl/Utf.h"

namespace {

struct PaperSize {
  double w, h;
};

// Millimetres of the paper codes 1 .. 68 (0 where the code is reserved).
constexpr PaperSize Papers[69] = {
    {0, 0},         {215.9, 279.4},  {215.9, 279.4},  {279.4, 431.8}, {431.8, 279.4}, {215.9, 355.6},
    {139.7, 215.9}, {184.15, 266.7}, {297, 420},      {210, 297},     {210, 297},     {148, 210},
    {250, 354},     {182, 257},      {215.9, 330.2},  {215, 275},     {254, 355.6},   {279.4, 431.8},
    {215.9, 279.4}, {98.4, 225.4},   {104.8, 241.3},  {114.3, 263.5}, {120.7, 279.4}, {127, 292.1},
    {431.8, 558.8}, {558.8, 863.6},  {863.6, 1117.6}, {110, 220},     {162, 229},     {324, 458},
    {229, 324},     {114, 162},      {114, 229},      {250, 353},     {176, 250},     {176, 125},
    {110, 230},     {98.4, 190.5},   {92.1, 165.1},   {377.8, 279.4}, {215.9, 304.8}, {215.9, 330.2},
    {250, 353},     {100, 148},      {228.6, 279.4},  {254, 279.4},   {381, 279.4},   {220, 220},
    {0, 0},         {0, 0},          {241.3, 304.8},  {241.3, 381},   {296.9, 457.2}, {235.5, 322.3},
    {215.9, 279.4}, {210, 297},      {241.3, 304.8},  {227, 356},     {305, 487},     {215.9, 322.3},
    {210, 330},     {148, 210},      {182, 257},      {322, 445},     {174, 235},     {201, 276},
    {420, 594},     {297, 420},      {322, 445},
};

// Margins of the PDF printer at 600 dpi, as a laser printer has them.
constexpr Integer MarginLeft = 130, MarginTop = 150, MarginRight = 155, MarginBottom = 122;
constexpr const Char* PdfPrinterName = u"PDF";

std::atomic<Integer> JobCounter{0};

}  // namespace

bool PaperSizeMM(Word paper, double& widthMM, double& heightMM) {
  if (paper < 1 || paper > DMPAPER_LAST || Papers[paper].w == 0) return false;
  widthMM = Papers[paper].w;
  heightMM = Papers[paper].h;
  return true;
}

struct TPrinterData {
  std::unique_ptr<TStringList> printers;
  std::unique_ptr<TStringList> fonts;
  std::vector<QPrinterInfo> installed;
  Integer index = -1;  // into printers
  TDeviceMode mode;
  String title;
  String outputFileName, lastOutput;
  std::unique_ptr<QPrinter> job;
  std::unique_ptr<QPainter> painter;
  std::unique_ptr<TCanvas> canvas;
  HDC dc = nullptr;
  bool printing = false, aborted = false;
  Integer pageNumber = 0;
  // Geometry in device pixels.
  Integer dpi = 600, physW = 0, physH = 0, offX = 0, offY = 0, pageW = 0, pageH = 0;
};

// The canvas of the page: its context is the printer's.
class TPrinterCanvas : public TCanvas {
 public:
  explicit TPrinterCanvas(HDC dc) { SetHandle(dc); }
  ~TPrinterCanvas() override { SetHandle(nullptr); }
  void Reset() { Refresh(); }
};

TPrinter::TPrinter() : d_(std::make_unique<TPrinterData>()) {
  InitGraphics();
  d_->printers = std::make_unique<TStringList>();
  d_->fonts = std::make_unique<TStringList>();
  for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
    d_->installed.push_back(info);
    d_->printers->Add(info.printerName().toStdU16String());
  }
  if (d_->installed.empty()) d_->printers->Add(PdfPrinterName);
  SetPrinterIndex(-1);
}

TPrinter::~TPrinter() {
  if (d_->printing) DiscardJob();
  d_->canvas.reset();
  if (d_->dc) DeleteDC(d_->dc);
}

bool TPrinter::IsPdfPrinter() const { return d_->installed.empty() || d_->index < 0; }

Integer TPrinter::GetResolution() const { return d_->dpi; }

void TPrinter::Refresh() {
  // Physical page from the paper code (or the custom size) and the orientation.
  double wmm = 210, hmm = 297;
  if (d_->mode.dmPaperSize == DMPAPER_CUSTOM || d_->mode.dmPaperSize == DMPAPER_USER) {
    wmm = std::max<SmallInt>(1, d_->mode.dmPaperWidth) / 10.0;
    hmm = std::max<SmallInt>(1, d_->mode.dmPaperLength) / 10.0;
  } else if (!PaperSizeMM(d_->mode.dmPaperSize, wmm, hmm)) {
    wmm = 210, hmm = 297;
  }
  const bool landscape = d_->mode.dmOrientation == DMORIENT_LANDSCAPE;
  if (landscape) std::swap(wmm, hmm);
  d_->dpi = d_->mode.dmPrintQuality > 0 ? d_->mode.dmPrintQuality : 600;
  if (!IsPdfPrinter()) d_->dpi = 600;
  const double px = d_->dpi / 25.4;
  d_->physW = static_cast<Integer>(std::lround(wmm * px));
  d_->physH = static_cast<Integer>(std::lround(hmm * px));
  const double k = d_->dpi / 600.0;
  const Integer l = static_cast<Integer>(std::lround((landscape ? MarginTop : MarginLeft) * k));
  const Integer t = static_cast<Integer>(std::lround((landscape ? MarginLeft : MarginTop) * k));
  const Integer r = static_cast<Integer>(std::lround((landscape ? MarginBottom : MarginRight) * k));
  const Integer b = static_cast<Integer>(std::lround((landscape ? MarginRight : MarginBottom) * k));
  d_->offX = l;
  d_->offY = t;
  d_->pageW = d_->physW - l - r;
  d_->pageH = d_->physH - t - b;
  if (!d_->dc) {
    d_->dc = gdi::CreateDeviceDC(nullptr, TDcKind::Printer, d_->pageW, d_->pageH, d_->dpi, d_->dpi);
    d_->dc->caps = [this](Integer index) { return DeviceCaps(index); };
  }
  d_->dc->width = d_->pageW;
  d_->dc->height = d_->pageH;
  d_->dc->dpiX = d_->dc->dpiY = d_->dpi;
  d_->dc->deviceOrigin = QTransform::fromTranslate(d_->offX, d_->offY);
  gdi::InvalidatePainterState(d_->dc);
  if (d_->canvas) d_->canvas->GetFont()->SetPixelsPerInch(d_->dpi);
}

Integer TPrinter::DeviceCaps(Integer index) const {
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY:
      return d_->dpi;
    case HORZRES:
      return d_->pageW;
    case VERTRES:
      return d_->pageH;
    case HORZSIZE:
      return static_cast<Integer>(std::lround(d_->pageW * 25.4 / d_->dpi));
    case VERTSIZE:
      return static_cast<Integer>(std::lround(d_->pageH * 25.4 / d_->dpi));
    case PHYSICALWIDTH:
      return d_->physW;
    case PHYSICALHEIGHT:
      return d_->physH;
    case PHYSICALOFFSETX:
      return d_->offX;
    case PHYSICALOFFSETY:
      return d_->offY;
    case TECHNOLOGY:
      return DT_RASPRINTER;
    case BITSPIXEL:
      return d_->mode.dmColor == DMCOLOR_MONOCHROME ? 1 : 24;
    default:
      return std::numeric_limits<Integer>::min();
  }
}

void TPrinter::CheckPrinting() const {
  if (!d_->printing) throw EPrinter(u"Printer is not currently printing");
}

TCanvas* TPrinter::GetCanvas() {
  if (!d_->canvas) {
    d_->canvas = std::make_unique<TPrinterCanvas>(d_->dc);
    d_->canvas->GetFont()->SetPixelsPerInch(d_->dpi);
    d_->canvas->GetFont()->SetSize(10);
  }
  return d_->canvas.get();
}

HDC TPrinter::GetHandle() { return d_->dc; }
Integer TPrinter::GetPageWidth() const { return d_->pageW; }
Integer TPrinter::GetPageHeight() const { return d_->pageH; }
bool TPrinter::GetAborted() const { return d_->aborted; }
bool TPrinter::GetPrinting() const { return d_->printing; }
Integer TPrinter::GetPageNumber() const { return d_->pageNumber; }

void TPrinter::BeginDoc() {
  if (d_->printing) throw EPrinter(u"Printing in progress");
  d_->aborted = false;
  auto job = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (IsPdfPrinter()) {
    job->setOutputFormat(QPrinter::PdfFormat);
    String file = d_->outputFileName;
    if (file.empty()) {
      const std::filesystem::path dir(StringToUtf8(GetTempPath()));
      file = Utf8ToString((dir / ("kiv-erp-print-" + std::to_string(::getpid()) + "-" +
                                  std::to_string(++JobCounter) + ".pdf"))
                              .string());
    }
    job->setOutputFileName(QString::fromStdU16String(file));
    d_->lastOutput = file;
  } else {
    job->setPrinterName(d_->installed[d_->index].printerName());
  }
  job->setResolution(d_->dpi);
  job->setFullPage(true);
  const bool landscape = d_->mode.dmOrientation == DMORIENT_LANDSCAPE;
  const double wmm = (landscape ? d_->physH : d_->physW) * 25.4 / d_->dpi;
  const double hmm = (landscape ? d_->physW : d_->physH) * 25.4 / d_->dpi;
  job->setPageLayout(QPageLayout(QPageSize(QSizeF(wmm, hmm), QPageSize::Millimeter),
                                 landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
  job->setDocName(QString::fromStdU16String(d_->title));
  job->setCopyCount(std::max<SmallInt>(1, d_->mode.dmCopies));
  job->setCollateCopies(d_->mode.dmCollate == DMCOLLATE_TRUE);
  job->setColorMode(d_->mode.dmColor == DMCOLOR_MONOCHROME ? QPrinter::GrayScale : QPrinter::Color);
  job->setDuplex(d_->mode.dmDuplex == DMDUP_VERTICAL     ? QPrinter::DuplexLongSide
                 : d_->mode.dmDuplex == DMDUP_HORIZONTAL ? QPrinter::DuplexShortSide
                                                         : QPrinter::DuplexNone);
  auto painter = std::make_unique<QPainter>();
  if (!painter->begin(job.get()))
    throw EPrinter(u"Cannot start the print job on " + d_->printers->Get(std::max(0, d_->index)));
  d_->job = std::move(job);
  d_->painter = std::move(painter);
  GetCanvas();
  d_->dc->ownPainter.reset(d_->painter.release());
  d_->dc->deviceOrigin = QTransform::fromTranslate(d_->offX, d_->offY);
  gdi::InvalidatePainterState(d_->dc);
  static_cast<TPrinterCanvas*>(d_->canvas.get())->Reset();
  d_->printing = true;
  d_->pageNumber = 1;
}

void TPrinter::NewPage() {
  CheckPrinting();
  d_->job->newPage();
  ++d_->pageNumber;
  gdi::InvalidatePainterState(d_->dc);
  static_cast<TPrinterCanvas*>(d_->canvas.get())->Reset();
}

void TPrinter::EndDoc() {
  CheckPrinting();
  if (d_->dc->ownPainter) d_->dc->ownPainter->end();
  d_->dc->ownPainter.reset();
  d_->job.reset();
  d_->printing = false;
  if (IsPdfPrinter())
    std::fprintf(stderr, "KIV.ERP: the print job was written to %s\n", StringToUtf8(d_->lastOutput).c_str());
}

void TPrinter::Abort() {
  CheckPrinting();
  DiscardJob();
}

void TPrinter::DiscardJob() noexcept {
  if (d_->dc->ownPainter) d_->dc->ownPainter->end();
  d_->dc->ownPainter.reset();
  d_->job.reset();
  d_->printing = false;
  d_->aborted = true;
  if (IsPdfPrinter() && !d_->lastOutput.empty()) {
    std::error_code ec;
    std::filesystem::remove(StringToUtf8(d_->lastOutput), ec);
  }
}

TStrings* TPrinter::GetPrinters() { return d_->printers.get(); }
Integer TPrinter::GetPrinterIndex() const { return d_->installed.empty() ? 0 : d_->index; }

void TPrinter::SetPrinterIndex(Integer index) {
  if (d_->printing) throw EPrinter(u"Printing in progress");
  if (d_->installed.empty()) {
    if (index > 0) throw EPrinter(u"Printer index out of range");
    d_->index = -1;
  } else if (index < 0) {
    const QString def = QPrinterInfo::defaultPrinterName();
    d_->index = 0;
    for (size_t i = 0; i < d_->installed.size(); ++i)
      if (d_->installed[i].printerName() == def) d_->index = static_cast<Integer>(i);
  } else {
    if (index >= static_cast<Integer>(d_->installed.size())) throw EPrinter(u"Printer index out of range");
    d_->index = index;
  }
  Refresh();
}

void TPrinter::GetPrinter(String& device, String& driver, String& port, TDeviceMode& mode) const {
  device = d_->printers->Get(GetPrinterIndex());
  driver = IsPdfPrinter() ? u"pdf" : u"cups";
  port = IsPdfPrinter() ? String(u"FILE:") : device;
  mode = d_->mode;
}

void TPrinter::SetPrinter(const String& device, const String&, const String&, const TDeviceMode& mode) {
  if (d_->printing) throw EPrinter(u"Printing in progress");
  Integer index = -1;
  for (Integer i = 0; i < d_->printers->GetCount(); ++i)
    if (d_->printers->Get(i) == device) index = i;
  d_->mode = mode;
  SetPrinterIndex(d_->installed.empty() ? 0 : index);
}

const TDeviceMode& TPrinter::GetDeviceMode() const { return d_->mode; }
void TPrinter::SetDeviceMode(const TDeviceMode& mode) {
  if (d_->printing) throw EPrinter(u"Printing in progress");
  d_->mode = mode;
  Refresh();
}

TPrinterOrientation TPrinter::GetOrientation() const {
  return d_->mode.dmOrientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait;
}
void TPrinter::SetOrientation(TPrinterOrientation value) {
  if (d_->printing) throw EPrinter(u"Printing in progress");
  d_->mode.dmOrientation = value == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  Refresh();
}
Integer TPrinter::GetCopies() const { return d_->mode.dmCopies; }
void TPrinter::SetCopies(Integer value) {
  d_->mode.dmCopies = static_cast<SmallInt>(std::clamp(value, 1, 9999));
}
const String& TPrinter::GetTitle() const { return d_->title; }
void TPrinter::SetTitle(const String& title) { d_->title = title; }
TPrinterCapabilities TPrinter::GetCapabilities() const {
  return TPrinterCapabilities{pcCopies, pcOrientation, pcCollation};
}

TStrings* TPrinter::GetFonts() {
  if (d_->fonts->GetCount() == 0)
    for (const String& name : InstalledFontNames()) d_->fonts->Add(name);
  return d_->fonts.get();
}

void TPrinter::SetOutputFileName(const String& fileName) { d_->outputFileName = fileName; }
const String& TPrinter::GetOutputFileName() const { return d_->outputFileName; }
const String& TPrinter::GetLastOutputFileName() const { return d_->lastOutput; }

namespace {
std::mutex PrinterMutex;
TPrinter* CurrentPrinter = nullptr;
std::unique_ptr<TPrinter> OwnedPrinter;
}  // namespace

TPrinter* Printer() {
  std::lock_guard lock(PrinterMutex);
  if (!CurrentPrinter) {
    OwnedPrinter = std::make_unique<TPrinter>();
    CurrentPrinter = OwnedPrinter.get();
  }
  return CurrentPrinter;
}

TPrinter* SetPrinter(TPrinter* newPrinter) {
  std::lock_guard lock(PrinterMutex);
  TPrinter* old = CurrentPrinter;
  // The printer made here on first use goes to the caller like any other.
  if (OwnedPrinter.get() == old) old = OwnedPrinter.release();
  CurrentPrinter = newPrinter;
  return old;
}
