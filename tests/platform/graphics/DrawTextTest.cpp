// DrawText as the libraries rely on it: alignment, word breaking at blanks, ellipses, prefixes,
// tabs, margins, measuring and clipping, in Latin and Cyrillic. The lines drawn are read back from
// a metafile recording, so the tests see exactly which text went where.
#include "GraphicsTestSupport.h"
#include "platform/graphics/Metafile.h"

namespace {

struct Line {
  String text;
  TPoint at;
};

class DrawTextTest : public GraphicsTest {
 public:
  void SetUp() override {
    GraphicsTest::SetUp();
    measure_ = std::make_unique<TBitmap>(1, 1);
    SetFont(measure_->GetCanvas()->GetFont());
  }
  static void SetFont(TFont* f) {
    f->SetName(u"Arial");
    f->SetHeight(-13);
  }
  Integer Width(const String& s) { return measure_->GetCanvas()->TextWidth(s); }
  Integer LineHeight() { return measure_->GetCanvas()->TextHeight(u"Жg"); }

  // Runs DrawTextEx on a metafile canvas and answers the lines as recorded.
  std::vector<Line> Draw(const String& text, TRect rect, UINT format, Integer* result = nullptr,
                         DRAWTEXTPARAMS* params = nullptr) {
    TMetafile mf;
    mf.SetWidth(400);
    mf.SetHeight(300);
    {
      TMetafileCanvas c(&mf, 0);
      SetFont(c.GetFont());
      const Integer r = DrawTextEx(c.GetHandle(), text.c_str(), -1, &rect, format, params);
      if (result) *result = r;
    }
    std::vector<Line> lines;
    for (const TEmfTextRecord& t : MetafileTextRecords(&mf)) lines.push_back({t.Text, t.Position});
    return lines;
  }

  std::unique_ptr<TBitmap> measure_;
};

std::vector<String> Texts(const std::vector<Line>& lines) {
  std::vector<String> out;
  for (const Line& l : lines) out.push_back(l.text);
  return out;
}

std::string U8(const String& s) {
  std::string out;
  for (Char c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Joined(const std::vector<String>& v) {
  std::string s;
  for (const String& x : v) s += "[" + U8(x) + "]";
  return s;
}

}  // namespace

TEST_F(DrawTextTest, SingleLineAlignmentTable) {
  const String text = u"Итого: 1 234,50";
  const Integer w = Width(text), lh = LineHeight();
  const TRect r(10, 20, 210, 80);
  struct Case {
    UINT format;
    TPoint at;
  } cases[] = {
      {DT_LEFT | DT_SINGLELINE, {10, 20}},
      {DT_CENTER | DT_SINGLELINE, {(10 + 210 - w) / 2, 20}},
      {DT_RIGHT | DT_SINGLELINE, {210 - w, 20}},
      {DT_LEFT | DT_SINGLELINE | DT_VCENTER, {10, 20 + 60 / 2 - lh / 2}},
      {DT_RIGHT | DT_SINGLELINE | DT_BOTTOM, {210 - w, 80 - lh}},
      // Vertical alignment is for single lines only.
      {DT_LEFT | DT_VCENTER, {10, 20}},
  };
  for (const Case& c : cases) {
    const auto lines = Draw(text, r, c.format);
    ASSERT_EQ(lines.size(), 1u) << std::hex << c.format;
    EXPECT_EQ(lines[0].text, text);
    EXPECT_EQ(lines[0].at, c.at) << std::hex << c.format;
  }
}

TEST_F(DrawTextTest, WordBreakTable) {
  struct Case {
    String text;
    String firstLineFits;  // the rectangle is as wide as this
    UINT extra;
    std::vector<String> lines;
  } cases[] = {
      {u"Иванов Пётр Сергеевич", u"Иванов Пётр", 0, {u"Иванов Пётр", u"Сергеевич"}},
      {u"alpha beta gamma", u"alpha beta", 0, {u"alpha beta", u"gamma"}},
      // Blanks at the break vanish, leading blanks of the text stay.
      {u"  один   два   три", u"  один   два", 0, {u"  один   два", u"три"}},
      // CR LF, LF and CR end lines; an empty line stays.
      {u"первая\r\nвторая\n\nчетвёртая", u"четвёртая__", 0, {u"первая", u"вторая", u"", u"четвёртая"}},
      // A word wider than the line stays whole...
      {u"Наименование товара", u"Наимен", 0, {u"Наименование", u"товара"}},
      // ...unless the rectangle behaves as an edit control.
      {u"Наименование", u"Наимен", DT_EDITCONTROL, {u"Наимен", u"ование"}},
  };
  for (const Case& c : cases) {
    const TRect r(0, 0, Width(c.firstLineFits), 300);
    EXPECT_EQ(Joined(Texts(Draw(c.text, r, DT_WORDBREAK | c.extra))), Joined(c.lines)) << U8(c.text);
  }
  // Lines go down by the line height; the result is the height of the text.
  Integer result = 0;
  const auto lines =
      Draw(u"alpha beta gamma", TRect(5, 7, 5 + Width(u"alpha beta"), 300), DT_WORDBREAK, &result);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].at, TPoint(5, 7 + LineHeight()));
  EXPECT_EQ(result, 2 * LineHeight());
}

