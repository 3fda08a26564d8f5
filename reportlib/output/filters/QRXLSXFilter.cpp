// XLSX export filter over libxlsxwriter: items collected during the run, laid out and checked at
// the end, the workbook written beside the target and renamed over it once complete.
#include "reportlib/output/filters/QRXLSXFilter.h"

#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <tuple>

#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "reportlib/output/QRError.h"

String& TQRXLSXDocumentFilter::WorkSheetname() {
  static String name = u"Untitled Sheet";
  return name;
}

Integer& TQRXLSXDocumentFilter::sheetLeftMargin() {
  static Integer margin = 1;
  return margin;
}

bool& TQRXLSXDocumentFilter::QR506Compat() {
  static bool compat = false;
  return compat;
}

TQRXLSXDocumentFilter::TQRXLSXDocumentFilter(const String& filename)
    : TQXLSXAbstractExportFilter(StartsStr(u"+++", filename) ? filename.substr(3) : filename) {
  target_ = GetFilename();
  if (!StartsStr(u"+++", filename) && !TQRExportFilterLibrary::Probing()) sheetLeftMargin() = 1;
}

TQRXLSXDocumentFilter::~TQRXLSXDocumentFilter() = default;

String TQRXLSXDocumentFilter::ColumnLetters(Integer index) {
  String letters;
  for (Integer n = index + 1; n > 0; n = (n - 1) / 26)
    letters.insert(letters.begin(), Char(u'A' + (n - 1) % 26));
  return letters;
}

Integer TQRXLSXDocumentFilter::NumFormatId(TXLNumFormat format) {
  // The built-in ids skip 11 (scientific) after the percentages: fractions are 12 and 13, the dates
  // 14 to 17, the times 18 to 21 and date with time 22.
  const Integer ordinal = static_cast<Integer>(format);
  return ordinal <= nfPercentDec2 ? ordinal : ordinal + 1;
}

String TQRXLSXDocumentFilter::NumFormatCode(const String& mask) {
  // The two languages agree on digits, separators, sections and exponents; a literal in single
  // quotes is one in double quotes in the workbook.
  String code;
  Char open = 0;
  for (Char c : mask) {
    if (open && c == open) {
      code += u'"';
      open = 0;
    } else if (open) {
      if (c == u'"') code += u'\\';
      code += c;
    } else if (c == u'\'' || c == u'"') {
      code += u'"';
      open = c;
    } else {
      code += c;
    }
  }
  if (open) code += u'"';
  return code;
}

void TQRXLSXDocumentFilter::NewPage() {
  ++pagenumber_;
  pageYOffset_ = maxYValue_;
  TQXLSXAbstractExportFilter::NewPage();
}

void TQRXLSXDocumentFilter::TextOutRec(const TExportInfoRec& r) {
  if (r.Column < 1 && !QR506Compat()) return;
  XLXSTextItem item;
  item.col = r.Column;
  item.X = r.Xpos;
  item.Y = r.Ypos + pageYOffset_;
  maxYValue_ = std::max(maxYValue_, item.Y);
  item.text = r.Text;
  item.exportAs = r.ExportAs;
  item.XLNumFormat = r.XLNumFormat;
  item.numberMask = r.NumberMask;
  item.controlName = Trim(r.ControlName).empty() ? String(u"noname") : r.ControlName;
  if (r.Font) {
    item.fontname = r.Font->GetName();
    item.fontsize = r.Font->GetSize();
    item.fontbold = r.Font->GetStyle().Contains(fsBold);
    item.fontitalic = r.Font->GetStyle().Contains(fsItalic);
    item.fontstrike = r.Font->GetStyle().Contains(fsStrikeOut);
    // System colours are resolved, not cut to their low bytes (which are near-black indexes).
    item.fontcolor = ColorToRGB(r.Font->GetColor()) & 0xFFFFFF;
  }
  item.fillcolor = ColorToRGB(r.BGColor) & 0xFFFFFF;
  item.alignment = r.Alignment;
  items_.push_back(std::move(item));
}

void TQRXLSXDocumentFilter::SetColWidths(Integer startcol, Integer endcol, Extended cwidth) {
  if (endcol >= startcol && cwidth >= 0)
    colWidths_.push_back({startcol, endcol, static_cast<double>(cwidth)});
}

