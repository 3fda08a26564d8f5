// The XLSX filter read back with openpyxl (and LibreOffice): cells where the report's columns and
// rows put them, numbers as numbers, the right number formats and colours, and a clear error with no
// file when there is nothing to write or two items share a cell.
#include <fstream>
#include <sstream>

#include "FilterTestSupport.h"
#include "reportlib/output/QRError.h"
#include "reportlib/output/filters/QRXLSXFilter.h"

namespace {

// One line per cell: reference, Python type, value, number format, font colour, fill colour, bold.
const char* kDumpScript = R"(import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.active
print('sheet|' + ws.title)
for row in ws.iter_rows():
    for c in row:
        if c.value is None: continue
        fill = c.fill.fgColor.rgb if c.fill.fill_type == 'solid' else '-'
        color = c.font.color.rgb if c.font.color is not None else '-'
        print('|'.join([c.coordinate, type(c.value).__name__, str(c.value), c.number_format, str(color), str(fill),
                        str(bool(c.font.b))]))
)";

class QRXLSXFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    std::ofstream(dir.File("dump.py")) << kDumpScript;
    TQRXLSXDocumentFilter::WorkSheetname() = u"Untitled Sheet";
    TQRXLSXDocumentFilter::QR506Compat() = false;
  }
  std::string Dump(const std::string& xlsx) {
    return RunTool("/usr/bin/python3 " + dir.File("dump.py") + " '" + xlsx + "'");
  }
  // The dumped line of one cell, without its reference.
  std::string Cell(const std::string& dump, const std::string& ref) {
    const size_t at = dump.find("\n" + ref + "|");
    if (at == std::string::npos) return "(none)";
    const size_t start = at + ref.size() + 2;
    return dump.substr(start, dump.find('\n', start) - start);
  }
  TScratchDir dir;
  TTestReport report;
  TFont font;
};

