// Base grid of the grid library: the axes with 64-bit scroll positions, the custom-drawn grid with its
// fixed, rolling and contra areas, its appearance objects, the in-place cell editor host and the list
// boxes built on the grid.
#pragma once

#include <memory>
#include <vector>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/grids/GridToolCtrlsEh.h"
#include "platform/classes/StringList.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Grids.h"
#include "platform/controls/Mask.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImageList.h"

KIV_DECLARE_EXCEPTION(EInvalidGridOperationEh, Exception);

class TCustomGridEh;
namespace GridsEh {
class TInplaceEdit;
}

// ---- Small types ----

enum TGridOptionEh {
  goFixedVertLineEh,
  goFixedHorzLineEh,
  goVertLineEh,
  goHorzLineEh,
  goDrawFocusSelectedEh,
  goRowSizingEh,
  goColSizingEh,
  goRowMovingEh,
  goColMovingEh,
  goEditingEh,
  goTabsEh,
  goRowSelectEh,
  goAlwaysShowEditorEh,
  goThumbTrackingEh,
  goExtendVertLinesEh,
  goContraVertBoundaryLineEh,
  goContraHorzBoundaryLineEh,
  goRangeSelectEh,
};
using TGridOptionsEh = TSet<TGridOptionEh>;

enum TGridStateEh { gsNormalEh, gsSelectingEh, gsRowSizingEh, gsColSizingEh, gsRowMovingEh, gsColMovingEh };
enum TGridCellBorderTypeEh { cbtTopEh, cbtLeftEh, cbtBottomEh, cbtRightEh };
using TGridCellBorderTypesEh = TSet<TGridCellBorderTypeEh>;
enum TScrollStepTypeEh { sstByPixelEh, sstByCellEh };
enum TCornerDrawPriorityEh { crpHorizontalDataPriorityEh, crpVerticalDataPriorityEh };
enum TScrollBarVisibleModeEh { sbAlwaysShowEh, sbNeverShowEh, sbAutoShowEh };
enum TGridSelectionDrawStyleEh { gsdsDefaultEh, gsdsClassicEh, gsdsGridThemedEh, gsdsListViewThemedEh };

using TGridEhCellMouseEvent = TDelegate<void(TCustomGridEh* Grid, TGridCoord Cell, TMouseButton Button,
                                             TShiftState Shift, Integer X, Integer Y, bool& Processed)>;

// ---- Free routines of the axis ----

void ArrayInsertRange(std::vector<Integer>& extents, Integer startIndex, Integer amount);
void ArrayDeleteRange(std::vector<Integer>& extents, Integer startIndex, Integer amount);
void ArrayFillRange(std::vector<Integer>& extents, Integer startIndex, Integer amount, Integer value);
void ArrayMoveItem(std::vector<Integer>& extents, Integer fromIndex, Integer toIndex);
// The last cell whose start is at or before pos, and pos's offset from that start (negative before the
// first cell, past the last cell's length after it). Positions ascend and start at 0.
void FindCelAtPos(const std::vector<Int64>& positions, Int64 pos, Integer& cel, Integer& offset);
class TGridAxisDataEh;
bool AxisCelLensEqual(TGridAxisDataEh* a, TGridAxisDataEh* b);
inline TGridCoord MakeGridCoord(Integer x, Integer y) { return {x, y}; }
inline TGridRect GridRectFromCoords(TGridCoord a, TGridCoord b) { return GridRect(a, b); }

// ---- Axis ----

// One axis of a grid: fixed, rolling and contra cells with their pixel lengths, the 64-bit start
// position of every rolling cell and the scroll position; the grid's layout writes the client
// boundaries back into it.
class TGridAxisDataEh : public TPersistent {
  KIV_CLASS(TGridAxisDataEh, TPersistent)
 public:
  explicit TGridAxisDataEh(TCustomGridEh* grid) : grid_(grid) {}

  TCustomGridEh* GetGrid() const { return grid_; }
  Integer GetFixedCelCount() const { return fixedCelCount_; }
  void SetFixedCelCount(Integer value);
  Integer GetRolCelCount() const { return rolCelCount_; }
  void SetRolCelCount(Integer value);
  Integer GetContraCelCount() const { return contraCelCount_; }
  void SetContraCelCount(Integer value);
  Integer GetFrozenCelCount() const { return frozenCelCount_; }
  void SetFrozenCelCount(Integer value);
  Integer GetCelCount() const { return fixedCelCount_ + rolCelCount_; }
  Integer GetFullCelCount() const { return fixedCelCount_ + rolCelCount_ + contraCelCount_; }
  Integer GetDefaultCelLen() const { return defaultCelLen_; }
  void SetDefaultCelLen(Integer value) { defaultCelLen_ = value; }

  Integer GetFixedCelLens(Integer i) const { return fixedCelLens_[static_cast<size_t>(i)]; }
  void SetFixedCelLens(Integer i, Integer value);
  Integer GetRolCelLens(Integer i) const { return rolCelLens_[static_cast<size_t>(i)]; }
  void SetRolCelLens(Integer i, Integer value);
  Integer GetContraCelLens(Integer i) const { return contraCelLens_[static_cast<size_t>(i)]; }
  void SetContraCelLens(Integer i, Integer value);
  Integer GetCelLens(Integer i) const;
  void SetCelLens(Integer i, Integer value);
  Int64 GetRolLocCelPosArr(Integer i);
  void SetRolLocCelPosArr(Integer i, Int64 value) { rolLocCelPosArr_[static_cast<size_t>(i)] = value; }
  bool GetRolLocCelPosArrObsolete() const { return rolLocCelPosArrObsolete_; }

  Integer GetWinClientBoundSta() const { return winClientBoundSta_; }
  Integer GetWinClientBoundSto() const { return winClientBoundSto_; }
  Integer GetFixedBoundary() const { return fixedBoundary_; }
  Integer GetContraStart() const { return contraStart_; }
  Integer GetContraLen() const { return contraLen_; }
  Integer GetFrozenLen() const { return frozenLen_; }
  Integer GetGridClientStart();
  Integer GetGridClientStop();
  Integer GetGridClientLen() { return GetGridClientStop() - GetGridClientStart(); }
  Integer GetRolClientLen() const {
    return contraStart_ > fixedBoundary_ ? contraStart_ - fixedBoundary_ : 0;
  }
  Int64 GetRolLen();
  Int64 GetRolStartVisPos() const { return rolStartVisPos_; }
  void SetRolStartVisPos(Int64 value);
  Int64 GetRolStopVisPos() { return GetRolLen() + rolStartVisPos_; }
  Integer GetRolInClientBoundary();
  bool GetInEndOfRol();
  Integer GetRolStartVisCel() const { return rolStartVisCel_; }
  Integer GetRolStartVisCelOfst() const { return rolStartVisCelOfst_; }
  Integer GetRolLastVisCel();
  Integer GetRolLastFullVisCel();
  Integer GetStartVisCel() const { return rolStartVisCel_ + fixedCelCount_; }

  void CheckUpdateRolCelPosArr();
  void CheckUpdateAxises();
  void RebuildRolCelPosArr();
  void UpdateVisCells();
  void UpdateLastVisCells();
  void RolCellAtPos(Int64 pos, Integer& cel, Integer& celOffset);
  Integer GetFixedCelPos(Integer index) const;
  Integer GetScrollStep() const;
  Int64 CheckRolStartVisPos(Int64 rolStartVisPos);
  Int64 SafeSetRolStartVisCel(Integer newStartCell, TScrollStepTypeEh scrollStepType);
  Integer CalcMaxStartCellFor(Integer rolFinishCell);
  void MoveCel(Integer fromIndex, Integer toIndex);
  void SwapRightToLeftPoses(Integer& pos1, Integer& pos2) const;
  Integer RightToLeftReflect(Integer pos) const { return winClientBoundSto_ - winClientBoundSta_ - pos; }
  void InsertRolCels(Integer startIndex, Integer amount);
  void DeleteRolCels(Integer startIndex, Integer amount);
  // The grid's layout: the zones of the axis inside the window's span, and the room a scroll bar takes.
  void LayOut(Integer winStart, Integer winStop, Integer startIndent, Integer stopIndent,
              Integer contraExtra);
  void TakeRoom(Integer size);

