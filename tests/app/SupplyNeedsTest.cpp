// Supply needs: the list opened from the menu shows what the database computes, its rows are coloured by
// what is left to buy, and no key or paste in a data grid changes a row behind the screens' operations.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/ListScreen.h"
#include "app/Unit1.h"
#include "app/Unit6.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/Messages.h"
#include "platform/data/DataSource.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "stock/Unit59.h"
#include "tests/app/ScreenFixture.h"

namespace {

class SupplyNeedsTest : public ScreenTest {};

const char kNeedsQuery[] =
    "select ii2.marka || '=' || round(sum(as2.cnt*ii.massa) - coalesce((select sum(s.count) from "
    "stk_stocks.stock s where s.id_ii = as2.id_gds), 0), 2) from mnf_app.app_spec as2, "
    "cmn_inventory_items.inventory_items ii, cmn_inventory_items.inventory_items ii2 where ii.id=as2.id_ii "
    "and "
    "ii2.id=as2.id_gds and ii2.id_type = 0 and as2.accept=false group by ii2.marka, as2.id_gds";

TEST_F(SupplyNeedsTest, TheMenuShowsTheComputedNeedsAndEscCloses) {
  StartAs("milena");
  Sql("insert into mnf_app.app_spec(id_app_doc, id_ii, id_ral, id_gds, cnt, price, cost_price, master_id) "
      "select (select min(id) from mnf_app.app_doc), ii.id, 0, g.id, 3, 1, 1, 0 from "
      "cmn_inventory_items.inventory_items ii, cmn_inventory_items.inventory_items g where ii.id <> 0 and "
      "ii.massa > 0 and g.id_type = 0 and g.id <> 0 order by ii.id, g.id limit 1");
  const std::string expected =
      Scalar(std::string("select string_agg(x, ';' order by x) from (") + kNeedsQuery + ") t(x)");
  ASSERT_FALSE(expected.empty());
  std::string shown;
  bool closedByEsc = false;
  EXPECT_TRUE(WhenModal(
      Form59,
      [&] {
        TDataSet* needs = Form59->gds_needed;
        std::vector<std::string> rows;
        for (needs->First(); !needs->GetEof(); needs->Next())
          rows.push_back(StringToUtf8(needs->FieldByName(u"marka")->GetAsString()) + "=" +
                         StringToUtf8(FormatFloat(u"0.00", needs->FieldByName(u"gds_need")->GetAsFloat())));
        std::sort(rows.begin(), rows.end());
        for (const std::string& r : rows) shown += (shown.empty() ? "" : ";") + r;
        SendKey(Form59->DBGridEh1, VK_ESCAPE);
        ProcessPendingEvents();
        closedByEsc = !Form59->IsModal() || Form59->GetModalResult() == mrCancel;
      },
      [&] { Form1->N30Click(nullptr); }));
  std::replace(shown.begin(), shown.end(), ',', '.');
  EXPECT_EQ(shown, expected);
  EXPECT_TRUE(closedByEsc);
  EXPECT_FALSE(Form59->gds_needed->GetActive());
}

TEST_F(SupplyNeedsTest, RowsAreColouredByWhatIsLeftToBuyRoundedHalfToEven) {
  const struct {
    double toBuy;
    bool coloured;
    TColor background;
    TColor font;
  } cases[] = {{0.4, false, clNone, clNone},
               {0.5, false, clNone, clNone},
               {-0.5, false, clNone, clNone},
               {0.6, true, TColor(15658751), TColor(128)},
               {1.5, true, TColor(15658751), TColor(128)},
               {-0.6, true, TColor(15663086), TColor(32768)}};
  for (const auto& c : cases) {
    TColor background = clNone;
    TColor font = clNone;
    EXPECT_EQ(SupplyNeedColours(c.toBuy, background, font), c.coloured) << c.toBuy;
    EXPECT_EQ(background, c.background) << c.toBuy;
    EXPECT_EQ(font, c.font) << c.toBuy;
  }
}

// A screen's data grid over a list of roles: Ctrl+Del answered yes, typing and pasting reach the grid,
// and the table stays as it was.
TEST_F(SupplyNeedsTest, KeysAndPasteInADataGridChangeNoRow) {
  StartAs("milena");
  Sql("insert into adm_role.roles(s_name, s_caption, d_begin, b_active) values ('spare', 'Запасная', "
      "current_date, true)");
  const std::string before = Scalar("select string_agg(s_caption, ';' order by id) from adm_role.roles");
  TADOQuery* roles = new TADOQuery(Form59);
  roles->SetConnection(DataModule6->ADO_DB);
  roles->SetCursorType(ctStatic);
  roles->GetSQL()->SetText(u"select id, s_caption from adm_role.roles order by id");
  roles->Open();
  Form59->DataSource1->SetDataSet(roles);
  TDBGridEh* grid = Form59->DBGridEh1;
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  WhenModal(
      Form59,
      [&] {
        grid->SetFocus();
        roles->Last();
        SendKey(grid, VK_DELETE, {ssCtrl});
        TypeText(grid, u"x'; --");
        SendKey(grid, VK_RETURN);
        Clipboard()->SetAsText(u"pasted");
        SendKey(grid, 'V', {ssCtrl});
        SendKey(grid, VK_INSERT, {ssShift});
        ProcessPendingEvents();
      },
      [&] { Form59->ShowModal(); });
  Form59->DataSource1->SetDataSet(Form59->gds_needed);
  delete roles;
  EXPECT_EQ(Scalar("select string_agg(s_caption, ';' order by id) from adm_role.roles"), before);
}

}  // namespace
