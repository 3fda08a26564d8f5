// TControl and its windowed, custom-drawn and graphic descendants: geometry and alignment, parent
// properties, the message handlers that turn window messages into the control's virtual methods and
// events, focus and dialog keys.
#include "platform/controls/Controls.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>

#include "platform/classes/Streaming.h"
#include "platform/controls/ActnList.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/private/DeviceContext.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

TMenuHooks& MenuHooks() {
  static TMenuHooks hooks;
  return hooks;
}

// ---- Shift states ----

TShiftState KeysToShiftState(Word keys) {
  TShiftState s;
  if (keys & MK_SHIFT) s << ssShift;
  if (keys & MK_CONTROL) s << ssCtrl;
  if (keys & MK_LBUTTON) s << ssLeft;
  if (keys & MK_RBUTTON) s << ssRight;
  if (keys & MK_MBUTTON) s << ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s << ssAlt;
  return s;
}

TShiftState KeyDataToShiftState(Integer keyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s << ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s << ssCtrl;
  if (keyData & 0x20000000) s << ssAlt;
  return s;
}

Word ShiftStateToKeys(TShiftState shift) {
  Word keys = 0;
  if (shift.Contains(ssShift)) keys |= MK_SHIFT;
  if (shift.Contains(ssCtrl)) keys |= MK_CONTROL;
  if (shift.Contains(ssLeft)) keys |= MK_LBUTTON;
  if (shift.Contains(ssRight)) keys |= MK_RBUTTON;
  if (shift.Contains(ssMiddle)) keys |= MK_MBUTTON;
  return keys;
}

// ---- TSizeConstraints ----

void TSizeConstraints::Published(TPropBuilder<TSizeConstraints>& p) {
  p.Int(u"MaxHeight", &TSizeConstraints::GetMaxHeight, &TSizeConstraints::SetMaxHeight).Default(0);
  p.Int(u"MaxWidth", &TSizeConstraints::GetMaxWidth, &TSizeConstraints::SetMaxWidth).Default(0);
  p.Int(u"MinHeight", &TSizeConstraints::GetMinHeight, &TSizeConstraints::SetMinHeight).Default(0);
  p.Int(u"MinWidth", &TSizeConstraints::GetMinWidth, &TSizeConstraints::SetMinWidth).Default(0);
}

void TSizeConstraints::SetMaxHeight(Integer v) {
  if (v < 0) v = 0;
  if (v == maxHeight_) return;
  maxHeight_ = v;
  if (v > 0 && v < minHeight_) minHeight_ = v;
  Changed();
}
void TSizeConstraints::SetMaxWidth(Integer v) {
  if (v < 0) v = 0;
  if (v == maxWidth_) return;
  maxWidth_ = v;
  if (v > 0 && v < minWidth_) minWidth_ = v;
  Changed();
}
void TSizeConstraints::SetMinHeight(Integer v) {
  if (v < 0) v = 0;
  if (v == minHeight_) return;
  minHeight_ = v;
  if (maxHeight_ > 0 && v > maxHeight_) maxHeight_ = v;
  Changed();
}
void TSizeConstraints::SetMinWidth(Integer v) {
  if (v < 0) v = 0;
  if (v == minWidth_) return;
  minWidth_ = v;
  if (maxWidth_ > 0 && v > maxWidth_) maxWidth_ = v;
  Changed();
}
void TSizeConstraints::Assign(TPersistent* source) {
  if (auto* s = dynamic_cast<TSizeConstraints*>(source)) {
    minHeight_ = s->minHeight_;
    minWidth_ = s->minWidth_;
    maxHeight_ = s->maxHeight_;
    maxWidth_ = s->maxWidth_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}
TPersistent* TSizeConstraints::GetOwner() const { return control_; }
void TSizeConstraints::Changed() {
  if (OnChange) OnChange(this);
}

// ---- Drag objects ----

TCursor TDragObject::GetDragCursor(bool accepted, Integer, Integer) { return accepted ? crDrag : crNoDrop; }
void TDragObject::Finished(TObject*, Integer, Integer, bool) {}

void TBaseDragControlObject::Finished(TObject* target, Integer x, Integer y, bool accepted) {
  if (!accepted) {
    control_->DragCanceled();
    target = nullptr;
  }
  control_->DoEndDrag(target, x, y);
}

TCursor TDragControlObject::GetDragCursor(bool accepted, Integer, Integer) {
  return accepted ? GetControl()->GetDragCursor() : static_cast<TCursor>(crNoDrop);
}

// ---- TControl ----

static const TTypeInfo* AlignType() {
  static const TTypeInfo t = TTypeInfo::Enum(
      u"TAlign", {u"alNone", u"alTop", u"alBottom", u"alLeft", u"alRight", u"alClient", u"alCustom"});
  return &t;
}
static const TTypeInfo* AnchorsType() {
  static const TTypeInfo e = TTypeInfo::Enum(u"TAnchorKind", {u"akLeft", u"akTop", u"akRight", u"akBottom"});
  static const TTypeInfo t = TTypeInfo::Set(u"TAnchors", &e);
  return &t;
}
static const TTypeInfo* BiDiModeType() {
  static const TTypeInfo t = TTypeInfo::Enum(
      u"TBiDiMode",
      {u"bdLeftToRight", u"bdRightToLeft", u"bdRightToLeftNoAlign", u"bdRightToLeftReadingOnly"});
  return &t;
}
static const TTypeInfo* DragModeType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TDragMode", {u"dmManual", u"dmAutomatic"});
  return &t;
}
static const TTypeInfo* DragKindType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TDragKind", {u"dkDrag", u"dkDock"});
  return &t;
}
static const TTypeInfo* CursorType() {
  static const TTypeInfo t = TTypeInfo::Integer(u"TCursor");
  return &t;
}

void TControl::Published(TPropBuilder<TControl>& p) {
  p.Int(u"Left", &TControl::GetLeft, &TControl::SetLeft);
  p.Int(u"Top", &TControl::GetTop, &TControl::SetTop);
  p.Int(u"Width", &TControl::GetWidth, &TControl::SetWidth);
  p.Int(u"Height", &TControl::GetHeight, &TControl::SetHeight);
  p.Int(u"ClientWidth", &TControl::GetClientWidth, &TControl::SetClientWidth).Stored(false);
  p.Int(u"ClientHeight", &TControl::GetClientHeight, &TControl::SetClientHeight).Stored(false);
  p.Enum(u"Align", AlignType(), &TControl::GetAlign, &TControl::SetAlign).Default(alNone);
  p.Set(u"Anchors", AnchorsType(), &TControl::GetAnchors, &TControl::SetAnchors)
      .Default(TAnchors{akLeft, akTop});
  p.Object(u"Constraints", &TControl::GetConstraints, &TControl::SetConstraints);
  p.Bool(u"AutoSize", &TControl::GetAutoSize, &TControl::SetAutoSize).Default(false);
  p.Bool(u"Visible", &TControl::GetVisible, &TControl::SetVisible).Default(true);
  p.Bool(u"Enabled", &TControl::GetEnabled, &TControl::SetEnabled).Default(true);
  p.IntIdent(u"Color", TypeInfoColor(), &TControl::GetColor, &TControl::SetColor)
      .NoDefault()
      .Stored(&TControl::IsColorStored);
  p.Bool(u"ParentColor", &TControl::GetParentColor, &TControl::SetParentColor).Default(false);
  p.Object(u"Font", &TControl::GetFont, &TControl::SetFont).Stored(&TControl::IsFontStored);
  p.Bool(u"ParentFont", &TControl::GetParentFont, &TControl::SetParentFont).Default(true);
  p.Object(u"PopupMenu", &TControl::GetPopupMenu, &TControl::SetPopupMenu);
  p.Object(u"Action", &TControl::GetAction, &TControl::SetAction);
  p.Str(u"Caption", &TControl::GetCaption, &TControl::SetCaption);
  p.Str(u"Text", &TControl::GetText, &TControl::SetText).Stored(false);
  p.Str(u"Hint", &TControl::GetHint, &TControl::SetHint);
  p.Bool(u"ShowHint", &TControl::GetShowHint, &TControl::SetShowHint)
      .Stored(std::function<bool(const TObject*)>(
          [](const TObject* o) { return !static_cast<const TControl*>(o)->GetParentShowHint(); }));
  p.Bool(u"ParentShowHint", &TControl::GetParentShowHint, &TControl::SetParentShowHint).Default(true);
  p.IntIdent(u"Cursor", CursorType(), &TControl::GetCursor, &TControl::SetCursor).Default(crDefault);
  p.Enum(u"BiDiMode", BiDiModeType(), &TControl::GetBiDiMode, &TControl::SetBiDiMode).Default(bdLeftToRight);
  p.Bool(u"ParentBiDiMode", &TControl::GetParentBiDiMode, &TControl::SetParentBiDiMode).Default(true);
  p.IntIdent(u"DragCursor", CursorType(), &TControl::GetDragCursor, &TControl::SetDragCursor).Default(crDrag);
  p.Enum(u"DragMode", DragModeType(), &TControl::GetDragMode, &TControl::SetDragMode).Default(dmManual);
  p.Enum(u"DragKind", DragKindType(), &TControl::GetDragKind, &TControl::SetDragKind).Default(dkDrag);
  p.Event(u"OnClick", &TControl::OnClick);
  p.Event(u"OnDblClick", &TControl::OnDblClick);
  p.Event(u"OnMouseDown", &TControl::OnMouseDown, u"TMouseEvent");
  p.Event(u"OnMouseMove", &TControl::OnMouseMove, u"TMouseMoveEvent");
  p.Event(u"OnMouseUp", &TControl::OnMouseUp, u"TMouseEvent");
  p.Event(u"OnMouseWheel", &TControl::OnMouseWheel, u"TMouseWheelEvent");
  p.Event(u"OnMouseWheelDown", &TControl::OnMouseWheelDown, u"TMouseWheelUpDownEvent");
  p.Event(u"OnMouseWheelUp", &TControl::OnMouseWheelUp, u"TMouseWheelUpDownEvent");
  p.Event(u"OnMouseEnter", &TControl::OnMouseEnter);
  p.Event(u"OnMouseLeave", &TControl::OnMouseLeave);
  p.Event(u"OnResize", &TControl::OnResize);
  p.Event(u"OnCanResize", &TControl::OnCanResize, u"TCanResizeEvent");
  p.Event(u"OnConstrainedResize", &TControl::OnConstrainedResize, u"TConstrainedResizeEvent");
  p.Event(u"OnContextPopup", &TControl::OnContextPopup, u"TContextPopupEvent");
  p.Event(u"OnDragOver", &TControl::OnDragOver, u"TDragOverEvent");
  p.Event(u"OnDragDrop", &TControl::OnDragDrop, u"TDragDropEvent");
  p.Event(u"OnStartDrag", &TControl::OnStartDrag, u"TStartDragEvent");
  p.Event(u"OnEndDrag", &TControl::OnEndDrag, u"TEndDragEvent");
}

TControl::TControl(TComponent* owner) : TComponent(owner) {
  WindowProc = TWndMethod(this, &TControl::WndProc);
  font_ = std::make_unique<TFont>();
  font_->OnChange = TNotifyEvent(this, &TControl::FontChanged);
  constraints_ = std::make_unique<TSizeConstraints>(this);
  constraints_->OnChange = TNotifyEvent(this, &TControl::ConstraintsChanged);
}

TControl::~TControl() {
  Destroying();
  ForgetControl(this);
  actionLink_.reset();
  if (parent_) RunReportingFailure(this, [this] { parent_->RemoveControl(this); });
}

