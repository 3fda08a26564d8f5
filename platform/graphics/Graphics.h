// The drawing classes: fonts, pens and brushes with published properties, the canvas over a device
// context, graphics and their file-format registry, bitmaps and pictures.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/Delegate.h"
#include "platform/classes/Object.h"
#include "platform/classes/Set.h"
#include "platform/classes/Streams.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Gdi.h"

// ---- fonts, pens, brushes ----

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TFontQuality {
  fqDefault,
  fqDraft,
  fqProof,
  fqNonAntialiased,
  fqAntialiased,
  fqClearType,
  fqClearTypeNatural
};
using TFontCharset = Byte;
using TFontName = String;

enum TPenStyle {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame,
  psUserStyle,
  psAlternate
};
enum TPenMode {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor,
};
enum TBrushStyle {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

const TTypeInfo* TypeInfoFontStyles();
const TTypeInfo* TypeInfoFontPitch();
const TTypeInfo* TypeInfoFontQuality();
const TTypeInfo* TypeInfoPenStyle();
const TTypeInfo* TypeInfoPenMode();
const TTypeInfo* TypeInfoBrushStyle();

class TGraphicsObject : public TPersistent {
  KIV_CLASS(TGraphicsObject, TPersistent)
 public:
  TNotifyEvent OnChange;
  // Counts changes; a canvas compares it to know when to select the object again.
  UInt64 GetChangeCount() const { return changes_; }

 protected:
  virtual void Changed();

 private:
  UInt64 changes_ = 1;
};

class TFont : public TGraphicsObject {
  KIV_CLASS(TFont, TGraphicsObject)
 public:
  TFont();
  ~TFont() override;
  static void Published(TPropBuilder<TFont>& p);

  void Assign(TPersistent* source) override;

  const String& GetName() const { return name_; }
  void SetName(const String& name);
  // Points at PixelsPerInch; the height is what is stored.
  Integer GetSize() const;
  void SetSize(Integer size);
  // Negative: the character height in pixels; positive: the cell height.
  Integer GetHeight() const { return height_; }
  void SetHeight(Integer height);
  TFontStyles GetStyle() const { return style_; }
  void SetStyle(TFontStyles style);
  TColor GetColor() const { return color_; }
  void SetColor(TColor color);
  TFontCharset GetCharset() const { return charset_; }
  void SetCharset(TFontCharset charset);
  TFontPitch GetPitch() const { return pitch_; }
  void SetPitch(TFontPitch pitch);
  // Tenths of a degree, counter-clockwise.
  Integer GetOrientation() const { return orientation_; }
  void SetOrientation(Integer orientation);
  TFontQuality GetQuality() const { return quality_; }
  void SetQuality(TFontQuality quality);
  Integer GetPixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(Integer ppi) { pixelsPerInch_ = ppi > 0 ? ppi : 96; }

  // Fonts of the same description share one handle, so comparing handles compares fonts.
  HFONT GetHandle() const;
  // Takes the description of a font handle.
  void SetHandle(HFONT handle);
  LOGFONTW GetLogFont() const;

 private:
  String name_;
  Integer height_;
  TFontStyles style_;
  TColor color_;
  TFontCharset charset_;
  TFontPitch pitch_;
  Integer orientation_ = 0;
  TFontQuality quality_ = fqDefault;
  Integer pixelsPerInch_ = 96;
};

class TPen : public TGraphicsObject {
  KIV_CLASS(TPen, TGraphicsObject)
 public:
  TPen();
  ~TPen() override;
  static void Published(TPropBuilder<TPen>& p);
  void Assign(TPersistent* source) override;

  TColor GetColor() const { return color_; }
  void SetColor(TColor color);
  Integer GetWidth() const { return width_; }
  void SetWidth(Integer width);
  TPenStyle GetStyle() const { return style_; }
  void SetStyle(TPenStyle style);
  TPenMode GetMode() const { return mode_; }
  void SetMode(TPenMode mode);
  HPEN GetHandle() const;

 private:
  TColor color_ = clBlack;
  Integer width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
  mutable HPEN handle_ = nullptr;
  mutable UInt64 handleFor_ = 0;
};

class TBitmap;

class TBrush : public TGraphicsObject {
  KIV_CLASS(TBrush, TGraphicsObject)
 public:
  TBrush();
  ~TBrush() override;
  static void Published(TPropBuilder<TBrush>& p);
  void Assign(TPersistent* source) override;

