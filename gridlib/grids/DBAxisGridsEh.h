// The data-aware axis grid: a grid whose columns are axis bars bound to the fields of a dataset, with
// its data link and field map, bar defaults, cell drawing, display and edit texts, the cell editor
// with its drop-downs, and the writing of edits back into the dataset. The data grid derives from it.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "gridlib/base/DynVarsEh.h"
#include "gridlib/base/GridLibCore.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/editors/DBLookupEh.h"
#include "gridlib/grids/GridsEh.h"
#include "platform/classes/Collection.h"
#include "platform/controls/Menus.h"
#include "platform/data/DataSource.h"
#include "platform/data/Fields.h"
#include "platform/dbctrls/DBGridTypes.h"

class TCustomDBAxisGridEh;
class TAxisBarEh;
class TGridAxisBarsEh;
class TAxisGridDataLinkEh;
class TDBAxisGridInplaceEdit;
class TEditButtonsBoxEh;
class TEditButtonControlEh;
class TInCellPlaceBoxEh;
class TCellButtonsEh;
class TCellButtonEh;
class TCellPlaceBoxVisibleListEh;
class TControlBorderEh;

// The deferred-layout message a grid posts to itself.
constexpr UINT WM_AXISGRID_DEFERLAYOUT = WM_USER + 100;

// ---- Small types ----

enum TDBGridEhAllowedOperation { alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh };
using TDBGridEhAllowedOperations = TSet<TDBGridEhAllowedOperation>;
enum TIncludeImageModuleEh { iimJpegImageModuleEh, iimGIFImageModuleEh, iimPNGImageModuleEh };
using TIncludeImageModulesEh = TSet<TIncludeImageModuleEh>;
// The bars follow the fields or are kept, as the class library's grid columns.
using TDBGridBarsState = TDBGridColumnsState;

enum TAxisBarEhValue {
  cvColor,
  cvWidth,
  cvFont,
  cvAlignment,
  cvReadOnly,
  cvTitleColor,
  cvTitleCaption,
  cvTitleAlignment,
  cvTitleFont,
  cvTitleButton,
  cvTitleEndEllipsis,
  cvTitleToolTips,
  cvTitleOrientation,
  cvImeMode,
  cvImeName,
  cvWordWrap,
  cvLookupDisplayFields,
  cvCheckboxes,
  cvAlwaysShowEditButton,
  cvEndEllipsis,
  cvAutoDropDown,
  cvDblClickNextVal,
  cvToolTips,
  cvDropDownSizing,
  cvDropDownShowTitles,
  cvLayout,
  cvHighlightRequired,
  cvBiDiMode,
  cvTextEditing,
};
using TAxisBarEhValues = TSet<TAxisBarEhValue>;

enum TAxisBarEhType {
  ctCommon,
  ctPickList,
  ctLookupField,
  ctKeyPickList,
  ctKeyImageList,
  ctCheckboxes,
  ctGraphicData,
  ctDataList
};

// Scoped: the class library's grid names its column button styles cbsAuto, cbsEllipsis and cbsNone too.
enum class TCellButtonStyleEh {
  cbsAuto,
  cbsEllipsis,
  cbsNone,
  cbsUpDown,
  cbsDropDown,
  cbsAltUpDown,
  cbsAltDropDown
};
enum TLSAutoFilterTypeEh { lsftBeginsWithEh, lsftContainsEh };
enum TAxisBarCaptionDefValuesEhValue { cvdpTitleColorEh, cvdpTitleAlignmentEh };
using TAxisBarCaptionDefValuesEhValues = TSet<TAxisBarCaptionDefValuesEhValue>;

enum TEditStyle {
  esSimple,
  esEllipsis,
  esPickList,
  esLookupDataList,
  esDateCalendar,
  esUpDown,
  esDropDown,
  esAltUpDown,
  esAltDropDown,
  esAltCalendar,
  esAltPickList,
  esAltLookupDataList,
  esDataList,
  esAltDataList
};

using TColCellUpdateDataEventEh =
    TDelegate<void(TObject* Sender, String& Text, Variant& Value, bool& UseText, bool& Handled)>;
using TNotInListEventEh = TDelegate<void(TObject* Sender, const String& NewText, bool& RecheckInList)>;
using TAxisBarNotifyEventEh = TDelegate<void(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar)>;
using TDBAxisGridShowDropDownFormEventEh =
    TDelegate<void(TCustomDBAxisGridEh* Grid, TAxisBarEh* Column, TEditButtonEh* Button,
                   TCustomForm*& DropDownForm, TDynVarsEh* DynParams)>;
using TDBAxisGridCloseDropDownFormEventEh =
    TDelegate<void(TCustomDBAxisGridEh* Grid, TAxisBarEh* Column, TEditButtonEh* Button, bool Accept,
                   TCustomForm* DropDownForm, TDynVarsEh* DynParams)>;

// What a control placed inside a data cell (an edit button, a cell button) offers the grid: its
// painting there and its mouse events. The coordinates are those of the control's place in the cell.
class IInCellControlEh {
 public:
  virtual ~IInCellControlEh() = default;
  // True: a press opens the cell editor, which takes the press; false: the control handles it itself.
  virtual bool InCellMouseDownShowsEditor() = 0;
  virtual void InCellReset(TInCellPlaceBoxEh* box) = 0;
  virtual void DrawInCell(TCustomDBAxisGridEh* grid, TCanvas* canvas, TGridCoord cell, TInCellPlaceBoxEh* box,
                          const TRect& cellRect, TAxisBarEh* bar) = 0;
  virtual void InCellMouseDown(TCustomDBAxisGridEh* grid, TGridCoord cell, Integer x, Integer y,
                               TShiftState shift, TMouseButton button, TInCellPlaceBoxEh* box) = 0;
  virtual void InCellMouseUp(TCustomDBAxisGridEh* grid, TGridCoord cell, Integer x, Integer y,
                             TShiftState shift, TMouseButton button, TInCellPlaceBoxEh* box) = 0;
  virtual void InCellMouseMove(TCustomDBAxisGridEh* grid, TGridCoord cell, Integer x, Integer y,
                               TShiftState shift, TInCellPlaceBoxEh* box) = 0;
};

// ---- Cell parameters ----

// What one data cell is drawn or edited with, handed through the cell-parameter hooks.
class TAxisColCellParamsEh : public TObject {
  KIV_CLASS(TAxisColCellParamsEh, TObject)
 public:
  TAxisColCellParamsEh() = default;
  bool ImageIsLink = false;
  bool TextIsLink = false;
  TAlignment Alignment = taLeftJustify;
  TColor Background = clWindow;
  bool BlankCell = false;
  bool CellBackgroundDrawnByThemed = false;
  TCheckBoxState CheckboxState = cbUnchecked;
  Integer Col = 0;
  bool DrawCellByThemes = false;
  TFont* Font = nullptr;
  bool Highlight = false;
  TImageIndex ImageIndex = -1;
  bool IsCellFilled = false;
  bool ReadOnly = false;
  Integer Row = 0;
  TGridDrawState State;
  bool SuppressActiveCellColor = false;
  String Text;
  bool TextEditing = true;
  TRect GetCellRect() const { return cellRect_; }
  bool GetThe3DRect() const { return the3DRect_; }
  Integer GetXFrameOffs() const { return xFrameOffs_; }
  Integer GetYFrameOffs() const { return yFrameOffs_; }
  Integer GetAxisBarIndex() const { return axisBarIndex_; }

 private:
  friend class TCustomDBAxisGridEh;
  friend class TAxisBarEh;
  TRect cellRect_;
  bool the3DRect_ = false;
  Integer xFrameOffs_ = 0, yFrameOffs_ = 0;
  Integer axisBarIndex_ = -1;
};

// A data hint: the cell's whole text where the cell shows only part of it, or an edit button's hint.
class TDBAxisGridDataHintParamsEh : public TObject {
  KIV_CLASS(TDBAxisGridDataHintParamsEh, TObject)
 public:
  TDBAxisGridDataHintParamsEh() = default;
  TPoint HintPos;
  Integer HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TFont* HintFont = nullptr;
  TRect CursorRect{0, 0, 0, 0};
  Integer ReshowTimeout = 0;
  Integer HideTimeout = 0;
  String HintStr;
  TEditButtonEh* EditButtonControl = nullptr;
};

// The bars of a list do not belong to it.
class TAxisBarsEhList : public TObject {
  KIV_CLASS(TAxisBarsEhList, TObject)
 public:
  TAxisBarsEhList() = default;
  Integer GetCount() const { return static_cast<Integer>(bars_.size()); }
  TAxisBarEh* GetAxisBar(Integer index) const { return bars_.at(static_cast<size_t>(index)); }
  void SetAxisBar(Integer index, TAxisBarEh* bar) { bars_.at(static_cast<size_t>(index)) = bar; }
  void Add(TAxisBarEh* bar) { bars_.push_back(bar); }
  void Clear() { bars_.clear(); }
  void Remove(TAxisBarEh* bar) { std::erase(bars_, bar); }
  Integer IndexOf(TAxisBarEh* bar) const;

 private:
  std::vector<TAxisBarEh*> bars_;
};

// ---- Data link ----

class TAxisGridDataLinkEh : public TDataLink {
  KIV_CLASS(TAxisGridDataLinkEh, TDataLink)
 public:
  explicit TAxisGridDataLinkEh(TCustomDBAxisGridEh* grid);
  ~TAxisGridDataLinkEh() override;

  TCustomDBAxisGridEh* GetGrid() const { return grid_; }
  Integer GetFieldCount() const { return fieldCount_; }
  bool GetSparseMap() const { return sparseMap_; }
  void SetSparseMap(bool value) { sparseMap_ = value; }
  bool GetDefaultFields() const;
  TField* GetFields(Integer index) const;
  bool GetModified() const { return modified_; }
  TDataSetState GetLastDataSetState() const { return lastDataSetState_; }
  const TBookmark& GetLastBookmark() const { return lastBookmark_; }
  Integer GetFieldMapSize() const { return fieldMapSize_; }
  bool InUpdateData() const { return inUpdateData_; }
  void SetInUpdateData(bool value) { inUpdateData_ = value; }

  bool AddMapping(const String& fieldName);
  void ClearMapping();
  Integer MappedFieldIndex(Integer barIndex) const;
  void Modified() { modified_ = true; }
  void Reset();

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(int distance) override;
  void LayoutChanged() override;
  void FocusControl(TField** field) override;
  void EditingChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;
  void CheckBrowseMode() override;

 private:
  void StoreBookmark();
  Integer fieldCount_ = 0;
  std::vector<Integer> fieldMap_;
  Integer fieldMapSize_ = 0;
  TCustomDBAxisGridEh* grid_;
  bool inUpdateData_ = false;
  bool sparseMap_ = false;
  bool modified_ = false;
  TBookmark lastBookmark_;
  TDataSetState lastDataSetState_ = dsInactive;
};

// ---- Bar defaults and drop-down box settings ----

class TAxisBarDefValuesEh;

class TAxisBarCaptionDefValuesEh : public TPersistent {
  KIV_CLASS(TAxisBarCaptionDefValuesEh, TPersistent)
 public:
  static void Published(TPropBuilder<TAxisBarCaptionDefValuesEh>& p);
  explicit TAxisBarCaptionDefValuesEh(TAxisBarDefValuesEh* columnDefValues);
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;

