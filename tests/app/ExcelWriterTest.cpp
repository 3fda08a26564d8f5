// The Excel writer: results and messages of its four operations, and the workbook it shows, read back
// with openpyxl (values, the text format "@", bold, column widths).
#include <gtest/gtest.h>

#include "app/ExcelWriter.h"
#include "platform/controls/Dialogs.h"
#include "platform/excel/ExcelAutomation.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/app/AppFixture.h"

namespace {

class ExcelWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    env_.Set("HOME", folder_.Path());
    previousOpener_ = SetWorkbookOpener([this](const String& name) { opened_.push_back(name); });
  }
  void TearDown() override {
    SetWorkbookOpener(previousOpener_);
    SetExcelStarter(nullptr);
  }
  // Python reads the cell (row, column) of sheet 1: value and its type, number format, bold, the column's
  // width (13 when none was set) and the number of cells written.
  std::string ReadBack(const String& file, int row, int column) {
    const std::string script =
        "import openpyxl,sys\n"
        "ws=openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
        "c=ws.cell(row=int(sys.argv[2]),column=int(sys.argv[3]))\n"
        "w=ws.column_dimensions[c.column_letter].width\n"
        "print(repr(c.value), c.number_format, c.font.b, round(w) if w else None, len(ws._cells), sep='|')\n";
    WriteBytes(folder_.File("read.py"), script);
    std::string out = Shell("/usr/bin/python3 " + folder_.File("read.py") + " '" + StringToUtf8(file) + "' " +
                            std::to_string(row) + " " + std::to_string(column));
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }

  TTempFolder folder_;
  TEnvironment env_;
  TWorkbookOpener previousOpener_;
  std::vector<String> opened_;
};

TEST_F(ExcelWriterTest, WritesCellsAndShowsTheSavedWorkbook) {
  TExcelWriter writer;
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  EXPECT_EQ(writer.ShowExcel(true), 1);  // nothing opened yet: nothing happens
  EXPECT_EQ(boxes.Count(), 0);
  ASSERT_EQ(writer.OpenExcel(u""), 1);
  EXPECT_EQ(writer.WriteExcelCellFormatted(1, 1, 1, u"Техпроцесс", false, true, true), 1);
  EXPECT_EQ(writer.WriteExcelCell(1, 2, 1, u"12,5"), 1);
  EXPECT_EQ(writer.WriteExcelCellFormatted(1, 3, 1, u"007", true, false, false), 1);
  EXPECT_EQ(writer.WriteExcelCell(1, 4, 1, u"05.03.2024"), 1);
  EXPECT_EQ(writer.WriteExcelCell(1, 5, 1, u"12.5"), 1);
  EXPECT_EQ(writer.WriteExcelCell(1, 2, 2, u""), 1);  // writes nothing
  EXPECT_EQ(boxes.Count(), 0);
  EXPECT_EQ(writer.ShowExcel(true), 1);
  ASSERT_EQ(opened_.size(), 1u);
  const String file = opened_[0];
  EXPECT_EQ(file.rfind(Utf8ToString(folder_.Path()) + u"/KIV.ERP/Книга ", 0), 0u) << StringToUtf8(file);
  ASSERT_EQ(boxes.Count(), 1);
  EXPECT_EQ(boxes.Last().Text, u"Книга Excel сохранена в файле " + file);
  EXPECT_EQ(boxes.Last().Caption, u"Сообщение");

  EXPECT_EQ(ReadBack(file, 1, 1), "'Техпроцесс'|General|True|14|5");
  EXPECT_EQ(ReadBack(file, 1, 2), "12.5|General|False|13|5");
  EXPECT_EQ(ReadBack(file, 1, 3), "'007'|@|False|13|5");
  EXPECT_EQ(ReadBack(file, 1, 4), "datetime.datetime(2024, 3, 5, 0, 0)|dd.mm.yyyy|False|13|5");
  EXPECT_EQ(ReadBack(file, 1, 5), "'12.5'|General|False|13|5");
}

