// PDF export filter: content operators per page, pages written as they end, a temporary file renamed
// over the target only when the whole document is written.
#include "reportlib/output/filters/QRPDFFilter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <ctime>

#include "platform/controls/Forms.h"
#include "platform/graphics/GraphicsApp.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "reportlib/output/QRError.h"
#include "reportlib/output/QRLZW.h"
#include "reportlib/output/QRPrinter.h"

namespace {

bool suppressDateTime = false;

std::string Rgb(TColor color, const char* op) {
  const TColorRef c = ColorToRGB(color) & 0xFFFFFF;
  return PdfNum((c & 0xFF) / 255.0) + " " + PdfNum(((c >> 8) & 0xFF) / 255.0) + " " +
         PdfNum(((c >> 16) & 0xFF) / 255.0) + " " + op + "\n";
}

// ASCII85 as the image data of the document: "z" for four zero bytes, line breaks now and then.
std::string Ascii85(const Byte* data, size_t size) {
  std::string out;
  out.reserve(size * 5 / 4 + size / 200 * 2 + 8);
  size_t column = 0;
  for (size_t i = 0; i < size; i += 4) {
    const size_t n = std::min<size_t>(4, size - i);
    uint32_t v = 0;
    for (size_t k = 0; k < 4; ++k) v = (v << 8) | (k < n ? data[i + k] : 0);
    if (v == 0 && n == 4) {
      out += 'z';
      column += 5;
    } else {
      char digits[5];
      for (int k = 4; k >= 0; --k) {
        digits[k] = static_cast<char>('!' + v % 85);
        v /= 85;
      }
      out.append(digits, n + 1);
      column += n + 1;
    }
    if (column > 200) {
      out += "\r\n";
      column = 0;
    }
  }
  return out + "~>";
}

}  // namespace

bool TQRPAbstractExportFilter::GetSuppressDateTime() { return suppressDateTime; }
void TQRPAbstractExportFilter::SetSuppressDateTime(bool value) { suppressDateTime = value; }

TStringList* TQRPDFDocumentFilter::MetaData() {
  static TStringList list;
  return &list;
}

TQRPDFDocumentFilter::TQRPDFDocumentFilter(const String& filename) : TQRPAbstractExportFilter(filename) {}

TQRPDFDocumentFilter::~TQRPDFDocumentFilter() { DiscardOutput(); }

void TQRPDFDocumentFilter::DiscardOutput() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
    std::remove(tempName_.c_str());
  }
  writer_.reset();
}

void TQRPDFDocumentFilter::OpenOutput() {
  if (GetFilename().empty()) {
    stream_ = std::make_unique<TMemoryStream>();
    writer_ = std::make_unique<TPDFObjectWriter>(
        [this](const char* data, size_t size) { stream_->WriteBuffer(data, static_cast<Integer>(size)); });
  } else {
    // The document is written beside the target and takes its name only when complete.
    tempName_ = StringToUtf8(GetFilename()) + ".partial";
    file_ = std::fopen(tempName_.c_str(), "wb");
    if (!file_) throw EQRError(u"Cannot create file \"" + GetFilename() + u"\"");
    writer_ = std::make_unique<TPDFObjectWriter>([this](const char* data, size_t size) {
      if (std::fwrite(data, 1, size, file_) != size)
        throw EQRError(u"Cannot write file \"" + GetFilename() + u"\"");
    });
  }
  writer_->Write("%PDF-1.3\n%\xE2\xE3\xCF\xD3\n");
  for (int i = 0; i < 3; ++i) writer_->NewObject();  // catalog, outlines, page tree
}

void TQRPDFDocumentFilter::Start(Integer PaperWidth, Integer PaperHeight, TFont* Font) {
  if (writer_) return;  // a concatenated report continues the document
  TQRPAbstractExportFilter::Start(PaperWidth, PaperHeight, Font);
  paperWidth_ = PaperWidth;
  paperHeight_ = PaperHeight;
  reportPage_ = 0;
  OpenOutput();
}

