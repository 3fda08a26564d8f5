// Pixel probes of the canvas and the device-context layer: GDI's line and frame rules, clipping,
// mapping modes, right-to-left mirroring, XOR drawing, blits and alpha blending, 3-D edges.
#include "GraphicsTestSupport.h"
#include "platform/graphics/private/CanvasQt.h"

namespace {

std::string Row(TBitmap* b, Integer y, Integer from, Integer to) {
  std::string s;
  for (Integer x = from; x < to; ++x) s += GraphicsTest::Dark(GraphicsTest::At(b, x, y)) ? '#' : '.';
  return s;
}

std::string Column(TBitmap* b, Integer x, Integer from, Integer to) {
  std::string s;
  for (Integer y = from; y < to; ++y) s += GraphicsTest::Dark(GraphicsTest::At(b, x, y)) ? '#' : '.';
  return s;
}

}  // namespace

TEST_F(GraphicsTest, LineToLeavesOutTheEndPixelInEveryDirection) {
  struct Case {
    TPoint from, to;
    TPoint lastDrawn, excluded;
  } cases[] = {
      {{2, 5}, {10, 5}, {9, 5}, {10, 5}},  // right
      {{10, 5}, {2, 5}, {3, 5}, {2, 5}},   // left
      {{5, 2}, {5, 9}, {5, 8}, {5, 9}},    // down
      {{5, 9}, {5, 2}, {5, 3}, {5, 2}},    // up
      {{2, 2}, {8, 8}, {7, 7}, {8, 8}},    // diagonal
  };
  for (const Case& c : cases) {
    auto b = White(16, 16);
    b->GetCanvas()->MoveTo(c.from.X, c.from.Y);
    b->GetCanvas()->LineTo(c.to.X, c.to.Y);
    EXPECT_TRUE(Dark(At(b.get(), c.from.X, c.from.Y))) << c.from.X << "," << c.from.Y;
    EXPECT_TRUE(Dark(At(b.get(), c.lastDrawn.X, c.lastDrawn.Y))) << c.to.X << "," << c.to.Y;
    EXPECT_FALSE(Dark(At(b.get(), c.excluded.X, c.excluded.Y))) << c.to.X << "," << c.to.Y;
    EXPECT_EQ(b->GetCanvas()->GetPenPos(), c.to);
  }
  // A polyline draws every joint once and leaves out only its last point.
  auto b = White(16, 16);
  const TPoint pts[] = {{1, 1}, {6, 1}, {6, 6}};
  b->GetCanvas()->Polyline(pts, 3);
  EXPECT_EQ(Row(b.get(), 1, 0, 8), ".######.");
  EXPECT_EQ(Column(b.get(), 6, 0, 8), ".#####..");
}

TEST_F(GraphicsTest, RectangleFramesInsideAndFillsWithoutPenOneSmaller) {
  auto b = White(20, 12);
  TCanvas* c = b->GetCanvas();
  c->GetBrush()->SetColor(clRed);
  c->Rectangle(2, 2, 10, 8);
  EXPECT_EQ(Describe(Ink(b.get())), Describe(TRect(2, 2, 10, 8)));
  EXPECT_EQ(At(b.get(), 2, 2), clBlack);
  EXPECT_EQ(At(b.get(), 9, 7), clBlack);
  EXPECT_EQ(At(b.get(), 5, 5), clRed);

  auto n = White(20, 12);
  n->GetCanvas()->GetPen()->SetStyle(psClear);
  n->GetCanvas()->GetBrush()->SetColor(clBlue);
  n->GetCanvas()->Rectangle(2, 2, 10, 8);
  EXPECT_EQ(Describe(Ink(n.get())), Describe(TRect(2, 2, 9, 7)));

  // FillRect and FrameRect cover exactly the rectangle; the pen has no part in them.
  auto f = White(20, 12);
  f->GetCanvas()->GetBrush()->SetColor(clGreen);
  f->GetCanvas()->FillRect(TRect(3, 3, 7, 6));
  EXPECT_EQ(Describe(Ink(f.get())), Describe(TRect(3, 3, 7, 6)));
  auto g = White(20, 12);
  g->GetCanvas()->GetBrush()->SetColor(clBlack);
  g->GetCanvas()->FrameRect(TRect(3, 3, 9, 8));
  EXPECT_EQ(Row(g.get(), 3, 2, 10), ".######.");
  EXPECT_EQ(Row(g.get(), 5, 2, 10), ".#....#.");
}

