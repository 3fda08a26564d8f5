// Base grid keyboard, mouse and selection: the current cell and the anchor, the key table, range
// selection with the mouse, cell click events, the cursor over sizing spots, hot tracking, focus and
// the window messages the grid answers itself.
#include <algorithm>

#include "gridlib/grids/GridsEh.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Gdi.h"
#include "platform/rtl/ScopeGuard.h"

// ---- Current cell and anchor ----

void TCustomGridEh::MoveCurCell(Integer col, Integer row, bool scrollHorz, bool scrollVert) {
  if (col < 0 || col >= GetColCount() || row < 0 || row >= GetRowCount())
    throw EInvalidGridOperationEh(u"Grid index out of range");
  if (!CanSelectCell(col, row)) return;
  const TGridRect oldSelection = GetSelection();
  const TGridCoord oldCurrent = curCell_;
  const bool hadRange = HasRangeSelection();
  if (!options_.Contains(goAlwaysShowEditorEh)) HideEditor();
  curCell_ = {col, row};
  anchorCell_ = curCell_;
  if (scrollHorz || scrollVert) ScrollCellIntoView(curCell_, scrollHorz, scrollVert);
  if (hadRange != HasRangeSelection()) {
    Invalidate();
  } else {
    InvalidateCell(oldCurrent.X, oldCurrent.Y);
    InvalidateCell(col, row);
    if (options_.Contains(goRowSelectEh)) {
      InvalidateRow(oldCurrent.Y);
      InvalidateRow(row);
    }
  }
  SelectionChanged(oldSelection);
  CurrentCellMoved(oldCurrent);
}

void TCustomGridEh::FocusCell(Integer col, Integer row, bool /*moveAnchor*/) {
  MoveCurCell(col, row, true, true);
  UpdateEdit();
}

void TCustomGridEh::SetCol(Integer value) {
  if (value != curCell_.X) FocusCell(value, curCell_.Y, true);
}

void TCustomGridEh::SetRow(Integer value) {
  if (value != curCell_.Y) FocusCell(curCell_.X, value, true);
}

void TCustomGridEh::SetAnchorCell(Integer col, Integer row, bool /*show*/) {
  if (anchorCell_.X == col && anchorCell_.Y == row) return;
  if (col < 0 || col >= GetFullColCount() || row < 0 || row >= GetFullRowCount())
    throw EInvalidGridOperationEh(u"TCustomGridEh.SetAnchorCell: Grid index out of range");
  const TGridRect oldSelection = GetSelection();
  anchorCell_ = {col, row};
  ScrollCellIntoView(anchorCell_, true, true);
  SelectionChanged(oldSelection);
}

void TCustomGridEh::ShiftAnchorCell(Integer flags) {
  TGridCoord a = anchorCell_;
  if ((flags & 1) && a.X > GetFixedColCount()) --a.X;
  if ((flags & 2) && a.X < GetColCount() - 1) ++a.X;
  if ((flags & 4) && a.Y > GetFixedRowCount()) --a.Y;
  if ((flags & 8) && a.Y < GetRowCount() - 1) ++a.Y;
  if (!(a == anchorCell_)) SetAnchorCell(a.X, a.Y, true);
}

void TCustomGridEh::SelectionChanged(TGridRect oldSelection) {
  InvalidateRect(oldSelection);
  InvalidateRect(GetSelection());
}

void TCustomGridEh::NextSelectableCell(Integer curCol, Integer curRow, Integer newCol, Integer newRow,
                                       TGridCoord& result) {
  result = {newCol, newRow};
  if (newCol > curCol) {
    for (Integer c = newCol; c <= GetColCount() - 1; ++c)
      if (CanSelectCell(c, newRow)) {
        result.X = c;
        break;
      }
  } else if (newCol < curCol) {
    for (Integer c = newCol; c >= 0; --c)
      if (CanSelectCell(c, newRow)) {
        result.X = c;
        break;
      }
  }
  if (newRow > curRow) {
    for (Integer r = newRow; r <= GetRowCount() - 1; ++r)
      if (CanSelectCell(newCol, r)) {
        result.Y = r;
        break;
      }
  } else if (newRow < curRow) {
    for (Integer r = newRow; r >= 0; --r)
      if (CanSelectCell(newCol, r)) {
        result.Y = r;
        break;
      }
  }
}

