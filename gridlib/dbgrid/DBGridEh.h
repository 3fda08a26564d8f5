// The data grid: the control over one dataset with its indicator column, titles and footers, its
// columns and their collection, the grid-wide defaults, the area parameter objects, the selection by
// bookmarks, and the process-wide style and default-handler objects every grid shares.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "gridlib/base/PropFilerEh.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/dbgrid/DBSumListEh.h"
#include "gridlib/grids/DBAxisGridsEh.h"

class TCustomDBGridEh;
class TColumnEh;
class TDBGridColumnsEh;
class TDBGridEhDataHintParams;

// ---- Option sets and small types ----

enum TDBGridEhOption {
  dghFixed3D,
  dghFrozen3D,
  dghFooter3D,
  dghData3D,
  dghResizeWholeRightPart,
  dghHighlightFocus,
  dghClearSelection,
  dghFitRowHeightToText,
  dghAutoSortMarking,
  dghMultiSortMarking,
  dghEnterAsTab,
  dghTraceColSizing,
  dghIncSearch,
  dghPreferIncSearch,
  dghRowHighlight,
  dghDblClickOptimizeColWidth,
  dghDialogFind,
  dghRecordMoving,
  dghShowRecNo,
  dghColumnResize,
  dghColumnMove,
  dghAutoFitRowHeight,
  dghHotTrack,
  dghExtendVertLines
};
using TDBGridEhOptions = TSet<TDBGridEhOption>;

enum TDBGridEhIndicatorOption { gioShowRowIndicatorEh, gioShowRecNoEh, gioShowRowselCheckboxesEh };
using TDBGridEhIndicatorOptions = TSet<TDBGridEhIndicatorOption>;

enum TDBGridEhSelectionType { gstRecordBookmarks, gstRectangle, gstColumns, gstAll, gstNon };
using TDBGridEhAllowedSelections = TSet<TDBGridEhSelectionType>;

enum TGridEditActionEh { geaCutEh, geaCopyEh, geaPasteEh, geaDeleteEh, geaSelectAllEh };
using TGridEditActionsEh = TSet<TGridEditActionEh>;

enum THorzCellAreaTypeEh { hctIndicatorEh, hctDataEh };
enum TVertCellAreaTypeEh { vctTitleEh, vctSubTitleEh, vctDataEh, vctAboveFooterEh, vctFooterEh };
struct TCellAreaTypeEh {
  THorzCellAreaTypeEh HorzType = hctDataEh;
  TVertCellAreaTypeEh VertType = vctDataEh;
};

enum TSortMarkerEh { smNoneEh, smDownEh, smUpEh };
enum TGridCellFillStyleEh { cfstDefaultEh, cfstThemedEh, cfstSolidEh, cfstGradientEh };
enum TSortMarkerStyleEh {
  smstDefaultEh,
  smstClassicEh,
  smst3DFrameEh,
  smstFrameEh,
  smstSolidEh,
  smstThemeDefinedEh
};

enum TDBGridEhState {
  dgsNormal,
  dgsRowSelecting,
  dgsColSelecting,
  dgsRectSelecting,
  dgsPosTracing,
  dgsTitleDown,
  dgsColSizing,
  dgsRowMoving,
  dgsTitleFilterButtonDown,
  dgsGroupPanelTitleMoving,
  dgsGroupPanelTitleDown
};

using TDBGridEhColumnEvent = TDelegate<void(TObject* Sender, TColumnEh* Column)>;
using TGetDBGridEhRowHeightEvent = TDelegate<void(TObject* Sender, Integer& RowHeight)>;

// ---- Process-wide style and default-handler objects ----

enum TGridThemeTitleFillElementEh { gtfeHeaderItemEh, gtfeSplitButtonEh };
using TDBGridEhGetColorEvent = TDelegate<void(TCustomDBGridEh* Grid, TColor& Color)>;

// The colour count of the display as last measured: -1 stands for more than 256 colours. Cells are
// lightened and blended only then.
extern Integer DisplayColorCount;

// What a title or super-title cell is drawn with; handed to the title events.
struct TDBGridDrawTitleCellParamsEh {
  TColumnEh* Column = nullptr;
  Integer MultiTitleNode = -1;  // the super-title node painted, -1 for a column title
  TAlignment Alignment = taCenter;
  TColor Color = clBtnFace;
  TColor SecondColor = clDefault;
  TFont* Font = nullptr;
  String Text;
  TSortMarkerEh SortMarker = smNoneEh;
  TTextOrientationEh Orientation = tohHorizontal;
  TGridDrawState CellState;
  TTextLayout Layout = tlTop;
  bool Down = false;
  bool Draw3DBorder = false;
  bool DrawByThemes = false;
  bool DrawSortIndex = true;
  bool CellMultiSelected = false;
  bool Highlight = false;
  bool WordWrap = false;
  bool EndEllipsis = false;
  Integer ForeXDataOffset = 2;
  Integer ForeYDataOffset = 2;
  TRect ForeInsideRect;
};

// One fixed cell as the style draws its background.
struct TDBGridDrawFixedStateEh {
  TRect ClipRect;
  bool DrawByThemesOverLines = false;
  TColor EndGradientColor = clDefault;
  TColor FillColor = clBtnFace;
  TGridCellFillStyleEh FillStyle = cfstDefaultEh;
  TColor FontColor = clWindowText;
  bool HorzBorderInFillStyle = false;
  TColor HorzLineColor = clNone;
  bool HotTrack = false;
  bool Pressed = false;
  bool Selected = false;
  TColor StartGradientColor = clDefault;
  bool The3DRect = false;
  bool VertBorderInFillStyle = false;
  TColor VertLineColor = clNone;
};

// The look every data grid of the process shares: selection colours, sort markers, offsets and
// durations, and the colour arithmetic of selected and fixed cells. Grids register to be told of a
// change; the style never owns them.
class TDBGridEhStyle : public TComponent {
  KIV_CLASS(TDBGridEhStyle, TComponent)
 public:
  explicit TDBGridEhStyle(TComponent* owner = nullptr);
  // Every registered grid, the last first, returns to the process-wide style or its own drawing.
  ~TDBGridEhStyle() override;

  void AddChangeNotification(TCustomDBGridEh* grid);
  void RemoveChangeNotification(TCustomDBGridEh* grid);
  bool GridInChangeNotification(TCustomDBGridEh* grid) const;
  Integer GridCount() const { return static_cast<Integer>(grids_.size()); }
  TCustomDBGridEh* Grid(Integer index) const { return grids_.at(static_cast<size_t>(index)); }
  // Every registered grid re-reads the style, in registration order.
  virtual void Changed();
  bool IsCustomStyleActive() const;

  // Properties; "stored only" ones take effect at the grids' next painting.
  Integer GetDataCellHorzOffset() const { return dataCellHorzOffset_; }
  void SetDataCellHorzOffset(Integer value) { dataCellHorzOffset_ = value; }
  TSortMarkerStyleEh GetDefaultSortMarkerStyle() const { return defaultSortMarkerStyle_; }
  void SetDefaultSortMarkerStyle(TSortMarkerStyleEh value) { defaultSortMarkerStyle_ = value; }
  Integer GetFinishLoadingStatusRenderDuration() const { return finishLoadingStatusRenderDuration_; }
  void SetFinishLoadingStatusRenderDuration(Integer value) { finishLoadingStatusRenderDuration_ = value; }
  Integer GetStartLoadingStatusRenderDuration() const { return startLoadingStatusRenderDuration_; }
  void SetStartLoadingStatusRenderDuration(Integer value) { startLoadingStatusRenderDuration_ = value; }
  bool GetGradientEnabledInClassicTheme() const { return gradientEnabledInClassicTheme_; }
  void SetGradientEnabledInClassicTheme(bool value);
  TEditButtonStyleEh GetInTitleFilterButtonStyle() const { return inTitleFilterButtonStyle_; }
  void SetInTitleFilterButtonStyle(TEditButtonStyleEh value) { inTitleFilterButtonStyle_ = value; }
  // The assigned value, else the global draw style's focus-frame setting.
  bool GetIsDrawFocusRect() const;
  void SetIsDrawFocusRect(bool value);
  bool GetIsDrawFocusRectStored() const { return isDrawFocusRectStored_; }
  bool GetLuminateSelection() const { return luminateSelection_; }
  void SetLuminateSelection(bool value);
  // clDefault while not set: the Get...Color operations answer the default then.
  TColor GetSelectionColorProp() const { return selectionColor_; }
  void SetSelectionColor(TColor value);
  TColor GetSelectionFontColorProp() const { return selectionFontColor_; }
  void SetSelectionFontColor(TColor value);
  TColor GetSelectionInactiveColorProp() const { return selectionInactiveColor_; }
  void SetSelectionInactiveColor(TColor value) { selectionInactiveColor_ = value; }
  TSortMarkerStyleEh GetSortMarkerStyle() const { return sortMarkerStyle_; }
  void SetSortMarkerStyle(TSortMarkerStyleEh value);
  TGridThemeTitleFillElementEh GetThemeTitleFillElement() const { return themeTitleFillElement_; }
  void SetThemeTitleFillElement(TGridThemeTitleFillElementEh value) { themeTitleFillElement_ = value; }
  Cardinal GetTitleStartColumnMovingAnimationTime() const { return titleStartColumnMovingAnimationTime_; }
  void SetTitleStartColumnMovingAnimationTime(Cardinal value) {
    titleStartColumnMovingAnimationTime_ = value;
  }
  Cardinal GetTitleFinishColumnMovingAnimationTime() const { return titleFinishColumnMovingAnimationTime_; }
  void SetTitleFinishColumnMovingAnimationTime(Cardinal value) {
    titleFinishColumnMovingAnimationTime_ = value;
  }
  TDBGridEhGetColorEvent OnGetSubtitleRowColor;

  // Colours the grids ask for.
  virtual bool DefaultIsDrawFocusRect() const;
  virtual TColor LightenColor(TColor color, TColor glassColor, bool ungray) const;
  virtual TColor GetSelectionColor() const;
  virtual TColor GetSelectionFontColor() const;
  virtual TColor GetSelectionInactiveColor() const;
  virtual TColor GetColumnColor(TColumnEh* column) const;
  virtual TColor GetColumnFontColor(TColumnEh* column, TGridDrawState state) const;
  virtual TColor GetSubtitleRowColor(TCustomDBGridEh* grid);
  virtual TColor DefaultGetSubtitleRowColor(TCustomDBGridEh* grid) const;
  virtual TColor GetGroupPanelColor(TCustomDBGridEh* grid) const;
  virtual Integer GetDataCellHorzOffset(TCustomDBGridEh* grid, TColumnEh* column) const;
  virtual TTreeViewGlyphStyleEh GetActualTreeGlyphStyle() const;
  // Grows a title's fill rectangle so that the themed element covers the cell's own border lines.
  void GetThemeTitleFillRect(TRect& fillRect, bool incVertBoundary, bool incHorzBoundary) const;
  // The themed element that fills a title cell, by ThemeTitleFillElement.
  TThemedElementDetails GetThemeTitleFillElement(bool isDown, bool isSelected) const;
  // The colours of a fixed cell under a custom style; all clNone without one.
  virtual void GetCustomStyleFixedColors(TColor& fillColor, TColor& textColor, TColor& startColor,
                                         TColor& endColor, TGridCellFillStyleEh fillStyle, bool isTrack,
                                         bool isPressed) const;
  virtual void GetDefaultFixedGradientColor(TColor& startColor, TColor& endColor, bool isTrack,
                                            bool isPressed) const;

  // A data cell's colour by selection, focus and hot tracking; whether it is drawn highlighted.
  virtual bool HighlightDataCellColor(TCustomDBGridEh* grid, Integer col, Integer row, Integer dataCol,
                                      Integer dataRow, const String& value, TGridDrawState state,
                                      bool selected, TColor& color, TFont* font);
  // A selected fixed cell's colours; false leaves an unselected cell as it is.
  virtual bool GetFixedCellSelectedColors(TCustomDBGridEh* grid, Integer col, Integer row, Integer dataCol,
                                          Integer dataRow, TCellAreaTypeEh cellType, TGridDrawState state,
                                          bool selected, TColor& color, TFont* font);

  // Backgrounds of fixed cells: a plain fill, or the custom style's fixed-cell element.
  virtual void DrawCustomStyleCellBackground(TCustomDBGridEh* grid, TCanvas* canvas, const TRect& rect,
                                             TGridCellFillStyleEh fillStyle, TColor color,
                                             TGridDrawState state, Integer col, Integer row, bool cellPressed,
                                             const TRect& clipRect);
  // Fills and frames a fixed cell by its fill style; insideRect comes back as the room for the content
  // and the state's FontColor as the text colour a custom style wants.
  virtual void DrawFixedCellBackground(TCustomDBGridEh* grid, TCanvas* canvas, const TRect& rect,
                                       bool fillInside, TRect& insideRect, TGridDrawState state,
                                       TDBGridDrawFixedStateEh& fixedState);
  virtual void DrawTitleCellBackground(TCustomDBGridEh* grid, TColumnEh* column, TCanvas* canvas,
                                       const TRect& rect, bool fillInside, TRect& insideRect,
                                       TGridDrawState state, TDBGridDrawTitleCellParamsEh* titleState,
                                       const TRect& clipRect);

  // Sort markers: the style a caller's smstDefaultEh stands for, their sizes and colours.
  TSortMarkerStyleEh ActualSortMarkerStyle(TSortMarkerStyleEh style) const;
  virtual TSize GetSortMarkerSize(TCanvas* canvas, TSortMarkerStyleEh style) const;
  virtual void GetSortMarkerColors(TSortMarkerStyleEh style, TColumnEh* column, TSortMarkerEh direction,
                                   bool selected, TColor& frameBrightColor, TColor& frameDarkColor,
                                   TColor& fillColor) const;
  virtual void DrawSortMarkerNew(TCanvas* canvas, TSortMarkerStyleEh style, TSortMarkerEh direction,
                                 bool selected, const TRect& rect, TColor frameBrightColor,
                                 TColor frameDarkColor, TColor fillColor);
  // The marker in the colours the column's grid gives it.
  void DrawSortMarker(TCanvas* canvas, TSortMarkerStyleEh style, TColumnEh* column, TSortMarkerEh direction,
                      bool selected, const TRect& rect);

  // Measures the display's colours again; the system's colour-change notice ends here.
  virtual void RefreshColorDepth();
  // A system colour change re-measures the display; a failure goes to the application's handler.
  virtual void WndProc(TMessage& message);

 private:
  // Draws a fixed cell's fill by style: the themed title element, a vertical gradient, or the brush.
  void FillFixedCellByStyle(TCustomDBGridEh* grid, TCanvas* canvas, TGridCellFillStyleEh fillStyle,
                            TColor startColor, const TRect& clipRect, bool selected, bool pressed,
                            const TRect& rect) const;
  static void DrawGridLine(TCustomDBGridEh* grid, TCanvas* canvas, TColor color, TPoint from, TPoint to);
  // LightenColor as the cell shows it, or a blend that keeps a custom style's text readable.
  TColor LuminateCellColor(TColor color, TColor glassColor, bool ungray) const;

