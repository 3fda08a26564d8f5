// Scrolling, keys, mouse and the cell editor as the window system delivers them: a hundred million rows
// reach their last row by keys and by the scroll bar's thumb, arrows and Page Down move the current
// cell, Shift extends the range, the wheel scrolls, the editor opens on F2 and on typing, Esc gives the
// text back and Enter stores it.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "gridlib/grids/GridsEh.h"
#include "platform/controls/Forms.h"
#include "platform/testing/TestSupport.h"

namespace {

// Cell texts kept in a map, so that the editor has something to load and store.
class InputTextGrid : public TCustomGridEh {
 public:
  explicit InputTextGrid(TComponent* owner) : TCustomGridEh(owner) {}
  std::map<std::pair<Integer, Integer>, String> texts;
  Integer editLimit = 0;
  Integer GetEditLimit() override { return editLimit; }
  String GetEditText(Integer col, Integer row) override { return texts[{col, row}]; }
  void SetEditText(Integer col, Integer row, const String& value) override { texts[{col, row}] = value; }
};

class GridInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 500, 400);
    grid_ = new InputTextGrid(form_.get());
    grid_->SetParent(form_.get());
    grid_->SetAlign(alClient);
    grid_->SetColCount(30);
    grid_->SetRowCount(200);
    grid_->SetOptions(grid_->GetOptions() + TGridOptionsEh{goRangeSelectEh});
    form_->Show();
    grid_->SetFocus();
    ProcessPendingEvents();
  }

  // The last row lies fully inside the rolling area on screen.
  void ExpectRowFullyVisible(Integer row) {
    const TRect r = grid_->CellRect(grid_->GetCol(), row);
    EXPECT_GE(r.Top, grid_->GetVertAxis()->GetFixedBoundary());
    EXPECT_EQ(r.Height(), grid_->GetRowHeights(row));
    EXPECT_LE(r.Bottom, grid_->GetVertAxis()->GetContraStart());
  }

  std::unique_ptr<TForm> form_;
  InputTextGrid* grid_ = nullptr;
};

TEST_F(GridInputTest, HundredMillionRowsScrollToTheLastRowByKeysAndByTheThumb) {
  // Rows of 25 pixels: the last ones start past 2^31, which 32-bit positions cannot reach.
  constexpr Integer rows = 100'000'000;
  grid_->SetDefaultRowHeight(25);
  grid_->SetRowCount(grid_->GetFixedRowCount() + rows);
  ASSERT_GT(grid_->GetVertAxis()->GetRolLen(), Int64{1} << 31);
  ProcessPendingEvents();
  TGridAxisDataEh* v = grid_->GetVertAxis();
  const Int64 maxPos = v->GetRolLen() - v->GetRolClientLen();

  SendKey(grid_, VK_END, {ssCtrl});
  EXPECT_EQ(grid_->GetRow(), grid_->GetRowCount() - 1);
  ExpectRowFullyVisible(grid_->GetRowCount() - 1);
  EXPECT_GT(grid_->GetTopPos(), Int64{1} << 30);

  // The bar counts in 32 bits: its range is scaled, and its ends map back to the grid's ends.
  TScrollBar* bar = grid_->GetVertScrollBarPanelControl()->GetScrollBar();
  EXPECT_LE(bar->GetMax(), TScrollRange64::kBarMax);
  EXPECT_GE(bar->GetPosition(), bar->GetMax() - bar->GetPageSize());
  grid_->ScrollBarScroll(1, SB_TOP, true, 0);
  EXPECT_EQ(grid_->GetTopPos(), 0);
  grid_->ScrollBarScroll(1, SB_THUMBPOSITION, true, bar->GetMax() - bar->GetPageSize() + 1);
  EXPECT_EQ(grid_->GetTopPos(), maxPos);
  ExpectRowFullyVisible(grid_->GetRowCount() - 1);
  // The middle of the track is the middle of the rows.
  grid_->ScrollBarScroll(1, SB_THUMBPOSITION, true, bar->GetMax() / 2);
  const double middle = static_cast<double>(grid_->GetTopRow()) / rows;
  EXPECT_NEAR(middle, 0.5, 0.01);
  // Row 10^7 by the thumb, and back home by Ctrl+Home.
  grid_->ScrollBarScroll(1, SB_THUMBTRACK, true, static_cast<Integer>(Int64{bar->GetMax()} / 10));
  EXPECT_NEAR(static_cast<double>(grid_->GetTopRow()) / rows, 0.1, 0.01);
  SendKey(grid_, VK_HOME, {ssCtrl});
  EXPECT_EQ(grid_->GetRow(), grid_->GetFixedRowCount());
  EXPECT_EQ(grid_->GetTopPos(), 0);
}

