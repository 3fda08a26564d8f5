// The report printer: the document protocol and its page messages, printing stored or generated
// pages to a PDF file that outside tools read back, and loading a saved report with its paper.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/classes/SpecialFolders.h"
#include "platform/rtl/Utf.h"
#include "reportlib/output/QRError.h"
#include "reportlib/output/QRPrinter.h"
#include "tests/reportlib/output/OutputTestSupport.h"

namespace {

// A window that records the messages the printer posts to it.
class TMessageRecorder : public TWinControl {
 public:
  explicit TMessageRecorder(TComponent* owner) : TWinControl(owner) {}
  std::vector<std::pair<UINT, WPARAM>> received;

 protected:
  void WndProc(TMessage& m) override {
    if (m.Msg == QRM_PROGRESS || m.Msg == QRM_PAGEAVAILABLE || m.Msg == QRM_PRINTAGAIN)
      received.emplace_back(m.Msg, m.WParam);
    else
      TWinControl::WndProc(m);
  }
};

// Runs a document of count pages, each with its number on it.
void Generate(TQRPrinter& printer, Integer count) {
  printer.BeginDoc();
  for (Integer i = 1; i <= count; ++i) {
    printer.NewPage();
    TCanvas* canvas = printer.GetCanvas();
    canvas->GetFont()->SetName(u"Arial");
    canvas->GetFont()->SetSize(14);
    canvas->TextOut(printer.XPos(200), printer.YPos(200), u"Ведомость, страница " + IntToStr(i));
  }
  printer.EndDoc();
}

class QRPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override { InitTestApplication(); }
  std::string TempPdf(const char* name) { return ::testing::TempDir() + name; }
};

TEST_F(QRPrinterTest, RefusesCallsOutOfTurn) {
  TQRPrinter printer(nullptr);
  try {
    printer.NewPage();
    FAIL();
  } catch (const EQRError& e) {
    EXPECT_EQ(e.Message(), u"Illegal call to NewPage");
  }
  printer.BeginDoc();
  try {
    printer.BeginDoc();
    FAIL();
  } catch (const EQRError& e) {
    EXPECT_EQ(e.Message(), u"QRPrinter not ready");
  }
  printer.Cleanup();
  EXPECT_EQ(printer.GetStatus(), mpReady);
  printer.BeginDoc();
  EXPECT_EQ(printer.GetStatus(), mpBusy);
}

TEST_F(QRPrinterTest, StoresEachPageAndTellsItsClient) {
  TMessageRecorder client(nullptr);
  TQRPrinter printer(nullptr);
  printer.SetClient(&client);
  Generate(printer, 3);
  ProcessPendingEvents();
  const std::vector<std::pair<UINT, WPARAM>> expected{
      {QRM_PAGEAVAILABLE, 1}, {QRM_PAGEAVAILABLE, 2}, {QRM_PAGEAVAILABLE, 3}};
  EXPECT_EQ(client.received, expected);
  EXPECT_EQ(printer.GetStatus(), mpFinished);
  EXPECT_EQ(printer.GetPageCount(), 3);
  EXPECT_EQ(printer.GetPageList()->GetPageCount(), 3);
  EXPECT_EQ(printer.GetPage(0), nullptr);
  EXPECT_EQ(printer.GetPage(4), nullptr);
  EXPECT_EQ(PageText(printer.GetPage(2).get()), u"Ведомость, страница 2");
  // A4 at the screen's 96 dpi.
  EXPECT_EQ(printer.GetPage(1)->GetWidth(), printer.XSize(2100));
  EXPECT_EQ(printer.GetPage(1)->GetHeight(), printer.YSize(2970));
  printer.SetClient(nullptr);
}

TEST_F(QRPrinterTest, PrintsStoredPagesToAPdfThatToolsReadBack) {
  TQRPrinter printer(nullptr);
  Generate(printer, 4);
  const std::string pdf = TempPdf("stored.pdf");
  std::remove(pdf.c_str());
  printer.GetPrinter()->SetOutputFileName(Utf8ToString(pdf));
  printer.SetFirstPage(2);
  printer.SetLastPage(3);
  printer.Print();
  EXPECT_EQ(printer.GetFirstPage(), 0) << "the range is used once";
  EXPECT_NE(RunTool("qpdf --check " + pdf).find("No syntax or stream encoding errors"), std::string::npos);
  EXPECT_EQ(RunTool("qpdf --show-npages " + pdf), "2\n");
  const std::string text = RunTool("pdftotext -layout " + pdf + " -");
  EXPECT_NE(text.find("Ведомость, страница 2"), std::string::npos) << text;
  EXPECT_NE(text.find("Ведомость, страница 3"), std::string::npos) << text;
  EXPECT_EQ(text.find("страница 4"), std::string::npos) << text;
}

