// The process-wide style and default-handler objects every data grid shares, their start-up and
// clean-up, and the grid unit's small routines (storage paths, rectangles, the wait cursor).
#include <algorithm>
#include <cmath>
#include <memory>

#include "gridlib/base/GridLibLangConsts.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StyleManager.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"

Integer DisplayColorCount = -1;

// ======================= Process-wide objects =======================

namespace {
TDBGridEhStyle* globalStyle = nullptr;
TDBGridEhCenter* globalCenter = nullptr;
// Once freed, the process-wide objects stay gone until the unit starts again.
bool globalStyleGone = false;
bool globalCenterGone = false;
Integer waitCursorCount = 0;
TCursor waitCursorSaved = crDefault;

// The grids registered with a shared object, in registration order.
bool SharedGridsHave(const std::vector<TCustomDBGridEh*>& grids, TCustomDBGridEh* grid) {
  return std::find(grids.begin(), grids.end(), grid) != grids.end();
}

void SharedGridsAdd(std::vector<TCustomDBGridEh*>& grids, TCustomDBGridEh* grid) {
  if (!SharedGridsHave(grids, grid)) grids.push_back(grid);
}

// Hands every grid, the last first, to release, whose setter takes it off the list. A grid that fails
// to re-read itself still leaves: the shared object is going either way.
template <class Release>
void SharedGridsRelease(std::vector<TCustomDBGridEh*>& grids, Release release) noexcept {
  while (!grids.empty()) {
    TCustomDBGridEh* grid = grids.back();
    try {
      release(grid);
    } catch (...) {
    }
    if (!grids.empty() && grids.back() == grid) grids.pop_back();
  }
}
}  // namespace

TDBGridEhStyle* GetGlobalGridStyle() {
  if (!globalStyle && !globalStyleGone) globalStyle = new TDBGridEhStyle();
  return globalStyle;
}

TDBGridEhCenter* GetGlobalGridCenter() {
  if (!globalCenter && !globalCenterGone) globalCenter = new TDBGridEhCenter();
  return globalCenter;
}

void SetGlobalGridStyle(TDBGridEhStyle* style) {
  if (style == globalStyle) return;
  TDBGridEhStyle* old = globalStyle;
  globalStyle = style;
  globalStyleGone = style == nullptr;
  // The old style's grids return to the process-wide style as it frees itself.
  delete old;
}

void SetGlobalGridCenter(TDBGridEhCenter* center) {
  if (center == globalCenter) return;
  TDBGridEhCenter* old = globalCenter;
  globalCenter = center;
  globalCenterGone = center == nullptr;
  delete old;
}

void InitDBGridEhUnit() {
  globalStyleGone = false;
  globalCenterGone = false;
  GetGlobalGridStyle();
  GetGlobalGridCenter();
  RegisterDBGridColumnInterceptorsEh();
  RegisterClasses({TDBGridEh::StaticClass(), TRowDetailPanelControlEh::StaticClass()});
}

namespace {
void FreeCenterMenus();
}  // namespace

void DoneDBGridEhUnit() {
  SetGlobalGridStyle(nullptr);
  SetGlobalGridCenter(nullptr);
  FreeCenterMenus();
}

// ======================= Style =======================

TDBGridEhStyle::TDBGridEhStyle(TComponent* owner) : TComponent(owner) {
  styleChangedKey_ = TStyleManager::AddStyleChangedHandler([this] {
    TMessage message{};
    message.Msg = WM_SYSCOLORCHANGE;
    WndProc(message);
  });
  RefreshColorDepth();
}

TDBGridEhStyle::~TDBGridEhStyle() {
  TStyleManager::RemoveStyleChangedHandler(styleChangedKey_);
  if (globalStyle == this) {
    globalStyle = nullptr;
    globalStyleGone = true;
  }
  SharedGridsRelease(grids_, [](TCustomDBGridEh* grid) { grid->SetStyle(nullptr); });
}

void TDBGridEhStyle::AddChangeNotification(TCustomDBGridEh* grid) { SharedGridsAdd(grids_, grid); }

void TDBGridEhStyle::RemoveChangeNotification(TCustomDBGridEh* grid) { std::erase(grids_, grid); }

bool TDBGridEhStyle::GridInChangeNotification(TCustomDBGridEh* grid) const {
  return SharedGridsHave(grids_, grid);
}

void TDBGridEhStyle::Changed() {
  // A grid may leave the list while it is told.
  const std::vector<TCustomDBGridEh*> grids = grids_;
  for (TCustomDBGridEh* grid : grids)
    if (GridInChangeNotification(grid)) grid->DrawStyleChanged();
}

bool TDBGridEhStyle::IsCustomStyleActive() const { return CustomStyleActiveEh(); }

void TDBGridEhStyle::SetGradientEnabledInClassicTheme(bool value) {
  if (gradientEnabledInClassicTheme_ == value) return;
  gradientEnabledInClassicTheme_ = value;
  Changed();
}

bool TDBGridEhStyle::DefaultIsDrawFocusRect() const {
  TGridDrawStyleEh* drawStyle = GetGridDefaultDrawStyle();
  return drawStyle ? drawStyle->GetDrawFocusFrame() : true;
}

bool TDBGridEhStyle::GetIsDrawFocusRect() const {
  return isDrawFocusRectStored_ ? isDrawFocusRect_ : DefaultIsDrawFocusRect();
}

void TDBGridEhStyle::SetIsDrawFocusRect(bool value) {
  if (value == GetIsDrawFocusRect()) return;
  isDrawFocusRect_ = value;
  isDrawFocusRectStored_ = true;
  Changed();
}

void TDBGridEhStyle::SetLuminateSelection(bool value) {
  if (luminateSelection_ == value) return;
  luminateSelection_ = value;
  Changed();
}

void TDBGridEhStyle::SetSelectionColor(TColor value) {
  if (selectionColor_ == value) return;
  selectionColor_ = value;
  Changed();
}

void TDBGridEhStyle::SetSelectionFontColor(TColor value) {
  if (selectionFontColor_ == value) return;
  selectionFontColor_ = value;
  Changed();
}

void TDBGridEhStyle::SetSortMarkerStyle(TSortMarkerStyleEh value) {
  if (sortMarkerStyle_ == value) return;
  sortMarkerStyle_ = value;
  Changed();
}

// Per channel: the mean of the two colours brought towards a light grey, then away from mid grey.
TColor TDBGridEhStyle::LightenColor(TColor color, TColor glassColor, bool ungray) const {
  const TColorRef a = ColorToRGB(color), b = ColorToRGB(glassColor);
  const auto channel = [ungray](Integer x, Integer y) {
    const double m = x + (y - x) * 0.5;
    double v = m + (225 - m) * 0.6;
    if (ungray) v -= (122 - v) * 0.25;
    return static_cast<Integer>(std::clamp(std::nearbyint(v), 0.0, 255.0));
  };
  return static_cast<TColor>(RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
                                 channel(GetBValue(a), GetBValue(b))));
}

TColor TDBGridEhStyle::GetSelectionColor() const {
  return selectionColor_ == clDefault ? clHighlight : selectionColor_;
}

TColor TDBGridEhStyle::GetSelectionFontColor() const {
  return selectionFontColor_ == clDefault ? clHighlightText : selectionFontColor_;
}

