// The device-context layer under TCanvas: opaque HDC and GDI-object handles and the drawing, text,
// clipping, mapping and blitting calls the libraries make by name, with their constants.
#pragma once

#include "platform/graphics/Colors.h"
#include "platform/graphics/Geometry.h"

struct TDeviceContext;
struct TGdiObject;
using HDC = TDeviceContext*;
using HGDIOBJ = TGdiObject*;
using HPEN = TGdiObject*;
using HBRUSH = TGdiObject*;
using HFONT = TGdiObject*;
using HBITMAP = TGdiObject*;
using HRGN = TGdiObject*;
using HPALETTE = TGdiObject*;
using HWND = void*;
using UINT = Cardinal;
using DWORD = Cardinal;
using BOOL = bool;

struct LOGPEN {
  UINT lopnStyle = 0;
  TPoint lopnWidth;
  COLORREF lopnColor = 0;
};

struct LOGBRUSH {
  UINT lbStyle = 0;
  COLORREF lbColor = 0;
  NativeInt lbHatch = 0;
};

constexpr Integer LF_FACESIZE = 32;
struct LOGFONTW {
  Integer lfHeight = 0;
  Integer lfWidth = 0;
  Integer lfEscapement = 0;
  Integer lfOrientation = 0;
  Integer lfWeight = 0;
  Byte lfItalic = 0;
  Byte lfUnderline = 0;
  Byte lfStrikeOut = 0;
  Byte lfCharSet = 0;
  Byte lfOutPrecision = 0;
  Byte lfClipPrecision = 0;
  Byte lfQuality = 0;
  Byte lfPitchAndFamily = 0;
  Char lfFaceName[LF_FACESIZE] = {};
};
using LOGFONT = LOGFONTW;
using TLogFont = LOGFONTW;

struct TEXTMETRICW {
  Integer tmHeight = 0;
  Integer tmAscent = 0;
  Integer tmDescent = 0;
  Integer tmInternalLeading = 0;
  Integer tmExternalLeading = 0;
  Integer tmAveCharWidth = 0;
  Integer tmMaxCharWidth = 0;
  Integer tmWeight = 0;
  Integer tmOverhang = 0;
  Integer tmDigitizedAspectX = 96;
  Integer tmDigitizedAspectY = 96;
  Char tmFirstChar = 0x20;
  Char tmLastChar = 0xFFFC;
  Char tmDefaultChar = 0x1F;
  Char tmBreakChar = 0x20;
  Byte tmItalic = 0;
  Byte tmUnderlined = 0;
  Byte tmStruckOut = 0;
  Byte tmPitchAndFamily = 0;
  Byte tmCharSet = 0;
};
using TEXTMETRIC = TEXTMETRICW;
using TTextMetric = TEXTMETRICW;

// Margins are in logical units and the tab length in average character widths, as the original
// behaves (whatever its documentation says of the margins).
struct DRAWTEXTPARAMS {
  UINT cbSize = sizeof(DRAWTEXTPARAMS);
  Integer iTabLength = 0;
  Integer iLeftMargin = 0;
  Integer iRightMargin = 0;
  UINT uiLengthDrawn = 0;
};
using TDrawTextParams = DRAWTEXTPARAMS;

struct XFORM {
  Single eM11 = 1, eM12 = 0, eM21 = 0, eM22 = 1, eDx = 0, eDy = 0;
  friend bool operator==(const XFORM&, const XFORM&) = default;
};

struct BLENDFUNCTION {
  Byte BlendOp = 0;
  Byte BlendFlags = 0;
  Byte SourceConstantAlpha = 255;
  Byte AlphaFormat = 0;
};
constexpr Byte AC_SRC_OVER = 0;
constexpr Byte AC_SRC_ALPHA = 1;

struct BITMAP {
  Integer bmType = 0;
  Integer bmWidth = 0;
  Integer bmHeight = 0;
  Integer bmWidthBytes = 0;
  Word bmPlanes = 1;
  Word bmBitsPixel = 32;
  void* bmBits = nullptr;
};

