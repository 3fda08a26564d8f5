// Cell painting drawn into bitmaps and read back at pixels: cell text by alignment, layout, wrapping,
// ellipsis and reading order, progress bars, gradients, colour mixing, and a metafile of the same cells
// replayed onto a bitmap.
#include <gtest/gtest.h>

#include <algorithm>

#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/testing/TestSupport.h"

namespace {

class CellPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    bitmap_.SetPixelFormat(pf32bit);
    bitmap_.SetSize(160, 80);
    Fill(clWhite);
  }
  TCanvas* Canvas() { return bitmap_.GetCanvas(); }
  void Fill(TColor color) {
    Canvas()->GetBrush()->SetStyle(bsSolid);
    Canvas()->GetBrush()->SetColor(color);
    Canvas()->FillRect(TRect(0, 0, bitmap_.GetWidth(), bitmap_.GetHeight()));
  }
  TColor Pixel(Integer x, Integer y) { return Canvas()->GetPixel(x, y) & 0xFFFFFF; }
  // The box around every pixel of the area that is not the background.
  TRect InkBox(const TRect& area, TColor background = clWhite) {
    TRect box(area.Right, area.Bottom, area.Left, area.Top);
    for (Integer y = area.Top; y < area.Bottom; ++y)
      for (Integer x = area.Left; x < area.Right; ++x) {
        if (Pixel(x, y) == background) continue;
        box.Left = std::min(box.Left, x);
        box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1);
        box.Bottom = std::max(box.Bottom, y + 1);
      }
    return box;
  }
  Integer CountColor(const TRect& area, TColor color) {
    Integer n = 0;
    for (Integer y = area.Top; y < area.Bottom; ++y)
      for (Integer x = area.Left; x < area.Right; ++x) n += Pixel(x, y) == (color & 0xFFFFFF);
    return n;
  }
  void PrepareText() {
    Canvas()->GetFont()->SetName(u"DejaVu Sans");
    Canvas()->GetFont()->SetSize(9);
    Canvas()->GetFont()->SetColor(clBlack);
    Canvas()->GetBrush()->SetColor(clWhite);
  }

  TBitmap bitmap_;
};

TEST_F(CellPaintTest, CellTextFollowsAlignmentLayoutWrapAndReadingOrder) {
  const TRect cell(10, 10, 150, 70);
  const Integer midX = (cell.Left + cell.Right) / 2, midY = (cell.Top + cell.Bottom) / 2;
  struct Case {
    const char* name;
    const Char* text;
    TAlignment alignment;
    TTextLayout layout;
    bool wordWrap, singleLine;
    bool inLeftHalf, inRightHalf, inTopHalf, inBottomHalf;
  };
  const Case cases[] = {
      {"fast left top", u"Итого", taLeftJustify, tlTop, false, true, true, false, true, false},
      {"fast right bottom", u"Итого", taRightJustify, tlBottom, false, true, false, true, false, true},
      {"fast centre", u"Итого", taCenter, tlCenter, false, true, true, true, true, true},
      {"layout right centre", u"Итого", taRightJustify, tlCenter, false, false, false, true, true, true},
      {"wrapped centre", u"Остаток на складе номер три", taCenter, tlTop, true, true, true, true, true,
       false},
      {"kept line breaks", u"Склад\nЦена\nИтого", taLeftJustify, tlTop, false, false, true, false, true,
       true},
  };
  PrepareText();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fill(clWhite);
    PrepareText();
    DrawCellTextEh(Canvas(), cell, false, 2, 1, c.text, c.alignment, c.layout, c.wordWrap, false, 0, 0, false,
                   c.singleLine);
    const TRect ink = InkBox(cell);
    ASSERT_LT(ink.Left, ink.Right) << "nothing drawn";
    EXPECT_EQ(ink.Left < midX, c.inLeftHalf);
    EXPECT_EQ(ink.Right > midX, c.inRightHalf);
    EXPECT_EQ(ink.Top < midY, c.inTopHalf);
    EXPECT_EQ(ink.Bottom > midY, c.inBottomHalf);
    EXPECT_EQ(InkBox(TRect(0, 0, 160, 80)), ink) << "nothing outside the cell";
    const bool multiLine = c.wordWrap || String(c.text).find(u'\n') != String::npos;
    EXPECT_EQ(ink.Height() > Canvas()->TextHeight(u"Жg") * 3 / 2, multiLine);
  }
}