namespace {

// The number in a report's text: blanks as thousands separators, a decimal comma or point.
bool ParseNumber(const String& text, double& value) {
  std::string s;
  for (Char c : Trim(text)) {
    if (c == u' ' || c == u'\u00A0' || c == u'\u202F') continue;
    if (c > 127) return false;
    s += c == u',' ? '.' : static_cast<char>(c);
  }
  if (s.empty() || s.find_first_not_of("+-0123456789.eE") != std::string::npos) return false;
  char* end = nullptr;
  value = std::strtod(s.c_str(), &end);
  return end == s.c_str() + s.size() && std::isfinite(value);
}

using TStyleKey =
    std::tuple<String, Integer, bool, bool, bool, TColorRef, TColorRef, Integer, Integer, String>;

TStyleKey StyleOf(const XLXSTextItem& i) {
  return {AnsiLowerCase(i.fontname),
          i.fontsize,
          i.fontbold,
          i.fontitalic,
          i.fontstrike,
          i.fontcolor,
          i.fillcolor,
          static_cast<Integer>(i.alignment),
          static_cast<Integer>(i.XLNumFormat),
          i.XLNumFormat == nfGeneral ? i.numberMask : String()};
}

lxw_color_t LxwColor(TColorRef rgb) {
  const lxw_color_t c = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
  return c == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : c;  // 0 means "no colour" to the library
}

// Sheet names may not hold []:*?/\ and have at most 31 characters.
std::string SheetName(const String& name) {
  String s = Trim(name);
  for (Char& c : s)
    if (String(u"[]:*?/\\").find(c) != String::npos) c = u'_';
  if (s.size() > 31) s.resize(31);
  if (s.empty()) s = u"Sheet1";
  return StringToUtf8(s);
}

}  // namespace

