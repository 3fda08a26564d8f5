// EMF writing (the record layouts of the published format, laid out here), reading with checks of
// every size, the player that replays records through the device-context layer, and enumeration.
#include "platform/graphics/Metafile.h"

#include <uemf.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/graphics/private/DeviceContext.h"
#include "platform/rtl/Strings.h"

static_assert(U_EMR_EXTTEXTOUTW == EMR_EXTTEXTOUTW && U_EMR_STRETCHDIBITS == EMR_STRETCHDIBITS &&
              U_EMR_ALPHABLEND == EMR_ALPHABLEND &&
              U_EMR_EXTCREATEFONTINDIRECTW == EMR_EXTCREATEFONTINDIRECTW);

namespace {

constexpr Cardinal EmfSignature = 0x464D4520;  // " EMF"
constexpr Cardinal HeaderSize = 108;
constexpr Cardinal StockFlag = 0x80000000;

// Little-endian record builder.
class Rec {
 public:
  explicit Rec(Cardinal type) {
    U32(type);
    U32(0);
  }
  Rec& U32(Cardinal v) {
    for (int i = 0; i < 4; ++i) b_.push_back(static_cast<Byte>(v >> (8 * i)));
    return *this;
  }
  Rec& I32(Integer v) { return U32(static_cast<Cardinal>(v)); }
  Rec& U16(Word v) {
    b_.push_back(static_cast<Byte>(v));
    b_.push_back(static_cast<Byte>(v >> 8));
    return *this;
  }
  Rec& F32(float v) {
    Cardinal u;
    std::memcpy(&u, &v, 4);
    return U32(u);
  }
  Rec& Rect(const TRect& r) { return I32(r.Left).I32(r.Top).I32(r.Right).I32(r.Bottom); }
  Rec& Pt(TPoint p) { return I32(p.X).I32(p.Y); }
  Rec& Bytes(const void* data, size_t n) {
    const auto* p = static_cast<const Byte*>(data);
    b_.insert(b_.end(), p, p + n);
    return *this;
  }
  Rec& Pad() {
    while (b_.size() % 4) b_.push_back(0);
    return *this;
  }
  size_t Size() const { return b_.size(); }
  void PatchU32(size_t at, Cardinal v) {
    for (int i = 0; i < 4; ++i) b_[at + i] = static_cast<Byte>(v >> (8 * i));
  }
  TBytes Done() {
    Pad();
    PatchU32(4, static_cast<Cardinal>(b_.size()));
    return std::move(b_);
  }

 private:
  TBytes b_;
};

Cardinal ReadU32(const Byte* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<Cardinal>(p[3]) << 24);
}
Integer ReadI32(const Byte* p) { return static_cast<Integer>(ReadU32(p)); }
float ReadF32(const Byte* p) {
  const Cardinal u = ReadU32(p);
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}
TRect ReadRect(const Byte* p) { return TRect(ReadI32(p), ReadI32(p + 4), ReadI32(p + 8), ReadI32(p + 12)); }
TPoint ReadPt(const Byte* p) { return TPoint(ReadI32(p), ReadI32(p + 4)); }

void WriteLogFont(Rec& r, const LOGFONTW& lf) {
  r.I32(lf.lfHeight).I32(lf.lfWidth).I32(lf.lfEscapement).I32(lf.lfOrientation).I32(lf.lfWeight);
  const Byte bytes[8] = {lf.lfItalic,       lf.lfUnderline,     lf.lfStrikeOut, lf.lfCharSet,
                         lf.lfOutPrecision, lf.lfClipPrecision, lf.lfQuality,   lf.lfPitchAndFamily};
  r.Bytes(bytes, 8);
  for (int i = 0; i < LF_FACESIZE; ++i) r.U16(lf.lfFaceName[i]);
}

LOGFONTW ReadLogFont(const Byte* p) {
  LOGFONTW lf;
  lf.lfHeight = ReadI32(p);
  lf.lfWidth = ReadI32(p + 4);
  lf.lfEscapement = ReadI32(p + 8);
  lf.lfOrientation = ReadI32(p + 12);
  lf.lfWeight = ReadI32(p + 16);
  lf.lfItalic = p[20];
  lf.lfUnderline = p[21];
  lf.lfStrikeOut = p[22];
  lf.lfCharSet = p[23];
  lf.lfOutPrecision = p[24];
  lf.lfClipPrecision = p[25];
  lf.lfQuality = p[26];
  lf.lfPitchAndFamily = p[27];
  for (int i = 0; i < LF_FACESIZE; ++i)
    lf.lfFaceName[i] = static_cast<Char>(p[28 + 2 * i] | (p[29 + 2 * i] << 8));
  lf.lfFaceName[LF_FACESIZE - 1] = 0;
  return lf;
}

// A device-independent bitmap as the records carry it: header, then rows bottom-up.
void AppendDib(Rec& r, const QImage& img, bool alpha, size_t recordHeader, size_t offsetsAt) {
  const QImage src = img.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  const Integer w = src.width(), h = src.height();
  const Integer bpp = alpha ? 32 : 24;
  const Integer stride = ((w * bpp / 8) + 3) & ~3;
  const Cardinal offBmi = static_cast<Cardinal>(recordHeader);
  const Cardinal offBits = offBmi + 40;
  const Cardinal cbBits = static_cast<Cardinal>(stride) * h;
  r.PatchU32(offsetsAt, offBmi);
  r.PatchU32(offsetsAt + 4, 40);
  r.PatchU32(offsetsAt + 8, offBits);
  r.PatchU32(offsetsAt + 12, cbBits);
  r.U32(40)
      .I32(w)
      .I32(h)
      .U16(1)
      .U16(static_cast<Word>(bpp))
      .U32(0)
      .U32(cbBits)
      .I32(3780)
      .I32(3780)
      .U32(0)
      .U32(0);
  std::vector<Byte> row(stride, 0);
  for (Integer y = h - 1; y >= 0; --y) {
    const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    Byte* out = row.data();
    for (Integer x = 0; x < w; ++x) {
      *out++ = static_cast<Byte>(qBlue(line[x]));
      *out++ = static_cast<Byte>(qGreen(line[x]));
      *out++ = static_cast<Byte>(qRed(line[x]));
      if (alpha) *out++ = static_cast<Byte>(qAlpha(line[x]));
    }
    r.Bytes(row.data(), row.size());
  }
}

