// The classic 3-D look: DrawEdge rings and DrawFrameControl buttons, scroll arrows, caption and menu
// glyphs in the system colours, and the system metrics of that look.
#include <algorithm>

#include "platform/graphics/private/DeviceContext.h"

namespace {

void Fill(HDC dc, const TRect& r, COLORREF color) {
  if (r.IsEmpty()) return;
  HBRUSH b = CreateSolidBrush(color);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void Pixel(HDC dc, Integer x, Integer y, COLORREF c) { Fill(dc, TRect(x, y, x + 1, y + 1), c); }

struct RingColors {
  COLORREF topLeft, bottomRight;
};

// One ring of an edge: top and left in one colour, right and bottom (with the corners at the
// top right and bottom left) in the other.
void Ring(HDC dc, const TRect& r, RingColors c, UINT sides) {
  if (r.IsEmpty()) return;
  if (sides & BF_LEFT) Fill(dc, TRect(r.Left, r.Top, r.Left + 1, r.Bottom - 1), c.topLeft);
  if (sides & BF_TOP) Fill(dc, TRect(r.Left, r.Top, r.Right - 1, r.Top + 1), c.topLeft);
  if (sides & BF_RIGHT) Fill(dc, TRect(r.Right - 1, r.Top, r.Right, r.Bottom), c.bottomRight);
  if (sides & BF_BOTTOM) Fill(dc, TRect(r.Left, r.Bottom - 1, r.Right, r.Bottom), c.bottomRight);
}

TRect Shrink(const TRect& r, UINT sides) {
  TRect s = r;
  if (sides & BF_LEFT) ++s.Left;
  if (sides & BF_TOP) ++s.Top;
  if (sides & BF_RIGHT) --s.Right;
  if (sides & BF_BOTTOM) --s.Bottom;
  return s;
}

void Triangle(HDC dc, const TRect& r, Integer direction, COLORREF color) {
  // direction: 0 up, 1 down, 2 left, 3 right; a solid arrow centred in the box.
  const Integer size = std::max(2, std::min(r.Width(), r.Height()) / 3);
  const Integer cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
  for (Integer i = 0; i < size; ++i) {
    const Integer half = i;
    switch (direction) {
      case 0:
        Fill(dc, TRect(cx - half, cy - size / 2 + i, cx + half + 1, cy - size / 2 + i + 1), color);
        break;
      case 1:
        Fill(dc,
             TRect(cx - (size - 1 - i), cy - size / 2 + i, cx + (size - 1 - i) + 1, cy - size / 2 + i + 1),
             color);
        break;
      case 2:
        Fill(dc, TRect(cx - size / 2 + i, cy - half, cx - size / 2 + i + 1, cy + half + 1), color);
        break;
      default:
        Fill(dc,
             TRect(cx - size / 2 + i, cy - (size - 1 - i), cx - size / 2 + i + 1, cy + (size - 1 - i) + 1),
             color);
    }
  }
}

void CheckMark(HDC dc, const TRect& box, COLORREF color) {
  // Seven columns: down three, then up four, three pixels thick.
  const Integer x0 = box.Left + (box.Width() - 7) / 2, y0 = box.Top + (box.Height() - 7) / 2 + 2;
  for (Integer i = 0; i < 7; ++i) {
    const Integer y = i < 3 ? y0 + i : y0 + 4 - i;
    Fill(dc, TRect(x0 + i, y, x0 + i + 1, y + 3), color);
  }
}

void Cross(HDC dc, const TRect& box, COLORREF color) {
  const Integer n = std::max(4, std::min(box.Width(), box.Height()) - 6);
  const Integer x0 = box.Left + (box.Width() - n) / 2, y0 = box.Top + (box.Height() - n) / 2;
  for (Integer i = 0; i < n; ++i) {
    Fill(dc, TRect(x0 + i, y0 + i, x0 + i + 2, y0 + i + 1), color);
    Fill(dc, TRect(x0 + n - 1 - i, y0 + i, x0 + n + 1 - i, y0 + i + 1), color);
  }
}

}  // namespace

bool DrawEdge(HDC dc, TRect* rect, UINT edge, UINT flags) {
  if (!dc || !rect) return false;
  const bool soft = flags & BF_SOFT, flat = flags & BF_FLAT, mono = flags & BF_MONO;
  const UINT sides = flags & BF_RECT;
  RingColors outer{0, 0}, inner{0, 0};
  bool hasOuter = true, hasInner = true;
  if (edge & BDR_RAISEDOUTER) {
    outer = {soft ? GetSysColor(COLOR_BTNHIGHLIGHT) : GetSysColor(COLOR_3DLIGHT),
             GetSysColor(COLOR_3DDKSHADOW)};
  } else if (edge & BDR_SUNKENOUTER) {
    outer = {soft ? GetSysColor(COLOR_3DDKSHADOW) : GetSysColor(COLOR_BTNSHADOW),
             GetSysColor(COLOR_BTNHIGHLIGHT)};
  } else {
    hasOuter = false;
  }
  if (edge & BDR_RAISEDINNER) {
    inner = {soft ? GetSysColor(COLOR_3DLIGHT) : GetSysColor(COLOR_BTNHIGHLIGHT),
             GetSysColor(COLOR_BTNSHADOW)};
  } else if (edge & BDR_SUNKENINNER) {
    inner = {soft ? GetSysColor(COLOR_BTNSHADOW) : GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT)};
  } else {
    hasInner = false;
  }
  if (mono) {
    outer = {GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME)};
    inner = {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOW)};
  } else if (flat) {
    outer = {GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNSHADOW)};
    inner = {GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE)};
  }
  TRect r = *rect;
  if (flags & BF_DIAGONAL) {
    // A diagonal edge: one line in the outer colour from corner to corner.
    HPEN pen = CreatePen(PS_SOLID, 1, outer.bottomRight);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, r.Left, r.Bottom - 1, nullptr);
    LineTo(dc, r.Right, r.Top - 1);
    SelectObject(dc, old);
    DeleteObject(pen);
    return true;
  }
  if (hasOuter) {
    Ring(dc, r, outer, sides);
    r = Shrink(r, sides);
  }
  if (hasInner) {
    Ring(dc, r, inner, sides);
    r = Shrink(r, sides);
  }
  if (flags & BF_MIDDLE) Fill(dc, r, GetSysColor(mono ? COLOR_WINDOW : COLOR_BTNFACE));
  if (flags & BF_ADJUST) *rect = r;
  return true;
}