TColor TDBGridEhStyle::GetSelectionInactiveColor() const {
  return selectionInactiveColor_ == clDefault ? GrayColorEh(GetSelectionColor()) : selectionInactiveColor_;
}

// Under a custom style a column keeps a trace of its own colour over the style's grid colours.
TColor TDBGridEhStyle::GetColumnColor(TColumnEh* column) const {
  const TColor color = column->GetColor();
  if (!IsCustomStyleActive()) return color;
  const TColor styleColor = StyleServices()->GetStyleColor(scGrid);
  TCustomDBGridEh* grid = column->GetDBGrid();
  if (grid && color == grid->GetColor()) return styleColor;
  return MixColorsEh(styleColor, color, 85);
}

TColor TDBGridEhStyle::GetColumnFontColor(TColumnEh* column, TGridDrawState state) const {
  const TColor color = column->GetFont()->GetColor();
  if (!IsCustomStyleActive()) return color;
  const TColor styleColor =
      StyleServices()->GetStyleFontColor(state.Contains(gdSelected) ? sfGridItemSelected : sfGridItemNormal);
  TCustomDBGridEh* grid = column->GetDBGrid();
  if (grid && color == grid->GetFont()->GetColor()) return styleColor;
  return MixColorsEh(styleColor, color, 85);
}

TColor TDBGridEhStyle::GetSubtitleRowColor(TCustomDBGridEh* grid) {
  TColor color = DefaultGetSubtitleRowColor(grid);
  if (OnGetSubtitleRowColor) OnGetSubtitleRowColor(grid, color);
  return color;
}

TColor TDBGridEhStyle::DefaultGetSubtitleRowColor(TCustomDBGridEh* grid) const {
  return MixColorsEh(grid->GetColor(), grid->GetFixedColor(), 8);
}

TColor TDBGridEhStyle::GetGroupPanelColor(TCustomDBGridEh* grid) const {
  return MixColorsEh(grid->GetFixedColor(), grid->GetGridLineColors()->GetBrightColor(), 128);
}

Integer TDBGridEhStyle::GetDataCellHorzOffset(TCustomDBGridEh*, TColumnEh*) const {
  return dataCellHorzOffset_ < 0 ? 3 : dataCellHorzOffset_;
}

TTreeViewGlyphStyleEh TDBGridEhStyle::GetActualTreeGlyphStyle() const {
  return ThemesEnabledEh() ? tvgsThemedEh : tvgsClassicEh;
}

void TDBGridEhStyle::GetThemeTitleFillRect(TRect& fillRect, bool incVertBoundary,
                                           bool incHorzBoundary) const {
  if (themeTitleFillElement_ == gtfeSplitButtonEh) {
    InflateRect(&fillRect, 1, 1);
    return;
  }
  if (incHorzBoundary) fillRect.Bottom += 2;
  if (incVertBoundary) fillRect.Right += 2;
}

// ---- Data and fixed cells ----

// The lightening is made for light faces: under a custom style, which may be dark, the cell is blended
// half way to the glass colour (the inactive selection for the grey glass) instead, so that the style's
// light text stays readable.
TColor TDBGridEhStyle::LuminateCellColor(TColor color, TColor glassColor, bool ungray) const {
  if (IsCustomStyleActive())
    return MixColorsEh(color, ungray ? glassColor : GetSelectionInactiveColor(), 128);
  return static_cast<TColor>(ColorToRGB(LightenColor(color, glassColor, ungray)));
}

bool TDBGridEhStyle::HighlightDataCellColor(TCustomDBGridEh* grid, Integer col, Integer row, Integer dataCol,
                                            Integer dataRow, const String&, TGridDrawState state,
                                            bool selected, TColor& color, TFont* font) {
  const TColor origColor = color;
  bool highlight = false;
  bool focused = false;
  const TDBGridOptions options = grid->GetDBOptions();
  const TDBGridEhOptions optionsEh = grid->GetOptionsEh();
  const bool rowSelect = options.Contains(dgRowSelect);
  if (grid->GetDataLink()->GetActive()) {
    highlight = selected;
    if (selected) state.Include(gdSelected);
  }
  if (!highlight) {
    focused = grid->Focused() && optionsEh.Contains(dghHighlightFocus);
    GridsEh::TInplaceEdit* editor = grid->GetInplaceEditor();
    const bool editorFocused = editor && editor->Focused();
    if (optionsEh.Contains(dghRowHighlight) && dataRow + grid->TopDataOffset() == grid->GetRow() &&
        grid->GetSelection()->GetSelectionType() == gstNon && dataCol != grid->GetSelectedIndex() &&
        (focused || options.Contains(dgAlwaysShowSelection) || editorFocused)) {
      focused = true;
      state.Include(gdSelected);
    }
    if (state.Contains(gdSelected) || (row == grid->GetRow() && rowSelect && state.Contains(gdRowSelected)))
      highlight =
          (options.Contains(dgAlwaysShowSelection) || focused) && (grid->GetUpdateLock() == 0 || rowSelect);
  }
  const bool themed = grid->IsThemedSelectionCell(state);
  const TGridCoord hot = grid->GetHotTrackCell();
  // The grid's search panel is not part of this system: it is never active here.
  const bool searchPanelActive = false;
  const auto selectionColors = [&](TColor& selColor, TColor& selFontColor) {
    selColor = GetSelectionColor();
    selFontColor = GetSelectionFontColor();
    if (!themed) {
      if (IsCustomStyleActive()) {
        const TThemedElementDetails details = StyleServices()->GetElementDetails(tgClassicCellSelected);
        StyleServices()->GetElementColor(details, ecFillColor, selColor);
        StyleServices()->GetElementColor(details, ecTextColor, selFontColor);
      }
    } else if (VistaThemesEnabledEh()) {
      selColor = selected ? MixColorsEh(color, GetSelectionColor(), 85.33) : origColor;
      TColor text = clNone;
      if (StyleServices()->GetElementColor(StyleServices()->GetElementDetails(tgCellSelected), ecTextColor,
                                           text) &&
          text != clNone)
        selFontColor = text;
    }
  };
  const bool custom = IsCustomStyleActive();
  const auto lighten = [this](TColor c, TColor glass, bool ungray) {
    return LuminateCellColor(c, glass, ungray);
  };
  if (highlight) {
    TColor selColor = clHighlight, selFontColor = clHighlightText;
    selectionColors(selColor, selFontColor);
    const bool currentCell = row == grid->GetRow() && (dataCol == grid->GetSelectedIndex() || rowSelect);
    const auto hotBlend = [&](bool hotColumn) {
      if (optionsEh.Contains(dghHotTrack) && hot.Y == row && hotColumn)
        color = MixColorsEh(color, lighten(color, selColor, true), 170.67);
    };
    if (grid->HasFocusWithin()) {
      if (currentCell && !searchPanelActive) {
        color = selColor;
        // A themed current cell is drawn by the selected-cell element, whose own text colour is
        // selFontColor then: the text takes it too, so that it always reads on whatever the element draws.
        if (font) font->SetColor(selFontColor);
      } else if (luminateSelection_ && DisplayColorCount == -1) {
        color = lighten(color, selColor, true);
        if (optionsEh.Contains(dghHotTrack) && optionsEh.Contains(dghRowHighlight) && hot.Y == row &&
            ((hot.X == col && grid->GetCol() != col) || rowSelect))
          color = MixColorsEh(color, selColor, 85.33);
      }
    } else if (row == grid->GetRow() && (col == grid->GetCol() || rowSelect) &&
               (focused || options.Contains(dgAlwaysShowSelection))) {
      if (font && (!themed || custom)) font->SetColor(selFontColor);
      if (!themed) {
        color = GetSelectionInactiveColor();
        hotBlend(hot.X == col || rowSelect);
      }
    } else if (DisplayColorCount == -1) {
      color = lighten(color, clBtnShadow, false);
      hotBlend(hot.X == col || rowSelect);
    } else {
      color = clBtnFace;
    }
  } else if (DisplayColorCount == -1 && optionsEh.Contains(dghHotTrack) && hot.Y == row &&
             grid->IsHotTrackCell(col, row) && hot.X >= grid->GetIndicatorOffset()) {
    TColor selColor = clHighlight, selFontColor = clHighlightText;
    selectionColors(selColor, selFontColor);
    if (optionsEh.Contains(dghRowHighlight) || rowSelect) {
      color = lighten(color, selColor, true);
      if (hot.X != col || rowSelect) color = MixColorsEh(color, origColor, 170.67);
    } else if (hot.X == col) {
      color = lighten(color, selColor, true);
    }
  }
  return highlight;
}

