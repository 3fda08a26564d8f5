// The data grid's construction, life cycle, data link reactions, editing permissions, its links to the
// process-wide style and default-handler objects, the selected-rows list, the scroll-bar settings and
// the loading status.
#include "gridlib/dbgrid/DBGridEh.h"

#include <algorithm>
#include <cmath>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/base/GridLibLangConsts.h"
#include "platform/rtl/ScopeGuard.h"

// ======================= Selected rows =======================

TDataSet* TBookmarkListEh::GetDataSet() const {
  TAxisGridDataLinkEh* link = grid_ ? grid_->TCustomDBAxisGridEh::GetDataLink() : nullptr;
  return link ? link->GetDataSet() : nullptr;
}

// Rows selected by bookmark make the selection's shape the bookmark shape.
void TBookmarkListEh::Changed() {
  TBMListEh::Changed();
  if (!grid_ || !grid_->GetSelection()) return;
  TDBGridEhSelection* selection = grid_->GetSelection();
  if (selection->GetSelectionType() != gstRecordBookmarks && GetCount() > 0) {
    selection->Clear();
    selection->SetSelectionType(gstRecordBookmarks);
  }
  selection->UpdateState();
  selection->SelectionChanged();
  grid_->Invalidate();
}

void TBookmarkListEh::SelectionStateChanged() {
  if (grid_ && grid_->GetSelection()) grid_->GetSelection()->UpdateState();
}

void TBookmarkListEh::InsertItem(Integer index, const TBookmark& item) {
  TBMListEh::InsertItem(index, item);
  if (grid_) grid_->SelectedRowsItemChanged(item, lnAdded);
}

void TBookmarkListEh::DeleteItem(Integer index) {
  const TBookmark item = GetItem(index);
  TBMListEh::DeleteItem(index);
  if (grid_) grid_->SelectedRowsItemChanged(item, lnDeleted);
}

// The current row of an empty dataset cannot be selected.
void TBookmarkListEh::SetCurrentRowSelected(bool value) {
  TDataSet* ds = GetDataSet();
  if (value && (!ds || ds->IsEmpty())) return;
  TBMListEh::SetCurrentRowSelected(value);
  if (grid_) grid_->InvalidateRow(grid_->GetRow());
}

// ======================= Data link =======================

TGridDataLinkEh::TGridDataLinkEh(TCustomDBGridEh* grid) : TAxisGridDataLinkEh(grid) {}

void TCustomDBGridEh::Notification(TComponent* component, TOperation operation) {
  TCustomDBAxisGridEh::Notification(component, operation);
  if (operation != opRemove) return;
  if (indicatorTitle_ && indicatorTitle_->GetDropdownMenu() == component)
    indicatorTitle_->SetDropdownMenu(nullptr);
  if (titleParams_ && titleParams_->GetPopupMenu() == component) titleParams_->SetPopupMenu(nullptr);
}

void TGridDataLinkEh::ActiveChanged() {
  TAxisGridDataLinkEh::ActiveChanged();
  static_cast<TCustomDBGridEh*>(GetGrid())->UpdateScrollBars();
}

// ======================= The grid =======================

