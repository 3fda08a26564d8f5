// Theme services: the classic painter over DrawEdge/DrawFrameControl, the themed painter over the
// platform's QStyle, element colours and sizes, and the raw theme calls mapped onto elements.
#include "platform/graphics/Themes.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "platform/graphics/GraphicsApp.h"
#include "platform/graphics/private/DeviceContext.h"

namespace {

std::atomic<bool> ThemesOn{true};

TThemedElementDetails Details(TThemedElement e, Integer part) { return TThemedElementDetails{e, part, 0}; }

void Fill(HDC dc, const TRect& r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void Arrow(HDC dc, const TRect& r, bool up, COLORREF c) {
  const Integer cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
  for (Integer i = 0; i < 4; ++i) {
    const Integer half = up ? i : 3 - i;
    const TRect line(cx - half, cy - 2 + i, cx + half + 1, cy - 1 + i);
    Fill(dc, line, c);
  }
}

// ---- the classic painter ----

void ClassicButton(HDC dc, TThemedButton b, TRect r) {
  if (b >= tbPushButtonNormal && b <= tbPushButtonDefaulted) {
    UINT state = DFCS_BUTTONPUSH;
    if (b == tbPushButtonPressed) state |= DFCS_PUSHED;
    if (b == tbPushButtonDisabled) state |= DFCS_INACTIVE;
    if (b == tbPushButtonDefaulted) {
      HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_WINDOWFRAME));
      FrameRect(dc, &r, frame);
      DeleteObject(frame);
      InflateRect(&r, -1, -1);
    }
    DrawFrameControl(dc, &r, DFC_BUTTON, state);
    return;
  }
  if (b >= tbRadioButtonUncheckedNormal && b <= tbRadioButtonCheckedDisabled) {
    const Integer k = b - tbRadioButtonUncheckedNormal;
    UINT state = DFCS_BUTTONRADIO;
    if (k >= 4) state |= DFCS_CHECKED;
    if (k % 4 == 2) state |= DFCS_PUSHED;
    if (k % 4 == 3) state |= DFCS_INACTIVE;
    DrawFrameControl(dc, &r, DFC_BUTTON, state);
    return;
  }
  if (b >= tbCheckBoxUncheckedNormal && b <= tbCheckBoxMixedDisabled) {
    const Integer k = b - tbCheckBoxUncheckedNormal;
    UINT state = DFCS_BUTTONCHECK;
    if (k >= 4) state |= DFCS_CHECKED;
    if (k >= 8) state |= DFCS_BUTTON3STATE;
    if (k % 4 == 2) state |= DFCS_PUSHED;
    if (k % 4 == 3) state |= DFCS_INACTIVE;
    DrawFrameControl(dc, &r, DFC_BUTTON, state);
  }
}

void ClassicGrid(HDC dc, TThemedGrid g, TRect r) {
  switch (g) {
    case tgCellNormal:
    case tgClassicCellNormal:
    case tgGradientCellNormal:
      Fill(dc, r, GetSysColor(COLOR_WINDOW));
      return;
    case tgCellSelected:
    case tgCellRowSelectedLeft:
    case tgCellRowSelectedCenter:
    case tgCellRowSelectedRight:
    case tgClassicCellSelected:
    case tgGradientCellSelected:
      Fill(dc, r, GetSysColor(COLOR_HIGHLIGHT));
      return;
    case tgGradientFixedCellNormal:
    case tgGradientFixedCellHot:
    case tgGradientFixedCellPressed: {
      const COLORREF face = GetSysColor(COLOR_BTNFACE);
      const COLORREF top = g == tgGradientFixedCellPressed ? ColorAdjustLuma(face, -100, true)
                           : g == tgGradientFixedCellHot   ? ColorAdjustLuma(face, 200, true)
                                                           : GetSysColor(COLOR_BTNHIGHLIGHT);
      GradientFillRect(dc, r, top, face, true);
      HBRUSH shadow = CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW));
      const TRect bottom(r.Left, r.Bottom - 1, r.Right, r.Bottom),
          right(r.Right - 1, r.Top, r.Right, r.Bottom);
      FillRect(dc, &bottom, shadow);
      FillRect(dc, &right, shadow);
      DeleteObject(shadow);
      return;
    }
    default: {
      const bool pressed = g == tgFixedCellPressed || g == tgClassicFixedCellPressed;
      const bool hot = g == tgFixedCellHot || g == tgClassicFixedCellHot;
      Fill(dc, r, hot ? ColorAdjustLuma(GetSysColor(COLOR_BTNFACE), 150, true) : GetSysColor(COLOR_BTNFACE));
      DrawEdge(dc, &r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
  }
}

