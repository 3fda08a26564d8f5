// TBitmap over a QImage held by a GDI bitmap object, BMP reading and writing, and TPicture with
// format detection from the first bytes.
#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <cstring>

#include "platform/classes/Streaming.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Images.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/private/DeviceContext.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {

QImage::Format FormatFor(TPixelFormat pf) {
  switch (pf) {
    case pf24bit:
      return QImage::Format_BGR888;
    default:
      return QImage::Format_ARGB32;
  }
}

QImage NewImage(Integer width, Integer height, TPixelFormat pf) {
  if (width <= 0 || height <= 0) return QImage();
  QImage img(width, height, FormatFor(pf));
  if (img.isNull()) throw EOutOfResources(u"Out of system resources");
  if (pf == pf32bit)
    img.fill(0);
  else
    img.fill(Qt::white);
  return img;
}

void PutLE(TBytes& b, size_t at, UInt64 value, int bytes) {
  for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<Byte>(value >> (8 * i));
}

TBytes EncodeBmp(const QImage& source, bool withAlpha) {
  const QImage img = source.convertToFormat(QImage::Format_ARGB32);
  const Integer w = img.width(), h = img.height();
  const Integer bpp = withAlpha ? 32 : 24;
  const Integer stride = ((w * bpp / 8) + 3) & ~3;
  const size_t imageSize = static_cast<size_t>(stride) * h;
  TBytes out(54 + imageSize, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutLE(out, 2, out.size(), 4);
  PutLE(out, 10, 54, 4);
  PutLE(out, 14, 40, 4);
  PutLE(out, 18, static_cast<UInt64>(w), 4);
  PutLE(out, 22, static_cast<UInt64>(h), 4);
  PutLE(out, 26, 1, 2);
  PutLE(out, 28, bpp, 2);
  PutLE(out, 34, imageSize, 4);
  PutLE(out, 38, 3780, 4);  // 96 dpi in pixels per metre
  PutLE(out, 42, 3780, 4);
  for (Integer y = 0; y < h; ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(img.constScanLine(h - 1 - y));
    Byte* row = out.data() + 54 + static_cast<size_t>(y) * stride;
    for (Integer x = 0; x < w; ++x) {
      const QRgb p = src[x];
      *row++ = static_cast<Byte>(qBlue(p));
      *row++ = static_cast<Byte>(qGreen(p));
      *row++ = static_cast<Byte>(qRed(p));
      if (withAlpha) *row++ = static_cast<Byte>(qAlpha(p));
    }
  }
  return out;
}

TPixelFormat BmpPixelFormat(const Byte* data, size_t size) {
  if (size < 30) return pfDevice;
  const Integer bits = data[28] | (data[29] << 8);
  switch (bits) {
    case 1:
      return pf1bit;
    case 4:
      return pf4bit;
    case 8:
      return pf8bit;
    case 16:
      return pf16bit;
    case 24:
      return pf24bit;
    case 32:
      return pf32bit;
    default:
      return pfDevice;
  }
}

}  // namespace

// A canvas drawing into the bitmap through a memory context.
class TBitmap::TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* owner) : owner_(owner) {}
  ~TBitmapCanvas() override { Release(); }
  void Release() {
    if (!HandleAllocated()) return;
    HDC dc = GetHandleNoSync();
    DropHandle();
    DeleteDC(dc);
  }
  void Reselect() {
    if (HandleAllocated()) SelectObject(GetHandleNoSync(), owner_->handle_);
  }

 protected:
  void CreateHandle() override {
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, owner_->handle_);
    SetHandle(dc);
  }

 private:
  HDC GetHandleNoSync() { return GetHandle(); }
  TBitmap* owner_;
};

TBitmap::TBitmap() {
  auto* bm = new TGdiBitmap;
  handle_ = bm;
}

TBitmap::TBitmap(Integer width, Integer height) : TBitmap() { SetSize(width, height); }

TBitmap::~TBitmap() {
  canvas_.reset();
  DeleteObject(handle_);
}

