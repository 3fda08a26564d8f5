// The data grid's mouse: title presses that become sort clicks or column moves, row and rectangle
// selection by dragging with automatic scrolling, data cell presses that move the record and open
// the editor, and a release that always ends what the press began.
#include <algorithm>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/base/GridLibLangConsts.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/ScopeGuard.h"

namespace {
// A press becomes a drag beyond this many pixels.
constexpr Integer kDragThreshold = 3;
// The shortest tick of the automatic scrolling; a zero interval would keep the loop busy.
constexpr Integer kMinAutoScrollInterval = 10;
// How long a double click on a title border may read records to fit the widths.
constexpr Integer kDblClickFitMaxWaitingTime = 5000;

bool BeyondDragThreshold(TPoint a, TPoint b) {
  return std::abs(a.X - b.X) > kDragThreshold || std::abs(a.Y - b.Y) > kDragThreshold;
}

// The selection arrows, registered with the screen on first use.
TCursor ColumnSelectCursorEh() {
  static const auto cursor = static_cast<TCursor>(LoadRegisterCursorEh(u"DOWNCUREH"));
  return cursor;
}

TCursor RowSelectCursorEh(bool rightToLeft) {
  static const auto right = static_cast<TCursor>(LoadRegisterCursorEh(u"RIGHTCUREH"));
  static const auto left = static_cast<TCursor>(LoadRegisterCursorEh(u"LEFTCUREH"));
  return rightToLeft ? left : right;
}

// The foot of a title cell that selects its column.
constexpr Integer kColumnSelectZoneHeight = 7;

bool IsTextField(TField* field) {
  if (!field) return false;
  const TFieldType t = field->GetDataType();
  return t == ftString || t == ftWideString || t == ftMemo || t == ftWideMemo || t == ftFixedChar ||
         t == ftFixedWideChar;
}
}  // namespace

Integer TCustomDBGridEh::AutoScrollInterval(Integer distance, Integer msPerPixel) {
  return std::max(kMinAutoScrollInterval, 200 - msPerPixel * distance);
}

// From the indicator's right edge and the titles' bottom to the start of the contra columns and of
// the footer rows.
TRect TCustomDBGridEh::DataRect() {
  const Integer left = indicatorOffset_ > 0 ? TCustomGridEh::CellRect(0, 0, false).Right : 0;
  const Integer top = TopDataOffset() > 0 ? TCustomGridEh::CellRect(0, TopDataOffset() - 1, false).Bottom : 0;
  const Integer right = std::min(GetHorzAxis()->GetContraStart(), GetHorzAxis()->GetRolInClientBoundary());
  const Integer bottom = std::min(GetVertAxis()->GetContraStart(), GetVertAxis()->GetRolInClientBoundary());
  return TRect(left, top, std::max(left, right), std::max(top, bottom));
}

// ======================= Press =======================

