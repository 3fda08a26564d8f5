// Report printer: receives a generated report page by page, draws each page on a metafile canvas
// into the page store or straight onto the printer, and afterwards prints, saves, loads and
// previews the stored pages. It tells the preview about progress and new pages by posted messages.
#pragma once

#include <atomic>
#include <memory>

#include "platform/classes/Delegate.h"
#include "platform/controls/Controls.h"
#include "platform/controls/Messages.h"
#include "reportlib/output/QRPageList.h"
#include "reportlib/output/QRPrinterSettings.h"

enum TQRPrinterDestination { qrdMetafile, qrdPrinter };
enum TQRPrinterStatus { mpReady, mpBusy, mpFinished };

// Messages of the printer: to its client (the preview) and to its report's window.
enum : UINT {
  QRM_PROGRESS = WM_USER,           // percent
  QRM_PAGEAVAILABLE = WM_USER + 1,  // pages available
  QRM_PRINTAGAIN = WM_USER + 2,     // generate the report again straight to the printer
  QRM_PREVIEWCLOSED = WM_USER + 4,  // lParam: the printer
};

class TQRPrinter;

enum TQRZoomState { qrZoomToFit, qrZoomToWidth, qrZoomOther, qrZoom100 };

// What the printer and the preview window need of the report that owns them. The report engine
// implements it; this library never sees the report's classes.
class TQRReportLink {
 public:
  virtual ~TQRReportLink() = default;
  // The report's stored printing choices.
  virtual TQRPrinterSettings* GetReportPrinterSettings() = 0;
  virtual bool GetExporting() const { return false; }
  virtual bool GetAdjustScreenRes() const { return false; }
  virtual bool GetShowProgress() const { return false; }
  // The report page's width and length in 0.1 mm (native units, orientation applied).
  virtual void GetPageSize(Extended& width, Extended& length) = 0;
  virtual void AfterPrint() {}
  // The printing progress form (made and owned by the report), shown while stored pages print;
  // null for none. It becomes the printer's client and receives QRM_PROGRESS.
  virtual TWinControl* CreatePrintProgress(TQRPrinter*) { return nullptr; }
  virtual void FreePrintProgress(TWinControl*) {}
  // The zoom the preview starts with.
  virtual TQRZoomState GetPrevInitialZoom() const { return qrZoomOther; }
};

// The screen's pixels per inch; 96 where there is no screen.
double ScreenDpi();

// Rounds to the nearest integer, halves to even, as RoundInt does; in double precision, which is
// many times quicker, for the positions and measures that a run computes for every band and line.
Integer QRRound(Extended v);

// Set while printing from the preview should print the stored pages rather than generate the
// report again: by previewing with PrintMetafile, and by loading a saved report. A new report
// clears it.
bool GetQRPrintStoredPages();
void SetQRPrintStoredPages(bool value);

class TQRPreviewInterface;
// The class of the preview window the printer opens; null means the standard preview.
using TQRPreviewInterfaceFactory = std::unique_ptr<TQRPreviewInterface> (*)(TComponent* owner);
extern TQRPreviewInterfaceFactory QRPreviewInterfaceClass;

using TQRExportToFilterEvent = TDelegate<void(TObject* filter)>;

class TQRPrinter : public TPersistent {
  KIV_CLASS(TQRPrinter, TPersistent)
 public:
  // report: the owning report's link, or null for a printer of its own.
  explicit TQRPrinter(TQRReportLink* report);
  ~TQRPrinter() override;

  void Cleanup();
  void Cancel() { cancelled_ = true; }
  bool GetCancelled() const { return cancelled_; }

  // ---- Producing a document ----
  // Raise EQRError "QRPrinter not ready" outside mpReady.
  void BeginDoc();
  // Raise EQRError "Illegal call to NewPage" outside mpBusy.
  void NewPage();
  void EndDoc();
  void AbortDoc();
  // The canvas of the page being drawn.
  TCanvas* GetCanvas() const { return canvas_; }
  void AddHyperlink(const TRect&, const String&) {}
  void FreeHyperlinks() {}
  void AddOutline(Integer level, const String& caption, const TRect& target);

  // Lengths in 0.1 mm to device pixels.
  Integer XPos(Extended value) const;
  Integer YPos(Extended value) const;
  Integer XSize(Extended value) const;
  Integer YSize(Extended value) const;
  // The paper in 0.1 mm, orientation applied.
  Integer GetPaperWidthValue() const;
  Integer GetPaperLengthValue() const;