bool TQRPDFDocumentFilter::PageInRange() const {
  TQRPrinter* printer = GetOriginalQRPrinter();
  if (!printer || reportFinished_) return true;
  const Integer first = printer->GetFirstPage(), last = printer->GetLastPage();
  if (first == 0 || last == 0) return true;
  return reportPage_ >= first && reportPage_ <= last;
}

void TQRPDFDocumentFilter::NewPage() {
  ++reportPage_;
  if (pageOpen_) EndCurrentPage();
  if (PageInRange()) BeginPage();
}

void TQRPDFDocumentFilter::BeginPage() {
  if (!writer_) OpenOutput();
  if (!pageParamsSet_) {
    pageWidth_ = std::trunc(paperWidth_) * 0.1 * 72 / 25.4;
    pageHeight_ = std::trunc(paperHeight_) * 0.1 * 72 / 25.4;
    adjustTM_ = adjustLM_ = 0;
  }
  pageParamsSet_ = false;
  text_.clear();
  graphics_.clear();
  lastFont_ = lastSize_ = -1;
  lastTextColor_ = 0xFFFFFFFF;
  pageOpen_ = true;
}

void TQRPDFDocumentFilter::EnsurePage() {
  if (!pageOpen_) BeginPage();
}

void TQRPDFDocumentFilter::EndCurrentPage() {
  pageOpen_ = false;
  std::string content;
  const std::string text = text_.empty() ? std::string() : "BT\n" + text_ + "ET\n";
  content = textFirst_ ? text + graphics_ : graphics_ + text;
  const Integer page = writer_->NewObject(), contents = writer_->NewObject();
  writer_->BeginObject(page);
  writer_->Line("<< /Type /Page /Parent 3 0 R /Contents " + std::to_string(contents) +
                " 0 R /MediaBox [0 0 " + PdfNum(pageWidth_) + " " + PdfNum(pageHeight_) + "] >>");
  writer_->EndObject();
  writer_->StreamObject(contents, "", content, compressionOn_);
  if (pageObjects_.empty()) {
    firstWidth_ = pageWidth_;
    firstHeight_ = pageHeight_;
  }
  pageObjects_.push_back(page);
  text_.clear();
  graphics_.clear();
}

// The printer's positions leave out its unprintable margins; the PDF page is the whole paper.
double TQRPDFDocumentFilter::DevToPtX(Extended v) const {
  TQRPrinter* printer = GetOriginalQRPrinter();
  if (!printer) return static_cast<double>(v) * 72 / ScreenDpi();
  return (static_cast<double>(v / printer->GetXFactor()) + printer->GetLeftWaste()) * 72 / 254;
}

double TQRPDFDocumentFilter::DevToPtY(Extended v) const {
  TQRPrinter* printer = GetOriginalQRPrinter();
  if (!printer) return static_cast<double>(v) * 72 / ScreenDpi();
  return (static_cast<double>(v / printer->GetYFactor()) + printer->GetTopWaste()) * 72 / 254;
}

double TQRPDFDocumentFilter::ScreenToPt(Extended v) const {
  return static_cast<double>(v) * 72 / ScreenDpi();
}

