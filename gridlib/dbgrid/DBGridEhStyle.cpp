// The process-wide style and default-handler objects every data grid shares, their start-up and
// clean-up, and the grid unit's small routines (storage paths, rectangles, the wait cursor).
#include <algorithm>
#include <cmath>

#include "gridlib/base/GridLibLangConsts.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Gdi.h"

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
}

void DoneDBGridEhUnit() {
  SetGlobalGridStyle(nullptr);
  SetGlobalGridCenter(nullptr);
}

// ======================= Style =======================

TDBGridEhStyle::TDBGridEhStyle(TComponent* owner) : TComponent(owner) { RefreshColorDepth(); }

TDBGridEhStyle::~TDBGridEhStyle() {
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

// Without a custom style the column's own colours stand; this platform has no custom styles.
TColor TDBGridEhStyle::GetColumnColor(TColumnEh* column) const { return column->GetColor(); }

TColor TDBGridEhStyle::GetColumnFontColor(TColumnEh* column, TGridDrawState) const {
  return column->GetFont()->GetColor();
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
    if (themed && VistaThemesEnabledEh())
      selColor = selected ? MixColorsEh(color, GetSelectionColor(), 85.33) : origColor;
  };
  const auto nearest = [](TColor c) { return static_cast<TColor>(ColorToRGB(c)); };
  if (highlight) {
    TColor selColor = clHighlight, selFontColor = clHighlightText;
    selectionColors(selColor, selFontColor);
    const bool currentCell = row == grid->GetRow() && (dataCol == grid->GetSelectedIndex() || rowSelect);
    const auto hotBlend = [&](bool hotColumn) {
      if (optionsEh.Contains(dghHotTrack) && hot.Y == row && hotColumn)
        color = MixColorsEh(color, LightenColor(color, selColor, true), 170.67);
    };
    if (grid->HasFocusWithin()) {
      if (currentCell && !searchPanelActive) {
        color = selColor;
        if (font && !themed) font->SetColor(selFontColor);
      } else if (luminateSelection_ && DisplayColorCount == -1) {
        color = nearest(LightenColor(color, selColor, true));
        if (optionsEh.Contains(dghHotTrack) && optionsEh.Contains(dghRowHighlight) && hot.Y == row &&
            ((hot.X == col && grid->GetCol() != col) || rowSelect))
          color = MixColorsEh(color, selColor, 85.33);
      }
    } else if (row == grid->GetRow() && (col == grid->GetCol() || rowSelect) &&
               (focused || options.Contains(dgAlwaysShowSelection))) {
      if (font && (!themed || IsCustomStyleActive())) font->SetColor(selFontColor);
      if (!themed) {
        color = GetSelectionInactiveColor();
        hotBlend(hot.X == col || rowSelect);
      }
    } else if (DisplayColorCount == -1) {
      color = nearest(LightenColor(color, clBtnShadow, false));
      hotBlend(hot.X == col || rowSelect);
    } else {
      color = clBtnFace;
    }
  } else if (DisplayColorCount == -1 && optionsEh.Contains(dghHotTrack) && hot.Y == row &&
             grid->IsHotTrackCell(col, row) && hot.X >= grid->GetIndicatorOffset()) {
    TColor selColor = clHighlight, selFontColor = clHighlightText;
    selectionColors(selColor, selFontColor);
    if (optionsEh.Contains(dghRowHighlight) || rowSelect) {
      color = nearest(LightenColor(color, selColor, true));
      if (hot.X != col || rowSelect) color = MixColorsEh(color, origColor, 170.67);
    } else if (hot.X == col) {
      color = nearest(LightenColor(color, selColor, true));
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
    if (font) font->SetColor(custom ? grid->GetFont()->GetColor() : clWhite);
  } else if (grid->HasFocusWithin()) {
    if (luminateSelection_ && DisplayColorCount == -1) {
      color = LightenColor(color, clHighlight, true);
    } else {
      color = clHighlight;
      if (font) font->SetColor(clHighlightText);
    }
  } else {
    color = DisplayColorCount == -1 ? LightenColor(color, clBtnShadow, false) : clBtnFace;
  }
  return true;
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
    case smstThemeDefinedEh:
      // The theme's arrow is not measured on this platform: the header arrow of 9 x 5, narrowed by 2
      // and heightened by 1 as the theme's size would be.
      return TSize(7, 6);
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
                       : custom ? MixColorsEh(grid->GetFont()->GetColor(), grid->GetInternalFixedColor(), 65)
                                : MixColorsEh(dark, cl3DDkShadow, 50);
      break;
    case smstSolidEh:
      if (selected)
        fillColor = GetSelectionFontColor();
      else if (custom)
        fillColor = MixColorsEh(grid->GetFont()->GetColor(), grid->GetInternalFixedColor(), 128);
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

void TDBGridEhCenter::DefaultBuildIndicatorTitleMenu(TCustomDBGridEh* grid, TPopupMenu*& popupMenu) {
  if (grid) grid->DefaultBuildIndicatorTitleMenu(popupMenu);
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