  std::vector<TCustomDBGridEh*> grids_;
  // Stands for the hidden window: the style manager tells of a colour change through it.
  Integer styleChangedKey_ = 0;
  Integer dataCellHorzOffset_ = -1;
  TSortMarkerStyleEh defaultSortMarkerStyle_ = smstFrameEh;
  Integer finishLoadingStatusRenderDuration_ = 500;
  bool gradientEnabledInClassicTheme_ = false;
  TEditButtonStyleEh inTitleFilterButtonStyle_ = ebsDropDownEh;
  bool isDrawFocusRect_ = true;
  bool isDrawFocusRectStored_ = false;
  bool luminateSelection_ = true;
  TColor selectionColor_ = clDefault;
  TColor selectionFontColor_ = clDefault;
  TColor selectionInactiveColor_ = clDefault;
  TSortMarkerStyleEh sortMarkerStyle_ = smstDefaultEh;
  Integer startLoadingStatusRenderDuration_ = 300;
  TGridThemeTitleFillElementEh themeTitleFillElement_ = gtfeHeaderItemEh;
  Cardinal titleFinishColumnMovingAnimationTime_ = 150;
  Cardinal titleStartColumnMovingAnimationTime_ = 120;
};

enum TDBGridEhStyleIndicatorTitleMenuEh {
  itmVisibleColumnsEh,
  itmCut,
  itmCopy,
  itmPaste,
  itmDelete,
  itmSelectAll
};
using TDBGridEhStyleIndicatorTitleMenusEh = TSet<TDBGridEhStyleIndicatorTitleMenuEh>;
enum TDBGridEhSettingsKeeperOption {
  gskoRowHeightEh,
  gskoSearchPanelScopesEh,
  gskoSearchPanelCaseSensitiveEh,
  gskoSearchPanelWholeWordsEh,
  gskoSearchPanelBeginsWithEh
};
using TDBGridEhSettingsKeeperOptions = TSet<TDBGridEhSettingsKeeperOption>;
enum TColumnEhSettingsKeeperOption {
  cskoColIndexEh,
  cskoColWidthsEh,
  cskoSortMarkerEh,
  cskoColVisibleEh,
  cskoDropDownRowsEh,
  cskoDropDownWidthEh,
  cskoRowPanelColPlacementEh,
  cskoColSTFilterEh
};
using TColumnEhSettingsKeeperOptions = TSet<TColumnEhSettingsKeeperOption>;
enum TSortOrderEh { soAscEh, soDescEh };

using TDBGridEhBuildIndicatorTitleMenu = TDelegate<void(TCustomDBGridEh* Grid, TPopupMenu*& PopupMenu)>;

// The menu items of the default handler's menus.
class TColumnEhMenuItem : public TMenuItemEh {
  KIV_CLASS(TColumnEhMenuItem, TMenuItemEh)
 public:
  explicit TColumnEhMenuItem(TComponent* owner) : TMenuItemEh(owner) {}
  TColumnEh* ColumnEh = nullptr;
};

class TDBGridEhMenuItem : public TMenuItemEh {
  KIV_CLASS(TDBGridEhMenuItem, TMenuItemEh)
 public:
  explicit TDBGridEhMenuItem(TComponent* owner) : TMenuItemEh(owner) {}
  TCustomDBGridEh* Grid = nullptr;
  TObject* TagObject = nullptr;
};

class TDBGridEhIndicatorTitleMenuItemEh : public TDBGridEhMenuItem {
  KIV_CLASS(TDBGridEhIndicatorTitleMenuItemEh, TDBGridEhMenuItem)
 public:
  explicit TDBGridEhIndicatorTitleMenuItemEh(TComponent* owner) : TDBGridEhMenuItem(owner) {}
  TDBGridEhStyleIndicatorTitleMenuEh TitleMenu = itmVisibleColumnsEh;
};

// Where a grid hands what an application may want to change for all grids at once: the defaults of
// sorting, filtering, record moving, text search and the find dialog, the indicator-title menu, the
// first sort direction, what the settings keeper saves. Events of its own come first, then the
// default. No dataset features are registered by this system, so the dataset routes do nothing.
class TDBGridEhCenter : public TPersistent {
  KIV_CLASS(TDBGridEhCenter, TPersistent)
 public:
  TDBGridEhCenter() = default;
  // Every registered grid, the last first, is left without a center.
  ~TDBGridEhCenter() override;

  void AddChangeNotification(TCustomDBGridEh* grid);
  void RemoveChangeNotification(TCustomDBGridEh* grid);
  bool GridInChangeNotification(TCustomDBGridEh* grid) const;
  Integer GridCount() const { return static_cast<Integer>(grids_.size()); }
  void Changed() {}

  Integer GetColWidthsOptimizationMaxWaitingTime() const { return colWidthsOptimizationMaxWaitingTime_; }
  void SetColWidthsOptimizationMaxWaitingTime(Integer value) { colWidthsOptimizationMaxWaitingTime_ = value; }
  bool GetFilterEditCloseUpApplyFilter() const { return filterEditCloseUpApplyFilter_; }
  void SetFilterEditCloseUpApplyFilter(bool value) { filterEditCloseUpApplyFilter_ = value; }
  TDBGridEhStyleIndicatorTitleMenusEh GetIndicatorTitleMenus() const { return indicatorTitleMenus_; }
  void SetIndicatorTitleMenus(TDBGridEhStyleIndicatorTitleMenusEh value) { indicatorTitleMenus_ = value; }
  bool GetPreferEditFormatForNumberFields() const { return preferEditFormatForNumberFields_; }
  void SetPreferEditFormatForNumberFields(bool value) { preferEditFormatForNumberFields_ = value; }
  bool GetTryUseViewScroll() const { return tryUseViewScroll_; }
  void SetTryUseViewScroll(bool value) { tryUseViewScroll_ = value; }
  bool GetUseExtendedScrollingForMemTable() const { return useExtendedScrollingForMemTable_; }
  void SetUseExtendedScrollingForMemTable(bool value) { useExtendedScrollingForMemTable_ = value; }

  // Each replaces the default when assigned; the grid is the Sender.
  TNotifyEvent OnApplySorting;
  TNotifyEvent OnApplyFilter;
  TDBGridEhBuildIndicatorTitleMenu OnBuildIndicatorTitleMenu;
  TLocateTextEventEh OnLocateText;
  // Each stops the default when it sets Processed.
  TGridEhCellMouseEvent OnCellMouseClick;
  TGridEhCellMouseEvent OnIndicatorTitleMouseDown;

  // Raisers: the event, else the default.
  virtual void ApplySorting(TCustomDBGridEh* grid);
  virtual void ApplyFilter(TCustomDBGridEh* grid);
  virtual void CellMouseClick(TCustomDBGridEh* grid, TGridCoord cell, TMouseButton button, TShiftState shift,
                              Integer x, Integer y);
  virtual void IndicatorTitleMouseDown(TCustomDBGridEh* grid, TGridCoord cell, TMouseButton button,
                                       TShiftState shift, Integer x, Integer y);
  virtual void BuildIndicatorTitleMenu(TCustomDBGridEh* grid, TPopupMenu*& popupMenu);
  virtual bool LocateText(TCustomDBGridEh* grid, const String& fieldName, const String& text,
                          TLocateTextOptionsEh options, TLocateTextDirectionEh direction,
                          TLocateTextMatchingEh matching, TLocateTextTreeFindRangeEh treeFindRange,
                          Cardinal timeOut = 0,
                          const std::function<void(TColumnEh*, bool&)>& checkValueEvent = {});
  virtual bool MoveRecords(TCustomDBGridEh* grid, TBMListEh* bookmarkList, Integer toRecNo, bool checkOnly);

  // Defaults. Without a dataset-features entry sorting, filtering and moving do nothing, and text
  // search and the find dialog are the grid's own.
  virtual void DefaultApplySorting(TCustomDBGridEh* grid);
  virtual void DefaultApplyFilter(TCustomDBGridEh* grid);
  virtual void DefaultCellMouseClick(TCustomDBGridEh* grid, TGridCoord cell, TMouseButton button,
                                     TShiftState shift, Integer x, Integer y);
  virtual void DefaultIndicatorTitleMouseDown(TCustomDBGridEh* grid, TGridCoord cell, TMouseButton button,
                                              TShiftState shift, Integer x, Integer y);
  virtual void DefaultBuildIndicatorTitleMenu(TCustomDBGridEh* grid, TPopupMenu*& popupMenu);
  // The visible-columns and edit-action items the center's menu kinds ask for.
  void AddStandardIndicatorTitleItems(TCustomDBGridEh* grid, TPopupMenu* popupMenu);
  virtual bool DefaultLocateText(TCustomDBGridEh* grid, const String& fieldName, const String& text,
                                 TLocateTextOptionsEh options, TLocateTextDirectionEh direction,
                                 TLocateTextMatchingEh matching, TLocateTextTreeFindRangeEh treeFindRange,
                                 Cardinal timeOut,
                                 const std::function<void(TColumnEh*, bool&)>& checkValueEvent);
  virtual bool DefaultMoveRecords(TCustomDBGridEh* grid, TBMListEh* bookmarkList, Integer toRecNo,
                                  bool checkOnly);
  virtual void ExecuteFindDialog(TCustomDBGridEh* grid, const String& text, bool modal);

  // Answers the grids ask for.
  virtual Integer CalcIndicatorRowNumAreaWidth(TCustomDBGridEh* grid);
  virtual void GetGroupingPanelColumnText(TCustomDBGridEh* grid, TColumnEh* column, String& text);
  virtual TSortMarkerEh GetFirstSortMarkerState(TCustomDBGridEh* grid, TColumnEh* column);
  // smNoneEh has no order: it raises.
  virtual TSortOrderEh GetSortOrderForSortMarker(TCustomDBGridEh* grid, TColumnEh* column,
                                                 TSortMarkerEh sortMarker);
  virtual bool CanColumnValueReadAsText(TCustomDBGridEh* grid, TColumnEh* column);
  virtual bool ColumnValueTypeIsComparable(TCustomDBGridEh* grid, TColumnEh* column);
  virtual TDBGridEhSettingsKeeperOptions GetGridSettingsKeeperOptions(TCustomDBGridEh* grid);
  virtual TColumnEhSettingsKeeperOptions GetColumnSettingsKeeperOptions(TCustomDBGridEh* grid);
  // The visible-columns item of the indicator-title menu: never hides the last visible column.
  virtual void MenuVisibleColumnClick(TColumnEh* column, TMenuItem* item);
  // The click of a TColumnEhMenuItem.
  void MenuVisibleColumnClick(TObject* sender);
  // The edit actions of the indicator-title menu, on the item's grid and its current selection.
  virtual void IndicatorTitleMenuItemClick(TObject* sender);
  // A cell's menu and the items built into it: the grid's own by default.
  virtual TPopupMenu* GetCellPopupMenu(TCustomDBGridEh* grid, TGridCoord cell, TCellAreaTypeEh area,
                                       TColumnEh* column);
  virtual void BuildCellPopupMenu(TCustomDBGridEh* grid, TPopupMenu* menu, TGridCoord cell,
                                  TCellAreaTypeEh area, TColumnEh* column);

  // Empty hooks the grid calls before its own events.
  virtual void GetColCellParams(TCustomDBGridEh* /*grid*/, TColumnEh* /*column*/, bool /*editMode*/,
                                TAxisColCellParamsEh* /*params*/) {}
  virtual void GetTitleParams(TCustomDBGridEh* /*grid*/, TColumnEh* /*column*/, TFont* /*font*/,
                              TColor& /*background*/, TSortMarkerEh& /*sortMarker*/, bool /*isDown*/) {}
  virtual void RowDetailPanelShow(TCustomDBGridEh* /*grid*/, bool& /*canShow*/) {}
  virtual void RowDetailPanelHide(TCustomDBGridEh* /*grid*/, bool& /*canHide*/) {}

 private:
  std::vector<TCustomDBGridEh*> grids_;
  Integer colWidthsOptimizationMaxWaitingTime_ = 2000;
  bool filterEditCloseUpApplyFilter_ = false;
  TDBGridEhStyleIndicatorTitleMenusEh indicatorTitleMenus_{
      itmVisibleColumnsEh, itmCut, itmCopy, itmPaste, itmDelete, itmSelectAll};
  bool preferEditFormatForNumberFields_ = false;
  bool tryUseViewScroll_ = true;
  bool useExtendedScrollingForMemTable_ = true;
};

// The process-wide objects: made by InitDBGridEhUnit (or on the first request before it) and freed by
// DoneDBGridEhUnit; nil once freed until the unit starts again.
TDBGridEhStyle* GetGlobalGridStyle();
TDBGridEhCenter* GetGlobalGridCenter();
// Replaces the process-wide style or center (the old one is freed and its grids move to the new).
void SetGlobalGridStyle(TDBGridEhStyle* style);
void SetGlobalGridCenter(TDBGridEhCenter* center);
void InitDBGridEhUnit();
void DoneDBGridEhUnit();

// The storage path of a component: the owning form's class name, then the owners' names joined by ".".
void GetComponentStoragePath(TComponent* component, String& path);
// Exchanges a rectangle's width and height around its top-left corner.
void SwapRectSides(TRect& rect);
// The hourglass for nested long operations: the cursor comes back at the last EndWaitCursor.
void BeginWaitCursor();
void EndWaitCursor();

// ---- Area parameter objects ----

// Parameters of one grid area: colour and font with their "not set" forms, lines, fill style. Unset
// values follow the grid: the colour its owner's, the lines the grid's row and column line options,
// the line colours the grid's dark line colour, the font the grid's font.
class TDBGridAreaParamsEh : public TPersistent {
  KIV_CLASS(TDBGridAreaParamsEh, TPersistent)
 public:
  static void Published(TPropBuilder<TDBGridAreaParamsEh>& p);
  explicit TDBGridAreaParamsEh(TCustomDBGridEh* grid);
  ~TDBGridAreaParamsEh() override;
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;
  TCustomDBGridEh* GetGrid() const { return grid_; }

  // clDefault while not set: the owner decides.
  TColor GetColor() const { return color_; }
  void SetColor(TColor value);
  bool GetColorStored() const { return color_ != clDefault; }
  // True copies the current default in; False lets the colour follow again.
  void SetColorStored(bool value);
  TColor GetFillStyleColor() const;
  TGridCellFillStyleEh GetFillStyle() const { return fillStyle_; }
  void SetFillStyle(TGridCellFillStyleEh value);
  // The fill style the area is painted with on this system.
  virtual TGridCellFillStyleEh GetActualFillStyle() const;
  TFont* GetFont() const { return font_.get(); }
  void SetFont(TFont* value) { font_->Assign(value); }
  bool GetParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  // The line colours, the grid's dark line colour while clDefault.
  TColor GetVertLineColor() const;
  void SetVertLineColor(TColor value);
  TColor GetHorzLineColor() const;
  void SetHorzLineColor(TColor value);
  bool GetVertLines() const;
  void SetVertLines(bool value);
  bool GetVertLinesStored() const { return vertLinesStored_; }
  void SetVertLinesStored(bool value);
  bool GetHorzLines() const;
  void SetHorzLines(bool value);
  bool GetHorzLinesStored() const { return horzLinesStored_; }
  void SetHorzLinesStored(bool value);
  // Keeps a parent font a copy of the grid's font.
  void RefreshDefaultFont();