void TControl::Loaded() {
  TComponent::Loaded();
  // The reader clears csLoading after every Loaded has run; the control is complete here already.
  SetLoading(false);
  if (parent_) {
    if (parentColor_) Perform(CM_PARENTCOLORCHANGED);
    if (parentFont_) Perform(CM_PARENTFONTCHANGED);
    UpdateAnchorRules();
  }
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == reinterpret_cast<TComponent*>(popupMenu_)) popupMenu_ = nullptr;
  if (reinterpret_cast<TObject*>(component) == reinterpret_cast<TObject*>(action_)) {
    action_ = nullptr;
    actionLink_.reset();
  }
}

// ---- Messages ----

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m;
  m.Msg = msg;
  m.WParam = wParam;
  m.LParam = lParam;
  m.Result = 0;
  if (WindowProc)
    WindowProc(m);
  else
    WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& message) {
  if (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MOUSELAST) {
    switch (message.Msg) {
      case WM_MOUSEMOVE:
        NoteMouseMove(this,
                      ClientToScreen(TPoint(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam))));
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        if (dragMode_ == dmAutomatic && dragKind_ == dkDrag) {
          BeginDrag(false);
          controlState_ << csLButtonDown;
          // The press still reaches the control: its handlers see the click that starts the drag.
        } else {
          controlState_ << csLButtonDown;
        }
        break;
      case WM_LBUTTONUP:
        controlState_ >> csLButtonDown;
        break;
    }
  }
  Dispatch(message);
}

void TControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
      WMLButtonDown(reinterpret_cast<TWMMouse&>(m));
      return;
    case WM_LBUTTONDBLCLK:
      WMLButtonDblClk(reinterpret_cast<TWMMouse&>(m));
      return;
    case WM_LBUTTONUP:
      WMLButtonUp(reinterpret_cast<TWMMouse&>(m));
      return;
    case WM_RBUTTONDOWN:
      WMRButtonDown(reinterpret_cast<TWMMouse&>(m));
      return;
    case WM_RBUTTONDBLCLK:
      WMRButtonDblClk(reinterpret_cast<TWMMouse&>(m));
      return;
    case WM_RBUTTONUP:
      WMRButtonUp(reinterpret_cast<TWMMouse&>(m));
      return;
    case WM_MBUTTONDOWN:
      WMMButtonDown(reinterpret_cast<TWMMouse&>(m));
      return;
    case WM_MBUTTONDBLCLK:
      WMMButtonDblClk(reinterpret_cast<TWMMouse&>(m));
      return;
    case WM_MBUTTONUP:
      WMMButtonUp(reinterpret_cast<TWMMouse&>(m));
      return;
    case WM_MOUSEMOVE:
      WMMouseMove(reinterpret_cast<TWMMouse&>(m));
      return;
    case WM_MOUSEWHEEL:
      WMMouseWheel(reinterpret_cast<TWMMouseWheel&>(m));
      return;
    case WM_CONTEXTMENU:
      WMContextMenu(reinterpret_cast<TWMContextMenu&>(m));
      return;
    case WM_CANCELMODE:
      WMCancelMode(reinterpret_cast<TWMCancelMode&>(m));
      return;
    case CM_MOUSEWHEEL:
      CMMouseWheel(reinterpret_cast<TCMMouseWheel&>(m));
      return;
    case CM_MOUSEENTER:
      CMMouseEnter(reinterpret_cast<TCMMouseEnter&>(m));
      return;
    case CM_MOUSELEAVE:
      CMMouseLeave(reinterpret_cast<TCMMouseLeave&>(m));
      return;
    case CM_ENABLEDCHANGED:
      CMEnabledChanged(m);
      return;
    case CM_FONTCHANGED:
      CMFontChanged(m);
      return;
    case CM_COLORCHANGED:
      CMColorChanged(m);
      return;
    case CM_PARENTFONTCHANGED:
      CMParentFontChanged(m);
      return;
    case CM_PARENTCOLORCHANGED:
      CMParentColorChanged(m);
      return;
    case CM_PARENTSHOWHINTCHANGED:
      CMParentShowHintChanged(m);
      return;
    case CM_PARENTBIDIMODECHANGED:
      CMParentBiDiModeChanged(m);
      return;
    case CM_VISIBLECHANGED:
      CMVisibleChanged(m);
      return;
    case CM_HINTSHOW:
      CMHintShow(reinterpret_cast<TCMHintShow&>(m));
      return;
    case CM_DRAG:
      CMDrag(reinterpret_cast<TCMDrag&>(m));
      return;
    case WM_SETTEXT:
      WMSetText(reinterpret_cast<TWMSetText&>(m));
      return;
    case WM_GETTEXT:
      WMGetText(reinterpret_cast<TWMGetText&>(m));
      return;
    case WM_GETTEXTLENGTH:
      WMGetTextLength(reinterpret_cast<TWMNoParams&>(m));
      return;
    default:
      DefaultHandler(m);
  }
}

void TControl::DefaultHandler(TMessage& m) {
  switch (m.Msg) {
    case WM_GETTEXT: {
      auto& g = reinterpret_cast<TWMGetText&>(m);
      String t = GetTextValue();
      if (!g.Text || g.TextMax == 0) {
        g.Result = 0;
        return;
      }
      size_t n = std::min<size_t>(t.size(), g.TextMax - 1);
      std::copy_n(t.data(), n, g.Text);
      g.Text[n] = 0;
      g.Result = static_cast<LRESULT>(n);
      return;
    }
    case WM_GETTEXTLENGTH:
      m.Result = static_cast<LRESULT>(GetTextValue().size());
      return;
    case WM_SETTEXT: {
      auto& s = reinterpret_cast<TWMSetText&>(m);
      SetTextValue(s.Text ? String(s.Text) : String());
      s.Result = 1;
      return;
    }
    default:
      break;
  }
}

void TControl::WMSetText(TWMSetText& message) { DefaultHandler(reinterpret_cast<TMessage&>(message)); }
void TControl::WMGetText(TWMGetText& message) { DefaultHandler(reinterpret_cast<TMessage&>(message)); }
void TControl::WMGetTextLength(TWMNoParams& message) { DefaultHandler(reinterpret_cast<TMessage&>(message)); }

// ---- Parent ----

void TControl::SetParent(TWinControl* parent) {
  if (parent_ == parent) return;
  if (parent == this) throw EInvalidOperation(u"A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const { return parent_; }
void TControl::SetParentComponent(TComponent* value) {
  if (auto* w = dynamic_cast<TWinControl*>(value)) SetParent(w);
}

// ---- Geometry ----

TRect TControl::GetClientRect() const { return TRect(0, 0, width_, height_); }

void TControl::SetClientWidth(Integer v) { SetClientSize(TPoint(v, GetClientHeight())); }
void TControl::SetClientHeight(Integer v) { SetClientSize(TPoint(GetClientWidth(), v)); }
void TControl::SetClientSize(TPoint size) {
  TRect c = GetClientRect();
  SetBounds(left_, top_, width_ - c.Width() + size.X, height_ - c.Height() + size.Y);
}

TPoint TControl::GetClientOrigin() const {
  if (!parent_) return TPoint(left_, top_);
  TPoint p = parent_->GetClientOrigin();
  return TPoint(p.X + left_, p.Y + top_);
}

TPoint TControl::ClientToScreen(TPoint p) const {
  TPoint o = GetClientOrigin();
  return TPoint(p.X + o.X, p.Y + o.Y);
}

TPoint TControl::ScreenToClient(TPoint p) const {
  TPoint o = GetClientOrigin();
  return TPoint(p.X - o.X, p.Y - o.Y);
}

TPoint TControl::ClientToParent(TPoint p, TWinControl* parent) const {
  if (!parent) parent = parent_;
  if (!parent) throw EInvalidOperation(Format(u"Control '%s' has no parent window", {GetName()}));
  TPoint s = ClientToScreen(p);
  return parent->ScreenToClient(s);
}

TPoint TControl::ParentToClient(TPoint p, TWinControl* parent) const {
  if (!parent) parent = parent_;
  if (!parent) throw EInvalidOperation(Format(u"Control '%s' has no parent window", {GetName()}));
  return ScreenToClient(parent->ClientToScreen(p));
}

bool TControl::CanResize(Integer& newWidth, Integer& newHeight) {
  bool resize = true;
  if (OnCanResize) OnCanResize(this, newWidth, newHeight, resize);
  return resize;
}

bool TControl::CanAutoSize(Integer&, Integer&) { return true; }

void TControl::ConstrainedResize(Integer& minWidth, Integer& minHeight, Integer& maxWidth,
                                 Integer& maxHeight) {
  if (OnConstrainedResize) OnConstrainedResize(this, minWidth, minHeight, maxWidth, maxHeight);
}

void TControl::DoConstrainedResize(Integer& newWidth, Integer& newHeight) {
  Integer minW = constraints_->GetMinWidth(), minH = constraints_->GetMinHeight();
  Integer maxW = constraints_->GetMaxWidth(), maxH = constraints_->GetMaxHeight();
  ConstrainedResize(minW, minH, maxW, maxH);
  if (maxW > 0 && newWidth > maxW)
    newWidth = maxW;
  else if (minW > 0 && newWidth < minW)
    newWidth = minW;
  if (maxH > 0 && newHeight > maxH)
    newHeight = maxH;
  else if (minH > 0 && newHeight < minH)
    newHeight = minH;
}

static bool CheckNewSize(TControl* c, Integer& w, Integer& h, bool autoSize,
                         const std::function<bool(Integer&, Integer&)>& canAuto) {
  auto doCanResize = [c](Integer& nw, Integer& nh) {
    if (!c->CanResize(nw, nh)) return false;
    return true;
  };
  if (!doCanResize(w, h)) return false;
  Integer w2 = w, h2 = h;
  bool ok = !autoSize || (canAuto(w2, h2) && w2 == w && h2 == h) || doCanResize(w2, h2);
  if (ok) {
    w = w2;
    h = h2;
  }
  return ok;
}

void TControl::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  DoConstrainedResize(width, height);
  if (!CheckNewSize(this, width, height, autoSize_,
                    [this](Integer& w, Integer& h) { return DoCanAutoSize(w, h); }))
    return;
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  bool resized = width != width_ || height != height_;
  if (parent_ && visible_) parent_->InvalidateRect(GetBoundsRect());
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  UpdateAnchorRules();
  if (parent_ && visible_) parent_->InvalidateRect(GetBoundsRect());
  RequestAlign();
  if (resized && !GetComponentState().Contains(csLoading)) Resize();
}

void TControl::ConstraintsChanged(TObject*) {
  Integer w = width_, h = height_;
  DoConstrainedResize(w, h);
  if (w != width_ || h != height_) SetBounds(left_, top_, w, h);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::RequestAlign() {
  if (parent_ && !GetComponentState().Contains(csLoading)) parent_->AlignControl(this);
}

void TControl::SetAlign(TAlign value) {
  if (align_ == value) return;
  TAlign old = align_;
  align_ = value;
  anchors_ = [value]() -> TAnchors {
    switch (value) {
      case alTop:
        return {akLeft, akTop, akRight};
      case alBottom:
        return {akLeft, akRight, akBottom};
      case alLeft:
        return {akLeft, akTop, akBottom};
      case alRight:
        return {akRight, akTop, akBottom};
      case alClient:
        return {akLeft, akTop, akRight, akBottom};
      default:
        return {akLeft, akTop};
    }
  }();
  if (old == alNone || value == alNone) UpdateAnchorRules();
  RequestAlign();
}

void TControl::SetAnchors(TAnchors value) {
  if (anchors_ == value) return;
  anchors_ = value;
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  if (!parent_ || parent_->controlState_.Contains(csAligning)) return;
  if (GetComponentState().Contains(csLoading)) return;
  TRect pc = parent_->GetClientRect();
  originalParentSize_ = TPoint(pc.Width(), pc.Height());
  // Right/bottom anchored: the distance to the far edge; neither edge: the centre.
  if (anchors_.Contains(akRight))
    anchorRules_.X = pc.Width() - (left_ + width_);
  else
    anchorRules_.X = left_ + width_ / 2;
  if (anchors_.Contains(akBottom))
    anchorRules_.Y = pc.Height() - (top_ + height_);
  else
    anchorRules_.Y = top_ + height_ / 2;
}

void TControl::SetAutoSize(bool value) {
  if (autoSize_ == value) return;
  autoSize_ = value;
  if (value) AdjustSize();
}

void TControl::AdjustSize() {
  if (GetComponentState().Contains(csLoading)) return;
  Integer w = width_, h = height_;
  if (CanAutoSize(w, h)) SetBounds(left_, top_, w, h);
}

void TControl::ScaleBy(Integer m, Integer d) { ChangeScale(m, d); }

void TControl::ChangeScale(Integer m, Integer d) {
  if (m == d || d == 0) return;
  auto sc = [m, d](Integer v) { return static_cast<Integer>((static_cast<Int64>(v) * m + d / 2) / d); };
  Integer l = sc(left_), t = sc(top_);
  Integer w = sc(left_ + width_) - l, h = sc(top_ + height_) - t;
  if (!parentFont_) font_->SetHeight(sc(font_->GetHeight()));
  SetBounds(l, t, w, h);
}

// ---- Visibility ----

void TControl::SetVisible(bool value) {
  if (visible_ == value) return;
  VisibleChanging();
  visible_ = value;
  Perform(CM_VISIBLECHANGED, value ? 1 : 0);
  RequestAlign();
}

void TControl::Show() {
  // Hidden parents are shown too, as far as the form.
  if (parent_ && !parent_->GetVisible() && !dynamic_cast<TCustomForm*>(parent_)) parent_->Show();
  SetVisible(true);
}
void TControl::Hide() { SetVisible(false); }

bool TControl::GetShowing() const { return visible_ && parent_ && parent_->GetShowing(); }

void TControl::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  Perform(CM_ENABLEDCHANGED);
}

bool TControl::IsEnabled() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->GetEnabled()) return false;
  return true;
}

