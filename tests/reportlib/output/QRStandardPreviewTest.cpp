// The preview control and the standard preview window as a reader uses them: zoom limits and fitting,
// page messages, paging by keys, the search that finds Cyrillic text, go-to, saving, and closing.
#include <gtest/gtest.h>

#include "platform/classes/SpecialFolders.h"
#include "platform/controls/Dialogs.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Utf.h"
#include "reportlib/output/QRExportFilter.h"
#include "reportlib/output/QRStandardPreview.h"
#include "tests/reportlib/output/OutputTestSupport.h"

namespace {

void GeneratePages(TQRPrinter& printer, Integer count, bool finish = true) {
  printer.BeginDoc();
  for (Integer i = 1; i <= count; ++i) {
    printer.NewPage();
    TCanvas* canvas = printer.GetCanvas();
    canvas->TextOut(printer.XPos(200), printer.YPos(200), u"Лист " + IntToStr(i));
    if (i == 3) canvas->TextOut(printer.XPos(200), printer.YPos(400), u"Итоговый ОТЧЁТ по складу");
  }
  if (finish) printer.EndDoc();
}

// A report as the engine presents itself to the printer and the preview window.
class TTestReport : public TQRReportLink, public TQRPreviewLink {
 public:
  TQRPrinterSettings* GetReportPrinterSettings() override { return &settings; }
  void GetPageSize(Extended& width, Extended& length) override { width = 2100, length = 2970; }
  TQRPreviewOptions GetPreviewOptions() override { return options; }
  void SetUserCancel() override { userCancel = true; }
  Integer GetPagesInPreview() const override { return pagesInPreview; }
  void PrintReport() override { ++printed; }
  bool GetPrintAfterSetup() const override { return true; }
  TQRPrinterSettings* GetCompositePrinterSettings() override { return composite; }
  bool GetUsePreviewLinks() const override { return true; }
  void PreviewMouse(bool click, Integer page, const TPoint& p) override { mouse.push_back({click, page, p}); }

  struct Mouse {
    bool click;
    Integer page;
    TPoint point;
    bool operator==(const Mouse&) const = default;
  };
  TQRPrinterSettings settings;
  TQRPrinterSettings* composite = nullptr;
  TQRPreviewOptions options;
  Integer printed = 0, pagesInPreview = 0;
  bool userCancel = false;
  std::vector<Mouse> mouse;
};

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    oldHook = SetDialogHook([this](const TDialogRequest& r) {
      requests.push_back(r);
      return answer;
    });
  }
  void TearDown() override { SetDialogHook(oldHook); }
  TDialogHook oldHook;
  std::vector<TDialogRequest> requests;
  TDialogAnswer answer;
};

TEST_F(PreviewTest, ZoomStaysWithinItsLimitsAndFitsThePage) {
  TQRPrinter printer(nullptr);
  GeneratePages(printer, 2);
  TQRPreview preview(nullptr);
  preview.SetQRPrinter(&printer);
  preview.SetZoom(1);
  preview.SetZoom(2001);
  EXPECT_EQ(preview.GetZoom(), 100);
  preview.SetZoom(2000);
  EXPECT_EQ(preview.GetZoom(), 2000);
  // A box exactly the page at 100 % (a small zoom first, so that no scroll bar takes room).
  preview.SetZoom(10);
  preview.SetBounds(0, 0, printer.XSize(printer.GetPaperWidthValue()) + 100, 300);
  preview.SetBounds(
      0, 0, preview.GetWidth() - (preview.GetClientWidth() - printer.XSize(printer.GetPaperWidthValue())),
      preview.GetHeight() - (preview.GetClientHeight() - printer.YSize(printer.GetPaperLengthValue())));
  ASSERT_EQ(preview.GetClientWidth(), printer.XSize(printer.GetPaperWidthValue()));
  ASSERT_EQ(preview.GetClientHeight(), printer.YSize(printer.GetPaperLengthValue()));
  preview.ZoomToFit();
  EXPECT_EQ(preview.GetZoom(), 95);
  EXPECT_EQ(preview.GetZoomState(), qrZoomToFit);
  preview.ZoomToWidth();
  EXPECT_EQ(preview.GetZoom(), 90);
  preview.SetQRPrinter(nullptr);
}