// ---- Keys ----

Integer TCustomGridEh::PageDownRow() {
  TGridAxisDataEh& v = *vertAxis_;
  const Int64 pos = v.GetRolStartVisPos(), client = v.GetRolClientLen();
  Integer target = v.GetRolCelCount() - 1;
  if (pos + client < v.GetRolLen()) {
    Integer cel = 0, ofs = 0;
    v.RolCellAtPos(pos + client, cel, ofs);
    const Int64 bound = pos + 2 * client;
    Integer last = -1;
    // Rows ending within the next page; binary search on the start positions keeps this cheap.
    for (Integer r = cel; r < v.GetRolCelCount(); ++r) {
      if (v.GetRolLocCelPosArr(r) + v.GetRolCelLens(r) > bound) break;
      last = r;
    }
    target = last >= 0 ? last : cel;
  }
  target += GetFixedRowCount();
  if (target <= curCell_.Y && target < GetRowCount()) target = curCell_.Y + 1;
  return target;
}

Integer TCustomGridEh::PageUpRow() {
  TGridAxisDataEh& v = *vertAxis_;
  Integer cel = 0, ofs = 0;
  v.RolCellAtPos(std::max<Int64>(0, v.GetRolStartVisPos() - v.GetRolClientLen()), cel, ofs);
  if (ofs > 0) ++cel;
  Integer target = cel + GetFixedRowCount();
  if (target >= curCell_.Y && target > 0) target = curCell_.Y - 1;
  return target;
}

void TCustomGridEh::KeyDown(Word& key, TShiftState shift) {
  inherited::KeyDown(key, shift);
  if (key == 0) return;
  const Integer d = UseRightToLeftAlignment() ? -1 : 1;
  Integer x = curCell_.X, y = curCell_.Y;
  if (shift.Contains(ssShift) && options_.Contains(goRangeSelectEh)) {
    x = anchorCell_.X;
    y = anchorCell_.Y;
    switch (key) {
      case VK_LEFT:
        --x;
        break;
      case VK_UP:
        --y;
        break;
      case VK_RIGHT:
        ++x;
        break;
      case VK_DOWN:
        ++y;
        break;
      default:
        break;
    }
    x = std::clamp(x, GetFixedColCount() - GetFrozenColCount(), GetColCount() + GetContraColCount() - 1);
    y = std::clamp(y, GetFixedRowCount() - GetFrozenRowCount(), GetRowCount() + GetContraRowCount() - 1);
    SetAnchorCell(x, y, true);
    return;
  }
  if (key == VK_ESCAPE && editorMode_ && inplaceEdit_ && inplaceEdit_->Visible()) {
    // Esc gives the cell back the text it had when the editor took it.
    inplaceEdit_->Reset();
    HideEditor();
    return;
  }
  TGridCoord next;
  if (shift.Contains(ssCtrl)) {
    switch (key) {
      case VK_PRIOR:
        y = GetTopRow();
        break;
      case VK_HOME:
        x = GetFixedColCount();
        y = GetFixedRowCount();
        if (UseRightToLeftAlignment()) Invalidate();
        break;
      case VK_END:
        x = GetColCount() - 1;
        y = GetRowCount() - 1;
        if (UseRightToLeftAlignment()) Invalidate();
        break;
      default:
        break;
    }
  } else {
    switch (key) {
      case VK_LEFT:
        if (options_.Contains(goRowSelectEh)) {
          HorzScroll(SB_LINEUP, 0);
          return;
        }
        NextSelectableCell(x, y, x - d, y, next);
        x = next.X;
        break;
      case VK_RIGHT:
        if (options_.Contains(goRowSelectEh)) {
          HorzScroll(SB_LINEDOWN, 0);
          return;
        }
        NextSelectableCell(x, y, x + d, y, next);
        x = next.X;
        break;
      case VK_UP:
        NextSelectableCell(x, y, x, y - 1, next);
        y = next.Y;
        break;
      case VK_DOWN:
        NextSelectableCell(x, y, x, y + 1, next);
        y = next.Y;
        break;
      case VK_PRIOR:
        y = PageUpRow();
        break;
      case VK_NEXT:
        y = PageDownRow();
        break;
      case VK_HOME:
        x = GetFixedColCount();
        break;
      case VK_END:
        x = GetColCount() - 1;
        break;
      case VK_TAB: {
        if (GetKeyState(VK_MENU) < 0) break;
        bool backward = shift.Contains(ssShift);
        do {
          if (backward) {
            --x;
            if (x < GetFixedColCount()) {
              x = GetColCount() - 1;
              --y;
              if (y < GetFixedRowCount()) y = GetRowCount() - 1;
            }
            backward = false;
            shift >> ssShift;
          } else {
            ++x;
            if (x >= GetColCount()) {
              x = GetFixedColCount();
              ++y;
              if (y >= GetRowCount()) y = GetFixedRowCount();
            }
          }
        } while (!IsTabStopCol(x) && x != curCell_.X);
        break;
      }
      case VK_F2:
        SetEditorMode(true);
        break;
      default:
        break;
    }
  }
  x = std::clamp(x, GetFixedColCount() - GetFrozenColCount(), GetColCount() - 1);
  y = std::clamp(y, GetFixedRowCount() - GetFrozenRowCount(), GetRowCount() - 1);
  if (x != curCell_.X || y != curCell_.Y) FocusCell(x, y, !shift.Contains(ssShift));
}