void TControl::BringToFront() { SetZOrder(true); }
void TControl::SendToBack() { SetZOrder(false); }
void TControl::SetZOrder(bool topMost) {
  if (parent_) parent_->SetChildZOrder(this, topMost);
}

void TControl::CMVisibleChanged(TMessage&) {
  if (parent_) parent_->InvalidateRect(GetBoundsRect());
}

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }

// ---- Colour, font, hint, bidi ----

void TControl::SetColor(TColor value) {
  if (color_ == value) {
    parentColor_ = false;
    return;
  }
  color_ = value;
  parentColor_ = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
  if (parentColor_ == value) return;
  parentColor_ = value;
  if (value && parent_) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::CMParentColorChanged(TMessage& m) {
  if (!parentColor_) return;
  TColor c = m.WParam != 0 ? static_cast<TColor>(m.LParam) : (parent_ ? parent_->color_ : color_);
  SetColor(c);
  parentColor_ = true;
}

void TControl::SetFont(TFont* value) { font_->Assign(value); }

void TControl::FontChanged(TObject*) {
  if (!scalingFont_) parentFont_ = false;
  Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool value) {
  if (parentFont_ == value) return;
  parentFont_ = value;
  if (value && parent_) Perform(CM_PARENTFONTCHANGED);
}

void TControl::CMFontChanged(TMessage&) {
  if (autoSize_) AdjustSize();
  Invalidate();
}

void TControl::CMParentFontChanged(TMessage& m) {
  if (!parentFont_) return;
  TFont* source =
      m.WParam != 0 ? reinterpret_cast<TFont*>(m.LParam) : (parent_ ? parent_->font_.get() : nullptr);
  if (!source) return;
  scalingFont_ = true;
  {
    auto restore = MakeScopeExit([&] { scalingFont_ = false; });
    font_->Assign(source);
  }
  parentFont_ = true;
}

void TControl::SetShowHint(bool value) {
  if (showHint_ == value) {
    parentShowHint_ = false;
    return;
  }
  showHint_ = value;
  parentShowHint_ = false;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value) {
  if (parentShowHint_ == value) return;
  parentShowHint_ = value;
  if (value && parent_) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (!parentShowHint_ || !parent_) return;
  SetShowHint(parent_->showHint_);
  parentShowHint_ = true;
}

void TControl::SetCursor(TCursor value) {
  if (cursor_ == value) return;
  cursor_ = value;
  Perform(CM_CURSORCHANGED);
}

void TControl::SetBiDiMode(TBiDiMode value) {
  if (biDiMode_ == value) return;
  biDiMode_ = value;
  parentBiDiMode_ = false;
  Perform(CM_BIDIMODECHANGED);
}

void TControl::SetParentBiDiMode(bool value) {
  if (parentBiDiMode_ == value) return;
  parentBiDiMode_ = value;
  if (value && parent_) Perform(CM_PARENTBIDIMODECHANGED);
}

void TControl::CMParentBiDiModeChanged(TMessage&) {
  if (!parentBiDiMode_ || !parent_) return;
  SetBiDiMode(parent_->GetBiDiMode());
  parentBiDiMode_ = true;
}

void TControl::SetPopupMenu(TPopupMenu* value) {
  if (popupMenu_ == value) return;
  popupMenu_ = value;
  if (value) FreeNotification(reinterpret_cast<TComponent*>(value));
}

// ---- Text ----

String TControl::GetText() const {
  auto* self = const_cast<TControl*>(this);
  Integer len = static_cast<Integer>(self->Perform(WM_GETTEXTLENGTH));
  if (len <= 0) return String();
  String buffer(static_cast<size_t>(len) + 1, u'\0');
  auto n = self->Perform(WM_GETTEXT, static_cast<WPARAM>(len) + 1, reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(static_cast<size_t>(std::max<LRESULT>(0, n)));
  return buffer;
}

void TControl::SetText(const String& value) {
  if (GetText() == value) return;
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
  Perform(CM_TEXTCHANGED);
}

Integer TControl::GetTextLen() const {
  return static_cast<Integer>(const_cast<TControl*>(this)->Perform(WM_GETTEXTLENGTH));
}

// ---- Painting ----

void TControl::Invalidate() {
  if (parent_ && visible_) parent_->InvalidateRect(GetBoundsRect());
}

void TControl::Update() {  // NOLINT(bugprone-virtual-near-miss): the class library's name
  if (parent_) parent_->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

// ---- Mouse ----

bool TControl::GetMouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool value) {
  if (GetMouseCapture() == value) return;
  SetCaptureControl(value ? this : nullptr);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, Integer x, Integer y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::DoMouseDown(TWMMouse& message, TMouseButton button, TShiftState shift) {
  if (controlStyle_.Contains(csNoStdEvents)) return;
  MouseDown(button, KeysToShiftState(static_cast<Word>(message.Keys)) + shift, message.XPos, message.YPos);
}

void TControl::DoMouseUp(TWMMouse& message, TMouseButton button) {
  if (controlStyle_.Contains(csNoStdEvents)) return;
  MouseUp(button, KeysToShiftState(static_cast<Word>(message.Keys)), message.XPos, message.YPos);
}

void TControl::WMLButtonDown(TWMMouse& message) {
  SendCancelMode(this);
  if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (controlStyle_.Contains(csClickEvents)) controlState_ << csClicked;
  DoMouseDown(message, mbLeft, {});
}

void TControl::WMLButtonDblClk(TWMMouse& message) {
  SendCancelMode(this);
  if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (controlStyle_.Contains(csClickEvents)) DblClick();
  DoMouseDown(message, mbLeft, {ssDouble});
}

void TControl::WMLButtonUp(TWMMouse& message) {
  if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(false);
  if (controlState_.Contains(csClicked)) {
    controlState_ >> csClicked;
    if (GetClientRect().Contains(TPoint(message.XPos, message.YPos))) Click();
  }
  DoMouseUp(message, mbLeft);
}

void TControl::WMRButtonDown(TWMMouse& message) { DoMouseDown(message, mbRight, {}); }
void TControl::WMRButtonDblClk(TWMMouse& message) { DoMouseDown(message, mbRight, {ssDouble}); }
void TControl::WMRButtonUp(TWMMouse& message) { DoMouseUp(message, mbRight); }
void TControl::WMMButtonDown(TWMMouse& message) { DoMouseDown(message, mbMiddle, {}); }
void TControl::WMMButtonDblClk(TWMMouse& message) { DoMouseDown(message, mbMiddle, {ssDouble}); }
void TControl::WMMButtonUp(TWMMouse& message) { DoMouseUp(message, mbMiddle); }

void TControl::WMMouseMove(TWMMouse& message) {
  if (controlStyle_.Contains(csNoStdEvents)) return;
  MouseMove(KeysToShiftState(static_cast<Word>(message.Keys)), message.XPos, message.YPos);
}

void TControl::WMMouseWheel(TWMMouseWheel& message) {
  TShiftState shift = KeysToShiftState(message.Keys);
  TCMMouseWheel cm{};
  cm.Msg = CM_MOUSEWHEEL;
  cm.ShiftStateBits = static_cast<Word>(shift.Bits());
  cm.WheelDelta = message.WheelDelta;
  cm.XPos = message.XPos;
  cm.YPos = message.YPos;
  WindowProc(reinterpret_cast<TMessage&>(cm));
  message.Result = cm.Result;
}

void TControl::CMMouseWheel(TCMMouseWheel& message) {
  message.Result = 0;
  TShiftState shift = TShiftState::FromBits(message.ShiftStateBits);
  if (DoMouseWheel(shift, message.WheelDelta, TPoint(message.XPos, message.YPos))) {
    message.Result = 1;
    return;
  }
  if (parent_) {
    TMessage& m = reinterpret_cast<TMessage&>(message);
    message.Result = parent_->Perform(CM_MOUSEWHEEL, m.WParam, m.LParam);
  }
}

bool TControl::DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
  if (handled) return true;
  // Whole notches only: a touchpad's small steps add up until they make one.
  wheelAccumulator_ += wheelDelta;
  while (std::abs(wheelAccumulator_) >= WHEEL_DELTA) {
    bool negative = wheelAccumulator_ < 0;
    wheelAccumulator_ = std::abs(wheelAccumulator_) - WHEEL_DELTA;
    if (negative) {
      if (wheelAccumulator_ != 0) wheelAccumulator_ = -wheelAccumulator_;
      handled = DoMouseWheelDown(shift, mousePos);
    } else {
      handled = DoMouseWheelUp(shift, mousePos);
    }
  }
  return handled;
}

bool TControl::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  bool handled = false;
  if (OnMouseWheelDown) OnMouseWheelDown(this, shift, mousePos, handled);
  return handled;
}

bool TControl::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  bool handled = false;
  if (OnMouseWheelUp) OnMouseWheelUp(this, shift, mousePos, handled);
  return handled;
}

void TControl::CMMouseEnter(TCMMouseEnter& message) {
  if (message.Control == nullptr || message.Control == this) {
    if (OnMouseEnter) OnMouseEnter(this);
  }
  if (parent_)
    parent_->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(message.Control ? message.Control : this));
}

