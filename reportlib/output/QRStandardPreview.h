// Standard preview window: pages through, zooms, searches (Cyrillic included), copies, prints, saves
// and loads a report's pages, with thumbnails and search results beside the page; and the text
// search dialog.
#pragma once

#include "platform/controls/Buttons.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Grids.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "reportlib/output/QRPreview.h"
#include "reportlib/output/QRPrintDialog.h"

enum TStandPrevEventType { spOpen, spClose, spCopy, spPrint, spPrintSetup, spLoad, spSave, spCancel };
// What the report's mouse event on a previewed page says.
enum TQRPrevMouseEventType { meMouseClick, meMouseOver, meMouseOut };
enum TPrevSaveType { stQRP, stPDF, stXL, stHTML, stRTF, stCSV, stASCII, stXML, stXLSX };

// How the report wants its preview window (its preview properties or its preview controller).
struct TQRPreviewOptions {
  bool StayOnTop = true;
  bool ShowThumbs = true;
  bool ShowSearch = true;
  TQRZoomState InitZoom = qrZoomOther;
  Integer Zoom = 100;
  String Title;
  TPrinterOrientation Orientation = poPortrait;
  TWindowState WindowState = wsMaximized;
  Integer Top = 0, Left = 0, Width = 800, Height = 600;
  bool ShowLoadReportButton = true, ShowSaveReportButton = true, ShowCancelButton = true;
  bool ShowPrintButton = true, ShowPrintSetupButton = true, ShowGotoButton = true;
  bool ShowZoomPickButton = true, ShowZoom100Button = true, ShowZoomFitButton = true;
  bool ShowZoomToWidthButton = true, ShowFirstButton = true, ShowPrevButton = true;
  bool ShowNextButton = true, ShowLastButton = true;
  bool ShowMinimise = true, ShowMaximise = true, ShowSysMenu = true;
  TPrevSaveType DefaultSaveType = stQRP;
};

// What the preview window needs of its report beyond what the printer needs. The report engine's
// report implements it beside TQRReportLink; the window finds it on the printer's report.
class TQRPreviewLink {
 public:
  virtual ~TQRPreviewLink() = default;
  virtual TQRPreviewOptions GetPreviewOptions() = 0;
  // The report's OnStandPrevEvent: true when the report handled the action itself.
  virtual bool StandPrevEvent(TStandPrevEventType, const String& /*contName*/) { return false; }
  // Generation stops after this many pages (0: no limit).
  virtual Integer GetPagesInPreview() const { return 0; }
  virtual void SetUserCancel() = 0;
  // The report prints itself, generating again for the printer.
  virtual void PrintReport() = 0;
  // The report's printer setup: runs the dialog; false when cancelled.
  virtual bool PrinterSetup(TQRPrintDialog& dialog) { return dialog.Execute(); }
  virtual bool GetPrintAfterSetup() const { return false; }
  // After a saved report is loaded, the report page follows its paper.
  virtual void SetPagePaper(TQRPaperSize, TPrinterOrientation) {}
  // A report that belongs to a composite report: the composite's stored choices, which printer
  // setup fills instead of the report's own (and no printing follows); null otherwise.
  virtual TQRPrinterSettings* GetCompositePrinterSettings() { return nullptr; }
  // A report that records its printed items per page (preview links) gets the mouse on the page in
  // page coordinates: a button press (click) or a move. It hit-tests the page's items and raises its
  // mouse event: meMouseClick on an item, meMouseOver an item, or meMouseOut of all of them.
  virtual bool GetUsePreviewLinks() const { return false; }
  virtual void PreviewMouse(bool /*click*/, Integer /*pageNumber*/, const TPoint& /*pagePoint*/) {}
};

// Whether a page's text contains the text; without matchCase both are upper-cased. Whole UTF-16
// characters are compared, so Cyrillic text is found.
bool MetafileContainsText(const String& text, TMetafile* metafile, bool matchCase);

class TSearchDlg : public TForm {
  KIV_CLASS(TSearchDlg, TForm)
 public:
  explicit TSearchDlg(TComponent* owner);
  String GetText() const { return Edit1->GetText(); }
  bool GetCase() const { return CheckBox1->GetChecked(); }
  // Shows the dialog modally: false when cancelled.
  static bool GetTextSearch(bool& matchCase, String& text);

  TEdit* Edit1;
  TLabel* Label1;
  TCheckBox* CheckBox1;
  TButton* SpeedButton1;  // cancel
  TButton* SpeedButton2;  // search
  bool cancel = true;
};

class TQRStandardPreview : public TForm {
  KIV_CLASS(TQRStandardPreview, TForm)
 public:
  TQRStandardPreview(TComponent* owner, TQRPrinter* printer);
  ~TQRStandardPreview() override;

