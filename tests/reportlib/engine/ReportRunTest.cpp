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

TEST_F(InventoryReportTest, GroupsSumsHeadersAndPageXOfYOverManyPages) {
  const auto rows = InventoryRows(150);
  FillInventory(data_, rows);
  BuildInventory(data_);
  report_->Prepare();
  const auto pages = Pages();
  ASSERT_GT(pages.size(), 2u);
  ExpectInventoryPages(rows, pages);
  // Nothing but the footer is drawn in the page footer's place: no band ran over the page's end.
  const Integer footerTop = static_cast<Integer>((2970 - 100 - 60) * 96 / 254.0);
  for (size_t p = 0; p < pages.size(); ++p)
    for (const TPageText& t : pages[p])
      if (t.Text.rfind("Страница", 0) != 0) {
        EXPECT_LE(t.Y + 16, footerTop) << t.Text << " on page " << p + 1;
      }
}

TEST_F(InventoryReportTest, GroupBandBackgroundIsPaintedOnThePage) {
  FillInventory(data_, InventoryRows(8));
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

namespace {

// A forward-only cursor: stepping back is refused as such a dataset refuses it.
class TForwardOnlyDataSet : public TTestDataSet {
  KIV_CLASS(TForwardOnlyDataSet, TTestDataSet)
 public:
  using TTestDataSet::TTestDataSet;
  bool IsUniDirectional() const override { return true; }

 protected:
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) override {
    if (getMode == gmPrior && GetState() == dsBrowse && !GetBof())
      throw EDatabaseError(u"Operation not allowed on a unidirectional dataset");
    return TTestDataSet::GetRecord(buffer, getMode, doCheck);
  }
};

}  // namespace

TEST_F(ReportTest, GroupsOverAForwardOnlyCursorCloseWithoutSteppingBack) {
  auto* data = new TForwardOnlyDataSet(form_.get());
  data->GetFieldDefs()->Add(u"kind", ftString, 10);
  data->GetFieldDefs()->Add(u"qty", ftInteger);
  const std::pair<const char16_t*, int> rows[] = {{u"a", 1}, {u"a", 2}, {u"b", 10}};
  for (const auto& [kind, qty] : rows) data->AddRow({String(kind), qty});
  data->Open();
  report_->SetDataSet(data);
  TQRGroup* group = Group(u"kind", 5);
  Expr(group, u"kind");
  TQRBand* footer = Band(rbGroupFooter, 5);
  group->SetFooterBand(footer);
  TQRExpr* sum = Expr(footer, u"'sum ' + STR(SUM(qty))");
  sum->SetResetAfterPrint(true);
  sum->SetMaster(report_);
  Band(rbDetail, 5);
  report_->Prepare();
  EXPECT_EQ(Flat(Pages()), (std::vector<std::string>{"a", "sum 3", "b", "sum 10"}));
}

TEST_F(ReportTest, ALinkBandReservesItsLengthNotItsScreenHeight) {
  TQRBand* detail = Band(rbDetail, 5);
  TQRBand* footer = Band(rbGroupFooter, 12);
  detail->SetLinkBand(footer);
  footer->SetLinkBand(detail);  // a circle is refused
  EXPECT_EQ(footer->GetLinkBand(), nullptr);
  EXPECT_DOUBLE_EQ(detail->NeededSpace(true), 170);
  EXPECT_DOUBLE_EQ(detail->NeededSpace(false), 50);
}

TEST_F(ReportTest, ABandAndItsLinkedBandMoveToTheNextPageTogether) {
  Field(u"n", ftInteger);
  for (int i = 1; i <= 52; ++i) data_->AddRow({i});
  data_->Open();
  report_->SetDataSet(data_);
  // 52 details of 5 mm fill 260 of the page's 277 mm; the summary of 10 mm fits after them, but
  // the last detail is linked to a 20 mm band, so it moves on with the summary's space in mind.
  TQRBand* detail = Band(rbDetail, 5);
  Expr(detail, u"STR(n)");
  TQRBand* spacer = Band(rbSummary, 20);
  Label(spacer, u"end");
  detail->SetLinkBand(spacer);
  report_->Prepare();
  const auto pages = Pages();
  ASSERT_EQ(pages.size(), 2u);
  // Each detail needs 25 mm with its link: the page (277 mm) takes 277 - 25 = 252 mm of details.
  EXPECT_EQ(pages[0].size(), 51u);
  EXPECT_EQ(pages[1].front().Text, "52");
  EXPECT_EQ(pages[1].back().Text, "end");
}