void TCustomDBGridEh::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  pressPos_ = lastMovePos_ = TPoint(x, y);
  leftPressed_ = button == mbLeft;
  pointMoved_ = false;
  pressedCell_ = {-1, -1};
  pressedCol_ = pressedDataCol_ = -1;
  titleMoveStarted_ = titleButtonPressed_ = false;
  const auto raise = [&] {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
  };
  if (!GetComponentState().Contains(csDesigning) && CanFocus() && !ContainsFocus()) {
    SetFocus();
    if (!ContainsFocus()) {
      SetMouseCapture(false);
      return;
    }
  }
  Integer sizingOfs = 0, sizingPos = 0, sizingIndex = -1;
  TGridStateEh sizing = gsNormalEh;
  CalcSizingState(x, y, sizingOfs, sizingPos, sizingIndex, sizing);
  // A double click on a title border fits the widths; elsewhere a column that steps on double clicks
  // steps now. The double click itself is raised here, not before the press.
  if (shift.Contains(ssDouble)) {
    bool fitted = false;
    if (button == mbLeft && sizing == gsColSizingEh && optionsEh_.Contains(dghDblClickOptimizeColWidth)) {
      if (TColumnEh* column = GetColumnAtGridCol(sizingIndex)) {
        OptimizeSelectedColsWidth(
            column, center_ ? center_->GetColWidthsOptimizationMaxWaitingTime() : kDblClickFitMaxWaitingTime);
        fitted = true;
      }
    } else if (button == mbLeft) {
      TColumnEh* column = ValueStepColumnAt(MouseCoord(x, y));
      if (column && column->GetDblClickNextVal()) column->SetNextFieldValue(shift.Contains(ssShift) ? -1 : 1);
    }
    dblClickDeferred_ = false;
    if (button == mbLeft && !fitted) TCustomDBAxisGridEh::DblClick();
    return raise();
  }

  if (sizing != gsNormalEh) {
    if (TCustomDBAxisGridEh::GetDataLink()->GetActive()) TCustomDBAxisGridEh::GetDataLink()->UpdateRecord();
    if (sizing == gsColSizingEh && button == mbLeft && optionsEh_.Contains(dghTraceColSizing) &&
        !GetComponentState().Contains(csDesigning)) {
      // The width follows the mouse while it moves; no sizing line.
      sizingOfs_ = sizingOfs;
      sizingIndex_ = sizingIndex;
      sizingPos_ = UseRightToLeftAlignment() ? GetClientWidth() - sizingPos : sizingPos;
      gridState_ = gsColSizingEh;
      traceSizing_ = true;
      return;
    }
    TCustomDBAxisGridEh::MouseDown(button, shift, x, y);
    return;
  }

  const TGridCoord cell = MouseCoord(x, y);
  pressedCell_ = cell;
  if (cell.X < 0 || cell.Y < 0) return raise();
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  const bool dataCol = cell.X >= indicatorOffset_ && GetColumnAtGridCol(cell.X) != nullptr;

  if (button == mbLeft && IsColumnSelectSpot(TPoint(x, y))) {
    // The foot of a title selects columns: Shift extends, Ctrl toggles, else this column alone.
    TColumnEh* column = GetColumnAtGridCol(cell.X);
    InvalidateCol(cell.X);
    state_ = dgsColSelecting;
    leftPressed_ = true;
    StartTimer(60);
    if (shift.Contains(ssShift)) {
      ExtendColumnSelection(column, shift.Contains(ssCtrl));
    } else if (shift.Contains(ssCtrl)) {
      selection_->GetColumns()->InvertSelect(column);
    } else {
      Invalidate();
      selection_->GetColumns()->Select(column, false);
    }
    return;
  }

  if (cell.Y < TopDataOffset()) {
    if (cell.X < indicatorOffset_) {
      // The center hears it first, then the grid's handler, then the grid's default.
      const TRect r = TCustomGridEh::CellRect(cell.X, cell.Y, false);
      if (center_)
        center_->IndicatorTitleMouseDown(this, cell, button, shift, x - r.Left, y - r.Top);
      else
        IndicatorTitleMouseDown(cell, button, shift, x - r.Left, y - r.Top);
      InvalidateEditor();
      return raise();
    }
    if (dataCol && button == mbLeft) {
      TColumnEh* column = GetColumnAtGridCol(cell.X);
      bool enabled = column->GetTitle()->GetTitleButton();
      if (OnCheckButton) OnCheckButton(this, GridColToDataCol(cell.X), column, enabled);
      // Every title press is tracked: it becomes a click, or a column move once dragged.
      tracking_ = true;
      titleButtonPressed_ = enabled;
      pressedCol_ = cell.X;
      pressedDataCol_ = GridColToDataCol(cell.X);
      UpdatePressedState(x, y);
      return;
    }
    return raise();
  }
  if (!link->GetActive() || cell.Y >= GetRowCount() || cell.X >= GetColCount()) return raise();

  TDataSet* ds = link->GetDataSet();
  const bool inIndicator = cell.X < indicatorOffset_;
  const bool multi = options_.Contains(dgMultiSelect);
  const bool wasCurrent = cell.X == GetCol() && cell.Y == GetRow();
  link->UpdateRecord();
  if (!options_.Contains(dgAlwaysShowEditor)) HideEditor();
  const bool shiftRange = shift.Contains(ssShift) && multi && (options_.Contains(dgRowSelect) || inIndicator);
  const Integer rowDistance = cell.Y - GetRow();
  const TBookmark before = ds->GetBookmark();
  const Integer beforeCol = GridColToDataCol(GetCol());
  if (rowDistance != 0 && !shiftRange) {
    MoveBy(rowDistance);
    if (cell.Y >= GetRowCount()) return;
  }
  if (dataCol) SelectCellAt(GetColumnAtGridCol(cell.X)->GetIndex(), 0, false);

  if (autoDrag_ && GetMouseCapture() && !shift.Contains(ssShift) && button == mbLeft && dataCol &&
      selection_->DataCellSelected(GridColToDataCol(cell.X), ds->GetBookmark())) {
    // The selection may be dragged away: the next move starts the drag.
    selectedCellPressed_ = true;
    return;
  }

  if (!multi || !options_.Contains(dgRowSelect)) {
    tracking_ = dataTracking_ = true;
    // Another button keeps a selection it was pressed on: the menu acts on it.
    const bool onSelection =
        selection_->DataCellSelected(std::max(0, GridColToDataCol(cell.X)), ds->GetBookmark());
    if (!shift.Contains(ssCtrl) && !shift.Contains(ssShift) && optionsEh_.Contains(dghClearSelection) &&
        (button == mbLeft || !onSelection))
      ClearSelectionAndRepaint();
    if (dataCol && CanSelectType(gstRectangle) && button == mbLeft && !(ds->Bof() && ds->Eof())) {
      if (shift.Contains(ssShift)) {
        if (selection_->GetSelectionType() != gstRectangle)
          selection_->GetRect()->Select(beforeCol, before, false);
        selection_->GetRect()->Select(GridColToDataCol(GetCol()), ds->GetBookmark(), true);
      }
      state_ = dgsRectSelecting;
    }
  }

  if (CanSelectType(gstRecordBookmarks) &&
      (options_.Contains(dgRowSelect) || inIndicator || !CanSelectType(gstRectangle))) {
    selecting_ = false;
    if (shift.Contains(ssShift) && rowDistance != 0) {
      selecting_ = true;
      antiSelection_ = true;
      selectionAnchorSelected_ = bookmarks_->GetCurrentRowSelected();
      selectionAnchor_ = ds->GetBookmark();
      antiSelection_ = false;
      MoveWithSelection(true, rowDistance, true, false);
    } else if (button == mbLeft && (shift.Contains(ssCtrl) || !optionsEh_.Contains(dghClearSelection))) {
      bookmarks_->SetCurrentRowSelected(!bookmarks_->GetCurrentRowSelected());
    } else if (button == mbLeft) {
      selection_->Update([&] {
        if (optionsEh_.Contains(dghClearSelection)) ClearSelectionAndRepaint();
        bookmarks_->SetCurrentRowSelected(true);
      });
    }
    if (options_.Contains(dgRowSelect) || !CanSelectType(gstRectangle) || inIndicator) {
      indicatorPressed_ = tracking_ = selecting_ = true;
      selectionAnchorSelected_ = !bookmarks_->GetCurrentRowSelected();
      selectionAnchor_ = ds->GetBookmark();
      antiSelection_ = shift.Contains(ssCtrl) || !optionsEh_.Contains(dghClearSelection);
      state_ = dgsRowSelecting;
    }
  }

  if (button == mbLeft && !inIndicator && (wasCurrent || options_.Contains(dgAlwaysShowEditor)) &&
      options_.Contains(dgEditing))
    ShowEditor();
  raise();
}