TEST_F(GraphicsTest, ClipRegionsIntersectExcludeAndComeBackWithRestoreDC) {
  auto b = White(30, 10);
  HDC dc = b->GetCanvas()->GetHandle();
  const Integer saved = SaveDC(dc);
  EXPECT_EQ(IntersectClipRect(dc, 5, 0, 20, 10), SIMPLEREGION);
  EXPECT_EQ(ExcludeClipRect(dc, 10, 0, 12, 10), COMPLEXREGION);
  TRect box;
  GetClipBox(dc, &box);
  EXPECT_EQ(box, TRect(5, 0, 20, 10));
  b->GetCanvas()->GetBrush()->SetColor(clBlack);
  b->GetCanvas()->FillRect(TRect(0, 0, 30, 10));
  EXPECT_EQ(Row(b.get(), 4, 0, 24), ".....#####..########....");
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(dc, rgn), 1);
  EXPECT_TRUE(PtInRegion(rgn, 6, 3));
  EXPECT_FALSE(PtInRegion(rgn, 11, 3));
  RestoreDC(dc, saved);
  EXPECT_EQ(GetClipRgn(dc, rgn), 0);
  DeleteObject(rgn);
  b->GetCanvas()->FillRect(TRect(0, 0, 30, 10));
  EXPECT_EQ(Row(b.get(), 4, 0, 24), std::string(24, '#'));

  // Selecting a region replaces the clip; combining regions answers their kind.
  HRGN a = CreateRectRgn(0, 0, 10, 10), c = CreateRectRgn(5, 5, 15, 15), d = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(d, a, c, RGN_AND), SIMPLEREGION);
  TRect rb;
  GetRgnBox(d, &rb);
  EXPECT_EQ(rb, TRect(5, 5, 10, 10));
  EXPECT_EQ(CombineRgn(d, a, c, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(CombineRgn(d, a, a, RGN_DIFF), NULLREGION);
  for (HRGN r : {a, c, d}) DeleteObject(r);
}

TEST_F(GraphicsTest, AnisotropicMappingScalesAndMovesTheOrigin) {
  auto b = White(100, 100);
  HDC dc = b->GetCanvas()->GetHandle();
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 1000, 1000, nullptr);
  SetViewportExtEx(dc, 100, 50, nullptr);
  SetViewportOrgEx(dc, 10, 20, nullptr);
  TPoint p[] = {{0, 0}, {500, 500}, {1000, 1000}};
  LPtoDP(dc, p, 3);
  EXPECT_EQ(p[0], TPoint(10, 20));
  EXPECT_EQ(p[1], TPoint(60, 45));
  EXPECT_EQ(p[2], TPoint(110, 70));
  DPtoLP(dc, p, 3);
  EXPECT_EQ(p[1], TPoint(500, 500));
  b->GetCanvas()->GetBrush()->SetColor(clBlack);
  b->GetCanvas()->FillRect(TRect(0, 0, 200, 200));
  EXPECT_EQ(Describe(Ink(b.get())), Describe(TRect(10, 20, 30, 30)));
  // Isotropic keeps the smaller scale on both axes.
  SetMapMode(dc, MM_ISOTROPIC);
  SetWindowExtEx(dc, 1000, 1000, nullptr);
  SetViewportExtEx(dc, 100, 50, nullptr);
  TPoint q{1000, 1000};
  LPtoDP(dc, &q, 1);
  EXPECT_EQ(q, TPoint(60, 70));
}

