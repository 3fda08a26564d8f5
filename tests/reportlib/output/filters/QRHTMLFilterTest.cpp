// The HTML filter: a page that declares the charset it is written in, pictures beside it, pages
// stacked at their paper height, page files named after the target with working links, positions that
// agree whatever the printer's resolution, and shared settings that only a real filter resets.
#include <fstream>
#include <regex>
#include <sstream>

#include "FilterTestSupport.h"
#include "reportlib/output/filters/QRHTMLFilter.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The top of the element that holds the text, in pixels.
int TopOf(const std::string& html, const std::string& text) {
  const size_t at = html.find("\r\n" + text + "\r\n");
  if (at == std::string::npos) return -1;
  const size_t top = html.rfind("top:", at);
  return std::atoi(html.c_str() + top + 4);
}

class QRHTMLFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    TQRGHTMLDocumentFilter::Settings() = THTMLFilterSettings();
  }
  TScratchDir dir;
  TTestReport report;
};

TEST_F(QRHTMLFilterTest, OneDocumentDeclaresUtf8StacksPagesAndKeepsPicturesBesideIt) {
  std::filesystem::create_directories(dir.File("отчёты.2026"));
  const std::string path = dir.File("отчёты.2026/остатки.htm");
  TQRGHTMLDocumentFilter filter(Utf8ToString(path));
  report.Run(filter);
  const std::string html = ReadFile(path);
  EXPECT_NE(html.find("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"),
            std::string::npos);
  EXPECT_EQ(html.find("onload="), std::string::npos) << "no script is written for it to call";
  // Page anchors at the paper height in CSS pixels: 2970 × 96 / 254 per page.
  for (auto [page, top] : {std::pair{1, 0}, {2, 1123}, {3, 2245}})
    EXPECT_NE(html.find("id=\"page" + std::to_string(page) +
                        "\" class=\"pagemarker\" style=\"position:absolute;left:0px;top:" +
                        std::to_string(top) + "px;\""),
              std::string::npos)
        << page;
  EXPECT_NE(html.find("\r\nОстатки&nbsp;на&nbsp;складе&nbsp;—&nbsp;страница&nbsp;3\r\n"), std::string::npos);
  EXPECT_NE(html.find("\r\nГайка&nbsp;М8&nbsp;&amp;&nbsp;шайба&nbsp;&lt;DIN&nbsp;125&gt;\r\n"),
            std::string::npos);
  // The first row, 320 tenths of a millimetre down the page.
  EXPECT_EQ(TopOf(html, "Болт&nbsp;М8×40&nbsp;оцинкованный"), 121);
  EXPECT_NE(html.find("<img src=\"Logo.jpg\""), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir.File("отчёты.2026/Logo.jpg")));
  EXPECT_NE(RunTool("file '" + dir.File("отчёты.2026/Logo.jpg") + "'").find("JPEG image data"),
            std::string::npos);
  EXPECT_EQ(html.find("color:"), html.find("color:#808080"))
      << "black and window-text get no colour declaration";

  // The browser shows the texts without a word on its console.
  const std::string browser = RunTool(
      "chromium --headless --no-sandbox --disable-gpu --disable-background-networking --no-first-run "
      "--user-data-dir=" +
      dir.File("chromium") + " --enable-logging=stderr --v=0 --dump-dom 'file://" + path + "'");
  EXPECT_NE(browser.find("Остатки&nbsp;на&nbsp;складе&nbsp;—&nbsp;страница&nbsp;2"), std::string::npos)
      << browser;
  EXPECT_EQ(browser.find("CONSOLE"), std::string::npos) << browser;
}

TEST_F(QRHTMLFilterTest, PageFilesCarryLinksToPagesThatExist) {
  std::filesystem::create_directories(dir.File("my.reports"));
  TQRGHTMLDocumentFilter filter(dir.FileS("my.reports/rep.v1.htm"));
  THTMLFilterSettings& s = TQRGHTMLDocumentFilter::Settings();
  s.MultiPage = true;
  s.PageLinks = true;
  s.FirstLastLinks = true;
  report.Run(filter);
  struct Case {
    const char* file;
    std::vector<const char*> links;  // caption and target, in order
  } cases[] = {
      {"rep1.html", {"rep2.html\">Next page", "rep3.html\">Last page"}},
      {"rep2.html", {"rep1.html\">Previous page", "rep3.html\">Next page"}},
      {"rep3.html", {"rep1.html\">First page", "rep2.html\">Previous page"}},
  };
  for (const Case& c : cases) {
    const std::string html = ReadFile(dir.File(std::string("my.reports/") + c.file));
    ASSERT_FALSE(html.empty()) << c.file;
    EXPECT_NE(html.find("charset=utf-8"), std::string::npos);
    std::smatch m;
    std::string rest = html;
    std::vector<std::string> seen;
    std::regex link("<a href=\"([^<]*)</a>");
    while (std::regex_search(rest, m, link)) {
      seen.push_back(m[1]);
      rest = m.suffix();
    }
    ASSERT_EQ(seen.size(), c.links.size()) << c.file;
    for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], c.links[i]) << c.file;
    // Every page starts at the top of its own file: the title 100 tenths of a millimetre down.
    const std::string number(1, c.file[3]);
    EXPECT_EQ(TopOf(html, "Остатки&nbsp;на&nbsp;складе&nbsp;—&nbsp;страница&nbsp;" + number), 38) << c.file;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("my.reports/rep4.html")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("my1.html")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("my.reports/Logo.jpg")));
}