// ======================= Move =======================

void TCustomDBGridEh::MouseMove(TShiftState shift, Integer x, Integer y) {
  const TPoint p(x, y);
  mouseShift_ = shift;
  pointMoved_ = !(p == lastMovePos_);
  lastMovePos_ = p;
  if (traceSizing_ && GetGridState() == gsColSizingEh) {
    TraceColSizing(x);
    return;
  }
  if (selectedCellPressed_) {
    selectedCellPressed_ = false;
    BeginDrag(true);
    return;
  }
  if (state_ == dgsColSelecting) {
    const TRect area = DataRect();
    const TGridCoord cell = MouseCoord(std::clamp(x, area.Left, std::max(area.Left, area.Right - 1)), 0);
    TColumnEh* column = cell.X >= indicatorOffset_ ? GetColumnAtGridCol(cell.X) : nullptr;
    if (x < area.Left || x >= area.Right || !column) {
      if (!GetTimerActive()) StartTimer(60);
    } else {
      ExtendColumnSelection(column, shift.Contains(ssCtrl));
    }
  } else if (GetGridState() == gsColMovingEh) {
    // The drop place follows the mouse, not only the scrolling timer.
    UpdateMoveTarget(x, MouseCoord(x, y).X, p, false, GetHorzAxis());
  } else if (tracking_ && pressedCol_ >= 0) {
    UpdatePressedState(x, y);
    if (!titleMoveStarted_ && optionsEh_.Contains(dghColumnMove) && BeyondDragThreshold(p, pressPos_)) {
      // The title is dragged: the base grid moves the column from where it was pressed.
      tracking_ = false;
      titleMoveStarted_ = true;
      UpdatePressedState(-1, -1);
      BeginColMoving(pressedCol_, pressPos_.X, pressPos_.Y);
    }
  } else if (indicatorPressed_ || dataTracking_ || state_ == dgsRectSelecting) {
    const TRect area = DataRect();
    const TPoint inside(std::clamp(x, area.Left, std::max(area.Left, area.Right - 1)),
                        std::clamp(y, area.Top, std::max(area.Top, area.Bottom - 1)));
    const TGridCoord cell = MouseCoord(inside.X, inside.Y);
    const bool left = shift.Contains(ssLeft) || leftPressed_;
    if (y >= area.Top && y < area.Bottom && cell.Y >= TopDataOffset() && cell.Y != GetRow())
      MoveWithSelection(left && pointMoved_, cell.Y - GetRow(), state_ != dgsRectSelecting, false);
    if (dataTracking_ && x >= area.Left && x < area.Right && cell.X >= indicatorOffset_ &&
        cell.X != GetCol()) {
      TColumnEh* column = GetColumnAtGridCol(cell.X);
      if (column)
        SelectCellAt(column->GetIndex(), cell.X > GetCol() ? 1 : -1, left && CanSelectType(gstRectangle));
    }
    if (!area.Contains(p) && !GetTimerActive()) StartTimer(60);
  }
  TCustomDBAxisGridEh::MouseMove(shift, x, y);
}

