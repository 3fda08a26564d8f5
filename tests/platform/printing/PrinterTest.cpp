// The printer: the PDF printer's geometry when none is installed, a three-page job that poppler reads
// back (pages, size and text, Cyrillic included), device modes and paper codes, and the dialogs
// answered by the hook.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/controls/Dialogs.h"
#include "platform/graphics/GraphicsApp.h"
#include "platform/printing/PrintDialogs.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/Utf.h"

namespace {

namespace fs = std::filesystem;

std::string Output(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

class PrinterTest : public ::testing::Test {
 public:
  void SetUp() override {
    InitGraphicsForTests();
    printer_ = std::make_unique<TPrinter>();
    if (!printer_->IsPdfPrinter()) GTEST_SKIP() << "a real printer is installed here";
    dir_ = fs::temp_directory_path() / ("kiv-print-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    if (!dir_.empty() && !HasFailure()) fs::remove_all(dir_);
  }
  std::unique_ptr<TPrinter> printer_;
  fs::path dir_;
};

}  // namespace

TEST_F(PrinterTest, PdfPrinterIsA4At600DpiWithTheUsualMargins) {
  EXPECT_EQ(printer_->GetPrinters()->GetCount(), 1);
  EXPECT_EQ(printer_->GetPageWidth(), 4676);
  EXPECT_EQ(printer_->GetPageHeight(), 6744);
  HDC dc = printer_->GetHandle();
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 600);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 600);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETX), 130);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETY), 150);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 4961);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), 7016);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 4676);
  EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), 198);
  EXPECT_EQ(GetDeviceCaps(dc, NUMCOLORS), -1);
  // The canvas measures before a job: fonts are at the printer's resolution.
  EXPECT_EQ(printer_->GetCanvas()->GetFont()->GetPixelsPerInch(), 600);
  EXPECT_GT(printer_->GetCanvas()->TextWidth(u"Итого"), 100);
  printer_->SetOrientation(poLandscape);
  EXPECT_EQ(printer_->GetPageWidth(), 7016 - 150 - 122);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 7016);
}

TEST_F(PrinterTest, ThreePageJobGivesAPdfThatPopplerReads) {
  const fs::path file = dir_ / "job.pdf";
  printer_->SetOutputFileName(Utf8ToString(file.string()));
  printer_->SetTitle(u"Оборотная ведомость");
  printer_->BeginDoc();
  EXPECT_TRUE(printer_->GetPrinting());
  EXPECT_THROW(printer_->BeginDoc(), EPrinter);
  for (int page = 1; page <= 3; ++page) {
    if (page > 1) printer_->NewPage();
    EXPECT_EQ(printer_->GetPageNumber(), page);
    TCanvas* c = printer_->GetCanvas();
    c->GetFont()->SetName(u"Arial");
    c->GetFont()->SetSize(14);
    c->TextOut(300, 300, u"Страница " + Utf8ToString(std::to_string(page)) + u" Page");
    c->GetPen()->SetWidth(6);
    c->MoveTo(300, 600);
    c->LineTo(4000, 600);
    c->Rectangle(300, 800, 2000, 1600);
  }
  printer_->EndDoc();
  EXPECT_FALSE(printer_->GetPrinting());
  EXPECT_THROW(printer_->NewPage(), EPrinter);
  ASSERT_TRUE(fs::exists(file));
  EXPECT_EQ(printer_->GetLastOutputFileName(), Utf8ToString(file.string()));
  const std::string info = Output("pdfinfo '" + file.string() + "'");
  const size_t pages = info.find("Pages:");
  ASSERT_NE(pages, std::string::npos) << info;
  EXPECT_EQ(std::stoi(info.substr(pages + 6)), 3) << info;
  EXPECT_NE(info.find("(A4)"), std::string::npos) << info;
  const std::string text = Output("pdftotext -layout '" + file.string() + "' -");
  for (const char* expected : {"Страница 1 Page", "Страница 2 Page", "Страница 3 Page"})
    EXPECT_NE(text.find(expected), std::string::npos) << text;
}

TEST_F(PrinterTest, AbortThrowsTheJobAway) {
  const fs::path file = dir_ / "aborted.pdf";
  printer_->SetOutputFileName(Utf8ToString(file.string()));
  printer_->BeginDoc();
  printer_->GetCanvas()->TextOut(10, 10, u"x");
  printer_->Abort();
  EXPECT_TRUE(printer_->GetAborted());
  EXPECT_FALSE(printer_->GetPrinting());
  EXPECT_FALSE(fs::exists(file));
}

