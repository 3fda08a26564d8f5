// Image lists (masks, key colours, wide strips, disabled and blended drawing, change links), the
// glyph and cursor resources the libraries load by name, and theme elements in both painters.
#include "GraphicsTestSupport.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Images.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/Utf.h"

namespace {

// Two 4 x 4 glyphs side by side on a magenta key: a black square, then a blue one.
std::unique_ptr<TBitmap> Strip() {
  auto b = std::make_unique<TBitmap>(8, 4);
  b->GetCanvas()->GetBrush()->SetColor(clFuchsia);
  b->GetCanvas()->FillRect(TRect(0, 0, 8, 4));
  b->GetCanvas()->GetBrush()->SetColor(clBlack);
  b->GetCanvas()->FillRect(TRect(1, 1, 3, 3));
  b->GetCanvas()->GetBrush()->SetColor(clBlue);
  b->GetCanvas()->FillRect(TRect(5, 1, 7, 3));
  return b;
}

}  // namespace

TEST_F(GraphicsTest, ImageListAddsStripsWithKeyColourAndMask) {
  TImageList list(nullptr, 4, 4);
  TChangeLink link;
  Integer changes = 0;
  link.OnChange = TNotifyEvent([&](TObject*) { ++changes; });
  list.RegisterChanges(&link);
  auto strip = Strip();
  EXPECT_EQ(list.AddMasked(strip.get(), clFuchsia), 0);
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_GT(changes, 0);
  auto b = White(8, 4);
  list.Draw(b->GetCanvas(), 0, 0, 0);
  list.Draw(b->GetCanvas(), 4, 0, 1);
  EXPECT_EQ(At(b.get(), 0, 0), clWhite);  // the key colour is transparent
  EXPECT_EQ(At(b.get(), 1, 1), clBlack);
  EXPECT_EQ(At(b.get(), 5, 1), clBlue);
  // A mask: its white pixels are transparent.
  TBitmap mask(8, 4);
  mask.GetCanvas()->GetBrush()->SetColor(clWhite);
  mask.GetCanvas()->FillRect(TRect(0, 0, 8, 4));
  mask.GetCanvas()->GetBrush()->SetColor(clBlack);
  mask.GetCanvas()->FillRect(TRect(0, 0, 2, 2));
  EXPECT_EQ(list.Add(strip.get(), &mask), 2);
  auto m = White(4, 4);
  list.Draw(m->GetCanvas(), 0, 0, 2);
  EXPECT_EQ(At(m.get(), 0, 0), clFuchsia);
  EXPECT_EQ(At(m.get(), 2, 2), clWhite);
  list.Delete(3);
  EXPECT_EQ(list.GetCount(), 3);
  try {
    list.Delete(3);
    FAIL();
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Invalid ImageList Index");
  }
  TBitmap copy;
  list.GetBitmap(1, &copy);
  EXPECT_EQ(copy.GetWidth(), 4);
  EXPECT_EQ(At(&copy, 1, 1), clBlue);
  list.UnRegisterChanges(&link);
  const Integer before = changes;
  list.Clear();
  EXPECT_EQ(changes, before);
  EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(GraphicsTest, ImageListDrawsDisabledAndBlended) {
  TImageList list(nullptr, 4, 4);
  auto strip = Strip();
  list.AddMasked(strip.get(), clFuchsia);
  auto normal = White(6, 6), disabled = White(6, 6), selected = White(6, 6);
  list.Draw(normal->GetCanvas(), 0, 0, 0, true);
  list.Draw(disabled->GetCanvas(), 0, 0, 0, false);
  list.Draw(selected->GetCanvas(), 0, 0, 1, dsSelected, itImage, true);
  EXPECT_EQ(At(normal.get(), 1, 1), clBlack);
  // The classic disabled look: the shape in the shadow colour with a highlight below right.
  EXPECT_EQ(At(disabled.get(), 1, 1), static_cast<TColor>(GetSysColor(COLOR_BTNSHADOW)));
  EXPECT_EQ(At(disabled.get(), 3, 3), static_cast<TColor>(GetSysColor(COLOR_BTNHIGHLIGHT)));
  const TColor blended = At(selected.get(), 1, 1);
  EXPECT_NE(blended, clBlue);
  EXPECT_GT(GetBValue(blended), 100);
  // A background colour fills the image's cell.
  list.SetBkColor(clYellow);
  auto bk = White(4, 4);
  list.Draw(bk->GetCanvas(), 0, 0, 0);
  EXPECT_EQ(At(bk.get(), 0, 0), clYellow);
}

TEST_F(GraphicsTest, GlyphAndCursorResourcesLoadByName) {
  struct Case {
    const Char* name;
    Integer width, height;
  } cases[] = {{u"DBGARROWEH", 11, 11},     {u"DBEDITEH", 11, 11},       {u"DBINSERTEH", 11, 11},
               {u"DBMULTIDOTEH", 11, 11},   {u"DBMULTIARROWEH", 11, 11}, {u"DBGARROWEHW", 11, 11},
               {u"DBSMDOWNEH", 9, 8},       {u"DBSMUPEH", 9, 8},         {u"DBSMDOWNEH_1", 9, 8},
               {u"DBSMUPEH_1", 9, 8},       {u"DROPDOWNEH", 9, 6},       {u"QRLABEL", 16, 16},
               {u"QREXPR", 16, 16},         {u"MAGNIFIEREH", 32, 32},    {u"HANDEH", 32, 32},
               {u"DOWNCUREH", 32, 32},      {u"RIGHTCUREH", 32, 32},     {u"LEFTCUREH", 32, 32},
               {u"DROPTOGARBAGEEH", 32, 32}};
  for (const Case& c : cases) {
    TBitmap b;
    b.LoadFromResourceName(0, c.name);
    EXPECT_EQ(b.GetWidth(), c.width) << StringToUtf8(c.name);
    EXPECT_EQ(b.GetHeight(), c.height) << StringToUtf8(c.name);
  }
  TPoint spot;
  EXPECT_TRUE(CursorResourceHotSpot(u"HANDEH", spot));
  EXPECT_FALSE(CursorResourceHotSpot(u"DBGARROWEH", spot));
  TBitmap missing;
  EXPECT_THROW(missing.LoadFromResourceName(0, u"NOSUCHGLYPH"), EResNotFound);

  // The grid's indicator list: white is transparent for the first five, teal for the "W" arrow.
  TImageList indicators(nullptr, 11, 11);
  for (const Char* name : {u"DBGARROWEH", u"DBEDITEH", u"DBINSERTEH", u"DBMULTIDOTEH", u"DBMULTIARROWEH"})
    indicators.AddResource(name, clWhite);
  indicators.AddResource(u"DBGARROWEHW", TColor(0x808000));
  EXPECT_EQ(indicators.GetCount(), 6);
  auto b = White(11, 11);
  b->GetCanvas()->GetBrush()->SetColor(clYellow);
  b->GetCanvas()->FillRect(TRect(0, 0, 11, 11));
  indicators.Draw(b->GetCanvas(), 0, 0, 5);
  EXPECT_EQ(At(b.get(), 0, 0), clYellow);
  EXPECT_EQ(At(b.get(), 4, 5), clBlack);
}

TEST_F(GraphicsTest, ThemeElementsDrawInBothPaintersInsideTheirRectangle) {
  TCustomStyleServices* s = StyleServices();
  const TThemedElementDetails elements[] = {
      s->GetElementDetails(tbPushButtonNormal),
      s->GetElementDetails(tbCheckBoxCheckedNormal),
      s->GetElementDetails(tbCheckBoxMixedNormal),
      s->GetElementDetails(tbRadioButtonCheckedNormal),
      s->GetElementDetails(thHeaderItemNormal),
      s->GetElementDetails(thHeaderItemPressed),
      s->GetElementDetails(thHeaderSortArrowSortedUp),
      s->GetElementDetails(tgCellSelected),
      s->GetElementDetails(tgFixedCellNormal),
      s->GetElementDetails(tgClassicFixedCellHot),
      s->GetElementDetails(tgGradientFixedCellPressed),
      s->GetElementDetails(tcDropDownButtonNormal),
      s->GetElementDetails(tsUpNormal),
      s->GetElementDetails(tsDownPressed),
      s->GetElementDetails(ttGlyphClosed),
      s->GetElementDetails(ttGlyphOpened),
      s->GetElementDetails(tsGripper),
      s->GetElementDetails(ttbButtonHot),
      s->GetElementDetails(ttbSplitButtonDropDownNormal),
      s->GetElementDetails(twSmallCloseButtonNormal),
      s->GetElementDetails(tttCloseNormal),
      s->GetElementDetails(tmcGridCellSelected),
      s->GetElementDetails(tlListItemSelected),
      s->GetElementDetails(tmPopupItemHot),
      s->GetElementDetails(tmPopupSeparator),
  };
  for (bool themed : {false, true}) {
    SetThemesEnabled(themed);
    EXPECT_EQ(ThemesEnabled(), themed);
    for (const TThemedElementDetails& d : elements) {
      auto b = White(40, 30);
      ASSERT_TRUE(s->DrawElement(b->GetCanvas()->GetHandle(), d, TRect(10, 5, 30, 25)));
      const TRect ink = Ink(b.get());
      EXPECT_FALSE(ink.IsEmpty()) << "themed " << themed << " element " << d.Element << " part " << d.Part;
      if (ink.IsEmpty()) continue;
      EXPECT_GE(ink.Left, 10) << d.Element << "/" << d.Part;
      EXPECT_LE(ink.Right, 30) << d.Element << "/" << d.Part;
      EXPECT_GE(ink.Top, 5) << d.Element << "/" << d.Part;
      EXPECT_LE(ink.Bottom, 25) << d.Element << "/" << d.Part;
    }
  }
  SetThemesEnabled(true);
}

TEST_F(GraphicsTest, ThemeStatesLookDifferentAndRawCallsFollowThem) {
  TCustomStyleServices* s = StyleServices();
  auto draw = [&](const TThemedElementDetails& d) {
    auto b = White(16, 16);
    s->DrawElement(b->GetCanvas()->GetHandle(), d, TRect(1, 1, 14, 14));
    std::vector<TColor> px;
    for (Integer y = 0; y < 16; ++y)
      for (Integer x = 0; x < 16; ++x) px.push_back(At(b.get(), x, y));
    return px;
  };
  for (bool themed : {false, true}) {
    SetThemesEnabled(themed);
    EXPECT_NE(draw(s->GetElementDetails(tbCheckBoxUncheckedNormal)),
              draw(s->GetElementDetails(tbCheckBoxCheckedNormal)));
    EXPECT_NE(draw(s->GetElementDetails(ttGlyphClosed)), draw(s->GetElementDetails(ttGlyphOpened)));
  }
  SetThemesEnabled(false);
  EXPECT_EQ(OpenThemeData(nullptr, u"HEADER"), nullptr);  // the libraries then draw classic themselves
  SetThemesEnabled(true);
  HTHEME theme = OpenThemeData(nullptr, u"Explorer::Nothing;BUTTON");
  ASSERT_NE(theme, nullptr);
  auto raw = White(16, 16);
  const TRect r(1, 1, 14, 14);
  EXPECT_EQ(
      DrawThemeBackground(theme, raw->GetCanvas()->GetHandle(), BP_CHECKBOX, CBS_CHECKEDNORMAL, &r, nullptr),
      S_OK);
  std::vector<TColor> px;
  for (Integer y = 0; y < 16; ++y)
    for (Integer x = 0; x < 16; ++x) px.push_back(At(raw.get(), x, y));
  EXPECT_EQ(px, draw(s->GetElementDetails(tbCheckBoxCheckedNormal)));
  TSize size;
  EXPECT_EQ(GetThemePartSize(theme, nullptr, BP_CHECKBOX, CBS_UNCHECKEDNORMAL, nullptr, TS_TRUE, &size),
            S_OK);
  EXPECT_EQ(size, TSize(13, 13));
  EXPECT_EQ(DrawThemeBackground(theme, raw->GetCanvas()->GetHandle(), 99, 1, &r, nullptr), E_FAIL);
  CloseThemeData(theme);
  TColor c;
  ASSERT_TRUE(s->GetElementColor(s->GetElementDetails(tgClassicCellSelected), ecTextColor, c));
  EXPECT_EQ(c, clHighlightText);
  EXPECT_EQ(s->GetSystemColor(clBtnFace), static_cast<TColor>(ColorToRGB(clBtnFace)));
  EXPECT_FALSE(CustomStyleActive());
}

// A themed selection leaves the text its own colour, so what it paints must keep window text readable:
// a full highlight fill under black text made the current cell of every grid unreadable.
TEST_F(GraphicsTest, ThemedSelectionsAreATintUnderWhichWindowTextStaysReadable) {
  TCustomStyleServices* s = StyleServices();
  SetThemesEnabled(true);
  const auto luma = [](TColor c) {
    const auto rgb = static_cast<uint32_t>(ColorToRGB(c));
    return (299 * (rgb & 0xFF) + 587 * ((rgb >> 8) & 0xFF) + 114 * ((rgb >> 16) & 0xFF)) / 1000;
  };
  for (const TThemedElementDetails& d :
       {s->GetElementDetails(tgCellSelected), s->GetElementDetails(tgCellRowSelectedCenter),
        s->GetElementDetails(tlListItemSelected), s->GetElementDetails(tmcGridCellSelected)}) {
    auto b = White(40, 30);
    ASSERT_TRUE(s->DrawElement(b->GetCanvas()->GetHandle(), d, TRect(0, 0, 40, 30)));
    const TColor inside = At(b.get(), 20, 15);
    TColor fill, text;
    ASSERT_TRUE(s->GetElementColor(d, ecFillColor, fill));
    ASSERT_TRUE(s->GetElementColor(d, ecTextColor, text));
    EXPECT_EQ(inside & 0xFFFFFF, ColorToRGB(fill) & 0xFFFFFF) << d.Element << "/" << d.Part;
    EXPECT_NE(inside & 0xFFFFFF, ColorToRGB(clHighlight) & 0xFFFFFF) << d.Element << "/" << d.Part;
    EXPECT_GT(std::abs(static_cast<int>(luma(inside)) - static_cast<int>(luma(text))), 120)
        << d.Element << "/" << d.Part;
  }
}
