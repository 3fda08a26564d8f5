// Forms, data modules, the screen and the application: top-level windows with their form resources,
// show/hide/close and modal loops, focus within a form and its dialog keys, placement on monitors,
// the main loop, exceptions, message boxes and hints.
#include "platform/controls/Forms.h"

#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDialog>
#include <QFontDatabase>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>

#include "platform/classes/FormResources.h"
#include "platform/classes/StringList.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Images.h"
#include "platform/graphics/private/CanvasQt.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);
TClass HintWindowClass = THintWindow::StaticClass();

namespace {
TMessageBoxHandler& MessageBoxHandler() {
  static TMessageBoxHandler handler;
  return handler;
}

const TTypeInfo* FormBorderStyleType() {
  static const TTypeInfo t = TTypeInfo::Enum(
      u"TFormBorderStyle",
      {u"bsNone", u"bsSingle", u"bsSizeable", u"bsDialog", u"bsToolWindow", u"bsSizeToolWin"});
  return &t;
}
const TTypeInfo* BorderIconsType() {
  static const TTypeInfo e =
      TTypeInfo::Enum(u"TBorderIcon", {u"biSystemMenu", u"biMinimize", u"biMaximize", u"biHelp"});
  static const TTypeInfo t = TTypeInfo::Set(u"TBorderIcons", &e);
  return &t;
}
const TTypeInfo* FormStyleType() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TFormStyle", {u"fsNormal", u"fsMDIChild", u"fsMDIForm", u"fsStayOnTop"});
  return &t;
}
const TTypeInfo* PositionType() {
  static const TTypeInfo t = TTypeInfo::Enum(
      u"TPosition", {u"poDesigned", u"poDefault", u"poDefaultPosOnly", u"poDefaultSizeOnly",
                     u"poScreenCenter", u"poDesktopCenter", u"poMainFormCenter", u"poOwnerFormCenter"});
  return &t;
}
const TTypeInfo* WindowStateType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TWindowState", {u"wsNormal", u"wsMinimized", u"wsMaximized"});
  return &t;
}
const TTypeInfo* DefaultMonitorType() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TDefaultMonitor", {u"dmDesktop", u"dmPrimary", u"dmMainForm", u"dmActiveForm"});
  return &t;
}
}  // namespace

void SetMessageBoxHandler(TMessageBoxHandler handler) { MessageBoxHandler() = std::move(handler); }
const TMessageBoxHandler& GetMessageBoxHandler() { return MessageBoxHandler(); }

String GetShortHint(const String& hint) {
  size_t bar = hint.find(u'|');
  return bar == String::npos ? hint : hint.substr(0, bar);
}

String GetLongHint(const String& hint) {
  size_t bar = hint.find(u'|');
  return bar == String::npos ? hint : hint.substr(bar + 1);
}

// ---- TMonitor ----

static QScreen* ScreenOf(HMONITOR handle) {
  for (QScreen* s : QGuiApplication::screens())
    if (s == handle) return s;
  return QGuiApplication::primaryScreen();
}

TRect TMonitor::GetBoundsRect() const {
  QScreen* s = qApp ? ScreenOf(handle_) : nullptr;
  return s ? FromQRect(s->geometry()) : TRect(0, 0, 1024, 768);
}

TRect TMonitor::GetWorkareaRect() const {
  QScreen* s = qApp ? ScreenOf(handle_) : nullptr;
  return s ? FromQRect(s->availableGeometry()) : TRect(0, 0, 1024, 768);
}

// ---- TScrollingWinControl ----

TScrollingWinControl::TScrollingWinControl(TComponent* owner) : TWinControl(owner) {}

// ---- TCustomForm ----

void TCustomForm::Published(TPropBuilder<TCustomForm>& p) {
  p.Enum(u"BorderStyle", FormBorderStyleType(), &TCustomForm::GetBorderStyle, &TCustomForm::SetBorderStyle)
      .Default(bsSizeable);
  p.Set(u"BorderIcons", BorderIconsType(), &TCustomForm::GetBorderIcons, &TCustomForm::SetBorderIcons)
      .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
  p.Enum(u"FormStyle", FormStyleType(), &TCustomForm::GetFormStyle, &TCustomForm::SetFormStyle)
      .Default(fsNormal);
  p.Enum(u"Position", PositionType(), &TCustomForm::GetPosition, &TCustomForm::SetPosition)
      .Default(poDefaultPosOnly);
  p.Enum(u"WindowState", WindowStateType(), &TCustomForm::GetWindowState, &TCustomForm::SetWindowState)
      .Default(wsNormal);
  p.Enum(u"DefaultMonitor", DefaultMonitorType(), &TCustomForm::GetDefaultMonitor,
         &TCustomForm::SetDefaultMonitor)
      .Default(dmActiveForm);
  p.Bool(u"AlphaBlend", &TCustomForm::GetAlphaBlend, &TCustomForm::SetAlphaBlend).Default(false);
  p.Int(u"AlphaBlendValue", &TCustomForm::GetAlphaBlendValue, &TCustomForm::SetAlphaBlendValue).Default(255);
  p.Bool(u"TransparentColor", &TCustomForm::GetTransparentColor, &TCustomForm::SetTransparentColor)
      .Default(false);
  p.IntIdent(u"TransparentColorValue", TypeInfoColor(), &TCustomForm::GetTransparentColorValue,
             &TCustomForm::SetTransparentColorValue)
      .Default(0);
  p.Bool(u"KeyPreview", &TCustomForm::GetKeyPreview, &TCustomForm::SetKeyPreview).Default(false);
  p.Object(u"ActiveControl", &TCustomForm::GetActiveControl, &TCustomForm::SetActiveControl);
  p.Object(u"Menu", &TCustomForm::GetMenu, &TCustomForm::SetMenu);
  p.Bool(u"Scaled", &TCustomForm::GetScaled, &TCustomForm::SetScaled).Default(true);
  p.Int(u"PixelsPerInch", &TCustomForm::GetPixelsPerInch, &TCustomForm::SetPixelsPerInch).NoDefault();
  p.Int(
       u"TextHeight", [](const TCustomForm*) { return 13; }, [](TCustomForm*, Integer) {})
      .Stored(false);
  p.Bool(
       u"OldCreateOrder", [](const TCustomForm*) { return false; }, [](TCustomForm*, bool) {})
      .Stored(false);
  p.Event(u"OnCreate", &TCustomForm::OnCreate);
  p.Event(u"OnDestroy", &TCustomForm::OnDestroy);
  p.Event(u"OnShow", &TCustomForm::OnShow);
  p.Event(u"OnHide", &TCustomForm::OnHide);
  p.Event(u"OnActivate", &TCustomForm::OnActivate);
  p.Event(u"OnDeactivate", &TCustomForm::OnDeactivate);
  p.Event(u"OnPaint", &TCustomForm::OnPaint);
  p.Event(u"OnClose", &TCustomForm::OnClose, u"TCloseEvent");
  p.Event(u"OnCloseQuery", &TCustomForm::OnCloseQuery, u"TCloseQueryEvent");
}