void TCustomGridEh::KeyPress(Char& key) {
  inherited::KeyPress(key);
  if (options_.Contains(goEditingEh) && !options_.Contains(goAlwaysShowEditorEh) && key == u'\r') {
    if (editorMode_)
      HideEditor();
    else
      ShowEditor();
    key = 0;
  }
}

// ---- Mouse ----

void TCustomGridEh::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  HideInplaceEdit();
  if (!GetComponentState().Contains(csDesigning) && CanFocus()) {
    SetFocus();
    if (!IsActiveControl()) {
      SetMouseCapture(false);
      return;
    }
  }
  bool moving = false;
  auto hideMarker = MakeScopeExit([&] {
    if (moving) HideMoveLine();
  });
  if (button == mbLeft && shift.Contains(ssDouble)) {
    DblClick();
  } else if (button == mbLeft) {
    Integer ofs = 0, pos = 0, index = -1;
    TGridStateEh state = gsNormalEh;
    CalcSizingState(x, y, ofs, pos, index, state);
    if (state != gsNormalEh) {
      gridState_ = state;
      sizingIndex_ = index;
      sizingPos_ = pos;
      sizingOfs_ = ofs;
      if (state == gsColSizingEh && UseRightToLeftAlignment()) sizingPos_ = GetClientWidth() - sizingPos_;
      InitSizingLinePos();
      DrawSizingLine();
      hideMarker.Release();
      return;
    }
    const TGridCoord cell = MouseCoord(x, y);
    const bool dataCell = cell.X >= GetFixedColCount() - GetFrozenColCount() && cell.X < GetColCount() &&
                          cell.Y >= GetFixedRowCount() - GetFrozenRowCount() && cell.Y < GetRowCount();
    if (dataCell) {
      const auto selectOrMove = [&] {
        if (options_.Contains(goRangeSelectEh)) {
          gridState_ = gsSelectingEh;
          SetTimerActive(true, 60);
          if (shift.Contains(ssShift)) {
            SetAnchorCell(cell.X, cell.Y, true);
            return;
          }
        }
        MoveCurCell(cell.X, cell.Y, true, true);
      };
      if (options_.Contains(goEditingEh)) {
        if (cell == curCell_)
          ShowEditor();
        else {
          selectOrMove();
          UpdateEdit();
        }
        Click();
      } else {
        selectOrMove();
      }
    } else if (options_.Contains(goRowMovingEh) && cell.X >= 0 && cell.X < GetFixedColCount() &&
               cell.Y >= GetFixedRowCount() && cell.Y < GetRowCount()) {
      moveFromIndex_ = moveToIndex_ = cell.Y;
      moveFromCellOriginDistance_ = x - CellRect(cell.X, cell.Y).Left;
      if (BeginRowDrag(moveFromIndex_, moveToIndex_, TPoint(x, y))) {
        gridState_ = gsRowMovingEh;
        moving = true;
        Update();
        DrawMoveLine();
        SetTimerActive(true, 60);
      }
    } else if (options_.Contains(goColMovingEh) && cell.Y >= 0 && cell.Y < GetFixedRowCount() &&
               cell.X >= GetFixedColCount() && cell.X < GetColCount()) {
      Integer origin = cell.X, destination = cell.X;
      if (IsColumnSelected(origin, destination, TPoint(x, y))) {
        BeginColMoving(cell.X, x, y);
        moving = true;
      }
    }
  }
  inherited::MouseDown(button, shift, x, y);
  hideMarker.Release();
}