TEST_F(PreviewTest, FollowsPageMessagesWithFullPageNumbers) {
  TQRPrinter printer(nullptr);
  GeneratePages(printer, 3);
  TQRPreview preview(nullptr);
  preview.SetQRPrinter(&printer);
  std::vector<Integer> heard;
  preview.OnPageAvailable = [&](TObject*, Integer n) { heard.push_back(n); };
  preview.SetPageNumber(4);
  EXPECT_EQ(preview.GetPageNumber(), 1) << "a page past the end is not taken";
  preview.SetPageNumber(2);
  EXPECT_EQ(PageText(preview.GetPreviewImage()->GetMetafile()), u"Лист 2");
  preview.Perform(QRM_PAGEAVAILABLE, 65537, 0);  // not 1: page numbers are not cut to 16 bits
  preview.Perform(QRM_PAGEAVAILABLE, 3, 0);
  EXPECT_EQ(heard, (std::vector<Integer>{65537, 3}));
  EXPECT_EQ(PageText(preview.GetPreviewImage()->GetMetafile()), u"Лист 2");
  preview.SetQRPrinter(nullptr);
  EXPECT_EQ(printer.GetClient(), nullptr);
}

TEST(PreviewPageTest, DrawsAWhitePageWithBorderAndShadowOnlyWhenThereIsSomethingToShow) {
  InitTestApplication();
  struct Case {
    bool page, frame, drawn;
  };
  for (const Case c : {Case{false, false, false}, Case{false, true, true}, Case{true, false, true}}) {
    TBitmap bitmap;
    bitmap.SetSize(120, 160);
    TCanvas* canvas = bitmap.GetCanvas();
    canvas->GetBrush()->SetColor(clGray);
    canvas->FillRect(TRect(0, 0, 120, 160));
    auto page = c.page ? MakePage(1, u"", 100, 140) : nullptr;
    DrawPreviewPage(canvas, TRect(10, 10, 110, 150), page.get(), c.frame, false);
    const TColor paper = c.drawn ? clWhite : clGray, line = c.drawn ? clBlack : clGray;
    EXPECT_EQ(canvas->GetPixels(60, 100), paper) << c.page << c.frame;   // inside the page
    EXPECT_EQ(canvas->GetPixels(10, 60), line) << c.page << c.frame;     // left border
    EXPECT_EQ(canvas->GetPixels(108, 60), line) << c.page << c.frame;    // right shadow
    EXPECT_EQ(canvas->GetPixels(60, 148), line) << c.page << c.frame;    // bottom shadow
    EXPECT_EQ(canvas->GetPixels(111, 60), clGray) << c.page << c.frame;  // nothing outside
  }
}

TEST(MetafileSearchTest, FindsWholeCharactersWithAndWithoutCase) {
  auto page = MakePage(1, u"Итоговый ОТЧЁТ по складу");
  struct Case {
    const Char* text;
    bool matchCase, found;
  };
  const Case cases[] = {{u"отчёт", false, true},
                        {u"отчёт", true, false},
                        {u"ОТЧЁТ", true, true},
                        // a text that only agrees in the low bytes of its characters
                        {u"\u0418\u0442\u043e\u0433\u043e\u0432\u044b\u0439", true, true},
                        {u"\u0518\u0442", true, false},
                        {u"склад", false, true},
                        {u"завод", false, false}};
  for (const Case& c : cases)
    EXPECT_EQ(MetafileContainsText(c.text, page.get(), c.matchCase), c.found) << StringToUtf8(c.text);
}

TEST_F(PreviewTest, SearchListsThePageWithTheCyrillicWordAndGoesThere) {
  TQRPrinter printer(nullptr);
  GeneratePages(printer, 5);
  auto* window = new TQRStandardPreview(nullptr, &printer);
  auto free = MakeScopeExit([&] { delete window; });
  window->SearchFor(u"отчёт", false);
  TStrings* results = window->SearchResultBox->GetItems();
  ASSERT_EQ(results->GetCount(), 1);
  EXPECT_EQ(results->Get(0), u"Page 3");
  window->SearchResultBox->SetItemIndex(0);
  window->SearchResultBoxClick(window->SearchResultBox);
  EXPECT_EQ(window->QRPreview->GetPageNumber(), 3);
  EXPECT_EQ(window->StatusBar->GetPanels()->GetItem(1)->GetText(), u"Page 3 of 5");

  window->SearchFor(u"нет такого", false);
  EXPECT_EQ(results->Get(0), u"No matching text");
  EXPECT_FALSE(window->SearchResultBox->GetEnabled());
}

