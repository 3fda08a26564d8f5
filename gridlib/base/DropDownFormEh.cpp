// The drop-down form base: placement against a rectangle inside the work area, the blocking and the
// non-blocking run with their close hand-shake, closing on deactivation, the painted frame and the
// companion close button, sizing bar and size grips.
#include "gridlib/base/DropDownFormEh.h"

#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"

// ======================================================================================
// Close button and sizing bar
// ======================================================================================

TDDFCloseButtonEh::TDDFCloseButtonEh(TComponent* owner) : TWinControl(owner) {
  buttonControl_ = new TSpeedButtonEh(this);
  buttonControl_->SetParent(this);
  buttonControl_->SetAlign(alClient);
  buttonControl_->SetFlat(true);
  buttonControl_->OnPaint = TNotifyEvent(this, &TDDFCloseButtonEh::ButtonPaint);
  buttonControl_->OnClick = TNotifyEvent(this, &TDDFCloseButtonEh::ButtonClick);
  if (ThemesEnabledEh())
    SetBounds(0, 0, 17, 16);
  else
    SetBounds(0, 0, GetSystemMetrics(SM_CYSMSIZE), GetSystemMetrics(SM_CYSMSIZE));
}

void TDDFCloseButtonEh::ButtonPaint(TObject*) {
  TCanvas* canvas = buttonControl_->GetCanvas();
  const TRect r = buttonControl_->GetClientRect();
  const bool down = buttonControl_->GetState() == bsDown;
  const bool hot = buttonControl_->GetMouseInControl();
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(clBtnFace);
  canvas->FillRect(r);
  if (ThemesEnabledEh()) {
    TCustomStyleServices* ss = StyleServices();
    const TThemedElementDetails e = CustomStyleActiveEh()
                                        ? ss->GetElementDetails(down  ? twSmallCloseButtonPushed
                                                                : hot ? twSmallCloseButtonHot
                                                                      : twSmallCloseButtonNormal)
                                        : ss->GetElementDetails(down  ? tttClosePressed
                                                                : hot ? tttCloseHot
                                                                      : tttCloseNormal);
    ss->DrawElement(canvas->GetHandle(), e, r);
    return;
  }
  const Integer side = GetSystemMetrics(SM_CYSMSIZE);
  TRect box(r.Left + (r.Width() - side) / 2, r.Top + (r.Height() - side) / 2, 0, 0);
  box.Right = box.Left + side;
  box.Bottom = box.Top + side;
  DrawFrameControl(canvas->GetHandle(), &box, DFC_CAPTION,
                   DFCS_CAPTIONCLOSE | DFCS_FLAT |
                       (down  ? DFCS_CHECKED
                        : hot ? DFCS_HOT
                              : UINT(0)));
}

void TDDFCloseButtonEh::ButtonClick(TObject*) {
  // The platform form's close: no focus return, the modal result stays as it is.
  if (TCustomForm* form = GetParentForm(this)) form->TCustomForm::Close();
}

TDDFSizingBarEh::TDDFSizingBarEh(TComponent* owner) : TCustomPanel(owner) {
  SetControlStyle(TControlStyle(GetControlStyle()).Include(csCaptureMouse));
  SetBevelOuter(bvNone);
  SetBevelKind(bkTile);
  SetBevelEdges(TBevelEdges{beTop});
}

void TDDFSizingBarEh::Resize() {
  TCustomPanel::Resize();
  sizingArea_ = GetHeight() > 9 ? 10 : GetHeight() / 2;
}

void TDDFSizingBarEh::Paint() {
  TCustomPanel::Paint();
  // The tiled edge toward the form's content, an etched line (lowered outer, raised inner cut): the
  // panel's own bevels, which are off here, are the platform's only window bevels.
  TRect r = GetClientRect();
  DrawEdge(GetCanvas()->GetHandle(), &r, EDGE_ETCHED, GetBevelEdges().Contains(beTop) ? BF_TOP : BF_BOTTOM);
}

bool TDDFSizingBarEh::InGrabZone(Integer y) const {
  return GetAlign() == alBottom ? y >= GetHeight() - sizingArea_ : y < sizingArea_;
}

void TDDFSizingBarEh::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TCustomPanel::MouseDown(button, shift, x, y);
  mouseDownPos_ = InGrabZone(y) ? TPoint(x, y) : TPoint(-1, -1);
}

void TDDFSizingBarEh::MouseMove(TShiftState shift, Integer x, Integer y) {
  TCustomPanel::MouseMove(shift, x, y);
  if (InGrabZone(y) || mouseDownPos_.Y >= 0) SetCursor(crSizeNS);
  if (!hostControl_ || !shift.Contains(ssLeft) || !GetMouseCapture() || mouseDownPos_.Y < 0) return;
  const Integer dy = y - mouseDownPos_.Y;
  if (GetAlign() == alBottom)
    hostControl_->SetHeight(hostControl_->GetHeight() + dy);
  else
    hostControl_->SetBounds(hostControl_->GetLeft(), hostControl_->GetTop() + dy, hostControl_->GetWidth(),
                            hostControl_->GetHeight() - dy);
}

