// The report component: construction, band order and layout, text measuring, the requests that
// turn into generation runs (prepare, preview, print, background), and who frees which printer.
#include "reportlib/engine/RezavOze.h"

#include <algorithm>
#include <cmath>

#include "platform/classes/Lists.h"
#include "platform/data/DataSet.h"
#include "platform/graphics/Colors.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"
#include "reportlib/engine/QRControllers.h"
#include "reportlib/engine/QRPrintable.h"
#include "reportlib/engine/QRUtils.h"
#include "reportlib/output/QRError.h"

namespace {

const TTypeInfo* FormStyleTypeInfo() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TFormStyle", {u"fsNormal", u"fsMDIChild", u"fsMDIForm", u"fsStayOnTop"});
  return &t;
}

const TTypeInfo* WindowStateTypeInfo() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TWindowState", {u"wsNormal", u"wsMinimized", u"wsMaximized"});
  return &t;
}

const TTypeInfo* ZoomStateTypeInfo() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TQRZoomState", {u"qrZoomToFit", u"qrZoomToWidth", u"qrZoomOther", u"qrZoom100"});
  return &t;
}

const TTypeInfo* SaveTypeTypeInfo() {
  static const TTypeInfo t = TTypeInfo::Enum(
      u"TPrevSaveType",
      {u"stQRP", u"stPDF", u"stXL", u"stHTML", u"stRTF", u"stCSV", u"stASCII", u"stXML", u"stXLSX"});
  return &t;
}

}  // namespace

const TTypeInfo* QROptionsType() {
  static const TTypeInfo e =
      TTypeInfo::Enum(u"TVaruzUvuzedOption", {u"FirstPageHeader", u"LastPageFooter", u"Compression"});
  static const TTypeInfo t = TTypeInfo::Set(u"TVaruzUvuzedOptions", &e);
  return &t;
}

// ---- TRezavOzeBands ----

void TRezavOzeBands::Published(TPropBuilder<TRezavOzeBands>& p) {
  using B = TRezavOzeBands;
  p.Bool(u"HasTitle", &B::GetHasTitle, &B::SetHasTitle).Stored(false);
  p.Bool(u"HasPageHeader", &B::GetHasPageHeader, &B::SetHasPageHeader).Stored(false);
  p.Bool(u"HasColumnHeader", &B::GetHasColumnHeader, &B::SetHasColumnHeader).Stored(false);
  p.Bool(u"HasDetail", &B::GetHasDetail, &B::SetHasDetail).Stored(false);
  p.Bool(u"HasPageFooter", &B::GetHasPageFooter, &B::SetHasPageFooter).Stored(false);
  p.Bool(u"HasSummary", &B::GetHasSummary, &B::SetHasSummary).Stored(false);
}

TQRCustomBand* TRezavOzeBands::Find(TQRBandType type) const {
  for (TQRCustomBand* band : report_->bandList_)
    if (band->GetBandType() == type) return band;
  return nullptr;
}

void TRezavOzeBands::Switch(TQRBandType type, bool value) {
  TQRCustomBand* band = Find(type);
  if (value == (band != nullptr)) return;
  if (value)
    report_->CreateBand(type);
  else
    delete band;
}

// ---- Construction ----