void TQRPDFDocumentFilter::TextOut(Extended X, Extended Y, TFont* Font, TColor, TAlignment Alignment,
                                   const String& Text) {
  if (!PageInRange() || !Font) return;
  EnsurePage();
  double x = static_cast<double>(X) * 72 / 254 + adjustLM_;
  const double top = static_cast<double>(Y) * 72 / 254 + adjustTM_;
  const String shown = rightToLeft_ ? ReverseString(Text) : Text;
  const Integer index = fonts_.Register(Font, fontHandling_, shown);
  TQRPDFFont& font = fonts_.Get(index);
  const Integer size = Font->GetSize();
  const TFontStyles style = Font->GetStyle();
  // Only an aligned or a lined text needs its width.
  const bool lined = style.Contains(fsUnderline) || style.Contains(fsStrikeOut);
  const double width = Alignment != taLeftJustify || lined ? font.TextWidth(Text, size) : 0;
  if (Alignment == taRightJustify) x -= width;
  if (Alignment == taCenter) x -= width / 2;
  const double baseline = pageHeight_ - (top + font.GetAscent() * size / 1000);

  const TColorRef color = ColorToRGB(Font->GetColor()) & 0xFFFFFF;
  if (color != lastTextColor_) {
    text_ += Rgb(Font->GetColor(), "rg");
    lastTextColor_ = color;
  }
  if (index != lastFont_ || size != lastSize_) {
    char sel[32];
    std::snprintf(sel, sizeof sel, "/F%02d %d Tf\n", index, size);
    text_ += sel;
    lastFont_ = index;
    lastSize_ = size;
  }
  text_ += "1 0 0 1 " + PdfNum(x) + " " + PdfNum(baseline) + " Tm " + font.ShowText(shown) + " Tj\n";

  if (lined) {
    const double thickness = std::max(0.5, size / 14.0);
    graphics_ += Rgb(Font->GetColor(), "RG") + PdfNum(thickness) + " w\n";
    for (bool under : {true, false}) {
      if (!style.Contains(under ? fsUnderline : fsStrikeOut)) continue;
      const double y = under ? baseline - size * 0.1 : baseline + size * 0.3;
      graphics_ += PdfNum(x) + " " + PdfNum(y) + " m " + PdfNum(x + width) + " " + PdfNum(y) + " l S\n";
    }
  }
}

void TQRPDFDocumentFilter::WriteShapeLines(const TQRExportShape& shape, double X, double Y, double W,
                                           double H, bool filled) {
  std::string& g = graphics_;
  auto line = [&](double x1, double y1, double x2, double y2) {
    g += PdfNum(x1) + " " + PdfNum(y1) + " m " + PdfNum(x2) + " " + PdfNum(y2) + " l S\n";
  };
  g += filled ? Rgb(shape.BrushColor, "rg") : Rgb(shape.PenColor, "RG");
  switch (shape.Shape) {
    case qesRectangle:
    case qesRoundRect:
      g += PdfNum(X) + " " + PdfNum(Y - H) + " " + PdfNum(W) + " " + PdfNum(H) +
           (filled ? " re f\n" : " re S\n");
      break;
    case qesCircle: {
      const double rx = W / 2, ry = H / 2, cx = X + rx, cy = Y - ry, k = 0.55229;
      g += PdfNum(cx) + " " + PdfNum(cy + ry) + " m\n";
      auto curve = [&](double x1, double y1, double x2, double y2, double x3, double y3) {
        g += PdfNum(x1) + " " + PdfNum(y1) + " " + PdfNum(x2) + " " + PdfNum(y2) + " " + PdfNum(x3) + " " +
             PdfNum(y3) + " c\n";
      };
      curve(cx + k * rx, cy + ry, cx + rx, cy + k * ry, cx + rx, cy);
      curve(cx + rx, cy - k * ry, cx + k * rx, cy - ry, cx, cy - ry);
      curve(cx - k * rx, cy - ry, cx - rx, cy - k * ry, cx - rx, cy);
      curve(cx - rx, cy + k * ry, cx - k * rx, cy + ry, cx, cy + ry);
      g += filled ? "f\n" : "S\n";
      break;
    }
    case qesHorLine:
    case qesHRule:
      line(X, Y - H / 2, X + W, Y - H / 2);
      break;
    case qesVertLine:
      line(X + W / 2, Y - H, X + W / 2, Y);
      break;
    case qesTopAndBottom:
      line(X, Y, X + W, Y);
      line(X, Y - H, X + W, Y - H);
      break;
    case qesRightAndLeft:
      line(X, Y - H, X, Y);
      line(X + W, Y - H, X + W, Y);
      break;
    case qesRightDiagonal:
      line(X, Y, X + W, Y - H);
      break;
    case qesLeftDiagonal:
      line(X, Y - H, X + W, Y);
      break;
  }
}

