// The process-wide default-handler object of the axis grids: what an edit button does when neither the
// bar nor the button handles it (a text or picture editor), and the items of a bar's own popup menu.
#include <memory>

#include "gridlib/base/MemoEditFormsEh.h"
#include "gridlib/grids/DBAxisGridsEh.h"
#include "platform/controls/Clipbrd.h"

namespace {

std::unique_ptr<TDBAxisGridEhCenter>& CenterSlot() {
  static std::unique_ptr<TDBAxisGridEhCenter> center = std::make_unique<TDBAxisGridEhCenter>();
  return center;
}

bool IsTextEditType(TFieldType t) {
  switch (t) {
    case ftString:
    case ftMemo:
    case ftFmtMemo:
    case ftFixedChar:
    case ftWideString:
    case ftOraClob:
    case ftGuid:
    case ftFixedWideChar:
    case ftWideMemo:
      return true;
    default:
      return false;
  }
}

}  // namespace

TPictureEditRoutineEh DBAxisGridPictureEditRoutineEh;

TDBAxisGridEhCenter* GetDBAxisGridEhCenter() { return CenterSlot().get(); }

TDBAxisGridEhCenter* SetDBAxisGridEhCenter(TDBAxisGridEhCenter* center) {
  TDBAxisGridEhCenter* old = CenterSlot().release();
  CenterSlot().reset(center);
  return old;
}

void TDBAxisGridEhCenter::EditButtonDefaultAction(TCustomDBAxisGridEh* grid, TAxisBarEh* bar,
                                                  TControl* editControl, TEditButtonEh* editButton,
                                                  bool isMouseDown, bool& handled) {
  const TAxisBarEhType type = bar->GetBarType();
  if (type == ctGraphicData && !bar->GetTextEditing())
    return EditButtonDefaultActionForImage(grid, bar, editControl, editButton, isMouseDown, handled);
  TField* f = bar->GetField();
  if (type == ctCommon && f && IsTextEditType(f->GetDataType()))
    EditButtonDefaultActionText(grid, bar, editControl, editButton, isMouseDown, handled);
}

// An ellipsis button edits the cell's text in the memo editor and writes an accepted text back.
void TDBAxisGridEhCenter::EditButtonDefaultActionText(TCustomDBAxisGridEh* grid, TAxisBarEh* bar,
                                                      TControl* editControl, TEditButtonEh* editButton,
                                                      bool isMouseDown, bool& handled) {
  TMemoEditProcEh memoEdit = GetMemoEditProcEh();
  if (editButton->GetStyle() != ebsEllipsisEh || isMouseDown || !memoEdit) return;
  auto* editor = dynamic_cast<TDBAxisGridInplaceEdit*>(editControl);
  String text = editor ? editor->GetText() : bar->DisplayText();
  if (!memoEdit(text, TRect(), !bar->CanModify(false))) return;
  grid->GetDataLink()->Edit();
  if (editor) editor->SetText(text);
  grid->UpdateText();
  // The pending text is the accepted one also without an editor, so the write does not empty the field.
  grid->SetEditTextValue(text);
  grid->GetDataLink()->Modified();
  bar->SetValueAsText(text);
  handled = true;
}

void TDBAxisGridEhCenter::EditButtonDefaultActionForImage(TCustomDBAxisGridEh* grid, TAxisBarEh* bar,
                                                          TControl*, TEditButtonEh* editButton,
                                                          bool isMouseDown, bool& handled) {
  if (editButton->GetStyle() != ebsEllipsisEh || isMouseDown || !DBAxisGridPictureEditRoutineEh) return;
  TField* f = bar->GetField();
  if (!f) return;
  TPicture picture;
  LoadPictureFromFieldEh(f, &picture);
  if (DBAxisGridPictureEditRoutineEh(&picture) && grid->GetDataLink()->Edit()) {
    f->Assign(picture.GetGraphic());
    handled = true;
  }
}

void TDBAxisGridEhCenter::FormSystemPopupMenuForColumn(TCustomDBAxisGridEh* grid, TAxisBarEh* bar,
                                                       TPopupMenu* menu) {
  TField* f = bar->GetField();
  const bool modifiable = f && !bar->GetReadOnly() && !grid->GetReadOnly() && f->CanModify();
  // Paste is offered when the clipboard holds what the bar's paste takes: a picture for a picture bar,
  // text for any other.
  const bool pasteable = bar->GetBarType() == ctGraphicData ? Clipboard()->HasFormat(CF_BITMAP)
                                                            : Clipboard()->HasFormat(CF_UNICODETEXT);
  auto add = [&](const String& caption, void (TAxisBarEh::*action)()) {
    auto* item = new TAxisBarEhMenuItem(menu);
    item->SetCaption(caption);
    item->AxisBar = bar;
    if (action) item->OnClick = [item, action](TObject*) { (item->AxisBar->*action)(); };
    menu->GetItems()->Add(item);
  };
  if (modifiable) add(u"Cut", &TAxisBarEh::CutValueToClipboard);
  add(u"Copy", &TAxisBarEh::CopyValueToClipboard);
  if (modifiable && pasteable) add(u"Paste", &TAxisBarEh::PasteValueFromClipboard);
  if (modifiable) add(u"Delete", &TAxisBarEh::ClearValue);
  add(u"-", nullptr);
  if (modifiable) add(u"Load...", &TAxisBarEh::LoadFromFileDialog);
  if (f && !f->IsNull()) add(u"Save...", &TAxisBarEh::SaveToFileDialog);
}

// ---- The bar's menus and the grid's hooks ----

TPopupMenu* TAxisBarEh::GetPopupMenu() { return popupMenu_ ? popupMenu_ : GetSystemPopupMenu(); }

TPopupMenu* TAxisBarEh::GetSystemPopupMenu() {
  if (!systemPopupMenu_) systemPopupMenu_ = std::make_unique<TPopupMenu>(nullptr);
  FormSystemPopupMenu(systemPopupMenu_.get());
  return systemPopupMenu_.get();
}

void TAxisBarEh::FormSystemPopupMenu(TPopupMenu* menu) {
  menu->GetItems()->Clear();
  if (grid_) grid_->FormSystemPopupMenuForColumn(this, menu);
}

void TAxisBarEh::LoadFromFileDialog() {}
void TAxisBarEh::SaveToFileDialog() {}

void TCustomDBAxisGridEh::FormSystemPopupMenuForColumn(TAxisBarEh* bar, TPopupMenu* menu) {
  GetDBAxisGridEhCenter()->FormSystemPopupMenuForColumn(this, bar, menu);
}

void TCustomDBAxisGridEh::EditButtonDefaultAction(TAxisBarEh* bar, TControl* editControl,
                                                  TEditButtonEh* editButton, bool isMouseDown,
                                                  bool& handled) {
  GetDBAxisGridEhCenter()->EditButtonDefaultAction(this, bar, editControl, editButton, isMouseDown, handled);
}