 private:
  friend class TCustomGridEh;
  Integer contraCelCount_ = 0;
  std::vector<Integer> contraCelLens_;
  Integer contraLen_ = 0;
  Integer contraStart_ = 0;
  Integer defaultCelLen_ = 0;
  Integer fixedBoundary_ = 0;
  Integer fixedCelCount_ = 0;
  std::vector<Integer> fixedCelLens_;
  Integer frozenCelCount_ = 0;
  Integer frozenLen_ = 0;
  TCustomGridEh* grid_;
  Integer gridClientStart_ = 0, gridClientStop_ = 0;
  Integer rolCelCount_ = 0;
  std::vector<Integer> rolCelLens_;
  Integer rolLastFullVisCel_ = 0;
  Integer rolLastVisCel_ = 0;
  std::vector<Int64> rolLocCelPosArr_;
  bool rolLocCelPosArrObsolete_ = false;
  Integer rolStartVisCel_ = 0;
  Integer rolStartVisCelOfst_ = 0;
  Int64 rolStartVisPos_ = 0;
  Integer winClientBoundSta_ = 0, winClientBoundSto_ = 0;
};

// ---- Appearance objects ----

class TGridLineColorsEh : public TPersistent {
  KIV_CLASS(TGridLineColorsEh, TPersistent)
 public:
  explicit TGridLineColorsEh(TCustomGridEh* grid) : grid_(grid) {}
  virtual TColor GetBrightColor() const;
  void SetBrightColor(TColor value);
  virtual TColor GetDarkColor() const;
  void SetDarkColor(TColor value);
  // The colours as set, clDefault while not set.
  TColor GetAssignedBrightColor() const { return brightColor_; }
  TColor GetAssignedDarkColor() const { return darkColor_; }
  TColor GetAssignedDataHorzColor() const { return dataHorzColor_; }
  TColor GetAssignedDataVertColor() const { return dataVertColor_; }
  TColor GetDataHorzColor() const;
  void SetDataHorzColor(TColor value);
  TColor GetDataVertColor() const;
  void SetDataVertColor(TColor value);

  virtual TColor GetCellLineColor(Integer col, Integer row) const;
  virtual TColor GetFrozenRowBoundaryColor(Integer col, Integer row) const;
  virtual TColor GetHorzAreaFrozenBorderColor() const {
    return Or(horzAreaFrozenBorderColor_, GetDarkColor());
  }
  virtual TColor GetContraColBoundaryColor(Integer col) const;
  virtual TColor GetFrozenColBoundaryColor(Integer col) const;
  virtual TColor GetContraRowBoundaryColor(Integer col, Integer row) const;
  virtual TColor GetVertAreaFrozenBorderColor() const {
    return Or(vertAreaFrozenBorderColor_, GetDarkColor());
  }
  virtual TColor GetFixedVertColor() const { return Or(fixedVertColor_, GetDarkColor()); }
  virtual TColor GetFixedHorzColor() const { return Or(fixedHorzColor_, GetDarkColor()); }
  virtual TColor GetVertAreaContraVertColor() const { return Or(vertAreaContraVertColor_, GetBrightColor()); }
  virtual TColor GetHorzAreaContraHorzColor() const { return Or(horzAreaContraHorzColor_, GetBrightColor()); }
  virtual TColor GetVertAreaContraBorderColor() const {
    return Or(vertAreaContraBorderColor_, GetDarkColor());
  }
  virtual TColor GetHorzAreaContraBorderColor() const {
    return Or(horzAreaContraBorderColor_, GetDarkColor());
  }
  TCustomGridEh* GetGrid() const { return grid_; }

 private:
  static TColor Or(TColor own, TColor fallback) { return own == clDefault ? fallback : own; }
  TColor DefaultLineColor(bool dark) const;
  TColor brightColor_ = clDefault, darkColor_ = clDefault, dataHorzColor_ = clDefault,
         dataVertColor_ = clDefault, fixedHorzColor_ = clDefault, fixedVertColor_ = clDefault;
  TCustomGridEh* grid_;
  TColor horzAreaContraBorderColor_ = clDefault, horzAreaContraHorzColor_ = clDefault,
         horzAreaFrozenBorderColor_ = clDefault, vertAreaContraBorderColor_ = clDefault,
         vertAreaContraVertColor_ = clDefault, vertAreaFrozenBorderColor_ = clDefault;
};

class TGridOutBoundaryDataEh : public TPersistent {
  KIV_CLASS(TGridOutBoundaryDataEh, TPersistent)
 public:
  explicit TGridOutBoundaryDataEh(TCustomGridEh* grid) : grid_(grid) {}
  Integer GetLeftIndent() const { return leftIndent_; }
  void SetLeftIndent(Integer v) { Set(leftIndent_, v); }
  Integer GetTopIndent() const { return topIndent_; }
  void SetTopIndent(Integer v) { Set(topIndent_, v); }
  Integer GetRightIndent() const { return rightIndent_; }
  void SetRightIndent(Integer v) { Set(rightIndent_, v); }
  Integer GetBottomIndent() const { return bottomIndent_; }
  void SetBottomIndent(Integer v) { Set(bottomIndent_, v); }
  TCornerDrawPriorityEh GetLeftTopDrawPriority() const { return leftTop_; }
  void SetLeftTopDrawPriority(TCornerDrawPriorityEh v) { Set(leftTop_, v); }
  TCornerDrawPriorityEh GetRightTopDrawPriority() const { return rightTop_; }
  void SetRightTopDrawPriority(TCornerDrawPriorityEh v) { Set(rightTop_, v); }
  TCornerDrawPriorityEh GetLeftBottomDrawPriority() const { return leftBottom_; }
  void SetLeftBottomDrawPriority(TCornerDrawPriorityEh v) { Set(leftBottom_, v); }
  TCornerDrawPriorityEh GetRightBottomDrawPriority() const { return rightBottom_; }
  void SetRightBottomDrawPriority(TCornerDrawPriorityEh v) { Set(rightBottom_, v); }
  bool GetOutBoundaryRect(TRect& rect, TGridCellBorderTypeEh side) const;
  void InvalidateOutBoundary(TGridCellBorderTypeEh side);

 private:
  template <class T>
  void Set(T& field, T value);
  TCustomGridEh* grid_;
  Integer leftIndent_ = 0, topIndent_ = 0, rightIndent_ = 0, bottomIndent_ = 0;
  TCornerDrawPriorityEh leftTop_ = crpHorizontalDataPriorityEh, rightTop_ = crpHorizontalDataPriorityEh,
                        leftBottom_ = crpHorizontalDataPriorityEh, rightBottom_ = crpHorizontalDataPriorityEh;
};

class TGridHotTrackSpotEh : public TPersistent {
  KIV_CLASS(TGridHotTrackSpotEh, TPersistent)
 public:
  TGridHotTrackSpotEh() = default;
  void Assign(TPersistent* source) override;
  Integer Col = -1, Row = -1, InCellX = 0, InCellY = 0;
};

