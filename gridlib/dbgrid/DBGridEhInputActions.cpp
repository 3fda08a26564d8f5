// Edit actions on the grid's selection (copy as text, cut, paste, delete, select all), the popup menu
// of a cell with the grid's standard menu, and the character messages the keyboard shares.
#include <algorithm>

#include "gridlib/base/GridLibLangConsts.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdActns.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/ScopeGuard.h"

namespace {
String CellText(TColumnEh* column) {
  TField* field = column->GetField();
  return field ? field->GetDisplayText() : String();
}

std::vector<String> SplitText(const String& text, Char separator) {
  std::vector<String> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == String::npos ? String::npos : at - start));
    if (at == String::npos) break;
    start = at + 1;
  }
  return parts;
}
}  // namespace

// ======================= What the actions may do =======================

bool TCustomDBGridEh::CheckCopyAction() { return TCustomDBAxisGridEh::GetDataLink()->GetActive(); }

bool TCustomDBGridEh::CheckDeleteAction() {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive() || GetReadOnly()) return false;
  TDataSet* ds = link->GetDataSet();
  if (ds->IsEmpty() || !ds->CanModify()) return false;
  switch (selection_->GetSelectionType()) {
    case gstRecordBookmarks:
    case gstAll:
      return GetAllowedOperations().Contains(alopDeleteEh);
    case gstRectangle:
    case gstColumns:
      // Those cells are cleared, not deleted.
      return GetAllowedOperations().Contains(alopUpdateEh);
    default:
      return false;
  }
}

bool TCustomDBGridEh::CheckCutAction() { return CheckCopyAction() && CheckDeleteAction(); }

bool TCustomDBGridEh::CheckPasteAction() {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  if (!link->GetActive() || GetReadOnly()) return false;
  TDataSet* ds = link->GetDataSet();
  if (!ds->CanModify() || !Clipboard()->HasFormat(CF_UNICODETEXT)) return false;
  return ds->GetState() == dsInsert || GetAllowedOperations().Contains(alopUpdateEh);
}

bool TCustomDBGridEh::CheckSelectAllAction() {
  TAxisGridDataLinkEh* link = TCustomDBAxisGridEh::GetDataLink();
  return link->GetActive() && !link->GetDataSet()->IsEmpty() && allowedSelections_.Contains(gstAll);
}

// The standard edit actions reach the focused grid for the members of EditActions.
namespace {
template <class F>
bool ForEditAction(TCustomDBGridEh* grid, TBasicAction* action, F&& serve) {
  const TGridEditActionsEh actions = grid->GetEditActions();
  if (dynamic_cast<TEditCopy*>(action) && actions.Contains(geaCopyEh))
    return serve(grid->CheckCopyAction(), &TCustomDBGridEh::CopyToClipboard);
  if (dynamic_cast<TEditCut*>(action) && actions.Contains(geaCutEh))
    return serve(grid->CheckCutAction(), &TCustomDBGridEh::CutToClipboard);
  if (dynamic_cast<TEditPaste*>(action) && actions.Contains(geaPasteEh))
    return serve(grid->CheckPasteAction(), &TCustomDBGridEh::PasteFromClipboard);
  if (dynamic_cast<TEditSelectAll*>(action) && actions.Contains(geaSelectAllEh))
    return serve(grid->CheckSelectAllAction(), &TCustomDBGridEh::SelectAllAction);
  if (dynamic_cast<TEditDelete*>(action) && actions.Contains(geaDeleteEh))
    return serve(grid->CheckDeleteAction(), &TCustomDBGridEh::DeleteSelection);
  return false;
}
}  // namespace

bool TGridDataLinkEh::ExecuteAction(TBasicAction* action) {
  TDataSource* source = GetDataSource();
  if (!source || !action->HandlesTarget(source)) return false;
  action->ExecuteTarget(source);
  return true;
}

bool TGridDataLinkEh::UpdateAction(TBasicAction* action) {
  TDataSource* source = GetDataSource();
  if (!source || !action->HandlesTarget(source)) return false;
  action->UpdateTarget(source);
  return true;
}

