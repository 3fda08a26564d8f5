// The string grid: cells and their string-list views, moving the current cell by keys and mouse
// (fixed cells never current, OnSelectCell refusing), range selection, column sizing by dragging the
// title line, scrolling by keys, wheel and scroll bar, the in-place editor, and what it draws.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/controls/Forms.h"
#include "platform/controls/Grids.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Images.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"

namespace {

// A 5 x 5 grid with one fixed row and column; each cell is 64 x 24 with a one-pixel line after it,
// so cell (c, r) starts at (65c, 25r) of the client area.
class StringGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form = new TForm(nullptr, 0);
    form->AfterConstruction();
    form->SetBounds(0, 0, 420, 320);
    grid = new TStringGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 340, 160);
    other = new TEdit(form);
    other->SetParent(form);
    other->SetTop(200);
    form->Show();
    ProcessPendingEvents();
    grid->SetFocus();
    ProcessPendingEvents();
  }
  void TearDown() override { delete form; }

  static TPoint Center(Integer col, Integer row) { return TPoint(65 * col + 32, 25 * row + 12); }
  TGridCoord Current() const { return {grid->GetCol(), grid->GetRow()}; }

  TForm* form = nullptr;
  TStringGrid* grid = nullptr;
  TEdit* other = nullptr;
};

TEST_F(StringGridTest, CellsRoundTripThroughColsRowsAndObjects) {
  TObject tag;
  grid->SetCells(2, 3, u"Цена");
  grid->SetObjects(2, 3, &tag);
  EXPECT_EQ(grid->GetCells(2, 3), u"Цена");
  EXPECT_EQ(grid->GetCols(2)->Get(3), u"Цена");
  EXPECT_EQ(grid->GetRows(3)->Get(2), u"Цена");
  EXPECT_EQ(grid->GetRows(3)->GetObject(2), &tag);
  EXPECT_EQ(grid->GetCells(4, 4), u"");

  grid->GetRows(1)->SetCommaText(u"a,b,c");
  EXPECT_EQ(grid->GetCells(0, 1), u"a");
  EXPECT_EQ(grid->GetCells(2, 1), u"c");
  EXPECT_EQ(grid->GetCols(1)->GetCount(), 5);

  // Rows and columns of a grid do not move through their string lists.
  EXPECT_THROW(grid->GetCols(0)->Insert(0, u"x"), EInvalidGridOperation);
  EXPECT_THROW(grid->GetCols(0)->Delete(0), EInvalidGridOperation);
  EXPECT_THROW(grid->GetCells(-1, 0), EInvalidGridOperation);
  EXPECT_THROW(grid->GetCols(5), EInvalidGridOperation);
  EXPECT_THROW(grid->SetColWidths(7, 10), EInvalidGridOperation);

  // Shrinking the grid drops what lay outside; growing it again shows empty cells there.
  grid->SetRowCount(3);
  grid->SetRowCount(5);
  EXPECT_EQ(grid->GetCells(2, 3), u"");
  EXPECT_EQ(grid->GetCells(2, 1), u"c");
}

TEST_F(StringGridTest, FixedCountsMustLeaveAScrollingCell) {
  EXPECT_THROW(grid->SetFixedCols(5), EInvalidGridOperation);
  EXPECT_THROW(grid->SetFixedRows(7), EInvalidGridOperation);
  try {
    grid->SetFixedCols(5);
  } catch (const EInvalidGridOperation& e) {
    EXPECT_EQ(e.Message(), u"Fixed column count must be less than column count");
  }
  grid->SetColCount(1);
  EXPECT_EQ(grid->GetFixedCols(), 0);
  EXPECT_EQ(grid->GetCol(), 0);
}

