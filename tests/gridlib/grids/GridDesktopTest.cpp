// The base grid driven through a real X server with a window manager, as a user drives it: arrows, Page
// Down, Ctrl+End, Shift+click, a column border dragged, a column dragged to a new place, the wheel, and
// the editor opened by F2 and by typing, Esc giving the text back, Enter storing it. Runs when
// KIV_DESKTOP_TESTS is set and the program is on an X display (tools/desktop sets QT_QPA_PLATFORM=xcb).
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "gridlib/grids/GridsEh.h"
#include "platform/controls/Forms.h"
#include "platform/testing/TestSupport.h"

namespace {

class DesktopTextGrid : public TCustomGridEh {
 public:
  explicit DesktopTextGrid(TComponent* owner) : TCustomGridEh(owner) {}
  std::map<std::pair<Integer, Integer>, String> texts;
  String GetEditText(Integer col, Integer row) override { return texts[std::make_pair(col, row)]; }
  void SetEditText(Integer col, Integer row, const String& value) override {
    texts[std::make_pair(col, row)] = value;
  }
};

class GridDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!DesktopTestsEnabled()) GTEST_SKIP() << "needs an X desktop: KIV_DESKTOP_TESTS=1 tools/desktop ...";
    InitTestApplication();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetCaption(u"KIV grid host");
    form_->SetBounds(50, 50, 700, 500);
    grid_ = new DesktopTextGrid(form_.get());
    grid_->SetParent(form_.get());
    grid_->SetAlign(alClient);
    grid_->SetColCount(30);
    grid_->SetRowCount(200);
    grid_->SetOptions(grid_->GetOptions() + TGridOptionsEh{goRangeSelectEh});
    form_->Show();
    ActivateWindowByName("KIV grid host");
    ProcessEventsFor(300);
    grid_->SetFocus();
    ProcessEventsFor(200);
  }
  void TearDown() override { form_.reset(); }

  // xdotool runs while our loop waits; its events are handled afterwards.
  void Do(const std::string& args) {
    RunDesktopCommand("xdotool " + args);
    ProcessEventsFor(250);
  }
  std::string At(TPoint client) {
    const TPoint p = grid_->ClientToScreen(client);
    return "mousemove " + std::to_string(p.X) + " " + std::to_string(p.Y);
  }
  TPoint Inside(Integer col, Integer row) {
    const TRect r = grid_->CellRect(col, row);
    return TPoint(r.Left + 10, r.Top + r.Height() / 2);
  }

  std::unique_ptr<TForm> form_;
  DesktopTextGrid* grid_ = nullptr;
};

TEST_F(GridDesktopTest, KeysMouseSizingMovingWheelAndEditor) {
  ASSERT_TRUE(grid_->Focused());
  Do("key Right Right Down");
  EXPECT_EQ(grid_->GetCol(), 3);
  EXPECT_EQ(grid_->GetRow(), 2);
  Do("key Next");
  EXPECT_GT(grid_->GetRow(), 10);
  EXPECT_GT(grid_->GetTopRow(), 1);
  Do("key ctrl+End");
  EXPECT_EQ(grid_->GetCol(), 29);
  EXPECT_EQ(grid_->GetRow(), 199);
  EXPECT_LE(grid_->CellRect(29, 199).Bottom, grid_->GetVertAxis()->GetContraStart());
  Do("key ctrl+Home");
  EXPECT_EQ(grid_->GetRow(), 1);

  // A click and a Shift+click select a range.
  Do(At(Inside(2, 2)) + " click 1");
  Do(At(Inside(4, 6)) + " keydown shift click 1 keyup shift");
  EXPECT_EQ(grid_->GetCol(), 2);
  EXPECT_EQ(grid_->GetRow(), 2);
  EXPECT_EQ(grid_->GetSelection().Right, 4);
  EXPECT_EQ(grid_->GetSelection().Bottom, 6);

  // Dragging the right border of column 3 in the title row by 30 pixels.
  const TRect title = grid_->CellRect(3, 0);
  Do(At(TPoint(title.Right, title.Top + 8)) + " mousedown 1");
  Do(At(TPoint(title.Right + 30, title.Top + 8)));
  Do("mouseup 1");
  EXPECT_EQ(grid_->GetColWidths(3), 80);

  // Dragging column 2's title onto the right half of column 5 moves it after column 5.
  grid_->SetColWidths(2, 63);
  const TRect from = grid_->CellRect(2, 0), to = grid_->CellRect(5, 0);
  Do(At(TPoint(from.Left + 20, from.Top + 8)) + " mousedown 1");
  Do(At(TPoint(from.Left + 30, from.Top + 8)));
  Do(At(TPoint(to.Right - 5, to.Top + 8)));
  Do("mouseup 1");
  EXPECT_EQ(grid_->GetColWidths(5), 63);
  EXPECT_NE(grid_->GetColWidths(2), 63);

  // The wheel scrolls a row a notch.
  const Integer top = grid_->GetTopRow();
  Do(At(Inside(3, 4)) + " click 5");
  EXPECT_EQ(grid_->GetTopRow(), top + 1);
  Do("click 4");
  EXPECT_EQ(grid_->GetTopRow(), top);

  // The editor: F2 opens it on the cell's text, Esc gives the text back, typing opens it, Enter stores.
  Do(At(Inside(3, 3)) + " click 1");
  grid_->texts[std::make_pair(3, 3)] = u"было";
  Do("key F2");
  ASSERT_NE(grid_->GetInplaceEditor(), nullptr);
  EXPECT_TRUE(grid_->GetInplaceEditor()->Visible());
  EXPECT_EQ(grid_->GetInplaceEditor()->GetText(), u"было");
  Do("type new");
  EXPECT_EQ(grid_->texts[std::make_pair(3, 3)], u"new");
  Do("key Escape");
  EXPECT_FALSE(grid_->GetInplaceEditor()->Visible());
  EXPECT_EQ(grid_->texts[std::make_pair(3, 3)], u"было");
  Do("type abc");
  EXPECT_TRUE(grid_->GetInplaceEditor()->Visible());
  Do("key Return");
  EXPECT_FALSE(grid_->GetInplaceEditor()->Visible());
  EXPECT_EQ(grid_->texts[std::make_pair(3, 3)], u"abc");
  EXPECT_TRUE(grid_->Focused());
  Do("key Down");
  EXPECT_EQ(grid_->GetRow(), 4);
}

}  // namespace
