// Colours: TColor (0x00BBGGRR), the system colours resolved through the active style's palette,
// the named colours and their idents for form resources, HLS conversion and luma adjustment.
#pragma once

#include "platform/classes/TypInfo.h"
#include "platform/rtl/Types.h"

using TColor = Integer;
using TColorRef = Cardinal;
using COLORREF = Cardinal;

// System colours: 0xFF000000 | COLOR_xxx.
constexpr Integer COLOR_SCROLLBAR = 0;
constexpr Integer COLOR_BACKGROUND = 1;
constexpr Integer COLOR_ACTIVECAPTION = 2;
constexpr Integer COLOR_INACTIVECAPTION = 3;
constexpr Integer COLOR_MENU = 4;
constexpr Integer COLOR_WINDOW = 5;
constexpr Integer COLOR_WINDOWFRAME = 6;
constexpr Integer COLOR_MENUTEXT = 7;
constexpr Integer COLOR_WINDOWTEXT = 8;
constexpr Integer COLOR_CAPTIONTEXT = 9;
constexpr Integer COLOR_ACTIVEBORDER = 10;
constexpr Integer COLOR_INACTIVEBORDER = 11;
constexpr Integer COLOR_APPWORKSPACE = 12;
constexpr Integer COLOR_HIGHLIGHT = 13;
constexpr Integer COLOR_HIGHLIGHTTEXT = 14;
constexpr Integer COLOR_BTNFACE = 15;
constexpr Integer COLOR_BTNSHADOW = 16;
constexpr Integer COLOR_GRAYTEXT = 17;
constexpr Integer COLOR_BTNTEXT = 18;
constexpr Integer COLOR_INACTIVECAPTIONTEXT = 19;
constexpr Integer COLOR_BTNHIGHLIGHT = 20;
constexpr Integer COLOR_3DDKSHADOW = 21;
constexpr Integer COLOR_3DLIGHT = 22;
constexpr Integer COLOR_INFOTEXT = 23;
constexpr Integer COLOR_INFOBK = 24;
constexpr Integer COLOR_HOTLIGHT = 26;
constexpr Integer COLOR_GRADIENTACTIVECAPTION = 27;
constexpr Integer COLOR_GRADIENTINACTIVECAPTION = 28;
constexpr Integer COLOR_MENUHILIGHT = 29;
constexpr Integer COLOR_MENUBAR = 30;
constexpr Integer COLOR_3DFACE = COLOR_BTNFACE;
constexpr Integer COLOR_3DSHADOW = COLOR_BTNSHADOW;
constexpr Integer COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT;
constexpr Integer COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT;
constexpr Integer COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT;
constexpr Integer COLOR_DESKTOP = COLOR_BACKGROUND;
constexpr Integer SysColorCount = 31;

constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000);
constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
constexpr TColor clMenu = clSystemColor | COLOR_MENU;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clCaptionText = clSystemColor | COLOR_CAPTIONTEXT;
constexpr TColor clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER;
constexpr TColor clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER;
constexpr TColor clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = clSystemColor | COLOR_3DLIGHT;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;
constexpr TColor clHotLight = clSystemColor | COLOR_HOTLIGHT;
constexpr TColor clGradientActiveCaption = clSystemColor | COLOR_GRADIENTACTIVECAPTION;
constexpr TColor clGradientInactiveCaption = clSystemColor | COLOR_GRADIENTINACTIVECAPTION;
constexpr TColor clMenuHighlight = clSystemColor | COLOR_MENUHILIGHT;
constexpr TColor clMenuBar = clSystemColor | COLOR_MENUBAR;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColorRef RGB(Byte r, Byte g, Byte b) {
  return static_cast<TColorRef>(r) | (static_cast<TColorRef>(g) << 8) | (static_cast<TColorRef>(b) << 16);
}
constexpr Byte GetRValue(TColorRef c) { return static_cast<Byte>(c & 0xFF); }
constexpr Byte GetGValue(TColorRef c) { return static_cast<Byte>((c >> 8) & 0xFF); }
constexpr Byte GetBValue(TColorRef c) { return static_cast<Byte>((c >> 16) & 0xFF); }

// The colours a style gives the system colours. The style manager of the controls layer installs
// its own; the default answers the classic Windows values.
class TSysColorPalette {
 public:
  virtual ~TSysColorPalette() = default;
  // index is COLOR_xxx; an unknown index answers black.
  virtual TColorRef GetSysColor(Integer index) const;
};
// Not owned; nullptr puts the classic palette back.
void SetSysColorPalette(const TSysColorPalette* palette);
const TSysColorPalette& ActiveSysColorPalette();

TColorRef GetSysColor(Integer index);
// System colours through the active palette; any other value comes back as it is (clNone and
// clDefault too: callers test for them before converting; the drawing calls use the low 24 bits).
TColorRef ColorToRGB(TColor color);
inline TColorRef GetNearestColor(void* /*dc*/, TColorRef color) { return color; }

bool ColorToIdent(Integer color, String& ident);
bool IdentToColor(const String& ident, Integer& color);
// An ident ("clBtnFace") or "$00BBGGRR".
String ColorToString(TColor color);
// An ident or an integer ("$FF0000", "255"); anything else raises EConvertError.
TColor StringToColor(const String& text);
// The type of colour properties: integers whose idents the form reader and writer use.
const TTypeInfo* TypeInfoColor();

// Hue, luminance, saturation on a 0..240 scale.
constexpr Integer HLSMAX = 240;
void ColorRGBToHLS(TColorRef rgb, Word& hue, Word& luminance, Word& saturation);
TColorRef ColorHLSToRGB(Word hue, Word luminance, Word saturation);
// n in tenths of a percent: of the current luminance when scale, of the whole range otherwise.
TColorRef ColorAdjustLuma(TColorRef rgb, Integer n, bool scale);
// Mixes two colours; weight 0 gives a, 255 gives b.
TColorRef BlendColors(TColorRef a, TColorRef b, Integer weight);