TCanvas* TBitmap::GetCanvas() {
  if (!canvas_) {
    canvas_ = std::make_unique<TBitmapCanvas>(this);
    canvas_->OnChange = TNotifyEvent([this](TObject*) { SetModified(true); });
  }
  return canvas_.get();
}

bool TBitmap::GetEmpty() const { return static_cast<TGdiBitmap*>(handle_)->image.isNull(); }
Integer TBitmap::GetWidth() const { return static_cast<TGdiBitmap*>(handle_)->image.width(); }
Integer TBitmap::GetHeight() const { return static_cast<TGdiBitmap*>(handle_)->image.height(); }
void TBitmap::SetWidth(Integer width) { SetSize(width, GetHeight()); }
void TBitmap::SetHeight(Integer height) { SetSize(GetWidth(), height); }

void TBitmap::Resize(Integer width, Integer height) {
  width = std::max(0, width);
  height = std::max(0, height);
  QImage& cur = gdi::Pixels(handle_);
  if (cur.width() == width && cur.height() == height) return;
  QImage next = NewImage(width, height, pixelFormat_);
  // The kept part of the picture stays, as on the original.
  if (!cur.isNull() && !next.isNull()) {
    QPainter p(&next);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, cur);
  }
  cur = next;
  if (auto* c = static_cast<TBitmapCanvas*>(canvas_.get())) c->Reselect();
}

void TBitmap::SetSize(Integer width, Integer height) {
  if (width == GetWidth() && height == GetHeight()) return;
  Resize(width, height);
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == pixelFormat_) return;
  pixelFormat_ = format;
  QImage& img = gdi::Pixels(handle_);
  if (!img.isNull()) {
    img = img.convertToFormat(FormatFor(format));
    if (format != pf32bit && img.hasAlphaChannel()) {
      QImage opaque = img.convertToFormat(QImage::Format_RGB32);
      img = opaque.convertToFormat(FormatFor(format));
    }
  }
  static_cast<TGdiBitmap*>(handle_)->monochrome = format == pf1bit;
  if (auto* c = static_cast<TBitmapCanvas*>(canvas_.get())) c->Reselect();
  Changed();
}

void TBitmap::SetAlphaFormat(TAlphaFormat format) {
  if (format == alphaFormat_) return;
  // Premultiplying and back are done on the pixels, as the original does.
  QImage& img = gdi::Pixels(handle_);
  if (!img.isNull() && pixelFormat_ == pf32bit) {
    if (format == afPremultiplied && alphaFormat_ != afPremultiplied) {
      img = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
      img.reinterpretAsFormat(QImage::Format_ARGB32);
    } else if (alphaFormat_ == afPremultiplied && format != afPremultiplied) {
      img.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
      img = img.convertToFormat(QImage::Format_ARGB32);
    }
  }
  alphaFormat_ = format;
  Changed();
}

bool TBitmap::GetMonochrome() const { return static_cast<TGdiBitmap*>(handle_)->monochrome; }

void TBitmap::SetMonochrome(bool value) {
  if (value == GetMonochrome()) return;
  auto* bm = static_cast<TGdiBitmap*>(handle_);
  QImage& img = gdi::Pixels(handle_);
  if (value && !img.isNull()) {
    // Light pixels become white, the rest black.
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        img.setPixel(x, y, qGray(img.pixel(x, y)) >= 128 ? 0xFFFFFFFF : 0xFF000000);
  }
  bm->monochrome = value;
  pixelFormat_ = value ? pf1bit : pfDevice;
  Changed();
}

TColor TBitmap::GetTransparentColor() const {
  if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return transparentColor_;
  const QImage& img = gdi::Pixels(handle_);
  if (img.isNull()) return clDefault;
  return static_cast<TColor>(gdi::FromQColor(img.pixelColor(0, img.height() - 1))) & 0xFFFFFF;
}