void ClassicHeader(HDC dc, TThemedHeader h, TRect r) {
  if (h == thHeaderSortArrowSortedUp || h == thHeaderSortArrowSortedDown) {
    Arrow(dc, r, h == thHeaderSortArrowSortedUp, GetSysColor(COLOR_BTNSHADOW));
    return;
  }
  const Integer k = h - thHeaderItemNormal;
  const bool pressed = k >= 0 && k % 3 == 2, hot = k >= 0 && k % 3 == 1;
  Fill(dc, r, hot ? ColorAdjustLuma(GetSysColor(COLOR_BTNFACE), 150, true) : GetSysColor(COLOR_BTNFACE));
  if (pressed)
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_FLAT);
  else
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
}

void ClassicToolBar(HDC dc, TThemedToolBar t, TRect r) {
  switch (t) {
    case ttbButtonHot:
    case ttbSplitButtonHot:
    case ttbSplitButtonDropDownHot:
      DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
      break;
    case ttbButtonPressed:
    case ttbButtonChecked:
    case ttbButtonCheckedHot:
    case ttbSplitButtonPressed:
    case ttbSplitButtonChecked:
    case ttbSplitButtonCheckedHot:
    case ttbSplitButtonDropDownPressed:
      DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
      break;
    case ttbSeparatorNormal: {
      TRect line(r.Left + r.Width() / 2 - 1, r.Top, r.Left + r.Width() / 2 + 1, r.Bottom);
      DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
      return;
    }
    default:
      break;
  }
  if (t >= ttbSplitButtonDropDownNormal && t <= ttbSplitButtonDropDownDisabled)
    Arrow(dc, r, false, GetSysColor(t == ttbSplitButtonDropDownDisabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
}

void TreeGlyph(HDC dc, TRect r, bool opened) {
  const Integer size = 9, x = r.Left + (r.Width() - size) / 2, y = r.Top + (r.Height() - size) / 2;
  TRect box(x, y, x + size, y + size);
  Fill(dc, box, GetSysColor(COLOR_WINDOW));
  HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW));
  FrameRect(dc, &box, frame);
  DeleteObject(frame);
  Fill(dc, TRect(x + 2, y + 4, x + 7, y + 5), GetSysColor(COLOR_WINDOWTEXT));
  if (!opened) Fill(dc, TRect(x + 4, y + 2, x + 5, y + 7), GetSysColor(COLOR_WINDOWTEXT));
}

void DrawClassic(HDC dc, const TThemedElementDetails& d, TRect r) {
  switch (d.Element) {
    case teButton:
      ClassicButton(dc, static_cast<TThemedButton>(d.Part), r);
      return;
    case teComboBox: {
      UINT state = DFCS_SCROLLCOMBOBOX;
      if (d.Part == tcDropDownButtonPressed) state |= DFCS_PUSHED | DFCS_FLAT;
      if (d.Part == tcDropDownButtonDisabled) state |= DFCS_INACTIVE;
      DrawFrameControl(dc, &r, DFC_SCROLL, state);
      return;
    }
    case teGrid:
      ClassicGrid(dc, static_cast<TThemedGrid>(d.Part), r);
      return;
    case teHeader:
      ClassicHeader(dc, static_cast<TThemedHeader>(d.Part), r);
      return;
    case teListView:
      if (d.Part == tlListItemSelected)
        Fill(dc, r, GetSysColor(COLOR_HIGHLIGHT));
      else if (d.Part == tlListItemSelectedNotFocus)
        Fill(dc, r, GetSysColor(COLOR_BTNFACE));
      else if (d.Part == tlListItemHot)
        Fill(dc, r, ColorAdjustLuma(GetSysColor(COLOR_HIGHLIGHT), 600, false));
      return;
    case teMenu:
      if (d.Part == tmPopupSeparator) {
        TRect line(r.Left, r.Top + r.Height() / 2 - 1, r.Right, r.Top + r.Height() / 2 + 1);
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
      } else if (d.Part == tmPopupItemHot) {
        Fill(dc, r, GetSysColor(COLOR_HIGHLIGHT));
      } else if (d.Part == tmPopupCheckNormal) {
        DrawFrameControl(dc, &r, DFC_MENU, DFCS_MENUCHECK);
      } else if (d.Part == tmPopupSubMenuNormal) {
        DrawFrameControl(dc, &r, DFC_MENU, DFCS_MENUARROW);
      } else {
        Fill(dc, r, GetSysColor(COLOR_MENU));
      }
      return;
    case teMonthCal:
      if (d.Part == tmcGridCellSelected) {
        Fill(dc, r, GetSysColor(COLOR_HIGHLIGHT));
      } else if (d.Part == tmcGridCellHot) {
        Fill(dc, r, ColorAdjustLuma(GetSysColor(COLOR_HIGHLIGHT), 600, false));
      } else if (d.Part == tmcGridCellToday) {
        HBRUSH red = CreateSolidBrush(RGB(192, 0, 0));
        FrameRect(dc, &r, red);
        DeleteObject(red);
      } else {
        Fill(dc, r, GetSysColor(COLOR_WINDOW));
      }
      return;
    case teSpin: {
      const bool up = d.Part >= tsUpNormal && d.Part <= tsUpDisabled;
      const Integer k = up ? d.Part - tsUpNormal : d.Part - tsDownNormal;
      UINT state = up ? DFCS_SCROLLUP : DFCS_SCROLLDOWN;
      if (k == 2) state |= DFCS_PUSHED;
      if (k == 3) state |= DFCS_INACTIVE;
      DrawFrameControl(dc, &r, DFC_SCROLL, state);
      return;
    }
    case teStatus:
      if (d.Part == tsGripper)
        DrawFrameControl(dc, &r, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
      else
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
      return;
    case teToolBar:
      ClassicToolBar(dc, static_cast<TThemedToolBar>(d.Part), r);
      return;
    case teToolTip:
      if (d.Part == tttStandardNormal) {
        Fill(dc, r, GetSysColor(COLOR_INFOBK));
        HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_INFOTEXT));
        FrameRect(dc, &r, frame);
        DeleteObject(frame);
      } else if (d.Part >= tttCloseNormal) {
        DrawFrameControl(
            dc, &r, DFC_CAPTION,
            DFCS_CAPTIONCLOSE | DFCS_FLAT | (d.Part == tttClosePressed ? UINT(DFCS_PUSHED) : 0u));
      }
      return;
    case teTreeview:
      if (d.Part == ttGlyphClosed || d.Part == ttHotGlyphClosed)
        TreeGlyph(dc, r, false);
      else if (d.Part == ttGlyphOpened || d.Part == ttHotGlyphOpened)
        TreeGlyph(dc, r, true);
      else if (d.Part == ttItemSelected)
        Fill(dc, r, GetSysColor(COLOR_HIGHLIGHT));
      return;
    case teWindow:
      if (d.Part == twSmallCaptionActive || d.Part == twSmallCaptionInactive) {
        const bool active = d.Part == twSmallCaptionActive;
        GradientFillRect(dc, r, GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION),
                         GetSysColor(active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION),
                         false);
      } else if (d.Part >= twSmallCloseButtonNormal) {
        const Integer k = (d.Part - twSmallCloseButtonNormal) % 4;
        UINT state = DFCS_CAPTIONCLOSE;
        if (k == 2) state |= DFCS_PUSHED;
        if (k == 3) state |= DFCS_INACTIVE;
        DrawFrameControl(dc, &r, DFC_CAPTION, state);
      } else {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
      }
      return;
  }
}