// The printer's resolution changes its pixels, not where things land on the page.
TEST_F(QRHTMLFilterTest, PositionsAgreeWhateverThePrintersResolution) {
  for (double dpi : {96.0, 300.0, 600.0}) {
    SCOPED_TRACE(dpi);
    report.printer.SetXFactor(dpi / 254);
    report.printer.SetYFactor(dpi / 254);
    TQRGHTMLDocumentFilter filter(u"");
    filter.SetOriginalQRPrinter(&report.printer);
    filter.Start(2100, 2970, &report.body);
    filter.NewPage();
    filter.NewPage();
    report.Text(filter, 1000, 500, &report.body, taLeftJustify, u"метка", 1);
    TQRExportShape line;
    line.Shape = qesRectangle;
    line.Width = line.Height = 10;
    line.BrushStyle = bsClear;
    filter.AcceptShape(report.printer.XPos(1000), report.printer.YPos(500), line);
    filter.Finish();
    TMemoryStream* stream = filter.GetStream();
    const std::string html(static_cast<const char*>(stream->GetMemory()),
                           static_cast<size_t>(stream->GetSize()));
    const int expectedTop = 1123 + 189, expectedLeft = 378;  // 500 and 1000 tenths of a mm at 96 to the inch
    EXPECT_EQ(TopOf(html, "метка"), expectedTop);
    const std::string shape =
        "left:" + std::to_string(expectedLeft) + "px;top:" + std::to_string(expectedTop) + "px;";
    EXPECT_NE(html.find(shape), std::string::npos) << html;
  }
}

TEST_F(QRHTMLFilterTest, EncodingPictureFolderAndStreamAreHonoured) {
  struct Case {
    const char* name;
    TTextEncoding encoding;
    const char* pictureDir;
    const char* charset;
    const char* src;
    const char* pictureFile;
  } cases[] = {
      {"cp1251 page", AnsiEncoding, "", "windows-1251", "Logo.jpg", "Logo.jpg"},
      {"relative picture folder", UTF8Encoding, "img", "utf-8", "img/Logo.jpg", "img/Logo.jpg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TScratchDir here;
    TQRGHTMLDocumentFilter::Settings().TextEncoding = c.encoding;
    TQRGHTMLDocumentFilter filter(here.FileS("r.htm"));
    TQRGHTMLDocumentFilter::Settings().PictureDir = Utf8ToString(c.pictureDir);
    report.Run(filter);
    const std::string html = ReadFile(here.File("r.htm"));
    EXPECT_NE(html.find(std::string("charset=") + c.charset + "\""), std::string::npos);
    EXPECT_NE(html.find(std::string("<img src=\"") + c.src + "\""), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(here.File(c.pictureFile)));
    // The text reads back in the declared charset.
    const std::string utf8 =
        RunTool("iconv -f " + std::string(c.charset) + " -t utf-8 '" + here.File("r.htm") + "'");
    EXPECT_NE(utf8.find("Остатки&nbsp;на&nbsp;складе"), std::string::npos);
  }
  // Without a file the page carries its picture inside.
  TQRGHTMLDocumentFilter filter(u"");
  report.Run(filter);
  const std::string html(static_cast<const char*>(filter.GetStream()->GetMemory()),
                         static_cast<size_t>(filter.GetStream()->GetSize()));
  EXPECT_NE(html.find("<img src=\"data:image/jpeg;base64,/9j/"), std::string::npos);
}

TEST_F(QRHTMLFilterTest, OnlyARealFilterResetsTheSharedSettings) {
  THTMLFilterSettings& s = TQRGHTMLDocumentFilter::Settings();
  s.MultiPage = true;
  s.PictureDir = u"img";
  s.TextEncoding = AnsiEncoding;
  s.FirstLastLinks = true;
  TQRExportFilterLibrary library;
  library.AddFilter(ExportFilterClass<TQRGHTMLDocumentFilter>());
  EXPECT_TRUE(s.MultiPage);
  EXPECT_EQ(s.PictureDir, u"img");
  ASSERT_NE(library.GetFilterByExtension(u"htm"), nullptr);
  EXPECT_EQ(library.GetFilterByExtension(u"htm")->FilterName, u"HTML document");
  TQRGHTMLDocumentFilter filter(u"x.htm");
  EXPECT_FALSE(s.MultiPage);
  EXPECT_EQ(s.PictureDir, u"");
  EXPECT_EQ(s.TextEncoding, AnsiEncoding);
  EXPECT_TRUE(s.FirstLastLinks);
}

}  // namespace