void TControl::CMMouseLeave(TCMMouseLeave& message) {
  if (message.Control == nullptr || message.Control == this) {
    if (OnMouseLeave) OnMouseLeave(this);
  }
  if (parent_)
    parent_->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(message.Control ? message.Control : this));
}

void TControl::WMCancelMode(TWMCancelMode&) { SetMouseCapture(false); }

void TControl::SendCancelMode(TControl* sender) {
  TCustomForm* form = GetParentForm(this);
  if (form) form->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(sender));
}

void TControl::DoContextPopup(TPoint mousePos, bool& handled) {
  if (OnContextPopup) OnContextPopup(this, mousePos, handled);
}

void TControl::WMContextMenu(TWMContextMenu& message) {
  if (message.Result != 0) return;
  TPoint pt(message.XPos, message.YPos);
  bool fromKeyboard = pt.X == -1 && pt.Y == -1;
  TPoint local = pt;
  if (!fromKeyboard) {
    local = ScreenToClient(pt);
    if (!GetClientRect().Contains(local)) {
      DefaultHandler(reinterpret_cast<TMessage&>(message));
      return;
    }
  }
  bool handled = false;
  DoContextPopup(local, handled);
  message.Result = handled ? 1 : 0;
  if (handled) return;
  TPopupMenu* menu = GetPopupMenuForContext();
  if (menu && MenuHooks().AutoPopup) {
    SendCancelMode(nullptr);
    if (fromKeyboard) pt = ClientToScreen(TPoint(0, 0));
    if (MenuHooks().AutoPopup(menu, this, pt)) message.Result = 1;
  }
  if (message.Result == 0) DefaultHandler(reinterpret_cast<TMessage&>(message));
}

bool TControl::IsControlMouseMsg(TWMMouse& message) {
  auto* self = dynamic_cast<TWinControl*>(this);
  if (!self) return false;
  TControl* control = nullptr;
  TControl* capture = GetCaptureControl();
  if (capture && capture->parent_ == self)
    control = capture;
  else if (!capture || capture == self) {
    control = self->ControlAtPos(TPoint(message.XPos, message.YPos), false);
    if (control && dynamic_cast<TWinControl*>(control)) control = nullptr;
  }
  if (!control) return false;
  TWMMouse child = message;
  child.XPos = static_cast<SmallInt>(message.XPos - control->left_);
  child.YPos = static_cast<SmallInt>(message.YPos - control->top_);
  TMessage& m = reinterpret_cast<TMessage&>(child);
  m.LParam = PointToLParam(TPoint(child.XPos, child.YPos));
  message.Result = control->Perform(child.Msg, m.WParam, m.LParam);
  return true;
}

// ---- Drag and drop ----

void TControl::BeginDrag(bool immediate, Integer threshold) {
  if (threshold < 0) threshold = Mouse->GetDragThreshold();
  TPoint pos;
  ::GetCursorPos(&pos);
  DragBegin(this, immediate, threshold, pos);
}

void TControl::EndDrag(bool drop) {
  if (!Dragging()) return;
  if (drop) {
    TPoint pos;
    ::GetCursorPos(&pos);
    DragMouseUp(pos);
  } else {
    DragCancel();
  }
}

bool TControl::Dragging() const { return (DragActive() || DragPending()) && DragSourceControl() == this; }

void TControl::DoStartDrag(TDragObject*& dragObject) {
  if (OnStartDrag) OnStartDrag(this, dragObject);
}

void TControl::DoEndDrag(TObject* target, Integer x, Integer y) {
  if (OnEndDrag) OnEndDrag(this, target, x, y);
}

void TControl::DragOver(TObject* source, Integer x, Integer y, TDragState state, bool& accept) {
  accept = false;
  if (OnDragOver) {
    accept = true;
    OnDragOver(this, source, x, y, state, accept);
  }
}

void TControl::DragDrop(TObject* source, Integer x, Integer y) {
  if (OnDragDrop) OnDragDrop(this, source, x, y);
}

void TControl::DoDragMsg(TCMDrag& message) {
  TDragRec* rec = message.DragRec;
  if (!rec) return;
  TPoint p = ScreenToClient(rec->Pos);
  TObject* source = rec->Source;
  // A drag object that stands for a control shows that control to the handlers.
  if (auto* ctl = dynamic_cast<TBaseDragControlObject*>(rec->Source)) source = ctl->GetControl();
  switch (static_cast<TDragMessage>(message.DragMessage)) {
    case dmDragEnter:
    case dmDragLeave:
    case dmDragMove: {
      bool accept = true;
      TDragState state = message.DragMessage == dmDragEnter   ? dsDragEnter
                         : message.DragMessage == dmDragLeave ? dsDragLeave
                                                              : dsDragMove;
      DragOver(source, p.X, p.Y, state, accept);
      message.Result = accept ? 1 : 0;
      break;
    }
    case dmDragDrop:
      DragDrop(source, p.X, p.Y);
      break;
    default:
      break;
  }
}

void TControl::CMDrag(TCMDrag& message) { DoDragMsg(message); }

// ---- Hints ----

void TControl::CMHintShow(TCMHintShow&) {}

// ---- Actions ----

bool TControl::ExecuteAction(TBasicAction*) { return false; }
bool TControl::UpdateAction(TBasicAction*) { return false; }

void TControl::SetAction(TBasicAction* action) {
  if (action_ == action) return;
  actionLink_.reset();
  action_ = action;
  if (!action) return;
  FreeNotification(reinterpret_cast<TComponent*>(action));
  if (MenuHooks().CreateActionLink) actionLink_.reset(MenuHooks().CreateActionLink(this, action));
  ActionChange(reinterpret_cast<TObject*>(action), GetComponentState().Contains(csLoading));
}

void TControl::ActionChange(TObject*, bool) {}
void TControl::InitiateAction() {}

// ---- TWinControl ----

static const TTypeInfo* BevelCutType() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TBevelCut", {u"bvNone", u"bvLowered", u"bvRaised", u"bvSpace"});
  return &t;
}
static const TTypeInfo* BevelKindType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TBevelKind", {u"bkNone", u"bkTile", u"bkSoft", u"bkFlat"});
  return &t;
}
static const TTypeInfo* BevelEdgesType() {
  static const TTypeInfo e = TTypeInfo::Enum(u"TBevelEdge", {u"beLeft", u"beTop", u"beRight", u"beBottom"});
  static const TTypeInfo t = TTypeInfo::Set(u"TBevelEdges", &e);
  return &t;
}
static const TTypeInfo* ImeModeType() {
  static const TTypeInfo t = TTypeInfo::Enum(
      u"TImeMode", {u"imDisable", u"imClose", u"imOpen", u"imDontCare", u"imSAlpha", u"imAlpha", u"imHira",
                    u"imSKata", u"imKata", u"imChinese", u"imSHanguel", u"imHanguel"});
  return &t;
}

void TWinControl::Published(TPropBuilder<TWinControl>& p) {
  p.Bool(u"TabStop", &TWinControl::GetTabStop, &TWinControl::SetTabStop).Default(false);
  p.Int(u"TabOrder", &TWinControl::GetTabOrder, &TWinControl::SetTabOrder).Default(-1);
  p.Bool(u"DoubleBuffered", &TWinControl::GetDoubleBuffered, &TWinControl::SetDoubleBuffered).Default(false);
  p.Bool(u"Ctl3D", &TWinControl::GetCtl3D, &TWinControl::SetCtl3D)
      .Stored(std::function<bool(const TObject*)>(
          [](const TObject* o) { return !static_cast<const TWinControl*>(o)->GetParentCtl3D(); }));
  p.Bool(u"ParentCtl3D", &TWinControl::GetParentCtl3D, &TWinControl::SetParentCtl3D).Default(true);
  p.Int(u"BorderWidth", &TWinControl::GetBorderWidth, &TWinControl::SetBorderWidth).Default(0);
  p.Enum(u"BevelInner", BevelCutType(), &TWinControl::GetBevelInner, &TWinControl::SetBevelInner)
      .Default(bvRaised);
  p.Enum(u"BevelOuter", BevelCutType(), &TWinControl::GetBevelOuter, &TWinControl::SetBevelOuter)
      .Default(bvLowered);
  p.Enum(u"BevelKind", BevelKindType(), &TWinControl::GetBevelKind, &TWinControl::SetBevelKind)
      .Default(bkNone);
  p.Int(u"BevelWidth", &TWinControl::GetBevelWidth, &TWinControl::SetBevelWidth).Default(1);
  p.Set(u"BevelEdges", BevelEdgesType(), &TWinControl::GetBevelEdges, &TWinControl::SetBevelEdges)
      .Default(TBevelEdges{beLeft, beTop, beRight, beBottom});
  p.Enum(u"ImeMode", ImeModeType(), &TWinControl::GetImeMode, &TWinControl::SetImeMode).Default(imDontCare);
  p.Str(u"ImeName", &TWinControl::GetImeName, &TWinControl::SetImeName);
  p.Event(u"OnEnter", &TWinControl::OnEnter);
  p.Event(u"OnExit", &TWinControl::OnExit);
  p.Event(u"OnKeyDown", &TWinControl::OnKeyDown, u"TKeyEvent");
  p.Event(u"OnKeyPress", &TWinControl::OnKeyPress, u"TKeyPressEvent");
  p.Event(u"OnKeyUp", &TWinControl::OnKeyUp, u"TKeyEvent");
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
  brush_ = std::make_unique<TBrush>();
  brush_->SetColor(color_);
}

TWinControl::TWinControl(TComponent* owner, HWND parentWindow) : TWinControl(owner) {
  parentWindow_ = parentWindow;
}

TWinControl::~TWinControl() {
  Destroying();
  if (TCustomForm* form = GetParentForm(this, false); form && form != this) form->DefocusControl(this, true);
  // A control freed while it has the focus must not stay the screen's active control.
  if (Screen && Screen->activeControl_ == this) Screen->activeControl_ = nullptr;
  // Children that belong to other owners lose their parent; those owned here are freed by the owner.
  while (!controls_.empty()) {
    TControl* child = controls_.back();
    RunReportingFailure(this, [&] { RemoveControl(child); });
  }
  if (host_) DestroyWindowHandle();
  if (parent_) RunReportingFailure(this, [this] { parent_->RemoveControl(this); });
}

namespace {
bool IsMouseMessage(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      return true;
    default:
      return false;
  }
}
}  // namespace