// Decodes the DIB of a record (BI_RGB, 24 or 32 bits, or 1, 4, 8 bits with a colour table).
QImage ReadDib(const Byte* rec, Cardinal size, Cardinal offBmi, Cardinal cbBmi, Cardinal offBits,
               Cardinal cbBits, bool premultiplied) {
  if (cbBmi < 40 || offBmi + cbBmi > size || offBits > size || cbBits > size - offBits) return QImage();
  const Byte* bmi = rec + offBmi;
  const Integer w = ReadI32(bmi + 4), hRaw = ReadI32(bmi + 8);
  const Integer bpp = bmi[14] | (bmi[15] << 8);
  const Cardinal compression = ReadU32(bmi + 16);
  if (w <= 0 || hRaw == 0 || w > 30000 || std::abs(hRaw) > 30000 || compression != 0) return QImage();
  const bool topDown = hRaw < 0;
  const Integer h = std::abs(hRaw);
  const Integer stride = ((w * bpp + 31) / 32) * 4;
  if (static_cast<Int64>(stride) * h > cbBits) return QImage();
  const Byte* palette = bmi + ReadU32(bmi);
  const Cardinal paletteCount = (cbBmi - ReadU32(bmi)) / 4;
  QImage img(w, h, premultiplied ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  const Byte* bits = rec + offBits;
  for (Integer y = 0; y < h; ++y) {
    const Byte* src = bits + static_cast<size_t>(topDown ? y : h - 1 - y) * stride;
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (Integer x = 0; x < w; ++x) {
      switch (bpp) {
        case 32:
          line[x] = qRgba(src[4 * x + 2], src[4 * x + 1], src[4 * x], premultiplied ? src[4 * x + 3] : 255);
          break;
        case 24:
          line[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
          break;
        case 1:
        case 4:
        case 8: {
          const Integer idx = bpp == 8   ? src[x]
                              : bpp == 4 ? (src[x / 2] >> (x % 2 ? 0 : 4)) & 15
                                         : (src[x / 8] >> (7 - x % 8)) & 1;
          if (static_cast<Cardinal>(idx) < paletteCount) {
            const Byte* c = palette + 4 * idx;
            line[x] = qRgb(c[2], c[1], c[0]);
          } else {
            line[x] = qRgb(0, 0, 0);
          }
          break;
        }
        default:
          return QImage();
      }
    }
  }
  return img;
}

}  // namespace

// ---- the recorder ----

class TEmfWriter : public TDcRecorder {
 public:
  TEmfWriter(Integer width, Integer height, Integer dpiX, Integer dpiY)
      : w_(width), h_(height), dpiX_(dpiX), dpiY_(dpiY) {}

  TBytes Finish(const String& createdBy, const String& description) {
    Emit(Rec(EMR_EOF).U32(0).U32(16).U32(20).Done());
    const Integer mmW = static_cast<Integer>(std::lround(w_ * 2540.0 / dpiX_));
    const Integer mmH = static_cast<Integer>(std::lround(h_ * 2540.0 / dpiY_));
    String desc;
    if (!createdBy.empty() || !description.empty()) {
      desc = createdBy;
      desc += Char(0);
      desc += description;
      desc += Char(0);
      desc += Char(0);
    }
    Rec h(EMR_HEADER);
    h.Rect(TRect(0, 0, std::max(0, w_ - 1), std::max(0, h_ - 1)));
    h.Rect(TRect(0, 0, mmW, mmH));
    h.U32(EmfSignature).U32(0x10000);
    const size_t bytesAt = h.Size();
    h.U32(0).U32(static_cast<Cardinal>(records_ + 2)).U16(static_cast<Word>(nextHandleMax_ + 1)).U16(0);
    h.U32(static_cast<Cardinal>(desc.size())).U32(desc.empty() ? 0 : HeaderSize).U32(0);
    h.I32(w_).I32(h_);
    h.I32(static_cast<Integer>(std::lround(mmW / 100.0))).I32(static_cast<Integer>(std::lround(mmH / 100.0)));
    h.U32(0).U32(0).U32(0);
    h.I32(static_cast<Integer>(std::lround(w_ * 25400.0 / dpiX_)))
        .I32(static_cast<Integer>(std::lround(h_ * 25400.0 / dpiY_)));
    for (Char c : desc) h.U16(c);
    TBytes header = h.Done();
    const Cardinal total = static_cast<Cardinal>(header.size() + body_.size());
    for (int i = 0; i < 4; ++i) header[bytesAt + i] = static_cast<Byte>(total >> (8 * i));
    header.insert(header.end(), body_.begin(), body_.end());
    return header;
  }

  void SaveDC(HDC) override {
    Emit(Rec(EMR_SAVEDC).Done());
    stack_.push_back(last_);
  }
  void RestoreDC(HDC dc, Integer level) override {
    Emit(Rec(EMR_RESTOREDC).I32(level).Done());
    const Integer count = static_cast<Integer>(stack_.size());
    const Integer target = level < 0 ? count + level : level - 1;
    if (target >= 0 && target < count) {
      last_ = stack_[target];
      stack_.resize(target);
    }
    if (stack_.empty()) FlushDeferred();
    (void)dc;
  }
  void ClipIntersect(HDC dc, const TRect& r) override {
    SyncMapping(dc);
    Emit(Rec(EMR_INTERSECTCLIPRECT).Rect(r).Done());
  }
  void ClipExclude(HDC dc, const TRect& r) override {
    SyncMapping(dc);
    Emit(Rec(EMR_EXCLUDECLIPRECT).Rect(r).Done());
  }
  void ClipSelect(HDC, const QRegion* region, Integer mode) override {
    Rec r(EMR_EXTSELECTCLIPRGN);
    if (!region) {
      r.U32(0).U32(static_cast<Cardinal>(mode));
      Emit(r.Done());
      return;
    }
    const Integer n = region->rectCount();
    const QRect b = region->boundingRect();
    r.U32(static_cast<Cardinal>(32 + 16 * n)).U32(static_cast<Cardinal>(mode));
    r.U32(32).U32(1).U32(static_cast<Cardinal>(n)).U32(static_cast<Cardinal>(16 * n));
    r.Rect(TRect(b.left(), b.top(), b.right() + 1, b.bottom() + 1));
    for (const QRect& q : *region) r.Rect(TRect(q.left(), q.top(), q.right() + 1, q.bottom() + 1));
    Emit(r.Done());
  }
  void MoveTo(HDC dc, TPoint p) override {
    SyncMapping(dc);
    Emit(Rec(EMR_MOVETOEX).Pt(p).Done());
  }
  void LineTo(HDC dc, TPoint p) override {
    Sync(dc, true, false, false);
    Emit(Rec(EMR_LINETO).Pt(p).Done());
  }
  void Poly(HDC dc, const TPoint* points, Integer count, bool polygon) override {
    Sync(dc, true, polygon, false);
    if (Fits16(points, count)) {
      Rec r(polygon ? EMR_POLYGON16 : EMR_POLYLINE16);
      r.Rect(BoundsOf(points, count)).U32(static_cast<Cardinal>(count));
      for (Integer i = 0; i < count; ++i)
        r.U16(static_cast<Word>(points[i].X)).U16(static_cast<Word>(points[i].Y));
      Emit(r.Done());
      return;
    }
    Rec r(polygon ? EMR_POLYGON : EMR_POLYLINE);
    r.Rect(BoundsOf(points, count)).U32(static_cast<Cardinal>(count));
    for (Integer i = 0; i < count; ++i) r.Pt(points[i]);
    Emit(r.Done());
  }
  void PolyPoly(HDC dc, const TPoint* points, const DWORD* counts, Integer n, bool polygon) override {
    Sync(dc, true, polygon, false);
    Cardinal total = 0;
    for (Integer i = 0; i < n; ++i) total += counts[i];
    Rec r(polygon ? EMR_POLYPOLYGON16 : EMR_POLYPOLYLINE16);
    r.Rect(BoundsOf(points, static_cast<Integer>(total))).U32(static_cast<Cardinal>(n)).U32(total);
    for (Integer i = 0; i < n; ++i) r.U32(counts[i]);
    for (Cardinal i = 0; i < total; ++i)
      r.U16(static_cast<Word>(points[i].X)).U16(static_cast<Word>(points[i].Y));
    Emit(r.Done());
  }
  void Rectangle(HDC dc, const TRect& rc) override {
    Sync(dc, true, true, false);
    Emit(Rec(EMR_RECTANGLE).Rect(rc).Done());
  }
  void RoundRect(HDC dc, const TRect& rc, TSize corner) override {
    Sync(dc, true, true, false);
    Emit(Rec(EMR_ROUNDRECT).Rect(rc).I32(corner.cx).I32(corner.cy).Done());
  }
  void Ellipse(HDC dc, const TRect& rc) override {
    Sync(dc, true, true, false);
    Emit(Rec(EMR_ELLIPSE).Rect(rc).Done());
  }
  void ArcLike(HDC dc, Integer kind, const TRect& rc, TPoint start, TPoint end) override {
    Sync(dc, true, kind != 0, false);
    static const Cardinal types[] = {EMR_ARC, EMR_PIE, EMR_CHORD};
    Emit(Rec(types[kind]).Rect(rc).Pt(start).Pt(end).Done());
  }
  void SetPixel(HDC dc, TPoint p, COLORREF c) override {
    SyncMapping(dc);
    Emit(Rec(EMR_SETPIXELV).Pt(p).U32(c).Done());
  }
  void FillRect(HDC dc, const TRect& rc, const LOGBRUSH& brush) override {
    // A rectangle without a pen one unit larger fills exactly the rectangle.
    SyncMapping(dc);
    SelectPen(LOGPEN{PS_NULL, {0, 0}, 0});
    SelectBrush(brush);
    Emit(Rec(EMR_RECTANGLE).Rect(TRect(rc.Left, rc.Top, rc.Right + 1, rc.Bottom + 1)).Done());
  }
  void Text(HDC dc, TPoint p, UINT options, const TRect* rect, const String& text,
            const std::vector<Integer>& dx) override {
    Sync(dc, false, false, true);
    const Integer width = [&] {
      Integer w = 0;
      for (Integer d : dx) w += d;
      return w;
    }();
    Rec r(EMR_EXTTEXTOUTW);
    r.Rect(TRect(p.X, p.Y, p.X + width, p.Y + 1));
    r.U32(GM_COMPATIBLE).F32(0).F32(0);
    const Cardinal n = static_cast<Cardinal>(text.size());
    const Cardinal offString = 76;
    const Cardinal offDx = offString + ((n * 2 + 3) & ~3u);
    r.Pt(p).U32(n).U32(offString).U32(options & (ETO_OPAQUE | ETO_CLIPPED | ETO_RTLREADING));
    r.Rect(rect ? *rect : TRect());
    r.U32(offDx);
    for (Char c : text) r.U16(c);
    r.Pad();
    for (Integer d : dx) r.I32(d);
    Emit(r.Done());
  }
  void Image(HDC dc, const TRect& dest, const QImage& src, DWORD rop) override {
    SyncMapping(dc);
    if (src.isNull()) return;
    Rec r(EMR_STRETCHDIBITS);
    r.Rect(dest).I32(dest.Left).I32(dest.Top).I32(0).I32(0).I32(src.width()).I32(src.height());
    const size_t offsets = r.Size();
    r.U32(0).U32(0).U32(0).U32(0).U32(0).U32(rop).I32(dest.Width()).I32(dest.Height());
    AppendDib(r, src, false, r.Size(), offsets);
    Emit(r.Done());
  }
  void Alpha(HDC dc, const TRect& dest, const QImage& src, BLENDFUNCTION blend) override {
    SyncMapping(dc);
    if (src.isNull()) return;
    Rec r(EMR_ALPHABLEND);
    r.Rect(dest).I32(dest.Left).I32(dest.Top).I32(dest.Width()).I32(dest.Height());
    r.U32(blend.BlendOp | (blend.BlendFlags << 8) | (blend.SourceConstantAlpha << 16) |
          (static_cast<Cardinal>(blend.AlphaFormat) << 24));
    r.I32(0).I32(0);
    r.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0);
    r.U32(0).U32(0);
    const size_t offsets = r.Size();
    r.U32(0).U32(0).U32(0).U32(0).I32(src.width()).I32(src.height());
    AppendDib(r, src, (blend.AlphaFormat & AC_SRC_ALPHA) != 0, r.Size(), offsets);
    Emit(r.Done());
  }

 private:
  struct Emitted {
    LOGPEN pen{0xFFFF, {-1, 0}, 0xFFFFFFFF};
    LOGBRUSH brush{0xFFFF, 0xFFFFFFFF, -1};
    LOGFONTW font;
    bool fontSet = false;
    Cardinal penHandle = 0, brushHandle = 0, fontHandle = 0;
    COLORREF textColor = 0, bkColor = 0xFFFFFF;
    Integer bkMode = OPAQUE, rop2 = R2_COPYPEN, mapMode = MM_TEXT;
    UINT textAlign = 0;
    TPoint winOrg, vpOrg;
    TSize winExt{1, 1}, vpExt{1, 1};
    XFORM world;
    DWORD layout = 0;
  };

  static bool Fits16(const TPoint* pts, Integer n) {
    for (Integer i = 0; i < n; ++i)
      if (pts[i].X < -32768 || pts[i].X > 32767 || pts[i].Y < -32768 || pts[i].Y > 32767) return false;
    return true;
  }
  static TRect BoundsOf(const TPoint* pts, Integer n) {
    if (n <= 0) return TRect();
    TRect b(pts[0].X, pts[0].Y, pts[0].X, pts[0].Y);
    for (Integer i = 1; i < n; ++i) {
      b.Left = std::min(b.Left, pts[i].X);
      b.Top = std::min(b.Top, pts[i].Y);
      b.Right = std::max(b.Right, pts[i].X);
      b.Bottom = std::max(b.Bottom, pts[i].Y);
    }
    return b;
  }

  void Emit(TBytes record) {
    body_.insert(body_.end(), record.begin(), record.end());
    ++records_;
  }

  Cardinal NewHandle() {
    Cardinal h;
    if (!free_.empty()) {
      h = free_.back();
      free_.pop_back();
    } else {
      h = ++nextHandleMax_;
    }
    return h;
  }

  void Retire(Cardinal h) {
    if (h == 0 || (h & StockFlag)) return;
    if (!stack_.empty()) {
      // A saved state may still select it: delete when the states are gone.
      deferred_.push_back(h);
      return;
    }
    Emit(Rec(EMR_DELETEOBJECT).U32(h).Done());
    free_.push_back(h);
  }

  void FlushDeferred() {
    for (Cardinal h : deferred_) {
      if (h == last_.penHandle || h == last_.brushHandle || h == last_.fontHandle) continue;
      Emit(Rec(EMR_DELETEOBJECT).U32(h).Done());
      free_.push_back(h);
    }
    deferred_.clear();
  }

  void SelectPen(const LOGPEN& lp) {
    if (std::memcmp(&lp, &last_.pen, sizeof lp) == 0) return;
    const Cardinal old = last_.penHandle;
    if ((lp.lopnStyle & PS_STYLE_MASK) == PS_NULL) {
      last_.penHandle = StockFlag | NULL_PEN;
      Emit(Rec(EMR_SELECTOBJECT).U32(last_.penHandle).Done());
    } else {
      const Cardinal h = NewHandle();
      Emit(Rec(EMR_CREATEPEN).U32(h).U32(lp.lopnStyle).I32(lp.lopnWidth.X).I32(0).U32(lp.lopnColor).Done());
      Emit(Rec(EMR_SELECTOBJECT).U32(h).Done());
      last_.penHandle = h;
    }
    last_.pen = lp;
    Retire(old);
  }

  void SelectBrush(const LOGBRUSH& lb) {
    if (std::memcmp(&lb, &last_.brush, sizeof lb) == 0) return;
    const Cardinal old = last_.brushHandle;
    if (lb.lbStyle == BS_NULL) {
      last_.brushHandle = StockFlag | NULL_BRUSH;
      Emit(Rec(EMR_SELECTOBJECT).U32(last_.brushHandle).Done());
    } else {
      const Cardinal h = NewHandle();
      const Cardinal style = lb.lbStyle == BS_HATCHED ? BS_HATCHED : BS_SOLID;
      Emit(Rec(EMR_CREATEBRUSHINDIRECT)
               .U32(h)
               .U32(style)
               .U32(lb.lbColor)
               .U32(static_cast<Cardinal>(lb.lbHatch))
               .Done());
      Emit(Rec(EMR_SELECTOBJECT).U32(h).Done());
      last_.brushHandle = h;
    }
    last_.brush = lb;
    Retire(old);
  }

  void SelectFont(const LOGFONTW& lf) {
    if (last_.fontSet && std::memcmp(&lf, &last_.font, sizeof lf) == 0) return;
    const Cardinal old = last_.fontHandle;
    const Cardinal h = NewHandle();
    Rec r(EMR_EXTCREATEFONTINDIRECTW);
    r.U32(h);
    WriteLogFont(r, lf);
    // The rest of the panose form of the font record: full name, style, script and panose, empty.
    const std::vector<Byte> rest(320 - 92, 0);
    r.Bytes(rest.data(), rest.size());
    Emit(r.Done());
    Emit(Rec(EMR_SELECTOBJECT).U32(h).Done());
    last_.font = lf;
    last_.fontSet = true;
    last_.fontHandle = h;
    Retire(old);
  }

  void SyncMapping(HDC dc) {
    const TDcState& s = dc->st;
    if (s.mapMode != last_.mapMode) {
      Emit(Rec(EMR_SETMAPMODE).U32(static_cast<Cardinal>(s.mapMode)).Done());
      last_.mapMode = s.mapMode;
    }
    if (s.winExt != last_.winExt) {
      Emit(Rec(EMR_SETWINDOWEXTEX).I32(s.winExt.cx).I32(s.winExt.cy).Done());
      last_.winExt = s.winExt;
    }
    if (s.vpExt != last_.vpExt) {
      Emit(Rec(EMR_SETVIEWPORTEXTEX).I32(s.vpExt.cx).I32(s.vpExt.cy).Done());
      last_.vpExt = s.vpExt;
    }
    if (s.winOrg != last_.winOrg) {
      Emit(Rec(EMR_SETWINDOWORGEX).Pt(s.winOrg).Done());
      last_.winOrg = s.winOrg;
    }
    if (s.vpOrg != last_.vpOrg) {
      Emit(Rec(EMR_SETVIEWPORTORGEX).Pt(s.vpOrg).Done());
      last_.vpOrg = s.vpOrg;
    }
    const XFORM w = s.graphicsMode == GM_ADVANCED ? s.world : XFORM();
    if (w != last_.world) {
      Emit(Rec(EMR_SETWORLDTRANSFORM)
               .F32(w.eM11)
               .F32(w.eM12)
               .F32(w.eM21)
               .F32(w.eM22)
               .F32(w.eDx)
               .F32(w.eDy)
               .Done());
      last_.world = w;
    }
    if (s.layout != last_.layout) {
      Emit(Rec(EMR_SETLAYOUT).U32(s.layout).Done());
      last_.layout = s.layout;
    }
  }

  void Sync(HDC dc, bool pen, bool brush, bool text) {
    SyncMapping(dc);
    const TDcState& s = dc->st;
    if (pen) SelectPen(s.pen);
    if (brush) SelectBrush(s.brush);
    if (pen && s.rop2 != last_.rop2) {
      Emit(Rec(EMR_SETROP2).U32(static_cast<Cardinal>(s.rop2)).Done());
      last_.rop2 = s.rop2;
    }
    if (s.bkMode != last_.bkMode) {
      Emit(Rec(EMR_SETBKMODE).U32(static_cast<Cardinal>(s.bkMode)).Done());
      last_.bkMode = s.bkMode;
    }
    if (s.bkColor != last_.bkColor) {
      Emit(Rec(EMR_SETBKCOLOR).U32(s.bkColor).Done());
      last_.bkColor = s.bkColor;
    }
    if (!text) return;
    SelectFont(s.font);
    if (s.textColor != last_.textColor) {
      Emit(Rec(EMR_SETTEXTCOLOR).U32(s.textColor).Done());
      last_.textColor = s.textColor;
    }
    // The position is recorded resolved, so the update flag stays out.
    const UINT align = s.textAlign & ~TA_UPDATECP;
    if (align != last_.textAlign) {
      Emit(Rec(EMR_SETTEXTALIGN).U32(align).Done());
      last_.textAlign = align;
    }
  }

  Integer w_, h_, dpiX_, dpiY_;
  TBytes body_;
  Cardinal records_ = 0;
  Cardinal nextHandleMax_ = 0;
  std::vector<Cardinal> free_, deferred_;
  Emitted last_;
  std::vector<Emitted> stack_;
};