bool DrawFrameControl(HDC dc, TRect* rect, UINT type, UINT state) {
  if (!dc || !rect) return false;
  TRect r = *rect;
  const bool inactive = state & DFCS_INACTIVE, pushed = state & DFCS_PUSHED, checked = state & DFCS_CHECKED;
  const bool flat = state & DFCS_FLAT, mono = state & DFCS_MONO;
  const COLORREF glyph = GetSysColor(inactive ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
  auto button = [&](TRect& box) {
    UINT extra = BF_MIDDLE | BF_ADJUST | BF_RECT;
    if (flat) extra |= BF_FLAT;
    if (mono) extra |= BF_MONO;
    if (pushed || checked) {
      if (flat || mono)
        DrawEdge(dc, &box, BDR_SUNKENOUTER, extra);
      else
        DrawEdge(dc, &box, EDGE_SUNKEN, extra);
    } else {
      DrawEdge(dc, &box, EDGE_RAISED, extra);
    }
  };
  switch (type) {
    case DFC_BUTTON: {
      const UINT kind = state & 0x1F;
      if (kind == DFCS_BUTTONPUSH) {
        button(r);
        if (state & DFCS_ADJUSTRECT) *rect = r;
        return true;
      }
      const Integer size = std::min({13, r.Width(), r.Height()});
      TRect box = Bounds(r.Left, r.Top + (r.Height() - size) / 2, size, size);
      if (kind == DFCS_BUTTONRADIO || kind == DFCS_BUTTONRADIOIMAGE || kind == DFCS_BUTTONRADIOMASK) {
        HBRUSH face = CreateSolidBrush(GetSysColor(inactive || pushed ? COLOR_BTNFACE : COLOR_WINDOW));
        HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
        HGDIOBJ oldBrush = SelectObject(dc, face), oldPen = SelectObject(dc, shadow);
        Ellipse(dc, box.Left, box.Top, box.Right, box.Bottom);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(face);
        DeleteObject(shadow);
        if (checked) {
          const Integer c = box.Left + size / 2, m = box.Top + size / 2;
          Fill(dc, TRect(c - 2, m - 1, c + 2, m + 2), glyph);
          Fill(dc, TRect(c - 1, m - 2, c + 1, m + 3), glyph);
        }
        return true;
      }
      TRect inner = box;
      DrawEdge(dc, &inner, flat ? BDR_SUNKENOUTER : EDGE_SUNKEN,
               BF_RECT | BF_ADJUST | (flat ? UINT(BF_FLAT) : 0u));
      const bool grey = (state & DFCS_BUTTON3STATE) && checked;
      Fill(dc, inner, GetSysColor(inactive || pushed || grey ? COLOR_BTNFACE : COLOR_WINDOW));
      if (checked) CheckMark(dc, inner, grey ? GetSysColor(COLOR_BTNSHADOW) : glyph);
      return true;
    }
    case DFC_SCROLL: {
      const UINT kind = state & 0x1F;
      if (kind == DFCS_SCROLLSIZEGRIP || kind == DFCS_SCROLLSIZEGRIPRIGHT) {
        Fill(dc, r, GetSysColor(COLOR_BTNFACE));
        // Three diagonal grooves, each a shadow line beside a highlight line.
        for (Integer i = 0; i < 3; ++i) {
          const Integer o = 3 + 4 * i;
          for (Integer k = 0; k <= o && k < r.Width() && o - k < r.Height(); ++k) {
            Pixel(dc, r.Right - 1 - k, r.Bottom - 1 - o + k, GetSysColor(COLOR_BTNHIGHLIGHT));
            if (r.Bottom - o + k < r.Bottom)
              Pixel(dc, r.Right - 1 - k, r.Bottom - o + k, GetSysColor(COLOR_BTNSHADOW));
          }
        }
        return true;
      }
      button(r);
      static const Integer directions[] = {0, 1, 2, 3, 0, 1};
      const Integer dir = kind <= DFCS_SCROLLCOMBOBOX ? directions[kind] : 1;
      if (pushed) OffsetRect(&r, 1, 1);
      Triangle(dc, r, dir, glyph);
      return true;
    }
    case DFC_CAPTION: {
      button(r);
      if (pushed) OffsetRect(&r, 1, 1);
      switch (state & 0x1F) {
        case DFCS_CAPTIONCLOSE:
          Cross(dc, r, glyph);
          break;
        case DFCS_CAPTIONMIN:
          Fill(dc, TRect(r.Left + 3, r.Bottom - 4, r.Right - 5, r.Bottom - 2), glyph);
          break;
        case DFCS_CAPTIONMAX: {
          TRect box(r.Left + 2, r.Top + 1, r.Right - 2, r.Bottom - 2);
          HBRUSH b = CreateSolidBrush(glyph);
          FrameRect(dc, &box, b);
          DeleteObject(b);
          Fill(dc, TRect(box.Left, box.Top + 1, box.Right, box.Top + 2), glyph);
          break;
        }
        case DFCS_CAPTIONRESTORE: {
          HBRUSH b = CreateSolidBrush(glyph);
          TRect back(r.Left + 4, r.Top + 1, r.Right - 2, r.Bottom - 5);
          TRect front(r.Left + 2, r.Top + 4, r.Right - 4, r.Bottom - 2);
          FrameRect(dc, &back, b);
          FrameRect(dc, &front, b);
          DeleteObject(b);
          break;
        }
        default:
          Triangle(dc, r, 1, glyph);
      }
      return true;
    }
    case DFC_MENU:
    case DFC_POPUPMENU: {
      const COLORREF c = GetSysColor(inactive ? COLOR_GRAYTEXT : COLOR_MENUTEXT);
      switch (state & 0x1F) {
        case DFCS_MENUARROW:
          Triangle(dc, r, 3, c);
          break;
        case DFCS_MENUARROWRIGHT:
          Triangle(dc, r, 2, c);
          break;
        case DFCS_MENUCHECK:
          CheckMark(dc, r, c);
          break;
        case DFCS_MENUBULLET: {
          const Integer cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
          Fill(dc, TRect(cx - 2, cy - 1, cx + 2, cy + 2), c);
          Fill(dc, TRect(cx - 1, cy - 2, cx + 1, cy + 3), c);
          break;
        }
        default:
          break;
      }
      return true;
    }
    default:
      return false;
  }
}

Integer GetSystemMetrics(Integer index) {
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CXVIRTUALSCREEN:
      return 1920;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
      return 1080;
    case SM_CYFULLSCREEN:
      return 1080 - 19 - 40;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
      return 16;
    case SM_CYCAPTION:
      return 19;
    case SM_CXBORDER:
    case SM_CYBORDER:
    case SM_CXFOCUSBORDER:
    case SM_CYFOCUSBORDER:
      return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
    case SM_CYMENU:
      return 19;
    case SM_CXSIZE:
    case SM_CYSIZE:
    case SM_CXMENUSIZE:
    case SM_CYMENUSIZE:
      return 18;
    case SM_CYSMCAPTION:
      return 15;
    case SM_CXSMSIZE:
      return 12;
    case SM_CYSMSIZE:
      return 14;
    case SM_CXMIN:
    case SM_CXMINTRACK:
      return 112;
    case SM_CYMIN:
    case SM_CYMINTRACK:
      return 27;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG:
      return 4;
    case SM_CXICONSPACING:
    case SM_CYICONSPACING:
      return 75;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
      return 13;
    case SM_CMONITORS:
      return 1;
    default:
      return 0;
  }
}
