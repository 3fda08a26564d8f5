// Edit-button, check-box and tree glyphs drawn into bitmaps in the themed and the classic painter and
// read back at pixels: spin halves and their separator, faces without a back, ellipsis dots, flat
// classic frames, check-box placement, tree boxes and lines, and the button image cache.
#include <gtest/gtest.h>

#include <algorithm>

#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/controls/StyleManager.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/testing/TestSupport.h"

namespace {

class GlyphPaintTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    InitTestApplication();
    SetThemesEnabled(GetParam());
    bitmap_.SetPixelFormat(pf32bit);
    bitmap_.SetSize(60, 60);
    Fill(clFuchsia);
  }
  void TearDown() override { SetThemesEnabled(true); }
  TCanvas* Canvas() { return bitmap_.GetCanvas(); }
  void Fill(TColor color) {
    Canvas()->GetBrush()->SetStyle(bsSolid);
    Canvas()->GetBrush()->SetColor(color);
    Canvas()->FillRect(TRect(0, 0, 60, 60));
  }
  TColor Pixel(Integer x, Integer y) { return Canvas()->GetPixel(x, y) & 0xFFFFFF; }
  Integer CountNot(const TRect& area, TColor color) {
    Integer n = 0;
    for (Integer y = area.Top; y < area.Bottom; ++y)
      for (Integer x = area.Left; x < area.Right; ++x) n += Pixel(x, y) != (color & 0xFFFFFF);
    return n;
  }
  bool RowIs(Integer y, const TRect& r, TColor color) {
    for (Integer x = r.Left; x < r.Right; ++x)
      if (Pixel(x, y) != (color & 0xFFFFFF)) return false;
    return true;
  }

  TBitmap bitmap_;
};

TEST_P(GlyphPaintTest, OddSpinButtonLeavesTheMiddleRowToTheBackColour) {
  const TRect r(10, 10, 27, 27);  // 17 rows: 8 + 1 + 8
  DrawButtonControlEh(Canvas(), r, clYellow, bcsUpDownEh, 0, false, false, true, cbUnchecked);
  EXPECT_TRUE(RowIs(18, r, clYellow));
  EXPECT_FALSE(RowIs(17, r, clYellow));
  EXPECT_FALSE(RowIs(19, r, clYellow));
  // With no back colour the middle row keeps what was under it.
  Fill(clFuchsia);
  DrawButtonControlEh(Canvas(), r, clNone, bcsAltUpDownEh, 2, false, false, true, cbUnchecked);
  if (!GetParam()) {
    EXPECT_TRUE(RowIs(18, r, clFuchsia));
  }
  EXPECT_GT(CountNot(TRect(r.Left, r.Top, r.Right, 18), clFuchsia), 0);
  EXPECT_GT(CountNot(TRect(r.Left, 19, r.Right, r.Bottom), clFuchsia), 0);
}

TEST_P(GlyphPaintTest, ButtonsWithoutABackPaintOnlyTheBrush) {
  const TRect r(10, 10, 27, 28);  // even: no separator row between the spin halves
  for (TDrawButtonControlStyleEh style : {bcsDropDownEh, bcsUpDownEh}) {
    Fill(clFuchsia);
    Canvas()->GetBrush()->SetColor(clAqua);
    DrawButtonControlEh(Canvas(), r, clNone, style, 0, false, false, true, cbUnchecked, 1.0, false);
    EXPECT_EQ(CountNot(TRect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2), clAqua), 0) << style;
  }
  // The other glyphs still draw without their face.
  for (TDrawButtonControlStyleEh style : {bcsEllipsisEh, bcsPlusEh, bcsMinusEh, bcsAltDropDownEh}) {
    Fill(clFuchsia);
    DrawButtonControlEh(Canvas(), r, clNone, style, 0, false, false, true, cbUnchecked, 1.0, false);
    EXPECT_GT(CountNot(r, clFuchsia), 0) << style;
    EXPECT_EQ(Pixel(r.Left, r.Top), clFuchsia & 0xFFFFFF) << "no face " << style;
  }
}

TEST_P(GlyphPaintTest, EllipsisDotsShrinkInNarrowButtons) {
  struct Case {
    Integer width;
    Integer dotSize;
  };
  for (const Case& c : {Case{20, 2}, Case{10, 2}, Case{7, 1}}) {
    Fill(clWhite);
    const TRect r(5, 5, 5 + c.width, 25);
    DrawButtonControlEh(Canvas(), r, clNone, bcsEllipsisEh, 0, false, false, true, cbUnchecked, 1.0, false);
    // Without a back the ellipsis keeps the whole rectangle: three dots, dotSize² pixels each.
    EXPECT_EQ(CountNot(r, clWhite), 3 * c.dotSize * c.dotSize) << c.width;
  }
}