// ======================= Release =======================

void TCustomDBGridEh::EndMouseTracking() {
  const bool wasInProgress = state_ != dgsNormal || tracking_ || indicatorPressed_ || dataTracking_;
  state_ = dgsNormal;
  selecting_ = false;
  leftPressed_ = false;
  tracking_ = dataTracking_ = indicatorPressed_ = false;
  pressedCol_ = pressedDataCol_ = -1;
  titleButtonPressed_ = false;
  if (pressed_) {
    pressed_ = false;
    SetPressedTitleCell({-1, -1});
    InvalidateTitle();
  }
  if (wasInProgress) StopTimer();
}

void TCustomDBGridEh::UpdatePressedState(Integer x, Integer y) {
  const TGridCoord cell = MouseCoord(x, y);
  bool pressed = tracking_ && titleButtonPressed_ && pressedCol_ >= 0 &&
                 GetClientRect().Contains(TPoint(x, y)) && cell.Y == 0 && cell.X == pressedCol_;
  // On a multi-level title only the column's own band is its button.
  if (pressed && IsUseMultiTitle()) {
    const Integer leaf = LeafOf(GridColToDataCol(pressedCol_));
    const TRect r = TCustomGridEh::CellRect(cell.X, cell.Y, false);
    if (leaf > 0 && y < r.Bottom - headTree_[static_cast<size_t>(leaf)].Height + 1) pressed = false;
  }
  if (pressed == pressed_) return;
  pressed_ = pressed;
  // Painting draws the title down from the pressed cell.
  SetPressedTitleCell(pressed ? TGridCoord{pressedCol_, cell.Y} : TGridCoord{-1, -1});
  InvalidateTitle();
}

// The sized column takes the width up to the mouse at once.
void TCustomDBGridEh::TraceColSizing(Integer x) {
  sizingPos_ = sizingOfs_ + (UseRightToLeftAlignment() ? GetClientWidth() - x : x);
  const TRect cell = TCustomGridEh::CellRect(sizingIndex_, 0, false);
  const Integer left = UseRightToLeftAlignment() ? GetClientWidth() - cell.Right : cell.Left;
  const Integer width = std::max(1, sizingPos_ - left);
  // Automatic widths leave the last column room to take up the rest.
  if (IsAutoFitColWidthsActive() && sizingPos_ >= GetHorzAxis()->GetRolInClientBoundary() - 1) return;
  if (width == GetColWidths(sizingIndex_)) return;
  ChangeColWidth(sizingIndex_, width);
  Update();
}

