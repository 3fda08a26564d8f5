// The RTF reader and writer without a control: snippets to text and formatting, malformed input,
// and documents that survive being written and read again.
#include <gtest/gtest.h>

#include <string>

#include "platform/controls/RtfDocument.h"
#include "platform/rtl/Utf.h"

namespace {

struct TTextCase {
  const char* name;
  std::string rtf;
  String text;  // paragraphs joined by '\n'
};

void PrintTo(const TTextCase& c, std::ostream* os) { *os << c.name; }

class RtfTextTest : public ::testing::TestWithParam<TTextCase> {};

TEST_P(RtfTextTest, ReadsThePlainText) {
  const TTextCase& c = GetParam();
  const TRtfDocument doc = ReadRtf(c.rtf);
  EXPECT_EQ(StringToUtf8(doc.PlainText()), StringToUtf8(c.text)) << c.rtf;
  EXPECT_FALSE(doc.Paragraphs.empty());
}

const TTextCase kTextCases[] = {
    {"Simple", R"({\rtf1\ansi Hello world\par})", u"Hello world"},
    {"TwoParagraphs", R"({\rtf1 one\par two\par})", u"one\ntwo"},
    {"LastParagraphWithoutPar", R"({\rtf1 one\par two})", u"one\ntwo"},
    {"EmptyParagraphKept", R"({\rtf1 one\par\par two\par})", u"one\n\ntwo"},
    {"HexInDefault1251", R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'e8\'e2\'e5\'f2})", u"Привет"},
    {"HexWithoutCodePageIs1251", R"({\rtf1 \'c0\'e1\'e2})", u"Абв"},
    {"HexIn1252ByAnsicpg", R"({\rtf1\ansi\ansicpg1252 caf\'e9})", u"café"},
    {"HexInFontCharset",
     R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0 Arial;}{\f1\fcharset204 Arial;}}\f1 \'c4\'e0 \f0 \'e9})",
     u"Да é"},
    {"UnicodeUc1SkipsFallback", R"({\rtf1\uc1 \u1044?\u1072?})", u"Да"},
    {"UnicodeUc1SkipsHexFallback", R"({\rtf1\uc1\u1044\'c4\u1072\'e0!})", u"Да!"},
    {"UnicodeUc2", R"({\rtf1\uc2 \u1044??x})", u"Дx"},
    {"UnicodeUc0", R"({\rtf1\uc0 \u1044\u1072})", u"Да"},
    {"NegativeUnicode", R"({\rtf1 \u-3913?})", u"\uF0B7"},
    {"UcIsScopedToTheGroup", R"({\rtf1 {\uc2 \u1044??}\u1072?})", u"Да"},
    {"SurrogatePair", R"({\rtf1 \u-10179?\u-8704?})", u"\U0001F600"},
    {"Escapes", R"({\rtf1 a\\b\{c\}d\~e})", u"a\\b{c}d\u00A0e"},
    {"TabAndLine", R"({\rtf1 a\tab b\line c})", u"a\tb\u2028c"},
    {"SpecialCharacters", R"({\rtf1 \emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote})",
     u"\u2014\u2013\u2022\u2018\u2019\u201C\u201D"},
    {"NewlinesInSourceIgnored", "{\\rtf1 ab\r\ncd}", u"abcd"},
    {"BackslashNewlineIsPar", "{\\rtf1 ab\\\ncd}", u"ab\ncd"},
    {"UnknownStarDestinationSkipped", R"({\rtf1 a{\*\unknown secret {\b nested}}b})", u"ab"},
    {"KnownDestinationsSkipped",
     R"({\rtf1{\info{\title T}{\author A}}{\stylesheet{\s0 Normal;}}{\*\generator G;}text{\pict\pngblip 89504e47}})",
     u"text"},
    {"FieldResultKept", R"({\rtf1 see {\field{\*\fldinst HYPERLINK "x"}{\fldrslt here}} now})",
     u"see here now"},
    {"Table",
     R"({\rtf1 \trowd\cellx1000\cellx2000 \intbl a\cell b\cell\row \trowd\cellx1000\cellx2000 \intbl c\cell d\cell\row after\par})",
     u"a\tb\nc\td\nafter"},
    {"BinSkipped", std::string("{\\rtf1 a{\\*\\blob\\bin4 }{}\\}b}"), u"ab"},
    {"BinInTextSkipped", std::string("{\\rtf1 a\\bin3 x}yb}"), u"ab"},
    {"BinCountPastEnd", std::string("{\\rtf1 a\\bin999999 xyz"), u"a"},
    {"UnbalancedOpen", R"({\rtf1 a{\b b)", u"ab"},
    {"UnbalancedClose", R"({\rtf1 a}}} b})", u"a"},
    {"StrayClosingFirst", R"(}}{\rtf1 x})", u"x"},
    {"TruncatedHex", R"({\rtf1 a\'c)", u"a"},
    {"TruncatedHexNoDigits", R"({\rtf1 a\')", u"a"},
    {"BadHexDigits", R"({\rtf1 a\'zzb})", u"azzb"},
    {"LoneBackslashAtEnd", "{\\rtf1 a\\", u"a"},
    // The character after \u is its fallback, so "b" goes.
    {"HugeNumbers", R"({\rtf1\fs99999999999999999999 a\u99999999999999 b\cf-5 c})", u"a\uFFFFc"},
    {"EmptyDocument", R"({\rtf1})", u""},
    {"UrtfHeader", R"({urtf1 {\b bold}})", u"bold"},
    {"Empty", "", u""},
    {"NotRtfAtAll", "just text", u"just text"},
    {"TextAfterTheDocumentIgnored", R"({\rtf1 a}trailing)", u"a"},
    {"NumberedListTextKept", R"({\rtf1\pard{\listtext 1.\tab}first\par{\listtext 2.\tab}second\par})",
     u"1.\tfirst\n2.\tsecond"},
    {"BulletListTextDropped", R"({\rtf1\pard{\pntext\f1\'B7\tab}{\*\pn\pnlvlblt\pnf1{\pntxtb\'B7}}item\par})",
     u"item"},
};

