// The Qt host of windowed controls: window handles, the widget of a plain control, the translation of
// Qt's paint, key, mouse, wheel, focus and window events into window messages, key and mouse state,
// capture, mouse-enter tracking, in-process drag and drop, and the window functions over handles.
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStyleHints>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <deque>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "platform/classes/Thread.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/private/DeviceContext.h"

// ---- Conversions ----

QColor ToQColor(TColor color) {
  TColorRef c = ColorToRGB(color);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

void RaiseWidget(QWidget* widget) {
  if (!widget) return;
  if (widget->isWindow() && QGuiApplication::platformName() == QLatin1String("offscreen")) return;
  widget->raise();
}

QFont ToQFont(const TFont* font) {
  if (!font) return QFont();
  return gdi::FontFromLogFont(font->GetLogFont());
}

QCursor CursorToQCursor(TCursor cursor) {
  if (cursor > 0 && Screen) {
    if (HCURSOR h = Screen->GetCursors(cursor)) return h->cursor;
  }
  switch (cursor) {
    case crNone:
      return QCursor(Qt::BlankCursor);
    case crCross:
      return QCursor(Qt::CrossCursor);
    case crIBeam:
      return QCursor(Qt::IBeamCursor);
    case crSizeNESW:
      return QCursor(Qt::SizeBDiagCursor);
    case crSizeNS:
      return QCursor(Qt::SizeVerCursor);
    case crSizeNWSE:
      return QCursor(Qt::SizeFDiagCursor);
    case crSizeWE:
      return QCursor(Qt::SizeHorCursor);
    case crUpArrow:
      return QCursor(Qt::UpArrowCursor);
    case crHourGlass:
    case crSQLWait:
      return QCursor(Qt::WaitCursor);
    case crDrag:
    case crMultiDrag:
      return QCursor(Qt::DragCopyCursor);
    case crNoDrop:
    case crNo:
      return QCursor(Qt::ForbiddenCursor);
    case crHSplit:
      return QCursor(Qt::SplitHCursor);
    case crVSplit:
      return QCursor(Qt::SplitVCursor);
    case crAppStart:
      return QCursor(Qt::BusyCursor);
    case crHelp:
      return QCursor(Qt::WhatsThisCursor);
    case crHandPoint:
      return QCursor(Qt::PointingHandCursor);
    case crSizeAll:
      return QCursor(Qt::SizeAllCursor);
    default:
      return QCursor(Qt::ArrowCursor);
  }
}

Integer MakeKeyData(bool alt, bool autoRepeat, bool release) {
  Integer data = 1;
  if (alt) data |= 0x20000000;
  if (autoRepeat || release) data |= 0x40000000;
  if (release) data |= static_cast<Integer>(0x80000000u);
  return data;
}

TShiftState QtShiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  TShiftState s;
  if (modifiers & Qt::ShiftModifier) s << ssShift;
  if (modifiers & Qt::ControlModifier) s << ssCtrl;
  if (modifiers & Qt::AltModifier) s << ssAlt;
  if (buttons & Qt::LeftButton) s << ssLeft;
  if (buttons & Qt::RightButton) s << ssRight;
  if (buttons & Qt::MiddleButton) s << ssMiddle;
  return s;
}

namespace {
struct KeyPair {
  int qt;
  Word vk;
};
constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK},
    {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Clear, VK_CLEAR},
    {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},
    {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Select, VK_SELECT},
    {Qt::Key_Print, VK_SNAPSHOT},
    {Qt::Key_Execute, VK_EXECUTE},
    {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Help, VK_HELP},
    {Qt::Key_Meta, VK_LWIN},
    {Qt::Key_Menu, VK_APPS},
    {Qt::Key_NumLock, VK_NUMLOCK},
    {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Plus, VK_OEM_PLUS},
    {Qt::Key_Comma, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Semicolon, VK_OEM_1},
    {Qt::Key_Slash, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3},
    {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_Backslash, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7},
    {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Asterisk, VK_MULTIPLY},
};
}  // namespace

Word QtKeyToVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::KeypadModifier) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<Word>(VK_NUMPAD0 + (qtKey - Qt::Key_0));
    switch (qtKey) {
      case Qt::Key_Asterisk:
        return VK_MULTIPLY;
      case Qt::Key_Plus:
        return VK_ADD;
      case Qt::Key_Minus:
        return VK_SUBTRACT;
      case Qt::Key_Period:
      case Qt::Key_Comma:
        return VK_DECIMAL;
      case Qt::Key_Slash:
        return VK_DIVIDE;
      default:
        break;
    }
  }
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<Word>('0' + (qtKey - Qt::Key_0));
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<Word>('A' + (qtKey - Qt::Key_A));
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return static_cast<Word>(VK_F1 + (qtKey - Qt::Key_F1));
  for (const KeyPair& k : kKeys)
    if (k.qt == qtKey) return k.vk;
  // Cyrillic letters: the key of the Latin layout at the same place is not known here; the letters
  // of the Russian layout map to the virtual keys the system gives them.
  static const char16_t kRu[] = u"ФИСВУАПРШОЛДЬТЩЗЙКЫЕГМЦЧНЯ";
  if ((qtKey >= 0x0410 && qtKey <= 0x042F) || qtKey == 0x0401) {
    for (int i = 0; i < 26; ++i)
      if (kRu[i] == qtKey) return static_cast<Word>('A' + i);
    switch (qtKey) {
      case u'Ж':
        return VK_OEM_1;
      case u'Э':
        return VK_OEM_7;
      case u'Х':
        return VK_OEM_4;
      case u'Ъ':
        return VK_OEM_6;
      case u'Б':
        return VK_OEM_COMMA;
      case u'Ю':
        return VK_OEM_PERIOD;
      case u'Ё':
        return VK_OEM_3;
      default:
        break;
    }
  }
  return 0;
}