TEST_F(GridInputTest, KeysMoveTheCurrentCellAndShiftExtendsTheRange) {
  grid_->SetOptions(grid_->GetOptions() + TGridOptionsEh{goTabsEh});
  const struct {
    Word key;
    TShiftState shift;
    Integer col, row;
  } steps[] = {
      {VK_RIGHT, {}, 2, 1},
      {VK_DOWN, {}, 2, 2},
      {VK_LEFT, {}, 1, 2},
      {VK_UP, {}, 1, 1},
      {VK_UP, {}, 1, 1},
      {VK_END, {}, 29, 1},
      {VK_HOME, {}, 1, 1},
      {VK_RIGHT, {ssCtrl}, 1, 1},
      {VK_DOWN, {ssCtrl}, 1, 1},
      // Tab wraps to the next row; Shift+Tab with range selection does nothing.
      {VK_TAB, {}, 2, 1},
      {VK_TAB, {ssShift}, 2, 1},
      {VK_END, {}, 29, 1},
      {VK_TAB, {}, 1, 2},
      {VK_UP, {}, 1, 1},
  };
  for (const auto& s : steps) {
    SendKey(grid_, s.key, s.shift);
    EXPECT_EQ(grid_->GetCol(), s.col) << "key " << s.key;
    EXPECT_EQ(grid_->GetRow(), s.row) << "key " << s.key;
  }
  // Page Down moves a page at a time and the current row stays visible.
  const Integer before = grid_->GetRow();
  SendKey(grid_, VK_NEXT);
  EXPECT_GT(grid_->GetRow(), before + 5);
  ExpectRowFullyVisible(grid_->GetRow());
  // Shift+arrows move the anchor only; an arrow without Shift collapses the range.
  const TGridCoord current{grid_->GetCol(), grid_->GetRow()};
  SendKey(grid_, VK_RIGHT, {ssShift});
  SendKey(grid_, VK_DOWN, {ssShift});
  EXPECT_EQ(grid_->GetCol(), current.X);
  EXPECT_EQ(grid_->GetSelection().Right, current.X + 1);
  EXPECT_EQ(grid_->GetSelection().Bottom, current.Y + 1);
  SendKey(grid_, VK_DOWN);
  EXPECT_FALSE(grid_->HasRangeSelection());
}

TEST_F(GridInputTest, ClickShiftClickAndWheel) {
  const TRect a = grid_->CellRect(2, 2), b = grid_->CellRect(4, 5);
  SendClick(grid_, TPoint(a.Left + 5, a.Top + 5));
  EXPECT_EQ(grid_->GetCol(), 2);
  EXPECT_EQ(grid_->GetRow(), 2);
  SendClick(grid_, TPoint(b.Left + 5, b.Top + 5), mbLeft, {ssShift});
  const TGridRect sel = grid_->GetSelection();
  EXPECT_EQ(sel.Left, 2);
  EXPECT_EQ(sel.Top, 2);
  EXPECT_EQ(sel.Right, 4);
  EXPECT_EQ(sel.Bottom, 5);

  // A cell click fires for a press and a release on the same cell only.
  std::vector<TGridCoord> clicks;
  grid_->OnCellMouseClick = [&](TCustomGridEh*, TGridCoord cell, TMouseButton, TShiftState, Integer, Integer,
                                bool&) { clicks.push_back(cell); };
  SendClick(grid_, TPoint(a.Left + 5, a.Top + 5));
  SendDrag(grid_, TPoint(a.Left + 5, a.Top + 5), grid_, TPoint(b.Left + 5, b.Top + 5));
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0], (TGridCoord{2, 2}));

  const Integer top = grid_->GetTopRow();
  SendWheel(grid_, -120, TPoint(100, 100));
  EXPECT_EQ(grid_->GetTopRow(), top + 1);
  SendWheel(grid_, 120, TPoint(100, 100));
  EXPECT_EQ(grid_->GetTopRow(), top);
}

TEST_F(GridInputTest, EditorOpensOnF2AndTypingEscRestoresEnterStores) {
  grid_->texts[std::make_pair(1, 1)] = u"было";
  SendKey(grid_, VK_F2);
  ProcessPendingEvents();
  ASSERT_NE(grid_->GetInplaceEditor(), nullptr);
  ASSERT_TRUE(grid_->GetInplaceEditor()->Visible());
  EXPECT_EQ(grid_->GetInplaceEditor()->GetText(), u"было");
  auto* inner = grid_->GetInplaceEditor()->GetEditCoreControl();
  TypeText(inner, u"стало");
  EXPECT_EQ(grid_->texts[std::make_pair(1, 1)], u"стало");
  SendKey(inner, VK_ESCAPE);
  EXPECT_FALSE(grid_->GetInplaceEditor()->Visible());
  EXPECT_EQ(grid_->texts[std::make_pair(1, 1)], u"было");

  // Typing on the grid opens the editor with the typed character.
  SendChar(grid_, u'x');
  ProcessPendingEvents();
  ASSERT_TRUE(grid_->GetInplaceEditor()->Visible());
  TypeText(inner, u"yz");
  SendKey(inner, VK_RETURN);
  EXPECT_FALSE(grid_->GetInplaceEditor()->Visible());
  EXPECT_EQ(grid_->texts[std::make_pair(1, 1)], u"xyz");
  EXPECT_TRUE(grid_->Focused());
}

TEST_F(GridInputTest, EditLimitOfMinusOneMakesTheCellReadOnly) {
  grid_->texts[std::make_pair(1, 1)] = u"было";
  grid_->editLimit = -1;
  SendKey(grid_, VK_F2);
  ProcessPendingEvents();
  ASSERT_TRUE(grid_->GetInplaceEditor()->Visible());
  EXPECT_FALSE(grid_->CanEditModify());
  EXPECT_EQ(grid_->GetInplaceEditor()->GetMaxLength(), -1);
  auto* inner = grid_->GetInplaceEditor()->GetEditCoreControl();
  TypeText(inner, u"x");
  SendKey(inner, VK_DELETE);
  EXPECT_EQ(inner->GetText(), u"было");
  EXPECT_EQ(grid_->texts[std::make_pair(1, 1)], u"было");
  SendKey(inner, VK_ESCAPE);

  // A positive limit lets the cell be typed into up to that length.
  grid_->editLimit = 3;
  grid_->texts[std::make_pair(1, 1)] = u"";
  SendKey(grid_, VK_F2);
  ProcessPendingEvents();
  EXPECT_TRUE(grid_->CanEditModify());
  TypeText(inner, u"абвг");
  EXPECT_EQ(grid_->texts[std::make_pair(1, 1)], u"абв");
}

}  // namespace
