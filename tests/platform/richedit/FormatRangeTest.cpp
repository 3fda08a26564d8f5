// The format-range call: a long text laid into rectangle after rectangle on bitmaps and metafiles
// loses and doubles no character, uses no more height than it is given, and keeps formatting.
#include <gtest/gtest.h>

#include "platform/controls/RichEdit.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Metafile.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"

namespace {

// What the text draws: everything but tabs, line breaks and paragraph ends.
String Drawable(const String& s) {
  String out;
  for (Char c : s)
    if (c != u'\t' && c != 0x2028 && c != u'\n' && c != u'\r') out += c;
  return out;
}

class FormatRangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    edit = std::make_unique<TRichEdit>(nullptr);
    TRtfDocument doc;
    TRtfCharFormat plain;
    plain.FontName = u"Arial";
    plain.HalfPoints = 20;
    TRtfCharFormat bold = plain;
    bold.Style = TFontStyles{fsBold};
    for (int i = 0; i < 40; ++i) {
      TRtfParagraph p;
      p.Format.Alignment = static_cast<TRtfAlignment>(i % 4);
      String words;
      for (int w = 0; w < (i % 5) * 9 + 1; ++w)
        words += u"слово" + Utf8ToString(std::to_string(w)) + u" word\t";
      p.Runs = {{u"Абзац " + Utf8ToString(std::to_string(i)) + u": ", bold}, {words, plain}};
      if (i % 7 == 3) p.Runs.clear();  // some empty paragraphs
      doc.Paragraphs.push_back(p);
    }
    edit->SetRichText(doc);
    length = edit->GetTextLength();
  }

  Integer Format(HDC dc, TRect rc, Integer from, Integer to, bool render, TRect* used = nullptr) {
    TFormatRange fr;
    fr.hdc = dc;
    fr.hdcTarget = dc;
    fr.rc = rc;
    fr.rcPage = rc;
    fr.chrg = {from, to};
    const Integer next =
        static_cast<Integer>(edit->Perform(EM_FORMATRANGE, render ? 1 : 0, reinterpret_cast<LPARAM>(&fr)));
    if (used) *used = fr.rc;
    return next;
  }

  std::unique_ptr<TRichEdit> edit;
  Integer length = 0;
};

// Twips to pixels at 96 dpi.
Integer Px(Integer twips) { return twips * 96 / 1440; }