TEST_F(DrawTextTest, EllipsisTable) {
  struct Case {
    String text;
    String fits;
    UINT format;
    String drawn;
  } cases[] = {
      {u"Накладная №123 от 01.01.2024", u"Наклад...", DT_SINGLELINE | DT_END_ELLIPSIS, u"Наклад..."},
      {u"Invoice number 123", u"Invoice ...", DT_SINGLELINE | DT_END_ELLIPSIS, u"Invoice ..."},
      {u"Short", u"Short", DT_SINGLELINE | DT_END_ELLIPSIS, u"Short"},
      {u"C:\\Docs\\Reports\\file.txt", u"C:\\Do...\\file.txt", DT_SINGLELINE | DT_PATH_ELLIPSIS,
       u"C:\\Do...\\file.txt"},
      {u"Отчёт по складу", u"Отчёт п...", DT_SINGLELINE | DT_WORD_ELLIPSIS, u"Отчёт п..."},
  };
  for (const Case& c : cases) {
    const auto lines = Draw(c.text, TRect(0, 0, Width(c.fits), 40), c.format);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(U8(lines[0].text), U8(c.drawn));
  }
  // Wrapped text cut at the bottom of an edit-control rectangle ends its last line with "...".
  const String text = u"один два три четыре пять шесть";
  const auto lines = Draw(text, TRect(0, 0, Width(u"один два"), 2 * LineHeight() + 3),
                          DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].text, u"один два");
  EXPECT_TRUE(lines[1].text.ends_with(u"...")) << U8(lines[1].text);
  EXPECT_LE(Width(lines[1].text), Width(u"один два"));
}

TEST_F(DrawTextTest, PrefixesTabsAndMargins) {
  EXPECT_EQ(Texts(Draw(u"&Файл", TRect(0, 0, 200, 40), DT_SINGLELINE)), std::vector<String>{u"Файл"});
  EXPECT_EQ(Texts(Draw(u"A && B", TRect(0, 0, 200, 40), DT_SINGLELINE)), std::vector<String>{u"A & B"});
  EXPECT_EQ(Texts(Draw(u"&Файл", TRect(0, 0, 200, 40), DT_SINGLELINE | DT_NOPREFIX)),
            std::vector<String>{u"&Файл"});

  // The prefixed letter is underlined unless the prefix is hidden.
  auto underlined = [&](UINT extra) {
    auto b = White(100, 30);
    SetFont(b->GetCanvas()->GetFont());
    b->GetCanvas()->GetBrush()->SetStyle(bsClear);
    TRect r(0, 0, 100, 30);
    DrawText(b->GetCanvas()->GetHandle(), u"&Ф", -1, &r, DT_SINGLELINE | extra);
    TEXTMETRICW tm;
    GetTextMetrics(b->GetCanvas()->GetHandle(), &tm);
    return !Ink(b.get(), TRect(0, tm.tmAscent + 1, 100, 30)).IsEmpty();
  };
  EXPECT_TRUE(underlined(0));
  EXPECT_FALSE(underlined(DT_HIDEPREFIX));

  // Tabs stop every eight average characters.
  TEXTMETRICW tm;
  GetTextMetrics(measure_->GetCanvas()->GetHandle(), &tm);
  const auto tabbed = Draw(u"a\tb", TRect(0, 0, 300, 40), DT_SINGLELINE | DT_EXPANDTABS);
  ASSERT_EQ(tabbed.size(), 1u);
  const String drawn = tabbed[0].text;
  const Integer bAt = Width(drawn.substr(0, drawn.find(u'b')));
  EXPECT_NEAR(bAt, 8 * tm.tmAveCharWidth, Width(u" "));

  // Margins move the text in from the sides.
  DRAWTEXTPARAMS params;
  params.iLeftMargin = 7;
  params.iRightMargin = 5;
  EXPECT_EQ(Draw(u"x", TRect(10, 0, 110, 40), DT_SINGLELINE, nullptr, &params)[0].at.X, 17);
  EXPECT_EQ(Draw(u"x", TRect(10, 0, 110, 40), DT_SINGLELINE | DT_RIGHT, nullptr, &params)[0].at.X,
            110 - 5 - Width(u"x"));
  EXPECT_EQ(params.uiLengthDrawn, 1u);
}