  TQRPrinter* GetQRPrinter() const { return qrPrinter_; }
  void Show();
  // Lists the pages that contain the text in the search results and brings them to the front.
  void SearchFor(const String& text, bool matchCase);
  void SelectPage(Integer page);
  void UpdateInfo();

  // The user's actions.
  void FirstPageClick(TObject* sender);
  void PrevPageClick(TObject* sender);
  void NextPageClick(TObject* sender);
  void LastPageClick(TObject* sender);
  void ZoomFitClick(TObject* sender);
  void Zoom100Click(TObject* sender);
  void ZoomToWidthClick(TObject* sender);
  void ZoomPickButtonClick(TObject* sender);
  void ZoomMenuClick(TObject* sender);
  void GotoPageButtonClick(TObject* sender);
  void FindButtonClick(TObject* sender);
  void SearchResultBoxClick(TObject* sender);
  void CopyButtonClick(TObject* sender);
  void CancelButtonClick(TObject* sender);
  void PrintClick(TObject* sender);
  void PrintSetupClick(TObject* sender);
  void SaveClick(TObject* sender);
  void LoadClick(TObject* sender);
  void ExitClick(TObject* sender);

  TStatusBar* StatusBar;
  TToolBar* ToolBar1;
  TToolButton *ZoomFit, *ZoomToWidth, *Zoom100, *ZoomPickButton, *FirstPage, *PreviousPage, *nextPage,
      *LastPage, *GotoPageButton, *FindButton, *copybutton, *PrintSetup, *Print, *LoadReport, *SaveReport,
      *CancelButton, *ExitButton;
  TPageControl* Tabs;
  TTabSheet *TabThumbs, *TabSearchResult;
  TDrawGrid* ThumbGrid;
  TGroupBox* GroupBox1;
  TLabel* SearchTextLabel;
  TListBox* SearchResultBox;
  TQRPreview* QRPreview;
  TPopupMenu* Zoommenu;

  // Refused with "The report is still executing" while the report runs or exports.
  bool CloseQuery() override;

 private:
  void BuildControls();
  // The platform's dialogs are windows of their own: a preview that stays on top steps down while
  // one is open, so that it does not hide it. Answers the style to put back.
  TFormStyle LowerForDialog();
  TToolButton* AddButton(const String& caption, const String& hint,
                         void (TQRStandardPreview::*click)(TObject*), bool enabled = false);
  bool Raise(TStandPrevEventType type, const String& contName);
  void PageAvailable(TObject* sender, Integer pageNum);
  void ProgressUpdate(TObject* sender, Integer progress);
  void FormClose(TObject* sender, TCloseAction& action);
  void FormResize(TObject* sender);
  void FormKeyDown(TObject* sender, Word& key, TShiftState shift);
  void PreviewMouseDown(TObject* sender, TMouseButton button, TShiftState shift, Integer x, Integer y);
  void PreviewMouseMove(TObject* sender, TShiftState shift, Integer x, Integer y);
  TPoint PagePoint(Integer x, Integer y) const;
  void FormMouseWheel(TObject* sender, TShiftState shift, Integer wheelDelta, TPoint mousePos, bool& handled);
  void ThumbDrawCell(TObject* sender, Integer col, Integer row, const TRect& rect, TGridDrawState state);
  void ThumbSelectCell(TObject* sender, Integer col, Integer row, bool& canSelect);
  void ResizeThumb();
  void SetZoomStatus();

  TQRPrinter* qrPrinter_;
  TQRReportLink* report_ = nullptr;
  TQRPreviewLink* previewLink_ = nullptr;
  TPrinterOrientation reportOrientation_ = poPortrait;
  Integer lastProgress_ = 0;
  Integer thumbFontHeight_ = 0, thumbDrawHeight_ = 0, thumbDrawWidth_ = 0, thumbTopMargin_ = 0,
          thumbLeftMargin_ = 0;
  bool showThumbs_ = true, showSearch_ = true;
  bool pageSelected_ = false;
  bool selecting_ = false;
  bool paging_ = false;
  TQRZoomState initZoom_ = qrZoomOther;
  Extended udpifact_ = 1;
  String title_;
  TPrevSaveType defaultSaveType_ = stQRP;
};

class TQRStandardPreviewInterface : public TQRPreviewInterface {
  KIV_CLASS(TQRStandardPreviewInterface, TQRPreviewInterface)
 public:
  explicit TQRStandardPreviewInterface(TComponent* owner) : TQRPreviewInterface(owner) {}
  TWinControl* Show(TQRPrinter* printer) override;
  TWinControl* ShowModal(TQRPrinter* printer) override;
};