TEST_F(ExcelWriterTest, BadSheetsCellsAndFilesAreReportedWithTheirPosition) {
  TExcelWriter writer;
  {
    // Before OpenExcel there is no sheet at all.
    TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
    EXPECT_EQ(writer.WriteExcelCell(1, 1, 1, u"x"), -1);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Caption, u"Ошибочный номер листа Microsoft Excel");
  }
  ASSERT_EQ(writer.OpenExcel(u""), 1);
  struct Case {
    int sheet, column, row;
    const char16_t* text;
    const char16_t* caption;
  };
  const Case cases[] = {
      {2, 1, 1, u"Ошибка при записи: лист 2, столбец 1, строка 1", u"Ошибочный номер листа Microsoft Excel"},
      {0, 3, 4, u"Ошибка при записи: лист 0, столбец 3, строка 4", u"Ошибочный номер листа Microsoft Excel"},
      {1, 0, 1, u"Ошибка при записи: лист 1, столбец 0, строка 1", u"Ошибка Microsoft Excel"},
      {1, 1, 1048577, u"Ошибка при записи: лист 1, столбец 1, строка 1048577", u"Ошибка Microsoft Excel"},
      {1, 16385, 1, u"Ошибка при записи: лист 1, столбец 16385, строка 1", u"Ошибка Microsoft Excel"},
  };
  for (const Case& c : cases) {
    TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
    EXPECT_EQ(writer.WriteExcelCellFormatted(c.sheet, c.column, c.row, u"x", false, true, true), -1);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, c.text);
    EXPECT_EQ(boxes.Last().Caption, c.caption);
    EXPECT_EQ(boxes.Last().Flags, MB_ICONSTOP);
  }
  {
    // Workbooks are only written: an existing file is not overwritten by an "open".
    WriteBytes(folder_.File("old.xlsx"), "kept");
    TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
    EXPECT_EQ(writer.OpenExcel(Utf8ToString(folder_.File("old.xlsx"))), -1);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, u"Ошибка открытия файла Microsoft Excel.");
    EXPECT_EQ(ReadBytes(folder_.File("old.xlsx")), "kept");
  }
}

TEST_F(ExcelWriterTest, WithoutTheApplicationBothMessagesAndMinusOne) {
  SetExcelStarter([]() -> std::unique_ptr<TExcelApplication> { throw EExcelError(u"not installed"); });
  TExcelWriter writer;
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  EXPECT_EQ(writer.OpenExcel(u""), -1);
  ASSERT_EQ(boxes.Count(), 2);
  EXPECT_EQ(boxes.Requests()[0].Text, u"Невозможно открыть Microsoft Excel.");
  EXPECT_EQ(boxes.Requests()[1].Text, u"Ошибка открытия файла Microsoft Excel.");
  EXPECT_EQ(boxes.Requests()[1].Caption, u"Ошибка");
  EXPECT_EQ(writer.ShowExcel(true), 1);
  EXPECT_TRUE(opened_.empty());
}

TEST_F(ExcelWriterTest, AWorkbookThatCannotBeSavedIsReportedAndNothingIsOpened) {
  // The documents folder is a file, so the workbook's folder cannot be made.
  WriteBytes(folder_.File("home"), "");
  env_.Set("HOME", folder_.File("home"));
  TExcelWriter writer;
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  ASSERT_EQ(writer.OpenExcel(u""), 1);
  EXPECT_EQ(writer.WriteExcelCell(1, 1, 1, u"x"), 1);
  EXPECT_EQ(writer.ShowExcel(true), 1);
  ASSERT_EQ(boxes.Count(), 1);
  EXPECT_EQ(boxes.Last().Caption, u"Ошибка Microsoft Excel");
  EXPECT_NE(boxes.Last().Text.find(u"Cannot write workbook"), String::npos)
      << StringToUtf8(boxes.Last().Text);
  EXPECT_TRUE(opened_.empty());
}

TEST_F(ExcelWriterTest, TheSharedWriterKeepsItsWorkbookBetweenCalls) {
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  ASSERT_EQ(OpenExcel(u""), 1);
  EXPECT_EQ(WriteExcelCellFormatted(1, 2, 3, u"Итого", false, false, true), 1);
  EXPECT_EQ(ShowExcel(true), 1);
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(ReadBack(opened_[0], 3, 2), "'Итого'|General|True|13|1");
}

}  // namespace
