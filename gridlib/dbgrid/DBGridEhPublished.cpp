// What a form resource holds of a data grid: its options, columns, area parameters, sum list,
// sizes and event handlers.
#include <functional>

#include "gridlib/dbgrid/DBGridEh.h"

namespace {

const TTypeInfo* TypeInfoDBGridOptionsEh() {
  static const TTypeInfo e = TTypeInfo::Enum(
      u"TDBGridOption", {u"dgEditing", u"dgAlwaysShowEditor", u"dgTitles", u"dgIndicator", u"dgColumnResize",
                         u"dgColLines", u"dgRowLines", u"dgTabs", u"dgRowSelect", u"dgAlwaysShowSelection",
                         u"dgConfirmDelete", u"dgCancelOnExit", u"dgMultiSelect"});
  static const TTypeInfo t = TTypeInfo::Set(u"TDBGridOptions", &e);
  return &t;
}

const TTypeInfo* TypeInfoDBGridEhOptions() {
  static const TTypeInfo e = TTypeInfo::Enum(u"TDBGridEhOption", {u"dghFixed3D",
                                                                  u"dghFrozen3D",
                                                                  u"dghFooter3D",
                                                                  u"dghData3D",
                                                                  u"dghResizeWholeRightPart",
                                                                  u"dghHighlightFocus",
                                                                  u"dghClearSelection",
                                                                  u"dghFitRowHeightToText",
                                                                  u"dghAutoSortMarking",
                                                                  u"dghMultiSortMarking",
                                                                  u"dghEnterAsTab",
                                                                  u"dghTraceColSizing",
                                                                  u"dghIncSearch",
                                                                  u"dghPreferIncSearch",
                                                                  u"dghRowHighlight",
                                                                  u"dghDblClickOptimizeColWidth",
                                                                  u"dghDialogFind",
                                                                  u"dghRecordMoving",
                                                                  u"dghShowRecNo",
                                                                  u"dghColumnResize",
                                                                  u"dghColumnMove",
                                                                  u"dghAutoFitRowHeight",
                                                                  u"dghHotTrack",
                                                                  u"dghExtendVertLines"});
  static const TTypeInfo t = TTypeInfo::Set(u"TDBGridEhOptions", &e);
  return &t;
}

const TTypeInfo* TypeInfoIndicatorOptions() {
  static const TTypeInfo e =
      TTypeInfo::Enum(u"TDBGridEhIndicatorOption",
                      {u"gioShowRowIndicatorEh", u"gioShowRecNoEh", u"gioShowRowselCheckboxesEh"});
  static const TTypeInfo t = TTypeInfo::Set(u"TDBGridEhIndicatorOptions", &e);
  return &t;
}

const TTypeInfo* TypeInfoAllowedSelections() {
  static const TTypeInfo e =
      TTypeInfo::Enum(u"TDBGridEhSelectionType",
                      {u"gstRecordBookmarks", u"gstRectangle", u"gstColumns", u"gstAll", u"gstNon"});
  static const TTypeInfo t = TTypeInfo::Set(u"TDBGridEhAllowedSelections", &e);
  return &t;
}

const TTypeInfo* TypeInfoFillStyle() {
  static const TTypeInfo info = TTypeInfo::Enum(
      u"TGridCellFillStyleEh", {u"cfstDefaultEh", u"cfstThemedEh", u"cfstSolidEh", u"cfstGradientEh"});
  return &info;
}

const TTypeInfo* TypeInfoSortMarkerStyle() {
  static const TTypeInfo info =
      TTypeInfo::Enum(u"TSortMarkerStyleEh", {u"smstDefaultEh", u"smstClassicEh", u"smst3DFrameEh",
                                              u"smstFrameEh", u"smstSolidEh", u"smstThemeDefinedEh"});
  return &info;
}

template <class T>
std::function<bool(const TObject*)> StoredIf(bool (*rule)(const T*)) {
  return [rule](const TObject* o) { return rule(static_cast<const T*>(o)); };
}

const TDBGridOptions kDefaultDBGridOptions{dgEditing,  dgTitles, dgIndicator,     dgColumnResize, dgColLines,
                                           dgRowLines, dgTabs,   dgConfirmDelete, dgCancelOnExit};
const TDBGridEhOptions kDefaultDBGridEhOptions{dghFixed3D,        dghHighlightFocus, dghClearSelection,
                                               dghDialogFind,     dghColumnResize,   dghColumnMove,
                                               dghExtendVertLines};

const TTypeInfo* TypeInfoDefOrientationEh() {
  static const TTypeInfo info = TTypeInfo::Enum(u"TTextOrientationEh", {u"tohHorizontal", u"tohVertical"});
  return &info;
}

const TTypeInfo* TypeInfoEditButtonDrawBackTime() {
  static const TTypeInfo info =
      TTypeInfo::Enum(u"TEditButtonDrawBackTimeEh", {u"edbtAlwaysEh", u"edbtNeverEh", u"edbtWhenHotEh"});
  return &info;
}

const TTypeInfo* TypeInfoDefTextLayout() {
  static const TTypeInfo info = TTypeInfo::Enum(u"TTextLayout", {u"tlTop", u"tlCenter", u"tlBottom"});
  return &info;
}

const TTypeInfo* TypeInfoAllowedOperations() {
  static const TTypeInfo e = TTypeInfo::Enum(
      u"TDBGridEhAllowedOperation", {u"alopInsertEh", u"alopUpdateEh", u"alopDeleteEh", u"alopAppendEh"});
  static const TTypeInfo t = TTypeInfo::Set(u"TDBGridEhAllowedOperations", &e);
  return &t;
}

const TTypeInfo* TypeInfoEditActions() {
  static const TTypeInfo e = TTypeInfo::Enum(
      u"TGridEditActionEh", {u"geaCutEh", u"geaCopyEh", u"geaPasteEh", u"geaDeleteEh", u"geaSelectAllEh"});
  static const TTypeInfo t = TTypeInfo::Set(u"TGridEditActionsEh", &e);
  return &t;
}

const TTypeInfo* TypeInfoIncludeImageModules() {
  static const TTypeInfo e = TTypeInfo::Enum(
      u"TIncludeImageModuleEh", {u"iimJpegImageModuleEh", u"iimGIFImageModuleEh", u"iimPNGImageModuleEh"});
  static const TTypeInfo t = TTypeInfo::Set(u"TIncludeImageModulesEh", &e);
  return &t;
}

const TTypeInfo* TypeInfoGridBorderStyle() {
  static const TTypeInfo info = TTypeInfo::Enum(u"TBorderStyle", {u"bsNone", u"bsSingle"});
  return &info;
}

const TTypeInfo* TypeInfoScrollBarVisibleMode() {
  static const TTypeInfo info =
      TTypeInfo::Enum(u"TScrollBarVisibleModeEh", {u"sbAlwaysShowEh", u"sbNeverShowEh", u"sbAutoShowEh"});
  return &info;
}

const TTypeInfo* TypeInfoNavButtons() {
  static const TTypeInfo e = TTypeInfo::Enum(
      u"TNavButtonEh", {u"nbFirstEh", u"nbPriorEh", u"nbNextEh", u"nbLastEh", u"nbInsertEh", u"nbDeleteEh",
                        u"nbEditEh", u"nbPostEh", u"nbCancelEh", u"nbRefreshEh"});
  static const TTypeInfo t = TTypeInfo::Set(u"TNavButtonSetEh", &e);
  return &t;
}

const TTypeInfo* TypeInfoScrollBarItems() {
  static const TTypeInfo e = TTypeInfo::Enum(
      u"TGridSBItemEh", {u"gsbiRecordsInfoEh", u"gsbiNavigator", u"gsbiSelAggregationInfoEh"});
  static const TTypeInfo t = TTypeInfo::Set(u"TGridSBItemsEh", &e);
  return &t;
}

const TTypeInfo* TypeInfoImagePlacement() {
  static const TTypeInfo info = TTypeInfo::Enum(
      u"TImagePlacementEh",
      {u"ipTopLeftEh", u"ipTopCenterEh", u"ipTopRightEh", u"ipCenterLeftEh", u"ipCenterCenterEh",
       u"ipCenterRightEh", u"ipBottomLeftEh", u"ipBottomCenterEh", u"ipBottomRightEh", u"ipFillEh",
       u"ipReduceFitEh", u"ipFitEh", u"ipStretchEh", u"ipTileEh"});
  return &info;
}

const TTypeInfo* TypeInfoLinesColorScheme() {
  static const TTypeInfo info = TTypeInfo::Enum(
      u"TDBGridLinesColorSchemeEh", {u"glcsDefaultEh", u"glcsClassicEh", u"glcsFlatEh", u"glcsThemedEh"});
  return &info;
}

const TTypeInfo* TypeInfoVertEmptySpaceStyle() {
  static const TTypeInfo info =
      TTypeInfo::Enum(u"TDrawEmptySpaceStyle", {u"dessNonEh", u"dessSolidEh", u"dessGradiendEh"});
  return &info;
}

const TTypeInfo* TypeInfoHorzEmptySpaceStyle() {
  static const TTypeInfo info =
      TTypeInfo::Enum(u"TDBGridHorzEmptySpaceStyleEh",
                      {u"deshNonEh", u"deshExtendTitleWideSpaceEh", u"deshExtendGridWideSpaceEh"});
  return &info;
}

}  // namespace

