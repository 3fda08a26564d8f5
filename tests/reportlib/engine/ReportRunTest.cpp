// The generation run: bands in order, page and column flow, groups with their sums, stretching
// texts across pages, requests and their errors.
#include "tests/reportlib/engine/ReportTestSupport.h"

TEST_F(ReportTest, DetailPrintsEveryRecordOnceInOrder) {
  Field(u"name", ftString, 30);
  for (int i = 1; i <= 5; ++i) data_->AddRow({String(u"Запись ") + IntToStr(i)});
  data_->Open();
  report_->SetDataSet(data_);
  Label(Band(rbTitle, 10), u"Заголовок");
  DBText(Band(rbDetail, 5), u"name");
  report_->Prepare();
  EXPECT_EQ(Flat(Pages()), (std::vector<std::string>{"Заголовок", "Запись 1", "Запись 2", "Запись 3",
                                                     "Запись 4", "Запись 5"}));
  EXPECT_TRUE(report_->GetAvailable());
}

namespace {

std::vector<InventoryReportTest::TRow> SampleRows(int count) {
  const char* kinds[] = {"Заготовки", "Краска", "Металл", "Продукция"};
  std::vector<InventoryReportTest::TRow> rows;
  for (int i = 0; i < count; ++i)
    rows.push_back({kinds[i * 4 / count], "Изделие " + std::to_string(i + 1), (i % 7) * 1.25 + 0.125});
  return rows;
}

void Fill(TTestDataSet* data, const std::vector<InventoryReportTest::TRow>& rows) {
  data->GetFieldDefs()->Add(u"nom", ftString, 40);
  data->GetFieldDefs()->Add(u"marka", ftString, 40);
  data->GetFieldDefs()->Add(u"massa", ftFloat);
  for (const auto& r : rows) data->AddRow({Utf8ToString(r.nom), Utf8ToString(r.marka), r.massa});
  data->Open();
}

}  // namespace

TEST_F(InventoryReportTest, GroupsSumsHeadersAndPageXOfYOverManyPages) {
  const auto rows = SampleRows(150);
  Fill(data_, rows);
  BuildInventory(data_);
  report_->Prepare();
  const auto pages = Pages();
  ASSERT_GT(pages.size(), 2u);
  ExpectInventoryPages(rows, pages);
  // Nothing but the footer is drawn in the page footer's place: no band ran over the page's end.
  const Integer footerTop = static_cast<Integer>((2970 - 100 - 60) * 96 / 254.0);
  for (size_t p = 0; p < pages.size(); ++p)
    for (const TPageText& t : pages[p])
      if (t.Text.rfind("Страница", 0) != 0) EXPECT_LE(t.Y + 16, footerTop) << t.Text << " on page " << p + 1;
}

TEST_F(InventoryReportTest, GroupBandBackgroundIsPaintedOnThePage) {
  Fill(data_, SampleRows(8));
  BuildInventory(data_);
  report_->Prepare();
  std::unique_ptr<TMetafile> page = report_->GetQRPrinter()->GetPage(1);
  ASSERT_TRUE(page);
  // The first group header sits below the title (10 mm) and the page header (6 mm).
  TBitmap bitmap(page->GetWidth(), page->GetHeight());
  bitmap.GetCanvas()->StretchDraw(TRect(0, 0, page->GetWidth(), page->GetHeight()), page.get());
  const Integer y = static_cast<Integer>((100 + 100 + 60 + 30) * 96 / 254.0);
  EXPECT_EQ(PixelAt(&bitmap, static_cast<Integer>(1800 * 96 / 254.0), y), kGroupColor);
  EXPECT_EQ(PixelAt(&bitmap, static_cast<Integer>(1800 * 96 / 254.0), y - 30), clWhite);
}