TEST_F(GraphicsTest, RightToLeftLayoutMirrorsShapesButNotText) {
  const String text = u"Г1";  // not symmetric
  auto normal = White(120, 30);
  normal->GetCanvas()->GetFont()->SetName(u"Arial");
  normal->GetCanvas()->GetFont()->SetHeight(-16);
  normal->GetCanvas()->GetBrush()->SetStyle(bsClear);
  normal->GetCanvas()->TextOut(0, 4, text);
  const TRect ink = Ink(normal.get());
  ASSERT_FALSE(ink.IsEmpty());

  auto rtl = White(120, 30);
  rtl->GetCanvas()->GetFont()->Assign(normal->GetCanvas()->GetFont());
  HDC dc = rtl->GetCanvas()->GetHandle();
  SetLayout(dc, LAYOUT_RTL);
  rtl->GetCanvas()->GetBrush()->SetColor(clBlack);
  rtl->GetCanvas()->FillRect(TRect(0, 0, 10, 3));
  EXPECT_EQ(Describe(Ink(rtl.get(), TRect(0, 0, 120, 3))), Describe(TRect(110, 0, 120, 3)));
  rtl->GetCanvas()->GetBrush()->SetStyle(bsClear);
  rtl->GetCanvas()->TextOut(0, 4, text);
  const Integer width = rtl->GetCanvas()->TextWidth(text);
  const TRect mirroredInk = Ink(rtl.get(), TRect(0, 3, 120, 30));
  // The text box lands at the right edge, and the glyphs read the same way as without mirroring.
  EXPECT_EQ(mirroredInk.Left - (120 - width), ink.Left);
  EXPECT_EQ(mirroredInk.Width(), ink.Width());
  for (Integer y = ink.Top; y < ink.Bottom; ++y)
    for (Integer x = ink.Left; x < ink.Right; ++x)
      ASSERT_EQ(Dark(At(normal.get(), x, y)), Dark(At(rtl.get(), x + 120 - width, y))) << x << "," << y;
}

TEST_F(GraphicsTest, WorldTransformTurnsTextForVerticalCaptions) {
  auto b = White(60, 120);
  TCanvas* c = b->GetCanvas();
  c->GetFont()->SetName(u"Arial");
  c->GetFont()->SetHeight(-14);
  c->GetBrush()->SetStyle(bsClear);
  const Integer w = c->TextWidth(u"Итого ВСЕГО"), h = c->TextHeight(u"Итого ВСЕГО");
  HDC dc = c->GetHandle();
  SetGraphicsMode(dc, GM_ADVANCED);
  // 90 degrees counter-clockwise about (10, 110): the text runs upwards.
  const XFORM x{0, -1, 1, 0, 10, 110};
  ASSERT_TRUE(SetWorldTransform(dc, &x));
  c->TextOut(0, 0, u"Итого ВСЕГО");
  const TRect ink = Ink(b.get());
  EXPECT_LE(ink.Width(), h);
  EXPECT_GE(ink.Height(), w - 4);
  EXPECT_GE(ink.Left, 10);
  EXPECT_LE(ink.Bottom, 111);
  // The font's escapement turns it the same way without a transform.
  auto e = White(60, 120);
  e->GetCanvas()->GetFont()->Assign(c->GetFont());
  e->GetCanvas()->GetFont()->SetOrientation(900);
  e->GetCanvas()->GetBrush()->SetStyle(bsClear);
  e->GetCanvas()->TextOut(10, 110, u"Итого ВСЕГО");
  const TRect ink2 = Ink(e.get());
  EXPECT_GE(ink2.Height(), w - 4);
  EXPECT_LE(ink2.Width(), h);
}

