// The data grid's keyboard: the key tables with and without Ctrl, Tab and record moves that append
// and cancel, the range selection by Shift, the column moves they share with the mouse, and the sort
// that waits for Ctrl to be released.
#include <algorithm>

#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Menus.h"
#include "platform/rtl/ScopeGuard.h"

TShortCut DBGridInplaceSearchKey = ShortCut('F', TShiftState{ssCtrl});
TShortCut DBGridInplaceSearchNextKey = ShortCut(VK_RETURN, TShiftState{ssCtrl});
TShortCut DBGridInplaceSearchPriorKey = ShortCut(VK_RETURN, TShiftState{ssCtrl, ssShift});
TShortCut DBGridSetFromPrevRecordKey = ShortCut(0xDE, TShiftState{ssCtrl});
TShortCut DBGridFindDialogKey = ShortCut('F', TShiftState{ssCtrl});
TShortCut DBGridSTFilterDropDownKey = ShortCut('T', TShiftState{ssCtrl});
Integer DBGridInplaceSearchTimeOut = 1500;

namespace {
// A cell button's short-cut presses and releases it: the press, then the click, unless the press
// handled it.
bool PressCellButtonByShortCut(TCustomDBGridEh* grid, TColumnEh* column, TShortCut shortCut) {
  TCellButtonEh* button = column->GetCellButtons()->GetButtonByShortCut(shortCut);
  if (!button || !button->GetEnabledState()) return false;
  const TGridCoord cell{grid->GetCol(), grid->GetRow()};
  bool handled = false;
  if (button->OnMouseDown) button->OnMouseDown(grid, column, button, mbLeft, {}, TPoint(0, 0), cell, handled);
  if (!handled && button->OnMouseClick)
    button->OnMouseClick(grid, column, button, mbLeft, {}, TPoint(0, 0), cell, handled);
  return true;
}

bool ShiftMultiSelect(TShiftState shift, TDBGridOptions options) {
  return shift.Contains(ssShift) && options.Contains(dgMultiSelect);
}

// An untouched new row; the dataset does not say Eof while inserting, but an appended row is the last
// one in the link's window and an inserted one has the row it went before after it.
bool UntouchedNewRow(TAxisGridDataLinkEh* link, bool& atEnd) {
  TDataSet* ds = link->GetDataSet();
  atEnd = link->GetActiveRecord() == link->GetRecordCount() - 1;
  return ds->GetState() == dsInsert && !ds->GetModified() && !link->GetModified();
}
}  // namespace

// ======================= Selection helpers =======================

bool TCustomDBGridEh::CanSelectType(TDBGridEhSelectionType type) const {
  if (type == gstNon) return true;
  if (!options_.Contains(dgMultiSelect)) return false;
  if (!allowedSelections_.Contains(type)) return false;
  if (type == gstRecordBookmarks || type == gstAll) return true;
  return !options_.Contains(dgRowSelect);
}

void TCustomDBGridEh::SetAllowedSelections(TDBGridEhAllowedSelections value) {
  allowedSelections_ = value;
  const TDBGridEhSelectionType kind = selection_->GetSelectionType();
  if (kind != gstNon && !value.Contains(kind)) ClearSelectionAndRepaint();
}

bool TCustomDBGridEh::IsViewTreeMode() {
  return MemTableSupported() && intMemTable_ && intMemTable_->GetViewAsTreeList();
}

void TCustomDBGridEh::ClearSelectionOnNavigate() {
  if (optionsEh_.Contains(dghClearSelection)) ClearSelectionAndRepaint();
  selecting_ = false;
}

void TCustomDBGridEh::ClearSelectionAndRepaint() {
  if (options_.Contains(dgMultiSelect)) bookmarks_->Clear();
  selecting_ = false;
  if (selection_->GetSelectionType() == gstNon) return;
  selection_->Clear();
  Invalidate();
  InvalidateEditor();
}

// ======================= Moving with selection =======================

