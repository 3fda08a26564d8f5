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
}

void TDBGridEh::Published(TPropBuilder<TDBGridEh>& p) {
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
  p.Bool(u"ReadOnly", &TCustomDBAxisGridEh::GetReadOnly, &TCustomDBAxisGridEh::SetReadOnly).Default(0);
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
}