void TQRPDFDocumentFilter::AcceptShape(Extended Xoff, Extended Yoff, const TQRExportShape& shape) {
  if (!PageInRange()) return;
  EnsurePage();
  const double x = DevToPtX(Xoff) + adjustLM_, y = pageHeight_ - (DevToPtY(Yoff) + adjustTM_);
  const double w = ScreenToPt(shape.Width) * static_cast<double>(BGHFactor), h = ScreenToPt(shape.Height);
  const bool area = shape.Shape == qesRectangle || shape.Shape == qesRoundRect || shape.Shape == qesCircle;
  if (area && shape.BrushStyle != bsClear) WriteShapeLines(shape, x, y, w, h, true);
  if (shape.PenStyle == psClear) return;
  graphics_ += PdfNum(std::max(0.1, ScreenToPt(shape.PenWidth))) + " w\n";
  WriteShapeLines(shape, x, y, w, h, false);
}

void TQRPDFDocumentFilter::AcceptPicture(Extended Xoff, Extended Yoff, const TQRExportPicture& picture) {
  if (!PageInRange() || !picture.Graphic || picture.Graphic->GetEmpty()) return;
  EnsurePage();
  // The pixels at the picture's own size when it is stretched (the reader scales them), else the
  // part of the picture that the box shows.
  const Integer bw = picture.Stretch ? picture.Graphic->GetWidth() : picture.Width;
  const Integer bh = picture.Stretch ? picture.Graphic->GetHeight() : picture.Height;
  if (bw <= 0 || bh <= 0) return;
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(bw, bh);
  bitmap.GetCanvas()->GetBrush()->SetColor(clWhite);
  bitmap.GetCanvas()->FillRect(TRect(0, 0, bw, bh));
  bitmap.GetCanvas()->Draw(0, 0, picture.Graphic);
  TMemoryStream pixels;
  pixels.SetSize(static_cast<Int64>(bw) * bh * 3);
  Byte* out = static_cast<Byte*>(pixels.GetMemory());
  for (Integer row = 0; row < bh; ++row) {
    const Byte* in = static_cast<const Byte*>(bitmap.GetScanLine(row));
    for (Integer col = 0; col < bw; ++col, in += 3) {
      *out++ = in[2];
      *out++ = in[1];
      *out++ = in[0];
    }
  }
  std::string data;
  std::string filter = "/ASCII85Decode";
  if (compressionOn_) {
    TMemoryStream packed;
    LZWEncode(&pixels, &packed);
    data = Ascii85(static_cast<const Byte*>(packed.GetMemory()), static_cast<size_t>(packed.GetSize()));
    filter += " /LZWDecode";
  } else {
    data = Ascii85(static_cast<const Byte*>(pixels.GetMemory()), static_cast<size_t>(pixels.GetSize()));
  }
  const double w = ScreenToPt(picture.Width), h = ScreenToPt(picture.Height);
  const double x = DevToPtX(Xoff) + adjustLM_, bottom = pageHeight_ - (DevToPtY(Yoff) + adjustTM_) - h;
  graphics_ += "q " + PdfNum(w) + " 0 0 " + PdfNum(h) + " " + PdfNum(x) + " " + PdfNum(bottom) +
               " cm\nBI\n/W " + std::to_string(bw) + " /H " + std::to_string(bh) + " /BPC 8 /CS /RGB /F [" +
               (compressionOn_ ? std::string("/A85 /LZW") : std::string("/A85")) + "]\nID\n" + data +
               "\nEI\nQ\n";
}

void TQRPDFDocumentFilter::SetDocumentInfo(const String& Creator, const String& author, const String& Title,
                                           const String& Subject) {
  docCreator_ = Creator;
  docAuthor_ = author;
  docTitle_ = Title;
  docSubject_ = Subject;
}

void TQRPDFDocumentFilter::SetMargins(Integer TopMarg, Integer Leftmarg) {
  topMargin_ = TopMarg;
  leftMargin_ = Leftmarg;
}