int VirtualKeyToQtKey(Word vk) {
  if (vk >= '0' && vk <= '9') return Qt::Key_0 + (vk - '0');
  if (vk >= 'A' && vk <= 'Z') return Qt::Key_A + (vk - 'A');
  if (vk >= VK_F1 && vk <= VK_F24) return Qt::Key_F1 + (vk - VK_F1);
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return Qt::Key_0 + (vk - VK_NUMPAD0);
  switch (vk) {
    case VK_ADD:
      return Qt::Key_Plus;
    case VK_SUBTRACT:
      return Qt::Key_Minus;
    case VK_DECIMAL:
      return Qt::Key_Period;
    case VK_DIVIDE:
      return Qt::Key_Slash;
    default:
      break;
  }
  for (const KeyPair& k : kKeys)
    if (k.vk == vk) return k.qt;
  return Qt::Key_unknown;
}

// ---- Registry of window handles ----

namespace {
struct WindowRegistry {
  std::unordered_map<HWND, TWinControlHost*> hosts;
  std::uintptr_t next = 0x10000;
};
WindowRegistry& Windows() {
  static WindowRegistry r;
  return r;
}
}  // namespace

HWND RegisterWindow(TWinControl* control) {
  (void)control;
  WindowRegistry& r = Windows();
  r.next += 0x10;
  return reinterpret_cast<HWND>(r.next);
}

void UnregisterWindow(HWND handle) { Windows().hosts.erase(handle); }

TWinControlHost* FindHost(HWND handle) {
  if (!handle) return nullptr;
  auto& hosts = Windows().hosts;
  auto it = hosts.find(handle);
  return it == hosts.end() ? nullptr : it->second;
}

TWinControl* FindControl(HWND handle) {
  TWinControlHost* h = FindHost(handle);
  return h ? h->Control() : nullptr;
}

TWinControl* ControlOfWidget(QWidget* widget) {
  for (QWidget* w = widget; w; w = w->parentWidget()) {
    QVariant v = w->property("kivHwnd");
    if (v.isValid()) {
      if (TWinControl* c = FindControl(reinterpret_cast<HWND>(v.value<quintptr>()))) return c;
    }
  }
  return nullptr;
}

// ---- Global input state ----

namespace {
struct InputState {
  Qt::KeyboardModifiers modifiers;
  Qt::MouseButtons buttons;
  std::unordered_set<Word> keysDown;
  QPoint cursor;
  DWORD messageTime = 0;
  HWND capture = nullptr;
  TControl* captureControl = nullptr;
  TControl* mouseControl = nullptr;
  HWND lastFocusLost = nullptr;
};
InputState& Input() {
  static InputState s;
  return s;
}
}  // namespace

HWND CurrentCapture() { return Input().capture; }

// ---- TControlWidget ----

TControlWidget::TControlWidget(TWinControl* control, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), control_(control) {}

// ---- TWinControlHost ----

TWinControlHost::TWinControlHost(TWinControl* control, QWidget* widget)
    : control_(control), widget_(widget), handle_(RegisterWindow(control)) {
  Windows().hosts[handle_] = this;
  widget->setProperty("kivHwnd", QVariant::fromValue(reinterpret_cast<quintptr>(handle_)));
  widget->installEventFilter(this);
}

TWinControlHost::~TWinControlHost() {
  if (widget_) widget_->removeEventFilter(this);
  InputState& in = Input();
  if (in.capture == handle_) {
    in.capture = nullptr;
    if (widget_ && QWidget::mouseGrabber() == widget_) widget_->releaseMouse();
  }
  if (in.lastFocusLost == handle_) in.lastFocusLost = nullptr;
  UnregisterWindow(handle_);
}

QPoint TWinControlHost::ClientOffset() const {
  TRect m = control_->GetNonClientMargins();
  return QPoint(m.Left, m.Top);
}

bool TWinControlHost::SendUnfiltered(QEvent* event) {
  bool old = unfiltered_;
  unfiltered_ = true;
  bool r = QCoreApplication::sendEvent(widget_, event);
  unfiltered_ = old;
  return r;
}

void TWinControlHost::SetTopBar(QWidget* bar) {
  topBar_ = bar;
  if (bar) {
    bar->setParent(widget_);
    bar->show();
  }
  LayoutTopBar();
  control_->Realign();
  control_->SyncChildWidgets();
  widget_->update();
}

Integer TWinControlHost::TopBarHeight() const {
  if (!topBar_ || topBar_->isHidden()) return 0;
  return topBar_->sizeHint().height();
}

void TWinControlHost::LayoutTopBar() {
  if (!topBar_ || !widget_) return;
  topBar_->setGeometry(0, 0, widget_->width(), TopBarHeight());
}

void TWinControl::SyncChildWidgets() {
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->SyncWidgetGeometry();
}

bool TWinControlHost::PassToWidget(TMessage& message) {
  if (!pending_ || pending_->original.Msg != message.Msg) return false;
  pending_->passed = true;
  // The message's own parameters decide; the event itself goes to the widget once dispatch ends.
  pending_->original.WParam = message.WParam;
  return true;
}

void TWinControlHost::TypeCharIntoWidget(Char ch) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                  QString(QChar(static_cast<char16_t>(ch))));
  SendUnfiltered(&press);
}

bool TWinControlHost::DispatchWithEvent(QEvent* event, TMessage& message) {
  Pending p;
  p.event = event;
  p.original = message;
  Pending* outer = pending_;
  pending_ = &p;
  QPointer<QObject> alive(this);
  GuardedCall(control_, [&] { control_->WindowProc(message); });
  if (!alive) return false;
  pending_ = outer;
  return p.passed;
}

