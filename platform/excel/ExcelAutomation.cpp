// The spreadsheet application over libxlsxwriter: cells kept in memory, written as .xlsx on save.
#include "platform/excel/ExcelAutomation.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <regex>

#include "platform/classes/SpecialFolders.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

extern char** environ;

namespace {

String SheetError(int index) { return u"Invalid sheet index " + IntToStr(index); }

// The value a text becomes when its cell is not formatted as text, as a Russian-locale spreadsheet
// reads typed input: integers and decimals with a comma, and dd.mm.yyyy dates.
struct TTypedValue {
  enum { Text, Number, Date } Kind = Text;
  double Value = 0;
  int Year = 0, Month = 0, Day = 0;
};

TTypedValue ReadTyped(const String& text) {
  TTypedValue v;
  const std::string s = StringToUtf8(text);
  static const std::regex number(R"(-?(0|[1-9][0-9]{0,14})(,[0-9]{1,15})?)");
  static const std::regex date(R"(([0-9]{1,2})\.([0-9]{1,2})\.([0-9]{4}))");
  std::smatch m;
  if (std::regex_match(s, number)) {
    std::string c = s;
    std::replace(c.begin(), c.end(), ',', '.');
    v.Kind = TTypedValue::Number;
    v.Value = std::strtod(c.c_str(), nullptr);
  } else if (std::regex_match(s, m, date)) {
    const int d = std::stoi(m[1]), mo = std::stoi(m[2]), y = std::stoi(m[3]);
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (y >= 1900 && mo >= 1 && mo <= 12 && d >= 1 && d <= days[mo - 1] && (mo != 2 || d <= 28 || leap)) {
      v.Kind = TTypedValue::Date;
      v.Year = y, v.Month = mo, v.Day = d;
    }
  }
  return v;
}

void DefaultOpener(const String& fileName) {
  const std::string path = StringToUtf8(fileName);
  char program[] = "xdg-open";
  char* argv[] = {program, const_cast<char*>(path.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0)
    throw EExcelError(u"Cannot start xdg-open for " + fileName);
  // xdg-open hands the file over and ends at once; reap it so no zombie stays.
  waitpid(pid, nullptr, 0);
}

TWorkbookOpener& Opener() {
  static TWorkbookOpener opener = DefaultOpener;
  return opener;
}

void MakeFolders(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0777);
}

}  // namespace

TWorkbookOpener SetWorkbookOpener(TWorkbookOpener opener) {
  TWorkbookOpener previous = Opener();
  Opener() = opener ? std::move(opener) : TWorkbookOpener(DefaultOpener);
  return previous;
}

// ---- Worksheet ----

TExcelCell& TExcelWorksheet::Cells(int row, int column) {
  if (row < 1 || row > ExcelMaxRow || column < 1 || column > ExcelMaxColumn)
    throw EExcelError(u"Invalid cell (" + IntToStr(row) + u", " + IntToStr(column) + u")");
  return cells_[{row, column}];
}

const TExcelCell* TExcelWorksheet::FindCell(int row, int column) const {
  auto it = cells_.find({row, column});
  return it == cells_.end() ? nullptr : &it->second;
}

void TExcelWorksheet::AutoFitColumn(int column) {
  if (column < 1 || column > ExcelMaxColumn) throw EExcelError(u"Invalid column " + IntToStr(column));
  size_t longest = 0;
  bool bold = false;
  for (const auto& [at, cell] : cells_) {
    if (at.second != column || cell.GetValue().size() <= longest) continue;
    longest = cell.GetValue().size();
    bold = cell.GetBold();
  }
  if (longest == 0) {
    widths_.erase(column);
    return;
  }
  // Characters of the default font plus the cell's margins; bold text is a little wider.
  widths_[column] = std::ceil(static_cast<double>(longest) * (bold ? 1.15 : 1.05) + 2.0);
}

double TExcelWorksheet::GetColumnWidth(int column) const {
  auto it = widths_.find(column);
  return it == widths_.end() ? 0 : it->second;
}

// ---- Workbook ----

TExcelWorkbook::TExcelWorkbook() { sheets_.push_back(std::make_unique<TExcelWorksheet>(u"Лист1")); }

TExcelWorksheet* TExcelWorkbook::WorkSheets(int index) const {
  if (index < 1 || index > GetSheetCount()) throw EExcelError(SheetError(index));
  return sheets_[index - 1].get();
}