bool TDBGridEhStyle::GetFixedCellSelectedColors(TCustomDBGridEh* grid, Integer, Integer, Integer, Integer,
                                                TCellAreaTypeEh cellType, TGridDrawState, bool selected,
                                                TColor& color, TFont* font) {
  if (!selected) return false;
  const bool fixedHighlight =
      (cellType.HorzType == hctIndicatorEh && cellType.VertType != vctAboveFooterEh) ||
      (cellType.HorzType == hctDataEh &&
       (cellType.VertType == vctTitleEh || cellType.VertType == vctSubTitleEh ||
        (cellType.VertType == vctFooterEh &&
         grid->GetFooterParams()->GetFillStyleColor() == grid->GetFixedColor())));
  if (fixedHighlight) {
    const bool custom = IsCustomStyleActive();
    color = MixColorsEh(RGB(64, 64, 64), custom ? grid->GetInternalFixedColor() : clHighlight, 63);
    if (font) font->SetColor(custom ? grid->GetInternalFixedFontColor() : clWhite);
  } else if (grid->HasFocusWithin()) {
    if (luminateSelection_ && DisplayColorCount == -1) {
      color = LuminateCellColor(color, clHighlight, true);
    } else {
      color = clHighlight;
      if (font) font->SetColor(clHighlightText);
    }
  } else {
    color = DisplayColorCount == -1 ? LuminateCellColor(color, clBtnShadow, false) : clBtnFace;
  }
  return true;
}

// ---- Fixed-cell backgrounds ----

namespace {
// A fixed cell's 3-D frame: top and bottom always, the sides as asked; sunken while pressed, flat in the
// brush colour when flat.
void StyleCellFrame(TCanvas* canvas, const TRect& rect, bool flat, bool rightEdge, bool leftEdge,
                    bool pressed) {
  TRect edge = rect;
  UINT sides = BF_TOP | BF_BOTTOM;
  if (leftEdge) sides |= BF_LEFT;
  if (rightEdge) sides |= BF_RIGHT;
  if (flat) sides |= BF_FLAT;
  DrawEdge(canvas->GetHandle(), &edge, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, sides);
}

// A custom style's fixed-cell element by hot tracking and pressing, in the order (no, no), (no, yes),
// (yes, no), (yes, yes).
TThemedGrid StyleFixedCellElement(TGridCellFillStyleEh fillStyle, bool isTrack, bool isPressed) {
  static const TThemedGrid elements[3][4] = {
      {tgFixedCellNormal, tgFixedCellPressed, tgFixedCellHot, tgFixedCellPressed},
      {tgClassicFixedCellNormal, tgClassicFixedCellPressed, tgClassicFixedCellHot, tgClassicFixedCellPressed},
      {tgGradientFixedCellNormal, tgGradientFixedCellPressed, tgGradientFixedCellHot,
       tgGradientFixedCellPressed}};
  const Integer rowIndex = fillStyle == cfstThemedEh ? 0 : fillStyle == cfstSolidEh ? 1 : 2;
  return elements[rowIndex][(isTrack ? 2 : 0) + (isPressed ? 1 : 0)];
}
}  // namespace

// A one-pixel line as the grid draws its own, mirrored with the grid.
void TDBGridEhStyle::DrawGridLine(TCustomDBGridEh* grid, TCanvas* canvas, TColor color, TPoint from,
                                  TPoint to) {
  canvas->GetPen()->SetColor(color);
  grid->GridPolyline(canvas, {from, to});
}

TThemedElementDetails TDBGridEhStyle::GetThemeTitleFillElement(bool isDown, bool isSelected) const {
  if (themeTitleFillElement_ == gtfeSplitButtonEh)
    return StyleServices()->GetElementDetails(isDown || isSelected ? ttbSplitButtonPressed
                                                                   : ttbSplitButtonHot);
  return StyleServices()->GetElementDetails(isDown || isSelected ? thHeaderItemPressed : thHeaderItemNormal);
}

void TDBGridEhStyle::GetCustomStyleFixedColors(TColor& fillColor, TColor& textColor, TColor& startColor,
                                               TColor& endColor, TGridCellFillStyleEh fillStyle, bool isTrack,
                                               bool isPressed) const {
  fillColor = textColor = startColor = endColor = clNone;
  if (!IsCustomStyleActive() || fillStyle == cfstDefaultEh) return;
  TCustomStyleServices* services = StyleServices();
  const TThemedElementDetails details =
      services->GetElementDetails(StyleFixedCellElement(fillStyle, isTrack, isPressed));
  services->GetElementColor(details, ecFillColor, fillColor);
  services->GetElementColor(details, ecTextColor, textColor);
  if (fillStyle != cfstGradientEh) return;
  services->GetElementColor(details, ecGradientColor1, startColor);
  services->GetElementColor(details, ecGradientColor2, endColor);
}

void TDBGridEhStyle::GetDefaultFixedGradientColor(TColor& startColor, TColor& endColor, bool isTrack,
                                                  bool isPressed) const {
  TColor fill = clNone, text = clNone;
  GetCustomStyleFixedColors(fill, text, startColor, endColor, cfstGradientEh, isTrack, isPressed);
}

void TDBGridEhStyle::FillFixedCellByStyle(TCustomDBGridEh* grid, TCanvas* canvas,
                                          TGridCellFillStyleEh fillStyle, TColor startColor,
                                          const TRect& clipRect, bool selected, bool pressed,
                                          const TRect& rect) const {
  if (fillStyle == cfstThemedEh && ThemesEnabledEh()) {
    StyleServices()->DrawElement(canvas->GetHandle(), GetThemeTitleFillElement(pressed, selected), rect,
                                 IsRectEmpty(clipRect) ? nullptr : &clipRect);
    return;
  }
  if (fillStyle != cfstGradientEh) {
    canvas->FillRect(rect);
    return;
  }
  TColor bottom = canvas->GetBrush()->GetColor();
  TColor top = startColor;
  if (IsCustomStyleActive()) {
    GetDefaultFixedGradientColor(top, bottom, false, pressed);
  } else if (selected) {
    top = MixColorsEh(bottom, clWindow, 127);
  } else if (top == clDefault) {
    top = MixColorsEh(bottom, grid->GetColor(), 240);
  }
  FillVertGradientRectEh(canvas, rect, top, bottom);
}