void TWinControlHost::PaintInto(QPainter& painter, bool withChildren) {
  if (withChildren) {
    widget_->render(&painter, painter.transform().map(QPoint(0, 0)) - painter.transform().map(QPoint(0, 0)),
                    QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return;
  }
  QPoint offset = ClientOffset();
  TRect client = control_->GetClientRect();
  HDC dc = gdi::CreatePainterDC(&painter, widget_->width(), widget_->height());
  GuardedCall(control_, [&] {
    {
      TCanvas frame;
      frame.SetHandle(dc);
      TMessage nc;
      nc.Msg = WM_NCPAINT;
      nc.WParam = reinterpret_cast<WPARAM>(&frame);
      control_->WindowProc(nc);
      frame.SetHandle(nullptr);
    }
    Integer saved = SaveDC(dc);
    SetViewportOrgEx(dc, offset.x(), offset.y(), nullptr);
    IntersectClipRect(dc, 0, 0, client.Width(), client.Height());
    if (!control_->GetControlStyle().Contains(csOpaque))
      control_->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc));
    control_->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc));
    RestoreDC(dc, saved);
  });
  DeleteDC(dc);
}

bool TWinControlHost::HandlePaint(QEvent*) {
  QPainter painter(widget_);
  PaintInto(painter, false);
  return true;
}

namespace {
UINT ButtonMessage(Qt::MouseButton button, QEvent::Type type, bool doubleClicks) {
  int base;
  switch (button) {
    case Qt::RightButton:
      base = WM_RBUTTONDOWN;
      break;
    case Qt::MiddleButton:
      base = WM_MBUTTONDOWN;
      break;
    default:
      base = WM_LBUTTONDOWN;
      break;
  }
  switch (type) {
    case QEvent::MouseButtonRelease:
      return static_cast<UINT>(base + 1);
    case QEvent::MouseButtonDblClick:
      return static_cast<UINT>(doubleClicks ? base + 2 : base);
    default:
      return static_cast<UINT>(base);
  }
}

Word MouseKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  Word keys = 0;
  if (buttons & Qt::LeftButton) keys |= MK_LBUTTON;
  if (buttons & Qt::RightButton) keys |= MK_RBUTTON;
  if (buttons & Qt::MiddleButton) keys |= MK_MBUTTON;
  if (modifiers & Qt::ShiftModifier) keys |= MK_SHIFT;
  if (modifiers & Qt::ControlModifier) keys |= MK_CONTROL;
  return keys;
}
}  // namespace

bool TWinControlHost::HandleMouse(QMouseEvent* e) {
  QPoint local = e->position().toPoint() - ClientOffset();
  QPoint global = e->globalPosition().toPoint();
  TPoint screen = FromQPoint(global);
  InputState& in = Input();
  in.cursor = global;

  if (DragActive()) {
    if (e->type() == QEvent::MouseMove)
      DragMouseMove(screen);
    else if (e->type() == QEvent::MouseButtonRelease)
      DragMouseUp(screen);
    return true;
  }
  if (DragPending()) {
    if (e->type() == QEvent::MouseMove && DragMouseMove(screen)) return true;
    if (e->type() == QEvent::MouseButtonRelease) DragCancel();
  }

  TMessage m;
  bool doubleClicks = control_->GetControlStyle().Contains(csDoubleClicks);
  if (e->type() == QEvent::MouseMove) {
    m.Msg = WM_MOUSEMOVE;
    TControl* over = control_->ControlAtPos(FromQPoint(local), false);
    if (over && dynamic_cast<TWinControl*>(over)) over = nullptr;
    TrackMouseControl(over ? over : control_);
    // The cursor shape first, as the system asks with WM_SETCURSOR before the move.
    if (control_->Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(handle_),
                          MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) == 0) {
      TCursor c = over ? over->GetCursor() : control_->GetCursor();
      if (widget_->cursor().shape() != CursorToQCursor(c).shape() || c > 0)
        widget_->setCursor(CursorToQCursor(c));
    }
  } else {
    m.Msg = ButtonMessage(e->button(), e->type(), doubleClicks);
  }
  m.WParam = MouseKeys(e->buttons(), e->modifiers());
  m.LParam = PointToLParam(FromQPoint(local));
  bool passed = DispatchWithEvent(e, m);
  return !passed;
}

bool TWinControlHost::HandleWheel(QWheelEvent* e) {
  QPoint delta = e->angleDelta();
  if (delta.y() == 0) return false;
  TWMMouseWheel w{};
  w.Msg = WM_MOUSEWHEEL;
  w.Keys = MouseKeys(e->buttons(), e->modifiers());
  w.WheelDelta = static_cast<SmallInt>(delta.y());
  QPoint g = e->globalPosition().toPoint();
  w.XPos = static_cast<SmallInt>(g.x());
  w.YPos = static_cast<SmallInt>(g.y());
  TMessage& m = reinterpret_cast<TMessage&>(w);
  bool passed = DispatchWithEvent(e, m);
  return !passed;
}