void TCustomDBGridEh::MoveWithSelection(bool select, Integer distance, bool rowsOnly, bool toEnd) {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive()) return;
  TDataSet* ds = link->GetDataSet();
  if (rowsOnly || options_.Contains(dgRowSelect)) {
    const bool selectRows = select && CanSelectType(gstRecordBookmarks);
    BeginUpdate();
    bookmarks_->BeginUpdate();
    bool controlsDisabled = false;
    // Every bracket is closed however the dataset's moves end.
    auto close = MakeScopeExit([&] {
      if (controlsDisabled) ds->EnableControls();
      bookmarks_->EndUpdate();
      EndUpdate();
    });
    const bool forward = distance > 0 || (toEnd && distance >= 0);
    if (selectRows && !link->GetModified() && (toEnd || std::abs(distance) >= link->GetRecordCount()) &&
        !(forward ? ds->Eof() : ds->Bof())) {
      ds->DisableControls();
      controlsDisabled = true;
    }
    const auto mark = [&] {
      if (!options_.Contains(dgMultiSelect)) return;
      bookmarks_->SetCurrentRowSelected(antiSelection_ ? !selectionAnchorSelected_ : true);
    };
    const Integer step = forward ? 1 : -1;
    for (Integer done = 0; toEnd || done < std::abs(distance); ++done) {
      bool awayFromAnchor = true;
      if (options_.Contains(dgMultiSelect) && link->GetActive()) {
        if (!selectRows) {
          ClearSelectionOnNavigate();
        } else if (selecting_) {
          const Integer c = ds->CompareBookmarks(ds->GetBookmark(), selectionAnchor_);
          // The anchor lies ahead: the row being left goes back to the anchor's state.
          if ((step > 0 && c < 0) || (step < 0 && c > 0)) {
            awayFromAnchor = false;
            bookmarks_->SetCurrentRowSelected(antiSelection_ ? selectionAnchorSelected_ : false);
          }
        } else {
          selecting_ = true;
          selectionAnchor_ = ds->GetBookmark();
          selectionAnchorSelected_ = bookmarks_->GetCurrentRowSelected();
          mark();
        }
      }
      if (MoveBy(step) == 0) break;
      if (selectRows && awayFromAnchor) mark();
    }
  } else {
    if (select && CanSelectType(gstRectangle)) {
      const Integer col = GridColToDataCol(GetCol());
      selection_->Update([&] {
        if (selection_->GetSelectionType() != gstRectangle)
          selection_->GetRect()->Select(col, ds->GetBookmark(), false);
        if (toEnd) {
          if (distance > 0)
            ds->Last();
          else
            ds->First();
        } else {
          MoveBy(distance);
        }
        selection_->GetRect()->Select(GridColToDataCol(GetCol()), ds->GetBookmark(), true);
      });
    } else {
      MoveBy(distance);
    }
  }
  if (GetUpdateLock() == 0) Update();
}

// ======================= Column moves =======================

void TCustomDBGridEh::SelectCellAt(Integer index, Integer direction, bool extendRect) {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  const bool rect =
      extendRect && !options_.Contains(dgRowSelect) && CanSelectType(gstRectangle) && link->GetActive();
  if (rect && selection_->GetSelectionType() != gstRectangle)
    selection_->GetRect()->Select(GridColToDataCol(GetCol()), link->GetDataSet()->GetBookmark(), false);
  if (link->GetActive()) link->UpdateRecord();
  TDBGridColumnsEh* columns = GetColumns();
  const Integer last = columns->GetCount() - GetContraColCount() - 1;
  if (last < 0) return;
  index = std::clamp(index, 0, last);
  if (direction != 0) {
    while (index >= 0 && index <= last && !columns->GetColumn(index)->GetVisible()) index += direction;
    if (index < 0 || index > last) return;
  } else if (!columns->GetColumn(index)->GetVisible()) {
    return;
  }
  const Integer current = GetSelectedIndex();
  if (index != current) {
    if (!inColExit_) {
      inColExit_ = true;
      auto done = MakeScopeExit([this] { inColExit_ = false; });
      if (OnColExit) OnColExit(this);
      if (GetSelectedIndex() != current) return;
    }
    if (!options_.Contains(dgAlwaysShowEditor)) HideEditor();
    if (!options_.Contains(dgRowSelect)) SetSelectedIndex(index);
    TColumnEh* column = columns->GetColumn(index);
    if (options_.Contains(dgAlwaysShowEditor) && column->GetBarType() != ctCheckboxes &&
        column->GetBarType() != ctKeyImageList)
      ShowEditor();
    if (OnColEnter) OnColEnter(this);
  }
  if (rect)
    selection_->GetRect()->Select(GridColToDataCol(GetCol()), link->GetDataSet()->GetBookmark(), true);
}

// ======================= Record moves =======================

void TCustomDBGridEh::KeyMoveDown(bool select) {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  TDataSet* ds = link->GetDataSet();
  bool atEnd = false;
  if (UntouchedNewRow(link, atEnd)) {
    // Down at the end keeps the new row, elsewhere drops it.
    if (atEnd) return;
    ds->Cancel();
  } else {
    if (keyShift_.Contains(ssShift))
      MoveWithSelection(select, 1, !CanSelectType(gstRectangle), false);
    else
      MoveWithSelection(false, 1, true, false);
  }
  if (ds->CanModify() && !GetReadOnly() && options_.Contains(dgEditing) &&
      GetAllowedOperations().Contains(alopAppendEh) && ds->Eof() && ds->GetState() != dsInsert)
    ds->Append();
}