TCustomForm::TCustomForm(TComponent* owner) : TScrollingWinControl(owner) { InitForm(true); }

TCustomForm::TCustomForm(TComponent* owner, Integer) : TScrollingWinControl(owner) { InitForm(false); }

void TCustomForm::InitForm(bool readResource) {
  readResource_ = readResource;
  visible_ = false;
  controlStyle_ = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  left_ = 0;
  top_ = 0;
  width_ = 320;
  height_ = 240;
  color_ = clBtnFace;
  brush_->SetColor(color_);
  parentFont_ = false;
  canvas_ = std::make_unique<TCanvas>();
  formState_ << fsCreating;
  Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  Destroying();
  if (created_) RunReportingFailure(this, [this] { DoDestroy(); });
  if (Application->mainForm_ == this) Application->mainForm_ = nullptr;
  Screen->RemoveForm(this);
  // The components live as long as the window: free them while the form is still a form.
  DestroyComponents();
}

void TCustomForm::AfterConstruction() {
  if (created_) return;
  created_ = true;
  if (readResource_) {
    TClass cls = ClassType();
    bool found = InitInheritedComponent(this, TForm::StaticClass());
    if (!found && cls != TForm::StaticClass() && cls != TCustomForm::StaticClass())
      throw EResNotFound(Format(u"Resource %s not found", {cls->ClassName()}));
  }
  formState_ >> fsCreating;
  DoCreate();
}

namespace {

// A root streams what it owns that no parent writes (data sources, datasets, menus), so that a
// reference to them reads back.
void GetOwnedWithoutParent(TComponent* self, const TGetChildProc& proc, TComponent* root) {
  if (root != self) return;
  for (int i = 0; i < self->GetComponentCount(); ++i) {
    TComponent* owned = self->GetComponent(i);
    // A sub-component is written inside the properties of the component that holds it.
    if (!owned->HasParent() && !owned->GetComponentStyle().Contains(csSubComponent)) proc(owned);
  }
}

}  // namespace

void TCustomForm::GetChildren(const TGetChildProc& proc, TComponent* root) {
  GetOwnedWithoutParent(this, proc, root);
  TScrollingWinControl::GetChildren(proc, root);
}

void TCustomForm::Loaded() {
  TScrollingWinControl::Loaded();
  if (activeControl_) FreeNotification(activeControl_);
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
  if (!visible_) return;
  // A form stored as visible is only marked so while it loads; it shows now, with its events assigned.
  if (!host_ || !host_->Widget()->isVisible()) visible_ = false;
  Show();
}

void TCustomForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::SetTextValue(const String& value) {
  text_ = value;
  if (host_) host_->Widget()->setWindowTitle(ToQString(value));
}

void TCustomForm::CreateParams(TCreateParams& params) {
  TScrollingWinControl::CreateParams(params);
  params.Style &= ~(WS_CHILD | WS_TABSTOP);
  params.WndParent = nullptr;
  switch (borderStyle_) {
    case bsNone:
      params.Style |= WS_POPUP;
      break;
    case bsSingle:
    case bsToolWindow:
      params.Style |= WS_CAPTION | WS_BORDER;
      break;
    case bsSizeable:
    case bsSizeToolWin:
      params.Style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case bsDialog:
      params.Style |= WS_POPUP | WS_CAPTION;
      params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
  }
  if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) params.ExStyle |= WS_EX_TOOLWINDOW;
  if (formStyle_ == fsStayOnTop) params.ExStyle |= WS_EX_TOPMOST;
  if (noActivate_) params.ExStyle |= WS_EX_NOACTIVATE;
  if (borderIcons_.Contains(biSystemMenu)) params.Style |= WS_SYSMENU;
  if (borderIcons_.Contains(biMinimize)) params.Style |= WS_MINIMIZEBOX;
  if (borderIcons_.Contains(biMaximize)) params.Style |= WS_MAXIMIZEBOX;
}

QWidget* TCustomForm::CreateQtWidget(const TCreateParams& params) {
  auto* w = new TControlWidget(this, nullptr, Qt::Window);
  (void)params;
  return w;
}

void TCustomForm::ApplyWindowFlags() {
  if (!host_) return;
  QWidget* w = host_->Widget();
  Qt::WindowFlags flags = Qt::Window;
  switch (borderStyle_) {
    case bsNone:
      flags = Qt::Window | Qt::FramelessWindowHint;
      break;
    case bsDialog:
      flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
      break;
    case bsToolWindow:
    case bsSizeToolWin:
      flags = Qt::Tool;
      break;
    default:
      flags = Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint;
      if (borderIcons_.Contains(biSystemMenu)) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
      if (borderIcons_.Contains(biMinimize)) flags |= Qt::WindowMinimizeButtonHint;
      if (borderIcons_.Contains(biMaximize)) flags |= Qt::WindowMaximizeButtonHint;
      break;
  }
  // A tool-tip window is the kind every platform shows without activating it.
  if (noActivate_) flags = Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
  if (formStyle_ == fsStayOnTop) flags |= Qt::WindowStaysOnTopHint;
  bool visible = w->isVisible();
  if (w->windowFlags() != flags) {
    w->setWindowFlags(flags);
    if (visible) w->show();
  }
  w->setAttribute(Qt::WA_ShowWithoutActivating, noActivate_);
  // Only a sizeable border may be resized: a fixed size also takes the window manager's resize handle
  // and maximise box away. A borderless window has neither, and its owner sizes it (drop-downs, grips).
  if (borderStyle_ == bsSizeable || borderStyle_ == bsSizeToolWin || borderStyle_ == bsNone) {
    w->setMinimumSize(0, 0);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  } else {
    w->setFixedSize(width_, height_);
  }
  w->setWindowOpacity(alphaBlend_ ? alphaBlendValue_ / 255.0 : 1.0);
}

TIcon* TCustomForm::GetIcon() {
  if (!icon_) {
    icon_ = std::make_unique<TIcon>();
    icon_->OnChange = [this](TObject*) { ApplyIcon(); };
  }
  return icon_.get();
}

void TCustomForm::SetIcon(TIcon* value) { GetIcon()->Assign(value); }

void TCustomForm::ApplyIcon() {
  if (!host_) return;
  QIcon icon;
  if (icon_ && !icon_->GetEmpty()) icon = QIcon(QPixmap::fromImage(BitmapImage(icon_->GetBitmap())));
  host_->Widget()->setWindowIcon(icon);
}

