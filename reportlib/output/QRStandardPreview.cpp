// Standard preview window: its controls, paging, zoom, the text search over all pages, thumbnails,
// printing, printer setup, saving and loading, and the keys and wheel of a reader.
#include "reportlib/output/QRStandardPreview.h"

#include "platform/controls/Clipbrd.h"
#include "platform/controls/Dialogs.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"
#include "reportlib/output/QRError.h"
#include "reportlib/output/QRExportFilter.h"

namespace {

const Char* DefaultExtension(TPrevSaveType type) {
  static const Char* const extensions[] = {u".QRP", u".PDF", u".XLS", u".HTML", u".RTF",
                                           u".CSV", u".TXT", u".XML", u".XLSX"};
  return extensions[type];
}

}  // namespace

bool MetafileContainsText(const String& text, TMetafile* metafile, bool matchCase) {
  if (!metafile || text.empty()) return false;
  const String wanted = matchCase ? text : AnsiUpperCase(text);
  for (const TEmfTextRecord& record : MetafileTextRecords(metafile)) {
    const String found = matchCase ? record.Text : AnsiUpperCase(record.Text);
    if (found.find(wanted) != String::npos) return true;
  }
  return false;
}

// ---- TSearchDlg ----

TSearchDlg::TSearchDlg(TComponent* owner) : TForm(owner, 0) {
  SetCaption(u"Search for Text");
  // Above the preview, which stays on top itself.
  SetFormStyle(fsStayOnTop);
  SetBorderStyle(bsDialog);
  SetBorderIcons({});
  SetPosition(poScreenCenter);
  SetClientWidth(330);
  SetClientHeight(110);
  Label1 = new TLabel(this);
  Label1->SetParent(this);
  Label1->SetCaption(u"Search Text");
  Label1->SetBounds(10, 12, 100, 16);
  Edit1 = new TEdit(this);
  Edit1->SetName(u"Edit1");
  Edit1->SetParent(this);
  Edit1->SetBounds(110, 8, 210, 22);
  CheckBox1 = new TCheckBox(this);
  CheckBox1->SetParent(this);
  CheckBox1->SetCaption(u"Match case");
  CheckBox1->SetBounds(110, 38, 200, 20);
  SpeedButton2 = new TButton(this);
  SpeedButton2->SetParent(this);
  SpeedButton2->SetCaption(u"Search");
  SpeedButton2->SetDefault(true);
  SpeedButton2->SetBounds(150, 72, 80, 26);
  SpeedButton2->OnClick = [this](TObject*) {
    cancel = false;
    Close();
  };
  SpeedButton1 = new TButton(this);
  SpeedButton1->SetParent(this);
  SpeedButton1->SetCaption(u"Cancel");
  SpeedButton1->SetCancel(true);
  SpeedButton1->SetBounds(240, 72, 80, 26);
  SpeedButton1->OnClick = [this](TObject*) {
    cancel = true;
    Close();
  };
  SetActiveControl(Edit1);
}

bool TSearchDlg::GetTextSearch(bool& matchCase, String& text) {
  TSearchDlg dialog(nullptr);
  dialog.ShowModal();
  if (dialog.cancel) return false;
  text = dialog.GetText();
  matchCase = dialog.GetCase();
  return true;
}

// ---- TQRStandardPreview ----

TToolButton* TQRStandardPreview::AddButton(const String& caption, const String& hint,
                                           void (TQRStandardPreview::*click)(TObject*), bool enabled) {
  auto* button = new TToolButton(this);
  button->SetCaption(caption);
  button->SetHint(hint);
  button->SetShowHint(true);
  button->SetEnabled(enabled);
  button->OnClick = TNotifyEvent(this, click);
  // Tool buttons line up by their order of placing.
  button->SetLeft(ToolBar1->GetButtonCount() * 100);
  button->SetParent(ToolBar1);
  return button;
}