void TCustomDBGridEh::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  // Whatever a handler below raises, the grid leaves every mouse mode and lets the mouse go.
  auto cleanUp = MakeScopeExit([this] {
    EndMouseTracking();
    titleMoveStarted_ = false;
    SetMouseCapture(false);
  });
  if (traceSizing_) {
    traceSizing_ = false;
    if (GetGridState() == gsColSizingEh) {
      gridState_ = gsNormalEh;
      UpdateScrollBars();
      return;
    }
  }
  mouseShift_ = shift;
  if (selectedCellPressed_) {
    // Pressed and released on the selection without a drag.
    selectedCellPressed_ = false;
    if (shift.Contains(ssCtrl) && options_.Contains(dgRowSelect))
      bookmarks_->SetCurrentRowSelected(!bookmarks_->GetCurrentRowSelected());
    else if (optionsEh_.Contains(dghClearSelection))
      ClearSelectionAndRepaint();
  }
  const TGridCoord cell = MouseCoord(x, y);
  const TGridStateEh baseState = GetGridState();
  const bool titleRelease = tracking_ && pressedCol_ >= 0 && !titleMoveStarted_;
  const Integer pressedCol = pressedCol_;
  const bool buttonClick = titleRelease && titleButtonPressed_ && GetClientRect().Contains(TPoint(x, y)) &&
                           cell.Y == 0 && cell.X == pressedCol;
  const bool moved = titleMoveStarted_;
  EndMouseTracking();
  if (buttonClick) {
    TColumnEh* column = GetColumnAtGridCol(pressedCol);
    if (column) TitleBtnClick(GridColToDataCol(pressedCol), column);
  }
  TCustomDBAxisGridEh::MouseUp(button, shift, x, y);
  if (baseState == gsColSizingEh || baseState == gsRowSizingEh || baseState == gsColMovingEh || moved) return;
  if (InplaceEditorVisible() && GetInplaceEditor()->GetBoundsRect().Contains(TPoint(x, y))) return;
  if (button != mbLeft || cell.X < indicatorOffset_ || cell.Y < 0) return;
  TColumnEh* column = GetColumnAtGridCol(cell.X);
  if (!column) return;
  if (cell.Y < TopDataOffset()) {
    if (titleRelease && cell.X == pressedCol) TitleClick(column);
  } else if (cell.Y < GetRowCount() && cell == pressedCell_) {
    // A check box or a key picture steps on the release over the cell it was pressed on.
    if (ValueStepColumnAt(cell) == column && !column->GetDblClickNextVal())
      column->SetNextFieldValue(shift.Contains(ssShift) ? -1 : 1);
    CellClick(column);
    if (MouseOverCellDataLink()) column->CellDataLinkClick();
  }
}

TColumnEh* TCustomDBGridEh::ValueStepColumnAt(TGridCoord cell) {
  if (cell.X < indicatorOffset_ || cell.Y < TopDataOffset() || cell.Y >= GetRowCount()) return nullptr;
  TColumnEh* column = GetColumnAtGridCol(cell.X);
  if (!column) return nullptr;
  const TAxisBarEhType type = column->GetBarType();
  return type == ctCheckboxes || type == ctKeyImageList ? column : nullptr;
}

// A title click steps the column's sort marker; without Ctrl the sort runs at once, with Ctrl it
// waits for the key's release.
void TCustomDBGridEh::TitleBtnClick(Integer col, TColumnEh* column) {
  if (OnTitleBtnClick) OnTitleBtnClick(this, col, column);
  sortMarking_ = mouseShift_.Contains(ssCtrl);
  // Values that cannot be compared cannot be sorted; the markers stay as they are.
  if (center_ && !center_->ColumnValueTypeIsComparable(this, column))
    throw Exception(GetGridLibLanguageConsts()->GetSortingByThisColumnIsNotPossibleEh());
  if (optionsEh_.Contains(dghAutoSortMarking)) {
    TColumnTitleEh* title = column->GetTitle();
    const TSortMarkerEh first = center_ ? center_->GetFirstSortMarkerState(this, column)
                                : IsTextField(column->GetField()) ? smUpEh
                                                                  : smDownEh;
    const TSortMarkerEh second = first == smUpEh ? smDownEh : smUpEh;
    const TSortMarkerEh old = title->GetSortMarker();
    TSortMarkerEh next = first;
    const bool multi = sortMarking_ && optionsEh_.Contains(dghMultiSortMarking);
    if (old == first)
      next = second;
    else if (old == second)
      next = multi ? smNoneEh : first;
    TDBGridColumnsEh* columns = GetColumns();
    columns->BeginUpdate();
    auto end = MakeScopeExit([columns] { columns->EndUpdate(); });
    Integer maxIndex = 0;
    for (Integer i = 0; i < columns->GetCount(); ++i) {
      TColumnTitleEh* t = columns->GetColumn(i)->GetTitle();
      if (t == title) continue;
      if (!multi) {
        t->SetSortMarker(smNoneEh);
        t->SetSortIndex(0);
      }
      maxIndex = std::max(maxIndex, t->GetSortIndex());
    }
    const Integer oldIndex = title->GetSortIndex();
    title->SetSortMarker(next);
    if (next == smNoneEh) {
      title->SetSortIndex(0);
      // The columns after it in the sort order close the gap.
      for (Integer i = 0; i < columns->GetCount(); ++i) {
        TColumnTitleEh* t = columns->GetColumn(i)->GetTitle();
        if (oldIndex > 0 && t->GetSortIndex() > oldIndex) t->SetSortIndex(t->GetSortIndex() - 1);
      }
    } else if (oldIndex == 0) {
      title->SetSortIndex(maxIndex + 1);
    }
  }
  if (!sortMarking_) DoSortMarkingChanged();
  Invalidate();
}