void TBitmap::SetTransparentColor(TColor color) {
  transparentColor_ = color;
  transparentMode_ = color == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
  if (mode == transparentMode_) return;
  transparentMode_ = mode;
  if (mode == tmAuto)
    transparentColor_ = clDefault;
  else
    transparentColor_ = GetTransparentColor();
  Changed();
}

void* TBitmap::GetScanLine(Integer row) {
  QImage& img = gdi::Pixels(handle_);
  if (row < 0 || row >= img.height()) throw EInvalidGraphicOperation(u"Scan line index out of range");
  return img.scanLine(row);
}

void TBitmap::Changed() { TGraphic::Changed(); }

void TBitmap::Assign(TPersistent* source) {
  if (!source) {
    SetSize(0, 0);
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(source)) {
    if (b == this) return;
    gdi::Pixels(handle_) = gdi::Pixels(b->handle_).copy();
    static_cast<TGdiBitmap*>(handle_)->monochrome = b->GetMonochrome();
    pixelFormat_ = b->pixelFormat_;
    alphaFormat_ = b->alphaFormat_;
    transparentColor_ = b->transparentColor_;
    transparentMode_ = b->transparentMode_;
    TGraphic::SetTransparent(b->GetTransparent());
    if (auto* c = static_cast<TBitmapCanvas*>(canvas_.get())) c->Reselect();
    Changed();
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(source)) {
    // Any other graphic is drawn onto a white bitmap of its size.
    SetSize(0, 0);
    SetSize(g->GetWidth(), g->GetHeight());
    if (!g->GetEmpty()) {
      GetCanvas()->GetBrush()->SetColor(clWhite);
      GetCanvas()->FillRect(TRect(0, 0, GetWidth(), GetHeight()));
      g->Draw(GetCanvas(), TRect(0, 0, GetWidth(), GetHeight()));
    }
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

void TBitmap::LoadFromResourceName(NativeInt instance, const String& resourceName) {
  RegisterGraphicsResources();
  TResourceStream stream(instance, resourceName, RT_RCDATA);
  const QByteArray bytes(static_cast<const char*>(stream.Memory()), static_cast<qsizetype>(stream.GetSize()));
  QImage img;
  if (!img.loadFromData(bytes)) throw EInvalidGraphic(u"Bitmap image is not valid");
  pixelFormat_ = img.hasAlphaChannel() ? pf32bit : pfDevice;
  alphaFormat_ = img.hasAlphaChannel() ? afDefined : afIgnored;
  gdi::Pixels(handle_) = img.convertToFormat(QImage::Format_ARGB32);
  if (auto* c = static_cast<TBitmapCanvas*>(canvas_.get())) c->Reselect();
  Changed();
}

void TBitmap::LoadFromStream(TStream* stream) {
  const TBytes bytes = stream->ReadAllBytes();
  if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M')
    throw EInvalidGraphic(u"Bitmap image is not valid");
  QImage img;
  if (!img.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()), "BMP"))
    throw EInvalidGraphic(u"Bitmap image is not valid");
  const TPixelFormat pf = BmpPixelFormat(bytes.data(), bytes.size());
  pixelFormat_ = pf;
  QImage converted = img.convertToFormat(FormatFor(pf));
  if (pf != pf32bit && pf != pf24bit) {
    QImage opaque = img.convertToFormat(QImage::Format_RGB32);
    converted = opaque.convertToFormat(QImage::Format_ARGB32);
  }
  gdi::Pixels(handle_) = converted;
  static_cast<TGdiBitmap*>(handle_)->monochrome = pf == pf1bit;
  if (auto* c = static_cast<TBitmapCanvas*>(canvas_.get())) c->Reselect();
  Changed();
}