// ---- the themed painter ----

QStyle::State StateFor(Integer k, bool withOn = false) {
  QStyle::State s = QStyle::State_Enabled;
  if (k == 1) s |= QStyle::State_MouseOver;
  if (k == 2) s |= QStyle::State_Sunken;
  if (k == 3) s &= ~QStyle::State_Enabled;
  if (withOn) s |= QStyle::State_On;
  return s;
}

// Styles take an arrow's colour from the option's palette, not from its state: a disabled arrow needs
// the disabled colour group to be greyed.
void UseStatePalette(QStyleOption& o) {
  o.palette = QApplication::palette();
  if (!(o.state & QStyle::State_Enabled)) o.palette.setCurrentColorGroup(QPalette::Disabled);
}

// How much of the highlight colour a themed selection takes, in its fill and in its frame.
constexpr double kGridSelectionTint = 0.3;
constexpr double kGridSelectionFrame = 0.65;

// The themed selections of grid cells, list items and calendar days: a tint under text that keeps its
// own colour.
bool IsTintedSelection(const TThemedElementDetails& d) {
  return (d.Element == teGrid && (d.Part == tgCellSelected ||
                                  (d.Part >= tgCellRowSelectedLeft && d.Part <= tgCellRowSelectedRight))) ||
         (d.Element == teListView && d.Part == tlListItemSelected) ||
         (d.Element == teMonthCal && d.Part == tmcGridCellSelected);
}

// The window colour with the given share of the highlight, both as the current style sets them.
TColor TintedSelectionColor(double share) {
  const auto from = static_cast<uint32_t>(ColorToRGB(clWindow));
  const auto to = static_cast<uint32_t>(ColorToRGB(clHighlight));
  uint32_t rgb = 0;
  for (int shift : {0, 8, 16}) {
    const auto a = static_cast<double>((from >> shift) & 0xFF), b = static_cast<double>((to >> shift) & 0xFF);
    rgb |= static_cast<uint32_t>(std::lround(a + (b - a) * share)) << shift;
  }
  return static_cast<TColor>(rgb);
}