TCustomDBGridEh::TCustomDBGridEh(TComponent* owner) : TCustomDBAxisGridEh(owner) {
  // The parameter objects answer the column defaults: they exist before the columns.
  titleParams_ = std::make_unique<TDBGridTitleParamsEh>(this);
  indicatorParams_ = std::make_unique<TDBGridIndicatorParamsEh>(this);
  footerParams_ = std::make_unique<TDBGridFooterParamsEh>(this);
  RecreateGridLineColors();
  RecreateScrollBars();
  RecreateBackgroundData();
  // The axis grid made its own parts while this class was not yet there.
  CreateOwnedParts();
  style_ = GetGlobalGridStyle();
  if (style_) style_->AddChangeNotification(this);
  center_ = GetGlobalGridCenter();
  if (center_) center_->AddChangeNotification(this);
  indicatorOffset_ = 1;
  updateFields_ = true;
  options_ = {dgEditing,  dgTitles, dgIndicator,     dgColumnResize, dgColLines,
              dgRowLines, dgTabs,   dgConfirmDelete, dgCancelOnExit};
  ApplyBaseOptions();
  bookmarks_ = std::make_unique<TBookmarkListEh>(this);
  selection_ = std::make_unique<TDBGridEhSelection>(this);
  sumList_ = std::make_unique<TDBGridEhSumList>(this);
  // New sums reach the footers and the scroll bar; a full recalculation is told to the application.
  sumList_->SumListChanged = [this](TObject*) { DoSumListChanged(); };
  sumList_->OnRecalcAll = [this](TObject*) { DoSumListRecalcAll(); };
  sumList_->OnAfterRecalcAll = [this](TObject*) { DoSumListAfterRecalcAll(); };
  optionsEh_ = {dghFixed3D,      dghHighlightFocus, dghClearSelection, dghDialogFind,
                dghColumnResize, dghColumnMove,     dghExtendVertLines};
  // Column sizing and moving in the base grid follow the extended options.
  ApplyBaseOptions();
  indicatorOptions_ = {gioShowRowIndicatorEh};
  sortMarkedColumns_ = std::make_unique<TColumnsEhList>();
  allowedSelections_ = {gstRecordBookmarks, gstRectangle, gstColumns, gstAll};
  indicatorTitle_ = std::make_unique<TDBGridEhIndicatorTitle>(this);
  popupMenuParams_ = std::make_unique<TDBGridEhPopupMenuParams>(this);
  emptyDataInfo_ = std::make_unique<TGridEmptyDataInfoEh>(this);
  recNoTextWidth_ = CalcIndicatorColWidth();
  CalcRowHeights();
  HideEditor();
}

TCustomDBGridEh::~TCustomDBGridEh() {
  // No dataset notification may reach a half-freed grid; the dataset gets its handlers back first.
  Destroying();
  sumList_->SetActive(false);
  sumList_->SetDataSet(nullptr);
  SetDataSource(nullptr);
  SetEventTable(nullptr);
  if (style_) style_->RemoveChangeNotification(this);
  if (center_) center_->RemoveChangeNotification(this);
  selection_.reset();
  bookmarks_->Clear();
  // The footers' aggregates live in the sum list, which goes before the axis grid frees the columns.
  GetColumns()->Clear();
}

void TCustomDBGridEh::StyleGone(TDBGridEhStyle* style) {
  if (style_ == style) style_ = nullptr;
}

void TCustomDBGridEh::CenterGone(TDBGridEhCenter* center) {
  if (center_ == center) center_ = nullptr;
}

void TCustomDBGridEh::SetStyle(TDBGridEhStyle* value) {
  TDBGridEhStyle* target = value ? value : GetGlobalGridStyle();
  if (target == style_) return;
  if (style_) style_->RemoveChangeNotification(this);
  style_ = target;
  if (style_) style_->AddChangeNotification(this);
  // Without any style the grid draws on its own defaults.
  DrawStyleChanged();
}

void TCustomDBGridEh::SetCenter(TDBGridEhCenter* value) {
  if (value == center_) return;
  if (center_) center_->RemoveChangeNotification(this);
  center_ = value;
  if (center_) center_->AddChangeNotification(this);
}

void TCustomDBGridEh::DrawStyleChanged() {
  if (IsDestroying()) return;
  LayoutChanged();
  Invalidate();
}

// ---- Sum list, selected rows and the center's routes ----

void TCustomDBGridEh::DoSumListChanged() {
  if (IsDestroying()) return;
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (link && link->GetActive() && !link->GetDataSet()->ControlsDisabled()) UpdateScrollBars();
  if (HandleAllocated()) InvalidateFooter();
}

void TCustomDBGridEh::DoSumListRecalcAll() {
  if (OnSumListRecalcAll) OnSumListRecalcAll(sumList_.get());
}

void TCustomDBGridEh::DoSumListAfterRecalcAll() {
  if (OnSumListAfterRecalcAll) OnSumListAfterRecalcAll(sumList_.get());
}

void TCustomDBGridEh::SelectedRowsItemChanged(const TBookmark& item, TListNotification action) {
  if (IsDestroying()) return;
  if (OnSelectedRowsItemChanged) OnSelectedRowsItemChanged(this, item, action);
}

void TCustomDBGridEh::DefaultApplyFilter() {
  LockPaint();
  auto unlock = MakeScopeExit([this] {
    UnlockPaint();
    UpdateScrollBars();
    Invalidate();
  });
  if (center_) center_->ApplyFilter(this);
}

