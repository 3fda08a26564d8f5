// Scroll-bar panels of the grids, the corner size grip, the drag box and the move marker.
#include "gridlib/grids/GridToolCtrlsEh.h"

#include <algorithm>

#include "gridlib/grids/GridsEh.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"

// ---- The bar inside a panel ----

void TControlScrollBarEh::WndProc(TMessage& message) {
  auto* panel = dynamic_cast<TGridScrollBarPanelControlEh*>(GetParent());
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (panel && !panel->CanScrollBarHandleMouse()) return;
      break;
    case WM_MOUSEACTIVATE:
      message.Result = MA_NOACTIVATE;
      return;
    case WM_CANCELMODE:
      if (panel && panel->GetIgnoreCancelMode()) return;
      break;
    default:
      break;
  }
  inherited::WndProc(message);
}

// ---- Scroll-bar panel ----

TGridScrollBarPanelControlEh::TGridScrollBarPanelControlEh(TComponent* owner, TScrollBarKind kind)
    : TCustomPanel(owner), kind_(kind) {
  TControlStyle style = GetControlStyle();
  style >> csAcceptsControls >> csSetCaption;
  SetControlStyle(style);
  scrollBar_ = new TControlScrollBarEh(this);
  scrollBar_->SetParent(this);
  scrollBar_->SetKind(kind);
  scrollBar_->OnScroll = TScrollEvent(this, &TGridScrollBarPanelControlEh::ScrollBarScrolled);
  scrollBar_->SetCtl3D(false);
  scrollBar_->SetParentCtl3D(false);
  scrollBar_->SetTabStop(false);
  scrollBar_->SetDoubleBuffered(false);
  SetParentBackground(false);
  SetBevelOuter(bvNone);
  SetBevelInner(bvNone);
  SetShowCaption(false);
}

TCustomGridEh* TGridScrollBarPanelControlEh::Grid() const { return dynamic_cast<TCustomGridEh*>(GetOwner()); }

bool TGridScrollBarPanelControlEh::CanScrollBarHandleMouse() {
  TCustomGridEh* grid = Grid();
  return grid ? grid->TryFocusGrid() : true;
}

Integer TGridScrollBarPanelControlEh::MaxSizeForExtraPanel() {
  return GetWidth() - 2 * GetSystemMetrics(SM_CYHSCROLL);
}

void TGridScrollBarPanelControlEh::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  inherited::SetBounds(left, top, std::max(0, width), std::max(0, height));
}

void TGridScrollBarPanelControlEh::SetKeepMaxSizeInDefault(bool value) {
  if (keepMaxSizeInDefault_ == value) return;
  keepMaxSizeInDefault_ = value;
  Resize();
}

void TGridScrollBarPanelControlEh::Resize() {
  inherited::Resize();
  TCustomGridEh* grid = Grid();
  if (!grid || !scrollBar_) return;
  Integer w = GetWidth(), h = GetHeight();
  if (kind_ == sbVertical)
    w = std::min(w, grid->GetVertScrollBar()->ActualScrollBarBoxSize());
  else
    h = std::min(h, grid->GetHorzScrollBar()->ActualScrollBarBoxSize());
  scrollBar_->SetBounds(GetWidth() - w, GetHeight() - h, w, h);
}

void TGridScrollBarPanelControlEh::SetParams(Integer position, Integer min, Integer max, Integer pageSize) {
  scrollBar_->SetEnabled(true);
  if (max < scrollBar_->GetPageSize()) scrollBar_->SetPageSize(0);
  if (max < min) max = min;
  // The platform bar refuses a page larger than its range; the bar is disabled in that case anyway.
  scrollBar_->SetParams(std::clamp(position, min, max), min, max);
  scrollBar_->SetPageSize(std::min(pageSize, max - min + 1));
  if (min >= max || max - min < pageSize) {
    ignoreCancelMode_ = true;
    auto reset = MakeScopeExit([this] { ignoreCancelMode_ = false; });
    scrollBar_->SetEnabled(false);
  }
}

void TGridScrollBarPanelControlEh::ScrollBarScrolled(TObject* /*sender*/, TScrollCode scrollCode,
                                                     Integer& scrollPos) {
  TCustomGridEh* grid = Grid();
  if (!grid) return;
  Integer pos = scrollPos;
  if (kind_ == sbHorizontal && grid->UseRightToLeftAlignment()) pos = scrollBar_->GetMax() - pos;
  if (scrollCode != scEndScroll) grid->ScrollBarScroll(kind_ == sbHorizontal ? 0 : 1, scrollCode, true, pos);
  // The bar never moves by itself: the grid sets it through SetParams.
  scrollPos = scrollBar_->GetPosition();
}

