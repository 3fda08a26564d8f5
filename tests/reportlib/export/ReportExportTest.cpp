// A generated report exported through the PDF, XLSX and HTML filters and read back with the tools
// people open such files with: the same pages, texts in reading order, numbers as numbers.
#include <cmath>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "reportlib/output/filters/QRHTMLFilter.h"
#include "reportlib/output/filters/QRPDFFilter.h"
#include "reportlib/output/filters/QRXLSXFilter.h"
#include "tests/reportlib/engine/ReportTestSupport.h"
#include "tests/reportlib/output/filters/FilterTestSupport.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The parts are found one after another in the text.
void ExpectInOrder(const std::string& text, const std::vector<std::string>& parts) {
  size_t at = 0;
  for (const std::string& p : parts) {
    const size_t found = text.find(p, at);
    ASSERT_NE(found, std::string::npos) << "\"" << p << "\" missing after offset " << at;
    at = found + p.size();
  }
}

// Every non-empty row of the sheet as "type:value;type:value".
const char* kRowsScript = R"(import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
for row in ws.iter_rows():
    cells = [type(c.value).__name__ + ':' + str(c.value) for c in row if c.value is not None]
    if cells: print(';'.join(cells))
)";

// Every number of the sheet with the format its cell shows it in: "value:format".
const char* kFormatsScript = R"(import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
for row in ws.iter_rows():
    for c in row:
        if isinstance(c.value, (int, float)): print(str(c.value) + ':' + c.number_format)
)";

class ReportExportTest : public InventoryReportTest {
 protected:
  void SetUp() override {
    InventoryReportTest::SetUp();
    rows_ = InventoryRows(150);
    FillInventory(data_, rows_);
    layout_ = BuildInventory(data_);
    // Spreadsheet columns by position; the masses go over as numbers.
    for (int i = 0; i < form_->GetComponentCount(); ++i)
      if (auto* p = dynamic_cast<TQRPrintable*>(form_->GetComponent(i))) {
        const Extended left = p->GetSize()->GetLeft();
        p->SetXLColumn(left < 100 ? 1 : left < 150 ? 2 : 3);
        if (left == 100 && dynamic_cast<TQRLabel*>(p) == nullptr) p->SetExportAs(exptNumeric);
      }
    report_->Prepare();
    previewPrinter_ = report_->GetQRPrinter();
    pageCount_ = previewPrinter_->GetPageCount();
    ASSERT_GT(pageCount_, 2);
  }
  // The export leaves the prepared pages as they were.
  void ExpectPreviewKept() {
    EXPECT_EQ(report_->GetQRPrinter(), previewPrinter_);
    EXPECT_EQ(previewPrinter_->GetPageCount(), pageCount_);
    EXPECT_FALSE(report_->GetExporting());
    EXPECT_TRUE(report_->GetAvailable());
  }
  std::string Total() const {
    double total = 0;
    for (const auto& r : rows_) total += r.massa;
    return U8(FormatFloat(u"#0.000", total));
  }

  // The total as Python prints a float.
  std::string TotalAsPython() const {
    double total = 0;
    for (const auto& r : rows_) total += r.massa;
    std::ostringstream out;
    out << total;
    return out.str();
  }

  // A red box around the grand total's caption and blue rules above and below each kind's header.
  TQRLabel* FrameTheReport() {
    TQRLabel* total = nullptr;
    for (Integer i = 0; i < layout_.Summary->GetControlCount(); ++i)
      if (auto* l = dynamic_cast<TQRLabel*>(layout_.Summary->GetControl(i))) total = l;
    TQRFrame* box = total->GetFrame();
    box->SetColor(clRed);
    box->SetDrawTop(true);
    box->SetDrawBottom(true);
    box->SetDrawLeft(true);
    box->SetDrawRight(true);
    layout_.Group->GetFrame()->SetColor(clBlue);
    layout_.Group->GetFrame()->SetDrawTop(true);
    layout_.Group->GetFrame()->SetDrawBottom(true);
    return total;
  }

  TInventoryLayout layout_;
  std::vector<TRow> rows_;
  TQRPrinter* previewPrinter_ = nullptr;
  Integer pageCount_ = 0;
  TScratchDir dir_;
};

}  // namespace

TEST_F(ReportExportTest, PdfHasEveryPageWithEmbeddedFontsAndTextsInReadingOrder) {
  const std::string pdf = dir_.File("остатки.pdf");
  {
    TQRPDFDocumentFilter filter(Utf8ToString(pdf));
    report_->ExportToFilter(&filter);
    EXPECT_FALSE(filter.GetActive());
  }
  ExpectPreviewKept();
  EXPECT_NE(RunTool("qpdf --check '" + pdf + "'").find("No syntax or stream encoding errors"),
            std::string::npos);
  EXPECT_EQ(RunTool("qpdf --show-npages '" + pdf + "'"), std::to_string(pageCount_) + "\n");
  const std::string fonts = RunTool("pdffonts '" + pdf + "'");
  EXPECT_NE(fonts.find(" yes "), std::string::npos) << fonts;
  EXPECT_EQ(fonts.find(" no  "), std::string::npos) << "every font embedded:\n" << fonts;
  const std::string n = std::to_string(pageCount_);
  const std::string first = RunTool("pdftotext -layout -f 1 -l 1 '" + pdf + "' -");
  ExpectInOrder(first, {"Марка", "Масса", "Номенклатура", "Заготовки", "Изделие 1 ", "0,125", "Изделие 2 ",
                        "Страница 1 из " + n});
  const std::string last = RunTool("pdftotext -layout -f " + n + " -l " + n + " '" + pdf + "' -");
  ExpectInOrder(last,
                {"Марка", "Изделие 150", "Итого по виду:", "Всего:", Total(), "Страница " + n + " из " + n});
}