// ---- reading ----

namespace {

struct ParsedHeader {
  Cardinal bytes = 0;
  TRect frame;
  TSize device, micrometers, millimeters;
  String description;
};

[[noreturn]] void Invalid(const String& why) { throw EInvalidGraphic(u"Metafile is not valid: " + why); }

// Checks the header and every record size of a complete EMF image.
ParsedHeader CheckEmf(const TBytes& d) {
  if (d.size() < 88) Invalid(u"the header is incomplete");
  if (ReadU32(d.data()) != EMR_HEADER || ReadU32(d.data() + 40) != EmfSignature)
    Invalid(u"the \" EMF\" signature is missing");
  ParsedHeader h;
  const Cardinal headerSize = ReadU32(d.data() + 4);
  h.bytes = ReadU32(d.data() + 48);
  if (headerSize < 88 || headerSize > h.bytes || headerSize % 4) Invalid(u"the header size is wrong");
  if (h.bytes > d.size())
    Invalid(u"the data is truncated (" + IntToStr(static_cast<long long>(d.size())) + u" of " +
            IntToStr(static_cast<long long>(h.bytes)) + u" bytes)");
  h.frame = ReadRect(d.data() + 24);
  // A crafted header must not overflow the frame's extents.
  for (const Int64 extent : {Int64{h.frame.Right} - h.frame.Left, Int64{h.frame.Bottom} - h.frame.Top})
    if (extent > std::numeric_limits<Integer>::max() || extent < std::numeric_limits<Integer>::min())
      Invalid(u"the frame is out of range");
  h.device = TSize(ReadI32(d.data() + 72), ReadI32(d.data() + 76));
  h.millimeters = TSize(ReadI32(d.data() + 80), ReadI32(d.data() + 84));
  if (headerSize >= 108) h.micrometers = TSize(ReadI32(d.data() + 100), ReadI32(d.data() + 104));
  const Cardinal nDesc = ReadU32(d.data() + 60), offDesc = ReadU32(d.data() + 64);
  if (nDesc > 0 && offDesc >= 88 && offDesc + Int64(nDesc) * 2 <= headerSize) {
    for (Cardinal i = 0; i < nDesc; ++i)
      h.description += static_cast<Char>(d[offDesc + 2 * i] | (d[offDesc + 2 * i + 1] << 8));
  }
  size_t at = 0;
  bool sawEof = false;
  while (at < h.bytes) {
    if (h.bytes - at < 8) Invalid(u"a record is cut off at offset " + IntToStr(static_cast<long long>(at)));
    const Cardinal type = ReadU32(d.data() + at), size = ReadU32(d.data() + at + 4);
    if (size < 8 || size % 4 || size > h.bytes - at)
      Invalid(u"the record at offset " + IntToStr(static_cast<long long>(at)) + u" has a bad size");
    at += size;
    if (type == EMR_EOF) {
      sawEof = true;
      break;
    }
  }
  if (!sawEof) Invalid(u"the end-of-file record is missing");
  return h;
}

// The minimum sizes of the records the player reads fields from.
Cardinal MinSize(Cardinal type) {
  switch (type) {
    case EMR_SAVEDC:
    case EMR_EOF:
      return 8;
    case EMR_SETMAPMODE:
    case EMR_SETBKMODE:
    case EMR_SETPOLYFILLMODE:
    case EMR_SETROP2:
    case EMR_SETSTRETCHBLTMODE:
    case EMR_SETTEXTALIGN:
    case EMR_SETTEXTCOLOR:
    case EMR_SETBKCOLOR:
    case EMR_RESTOREDC:
    case EMR_SELECTOBJECT:
    case EMR_DELETEOBJECT:
    case EMR_SETLAYOUT:
      return 12;
    case EMR_SETWINDOWEXTEX:
    case EMR_SETWINDOWORGEX:
    case EMR_SETVIEWPORTEXTEX:
    case EMR_SETVIEWPORTORGEX:
    case EMR_MOVETOEX:
    case EMR_LINETO:
    case EMR_EXTSELECTCLIPRGN:
      return 16;
    case EMR_SETPIXELV:
      return 20;
    case EMR_EXCLUDECLIPRECT:
    case EMR_INTERSECTCLIPRECT:
    case EMR_ELLIPSE:
    case EMR_RECTANGLE:
    case EMR_CREATEBRUSHINDIRECT:
      return 24;
    case EMR_CREATEPEN:
      return 28;
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYGON:
    case EMR_POLYLINE:
      return 28;
    case EMR_ROUNDRECT:
    case EMR_SETWORLDTRANSFORM:
    case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16:
      return 32;
    case EMR_MODIFYWORLDTRANSFORM:
      return 36;
    case EMR_ARC:
    case EMR_CHORD:
    case EMR_PIE:
      return 40;
    case EMR_EXTCREATEFONTINDIRECTW:
      return 12 + 92;
    case EMR_EXTTEXTOUTW:
    case EMR_EXTTEXTOUTA:
      return 76;
    case EMR_STRETCHDIBITS:
      return 80;
    case EMR_BITBLT:
      return 100;
    case EMR_ALPHABLEND:
      return 108;
    default:
      return 8;
  }
}

// Walks the records of a checked EMF; stops at EOF.
template <class F>
void WalkRecords(const TBytes& d, Cardinal bytes, F&& f) {
  size_t at = 0;
  while (at + 8 <= bytes) {
    const Cardinal type = ReadU32(d.data() + at), size = ReadU32(d.data() + at + 4);
    if (size < 8 || size > bytes - at) return;
    if (!f(type, size, d.data() + at)) return;
    if (type == EMR_EOF) return;
    at += size;
  }
}

String ReadText(const Byte* rec, Cardinal size, bool wide, std::vector<Integer>& dx, TPoint& pos,
                UINT& options, TRect& rect) {
  pos = ReadPt(rec + 36);
  const Cardinal n = ReadU32(rec + 44), offString = ReadU32(rec + 48);
  options = ReadU32(rec + 52);
  rect = ReadRect(rec + 56);
  const Cardinal offDx = ReadU32(rec + 72);
  const Cardinal unit = wide ? 2 : 1;
  String text;
  if (n > size || offString > size || Int64(n) * unit > size - offString) return text;
  for (Cardinal i = 0; i < n; ++i) {
    const Byte* c = rec + offString + unit * i;
    text += wide ? static_cast<Char>(c[0] | (c[1] << 8)) : static_cast<Char>(c[0]);
  }
  dx.clear();
  if (offDx >= 8 && offDx <= size && Int64(n) * 4 <= size - offDx)
    for (Cardinal i = 0; i < n; ++i) dx.push_back(ReadI32(rec + offDx + 4 * i));
  return text;
}

class Player {
 public:
  explicit Player(HDC dc) : dc_(dc) {}
  ~Player() {
    for (auto& [index, obj] : objects_) DeleteObject(obj);
  }