  TAxisBarCaptionDefValuesEhValues GetAssignedValues() const { return assignedValues_; }
  TAlignment GetAlignment() const;
  void SetAlignment(TAlignment value);
  TColor GetColor() const;
  void SetColor(TColor value);
  bool GetEndEllipsis() const { return endEllipsis_; }
  void SetEndEllipsis(bool value);
  TTextOrientationEh GetOrientation() const { return orientation_; }
  void SetOrientation(TTextOrientationEh value);
  bool GetTitleButton() const { return titleButton_; }
  void SetTitleButton(bool value) { titleButton_ = value; }
  bool GetToolTips() const { return toolTips_; }
  void SetToolTips(bool value) { toolTips_ = value; }
  TCustomDBAxisGridEh* GetGrid() const;

 private:
  bool IsAlignmentStored() const;
  bool IsColorStored() const;
  TAlignment alignment_ = taLeftJustify;
  TAxisBarCaptionDefValuesEhValues assignedValues_;
  TColor color_ = clBtnFace;
  TAxisBarDefValuesEh* columnDefValues_;
  bool endEllipsis_ = false;
  TTextOrientationEh orientation_ = tohHorizontal;
  bool titleButton_ = false;
  bool toolTips_ = false;
};

class TAxisBarDefValuesEh : public TPersistent {
  KIV_CLASS(TAxisBarDefValuesEh, TPersistent)
 public:
  explicit TAxisBarDefValuesEh(TCustomDBAxisGridEh* grid);
  ~TAxisBarDefValuesEh() override;
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;

  TCustomDBAxisGridEh* GetGrid() const { return grid_; }
  bool GetAlwaysShowEditButton() const { return alwaysShowEditButton_; }
  void SetAlwaysShowEditButton(bool value);
  bool GetAutoDropDown() const { return autoDropDown_; }
  void SetAutoDropDown(bool value) { autoDropDown_ = value; }
  bool GetDblClickNextVal() const { return dblClickNextVal_; }
  void SetDblClickNextVal(bool value) { dblClickNextVal_ = value; }
  bool GetDropDownShowTitles() const { return dropDownShowTitles_; }
  void SetDropDownShowTitles(bool value) { dropDownShowTitles_ = value; }
  bool GetDropDownSizing() const { return dropDownSizing_; }
  void SetDropDownSizing(bool value) { dropDownSizing_ = value; }
  TEditButtonDrawBackTimeEh GetEditButtonDrawBackTime() const { return editButtonDrawBackTime_; }
  void SetEditButtonDrawBackTime(TEditButtonDrawBackTimeEh value);
  bool GetEndEllipsis() const { return endEllipsis_; }
  void SetEndEllipsis(bool value);
  bool GetHighlightRequired() const { return highlightRequired_; }
  void SetHighlightRequired(bool value);
  TTextLayout GetLayout() const { return layout_; }
  void SetLayout(TTextLayout value);
  TAxisBarCaptionDefValuesEh* GetTitle() const { return title_.get(); }
  void SetTitle(TAxisBarCaptionDefValuesEh* value) { title_->Assign(value); }
  bool GetToolTips() const { return toolTips_; }
  void SetToolTips(bool value) { toolTips_ = value; }

  virtual TAxisBarCaptionDefValuesEh* CreateTitleDefValues();

 protected:
  void InitTitle();
  void InvalidateGrid();

 private:
  bool alwaysShowEditButton_ = false;
  bool autoDropDown_ = false;
  bool dblClickNextVal_ = false;
  bool dropDownShowTitles_ = false;
  bool dropDownSizing_ = false;
  TEditButtonDrawBackTimeEh editButtonDrawBackTime_ = edbtAlwaysEh;
  bool endEllipsis_ = false;
  TCustomDBAxisGridEh* grid_;
  bool highlightRequired_ = false;
  TTextLayout layout_ = tlTop;
  std::unique_ptr<TAxisBarCaptionDefValuesEh> title_;
  bool toolTips_ = false;
};

// The published form of the bar defaults.
class TCustomColumnDefValuesEh : public TAxisBarDefValuesEh {
  KIV_CLASS(TCustomColumnDefValuesEh, TAxisBarDefValuesEh)
 public:
  static void Published(TPropBuilder<TCustomColumnDefValuesEh>& p);
  explicit TCustomColumnDefValuesEh(TCustomDBAxisGridEh* grid) : TAxisBarDefValuesEh(grid) {}
};

class TColumnFooterDefValuesEh : public TPersistent {
  KIV_CLASS(TColumnFooterDefValuesEh, TPersistent)
 public:
  static void Published(TPropBuilder<TColumnFooterDefValuesEh>& p);
  TColumnFooterDefValuesEh() = default;
  void Assign(TPersistent* source) override;
  bool ToolTips = false;
};

// The owner side of a drop-down box: the bar, or a lookup combo box.
class ILookupGridOwner : public IInterface {
 public:
  virtual void ListSourceChanged(TDataSource* source) = 0;
  virtual TCustomDBAxisGridEh* GetLookupGrid() = 0;
  virtual Integer GetLookupGridOptions() = 0;
  virtual void SetLookupGridOptions(Integer options) = 0;
};

// The settings of a bar's drop-down list box.
class TColumnDropDownBoxEh : public TPersistent {
  KIV_CLASS(TColumnDropDownBoxEh, TPersistent)
 public:
  static void Published(TPropBuilder<TColumnDropDownBoxEh>& p);
  explicit TColumnDropDownBoxEh(TPersistent* owner);
  ~TColumnDropDownBoxEh() override;
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }
  String GetNamePath() const override;

  TDropDownAlign GetAlign() const { return align_; }
  void SetAlign(TDropDownAlign value) { align_ = value; }
  bool GetAutoDrop() const { return autoDrop_; }
  void SetAutoDrop(bool value) { autoDrop_ = value; }
  bool GetAutoFitColWidths() const { return autoFitColWidths_; }
  void SetAutoFitColWidths(bool value) { autoFitColWidths_ = value; }
  const String& GetListFieldNames() const { return listFieldNames_; }
  void SetListFieldNames(const String& value) { listFieldNames_ = value; }
  TDataSource* GetListSource() const { return listSource_; }
  void SetListSource(TDataSource* value);
  bool GetListSourceAutoFilter() const { return listSourceAutoFilter_; }
  void SetListSourceAutoFilter(bool value) { listSourceAutoFilter_ = value; }
  TLSAutoFilterTypeEh GetListSourceAutoFilterType() const { return listSourceAutoFilterType_; }
  void SetListSourceAutoFilterType(TLSAutoFilterTypeEh value) { listSourceAutoFilterType_ = value; }
  Integer GetRowHeight() const { return rowHeight_; }
  void SetRowHeight(Integer value) { rowHeight_ = value; }
  Integer GetRowLines() const { return rowLines_; }
  void SetRowLines(Integer value) { rowLines_ = value; }
  Integer GetRows() const { return rows_; }
  void SetRows(Integer value) { rows_ = value; }
  bool GetShowTitles() const { return showTitles_; }
  void SetShowTitles(bool value) { showTitles_ = value; }
  bool GetSizable() const { return sizable_; }
  void SetSizable(bool value) { sizable_ = value; }
  TSpecRowEh* GetSpecRow() const { return specRow_.get(); }
  void SetSpecRow(TSpecRowEh* value) { specRow_->Assign(value); }
  bool GetUseMultiTitle() const { return useMultiTitle_; }
  void SetUseMultiTitle(bool value) { useMultiTitle_ = value; }
  Integer GetWidth() const { return width_; }
  void SetWidth(Integer value) { width_ = value; }
  Integer GetOptions() const;
  void SetOptions(Integer value);

  // The first of the list field names.
  String GetActualListField() const;
  // What a LIKE filter of the list dataset takes for "any characters".
  String GetLikeWildcardForSeveralCharacters() const;

 private:
  TDropDownAlign align_ = daLeft;
  bool autoDrop_ = false;
  bool autoFitColWidths_ = true;
  String listFieldNames_;
  TDataSource* listSource_ = nullptr;
  bool listSourceAutoFilter_ = false;
  TLSAutoFilterTypeEh listSourceAutoFilterType_ = lsftBeginsWithEh;
  TPersistent* owner_;
  Integer rowHeight_ = 0, rowLines_ = 0, rows_ = 0;
  bool showTitles_ = false;
  bool sizable_ = false;
  std::unique_ptr<TSpecRowEh> specRow_;
  bool useMultiTitle_ = false;
  Integer width_ = 0;
};

// ---- Bar title and the bar's edit buttons ----

class TAxisBarTitleEh : public TPersistent {
  KIV_CLASS(TAxisBarTitleEh, TPersistent)
 public:
  static void Published(TPropBuilder<TAxisBarTitleEh>& p);
  explicit TAxisBarTitleEh(TAxisBarEh* bar);
  ~TAxisBarTitleEh() override;
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;

  TAxisBarEh* GetAxisBar() const { return bar_; }
  TAlignment GetAlignment() const;
  void SetAlignment(TAlignment value);
  String GetCaption() const;
  void SetCaption(const String& value);
  TColor GetColor() const;
  void SetColor(TColor value);
  TFont* GetFont();
  void SetFont(TFont* value);
  bool GetEndEllipsis() const;
  void SetEndEllipsis(bool value);
  TTextOrientationEh GetOrientation() const;
  void SetOrientation(TTextOrientationEh value);
  bool GetTitleButton() const;
  void SetTitleButton(bool value);
  bool GetToolTips() const;
  void SetToolTips(bool value);
  const String& GetHint() const { return hint_; }
  void SetHint(const String& value) { hint_ = value; }
  TPopupMenu* GetPopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* value) { popupMenu_ = value; }

  virtual String DefaultCaption() const;
  virtual TAlignment DefaultAlignment() const;
  virtual TColor DefaultColor() const;
  virtual TFont* DefaultFont() const;
  virtual bool DefaultEndEllipsis() const;
  virtual TTextOrientationEh DefaultOrientation() const;
  virtual bool DefaultTitleButton() const;
  virtual bool DefaultToolTips() const;
  virtual void RestoreDefaults();
  // Keeps the own font equal to the default while it is not assigned.
  void RefreshDefaultFont();

 private:
  bool Has(TAxisBarEhValue v) const;
  void Add(TAxisBarEhValue v);
  void FontChanged(TObject* sender);
  bool IsCaptionStored() const;
  bool IsColorStored() const;
  bool IsAlignmentStored() const;
  bool IsFontStored() const;
  TAlignment alignment_ = taLeftJustify;
  TAxisBarEh* bar_;
  String caption_;
  TColor color_ = clBtnFace;
  bool endEllipsis_ = false;
  std::unique_ptr<TFont> font_;
  String hint_;
  TTextOrientationEh orientation_ = tohHorizontal;
  TPopupMenu* popupMenu_ = nullptr;
  bool titleButton_ = false;
  bool toolTips_ = false;
  bool fontSyncing_ = false;
};