TEST_P(GlyphPaintTest, FlatButtonsFrameInTheBackColourUnlessHot) {
  const TRect r(10, 10, 27, 27);
  DrawButtonControlEh(Canvas(), r, clYellow, bcsEllipsisEh, 0, true, false, true, cbUnchecked);
  if (!GetParam()) {
    EXPECT_TRUE(RowIs(r.Top, r, clYellow));
    EXPECT_TRUE(RowIs(r.Bottom - 1, r, clYellow));
  }
  Fill(clFuchsia);
  DrawButtonControlEh(Canvas(), r, clYellow, bcsEllipsisEh, 0, true, true, true, cbUnchecked);
  EXPECT_FALSE(RowIs(r.Top, r, clYellow));
  EXPECT_EQ(Pixel(r.Right, r.Bottom), clFuchsia & 0xFFFFFF) << "nothing past the rectangle";
}

TEST_P(GlyphPaintTest, CheckBoxesAreSquareCentredAndStateful) {
  const TRect wide(0, 0, 40, 20);
  DrawButtonControlEh(Canvas(), wide, clNone, bcsCheckboxEh, 0, false, false, true, cbUnchecked);
  const Integer unchecked = CountNot(TRect(10, 0, 30, 20), clFuchsia);
  EXPECT_EQ(CountNot(TRect(0, 0, 10, 20), clFuchsia), 0) << "squared inside the middle";
  Fill(clFuchsia);
  DrawButtonControlEh(Canvas(), wide, clNone, bcsCheckboxEh, 0, false, false, true, cbChecked);
  Integer changed = 0;
  for (Integer y = 0; y < 20; ++y)
    for (Integer x = 10; x < 30; ++x) changed += Pixel(x, y) != clFuchsia;
  EXPECT_GT(unchecked, 0);
  EXPECT_GT(changed, 0);
}

TEST_P(GlyphPaintTest, TreeBoxesAloneHaveNoLinesAndLinesFollowTheElement) {
  const TRect cell(0, 0, 20, 20);
  Fill(clWhite);
  DrawTreeElementEh(Canvas(), cell, tehPlusAlone, false, 1, 1, false, true, tvgsClassicEh);
  EXPECT_EQ(CountNot(TRect(0, 0, 20, 5), clWhite), 0) << "nothing above a lone box";
  EXPECT_EQ(CountNot(TRect(15, 0, 20, 20), clWhite), 0) << "nothing right of a lone box";
  EXPECT_GT(CountNot(TRect(5, 5, 15, 15), clWhite), 0);

  Fill(clWhite);
  DrawTreeElementEh(Canvas(), cell, tehPlusUpDown, false, 1, 1, false, true, tvgsClassicEh);
  EXPECT_GT(CountNot(TRect(9, 0, 12, 5), clWhite), 0) << "line above";
  EXPECT_GT(CountNot(TRect(9, 15, 12, 20), clWhite), 0) << "line below";
  EXPECT_GT(CountNot(TRect(15, 9, 20, 12), clWhite), 0) << "line right";

  // A plain vertical line: dots every other pixel on one checkerboard.
  Fill(clWhite);
  DrawTreeElementEh(Canvas(), cell, tehVLine, false, 1, 1, false, true, tvgsClassicEh);
  const Integer dots = CountNot(cell, clWhite);
  EXPECT_EQ(dots, 10);
  for (Integer y = 0; y + 1 < 20; ++y)
    EXPECT_FALSE(Pixel(10, y) != clWhite && Pixel(10, y + 1) != clWhite) << y;

  // The default glyph style draws the sign without a box frame.
  Fill(clWhite);
  DrawTreeElementEh(Canvas(), cell, tehMinusAlone, false, 1, 1, false, true, tvgsDefaultEh);
  EXPECT_EQ(Pixel(6, 6), clWhite & 0xFFFFFF);
  EXPECT_GT(CountNot(TRect(6, 10, 15, 11), clWhite), 0);
}

TEST_P(GlyphPaintTest, DisabledDropDownAndSpinArrowsAreGreyed) {
  for (TDrawButtonControlStyleEh style : {bcsDropDownEh, bcsUpDownEh}) {
    TBitmap enabled(17, 20), disabled(17, 20);
    DrawButtonControlEh(enabled.GetCanvas(), TRect(0, 0, 17, 20), clNone, style, 0, false, false, true,
                        cbUnchecked);
    DrawButtonControlEh(disabled.GetCanvas(), TRect(0, 0, 17, 20), clNone, style, 0, false, false, false,
                        cbUnchecked);
    Integer differing = 0;
    for (Integer y = 0; y < 20; ++y)
      for (Integer x = 0; x < 17; ++x)
        differing += enabled.GetCanvas()->GetPixel(x, y) != disabled.GetCanvas()->GetPixel(x, y);
    EXPECT_GT(differing, 0) << style;
  }
}

