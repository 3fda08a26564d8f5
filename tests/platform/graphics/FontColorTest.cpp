// Colours (system colours through the palette, idents, HLS) and fonts, pens and brushes with their
// published properties, change events and shared font handles.
#include "GraphicsTestSupport.h"

TEST_F(GraphicsTest, ColorsResolveThroughTheActivePalette) {
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(212, 208, 200));
  EXPECT_EQ(ColorToRGB(clWindow), RGB(255, 255, 255));
  EXPECT_EQ(ColorToRGB(clHighlight), GetSysColor(COLOR_HIGHLIGHT));
  struct Dark : TSysColorPalette {
    TColorRef GetSysColor(Integer index) const override {
      return index == COLOR_WINDOW ? RGB(30, 30, 30) : 0;
    }
  } dark;
  SetSysColorPalette(&dark);
  EXPECT_EQ(ColorToRGB(clWindow), RGB(30, 30, 30));
  SetSysColorPalette(nullptr);
  EXPECT_EQ(ColorToRGB(clWindow), RGB(255, 255, 255));
  EXPECT_EQ(GetRValue(RGB(1, 2, 3)), 1);
  EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
}

TEST_F(GraphicsTest, ColorIdentsAndStrings) {
  struct Case {
    TColor color;
    const Char* text;
  } cases[] = {{clBtnFace, u"clBtnFace"}, {clNone, u"clNone"},       {clDefault, u"clDefault"},
               {clSkyBlue, u"clSkyBlue"}, {clMenuBar, u"clMenuBar"}, {0x00123456, u"$00123456"},
               {clBlack, u"clBlack"},     {clWhite, u"clWhite"},     {TColor(0x00FF8040), u"$00FF8040"}};
  for (const Case& c : cases) {
    EXPECT_EQ(ColorToString(c.color), c.text);
    EXPECT_EQ(StringToColor(c.text), c.color);
  }
  EXPECT_EQ(StringToColor(u"clbtnface"), clBtnFace);
  EXPECT_EQ(StringToColor(u"255"), clRed);
  EXPECT_THROW(StringToColor(u"clNoSuchColour"), EConvertError);
  // Colour properties read and write idents through the published-property registry.
  TFont font;
  SetOrdProp(&font, u"Color", clHighlight);
  EXPECT_EQ(font.GetColor(), clHighlight);
  const TPropInfo* info = GetPropInfo(&font, u"Color");
  ASSERT_NE(info, nullptr);
  String ident;
  ASSERT_TRUE(FindIntToIdent(info->PropType)(clHighlight, ident));
  EXPECT_EQ(ident, u"clHighlight");
}

TEST_F(GraphicsTest, HlsConversionRoundTripsAndAdjustsLuma) {
  for (TColorRef c :
       {RGB(255, 0, 0), RGB(0, 128, 0), RGB(10, 36, 106), RGB(212, 208, 200), RGB(255, 255, 255)}) {
    Word h, l, s;
    ColorRGBToHLS(c, h, l, s);
    const TColorRef back = ColorHLSToRGB(h, l, s);
    EXPECT_NEAR(GetRValue(back), GetRValue(c), 2);
    EXPECT_NEAR(GetGValue(back), GetGValue(c), 2);
    EXPECT_NEAR(GetBValue(back), GetBValue(c), 2);
  }
  Word h, l, s;
  ColorRGBToHLS(RGB(255, 0, 0), h, l, s);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(l, 120);
  EXPECT_EQ(s, 240);
  const TColorRef lighter = ColorAdjustLuma(RGB(100, 100, 100), 200, false);
  EXPECT_GT(GetRValue(lighter), 140);
  EXPECT_EQ(ColorAdjustLuma(RGB(0, 0, 0), 500, true), RGB(0, 0, 0));
  EXPECT_EQ(ColorAdjustLuma(RGB(200, 200, 200), 1000, false), RGB(255, 255, 255));
}

