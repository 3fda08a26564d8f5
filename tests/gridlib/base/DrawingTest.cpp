// Drawing routines drawn into bitmaps and checked at pixels: text placement and opacity, text extents,
// polylines, tiled and centred pictures, and the shared alpha scratch bitmap.
#include <gtest/gtest.h>

#include <array>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/testing/TestSupport.h"

namespace {

class DrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    bitmap_.SetPixelFormat(pf32bit);
    bitmap_.SetSize(120, 60);
    Fill(clWhite);
  }
  void Fill(TColor color) {
    TCanvas* canvas = bitmap_.GetCanvas();
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(color);
    canvas->FillRect(TRect(0, 0, bitmap_.GetWidth(), bitmap_.GetHeight()));
  }
  // The box around every pixel that is not the colour.
  TRect InkBox(const TRect& area, TColor background) {
    TRect box(area.Right, area.Bottom, area.Left, area.Top);
    for (Integer y = area.Top; y < area.Bottom; ++y)
      for (Integer x = area.Left; x < area.Right; ++x) {
        if (bitmap_.GetCanvas()->GetPixel(x, y) == background) continue;
        box.Left = std::min(box.Left, x);
        box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x + 1);
        box.Bottom = std::max(box.Bottom, y + 1);
      }
    return box;
  }
  TColor Pixel(Integer x, Integer y) { return bitmap_.GetCanvas()->GetPixel(x, y); }

  TBitmap bitmap_;
};

TEST_F(DrawingTest, WriteTextPlacesTextByAlignmentAndLayout) {
  const TRect cell(10, 5, 110, 55);
  struct Case {
    TAlignment alignment;
    Byte layout;
    bool inLeftHalf, inRightHalf, inTopHalf, inBottomHalf;
  };
  const Case cases[] = {
      {taLeftJustify, 0, true, false, true, false},
      {taRightJustify, 0, false, true, true, false},
      {taLeftJustify, 2, true, false, false, true},
      {taCenter, 1, true, true, true, true},
  };
  for (const Case& c : cases) {
    Fill(clWhite);
    TCanvas* canvas = bitmap_.GetCanvas();
    canvas->GetFont()->SetColor(clBlack);
    canvas->GetFont()->SetSize(9);
    TWriteTextParamsEh params;
    params.Alignment = c.alignment;
    params.Layout = c.layout;
    params.Opaque = false;
    WriteTextExEh(canvas, u"Шрифт", cell, params);
    const TRect ink = InkBox(cell, clWhite);
    SCOPED_TRACE(testing::Message() << "alignment " << c.alignment << " layout " << int(c.layout));
    ASSERT_LT(ink.Left, ink.Right) << "nothing drawn";
    const Integer midX = (cell.Left + cell.Right) / 2;
    const Integer midY = (cell.Top + cell.Bottom) / 2;
    EXPECT_EQ(ink.Left < midX, c.inLeftHalf);
    EXPECT_EQ(ink.Right > midX, c.inRightHalf);
    EXPECT_EQ(ink.Top < midY, c.inTopHalf);
    EXPECT_EQ(ink.Bottom > midY, c.inBottomHalf);
    EXPECT_EQ(InkBox(TRect(0, 0, 120, cell.Top), clWhite).Left, 120) << "nothing above the cell";
  }
}

TEST_F(DrawingTest, OpacityFollowsTheBrushAndTheParameters) {
  TCanvas* canvas = bitmap_.GetCanvas();
  canvas->GetFont()->SetColor(clBlack);
  canvas->GetBrush()->SetColor(clYellow);
  WriteTextEh(canvas, u"Итог", TRect(0, 0, 120, 60));
  // An opaque write leaves the context filling behind text in the brush colour.
  EXPECT_EQ(canvas->GetBrush()->GetStyle(), bsSolid);
  EXPECT_EQ(GetBkMode(canvas->GetHandle()), OPAQUE);
  EXPECT_EQ(GetBkColor(canvas->GetHandle()), ColorToRGB(clYellow));
  EXPECT_EQ(Pixel(119, 59), clWhite) << "nothing is drawn outside the text line";

  // Opaque off clears the brush, as the callers expect of it.
  Fill(clWhite);
  TWriteTextParamsEh params;
  params.Opaque = false;
  WriteTextExEh(canvas, u"Итог", TRect(0, 0, 120, 60), params);
  EXPECT_EQ(canvas->GetBrush()->GetStyle(), bsClear);
  EXPECT_EQ(GetBkMode(canvas->GetHandle()), TRANSPARENT);
  EXPECT_EQ(Pixel(0, 0), clWhite);
  EXPECT_NE(InkBox(TRect(0, 0, 120, 60), clWhite).Left, 120) << "the text itself is drawn";
}

TEST_F(DrawingTest, TextExtentsAccumulateToTheWholeWidth) {
  TCanvas* canvas = bitmap_.GetCanvas();
  TSize size;
  std::vector<Integer> extents;
  GetTextExtentExEh(canvas, u"Смета", size, extents);
  ASSERT_EQ(extents.size(), 5u);
  for (size_t i = 1; i < extents.size(); ++i) EXPECT_GT(extents[i], extents[i - 1]);
  EXPECT_EQ(extents.back(), size.cx);
  EXPECT_EQ(size.cx, canvas->TextWidth(u"Смета"));
  GetTextExtentExEh(canvas, u"", size, extents);
  EXPECT_TRUE(extents.empty());
  EXPECT_EQ(size.cx, 0);

  TFont font;
  font.SetSize(20);
  const Integer plain = GetFontTextHeightEh(nullptr, &font, false);
  EXPECT_GT(plain, GetFontTextHeightEh(canvas, canvas->GetFont(), false));
  EXPECT_GE(GetFontTextHeightEh(nullptr, &font, true), plain);
  EXPECT_EQ(GetFontSizeEh(&font, nullptr), 20);
}

