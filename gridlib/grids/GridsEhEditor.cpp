// The in-place cell editor host: a borderless control over the current cell with an inner masked edit,
// the grid's side of its life cycle (create, load, show, move, hide, store the text) and the routing of
// keys between the editor and the grid.
#include <algorithm>

#include "gridlib/grids/GridsEh.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Gdi.h"
#include "platform/rtl/ScopeGuard.h"

// ======================= The grid's side =======================

bool TCustomGridEh::CanEditShow() {
  return options_.Contains(goEditingEh) && !options_.Contains(goRowSelectEh) && editorMode_ &&
         !GetComponentState().Contains(csDesigning) && HandleAllocated() &&
         (options_.Contains(goAlwaysShowEditorEh) || IsActiveControl());
}

void TCustomGridEh::ShowEditor() {
  editorMode_ = true;
  UpdateEdit();
}

void TCustomGridEh::HideEditor() {
  if (!editorMode_) return;
  editorMode_ = false;
  HideInplaceEdit();
}

void TCustomGridEh::SetEditorMode(bool value) {
  if (value) {
    ShowEditor();
    if (inplaceEdit_) inplaceEdit_->Deselect();
  } else {
    HideEditor();
  }
}

void TCustomGridEh::UpdateEdit() {
  if (!CanEditShow()) {
    HideInplaceEdit();
    return;
  }
  bool load = false;
  if (!inplaceEdit_) {
    inplaceEdit_ = CreateEditor();
    inplaceEdit_->SetGrid(this);
    inplaceEdit_->SetParent(this);
    inplaceEdit_->SetAutoSelect(false);
    load = true;
  } else if (curCell_.X != inplaceCol_ || curCell_.Y != inplaceRow_) {
    HideInplaceEdit();
    load = true;
  }
  if (load) {
    inplaceCol_ = curCell_.X;
    inplaceRow_ = curCell_.Y;
    inplaceEdit_->UpdateContents();
    canEditModify_ = inplaceEdit_->GetMaxLength() != -1;
    inplaceEdit_->SelectAll();
  }
  if (CanEditShow()) inplaceEdit_->Move(GetEditorRect(curCell_.X, curCell_.Y));
}

void TCustomGridEh::UpdateText() {
  if (inplaceEdit_ && inplaceCol_ >= 0 && inplaceRow_ >= 0)
    SetEditText(inplaceCol_, inplaceRow_, inplaceEdit_->GetText());
}

void TCustomGridEh::HideInplaceEdit() {
  if (!inplaceEdit_) return;
  auto hide = MakeScopeExit([this] {
    inplaceCol_ = inplaceRow_ = -1;
    inplaceEdit_->Hide();
  });
  UpdateText();
}

void TCustomGridEh::InvalidateEditor() {
  inplaceCol_ = inplaceRow_ = -1;
  UpdateEdit();
}

void TCustomGridEh::ShowEditorWithChar(Char ch) {
  ShowEditor();
  // Sent, not posted: the keys typed right after it are already queued and must come after it.
  if (inplaceEdit_ && inplaceEdit_->Visible()) inplaceEdit_->GetEditCoreControl()->Perform(WM_CHAR, ch, 0);
}

bool TCustomGridEh::EditorForwardsKey(Word key, TShiftState shift) {
  const bool ctrl = shift.Contains(ssCtrl);
  const auto caretAtStart = [this] {
    const Integer len = inplaceEdit_->GetTextLen();
    return (inplaceEdit_->GetSelStart() == 0 && inplaceEdit_->GetSelLength() == 0) ||
           inplaceEdit_->GetSelLength() == len;
  };
  const auto caretAtEnd = [this] {
    const Integer len = inplaceEdit_->GetTextLen();
    return (inplaceEdit_->GetSelStart() == len && inplaceEdit_->GetSelLength() == 0) ||
           inplaceEdit_->GetSelLength() == len;
  };
  switch (key) {
    case VK_TAB:
      return GetKeyState(VK_MENU) >= 0;
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN:
      return true;
    case VK_HOME:
    case VK_LEFT:
      return options_.Contains(goAlwaysShowEditorEh) && (ctrl || caretAtStart());
    case VK_END:
    case VK_RIGHT:
      return options_.Contains(goAlwaysShowEditorEh) && (ctrl || caretAtEnd());
    case VK_INSERT:
      return shift.Empty();
    case VK_DELETE:
      return ctrl;
    default:
      return false;
  }
}