void TCustomRezavOze::Published(TPropBuilder<TCustomRezavOze>& p) {
  using R = TCustomRezavOze;
  p.Object(u"Bands", &R::GetBands, &R::SetBands);
  p.Object(u"Description", &R::GetDescription, &R::SetDescription);
  p.Object(u"Functions", &R::GetFunctions, &R::SetFunctions);
  p.Set(u"Options", QROptionsType(), &R::GetOptions, &R::SetOptions)
      .Default(TVaruzUvuzedOptions{FirstPageHeader, LastPageFooter});
  p.Object(u"Page", &R::GetPage, &R::SetPage);
  p.Object(u"PrinterSettings", &R::GetPrinterSettings, &R::SetPrinterSettings);
  p.Bool(u"PrintIfEmpty", &R::GetPrintIfEmpty, &R::SetPrintIfEmpty).Default(true);
  p.Str(u"ReportTitle", &R::GetReportTitle, &R::SetReportTitle);
  p.Bool(u"ShowProgress", &R::GetShowProgress, &R::SetShowProgress).Default(true);
  p.Bool(u"SnapToGrid", &R::GetSnapToGrid, &R::SetSnapToGrid).Default(true);
  p.Enum(u"Units", QRUnitType(), &R::GetUnits, &R::SetUnits).NoDefault();
  p.Int(u"Zoom", &R::GetZoom, &R::SetZoom).Default(100);
  p.IntIdent(u"BackgroundColor", TypeInfoColor(), &R::GetBackgroundColor, &R::SetBackgroundColor)
      .Default(clWhite);
  p.Str(u"BackImageControl", &R::GetBackImageControl, &R::SetBackImageControl);
  p.Bool(u"CreateInBGThread", &R::GetCreateInBGThread, &R::SetCreateInBGThread).Default(false);
  p.Int(u"PagesInPreview", &R::GetPagesInPreview, &R::SetPagesInPreview).Default(0);
  p.Object(u"PreviewController", &R::GetPreviewController, &R::SetPreviewController);
  p.Int(u"PreviewWidth", &R::GetPreviewWidth, &R::SetPreviewWidth).Default(500);
  p.Int(u"PreviewHeight", &R::GetPreviewHeight, &R::SetPreviewHeight).Default(500);
  p.Int(u"PreviewLeft", &R::GetPreviewLeft, &R::SetPreviewLeft).Default(0);
  p.Int(u"PreviewTop", &R::GetPreviewTop, &R::SetPreviewTop).Default(0);
  p.Enum(u"PrevFormStyle", FormStyleTypeInfo(), &R::GetPrevFormStyle, &R::SetPrevFormStyle).Default(fsNormal);
  p.Enum(u"PreviewInitialState", WindowStateTypeInfo(), &R::GetPreviewInitialState,
         &R::SetPreviewInitialState)
      .Default(wsMaximized);
  p.Enum(u"PrevInitialZoom", ZoomStateTypeInfo(), &R::GetPrevInitialZoom, &R::SetPrevInitialZoom)
      .Default(qrZoomToFit);
  p.Bool(u"PrevShowThumbs", &R::GetPrevShowThumbs, &R::SetPrevShowThumbs).Default(true);
  p.Bool(u"PrevShowSearch", &R::GetPrevShowSearch, &R::SetPrevShowSearch).Default(true);
  p.Enum(u"PreviewDefaultSaveType", SaveTypeTypeInfo(), &R::GetPreviewDefaultSaveType,
         &R::SetPreviewDefaultSaveType)
      .Default(stPDF);
  p.Bool(u"ShowingPreview", &R::GetShowingPreview, &R::SetShowingPreview).Default(false);
  p.Event(u"BeforePrint", &R::BeforePrint, u"TQRReportBeforePrintEvent");
  p.Event(u"OnStartPage", &R::OnStartPage, u"TQRReportNotifyEvent");
  p.Event(u"OnEndPage", &R::OnEndPage, u"TQRReportNotifyEvent");
  p.Event(u"AfterPrint", &R::AfterPrintEvent);
  p.Event(u"AfterPreview", &R::AfterPreview);
  p.Event(u"OnPreviewShowing", &R::OnPreviewShowing);
  p.Event(u"OnPreview", &R::OnPreview);
}

TCustomRezavOze::TCustomRezavOze(TComponent* owner) : TCustomRezavOze(owner, 1) {}

TCustomRezavOze::TCustomRezavOze(TComponent* owner, Integer)
    : TQRBasePanel(owner),
      page_(std::make_unique<TQRPage>()),
      printerSettings_(std::make_unique<TQRPrinterSettings>()),
      userPrinterSettings_(std::make_unique<TQRPrinterSettings>()),
      environment_(std::make_unique<TQREvEnvironment>()),
      description_(std::make_unique<TStringList>()),
      bands_(std::make_unique<TRezavOzeBands>(this)),
      pageLinkInfoList_(std::make_unique<TQRPageInfoList>()),
      currLinkPage_(std::make_unique<TQRLinkPage>()) {
  controller_ = std::make_unique<TQRCustomController>(this);
  controller_->SetSelfCheck(this);
  controller_->SetParentReport(this);
  environment_->AddFunction(u"PAGENUMBER", u"0");
  environment_->AddFunction(u"COLUMNNUMBER", u"0");
  environment_->AddFunction(u"REPORTTITLE", u"''");
  SetColor(clWhite);
  SetBevelInner(bvNone);
  SetBevelOuter(bvNone);
  SetShowCaption(false);
  page_->SetParentReport(this);
  const TQRPaperSize paper = DefaultPrinterPaperSize();
  if (paper != TQRPaperSize::Default) page_->SetPaperSize(paper);
  GetFont()->SetName(u"Arial");
  GetFont()->SetSize(10);
  page_->SetParentSizes();
}

