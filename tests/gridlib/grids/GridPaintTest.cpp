// Painting on pixels: a grid with fixed, frozen, rolling and contra rows and columns, scrolled by a
// part of a cell, painted into a picture; every cell's colour lands inside its CellRect, the border
// lines sit on the cells' last pixels, the focus frame follows its setting, right to left mirrors it.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "gridlib/grids/GridsEh.h"
#include "platform/controls/Forms.h"
#include "platform/testing/TestSupport.h"

namespace {

// Every cell filled with a colour of its own.
class ColourGrid : public TCustomGridEh {
 public:
  explicit ColourGrid(TComponent* owner) : TCustomGridEh(owner) {}
  static TColor CellColour(Integer col, Integer row) {
    return static_cast<TColor>(RGB(static_cast<Byte>(30 + col * 17), static_cast<Byte>(30 + row * 11), 170));
  }
  bool baseContent = false;

 protected:
  void DrawCellContent(Integer col, Integer row, TGridDrawState state, const TRect& rect) override {
    if (baseContent) return TCustomGridEh::DrawCellContent(col, row, state, rect);
    GetCanvas()->GetBrush()->SetColor(CellColour(col, row));
    GetCanvas()->FillRect(rect);
  }
};

class GridPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 420, 300);
    grid_ = new ColourGrid(form_.get());
    grid_->SetParent(form_.get());
    grid_->SetBorderStyle(bsNone);
    grid_->SetBounds(0, 0, 400, 260);
    grid_->SetColCount(12);
    grid_->SetRowCount(14);
    grid_->SetFixedColCount(2);
    grid_->SetFixedRowCount(2);
    grid_->SetFrozenColCount(1);
    grid_->SetFrozenRowCount(1);
    grid_->SetContraColCount(1);
    grid_->SetContraRowCount(1);
    for (Integer c = 0; c < grid_->GetFullColCount(); ++c) grid_->SetColWidths(c, 40);
    for (Integer r = 0; r < grid_->GetFullRowCount(); ++r) grid_->SetRowHeights(r, 20);
    grid_->GetHorzScrollBar()->SetSmoothStep(true);
    grid_->GetVertScrollBar()->SetSmoothStep(true);
    form_->Show();
    ProcessPendingEvents();
  }

  // Every visible cell shows its colour in the middle of its rectangle.
  void ExpectCellsWhereCellRectSays(const char* when) {
    auto picture = CaptureControl(grid_);
    Integer checked = 0;
    for (Integer col = 0; col < grid_->GetFullColCount(); ++col)
      for (Integer row = 0; row < grid_->GetFullRowCount(); ++row) {
        const TRect r = grid_->CellRect(col, row);
        if (r.Width() < 4 || r.Height() < 4) continue;
        const TPoint mid((r.Left + r.Right - 1) / 2, (r.Top + r.Bottom - 1) / 2);
        EXPECT_EQ(PixelAt(picture.get(), mid.X, mid.Y), ColourGrid::CellColour(col, row))
            << when << ": cell " << col << ":" << row << " at " << mid.X << "," << mid.Y;
        ++checked;
      }
    EXPECT_GT(checked, 40) << when;
  }

  std::unique_ptr<TForm> form_;
  ColourGrid* grid_ = nullptr;
};