  bool Record(Cardinal type, Cardinal size, const Byte* r) {
    if (size < MinSize(type)) return true;  // damaged record of a known kind: skipped
    switch (type) {
      case EMR_SETWINDOWEXTEX:
        SetWindowExtEx(dc_, ReadI32(r + 8), ReadI32(r + 12), nullptr);
        break;
      case EMR_SETWINDOWORGEX:
        SetWindowOrgEx(dc_, ReadI32(r + 8), ReadI32(r + 12), nullptr);
        break;
      case EMR_SETVIEWPORTEXTEX:
        SetViewportExtEx(dc_, ReadI32(r + 8), ReadI32(r + 12), nullptr);
        break;
      case EMR_SETVIEWPORTORGEX:
        SetViewportOrgEx(dc_, ReadI32(r + 8), ReadI32(r + 12), nullptr);
        break;
      case EMR_SETMAPMODE:
        SetMapMode(dc_, ReadI32(r + 8));
        break;
      case EMR_SETBKMODE:
        SetBkMode(dc_, ReadI32(r + 8));
        break;
      case EMR_SETROP2:
        SetROP2(dc_, ReadI32(r + 8));
        break;
      case EMR_SETSTRETCHBLTMODE:
        SetStretchBltMode(dc_, ReadI32(r + 8));
        break;
      case EMR_SETTEXTALIGN:
        SetTextAlign(dc_, ReadU32(r + 8) & ~TA_UPDATECP);
        break;
      case EMR_SETTEXTCOLOR:
        SetTextColor(dc_, ReadU32(r + 8));
        break;
      case EMR_SETBKCOLOR:
        SetBkColor(dc_, ReadU32(r + 8));
        break;
      case EMR_SETLAYOUT:
        SetLayout(dc_, ReadU32(r + 8));
        break;
      case EMR_MOVETOEX:
        MoveToEx(dc_, ReadI32(r + 8), ReadI32(r + 12), nullptr);
        break;
      case EMR_LINETO:
        LineTo(dc_, ReadI32(r + 8), ReadI32(r + 12));
        break;
      case EMR_SETPIXELV:
        SetPixelV(dc_, ReadI32(r + 8), ReadI32(r + 12), ReadU32(r + 16));
        break;
      case EMR_EXCLUDECLIPRECT: {
        const TRect c = ReadRect(r + 8);
        ExcludeClipRect(dc_, c.Left, c.Top, c.Right, c.Bottom);
        break;
      }
      case EMR_INTERSECTCLIPRECT: {
        const TRect c = ReadRect(r + 8);
        IntersectClipRect(dc_, c.Left, c.Top, c.Right, c.Bottom);
        break;
      }
      case EMR_EXTSELECTCLIPRGN:
        ClipRegion(size, r);
        break;
      case EMR_SAVEDC:
        SaveDC(dc_);
        break;
      case EMR_RESTOREDC: {
        const Integer level = ReadI32(r + 8);
        // Levels count from the state the player saved first.
        RestoreDC(dc_, level < 0 ? level : level + baseLevel_);
        break;
      }
      case EMR_SETWORLDTRANSFORM: {
        const XFORM x = ReadXform(r + 8);
        SetGraphicsMode(dc_, GM_ADVANCED);
        SetWorldTransform(dc_, &x);
        break;
      }
      case EMR_MODIFYWORLDTRANSFORM: {
        const XFORM x = ReadXform(r + 8);
        SetGraphicsMode(dc_, GM_ADVANCED);
        ModifyWorldTransform(dc_, &x, ReadU32(r + 32));
        break;
      }
      case EMR_CREATEPEN: {
        LOGPEN lp{ReadU32(r + 12), ReadPt(r + 16), ReadU32(r + 24)};
        Store(ReadU32(r + 8), CreatePenIndirect(&lp));
        break;
      }
      case EMR_CREATEBRUSHINDIRECT: {
        LOGBRUSH lb{ReadU32(r + 12), ReadU32(r + 16), static_cast<NativeInt>(ReadU32(r + 20))};
        if (lb.lbStyle != BS_SOLID && lb.lbStyle != BS_NULL && lb.lbStyle != BS_HATCHED)
          lb.lbStyle = BS_SOLID;
        Store(ReadU32(r + 8), CreateBrushIndirect(&lb));
        break;
      }
      case EMR_EXTCREATEFONTINDIRECTW: {
        LOGFONTW lf = ReadLogFont(r + 12);
        Store(ReadU32(r + 8), CreateFontIndirect(&lf));
        break;
      }
      case EMR_SELECTOBJECT: {
        const Cardinal h = ReadU32(r + 8);
        HGDIOBJ obj = (h & StockFlag) ? GetStockObject(static_cast<Integer>(h & 0x7FFFFFFF)) : Find(h);
        if (obj) SelectObject(dc_, obj);
        break;
      }
      case EMR_DELETEOBJECT: {
        auto it = objects_.find(ReadU32(r + 8));
        if (it != objects_.end()) {
          DeleteObject(it->second);
          objects_.erase(it);
        }
        break;
      }
      case EMR_RECTANGLE: {
        const TRect c = ReadRect(r + 8);
        Rectangle(dc_, c.Left, c.Top, c.Right, c.Bottom);
        break;
      }
      case EMR_ELLIPSE: {
        const TRect c = ReadRect(r + 8);
        Ellipse(dc_, c.Left, c.Top, c.Right, c.Bottom);
        break;
      }
      case EMR_ROUNDRECT: {
        const TRect c = ReadRect(r + 8);
        RoundRect(dc_, c.Left, c.Top, c.Right, c.Bottom, ReadI32(r + 24), ReadI32(r + 28));
        break;
      }
      case EMR_ARC:
      case EMR_CHORD:
      case EMR_PIE: {
        const TRect c = ReadRect(r + 8);
        const TPoint a = ReadPt(r + 24), b = ReadPt(r + 32);
        if (type == EMR_ARC)
          Arc(dc_, c.Left, c.Top, c.Right, c.Bottom, a.X, a.Y, b.X, b.Y);
        else if (type == EMR_PIE)
          Pie(dc_, c.Left, c.Top, c.Right, c.Bottom, a.X, a.Y, b.X, b.Y);
        else
          Chord(dc_, c.Left, c.Top, c.Right, c.Bottom, a.X, a.Y, b.X, b.Y);
        break;
      }
      case EMR_POLYLINE16:
      case EMR_POLYGON16:
      case EMR_POLYLINE:
      case EMR_POLYGON: {
        const bool small = type == EMR_POLYLINE16 || type == EMR_POLYGON16;
        const Cardinal n = ReadU32(r + 24);
        const Cardinal unit = small ? 4 : 8;
        if (n > (size - 28) / unit) break;
        std::vector<TPoint> pts = ReadPoints(r + 28, n, small);
        if (type == EMR_POLYLINE16 || type == EMR_POLYLINE)
          Polyline(dc_, pts.data(), static_cast<Integer>(n));
        else
          Polygon(dc_, pts.data(), static_cast<Integer>(n));
        break;
      }
      case EMR_POLYPOLYLINE16:
      case EMR_POLYPOLYGON16: {
        const Cardinal polys = ReadU32(r + 24), total = ReadU32(r + 28);
        if (polys > (size - 32) / 4 || total > (size - 32 - 4 * polys) / 4) break;
        std::vector<DWORD> counts(polys);
        Cardinal sum = 0;
        for (Cardinal i = 0; i < polys; ++i) sum += counts[i] = ReadU32(r + 32 + 4 * i);
        if (sum != total) break;
        std::vector<TPoint> pts = ReadPoints(r + 32 + 4 * polys, total, true);
        if (type == EMR_POLYPOLYLINE16) {
          PolyPolyline(dc_, pts.data(), counts.data(), static_cast<Integer>(polys));
        } else {
          std::vector<Integer> c(counts.begin(), counts.end());
          PolyPolygon(dc_, pts.data(), c.data(), static_cast<Integer>(polys));
        }
        break;
      }
      case EMR_EXTTEXTOUTW:
      case EMR_EXTTEXTOUTA: {
        std::vector<Integer> dx;
        TPoint pos;
        UINT options;
        TRect rect;
        const String text = ReadText(r, size, type == EMR_EXTTEXTOUTW, dx, pos, options, rect);
        const bool useDx = dx.size() == text.size();
        ExtTextOut(dc_, pos.X, pos.Y, options, (options & (ETO_CLIPPED | ETO_OPAQUE)) ? &rect : nullptr,
                   text.data(), static_cast<UINT>(text.size()), useDx ? dx.data() : nullptr);
        break;
      }
      case EMR_STRETCHDIBITS: {
        const TRect dest(ReadI32(r + 24), ReadI32(r + 28), ReadI32(r + 24) + ReadI32(r + 72),
                         ReadI32(r + 28) + ReadI32(r + 76));
        const Integer xs = ReadI32(r + 32), ys = ReadI32(r + 36), cxs = ReadI32(r + 40),
                      cys = ReadI32(r + 44);
        QImage img =
            ReadDib(r, size, ReadU32(r + 48), ReadU32(r + 52), ReadU32(r + 56), ReadU32(r + 60), false);
        if (img.isNull()) break;
        // Source coordinates count from the bottom row of the DIB, as in the format.
        const QImage part = img.copy(xs, img.height() - ys - cys, cxs, cys);
        Blit(dest, part, ReadU32(r + 68), nullptr);
        break;
      }
      case EMR_BITBLT: {
        const TRect dest(ReadI32(r + 24), ReadI32(r + 28), ReadI32(r + 24) + ReadI32(r + 32),
                         ReadI32(r + 28) + ReadI32(r + 36));
        const DWORD rop = ReadU32(r + 40);
        const Cardinal cbBmi = ReadU32(r + 88);
        if (cbBmi == 0) {
          PatBlt(dc_, dest.Left, dest.Top, dest.Width(), dest.Height(), rop);
          break;
        }
        QImage img = ReadDib(r, size, ReadU32(r + 84), cbBmi, ReadU32(r + 92), ReadU32(r + 96), false);
        if (!img.isNull())
          Blit(dest, img.copy(ReadI32(r + 44), ReadI32(r + 48), dest.Width(), dest.Height()), rop, nullptr);
        break;
      }
      case EMR_ALPHABLEND: {
        const TRect dest(ReadI32(r + 24), ReadI32(r + 28), ReadI32(r + 24) + ReadI32(r + 32),
                         ReadI32(r + 28) + ReadI32(r + 36));
        const Cardinal bf = ReadU32(r + 40);
        BLENDFUNCTION blend{static_cast<Byte>(bf), static_cast<Byte>(bf >> 8), static_cast<Byte>(bf >> 16),
                            static_cast<Byte>(bf >> 24)};
        QImage img = ReadDib(r, size, ReadU32(r + 84), ReadU32(r + 88), ReadU32(r + 92), ReadU32(r + 96),
                             (blend.AlphaFormat & AC_SRC_ALPHA) != 0);
        if (img.isNull()) break;
        const Integer xs = ReadI32(r + 44), ys = ReadI32(r + 48), cxs = ReadI32(r + 100),
                      cys = ReadI32(r + 104);
        Blit(dest, img.copy(xs, ys, cxs, cys), 0, &blend);
        break;
      }
      case EMR_EOF:
        return false;
      default:
        break;  // records this player does not know are skipped
    }
    return true;
  }