TCustomRezavOze::~TCustomRezavOze() {
  destroying_ = true;
  // A background run still uses the printer and the bands: it stops and ends first.
  if (bgThread_) {
    Cancel();
    bgThread_->WaitFor();
    bgThread_.reset();
  }
  if (referenceDC_) DeleteDC(referenceDC_);
  for (TQRCustomBand* band : bandList_) band->parentReport_ = nullptr;
  bandList_.clear();
}

void TCustomRezavOze::ReplaceController(std::unique_ptr<TQRCustomController> controller) {
  controller_ = std::move(controller);
  controller_->SetSelfCheck(this);
  controller_->SetParentReport(this);
  controller_->SetMaster(nullptr);
}

bool TCustomRezavOze::GetPrintIfEmpty() const { return controller_->GetPrintIfEmpty(); }
void TCustomRezavOze::SetPrintIfEmpty(bool value) { controller_->SetPrintIfEmpty(value); }

void TCustomRezavOze::SetUnits(TQRUnit value) {
  page_->SetUnits(value);
  for (TQRCustomBand* band : bandList_) band->GetSize()->SetUnits(value);
  for (Integer i = 0; i < GetControlCount(); ++i)
    if (auto* p = dynamic_cast<TQRPrintable*>(GetControl(i))) p->GetSize()->SetUnits(value);
}

void TCustomRezavOze::SetZoom(Integer value) {
  if (value < 1 || value > 300) return;
  TQRBasePanel::SetZoom(value);
  page_->SetZoom(value);
  page_->SetParentSizes();
  SetBandValues();
}

void TCustomRezavOze::SetPreviewController(TQRPreviewController* value) {
  if (previewController_) previewController_->RemoveFreeNotification(this);
  previewController_ = value;
  if (value) value->FreeNotification(this);
}

void TCustomRezavOze::SetHideBands(bool value) {
  hideBands_ = value;
  SetBandValues();
}

void TCustomRezavOze::SetRotateBands(Integer value) {
  rotateBands_ = value;
  RebuildBandList();
}

void TCustomRezavOze::Notification(TComponent* component, TOperation operation) {
  TQRBasePanel::Notification(component, operation);
  if (operation == opRemove && component == previewController_) previewController_ = nullptr;
}

void TCustomRezavOze::Loaded() {
  TQRBasePanel::Loaded();
  page_->Loaded();
  RebuildBandList();
}

void TCustomRezavOze::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  const bool changed = width != GetWidth() || height != GetHeight();
  TQRBasePanel::SetBounds(left, top, width, height);
  if (!page_ || !available_) return;
  if (page_->GetPaperSize() == TQRPaperSize::Custom && changed && !page_->GetParentUpdating()) {
    const Extended f = page_->GetResolution() / 254.0 * page_->GetZoom() / 100;
    page_->SetRaw(3, width / f);
    page_->SetRaw(1, height / f);
  }
  SetBandValues();
}

// ---- Bands ----

TQRCustomBand* TCustomRezavOze::CreateBand(TQRBandType BandType) {
  TComponent* owner = GetOwner() ? GetOwner() : this;
  auto* band = new TQRBand(owner);
  const String base = QRBandNameBase(BandType);
  for (Integer n = 1;; ++n) {
    const String name = base + IntToStr(n);
    if (!owner->FindComponent(name)) {
      band->SetName(name);
      break;
    }
  }
  band->SetParent(this);
  band->SetBandType(BandType);
  return band;
}

void TCustomRezavOze::AddBand(TQRCustomBand* aBand) {
  if (std::find(bandList_.begin(), bandList_.end(), aBand) != bandList_.end()) return;
  bandList_.push_back(aBand);
  if (available_) RebuildBandList();
}

void TCustomRezavOze::RemoveBand(TQRCustomBand* aBand) {
  if (destroying_) return;
  bandList_.erase(std::remove(bandList_.begin(), bandList_.end(), aBand), bandList_.end());
  if (available_) RebuildBandList();
}