void TExcelWorkbook::SaveAs(const String& fileName) const {
  const std::string path = StringToUtf8(fileName);
  lxw_workbook* book = workbook_new(path.c_str());
  if (!book) throw EExcelError(u"Cannot create workbook " + fileName);
  // Formats are made once per combination and belong to the workbook.
  std::map<std::pair<std::string, bool>, lxw_format*> formats;
  auto format = [&](const std::string& numberFormat, bool bold) -> lxw_format* {
    if (numberFormat.empty() && !bold) return nullptr;
    lxw_format*& f = formats[{numberFormat, bold}];
    if (!f) {
      f = workbook_add_format(book);
      if (!numberFormat.empty()) format_set_num_format(f, numberFormat.c_str());
      if (bold) format_set_bold(f);
    }
    return f;
  };
  for (const auto& sheet : sheets_) {
    lxw_worksheet* ws = workbook_add_worksheet(book, StringToUtf8(sheet->GetName()).c_str());
    for (const auto& [column, width] : sheet->GetColumnWidths())
      worksheet_set_column(ws, column - 1, column - 1, width, nullptr);
    for (const auto& [at, cell] : sheet->GetCells()) {
      const lxw_row_t row = at.first - 1;
      const lxw_col_t col = at.second - 1;
      const std::string numberFormat = StringToUtf8(cell.GetNumberFormat());
      const std::string text = StringToUtf8(cell.GetValue());
      if (text.empty()) {
        if (lxw_format* f = format(numberFormat, cell.GetBold())) worksheet_write_blank(ws, row, col, f);
        continue;
      }
      const TTypedValue typed = numberFormat == "@" ? TTypedValue() : ReadTyped(cell.GetValue());
      if (typed.Kind == TTypedValue::Number) {
        worksheet_write_number(ws, row, col, typed.Value, format(numberFormat, cell.GetBold()));
      } else if (typed.Kind == TTypedValue::Date) {
        lxw_datetime dt = {typed.Year, typed.Month, typed.Day, 0, 0, 0};
        worksheet_write_datetime(ws, row, col, &dt,
                                 format(numberFormat.empty() ? "dd.mm.yyyy" : numberFormat, cell.GetBold()));
      } else {
        worksheet_write_string(ws, row, col, text.c_str(), format(numberFormat, cell.GetBold()));
      }
    }
  }
  const lxw_error error = workbook_close(book);
  if (error != LXW_NO_ERROR)
    throw EExcelError(u"Cannot write workbook " + fileName + u": " + Utf8ToString(lxw_strerror(error)));
}

// ---- Application ----

TExcelApplication::TExcelApplication()
    : saveFolder_(GetSpecialFolderPath(CSIDL_PERSONAL, false) + u"/KIV.ERP") {}
TExcelApplication::~TExcelApplication() = default;

TExcelWorkbook* TExcelApplication::WorkbooksAdd() {
  workbooks_.push_back(std::make_unique<TExcelWorkbook>());
  active_ = workbooks_.back().get();
  return active_;
}

TExcelWorkbook* TExcelApplication::WorkbooksOpen(const String& fileName) {
  struct stat st;
  if (stat(StringToUtf8(fileName).c_str(), &st) != 0) throw EExcelError(u"Cannot find workbook " + fileName);
  throw EExcelError(u"Cannot open existing workbook " + fileName + u": workbooks are only written");
}

TExcelWorksheet* TExcelApplication::WorkSheets(int index) const {
  if (!active_) throw EExcelError(u"No workbook is open");
  return active_->WorkSheets(index);
}

String TExcelApplication::NewFileName() const {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H-%M-%S", &local);
  const String base = saveFolder_ + u"/Книга " + Utf8ToString(stamp);
  String name = base + u".xlsx";
  struct stat st;
  for (int n = 2; stat(StringToUtf8(name).c_str(), &st) == 0; ++n)
    name = base + u" (" + IntToStr(n) + u").xlsx";
  return name;
}

String TExcelApplication::SetVisible(bool value) {
  visible_ = value;
  if (!value || !active_) return String();
  if (active_->GetFileName().empty()) {
    MakeFolders(StringToUtf8(saveFolder_));
    active_->SetFileName(NewFileName());
  }
  active_->SaveAs(active_->GetFileName());
  Opener()(active_->GetFileName());
  return active_->GetFileName();
}