TEST_F(CellPaintTest, MarginsEllipsisAndFillStayInsideTheCell) {
  PrepareText();
  const TRect cell(10, 10, 70, 30);
  // The fast path leaves one pixel more than dx on the right.
  DrawCellTextEh(Canvas(), cell, false, 4, 0, u"Цена", taRightJustify, tlTop, false, false, 0, 0, false,
                 true);
  const Integer fastRight = InkBox(cell).Right;
  EXPECT_LE(fastRight, cell.Right - 4 - 1 + 1);
  EXPECT_GE(fastRight, cell.Right - 4 - 3);

  // The aligned line always keeps 3 pixels on the right and fills the cell opaquely.
  Fill(clWhite);
  PrepareText();
  Canvas()->GetBrush()->SetColor(clAqua);
  DrawTextAlignedEh(Canvas(), cell, 9, 0, u"Цена", taRightJustify);
  EXPECT_EQ(Pixel(cell.Left, cell.Top), clAqua & 0xFFFFFF);
  const TRect aligned = InkBox(cell, clAqua);
  EXPECT_LE(aligned.Right, cell.Right - 3);
  EXPECT_GE(aligned.Right, cell.Right - 5);
  EXPECT_EQ(Pixel(cell.Right, cell.Top), clWhite & 0xFFFFFF) << "clipped to the cell";

  // A long text with end ellipsis ends in dots inside the cell; without it the cut text differs.
  Fill(clWhite);
  PrepareText();
  const String text = u"Поставщик материалов и комплектующих";
  DrawCellTextEh(Canvas(), cell, false, 2, 0, text, taLeftJustify, tlTop, false, true, 0, 0, false, true);
  const TRect withDots = InkBox(TRect(0, 0, 160, 80));
  EXPECT_GE(withDots.Left, cell.Left);
  EXPECT_LE(withDots.Right, cell.Right);
  EXPECT_EQ(MinimizeText(u"Цена", Canvas(), 200), u"Цена");
  const String cut = MinimizeText(text, Canvas(), 60);
  EXPECT_EQ(cut.substr(cut.size() - 3), u"...");
  EXPECT_LE(Canvas()->TextWidth(cut), 60);

  // fillRect paints the whole cell with the brush on both paths.
  for (bool singleLine : {true, false}) {
    Fill(clWhite);
    PrepareText();
    Canvas()->GetBrush()->SetColor(clYellow);
    DrawCellTextEh(Canvas(), cell, true, 2, 0, u"Цена", taLeftJustify, tlTop, false, false, 0, 0, false,
                   singleLine);
    EXPECT_EQ(Pixel(cell.Right - 1, cell.Bottom - 1), clYellow & 0xFFFFFF) << singleLine;
    EXPECT_EQ(Pixel(cell.Right, cell.Bottom), clWhite & 0xFFFFFF) << singleLine;
    EXPECT_EQ(Canvas()->GetBrush()->GetColor(), clYellow) << "brush restored";
    EXPECT_EQ(Canvas()->GetBrush()->GetStyle(), bsSolid) << "brush style restored";
  }
}

TEST_F(CellPaintTest, RightToLeftReadingPutsTheTrailingMarksFirst) {
  // "..W": left to right the dots come first, low on the line; right to left the W leads.
  const TRect cell(10, 10, 150, 40);
  Integer leftInkTop[2];
  for (bool rtl : {false, true}) {
    Fill(clWhite);
    PrepareText();
    DrawCellTextEh(Canvas(), cell, false, 2, 0, u"..W", taLeftJustify, tlTop, false, false, 0, 0, rtl, false);
    const TRect ink = InkBox(cell);
    leftInkTop[rtl] = InkBox(TRect(ink.Left, cell.Top, ink.Left + 1, cell.Bottom)).Top;
  }
  EXPECT_GT(leftInkTop[false], leftInkTop[true] + 3);
}

TEST_F(CellPaintTest, BottomLayoutTallerThanTheCellIsClippedToIt) {
  PrepareText();
  const TRect cell(10, 30, 150, 40);
  DrawCellTextEh(Canvas(), cell, false, 0, 0, u"Строка\nвторая\nтретья", taLeftJustify, tlBottom, false,
                 false, 0, 0, false, false);
  const TRect ink = InkBox(TRect(0, 0, 160, 80));
  ASSERT_LT(ink.Left, ink.Right);
  EXPECT_GE(ink.Top, cell.Top);
  EXPECT_LE(ink.Bottom, cell.Bottom);
}