void TBitmap::SaveToStream(TStream* stream) {
  const QImage& img = gdi::Pixels(handle_);
  if (img.isNull()) return;
  const TBytes bytes = EncodeBmp(img, pixelFormat_ == pf32bit);
  stream->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TBitmap::Mask(TColor transparentColor) {
  QImage& img = gdi::Pixels(handle_);
  const QRgb key = gdi::ToQColor(ColorToRGB(transparentColor)).rgb() & 0xFFFFFF;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      img.setPixel(x, y, (img.pixel(x, y) & 0xFFFFFF) == key ? 0xFFFFFFFF : 0xFF000000);
  static_cast<TGdiBitmap*>(handle_)->monochrome = true;
  Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
  HBITMAP copy = CreateBitmap(GetWidth(), GetHeight(), 1, 32, nullptr);
  if (copy) gdi::Pixels(copy) = gdi::Pixels(handle_).copy();
  return copy;
}

void TBitmap::Draw(TCanvas* canvas, const TRect& rect) {
  if (GetEmpty()) return;
  HDC dest = canvas->GetHandle();
  HDC src = GetCanvas()->GetHandle();
  if (GetTransparent()) {
    TransparentBlt(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), src, 0, 0, GetWidth(), GetHeight(),
                   ColorToRGB(GetTransparentColor()));
    return;
  }
  if (pixelFormat_ == pf32bit && alphaFormat_ != afIgnored) {
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (alphaFormat_ == afPremultiplied) {
      AlphaBlend(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), src, 0, 0, GetWidth(), GetHeight(),
                 bf);
      return;
    }
    TBitmap pre;
    pre.SetPixelFormat(pf32bit);
    pre.Assign(this);
    pre.SetAlphaFormat(afPremultiplied);
    AlphaBlend(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), pre.GetCanvas()->GetHandle(), 0, 0,
               GetWidth(), GetHeight(), bf);
    return;
  }
  StretchBlt(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), src, 0, 0, GetWidth(), GetHeight(),
             canvas->GetCopyMode());
}

void TBitmap::DrawTransparent(TCanvas* canvas, const TRect& rect, Byte opacity) {
  if (GetEmpty() || opacity == 0) return;
  if (GetTransparent() || (pixelFormat_ == pf32bit && alphaFormat_ != afIgnored)) {
    TGraphic::DrawTransparent(canvas, rect, opacity);
    return;
  }
  BLENDFUNCTION bf{AC_SRC_OVER, 0, opacity, 0};
  AlphaBlend(canvas->GetHandle(), rect.Left, rect.Top, rect.Width(), rect.Height(), GetCanvas()->GetHandle(),
             0, 0, GetWidth(), GetHeight(), bf);
}

// ---- detection and the blob header ----

bool HasGraphicHeader(const Byte* data, size_t size) {
  if (size < 8) return false;
  const Word count = data[0] | (data[1] << 8);
  const Word type = data[2] | (data[3] << 8);
  const Cardinal length = data[4] | (data[5] << 8) | (data[6] << 16) | (static_cast<Cardinal>(data[7]) << 24);
  return count == 1 && type == 0x0100 && length == size - 8;
}

void WriteGraphicHeader(TStream* stream, Integer dataSize) {
  const Byte header[8] = {1,
                          0,
                          0,
                          1,
                          static_cast<Byte>(dataSize),
                          static_cast<Byte>(dataSize >> 8),
                          static_cast<Byte>(dataSize >> 16),
                          static_cast<Byte>(dataSize >> 24)};
  stream->WriteBuffer(header, 8);
}

TGraphicClass GraphicClassOfData(const Byte* d, size_t n) {
  RegisterBuiltInGraphicFormats();
  if (n >= 2 && d[0] == 'B' && d[1] == 'M') return TBitmap::StaticClass();
  if (n >= 8 && d[0] == 0x89 && d[1] == 'P' && d[2] == 'N' && d[3] == 'G') return TPngImage::StaticClass();
  if (n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) return TJPEGImage::StaticClass();
  if (n >= 6 && std::memcmp(d, "GIF8", 4) == 0) return TGIFImage::StaticClass();
  if (n >= 4 && d[0] == 0 && d[1] == 0 && d[2] == 1 && d[3] == 0) return TIcon::StaticClass();
  if (n >= 44 && d[0] == 1 && d[1] == 0 && d[2] == 0 && d[3] == 0 && std::memcmp(d + 40, " EMF", 4) == 0)
    return TMetafile::StaticClass();
  return nullptr;
}