void TQRStandardPreview::BuildControls() {
  SetCaption(u"Print Preview");
  SetKeyPreview(true);
  SetFormStyle(fsStayOnTop);
  SetBounds(60, 40, 1000, 760);
  StatusBar = new TStatusBar(this);
  StatusBar->SetParent(this);
  const std::pair<Integer, TAlignment> panels[] = {
      {60, taRightJustify}, {120, taLeftJustify}, {120, taLeftJustify}, {50, taLeftJustify}};
  for (const auto& [width, alignment] : panels) {
    TStatusPanel* panel = StatusBar->GetPanels()->Add();
    panel->SetWidth(width);
    panel->SetAlignment(alignment);
  }
  ToolBar1 = new TToolBar(this);
  ToolBar1->SetParent(this);
  ToolBar1->SetShowCaptions(true);
  ToolBar1->SetButtonHeight(32);
  ZoomFit = AddButton(u"По размеру", u"Zoom to fit", &TQRStandardPreview::ZoomFitClick, true);
  ZoomToWidth = AddButton(u"По ширине", u"Zoom to width", &TQRStandardPreview::ZoomToWidthClick, true);
  Zoom100 = AddButton(u"100%", u"100% Size", &TQRStandardPreview::Zoom100Click, true);
  for (TToolButton* b : {ZoomFit, ZoomToWidth, Zoom100}) {
    b->SetStyle(tbsCheck);
    b->SetGrouped(true);
  }
  ZoomPickButton = AddButton(u"Масштаб", u"Set Display Zoom", &TQRStandardPreview::ZoomPickButtonClick, true);
  FirstPage = AddButton(u"|<", u"First page", &TQRStandardPreview::FirstPageClick);
  PreviousPage = AddButton(u"<", u"Previous page", &TQRStandardPreview::PrevPageClick);
  nextPage = AddButton(u">", u"Next page", &TQRStandardPreview::NextPageClick);
  LastPage = AddButton(u">|", u"Last page", &TQRStandardPreview::LastPageClick);
  GotoPageButton = AddButton(u"Страница…", u"Select a Page", &TQRStandardPreview::GotoPageButtonClick);
  FindButton = AddButton(u"Найти", u"Search for Text", &TQRStandardPreview::FindButtonClick);
  copybutton = AddButton(u"Копировать", u"Copy page to clipboard", &TQRStandardPreview::CopyButtonClick);
  PrintSetup = AddButton(u"Принтер", u"Printer setup", &TQRStandardPreview::PrintSetupClick);
  Print = AddButton(u"Печать", u"Print", &TQRStandardPreview::PrintClick);
  LoadReport = AddButton(u"Открыть", u"Load report", &TQRStandardPreview::LoadClick);
  SaveReport = AddButton(u"Сохранить", u"Save report", &TQRStandardPreview::SaveClick);
  CancelButton = AddButton(u"Прервать", u"Cancel the report", &TQRStandardPreview::CancelButtonClick);
  ExitButton = AddButton(u"&Close", u"Close Preview", &TQRStandardPreview::ExitClick, true);

  Tabs = new TPageControl(this);
  Tabs->SetParent(this);
  Tabs->SetAlign(alLeft);
  Tabs->SetWidth(193);
  TabThumbs = new TTabSheet(this);
  TabThumbs->SetPageControl(Tabs);
  TabThumbs->SetCaption(u"ThumbNails");
  TabSearchResult = new TTabSheet(this);
  TabSearchResult->SetPageControl(Tabs);
  TabSearchResult->SetCaption(u"Search Results");
  ThumbGrid = new TDrawGrid(this);
  ThumbGrid->SetParent(TabThumbs);
  ThumbGrid->SetAlign(alClient);
  ThumbGrid->SetColCount(1);
  ThumbGrid->SetRowCount(1);
  ThumbGrid->SetFixedCols(0);
  ThumbGrid->SetFixedRows(0);
  ThumbGrid->SetOptions(TGridOptions{goRowSelect});
  ThumbGrid->OnDrawCell = TDrawCellEvent(this, &TQRStandardPreview::ThumbDrawCell);
  ThumbGrid->OnSelectCell = TSelectCellEvent(this, &TQRStandardPreview::ThumbSelectCell);
  ThumbGrid->OnResize = [this](TObject*) { ResizeThumb(); };
  GroupBox1 = new TGroupBox(this);
  GroupBox1->SetParent(TabSearchResult);
  GroupBox1->SetAlign(alTop);
  GroupBox1->SetHeight(48);
  GroupBox1->SetCaption(u"Search Text");
  SearchTextLabel = new TLabel(this);
  SearchTextLabel->SetParent(GroupBox1);
  SearchTextLabel->SetBounds(10, 20, 170, 18);
  SearchResultBox = new TListBox(this);
  SearchResultBox->SetParent(TabSearchResult);
  SearchResultBox->SetAlign(alClient);
  SearchResultBox->SetEnabled(false);
  SearchResultBox->OnClick = TNotifyEvent(this, &TQRStandardPreview::SearchResultBoxClick);

  QRPreview = new TQRPreview(this);
  QRPreview->SetParent(this);
  QRPreview->SetAlign(alClient);
  QRPreview->OnPageAvailable = TQRPageAvailableEvent(this, &TQRStandardPreview::PageAvailable);
  QRPreview->OnProgressUpdate = TQRProgressUpdateEvent(this, &TQRStandardPreview::ProgressUpdate);
  // Handed on to the page image when the printer is attached, so the points are on the page.
  QRPreview->OnMouseDown = TMouseEvent(this, &TQRStandardPreview::PreviewMouseDown);
  QRPreview->OnMouseMove = TMouseMoveEvent(this, &TQRStandardPreview::PreviewMouseMove);

  Zoommenu = new TPopupMenu(this);
  for (Integer zoom = 50; zoom <= 200; zoom += 10) {
    auto* item = new TMenuItem(this);
    item->SetName(u"N" + IntToStr(zoom));
    item->SetCaption(IntToStr(zoom) + u"%");
    item->OnClick = TNotifyEvent(this, &TQRStandardPreview::ZoomMenuClick);
    Zoommenu->GetItems()->Add(item);
  }
  OnClose = TCloseEvent(this, &TQRStandardPreview::FormClose);
  OnResize = TNotifyEvent(this, &TQRStandardPreview::FormResize);
  OnKeyDown = TKeyEvent(this, &TQRStandardPreview::FormKeyDown);
  OnMouseWheel = TMouseWheelEvent(this, &TQRStandardPreview::FormMouseWheel);
}