TEST_F(StringGridTest, KeysMoveTheCurrentCellInsideTheScrollingArea) {
  grid->SetOptions(grid->GetOptions() + TGridOptions{goTabs});
  struct Case {
    Word key;
    TShiftState shift;
    TGridCoord expected;
  };
  const Case cases[] = {
      {VK_RIGHT, {}, {2, 1}}, {VK_DOWN, {}, {2, 2}},       {VK_END, {}, {4, 2}},
      {VK_RIGHT, {}, {4, 2}}, {VK_HOME, {}, {1, 2}},       {VK_LEFT, {}, {1, 2}},
      {VK_UP, {}, {1, 1}},    {VK_UP, {}, {1, 1}},         {VK_END, {ssCtrl}, {4, 4}},
      {VK_TAB, {}, {1, 1}},   {VK_TAB, {ssShift}, {4, 4}}, {VK_HOME, {ssCtrl}, {1, 1}},
      {VK_NEXT, {}, {1, 4}},  {VK_PRIOR, {}, {1, 1}},      {VK_TAB, {}, {2, 1}},
  };
  for (const Case& c : cases) {
    SendKey(grid, c.key, c.shift);
    EXPECT_EQ(Current(), c.expected) << "key " << c.key;
  }
}

TEST_F(StringGridTest, TabLeavesTheGridWithoutTheTabsOption) {
  SendKey(grid, VK_TAB);
  EXPECT_EQ(Current(), (TGridCoord{1, 1}));
  EXPECT_TRUE(other->Focused());
}

TEST_F(StringGridTest, MouseSelectsScrollingCellsAndRangesButNeverFixedOnes) {
  int clicks = 0;
  grid->OnClick = [&](TObject*) { ++clicks; };
  SendClick(grid, Center(3, 2));
  EXPECT_EQ(Current(), (TGridCoord{3, 2}));
  EXPECT_EQ(clicks, 1);
  SendClick(grid, Center(0, 4));
  SendClick(grid, Center(2, 0));
  EXPECT_EQ(Current(), (TGridCoord{3, 2}));

  SendClick(grid, Center(1, 4), mbLeft, {ssShift});
  EXPECT_EQ(grid->GetSelection(), (TGridRect{1, 2, 3, 4}));
  SendKey(grid, VK_RIGHT, {ssShift});
  EXPECT_EQ(grid->GetSelection(), (TGridRect{2, 2, 3, 4}));
  SendKey(grid, VK_RIGHT);
  EXPECT_EQ(grid->GetSelection(), (TGridRect{3, 4, 3, 4}));

  grid->SetOptions(grid->GetOptions() + TGridOptions{goRowSelect});
  EXPECT_EQ(grid->GetSelection(), (TGridRect{1, 4, 4, 4}));
}

TEST_F(StringGridTest, OnSelectCellRefusalKeepsTheCurrentCell) {
  std::vector<TGridCoord> asked;
  grid->OnSelectCell = [&](TObject*, Integer c, Integer r, bool& can) {
    asked.push_back({c, r});
    can = c != 3;
  };
  SendKey(grid, VK_RIGHT);
  EXPECT_EQ(Current(), (TGridCoord{2, 1}));
  SendKey(grid, VK_RIGHT);
  EXPECT_EQ(Current(), (TGridCoord{2, 1}));
  SendClick(grid, Center(3, 3));
  EXPECT_EQ(Current(), (TGridCoord{2, 1}));
  grid->SetCol(3);
  EXPECT_EQ(grid->GetCol(), 2);
  SendClick(grid, Center(4, 3));
  EXPECT_EQ(Current(), (TGridCoord{4, 3}));
  ASSERT_EQ(asked.size(), 5u);
  EXPECT_EQ(asked[1], (TGridCoord{3, 1}));
}

TEST_F(StringGridTest, DraggingATitleLineResizesTheColumn) {
  grid->SetOptions(grid->GetOptions() + TGridOptions{goColSizing});
  // Column 1 ends at x = 129, its line at 129.
  SendDrag(grid, TPoint(129, 10), grid, TPoint(159, 10));
  EXPECT_EQ(grid->GetColWidths(1), 94);
  EXPECT_EQ(grid->CellRect(2, 1).Left, 65 + 95);
  EXPECT_EQ(Current(), (TGridCoord{1, 1}));

  // Without the option the same drag does nothing to the widths.
  grid->SetOptions(grid->GetOptions() - TGridOptions{goColSizing});
  SendDrag(grid, TPoint(160, 10), grid, TPoint(200, 10));
  EXPECT_EQ(grid->GetColWidths(2), 64);
}