void TDBGridAreaParamsEh::Published(TPropBuilder<TDBGridAreaParamsEh>& p) {
  p.IntIdent(u"Color", TypeInfoColor(), &TDBGridAreaParamsEh::GetColor, &TDBGridAreaParamsEh::SetColor)
      .Default(clDefault);
  p.Enum(u"FillStyle", TypeInfoFillStyle(), &TDBGridAreaParamsEh::GetFillStyle,
         &TDBGridAreaParamsEh::SetFillStyle)
      .Default(cfstDefaultEh);
  p.Object(u"Font", &TDBGridAreaParamsEh::GetFont, &TDBGridAreaParamsEh::SetFont)
      .Stored(
          StoredIf<TDBGridAreaParamsEh>([](const TDBGridAreaParamsEh* a) { return !a->GetParentFont(); }));
  p.Bool(u"ParentFont", &TDBGridAreaParamsEh::GetParentFont, &TDBGridAreaParamsEh::SetParentFont).Default(1);
  p.IntIdent(
       u"HorzLineColor", TypeInfoColor(), [](const TDBGridAreaParamsEh* a) { return a->horzLineColor_; },
       &TDBGridAreaParamsEh::SetHorzLineColor)
      .Default(clDefault);
  p.IntIdent(
       u"VertLineColor", TypeInfoColor(), [](const TDBGridAreaParamsEh* a) { return a->vertLineColor_; },
       &TDBGridAreaParamsEh::SetVertLineColor)
      .Default(clDefault);
  p.Bool(u"HorzLines", &TDBGridAreaParamsEh::GetHorzLines, &TDBGridAreaParamsEh::SetHorzLines)
      .NoDefault()
      .Stored(StoredIf<TDBGridAreaParamsEh>(
          [](const TDBGridAreaParamsEh* a) { return a->GetHorzLinesStored(); }));
  p.Bool(u"VertLines", &TDBGridAreaParamsEh::GetVertLines, &TDBGridAreaParamsEh::SetVertLines)
      .NoDefault()
      .Stored(StoredIf<TDBGridAreaParamsEh>(
          [](const TDBGridAreaParamsEh* a) { return a->GetVertLinesStored(); }));
}