void TCustomRezavOze::RebuildBandList() {
  if (GetComponentState().Contains(csLoading) || destroying_ || !available_) return;
  AssignStandardBands();
  controller_->Collect();
  std::vector<TQRCustomBand*> list;
  auto add = [&](TQRCustomBand* band) {
    for (TQRCustomBand* b = band; b; b = b->GetChildBand()) {
      if (std::find(list.begin(), list.end(), b) != list.end()) return;
      list.push_back(b);
    }
  };
  const std::vector<TQRCustomBand*> old = bandList_;
  auto addType = [&](TQRBandType type) {
    for (TQRCustomBand* b : old)
      if (b->GetBandType() == type) add(b);
  };
  addType(rbPageHeader);
  addType(rbTitle);
  addType(rbColumnHeader);
  controller_->RegisterBands(list);
  addType(rbPageFooter);
  for (TQRCustomBand* b : old) add(b);
  // Children whose parent is not among the bands go last.
  for (TQRCustomBand* b : old)
    if (std::find(list.begin(), list.end(), b) == list.end()) list.push_back(b);
  for (Integer i = 0; i < rotateBands_ && !list.empty(); ++i)
    std::rotate(list.begin(), list.begin() + 1, list.end());
  bandList_ = list;
  SetBandValues();
}

void TCustomRezavOze::SetBandValues() {
  if (GetComponentState().Contains(csLoading) || destroying_ || !available_ || !page_) return;
  const Extended f = page_->GetResolution() / 254.0 * page_->GetZoom() / 100;
  const Extended printable = page_->GetRaw(3) - page_->GetRaw(4) - page_->GetRaw(5);
  const Integer columns = page_->GetColumns();
  const Extended columnWidth = static_cast<Integer>((printable - page_->GetRaw(6) * (columns - 1)) / columns);
  Extended top = page_->GetRaw(2);
  for (TQRCustomBand* band : bandList_) {
    if (band->GetComponentState().Contains(csDestroying)) continue;
    TQRCustomBand* typed = band;
    while (auto* child = dynamic_cast<TQRChildBand*>(typed)) {
      if (!child->GetParentBand()) break;
      typed = child->GetParentBand();
    }
    const TQRBandType t = typed->GetBandType();
    const bool fullWidth = t == rbTitle || t == rbPageHeader || t == rbPageFooter || t == rbSummary ||
                           t == rbOverlay ||
                           ((t == rbGroupHeader || t == rbGroupFooter) && page_->GetPrintOrder() == RowByRow);
    band->GetSize()->SetRaw(1, fullWidth ? printable : columnWidth);
    band->updating_ = true;
    const Extended y = hideBands_ ? page_->GetRaw(1) : top;
    band->SetBounds(RoundInt(page_->GetRaw(4) * f), RoundInt(y * f), RoundInt(band->GetSize()->GetRaw(1) * f),
                    RoundInt(band->GetSize()->GetRaw(0) * f));
    band->updating_ = false;
    top += band->GetSize()->GetRaw(0);
  }
}

void TCustomRezavOze::AddNotifyClient(TQRPrintable* Value) { controller_->AddNotifyClient(Value); }

// ---- Text measuring ----

Integer TCustomRezavOze::TextWidth(TFont* aFont, const String& aText) {
  std::lock_guard lock(referenceLock_);
  if (!referenceDC_) referenceDC_ = CreateCompatibleDC(nullptr);
  if (!referenceDC_) return 0;
  SelectObject(referenceDC_, aFont->GetHandle());
  TSize size;
  if (!GetTextExtentPoint32(referenceDC_, aText.data(), static_cast<Integer>(aText.size()), &size)) return 0;
  return size.cx + 1;
}

Integer TCustomRezavOze::TextHeight(TFont* aFont, const String& aText) {
  std::lock_guard lock(referenceLock_);
  if (!referenceDC_) referenceDC_ = CreateCompatibleDC(nullptr);
  if (!referenceDC_) return 0;
  // Shared font handles live as long as the program: a handle names one font for good.
  const HFONT font = aFont->GetHandle();
  auto [at, fresh] = textHeights_.try_emplace({font, -1, aText}, 0);
  if (!fresh) return at->second;
  SelectObject(referenceDC_, font);
  TSize size;
  if (!GetTextExtentPoint32(referenceDC_, aText.data(), static_cast<Integer>(aText.size()), &size))
    size.cy = 0;
  return at->second = size.cy;
}

