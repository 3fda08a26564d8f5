// PDF export filter: writes a report as a PDF document, each page's texts and graphics as content
// operators, pages written out as they end so that memory does not grow with the page count; the
// fonts, the page tree and the document information follow at the end.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Streams.h"
#include "reportlib/output/QRExportFilter.h"
#include "reportlib/output/filters/QRPDFFonts.h"

// The thin base of the newer filters: the target stream and the settings shared by all of them.
class TQRPAbstractExportFilter : public TQRExportFilter {
  KIV_CLASS(TQRPAbstractExportFilter, TQRExportFilter)
 public:
  explicit TQRPAbstractExportFilter(const String& filename) : TQRExportFilter(filename) {}
  String GetName() const override { return u"QRAbstract"; }
  String GetDescription() const override { return {}; }

  // The stream the document goes to when the filter has no file name; the filter owns it.
  TMemoryStream* GetStream() const { return stream_.get(); }
  // Shared by every filter of the process.
  static bool GetSuppressDateTime();
  static void SetSuppressDateTime(bool value);
  Extended BGHFactor = 1.0;

 protected:
  virtual void ProcessPage() { pageProcessed_ = true; }
  virtual void StorePage() {}
  std::unique_ptr<TMemoryStream> stream_;
  bool pageProcessed_ = false;
};

class TQRPDFDocumentFilter : public TQRPAbstractExportFilter {
  KIV_CLASS(TQRPDFDocumentFilter, TQRPAbstractExportFilter)
 public:
  explicit TQRPDFDocumentFilter(const String& filename);
  ~TQRPDFDocumentFilter() override;

  String GetName() const override { return u"PDF document"; }
  String GetDescription() const override { return u"PDF document filter"; }
  String GetFileExtension() const override { return u"PDF"; }

  void Start(Integer PaperWidth, Integer PaperHeight, TFont* Font) override;
  void NewPage() override;
  void EndPage() override {}
  void Finish() override;
  void TextOut(Extended X, Extended Y, TFont* Font, TColor BGColor, TAlignment Alignment,
               const String& Text) override;
  void TextOutRec(const TExportInfoRec& r) override {
    TextOut(r.Xpos, r.Ypos, r.Font, r.BGColor, r.Alignment, r.Text);
  }
  void AcceptShape(Extended Xoff, Extended Yoff, const TQRExportShape& shape) override;
  void AcceptPicture(Extended Xoff, Extended Yoff, const TQRExportPicture& picture) override;
  void EndConcat();

  void SetDocumentInfo(const String& Creator, const String& author, const String& Title,
                       const String& Subject);
  void SetMargins(Integer TopMarg, Integer Leftmarg);
  // Page size in points and offsets in points added to the positions, until the next page starts.
  void SetPageParams(Extended w, Extended h, Extended tm, Extended tma, Extended lma);

  bool GetConcatenating() const { return concatenating_; }
  void SetConcatenating(bool value) { concatenating_ = value; }
  bool GetTextOnTop() const { return !textFirst_; }
  void SetTextOnTop(bool value) { textFirst_ = !value; }
  bool GetCompressionOn() const { return compressionOn_; }
  void SetCompressionOn(bool value) { compressionOn_ = value; }
  TFontHandling GetFontHandling() const { return fontHandling_; }
  void SetFontHandling(TFontHandling value) { fontHandling_ = value; }
  bool GetRightToLeft() const { return rightToLeft_; }
  void SetRightToLeft(bool value) { rightToLeft_ = value; }
  Integer GetPageLength() const { return pageLength_; }
  void SetPageLength(Integer value) { pageLength_ = value; }
  Integer GetPageCount() const { return static_cast<Integer>(pageObjects_.size()); }
  // Lines "key,value" added to the document information; shared by every filter.
  static TStringList* MetaData();

  void AddFontMap(const String& ssmap) { fonts_.AddFontMap(ssmap); }
  void AddTTFont(const String& FontName) { fonts_.AddTTFont(FontName); }
  void AddCustomWidths(const String& FontName, const String& widthstr) {
    fonts_.AddCustomWidths(FontName, widthstr);
  }
  void AddCustomEncoding(const String& FontName, const String& encodingstr) {
    fonts_.AddCustomEncoding(FontName, encodingstr);
  }
  TQRPDFFontList& GetFonts() { return fonts_; }

 private:
  bool PageInRange() const;
  void OpenOutput();
  void BeginPage();
  void EndCurrentPage();
  void EnsurePage();
  // Device pixels of the page to points.
  double DevToPtX(Extended v) const;
  double DevToPtY(Extended v) const;
  double ScreenToPt(Extended v) const;
  void WriteShapeLines(const TQRExportShape& shape, double x, double y, double w, double h, bool filled);
  void WriteDocumentEnd();
  void DiscardOutput();

  Integer pageLength_ = 2500;
  Integer topMargin_ = 0, leftMargin_ = 0;
  bool concatenating_ = false, textFirst_ = false, compressionOn_ = true, rightToLeft_ = false;
  TFontHandling fontHandling_ = fhAutoEmbed;
  String docSubject_, docCreator_ = u"VaruzUvuzeds", docTitle_, docAuthor_;
  Integer paperWidth_ = 2100, paperHeight_ = 2970;
  double pageWidth_ = 0, pageHeight_ = 0;
  double adjustTM_ = 0, adjustLM_ = 0;
  bool pageParamsSet_ = false;
  Integer reportPage_ = 0;
  bool reportFinished_ = false;
  bool pageOpen_ = false;
  std::string text_, graphics_;
  Integer lastFont_ = -1, lastSize_ = -1;
  TColorRef lastTextColor_ = 0xFFFFFFFF;
  std::vector<Integer> pageObjects_;
  double firstWidth_ = 0, firstHeight_ = 0;
  std::unique_ptr<TPDFObjectWriter> writer_;
  std::FILE* file_ = nullptr;
  std::string tempName_;
  TQRPDFFontList fonts_;
};