// The bar's main drop-down button; its style follows the bar's button style.
class TAxisBarMainEditButtonEh : public TEditButtonEh, public IInCellControlEh {
  KIV_CLASS(TAxisBarMainEditButtonEh, TEditButtonEh)
 public:
  TAxisBarMainEditButtonEh(TAxisBarEh* bar);
  // Shown in a cell, a press opens the cell editor, whose own button takes it.
  bool InCellMouseDownShowsEditor() override { return true; }
  void InCellReset(TInCellPlaceBoxEh*) override {}
  void DrawInCell(TCustomDBAxisGridEh* grid, TCanvas* canvas, TGridCoord cell, TInCellPlaceBoxEh* box,
                  const TRect& cellRect, TAxisBarEh* bar) override;
  void InCellMouseDown(TCustomDBAxisGridEh*, TGridCoord, Integer, Integer, TShiftState, TMouseButton,
                       TInCellPlaceBoxEh*) override {}
  void InCellMouseUp(TCustomDBAxisGridEh*, TGridCoord, Integer, Integer, TShiftState, TMouseButton,
                     TInCellPlaceBoxEh*) override {}
  void InCellMouseMove(TCustomDBAxisGridEh*, TGridCoord, Integer, Integer, TShiftState,
                       TInCellPlaceBoxEh*) override {}
  TAxisBarEh* GetAxisBar() const { return bar_; }
  TDropDownFormCallParamsEh* CreateDropDownFormParams() override;
  TCellButtonStyleEh GetButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TCellButtonStyleEh value);
  // The button shows in the cell editor when the bar's style or edit style asks for a button.
  bool GetVisible() const override;

 private:
  TAxisBarEh* bar_;
  TCellButtonStyleEh buttonStyle_ = TCellButtonStyleEh::cbsAuto;
};

class TAxisBarEditButtonsEh : public TEditButtonsEh {
  KIV_CLASS(TAxisBarEditButtonsEh, TEditButtonsEh)
 public:
  TAxisBarEditButtonsEh(TAxisBarEh* bar, TClass itemClass);
};

// ---- The bar ----

class TAxisBarEh : public TCollectionItem, public IEditButtonsOwnerEh, public ILookupDataOwnerEh {
  KIV_CLASS(TAxisBarEh, TCollectionItem)
 public:
  static void Published(TPropBuilder<TAxisBarEh>& p);
  explicit TAxisBarEh(TCollection* collection);
  ~TAxisBarEh() override;
  void Assign(TPersistent* source) override;
  String GetDisplayName() const override;

  // IEditButtonsOwnerEh
  TEditButtonDrawBackTimeEh GetEditButtonDrawBackTime() override;
  // ILookupDataOwnerEh
  TField* GetLookupOwnerField() override { return GetField(); }
  TDataSource* GetLookupOwnerDataSource() override;
  TComponent* GetLookupOwnerComponent() override;
  TDBLookupDataEh* GetLookupParams() const { return lookupParams_.get(); }
  void SetLookupParams(TDBLookupDataEh* value) { lookupParams_->Assign(value); }
  virtual TDBLookupDataEh* CreateLookupParams();

  TCustomDBAxisGridEh* GetGrid() const { return grid_; }
  TAxisBarEhValues GetAssignedValues() const { return assignedValues_; }
  TAxisBarEhValues& AssignedValuesRef() { return assignedValues_; }

  // ---- Assigned-value properties ----
  TAlignment GetAlignment() const;
  virtual void SetAlignment(TAlignment value);
  bool GetAlignmentStored() const { return assignedValues_.Contains(cvAlignment); }
  void SetAlignmentStored(bool value);
  TColor GetColor() const;
  void SetColor(TColor value);
  TFont* GetFont();
  void SetFont(TFont* value);
  bool GetReadOnly() const;
  virtual void SetReadOnly(bool value);
  TImeMode GetImeMode() const;
  virtual void SetImeMode(TImeMode value);
  String GetImeName() const;
  virtual void SetImeName(const String& value);
  bool GetWordWrap() const;
  virtual void SetWordWrap(bool value);
  String GetLookupDisplayFields() const;
  virtual void SetLookupDisplayFields(const String& value);
  bool GetCheckboxes() const;
  void SetCheckboxes(bool value);
  bool GetAlwaysShowEditButton() const;
  void SetAlwaysShowEditButton(bool value);
  bool GetEndEllipsis() const;
  void SetEndEllipsis(bool value);
  bool GetAutoDropDown() const;
  void SetAutoDropDown(bool value);
  bool GetDblClickNextVal() const;
  void SetDblClickNextVal(bool value);
  bool GetToolTips() const;
  void SetToolTips(bool value);
  bool GetDropDownSizing() const;
  void SetDropDownSizing(bool value);
  bool GetDropDownShowTitles() const;
  void SetDropDownShowTitles(bool value);
  TTextLayout GetLayout() const;
  void SetLayout(TTextLayout value);
  bool GetHighlightRequired() const;
  virtual void SetHighlightRequired(bool value);
  TBiDiMode GetBiDiMode() const;
  void SetBiDiMode(TBiDiMode value);
  bool GetTextEditing() const;
  void SetTextEditing(bool value);
  bool GetLimitTextToListValues() const;
  void SetLimitTextToListValues(bool value);
  bool GetLimitTextToListValuesStored() const { return limitTextToListValuesStored_; }
  void SetLimitTextToListValuesStored(bool value);