// ---- Size grip ----

TSizeGripPanelEh::TSizeGripPanelEh(TComponent* owner) : TCustomPanel(owner) {
  SetBevelOuter(bvNone);
  SetBevelInner(bvNone);
  SetShowCaption(false);
}

void TSizeGripPanelEh::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  inherited::SetBounds(left, top, std::max(0, width), std::max(0, height));
}

void TSizeGripPanelEh::SetTriangleWindow(bool value) {
  if (triangleWindow_ == value) return;
  triangleWindow_ = value;
  UpdateWindowRegion();
}

void TSizeGripPanelEh::SetGripActiveStatus(TGripActiveStatusEh value) {
  if (gripActiveStatus_ == value) return;
  gripActiveStatus_ = value;
  Invalidate();
}

void TSizeGripPanelEh::SetPosition(TSizeGripPosition value) {
  if (position_ == value) return;
  position_ = value;
  UpdateWindowRegion();
  Invalidate();
}

TWinControl* TSizeGripPanelEh::FindHostWindow() {
  TWinControl* c = GetParent();
  while (c && c->GetParent()) c = c->GetParent();
  auto* form = dynamic_cast<TCustomForm*>(c);
  if (form && form->GetWindowState() != wsNormal) return nullptr;
  return c;
}

bool TSizeGripPanelEh::IsAtHostCorner() {
  TWinControl* host = FindHostWindow();
  auto* form = dynamic_cast<TCustomForm*>(host);
  if (!host || (form && form->GetBorderStyle() != bsSizeable && form->GetBorderStyle() != bsSizeToolWin))
    return false;
  const bool rtl = UseRightToLeftAlignment();
  const TPoint grip = ClientToScreen(TPoint(rtl ? 0 : GetWidth(), GetHeight()));
  const TPoint corner =
      host->ClientToScreen(TPoint(rtl ? 0 : host->GetClientWidth(), host->GetClientHeight()));
  return std::abs(grip.X - corner.X) < 4 && std::abs(grip.Y - corner.Y) < 4;
}

bool TSizeGripPanelEh::IsGripActive() {
  switch (gripActiveStatus_) {
    case gasNeverEh:
      return false;
    case gasAlwaysEh:
      return true;
    default:
      return IsAtHostCorner();
  }
}

void TSizeGripPanelEh::UpdateWindowRegion() {
  const bool active = IsGripActive();
  const bool nwse = position_ == sgpTopLeft || position_ == sgpBottomRight;
  SetCursor(active ? (nwse ? crSizeNWSE : crSizeNESW) : crDefault);
}

void TSizeGripPanelEh::Paint() {
  TCanvas* c = GetCanvas();
  c->GetBrush()->SetColor(clBtnFace);
  c->FillRect(GetClientRect());
  if (!IsGripActive()) return;
  // Three diagonal ridges pointing to the grip's corner.
  const Integer w = GetClientWidth(), h = GetClientHeight();
  const bool right = position_ == sgpTopRight || position_ == sgpBottomRight;
  const bool bottom = position_ == sgpBottomLeft || position_ == sgpBottomRight;
  for (Integer i = 0; i < 3; ++i) {
    const Integer d = 4 + i * 4;
    const auto pt = [&](Integer x, Integer y) {
      return TPoint(right ? x : w - 1 - x, bottom ? y : h - 1 - y);
    };
    c->GetPen()->SetColor(clBtnShadow);
    c->Polyline({pt(w - 1, h - 1 - d), pt(w - 1 - d, h - 1)});
    c->GetPen()->SetColor(clBtnHighlight);
    c->Polyline({pt(w - 1, h - d), pt(w - d, h - 1)});
  }
}

void TSizeGripPanelEh::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  inherited::MouseDown(button, shift, x, y);
  TWinControl* host = FindHostWindow();
  if (!GetMouseCapture() || !IsGripActive() || !host) return;
  initFormSize_ = TPoint(host->GetWidth(), host->GetHeight());
  initFormPos_ = TPoint(host->GetLeft(), host->GetTop());
  mouseMousePos_ = ClientToScreen(TPoint(x, y));
}