void TDBGridEhStyle::DrawCustomStyleCellBackground(TCustomDBGridEh* grid, TCanvas* canvas, const TRect& rect,
                                                   TGridCellFillStyleEh, TColor color, TGridDrawState state,
                                                   Integer, Integer, bool cellPressed,
                                                   const TRect& clipRect) {
  if (!IsCustomStyleActive()) {
    canvas->GetBrush()->SetColor(color);
    canvas->FillRect(rect);
    return;
  }
  TRect clip = IsRectEmpty(clipRect) ? rect : clipRect;
  const TThemedGrid element = cellPressed                  ? tgFixedCellPressed
                              : state.Contains(gdHotTrack) ? tgFixedCellHot
                                                           : tgFixedCellNormal;
  const TThemedElementDetails details = StyleServices()->GetElementDetails(element);
  HDC dc = canvas->GetHandle();
  {
    const Integer saved = SaveDC(dc);
    auto restore = MakeScopeExit([&] { RestoreDC(dc, saved); });
    if (grid->UseRightToLeftAlignment()) {
      const Integer width = grid->GetClientWidth();
      clip = TRect(width - clip.Right, clip.Top, width - clip.Left, clip.Bottom);
    }
    HRGN savedRgn = SelectClipRectEh(canvas, clip);
    auto restoreClip = MakeScopeExit([&] { RestoreClipRgnEh(canvas, savedRgn); });
    StyleServices()->DrawElement(dc, details, rect, &clip);
  }
  TColor text = clNone;
  if (StyleServices()->GetElementColor(details, ecTextColor, text) && text != clNone)
    canvas->GetFont()->SetColor(text);
}

void TDBGridEhStyle::DrawFixedCellBackground(TCustomDBGridEh* grid, TCanvas* canvas, const TRect& rect,
                                             bool fillInside, TRect& insideRect, TGridDrawState state,
                                             TDBGridDrawFixedStateEh& fs) {
  insideRect = rect;
  HRGN savedRgn = nullptr;
  const bool clipped = !IsRectEmpty(fs.ClipRect);
  if (clipped) savedRgn = SelectClipRectEh(canvas, fs.ClipRect);
  auto restoreClip = MakeScopeExit([&] {
    if (clipped) RestoreClipRgnEh(canvas, savedRgn);
  });
  const bool custom = IsCustomStyleActive();
  if (custom) fs.The3DRect = false;
  const bool border = fs.HorzBorderInFillStyle || fs.VertBorderInFillStyle;
  if (fs.FillStyle == cfstThemedEh) {
    TRect fill = rect, clip;
    if (!((fs.VertBorderInFillStyle && fs.HorzBorderInFillStyle) || fs.DrawByThemesOverLines)) {
      clip = rect;
      GetThemeTitleFillRect(fill, !fs.VertBorderInFillStyle, !fs.HorzBorderInFillStyle);
    }
    if (fs.Selected) {
      // A selected cell shows the selection colour it was given: an element would paint over it.
      canvas->GetBrush()->SetColor(fs.FillColor);
      canvas->FillRect(rect);
    } else if (custom) {
      DrawCustomStyleCellBackground(grid, canvas, fill, fs.FillStyle, grid->GetFixedColor(), state, 0, 0,
                                    fs.Pressed, clip);
    } else {
      canvas->GetBrush()->SetColor(fs.FillColor);
      FillFixedCellByStyle(grid, canvas, fs.FillStyle, fs.StartGradientColor, clip, fs.Selected, fs.Pressed,
                           fill);
    }
    insideRect.Left += 2;
    insideRect.Right -= 2;
    ++insideRect.Top;
    --insideRect.Bottom;
    if (fs.HorzBorderInFillStyle) --insideRect.Bottom;
  } else {
    const bool flat = grid->GetFlat();
    const bool gradient = fs.FillStyle == cfstGradientEh;
    const bool raised = !flat && !gradient;
    if (fs.HorzBorderInFillStyle && fs.HorzLineColor != clNone) {
      DrawGridLine(grid, canvas, fs.HorzLineColor, TPoint(insideRect.Left, insideRect.Bottom - 1),
                   TPoint(insideRect.Right, insideRect.Bottom - 1));
      --insideRect.Bottom;
    }
    if (fs.The3DRect) {
      canvas->GetBrush()->SetColor(fs.FillColor);
      if (border) {
        StyleCellFrame(canvas, insideRect, !raised, false, false, fs.Pressed);
        ++insideRect.Top;
        --insideRect.Bottom;
      } else {
        StyleCellFrame(canvas, insideRect, !raised, raised, true, fs.Pressed);
        ++insideRect.Top;
        --insideRect.Bottom;
        ++insideRect.Left;
        if (raised) {
          --insideRect.Right;
        } else if (fs.FillStyle == cfstSolidEh) {
          DrawGridLine(grid, canvas, fs.FillColor, TPoint(insideRect.Right - 1, insideRect.Top),
                       TPoint(insideRect.Right - 1, insideRect.Bottom));
          --insideRect.Right;
        }
      }
    }
    if (fillInside) {
      canvas->GetBrush()->SetColor(fs.FillColor);
      FillFixedCellByStyle(grid, canvas, fs.FillStyle, fs.StartGradientColor, TRect(), fs.Selected,
                           fs.Pressed, insideRect);
      if (fs.VertBorderInFillStyle) {
        DrawGridLine(grid, canvas, fs.VertLineColor, TPoint(insideRect.Right - 1, insideRect.Top + 2),
                     TPoint(insideRect.Right - 1, insideRect.Bottom - 2));
        --insideRect.Right;
      }
      if (border && fs.The3DRect && !custom && !flat && !gradient)
        DrawGridLine(grid, canvas, clBtnHighlight, TPoint(insideRect.Left, insideRect.Top + 2),
                     TPoint(insideRect.Left, insideRect.Bottom - 2));
      ++insideRect.Left;
      --insideRect.Right;
      if (!raised) --insideRect.Right;
      if (!fs.The3DRect) ++insideRect.Left;
    } else {
      // The edge columns keep the fill at their ends, so that the lines stop short of the corners.
      const auto edgeColumn = [&](Integer x, TColor middle) {
        DrawGridLine(grid, canvas, fs.FillColor, TPoint(x, insideRect.Top), TPoint(x, insideRect.Bottom));
        if (middle != fs.FillColor)
          DrawGridLine(grid, canvas, middle, TPoint(x, insideRect.Top + 2), TPoint(x, insideRect.Bottom - 2));
      };
      if (fs.VertBorderInFillStyle) {
        edgeColumn(insideRect.Right - 1, fs.VertLineColor);
        --insideRect.Right;
      }
      if (border) {
        edgeColumn(insideRect.Left,
                   !fs.The3DRect || custom || flat || gradient ? fs.FillColor : clBtnHighlight);
        ++insideRect.Left;
      }
    }
  }
  if (!custom) return;
  TColor fill = clNone, text = clNone, start = clNone, end = clNone;
  GetCustomStyleFixedColors(fill, text, start, end, fs.FillStyle, fs.HotTrack, fs.Pressed);
  if (text != clNone) fs.FontColor = text;
}