void TCustomDBGridEh::DefaultCellMouseClick(TGridCoord cell, TMouseButton button, TShiftState shift,
                                            const TRect& /*cellRect*/, TPoint /*gridMousePos*/,
                                            TPoint cellMousePos) {
  if (center_) center_->CellMouseClick(this, cell, button, shift, cellMousePos.X, cellMousePos.Y);
}

void TCustomDBGridEh::IndicatorTitleMouseDown(TGridCoord cell, TMouseButton button, TShiftState shift,
                                              Integer x, Integer y) {
  bool processed = false;
  if (OnIndicatorTitleMouseDown) OnIndicatorTitleMouseDown(this, cell, button, shift, x, y, processed);
  if (!processed) DefaultIndicatorTitleMouseDown(button, shift);
}

bool TCustomDBGridEh::MoveRecords(TBMListEh* bookmarkList, Integer toRecNo, bool checkOnly) {
  if (OnMoveRecords) return OnMoveRecords(this, bookmarkList, toRecNo, 0, checkOnly);
  return center_ && center_->MoveRecords(this, bookmarkList, toRecNo, checkOnly);
}

TGridAxisBarsEh* TCustomDBGridEh::CreateAxisBars() {
  return new TDBGridColumnsEh(this, TDBGridColumnEh::StaticClass());
}

TAxisBarsEhList* TCustomDBGridEh::CreateVisibleAxisBars() { return new TColumnsEhList(); }
TAxisBarDefValuesEh* TCustomDBGridEh::CreateAxisBarDefValues() { return new TColumnDefValuesEh(this); }

TAxisGridDataLinkEh* TCustomDBGridEh::CreateDataLink() { return new TGridDataLinkEh(this); }

TGridScrollBarEh* TCustomDBGridEh::CreateScrollBar(TScrollBarKind kind) {
  if (kind == sbVertical) return new TVertDBGridEhScrollBar(this, kind);
  return new THorzDBGridEhScrollBar(this, kind);
}

bool TCustomDBGridEh::ScrollBarPanel() {
  return GetHorzScrollBar()->ScrollBarPanel() || GetVertScrollBar()->ScrollBarPanel();
}

bool TCustomDBGridEh::IndicatorVisible() const {
  return options_.Contains(dgIndicator) && !indicatorOptions_.Empty();
}

TColor TCustomDBGridEh::GetEvenRowColor() const { return evenRowColorStored_ ? evenRowColor_ : GetColor(); }

void TCustomDBGridEh::SetEvenRowColor(TColor value) {
  evenRowColor_ = value;
  evenRowColorStored_ = true;
  Invalidate();
}

TColor TCustomDBGridEh::GetOddRowColor() const { return oddRowColorStored_ ? oddRowColor_ : GetColor(); }

void TCustomDBGridEh::SetOddRowColor(TColor value) {
  oddRowColor_ = value;
  oddRowColorStored_ = true;
  Invalidate();
}

void TCustomDBGridEh::CreateWnd() {
  BeginUpdate();
  {
    auto end = MakeScopeExit([this] { EndUpdate(); });
    TCustomDBAxisGridEh::CreateWnd();
  }
  LayoutChanged();
}

// ---- Data link reactions ----

void TCustomDBGridEh::LinkActive(bool active) {
  // The records of an earlier opening are not those of the next one: the selection goes with them.
  if (selection_) selection_->LinkActiveChanged(active);
  UpdateIntMemTable();
  if (sumList_ && !IsDestroying()) sumList_->SetDataSet(active ? GetDataLink()->GetDataSet() : nullptr);
  TCustomDBAxisGridEh::LinkActive(active);
}

void TCustomDBGridEh::UpdateIntMemTable() {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  TDataSet* ds = link ? link->GetDataSet() : nullptr;
  IMemTableEh* old = intMemTable_;
  intMemTable_ =
      tryUseMemTableInt_ && link->GetActive() && ds && !ds->GetComponentState().Contains(csDestroying)
          ? dynamic_cast<IMemTableEh*>(ds)
          : nullptr;
  SetEventTable(intMemTable_ ? ds : nullptr);
  // A new table's rows start with unread lookup values; without one the caches are dropped.
  if (old != intMemTable_)
    for (Integer i = 0; i < GetColumns()->GetCount(); ++i) GetColumns()->GetColumn(i)->ResetLookupValues();
}