TEST_F(GraphicsTest, XorPenModeDrawnTwiceLeavesNothing) {
  auto b = White(20, 20);
  TCanvas* c = b->GetCanvas();
  c->GetBrush()->SetColor(clYellow);
  c->FillRect(TRect(0, 0, 10, 20));
  c->GetPen()->SetMode(pmNotXor);
  c->GetPen()->SetColor(clBlack);
  c->MoveTo(5, 0);
  c->LineTo(5, 20);
  EXPECT_NE(At(b.get(), 5, 5), clYellow);
  c->MoveTo(5, 0);
  c->LineTo(5, 20);
  EXPECT_EQ(At(b.get(), 5, 5), clYellow);
  EXPECT_EQ(At(b.get(), 5, 15), clYellow);
  // The focus rectangle is an inverting dotted frame: twice is none.
  c->DrawFocusRect(TRect(2, 2, 18, 18));
  EXPECT_NE(At(b.get(), 2, 2), clYellow);
  c->DrawFocusRect(TRect(2, 2, 18, 18));
  EXPECT_EQ(At(b.get(), 2, 2), clYellow);
}

TEST_F(GraphicsTest, RasterOperationsOfBitBlt) {
  auto src = White(4, 1);
  src->GetCanvas()->SetPixel(0, 0, 0x00FF00FF);
  src->GetCanvas()->SetPixel(1, 0, 0x000000FF);
  struct Case {
    DWORD rop;
    TColor expected;
  } cases[] = {
      {SRCCOPY, 0x00FF00FF},
      {SRCAND, 0x000000FF & 0x00FF00FF},
      {SRCPAINT, 0x00FF00FF | 0x00808080},
      {SRCINVERT, 0x00FF00FF ^ 0x00808080},
      {DSTINVERT, 0x007F7F7F},
      {WHITENESS, 0x00FFFFFF},
      {BLACKNESS, 0},
  };
  for (const Case& c : cases) {
    auto dst = White(4, 1);
    dst->GetCanvas()->GetBrush()->SetColor(c.rop == SRCAND ? TColor(0x000000FF) : TColor(0x00808080));
    dst->GetCanvas()->FillRect(TRect(0, 0, 4, 1));
    BitBlt(dst->GetCanvas()->GetHandle(), 0, 0, 1, 1, src->GetCanvas()->GetHandle(), 0, 0, c.rop);
    EXPECT_EQ(At(dst.get(), 0, 0), c.expected) << std::hex << c.rop;
    EXPECT_EQ(At(dst.get(), 1, 0), c.rop == SRCAND ? TColor(0x000000FF) : TColor(0x00808080))
        << std::hex << c.rop;
  }
  // PATCOPY paints the brush.
  auto dst = White(4, 4);
  dst->GetCanvas()->GetBrush()->SetColor(clNavy);
  PatBlt(dst->GetCanvas()->GetHandle(), 1, 1, 2, 2, PATCOPY);
  EXPECT_EQ(Describe(Ink(dst.get())), Describe(TRect(1, 1, 3, 3)));
  EXPECT_EQ(At(dst.get(), 2, 2), clNavy);
}

