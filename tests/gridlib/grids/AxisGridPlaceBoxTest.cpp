// The in-cell place boxes: pooled children, hit testing and the visible-buffer coordinates.
#include <gtest/gtest.h>

#include "gridlib/grids/DBAxisGridsEh.h"

namespace {

TEST(AxisGridPlaceBoxTest, ChildrenArePooledAndHitTestExcludesRightAndBottomEdges) {
  TInCellPlaceBoxEh box;
  box.SetAreaRect(TRect{1, 2, 30, 40});
  TInCellPlaceBoxEh* a = box.AddChild();
  TInCellPlaceBoxEh* b = box.AddChild();
  TInCellPlaceBoxEh* c = box.AddChild();
  TObject marker;
  a->SetCtrlClientRect(TRect{0, 0, 10, 10});
  b->SetCtrlClientRect(TRect{10, 0, 20, 10});
  c->AddChild()->SetControl(&marker);
  EXPECT_EQ(box.GetChildAtPos(9, 9), a);
  EXPECT_EQ(box.GetChildAtPos(10, 0), b);  // a's right edge is outside a
  EXPECT_EQ(box.GetChildAtPos(15, 10), nullptr);
  EXPECT_EQ(box.FindChildBoxByControl(&marker), c->GetChildItem(0));

  box.Clear();
  EXPECT_EQ(box.GetChildCount(), 0);
  EXPECT_EQ(box.GetAreaRect(), (TRect{1, 2, 30, 40}));
  EXPECT_EQ(box.FindChildBoxByControl(&marker), nullptr);
  EXPECT_EQ(box.AddChild(), a);
  EXPECT_EQ(box.AddChild(), b);
  EXPECT_EQ(box.GetChildCount(), 2);
  EXPECT_EQ(a->GetCtrlClientRect(), (TRect{0, 0, 0, 0}));
  EXPECT_EQ(box.GetChildItem(2), c);  // still pooled
  box.ResetChildList();
  EXPECT_EQ(box.GetChildCount(), 0);
  EXPECT_THROW(box.GetChildItem(0), EListError);
}

TEST(AxisGridPlaceBoxTest, GridCoordinatesMapToFixedVisibleAndContraBlocks) {
  // One fixed cell, rolling cells 10..14 visible, 100 cells, then the contra cells.
  struct Case {
    Integer grid, buffer;
  } cases[] = {{0, 0}, {11, 1}, {12, 2}, {15, 5}, {100, 6}, {101, 7}};
  for (const Case& c : cases)
    EXPECT_EQ(GridToPlaceBoxAxisCoordEh(c.grid, 1, 10, 14, 100), c.buffer) << c.grid;
}

}  // namespace