 protected:
  virtual TColor DefaultColor() const;
  virtual TColor DefaultLineColor() const;
  // A change that moves cells re-lays the grid out; any other repaints it.
  virtual void Changed(bool relayout = false);
  // Whether lines change the layout (multi-level titles).
  virtual bool LinesChangeLayout() const { return false; }
  virtual void FontChanged(TObject* sender);
  // The 3D option of the area, which decides the default fill.
  virtual TDBGridEhOption ThreeDOption() const { return dghFixed3D; }
  // Whether an explicit themed fill stays themed without themes (the title's does not).
  virtual bool ExplicitThemedKept() const { return true; }

  TCustomDBGridEh* grid_;

 private:
  TColor color_ = clDefault;
  TGridCellFillStyleEh fillStyle_ = cfstDefaultEh;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  bool syncing_ = false;
  TColor vertLineColor_ = clDefault;
  TColor horzLineColor_ = clDefault;
  bool vertLines_ = true;
  bool horzLines_ = true;
  bool vertLinesStored_ = false;
  bool horzLinesStored_ = false;
};

class TDBGridTitleParamsEh : public TDBGridAreaParamsEh {
  KIV_CLASS(TDBGridTitleParamsEh, TDBGridAreaParamsEh)
 public:
  static void Published(TPropBuilder<TDBGridTitleParamsEh>& p);
  explicit TDBGridTitleParamsEh(TCustomDBGridEh* grid);
  ~TDBGridTitleParamsEh() override;
  void Assign(TPersistent* source) override;
  bool GetMultiTitle() const { return multiTitle_; }
  void SetMultiTitle(bool value);
  TSortMarkerStyleEh GetSortMarkerStyle() const;
  void SetSortMarkerStyle(TSortMarkerStyleEh value);
  bool GetSortMarkerStyleStored() const { return sortMarkerStyleStored_; }
  void SetSortMarkerStyleStored(bool value);
  Integer GetRowHeight() const { return rowHeight_; }
  void SetRowHeight(Integer value);
  Integer GetRowLines() const { return rowLines_; }
  void SetRowLines(Integer value);
  bool GetBorderInFillStyle() const { return borderInFillStyle_; }
  void SetBorderInFillStyle(bool value);
  // The second colour of a gradient fill: the grid's colour while not set.
  TColor GetSecondColor() const;
  void SetSecondColor(TColor value);
  bool GetSecondColorStored() const { return secondColor_ != clDefault; }
  void SetSecondColorStored(bool value);
  Integer GetVTitleMargin() const { return vTitleMargin_; }
  void SetVTitleMargin(Integer value);
  // The pictures the titles' ImageIndex choose from; the list's change repaints, its freeing is seen.
  TCustomImageList* GetImages() const { return images_; }
  void SetImages(TCustomImageList* value);
  // The menu of title cells whose column title has none.
  TPopupMenu* GetPopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* value);

 protected:
  TColor DefaultColor() const override;
  bool LinesChangeLayout() const override { return multiTitle_; }
  bool ExplicitThemedKept() const override { return false; }

 private:
  bool multiTitle_ = false;
  Integer rowHeight_ = 0;
  Integer rowLines_ = 0;
  bool borderInFillStyle_ = false;
  TColor secondColor_ = clDefault;
  Integer vTitleMargin_ = 10;
  TSortMarkerStyleEh sortMarkerStyle_ = smstDefaultEh;
  bool sortMarkerStyleStored_ = false;
  TCustomImageList* images_ = nullptr;
  TPopupMenu* popupMenu_ = nullptr;
  std::unique_ptr<TChangeLink> imagesLink_;
  std::unique_ptr<TComponent> imagesWatch_;
};

class TDBGridIndicatorParamsEh : public TDBGridAreaParamsEh {
  KIV_CLASS(TDBGridIndicatorParamsEh, TDBGridAreaParamsEh)
 public:
  static void Published(TPropBuilder<TDBGridIndicatorParamsEh>& p);
  explicit TDBGridIndicatorParamsEh(TCustomDBGridEh* grid) : TDBGridAreaParamsEh(grid) {}
  Integer GetRecNoShowStep() const { return recNoShowStep_; }
  // Any step is kept: 0 or below numbers only the first, last and current rows.
  void SetRecNoShowStep(Integer value);

 protected:
  TColor DefaultColor() const override;

 private:
  Integer recNoShowStep_ = 1;
};

class TDBGridFooterParamsEh : public TDBGridAreaParamsEh {
  KIV_CLASS(TDBGridFooterParamsEh, TDBGridAreaParamsEh)
 public:
  static void Published(TPropBuilder<TDBGridFooterParamsEh>& p);
  explicit TDBGridFooterParamsEh(TCustomDBGridEh* grid) : TDBGridAreaParamsEh(grid) {}
  Integer GetRowHeight() const { return rowHeight_; }
  void SetRowHeight(Integer value);
  Integer GetRowLines() const { return rowLines_; }
  void SetRowLines(Integer value);

 protected:
  TColor DefaultColor() const override;
  TDBGridEhOption ThreeDOption() const override { return dghFooter3D; }

 private:
  Integer rowHeight_ = 0;
  Integer rowLines_ = 0;
};

// The text shown over a grid without records.
class TGridEmptyDataInfoEh : public TPersistent {
  KIV_CLASS(TGridEmptyDataInfoEh, TPersistent)
 public:
  static void Published(TPropBuilder<TGridEmptyDataInfoEh>& p);
  explicit TGridEmptyDataInfoEh(TCustomDBGridEh* grid) : grid_(grid) {}
  ~TGridEmptyDataInfoEh() override;
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;
  // Grey in the grid's font while ParentFont is on; a change of the font by hand turns it off.
  TFont* GetFont();
  void SetFont(TFont* value) { GetFont()->Assign(value); }
  bool GetParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  // Takes the grid font's size, name and character set, not its colour, while ParentFont is on.
  void RefreshDefaultFont();
  // The text's place: centred in the data area less 10 pixels on every side, wrapped where narrower.
  virtual TRect GetDrawRect();
  // The text on the grid's colour, framed where vertical lines reach into the empty area.
  void PaintEmptyDataInfo();
  bool GetActive() const { return active_; }
  void SetActive(bool value);
  const String& GetText() const { return text_; }
  void SetText(const String& value);
  // The text to show: the own text, else the language text.
  String GetDisplayText() const;
  // Whether the grid shows it now: active, the dataset open and empty.
  bool Showing() const;

 private:
  void EmptyInfoFontChanged(TObject* sender);
  TCustomDBGridEh* grid_;
  bool active_ = false;
  String text_;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  bool fontSyncing_ = false;
};

// ---- Scroll bars ----

enum TNavButtonEh {
  nbFirstEh,
  nbPriorEh,
  nbNextEh,
  nbLastEh,
  nbInsertEh,
  nbDeleteEh,
  nbEditEh,
  nbPostEh,
  nbCancelEh,
  nbRefreshEh
};
using TNavButtonSetEh = TSet<TNavButtonEh>;
enum TGridSBItemEh { gsbiRecordsInfoEh, gsbiNavigator, gsbiSelAggregationInfoEh };
using TGridSBItemsEh = TSet<TGridSBItemEh>;

// The panel beside the horizontal scroll bar: record information, navigator buttons, aggregates of
// the selection. The navigator control that shows them is not part of this library: the panel keeps
// what is asked of it, and the grid makes room for it.
class TDBGridEhScrollBarPanel : public TPersistent {
  KIV_CLASS(TDBGridEhScrollBarPanel, TPersistent)
 public:
  static void Published(TPropBuilder<TDBGridEhScrollBarPanel>& p);
  explicit TDBGridEhScrollBarPanel(TGridScrollBarEh* scrollBar) : scrollBar_(scrollBar) {}
  void Assign(TPersistent* source) override;
  TCustomGridEh* GetGrid() const { return scrollBar_->GetGrid(); }
  bool GetVisible() const { return visible_; }
  // A change makes the grid measure its boundaries again.
  void SetVisible(bool value);
  TNavButtonSetEh GetNavigatorButtons() const { return navigatorButtons_; }
  void SetNavigatorButtons(TNavButtonSetEh value) { navigatorButtons_ = value; }
  TGridSBItemsEh GetVisibleItems() const { return visibleItems_; }
  void SetVisibleItems(TGridSBItemsEh value) { visibleItems_ = value; }

 private:
  TGridScrollBarEh* scrollBar_;
  bool visible_ = false;
  TNavButtonSetEh navigatorButtons_{nbFirstEh,  nbPriorEh, nbNextEh, nbLastEh,   nbInsertEh,
                                    nbDeleteEh, nbEditEh,  nbPostEh, nbCancelEh, nbRefreshEh};
  TGridSBItemsEh visibleItems_{gsbiRecordsInfoEh, gsbiNavigator, gsbiSelAggregationInfoEh};
};

// The data grid's horizontal bar: scrolls smoothly and carries the extra panel, which keeps the bar
// shown while it is visible.
class THorzDBGridEhScrollBar : public TGridScrollBarEh {
  KIV_CLASS(THorzDBGridEhScrollBar, TGridScrollBarEh)
 public:
  static void Published(TPropBuilder<THorzDBGridEhScrollBar>& p);
  THorzDBGridEhScrollBar(TCustomGridEh* grid, TScrollBarKind kind);
  void Assign(TPersistent* source) override;
  TDBGridEhScrollBarPanel* GetExtraPanel() const { return extraPanel_.get(); }
  void SetExtraPanel(TDBGridEhScrollBarPanel* value) { extraPanel_->Assign(value); }
  bool CalcScrollBarShowing() override;
  bool IsKeepMaxSizeInDefault() override;
  Integer ActualScrollBarBoxSize() override;
  bool ScrollBarPanel() override { return extraPanel_->GetVisible(); }

 private:
  std::unique_ptr<TDBGridEhScrollBarPanel> extraPanel_;
};

class TVertDBGridEhScrollBar : public TGridScrollBarEh {
  KIV_CLASS(TVertDBGridEhScrollBar, TGridScrollBarEh)
 public:
  static void Published(TPropBuilder<TVertDBGridEhScrollBar>& p);
  TVertDBGridEhScrollBar(TCustomGridEh* grid, TScrollBarKind kind) : TGridScrollBarEh(grid, kind) {}
  // No panel beside the vertical bar in this system.
  bool ScrollBarPanel() override { return false; }
};

// The indicator title button's options.
class TDBGridEhIndicatorTitle : public TPersistent {
  KIV_CLASS(TDBGridEhIndicatorTitle, TPersistent)
 public:
  static void Published(TPropBuilder<TDBGridEhIndicatorTitle>& p);
  explicit TDBGridEhIndicatorTitle(TCustomDBGridEh* grid) : grid_(grid) {}
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;
  bool GetShowDropDownSign() const { return showDropDownSign_; }
  void SetShowDropDownSign(bool value);
  bool GetTitleButton() const { return titleButton_; }
  void SetTitleButton(bool value) { titleButton_ = value; }
  bool GetUseGlobalMenu() const { return useGlobalMenu_; }
  void SetUseGlobalMenu(bool value) { useGlobalMenu_ = value; }
  // Items added after the standard ones of the menu the title button opens.
  TPopupMenu* GetDropdownMenu() const { return dropdownMenu_; }
  void SetDropdownMenu(TPopupMenu* value);
  // The title button is held down while its menu is open.
  bool GetDown() const { return down_; }

 private:
  friend class TCustomDBGridEh;
  TCustomDBGridEh* grid_;
  TPopupMenu* dropdownMenu_ = nullptr;
  bool down_ = false;
  bool showDropDownSign_ = false;
  bool titleButton_ = false;
  bool useGlobalMenu_ = true;
};

// The switches of the grid's context menus: build a fresh menu for every popup, offer the indicator
// title's menu in the cells, use the menu all grids share.
class TDBGridEhPopupMenuParams : public TPersistent {
  KIV_CLASS(TDBGridEhPopupMenuParams, TPersistent)
 public:
  static void Published(TPropBuilder<TDBGridEhPopupMenuParams>& p);
  explicit TDBGridEhPopupMenuParams(TCustomDBGridEh* grid) : grid_(grid) {}
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;
  bool GetUseGlobalMenu() const { return useGlobalMenu_; }
  void SetUseGlobalMenu(bool value) { useGlobalMenu_ = value; }
  bool GetUseIndicatorMenu() const;
  void SetUseIndicatorMenu(bool value);
  bool GetBuildMenuOnPopup() const;
  void SetBuildMenuOnPopup(bool value);

 private:
  TCustomDBGridEh* grid_;
  bool useGlobalMenu_ = false;
};

// The picture behind the data grid's cells; it may leave the titles, the indicator or the footers out.
class TDBGridBackgroundDataEh : public TGridBackgroundDataEh {
  KIV_CLASS(TDBGridBackgroundDataEh, TGridBackgroundDataEh)
 public:
  static void Published(TPropBuilder<TDBGridBackgroundDataEh>& p);
  explicit TDBGridBackgroundDataEh(TCustomDBGridEh* grid);
  void Assign(TPersistent* source) override;
  TRect BoundRect() const override;
  bool GetExcludeTitle() const { return excludeTitle_; }
  void SetExcludeTitle(bool value);
  bool GetExcludeIndicator() const { return excludeIndicator_; }
  void SetExcludeIndicator(bool value);
  bool GetExcludeFooter() const { return excludeFooter_; }
  void SetExcludeFooter(bool value);

 private:
  void SetFlag(bool& flag, bool value);
  TCustomDBGridEh* dbGrid_;
  bool excludeTitle_ = false;
  bool excludeIndicator_ = false;
  bool excludeFooter_ = false;
};

// ---- Column footers ----

enum TFooterValueType { fvtNon, fvtSum, fvtAvg, fvtCount, fvtFieldValue, fvtStaticText };
enum TColumnFooterEhValue { cvFooterAlignment, cvFooterFont, cvFooterColor, cvFooterToolTips };
using TColumnFooterValues = TSet<TColumnFooterEhValue>;

// One footer cell of a column: nothing, an aggregate kept by the grid's sum list, a field's value or
// a fixed text. Alignment, colour, font and tool tips follow the grid until set.
class TColumnFooterEh : public TCollectionItem {
  KIV_CLASS(TColumnFooterEh, TCollectionItem)
 public:
  static void Published(TPropBuilder<TColumnFooterEh>& p);
  // An item of a column's footer collection.
  explicit TColumnFooterEh(TCollection* collection);
  // The column's main footer, outside any collection.
  static TColumnFooterEh* CreateApart(TColumnEh* column);
  ~TColumnFooterEh() override;
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;