void TCustomGridEh::SelectingMouseMove(Integer x, Integer y) {
  TGridCoord cell = MouseCoord(x, y);
  const Integer firstCol = GetFixedColCount() - GetFrozenColCount();
  const Integer lastCol = std::min(GetLastFullVisibleCol(), GetColCount() - 1);
  const Integer firstRow = GetFixedRowCount() - GetFrozenRowCount();
  const Integer lastRow = std::min(GetLastFullVisibleRow(), GetRowCount() - 1);
  const bool colIn = cell.X >= firstCol && cell.X <= lastCol;
  const bool rowIn = cell.Y >= firstRow && cell.Y <= lastRow;
  if (!colIn && rowIn) cell.X = anchorCell_.X;
  if (!rowIn && colIn) cell.Y = anchorCell_.Y;
  if (!colIn && !rowIn) return;
  if (cell.X < 0 || cell.Y < 0) return;
  if (!(cell == anchorCell_)) SetAnchorCell(cell.X, cell.Y, true);
}

void TCustomGridEh::MouseMove(TShiftState shift, Integer x, Integer y) {
  mouseMovePos_ = TPoint(x, y);
  switch (gridState_) {
    case gsRowSizingEh:
    case gsColSizingEh:
      DrawSizingLine();
      sizingPos_ = (gridState_ == gsRowSizingEh ? y : x) + sizingOfs_;
      DrawSizingLine();
      break;
    case gsSelectingEh:
      SelectingMouseMove(x, y);
      break;
    case gsRowMovingEh:
    case gsColMovingEh:
      break;
    default:
      UpdateHotTrackInfo(x, y);
      break;
  }
  inherited::MouseMove(shift, x, y);
}