// ======================================================================================
// Drop-down form
// ======================================================================================

TCustomDropDownFormEh::TCustomDropDownFormEh(TComponent* owner) : TForm(owner) {
  InitDropDownForm();
  if (GetConstraints()->GetMinWidth() == 0) GetConstraints()->SetMinWidth(2 * GetSystemMetrics(SM_CXVSCROLL));
  if (GetConstraints()->GetMinHeight() == 0)
    GetConstraints()->SetMinHeight(2 * GetSystemMetrics(SM_CYVSCROLL));
}

TCustomDropDownFormEh::TCustomDropDownFormEh(TComponent* owner, Integer dummy) : TForm(owner, dummy) {
  InitDropDownForm();
}

TCustomDropDownFormEh::~TCustomDropDownFormEh() = default;

void TCustomDropDownFormEh::InitDropDownForm() {
  closeButton_ = new TDDFCloseButtonEh(this);
  closeButton_->SetVisible(false);
  closeButton_->SetAnchors(TAnchors{akTop, akRight});
  closeButton_->SetParent(this);
  sizingBar_ = new TDDFSizingBarEh(this);
  sizingBar_->SetVisible(false);
  sizingBar_->SetHostControl(this);
  sizingBar_->SetParent(this);
  sizeGrip_ = new TSizeGripEh(this);
  sizeGrip_->SetVisible(false);
  sizeGrip_->SetHostControl(this);
  sizeGrip_->SetParent(this);
  sizeGrip2_ = new TSizeGripEh(this);
  sizeGrip2_->SetVisible(false);
  sizeGrip2_->SetHostControl(this);
  sizeGrip2_->SetPosition(sgpBottomLeft);
  sizeGrip2_->SetParent(this);
  SetBorderIcons(TBorderIcons());
  SetBorderStyle(bsNone);
  dropDownMode_ = true;
  borderWidth_ = 3;
  GetConstraints()->SetMinWidth(2 * GetSystemMetrics(SM_CXVSCROLL));
  GetConstraints()->SetMinHeight(2 * GetSystemMetrics(SM_CYVSCROLL));
  SetPosition(poDesigned);
  SetFormStyle(fsStayOnTop);
}

void TCustomDropDownFormEh::SetFormElements(TDropDownFormElementsEh value) {
  formElements_ = value;
  InitElements();
}