  Integer baseLevel_ = 0;

 private:
  static XFORM ReadXform(const Byte* p) {
    XFORM x;
    x.eM11 = ReadF32(p);
    x.eM12 = ReadF32(p + 4);
    x.eM21 = ReadF32(p + 8);
    x.eM22 = ReadF32(p + 12);
    x.eDx = ReadF32(p + 16);
    x.eDy = ReadF32(p + 20);
    return x;
  }

  static std::vector<TPoint> ReadPoints(const Byte* p, Cardinal n, bool small) {
    std::vector<TPoint> pts(n);
    for (Cardinal i = 0; i < n; ++i) {
      if (small) {
        pts[i] = TPoint(static_cast<int16_t>(p[4 * i] | (p[4 * i + 1] << 8)),
                        static_cast<int16_t>(p[4 * i + 2] | (p[4 * i + 3] << 8)));
      } else {
        pts[i] = ReadPt(p + 8 * i);
      }
    }
    return pts;
  }

  void ClipRegion(Cardinal size, const Byte* r) {
    const Cardinal cb = ReadU32(r + 8);
    const Integer mode = ReadI32(r + 12);
    if (cb == 0) {
      if (mode == RGN_COPY) SelectClipRgn(dc_, nullptr);
      return;
    }
    if (cb < 32 || cb > size - 16) return;
    const Byte* data = r + 16;
    const Cardinal count = ReadU32(data + 8);
    if (count > (cb - 32) / 16) return;
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    auto* region = static_cast<TGdiRegion*>(rgn);
    for (Cardinal i = 0; i < count; ++i) {
      const TRect q = ReadRect(data + 32 + 16 * i);
      region->region += QRect(q.Left, q.Top, q.Width(), q.Height());
    }
    ExtSelectClipRgn(dc_, rgn, mode);
    DeleteObject(rgn);
  }