void TCustomGridEh::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  auto reset = MakeScopeExit([this] {
    gridState_ = gsNormalEh;
    Invalidate();
  });
  switch (gridState_) {
    case gsSelectingEh:
      MouseMove(shift, x, y);
      SetTimerActive(false, 0);
      UpdateEdit();
      Click();
      break;
    case gsRowSizingEh:
    case gsColSizingEh: {
      DrawSizingLine();
      if (gridState_ == gsColSizingEh && UseRightToLeftAlignment())
        sizingPos_ = GetClientWidth() - sizingPos_;
      TGridAxisDataEh* axis = gridState_ == gsColSizingEh ? horzAxis_.get() : vertAxis_.get();
      const Integer len = CalcSizingCelLen(axis);
      if (len > 1) {
        if (gridState_ == gsColSizingEh)
          ChangeColWidth(sizingIndex_, len);
        else
          ChangeRowHeight(sizingIndex_, len);
      }
      break;
    }
    case gsRowMovingEh: {
      HideMoveLine();
      SetTimerActive(false, 0);
      if (EndRowDrag(moveFromIndex_, moveToIndex_, TPoint(x, y)) && moveFromIndex_ != moveToIndex_)
        MoveRow(moveFromIndex_, moveToIndex_);
      UpdateEdit();
      break;
    }
    case gsColMovingEh: {
      HideMoveLine();
      SetTimerActive(false, 0);
      Integer target = moveToIndex_;
      if (CheckMoveTarget(moveFromIndex_, target, TPoint(x, y)) && moveFromIndex_ != target)
        MoveColumn(moveFromIndex_, target);
      UpdateEdit();
      break;
    }
    default:
      UpdateEdit();
      break;
  }
  inherited::MouseUp(button, shift, x, y);
}

void TCustomGridEh::CancelMode() {
  switch (gridState_) {
    case gsSelectingEh:
      SetTimerActive(false, 0);
      break;
    case gsRowSizingEh:
    case gsColSizingEh:
      DrawSizingLine();
      break;
    case gsRowMovingEh:
    case gsColMovingEh:
      HideMoveLine();
      SetTimerActive(false, 0);
      break;
    default:
      break;
  }
  gridState_ = gsNormalEh;
  Invalidate();
}

// ---- Cell click events ----

void TCustomGridEh::CellMouseDown(TGridCoord cell, TMouseButton button, TShiftState shift,
                                  const TRect& cellRect, TPoint gridMousePos, TPoint cellMousePos) {
  bool processed = false;
  if (OnCellMouseDown) OnCellMouseDown(this, cell, button, shift, cellMousePos.X, cellMousePos.Y, processed);
  if (!processed) DefaultCellMouseDown(cell, button, shift, cellRect, gridMousePos, cellMousePos);
}

void TCustomGridEh::CellMouseClick(TGridCoord cell, TMouseButton button, TShiftState shift,
                                   const TRect& cellRect, TPoint gridMousePos, TPoint cellMousePos) {
  bool processed = false;
  if (OnCellMouseClick)
    OnCellMouseClick(this, cell, button, shift, cellMousePos.X, cellMousePos.Y, processed);
  if (!processed) DefaultCellMouseClick(cell, button, shift, cellRect, gridMousePos, cellMousePos);
}

bool TCustomGridEh::CanProcessCellClick(const TWMMouse& message) {
  return (gridState_ == gsNormalEh || gridState_ == gsSelectingEh) && message.XPos >= 0 && message.YPos >= 0;
}

void TCustomGridEh::FireCellMouse(TWMMouse& message, TMouseButton button, bool isDown, bool isDouble) {
  const TPoint p(message.XPos, message.YPos);
  TShiftState shift = KeysToShiftState(static_cast<Word>(message.Keys));
  if (isDouble) shift << ssDouble;
  if (isDown) {
    mouseDownCell_ = MouseCoord(p.X, p.Y);
    if (mouseDownCell_.X < 0 && mouseDownCell_.Y < 0) {
      mouseDownCell_ = {-1, -1};
      return;
    }
    const TRect r = CellRect(mouseDownCell_.X, mouseDownCell_.Y);
    CellMouseDown(mouseDownCell_, button, shift, r, p, TPoint(p.X - r.Left, p.Y - r.Top));
    return;
  }
  const TGridCoord cell = MouseCoord(p.X, p.Y);
  if (!(cell == mouseDownCell_) || mouseDownCell_.X < 0 || mouseDownCell_.Y < 0) return;
  const TRect r = CellRect(cell.X, cell.Y);
  CellMouseClick(cell, button, shift, r, p, TPoint(p.X - r.Left, p.Y - r.Top));
}