// ======================= Timer and cancelling =======================

void TCustomDBGridEh::TimedScroll(TObject* sender) {
  if (state_ == dgsColSelecting) {
    ColumnSelectAutoScroll();
    return;
  }
  if (indicatorPressed_ || dataTracking_ || state_ == dgsRectSelecting) {
    SelectionAutoScroll();
    return;
  }
  TCustomDBAxisGridEh::TimedScroll(sender);
}

void TCustomDBGridEh::SelectionAutoScroll() {
  if (!HandleAllocated() || !TCustomDBAxisGridEh::GetDataLink()->GetActive()) {
    StopTimer();
    return;
  }
  const TPoint p = ScreenToClient(Mouse->GetCursorPos());
  const TRect area = DataRect();
  Integer vDist = 0, vDir = 0, hDir = 0, hDist = 0;
  if (p.Y < area.Top) {
    vDist = area.Top - p.Y;
    vDir = -1;
  } else if (p.Y >= area.Bottom) {
    vDist = p.Y - area.Bottom + 1;
    vDir = 1;
  }
  if (p.X < area.Left) {
    hDist = area.Left - p.X;
    hDir = -1;
  } else if (p.X >= area.Right) {
    hDist = p.X - area.Right + 1;
    hDir = 1;
  }
  if (UseRightToLeftAlignment()) hDir = -hDir;
  const Integer d = std::max(vDist, hDist);
  if (d == 0) {
    StopTimer();
    return;
  }
  const bool left = leftPressed_;
  const Integer step = std::clamp(d / 6, 1, 8);
  BeginUpdate();
  {
    auto end = MakeScopeExit([this] { EndUpdate(); });
    if (vDir != 0) MoveWithSelection(left, vDir * step, state_ != dgsRectSelecting, false);
    if (hDir != 0 && dataTracking_ && state_ != dgsRowSelecting) {
      const Integer current = GetSelectedIndex();
      if (current >= 0) SelectCellAt(current + hDir, hDir, state_ == dgsRectSelecting && left);
    }
  }
  Invalidate();
  if (!IsPaintLocked()) Update();
  StartTimer(AutoScrollInterval(d, 15));
}

// The columns between the anchor of the column selection and To join it; without keepOthers they
// are all it holds.
void TCustomDBGridEh::ExtendColumnSelection(TColumnEh* to, bool keepOthers) {
  TDBGridEhSelectionCols* selected = selection_->GetColumns();
  TColumnsEhList* visible = GetVisibleColumns();
  TColumnEh* anchor = selection_->GetSelectionType() == gstColumns ? selected->GetAnchor() : nullptr;
  const Integer from = anchor ? visible->IndexOf(anchor) : -1;
  const Integer till = visible->IndexOf(to);
  if (from < 0 || till < 0) {
    selected->Select(to, keepOthers);
    return;
  }
  selection_->Update([&] {
    selected->Select(anchor, keepOthers);
    for (Integer i = std::min(from, till); i <= std::max(from, till); ++i)
      if (selected->IndexOf(visible->GetColumn(i)) < 0) selected->AddColumn(visible->GetColumn(i));
  });
  Invalidate();
}

// Beyond the data area the view scrolls a column a tick, faster the further the mouse is.
void TCustomDBGridEh::ColumnSelectAutoScroll() {
  if (!HandleAllocated()) {
    StopTimer();
    return;
  }
  const TPoint p = ScreenToClient(Mouse->GetCursorPos());
  const TRect area = DataRect();
  const bool rtl = UseRightToLeftAlignment();
  const bool beyondRight = rtl ? p.X < area.Left : p.X >= area.Right;
  const bool beyondLeft = rtl ? p.X >= area.Right : p.X < area.Left;
  if (!beyondRight && !beyondLeft) {
    StopTimer();
    return;
  }
  const Integer distance = p.X < area.Left ? area.Left - p.X : p.X - area.Right + 1;
  const auto extendTo = [this](Integer col) {
    if (TColumnEh* column = GetColumnAtGridCol(col))
      ExtendColumnSelection(column, mouseShift_.Contains(ssCtrl));
  };
  if (beyondRight) {
    const Integer last = GetLastFullVisibleCol();
    if (last < GetColCount() - 1 && last != GetLeftCol()) {
      // A whole column a tick, also when the bar itself scrolls by pixels.
      SetLeftCol(GetLeftCol() + 1);
      extendTo(GetLastFullVisibleCol());
    } else {
      extendTo(last);
    }
  } else if (GetLeftCol() > GetFixedColCount() || GetLeftColOffset() > 0) {
    if (GetLeftColOffset() > 0)
      SetLeftCol(GetLeftCol());
    else
      SetLeftCol(GetLeftCol() - 1);
    if (GetLeftCol() - 1 >= indicatorOffset_) extendTo(GetLeftCol() - 1);
  }
  if (!IsPaintLocked()) Update();
  StartTimer(AutoScrollInterval(distance, 10));
}