TEST_F(FormatRangeTest, ThreeRectanglesTakeTheWholeTextOnce) {
  ASSERT_GT(length, 1000);
  TBitmap probe;
  probe.SetSize(10, 10);
  HDC measureDc = probe.GetCanvas()->GetHandle();
  // The height the whole text needs in one column 4 inches wide.
  TRect all;
  ASSERT_EQ(Format(measureDc, TRect(0, 0, 5760, 10000000), 0, -1, false, &all), length);
  const Integer needed = all.Bottom;
  const Integer height = needed / 3 + 1200;  // a third each, and room for lines that do not split
  const TRect rect(720, 360, 720 + 5760, 360 + height);

  Integer from = 0;
  String drawn;
  std::vector<Integer> ends;
  for (int page = 0; page < 3; ++page) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(Px(rect.Right) + 40, Px(rect.Bottom) + 40);
    TCanvas* canvas = bitmap->GetCanvas();
    canvas->GetBrush()->SetColor(clWhite);
    canvas->FillRect(TRect(0, 0, bitmap->GetWidth(), bitmap->GetHeight()));
    TRect used;
    const Integer next = Format(canvas->GetHandle(), rect, from, -1, true, &used);
    EXPECT_GT(next, from) << page;
    EXPECT_EQ(used.Top, rect.Top);
    EXPECT_LE(used.Bottom, rect.Bottom) << page;
    EXPECT_GT(used.Bottom, rect.Top) << page;
    // Ink only inside the rectangle's used part.
    Integer inkInside = 0, inkOutside = 0;
    for (Integer y = 0; y < bitmap->GetHeight(); y += 1)
      for (Integer x = 0; x < bitmap->GetWidth(); x += 2) {
        const bool ink = PixelAt(bitmap.get(), x, y) != clWhite;
        const bool inside = x >= Px(rect.Left) - 1 && x <= Px(rect.Right) + 1 && y >= Px(used.Top) - 1 &&
                            y <= Px(used.Bottom) + 1;
        (inside ? inkInside : inkOutside) += ink ? 1 : 0;
      }
    EXPECT_GT(inkInside, 100) << page;
    EXPECT_EQ(inkOutside, 0) << page;

    // The same range on a metafile says exactly which characters were drawn.
    TMetafile metafile;
    {
      TMetafileCanvas mc(&metafile, nullptr);
      TRect again;
      EXPECT_EQ(Format(mc.GetHandle(), rect, from, -1, true, &again), next);
      EXPECT_EQ(again.Bottom, used.Bottom);
    }
    for (const TEmfTextRecord& r : MetafileTextRecords(&metafile)) drawn += r.Text;
    ends.push_back(next);
    from = next;
    if (next >= length) break;
  }
  ASSERT_EQ(ends.size(), 3u) << "the text should take all three rectangles";
  EXPECT_EQ(ends.back(), length);
  EXPECT_EQ(StringToUtf8(drawn), StringToUtf8(Drawable(edit->GetRichText().PlainText(u""))));
  // A continuation starts a line: it is a paragraph start or a wrapped line's first character.
  const String text = edit->GetRichText().PlainText(u"\n");
  for (size_t i = 0; i + 1 < ends.size(); ++i) {
    const Integer e = ends[i];
    EXPECT_TRUE(e == 0 || text[e - 1] == u'\n' || text[e - 1] == u' ' || text[e - 1] == u'\t') << e;
  }
}

TEST_F(FormatRangeTest, APartOfTheTextDrawsJustThatPart) {
  TMetafile metafile;
  const String text = edit->GetRichText().PlainText(u"\n");
  const Integer from = 3, to = 140;  // starts inside a line
  TRect used;
  {
    TMetafileCanvas mc(&metafile, nullptr);
    EXPECT_EQ(Format(mc.GetHandle(), TRect(0, 0, 5760, 100000), from, to, true, &used), to);
  }
  String drawn;
  for (const TEmfTextRecord& r : MetafileTextRecords(&metafile)) drawn += r.Text;
  EXPECT_EQ(StringToUtf8(drawn), StringToUtf8(Drawable(text.substr(from, to - from))));
}

TEST_F(FormatRangeTest, FormattingReachesTheCanvas) {
  edit->SetRichText(ReadRtf(R"({\rtf1{\fonttbl{\f0\fcharset204 Arial;}}{\colortbl ;\red255\green0\blue0;})"
                            R"(\pard\ql\f0\fs24{\b Bold}\par\pard\qr{\i\cf1 Right}\par\pard\qc Mid\par})"));
  TMetafile metafile;
  const TRect rect(0, 0, 1440 * 4, 1440 * 2);
  {
    TMetafileCanvas mc(&metafile, nullptr);
    Format(mc.GetHandle(), rect, 0, -1, true);
  }
  const auto records = MetafileTextRecords(&metafile);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(StringToUtf8(records[0].Text), "Bold");
  EXPECT_EQ(records[0].Font.lfWeight, FW_BOLD);
  EXPECT_EQ(records[0].Font.lfHeight, -16);  // 12pt at 96 dpi
  EXPECT_LE(records[0].Position.X, 1);
  EXPECT_EQ(StringToUtf8(records[1].Text), "Right");
  EXPECT_EQ(records[1].Font.lfItalic, 1);
  Integer width = 0;
  for (Integer a : records[1].Advances) width += a;
  EXPECT_NEAR(records[1].Position.X + width, 384, 3);  // ends at the right edge (4in at 96 dpi)
  Integer midWidth = 0;
  for (Integer a : records[2].Advances) midWidth += a;
  EXPECT_NEAR(records[2].Position.X + midWidth / 2.0, 192, 3);
  EXPECT_LT(records[0].Position.Y, records[1].Position.Y);
  EXPECT_LT(records[1].Position.Y, records[2].Position.Y);
}