TEST_F(StringGridTest, EditorCommitsOnEnterAndGivesTheTextBackOnEsc) {
  grid->SetOptions(grid->GetOptions() + TGridOptions{goEditing});
  std::vector<String> written;
  grid->OnSetEditText = [&](TObject*, Integer, Integer, const String& v) { written.push_back(v); };
  grid->SetCells(1, 1, u"old");

  SendChar(grid, u'н');
  ASSERT_TRUE(grid->GetEditorMode());
  TInplaceEdit* editor = grid->GetInplaceEditor();
  TypeText(editor, u"ов");
  EXPECT_EQ(grid->GetCells(1, 1), u"old");
  SendKey(editor, VK_RETURN);
  EXPECT_FALSE(grid->GetEditorMode());
  EXPECT_EQ(grid->GetCells(1, 1), u"нов");
  EXPECT_EQ(written, (std::vector<String>{u"нов"}));

  SendKey(grid, VK_F2);
  ASSERT_TRUE(grid->GetEditorMode());
  EXPECT_EQ(editor->GetText(), u"нов");
  TypeText(editor, u"xyz");
  SendKey(editor, VK_ESCAPE);
  EXPECT_FALSE(grid->GetEditorMode());
  EXPECT_EQ(grid->GetCells(1, 1), u"нов");
  EXPECT_EQ(written.size(), 1u);

  // Leaving the cell by an arrow keeps what was typed.
  SendChar(grid, u'7');
  SendKey(grid->GetInplaceEditor(), VK_DOWN);
  EXPECT_EQ(grid->GetCells(1, 1), u"7");
  EXPECT_EQ(Current(), (TGridCoord{1, 2}));

  // So does the focus going to another control.
  SendChar(grid, u'8');
  other->SetFocus();
  ProcessPendingEvents();
  EXPECT_FALSE(grid->GetEditorMode());
  EXPECT_EQ(grid->GetCells(1, 2), u"8");
}

TEST_F(StringGridTest, EditorTakesTheCellsEditMask) {
  grid->SetOptions(grid->GetOptions() + TGridOptions{goEditing});
  grid->OnGetEditMask = [&](TObject*, Integer c, Integer, String& mask) {
    if (c == 2) mask = u"000;0;_";
  };
  SendKey(grid, VK_RIGHT);
  SendKey(grid, VK_F2);
  TInplaceEdit* editor = grid->GetInplaceEditor();
  ASSERT_TRUE(editor->IsMasked());
  TypeText(editor, u"4x56");
  SendKey(editor, VK_RETURN);
  EXPECT_EQ(grid->GetCells(2, 1), u"456");
  SendKey(grid, VK_LEFT);
  SendKey(grid, VK_F2);
  EXPECT_FALSE(editor->IsMasked());
}

TEST_F(StringGridTest, EditorNeverOpensWithoutTheEditingOptionOrOnWholeRows) {
  SendChar(grid, u'a');
  SendKey(grid, VK_F2);
  EXPECT_FALSE(grid->GetEditorMode());
  grid->SetOptions(grid->GetOptions() + TGridOptions{goEditing, goRowSelect});
  SendChar(grid, u'a');
  EXPECT_FALSE(grid->GetEditorMode());
  EXPECT_EQ(grid->GetCells(1, 1), u"");
}