void TCustomDropDownFormEh::SetDropDownMode(bool value) {
  if (dropDownMode_ == value) return;
  dropDownMode_ = value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomDropDownFormEh::SetDropDownBorderWidth(Integer value) {
  borderWidth_ = value;
  Realign();
  Invalidate();
}

TRect TCustomDropDownFormEh::GetControlClientRect() {
  TRect r = GetClientRect();
  AdjustClientRect(r);
  return r;
}

void TCustomDropDownFormEh::AdjustClientRect(TRect& rect) {
  TForm::AdjustClientRect(rect);
  if (!dropDownMode_) return;
  rect = TRect(rect.Left + borderWidth_, rect.Top + 2 * borderWidth_, rect.Right - borderWidth_,
               rect.Bottom - borderWidth_);
}

void TCustomDropDownFormEh::CreateParams(TCreateParams& params) {
  TForm::CreateParams(params);
  if (dropDownMode_) SetDropShadowStyleEh(params, true);
}

TDropLayoutEh TCustomDropDownFormEh::PlaceAtRect(const TRect& rect, TDropDownAlign align) {
  const TRect work = Screen->WorkAreaOfRect(rect);
  TDropLayoutEh layout = dlUnderControlEh;
  Integer left = rect.Left, top = rect.Bottom + 1;
  Integer width = GetWidth(), height = GetHeight();
  if (align == daRight)
    left = rect.Right - width;
  else if (align == daCenter)
    left = left - (width - rect.Width()) / 2;
  if (work.Width() < width) width = work.Width();
  if (left + width > work.Right) left = work.Right - width;
  if (left < work.Left) left = work.Left;
  if (top + height > work.Bottom && work.Bottom - rect.Bottom < rect.Top - work.Top) {
    layout = dlAboveControlEh;
    top = rect.Top - height;
  }
  if (top < work.Top) {
    height -= work.Top - top;
    top = work.Top;
  }
  if (top + height > work.Bottom) height = work.Bottom - top;
  SetBounds(left, top, width, height);
  return layout;
}

void TCustomDropDownFormEh::PlaceGrips(bool under) {
  sizeGrip_->SetPosition(under ? sgpBottomRight : sgpTopRight);
  sizeGrip2_->SetPosition(under ? sgpBottomLeft : sgpTopLeft);
}

void TCustomDropDownFormEh::InitElements() {
  const bool under = dropLayout_ == dlUnderControlEh;
  const bool bar = formElements_.Contains(ddfeSizingBarEh);
  if (bar) {
    sizingBar_->SetVisible(false);
    if (under) {
      sizingBar_->SetTop(GetHeight() + 1);
      sizingBar_->SetAlign(alBottom);
      sizingBar_->SetBevelEdges(TBevelEdges{beTop});
    } else {
      sizingBar_->SetTop(-1);
      sizingBar_->SetAlign(alTop);
      sizingBar_->SetBevelEdges(TBevelEdges{beBottom});
    }
    sizingBar_->SetHeight(GetSystemMetrics(SM_CYVSCROLL) + 3);
    sizingBar_->BringToFront();
    sizingBar_->SetVisible(true);
  } else {
    sizingBar_->SetVisible(false);
  }
  if (formElements_.Contains(ddfeCloseButtonEh)) {
    closeButton_->BringToFront();
    closeButton_->SetVisible(true);
    closeButton_->SetTop(2);
    if (!under) {
      closeButton_->SetBounds(GetClientWidth() - closeButton_->GetWidth() - 17, 1, closeButton_->GetWidth(),
                              closeButton_->GetHeight());
      closeButton_->SetAnchors(TAnchors{akTop, akRight});
    } else if (bar) {
      const Integer left = formElements_.Contains(ddfeLeftGripEh) ? 17 : 2;
      closeButton_->SetBounds(left, GetClientHeight() - closeButton_->GetHeight() - 1,
                              closeButton_->GetWidth(), closeButton_->GetHeight());
      closeButton_->SetAnchors(TAnchors{akLeft, akBottom});
    } else {
      closeButton_->SetLeft(GetClientWidth() - closeButton_->GetWidth() - 3);
      closeButton_->SetAnchors(TAnchors{akTop, akRight});
    }
  } else {
    closeButton_->SetVisible(false);
  }
  sizeGrip_->SetVisible(formElements_.Contains(ddfeRightGripEh));
  sizeGrip2_->SetVisible(formElements_.Contains(ddfeLeftGripEh));
  for (TSizeGripEh* grip : {sizeGrip_, sizeGrip2_}) {
    grip->UpdatePosition();
    grip->BringToFront();
  }
}

void TCustomDropDownFormEh::InitForm(TControl*, TDynVarsEh* dynParams) {
  if (OnInitForm) OnInitForm(this, dynParams);
}

void TCustomDropDownFormEh::ReturnParams(TControl*, TDynVarsEh* dynParams) {
  if (OnReturnParams) OnReturnParams(this, dynParams);
}

bool TCustomDropDownFormEh::Execute(TControl* relativePosControl, TControl*, TDropDownAlign align,
                                    TDynVarsEh* dynParams) {
  modalMode_ = true;
  auto leaveModal = MakeScopeExit([this] { modalMode_ = false; });
  dynParams_ = dynParams;
  if (GetVisible()) Hide();
  TRect rect;
  GetControlScreenRectEh(relativePosControl, rect);
  dropLayout_ = PlaceAtRect(rect, align);
  const TPoint origin = ClientToScreen(TPoint(0, 0));
  const TPoint controlOrigin = relativePosControl->ClientToScreen(TPoint(0, 0));
  PlaceGrips(origin.Y >= controlOrigin.Y);
  InitElements();
  InitForm(nullptr, dynParams);
  SetModalResult(mrNone);
  TForm::Show();
  // Losing the activation ends the run as a refusal.
  while (GetVisible() && GetActive() && GetModalResult() == mrNone && !Application->GetTerminated())
    Application->HandleMessage();
  Hide();
  if (GetModalResult() != mrOk) return false;
  ReturnParams(nullptr, dynParams);
  return true;
}

void TCustomDropDownFormEh::ExecuteNomodal(const TRect& relativePosRect, TControl*, TDropDownAlign align,
                                           TDynVarsEh* dynParams, TObject* sysParams,
                                           TDropDownFormCallbackProcEh callbackProc) {
  SetBorderStyle(bsNone);
  SetDropDownMode(true);
  modalMode_ = false;
  dynParams_ = dynParams;
  sysParams_ = sysParams;
  masterForm_ = Screen->GetActiveForm();
  masterFocusControl_ = Screen->GetActiveControl();
  if (GetVisible()) Hide();
  UpdateSize();
  dropLayout_ = PlaceAtRect(relativePosRect, align);
  PlaceGrips(dropLayout_ == dlUnderControlEh);
  InitElements();
  InitForm(nullptr, dynParams);
  SetModalResult(mrNone);
  {
    activateShowing_ = true;
    auto reset = MakeScopeExit([this] { activateShowing_ = false; });
    TForm::Show();
  }
  callbackProc_ = std::move(callbackProc);
}

void TCustomDropDownFormEh::DropDownAtPoint(TPoint pos, std::function<void(bool accept)> closed) {
  SetModalResult(mrNone);
  auto params = std::make_unique<TDynVarsEh>(nullptr);
  auto sysParams = std::make_unique<TEditControlDropDownFormSysParams>();
  TDynVarsEh* paramsPtr = params.get();
  TObject* sysParamsPtr = sysParams.get();
  ExecuteNomodal(TRect(pos.X, pos.Y, pos.X, pos.Y), nullptr, daLeft, paramsPtr, sysParamsPtr,
                 [params = std::shared_ptr<TDynVarsEh>(std::move(params)),
                  sysParams = std::shared_ptr<TEditControlDropDownFormSysParams>(std::move(sysParams)),
                  closed = std::move(closed)](TObject*, bool accept, TDynVarsEh*, TObject*) {
                   if (closed) closed(accept);
                 });
}

void TCustomDropDownFormEh::Close() {
  if (closing_) return;
  closing_ = true;
  auto reset = MakeScopeExit([this] { closing_ = false; });
  TForm::Close();
  if (!activateClosing_ && masterFocusControl_ && masterFocusControl_->CanFocus())
    masterFocusControl_->SetFocus();
}

void TCustomDropDownFormEh::DoClose(TCloseAction& action) {
  if (auto* sys = dynamic_cast<TDropDownFormSysParams*>(sysParams_); sys && sys->FreeFormOnClose)
    action = caFree;
  if (!modalMode_ && callbackProc_) {
    const bool accept = GetModalResult() == mrOk;
    if (accept) ReturnParams(nullptr, dynParams_);
    TDropDownFormCallbackProcEh callback = std::move(callbackProc_);
    callbackProc_ = nullptr;
    TDynVarsEh* params = dynParams_;
    TObject* sys = sysParams_;
    dynParams_ = nullptr;
    sysParams_ = nullptr;
    callback(this, accept, params, sys);
  }
  TForm::DoClose(action);
}

void TCustomDropDownFormEh::Deactivate() {
  TForm::Deactivate();
  if (!dropDownMode_ || modalMode_ || keepFormVisible_ || activateClosing_ || activateShowing_ ||
      !GetVisible())
    return;
  activateClosing_ = true;
  auto reset = MakeScopeExit([this] { activateClosing_ = false; });
  Close();
}

TModalResult TCustomDropDownFormEh::ShowModal() {
  SetDropDownMode(false);
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetBorderIcons(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
  InitForm(nullptr, dynParams_);
  const TModalResult result = TForm::ShowModal();
  if (result == mrOk) ReturnParams(nullptr, dynParams_);
  return result;
}

void TCustomDropDownFormEh::Show() {
  SetDropDownMode(false);
  TForm::Show();
}

void TCustomDropDownFormEh::Resize() {
  TForm::Resize();
  if (dropDownMode_) Invalidate();
  for (TSizeGripEh* grip : {sizeGrip_, sizeGrip2_})
    if (grip && grip->GetVisible()) grip->UpdatePosition();
}

void TCustomDropDownFormEh::Paint() {
  TForm::Paint();
  if (dropDownMode_) DrawBorder(GetClientRect());
}

void TCustomDropDownFormEh::DrawBorder(const TRect& rect) {
  TCanvas* canvas = GetCanvas();
  HDC dc = canvas->GetHandle();
  const Integer saved = SaveDC(dc);
  auto restore = MakeScopeExit([&] { RestoreDC(dc, saved); });
  ExcludeClipRect(dc, rect.Left + borderWidth_, rect.Top + borderWidth_, rect.Right - borderWidth_,
                  rect.Bottom - borderWidth_);
  if (ThemesEnabledEh() && !CustomStyleActiveEh()) {
    TCustomStyleServices* ss = StyleServices();
    ss->DrawElement(dc, ss->GetElementDetails(twSmallFrameBottomActive), rect);
    ss->DrawElement(dc, ss->GetElementDetails(twSmallCaptionActive),
                    TRect(rect.Left, rect.Top, rect.Right, rect.Top + borderWidth_));
    return;
  }
  canvas->GetBrush()->SetStyle(bsSolid);
  TRect r = rect;
  const TColor colors[] = {cl3DDkShadow, cl3DLight, cl3DLight};
  for (TColor c : colors) {
    canvas->GetBrush()->SetColor(c);
    canvas->FrameRect(r);
    r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  }
}

void InitializeDropDownFormsEh() { RegisterClass(TCustomDropDownFormEh::StaticClass()); }