  TColumnEh* GetColumn() const { return column_; }
  TColumnFooterValues GetAssignedValues() const { return assignedValues_; }
  TFooterValueType GetValueType() const { return valueType_; }
  void SetValueType(TFooterValueType value);
  const String& GetFieldName() const { return fieldName_; }
  void SetFieldName(const String& value);
  const String& GetValue() const { return value_; }
  void SetValue(const String& value);
  const String& GetDisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const String& value);
  TAlignment GetAlignment() const;
  void SetAlignment(TAlignment value);
  TColor GetColor() const;
  void SetColor(TColor value);
  // While not set, a copy of the grid's footer font.
  TFont* GetFont();
  void SetFont(TFont* value) { font_->Assign(value); }
  bool GetToolTips() const;
  void SetToolTips(bool value);
  bool GetEndEllipsis() const { return endEllipsis_; }
  void SetEndEllipsis(bool value);
  bool GetWordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  TAlignment DefaultAlignment() const;
  TColor DefaultColor() const;
  TFont* DefaultFont() const;
  bool DefaultToolTips() const;
  // Forgets every set value; the font follows the grid again.
  void RestoreDefaults();

  // The aggregate, Null without one.
  Variant GetSumValue() const;
  TDBSum* GetDBSum() const { return dbSum_; }
  // Adds, re-aims or drops the footer's aggregate in the grid's sum list.
  void EnsureSumValue();

 private:
  void Init();
  void FontChanged(TObject* sender);
  void RefreshDefaultFont();
  void ColumnChanged(bool allItems);
  // A change of kind or field re-aims the aggregates of all the column's footers.
  void ReaimColumnSums();

  TColumnEh* column_ = nullptr;
  TColumnFooterValues assignedValues_;
  TAlignment alignment_ = taLeftJustify;
  TColor color_ = clWindow;
  std::unique_ptr<TFont> font_;
  bool fontSyncing_ = false;
  bool toolTips_ = false;
  bool endEllipsis_ = false;
  bool wordWrap_ = false;
  TFooterValueType valueType_ = fvtNon;
  String fieldName_, value_, displayFormat_;
  TDBSum* dbSum_ = nullptr;
};

// A column's further footers: footer row i shows item i, or the column's main footer past the end.
class TColumnFootersEh : public TCollection {
  KIV_CLASS(TColumnFootersEh, TCollection)
 public:
  explicit TColumnFootersEh(TColumnEh* column);
  TColumnEh* GetColumn() const { return column_; }
  TColumnFooterEh* Add() { return static_cast<TColumnFooterEh*>(TCollection::Add()); }
  TColumnFooterEh* GetFooter(Integer index) const { return static_cast<TColumnFooterEh*>(GetItem(index)); }
  TPersistent* GetOwner() const override;

 private:
  TColumnEh* column_;
};

// The grid's aggregates over its dataset.
class TDBGridEhSumList : public TDBSumListProducer {
  KIV_CLASS(TDBGridEhSumList, TDBSumListProducer)
 public:
  static void Published(TPropBuilder<TDBGridEhSumList>& p);
  explicit TDBGridEhSumList(TComponent* owner);
  void RecalcAll() override;

 protected:
  // While the grid is being designed the dataset keeps its own handlers: the list only notes that it
  // holds them.
  void SetDataSetEvents() override;
  void ReturnEvents() override;

 private:
  bool OwnerDesigning() const;
};

// ---- Column ----

// The font the digits of a multi-column sort index are measured and drawn in; one for all grids.
TFont* DBGridSortIndexFont();

class TColumnTitleEh : public TAxisBarTitleEh {
  KIV_CLASS(TColumnTitleEh, TAxisBarTitleEh)
 public:
  static void Published(TPropBuilder<TColumnTitleEh>& p);
  explicit TColumnTitleEh(TAxisBarEh* bar) : TAxisBarTitleEh(bar) {}
  void Assign(TPersistent* source) override;
  TColumnEh* GetColumn() const;

  Integer GetSortIndex() const { return sortIndex_; }
  void SetSortIndex(Integer value);
  TSortMarkerEh GetSortMarker() const { return sortMarker_; }
  void SetSortMarker(TSortMarkerEh value);
  TImageIndex GetImageIndex() const { return imageIndex_; }
  void SetImageIndex(TImageIndex value);
  // Moves the marker on for a title click: none, down, up, down.
  void NextSortMarker();
  // The title click's step from the center's first state: with keepMulti the other columns keep their
  // markers and the column cycles first state, other state, none; without it the others are cleared.
  void SetNextSortMarkerValue(bool keepMulti);
  // The room the marker and the sort index take in the title; 0 where the column is too narrow.
  Integer GetSortMarkingWidth() const;
  // The room of the filter button in the title; the filter row lies in the title only once it exists.
  Integer GetFilterButtonAreaWidth() const;
  // The room of the title picture: the image width and 2, or 0 without a picture.
  Integer ImageAreaWidth() const;
  // While not set, the grid's column defaults decide.
  bool GetShowImageAndText() const;
  void SetShowImageAndText(bool value);
  bool GetShowImageAndTextStored() const { return showImageAndTextStored_; }
  void SetShowImageAndTextStored(bool value);

  // An unset title font follows the grid's title font.
  TFont* DefaultFont() const override;

 private:
  // Whether the column's collection is inside BeginUpdate: the final update rebuilds the sort list.
  bool CollectionUpdating() const;
  Integer sortIndex_ = 0;
  TSortMarkerEh sortMarker_ = smNoneEh;
  TImageIndex imageIndex_ = -1;
  bool showImageAndText_ = false;
  bool showImageAndTextStored_ = false;
};

// A column's lookup settings with the display values of the in-memory table's view rows, one per
// row, kept in step by the column and the grid.
class TDBGridColumnLookupDataEh : public TDBLookupDataEh {
  KIV_CLASS(TDBGridColumnLookupDataEh, TDBLookupDataEh)
 public:
  explicit TDBGridColumnLookupDataEh(TColumnEh* column);
  // Empty entries are read on first use; Null is a looked-up nothing.
  std::vector<Variant>& LookupValues() { return lookupValues_; }
  // Whether the column's grid works through an in-memory table.
  bool GetLookupValuesCached() const;
  // Rebuilds the key-to-display cache, then the grid resets the per-row values.
  void RefreshLookupData();

 private:
  TColumnEh* column_;
  std::vector<Variant> lookupValues_;
};

// The aggregate kinds a group footer offers; a column says which its field allows.
enum TGroupFooterValueTypeEh {
  gfvNonEh,
  gfvSumEh,
  gfvAvgEh,
  gfvCountEh,
  gfvMaxEh,
  gfvMinEh,
  gfvStaticTextEh,
  gfvCustomEh
};

class TColumnEh : public TBaseColumnEh {
  KIV_CLASS(TColumnEh, TBaseColumnEh)
 public:
  explicit TColumnEh(TCollection* collection);
  ~TColumnEh() override;
  void Assign(TPersistent* source) override;

  TCustomDBGridEh* GetDBGrid() const;
  TColumnTitleEh* GetTitle() const { return static_cast<TColumnTitleEh*>(TAxisBarEh::GetTitle()); }
  // The text offset in data cells: the grid style's.
  Integer GetDataCellHorzOffset() override;

  Integer GetWidth() const override;
  void SetWidth(Integer value) override;
  Integer GetMinWidth() const override { return minWidth_; }
  void SetMinWidth(Integer value) override;
  Integer GetMaxWidth() const override { return maxWidth_; }
  void SetMaxWidth(Integer value) override;
  bool GetAutoFitColWidth() const override { return autoFitColWidth_; }
  void SetAutoFitColWidth(bool value) override;
  virtual Integer DefaultWidth() const;
  bool IsWidthStored() const;
  Integer GetInitWidth() const { return initWidth_; }
  void SetInitWidth(Integer value) { initWidth_ = value; }
  bool GetNotInWidthRange() const { return notInWidthRange_; }
  void SetNotInWidthRange(bool value) { notInWidthRange_ = value; }
  bool GetHideDuplicates() const { return hideDuplicates_; }
  void SetHideDuplicates(bool value);
  // Width as it stands in the grid (the data width plus nothing while lines are drawn by cells).
  Integer GetFullWidth() const { return GetVisible() ? GetWidth() : 0; }

  TColumnFooterEh* GetFooter() const { return footer_.get(); }
  void SetFooter(TColumnFooterEh* value) { footer_->Assign(value); }
  TColumnFootersEh* GetFooters() const { return footers_.get(); }
  void SetFooters(TColumnFootersEh* value) { footers_->Assign(value); }
  // The footer of footer row `index`: the item of Footers, else the main footer.
  TColumnFooterEh* UsedFooter(Integer index) const;
  // Re-aims the aggregates of the main footer and of every further footer.
  void EnsureFooterSums();

  // A width within the limits; the minimum wins where both apply.
  Integer ConstrainWidth(Integer width) const;
  // Whether the bound field's type allows the aggregate.
  bool CanApplyAggregateFunction(TGroupFooterValueTypeEh valueType);
  // Fits the width to the column's titles, data and footers over all records.
  virtual void OptimizeWidth();
  // The text of the current record as painted: the cell-parameter chain of the grid and the column.
  String GetTextValue(bool isDisplayText) override;
  // Link underline of the hot cell, then the grid's center, then the column's OnGetCellParams.
  void GetColCellParams(bool editMode, TAxisColCellParamsEh* params) override;

  // Painting hooks of the column, asked after the grid's.
  TDelegate<void(TObject* Sender, bool EditMode, TAxisColCellParamsEh* Params)> OnGetCellParams;
  TDelegate<void(TCustomDBGridEh* Sender, TGridCoord Cell, TGridCoord AreaCell, TColumnEh* Column,
                 const TRect& ARect, TAxisColCellParamsEh* Params, bool& Processed)>
      OnAdvDrawDataCell;
  // The value compared for hidden duplicates, made of the cell's text.
  TDelegate<void(TCustomDBGridEh* Sender, TColumnEh* Column, Variant& KeyValue)> OnGetHideDuplicatesValue;
  // Whether the required-value mark is drawn under a cell of the edited row.
  TDelegate<void(TObject* Sender, const String& Text, bool& DrawState)> OnCheckDrawRequiredState;
  // Hint events of the column, asked after the grid's.
  TDelegate<void(TCustomDBGridEh* Sender, TPoint CursorPos, TGridCoord Cell, TPoint InCellCursorPos,
                 TColumnEh* Column, Integer& HintPause, bool& Processed)>
      OnHintShowPause;
  TDelegate<void(TCustomDBGridEh* Sender, TPoint CursorPos, TGridCoord Cell, TPoint InCellCursorPos,
                 TColumnEh* Column, TDBGridEhDataHintParams* Params, bool& Processed)>
      OnDataHintShow;

  TAxisBarTitleEh* CreateTitle() override;
  TDBLookupDataEh* CreateLookupParams() override;
  TDBGridColumnLookupDataEh* GetDBLookupParams() const {
    return static_cast<TDBGridColumnLookupDataEh*>(GetLookupParams());
  }
  void SetField(TField* value) override;
  TField* GetField() override;

  // With active lookup settings over an in-memory table the text comes from the per-row cache.
  String DisplayText() override;
  // The display value of view row `row` (-1: the current record).
  virtual Variant GetRowLookupValue(Integer row);
  Variant GetLookupValue() { return GetRowLookupValue(-1); }
  // Keeps the per-row lookup cache in step with a row event of the grid's in-memory table.
  void MTEvent(Integer row, TMTViewEventTypeEh kind, Integer oldRow);
  // Sizes the per-row cache to the view with every entry unread, or empties it without a table.
  void ResetLookupValues();
  // A typed key value reaches the current row's cached text before it is posted.
  void DataFieldChanged(TField* field) override;
  // The height the current record needs in this column; the grid's standard height without fitting.
  Integer CalcRowHeight() override;

 private:
  bool autoFitColWidth_ = true;
  bool hideDuplicates_ = false;
  Integer initWidth_ = 0;
  Integer maxWidth_ = 0;
  Integer minWidth_ = 0;
  bool notInWidthRange_ = false;
  Integer width_ = 0;
  std::unique_ptr<TColumnFooterEh> footer_;
  std::unique_ptr<TColumnFootersEh> footers_;
  // The field the footers' aggregates were last aimed at.
  TField* sumsField_ = nullptr;
};

// The column as the published grid stores it in its form resource.
class TDBGridColumnEh : public TColumnEh {
  KIV_CLASS(TDBGridColumnEh, TColumnEh)
 public:
  static void Published(TPropBuilder<TDBGridColumnEh>& p);
  explicit TDBGridColumnEh(TCollection* collection) : TColumnEh(collection) {}
};

// A list of column references that owns nothing.
class TColumnsEhList : public TAxisBarsEhList {
  KIV_CLASS(TColumnsEhList, TAxisBarsEhList)
 public:
  TColumnsEhList() = default;
  TColumnEh* GetColumn(Integer index) const { return static_cast<TColumnEh*>(GetAxisBar(index)); }
};

class TColumnTitleDefValuesEh : public TAxisBarCaptionDefValuesEh {
  KIV_CLASS(TColumnTitleDefValuesEh, TAxisBarCaptionDefValuesEh)
 public:
  static void Published(TPropBuilder<TColumnTitleDefValuesEh>& p);
  explicit TColumnTitleDefValuesEh(TAxisBarDefValuesEh* defValues) : TAxisBarCaptionDefValuesEh(defValues) {}
  void Assign(TPersistent* source) override;
  bool GetShowImageAndText() const { return showImageAndText_; }
  // Repaints the grid.
  void SetShowImageAndText(bool value);

 private:
  bool showImageAndText_ = false;
};

class TColumnDefValuesEh : public TCustomColumnDefValuesEh {
  KIV_CLASS(TColumnDefValuesEh, TCustomColumnDefValuesEh)
 public:
  static void Published(TPropBuilder<TColumnDefValuesEh>& p);
  explicit TColumnDefValuesEh(TCustomDBAxisGridEh* grid);
  void Assign(TPersistent* source) override;
  void SetFooter(TColumnFooterDefValuesEh* value) { footer_->Assign(value); }
  TAxisBarCaptionDefValuesEh* CreateTitleDefValues() override;
  TColumnTitleDefValuesEh* GetTitle() const {
    return static_cast<TColumnTitleDefValuesEh*>(TAxisBarDefValuesEh::GetTitle());
  }
  TColumnFooterDefValuesEh* GetFooter() const { return footer_.get(); }

 private:
  std::unique_ptr<TColumnFooterDefValuesEh> footer_ = std::make_unique<TColumnFooterDefValuesEh>();
};

class TDBGridColumnsEh : public TGridAxisBarsEh {
  KIV_CLASS(TDBGridColumnsEh, TGridAxisBarsEh)
 public:
  TDBGridColumnsEh(TCustomDBGridEh* grid, TClass columnClass);

  TCustomDBGridEh* GetDBGrid() const;
  TColumnEh* Add() { return static_cast<TColumnEh*>(TGridAxisBarsEh::Add()); }
  TColumnEh* GetColumn(Integer index) const { return static_cast<TColumnEh*>(GetItem(index)); }
  TColumnEh* operator[](Integer index) const { return GetColumn(index); }
  void AddAllColumns(bool deleteExisting) { AddAllBars(deleteExisting); }
  void RebuildColumns() { AddAllColumns(true); }
  TColumnEh* FindColumnByName(const String& name) const {
    return static_cast<TColumnEh*>(FindBarByName(name));
  }

  // The column order as quoted field names; writing it moves the named columns to those places.
  String GetColumnsIndex() const;
  void SetColumnsIndex(const String& value);

  TColumnEh* GetFirstTabColumn() const;
  TColumnEh* GetLastTabColumn() const;
  TColumnEh* GetNextTabColumn(TColumnEh* forColumn, bool goForward) const;

  TColumnEh* GetFirstScrollVisibleColumn() const { return firstScrollVisible_; }
  TColumnEh* GetLastScrollVisibleColumn() const { return lastScrollVisible_; }
  // The ends of the frozen and contra areas as the last layout pass made them; nil for an empty area.
  TColumnEh* GetFirstFrozenVisibleColumn() const;
  TColumnEh* GetLastFrozenVisibleColumn() const;
  TColumnEh* GetFirstContraVisibleColumn() const;
  TColumnEh* GetLastContraVisibleColumn() const;

