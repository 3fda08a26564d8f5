// Glyph painting of the grid library: edit-button faces with their drop-down, ellipsis, spin, plus,
// minus and arrow glyphs, check boxes, plain button frames and tree boxes with their dotted lines, each
// in a themed and a classic form, and the optional cache of painted button images.
#include <algorithm>
#include <cmath>

#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/controls/StyleManager.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

constexpr Integer CheckBoxSize = 13;  // the classic check-box cell

TRect Shrunk(const TRect& r, Integer by) {
  return TRect(r.Left + by, r.Top + by, r.Right - by, r.Bottom - by);
}

void FillSolid(TCanvas* canvas, const TRect& r, TColor color) {
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(color);
  canvas->FillRect(r);
}

// The glyph colours of the themed form: dark to darker when enabled, grey to light grey when not. A
// custom style may make the dark shadow as dark as its faces, so there glyphs take the button text.
void GradientGlyphColors(bool enabled, TColor& first, TColor& last) {
  if (enabled && CustomStyleActiveEh()) {
    first = clBtnText;
    last = MixColorsPercentEh(clBtnText, clBtnFace, 30);
  } else if (enabled) {
    first = MixColorsPercentEh(cl3DDkShadow, clBlack, 30);
    last = cl3DDkShadow;
  } else {
    first = clGrayText;
    last = MixColorsPercentEh(clGrayText, clWhite, 30);
  }
}

// Fills rectangles row by row as gradient lines (themed) or solid (classic), with the raised
// highlight copy first when disabled.
void DrawGlyphBlocks(TCanvas* canvas, const std::vector<TRect>& rows, bool enabled) {
  if (!enabled) {
    for (const TRect& r : rows)
      FillSolid(canvas, TRect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1), clBtnHighlight);
  }
  if (!ThemesEnabledEh()) {
    for (const TRect& r : rows) FillSolid(canvas, r, enabled ? clBtnText : clBtnShadow);
    return;
  }
  TColor first, last;
  GradientGlyphColors(enabled, first, last);
  std::vector<TPoint> pairs;
  for (const TRect& r : rows)
    for (Integer y = r.Top; y < r.Bottom; ++y) {
      pairs.push_back(TPoint(r.Left, y));
      pairs.push_back(TPoint(r.Right - 1, y));
    }
  FillPolygonSmoothEh(canvas, TPoint(0, 0), pairs, first, last);
}

void DrawEllipsisDots(TCanvas* canvas, const TRect& area, bool pressed, bool enabled) {
  const Integer w = area.Width(), h = area.Height();
  Integer d = 2, g = 2;
  if (w < 12) g = 1;
  if (w < 8) d = 1;
  const Integer p = pressed ? 1 : 0;
  const Integer x = area.Left + w / 2 - d / 2 + p;
  const Integer y = area.Top + h / 2 - d / 2 + p;
  for (Integer dotX : {x - g - d, x, x + g + d}) {
    // Each dot is its own gradient stack, so the three dots look alike.
    DrawGlyphBlocks(canvas, {TRect(dotX, y, dotX + d, y + d)}, enabled);
  }
}

void DrawPlusMinusBars(TCanvas* canvas, const TRect& area, bool plus, bool flat, bool pressed, bool enabled) {
  const Integer w = area.Width(), h = area.Height();
  const Integer s = std::min(w, h);
  Integer l = std::max(s * 4 / 7, 1);
  const Integer t = std::max(l / 3, 1);
  if (flat) l -= 1;
  if ((l & 1) != (s & 1)) l += 1;
  if (plus && (l & 1) != (t & 1)) l += s < 12 ? 1 : -1;
  const Integer d = l / 2 - t / 2;
  const Integer p = pressed ? 1 : 0;
  const Integer x = area.Left + (w - l) / 2 + p;
  const Integer y = area.Top + (h - t) / 2 + p;
  std::vector<TRect> rows;
  if (plus) rows.push_back(TRect(x + d, y - d, x + d + t, y));
  rows.push_back(TRect(x, y, x + l, y + t));
  if (plus) rows.push_back(TRect(x + d, y + t, x + d + t, y - d + l));
  DrawGlyphBlocks(canvas, rows, enabled);
}