// ---- constants ----
enum : UINT {
  PS_SOLID = 0,
  PS_DASH = 1,
  PS_DOT = 2,
  PS_DASHDOT = 3,
  PS_DASHDOTDOT = 4,
  PS_NULL = 5,
  PS_INSIDEFRAME = 6,
  PS_STYLE_MASK = 0xF,
  PS_ENDCAP_ROUND = 0,
  PS_ENDCAP_SQUARE = 0x100,
  PS_ENDCAP_FLAT = 0x200,
  PS_JOIN_ROUND = 0,
  PS_JOIN_BEVEL = 0x1000,
  PS_JOIN_MITER = 0x2000,
  PS_COSMETIC = 0,
  PS_GEOMETRIC = 0x10000,
};
enum : UINT { BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = 1, BS_HATCHED = 2, BS_PATTERN = 3, BS_DIBPATTERN = 5 };
enum : Integer {
  HS_HORIZONTAL = 0,
  HS_VERTICAL = 1,
  HS_FDIAGONAL = 2,
  HS_BDIAGONAL = 3,
  HS_CROSS = 4,
  HS_DIAGCROSS = 5
};
enum : Integer {
  FW_DONTCARE = 0,
  FW_THIN = 100,
  FW_LIGHT = 300,
  FW_NORMAL = 400,
  FW_MEDIUM = 500,
  FW_SEMIBOLD = 600,
  FW_BOLD = 700,
  FW_HEAVY = 900,
};
enum : Byte {
  ANSI_CHARSET = 0,
  DEFAULT_CHARSET = 1,
  SYMBOL_CHARSET = 2,
  RUSSIAN_CHARSET = 204,
  OEM_CHARSET = 255
};
enum : Byte { DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2 };
enum : Byte {
  DEFAULT_QUALITY = 0,
  DRAFT_QUALITY = 1,
  PROOF_QUALITY = 2,
  NONANTIALIASED_QUALITY = 3,
  ANTIALIASED_QUALITY = 4,
  CLEARTYPE_QUALITY = 5,
};
enum : Integer {
  WHITE_BRUSH = 0,
  LTGRAY_BRUSH = 1,
  GRAY_BRUSH = 2,
  DKGRAY_BRUSH = 3,
  BLACK_BRUSH = 4,
  NULL_BRUSH = 5,
  HOLLOW_BRUSH = 5,
  WHITE_PEN = 6,
  BLACK_PEN = 7,
  NULL_PEN = 8,
  OEM_FIXED_FONT = 10,
  ANSI_FIXED_FONT = 11,
  ANSI_VAR_FONT = 12,
  SYSTEM_FONT = 13,
  DEVICE_DEFAULT_FONT = 14,
  DEFAULT_PALETTE = 15,
  SYSTEM_FIXED_FONT = 16,
  DEFAULT_GUI_FONT = 17,
  DC_BRUSH = 18,
  DC_PEN = 19,
};
enum : Integer {
  OBJ_PEN = 1,
  OBJ_BRUSH = 2,
  OBJ_DC = 3,
  OBJ_PAL = 5,
  OBJ_FONT = 6,
  OBJ_BITMAP = 7,
  OBJ_REGION = 8
};
enum : Integer { TRANSPARENT = 1, OPAQUE = 2 };
enum : Integer {
  R2_BLACK = 1,
  R2_NOTMERGEPEN = 2,
  R2_MASKNOTPEN = 3,
  R2_NOTCOPYPEN = 4,
  R2_MASKPENNOT = 5,
  R2_NOT = 6,
  R2_XORPEN = 7,
  R2_NOTMASKPEN = 8,
  R2_MASKPEN = 9,
  R2_NOTXORPEN = 10,
  R2_NOP = 11,
  R2_MERGENOTPEN = 12,
  R2_COPYPEN = 13,
  R2_MERGEPENNOT = 14,
  R2_MERGEPEN = 15,
  R2_WHITE = 16,
};
enum : UINT {
  TA_NOUPDATECP = 0,
  TA_UPDATECP = 1,
  TA_LEFT = 0,
  TA_RIGHT = 2,
  TA_CENTER = 6,
  TA_TOP = 0,
  TA_BOTTOM = 8,
  TA_BASELINE = 24,
  TA_RTLREADING = 256,
};
enum : UINT {
  ETO_OPAQUE = 2,
  ETO_CLIPPED = 4,
  ETO_GLYPH_INDEX = 0x10,
  ETO_RTLREADING = 0x80,
  ETO_PDY = 0x2000
};
enum : UINT {
  DT_TOP = 0,
  DT_LEFT = 0,
  DT_CENTER = 1,
  DT_RIGHT = 2,
  DT_VCENTER = 4,
  DT_BOTTOM = 8,
  DT_WORDBREAK = 0x10,
  DT_SINGLELINE = 0x20,
  DT_EXPANDTABS = 0x40,
  DT_TABSTOP = 0x80,
  DT_NOCLIP = 0x100,
  DT_EXTERNALLEADING = 0x200,
  DT_CALCRECT = 0x400,
  DT_NOPREFIX = 0x800,
  DT_INTERNAL = 0x1000,
  DT_EDITCONTROL = 0x2000,
  DT_PATH_ELLIPSIS = 0x4000,
  DT_END_ELLIPSIS = 0x8000,
  DT_MODIFYSTRING = 0x10000,
  DT_RTLREADING = 0x20000,
  DT_WORD_ELLIPSIS = 0x40000,
  DT_NOFULLWIDTHCHARBREAK = 0x80000,
  DT_HIDEPREFIX = 0x100000,
  DT_PREFIXONLY = 0x200000,
};
enum : Integer {
  MM_TEXT = 1,
  MM_LOMETRIC = 2,
  MM_HIMETRIC = 3,
  MM_LOENGLISH = 4,
  MM_HIENGLISH = 5,
  MM_TWIPS = 6,
  MM_ISOTROPIC = 7,
  MM_ANISOTROPIC = 8,
};
enum : Integer { GM_COMPATIBLE = 1, GM_ADVANCED = 2 };
enum : DWORD { MWT_IDENTITY = 1, MWT_LEFTMULTIPLY = 2, MWT_RIGHTMULTIPLY = 3 };
enum : DWORD { LAYOUT_RTL = 1, LAYOUT_BITMAPORIENTATIONPRESERVED = 8 };
enum : Integer { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum : Integer { RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
constexpr Integer GDI_ERROR = -1;
enum : DWORD {
  SRCCOPY = 0x00CC0020,
  SRCPAINT = 0x00EE0086,
  SRCAND = 0x008800C6,
  SRCINVERT = 0x00660046,
  SRCERASE = 0x00440328,
  NOTSRCCOPY = 0x00330008,
  NOTSRCERASE = 0x001100A6,
  MERGECOPY = 0x00C000CA,
  MERGEPAINT = 0x00BB0226,
  PATCOPY = 0x00F00021,
  PATPAINT = 0x00FB0A09,
  PATINVERT = 0x005A0049,
  DSTINVERT = 0x00550009,
  BLACKNESS = 0x00000042,
  WHITENESS = 0x00FF0062,
};
enum : Integer {
  HORZSIZE = 4,
  VERTSIZE = 6,
  HORZRES = 8,
  VERTRES = 10,
  BITSPIXEL = 12,
  PLANES = 14,
  NUMCOLORS = 24,
  RASTERCAPS = 38,
  LOGPIXELSX = 88,
  LOGPIXELSY = 90,
  SIZEPALETTE = 104,
  PHYSICALWIDTH = 110,
  PHYSICALHEIGHT = 111,
  PHYSICALOFFSETX = 112,
  PHYSICALOFFSETY = 113,
  TECHNOLOGY = 2,
};
enum : Integer { DT_PLOTTER = 0, DT_RASDISPLAY = 1, DT_RASPRINTER = 2, DT_METAFILE = 5 };
enum : Integer { RC_BITBLT = 1, RC_STRETCHBLT = 0x800, RC_STRETCHDIB = 0x2000, RC_DI_BITMAP = 0x80 };
enum : Integer { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };

// DrawEdge
enum : UINT {
  BDR_RAISEDOUTER = 1,
  BDR_SUNKENOUTER = 2,
  BDR_RAISEDINNER = 4,
  BDR_SUNKENINNER = 8,
  BDR_OUTER = 3,
  BDR_INNER = 0xC,
  BDR_RAISED = 5,
  BDR_SUNKEN = 10,
  EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
  EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
  EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
  EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
  BF_LEFT = 1,
  BF_TOP = 2,
  BF_RIGHT = 4,
  BF_BOTTOM = 8,
  BF_TOPLEFT = 3,
  BF_BOTTOMRIGHT = 12,
  BF_RECT = 15,
  BF_DIAGONAL = 0x10,
  BF_MIDDLE = 0x800,
  BF_SOFT = 0x1000,
  BF_ADJUST = 0x2000,
  BF_FLAT = 0x4000,
  BF_MONO = 0x8000,
};
// DrawFrameControl
enum : UINT { DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4, DFC_POPUPMENU = 5 };
enum : UINT {
  DFCS_CAPTIONCLOSE = 0,
  DFCS_CAPTIONMIN = 1,
  DFCS_CAPTIONMAX = 2,
  DFCS_CAPTIONRESTORE = 3,
  DFCS_CAPTIONHELP = 4,
  DFCS_MENUARROW = 0,
  DFCS_MENUCHECK = 1,
  DFCS_MENUBULLET = 2,
  DFCS_MENUARROWRIGHT = 4,
  DFCS_SCROLLUP = 0,
  DFCS_SCROLLDOWN = 1,
  DFCS_SCROLLLEFT = 2,
  DFCS_SCROLLRIGHT = 3,
  DFCS_SCROLLCOMBOBOX = 5,
  DFCS_SCROLLSIZEGRIP = 8,
  DFCS_SCROLLSIZEGRIPRIGHT = 0x10,
  DFCS_BUTTONCHECK = 0,
  DFCS_BUTTONRADIOIMAGE = 1,
  DFCS_BUTTONRADIOMASK = 2,
  DFCS_BUTTONRADIO = 4,
  DFCS_BUTTON3STATE = 8,
  DFCS_BUTTONPUSH = 0x10,
  DFCS_INACTIVE = 0x100,
  DFCS_PUSHED = 0x200,
  DFCS_CHECKED = 0x400,
  DFCS_TRANSPARENT = 0x800,
  DFCS_HOT = 0x1000,
  DFCS_ADJUSTRECT = 0x2000,
  DFCS_FLAT = 0x4000,
  DFCS_MONO = 0x8000,
};
// GetSystemMetrics
enum : Integer {
  SM_CXSCREEN = 0,
  SM_CYSCREEN = 1,
  SM_CXVSCROLL = 2,
  SM_CYHSCROLL = 3,
  SM_CYCAPTION = 4,
  SM_CXBORDER = 5,
  SM_CYBORDER = 6,
  SM_CXDLGFRAME = 7,
  SM_CYDLGFRAME = 8,
  SM_CYVTHUMB = 9,
  SM_CXHTHUMB = 10,
  SM_CXICON = 11,
  SM_CYICON = 12,
  SM_CXCURSOR = 13,
  SM_CYCURSOR = 14,
  SM_CYMENU = 15,
  SM_CXFULLSCREEN = 16,
  SM_CYFULLSCREEN = 17,
  SM_CYVSCROLL = 20,
  SM_CXHSCROLL = 21,
  SM_SWAPBUTTON = 23,
  SM_CXMIN = 28,
  SM_CYMIN = 29,
  SM_CXSIZE = 30,
  SM_CYSIZE = 31,
  SM_CXFRAME = 32,
  SM_CYFRAME = 33,
  SM_CXMINTRACK = 34,
  SM_CYMINTRACK = 35,
  SM_CXDOUBLECLK = 36,
  SM_CYDOUBLECLK = 37,
  SM_CXICONSPACING = 38,
  SM_CYICONSPACING = 39,
  SM_MENUDROPALIGNMENT = 40,
  SM_CXEDGE = 45,
  SM_CYEDGE = 46,
  SM_CXSMICON = 49,
  SM_CYSMICON = 50,
  SM_CYSMCAPTION = 51,
  SM_CXSMSIZE = 52,
  SM_CYSMSIZE = 53,
  SM_CXMENUSIZE = 54,
  SM_CYMENUSIZE = 55,
  SM_CXMENUCHECK = 71,
  SM_CYMENUCHECK = 72,
  SM_CXDRAG = 68,
  SM_CYDRAG = 69,
  SM_CXVIRTUALSCREEN = 78,
  SM_CYVIRTUALSCREEN = 79,
  SM_CMONITORS = 80,
  SM_CXFOCUSBORDER = 83,
  SM_CYFOCUSBORDER = 84,
};
Integer GetSystemMetrics(Integer index);

// ---- device contexts ----
// A screen-compatible context for measuring: 96 dpi, nothing to draw on.
HDC GetDC(HWND window);
Integer ReleaseDC(HWND window, HDC dc);
// A context that only measures, standing for a device of that size and resolution (the reference
// device of a metafile recorded for a printer, for instance). Freed with DeleteDC.
HDC CreateInfoDC(Integer width, Integer height, Integer dpiX, Integer dpiY);
// A memory context with a 1 x 1 bitmap selected, until the caller selects its own.
HDC CreateCompatibleDC(HDC dc);
bool DeleteDC(HDC dc);
Integer GetDeviceCaps(HDC dc, Integer index);
Integer SaveDC(HDC dc);
// A positive level restores that saved state; a negative one counts back from the last.
bool RestoreDC(HDC dc, Integer savedDc);

// ---- objects ----
HPEN CreatePen(Integer style, Integer width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* pen);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(Integer hatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
HBRUSH GetSysColorBrush(Integer index);
HFONT CreateFontIndirect(const LOGFONTW* font);
inline HFONT CreateFontIndirectW(const LOGFONTW* font) { return CreateFontIndirect(font); }
HBITMAP CreateCompatibleBitmap(HDC dc, Integer width, Integer height);
// 32 bits per pixel keep their alpha; 1 bit per pixel is a monochrome bitmap.
HBITMAP CreateBitmap(Integer width, Integer height, UINT planes, UINT bitsPerPixel, const void* bits);
HGDIOBJ GetStockObject(Integer index);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HGDIOBJ GetCurrentObject(HDC dc, UINT objectType);
// Stock objects and objects selected into a context are not deleted (false).
bool DeleteObject(HGDIOBJ object);
Integer GetObjectType(HGDIOBJ object);
// Fills a LOGPEN, LOGBRUSH, LOGFONTW or BITMAP; answers the bytes written.
Integer GetObject(HGDIOBJ object, Integer size, void* buffer);
inline Integer GetObjectW(HGDIOBJ object, Integer size, void* buffer) {
  return GetObject(object, size, buffer);
}
HPALETTE SelectPalette(HDC dc, HPALETTE palette, bool forceBackground);
UINT RealizePalette(HDC dc);

// ---- state ----
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
Integer SetBkMode(HDC dc, Integer mode);
Integer GetBkMode(HDC dc);
UINT SetTextAlign(HDC dc, UINT align);
UINT GetTextAlign(HDC dc);
Integer SetROP2(HDC dc, Integer mode);
Integer GetROP2(HDC dc);
Integer SetStretchBltMode(HDC dc, Integer mode);
bool SetBrushOrgEx(HDC dc, Integer x, Integer y, TPoint* old);
Integer SetTextCharacterExtra(HDC dc, Integer extra);

// ---- coordinates ----
Integer SetMapMode(HDC dc, Integer mode);
Integer GetMapMode(HDC dc);
bool SetWindowOrgEx(HDC dc, Integer x, Integer y, TPoint* old);
bool SetWindowExtEx(HDC dc, Integer x, Integer y, TSize* old);
bool SetViewportOrgEx(HDC dc, Integer x, Integer y, TPoint* old);
bool SetViewportExtEx(HDC dc, Integer x, Integer y, TSize* old);
bool GetWindowOrgEx(HDC dc, TPoint* p);
bool GetWindowExtEx(HDC dc, TSize* s);
bool GetViewportOrgEx(HDC dc, TPoint* p);
bool GetViewportExtEx(HDC dc, TSize* s);
bool OffsetWindowOrgEx(HDC dc, Integer dx, Integer dy, TPoint* old);
bool OffsetViewportOrgEx(HDC dc, Integer dx, Integer dy, TPoint* old);
bool LPtoDP(HDC dc, TPoint* points, Integer count);
bool DPtoLP(HDC dc, TPoint* points, Integer count);
Integer SetGraphicsMode(HDC dc, Integer mode);
Integer GetGraphicsMode(HDC dc);
// Needs GM_ADVANCED, as on the original system.
bool SetWorldTransform(HDC dc, const XFORM* xform);
bool GetWorldTransform(HDC dc, XFORM* xform);
bool ModifyWorldTransform(HDC dc, const XFORM* xform, DWORD mode);
// LAYOUT_RTL mirrors the x axis of the context; text stays readable.
DWORD SetLayout(HDC dc, DWORD layout);
DWORD GetLayout(HDC dc);

// ---- clipping (regions are in device units) ----
HRGN CreateRectRgn(Integer left, Integer top, Integer right, Integer bottom);
HRGN CreateRectRgnIndirect(const TRect* rect);
HRGN CreateEllipticRgn(Integer left, Integer top, Integer right, Integer bottom);
Integer CombineRgn(HRGN dest, HRGN src1, HRGN src2, Integer mode);
Integer OffsetRgn(HRGN rgn, Integer dx, Integer dy);
Integer GetRgnBox(HRGN rgn, TRect* rect);
bool PtInRegion(HRGN rgn, Integer x, Integer y);
bool RectInRegion(HRGN rgn, const TRect* rect);
bool EqualRgn(HRGN a, HRGN b);
bool SetRectRgn(HRGN rgn, Integer left, Integer top, Integer right, Integer bottom);
Integer SelectClipRgn(HDC dc, HRGN rgn);
Integer ExtSelectClipRgn(HDC dc, HRGN rgn, Integer mode);
// 1 with a copy of the clip region in rgn, 0 when the context has none, -1 on error.
Integer GetClipRgn(HDC dc, HRGN rgn);
// In logical units; the whole device when nothing clips.
Integer GetClipBox(HDC dc, TRect* rect);
Integer IntersectClipRect(HDC dc, Integer left, Integer top, Integer right, Integer bottom);
Integer ExcludeClipRect(HDC dc, Integer left, Integer top, Integer right, Integer bottom);
bool RectVisible(HDC dc, const TRect* rect);
bool PtVisible(HDC dc, Integer x, Integer y);
bool FillRgn(HDC dc, HRGN rgn, HBRUSH brush);
bool FrameRgn(HDC dc, HRGN rgn, HBRUSH brush, Integer width, Integer height);

// ---- drawing ----
bool MoveToEx(HDC dc, Integer x, Integer y, TPoint* old);
// Draws from the current position up to, not including, the end point.
bool LineTo(HDC dc, Integer x, Integer y);
bool GetCurrentPositionEx(HDC dc, TPoint* p);
bool Polyline(HDC dc, const TPoint* points, Integer count);
bool PolylineTo(HDC dc, const TPoint* points, Integer count);
bool PolyPolyline(HDC dc, const TPoint* points, const DWORD* counts, Integer polylines);
bool Polygon(HDC dc, const TPoint* points, Integer count);
bool PolyPolygon(HDC dc, const TPoint* points, const Integer* counts, Integer polygons);
bool Rectangle(HDC dc, Integer left, Integer top, Integer right, Integer bottom);
bool RoundRect(HDC dc, Integer left, Integer top, Integer right, Integer bottom, Integer width,
               Integer height);
bool Ellipse(HDC dc, Integer left, Integer top, Integer right, Integer bottom);
bool Arc(HDC dc, Integer left, Integer top, Integer right, Integer bottom, Integer x1, Integer y1, Integer x2,
         Integer y2);
bool Pie(HDC dc, Integer left, Integer top, Integer right, Integer bottom, Integer x1, Integer y1, Integer x2,
         Integer y2);
bool Chord(HDC dc, Integer left, Integer top, Integer right, Integer bottom, Integer x1, Integer y1,
           Integer x2, Integer y2);
Integer FillRect(HDC dc, const TRect* rect, HBRUSH brush);
Integer FrameRect(HDC dc, const TRect* rect, HBRUSH brush);
bool InvertRect(HDC dc, const TRect* rect);
bool DrawFocusRect(HDC dc, const TRect* rect);
COLORREF SetPixel(HDC dc, Integer x, Integer y, COLORREF color);
bool SetPixelV(HDC dc, Integer x, Integer y, COLORREF color);
// CLR_INVALID outside the device or on a context without pixels.
COLORREF GetPixel(HDC dc, Integer x, Integer y);
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
// A gradient between two colours over the rectangle, left to right or top to bottom.
void GradientFillRect(HDC dc, const TRect& rect, COLORREF from, COLORREF to, bool vertical);

// ---- text ----
bool TextOut(HDC dc, Integer x, Integer y, const Char* text, Integer count);
inline bool TextOutW(HDC dc, Integer x, Integer y, const Char* text, Integer count) {
  return TextOut(dc, x, y, text, count);
}
// dx gives the advance after each character (logical units) when not null.
bool ExtTextOut(HDC dc, Integer x, Integer y, UINT options, const TRect* rect, const Char* text, UINT count,
                const Integer* dx);
inline bool ExtTextOutW(HDC dc, Integer x, Integer y, UINT options, const TRect* rect, const Char* text,
                        UINT count, const Integer* dx) {
  return ExtTextOut(dc, x, y, options, rect, text, count, dx);
}
// count -1: up to the terminating zero. Answers the height of the text (with DT_VCENTER or
// DT_BOTTOM the offset from the top of the rectangle to the bottom of the text); 0 on failure.
Integer DrawText(HDC dc, const Char* text, Integer count, TRect* rect, UINT format);
Integer DrawTextEx(HDC dc, const Char* text, Integer count, TRect* rect, UINT format, DRAWTEXTPARAMS* params);
inline Integer DrawTextW(HDC dc, const Char* text, Integer count, TRect* rect, UINT format) {
  return DrawText(dc, text, count, rect, format);
}
inline Integer DrawTextExW(HDC dc, const Char* text, Integer count, TRect* rect, UINT format,
                           DRAWTEXTPARAMS* p) {
  return DrawTextEx(dc, text, count, rect, format, p);
}
bool GetTextMetrics(HDC dc, TEXTMETRICW* tm);
inline bool GetTextMetricsW(HDC dc, TEXTMETRICW* tm) { return GetTextMetrics(dc, tm); }
bool GetTextExtentPoint32(HDC dc, const Char* text, Integer count, TSize* size);
inline bool GetTextExtentPoint32W(HDC dc, const Char* text, Integer count, TSize* size) {
  return GetTextExtentPoint32(dc, text, count, size);
}
// fit (optional) gets how many characters fit in maxExtent; dx (optional) the extents of each prefix.
bool GetTextExtentExPoint(HDC dc, const Char* text, Integer count, Integer maxExtent, Integer* fit,
                          Integer* dx, TSize* size);
inline bool GetTextExtentExPointW(HDC dc, const Char* text, Integer count, Integer maxExtent, Integer* fit,
                                  Integer* dx, TSize* size) {
  return GetTextExtentExPoint(dc, text, count, maxExtent, fit, dx, size);
}
Integer GetTextFace(HDC dc, Integer count, Char* name);

// ---- blitting ----
bool BitBlt(HDC dest, Integer x, Integer y, Integer width, Integer height, HDC src, Integer xSrc,
            Integer ySrc, DWORD rop);
bool StretchBlt(HDC dest, Integer x, Integer y, Integer width, Integer height, HDC src, Integer xSrc,
                Integer ySrc, Integer widthSrc, Integer heightSrc, DWORD rop);
bool PatBlt(HDC dc, Integer x, Integer y, Integer width, Integer height, DWORD rop);
bool AlphaBlend(HDC dest, Integer x, Integer y, Integer width, Integer height, HDC src, Integer xSrc,
                Integer ySrc, Integer widthSrc, Integer heightSrc, BLENDFUNCTION blend);
// Copies all but the pixels of the transparent colour.
bool TransparentBlt(HDC dest, Integer x, Integer y, Integer width, Integer height, HDC src, Integer xSrc,
                    Integer ySrc, Integer widthSrc, Integer heightSrc, UINT transparent);

// ---- 3-D frames in the classic colours ----
bool DrawEdge(HDC dc, TRect* rect, UINT edge, UINT flags);
bool DrawFrameControl(HDC dc, TRect* rect, UINT type, UINT state);