void TCustomForm::InitQtWidget(QWidget* widget) {
  TScrollingWinControl::InitQtWidget(widget);
  widget->setFocusPolicy(Qt::NoFocus);
  widget->setWindowTitle(ToQString(text_));
  ApplyWindowFlags();
  if (icon_) ApplyIcon();
  if (menu_ && MenuHooks().SetFormMenu) MenuHooks().SetFormMenu(this, menu_);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
  if (borderStyle_ == value) return;
  borderStyle_ = value;
  ApplyWindowFlags();
}

void TCustomForm::SetBorderIcons(TBorderIcons value) {
  if (borderIcons_ == value) return;
  borderIcons_ = value;
  ApplyWindowFlags();
}

void TCustomForm::SetFormStyle(TFormStyle value) {
  if (formStyle_ == value) return;
  formStyle_ = value;
  ApplyWindowFlags();
}

void TCustomForm::SetAlphaBlend(bool value) {
  alphaBlend_ = value;
  ApplyWindowFlags();
}

void TCustomForm::SetAlphaBlendValue(Byte value) {
  alphaBlendValue_ = value;
  ApplyWindowFlags();
}

TWindowState TCustomForm::GetWindowState() const {
  if (host_) {
    Qt::WindowStates s = host_->Widget()->windowState();
    if (s & Qt::WindowMinimized) return wsMinimized;
    if (s & Qt::WindowMaximized) return wsMaximized;
  }
  return windowState_;
}

void TCustomForm::SetWindowState(TWindowState value) {
  windowState_ = value;
  if (!host_ || !host_->Widget()->isVisible()) return;
  QWidget* w = host_->Widget();
  switch (value) {
    case wsMinimized:
      w->showMinimized();
      break;
    case wsMaximized:
      w->showMaximized();
      break;
    default:
      w->showNormal();
      break;
  }
}

void TCustomForm::SetMenu(TMainMenu* value) {
  if (menu_ == value) return;
  menu_ = value;
  if (value) FreeNotification(reinterpret_cast<TComponent*>(value));
  if (host_ && MenuHooks().SetFormMenu) MenuHooks().SetFormMenu(this, value);
}

void SetFormMenuWidget(TCustomForm* form, QWidget* menuBar) {
  form->HandleNeeded();
  TWinControlHost* host = FindHost(form->GetHandle());
  if (host) host->SetTopBar(menuBar);
}

TMonitor* TCustomForm::GetMonitor() const { return Screen->MonitorFromRect(GetBoundsRect()); }

void TCustomForm::MakeFullyVisible(TMonitor* monitor) {
  TRect work = monitor ? monitor->GetWorkareaRect() : Screen->WorkAreaOfRect(GetBoundsRect());
  Integer l = left_, t = top_;
  if (l + width_ > work.Right) l = work.Right - width_;
  if (t + height_ > work.Bottom) t = work.Bottom - height_;
  if (l < work.Left) l = work.Left;
  if (t < work.Top) t = work.Top;
  SetBounds(l, t, width_, height_);
}

void TCustomForm::PlaceOnScreen() {
  auto centreOn = [this](const TRect& r) {
    SetBounds(r.Left + (r.Width() - width_) / 2, r.Top + (r.Height() - height_) / 2, width_, height_);
  };
  TCustomForm* main = Application->GetMainForm();
  switch (position_) {
    case poScreenCenter:
      centreOn(Screen->GetWorkAreaRect());
      break;
    case poDesktopCenter:
      centreOn(Screen->GetDesktopRect());
      break;
    case poMainFormCenter:
      if (main && main != this && main->GetShowing())
        centreOn(main->GetBoundsRect());
      else
        centreOn(Screen->GetWorkAreaRect());
      break;
    case poOwnerFormCenter: {
      auto* owner = dynamic_cast<TCustomForm*>(GetOwner());
      if (!owner || owner == this || !owner->GetShowing()) owner = main != this ? main : nullptr;
      if (owner && owner->GetShowing())
        centreOn(owner->GetBoundsRect());
      else
        centreOn(Screen->GetWorkAreaRect());
      break;
    }
    default:
      break;
  }
  MakeFullyVisible();
}

// ---- Showing ----

void TCustomForm::Show() {
  if (!created_) AfterConstruction();
  noActivate_ = false;
  ApplyWindowFlags();
  SetVisible(true);
  BringToFront();
}

void TCustomForm::ShowNoActivate() {
  if (!created_) AfterConstruction();
  noActivate_ = true;
  HandleNeeded();
  ApplyWindowFlags();
  SetVisible(true);
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::BringToFront() {
  if (host_ && host_->Widget()->isVisible()) RaiseWidget(host_->Widget());
}

void TCustomForm::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_DIALOGKEY:
      CMDialogKey(reinterpret_cast<TCMDialogKey&>(m));
      return;
    case CM_DIALOGCHAR:
      CMDialogChar(reinterpret_cast<TCMDialogChar&>(m));
      return;
    case CM_ACTIVATE:
      CMActivate(m);
      return;
    case CM_DEACTIVATE:
      CMDeactivate(m);
      return;
    case CM_RELEASE:
      CMRelease(m);
      return;
    case WM_CLOSE:
      WMClose(m);
      return;
    case WM_ACTIVATE:
      WMActivate(reinterpret_cast<TWMActivate&>(m));
      return;
    case CM_VISIBLECHANGED:
      if (formState_.Contains(fsCreating) && GetComponentState().Contains(csLoading)) return;
      CMShowingChanged(m);
      return;
    case CM_SHOWINGCHANGED:
      return;
    default:
      TScrollingWinControl::Dispatch(m);
  }
}

void TCustomForm::CMShowingChanged(TMessage&) {
  if (visible_) {
    HandleNeeded();
    if (!everShown_) {
      everShown_ = true;
      PlaceOnScreen();
    }
    formState_ << fsShowing;
    {
      auto restore = MakeScopeExit([&] { formState_ >> fsShowing; });
      DoShow();
    }
    if (!visible_) return;  // OnShow hid it again
    QWidget* w = host_->Widget();
    SyncWidgetGeometry();
    switch (windowState_) {
      case wsMinimized:
        w->showMinimized();
        break;
      case wsMaximized:
        w->showMaximized();
        break;
      default:
        w->show();
        break;
    }
    UpdateShowing();
    if (!noActivate_) {
      w->activateWindow();
      QApplication::setActiveWindow(w);
      SetActive(true);
      SetWindowFocus();
    }
  } else {
    if (host_) {
      DoHide();
      if (Screen->activeForm_ == this) SetActive(false);
      host_->Widget()->hide();
      UpdateShowing();
    }
  }
}