void DrawArrow(TCanvas* canvas, const TRect& rect, bool down, bool pressed, bool enabled) {
  const Integer s = std::min(rect.Width(), rect.Height());
  Integer a;
  if (s >= 19)
    a = 9;
  else if (s >= 16)
    a = 7;
  else if (s >= 12)
    a = 5;
  else
    a = ThemesEnabledEh() ? 5 : 3;
  const Integer rows = a / 2 + 1;
  const Integer p = pressed ? 1 : 0;
  const Integer left = (rect.Left + rect.Right - a) / 2 + p;
  const Integer top = (rect.Top + rect.Bottom - rows) / 2 + p;
  std::vector<TPoint> pairs;
  for (Integer i = 0; i < rows; ++i) {
    const Integer from = down ? i : a / 2 - i;
    const Integer to = down ? a - i - 1 : a / 2 + i;
    pairs.push_back(TPoint(left + from, top + i));
    pairs.push_back(TPoint(left + to, top + i));
  }
  if (ThemesEnabledEh()) {
    TColor first, last;
    GradientGlyphColors(enabled, first, last);
    if (!down) std::swap(first, last);
    FillPolygonSmoothEh(canvas, TPoint(0, 0), pairs, first, last);
    return;
  }
  const TColor color = enabled ? clWindowText : clGrayText;
  FillPolygonSmoothEh(canvas, TPoint(0, 0), pairs, color, color);
}

enum class TFaceState { Normal, Hot, Pressed, Disabled };

TFaceState FaceState(bool enabled, bool pressed, bool active) {
  if (!enabled) return TFaceState::Disabled;
  if (pressed) return TFaceState::Pressed;
  return active ? TFaceState::Hot : TFaceState::Normal;
}

// The themed button element of a face: toolbar button when flat (normal shown as hot), else push button.
TThemedElementDetails ThemedFace(TFaceState state, bool flat) {
  TCustomStyleServices* ss = StyleServices();
  if (flat) {
    switch (state) {
      case TFaceState::Pressed:
        return ss->GetElementDetails(ttbButtonPressed);
      case TFaceState::Disabled:
        return ss->GetElementDetails(ttbButtonDisabled);
      default:
        return ss->GetElementDetails(ttbButtonHot);
    }
  }
  switch (state) {
    case TFaceState::Hot:
      return ss->GetElementDetails(tbPushButtonHot);
    case TFaceState::Pressed:
      return ss->GetElementDetails(tbPushButtonPressed);
    case TFaceState::Disabled:
      return ss->GetElementDetails(tbPushButtonDisabled);
    default:
      return ss->GetElementDetails(tbPushButtonNormal);
  }
}