// Indents, tab stops and bullets sit at the same place in inches whatever the device's resolution.
TEST_F(FormatRangeTest, LayoutIsTheSameInInchesAtAnyResolution) {
  edit->SetRichText(
      ReadRtf(R"({\rtf1{\fonttbl{\f0\fcharset204 Arial;}}\f0\fs20)"
              R"(\pard\tx1440\tx2880 a\tab b\tab c\par\pard\li720 indented\par)"
              R"(\pard{\pntext\'95\tab}{\*\pn\pnlvlblt{\pntxtb\'95}}\li360 bullet\par\pard x\tab y\par})"));
  auto inches = [&](HDC reference) {
    TMetafile metafile;
    Integer dpi = 0;
    {
      TMetafileCanvas mc(&metafile, reference);
      dpi = GetDeviceCaps(mc.GetHandle(), LOGPIXELSX);
      Format(mc.GetHandle(), TRect(0, 0, 1440 * 6, 1440 * 6), 0, -1, true);
    }
    std::vector<double> xs;
    for (const TEmfTextRecord& r : MetafileTextRecords(&metafile)) xs.push_back(double(r.Position.X) / dpi);
    return xs;
  };
  const std::vector<double> screen = inches(nullptr);
  const std::vector<double> printer = inches(Printer()->GetHandle());
  ASSERT_EQ(screen.size(), 8u);  // a b c indented • bullet x y
  ASSERT_EQ(printer.size(), screen.size());
  EXPECT_NEAR(screen[1], 1.0, 0.02);  // b at the first stop
  EXPECT_NEAR(screen[2], 2.0, 0.02);
  EXPECT_NEAR(screen[3], 0.5, 0.02);  // \li720
  EXPECT_NEAR(screen[7], 0.5, 0.05);  // y at the default half-inch stop
  for (size_t i = 0; i < screen.size(); ++i) EXPECT_NEAR(printer[i], screen[i], 0.03) << i;
}

TEST_F(FormatRangeTest, EdgeCases) {
  TBitmap bitmap;
  bitmap.SetSize(100, 100);
  HDC dc = bitmap.GetCanvas()->GetHandle();
  TRect used;
  // A rectangle lower than one line takes nothing and uses no height.
  EXPECT_EQ(Format(dc, TRect(0, 0, 5760, 20), 0, -1, true, &used), 0);
  EXPECT_EQ(used.Bottom, 0);
  // A range at the end, and an empty one, are done at once.
  EXPECT_EQ(Format(dc, TRect(0, 0, 5760, 5760), length, -1, true, &used), length);
  EXPECT_EQ(Format(dc, TRect(0, 0, 5760, 5760), 10, 10, true, &used), 10);
  EXPECT_EQ(used.Bottom, 0);
  // Out-of-range characters are clamped.
  EXPECT_EQ(Format(dc, TRect(0, 0, 5760, 100000000), -5, length + 100, false), length);
  // Freeing the cached layout answers 0; the next call lays out anew.
  EXPECT_EQ(edit->Perform(EM_FORMATRANGE, 0, 0), 0);
  EXPECT_EQ(Format(dc, TRect(0, 0, 5760, 100000000), 0, -1, false), length);
  // An edit after a call is seen by the next one.
  edit->Clear();
  EXPECT_EQ(Format(dc, TRect(0, 0, 5760, 5760), 0, -1, true, &used), 0);
  EXPECT_EQ(used.Bottom, 0);
}

}  // namespace