void TWinControl::Dispatch(TMessage& m) {
  // A control over a Qt widget lets the widget have the mouse too (the press that places the caret,
  // checks a box or opens a list), as the class library's handlers call the default first.
  if (!PaintsItself() && IsMouseMessage(m.Msg)) DefaultHandler(m);
  switch (m.Msg) {
    case WM_PAINT:
      WMPaint(reinterpret_cast<TWMPaint&>(m));
      return;
    case WM_ERASEBKGND:
      WMEraseBkgnd(reinterpret_cast<TWMEraseBkgnd&>(m));
      return;
    case WM_NCCALCSIZE:
      WMNCCalcSize(reinterpret_cast<TWMNCCalcSize&>(m));
      return;
    case WM_NCPAINT:
      WMNCPaint(reinterpret_cast<TWMNCPaint&>(m));
      return;
    case WM_NCHITTEST:
      WMNCHitTest(reinterpret_cast<TWMNCHitTest&>(m));
      return;
    case WM_SIZE:
      WMSize(reinterpret_cast<TWMSize&>(m));
      return;
    case WM_MOVE:
      WMMove(reinterpret_cast<TWMMove&>(m));
      return;
    case WM_SETFOCUS:
      WMSetFocus(reinterpret_cast<TWMSetFocus&>(m));
      return;
    case WM_KILLFOCUS:
      WMKillFocus(reinterpret_cast<TWMKillFocus&>(m));
      return;
    case WM_KEYDOWN:
      WMKeyDown(reinterpret_cast<TWMKey&>(m));
      return;
    case WM_SYSKEYDOWN:
      WMSysKeyDown(reinterpret_cast<TWMKey&>(m));
      return;
    case WM_KEYUP:
      WMKeyUp(reinterpret_cast<TWMKey&>(m));
      return;
    case WM_SYSKEYUP:
      WMSysKeyUp(reinterpret_cast<TWMKey&>(m));
      return;
    case WM_CHAR:
      WMChar(reinterpret_cast<TWMKey&>(m));
      return;
    case WM_GETDLGCODE:
      WMGetDlgCode(reinterpret_cast<TWMGetDlgCode&>(m));
      return;
    case WM_SETCURSOR:
      WMSetCursor(reinterpret_cast<TWMSetCursor&>(m));
      return;
    case WM_CONTEXTMENU:
      WMContextMenu(reinterpret_cast<TWMContextMenu&>(m));
      return;
    case WM_COMMAND:
      WMCommand(reinterpret_cast<TWMCommand&>(m));
      return;
    case CM_ENTER:
      CMEnter(reinterpret_cast<TCMEnter&>(m));
      return;
    case CM_EXIT:
      CMExit(reinterpret_cast<TCMExit&>(m));
      return;
    case CM_ENABLEDCHANGED:
      CMEnabledChanged(m);
      return;
    case CM_SHOWINGCHANGED:
      CMShowingChanged(m);
      return;
    case CM_VISIBLECHANGED:
      CMVisibleChanged(m);
      return;
    case CM_FONTCHANGED:
      CMFontChanged(m);
      return;
    case CM_COLORCHANGED:
      CMColorChanged(m);
      return;
    case CM_CTL3DCHANGED:
      CMCtl3DChanged(m);
      return;
    case CM_PARENTCTL3DCHANGED:
      CMParentCtl3DChanged(m);
      return;
    case CM_RECREATEWND:
      CMRecreateWnd(m);
      return;
    case CM_CHILDKEY:
      CMChildKey(reinterpret_cast<TCMChildKey&>(m));
      return;
    case CM_DIALOGKEY:
      CMDialogKey(reinterpret_cast<TCMDialogKey&>(m));
      return;
    case CM_DIALOGCHAR:
      CMDialogChar(reinterpret_cast<TCMDialogChar&>(m));
      return;
    case CM_INVALIDATE:
      CMInvalidate(m);
      return;
    case CM_BIDIMODECHANGED:
      CMBiDiModeChanged(m);
      return;
    case CM_SYSCOLORCHANGE:
      CMSysColorChange(m);
      return;
    case CM_FOCUSCHANGED:
      for (TControl* c : std::vector<TControl*>(controls_)) c->WindowProc(m);
      return;
    case CM_SHOWHINTCHANGED:
      NotifyControls(CM_PARENTSHOWHINTCHANGED);
      return;
    default:
      TControl::Dispatch(m);
  }
}

void TWinControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
      if (IsControlMouseMsg(reinterpret_cast<TWMMouse&>(message))) return;
      break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      if (Dragging()) return;
      break;
    case WM_CANCELMODE: {
      TControl* capture = GetCaptureControl();
      if (capture && capture != this && capture->parent_ == this) capture->Perform(WM_CANCELMODE);
      break;
    }
    default:
      break;
  }
  TControl::WndProc(message);
}

void TWinControl::DefaultHandler(TMessage& message) {
  if (host_ && host_->PassToWidget(message)) return;
  switch (message.Msg) {
    case WM_CHAR:
      // A character from code reaches a wrapped widget (an edit) as typing; our own controls draw
      // themselves and have nothing to type into.
      if (host_ && !PaintsItself() && message.WParam >= 32)
        host_->TypeCharIntoWidget(static_cast<Char>(message.WParam));
      return;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_SETTEXT:
      TControl::DefaultHandler(message);
      return;
    case WM_NCHITTEST:
      message.Result = HTCLIENT;
      return;
    case WM_CONTEXTMENU:
      if (parent_) message.Result = parent_->Perform(message.Msg, message.WParam, message.LParam);
      return;
    default:
      return;
  }
}

// ---- Window ----

HWND TWinControl::GetHandle() {
  HandleNeeded();
  return host_ ? host_->Handle() : nullptr;
}

bool TWinControl::HandleAllocated() const { return host_ != nullptr; }

void TWinControl::HandleNeeded() {
  if (host_) return;
  if (parent_) parent_->HandleNeeded();
  CreateHandle();
}

void TWinControl::CreateHandle() {
  if (host_) return;
  CreateWnd();
}

void TWinControl::CreateParams(TCreateParams& params) {
  params = TCreateParams();
  params.Caption = GetTextValue();
  params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (controlStyle_.Contains(csAcceptsControls)) params.Style |= WS_CLIPCHILDREN;
  if (!enabled_) params.Style |= WS_DISABLED;
  if (tabStop_) params.Style |= WS_TABSTOP;
  params.X = left_;
  params.Y = top_;
  params.Width = width_;
  params.Height = height_;
  if (parent_ && parent_->HandleAllocated())
    params.WndParent = parent_->host_->Handle();
  else
    params.WndParent = parentWindow_;
  params.WindowClassStyle = CS_VREDRAW | CS_HREDRAW;
  if (controlStyle_.Contains(csDoubleClicks)) params.WindowClassStyle |= CS_DBLCLKS;
  params.WinClassName = ClassName();
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  controlState_ << csCreating;
  {
    auto restore = MakeScopeExit([&] { controlState_ >> csCreating; });
    CreateWindowHandle(params);
  }
  // Children made before the window get theirs now.
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->CreateHandle();
  Perform(WM_SIZE, SIZE_RESTORED,
          MAKELPARAM(static_cast<Word>(GetClientWidth()), static_cast<Word>(GetClientHeight())));
  UpdateShowing();
}

void TWinControl::CreateWindowHandle(const TCreateParams& params) {
  EnsureQtApplication();
  QWidget* widget = CreateQtWidget(params);
  host_ = std::make_unique<TWinControlHost>(this, widget);
  InitQtWidget(widget);
  SyncWidgetGeometry();
  SyncWidgetEnabled();
}

QWidget* TWinControl::CreateQtWidget(const TCreateParams& params) {
  QWidget* parentWidget = nullptr;
  if (TWinControlHost* h = FindHost(params.WndParent)) parentWidget = h->Widget();
  if (parentWidget && !(params.Style & WS_POPUP)) return new TControlWidget(this, parentWidget);
  // A window of its own: popups (drop-downs, hints) show without taking the activation.
  Qt::WindowFlags flags = Qt::Window;
  if (params.Style & WS_POPUP) flags = Qt::ToolTip | Qt::FramelessWindowHint;
  auto* w = new TControlWidget(this, parentWidget, flags);
  if (params.Style & WS_POPUP) w->setAttribute(Qt::WA_ShowWithoutActivating, true);
  return w;
}

void TWinControl::InitQtWidget(QWidget* widget) {
  widget->setFocusPolicy(tabStop_ || dynamic_cast<TCustomControl*>(this) ? Qt::StrongFocus : Qt::ClickFocus);
  widget->setAttribute(Qt::WA_OpaquePaintEvent, true);
  widget->setMouseTracking(true);
  widget->setFont(ToQFont(font_.get()));
  widget->setCursor(CursorToQCursor(cursor_));
}

void TWinControl::DestroyHandle() {
  if (!host_) return;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() {
  text_ = GetTextValue();
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  controlState_ << csDestroyingHandle;
  std::unique_ptr<TWinControlHost> host = std::move(host_);
  // Child widgets of other controls must not die with ours: take them off first.
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->host_) w->host_->Widget()->setParent(nullptr);
  QWidget* widget = host ? host->Widget() : nullptr;
  host.reset();
  delete widget;
  showing_ = false;
  controlState_ >> csDestroyingHandle;
}

void TWinControl::RecreateWnd() {
  if (!host_) return;
  controlState_ << csRecreating;
  bool hadFocus = Focused();
  DestroyHandle();
  {
    auto restore = MakeScopeExit([&] { controlState_ >> csRecreating; });
    CreateHandle();
  }
  if (hadFocus && CanFocus()) SetFocus();
}

void TWinControl::CMRecreateWnd(TMessage&) { RecreateWnd(); }

void TWinControl::SetParentWindow(HWND value) {
  if (parentWindow_ == value) return;
  parentWindow_ = value;
  if (!parent_ && host_) RecreateWnd();
}

QWidget* TWinControl::GetWidget() const { return host_ ? host_->Widget() : nullptr; }

// ---- Children ----

TControl* TWinControl::GetControl(Integer index) const {
  if (index < 0 || index >= GetControlCount())
    throw EListError(Format(u"List index out of bounds (%d)", {index}));
  return controls_[static_cast<size_t>(index)];
}

void TWinControl::InsertControl(TControl* control) {
  control->ValidateContainer(this);
  controls_.push_back(control);
  control->SetParentInner(this);
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    tabList_.push_back(w);
    if (host_) {
      if (w->host_) {
        w->host_->Widget()->setParent(host_->Widget());
        w->SyncWidgetGeometry();
      } else {
        w->CreateHandle();
      }
      w->UpdateShowing();
    }
  }
  if (!control->GetComponentState().Contains(csLoading)) {
    if (control->parentColor_) control->Perform(CM_PARENTCOLORCHANGED);
    if (control->parentFont_) control->Perform(CM_PARENTFONTCHANGED);
    if (control->parentShowHint_) control->Perform(CM_PARENTSHOWHINTCHANGED);
    if (control->parentBiDiMode_) control->Perform(CM_PARENTBIDIMODECHANGED);
    if (auto* w = dynamic_cast<TWinControl*>(control); w && w->parentCtl3D_)
      w->Perform(CM_PARENTCTL3DCHANGED);
    control->UpdateAnchorRules();
  }
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 1);
  if (control->visible_) {
    control->Invalidate();
    if (control->align_ != alNone) Realign();
  }
}

void TWinControl::RemoveControl(TControl* control) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  // The control leaves even when a handler of the news raises: a parent must not keep a control that
  // is being freed.
  TryFinally([&] { Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 0); },
             [&] { UnlinkControl(control); });
}

void TWinControl::UnlinkControl(TControl* control) {
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    if (TCustomForm* form = GetParentForm(this, false)) form->DefocusControl(w, true);
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), w), tabList_.end());
    if (w->host_ && !GetComponentState().Contains(csDestroying))
      w->DestroyHandle();
    else if (w->host_)
      w->host_->Widget()->setParent(nullptr);
  } else if (control->visible_) {
    InvalidateRect(control->GetBoundsRect());
  }
  if (GetCaptureControl() == control) SetCaptureControl(nullptr);
  controls_.erase(std::find(controls_.begin(), controls_.end(), control));
  control->SetParentInner(nullptr);
  if (control->align_ != alNone && !GetComponentState().Contains(csDestroying)) Realign();
}

void TWinControl::SetParentInner(TWinControl* parent) { parent_ = parent; }

void TWinControl::Loaded() {
  TControl::Loaded();
  Realign();
}

