// HTML export filter: every text line, rule, shape and picture of the report becomes an absolutely
// positioned element, so the page in the browser looks like the printed one; either one document
// with all pages one below the other, or one file per page with links between them. Pictures are
// written as JPEG files beside the page.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/classes/Streams.h"
#include "reportlib/output/QRExportFilter.h"

enum TTextEncoding {
  AnsiEncoding,
  ASCIIEncoding,
  BigEndianUnicodeEncoding,
  DefaultEncoding,
  UnicodeEncoding,
  UTF7Encoding,
  UTF8Encoding
};

// The settings every HTML filter of the process shares.
struct THTMLFilterSettings {
  TTextEncoding TextEncoding = UTF8Encoding;
  bool MultiPage = false;
  bool PageLinks = false;
  bool FirstLastLinks = false;
  Integer FinalPage = 0;
  String LinkFontName = u"Arial";
  Integer LinkFontSize = 12;
  String PictureDir;
  bool TransparentTextBG = false;
  bool Concat = false;
  Integer ConcatCount = 1;
};

class TQRGAbstractExportFilter : public TQRExportFilter {
  KIV_CLASS(TQRGAbstractExportFilter, TQRExportFilter)
 public:
  explicit TQRGAbstractExportFilter(const String& filename) : TQRExportFilter(filename) {}
  String GetName() const override { return u"QRAbstract"; }
  String GetDescription() const override { return {}; }
  void Start(Integer PaperWidth, Integer PaperHeight, TFont* Font) override;
  void EndPage() override { ProcessPage(); }
  void NewPage() override { pageProcessed_ = false; }

 protected:
  virtual void ProcessPage() { pageProcessed_ = true; }
  virtual void StorePage() {}
  Extended charWidth_ = 0, charHeight_ = 0, paperWidth_ = 0, paperHeight_ = 0;
  Integer lineCount_ = 0;
  bool pageProcessed_ = false;
  std::unique_ptr<TFont> font_;
};

class TQRGHTMLDocumentFilter : public TQRGAbstractExportFilter {
  KIV_CLASS(TQRGHTMLDocumentFilter, TQRGAbstractExportFilter)
 public:
  // Resets the shared settings (but the encoding and FirstLastLinks) unless the filter library made
  // it only to ask its name.
  explicit TQRGHTMLDocumentFilter(const String& filename);
  ~TQRGHTMLDocumentFilter() override;

  String GetName() const override { return u"HTML document"; }
  String GetDescription() const override { return u"HTML document for web publishing"; }
  String GetFileExtension() const override { return u"HTM"; }

  void Start(Integer PaperWidth, Integer PaperHeight, TFont* Font) override;
  void NewPage() override;
  void EndPage() override;
  void Finish() override;
  void TextOut(Extended X, Extended Y, TFont* Font, TColor BGColor, TAlignment Alignment,
               const String& Text) override;
  void TextOutRec(const TExportInfoRec& r) override;
  void AcceptShape(Extended Xoff, Extended Yoff, const TQRExportShape& shape) override;
  void AcceptPicture(Extended Xoff, Extended Yoff, const TQRExportPicture& picture) override;
  void EndConcat();

  void SetHTMLBody(TColor BodyCol, const String& BGPic, const String& BExtra);
  // A fragment from the band printing; every "!xx!" becomes yp plus the page's offset.
  void acceptHTMLTag(const String& anstr, Integer yp) override;
  // A picture that the page loads from its URL.
  void acceptImageURL(const String& name, const String& url, Integer xp, Integer yp);

  static THTMLFilterSettings& Settings();
  // The document when the filter has no file name.
  TMemoryStream* GetStream() const { return stream_.get(); }
  // The file of page n in the multi-page mode.
  String PageFileName(Integer n) const;
  // Folder for the pictures (with its trailing delimiter) and how the page refers to it.
  String PictureFolder() const;

 private:
  double PageOffset() const;
  double DevToPxX(Extended v) const;
  double DevToPxY(Extended v) const;
  void AppendHead(const String& title);
  String BodyAttributes() const;
  struct THeldPage {
    Integer number = 0;
    std::vector<String> lines;
    double maxY = 0;
  };
  void WritePageFile(THeldPage page, bool lastPage, Integer finalPage);
  String HintBox();
  void AppendPageEnd(std::vector<String>& lines);
  void SaveLines(const String& fileName, const std::vector<String>& lines);
  void Add(const String& line) { lines_.push_back(line); }
  void Track(double y) { pageMaxY_ = std::max(pageMaxY_, y); }

  TColor bodyColor_ = clWhite;
  String backgroundPic_, extraBody_;
  Integer pageNumber_ = 1;
  double pageMaxY_ = 0;
  bool firstPage_ = true, pageOpen_ = false;
  bool doneHintBox_ = false, started_ = false;
  std::vector<String> lines_;
  // Multi-page mode: the ended page waits until it is known whether another follows; with links to
  // the last page but no final page number given, page 1 waits for the end.
  std::optional<THeldPage> heldPage_, firstPage1_;
  std::map<String, Integer> pictureNames_;
  std::unique_ptr<TMemoryStream> stream_;
};