// The data link answers first: a data-set action on the grid is the data source's; what the grid does
// not serve is left to the data link as well.
bool TCustomDBGridEh::ExecuteAction(TBasicAction* action) {
  if (GetDataLink()->ExecuteAction(action)) return true;
  if (!Focused()) return false;
  const bool served = ForEditAction(this, action, [this](bool allowed, void (TCustomDBGridEh::*run)()) {
    if (!allowed) return false;
    (this->*run)();
    return true;
  });
  return served || GetDataLink()->ExecuteAction(action);
}

bool TCustomDBGridEh::UpdateAction(TBasicAction* action) {
  if (GetDataLink()->UpdateAction(action)) return true;
  if (!Focused()) return false;
  const bool served = ForEditAction(this, action, [action](bool allowed, void (TCustomDBGridEh::*)()) {
    static_cast<TCustomAction*>(action)->SetEnabled(allowed);
    return true;
  });
  return served || GetDataLink()->UpdateAction(action);
}

// The question names what is about to go: the current record, the selected records, all records, or
// the values of the selected cells.
bool TCustomDBGridEh::ConfirmDeleteSelection(TDBGridEhSelectionType kind) {
  if (!options_.Contains(dgConfirmDelete)) return true;
  TGridLibLanguageConsts* texts = GetGridLibLanguageConsts();
  String question;
  switch (kind) {
    case gstAll:
      question = texts->GetDeleteAllRecordsQuestionEh();
      break;
    case gstRectangle:
    case gstColumns:
      question = texts->GetClearSelectedCells();
      break;
    case gstRecordBookmarks:
      if (bookmarks_->GetCount() > 1) {
        question = Format(texts->GetDeleteMultipleRecordsQuestionEh(), {bookmarks_->GetCount()});
        break;
      }
      [[fallthrough]];
    default:
      question = texts->GetDeleteRecordEh() + u"?";
  }
  return MessageDlg(question, mtConfirmation, mbOKCancel) == mrOk;
}

// ======================= Copy =======================

std::vector<TColumnEh*> TCustomDBGridEh::SelectionColumns() {
  std::vector<TColumnEh*> columns;
  TColumnsEhList* visible = GetVisibleColumns();
  const TDBGridEhSelectionType kind = selection_->GetSelectionType();
  if (kind == gstColumns) {
    for (Integer i = 0; i < selection_->GetColumns()->GetCount(); ++i)
      columns.push_back(selection_->GetColumns()->GetColumn(i));
  } else if (kind == gstRectangle) {
    const Integer left = selection_->GetRect()->GetLeftCol(), right = selection_->GetRect()->GetRightCol();
    for (Integer i = std::max(0, left); i <= right && i < visible->GetCount(); ++i)
      columns.push_back(visible->GetColumn(i));
  } else {
    for (Integer i = 0; i < visible->GetCount(); ++i) columns.push_back(visible->GetColumn(i));
  }
  return columns;
}

// The records are visited with the controls quiet; the current one comes back, an edit left open is
// dropped.
void TCustomDBGridEh::ForEachSelectedRecord(const std::function<void()>& visit) {
  TDataSet* ds = TCustomDBAxisGridEh::GetDataLink()->GetDataSet();
  const TDBGridEhSelectionType kind = selection_->GetSelectionType();
  const TBookmark current = ds->GetBookmark();
  ds->DisableControls();
  auto restore = MakeScopeExit([ds, &current] {
    if (ds->GetState() == dsEdit) ds->Cancel();
    ds->SetBookmark(current);
    ds->EnableControls();
  });
  if (kind == gstRecordBookmarks) {
    bookmarks_->Refresh(false);
    for (Integer i = 0; i < bookmarks_->GetCount(); ++i) {
      ds->SetBookmark(bookmarks_->GetItem(i));
      visit();
    }
  } else if (kind == gstRectangle) {
    ds->SetBookmark(selection_->GetRect()->GetTopRow());
    const TBookmark bottom = selection_->GetRect()->GetBottomRow();
    for (;;) {
      visit();
      if (ds->CompareBookmarks(ds->GetBookmark(), bottom) >= 0) break;
      ds->Next();
      if (ds->Eof()) break;
    }
  } else {
    for (ds->First(); !ds->Eof(); ds->Next()) visit();
  }
}