void TCustomDBGridEh::KeyMoveUp(bool select) {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  TDataSet* ds = link->GetDataSet();
  bool atEnd = false;
  if (UntouchedNewRow(link, atEnd) && atEnd) {
    ds->Cancel();
    return;
  }
  if (keyShift_.Contains(ssShift))
    MoveWithSelection(select, -1, !CanSelectType(gstRectangle), false);
  else
    MoveWithSelection(false, -1, true, false);
}

void TCustomDBGridEh::KeyTabMove(bool forward) {
  ClearSelectionOnNavigate();
  BeginUpdate();
  auto end = MakeScopeExit([this] { EndUpdate(); });
  TDBGridColumnsEh* columns = GetColumns();
  const Integer currentIndex = GetSelectedIndex();
  TColumnEh* current = currentIndex >= 0 ? columns->GetColumn(currentIndex) : nullptr;
  TColumnEh* next = current ? columns->GetNextTabColumn(current, forward) : nullptr;
  if (!next || next == current) {
    if (forward) {
      KeyMoveDown(false);
      next = columns->GetFirstTabColumn();
    } else {
      KeyMoveUp(false);
      next = columns->GetLastTabColumn();
    }
  }
  if (next) SelectCellAt(next->GetIndex(), 0, false);
  if (GetEditorMode()) UpdateEdit();
}

// ======================= Records deleted from the keyboard =======================

void TCustomDBGridEh::DeleteRecords() {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive()) return;
  TDataSet* ds = link->GetDataSet();
  if (GetReadOnly() || ds->IsEmpty() || !ds->CanModify() || !GetAllowedOperations().Contains(alopDeleteEh))
    return;
  const Integer selected = bookmarks_->GetCount();
  if (!ConfirmDeleteSelection(selected > 0 ? gstRecordBookmarks : gstNon)) return;
  if (selected == 0)
    ds->Delete();
  else
    bookmarks_->Delete();
}

// ======================= Keys =======================