bool TWinControlHost::HandleKey(QKeyEvent* e) {
  InputState& in = Input();
  bool alt = e->modifiers() & Qt::AltModifier;
  Word vk = QtKeyToVirtualKey(e->key(), e->modifiers());
  String text = FromQString(e->text());
  // Control characters Qt leaves out of the text: the system makes them for these keys.
  if (text.empty()) {
    if (vk == VK_RETURN)
      text = u"\r";
    else if (vk == VK_ESCAPE)
      text = u"\x1b";
    else if (vk == VK_BACK)
      text = u"\b";
    else if (vk == VK_TAB)
      text = u"\t";
  }
  if (e->key() == Qt::Key_Backtab) in.modifiers |= Qt::ShiftModifier;
  if (vk == 0 && text.empty()) return false;
  Integer keyData = MakeKeyData(alt, e->isAutoRepeat(), false);
  QPointer<QObject> alive(this);

  TWMKey key{};
  key.Msg = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
  key.CharCode = vk;
  key.KeyData = keyData;
  bool keyPassed = true;
  if (vk != 0) {
    bool taken = false;
    GuardedCall(control_, [&] {
      TCustomForm* form = GetParentForm(control_);
      if (form && form->IsShortCut(key)) {
        taken = true;
        return;
      }
      taken = control_->IsDialogKey(key);
    });
    if (!alive) return true;
    if (taken) return true;
    keyPassed = DispatchWithEvent(e, reinterpret_cast<TMessage&>(key));
    if (!alive) return true;
  }
  if (text.empty() || alt) return !keyPassed;

  Char original = text[0];
  bool charTaken = false;
  GuardedCall(control_, [&] {
    TCustomForm* form = GetParentForm(control_);
    if (!form) return;
    if (control_->Perform(WM_GETDLGCODE) & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) return;
    charTaken = form->Perform(CM_DIALOGCHAR, original, keyData) != 0;
  });
  if (!alive) return true;
  if (charTaken) return true;
  TWMKey ch{};
  ch.Msg = WM_CHAR;
  ch.CharCode = original;
  ch.KeyData = keyData;
  bool charPassed = DispatchWithEvent(e, reinterpret_cast<TMessage&>(ch));
  if (!alive) return true;
  if (!charPassed) return true;
  if (keyPassed && ch.CharCode == original) return false;
  // The key-down was taken or the character replaced: the widget sees only the character.
  int qtKey = keyPassed && ch.CharCode == original ? e->key() : static_cast<int>(Qt::Key_unknown);
  QKeyEvent replaced(QEvent::KeyPress, qtKey, e->modifiers(),
                     QString(QChar(static_cast<char16_t>(ch.CharCode))), e->isAutoRepeat());
  SendUnfiltered(&replaced);
  return true;
}

bool TWinControlHost::HandleKeyRelease(QKeyEvent* e) {
  bool alt = e->modifiers() & Qt::AltModifier;
  Word vk = QtKeyToVirtualKey(e->key(), e->modifiers());
  if (vk == 0) return false;
  TWMKey key{};
  key.Msg = alt ? WM_SYSKEYUP : WM_KEYUP;
  key.CharCode = vk;
  key.KeyData = MakeKeyData(alt, false, true);
  return !DispatchWithEvent(e, reinterpret_cast<TMessage&>(key));
}

bool TWinControlHost::eventFilter(QObject* watched, QEvent* event) {
  if (watched != widget_ || unfiltered_) return false;
  if (control_->GetControlState().Contains(csDestroyingHandle)) return false;
  // A disabled window (or one in a disabled parent) gets no keyboard or mouse input.
  if (!widget_->isEnabled() || !control_->IsEnabled()) {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
        return true;
      default:
        break;
    }
  }
  switch (event->type()) {
    case QEvent::Paint:
      if (control_->PaintsItself()) return HandlePaint(event);
      if (!control_->PaintsOverWidget()) return false;
      SendUnfiltered(event);
      {
        QPainter painter(widget_);
        HDC dc = gdi::CreatePainterDC(&painter, widget_->width(), widget_->height());
        GuardedCall(control_, [&] { control_->PaintOverWidget(dc); });
        DeleteDC(dc);
      }
      return true;
    case QEvent::KeyPress:
      return HandleKey(static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
      return HandleKeyRelease(static_cast<QKeyEvent*>(event));
    case QEvent::ShortcutOverride: {
      // Keys that a control wants go to it before Qt's shortcuts see them.
      return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
      return HandleMouse(static_cast<QMouseEvent*>(event));
    case QEvent::Wheel:
      return HandleWheel(static_cast<QWheelEvent*>(event));
    case QEvent::FocusIn: {
      InputState& in = Input();
      HWND other = in.lastFocusLost;
      in.lastFocusLost = nullptr;
      GuardedCall(control_, [&] { control_->Perform(WM_SETFOCUS, reinterpret_cast<WPARAM>(other)); });
      return false;
    }
    case QEvent::FocusOut: {
      TWinControl* next = ControlOfWidget(QApplication::focusWidget());
      HWND nextHandle = next && next != control_ && next->HandleAllocated() ? next->GetHandle() : nullptr;
      Input().lastFocusLost = handle_;
      GuardedCall(control_, [&] { control_->Perform(WM_KILLFOCUS, reinterpret_cast<WPARAM>(nextHandle)); });
      return false;
    }
    case QEvent::Enter:
      TrackMouseControl(control_);
      return false;
    case QEvent::Leave:
      if (Input().mouseControl &&
          (Input().mouseControl == control_ || Input().mouseControl->GetParent() == control_))
        TrackMouseControl(nullptr);
      return false;
    case QEvent::ContextMenu: {
      auto* ce = static_cast<QContextMenuEvent*>(event);
      TWMContextMenu cm{};
      cm.Msg = WM_CONTEXTMENU;
      cm.hWnd = handle_;
      if (ce->reason() == QContextMenuEvent::Keyboard) {
        cm.XPos = -1;
        cm.YPos = -1;
      } else {
        cm.XPos = static_cast<SmallInt>(ce->globalPos().x());
        cm.YPos = static_cast<SmallInt>(ce->globalPos().y());
      }
      TMessage& m = reinterpret_cast<TMessage&>(cm);
      bool passed = DispatchWithEvent(event, m);
      return !passed;
    }
    case QEvent::Resize:
    case QEvent::Move: {
      if (!widget_->isWindow()) return false;
      // The window manager (or the user) moved or sized a form.
      QRect g = widget_->geometry();
      if (g.x() != control_->GetLeft() || g.y() != control_->GetTop() || g.width() != control_->GetWidth() ||
          g.height() != control_->GetHeight())
        GuardedCall(control_, [&] { control_->SetBounds(g.x(), g.y(), g.width(), g.height()); });
      LayoutTopBar();
      return false;
    }
    case QEvent::Close: {
      event->ignore();
      GuardedCall(control_, [&] { control_->Perform(WM_CLOSE); });
      return true;
    }
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate: {
      bool active = event->type() == QEvent::WindowActivate;
      GuardedCall(control_, [&] { control_->Perform(WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE); });
      return false;
    }
    default:
      return false;
  }
}

// ---- Mouse enter and leave ----

void TrackMouseControl(TControl* control) {
  InputState& in = Input();
  if (in.mouseControl == control) return;
  TControl* old = in.mouseControl;
  in.mouseControl = control;
  if (old) GuardedCall(old, [&] { old->Perform(CM_MOUSELEAVE); });
  if (control && in.mouseControl == control) GuardedCall(control, [&] { control->Perform(CM_MOUSEENTER); });
}

// ---- Capture ----

TControl* GetCaptureControl() {
  InputState& in = Input();
  if (in.captureControl) return in.captureControl;
  return FindControl(in.capture);
}

void SetCaptureControl(TControl* control) {
  InputState& in = Input();
  in.captureControl = nullptr;
  if (!control) {
    ReleaseCapture();
    return;
  }
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    SetCapture(w->GetHandle());
    return;
  }
  if (TWinControl* parent = control->GetParent()) {
    SetCapture(parent->GetHandle());
    in.captureControl = control;
  }
}