void TDBGridTitleParamsEh::Published(TPropBuilder<TDBGridTitleParamsEh>& p) {
  p.Bool(u"BorderInFillStyle", &TDBGridTitleParamsEh::GetBorderInFillStyle,
         &TDBGridTitleParamsEh::SetBorderInFillStyle)
      .Default(0);
  p.Object(u"Images", &TDBGridTitleParamsEh::GetImages, &TDBGridTitleParamsEh::SetImages);
  p.Bool(u"MultiTitle", &TDBGridTitleParamsEh::GetMultiTitle, &TDBGridTitleParamsEh::SetMultiTitle)
      .Default(0);
  p.Int(u"RowHeight", &TDBGridTitleParamsEh::GetRowHeight, &TDBGridTitleParamsEh::SetRowHeight).Default(0);
  p.Int(u"RowLines", &TDBGridTitleParamsEh::GetRowLines, &TDBGridTitleParamsEh::SetRowLines).Default(0);
  p.IntIdent(u"SecondColor", TypeInfoColor(), &TDBGridTitleParamsEh::GetSecondColor,
             &TDBGridTitleParamsEh::SetSecondColor)
      .NoDefault()
      .Stored(StoredIf<TDBGridTitleParamsEh>(
          [](const TDBGridTitleParamsEh* t) { return t->GetSecondColorStored(); }));
  p.Enum(u"SortMarkerStyle", TypeInfoSortMarkerStyle(), &TDBGridTitleParamsEh::GetSortMarkerStyle,
         &TDBGridTitleParamsEh::SetSortMarkerStyle)
      .NoDefault()
      .Stored(StoredIf<TDBGridTitleParamsEh>(
          [](const TDBGridTitleParamsEh* t) { return t->GetSortMarkerStyleStored(); }));
  p.Int(u"VTitleMargin", &TDBGridTitleParamsEh::GetVTitleMargin, &TDBGridTitleParamsEh::SetVTitleMargin)
      .Default(10);
  p.Object(u"PopupMenu", &TDBGridTitleParamsEh::GetPopupMenu, &TDBGridTitleParamsEh::SetPopupMenu);
}

void TDBGridIndicatorParamsEh::Published(TPropBuilder<TDBGridIndicatorParamsEh>& p) {
  p.Int(u"RecNoShowStep", &TDBGridIndicatorParamsEh::GetRecNoShowStep,
        &TDBGridIndicatorParamsEh::SetRecNoShowStep)
      .Default(1);
}

void TDBGridFooterParamsEh::Published(TPropBuilder<TDBGridFooterParamsEh>& p) {
  p.Int(u"RowHeight", &TDBGridFooterParamsEh::GetRowHeight, &TDBGridFooterParamsEh::SetRowHeight).Default(0);
  p.Int(u"RowLines", &TDBGridFooterParamsEh::GetRowLines, &TDBGridFooterParamsEh::SetRowLines).Default(0);
}

void TDBGridEhSumList::Published(TPropBuilder<TDBGridEhSumList>& p) {
  p.Bool(u"Active", &TDBSumListProducer::GetActive, &TDBSumListProducer::SetActive).Default(0);
  p.Bool(u"ExternalRecalc", &TDBSumListProducer::GetExternalRecalc, &TDBSumListProducer::SetExternalRecalc)
      .Default(0);
  p.Bool(u"VirtualRecords", &TDBSumListProducer::GetVirtualRecords, &TDBSumListProducer::SetVirtualRecords)
      .Default(0);
}