  // ---- Plain properties ----
  TCellButtonStyleEh GetButtonStyle() const;
  void SetButtonStyle(TCellButtonStyleEh value);
  bool GetCaseInsensitiveTextSearch() const { return caseInsensitiveTextSearch_; }
  void SetCaseInsensitiveTextSearch(bool value) { caseInsensitiveTextSearch_ = value; }
  bool GetCellDataIsLinkProp() const { return cellDataIsLink_; }
  void SetCellDataIsLinkProp(bool value) { cellDataIsLink_ = value; }
  const String& GetDisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const String& value);
  const String& GetEditMask() const { return editMask_; }
  void SetEditMask(const String& value);
  TColumnDropDownBoxEh* GetDropDownBox() const { return dropDownBox_.get(); }
  void SetDropDownBox(TColumnDropDownBoxEh* value) { dropDownBox_->Assign(value); }
  Cardinal GetDropDownRows() const { return dropDownRows_; }
  void SetDropDownRows(Cardinal value) { dropDownRows_ = value; }
  TSpecRowEh* GetDropDownSpecRow() const { return dropDownSpecRow_.get(); }
  void SetDropDownSpecRow(TSpecRowEh* value) { dropDownSpecRow_->Assign(value); }
  Integer GetDropDownWidth() const { return dropDownWidth_; }
  void SetDropDownWidth(Integer value);
  TDynVarsEh* GetDynProps() const { return dynProps_.get(); }
  void SetDynProps(TDynVarsEh* value) { dynProps_->Assign(value); }
  TAxisBarMainEditButtonEh* GetEditButton() const { return editButton_.get(); }
  void SetEditButton(TAxisBarMainEditButtonEh* value) { editButton_->Assign(value); }
  TAxisBarEditButtonsEh* GetEditButtons() const { return editButtons_.get(); }
  void SetEditButtons(TAxisBarEditButtonsEh* value) { editButtons_->Assign(value); }
  // The buttons drawn inside every data cell of the bar.
  TCellButtonsEh* GetCellButtons() const { return cellButtons_.get(); }
  void SetCellButtons(TCellButtonsEh* value);
  TDropDownFormCallParamsEh* GetDropDownFormParams() const { return editButton_->GetDropDownFormParams(); }
  const String& GetFieldName() const { return fieldName_; }
  void SetFieldName(const String& value);
  TCustomImageList* GetImageList() const { return imageList_; }
  void SetImageList(TCustomImageList* value);
  Extended GetIncrement() const { return increment_; }
  void SetIncrement(Extended value) { increment_ = value; }
  TStrings* GetKeyList();
  void SetKeyList(TStrings* value);
  bool HasKeyListItems() const { return keyList_ && keyList_->GetCount() > 0; }
  TMRUListEh* GetMRUList() const { return mruList_.get(); }
  void SetMRUList(TMRUListEh* value) { mruList_->Assign(value); }
  Integer GetNotInKeyListIndex() const { return notInKeyListIndex_; }
  void SetNotInKeyListIndex(Integer value);
  TStrings* GetPickList();
  void SetPickList(TStrings* value);
  bool HasPickListItems() const { return pickList_ && pickList_->GetCount() > 0; }
  TPopupMenu* GetPopupMenuProp() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* value);
  bool GetShowImageAndText() const { return showImageAndText_; }
  void SetShowImageAndText(bool value);
  Integer GetTag() const { return tag_; }
  void SetTag(Integer value) { tag_ = value; }
  TAxisBarTitleEh* GetTitle() const { return title_.get(); }
  void SetTitle(TAxisBarTitleEh* value) { title_->Assign(value); }
  bool GetVisible() const { return visible_; }
  void SetVisible(bool value);
  String GetName() const;
  bool GetStored() const { return stored_; }
  void SetStored(bool value) { stored_ = value; }
  Integer GetInplaceEditorButtonHeightValue() const { return inplaceEditorButtonHeight_; }
  void SetInplaceEditorButtonHeight(Integer value) { inplaceEditorButtonHeight_ = value; }
  bool GetEditButtonPressed() const;
  void SetEditButtonPressed(bool value);

  TField* GetFieldProp() const { return const_cast<TAxisBarEh*>(this)->GetField(); }
  void SetIndex(int value) override;

  // ---- Virtual operations ----
  virtual TRect GetEditButtonsBoxRect(const TRect& cellRect) { return cellRect; }
  virtual Integer CalcEditButtonHeight();
  virtual TEditButtonEh* CreateEditButton();
  virtual TAxisBarEditButtonsEh* CreateEditButtons();
  virtual TAxisBarMainEditButtonEh* CreateMainEditButton();
  virtual TAxisBarTitleEh* CreateTitle();
  // A descendant's constructor makes its own title: the base constructor could only make the base one.
  void InitTitle() { title_.reset(CreateTitle()); }
  virtual TField* GetField();
  virtual Integer GetInplaceEditorButtonHeight() { return inplaceEditorButtonHeight_; }
  virtual Integer GetInplaceEditorButtonWidth();
  virtual bool CanShowEditButton() { return GetAlwaysShowEditButton(); }
  virtual bool InCellButtonsBoxVisible();
  virtual Integer EditButtonWidth(TEditButtonEh* button);
  // What the cell buttons placed left and right take off the cell editor.
  virtual Integer GetCellEditorLeftMargin();
  virtual Integer GetCellEditorRightMargin();
  // The current cell's button box of a bar that shows no text editor: placed, laid out and wired.
  virtual void PlaceInCellEditButtons(TEditButtonsBoxEh* box, const TRect& rect);
  virtual void LayoutInCellEditButtons(TEditButtonsBoxEh* box, const TRect& rect);
  virtual void UpdateInCellEditButtonsState(TEditButtonsBoxEh* box);
  virtual void InCellEditButtonClick(TObject* sender);
  virtual void InCellEditButtonDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled);
  virtual bool IsDefaultBar() const { return !stored_; }
  virtual void CellDataLinkClick();
  virtual void Changed(bool allItems);
  virtual void FontChanged(TObject* sender);
  void LookupParamsChanged() override;
  virtual void DataFieldChanged(TField* /*field*/) {}
  virtual void SetField(TField* value);
  virtual void SetTextArea(const TRect& rect);
  virtual Variant GetVarValue();
  virtual void SetVarValue(const Variant& value);
  virtual TImeMode DefaultImeMode() const;
  virtual String DefaultImeName() const;
  virtual Integer CalcRowHeight() { return 0; }
  virtual bool CurLineWordWrap(Integer rowHeight);
  virtual TAlignment DefaultAlignment() const;
  virtual TColor DefaultColor() const;
  virtual TFont* DefaultFont() const;
  virtual bool DefaultReadOnly() const;
  virtual String DisplayText();
  virtual Integer EditButtonsWidth();
  virtual String EditText();
  virtual Variant EditValue();
  virtual TAxisBarEhType GetBarType();
  virtual Integer GetCellHeight(Integer row);
  virtual Integer GetDataCellHorzOffset() { return 3; }
  virtual String GetDropDownBoxListField();
  virtual Integer GetImageIndex();
  virtual TPopupMenu* GetPopupMenu();
  virtual TPopupMenu* GetSystemPopupMenu();
  virtual void FormSystemPopupMenu(TPopupMenu* menu);
  virtual void LoadFromFileDialog();
  virtual void SaveToFileDialog();
  virtual String GetTextValue(bool isDisplayText) { return isDisplayText ? DisplayText() : EditText(); }
  virtual bool GetCellDataIsLink();
  virtual bool GetCellImageIsLink();
  virtual bool UseRightToLeftAlignment();
  virtual bool UseRightToLeftReading();
  virtual void BindField();
  virtual void ClearValue();
  virtual void CopyValueToClipboard();
  virtual void CutValueToClipboard();
  virtual void DropDownBoxApplyTextFilter(TDataSet* dataSet, const String& fieldName,
                                          TLSAutoFilterTypeEh operation, const String& filterText);
  virtual void GetColCellParams(bool editMode, TAxisColCellParamsEh* params);
  virtual void PasteValueFromClipboard();
  virtual void RestoreDefaults();

  // ---- Values ----
  bool CanModify(bool tryEdit);
  bool CanEditValue();
  bool CanEditAcceptKey(Char key);
  String GetAcceptableEditText(const String& inputEditText);
  void FillColCellParams(TAxisColCellParamsEh* params);
  Integer LocatePickList(const String& str, bool partialKey);
  void DefaultDropDownBoxApplyTextFilter(TDataSet* dataSet, const String& fieldName,
                                         TLSAutoFilterTypeEh operation, const String& filterText);
  void SetValueAsText(const String& value);
  void SetValueAsVariant(const Variant& value);
  void UpdateDataValues(const String& text, const Variant& value, bool useText);
  TCheckBoxState GetCheckboxState();
  void SetCheckboxState(TCheckBoxState value);
  void SetNextFieldValue(Extended increment);
  String GetInplaceEditMask();
  String GetInplaceEditText();
  bool GetEffectiveTextEditing();
  // The text of the field in the display format given, the field's own display text without one.
  static String FormatFieldDisplayText(TField* field, const String& format);
  // The dataset the bar's list drop-down shows, or nil.
  TDataSet* GetListDataSet() const;
  bool LookupActive() const { return lookupParams_ && lookupParams_->GetLookupActive(); }
  bool LookupIsSetUp() const { return lookupParams_ && lookupParams_->GetLookupIsSetUp(); }
  // The owned drop-down data-list box, made through the registered factory on first request.
  TCustomForm* GetDataListBox();
  TCustomForm* GetDataListBoxIfExists() const { return dataListBox_; }

  // A drop-down form opens read-only when the bar cannot change its field, or when the record is not
  // being edited and the data source does not start an edit by itself.
  void CheckDropDownReadOnly(bool& readOnly);

  TColCellUpdateDataEventEh OnUpdateData;
  TNotInListEventEh OnNotInList;
  TAxisBarNotifyEventEh OnCellDataLinkClick;
  TDBAxisGridShowDropDownFormEventEh OnOpenDropDownForm;
  TDBAxisGridCloseDropDownFormEventEh OnCloseDropDownForm;

 protected:
  void SetCollection(TCollection* collection) override;
  bool IsFontStored() const { return assignedValues_.Contains(cvFont); }
  bool IsColorStored() const;
  bool IsReadOnlyStored() const;
  bool IsIncrementStored() const { return increment_ != 1.0L; }
  // A derived bar's constructor calls it: the base constructor's virtual call made the base kind of
  // lookup settings.
  void InitLookupParams();

 public:
  // Keeps the own font equal to the default while it is not assigned.
  void RefreshDefaultFont();

 private:
  friend class TAxisBarTitleEh;
  friend class TCustomDBAxisGridEh;
  bool KeyListLineMatches(Integer line, const String& text) const;
  void ImageListChange(TObject* sender);
  template <class T>
  void SetAssigned(T& field, T value, TAxisBarEhValue member, T def);

  TAlignment alignment_ = taLeftJustify;
  TAxisBarEhValues assignedValues_;
  TBiDiMode biDiMode_ = bdLeftToRight;
  bool caseInsensitiveTextSearch_ = true;
  bool checkboxes_ = false;
  TColor color_ = clWindow;
  bool dblClickNextVal_ = false;
  String displayFormat_;
  std::unique_ptr<TColumnDropDownBoxEh> dropDownBox_;
  Cardinal dropDownRows_ = 7;
  bool dropDownShowTitles_ = false;
  bool dropDownSizing_ = false;
  std::unique_ptr<TSpecRowEh> dropDownSpecRow_;
  std::unique_ptr<TDynVarsEh> dynProps_;
  std::unique_ptr<TAxisBarMainEditButtonEh> editButton_;
  std::unique_ptr<TAxisBarEditButtonsEh> editButtons_;
  std::unique_ptr<TCellButtonsEh> cellButtons_;
  String editMask_;
  String fieldName_;
  std::unique_ptr<TFont> font_;
  TCustomDBAxisGridEh* grid_ = nullptr;
  bool highlightRequired_ = false;
  std::unique_ptr<TChangeLink> imageChangeLink_;
  TCustomImageList* imageList_ = nullptr;
  Extended increment_ = 1.0L;
  TImeMode imeMode_ = imDontCare;
  String imeName_;
  std::unique_ptr<TStringList> keyList_;
  TTextLayout layout_ = tlTop;
  bool limitTextToListValues_ = false;
  bool limitTextToListValuesStored_ = false;
  String lookupDisplayFields_;
  std::unique_ptr<TMRUListEh> mruList_;
  Integer notInKeyListIndex_ = -1;
  std::unique_ptr<TStringList> pickList_;
  TPopupMenu* popupMenu_ = nullptr;
  bool readonly_ = false;
  bool showImageAndText_ = false;
  bool stored_ = true;
  Integer tag_ = 0;
  bool textEditing_ = true;
  std::unique_ptr<TAxisBarTitleEh> title_;
  bool toolTips_ = false;
  bool visible_ = true;
  bool cellDataIsLink_ = false;
  bool alwaysShowEditButton_ = false;
  bool autoDropDown_ = false;
  std::unique_ptr<TAxisColCellParamsEh> checkModifyColCellParams_;
  TCustomForm* dataListBox_ = nullptr;
  Integer dropDownWidth_ = 0;
  bool endEllipsis_ = false;
  Integer inplaceEditorButtonHeight_ = 0;
  bool wordWrap_ = false;
  TField* field_ = nullptr;
  bool fontSyncing_ = false;
  std::unique_ptr<TDBLookupDataEh> lookupParams_;
  std::unique_ptr<TPopupMenu> systemPopupMenu_;
};

// The column base that concrete grids' columns derive from; the widths are theirs to supply.
class TBaseColumnEh : public TAxisBarEh {
  KIV_CLASS(TBaseColumnEh, TAxisBarEh)
 public:
  explicit TBaseColumnEh(TCollection* collection) : TAxisBarEh(collection) {}
  virtual bool GetAutoFitColWidth() const;
  virtual Integer GetWidth() const;
  virtual Integer GetMinWidth() const;
  virtual Integer GetMaxWidth() const;
  virtual void SetAutoFitColWidth(bool value);
  virtual void SetMaxWidth(Integer value);
  virtual void SetMinWidth(Integer value);
  virtual void SetWidth(Integer value);
};

// The factory that makes a bar's data-list drop-down box; a higher library sets it.
using TDataListBoxFactoryEh = std::function<TCustomForm*(TAxisBarEh* bar)>;
void SetDataListBoxFactoryEh(TDataListBoxFactoryEh factory);
TDataListBoxFactoryEh GetDataListBoxFactoryEh();

// ---- The bar collection ----

class TGridAxisBarsEh : public TCollection {
  KIV_CLASS(TGridAxisBarsEh, TCollection)
 public:
  TGridAxisBarsEh(TCustomDBAxisGridEh* grid, TClass barClass);
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;

  TCustomDBAxisGridEh* GetGrid() const { return grid_; }
  TAxisBarEh* GetAxisBar(Integer index) const { return static_cast<TAxisBarEh*>(GetItem(index)); }
  void SetAxisBar(Integer index, TAxisBarEh* value) { GetItem(index)->Assign(value); }
  TDBGridBarsState GetState() const;
  void SetState(TDBGridBarsState value);

  TAxisBarEh* Add() { return static_cast<TAxisBarEh*>(TCollection::Add()); }
  TAxisBarEh* AddDefaultBar();
  void AddAllBars(bool deleteExisting);
  void RebuildBars() { AddAllBars(true); }
  void RestoreDefaults();
  TAxisBarEh* FindBarByName(const String& columnName) const;
  void GetBarNames(TStrings* list) const;
  bool CheckItemInList(TObject* axisBar) const;
  static Integer CollectionUpdateCount(TCollection* collection) { return collection->GetUpdateCount(); }
  void SaveToStream(TStream* s);
  void LoadFromStream(TStream* s);
  void SaveToFile(const String& fileName);
  void LoadFromFile(const String& fileName);

  virtual bool KeepBarsOnLayout() { return true; }
  virtual bool BarsFollowFields() { return GetState() == csDefault; }
  virtual void BarListChanged(TAxisBarEh* /*bar*/, Integer /*kind*/) {}
  virtual void ActiveChanged();

 protected:
  void Notify(TCollectionItem* item, TCollectionNotification action) override;
  void Update(TCollectionItem*) override {}

 private:
  TCustomDBAxisGridEh* grid_;
};

// The carrier of the bars' stream form.
class TColumnsWrapper : public TComponent {
  KIV_CLASS(TColumnsWrapper, TComponent)
 public:
  static void Published(TPropBuilder<TColumnsWrapper>& p);
  explicit TColumnsWrapper(TComponent* owner) : TComponent(owner) {}
  TGridAxisBarsEh* GetAxisBars() const { return axisBars_; }
  void SetAxisBars(TGridAxisBarsEh* value);
  void SetAxisBarsRef(TGridAxisBarsEh* value) { axisBars_ = value; }

 private:
  TGridAxisBarsEh* axisBars_ = nullptr;
};

// ---- The grid ----

class TCustomDBAxisGridEh : public TCustomGridEh {
  KIV_CLASS(TCustomDBAxisGridEh, TCustomGridEh)
 public:
  explicit TCustomDBAxisGridEh(TComponent* owner);
  ~TCustomDBAxisGridEh() override;