TEST_F(DrawingTest, PolyPolylineDrawsEachLineAndRejectsShortPointLists) {
  TCanvas* canvas = bitmap_.GetCanvas();
  canvas->GetPen()->SetColor(clRed);
  const std::vector<TPoint> points = {{5, 5}, {50, 5}, {5, 40}, {5, 55}};
  ASSERT_TRUE(PolyPolylineEh(canvas, points, {2, 2}, 2));
  EXPECT_EQ(Pixel(20, 5), clRed);
  EXPECT_EQ(Pixel(5, 45), clRed);
  EXPECT_EQ(Pixel(5, 20), clWhite) << "the two lines are not joined";
  EXPECT_THROW(PolyPolylineEh(canvas, points, {2, 3}, 2), EInvalidOperation);
}

TEST_F(DrawingTest, PicturesTileWithOverhangAndCentre) {
  TBitmap tile;
  tile.SetPixelFormat(pf32bit);
  tile.SetSize(4, 4);
  tile.GetCanvas()->GetBrush()->SetColor(clBlue);
  tile.GetCanvas()->FillRect(TRect(0, 0, 4, 4));
  TPictureEh picture;
  picture.Assign(&tile);

  picture.PaintTo(bitmap_.GetCanvas(), TRect(10, 10, 20, 18), ipTileEh, TPoint(), TRect());
  EXPECT_EQ(Pixel(10, 10), clBlue);
  EXPECT_EQ(Pixel(19, 17), clBlue);
  EXPECT_EQ(Pixel(21, 12), clBlue) << "the last copy overhangs the right edge";
  EXPECT_EQ(Pixel(22, 12), clWhite);
  EXPECT_EQ(Pixel(12, 18), clWhite) << "rows stop at the bottom edge";
  EXPECT_EQ(Pixel(9, 10), clWhite);

  Fill(clWhite);
  picture.PaintTo(bitmap_.GetCanvas(), TRect(0, 0, 20, 20), ipCenterCenterEh, TPoint(), TRect());
  EXPECT_EQ(Pixel(8, 8), clBlue);
  EXPECT_EQ(Pixel(11, 11), clBlue);
  EXPECT_EQ(Pixel(7, 8), clWhite);
  EXPECT_EQ(Pixel(12, 12), clWhite);
}

TEST(CacheAlphaBitmapTest, GrowsCapturesOnceAndDrawsOpaqueLines) {
  TCacheAlphaBitmapEh* bitmap = GetCacheAlphaBitmapEh(16, 8);
  EXPECT_EQ(bitmap->GetPixelFormat(), pf32bit);
  EXPECT_EQ(bitmap->GetAlphaFormat(), afDefined);
  EXPECT_EQ(GetCacheAlphaBitmapEh(4, 20), bitmap) << "one shared bitmap";
  EXPECT_EQ(bitmap->GetWidth(), 16) << "never shrunk";
  EXPECT_EQ(bitmap->GetHeight(), 20);

  EXPECT_FALSE(IsCacheAlphaBitmapCapturedEh());
  bitmap->Capture();
  EXPECT_TRUE(IsCacheAlphaBitmapCapturedEh());
  try {
    bitmap->Capture();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"CacheAlphaBitmap have captured");
  }
  bitmap->Release();
  EXPECT_FALSE(IsCacheAlphaBitmapCapturedEh());

  for (Integer y = 0; y < bitmap->GetHeight(); ++y)
    std::fill_n(static_cast<Byte*>(bitmap->GetScanLine(y)), 4 * bitmap->GetWidth(), Byte(0));
  auto pixel = [&](Integer x, Integer y) {
    const Byte* p = static_cast<const Byte*>(bitmap->GetScanLine(y)) + 4 * x;
    return std::array<Byte, 4>{p[0], p[1], p[2], p[3]};
  };
  const std::array<Byte, 4> blank{0, 0, 0, 0};
  const std::array<Byte, 4> red{0, 0, 255, 255};  // B, G, R, A
  bitmap->DrawHorzLine(TPoint(-3, 2), 5, clRed);
  EXPECT_EQ(pixel(0, 2), red);
  EXPECT_EQ(pixel(2, 2), red) << "min(p.X + width, Width - 1) is inclusive";
  EXPECT_EQ(pixel(3, 2), blank);
  bitmap->DrawHorzLine(TPoint(10, 3), 100, clRed);
  EXPECT_EQ(pixel(15, 3), red);
  EXPECT_EQ(pixel(9, 3), blank);
  // Outside the rows or past the right edge nothing is drawn, and nothing raises.
  bitmap->DrawHorzLine(TPoint(0, -1), 5, clRed);
  bitmap->DrawHorzLine(TPoint(0, 20), 5, clRed);
  bitmap->DrawHorzLine(TPoint(16, 4), 5, clRed);
  EXPECT_EQ(pixel(15, 4), blank);
}

}  // namespace