String TCustomDBGridEh::SelectionAsText() {
  if (!TCustomDBAxisGridEh::GetDataLink()->GetActive()) return String();
  if (selection_->GetSelectionType() == gstNon) {
    TColumnEh* column = GetColumnAtGridCol(GetCol());
    return column ? CellText(column) : String();
  }
  const std::vector<TColumnEh*> columns = SelectionColumns();
  String text;
  ForEachSelectedRecord([&] {
    for (size_t i = 0; i < columns.size(); ++i) {
      if (i > 0) text += u'\t';
      text += CellText(columns[i]);
    }
    text += u"\r\n";
  });
  return text;
}

void TCustomDBGridEh::CopyToClipboard() { Clipboard()->SetAsText(SelectionAsText()); }

void TCustomDBGridEh::CutToClipboard() {
  CopyToClipboard();
  DeleteSelection();
}

// Rows go with their records; rectangles and columns lose their values.
void TCustomDBGridEh::DeleteSelection() {
  if (!CheckDeleteAction()) return;
  TDataSet* ds = TCustomDBAxisGridEh::GetDataLink()->GetDataSet();
  const TDBGridEhSelectionType kind = selection_->GetSelectionType();
  if (!ConfirmDeleteSelection(kind)) return;
  if (kind == gstRecordBookmarks || kind == gstAll) {
    if (kind == gstRecordBookmarks) {
      bookmarks_->Delete();
    } else {
      ds->DisableControls();
      auto enable = MakeScopeExit([ds] { ds->EnableControls(); });
      ds->First();
      while (!ds->IsEmpty()) ds->Delete();
    }
    ClearSelectionAndRepaint();
    return;
  }
  const std::vector<TColumnEh*> columns = SelectionColumns();
  ForEachSelectedRecord([&] {
    ds->Edit();
    for (TColumnEh* column : columns)
      if (column->GetField() && !column->GetField()->GetReadOnly()) column->GetField()->Clear();
    ds->Post();
  });
}

// Lines of tab-separated texts go into the current record and the ones below it, from the current
// column on.
void TCustomDBGridEh::PasteFromClipboard() {
  if (!CheckPasteAction()) return;
  TDataSet* ds = TCustomDBAxisGridEh::GetDataLink()->GetDataSet();
  String text = Clipboard()->GetAsText();
  text.erase(std::remove(text.begin(), text.end(), u'\r'), text.end());
  while (!text.empty() && text.back() == u'\n') text.pop_back();
  if (text.empty()) return;
  TColumnsEhList* visible = GetVisibleColumns();
  const Integer first = GridColToDataCol(GetCol());
  const std::vector<String> lines = SplitText(text, u'\n');
  for (size_t l = 0; l < lines.size(); ++l) {
    if (l > 0) {
      ds->Next();
      if (ds->Eof()) break;
    }
    const std::vector<String> values = SplitText(lines[l], u'\t');
    ds->Edit();
    try {
      for (size_t v = 0; v < values.size(); ++v) {
        const Integer c = first + static_cast<Integer>(v);
        if (c < 0 || c >= visible->GetCount()) break;
        TField* field = visible->GetColumn(c)->GetField();
        if (field && !field->GetReadOnly()) field->SetAsString(values[v]);
      }
      ds->Post();
    } catch (...) {
      // A value the field refuses leaves the record as it was.
      ds->Cancel();
      throw;
    }
  }
}

void TCustomDBGridEh::SelectAllAction() {
  if (CheckSelectAllAction()) selection_->SelectAll();
}

// ======================= Menus =======================

