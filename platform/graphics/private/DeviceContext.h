// Inside the device-context layer: GDI objects and contexts over Qt. Only platform libraries include
// this header; it brings Qt in.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QTransform>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/graphics/Gdi.h"

struct TGdiObject {
  explicit TGdiObject(Integer t) : type(t) {}
  virtual ~TGdiObject() = default;
  Integer type;
  bool stock = false;   // never deleted
  bool shared = false;  // owned by a cache (font handles of TFont)
  Integer selectCount = 0;
  bool pendingDelete = false;
};

struct TGdiPen : TGdiObject {
  TGdiPen() : TGdiObject(OBJ_PEN) {}
  LOGPEN lp;
};

struct TGdiBitmap;

struct TGdiBrush : TGdiObject {
  TGdiBrush() : TGdiObject(OBJ_BRUSH) {}
  LOGBRUSH lb;
  QImage pattern;  // BS_PATTERN
};

struct TGdiFont : TGdiObject {
  TGdiFont() : TGdiObject(OBJ_FONT) {}
  LOGFONTW lf;
};

struct TGdiBitmap : TGdiObject {
  TGdiBitmap() : TGdiObject(OBJ_BITMAP) {}
  QImage image;
  bool monochrome = false;
  TDeviceContext* paintingDc = nullptr;  // the context whose painter is open on the image
};

struct TGdiRegion : TGdiObject {
  TGdiRegion() : TGdiObject(OBJ_REGION) {}
  QRegion region;
};

enum class TDcKind { Info, Memory, Painter, Printer, Metafile };

struct TDcState {
  LOGPEN pen{PS_SOLID, {0, 0}, 0};
  HPEN penHandle = nullptr;
  LOGBRUSH brush{BS_SOLID, 0xFFFFFF, 0};
  QImage brushPattern;
  HBRUSH brushHandle = nullptr;
  LOGFONTW font;
  HFONT fontHandle = nullptr;
  COLORREF textColor = 0;
  COLORREF bkColor = 0xFFFFFF;
  Integer bkMode = OPAQUE;
  UINT textAlign = 0;
  Integer rop2 = R2_COPYPEN;
  Integer mapMode = MM_TEXT;
  TPoint winOrg, vpOrg;
  TSize winExt{1, 1}, vpExt{1, 1};
  Integer graphicsMode = GM_COMPATIBLE;
  XFORM world;
  DWORD layout = 0;
  TPoint curPos;
  std::optional<QRegion> clip;  // device units
  Integer charExtra = 0;
  Integer stretchMode = BLACKONWHITE;
  TPoint brushOrg;
};

class TDcRecorder;

struct TDeviceContext {
  TDcKind kind = TDcKind::Info;
  TDcState st;
  std::vector<TDcState> saved;
  HBITMAP bitmap = nullptr;             // memory contexts
  QPaintDevice* device = nullptr;       // painter and printer contexts
  QPainter* externalPainter = nullptr;  // a painter someone else opened (widgets)
  std::unique_ptr<QPainter> ownPainter;
  Integer dpiX = 96, dpiY = 96;
  Integer width = 0, height = 0;               // device pixels
  std::function<Integer(Integer index)> caps;  // device capabilities beyond the basic ones
  TDcRecorder* recorder = nullptr;             // metafile contexts
  // Metafile playback maps the picture's logical space into the target and keeps its clip.
  QTransform base;
  std::optional<QRegion> baseClip;
  // A painter handed in by a widget keeps its own origin and clip under ours.
  QTransform deviceOrigin;
  std::optional<QRegion> deviceClip;
  // Caches derived from the state.
  bool fontValid = false;
  QFont qfont;
  std::unique_ptr<QFontMetricsF> metrics;
  // Advances of the first characters (Latin and Cyrillic) in the font, filled as they are asked for
  // (negative: not yet): measuring asks the font engine for each character, which cell text repeats.
  std::vector<double> advances;
  bool painterStateValid = false;
};

