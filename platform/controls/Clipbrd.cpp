// The clipboard over QClipboard: format numbers to MIME types, the open/close batch and the text views.
#include "platform/controls/Clipbrd.h"

#include <iconv.h>

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QStringList>
#include <algorithm>
#include <mutex>

#include "platform/classes/Streams.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Metafile.h"
#include "platform/rtl/AnsiString.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {

constexpr TClipboardFormat kFirstRegistered = 0xC000;
const char* const kTextMime = "text/plain";
const char* const kEmfMime = "image/x-emf";

struct RegisteredFormat {
  String name;
  QString mime;
};

// Format names known to the system and to other programs, in the order they get their numbers.
std::vector<RegisteredFormat>& Registry() {
  static std::vector<RegisteredFormat> formats{
      {u"VCLDBIF", QStringLiteral("application/x-vcldbif")},
      {u"Csv", QStringLiteral("text/csv")},
      {u"Rich Text Format", QStringLiteral("text/rtf")},
      {u"XML Spreadsheet", QStringLiteral("application/x-xml-spreadsheet")},
  };
  return formats;
}

std::mutex& RegistryMutex() {
  static std::mutex m;
  return m;
}

// A private MIME type for a name nobody else knows, the same in every process: the name in lower case,
// ASCII letters and digits as they are, anything else as "-x" and its hex code, so names stay apart.
QString PrivateMime(const String& name) {
  QString out = QStringLiteral("application/x-kiv-");
  for (QChar c : ToQString(name).toLower()) {
    if (c.unicode() < 128 && c.isLetterOrNumber())
      out += c;
    else
      out += QStringLiteral("-x") + QString::number(c.unicode(), 16);
  }
  return out;
}

bool IsTextFormat(TClipboardFormat f) { return f == CF_TEXT || f == CF_UNICODETEXT || f == CF_OEMTEXT; }
bool IsImageFormat(TClipboardFormat f) { return f == CF_BITMAP; }

QString MimeOf(TClipboardFormat format) {
  switch (format) {
    case CF_TEXT:
    case CF_UNICODETEXT:
    case CF_OEMTEXT:
      return QString::fromLatin1(kTextMime);
    case CF_ENHMETAFILE:
      return QString::fromLatin1(kEmfMime);
    case CF_HDROP:
      return QStringLiteral("text/uri-list");
    default:
      break;
  }
  if (format >= kFirstRegistered) {
    std::lock_guard lock(RegistryMutex());
    size_t index = format - kFirstRegistered;
    if (index < Registry().size()) return Registry()[index].mime;
  }
  return QString();
}

std::string ConvertWithIconv(const std::string& in, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
  std::string out(in.size() * 4 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  while (srcLeft > 0) {
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) break;
    if (srcLeft == 0 || dstLeft == 0) break;
    // A character the code page lacks becomes '?', as the system's conversion does.
    *dst++ = '?';
    --dstLeft;
    ++src;
    --srcLeft;
  }
  iconv_close(cd);
  out.resize(out.size() - dstLeft);
  return out;
}

// The bytes up to the first terminator of `width` zero bytes (aligned for UTF-16).
std::string UpToTerminator(const TBytes& data, size_t width) {
  size_t n = data.size() - data.size() % width;
  for (size_t i = 0; i + width <= n; i += width) {
    bool zero = std::all_of(data.begin() + i, data.begin() + i + width, [](Byte b) { return b == 0; });
    if (zero) return std::string(data.begin(), data.begin() + i);
  }
  return std::string(data.begin(), data.begin() + n);
}

String TextFromHandle(TClipboardFormat format, const TBytes& data) {
  if (format == CF_UNICODETEXT) {
    std::string raw = UpToTerminator(data, 2);
    String s(raw.size() / 2, u'\0');
    for (size_t i = 0; i < s.size(); ++i)
      s[i] = static_cast<Char>(static_cast<Byte>(raw[2 * i]) | (static_cast<Byte>(raw[2 * i + 1]) << 8));
    return s;
  }
  std::string raw = UpToTerminator(data, 1);
  if (format == CF_OEMTEXT) return Utf8ToString(ConvertWithIconv(raw, "UTF-8", "CP866"));
  return Cp1251ToStringLenient(raw);
}