class TGridBackgroundDataEh : public TPersistent {
  KIV_CLASS(TGridBackgroundDataEh, TPersistent)
 public:
  explicit TGridBackgroundDataEh(TCustomGridEh* grid);
  ~TGridBackgroundDataEh() override;
  TPicture* GetPicture() const { return picture_.get(); }
  void SetPicture(TPicture* value) { picture_->Assign(value); }
  bool GetVisible() const { return visible_; }
  void SetVisible(bool value);
  TImagePlacementEh GetPlacement() const { return placement_; }
  void SetPlacement(TImagePlacementEh value);
  Integer GetHorzMargin() const { return horzMargin_; }
  void SetHorzMargin(Integer value);
  Integer GetVertMargin() const { return vertMargin_; }
  void SetVertMargin(Integer value);
  virtual bool Showing() const { return visible_; }
  virtual TRect BoundRect() const;
  virtual void PaintBackgroundData();
  // The picture's rectangle in the bound rectangle for the placement and margins.
  TRect PictureRect(const TRect& bound) const;

 private:
  void PictureChanged(TObject* sender);
  TCustomGridEh* grid_;
  Integer horzMargin_ = 0;
  TImagePlacementEh placement_ = ipCenterCenterEh;
  Integer vertMargin_ = 0;
  std::unique_ptr<TPicture> picture_;
  bool visible_ = false;
};

class TGridScrollBarEh : public TPersistent {
  KIV_CLASS(TGridScrollBarEh, TPersistent)
 public:
  TGridScrollBarEh(TCustomGridEh* grid, TScrollBarKind kind) : grid_(grid), kind_(kind) {}
  void Assign(TPersistent* source) override;
  virtual bool CalcScrollBarShowing();
  virtual void ScrollBarChanged();
  virtual void SmoothStepChanged() {}
  virtual Integer ActualScrollBarBoxSize();
  virtual Integer ActualSize();
  virtual bool IsKeepMaxSizeInDefault() { return false; }
  virtual bool IsScrollBarShowing() { return CalcScrollBarShowing(); }
  virtual bool ScrollBarPanel() { return true; }
  bool CheckHideScrollBar() { return !IsScrollBarShowing(); }
  TCustomGridEh* GetGrid() const { return grid_; }
  TScrollBarKind GetKind() const { return kind_; }
  Integer GetSize() const { return size_; }
  void SetSize(Integer value);
  bool GetSmoothStep() const { return smoothStep_; }
  void SetSmoothStep(bool value);
  bool GetTracking() const { return tracking_; }
  void SetTracking(bool value) { tracking_ = value; }
  TScrollBarVisibleModeEh GetVisibleMode() const { return visibleMode_; }
  void SetVisibleMode(TScrollBarVisibleModeEh value);
  bool GetVisible() const { return visibleMode_ != sbNeverShowEh; }
  void SetVisible(bool value) { SetVisibleMode(value ? sbAutoShowEh : sbNeverShowEh); }

 private:
  TCustomGridEh* grid_;
  TScrollBarKind kind_;
  Integer size_ = 0;
  bool smoothStep_ = false;
  bool tracking_ = true;
  TScrollBarVisibleModeEh visibleMode_ = sbAutoShowEh;
};

// Selection settings shared by many grids; one process-wide instance is every grid's default.
class TGridDrawStyleEh : public TComponent {
  KIV_CLASS(TGridDrawStyleEh, TComponent)
 public:
  explicit TGridDrawStyleEh(TComponent* owner);
  ~TGridDrawStyleEh() override;
  void AddChangeNotification(TCustomGridEh* grid);
  void RemoveChangeNotification(TCustomGridEh* grid);
  bool GridInChangeNotification(TCustomGridEh* grid) const;
  void Changed();
  TGridSelectionDrawStyleEh GetActualSelectionStyle() const;
  virtual bool DefaultDrawFocusFrame() const;
  virtual TGridSelectionDrawStyleEh GetDefaultActualSelectionStyle() const;
  bool IsCustomStyleActive() const;
  bool GetDrawFocusFrame() const;
  void SetDrawFocusFrame(bool value);
  bool GetDrawFocusFrameStored() const { return drawFocusFrameStored_; }
  void SetDrawFocusFrameStored(bool value);
  TGridSelectionDrawStyleEh GetSelectionStyle() const { return selectionStyle_; }
  void SetSelectionStyle(TGridSelectionDrawStyleEh value);

 private:
  bool drawFocusFrame_ = false;
  bool drawFocusFrameStored_ = false;
  std::vector<TCustomGridEh*> grids_;
  TGridSelectionDrawStyleEh selectionStyle_ = gsdsDefaultEh;
};
TGridDrawStyleEh* GetGridDefaultDrawStyle();

class TGridSelectionDrawParamsEh : public TPersistent {
  KIV_CLASS(TGridSelectionDrawParamsEh, TPersistent)
 public:
  explicit TGridSelectionDrawParamsEh(TCustomGridEh* grid) : grid_(grid) {}
  TGridSelectionDrawStyleEh GetActualSelectionStyle() const;
  virtual bool DefaultDrawFocusFrame() const;
  bool GetDrawFocusFrame() const;
  void SetDrawFocusFrame(bool value);
  bool GetDrawFocusFrameStored() const { return drawFocusFrameStored_; }
  void SetDrawFocusFrameStored(bool value);
  TGridSelectionDrawStyleEh GetSelectionStyle() const { return selectionStyle_; }
  void SetSelectionStyle(TGridSelectionDrawStyleEh value);
  TCustomGridEh* GetGrid() const { return grid_; }

 private:
  bool drawFocusFrame_ = false;
  bool drawFocusFrameStored_ = false;
  TCustomGridEh* grid_;
  TGridSelectionDrawStyleEh selectionStyle_ = gsdsDefaultEh;
};

// ---- The base grid ----

class TCustomGridEh : public TCustomControlEh {
  KIV_CLASS(TCustomGridEh, TCustomControlEh)
 public:
  explicit TCustomGridEh(TComponent* owner);
  ~TCustomGridEh() override;

