// The Excel writer over the spreadsheet application of platform/excel.
#include "app/ExcelWriter.h"

#include "platform/controls/Forms.h"
#include "platform/excel/ExcelAutomation.h"
#include "platform/rtl/Strings.h"

namespace {

std::unique_ptr<TExcelApplication> StartExcel() { return std::make_unique<TExcelApplication>(); }

TExcelStarter gStarter = StartExcel;

void ErrorBox(const String& text, const String& caption) {
  Application->MessageBox(text, caption, MB_ICONSTOP);
}

String PositionText(int sheet, int column, int row) {
  return u"Ошибка при записи: лист " + IntToStr(sheet) + u", столбец " + IntToStr(column) + u", строка " +
         IntToStr(row);
}

}  // namespace

TExcelStarter SetExcelStarter(TExcelStarter starter) {
  TExcelStarter previous = gStarter;
  gStarter = starter ? starter : StartExcel;
  return previous;
}

TExcelWriter::TExcelWriter() = default;
TExcelWriter::~TExcelWriter() = default;

int TExcelWriter::OpenExcel(const String& fileName) {
  try {
    excelApp_ = gStarter();
  } catch (const Exception&) {
    ErrorBox(u"Невозможно открыть Microsoft Excel.", u"Ошибка");
  }
  try {
    if (!excelApp_) throw EExcelError(u"No spreadsheet application");
    if (fileName.empty())
      excelApp_->WorkbooksAdd();
    else
      excelApp_->WorkbooksOpen(fileName);
  } catch (const Exception&) {
    ErrorBox(u"Ошибка открытия файла Microsoft Excel.", u"Ошибка");
    return -1;
  }
  return 1;
}

int TExcelWriter::ShowExcel(bool visible) {
  if (!excelApp_) return 1;
  String shown;
  try {
    shown = excelApp_->SetVisible(visible);
  } catch (const Exception& e) {
    // The result stays 1, as callers expect; the user learns why nothing opened.
    ErrorBox(e.Message(), u"Ошибка Microsoft Excel");
    return 1;
  }
  if (!shown.empty())
    Application->MessageBox(u"Книга Excel сохранена в файле " + shown, u"Сообщение", MB_ICONINFORMATION);
  return 1;
}

int TExcelWriter::WriteExcelCell(int sheet, int column, int row, const String& text) {
  return WriteExcelCellFormatted(sheet, column, row, text, false, false, false);
}

int TExcelWriter::WriteExcelCellFormatted(int sheet, int column, int row, const String& text, bool asText,
                                          bool fitColumn, bool bold) {
  if (text.empty()) return 1;
  const String error = PositionText(sheet, column, row);
  TExcelWorksheet* ws = nullptr;
  try {
    if (!excelApp_) throw EExcelError(u"No spreadsheet application");
    ws = excelApp_->WorkSheets(sheet);
  } catch (const Exception&) {
    ErrorBox(error, u"Ошибочный номер листа Microsoft Excel");
    return -1;
  }
  try {
    TExcelCell& cell = ws->Cells(row, column);
    if (asText) cell.SetNumberFormat(u"@");
    cell.SetValue(text);
    if (fitColumn) ws->AutoFitColumn(column);
    cell.SetBold(bold);
  } catch (const Exception&) {
    ErrorBox(error, u"Ошибка Microsoft Excel");
    return -1;
  }
  return 1;
}

TExcelWriter& DefaultExcelWriter() {
  static TExcelWriter writer;
  return writer;
}

int OpenExcel(const String& fileName) { return DefaultExcelWriter().OpenExcel(fileName); }
int ShowExcel(bool visible) { return DefaultExcelWriter().ShowExcel(visible); }
int WriteExcelCell(int sheet, int column, int row, const String& text) {
  return DefaultExcelWriter().WriteExcelCell(sheet, column, row, text);
}
int WriteExcelCellFormatted(int sheet, int column, int row, const String& text, bool asText, bool fitColumn,
                            bool bold) {
  return DefaultExcelWriter().WriteExcelCellFormatted(sheet, column, row, text, asText, fitColumn, bold);
}