TBytes HandleFromText(TClipboardFormat format, const String& text) {
  TBytes out;
  if (format == CF_UNICODETEXT) {
    out.reserve(text.size() * 2 + 2);
    for (Char c : text) {
      out.push_back(static_cast<Byte>(c & 0xFF));
      out.push_back(static_cast<Byte>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    return out;
  }
  std::string bytes =
      format == CF_OEMTEXT ? ConvertWithIconv(StringToUtf8(text), "CP866", "UTF-8") : StringToCp1251(text);
  out.assign(bytes.begin(), bytes.end());
  out.push_back(0);
  return out;
}

QClipboard* SystemClipboard() {
  if (!QGuiApplication::instance()) throw EInvalidOperation(u"Cannot open clipboard");
  return QGuiApplication::clipboard();
}

std::vector<TClipboardFormat> ClipbrdFormatsOf(const QMimeData* data);
QImage ClipbrdImageOf(const QMimeData* data);
QImage ClipbrdRenderMetafile(const TBytes& emf);

std::unique_ptr<QMimeData> NewMime() { return std::make_unique<QMimeData>(); }

TBytes StreamBytes(TGraphic* graphic) {
  TMemoryStream stream;
  graphic->SaveToStream(&stream);
  const Byte* p = static_cast<const Byte*>(stream.GetMemory());
  return TBytes(p, p + stream.GetSize());
}

void LoadGraphic(TGraphic* graphic, const QByteArray& bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.constData(), static_cast<Integer>(bytes.size()));
  stream.SetPosition(0);
  graphic->LoadFromStream(&stream);
}

// The picture of any graphic, drawn on white at its own size.
QImage ImageOfGraphic(TGraphic* graphic) {
  if (auto* bitmap = dynamic_cast<TBitmap*>(graphic)) {
    TBytes bytes = StreamBytes(bitmap);
    return QImage::fromData(bytes.data(), static_cast<int>(bytes.size()));
  }
  TBitmap canvasBitmap(std::max(graphic->GetWidth(), 1), std::max(graphic->GetHeight(), 1));
  canvasBitmap.GetCanvas()->GetBrush()->SetColor(0xFFFFFF);
  canvasBitmap.GetCanvas()->FillRect(Rect(0, 0, canvasBitmap.GetWidth(), canvasBitmap.GetHeight()));
  canvasBitmap.GetCanvas()->StretchDraw(Rect(0, 0, canvasBitmap.GetWidth(), canvasBitmap.GetHeight()),
                                        graphic);
  TBytes bytes = StreamBytes(&canvasBitmap);
  return QImage::fromData(bytes.data(), static_cast<int>(bytes.size()));
}

QByteArray BmpBytes(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  return bytes;
}

}  // namespace

TClipboardFormat RegisterClipboardFormat(const String& name) {
  if (name.empty()) throw EInvalidOperation(u"Invalid clipboard format name");
  std::lock_guard lock(RegistryMutex());
  auto& formats = Registry();
  for (size_t i = 0; i < formats.size(); ++i)
    if (AnsiSameText(formats[i].name, name)) return static_cast<TClipboardFormat>(kFirstRegistered + i);
  if (formats.size() >= 0x3FFF) throw EOutOfResources(u"Too many clipboard formats");
  formats.push_back({name, PrivateMime(name)});
  return static_cast<TClipboardFormat>(kFirstRegistered + formats.size() - 1);
}

String ClipboardFormatMimeType(TClipboardFormat format) {
  if (format == CF_BITMAP) return u"image/png";
  return FromQString(MimeOf(format));
}

String GetClipboardFormatName(TClipboardFormat format) {
  if (format < kFirstRegistered) return String();
  std::lock_guard lock(RegistryMutex());
  size_t index = format - kFirstRegistered;
  return index < Registry().size() ? Registry()[index].name : String();
}

struct TClipboard::Impl {
  int openCount = 0;
  // While open and after the first format was set: what Close puts on the clipboard.
  std::unique_ptr<QMimeData> pending;
  bool unicodeTextSet = false;

  const QMimeData* Current() const {
    if (pending) return pending.get();
    return SystemClipboard()->mimeData();
  }

  // The set the next format goes into: the pending one, started empty on the first set of a batch.
  QMimeData* Target() {
    if (!pending) {
      pending = NewMime();
      unicodeTextSet = false;
    }
    return pending.get();
  }

  // A set that failed half-way: a batch this call opened is dropped, so the clipboard keeps what it had.
  void Abandon() {
    if (openCount > 0 && --openCount == 0) {
      pending.reset();
      unicodeTextSet = false;
    }
  }

  void Publish() {
    if (!pending) return;
    SystemClipboard()->setMimeData(pending.release());
    unicodeTextSet = false;
  }
};

TClipboard::TClipboard() : impl_(std::make_unique<Impl>()) {}
TClipboard::~TClipboard() = default;