bool DrawThemed(HDC dc, const TThemedElementDetails& d, const TRect& r) {
  QPainter* p = gdi::Painter(dc);
  QStyle* style = QApplication::instance() ? QApplication::style() : nullptr;
  if (!p || !style) return false;
  p->save();
  p->setTransform(gdi::PainterTransform(dc));
  p->setRenderHint(QPainter::Antialiasing, true);
  const QRect rect(r.Left, r.Top, r.Width(), r.Height());
  // Some styles paint a shadow past the rectangle; the element keeps to it, as the original's do.
  p->setClipRect(rect, Qt::IntersectClip);
  bool done = true;
  switch (d.Element) {
    case teButton: {
      const auto b = static_cast<TThemedButton>(d.Part);
      if (b >= tbPushButtonNormal && b <= tbPushButtonDefaulted) {
        QStyleOptionButton o;
        o.rect = rect;
        o.state = StateFor(b - tbPushButtonNormal) | QStyle::State_Raised;
        if (b == tbPushButtonDefaulted) o.features |= QStyleOptionButton::DefaultButton;
        style->drawControl(QStyle::CE_PushButtonBevel, &o, p);
      } else if (b >= tbRadioButtonUncheckedNormal && b <= tbRadioButtonCheckedDisabled) {
        const Integer k = b - tbRadioButtonUncheckedNormal;
        QStyleOptionButton o;
        o.rect = rect;
        o.state = StateFor(k % 4) | (k >= 4 ? QStyle::State_On : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorRadioButton, &o, p);
      } else if (b >= tbCheckBoxUncheckedNormal) {
        const Integer k = b - tbCheckBoxUncheckedNormal;
        QStyleOptionButton o;
        o.rect = rect;
        o.state = StateFor(k % 4) | (k >= 8   ? QStyle::State_NoChange
                                     : k >= 4 ? QStyle::State_On
                                              : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &o, p);
      }
      break;
    }
    case teHeader: {
      if (d.Part == thHeaderSortArrowSortedUp || d.Part == thHeaderSortArrowSortedDown) {
        QStyleOptionHeader o;
        o.rect = rect;
        o.state = QStyle::State_Enabled;
        o.sortIndicator =
            d.Part == thHeaderSortArrowSortedUp ? QStyleOptionHeader::SortUp : QStyleOptionHeader::SortDown;
        style->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &o, p);
      } else {
        QStyleOptionHeader o;
        o.rect = rect;
        o.state =
            StateFor((d.Part - thHeaderItemNormal) % 3) | QStyle::State_Raised | QStyle::State_Horizontal;
        style->drawControl(QStyle::CE_HeaderSection, &o, p);
      }
      break;
    }
    case teComboBox: {
      QStyleOption o;
      o.rect = rect;
      o.state = StateFor(d.Part - tcDropDownButtonNormal);
      UseStatePalette(o);
      style->drawPrimitive(QStyle::PE_PanelButtonBevel, &o, p);
      style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &o, p);
      break;
    }
    case teSpin: {
      const bool up = d.Part >= tsUpNormal && d.Part <= tsUpDisabled;
      QStyleOption o;
      o.rect = rect;
      o.state = StateFor(up ? d.Part - tsUpNormal : d.Part - tsDownNormal);
      UseStatePalette(o);
      style->drawPrimitive(QStyle::PE_PanelButtonBevel, &o, p);
      style->drawPrimitive(up ? QStyle::PE_IndicatorSpinUp : QStyle::PE_IndicatorSpinDown, &o, p);
      break;
    }
    case teTreeview: {
      if (d.Part >= ttGlyphClosed) {
        QStyleOption o;
        o.rect = rect;
        o.state = QStyle::State_Enabled | QStyle::State_Children | QStyle::State_Item;
        if (d.Part == ttGlyphOpened || d.Part == ttHotGlyphOpened) o.state |= QStyle::State_Open;
        style->drawPrimitive(QStyle::PE_IndicatorBranch, &o, p);
      } else {
        done = false;
      }
      break;
    }
    case teStatus: {
      if (d.Part == tsGripper) {
        QStyleOptionSizeGrip o;
        o.rect = rect;
        o.corner = Qt::BottomRightCorner;
        style->drawControl(QStyle::CE_SizeGrip, &o, p);
      } else {
        done = false;
      }
      break;
    }
    case teToolBar: {
      const auto t = static_cast<TThemedToolBar>(d.Part);
      QStyleOption o;
      o.rect = rect;
      o.state = QStyle::State_Enabled | QStyle::State_AutoRaise;
      if (t == ttbButtonHot || t == ttbSplitButtonHot || t == ttbSplitButtonDropDownHot)
        o.state |= QStyle::State_MouseOver | QStyle::State_Raised;
      if (t == ttbButtonPressed || t == ttbSplitButtonPressed || t == ttbSplitButtonDropDownPressed)
        o.state |= QStyle::State_Sunken;
      if (t == ttbButtonChecked || t == ttbButtonCheckedHot || t == ttbSplitButtonChecked)
        o.state |= QStyle::State_On;
      if (t == ttbSeparatorNormal) {
        style->drawPrimitive(QStyle::PE_IndicatorToolBarSeparator, &o, p);
      } else {
        if (o.state & (QStyle::State_MouseOver | QStyle::State_Sunken | QStyle::State_On))
          style->drawPrimitive(QStyle::PE_PanelButtonTool, &o, p);
        if (t >= ttbSplitButtonDropDownNormal && t <= ttbSplitButtonDropDownDisabled)
          style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &o, p);
      }
      break;
    }
    case teMenu: {
      if (d.Part == tmPopupItemNormal || d.Part == tmPopupItemHot || d.Part == tmPopupItemDisabled ||
          d.Part == tmPopupSeparator) {
        QStyleOptionMenuItem o;
        o.rect = rect;
        o.menuItemType =
            d.Part == tmPopupSeparator ? QStyleOptionMenuItem::Separator : QStyleOptionMenuItem::Normal;
        o.state = d.Part == tmPopupItemDisabled ? QStyle::State_None : QStyle::State_Enabled;
        if (d.Part == tmPopupItemHot) o.state |= QStyle::State_Selected;
        o.palette = QApplication::palette();
        style->drawControl(QStyle::CE_MenuItem, &o, p);
      } else {
        done = false;
      }
      break;
    }
    case teListView:
    case teMonthCal:
    case teGrid: {
      const bool selected =
          (d.Element == teListView &&
           (d.Part == tlListItemSelected || d.Part == tlListItemSelectedNotFocus)) ||
          (d.Element == teMonthCal && d.Part == tmcGridCellSelected) ||
          (d.Element == teGrid &&
           (d.Part == tgCellSelected || d.Part == tgClassicCellSelected || d.Part == tgGradientCellSelected ||
            (d.Part >= tgCellRowSelectedLeft && d.Part <= tgCellRowSelectedRight)));
      const bool fixed = d.Element == teGrid && d.Part >= tgFixedCellNormal &&
                         d.Part != tgClassicCellNormal && d.Part != tgClassicCellSelected &&
                         d.Part != tgGradientCellNormal && d.Part != tgGradientCellSelected;
      if (fixed) {
        QStyleOptionHeader o;
        o.rect = rect;
        const Integer k =
            (d.Part == tgFixedCellHot || d.Part == tgClassicFixedCellHot || d.Part == tgGradientFixedCellHot)
                ? 1
            : (d.Part == tgFixedCellPressed || d.Part == tgClassicFixedCellPressed ||
               d.Part == tgGradientFixedCellPressed)
                ? 2
                : 0;
        o.state = StateFor(k) | QStyle::State_Raised | QStyle::State_Horizontal;
        style->drawControl(QStyle::CE_HeaderSection, &o, p);
      } else if (IsTintedSelection(d)) {
        // A themed selection is a tint with a frame, so the text over it keeps its colour.
        p->fillRect(rect, gdi::ToQColor(TintedSelectionColor(kGridSelectionTint)));
        p->setPen(QPen(gdi::ToQColor(TintedSelectionColor(kGridSelectionFrame)), 1));
        p->setBrush(Qt::NoBrush);  // the frame only: the device context's brush would fill it
        p->drawRect(rect.adjusted(0, 0, -1, -1));
      } else if (selected) {
        p->fillRect(rect, QApplication::palette().brush(QPalette::Active, QPalette::Highlight));
      } else if (d.Element == teMonthCal && d.Part == tmcGridCellToday) {
        p->setPen(QPen(QApplication::palette().highlight().color(), 1));
        p->setBrush(Qt::NoBrush);
        p->drawRect(rect.adjusted(0, 0, -1, -1));
      } else if (d.Element == teMonthCal && d.Part == tmcGridCellHot) {
        QStyleOptionViewItem o;
        o.rect = rect;
        o.state = QStyle::State_Enabled | QStyle::State_MouseOver;
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &o, p);
      } else {
        p->fillRect(rect, QApplication::palette().base());
      }
      break;
    }
    case teToolTip:
    case teWindow: {
      const bool close = (d.Element == teToolTip && d.Part >= tttCloseNormal) ||
                         (d.Element == teWindow && d.Part >= twSmallCloseButtonNormal);
      if (close) {
        QStyleOption o;
        o.rect = rect;
        o.state = QStyle::State_Enabled;
        style->drawPrimitive(QStyle::PE_IndicatorTabClose, &o, p);
      } else if (d.Element == teToolTip) {
        QStyleOptionFrame o;
        o.rect = rect;
        o.palette = QApplication::palette();
        style->drawPrimitive(QStyle::PE_PanelTipLabel, &o, p);
      } else {
        done = false;
      }
      break;
    }
  }
  p->restore();
  gdi::InvalidatePainterState(dc);
  return done;
}