// Presses at the foot of a title select columns when the grid may select them.
bool TCustomDBGridEh::IsColumnSelectSpot(TPoint point) {
  if (!options_.Contains(dgTitles) || options_.Contains(dgRowSelect) || !CanSelectType(gstColumns) ||
      !TCustomDBAxisGridEh::GetDataLink()->GetActive() || GetComponentState().Contains(csDesigning))
    return false;
  const TGridCoord cell = MouseCoord(point.X, point.Y);
  if (cell.Y != 0 || cell.X < indicatorOffset_ || !GetColumnAtGridCol(cell.X)) return false;
  const TRect r = TCustomGridEh::CellRect(cell.X, cell.Y, false);
  return point.Y >= r.Bottom - std::min(kColumnSelectZoneHeight, r.Height());
}

TCursor TCustomDBGridEh::CalcCursorAt(TPoint point) {
  const TCursor base = TCustomDBAxisGridEh::CalcCursorAt(point);
  if (base != crDefault || GetComponentState().Contains(csDesigning)) return base;
  if (GetGridState() != gsNormalEh || state_ != dgsNormal) return base;
  // A value shown as a link takes a hand over its text or picture.
  const TCursor linkOrBase = MouseOverCellLink() ? static_cast<TCursor>(crHandPoint) : base;
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive() || !options_.Contains(dgMultiSelect)) return linkOrBase;
  const TGridCoord cell = MouseCoord(point.X, point.Y);
  if (cell.X >= 0 && cell.X < indicatorOffset_ && cell.Y >= TopDataOffset() && cell.Y < GetRowCount() &&
      !link->GetDataSet()->IsEmpty() && CanSelectType(gstRecordBookmarks) &&
      !indicatorOptions_.Contains(gioShowRowselCheckboxesEh))
    return RowSelectCursorEh(UseRightToLeftAlignment());
  if (IsColumnSelectSpot(point)) return ColumnSelectCursorEh();
  return linkOrBase;
}

void TCustomDBGridEh::CancelMode() {
  traceSizing_ = false;
  selectedCellPressed_ = false;
  EndMouseTracking();
  titleMoveStarted_ = false;
  TCustomDBAxisGridEh::CancelMode();
}

// Losing the focus applies a sort that still waits for Ctrl.
void TCustomDBGridEh::DoExit() {
  if (sortMarking_) {
    sortMarking_ = false;
    DoSortMarkingChanged();
  }
  TCustomDBAxisGridEh::DoExit();
}

// The indicator title with a button opens its menu under the cell; without a button it toggles
// between everything selected and nothing.
void TCustomDBGridEh::DefaultIndicatorTitleMouseDown(TMouseButton button, TShiftState /*shift*/) {
  if (button != mbLeft) return;
  if (indicatorTitle_->GetTitleButton()) {
    const TRect r = TCustomGridEh::CellRect(0, 0, false);
    indicatorTitle_->down_ = true;
    InvalidateCell(0, 0);
    TPopupMenu* menu = nullptr;
    BuildIndicatorTitleMenu(menu);
    if (menu && menu->GetItems()->GetCount() > 0) {
      auto release = MakeScopeExit([this] {
        indicatorTitle_->down_ = false;
        InvalidateCell(0, 0);
      });
      const TPoint at = ClientToScreen(TPoint(r.Left, r.Bottom));
      menu->Popup(at.X, at.Y);
      if (!menu->GetOwner()) delete menu;
      return;
    }
    indicatorTitle_->down_ = false;
    state_ = dgsTitleDown;
    tracking_ = true;
    pressedCol_ = 0;
    InvalidateCell(0, 0);
    return;
  }
  if (!options_.Contains(dgMultiSelect) || !TCustomDBAxisGridEh::GetDataLink()->GetActive()) return;
  if (!allowedSelections_.Contains(gstRecordBookmarks) && !allowedSelections_.Contains(gstAll)) return;
  if (selection_->GetSelectionType() != gstNon) {
    ClearSelectionAndRepaint();
  } else if (CanSelectType(gstAll)) {
    selection_->SelectAll();
  } else {
    bookmarks_->SelectAll();
  }
  Invalidate();
}