  // ---- After the run ----
  // A new metafile of a stored page (the caller owns it); null outside 1 .. PageCount or while the
  // page is still being drawn.
  std::unique_ptr<TMetafile> GetPage(Integer value);
  void GetPageEx(Integer value, std::unique_ptr<TMetafile>& metafile, std::unique_ptr<THyperlinkList>& links);
  // Prints the stored pages (or asks the report to generate again for the printer).
  void Print();
  void Save(const String& fileName);
  void Load(const String& fileName);
  void LoadFromStream(TMemoryStream* stream);
  void Preview();
  void PreviewModal();
  void PrintSetup();
  void ExportToFilter(TObject* filter);
  void ClosePreview(TWinControl* control);
  // Prints pages fromPage .. toPage of the store on the shared printer, each over the whole page.
  void PrintMetafileDirect(const String& fileName, Integer fromPage, Integer toPage);

  // ---- Properties ----
  TQRReportLink* GetParentReport() const { return report_; }
  TQRPrinterDestination GetDestination() const { return destination_; }
  void SetDestination(TQRPrinterDestination value) { destination_ = value; }
  TQRPrinterStatus GetStatus() const { return status_; }
  Integer GetPageCount() const { return pageCount_; }
  Integer GetPageNumber() const { return pageNumber_; }
  void SetPageNumber(Integer value);
  Integer GetAvailablePages() const { return availablePages_; }
  void SetAvailablePages(Integer value);
  Integer GetProgress() const { return progress_; }
  void SetProgress(Integer value);
  Integer GetFirstPage() const { return firstPage_; }
  void SetFirstPage(Integer value) { firstPage_ = value; }
  Integer GetLastPage() const { return lastPage_; }
  void SetLastPage(Integer value) { lastPage_ = value; }
  Integer GetMasterProgressStart() const { return masterProgressStart_; }
  void SetMasterProgressStart(Integer v) { masterProgressStart_ = v; }
  Integer GetMasterProgressEnd() const { return masterProgressEnd_; }
  void SetMasterProgressEnd(Integer v) { masterProgressEnd_ = v; }
  Integer GetTopWaste() const { return topWaste_; }
  Integer GetLeftWaste() const { return leftWaste_; }
  Extended GetXFactor() const { return xFactor_; }
  void SetXFactor(Extended v) { xFactor_ = v; }
  Extended GetYFactor() const { return yFactor_; }
  void SetYFactor(Extended v) { yFactor_ = v; }
  const String& GetTitle() const { return title_; }
  void SetTitle(const String& value) { title_ = value; }
  bool GetPrinterOK() const { return printerOK_; }
  bool GetIsPrinting() const { return isPrinting_; }
  bool GetReportLoaded() const { return reportLoaded_; }
  void SetReportLoaded(bool value) { reportLoaded_ = value; }
  bool GetShowingPreview() const { return showingPreview_; }
  void SetShowingPreview(bool value);
  TQRPageList* GetPageList() const { return pageList_.get(); }
  TPrinterSettings* GetPrinterSettings() const { return settings_.get(); }
  TPrinter* GetPrinter() const { return printer_; }
  TStrings* GetPrinters() const { return printer_->GetPrinters(); }
  Integer GetPrinterIndex() const { return printer_->GetPrinterIndex(); }
  void SetPrinterIndex(Integer value);
  HDC GetPrinterHandle() const { return printer_->GetHandle(); }
  Extended GetCurrentScreenDPI() const;
  // The preview (or progress form) that receives QRM_PROGRESS and QRM_PAGEAVAILABLE.
  TWinControl* GetClient() const { return client_; }
  void SetClient(TWinControl* value);
  // The report's window, told QRM_PRINTAGAIN and QRM_PREVIEWCLOSED.
  TWinControl* GetMaster() const { return master_; }
  void SetMaster(TWinControl* value);
  TWinControl* GetPreviewControl() const { return previewControl_; }
  bool GetCompression() const { return pageList_->GetCompression(); }
  void SetCompression(bool value) { pageList_->SetCompression(value); }