  // ---- Structure ----
  TGridOptionsEh GetOptions() const { return options_; }
  void SetOptions(TGridOptionsEh value);
  Integer GetColCount() const { return horzAxis_->GetCelCount(); }
  void SetColCount(Integer value) { horzAxis_->SetRolCelCount(value - horzAxis_->GetFixedCelCount()); }
  Integer GetRowCount() const { return vertAxis_->GetCelCount(); }
  void SetRowCount(Integer value) { vertAxis_->SetRolCelCount(value - vertAxis_->GetFixedCelCount()); }
  Integer GetFixedColCount() const { return horzAxis_->GetFixedCelCount(); }
  void SetFixedColCount(Integer value) { horzAxis_->SetFixedCelCount(value); }
  Integer GetFixedRowCount() const { return vertAxis_->GetFixedCelCount(); }
  void SetFixedRowCount(Integer value) { vertAxis_->SetFixedCelCount(value); }
  Integer GetContraColCount() const { return horzAxis_->GetContraCelCount(); }
  void SetContraColCount(Integer value) { horzAxis_->SetContraCelCount(value); }
  Integer GetContraRowCount() const { return vertAxis_->GetContraCelCount(); }
  void SetContraRowCount(Integer value) { vertAxis_->SetContraCelCount(value); }
  Integer GetFrozenColCount() const { return horzAxis_->GetFrozenCelCount(); }
  void SetFrozenColCount(Integer value) { horzAxis_->SetFrozenCelCount(value); }
  Integer GetFrozenRowCount() const { return vertAxis_->GetFrozenCelCount(); }
  void SetFrozenRowCount(Integer value) { vertAxis_->SetFrozenCelCount(value); }
  Integer GetFullColCount() const { return horzAxis_->GetFullCelCount(); }
  Integer GetFullRowCount() const { return vertAxis_->GetFullCelCount(); }
  Integer GetColWidths(Integer index) const { return horzAxis_->GetCelLens(index); }
  void SetColWidths(Integer index, Integer value) { horzAxis_->SetCelLens(index, value); }
  Integer GetRowHeights(Integer index) const { return vertAxis_->GetCelLens(index); }
  void SetRowHeights(Integer index, Integer value) { vertAxis_->SetCelLens(index, value); }
  Integer GetDefaultColWidth() const { return horzAxis_->GetDefaultCelLen(); }
  void SetDefaultColWidth(Integer value) { horzAxis_->SetDefaultCelLen(value); }
  Integer GetDefaultRowHeight() const { return vertAxis_->GetDefaultCelLen(); }
  void SetDefaultRowHeight(Integer value) { vertAxis_->SetDefaultCelLen(value); }
  Integer GetCol() const { return curCell_.X; }
  void SetCol(Integer value);
  Integer GetRow() const { return curCell_.Y; }
  void SetRow(Integer value);
  Int64 GetLeftPos() const { return horzAxis_->GetRolStartVisPos(); }
  Int64 GetTopPos() const { return vertAxis_->GetRolStartVisPos(); }
  void SetLeftPos(Int64 value);
  void SetTopPos(Int64 value);
  Integer GetLeftCol() const { return horzAxis_->GetStartVisCel(); }
  void SetLeftCol(Integer value);
  Integer GetTopRow() const { return vertAxis_->GetStartVisCel(); }
  void SetTopRow(Integer value);
  Integer GetLeftColOffset() const { return horzAxis_->GetRolStartVisCelOfst(); }
  Integer GetLastFullVisibleCol() { return horzAxis_->GetRolLastFullVisCel() + GetFixedColCount(); }
  Integer GetLastFullVisibleRow() { return vertAxis_->GetRolLastFullVisCel() + GetFixedRowCount(); }
  Integer GetVisibleColCount() {
    return horzAxis_->GetRolLastFullVisCel() - horzAxis_->GetRolStartVisCel() + 1;
  }
  Integer GetVisibleRowCount() {
    return vertAxis_->GetRolLastFullVisCel() - vertAxis_->GetRolStartVisCel() + 1;
  }
  Integer GetGridClientWidth() { return horzAxis_->GetGridClientLen(); }
  Integer GetGridClientHeight() { return vertAxis_->GetGridClientLen(); }
  Integer GetGridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(Integer value);
  TColor GetFixedColor() const { return fixedColor_; }
  void SetFixedColor(TColor value);
  bool GetFlat() const { return flat_; }
  void SetFlat(bool value);
  TColor GetFixedLineColor() const { return fixedLineColor_; }
  TBorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  bool GetEditorMode() const { return editorMode_; }
  void SetEditorMode(bool value);
  GridsEh::TInplaceEdit* GetInplaceEditor() const { return inplaceEdit_; }
  TGridScrollBarEh* GetHorzScrollBar() const { return horzScrollBar_.get(); }
  void SetHorzScrollBar(TGridScrollBarEh* value) { horzScrollBar_->Assign(value); }
  TGridScrollBarEh* GetVertScrollBar() const { return vertScrollBar_.get(); }
  void SetVertScrollBar(TGridScrollBarEh* value) { vertScrollBar_->Assign(value); }
  TGridSelectionDrawParamsEh* GetSelectionDrawParams() const { return selectionDrawParams_.get(); }
  TGridLineColorsEh* GetGridLineColors() const { return gridLineColors_.get(); }
  TGridOutBoundaryDataEh* GetOutBoundaryData() const { return outBoundaryData_.get(); }
  TGridBackgroundDataEh* GetBackgroundData() const { return backgroundData_.get(); }
  TGridDrawStyleEh* GetDrawStyle() const { return drawStyle_; }
  void SetDrawStyle(TGridDrawStyleEh* style);
  bool GetSizeGripAlwaysShow() const { return sizeGripAlwaysShow_; }
  void SetSizeGripAlwaysShow(bool value);
  TSizeGripPosition GetSizeGripPostion() const { return sizeGripPostion_; }
  void SetSizeGripPostion(TSizeGripPosition value);
  bool GetBufferedPaint() const { return bufferedPaint_; }
  void SetBufferedPaint(bool value) { bufferedPaint_ = value; }
  bool GetCanvasRightToLeftReflected() const { return canvasRightToLeftReflected_; }
  bool GetSaveCellExtents() const { return saveCellExtents_; }
  void SetSaveCellExtents(bool value) { saveCellExtents_ = value; }
  TGridStateEh GetGridState() const { return gridState_; }
  TGridCoord GetAnchorCell() const { return anchorCell_; }
  TGridCoord GetHotTrackCell() const { return hotTrackCell_; }
  TGridAxisDataEh* GetHorzAxis() const { return horzAxis_.get(); }
  TGridAxisDataEh* GetVertAxis() const { return vertAxis_.get(); }
  TGridScrollBarPanelControlEh* GetHorzScrollBarPanelControl() const { return horzScrollBarPanelControl_; }
  TGridScrollBarPanelControlEh* GetVertScrollBarPanelControl() const { return vertScrollBarPanelControl_; }
  TSizeGripPanelEh* GetCornerScrollBarPanelControl() const { return cornerScrollBarPanelControl_; }
  TTimer* GetGridTimer() const { return gridTimer_; }
  Integer GetScrollBarSize() const { return scrollBarSize_; }

  Integer VertLineWidth() const;
  Integer HorzLineWidth() const;
  bool IsLinesVisible(bool horz) const;
  TColor GetInternalColor() const { return internalColor_; }
  TColor GetInternalFixedColor() const { return internalFixedColor_; }
  TColor GetInternalFixedFontColor() const { return internalFixedFontColor_; }

  // ---- Coordinates and rectangles ----
  TGridCoord CalcCoordFromPoint(Integer x, Integer y);
  Integer ContraLineWidth(bool horz) const;
  virtual TGridCoord MouseCoord(Integer x, Integer y);
  TRect BoxRect(TGridRect gridRect, bool reflectRightToLeft = true, bool clip = true);
  TRect CellRect(Integer col, Integer row, bool reflectRightToLeft = true);
  TRect CellRectUnclipped(Integer col, Integer row);
  TRect BoxRectUnclipped(TGridRect gridRect);
  Int64 CalcColRangeWidth(Integer index, Integer count);
  Int64 CalcRowRangeHeight(Integer index, Integer count);
  TGridRect GetSelection() const { return GridRect(curCell_, anchorCell_); }

  // ---- Layout and scrolling ----
  void BeginBoundariesUpdate() { ++boundariesUpdateCount_; }
  void EndBoundariesUpdate() { --boundariesUpdateCount_; }
  bool IsBoundariesUpdating() const { return boundariesUpdateCount_ > 0; }
  void LockPaint() { ++lockPaint_; }
  void UnlockPaint() {
    if (lockPaint_ > 0) --lockPaint_;
  }
  bool IsPaintLocked() const { return lockPaint_ > 0; }
  bool AxesPositionsValid() const;
  virtual void ScrollBarScroll(Integer kind, Integer scrollCode, bool fromScrollBar, Integer pos);
  void AxisScrollPosChanged(TGridAxisDataEh* axis, Int64 oldPos);