bool TWinControl::ContainsControl(TControl* control) const {
  for (TControl* c = control; c; c = c->parent_)
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls,
                                    bool allLevels) const {
  // Top of the z-order first.
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
    if (windowed && !allowWinControls) continue;
    if (!c->visible_ || (!allowDisabled && !c->GetEnabled())) continue;
    if (!c->GetBoundsRect().Contains(pos)) continue;
    if (c->controlStyle_.Contains(csNoDesignVisible) && false) continue;
    if (allLevels) {
      if (auto* w = dynamic_cast<TWinControl*>(c)) {
        TPoint inner = w->ScreenToClient(ClientToScreen(pos));
        if (TControl* deeper = w->ControlAtPos(inner, allowDisabled, allowWinControls, true)) return deeper;
      }
    }
    return c;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& message) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    c->WindowProc(message);
    if (message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT msg) {
  TMessage m;
  m.Msg = msg;
  for (TControl* c : std::vector<TControl*>(controls_)) {
    m.Result = 0;
    c->WindowProc(m);
  }
}

TWinControl* TWinControl::FindChildControl(const String& name) const {
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c); w && SameText(w->GetName(), name)) return w;
  return nullptr;
}

void TWinControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TControl* c : controls_)
    if (c->GetOwner() == root) proc(c);
}

void TWinControl::SetChildOrder(TComponent* child, int order) {
  auto* w = dynamic_cast<TWinControl*>(child);
  if (!w || w->parent_ != this) return;
  w->SetTabOrder(order);
}

void TWinControl::ReadState(TReader* reader) {
  DisableAlign();
  // EnableAlign realigns the children, which may raise.
  TryFinally([&] { TControl::ReadState(reader); }, [&] { EnableAlign(); });
}

void TWinControl::SetChildZOrder(TControl* child, bool topMost) {
  auto it = std::find(controls_.begin(), controls_.end(), child);
  if (it == controls_.end()) return;
  controls_.erase(it);
  if (topMost)
    controls_.push_back(child);
  else
    controls_.insert(controls_.begin(), child);
  if (auto* w = dynamic_cast<TWinControl*>(child); w && w->host_) {
    if (topMost)
      RaiseWidget(w->host_->Widget());
    else
      w->host_->Widget()->lower();
  } else {
    child->Invalidate();
  }
}

void TWinControl::SetZOrder(bool topMost) {
  if (parent_) {
    parent_->SetChildZOrder(this, topMost);
  } else if (host_) {
    if (topMost)
      RaiseWidget(host_->Widget());
    else
      host_->Widget()->lower();
  }
}

// ---- Layout ----

void TWinControl::DisableAlign() { ++alignLevel_; }

void TWinControl::EnableAlign() {
  if (--alignLevel_ > 0) return;
  alignLevel_ = 0;
  if (controlState_.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* control) {
  if (GetComponentState().Contains(csLoading) || GetComponentState().Contains(csDestroying) ||
      alignLevel_ > 0) {
    controlState_ << csAlignmentNeeded;
    return;
  }
  if (controlState_.Contains(csAligning)) return;
  DisableAlign();
  controlState_ << csAligning;
  {
    auto restore = MakeScopeExit([&] {
      controlState_ >> csAligning;
      --alignLevel_;
    });
    TRect r = GetClientRect();
    AlignControls(control, r);
  }
  controlState_ >> csAlignmentNeeded;
  if (alignLevel_ < 0) alignLevel_ = 0;
}

void TWinControl::AdjustClientRect(TRect&) {}

void TWinControl::DoAlignPosition(TControl* control, Integer& newLeft, Integer& newTop, Integer& newWidth,
                                  Integer& newHeight, TRect& alignRect) {
  if (OnAlignPosition) OnAlignPosition(this, control, newLeft, newTop, newWidth, newHeight, alignRect);
}

void TWinControl::AlignControls(TControl* control, TRect& rect) {
  AdjustClientRect(rect);
  TRect clientRect = GetClientRect();
  auto positionOf = [](TControl* c, TAlign a) {
    switch (a) {
      case alTop:
        return c->top_;
      case alBottom:
        return -(c->top_ + c->height_);
      case alLeft:
        return c->left_;
      case alRight:
        return -(c->left_ + c->width_);
      default:
        return 0;
    }
  };
  auto doAlign = [&](TAlign align) {
    std::vector<TControl*> list;
    for (TControl* c : controls_) {
      if (c->align_ != align || !c->visible_) continue;
      list.push_back(c);
    }
    // The control that asked for the realignment goes first among those it stands with, so a
    // moved panel takes the place it was moved to.
    std::stable_sort(list.begin(), list.end(), [&](TControl* a, TControl* b) {
      Integer pa = positionOf(a, align), pb = positionOf(b, align);
      if (pa != pb) return pa < pb;
      return a == control && b != control;
    });
    for (TControl* c : list) {
      Integer l = rect.Left, t = rect.Top, w = rect.Width(), h = rect.Height();
      switch (align) {
        case alTop:
          h = c->height_;
          break;
        case alBottom:
          h = c->height_;
          t = rect.Bottom - h;
          break;
        case alLeft:
          w = c->width_;
          break;
        case alRight:
          w = c->width_;
          l = rect.Right - w;
          break;
        case alCustom:
          l = c->left_;
          t = c->top_;
          w = c->width_;
          h = c->height_;
          DoAlignPosition(c, l, t, w, h, rect);
          break;
        default:
          break;
      }
      if (w < 0) w = 0;
      if (h < 0) h = 0;
      c->SetBounds(l, t, w, h);
      switch (align) {
        case alTop:
          rect.Top += c->height_;
          break;
        case alBottom:
          rect.Bottom -= c->height_;
          break;
        case alLeft:
          rect.Left += c->width_;
          break;
        case alRight:
          rect.Right -= c->width_;
          break;
        default:
          break;
      }
    }
  };
  doAlign(alTop);
  doAlign(alBottom);
  doAlign(alLeft);
  doAlign(alRight);
  doAlign(alClient);
  doAlign(alCustom);
  // Anchors of controls that are not aligned follow the parent's new size.
  for (TControl* c : controls_) {
    if (c->align_ != alNone || c->originalParentSize_ == TPoint()) continue;
    if (c->anchors_ == TAnchors{akLeft, akTop}) continue;
    Integer l = c->left_, t = c->top_, w = c->width_, h = c->height_;
    Integer pw = clientRect.Width(), ph = clientRect.Height();
    if (c->anchors_.Contains(akRight)) {
      if (c->anchors_.Contains(akLeft))
        w = pw - c->anchorRules_.X - l;
      else
        l = pw - c->anchorRules_.X - w;
    } else if (!c->anchors_.Contains(akLeft)) {
      l = MulDiv(c->anchorRules_.X, pw, c->originalParentSize_.X > 0 ? c->originalParentSize_.X : 1) - w / 2;
    }
    if (c->anchors_.Contains(akBottom)) {
      if (c->anchors_.Contains(akTop))
        h = ph - c->anchorRules_.Y - t;
      else
        t = ph - c->anchorRules_.Y - h;
    } else if (!c->anchors_.Contains(akTop)) {
      t = MulDiv(c->anchorRules_.Y, ph, c->originalParentSize_.Y > 0 ? c->originalParentSize_.Y : 1) - h / 2;
    }
    TPoint keepRules = c->anchorRules_, keepSize = c->originalParentSize_;
    c->SetBounds(l, t, std::max(0, w), std::max(0, h));
    // Anchored moves keep the rules they were made from.
    c->anchorRules_ = keepRules;
    c->originalParentSize_ = keepSize;
  }
}

void TWinControl::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  DoConstrainedResize(width, height);
  if (!CheckNewSize(this, width, height, autoSize_,
                    [this](Integer& w, Integer& h) { return DoCanAutoSize(w, h); }))
    return;
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  bool resized = width != width_ || height != height_;
  bool moved = left != left_ || top != top_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  UpdateAnchorRules();
  SyncWidgetGeometry();
  if (moved && host_) Perform(WM_MOVE, 0, PointToLParam(TPoint(left_, top_)));
  if (resized) {
    if (host_ || !GetComponentState().Contains(csLoading))
      Perform(WM_SIZE, SIZE_RESTORED,
              MAKELPARAM(static_cast<Word>(GetClientWidth()), static_cast<Word>(GetClientHeight())));
  }
  RequestAlign();
}

void TWinControl::WMSize(TWMSize&) {
  Realign();
  if (!GetComponentState().Contains(csLoading)) Resize();
}

void TWinControl::WMMove(TWMMove&) {}

void TWinControl::UpdateBounds() { SyncWidgetGeometry(); }

TRect TWinControl::GetNonClientMargins() const {
  TRect r(0, 0, width_, height_);
  Integer top = const_cast<TWinControl*>(this)->ComputeNonClient(r);
  (void)top;
  return TRect(r.Left, r.Top, width_ - r.Right, height_ - r.Bottom);
}

// The client rectangle in window coordinates, the answer of WM_NCCALCSIZE.
Integer TWinControl::ComputeNonClient(TRect& rect) const {
  TNCCalcSizeParams params;
  params.rgrc[0] = rect;
  TMessage m;
  m.Msg = WM_NCCALCSIZE;
  m.WParam = 0;
  m.LParam = reinterpret_cast<LPARAM>(&params);
  const_cast<TWinControl*>(this)->WindowProc(m);
  rect = params.rgrc[0];
  return rect.Top;
}

TRect TWinControl::GetClientRect() const {
  TRect r(0, 0, width_, height_);
  ComputeNonClient(r);
  return TRect(0, 0, std::max(0, r.Width()), std::max(0, r.Height()));
}

TPoint TWinControl::GetClientOrigin() const {
  TRect margins = GetNonClientMargins();
  if (host_) {
    QPoint g = host_->Widget()->mapToGlobal(QPoint(0, 0));
    return TPoint(g.x() + margins.Left, g.y() + margins.Top);
  }
  TPoint base = parent_ ? parent_->GetClientOrigin() : TPoint(0, 0);
  if (parent_)
    base = TPoint(base.X + left_, base.Y + top_);
  else
    base = TPoint(left_, top_);
  return TPoint(base.X + margins.Left, base.Y + margins.Top);
}

void TWinControl::WMNCCalcSize(TWMNCCalcSize& message) {
  TRect& r = message.CalcSize_Params->rgrc[0];
  TCreateParams params;
  Integer edge = 0;
  // The window's own frame: a client edge or border comes from the window style.
  CreateParams(params);
  if (params.ExStyle & WS_EX_CLIENTEDGE)
    edge += ctl3D_ ? 2 : 1;
  else if (params.Style & WS_BORDER)
    edge += 1;
  if (params.ExStyle & WS_EX_STATICEDGE) edge += 1;
  InflateRect(&r, -edge, -edge);
  Integer bevel = 0;
  if (bevelKind_ != bkNone) {
    if (bevelInner_ != bvNone) bevel += bevelWidth_;
    if (bevelOuter_ != bvNone) bevel += bevelWidth_;
  }
  if (bevelEdges_.Contains(beLeft)) r.Left += bevel;
  if (bevelEdges_.Contains(beTop)) r.Top += bevel;
  if (bevelEdges_.Contains(beRight)) r.Right -= bevel;
  if (bevelEdges_.Contains(beBottom)) r.Bottom -= bevel;
  InflateRect(&r, -borderWidth_, -borderWidth_);
  if (host_) r.Top += host_->TopBarHeight();
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
}

void TWinControl::WMNCPaint(TWMNCPaint& message) {
  auto* canvas = reinterpret_cast<TCanvas*>(message.RGN);
  if (canvas) PaintNonClient(canvas);
}