  // Puts the sort-marked columns in the grid's list in the order of their titles' sort indexes.
  void RebuildSortMarkedList();

  // Whether any column's main footer has that kind; the further footers are not looked at.
  bool ExistFooterValueType(TFooterValueType valueType) const;
  // Appends every column's Name in collection order.
  void GetColumnNames(TStrings* list) const;

  void ActiveChanged() override;

 protected:
  void Update(TCollectionItem* item) override;

 private:
  friend class TCustomDBGridEh;
  TColumnEh* firstScrollVisible_ = nullptr;
  TColumnEh* lastScrollVisible_ = nullptr;
  // The visible column at a place of the visible list, nil outside it.
  TColumnEh* VisibleColumnAt(Integer index) const;
};

// Lets the settings storage write a column's width: while the grid fits widths the value is the
// column's width before fitting.
class TColumnEhPropertyInterceptor : public TStoragePropertyInterceptor {
  KIV_CLASS(TColumnEhPropertyInterceptor, TStoragePropertyInterceptor)
 public:
  static void Published(TPropBuilder<TColumnEhPropertyInterceptor>& p);
  explicit TColumnEhPropertyInterceptor(TObject* target) : TStoragePropertyInterceptor(target) {}
  // The storage writes the column's own width; reading back goes through SetWidth.
  Integer GetWidth() const;
  void SetWidth(Integer value);
};

// Lets the settings storage save and restore the column order as quoted field names.
class TColumnsEhPropertyInterceptor : public TStoragePropertyInterceptor {
  KIV_CLASS(TColumnsEhPropertyInterceptor, TStoragePropertyInterceptor)
 public:
  static void Published(TPropBuilder<TColumnsEhPropertyInterceptor>& p);
  explicit TColumnsEhPropertyInterceptor(TObject* target) : TStoragePropertyInterceptor(target) {}
  String GetColumnsIndex() const;
  void SetColumnsIndex(const String& value);
};

// Registers the two column interceptors with the settings storage; the grid unit's start-up calls it.
void RegisterDBGridColumnInterceptorsEh();

// A list operand as filter text: each element quoted and comma-separated; a single value as itself.
String VarListToTextEh(const Variant& value);

// ---- Selected rows ----

// The grid's selected rows by bookmark. The list forgets its bookmarks when the dataset is reopened:
// they belong to the records of the earlier opening.
class TBookmarkListEh : public TBMListEh {
  KIV_CLASS(TBookmarkListEh, TBMListEh)
 public:
  // A list without a grid serves a selection that has none.
  explicit TBookmarkListEh(TCustomDBGridEh* grid) : grid_(grid) {}
  TDataSet* GetDataSet() const override;
  void Changed() override;
  void SelectionStateChanged() override;
  void SetCurrentRowSelected(bool value) override;
  // Each bookmark that enters or leaves the list is told to the grid.
  void InsertItem(Integer index, const TBookmark& item) override;
  void DeleteItem(Integer index) override;
  TCustomDBGridEh* GetGrid() const { return grid_; }
  // Takes the bookmarks of another list in its order, each told to the grid as added.
  void Assign(TBookmarkListEh* rows);
  // The grid rows on screen from the first to the last selected one; (-1, -1, -1, -1) for none.
  TGridRect SelectionToGridRect() const;

 private:
  TCustomDBGridEh* grid_;
};

// ---- Selection ----

class TDBGridEhSelection;

// A rectangle of cells between two (column, record) corners.
class TDBGridEhSelectionRect : public TObject {
  KIV_CLASS(TDBGridEhSelectionRect, TObject)
 public:
  explicit TDBGridEhSelectionRect(TCustomDBGridEh* grid) : grid_(grid) {}
  TCustomDBGridEh* GetGrid() const { return grid_; }
  Integer GetLeftCol() const;
  Integer GetRightCol() const;
  TBookmark GetTopRow() const;
  TBookmark GetBottomRow() const;
  void Clear();
  void Assign(TDBGridEhSelectionRect* source);
  // A click (addSel false) sets both corners; a Shift extension moves only the far corner.
  void Select(Integer col, const TBookmark& row, bool addSel);
  bool DataCellSelected(Integer dataCol, const TBookmark& dataRow) const;
  // The rectangle's cells on screen in grid coordinates; (-1, -1, -1, -1) where it is not shown.
  TGridRect SelectionToGridRect() const;

 private:
  void CheckActive(const Char* message) const;
  TCustomDBGridEh* grid_;
  Integer anchorCol_ = -1, shiftCol_ = -1;
  TBookmark anchorRow_, shiftRow_;
};

// Selected columns, kept in collection order.
class TDBGridEhSelectionCols : public TColumnsEhList {
  KIV_CLASS(TDBGridEhSelectionCols, TColumnsEhList)
 public:
  explicit TDBGridEhSelectionCols(TCustomDBGridEh* grid) : grid_(grid) {}
  void AddColumn(TColumnEh* column);
  virtual void Clear();
  void Select(TColumnEh* column, bool addSel);
  void InvertSelect(TColumnEh* column);
  // Drops columns no longer in the grid and sorts by collection index again.
  void Refresh();
  // A column being freed leaves the selection at once.
  void ColumnGone(TColumnEh* column);
  TColumnEh* GetAnchor() const { return anchor_; }
  TColumnEh* GetShiftCol() const { return shiftCol_; }
  // A Shift click: the range from the anchor grows or shrinks to the column; what the anchor's own
  // state is (selected, or Ctrl-clicked off) decides whether the range selects or deselects.
  void SelectShift(TColumnEh* column);
  // All rows of the selected columns' span.
  TGridRect SelectionToGridRect() const;

 private:
  // One column of a Shift walk: extending takes it to the anchor's state, reverting undoes what an
  // earlier extension of this run did to it.
  void ShiftStep(TColumnEh* column, bool extend, bool anchorSelected);
  TCustomDBGridEh* grid_;
  TColumnEh* anchor_ = nullptr;
  TColumnEh* shiftCol_ = nullptr;
  // The columns the current Shift run changed.
  TColumnsEhList shiftSelected_;
};

class TDBGridEhSelection : public TObject {
  KIV_CLASS(TDBGridEhSelection, TObject)
 public:
  explicit TDBGridEhSelection(TCustomDBGridEh* grid);
  ~TDBGridEhSelection() override;

  TCustomDBGridEh* GetGrid() const { return grid_; }
  TDBGridEhSelectionType GetSelectionType() const { return selectionType_; }
  void SetSelectionType(TDBGridEhSelectionType value);
  TBookmarkListEh* GetRows() const;
  TDBGridEhSelectionRect* GetRect() const { return rect_.get(); }
  TDBGridEhSelectionCols* GetColumns() const { return columns_.get(); }

  bool DataCellSelected(Integer dataCol, const TBookmark& dataRow) const;
  // The current shape in grid coordinates; (-1, -1, -1, -1) for none. Everything is the whole grid.
  TGridRect SelectionToGridRect() const;
  // Takes another selection's shape and content; a rectangle is not carried by reference.
  void Assign(TDBGridEhSelection* source);
  void AssignAsBaseRef(TDBGridEhSelection* source);
  void Clear();
  void SelectAll();
  void Refresh();
  void UpdateState();
  void LinkActiveChanged(bool value);

  // Change notices are held back while the counter is above zero and sent once at the end.
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  bool Updating() const { return updateCount_ > 0; }
  Integer GetUpdateCount() const { return updateCount_; }
  // Runs a batch of changes inside the counter, which is released also when the batch raises.
  template <class F>
  void Update(F&& batch) {
    BeginUpdate();
    struct End {
      TDBGridEhSelection* s;
      int pending = std::uncaught_exceptions();
      ~End() noexcept(false) {
        if (std::uncaught_exceptions() == pending) {
          s->EndUpdate();
          return;
        }
        // Unwinding already: the counter is released; a failing notice must not end the program.
        try {
          s->EndUpdate();
        } catch (...) {
        }
      }
    } end{this};
    batch();
  }

  virtual void SelectionChanged();

 private:
  TCustomDBGridEh* grid_;
  std::unique_ptr<TDBGridEhSelectionCols> columns_;
  std::unique_ptr<TDBGridEhSelectionRect> rect_;
  std::unique_ptr<TBookmarkListEh> ownRows_;
  TDBGridEhSelectionType selectionType_ = gstNon;
  Integer updateCount_ = 0;
  bool selectionChanged_ = false;
};

// ---- Data link ----

class TGridDataLinkEh : public TAxisGridDataLinkEh {
  KIV_CLASS(TGridDataLinkEh, TAxisGridDataLinkEh)
 public:
  explicit TGridDataLinkEh(TCustomDBGridEh* grid);

 protected:
  void ActiveChanged() override;

 public:
  // The data-set actions of the grid's data source.
  bool ExecuteAction(TBasicAction* action);
  bool UpdateAction(TBasicAction* action);
};

// ---- Grid lines ----

enum TDBGridHorzEmptySpaceStyleEh { deshNonEh, deshExtendTitleWideSpaceEh, deshExtendGridWideSpaceEh };

// The data grid's lines: data lines follow the row and column line options until set, and the space
// right of the last column may continue the titles or the whole rows.
class TDBGridLineParamsEh : public TDBAxisGridLineParamsEh {
  KIV_CLASS(TDBGridLineParamsEh, TDBAxisGridLineParamsEh)
 public:
  static void Published(TPropBuilder<TDBGridLineParamsEh>& p);
  explicit TDBGridLineParamsEh(TCustomDBGridEh* grid);
  TCustomDBGridEh* GetDBGrid() const;
  bool DefaultDataHorzLines() const override;
  bool DefaultDataVertLines() const override;
  TDBGridLinesColorSchemeEh GetActualColorScheme() const override;
  // Painting the empty space below the data goes with the grid's dghExtendVertLines option.
  void SetVertEmptySpaceStyle(TDrawEmptySpaceStyle value);
  TDBGridHorzEmptySpaceStyleEh GetHorzEmptySpaceStyle() const { return horzEmptySpaceStyle_; }
  void SetHorzEmptySpaceStyle(TDBGridHorzEmptySpaceStyleEh value);

 private:
  TDBGridHorzEmptySpaceStyleEh horzEmptySpaceStyle_ = deshNonEh;
};

// ---- The grid ----

class TCustomDBGridEh : public TCustomDBAxisGridEh, public IMTEventReceiverEh {
  KIV_CLASS(TCustomDBGridEh, TCustomDBAxisGridEh)
 public:
  explicit TCustomDBGridEh(TComponent* owner);
  ~TCustomDBGridEh() override;

  // ---- Parts ----
  TDBGridColumnsEh* GetColumns() const { return static_cast<TDBGridColumnsEh*>(GetAxisBars()); }
  void SetColumns(TDBGridColumnsEh* value) { GetColumns()->Assign(value); }
  TColumnDefValuesEh* GetColumnDefValues() const {
    return static_cast<TColumnDefValuesEh*>(GetAxisBarDefValues());
  }
  TGridDataLinkEh* GetDataLink() const {
    return static_cast<TGridDataLinkEh*>(TCustomDBAxisGridEh::GetDataLink());
  }
  TDBGridTitleParamsEh* GetTitleParams() const { return titleParams_.get(); }
  TDBGridIndicatorParamsEh* GetIndicatorParams() const { return indicatorParams_.get(); }
  TDBGridFooterParamsEh* GetFooterParams() const { return footerParams_.get(); }
  TBookmarkListEh* GetSelectedRows() const { return bookmarks_.get(); }
  TDBGridEhSelection* GetSelection() const { return selection_.get(); }
  TDBGridEhSumList* GetSumList() const { return sumList_.get(); }
  // The list is a TColumnsEhList: CreateVisibleAxisBars makes it so.
  TColumnsEhList* GetVisibleColumns() const { return static_cast<TColumnsEhList*>(GetVisibleAxisBars()); }
  TColumnsEhList* GetSortMarkedColumns() const { return sortMarkedColumns_.get(); }
  TGridEmptyDataInfoEh* GetEmptyDataInfo() const { return emptyDataInfo_.get(); }
  TDBGridEhIndicatorTitle* GetIndicatorTitle() const { return indicatorTitle_.get(); }
  TDBGridEhPopupMenuParams* GetPopupMenuParams() const { return popupMenuParams_.get(); }
  TDBGridBackgroundDataEh* GetDBBackgroundData() const {
    return static_cast<TDBGridBackgroundDataEh*>(GetBackgroundData());
  }
  TDBGridEhStyle* GetStyle() const { return style_; }
  TDBGridEhCenter* GetCenter() const { return center_; }
  TDBGridEhState GetDBGridEhState() const { return state_; }
  // The style or center is being freed before the grid.
  void StyleGone(TDBGridEhStyle* style);
  void CenterGone(TDBGridEhCenter* center);

  // ---- Properties ----
  TDBGridOptions GetDBOptions() const { return options_; }
  void SetDBOptions(TDBGridOptions value);
  TDBGridEhOptions GetOptionsEh() const { return optionsEh_; }
  void SetOptionsEh(TDBGridEhOptions value);
  TDBGridEhIndicatorOptions GetIndicatorOptions() const { return indicatorOptions_; }
  void SetIndicatorOptions(TDBGridEhIndicatorOptions value);
  TDBGridEhAllowedSelections GetAllowedSelections() const { return allowedSelections_; }
  // A selection of a kind no longer allowed is cleared.
  void SetAllowedSelections(TDBGridEhAllowedSelections value);
  TGridEditActionsEh GetEditActions() const { return editActions_; }
  void SetEditActions(TGridEditActionsEh value) { editActions_ = value; }
  bool GetAutoFitColWidths() const { return autoFitColWidths_; }
  void SetAutoFitColWidths(bool value);
  Integer GetMinAutoFitWidth() const { return minAutoFitWidth_; }
  void SetMinAutoFitWidth(Integer value);
  Integer GetFrozenCols() const { return frozenCols_; }
  void SetFrozenCols(Integer value);
  Integer GetContraColCountProp() const { return contraColCount_; }
  void SetContraColCountProp(Integer value);
  Integer GetFooterRowCount() const { return footerRowCount_; }
  void SetFooterRowCount(Integer value);
  Integer GetRowHeight() const { return newRowHeight_; }
  void SetRowHeight(Integer value);
  Integer GetRowLines() const { return rowLines_; }
  void SetRowLines(Integer value);
  bool GetRowSizingAllowed() const { return rowSizingAllowed_; }
  // The base grid's row sizing follows.
  void SetRowSizingAllowed(bool value);
  bool GetSortLocal() const { return sortLocal_; }
  void SetSortLocal(bool value) { sortLocal_ = value; }
  TColor GetEvenRowColor() const;
  void SetEvenRowColor(TColor value);
  TColor GetOddRowColor() const;
  void SetOddRowColor(TColor value);
  bool GetEvenRowColorStored() const { return evenRowColorStored_; }
  bool GetOddRowColorStored() const { return oddRowColorStored_; }
  // Sizing a column the grid made for a field writes the field's display width.
  bool GetUpdateFields() const { return updateFields_; }
  void SetUpdateFields(bool value) { updateFields_ = value; }
  bool GetTryUseMemTableInt() const { return tryUseMemTableInt_; }
  void SetTryUseMemTableInt(bool value) { tryUseMemTableInt_ = value; }
  TFont* GetTitleFont() override { return titleParams_->GetFont(); }
  void SetTitleFont(TFont* value) override { titleParams_->SetFont(value); }
  TColor GetTitleColor() override { return titleParams_->GetFillStyleColor(); }
  // Grid-level names of the title and footer parameters, as older forms carry them.
  Integer GetTitleHeight() const { return titleParams_->GetRowHeight(); }
  void SetTitleHeight(Integer value) { titleParams_->SetRowHeight(value); }
  Integer GetTitleLines() const { return titleParams_->GetRowLines(); }
  void SetTitleLines(Integer value) { titleParams_->SetRowLines(value); }
  Integer GetVTitleMargin() const { return titleParams_->GetVTitleMargin(); }
  void SetVTitleMargin(Integer value) { titleParams_->SetVTitleMargin(value); }
  bool GetUseMultiTitle() const { return titleParams_->GetMultiTitle(); }
  void SetUseMultiTitle(bool value) { titleParams_->SetMultiTitle(value); }
  TFont* GetFooterFont() const { return footerParams_->GetFont(); }
  void SetFooterFont(TFont* value) { footerParams_->SetFont(value); }
  TColor GetFooterColor() const { return footerParams_->GetColor(); }
  void SetFooterColor(TColor value) { footerParams_->SetColor(value); }
  // Unset title alignments are centred over multi-level titles.
  TAlignment GetTitleLineMode() override;
  // The sort-marked list is built from the titles' indexes the form held.
  void Loaded() override;