TQRStandardPreview::TQRStandardPreview(TComponent* owner, TQRPrinter* printer)
    : TForm(owner, 0), qrPrinter_(printer) {
  BuildControls();
  SetCaption(u"Report Preview : ");
  QRPreview->SetQRPrinter(printer);
  udpifact_ = printer->GetCurrentScreenDPI();
  report_ = printer->GetParentReport();
  previewLink_ = dynamic_cast<TQRPreviewLink*>(report_);
  if (previewLink_) {
    const TQRPreviewOptions o = previewLink_->GetPreviewOptions();
    SetFormStyle(o.StayOnTop ? fsStayOnTop : fsNormal);
    showThumbs_ = o.ShowThumbs;
    showSearch_ = o.ShowSearch;
    initZoom_ = o.InitZoom;
    title_ = o.Title;
    printer->SetTitle(o.Title);
    reportOrientation_ = o.Orientation;
    defaultSaveType_ = o.DefaultSaveType;
    SetWindowState(o.WindowState);
    if (o.WindowState != wsMaximized) SetBounds(o.Left, o.Top, o.Width, o.Height);
    LoadReport->SetVisible(o.ShowLoadReportButton);
    SaveReport->SetVisible(o.ShowSaveReportButton);
    CancelButton->SetVisible(o.ShowCancelButton);
    Print->SetVisible(o.ShowPrintButton);
    PrintSetup->SetVisible(o.ShowPrintSetupButton);
    GotoPageButton->SetVisible(o.ShowGotoButton);
    ZoomPickButton->SetVisible(o.ShowZoomPickButton);
    Zoom100->SetVisible(o.ShowZoom100Button);
    ZoomFit->SetVisible(o.ShowZoomFitButton);
    ZoomToWidth->SetVisible(o.ShowZoomToWidthButton);
    FirstPage->SetVisible(o.ShowFirstButton);
    PreviousPage->SetVisible(o.ShowPrevButton);
    nextPage->SetVisible(o.ShowNextButton);
    LastPage->SetVisible(o.ShowLastButton);
    TBorderIcons icons;
    if (o.ShowSysMenu) icons << biSystemMenu;
    if (o.ShowMinimise) icons << biMinimize;
    if (o.ShowMaximise) icons << biMaximize;
    SetBorderIcons(icons);
    previewLink_->StandPrevEvent(spOpen, String());
  } else {
    SetWindowState(wsMaximized);
  }
  printer->SetOrientation(reportOrientation_);
  if (!printer->GetTitle().empty()) SetCaption(u"Report Preview : " + printer->GetTitle());
  lastProgress_ = 0;
  ThumbGrid->SetRowCount(1);
  Tabs->SetVisible(showThumbs_ || showSearch_);
  if (Tabs->GetVisible() && printer->GetPageCount() > 0) ThumbGrid->SetRowCount(printer->GetPageCount());
  TabThumbs->SetTabVisible(showThumbs_);
  FindButton->SetVisible(showSearch_);
  TabSearchResult->SetTabVisible(showSearch_);
  ResizeThumb();
  if (initZoom_ == qrZoomToFit) {
    QRPreview->ZoomToFit();
    ZoomFit->SetDown(true);
  } else if (initZoom_ == qrZoomToWidth) {
    QRPreview->ZoomToWidth();
    ZoomToWidth->SetDown(true);
  } else {
    QRPreview->SetZoom(previewLink_ ? previewLink_->GetPreviewOptions().Zoom : 100);
    Zoom100->SetDown(true);
  }
  if (printer->GetStatus() == mpFinished) PageAvailable(this, printer->GetPageCount());
}