// Paints the face when drawBack and answers the area left for the glyph.
TRect PaintFace(TCanvas* canvas, const TRect& rect, TDrawButtonControlStyleEh style, bool flat, bool pressed,
                bool active, bool enabled, bool drawBack) {
  const bool themed = ThemesEnabledEh();
  if (!drawBack) {
    if (style == bcsEllipsisEh) return rect;
    return Shrunk(rect, flat && !themed ? 1 : 2);
  }
  if (themed) {
    const bool arrow = style == bcsAltDropDownEh || style == bcsAltUpDownEh;
    if (flat && arrow) canvas->FillRect(rect);
    StyleServices()->DrawElement(canvas->GetHandle(), ThemedFace(FaceState(enabled, pressed, active), flat),
                                 rect);
    return Shrunk(rect, 2);
  }
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(clBtnFace);
  if (flat) {
    canvas->FillRect(rect);
    return Shrunk(rect, 1);
  }
  TRect r = rect;
  DrawEdge(canvas->GetHandle(), &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
  const TRect area = Shrunk(rect, 2);
  if (style == bcsPlusEh || style == bcsMinusEh) FillSolid(canvas, area, clBtnFace);
  return area;
}

UINT ClassicFrameFlags(bool pressed, bool flat, bool enabled) {
  UINT flags = 0;
  if (pressed) flags |= DFCS_PUSHED;
  if (flat) flags |= DFCS_FLAT;
  if (!enabled) flags |= DFCS_INACTIVE;
  return flags;
}

// One button (or one half of a spin button).
void PaintButtonImage(TCanvas* canvas, TRect rect, TDrawButtonControlStyleEh style, bool upHalf, bool pressed,
                      bool flat, bool active, bool enabled, bool drawBack) {
  const bool themed = ThemesEnabledEh();
  const bool clipHot = flat && active && !themed;
  HRGN saved = nullptr;
  if (clipHot) saved = SelectClipRectEh(canvas, Shrunk(rect, 1));
  // A flat classic button pushes its 3-D border outside the clip.
  const Integer grow = flat && !themed ? (active ? 1 : 2) : 0;
  const TRect outer = rect;
  rect = Shrunk(rect, -grow);
  HDC dc = canvas->GetHandle();
  TCustomStyleServices* ss = StyleServices();

  switch (style) {
    case bcsDropDownEh:
      if (!drawBack) {
        canvas->FillRect(rect);
      } else if (themed) {
        const TThemedComboBox e = !enabled  ? tcDropDownButtonDisabled
                                  : pressed ? tcDropDownButtonPressed
                                  : active  ? tcDropDownButtonHot
                                            : tcDropDownButtonNormal;
        ss->DrawElement(dc, ss->GetElementDetails(e), rect);
      } else {
        DrawFrameControl(dc, &rect, DFC_SCROLL,
                         DFCS_SCROLLCOMBOBOX | ClassicFrameFlags(pressed, flat, enabled));
      }
      break;
    case bcsEllipsisEh:
      DrawEllipsisDots(canvas, PaintFace(canvas, rect, style, flat, pressed, active, enabled, drawBack),
                       pressed, enabled);
      break;
    case bcsUpDownEh:
      if (!drawBack) {
        canvas->FillRect(rect);
      } else if (themed) {
        TThemedSpin e;
        if (upHalf)
          e = !enabled ? tsUpDisabled : pressed ? tsUpPressed : active ? tsUpHot : tsUpNormal;
        else
          e = !enabled ? tsDownDisabled : pressed ? tsDownPressed : active ? tsDownHot : tsDownNormal;
        ss->DrawElement(dc, ss->GetElementDetails(e), rect);
      } else {
        DrawFrameControl(
            dc, &rect, DFC_SCROLL,
            (upHalf ? DFCS_SCROLLUP : DFCS_SCROLLDOWN) | ClassicFrameFlags(pressed, flat, enabled));
      }
      break;
    case bcsPlusEh:
    case bcsMinusEh:
      DrawPlusMinusBars(canvas, PaintFace(canvas, rect, style, flat, pressed, active, enabled, drawBack),
                        style == bcsPlusEh, flat, pressed, enabled);
      break;
    case bcsAltDropDownEh:
      PaintFace(canvas, rect, style, flat, pressed, active, enabled, drawBack);
      DrawArrow(canvas, rect, true, pressed, enabled);
      break;
    case bcsAltUpDownEh: {
      // The themed halves overlap by a pixel so that their faces meet.
      TRect r = rect;
      if (themed) (upHalf ? r.Bottom : r.Top) += upHalf ? 1 : -1;
      PaintFace(canvas, r, style, flat, pressed, active, enabled, drawBack);
      DrawArrow(canvas, rect, !upHalf, pressed, enabled);
      break;
    }
    case bcsCheckboxEh:
      break;
  }

  if (clipHot) {
    RestoreClipRgnEh(canvas, saved);
    if (drawBack) {
      TRect r = outer;
      DrawEdge(canvas->GetHandle(), &r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
  }
}

void FrameWithColor(TCanvas* canvas, const TRect& rect, TColor color) {
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(color);
  canvas->FrameRect(rect);
}

void DrawButtonControlDirect(TCanvas* canvas, TRect rect, TColor backColor, TDrawButtonControlStyleEh style,
                             Integer downButton, bool flat, bool active, bool enabled,
                             TCheckBoxState checkState, bool drawBack) {
  const bool themed = ThemesEnabledEh();
  if (style == bcsCheckboxEh) {
    // Square: the longer side loses its extra pixels, an odd one at the bottom or right.
    const Integer w = rect.Width(), h = rect.Height();
    if (w > h) {
      rect.Left += (w - h) / 2;
      rect.Right = rect.Left + h;
    } else if (h > w) {
      rect.Top += (h - w) / 2;
      rect.Bottom = rect.Top + w;
    }
    const TRect square = rect;
    const TRect box = flat && !themed ? Shrunk(square, 1) : square;
    DrawCheckBoxEh(canvas->GetHandle(), box, checkState, enabled, flat, downButton != 0, active);
    if (flat) {
      if (active && !themed) {
        TRect r = square;
        DrawEdge(canvas->GetHandle(), &r, BDR_SUNKENOUTER, BF_RECT);
      } else {
        FrameWithColor(canvas, square, backColor);
      }
    }
    return;
  }

  const bool c = flat && !active && !themed;
  HRGN saved = nullptr;
  const TRect full = rect;
  if (c) {
    saved = SelectClipRectEh(canvas, Shrunk(rect, 1));
    rect = Shrunk(rect, 1);
  }
  if (style == bcsUpDownEh || style == bcsAltUpDownEh) {
    const TRect base = c ? full : rect;
    const Integer half = base.Height() / 2;
    TRect upper(base.Left, base.Top, base.Right, base.Top + half);
    TRect lower(base.Left, base.Bottom - half, base.Right, base.Bottom);
    if (c) {
      upper = Shrunk(upper, 1);
      lower = Shrunk(lower, 1);
    }
    PaintButtonImage(canvas, upper, style, true, downButton == 1, flat, active, enabled, drawBack);
    PaintButtonImage(canvas, lower, style, false, downButton == 2, flat, active, enabled, drawBack);
    const bool odd = (base.Height() & 1) != 0;
    if (backColor != clNone && (odd || c)) {
      TRect strip(base.Left, base.Top + half, base.Right, base.Bottom - half);
      if (c) {
        strip.Top -= 1;
        strip.Bottom += 1;
      }
      FillSolid(canvas, strip, backColor);
    }
  } else {
    PaintButtonImage(canvas, rect, style, true, downButton != 0, flat, active, enabled, drawBack);
  }
  if (c) {
    RestoreClipRgnEh(canvas, saved);
    if (backColor != clNone) FrameWithColor(canvas, full, backColor);
  }
}

struct TGlyphUnitState {
  std::unique_ptr<TButtonsBitmapCache> cache = std::make_unique<TButtonsBitmapCache>();
  bool useCache = false;
  HTHEME treeTheme = nullptr;
  bool treeThemeOpened = false;
  ~TGlyphUnitState() {
    if (treeTheme) CloseThemeData(treeTheme);
  }
};

TGlyphUnitState& UnitState() {
  static TGlyphUnitState state;
  return state;
}

HTHEME TreeTheme() {
  TGlyphUnitState& s = UnitState();
  if (!s.treeThemeOpened && IsThemeActive()) {
    s.treeThemeOpened = true;
    s.treeTheme = OpenThemeData(nullptr, u"Explorer::Treeview");
    if (!s.treeTheme) s.treeTheme = OpenThemeData(nullptr, u"Treeview");
  }
  return s.treeTheme;
}

// One-pixel dots every two pen widths along a line, as two-point segments for one PolyPolyline call.
void AddDottedLine(std::vector<TPoint>& points, TPoint from, Integer length, bool vertical, bool phase,
                   Integer penWidth) {
  if (length <= 0) return;
  if (((from.X & 1) != 0) != (((from.Y & 1) != 0) != phase)) {
    (vertical ? from.Y : from.X) += 1;
    length -= 1;
  }
  const Integer step = 2 * std::max(penWidth, 1);
  const Integer count = length / step + (length & 1);
  for (Integer i = 0; i < count; ++i) {
    TPoint a = from;
    (vertical ? a.Y : a.X) += i * step;
    TPoint b = a;
    (vertical ? b.Y : b.X) += 1;
    points.push_back(a);
    points.push_back(b);
  }
}

}  // namespace

// ---- Plain routines ----

TDrawButtonControlStyleEh EditButtonStyleToDrawStyleEh(TEditButtonStyleEh style) {
  static constexpr TDrawButtonControlStyleEh map[] = {bcsDropDownEh,    bcsEllipsisEh, bcsUpDownEh,
                                                      bcsUpDownEh,      bcsPlusEh,     bcsMinusEh,
                                                      bcsAltDropDownEh, bcsAltUpDownEh};
  return map[style];
}

bool ThemesEnabledEh() { return StyleServices()->Enabled(); }
bool VistaThemesEnabledEh() { return ThemesEnabledEh(); }
// The style manager knows which style is applied; the graphics layer below it does not.
bool CustomStyleActiveEh() { return TStyleManager::IsCustomStyleActive(); }

Integer CheckBoxWidthEh() { return CheckBoxSize; }
Integer CheckBoxHeightEh() { return CheckBoxSize; }

Integer DefaultEditButtonWidthEh() {
  HDC dc = GetDC(nullptr);
  TEXTMETRICW tm;
  GetTextMetrics(dc, &tm);
  ReleaseDC(nullptr, dc);
  Integer w = static_cast<Integer>(Round(tm.tmHeight / 3.0 * 2));
  const bool even = (w & 1) == 0;
  if (ThemesEnabledEh() != even) w += 1;
  return std::min(w, GetSystemMetrics(SM_CXVSCROLL));
}

Integer EditButtonHeightForWidthEh(Integer width, bool flat) {
  return flat ? static_cast<Integer>(Round(width * 4 / 3.0)) : width;
}

void FillPolygonSmoothEh(TCanvas* canvas, TPoint origin, const std::vector<TPoint>& points, TColor firstColor,
                         TColor lastColor) {
  const Integer n = static_cast<Integer>(points.size() / 2);
  if (n == 0) return;
  const TColorRef a = ColorToRGB(firstColor), b = ColorToRGB(lastColor);
  const double steps = std::max(n - 1, 1);
  auto channel = [steps](Byte x, Byte y, Integer i) {
    return static_cast<Byte>(std::clamp<Int64>(Round(x + (static_cast<double>(y) - x) * i / steps), 0, 255));
  };
  const bool toAlpha = IsCacheAlphaBitmapCapturedEh();
  TCacheAlphaBitmapEh* alpha = toAlpha ? GetCacheAlphaBitmapEh(0, 0) : nullptr;
  TBrush* brush = canvas->GetBrush();
  const TColor brushColor = brush->GetColor();
  const TBrushStyle brushStyle = brush->GetStyle();
  auto restore = MakeScopeExit([&] {
    brush->SetColor(brushColor);
    brush->SetStyle(brushStyle);
  });
  brush->SetStyle(bsSolid);
  for (Integer i = 0; i < n; ++i) {
    const TColor c = RGB(channel(GetRValue(a), GetRValue(b), i), channel(GetGValue(a), GetGValue(b), i),
                         channel(GetBValue(a), GetBValue(b), i));
    TPoint p1 = points[2 * i], p2 = points[2 * i + 1];
    const Integer x1 = std::min(p1.X, p2.X) + origin.X, x2 = std::max(p1.X, p2.X) + origin.X;
    const Integer y = p1.Y + origin.Y;
    if (alpha) {
      alpha->DrawHorzLine(TPoint(x1, y), x2 - x1, c);
      continue;
    }
    brush->SetColor(c);
    canvas->FillRect(TRect(x1, y, x2 + 1, y + 1));
  }
}

TRect AlignCheckBoxRectEh(const TRect& rect, TAlignment alignment, TTextLayout layout) {
  const Integer w = std::min(CheckBoxSize, rect.Width());
  const Integer h = std::min(CheckBoxSize, rect.Height());
  TRect r = rect;
  if (rect.Width() > CheckBoxSize) {
    if (alignment == taRightJustify)
      r.Left = rect.Right - w;
    else if (alignment == taCenter)
      r.Left = rect.Left + (rect.Width() >> 1) - (w >> 1);
  }
  r.Right = r.Left + w;
  if (rect.Height() > CheckBoxSize) {
    if (layout == tlCenter)
      r.Top = rect.Top + (rect.Height() >> 1) - (h >> 1);
    else if (layout == tlBottom)
      r.Top = rect.Bottom - h;
  }
  r.Bottom = r.Top + h;
  return r;
}

// ---- Check boxes and frames ----

void DrawCheckBoxEh(HDC dc, const TRect& rect, TCheckBoxState state, bool enabled, bool flat, bool pressed,
                    bool active) {
  const bool themed = ThemesEnabledEh();
  const Integer side = std::min(rect.Width(), rect.Height());
  TRect box(rect.Left + (rect.Width() - side) / 2, rect.Top + (rect.Height() - side) / 2, 0, 0);
  box.Right = box.Left + side;
  box.Bottom = box.Top + side;

  const Integer saved = flat ? SaveDC(dc) : 0;
  if (flat) {
    if (!themed) box = Shrunk(box, -1);
    const TRect clip = Shrunk(box, themed ? 2 : 1);
    IntersectClipRect(dc, clip.Left, clip.Top, clip.Right, clip.Bottom);
  }
  if (themed) {
    static constexpr TThemedButton unchecked[] = {tbCheckBoxUncheckedNormal, tbCheckBoxUncheckedHot,
                                                  tbCheckBoxUncheckedPressed, tbCheckBoxUncheckedDisabled};
    static constexpr TThemedButton checked[] = {tbCheckBoxCheckedNormal, tbCheckBoxCheckedHot,
                                                tbCheckBoxCheckedPressed, tbCheckBoxCheckedDisabled};
    static constexpr TThemedButton mixed[] = {tbCheckBoxMixedNormal, tbCheckBoxMixedHot,
                                              tbCheckBoxMixedPressed, tbCheckBoxMixedDisabled};
    const Integer i = !enabled ? 3 : pressed ? 2 : active ? 1 : 0;
    const TThemedButton e = state == cbChecked ? checked[i] : state == cbGrayed ? mixed[i] : unchecked[i];
    StyleServices()->DrawElement(dc, StyleServices()->GetElementDetails(e), rect);
  } else {
    UINT flags = DFCS_BUTTONCHECK;
    if (state == cbChecked) flags |= DFCS_CHECKED;
    if (state == cbGrayed) flags |= DFCS_CHECKED | DFCS_BUTTON3STATE;
    if (!enabled) flags |= DFCS_INACTIVE;
    if (pressed) flags |= DFCS_PUSHED;
    TRect r = box;
    DrawFrameControl(dc, &r, DFC_BUTTON, flags);
  }
  if (flat) {
    RestoreDC(dc, saved);
    const TRect frame = Shrunk(box, 1);
    FrameRect(dc, &frame, GetSysColorBrush(!themed && active ? COLOR_BTNFACE : COLOR_BTNSHADOW));
  }
}

void DrawButtonFrameEh(TCanvas* canvas, const TRect& rect, TColor backColor, bool enabled, bool active,
                       bool flat, bool pressed) {
  TRect r = rect;
  if (ThemesEnabledEh()) {
    if (backColor != clNone) FillSolid(canvas, rect, backColor);
    StyleServices()->DrawElement(canvas->GetHandle(), ThemedFace(FaceState(enabled, pressed, active), flat),
                                 rect);
    return;
  }
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(clBtnFace);
  if (flat && active)
    DrawEdge(canvas->GetHandle(), &r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  else if (flat)
    canvas->FillRect(rect);
  else
    DrawEdge(canvas->GetHandle(), &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

// ---- Edit-button images ----

void DrawButtonControlEh(TCanvas* canvas, const TRect& rect, TColor backColor,
                         TDrawButtonControlStyleEh style, Integer downButton, bool flat, bool active,
                         bool enabled, TCheckBoxState checkState, double /*scale*/, bool drawBack) {
  if (!UnitState().useCache) {
    DrawButtonControlDirect(canvas, rect, backColor, style, downButton, flat, active, enabled, checkState,
                            drawBack);
    return;
  }
  TButtonBitmapInfoEh info;
  info.Size = TPoint(rect.Width(), rect.Height());
  info.BitmapType = style;
  info.Flat = flat;
  info.Pressed = downButton != 0;
  info.Active = active;
  info.Enabled = enabled;
  info.DownDirect = downButton == 2;
  info.CheckState = checkState;
  info.DrawBack = drawBack;
  TBitmap* bitmap = ButtonsBitmapCacheEh()->GetButtonBitmap(info);
  StretchBlt(canvas->GetHandle(), rect.Left, rect.Top, rect.Width(), rect.Height(),
             bitmap->GetCanvas()->GetHandle(), 0, 0, bitmap->GetWidth(), bitmap->GetHeight(), SRCCOPY);
}

TButtonsBitmapCache::~TButtonsBitmapCache() { Clear(); }

TBitmap* TButtonsBitmapCache::GetButtonBitmap(const TButtonBitmapInfoEh& info) {
  TButtonBitmapInfoEh key = info;
  key.Size = TPoint(std::max(key.Size.X, 0), std::max(key.Size.Y, 0));
  for (Integer i = 0; i < GetCount(); ++i)
    if (Get(i)->BitmapInfo == key) return Get(i)->Bitmap.get();
  auto entry = std::make_unique<TButtonBitmapInfoBitmapEh>();
  entry->BitmapInfo = key;
  entry->Bitmap = std::make_unique<TBitmap>(key.Size.X, key.Size.Y);
  const Integer down = key.Pressed ? (key.DownDirect ? 2 : 1) : 0;
  DrawButtonControlDirect(entry->Bitmap->GetCanvas(), TRect(0, 0, key.Size.X, key.Size.Y), clWindow,
                          key.BitmapType, down, key.Flat, key.Active, key.Enabled, key.CheckState,
                          key.DrawBack);
  TBitmap* result = entry->Bitmap.get();
  Add(entry.release());
  return result;
}

void TButtonsBitmapCache::Clear() {
  for (Integer i = 0; i < GetCount(); ++i) delete Get(i);
  TObjectList::Clear();
}

TButtonsBitmapCache* ButtonsBitmapCacheEh() { return UnitState().cache.get(); }
void SetUseButtonsBitmapCacheEh(bool value) { UnitState().useCache = value; }
bool GetUseButtonsBitmapCacheEh() { return UnitState().useCache; }
void ClearButtonsBitmapCacheEh() { UnitState().cache->Clear(); }

// ---- Tree elements ----

void DrawTreeElementEh(TCanvas* canvas, const TRect& rect, TTreeElementEh element, bool dotPhase,
                       double xScale, double yScale, bool shiftBoxLeft, bool defaultColors,
                       TTreeViewGlyphStyleEh glyphStyle) {
  const Integer cx = (rect.Left + rect.Right) / 2, cy = (rect.Top + rect.Bottom) / 2;
  const Integer hx = static_cast<Integer>(std::trunc(4 * xScale)),
                hy = static_cast<Integer>(std::trunc(4 * yScale));
  const TRect box(cx - hx, cy - hy, cx + hx + 1, cy + hy + 1);
  const Integer e = element;
  TPen* pen = canvas->GetPen();
  const Integer penWidth = pen->GetWidth();

  bool above = false, below = false, right = false;
  std::vector<TPoint> dots;
  if (e <= tehPlusAlone) {
    const Integer kind = e % 5;  // 0 up-down, 1 up, 2 down, 3 right only, 4 alone
    above = kind == 0 || kind == 1;
    below = kind == 0 || kind == 2;
    right = kind != 4;
    const bool plus = e >= tehPlusUpDown;
    const TColor brushColor = canvas->GetBrush()->GetColor();
    auto restoreBrush = MakeScopeExit([&] { canvas->GetBrush()->SetColor(brushColor); });
    if (defaultColors) {
      canvas->GetBrush()->SetColor(clWindow);
      pen->SetColor(clBtnShadow);
      pen->SetStyle(psSolid);
    }
    if (glyphStyle == tvgsClassicEh) {
      const Integer shift = shiftBoxLeft ? 1 : 0;
      canvas->Rectangle(box.Left - shift, box.Top, box.Right - shift, box.Bottom);
    }
    if (defaultColors) pen->SetColor(clWindowText);
    const bool themedGlyph =
        (glyphStyle == tvgsThemedEh || glyphStyle == tvgsExplorerThemedEh) && ThemesEnabledEh();
    if (themedGlyph && glyphStyle == tvgsThemedEh) {
      TCustomStyleServices* ss = StyleServices();
      ss->DrawElement(canvas->GetHandle(), ss->GetElementDetails(plus ? ttGlyphClosed : ttGlyphOpened), box);
    } else if (themedGlyph && TreeTheme()) {
      HDC dc = canvas->GetHandle();
      const Integer state = plus ? GLPS_CLOSED : GLPS_OPENED;
      TSize size;
      GetThemePartSize(TreeTheme(), dc, TVP_GLYPH, state, nullptr, TS_TRUE, &size);
      const Integer x = (rect.Left + rect.Right - size.cx) / 2, y = (rect.Top + rect.Bottom - size.cy) / 2;
      const TRect glyph(x, y, x + size.cx, y + size.cy);
      const bool clip = std::min(rect.Width(), rect.Height()) <= 15;
      DrawThemeBackground(TreeTheme(), dc, TVP_GLYPH, state, &glyph, clip ? &rect : nullptr);
    } else {
      const Integer ix = static_cast<Integer>(std::trunc(2 * xScale)),
                    iy = static_cast<Integer>(std::trunc(2 * yScale));
      canvas->MoveTo(box.Left + ix, cy);
      canvas->LineTo(box.Right - ix, cy);
      if (plus) {
        canvas->MoveTo(cx, box.Top + iy);
        canvas->LineTo(cx, box.Bottom - iy);
      }
    }
    if (defaultColors) pen->SetColor(clBtnShadow);
    if (above) AddDottedLine(dots, TPoint(cx, rect.Top), box.Top - rect.Top, true, dotPhase, penWidth);
    if (below)
      AddDottedLine(dots, TPoint(cx, box.Bottom), rect.Bottom - box.Bottom, true, dotPhase, penWidth);
    if (right) AddDottedLine(dots, TPoint(box.Right, cy), rect.Right - box.Right, false, false, penWidth);
  } else {
    if (defaultColors) {
      pen->SetStyle(psSolid);
      pen->SetColor(clBtnShadow);
    }
    switch (element) {
      case tehCrossUpDown:
        AddDottedLine(dots, TPoint(cx, rect.Top), rect.Height(), true, dotPhase, penWidth);
        AddDottedLine(dots, TPoint(cx, cy), rect.Right - cx, false, false, penWidth);
        break;
      case tehCrossUp:
        AddDottedLine(dots, TPoint(cx, rect.Top), cy - rect.Top, true, dotPhase, penWidth);
        AddDottedLine(dots, TPoint(cx, cy), rect.Right - cx, false, false, penWidth);
        break;
      case tehCrossDown:
        AddDottedLine(dots, TPoint(cx, cy), rect.Bottom - cy, true, dotPhase, penWidth);
        AddDottedLine(dots, TPoint(cx, cy), rect.Right - cx, false, false, penWidth);
        break;
      case tehVLine:
        AddDottedLine(dots, TPoint(cx, rect.Top), rect.Height(), true, dotPhase, penWidth);
        break;
      default:
        AddDottedLine(dots, TPoint(cx, cy), rect.Right - cx, false, false, penWidth);
        break;
    }
  }
  if (dots.empty()) return;
  std::vector<DWORD> counts(dots.size() / 2, 2);
  PolyPolyline(canvas->GetHandle(), dots.data(), counts.data(), static_cast<Integer>(counts.size()));
}
