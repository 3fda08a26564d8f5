// The banded report: owns the page layout, the bands, the band-sequence controller, the printer
// settings and the expression environment, and turns each request (prepare, preview, print) into one
// generation run onto a fresh report printer, in the foreground or on a background thread.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <vector>

#include "platform/classes/Set.h"
#include "platform/classes/StringList.h"
#include "platform/classes/Thread.h"
#include "platform/controls/Forms.h"
#include "reportlib/engine/QRBands.h"
#include "reportlib/engine/QREvEnvironment.h"
#include "reportlib/engine/QRExtraFunctions.h"
#include "reportlib/engine/QRPageInfo.h"
#include "reportlib/output/QRExportFilter.h"
#include "reportlib/output/QRPrinter.h"
#include "reportlib/output/QRStandardPreview.h"

class TDataSet;
class TList;
class TQRPrintable;
class TQRCustomController;
class TQRController;
class TQRCreateReportThread;

enum TQRState { qrAvailable, qrPrepare, qrPreview, qrPrint, qrEdit };
enum TVaruzUvuzedOption { FirstPageHeader, LastPageFooter, Compression };
using TVaruzUvuzedOptions = TSet<TVaruzUvuzedOption>;
const TTypeInfo* QROptionsType();

// Values of the run on this thread that bands, controllers and controls share.
struct TQRRunGlobals {
  bool CompositeContinuation = false;
  Integer CurrentDetailNumber = 0;
  Integer PagesStarted = 0;
  bool DetailOverflow = false;
  String CurrentBandName;
  String CurrentControlName;
};
// One per thread: a report running on a worker and one on the main thread do not see each other's.
TQRRunGlobals& QRRunGlobals();

class TCustomRezavOze;
class TQRProgressForm;
using TQRReportBeforePrintEvent = TDelegate<void(TCustomRezavOze* Sender, bool& PrintReport)>;
using TQRReportNotifyEvent = TDelegate<void(TCustomRezavOze* Sender)>;
using TQRExportEvent = TDelegate<void(TCustomRezavOze* Sender, bool& ExportHandled)>;

// Switches that create or delete the standard bands.
class TRezavOzeBands : public TPersistent {
  KIV_CLASS(TRezavOzeBands, TPersistent)
 public:
  static void Published(TPropBuilder<TRezavOzeBands>& p);
  explicit TRezavOzeBands(TCustomRezavOze* report) : report_(report) {}

  bool GetHasTitle() const { return Find(rbTitle) != nullptr; }
  void SetHasTitle(bool v) { Switch(rbTitle, v); }
  bool GetHasPageHeader() const { return Find(rbPageHeader) != nullptr; }
  void SetHasPageHeader(bool v) { Switch(rbPageHeader, v); }
  bool GetHasColumnHeader() const { return Find(rbColumnHeader) != nullptr; }
  void SetHasColumnHeader(bool v) { Switch(rbColumnHeader, v); }
  bool GetHasDetail() const { return Find(rbDetail) != nullptr; }
  void SetHasDetail(bool v) { Switch(rbDetail, v); }
  bool GetHasPageFooter() const { return Find(rbPageFooter) != nullptr; }
  void SetHasPageFooter(bool v) { Switch(rbPageFooter, v); }
  bool GetHasSummary() const { return Find(rbSummary) != nullptr; }
  void SetHasSummary(bool v) { Switch(rbSummary, v); }

  TQRCustomBand* TitleBand() const { return Find(rbTitle); }
  TQRCustomBand* PageHeaderBand() const { return Find(rbPageHeader); }
  TQRCustomBand* ColumnHeaderBand() const { return Find(rbColumnHeader); }
  TQRCustomBand* DetailBand() const { return Find(rbDetail); }
  TQRCustomBand* ColumnFooterBand() const { return nullptr; }
  TQRCustomBand* PageFooterBand() const { return Find(rbPageFooter); }
  TQRCustomBand* SummaryBand() const { return Find(rbSummary); }

 private:
  TQRCustomBand* Find(TQRBandType type) const;
  void Switch(TQRBandType type, bool value);
  TCustomRezavOze* report_;
};