INSTANTIATE_TEST_SUITE_P(Snippets, RtfTextTest, ::testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

const TRtfRun& RunAt(const TRtfDocument& doc, Integer pos) {
  const TRtfRun* run = doc.RunAt(pos);
  if (!run) throw std::runtime_error("no run at " + std::to_string(pos));
  return *run;
}

TEST(RtfReaderTest, CharacterFormattingAtPositions) {
  const TRtfDocument doc = ReadRtf(
      R"({\rtf1\ansi\ansicpg1251\deff0{\fonttbl{\f0\fswiss\fcharset204 Arial;}{\f1\fmodern\fprq1\fcharset204 Courier New;}})"
      R"({\colortbl ;\red255\green0\blue0;\red0\green0\blue255;})"
      R"(\f0\fs20 n{\b b}{\i i}{\ul u}{\strike s}\ul x\ulnone y{\f1\fs28 m}{\cf1 r}{\highlight2 h}{\cb2 k}\b z\plain p})");
  ASSERT_EQ(StringToUtf8(doc.PlainText()), "nbiusxymrhkzp");
  EXPECT_EQ(StringToUtf8(RunAt(doc, 0).Format.FontName), "Arial");
  EXPECT_EQ(RunAt(doc, 0).Format.HalfPoints, 20);
  EXPECT_EQ(RunAt(doc, 0).Format.Style, TFontStyles());
  EXPECT_EQ(RunAt(doc, 0).Format.Charset, 204);
  EXPECT_EQ(RunAt(doc, 1).Format.Style, TFontStyles{fsBold});
  EXPECT_EQ(RunAt(doc, 2).Format.Style, TFontStyles{fsItalic});
  EXPECT_EQ(RunAt(doc, 3).Format.Style, TFontStyles{fsUnderline});
  EXPECT_EQ(RunAt(doc, 4).Format.Style, TFontStyles{fsStrikeOut});
  EXPECT_EQ(RunAt(doc, 5).Format.Style, TFontStyles{fsUnderline});
  EXPECT_EQ(RunAt(doc, 6).Format.Style, TFontStyles());
  EXPECT_EQ(StringToUtf8(RunAt(doc, 7).Format.FontName), "Courier New");
  EXPECT_EQ(RunAt(doc, 7).Format.Pitch, fpFixed);
  EXPECT_EQ(RunAt(doc, 7).Format.HalfPoints, 28);
  EXPECT_EQ(RunAt(doc, 8).Format.Color, static_cast<TColor>(0x0000FF));
  EXPECT_EQ(RunAt(doc, 8).Format.HalfPoints, 20);  // the group ended: back to the outer size
  EXPECT_EQ(RunAt(doc, 9).Format.BackColor, static_cast<TColor>(0xFF0000));
  EXPECT_EQ(RunAt(doc, 10).Format.BackColor, static_cast<TColor>(0xFF0000));
  EXPECT_EQ(RunAt(doc, 9).Format.Color, clDefault);
  EXPECT_EQ(RunAt(doc, 11).Format.Style, TFontStyles{fsBold});
  // \plain drops character formatting back to the default font.
  EXPECT_EQ(RunAt(doc, 12).Format.Style, TFontStyles());
  EXPECT_EQ(StringToUtf8(RunAt(doc, 12).Format.FontName), "Arial");
  EXPECT_EQ(RunAt(doc, 12).Format.HalfPoints, 0);
}

TEST(RtfReaderTest, AutomaticColourAndOutOfRangeIndexes) {
  const TRtfDocument doc =
      ReadRtf(R"({\rtf1{\colortbl;\red1\green2\blue3;}{\cf0 a}{\cf1 b}{\cf7 c}{\highlight0 d}})");
  EXPECT_EQ(RunAt(doc, 0).Format.Color, clDefault);
  EXPECT_EQ(RunAt(doc, 1).Format.Color, static_cast<TColor>(0x030201));
  EXPECT_EQ(RunAt(doc, 2).Format.Color, clDefault);
  EXPECT_EQ(RunAt(doc, 3).Format.BackColor, clNone);
}

TEST(RtfReaderTest, ParagraphFormatting) {
  const TRtfDocument doc = ReadRtf(
      R"({\rtf1\pard\qc centre\par\pard\qr right\par\qj just\par\pard\fi-360\li720\ri240\tx1440\tx2880 ind\par left\par})");
  ASSERT_EQ(doc.Paragraphs.size(), 5u);
  EXPECT_EQ(doc.Paragraphs[0].Format.Alignment, raCenter);
  EXPECT_EQ(doc.Paragraphs[1].Format.Alignment, raRight);
  EXPECT_EQ(doc.Paragraphs[2].Format.Alignment, raJustify);  // no \pard: \qj replaces \qr
  const TRtfParaFormat& ind = doc.Paragraphs[3].Format;
  EXPECT_EQ(ind.Alignment, raLeft);
  EXPECT_EQ(ind.FirstIndent, -360);
  EXPECT_EQ(ind.LeftIndent, 720);
  EXPECT_EQ(ind.RightIndent, 240);
  EXPECT_EQ(ind.Tabs, (std::vector<Integer>{1440, 2880}));
  // Paragraph properties last until \pard.
  EXPECT_EQ(doc.Paragraphs[4].Format.LeftIndent, 720);
}

TEST(RtfReaderTest, BulletsFromOldAndNewListSyntax) {
  const TRtfDocument doc =
      ReadRtf(R"({\rtf1{\fonttbl{\f0 Arial;}{\f1\fcharset2 Symbol;}})"
              R"(\pard{\pntext\f1\'B7\tab}{\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\'B7}}\fi-200\li200 one\par)"
              R"({\pntext\f1\'B7\tab}two\par)"
              R"(\pard plain\par)"
              R"(\pard\plain{\listtext\pard\plain \u8226\'95\tab}\ls1 three\par)"
              R"(\pard four\par})");
  ASSERT_EQ(StringToUtf8(doc.PlainText()), "one\ntwo\nplain\nthree\nfour");
  EXPECT_TRUE(doc.Paragraphs[0].Format.Bullet);
  EXPECT_TRUE(doc.Paragraphs[1].Format.Bullet);
  EXPECT_FALSE(doc.Paragraphs[2].Format.Bullet);
  EXPECT_TRUE(doc.Paragraphs[3].Format.Bullet);
  EXPECT_FALSE(doc.Paragraphs[4].Format.Bullet);
}

TEST(RtfReaderTest, DetectsRtf) {
  EXPECT_TRUE(IsRtfData("{\\rtf1 x}"));
  EXPECT_TRUE(IsRtfData("{urtf1 x}"));
  EXPECT_FALSE(IsRtfData(" {\\rtf1 x}"));
  EXPECT_FALSE(IsRtfData("{\\RTF1"));
  EXPECT_FALSE(IsRtfData("{\\rt"));
}

TEST(RtfReaderTest, EveryPrefixOfADocumentReadsWithoutFailing) {
  const std::string rtf =
      R"({\rtf1\ansi\ansicpg1251\deff0{\fonttbl{\f0\fcharset204 Arial;}}{\colortbl ;\red255\green0\blue0;})"
      R"(\pard\qc{\b\cf1 \'cf\'f0\u1080?\'e2\'e5\'f2}\par{\*\x y}\trowd a\cell b\cell\row\bin2 zz})";
  for (size_t n = 0; n <= rtf.size(); ++n) {
    const TRtfDocument doc = ReadRtf(std::string_view(rtf).substr(0, n));
    EXPECT_FALSE(doc.Paragraphs.empty()) << n;
  }
  EXPECT_EQ(StringToUtf8(ReadRtf(rtf).PlainText()), "Привет\na\tb");
}

TEST(RtfWriterTest, WrittenDocumentsReadBackTheSame) {
  TRtfDocument doc;
  TRtfParagraph p1;
  p1.Format.Alignment = raCenter;
  TRtfCharFormat bold;
  bold.FontName = u"Arial";
  bold.HalfPoints = 24;
  bold.Style = TFontStyles{fsBold};
  bold.Charset = 204;
  TRtfCharFormat red = bold;
  red.Style = TFontStyles{fsItalic, fsUnderline, fsStrikeOut};
  red.Color = static_cast<TColor>(0x0000FF);
  red.BackColor = static_cast<TColor>(0x00FFFF);
  TRtfCharFormat mono;
  mono.FontName = u"Courier New";
  mono.HalfPoints = 18;
  mono.Pitch = fpFixed;
  mono.Charset = 204;
  p1.Runs = {{u"Привет, ", bold}, {u"мир {x} \\ y", red}};
  TRtfParagraph p2;
  p2.Format.Alignment = raRight;
  p2.Format.FirstIndent = -360;
  p2.Format.LeftIndent = 720;
  p2.Format.RightIndent = 100;
  p2.Format.Tabs = {1000, 2000};
  p2.Runs = {{u"a\tb\u2028c € 中文 \U0001F600", mono}};
  TRtfParagraph p3;  // an empty paragraph in the middle
  TRtfParagraph p4;
  p4.Format.Bullet = true;
  p4.Format.Alignment = raJustify;
  p4.Runs = {{u"item", mono}};
  doc.Paragraphs = {p1, p2, p3, p4};

  const std::string rtf = WriteRtf(doc);
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1251", 0), 0u);
  // Cyrillic goes as windows-1251 bytes, what the code page lacks as \u.
  EXPECT_NE(rtf.find("\\'cf\\'f0\\'e8"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\u20013?"), std::string::npos) << rtf;
  for (unsigned char c : rtf) EXPECT_LT(c, 0x80);

  const TRtfDocument back = ReadRtf(rtf);
  ASSERT_EQ(back.Paragraphs.size(), doc.Paragraphs.size());
  EXPECT_EQ(StringToUtf8(back.PlainText()), StringToUtf8(doc.PlainText()));
  for (size_t i = 0; i < doc.Paragraphs.size(); ++i) {
    EXPECT_EQ(back.Paragraphs[i].Format, doc.Paragraphs[i].Format) << i;
    ASSERT_EQ(back.Paragraphs[i].Runs.size(), doc.Paragraphs[i].Runs.size()) << i;
    for (size_t r = 0; r < doc.Paragraphs[i].Runs.size(); ++r) {
      EXPECT_EQ(StringToUtf8(back.Paragraphs[i].Runs[r].Text), StringToUtf8(doc.Paragraphs[i].Runs[r].Text));
      EXPECT_EQ(back.Paragraphs[i].Runs[r].Format, doc.Paragraphs[i].Runs[r].Format) << i << "/" << r;
    }
  }
}

TEST(RtfWriterTest, EmptyDocumentStaysOneEmptyParagraph) {
  const TRtfDocument back = ReadRtf(WriteRtf(TRtfDocument{{TRtfParagraph()}}));
  ASSERT_EQ(back.Paragraphs.size(), 1u);
  EXPECT_TRUE(back.PlainText().empty());
  // A document read and written again does not grow empty paragraphs.
  const std::string once = WriteRtf(ReadRtf(R"({\rtf1 a\par b\par})"));
  EXPECT_EQ(WriteRtf(ReadRtf(once)), once);
}

}  // namespace