  void Blit(const TRect& dest, const QImage& img, DWORD rop, const BLENDFUNCTION* blend) {
    if (img.isNull()) return;
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP bm = CreateBitmap(img.width(), img.height(), 1, 32, nullptr);
    gdi::Pixels(bm) = img.format() == QImage::Format_ARGB32_Premultiplied
                          ? [&] {
                              QImage copy = img;
                              copy.reinterpretAsFormat(QImage::Format_ARGB32);
                              return copy;
                            }()
                          : img.convertToFormat(QImage::Format_ARGB32);
    HGDIOBJ old = SelectObject(mem, bm);
    if (blend)
      AlphaBlend(dc_, dest.Left, dest.Top, dest.Width(), dest.Height(), mem, 0, 0, img.width(), img.height(),
                 *blend);
    else
      StretchBlt(dc_, dest.Left, dest.Top, dest.Width(), dest.Height(), mem, 0, 0, img.width(), img.height(),
                 rop);
    SelectObject(mem, old);
    DeleteObject(bm);
    DeleteDC(mem);
  }

  void Store(Cardinal index, HGDIOBJ obj) {
    auto it = objects_.find(index);
    if (it != objects_.end()) DeleteObject(it->second);
    objects_[index] = obj;
  }
  HGDIOBJ Find(Cardinal index) {
    auto it = objects_.find(index);
    return it == objects_.end() ? nullptr : it->second;
  }