void TColumnTitleDefValuesEh::Published(TPropBuilder<TColumnTitleDefValuesEh>& p) {
  p.Enum(u"Orientation", TypeInfoDefOrientationEh(), &TAxisBarCaptionDefValuesEh::GetOrientation,
         &TAxisBarCaptionDefValuesEh::SetOrientation)
      .Default(tohHorizontal);
  p.Bool(u"ShowImageAndText", &TColumnTitleDefValuesEh::GetShowImageAndText,
         &TColumnTitleDefValuesEh::SetShowImageAndText)
      .Default(0);
}

void TColumnDefValuesEh::Published(TPropBuilder<TColumnDefValuesEh>& p) {
  p.Enum(u"EditButtonDrawBackTime", TypeInfoEditButtonDrawBackTime(),
         &TAxisBarDefValuesEh::GetEditButtonDrawBackTime, &TAxisBarDefValuesEh::SetEditButtonDrawBackTime)
      .Default(edbtAlwaysEh);
  p.Object(u"Footer", &TColumnDefValuesEh::GetFooter, &TColumnDefValuesEh::SetFooter);
  p.Enum(u"Layout", TypeInfoDefTextLayout(), &TAxisBarDefValuesEh::GetLayout, &TAxisBarDefValuesEh::SetLayout)
      .Default(tlTop);
}

void TGridEmptyDataInfoEh::Published(TPropBuilder<TGridEmptyDataInfoEh>& p) {
  p.Bool(u"Active", &TGridEmptyDataInfoEh::GetActive, &TGridEmptyDataInfoEh::SetActive).Default(0);
  p.Object(
       u"Font", [](const TGridEmptyDataInfoEh* e) { return const_cast<TGridEmptyDataInfoEh*>(e)->GetFont(); },
       &TGridEmptyDataInfoEh::SetFont)
      .Stored(std::function<bool(const TObject*)>(
          [](const TObject* o) { return !static_cast<const TGridEmptyDataInfoEh*>(o)->GetParentFont(); }));
  p.Bool(u"ParentFont", &TGridEmptyDataInfoEh::GetParentFont, &TGridEmptyDataInfoEh::SetParentFont)
      .Default(1);
  p.Str(u"Text", &TGridEmptyDataInfoEh::GetText, &TGridEmptyDataInfoEh::SetText);
}

void TDBGridEhIndicatorTitle::Published(TPropBuilder<TDBGridEhIndicatorTitle>& p) {
  p.Bool(u"ShowDropDownSign", &TDBGridEhIndicatorTitle::GetShowDropDownSign,
         &TDBGridEhIndicatorTitle::SetShowDropDownSign)
      .Default(0);
  p.Bool(u"TitleButton", &TDBGridEhIndicatorTitle::GetTitleButton, &TDBGridEhIndicatorTitle::SetTitleButton)
      .Default(0);
  p.Bool(u"UseGlobalMenu", &TDBGridEhIndicatorTitle::GetUseGlobalMenu,
         &TDBGridEhIndicatorTitle::SetUseGlobalMenu)
      .Default(1);
  p.Object(u"DropdownMenu", &TDBGridEhIndicatorTitle::GetDropdownMenu,
           &TDBGridEhIndicatorTitle::SetDropdownMenu);
}

void TDBGridEhPopupMenuParams::Published(TPropBuilder<TDBGridEhPopupMenuParams>& p) {
  p.Bool(u"BuildMenuOnPopup", &TDBGridEhPopupMenuParams::GetBuildMenuOnPopup,
         &TDBGridEhPopupMenuParams::SetBuildMenuOnPopup)
      .Default(0);
  p.Bool(u"UseGlobalMenu", &TDBGridEhPopupMenuParams::GetUseGlobalMenu,
         &TDBGridEhPopupMenuParams::SetUseGlobalMenu)
      .Default(0);
  p.Bool(u"UseIndicatorMenu", &TDBGridEhPopupMenuParams::GetUseIndicatorMenu,
         &TDBGridEhPopupMenuParams::SetUseIndicatorMenu)
      .Default(0);
}