Integer TCustomRezavOze::TextWidthBound(TFont* aFont, const String& aText) {
  std::lock_guard lock(referenceLock_);
  const HFONT font = aFont->GetHandle();
  // A text is as wide as the sum of its characters' advances (no kerning); each advance is at most
  // half a pixel more than its own rounded width.
  double bound = 0;
  for (Char c : aText) {
    if (c >= 0xD800 && c <= 0xDFFF) return -1;
    auto [at, fresh] = charWidths_.try_emplace({font, c}, 0);
    if (fresh) at->second = TextWidth(aFont, String(1, c)) - 1;
    bound += at->second + 0.5;
  }
  return static_cast<Integer>(std::ceil(bound)) + 1;
}

Integer TCustomRezavOze::PageTextHeight(TCanvas* canvas, TFont* aFont, const String& aText) {
  canvas->SetFont(aFont);
  const HDC dc = canvas->GetHandle();
  const Integer dpi = GetDeviceCaps(dc, LOGPIXELSY);
  std::lock_guard lock(referenceLock_);
  auto [at, fresh] = textHeights_.try_emplace({aFont->GetHandle(), dpi, aText}, 0);
  if (fresh) at->second = canvas->TextHeight(aText);
  return at->second;
}

// ---- What the printer and the preview need ----

void TCustomRezavOze::GetPageSize(Extended& width, Extended& length) {
  width = page_->GetRaw(3);
  length = page_->GetRaw(1);
}

void TCustomRezavOze::AfterPrint() {
  if (AfterPrintEvent) AfterPrintEvent(this);
}

TWinControl* TCustomRezavOze::CreatePrintProgress(TQRPrinter* printer) {
  auto* form = new TQRProgressForm(nullptr);
  form->SetQRPrinter(printer);
  form->Show();
  return form;
}

void TCustomRezavOze::FreePrintProgress(TWinControl* form) { delete form; }

TQRPreviewOptions TCustomRezavOze::GetPreviewOptions() {
  TQRPreviewOptions o;
  if (previewController_) o = previewController_->Options;
  o.ShowThumbs = prevShowThumbs_;
  o.ShowSearch = prevShowSearch_;
  o.InitZoom = prevInitialZoom_;
  o.Title = reportTitle_;
  o.Orientation = page_->GetOrientation();
  o.WindowState = previewInitialState_;
  o.StayOnTop = prevFormStyle_ == fsStayOnTop;
  o.Left = previewLeft_;
  o.Top = previewTop_;
  o.Width = GetPreviewWidth();
  o.Height = GetPreviewHeight();
  o.DefaultSaveType = previewDefaultSaveType_;
  return o;
}

// ---- Printers ----

bool TCustomRezavOze::GetGenerating() const { return bgThread_ && !bgThread_->GetFinished(); }

void TCustomRezavOze::WaitForGeneration() {
  if (!bgThread_) return;
  bgThread_->WaitFor();
  const std::exception_ptr error = bgThread_->GetRunError();
  bgThread_.reset();
  FreeRetiredPrinters();
  if (error) std::rethrow_exception(error);
}

void TCustomRezavOze::FreeRetiredPrinters() {
  if (GetGenerating()) return;
  std::erase_if(retiredPrinters_,
                [](const std::unique_ptr<TQRPrinter>& p) { return !p->GetShowingPreview(); });
  if (qrPrinter_ && closedPrinter_ == qrPrinter_.get()) {
    qrPrinter_.reset();
    closedPrinter_ = nullptr;
  }
}

void TCustomRezavOze::ReleasePrinter(TQRPrinter* printer) {
  if (qrPrinter_.get() == printer) {
    if (GetGenerating()) {
      closedPrinter_ = printer;
      return;
    }
    qrPrinter_.reset();
    return;
  }
  std::erase_if(retiredPrinters_,
                [printer](const std::unique_ptr<TQRPrinter>& p) { return p.get() == printer; });
}