static void DrawEdgeLines(TCanvas* canvas, TRect r, TColor topLeft, TColor bottomRight, TBevelEdges edges) {
  TPen* pen = canvas->GetPen();
  pen->SetWidth(1);
  pen->SetStyle(psSolid);
  pen->SetColor(topLeft);
  if (edges.Contains(beLeft)) {
    canvas->MoveTo(r.Left, r.Bottom - 1);
    canvas->LineTo(r.Left, r.Top - 1);
  }
  if (edges.Contains(beTop)) {
    canvas->MoveTo(r.Left, r.Top);
    canvas->LineTo(r.Right, r.Top);
  }
  pen->SetColor(bottomRight);
  if (edges.Contains(beRight)) {
    canvas->MoveTo(r.Right - 1, r.Top);
    canvas->LineTo(r.Right - 1, r.Bottom);
  }
  if (edges.Contains(beBottom)) {
    canvas->MoveTo(r.Left, r.Bottom - 1);
    canvas->LineTo(r.Right, r.Bottom - 1);
  }
}

void TWinControl::PaintNonClient(TCanvas* canvas) {
  TRect r(0, 0, width_, height_);
  TCreateParams params;
  CreateParams(params);
  TBevelEdges all{beLeft, beTop, beRight, beBottom};
  if (params.ExStyle & WS_EX_CLIENTEDGE) {
    if (ctl3D_) {
      DrawEdgeLines(canvas, r, clBtnShadow, clBtnHighlight, all);
      InflateRect(&r, -1, -1);
      DrawEdgeLines(canvas, r, cl3DDkShadow, cl3DLight, all);
    } else {
      DrawEdgeLines(canvas, r, clWindowFrame, clWindowFrame, all);
    }
    InflateRect(&r, -1, -1);
    if (!ctl3D_) InflateRect(&r, 1, 1);
  } else if (params.Style & WS_BORDER) {
    DrawEdgeLines(canvas, r, clWindowFrame, clWindowFrame, all);
    InflateRect(&r, -1, -1);
  }
  if (bevelKind_ != bkNone) {
    auto drawCut = [&](TBevelCut cut) {
      if (cut == bvNone) return;
      for (Integer i = 0; i < bevelWidth_; ++i) {
        TColor tl = cut == bvRaised ? clBtnHighlight : clBtnShadow;
        TColor br = cut == bvRaised ? clBtnShadow : clBtnHighlight;
        if (cut == bvSpace) tl = br = clBtnFace;
        if (bevelKind_ == bkFlat) tl = br = clBtnShadow;
        DrawEdgeLines(canvas, r, tl, br, bevelEdges_);
        if (bevelEdges_.Contains(beLeft)) ++r.Left;
        if (bevelEdges_.Contains(beTop)) ++r.Top;
        if (bevelEdges_.Contains(beRight)) --r.Right;
        if (bevelEdges_.Contains(beBottom)) --r.Bottom;
      }
    };
    drawCut(bevelOuter_);
    drawCut(bevelInner_);
  }
  if (borderWidth_ > 0) {
    canvas->GetBrush()->SetColor(color_);
    canvas->GetBrush()->SetStyle(bsSolid);
    TRect inner = r;
    InflateRect(&inner, -borderWidth_, -borderWidth_);
    canvas->FillRect(TRect(r.Left, r.Top, r.Right, inner.Top));
    canvas->FillRect(TRect(r.Left, inner.Bottom, r.Right, r.Bottom));
    canvas->FillRect(TRect(r.Left, inner.Top, inner.Left, inner.Bottom));
    canvas->FillRect(TRect(inner.Right, inner.Top, r.Right, inner.Bottom));
  }
}

void TWinControl::WMNCHitTest(TWMNCHitTest& message) { DefaultHandler(reinterpret_cast<TMessage&>(message)); }

void TWinControl::ScrollBy(Integer dx, Integer dy) {
  if (host_) {
    QPoint offset = host_->ClientOffset();
    TRect c = GetClientRect();
    host_->Widget()->scroll(dx, dy, QRect(offset, QSize(c.Width(), c.Height())));
  }
  // The children all move by the same offset, so their alignment holds: the level only drops back.
  DisableAlign();
  auto restore = MakeScopeExit([&] { alignLevel_ = std::max<Integer>(alignLevel_ - 1, 0); });
  for (TControl* child : controls_) {
    TPoint keepRules = child->anchorRules_, keepSize = child->originalParentSize_;
    child->SetBounds(child->left_ + dx, child->top_ + dy, child->width_, child->height_);
    child->anchorRules_ = keepRules;
    child->originalParentSize_ = keepSize;
  }
}

