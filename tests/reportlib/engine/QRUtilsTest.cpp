// Small services of the run: the progress window's steps, page info lists for the preview's hit
// tests, columns and the first page's header.
#include "platform/controls/Dialogs.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"
#include "reportlib/engine/QRUtils.h"
#include "tests/reportlib/engine/ReportTestSupport.h"

TEST_F(ReportTest, ProgressWindowMovesAtEveryFifthPercentAndCancels) {
  Field(u"n", ftInteger);
  data_->Open();
  report_->Prepare();
  TQRPrinter* printer = report_->GetQRPrinter();
  TQRProgressForm form(nullptr);
  form.SetQRPrinter(printer);
  std::vector<Integer> shown;
  for (Integer progress : {3, 5, 7, 10}) {
    printer->SetProgress(progress);
    form.UpdateProgress();
    shown.push_back(form.Gauge->GetPosition());
  }
  EXPECT_EQ(shown, (std::vector<Integer>{0, 5, 5, 10}));
  EXPECT_EQ(U8(form.Info->GetCaption()), "10%  Completed");
  form.CancelButtonClick(nullptr);
  EXPECT_TRUE(printer->GetCancelled());
  EXPECT_TRUE(report_->UserCancel);
}

TEST_F(ReportTest, PageInfoListsRecordActiveControlsPerPage) {
  Field(u"name", ftString, 20);
  for (int i = 0; i < 70; ++i) data_->AddRow({u"строка " + IntToStr(i)});
  data_->Open();
  report_->SetDataSet(data_);
  TQRDBText* text = DBText(Band(rbDetail, 5), u"name");
  text->SetActiveInPreview(true);
  report_->UsePreviewLinks = true;
  report_->Prepare();
  TQRPageInfoList* list = report_->GetPageLinkInfoList();
  const Integer pages = report_->GetQRPrinter()->GetPageCount();
  ASSERT_EQ(pages, 2);
  // Entry k belongs to page k; entry 0 is the list current before the first page.
  EXPECT_EQ(list->Count(), pages + 1);
  EXPECT_EQ(list->getPageRec(pages + 1), nullptr);
  TQRLinkPage* second = list->getPageRec(2);
  ASSERT_TRUE(second);
  TPageItemRec* item = second->FindItemByControlandRecord(text->GetName(), 69);
  ASSERT_TRUE(item);
  EXPECT_EQ(U8(item->textcontent), "строка 69");
  // A point on the item's left or top edge is outside it; one inside hits it.
  EXPECT_EQ(second->HitTest(item->left, item->top + 1), nullptr);
  EXPECT_EQ(second->HitTest(item->left + 1, item->top), nullptr);
  EXPECT_EQ(second->HitTest(item->left + 1, item->top + 1), item);
}

TEST_F(ReportTest, ColumnsFlowAcrossThePageAndThePageHeaderFollowsTheOption) {
  Field(u"n", ftInteger);
  for (int i = 1; i <= 130; ++i) data_->AddRow({i});
  data_->Open();
  report_->SetDataSet(data_);
  report_->GetPage()->SetColumns(2);
  report_->GetPage()->SetColumnSpace(10);
  Label(Band(rbPageHeader, 5), u"шапка");
  Expr(Band(rbDetail, 5), u"STR(n)", 0, 30);
  report_->SetOptions(TVaruzUvuzedOptions{LastPageFooter});
  report_->Prepare();
  const auto pages = Pages();
  ASSERT_EQ(pages.size(), 2u);
  // Without FirstPageHeader page 1 has no header; page 2 has it.
  EXPECT_NE(pages[0].front().Text, "шапка");
  EXPECT_EQ(pages[1].front().Text, "шапка");
  // 55 details fill the first column of 277 mm; the next starts at the top of column 2, which
  // begins at the left margin plus the column width plus the space: 10 + 90 + 10 = 110 mm.
  const auto it =
      std::find_if(pages[0].begin(), pages[0].end(), [](const TPageText& t) { return t.Text == "56"; });
  ASSERT_NE(it, pages[0].end());
  EXPECT_EQ(it->Y, pages[0].front().Y);
  EXPECT_EQ(it->X, static_cast<Integer>(Round((100 + 900 + 100) * 96 / 254.0)));
}

TEST_F(ReportTest, BandSwitchesZoomAndPreviewSizeFollowTheirRules) {
  report_->GetBands()->SetHasTitle(true);
  report_->GetBands()->SetHasTitle(true);
  TQRCustomBand* title = report_->GetBands()->TitleBand();
  ASSERT_TRUE(title);
  EXPECT_EQ(U8(title->GetName()), "TitleBand1");
  EXPECT_EQ(report_->GetBandList().size(), 1u);
  report_->GetBands()->SetHasSummary(true);
  EXPECT_EQ(U8(report_->GetBands()->SummaryBand()->GetName()), "SummaryBand1");
  report_->GetBands()->SetHasTitle(false);
  EXPECT_EQ(report_->GetBands()->TitleBand(), nullptr);
  EXPECT_EQ(report_->GetBandList().size(), 1u);
  for (Integer zoom : {0, 301}) {
    report_->SetZoom(zoom);
    EXPECT_EQ(report_->GetZoom(), 100);
  }
  report_->SetPreviewWidth(0);
  EXPECT_EQ(report_->GetPreviewWidth(), 500);
  EXPECT_EQ(report_->TextWidth(report_->GetFont(), String()), 1);
  // An A4 page keeps its length; a custom one takes it.
  report_->GetPage()->SetLength(100);
  EXPECT_DOUBLE_EQ(report_->GetPage()->GetLength(), 297);
  report_->GetPage()->SetPaperSize(TQRPaperSize::Custom);
  report_->GetPage()->SetLength(100);
  EXPECT_DOUBLE_EQ(report_->GetPage()->GetLength(), 100);
  report_->GetPage()->SetOrientation(poLandscape);
  EXPECT_DOUBLE_EQ(report_->GetPage()->GetWidth(), 100);
  EXPECT_DOUBLE_EQ(report_->GetPage()->GetLength(), 210);
}

TEST_F(ReportTest, PrinterSetupKeepsTheChosenRangeAndACancelChangesNothing) {
  Field(u"n", ftInteger);
  for (int i = 0; i < 120; ++i) data_->AddRow({i});
  data_->Open();
  report_->SetDataSet(data_);
  Expr(Band(rbDetail, 5), u"STR(n)");
  report_->Prepare();
  TDialogAnswer answer;
  TDialogRequest asked;
  auto old = SetDialogHook([&](const TDialogRequest& r) {
    asked = r;
    return answer;
  });
  auto restore = MakeScopeExit([&] { SetDialogHook(old); });
  answer.Result = 1;
  answer.FromPage = 2;
  answer.ToPage = 3;
  answer.Copies = 2;
  report_->PrinterSetup();
  EXPECT_EQ(asked.MaxPage, report_->GetQRPrinter()->GetPageCount());
  EXPECT_EQ(report_->GetTag(), 0);
  EXPECT_EQ(report_->GetPrinterSettings()->FirstPage, 2);
  EXPECT_EQ(report_->GetPrinterSettings()->LastPage, 3);
  EXPECT_EQ(report_->GetPrinterSettings()->Copies, 2);
  answer = TDialogAnswer();
  report_->PrinterSetup();
  EXPECT_EQ(report_->GetTag(), 1);
  EXPECT_EQ(report_->GetPrinterSettings()->FirstPage, 2);
}