TEST_F(StringGridTest, KeysWheelAndScrollBarScrollALongGrid) {
  grid->SetRowCount(100);
  int changes = 0;
  grid->OnTopLeftChanged = [&](TObject*) { ++changes; };
  Integer visible = grid->GetVisibleRowCount();
  EXPECT_EQ(visible, (grid->GetClientHeight() - 25) / 25);

  SendKey(grid, VK_END, {ssCtrl});
  EXPECT_EQ(grid->GetRow(), 99);
  EXPECT_EQ(grid->GetTopRow(), 99 - visible + 1);
  EXPECT_FALSE(grid->CellRect(4, 99).IsEmpty());
  EXPECT_TRUE(grid->CellRect(1, 1).IsEmpty());
  EXPECT_GE(changes, 1);

  SendKey(grid, VK_HOME, {ssCtrl});
  EXPECT_EQ(grid->GetTopRow(), 1);
  SendWheel(grid, -120, Center(1, 2));
  SendWheel(grid, -120, Center(1, 2));
  EXPECT_EQ(grid->GetRow(), 3);
  SendWheel(grid, 120, Center(1, 2));
  EXPECT_EQ(grid->GetRow(), 2);

  grid->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(grid->GetTopRow(), 1 + visible);
  EXPECT_EQ(grid->GetRow(), 2);

  // The bar's down arrow sits at the bottom right, outside the client area.
  Integer top = grid->GetTopRow();
  TPoint arrow(grid->GetClientWidth() + 8, grid->GetClientHeight() - 8);
  SendClick(grid, arrow);
  EXPECT_EQ(grid->GetTopRow(), top + 1);
  EXPECT_EQ(grid->GetRow(), 2);

  // Dragging the thumb to the end of the track shows the last rows.
  grid->SetTopRow(1);
  Integer barX = grid->GetClientWidth() + 8;
  SendDrag(grid, TPoint(barX, 16 + 3), grid, TPoint(barX, grid->GetClientHeight() - 1));
  EXPECT_EQ(grid->GetTopRow(), 99 - visible + 1);
  EXPECT_EQ(grid->GetRow(), 2);
}

TEST_F(StringGridTest, PaintsFixedCellsSelectionAndOwnerDrawnCells) {
  grid->SetCells(2, 2, u"x");
  grid->SetSelection(TGridRect{2, 2, 3, 3});
  std::vector<std::pair<TGridCoord, TRect>> drawn;
  grid->OnDrawCell = [&](TObject*, Integer c, Integer r, const TRect& rect, TGridDrawState) {
    drawn.push_back({{c, r}, rect});
    if (c == 4 && r == 4) {
      grid->GetCanvas()->GetBrush()->SetColor(clRed);
      grid->GetCanvas()->FillRect(rect);
    }
  };
  other->SetFocus();
  ProcessPendingEvents();
  drawn.clear();
  auto picture = CaptureControl(grid);
  TRect m = grid->GetNonClientMargins();
  auto at = [&](Integer x, Integer y) { return ColorToRGB(PixelAt(picture.get(), m.Left + x, m.Top + y)); };

  EXPECT_EQ(drawn.size(), 25u);
  for (auto& [cell, rect] : drawn) EXPECT_EQ(rect, grid->CellRect(cell.X, cell.Y));
  EXPECT_EQ(at(10, 40), ColorToRGB(clBtnFace));     // fixed column
  EXPECT_EQ(at(200, 60), ColorToRGB(clHighlight));  // (3, 2) inside the selection
  EXPECT_EQ(at(150, 110), ColorToRGB(clWindow));    // (2, 4) outside it
  EXPECT_EQ(at(280, 110), ColorToRGB(clRed));       // drawn by the handler
  EXPECT_EQ(at(129, 110), ColorToRGB(clSilver));    // the line after column 1

  if (const char* path = std::getenv("KIV_STRINGGRID_PNG")) {
    grid->SetRowCount(30);
    for (Integer r = 1; r < 30; ++r) grid->SetCells(1, r, u"Строка " + IntToStr(r));
    TPngImage png;
    png.Assign(CaptureControl(grid).get());
    png.SaveToFile(Utf8ToString(path));
    grid->SetRowCount(5);
  }

  grid->SetDefaultDrawing(false);
  drawn.clear();
  picture = CaptureControl(grid);
  EXPECT_EQ(drawn.size(), 25u);
}

}  // namespace