void TQRXLSXDocumentFilter::WriteWorkbook(const std::string& path) {
  // Layout first: rows by truncated position, then column, then arrival; every check is done before
  // the file is begun.
  struct TCell {
    Int64 y;
    Integer col, index;
  };
  std::vector<TCell> order;
  order.reserve(items_.size());
  for (size_t i = 0; i < items_.size(); ++i)
    order.push_back({static_cast<Int64>(std::trunc(items_[i].Y)), items_[i].col, static_cast<Integer>(i)});
  std::sort(order.begin(), order.end(), [](const TCell& a, const TCell& b) {
    return std::tie(a.y, a.col, a.index) < std::tie(b.y, b.col, b.index);
  });
  const Integer margin = sheetLeftMargin();
  struct TPlaced {
    lxw_row_t row;
    lxw_col_t col;
    const XLXSTextItem* item;
  };
  std::vector<TPlaced> cells;
  cells.reserve(order.size());
  lxw_row_t row = 0;
  Integer lastCol = -1;
  for (size_t k = 0; k < order.size(); ++k) {
    if (k > 0 && order[k].y != order[k - 1].y) {
      ++row;
      lastCol = -1;
    }
    const XLXSTextItem& item = items_[order[k].index];
    const Integer col = item.col > 0 && !QR506Compat() ? item.col + margin - 1 : item.col;
    if (col == lastCol)
      throw EQRError(u"Duplicate cell reference detected - please check 'XLColumn' property of " +
                     item.controlName);
    if (col < 0 || col >= LXW_COL_MAX || row >= LXW_ROW_MAX)
      throw EQRError(u"Cell out of the sheet's range: " + ColumnLetters(std::max(col, 0)) +
                     IntToStr(row + 1) + u" of " + item.controlName);
    lastCol = col;
    cells.push_back({row, static_cast<lxw_col_t>(col), &item});
  }

  lxw_workbook* book = workbook_new(path.c_str());
  if (!book) throw EQRError(u"Cannot create file \"" + target_ + u"\"");
  bool closed = false;
  auto closeBook = MakeScopeExit([&] {
    if (!closed) workbook_close(book);
  });
  lxw_worksheet* sheet = workbook_add_worksheet(book, SheetName(WorkSheetname()).c_str());
  if (!sheet) throw EQRError(u"Cannot add the sheet \"" + WorkSheetname() + u"\"");
  std::string title = StringToUtf8(Title), author = StringToUtf8(LastAuthor);
  lxw_doc_properties properties = {};
  properties.title = title.empty() ? nullptr : title.data();
  properties.author = author.empty() ? nullptr : author.data();
  workbook_set_properties(book, &properties);
  for (const TColWidth& w : colWidths_)
    worksheet_set_column(sheet, static_cast<lxw_col_t>(w.first - 1), static_cast<lxw_col_t>(w.last - 1),
                         w.width, nullptr);

  std::map<TStyleKey, lxw_format*> formats;
  auto formatOf = [&](const XLXSTextItem& i) {
    lxw_format*& f = formats[StyleOf(i)];
    if (f) return f;
    f = workbook_add_format(book);
    if (!i.fontname.empty()) format_set_font_name(f, StringToUtf8(Trim(i.fontname)).c_str());
    format_set_font_size(f, i.fontsize);
    if (i.fontbold) format_set_bold(f);
    if (i.fontitalic) format_set_italic(f);
    format_set_font_color(f, LxwColor(i.fontcolor));
    if (i.fillcolor != 0xFFFFFF) {
      format_set_pattern(f, LXW_PATTERN_SOLID);
      format_set_bg_color(f, LxwColor(i.fillcolor));
    }
    format_set_align(f, i.alignment == taRightJustify ? LXW_ALIGN_RIGHT
                        : i.alignment == taCenter     ? LXW_ALIGN_CENTER
                                                      : LXW_ALIGN_LEFT);
    format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
    // A format chosen for the workbook wins; else the cell shows the value as the report's mask does.
    if (i.XLNumFormat == nfGeneral && !Trim(i.numberMask).empty())
      format_set_num_format(f, StringToUtf8(TQRXLSXDocumentFilter::NumFormatCode(i.numberMask)).c_str());
    else
      format_set_num_format_index(f, static_cast<uint8_t>(NumFormatId(i.XLNumFormat)));
    return f;
  };

  for (const TPlaced& c : cells) {
    const XLXSTextItem& i = *c.item;
    lxw_format* f = formatOf(i);
    const std::string text = StringToUtf8(i.text);
    lxw_error error;
    double number = 0;
    if (i.exportAs == exptNumeric && ParseNumber(i.text, number))
      error = worksheet_write_number(sheet, c.row, c.col, number, f);
    else if (i.exportAs == exptFormula)
      error = worksheet_write_formula(sheet, c.row, c.col, text.c_str(), f);
    else  // a "number" that is no number keeps its text rather than being lost
      error = worksheet_write_string(sheet, c.row, c.col, text.c_str(), f);
    if (error != LXW_NO_ERROR)
      throw EQRError(u"Cannot write cell " + ColumnLetters(c.col) + IntToStr(c.row + 1) + u": " +
                     Utf8ToString(lxw_strerror(error)));
  }
  closed = true;
  const lxw_error error = workbook_close(book);
  if (error != LXW_NO_ERROR)
    throw EQRError(u"Cannot write file \"" + target_ + u"\": " + Utf8ToString(lxw_strerror(error)));
}

void TQRXLSXDocumentFilter::Finish() {
  if (concatenating_) return;
  if (items_.empty())
    throw EQRError(
        u"Nothing to export to the workbook: no text of the report names a spreadsheet column "
        u"(XLColumn)");
  // The workbook is written beside the target and takes its name once complete.
  static std::atomic<int> scratch = 0;
  const std::string path =
      target_.empty() ? (std::filesystem::temp_directory_path() /
                         ("kiv-xlsx-" + std::to_string(getpid()) + "-" + std::to_string(++scratch) + ".xlsx"))
                            .string()
                      : StringToUtf8(target_) + ".partial.xlsx";
  auto removeTemp = MakeScopeExit([&] { std::remove(path.c_str()); });
  WriteWorkbook(path);
  if (target_.empty()) {
    stream_ = std::make_unique<TMemoryStream>();
    stream_->LoadFromFile(Utf8ToString(path));
  } else if (std::rename(path.c_str(), StringToUtf8(target_).c_str()) != 0) {
    throw EQRError(u"Cannot write file \"" + target_ + u"\"");
  }
  TQXLSXAbstractExportFilter::Finish();
}

void TQRXLSXDocumentFilter::EndConcat() {
  concatenating_ = false;
  Finish();
}
