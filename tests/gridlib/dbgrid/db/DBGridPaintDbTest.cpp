// The data grid over the demo inventory items: the painted footer of a sum shows what the server sums.
#include <gtest/gtest.h>

#include "platform/rtl/Currency.h"
#include "tests/gridlib/dbgrid/DBGridTestSupport.h"
#include "tests/platform/ado/AdoFixture.h"

namespace {

class DBGridPaintDbTest : public AdoTest {};

TEST_F(DBGridPaintDbTest, ThePaintedSumFooterEqualsTheSumTheServerComputes) {
  InitTestApplication();
  auto form = std::make_unique<TForm>(nullptr, 0);
  form->SetBounds(0, 0, 800, 500);
  TADOQuery* query =
      Query(u"select i.id, i.marka, i.massa from cmn_inventory_items.inventory_items i order by i.id");
  query->Open();
  ASSERT_GT(query->RecordCount(), 1);
  auto* source = new TDataSource(form.get());
  source->SetDataSet(query);
  auto* grid = new TDBGridEh(form.get());
  grid->SetParent(form.get());
  grid->SetAlign(alClient);
  grid->SetDataSource(source);
  grid->GetColumns()->RebuildColumns();
  grid->GetColumns()->GetColumn(1)->GetTitle()->SetCaption(u"Изделие|Марка");
  grid->GetColumns()->GetColumn(2)->GetTitle()->SetCaption(u"Изделие|Масса");
  grid->GetColumns()->GetColumn(1)->SetWidth(200);  // the mark's own width would push the mass out of view
  grid->GetTitleParams()->SetMultiTitle(true);
  grid->SetFooterRowCount(1);
  TColumnEh* massa = grid->GetColumns()->GetColumn(2);
  massa->GetFooter()->SetValueType(fvtSum);
  grid->GetSumList()->SetActive(true);
  form->Show();
  ProcessPendingEvents();

  String painted;
  grid->OnGetFooterParams = [&](TObject*, Integer, Integer, TColumnEh* c, TFont*, TColor&, TAlignment&,
                                TGridDrawState, String& text) {
    if (c == massa) painted = text;
  };
  CaptureControl(grid);
  // The server's sum, rounded to the four decimals the footer keeps, in the same general style.
  const String sql = Scalar(u"select round(sum(massa), 4) from cmn_inventory_items.inventory_items");
  EXPECT_EQ(painted, CurrToStr(StrToCurr(sql)));
  EXPECT_FALSE(painted.empty());
}

}  // namespace