  // ---- Editing and focus ----
  virtual void ShowEditor();
  virtual void HideEditor();
  void ShowEditorWithChar(Char ch);
  void HideInplaceEdit();
  virtual void UpdateEdit();
  virtual void UpdateText();
  virtual void InvalidateEditor();
  virtual bool CanEditShow();
  virtual bool CanEditModify() { return canEditModify_; }
  virtual bool CanEditAcceptKey(Char /*key*/) { return true; }
  virtual bool EditorForwardsKey(Word key, TShiftState shift);
  virtual TRect GetEditorRect(Integer col, Integer row);
  virtual String GetEditMask(Integer /*col*/, Integer /*row*/) { return String(); }
  virtual String GetEditText(Integer /*col*/, Integer /*row*/) { return String(); }
  virtual Integer GetEditLimit() { return 0; }
  virtual void SetEditText(Integer /*col*/, Integer /*row*/, const String& /*value*/) {}
  bool CanFocus() const override;
  bool Focused() const override;
  bool IsActiveControl() const;
  virtual bool ContainsFocus() const;
  virtual bool TryFocusGrid();
  void FocusControlInternally(TWinControl* control);
  bool GetInternalFocusResetting() const { return internalFocusResetting_; }
  void SetInternalFocusResetting(bool value) { internalFocusResetting_ = value; }

  // ---- Moving and deleting ----
  void MoveColumn(Integer fromIndex, Integer toIndex) { horzAxis_->MoveCel(fromIndex, toIndex); }
  void MoveRow(Integer fromIndex, Integer toIndex) { vertAxis_->MoveCel(fromIndex, toIndex); }
  virtual void DeleteColumn(Integer index);
  virtual void DeleteRow(Integer index);

  // ---- Invalidation ----
  virtual void InvalidateRect(TGridRect gridRect);
  void InvalidateCell(Integer col, Integer row) { InvalidateRect({col, row, col, row}); }
  void InvalidateCol(Integer col);
  void InvalidateRow(Integer row);
  void InvalidateGrid() { Invalidate(); }