bool TCustomDBGridEh::MemTableSupported() {
  return intMemTable_ && center_ && center_->GetTryUseViewScroll();
}

void TCustomDBGridEh::DataSetChanged() {
  TCustomDBAxisGridEh::DataSetChanged();
  if (!HandleAllocated() || sumListRecalcing_) return;
  // At design time the dataset keeps its own handlers: the sums follow every change from here.
  if (GetComponentState().Contains(csDesigning) && sumList_->GetActive()) {
    sumListRecalcing_ = true;
    auto done = MakeScopeExit([this] { sumListRecalcing_ = false; });
    sumList_->RecalcAll();
  }
  LayoutChanged();
  UpdateScrollBars();
  if (GetUpdateLock() == 0 && GetLayoutLock() == 0) SynchronizeCurrentCell();
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (bookmarks_->GetCount() > 0 && link->GetActive()) {
    const TDataSetState st = link->GetDataSet()->GetState();
    if (st != dsEdit && st != dsInsert && st != dsSetKey)
      bookmarks_->Refresh(optionsEh_.Contains(dghClearSelection));
  }
  InvalidateEditor();
  Invalidate();
}

void TCustomDBGridEh::DataScrolled(Integer) {
  if (!HandleAllocated()) return;
  UpdateRowCount();
  SynchronizeCurrentCell();
  UpdateScrollBars();
  Invalidate();
}

void TCustomDBGridEh::EditingChanged() {
  TCustomDBAxisGridEh::EditingChanged();
  if (IndicatorVisible()) InvalidateCell(0, GetRow());
}

bool TCustomDBGridEh::IsColumnEditable(Integer barIndex) {
  if (barIndex < 0 || barIndex >= GetColumns()->GetCount()) return false;
  return options_.Contains(dgEditing) && GetColumns()->GetColumn(barIndex)->CanModify(false);
}

bool TCustomDBGridEh::CanEditModify() {
  TColumnEh* column = GetColumnAtGridCol(GetCol());
  if (column && column->GetBarType() == ctCheckboxes) return false;
  return TCustomDBAxisGridEh::CanEditModify();
}

bool TCustomDBGridEh::CanEditShow() {
  if (!TCustomDBAxisGridEh::CanEditShow()) return false;
  return !(selection_ && selection_->GetSelectionType() != gstNon && optionsEh_.Contains(dghClearSelection) &&
           allowedSelections_.Contains(gstRectangle));
}

void TCustomDBGridEh::UpdateScrollBars() {
  if (GetLayoutLock() > 0) return;
  TCustomDBAxisGridEh::UpdateScrollBars();
}

// The vertical bar came or went and the room for the columns with it: automatic widths fit the new
// room once the change under way is done, or once the update lock is released.
void TCustomDBGridEh::ScrollBarPanelsChanged() {
  TCustomDBAxisGridEh::ScrollBarPanelsChanged();
  if (GetUpdateLock() > 0) {
    sizeChangedInUpdateLock_ = true;
    return;
  }
  if (IsAutoFitColWidthsActive()) DeferLayout();
}

// ---- Notifications and events ----

void TCustomDBGridEh::SelectionChanged() {
  if (IsDestroying()) return;
  if (OnSelectionChanged) OnSelectionChanged(this);
}

void TCustomDBGridEh::StyleChanged() { Invalidate(); }

void TCustomDBGridEh::DefaultApplySorting() {
  if (center_) center_->ApplySorting(this);
}

void TCustomDBGridEh::TitleClick(TColumnEh* column) {
  if (OnTitleClick) OnTitleClick(this, column);
}

void TCustomDBGridEh::CellClick(TColumnEh* column) {
  if (OnCellClick) OnCellClick(this, column);
}

// ---- Columns ----

TColumnEh* TCustomDBGridEh::GetColumnAtGridCol(Integer col) const {
  const Integer i = GridColToDataCol(col);
  TColumnsEhList* visible = GetVisibleColumns();
  return i >= 0 && i < visible->GetCount() ? visible->GetColumn(i) : nullptr;
}

Integer TCustomDBGridEh::GetSelectedIndex() {
  TColumnEh* column = GetColumnAtGridCol(GetCol());
  return column ? column->GetIndex() : -1;
}