  // Forwarded to the printer settings.
  Integer GetCopies() const { return settings_->GetCopies(); }
  void SetCopies(Integer v) { settings_->SetCopies(v); }
  bool GetDuplex() const { return settings_->GetDuplex(); }
  void SetDuplex(bool v) { settings_->SetDuplex(v); }
  TPrinterOrientation GetOrientation() const { return settings_->GetOrientation(); }
  void SetOrientation(TPrinterOrientation v) { settings_->SetOrientation(v); }
  TQRBin GetOutputBin() const { return settings_->GetOutputBin(); }
  void SetOutputBin(TQRBin v) { settings_->SetOutputBin(v); }
  TQRPaperSize GetPaperSize() const { return settings_->GetPaperSize(); }
  void SetPaperSize(TQRPaperSize v) { settings_->SetPaperSize(v); }
  Integer GetPaperWidth() const { return settings_->GetPaperWidth(); }
  void SetPaperWidth(Integer v) { settings_->SetPaperWidth(v); }
  Integer GetPaperLength() const { return settings_->GetPaperLength(); }
  void SetPaperLength(Integer v) { settings_->SetPaperLength(v); }
  bool GetPrintMetafile() const { return settings_->GetPrintMetafile(); }
  void SetPrintMetafile(bool v) { settings_->SetPrintMetafile(v); }
  bool GetUseStandardPrinter() const { return settings_->GetUseStandardPrinter(); }
  bool GetUseExtendedDuplex() const { return settings_->GetUseExtendedDuplex(); }
  void SetUseExtendedDuplex(bool v) { settings_->SetUseExtendedDuplex(v); }
  Integer GetExtendedDuplex() const { return settings_->GetExtendedDuplex(); }
  void SetExtendedDuplex(Integer v) { settings_->SetExtendedDuplex(v); }
  bool GetUseCustomBinCode() const { return settings_->GetUseCustomBinCode(); }
  void SetUseCustomBinCode(bool v) { settings_->SetUseCustomBinCode(v); }
  Integer GetCustomBinCode() const { return settings_->GetCustomBinCode(); }
  void SetCustomBinCode(Integer v) { settings_->SetCustomBinCode(v); }
  bool GetUseCustomPaperCode() const { return settings_->GetUseCustomPaperCode(); }
  void SetUseCustomPaperCode(bool v) { settings_->SetUseCustomPaperCode(v); }
  Integer GetCustomPaperCode() const { return settings_->GetCustomPaperCode(); }
  void SetCustomPaperCode(Integer v) { settings_->SetCustomPaperCode(v); }
  Integer GetPrintQuality() const { return settings_->GetPrintQuality(); }
  void SetPrintQuality(Integer v) { settings_->SetPrintQuality(v); }
  Integer GetCollate() const { return settings_->GetCollate(); }
  void SetCollate(Integer v) { settings_->SetCollate(v); }
  Integer GetColorOption() const { return settings_->GetColorOption(); }
  void SetColorOption(Integer v) { settings_->SetColorOption(v); }

  TNotifyEvent AfterPrint;
  TNotifyEvent AfterPreview;
  TNotifyEvent OnPreview;
  TNotifyEvent OnPrintSetup;
  TQRExportToFilterEvent OnExportToFilter;

 private:
  bool InRange() const;
  void CreateMetafilePage();
  void StorePage();
  void StartPrinterPage();
  void EndPrinterPage();
  void ClosePage();
  void GuessPaper();
  void AfterLoad();
  void Post(HWND wnd, UINT msg, WPARAM wParam) const;

  TPrinter* printer_ = nullptr;
  std::unique_ptr<TPrinter> ownPrinter_;
  TQRReportLink* report_;
  std::atomic<Integer> availablePages_ = 0;
  std::atomic<bool> cancelled_ = false;
  TCanvas* canvas_ = nullptr;
  TWinControl* client_ = nullptr;
  HWND clientWnd_ = nullptr;
  TWinControl* master_ = nullptr;
  HWND masterWnd_ = nullptr;
  TQRPrinterDestination destination_ = qrdMetafile;
  Integer firstPage_ = 0, lastPage_ = 0;
  Integer leftWaste_ = 0, topWaste_ = 0;
  std::unique_ptr<TMetafile> metafile_;
  std::unique_ptr<TCanvas> metafileCanvas_;
  std::atomic<Integer> pageCount_ = 0;
  Integer pageNumber_ = 0;
  bool printerOK_ = false;
  std::atomic<Integer> progress_ = 0;
  Integer masterProgressStart_ = 0, masterProgressEnd_ = 0;
  String title_;
  std::atomic<bool> showingPreview_ = false;
  std::atomic<TQRPrinterStatus> status_ = mpReady;
  Extended xFactor_ = 0.37795, yFactor_ = 0.37795;
  std::unique_ptr<TQRPageList> pageList_;
  TWinControl* previewControl_ = nullptr;
  bool reportLoaded_ = false;
  std::unique_ptr<TPrinterSettings> settings_;
  bool isPrinting_ = false;
};