TEST_F(PreviewTest, PagesByKeysGoToAndZoomMenu) {
  TQRPrinter printer(nullptr);
  GeneratePages(printer, 5);
  auto* window = new TQRStandardPreview(nullptr, &printer);
  auto free = MakeScopeExit([&] { delete window; });
  EXPECT_TRUE(window->FindButton->GetEnabled());
  Word key = VK_NEXT;
  window->OnKeyDown(window, key, {});
  EXPECT_EQ(window->QRPreview->GetPageNumber(), 2);
  key = VK_END;
  window->OnKeyDown(window, key, {});
  EXPECT_EQ(window->QRPreview->GetPageNumber(), 5);
  key = VK_PRIOR;
  window->OnKeyDown(window, key, TShiftState{ssCtrl});
  EXPECT_EQ(window->QRPreview->GetPageNumber(), 1);

  answer.Result = 1;
  for (const Char* typed : {u"4", u"0", u"99"}) {
    answer.Value = typed;
    window->GotoPageButtonClick(nullptr);
    EXPECT_EQ(window->QRPreview->GetPageNumber(), String(typed) == u"4" ? 4 : 1) << String(typed).size();
  }
  EXPECT_EQ(requests.back().Caption, u"Select a page from 1 to 5");

  window->ZoomMenuClick(window->FindComponent(u"N120"));
  EXPECT_EQ(window->QRPreview->GetZoom(), 120);
}

TEST_F(PreviewTest, ShowsProgressOnlyInStepsOfFive) {
  TQRPrinter printer(nullptr);
  GeneratePages(printer, 1);
  auto* window = new TQRStandardPreview(nullptr, &printer);
  auto free = MakeScopeExit([&] { delete window; });
  TStatusPanel* panel = window->StatusBar->GetPanels()->GetItem(0);
  for (Integer percent : {1, 3, 4}) window->QRPreview->Perform(QRM_PROGRESS, percent, 0);
  EXPECT_EQ(panel->GetText(), u"");
  window->QRPreview->Perform(QRM_PROGRESS, 5, 0);
  EXPECT_EQ(panel->GetText(), u"5%");
  window->QRPreview->Perform(QRM_PROGRESS, 9, 0);
  EXPECT_EQ(panel->GetText(), u"5%");
}

TEST_F(PreviewTest, SavesUnderANameWithoutExtensionAsAReportFile) {
  TQRPrinter printer(nullptr);
  GeneratePages(printer, 2);
  auto* window = new TQRStandardPreview(nullptr, &printer);
  auto free = MakeScopeExit([&] { delete window; });
  const String base = GetTempPath() + u"kiv-preview-save";
  DeleteFile(base + u".QRP");
  answer.Result = 1;
  answer.Value = base;
  window->SaveClick(nullptr);
  ASSERT_TRUE(FileExists(base + u".QRP"));
  TQRPrinter loaded(nullptr);
  loaded.Load(base + u".QRP");
  EXPECT_EQ(loaded.GetPageCount(), 2);
  DeleteFile(base + u".QRP");
}

namespace {

// A filter that only tells what it was made for.
class TTallyFilter : public TQRExportFilter {
  KIV_CLASS(TTallyFilter, TQRExportFilter)
 public:
  using TQRExportFilter::TQRExportFilter;
  String GetName() const override { return u"Tally"; }
  String GetFileExtension() const override { return u"tly"; }
};

}  // namespace