  TColor GetColor() const { return color_; }
  void SetColor(TColor color);
  TBrushStyle GetStyle() const { return style_; }
  void SetStyle(TBrushStyle style);
  // A pattern bitmap the caller keeps alive; nullptr goes back to the colour.
  TBitmap* GetBitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* bitmap);
  HBRUSH GetHandle() const;

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  TBitmap* bitmap_ = nullptr;
  mutable HBRUSH handle_ = nullptr;
  mutable UInt64 handleFor_ = 0;
};

// ---- canvas ----

enum TTextFormats {
  tfBottom,
  tfCalcRect,
  tfCenter,
  tfEditControl,
  tfEndEllipsis,
  tfPathEllipsis,
  tfExpandTabs,
  tfExternalLeading,
  tfLeft,
  tfModifyString,
  tfNoClip,
  tfNoPrefix,
  tfRight,
  tfRtlReading,
  tfSingleLine,
  tfTop,
  tfVerticalCenter,
  tfWordBreak,
  tfHidePrefix,
  tfNoFullWidthCharBreak,
  tfPrefixOnly,
  tfTabStop,
  tfWordEllipsis,
  tfComposited,
};
using TTextFormat = TSet<TTextFormats>;
UINT TextFormatToFlags(TTextFormat format);

using TCopyMode = DWORD;
constexpr TCopyMode cmSrcCopy = SRCCOPY, cmSrcAnd = SRCAND, cmSrcPaint = SRCPAINT, cmSrcInvert = SRCINVERT,
                    cmDstInvert = DSTINVERT, cmPatCopy = PATCOPY, cmBlackness = BLACKNESS,
                    cmWhiteness = WHITENESS, cmNotSrcCopy = NOTSRCCOPY, cmMergeCopy = MERGECOPY,
                    cmMergePaint = MERGEPAINT, cmPatInvert = PATINVERT, cmPatPaint = PATPAINT,
                    cmSrcErase = SRCERASE, cmNotSrcErase = NOTSRCERASE;

class TGraphic;
struct TCanvasLock;

class TCanvas : public TPersistent {
  KIV_CLASS(TCanvas, TPersistent)
 public:
  TCanvas();
  ~TCanvas() override;