void TDBGridBackgroundDataEh::Published(TPropBuilder<TDBGridBackgroundDataEh>& p) {
  p.Bool(u"ExcludeFooter", &TDBGridBackgroundDataEh::GetExcludeFooter,
         &TDBGridBackgroundDataEh::SetExcludeFooter)
      .Default(0);
  p.Bool(u"ExcludeIndicator", &TDBGridBackgroundDataEh::GetExcludeIndicator,
         &TDBGridBackgroundDataEh::SetExcludeIndicator)
      .Default(0);
  p.Bool(u"ExcludeTitle", &TDBGridBackgroundDataEh::GetExcludeTitle,
         &TDBGridBackgroundDataEh::SetExcludeTitle)
      .Default(0);
  p.Int(u"HorzMargin", &TGridBackgroundDataEh::GetHorzMargin, &TGridBackgroundDataEh::SetHorzMargin)
      .Default(0);
  p.Object(u"Picture", &TGridBackgroundDataEh::GetPicture, &TGridBackgroundDataEh::SetPicture);
  p.Enum(u"Placement", TypeInfoImagePlacement(), &TGridBackgroundDataEh::GetPlacement,
         &TGridBackgroundDataEh::SetPlacement)
      .Default(ipCenterCenterEh);
  p.Int(u"VertMargin", &TGridBackgroundDataEh::GetVertMargin, &TGridBackgroundDataEh::SetVertMargin)
      .Default(0);
  p.Bool(u"Visible", &TGridBackgroundDataEh::GetVisible, &TGridBackgroundDataEh::SetVisible).Default(0);
}

void TDBGridLineParamsEh::Published(TPropBuilder<TDBGridLineParamsEh>& p) {
  const auto colour = [&p](const Char* name, auto get, auto set) {
    p.IntIdent(name, TypeInfoColor(), get, set).Default(clDefault);
  };
  colour(u"BrightColor", &TGridLineColorsEh::GetAssignedBrightColor, &TGridLineColorsEh::SetBrightColor);
  colour(u"DarkColor", &TGridLineColorsEh::GetAssignedDarkColor, &TGridLineColorsEh::SetDarkColor);
  colour(u"DataBoundaryColor", &TDBAxisGridLineParamsEh::GetAssignedDataBoundaryColor,
         &TDBAxisGridLineParamsEh::SetDataBoundaryColor);
  colour(u"DataHorzColor", &TGridLineColorsEh::GetAssignedDataHorzColor,
         &TGridLineColorsEh::SetDataHorzColor);
  colour(u"DataVertColor", &TGridLineColorsEh::GetAssignedDataVertColor,
         &TGridLineColorsEh::SetDataVertColor);
  p.Bool(u"DataHorzLines", &TDBAxisGridLineParamsEh::GetDataHorzLines,
         &TDBAxisGridLineParamsEh::SetDataHorzLines)
      .NoDefault()
      .Stored(&TDBAxisGridLineParamsEh::GetDataHorzLinesStored);
  p.Bool(u"DataVertLines", &TDBAxisGridLineParamsEh::GetDataVertLines,
         &TDBAxisGridLineParamsEh::SetDataVertLines)
      .NoDefault()
      .Stored(&TDBAxisGridLineParamsEh::GetDataVertLinesStored);
  p.Bool(u"GridBoundaries", &TDBAxisGridLineParamsEh::GetGridBoundaries,
         &TDBAxisGridLineParamsEh::SetGridBoundaries)
      .Default(0);
  p.Enum(u"ColorScheme", TypeInfoLinesColorScheme(), &TDBAxisGridLineParamsEh::GetColorScheme,
         &TDBAxisGridLineParamsEh::SetColorScheme)
      .Default(glcsDefaultEh);
  p.Enum(u"VertEmptySpaceStyle", TypeInfoVertEmptySpaceStyle(),
         &TDBAxisGridLineParamsEh::GetVertEmptySpaceStyle, &TDBGridLineParamsEh::SetVertEmptySpaceStyle)
      .Default(dessGradiendEh);
  p.Enum(u"HorzEmptySpaceStyle", TypeInfoHorzEmptySpaceStyle(), &TDBGridLineParamsEh::GetHorzEmptySpaceStyle,
         &TDBGridLineParamsEh::SetHorzEmptySpaceStyle)
      .Default(deshNonEh);
}

void TDBGridEhScrollBarPanel::Published(TPropBuilder<TDBGridEhScrollBarPanel>& p) {
  p.Set(u"NavigatorButtons", TypeInfoNavButtons(), &TDBGridEhScrollBarPanel::GetNavigatorButtons,
        &TDBGridEhScrollBarPanel::SetNavigatorButtons)
      .NoDefault();
  p.Bool(u"Visible", &TDBGridEhScrollBarPanel::GetVisible, &TDBGridEhScrollBarPanel::SetVisible).Default(0);
  p.Set(u"VisibleItems", TypeInfoScrollBarItems(), &TDBGridEhScrollBarPanel::GetVisibleItems,
        &TDBGridEhScrollBarPanel::SetVisibleItems)
      .NoDefault();
}

void THorzDBGridEhScrollBar::Published(TPropBuilder<THorzDBGridEhScrollBar>& p) {
  p.Object(u"ExtraPanel", &THorzDBGridEhScrollBar::GetExtraPanel, &THorzDBGridEhScrollBar::SetExtraPanel);
  p.Int(u"Height", &TGridScrollBarEh::GetSize, &TGridScrollBarEh::SetSize).Default(0);
  p.Bool(u"SmoothStep", &TGridScrollBarEh::GetSmoothStep, &TGridScrollBarEh::SetSmoothStep).Default(1);
  p.Bool(u"Visible", &TGridScrollBarEh::GetVisible, &TGridScrollBarEh::SetVisible).Stored(false);
  p.Enum(u"VisibleMode", TypeInfoScrollBarVisibleMode(), &TGridScrollBarEh::GetVisibleMode,
         &TGridScrollBarEh::SetVisibleMode)
      .Default(sbAutoShowEh);
}

