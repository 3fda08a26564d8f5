// Requests of the report: background generation giving the foreground's pages, cancelling, errors
// reaching the caller, a request during a run, and who keeps the printer a preview shows.
#include <chrono>
#include <thread>

#include "reportlib/output/QRError.h"
#include "tests/reportlib/engine/ReportTestSupport.h"

namespace {}  // namespace

// Closes a dataset when it gets a posted message, as a button's click handler would.
class TDataSetCloser : public TCustomControl {
  KIV_CLASS(TDataSetCloser, TCustomControl)
 public:
  TDataSetCloser(TComponent* owner, TDataSet* data) : TCustomControl(owner), data_(data) {}

 protected:
  void WndProc(TMessage& message) override {
    if (message.Msg == WM_USER + 100) {
      data_->Close();
      return;
    }
    TCustomControl::WndProc(message);
  }

 private:
  TDataSet* data_;
};

class RequestTest : public InventoryReportTest {
 protected:
  // The preview shows nothing on the test's screen: the report's OnPreview stands in for it.
  void NoPreviewWindow() {
    report_->OnPreview = [this](TObject*) { ++previews_; };
  }
  int previews_ = 0;
  TDataSetCloser* closer_ = nullptr;
};

TEST_F(RequestTest, BackgroundRunGivesTheForegroundPages) {
  FillInventory(data_, InventoryRows(400));
  BuildInventory(data_);
  report_->Prepare();
  const auto foreground = Pages();
  ASSERT_GT(foreground.size(), 3u);
  NoPreviewWindow();
  report_->SetCreateInBGThread(true);
  report_->Preview();
  EXPECT_EQ(previews_, 1);
  report_->WaitForGeneration();
  const auto background = Pages();
  ASSERT_EQ(background.size(), foreground.size());
  for (size_t p = 0; p < foreground.size(); ++p) {
    ASSERT_EQ(background[p].size(), foreground[p].size()) << "page " << p + 1;
    for (size_t i = 0; i < foreground[p].size(); ++i) {
      EXPECT_EQ(background[p][i].Text, foreground[p][i].Text);
      EXPECT_EQ(background[p][i].Y, foreground[p][i].Y);
    }
  }
  EXPECT_TRUE(report_->GetAvailable());
}

TEST_F(RequestTest, CancelStopsABackgroundRunAndKeepsItsPrinterForThePreview) {
  FillInventory(data_, InventoryRows(50000));
  TInventoryLayout layout = BuildInventory(data_);
  NoPreviewWindow();
  report_->SetCreateInBGThread(true);
  // Cancelled while it counts its pages for "page X of Y", and while it draws them.
  for (bool counting : {true, false}) {
    if (!counting) layout.PageOfPages->SetData(qrsPageNumber);
    report_->Preview();
    TQRPrinter* printer = report_->GetQRPrinter();
    ASSERT_TRUE(printer);
    if (counting)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    else
      while (printer->GetAvailablePages() < 3 && report_->GetGenerating())
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    report_->Cancel();
    report_->WaitForGeneration();
    EXPECT_TRUE(report_->GetCancelled());
    EXPECT_TRUE(report_->GetAvailable());
    // The preview still reads the printer the worker filled: it is the report's until the preview goes.
    EXPECT_EQ(report_->GetQRPrinter(), printer);
    EXPECT_LT(printer->GetPageCount(), 500);
    if (!counting) {
      EXPECT_GE(printer->GetPageCount(), 3);
      EXPECT_TRUE(printer->GetPage(1));
    }
  }
}

TEST_F(RequestTest, GenerationErrorsReachTheCaller) {
  FillInventory(data_, InventoryRows(200));
  BuildInventory(data_);
  NoPreviewWindow();
  report_->OnStartPage = [](TCustomRezavOze* r) {
    if (r->GetPageNumber() == 2) throw EQRError(u"page two refused");
  };
  for (bool background : {false, true}) {
    report_->SetCreateInBGThread(background);
    try {
      report_->Preview();
      report_->WaitForGeneration();
      ADD_FAILURE() << "no error, background " << background;
    } catch (const EQRError& e) {
      EXPECT_EQ(U8(e.Message()), "page two refused");
    }
    EXPECT_TRUE(report_->GetAvailable());
    if (!background) {
      EXPECT_EQ(report_->GetQRPrinter(), nullptr);
    }
  }
}

