// Fonts, pens, brushes and the canvas over a device context; the graphic-format registry.
#include "platform/graphics/Graphics.h"

#include <QImage>
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/graphics/Images.h"
#include "platform/graphics/private/DeviceContext.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Strings.h"

// ---- type information ----

const TTypeInfo* TypeInfoFontStyles() {
  static const TTypeInfo element =
      TTypeInfo::Enum(u"TFontStyle", {u"fsBold", u"fsItalic", u"fsUnderline", u"fsStrikeOut"});
  static const TTypeInfo set = TTypeInfo::Set(u"TFontStyles", &element);
  return &set;
}
const TTypeInfo* TypeInfoFontPitch() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TFontPitch", {u"fpDefault", u"fpVariable", u"fpFixed"});
  return &t;
}
const TTypeInfo* TypeInfoFontQuality() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TFontQuality", {u"fqDefault", u"fqDraft", u"fqProof", u"fqNonAntialiased",
                                        u"fqAntialiased", u"fqClearType", u"fqClearTypeNatural"});
  return &t;
}
const TTypeInfo* TypeInfoPenStyle() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TPenStyle", {u"psSolid", u"psDash", u"psDot", u"psDashDot", u"psDashDotDot",
                                     u"psClear", u"psInsideFrame", u"psUserStyle", u"psAlternate"});
  return &t;
}
const TTypeInfo* TypeInfoPenMode() {
  static const TTypeInfo t = TTypeInfo::Enum(
      u"TPenMode", {u"pmBlack", u"pmWhite", u"pmNop", u"pmNot", u"pmCopy", u"pmNotCopy", u"pmMergePenNot",
                    u"pmMaskPenNot", u"pmMergeNotPen", u"pmMaskNotPen", u"pmMerge", u"pmNotMerge", u"pmMask",
                    u"pmNotMask", u"pmXor", u"pmNotXor"});
  return &t;
}
const TTypeInfo* TypeInfoBrushStyle() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TBrushStyle", {u"bsSolid", u"bsClear", u"bsHorizontal", u"bsVertical", u"bsFDiagonal",
                                       u"bsBDiagonal", u"bsCross", u"bsDiagCross"});
  return &t;
}

void TGraphicsObject::Changed() {
  ++changes_;
  if (OnChange) OnChange(this);
}

// ---- TFont ----

namespace {

struct LogFontLess {
  bool operator()(const LOGFONTW& a, const LOGFONTW& b) const { return std::memcmp(&a, &b, sizeof a) < 0; }
};

// One handle per font description, kept for the life of the program like the original's font cache.
HFONT SharedFontHandle(const LOGFONTW& lf) {
  static std::mutex m;
  // Kept to the end of the program: handles of it may be asked for while statics go.
  static auto* cache = new std::map<LOGFONTW, HFONT, LogFontLess>;
  std::lock_guard lock(m);
  HFONT& h = (*cache)[lf];
  if (!h) {
    h = CreateFontIndirect(&lf);
    h->shared = true;
  }
  return h;
}

}  // namespace

TFont::TFont()
    : name_(u"Tahoma"), height_(-11), color_(clWindowText), charset_(DEFAULT_CHARSET), pitch_(fpDefault) {}

TFont::~TFont() = default;

void TFont::Published(TPropBuilder<TFont>& p) {
  p.Int(u"Charset", &TFont::GetCharset, &TFont::SetCharset).Default(DEFAULT_CHARSET);
  p.IntIdent(u"Color", TypeInfoColor(), &TFont::GetColor, &TFont::SetColor).Default(clWindowText);
  p.Int(u"Height", &TFont::GetHeight, &TFont::SetHeight).NoDefault();
  p.Str(u"Name", &TFont::GetName, &TFont::SetName);
  p.Int(u"Orientation", &TFont::GetOrientation, &TFont::SetOrientation).Default(0);
  p.Enum(u"Pitch", TypeInfoFontPitch(), &TFont::GetPitch, &TFont::SetPitch).Default(fpDefault);
  p.Int(u"Size", &TFont::GetSize, &TFont::SetSize).Stored(false);
  p.Set(u"Style", TypeInfoFontStyles(), &TFont::GetStyle, &TFont::SetStyle).Default(TFontStyles());
  p.Enum(u"Quality", TypeInfoFontQuality(), &TFont::GetQuality, &TFont::SetQuality).Default(fqDefault);
}