TEST_F(DrawTextTest, CalcRectMeasuresWithoutDrawing) {
  HDC dc = measure_->GetCanvas()->GetHandle();
  TRect r(5, 5, 500, 5);
  const Integer h = DrawText(dc, u"строка один\nвторая", -1, &r, DT_CALCRECT);
  EXPECT_EQ(h, 2 * LineHeight());
  EXPECT_EQ(r, TRect(5, 5, 5 + Width(u"строка один"), 5 + 2 * LineHeight()));
  // With word breaking the given width holds and the height grows.
  TRect w(0, 0, Width(u"alpha beta"), 0);
  DrawText(dc, u"alpha beta gamma", -1, &w, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(w.Bottom, 2 * LineHeight());
  EXPECT_LE(w.Right, Width(u"alpha beta"));
  // Empty text: no width; a single line keeps its height.
  TRect e(3, 3, 50, 50);
  DrawText(dc, u"", 0, &e, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(e, TRect(3, 3, 3, 3 + LineHeight()));
  // Measuring agrees with the extents.
  TSize size;
  GetTextExtentPoint32(dc, u"Склад", 5, &size);
  EXPECT_EQ(size.cx, Width(u"Склад"));
  Integer fit = 0, dx[5];
  GetTextExtentExPoint(dc, u"Склад", 5, Width(u"Скл"), &fit, dx, &size);
  EXPECT_EQ(fit, 3);
  EXPECT_EQ(dx[4], size.cx);
}

TEST_F(DrawTextTest, ClipsToTheRectangleUnlessNoClip) {
  auto b = White(200, 40);
  SetFont(b->GetCanvas()->GetFont());
  b->GetCanvas()->GetBrush()->SetStyle(bsClear);
  TRect r(10, 5, 40, 30);
  DrawText(b->GetCanvas()->GetHandle(), u"Очень длинный текст", -1, &r, DT_SINGLELINE);
  const TRect ink = Ink(b.get());
  EXPECT_GE(ink.Left, 10);
  EXPECT_LE(ink.Right, 40);
  auto n = White(200, 40);
  SetFont(n->GetCanvas()->GetFont());
  n->GetCanvas()->GetBrush()->SetStyle(bsClear);
  TRect r2(10, 5, 40, 30);
  DrawText(n->GetCanvas()->GetHandle(), u"Очень длинный текст", -1, &r2, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(Ink(n.get()).Right, 60);
}

TEST_F(DrawTextTest, TextMetricsAreConsistent) {
  TEXTMETRICW tm;
  ASSERT_TRUE(GetTextMetrics(measure_->GetCanvas()->GetHandle(), &tm));
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight - 13);
  EXPECT_EQ(tm.tmOverhang, 0);
  EXPECT_GT(tm.tmAveCharWidth, 3);
  EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
  EXPECT_EQ(LineHeight(), tm.tmHeight);
}

TEST_F(DrawTextTest, WidthsFollowTheFontSelectedInTheContext) {
  // Measured widths are kept per context and font: another font, or a restored context, measures anew.
  HDC dc = measure_->GetCanvas()->GetHandle();
  auto width = [dc](const String& s) {
    TSize size;
    GetTextExtentPoint32(dc, s.c_str(), static_cast<Integer>(s.size()), &size);
    return size.cx;
  };
  const String text = u"Итого WWW iii";
  const Integer normal = width(text);
  EXPECT_EQ(width(u"Итого") + width(u" WWW iii"), normal) << "prefixes add up";
  const Integer saved = SaveDC(dc);
  TFont big;
  big.Assign(measure_->GetCanvas()->GetFont());
  big.SetHeight(-30);
  SelectObject(dc, big.GetHandle());
  const Integer wide = width(text);
  EXPECT_GT(wide, normal * 2);
  RestoreDC(dc, saved);
  EXPECT_EQ(width(text), normal);
}

TEST_F(DrawTextTest, TransparentTextAfterAFilledShapeKeepsTheBackground) {
  // A filled rectangle leaves its colours behind in the painter; the transparent text drawn next over
  // white must not get the rectangle's colour as its background.
  auto b = White(200, 40);
  TCanvas* c = b->GetCanvas();
  SetFont(c->GetFont());
  c->GetBrush()->SetColor(clLime);
  c->Rectangle(0, 0, 20, 40);
  c->GetBrush()->SetStyle(bsClear);
  c->TextRect(TRect(0, 0, 200, 40), 60, 10, u"ЖЖЖЖ");
  Integer lime = 0;
  for (Integer y = 0; y < 40; ++y)
    for (Integer x = 20; x < 200; ++x) lime += (c->GetPixel(x, y) & 0xFFFFFF) == (clLime & 0xFFFFFF);
  EXPECT_EQ(lime, 0);
}
