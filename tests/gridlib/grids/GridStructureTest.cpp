// Structure, layout and sizing of the base grid: cell sizes in the form stream only when asked, the
// automatic scroll bars, thumb tracking, the sizing spots around a boundary, a boundary dragged to
// nothing, and the editor's rectangle inside the cell's lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "gridlib/grids/GridsEh.h"
#include "platform/classes/Streaming.h"
#include "platform/classes/Streams.h"
#include "platform/controls/Forms.h"
#include "platform/testing/TestSupport.h"

namespace {

class ProbeGrid : public TCustomGridEh {
 public:
  explicit ProbeGrid(TComponent* owner) : TCustomGridEh(owner) {}
  using TCustomGridEh::SizingStateAtPos;
};

std::string StreamText(TComponent* component) {
  TMemoryStream binary;
  binary.WriteComponent(component);
  binary.SetPosition(0);
  TMemoryStream text;
  ObjectBinaryToText(&binary, &text);
  return std::string(static_cast<const char*>(text.GetMemory()), static_cast<size_t>(text.GetSize()));
}

TEST(GridStructureTest, CellSizesAreStreamedOnlyWhenAsked) {
  InitTestApplication();
  TForm form(nullptr, 0);
  form.SetName(u"Form1");
  auto* grid = new ProbeGrid(&form);
  grid->SetName(u"Grid1");
  grid->SetParent(&form);
  grid->SetColWidths(2, 77);
  grid->SetRowHeights(3, 33);
  EXPECT_EQ(StreamText(&form).find("ColWidths"), std::string::npos);
  grid->SetSaveCellExtents(true);
  const std::string text = StreamText(&form);
  const size_t cols = text.find("ColWidths = (");
  const size_t rows = text.find("RowHeights = (");
  ASSERT_NE(cols, std::string::npos) << text;
  ASSERT_NE(rows, std::string::npos) << text;
  // One integer per column and per row: 6 each, the changed ones among them.
  const std::string colList = text.substr(cols, text.find(')', cols) - cols);
  const std::string rowList = text.substr(rows, text.find(')', rows) - rows);
  EXPECT_NE(colList.find("77"), std::string::npos) << colList;
  EXPECT_NE(rowList.find("33"), std::string::npos) << rowList;
  EXPECT_EQ(std::count(colList.begin(), colList.end(), '\n'), 6) << colList;
  // The grid's own panels are not the form's components.
  EXPECT_EQ(text.find("HorzScrollBarPanelControl"), std::string::npos) << text;
}

class GridLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 400, 300);
    grid_ = new ProbeGrid(form_.get());
    grid_->SetParent(form_.get());
    grid_->SetBorderStyle(bsNone);
    grid_->SetBounds(0, 0, 300, 200);
    form_->Show();
    ProcessPendingEvents();
  }
  std::unique_ptr<TForm> form_;
  ProbeGrid* grid_ = nullptr;
};

TEST_F(GridLayoutTest, AutomaticVerticalBarShowsWhenOnePixelMoreIsNeeded) {
  grid_->GetHorzScrollBar()->SetVisibleMode(sbNeverShowEh);
  // Client 200 pixels: a fixed row of 20 and 9 rows of 20 fit exactly.
  grid_->SetRowCount(10);
  grid_->UpdateBoundaries();
  EXPECT_FALSE(grid_->GetVertScrollBar()->IsScrollBarShowing());
  grid_->SetRowHeights(9, 21);
  grid_->UpdateBoundaries();
  EXPECT_TRUE(grid_->GetVertScrollBar()->IsScrollBarShowing());
  EXPECT_EQ(grid_->GetHorzAxis()->GetGridClientStop(), 300 - grid_->GetVertScrollBar()->ActualSize());
}

TEST_F(GridLayoutTest, ThumbTrackingFollowsTheTrackingSetting) {
  grid_->SetRowCount(100);
  grid_->GetVertScrollBar()->SetSmoothStep(true);
  grid_->GetVertScrollBar()->SetTracking(false);
  grid_->ScrollBarScroll(1, SB_THUMBTRACK, true, 300);
  EXPECT_EQ(grid_->GetTopPos(), 0);
  grid_->ScrollBarScroll(1, SB_THUMBPOSITION, true, 300);
  EXPECT_EQ(grid_->GetTopPos(), 300);
  grid_->GetVertScrollBar()->SetTracking(true);
  grid_->ScrollBarScroll(1, SB_THUMBTRACK, true, 123);
  EXPECT_EQ(grid_->GetTopPos(), 123);
}

TEST_F(GridLayoutTest, ColumnSpotCoversThreeLeftAndFourRightRowSpotTwoAndThree) {
  grid_->SetFixedColCount(1);
  const TRect title = grid_->CellRect(2, 0);
  const Integer e = title.Right, y = title.Top + 5;
  for (Integer dx = -5; dx <= 6; ++dx)
    EXPECT_EQ(grid_->SizingStateAtPos(e + dx, y) == gsColSizingEh, dx >= -3 && dx <= 4) << dx;
  const TRect indicator = grid_->CellRect(0, 3);
  const Integer f = indicator.Bottom, x = indicator.Left + 5;
  for (Integer dy = -4; dy <= 5; ++dy)
    EXPECT_EQ(grid_->SizingStateAtPos(x, f + dy) == gsRowSizingEh, dy >= -2 && dy <= 3) << dy;
  // Non-frozen fixed columns have no spots of their own.
  EXPECT_EQ(grid_->SizingStateAtPos(grid_->CellRect(0, 0).Right, y), gsNormalEh);
}

TEST_F(GridLayoutTest, BoundaryDraggedToNothingKeepsTheWidthAndEditorRectSitsInsideTheLines) {
  const TRect title = grid_->CellRect(2, 0);
  SendDrag(grid_, TPoint(title.Right, title.Top + 5), grid_, TPoint(title.Left, title.Top + 5));
  EXPECT_EQ(grid_->GetColWidths(2), 50);
  SendDrag(grid_, TPoint(title.Right, title.Top + 5), grid_, TPoint(title.Right + 20, title.Top + 5));
  EXPECT_EQ(grid_->GetColWidths(2), 70);

  const TRect cell = grid_->CellRect(2, 2), editor = grid_->GetEditorRect(2, 2);
  EXPECT_EQ(editor.Width(), cell.Width() - 1);
  EXPECT_EQ(editor.Height(), cell.Height() - 1);
}

}  // namespace