TQRStandardPreview::~TQRStandardPreview() {
  // The printer outlives the window: it must not post to a preview that is gone.
  if (qrPrinter_ && QRPreview->GetQRPrinter() == qrPrinter_) QRPreview->SetQRPrinter(nullptr);
}

void TQRStandardPreview::Show() {
  TForm::Show();
  UpdateInfo();
}

TFormStyle TQRStandardPreview::LowerForDialog() {
  const TFormStyle style = GetFormStyle();
  if (style == fsStayOnTop) SetFormStyle(fsNormal);
  return style;
}

bool TQRStandardPreview::Raise(TStandPrevEventType type, const String& contName) {
  return previewLink_ && previewLink_->StandPrevEvent(type, contName);
}

void TQRStandardPreview::UpdateInfo() {
  StatusBar->GetPanels()->GetItem(1)->SetText(u"Page " + IntToStr(QRPreview->GetPageNumber()) + u" of " +
                                              IntToStr(qrPrinter_->GetPageCount()));
  StatusBar->GetPanels()->GetItem(3)->SetText(title_);
  SetZoomStatus();
}

void TQRStandardPreview::SetZoomStatus() {
  StatusBar->GetPanels()->GetItem(2)->SetText(u"Zoom " + IntToStr(QRPreview->GetZoom()) + u"%");
}

void TQRStandardPreview::SelectPage(Integer page) {
  QRPreview->SetPageNumber(page);
  UpdateInfo();
  if (page >= 1 && page <= qrPrinter_->GetPageCount() && page <= ThumbGrid->GetRowCount()) {
    selecting_ = true;
    auto done = MakeScopeExit([this] { selecting_ = false; });
    ThumbGrid->SetRow(page - 1);
  }
}

void TQRStandardPreview::FirstPageClick(TObject*) { SelectPage(1); }
void TQRStandardPreview::PrevPageClick(TObject*) { SelectPage(QRPreview->GetPageNumber() - 1); }
void TQRStandardPreview::NextPageClick(TObject*) { SelectPage(QRPreview->GetPageNumber() + 1); }
void TQRStandardPreview::LastPageClick(TObject*) {
  // While the report still runs, the last page may be half drawn.
  SelectPage(qrPrinter_->GetStatus() == mpFinished ? qrPrinter_->GetPageCount()
                                                   : qrPrinter_->GetPageCount() - 1);
}

void TQRStandardPreview::ZoomFitClick(TObject*) {
  Application->ProcessMessages();
  QRPreview->ZoomToFit();
  SetZoomStatus();
}

void TQRStandardPreview::Zoom100Click(TObject*) {
  Application->ProcessMessages();
  QRPreview->SetZoom(100);
  QRPreview->UpdateZoom();
  SetZoomStatus();
}

void TQRStandardPreview::ZoomToWidthClick(TObject*) {
  Application->ProcessMessages();
  QRPreview->ZoomToWidth();
  SetZoomStatus();
}

void TQRStandardPreview::ZoomPickButtonClick(TObject*) {
  const TPoint p =
      ZoomPickButton->ClientToScreen(TPoint(ZoomPickButton->GetWidth() / 2, ZoomPickButton->GetHeight() / 2));
  Zoommenu->Popup(p.X, p.Y);
}

void TQRStandardPreview::ZoomMenuClick(TObject* sender) {
  const auto* item = dynamic_cast<TComponent*>(sender);
  if (!item) return;
  Integer zoom = 0;
  if (TryStrToInt(item->GetName().substr(1), zoom)) QRPreview->SetZoom(zoom);
  UpdateInfo();
}