void TSizeGripPanelEh::MouseMove(TShiftState shift, Integer x, Integer y) {
  inherited::MouseMove(shift, x, y);
  TWinControl* host = FindHostWindow();
  if (!host || !GetMouseCapture() || mouseMousePos_ == TPoint(-1, -1)) return;
  const TPoint p = ClientToScreen(TPoint(x, y));
  const Integer dx = p.X - mouseMousePos_.X, dy = p.Y - mouseMousePos_.Y;
  const Integer w0 = initFormSize_.X, h0 = initFormSize_.Y, l0 = initFormPos_.X, t0 = initFormPos_.Y;
  Integer w = w0, h = h0, l = l0, t = t0;
  switch (position_) {
    case sgpTopLeft:
      w = w0 - dx;
      h = h0 - dy;
      l = l0 + w0 - w;
      t = t0 + h0 - h;
      break;
    case sgpTopRight:
      w = w0 + dx;
      h = h0 - dy;
      t = t0 + h0 - h;
      break;
    case sgpBottomRight:
      w = w0 + dx;
      h = h0 + dy;
      break;
    case sgpBottomLeft:
      w = w0 - dx;
      h = h0 + dy;
      l = l0 + w0 - w;
      break;
  }
  host->SetBounds(l, t, w, h);
  host->Update();
}

void TSizeGripPanelEh::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  inherited::MouseUp(button, shift, x, y);
  mouseMousePos_ = TPoint(-1, -1);
}

// ---- Drag windows ----

TGridDragWinEh::TGridDragWinEh(TComponent* owner) : TCustomControl(owner) {
  SetColor(cl3DDkShadow);
  visible_ = false;
}

void TGridDragWinEh::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.Style = WS_POPUP;
  params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_TOPMOST;
}

void TGridDragWinEh::StartShow(TPoint pos, Integer width, Integer height) {
  SetBounds(pos.X, pos.Y, width, height);
  SetVisible(true);
  SetWindowPos(GetHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

void TGridDragWinEh::Show() { throw Exception(u"Show is not supported. Use StartShow"); }

void TGridDragBoxEh::Paint() {
  GetCanvas()->GetBrush()->SetColor(clGray);
  GetCanvas()->FillRect(GetClientRect());
}

TGridDragFormEh::TGridDragFormEh(TComponent* owner) : TPopupInactiveFormEh(owner) { SetDropShadow(false); }

void TGridDragFormEh::StartShow(TPoint pos, Integer width, Integer height) {
  SetBounds(pos.X, pos.Y, width, height);
  Show();
}

TGridMoveLineEh::TGridMoveLineEh(TComponent* owner) : TGridDragFormEh(owner) {
  SetColor(clWhite);
  SetBounds(0, 0, 7, 7);
  SetTransparentColorValue(clWhite);
  SetTransparentColor(true);
}

void TGridMoveLineEh::StartShow(TPoint pos, bool isVert, Integer size, TWinControl* /*captureControl*/) {
  isVert_ = isVert;
  if (isVert)
    TGridDragFormEh::StartShow(TPoint(pos.X - 3, pos.Y - 4), 7, size + 8);
  else
    TGridDragFormEh::StartShow(TPoint(pos.X - 3, pos.Y - 4), size + 8, 7);
  Invalidate();
}

void TGridMoveLineEh::Paint() {
  TCanvas* c = GetCanvas();
  c->GetBrush()->SetColor(clWhite);
  c->FillRect(GetClientRect());
  c->GetPen()->SetColor(lineColor_);
  const Integer h = GetClientHeight(), w = GetClientWidth();
  const auto seg = [&](Integer x1, Integer y1, Integer x2, Integer y2) {
    if (isVert_)
      c->Polyline({TPoint(x1, y1), TPoint(x2, y2)});
    else
      c->Polyline({TPoint(y1, x1), TPoint(y2, x2)});
  };
  const Integer len = isVert_ ? h : w;
  for (Integer i = 0; i < 4; ++i) {
    seg(i, i, 7 - i, i);
    seg(i, len - 1 - i, 7 - i, len - 1 - i);
  }
  seg(3, 4, 3, len - 4);
}

TGridDragBoxEh* GetGridDragBox() {
  static TGridDragBoxEh* box = [] {
    auto* b = new TGridDragBoxEh(Application);
    b->SetTransparentColorValue(clNone);
    return b;
  }();
  return box;
}

TGridMoveLineEh* GetGridMoveLine() {
  static TGridMoveLineEh* line = new TGridMoveLineEh(Application);
  return line;
}
