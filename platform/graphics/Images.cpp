// JPEG (libjpeg), PNG, GIF and icon graphics, and the registration of the built-in file formats.
#include "platform/graphics/Images.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "platform/graphics/ImageList.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/private/DeviceContext.h"
#include "platform/rtl/Utf.h"

extern "C" {
#include <jpeglib.h>
}

// ---- TRasterGraphic ----

TRasterGraphic::TRasterGraphic() : bitmap_(std::make_unique<TBitmap>()) {}
TRasterGraphic::~TRasterGraphic() = default;

void TRasterGraphic::Assign(TPersistent* source) {
  if (auto* r = dynamic_cast<TRasterGraphic*>(source)) {
    bitmap_->Assign(r->GetBitmap());
    SetTransparent(r->GetTransparent());
    Changed();
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(source)) {
    bitmap_->Assign(b);
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

bool TRasterGraphic::GetEmpty() const { return bitmap_->GetEmpty(); }
Integer TRasterGraphic::GetWidth() const { return bitmap_->GetWidth(); }
Integer TRasterGraphic::GetHeight() const { return bitmap_->GetHeight(); }
void TRasterGraphic::SetWidth(Integer width) { SetSize(width, GetHeight()); }
void TRasterGraphic::SetHeight(Integer height) { SetSize(GetWidth(), height); }
void TRasterGraphic::SetSize(Integer width, Integer height) {
  GetBitmap()->SetSize(width, height);
  Changed();
}
TBitmap* TRasterGraphic::GetBitmap() { return bitmap_.get(); }

void TRasterGraphic::Draw(TCanvas* canvas, const TRect& rect) { GetBitmap()->Draw(canvas, rect); }
void TRasterGraphic::DrawTransparent(TCanvas* canvas, const TRect& rect, Byte opacity) {
  GetBitmap()->DrawTransparent(canvas, rect, opacity);
}

void TRasterGraphic::DecodeWith(TStream* stream, const char* format, const Char* what) {
  const TBytes bytes = stream->ReadAllBytes();
  QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  QImageReader reader(&buffer, format);
  QImage img = reader.read();
  if (img.isNull()) throw EInvalidGraphic(String(what) + u" image is not valid");
  auto fresh = std::make_unique<TBitmap>();
  const bool alpha = img.hasAlphaChannel();
  fresh->SetPixelFormat(alpha ? pf32bit : pfDevice);
  fresh->SetSize(img.width(), img.height());
  gdi::Pixels(fresh->GetHandle()) = img.convertToFormat(QImage::Format_ARGB32);
  if (alpha) fresh->SetAlphaFormat(afDefined);
  bitmap_ = std::move(fresh);
  Changed();
}

void TRasterGraphic::EncodeWith(TStream* stream, const char* format) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  QImage img = gdi::Pixels(GetBitmap()->GetHandle());
  if (GetBitmap()->GetPixelFormat() != pf32bit || GetBitmap()->GetAlphaFormat() == afIgnored)
    img = img.convertToFormat(QImage::Format_RGB32);
  if (!img.save(&buffer, format)) throw EInvalidGraphic(u"Cannot write the picture");
  stream->WriteBuffer(data.constData(), static_cast<Integer>(data.size()));
}

void TPngImage::LoadFromStream(TStream* stream) { DecodeWith(stream, "PNG", u"PNG"); }
void TPngImage::SaveToStream(TStream* stream) { EncodeWith(stream, "PNG"); }

void TGIFImage::LoadFromStream(TStream* stream) { DecodeWith(stream, "GIF", u"GIF"); }
void TGIFImage::SaveToStream(TStream* stream) { EncodeWith(stream, "PNG"); }

void TIcon::LoadFromStream(TStream* stream) { DecodeWith(stream, "ICO", u"Icon"); }
void TIcon::SaveToStream(TStream* stream) { EncodeWith(stream, "ICO"); }

void TIcon::LoadFromResourceName(NativeInt instance, const String& resourceName) {
  RegisterGraphicsResources();
  TResourceStream stream(instance, resourceName, RT_RCDATA);
  DecodeWith(&stream, nullptr, u"Icon");
}

// ---- JPEG ----

namespace {

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void JpegSilence(j_common_ptr, int) {}

struct JpegDecoded {
  std::vector<Byte> rgb;  // 3 bytes a pixel, or 1 for grey
  int width = 0, height = 0, components = 3;
};

// C-style on purpose: the error path longjmps out of libjpeg, so no C++ object lives in this frame.
bool JpegDecode(const Byte* data, size_t size, int denom, bool gray, bool fast, bool headerOnly,
                JpegDecoded* out, char* message) {
  jpeg_decompress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegErrorExit;
  err.mgr.emit_message = JpegSilence;
  if (setjmp(err.jump)) {
    std::strncpy(message, err.message, JMSG_LENGTH_MAX);
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.scale_num = 1;
  cinfo.scale_denom = static_cast<unsigned>(denom);
  cinfo.out_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
  if (fast) {
    cinfo.dct_method = JDCT_IFAST;
    cinfo.do_fancy_upsampling = FALSE;
  }
  jpeg_calc_output_dimensions(&cinfo);
  out->width = static_cast<int>(cinfo.output_width);
  out->height = static_cast<int>(cinfo.output_height);
  out->components = cinfo.output_components;
  if (headerOnly) {
    jpeg_destroy_decompress(&cinfo);
    return true;
  }
  jpeg_start_decompress(&cinfo);
  const size_t stride = static_cast<size_t>(cinfo.output_width) * cinfo.output_components;
  out->rgb.resize(stride * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out->rgb.data() + stride * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

bool JpegEncode(const Byte* rgb, int width, int height, int components, int quality, bool progressive,
                unsigned char** outData, unsigned long* outSize, char* message) {
  jpeg_compress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegErrorExit;
  err.mgr.emit_message = JpegSilence;
  if (setjmp(err.jump)) {
    std::strncpy(message, err.message, JMSG_LENGTH_MAX);
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, outData, outSize);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  const size_t stride = static_cast<size_t>(width) * components;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<Byte*>(rgb) + stride * cinfo.next_scanline;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

int ScaleDenom(TJPEGScale s) {
  static const int d[] = {1, 2, 4, 8};
  return d[s];
}

}  // namespace

TJPEGImage::TJPEGImage() = default;

void TJPEGImage::Assign(TPersistent* source) {
  if (auto* j = dynamic_cast<TJPEGImage*>(source)) {
    data_ = j->data_;
    quality_ = j->quality_;
    grayscale_ = j->grayscale_;
    performance_ = j->performance_;
    scale_ = j->scale_;
    width_ = j->width_;
    height_ = j->height_;
    decoded_ = false;
    if (data_.empty()) bitmap_->Assign(j->bitmap_.get()), decoded_ = true;
    Changed();
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(source)) {
    bitmap_->Assign(b);
    data_.clear();
    decoded_ = true;
    width_ = b->GetWidth();
    height_ = b->GetHeight();
    Changed();
    return;
  }
  TRasterGraphic::Assign(source);
}

void TJPEGImage::LoadFromStream(TStream* stream) {
  TBytes bytes = stream->ReadAllBytes();
  JpegDecoded header;
  char message[JMSG_LENGTH_MAX] = {};
  if (bytes.size() < 4 || !JpegDecode(bytes.data(), bytes.size(), ScaleDenom(scale_), grayscale_,
                                      performance_ == jpBestSpeed, true, &header, message))
    throw EInvalidGraphic(u"JPEG error #" + Utf8ToString(message));
  // A picture whose bytes break off decodes partly with a warning; reject it outright instead.
  JpegDecoded full;
  if (!JpegDecode(bytes.data(), bytes.size(), ScaleDenom(scale_), grayscale_, performance_ == jpBestSpeed,
                  false, &full, message))
    throw EInvalidGraphic(u"JPEG error #" + Utf8ToString(message));
  data_ = std::move(bytes);
  width_ = header.width;
  height_ = header.height;
  decoded_ = false;
  Changed();
}

void TJPEGImage::Decode() {
  if (decoded_) return;
  decoded_ = true;
  if (data_.empty()) return;
  JpegDecoded img;
  char message[JMSG_LENGTH_MAX] = {};
  if (!JpegDecode(data_.data(), data_.size(), ScaleDenom(scale_), grayscale_, performance_ == jpBestSpeed,
                  false, &img, message))
    throw EInvalidGraphic(u"JPEG error #" + Utf8ToString(message));
  QImage q(img.width, img.height, QImage::Format_ARGB32);
  for (int y = 0; y < img.height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(q.scanLine(y));
    const Byte* src = img.rgb.data() + static_cast<size_t>(y) * img.width * img.components;
    for (int x = 0; x < img.width; ++x) {
      if (img.components == 1)
        line[x] = qRgb(src[x], src[x], src[x]);
      else
        line[x] = qRgb(src[3 * x], src[3 * x + 1], src[3 * x + 2]);
    }
  }
  auto fresh = std::make_unique<TBitmap>();
  fresh->SetPixelFormat(pf24bit);
  fresh->SetSize(img.width, img.height);
  gdi::Pixels(fresh->GetHandle()) = q.convertToFormat(QImage::Format_BGR888);
  bitmap_ = std::move(fresh);
}

void TJPEGImage::Compress() {
  Decode();
  const QImage src = gdi::Pixels(bitmap_->GetHandle()).convertToFormat(QImage::Format_RGB32);
  if (src.isNull()) {
    data_.clear();
    return;
  }
  const int components = grayscale_ ? 1 : 3;
  std::vector<Byte> rgb(static_cast<size_t>(src.width()) * src.height() * components);
  for (int y = 0; y < src.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    Byte* dst = rgb.data() + static_cast<size_t>(y) * src.width() * components;
    for (int x = 0; x < src.width(); ++x) {
      if (components == 1) {
        dst[x] = static_cast<Byte>(qGray(line[x]));
      } else {
        dst[3 * x] = static_cast<Byte>(qRed(line[x]));
        dst[3 * x + 1] = static_cast<Byte>(qGreen(line[x]));
        dst[3 * x + 2] = static_cast<Byte>(qBlue(line[x]));
      }
    }
  }
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  char message[JMSG_LENGTH_MAX] = {};
  const bool ok = JpegEncode(rgb.data(), src.width(), src.height(), components, quality_, progressive_, &out,
                             &outSize, message);
  if (ok) data_.assign(out, out + outSize);
  std::free(out);
  if (!ok) throw EInvalidGraphic(u"JPEG error #" + Utf8ToString(message));
  width_ = src.width();
  height_ = src.height();
}

void TJPEGImage::SaveToStream(TStream* stream) {
  if (data_.empty()) Compress();
  if (!data_.empty()) stream->WriteBuffer(data_.data(), static_cast<Integer>(data_.size()));
}

Integer TJPEGImage::GetWidth() const { return data_.empty() ? bitmap_->GetWidth() : width_; }
Integer TJPEGImage::GetHeight() const { return data_.empty() ? bitmap_->GetHeight() : height_; }
bool TJPEGImage::GetEmpty() const { return data_.empty() && bitmap_->GetEmpty(); }

TBitmap* TJPEGImage::GetBitmap() {
  Decode();
  return bitmap_.get();
}

void TJPEGImage::Draw(TCanvas* canvas, const TRect& rect) { GetBitmap()->Draw(canvas, rect); }

void TJPEGImage::SetCompressionQuality(TJPEGQualityRange quality) {
  quality_ = std::clamp(quality, 1, 100);
  if (decoded_ && !data_.empty()) data_.clear();
}

void TJPEGImage::SetGrayscale(bool value) {
  if (value == grayscale_) return;
  Decode();
  grayscale_ = value;
  if (!data_.empty()) {
    decoded_ = false;
    Changed();
  }
}

void TJPEGImage::SetPerformance(TJPEGPerformance value) {
  if (value == performance_) return;
  performance_ = value;
  if (!data_.empty()) decoded_ = false;
}

void TJPEGImage::SetScale(TJPEGScale value) {
  if (value == scale_) return;
  scale_ = value;
  if (data_.empty()) return;
  JpegDecoded header;
  char message[JMSG_LENGTH_MAX] = {};
  if (JpegDecode(data_.data(), data_.size(), ScaleDenom(scale_), grayscale_, false, true, &header, message)) {
    width_ = header.width;
    height_ = header.height;
  }
  decoded_ = false;
  Changed();
}

void TJPEGImage::DIBNeeded() { Decode(); }
void TJPEGImage::JPEGNeeded() {
  if (data_.empty()) Compress();
}

// ---- registration ----

void RegisterBuiltInGraphicFormats() {
  static const bool done = [] {
    RegisterFileFormat(u"bmp", u"Bitmaps", TBitmap::StaticClass());
    RegisterFileFormat(u"jpg", u"JPEG Image File", TJPEGImage::StaticClass());
    RegisterFileFormat(u"jpeg", u"JPEG Image File", TJPEGImage::StaticClass());
    RegisterFileFormat(u"png", u"Portable Network Graphics", TPngImage::StaticClass());
    RegisterFileFormat(u"gif", u"GIF Image", TGIFImage::StaticClass());
    RegisterFileFormat(u"ico", u"Icons", TIcon::StaticClass());
    RegisterFileFormat(u"emf", u"Enhanced Metafiles", TMetafile::StaticClass());
    for (TClass cls : {TBitmap::StaticClass(), TJPEGImage::StaticClass(), TPngImage::StaticClass(),
                       TGIFImage::StaticClass(), TIcon::StaticClass(), TMetafile::StaticClass()})
      RegisterClass(cls);
    return true;
  }();
  (void)done;
}