void TCustomForm::SetWindowFocus() {
  if (!host_) return;
  TWinControl* target = activeControl_;
  if (!target || !target->CanFocus()) target = FindNextControl(nullptr, true, true, false);
  if (target && target->CanFocus()) {
    activeControl_ = target;
    ::SetFocus(target->GetHandle());
  }
}

void TCustomForm::SetFocus() {
  if (!visible_ || !enabled_) throw EInvalidOperation(u"Cannot focus a disabled or invisible window");
  HandleNeeded();
  QWidget* w = host_->Widget();
  w->activateWindow();
  QApplication::setActiveWindow(w);
  SetActive(true);
  SetWindowFocus();
}

void TCustomForm::SetActive(bool active) {
  if (active_ == active) return;
  active_ = active;
  if (active) {
    if (Screen->activeForm_ && Screen->activeForm_ != this) Screen->activeForm_->SetActive(false);
    Screen->activeForm_ = this;
    if (Screen->OnActiveFormChange) Screen->OnActiveFormChange(Screen);
    Perform(CM_ACTIVATE);
  } else {
    Perform(CM_DEACTIVATE);
  }
}

void TCustomForm::WMActivate(TWMActivate& message) {
  bool active = message.Active != WA_INACTIVE;
  if (active && !noActivate_) {
    // While a modal form runs, the others stay inactive.
    for (TCustomForm* f : Screen->forms_)
      if (f != this && f->IsModal() && f->GetShowing()) return;
    SetActive(true);
    SetWindowFocus();
  } else if (!active && Screen->activeForm_ == this) {
    if (QApplication::activeWindow() == nullptr) return;  // the application lost the focus, not the form
    SetActive(false);
  }
}

void TCustomForm::CMActivate(TMessage&) { Activate(); }
void TCustomForm::CMDeactivate(TMessage&) { Deactivate(); }

void TCustomForm::SetModalResult(TModalResult value) {
  modalResult_ = value;
  if (value != mrNone && IsModal()) Application->WakeModalLoops();
}

void TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    DoClose(action);
  }
  modalCloseAction_ = action;
  if (action == caNone) modalResult_ = mrNone;
}

TModalResult TCustomForm::ShowModal() {
  if (!created_) AfterConstruction();
  if (visible_ || !enabled_ || IsModal() || formStyle_ == fsMDIChild)
    throw EInvalidOperation(u"Cannot make a visible window modal");
  CancelDrag();
  ReleaseCapture();
  Application->CancelHint();
  TCustomForm* previous = Screen->activeForm_;
  formState_ << fsModal;
  modalResult_ = mrNone;
  modalCloseAction_ = caNone;
  HandleNeeded();
  host_->Widget()->setWindowModality(Qt::ApplicationModal);
  TModalResult result = mrNone;
  auto finish = [&] {
    formState_ >> fsModal;
    if (visible_) Hide();
    // Only after hiding: Qt forgets a modal window when it hides while still modal, and a window
    // left in its modal list dangles once the form is freed.
    if (host_) host_->Widget()->setWindowModality(Qt::NonModal);
    auto& forms = Screen->forms_;
    if (previous && previous != this && std::find(forms.begin(), forms.end(), previous) != forms.end() &&
        previous->GetShowing()) {
      if (previous->host_) {
        previous->host_->Widget()->activateWindow();
        QApplication::setActiveWindow(previous->host_->Widget());
      }
      previous->SetActive(true);
      previous->SetWindowFocus();
    }
  };
  // finish() gives the activation back to the previous form, whose events may raise.
  TryFinally(
      [&] {
        if (previous && previous != this) previous->SetActive(false);
        Show();
        Application->RunModalLoop([this] {
          if (modalResult_ != mrNone) CloseModal();
          if (!visible_ && modalResult_ == mrNone) modalResult_ = mrCancel;
          return modalResult_ != mrNone;
        });
        if (modalResult_ == mrNone) modalResult_ = mrCancel;  // the application terminated
        result = modalResult_;
      },
      [&] { finish(); });
  if (modalCloseAction_ == caFree) Release();
  return result;
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (IsModal()) {
    SetModalResult(mrCancel);
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application->GetMainForm() == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case caHide:
      Hide();
      break;
    case caMinimize:
      SetWindowState(wsMinimized);
      break;
    default:
      Release();
      break;
  }
}

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::Release() {
  if (releasing_) return;
  releasing_ = true;
  HandleNeeded();
  PostMessage(GetHandle(), CM_RELEASE, 0, 0);
}

void TCustomForm::CMRelease(TMessage&) { delete this; }

// ---- Focus ----

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (activeControl_ == control) return;
  if (control && !GetComponentState().Contains(csLoading)) {
    if (control == this || GetParentForm(control, false) != this || (GetShowing() && !control->CanFocus()))
      throw EInvalidOperation(u"Cannot focus a disabled or invisible window");
  }
  activeControl_ = control;
  if (control) FreeNotification(control);
  if (!GetComponentState().Contains(csLoading) && active_ && control && GetShowing())
    ::SetFocus(control->GetHandle());
}

void TCustomForm::FocusControl(TWinControl* control) {
  bool wasActive = active_;
  SetActiveControl(control);
  if (!wasActive && GetShowing()) SetFocus();
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing) {
  if (removing && focusedControl_ && control->ContainsControl(focusedControl_))
    focusedControl_ = control->GetParent();
  if (activeControl_ && control->ContainsControl(activeControl_)) activeControl_ = nullptr;
}

bool TCustomForm::SetFocusedControl(TWinControl* control) {
  if (!control) return false;
  if (control != this) activeControl_ = control;
  Screen->activeControl_ = control;
  Screen->activeForm_ = this;
  if (control->GetControlState().Contains(csFocusing)) return false;
  control->controlState_ << csFocusing;
  auto stillFocused = [control] { return Screen->activeControl_ == control; };
  bool ok = true;
  {
    auto restore = MakeScopeExit([&] { control->controlState_ >> csFocusing; });
    if (!focusedControl_) focusedControl_ = this;
    if (focusedControl_ != control) {
      // CM_EXIT up to the common parent, CM_ENTER down to the new control.
      while (focusedControl_ && !focusedControl_->ContainsControl(control)) {
        TWinControl* leaving = focusedControl_;
        focusedControl_ = leaving->GetParent();
        leaving->Perform(CM_EXIT);
        if (!stillFocused()) {
          ok = false;
          break;
        }
      }
      while (ok && focusedControl_ != control) {
        TWinControl* entering = control;
        while (entering->GetParent() != focusedControl_) entering = entering->GetParent();
        focusedControl_ = entering;
        entering->Perform(CM_ENTER);
        if (!stillFocused()) ok = false;
      }
    }
  }
  if (!ok) return false;
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
  if (Screen->OnActiveControlChange) Screen->OnActiveControlChange(Screen);
  return true;
}