void TCustomDBGridEh::SetSelectedIndex(Integer value) {
  if (value < 0 || value >= GetColumns()->GetCount()) return;
  const Integer i = GetVisibleColumns()->IndexOf(GetColumns()->GetColumn(value));
  if (i >= 0) SetCol(DataColToGridCol(i));
}

// ======================= Small grid objects =======================

TPersistent* TGridEmptyDataInfoEh::GetOwner() const { return grid_; }

void TGridEmptyDataInfoEh::SetActive(bool value) {
  if (active_ == value) return;
  active_ = value;
  grid_->Invalidate();
}

void TGridEmptyDataInfoEh::SetText(const String& value) {
  if (text_ == value) return;
  text_ = value;
  grid_->Invalidate();
}

String TGridEmptyDataInfoEh::GetDisplayText() const {
  return text_.empty() ? GetGridLibLanguageConsts()->GetNoDataEh() : text_;
}

bool TGridEmptyDataInfoEh::Showing() const {
  if (!active_) return false;
  TDataSet* ds = grid_->GetDataLink()->GetDataSet();
  return ds && ds->GetActive() && ds->IsEmpty();
}

TPersistent* TDBGridEhIndicatorTitle::GetOwner() const { return grid_; }

void TDBGridEhIndicatorTitle::SetShowDropDownSign(bool value) {
  if (showDropDownSign_ == value) return;
  showDropDownSign_ = value;
  grid_->Invalidate();
}

// ======================= Scroll bars =======================

void TDBGridEhScrollBarPanel::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TDBGridEhScrollBarPanel*>(source)) {
    navigatorButtons_ = other->navigatorButtons_;
    visibleItems_ = other->visibleItems_;
    SetVisible(other->visible_);
    return;
  }
  TPersistent::Assign(source);
}

void TDBGridEhScrollBarPanel::SetVisible(bool value) {
  if (visible_ == value) return;
  visible_ = value;
  GetGrid()->UpdateBoundaries();
}

THorzDBGridEhScrollBar::THorzDBGridEhScrollBar(TCustomGridEh* grid, TScrollBarKind kind)
    : TGridScrollBarEh(grid, kind), extraPanel_(std::make_unique<TDBGridEhScrollBarPanel>(this)) {
  SetSmoothStep(true);
}

void THorzDBGridEhScrollBar::Assign(TPersistent* source) {
  TGridScrollBarEh::Assign(source);
  if (auto* other = dynamic_cast<THorzDBGridEhScrollBar*>(source))
    extraPanel_->Assign(other->extraPanel_.get());
}

bool THorzDBGridEhScrollBar::CalcScrollBarShowing() {
  return extraPanel_->GetVisible() || TGridScrollBarEh::CalcScrollBarShowing();
}

bool THorzDBGridEhScrollBar::IsKeepMaxSizeInDefault() {
  return extraPanel_->GetVisible() && GetGrid()->GetVertScrollBar()->GetSize() == 0;
}

// The corner box takes the vertical bar's width when that is set narrower.
Integer THorzDBGridEhScrollBar::ActualScrollBarBoxSize() {
  const Integer vertSize = GetGrid()->GetVertScrollBar()->GetSize();
  if (!IsKeepMaxSizeInDefault() && vertSize != 0 && vertSize < ActualSize()) return vertSize;
  return TGridScrollBarEh::ActualScrollBarBoxSize();
}

// ======================= Loading status =======================

std::unique_ptr<TBitmap> TCustomDBGridEh::GridPicture() {
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(GetClientWidth(), GetClientHeight());
  PaintTo(picture->GetCanvas(), 0, 0);
  return picture;
}