void CopyPopupMenuItemFields(TMenuItem* item, TMenuItem* source) {
  item->SetAutoHotkeys(source->GetAutoHotkeys());
  item->SetAutoLineReduction(source->GetAutoLineReduction());
  item->SetBreak(source->GetBreak());
  item->OnDrawItem = source->OnDrawItem;
  item->OnAdvancedDrawItem = source->OnAdvancedDrawItem;
  item->OnMeasureItem = source->OnMeasureItem;
  item->SetAction(source->GetAction());
  item->SetAutoCheck(source->GetAutoCheck());
  if (source->HasBitmap()) item->SetBitmap(source->GetBitmap());
  item->SetCaption(source->GetCaption());
  item->SetChecked(source->GetChecked());
  item->SetSubMenuImages(source->GetSubMenuImages());
  item->SetDefault(source->GetDefault());
  item->SetEnabled(source->GetEnabled());
  item->SetGroupIndex(source->GetGroupIndex());
  item->SetHelpContext(source->GetHelpContext());
  item->SetHint(source->GetHint());
  item->SetImageIndex(source->GetImageIndex());
  item->SetRadioItem(source->GetRadioItem());
  item->SetShortCut(source->GetShortCut());
  item->SetVisible(source->GetVisible());
  item->OnClick = source->OnClick;
}

namespace {

const Char* const kGlobalPopupMenuName = u"DBGridEhGlobalPopupMenu";

// A copy of a menu item and its sub-items, each of its source's class, all owned by the menu they are
// copied into. An item of a descendant class copies itself when it can assign.
TMenuItem* CopyPopupMenuItemTree(TMenuItem* source, TComponent* owner) {
  const TClass cls = source->ClassType();
  std::unique_ptr<TMenuItem> item(cls->CanCreate() ? cls->Create<TMenuItem>(owner) : new TMenuItem(owner));
  if (cls == TMenuItem::StaticClass()) {
    CopyPopupMenuItemFields(item.get(), source);
  } else {
    try {
      item->Assign(source);
    } catch (const EConvertError&) {
      CopyPopupMenuItemFields(item.get(), source);
    }
  }
  for (Integer i = 0; i < source->GetCount(); ++i)
    item->Add(CopyPopupMenuItemTree(source->GetItem(i), owner));
  return item.release();
}

}  // namespace

TPopupMenuEh* DBGridEhGlobalPopupMenu() {
  if (auto* menu = dynamic_cast<TPopupMenuEh*>(Screen->FindComponent(kGlobalPopupMenuName))) return menu;
  auto* menu = new TPopupMenuEh(Screen);
  menu->SetName(kGlobalPopupMenuName);
  return menu;
}

TPopupMenu* TCustomDBGridEh::InternalGetCellPopupMenu(TGridCoord cell, TCellAreaTypeEh area,
                                                      TColumnEh* column) {
  TPopupMenu* menu = nullptr;
  if (column) {
    if (area.VertType == vctTitleEh) menu = column->GetTitle()->GetPopupMenu();
    if (!menu && area.VertType == vctTitleEh) menu = titleParams_->GetPopupMenu();
    // The column's own menu; the editor's value menu is not the cell's.
    if (!menu) menu = column->GetPopupMenuProp();
  }
  if (!menu) menu = GetPopupMenu();
  if (!buildMenuOnPopup_) {
    if (!menu && useIndicatorMenu_) BuildIndicatorTitleMenu(menu);
    return menu;
  }
  // The shared menu is emptied of what the last popup built; items another component owns (a menu
  // put there at design time) are only taken out, never freed.
  TPopupMenuEh* global = DBGridEhGlobalPopupMenu();
  TMenuItem* root = global->GetItems();
  for (Integer i = root->GetCount() - 1; i >= 0; --i) {
    TMenuItem* item = root->GetItem(i);
    const TComponent* owner = item->GetOwner();
    if (owner == global || owner == nullptr)
      root->Delete(i);
    else
      root->Remove(item);
  }
  if (menu) {
    for (Integer i = 0; i < menu->GetItems()->GetCount(); ++i)
      root->Add(CopyPopupMenuItemTree(menu->GetItems()->GetItem(i), global));
    auto* line = new TMenuItem(global);
    line->SetCaption(u"-");
    root->Add(line);
  }
  BuildCellPopupMenu(global, cell, area, column);
  return global;
}