  // ---- Properties ----
  TDBGridEhAllowedOperations GetAllowedOperations() const { return allowedOperations_; }
  void SetAllowedOperations(TDBGridEhAllowedOperations value);
  TAxisBarDefValuesEh* GetAxisBarDefValues() const { return columnDefValues_.get(); }
  void SetAxisBarDefValues(TAxisBarDefValuesEh* value) { columnDefValues_->Assign(value); }
  TGridAxisBarsEh* GetAxisBars() const { return axisBars_.get(); }
  void SetAxisBars(TGridAxisBarsEh* value) { axisBars_->Assign(value); }
  TDataSource* GetDataSource() const;
  bool GetDefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool value) { defaultDrawing_ = value; }
  bool GetDrawGraphicData() const { return drawGraphicData_; }
  void SetDrawGraphicData(bool value);
  bool GetDrawMemoText() const { return drawMemoText_; }
  void SetDrawMemoText(bool value);
  TDynVarsEh* GetDynProps() const { return dynProps_.get(); }
  void SetDynProps(TDynVarsEh* value) { dynProps_->Assign(value); }
  TIncludeImageModulesEh GetIncludeImageModules() const { return includeImageModules_; }
  void SetIncludeImageModules(TIncludeImageModulesEh value) { includeImageModules_ = value; }
  bool GetReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  TField* GetSelectedField();
  void SetSelectedField(TField* value);
  Integer GetSelectedIndexProp() { return GetSelectedIndex(); }
  void SetSelectedIndexProp(Integer value) { SetSelectedIndex(value); }
  Integer GetFieldCount() const;
  TField* GetFields(Integer fieldIndex) const;
  TAxisBarEh* GetFieldAxisBars(const String& fieldName) const;
  TAxisGridDataLinkEh* GetDataLink() const { return dataLink_.get(); }
  TAxisBarsEhList* GetVisibleAxisBars() const { return visibleAxisBars_.get(); }
  TFont* GetDummiFont() const { return dummiFont_.get(); }
  Integer GetInterlinear() const { return interlinear_; }
  const String& GetEditTextValue() const { return editText_; }
  void SetEditTextValue(const String& value) { editText_ = value; }
  const Variant& GetEditKeyValue() const { return editKeyValue_; }
  void SetEditKeyValue(const Variant& value) { editKeyValue_ = value; }
  Integer GetUpdateLock() const { return updateLock_; }
  Integer GetLayoutLock() const { return layoutLock_; }
  bool GetLayoutFromDataset() const { return layoutFromDataset_; }
  void SetLayoutFromDataset(bool value) { layoutFromDataset_ = value; }
  Integer GetInplaceEditorButtonWidth() const { return inplaceEditorButtonWidth_; }
  bool GetAcquireFocus() const { return acquireFocus_; }
  void SetAcquireFocus(bool value) { acquireFocus_ = value; }
  TControlBorderEh* GetBorder() const { return border_.get(); }
  void SetBorder(TControlBorderEh* value);
  TPersistent* GetAxisBarOwner() const { return axisBarOwner_; }
  void SetAxisBarOwner(TPersistent* value) { axisBarOwner_ = value; }
  bool IsDestroying() const { return GetComponentState().Contains(csDestroying); }
  bool IsLoading() const { return GetComponentState().Contains(csLoading); }
  TDBAxisGridInplaceEdit* GetAxisInplaceEditor() const;
  Integer GetLayoutCount() const { return layoutCount_; }

  TNotifyEvent OnEditButtonClick;
  TNotifyEvent OnTopLeftChanged;

  // ---- Locks ----
  void BeginUpdate();
  // The last release of the update lock ends with UpdateLockReleased.
  void EndUpdate();
  void BeginLayout();
  void EndLayout();
  bool AcquireLayoutLock();
  void DeferLayout();
  virtual void LayoutChanged();

  // ---- Cells and bars ----
  TRect CellRect(Integer col, Integer row, bool includeCellLines);
  TRect CellRectAbs(Integer col, Integer row, bool includeCellLines);
  TAxisBarEh* FindFieldColumn(const String& fieldName) const;
  bool ValidFieldIndex(Integer fieldIndex) const;
  bool DataSetActive() const;
  bool IsMouseInRect(const TRect& rect);
  void LockEditor() { ++lockEditorCount_; }
  void UnlockEditor() { --lockEditorCount_; }
  Integer GetLockEditorCount() const { return lockEditorCount_; }
  bool InplaceEditorVisible() const;
  void StartTimer(Integer interval);
  void StopTimer();
  bool GetTimerActive() const { return timerActive_; }
  void InvalidateGridRect(const TGridRect& rect);
  TRect GridRangeRect(const TGridRect& rect) { return BoxRect(rect); }
  void Invalidate() override;
  void SetGridOptions(TGridOptionsEh options) { SetOptions(options); }
  TGridOptionsEh GetGridOptions() const { return GetOptions(); }

  // ---- Virtual operations ----
  virtual bool DefaultTrueQuery(TWinControl* /*editor*/) { return true; }
  virtual void GetMouseDownInfo(TPoint& pos, Integer& time);
  virtual void InplaceEditorKeyDown(TWinControl*, Word&, TShiftState) {}
  virtual void InplaceEditorKeyPress(TWinControl*, Char&) {}
  virtual void InplaceEditorKeyUp(TWinControl*, Word&, TShiftState) {}
  virtual void InplaceEditorChanged(TWinControl*, TMessage&) {}
  virtual bool IsGridOrEditorFocused();
  virtual bool IsDataEditAllowed();
  virtual void GetBarsPropertyName(String& name) { name = u"<Define property Name>"; }
  virtual bool IsColumnEditable(Integer /*barIndex*/) { return false; }
  bool CanEditModify() override;
  virtual bool IsDataEditMode() { return false; }
  virtual void GetCellEditorRect(Integer col, Integer row, TRect& rect, TAxisBarEh* bar);
  virtual bool IsCell3D(Integer /*col*/, Integer /*row*/, TGridDrawState state) {
    return state.Contains(gdFixed);
  }
  virtual TAxisBarDefValuesEh* CreateAxisBarDefValues();
  virtual TGridAxisBarsEh* CreateAxisBars();
  // The list of the shown bars, of the kind a descendant hands out.
  virtual TAxisBarsEhList* CreateVisibleAxisBars();
  virtual TAxisColCellParamsEh* CreateColCellParams();
  virtual TAxisGridDataLinkEh* CreateDataLink();
  virtual TAlignment GetTitleLineMode() { return taLeftJustify; }
  virtual TColor GetTitleColor() { return GetFixedColor(); }
  virtual TAxisBarEh* TitleColumnAtPos(TPoint /*pos*/) { return nullptr; }
  virtual TAxisColCellParamsEh* CurrentColCellParams() { return colCellParams_.get(); }
  virtual Integer CellEditorTextLeft(TAxisBarEh* /*bar*/) { return 3; }
  virtual Integer GetEditButtonTransparency(Integer, Integer, TEditButtonEh*, Integer, TAxisBarEh*) {
    return 0;
  }
  virtual TEditButtonsBoxEh* GetEditButtonsBox();
  virtual TWinControl* GetActivePopupList() { return nullptr; }
  virtual Integer GetSelectedIndex() { return -1; }
  virtual void SetSelectedIndex(Integer value);
  virtual TColor GetGrayHighlightColor() { return GrayColorEh(clHighlight); }
  virtual TFont* GetTitleFont();
  virtual void SetTitleFont(TFont* value);
  virtual bool CustomStyleActive() { return CustomStyleActiveEh(); }
  virtual bool EditButtonsBoxVisible();
  virtual bool IsFixed3D() { return true; }
  virtual bool HasFocusWithin();
  virtual bool IsUserMessagePending(LPARAM value);
  virtual bool MemTableSupported() { return false; }
  virtual void AxisBarDeleting(TAxisBarEh* /*bar*/) {}
  virtual void DataSetChanged() {}
  virtual void UpdateFieldMap();
  virtual void EditButtonClick(TAxisBarEh* bar, TEditButtonEh* button);
  virtual void EditingChanged();
  virtual void GetCellParams(TAxisBarEh* /*bar*/, TFont* /*font*/, TGridDrawState& /*state*/,
                             TColor& /*background*/) {}
  virtual void GetBarCell(TAxisBarEh* bar, Integer& col, Integer& row);
  virtual void FillFieldList(std::vector<TField*>& list);
  virtual void HideEditButtonsBox();
  virtual void InternalLayout();
  virtual void LinkActive(bool active);
  virtual void LookupDataChanged(TAxisBarEh* /*bar*/) {}
  virtual void BindBarsToFields();
  virtual void RecordChanged(TField* field);
  virtual void DataScrolled(Integer /*distance*/) {}
  virtual void InvalidateSelection();
  virtual void UpdateRowHeights() {}
  virtual void SetDataSource(TDataSource* value);
  virtual void SyncWithActiveRecord() {}
  virtual void CancelEditing() {}
  virtual void PlaceEditButtonsBox();
  virtual void UpdateData();
  virtual bool CheckFillDataCell(TGridCoord cell, TGridCoord areaCell, TAxisBarEh* bar, const TRect& areaRect,
                                 TAxisColCellParamsEh* params);
  virtual void DefaultDrawDataCell(TGridCoord cell, TGridCoord areaCell, TAxisBarEh* bar,
                                   const TRect& areaRect, TAxisColCellParamsEh* params);
  virtual void FillDataCellBackground(TGridCoord cell, TGridCoord areaCell, TAxisColCellParamsEh* params,
                                      const TRect& rect, TAxisBarEh* bar);
  virtual void DrawDataCellContent(TGridCoord cell, TGridCoord areaCell, const TRect& rect,
                                   TAxisColCellParamsEh* params, const TRect& areaRect, TAxisBarEh* bar);
  virtual void DrawDataCellText(TAxisColCellParamsEh* params, const TRect& rect, TCanvas* canvas,
                                TAxisBarEh* bar);
  virtual void DrawGraphicCell(TCanvas* canvas, TAxisBarEh* bar, double zoom, bool fill, TColor color,
                               const TRect& rect);
  virtual void DrawCellCheckBox(TCanvas* canvas, const TRect& rect, TCheckBoxState state, bool flat);
  virtual bool HighlightDataCellColor(Integer dataCol, Integer dataRow, const String& value,
                                      TGridDrawState state, TColor& color, TFont* font);
  virtual void FormSystemPopupMenuForColumn(TAxisBarEh* bar, TPopupMenu* menu);
  virtual void EditButtonDefaultAction(TAxisBarEh* bar, TControl* editControl, TEditButtonEh* editButton,
                                       bool isMouseDown, bool& handled);
  virtual void UpdateImeSettings() {}

  // ---- In-cell boxes and buttons ----
  // Lays a cell out into child boxes: left cell buttons, the data area, edit buttons, right cell buttons.
  virtual void FillCellPlaceBox(Integer col, Integer row, TInCellPlaceBoxEh* box, TAxisBarEh* bar);
  virtual void FillCellPlaceBoxForRect(Integer col, Integer row, TInCellPlaceBoxEh* box, TAxisBarEh* bar,
                                       TRect rect);
  // The cell's box from the buffer of visible cells (rebuilt first when invalid); nil outside it.
  virtual TInCellPlaceBoxEh* GetCellPlaceBox(Integer col, Integer row);
  // The child box under a cell-relative point, nil when none.
  virtual TInCellPlaceBoxEh* GetInCellControlAtPos(Integer col, Integer row, Integer y, Integer x,
                                                   TAxisBarEh* bar);
  // Fills the buffer's box of a grid cell: the boxes of the bar GetCellAxisBar names, empty without one.
  virtual void UpdatePlaceBoxListForCell(Integer col, Integer row, TInCellPlaceBoxEh* box);
  // The bar whose data a grid cell shows; nil here (descendants know their columns).
  virtual TAxisBarEh* GetCellAxisBar(Integer /*col*/, Integer /*row*/) { return nullptr; }
  virtual void DrawCellPlaceBoxes(TGridCoord cell, TGridCoord areaCell, TInCellPlaceBoxEh* box,
                                  const TRect& areaRect, TAxisColCellParamsEh* params, TAxisBarEh* bar);
  // An edit button of a bar drawn in a cell that is not being edited.
  void DrawInCellEditButton(TCanvas* canvas, TGridCoord cell, TInCellPlaceBoxEh* box, const TRect& cellRect,
                            TAxisBarEh* bar, TEditButtonEh* button);
  // One edit or cell button inside a cell; downButton 0 none, 1 pressed or upper half, 2 lower half.
  virtual void DrawEditButton(TAxisBarEh* bar, TCanvas* canvas, bool drawBack, Integer imageIndex,
                              TCustomImageList* images, Integer transparency, TBitmap* glyph,
                              TColor fillColor, bool enabled, bool flat, bool hot, Integer downButton,
                              const TRect& masterRect, TRect buttonRect, TEditButtonStyleEh style);
  virtual void CreateEditButtonControl(TEditButtonControlEh*& control);
  // Fills a data hint for the point (client coordinates) over a data cell; CursorRect comes in as the
  // cell's rectangle. An empty HintStr means no hint.
  virtual void DefaultFillDataHintShowInfo(TPoint cursorPos, TGridCoord cell, TAxisBarEh* bar,
                                           TDBAxisGridDataHintParamsEh* params);
  // Whether a text drawn into the rectangle is cut; the measured size comes back.
  bool TextExceedsCellRect(TCanvas* canvas, Integer margin, bool endEllipsis, bool alignNotLeft,
                           Integer& height, Integer& width, bool singleLine, bool wrap, const TRect& rect,
                           const String& text);
  TFont* GetHintFont();
  TCellPlaceBoxVisibleListEh* GetCellPlaceBoxVisibleList() const { return cellPlaceBoxVisibleList_.get(); }
  // The in-cell box a mouse press holds, and its cell.
  TInCellPlaceBoxEh* GetMouseDownInCellPlaceBox() const { return mouseDownInCellPlaceBox_; }
  TGridCoord GetInCellMouseDownCell() const { return inCellMouseDownCell_; }
  // The box a press holds counts as the same place when it holds the same control in the same cell.
  bool IsMouseDownPlace(TGridCoord cell, TObject* control) const;
  void SetMouseDownInCellPlaceBox(TInCellPlaceBoxEh* box, TGridCoord cell);
  void ReleaseInCellPress();
  // ---- Link hit areas of the hot-tracked cell ----
  // Where a cell that shows its data as a link reacts, cell-relative: the image (when the bar shows an
  // image beside its text), then the text, or the image alone.
  void CalcCellTextBounds(Integer col, Integer row, TAxisBarEh* bar);
  virtual void CalcCellTextBoundsForSize(TSize size, TAxisBarEh* bar);
  // The hot cell's bounds after the mouse entered it: those of the bar the cell shows, none without one.
  virtual void UpdateCellTextBoundsAtPos(Integer col, Integer row);
  const std::vector<TRect>& GetMouseCellTextBounds() const { return mouseCellTextBounds_; }
  // The index of the bound under a cell-relative point of the hot cell; -1 elsewhere.
  Integer CellTextBoundIndexAt(Integer col, Integer row, Integer y, Integer x) const;
  Integer GetMousePointInCellTextBoundIndex() const { return mousePointInCellTextBoundIndex_; }
  bool MouseOverCellDataLink();
  bool MouseOverCellImageLink();
  bool MouseOverCellLink() { return MouseOverCellDataLink() || MouseOverCellImageLink(); }
  TInCellPlaceBoxEh* GetHotTrackInCellControl() const { return hotTrackInCellControl_; }
  // Opens the drop-down form a cell button names under the host rectangle (screen coordinates); the
  // answer is whether a form opened.
  virtual bool ShowCellButtonDropDownForm(TInCellPlaceBoxEh* box, TCellButtonEh* button, bool& handled,
                                          const TRect& hostRect, TAxisBarEh* bar);

  // ---- Overrides of the base grid ----
  bool CanEditShow() override;
  bool CanEditAcceptKey(Char key) override;
  Integer GetEditLimit() override;
  String GetEditMask(Integer col, Integer row) override;
  String GetEditText(Integer col, Integer row) override;
  void SetEditText(Integer col, Integer row, const String& value) override;
  void InvalidateEditor() override;

  bool ChangeScaleFont(Integer m, Integer d);
  void ChangeScale(Integer m, Integer d) override;

 protected:
  friend class TAxisGridDataLinkEh;
  friend class TAxisBarEh;
  friend class TGridAxisBarsEh;

  GridsEh::TInplaceEdit* CreateEditor() override;
  bool IsHotTrackCell(Integer, Integer) override { return true; }
  void CurrentCellMoved(TGridCoord oldCurrent) override;
  void ScrollPosChanged(Int64 oldLeftPos, Int64 oldTopPos) override;
  void FlatChanged();
  void Loaded() override;
  void DefineProperties(TFiler* filer) override;
  void Notification(TComponent* component, TOperation operation) override;
  void WndProc(TMessage& message) override;
  void CreateWnd() override;
  // A border that draws itself takes one pixel of the window on each of its edges.
  void CreateParams(TCreateParams& params) override;
  void PaintNonClient(TCanvas* canvas) override;
  virtual void DrawBorder(TCanvas* canvas);
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void DoEnter() override;
  void DoExit() override;
  void Paint() override;
  void ReleaseUpdateLock();
  // The update lock was released for good: what waited for it (a new size) may be applied now.
  virtual void UpdateLockReleased() {}
  void CreateOwnedParts();
  // A left press on a control drawn in a data cell; false when none is there.
  bool InCellMouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y);
  // The base grid's hot cell, then the control and the link bound under the mouse inside it.
  void UpdateHotTrackInfo(Integer x, Integer y) override;

 private:
  void ReadBars(TReader* reader);
  void WriteBars(TWriter* writer);

  TDBGridEhAllowedOperations allowedOperations_{alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh};
  std::unique_ptr<TGridAxisBarsEh> axisBars_;
  std::unique_ptr<TAxisColCellParamsEh> colCellParams_;
  std::unique_ptr<TAxisBarDefValuesEh> columnDefValues_;
  std::unique_ptr<TAxisGridDataLinkEh> dataLink_;
  bool defaultDrawing_ = true;
  std::unique_ptr<TFont> dummiFont_;
  std::unique_ptr<TDynVarsEh> dynProps_;
  TIncludeImageModulesEh includeImageModules_;
  bool layoutChangedInUpdateLock_ = false;
  Byte layoutLock_ = 0;
  bool readOnly_ = false;
  Byte updateLock_ = 0;
  bool acquireFocus_ = true;
  Integer downMouseMessageTime_ = 0;
  TPoint downMousePos_;
  bool drawGraphicData_ = false;
  bool drawMemoText_ = false;
  TEditButtonsBoxEh* editButtonsBox_ = nullptr;
  Variant editKeyValue_;
  String editText_;
  Integer inplaceEditorButtonWidth_ = 16;
  Integer interlinear_ = 4;
  bool layoutFromDataset_ = false;
  Integer lockEditorCount_ = 0;
  TPoint moveMousePos_;
  bool selectionActive_ = false;
  bool timerActive_ = false;
  Integer timerInterval_ = 0;
  std::unique_ptr<TAxisBarsEhList> visibleAxisBars_;
  TPersistent* axisBarOwner_ = nullptr;
  Integer layoutCount_ = 0;
  std::unique_ptr<TCellPlaceBoxVisibleListEh> cellPlaceBoxVisibleList_;
  std::unique_ptr<TControlBorderEh> border_;
  std::unique_ptr<TFont> hintFont_;
  std::unique_ptr<TInCellPlaceBoxEh> drawPlaceBox_;
  TInCellPlaceBoxEh* mouseDownInCellPlaceBox_ = nullptr;
  TGridCoord inCellMouseDownCell_{-1, -1};
  Integer ownBorderWidth_ = 0;
  std::vector<TRect> mouseCellTextBounds_;
  Integer mousePointInCellTextBoundIndex_ = -1;
  bool cellDataWantAsLink_ = false;
  bool cellImageWantAsLink_ = false;
  TInCellPlaceBoxEh* hotTrackInCellControl_ = nullptr;
};