TEST_F(GraphicsTest, AlphaBlendWithConstantAndPerPixelAlpha) {
  auto dst = White(4, 1);
  auto src = White(4, 1);
  src->GetCanvas()->GetBrush()->SetColor(clBlack);
  src->GetCanvas()->FillRect(TRect(0, 0, 4, 1));
  AlphaBlend(dst->GetCanvas()->GetHandle(), 0, 0, 2, 1, src->GetCanvas()->GetHandle(), 0, 0, 2, 1,
             BLENDFUNCTION{AC_SRC_OVER, 0, 128, 0});
  const TColor half = At(dst.get(), 0, 0);
  EXPECT_NEAR(GetRValue(half), 127, 2);
  EXPECT_EQ(At(dst.get(), 3, 0), clWhite);

  // A 32-bit bitmap with straight alpha, premultiplied on the switch to afPremultiplied as the
  // original does: transparent pixels leave the canvas, opaque ones cover it.
  TBitmap glyph;
  glyph.SetPixelFormat(pf32bit);
  glyph.SetSize(3, 1);
  auto* px = static_cast<Byte*>(glyph.GetScanLine(0));
  const Byte pixels[] = {0, 0, 255, 255, /**/ 0, 0, 255, 0, /**/ 0, 0, 128, 128};
  std::memcpy(px, pixels, sizeof pixels);
  glyph.SetAlphaFormat(afPremultiplied);
  auto canvas = White(3, 1);
  canvas->GetCanvas()->Draw(0, 0, &glyph);
  EXPECT_EQ(At(canvas.get(), 0, 0), clRed);
  EXPECT_EQ(At(canvas.get(), 1, 0), clWhite);
  const TColor mixed = At(canvas.get(), 2, 0);  // half-transparent half-red over white
  EXPECT_NEAR(GetRValue(mixed), 191, 2);
  EXPECT_NEAR(GetGValue(mixed), 127, 2);
  // Drawing with an opacity blends the whole graphic.
  TBitmap solid(2, 1);
  solid.GetCanvas()->GetBrush()->SetColor(clBlack);
  solid.GetCanvas()->FillRect(TRect(0, 0, 2, 1));
  auto faded = White(2, 1);
  faded->GetCanvas()->Draw(0, 0, &solid, 64);
  EXPECT_NEAR(GetRValue(At(faded.get(), 0, 0)), 191, 2);
}