// ======================= The host =======================

namespace GridsEh {

TInplaceEdit::TInplaceEdit(TComponent* owner) : TCustomControl(owner) {
  visible_ = false;
  tabStop_ = false;
  editCoreControl_ = CreateEditCoreControl();
  editCoreControl_->SetParentEdit(this);
  editCoreControl_->SetParent(this);
  GetBrush()->SetColor(clWindow);
}

TInplaceEdit::~TInplaceEdit() = default;

void TInplaceEdit::RecreateEditCoreControl() {
  delete editCoreControl_;
  editCoreControl_ = CreateEditCoreControl();
  editCoreControl_->SetParentEdit(this);
  editCoreControl_->SetParent(this);
}

TInplaceEditCoreControl* TInplaceEdit::CreateEditCoreControl() { return new TInplaceEditCoreControl(this); }

String TInplaceEdit::GetText() const { return editCoreControl_->GetText(); }
void TInplaceEdit::SetText(const String& value) {
  internalTextSetting_ = true;
  auto done = MakeScopeExit([this] { internalTextSetting_ = false; });
  editCoreControl_->SetText(value);
}
String TInplaceEdit::GetEditText() const { return editCoreControl_->GetEditText(); }
Integer TInplaceEdit::GetMaxLength() const { return editCoreControl_->GetEditLimit(); }
void TInplaceEdit::SetMaxLength(Integer value) { editCoreControl_->SetEditLimit(value); }
bool TInplaceEdit::GetReadOnly() const { return editCoreControl_->GetReadOnly(); }
void TInplaceEdit::SetReadOnly(bool value) { editCoreControl_->SetReadOnly(value); }
Integer TInplaceEdit::GetSelStart() const { return editCoreControl_->GetSelStart(); }
void TInplaceEdit::SetSelStart(Integer value) { editCoreControl_->SetSelStart(value); }
Integer TInplaceEdit::GetSelLength() const { return editCoreControl_->GetSelLength(); }
void TInplaceEdit::SetSelLength(Integer value) { editCoreControl_->SetSelLength(value); }
String TInplaceEdit::GetEditMask() const { return editCoreControl_->GetEditMask(); }
void TInplaceEdit::SetEditMask(const String& value) { editCoreControl_->SetEditMask(value); }
bool TInplaceEdit::GetModified() const { return editCoreControl_->GetModified(); }
bool TInplaceEdit::GetIsMasked() const { return editCoreControl_->GetIsMasked(); }
Integer TInplaceEdit::GetTextLen() const { return static_cast<Integer>(GetText().size()); }

bool TInplaceEdit::Visible() const { return HandleAllocated() && GetVisible(); }

bool TInplaceEdit::Focused() const { return TCustomControl::Focused() || editCoreControl_->Focused(); }

void TInplaceEdit::SetFocus() {
  if (Visible()) editCoreControl_->SetFocus();
}

void TInplaceEdit::Reset() {
  SetText(loadedText_);
  SelectAll();
}

void TInplaceEdit::SetSel(Integer startPos, Integer length) {
  editCoreControl_->SetSelStart(startPos);
  editCoreControl_->SetSelLength(length);
}

void TInplaceEdit::SelectAll() { editCoreControl_->SelectAll(); }

bool TInplaceEdit::EditCanModify() { return editCoreControl_->EditCanModify(); }

void TInplaceEdit::CalcCoreControlRect(TRect& rect) { rect = TRect(2, 2, GetWidth() - 2, GetHeight()); }

void TInplaceEdit::UpdateCoreControlBounds() {
  TRect r;
  CalcCoreControlRect(r);
  editCoreControl_->SetBounds(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
}

void TInplaceEdit::Resize() {
  inherited::Resize();
  UpdateCoreControlBounds();
}

void TInplaceEdit::DispatchKeyMessage(TMessage& message) {
  auto& key = reinterpret_cast<TWMKey&>(message);
  bool taken = false;
  switch (message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      taken = DoKeyDown(key);
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      taken = DoKeyUp(key);
      break;
    case WM_CHAR:
    case WM_SYSCHAR:
      taken = DoKeyPress(key);
      break;
    default:
      break;
  }
  if (taken) message.Result = 1;
}

void TInplaceEdit::UpdateContents() {
  if (!grid_) return;
  const Integer col = grid_->inplaceCol_, row = grid_->inplaceRow_;
  editCoreControl_->SetEditMask(grid_->GetEditMask(col, row));
  loadedText_ = grid_->GetEditText(col, row);
  SetText(loadedText_);
  editCoreControl_->SetEditLimit(grid_->GetEditLimit());
}

void TInplaceEdit::Hide() {
  if (!HandleAllocated() || !GetVisible()) return;
  const bool hadFocus = Focused();
  Invalidate();
  SetVisible(false);
  // A form going away keeps no focus: handing it to the grid would make the dying form active again.
  TCustomForm* form = grid_ ? GetParentForm(grid_, false) : nullptr;
  const bool leaving = (grid_ && grid_->GetComponentState().Contains(csDestroying)) ||
                       (form && form->GetComponentState().Contains(csDestroying));
  if (hadFocus && !leaving && grid_ && grid_->HandleAllocated()) ::SetFocus(grid_->GetHandle());
}

void TInplaceEdit::DoMove(const TRect& loc, bool forceRepaint) {
  if (loc.IsEmpty()) {
    Hide();
    return;
  }
  HandleNeeded();
  const bool wasHidden = !GetVisible();
  SetBounds(loc.Left, loc.Top, loc.Width(), loc.Height());
  SetVisible(true);
  if (forceRepaint || wasHidden) Invalidate();
  UpdateCoreControlBounds();
  if (grid_ && grid_->Focused()) {
    grid_->SetInternalFocusResetting(true);
    auto reset = MakeScopeExit([this] { grid_->SetInternalFocusResetting(false); });
    editCoreControl_->SetFocus();
  }
}

void TInplaceEdit::Move(const TRect& loc) { DoMove(loc, true); }
void TInplaceEdit::UpdateLoc(const TRect& loc) { DoMove(loc, false); }

void TInplaceEdit::Paint() {
  GetCanvas()->GetBrush()->SetColor(GetBrush()->GetColor());
  GetCanvas()->FillRect(GetClientRect());
}

void TInplaceEdit::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE:
      message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      if (grid_ && grid_->GetOptions().Contains(goTabsEh)) message.Result |= DLGC_WANTTAB;
      return;
    case WM_SETFOCUS:
      if (editCoreControl_->HandleAllocated()) ::SetFocus(editCoreControl_->GetHandle());
      return;
    case WM_CHAR:
      message.Result = editCoreControl_->Perform(message.Msg, message.WParam, message.LParam);
      return;
    case CM_SHOWINGCHANGED:
      return;
    default:
      break;
  }
  inherited::WndProc(message);
}