// ---- The cell editor ----

class TDBAxisGridnplaceEditCoreControl : public GridsEh::TInplaceEditCoreControl {
  KIV_CLASS(TDBAxisGridnplaceEditCoreControl, GridsEh::TInplaceEditCoreControl)
 public:
  explicit TDBAxisGridnplaceEditCoreControl(TComponent* owner);

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  // The MRU list sees the key messages first.
  void WndProc(TMessage& message) override;
};

class TDBAxisGridInplaceEdit : public GridsEh::TInplaceEdit, public IComboEditEh {
  KIV_CLASS(TDBAxisGridInplaceEdit, GridsEh::TInplaceEdit)
 public:
  explicit TDBAxisGridInplaceEdit(TComponent* owner);
  ~TDBAxisGridInplaceEdit() override;

  TCustomDBAxisGridEh* GetAxisGrid() const;
  TAxisBarEh* GetBar() const;
  TEditStyle GetEditStyle() const { return editStyle_; }
  TWinControl* GetActiveList() const { return activeList_; }
  TPopupListboxFormEh* GetPickList() const { return pickList_; }
  bool GetListVisible() const { return listVisible_; }
  bool GetDroppedDown() const { return droppedDown_; }
  bool GetReadOnlyStored() const { return readOnlyStored_; }
  bool GetLockCloseList() const { return lockCloseList_; }
  void SetLockCloseList(bool value) { lockCloseList_ = value; }
  Integer GetImageIndex() const { return imageIndex_; }

  // IComboEditEh
  void CloseUp(bool accept) override;

  virtual void UpdateImageIndex();
  virtual void EditButtonDefaultAction(bool topButton, bool& handled);
  virtual TRect CalcEditRect();
  virtual void LocateTypedText(String& text);
  void LocateTypedListText(String& typed);
  virtual void DropDown();
  // Opens the drop-down form of a button of the strip under the editor with the cell's value.
  virtual void ButtonDropDownForm(TEditButtonEh* button, TEditButtonControlEh* control, bool& handled);
  // The click that closed a button's drop-down form is still queued: it must not open the form again.
  virtual bool IsButtonCloseUpPending(TEditButtonControlEh* control, TEditButtonEh* button);
  // A drop-down form opened from the strip is open; it closed: the buttons are released.
  bool GetDropDownFormOpen() const { return dropDownFormOpen_; }
  void DropDownFormClosed();
  virtual Variant GetVariantValue() { return Variant(GetText()); }
  virtual void SetVariantValue(const Variant& value);
  virtual void UserTextChanged();
  void StepValue(bool up);

