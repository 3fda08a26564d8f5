// Colours: the classic system palette, idents for form resources and HLS arithmetic.
#include "platform/graphics/Colors.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "platform/rtl/Strings.h"

namespace {

// The classic Windows look.
constexpr TColorRef ClassicColors[SysColorCount] = {
    RGB(212, 208, 200),  // scroll bar
    RGB(58, 110, 165),   // background
    RGB(10, 36, 106),    // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(212, 208, 200),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(212, 208, 200),  // active border
    RGB(212, 208, 200),  // inactive border
    RGB(128, 128, 128),  // app workspace
    RGB(10, 36, 106),    // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(212, 208, 200),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // gray text
    RGB(0, 0, 0),        // button text
    RGB(212, 208, 200),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(64, 64, 64),     // 3-D dark shadow
    RGB(212, 208, 200),  // 3-D light
    RGB(0, 0, 0),        // info text
    RGB(255, 255, 225),  // info background
    RGB(0, 0, 0),        // unused slot
    RGB(0, 0, 128),      // hot light
    RGB(166, 202, 240),  // gradient active caption
    RGB(192, 192, 192),  // gradient inactive caption
    RGB(10, 36, 106),    // menu highlight
    RGB(212, 208, 200),  // menu bar
};

const TSysColorPalette ClassicPalette;
std::atomic<const TSysColorPalette*> ActivePalette{nullptr};

struct ColorIdent {
  TColor value;
  const Char* name;
};

constexpr ColorIdent Idents[] = {
    {clBlack, u"clBlack"},
    {clMaroon, u"clMaroon"},
    {clGreen, u"clGreen"},
    {clOlive, u"clOlive"},
    {clNavy, u"clNavy"},
    {clPurple, u"clPurple"},
    {clTeal, u"clTeal"},
    {clGray, u"clGray"},
    {clSilver, u"clSilver"},
    {clRed, u"clRed"},
    {clLime, u"clLime"},
    {clYellow, u"clYellow"},
    {clBlue, u"clBlue"},
    {clFuchsia, u"clFuchsia"},
    {clAqua, u"clAqua"},
    {clWhite, u"clWhite"},
    {clMoneyGreen, u"clMoneyGreen"},
    {clSkyBlue, u"clSkyBlue"},
    {clCream, u"clCream"},
    {clMedGray, u"clMedGray"},
    {clActiveBorder, u"clActiveBorder"},
    {clActiveCaption, u"clActiveCaption"},
    {clAppWorkSpace, u"clAppWorkSpace"},
    {clBackground, u"clBackground"},
    {clBtnFace, u"clBtnFace"},
    {clBtnHighlight, u"clBtnHighlight"},
    {clBtnShadow, u"clBtnShadow"},
    {clBtnText, u"clBtnText"},
    {clCaptionText, u"clCaptionText"},
    {clDefault, u"clDefault"},
    {clGradientActiveCaption, u"clGradientActiveCaption"},
    {clGradientInactiveCaption, u"clGradientInactiveCaption"},
    {clGrayText, u"clGrayText"},
    {clHighlight, u"clHighlight"},
    {clHighlightText, u"clHighlightText"},
    {clHotLight, u"clHotLight"},
    {clInactiveBorder, u"clInactiveBorder"},
    {clInactiveCaption, u"clInactiveCaption"},
    {clInactiveCaptionText, u"clInactiveCaptionText"},
    {clInfoBk, u"clInfoBk"},
    {clInfoText, u"clInfoText"},
    {clMenu, u"clMenu"},
    {clMenuBar, u"clMenuBar"},
    {clMenuHighlight, u"clMenuHighlight"},
    {clMenuText, u"clMenuText"},
    {clNone, u"clNone"},
    {clScrollBar, u"clScrollBar"},
    {cl3DDkShadow, u"cl3DDkShadow"},
    {cl3DLight, u"cl3DLight"},
    {clWindow, u"clWindow"},
    {clWindowFrame, u"clWindowFrame"},
    {clWindowText, u"clWindowText"},
};

}  // namespace

TColorRef TSysColorPalette::GetSysColor(Integer index) const {
  if (index < 0 || index >= SysColorCount) return 0;
  return ClassicColors[index];
}

void SetSysColorPalette(const TSysColorPalette* palette) { ActivePalette.store(palette); }

const TSysColorPalette& ActiveSysColorPalette() {
  const TSysColorPalette* p = ActivePalette.load();
  return p ? *p : ClassicPalette;
}

TColorRef GetSysColor(Integer index) { return ActiveSysColorPalette().GetSysColor(index); }

TColorRef ColorToRGB(TColor color) {
  if (color < 0) return GetSysColor(color & 0xFF);
  return static_cast<TColorRef>(color);
}

bool ColorToIdent(Integer color, String& ident) {
  for (const ColorIdent& c : Idents) {
    if (c.value == color) {
      ident = c.name;
      return true;
    }
  }
  return false;
}

bool IdentToColor(const String& ident, Integer& color) {
  for (const ColorIdent& c : Idents) {
    if (SameText(ident, c.name)) {
      color = c.value;
      return true;
    }
  }
  return false;
}