INSTANTIATE_TEST_SUITE_P(ThemedAndClassic, GlyphPaintTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Themed" : "Classic"; });

TEST(GlyphRoutinesTest, WidthsCheckBoxPlacementAndStyleMap) {
  InitTestApplication();
  for (bool themed : {true, false}) {
    SetThemesEnabled(themed);
    const Integer w = DefaultEditButtonWidthEh();
    EXPECT_LE(w, GetSystemMetrics(SM_CXVSCROLL));
    if (w < GetSystemMetrics(SM_CXVSCROLL)) {
      EXPECT_EQ(w % 2 == 0, themed);
    }
  }
  SetThemesEnabled(true);
  EXPECT_EQ(EditButtonHeightForWidthEh(15, true), 20);
  EXPECT_EQ(EditButtonHeightForWidthEh(15, false), 15);

  const Integer cb = CheckBoxWidthEh();
  EXPECT_EQ(AlignCheckBoxRectEh(TRect(0, 0, 40, 40), taCenter, tlCenter),
            TRect(20 - cb / 2, 20 - cb / 2, 20 - cb / 2 + cb, 20 - cb / 2 + cb));
  EXPECT_EQ(AlignCheckBoxRectEh(TRect(0, 0, 40, 40), taRightJustify, tlBottom),
            TRect(40 - cb, 40 - cb, 40, 40));
  EXPECT_EQ(AlignCheckBoxRectEh(TRect(3, 4, 8, 9), taCenter, tlCenter), TRect(3, 4, 8, 9)) << "smaller stays";

  EXPECT_EQ(EditButtonStyleToDrawStyleEh(ebsGlyphEh), bcsUpDownEh);
  EXPECT_EQ(EditButtonStyleToDrawStyleEh(ebsAltUpDownEh), bcsAltUpDownEh);
}

TEST(GlyphRoutinesTest, GlyphsStandOutOfTheFacesOfADarkStyle) {
  InitTestApplication();
  ASSERT_TRUE(TStyleManager::TrySetStyle(u"Onyx Blue", false));
  auto restore = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
  EXPECT_TRUE(CustomStyleActiveEh());
  TBitmap b(20, 20);
  DrawButtonControlEh(b.GetCanvas(), TRect(0, 0, 20, 20), clWindow, bcsEllipsisEh, 0, false, false, true,
                      cbUnchecked);
  // The middle dot of the glyph area (2, 2, 18, 18) against the face beside it.
  const Integer dot = ColorLuminanceEh(b.GetCanvas()->GetPixel(9, 9) & 0xFFFFFF);
  const Integer face = ColorLuminanceEh(b.GetCanvas()->GetPixel(9, 14) & 0xFFFFFF);
  EXPECT_GT(std::abs(dot - face), 100) << dot << " on " << face;
}

TEST(GlyphRoutinesTest, CacheKeepsOneBitmapPerKeyAndPaintsLikeTheDirectPath) {
  InitTestApplication();
  ClearButtonsBitmapCacheEh();
  TButtonBitmapInfoEh key;
  key.Size = TPoint(17, 17);
  key.BitmapType = bcsEllipsisEh;
  TBitmap* a = ButtonsBitmapCacheEh()->GetButtonBitmap(key);
  EXPECT_EQ(ButtonsBitmapCacheEh()->GetButtonBitmap(key), a);
  key.DrawBack = false;
  EXPECT_NE(ButtonsBitmapCacheEh()->GetButtonBitmap(key), a) << "DrawBack is part of the key";
  EXPECT_EQ(ButtonsBitmapCacheEh()->GetCount(), 2);

  TBitmap direct(17, 17), cached(17, 17);
  DrawButtonControlEh(direct.GetCanvas(), TRect(0, 0, 17, 17), clWindow, bcsPlusEh, 1, false, true, true,
                      cbUnchecked);
  SetUseButtonsBitmapCacheEh(true);
  auto off = MakeScopeExit([] { SetUseButtonsBitmapCacheEh(false); });
  DrawButtonControlEh(cached.GetCanvas(), TRect(0, 0, 17, 17), clWindow, bcsPlusEh, 1, false, true, true,
                      cbUnchecked);
  for (Integer y = 0; y < 17; ++y)
    for (Integer x = 0; x < 17; ++x)
      ASSERT_EQ(direct.GetCanvas()->GetPixel(x, y), cached.GetCanvas()->GetPixel(x, y)) << x << "," << y;
  ClearButtonsBitmapCacheEh();
  EXPECT_EQ(ButtonsBitmapCacheEh()->GetCount(), 0);
}

}  // namespace