HWND GetCapture() { return Input().capture; }

HWND SetCapture(HWND wnd) {
  InputState& in = Input();
  HWND old = in.capture;
  if (old == wnd) return old;
  if (TWinControlHost* h = FindHost(old)) {
    if (QWidget::mouseGrabber() == h->Widget()) h->Widget()->releaseMouse();
  }
  in.capture = wnd;
  if (TWinControlHost* h = FindHost(wnd)) {
    if (h->Widget()->isVisible() && (in.buttons == Qt::NoButton)) h->Widget()->grabMouse();
  }
  if (TWinControl* c = FindControl(old))
    GuardedCall(c, [&] { c->Perform(WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(wnd)); });
  return old;
}

bool ReleaseCapture() {
  InputState& in = Input();
  in.captureControl = nullptr;
  if (!in.capture) return true;
  SetCapture(nullptr);
  return true;
}

void ForgetControl(TControl* control) {
  InputState& in = Input();
  if (in.captureControl == control) in.captureControl = nullptr;
  if (in.mouseControl == control) in.mouseControl = nullptr;
  if (DragSourceControl() == control) DragCancel();
  if (Application) Application->ControlDestroyed(control);
}

// ---- Drag and drop ----

namespace {
struct DragState {
  TControl* source = nullptr;
  TDragObject* object = nullptr;
  std::unique_ptr<TDragObject> owned;
  bool pending = false;
  bool active = false;
  TPoint start;
  Integer threshold = 5;
  TControl* target = nullptr;
  bool accepted = false;
};
DragState& Drag() {
  static DragState d;
  return d;
}

LRESULT SendDrag(TControl* target, TDragMessage msg, TPoint pos) {
  DragState& d = Drag();
  TDragRec rec;
  rec.Pos = pos;
  rec.Source = d.object;
  rec.Target = target;
  d.object->SetDragPos(pos);
  d.object->SetDragTarget(target);
  d.object->SetDragTargetPos(target->ScreenToClient(pos));
  return target->Perform(CM_DRAG, msg, reinterpret_cast<LPARAM>(&rec));
}

void StartDragging() {
  DragState& d = Drag();
  d.pending = false;
  d.active = true;
  TDragObject* object = nullptr;
  d.source->DoStartDrag(object);
  if (!object) {
    d.owned = std::make_unique<TDragControlObject>(d.source);
    object = d.owned.get();
  }
  d.object = object;
  QApplication::setOverrideCursor(CursorToQCursor(crNoDrop));
}

void FinishDrag(bool drop, TPoint pos) {
  DragState& d = Drag();
  if (!d.active) {
    d = DragState();
    return;
  }
  TControl* target = d.target;
  bool accepted = drop && target && d.accepted;
  QApplication::restoreOverrideCursor();
  TDragObject* object = d.object;
  std::unique_ptr<TDragObject> owned = std::move(d.owned);
  TControl* source = d.source;
  d = DragState();
  try {
    if (target && !accepted) {
      DragState& dd = Drag();
      dd.object = object;
      SendDrag(target, dmDragLeave, pos);
      dd.object = nullptr;
    }
    if (accepted) {
      DragState& dd = Drag();
      dd.object = object;
      SendDrag(target, dmDragDrop, pos);
      dd.object = nullptr;
    }
    object->SetDropped(accepted);
    TPoint local = accepted ? target->ScreenToClient(pos) : TPoint();
    object->Finished(accepted ? static_cast<TObject*>(target) : nullptr, local.X, local.Y, accepted);
    if (!dynamic_cast<TBaseDragControlObject*>(object) && source)
      source->DoEndDrag(accepted ? target : nullptr, local.X, local.Y);
  } catch (...) {
    Application->HandleException(source);
  }
}
}  // namespace

void DragBegin(TControl* control, bool immediate, Integer threshold, TPoint screenPos) {
  DragState& d = Drag();
  if (d.active || d.pending) return;
  d.source = control;
  d.start = screenPos;
  d.threshold = threshold;
  d.pending = true;
  if (immediate) {
    GuardedCall(control, [] { StartDragging(); });
    DragMouseMove(screenPos);
  }
}

bool DragActive() { return Drag().active; }
bool DragPending() { return Drag().pending; }
TControl* DragSourceControl() { return Drag().source; }

bool DragMouseMove(TPoint pos) {
  DragState& d = Drag();
  if (d.pending) {
    if (std::abs(pos.X - d.start.X) < d.threshold && std::abs(pos.Y - d.start.Y) < d.threshold) return false;
    GuardedCall(d.source, [] { StartDragging(); });
    if (!d.active) return false;
  }
  if (!d.active) return false;
  GuardedCall(d.source, [&] {
    TControl* target = FindDragTarget(pos, false);
    if (target != d.target) {
      if (d.target) SendDrag(d.target, dmDragLeave, pos);
      d.target = target;
      d.accepted = target && SendDrag(target, dmDragEnter, pos) != 0;
    } else if (target) {
      d.accepted = SendDrag(target, dmDragMove, pos) != 0;
    }
    TCursor cursor = d.object->GetDragCursor(d.accepted, pos.X, pos.Y);
    QApplication::changeOverrideCursor(CursorToQCursor(cursor));
  });
  return true;
}