bool TCustomRezavOze::MakePrinter() {
  if (!available_ || GetGenerating()) return false;
  if (bgThread_) WaitForGeneration();
  FreeRetiredPrinters();
  TWinControl* client = nullptr;
  if (qrPrinter_) {
    // A printer whose preview is still open stays until that preview closes; any other goes now.
    if (qrPrinter_->GetShowingPreview()) {
      retiredPrinters_.push_back(std::move(qrPrinter_));
    } else {
      client = qrPrinter_->GetClient();
      qrPrinter_.reset();
    }
  }
  closedPrinter_ = nullptr;
  qrPrinter_ = std::make_unique<TQRPrinter>(this);
  if (client) qrPrinter_->SetClient(client);
  qrPrinter_->AfterPreview = [this](TObject*) {
    if (AfterPreview) AfterPreview(this);
  };
  qrPrinter_->AfterPrint = [this](TObject*) {
    if (AfterPrintEvent) AfterPrintEvent(this);
  };
  return true;
}

void TCustomRezavOze::WirePrinter() {
  TQRPrinter* printer = qrPrinter_.get();
  printer->SetDestination(qrdMetafile);
  printer->SetMaster(this);
  printer->OnPrintSetup = [this](TObject*) { PrinterSetup(); };
  printer->OnExportToFilter = [this](TObject* filter) {
    if (auto* f = dynamic_cast<TQRExportFilter*>(filter)) ExportToFilter(f);
  };
  printer->SetTitle(reportTitle_);
  if (OnPreview) printer->OnPreview = OnPreview;
  SetQRPrintStoredPages(false);
}

void TCustomRezavOze::WndProc(TMessage& message) {
  if (message.Msg == QRM_PREVIEWCLOSED) {
    auto* printer = reinterpret_cast<TQRPrinter*>(message.LParam);
    if (!available_ || GetGenerating()) {
      Cancel();
      closedPrinter_ = printer;
      return;
    }
    if (printer && printer->GetShowingPreview()) printer->SetShowingPreview(false);
    ReleasePrinter(printer);
    return;
  }
  if (message.Msg == QRM_PRINTAGAIN) {
    Print();
    return;
  }
  TQRBasePanel::WndProc(message);
}

// ---- Requests ----

void TCustomRezavOze::Prepare() {
  if (GetShowingPreview() || !MakePrinter()) return;
  WirePrinter();
  CreateReport(false);
  qrPrinter_->SetReportLoaded(true);
}

void TCustomRezavOze::Preview() {
  if (GetShowingPreview()) return;
  if (BeforePreview) BeforePreview(this);
  if (createInBGThread_) {
    PreviewModeless();
    return;
  }
  if (!MakePrinter()) return;
  WirePrinter();
  ApplyPrinterSettings();
  TQRPrinter* printer = qrPrinter_.get();
  printer->Preview();
  try {
    CreateReport(false);
  } catch (...) {
    // The user sees the error, not an empty preview: the window goes with the printer.
    if (TWinControl* window = printer->GetPreviewControl()) {
      if (auto* form = dynamic_cast<TCustomForm*>(window)) form->Close();
    }
    ReleasePrinter(printer);
    throw;
  }
  printer->SetReportLoaded(true);
  if (OnPreviewShowing) OnPreviewShowing(this);
  if (cancelled_) {
    if (!printer->GetShowingPreview()) ReleasePrinter(printer);
    return;
  }
  while (qrPrinter_.get() == printer && printer->GetShowingPreview() && Application &&
         !Application->GetTerminated())
    Application->HandleMessage();
}

void TCustomRezavOze::PreviewModal() {
  if (GetShowingPreview() || !MakePrinter()) return;
  WirePrinter();
  ApplyPrinterSettings();
  CreateReport(false);
  qrPrinter_->SetReportLoaded(true);
  if (OnPreviewShowing) OnPreviewShowing(this);
  if (cancelled_) {
    qrPrinter_.reset();
    return;
  }
  qrPrinter_->PreviewModal();
}

void TCustomRezavOze::PreviewModeless() { StartBackgroundRun(false); }

void TCustomRezavOze::PrintBackground() { StartBackgroundRun(true); }

void TCustomRezavOze::StartBackgroundRun(bool print) {
  if (!MakePrinter()) return;
  WirePrinter();
  TQRPrinter* printer = qrPrinter_.get();
  if (print) {
    if (!printer->GetPrinterOK()) return;
    printer->SetDestination(qrdPrinter);
  }
  bgThread_ = std::make_unique<TQRCreateReportThread>(this, printer);
  bgThread_->OnTerminate = [this](TObject*) { FreeRetiredPrinters(); };
  bgThread_->Start();
  if (!print) printer->Preview();
}