  HDC dc_;
  std::map<Cardinal, HGDIOBJ> objects_;
};

}  // namespace

// ---- TMetafile ----

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

void TMetafile::Assign(TPersistent* source) {
  if (!source) {
    Clear();
    return;
  }
  if (auto* m = dynamic_cast<TMetafile*>(source)) {
    data_ = m->data_;
    width_ = m->width_;
    height_ = m->height_;
    mmWidth_ = m->mmWidth_;
    mmHeight_ = m->mmHeight_;
    dpiX_ = m->dpiX_;
    dpiY_ = m->dpiY_;
    createdBy_ = m->createdBy_;
    description_ = m->description_;
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

void TMetafile::SetWidth(Integer width) {
  width_ = std::max(0, width);
  mmWidth_ = static_cast<Integer>(std::lround(width_ * 2540.0 / dpiX_));
  Changed();
}

void TMetafile::SetHeight(Integer height) {
  height_ = std::max(0, height);
  mmHeight_ = static_cast<Integer>(std::lround(height_ * 2540.0 / dpiY_));
  Changed();
}

void TMetafile::SetMMWidth(Integer value) {
  mmWidth_ = std::max(0, value);
  width_ = static_cast<Integer>(std::lround(mmWidth_ * dpiX_ / 2540.0));
  Changed();
}

void TMetafile::SetMMHeight(Integer value) {
  mmHeight_ = std::max(0, value);
  height_ = static_cast<Integer>(std::lround(mmHeight_ * dpiY_ / 2540.0));
  Changed();
}

void TMetafile::Clear() {
  data_.clear();
  width_ = height_ = mmWidth_ = mmHeight_ = 0;
  createdBy_.clear();
  description_.clear();
  Changed();
}

void TMetafile::SetData(TBytes data) {
  const ParsedHeader h = CheckEmf(data);
  data.resize(h.bytes);
  mmWidth_ = h.frame.Right - h.frame.Left;
  mmHeight_ = h.frame.Bottom - h.frame.Top;
  // The reference resolution from the device size in pixels and in micrometres (or millimetres).
  auto dpi = [](Integer pixels, Integer micro, Integer milli) {
    if (pixels > 0 && micro > 0) return pixels * 25400.0 / micro;
    if (pixels > 0 && milli > 0) return pixels * 25.4 / milli;
    return 96.0;
  };
  const double dx = dpi(h.device.cx, h.micrometers.cx, h.millimeters.cx);
  const double dy = dpi(h.device.cy, h.micrometers.cy, h.millimeters.cy);
  dpiX_ = static_cast<Integer>(std::lround(dx));
  dpiY_ = static_cast<Integer>(std::lround(dy));
  width_ = static_cast<Integer>(std::lround(mmWidth_ * dx / 2540.0));
  height_ = static_cast<Integer>(std::lround(mmHeight_ * dy / 2540.0));
  const size_t zero = h.description.find(Char(0));
  createdBy_ = h.description.substr(0, zero);
  description_.clear();
  if (zero != String::npos) {
    const size_t end = h.description.find(Char(0), zero + 1);
    description_ = h.description.substr(zero + 1, end == String::npos ? String::npos : end - zero - 1);
  }
  data_ = std::move(data);
  Changed();
}

void TMetafile::LoadFromStream(TStream* stream) {
  Byte head[52];
  const Integer got = stream->Read(head, sizeof head);
  if (got < static_cast<Integer>(sizeof head)) Invalid(u"the header is incomplete");
  if (ReadU32(head) != EMR_HEADER || ReadU32(head + 40) != EmfSignature)
    Invalid(u"the \" EMF\" signature is missing");
  const Cardinal bytes = ReadU32(head + 48);
  if (bytes < 88 || bytes > 0x7FFFFFF0u) Invalid(u"the byte count in the header is wrong");
  TBytes data(bytes);
  std::memcpy(data.data(), head, sizeof head);
  const Integer want = static_cast<Integer>(bytes - sizeof head);
  const Integer read = stream->Read(data.data() + sizeof head, want);
  if (read < want) {
    data.resize(sizeof head + std::max(0, read));
    Invalid(u"the data is truncated (" + IntToStr(static_cast<long long>(data.size())) + u" of " +
            IntToStr(static_cast<long long>(bytes)) + u" bytes)");
  }
  SetData(std::move(data));
}

void TMetafile::SaveToStream(TStream* stream) {
  if (!data_.empty()) stream->WriteBuffer(data_.data(), static_cast<Integer>(data_.size()));
}

void TMetafile::Draw(TCanvas* canvas, const TRect& rect) {
  if (data_.empty() || width_ <= 0 || height_ <= 0) return;
  HDC dc = canvas->GetHandle();
  const Cardinal bytes = ReadU32(data_.data() + 48);
  const Integer level = SaveDC(dc);
  const QTransform picture = QTransform::fromScale(static_cast<double>(rect.Width()) / width_,
                                                   static_cast<double>(rect.Height()) / height_) *
                             QTransform::fromTranslate(rect.Left, rect.Top);
  const QTransform oldBase = dc->base;
  const std::optional<QRegion> oldBaseClip = dc->baseClip;
  if (dc->recorder) {
    // Into another metafile: the mapping goes into its world transform.
    SetGraphicsMode(dc, GM_ADVANCED);
    const XFORM x{static_cast<Single>(picture.m11()),
                  0,
                  0,
                  static_cast<Single>(picture.m22()),
                  static_cast<Single>(picture.dx()),
                  static_cast<Single>(picture.dy())};
    ModifyWorldTransform(dc, &x, MWT_LEFTMULTIPLY);
  } else {
    const QTransform device = gdi::DeviceTransform(dc);
    const QRegion area(
        device.mapRect(QRectF(rect.Left, rect.Top, rect.Width(), rect.Height())).toAlignedRect());
    std::optional<QRegion> clip = gdi::EffectiveClip(dc);
    dc->baseClip = clip ? clip->intersected(area) : area;
    dc->base = picture * device;
    dc->st.clip.reset();
    dc->st.mapMode = MM_TEXT;
    dc->st.winOrg = dc->st.vpOrg = TPoint();
    dc->st.winExt = dc->st.vpExt = TSize(1, 1);
    dc->st.graphicsMode = GM_COMPATIBLE;
    dc->st.world = XFORM();
    dc->st.layout = 0;
    gdi::InvalidatePainterState(dc);
  }
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  SetTextColor(dc, 0);
  SetBkColor(dc, 0xFFFFFF);
  SetBkMode(dc, OPAQUE);
  SetTextAlign(dc, 0);
  SetROP2(dc, R2_COPYPEN);
  {
    Player player(dc);
    player.baseLevel_ = level;
    WalkRecords(data_, bytes, [&](Cardinal type, Cardinal size, const Byte* r) {
      if (type == EMR_HEADER) return true;
      return player.Record(type, size, r);
    });
    // Objects go before the state that selects them is restored.
    RestoreDC(dc, level);
  }
  dc->base = oldBase;
  dc->baseClip = oldBaseClip;
  gdi::InvalidatePainterState(dc);
  canvas->Refresh();
}

// ---- TMetafileCanvas ----

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, HDC referenceDevice)
    : TMetafileCanvas(metafile, referenceDevice, String(), String()) {}

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, HDC referenceDevice, const String& createdBy,
                                 const String& description)
    : metafile_(metafile) {
  HDC ref = referenceDevice ? referenceDevice : GetDC(nullptr);
  const Integer dpiX = std::max(1, GetDeviceCaps(ref, LOGPIXELSX)),
                dpiY = std::max(1, GetDeviceCaps(ref, LOGPIXELSY));
  Integer w = metafile->GetWidth(), h = metafile->GetHeight();
  if (w <= 0 || h <= 0) {
    w = GetDeviceCaps(ref, HORZRES);
    h = GetDeviceCaps(ref, VERTRES);
  }
  metafile->createdBy_ = createdBy;
  metafile->description_ = description;
  metafile->dpiX_ = dpiX;
  metafile->dpiY_ = dpiY;
  writer_ = std::make_unique<TEmfWriter>(w, h, dpiX, dpiY);
  recordingDc_ = gdi::CreateRecordingDC(writer_.get(), w, h, dpiX, dpiY);
  GetFont()->SetPixelsPerInch(dpiY);
  GetFont()->SetSize(8);
  SetHandle(recordingDc_);
}