bool DragMouseUp(TPoint pos) {
  DragState& d = Drag();
  if (d.pending) {
    d = DragState();
    return false;
  }
  if (!d.active) return false;
  DragMouseMove(pos);
  FinishDrag(true, pos);
  return true;
}

void DragCancel() {
  DragState& d = Drag();
  if (d.active)
    FinishDrag(false, FromQPoint(QCursor::pos()));
  else
    d = DragState();
}

void CancelDrag() { DragCancel(); }

TControl* FindDragTarget(TPoint pos, bool allowDisabled) {
  TWinControl* window = FindControlWindow(pos);
  if (!window) return nullptr;
  TControl* c = window->ControlAtPos(window->ScreenToClient(pos), allowDisabled);
  if (c && !dynamic_cast<TWinControl*>(c)) return c;
  return window;
}

TWinControl* FindControlWindow(TPoint pos) {
  QWidget* w = QApplication::widgetAt(ToQPoint(pos));
  if (!w) {
    // Offscreen windows are not found by position: look through the shown forms, top first.
    for (int i = Screen ? Screen->GetCustomFormCount() - 1 : -1; i >= 0; --i) {
      TCustomForm* f = Screen->GetCustomForm(i);
      if (!f->GetShowing() || !f->GetWidget()) continue;
      QWidget* fw = f->GetWidget();
      QPoint local = fw->mapFromGlobal(ToQPoint(pos));
      if (!fw->rect().contains(local)) continue;
      w = fw->childAt(local);
      if (!w) w = fw;
      break;
    }
  }
  return ControlOfWidget(w);
}

// ---- Key state ----

namespace {
struct DeliveredKey {
  UInt64 serial;
  HWND wnd;
  Word key;
};
std::mutex deliveredMutex;
std::deque<DeliveredKey> deliveredKeys;
UInt64 deliveredSerial = 0;

void NoteDeliveredKey(QObject* target, Word vk) {
  TWinControl* c =
      target && target->isWidgetType() ? ControlOfWidget(static_cast<QWidget*>(target)) : nullptr;
  if (!c) c = ControlOfWidget(QApplication::focusWidget());
  HWND wnd = c && c->HandleAllocated() ? c->GetHandle() : nullptr;
  std::lock_guard lock(deliveredMutex);
  deliveredKeys.push_back({++deliveredSerial, wnd, vk});
  if (deliveredKeys.size() > 64) deliveredKeys.pop_front();
}

class InputTracker : public QObject {
 public:
  bool eventFilter(QObject* target, QEvent* e) override {
    InputState& in = Input();
    switch (e->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        auto* k = static_cast<QKeyEvent*>(e);
        in.modifiers = k->modifiers();
        Word vk = QtKeyToVirtualKey(k->key(), k->modifiers());
        if (vk) {
          if (e->type() == QEvent::KeyPress)
            in.keysDown.insert(vk);
          else
            in.keysDown.erase(vk);
        }
        // Window-system events reach the window first and the widget next: count them once.
        if (e->type() == QEvent::KeyPress && target->isWidgetType()) NoteDeliveredKey(target, vk);
        in.messageTime = static_cast<DWORD>(k->timestamp());
        break;
      }
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(e);
        in.modifiers = m->modifiers();
        in.buttons = m->buttons();
        in.cursor = m->globalPosition().toPoint();
        in.messageTime = static_cast<DWORD>(m->timestamp());
        break;
      }
      default:
        break;
    }
    return false;
  }
};
}  // namespace

bool KeyDeliveredSince(UInt64& seen, HWND wnd, Word key) {
  std::lock_guard lock(deliveredMutex);
  bool found = false;
  if (seen != 0) {
    for (const DeliveredKey& k : deliveredKeys)
      if (k.serial > seen && (!wnd || k.wnd == wnd) && (key == 0 || k.key == key)) found = true;
  }
  seen = deliveredSerial == 0 ? 1 : deliveredSerial;
  return found;
}

void InstallInputTracker() {
  static InputTracker* tracker = nullptr;
  if (tracker) return;
  tracker = new InputTracker;
  qApp->installEventFilter(tracker);
}

SmallInt GetKeyState(Integer vk) {
  InputState& in = Input();
  bool down = false;
  switch (vk) {
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
      down = in.modifiers & Qt::ShiftModifier;
      break;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
      down = in.modifiers & Qt::ControlModifier;
      break;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
      down = in.modifiers & Qt::AltModifier;
      break;
    case VK_LBUTTON:
      down = in.buttons & Qt::LeftButton;
      break;
    case VK_RBUTTON:
      down = in.buttons & Qt::RightButton;
      break;
    case VK_MBUTTON:
      down = in.buttons & Qt::MiddleButton;
      break;
    default:
      down = in.keysDown.count(static_cast<Word>(vk)) != 0;
      break;
  }
  return down ? static_cast<SmallInt>(0x8000) : 0;
}

SmallInt GetAsyncKeyState(Integer vk) {
  if (qApp && (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU)) {
    Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers() | Input().modifiers;
    bool down = vk == VK_SHIFT     ? (m & Qt::ShiftModifier)
                : vk == VK_CONTROL ? (m & Qt::ControlModifier)
                                   : (m & Qt::AltModifier);
    return down ? static_cast<SmallInt>(0x8000) : 0;
  }
  return GetKeyState(vk);
}

TShiftState GetShiftState() { return QtShiftState(Input().modifiers, Input().buttons); }

DWORD GetMessageTime() { return Input().messageTime; }
DWORD GetMessagePos() {
  QPoint p = Input().cursor;
  return MAKELONG(static_cast<Word>(p.x()), static_cast<Word>(p.y()));
}
UINT GetDoubleClickTime() {
  return qApp ? static_cast<UINT>(QGuiApplication::styleHints()->mouseDoubleClickInterval()) : 500;
}