TEST_F(RequestTest, ARequestDuringARunDoesNothing) {
  FillInventory(data_, InventoryRows(10));
  BuildInventory(data_);
  TQRPrinter* inner = reinterpret_cast<TQRPrinter*>(1);
  report_->BeforePrint = [&](TCustomRezavOze* r, bool&) {
    TQRPrinter* before = r->GetQRPrinter();
    r->Prepare();
    inner = r->GetQRPrinter() == before ? nullptr : r->GetQRPrinter();
  };
  report_->Prepare();
  EXPECT_EQ(inner, nullptr);
  EXPECT_GT(Pages().size(), 0u);
}

TEST_F(RequestTest, AClosedPreviewFreesItsPrinterOnceTheRunIsOver) {
  FillInventory(data_, InventoryRows(50000));
  BuildInventory(data_).PageOfPages->SetData(qrsPageNumber);
  NoPreviewWindow();
  report_->SetCreateInBGThread(true);
  report_->Preview();
  TQRPrinter* printer = report_->GetQRPrinter();
  while (printer->GetAvailablePages() < 2 && report_->GetGenerating())
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  // The preview closes while the worker still fills the store: the run stops, the printer stays.
  printer->SetShowingPreview(true);
  printer->SetShowingPreview(false);
  report_->Perform(QRM_PREVIEWCLOSED, 0, reinterpret_cast<LPARAM>(printer));
  EXPECT_EQ(report_->GetQRPrinter(), printer);
  report_->WaitForGeneration();
  EXPECT_TRUE(report_->GetCancelled());
  EXPECT_EQ(report_->GetQRPrinter(), nullptr);
  // Without a run the printer goes at once.
  data_->ClearRows();
  report_->Prepare();
  ASSERT_TRUE(report_->GetQRPrinter());
  report_->Perform(QRM_PREVIEWCLOSED, 0, reinterpret_cast<LPARAM>(report_->GetQRPrinter()));
  EXPECT_EQ(report_->GetQRPrinter(), nullptr);
}

TEST_F(RequestTest, ADataSetClosedWhileTheRunWaitsForMessagesStopsItWithAnError) {
  FillInventory(data_, InventoryRows(50));
  closer_ = new TDataSetCloser(form_.get(), data_);
  BuildInventory(data_).Detail->BeforePrint = [this](TQRCustomBand*, bool&) {
    if (report_->GetRecordNumber() != 3) return;
    // A click handled between records closes the dataset under the run.
    PostMessage(closer_->GetHandle(), WM_USER + 100, 0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
  };
  EXPECT_THROW(report_->Prepare(), EQRError);
  EXPECT_TRUE(report_->GetAvailable());
}

TEST_F(RequestTest, BeforePrintVetoLeavesNoPagesAndTheReportAvailable) {
  FillInventory(data_, InventoryRows(5));
  BuildInventory(data_);
  report_->BeforePrint = [](TCustomRezavOze*, bool& print) { print = false; };
  report_->Prepare();
  EXPECT_EQ(report_->GetQRPrinter()->GetPageCount(), 0);
  EXPECT_TRUE(report_->GetAvailable());
}

TEST_F(RequestTest, FiftyThousandRecordsInTheBackgroundAllArrive) {
  FillInventory(data_, InventoryRows(50000));
  BuildInventory(data_);
  NoPreviewWindow();
  report_->SetCreateInBGThread(true);
  report_->Preview();
  report_->WaitForGeneration();
  EXPECT_FALSE(report_->GetCancelled());
  const Integer pages = report_->GetQRPrinter()->GetPageCount();
  EXPECT_GT(pages, 900);
  std::unique_ptr<TMetafile> last = report_->GetQRPrinter()->GetPage(pages);
  ASSERT_TRUE(last);
  const auto texts = PageTexts(last.get());
  EXPECT_TRUE(
      std::any_of(texts.begin(), texts.end(), [](const TPageText& t) { return t.Text == "Изделие 50000"; }));
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const TPageText& t) {
    return t.Text == "Страница " + std::to_string(pages) + " из " + std::to_string(pages);
  }));
}
