// The Excel writer: the four operations the export screens call to fill a workbook cell by cell and
// show it. Each answers 1, or -1 after telling the user in a message box.
#pragma once

#include <memory>

#include "platform/rtl/Types.h"

class TExcelApplication;

// One spreadsheet application object, kept between exports of the screens that share it.
class TExcelWriter {
 public:
  TExcelWriter();
  ~TExcelWriter();
  // A new workbook for an empty file name, else the named one.
  int OpenExcel(const String& fileName);
  // Showing saves the workbook and opens it with the desktop's program, then says where the file is.
  int ShowExcel(bool visible);
  // Sheet, column and row count from 1; an empty text writes nothing.
  int WriteExcelCell(int sheet, int column, int row, const String& text);
  int WriteExcelCellFormatted(int sheet, int column, int row, const String& text, bool asText, bool fitColumn,
                              bool bold);
  // The application object, null until OpenExcel assigned one.
  TExcelApplication* GetExcelApp() const { return excelApp_.get(); }

 private:
  std::unique_ptr<TExcelApplication> excelApp_;
};

// The writer shared by the summary reports and the processes' export.
TExcelWriter& DefaultExcelWriter();

int OpenExcel(const String& fileName);
int ShowExcel(bool visible);
int WriteExcelCell(int sheet, int column, int row, const String& text);
int WriteExcelCellFormatted(int sheet, int column, int row, const String& text, bool asText, bool fitColumn,
                            bool bold);

// Starts the spreadsheet application; tests put a failing one here to play a machine without it.
using TExcelStarter = std::unique_ptr<TExcelApplication> (*)();
TExcelStarter SetExcelStarter(TExcelStarter starter);