TMetafileCanvas::~TMetafileCanvas() {
  SetHandle(nullptr);
  const Integer w = recordingDc_->width, h = recordingDc_->height;
  DeleteDC(recordingDc_);
  TBytes bytes = writer_->Finish(metafile_->createdBy_, metafile_->description_);
  try {
    metafile_->SetData(std::move(bytes));
    // The size the caller gave survives the trip through hundredths of a millimetre.
    metafile_->width_ = w;
    metafile_->height_ = h;
  } catch (...) {
  }
}

// ---- enumeration ----

bool EnumEnhMetaFile(const TMetafile* metafile, const TEnhMetaEnumProc& proc) {
  if (!metafile || metafile->GetEmpty()) return false;
  const TBytes& d = metafile->GetBytes();
  bool completed = true;
  WalkRecords(d, ReadU32(d.data() + 48), [&](Cardinal type, Cardinal size, const Byte* r) {
    if (!proc(TEnhMetaRecord{type, size, r})) {
      completed = false;
      return false;
    }
    return true;
  });
  return completed;
}

std::vector<TEmfTextRecord> MetafileTextRecords(const TMetafile* metafile) {
  std::vector<TEmfTextRecord> out;
  std::map<Cardinal, LOGFONTW> fonts;
  LOGFONTW current;
  EnumEnhMetaFile(metafile, [&](const TEnhMetaRecord& rec) {
    if (rec.Size < MinSize(rec.Type)) return true;
    if (rec.Type == EMR_EXTCREATEFONTINDIRECTW) {
      fonts[ReadU32(rec.Data + 8)] = ReadLogFont(rec.Data + 12);
    } else if (rec.Type == EMR_SELECTOBJECT) {
      auto it = fonts.find(ReadU32(rec.Data + 8));
      if (it != fonts.end()) current = it->second;
    } else if (rec.Type == EMR_EXTTEXTOUTW || rec.Type == EMR_EXTTEXTOUTA) {
      TEmfTextRecord t;
      t.Text = ReadText(rec.Data, rec.Size, rec.Type == EMR_EXTTEXTOUTW, t.Advances, t.Position, t.Options,
                        t.Rect);
      t.Font = current;
      out.push_back(std::move(t));
    }
    return true;
  });
  return out;
}