// ---- raw theme classes ----

struct ThemeClass {
  const char16_t* name;
  TThemedElement element;
};
constexpr ThemeClass Classes[] = {
    {u"BUTTON", teButton},   {u"COMBOBOX", teComboBox}, {u"HEADER", teHeader},     {u"LISTVIEW", teListView},
    {u"MENU", teMenu},       {u"MONTHCAL", teMonthCal}, {u"SPIN", teSpin},         {u"STATUS", teStatus},
    {u"TOOLBAR", teToolBar}, {u"TOOLTIP", teToolTip},   {u"TREEVIEW", teTreeview}, {u"WINDOW", teWindow},
    {u"GRID", teGrid},
};

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    Char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

// The element of a raw part and state; false when the pair is not known.
bool RawToDetails(TThemedElement e, Integer part, Integer state, TThemedElementDetails& d) {
  const Integer k = std::max(0, state - 1);
  d.Element = e;
  switch (e) {
    case teButton:
      if (part == BP_PUSHBUTTON)
        d.Part = tbPushButtonNormal + std::min(k, 4);
      else if (part == BP_RADIOBUTTON)
        d.Part = tbRadioButtonUncheckedNormal + std::min(k, 7);
      else if (part == BP_CHECKBOX)
        d.Part = tbCheckBoxUncheckedNormal + std::min(k, 11);
      else
        return false;
      return true;
    case teHeader:
      if (part == HP_HEADERSORTARROW)
        d.Part = state == HSAS_SORTEDDOWN ? thHeaderSortArrowSortedDown : thHeaderSortArrowSortedUp;
      else if (part >= HP_HEADERITEM && part <= HP_HEADERITEMRIGHT)
        d.Part = thHeaderItemNormal + 3 * (part - 1) + std::min(k, 2);
      else
        return false;
      return true;
    case teTreeview:
      if (part != TVP_GLYPH) return false;
      d.Part = state == GLPS_OPENED ? ttGlyphOpened : ttGlyphClosed;
      return true;
    case teComboBox:
      if (part != CP_DROPDOWNBUTTON) return false;
      d.Part = tcDropDownButtonNormal + std::min(k, 3);
      return true;
    case teSpin:
      if (part == SPNP_UP)
        d.Part = tsUpNormal + std::min(k, 3);
      else if (part == SPNP_DOWN)
        d.Part = tsDownNormal + std::min(k, 3);
      else
        return false;
      return true;
    case teToolBar: {
      static const Integer button[] = {ttbButtonNormal,   ttbButtonHot,     ttbButtonPressed,
                                       ttbButtonDisabled, ttbButtonChecked, ttbButtonCheckedHot};
      static const Integer split[] = {ttbSplitButtonNormal,  ttbSplitButtonHot,
                                      ttbSplitButtonPressed, ttbSplitButtonDisabled,
                                      ttbSplitButtonChecked, ttbSplitButtonCheckedHot};
      static const Integer drop[] = {ttbSplitButtonDropDownNormal,  ttbSplitButtonDropDownHot,
                                     ttbSplitButtonDropDownPressed, ttbSplitButtonDropDownDisabled,
                                     ttbSplitButtonDropDownPressed, ttbSplitButtonDropDownHot};
      const Integer i = std::min(k, 5);
      if (part == TP_BUTTON || part == TP_DROPDOWNBUTTON)
        d.Part = button[i];
      else if (part == TP_SPLITBUTTON)
        d.Part = split[i];
      else if (part == TP_SPLITBUTTONDROPDOWN)
        d.Part = drop[i];
      else
        return false;
      return true;
    }
    case teStatus:
      d.Part = part == SP_GRIPPER ? tsGripper : part == SP_GRIPPERPANE ? tsGripperPane : tsPane;
      return true;
    case teWindow:
      if (part == WP_SMALLCLOSEBUTTON)
        d.Part = twSmallCloseButtonNormal + std::min(k, 3);
      else if (part == WP_CLOSEBUTTON)
        d.Part = twCloseButtonNormal + std::min(k, 3);
      else if (part == WP_SMALLCAPTION)
        d.Part = state == 2 ? twSmallCaptionInactive : twSmallCaptionActive;
      else
        return false;
      return true;
    case teToolTip:
      if (part == TTP_CLOSE)
        d.Part = tttCloseNormal + std::min(k, 2);
      else if (part == TTP_STANDARD)
        d.Part = tttStandardNormal;
      else
        return false;
      return true;
    case teListView: {
      if (part != LVP_LISTITEM) return false;
      static const Integer items[] = {tlListItemNormal, tlListItemHot, tlListItemSelected, tlListItemDisabled,
                                      tlListItemSelectedNotFocus};
      d.Part = items[std::min(k, 4)];
      return true;
    }
    case teMenu:
      if (part == MENU_POPUPSEPARATOR)
        d.Part = tmPopupSeparator;
      else if (part == MENU_POPUPITEM)
        d.Part = state == MPI_HOT        ? tmPopupItemHot
                 : state == MPI_DISABLED ? tmPopupItemDisabled
                                         : tmPopupItemNormal;
      else
        return false;
      return true;
    case teMonthCal:
      if (part != MC_GRIDCELL) return false;
      d.Part = state == MCGC_HOT        ? tmcGridCellHot
               : state == MCGC_SELECTED ? tmcGridCellSelected
               : state == MCGC_TODAY    ? tmcGridCellToday
                                        : tmcGridCellNormal;
      return true;
    case teGrid:
      d.Part = part;
      return true;
  }
  return false;
}

}  // namespace