  void UpdateContents() override;
  void Hide() override;
  void CalcCoreControlRect(TRect& rect) override;
  GridsEh::TInplaceEditCoreControl* CreateEditCoreControl() override;
  void EditCoreKillFocus(HWND focusedWnd) override;
  void EditChanged() override;
  void UpdateEditStyle();
  void UpdateEditButtons();
  void UpdateCoreControlBounds() override;
  void EditButtonDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled);
  TEditButtonsBoxEh* GetButtonsBox() const { return buttonsBox_; }
  // Cut and clear keep a list-limited text whole; a paste takes only what the bar accepts, and in a
  // list bar completes an entry of the list.
  bool InterceptCut(TMessage& message) override;
  bool InterceptClear(TMessage& message) override;
  bool InterceptPaste(TMessage& message) override;

  // ---- The bar's MRU list, dropped under the text while typing ----
  // The row a walking key (Up, Down, PgUp, PgDn, Home, End) selects in a pick or MRU list.
  static Integer PopupListRowForKey(TPopupListboxFormEh* list, Word key);
  TMRUListboxEh* GetMRUListControl() const { return mruListControl_; }
  bool GetMRUListDroppedDown() const;
  // The entries that start with the text, under the editor; closes when none does.
  virtual void ShowMRUList();
  // With accept, the chosen entry becomes the pending text.
  virtual void CloseMRUList(bool accept);
  // While the list is down it takes the keys that walk it, and Enter or Esc close it (accepting on
  // Enter); true when the key message was the list's.
  bool RouteKeyToMRUList(TMessage& message);
  // The user changed the text: the list shows the entries that start with it, or closes when it is
  // empty; showAll (a backspace on an empty text) shows every entry.
  void MRUListFollowText(bool showAll = false);

 protected:
  void Paint() override;
  void PickListMouseUp(TObject* sender, TMouseButton button, TShiftState shift, Integer x, Integer y);
  virtual TMRUListboxEh* CreateMRUListControl();
  void MRUListMouseUp(TObject* sender, TMouseButton button, TShiftState shift, Integer x, Integer y);

 private:
  void UpdateActiveList();
  void KeepMRUListGripSize(TMRUListEh* mru);
  TWinControl* activeList_ = nullptr;
  String charKeyStr_;
  TWinControl* dataList_ = nullptr;
  bool droppedDown_ = false;
  bool dropDownFormOpen_ = false;
  TEditStyle editButtonStyle_ = esSimple;
  TEditStyle editStyle_ = esSimple;
  Integer imageIndex_ = -1;
  bool lockCloseList_ = false;
  TPopupListboxFormEh* pickList_ = nullptr;
  TWinControl* popupCalculator_ = nullptr;
  TWinControl* popupMonthCalendar_ = nullptr;
  bool userTextChanged_ = false;
  bool listVisible_ = false;
  bool visibleListWantFocus_ = false;
  bool readOnlyStored_ = false;
  String textBeforeDropDown_;
  TEditButtonsBoxEh* buttonsBox_ = nullptr;
  TMRUListboxEh* mruListControl_ = nullptr;
  bool mruChoosing_ = false;
  Integer mruShownWidth_ = 0;
  Integer mruShownRows_ = 0;
};

// ---- In-cell place boxes ----

// Where a control (an in-cell button, a check box) sits inside a cell, as a tree of rectangles for hit
// testing. Children are pooled so that laying out the same cell again allocates nothing.
class TInCellPlaceBoxEh : public TPersistent {
  KIV_CLASS(TInCellPlaceBoxEh, TPersistent)
 public:
  TInCellPlaceBoxEh() = default;
  ~TInCellPlaceBoxEh() override;
  TInCellPlaceBoxEh* AddChild();
  // The first child in use whose client rectangle holds the point (right and bottom edges outside).
  TInCellPlaceBoxEh* GetChildAtPos(Integer x, Integer y) const;
  // Depth first: a child placing control, else the same search inside that child.
  TInCellPlaceBoxEh* FindChildBoxByControl(TObject* control) const;
  // Clears the children and the control; the area and margins stay.
  void Clear();
  void ClearChildList();
  // Frees the pooled children.
  void ResetChildList();
  TInCellPlaceBoxEh* GetChildItem(Integer index) const;
  Integer GetChildCount() const { return count_; }
  TObject* GetControl() const { return control_; }
  void SetControl(TObject* value) { control_ = value; }
  TRect GetControlRect() const { return controlRect_; }
  void SetControlRect(const TRect& value) { controlRect_ = value; }
  TRect GetCtrlClientRect() const { return ctrlClientRect_; }
  void SetCtrlClientRect(const TRect& value) { ctrlClientRect_ = value; }
  TRect GetAreaRect() const { return areaRect_; }
  void SetAreaRect(const TRect& value) { areaRect_ = value; }
  // Left, top, right and bottom margins.
  TRect GetMargins() const { return margins_; }
  void SetMargins(const TRect& value) { margins_ = value; }

 private:
  Integer count_ = 0;
  std::vector<std::unique_ptr<TInCellPlaceBoxEh>> childItems_;
  TObject* control_ = nullptr;
  TRect controlRect_{0, 0, 0, 0};
  TRect ctrlClientRect_{0, 0, 0, 0};
  TRect areaRect_{0, 0, 0, 0};
  TRect margins_{0, 0, 0, 0};
};

// The place boxes of the cells now visible, one per cell: fixed, visible rolling and contra cells on
// each axis. The grid fills each box through UpdatePlaceBoxListForCell and marks the buffer invalid
// whenever scrolling, layout or data change what is visible.
class TCellPlaceBoxVisibleListEh : public TPersistent {
  KIV_CLASS(TCellPlaceBoxVisibleListEh, TPersistent)
 public:
  explicit TCellPlaceBoxVisibleListEh(TCustomDBAxisGridEh* grid) : grid_(grid) {}
  ~TCellPlaceBoxVisibleListEh() override;
  TCustomDBAxisGridEh* GetGrid() const { return grid_; }
  bool GetBufferValid() const { return bufferValid_; }
  TPoint GridToPlaceBoxArrayCoord(TPoint gridCoord) const;
  void Clear();
  void Invalidate() { bufferValid_ = false; }
  void ValidateBuffer();
  void Reset();
  // Grows to at least the counts; never shrinks.
  void SetColRowCount(Integer colCount, Integer rowCount);
  void UpdateData();
  // The box at a buffer position; nil outside the buffer.
  TInCellPlaceBoxEh* GetPlaceBox(Integer col, Integer row) const;

 private:
  std::vector<std::vector<std::unique_ptr<TInCellPlaceBoxEh>>> buffer_;
  bool bufferValid_ = false;
  TCustomDBAxisGridEh* grid_;
};

// One axis of the visible place-box buffer: fixed cells, then the visible rolling cells from
// firstVisible to lastVisible (counted from the first rolling cell), then the contra cells from
// cellCount on.
Integer GridToPlaceBoxAxisCoordEh(Integer coord, Integer fixedCount, Integer firstVisible,
                                  Integer lastVisible, Integer cellCount);

// ---- Line parameters and the control's border ----

enum TDBGridLinesColorSchemeEh { glcsDefaultEh, glcsClassicEh, glcsFlatEh, glcsThemedEh };
enum TDrawEmptySpaceStyle { dessNonEh, dessSolidEh, dessGradiendEh };

// The grid lines of a data-aware grid: data lines that follow a default until set, the boundary of the
// data and a colour scheme. The defaults and the scheme in force are the concrete grid's to answer.
class TDBAxisGridLineParamsEh : public TGridLineColorsEh {
  KIV_CLASS(TDBAxisGridLineParamsEh, TGridLineColorsEh)
 public:
  explicit TDBAxisGridLineParamsEh(TCustomGridEh* grid) : TGridLineColorsEh(grid) {}
  TColor GetBrightColor() const override;
  TColor GetDarkColor() const override;
  virtual bool DefaultDataHorzLines() const;
  virtual bool DefaultDataVertLines() const;
  virtual TDBGridLinesColorSchemeEh GetActualColorScheme() const;
  virtual TColor GetDataBoundaryColor() const;

  bool GetDataHorzLines() const { return dataHorzLinesStored_ ? dataHorzLines_ : DefaultDataHorzLines(); }
  void SetDataHorzLines(bool value);
  bool GetDataHorzLinesStored() const { return dataHorzLinesStored_; }
  void SetDataHorzLinesStored(bool value);
  bool GetDataVertLines() const { return dataVertLinesStored_ ? dataVertLines_ : DefaultDataVertLines(); }
  void SetDataVertLines(bool value);
  bool GetDataVertLinesStored() const { return dataVertLinesStored_; }
  void SetDataVertLinesStored(bool value);
  TColor GetAssignedDataBoundaryColor() const { return dataBoundaryColor_; }
  void SetDataBoundaryColor(TColor value);
  bool GetGridBoundaries() const { return gridBoundaries_; }
  void SetGridBoundaries(bool value);
  TDBGridLinesColorSchemeEh GetColorScheme() const { return colorScheme_; }
  void SetColorScheme(TDBGridLinesColorSchemeEh value);
  TDrawEmptySpaceStyle GetVertEmptySpaceStyle() const { return vertEmptySpaceStyle_; }
  void SetVertEmptySpaceStyle(TDrawEmptySpaceStyle value);

 private:
  // A horizontal line change moves the rows: the grid lays out again; a vertical one only repaints.
  void LinesChanged(bool horz);
  void Repaint();
  TDBGridLinesColorSchemeEh colorScheme_ = glcsDefaultEh;
  TColor dataBoundaryColor_ = clDefault;
  bool dataHorzLines_ = false, dataHorzLinesStored_ = false;
  bool dataVertLines_ = false, dataVertLinesStored_ = false;
  bool gridBoundaries_ = false;
  TDrawEmptySpaceStyle vertEmptySpaceStyle_ = dessGradiendEh;
};

enum TEdgeBorderEh { ebLeftEh, ebTopEh, ebRightEh, ebBottomEh };
using TEdgeBordersEh = TSet<TEdgeBorderEh>;

// The grid control's own border: its colour, which edges it has, and whether the grid draws it itself.
class TControlBorderEh : public TPersistent {
  KIV_CLASS(TControlBorderEh, TPersistent)
 public:
  explicit TControlBorderEh(TCustomDBAxisGridEh* grid) : grid_(grid) {}
  void Assign(TPersistent* source) override;
  TCustomDBAxisGridEh* GetGrid() const { return grid_; }
  TColor GetColor() const { return color_; }
  void SetColor(TColor value);
  TEdgeBordersEh GetEdgeBorders() const { return edgeBorders_; }
  void SetEdgeBorders(TEdgeBordersEh value);
  bool GetExtendedDraw() const { return extendedDrawStored_ ? extendedDraw_ : DefaultExtendedDraw(); }
  void SetExtendedDraw(bool value);
  bool GetExtendedDrawStored() const { return extendedDrawStored_; }
  void SetExtendedDrawStored(bool value);
  bool IsExtendedDrawStored() const { return extendedDrawStored_; }
  bool GetCtl3D() const;
  void SetCtl3D(bool value);
  TBorderStyle GetStyle() const;
  void SetStyle(TBorderStyle value);
  // A flat grid draws its border itself once it is coloured, 3-D or lacks an edge.
  bool DefaultExtendedDraw() const;
  // Recreates the grid's window when the default changed since the last change of colour or edges.
  void UpdateExtendedDraw();
  Integer GetRecreateCount() const { return recreateCount_; }

