// The PDF filter read back with qpdf and poppler: a valid file, embedded fonts, the Cyrillic text in
// reading order, widths that agree with the placement, escaped information, the page range, and no
// file at all when writing fails.
#include <fstream>
#include <iterator>
#include <sstream>

#include "FilterTestSupport.h"
#include "platform/classes/Encoding.h"
#include "reportlib/output/QRError.h"
#include "reportlib/output/filters/QRPDFFilter.h"

namespace {

class QRPDFFilterTest : public ::testing::Test {
 protected:
  void SetUp() override { InitTestApplication(); }
  TScratchDir dir;
  TTestReport report;
};

// The words of one page with their boxes, as pdftotext -bbox gives them.
struct TWordBox {
  double xMin, xMax;
  std::string word;
};

// A field of pdfinfo's answer, without the padding.
std::string InfoField(const std::string& pdf, const std::string& field) {
  std::istringstream in(RunTool("pdfinfo '" + pdf + "'"));
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(field + ":", 0) == 0) return line.substr(line.find_first_not_of(' ', field.size() + 1));
  return {};
}

std::vector<TWordBox> WordBoxes(const std::string& pdf, int page) {
  const std::string html = RunTool("pdftotext -bbox -f " + std::to_string(page) + " -l " +
                                   std::to_string(page) + " " + pdf + " -");
  std::vector<TWordBox> words;
  std::istringstream in(html);
  std::string line;
  while (std::getline(in, line)) {
    const size_t at = line.find("<word xMin=\"");
    if (at == std::string::npos) continue;
    TWordBox w{};
    std::sscanf(line.c_str() + at, "<word xMin=\"%lf\" yMin=\"%*f\" xMax=\"%lf\"", &w.xMin, &w.xMax);
    w.word = line.substr(line.find('>') + 1);
    w.word = w.word.substr(0, w.word.find("</word>"));
    words.push_back(w);
  }
  return words;
}

TEST_F(QRPDFFilterTest, ReportBecomesValidPdfWithEmbeddedFontsAndCyrillicInReadingOrder) {
  const std::string pdf = dir.File("остатки.pdf");
  TQRPDFDocumentFilter filter(dir.FileS("остатки.pdf"));
  report.Run(filter);

  EXPECT_NE(RunTool("qpdf --check '" + pdf + "'").find("No syntax or stream encoding errors"),
            std::string::npos);
  EXPECT_EQ(InfoField(pdf, "Pages"), "3");
  const std::string fonts = RunTool("pdffonts '" + pdf + "'");
  // Two fonts (regular and bold), each a CID TrueType font embedded as a subset with a ToUnicode map.
  std::istringstream lines(fonts);
  std::string line;
  int embedded = 0;
  while (std::getline(lines, line))
    if (line.find("CID TrueType") != std::string::npos) {
      EXPECT_NE(line.find("yes yes yes"), std::string::npos) << line;
      EXPECT_NE(line.find("+LiberationSans"), std::string::npos) << line;
      ++embedded;
    }
  EXPECT_EQ(embedded, 2) << fonts;

  const std::string text = RunTool("pdftotext -layout -f 1 -l 1 '" + pdf + "' -");
  const char* inOrder[] = {"Остатки на складе — страница 1",
                           "Наименование",
                           "Количество",
                           "Болт М8×40 оцинкованный",
                           "1250",
                           "Лист стальной 2 мм",
                           "34,5",
                           "«серая»",
                           "Гайка М8 & шайба <DIN 125>"};
  size_t at = 0;
  for (const char* piece : inOrder) {
    const size_t found = text.find(piece, at);
    ASSERT_NE(found, std::string::npos) << piece << " after " << at << " in\n" << text;
    at = found;
  }
  EXPECT_NE(RunTool("pdftotext -f 3 -l 3 '" + pdf + "' -").find("страница 3"), std::string::npos);
  const std::string images = RunTool("pdfimages -list '" + pdf + "'");
  EXPECT_NE(images.find("   60    40  rgb"), std::string::npos) << images;
  EXPECT_FALSE(std::filesystem::exists(pdf + ".partial"));
}