// The frames blend from one picture to the other over the window colour; each frame advances by the
// average time a frame took so far, so a slow display shows fewer frames in the same time.
void TCustomDBGridEh::AnimateLoadingStatus(TBitmap* from, TBitmap* to, Integer duration) {
  if (duration <= 1) return;
  const Integer w = GetClientWidth(), h = GetClientHeight();
  TBitmap frame;
  frame.SetSize(w, h);
  loadingFrame_ = &frame;
  auto done = MakeScopeExit([this] { loadingFrame_ = nullptr; });
  const UInt64 start = GetTickCountEh();
  Integer frames = 0;
  for (Integer t = 1; t < duration;) {
    const Integer alpha = static_cast<Integer>(std::lround(t * 255.0 / duration));
    TCanvas* canvas = frame.GetCanvas();
    canvas->GetBrush()->SetColor(clWindow);
    canvas->FillRect(TRect(0, 0, w, h));
    BLENDFUNCTION blend;
    blend.BlendOp = AC_SRC_OVER;
    blend.SourceConstantAlpha = static_cast<Byte>(255 - alpha);
    AlphaBlend(canvas->GetHandle(), 0, 0, w, h, from->GetCanvas()->GetHandle(), 0, 0, w, h, blend);
    blend.SourceConstantAlpha = static_cast<Byte>(alpha);
    AlphaBlend(canvas->GetHandle(), 0, 0, w, h, to->GetCanvas()->GetHandle(), 0, 0, w, h, blend);
    Repaint();
    ++frames;
    t += std::max<Integer>(1, static_cast<Integer>((GetTickCountEh() - start) / static_cast<UInt64>(frames)));
  }
}

void TCustomDBGridEh::StartLoadingStatus(const String& loadingCaption, Integer renderDuration,
                                         bool showCaption) {
  loadingModeText_ =
      loadingCaption.empty() ? GetGridLibLanguageConsts()->GetGridLoadingModeTextEh() : loadingCaption;
  loadingShowText_ = showCaption;
  if (renderDuration == -1) renderDuration = style_ ? style_->GetStartLoadingStatusRenderDuration() : 300;
  ++loadingModeCallCount_;
  if (!HandleAllocated()) {
    showingLoadingMode_ = true;
    return;
  }
  const Integer w = GetClientWidth(), h = GetClientHeight();
  std::unique_ptr<TBitmap> old = GridPicture();
  auto loading = std::make_unique<TBitmap>();
  loading->SetSize(w, h);
  TCanvas* canvas = loading->GetCanvas();
  canvas->GetBrush()->SetColor(RGB(128, 128, 128));
  canvas->FillRect(TRect(0, 0, w, h));
  BLENDFUNCTION blend;
  blend.BlendOp = AC_SRC_OVER;
  blend.SourceConstantAlpha = 102;
  AlphaBlend(canvas->GetHandle(), 0, 0, w, h, old->GetCanvas()->GetHandle(), 0, 0, w, h, blend);
  if (loadingShowText_) {
    canvas->GetFont()->Assign(GetFont());
    const TSize extent = canvas->TextExtent(loadingModeText_);
    TRect box((w - extent.cx) / 2, (h - extent.cy - 2) / 2, 0, 0);
    box.Right = box.Left + extent.cx;
    box.Bottom = box.Top + extent.cy + 2;
    InflateRect(&box, 5, 5);
    canvas->GetBrush()->SetColor(GetColor());
    canvas->FillRect(box);
    canvas->GetBrush()->SetStyle(bsClear);
    TRect text = box;
    DrawTextWEh(canvas->GetHandle(), loadingModeText_, text,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    InflateRect(&box, 1, 1);
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(MixColorsEh(GetFont()->GetColor(), GetColor(), 128));
    canvas->FrameRect(box);
  }
  AnimateLoadingStatus(old.get(), loading.get(), renderDuration);
  loadingModeBitmap_ = std::move(loading);
  showingLoadingMode_ = true;
  Invalidate();
}

void TCustomDBGridEh::FinishLoadingStatus(Integer renderDuration) {
  if (loadingModeCallCount_ <= 0) throw Exception(u"FinishLoadingStatus occurred before StartLoadingStatus");
  if (--loadingModeCallCount_ > 0) return;
  if (renderDuration == -1) renderDuration = style_ ? style_->GetFinishLoadingStatusRenderDuration() : 500;
  if (HandleAllocated() && loadingModeBitmap_) {
    showingLoadingMode_ = false;
    std::unique_ptr<TBitmap> now = GridPicture();
    showingLoadingMode_ = true;
    AnimateLoadingStatus(loadingModeBitmap_.get(), now.get(), renderDuration);
  }
  showingLoadingMode_ = false;
  loadingModeBitmap_.reset();
  Invalidate();
  UpdateScrollBars();
}

bool TCustomDBGridEh::PaintLoadingStatus() {
  if (!showingLoadingMode_ && !loadingFrame_) return false;
  TBitmap* picture = loadingFrame_ ? loadingFrame_ : loadingModeBitmap_.get();
  if (picture) GetCanvas()->Draw(0, 0, picture);
  return true;
}
