// XLSX export filter: the report's text items that name a spreadsheet column become the cells of a
// one-sheet workbook, one row per distinct vertical position, pages stacked one below the other,
// with their fonts, fills, alignment and number formats as cell styles.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/Streams.h"
#include "reportlib/output/QRExportFilter.h"

class TQXLSXAbstractExportFilter : public TQRExportFilter {
  KIV_CLASS(TQXLSXAbstractExportFilter, TQRExportFilter)
 public:
  explicit TQXLSXAbstractExportFilter(const String& filename) : TQRExportFilter(filename) {}
  String GetName() const override { return u"QRAbstract"; }
  String GetDescription() const override { return {}; }
  String GetFileExtension() const override { return u"xlsx"; }
  void NewPage() override { pageProcessed_ = false; }
  void EndPage() override { ProcessPage(); }

 protected:
  virtual void ProcessPage() { pageProcessed_ = true; }
  virtual void StorePage() {}
  bool pageProcessed_ = false;
};

// One collected text item.
struct XLXSTextItem {
  Integer col = 0;
  Extended X = 0, Y = 0;
  String text;
  String fontname;
  TExportType exportAs = exptText;
  bool fontbold = false, fontitalic = false, fontstrike = false;
  Integer fontsize = 10;
  TColorRef fontcolor = 0;  // RGB, system colours resolved
  TColorRef fillcolor = 0xFFFFFF;
  TAlignment alignment = taLeftJustify;
  String controlName;
  TXLNumFormat XLNumFormat = nfGeneral;
  String numberMask;
};

class TQRXLSXDocumentFilter : public TQXLSXAbstractExportFilter {
  KIV_CLASS(TQRXLSXDocumentFilter, TQXLSXAbstractExportFilter)
 public:
  // A file name that starts with "+++" keeps the shared left margin; any other sets it to 1.
  explicit TQRXLSXDocumentFilter(const String& filename);
  ~TQRXLSXDocumentFilter() override;

  String GetName() const override { return u"XLSX spreadsheet"; }
  String GetDescription() const override { return u"XLSX spreadsheet"; }

  void NewPage() override;
  void TextOutRec(const TExportInfoRec& ExportInfo) override;
  // Raises EQRError when no item names a column or two items share a cell; nothing is written then.
  void Finish() override;
  void EndConcat();
  // Column widths in characters for the columns startcol..endcol (1-based).
  void SetColWidths(Integer startcol, Integer endcol, Extended cwidth);

  // The workbook when the filter has no file name.
  TMemoryStream* GetStream() const { return stream_.get(); }
  const String& GetTargetName() const { return target_; }
  bool GetConcatenating() const { return concatenating_; }
  void SetConcatenating(bool value) { concatenating_ = value; }
  String Title, LastAuthor;

  // Shared by every XLSX filter of the process.
  static String& WorkSheetname();
  static Integer& sheetLeftMargin();
  static bool& QR506Compat();

  // 0 "A", 25 "Z", 26 "AA", 701 "ZZ", 702 "AAA".
  static String ColumnLetters(Integer index);
  // The workbook's built-in number format for the report's choice.
  static Integer NumFormatId(TXLNumFormat format);
  // The workbook's number format code for a report's display mask ("#,##0.00", "0.000;-0.000").
  static String NumFormatCode(const String& mask);

 private:
  void WriteWorkbook(const std::string& path);

  String target_;
  std::vector<XLXSTextItem> items_;
  Extended pageYOffset_ = 0, maxYValue_ = 0;
  Integer pagenumber_ = 1;
  bool concatenating_ = false;
  struct TColWidth {
    Integer first, last;
    double width;
  };
  std::vector<TColWidth> colWidths_;
  std::unique_ptr<TMemoryStream> stream_;
};