void TDBGridEhStyle::DrawTitleCellBackground(TCustomDBGridEh* grid, TColumnEh*, TCanvas* canvas,
                                             const TRect& rect, bool fillInside, TRect& insideRect,
                                             TGridDrawState state, TDBGridDrawTitleCellParamsEh* titleState,
                                             const TRect& clipRect) {
  insideRect = TRect();
  TDBGridTitleParamsEh* titles = grid->GetTitleParams();
  TDBGridDrawFixedStateEh fs;
  fs.ClipRect = clipRect;
  // The title parameters have one switch for both borders and none for drawing over the lines.
  fs.DrawByThemesOverLines = false;
  fs.FillColor = titleState->Color;
  fs.StartGradientColor = titleState->SecondColor;
  fs.EndGradientColor = clDefault;
  fs.FontColor = titleState->Font ? titleState->Font->GetColor() : canvas->GetFont()->GetColor();
  fs.HorzBorderInFillStyle = titles->GetBorderInFillStyle();
  fs.VertBorderInFillStyle = titles->GetBorderInFillStyle();
  fs.The3DRect = titleState->Draw3DBorder;
  fs.Pressed = titleState->Down;
  fs.Selected = titleState->CellMultiSelected;
  fs.HotTrack = state.Contains(gdHotTrack);
  fs.FillStyle = titles->GetActualFillStyle();
  fs.HorzLineColor = titles->GetHorzLineColor();
  fs.VertLineColor = titles->GetVertLineColor();
  DrawFixedCellBackground(grid, canvas, rect, fillInside, insideRect, state, fs);
  if (!IsCustomStyleActive()) return;
  canvas->GetFont()->SetColor(fs.FontColor);
  if (titleState->Font) titleState->Font->SetColor(fs.FontColor);
}

// ---- Sort markers ----

TSortMarkerStyleEh TDBGridEhStyle::ActualSortMarkerStyle(TSortMarkerStyleEh style) const {
  if (style == smstDefaultEh) style = defaultSortMarkerStyle_;
  // Without themes there is no theme arrow: the frame stands in, as on systems older than themes.
  if (style == smstThemeDefinedEh && !ThemesEnabledEh()) style = smstFrameEh;
  return style;
}

TSize TDBGridEhStyle::GetSortMarkerSize(TCanvas*, TSortMarkerStyleEh style) const {
  switch (ActualSortMarkerStyle(style)) {
    case smstFrameEh:
      return TSize(7, 8);
    case smstSolidEh:
      return TSize(9, 5);
    case smstThemeDefinedEh: {
      TSize size(9, 5);
      StyleServices()->GetElementSize(nullptr, StyleServices()->GetElementDetails(thHeaderSortArrowSortedUp),
                                      esActual, size);
      return TSize(size.cx - 2, size.cy + 1);
    }
    default:
      return TSize(8, 7);
  }
}

void TDBGridEhStyle::GetSortMarkerColors(TSortMarkerStyleEh style, TColumnEh* column, TSortMarkerEh,
                                         bool selected, TColor& frameBrightColor, TColor& frameDarkColor,
                                         TColor& fillColor) const {
  frameBrightColor = clDefault;
  frameDarkColor = clDefault;
  fillColor = clDefault;
  TCustomDBGridEh* grid = column ? column->GetDBGrid() : nullptr;
  if (!grid) return;
  TGridLineColorsEh* lines = grid->GetGridLineColors();
  const TColor dark = lines->GetDarkColor(), bright = lines->GetBrightColor();
  const bool custom = IsCustomStyleActive();
  switch (style) {
    case smst3DFrameEh:
      frameBrightColor = clWindow;
      frameDarkColor = MixColorsEh(dark, cl3DDkShadow, 85);
      break;
    case smstFrameEh:
      frameDarkColor = selected ? GetSelectionFontColor()
                       : custom
                           ? MixColorsEh(grid->GetInternalFixedFontColor(), grid->GetInternalFixedColor(), 65)
                           : MixColorsEh(dark, cl3DDkShadow, 50);
      break;
    case smstSolidEh:
      if (selected)
        fillColor = GetSelectionFontColor();
      else if (custom)
        fillColor = MixColorsEh(grid->GetInternalFixedFontColor(), grid->GetInternalFixedColor(), 128);
      else if (grid->GetTitleParams()->GetActualFillStyle() == cfstThemedEh &&
               lines->GetAssignedDarkColor() == clDefault)
        fillColor = dark;
      else
        fillColor = MixColorsEh(dark, bright, 128);
      break;
    default:
      break;
  }
}

namespace {
// The classic markers are the grid unit's bitmaps, white standing for transparent.
TBitmap* StyleSortMarkerBitmap(bool down) {
  static std::unique_ptr<TBitmap> bitmaps[2];
  std::unique_ptr<TBitmap>& bitmap = bitmaps[down ? 0 : 1];
  if (!bitmap) {
    bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromResourceName(0, down ? u"DBSMDOWNEH_1" : u"DBSMUPEH_1");
    bitmap->SetTransparentColor(clWhite);
    bitmap->SetTransparent(true);
  }
  return bitmap.get();
}
}  // namespace

void TDBGridEhStyle::DrawSortMarkerNew(TCanvas* canvas, TSortMarkerStyleEh style, TSortMarkerEh direction,
                                       bool, const TRect& rect, TColor, TColor frameDarkColor,
                                       TColor fillColor) {
  if (direction == smNoneEh) return;
  const bool down = direction == smDownEh;
  TPen* pen = canvas->GetPen();
  const TColor oldPen = pen->GetColor();
  auto restorePen = MakeScopeExit([&] { pen->SetColor(oldPen); });
  const Integer l = rect.Left, t = rect.Top, r = rect.Right, b = rect.Bottom, m = (l + r) / 2;
  switch (ActualSortMarkerStyle(style)) {
    case smstFrameEh:
      pen->SetColor(frameDarkColor);
      if (down)
        canvas->Polyline({TPoint(m, b), TPoint(l, t), TPoint(r, t), TPoint(m, b)});
      else
        canvas->Polyline({TPoint(m, t), TPoint(r, b), TPoint(l, b), TPoint(m, t)});
      break;
    case smst3DFrameEh:
      if (down) {
        pen->SetColor(frameDarkColor);
        canvas->Polyline({TPoint(m, b), TPoint(l, t), TPoint(r, t)});
        pen->SetColor(clWindow);
        canvas->Polyline({TPoint(m + 1, b), TPoint(r + 1, t - 1)});
      } else {
        pen->SetColor(clWindow);
        canvas->Polyline({TPoint(l + 1, b), TPoint(r, b), TPoint(m + 1, t - 1)});
        pen->SetColor(frameDarkColor);
        canvas->Polyline({TPoint(l, b), TPoint(m, t - 1)});
      }
      break;
    case smstSolidEh: {
      std::vector<TPoint> points = {TPoint(0, 0), TPoint(9, 0), TPoint(1, 1), TPoint(8, 1), TPoint(2, 2),
                                    TPoint(7, 2), TPoint(3, 3), TPoint(6, 3), TPoint(4, 4), TPoint(5, 4)};
      if (!down)
        for (TPoint& p : points) p.Y = 4 - p.Y;
      FillPolygonSmoothEh(canvas, TPoint(l, t), points, fillColor, fillColor);
      break;
    }
    case smstThemeDefinedEh:
      StyleServices()->DrawElement(
          canvas->GetHandle(),
          StyleServices()->GetElementDetails(down ? thHeaderSortArrowSortedDown : thHeaderSortArrowSortedUp),
          rect);
      break;
    default:
      canvas->Draw(l, t, StyleSortMarkerBitmap(down));
      break;
  }
}

