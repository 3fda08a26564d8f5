// HTML export filter: positions in CSS pixels (96 to the inch) from the report's tenths of a
// millimetre, the page's declared charset matching the bytes written, pictures beside the page.
#include "reportlib/output/filters/QRHTMLFilter.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "platform/classes/Encoding.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/GraphicsApp.h"
#include "platform/graphics/Images.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "reportlib/output/QRError.h"
#include "reportlib/output/QRPrinter.h"

namespace {

constexpr double kPxPerTenthMm = 96 / 254.0;

String Px(double v) { return IntToStr(static_cast<long long>(std::lround(v))); }

String ColorToHex(TColor color) {
  const TColorRef c = ColorToRGB(color);
  static const char16_t digits[] = u"0123456789abcdef";
  String s = u"#";
  for (int shift : {0, 8, 16}) {
    const unsigned b = (c >> shift) & 0xFF;
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

// Replaces each listed character by its entity.
String Escape(const String& text, std::initializer_list<std::pair<Char, const Char*>> entities) {
  String s;
  for (Char c : text) {
    auto entity = std::find_if(entities.begin(), entities.end(), [c](const auto& e) { return e.first == c; });
    if (entity == entities.end())
      s += c;
    else
      s += entity->second;
  }
  return s;
}

String EscapeText(const String& text) {
  return Escape(text,
                {{u'&', u"&amp;"}, {u'<', u"&lt;"}, {u'>', u"&gt;"}, {u'£', u"&pound;"}, {u' ', u"&nbsp;"}});
}

String EscapeAttribute(const String& text) {
  return Escape(text, {{u'&', u"&amp;"}, {u'<', u"&lt;"}, {u'"', u"&quot;"}});
}

const TEncoding* EncodingOf(TTextEncoding e) {
  switch (e) {
    case AnsiEncoding:
      return TEncoding::ANSI();
    case BigEndianUnicodeEncoding:
      return TEncoding::BigEndianUnicode();
    case UnicodeEncoding:
      return TEncoding::Unicode();
    default:
      return TEncoding::UTF8();  // ASCII and UTF-7 are subsets the page can declare as UTF-8
  }
}

String CharsetOf(TTextEncoding e) {
  switch (e) {
    case AnsiEncoding:
      return u"windows-1251";
    case BigEndianUnicodeEncoding:
      return u"utf-16be";
    case UnicodeEncoding:
      return u"utf-16le";
    default:
      return u"utf-8";
  }
}

String Base64(const TBytes& bytes) {
  static const char16_t table[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  String s;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const unsigned v = (bytes[i] << 16) | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                       (i + 2 < bytes.size() ? bytes[i + 2] : 0);
    s += table[(v >> 18) & 63];
    s += table[(v >> 12) & 63];
    s += i + 1 < bytes.size() ? table[(v >> 6) & 63] : u'=';
    s += i + 2 < bytes.size() ? table[v & 63] : u'=';
  }
  return s;
}

}  // namespace

void TQRGAbstractExportFilter::Start(Integer PaperWidth, Integer PaperHeight, TFont* Font) {
  font_ = std::make_unique<TFont>();
  if (Font) font_->Assign(Font);
  charWidth_ = charHeight_ = font_->GetSize() * 3.5277777777777777778L;
  paperWidth_ = PaperWidth;
  paperHeight_ = PaperHeight;
  lineCount_ = charHeight_ > 0
                   ? static_cast<Integer>(std::lround(static_cast<double>(paperHeight_ / charHeight_)))
                   : 0;
  pageProcessed_ = false;
  TQRExportFilter::Start(PaperWidth, PaperHeight, Font);
}

THTMLFilterSettings& TQRGHTMLDocumentFilter::Settings() {
  static THTMLFilterSettings settings;
  return settings;
}

TQRGHTMLDocumentFilter::TQRGHTMLDocumentFilter(const String& filename) : TQRGAbstractExportFilter(filename) {
  if (TQRExportFilterLibrary::Probing()) return;
  THTMLFilterSettings& s = Settings();
  THTMLFilterSettings fresh;
  fresh.TextEncoding = s.TextEncoding;
  fresh.FirstLastLinks = s.FirstLastLinks;
  s = fresh;
}

TQRGHTMLDocumentFilter::~TQRGHTMLDocumentFilter() = default;

void TQRGHTMLDocumentFilter::SetHTMLBody(TColor BodyCol, const String& BGPic, const String& BExtra) {
  bodyColor_ = BodyCol;
  backgroundPic_ = BGPic;
  extraBody_ = BExtra;
}

String TQRGHTMLDocumentFilter::PageFileName(Integer n) const {
  // The base name stops at the first dot of the file's own name; dots of the folders stay.
  const String& name = GetFilename();
  const size_t slash = name.find_last_of(u"/\\");
  const size_t start = slash == String::npos ? 0 : slash + 1;
  const size_t dot = name.find(u'.', start);
  return (dot == String::npos ? name : name.substr(0, dot)) + IntToStr(n) + u".html";
}

String TQRGHTMLDocumentFilter::PictureFolder() const {
  const String dir = Trim(Settings().PictureDir);
  const String beside = ExtractFilePath(GetFilename());
  if (dir.empty()) return beside;
  String folder = dir.front() == u'/' ? dir : beside + dir;
  if (folder.back() != u'/') folder += u'/';
  return folder;
}

double TQRGHTMLDocumentFilter::PageOffset() const {
  if (Settings().MultiPage) return 0;
  return std::round(static_cast<double>(paperHeight_) * kPxPerTenthMm * (pageNumber_ - 1));
}

// The printer's device pixels (its unprintable margins left out) to CSS pixels of the whole paper.
double TQRGHTMLDocumentFilter::DevToPxX(Extended v) const {
  TQRPrinter* printer = GetOriginalQRPrinter();
  if (!printer) return static_cast<double>(v) * 96 / ScreenDpi();
  return (static_cast<double>(v / printer->GetXFactor()) + printer->GetLeftWaste()) * kPxPerTenthMm;
}

double TQRGHTMLDocumentFilter::DevToPxY(Extended v) const {
  TQRPrinter* printer = GetOriginalQRPrinter();
  if (!printer) return static_cast<double>(v) * 96 / ScreenDpi();
  return (static_cast<double>(v / printer->GetYFactor()) + printer->GetTopWaste()) * kPxPerTenthMm;
}

String TQRGHTMLDocumentFilter::BodyAttributes() const {
  String s = u" bgcolor=\"" + ColorToHex(bodyColor_) + u"\" ";
  if (!Trim(backgroundPic_).empty()) s += u" background=\"" + EscapeAttribute(backgroundPic_) + u"\"";
  if (!Trim(extraBody_).empty()) s += u" " + extraBody_;
  return s;
}

void TQRGHTMLDocumentFilter::AppendHead(const String& title) {
  Add(u"<!DOCTYPE html>");
  Add(u"<html>");
  Add(u"<head>");
  Add(u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" +
      CharsetOf(Settings().TextEncoding) + u"\">");
  Add(u"<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
  Add(u" <title>" + EscapeText(title) + u"</title>");
  Add(u"</head>");
  Add(u"<body " + BodyAttributes() + u">");
}

void TQRGHTMLDocumentFilter::Start(Integer PaperWidth, Integer PaperHeight, TFont* Font) {
  if (started_) return;  // a concatenated report continues the document
  doneHintBox_ = false;
  TQRGAbstractExportFilter::Start(PaperWidth, PaperHeight, Font);
  started_ = true;
  if (GetFilename().empty()) stream_ = std::make_unique<TMemoryStream>();
  if (!Settings().MultiPage) AppendHead(ExtractFileName(GetFilename()));
}

void TQRGHTMLDocumentFilter::NewPage() {
  if (!started_) Start(2100, 2970, nullptr);
  if (pageOpen_) EndPage();
  pageOpen_ = true;
  pageMaxY_ = 0;
  if (!Settings().MultiPage) {
    Add(u"<a name=\"page" + IntToStr(pageNumber_) + u"\" id=\"page" + IntToStr(pageNumber_) +
        u"\" class=\"pagemarker\" style=\"position:absolute;left:0px;top:" + Px(PageOffset()) +
        u"px;\"></a>");
    firstPage_ = false;
    return;
  }
  firstPage_ = false;
  if (heldPage_) WritePageFile(std::move(*heldPage_), false, 0);
  heldPage_.reset();
  AppendHead(ExtractFileName(PageFileName(pageNumber_)));
}

void TQRGHTMLDocumentFilter::TextOutRec(const TExportInfoRec& r) {
  QRCurrentControlName = r.ControlName;
  TextOut(r.Xpos, r.Ypos, r.Font, r.BGColor, r.Alignment, r.Text);
}

void TQRGHTMLDocumentFilter::TextOut(Extended X, Extended Y, TFont* Font, TColor, TAlignment Alignment,
                                     const String& Text) {
  if (!pageOpen_) NewPage();
  TFont* font = Font ? Font : font_.get();
  const double x = static_cast<double>(X) * kPxPerTenthMm;
  const double y = static_cast<double>(Y) * kPxPerTenthMm;
  Track(y + font->GetSize() * 96 / 72.0);
  // The browser aligns the text on its own measure, so right and centred texts end where the
  // report puts them whatever font it finds.
  String style = u"cursor:default;position:absolute;top:" + Px(PageOffset() + y) + u"px;left:" + Px(x) +
                 u"px;white-space:nowrap;font-family:" + EscapeAttribute(Trim(font->GetName())) +
                 u";font-size:" + IntToStr(font->GetSize()) + u"pt;";
  if (Alignment == taRightJustify) style += u"transform:translateX(-100%);";
  if (Alignment == taCenter) style += u"transform:translateX(-50%);";
  if (font->GetStyle().Contains(fsItalic)) style += u"font-style:italic;";
  if (font->GetStyle().Contains(fsBold)) style += u"font-weight:bold;";
  if ((ColorToRGB(font->GetColor()) & 0xFFFFFF) != 0)
    style += u"color:" + ColorToHex(font->GetColor()) + u";";
  Add(u"<div ID=\"" + EscapeAttribute(QRCurrentControlName) + u"\" name=\"" +
      EscapeAttribute(QRCurrentBandName) + u"\" style=\"" + style + u"\">");
  Add(EscapeText(Text));
  Add(u"</DIV>");
}

void TQRGHTMLDocumentFilter::AcceptShape(Extended Xoff, Extended Yoff, const TQRExportShape& shape) {
  if (!pageOpen_) NewPage();
  const double x = DevToPxX(Xoff), top = PageOffset() + DevToPxY(Yoff);
  const double w = shape.Width * 96 / ScreenDpi(), h = shape.Height * 96 / ScreenDpi();
  const double pen = std::max(1.0, shape.PenWidth * 96 / ScreenDpi());
  const String pc = ColorToHex(shape.PenColor);
  const String head = u"<DIV name=\"" + EscapeAttribute(QRCurrentBandName) + u"\" style=\"position:absolute;";
  auto box = [&](double l, double t, double bw, double bh, const String& extra) {
    Add(head + u"left:" + Px(l) + u"px;top:" + Px(t) + u"px;width:" + Px(bw) + u"px;height:" + Px(bh) +
        u"px;" + extra + u"\"></DIV>");
  };
  const bool visiblePen = shape.PenStyle != psClear;
  switch (shape.Shape) {
    case qesHorLine:
    case qesHRule:
      box(x, top + h / 2 - pen / 2, w, pen, u"background-color:" + pc + u";");
      break;
    case qesVertLine:
      box(x + w / 2 - pen / 2, top, pen, h, u"background-color:" + pc + u";");
      break;
    case qesRectangle:
    case qesRoundRect: {
      String extra = u"box-sizing:border-box;";
      if (shape.BrushStyle != bsClear) extra += u"background-color:" + ColorToHex(shape.BrushColor) + u";";
      if (visiblePen) extra += u"border:" + Px(pen) + u"px solid " + pc + u";";
      box(x, top, w, h, extra);
      break;
    }
    case qesTopAndBottom:
      box(x, top, w, h,
          u"box-sizing:border-box;border-top:" + Px(pen) + u"px solid " + pc + u";border-bottom:" + Px(pen) +
              u"px solid " + pc + u";");
      break;
    case qesRightAndLeft:
      box(x, top, w, h,
          u"box-sizing:border-box;border-left:" + Px(pen) + u"px solid " + pc + u";border-right:" + Px(pen) +
              u"px solid " + pc + u";");
      break;
    default:
      return;  // circles and diagonals have no markup
  }
  Track(top - PageOffset() + h);
}

void TQRGHTMLDocumentFilter::AcceptPicture(Extended Xoff, Extended Yoff, const TQRExportPicture& picture) {
  if (!pageOpen_) NewPage();
  if (!picture.Graphic || picture.Graphic->GetEmpty()) return;
  const Integer w = picture.Width, h = picture.Height;
  if (w <= 0 || h <= 0) return;
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(w, h);
  bitmap.GetCanvas()->GetBrush()->SetColor(clWhite);
  bitmap.GetCanvas()->FillRect(TRect(0, 0, w, h));
  if (picture.Stretch)
    bitmap.GetCanvas()->StretchDraw(TRect(0, 0, w, h), picture.Graphic);
  else
    bitmap.GetCanvas()->Draw(0, 0, picture.Graphic);
  TJPEGImage jpeg;
  jpeg.Assign(&bitmap);
  TMemoryStream bytes;
  jpeg.SaveToStream(&bytes);

  // One file per picture: a name met again gets a number.
  const String name = Trim(picture.Name).empty() ? String(u"picture") : Trim(picture.Name);
  const Integer seen = pictureNames_[name]++;
  const String file = name + (seen ? IntToStr(seen) : String()) + u".jpg";
  String src;
  if (GetFilename().empty() && Trim(Settings().PictureDir).empty()) {
    // A document without a file has no folder: the picture travels inside it.
    const Byte* data = static_cast<const Byte*>(bytes.GetMemory());
    src = u"data:image/jpeg;base64," + Base64(TBytes(data, data + bytes.GetSize()));
  } else {
    const String folder = PictureFolder();
    if (!folder.empty()) std::filesystem::create_directories(StringToUtf8(folder));
    bytes.SaveToFile(folder + file);
    const String dir = Trim(Settings().PictureDir);
    src = dir.empty() ? file : (dir.back() == u'/' ? dir : dir + u"/") + file;
  }
  const double x = DevToPxX(Xoff), top = PageOffset() + DevToPxY(Yoff);
  const double cw = w * 96 / ScreenDpi(), ch = h * 96 / ScreenDpi();
  Add(u"<DIV ID=\"" + EscapeAttribute(name) + u"\" data-cont=\"TQRImage\" name=\"" +
      EscapeAttribute(QRCurrentBandName) + u"\" style=\"position:absolute;left:" + Px(x) + u"px;top:" +
      Px(top) + u"px;width:" + Px(cw) + u"px;height:" + Px(ch) + u"px\"><img src=\"" + EscapeAttribute(src) +
      u"\" width=\"" + Px(cw) + u"\" height=\"" + Px(ch) + u"\" alt=\"" + EscapeAttribute(name) +
      u"\"></DIV>");
  Track(top - PageOffset() + ch);
}

void TQRGHTMLDocumentFilter::acceptHTMLTag(const String& anstr, Integer yp) {
  Add(StringReplace(anstr, u"!xx!", Px(yp + PageOffset()), {rfReplaceAll}));
}

void TQRGHTMLDocumentFilter::acceptImageURL(const String& name, const String& url, Integer xp, Integer yp) {
  Add(u"<div id=\"" + EscapeAttribute(name) + u"\" style=\"cursor:default;position:absolute;top:" +
      Px(yp + PageOffset()) + u"px;left:" + IntToStr(xp) + u"px;\"><img src=\"" + EscapeAttribute(url) +
      u"\"></div>");
}

void TQRGHTMLDocumentFilter::EndPage() {
  if (!pageOpen_) return;
  pageOpen_ = false;
  TQRGAbstractExportFilter::EndPage();
  if (Settings().MultiPage) {
    heldPage_ = THeldPage{pageNumber_, std::move(lines_), pageMaxY_};
    lines_.clear();
  }
  ++pageNumber_;
}

String TQRGHTMLDocumentFilter::HintBox() {
  doneHintBox_ = true;
  return u"<DIV ID=\"hintbox\" data-cont=\"TQRWebLabel\" class=\"qrcontrol\" "
         u"style=\"overflow:hidden;visibility:hidden;"
         u"cursor:default;position:absolute;top:28px;left:13px;width:120px;height:40px;text-align:left;font-"
         u"family:"
         u"Arial;font-size:12pt;font-weight:normal;color:#808080;background-color:#FFFFD1;border-style:solid;"
         u"border-color:#808080;border-width:1px;\">Hint</DIV>";
}

// The hint box (once per document) and the closing tags.
void TQRGHTMLDocumentFilter::AppendPageEnd(std::vector<String>& lines) {
  if (!doneHintBox_) lines.push_back(HintBox());
  lines.push_back(u"</body>");
  lines.push_back(u"</html>");
}

void TQRGHTMLDocumentFilter::WritePageFile(THeldPage page, bool lastPage, Integer finalPage) {
  const THTMLFilterSettings& s = Settings();
  if (s.FinalPage > 0) finalPage = s.FinalPage;
  if (page.number == 1 && !lastPage && s.PageLinks && s.FirstLastLinks && finalPage == 0) {
    firstPage1_ = std::move(page);
    return;
  }
  std::vector<String>& lines = page.lines;
  const Integer number = page.number;
  if (s.PageLinks) {
    const String gap = u"&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;";
    auto link = [&](Integer target, const Char* caption) {
      return u"<a href=\"" + EscapeAttribute(ExtractFileName(PageFileName(target))) + u"\">" + caption +
             u"</a>";
    };
    String bar = u"<div style=\"position:absolute;top:" + Px(page.maxY + 30) + u"px;left:10mm;font-family:" +
                 EscapeAttribute(s.LinkFontName) + u";font-size:" + IntToStr(s.LinkFontSize) +
                 u"pt;text-decoration:none;text-align:left;\">";
    if (s.FirstLastLinks && lastPage && number > 1) bar += link(1, u"First page") + gap;
    if (number > 1) bar += link(number - 1, u"Previous page") + gap;
    if (!lastPage) bar += link(number + 1, u"Next page");
    if (s.FirstLastLinks && number == 1 && !lastPage) bar += gap + link(finalPage, u"Last page");
    lines.push_back(bar + u"<br><br></div>");
  }
  AppendPageEnd(lines);
  SaveLines(PageFileName(number), lines);
}

void TQRGHTMLDocumentFilter::SaveLines(const String& fileName, const std::vector<String>& lines) {
  const TEncoding* encoding = EncodingOf(Settings().TextEncoding);
  String text;
  for (const String& l : lines) text += l + u"\r\n";
  TBytes bytes = encoding->GetPreamble();
  const TBytes body = encoding->GetBytes(text);
  bytes.insert(bytes.end(), body.begin(), body.end());
  if (fileName.empty()) {
    stream_->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
    return;
  }
  TFileStream file(fileName, fmCreate);
  file.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TQRGHTMLDocumentFilter::Finish() {
  const THTMLFilterSettings& s = Settings();
  if (pageOpen_) EndPage();
  if (s.Concat) return;
  if (s.MultiPage) {
    const Integer last = heldPage_ ? heldPage_->number : 0;
    if (heldPage_) WritePageFile(std::move(*heldPage_), true, last);
    heldPage_.reset();
    if (firstPage1_) WritePageFile(std::move(*firstPage1_), false, last);
    firstPage1_.reset();
  } else {
    AppendPageEnd(lines_);
    SaveLines(GetFilename(), lines_);
    lines_.clear();
  }
  started_ = false;
  TQRGAbstractExportFilter::Finish();
}

void TQRGHTMLDocumentFilter::EndConcat() {
  Settings().Concat = false;
  Settings().MultiPage = false;
  Finish();
}
