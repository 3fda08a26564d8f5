// The data grid over the demo inventory items: the painted footer of a sum shows what the server sums.
// Pictures of the departments and the inventory items in both visual styles are written for a person
// to look at when KIV_SCREENSHOT_DIR names a folder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/controls/StyleManager.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/ScopeGuard.h"
#include "tests/gridlib/dbgrid/DBGridTestSupport.h"
#include "tests/platform/ado/AdoFixture.h"

namespace {

class DBGridPaintDbTest : public AdoTest {};

// The pictures are asked for by hand; without the folder no database is made for them.
class DBGridPicturesDbTest : public AdoTest {
 protected:
  void SetUp() override {
    if (!std::getenv("KIV_SCREENSHOT_DIR")) GTEST_SKIP() << "set KIV_SCREENSHOT_DIR to write the pictures";
    AdoTest::SetUp();
  }
};

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

TEST_F(DBGridPicturesDbTest, PicturesOfDepartmentsAndInventoryItemsInBothVisualStyles) {
  const char* dir = std::getenv("KIV_SCREENSHOT_DIR");
  InitTestApplication();
  auto restore = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
  struct Screen {
    const char* name;
    const Char* sql;
    std::vector<const Char*> captions;
    std::vector<Integer> widths;
    Integer sumColumn;
  } screens[] = {
      {"departments",
       u"select id, s_caption, s_type, type from cmn_department.department order by id",
       {u"Код", u"Подразделение|Наименование", u"Подразделение|Тип", u"Вид склада"},
       {50, 260, 160, 90},
       -1},
      {"inventory-items",
       u"select i.id, i.marka, n.s_caption as nom, i.massa, i.width, i.thick, i.cost_price "
       u"from cmn_inventory_items.inventory_items i "
       u"join cmn_inventory_items.nomenclature n on n.id = i.id_nom order by i.id",
       {u"Код", u"Изделие|Марка", u"Изделие|Вид", u"Размеры|Масса", u"Размеры|Ширина", u"Размеры|Толщина",
        u"Себестоимость"},
       {50, 170, 150, 70, 70, 70, 100},
       3},
  };
  for (const Char* style : {u"Windows", u"Onyx Blue"}) {
    ASSERT_TRUE(TStyleManager::TrySetStyle(style, false));
    for (const Screen& screen : screens) {
      TForm form(nullptr, 0);
      form.SetBounds(0, 0, 820, 420);
      TADOQuery* query = Query(screen.sql);
      query->Open();
      auto* source = new TDataSource(&form);
      source->SetDataSet(query);
      auto* grid = new TDBGridEh(&form);
      grid->SetParent(&form);
      grid->SetAlign(alClient);
      grid->SetDataSource(source);
      grid->GetColumns()->RebuildColumns();
      for (size_t i = 0; i < screen.captions.size(); ++i) {
        TColumnEh* column = grid->GetColumns()->GetColumn(static_cast<Integer>(i));
        column->GetTitle()->SetCaption(screen.captions[i]);
        column->SetWidth(screen.widths[i]);
      }
      grid->GetTitleParams()->SetMultiTitle(true);
      grid->GetColumns()->GetColumn(1)->GetTitle()->SetSortMarker(smUpEh);
      grid->SetOddRowColor(clBtnFace);
      grid->SetIndicatorOptions({gioShowRowIndicatorEh, gioShowRecNoEh});
      grid->SetFooterRowCount(1);
      grid->GetColumns()->GetColumn(0)->GetFooter()->SetValueType(fvtCount);
      if (screen.sumColumn >= 0)
        grid->GetColumns()->GetColumn(screen.sumColumn)->GetFooter()->SetValueType(fvtSum);
      grid->GetSumList()->SetActive(true);
      form.Show();
      grid->SetFocus();
      grid->GetSelection()->SetSelectionType(gstRecordBookmarks);
      query->SetRecNo(2);
      grid->GetSelectedRows()->SetCurrentRowSelected(true);
      query->SetRecNo(4);
      ProcessPendingEvents();
      auto picture = CaptureControl(&form);
      const String styleName = String(style) == u"Windows" ? u"windows" : u"onyx-blue";
      picture->SaveToFile(Utf8ToString(dir) + u"/data-grid-" + Utf8ToString(screen.name) + u"-" + styleName +
                          u".bmp");
    }
  }
}

}  // namespace