std::unique_ptr<TQRProgressForm> TCustomRezavOze::ShowRunProgress(TQRPrinter* printer,
                                                                  const String& caption) {
  if (!showProgress_) {
    printer->SetClient(nullptr);
    return nullptr;
  }
  auto progress = std::make_unique<TQRProgressForm>(nullptr);
  if (!caption.empty()) progress->SetCaption(caption);
  progress->SetQRPrinter(printer);
  progress->Show();
  printer->SetClient(progress.get());
  return progress;
}

void TCustomRezavOze::Print() {
  if (!available_ || GetGenerating()) return;
  std::unique_ptr<TQRPrinter> previous = std::move(qrPrinter_);
  const auto restorePrevious = [&] { qrPrinter_ = std::move(previous); };
  if (!MakePrinter() || !qrPrinter_->GetPrinterOK()) {
    restorePrevious();
    return;
  }
  std::unique_ptr<TQRProgressForm> progress;
  auto cleanUp = MakeScopeExit([&] {
    restorePrevious();
    printerSettings_->FirstPage = 0;
    printerSettings_->LastPage = 0;
  });
  TQRPrinter* printer = qrPrinter_.get();
  WirePrinter();
  printer->SetDestination(qrdPrinter);
  progress = ShowRunProgress(printer, String());
  CreateReport(false);
}

void TCustomRezavOze::ExportToFilter(TQRExportFilter* AFilter) {
  if (!AFilter || !available_ || GetGenerating()) return;
  SetZoom(100);
  bool handled = false;
  if (OnExport) OnExport(this, handled);
  if (handled) return;
  // The pages of the previous run (an open preview's among them) stay untouched: the export runs
  // on a printer of its own, which keeps only page 1 while the filter takes every page.
  std::unique_ptr<TQRPrinter> previous = std::move(qrPrinter_);
  std::unique_ptr<TQRProgressForm> progress;
  auto cleanUp = MakeScopeExit([&] {
    if (progress) progress->Hide();
    qrPrinter_.reset();  // before the progress window, which it keeps as its client
    progress.reset();
    exportFilter_ = nullptr;
    exporting_ = false;
    finalPass_ = true;
    qrPrinter_ = std::move(previous);
  });
  exportFilter_ = AFilter;
  exporting_ = true;
  AFilter->SetOwner(this);
  AFilter->SetOriginalQRPrinter(previous.get());
  finalPass_ = false;
  qrPrinter_ = std::make_unique<TQRPrinter>(this);
  WirePrinter();
  TQRPrinter* printer = qrPrinter_.get();
  printer->OnExportToFilter = nullptr;
  progress = ShowRunProgress(printer, u"Export Progress");
  CreateReport(false);
}

void TCustomRezavOze::PrinterSetup() {
  TQRPrintDialog dialog(nullptr);
  if (qrPrinter_) dialog.SetPrinter(qrPrinter_->GetPrinter());
  const bool finished = qrPrinter_ && qrPrinter_->GetStatus() == mpFinished;
  dialog.SetMinPage(finished ? 1 : 0);
  dialog.SetMaxPage(finished ? qrPrinter_->GetPageCount() : 9999);
  if (finished) {
    dialog.SetFromPage(1);
    dialog.SetToPage(qrPrinter_->GetPageCount());
  }
  dialog.SetOptions(TPrintDialogOptions{poPageNums, poWarning});
  if (!dialog.Execute()) {
    // The caller reads the answer here: 1 for a cancelled dialog.
    SetTag(1);
    return;
  }
  printerSettings_->Copies = dialog.GetCopies();
  if (qrPrinter_) printerSettings_->PrinterIndex = qrPrinter_->GetPrinterIndex();
  page_->SetOrientation(dialog.GetOrientation() == DMORIENT_LANDSCAPE ? poLandscape : poPortrait);
  userPrinterSettings_->Assign(printerSettings_.get());
  userPrinterSettings_->CustomBinCode = dialog.GetOutputBin();
  userPrinterSettings_->CustomPaperCode = dialog.GetPaperSize();
  userPrinterSettings_->ExtendedDuplex = dialog.GetDuplexCode();
  userPrinterSettings_->PrintQuality = dialog.GetPrintQuality();
  userPrinterSettings_->Collate = dialog.GetCollate();
  userPrinterSettings_->ColorOption = dialog.GetColorOption();
  userPrinterSettings_->Duplex = dialog.GetDuplex();
  const bool range = dialog.GetPrintRange() == prPageNums;
  printerSettings_->FirstPage = range ? dialog.GetFromPage() : 0;
  printerSettings_->LastPage = range ? dialog.GetToPage() : 0;
  userPrinterSettings_->FirstPage = printerSettings_->FirstPage;
  userPrinterSettings_->LastPage = printerSettings_->LastPage;
  SetTag(0);
}