void TCustomDBGridEh::InternalBuildCellPopupMenu(TPopupMenu* menu, TGridCoord /*cell*/,
                                                 TCellAreaTypeEh /*area*/, TColumnEh* /*column*/) {
  if (useIndicatorMenu_) BuildIndicatorTitleMenu(menu);
}

void TCustomDBGridEh::BuildIndicatorTitleMenu(TPopupMenu*& menu) {
  if (OnBuildIndicatorTitleMenu)
    OnBuildIndicatorTitleMenu(this, menu);
  else
    DefaultBuildIndicatorTitleMenu(menu);
}

// The standard menu is the default handler's, shared by all grids.
void TCustomDBGridEh::DefaultBuildIndicatorTitleMenu(TPopupMenu*& menu) {
  if (center_) center_->BuildIndicatorTitleMenu(this, menu);
}

void TCustomDBGridEh::DoContextPopup(TPoint mousePos, bool& handled) {
  TPoint at = mousePos;
  TGridCoord cell;
  if (at.X == -1 && at.Y == -1) {
    // From the keyboard: the centre of the current cell.
    cell = {GetCol(), GetRow()};
    const TRect r = TCustomGridEh::CellRect(cell.X, cell.Y, false);
    at = TPoint(r.Left + r.Width() / 2, r.Top + r.Height() / 2);
  } else {
    cell = MouseCoord(at.X, at.Y);
  }
  TCellAreaTypeEh area;
  TColumnEh* column = nullptr;
  if (cell.X >= 0 && cell.Y >= 0) {
    Integer areaCol = -1, areaRow = -1;
    area = GetCellAreaType(cell.X, cell.Y, areaCol, areaRow);
    if (area.HorzType == hctDataEh) column = GetColumnAtGridCol(cell.X);
  }
  TPopupMenu* menu = GetCellPopupMenu(cell, area, column);
  TCustomDBAxisGridEh::DoContextPopup(mousePos, handled);
  if (handled || !menu || !menu->GetAutoPopup()) return;
  SendCancelMode(nullptr);
  menu->SetPopupComponent(this);
  const TPoint screen = ClientToScreen(at);
  handled = true;
  menu->Popup(screen.X, screen.Y);
}

void TCustomDBGridEh::Resize() {
  if (!IsLoading() && !IsDestroying() && HandleAllocated() && GetUpdateLock() > 0) {
    sizeChangedInUpdateLock_ = true;
  } else if (!IsLoading() && !IsDestroying() && HandleAllocated()) {
    UpdateBoundaries();
    if (IsAutoFitColWidthsActive()) {
      LayoutChanged();
      InvalidateEditor();
    } else {
      // The row count decides the scroll range, and the bars decide the room for rows.
      UpdateScrollBars();
      UpdateRowCount();
      UpdateScrollBars();
    }
  }
  TCustomDBAxisGridEh::Resize();
}

void TCustomDBGridEh::UpdateLockReleased() {
  TCustomDBAxisGridEh::UpdateLockReleased();
  if (sizeChangedInUpdateLock_) SizeChangedAfterUpdateLock();
}

void TCustomDBGridEh::SizeChangedAfterUpdateLock() {
  sizeChangedInUpdateLock_ = false;
  if (!HandleAllocated() || IsDestroying()) return;
  UpdateBoundaries();
  const bool indicatorStale = indicatorOffset_ > 0 && GetColWidths(0) != CalcIndicatorColWidth();
  if ((autoFitColWidths_ || indicatorStale) && !GetComponentState().Contains(csDesigning)) {
    LayoutChanged();
    InvalidateEditor();
  } else {
    UpdateRowCount();
    UpdateScrollBars();
  }
}