  // The device context; a canvas that has none makes it on first use (CreateHandle).
  HDC GetHandle();
  // Takes a context the caller owns (0 lets go of it).
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return dc_ != nullptr; }

  TFont* GetFont() const { return font_.get(); }
  void SetFont(TFont* font) { font_->Assign(font); }
  TPen* GetPen() const { return pen_.get(); }
  void SetPen(TPen* pen) { pen_->Assign(pen); }
  TBrush* GetBrush() const { return brush_.get(); }
  void SetBrush(TBrush* brush) { brush_->Assign(brush); }
  TCopyMode GetCopyMode() const { return copyMode_; }
  void SetCopyMode(TCopyMode mode) { copyMode_ = mode; }
  UINT GetTextFlags() const { return textFlags_; }
  void SetTextFlags(UINT flags) { textFlags_ = flags; }

  TPoint GetPenPos();
  void SetPenPos(TPoint p) { MoveTo(p.X, p.Y); }
  // The clip box in logical units.
  TRect GetClipRect();
  TColor GetPixel(Integer x, Integer y);
  void SetPixel(Integer x, Integer y, TColor color);
  TColor GetPixels(Integer x, Integer y) { return GetPixel(x, y); }
  void SetPixels(Integer x, Integer y, TColor color) { SetPixel(x, y, color); }

  void Arc(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4);
  void Chord(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4);
  void Pie(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4);
  void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source);
  void Draw(Integer x, Integer y, TGraphic* graphic);
  void Draw(Integer x, Integer y, TGraphic* graphic, Byte opacity);
  void DrawFocusRect(const TRect& rect);
  void Ellipse(Integer x1, Integer y1, Integer x2, Integer y2);
  void Ellipse(const TRect& rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  void FillRect(const TRect& rect);
  void FrameRect(const TRect& rect);
  // A gradient from one colour to another, left to right or top to bottom.
  void FillGradient(const TRect& rect, TColor from, TColor to, bool vertical);
  void LineTo(Integer x, Integer y);
  void MoveTo(Integer x, Integer y);
  void Polygon(const std::vector<TPoint>& points);
  void Polygon(const TPoint* points, Integer count);
  void Polyline(const std::vector<TPoint>& points);
  void Polyline(const TPoint* points, Integer count);
  void PolyPolyline(const std::vector<std::vector<TPoint>>& lines);
  void Rectangle(Integer x1, Integer y1, Integer x2, Integer y2);
  void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  void RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3);
  void StretchDraw(const TRect& rect, TGraphic* graphic);
  void StretchDraw(const TRect& rect, TGraphic* graphic, Byte opacity);
  TSize TextExtent(const String& text);
  Integer TextHeight(const String& text) { return TextExtent(text).cy; }
  Integer TextWidth(const String& text) { return TextExtent(text).cx; }
  void TextOut(Integer x, Integer y, const String& text);
  // Text at (x, y) clipped to the rectangle, the background filled unless the brush is clear.
  void TextRect(const TRect& rect, Integer x, Integer y, const String& text);
  // DrawText with the format; tfCalcRect measures into rect, tfModifyString writes back the
  // shortened text.
  Integer TextRect(TRect& rect, String& text, TTextFormat format);

  // Serialises painting from several threads, as the class library's canvas lock does.
  void Lock();
  void Unlock();
  bool TryLock();
  Integer GetLockCount() const { return lockCount_; }
  // Lets go of the selected objects so that they are selected anew on next use.
  void Refresh();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void CreateHandle() {}
  void Changing();
  void Changed();
  // Selects the font, pen and brush into the context where they changed.
  void RequiredState();
  // Forget the context without deleting it.
  void DropHandle();

 private:
  HDC dc_ = nullptr;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  UInt64 fontSynced_ = 0, penSynced_ = 0, brushSynced_ = 0;
  TCopyMode copyMode_ = cmSrcCopy;
  UINT textFlags_ = 0;
  Integer lockCount_ = 0;
  std::unique_ptr<TCanvasLock> lock_;
};

// ---- graphics ----

class TGraphic : public TPersistent {
  KIV_CLASS(TGraphic, TPersistent)
 public:
  TGraphic() = default;
  ~TGraphic() override = default;

  virtual bool GetEmpty() const = 0;
  virtual Integer GetWidth() const = 0;
  virtual Integer GetHeight() const = 0;
  virtual void SetWidth(Integer width) = 0;
  virtual void SetHeight(Integer height) = 0;
  virtual void SetSize(Integer width, Integer height) {
    SetWidth(width);
    SetHeight(height);
  }
  virtual bool GetTransparent() const { return transparent_; }
  virtual void SetTransparent(bool value);
  bool GetModified() const { return modified_; }
  void SetModified(bool value);

  // Bad bytes raise EInvalidGraphic; nothing of the old picture is lost before that.
  virtual void LoadFromStream(TStream* stream) = 0;
  virtual void SaveToStream(TStream* stream) = 0;
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName);

  // Paints the graphic into the rectangle of the canvas (what TCanvas::StretchDraw calls).
  virtual void Draw(TCanvas* canvas, const TRect& rect) = 0;
  virtual void DrawTransparent(TCanvas* canvas, const TRect& rect, Byte opacity);

  TNotifyEvent OnChange;

 protected:
  virtual void Changed();

 private:
  bool transparent_ = false;
  bool modified_ = false;
};

using TGraphicClass = TClass;

// File formats by extension (without the dot, case-insensitive).
void RegisterFileFormat(const String& extension, const String& description, TGraphicClass graphicClass);
void UnregisterGraphicClass(TGraphicClass graphicClass);
TGraphicClass GraphicClassOfExtension(const String& extension);
// The first extension registered for the class, e.g. "bmp".
String GraphicExtension(TGraphicClass graphicClass);
// "All (*.bmp;*.jpg)|*.bmp;*.jpg|Bitmaps (*.bmp)|*.bmp|..." over the formats of the class and its
// descendants.
String GraphicFilter(TGraphicClass graphicClass);
String GraphicFileMask(TGraphicClass graphicClass);

// ---- bitmaps ----

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TAlphaFormat { afIgnored, afDefined, afPremultiplied };
enum TTransparentMode { tmAuto, tmFixed };
enum TBitmapHandleType { bmDIB, bmDDB };