void TVertDBGridEhScrollBar::Published(TPropBuilder<TVertDBGridEhScrollBar>& p) {
  p.Bool(u"SmoothStep", &TGridScrollBarEh::GetSmoothStep, &TGridScrollBarEh::SetSmoothStep).Default(0);
  p.Bool(u"Visible", &TGridScrollBarEh::GetVisible, &TGridScrollBarEh::SetVisible).Stored(false);
  p.Enum(u"VisibleMode", TypeInfoScrollBarVisibleMode(), &TGridScrollBarEh::GetVisibleMode,
         &TGridScrollBarEh::SetVisibleMode)
      .Default(sbAutoShowEh);
  p.Int(u"Width", &TGridScrollBarEh::GetSize, &TGridScrollBarEh::SetSize).Default(0);
}

void TDBGridEh::Published(TPropBuilder<TDBGridEh>& p) {
  PublishedAppearance(p);
  p.Set(u"AllowedSelections", TypeInfoAllowedSelections(), &TCustomDBGridEh::GetAllowedSelections,
        &TCustomDBGridEh::SetAllowedSelections)
      .Default(TDBGridEhAllowedSelections{gstRecordBookmarks, gstRectangle, gstColumns, gstAll});
  p.Bool(u"AutoFitColWidths", &TCustomDBGridEh::GetAutoFitColWidths, &TCustomDBGridEh::SetAutoFitColWidths)
      .Default(0);
  p.Object(u"ColumnDefValues", &TCustomDBGridEh::GetColumnDefValues,
           [](TCustomDBGridEh* g, TColumnDefValuesEh* v) { g->GetColumnDefValues()->Assign(v); });
  p.Int(u"ContraColCount", &TCustomDBGridEh::GetContraColCountProp, &TCustomDBGridEh::SetContraColCountProp)
      .Default(0);
  p.Object(u"EmptyDataInfo", &TCustomDBGridEh::GetEmptyDataInfo,
           [](TCustomDBGridEh* g, TGridEmptyDataInfoEh* v) { g->GetEmptyDataInfo()->Assign(v); });
  p.Object(u"DataSource", &TCustomDBAxisGridEh::GetDataSource, &TCustomDBAxisGridEh::SetDataSource);
  p.Object(u"FooterParams", &TCustomDBGridEh::GetFooterParams,
           [](TCustomDBGridEh* g, TDBGridFooterParamsEh* v) { g->GetFooterParams()->Assign(v); });
  p.Int(u"FooterRowCount", &TCustomDBGridEh::GetFooterRowCount, &TCustomDBGridEh::SetFooterRowCount)
      .Default(0);
  p.Int(u"FrozenCols", &TCustomDBGridEh::GetFrozenCols, &TCustomDBGridEh::SetFrozenCols).Default(0);
  p.Object(u"IndicatorTitle", &TCustomDBGridEh::GetIndicatorTitle,
           [](TCustomDBGridEh* g, TDBGridEhIndicatorTitle* v) { g->GetIndicatorTitle()->Assign(v); });
  p.Set(u"IndicatorOptions", TypeInfoIndicatorOptions(), &TCustomDBGridEh::GetIndicatorOptions,
        &TCustomDBGridEh::SetIndicatorOptions)
      .Default(TDBGridEhIndicatorOptions{gioShowRowIndicatorEh});
  p.Object(u"IndicatorParams", &TCustomDBGridEh::GetIndicatorParams,
           [](TCustomDBGridEh* g, TDBGridIndicatorParamsEh* v) { g->GetIndicatorParams()->Assign(v); });
  p.Int(u"MinAutoFitWidth", &TCustomDBGridEh::GetMinAutoFitWidth, &TCustomDBGridEh::SetMinAutoFitWidth)
      .Default(0);
  p.Set(u"Options", TypeInfoDBGridOptionsEh(), &TCustomDBGridEh::GetDBOptions, &TCustomDBGridEh::SetDBOptions)
      .Default(kDefaultDBGridOptions);
  p.Set(u"OptionsEh", TypeInfoDBGridEhOptions(), &TCustomDBGridEh::GetOptionsEh,
        &TCustomDBGridEh::SetOptionsEh)
      .Default(kDefaultDBGridEhOptions);
  p.Int(u"RowHeight", &TCustomDBGridEh::GetRowHeight, &TCustomDBGridEh::SetRowHeight).Default(0);
  p.Int(u"RowLines", &TCustomDBGridEh::GetRowLines, &TCustomDBGridEh::SetRowLines).Default(0);
  p.Bool(u"RowSizingAllowed", &TCustomDBGridEh::GetRowSizingAllowed, &TCustomDBGridEh::SetRowSizingAllowed)
      .Default(0);
  p.Bool(u"SortLocal", &TCustomDBGridEh::GetSortLocal, &TCustomDBGridEh::SetSortLocal).Default(0);
  p.Object(u"SumList", &TCustomDBGridEh::GetSumList,
           [](TCustomDBGridEh* g, TDBGridEhSumList* v) { g->GetSumList()->Assign(v); });
  // The title font lives in the title parameters, written there.
  p.Object(
       u"TitleFont", [](const TCustomDBGridEh* g) { return const_cast<TCustomDBGridEh*>(g)->GetTitleFont(); },
       [](TCustomDBGridEh* g, TFont* v) { g->SetTitleFont(v); })
      .Stored(false);
  p.Object(u"TitleParams", &TCustomDBGridEh::GetTitleParams,
           [](TCustomDBGridEh* g, TDBGridTitleParamsEh* v) { g->GetTitleParams()->Assign(v); });
  p.Event(u"OnAdvDrawDataCell", &TCustomDBGridEh::OnAdvDrawDataCell, u"TDBGridEhAdvDrawColumnDataEvent");
  p.Event(u"OnApplyFilter", &TCustomDBGridEh::OnApplyFilter);
  p.Event(u"OnBuildIndicatorTitleMenu", &TCustomDBGridEh::OnBuildIndicatorTitleMenu,
          u"TDBGridEhBuildIndicatorTitleMenu");
  p.Event(u"OnCellClick", &TCustomDBGridEh::OnCellClick, u"TDBGridEhColumnEvent");
  p.Event(u"OnCellMouseClick", &TCustomGridEh::OnCellMouseClick, u"TGridEhCellMouseEvent");
  p.Event(u"OnCheckButton", &TCustomDBGridEh::OnCheckButton, u"TCheckTitleEhBtnEvent");
  p.Event(u"OnColEnter", &TCustomDBGridEh::OnColEnter);
  p.Event(u"OnColExit", &TCustomDBGridEh::OnColExit);
  p.Event(u"OnColumnMoved", &TCustomDBGridEh::OnColumnMoved, u"TMovedEvent");
  p.Event(u"OnColWidthsChanged", &TCustomDBGridEh::OnColWidthsChanged);
  p.Event(u"OnDrawColumnCell", &TCustomDBGridEh::OnDrawColumnCell, u"TDrawColumnEhCellEvent");
  p.Event(u"OnDrawDataCell", &TCustomDBGridEh::OnDrawDataCell, u"TDrawDataCellEvent");
  p.Event(u"OnDrawFooterCell", &TCustomDBGridEh::OnDrawFooterCell, u"TDrawFooterCellEvent");
  p.Event(u"OnDrawTitleCell", &TCustomDBGridEh::OnDrawTitleCell, u"TDBGridEhDrawTitleCellEvent");
  p.Event(u"OnEditButtonClick", &TCustomDBAxisGridEh::OnEditButtonClick);
  p.Event(u"OnGetBtnParams", &TCustomDBGridEh::OnGetBtnParams, u"TGetBtnEhParamsEvent");
  p.Event(u"OnGetCellParams", &TCustomDBGridEh::OnGetCellParams, u"TGetCellEhParamsEvent");
  p.Event(u"OnGetFooterParams", &TCustomDBGridEh::OnGetFooterParams, u"TGetFooterParamsEvent");
  p.Event(u"OnGetRowHeight", &TCustomDBGridEh::OnGetRowHeight, u"TGetDBGridEhRowHeightEvent");
  p.Event(u"OnGetTitleParams", &TCustomDBGridEh::OnGetTitleParams, u"TDBGridEhTitleParamsEvent");
  p.Event(u"OnIndicatorTitleMouseDown", &TCustomDBGridEh::OnIndicatorTitleMouseDown,
          u"TGridEhCellMouseEvent");
  p.Event(u"OnMoveRecords", &TCustomDBGridEh::OnMoveRecords, u"TGridMoveRecordsEventEh");
  p.Event(u"OnSelectedRowsItemChanged", &TCustomDBGridEh::OnSelectedRowsItemChanged,
          u"TDBGridSelectedRowsItemChangedEh");
  p.Event(u"OnSelectionChanged", &TCustomDBGridEh::OnSelectionChanged);
  p.Event(u"OnSortMarkingChanged", &TCustomDBGridEh::OnSortMarkingChanged);
  p.Event(u"OnSumListAfterRecalcAll", &TCustomDBGridEh::OnSumListAfterRecalcAll);
  p.Event(u"OnSumListRecalcAll", &TCustomDBGridEh::OnSumListRecalcAll);
  p.Event(u"OnTitleBtnClick", &TCustomDBGridEh::OnTitleBtnClick, u"TTitleEhClickEvent");
  p.Event(u"OnTitleClick", &TCustomDBGridEh::OnTitleClick, u"TDBGridEhColumnEvent");
  p.Event(u"OnDataHintShow", &TCustomDBGridEh::OnDataHintShow, u"TDBGridEhDataHintShowEvent");
  p.Event(u"OnHintShowPause", &TCustomDBGridEh::OnHintShowPause, u"TDBGridEhHintShowPauseEvent");
}