// The dialog's lines after the first are the registered filters: a name without extension takes
// the chosen line's, a typed extension finds its filter whatever its case, and the printer is asked
// to export through a filter made for that file.
TEST_F(PreviewTest, SavesThroughTheFilterOfTheChosenLineOrTypedExtension) {
  QRExportFilterLibrary()->AddFilter(ExportFilterClass<TTallyFilter>());
  auto unregister =
      MakeScopeExit([] { QRExportFilterLibrary()->RemoveFilter(ExportFilterClass<TTallyFilter>()); });
  TQRPrinter printer(nullptr);
  GeneratePages(printer, 1);
  std::vector<String> exported;
  printer.OnExportToFilter = [&](TObject* f) {
    auto* filter = dynamic_cast<TTallyFilter*>(f);
    exported.push_back(filter ? filter->GetFilename() : u"?");
  };
  auto* window = new TQRStandardPreview(nullptr, &printer);
  auto free = MakeScopeExit([&] { delete window; });
  const String base = GetTempPath() + u"kiv-preview-export";
  struct Case {
    const char16_t* typed;
    Integer line;
    const char16_t* expected;  // the filter's file, empty when nothing is exported
  } cases[] = {
      {u"", 2, u".TLY"},
      {u".Tly", 1, u".Tly"},
      {u".unknown", 2, u""},
  };
  for (const Case& c : cases) {
    exported.clear();
    answer.Result = 1;
    answer.Value = base + c.typed;
    answer.FilterIndex = c.line;
    window->SaveClick(nullptr);
    const std::vector<String> expected =
        *c.expected ? std::vector<String>{base + c.expected} : std::vector<String>{};
    EXPECT_EQ(exported, expected) << StringToUtf8(c.typed);
  }
  EXPECT_FALSE(FileExists(base + u".QRP"));
}

TEST_F(PreviewTest, ClosingWhileTheReportRunsIsRefused) {
  TQRPrinter printer(nullptr);
  GeneratePages(printer, 2, false);
  answer.Result = mrOk;
  auto* window = new TQRStandardPreview(nullptr, &printer);
  auto free = MakeScopeExit([&] { delete window; });
  EXPECT_FALSE(window->CloseQuery());
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().Text, u"The report is still executing");
  window->CancelButtonClick(nullptr);
  EXPECT_TRUE(printer.GetCancelled());
  printer.EndDoc();
  EXPECT_TRUE(window->CloseQuery());
}

TEST_F(PreviewTest, PrintsThePagesChosenInThePrintDialogToAPdfThatToolsReadBack) {
  TQRPrinter printer(nullptr);
  GeneratePages(printer, 5);
  const std::string pdf = ::testing::TempDir() + "chosen.pdf";
  std::remove(pdf.c_str());
  printer.GetPrinter()->SetOutputFileName(Utf8ToString(pdf));
  auto* window = new TQRStandardPreview(nullptr, &printer);
  auto free = MakeScopeExit([&] { delete window; });
  answer.Result = 1;
  answer.FromPage = 2;
  answer.ToPage = 3;
  answer.Copies = 1;
  window->PrintSetupClick(nullptr);
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().Kind, dkPrint);
  EXPECT_EQ(requests.back().MaxPage, 5);
  window->PrintClick(nullptr);
  EXPECT_TRUE(window->ExitButton->GetEnabled());
  EXPECT_NE(RunTool("qpdf --check " + pdf).find("No syntax or stream encoding errors"), std::string::npos);
  EXPECT_EQ(RunTool("qpdf --show-npages " + pdf), "2\n");
  const std::string text = RunTool("pdftotext " + pdf + " -");
  for (const char* shown : {"Лист 2", "Лист 3", "Итоговый ОТЧЁТ по складу"})
    EXPECT_NE(text.find(shown), std::string::npos) << shown << " in " << text;
  for (const char* left : {"Лист 1", "Лист 4"}) EXPECT_EQ(text.find(left), std::string::npos) << left;
}

TEST_F(PreviewTest, ABinChosenForThePrinterGoesBackToItAsTheSameCode) {
  TQRPrinter printer(nullptr);
  GeneratePages(printer, 1);
  auto* window = new TQRStandardPreview(nullptr, &printer);
  auto free = MakeScopeExit([&] { delete window; });
  answer.Result = 1;
  struct Case {
    Word code;
    bool custom;
  };
  // Codes the library names, a gap in its table (12), the driver's form source and its own trays.
  const Case cases[] = {{DMBIN_UPPER, false},
                        {DMBIN_AUTO, false},
                        {DMBIN_CASSETTE, false},
                        {12, true},
                        {13, true},
                        {DMBIN_FORMSOURCE, true},
                        {260, true},
                        {0, true}};
  for (const Case& c : cases) {
    TDeviceMode mode = printer.GetPrinter()->GetDeviceMode();
    mode.dmDefaultSource = c.code;
    printer.GetPrinter()->SetDeviceMode(mode);  // as the printer's own properties leave it
    window->PrintSetupClick(nullptr);
    TPrinterSettings* s = printer.GetPrinterSettings();
    EXPECT_EQ(s->GetUseCustomBinCode(), c.custom) << c.code;
    EXPECT_LT(static_cast<Integer>(s->GetOutputBin()), QRBinCount) << c.code;
    s->ApplySettings();
    EXPECT_EQ(s->GetDeviceMode().Mode.dmDefaultSource, c.code);
  }
}