void TClipboard::Open() { ++impl_->openCount; }

void TClipboard::Close() {
  if (impl_->openCount == 0) return;
  if (--impl_->openCount > 0) return;
  impl_->Publish();
}

bool TClipboard::IsOpen() const { return impl_->openCount > 0; }

void TClipboard::Clear() {
  if (IsOpen()) {
    impl_->pending = NewMime();
    impl_->unicodeTextSet = false;
    return;
  }
  SystemClipboard()->clear();
}

bool TClipboard::HasFormat(TClipboardFormat format) const {
  const QMimeData* data = impl_->Current();
  if (!data) return false;
  if (IsTextFormat(format)) return data->hasText();
  if (IsImageFormat(format)) return data->hasImage() || data->hasFormat(QString::fromLatin1(kEmfMime));
  QString mime = MimeOf(format);
  return !mime.isEmpty() && data->hasFormat(mime);
}

String TClipboard::GetAsText() const {
  const QMimeData* data = impl_->Current();
  return data && data->hasText() ? FromQString(data->text()) : String();
}

void TClipboard::SetAsText(const String& text) {
  Open();
  auto abandon = MakeScopeExit([&] { impl_->Abandon(); });
  impl_->Target()->setText(ToQString(text));
  impl_->unicodeTextSet = true;
  abandon.Release();
  Close();
}

Integer TClipboard::GetTextBuf(Char* buffer, Integer bufSize) const {
  if (!buffer || bufSize <= 0) return 0;
  String text = GetAsText();
  Integer n = std::min<Integer>(static_cast<Integer>(text.size()), bufSize - 1);
  std::copy_n(text.data(), n, buffer);
  buffer[n] = 0;
  return n;
}

void TClipboard::SetTextBuf(const Char* buffer) { SetAsText(buffer ? String(buffer) : String()); }

void TClipboard::SetAsHandle(TClipboardFormat format, const TBytes& data) {
  Open();
  auto abandon = MakeScopeExit([&] { impl_->Abandon(); });
  QMimeData* target = impl_->Target();
  if (IsTextFormat(format)) {
    // The Unicode text wins over an 8-bit copy of the same text set in the same batch.
    if (format == CF_UNICODETEXT || !impl_->unicodeTextSet)
      target->setText(ToQString(TextFromHandle(format, data)));
    if (format == CF_UNICODETEXT) impl_->unicodeTextSet = true;
  } else if (format == CF_BITMAP) {
    QImage image =
        QImage::fromData(reinterpret_cast<const uchar*>(data.data()), static_cast<int>(data.size()));
    if (image.isNull()) throw EInvalidGraphic(u"Bitmap image is not valid");
    target->setImageData(image);
  } else if (format == CF_ENHMETAFILE) {
    // Rendered first: bytes that are no metafile raise before anything is set.
    QImage picture = ClipbrdRenderMetafile(data);
    target->setData(QString::fromLatin1(kEmfMime), QByteArray(reinterpret_cast<const char*>(data.data()),
                                                              static_cast<qsizetype>(data.size())));
    if (!picture.isNull()) target->setImageData(picture);
  } else {
    QString mime = MimeOf(format);
    if (mime.isEmpty()) throw EInvalidOperation(u"Unknown clipboard format " + IntToStr(format));
    target->setData(
        mime, QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size())));
  }
  abandon.Release();
  Close();
}

TBytes TClipboard::GetAsHandle(TClipboardFormat format) const {
  const QMimeData* data = impl_->Current();
  if (!data) return TBytes();
  if (IsTextFormat(format))
    return data->hasText() ? HandleFromText(format, FromQString(data->text())) : TBytes();
  if (format == CF_BITMAP) {
    QImage image = ClipbrdImageOf(data);
    if (image.isNull()) return TBytes();
    QByteArray bytes = BmpBytes(image);
    return TBytes(bytes.begin(), bytes.end());
  }
  QString mime = MimeOf(format);
  if (mime.isEmpty() || !data->hasFormat(mime)) return TBytes();
  QByteArray bytes = data->data(mime);
  return TBytes(bytes.begin(), bytes.end());
}

Integer TClipboard::GetFormatCount() const {
  const QMimeData* data = impl_->Current();
  if (!data) return 0;
  return static_cast<Integer>(ClipbrdFormatsOf(data).size());
}

TClipboardFormat TClipboard::GetFormats(Integer index) const {
  const QMimeData* data = impl_->Current();
  std::vector<TClipboardFormat> formats = data ? ClipbrdFormatsOf(data) : std::vector<TClipboardFormat>();
  if (index < 0 || index >= static_cast<Integer>(formats.size()))
    throw EListError(u"List index out of bounds (" + IntToStr(index) + u")");
  return formats[index];
}