void TQRStandardPreview::GotoPageButtonClick(TObject*) {
  const TFormStyle style = LowerForDialog();
  auto restore = MakeScopeExit([this, style] { SetFormStyle(style); });
  String answer = IntToStr(QRPreview->GetPageNumber());
  if (!InputQuery(Format(u"Select a page from 1 to %d", {qrPrinter_->GetPageCount()}), u"Enter page number",
                  answer))
    return;
  Integer page = 0;
  if (!TryStrToInt(Trim(answer), page) || page < 1 || page > qrPrinter_->GetPageCount()) page = 1;
  SelectPage(page);
}

void TQRStandardPreview::SearchFor(const String& text, bool matchCase) {
  SearchResultBox->SetEnabled(true);
  SearchTextLabel->SetCaption(text);
  TStrings* items = SearchResultBox->GetItems();
  items->Clear();
  for (Integer n = 1; n <= qrPrinter_->GetPageCount(); ++n) {
    std::unique_ptr<TMetafile> page = qrPrinter_->GetPage(n);
    if (MetafileContainsText(text, page.get(), matchCase))
      items->AddObject(u"Page " + IntToStr(n), reinterpret_cast<TObject*>(static_cast<NativeInt>(n)));
  }
  if (items->GetCount() == 0) {
    items->Add(u"No matching text");
    SearchResultBox->SetEnabled(false);
  }
  Tabs->SetActivePage(TabSearchResult);
}

void TQRStandardPreview::FindButtonClick(TObject*) {
  if (qrPrinter_->GetStatus() == mpBusy) return;
  bool matchCase = false;
  String text;
  if (TSearchDlg::GetTextSearch(matchCase, text)) SearchFor(text, matchCase);
  Tabs->SetActivePage(TabSearchResult);
}

void TQRStandardPreview::SearchResultBoxClick(TObject*) {
  const Integer index = SearchResultBox->GetItemIndex();
  Integer page = 1;
  if (index >= 0 && SearchResultBox->GetEnabled())
    page = static_cast<Integer>(reinterpret_cast<NativeInt>(SearchResultBox->GetItems()->GetObject(index)));
  if (page < 1 || page > qrPrinter_->GetPageCount()) page = 1;
  SelectPage(page);
}

void TQRStandardPreview::CopyButtonClick(TObject*) {
  if (Raise(spCopy, u"Copy")) return;
  std::unique_ptr<TMetafile> page = qrPrinter_->GetPage(QRPreview->GetPageNumber());
  if (page) Clipboard()->Assign(page.get());
}

void TQRStandardPreview::CancelButtonClick(TObject*) {
  if (Raise(spCancel, u"Cancel")) return;
  if (previewLink_) previewLink_->SetUserCancel();
  qrPrinter_->Cancel();
}

void TQRStandardPreview::PrintClick(TObject*) {
  ExitButton->SetEnabled(false);
  auto enable = MakeScopeExit([this] { ExitButton->SetEnabled(true); });
  if (Raise(spPrint, u"Print")) return;
  if (!GetQRPrintStoredPages() && previewLink_)
    previewLink_->PrintReport();
  else
    qrPrinter_->Print();
}