  // ---- Columns and geometry ----
  Integer GetIndicatorOffset() const { return indicatorOffset_; }
  Integer GridColToDataCol(Integer col) const { return col - indicatorOffset_; }
  Integer DataColToGridCol(Integer dataCol) const { return dataCol + indicatorOffset_; }
  bool IndicatorVisible() const;
  Integer GetTitleRowCount() const { return options_.Contains(dgTitles) ? 1 : 0; }
  virtual bool IsSTFilterRowUnderTitle() const { return false; }
  Integer TopDataOffset() const { return GetTitleRowCount() + (IsSTFilterRowUnderTitle() ? 1 : 0); }
  TGridRect DataBox() const;
  TCellAreaTypeEh GetCellAreaType(Integer col, Integer row, Integer& areaCol, Integer& areaRow) const;
  Integer GetStdDefaultRowHeight() const { return stdDefaultRowHeight_; }
  // Cell sizes without the grid line that the options draw with them.
  Integer GetDataColWidth(Integer col) const;
  void SetDataColWidth(Integer col, Integer value);
  Integer GetDataRowHeight(Integer row) const;
  void SetDataRowHeight(Integer row, Integer value);
  Integer GetTitleRowHeight() const { return titleRowHeight_; }
  // Data rows that fit between the titles and the footers.
  Integer VisibleDataRowCount();
  Integer CalcIndicatorColWidth();
  virtual void UpdateColWidths();
  bool IsAutoFitColWidthsActive() const {
    return autoFitColWidths_ && !GetComponentState().Contains(csDesigning);
  }
  Integer GetSelectedIndex() override;
  void SetSelectedIndex(Integer value) override;
  TColumnEh* GetColumnAtGridCol(Integer col) const;

  // ---- Visible records ----
  // View mode: over an in-memory table every view row is a grid row.
  bool MemTableSupported() override;
  IMemTableEh* GetIntMemTable() const { return intMemTable_; }
  void UpdateIntMemTable();
  // Makes data row index the record the fields show, without moving the dataset; every enter is
  // matched by a leave.
  void InstantReadEnter(Integer index);
  void InstantReadLeave();
  Integer InstantReadRecordCount() const;
  bool IsCurrentDataRow(Integer index) const;
  // The display text of a visible row's column, read by instant reading.
  String GetVisibleCellText(Integer dataRow, TColumnEh* column);
  void CalcVertScrollBarParams(Integer& pos, Integer& min, Integer& page, Integer& max) override;
  // View mode whose vertical bar scrolls the view by pixels, as the base grid's does.
  virtual bool IsExtendedScrollingActive();
  // Whether a scroll bar shows its extra panel.
  virtual bool ScrollBarPanel();
  THorzDBGridEhScrollBar* GetHorzDBScrollBar() const {
    return static_cast<THorzDBGridEhScrollBar*>(GetHorzScrollBar());
  }
  TVertDBGridEhScrollBar* GetVertDBScrollBar() const {
    return static_cast<TVertDBGridEhScrollBar*>(GetVertScrollBar());
  }
  // View mode: the current row goes to the middle of the visible rows.
  virtual void CenterCurRowInView();
  // View mode: the table reads as many more records as the empty space under the rows takes.
  void FetchVisibleRecords();
  // A faded picture of the grid with a caption over it while the application loads its data; calls
  // nest, and only the last finish shows the grid again. A duration of -1 takes the style's.
  void StartLoadingStatus(const String& loadingCaption = String(), Integer renderDuration = -1,
                          bool showCaption = true);
  void FinishLoadingStatus(Integer renderDuration = -1);
  bool GetShowingLoadingMode() const { return showingLoadingMode_; }
  // While the loading status shows, painting shows its picture and nothing else.
  bool PaintLoadingStatus();
  // The current row stays where it is on screen while the dataset moves (the loading status).
  bool GetLockAutoShowCurCell() const { return lockAutoShowCurCell_; }
  void SetLockAutoShowCurCell(bool value) { lockAutoShowCurCell_ = value; }

  // ---- Navigation ----
  Integer MoveBy(Integer distance);
  bool Eof() const;
  bool Bof() const;
  void SaveBookmark();
  void RestoreBookmark();
  virtual void SaveVertPos(const String& keyFieldNames);
  virtual void RestoreVertPos(const String& keyFieldNames);
  bool BookmarkInVisibleView(const TBookmark& bookmark);
  // The buffer row the saved position is measured from: the middle row (the upper one of two).
  Integer ReferenceBufferRow() const;
  Integer GetLookedOffset() const { return lookedOffset_; }
  // Scroll-bar actions move the current record, not the view.
  void VertScroll(Integer scrollCode, Integer pos) override;
  // The wheel moves one record per notch, Ctrl or not.
  bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
  bool MouseWheelStep(Integer direction, TShiftState shift, TPoint mousePos);

  // ---- Events ----
  TDBGridEhColumnEvent OnCellClick;
  TNotifyEvent OnColEnter;
  TNotifyEvent OnColExit;
  TDBGridEhColumnEvent OnTitleClick;
  TNotifyEvent OnSelectionChanged;
  TNotifyEvent OnColWidthsChanged;
  TNotifyEvent OnSortMarkingChanged;

  // ---- Overrides of the axis grid ----
  TGridAxisBarsEh* CreateAxisBars() override;
  TAxisBarsEhList* CreateVisibleAxisBars() override;
  TAxisBarDefValuesEh* CreateAxisBarDefValues() override;
  TAxisGridDataLinkEh* CreateDataLink() override;
  void DataSetChanged() override;
  void DataScrolled(Integer distance) override;
  void LinkActive(bool active) override;
  void InternalLayout() override;
  bool IsColumnEditable(Integer barIndex) override;
  // A check-box column changes by clicks, not by typing.
  bool CanEditModify() override;
  // No editor over a rectangle that an edit would clear.
  bool CanEditShow() override;
  bool IsDataEditMode() override { return true; }
  void GetBarsPropertyName(String& name) override { name = u"Columns"; }
  void EditingChanged() override;
  // The focus frame is the style's setting.
  bool IsDrawFocusFrame() override;
  // Raises OnTopLeftChanged.
  void ScrollPosChanged(Int64 oldLeftPos, Int64 oldTopPos) override;

  // ---- Notifications ----
  using TCustomDBAxisGridEh::SelectionChanged;
  virtual void SelectionChanged();
  virtual void StyleChanged();
  virtual void DefaultApplySorting();
  void TitleClick(TColumnEh* column);
  void CellClick(TColumnEh* column);

  // ---- Painting: data, title, indicator and footer cells, borders, multi-level titles ----
  // What a title or super-title cell is drawn with; handed to the title events.
  using TDBGridDrawTitleCellParamsEh = ::TDBGridDrawTitleCellParamsEh;
  // One title of the multi-level title tree: the root (index 0), group titles and one leaf per column.
  struct TDBGridMultiTitleNodeEh {
    String Text;
    TColumnEh* Column = nullptr;  // a leaf's column
    Integer Parent = -1;
    std::vector<Integer> Items;
    Integer Width = 0;
    Integer Height = 0;
    Integer WIndent = 0;
    Integer VLineWidth = 0;
    bool Drawn = false;
  };

  using TGetCellEhParamsEvent = TDelegate<void(TObject* Sender, TColumnEh* Column, TFont* AFont,
                                               TColor& Background, TGridDrawState State)>;
  using TDBGridEhAdvDrawColumnDataEvent =
      TDelegate<void(TCustomDBGridEh* Sender, TGridCoord Cell, TGridCoord AreaCell, TColumnEh* Column,
                     const TRect& ARect, TAxisColCellParamsEh* Params, bool& Processed)>;
  using TDrawColumnEhCellEvent = TDelegate<void(TObject* Sender, const TRect& Rect, Integer DataCol,
                                                TColumnEh* Column, TGridDrawState State)>;
  using TDrawDataCellEvent =
      TDelegate<void(TObject* Sender, const TRect& Rect, TField* Field, TGridDrawState State)>;
  using TGetBtnEhParamsEvent = TDelegate<void(TObject* Sender, TColumnEh* Column, TFont* AFont,
                                              TColor& Background, TSortMarkerEh& SortMarker, bool IsDown)>;
  using TDBGridEhTitleParamsEvent =
      TDelegate<void(TCustomDBGridEh* Grid, TDBGridDrawTitleCellParamsEh* Params)>;
  using TDBGridEhDrawTitleCellEvent =
      TDelegate<void(TCustomDBGridEh* Grid, TCanvas* ACanvas, const TRect& ARect,
                     TDBGridDrawTitleCellParamsEh* Params, bool& Processed)>;
  using TGetFooterParamsEvent =
      TDelegate<void(TObject* Sender, Integer DataCol, Integer Row, TColumnEh* Column, TFont* AFont,
                     TColor& Background, TAlignment& Alignment, TGridDrawState State, String& Text)>;
  using TDrawFooterCellEvent = TDelegate<void(TObject* Sender, Integer DataCol, Integer Row,
                                              TColumnEh* Column, const TRect& Rect, TGridDrawState State)>;

  TGetCellEhParamsEvent OnGetCellParams;
  TDBGridEhAdvDrawColumnDataEvent OnAdvDrawDataCell;
  TDrawColumnEhCellEvent OnDrawColumnCell;
  TDrawDataCellEvent OnDrawDataCell;
  TGetBtnEhParamsEvent OnGetBtnParams;
  TDBGridEhTitleParamsEvent OnGetTitleParams;
  TDBGridEhDrawTitleCellEvent OnDrawTitleCell;
  TGetFooterParamsEvent OnGetFooterParams;
  TDrawFooterCellEvent OnDrawFooterCell;

  // Data cells.
  void DefaultDrawColumnDataCell(TGridCoord cell, TGridCoord areaCell, TColumnEh* column,
                                 const TRect& areaRect, TAxisColCellParamsEh* params);
  bool HighlightDataCellColor(Integer dataCol, Integer dataRow, const String& value, TGridDrawState state,
                              TColor& color, TFont* font) override;
  bool CheckFillDataCell(TGridCoord cell, TGridCoord areaCell, TAxisBarEh* bar, const TRect& areaRect,
                         TAxisColCellParamsEh* params) override;
  // Whether the row above (checkPrevRow) or below shows the same text as s.
  bool CheckColumnDuplicateValues(TColumnEh* column, Integer dataRow, const String& s, bool checkPrevRow);
  void DefaultDrawColumnCell(const TRect& rect, Integer dataCol, TColumnEh* column, TGridDrawState state);
  void DefaultDrawDataCell(const TRect& rect, TField* field, TGridDrawState state);
  using TCustomDBAxisGridEh::DefaultDrawDataCell;
  bool IsCell3D(Integer col, Integer row, TGridDrawState state) override;
  // Whether the row's focus frame may be drawn: not designing, rows selected, default drawing, focused.
  virtual bool CanDrawFocusRect();
  bool IsFixed3D() override { return optionsEh_.Contains(dghFixed3D); }
  // The indicator's strip for the row-select check boxes.
  static constexpr Integer RowselCheckboxesWidth = 18;
  // A check box's place: centred where the rectangle is larger, the rectangle itself where smaller.
  void CenterCheckBoxRect(TRect& rect) const;
  // The colour of odd or even records, or clNone where the column keeps its own colour.
  TColor RowColorOf(TColumnEh* column);

  // Titles and indicator.
  TCustomImageList* GetTitleImages() const;
  void SetTitleImages(TCustomImageList* value);
  // The font of the small sort-index numbers beside the markers of a sort by several columns.
  void DefaultDrawTitleCell(TCanvas* canvas, const TRect& rect, TDBGridDrawTitleCellParamsEh* params);
  void DrawTitleCellBackground(TCanvas* canvas, const TRect& rect, TDBGridDrawTitleCellParamsEh* params);
  void DrawTitleCellForeground(TCanvas* canvas, const TRect& rect, TDBGridDrawTitleCellParamsEh* params);
  // The indicator's text for a record number: the number, a middle dot, or "-" halfway between steps.
  String RecNoText(Integer recNo, bool currentRow, bool inserting) const;
  bool IsUseMultiTitle() const;
  // The title tree of the last layout pass; node 0 is the root.
  const std::vector<TDBGridMultiTitleNodeEh>& GetHeadTree() const { return headTree_; }
  Integer LeafOf(Integer columnIndex) const;
  // Rebuilds the title tree from the captions and answers the title row height it needs.
  Integer BuildMultiTitleTree(Integer titleHeight);

  // Footers.
  // The footer text of a column; a field value footer naming a field the dataset lacks raises.
  virtual String GetFooterValue(Integer row, TColumnEh* column);
  void DefaultDrawFooterCell(const TRect& rect, Integer dataCol, Integer row, TColumnEh* column,
                             TGridDrawState state);
  void InvalidateFooter();
  // The footer rows: the grid's own (no group footers are shown by this grid).
  virtual Integer GetFullFooterRowCount() const { return footerRowCount_; }
  // The heights of the footer rows from the footer parameters and font.
  virtual void UpdateFooterRowHeights();
  const std::vector<Integer>& GetFooterRowHeights() const { return footerRowHeights_; }
  void InvalidateTitle();