TEST_F(GraphicsTest, DrawEdgeRingsInTheClassicColours) {
  struct Case {
    UINT edge;
    TColor outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight;
  } cases[] = {
      {EDGE_RAISED, (TColor)GetSysColor(COLOR_3DLIGHT), (TColor)GetSysColor(COLOR_3DDKSHADOW),
       (TColor)GetSysColor(COLOR_BTNHIGHLIGHT), (TColor)GetSysColor(COLOR_BTNSHADOW)},
      {EDGE_SUNKEN, (TColor)GetSysColor(COLOR_BTNSHADOW), (TColor)GetSysColor(COLOR_BTNHIGHLIGHT),
       (TColor)GetSysColor(COLOR_3DDKSHADOW), (TColor)GetSysColor(COLOR_3DLIGHT)},
      {EDGE_ETCHED, (TColor)GetSysColor(COLOR_BTNSHADOW), (TColor)GetSysColor(COLOR_BTNHIGHLIGHT),
       (TColor)GetSysColor(COLOR_BTNHIGHLIGHT), (TColor)GetSysColor(COLOR_BTNSHADOW)},
      {EDGE_BUMP, (TColor)GetSysColor(COLOR_3DLIGHT), (TColor)GetSysColor(COLOR_3DDKSHADOW),
       (TColor)GetSysColor(COLOR_3DDKSHADOW), (TColor)GetSysColor(COLOR_3DLIGHT)},
  };
  for (const Case& c : cases) {
    auto b = White(20, 20);
    TRect r(2, 2, 12, 12);
    DrawEdge(b->GetCanvas()->GetHandle(), &r, c.edge, BF_RECT | BF_ADJUST | BF_MIDDLE);
    EXPECT_EQ(r, TRect(4, 4, 10, 10));
    EXPECT_EQ(At(b.get(), 2, 5), c.outerTopLeft);
    EXPECT_EQ(At(b.get(), 5, 2), c.outerTopLeft);
    EXPECT_EQ(At(b.get(), 11, 5), c.outerBottomRight);
    EXPECT_EQ(At(b.get(), 5, 11), c.outerBottomRight);
    // The top-right and bottom-left corners belong to the shadow side.
    EXPECT_EQ(At(b.get(), 11, 2), c.outerBottomRight);
    EXPECT_EQ(At(b.get(), 2, 11), c.outerBottomRight);
    EXPECT_EQ(At(b.get(), 3, 5), c.innerTopLeft);
    EXPECT_EQ(At(b.get(), 10, 5), c.innerBottomRight);
    EXPECT_EQ(At(b.get(), 6, 6), (TColor)GetSysColor(COLOR_BTNFACE));
  }
  // Only the sides asked for, flat and mono variants.
  auto b = White(20, 20);
  TRect r(2, 2, 12, 12);
  DrawEdge(b->GetCanvas()->GetHandle(), &r, BDR_SUNKENOUTER, BF_TOP | BF_FLAT);
  EXPECT_EQ(At(b.get(), 5, 2), (TColor)GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(At(b.get(), 2, 5), clWhite);
  EXPECT_EQ(At(b.get(), 5, 11), clWhite);
}

TEST_F(GraphicsTest, FrameControlsDrawChecksArrowsAndPushedButtons) {
  auto b = White(60, 20);
  HDC dc = b->GetCanvas()->GetHandle();
  TRect unchecked(0, 0, 13, 13), checked(20, 0, 33, 13), arrow(40, 0, 56, 16);
  DrawFrameControl(dc, &unchecked, DFC_BUTTON, DFCS_BUTTONCHECK);
  DrawFrameControl(dc, &checked, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  DrawFrameControl(dc, &arrow, DFC_SCROLL, DFCS_SCROLLDOWN);
  auto darkIn = [&](const TRect& r) {
    Integer n = 0;
    for (Integer y = r.Top; y < r.Bottom; ++y)
      for (Integer x = r.Left; x < r.Right; ++x) n += At(b.get(), x, y) == clBlack;
    return n;
  };
  EXPECT_EQ(darkIn(TRect(3, 3, 10, 10)), 0);
  EXPECT_GE(darkIn(TRect(23, 3, 30, 10)), 15);
  EXPECT_GE(darkIn(TRect(43, 3, 53, 13)), 6);
  EXPECT_EQ(At(b.get(), 40, 0), (TColor)GetSysColor(COLOR_3DLIGHT));
  TRect push(0, 14, 20, 20);
  DrawFrameControl(dc, &push, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
  EXPECT_EQ(At(b.get(), 0, 14), (TColor)GetSysColor(COLOR_BTNSHADOW));
}

TEST_F(GraphicsTest, PaintsThroughAPainterHandedInByAWidget) {
  InitGraphicsForTests();
  QImage target(40, 20, QImage::Format_RGB32);
  target.fill(Qt::white);
  QPainter painter(&target);
  painter.translate(10, 5);  // the widget's origin inside its window
  TPainterCanvas canvas;
  canvas.Attach(&painter, 30, 15);
  canvas.GetBrush()->SetColor(clRed);
  canvas.FillRect(TRect(0, 0, 4, 4));
  canvas.Detach();
  painter.end();
  EXPECT_EQ(target.pixel(10, 5), qRgb(255, 0, 0));
  EXPECT_EQ(target.pixel(13, 8), qRgb(255, 0, 0));
  EXPECT_EQ(target.pixel(14, 9), qRgb(255, 255, 255));
  EXPECT_EQ(target.pixel(9, 5), qRgb(255, 255, 255));
}

TEST_F(GraphicsTest, ObjectsSelectedIntoAContextOutliveDeleteObject) {
  HDC dc = CreateCompatibleDC(nullptr);
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
  HGDIOBJ old = SelectObject(dc, pen);
  // Deleting a selected pen is put off until it is selected out, so nothing dangles.
  EXPECT_TRUE(DeleteObject(pen));
  LOGPEN lp;
  EXPECT_EQ(GetObject(GetCurrentObject(dc, OBJ_PEN), sizeof lp, &lp), static_cast<Integer>(sizeof lp));
  EXPECT_EQ(lp.lopnWidth.X, 3);
  SelectObject(dc, old);
  EXPECT_FALSE(DeleteObject(GetStockObject(BLACK_PEN)));
  DeleteDC(dc);
}