TEST_F(CellPaintTest, VerticalTextReadsUpwardsInsideTheCell) {
  PrepareText();
  const TRect cell(20, 5, 40, 75);
  DrawVerticalCellTextEh(Canvas(), cell, false, 0, 0, u"Заголовок", taLeftJustify, tlTop, false, false);
  const TRect ink = InkBox(TRect(0, 0, 160, 80));
  ASSERT_LT(ink.Left, ink.Right);
  EXPECT_GT(ink.Height(), ink.Width()) << "turned text is taller than wide";
  EXPECT_GE(ink.Left, cell.Left);
  EXPECT_LE(ink.Right, cell.Right);
  // Left alignment of turned text starts at the cell's bottom.
  EXPECT_GT(ink.Bottom, (cell.Top + cell.Bottom) / 2);
}

TEST_F(CellPaintTest, ProgressBarFollowsTheRangeAndSurvivesAnEmptyOne) {
  const TRect cell(0, 0, 104, 20);
  const Integer inner = cell.Width() - 4;  // the bar's full scale with the default indent
  struct Case {
    const char* name;
    double value, minValue, maxValue;
    Integer barPixelsPerRow;  // bar colour across one row below the text
    const Char* text;
  };
  const Case cases[] = {
      {"0 %", 0, 0, 100, 0, u"0%"},
      {"50 %", 50, 0, 100, inner / 2, u"50%"},
      {"minimum respected", 150, 100, 200, inner / 2, u"50%"},
      {"empty range reached", 7, 7, 7, cell.Width() - 2, u"100%"},
      {"empty range below", 3, 7, 7, 0, u"0%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fill(clWhite);
    Canvas()->GetBrush()->SetColor(clWhite);
    TProgressBarParamsEh params;
    params.ShowText = false;
    DrawProgressBarEh(Canvas(), cell, clLime, c.value, c.minValue, c.maxValue, clLime, clWhite, &params);
    const Integer row = cell.Bottom - 3;
    EXPECT_NEAR(CountColor(TRect(0, row, 160, row + 1), clLime), c.barPixelsPerRow, 2);
    // The text alone (a white bar on white): as wide as the expected percentage.
    Fill(clWhite);
    PrepareText();
    DrawProgressBarEh(Canvas(), cell, clWhite, c.value, c.minValue, c.maxValue, clWhite, clWhite, nullptr);
    EXPECT_NEAR(InkBox(cell).Width(), Canvas()->TextWidth(c.text), 3) << "text " << String(c.text).size();
  }
  // The default parameters write the percentage in the middle.
  Fill(clWhite);
  Canvas()->GetFont()->SetColor(clBlack);
  DrawProgressBarEh(Canvas(), TRect(0, 30, 104, 60), clLime, 0, 0, 100, clNavy, clWhite, nullptr);
  const TRect ink = InkBox(TRect(2, 32, 102, 58));
  EXPECT_LT(ink.Left, 52);
  EXPECT_GT(ink.Right, 52);
}

TEST_F(CellPaintTest, GradientRunsTopToBottomAndOneRowTakesTheTopColour) {
  FillVertGradientRectEh(Canvas(), TRect(0, 0, 10, 11), RGB(0, 0, 0), RGB(200, 100, 0));
  EXPECT_EQ(Pixel(5, 0), RGB(0, 0, 0));
  EXPECT_EQ(Pixel(5, 5), RGB(100, 50, 0));
  EXPECT_EQ(Pixel(5, 10), RGB(200, 100, 0));
  FillVertGradientRectEh(Canvas(), TRect(0, 20, 10, 21), RGB(10, 20, 30), RGB(200, 100, 0));
  EXPECT_EQ(Pixel(3, 20), RGB(10, 20, 30));
  FillVertGradientRectEh(Canvas(), TRect(30, 20, 31, 22), RGB(10, 20, 30), RGB(200, 100, 0));
  EXPECT_EQ(Pixel(30, 21), RGB(200, 100, 0));
}

TEST_F(CellPaintTest, ImagesSitByAlignmentAndZoomCentres) {
  TBitmap image(10, 10);
  image.GetCanvas()->GetBrush()->SetColor(clRed);
  image.GetCanvas()->FillRect(TRect(0, 0, 10, 10));
  const TRect cell(20, 10, 80, 40);
  struct Case {
    TAlignment alignment;
    double zoom;
    TRect expected;
  };
  const Case cases[] = {
      {taLeftJustify, 1, TRect(22, 20, 32, 30)},   // dx 2
      {taRightJustify, 1, TRect(70, 20, 80, 30)},  // dx is not used on the right
      {taCenter, 1, TRect(45, 20, 55, 30)},
      {taRightJustify, 2, TRect(40, 15, 60, 35)},  // zoomed images are centred whatever the alignment
  };
  for (const Case& c : cases) {
    Fill(clWhite);
    DrawImageInRectEh(nullptr, &image, Canvas(), cell, 0, 2, 0, c.alignment, TRect(0, 0, 160, 80), c.zoom,
                      true);
    EXPECT_EQ(InkBox(TRect(0, 0, 160, 80)), c.expected) << c.alignment << " zoom " << c.zoom;
  }
  // A larger image is clipped to the cell; a cell outside the clip rectangle draws nothing.
  Fill(clWhite);
  DrawImageInRectEh(nullptr, &image, Canvas(), TRect(20, 10, 25, 15), 0, 0, 0, taLeftJustify,
                    TRect(0, 0, 160, 80), 1, true);
  EXPECT_EQ(InkBox(TRect(0, 0, 160, 80)), TRect(20, 10, 25, 15));
  Fill(clWhite);
  DrawImageInRectEh(nullptr, &image, Canvas(), cell, 0, 0, 0, taLeftJustify, TRect(100, 0, 160, 80), 1, true);
  EXPECT_EQ(InkBox(TRect(0, 0, 160, 80)).Left, 160);
}

TEST_F(CellPaintTest, WrappedTextMeasuresLinesAndSearchHitsAreMarked) {
  PrepareText();
  TSize one, two, none;
  MeasureWrappedTextEh(Canvas(), 1000, u"Склад номер три", one, true);
  MeasureWrappedTextEh(Canvas(), Canvas()->TextWidth(u"Склад номер") + 2, u"Склад номер три", two, true);
  MeasureWrappedTextEh(Canvas(), 1000, u"", none, true);
  EXPECT_EQ(two.cy, 2 * one.cy);
  EXPECT_LT(two.cx, one.cx);
  EXPECT_EQ(none.cx, 0);
  EXPECT_EQ(none.cy, 0);

  const TRect cell(0, 0, 150, 20);
  DrawCellTextEh(Canvas(), cell, false, 2, 0, u"болт и Болт", taLeftJustify, tlTop, false, false, 0, 0, false,
                 true);
  Integer outside = -1;
  DrawHighlightedTextEh(Canvas(), cell, 2, 0, u"болт и Болт", taLeftJustify, false, false, u"болт", true,
                        false, false, clYellow, outside);
  EXPECT_EQ(outside, 0);
  const Integer hitW = Canvas()->TextWidth(u"болт");
  EXPECT_GT(CountColor(TRect(2, 0, 2 + hitW, 20), clYellow), 0) << "first hit";
  const Integer second = 2 + Canvas()->TextWidth(u"болт и ");
  EXPECT_GT(CountColor(TRect(second, 0, second + hitW, 20), clYellow), 0) << "second hit, other case";
  EXPECT_EQ(CountColor(TRect(2 + hitW + 1, 0, second - 1, 20), clYellow), 0) << "nothing between the hits";
  // A hit past the cell's right edge is counted, not drawn.
  Fill(clWhite);
  DrawHighlightedTextEh(Canvas(), TRect(0, 0, 30, 20), 2, 0, u"болт и Болт", taLeftJustify, false, false,
                        u"Болт", false, false, false, clYellow, outside);
  EXPECT_EQ(outside, 1);
  EXPECT_EQ(CountColor(TRect(0, 0, 160, 80), clYellow), 0);
}

TEST(ColorRoutinesTest, MixLuminanceAndLightness) {
  EXPECT_EQ(MixColorsEh(RGB(0, 100, 200), RGB(255, 0, 100), 127.5), RGB(127, 50, 150));
  EXPECT_EQ(MixColorsPercentEh(RGB(0, 100, 200), RGB(255, 0, 100), 30), RGB(76, 70, 170));
  EXPECT_EQ(MixColorsPercentEh(RGB(0, 0, 0), RGB(255, 255, 255), 150), RGB(255, 255, 255)) << "clamped";
  EXPECT_EQ(ColorLuminanceEh(RGB(255, 255, 255)), 255);
  EXPECT_EQ(GrayColorEh(RGB(100, 100, 100)), RGB(100, 100, 100));
  // Equal luminance: the first wins.
  EXPECT_EQ(DarkerColorEh(RGB(10, 10, 10), RGB(10, 10, 10) + 0), RGB(10, 10, 10));
  EXPECT_EQ(DarkerColorEh(clWhite, RGB(0, 0, 255)), RGB(0, 0, 255));
  EXPECT_EQ(DarkerColorEh(RGB(0, 0, 255), RGB(255, 0, 0)), RGB(0, 0, 255));
  EXPECT_EQ(ColorWithLightnessEh(RGB(255, 0, 0), 128), RGB(255, 0, 0));
  EXPECT_EQ(ColorWithLightnessEh(RGB(255, 0, 0), 256), RGB(255, 255, 255));
}

TEST_F(CellPaintTest, MetafileOfTheCellsReplaysLikeTheBitmap) {
  // Themed faces come from the platform style, which a metafile cannot carry; the classic painter can.
  SetThemesEnabled(false);
  auto themes = MakeScopeExit([] { SetThemesEnabled(true); });
  auto paintCells = [](TCanvas* c) {
    c->GetFont()->SetName(u"DejaVu Sans");
    c->GetFont()->SetSize(9);
    c->GetFont()->SetColor(clBlack);
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, 160, 80));
    DrawCellTextEh(c, TRect(0, 0, 80, 20), false, 2, 1, u"Итого", taLeftJustify, tlTop, false, false, 0, 0,
                   false, true);
    DrawCellTextEh(c, TRect(80, 0, 160, 20), false, 2, 1, u"1 234,56", taRightJustify, tlCenter, false, true,
                   0, 0, false, true);
    DrawCellTextEh(c, TRect(0, 20, 80, 60), false, 2, 1, u"Остаток на складе", taCenter, tlTop, true, false,
                   0, 0, false, false);
    c->GetBrush()->SetColor(clWhite);
    DrawProgressBarEh(c, TRect(80, 20, 160, 40), clLime, 50, 0, 100, clGreen, clWhite, nullptr);
    DrawButtonControlEh(c, TRect(80, 45, 97, 62), clWindow, bcsEllipsisEh, 0, false, false, true,
                        cbUnchecked);
    // An odd-height spin button: its middle row is the back colour's.
    DrawButtonControlEh(c, TRect(100, 43, 117, 60), clYellow, bcsUpDownEh, 1, false, false, true,
                        cbUnchecked);
  };
  paintCells(Canvas());

  TMetafile metafile;
  metafile.SetWidth(160);
  metafile.SetHeight(80);
  {
    TMetafileCanvas recorder(&metafile, nullptr);
    paintCells(&recorder);
  }
  TBitmap replay;
  replay.SetPixelFormat(pf32bit);
  replay.SetSize(160, 80);
  replay.GetCanvas()->Draw(0, 0, &metafile);
  // Text replays glyph by glyph at the recorded advances, so antialiased edges may shift a little;
  // every pixel must still be close, and the cells' shapes exact.
  Integer far = 0, differing = 0;
  for (Integer y = 0; y < 80; ++y)
    for (Integer x = 0; x < 160; ++x) {
      const TColorRef a = replay.GetCanvas()->GetPixel(x, y), b = Pixel(x, y);
      const Integer d =
          std::max({std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                    std::abs(GetBValue(a) - GetBValue(b))});
      differing += d > 0;
      far += d > 160;
    }
  for (Integer x = 100; x < 117; ++x)
    ASSERT_EQ(replay.GetCanvas()->GetPixel(x, 51) & 0xFFFFFF, clYellow & 0xFFFFFF) << "spin middle row " << x;
  EXPECT_LT(differing, 160 * 80 / 10);
  EXPECT_LT(far, 40) << differing;
}

}  // namespace