// Right-aligned and centred texts land where the report puts them: the widths written for the reader
// are the widths the filter placed the text with, both in thousandths of the em.
// Right-aligned and centred texts land where the report puts them: the widths written for the reader
// are the widths the filter placed the text with, both in thousandths of the em, in composite and in
// single-byte fonts.
TEST_F(QRPDFFilterTest, AlignedTextEndsWhereTheReportPutsIt) {
  for (TFontHandling handling : {fhAutoEmbed, fhNoEmbedding}) {
    SCOPED_TRACE(handling);
    const std::string pdf = dir.File("a" + std::to_string(handling) + ".pdf");
    TQRPDFDocumentFilter filter(Utf8ToString(pdf));
    filter.SetFontHandling(handling);
    report.Run(filter);
    const double right = 1500 * 72 / 254.0, centre = 1050 * 72 / 254.0;
    bool sawRight = false, sawTitle = false;
    double titleMin = 1e9, titleMax = 0;
    for (const TWordBox& w : WordBoxes(pdf, 1)) {
      if (w.word == "Количество" || w.word == "1250" || w.word == "34,5") {
        EXPECT_NEAR(w.xMax, right, 0.35) << w.word;
        sawRight = true;
      }
      if (w.word == "Остатки" || w.word == "1") {
        titleMin = std::min(titleMin, w.xMin);
        titleMax = std::max(titleMax, w.xMax);
        sawTitle = true;
      }
    }
    EXPECT_TRUE(sawRight && sawTitle);
    EXPECT_NEAR((titleMin + titleMax) / 2, centre, 0.5);
  }
}

TEST_F(QRPDFFilterTest, InformationStringsAreEscapedAndOffsetsCountBytes) {
  const std::string pdf = dir.File("info.pdf");
  TQRPDFDocumentFilter filter(dir.FileS("info.pdf"));
  filter.SetDocumentInfo(u"Склад", u"Иванов (кладовщик)", u"Отчёт (итог) \\ 100%", u"Итоги)");
  TQRPDFDocumentFilter::MetaData()->Add(u"Keywords, остатки, склад");  // two commas: not a pair
  TQRPDFDocumentFilter::MetaData()->Add(u"Department, Цех (№2)");
  filter.SetCompressionOn(false);  // Cyrillic bytes then sit in the page streams before later objects
  report.Run(filter);
  TQRPDFDocumentFilter::MetaData()->Clear();

  const std::string check = RunTool("qpdf --check '" + pdf + "'");
  EXPECT_NE(check.find("No syntax or stream encoding errors"), std::string::npos) << check;
  EXPECT_EQ(check.find("WARNING"), std::string::npos) << check;
  EXPECT_EQ(InfoField(pdf, "Title"), "Отчёт (итог) \\ 100%");
  EXPECT_EQ(InfoField(pdf, "Author"), "Иванов (кладовщик)");
  EXPECT_EQ(InfoField(pdf, "Subject"), "Итоги)");
  const std::string bytes = RunTool("cat '" + pdf + "'");
  EXPECT_NE(bytes.find("/Department <FEFF"), std::string::npos);
  EXPECT_EQ(bytes.find("/Keywords"), std::string::npos);
}

TEST_F(QRPDFFilterTest, FontHandlingChoosesStandardOrUnembeddedFonts) {
  struct Case {
    TFontHandling handling;
    const char* expected[2];
    const char* text;      // what pdftotext reads of the title
    const char* embedded;  // the font that carries what the code page lacks ("×"), if any
  } cases[] = {
      {fhSubstitute,
       {"Helvetica                            Type 1", "Helvetica-Bold                       Type 1"},
       "??????? ?? ?????? — ???????? 1",
       nullptr},
      {fhNoEmbedding,
       {"Arial                                TrueType          Custom           no  no  yes",
        "Arial,Bold                           TrueType          Custom           no  no  yes"},
       "Остатки на складе — страница 1",
       "LiberationSans                CID TrueType      Identity-H       yes yes yes"},
  };
  for (const Case& c : cases) {
    const std::string pdf = dir.File("f" + std::to_string(c.handling) + ".pdf");
    TQRPDFDocumentFilter filter(Utf8ToString(pdf));
    filter.SetFontHandling(c.handling);
    report.Run(filter);
    const std::string fonts = RunTool("pdffonts " + pdf);
    for (const char* e : c.expected) EXPECT_NE(fonts.find(e), std::string::npos) << e << "\n" << fonts;
    if (c.embedded)
      EXPECT_NE(fonts.find(c.embedded), std::string::npos) << fonts;
    else
      EXPECT_EQ(fonts.find(" yes yes "), std::string::npos) << "nothing embedded\n" << fonts;
    EXPECT_NE(RunTool("qpdf --check " + pdf).find("No syntax or stream encoding errors"), std::string::npos);
    EXPECT_NE(RunTool("pdftotext -f 1 -l 1 " + pdf + " -").find(c.text), std::string::npos) << c.handling;
  }
  // The single-byte Cyrillic font names the code page's characters with the font's own glyph names:
  // code 192 is U+0410.
  {
    TQRPDFDocumentFilter filter(u"");
    filter.SetFontHandling(fhNoEmbedding);
    filter.SetCompressionOn(false);
    report.Run(filter);
    const std::string bytes(static_cast<const char*>(filter.GetStream()->GetMemory()),
                            static_cast<size_t>(filter.GetStream()->GetSize()));
    const size_t at = bytes.find("/Differences [ 32");
    ASSERT_NE(at, std::string::npos);
    std::istringstream names(bytes.substr(at + 17, bytes.find(']', at) - at - 17));
    std::vector<std::string> list(std::istream_iterator<std::string>{names}, {});
    ASSERT_EQ(list.size(), 224u);
    EXPECT_EQ(list[192 - 32], "/afii10017");
    EXPECT_EQ(list['A' - 32], "/A");
    EXPECT_EQ(list[0x98 - 32], "/.notdef");
  }
  // Standard names under the substitution list.
  TQRPDFFontList list;
  struct Name {
    const char16_t* font;
    bool bold, italic;
    const char16_t* base;
  } names[] = {{u"Courier New", true, true, u"Courier-BoldOblique"},
               {u"Times New Roman", false, false, u"Times"},
               {u"Times New Roman", false, true, u"Times-Italic"},
               {u"Arial", true, true, u"Helvetica-BoldOblique"},
               {u"Tahoma", false, false, u"Courier"}};
  for (const Name& n : names)
    EXPECT_EQ(StringToUtf8(list.StandardBaseName(TQRPDFFont(n.font, n.bold, n.italic, 204))),
              StringToUtf8(n.base));
}