// ======================= Hot tracking =======================

bool TCustomDBGridEh::IsHotTrackCell(Integer col, Integer row) {
  if (optionsEh_.Contains(dghHotTrack)) return col >= 0 && row >= 0;
  if (col == 0 && indicatorOffset_ > 0 &&
      (options_.Contains(dgIndicator) || optionsEh_.Contains(dghShowRecNo) ||
       indicatorOptions_.Contains(gioShowRowselCheckboxesEh)))
    return true;
  return TCustomDBAxisGridEh::IsHotTrackCell(col, row);
}

// The hot button of the hot cell follows the mouse only while it stays in that cell; with row
// highlighting the whole hot row is painted hot, so a change of row repaints both rows.
void TCustomDBGridEh::UpdateHotTrackInfo(Integer x, Integer y) {
  const TGridCoord old = GetHotTrackCell();
  TCustomDBAxisGridEh::UpdateHotTrackInfo(x, y);
  const TGridCoord now = GetHotTrackCell();
  // Titles are drawn hot while the mouse is over them: entering or leaving them repaints them.
  const auto inTitles = [this](TGridCoord c) { return c.X >= 0 && c.Y >= 0 && c.Y < TopDataOffset(); };
  if (options_.Contains(dgTitles) && inTitles(old) != inTitles(now)) InvalidateTitle();
  if (now == old && now.X >= 0 && now.Y >= 0) {
    const TRect r = TCustomGridEh::CellRect(now.X, now.Y, false);
    Integer button = -1;
    bool takeButton = true;
    if (now.X >= indicatorOffset_) {
      button = GetHotEditButtonAt(now.X, now.Y, y - r.Top, x - r.Left, GetColumnAtGridCol(now.X));
      // A sizing or other special cursor owns the mouse: the button does not light up under it.
      takeButton = Screen->GetCursor() == crDefault;
    } else if (indicatorOptions_.Contains(gioShowRowselCheckboxesEh) && now.Y >= TopDataOffset()) {
      TRect box = r;
      if (indicatorOptions_.Contains(gioShowRowIndicatorEh)) box.Right -= 11;
      box.Left = box.Right - RowselCheckboxesWidth;
      if (box.Contains(TPoint(x, y))) button = 1;
    }
    if (takeButton && button != hotTrackEditButton_) {
      hotTrackEditButton_ = button;
      InvalidateCell(now.X, now.Y);
    }
  } else {
    hotTrackEditButton_ = -1;
  }
  if (!optionsEh_.Contains(dghHotTrack) ||
      (!optionsEh_.Contains(dghRowHighlight) && !options_.Contains(dgRowSelect)))
    return;
  const bool sideChanged = (old.X < indicatorOffset_) != (now.X < indicatorOffset_);
  if (old.Y == now.Y && !sideChanged) return;
  if (old.Y >= 0 && old.Y < GetFullRowCount()) InvalidateRow(old.Y);
  if (now.Y >= 0 && now.Y < GetFullRowCount()) InvalidateRow(now.Y);
}

void TCustomDBGridEh::UpdateCellTextBoundsAtPos(Integer col, Integer row) {
  const TGridRect box = DataBox();
  TColumnEh* column = GetColumnAtGridCol(col);
  const Integer dataRow = row - TopDataOffset();
  if (!column || !TCustomDBAxisGridEh::GetDataLink()->GetActive() || col < box.Left || col > box.Right ||
      row < box.Top || row > box.Bottom || dataRow >= InstantReadRecordCount()) {
    CalcCellTextBoundsForSize(TSize{0, 0}, nullptr);
    return;
  }
  InstantReadEnter(dataRow);
  auto leave = MakeScopeExit([this] { InstantReadLeave(); });
  CalcCellTextBounds(col, row, column);
}

// Only the filter row has edit buttons in fixed cells; without it no fixed cell has one.
Integer TCustomDBGridEh::GetHotEditButtonAt(Integer /*col*/, Integer /*row*/, Integer /*y*/, Integer /*x*/,
                                            TColumnEh* /*column*/) {
  return -1;
}

// ======================= Double clicks =======================

void TCustomDBGridEh::DblClick() {
  if (inDblClickMessage_) {
    dblClickDeferred_ = true;
    return;
  }
  TCustomDBAxisGridEh::DblClick();
}