void TDBGridEhStyle::DrawSortMarker(TCanvas* canvas, TSortMarkerStyleEh style, TColumnEh* column,
                                    TSortMarkerEh direction, bool selected, const TRect& rect) {
  TColor bright = clDefault, dark = clDefault, fill = clDefault;
  GetSortMarkerColors(style, column, direction, selected, bright, dark, fill);
  DrawSortMarkerNew(canvas, style, direction, selected, rect, bright, dark, fill);
}

// ---- Display ----

void TDBGridEhStyle::RefreshColorDepth() {
  HDC dc = GetDC(nullptr);
  const Integer colors = GetDeviceCaps(dc, NUMCOLORS);
  const Integer bits = GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(nullptr, dc);
  DisplayColorCount = colors;
  if (colors > 1 && bits > 8) DisplayColorCount = -1;
  // A display of more than 256 colours answers -1 itself.
  if (colors == -1) DisplayColorCount = -1;
  ClearButtonsBitmapCacheEh();
}

void TDBGridEhStyle::WndProc(TMessage& message) {
  if (message.Msg != WM_SYSCOLORCHANGE) return;
  try {
    RefreshColorDepth();
  } catch (...) {
    if (Application) Application->HandleException(this, std::current_exception());
  }
}

// ======================= Center =======================

TDBGridEhCenter::~TDBGridEhCenter() {
  if (globalCenter == this) {
    globalCenter = nullptr;
    globalCenterGone = true;
  }
  SharedGridsRelease(grids_, [](TCustomDBGridEh* grid) { grid->SetCenter(nullptr); });
}

void TDBGridEhCenter::AddChangeNotification(TCustomDBGridEh* grid) { SharedGridsAdd(grids_, grid); }

void TDBGridEhCenter::RemoveChangeNotification(TCustomDBGridEh* grid) { std::erase(grids_, grid); }

bool TDBGridEhCenter::GridInChangeNotification(TCustomDBGridEh* grid) const {
  return SharedGridsHave(grids_, grid);
}

void TDBGridEhCenter::ApplySorting(TCustomDBGridEh* grid) {
  if (OnApplySorting)
    OnApplySorting(grid);
  else
    DefaultApplySorting(grid);
}

void TDBGridEhCenter::ApplyFilter(TCustomDBGridEh* grid) {
  if (OnApplyFilter)
    OnApplyFilter(grid);
  else
    DefaultApplyFilter(grid);
}

void TDBGridEhCenter::CellMouseClick(TCustomDBGridEh* grid, TGridCoord cell, TMouseButton button,
                                     TShiftState shift, Integer x, Integer y) {
  bool processed = false;
  if (OnCellMouseClick) OnCellMouseClick(grid, cell, button, shift, x, y, processed);
  if (!processed) DefaultCellMouseClick(grid, cell, button, shift, x, y);
}

void TDBGridEhCenter::IndicatorTitleMouseDown(TCustomDBGridEh* grid, TGridCoord cell, TMouseButton button,
                                              TShiftState shift, Integer x, Integer y) {
  bool processed = false;
  if (OnIndicatorTitleMouseDown) OnIndicatorTitleMouseDown(grid, cell, button, shift, x, y, processed);
  if (!processed) DefaultIndicatorTitleMouseDown(grid, cell, button, shift, x, y);
}

void TDBGridEhCenter::BuildIndicatorTitleMenu(TCustomDBGridEh* grid, TPopupMenu*& popupMenu) {
  if (OnBuildIndicatorTitleMenu)
    OnBuildIndicatorTitleMenu(grid, popupMenu);
  else
    DefaultBuildIndicatorTitleMenu(grid, popupMenu);
}

bool TDBGridEhCenter::LocateText(TCustomDBGridEh* grid, const String& fieldName, const String& text,
                                 TLocateTextOptionsEh options, TLocateTextDirectionEh direction,
                                 TLocateTextMatchingEh matching, TLocateTextTreeFindRangeEh treeFindRange,
                                 Cardinal timeOut,
                                 const std::function<void(TColumnEh*, bool&)>& checkValueEvent) {
  if (OnLocateText) return OnLocateText(grid, fieldName, text, options, direction, matching, treeFindRange);
  return DefaultLocateText(grid, fieldName, text, options, direction, matching, treeFindRange, timeOut,
                           checkValueEvent);
}

bool TDBGridEhCenter::MoveRecords(TCustomDBGridEh* grid, TBMListEh* bookmarkList, Integer toRecNo,
                                  bool checkOnly) {
  return DefaultMoveRecords(grid, bookmarkList, toRecNo, checkOnly);
}

// No dataset features are registered by this system: a sort, filter or move without a handler
// reaches no dataset.
void TDBGridEhCenter::DefaultApplySorting(TCustomDBGridEh*) {}
void TDBGridEhCenter::DefaultApplyFilter(TCustomDBGridEh*) {}
void TDBGridEhCenter::DefaultCellMouseClick(TCustomDBGridEh*, TGridCoord, TMouseButton, TShiftState, Integer,
                                            Integer) {}
bool TDBGridEhCenter::DefaultMoveRecords(TCustomDBGridEh*, TBMListEh*, Integer, bool) { return false; }

void TDBGridEhCenter::DefaultIndicatorTitleMouseDown(TCustomDBGridEh* grid, TGridCoord cell,
                                                     TMouseButton button, TShiftState shift, Integer x,
                                                     Integer y) {
  if (grid) grid->IndicatorTitleMouseDown(cell, button, shift, x, y);
}

bool TDBGridEhCenter::DefaultLocateText(TCustomDBGridEh* grid, const String& fieldName, const String& text,
                                        TLocateTextOptionsEh options, TLocateTextDirectionEh direction,
                                        TLocateTextMatchingEh matching, TLocateTextTreeFindRangeEh,
                                        Cardinal timeOut,
                                        const std::function<void(TColumnEh*, bool&)>& checkValueEvent) {
  TCustomDBGridEh::TLocateTextCheckCellEh check;
  if (checkValueEvent) check = checkValueEvent;
  return TCustomDBGridEh::LocateTextInGrid(grid, fieldName, text, options, direction, matching, timeOut,
                                           check);
}

void TDBGridEhCenter::ExecuteFindDialog(TCustomDBGridEh* grid, const String& text, bool modal) {
  if (!ShowDBGridEhFindDialogProc)
    throw Exception(u"The find dialog needs its library: its entry routine is not registered");
  ShowDBGridEhFindDialogProc(grid, text, String(), modal, nullptr);
}

Integer TDBGridEhCenter::CalcIndicatorRowNumAreaWidth(TCustomDBGridEh* grid) {
  return grid->DefaultCalcIndicatorRowNumAreaWidth();
}

void TDBGridEhCenter::GetGroupingPanelColumnText(TCustomDBGridEh*, TColumnEh* column, String& text) {
  text = column->GetTitle()->GetCaption();
}