  // ---- Axis notifications ----
  virtual void AxisCelCountChanged(TGridAxisDataEh* axis);
  virtual void AxisCelLenChanged(TGridAxisDataEh* axis, Integer index, Integer oldLen);
  virtual void AxisCelMoved(TGridAxisDataEh* axis, Integer fromIndex, Integer toIndex);
  virtual void AxisPositionsUpdated() { UpdateBoundaries(); }
  virtual void CheckUpdateAxes();
  virtual void UpdateBoundaries();
  virtual void DrawStyleChanged() { Invalidate(); }
  virtual void OutBoundaryDataChanged() { UpdateBoundaries(); }
  virtual void ScrollBarSizeChanged(TGridScrollBarEh* /*bar*/) { UpdateBoundaries(); }
  virtual void UpdateScrollBars();
  virtual void CalcHorzScrollBarParams(Integer& position, Integer& min, Integer& pageSize, Integer& max);
  virtual void CalcVertScrollBarParams(Integer& position, Integer& min, Integer& pageSize, Integer& max);
  // The 64-bit thumb of an axis scaled onto the 32-bit bar, and back.
  Integer AxisPosToBar(TGridAxisDataEh* axis, Int64 pos);
  Int64 BarPosToAxis(TGridAxisDataEh* axis, Integer barPos);
  virtual bool IsDrawFocusFrame();
  virtual TGridSelectionDrawStyleEh DrawStyleSelectionStyle();
  virtual void MoveCurCell(Integer col, Integer row, bool scrollHorz, bool scrollVert);
  virtual void FocusCell(Integer col, Integer row, bool moveAnchor);
  virtual void SetAnchorCell(Integer col, Integer row, bool show);
  virtual void ScrollCellIntoView(TGridCoord cell, bool horz, bool vert);
  virtual void ClampCellCoord(Integer& col, Integer& row);
  virtual void CheckCoordInGrid(TGridCoord& coord);
  bool HasRangeSelection() const { return !(curCell_ == anchorCell_); }
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  void KeyUp(Word& key, TShiftState shift) override { inherited::KeyUp(key, shift); }
  bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
  bool DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) override {
    return inherited::DoMouseWheel(shift, wheelDelta, mousePos);
  }
  void DblClick() override { inherited::DblClick(); }
  void CancelModeForTests() { CancelMode(); }

  TGridEhCellMouseEvent OnCellMouseClick;
  TGridEhCellMouseEvent OnCellMouseDown;

 protected:
  friend class TGridAxisDataEh;
  friend class GridsEh::TInplaceEdit;

  // ---- Factories ----
  virtual TGridBackgroundDataEh* CreateBackgroundData();
  virtual GridsEh::TInplaceEdit* CreateEditor();
  virtual TGridLineColorsEh* CreateGridLineColors();
  // A descendant's constructor makes its own line colours: the base's constructor could not ask it.
  void RecreateGridLineColors() { gridLineColors_.reset(CreateGridLineColors()); }
  void RecreateBackgroundData() { backgroundData_.reset(CreateBackgroundData()); }
  // The same for the scroll-bar settings, which the base's constructor made as its own kind.
  void RecreateScrollBars() {
    horzScrollBar_.reset(CreateScrollBar(sbHorizontal));
    vertScrollBar_.reset(CreateScrollBar(sbVertical));
  }
  virtual TGridScrollBarPanelControlEh* CreateHorzScrollBarPanel();
  virtual TGridScrollBarPanelControlEh* CreateVertScrollBarPanel();
  virtual TSizeGripPanelEh* CreateSizeGripPanel();
  virtual TGridHotTrackSpotEh* CreateHotTrackSpot();
  virtual TGridScrollBarEh* CreateScrollBar(TScrollBarKind kind);

  // ---- Painting ----
  void Paint() override;
  void WndProc(TMessage& message) override;
  virtual void DrawCell(Integer col, Integer row, TGridDrawState state, TRect rect);
  virtual void DrawCellBorders(Integer col, Integer row, TGridCellBorderTypesEh borders, TGridDrawState state,
                               TRect& rect);
  virtual void DrawCellContent(Integer col, Integer row, TGridDrawState state, const TRect& rect);
  virtual void GetCellBorderParams(Integer col, Integer row, bool& joinCorner, TColor& color, bool& isDraw,
                                   TGridCellBorderTypeEh borderType);
  bool IsCellBorderVisible(Integer col, Integer row, TGridCellBorderTypeEh borderType);
  virtual void DrawEmptySpace(Integer col, Integer row, const TRect& rect);
  virtual void DrawOutBoundaryData();
  virtual void DrawTopOutBoundary(const TRect& rect);
  virtual void DrawLeftOutBoundary(const TRect& rect);
  virtual void DrawBottomOutBoundary(const TRect& rect);
  virtual void DrawRightOutBoundary(const TRect& rect);
  virtual bool IsThemedSelectionCell(TGridDrawState state);
  virtual void DrawThemedCellSelection(Integer col, Integer row, TGridDrawState state, const TRect& rect);
  virtual void UpdateInternalColors();
  virtual void DrawFocusFrame(const TRect& rect);
  void ChangeCanvasOrientation(TCanvas* canvas, bool rightToLeft);
  void WriteCellText(TCanvas* canvas, TRect rect, bool fillRect, Integer dx, Integer dy, const String& text,
                     TAlignment alignment, TTextLayout layout, bool multiLine, bool endEllipsis,
                     Integer leftMarg, Integer rightMarg);
  void GridPolyline(TCanvas* canvas, std::vector<TPoint> points);
  void DrawLineByFill(Integer x1, Integer y1, Integer x2, Integer y2, Integer width);
  virtual void PaintSizingLine();

  // ---- Layout and scrolling ----
  virtual void ClampScrollPositions(bool horzAlign, bool vertAlign);
  virtual void HorzScroll(Integer scrollCode, Integer pos);
  virtual void VertScroll(Integer scrollCode, Integer pos);
  virtual void ScrollPosChanged(Int64 oldLeftPos, Int64 oldTopPos);
  virtual void Scrolled() {}
  virtual void UpdateScrollBarPanels();
  virtual void ScrollBarPanelsChanged() {}
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  virtual void TimedScroll(TObject* sender);
  virtual void SetTimerActive(bool active, Integer interval);
  virtual Integer VertScrollStep();
  virtual Integer WheelScrollStep() { return VertScrollStep(); }
  virtual bool IsSmoothHorzScroll() { return horzScrollBar_->GetSmoothStep(); }
  virtual bool IsSmoothVertScroll() { return vertScrollBar_->GetSmoothStep(); }
  virtual bool IsBackgroundShowing() { return backgroundData_->Showing(); }
  void Resize() override;
  void Loaded() override;
  void CreateParams(TCreateParams& params) override;
  void DefineProperties(TFiler* filer) override;

  // ---- Keyboard, mouse, selection ----
  virtual bool CanSelectCell(Integer /*col*/, Integer /*row*/) { return true; }
  virtual void NextSelectableCell(Integer curCol, Integer curRow, Integer newCol, Integer newRow,
                                  TGridCoord& result);
  virtual bool IsTabStopCol(Integer /*col*/) { return true; }
  virtual void ShiftAnchorCell(Integer flags);
  virtual void SelectionChanged(TGridRect oldSelection);
  virtual void CurrentCellMoved(TGridCoord /*oldCurrent*/) {}
  virtual void CellMouseDown(TGridCoord cell, TMouseButton button, TShiftState shift, const TRect& cellRect,
                             TPoint gridMousePos, TPoint cellMousePos);
  virtual void CellMouseClick(TGridCoord cell, TMouseButton button, TShiftState shift, const TRect& cellRect,
                              TPoint gridMousePos, TPoint cellMousePos);
  virtual void DefaultCellMouseDown(TGridCoord, TMouseButton, TShiftState, const TRect&, TPoint, TPoint) {}
  virtual void DefaultCellMouseClick(TGridCoord, TMouseButton, TShiftState, const TRect&, TPoint, TPoint) {}
  virtual bool CanProcessCellClick(const TWMMouse& message);
  virtual TCursor CalcCursorAt(TPoint point);
  virtual bool IsHotTrackCell(Integer /*col*/, Integer /*row*/) { return false; }
  virtual void CalcHotTrackInfoAt(TGridHotTrackSpotEh* spot, Integer x, Integer y);
  virtual bool HotTrackSpotsEqual(TGridHotTrackSpotEh* a, TGridHotTrackSpotEh* b);
  virtual void InvalidateHotTrackCell(TGridHotTrackSpotEh* spot);
  virtual void UpdateHotTrackInfo(Integer x, Integer y);
  virtual void CancelMode();
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void DoExit() override;

  // ---- Sizing and moving ----
  virtual void CalcSizingState(Integer x, Integer y, Integer& sizingOfs, Integer& sizingPos,
                               Integer& sizingIndex, TGridStateEh& state);
  virtual TGridStateEh SizingStateAtPos(Integer x, Integer y);
  virtual bool IsSizingSpotAt(Integer x, Integer y) { return SizingStateAtPos(x, y) != gsNormalEh; }
  virtual bool FixedColsSizingAllowed() { return false; }
  virtual bool FixedRowsSizingAllowed() { return false; }
  virtual void InitSizingLinePos();
  virtual void DrawSizingLine();
  virtual void GetSizingLineBounds(Integer& start, Integer& stop);
  Integer CalcSizingCelLen(TGridAxisDataEh* axis);
  virtual void ChangeColWidth(Integer index, Integer width) { SetColWidths(index, width); }
  virtual void ChangeRowHeight(Integer index, Integer height) { SetRowHeights(index, height); }
  virtual bool IsColumnSelected(Integer& /*origin*/, Integer& /*destination*/, TPoint /*mousePt*/) {
    return true;
  }
  virtual bool BeginRowDrag(Integer& /*origin*/, Integer& /*destination*/, TPoint /*mousePt*/) {
    return true;
  }
  virtual bool CheckColumnDrag(Integer& /*origin*/, Integer& /*destination*/, TPoint /*mousePt*/) {
    return true;
  }
  virtual bool CheckRowDrag(Integer& /*origin*/, Integer& /*destination*/, TPoint /*mousePt*/) {
    return true;
  }
  virtual bool CheckMoveTarget(Integer origin, Integer& target, TPoint mousePt);
  virtual bool EndRowDrag(Integer& /*origin*/, Integer& /*destination*/, TPoint /*mousePt*/) { return true; }
  virtual void BeginColMoving(Integer index, Integer x, Integer y);
  virtual void BeginRowMoving(Integer index);
  void UpdateMoveTarget(Integer pos, Integer cellIndex, TPoint mousePt, bool isVert, TGridAxisDataEh* axis);
  virtual void DrawMoveLine();
  virtual void HideMoveLine();
  virtual void ColMoved(Integer fromIndex, Integer toIndex);
  virtual void RowMoved(Integer /*fromIndex*/, Integer /*toIndex*/) {}

  TRect winClientBoundary_;
  GridsEh::TInplaceEdit* inplaceEdit_ = nullptr;
  Integer inplaceCol_ = -1, inplaceRow_ = -1;
  TGridCoord curCell_{1, 1};
  TGridCoord anchorCell_{1, 1};
  TGridStateEh gridState_ = gsNormalEh;
  TGridCoord hotTrackCell_{-1, -1};
  TPoint hotTrackInCellPos_{-1, -1};
  TColor internalColor_ = clWindow, internalFixedColor_ = clBtnFace, internalFixedFontColor_ = clWindowText,
         internalFontColor_ = clWindowText;
  TGridCoord mouseDownCell_{-1, -1};
  bool mouseInControl_ = false;
  Integer moveFromIndex_ = -1, moveToIndex_ = -1, moveFromCellOriginDistance_ = 0;
  TPoint mouseMovePos_;
  bool movePosRightSite_ = false;
  std::unique_ptr<TGridHotTrackSpotEh> newHotTrackSpot_, oldHotTrackSpot_;
  Integer sizingIndex_ = -1, sizingPos_ = 0, sizingOfs_ = 0;
  Integer drawenSizingPos1_ = -1, drawenSizingPos2_ = -1;
  bool internalFocusResetting_ = false;
  bool focused_ = false;
  TPoint hitTest_;
  TPoint panPoint_;

 private:
  void DrawCells(Integer startCol, Integer startRow, Integer colLimit, TGridDrawState state, Integer stopY,
                 Integer stopX, Integer startY, Integer startX, Integer rowLimit);
  void DrawBoundaryLines(TGridCellBorderTypeEh side, bool singlePoint, Integer col, Integer stop,
                         Integer start, Integer pos, Integer limit, Integer startIndex);
  void PaintCellAreas();
  void PaintEmptySpace();
  HRGN SelectAreaClip(TRect rect);
  void ReadColWidths(TReader* reader);
  void WriteColWidths(TWriter* writer);
  void ReadRowHeights(TReader* reader);
  void WriteRowHeights(TWriter* writer);
  void ApplyScrollBarRoom();
  void ScrollAxisByCode(TGridAxisDataEh* axis, TGridScrollBarEh* bar, Integer scrollCode, Integer pos,
                        bool horz);
  Integer PageDownRow();
  Integer PageUpRow();
  void SelectingMouseMove(Integer x, Integer y);
  void FireCellMouse(TWMMouse& message, TMouseButton button, bool isDown, bool isDouble);
  bool FindSizingSpot(TGridAxisDataEh* axis, Integer pos, Integer width, bool allFixed, Integer& sizingOfs,
                      Integer& sizingPos, Integer& sizingIndex);
  void InvalidateSizingLine(Integer pos);
  void ColumnAutoScrollInterval(Int64 oldLeftPos);

  std::unique_ptr<TGridBackgroundDataEh> backgroundData_;
  TBorderStyle borderStyle_ = bsSingle;
  bool bufferedPaint_ = false;
  bool canEditModify_ = true;
  bool canvasRightToLeftReflected_ = false;
  TSizeGripPanelEh* cornerScrollBarPanelControl_ = nullptr;
  TGridDrawStyleEh* drawStyle_ = nullptr;
  bool editorMode_ = false;
  TSizeGripPanelEh* extraSizeGripControl_ = nullptr;
  TColor fixedColor_ = clBtnFace;
  bool flat_ = false;
  std::unique_ptr<TGridLineColorsEh> gridLineColors_;
  Integer gridLineWidth_ = 1;
  std::unique_ptr<TGridAxisDataEh> horzAxis_;
  std::unique_ptr<TGridScrollBarEh> horzScrollBar_;
  bool horzScrollBarIsShowing_ = false;
  TGridScrollBarPanelControlEh* horzScrollBarPanelControl_ = nullptr;
  TGridOptionsEh options_;
  Integer scrollBarSize_ = 16;
  std::unique_ptr<TGridSelectionDrawParamsEh> selectionDrawParams_;
  bool sizeGripAlwaysShow_ = false;
  TSizeGripPosition sizeGripPostion_ = sgpBottomRight;
  std::unique_ptr<TGridAxisDataEh> vertAxis_;
  std::unique_ptr<TGridScrollBarEh> vertScrollBar_;
  bool vertScrollBarIsShowing_ = false;
  TGridScrollBarPanelControlEh* vertScrollBarPanelControl_ = nullptr;
  std::unique_ptr<TGridOutBoundaryDataEh> outBoundaryData_;
  Integer boundariesUpdateCount_ = 0;
  TGridOptionsEh designOptionsBoost_;
  TColor fixedLineColor_ = clBlack;
  TTimer* gridTimer_ = nullptr;
  Integer lockPaint_ = 0;
  bool saveCellExtents_ = false;
  TGridSelectionDrawStyleEh paintSelectionStyle_ = gsdsClassicEh;
  TGridRect paintSelection_;
};