TEST_F(GraphicsTest, FontSizeHeightAndResolution) {
  TFont f;
  EXPECT_EQ(f.GetSize(), 8);
  EXPECT_EQ(f.GetHeight(), -11);
  f.SetSize(10);
  EXPECT_EQ(f.GetHeight(), -13);
  f.SetPixelsPerInch(600);
  EXPECT_EQ(f.GetSize(), 2);  // the height stays, the size follows the resolution
  f.SetSize(10);
  EXPECT_EQ(f.GetHeight(), -83);
  // Assigning carries the size across resolutions.
  TFont screen;
  screen.Assign(&f);
  EXPECT_EQ(screen.GetSize(), 10);
  EXPECT_EQ(screen.GetHeight(), -13);
  Integer changes = 0;
  screen.OnChange = TNotifyEvent([&](TObject*) { ++changes; });
  screen.SetStyle(TFontStyles{fsBold, fsItalic});
  screen.SetStyle(TFontStyles{fsBold, fsItalic});
  screen.SetName(u"Times New Roman");
  EXPECT_EQ(changes, 2);
}

TEST_F(GraphicsTest, FontsOfTheSameDescriptionShareAHandle) {
  TFont a, b;
  a.SetName(u"Arial");
  b.SetName(u"Arial");
  EXPECT_EQ(a.GetHandle(), b.GetHandle());
  b.SetStyle(TFontStyles{fsBold});
  EXPECT_NE(a.GetHandle(), b.GetHandle());
  LOGFONTW lf;
  ASSERT_EQ(GetObject(b.GetHandle(), sizeof lf, &lf), static_cast<Integer>(sizeof lf));
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(String(lf.lfFaceName), u"Arial");
  TFont c;
  c.SetHandle(b.GetHandle());
  EXPECT_TRUE(c.GetStyle().Contains(fsBold));
  EXPECT_EQ(c.GetHandle(), b.GetHandle());
  EXPECT_FALSE(DeleteObject(a.GetHandle()));  // shared handles stay
}

TEST_F(GraphicsTest, PublishedPropertiesOfFontPenAndBrush) {
  TFont f;
  SetStrProp(&f, u"Name", u"Courier New");
  SetSetProp(&f, u"Style", u"[fsBold,fsUnderline]");
  SetOrdProp(&f, u"Height", -20);
  EXPECT_EQ(f.GetName(), u"Courier New");
  EXPECT_TRUE(f.GetStyle().Contains(fsUnderline));
  EXPECT_EQ(GetSetProp(&f, u"Style"), u"fsBold,fsUnderline");
  EXPECT_FALSE(IsStoredProp(&f, GetPropInfo(&f, u"Size")));
  TPen p;
  SetEnumProp(&p, u"Style", u"psDot");
  SetEnumProp(&p, u"Mode", u"pmNotXor");
  EXPECT_EQ(p.GetStyle(), psDot);
  EXPECT_EQ(p.GetMode(), pmNotXor);
  TBrush br;
  SetEnumProp(&br, u"Style", u"bsDiagCross");
  EXPECT_EQ(br.GetStyle(), bsDiagCross);
  br.SetColor(clYellow);
  EXPECT_EQ(GetOrdProp(&br, u"Color"), clYellow);
}

TEST_F(GraphicsTest, FormFontsMapToMetricCompatibleFamilies) {
  // Arial and the sans face of the forms measure the same; a serif face differs.
  auto width = [](const Char* face) {
    TBitmap b(1, 1);
    b.GetCanvas()->GetFont()->SetName(face);
    b.GetCanvas()->GetFont()->SetHeight(-20);
    return b.GetCanvas()->TextWidth(u"Проверка ширины WWW iii");
  };
  EXPECT_EQ(width(u"Arial"), width(u"MS Sans Serif"));
  EXPECT_NE(width(u"Arial"), width(u"Times New Roman"));
  EXPECT_NE(width(u"Courier New"), width(u"Arial"));
  const std::vector<String> names = InstalledFontNames();
  EXPECT_NE(std::find(names.begin(), names.end(), u"Liberation Sans"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), u"Arial"), names.end());
  EXPECT_EQ(DefaultFontName(), u"Tahoma");
}