TSortMarkerEh TDBGridEhCenter::GetFirstSortMarkerState(TCustomDBGridEh*, TColumnEh* column) {
  TField* field = column ? column->GetField() : nullptr;
  if (!field) return smDownEh;
  const TFieldType type = field->GetDataType();
  if (dynamic_cast<TStringField*>(field) || type == ftMemo || type == ftFmtMemo || type == ftWideMemo)
    return smUpEh;
  return smDownEh;
}

TSortOrderEh TDBGridEhCenter::GetSortOrderForSortMarker(TCustomDBGridEh*, TColumnEh*,
                                                        TSortMarkerEh sortMarker) {
  switch (sortMarker) {
    case smDownEh:
      return soDescEh;
    case smUpEh:
      return soAscEh;
    default:
      throw Exception(u"SortOrder for SortMarker None is not defined.");
  }
}

namespace {
bool CenterFieldTypeComparable(TColumnEh* column) {
  TField* field = column ? column->GetField() : nullptr;
  if (!field) return true;
  static const TFieldTypes comparable{
      ftString,    ftSmallint,      ftInteger,  ftWord,         ftBoolean,     ftFloat,    ftCurrency,
      ftBCD,       ftDate,          ftTime,     ftDateTime,     ftAutoInc,     ftMemo,     ftFmtMemo,
      ftFixedChar, ftWideString,    ftLargeint, ftADT,          ftVariant,     ftGuid,     ftTimeStamp,
      ftFMTBcd,    ftFixedWideChar, ftWideMemo, ftOraTimeStamp, ftOraInterval, ftLongWord, ftShortint,
      ftByte,      ftExtended,      ftSingle};
  return comparable.Contains(field->GetDataType());
}
}  // namespace

bool TDBGridEhCenter::CanColumnValueReadAsText(TCustomDBGridEh*, TColumnEh* column) {
  return CenterFieldTypeComparable(column);
}

bool TDBGridEhCenter::ColumnValueTypeIsComparable(TCustomDBGridEh*, TColumnEh* column) {
  return CenterFieldTypeComparable(column);
}

// The search panel is not part of this system: its options are never kept.
TDBGridEhSettingsKeeperOptions TDBGridEhCenter::GetGridSettingsKeeperOptions(TCustomDBGridEh* grid) {
  TDBGridEhSettingsKeeperOptions result;
  if (grid->GetRowSizingAllowed()) result.Include(gskoRowHeightEh);
  return result;
}

// The row panel and the filter row are not part of this system: their options are never kept.
TColumnEhSettingsKeeperOptions TDBGridEhCenter::GetColumnSettingsKeeperOptions(TCustomDBGridEh* grid) {
  TColumnEhSettingsKeeperOptions result{cskoColVisibleEh};
  const TDBGridEhOptions optionsEh = grid->GetOptionsEh();
  if (optionsEh.Contains(dghColumnMove)) result.Include(cskoColIndexEh);
  if (optionsEh.Contains(dghColumnResize)) result.Include(cskoColWidthsEh);
  if (optionsEh.Contains(dghAutoSortMarking)) result.Include(cskoSortMarkerEh);
  if (grid->GetDBOptions().Contains(dgEditing)) {
    result.Include(cskoDropDownRowsEh);
    result.Include(cskoDropDownWidthEh);
  }
  return result;
}

void TDBGridEhCenter::MenuVisibleColumnClick(TColumnEh* column, TMenuItem* item) {
  TCustomDBGridEh* grid = column ? column->GetDBGrid() : nullptr;
  if (!grid) return;
  if (column->GetVisible() && grid->GetVisibleColumns()->GetCount() < 2) return;
  GridsEh::TInplaceEdit* editor = grid->GetInplaceEditor();
  if (editor && editor->GetVisible()) {
    grid->HideEditor();
    column->SetVisible(!column->GetVisible());
    grid->ShowEditor();
  } else {
    column->SetVisible(!column->GetVisible());
  }
  if (item) item->SetChecked(!item->GetChecked());
}

// ---- Menus ----

namespace {
const Char* const kIndicatorTitlePopupMenuName = u"DBGridEhIndicatorTitlePopupMenu";

// The unit-wide objects live on the screen and are found again by name, so that a menu which freed one
// with its items leaves no dangling pointer behind.
TPopupMenuEh* CenterIndicatorTitlePopup() {
  if (auto* menu = dynamic_cast<TPopupMenuEh*>(Screen->FindComponent(kIndicatorTitlePopupMenuName)))
    return menu;
  auto* menu = new TPopupMenuEh(Screen);
  menu->SetName(kIndicatorTitlePopupMenuName);
  return menu;
}

String CenterIndicatorTitleItemName(TDBGridEhStyleIndicatorTitleMenuEh kind) {
  return u"DBGridEhIndicatorTitleMenuItem" + IntToStr(static_cast<Integer>(kind));
}

TDBGridEhIndicatorTitleMenuItemEh* CenterIndicatorTitleItem(TDBGridEhStyleIndicatorTitleMenuEh kind) {
  const String name = CenterIndicatorTitleItemName(kind);
  if (auto* item = dynamic_cast<TDBGridEhIndicatorTitleMenuItemEh*>(Screen->FindComponent(name))) return item;
  auto* item = new TDBGridEhIndicatorTitleMenuItemEh(Screen);
  item->SetName(name);
  item->TitleMenu = kind;
  return item;
}
void FreeCenterMenus() {
  if (!Screen) return;
  for (const TDBGridEhStyleIndicatorTitleMenuEh kind :
       {itmVisibleColumnsEh, itmCut, itmCopy, itmPaste, itmDelete, itmSelectAll})
    delete Screen->FindComponent(CenterIndicatorTitleItemName(kind));
  delete Screen->FindComponent(kIndicatorTitlePopupMenuName);
}
}  // namespace

void TDBGridEhCenter::DefaultBuildIndicatorTitleMenu(TCustomDBGridEh* grid, TPopupMenu*& popupMenu) {
  if (!popupMenu) {
    TPopupMenuEh* shared = CenterIndicatorTitlePopup();
    TMenuItem* root = shared->GetItems();
    while (root->GetCount() > 0) {
      TMenuItem* item = root->GetItem(0);
      root->Remove(item);
      if (item->GetOwner() == shared) delete item;
    }
    popupMenu = shared;
  } else if (popupMenu->GetItems()->GetCount() > 0) {
    auto* line = new TMenuItem(popupMenu);
    line->SetCaption(u"-");
    popupMenu->GetItems()->Add(line);
  }
  if (!grid) return;
  if (grid->GetIndicatorTitle()->GetUseGlobalMenu()) AddStandardIndicatorTitleItems(grid, popupMenu);
  TPopupMenu* dropdown = grid->GetIndicatorTitle()->GetDropdownMenu();
  if (!dropdown || dropdown->GetItems()->GetCount() == 0) return;
  if (popupMenu->GetItems()->GetCount() > 0) {
    auto* line = new TMenuItem(popupMenu);
    line->SetCaption(u"-");
    popupMenu->GetItems()->Add(line);
  }
  // The form's own items follow the standard ones, without their submenus.
  for (Integer i = 0; i < dropdown->GetItems()->GetCount(); ++i) {
    TMenuItem* source = dropdown->GetItems()->GetItem(i);
    auto* copy = new TMenuItem(popupMenu);
    copy->SetTag(source->GetTag());
    CopyPopupMenuItemFields(copy, source);
    popupMenu->GetItems()->Add(copy);
    popupMenu->SetImages(source->GetParentMenu() ? source->GetParentMenu()->GetImages() : nullptr);
  }
}