// Preview window settings a report may share with others.
class TQRPreviewController : public TComponent {
  KIV_CLASS(TQRPreviewController, TComponent)
 public:
  explicit TQRPreviewController(TComponent* owner) : TComponent(owner) {}
  TQRPreviewOptions Options;
  Integer PagesInPreview = 0;
};

class TCustomRezavOze : public TQRBasePanel,
                        public TQRReportLink,
                        public TQRPreviewLink,
                        public IQRExprReport {
  KIV_CLASS(TCustomRezavOze, TQRBasePanel)
 public:
  static void Published(TPropBuilder<TCustomRezavOze>& p);
  explicit TCustomRezavOze(TComponent* owner);
  TCustomRezavOze(TComponent* owner, Integer dummy);
  ~TCustomRezavOze() override;

  // ---- Requests ----
  // Generates the pages into the report's printer without showing them.
  void Prepare();
  // Generates and shows the preview; returns when it closes (at once with CreateInBGThread). A
  // generation error closes the preview and travels on to the caller.
  void Preview();
  void PreviewModal();
  void PreviewModeless();
  // Generates straight onto the printer.
  void Print();
  void PrintBackground();
  // The preview's form, which hands its printer, stays callable beside the report's own.
  using TQRPreviewLink::PrinterSetup;
  void PrinterSetup();
  // Runs the report once more with the filter receiving every page, text and graphic; the printer
  // of the previous run stays as it was. OnExport may take the export over.
  void ExportToFilter(TQRExportFilter* AFilter);
  // Cancels a running generation: the run stops at the next record.
  void Cancel();

  // ---- The run ----
  virtual void CreateReport(bool Continuation);
  void PrintBand(TQRCustomBand* Band);
  void NewPage(bool printHeaders = true);
  void NewColumn();
  void EndPage();
  Integer AvailableSpace() const;
  void ResetPageFooterSize();
  void ApplyPrinterSettings();
  // Lets the application handle waiting input during a run: on the main thread only and at most
  // every few milliseconds, so a record loop neither drives another thread's loop nor re-enters on
  // every record.
  void ProcessRunMessages();

  // ---- Bands ----
  TQRCustomBand* CreateBand(TQRBandType BandType);
  void AddBand(TQRCustomBand* aBand);
  void RemoveBand(TQRCustomBand* aBand);
  // Rebuilds the band order and lays the bands out.
  void RebuildBandList();
  void SetBandValues();
  const std::vector<TQRCustomBand*>& GetBandList() const { return bandList_; }
  TRezavOzeBands* GetBands() const { return bands_.get(); }
  void SetBands(TRezavOzeBands*) {}
  TQRCustomController* GetController() const { return controller_.get(); }
  void AddNotifyClient(TQRPrintable* Value);

  // ---- Text measuring on the reference device ----
  Integer TextWidth(TFont* aFont, const String& aText);
  Integer TextHeight(TFont* aFont, const String& aText);
  // The height of the text in the font on the printer's page canvas, in device pixels; selects the
  // font into the canvas. Heights are kept per font, text and resolution, as every line asks.
  // A width the text never exceeds in TextWidth, found from the widths of its characters alone
  // (kept per font); -1 when the text holds characters that are measured only together.
  Integer TextWidthBound(TFont* aFont, const String& aText);
  Integer PageTextHeight(TCanvas* canvas, TFont* aFont, const String& aText);

  // ---- State ----
  bool GetAvailable() const { return available_; }
  bool GetCancelled() const { return cancelled_; }
  bool GetExporting() const override { return exporting_; }
  TQRExportFilter* GetExportFilter() const { return exportFilter_; }
  bool GetFinalPass() const { return finalPass_; }
  bool GetLastPage() const { return lastPage_; }
  Integer GetCurrentX() const { return currentX_; }
  void SetCurrentX(Integer v) { currentX_ = v; }
  Integer GetCurrentY() const { return currentY_; }
  void SetCurrentY(Integer v) { currentY_ = v; }
  Integer GetCurrentColumn() override { return currentColumn_; }
  Integer GetColumnTopPosition() const { return columnTopPosition_; }
  Integer GetPageNumber() const { return pageCount_; }
  // The page count of the run, known when a control asked for it (0 otherwise).
  Integer GetTotalPages() const { return totalPages_; }
  Extended GetPageFooterSize() const { return pageFooterSize_; }
  TList* GetAllDataSets() const { return allDataSets_.get(); }
  TQRPrinter* GetQRPrinter() const { return qrPrinter_.get(); }
  TQRState GetState() const { return qrAvailable; }
  TQRPageInfoList* GetPageLinkInfoList() const { return pageLinkInfoList_.get(); }
  TQRLinkPage* GetCurrentLinkPage() const { return currLinkPage_.get(); }
  bool UsePreviewLinks = false;
  std::atomic<bool> UserCancel{false};
  bool PreparingDesignTime = false;
  Integer GetRecordCount() override { return 1; }
  Integer GetRecordNumber() override { return 0; }

  // ---- Properties ----
  TQRPage* GetPage() const { return page_.get(); }
  void SetPage(TQRPage* value) { page_->Assign(value); }
  TQRPrinterSettings* GetPrinterSettings() const { return printerSettings_.get(); }
  void SetPrinterSettings(TQRPrinterSettings* value) { printerSettings_->Assign(value); }
  TQREvEnvironment* GetFunctions() const { return environment_.get(); }
  void SetFunctions(TQREvEnvironment* value) { environment_->Assign(value); }
  TStrings* GetDescription() const { return description_.get(); }
  void SetDescription(TStrings* value) { description_->Assign(value); }
  TVaruzUvuzedOptions GetOptions() const { return options_; }
  void SetOptions(TVaruzUvuzedOptions value) { options_ = value; }
  bool GetPrintIfEmpty() const;
  virtual void SetPrintIfEmpty(bool value);
  const String& GetReportTitle() const { return reportTitle_; }
  void SetReportTitle(const String& value) { reportTitle_ = value; }
  bool GetShowProgress() const override { return showProgress_; }
  void SetShowProgress(bool value) { showProgress_ = value; }
  bool GetSnapToGrid() const { return snapToGrid_; }
  void SetSnapToGrid(bool value) { snapToGrid_ = value; }
  TQRUnit GetUnits() const { return page_->GetUnits(); }
  virtual void SetUnits(TQRUnit value);
  // 1 .. 300; other values are ignored.
  void SetZoom(Integer value) override;
  TColor GetBackgroundColor() const { return backgroundColor_; }
  void SetBackgroundColor(TColor value) { backgroundColor_ = value; }
  bool GetCreateInBGThread() const { return createInBGThread_; }
  void SetCreateInBGThread(bool value) { createInBGThread_ = value; }
  Integer GetPagesInPreview() const override { return pagesInPreview_; }
  void SetPagesInPreview(Integer value) { pagesInPreview_ = value; }
  Integer GetPreviewWidth() const { return previewWidth_ > 0 ? previewWidth_ : 500; }
  void SetPreviewWidth(Integer value) { previewWidth_ = value; }
  Integer GetPreviewHeight() const { return previewHeight_ > 0 ? previewHeight_ : 500; }
  void SetPreviewHeight(Integer value) { previewHeight_ = value; }
  Integer GetPreviewLeft() const { return previewLeft_; }
  void SetPreviewLeft(Integer value) { previewLeft_ = value; }
  Integer GetPreviewTop() const { return previewTop_; }
  void SetPreviewTop(Integer value) { previewTop_ = value; }
  TFormStyle GetPrevFormStyle() const { return prevFormStyle_; }
  void SetPrevFormStyle(TFormStyle value) { prevFormStyle_ = value; }
  TWindowState GetPreviewInitialState() const { return previewInitialState_; }
  void SetPreviewInitialState(TWindowState value) { previewInitialState_ = value; }
  TQRZoomState GetPrevInitialZoom() const override { return prevInitialZoom_; }
  void SetPrevInitialZoom(TQRZoomState value) { prevInitialZoom_ = value; }
  bool GetPrevShowThumbs() const { return prevShowThumbs_; }
  void SetPrevShowThumbs(bool value) { prevShowThumbs_ = value; }
  bool GetPrevShowSearch() const { return prevShowSearch_; }
  void SetPrevShowSearch(bool value) { prevShowSearch_ = value; }
  TPrevSaveType GetPreviewDefaultSaveType() const { return previewDefaultSaveType_; }
  void SetPreviewDefaultSaveType(TPrevSaveType value) { previewDefaultSaveType_ = value; }
  bool GetShowingPreview() const { return qrPrinter_ && qrPrinter_->GetShowingPreview(); }
  void SetShowingPreview(bool) {}
  TQRPreviewController* GetPreviewController() const { return previewController_; }
  void SetPreviewController(TQRPreviewController* value);
  const String& GetBackImageControl() const { return backImageControl_; }
  void SetBackImageControl(const String& value) { backImageControl_ = value; }
  bool GetHideBands() const { return hideBands_; }
  void SetHideBands(bool value);
  Integer GetRotateBands() const { return rotateBands_; }
  void SetRotateBands(Integer value);
  // Whether a background generation thread is working.
  bool GetGenerating() const;
  // Waits for a background generation to end (main thread: queued calls keep running meanwhile).
  void WaitForGeneration();

  // ---- Events ----
  TQRReportBeforePrintEvent BeforePrint;
  TQRReportNotifyEvent OnStartPage;
  TQRReportNotifyEvent OnEndPage;
  TNotifyEvent AfterPrintEvent;
  TNotifyEvent AfterPreview;
  TNotifyEvent OnPreviewShowing;
  TNotifyEvent BeforePreview;
  TNotifyEvent OnPreview;
  TQRExportEvent OnExport;

  // ---- What the printer and the preview window need ----
  TQRPrinterSettings* GetReportPrinterSettings() override { return printerSettings_.get(); }
  void GetPageSize(Extended& width, Extended& length) override;
  void AfterPrint() override;
  TWinControl* CreatePrintProgress(TQRPrinter* printer) override;
  void FreePrintProgress(TWinControl* form) override;
  TQRPreviewOptions GetPreviewOptions() override;
  void SetUserCancel() override { UserCancel = true; }
  void PrintReport() override { Print(); }

  void Loaded() override;
  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;

 protected:
  virtual void RunController();
  virtual void AssignStandardBands() {}
  void WndProc(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;
  void Paint() override;
  void ReplaceController(std::unique_ptr<TQRCustomController> controller);
  std::unique_ptr<TQRCustomController> controller_;

 private:
  friend class TQRCreateReportThread;
  friend class TRezavOzeBands;
  // A fresh printer for a request; the one before is kept while a preview or a worker still uses
  // it, else freed. False while a run is active.
  bool MakePrinter();
  void WirePrinter();
  void ReleasePrinter(TQRPrinter* printer);
  void FreeRetiredPrinters();
  void StartBackgroundRun(bool print);
  // The progress window of a run on the printer (made its client) with ShowProgress, else none.
  std::unique_ptr<TQRProgressForm> ShowRunProgress(TQRPrinter* printer, const String& caption);
  void RunBody(bool Continuation);
  void RunSteps(bool Continuation);
  // A run that draws nothing, to learn the page count.
  void CountPages();
  void CollectDataSets();
  void ForEachPrintable(const std::function<void(TQRPrintable*)>& f) const;
  void PrintColumnHeaders();
  void RepeatHeader(TQRCustomBand* band);
  Extended PaperLength() const;
  void PaintMargins();

  std::unique_ptr<TQRPage> page_;
  std::unique_ptr<TQRPrinterSettings> printerSettings_;
  std::unique_ptr<TQRPrinterSettings> userPrinterSettings_;
  std::unique_ptr<TQREvEnvironment> environment_;
  std::unique_ptr<TStringList> description_;
  std::unique_ptr<TRezavOzeBands> bands_;
  std::unique_ptr<TQRPageInfoList> pageLinkInfoList_;
  std::unique_ptr<TQRLinkPage> currLinkPage_;
  std::vector<TQRCustomBand*> bandList_;
  std::unique_ptr<TQRPrinter> qrPrinter_;
  // Printers of earlier requests whose preview is still open.
  std::vector<std::unique_ptr<TQRPrinter>> retiredPrinters_;
  std::unique_ptr<TQRCreateReportThread> bgThread_;
  // A printer whose preview closed while a run still used it: freed once the run is over.
  TQRPrinter* closedPrinter_ = nullptr;
  std::unique_ptr<TList> allDataSets_;
  std::recursive_mutex referenceLock_;
  HDC referenceDC_ = nullptr;
  struct TTextHeightKey {
    HFONT font;
    Integer dpi;
    String text;
    bool operator<(const TTextHeightKey& o) const {
      return std::tie(font, dpi, text) < std::tie(o.font, o.dpi, o.text);
    }
  };
  std::map<TTextHeightKey, Integer> textHeights_;
  std::map<std::pair<HFONT, Char>, Integer> charWidths_;

  std::atomic<bool> available_{true};
  std::atomic<bool> cancelled_{false};
  bool exporting_ = false;
  TQRExportFilter* exportFilter_ = nullptr;
  bool finalPass_ = true;
  bool lastPage_ = false;
  Integer currentX_ = 0, currentY_ = -1;
  Integer currentColumn_ = 1;
  Integer columnTopPosition_ = 0;
  Integer pageCount_ = 0;
  Integer totalPages_ = 0;
  Extended pageFooterSize_ = 0;
  TQRPrintable* backgroundControl_ = nullptr;
  TQREvElement* evPageNumber_ = nullptr;
  TQREvElement* evColumnNumber_ = nullptr;
  TQREvElement* evReportTitle_ = nullptr;
  UInt64 lastMessagesTick_ = 0;
  TQRUnit savedUnits_ = MM;

  TVaruzUvuzedOptions options_{FirstPageHeader, LastPageFooter};
  String reportTitle_;
  bool showProgress_ = true;
  bool snapToGrid_ = true;
  TColor backgroundColor_ = clWhite;
  bool createInBGThread_ = false;
  Integer pagesInPreview_ = 0;
  Integer previewWidth_ = 500, previewHeight_ = 500, previewLeft_ = 0, previewTop_ = 0;
  TFormStyle prevFormStyle_ = fsNormal;
  TWindowState previewInitialState_ = wsMaximized;
  TQRZoomState prevInitialZoom_ = qrZoomToFit;
  bool prevShowThumbs_ = true, prevShowSearch_ = true;
  TPrevSaveType previewDefaultSaveType_ = stPDF;
  TQRPreviewController* previewController_ = nullptr;
  String backImageControl_;
  bool hideBands_ = false;
  Integer rotateBands_ = 0;
  bool destroying_ = false;
};

// The dataset-bound report that forms stream in.
class TRezavOze : public TCustomRezavOze {
  KIV_CLASS(TRezavOze, TCustomRezavOze)
 public:
  static void Published(TPropBuilder<TRezavOze>& p);
  explicit TRezavOze(TComponent* owner);

  TDataSet* GetDataSet() const;
  void SetDataSet(TDataSet* value);
  TQRController* GetReportController() const;
  // 1 for an inactive dataset or when counting fails; replaceRecordcount when above 0.
  Integer GetRecordCount() override;
  Integer GetRecordNumber() override;
  bool usePassiveRecordCount = false;
  Integer replaceRecordcount = 0;

  TQROnNeedDataEvent OnNeedData;

 protected:
  void RunController() override;
  void AssignStandardBands() override;
};

// Generates a report on a worker thread; the main thread meanwhile shows the pages made so far. The
// worker shares only the report's printer (and its page store, which locks itself) with the main
// thread; the printer stays the report's, which frees it once no preview shows it.
class TQRCreateReportThread : public TThread {
  KIV_CLASS(TQRCreateReportThread, TThread)
 public:
  TQRCreateReportThread(TCustomRezavOze* report, TQRPrinter* printer);
  ~TQRCreateReportThread() override;
  // The exception that ended the run, if one did (read after the thread finished).
  std::exception_ptr GetRunError() const { return runError_; }

 protected:
  void Execute() override;

 private:
  TCustomRezavOze* report_;
  TQRPrinter* printer_;
  std::exception_ptr runError_;
};

// Registers the report classes for component streaming and sets the library up; idempotent.
void InitializeReportEngine();