bool GetCursorPos(TPoint* pos) {
  QPoint p = qApp ? QCursor::pos() : QPoint();
  if (p.isNull()) p = Input().cursor;
  *pos = FromQPoint(p);
  return true;
}

bool SetCursorPos(Integer x, Integer y) {
  Input().cursor = QPoint(x, y);
  if (qApp) QCursor::setPos(x, y);
  return true;
}

HCURSOR SetCursor(HCURSOR cursor) {
  if (cursor && qApp) {
    if (QWidget* w = QApplication::widgetAt(QCursor::pos())) w->setCursor(cursor->cursor);
  }
  return nullptr;
}

// ---- Cursors ----

HCURSOR LoadCursorFromResource(const String& resourceName, Integer hotX, Integer hotY) {
  if (!ResourceExists(resourceName)) throw EOutOfResources(u"Cannot load cursor resource");
  TBitmap bitmap;
  try {
    bitmap.LoadFromResourceName(0, resourceName);
  } catch (const Exception&) {
    throw EOutOfResources(u"Cannot load cursor resource");
  }
  QImage image = gdi::Pixels(bitmap.GetHandle()).copy();
  auto* c = new TCursorImage{QCursor(QPixmap::fromImage(image), hotX, hotY)};
  return c;
}

HCURSOR LoadCursor(HINSTANCE, const Char* name) {
  if (!name) throw EOutOfResources(u"Cannot load cursor resource");
  String n(name);
  // The built-in cursor pictures may not be registered yet; those know their own hot spots.
  RegisterGraphicsResources();
  if (!ResourceExists(n)) throw EOutOfResources(u"Cannot load cursor resource");
  if (TPoint spot; CursorResourceHotSpot(n, spot)) return LoadCursorFromResource(n, spot.X, spot.Y);
  TBitmap bitmap;
  try {
    bitmap.LoadFromResourceName(0, n);
  } catch (const Exception&) {
    throw EOutOfResources(u"Cannot load cursor resource");
  }
  return LoadCursorFromResource(n, bitmap.GetWidth() / 2, bitmap.GetHeight() / 2);
}

// ---- Window functions ----

bool IsWindow(HWND wnd) {
  return FindHost(wnd) != nullptr || (Application && wnd == Application->GetHandle());
}

bool IsWindowVisible(HWND wnd) {
  TWinControlHost* h = FindHost(wnd);
  return h && h->Widget()->isVisible();
}

bool IsWindowEnabled(HWND wnd) {
  TWinControlHost* h = FindHost(wnd);
  return h && h->Widget()->isEnabled();
}

bool EnableWindow(HWND wnd, bool enable) {
  TWinControlHost* h = FindHost(wnd);
  if (!h) return false;
  bool was = !h->Widget()->isEnabled();
  h->Widget()->setEnabled(enable);
  return was;
}

bool ShowWindow(HWND wnd, Integer cmdShow) {
  TWinControlHost* h = FindHost(wnd);
  if (!h) return false;
  QWidget* w = h->Widget();
  bool was = w->isVisible();
  switch (cmdShow) {
    case SW_HIDE:
      w->hide();
      break;
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
      w->setAttribute(Qt::WA_ShowWithoutActivating, true);
      w->show();
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
      w->showMinimized();
      break;
    case SW_MAXIMIZE:
      w->showMaximized();
      break;
    case SW_RESTORE:
      w->showNormal();
      break;
    default:
      w->show();
      break;
  }
  return was;
}

HWND GetParent(HWND wnd) {
  TWinControl* c = FindControl(wnd);
  if (!c) return nullptr;
  if (TWinControl* p = c->GetParent()) return p->HandleAllocated() ? p->GetHandle() : nullptr;
  return c->GetParentWindow();
}

HWND GetFocus() {
  if (!qApp) return nullptr;
  TWinControl* c = ControlOfWidget(QApplication::focusWidget());
  return c && c->HandleAllocated() ? c->GetHandle() : nullptr;
}

HWND SetFocus(HWND wnd) {
  HWND old = GetFocus();
  if (TWinControlHost* h = FindHost(wnd)) {
    QWidget* w = h->Widget();
    if (!w->window()->isActiveWindow()) w->window()->activateWindow();
    w->setFocus(Qt::OtherFocusReason);
  }
  return old;
}

HWND GetActiveWindow() {
  if (!qApp) return nullptr;
  TWinControl* c = ControlOfWidget(QApplication::activeWindow());
  return c && c->HandleAllocated() ? c->GetHandle() : nullptr;
}

HWND GetForegroundWindow() { return GetActiveWindow(); }

bool SetForegroundWindow(HWND wnd) {
  TWinControlHost* h = FindHost(wnd);
  if (!h) return false;
  RaiseWidget(h->Widget()->window());
  h->Widget()->window()->activateWindow();
  return true;
}

HWND WindowFromPoint(TPoint pos) {
  TWinControl* c = FindControlWindow(pos);
  return c && c->HandleAllocated() ? c->GetHandle() : nullptr;
}

bool GetClientRect(HWND wnd, TRect* rect) {
  TWinControl* c = FindControl(wnd);
  if (!c) return false;
  *rect = c->GetClientRect();
  return true;
}

bool GetWindowRect(HWND wnd, TRect* rect) {
  TWinControlHost* h = FindHost(wnd);
  if (!h) return false;
  QWidget* w = h->Widget();
  QPoint g = w->mapToGlobal(QPoint(0, 0));
  *rect = Bounds(g.x(), g.y(), w->width(), w->height());
  return true;
}

bool ClientToScreen(HWND wnd, TPoint* p) {
  TWinControl* c = FindControl(wnd);
  if (!c) return false;
  *p = c->ClientToScreen(*p);
  return true;
}