void TQRStandardPreview::PrintSetupClick(TObject*) {
  if (Raise(spPrintSetup, u"PrintSetup")) return;
  const TFormStyle style = LowerForDialog();
  auto restore = MakeScopeExit([this, style] { SetFormStyle(style); });
  TQRPrintDialog dialog(nullptr);
  dialog.SetPrinter(qrPrinter_->GetPrinter());
  dialog.SetOptions(TPrintDialogOptions{poPageNums, poPrintToFile});
  dialog.SetMinPage(1);
  dialog.SetMaxPage(qrPrinter_->GetPageCount());
  dialog.SetFromPage(1);
  dialog.SetToPage(qrPrinter_->GetPageCount());
  const bool chosen = previewLink_ ? previewLink_->PrinterSetup(dialog) : dialog.Execute();
  if (!chosen) return;
  TPrinterSettings* s = qrPrinter_->GetPrinterSettings();
  // The dialog set the device mode of the printer: its settings are read again from there.
  s->SetPrinter(qrPrinter_->GetPrinter());
  // A code that names one of the library's bins is that bin; any other code (a driver's own tray)
  // stays a raw code, so that applying the settings hands the printer the code the user chose.
  bool known = false;
  const TQRBin bin = QRBinOfCode(dialog.GetOutputBin(), known);
  s->SetUseCustomBinCode(!known);
  if (known)
    s->SetOutputBin(bin);
  else
    s->SetCustomBinCode(dialog.GetOutputBin());
  s->SetCollate(dialog.GetCollate());
  s->SetColorOption(dialog.GetColorOption());
  s->SetPrintQuality(dialog.GetPrintQuality());
  s->SetCopies(dialog.GetCopies());
  s->SetDuplex(dialog.GetDuplex());
  s->SetExtendedDuplex(dialog.GetDuplexCode());
  s->SetUseExtendedDuplex(dialog.GetDuplexCode() > 1);
  const bool range = dialog.GetPrintRange() == prPageNums;
  qrPrinter_->SetFirstPage(range ? dialog.GetFromPage() : 0);
  qrPrinter_->SetLastPage(range ? dialog.GetToPage() : 0);
  TQRPrinterSettings* composite = previewLink_ ? previewLink_->GetCompositePrinterSettings() : nullptr;
  TQRPrinterSettings* stored = composite;
  if (!stored && report_ && !GetQRPrintStoredPages()) stored = report_->GetReportPrinterSettings();
  if (stored) {
    stored->PrinterIndex = qrPrinter_->GetPrinterIndex();
    stored->OutputBin = s->GetOutputBin();
    stored->UseCustomBinCode = s->GetUseCustomBinCode();
    stored->CustomBinCode = s->GetCustomBinCode();
    stored->Collate = s->GetCollate();
    stored->ColorOption = s->GetColorOption();
    stored->PrintQuality = s->GetPrintQuality();
    stored->Copies = s->GetCopies();
    stored->Duplex = s->GetDuplex();
    stored->ExtendedDuplex = s->GetExtendedDuplex();
    stored->UseExtendedDuplex = s->GetUseExtendedDuplex();
    stored->FirstPage = qrPrinter_->GetFirstPage();
    stored->LastPage = qrPrinter_->GetLastPage();
  }
  // A composite report prints its parts itself.
  if (!composite && previewLink_ && previewLink_->GetPrintAfterSetup()) PrintClick(this);
}

void TQRStandardPreview::SaveClick(TObject*) {
  if (Raise(spSave, u"Save")) return;
  const TFormStyle style = LowerForDialog();
  auto restore = MakeScopeExit([this, style] { SetFormStyle(style); });
  TSaveDialog dialog(nullptr);
  dialog.SetTitle(u"Save report");
  TQRExportFilterLibrary* library = QRExportFilterLibrary();
  dialog.SetFilter(library->GetSaveDialogFilterString());
  dialog.SetFileName(String(u"*") + DefaultExtension(defaultSaveType_));
  if (!dialog.Execute()) return;
  String name = dialog.GetFileName();
  if (FileExists(name)) {
    try {
      TFileStream probe(name, fmOpenReadWrite | fmShareExclusive);
    } catch (const EStreamError&) {
      ShowMessage(u"The file is read-only or in use - save abandoned.");
      return;
    }
  }
  String extension = AnsiUpperCase(ExtractFileExt(name));
  if (extension.empty()) {
    // The chosen line names the type: the saved report first, then the filters in their order.
    const Integer line = dialog.GetFilterIndex();
    if (line <= 1)
      extension = u"QRP";
    else if (line - 2 < library->GetCount())
      extension = AnsiUpperCase(library->GetEntry(line - 2)->Extension);
    else
      extension = AnsiUpperCase(String(DefaultExtension(defaultSaveType_) + 1));
    name += u"." + extension;
  }
  if (!extension.empty() && extension[0] == u'.') extension.erase(0, 1);
  extension = Trim(extension.substr(0, 4));
  if (extension == u"QRP") {
    qrPrinter_->Save(name);
    return;
  }
  TQRExportFilterLibraryEntry* entry = library->GetFilterByExtension(extension);
  if (!entry) return;
  // The spreadsheet filter keeps its left margin when it finds this mark before the name.
  if (extension == u"XLSX") name = u"+++" + name;
  std::unique_ptr<TQRExportFilter> filter = entry->ExportFilterClass->Create(name);
  qrPrinter_->ExportToFilter(filter.get());
}