TEST_F(QRPDFFilterTest, PageRangeOfThePrinterKeepsOnlyThosePages) {
  const std::string pdf = dir.File("range.pdf");
  TQRPDFDocumentFilter filter(Utf8ToString(pdf));
  report.printer.SetFirstPage(2);
  report.printer.SetLastPage(3);
  report.Run(filter);
  EXPECT_EQ(InfoField(pdf, "Pages"), "2");
  const std::string text = RunTool("pdftotext " + pdf + " -");
  EXPECT_EQ(text.find("страница 1"), std::string::npos);
  EXPECT_NE(text.find("страница 2"), std::string::npos);
  EXPECT_NE(text.find("страница 3"), std::string::npos);
}

TEST_F(QRPDFFilterTest, FailedWritingLeavesNoFileBehind) {
  const std::string pdf = dir.File("bad.pdf");
  TQRPDFDocumentFilter filter(Utf8ToString(pdf));
  String widths;
  for (int i = 0; i < 255; ++i) widths += u"500 ";
  filter.AddCustomWidths(u"Arial", widths);
  try {
    report.Run(filter);
    FAIL() << "too few widths accepted";
  } catch (const ERangeError& e) {
    EXPECT_NE(
        StringToUtf8(e.Message()).find("Not enough Custom widths (255 < 256) for font \"Arial\t\t1\tArial\""),
        std::string::npos)
        << StringToUtf8(e.Message());
  }
  EXPECT_FALSE(std::filesystem::exists(pdf));
  EXPECT_FALSE(std::filesystem::exists(pdf + ".partial"));
}

TEST_F(QRPDFFilterTest, WithoutFileNameTheDocumentGoesToTheStreamTextFirstWhenAsked) {
  TQRPDFDocumentFilter filter(u"");
  filter.SetCompressionOn(false);
  filter.SetTextOnTop(false);
  report.Run(filter);
  TMemoryStream* stream = filter.GetStream();
  ASSERT_NE(stream, nullptr);
  const std::string bytes(static_cast<const char*>(stream->GetMemory()),
                          static_cast<size_t>(stream->GetSize()));
  EXPECT_EQ(bytes.rfind("%PDF-1.3", 0), 0u);
  EXPECT_EQ(bytes.substr(bytes.size() - 6), "%%EOF\n");
  const size_t firstPage = bytes.find("stream\n");
  EXPECT_LT(bytes.find("BT\n", firstPage), bytes.find(" re S", firstPage));
  std::FILE* f = std::fopen(dir.File("s.pdf").c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  EXPECT_NE(RunTool("qpdf --check " + dir.File("s.pdf")).find("No syntax or stream encoding errors"),
            std::string::npos);
}

}  // namespace