TEST_F(QRPrinterTest, GeneratesStraightToThePrinterOnlyThePagesInRange) {
  TQRPrinter printer(nullptr);
  const std::string pdf = TempPdf("direct.pdf");
  std::remove(pdf.c_str());
  printer.GetPrinter()->SetOutputFileName(Utf8ToString(pdf));
  printer.SetDestination(qrdPrinter);
  printer.SetFirstPage(2);
  printer.SetLastPage(3);
  Generate(printer, 5);
  EXPECT_EQ(RunTool("qpdf --show-npages " + pdf), "2\n");
  const std::string text = RunTool("pdftotext " + pdf + " -");
  EXPECT_NE(text.find("страница 2"), std::string::npos);
  EXPECT_NE(text.find("страница 3"), std::string::npos);
  EXPECT_EQ(text.find("страница 1"), std::string::npos);
  EXPECT_EQ(text.find("страница 5"), std::string::npos);
}

TEST_F(QRPrinterTest, LoadingASavedReportGuessesItsPaper) {
  struct Case {
    Integer widthTenths, lengthTenths;
    TQRPaperSize size;
    TPrinterOrientation orientation;
  };
  // The closest size wins: a Letter page is Letter, not the later Note of the same size.
  const Case cases[] = {{2159, 2794, TQRPaperSize::Letter, poPortrait},
                        {2970, 2100, TQRPaperSize::A4, poLandscape},
                        {1480, 2100, TQRPaperSize::A5, poPortrait}};
  const String file = GetTempFileName(GetTempPath(), u"qrp");
  for (const Case& c : cases) {
    TQRPrinter source(nullptr);
    source.SetPaperSize(TQRPaperSize::Custom);
    source.SetPaperWidth(c.widthTenths);
    source.SetPaperLength(c.lengthTenths);
    Generate(source, 2);
    source.Save(file);
    TQRPrinter loaded(nullptr);
    loaded.Load(file);
    EXPECT_EQ(loaded.GetStatus(), mpFinished);
    EXPECT_TRUE(loaded.GetReportLoaded());
    EXPECT_TRUE(GetQRPrintStoredPages());
    EXPECT_EQ(loaded.GetPageCount(), 2);
    EXPECT_EQ(loaded.GetPaperSize(), c.size) << c.widthTenths;
    EXPECT_EQ(loaded.GetOrientation(), c.orientation) << c.widthTenths;
    EXPECT_EQ(PageText(loaded.GetPage(2).get()), u"Ведомость, страница 2");
  }
  DeleteFile(file);
}

TEST_F(QRPrinterTest, PreviewingWithPrintMetafileMakesThePreviewPrintStoredPages) {
  TQRPrinter printer(nullptr);
  Integer previews = 0;
  printer.OnPreview = [&](TObject*) { ++previews; };
  for (bool printMetafile : {false, true}) {
    SetQRPrintStoredPages(false);
    printer.SetPrintMetafile(printMetafile);
    printer.Preview();
    EXPECT_EQ(GetQRPrintStoredPages(), printMetafile);
  }
  EXPECT_EQ(previews, 2) << "the application's preview replaces the window";
}

TEST_F(QRPrinterTest, ClosingThePreviewCancelsARunningReport) {
  TQRPrinter printer(nullptr);
  Integer afterPreview = 0;
  printer.AfterPreview = [&](TObject*) { ++afterPreview; };
  printer.SetShowingPreview(true);
  printer.BeginDoc();
  printer.NewPage();
  printer.SetShowingPreview(false);
  EXPECT_TRUE(printer.GetCancelled());
  EXPECT_EQ(afterPreview, 1);
}