  // Fixed cells: how one is filled (themed, gradient or solid, with or without a raised frame).
  struct TFixedCellPaintEh {
    TGridCellFillStyleEh FillStyle = cfstSolidEh;
    TColor FillColor = clBtnFace;
    TColor StartGradientColor = clDefault;  // the gradient's top; clDefault derives it from the fill
    bool The3DRect = false;
    bool Pressed = false;
    bool Selected = false;
    bool HotTrack = false;
  };
  // Paints a fixed cell's background and answers the rectangle left for its content.
  TRect PaintFixedCellBackground(TCanvas* canvas, const TRect& rect, const TFixedCellPaintEh& cell);
  // Whether a fixed cell is drawn by the themes: title, indicator and footer cells of a themed area.
  bool IsCellDrawnByStyle(TCellAreaTypeEh area) const;
  bool IsTitleThemed() const;
  // How fixed cells are drawn: 1 themed, 2 plain, 3 flat with raised fixed cells (a gradient).
  Integer GetFixedCellDrawStyle() const;
  // The title cell drawn pressed while the mouse is down on it (grid coordinates; (-1, -1) for none);
  // the mouse handling sets it, the cells it leaves and enters are repainted.
  TGridCoord GetPressedTitleCell() const { return pressedTitleCell_; }
  void SetPressedTitleCell(TGridCoord cell);
  // The grid's line parameters: data lines, boundaries and empty-space styles.
  TDBGridLineParamsEh* GetGridLineParams() const;

 protected:
  TGridLineColorsEh* CreateGridLineColors() override;
  TGridBackgroundDataEh* CreateBackgroundData() override;
  // Menus and image lists the grid's parameter objects refer to are let go when they are freed.
  void Notification(TComponent* component, TOperation operation) override;
  void DrawCellContent(Integer col, Integer row, TGridDrawState state, const TRect& rect) override;
  virtual void PaintDataCell(Integer col, Integer row, TCellAreaTypeEh area, TGridDrawState state, TRect rect,
                             Integer dataRow, Integer dataCol);
  virtual void PaintTitleCell(Integer col, Integer row, TCellAreaTypeEh area, TGridDrawState state,
                              const TRect& rect, Integer dataRow, Integer dataCol);
  virtual void PaintIndicatorCell(Integer col, Integer row, TCellAreaTypeEh area, TGridDrawState state,
                                  const TRect& rect, Integer dataRow, Integer dataCol);
  virtual void PaintFooterCell(Integer col, Integer row, TCellAreaTypeEh area, TGridDrawState state,
                               const TRect& rect, Integer footerRow, Integer dataCol);
  virtual void FillTitleCellParams(TGridDrawState state, const TRect& rect, Integer dataCol,
                                   TDBGridDrawTitleCellParamsEh* params);
  virtual void PaintTitleCellText(TCanvas* canvas, TColumnEh* column, TDBGridDrawTitleCellParamsEh* params,
                                  const TRect& rect);
  void PaintSuperTitles(Integer leaf, const TRect& leafRect);
  virtual void DrawIndicatorGlyph(Integer kind, const TRect& rect);
  virtual void DrawSortMarker(TSortMarkerEh marker, const TRect& rect, bool highlight);
  // The marker style in force: the title parameters' (through the style), an outline by default.
  TSortMarkerStyleEh ActualSortMarkerStyle() const;
  virtual void DrawDropDownGlyph(bool hot, const TRect& rect);
  TColor GlyphColor();
  void DrawCellFocusRect(TCanvas* canvas, const TRect& rect, const TRect* clipRect);
  bool GetFixedCellSelectedColors(TCellAreaTypeEh area, TColor& color, TFont* font);
  bool IsGridCellSelected(TCellAreaTypeEh area, Integer dataCol) const;
  void DrawRequiredMark(TColumnEh* column, Integer dataRow, const TRect& rect);
  void GetCellBorderParams(Integer col, Integer row, bool& joinCorner, TColor& color, bool& isDraw,
                           TGridCellBorderTypeEh borderType) override;
  void DrawEmptySpace(Integer col, Integer row, const TRect& rect) override;
  void PaintEmptySpaceBorder(Integer col, Integer row, TGridCellBorderTypeEh side, TRect& area);
  void DrawCellBorders(Integer col, Integer row, TGridCellBorderTypesEh borders, TGridDrawState state,
                       TRect& rect) override;
  String FooterValueText(Integer row, TColumnEh* column, bool painting);
  // Whether a data row is the current record; also while that row is entered by instant reading.
  bool PaintedRowIsCurrent(Integer dataRow) const { return dataRow == GetRow() - TopDataOffset(); }

 public:
  // ---- Input: cell editor, keys, mouse, menus, hot tracking, column moving, edit actions ----
  // Moves the current record by Distance (or to the end), extending the selection when Select.
  void MoveWithSelection(bool select, Integer distance, bool rowsOnly, bool toEnd);
  // Makes data column Index current, stepping by Direction past hidden columns.
  void SelectCellAt(Integer index, Integer direction, bool extendRect);
  void ClearSelectionOnNavigate();
  void ClearSelectionAndRepaint();
  bool CanSelectType(TDBGridEhSelectionType type) const;
  String GetCompleteKeyPress() const { return completeKeyPress_; }
  bool GetSortMarking() const { return sortMarking_; }
  virtual void DoSortMarkingChanged();
  virtual void ClearSortMarkers();
  // The client rectangle of the data cells.
  TRect DataRect();
  // The next tick of the selection's automatic scrolling; never zero, which would spin.
  static Integer AutoScrollInterval(Integer distance, Integer msPerPixel);
  // The column of a data cell whose value a click steps (check boxes, key pictures), else nil.
  TColumnEh* ValueStepColumnAt(TGridCoord cell);
  // The title of a column as the title drag window shows it.
  void PaintTitleDragImage(TCanvas* canvas, const TRect& rect, TColumnEh* column);
  // Whether the mouse holds a title button down over its title, and the data column of that title.
  bool GetTitlePressed() const { return pressed_; }
  Integer GetPressedDataCol() const { return pressedDataCol_; }

  // Widths fitted to titles, data and footers; checkRowCount -1 reads every record, maxWaitingTime 0
  // or below sets no time limit (milliseconds).
  void OptimizeColsWidth(const std::vector<TColumnEh*>& columns, Integer checkRowCount,
                         Integer maxWaitingTime);
  void OptimizeAllColsWidth(Integer checkRowCount, Integer maxWaitingTime);
  // The column with the selected columns, or all when everything is selected.
  void OptimizeSelectedColsWidth(TColumnEh* column, Integer maxWaitingTime);
  // The current column takes the value of the record above.
  void SetValueFromPrevRecord();

  // Edit actions: what the selection allows, and the actions themselves.
  bool CheckCopyAction();
  bool CheckCutAction();
  bool CheckPasteAction();
  bool CheckDeleteAction();
  bool CheckSelectAllAction();
  // The selected cells (or the current cell) as tab-separated lines of display texts.
  String SelectionAsText();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void DeleteSelection();
  void SelectAllAction();
  bool ExecuteAction(TBasicAction* action) override;
  bool UpdateAction(TBasicAction* action) override;
  // Deletes the current record or the selected ones after the grid's confirmation.
  void DeleteRecords();
  // With dgConfirmDelete, asks before a selection of that kind (gstNon: the current record) is deleted
  // or cleared.
  bool ConfirmDeleteSelection(TDBGridEhSelectionType kind);

  bool EditorForwardsKey(Word key, TShiftState shift) override;
  // The editor's text and mask for the current cell: the column's, nothing while the link is idle.
  String GetEditText(Integer col, Integer row) override;
  String GetEditMask(Integer col, Integer row) override;
  // Esc on a record whose editor text was not changed drops the record's changes.
  void CancelEditing() override;
  void ChangeScale(Integer m, Integer d) override;