void TCustomDBGridEh::KeyDown(Word& key, TShiftState shift) {
  antiSelection_ = shift.Contains(ssCtrl) || !optionsEh_.Contains(dghClearSelection);
  keyShift_ = shift;
  if (OnKeyDown) OnKeyDown(this, key, shift);
  if (key == 0) return;
  if (UseRightToLeftAlignment()) {
    if (key == VK_LEFT)
      key = VK_RIGHT;
    else if (key == VK_RIGHT)
      key = VK_LEFT;
  }
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive()) return;
  TDataSet* ds = link->GetDataSet();
  const bool shiftMulti = ShiftMultiSelect(shift, options_);
  TDBGridColumnsEh* columns = GetColumns();

  // The short-cuts; only a cell button's takes the key, the others go on to the key tables too.
  const TShortCut shortCut = ShortCut(key, shift);
  if (shortCut == DBGridSetFromPrevRecordKey) {
    SetValueFromPrevRecord();
  } else if (shortCut == DBGridFindDialogKey && optionsEh_.Contains(dghDialogFind) &&
             !(shortCut == DBGridInplaceSearchKey && optionsEh_.Contains(dghIncSearch))) {
    // From the editor, its selected text is the text to find.
    String text;
    if (GridsEh::TInplaceEdit* editor = GetInplaceEditor(); editor && editor->Visible() && editor->Focused())
      text = editor->GetEditText().substr(static_cast<size_t>(editor->GetSelStart()),
                                          static_cast<size_t>(editor->GetSelLength()));
    ShowFindDialog(text, IsFindDialogShowAsModal());
  } else if (const Integer index = GetSelectedIndex();
             index >= 0 && index < columns->GetCount() &&
             PressCellButtonByShortCut(this, columns->GetColumn(index), shortCut)) {
    key = 0;
    return;
  }

  if (shift.Contains(ssCtrl)) {
    if (!shift.Contains(ssShift) && (key == VK_PRIOR || key == VK_NEXT || key == VK_END || key == VK_HOME ||
                                     key == VK_UP || key == VK_DOWN))
      ClearSelectionOnNavigate();
    const Integer active = link->GetActiveRecord();
    const Integer toLast = link->GetRecordCount() - active - 1;
    switch (key) {
      case VK_UP:
      case VK_PRIOR:
        if (shiftMulti)
          MoveWithSelection(true, -active, false, false);
        else
          MoveBy(-active);
        break;
      case VK_DOWN:
      case VK_NEXT:
        if (shiftMulti)
          MoveWithSelection(true, toLast, false, false);
        else
          MoveBy(toLast);
        break;
      case VK_END:
        if (shiftMulti)
          MoveWithSelection(true, 1, false, true);
        else
          ds->Last();
        break;
      case VK_HOME:
        if (shiftMulti)
          MoveWithSelection(true, -1, false, true);
        else
          ds->First();
        break;
      case VK_LEFT:
        SelectCellAt(0, 1, false);
        break;
      case VK_RIGHT:
        SelectCellAt(columns->GetCount() - 1, -1, false);
        break;
      case VK_INSERT:
      case 'C':
        if (CheckCopyAction() && editActions_.Contains(geaCopyEh)) CopyToClipboard();
        break;
      case 'X':
        if (CheckCutAction() && editActions_.Contains(geaCutEh)) CutToClipboard();
        break;
      case 'V':
        if (CheckPasteAction() && editActions_.Contains(geaPasteEh)) PasteFromClipboard();
        break;
      case 'A':
        if (shift == TShiftState{ssCtrl}) {
          if (CheckSelectAllAction() && editActions_.Contains(geaSelectAllEh))
            selection_->SelectAll();
          else if (CanSelectType(gstRecordBookmarks))
            bookmarks_->SelectAll();
        }
        break;
      case VK_DELETE:
        if (!editActions_.Contains(geaDeleteEh) || selection_->GetSelectionType() == gstNon)
          DeleteRecords();
        else if (CheckDeleteAction())
          DeleteSelection();
        break;
      default:
        break;
    }
    key = 0;
    return;
  }

  const bool rect = !allowedSelections_.Contains(gstRectangle);
  const Integer page = VisibleDataRowCount();
  switch (key) {
    case VK_RETURN:
      if (!optionsEh_.Contains(dghEnterAsTab)) return;
      [[fallthrough]];
    case VK_TAB:
      if (shift.Contains(ssAlt)) return;
      KeyTabMove(!shift.Contains(ssShift));
      break;
    case VK_ESCAPE: {
      link->Reset();
      ClearSelectionAndRepaint();
      if (!options_.Contains(dgAlwaysShowEditor)) HideEditor();
      const TGridStateEh gs = GetGridState();
      if (gs == gsRowSizingEh || gs == gsColSizingEh || gs == gsColMovingEh || state_ == dgsRowMoving ||
          state_ == dgsGroupPanelTitleMoving)
        CancelMode();
      break;
    }
    case VK_PRIOR:
      if (shiftMulti) {
        MoveWithSelection(true, -page, rect, false);
      } else {
        ClearSelectionOnNavigate();
        MoveBy(-page);
      }
      break;
    case VK_NEXT:
      if (shiftMulti) {
        MoveWithSelection(true, page, rect, false);
      } else {
        ClearSelectionOnNavigate();
        // A table that reads its records on demand reads a page ahead of the view.
        if (intMemTable_) {
          const Integer rows = GetRowCount(), top = GetTopRow(), shown = GetVisibleRowCount();
          if (rows - top - shown < shown) intMemTable_->FetchRecords(2 * shown + top - rows);
        }
        MoveBy(page);
      }
      break;
    case VK_HOME:
    case VK_END: {
      const bool home = key == VK_HOME;
      if (options_.Contains(dgRowSelect)) {
        if (home)
          ds->First();
        else
          ds->Last();
      } else if (GetColCount() == indicatorOffset_ + 1) {
        if (shiftMulti) {
          MoveWithSelection(true, home ? -1 : 1, false, true);
        } else {
          ClearSelectionOnNavigate();
          if (home)
            ds->First();
          else
            ds->Last();
        }
      } else {
        SelectCellAt(home ? 0 : columns->GetCount() - 1, home ? 1 : -1, shiftMulti);
      }
      break;
    }
    case VK_LEFT:
    case VK_RIGHT: {
      const Integer d = key == VK_LEFT ? -1 : 1;
      if (options_.Contains(dgRowSelect)) {
        HorzScroll(d < 0 ? SB_LINEUP : SB_LINEDOWN, 0);
      } else if (shiftMulti) {
        SelectCellAt(GetSelectedIndex() + d, d, true);
      } else {
        ClearSelectionOnNavigate();
        SelectCellAt(GetSelectedIndex() + d, d, false);
      }
      break;
    }
    case VK_UP:
      KeyMoveUp(true);
      break;
    case VK_DOWN:
      KeyMoveDown(true);
      break;
    case VK_INSERT:
      if (!shift.Contains(ssShift)) {
        if (ds->CanModify() && !GetReadOnly() && options_.Contains(dgEditing)) {
          ClearSelectionOnNavigate();
          if (GetAllowedOperations().Contains(alopInsertEh))
            ds->Insert();
          else if (GetAllowedOperations().Contains(alopAppendEh))
            ds->Append();
        }
      } else if (CheckPasteAction() && editActions_.Contains(geaPasteEh)) {
        PasteFromClipboard();
      }
      break;
    case VK_DELETE:
      if (shift.Contains(ssShift) && CheckCutAction() && editActions_.Contains(geaCutEh)) CutToClipboard();
      break;
    case VK_F2:
      SetEditorMode(true);
      break;
    case VK_MULTIPLY:
    case VK_ADD:
    case VK_SUBTRACT:
      if (IsViewTreeMode()) {
        const bool expand = key == VK_MULTIPLY ? !intMemTable_->GetTreeNodeExpanded() : key == VK_ADD;
        intMemTable_->SetTreeNodeExpandedAtRow(GetRow() - TopDataOffset(), expand);
      }
      break;
    default:
      return;
  }
  key = 0;
}

