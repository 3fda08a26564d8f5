// Compressed picture formats as graphics: JPEG over libjpeg, PNG, GIF and icons; each keeps a
// decoded bitmap for drawing.
#pragma once

#include "platform/graphics/Graphics.h"

// A graphic whose pixels live in a bitmap decoded from its file bytes.
class TRasterGraphic : public TGraphic {
  KIV_CLASS(TRasterGraphic, TGraphic)
 public:
  TRasterGraphic();
  ~TRasterGraphic() override;
  void Assign(TPersistent* source) override;
  bool GetEmpty() const override;
  Integer GetWidth() const override;
  Integer GetHeight() const override;
  void SetWidth(Integer width) override;
  void SetHeight(Integer height) override;
  void SetSize(Integer width, Integer height) override;
  void Draw(TCanvas* canvas, const TRect& rect) override;
  void DrawTransparent(TCanvas* canvas, const TRect& rect, Byte opacity) override;
  // The decoded pixels (what a picture's Bitmap or an image list takes).
  virtual TBitmap* GetBitmap();

 protected:
  // Decodes with Qt's reader for the format ("PNG", "GIF", "ICO"); raises EInvalidGraphic.
  void DecodeWith(TStream* stream, const char* format, const Char* what);
  void EncodeWith(TStream* stream, const char* format);
  std::unique_ptr<TBitmap> bitmap_;
};

class TPngImage : public TRasterGraphic {
  KIV_CLASS(TPngImage, TRasterGraphic)
 public:
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
};

class TGIFImage : public TRasterGraphic {
  KIV_CLASS(TGIFImage, TRasterGraphic)
 public:
  void LoadFromStream(TStream* stream) override;
  // Written as GIF is not available here: saved as PNG bytes, which every reader of ours takes.
  void SaveToStream(TStream* stream) override;
};

class TIcon : public TRasterGraphic {
  KIV_CLASS(TIcon, TRasterGraphic)
 public:
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  // An icon resource compiled into the program.
  void LoadFromResourceName(NativeInt instance, const String& resourceName);
};

enum TJPEGPerformance { jpBestQuality, jpBestSpeed };
enum TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };
using TJPEGQualityRange = Integer;

// JPEG through libjpeg: the file bytes are kept as read and compressed again only after the
// picture changes.
class TJPEGImage : public TRasterGraphic {
  KIV_CLASS(TJPEGImage, TRasterGraphic)
 public:
  TJPEGImage();
  void Assign(TPersistent* source) override;
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  Integer GetWidth() const override;
  Integer GetHeight() const override;
  bool GetEmpty() const override;
  TBitmap* GetBitmap() override;
  void Draw(TCanvas* canvas, const TRect& rect) override;

  TJPEGQualityRange GetCompressionQuality() const { return quality_; }
  void SetCompressionQuality(TJPEGQualityRange quality);
  bool GetGrayscale() const { return grayscale_; }
  void SetGrayscale(bool value);
  TJPEGPerformance GetPerformance() const { return performance_; }
  void SetPerformance(TJPEGPerformance value);
  TJPEGScale GetScale() const { return scale_; }
  void SetScale(TJPEGScale value);
  bool GetProgressiveEncoding() const { return progressive_; }
  void SetProgressiveEncoding(bool value) { progressive_ = value; }
  // Compresses the bitmap now (the original's explicit step before saving).
  void Compress();
  void DIBNeeded();
  void JPEGNeeded();

 private:
  void Decode();
  TBytes data_;
  bool decoded_ = false;
  Integer quality_ = 90;
  bool grayscale_ = false;
  TJPEGPerformance performance_ = jpBestQuality;
  TJPEGScale scale_ = jsFullSize;
  bool progressive_ = false;
  Integer width_ = 0, height_ = 0;
};

// Registers bmp, jpg, jpeg, png, gif, ico, emf (and wmf names for our metafile) once.
void RegisterBuiltInGraphicFormats();