void TFont::Assign(TPersistent* source) {
  if (auto* f = dynamic_cast<TFont*>(source)) {
    name_ = f->name_;
    // The size in points is what carries across resolutions.
    height_ = pixelsPerInch_ == f->pixelsPerInch_ ? f->height_ : -MulDiv(f->GetSize(), pixelsPerInch_, 72);
    style_ = f->style_;
    color_ = f->color_;
    charset_ = f->charset_;
    pitch_ = f->pitch_;
    orientation_ = f->orientation_;
    quality_ = f->quality_;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

Integer TFont::GetSize() const {
  if (height_ < 0) return MulDiv(-height_, 72, pixelsPerInch_);
  return -MulDiv(height_, 72, pixelsPerInch_);
}

void TFont::SetSize(Integer size) { SetHeight(-MulDiv(size, pixelsPerInch_, 72)); }

void TFont::SetName(const String& name) {
  if (name.empty() || name == name_) return;
  name_ = name;
  Changed();
}
void TFont::SetHeight(Integer height) {
  if (height == height_) return;
  height_ = height;
  Changed();
}
void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}
void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}
void TFont::SetCharset(TFontCharset charset) {
  if (charset == charset_) return;
  charset_ = charset;
  Changed();
}
void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == pitch_) return;
  pitch_ = pitch;
  Changed();
}
void TFont::SetOrientation(Integer orientation) {
  if (orientation == orientation_) return;
  orientation_ = orientation;
  Changed();
}
void TFont::SetQuality(TFontQuality quality) {
  if (quality == quality_) return;
  quality_ = quality;
  Changed();
}

LOGFONTW TFont::GetLogFont() const {
  LOGFONTW lf;
  lf.lfHeight = height_;
  lf.lfEscapement = orientation_;
  lf.lfOrientation = orientation_;
  lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = style_.Contains(fsItalic);
  lf.lfUnderline = style_.Contains(fsUnderline);
  lf.lfStrikeOut = style_.Contains(fsStrikeOut);
  lf.lfCharSet = charset_;
  static const Byte qualities[] = {DEFAULT_QUALITY,        DRAFT_QUALITY,       PROOF_QUALITY,
                                   NONANTIALIASED_QUALITY, ANTIALIASED_QUALITY, CLEARTYPE_QUALITY,
                                   CLEARTYPE_QUALITY};
  lf.lfQuality = qualities[quality_];
  lf.lfPitchAndFamily = pitch_ == fpFixed      ? FIXED_PITCH
                        : pitch_ == fpVariable ? VARIABLE_PITCH
                                               : DEFAULT_PITCH;
  const size_t n = std::min<size_t>(name_.size(), LF_FACESIZE - 1);
  std::copy_n(name_.begin(), n, lf.lfFaceName);
  return lf;
}

HFONT TFont::GetHandle() const { return SharedFontHandle(GetLogFont()); }

void TFont::SetHandle(HFONT handle) {
  LOGFONTW lf;
  if (!handle || GetObject(handle, sizeof lf, &lf) != sizeof lf) return;
  name_ = String(lf.lfFaceName, std::char_traits<Char>::length(lf.lfFaceName));
  height_ = lf.lfHeight;
  orientation_ = lf.lfEscapement;
  style_ = TFontStyles();
  if (lf.lfWeight >= FW_SEMIBOLD) style_.Include(fsBold);
  if (lf.lfItalic) style_.Include(fsItalic);
  if (lf.lfUnderline) style_.Include(fsUnderline);
  if (lf.lfStrikeOut) style_.Include(fsStrikeOut);
  charset_ = lf.lfCharSet;
  const Byte pitch = lf.lfPitchAndFamily & 3;
  pitch_ = pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault;
  Changed();
}

// ---- TPen ----