void TQRStandardPreview::LoadClick(TObject*) {
  if (Raise(spLoad, u"Load")) return;
  const TFormStyle style = LowerForDialog();
  auto restore = MakeScopeExit([this, style] { SetFormStyle(style); });
  TOpenDialog dialog(nullptr);
  dialog.SetTitle(u"Load report");
  dialog.SetFilter(u"VaruzUvuzed file (*.QRP)|*.QRP");
  if (!dialog.Execute()) return;
  const String name = dialog.GetFileName();
  if (!FileExists(name)) {
    ShowMessage(u"File does not exist");
    return;
  }
  try {
    qrPrinter_->Load(name);
  } catch (const EQRError& e) {
    // A damaged file is refused as a whole: the pages shown before stay.
    ShowMessage(e.Message());
    return;
  }
  title_ = name;
  QRPreview->SetQRPrinter(qrPrinter_);
  reportOrientation_ = qrPrinter_->GetOrientation();
  if (previewLink_) previewLink_->SetPagePaper(qrPrinter_->GetPaperSize(), qrPrinter_->GetOrientation());
  QRPreview->UpdateZoom();
  ResizeThumb();
  PageAvailable(this, 1);
  ThumbGrid->SetRowCount(qrPrinter_->GetPageCount());
  SelectPage(1);
  SetQRPrintStoredPages(true);
  Print->SetEnabled(true);
}

void TQRStandardPreview::ExitClick(TObject*) { Close(); }

bool TQRStandardPreview::CloseQuery() {
  if (qrPrinter_->GetStatus() != mpFinished || (report_ && report_->GetExporting())) {
    ShowMessage(u"The report is still executing");
    return false;
  }
  return TForm::CloseQuery();
}

void TQRStandardPreview::FormClose(TObject*, TCloseAction& action) {
  if (qrPrinter_->GetStatus() == mpBusy || !ExitButton->GetEnabled()) {
    action = caNone;
    return;
  }
  Raise(spClose, String());
  QRPreview->SetQRPrinter(nullptr);
  qrPrinter_->ClosePreview(this);
  Application->ProcessMessages();
  action = caFree;
}

void TQRStandardPreview::FormResize(TObject*) {
  QRPreview->UpdateZoom();
  SetZoomStatus();
}

TPoint TQRStandardPreview::PagePoint(Integer x, Integer y) const {
  const Extended scale = QRPreview->GetZoom() * udpifact_;
  return TPoint(RoundInt(x * 100 / scale), RoundInt(y * 100 / scale));
}

void TQRStandardPreview::PreviewMouseDown(TObject*, TMouseButton, TShiftState, Integer x, Integer y) {
  if (previewLink_ && previewLink_->GetUsePreviewLinks())
    previewLink_->PreviewMouse(true, QRPreview->GetPageNumber(), PagePoint(x, y));
}

void TQRStandardPreview::PreviewMouseMove(TObject*, TShiftState, Integer x, Integer y) {
  if (previewLink_ && previewLink_->GetUsePreviewLinks())
    previewLink_->PreviewMouse(false, QRPreview->GetPageNumber(), PagePoint(x, y));
}

void TQRStandardPreview::FormMouseWheel(TObject*, TShiftState shift, Integer wheelDelta, TPoint,
                                        bool& handled) {
  Word key = wheelDelta < 0 ? VK_DOWN : VK_UP;
  FormKeyDown(this, key, shift);
  handled = true;
}

void TQRStandardPreview::FormKeyDown(TObject*, Word& key, TShiftState shift) {
  if (key == VK_ESCAPE) {
    Close();
    return;
  }
  if (ThumbGrid->Focused()) return;
  paging_ = true;
  auto done = MakeScopeExit([this] { paging_ = false; });
  TControlScrollBar* bar = QRPreview->GetVertScrollBar();
  const Integer page = QRPreview->GetPageNumber();
  switch (key) {
    case VK_PRIOR:
      shift.Contains(ssCtrl) ? FirstPageClick(this) : PrevPageClick(this);
      break;
    case VK_NEXT:
      shift.Contains(ssCtrl) ? LastPageClick(this) : NextPageClick(this);
      break;
    case VK_HOME:
      FirstPageClick(this);
      break;
    case VK_END:
      LastPageClick(this);
      break;
    case VK_UP:
      if (bar->GetPosition() > 0) {
        bar->SetPosition(bar->GetPosition() - bar->GetIncrement());
      } else if (page > 1) {
        PrevPageClick(this);
        bar->SetPosition(bar->GetRange() - QRPreview->GetClientHeight() - bar->GetIncrement());
      }
      break;
    case VK_DOWN:
      if (bar->GetPosition() + bar->GetIncrement() < bar->GetRange() - QRPreview->GetClientHeight())
        bar->SetPosition(bar->GetPosition() + bar->GetIncrement());
      else
        NextPageClick(this);
      break;
    default:
      return;
  }
  key = 0;
}