void TCustomDBGridEh::KeyPress(Char& key) {
  if (optionsEh_.Contains(dghEnterAsTab) && key == u'\r') key = u'\t';
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!options_.Contains(dgAlwaysShowEditor) && key == u'\r' && link->GetActive()) link->UpdateRecord();
  TCustomDBAxisGridEh::KeyPress(key);
}

// Releasing Ctrl applies the sort marked while it was held.
void TCustomDBGridEh::KeyUp(Word& key, TShiftState shift) {
  if (key == VK_CONTROL && sortMarking_) {
    sortMarking_ = false;
    DoSortMarkingChanged();
  }
  TCustomDBAxisGridEh::KeyUp(key, shift);
}

void TCustomDBGridEh::DoSortMarkingChanged() {
  if (!optionsEh_.Contains(dghAutoSortMarking)) return;
  if (OnSortMarkingChanged)
    OnSortMarkingChanged(this);
  else
    DefaultApplySorting();
}

void TCustomDBGridEh::ClearSortMarkers() {
  TDBGridColumnsEh* columns = GetColumns();
  columns->BeginUpdate();
  auto end = MakeScopeExit([columns] { columns->EndUpdate(); });
  for (Integer i = 0; i < columns->GetCount(); ++i) {
    columns->GetColumn(i)->GetTitle()->SetSortIndex(0);
    columns->GetColumn(i)->GetTitle()->SetSortMarker(smNoneEh);
  }
}

// Enter with the "Enter as Tab" option, the previous-record key and the find dialog's key belong to
// the grid while the editor is open.
bool TCustomDBGridEh::EditorForwardsKey(Word key, TShiftState shift) {
  const TShortCut shortCut = ShortCut(key, shift);
  if (shortCut == DBGridSetFromPrevRecordKey) return true;
  if (shortCut == DBGridFindDialogKey && optionsEh_.Contains(dghDialogFind) &&
      !(shortCut == DBGridInplaceSearchKey && optionsEh_.Contains(dghIncSearch)))
    return true;
  if (key == VK_RETURN && optionsEh_.Contains(dghEnterAsTab) && shift.Empty()) {
    auto* editor = dynamic_cast<TDBAxisGridInplaceEdit*>(GetInplaceEditor());
    if (!editor || !editor->GetListVisible()) return true;
  }
  return TCustomDBAxisGridEh::EditorForwardsKey(key, shift);
}

String TCustomDBGridEh::GetEditText(Integer col, Integer /*row*/) {
  TColumnEh* column = GetColumnAtGridCol(col);
  if (!column || !TCustomDBAxisGridEh::GetDataLink()->GetActive()) return String();
  return column->GetInplaceEditText();
}

String TCustomDBGridEh::GetEditMask(Integer col, Integer /*row*/) {
  TColumnEh* column = GetColumnAtGridCol(col);
  if (!column || !TCustomDBAxisGridEh::GetDataLink()->GetActive()) return String();
  return column->GetInplaceEditMask();
}

void TCustomDBGridEh::CancelEditing() {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive()) return;
  TDataSet* ds = link->GetDataSet();
  if (ds->GetState() == dsEdit || ds->GetState() == dsInsert) ds->Cancel();
}