TEST_F(ReportExportTest, AnExportShowingItsProgressWindowEndsCleanly) {
  report_->SetShowProgress(true);
  const std::string pdf = dir_.File("progress.pdf");
  {
    TQRPDFDocumentFilter filter(Utf8ToString(pdf));
    report_->ExportToFilter(&filter);
  }
  ExpectPreviewKept();
  EXPECT_EQ(RunTool("qpdf --show-npages '" + pdf + "'"), std::to_string(pageCount_) + "\n");
}

TEST_F(ReportExportTest, XlsxKeepsNumbersAsNumbersAndCyrillicTexts) {
  const std::string xlsx = dir_.File("остатки.xlsx");
  TQRXLSXDocumentFilter::QR506Compat() = false;
  {
    TQRXLSXDocumentFilter filter(Utf8ToString(xlsx));
    report_->ExportToFilter(&filter);
  }
  ExpectPreviewKept();
  std::ofstream(dir_.File("rows.py")) << kRowsScript;
  const std::string sheet = RunTool("/usr/bin/python3 " + dir_.File("rows.py") + " '" + xlsx + "'");
  ExpectInOrder(sheet, {"str:Марка;str:Масса\n", "str:Номенклатура\n", "str:Заготовки\n",
                        "str:Изделие 1;float:0.125\n", "str:Изделие 2;float:1.375\n",
                        "str:Изделие 150;float:", "str:Всего:;float:" + TotalAsPython() + "\n"});
  EXPECT_NE(sheet.find("str:Страница 1 из " + std::to_string(pageCount_)), std::string::npos) << sheet;
}

TEST_F(ReportExportTest, HtmlDeclaresUtf8AndHoldsTheTexts) {
  const std::string html = dir_.File("остатки.html");
  {
    TQRGHTMLDocumentFilter filter(Utf8ToString(html));
    report_->ExportToFilter(&filter);
  }
  ExpectPreviewKept();
  const std::string doc = ReadFile(html);
  EXPECT_NE(doc.find("charset=utf-8"), std::string::npos) << doc.substr(0, 600);
  // Each kind's group header brings its coloured background, named after its band.
  const std::string background = "background-color:#e0e0e0;";
  size_t backgrounds = 0;
  for (size_t at = doc.find(background); at != std::string::npos; at = doc.find(background, at + 1)) {
    ++backgrounds;
    const size_t tag = doc.rfind("<DIV", at);
    EXPECT_EQ(doc.substr(tag, 18), "<DIV name=\"Group3\"") << doc.substr(tag, 80);
  }
  EXPECT_EQ(backgrounds, 4u);
  ExpectInOrder(doc, {"Марка", "Номенклатура", "Изделие&nbsp;1\r\n", "Итого&nbsp;по&nbsp;виду:",
                      "Страница&nbsp;1&nbsp;из", "Изделие&nbsp;150\r\n", "Всего:"});
}

TEST_F(ReportExportTest, AnExportTakenOverByTheHandlerLeavesFilterAndPagesAlone) {
  bool asked = false;
  report_->OnExport = [&](TCustomRezavOze*, bool& handled) {
    asked = true;
    handled = true;
  };
  TQRGHTMLDocumentFilter filter(Utf8ToString(dir_.File("none.html")));
  report_->ExportToFilter(&filter);
  EXPECT_TRUE(asked);
  EXPECT_EQ(filter.GetOwner(), nullptr);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("none.html")));
  ExpectPreviewKept();
}