bool TCustomForm::IsShortCut(TWMKey& message) {
  bool handled = false;
  if (OnShortCut) OnShortCut(message, handled);
  if (!handled && MenuHooks().IsShortCut) handled = MenuHooks().IsShortCut(this, message);
  return handled;
}

void TCustomForm::CMDialogKey(TCMDialogKey& message) {
  if (GetKeyState(VK_MENU) >= 0) {
    switch (message.CharCode) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
          message.Result = 1;
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (activeControl_ && activeControl_->GetParent()) {
          activeControl_->GetParent()->SelectNext(
              activeControl_, message.CharCode == VK_RIGHT || message.CharCode == VK_DOWN, false);
          message.Result = 1;
        }
        return;
      default:
        break;
    }
  }
  TScrollingWinControl::CMDialogKey(message);
}

void TCustomForm::CMDialogChar(TCMDialogChar& message) { TScrollingWinControl::CMDialogChar(message); }

// ---- Painting ----

void TCustomForm::PaintWindow(HDC dc) {
  canvas_->Lock();
  canvas_->SetHandle(dc);
  canvas_->GetFont()->Assign(font_.get());
  canvas_->GetBrush()->Assign(brush_.get());
  auto restore = MakeScopeExit([&] {
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
  });
  Paint();
}

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

TBitmap* TCustomForm::GetFormImage() {
  auto bitmap = std::make_unique<TBitmap>(GetClientWidth(), GetClientHeight());
  PaintTo(bitmap->GetCanvas(), -GetNonClientMargins().Left, -GetNonClientMargins().Top);
  return bitmap.release();
}

// ---- TDataModule ----

void TDataModule::Published(TPropBuilder<TDataModule>& p) {
  p.Int(
       u"Height", [](const TDataModule*) { return 0; }, [](TDataModule*, Integer) {})
      .Stored(false);
  p.Int(
       u"Width", [](const TDataModule*) { return 0; }, [](TDataModule*, Integer) {})
      .Stored(false);
  p.Int(
       u"HorizontalOffset", [](const TDataModule*) { return 0; }, [](TDataModule*, Integer) {})
      .Stored(false);
  p.Int(
       u"VerticalOffset", [](const TDataModule*) { return 0; }, [](TDataModule*, Integer) {})
      .Stored(false);
  p.Int(
       u"PixelsPerInch", [](const TDataModule*) { return 96; }, [](TDataModule*, Integer) {})
      .Stored(false);
  p.Int(
       u"TextHeight", [](const TDataModule*) { return 13; }, [](TDataModule*, Integer) {})
      .Stored(false);
  p.Bool(
       u"OldCreateOrder", [](const TDataModule*) { return false; }, [](TDataModule*, bool) {})
      .Stored(false);
  p.Event(u"OnCreate", &TDataModule::OnCreate);
  p.Event(u"OnDestroy", &TDataModule::OnDestroy);
}

TDataModule::TDataModule(TComponent* owner) : TComponent(owner) { InitModule(true); }
TDataModule::TDataModule(TComponent* owner, Integer) : TComponent(owner) { InitModule(false); }

void TDataModule::InitModule(bool readResource) {
  readResource_ = readResource;
  Screen->AddDataModule(this);
}

void TDataModule::AfterConstruction() {
  if (created_) return;
  created_ = true;
  if (readResource_) {
    TClass cls = ClassType();
    bool found = InitInheritedComponent(this, TDataModule::StaticClass());
    if (!found && cls != TDataModule::StaticClass())
      throw EResNotFound(Format(u"Resource %s not found", {cls->ClassName()}));
  }
  DoCreate();
}

void TDataModule::GetChildren(const TGetChildProc& proc, TComponent* root) {
  GetOwnedWithoutParent(this, proc, root);
}

TDataModule::~TDataModule() {
  Destroying();
  if (created_) RunReportingFailure(this, [this] { DoDestroy(); });
  Screen->RemoveDataModule(this);
  DestroyComponents();
}

void TDataModule::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TDataModule::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

// ---- TScreen ----

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}
TScreen::~TScreen() = default;

static TFont* LazyFont(std::unique_ptr<TFont>& font, TColor color) {
  if (!font) {
    font = std::make_unique<TFont>();
    font->SetColor(color);
  }
  return font.get();
}
TFont* TScreen::GetHintFont() const { return LazyFont(hintFont_, clInfoText); }
TFont* TScreen::GetIconFont() const { return LazyFont(iconFont_, clWindowText); }
TFont* TScreen::GetMenuFont() const { return LazyFont(menuFont_, clMenuText); }
TFont* TScreen::GetMessageFont() const { return LazyFont(messageFont_, clWindowText); }

void TScreen::AddForm(TCustomForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  if (activeForm_ == form) activeForm_ = nullptr;
  if (activeControl_ && GetParentForm(activeControl_, false) == form) activeControl_ = nullptr;
}

void TScreen::AddDataModule(TDataModule* module) { dataModules_.push_back(module); }

void TScreen::RemoveDataModule(TDataModule* module) {
  dataModules_.erase(std::remove(dataModules_.begin(), dataModules_.end(), module), dataModules_.end());
}

TForm* TScreen::GetForm(Integer index) const { return dynamic_cast<TForm*>(GetCustomForm(index)); }

TCustomForm* TScreen::GetCustomForm(Integer index) const {
  if (index < 0 || index >= GetCustomFormCount())
    throw EListError(Format(u"List index out of bounds (%d)", {index}));
  return forms_[static_cast<size_t>(index)];
}

TDataModule* TScreen::GetDataModule(Integer index) const {
  if (index < 0 || index >= GetDataModuleCount())
    throw EListError(Format(u"List index out of bounds (%d)", {index}));
  return dataModules_[static_cast<size_t>(index)];
}

TForm* TScreen::GetActiveForm() const { return dynamic_cast<TForm*>(activeForm_); }

void TScreen::SetCursor(TCursor value) {
  if (cursor_ == value) return;
  TCursor old = cursor_;
  cursor_ = value;
  if (!qApp) return;
  if (old != crDefault) QApplication::restoreOverrideCursor();
  if (value != crDefault) QApplication::setOverrideCursor(CursorToQCursor(value));
}

HCURSOR TScreen::GetCursors(Integer index) const {
  for (const auto& [i, h] : cursors_)
    if (i == index) return h;
  if (index > 0) return nullptr;
  static std::vector<std::pair<Integer, std::unique_ptr<TCursorImage>>> stock;
  for (auto& [i, h] : stock)
    if (i == index) return h.get();
  if (!qApp) return nullptr;
  auto image = std::make_unique<TCursorImage>(TCursorImage{CursorToQCursor(static_cast<TCursor>(index))});
  HCURSOR h = image.get();
  stock.emplace_back(index, std::move(image));
  return h;
}