// The default options of a new grid.
TGridOptionsEh DefaultGridOptionsEh();

// ---- In-place cell editor host ----

namespace GridsEh {

class TInplaceEditCoreControl;

// A borderless control over the current cell that hosts the inner masked edit; the host owns the
// geometry, visibility and focus transfer, the inner edit the text and keys.
class TInplaceEdit : public TCustomControl {
  KIV_CLASS(TInplaceEdit, TCustomControl)
 public:
  explicit TInplaceEdit(TComponent* owner);
  ~TInplaceEdit() override;

  TCustomGridEh* GetGrid() const { return grid_; }
  void SetGrid(TCustomGridEh* grid) { grid_ = grid; }
  TInplaceEditCoreControl* GetEditCoreControl() const { return editCoreControl_; }
  String GetText() const;
  void SetText(const String& value);
  String GetEditText() const;
  Integer GetMaxLength() const;
  void SetMaxLength(Integer value);
  bool GetReadOnly() const;
  void SetReadOnly(bool value);
  Integer GetSelStart() const;
  void SetSelStart(Integer value);
  Integer GetSelLength() const;
  void SetSelLength(Integer value);
  String GetEditMask() const;
  void SetEditMask(const String& value);
  bool GetModified() const;
  bool GetIsMasked() const;
  bool GetAutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool value) { autoSelect_ = value; }
  Cardinal GetClickTime() const { return clickTime_; }
  void SetClickTime(Cardinal value) { clickTime_ = value; }
  // The text the cell had when it was loaded; Esc puts it back.
  const String& GetLoadedText() const { return loadedText_; }

  bool Visible() const;
  bool Focused() const override;
  void Deselect() {}
  virtual void Hide();
  void Move(const TRect& loc);
  void UpdateLoc(const TRect& loc);
  void SetFocus() override;
  void Reset();
  void SetSel(Integer startPos, Integer length);
  void SelectAll();
  Integer GetTextLen() const;

  virtual bool EditCanModify();
  virtual void CalcCoreControlRect(TRect& rect);
  virtual bool InterceptCut(TMessage& /*message*/) { return false; }
  virtual bool InterceptPaste(TMessage& /*message*/) { return false; }
  virtual bool InterceptClear(TMessage& /*message*/) { return false; }
  virtual TInplaceEditCoreControl* CreateEditCoreControl();
  virtual void UpdateCoreControlBounds();
  virtual void EditChanged() {}
  virtual void EditCoreKillFocus(HWND /*focusedWnd*/) {}
  virtual void DispatchKeyMessage(TMessage& message);
  virtual void UpdateContents();

 protected:
  void WndProc(TMessage& message) override;
  void Resize() override;
  void Paint() override;
  void DoMove(const TRect& loc, bool forceRepaint);
  // A constructor cannot reach a descendant's CreateEditCoreControl: a descendant with its own inner
  // edit calls this from its constructor.
  void RecreateEditCoreControl();

 private:
  TCustomGridEh* grid_ = nullptr;
  Cardinal clickTime_ = 0;
  TInplaceEditCoreControl* editCoreControl_ = nullptr;
  bool internalTextSetting_ = false;
  bool autoSelect_ = false;
  String loadedText_;
};

class TInplaceEditCoreControl : public TCustomMaskEdit {
  KIV_CLASS(TInplaceEditCoreControl, TCustomMaskEdit)
 public:
  explicit TInplaceEditCoreControl(TComponent* owner);
  TInplaceEdit* GetParentEdit() const { return parentEdit_; }
  void SetParentEdit(TInplaceEdit* value) { parentEdit_ = value; }
  TCustomGridEh* GetGrid() const { return parentEdit_ ? parentEdit_->GetGrid() : nullptr; }
  bool EditCanModify() override;
  virtual void UpdateContents();
  using TCustomMaskEdit::Reset;
  // The grid's edit limit: the edit's maximum length, or −1, which marks a read-only cell (the
  // edit itself takes no negative length).
  Integer GetEditLimit() const { return readOnlyLimit_ ? -1 : GetMaxLength(); }
  void SetEditLimit(Integer value);

 protected:
  friend class TInplaceEdit;
  void WndProc(TMessage& message) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  void KeyUp(Word& key, TShiftState shift) override;
  void Change() override;
  void DblClick() override;
  bool DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) override;

 private:
  TInplaceEdit* parentEdit_ = nullptr;
  bool readOnlyLimit_ = false;
};

}  // namespace GridsEh

// ---- List boxes ----

class TCustomListboxEh;

// An item object of a list box: draws itself and reacts to the mouse and keys.
class TCustomListboxItemEh : public TObject {
  KIV_CLASS(TCustomListboxItemEh, TObject)
 public:
  TCustomListboxItemEh() = default;
  virtual bool CanFocus(TCustomListboxEh* /*sender*/, Integer /*index*/) { return true; }
  virtual void GetDisplayText(TCustomListboxEh* sender, Integer index, String& text);
  virtual void DrawItem(TCustomListboxEh* sender, Integer index, const TRect& rect, TGridDrawState state);
  virtual void MouseDown(TCustomListboxEh*, Integer, TPoint, TMouseButton, TShiftState) {}
  virtual void MouseMove(TCustomListboxEh*, Integer, TPoint, TShiftState) {}
  virtual void MouseUp(TCustomListboxEh*, Integer, TPoint, TMouseButton, TShiftState) {}
  virtual void KeyPress(TCustomListboxEh*, Integer, Char&, TShiftState) {}
  virtual bool IsDataItem() { return true; }
  virtual void Execute(TCustomListboxEh*, Integer, TPoint, TShiftState) {}
};