// The grid's look, its editing permissions and its smaller parameter objects.
void TDBGridEh::PublishedAppearance(TPropBuilder<TDBGridEh>& p) {
  p.Set(u"AllowedOperations", TypeInfoAllowedOperations(), &TCustomDBAxisGridEh::GetAllowedOperations,
        &TCustomDBAxisGridEh::SetAllowedOperations)
      .Default(TDBGridEhAllowedOperations{alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh});
  p.Object(u"BackgroundData", &TCustomDBGridEh::GetDBBackgroundData,
           [](TCustomDBGridEh* g, TDBGridBackgroundDataEh* v) { g->GetDBBackgroundData()->Assign(v); });
  p.Enum(u"BorderStyle", TypeInfoGridBorderStyle(), &TCustomGridEh::GetBorderStyle,
         &TCustomGridEh::SetBorderStyle)
      .Default(bsSingle);
  p.Bool(u"DefaultDrawing", &TCustomDBAxisGridEh::GetDefaultDrawing, &TCustomDBAxisGridEh::SetDefaultDrawing)
      .Default(1);
  p.Bool(u"DrawGraphicData", &TCustomDBAxisGridEh::GetDrawGraphicData,
         &TCustomDBAxisGridEh::SetDrawGraphicData)
      .Default(0);
  p.Bool(u"DrawMemoText", &TCustomDBAxisGridEh::GetDrawMemoText, &TCustomDBAxisGridEh::SetDrawMemoText)
      .Default(0);
  p.Object(u"DynProps", &TCustomDBAxisGridEh::GetDynProps, &TCustomDBAxisGridEh::SetDynProps);
  p.Set(u"EditActions", TypeInfoEditActions(), &TCustomDBGridEh::GetEditActions,
        &TCustomDBGridEh::SetEditActions)
      .Default(TGridEditActionsEh{});
  p.IntIdent(u"EvenRowColor", TypeInfoColor(), &TCustomDBGridEh::GetEvenRowColor,
             &TCustomDBGridEh::SetEvenRowColor)
      .NoDefault()
      .Stored(&TCustomDBGridEh::GetEvenRowColorStored);
  p.IntIdent(u"FixedColor", TypeInfoColor(), &TCustomGridEh::GetFixedColor, &TCustomGridEh::SetFixedColor)
      .Default(clBtnFace);
  p.Bool(u"Flat", &TCustomGridEh::GetFlat, &TCustomGridEh::SetFlat).Default(0);
  // The footer font and the title images live in their parameter objects and are written there.
  p.Object(
       u"FooterFont", [](const TCustomDBGridEh* g) { return g->GetFooterFont(); },
       [](TCustomDBGridEh* g, TFont* v) { g->SetFooterFont(v); })
      .Stored(false);
  p.Object(u"GridLineParams", &TCustomDBGridEh::GetGridLineParams,
           [](TCustomDBGridEh* g, TDBGridLineParamsEh* v) { g->GetGridLineParams()->Assign(v); });
  p.Object(
      u"HorzScrollBar", [](const TCustomDBGridEh* g) { return g->GetHorzDBScrollBar(); },
      [](TCustomDBGridEh* g, THorzDBGridEhScrollBar* v) { g->GetHorzDBScrollBar()->Assign(v); });
  p.Set(u"IncludeImageModules", TypeInfoIncludeImageModules(), &TCustomDBAxisGridEh::GetIncludeImageModules,
        &TCustomDBAxisGridEh::SetIncludeImageModules)
      .Default(TIncludeImageModulesEh{});
  p.IntIdent(u"OddRowColor", TypeInfoColor(), &TCustomDBGridEh::GetOddRowColor,
             &TCustomDBGridEh::SetOddRowColor)
      .NoDefault()
      .Stored(&TCustomDBGridEh::GetOddRowColorStored);
  p.Object(u"PopupMenuParams", &TCustomDBGridEh::GetPopupMenuParams,
           [](TCustomDBGridEh* g, TDBGridEhPopupMenuParams* v) { g->GetPopupMenuParams()->Assign(v); });
  p.Bool(u"ReadOnly", &TCustomDBAxisGridEh::GetReadOnly, &TCustomDBAxisGridEh::SetReadOnly).Default(0);
  p.Object(u"TitleImages", &TCustomDBGridEh::GetTitleImages, &TCustomDBGridEh::SetTitleImages).Stored(false);
  p.Object(
      u"VertScrollBar", [](const TCustomDBGridEh* g) { return g->GetVertDBScrollBar(); },
      [](TCustomDBGridEh* g, TVertDBGridEhScrollBar* v) { g->GetVertDBScrollBar()->Assign(v); });
}