void TScreen::SetCursors(Integer index, HCURSOR handle) {
  for (auto& [i, h] : cursors_) {
    if (i != index) continue;
    h = handle;
    return;
  }
  cursors_.emplace_back(index, handle);
}

TStrings* TScreen::GetFonts() const {
  if (!fonts_) {
    auto list = std::make_unique<TStringList>();
    if (qApp)
      for (const QString& family : QFontDatabase::families()) list->Add(FromQString(family));
    list->SetSorted(true);
    fonts_ = std::move(list);
  }
  return fonts_.get();
}

static QScreen* Primary() { return qApp ? QGuiApplication::primaryScreen() : nullptr; }

Integer TScreen::GetWidth() const {
  QScreen* s = Primary();
  return s ? s->geometry().width() : 1024;
}

Integer TScreen::GetHeight() const {
  QScreen* s = Primary();
  return s ? s->geometry().height() : 768;
}

TRect TScreen::GetDesktopRect() const {
  if (!qApp) return TRect(0, 0, 1024, 768);
  QRect all;
  for (QScreen* s : QGuiApplication::screens()) all = all.united(s->geometry());
  return FromQRect(all);
}

TRect TScreen::GetWorkAreaRect() const {
  QScreen* s = Primary();
  return s ? FromQRect(s->availableGeometry()) : TRect(0, 0, 1024, 768);
}

void TScreen::UpdateMonitors() const {
  QList<QScreen*> screens = qApp ? QGuiApplication::screens() : QList<QScreen*>();
  bool same = monitors_.size() == static_cast<size_t>(std::max<qsizetype>(1, screens.size()));
  for (size_t i = 0; same && i < monitors_.size() && i < static_cast<size_t>(screens.size()); ++i)
    same = monitors_[i]->GetHandle() == screens[static_cast<qsizetype>(i)];
  if (same && !monitors_.empty()) return;
  monitors_.clear();
  // The primary screen is monitor 0.
  QScreen* primary = Primary();
  if (primary) monitors_.push_back(std::make_unique<TMonitor>(0, primary));
  for (QScreen* s : screens)
    if (s != primary)
      monitors_.push_back(std::make_unique<TMonitor>(static_cast<Integer>(monitors_.size()), s));
  if (monitors_.empty()) monitors_.push_back(std::make_unique<TMonitor>(0, nullptr));
}

Integer TScreen::GetMonitorCount() const {
  UpdateMonitors();
  return static_cast<Integer>(monitors_.size());
}

TMonitor* TScreen::GetMonitor(Integer index) const {
  UpdateMonitors();
  if (index < 0 || index >= static_cast<Integer>(monitors_.size()))
    throw EListError(Format(u"List index out of bounds (%d)", {index}));
  return monitors_[static_cast<size_t>(index)].get();
}

TMonitor* TScreen::MonitorFromRect(const TRect& r, TMonitorDefaultTo fallback) const {
  UpdateMonitors();
  TMonitor* best = nullptr;
  Int64 bestArea = 0;
  for (auto& m : monitors_) {
    TRect i;
    if (!IntersectRect(&i, r, m->GetBoundsRect())) continue;
    Int64 area = static_cast<Int64>(i.Width()) * i.Height();
    if (area > bestArea) {
      bestArea = area;
      best = m.get();
    }
  }
  if (best) return best;
  if (fallback == mdNull) return nullptr;
  if (fallback == mdPrimary) return monitors_.front().get();
  TPoint centre(r.Left + r.Width() / 2, r.Top + r.Height() / 2);
  return MonitorFromPoint(centre, mdNearest);
}

TMonitor* TScreen::MonitorFromPoint(TPoint p, TMonitorDefaultTo fallback) const {
  UpdateMonitors();
  for (auto& m : monitors_)
    if (m->GetBoundsRect().Contains(p)) return m.get();
  if (fallback == mdNull) return nullptr;
  if (fallback == mdPrimary) return monitors_.front().get();
  TMonitor* best = monitors_.front().get();
  Int64 bestDistance = -1;
  for (auto& m : monitors_) {
    TRect b = m->GetBoundsRect();
    Int64 dx = p.X < b.Left ? b.Left - p.X : p.X >= b.Right ? p.X - b.Right + 1 : 0;
    Int64 dy = p.Y < b.Top ? b.Top - p.Y : p.Y >= b.Bottom ? p.Y - b.Bottom + 1 : 0;
    Int64 d = dx * dx + dy * dy;
    if (bestDistance < 0 || d < bestDistance) {
      bestDistance = d;
      best = m.get();
    }
  }
  return best;
}

TMonitor* TScreen::MonitorFromWindow(HWND wnd, TMonitorDefaultTo fallback) const {
  TRect r;
  if (!GetWindowRect(wnd, &r)) return fallback == mdNull ? nullptr : GetMonitor(0);
  return MonitorFromRect(r, fallback);
}

TRect TScreen::WorkAreaOfRect(const TRect& r) const {
  return MonitorFromRect(r, mdNearest)->GetWorkareaRect();
}

void TScreen::SetFocusedForm(TCustomForm* form, TWinControl* control) {
  activeForm_ = form;
  activeControl_ = control;
}

// ---- TApplication ----

class TApplicationHost : public QObject {
 public:
  explicit TApplicationHost(TApplication* app) : app_(app) {
    hintTimer_.setSingleShot(true);
    QObject::connect(&hintTimer_, &QTimer::timeout, this, [this] { app_->HintTimerFired(); });
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance())
      QObject::connect(d, &QAbstractEventDispatcher::aboutToBlock, this, [this] { app_->DoIdle(); });
  }
  QTimer hintTimer_;
  bool hideTimer_ = false;

 private:
  TApplication* app_;
};

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
  handle_ = RegisterWindow(nullptr);
  SetApplicationHandleException([](TObject* sender, const std::exception_ptr& error) noexcept {
    if (Application) Application->HandleException(sender, error);
  });
}

TApplication::~TApplication() {
  if (Application == this) SetApplicationHandleException(nullptr);
}

void TApplication::Initialize() {
  EnsureQtApplication();
  if (!host_) host_ = std::make_unique<TApplicationHost>(this);
  if (title_.empty()) {
    String exe = GetExeName();
    size_t slash = exe.find_last_of(u'/');
    title_ = slash == String::npos ? exe : exe.substr(slash + 1);
  }
  QApplication::setApplicationName(ToQString(title_));
}

void TApplication::SetTitle(const String& value) {
  title_ = value;
  if (qApp) QApplication::setApplicationName(ToQString(value));
}

String TApplication::GetExeName() const {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return String();
  return Utf8ToString(std::string_view(buffer, static_cast<size_t>(n)));
}