TEST_F(QRPrinterTest, APreviewReadsPagesWhileAnotherThreadGeneratesThem) {
  TMessageRecorder client(nullptr);
  TQRPrinter printer(nullptr);
  printer.SetClient(&client);
  std::thread run([&] { Generate(printer, 60); });
  Integer seen = 0;
  // Bounded, so that a page that never arrives fails the test rather than hanging it.
  for (Integer spins = 0; spins < 1000000 && (printer.GetStatus() != mpFinished || seen < 60); ++spins) {
    ProcessPendingEvents();
    const Integer available = printer.GetAvailablePages();
    for (; seen < std::min(available, printer.GetPageCount()); ++seen) {
      auto page = printer.GetPage(seen + 1);
      ASSERT_NE(page, nullptr) << seen + 1;
      EXPECT_EQ(PageText(page.get()), u"Ведомость, страница " + IntToStr(seen + 1));
    }
  }
  run.join();
  EXPECT_EQ(seen, 60);
  ProcessPendingEvents();
  EXPECT_EQ(client.received.back(), (std::pair<UINT, WPARAM>{QRM_PAGEAVAILABLE, 60}));
  printer.SetClient(nullptr);
}

// A report whose printing shows progress on a window the test reads.
class TProgressReport : public TQRReportLink {
 public:
  TQRPrinterSettings* GetReportPrinterSettings() override { return &settings; }
  bool GetShowProgress() const override { return true; }
  void GetPageSize(Extended& width, Extended& length) override { width = 2100, length = 2970; }
  TWinControl* CreatePrintProgress(TQRPrinter*) override { return progress = new TMessageRecorder(nullptr); }
  void FreePrintProgress(TWinControl* form) override {
    ProcessPendingEvents();
    for (const auto& [msg, value] : static_cast<TMessageRecorder*>(form)->received)
      if (msg == QRM_PROGRESS) percents.push_back(static_cast<Integer>(value));
    delete form;
  }
  void AfterPrint() override { ++printed; }
  TQRPrinterSettings settings;
  TWinControl* progress = nullptr;
  std::vector<Integer> percents;
  Integer printed = 0;
};

TEST_F(QRPrinterTest, PrintsTheReportsRangeWithProgressAndUsesItOnce) {
  TProgressReport report;
  TQRPrinter printer(&report);
  Generate(printer, 12);
  const std::string pdf = TempPdf("progress.pdf");
  std::remove(pdf.c_str());
  printer.GetPrinter()->SetOutputFileName(Utf8ToString(pdf));
  report.settings.FirstPage = 5;
  report.settings.LastPage = 10;
  printer.Print();
  EXPECT_EQ(report.percents, (std::vector<Integer>{17, 33, 50, 67, 83, 100}));
  EXPECT_EQ(report.printed, 1);
  EXPECT_EQ(report.settings.FirstPage, 0);
  EXPECT_EQ(report.settings.LastPage, 0);
  EXPECT_EQ(RunTool("qpdf --show-npages " + pdf), "6\n");
  const std::string text = RunTool("pdftotext " + pdf + " -");
  EXPECT_NE(text.find("страница 5"), std::string::npos);
  EXPECT_NE(text.find("страница 10"), std::string::npos);
  EXPECT_EQ(text.find("страница 4\n"), std::string::npos);
}

TEST_F(QRPrinterTest, AReportThatCanGenerateAgainIsAskedToInsteadOfPrintingStoredPages) {
  TProgressReport report;
  TMessageRecorder master(nullptr);
  TQRPrinter printer(&report);
  printer.SetMaster(&master);
  Generate(printer, 2);
  printer.Print();
  ProcessPendingEvents();
  EXPECT_EQ(master.received, (std::vector<std::pair<UINT, WPARAM>>{{QRM_PRINTAGAIN, 0}}));
  EXPECT_EQ(report.printed, 0);
}

TEST_F(QRPrinterTest, PrintsStoredPagesDirectlyOnTheSharedPrinter) {
  TQRPrinter printer(nullptr);
  Generate(printer, 4);
  const std::string pdf = TempPdf("direct-stored.pdf");
  std::remove(pdf.c_str());
  Printer()->SetOutputFileName(Utf8ToString(pdf));
  printer.PrintMetafileDirect(String(), 2, 9);
  Printer()->SetOutputFileName(String());
  EXPECT_EQ(RunTool("qpdf --show-npages " + pdf), "3\n");
  const std::string text = RunTool("pdftotext " + pdf + " -");
  EXPECT_NE(text.find("страница 4"), std::string::npos);
  EXPECT_EQ(text.find("страница 1"), std::string::npos);
}

}  // namespace