// ======================= The inner edit =======================

TInplaceEditCoreControl::TInplaceEditCoreControl(TComponent* owner) : TCustomMaskEdit(owner) {
  SetBorderStyle(bsNone);
  SetTabStop(false);
  // The grid decides what is selected when a cell is loaded; entering must not select it all again.
  SetAutoSelect(false);
}

bool TInplaceEditCoreControl::EditCanModify() {
  TCustomGridEh* grid = GetGrid();
  return grid ? grid->CanEditModify() : TCustomMaskEdit::EditCanModify();
}

void TInplaceEditCoreControl::UpdateContents() {
  TCustomGridEh* grid = GetGrid();
  if (!grid) return;
  SetEditMask(grid->GetEditMask(grid->GetCol(), grid->GetRow()));
  SetText(grid->GetEditText(grid->GetCol(), grid->GetRow()));
  SetEditLimit(grid->GetEditLimit());
}

void TInplaceEditCoreControl::SetEditLimit(Integer value) {
  readOnlyLimit_ = value == -1;
  SetMaxLength(readOnlyLimit_ ? 0 : value);
}

void TInplaceEditCoreControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      if (parentEdit_) {
        parentEdit_->DispatchKeyMessage(message);
        if (message.Result != 0) return;
      }
      break;
    case WM_LBUTTONDOWN:
      // The second click of the double click that opened the editor reaches it as a double click.
      if (parentEdit_ && parentEdit_->GetClickTime() != 0 &&
          GetMessageTime() - parentEdit_->GetClickTime() < GetDoubleClickTime())
        message.Msg = WM_LBUTTONDBLCLK;
      if (parentEdit_) parentEdit_->SetClickTime(0);
      break;
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR: {
      if (!EditCanModify() || !parentEdit_) return;
      const bool intercepted = message.Msg == WM_CUT     ? parentEdit_->InterceptCut(message)
                               : message.Msg == WM_PASTE ? parentEdit_->InterceptPaste(message)
                                                         : parentEdit_->InterceptClear(message);
      if (intercepted) return;
      break;
    }
    case WM_GETDLGCODE:
      inherited::WndProc(message);
      if (GetGrid() && GetGrid()->GetOptions().Contains(goTabsEh)) message.Result |= DLGC_WANTTAB;
      return;
    case WM_KILLFOCUS:
      inherited::WndProc(message);
      if (parentEdit_) parentEdit_->EditCoreKillFocus(reinterpret_cast<TWMKillFocus&>(message).FocusedWnd);
      return;
    default:
      break;
  }
  inherited::WndProc(message);
}