bool TApplication::GetActive() const { return qApp && QApplication::activeWindow() != nullptr; }

void TApplication::CreateForm(TClass instanceClass, void* reference) {
  Initialize();
  std::unique_ptr<TObject> made(instanceClass->NewInstance(this));
  if (!dynamic_cast<TComponent*>(made.get())) throw EInvalidCast(u"Invalid class typecast");
  // The application owns the instance from here.
  auto* instance = static_cast<TComponent*>(made.release());
  if (reference) *static_cast<TComponent**>(reference) = instance;
  auto restore = MakeScopeExit([&] {
    if (reference) *static_cast<TComponent**>(reference) = nullptr;
    delete instance;
  });
  if (auto* form = dynamic_cast<TCustomForm*>(instance))
    form->AfterConstruction();
  else if (auto* module = dynamic_cast<TDataModule*>(instance))
    module->AfterConstruction();
  restore.Release();
  if (!mainForm_) {
    if (auto* form = dynamic_cast<TForm*>(instance)) {
      form->HandleNeeded();
      mainForm_ = form;
    }
  }
}

void TApplication::Run() {
  Initialize();
  running_ = true;
  if (mainForm_ && showMainForm_ && !terminated_) {
    GuardedCall(mainForm_, [this] {
      if (!mainForm_->GetVisible()) mainForm_->Show();
    });
  }
  while (!terminated_ && mainForm_) {
    HandleMessage();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  running_ = false;
}

void TApplication::Terminate() {
  terminated_ = true;
  if (!qApp) return;
  // Dialogs that run their own loop end with their cancel answer.
  while (QWidget* modal = QApplication::activeModalWidget()) {
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (!dialog || !dialog->isVisible()) break;
    dialog->reject();
  }
  WakeModalLoops();
}

void TApplication::WakeModalLoops() {
  if (!qApp) return;
  if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance()) d->wakeUp();
}

bool TApplication::RunModalLoop(const std::function<bool()>& done) {
  Initialize();
  modalLoops_.push_back(nullptr);
  {
    auto restore = MakeScopeExit([&] { modalLoops_.pop_back(); });
    while (!terminated_) {
      bool finished = false;
      GuardedCall(this, [&] { finished = done(); });
      if (finished) break;
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
  }
  return !terminated_;
}

void TApplication::ProcessMessages() {
  if (!qApp) return;
  // Messages posted while the waiting ones run are delivered too, as the system's queue does.
  for (int round = 0; round < 8; ++round) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents();
  }
}