TEST_F(PrinterTest, PaperCodesAndCustomSizes) {
  struct Case {
    Word code;
    double w, h;
  } cases[] = {{DMPAPER_LETTER, 215.9, 279.4}, {DMPAPER_A3, 297, 420},     {DMPAPER_A4, 210, 297},
               {DMPAPER_A5, 148, 210},         {DMPAPER_ENV_DL, 110, 220}, {DMPAPER_A2, 420, 594}};
  for (const Case& c : cases) {
    double w, h;
    ASSERT_TRUE(PaperSizeMM(c.code, w, h)) << c.code;
    EXPECT_DOUBLE_EQ(w, c.w);
    EXPECT_DOUBLE_EQ(h, c.h);
  }
  double w, h;
  EXPECT_FALSE(PaperSizeMM(0, w, h));
  EXPECT_FALSE(PaperSizeMM(48, w, h));
  EXPECT_FALSE(PaperSizeMM(69, w, h));
  TDeviceMode mode = printer_->GetDeviceMode();
  mode.dmPaperSize = DMPAPER_A5;
  printer_->SetDeviceMode(mode);
  EXPECT_EQ(GetDeviceCaps(printer_->GetHandle(), PHYSICALWIDTH), 3496);
  mode.dmPaperSize = DMPAPER_CUSTOM;
  mode.dmPaperWidth = 1000;  // 100 mm
  mode.dmPaperLength = 1500;
  printer_->SetDeviceMode(mode);
  EXPECT_EQ(GetDeviceCaps(printer_->GetHandle(), PHYSICALWIDTH), 2362);
  EXPECT_EQ(GetDeviceCaps(printer_->GetHandle(), PHYSICALHEIGHT), 3543);
  String device, driver, port;
  TDeviceMode back;
  printer_->GetPrinter(device, driver, port, back);
  EXPECT_EQ(device, u"PDF");
  EXPECT_EQ(back.dmPaperWidth, 1000);
  EXPECT_THROW(printer_->SetPrinterIndex(3), EPrinter);
}

TEST_F(PrinterTest, TheProcessWidePrinterCanBeSwapped) {
  TPrinter* first = Printer();
  EXPECT_EQ(Printer(), first);
  auto mine = std::make_unique<TPrinter>();
  TPrinter* old = SetPrinter(mine.get());
  EXPECT_EQ(old, first);
  EXPECT_EQ(Printer(), mine.get());
  SetPrinter(old);
  delete old;  // handed over by SetPrinter
  SetPrinter(nullptr);
}

TEST_F(PrinterTest, DialogsAskTheHookFirst) {
  TComponent owner(nullptr);
  TPrintDialog dialog(&owner);
  dialog.SetMinPage(1);
  dialog.SetMaxPage(9);
  dialog.SetOptions(TPrintDialogOptions{poPageNums});
  {
    TDialogRecorder recorder;
    TDialogAnswer answer = TDialogAnswer::Accept();
    answer.FromPage = 2;
    answer.ToPage = 4;
    answer.Copies = 3;
    recorder.Answer(answer);
    EXPECT_TRUE(dialog.Execute());
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.Last().Kind, dkPrint);
    EXPECT_EQ(recorder.Last().MaxPage, 9);
  }
  EXPECT_EQ(dialog.GetPrintRange(), prPageNums);
  EXPECT_EQ(dialog.GetFromPage(), 2);
  EXPECT_EQ(dialog.GetToPage(), 4);
  EXPECT_EQ(Printer()->GetCopies(), 3);
  {
    TDialogRecorder recorder;  // answers with a cancel
    TPrinterSetupDialog setup(&owner);
    EXPECT_FALSE(setup.Execute());
    TPageSetupDialog page(&owner);
    EXPECT_FALSE(page.Execute());
    ASSERT_EQ(recorder.Count(), 2);
    EXPECT_EQ(recorder.Requests()[0].Kind, dkPrinterSetup);
    EXPECT_EQ(recorder.Requests()[1].Kind, dkPageSetup);
  }
  Printer()->SetCopies(1);
}