void TCustomRezavOze::Cancel() {
  if (available_ && !GetGenerating()) return;
  cancelled_ = true;
  UserCancel = true;
  if (qrPrinter_) qrPrinter_->Cancel();
}

void TCustomRezavOze::Paint() {
  TQRBasePanel::Paint();
  if (page_->GetRuler()) DrawRuler(page_->GetUnits(), true);
  PaintMargins();
}

void TCustomRezavOze::PaintMargins() {
  TCanvas* canvas = GetCanvas();
  const TQRDesignScheme& s = QRDesignScheme();
  const Extended f = page_->GetResolution() / 254.0 * zoom_ / 100;
  canvas->GetPen()->SetStyle(s.MarginStyle);
  canvas->GetPen()->SetColor(s.MarginColor);
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->Rectangle(RoundInt(page_->GetRaw(4) * f), RoundInt(page_->GetRaw(2) * f),
                    GetWidth() - RoundInt(page_->GetRaw(5) * f),
                    GetHeight() - RoundInt(page_->GetRaw(0) * f));
  canvas->GetPen()->SetStyle(psSolid);
}

// ---- TRezavOze ----

void TRezavOze::Published(TPropBuilder<TRezavOze>& p) {
  p.Object(u"DataSet", &TRezavOze::GetDataSet, &TRezavOze::SetDataSet);
  p.Event(u"OnNeedData", &TRezavOze::OnNeedData, u"TQROnNeedDataEvent");
}

TRezavOze::TRezavOze(TComponent* owner) : TCustomRezavOze(owner, 1) {
  const bool printIfEmpty = GetPrintIfEmpty();
  ReplaceController(std::make_unique<TQRController>(this));
  controller_->SetPrintIfEmpty(printIfEmpty);
}

TQRController* TRezavOze::GetReportController() const {
  return static_cast<TQRController*>(controller_.get());
}

TDataSet* TRezavOze::GetDataSet() const { return GetReportController()->GetDataSet(); }

void TRezavOze::SetDataSet(TDataSet* value) { GetReportController()->SetDataSet(value); }

Integer TRezavOze::GetRecordCount() {
  TDataSet* ds = GetDataSet();
  if (!ds || !ds->GetActive()) return 1;
  if (replaceRecordcount > 0) return replaceRecordcount;
  try {
    if (usePassiveRecordCount) return ds->GetRecordCount();
    // The static cursors of this program know their count without a walk to the end.
    return ds->GetRecordCount();
  } catch (const Exception&) {
    // A count that cannot be had only slows the progress display down: 1 keeps it dividing.
    return 1;
  }
}

Integer TRezavOze::GetRecordNumber() { return GetReportController()->GetDetailNumber(); }

void TRezavOze::AssignStandardBands() {
  TQRController* c = GetReportController();
  c->SetDetail(GetBands()->DetailBand());
  c->SetHeader(GetBands()->TitleBand());
  c->SetFooter(GetBands()->SummaryBand());
}

void TRezavOze::RunController() {
  AssignStandardBands();
  GetReportController()->OnNeedData = OnNeedData;
  TCustomRezavOze::RunController();
}

// ---- TQRCreateReportThread ----

TQRCreateReportThread::TQRCreateReportThread(TCustomRezavOze* report, TQRPrinter* printer)
    : TThread(true), report_(report), printer_(printer) {}

TQRCreateReportThread::~TQRCreateReportThread() {
  if (GetStarted() && !GetFinished()) WaitFor();
}

void TQRCreateReportThread::Execute() {
  try {
    report_->CreateReport(false);
  } catch (...) {
    // Kept for the main thread, which reports it when it waits for the run.
    runError_ = std::current_exception();
  }
  report_->PreparingDesignTime = false;
}