TEST_F(QRXLSXFilterTest, ReportBecomesCellsWithNumbersAsNumbersAndCyrillicTexts) {
  const std::string xlsx = dir.File("остатки.xlsx");
  TQRXLSXDocumentFilter::WorkSheetname() = u"Остатки: склад/цех";
  TQRXLSXDocumentFilter filter(Utf8ToString(xlsx));
  report.Run(filter);
  const std::string dump = Dump(xlsx);
  EXPECT_NE(dump.find("sheet|Остатки_ склад_цех\n"), std::string::npos) << dump;
  // Header row 1 with the default left margin (column 1 lands in B), then four rows per page.
  // The header's system colour fill is resolved to the palette's colour, not cut to its low bytes.
  char face[16];
  const TColorRef rgb = ColorToRGB(clBtnFace);
  std::snprintf(face, sizeof face, "FF%02X%02X%02X", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
  ASSERT_NE(std::string(face), "FF000000");
  EXPECT_EQ(Cell(dump, "B1"), "str|Наименование|General|FF000000|" + std::string(face) + "|False") << dump;
  EXPECT_EQ(Cell(dump, "B2"), "str|Болт М8×40 оцинкованный|General|FF000000|-|False");
  EXPECT_EQ(Cell(dump, "C2"), "int|1250|0.00|FF000000|-|False");
  EXPECT_EQ(Cell(dump, "C3"), "float|34.5|0.00|FF000000|-|False");
  EXPECT_EQ(Cell(dump, "C4"), "float|12.25|0.00|FF000000|-|False");
  EXPECT_EQ(Cell(dump, "B5"), "str|Гайка М8 & шайба <DIN 125>|General|FF000000|-|False");
  EXPECT_EQ(Cell(dump, "B6"), "str|Наименование|General|FF000000|" + std::string(face) + "|False");
  EXPECT_EQ(Cell(dump, "D15"), "str|шт|General|FF000000|-|False");
  EXPECT_EQ(Cell(dump, "A1"), "(none)") << "the title names no column";
  EXPECT_EQ(Cell(dump, "B16"), "(none)");
  EXPECT_FALSE(std::filesystem::exists(xlsx + ".partial.xlsx"));

  // LibreOffice reads the workbook without complaint and sees the same numbers.
  const std::string profile = "-env:UserInstallation=file://" + dir.File("lo");
  int status = 0;
  const std::string out =
      RunTool("cd " + dir.Path() + " && soffice " + profile +
                  " --headless --convert-to csv:Text\\ -\\ txt\\ -\\ csv\\ \\(StarCalc\\):44,34,76 "
                  "--outdir " +
                  dir.Path() + " 'остатки.xlsx'",
              &status);
  EXPECT_EQ(status, 0) << out;
  // Only LibreOffice's own start-up may speak (about its Java helper), never about the file.
  std::istringstream said(out);
  for (std::string line; std::getline(said, line);)
    if (line.find("javaldx") == std::string::npos) {
      EXPECT_EQ(line.find("rror"), std::string::npos) << line;
      EXPECT_EQ(line.find("arning"), std::string::npos) << line;
    }
  const std::string csv = RunTool("cat '" + dir.File("остатки.csv") + "'");
  EXPECT_NE(csv.find(",Лист стальной 2 мм,34.50,кг"), std::string::npos) << csv;
}

// Small layouts: where items land, how rows are formed, and what the styles say.
TEST_F(QRXLSXFilterTest, ItemsLandInRowsByPositionAndInColumnsByTheirColumn) {
  struct Item {
    int page;
    Extended y;
    Integer column;
    const char16_t* text;
  };
  struct Case {
    const char* name;
    Integer margin;
    std::vector<Item> items;
    std::vector<std::pair<const char*, const char*>> cells;  // reference, value
  } cases[] = {
      {"same position, two columns", 1, {{1, 10, 1, u"a"}, {1, 10, 2, u"b"}}, {{"B1", "a"}, {"C1", "b"}}},
      {"no margin", 0, {{1, 10, 1, u"a"}, {1, 10, 2, u"b"}}, {{"A1", "a"}, {"B1", "b"}}},
      {"truncated positions share a row",
       1,
       {{1, 10.4L, 1, u"a"}, {1, 10.9L, 2, u"b"}},
       {{"B1", "a"}, {"C1", "b"}}},
      {"rows numbered whatever the gap",
       1,
       {{1, 10, 1, u"a"}, {1, 900, 1, u"b"}},
       {{"B1", "a"}, {"B2", "b"}}},
      {"page 2 below page 1", 1, {{1, 500, 1, u"p1"}, {2, 20, 1, u"p2"}}, {{"B1", "p1"}, {"B2", "p2"}}},
      {"positions past seven digits keep their order",
       1,
       {{1, 123456789, 1, u"far"}, {1, 9999999.5L, 1, u"near"}, {1, -5, 1, u"above"}},
       {{"B1", "above"}, {"B2", "near"}, {"B3", "far"}}},
      {"columns past ZZ", 1, {{1, 10, 702, u"x"}}, {{"AAA1", "x"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string xlsx = dir.File("layout.xlsx");
    TQRXLSXDocumentFilter filter(Utf8ToString(xlsx));
    TQRXLSXDocumentFilter::sheetLeftMargin() = c.margin;
    filter.Start(2100, 2970, &font);
    int page = 0;
    for (const Item& i : c.items) {
      while (page < i.page) {
        filter.NewPage();
        ++page;
      }
      report.Text(filter, 100, i.y, &font, taLeftJustify, i.text, i.column);
    }
    filter.Finish();
    const std::string dump = Dump(xlsx);
    for (auto [ref, value] : c.cells)
      EXPECT_EQ(Cell(dump, ref).rfind(std::string("str|") + value + "|", 0), 0u) << ref << "\n" << dump;
  }
}

TEST_F(QRXLSXFilterTest, StylesCarryColoursFormatsAndEscapedTexts) {
  const std::string xlsx = dir.File("styles.xlsx");
  TQRXLSXDocumentFilter filter(Utf8ToString(xlsx));
  filter.Start(2100, 2970, &font);
  filter.NewPage();
  TFont red;
  red.SetColor(0x0000FF);
  red.SetStyle(TFontStyles{fsBold});
  report.Text(filter, 0, 10, &red, taLeftJustify, u"a<b & 'c'", 1, exptText, nfGeneral, 0x00FFFF);
  report.Text(filter, 0, 20, &font, taRightJustify, u"1 234,5", 1, exptNumeric, nfDate1);
  report.Text(filter, 0, 30, &font, taRightJustify, u"0,25", 1, exptNumeric, nfPercent);
  report.Text(filter, 0, 40, &font, taRightJustify, u"н/д", 1, exptNumeric, nfDec2);
  report.Text(filter, 0, 50, &font, taRightJustify, u"=B3*2", 1, exptFormula);
  filter.Finish();
  const std::string dump = Dump(xlsx);
  EXPECT_EQ(Cell(dump, "B1"), "str|a<b & 'c'|General|FFFF0000|FFFFFF00|True") << dump;
  // 1234.5 days after the workbook's epoch, shown as a date.
  EXPECT_EQ(Cell(dump, "B2").rfind("datetime|1903-05-18 12:00:00|mm-dd-yy|", 0), 0u) << Cell(dump, "B2");
  EXPECT_EQ(Cell(dump, "B3").rfind("float|0.25|0%|", 0), 0u) << Cell(dump, "B3");
  EXPECT_EQ(Cell(dump, "B4").rfind("str|н/д|0.00|", 0), 0u) << "a number that is none keeps its text";
  EXPECT_EQ(Cell(dump, "B5").rfind("str|=B3*2|", 0), 0u) << Cell(dump, "B5");

  struct {
    TXLNumFormat format;
    Integer id;
  } ids[] = {{nfGeneral, 0}, {nfDec2, 2},   {nfPercentDec2, 10}, {nfFraction, 12},
             {nfDate1, 14},  {nfTime4, 21}, {nfDateTime, 22}};
  for (auto [format, id] : ids) EXPECT_EQ(TQRXLSXDocumentFilter::NumFormatId(format), id) << format;
  struct {
    const char16_t* mask;
    const char16_t* code;
  } masks[] = {{u"#0.000", u"#0.000"},
               {u"#,##0.00;-#,##0.00;0", u"#,##0.00;-#,##0.00;0"},
               {u"#0.00' кг'", u"#0.00\" кг\""},
               {u"0.0'\"'", u"0.0\"\\\"\""},
               {u"0.0 'шт", u"0.0 \"шт\""}};
  for (auto [mask, code] : masks)
    EXPECT_EQ(StringToUtf8(TQRXLSXDocumentFilter::NumFormatCode(mask)), StringToUtf8(code))
        << StringToUtf8(mask);
  struct {
    Integer index;
    const char* letters;
  } columns[] = {{0, "A"}, {25, "Z"}, {26, "AA"}, {701, "ZZ"}, {702, "AAA"}, {16383, "XFD"}};
  for (auto [index, letters] : columns)
    EXPECT_EQ(StringToUtf8(TQRXLSXDocumentFilter::ColumnLetters(index)), letters);
}

TEST_F(QRXLSXFilterTest, NothingToWriteOrSharedCellIsAnErrorAndNoFile) {
  struct Case {
    const char* name;
    Integer secondColumn;
    const char* message;
  } cases[] = {
      {"no column named", 0, "Nothing to export to the workbook"},
      {"two items in one cell", 1,
       "Duplicate cell reference detected - please check 'XLColumn' property of Second"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string xlsx = dir.File("bad.xlsx");
    TQRXLSXDocumentFilter filter(Utf8ToString(xlsx));
    filter.Start(2100, 2970, &font);
    filter.NewPage();
    report.Text(filter, 0, 10.2L, &font, taLeftJustify, u"1", c.secondColumn, exptText, nfGeneral, clWhite,
                u"First");
    report.Text(filter, 0, 10.7L, &font, taLeftJustify, u"2", c.secondColumn, exptText, nfGeneral, clWhite,
                u"Second");
    try {
      filter.Finish();
      ADD_FAILURE() << "no error";
    } catch (const EQRError& e) {
      EXPECT_NE(StringToUtf8(e.Message()).find(c.message), std::string::npos) << StringToUtf8(e.Message());
    }
    EXPECT_FALSE(std::filesystem::exists(xlsx));
    EXPECT_FALSE(std::filesystem::exists(xlsx + ".partial.xlsx"));
  }
}

TEST_F(QRXLSXFilterTest, SharedMarginSurvivesTheLibraryAndThePrefixedName) {
  TQRExportFilterLibrary library;
  TQRXLSXDocumentFilter::sheetLeftMargin() = 0;
  library.AddFilter(ExportFilterClass<TQRXLSXDocumentFilter>());
  library.RemoveFilter(ExportFilterClass<TQRXLSXDocumentFilter>());
  EXPECT_EQ(TQRXLSXDocumentFilter::sheetLeftMargin(), 0) << "a filter made to ask its name changed it";
  {
    TQRXLSXDocumentFilter kept(u"+++/tmp/x.xlsx");
    EXPECT_EQ(kept.GetFilename(), u"/tmp/x.xlsx");
    EXPECT_EQ(TQRXLSXDocumentFilter::sheetLeftMargin(), 0);
  }
  TQRXLSXDocumentFilter reset(u"/tmp/x.xlsx");
  EXPECT_EQ(TQRXLSXDocumentFilter::sheetLeftMargin(), 1);
}

TEST_F(QRXLSXFilterTest, WithoutFileNameTheWorkbookGoesToTheStream) {
  TQRXLSXDocumentFilter filter(u"");
  filter.Start(2100, 2970, &font);
  filter.NewPage();
  report.Text(filter, 0, 10, &font, taLeftJustify, u"в памяти", 1);
  filter.Finish();
  ASSERT_NE(filter.GetStream(), nullptr);
  filter.GetStream()->SaveToFile(dir.FileS("mem.xlsx"));
  EXPECT_EQ(Cell(Dump(dir.File("mem.xlsx")), "B1").rfind("str|в памяти|", 0), 0u);
}

}  // namespace