bool TCustomStyleServices::Enabled() const { return ThemesOn.load(); }

TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedButton d) const {
  return Details(teButton, d);
}
TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedComboBox d) const {
  return Details(teComboBox, d);
}
TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedGrid d) const {
  return Details(teGrid, d);
}
TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedHeader d) const {
  return Details(teHeader, d);
}
TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedListview d) const {
  return Details(teListView, d);
}
TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedMenu d) const {
  return Details(teMenu, d);
}
TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedMonthCal d) const {
  return Details(teMonthCal, d);
}
TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedSpin d) const {
  return Details(teSpin, d);
}
TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedStatus d) const {
  return Details(teStatus, d);
}
TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedToolBar d) const {
  return Details(teToolBar, d);
}
TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedToolTip d) const {
  return Details(teToolTip, d);
}
TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedTreeview d) const {
  return Details(teTreeview, d);
}
TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedWindow d) const {
  return Details(teWindow, d);
}

bool TCustomStyleServices::DrawElement(HDC dc, const TThemedElementDetails& details, const TRect& rect,
                                       const TRect* clip) const {
  if (!dc || rect.IsEmpty()) return false;
  const Integer saved = SaveDC(dc);
  if (clip) IntersectClipRect(dc, clip->Left, clip->Top, clip->Right, clip->Bottom);
  // The themed painter needs a painter; metafiles and disabled themes get the classic look.
  if (!Enabled() || !DrawThemed(dc, details, rect)) DrawClassic(dc, details, rect);
  RestoreDC(dc, saved);
  return true;
}