void TDBGridEhCenter::AddStandardIndicatorTitleItems(TCustomDBGridEh* grid, TPopupMenu* popupMenu) {
  TGridLibLanguageConsts* texts = GetGridLibLanguageConsts();
  const TGridEditActionsEh actions = grid->GetEditActions();
  struct TitleItem {
    TDBGridEhStyleIndicatorTitleMenuEh kind;
    String caption;
    bool enabled;
    TShortCut shortCut;
  };
  // Only the items asked for are worked out: the checks look at the selection and the clipboard.
  const auto item = [&](TDBGridEhStyleIndicatorTitleMenuEh kind) -> TitleItem {
    switch (kind) {
      case itmCut:
        return {kind, texts->GetCut(), grid->CheckCutAction() && actions.Contains(geaCutEh),
                ShortCut('X', TShiftState{ssCtrl})};
      case itmCopy:
        return {kind, texts->GetCopy(), grid->CheckCopyAction() && actions.Contains(geaCopyEh),
                ShortCut('C', TShiftState{ssCtrl})};
      case itmPaste:
        return {kind, texts->GetPaste(), grid->CheckPasteAction() && actions.Contains(geaPasteEh),
                ShortCut('V', TShiftState{ssCtrl})};
      case itmDelete:
        return {kind, texts->GetDelete(), grid->CheckDeleteAction() && actions.Contains(geaDeleteEh),
                ShortCut('D', TShiftState{ssCtrl})};
      case itmSelectAll:
        return {kind, texts->GetSelectAll(), grid->CheckSelectAllAction() && actions.Contains(geaSelectAllEh),
                ShortCut('A', TShiftState{ssCtrl})};
      default:
        return {kind, texts->GetVisibleColumns(), true, 0};
    }
  };
  for (const TDBGridEhStyleIndicatorTitleMenuEh kind :
       {itmVisibleColumnsEh, itmCut, itmCopy, itmPaste, itmDelete, itmSelectAll}) {
    if (!indicatorTitleMenus_.Contains(kind)) continue;
    const TitleItem wanted = item(kind);
    TDBGridEhIndicatorTitleMenuItemEh* menuItem = CenterIndicatorTitleItem(kind);
    if (TMenuItem* parent = menuItem->GetParent()) parent->Remove(menuItem);
    menuItem->Grid = grid;
    menuItem->SetCaption(wanted.caption);
    menuItem->SetEnabled(wanted.enabled);
    menuItem->SetShortCut(wanted.shortCut);
    if (kind == itmVisibleColumnsEh) {
      menuItem->OnClick = nullptr;
      while (menuItem->GetCount() > 0) delete menuItem->GetItem(menuItem->GetCount() - 1);
      const bool multiTitle = grid->GetTitleParams()->GetMultiTitle();
      for (Integer i = 0; i < grid->GetColumns()->GetCount(); ++i) {
        TColumnEh* column = grid->GetColumns()->GetColumn(i);
        String caption = column->GetTitle()->GetCaption();
        if (caption.empty()) continue;
        if (multiTitle) caption = StringReplace(caption, u"|", u" - ", TReplaceFlags{rfReplaceAll});
        auto* columnItem = new TColumnEhMenuItem(popupMenu);
        columnItem->ColumnEh = column;
        columnItem->SetCaption(caption);
        columnItem->SetChecked(column->GetVisible());
        columnItem->SetCloseMenuOnClick(false);
        columnItem->OnClick = [this](TObject* sender) { MenuVisibleColumnClick(sender); };
        menuItem->Add(columnItem);
      }
    } else {
      menuItem->OnClick = [this](TObject* sender) { IndicatorTitleMenuItemClick(sender); };
    }
    popupMenu->GetItems()->Add(menuItem);
  }
}

void TDBGridEhCenter::IndicatorTitleMenuItemClick(TObject* sender) {
  auto* item = dynamic_cast<TDBGridEhIndicatorTitleMenuItemEh*>(sender);
  // A grid that has left this center since the menu was built is not reached any more.
  if (!item || !item->Grid || !GridInChangeNotification(item->Grid)) return;
  TCustomDBGridEh* grid = item->Grid;
  switch (item->TitleMenu) {
    case itmCut:
      grid->CutToClipboard();
      break;
    case itmCopy:
      grid->CopyToClipboard();
      break;
    case itmPaste:
      grid->PasteFromClipboard();
      break;
    case itmDelete:
      grid->DeleteSelection();
      break;
    case itmSelectAll:
      grid->GetSelection()->SelectAll();
      break;
    default:
      break;
  }
}

void TDBGridEhCenter::MenuVisibleColumnClick(TObject* sender) {
  if (auto* item = dynamic_cast<TColumnEhMenuItem*>(sender)) MenuVisibleColumnClick(item->ColumnEh, item);
}

TPopupMenu* TDBGridEhCenter::GetCellPopupMenu(TCustomDBGridEh* grid, TGridCoord cell, TCellAreaTypeEh area,
                                              TColumnEh* column) {
  return grid->InternalGetCellPopupMenu(cell, area, column);
}

void TDBGridEhCenter::BuildCellPopupMenu(TCustomDBGridEh* grid, TPopupMenu* menu, TGridCoord cell,
                                         TCellAreaTypeEh area, TColumnEh* column) {
  grid->InternalBuildCellPopupMenu(menu, cell, area, column);
}

// The grid's side of the menus: the center answers when the grid has one.
TPopupMenu* TCustomDBGridEh::GetCellPopupMenu(TGridCoord cell, TCellAreaTypeEh area, TColumnEh* column) {
  return center_ ? center_->GetCellPopupMenu(this, cell, area, column)
                 : InternalGetCellPopupMenu(cell, area, column);
}

void TCustomDBGridEh::BuildCellPopupMenu(TPopupMenu* menu, TGridCoord cell, TCellAreaTypeEh area,
                                         TColumnEh* column) {
  if (center_)
    center_->BuildCellPopupMenu(this, menu, cell, area, column);
  else
    InternalBuildCellPopupMenu(menu, cell, area, column);
}

// ======================= Unit routines =======================

void GetComponentStoragePath(TComponent* component, String& path) {
  path.clear();
  if (!component) return;
  if (dynamic_cast<TCustomForm*>(component)) {
    path = component->ClassName();
    return;
  }
  path = component->GetName();
  for (TComponent* owner = component->GetOwner(); owner; owner = owner->GetOwner()) {
    if (dynamic_cast<TCustomForm*>(owner)) {
      path = owner->ClassName() + path;
      return;
    }
    path = owner->GetName() + u"." + path;
  }
}

void SwapRectSides(TRect& rect) {
  const Integer width = rect.Width(), height = rect.Height();
  rect.Right = rect.Left + height;
  rect.Bottom = rect.Top + width;
}

void BeginWaitCursor() {
  if (waitCursorCount++ == 0 && Screen) {
    waitCursorSaved = Screen->GetCursor();
    Screen->SetCursor(crHourGlass);
  }
}

void EndWaitCursor() {
  if (waitCursorCount == 0) return;
  if (--waitCursorCount == 0 && Screen) Screen->SetCursor(waitCursorSaved);
}