namespace {

std::vector<TClipboardFormat> ClipbrdFormatsOf(const QMimeData* data) {
  std::vector<TClipboardFormat> out;
  if (data->hasText()) {
    out.push_back(CF_TEXT);
    out.push_back(CF_UNICODETEXT);
    out.push_back(CF_OEMTEXT);
  }
  if (data->hasImage()) out.push_back(CF_BITMAP);
  if (data->hasFormat(QString::fromLatin1(kEmfMime))) out.push_back(CF_ENHMETAFILE);
  if (data->hasUrls()) out.push_back(CF_HDROP);
  std::lock_guard lock(RegistryMutex());
  const auto& formats = Registry();
  for (size_t i = 0; i < formats.size(); ++i)
    if (data->hasFormat(formats[i].mime)) out.push_back(static_cast<TClipboardFormat>(kFirstRegistered + i));
  return out;
}

QImage ClipbrdImageOf(const QMimeData* data) {
  if (data->hasImage()) {
    QImage image = qvariant_cast<QImage>(data->imageData());
    if (!image.isNull()) return image;
  }
  QString emf = QString::fromLatin1(kEmfMime);
  if (!data->hasFormat(emf)) return QImage();
  QByteArray bytes = data->data(emf);
  try {
    return ClipbrdRenderMetafile(TBytes(bytes.begin(), bytes.end()));
  } catch (const EInvalidGraphic&) {
    return QImage();
  }
}

// The largest picture a metafile is rendered at for other programs; bigger ones are scaled down.
constexpr int kMaxRenderSide = 4096;

QImage ClipbrdRenderMetafile(const TBytes& emf) {
  TMetafile metafile;
  LoadGraphic(&metafile,
              QByteArray(reinterpret_cast<const char*>(emf.data()), static_cast<qsizetype>(emf.size())));
  Integer w = std::max(metafile.GetWidth(), 1);
  Integer h = std::max(metafile.GetHeight(), 1);
  double scale = std::min(1.0, double(kMaxRenderSide) / std::max(w, h));
  TBitmap bitmap(std::max(1, int(w * scale)), std::max(1, int(h * scale)));
  TCanvas* canvas = bitmap.GetCanvas();
  canvas->GetBrush()->SetColor(0xFFFFFF);
  canvas->FillRect(Rect(0, 0, bitmap.GetWidth(), bitmap.GetHeight()));
  canvas->StretchDraw(Rect(0, 0, bitmap.GetWidth(), bitmap.GetHeight()), &metafile);
  TBytes bytes = StreamBytes(&bitmap);
  return QImage::fromData(bytes.data(), static_cast<int>(bytes.size()));
}

}  // namespace

void TClipboard::Assign(TPersistent* source) {
  if (auto* picture = dynamic_cast<TPicture*>(source)) {
    if (!picture->GetGraphic()) {
      Clear();
      return;
    }
    Assign(picture->GetGraphic());
    return;
  }
  if (auto* metafile = dynamic_cast<TMetafile*>(source)) {
    SetAsHandle(CF_ENHMETAFILE, StreamBytes(metafile));
    return;
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
    QImage image = ImageOfGraphic(graphic);
    if (image.isNull()) throw EInvalidGraphic(u"Bitmap image is not valid");
    QByteArray bytes = BmpBytes(image);
    SetAsHandle(CF_BITMAP, TBytes(bytes.begin(), bytes.end()));
    return;
  }
  TPersistent::Assign(source);
}

void TClipboard::AssignTo(TPersistent* dest) const {
  const QMimeData* data = impl_->Current();
  auto* picture = dynamic_cast<TPicture*>(dest);
  auto* bitmap = dynamic_cast<TBitmap*>(dest);
  if (!data || (!picture && !bitmap)) {
    TPersistent::AssignTo(dest);
    return;
  }
  QString emf = QString::fromLatin1(kEmfMime);
  if (picture && data->hasFormat(emf)) {
    TMetafile metafile;
    LoadGraphic(&metafile, data->data(emf));
    picture->SetGraphic(&metafile);
    return;
  }
  QImage image = ClipbrdImageOf(data);
  if (image.isNull()) {
    TPersistent::AssignTo(dest);
    return;
  }
  TBitmap taken;
  LoadGraphic(&taken, BmpBytes(image));
  if (picture)
    picture->SetGraphic(&taken);
  else
    bitmap->Assign(&taken);
}

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}
