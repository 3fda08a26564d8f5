// The device-context layer over QPainter: contexts, GDI objects, state, coordinate mapping,
// clipping, shapes and blits, with GDI's pixel rules (end pixels, frame insets).
#include <QLinearGradient>
#include <QPaintEngine>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>

#include "platform/graphics/private/DeviceContext.h"

namespace {

TGdiPen* MakeStockPen(UINT style, COLORREF color) {
  auto* p = new TGdiPen;
  p->lp = LOGPEN{style, {0, 0}, color};
  p->stock = true;
  return p;
}

TGdiBrush* MakeStockBrush(UINT style, COLORREF color) {
  auto* b = new TGdiBrush;
  b->lb = LOGBRUSH{style, color, 0};
  b->stock = true;
  return b;
}

TGdiFont* MakeStockFont(const Char* face, Integer height) {
  auto* f = new TGdiFont;
  f->lf.lfHeight = height;
  f->lf.lfWeight = FW_NORMAL;
  f->lf.lfCharSet = DEFAULT_CHARSET;
  std::u16string_view name(face);
  std::copy(name.begin(), name.end(), f->lf.lfFaceName);
  f->stock = true;
  return f;
}

struct StockObjects {
  HGDIOBJ items[20] = {};
  TGdiBitmap* monoBitmap = nullptr;
  StockObjects() {
    items[WHITE_BRUSH] = MakeStockBrush(BS_SOLID, 0xFFFFFF);
    items[LTGRAY_BRUSH] = MakeStockBrush(BS_SOLID, 0xC0C0C0);
    items[GRAY_BRUSH] = MakeStockBrush(BS_SOLID, 0x808080);
    items[DKGRAY_BRUSH] = MakeStockBrush(BS_SOLID, 0x404040);
    items[BLACK_BRUSH] = MakeStockBrush(BS_SOLID, 0);
    items[NULL_BRUSH] = MakeStockBrush(BS_NULL, 0);
    items[WHITE_PEN] = MakeStockPen(PS_SOLID, 0xFFFFFF);
    items[BLACK_PEN] = MakeStockPen(PS_SOLID, 0);
    items[NULL_PEN] = MakeStockPen(PS_NULL, 0);
    items[DC_BRUSH] = MakeStockBrush(BS_SOLID, 0xFFFFFF);
    items[DC_PEN] = MakeStockPen(PS_SOLID, 0);
    items[SYSTEM_FONT] = MakeStockFont(u"MS Sans Serif", -13);
    items[DEFAULT_GUI_FONT] = MakeStockFont(u"MS Sans Serif", -11);
    items[ANSI_VAR_FONT] = MakeStockFont(u"MS Sans Serif", -11);
    items[DEVICE_DEFAULT_FONT] = MakeStockFont(u"MS Sans Serif", -13);
    items[OEM_FIXED_FONT] = MakeStockFont(u"Courier New", -13);
    items[ANSI_FIXED_FONT] = MakeStockFont(u"Courier New", -13);
    items[SYSTEM_FIXED_FONT] = MakeStockFont(u"Courier New", -13);
    monoBitmap = new TGdiBitmap;
    monoBitmap->image = QImage(1, 1, QImage::Format_RGB32);
    monoBitmap->image.fill(Qt::black);
    monoBitmap->monochrome = true;
    monoBitmap->stock = true;
  }
};

StockObjects& Stock() {
  static StockObjects* stock = new StockObjects;
  return *stock;
}

HBRUSH SysColorBrushes[SysColorCount] = {};

void Select(TGdiObject* obj) {
  if (obj) ++obj->selectCount;
}

void Deselect(TGdiObject* obj) {
  if (!obj) return;
  --obj->selectCount;
  if (obj->selectCount <= 0 && obj->pendingDelete) delete obj;
}

void ResetState(HDC dc) {
  dc->st = TDcState();
  dc->st.penHandle = static_cast<HPEN>(Stock().items[BLACK_PEN]);
  dc->st.brushHandle = static_cast<HBRUSH>(Stock().items[WHITE_BRUSH]);
  dc->st.fontHandle = static_cast<HFONT>(Stock().items[SYSTEM_FONT]);
  dc->st.font = static_cast<TGdiFont*>(dc->st.fontHandle)->lf;
  Select(dc->st.penHandle);
  Select(dc->st.brushHandle);
  Select(dc->st.fontHandle);
}

HDC NewDC(TDcKind kind) {
  HDC dc = new TDeviceContext;
  dc->kind = kind;
  ResetState(dc);
  return dc;
}

// The page transform: window -> viewport for the mapping mode.
QTransform PageTransform(HDC dc) {
  const TDcState& s = dc->st;
  double sx = 1, sy = 1;
  switch (s.mapMode) {
    case MM_TEXT:
      break;
    case MM_LOMETRIC:
      sx = dc->dpiX / 254.0, sy = -dc->dpiY / 254.0;
      break;
    case MM_HIMETRIC:
      sx = dc->dpiX / 2540.0, sy = -dc->dpiY / 2540.0;
      break;
    case MM_LOENGLISH:
      sx = dc->dpiX / 100.0, sy = -dc->dpiY / 100.0;
      break;
    case MM_HIENGLISH:
      sx = dc->dpiX / 1000.0, sy = -dc->dpiY / 1000.0;
      break;
    case MM_TWIPS:
      sx = dc->dpiX / 1440.0, sy = -dc->dpiY / 1440.0;
      break;
    default:
      if (s.winExt.cx != 0 && s.winExt.cy != 0) {
        sx = static_cast<double>(s.vpExt.cx) / s.winExt.cx;
        sy = static_cast<double>(s.vpExt.cy) / s.winExt.cy;
      }
      if (s.mapMode == MM_ISOTROPIC) {
        const double m = std::min(std::fabs(sx), std::fabs(sy));
        sx = std::copysign(m, sx);
        sy = std::copysign(m, sy);
      }
  }
  return QTransform(sx, 0, 0, sy, s.vpOrg.X - s.winOrg.X * sx, s.vpOrg.Y - s.winOrg.Y * sy);
}

QTransform WorldTransform(const XFORM& x) { return QTransform(x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy); }

XFORM ToXform(const QTransform& t) {
  XFORM x;
  x.eM11 = static_cast<Single>(t.m11());
  x.eM12 = static_cast<Single>(t.m12());
  x.eM21 = static_cast<Single>(t.m21());
  x.eM22 = static_cast<Single>(t.m22());
  x.eDx = static_cast<Single>(t.dx());
  x.eDy = static_cast<Single>(t.dy());
  return x;
}

bool IsRasterDevice(QPainter* p) {
  return p->paintEngine() && p->paintEngine()->type() == QPaintEngine::Raster;
}

QPainter::CompositionMode Rop2Mode(Integer rop2, bool raster) {
  if (!raster) return QPainter::CompositionMode_SourceOver;
  switch (rop2) {
    case R2_XORPEN:
      return QPainter::RasterOp_SourceXorDestination;
    case R2_NOTXORPEN:
      return QPainter::RasterOp_NotSourceXorDestination;
    case R2_NOT:
      return QPainter::RasterOp_NotDestination;
    case R2_MASKPEN:
      return QPainter::RasterOp_SourceAndDestination;
    case R2_MERGEPEN:
      return QPainter::RasterOp_SourceOrDestination;
    case R2_NOTCOPYPEN:
      return QPainter::RasterOp_NotSource;
    case R2_NOTMASKPEN:
      return QPainter::RasterOp_NotSourceOrNotDestination;
    case R2_NOTMERGEPEN:
      return QPainter::RasterOp_NotSourceAndNotDestination;
    case R2_MASKPENNOT:
      return QPainter::RasterOp_SourceAndNotDestination;
    case R2_MASKNOTPEN:
      return QPainter::RasterOp_NotSourceAndDestination;
    case R2_MERGEPENNOT:
      return QPainter::RasterOp_SourceOrNotDestination;
    case R2_MERGENOTPEN:
      return QPainter::RasterOp_NotSourceOrDestination;
    default:
      return QPainter::CompositionMode_SourceOver;
  }
}

// The scale a transform applies to lengths, for deciding whether a one-unit pen stays one pixel.
double LengthScale(const QTransform& t) { return std::sqrt(std::fabs(t.determinant())); }

QPen MakePen(HDC dc, const QTransform& t) {
  const LOGPEN& lp = dc->st.pen;
  const UINT style = lp.lopnStyle & PS_STYLE_MASK;
  if (style == PS_NULL) return QPen(Qt::NoPen);
  QColor color = gdi::ToQColor(lp.lopnColor);
  if (dc->st.rop2 == R2_BLACK) color = Qt::black;
  if (dc->st.rop2 == R2_WHITE) color = Qt::white;
  const Integer width = lp.lopnWidth.X;
  const bool cosmetic = width <= 1 && LengthScale(t) < 1.5;
  QPen pen(color);
  if (cosmetic) {
    pen.setWidth(0);
    // A flat cap leaves out the last pixel of a cosmetic line, as GDI does.
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    switch (style) {
      case PS_DASH:
        pen.setDashPattern({18, 6});
        break;
      case PS_DOT:
        pen.setDashPattern({3, 3});
        break;
      case PS_DASHDOT:
        pen.setDashPattern({9, 6, 3, 6});
        break;
      case PS_DASHDOTDOT:
        pen.setDashPattern({9, 3, 3, 3, 3, 3});
        break;
      default:
        break;
    }
    return pen;
  }
  pen.setWidthF(std::max(1, width));
  const UINT cap = lp.lopnStyle & 0xF00, join = lp.lopnStyle & 0xF000;
  pen.setCapStyle(cap == PS_ENDCAP_FLAT     ? Qt::FlatCap
                  : cap == PS_ENDCAP_SQUARE ? Qt::SquareCap
                                            : Qt::RoundCap);
  pen.setJoinStyle(join == PS_JOIN_MITER   ? Qt::MiterJoin
                   : join == PS_JOIN_BEVEL ? Qt::BevelJoin
                                           : Qt::RoundJoin);
  return pen;
}

QBrush MakeBrush(const LOGBRUSH& lb, const QImage& pattern, Integer rop2 = R2_COPYPEN) {
  QColor color = gdi::ToQColor(lb.lbColor);
  if (rop2 == R2_BLACK) color = Qt::black;
  if (rop2 == R2_WHITE) color = Qt::white;
  switch (lb.lbStyle) {
    case BS_NULL:
      return QBrush(Qt::NoBrush);
    case BS_HATCHED: {
      static const Qt::BrushStyle hatch[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                             Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
      const NativeInt h = lb.lbHatch;
      return QBrush(color, h >= 0 && h < 6 ? hatch[h] : Qt::SolidPattern);
    }
    case BS_PATTERN:
    case BS_DIBPATTERN:
      if (!pattern.isNull()) return QBrush(pattern);
      return QBrush(color);
    default:
      return QBrush(color);
  }
}

void PrepareShape(HDC dc, QPainter* p, bool withBrush, bool stroke) {
  const QTransform t = gdi::DeviceTransform(dc);
  // Qt's cosmetic stroker lights the pixel whose corner a point is on and, with a flat cap, leaves
  // out the last one, as GDI does; wide strokes centre on pixel centres.
  const bool cosmetic = (dc->st.pen.lopnWidth.X <= 1 && LengthScale(t) < 1.5);
  p->setTransform((stroke && !cosmetic ? t * QTransform::fromTranslate(0.5, 0.5) : t) * dc->deviceOrigin);
  p->setPen(MakePen(dc, t));
  p->setBrush(withBrush ? MakeBrush(dc->st.brush, dc->st.brushPattern, dc->st.rop2) : QBrush(Qt::NoBrush));
  p->setBackgroundMode(dc->st.bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
  p->setBackground(QBrush(gdi::ToQColor(dc->st.bkColor)));
  p->setCompositionMode(Rop2Mode(dc->st.rop2, IsRasterDevice(p)));
}

// Cosmetic strokes go pixel by pixel in device space: Qt covers [min, max) of a segment whatever its
// direction, GDI from the start up to, not including, the end.
void StrokeCosmetic(HDC dc, QPainter* p, const QPolygonF& logical) {
  const QTransform t = gdi::DeviceTransform(dc);
  p->setTransform(dc->deviceOrigin);
  for (qsizetype i = 0; i + 1 < logical.size(); ++i) {
    QPointF a = t.map(logical[i]), b = t.map(logical[i + 1]);
    a = QPointF(std::round(a.x()), std::round(a.y()));
    b = QPointF(std::round(b.x()), std::round(b.y()));
    if (b.x() < a.x()) a.rx() += 1, b.rx() += 1;
    if (b.y() < a.y()) a.ry() += 1, b.ry() += 1;
    p->drawLine(a, b);
  }
}

void Stroke(HDC dc, QPainter* p, const QPolygonF& logical) {
  if (p->pen().style() != Qt::NoPen && p->pen().isCosmetic())
    StrokeCosmetic(dc, p, logical);
  else
    p->drawPolyline(logical);
}

bool PenIsNull(HDC dc) { return (dc->st.pen.lopnStyle & PS_STYLE_MASK) == PS_NULL; }

TRect Normalized(Integer l, Integer t, Integer r, Integer b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  return TRect(l, t, r, b);
}

// A frame drawn with PS_INSIDEFRAME keeps a wide pen inside the bounding rectangle.
TRect InsideFrame(HDC dc, TRect r) {
  if ((dc->st.pen.lopnStyle & PS_STYLE_MASK) != PS_INSIDEFRAME) return r;
  const Integer w = dc->st.pen.lopnWidth.X;
  if (w <= 1) return r;
  const Integer half = w / 2;
  return TRect(r.Left + half, r.Top + half, r.Right - (w - half) + 1, r.Bottom - (w - half) + 1);
}

QRectF ShapeRect(const TRect& r) { return QRectF(r.Left, r.Top, r.Width() - 1, r.Height() - 1); }

double AngleOf(const TRect& r, TPoint p) {
  const double cx = (r.Left + r.Right) / 2.0, cy = (r.Top + r.Bottom) / 2.0;
  const double rx = std::max(1.0, r.Width() / 2.0), ry = std::max(1.0, r.Height() / 2.0);
  return std::atan2(-(p.Y - cy) / ry, (p.X - cx) / rx) * 180.0 / std::numbers::pi;
}

QImage SourceSubImage(HDC src, const QRect& srcDevice) {
  const QImage* img = gdi::SourceImage(src);
  if (!img) return QImage();
  return img->copy(srcDevice);
}

QRegion RegionOf(HRGN rgn) {
  return rgn && rgn->type == OBJ_REGION ? static_cast<TGdiRegion*>(rgn)->region : QRegion();
}

Integer RegionKind(const QRegion& r) {
  if (r.isEmpty()) return NULLREGION;
  return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

QRegion DeviceRegion(HDC dc) {
  if (dc->width > 0 && dc->height > 0) return QRegion(0, 0, dc->width, dc->height);
  return QRegion(-100000, -100000, 200000, 200000);
}

Integer ClipKind(HDC dc) {
  const std::optional<QRegion> clip = gdi::EffectiveClip(dc);
  return clip ? RegionKind(*clip) : SIMPLEREGION;
}

void ClipChanged(HDC dc) { dc->painterStateValid = false; }

void StateChanged(HDC dc) { dc->painterStateValid = false; }

}  // namespace

// ---- helpers shared inside the layer ----

namespace gdi {

bool IsValid(HDC dc) { return dc != nullptr; }

QTransform PainterTransform(HDC dc) { return DeviceTransform(dc) * dc->deviceOrigin; }

QTransform DeviceTransform(HDC dc) {
  QTransform t;
  if (dc->st.graphicsMode == GM_ADVANCED) t = WorldTransform(dc->st.world);
  t *= PageTransform(dc);
  if (dc->st.layout & LAYOUT_RTL) t *= QTransform(-1, 0, 0, 1, dc->width, 0);
  t *= dc->base;
  return t;
}

std::optional<QRegion> EffectiveClip(HDC dc) {
  std::optional<QRegion> clip = dc->st.clip;
  if (dc->baseClip) clip = clip ? clip->intersected(*dc->baseClip) : *dc->baseClip;
  return clip;
}

void InvalidatePainterState(HDC dc) { dc->painterStateValid = false; }

void EndPainting(HDC dc) {
  if (!dc || !dc->ownPainter || dc->kind != TDcKind::Memory) return;
  if (dc->ownPainter->isActive()) dc->ownPainter->end();
  dc->ownPainter.reset();
  if (dc->bitmap) static_cast<TGdiBitmap*>(dc->bitmap)->paintingDc = nullptr;
}

QImage& Pixels(HBITMAP bitmap) {
  auto* bm = static_cast<TGdiBitmap*>(bitmap);
  if (bm->paintingDc) EndPainting(bm->paintingDc);
  return bm->image;
}

QPainter* Painter(HDC dc) {
  QPainter* p = nullptr;
  switch (dc->kind) {
    case TDcKind::Memory: {
      auto* bm = static_cast<TGdiBitmap*>(dc->bitmap);
      if (!bm || bm->image.isNull()) return nullptr;
      if (!dc->ownPainter) {
        if (bm->paintingDc && bm->paintingDc != dc) EndPainting(bm->paintingDc);
        dc->ownPainter = std::make_unique<QPainter>(&bm->image);
        bm->paintingDc = dc;
        dc->painterStateValid = false;
      }
      p = dc->ownPainter.get();
      break;
    }
    case TDcKind::Painter:
      p = dc->externalPainter;
      break;
    case TDcKind::Printer:
      p = dc->ownPainter.get();
      break;
    default:
      return nullptr;
  }
  if (!p || !p->isActive()) return nullptr;
  if (!dc->painterStateValid) {
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setRenderHint(QPainter::SmoothPixmapTransform, dc->st.stretchMode == HALFTONE);
    p->resetTransform();
    if (dc->deviceClip)
      p->setClipRegion(*dc->deviceClip);
    else
      p->setClipping(false);
    p->setTransform(dc->deviceOrigin);
    if (const std::optional<QRegion> clip = EffectiveClip(dc))
      p->setClipRegion(*clip, dc->deviceClip ? Qt::IntersectClip : Qt::ReplaceClip);
    dc->painterStateValid = true;
  }
  return p;
}

const QImage* SourceImage(HDC dc) {
  if (!dc || dc->kind != TDcKind::Memory || !dc->bitmap) return nullptr;
  return &Pixels(dc->bitmap);
}

HDC CreatePainterDC(QPainter* painter, Integer width, Integer height, Integer dpi) {
  HDC dc = NewDC(TDcKind::Painter);
  dc->dpiX = dc->dpiY = dpi;
  SetDCPainter(dc, painter, width, height);
  return dc;
}

void SetDCPainter(HDC dc, QPainter* painter, Integer width, Integer height) {
  dc->externalPainter = painter;
  dc->width = width;
  dc->height = height;
  dc->deviceOrigin = painter ? painter->transform() : QTransform();
  dc->deviceClip.reset();
  if (painter && painter->hasClipping()) dc->deviceClip = painter->clipRegion() * painter->transform();
  dc->painterStateValid = false;
}

HDC CreateDeviceDC(QPaintDevice* device, TDcKind kind, Integer width, Integer height, Integer dpiX,
                   Integer dpiY) {
  HDC dc = NewDC(kind);
  dc->device = device;
  dc->width = width;
  dc->height = height;
  dc->dpiX = dpiX;
  dc->dpiY = dpiY;
  return dc;
}

HDC CreateRecordingDC(TDcRecorder* recorder, Integer width, Integer height, Integer dpiX, Integer dpiY) {
  HDC dc = NewDC(TDcKind::Metafile);
  dc->recorder = recorder;
  dc->width = width;
  dc->height = height;
  dc->dpiX = dpiX;
  dc->dpiY = dpiY;
  return dc;
}

}  // namespace gdi

// ---- contexts ----

HDC GetDC(HWND) {
  static HDC screen = [] {
    HDC dc = NewDC(TDcKind::Info);
    dc->width = 1920;
    dc->height = 1080;
    return dc;
  }();
  return screen;
}

Integer ReleaseDC(HWND, HDC) { return 1; }

HDC CreateInfoDC(Integer width, Integer height, Integer dpiX, Integer dpiY) {
  HDC dc = NewDC(TDcKind::Info);
  dc->width = width;
  dc->height = height;
  dc->dpiX = dpiX > 0 ? dpiX : 96;
  dc->dpiY = dpiY > 0 ? dpiY : 96;
  return dc;
}

HDC CreateCompatibleDC(HDC ref) {
  HDC dc = NewDC(TDcKind::Memory);
  dc->bitmap = Stock().monoBitmap;
  Select(dc->bitmap);
  dc->width = dc->height = 1;
  if (ref) {
    dc->dpiX = ref->dpiX;
    dc->dpiY = ref->dpiY;
  }
  return dc;
}

bool DeleteDC(HDC dc) {
  if (!dc || dc == GetDC(nullptr)) return false;
  gdi::EndPainting(dc);
  Deselect(dc->st.penHandle);
  Deselect(dc->st.brushHandle);
  Deselect(dc->st.fontHandle);
  for (TDcState& s : dc->saved) {
    Deselect(s.penHandle);
    Deselect(s.brushHandle);
    Deselect(s.fontHandle);
  }
  if (dc->kind == TDcKind::Memory) Deselect(dc->bitmap);
  delete dc;
  return true;
}

Integer GetDeviceCaps(HDC dc, Integer index) {
  if (!dc) return 0;
  if (dc->caps) {
    const Integer v = dc->caps(index);
    if (v != std::numeric_limits<Integer>::min()) return v;
  }
  const bool mono =
      dc->kind == TDcKind::Memory && dc->bitmap && static_cast<TGdiBitmap*>(dc->bitmap)->monochrome;
  switch (index) {
    case LOGPIXELSX:
      return dc->dpiX;
    case LOGPIXELSY:
      return dc->dpiY;
    case HORZRES:
      return dc->width;
    case VERTRES:
      return dc->height;
    case HORZSIZE:
      return static_cast<Integer>(std::lround(dc->width * 25.4 / dc->dpiX));
    case VERTSIZE:
      return static_cast<Integer>(std::lround(dc->height * 25.4 / dc->dpiY));
    case BITSPIXEL:
      return mono ? 1 : 32;
    case PLANES:
      return 1;
    case NUMCOLORS:
      return -1;
    case SIZEPALETTE:
      return 0;
    case RASTERCAPS:
      return RC_BITBLT | RC_STRETCHBLT | RC_STRETCHDIB | RC_DI_BITMAP;
    case TECHNOLOGY:
      return dc->kind == TDcKind::Printer    ? DT_RASPRINTER
             : dc->kind == TDcKind::Metafile ? DT_METAFILE
                                             : DT_RASDISPLAY;
    case PHYSICALWIDTH:
    case PHYSICALHEIGHT:
    case PHYSICALOFFSETX:
    case PHYSICALOFFSETY:
      return 0;
    default:
      return 0;
  }
}

Integer SaveDC(HDC dc) {
  if (!dc) return 0;
  if (dc->recorder) dc->recorder->SaveDC(dc);
  dc->saved.push_back(dc->st);
  Select(dc->st.penHandle);
  Select(dc->st.brushHandle);
  Select(dc->st.fontHandle);
  return static_cast<Integer>(dc->saved.size());
}

bool RestoreDC(HDC dc, Integer level) {
  if (!dc) return false;
  const Integer count = static_cast<Integer>(dc->saved.size());
  const Integer target = level < 0 ? count + level + 1 : level;
  if (target < 1 || target > count) return false;
  if (dc->recorder) dc->recorder->RestoreDC(dc, level);
  while (static_cast<Integer>(dc->saved.size()) > target) {
    TDcState& s = dc->saved.back();
    Deselect(s.penHandle);
    Deselect(s.brushHandle);
    Deselect(s.fontHandle);
    dc->saved.pop_back();
  }
  Deselect(dc->st.penHandle);
  Deselect(dc->st.brushHandle);
  Deselect(dc->st.fontHandle);
  dc->st = dc->saved.back();
  dc->saved.pop_back();
  dc->fontValid = false;
  StateChanged(dc);
  return true;
}

// ---- objects ----

HPEN CreatePen(Integer style, Integer width, COLORREF color) {
  auto* p = new TGdiPen;
  p->lp = LOGPEN{static_cast<UINT>(style), {std::max(0, width), 0}, color & 0xFFFFFF};
  return p;
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
  return pen ? CreatePen(static_cast<Integer>(pen->lopnStyle), pen->lopnWidth.X, pen->lopnColor) : nullptr;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto* b = new TGdiBrush;
  b->lb = LOGBRUSH{BS_SOLID, color & 0xFFFFFF, 0};
  return b;
}

HBRUSH CreateHatchBrush(Integer hatch, COLORREF color) {
  auto* b = new TGdiBrush;
  b->lb = LOGBRUSH{BS_HATCHED, color & 0xFFFFFF, hatch};
  return b;
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  if (!bitmap || bitmap->type != OBJ_BITMAP) return nullptr;
  auto* b = new TGdiBrush;
  b->lb = LOGBRUSH{BS_PATTERN, 0, 0};
  b->pattern = gdi::Pixels(bitmap).convertToFormat(QImage::Format_RGB32);
  return b;
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
  if (!brush) return nullptr;
  if (brush->lbStyle == BS_PATTERN) return CreatePatternBrush(reinterpret_cast<HBITMAP>(brush->lbHatch));
  auto* b = new TGdiBrush;
  b->lb = *brush;
  b->lb.lbColor &= 0xFFFFFF;
  return b;
}

HBRUSH GetSysColorBrush(Integer index) {
  static std::mutex m;
  std::lock_guard lock(m);
  if (index < 0 || index >= SysColorCount) return nullptr;
  HBRUSH& b = SysColorBrushes[index];
  if (!b) {
    b = CreateSolidBrush(0);
    b->stock = true;
  }
  static_cast<TGdiBrush*>(b)->lb.lbColor = GetSysColor(index);
  return b;
}

HFONT CreateFontIndirect(const LOGFONTW* font) {
  if (!font) return nullptr;
  auto* f = new TGdiFont;
  f->lf = *font;
  return f;
}

HBITMAP CreateCompatibleBitmap(HDC dc, Integer width, Integer height) {
  auto* bm = new TGdiBitmap;
  if (width > 0 && height > 0) {
    bm->image = QImage(width, height, QImage::Format_RGB32);
    if (bm->image.isNull()) {
      delete bm;
      return nullptr;
    }
    bm->image.fill(Qt::black);
  }
  // A memory context with its initial 1 x 1 bitmap makes monochrome bitmaps, as on the original.
  bm->monochrome = dc && dc->kind == TDcKind::Memory && dc->bitmap == Stock().monoBitmap;
  return bm;
}

HBITMAP CreateBitmap(Integer width, Integer height, UINT, UINT bitsPerPixel, const void* bits) {
  if (width <= 0 || height <= 0) return new TGdiBitmap;
  auto* bm = new TGdiBitmap;
  bm->monochrome = bitsPerPixel == 1;
  bm->image = QImage(width, height, bitsPerPixel == 32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (bm->image.isNull()) {
    delete bm;
    return nullptr;
  }
  bm->image.fill(bitsPerPixel == 32 ? Qt::transparent : Qt::black);
  if (!bits) return bm;
  const auto* src = static_cast<const Byte*>(bits);
  if (bitsPerPixel == 32) {
    for (Integer y = 0; y < height; ++y) std::memcpy(bm->image.scanLine(y), src + y * width * 4, width * 4);
  } else if (bitsPerPixel == 1) {
    // Rows padded to 16 bits, a set bit is white.
    const Integer stride = ((width + 15) / 16) * 2;
    for (Integer y = 0; y < height; ++y) {
      auto* line = reinterpret_cast<QRgb*>(bm->image.scanLine(y));
      for (Integer x = 0; x < width; ++x) {
        const bool set = (src[y * stride + x / 8] >> (7 - x % 8)) & 1;
        line[x] = set ? 0xFFFFFFFF : 0xFF000000;
      }
    }
  } else if (bitsPerPixel == 24) {
    const Integer stride = ((width * 3 + 1) / 2) * 2;
    for (Integer y = 0; y < height; ++y) {
      auto* line = reinterpret_cast<QRgb*>(bm->image.scanLine(y));
      for (Integer x = 0; x < width; ++x) {
        const Byte* px = src + y * stride + x * 3;
        line[x] = qRgb(px[2], px[1], px[0]);
      }
    }
  }
  return bm;
}

HGDIOBJ GetStockObject(Integer index) {
  if (index < 0 || index >= 20) return nullptr;
  return Stock().items[index];
}

Integer GetObjectType(HGDIOBJ object) { return object ? object->type : 0; }

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  if (!dc || !object) return nullptr;
  HGDIOBJ old = nullptr;
  switch (object->type) {
    case OBJ_PEN:
      old = dc->st.penHandle;
      dc->st.pen = static_cast<TGdiPen*>(object)->lp;
      dc->st.penHandle = object;
      break;
    case OBJ_BRUSH:
      old = dc->st.brushHandle;
      dc->st.brush = static_cast<TGdiBrush*>(object)->lb;
      dc->st.brushPattern = static_cast<TGdiBrush*>(object)->pattern;
      dc->st.brushHandle = object;
      break;
    case OBJ_FONT:
      old = dc->st.fontHandle;
      dc->st.font = static_cast<TGdiFont*>(object)->lf;
      dc->st.fontHandle = object;
      dc->fontValid = false;
      break;
    case OBJ_BITMAP: {
      if (dc->kind != TDcKind::Memory) return nullptr;
      auto* bm = static_cast<TGdiBitmap*>(object);
      if (bm->selectCount > 0 && object != dc->bitmap && !bm->stock) return nullptr;
      gdi::EndPainting(dc);
      old = dc->bitmap;
      dc->bitmap = object;
      dc->width = bm->image.width();
      dc->height = bm->image.height();
      StateChanged(dc);
      break;
    }
    case OBJ_REGION:
      return reinterpret_cast<HGDIOBJ>(static_cast<NativeInt>(SelectClipRgn(dc, object)));
    default:
      return nullptr;
  }
  Select(object);
  // The caller may delete what it gets back once it is no longer selected anywhere.
  if (old) {
    --old->selectCount;
    if (old->selectCount <= 0 && old->pendingDelete) {
      delete old;
      old = nullptr;
    }
  }
  return old;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN:
      return dc->st.penHandle;
    case OBJ_BRUSH:
      return dc->st.brushHandle;
    case OBJ_FONT:
      return dc->st.fontHandle;
    case OBJ_BITMAP:
      return dc->bitmap;
    default:
      return nullptr;
  }
}

bool DeleteObject(HGDIOBJ object) {
  if (!object || object->stock || object->shared) return false;
  // Deleting what a context still holds is deferred until it lets go, so nothing dangles.
  if (object->selectCount > 0) {
    object->pendingDelete = true;
    return true;
  }
  if (object->type == OBJ_BITMAP) {
    auto* bm = static_cast<TGdiBitmap*>(object);
    if (bm->paintingDc) gdi::EndPainting(bm->paintingDc);
  }
  delete object;
  return true;
}

Integer GetObject(HGDIOBJ object, Integer size, void* buffer) {
  if (!object) return 0;
  auto put = [&](const auto& value) -> Integer {
    const Integer n = static_cast<Integer>(sizeof value);
    if (!buffer) return n;
    if (size < n) return 0;
    std::memcpy(buffer, &value, n);
    return n;
  };
  switch (object->type) {
    case OBJ_PEN:
      return put(static_cast<TGdiPen*>(object)->lp);
    case OBJ_BRUSH:
      return put(static_cast<TGdiBrush*>(object)->lb);
    case OBJ_FONT:
      return put(static_cast<TGdiFont*>(object)->lf);
    case OBJ_BITMAP: {
      auto* bm = static_cast<TGdiBitmap*>(object);
      BITMAP b;
      b.bmWidth = bm->image.width();
      b.bmHeight = bm->image.height();
      b.bmBitsPixel = bm->monochrome ? 1 : 32;
      b.bmWidthBytes = bm->monochrome ? ((b.bmWidth + 15) / 16) * 2 : b.bmWidth * 4;
      return put(b);
    }
    default:
      return 0;
  }
}

HPALETTE SelectPalette(HDC, HPALETTE, bool) { return nullptr; }
UINT RealizePalette(HDC) { return 0; }

// ---- state ----

COLORREF SetTextColor(HDC dc, COLORREF color) {
  if (!dc) return CLR_INVALID;
  const COLORREF old = dc->st.textColor;
  dc->st.textColor = color & 0xFFFFFF;
  return old;
}
COLORREF GetTextColor(HDC dc) { return dc ? dc->st.textColor : CLR_INVALID; }
COLORREF SetBkColor(HDC dc, COLORREF color) {
  if (!dc) return CLR_INVALID;
  const COLORREF old = dc->st.bkColor;
  dc->st.bkColor = color & 0xFFFFFF;
  return old;
}
COLORREF GetBkColor(HDC dc) { return dc ? dc->st.bkColor : CLR_INVALID; }
Integer SetBkMode(HDC dc, Integer mode) {
  if (!dc || (mode != OPAQUE && mode != TRANSPARENT)) return 0;
  std::swap(dc->st.bkMode, mode);
  return mode;
}
Integer GetBkMode(HDC dc) { return dc ? dc->st.bkMode : 0; }
UINT SetTextAlign(HDC dc, UINT align) {
  if (!dc) return GDI_ERROR;
  std::swap(dc->st.textAlign, align);
  return align;
}
UINT GetTextAlign(HDC dc) { return dc ? dc->st.textAlign : GDI_ERROR; }
Integer SetROP2(HDC dc, Integer mode) {
  if (!dc || mode < R2_BLACK || mode > R2_WHITE) return 0;
  std::swap(dc->st.rop2, mode);
  return mode;
}
Integer GetROP2(HDC dc) { return dc ? dc->st.rop2 : 0; }
Integer SetStretchBltMode(HDC dc, Integer mode) {
  if (!dc) return 0;
  std::swap(dc->st.stretchMode, mode);
  StateChanged(dc);
  return mode;
}
bool SetBrushOrgEx(HDC dc, Integer x, Integer y, TPoint* old) {
  if (!dc) return false;
  if (old) *old = dc->st.brushOrg;
  dc->st.brushOrg = TPoint(x, y);
  return true;
}
Integer SetTextCharacterExtra(HDC dc, Integer extra) {
  if (!dc) return 0;
  std::swap(dc->st.charExtra, extra);
  return extra;
}

// ---- coordinates ----

Integer SetMapMode(HDC dc, Integer mode) {
  if (!dc || mode < MM_TEXT || mode > MM_ANISOTROPIC) return 0;
  const Integer old = dc->st.mapMode;
  dc->st.mapMode = mode;
  if (mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC) {
    dc->st.winExt = TSize(1, 1);
    dc->st.vpExt = TSize(1, 1);
  }
  StateChanged(dc);
  return old;
}
Integer GetMapMode(HDC dc) { return dc ? dc->st.mapMode : 0; }

bool SetWindowOrgEx(HDC dc, Integer x, Integer y, TPoint* old) {
  if (!dc) return false;
  if (old) *old = dc->st.winOrg;
  dc->st.winOrg = TPoint(x, y);
  StateChanged(dc);
  return true;
}
bool SetViewportOrgEx(HDC dc, Integer x, Integer y, TPoint* old) {
  if (!dc) return false;
  if (old) *old = dc->st.vpOrg;
  dc->st.vpOrg = TPoint(x, y);
  StateChanged(dc);
  return true;
}
bool SetWindowExtEx(HDC dc, Integer x, Integer y, TSize* old) {
  if (!dc) return false;
  if (old) *old = dc->st.winExt;
  // Extents only count in the scalable modes; a zero extent is refused.
  if (dc->st.mapMode != MM_ISOTROPIC && dc->st.mapMode != MM_ANISOTROPIC) return true;
  if (x == 0 || y == 0) return false;
  dc->st.winExt = TSize(x, y);
  StateChanged(dc);
  return true;
}
bool SetViewportExtEx(HDC dc, Integer x, Integer y, TSize* old) {
  if (!dc) return false;
  if (old) *old = dc->st.vpExt;
  if (dc->st.mapMode != MM_ISOTROPIC && dc->st.mapMode != MM_ANISOTROPIC) return true;
  if (x == 0 || y == 0) return false;
  dc->st.vpExt = TSize(x, y);
  StateChanged(dc);
  return true;
}
bool GetWindowOrgEx(HDC dc, TPoint* p) {
  if (!dc || !p) return false;
  *p = dc->st.winOrg;
  return true;
}
bool GetWindowExtEx(HDC dc, TSize* s) {
  if (!dc || !s) return false;
  *s = dc->st.winExt;
  return true;
}
bool GetViewportOrgEx(HDC dc, TPoint* p) {
  if (!dc || !p) return false;
  *p = dc->st.vpOrg;
  return true;
}
bool GetViewportExtEx(HDC dc, TSize* s) {
  if (!dc || !s) return false;
  *s = dc->st.vpExt;
  return true;
}
bool OffsetWindowOrgEx(HDC dc, Integer dx, Integer dy, TPoint* old) {
  if (!dc) return false;
  return SetWindowOrgEx(dc, dc->st.winOrg.X + dx, dc->st.winOrg.Y + dy, old);
}
bool OffsetViewportOrgEx(HDC dc, Integer dx, Integer dy, TPoint* old) {
  if (!dc) return false;
  return SetViewportOrgEx(dc, dc->st.vpOrg.X + dx, dc->st.vpOrg.Y + dy, old);
}

bool LPtoDP(HDC dc, TPoint* points, Integer count) {
  if (!dc || !points) return false;
  QTransform t = gdi::DeviceTransform(dc);
  for (Integer i = 0; i < count; ++i) {
    const QPointF p = t.map(QPointF(points[i].X, points[i].Y));
    points[i] = TPoint(static_cast<Integer>(std::lround(p.x())), static_cast<Integer>(std::lround(p.y())));
  }
  return true;
}

bool DPtoLP(HDC dc, TPoint* points, Integer count) {
  if (!dc || !points) return false;
  bool invertible = false;
  QTransform t = gdi::DeviceTransform(dc).inverted(&invertible);
  if (!invertible) return false;
  for (Integer i = 0; i < count; ++i) {
    const QPointF p = t.map(QPointF(points[i].X, points[i].Y));
    points[i] = TPoint(static_cast<Integer>(std::lround(p.x())), static_cast<Integer>(std::lround(p.y())));
  }
  return true;
}

Integer SetGraphicsMode(HDC dc, Integer mode) {
  if (!dc || (mode != GM_COMPATIBLE && mode != GM_ADVANCED)) return 0;
  // Back to the compatible mode needs an identity transform, as on the original.
  if (mode == GM_COMPATIBLE && WorldTransform(dc->st.world) != QTransform()) return 0;
  std::swap(dc->st.graphicsMode, mode);
  StateChanged(dc);
  return mode;
}
Integer GetGraphicsMode(HDC dc) { return dc ? dc->st.graphicsMode : 0; }

bool SetWorldTransform(HDC dc, const XFORM* xform) {
  if (!dc || !xform || dc->st.graphicsMode != GM_ADVANCED) return false;
  if (!WorldTransform(*xform).isInvertible()) return false;
  dc->st.world = *xform;
  StateChanged(dc);
  return true;
}

bool GetWorldTransform(HDC dc, XFORM* xform) {
  if (!dc || !xform) return false;
  *xform = dc->st.world;
  return true;
}

bool ModifyWorldTransform(HDC dc, const XFORM* xform, DWORD mode) {
  if (!dc || dc->st.graphicsMode != GM_ADVANCED) return false;
  QTransform cur = WorldTransform(dc->st.world);
  switch (mode) {
    case MWT_IDENTITY:
      cur = QTransform();
      break;
    case MWT_LEFTMULTIPLY:
      if (!xform) return false;
      cur = WorldTransform(*xform) * cur;
      break;
    case MWT_RIGHTMULTIPLY:
      if (!xform) return false;
      cur = cur * WorldTransform(*xform);
      break;
    default:
      return false;
  }
  if (!cur.isInvertible()) return false;
  dc->st.world = ToXform(cur);
  StateChanged(dc);
  return true;
}

DWORD SetLayout(HDC dc, DWORD layout) {
  if (!dc) return GDI_ERROR;
  std::swap(dc->st.layout, layout);
  StateChanged(dc);
  return layout;
}
DWORD GetLayout(HDC dc) { return dc ? dc->st.layout : GDI_ERROR; }

// ---- regions and clipping ----

HRGN CreateRectRgn(Integer left, Integer top, Integer right, Integer bottom) {
  auto* r = new TGdiRegion;
  const TRect n = Normalized(left, top, right, bottom);
  r->region = QRegion(n.Left, n.Top, n.Width(), n.Height());
  return r;
}
HRGN CreateRectRgnIndirect(const TRect* rect) {
  return rect ? CreateRectRgn(rect->Left, rect->Top, rect->Right, rect->Bottom) : nullptr;
}
HRGN CreateEllipticRgn(Integer left, Integer top, Integer right, Integer bottom) {
  auto* r = new TGdiRegion;
  const TRect n = Normalized(left, top, right, bottom);
  r->region = QRegion(n.Left, n.Top, n.Width(), n.Height(), QRegion::Ellipse);
  return r;
}

Integer CombineRgn(HRGN dest, HRGN src1, HRGN src2, Integer mode) {
  if (!dest || dest->type != OBJ_REGION || !src1) return RGN_ERROR;
  const QRegion a = RegionOf(src1);
  QRegion result;
  if (mode == RGN_COPY) {
    result = a;
  } else {
    if (!src2) return RGN_ERROR;
    const QRegion b = RegionOf(src2);
    switch (mode) {
      case RGN_AND:
        result = a.intersected(b);
        break;
      case RGN_OR:
        result = a.united(b);
        break;
      case RGN_XOR:
        result = a.xored(b);
        break;
      case RGN_DIFF:
        result = a.subtracted(b);
        break;
      default:
        return RGN_ERROR;
    }
  }
  static_cast<TGdiRegion*>(dest)->region = result;
  return RegionKind(result);
}

Integer OffsetRgn(HRGN rgn, Integer dx, Integer dy) {
  if (!rgn || rgn->type != OBJ_REGION) return RGN_ERROR;
  auto* r = static_cast<TGdiRegion*>(rgn);
  r->region.translate(dx, dy);
  return RegionKind(r->region);
}

Integer GetRgnBox(HRGN rgn, TRect* rect) {
  if (!rgn || rgn->type != OBJ_REGION || !rect) return RGN_ERROR;
  const QRect b = RegionOf(rgn).boundingRect();
  *rect = b.isEmpty() ? TRect() : TRect(b.left(), b.top(), b.right() + 1, b.bottom() + 1);
  return RegionKind(RegionOf(rgn));
}

bool PtInRegion(HRGN rgn, Integer x, Integer y) { return RegionOf(rgn).contains(QPoint(x, y)); }
bool RectInRegion(HRGN rgn, const TRect* rect) {
  return rect && RegionOf(rgn).intersects(QRect(rect->Left, rect->Top, rect->Width(), rect->Height()));
}
bool EqualRgn(HRGN a, HRGN b) { return RegionOf(a) == RegionOf(b); }
bool SetRectRgn(HRGN rgn, Integer left, Integer top, Integer right, Integer bottom) {
  if (!rgn || rgn->type != OBJ_REGION) return false;
  const TRect n = Normalized(left, top, right, bottom);
  static_cast<TGdiRegion*>(rgn)->region = QRegion(n.Left, n.Top, n.Width(), n.Height());
  return true;
}

Integer ExtSelectClipRgn(HDC dc, HRGN rgn, Integer mode) {
  if (!dc) return RGN_ERROR;
  if (!rgn && mode != RGN_COPY) return RGN_ERROR;
  std::optional<QRegion> region;
  if (rgn) {
    if (rgn->type != OBJ_REGION) return RGN_ERROR;
    // Regions are in device units; during playback they are in the picture's and map through it.
    region = dc->base.isIdentity() ? RegionOf(rgn) : dc->base.map(RegionOf(rgn));
  }
  if (dc->recorder)
    dc->recorder->ClipSelect(dc, rgn ? &static_cast<TGdiRegion*>(rgn)->region : nullptr, mode);
  const QRegion current = dc->st.clip ? *dc->st.clip : DeviceRegion(dc);
  switch (mode) {
    case RGN_COPY:
      dc->st.clip = region;
      break;
    case RGN_AND:
      dc->st.clip = current.intersected(*region);
      break;
    case RGN_OR:
      dc->st.clip = current.united(*region);
      break;
    case RGN_XOR:
      dc->st.clip = current.xored(*region);
      break;
    case RGN_DIFF:
      dc->st.clip = current.subtracted(*region);
      break;
    default:
      return RGN_ERROR;
  }
  ClipChanged(dc);
  return ClipKind(dc);
}

Integer SelectClipRgn(HDC dc, HRGN rgn) { return ExtSelectClipRgn(dc, rgn, RGN_COPY); }

Integer GetClipRgn(HDC dc, HRGN rgn) {
  if (!dc || !rgn || rgn->type != OBJ_REGION) return -1;
  if (!dc->st.clip) return 0;
  static_cast<TGdiRegion*>(rgn)->region = *dc->st.clip;
  return 1;
}

Integer GetClipBox(HDC dc, TRect* rect) {
  if (!dc || !rect) return RGN_ERROR;
  const std::optional<QRegion> clip = gdi::EffectiveClip(dc);
  const QRect box = clip ? clip->boundingRect() : QRect(0, 0, dc->width, dc->height);
  bool invertible = false;
  const QTransform inv = gdi::DeviceTransform(dc).inverted(&invertible);
  if (!invertible) return RGN_ERROR;
  const QRectF l = inv.mapRect(QRectF(box.left(), box.top(), box.width(), box.height()));
  *rect = TRect(static_cast<Integer>(std::lround(l.left())), static_cast<Integer>(std::lround(l.top())),
                static_cast<Integer>(std::lround(l.right())), static_cast<Integer>(std::lround(l.bottom())));
  if (box.isEmpty()) *rect = TRect();
  return clip ? RegionKind(*clip) : SIMPLEREGION;
}

Integer IntersectClipRect(HDC dc, Integer left, Integer top, Integer right, Integer bottom) {
  if (!dc) return RGN_ERROR;
  const TRect r = Normalized(left, top, right, bottom);
  if (dc->recorder) dc->recorder->ClipIntersect(dc, r);
  const QRegion add(gdi::DeviceTransform(dc).mapRect(QRectF(r.Left, r.Top, r.Width(), r.Height())).toRect());
  dc->st.clip = dc->st.clip ? dc->st.clip->intersected(add) : DeviceRegion(dc).intersected(add);
  ClipChanged(dc);
  return ClipKind(dc);
}

Integer ExcludeClipRect(HDC dc, Integer left, Integer top, Integer right, Integer bottom) {
  if (!dc) return RGN_ERROR;
  const TRect r = Normalized(left, top, right, bottom);
  if (dc->recorder) dc->recorder->ClipExclude(dc, r);
  const QRegion cut(gdi::DeviceTransform(dc).mapRect(QRectF(r.Left, r.Top, r.Width(), r.Height())).toRect());
  dc->st.clip = (dc->st.clip ? *dc->st.clip : DeviceRegion(dc)).subtracted(cut);
  ClipChanged(dc);
  return ClipKind(dc);
}

bool RectVisible(HDC dc, const TRect* rect) {
  if (!dc || !rect) return false;
  const std::optional<QRegion> clip = gdi::EffectiveClip(dc);
  const QRect d =
      gdi::DeviceTransform(dc).mapRect(QRectF(rect->Left, rect->Top, rect->Width(), rect->Height())).toRect();
  return clip ? clip->intersects(d) : true;
}

bool PtVisible(HDC dc, Integer x, Integer y) {
  if (!dc) return false;
  const std::optional<QRegion> clip = gdi::EffectiveClip(dc);
  const QPointF p = gdi::DeviceTransform(dc).map(QPointF(x + 0.5, y + 0.5));
  return clip ? clip->contains(p.toPoint()) : true;
}

bool FillRgn(HDC dc, HRGN rgn, HBRUSH brush) {
  if (!dc || !rgn || !brush || brush->type != OBJ_BRUSH) return false;
  for (const QRect& r : RegionOf(rgn)) {
    const TRect t(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    FillRect(dc, &t, brush);
  }
  return true;
}

bool FrameRgn(HDC dc, HRGN rgn, HBRUSH brush, Integer width, Integer height) {
  if (!dc || !rgn || !brush) return false;
  const QRegion r = RegionOf(rgn);
  const QRegion inner = r.translated(width, 0)
                            .intersected(r.translated(-width, 0))
                            .intersected(r.translated(0, height))
                            .intersected(r.translated(0, -height));
  auto* frame = new TGdiRegion;
  frame->region = r.subtracted(inner);
  const bool ok = FillRgn(dc, frame, brush);
  delete frame;
  return ok;
}

// ---- shapes ----

bool MoveToEx(HDC dc, Integer x, Integer y, TPoint* old) {
  if (!dc) return false;
  if (old) *old = dc->st.curPos;
  dc->st.curPos = TPoint(x, y);
  if (dc->recorder) dc->recorder->MoveTo(dc, TPoint(x, y));
  return true;
}

bool GetCurrentPositionEx(HDC dc, TPoint* p) {
  if (!dc || !p) return false;
  *p = dc->st.curPos;
  return true;
}

bool LineTo(HDC dc, Integer x, Integer y) {
  if (!dc) return false;
  const TPoint from = dc->st.curPos;
  dc->st.curPos = TPoint(x, y);
  if (dc->recorder) {
    dc->recorder->LineTo(dc, TPoint(x, y));
    return true;
  }
  if (dc->st.rop2 == R2_NOP) return true;
  QPainter* p = gdi::Painter(dc);
  if (!p) return true;
  PrepareShape(dc, p, false, true);
  Stroke(dc, p, QPolygonF({QPointF(from.X, from.Y), QPointF(x, y)}));
  return true;
}

bool Polyline(HDC dc, const TPoint* points, Integer count) {
  if (!dc || !points || count < 2) return false;
  if (dc->recorder) {
    dc->recorder->Poly(dc, points, count, false);
    return true;
  }
  QPainter* p = gdi::Painter(dc);
  if (!p || dc->st.rop2 == R2_NOP) return true;
  PrepareShape(dc, p, false, true);
  QPolygonF poly;
  for (Integer i = 0; i < count; ++i) poly << QPointF(points[i].X, points[i].Y);
  Stroke(dc, p, poly);
  return true;
}

bool PolylineTo(HDC dc, const TPoint* points, Integer count) {
  if (!dc || !points) return false;
  for (Integer i = 0; i < count; ++i) LineTo(dc, points[i].X, points[i].Y);
  return true;
}

bool PolyPolyline(HDC dc, const TPoint* points, const DWORD* counts, Integer polylines) {
  if (!dc || !points || !counts) return false;
  if (dc->recorder) {
    dc->recorder->PolyPoly(dc, points, counts, polylines, false);
    return true;
  }
  const TPoint* p = points;
  for (Integer i = 0; i < polylines; ++i) {
    if (counts[i] >= 2) {
      QPainter* painter = gdi::Painter(dc);
      if (!painter) break;
      PrepareShape(dc, painter, false, true);
      QPolygonF poly;
      for (DWORD k = 0; k < counts[i]; ++k) poly << QPointF(p[k].X, p[k].Y);
      Stroke(dc, painter, poly);
    }
    p += counts[i];
  }
  return true;
}

bool Polygon(HDC dc, const TPoint* points, Integer count) {
  if (!dc || !points || count < 2) return false;
  if (dc->recorder) {
    dc->recorder->Poly(dc, points, count, true);
    return true;
  }
  QPainter* p = gdi::Painter(dc);
  if (!p || dc->st.rop2 == R2_NOP) return true;
  PrepareShape(dc, p, true, true);
  QPolygonF poly;
  for (Integer i = 0; i < count; ++i) poly << QPointF(points[i].X, points[i].Y);
  p->drawPolygon(poly, Qt::OddEvenFill);
  return true;
}

bool PolyPolygon(HDC dc, const TPoint* points, const Integer* counts, Integer polygons) {
  if (!dc || !points || !counts) return false;
  if (dc->recorder) {
    std::vector<DWORD> c(counts, counts + polygons);
    dc->recorder->PolyPoly(dc, points, c.data(), polygons, true);
    return true;
  }
  QPainter* p = gdi::Painter(dc);
  if (!p) return true;
  PrepareShape(dc, p, true, true);
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  const TPoint* pt = points;
  for (Integer i = 0; i < polygons; ++i) {
    QPolygonF poly;
    for (Integer k = 0; k < counts[i]; ++k) poly << QPointF(pt[k].X, pt[k].Y);
    path.addPolygon(poly);
    path.closeSubpath();
    pt += counts[i];
  }
  p->drawPath(path);
  return true;
}

bool Rectangle(HDC dc, Integer left, Integer top, Integer right, Integer bottom) {
  if (!dc) return false;
  TRect r = Normalized(left, top, right, bottom);
  if (dc->recorder) {
    dc->recorder->Rectangle(dc, r);
    return true;
  }
  QPainter* p = gdi::Painter(dc);
  if (!p || dc->st.rop2 == R2_NOP) return true;
  r = InsideFrame(dc, r);
  if (PenIsNull(dc)) {
    // Without a pen the filled area is one unit smaller, as on the original.
    PrepareShape(dc, p, true, false);
    p->setPen(Qt::NoPen);
    p->drawRect(QRectF(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
    return true;
  }
  if (r.Width() < 2 || r.Height() < 2) return true;
  PrepareShape(dc, p, true, false);
  const QPen pen = p->pen();
  if (p->brush().style() != Qt::NoBrush) {
    p->setPen(Qt::NoPen);
    p->drawRect(QRectF(r.Left, r.Top, r.Width(), r.Height()));
  }
  PrepareShape(dc, p, false, true);
  p->drawRect(ShapeRect(r));
  return true;
}

bool RoundRect(HDC dc, Integer left, Integer top, Integer right, Integer bottom, Integer width,
               Integer height) {
  if (!dc) return false;
  TRect r = Normalized(left, top, right, bottom);
  if (dc->recorder) {
    dc->recorder->RoundRect(dc, r, TSize(width, height));
    return true;
  }
  QPainter* p = gdi::Painter(dc);
  if (!p || dc->st.rop2 == R2_NOP) return true;
  r = InsideFrame(dc, r);
  PrepareShape(dc, p, true, true);
  p->drawRoundedRect(ShapeRect(r), std::abs(width) / 2.0, std::abs(height) / 2.0);
  return true;
}

bool Ellipse(HDC dc, Integer left, Integer top, Integer right, Integer bottom) {
  if (!dc) return false;
  TRect r = Normalized(left, top, right, bottom);
  if (dc->recorder) {
    dc->recorder->Ellipse(dc, r);
    return true;
  }
  QPainter* p = gdi::Painter(dc);
  if (!p || dc->st.rop2 == R2_NOP) return true;
  r = InsideFrame(dc, r);
  PrepareShape(dc, p, true, true);
  p->drawEllipse(ShapeRect(r));
  return true;
}

namespace {

bool ArcShape(HDC dc, Integer kind, Integer left, Integer top, Integer right, Integer bottom, Integer x1,
              Integer y1, Integer x2, Integer y2) {
  if (!dc) return false;
  const TRect r = Normalized(left, top, right, bottom);
  if (dc->recorder) {
    dc->recorder->ArcLike(dc, kind, r, TPoint(x1, y1), TPoint(x2, y2));
    return true;
  }
  QPainter* p = gdi::Painter(dc);
  if (!p) return true;
  const double a1 = AngleOf(r, TPoint(x1, y1)), a2 = AngleOf(r, TPoint(x2, y2));
  double span = a2 - a1;
  while (span <= 0) span += 360;
  const QRectF box = ShapeRect(r);
  PrepareShape(dc, p, kind != 0, true);
  QPainterPath path;
  if (kind == 1) {
    path.moveTo(box.center());
    path.arcTo(box, a1, span);
    path.closeSubpath();
  } else {
    path.arcMoveTo(box, a1);
    path.arcTo(box, a1, span);
    if (kind == 2) path.closeSubpath();
  }
  p->drawPath(path);
  return true;
}

}  // namespace

bool Arc(HDC dc, Integer l, Integer t, Integer r, Integer b, Integer x1, Integer y1, Integer x2, Integer y2) {
  return ArcShape(dc, 0, l, t, r, b, x1, y1, x2, y2);
}
bool Pie(HDC dc, Integer l, Integer t, Integer r, Integer b, Integer x1, Integer y1, Integer x2, Integer y2) {
  return ArcShape(dc, 1, l, t, r, b, x1, y1, x2, y2);
}
bool Chord(HDC dc, Integer l, Integer t, Integer r, Integer b, Integer x1, Integer y1, Integer x2,
           Integer y2) {
  return ArcShape(dc, 2, l, t, r, b, x1, y1, x2, y2);
}

Integer FillRect(HDC dc, const TRect* rect, HBRUSH brush) {
  if (!dc || !rect || !brush || brush->type != OBJ_BRUSH) return 0;
  const TRect r = *rect;
  if (r.IsEmpty()) return 1;
  auto* b = static_cast<TGdiBrush*>(brush);
  if (dc->recorder) {
    dc->recorder->FillRect(dc, r, b->lb);
    return 1;
  }
  QPainter* p = gdi::Painter(dc);
  if (!p) return 1;
  p->setTransform(gdi::PainterTransform(dc));
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->setBackgroundMode(dc->st.bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
  p->setBackground(QBrush(gdi::ToQColor(dc->st.bkColor)));
  p->fillRect(QRectF(r.Left, r.Top, r.Width(), r.Height()), MakeBrush(b->lb, b->pattern));
  return 1;
}

Integer FrameRect(HDC dc, const TRect* rect, HBRUSH brush) {
  if (!dc || !rect || !brush) return 0;
  const TRect r = *rect;
  if (r.IsEmpty()) return 1;
  const TRect sides[] = {{r.Left, r.Top, r.Right, r.Top + 1},
                         {r.Left, r.Bottom - 1, r.Right, r.Bottom},
                         {r.Left, r.Top, r.Left + 1, r.Bottom},
                         {r.Right - 1, r.Top, r.Right, r.Bottom}};
  for (const TRect& s : sides) FillRect(dc, &s, brush);
  return 1;
}

bool InvertRect(HDC dc, const TRect* rect) {
  if (!dc || !rect) return false;
  return PatBlt(dc, rect->Left, rect->Top, rect->Width(), rect->Height(), DSTINVERT);
}

bool DrawFocusRect(HDC dc, const TRect* rect) {
  if (!dc || !rect || rect->IsEmpty()) return false;
  if (dc->recorder) return true;
  QPainter* p = gdi::Painter(dc);
  if (!p) return true;
  const TRect r = *rect;
  p->setTransform(gdi::PainterTransform(dc));
  const bool raster = IsRasterDevice(p);
  p->setCompositionMode(raster ? QPainter::RasterOp_NotDestination : QPainter::CompositionMode_SourceOver);
  p->setPen(Qt::NoPen);
  const QBrush dot(Qt::black);
  // Every other pixel of the frame, inverted: drawing it twice takes it away again.
  auto dotAt = [&](Integer x, Integer y) {
    if (((x - r.Left + y - r.Top) & 1) == 0) p->fillRect(QRectF(x, y, 1, 1), dot);
  };
  for (Integer x = r.Left; x < r.Right; ++x) {
    dotAt(x, r.Top);
    if (r.Height() > 1) dotAt(x, r.Bottom - 1);
  }
  for (Integer y = r.Top + 1; y < r.Bottom - 1; ++y) {
    dotAt(r.Left, y);
    if (r.Width() > 1) dotAt(r.Right - 1, y);
  }
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  return true;
}

COLORREF SetPixel(HDC dc, Integer x, Integer y, COLORREF color) {
  if (!dc) return CLR_INVALID;
  if (dc->recorder) {
    dc->recorder->SetPixel(dc, TPoint(x, y), color);
    return color;
  }
  QPainter* p = gdi::Painter(dc);
  if (!p) return CLR_INVALID;
  p->setTransform(gdi::PainterTransform(dc));
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->fillRect(QRectF(x, y, 1, 1), gdi::ToQColor(color));
  return color & 0xFFFFFF;
}

bool SetPixelV(HDC dc, Integer x, Integer y, COLORREF color) {
  return SetPixel(dc, x, y, color) != CLR_INVALID;
}

COLORREF GetPixel(HDC dc, Integer x, Integer y) {
  if (!dc || dc->kind != TDcKind::Memory || !dc->bitmap) return CLR_INVALID;
  const QPointF d = gdi::DeviceTransform(dc).map(QPointF(x + 0.5, y + 0.5));
  const QPoint pt(static_cast<int>(std::floor(d.x())), static_cast<int>(std::floor(d.y())));
  const QImage& img = gdi::Pixels(dc->bitmap);
  if (!img.valid(pt)) return CLR_INVALID;
  return gdi::FromQColor(img.pixelColor(pt));
}

void GradientFillRect(HDC dc, const TRect& rect, COLORREF from, COLORREF to, bool vertical) {
  if (!dc || rect.IsEmpty()) return;
  if (dc->recorder) {
    // Recorded as bands of solid colour, which any player shows.
    const Integer len = vertical ? rect.Height() : rect.Width();
    const Integer bands = std::min(len, 256);
    for (Integer i = 0; i < bands; ++i) {
      const Integer a = i * len / bands, b = (i + 1) * len / bands;
      const COLORREF c = BlendColors(from, to, bands > 1 ? i * 255 / (bands - 1) : 0);
      const TRect band = vertical ? TRect(rect.Left, rect.Top + a, rect.Right, rect.Top + b)
                                  : TRect(rect.Left + a, rect.Top, rect.Left + b, rect.Bottom);
      dc->recorder->FillRect(dc, band, LOGBRUSH{BS_SOLID, c, 0});
    }
    return;
  }
  QPainter* p = gdi::Painter(dc);
  if (!p) return;
  p->setTransform(gdi::PainterTransform(dc));
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  const QRectF r(rect.Left, rect.Top, rect.Width(), rect.Height());
  QLinearGradient g(r.topLeft(), vertical ? r.bottomLeft() : r.topRight());
  g.setColorAt(0, gdi::ToQColor(from));
  g.setColorAt(1, gdi::ToQColor(to));
  p->fillRect(r, g);
}

// ---- blits ----

namespace {

struct RopPlan {
  bool usesSource = true;
  bool usesBrush = false;
  QPainter::CompositionMode mode = QPainter::CompositionMode_Source;
};

bool PlanRop(DWORD rop, RopPlan& plan) {
  switch (rop) {
    case SRCCOPY:
      plan = {true, false, QPainter::CompositionMode_Source};
      return true;
    case SRCAND:
      plan = {true, false, QPainter::RasterOp_SourceAndDestination};
      return true;
    case SRCPAINT:
      plan = {true, false, QPainter::RasterOp_SourceOrDestination};
      return true;
    case SRCINVERT:
      plan = {true, false, QPainter::RasterOp_SourceXorDestination};
      return true;
    case NOTSRCCOPY:
      plan = {true, false, QPainter::RasterOp_NotSource};
      return true;
    case SRCERASE:
      plan = {true, false, QPainter::RasterOp_SourceAndNotDestination};
      return true;
    case MERGEPAINT:
      plan = {true, false, QPainter::RasterOp_NotSourceOrDestination};
      return true;
    case NOTSRCERASE:
      plan = {true, false, QPainter::RasterOp_NotSourceAndNotDestination};
      return true;
    case DSTINVERT:
      plan = {false, false, QPainter::RasterOp_NotDestination};
      return true;
    case PATCOPY:
      plan = {false, true, QPainter::CompositionMode_SourceOver};
      return true;
    case PATINVERT:
      plan = {false, true, QPainter::RasterOp_SourceXorDestination};
      return true;
    case BLACKNESS:
    case WHITENESS:
      plan = {false, false, QPainter::CompositionMode_Source};
      return true;
    default:
      return false;
  }
}

// Source pixels as opaque 32-bit colour, the form blits work in.
QImage Opaque(const QImage& img) {
  if (img.format() == QImage::Format_RGB32) return img;
  QImage out = img.convertToFormat(QImage::Format_ARGB32);
  out.reinterpretAsFormat(QImage::Format_RGB32);
  return out;
}

QRect SourceRectDevice(HDC src, Integer x, Integer y, Integer w, Integer h) {
  return gdi::DeviceTransform(src).mapRect(QRectF(x, y, w, h)).toRect();
}

void BlitImage(HDC dest, QPainter* p, const QRectF& target, const QImage& src, const RopPlan& plan,
               DWORD rop) {
  const bool raster = IsRasterDevice(p);
  p->setTransform(gdi::PainterTransform(dest));
  p->setRenderHint(QPainter::SmoothPixmapTransform, dest->st.stretchMode == HALFTONE);
  if (!plan.usesSource) {
    p->setCompositionMode(raster ? plan.mode : QPainter::CompositionMode_SourceOver);
    QBrush brush(Qt::black);
    if (rop == WHITENESS)
      brush = QBrush(Qt::white);
    else if (plan.usesBrush)
      brush = MakeBrush(dest->st.brush, dest->st.brushPattern);
    else if (rop == DSTINVERT)
      brush = QBrush(Qt::black);
    if (!raster && rop == DSTINVERT) return;
    p->fillRect(target, brush);
  } else {
    QPainter::CompositionMode mode = plan.mode;
    if (!raster) mode = QPainter::CompositionMode_SourceOver;
    p->setCompositionMode(mode);
    // A copy onto a 32-bit destination keeps the alpha bytes of the source, as a byte copy would.
    const bool keepAlpha = rop == SRCCOPY && raster && dest->kind == TDcKind::Memory &&
                           static_cast<TGdiBitmap*>(dest->bitmap)->image.hasAlphaChannel() &&
                           src.hasAlphaChannel();
    if (keepAlpha)
      p->drawImage(target, src.convertToFormat(QImage::Format_ARGB32));
    else
      p->drawImage(target, Opaque(src));
  }
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

}  // namespace

bool StretchBlt(HDC dest, Integer x, Integer y, Integer width, Integer height, HDC src, Integer xSrc,
                Integer ySrc, Integer widthSrc, Integer heightSrc, DWORD rop) {
  if (!dest) return false;
  RopPlan plan;
  if (!PlanRop(rop, plan)) rop = SRCCOPY, PlanRop(rop, plan);
  QImage source;
  if (plan.usesSource) {
    if (!src || !gdi::SourceImage(src)) return false;
    if (src == dest) {
      source = SourceSubImage(src, SourceRectDevice(src, xSrc, ySrc, widthSrc, heightSrc));
    } else {
      source = SourceSubImage(src, SourceRectDevice(src, xSrc, ySrc, widthSrc, heightSrc));
    }
    // Negative sizes mirror.
    if ((width < 0) != (widthSrc < 0) || (height < 0) != (heightSrc < 0))
      source = source.mirrored((width < 0) != (widthSrc < 0), (height < 0) != (heightSrc < 0));
  }
  const TRect target = Normalized(x, y, x + width, y + height);
  if (dest->recorder) {
    if (plan.usesSource)
      dest->recorder->Image(dest, target, source, rop);
    else if (rop == PATCOPY)
      dest->recorder->FillRect(dest, target, dest->st.brush);
    else if (rop == BLACKNESS || rop == WHITENESS)
      dest->recorder->FillRect(dest, target, LOGBRUSH{BS_SOLID, rop == WHITENESS ? 0xFFFFFFu : 0u, 0});
    return true;
  }
  QPainter* p = gdi::Painter(dest);
  if (!p) return true;
  BlitImage(dest, p, QRectF(target.Left, target.Top, target.Width(), target.Height()), source, plan, rop);
  return true;
}

bool BitBlt(HDC dest, Integer x, Integer y, Integer width, Integer height, HDC src, Integer xSrc,
            Integer ySrc, DWORD rop) {
  return StretchBlt(dest, x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

bool PatBlt(HDC dc, Integer x, Integer y, Integer width, Integer height, DWORD rop) {
  return StretchBlt(dc, x, y, width, height, nullptr, 0, 0, 0, 0, rop);
}

bool AlphaBlend(HDC dest, Integer x, Integer y, Integer width, Integer height, HDC src, Integer xSrc,
                Integer ySrc, Integer widthSrc, Integer heightSrc, BLENDFUNCTION blend) {
  if (!dest || !src || !gdi::SourceImage(src) || width < 0 || height < 0 || widthSrc < 0 || heightSrc < 0)
    return false;
  QImage source = SourceSubImage(src, SourceRectDevice(src, xSrc, ySrc, widthSrc, heightSrc));
  // Per-pixel alpha is premultiplied, as the original expects of its callers.
  if (blend.AlphaFormat & AC_SRC_ALPHA) {
    source = source.convertToFormat(QImage::Format_ARGB32);
    source.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
  } else {
    source = Opaque(source);
  }
  const TRect target(x, y, x + width, y + height);
  if (dest->recorder) {
    dest->recorder->Alpha(dest, target, source, blend);
    return true;
  }
  QPainter* p = gdi::Painter(dest);
  if (!p) return true;
  p->setTransform(gdi::PainterTransform(dest));
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->setOpacity(blend.SourceConstantAlpha / 255.0);
  p->drawImage(QRectF(x, y, width, height), source);
  p->setOpacity(1.0);
  return true;
}

bool TransparentBlt(HDC dest, Integer x, Integer y, Integer width, Integer height, HDC src, Integer xSrc,
                    Integer ySrc, Integer widthSrc, Integer heightSrc, UINT transparent) {
  if (!dest || !src || !gdi::SourceImage(src)) return false;
  QImage source = SourceSubImage(src, SourceRectDevice(src, xSrc, ySrc, widthSrc, heightSrc))
                      .convertToFormat(QImage::Format_ARGB32);
  const QRgb key = gdi::ToQColor(transparent).rgb() & 0xFFFFFF;
  for (int row = 0; row < source.height(); ++row) {
    auto* line = reinterpret_cast<QRgb*>(source.scanLine(row));
    for (int col = 0; col < source.width(); ++col)
      line[col] = (line[col] & 0xFFFFFF) == key ? 0 : (line[col] | 0xFF000000);
  }
  const TRect target(x, y, x + width, y + height);
  if (dest->recorder) {
    dest->recorder->Alpha(dest, target, source.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                          BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
    return true;
  }
  QPainter* p = gdi::Painter(dest);
  if (!p) return true;
  p->setTransform(gdi::PainterTransform(dest));
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->drawImage(QRectF(x, y, width, height), source);
  return true;
}