bool ScreenToClient(HWND wnd, TPoint* p) {
  TWinControl* c = FindControl(wnd);
  if (!c) return false;
  *p = c->ScreenToClient(*p);
  return true;
}

Integer MapWindowPoints(HWND from, HWND to, TPoint* points, UINT count) {
  TWinControl* a = FindControl(from);
  TWinControl* b = FindControl(to);
  TPoint oa = a ? a->ClientToScreen(TPoint()) : TPoint();
  TPoint ob = b ? b->ClientToScreen(TPoint()) : TPoint();
  Integer dx = oa.X - ob.X, dy = oa.Y - ob.Y;
  for (UINT i = 0; i < count; ++i) {
    points[i].X += dx;
    points[i].Y += dy;
  }
  return MAKELONG(static_cast<Word>(dx), static_cast<Word>(dy));
}

bool InvalidateRect(HWND wnd, const TRect* rect, bool) {
  TWinControl* c = FindControl(wnd);
  if (!c) return false;
  if (rect)
    c->InvalidateRect(*rect);
  else
    c->Invalidate();
  return true;
}

bool ValidateRect(HWND wnd, const TRect*) { return FindHost(wnd) != nullptr; }

bool UpdateWindow(HWND wnd) {
  TWinControl* c = FindControl(wnd);
  if (!c) return false;
  c->Update();
  return true;
}

bool RedrawWindow(HWND wnd, const TRect* rect, HRGN, UINT flags) {
  TWinControl* c = FindControl(wnd);
  if (!c) return false;
  if (flags & (RDW_INVALIDATE | RDW_FRAME)) {
    if (rect)
      c->InvalidateRect(*rect);
    else
      c->Invalidate();
  }
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) c->Update();
  return true;
}

Integer ScrollWindowEx(HWND wnd, Integer dx, Integer dy, const TRect* scroll, const TRect* clip, HRGN,
                       TRect* updateRect, UINT flags) {
  TWinControlHost* h = FindHost(wnd);
  if (!h) return 0;
  QPoint o = h->ClientOffset();
  TRect client = h->Control()->GetClientRect();
  TRect r = scroll ? *scroll : client;
  if (clip) IntersectRect(&r, r, *clip);
  QRect qr = ToQRect(r).translated(o);
  h->Widget()->scroll(dx, dy, qr);
  if (flags & SW_SCROLLCHILDREN) {
    for (Integer i = 0; i < h->Control()->GetControlCount(); ++i) {
      TControl* child = h->Control()->GetControl(i);
      if (scroll && !IntersectRect(&r, child->GetBoundsRect(), *scroll)) continue;
      child->SetBounds(child->GetLeft() + dx, child->GetTop() + dy, child->GetWidth(), child->GetHeight());
    }
  }
  if (updateRect) {
    // The strip uncovered by the scroll.
    TRect u = r;
    if (dx > 0)
      u.Right = u.Left + dx;
    else if (dx < 0)
      u.Left = u.Right + dx;
    if (dy > 0)
      u.Bottom = u.Top + dy;
    else if (dy < 0)
      u.Top = u.Bottom + dy;
    *updateRect = u;
  }
  return 2;  // SIMPLEREGION
}

bool ScrollWindow(HWND wnd, Integer dx, Integer dy, const TRect* scroll, const TRect* clip) {
  return ScrollWindowEx(wnd, dx, dy, scroll, clip, nullptr, nullptr, SW_INVALIDATE | SW_SCROLLCHILDREN) != 0;
}

bool SetWindowPos(HWND wnd, HWND insertAfter, Integer x, Integer y, Integer cx, Integer cy, UINT flags) {
  TWinControl* c = FindControl(wnd);
  if (!c) return false;
  Integer l = flags & SWP_NOMOVE ? c->GetLeft() : x;
  Integer t = flags & SWP_NOMOVE ? c->GetTop() : y;
  Integer w = flags & SWP_NOSIZE ? c->GetWidth() : cx;
  Integer hh = flags & SWP_NOSIZE ? c->GetHeight() : cy;
  c->SetBounds(l, t, w, hh);
  if (!(flags & SWP_NOZORDER)) {
    if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST)
      c->BringToFront();
    else if (insertAfter == HWND_BOTTOM)
      c->SendToBack();
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(wnd, flags & SWP_NOACTIVATE ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(wnd, SW_HIDE);
  return true;
}

bool MoveWindow(HWND wnd, Integer x, Integer y, Integer width, Integer height, bool) {
  return SetWindowPos(wnd, nullptr, x, y, width, height, SWP_NOZORDER);
}

bool DestroyWindow(HWND wnd) {
  TWinControl* c = FindControl(wnd);
  if (!c) return false;
  c->DestroyHandle();
  return true;
}

bool SetWindowText(HWND wnd, const String& text) {
  TWinControl* c = FindControl(wnd);
  if (!c) return false;
  c->SetText(text);
  return true;
}

Integer GetWindowText(HWND wnd, Char* buffer, Integer maxCount) {
  TWinControl* c = FindControl(wnd);
  if (!c || !buffer || maxCount <= 0) return 0;
  return static_cast<Integer>(
      c->Perform(WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

bool IsChild(HWND parent, HWND wnd) {
  TWinControl* p = FindControl(parent);
  TWinControl* c = FindControl(wnd);
  return p && c && p != c && p->ContainsControl(c);
}

// ---- Mouse ----

TPoint TMouse::GetCursorPos() const {
  TPoint p;
  ::GetCursorPos(&p);
  return p;
}
void TMouse::SetCursorPos(TPoint p) { ::SetCursorPos(p.X, p.Y); }
HWND TMouse::GetCapture() const { return ::GetCapture(); }
void TMouse::SetCapture(HWND window) { ::SetCapture(window); }
Integer TMouse::GetWheelScrollLines() const { return qApp ? QApplication::wheelScrollLines() : 3; }

TMouse* Mouse = new TMouse;