TEST_F(PreviewTest, PrinterSetupFillsTheReportsOrTheCompositesChoices) {
  TTestReport report, composite;
  TQRPrinter printer(&report);
  GeneratePages(printer, 4);
  auto* window = new TQRStandardPreview(nullptr, &printer);
  auto free = MakeScopeExit([&] { delete window; });
  SetQRPrintStoredPages(false);
  answer.Result = 1;
  answer.FromPage = 2;
  answer.ToPage = 4;
  answer.Copies = 2;
  window->PrintSetupClick(nullptr);
  EXPECT_EQ(report.settings.FirstPage, 2);
  EXPECT_EQ(report.settings.LastPage, 4);
  EXPECT_EQ(report.settings.Copies, 2);
  EXPECT_EQ(report.printed, 1) << "the report asks to print after setup";

  report.settings.FirstPage = 0;
  report.composite = &composite.settings;
  answer.FromPage = 3;
  window->PrintSetupClick(nullptr);
  EXPECT_EQ(composite.settings.FirstPage, 3);
  EXPECT_EQ(report.settings.FirstPage, 0) << "the composite's choices, not the part's";
  EXPECT_EQ(printer.GetFirstPage(), 3);
  EXPECT_EQ(report.printed, 1) << "a composite prints its parts itself";
}

TEST_F(PreviewTest, TheMouseOnThePageReachesAReportWithPreviewLinksInPageCoordinates) {
  TTestReport report;
  TQRPrinter printer(&report);
  GeneratePages(printer, 3);
  auto* window = new TQRStandardPreview(nullptr, &printer);
  auto free = MakeScopeExit([&] { delete window; });
  window->SelectPage(2);
  window->QRPreview->SetZoom(150);
  TQRPreviewImage* image = window->QRPreview->GetPreviewImage();
  const Extended dpi = printer.GetCurrentScreenDPI();
  image->OnMouseMove(image, {}, 300, 600);
  image->OnMouseDown(image, mbLeft, {}, 30, 45);
  const auto at = [&](Integer x, Integer y) {
    return TPoint(static_cast<Integer>(Round(x * 100 / (150 * dpi))),
                  static_cast<Integer>(Round(y * 100 / (150 * dpi))));
  };
  EXPECT_EQ(report.mouse, (std::vector<TTestReport::Mouse>{{false, 2, at(300, 600)}, {true, 2, at(30, 45)}}));
}

TEST_F(PreviewTest, FollowsARunningReportAndStopsItAfterThePagesItWants) {
  TTestReport report;
  report.pagesInPreview = 3;
  TQRPrinter printer(&report);
  auto* window = new TQRStandardPreview(nullptr, &printer);
  auto free = MakeScopeExit([&] { delete window; });
  GeneratePages(printer, 2, false);
  ProcessPendingEvents();
  EXPECT_FALSE(report.userCancel);
  printer.NewPage();  // pages 1 and 2 are stored, page 3 is being drawn
  ProcessPendingEvents();
  EXPECT_EQ(PageText(window->QRPreview->GetPreviewImage()->GetMetafile()), u"Лист 1")
      << "page 1 shows as soon as it is stored";
  EXPECT_TRUE(window->nextPage->GetEnabled());
  EXPECT_FALSE(window->Print->GetEnabled()) << "printing waits for the end of the run";
  window->LastPageClick(nullptr);
  EXPECT_EQ(window->QRPreview->GetPageNumber(), 2) << "the last complete page";
  EXPECT_TRUE(report.userCancel) << "three pages made: the report is told to stop";
  printer.EndDoc();
  ProcessPendingEvents();
  EXPECT_TRUE(window->Print->GetEnabled());
  EXPECT_FALSE(window->CancelButton->GetEnabled());
  window->LastPageClick(nullptr);
  EXPECT_EQ(window->QRPreview->GetPageNumber(), 3);
}

}  // namespace