// ---- Cursor and hot tracking ----

TCursor TCustomGridEh::CalcCursorAt(TPoint point) {
  const TGridStateEh state = SizingStateAtPos(point.X, point.Y);
  if (state == gsRowSizingEh) return crVSplit;
  if (state == gsColSizingEh) return crHSplit;
  return crDefault;
}

void TCustomGridEh::UpdateHotTrackInfo(Integer x, Integer y) {
  if (GetComponentState().Contains(csDesigning)) return;
  const TGridCoord cell = MouseCoord(x, y);
  const auto inFull = [this](TGridCoord c) {
    return c.X >= 0 && c.Y >= 0 && c.X < GetFullColCount() && c.Y < GetFullRowCount();
  };
  if (IsHotTrackCell(cell.X, cell.Y)) {
    if (!(cell == hotTrackCell_)) {
      if (inFull(hotTrackCell_)) InvalidateCell(hotTrackCell_.X, hotTrackCell_.Y);
      hotTrackCell_ = cell;
      if (cell.X >= 0 && cell.Y >= 0) InvalidateCell(cell.X, cell.Y);
    }
  } else if (!(hotTrackCell_ == TGridCoord{-1, -1})) {
    if (inFull(hotTrackCell_)) InvalidateCell(hotTrackCell_.X, hotTrackCell_.Y);
    hotTrackCell_ = {-1, -1};
  }
  if (inFull(hotTrackCell_)) {
    const TRect r = CellRect(hotTrackCell_.X, hotTrackCell_.Y);
    hotTrackInCellPos_ = TPoint(x - r.Left, y - r.Top);
  }
  CalcHotTrackInfoAt(newHotTrackSpot_.get(), x, y);
  if (!HotTrackSpotsEqual(oldHotTrackSpot_.get(), newHotTrackSpot_.get())) {
    InvalidateHotTrackCell(newHotTrackSpot_.get());
    InvalidateHotTrackCell(oldHotTrackSpot_.get());
    oldHotTrackSpot_->Assign(newHotTrackSpot_.get());
  }
}

void TCustomGridEh::CalcHotTrackInfoAt(TGridHotTrackSpotEh* spot, Integer x, Integer y) {
  if (GetComponentState().Contains(csDesigning)) return;
  const TGridCoord cell = MouseCoord(x, y);
  if (!IsHotTrackCell(cell.X, cell.Y)) {
    spot->Col = spot->Row = -1;
    return;
  }
  spot->Col = cell.X;
  spot->Row = cell.Y;
  if (cell.X < 0 || cell.Y < 0) return;
  const TRect r = CellRect(cell.X, cell.Y);
  spot->InCellX =
      x - r.Left + (cell.X == horzAxis_->GetStartVisCel() ? horzAxis_->GetRolStartVisCelOfst() : 0);
  spot->InCellY =
      y - r.Top + (cell.Y == vertAxis_->GetStartVisCel() ? vertAxis_->GetRolStartVisCelOfst() : 0);
}

bool TCustomGridEh::HotTrackSpotsEqual(TGridHotTrackSpotEh* a, TGridHotTrackSpotEh* b) {
  return a->Col == b->Col && a->Row == b->Row;
}

void TCustomGridEh::InvalidateHotTrackCell(TGridHotTrackSpotEh* spot) {
  if (spot->Col >= 0 && spot->Row >= 0) InvalidateCell(spot->Col, spot->Row);
}

// ---- Window messages ----