namespace {

// The page's content of a one-page document holding one shape, uncompressed.
std::string ShapeContent(const TQRExportShape& shape) {
  TQRPDFDocumentFilter filter(u"");
  filter.SetCompressionOn(false);
  TFont font;
  filter.Start(2100, 2970, &font);
  filter.NewPage();
  filter.AcceptShape(96, 96, shape);  // one inch from the top left at the screen's 96 dpi
  filter.EndPage();
  filter.Finish();
  const std::string bytes(static_cast<const char*>(filter.GetStream()->GetMemory()),
                          static_cast<size_t>(filter.GetStream()->GetSize()));
  const size_t start = bytes.find("stream\n") + 7;
  return bytes.substr(start, bytes.find("\nendstream", start) - start);
}

TEST(QRPDFShapeTest, ShapesAreFilledThenOutlinedAsTheirPenAndBrushSay) {
  InitTestApplication();
  struct Case {
    const char* name;
    TQRExportShapeType shape;
    TBrushStyle brush;
    TPenStyle pen;
    const char* content;
  } cases[] = {
      {"filled box with pen", qesRectangle, bsSolid, psSolid,
       "1 1 0 rg\n72 733.89 72 36 re f\n0.75 w\n0 0 1 RG\n72 733.89 72 36 re S\n"},
      {"empty box", qesRectangle, bsClear, psSolid, "0.75 w\n0 0 1 RG\n72 733.89 72 36 re S\n"},
      {"box without pen", qesRectangle, bsSolid, psClear, "1 1 0 rg\n72 733.89 72 36 re f\n"},
      {"horizontal line", qesHorLine, bsSolid, psSolid, "0.75 w\n0 0 1 RG\n72 751.89 m 144 751.89 l S\n"},
      {"top and bottom", qesTopAndBottom, bsClear, psSolid,
       "0.75 w\n0 0 1 RG\n72 769.89 m 144 769.89 l S\n72 733.89 m 144 733.89 l S\n"},
  };
  for (const Case& c : cases) {
    TQRExportShape shape;
    shape.Shape = c.shape;
    shape.Width = 96;
    shape.Height = 48;
    shape.BrushColor = 0x00FFFF;
    shape.PenColor = 0xFF0000;
    shape.BrushStyle = c.brush;
    shape.PenStyle = c.pen;
    EXPECT_EQ(ShapeContent(shape), c.content) << c.name;
  }
}

TEST(QRPDFShapeTest, ConcatenatedReportsShareOneDocument) {
  InitTestApplication();
  TScratchDir dir;
  TTestReport report;
  TQRPDFDocumentFilter filter(dir.FileS("two.pdf"));
  filter.SetConcatenating(true);
  report.Run(filter);
  EXPECT_FALSE(std::filesystem::exists(dir.File("two.pdf")));
  report.Run(filter);
  filter.EndConcat();
  EXPECT_NE(RunTool("pdfinfo " + dir.File("two.pdf")).find("Pages:           6"), std::string::npos);
}

}  // namespace

namespace {

// Every character of the Cyrillic code page's upper half is named so that a reader without the font
// finds it: with the text map taken away, the reader's own reading of the glyph names gives the text.
TEST(QRPDFCodePageTest, UnembeddedCodePageNamesEveryCharacterForTheReader) {
  InitTestApplication();
  TScratchDir dir;
  String upper;
  for (int code = 0x80; code <= 0xFF; ++code) {
    const String c = TEncoding::Default()->GetString(std::string(1, static_cast<char>(code)));
    if (c[0] > 0xA0 && c[0] != 0xAD) upper += c;  // no blanks and no soft hyphen, which readers drop
  }
  TFont font;
  font.SetName(u"Arial");
  font.SetSize(12);
  font.SetCharset(204);
  TQRPDFDocumentFilter filter(u"");
  filter.SetFontHandling(fhNoEmbedding);
  filter.SetCompressionOn(false);
  filter.Start(2100, 2970, &font);
  filter.NewPage();
  for (size_t at = 0; at < upper.size(); at += 30)
    filter.TextOut(100, 100 + static_cast<Extended>(at) * 3, &font, clWhite, taLeftJustify,
                   upper.substr(at, 30));
  filter.EndPage();
  filter.Finish();
  std::string bytes(static_cast<const char*>(filter.GetStream()->GetMemory()),
                    static_cast<size_t>(filter.GetStream()->GetSize()));
  const size_t map = bytes.find("/ToUnicode");
  ASSERT_NE(map, std::string::npos);
  bytes.replace(map, 10, "/ToUnicodX");  // same length: the offsets stay right
  std::ofstream(dir.File("names.pdf"), std::ios::binary) << bytes;
  ASSERT_NE(
      RunTool("pdffonts " + dir.File("names.pdf")).find("TrueType          Custom           no  no  no"),
      std::string::npos);
  std::string text = RunTool("pdftotext " + dir.File("names.pdf") + " -");
  std::erase_if(text, [](char c) { return c == '\n' || c == '\f'; });
  EXPECT_EQ(text, StringToUtf8(upper));
}

}  // namespace