TRect TCustomStyleServices::GetElementContentRect(HDC, const TThemedElementDetails& d,
                                                  const TRect& bounds) const {
  TRect r = bounds;
  switch (d.Element) {
    case teButton:
    case teHeader:
    case teToolBar:
    case teComboBox:
    case teSpin:
      InflateRect(&r, -2, -2);
      break;
    case teGrid:
      if (d.Part >= tgFixedCellNormal && d.Part != tgClassicCellNormal && d.Part != tgClassicCellSelected &&
          d.Part != tgGradientCellNormal && d.Part != tgGradientCellSelected)
        InflateRect(&r, -1, -1);
      break;
    case teToolTip:
      InflateRect(&r, -1, -1);
      break;
    default:
      break;
  }
  return r;
}

bool TCustomStyleServices::GetElementColor(const TThemedElementDetails& d, TElementColor which,
                                           TColor& color) const {
  const bool selected =
      (d.Element == teGrid &&
       (d.Part == tgCellSelected || d.Part == tgClassicCellSelected || d.Part == tgGradientCellSelected ||
        (d.Part >= tgCellRowSelectedLeft && d.Part <= tgCellRowSelectedRight))) ||
      (d.Element == teListView && d.Part == tlListItemSelected) ||
      (d.Element == teMenu && d.Part == tmPopupItemHot) ||
      (d.Element == teMonthCal && d.Part == tmcGridCellSelected);
  const bool face = d.Element == teHeader || d.Element == teButton || d.Element == teToolBar ||
                    (d.Element == teGrid && !selected && d.Part >= tgFixedCellNormal &&
                     d.Part != tgClassicCellNormal && d.Part != tgGradientCellNormal);
  if (IsTintedSelection(d) && (which == ecFillColor || which == ecTextColor)) {
    color = which == ecFillColor ? TintedSelectionColor(kGridSelectionTint) : clWindowText;
    return true;
  }
  switch (which) {
    case ecFillColor:
      color = selected                 ? clHighlight
              : face                   ? clBtnFace
              : d.Element == teMenu    ? clMenu
              : d.Element == teToolTip ? clInfoBk
                                       : clWindow;
      return true;
    case ecTextColor:
      color = selected                 ? clHighlightText
              : face                   ? clBtnText
              : d.Element == teToolTip ? clInfoText
                                       : clWindowText;
      return true;
    case ecBorderColor:
      color = clBtnShadow;
      return true;
    case ecEdgeLightColor:
      color = clBtnHighlight;
      return true;
    case ecEdgeShadowColor:
      color = clBtnShadow;
      return true;
    case ecGlyphColor:
      color = clBtnText;
      return true;
    case ecGradientColor1:
    case ecGradientColor2: {
      // A fixed cell's gradient runs from a lighter face down to the face; a pressed one the other way.
      const bool pressed =
          d.Element == teGrid && (d.Part == tgGradientFixedCellPressed || d.Part == tgFixedCellPressed ||
                                  d.Part == tgClassicFixedCellPressed);
      const bool top = (which == ecGradientColor1) != pressed;
      color = top ? static_cast<TColor>(BlendColors(ColorToRGB(clBtnHighlight), ColorToRGB(clBtnFace), 128))
                  : static_cast<TColor>(ColorToRGB(clBtnFace));
      return true;
    }
  }
  return false;
}