void TCustomGridEh::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT:
      if (IsPaintLocked()) {
        ValidateRect(GetHandle(), nullptr);
        return;
      }
      break;
    case WM_ERASEBKGND:
      message.Result = 1;
      return;
    case WM_GETDLGCODE:
      message.Result = DLGC_WANTARROWS;
      if (!options_.Contains(goRowSelectEh)) {
        if (options_.Contains(goTabsEh)) message.Result |= DLGC_WANTTAB;
        if (options_.Contains(goEditingEh)) message.Result |= DLGC_WANTCHARS;
      }
      return;
    case CM_WANTSPECIALKEY: {
      auto& key = reinterpret_cast<TWMKey&>(message);
      if (key.CharCode == VK_RETURN && options_.Contains(goEditingEh)) {
        message.Result = 1;
        return;
      }
      break;
    }
    case WM_CHAR: {
      auto& key = reinterpret_cast<TWMKey&>(message);
      const Char ch = static_cast<Char>(key.CharCode);
      if (options_.Contains(goEditingEh) && (ch == 8 || ch >= 32) && CanEditModify()) {
        ShowEditorWithChar(ch);
        return;
      }
      break;
    }
    case WM_NCHITTEST:
      inherited::WndProc(message);
      hitTest_ = ScreenToClient(TPoint(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)));
      return;
    case WM_SETCURSOR: {
      const TCursor cursor = CalcCursorAt(ScreenToClient(Mouse->GetCursorPos()));
      if (cursor != crDefault) {
        ::SetCursor(Screen->GetCursors(cursor));
        message.Result = 1;
        return;
      }
      break;
    }
    case WM_SETFOCUS: {
      focused_ = true;
      inherited::WndProc(message);
      const HWND from = reinterpret_cast<TWMSetFocus&>(message).FocusedWnd;
      const bool fromEditor =
          inplaceEdit_ && inplaceEdit_->HandleAllocated() &&
          (from == inplaceEdit_->GetHandle() || ::IsChild(inplaceEdit_->GetHandle(), from));
      if (!internalFocusResetting_ && !fromEditor) {
        Invalidate();
        UpdateEdit();
      }
      return;
    }
    case WM_KILLFOCUS: {
      focused_ = false;
      inherited::WndProc(message);
      Invalidate();
      const HWND to = reinterpret_cast<TWMSetFocus&>(message).FocusedWnd;
      const bool toEditor = inplaceEdit_ && inplaceEdit_->HandleAllocated() &&
                            (to == inplaceEdit_->GetHandle() || ::IsChild(inplaceEdit_->GetHandle(), to));
      if (!internalFocusResetting_ && inplaceEdit_ && !toEditor) HideInplaceEdit();
      return;
    }
    case WM_CANCELMODE:
      inherited::WndProc(message);
      if (gridState_ != gsNormalEh) CancelMode();
      return;
    case CM_MOUSELEAVE:
      inherited::WndProc(message);
      mouseInControl_ = false;
      UpdateHotTrackInfo(-1, -1);
      return;
    case CM_MOUSEENTER:
      inherited::WndProc(message);
      mouseInControl_ = true;
      return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      inherited::WndProc(message);
      if (inplaceEdit_) inplaceEdit_->SetClickTime(GetMessageTime());
      const TMouseButton button =
          message.Msg == WM_LBUTTONDOWN ? mbLeft : (message.Msg == WM_RBUTTONDOWN ? mbRight : mbMiddle);
      FireCellMouse(reinterpret_cast<TWMMouse&>(message), button, true, false);
      return;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
      auto& mouse = reinterpret_cast<TWMMouse&>(message);
      const bool can = CanProcessCellClick(mouse);
      const bool dbl = message.Msg == WM_LBUTTONDBLCLK || message.Msg == WM_RBUTTONDBLCLK ||
                       message.Msg == WM_MBUTTONDBLCLK;
      const TMouseButton button =
          message.Msg == WM_LBUTTONUP || message.Msg == WM_LBUTTONDBLCLK
              ? mbLeft
              : (message.Msg == WM_RBUTTONUP || message.Msg == WM_RBUTTONDBLCLK ? mbRight : mbMiddle);
      inherited::WndProc(message);
      if (can) FireCellMouse(mouse, button, false, dbl);
      return;
    }
    default:
      break;
  }
  inherited::WndProc(message);
}