void TInplaceEditCoreControl::KeyDown(Word& key, TShiftState shift) {
  TCustomGridEh* grid = GetGrid();
  if (!grid) return inherited::KeyDown(key, shift);
  if (grid->EditorForwardsKey(key, shift)) {
    grid->KeyDown(key, shift);
    key = 0;
    return;
  }
  if (((key == VK_INSERT && shift == TShiftState{ssShift}) || key == VK_DELETE) && !grid->CanEditModify())
    key = 0;
  if (key == 'A' && shift == TShiftState{ssCtrl}) SelectAll();
  if (key == VK_F2) {
    if (grid->OnKeyDown) grid->OnKeyDown(grid, key, shift);
    if (key == VK_F2) {
      SetSelStart(0);
      SetSelLength(0);
      return;
    }
  }
  if (key == 0) return;
  if (grid->OnKeyDown) grid->OnKeyDown(grid, key, shift);
  if (key != 0) inherited::KeyDown(key, shift);
}

void TInplaceEditCoreControl::KeyPress(Char& key) {
  TCustomGridEh* grid = GetGrid();
  if (!grid) return inherited::KeyPress(key);
  grid->KeyPress(key);
  if (key > 31 && !grid->CanEditAcceptKey(key)) {
    key = 0;
    MessageBeep(0);
  }
  if (key == u'\r') {
    const Integer start = GetSelStart(), len = GetSelLength(),
                  textLen = static_cast<Integer>(GetText().size());
    if (start == 0 && len == textLen) {
      SetSelStart(0);
      SetSelLength(0);
    } else {
      SelectAll();
    }
    key = 0;
  } else if (key == u'\t' || key == u'\x1b') {
    key = 0;
  } else if (key > 31 && !grid->CanEditModify()) {
    key = 0;
  }
  if (key != 0) inherited::KeyPress(key);
}

void TInplaceEditCoreControl::KeyUp(Word& key, TShiftState shift) {
  if (TCustomGridEh* grid = GetGrid()) grid->KeyUp(key, shift);
}

void TInplaceEditCoreControl::Change() {
  inherited::Change();
  TCustomGridEh* grid = GetGrid();
  if (grid && parentEdit_->Visible()) grid->UpdateText();
  if (parentEdit_) parentEdit_->EditChanged();
}

void TInplaceEditCoreControl::DblClick() {
  if (parentEdit_) parentEdit_->DblClick();
}

bool TInplaceEditCoreControl::DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) {
  TCustomGridEh* grid = GetGrid();
  return grid ? grid->DoMouseWheel(shift, wheelDelta, mousePos)
              : inherited::DoMouseWheel(shift, wheelDelta, mousePos);
}

}  // namespace GridsEh