void TApplication::HandleMessage() {
  Initialize();
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void TApplication::DoIdle() {
  if (!OnIdle) return;
  static bool inIdle = false;
  if (inIdle) return;
  inIdle = true;
  bool done = true;
  GuardedCall(this, [&] { OnIdle(this, done); });
  inIdle = false;
  // Not done: come back without waiting for an event.
  if (!done)
    QMetaObject::invokeMethod(
        qApp, [] {}, Qt::QueuedConnection);
}

void TApplication::HandleException(TObject* sender) noexcept {
  HandleException(sender, std::current_exception());
}

void TApplication::HandleException(TObject* sender, const std::exception_ptr& error) noexcept {
  if (!error) return;
  try {
    auto show = [&](Exception& e) {
      if (OnException)
        OnException(sender, &e);
      else
        ShowException(&e);
    };
    try {
      std::rethrow_exception(error);
    } catch (const EAbort&) {
      return;
    } catch (Exception& e) {
      show(e);
    } catch (const std::exception& e) {
      Exception wrapped(Utf8ToString(e.what()));
      show(wrapped);
    } catch (...) {
      Exception wrapped(u"Unknown exception");
      show(wrapped);
    }
  } catch (const std::exception& inner) {
    std::fprintf(stderr, "exception in the exception handler: %s\n", inner.what());
  } catch (...) {
    std::fprintf(stderr, "exception in the exception handler\n");
  }
}

void TApplication::ShowException(Exception* e) {
  String message = e->Message();
  if (!message.empty() && message.back() > u'.') message += u'.';
  MessageBox(message, title_, MB_OK | MB_ICONSTOP);
}

Integer TApplication::MessageBox(const String& text, const String& caption, Integer flags) {
  if (const TMessageBoxHandler& handler = MessageBoxHandler()) return handler(text, caption, flags);
  std::fprintf(stderr, "%s: %s\n", StringToUtf8(caption).c_str(), StringToUtf8(text).c_str());
  switch (flags & 0x0F) {
    case MB_OK:
      return IDOK;
    case MB_YESNO:
      return IDNO;
    default:
      return IDCANCEL;
  }
}

void TApplication::HookMainWindow(TWindowHook hook) { hooks_.push_back(hook); }

void TApplication::UnhookMainWindow(TWindowHook hook) {
  auto it = std::find(hooks_.begin(), hooks_.end(), hook);
  if (it != hooks_.end()) hooks_.erase(it);
}

void TApplication::WndProc(TMessage& message) {
  for (auto& hook : std::vector<TWindowHook>(hooks_))
    if (hook(message)) return;
}

void TApplication::BringToFront() {
  if (TCustomForm* f = Screen->GetActiveCustomForm(); f && f->GetWidget()) RaiseWidget(f->GetWidget());
}

void TApplication::Minimize() {
  for (TCustomForm* f : Screen->forms_)
    if (f->GetShowing() && f->GetWidget()) f->GetWidget()->showMinimized();
}

void TApplication::Restore() {
  for (TCustomForm* f : Screen->forms_)
    if (f->GetVisible() && f->GetWidget()) f->GetWidget()->showNormal();
}

// ---- Hints ----

static TControl* HintSource(TControl* control) {
  for (TControl* c = control; c; c = c->GetParent())
    if (!c->GetHint().empty()) return c;
  return nullptr;
}

void TApplication::SetHint(const String& value) {
  if (hint_ == value) return;
  hint_ = value;
  if (OnHint) GuardedCall(this, [this] { OnHint(this); });
}

void TApplication::SetShowHint(bool value) {
  showHint_ = value;
  if (!value) CancelHint();
}

void TApplication::StartHintTimer(Integer pause, bool hide) {
  if (!host_) return;
  host_->hideTimer_ = hide;
  host_->hintTimer_.start(std::max(0, pause));
}

// The control may change the pause before its hint (CM_HINTSHOWPAUSE), down to 0 for at once.
Integer TApplication::HintPauseFor(TControl* control, bool wasShowing) {
  Integer pause = wasShowing ? hintShortPause_ : hintPause_;
  control->Perform(CM_HINTSHOWPAUSE, wasShowing ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
  return pause;
}

void TApplication::NoteMouseOver(TControl* control, TPoint screenPos) {
  if (control == hintControl_) {
    // Leaving the rectangle the last hint was asked for asks again, shown or not: a control's parts
    // (a grid's cells) have hints of their own.
    if (control && !hintCursorRect_.Contains(control->ScreenToClient(screenPos))) {
      const bool wasShowing = hintActive_;
      HideHint();
      if (showHint_ && control->GetShowHint()) StartHintTimer(HintPauseFor(control, wasShowing), false);
    }
    return;
  }
  bool wasShowing = hintActive_;
  HideHint();
  hintControl_ = control;
  TControl* source = HintSource(control);
  SetHint(source ? GetLongHint(source->GetHint()) : String());
  // A control without a hint text of its own may still give one when asked (CM_HINTSHOW).
  if (!showHint_ || !control || !control->GetShowHint()) {
    if (host_) host_->hintTimer_.stop();
    return;
  }
  hintCursorRect_ = control->GetClientRect();
  StartHintTimer(HintPauseFor(control, wasShowing), false);
}

void TApplication::HintTimerFired() {
  if (host_ && host_->hideTimer_) {
    HideHint();
    return;
  }
  if (!hintControl_) return;
  TPoint pos;
  ::GetCursorPos(&pos);
  ShowHintFor(hintControl_, pos);
}

void TApplication::ShowHintFor(TControl* control, TPoint screenPos) {
  TControl* source = HintSource(control);
  THintInfo info;
  info.HintControl = control;
  info.HintWindowClass = HintWindowClass;
  info.HintPos = TPoint(screenPos.X, screenPos.Y + 20);
  info.HintMaxWidth = Screen->GetWidth();
  info.HintColor = hintColor_;
  info.CursorRect = control->GetClientRect();
  info.CursorPos = control->ScreenToClient(screenPos);
  info.HideTimeout = hintHidePause_;
  info.HintStr = source ? GetShortHint(source->GetHint()) : String();
  bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  // The rectangle the answer holds for, also when there is nothing to show there.
  hintCursorRect_ = info.CursorRect;
  if (canShow && OnShowHint) OnShowHint(info.HintStr, canShow, info);
  if (!canShow || info.HintStr.empty()) return;
  TClass cls = info.HintWindowClass ? info.HintWindowClass : HintWindowClass;
  if (hintWindow_ && hintWindow_->ClassType() != cls) {
    delete hintWindow_;
    hintWindow_ = nullptr;
  }
  if (!hintWindow_) hintWindow_ = cls->Create<THintWindow>(this);
  hintWindow_->SetColor(info.HintColor);
  TRect r = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  OffsetRect(&r, info.HintPos.X, info.HintPos.Y);
  hintWindow_->ActivateHintData(r, info.HintStr, info.HintData);
  hintActive_ = true;
  hintControl_ = control;
  hintCursorRect_ = info.CursorRect;
  if (info.HideTimeout > 0) StartHintTimer(info.HideTimeout, true);
}

void TApplication::ActivateHint(TPoint cursorPos) {
  Initialize();
  TControl* control = FindDragTarget(cursorPos, true);
  if (!control) return;
  HideHint();
  hintControl_ = control;
  ShowHintFor(control, cursorPos);
}

void TApplication::CancelHint() {
  if (host_) host_->hintTimer_.stop();
  HideHint();
  hintControl_ = nullptr;
}

void TApplication::HideHint() {
  if (hintWindow_ && hintActive_) hintWindow_->ReleaseHandle();
  hintActive_ = false;
}

void TApplication::ControlDestroyed(TControl* control) {
  if (hintControl_ != control) return;
  if (host_) host_->hintTimer_.stop();
  HideHint();
  hintControl_ = nullptr;
}

TCustomForm* GetParentFormOfHandle(HWND handle) {
  TWinControl* c = FindControl(handle);
  return c ? GetParentForm(c) : nullptr;
}

void NoteMouseMove(TControl* control, TPoint screenPos) {
  if (Application) Application->NoteMouseOver(control, screenPos);
}

// ---- THintWindow ----

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
  color_ = clInfoBk;
  brush_->SetColor(color_);
  visible_ = false;
  parentFont_ = false;
  font_->Assign(Screen->GetHintFont());
}

THintWindow::~THintWindow() {
  if (Application && Application->hintWindow_ == this) {
    Application->hintWindow_ = nullptr;
    Application->hintActive_ = false;
  }
}

void THintWindow::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style = WS_POPUP | WS_BORDER;
  params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  params.WndParent = nullptr;
}

TRect THintWindow::CalcHintRect(Integer maxWidth, const String& hint, void*) {
  HDC dc = GetDC(nullptr);
  HFONT old = static_cast<HFONT>(SelectObject(dc, font_->GetHandle()));
  TRect r(0, 0, maxWidth, 0);
  DrawText(dc, hint.c_str(), static_cast<Integer>(hint.size()), &r,
           DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void THintWindow::ActivateHint(TRect rect, const String& hint) { ActivateHintData(rect, hint, nullptr); }

void THintWindow::ActivateHintData(TRect rect, const String& hint, void*) {
  SetCaption(hint);
  TRect work = Screen->WorkAreaOfRect(rect);
  if (rect.Right > work.Right) OffsetRect(&rect, work.Right - rect.Right, 0);
  if (rect.Bottom > work.Bottom) OffsetRect(&rect, 0, work.Bottom - rect.Bottom);
  if (rect.Left < work.Left) OffsetRect(&rect, work.Left - rect.Left, 0);
  if (rect.Top < work.Top) OffsetRect(&rect, 0, work.Top - rect.Top);
  HandleNeeded();
  QWidget* w = host_->Widget();
  w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
  w->setAttribute(Qt::WA_ShowWithoutActivating, true);
  SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
  visible_ = true;
  w->show();
  RaiseWidget(w);
  Invalidate();
  active_ = true;
}

bool THintWindow::IsHintMsg(const TMsg& msg) const {
  return (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) || msg.message == WM_LBUTTONDOWN ||
         msg.message == WM_RBUTTONDOWN || msg.message == WM_MBUTTONDOWN;
}

void THintWindow::ReleaseHandle() {
  active_ = false;
  visible_ = false;
  if (host_) host_->Widget()->hide();
}

void THintWindow::Paint() {
  TCanvas* c = GetCanvas();
  TRect r = GetClientRect();
  c->GetBrush()->SetColor(color_);
  c->GetBrush()->SetStyle(bsSolid);
  c->FillRect(r);
  c->GetFont()->Assign(font_.get());
  InflateRect(&r, -2, -1);
  r.Left += 1;
  String text = GetCaption();
  SetBkMode(c->GetHandle(), TRANSPARENT);
  DrawText(c->GetHandle(), text.c_str(), static_cast<Integer>(text.size()), &r,
           DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}