// ---- TPicture ----

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(TGraphic* graphic) {
  if (graphic == graphic_.get()) return;
  std::unique_ptr<TGraphic> copy;
  if (graphic) {
    copy.reset(graphic->ClassType()->Create<TGraphic>());
    copy->Assign(graphic);
    copy->OnChange = TNotifyEvent(this, &TPicture::Changed);
  }
  graphic_ = std::move(copy);
  Changed(this);
}

void TPicture::Assign(TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
    return;
  }
  if (auto* p = dynamic_cast<TPicture*>(source)) {
    SetGraphic(p->GetGraphic());
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(source)) {
    SetGraphic(g);
    return;
  }
  TPersistent::Assign(source);
}

TBitmap* TPicture::GetBitmap() {
  auto* b = dynamic_cast<TBitmap*>(graphic_.get());
  if (!b) {
    auto fresh = std::make_unique<TBitmap>();
    fresh->OnChange = TNotifyEvent(this, &TPicture::Changed);
    b = fresh.get();
    graphic_ = std::move(fresh);
    Changed(this);
  }
  return b;
}

Integer TPicture::GetWidth() const { return graphic_ ? graphic_->GetWidth() : 0; }
Integer TPicture::GetHeight() const { return graphic_ ? graphic_->GetHeight() : 0; }

void TPicture::LoadFromFile(const String& fileName) {
  RegisterBuiltInGraphicFormats();
  const String ext = ExtractFileExt(fileName);
  TGraphicClass cls = GraphicClassOfExtension(ext);
  if (!cls) throw EInvalidGraphic(u"Unknown picture file extension (" + ext + u")");
  std::unique_ptr<TGraphic> g(cls->Create<TGraphic>());
  g->LoadFromFile(fileName);
  g->OnChange = TNotifyEvent(this, &TPicture::Changed);
  graphic_ = std::move(g);
  Changed(this);
}

void TPicture::SaveToFile(const String& fileName) {
  if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::LoadFromStream(TStream* stream) {
  TBytes bytes = stream->ReadAllBytes();
  size_t skip = HasGraphicHeader(bytes.data(), bytes.size()) ? 8 : 0;
  if (bytes.size() == skip) {
    SetGraphic(nullptr);
    return;
  }
  TGraphicClass cls = GraphicClassOfData(bytes.data() + skip, bytes.size() - skip);
  if (!cls) throw EInvalidGraphic(u"Unsupported picture format");
  std::unique_ptr<TGraphic> g(cls->Create<TGraphic>());
  TBytesStream data(TBytes(bytes.begin() + static_cast<std::ptrdiff_t>(skip), bytes.end()));
  g->LoadFromStream(&data);
  g->OnChange = TNotifyEvent(this, &TPicture::Changed);
  graphic_ = std::move(g);
  Changed(this);
}

void TPicture::SaveToStream(TStream* stream) {
  if (graphic_) graphic_->SaveToStream(stream);
}

void TPicture::DefineProperties(TFiler* filer) {
  TPersistent::DefineProperties(filer);
  filer->DefineBinaryProperty(u"Data", TStreamProc(this, &TPicture::ReadData),
                              TStreamProc(this, &TPicture::WriteData), graphic_ && !graphic_->GetEmpty());
}

void TPicture::WriteData(TStream* stream) {
  const std::string name = StringToUtf8(graphic_->ClassName());
  const auto length = static_cast<Byte>(name.size());
  stream->WriteBuffer(&length, 1);
  stream->WriteBuffer(name.data(), length);
  graphic_->SaveToStream(stream);
}

void TPicture::ReadData(TStream* stream) {
  Byte length = 0;
  if (stream->Read(&length, 1) != 1) {
    SetGraphic(nullptr);
    return;
  }
  std::string name(length, '\0');
  if (length > 0) stream->ReadBuffer(name.data(), length);
  // The bytes themselves tell the format; the class name is kept for readers that look at it.
  LoadFromStream(stream);
}