// The recorder of a metafile context: the layer tells it each operation in logical units.
class TDcRecorder {
 public:
  virtual ~TDcRecorder() = default;
  virtual void SaveDC(HDC dc) = 0;
  virtual void RestoreDC(HDC dc, Integer level) = 0;
  virtual void ClipIntersect(HDC dc, const TRect& r) = 0;
  virtual void ClipExclude(HDC dc, const TRect& r) = 0;
  virtual void ClipSelect(HDC dc, const QRegion* deviceRegion, Integer mode) = 0;
  virtual void MoveTo(HDC dc, TPoint p) = 0;
  virtual void LineTo(HDC dc, TPoint p) = 0;
  virtual void Poly(HDC dc, const TPoint* points, Integer count, bool polygon) = 0;
  virtual void PolyPoly(HDC dc, const TPoint* points, const DWORD* counts, Integer n, bool polygon) = 0;
  virtual void Rectangle(HDC dc, const TRect& r) = 0;
  virtual void RoundRect(HDC dc, const TRect& r, TSize corner) = 0;
  virtual void Ellipse(HDC dc, const TRect& r) = 0;
  // kind: 0 arc, 1 pie, 2 chord
  virtual void ArcLike(HDC dc, Integer kind, const TRect& r, TPoint start, TPoint end) = 0;
  virtual void SetPixel(HDC dc, TPoint p, COLORREF c) = 0;
  virtual void Text(HDC dc, TPoint p, UINT options, const TRect* rect, const String& text,
                    const std::vector<Integer>& dx) = 0;
  virtual void Image(HDC dc, const TRect& dest, const QImage& src, DWORD rop) = 0;
  virtual void Alpha(HDC dc, const TRect& dest, const QImage& src, BLENDFUNCTION blend) = 0;
  virtual void FillRect(HDC dc, const TRect& r, const LOGBRUSH& brush) = 0;
};

namespace gdi {

inline QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
inline COLORREF FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

bool IsValid(HDC dc);
// The painter open on the context's device with the state applied; nullptr where nothing draws.
QPainter* Painter(HDC dc);
// Closes the context's own painter (before its pixels are read or its device changes).
void EndPainting(HDC dc);
// The pixels of a bitmap, with any painter on them closed first.
QImage& Pixels(HBITMAP bitmap);
// Logical -> device, and logical -> the painter's coordinates (a widget painter's origin added).
QTransform DeviceTransform(HDC dc);
QTransform PainterTransform(HDC dc);
// The font of the context's state, pixel-sized in logical units, and its metrics.
const QFont& Font(HDC dc);
const QFontMetricsF& Metrics(HDC dc);
// Converts a face name of the forms to an installed metric-compatible family.
QString MapFamily(const String& face);
QFont FontFromLogFont(const LOGFONTW& lf);
// Clip in device units, the playback clip included; nullopt when nothing clips.
std::optional<QRegion> EffectiveClip(HDC dc);
void InvalidatePainterState(HDC dc);
// Makes a context over someone else's painter (widget painting) or a device of ours.
HDC CreatePainterDC(QPainter* painter, Integer width, Integer height, Integer dpi = 96);
HDC CreateDeviceDC(QPaintDevice* device, TDcKind kind, Integer width, Integer height, Integer dpiX,
                   Integer dpiY);
// Replaces the painter of a painter context (a widget's next paint event).
void SetDCPainter(HDC dc, QPainter* painter, Integer width, Integer height);
HDC CreateRecordingDC(TDcRecorder* recorder, Integer width, Integer height, Integer dpiX, Integer dpiY);
// Advances of each character of text in logical units (rounded cumulatively), as recorded in
// metafiles and used by GetTextExtentExPoint.
std::vector<Integer> Advances(HDC dc, const String& text);
Integer TextWidth(HDC dc, const String& text);
// The source pixels of a context for blits: its bitmap, or nullptr.
const QImage* SourceImage(HDC dc);

}  // namespace gdi
