// The cell editor's MRU list: the bar's most recently posted texts dropped under the editor while the
// user types, filtered to those that start with the text, walked with the keys and chosen with Enter or
// the mouse.
#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/grids/DBAxisGridsEh.h"
#include "platform/controls/Mask.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

TMRUListEh* CellEditorMRUSettings(const TDBAxisGridInplaceEdit* editor) {
  TAxisBarEh* bar = editor->GetBar();
  return bar ? bar->GetMRUList() : nullptr;
}

}  // namespace

void TDBAxisGridnplaceEditCoreControl::WndProc(TMessage& message) {
  auto* editor = dynamic_cast<TDBAxisGridInplaceEdit*>(GetParentEdit());
  if (editor && (message.Msg == WM_KEYDOWN || message.Msg == WM_CHAR)) {
    if (editor->RouteKeyToMRUList(message)) return;
    // A backspace on an empty text changes nothing, so no text change brings the list: it asks for
    // every entry itself.
    if (message.Msg == WM_CHAR && message.WParam == VK_BACK && editor->GetText().empty())
      editor->MRUListFollowText(true);
  }
  GridsEh::TInplaceEditCoreControl::WndProc(message);
}

Integer TDBAxisGridInplaceEdit::PopupListRowForKey(TPopupListboxFormEh* list, Word key) {
  const Integer count = list->GetCount();
  const Integer index = list->GetItemIndex();
  const Integer page = std::max<Integer>(1, list->GetRowCount());
  switch (key) {
    case VK_UP:
      return std::max<Integer>(0, index - 1);
    case VK_DOWN:
      return std::min<Integer>(count - 1, index + 1);
    case VK_PRIOR:
      return std::max<Integer>(0, index - page);
    case VK_NEXT:
      return std::min<Integer>(count - 1, std::max<Integer>(0, index) + page);
    case VK_HOME:
      return 0;
    case VK_END:
      return count - 1;
    default:
      return index;
  }
}

bool TDBAxisGridInplaceEdit::GetMRUListDroppedDown() const {
  TMRUListEh* mru = CellEditorMRUSettings(this);
  return mru && mru->GetDroppedDown() && mruListControl_;
}

TMRUListboxEh* TDBAxisGridInplaceEdit::CreateMRUListControl() {
  auto* list = new TMRUListboxEh(this);
  list->SetVisible(false);
  list->OnMouseUp = TMouseEvent(this, &TDBAxisGridInplaceEdit::MRUListMouseUp);
  return list;
}

void TDBAxisGridInplaceEdit::ShowMRUList() {
  TMRUListEh* mru = CellEditorMRUSettings(this);
  if (!mru) return;
  if (!mruListControl_) mruListControl_ = CreateMRUListControl();
  const bool wasDown = GetMRUListDroppedDown();
  if (wasDown) KeepMRUListGripSize(mru);
  if (!wasDown) mru->PrepareActiveItems();
  TStrings* items = mruListControl_->GetItems();
  mru->FilterItemsTo(items, GetText());
  if (items->GetCount() == 0) {
    CloseMRUList(false);
    return;
  }
  if (!wasDown) {
    TFont* font = GetEditCoreControl()->GetFont();
    mruListControl_->GetListGrid()->GetFont()->Assign(font);
    mruListControl_->GetListGrid()->SetColor(GetEditCoreControl()->GetColor());
  }
  const Integer width = mru->GetWidth() > GetWidth() ? mru->GetWidth() : GetWidth();
  ShowPopupListUnderControlEh(this, GetEditCoreControl()->GetFont(), mruListControl_, items->GetCount(),
                              mru->GetRows(), width);
  mruShownWidth_ = mruListControl_->GetWidth();
  mruShownRows_ = mruListControl_->GetRowCount();
  if (!wasDown) mruListControl_->SetItemIndex(-1);
  mru->SetDroppedDown(true);
}

void TDBAxisGridInplaceEdit::CloseMRUList(bool accept) {
  TMRUListEh* mru = CellEditorMRUSettings(this);
  if (!mru || !GetMRUListDroppedDown()) return;
  const Integer index = mruListControl_->GetItemIndex();
  const bool chosen = index >= 0 && index < mruListControl_->GetItems()->GetCount();
  const String text = chosen ? mruListControl_->GetItems()->Get(index) : String();
  if (GetCaptureControl() == mruListControl_->GetListGrid()) SetCaptureControl(nullptr);
  KeepMRUListGripSize(mru);
  mruListControl_->SetVisible(false);
  mru->SetDroppedDown(false);
  TCustomDBAxisGridEh* grid = GetAxisGrid();
  if (!accept || !chosen || !grid || GetReadOnly() || !grid->GetDataLink()->Edit()) return;
  // The chosen entry is no typing for the list to follow.
  mruChoosing_ = true;
  auto chosenSet = MakeScopeExit([this] { mruChoosing_ = false; });
  SetText(text);
  grid->SetEditTextValue(text);
  grid->GetDataLink()->Modified();
  if (GetEditCoreControl()->Focused()) SelectAll();
}

// The list is sized only here and by its grip: a size other than the one given is the user's, and the
// settings keep it for the next time the list drops down.
void TDBAxisGridInplaceEdit::KeepMRUListGripSize(TMRUListEh* mru) {
  const Integer width = mruListControl_->GetWidth();
  const Integer rows = mruListControl_->GetRowCount();
  if (width == mruShownWidth_ && rows == mruShownRows_) return;
  mru->SetWidth(width);
  mru->SetRows(rows);
  mruShownWidth_ = width;
  mruShownRows_ = rows;
}

bool TDBAxisGridInplaceEdit::RouteKeyToMRUList(TMessage& message) {
  if (!GetMRUListDroppedDown()) return false;
  const auto key = static_cast<Word>(message.WParam);
  if (message.Msg == WM_KEYDOWN) {
    const bool ctrl = GetShiftState().Contains(ssCtrl);
    const bool walks = key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN ||
                       ((key == VK_HOME || key == VK_END) && ctrl);
    if (walks) {
      const Integer row = PopupListRowForKey(mruListControl_, key);
      if (row >= 0) mruListControl_->SetItemIndex(row);
      return true;
    }
    // Enter and Esc close the list as characters; their key-downs must not reach the grid meanwhile.
    return key == VK_RETURN || key == VK_ESCAPE;
  }
  if (message.Msg == WM_CHAR && (key == VK_RETURN || key == VK_ESCAPE)) {
    CloseMRUList(key == VK_RETURN);
    return true;
  }
  return false;
}

void TDBAxisGridInplaceEdit::MRUListFollowText(bool showAll) {
  TMRUListEh* mru = CellEditorMRUSettings(this);
  if (!mru || mruChoosing_) return;
  const bool mayShow = mru->GetActive() && GetVisible() && !listVisible_;
  const String mask = GetEditCoreControl()->GetEditMask();
  if (showAll) {
    if (mayShow) ShowMRUList();
  } else if (GetText() == (mask.empty() ? String() : FormatMaskText(mask, String()))) {
    CloseMRUList(false);
  } else if (mayShow) {
    ShowMRUList();
  }
}

void TDBAxisGridInplaceEdit::MRUListMouseUp(TObject*, TMouseButton button, TShiftState, Integer x,
                                            Integer y) {
  if (button != mbLeft || !mruListControl_) return;
  CloseMRUList(PtInRect(mruListControl_->GetListGrid()->GetClientRect(), TPoint(x, y)));
}