TEST_F(GridPaintTest, CellsLandWhereCellRectSaysScrolledByPartOfACellAndMirrored) {
  grid_->SetLeftPos(15);
  grid_->SetTopPos(7);
  ProcessPendingEvents();
  ASSERT_EQ(grid_->GetLeftColOffset(), 15);
  ExpectCellsWhereCellRectSays("left to right");

  // The first scrolled column is cut at the fixed boundary; the frozen column stays whole.
  const TRect frozen = grid_->CellRect(1, 5);
  const TRect cut = grid_->CellRect(grid_->GetLeftCol(), 5);
  EXPECT_EQ(frozen.Width(), 40);
  EXPECT_EQ(cut.Left, frozen.Right);
  EXPECT_EQ(cut.Width(), 25);
  // Contra column pinned at the far edge, after its one-pixel boundary line.
  const Integer contraCol = grid_->GetColCount();
  EXPECT_EQ(grid_->CellRect(contraCol, 5).Right, grid_->GetHorzAxis()->GetGridClientStop());

  grid_->SetBiDiMode(bdRightToLeft);
  grid_->UpdateBoundaries();
  ProcessPendingEvents();
  ExpectCellsWhereCellRectSays("right to left");
  EXPECT_EQ(grid_->CellRect(0, 5).Right, grid_->GetClientWidth());
  EXPECT_EQ(grid_->CellRect(contraCol, 5).Left,
            grid_->GetClientWidth() - grid_->GetHorzAxis()->GetGridClientStop());

  // The buffered paint gives the same pixels.
  auto direct = CaptureControl(grid_);
  grid_->SetBufferedPaint(true);
  grid_->Invalidate();
  ProcessPendingEvents();
  auto buffered = CaptureControl(grid_);
  Integer differing = 0;
  for (Integer y = 0; y < direct->GetHeight(); y += 3)
    for (Integer x = 0; x < direct->GetWidth(); x += 3)
      if (PixelAt(direct.get(), x, y) != PixelAt(buffered.get(), x, y)) ++differing;
  EXPECT_EQ(differing, 0);
}

TEST_F(GridPaintTest, BorderLinesTakeTheLastPixelsAndTheDarkerLineOwnsTheCorner) {
  auto picture = CaptureControl(grid_);
  TGridLineColorsEh* lines = grid_->GetGridLineColors();
  const TColor dark = ColorToRGB(lines->GetDarkColor()), bright = ColorToRGB(lines->GetBrightColor());
  ASSERT_NE(dark, bright);
  const struct {
    Integer col, row;
    TColor right, bottom;
  } cases[] = {
      {0, 0, dark, dark},      // non-frozen fixed corner
      {1, 5, dark, bright},    // frozen column: its right side is the last fixed column's
      {5, 1, bright, dark},    // frozen row: its bottom is the last fixed row's
      {5, 5, bright, bright},  // data cell
  };
  for (const auto& c : cases) {
    const TRect r = grid_->CellRect(c.col, c.row);
    EXPECT_EQ(PixelAt(picture.get(), r.Right - 1, r.Top + 5), c.right) << c.col << ":" << c.row;
    EXPECT_EQ(PixelAt(picture.get(), r.Left + 5, r.Bottom - 1), c.bottom) << c.col << ":" << c.row;
    const TColor corner = ColorLuminanceEh(c.right) <= ColorLuminanceEh(c.bottom) ? c.right : c.bottom;
    EXPECT_EQ(PixelAt(picture.get(), r.Right - 1, r.Bottom - 1), corner) << c.col << ":" << c.row;
  }
  // The contra row's one-pixel dark boundary line runs under every visible column.
  const Integer y = grid_->GetVertAxis()->GetContraStart();
  for (Integer col : {0, 1, 4, 8}) {
    const TRect r = grid_->CellRect(col, 3);
    EXPECT_EQ(PixelAt(picture.get(), r.Left + 3, y), dark) << col;
  }
}

TEST_F(GridPaintTest, FocusFrameFollowsTheSelectionDrawParameters) {
  grid_->baseContent = true;
  grid_->SetFocus();
  grid_->GetSelectionDrawParams()->SetSelectionStyle(gsdsClassicEh);
  const auto topEdgeColours = [&] {
    ProcessPendingEvents();
    auto picture = CaptureControl(grid_);
    TRect r = grid_->CellRect(grid_->GetCol(), grid_->GetRow());
    std::set<TColor> colours;
    for (Integer x = r.Left + 1; x < r.Right - 2; ++x) colours.insert(PixelAt(picture.get(), x, r.Top));
    return colours.size();
  };
  grid_->GetSelectionDrawParams()->SetDrawFocusFrame(true);
  EXPECT_GT(topEdgeColours(), 1u);
  grid_->GetSelectionDrawParams()->SetDrawFocusFrame(false);
  EXPECT_EQ(topEdgeColours(), 1u);
}

}  // namespace