void TQRPDFDocumentFilter::SetPageParams(Extended w, Extended h, Extended, Extended tma, Extended lma) {
  pageWidth_ = static_cast<double>(w);
  pageHeight_ = static_cast<double>(h);
  adjustTM_ = static_cast<double>(tma);
  adjustLM_ = static_cast<double>(lma);
  pageParamsSet_ = !pageOpen_;
}

void TQRPDFDocumentFilter::WriteDocumentEnd() {
  TPDFObjectWriter& w = *writer_;
  const std::string fonts = fonts_.WriteFonts(w, compressionOn_);
  const Integer info = w.NewObject(), procSet = w.NewObject();

  w.BeginObject(1);
  w.Line("<< /Type /Catalog /Pages 3 0 R /Outlines 2 0 R");
  w.Line("/ViewerPreferences << /HideToolbar false /FitWindow true >> >>");
  w.EndObject();
  w.BeginObject(2);
  w.Line("<< /Type /Outlines /Count 0 >>");
  w.EndObject();
  w.BeginObject(3);
  std::string kids;
  for (Integer page : pageObjects_) kids += (kids.empty() ? "" : " ") + std::to_string(page) + " 0 R";
  w.Line("<< /Type /Pages /Count " + std::to_string(pageObjects_.size()) + " /Kids [" + kids + "]");
  w.Line("/MediaBox [0 0 " + PdfNum(firstWidth_) + " " + PdfNum(firstHeight_) + "]");
  w.Line("/Resources << /Font <<");
  w.Write(fonts);
  w.Line("  >> /ProcSet " + std::to_string(procSet) + " 0 R >> >>");
  w.EndObject();

  w.BeginObject(info);
  w.Line("<<");
  if (!suppressDateTime) {
    const std::time_t now = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "(D:%Y%m%d%H%M%S)", std::localtime(&now));
    w.Line(std::string("/CreationDate ") + stamp);
  }
  w.Line("/Producer (VaruzUvuzeds PDF Export)");
  w.Line("/Subject " + PdfTextString(docSubject_));
  w.Line("/Creator " + PdfTextString(docCreator_));
  w.Line("/Title " + PdfTextString(docTitle_));
  w.Line("/Author " + PdfTextString(docAuthor_));
  TStringList* meta = MetaData();
  for (int i = 0; i < meta->GetCount(); ++i) {
    const String entry = meta->Get(i);
    const int comma = Pos(u",", entry);
    if (!comma || PosEx(u",", entry, comma + 1)) continue;
    const String key = Trim(Copy(entry, 1, comma - 1)), value = Trim(Copy(entry, comma + 1, Length(entry)));
    // A key becomes a PDF name: only letters and digits keep the dictionary readable.
    if (key.empty() ||
        !std::all_of(key.begin(), key.end(), [](Char c) { return c < 128 && std::isalnum(c); }))
      continue;
    w.Line("/" + StringToUtf8(key) + " " + PdfTextString(value));
  }
  w.Line(">>");
  w.EndObject();
  w.BeginObject(procSet);
  w.Line("[/PDF /Text /ImageC]");
  w.EndObject();
  w.Close(1, info);
}

void TQRPDFDocumentFilter::Finish() {
  reportFinished_ = true;
  if (concatenating_) return;
  if (!writer_) OpenOutput();
  if (pageOpen_)
    EndCurrentPage();
  else if (pageObjects_.empty()) {
    BeginPage();
    EndCurrentPage();
  }
  try {
    WriteDocumentEnd();
  } catch (...) {
    DiscardOutput();  // nothing half-written takes the target's name
    throw;
  }
  writer_.reset();
  if (file_) {
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    const std::string target = StringToUtf8(GetFilename());
    if (!closed || std::rename(tempName_.c_str(), target.c_str()) != 0) {
      std::remove(tempName_.c_str());
      throw EQRError(u"Cannot write file \"" + GetFilename() + u"\"");
    }
  }
  TQRPAbstractExportFilter::Finish();
}

void TQRPDFDocumentFilter::EndConcat() {
  concatenating_ = false;
  Finish();
}