TEST_F(ReportExportTest, FramesOfBandsAndTextsReachThePdfAndTheHtml) {
  FrameTheReport();
  const std::string pdf = dir_.File("frames.pdf"), html = dir_.File("frames.html");
  {
    TQRPDFDocumentFilter filter(Utf8ToString(pdf));
    filter.SetCompressionOn(false);
    report_->ExportToFilter(&filter);
  }
  {
    TQRGHTMLDocumentFilter filter(Utf8ToString(html));
    report_->ExportToFilter(&filter);
  }
  ExpectPreviewKept();
  // The content streams, read uncompressed: a stroked red rectangle and blue rules.
  const std::string content = RunTool("qpdf --qdf --object-streams=disable '" + pdf + "' -");
  const size_t red = content.find("1 0 0 RG\n");
  ASSERT_NE(red, std::string::npos) << "no red frame in the PDF";
  EXPECT_NE(content.substr(red, 80).find(" re S"), std::string::npos) << content.substr(red, 80);
  const size_t blue = content.find("0 0 1 RG\n");
  ASSERT_NE(blue, std::string::npos) << "no blue rule in the PDF";
  EXPECT_NE(content.substr(blue, 80).find(" l S"), std::string::npos) << content.substr(blue, 80);
  EXPECT_EQ(RunTool("qpdf --show-npages '" + pdf + "'"), std::to_string(pageCount_) + "\n");
  ExpectInOrder(RunTool("pdftotext -layout '" + pdf + "' -"), {"Изделие 1 ", "Всего:", Total()});

  const std::string doc = ReadFile(html);
  EXPECT_NE(doc.find("px solid #ff0000;"), std::string::npos) << "no red box in the HTML";
  const size_t rule = doc.find("background-color:#0000ff;");
  ASSERT_NE(rule, std::string::npos) << "no blue rule in the HTML";
  EXPECT_EQ(doc.substr(doc.rfind("<DIV", rule), 18), "<DIV name=\"Group3\"");
}

TEST_F(ReportExportTest, HtmlMarksEveryPrintedBandWhereItLies) {
  const std::string html = dir_.File("bands.html");
  {
    TQRGHTMLDocumentFilter filter(Utf8ToString(html));
    report_->ExportToFilter(&filter);
  }
  const std::string doc = ReadFile(html);
  EXPECT_EQ(doc.find("!xx!"), std::string::npos) << "a band top left unfilled";
  // The first item's line, then its band's marker: at the line's top, over the band's box.
  const size_t item = doc.find("\r\nИзделие&nbsp;1\r\n");
  ASSERT_NE(item, std::string::npos);
  std::smatch m;
  const std::string textTag = doc.substr(doc.rfind("<div ID=", item), 200);
  ASSERT_TRUE(std::regex_search(textTag, m, std::regex("top:(\\d+)px")));
  const long textTop = std::stol(m[1]);
  const std::string detail = U8(layout_.Detail->GetName());
  const size_t marker = doc.find("<DIV id=\"" + detail + "\"", item);
  ASSERT_NE(marker, std::string::npos) << "no marker of the detail band";
  const std::string line = doc.substr(marker, doc.find("\r\n", marker) - marker);
  ASSERT_TRUE(
      std::regex_match(line, m,
                       std::regex("<DIV id=\"" + detail +
                                  "\" name=\"Detail\" class=\"qrband\" "
                                  "style=\"visibility:hidden;position:absolute;left:(\\d+)px;top:(\\d+)px;"
                                  "width:(\\d+)px;height:(\\d+)px;\"></div>")))
      << line;
  auto px = [](Extended mm) { return std::lround(static_cast<double>(mm) * 10 * 96 / 254); };
  EXPECT_NEAR(std::stol(m[1]), px(report_->GetPage()->GetLeftMargin()), 1);
  EXPECT_NEAR(std::stol(m[2]), textTop, 1);
  EXPECT_NEAR(std::stol(m[3]), px(layout_.Detail->GetSize()->GetWidth()), 1);
  EXPECT_NEAR(std::stol(m[4]), px(5), 1);
  // The other kinds of band are marked under their own type names.
  for (const char* band : {"Title", "Page Header", "Group Header", "Group Footer", "Page Footer", "Summary"})
    EXPECT_NE(doc.find(std::string("\" name=\"") + band + "\" class=\"qrband\""), std::string::npos) << band;
}

TEST_F(ReportExportTest, XlsxCellsShowNumbersAsTheReportsMasksDo) {
  // Masks of field texts and of sums; a format chosen for the workbook wins over the mask.
  for (Integer i = 0; i < layout_.GroupFooter->GetControlCount(); ++i)
    if (auto* sum = dynamic_cast<TQRExpr*>(layout_.GroupFooter->GetControl(i))) {
      sum->SetExportAs(exptNumeric);
      sum->SetXLNumFormat(nfDec2);
    }
  for (Integer i = 0; i < layout_.Detail->GetControlCount(); ++i)
    if (auto* massa = dynamic_cast<TQRDBText*>(layout_.Detail->GetControl(i));
        massa && massa->GetMask() != u"")
      massa->SetMask(u"#,##0.000");
  const std::string xlsx = dir_.File("masks.xlsx");
  TQRXLSXDocumentFilter::QR506Compat() = false;
  {
    TQRXLSXDocumentFilter filter(Utf8ToString(xlsx));
    report_->ExportToFilter(&filter);
  }
  std::ofstream(dir_.File("formats.py")) << kFormatsScript;
  const std::string formats = RunTool("/usr/bin/python3 " + dir_.File("formats.py") + " '" + xlsx + "'");
  ExpectInOrder(formats,
                {"0.125:#,##0.000\n", "1.375:#,##0.000\n", ":0.00\n", TotalAsPython() + ":#0.000\n"});
  EXPECT_EQ(formats.find(":General"), std::string::npos) << formats;
}