bool TCustomStyleServices::GetElementSize(HDC, const TThemedElementDetails& d, TElementSize,
                                          TSize& size) const {
  switch (d.Element) {
    case teButton:
      if (d.Part >= tbRadioButtonUncheckedNormal) {
        size = TSize(13, 13);
        return true;
      }
      return false;
    case teHeader:
      if (d.Part >= thHeaderSortArrowSortedUp) {
        size = TSize(9, 5);
        return true;
      }
      return false;
    case teTreeview:
      size = TSize(9, 9);
      return true;
    case teComboBox:
      size = TSize(GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CXVSCROLL));
      return true;
    case teSpin:
      size = TSize(15, 10);
      return true;
    case teStatus:
      size = TSize(16, 16);
      return true;
    case teToolTip:
    case teWindow:
      size = TSize(13, 13);
      return true;
    default:
      return false;
  }
}

TColor TCustomStyleServices::GetStyleColor(TStyleColor) const {
  return static_cast<TColor>(ColorToRGB(clWindow));
}

TColor TCustomStyleServices::GetStyleFontColor(TStyleFont font) const {
  return static_cast<TColor>(ColorToRGB(font == sfGridItemSelected ? clHighlightText : clWindowText));
}

TColor TCustomStyleServices::GetSystemColor(TColor color) const {
  return color < 0 && color != clNone && color != clDefault ? static_cast<TColor>(ColorToRGB(color)) : color;
}

bool TCustomStyleServices::DrawText(HDC dc, const TThemedElementDetails& d, const String& text, TRect& rect,
                                    UINT flags) const {
  TColor color = clWindowText;
  GetElementColor(d, ecTextColor, color);
  const COLORREF old = SetTextColor(dc, ColorToRGB(color));
  const Integer mode = SetBkMode(dc, TRANSPARENT);
  ::DrawText(dc, text.c_str(), static_cast<Integer>(text.size()), &rect, flags);
  SetBkMode(dc, mode);
  SetTextColor(dc, old);
  return true;
}

TCustomStyleServices* StyleServices() {
  static TCustomStyleServices services;
  InitGraphics();
  return &services;
}

bool ThemesEnabled() { return ThemesOn.load(); }
void SetThemesEnabled(bool enabled) { ThemesOn.store(enabled); }
bool CustomStyleActive() { return false; }

HTHEME OpenThemeData(HWND, const Char* classList) {
  if (!ThemesEnabled() || !classList) return nullptr;
  std::u16string_view list(classList);
  while (!list.empty()) {
    const size_t semi = list.find(u';');
    const std::u16string_view name = list.substr(0, semi);
    for (const ThemeClass& c : Classes)
      if (SameName(name, c.name)) return const_cast<ThemeClass*>(&c);
    if (semi == std::u16string_view::npos) break;
    list.remove_prefix(semi + 1);
  }
  return nullptr;
}

Integer CloseThemeData(HTHEME) { return S_OK; }
bool IsThemeActive() { return ThemesEnabled(); }
bool IsAppThemed() { return ThemesEnabled(); }

Integer DrawThemeBackground(HTHEME theme, HDC dc, Integer part, Integer state, const TRect* rect,
                            const TRect* clip) {
  if (!theme || !dc || !rect) return E_FAIL;
  TThemedElementDetails d;
  if (!RawToDetails(static_cast<ThemeClass*>(theme)->element, part, state, d)) return E_FAIL;
  return StyleServices()->DrawElement(dc, d, *rect, clip) ? S_OK : E_FAIL;
}

Integer GetThemePartSize(HTHEME theme, HDC dc, Integer part, Integer state, const TRect*, THEMESIZE size,
                         TSize* result) {
  if (!theme || !result) return E_FAIL;
  TThemedElementDetails d;
  if (!RawToDetails(static_cast<ThemeClass*>(theme)->element, part, state, d)) return E_FAIL;
  return StyleServices()->GetElementSize(dc, d, size == TS_MIN ? esMinimum : esActual, *result) ? S_OK
                                                                                                : E_FAIL;
}

Integer GetThemeBackgroundContentRect(HTHEME theme, HDC dc, Integer part, Integer state, const TRect* bounds,
                                      TRect* content) {
  if (!theme || !bounds || !content) return E_FAIL;
  TThemedElementDetails d;
  if (!RawToDetails(static_cast<ThemeClass*>(theme)->element, part, state, d)) return E_FAIL;
  *content = StyleServices()->GetElementContentRect(dc, d, *bounds);
  return S_OK;
}