String ColorToString(TColor color) {
  String ident;
  if (ColorToIdent(color, ident)) return ident;
  return u"$" + IntToHex(static_cast<Cardinal>(color), 8);
}

TColor StringToColor(const String& text) {
  Integer color = 0;
  if (IdentToColor(text, color)) return color;
  return StrToInt(text);
}

const TTypeInfo* TypeInfoColor() {
  static const TTypeInfo* type = [] {
    static TTypeInfo info = TTypeInfo::Integer(u"TColor");
    RegisterIntegerConsts(
        u"TColor", [](const String& ident, Integer& value) { return IdentToColor(ident, value); },
        [](Integer value, String& ident) { return ColorToIdent(value, ident); });
    return &info;
  }();
  return type;
}

namespace {

Integer HueToRGB(Integer n1, Integer n2, Integer hue) {
  if (hue < 0) hue += HLSMAX;
  if (hue > HLSMAX) hue -= HLSMAX;
  if (hue < HLSMAX / 6) return n1 + ((n2 - n1) * hue + HLSMAX / 12) / (HLSMAX / 6);
  if (hue < HLSMAX / 2) return n2;
  if (hue < HLSMAX * 2 / 3) return n1 + ((n2 - n1) * (HLSMAX * 2 / 3 - hue) + HLSMAX / 12) / (HLSMAX / 6);
  return n1;
}

}  // namespace

void ColorRGBToHLS(TColorRef rgb, Word& hue, Word& luminance, Word& saturation) {
  const Integer r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
  const Integer cMax = std::max({r, g, b}), cMin = std::min({r, g, b});
  constexpr Integer RGBMAX = 255;
  const Integer l = ((cMax + cMin) * HLSMAX + RGBMAX) / (2 * RGBMAX);
  luminance = static_cast<Word>(l);
  if (cMax == cMin) {
    saturation = 0;
    // Hue is undefined for greys; two thirds of the range is the conventional answer.
    hue = HLSMAX * 2 / 3;
    return;
  }
  Integer s;
  if (l <= HLSMAX / 2)
    s = ((cMax - cMin) * HLSMAX + (cMax + cMin) / 2) / (cMax + cMin);
  else
    s = ((cMax - cMin) * HLSMAX + (2 * RGBMAX - cMax - cMin) / 2) / (2 * RGBMAX - cMax - cMin);
  const Integer delta = cMax - cMin;
  const Integer rd = ((cMax - r) * (HLSMAX / 6) + delta / 2) / delta;
  const Integer gd = ((cMax - g) * (HLSMAX / 6) + delta / 2) / delta;
  const Integer bd = ((cMax - b) * (HLSMAX / 6) + delta / 2) / delta;
  Integer h;
  if (r == cMax)
    h = bd - gd;
  else if (g == cMax)
    h = HLSMAX / 3 + rd - bd;
  else
    h = HLSMAX * 2 / 3 + gd - rd;
  if (h < 0) h += HLSMAX;
  if (h > HLSMAX) h -= HLSMAX;
  hue = static_cast<Word>(h);
  saturation = static_cast<Word>(s);
}

TColorRef ColorHLSToRGB(Word hue, Word luminance, Word saturation) {
  constexpr Integer RGBMAX = 255;
  const Integer l = std::min<Integer>(luminance, HLSMAX), s = std::min<Integer>(saturation, HLSMAX);
  if (s == 0) {
    const Byte v = static_cast<Byte>(l * RGBMAX / HLSMAX);
    return RGB(v, v, v);
  }
  const Integer m2 =
      l <= HLSMAX / 2 ? (l * (HLSMAX + s) + HLSMAX / 2) / HLSMAX : l + s - (l * s + HLSMAX / 2) / HLSMAX;
  const Integer m1 = 2 * l - m2;
  auto channel = [&](Integer h) {
    return static_cast<Byte>(std::clamp((HueToRGB(m1, m2, h) * RGBMAX + HLSMAX / 2) / HLSMAX, 0, 255));
  };
  return RGB(channel(hue + HLSMAX / 3), channel(hue), channel(hue - HLSMAX / 3));
}

TColorRef ColorAdjustLuma(TColorRef rgb, Integer n, bool scale) {
  Word h, l, s;
  ColorRGBToHLS(rgb, h, l, s);
  Integer luma = l;
  if (scale)
    luma += static_cast<Integer>(std::lround(static_cast<double>(luma) * n / 1000.0));
  else
    luma += static_cast<Integer>(std::lround(static_cast<double>(HLSMAX) * n / 1000.0));
  return ColorHLSToRGB(h, static_cast<Word>(std::clamp(luma, 0, HLSMAX)), s);
}

TColorRef BlendColors(TColorRef a, TColorRef b, Integer weight) {
  weight = std::clamp(weight, 0, 255);
  auto mix = [weight](Integer x, Integer y) {
    return static_cast<Byte>((x * (255 - weight) + y * weight + 127) / 255);
  };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
             mix(GetBValue(a), GetBValue(b)));
}