namespace {
constexpr Integer PenModeRop[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                                  R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                  R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                                  R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
constexpr UINT PenStyleGdi[] = {PS_SOLID, PS_DASH,        PS_DOT,   PS_DASHDOT, PS_DASHDOTDOT,
                                PS_NULL,  PS_INSIDEFRAME, PS_SOLID, PS_DOT};
}  // namespace

TPen::TPen() = default;
TPen::~TPen() {
  if (handle_) DeleteObject(handle_);
}

void TPen::Published(TPropBuilder<TPen>& p) {
  p.IntIdent(u"Color", TypeInfoColor(), &TPen::GetColor, &TPen::SetColor).Default(clBlack);
  p.Enum(u"Mode", TypeInfoPenMode(), &TPen::GetMode, &TPen::SetMode).Default(pmCopy);
  p.Enum(u"Style", TypeInfoPenStyle(), &TPen::GetStyle, &TPen::SetStyle).Default(psSolid);
  p.Int(u"Width", &TPen::GetWidth, &TPen::SetWidth).Default(1);
}

void TPen::Assign(TPersistent* source) {
  if (auto* p = dynamic_cast<TPen*>(source)) {
    color_ = p->color_;
    width_ = p->width_;
    style_ = p->style_;
    mode_ = p->mode_;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TPen::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}
void TPen::SetWidth(Integer width) {
  if (width < 0 || width == width_) return;
  width_ = width;
  Changed();
}
void TPen::SetStyle(TPenStyle style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}
void TPen::SetMode(TPenMode mode) {
  if (mode == mode_) return;
  mode_ = mode;
  Changed();
}

HPEN TPen::GetHandle() const {
  if (!handle_ || handleFor_ != GetChangeCount()) {
    if (handle_) DeleteObject(handle_);
    handle_ = CreatePen(static_cast<Integer>(PenStyleGdi[style_]), width_, ColorToRGB(color_));
    handleFor_ = GetChangeCount();
  }
  return handle_;
}

// ---- TBrush ----

TBrush::TBrush() = default;
TBrush::~TBrush() {
  if (handle_) DeleteObject(handle_);
}

void TBrush::Published(TPropBuilder<TBrush>& p) {
  p.IntIdent(u"Color", TypeInfoColor(), &TBrush::GetColor, &TBrush::SetColor).Default(clWhite);
  p.Enum(u"Style", TypeInfoBrushStyle(), &TBrush::GetStyle, &TBrush::SetStyle).Default(bsSolid);
}

void TBrush::Assign(TPersistent* source) {
  if (auto* b = dynamic_cast<TBrush*>(source)) {
    color_ = b->color_;
    style_ = b->style_;
    bitmap_ = b->bitmap_;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TBrush::SetColor(TColor color) {
  if (color == color_ && style_ != bsClear) return;
  color_ = color;
  if (style_ == bsClear) style_ = bsSolid;
  Changed();
}
void TBrush::SetStyle(TBrushStyle style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}
void TBrush::SetBitmap(TBitmap* bitmap) {
  bitmap_ = bitmap;
  Changed();
}

HBRUSH TBrush::GetHandle() const {
  if (!handle_ || handleFor_ != GetChangeCount()) {
    if (handle_) DeleteObject(handle_);
    if (bitmap_ && !bitmap_->GetEmpty()) {
      handle_ = CreatePatternBrush(bitmap_->GetHandle());
    } else {
      LOGBRUSH lb{BS_SOLID, ColorToRGB(color_), 0};
      if (style_ == bsClear)
        lb.lbStyle = BS_NULL;
      else if (style_ >= bsHorizontal)
        lb = LOGBRUSH{BS_HATCHED, ColorToRGB(color_), style_ - bsHorizontal};
      handle_ = CreateBrushIndirect(&lb);
    }
    handleFor_ = GetChangeCount();
  }
  return handle_;
}

// ---- TCanvas ----

struct TCanvasLock {
  std::recursive_mutex mutex;
};

UINT TextFormatToFlags(TTextFormat f) {
  static constexpr UINT flags[] = {
      DT_BOTTOM,       DT_CALCRECT,      DT_CENTER,        DT_EDITCONTROL,
      DT_END_ELLIPSIS, DT_PATH_ELLIPSIS, DT_EXPANDTABS,    DT_EXTERNALLEADING,
      DT_LEFT,         DT_MODIFYSTRING,  DT_NOCLIP,        DT_NOPREFIX,
      DT_RIGHT,        DT_RTLREADING,    DT_SINGLELINE,    DT_TOP,
      DT_VCENTER,      DT_WORDBREAK,     DT_HIDEPREFIX,    DT_NOFULLWIDTHCHARBREAK,
      DT_PREFIXONLY,   DT_TABSTOP,       DT_WORD_ELLIPSIS, 0};
  UINT result = 0;
  for (int i = tfBottom; i <= tfComposited; ++i)
    if (f.Contains(static_cast<TTextFormats>(i))) result |= flags[i];
  return result;
}

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()),
      pen_(std::make_unique<TPen>()),
      brush_(std::make_unique<TBrush>()),
      lock_(std::make_unique<TCanvasLock>()) {}

TCanvas::~TCanvas() = default;

HDC TCanvas::GetHandle() {
  if (!dc_) CreateHandle();
  if (!dc_) throw EInvalidOperation(u"Canvas does not allow drawing");
  RequiredState();
  return dc_;
}

void TCanvas::SetHandle(HDC dc) {
  dc_ = dc;
  fontSynced_ = penSynced_ = brushSynced_ = 0;
}

void TCanvas::DropHandle() { SetHandle(nullptr); }

void TCanvas::RequiredState() {
  if (!dc_) return;
  if (fontSynced_ != font_->GetChangeCount() || dc_->st.fontHandle != font_->GetHandle()) {
    SelectObject(dc_, font_->GetHandle());
    SetTextColor(dc_, ColorToRGB(font_->GetColor()));
    fontSynced_ = font_->GetChangeCount();
  }
  if (penSynced_ != pen_->GetChangeCount()) {
    SelectObject(dc_, pen_->GetHandle());
    SetROP2(dc_, PenModeRop[pen_->GetMode()]);
    penSynced_ = pen_->GetChangeCount();
  }
  if (brushSynced_ != brush_->GetChangeCount()) {
    SelectObject(dc_, brush_->GetHandle());
    if (brush_->GetStyle() == bsSolid) {
      SetBkColor(dc_, ColorToRGB(brush_->GetColor()));
      SetBkMode(dc_, OPAQUE);
    } else {
      SetBkColor(dc_, ~ColorToRGB(brush_->GetColor()) & 0xFFFFFF);
      SetBkMode(dc_, TRANSPARENT);
    }
    brushSynced_ = brush_->GetChangeCount();
  }
}

void TCanvas::Refresh() { fontSynced_ = penSynced_ = brushSynced_ = 0; }

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

TPoint TCanvas::GetPenPos() {
  TPoint p;
  GetCurrentPositionEx(GetHandle(), &p);
  return p;
}

TRect TCanvas::GetClipRect() {
  TRect r;
  GetClipBox(GetHandle(), &r);
  return r;
}

TColor TCanvas::GetPixel(Integer x, Integer y) {
  const COLORREF c = ::GetPixel(GetHandle(), x, y);
  return c == CLR_INVALID ? clNone : static_cast<TColor>(c);
}

void TCanvas::SetPixel(Integer x, Integer y, TColor color) {
  Changing();
  ::SetPixel(GetHandle(), x, y, ColorToRGB(color));
  Changed();
}

void TCanvas::Arc(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4,
                  Integer y4) {
  Changing();
  ::Arc(GetHandle(), x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}
void TCanvas::Chord(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4,
                    Integer y4) {
  Changing();
  ::Chord(GetHandle(), x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}
void TCanvas::Pie(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4,
                  Integer y4) {
  Changing();
  ::Pie(GetHandle(), x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source) {
  if (!canvas) return;
  Changing();
  HDC src = canvas->GetHandle();
  ::StretchBlt(GetHandle(), dest.Left, dest.Top, dest.Width(), dest.Height(), src, source.Left, source.Top,
               source.Width(), source.Height(), copyMode_);
  Changed();
}

void TCanvas::Draw(Integer x, Integer y, TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  Changing();
  GetHandle();
  graphic->Draw(this, Bounds(x, y, graphic->GetWidth(), graphic->GetHeight()));
  Changed();
}

void TCanvas::Draw(Integer x, Integer y, TGraphic* graphic, Byte opacity) {
  if (!graphic || graphic->GetEmpty()) return;
  Changing();
  GetHandle();
  graphic->DrawTransparent(this, Bounds(x, y, graphic->GetWidth(), graphic->GetHeight()), opacity);
  Changed();
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  Changing();
  GetHandle();
  graphic->Draw(this, rect);
  Changed();
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic, Byte opacity) {
  if (!graphic || graphic->GetEmpty()) return;
  Changing();
  GetHandle();
  graphic->DrawTransparent(this, rect, opacity);
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& rect) {
  Changing();
  ::DrawFocusRect(GetHandle(), &rect);
  Changed();
}

void TCanvas::Ellipse(Integer x1, Integer y1, Integer x2, Integer y2) {
  Changing();
  ::Ellipse(GetHandle(), x1, y1, x2, y2);
  Changed();
}

void TCanvas::FillRect(const TRect& rect) {
  Changing();
  HDC dc = GetHandle();
  ::FillRect(dc, &rect, brush_->GetHandle());
  Changed();
}

void TCanvas::FrameRect(const TRect& rect) {
  Changing();
  HDC dc = GetHandle();
  ::FrameRect(dc, &rect, brush_->GetHandle());
  Changed();
}

void TCanvas::FillGradient(const TRect& rect, TColor from, TColor to, bool vertical) {
  Changing();
  GradientFillRect(GetHandle(), rect, ColorToRGB(from), ColorToRGB(to), vertical);
  Changed();
}

void TCanvas::LineTo(Integer x, Integer y) {
  Changing();
  ::LineTo(GetHandle(), x, y);
  Changed();
}

void TCanvas::MoveTo(Integer x, Integer y) { ::MoveToEx(GetHandle(), x, y, nullptr); }

void TCanvas::Polygon(const std::vector<TPoint>& points) {
  Polygon(points.data(), static_cast<Integer>(points.size()));
}
void TCanvas::Polygon(const TPoint* points, Integer count) {
  Changing();
  ::Polygon(GetHandle(), points, count);
  Changed();
}
void TCanvas::Polyline(const std::vector<TPoint>& points) {
  Polyline(points.data(), static_cast<Integer>(points.size()));
}
void TCanvas::Polyline(const TPoint* points, Integer count) {
  Changing();
  ::Polyline(GetHandle(), points, count);
  Changed();
}

void TCanvas::PolyPolyline(const std::vector<std::vector<TPoint>>& lines) {
  std::vector<TPoint> all;
  std::vector<DWORD> counts;
  for (const auto& line : lines) {
    all.insert(all.end(), line.begin(), line.end());
    counts.push_back(static_cast<DWORD>(line.size()));
  }
  Changing();
  ::PolyPolyline(GetHandle(), all.data(), counts.data(), static_cast<Integer>(counts.size()));
  Changed();
}

void TCanvas::Rectangle(Integer x1, Integer y1, Integer x2, Integer y2) {
  Changing();
  ::Rectangle(GetHandle(), x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3) {
  Changing();
  ::RoundRect(GetHandle(), x1, y1, x2, y2, x3, y3);
  Changed();
}

TSize TCanvas::TextExtent(const String& text) {
  TSize size;
  GetTextExtentPoint32(GetHandle(), text.data(), static_cast<Integer>(text.size()), &size);
  return size;
}

void TCanvas::TextOut(Integer x, Integer y, const String& text) {
  Changing();
  HDC dc = GetHandle();
  ::ExtTextOut(dc, x, y, textFlags_, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
  MoveTo(x + TextWidth(text), y);
  Changed();
}

void TCanvas::TextRect(const TRect& rect, Integer x, Integer y, const String& text) {
  Changing();
  HDC dc = GetHandle();
  UINT options = ETO_CLIPPED | textFlags_;
  if (brush_->GetStyle() != bsClear) options |= ETO_OPAQUE;
  ::ExtTextOut(dc, x, y, options, &rect, text.data(), static_cast<UINT>(text.size()), nullptr);
  Changed();
}

Integer TCanvas::TextRect(TRect& rect, String& text, TTextFormat format) {
  UINT flags = TextFormatToFlags(format);
  if (format.Contains(tfModifyString)) flags &= ~DT_MODIFYSTRING;
  Changing();
  HDC dc = GetHandle();
  if (brush_->GetStyle() == bsClear) SetBkMode(dc, TRANSPARENT);
  const Integer result =
      ::DrawTextEx(dc, text.data(), static_cast<Integer>(text.size()), &rect, flags, nullptr);
  Changed();
  return result;
}

void TCanvas::Lock() {
  lock_->mutex.lock();
  ++lockCount_;
}

void TCanvas::Unlock() {
  --lockCount_;
  lock_->mutex.unlock();
}

bool TCanvas::TryLock() {
  if (!lock_->mutex.try_lock()) return false;
  ++lockCount_;
  return true;
}

// ---- TGraphic and the registry ----

void TGraphic::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Changed();
}

void TGraphic::SetModified(bool value) {
  if (value)
    Changed();
  else
    modified_ = false;
}

void TGraphic::Changed() {
  modified_ = true;
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const String& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}

void TGraphic::DrawTransparent(TCanvas* canvas, const TRect& rect, Byte opacity) {
  if (opacity == 0) return;
  // Through an intermediate bitmap blended at the opacity.
  TBitmap buffer(rect.Width(), rect.Height());
  HDC dc = canvas->GetHandle();
  BitBlt(buffer.GetCanvas()->GetHandle(), 0, 0, rect.Width(), rect.Height(), dc, rect.Left, rect.Top,
         SRCCOPY);
  Draw(buffer.GetCanvas(), TRect(0, 0, rect.Width(), rect.Height()));
  BLENDFUNCTION bf{AC_SRC_OVER, 0, opacity, 0};
  AlphaBlend(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), buffer.GetCanvas()->GetHandle(), 0, 0,
             rect.Width(), rect.Height(), bf);
}

namespace {

struct FileFormat {
  String extension;
  String description;
  TGraphicClass graphicClass;
};

std::vector<FileFormat>& Formats() {
  static std::vector<FileFormat> formats;
  return formats;
}

std::mutex& FormatsMutex() {
  static std::mutex m;
  return m;
}

String WithoutDot(const String& ext) { return !ext.empty() && ext[0] == u'.' ? ext.substr(1) : ext; }

}  // namespace

void RegisterFileFormat(const String& extension, const String& description, TGraphicClass graphicClass) {
  std::lock_guard lock(FormatsMutex());
  const String ext = LowerCase(WithoutDot(extension));
  for (FileFormat& f : Formats()) {
    if (f.extension == ext) {
      f = FileFormat{ext, description, graphicClass};
      return;
    }
  }
  Formats().push_back(FileFormat{ext, description, graphicClass});
}

void UnregisterGraphicClass(TGraphicClass graphicClass) {
  std::lock_guard lock(FormatsMutex());
  auto& v = Formats();
  v.erase(
      std::remove_if(v.begin(), v.end(), [&](const FileFormat& f) { return f.graphicClass == graphicClass; }),
      v.end());
}

TGraphicClass GraphicClassOfExtension(const String& extension) {
  RegisterBuiltInGraphicFormats();
  std::lock_guard lock(FormatsMutex());
  const String ext = LowerCase(WithoutDot(extension));
  for (const FileFormat& f : Formats())
    if (f.extension == ext) return f.graphicClass;
  return nullptr;
}

String GraphicExtension(TGraphicClass graphicClass) {
  RegisterBuiltInGraphicFormats();
  std::lock_guard lock(FormatsMutex());
  for (const FileFormat& f : Formats())
    if (f.graphicClass == graphicClass) return f.extension;
  for (const FileFormat& f : Formats())
    if (graphicClass && f.graphicClass->InheritsFrom(graphicClass)) return f.extension;
  return String();
}

String GraphicFileMask(TGraphicClass graphicClass) {
  RegisterBuiltInGraphicFormats();
  std::lock_guard lock(FormatsMutex());
  String mask;
  for (const FileFormat& f : Formats()) {
    if (graphicClass && !f.graphicClass->InheritsFrom(graphicClass)) continue;
    if (!mask.empty()) mask += u';';
    mask += u"*." + f.extension;
  }
  return mask;
}

String GraphicFilter(TGraphicClass graphicClass) {
  const String all = GraphicFileMask(graphicClass);
  std::lock_guard lock(FormatsMutex());
  String filters;
  Integer count = 0;
  for (const FileFormat& f : Formats()) {
    if (graphicClass && !f.graphicClass->InheritsFrom(graphicClass)) continue;
    filters += u"|" + f.description + u" (*." + f.extension + u")|*." + f.extension;
    ++count;
  }
  if (count > 1) return u"All (" + all + u")|" + all + filters;
  return filters.empty() ? String() : filters.substr(1);
}