class TPopupListboxItemEh : public TCustomListboxItemEh {
  KIV_CLASS(TPopupListboxItemEh, TCustomListboxItemEh)
 public:
  TPopupListboxItemEh() = default;
  virtual void MouseUp(TCustomListboxEh* sender, Integer index, bool& isMouseUpCloseListbox,
                       TShiftState shift, TMouseButton button, TPoint inItemPos);
  virtual bool CloseOnExecute(TCustomListboxEh* /*sender*/, Integer /*itemIndex*/) { return true; }
  using TCustomListboxItemEh::MouseUp;
};
TPopupListboxItemEh* GetPopupListboxItemEh();

using TListGetImageIndexEventEh = TDelegate<void(TObject* Sender, Integer ItemIndex, Integer& ImageIndex)>;

// A one-column grid whose rows are the items of a string list or of a virtual list of a given count.
class TCustomListboxEh : public TCustomGridEh {
  KIV_CLASS(TCustomListboxEh, TCustomGridEh)
 public:
  explicit TCustomListboxEh(TComponent* owner);
  ~TCustomListboxEh() override;

  TStrings* GetItemsProp() { return GetItems(); }
  void SetItemsProp(TStrings* value) { SetItems(value); }
  TStrings* GetOwnItems() const { return items_.get(); }
  Integer GetCount();
  void SetCount(Integer value);
  Integer GetItemIndex() const;
  void SetItemIndex(Integer value);
  Integer GetItemHeight() const { return itemHeight_; }
  void SetItemHeight(Integer value);
  TCustomImageList* GetImageList() const { return imageList_; }
  void SetImageList(TCustomImageList* value) { imageList_ = value; }
  TAlignment GetItemAlignment() const { return itemAlignment_; }
  void SetItemAlignment(TAlignment value);
  bool GetUseItemObjects() const { return useItemObjects_; }
  void SetUseItemObjects(bool value) { useItemObjects_ = value; }
  bool GetSorted() const { return sorted_; }
  void SetSorted(bool value) { sorted_ = value; }
  bool GetVirtualItems() const { return virtualItems_; }
  void SetVirtualItems(bool value);
  Integer GetTopIndex() const { return GetTopRow(); }
  void SetTopIndex(Integer value) { SetTopRow(value); }
  Integer ItemAtPos(TPoint pos, bool existing);
  Integer StrictIndexToClient(Integer x, Integer y);
  void InvalidateIndex(Integer itemIndex);
  TRect GetItemRect(Integer index) { return CellRect(0, index); }
  void UpdateRowCount();
  String GetItemTextOf(Integer index) {
    String text;
    GetItemText(index, text);
    return text;
  }

  virtual TStrings* GetItems();
  virtual void GetItemText(Integer index, String& text);
  virtual void DrawItem(Integer index, const TRect& rect, TGridDrawState state);
  virtual void GetItemTextDefault(Integer index, String& text);
  virtual void SetItems(TStrings* value);
  virtual void DefaultDrawItem(Integer index, const TRect& rect, TGridDrawState state);
  virtual Integer GetTextHeight();
  void FocusCell(Integer col, Integer row, bool moveAnchor) override;

  TListGetImageIndexEventEh OnGetImageIndex;

 protected:
  void DrawCell(Integer col, Integer row, TGridDrawState state, TRect rect) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void Resize() override;
  TCustomListboxItemEh* ItemObject(Integer index);
  void ItemsChanged(TObject* sender);

  std::unique_ptr<TStringList> items_;
  TCustomImageList* imageList_ = nullptr;
  TAlignment itemAlignment_ = taLeftJustify;
  Integer itemHeight_ = 0;
  bool rowSeleced_ = false;
  bool sorted_ = false;
  bool useItemObjects_ = false;
  bool virtualItems_ = false;
  Integer virtualRowCount_ = 0;
};

// The list inside the popup list form: never takes the focus, always paints as focused, hover selects.
class TPopupListboxGridEh : public TCustomListboxEh {
  KIV_CLASS(TPopupListboxGridEh, TCustomListboxEh)
 public:
  explicit TPopupListboxGridEh(TComponent* owner);
  bool CanFocus() const override { return false; }
  bool Focused() const override { return true; }
  virtual Integer GetBorderSize();
  TStrings* GetExtItems() const { return extItems_; }
  void SetExtItems(TStrings* value);
  TStrings* GetItems() override { return extItems_ ? extItems_ : items_.get(); }
  void SetItems(TStrings* value) override;
  void GetItemTextDefault(Integer index, String& text) override;
  virtual TObject* GetDataObject(Integer index);
  Integer GetRowCountProp() const { return rowCount_; }
  void SetRowCountProp(Integer value);
  bool GetIsMouseUpCloseListbox() const { return isMouseUpCloseListbox_; }
  bool GetSizeGripResized() const { return sizeGripResized_; }
  Integer GetResizedRowCount() const { return resizedRowCount_; }
  Integer GetResizedWidth() const { return resizedWidth_; }
  bool GetInternalResizing() const { return internalResizing_; }
  void SetInternalResizing(bool value) { internalResizing_ = value; }

 protected:
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void Resize() override;

  Integer borderWidth_ = 0;
  TStrings* extItems_ = nullptr;
  Integer mouseIndex_ = -1;
  TPoint mousePos_{-1, -1};
  Integer rowCount_ = 0;
  bool sizeGripResized_ = false;
  Integer resizedRowCount_ = 0, resizedWidth_ = 0;
  bool internalResizing_ = false;
  bool isMouseUpCloseListbox_ = false;
};

// The non-activating popup form of pick lists and most-recently-used lists.
class TPopupListboxFormEh : public TPopupInactiveFormEh {
  KIV_CLASS(TPopupListboxFormEh, TPopupInactiveFormEh)
 public:
  explicit TPopupListboxFormEh(TComponent* owner);
  TPopupListboxGridEh* GetListGrid() const { return listGrid_; }
  TStrings* GetItems() const { return listGrid_->GetItems(); }
  TStrings* GetExtItems() const { return listGrid_->GetExtItems(); }
  void SetExtItems(TStrings* value) { listGrid_->SetExtItems(value); }
  Integer GetItemIndex() const { return listGrid_->GetItemIndex(); }
  void SetItemIndex(Integer value) { listGrid_->SetItemIndex(value); }
  Integer GetItemHeight() const { return listGrid_->GetItemHeight(); }
  void SetItemHeight(Integer value) { listGrid_->SetItemHeight(value); }
  Integer GetCount() const { return listGrid_->GetCount(); }
  void SetCount(Integer value) { listGrid_->SetCount(value); }
  bool GetIsMouseUpCloseListbox() const { return listGrid_->GetIsMouseUpCloseListbox(); }
  Integer GetRowCount() const { return rowCount_; }
  void SetRowCount(Integer value);
  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
  virtual void ListGridMouseUp(TObject* sender, TMouseButton button, TShiftState shift, Integer x, Integer y);
  virtual Integer GetTextHeight() { return listGrid_->GetTextHeight(); }
  virtual Integer GetBorderSize() { return listGrid_->GetBorderSize(); }

 private:
  bool internalResizing_ = false;
  TPopupListboxGridEh* listGrid_ = nullptr;
  Integer resizedRowCount_ = 0, resizedWidth_ = 0, rowCount_ = 0;
  bool sizeGripResized_ = false;
};

class TMRUListboxEh : public TPopupListboxFormEh {
  KIV_CLASS(TMRUListboxEh, TPopupListboxFormEh)
 public:
  explicit TMRUListboxEh(TComponent* owner) : TPopupListboxFormEh(owner) {}
};