class TBitmap : public TGraphic {
  KIV_CLASS(TBitmap, TGraphic)
 public:
  TBitmap();
  TBitmap(Integer width, Integer height);
  ~TBitmap() override;

  void Assign(TPersistent* source) override;

  bool GetEmpty() const override;
  Integer GetWidth() const override;
  Integer GetHeight() const override;
  void SetWidth(Integer width) override;
  void SetHeight(Integer height) override;
  void SetSize(Integer width, Integer height) override;

  TCanvas* GetCanvas();
  HBITMAP GetHandle() const { return handle_; }
  TPixelFormat GetPixelFormat() const { return pixelFormat_; }
  void SetPixelFormat(TPixelFormat format);
  TAlphaFormat GetAlphaFormat() const { return alphaFormat_; }
  void SetAlphaFormat(TAlphaFormat format);
  bool GetMonochrome() const;
  void SetMonochrome(bool value);
  // tmAuto: the colour of the bottom-left pixel.
  TColor GetTransparentColor() const;
  void SetTransparentColor(TColor color);
  TTransparentMode GetTransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode mode);
  TBitmapHandleType GetHandleType() const { return bmDIB; }
  void SetHandleType(TBitmapHandleType) {}
  // Row y as the pixel format lays it out: 3 bytes B, G, R for pf24bit, 4 bytes B, G, R, A for
  // pf32bit and pfDevice. Raises EInvalidGraphicOperation "Scan line index out of range".
  void* GetScanLine(Integer row);
  void* ScanLine(Integer row) { return GetScanLine(row); }

  // A bitmap resource compiled into the program (PNG or BMP bytes).
  void LoadFromResourceName(NativeInt instance, const String& resourceName);
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  void Dormant() {}
  void FreeImage() {}
  void Mask(TColor transparentColor);
  HBITMAP ReleaseHandle();

  void Draw(TCanvas* canvas, const TRect& rect) override;
  void DrawTransparent(TCanvas* canvas, const TRect& rect, Byte opacity) override;

 private:
  class TBitmapCanvas;
  void Changed() override;
  void Resize(Integer width, Integer height);
  HBITMAP handle_ = nullptr;
  std::unique_ptr<TCanvas> canvas_;
  TPixelFormat pixelFormat_ = pfDevice;
  TAlphaFormat alphaFormat_ = afIgnored;
  TColor transparentColor_ = clDefault;
  TTransparentMode transparentMode_ = tmAuto;
};

// ---- pictures ----

class TPicture : public TPersistent {
  KIV_CLASS(TPicture, TPersistent)
 public:
  TPicture();
  ~TPicture() override;

  void Assign(TPersistent* source) override;
  TGraphic* GetGraphic() const { return graphic_.get(); }
  // Keeps a copy of the graphic (nullptr empties the picture).
  void SetGraphic(TGraphic* graphic);
  // The bitmap of the picture: a picture holding another kind of graphic gets an empty bitmap.
  TBitmap* GetBitmap();
  void SetBitmap(TBitmap* bitmap) { SetGraphic(bitmap); }
  Integer GetWidth() const;
  Integer GetHeight() const;

  // By the file's extension; an unknown one raises EInvalidGraphic "Unknown picture file
  // extension (.%s)".
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName);
  // The format is told by the first bytes; the 8-byte header of graphic fields is skipped.
  // Unknown bytes raise EInvalidGraphic "Unsupported picture format".
  void LoadFromStream(TStream* stream);
  void SaveToStream(TStream* stream);
  // In a form stream the picture is the binary property "Data": the graphic's class name as a short
  // string, then the graphic's own file bytes; an empty picture stores nothing.
  void DefineProperties(TFiler* filer) override;

  TNotifyEvent OnChange;

 private:
  void Changed(TObject* sender);
  void ReadData(TStream* stream);
  void WriteData(TStream* stream);
  std::unique_ptr<TGraphic> graphic_;
};

// The 8-byte header that graphic blob fields put before a bitmap: count 1, type 0x0100, size.
bool HasGraphicHeader(const Byte* data, size_t size);
void WriteGraphicHeader(TStream* stream, Integer dataSize);
// The class of a graphic whose bytes start so; nullptr when unknown.
TGraphicClass GraphicClassOfData(const Byte* data, size_t size);