bool TCustomDBGridEh::DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) {
  auto* editor = dynamic_cast<TDBAxisGridInplaceEdit*>(GetInplaceEditor());
  if (editor && editor->GetListVisible() && editor->GetActiveList()) {
    TCMMouseWheel wheel{};
    wheel.Msg = CM_MOUSEWHEEL;
    wheel.ShiftStateBits = static_cast<Word>(shift.Bits());
    wheel.WheelDelta = static_cast<SmallInt>(wheelDelta);
    wheel.XPos = static_cast<SmallInt>(mousePos.X);
    wheel.YPos = static_cast<SmallInt>(mousePos.Y);
    // A pick-list form scrolls by the list grid it holds.
    TWinControl* list = editor->GetActiveList();
    if (auto* form = dynamic_cast<TPopupListboxFormEh*>(list)) list = form->GetListGrid();
    list->WindowProc(reinterpret_cast<TMessage&>(wheel));
    if (wheel.Result != 0) return true;
  }
  return TCustomDBAxisGridEh::DoMouseWheel(shift, wheelDelta, mousePos);
}

// ======================= Characters =======================

void TCustomDBGridEh::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEMOVE:
      hintTestPos_ = TPoint(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // The grid decides itself whether a press drags: a press on a selection may, a press that
      // selects may not.
      const bool automatic = GetDragMode() == dmAutomatic && !GetComponentState().Contains(csDesigning);
      if (automatic) {
        autoDrag_ = true;
        SetDragMode(dmManual);
      }
      inDblClickMessage_ = message.Msg == WM_LBUTTONDBLCLK;
      auto done = MakeScopeExit([this, automatic] {
        inDblClickMessage_ = false;
        dblClickDeferred_ = false;
        if (automatic) {
          autoDrag_ = false;
          SetDragMode(dmAutomatic);
        }
      });
      TCustomDBAxisGridEh::WndProc(message);
      return;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      // A selected row is drawn in the focus colours: it changes with the focus.
      if (options_.Contains(dgRowSelect)) InvalidateRow(GetRow());
      break;
    case CM_MOUSELEAVE: {
      const TGridCoord hot = GetHotTrackCell();
      TCustomDBAxisGridEh::WndProc(message);
      if (optionsEh_.Contains(dghHotTrack) && hot.Y >= TopDataOffset() && hot.Y < GetRowCount())
        InvalidateRow(hot.Y);
      return;
    }
    case CM_FONTCHANGED:
      // The area fonts follow the grid's in the layout the inherited handling ends with.
      TCustomDBAxisGridEh::WndProc(message);
      UpdateAllDataRowHeights();
      return;
    case CM_HINTSHOWPAUSE:
      CMHintShowPause(reinterpret_cast<TCMHintShowPause&>(message));
      return;
    case CM_HINTSHOW:
      TCustomDBAxisGridEh::WndProc(message);
      if (message.Result == 0) CMHintShow(reinterpret_cast<TCMHintShow&>(message));
      return;
    default:
      break;
  }
  if (message.Msg != WM_CHAR) {
    TCustomDBAxisGridEh::WndProc(message);
    return;
  }
  // A point typed into a number stands for the locale's decimal separator.
  if (message.WParam == '.' && FormatSettings.DecimalSeparator != u'.') {
    TColumnEh* column = GetColumnAtGridCol(GetCol());
    if (column && dynamic_cast<TNumericField*>(column->GetField()))
      message.WParam = static_cast<WPARAM>(FormatSettings.DecimalSeparator);
  }
  completeKeyPress_ = String(1, static_cast<Char>(message.WParam));
  auto done = MakeScopeExit([this] { completeKeyPress_.clear(); });
  // Over a tree the numeric pad's signs open and close nodes; they start no editing.
  if (const Char ch = static_cast<Char>(message.WParam);
      (ch == u'*' || ch == u'+' || ch == u'-') && IsViewTreeMode()) {
    Char key = ch;
    KeyPress(key);
    message.Result = 0;
    return;
  }
  TCustomDBAxisGridEh::WndProc(message);
}