  // Menus: the one for a cell (asked of the center, whose default is the Internal... one), and the
  // standard indicator-title menu the center builds.
  virtual TPopupMenu* GetCellPopupMenu(TGridCoord cell, TCellAreaTypeEh area, TColumnEh* column);
  virtual TPopupMenu* InternalGetCellPopupMenu(TGridCoord cell, TCellAreaTypeEh area, TColumnEh* column);
  virtual void BuildIndicatorTitleMenu(TPopupMenu*& menu);
  virtual void DefaultBuildIndicatorTitleMenu(TPopupMenu*& menu);
  bool GetUseIndicatorMenu() const { return useIndicatorMenu_; }
  void SetUseIndicatorMenu(bool value) { useIndicatorMenu_ = value; }
  // A fresh menu for every popup, built in the menu all grids share.
  bool GetBuildMenuOnPopup() const { return buildMenuOnPopup_; }
  void SetBuildMenuOnPopup(bool value) { buildMenuOnPopup_ = value; }
  // Adds the grid's own items to a menu being built for a cell.
  virtual void BuildCellPopupMenu(TPopupMenu* menu, TGridCoord cell, TCellAreaTypeEh area, TColumnEh* column);
  virtual void InternalBuildCellPopupMenu(TPopupMenu* menu, TGridCoord cell, TCellAreaTypeEh area,
                                          TColumnEh* column);
  // An open drop-down list of the cell editor takes the wheel first.
  bool DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) override;
  // The hot button of the hot cell: -1 none, 0 its edit button, 1 the row-select check box.
  Integer GetHotTrackEditButton() const { return hotTrackEditButton_; }
  virtual void DefaultIndicatorTitleMouseDown(TMouseButton button, TShiftState shift);

  TDelegate<void(TObject* Sender, Integer ACol, TColumnEh* Column)> OnTitleBtnClick;
  TDelegate<void(TObject* Sender, Integer ACol, TColumnEh* Column, bool& Enabled)> OnCheckButton;
  TDelegate<void(TObject* Sender, Integer FromIndex, Integer ToIndex)> OnColumnMoved;
  TDelegate<void(TCustomDBGridEh* Grid, TPopupMenu*& PopupMenu)> OnBuildIndicatorTitleMenu;

  // Hints: the pause before a cell's hint and a data cell's hint; the column is asked after the grid.
  using TDBGridEhHintShowPauseEvent =
      TDelegate<void(TCustomDBGridEh* Sender, TPoint CursorPos, TGridCoord Cell, TPoint InCellCursorPos,
                     TColumnEh* Column, Integer& HintPause, bool& Processed)>;
  using TDBGridEhDataHintShowEvent =
      TDelegate<void(TCustomDBGridEh* Sender, TPoint CursorPos, TGridCoord Cell, TPoint InCellCursorPos,
                     TColumnEh* Column, TDBGridEhDataHintParams* Params, bool& Processed)>;
  TDBGridEhHintShowPauseEvent OnHintShowPause;
  TDBGridEhDataHintShowEvent OnDataHintShow;

 protected:
  virtual void CMHintShowPause(TCMHintShowPause& message);
  virtual void CMHintShow(TCMHintShow& message);
  // A title's or footer's text as a hint where its room in the cell cuts it.
  void FillCellTextHint(THintInfo& info, const String& text, const TRect& rect, Integer textRight,
                        TAlignment alignment, bool wordWrap);
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  void KeyUp(Word& key, TShiftState shift) override;
  void WndProc(TMessage& message) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void TimedScroll(TObject* sender) override;
  void CancelMode() override;
  void DoExit() override;
  void DoContextPopup(TPoint mousePos, bool& handled) override;
  bool IsHotTrackCell(Integer col, Integer row) override;
  void UpdateHotTrackInfo(Integer x, Integer y) override;
  // The link bounds of a data cell are those of its own row's text, read in place.
  void UpdateCellTextBoundsAtPos(Integer col, Integer row) override;
  // A new size re-fits automatic widths, or reads as many records as now fit; under an update lock
  // it waits for the lock's release.
  void Resize() override;
  void UpdateLockReleased() override;
  // The size changed while the update lock was held.
  virtual void SizeChangedAfterUpdateLock();
  // Automatic widths take the room the scroll bars' panels leave.
  void ScrollBarPanelsChanged() override;
  // The edit button of a fixed cell under a cell-relative point (0), or -1.
  virtual Integer GetHotEditButtonAt(Integer col, Integer row, Integer y, Integer x, TColumnEh* column);
  GridsEh::TInplaceEdit* CreateEditor() override;
  void ColMoved(Integer fromIndex, Integer toIndex) override;
  void ChangeColWidth(Integer index, Integer width) override;
  void ColWidthsChanged() override;
  bool CheckColumnDrag(Integer& origin, Integer& destination, TPoint mousePt) override;
  void KeyTabMove(bool forward);
  // The grid shows an in-memory table's tree by view rows: the numeric pad opens and closes nodes.
  bool IsViewTreeMode();
  void KeyMoveDown(bool select);
  void KeyMoveUp(bool select);
  virtual void TitleBtnClick(Integer col, TColumnEh* column);
  // Puts the dataset's fields in the columns' order, all of them or none.
  void ReorderFieldsAsColumns();
  void SyncColumnResizeOptions(TDBGridOptions newOptions, TDBGridEhOptions newOptionsEh);
  // The columns and the records an edit action works on.
  std::vector<TColumnEh*> SelectionColumns();
  void ForEachSelectedRecord(const std::function<void()>& visit);
  void SelectionAutoScroll();
  // Column selecting by the titles: the drag extends it, beyond the data area the view scrolls.
  void ColumnSelectAutoScroll();
  void ExtendColumnSelection(TColumnEh* to, bool keepOthers);
  // The row-selection arrow beside the data rows, the column-selection arrow at a title's foot.
  TCursor CalcCursorAt(TPoint point) override;
  bool IsColumnSelectSpot(TPoint point);
  void EndMouseTracking();
  // Title presses follow the mouse: pressed while it stays over the pressed title.
  void UpdatePressedState(Integer x, Integer y);
  // Column moving by the title: the dragged title follows the mouse instead of the move line.
  void DrawMoveLine() override;
  void HideMoveLine() override;
  void TraceColSizing(Integer x);
  Integer OptimizedTitleWidth(TCanvas* canvas, TColumnEh* column);
  Integer OptimizedDataWidth(TCanvas* canvas, TColumnEh* column);
  Integer OptimizedFooterWidth(TCanvas* canvas, TColumnEh* column);
  // A double click is raised by the press that follows it, unless that press fits a width.
  void DblClick() override;

 public:
  // ---- Model: in-memory table events, row heights, sum list ----
  // The in-memory table's row events keep grid rows, row heights, lookup caches and sums in step.
  void MTEvent(Integer rowNum, TMTViewEventTypeEh event, Integer oldRowNum) override;
  // Sets the grid height of one data row.
  virtual void UpdateDataRowHeight(Integer dataRow);
  // The height one data row needs.
  virtual Integer DataRowHeight(Integer dataRow);
  // The height of the record being read.
  virtual Integer CalcRecordRowHeight();
  virtual void UpdateAllGridDataRowHeights();
  virtual void UpdateAllDataRowHeights();
  // A column's lookup settings changed: its per-row cache starts again.
  void LookupDataChanged(TAxisBarEh* bar) override;
  virtual void LookupValuesChanged(TColumnEh* column);
  bool IsWholeGridChanging() const { return wholeGridChanged_; }
  // The height a record row asks for; asked only while rows fit their text.
  TGetDBGridEhRowHeightEvent OnGetRowHeight;

  // ---- Model: style and center links, sum-list and selection events ----
  // Another style: nil returns to the process-wide one, or to the grid's own drawing without it.
  void SetStyle(TDBGridEhStyle* value);
  // Another center; nil stays nil.
  void SetCenter(TDBGridEhCenter* value);
  // A style change may change sizes: the grid lays itself out again.
  void DrawStyleChanged() override;
  // Raised with the sum list as Sender before and after a full recalculation of the sums.
  TNotifyEvent OnSumListRecalcAll;
  TNotifyEvent OnSumListAfterRecalcAll;
  // A bookmark entered (lnAdded) or left (lnDeleted) the selected rows.
  TDelegate<void(TObject* Sender, const TBookmark& Item, TListNotification Action)> OnSelectedRowsItemChanged;
  // Sorting and filtering by the application in place of the center's defaults.
  TNotifyEvent OnApplyFilter;
  // Asked grid first; a handler that sets Processed keeps the grid's default from it.
  TGridEhCellMouseEvent OnIndicatorTitleMouseDown;
  // Record moving: the handler's answer replaces the center's.
  TDelegate<bool(TObject* Sender, TBMListEh* BookmarkList, Integer ToRecNo, Integer TreeLevel,
                 bool CheckOnly)>
      OnMoveRecords;
  virtual void DoSumListChanged();
  virtual void DoSumListRecalcAll();
  virtual void DoSumListAfterRecalcAll();
  virtual void SelectedRowsItemChanged(const TBookmark& item, TListNotification action);
  // The filter: OnApplyFilter, else the center's filtering.
  virtual void DefaultApplyFilter();
  // A click on a cell that OnCellMouseClick left unprocessed goes to the center.
  void DefaultCellMouseClick(TGridCoord cell, TMouseButton button, TShiftState shift, const TRect& cellRect,
                             TPoint gridMousePos, TPoint cellMousePos) override;
  // The indicator title pressed: the grid's handler, then the center, whose default is the grid's own.
  virtual void IndicatorTitleMouseDown(TGridCoord cell, TMouseButton button, TShiftState shift, Integer x,
                                       Integer y);
  // Moves the bookmarked records to a record number, or only checks that it could.
  virtual bool MoveRecords(TBMListEh* bookmarkList, Integer toRecNo, bool checkOnly);
  // The default record-number area of the indicator: one zero per digit of the record count.
  virtual Integer DefaultCalcIndicatorRowNumAreaWidth();

  // ---- Text search: locating a text, the find dialog's entry ----
  // Decides a hit in place of the text comparison: the column of the record the search stands on.
  using TLocateTextCheckCellEh = TDelegate<void(TColumnEh* column, bool& accept)>;
  // Searches grid's data for text in the column of fieldName (all columns with ltoAllFieldsEh) and makes
  // the found cell current; true when found. The grid itself answers for grid; the tree range is for
  // handlers that know trees, the record-by-record search does not use it.
  virtual bool LocateText(TCustomDBGridEh* grid, const String& fieldName, const String& text,
                          TLocateTextOptionsEh options, TLocateTextDirectionEh direction,
                          TLocateTextMatchingEh matching, TLocateTextTreeFindRangeEh treeFindRange,
                          Cardinal timeOut = 0, const TLocateTextCheckCellEh& checkValueEvent = {});
  // The record-by-record search behind LocateText; timeOut 0 is no limit.
  static bool LocateTextInGrid(TCustomDBGridEh* grid, const String& fieldName, const String& text,
                               TLocateTextOptionsEh options, TLocateTextDirectionEh direction,
                               TLocateTextMatchingEh matching, Cardinal timeOut,
                               const TLocateTextCheckCellEh& checkCell);
  // Opens the find dialog registered by its library, with text to find.
  virtual void ShowFindDialog(const String& text, bool modal);
  virtual bool IsFindDialogShowAsModal() { return true; }

 protected:
  friend class TGridDataLinkEh;
  friend class TDBGridColumnsEh;
  virtual void UpdateRowCount();
  virtual void SynchronizeCurrentCell();
  void UpdateScrollBars() override;
  void CreateWnd() override;
  void Paint() override;
  void DrawCell(Integer col, Integer row, TGridDrawState state, TRect rect) override;
  void FitColWidths();
  void DistributeAutoFitRest(Integer sum, Integer target);
  void CalcRowHeights();
  void KeepRowOnScreen();
  TGridScrollBarEh* CreateScrollBar(TScrollBarKind kind) override;
  // A row the user sized gives every data row its height, unless rows fit their records.
  void ChangeRowHeight(Integer index, Integer height) override;
  void RowHeightsChanged() override;
  // Selecting beyond the data rows brings the record above or below the visible ones.
  void ShiftAnchorCell(Integer flags) override;

 private:
  void ApplyBaseOptions();

  TDBGridEhStyle* style_ = nullptr;
  TDBGridEhCenter* center_ = nullptr;
  std::unique_ptr<TDBGridTitleParamsEh> titleParams_;
  std::unique_ptr<TDBGridIndicatorParamsEh> indicatorParams_;
  std::unique_ptr<TDBGridFooterParamsEh> footerParams_;
  std::unique_ptr<TBookmarkListEh> bookmarks_;
  std::unique_ptr<TDBGridEhSelection> selection_;
  std::unique_ptr<TDBGridEhSumList> sumList_;
  std::unique_ptr<TColumnsEhList> sortMarkedColumns_;
  std::unique_ptr<TGridEmptyDataInfoEh> emptyDataInfo_;
  std::unique_ptr<TDBGridEhIndicatorTitle> indicatorTitle_;
  std::unique_ptr<TDBGridEhPopupMenuParams> popupMenuParams_;
  friend class TDBGridEhPopupMenuParams;

  TDBGridOptions options_;
  TDBGridEhOptions optionsEh_;
  TDBGridEhIndicatorOptions indicatorOptions_;
  TDBGridEhAllowedSelections allowedSelections_;
  TGridEditActionsEh editActions_;
  TDBGridEhState state_ = dgsNormal;
  bool autoFitColWidths_ = false;
  Integer minAutoFitWidth_ = 0;
  Integer frozenCols_ = 0;
  Integer contraColCount_ = 0;
  Integer footerRowCount_ = 0;
  Integer newRowHeight_ = 0;
  Integer rowLines_ = 0;
  bool rowSizingAllowed_ = false;
  bool sortLocal_ = false;
  TColor evenRowColor_ = clWindow;
  TColor oddRowColor_ = clWindow;
  bool evenRowColorStored_ = false;
  bool oddRowColorStored_ = false;
  bool tryUseMemTableInt_ = true;
  bool updateFields_ = true;

  Integer indicatorOffset_ = 1;
  Integer stdDefaultRowHeight_ = 18;
  Integer stdDefaultTextHeight_ = 13;
  Integer titleRowHeight_ = 18;
  Integer recNoTextWidth_ = 0;
  bool colWidthsChanged_ = false;
  Integer oldActiveRecord_ = -1;
  // The records to go back to, one per open instant reading: readings nest.
  std::vector<Integer> instantReadReturns_;
  bool lockAutoShowCurCell_ = false;
  // A row was sized by the user.
  bool defaultRowChanged_ = false;
  // The loading status: the picture shown, the frame of its fade, the nesting count.
  std::unique_ptr<TBitmap> loadingModeBitmap_;
  TBitmap* loadingFrame_ = nullptr;
  Integer loadingModeCallCount_ = 0;
  bool showingLoadingMode_ = false;
  String loadingModeText_;
  bool loadingShowText_ = true;
  void AnimateLoadingStatus(TBitmap* from, TBitmap* to, Integer duration);
  std::unique_ptr<TBitmap> GridPicture();
  bool fetchingRecords_ = false;

  IMemTableEh* intMemTable_ = nullptr;
  TBookmark lockedBookmark_;
  Variant lookedKeyValue_;
  Integer lookedOffset_ = 0;
  // The dataset's identity at the last activation: a reopening drops the selected rows.
  TDataSet* lastOpenDataSet_ = nullptr;

  // Painting state.
  std::unique_ptr<TFont> titleFont_;  // the title parameter object's own font copy
  TDBGridDrawTitleCellParamsEh titleCellDrawState_;
  std::vector<TDBGridMultiTitleNodeEh> headTree_;
  std::vector<Integer> leafOfColumn_;
  // Per visible row of one paint: the row repeats the value of the row above, per column.
  std::vector<std::vector<bool>> checkedDuplicates_;
  Integer selRow_ = -1;
  // The data row being painted (entered by instant reading), -1 between cells.
  Integer paintedDataRow_ = -1;
  bool suppressHighlight_ = false;
  std::vector<Integer> footerRowHeights_;
  std::unique_ptr<TAxisColCellParamsEh> dupParams_;  // the neighbour rows of the duplicate check
  TGridCoord pressedTitleCell_{-1, -1};

  // Input state.
  bool antiSelection_ = false;
  bool selecting_ = false;
  TBookmark selectionAnchor_;
  bool selectionAnchorSelected_ = false;
  String completeKeyPress_;
  bool inColExit_ = false;
  bool sortMarking_ = false;
  bool useIndicatorMenu_ = false;
  bool buildMenuOnPopup_ = false;
  Integer hotTrackEditButton_ = -1;
  TPoint pressPos_;
  TGridCoord pressedCell_{-1, -1};
  Integer pressedCol_ = -1;
  Integer pressedDataCol_ = -1;
  bool tracking_ = false;
  bool dataTracking_ = false;
  bool indicatorPressed_ = false;
  bool titleMoveStarted_ = false;
  bool titleButtonPressed_ = false;
  bool pointMoved_ = false;
  bool leftPressed_ = false;
  TPoint lastMovePos_;
  // The modifiers of the key or release being handled.
  TShiftState keyShift_;
  TShiftState mouseShift_;
  // The last mouse position over the grid: the point the hint pause is asked for.
  TPoint hintTestPos_;
  bool pressed_ = false;
  bool inDblClickMessage_ = false;
  bool dblClickDeferred_ = false;
  bool traceSizing_ = false;
  bool sizeChangedInUpdateLock_ = false;
  // A left press of a grid that drags automatically; the grid starts the drag itself.
  bool autoDrag_ = false;
  // A selected cell was pressed under automatic dragging: a move drags, a release acts on the selection.
  bool selectedCellPressed_ = false;

  // Model state.
  bool wholeGridChanged_ = false;
  bool internalUpdatingDatasetPos_ = false;
  bool updatingDataRowHeightsNeeded_ = false;
  // A design-time recalculation of the sums is running: the changes it causes are not re-handled.
  bool sumListRecalcing_ = false;
  // The table the grid is registered with as an event receiver.
  TDataSet* eventTable_ = nullptr;
  void SetEventTable(TDataSet* table);
  friend class TDBGridEhStyle;

  // Text search state.
};

// The grid's key settings, one set for every grid: Ctrl+F for the in-place search and the find
// dialog, Ctrl+Enter and Ctrl+Shift+Enter for the next and previous match, Ctrl+' for the value of
// the record above, Ctrl+T for the title filter's list; a search started by typing ends 1500 ms after
// the last key.
extern TShortCut DBGridInplaceSearchKey;
extern TShortCut DBGridInplaceSearchNextKey;
extern TShortCut DBGridInplaceSearchPriorKey;
extern TShortCut DBGridSetFromPrevRecordKey;
extern TShortCut DBGridFindDialogKey;
extern TShortCut DBGridSTFilterDropDownKey;
// The popup menu all data grids build their menus in when they build them on popup; the screen owns it.
TPopupMenuEh* DBGridEhGlobalPopupMenu();
// Copies a plain menu item's settings and handlers, not its sub-items, into another item.
void CopyPopupMenuItemFields(TMenuItem* item, TMenuItem* source);
extern Integer DBGridInplaceSearchTimeOut;

// The data grid as forms place it.
// The panel under a row of a data grid that shows the row's details; every grid of a form resource
// owns one as RowDetailData. It stays hidden: nothing shows row details yet.
class TRowDetailPanelControlEh : public TCustomControl {
  KIV_CLASS(TRowDetailPanelControlEh, TCustomControl)
 public:
  explicit TRowDetailPanelControlEh(TComponent* owner);
};

class TDBGridEh : public TCustomDBGridEh {
  KIV_CLASS(TDBGridEh, TCustomDBGridEh)
 public:
  static void Published(TPropBuilder<TDBGridEh>& p);
  explicit TDBGridEh(TComponent* owner);
  ~TDBGridEh() override;
  TRowDetailPanelControlEh* GetRowDetailData() const { return rowDetailData_; }
  // A form resource names RowDetailData under the grid: it is read into the grid's own panel.
  TComponent* GetChildOwner() override { return this; }
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

 private:
  static void PublishedAppearance(TPropBuilder<TDBGridEh>& p);
  TRowDetailPanelControlEh* rowDetailData_ = nullptr;
};

// The picture of a title dragged to move its column, and under it the marker of the place where the
// column will land; one pair serves the whole program.
class TDBGridMovePointEh : public TGridMoveLineEh {
  KIV_CLASS(TDBGridMovePointEh, TGridMoveLineEh)
 public:
  explicit TDBGridMovePointEh(TComponent* owner);
  TColor GetForePaintColor() const { return forePaintColor_; }
  void SetForePaintColor(TColor value) { forePaintColor_ = value; }

 protected:
  // A downward triangle on a one-pixel stem; the white rest is see-through.
  void Paint() override;

 private:
  TColor forePaintColor_ = cl3DDkShadow;
};

class TDBGridTitleDragWin : public TGridDragFormEh {
  KIV_CLASS(TDBGridTitleDragWin, TGridDragFormEh)
 public:
  explicit TDBGridTitleDragWin(TComponent* owner);
  static TDBGridTitleDragWin* GetTitleDragWin();
  using TGridDragFormEh::SetBounds;
  // Shows the title at screen position pos, the marker's stem at movePointPos (screen x).
  void StartShow(TColumnTitleEh* title, TPoint pos, Integer width, Integer height, Integer movePointPos,
                 Integer moveSize);
  void SetBounds(Integer x, Integer y, Integer width, Integer height, Integer movePointPos, Integer moveSize);
  void Hide();
  TColumnTitleEh* GetDrawObject() const { return drawObject_; }
  TDBGridMovePointEh* GetMovePoint() const { return movePoint_; }
  Integer GetMovePointPos() const { return movePointPos_; }

 protected:
  void Paint() override;

 private:
  void UpdateMovePoint();
  TColumnTitleEh* drawObject_ = nullptr;
  TDBGridMovePointEh* movePoint_ = nullptr;
  Integer movePointPos_ = 5;
  Integer movePointSize_ = 4;
};

// What a data cell's hint is made of; the grid's and the column's events may change any of it.
class TDBGridEhDataHintParams : public TDBAxisGridDataHintParamsEh {
  KIV_CLASS(TDBGridEhDataHintParams, TDBAxisGridDataHintParamsEh)
 public:
  TDBGridEhDataHintParams() = default;
};

// The data grid's cell editor: the axis grid's editor that marks an empty required value while the
// record is edited.
class TDBGridInplaceEdit : public TDBAxisGridInplaceEdit {
  KIV_CLASS(TDBGridInplaceEdit, TDBAxisGridInplaceEdit)
 public:
  explicit TDBGridInplaceEdit(TComponent* owner) : TDBAxisGridInplaceEdit(owner) {}
  TCustomDBGridEh* GetDBGrid() const { return dynamic_cast<TCustomDBGridEh*>(GetAxisGrid()); }
  // The column asks for it, the record is edited and its field is required and still null.
  bool RequiredStateMarkDue() const;
  // The text leaves the last client row to the mark.
  void CalcCoreControlRect(TRect& rect) override;

 protected:
  void Paint() override;
  virtual void DrawRequiredStateMark(TCanvas* canvas);
};
