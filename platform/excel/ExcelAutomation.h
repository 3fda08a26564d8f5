// The spreadsheet application that the Excel writer drives: workbooks of sheets whose cells hold a
// value, a number format and a bold flag in memory; a shown workbook is saved as .xlsx and opened with
// the desktop's program for it.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Types.h"

KIV_DECLARE_EXCEPTION(EExcelError, Exception);

// Excel's limits: 1048576 rows, 16384 columns (counted from 1).
constexpr int ExcelMaxRow = 1048576;
constexpr int ExcelMaxColumn = 16384;

class TExcelCell {
 public:
  const String& GetValue() const { return value_; }
  void SetValue(const String& value) { value_ = value; }
  // "@" keeps the value as text; empty is the general format.
  const String& GetNumberFormat() const { return numberFormat_; }
  void SetNumberFormat(const String& value) { numberFormat_ = value; }
  bool GetBold() const { return bold_; }
  void SetBold(bool value) { bold_ = value; }

 private:
  String value_;
  String numberFormat_;
  bool bold_ = false;
};

class TExcelWorksheet {
 public:
  explicit TExcelWorksheet(String name) : name_(std::move(name)) {}
  const String& GetName() const { return name_; }
  // The cell at (row, column), made on first use; outside the sheet raises EExcelError.
  TExcelCell& Cells(int row, int column);
  // The cell when it was ever touched, else null.
  const TExcelCell* FindCell(int row, int column) const;
  // Widens or narrows the column to its longest text (in characters of the default font).
  void AutoFitColumn(int column);
  // The width set for the column, 0 when none.
  double GetColumnWidth(int column) const;
  const std::map<std::pair<int, int>, TExcelCell>& GetCells() const { return cells_; }
  const std::map<int, double>& GetColumnWidths() const { return widths_; }

 private:
  String name_;
  std::map<std::pair<int, int>, TExcelCell> cells_;  // by (row, column)
  std::map<int, double> widths_;
};

class TExcelWorkbook {
 public:
  TExcelWorkbook();
  int GetSheetCount() const { return static_cast<int>(sheets_.size()); }
  // 1-based; a number without a sheet raises EExcelError.
  TExcelWorksheet* WorkSheets(int index) const;
  // Writes the workbook as an .xlsx file; a failure raises EExcelError with the writer's reason.
  void SaveAs(const String& fileName) const;
  const String& GetFileName() const { return fileName_; }
  void SetFileName(const String& value) { fileName_ = value; }

 private:
  std::vector<std::unique_ptr<TExcelWorksheet>> sheets_;
  String fileName_;
};

// Opens a saved workbook for the user; the default runs xdg-open without waiting for it.
using TWorkbookOpener = std::function<void(const String& fileName)>;
// Installs the opener (an empty one restores the default) and answers the one it replaced.
TWorkbookOpener SetWorkbookOpener(TWorkbookOpener opener);

class TExcelApplication {
 public:
  TExcelApplication();
  ~TExcelApplication();
  // A new workbook of one sheet ("Лист1"), which becomes the active one.
  TExcelWorkbook* WorkbooksAdd();
  // Workbooks are written, not read: an existing file cannot be opened (EExcelError), and a name that
  // does not exist yet raises too, as Excel does.
  TExcelWorkbook* WorkbooksOpen(const String& fileName);
  int GetWorkbookCount() const { return static_cast<int>(workbooks_.size()); }
  TExcelWorkbook* GetActiveWorkbook() const { return active_; }
  // The active workbook's sheet; no workbook or no such sheet raises EExcelError.
  TExcelWorksheet* WorkSheets(int index) const;
  bool GetVisible() const { return visible_; }
  // Making the application visible shows the active workbook: it is saved (under its own name, or a
  // new one in the folder below) and handed to the opener. Answers the file shown, "" when none.
  String SetVisible(bool value);
  // Where shown workbooks without a name go; default: the documents folder's "KIV.ERP".
  const String& GetSaveFolder() const { return saveFolder_; }
  void SetSaveFolder(const String& value) { saveFolder_ = value; }

 private:
  String NewFileName() const;
  std::vector<std::unique_ptr<TExcelWorkbook>> workbooks_;
  TExcelWorkbook* active_ = nullptr;
  bool visible_ = false;
  String saveFolder_;
};