void TQRStandardPreview::PageAvailable(TObject*, Integer pageNum) {
  CancelButton->SetEnabled(true);
  UpdateInfo();
  if (qrPrinter_->GetPageCount() > 0) ThumbGrid->SetRowCount(qrPrinter_->GetPageCount());
  ThumbGrid->Invalidate();
  if (!pageSelected_ && pageNum >= 1) {
    pageSelected_ = true;
    SelectPage(1);
  }
  if (pageNum >= 1 && !FirstPage->GetEnabled()) {
    for (TToolButton* b : {FirstPage, PreviousPage, nextPage, LastPage, copybutton, ZoomPickButton})
      b->SetEnabled(true);
  }
  if (qrPrinter_->GetStatus() == mpFinished) {
    for (TToolButton* b : {PrintSetup, Print, SaveReport, LoadReport, FindButton, GotoPageButton})
      b->SetEnabled(true);
    CancelButton->SetEnabled(false);
  }
  if (previewLink_ && previewLink_->GetPagesInPreview() != 0 &&
      previewLink_->GetPagesInPreview() == qrPrinter_->GetPageCount())
    previewLink_->SetUserCancel();
}

void TQRStandardPreview::ProgressUpdate(TObject*, Integer progress) {
  if (progress < lastProgress_ + 5) return;
  StatusBar->GetPanels()->GetItem(0)->SetText(IntToStr(progress) + u"%");
  lastProgress_ = progress;
}

void TQRStandardPreview::ResizeThumb() {
  if (!ThumbGrid) return;
  {
    // Measured off screen: the grid's own canvas draws only while it paints.
    TBitmap measure;
    measure.GetCanvas()->GetFont()->Assign(ThumbGrid->GetFont());
    thumbFontHeight_ = measure.GetCanvas()->TextHeight(u"P");
  }
  const Integer columnWidth = std::max(ThumbGrid->GetClientWidth() - 4, 40);
  ThumbGrid->SetColWidths(0, columnWidth);
  thumbDrawWidth_ = columnWidth - 20;
  Extended width = qrPrinter_->GetPaperWidth(), length = qrPrinter_->GetPaperLength();
  if (qrPrinter_->GetOrientation() == poLandscape) std::swap(width, length);
  thumbDrawHeight_ = std::max(20, RoundInt(thumbDrawWidth_ / width * length - thumbFontHeight_));
  ThumbGrid->SetDefaultRowHeight(thumbDrawHeight_);
  thumbLeftMargin_ = RoundInt((columnWidth - thumbDrawWidth_) / 2.0);
  thumbTopMargin_ = 0;
}

void TQRStandardPreview::ThumbDrawCell(TObject*, Integer, Integer row, const TRect& rect, TGridDrawState) {
  std::unique_ptr<TMetafile> page = qrPrinter_->GetPage(row + 1);
  TCanvas* canvas = ThumbGrid->GetCanvas();
  // The number goes first: the page's replay leaves the device's text state behind.
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->GetFont()->SetColor(clBlack);
  canvas->TextOut(rect.Left + 2, rect.Top + 2, IntToStr(row + 1));
  canvas->GetBrush()->SetStyle(bsSolid);
  DrawPreviewPage(canvas,
                  TRect(rect.Left + thumbLeftMargin_, rect.Top + 10, rect.Right - 30, rect.Bottom - 10),
                  page.get(), true, true);
}

void TQRStandardPreview::ThumbSelectCell(TObject*, Integer, Integer row, bool&) {
  if (selecting_ || paging_) return;
  if (QRPreview->GetPageNumber() != row + 1) QRPreview->SetPageNumber(row + 1);
  UpdateInfo();
}

// ---- The interface the printer opens the window through ----

TWinControl* TQRStandardPreviewInterface::Show(TQRPrinter* printer) {
  auto* window = new TQRStandardPreview(Application, printer);
  window->Show();
  return window;
}

TWinControl* TQRStandardPreviewInterface::ShowModal(TQRPrinter* printer) {
  auto* window = new TQRStandardPreview(Application, printer);
  window->ShowModal();
  return window;
}
