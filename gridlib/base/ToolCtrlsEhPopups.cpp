// Popup windows of the grid library: the hint window that writes in the hint's own font and the
// borderless popup form that never takes the activation or the focus from the form under it.
#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/ScopeGuard.h"

// ---- Hint window ----

void THintWindowEh::ActivateHintData(TRect rect, const String& hint, void* data) {
  if (data) GetFont()->Assign(static_cast<TFont*>(data));
  THintWindow::ActivateHintData(rect, hint, data);
}

TRect THintWindowEh::CalcHintRect(Integer maxWidth, const String& hint, void* data) {
  if (data) GetCanvas()->GetFont()->Assign(static_cast<TFont*>(data));
  GetCanvas()->GetFont()->SetColor(clWindowText);
  // The platform measures in the window's font: it takes the canvas font for the measuring only.
  TFont own;
  own.Assign(GetFont());
  auto restore = MakeScopeExit([&] { GetFont()->Assign(&own); });
  GetFont()->Assign(GetCanvas()->GetFont());
  return THintWindow::CalcHintRect(maxWidth, hint, data);
}

void THintWindowEh::Paint() {
  TRect r = GetClientRect();
  r.Left += 2;
  r.Top += 2;
  TCanvas* canvas = GetCanvas();
  canvas->GetFont()->Assign(GetFont());
  canvas->GetBrush()->SetStyle(bsClear);
  UINT flags = DT_WORDBREAK | DT_NOPREFIX;
  if (UseRightToLeftReading()) flags |= DT_RTLREADING;
  const String text = GetCaption();
  HDC dc = canvas->GetHandle();
  SetTextColor(dc, ColorToRGB(canvas->GetFont()->GetColor()));
  DrawText(dc, text.c_str(), static_cast<Integer>(text.size()), &r, flags);
}

// ---- Non-activating popup form ----

TPopupInactiveFormEh::TPopupInactiveFormEh(TComponent* owner) : TForm(owner, 0) {
  SetBorderStyle(bsNone);
  SetPosition(poDesigned);
  SetFormStyle(fsStayOnTop);
}

void TPopupInactiveFormEh::Show() {
  // The window takes the kind of a window shown without activation before it is first mapped: changing
  // the kind of a mapped window remaps it, and the window manager may keep the first mapping hidden.
  ShowNoActivate();
  SetWindowPos(GetHandle(), nullptr, GetLeft(), GetTop(), 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
}

void TPopupInactiveFormEh::SetVisible(bool value) {
  if (value == GetVisible()) return;
  if (value)
    Show();
  else
    Hide();
}

void TPopupInactiveFormEh::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEACTIVATE:
      // Clicking the popup never activates it.
      message.Result = MA_NOACTIVATE;
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (masterActionsControl_ && masterActionsControl_->HandleAllocated())
        SendMessage(masterActionsControl_->GetHandle(), message.Msg, message.WParam, message.LParam);
      break;
    default:
      break;
  }
  TForm::WndProc(message);
}

void TPopupInactiveFormEh::CreateParams(TCreateParams& params) {
  TForm::CreateParams(params);
  params.WindowClassStyle |= CS_VREDRAW | CS_HREDRAW;
  SetDropShadowStyleEh(params, dropShadow_);
}

void TPopupInactiveFormEh::AdjustClientRect(TRect& rect) {
  TForm::AdjustClientRect(rect);
  const Integer b = GetPopupBorderWidth();
  rect = TRect(rect.Left + b, rect.Top + b, rect.Right - b, rect.Bottom - b);
}

void TPopupInactiveFormEh::Paint() {
  TForm::Paint();
  if (GetPopupBorderWidth() == 0) return;
  HDC dc = GetCanvas()->GetHandle();
  TRect r = GetClientRect();
  DrawEdge(dc, &r, BDR_RAISEDOUTER, BF_RECT);
  r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
}