void TWinControl::SetCtl3D(bool value) {
  parentCtl3D_ = false;
  if (ctl3D_ == value) return;
  ctl3D_ = value;
  Perform(CM_CTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool value) {
  if (parentCtl3D_ == value) return;
  parentCtl3D_ = value;
  if (value && parent_) Perform(CM_PARENTCTL3DCHANGED);
}

void TWinControl::CMCtl3DChanged(TMessage&) {
  NotifyControls(CM_PARENTCTL3DCHANGED);
  SyncWidgetGeometry();
  Invalidate();
}

void TWinControl::CMParentCtl3DChanged(TMessage&) {
  if (!parentCtl3D_ || !parent_) return;
  SetCtl3D(parent_->ctl3D_);
  parentCtl3D_ = true;
}

void TWinControl::SetBorderWidth(TBorderWidth value) {
  if (borderWidth_ == value) return;
  borderWidth_ = std::max(0, value);
  Perform(CM_BORDERCHANGED);
  Realign();
  Invalidate();
}

static void FrameChanged(TWinControl* c) {
  c->Perform(CM_BORDERCHANGED);
  c->Realign();
  c->Invalidate();
}

void TWinControl::SetBevelInner(TBevelCut value) {
  if (bevelInner_ == value) return;
  bevelInner_ = value;
  FrameChanged(this);
}
void TWinControl::SetBevelOuter(TBevelCut value) {
  if (bevelOuter_ == value) return;
  bevelOuter_ = value;
  FrameChanged(this);
}
void TWinControl::SetBevelKind(TBevelKind value) {
  if (bevelKind_ == value) return;
  bevelKind_ = value;
  FrameChanged(this);
}
void TWinControl::SetBevelWidth(TBevelWidth value) {
  if (bevelWidth_ == value || value < 1) return;
  bevelWidth_ = value;
  FrameChanged(this);
}
void TWinControl::SetBevelEdges(TBevelEdges value) {
  if (bevelEdges_ == value) return;
  bevelEdges_ = value;
  FrameChanged(this);
}

void TWinControl::ChangeScale(Integer m, Integer d) {
  DisableAlign();
  TryFinally(
      [&] {
        for (TControl* c : std::vector<TControl*>(controls_)) c->ChangeScale(m, d);
        TControl::ChangeScale(m, d);
      },
      [&] { EnableAlign(); });
}

// ---- Showing ----

bool TWinControl::GetShowing() const { return showing_; }

void TWinControl::UpdateShowing() {
  bool show =
      host_ && visible_ &&
      (parent_ ? parent_->showing_ : parentWindow_ != nullptr || dynamic_cast<TCustomForm*>(this) != nullptr);
  // A form's own showing follows Show/Hide; its window decides.
  if (auto* form = dynamic_cast<TCustomForm*>(this); form && !parent_) show = host_ && visible_;
  SyncWidgetVisibility();
  if (show == showing_) {
    for (TControl* c : controls_)
      if (auto* w = dynamic_cast<TWinControl*>(c)) w->UpdateShowing();
    return;
  }
  showing_ = show;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->UpdateShowing();
  Perform(CM_SHOWINGCHANGED);
}

void TWinControl::CMShowingChanged(TMessage&) { SyncWidgetVisibility(); }

void TWinControl::CMVisibleChanged(TMessage& m) {
  if (!visible_ && parent_) {
    if (TCustomForm* form = GetParentForm(this, false)) form->DefocusControl(this, false);
  }
  if (host_ || visible_) {
    if (visible_ && !host_ && parent_ && parent_->HandleAllocated()) CreateHandle();
    UpdateShowing();
  }
  TControl::CMVisibleChanged(m);
}

void TWinControl::CMEnabledChanged(TMessage&) {
  if (!enabled_ && parent_) {
    if (TCustomForm* form = GetParentForm(this, false)) form->DefocusControl(this, false);
  }
  SyncWidgetEnabled();
  NotifyControls(CM_ENABLEDCHANGED);
  Invalidate();
}

void TWinControl::CMFontChanged(TMessage& m) {
  if (host_) host_->Widget()->setFont(ToQFont(font_.get()));
  NotifyControls(CM_PARENTFONTCHANGED);
  TControl::CMFontChanged(m);
}

void TWinControl::CMColorChanged(TMessage& m) {
  brush_->SetColor(color_);
  NotifyControls(CM_PARENTCOLORCHANGED);
  TControl::CMColorChanged(m);
}

void TWinControl::CMBiDiModeChanged(TMessage&) {
  if (host_)
    host_->Widget()->setLayoutDirection(UseRightToLeftAlignment() ? Qt::RightToLeft : Qt::LeftToRight);
  NotifyControls(CM_PARENTBIDIMODECHANGED);
  Invalidate();
}

void TWinControl::CMSysColorChange(TMessage&) {
  NotifyControls(CM_SYSCOLORCHANGE);
  Invalidate();
}

void TWinControl::CMInvalidate(TMessage&) { Invalidate(); }

void TWinControl::SyncWidgetGeometry() {
  if (!host_) return;
  QWidget* w = host_->Widget();
  if (w->isWindow()) {
    if (w->minimumSize() == w->maximumSize()) w->setFixedSize(width_, height_);  // a fixed border
    w->setGeometry(left_, top_, width_, height_);
  } else {
    TRect margins = parent_ ? parent_->GetNonClientMargins() : TRect();
    w->setGeometry(left_ + margins.Left, top_ + margins.Top, width_, height_);
  }
  host_->LayoutTopBar();
  for (TControl* c : controls_)
    if (auto* child = dynamic_cast<TWinControl*>(c)) child->SyncWidgetGeometry();
}

void TWinControl::SyncWidgetVisibility() {
  if (!host_) return;
  QWidget* w = host_->Widget();
  if (w->isWindow()) return;  // forms show and hide through Show/Hide
  bool want = visible_;
  if (w->isVisibleTo(w->parentWidget()) != want) w->setVisible(want);
}

void TWinControl::SyncWidgetEnabled() {
  if (host_) host_->Widget()->setEnabled(enabled_);
}

// ---- Focus ----

bool TWinControl::CanFocus() const {
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  for (const TControl* c = this; c; c = c->parent_) {
    if (!c->visible_ || !c->GetEnabled()) return false;
    if (c == form) break;
  }
  return true;
}

bool TWinControl::Focused() const {
  if (!host_) return false;
  return QApplication::focusWidget() == host_->Widget();
}

bool TWinControl::ContainsFocus() const {
  TWinControl* f = FindControl(::GetFocus());
  return f && ContainsControl(f);
}

void TWinControl::SetFocus() {
  TCustomForm* form = GetParentForm(this);
  if (form)
    form->FocusControl(this);
  else if (parent_)
    parent_->SetFocus();
  else {
    HandleNeeded();
    host_->Widget()->setFocus(Qt::OtherFocusReason);
  }
}

void TWinControl::SetTabStop(bool value) {
  if (tabStop_ == value) return;
  tabStop_ = value;
  if (host_ && dynamic_cast<TCustomControl*>(this) == nullptr && PaintsItself())
    host_->Widget()->setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
  Perform(CM_TABSTOPCHANGED);
}

Integer TWinControl::GetTabOrder() const {
  if (!parent_) return -1;
  auto& list = parent_->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<Integer>(it - list.begin());
}

void TWinControl::SetTabOrder(Integer value) {
  if (!parent_) return;
  auto& list = parent_->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (value < 0 || value >= static_cast<Integer>(list.size()))
    list.push_back(this);
  else
    list.insert(list.begin() + value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* c : tabList_) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  Integer count = static_cast<Integer>(list.size());
  Integer start = -1;
  for (Integer i = 0; i < count; ++i)
    if (list[static_cast<size_t>(i)] == current) start = i;
  if (start < 0) start = goForward ? count - 1 : 0;
  Integer i = start;
  for (Integer n = 0; n < count; ++n) {
    i = goForward ? (i + 1) % count : (i - 1 + count) % count;
    TWinControl* c = list[static_cast<size_t>(i)];
    if (c == current) break;
    if (!c->CanFocus()) continue;
    if (checkTabStop && !c->tabStop_) continue;
    if (checkParent && c->parent_ != this) continue;
    // A container that takes no focus itself passes it on to its children.
    if (c->controlStyle_.Contains(csAcceptsControls) && !c->tabStop_ && !c->tabList_.empty()) continue;
    return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
  TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop);
  if (next) next->SetFocus();
}

void TWinControl::WMSetFocus(TWMSetFocus& message) {
  TCustomForm* form = GetParentForm(this);
  if (form && !form->SetFocusedControl(this)) return;
  DefaultHandler(reinterpret_cast<TMessage&>(message));
}

void TWinControl::WMKillFocus(TWMKillFocus& message) { DefaultHandler(reinterpret_cast<TMessage&>(message)); }

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::CMEnter(TCMEnter&) { DoEnter(); }
void TWinControl::CMExit(TCMExit&) { DoExit(); }

// ---- Keys ----

void TWinControl::KeyDown(Word& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(Word& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(Char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

bool TWinControl::DoKeyDown(TWMKey& message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->keyPreview_ && form->DoKeyDown(message)) return true;
  if (!controlStyle_.Contains(csNoStdEvents)) {
    TShiftState shift = KeyDataToShiftState(message.KeyData);
    KeyDown(message.CharCode, shift);
    if (message.CharCode == 0) return true;
  }
  return false;
}

bool TWinControl::DoKeyUp(TWMKey& message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->keyPreview_ && form->DoKeyUp(message)) return true;
  if (!controlStyle_.Contains(csNoStdEvents)) {
    KeyUp(message.CharCode, KeyDataToShiftState(message.KeyData));
    if (message.CharCode == 0) return true;
  }
  return false;
}

bool TWinControl::DoKeyPress(TWMKey& message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->keyPreview_ && form->DoKeyPress(message)) return true;
  if (!controlStyle_.Contains(csNoStdEvents)) {
    Char ch = static_cast<Char>(message.CharCode);
    KeyPress(ch);
    message.CharCode = ch;
    if (ch == 0) return true;
  }
  return false;
}

void TWinControl::WMKeyDown(TWMKeyDown& message) {
  if (!DoKeyDown(message)) DefaultHandler(reinterpret_cast<TMessage&>(message));
}

void TWinControl::WMSysKeyDown(TWMKeyDown& message) {
  if (!DoKeyDown(message)) DefaultHandler(reinterpret_cast<TMessage&>(message));
}

void TWinControl::WMKeyUp(TWMKeyUp& message) {
  if (!DoKeyUp(message)) DefaultHandler(reinterpret_cast<TMessage&>(message));
}

void TWinControl::WMSysKeyUp(TWMKeyUp& message) {
  if (!DoKeyUp(message)) DefaultHandler(reinterpret_cast<TMessage&>(message));
}

void TWinControl::WMChar(TWMChar& message) {
  if (!DoKeyPress(message)) DefaultHandler(reinterpret_cast<TMessage&>(message));
}

void TWinControl::WMGetDlgCode(TWMGetDlgCode& message) {
  DefaultHandler(reinterpret_cast<TMessage&>(message));
}

bool TWinControl::IsDialogKey(TWMKey& message) {
  if (Perform(CM_CHILDKEY, message.CharCode, reinterpret_cast<LPARAM>(this)) != 0) return true;
  Integer mask = 0;
  switch (message.CharCode) {
    case VK_TAB:
      mask = DLGC_WANTTAB;
      break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      mask = DLGC_WANTARROWS;
      break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL:
      mask = DLGC_WANTALLKEYS;
      break;
    default:
      break;
  }
  if (mask == 0) return false;
  if (Perform(CM_WANTSPECIALKEY, message.CharCode, message.KeyData) != 0) return false;
  if (Perform(WM_GETDLGCODE) & mask) return false;
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  TMessage& m = reinterpret_cast<TMessage&>(message);
  return form->Perform(CM_DIALOGKEY, m.WParam, m.LParam) != 0;
}

void TWinControl::CMChildKey(TCMChildKey& message) {
  if (parent_) {
    TMessage& m = reinterpret_cast<TMessage&>(message);
    message.Result = parent_->Perform(CM_CHILDKEY, m.WParam, m.LParam);
  }
}

void TWinControl::CMDialogKey(TCMDialogKey& message) { Broadcast(reinterpret_cast<TMessage&>(message)); }
void TWinControl::CMDialogChar(TCMDialogChar& message) { Broadcast(reinterpret_cast<TMessage&>(message)); }

void TWinControl::WMSetCursor(TWMSetCursor& message) {
  if (message.CursorWnd == (host_ ? host_->Handle() : nullptr) && Screen &&
      Screen->GetCursor() == crDefault) {
    TCursor cursor = cursor_;
    TPoint p = ScreenToClient(Mouse->GetCursorPos());
    if (TControl* c = ControlAtPos(p, false)) cursor = c->cursor_;
    if (cursor != crDefault && host_) {
      host_->Widget()->setCursor(CursorToQCursor(cursor));
      message.Result = 1;
      return;
    }
  }
  DefaultHandler(reinterpret_cast<TMessage&>(message));
}

void TWinControl::WMContextMenu(TWMContextMenu& message) { TControl::WMContextMenu(message); }

void TWinControl::WMCommand(TWMCommand& message) {
  // Notifications come back to the control that sent them, as the class library reflects them.
  if (TWinControl* sender = FindControl(message.Ctl); sender && sender != this) {
    TMessage& m = reinterpret_cast<TMessage&>(message);
    message.Result = sender->Perform(CN_COMMAND, m.WParam, m.LParam);
    return;
  }
  DefaultHandler(reinterpret_cast<TMessage&>(message));
}

// ---- Painting ----

void TWinControl::Invalidate() {
  if (host_) host_->Widget()->update();
}

void TWinControl::InvalidateRect(const TRect& rect) {
  if (!host_) return;
  QPoint o = host_->ClientOffset();
  host_->Widget()->update(ToQRect(rect).translated(o));
}

void TWinControl::Update() {
  if (host_ && host_->Widget()->isVisible()) host_->Widget()->repaint();
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::WMPaint(TWMPaint& message) { PaintHandler(message); }

void TWinControl::PaintHandler(TWMPaint& message) {
  HDC dc = message.DC;
  if (!dc) return;
  PaintWindow(dc);
  PaintControls(dc, nullptr);
}

void TWinControl::PaintWindow(HDC dc) {
  TMessage m;
  m.Msg = WM_PAINT;
  m.WParam = reinterpret_cast<WPARAM>(dc);
  DefaultHandler(m);
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
  bool started = first == nullptr;
  for (TControl* c : controls_) {
    if (!started) {
      started = c == first;
      if (!started) continue;
    }
    if (dynamic_cast<TWinControl*>(c) || !c->visible_) continue;
    Integer saved = SaveDC(dc);
    TPoint old;
    OffsetViewportOrgEx(dc, c->left_, c->top_, &old);
    IntersectClipRect(dc, 0, 0, c->width_, c->height_);
    TCanvas canvas;
    canvas.SetHandle(dc);
    auto restore = MakeScopeExit([&] {
      canvas.SetHandle(nullptr);
      RestoreDC(dc, saved);
    });
    c->PaintOnParent(&canvas);
  }
}

void TWinControl::WMEraseBkgnd(TWMEraseBkgnd& message) {
  HDC dc = message.DC;
  if (!dc) return;
  TCanvas canvas;
  canvas.SetHandle(dc);
  canvas.GetBrush()->Assign(brush_.get());
  canvas.FillRect(GetClientRect());
  canvas.SetHandle(nullptr);
  message.Result = 1;
}

void TWinControl::PaintTo(TCanvas* canvas, Integer x, Integer y) { PaintTo(canvas->GetHandle(), x, y); }

void TWinControl::PaintTo(HDC dc, Integer x, Integer y) {
  HandleNeeded();
  QPainter* painter = gdi::Painter(dc);
  if (!painter) return;
  painter->save();
  painter->setTransform(gdi::PainterTransform(dc));
  painter->translate(x, y);
  host_->PaintInto(*painter, true);
  painter->restore();
  gdi::InvalidatePainterState(dc);
}

// ---- TCustomControl ----

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {
  canvas_ = std::make_unique<TCanvas>();
}

TCustomControl::~TCustomControl() {
  Destroying();
  DestroyComponents();
}

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow(HDC dc) {
  canvas_->Lock();
  canvas_->SetHandle(dc);
  canvas_->GetFont()->Assign(font_.get());
  canvas_->GetBrush()->Assign(brush_.get());
  auto restore = MakeScopeExit([&] {
    controlState_ >> csCustomPaint;
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
  });
  controlState_ << csCustomPaint;
  Paint();
}

// ---- TGraphicControl ----

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {
  canvas_ = std::make_unique<TCanvas>();
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Paint() {}

void TGraphicControl::PaintOnParent(TCanvas* parentCanvas) {
  canvas_->Lock();
  canvas_->SetHandle(parentCanvas->GetHandle());
  canvas_->GetFont()->Assign(font_.get());
  auto restore = MakeScopeExit([&] {
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
  });
  Paint();
}

void TGraphicControl::Dispatch(TMessage& message) {
  if (message.Msg == WM_PAINT) {
    if (auto dc = reinterpret_cast<HDC>(message.WParam)) {
      TCanvas canvas;
      canvas.SetHandle(dc);
      PaintOnParent(&canvas);
      canvas.SetHandle(nullptr);
    }
    return;
  }
  TControl::Dispatch(message);
}

// ---- Functions over controls ----

TCustomForm* GetParentForm(const TControl* control, bool topForm) {
  const TControl* c = control;
  const TCustomForm* found = nullptr;
  while (c) {
    if (auto* f = dynamic_cast<const TCustomForm*>(c)) {
      found = f;
      if (!topForm) break;
    }
    c = c->GetParent();
  }
  return const_cast<TCustomForm*>(found);
}

TCustomForm* ValidParentForm(const TControl* control, bool topForm) {
  TCustomForm* form = GetParentForm(control, topForm);
  if (!form) throw EInvalidOperation(Format(u"Control '%s' has no parent window", {control->GetName()}));
  return form;
}

bool IsAccel(Word vk, const String& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != u'&') continue;
    if (caption[i + 1] == u'&') {
      ++i;
      continue;
    }
    String a = AnsiUpperCase(String(1, caption[i + 1]));
    String b = AnsiUpperCase(String(1, static_cast<Char>(vk)));
    return a == b;
  }
  return false;
}