 private:
  void RecreateGridWnd();
  TColor color_ = clDefault;
  TEdgeBordersEh edgeBorders_{ebLeftEh, ebTopEh, ebRightEh, ebBottomEh};
  bool extendedDraw_ = false, extendedDrawStored_ = false;
  TCustomDBAxisGridEh* grid_;
  bool oldExtendedDraw_ = false;
  Integer recreateCount_ = 0;
};

// ---- Cell buttons ----

enum TEditButtonHorzPlacementEh { ebhpLeftEh, ebhpRightEh };

// A button drawn in every data cell of its bar. An up/down button steps the cell's value: once on the
// press, again after 400 ms and then every 100 ms until released.
class TCellButtonEh;
using TCellButtonGetEnabledStateEventEh =
    TDelegate<void(TCustomDBAxisGridEh* grid, TAxisBarEh* bar, TCellButtonEh* button, bool& enabled)>;
using TMouseCellButtonEventEh = TDelegate<void(
    TCustomDBAxisGridEh* grid, TAxisBarEh* bar, TCellButtonEh* button, TMouseButton mouseButton,
    TShiftState shift, TPoint inButtonPos, TGridCoord cell, bool& handled)>;

// What a drop-down form opened by a bar's button gets besides its values.
class TAxisGridDropDownFormSysParams : public TDropDownFormSysParams {
  KIV_CLASS(TAxisGridDropDownFormSysParams, TDropDownFormSysParams)
 public:
  TAxisBarEh* FAxisBar = nullptr;
  TEditButtonEh* FEditButton = nullptr;
  TRect FEditorScreenRect{0, 0, 0, 0};
  TRect FEditorRect{0, 0, 0, 0};
  TInCellPlaceBoxEh* FPlaceBox = nullptr;
};

// The drop-down form call of a bar's button: the values travel to and from the bar's field; a form
// opened from a cell keeps its cell button pressed in the current row until it closes, and its closing
// tells the grid, so that the click that closed it does not open it again.
class TAxisBarDropDownFormCallParamsEh : public TDropDownFormCallParamsEh {
  KIV_CLASS(TAxisBarDropDownFormCallParamsEh, TDropDownFormCallParamsEh)
 public:
  explicit TAxisBarDropDownFormCallParamsEh(TEditButtonEh* button) : editButton_(button) {}
  TEditButtonEh* GetEditButton() override { return editButton_; }
  TAxisBarEh* GetAxisBar() const;
  void GetVarValue(Variant& value) override;
  void SetVarValue(const Variant& value) override;
  void OpenDropDownForm(TCustomForm*& form, TDynVarsEh* dynParams,
                        TDropDownFormSysParams* sysParams) override;
  TDropDownFormSysParams* CreateSysParams() override;
  void FillSysParams(TDropDownFormSysParams* sysParams) override;
  void InitDropDownForm(TCustomForm* form, TDynVarsEh* dynParams, TDropDownFormSysParams* sysParams) override;
  void DropDownFormClosed(bool accept, TCustomForm* form, TDynVarsEh* dynParams,
                          TDropDownFormSysParams* sysParams) override;
  // Opens the form the parameters name for the bar's field, from a cell (box, screenRect) or from the
  // cell editor (editControl, control); true when a form opened. Without a named form nothing opens.
  bool ShowForBar(TAxisBarEh* bar, TEditButtonControlEh* control, TWinControl* editControl,
                  TInCellPlaceBoxEh* box, const TRect& screenRect, bool& handled);
  // The in-cell box of the button when the form is opened from a cell.
  TInCellPlaceBoxEh* FPlaceBox = nullptr;

 private:
  // The form opened from a cell closed: its button is drawn up again and the grid is told.
  void ReleaseCellButtonAfterForm(TAxisGridDropDownFormSysParams* sys);
  TEditButtonEh* editButton_;
};

class TCellButtonEh : public TVisibleEditButtonEh, public IInCellControlEh {
  KIV_CLASS(TCellButtonEh, TVisibleEditButtonEh)
 public:
  static void Published(TPropBuilder<TCellButtonEh>& p);
  explicit TCellButtonEh(TCollection* collection);
  ~TCellButtonEh() override;

  // IInCellControlEh: the button takes its presses itself.
  bool InCellMouseDownShowsEditor() override { return false; }
  void InCellReset(TInCellPlaceBoxEh*) override { upDownButtonNum_ = 0; }
  void DrawInCell(TCustomDBAxisGridEh* grid, TCanvas* canvas, TGridCoord cell, TInCellPlaceBoxEh* box,
                  const TRect& cellRect, TAxisBarEh* bar) override;
  void InCellMouseDown(TCustomDBAxisGridEh* grid, TGridCoord cell, Integer x, Integer y, TShiftState shift,
                       TMouseButton button, TInCellPlaceBoxEh* box) override;
  void InCellMouseUp(TCustomDBAxisGridEh* grid, TGridCoord cell, Integer x, Integer y, TShiftState shift,
                     TMouseButton button, TInCellPlaceBoxEh* box) override;
  void InCellMouseMove(TCustomDBAxisGridEh*, TGridCoord, Integer, Integer, TShiftState,
                       TInCellPlaceBoxEh*) override {}
  // Enabled while the grid's data link is active, unless OnGetEnabledState says otherwise.
  virtual bool GetEnabledState();
  // What the last drawing of the button used: 0 not pressed, 1 pressed or upper half, 2 lower half.
  Integer GetLastDrawDownButton() const { return lastDrawDownButton_; }
  bool GetLastDrawPressed() const { return lastDrawPressed_; }

  TCellButtonGetEnabledStateEventEh OnGetEnabledState;
  TMouseCellButtonEventEh OnMouseDown;
  TMouseCellButtonEventEh OnMouseClick;
  TAxisBarEh* GetAxisBar() const;
  TEditButtonHorzPlacementEh GetHorzPlacement() const { return horzPlacement_; }
  void SetHorzPlacement(TEditButtonHorzPlacementEh value);
  bool GetPressable() const { return pressable_; }
  void SetPressable(bool value) { pressable_ = value; }
  bool GetPersistentDown() const { return persistentDown_; }
  void SetPersistentDown(bool value) { persistentDown_ = value; }
  // Which half of an up/down button is held: 0 none, 1 upper, 2 lower.
  Integer GetUpDownButtonNum() const { return upDownButtonNum_; }
  TTimer* GetTimer() const { return timer_.get(); }
  // Up/down styles only: y within a control of the given height picks the half, then the value steps
  // and the repeat starts. The rows between the halves hold nothing.
  virtual void DefaultMouseDownAction(Integer y, Integer controlHeight, bool& handled);
  virtual void StepValue();
  virtual void StartRepeatTimer(Cardinal interval);
  virtual void RepeatTimerTick(TObject* sender);
  // The press is over: stop repeating and forget the held half.
  void MouseReleased();
  void InCellReset() { upDownButtonNum_ = 0; }
  TDropDownFormCallParamsEh* CreateDropDownFormParams() override;
  // After its drop-down menu closed the button waits a moment: the press that closed the menu over the
  // button must not open it again.
  virtual void StartRepressWait(TInCellPlaceBoxEh* box);
  virtual void StopRepressWait(TObject* sender);
  bool GetWaitingForRepress() const { return waitingForRepress_; }

 private:
  void EnsureTimer();
  Integer lastDrawDownButton_ = 0;
  bool lastDrawPressed_ = false;
  TEditButtonHorzPlacementEh horzPlacement_ = ebhpRightEh;
  bool persistentDown_ = false;
  bool pressable_ = true;
  Integer upDownButtonNum_ = 0;
  std::unique_ptr<TTimer> timer_;
  bool waitingForRepress_ = false;
  TInCellPlaceBoxEh* pressedPlaceBox_ = nullptr;
};

class TCellButtonsEh : public TEditButtonsEh {
  KIV_CLASS(TCellButtonsEh, TEditButtonsEh)
 public:
  TCellButtonsEh(TAxisBarEh* bar, TClass itemClass);
  TCellButtonEh* Add() { return static_cast<TCellButtonEh*>(TCollection::Add()); }
  TCellButtonEh* GetCellButton(Integer index) const { return static_cast<TCellButtonEh*>(GetItem(index)); }
  void SetCellButton(Integer index, TCellButtonEh* value) { GetItem(index)->Assign(value); }
  // The first button with the shortcut, else null.
  TCellButtonEh* GetButtonByShortCut(TShortCut shortCut) const;
};

// ---- Default handlers ----

// The menu item of a bar's own popup menu.
class TAxisBarEhMenuItem : public TMenuItemEh {
  KIV_CLASS(TAxisBarEhMenuItem, TMenuItemEh)
 public:
  explicit TAxisBarEhMenuItem(TComponent* owner) : TMenuItemEh(owner) {}
  TAxisBarEh* AxisBar = nullptr;
};

// What every axis grid does by default: edit buttons without handlers and the bars' popup menus. A
// descendant set with SetDBAxisGridEhCenter changes it for all grids at once.
class TDBAxisGridEhCenter : public TPersistent {
  KIV_CLASS(TDBAxisGridEhCenter, TPersistent)
 public:
  TDBAxisGridEhCenter() = default;
  virtual void Changed() {}
  virtual void EditButtonDefaultAction(TCustomDBAxisGridEh* grid, TAxisBarEh* bar, TControl* editControl,
                                       TEditButtonEh* editButton, bool isMouseDown, bool& handled);
  virtual void EditButtonDefaultActionForImage(TCustomDBAxisGridEh* grid, TAxisBarEh* bar,
                                               TControl* editControl, TEditButtonEh* editButton,
                                               bool isMouseDown, bool& handled);
  virtual void EditButtonDefaultActionText(TCustomDBAxisGridEh* grid, TAxisBarEh* bar, TControl* editControl,
                                           TEditButtonEh* editButton, bool isMouseDown, bool& handled);
  virtual void FormSystemPopupMenuForColumn(TCustomDBAxisGridEh* grid, TAxisBarEh* bar, TPopupMenu* menu);
};
TDBAxisGridEhCenter* GetDBAxisGridEhCenter();
// Makes center the global object and answers the previous one (the caller owns it from then on).
TDBAxisGridEhCenter* SetDBAxisGridEhCenter(TDBAxisGridEhCenter* center);

// The picture editor, installed by its unit; empty until then (the button does nothing). Long texts go
// to the memo editor's routine.
using TPictureEditRoutineEh = std::function<bool(TPicture* picture)>;
extern TPictureEditRoutineEh DBAxisGridPictureEditRoutineEh;

// ---- Unit routines ----

// Dataset fields whose value is a whole number in the range, else the default.
Integer FieldAsIntegerInRangeEh(TField* field, Integer defaultValue);
bool IsMemoFieldTypeEh(TFieldType type);
// Two fonts draw alike.
bool FontsEqualEh(TFont* a, TFont* b);
// The date and time units a field or display format shows.
TCalendarDateTimeUnitsEh GetFieldDateTimeUnitsEh(TField* field, const String& displayFormat);
