// The message queue of the controls layer: posted messages delivered through Qt's event loop, the
// pending-input service that looks at waiting keyboard and mouse input without delivering it, and the
// bridge that makes the Qt application, runs Synchronize calls and keeps exceptions out of Qt.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWheelEvent>
#include <QWindow>
#include <atomic>
#include <cstdlib>
#include <deque>
#include <mutex>

#include "platform/classes/Thread.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/rtl/ScopeGuard.h"

void InstallInputTracker();
bool KeyDeliveredSince(UInt64& seen, HWND wnd, Word key);

namespace {

const QEvent::Type kDeliverEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kSyncEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class DeliverEvent : public QEvent {
 public:
  explicit DeliverEvent(UInt64 serial) : QEvent(kDeliverEvent), serial(serial) {}
  UInt64 serial;
};

struct QueuedMessage {
  UInt64 serial = 0;
  TMsg msg;
  std::unique_ptr<QEvent> held;  // waiting input, delivered to heldTarget in its turn
  QPointer<QObject> heldTarget;
};

struct Queue {
  std::mutex mutex;
  std::deque<QueuedMessage> items;
  UInt64 nextSerial = 1;
  bool holding = false;
  std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> heldNow;
  std::vector<UInt64> heldTriggers;
  bool syncHeld = false;
};

Queue& TheQueue() {
  static Queue q;
  return q;
}

bool IsInputMessage(UINT m) {
  return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST);
}

// Receives the delivery triggers and the wake-ups of the main-thread dispatcher.
class Pump : public QObject {
 public:
  bool event(QEvent* e) override;
};

Pump* ThePump() {
  static Pump* pump = new Pump;
  return pump;
}

void PostTrigger(UInt64 serial) { QCoreApplication::postEvent(ThePump(), new DeliverEvent(serial)); }

void DispatchPosted(const TMsg& msg) {
  TMessage m;
  m.Msg = msg.message;
  m.WParam = msg.wParam;
  m.LParam = msg.lParam;
  if (Application && msg.hwnd == Application->GetHandle()) {
    Application->WndProc(m);
    return;
  }
  if (TWinControl* c = FindControl(msg.hwnd)) c->WindowProc(m);
}

void Deliver(UInt64 serial) {
  Queue& q = TheQueue();
  QueuedMessage item;
  {
    std::lock_guard lock(q.mutex);
    auto it = std::find_if(q.items.begin(), q.items.end(),
                           [serial](const QueuedMessage& m) { return m.serial == serial; });
    if (it == q.items.end()) return;  // removed while it waited
    item = std::move(*it);
    q.items.erase(it);
  }
  if (item.held) {
    if (item.heldTarget) QCoreApplication::sendEvent(item.heldTarget, item.held.get());
    return;
  }
  TMsg msg = item.msg;
  GuardedCall(Application, [&] {
    bool handled = false;
    if (Application && Application->OnMessage) Application->OnMessage(msg, handled);
    if (!handled) DispatchPosted(msg);
  });
}

bool Pump::event(QEvent* e) {
  if (e->type() == kDeliverEvent) {
    Queue& q = TheQueue();
    if (q.holding) {
      q.heldTriggers.push_back(static_cast<DeliverEvent*>(e)->serial);
      return true;
    }
    Deliver(static_cast<DeliverEvent*>(e)->serial);
    return true;
  }
  if (e->type() == kSyncEvent) {
    Queue& q = TheQueue();
    if (q.holding) {
      q.syncHeld = true;
      return true;
    }
    GuardedCall(Application, [] { CheckSynchronize(); });
    return true;
  }
  return QObject::event(e);
}

class QtMainThreadDispatcher : public TMainThreadDispatcher {
 public:
  void WakeMainThread() override { QCoreApplication::postEvent(ThePump(), new QEvent(kSyncEvent)); }
};

bool IsHeldInput(QEvent::Type t) {
  switch (t) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
      return true;
    default:
      return false;
  }
}

// While the queue is being looked at, input is kept back instead of delivered.
class HoldFilter : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* e) override {
    Queue& q = TheQueue();
    if (!q.holding || !IsHeldInput(e->type())) return false;
    if (!watched->isWidgetType() && !watched->isWindowType()) return false;
    q.heldNow.emplace_back(QPointer<QObject>(watched), std::unique_ptr<QEvent>(e->clone()));
    return true;
  }
};

// The window an input event is for, and the message it stands for.
TMsg MessageOfInput(QObject* target, QEvent* e) {
  TMsg m;
  QWidget* widget = nullptr;
  QPoint global;
  if (auto* me = dynamic_cast<QMouseEvent*>(e))
    global = me->globalPosition().toPoint();
  else if (auto* we = dynamic_cast<QWheelEvent*>(e))
    global = we->globalPosition().toPoint();
  if (target->isWidgetType()) {
    widget = static_cast<QWidget*>(target);
  } else if (auto* window = qobject_cast<QWindow*>(target)) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->windowHandle() != window) continue;
      widget = top;
      if (dynamic_cast<QKeyEvent*>(e)) {
        if (QWidget* f = QApplication::focusWidget(); f && f->window() == top) widget = f;
      } else if (QWidget* child = top->childAt(top->mapFromGlobal(global))) {
        widget = child;
      }
      break;
    }
  }
  TWinControl* control = ControlOfWidget(widget);
  m.hwnd = control && control->HandleAllocated() ? control->GetHandle() : nullptr;
  m.time = GetMessageTime();
  m.pt = FromQPoint(global);
  if (auto* k = dynamic_cast<QKeyEvent*>(e)) {
    bool alt = k->modifiers() & Qt::AltModifier;
    bool press = e->type() == QEvent::KeyPress;
    m.message = press ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
    m.wParam = QtKeyToVirtualKey(k->key(), k->modifiers());
    m.lParam = MakeKeyData(alt, k->isAutoRepeat(), !press);
    return m;
  }
  TPoint local = control ? control->ScreenToClient(m.pt) : m.pt;
  if (auto* me = dynamic_cast<QMouseEvent*>(e)) {
    UINT base = me->button() == Qt::RightButton    ? WM_RBUTTONDOWN
                : me->button() == Qt::MiddleButton ? WM_MBUTTONDOWN
                                                   : WM_LBUTTONDOWN;
    switch (e->type()) {
      case QEvent::MouseButtonPress:
        m.message = base;
        break;
      case QEvent::MouseButtonRelease:
        m.message = base + 1;
        break;
      case QEvent::MouseButtonDblClick:
        m.message = base + 2;
        break;
      default:
        m.message = WM_MOUSEMOVE;
        break;
    }
    m.lParam = PointToLParam(local);
    return m;
  }
  if (auto* we = dynamic_cast<QWheelEvent*>(e)) {
    m.message = WM_MOUSEWHEEL;
    m.wParam = MAKEWPARAM(0, static_cast<Word>(static_cast<SmallInt>(we->angleDelta().y())));
    m.lParam = PointToLParam(m.pt);
  }
  return m;
}

// Lets the event loop take in what waits without delivering input, posted messages or timers, and
// puts the input into the queue where it can be looked at.
void HarvestInput() {
  if (!qApp) return;
  Queue& q = TheQueue();
  if (q.holding) return;
  q.holding = true;
  {
    auto release = MakeScopeExit([&] { q.holding = false; });
    QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers);
  }
  auto held = std::move(q.heldNow);
  q.heldNow.clear();
  auto triggers = std::move(q.heldTriggers);
  q.heldTriggers.clear();
  for (UInt64 serial : triggers) PostTrigger(serial);
  if (q.syncHeld) {
    q.syncHeld = false;
    QCoreApplication::postEvent(ThePump(), new QEvent(kSyncEvent));
  }
  for (auto& [target, event] : held) {
    if (!target) continue;
    QueuedMessage item;
    item.msg = MessageOfInput(target, event.get());
    item.held = std::move(event);
    item.heldTarget = target;
    UInt64 serial;
    {
      std::lock_guard lock(q.mutex);
      serial = item.serial = q.nextSerial++;
      q.items.push_back(std::move(item));
    }
    PostTrigger(serial);
  }
}

template <class Pred>
bool FindInQueue(Pred pred, bool remove, TMsg* out = nullptr) {
  Queue& q = TheQueue();
  std::lock_guard lock(q.mutex);
  for (auto it = q.items.begin(); it != q.items.end(); ++it) {
    if (!pred(it->msg)) continue;
    if (out) *out = it->msg;
    if (remove) q.items.erase(it);
    return true;
  }
  return false;
}

template <class F>
auto OnMainThread(F fn) -> decltype(fn()) {
  if (IsMainThread()) return fn();
  decltype(fn()) result{};
  TThread::Synchronize(nullptr, [&] { result = fn(); });
  return result;
}

}  // namespace

void GuardedCall(TObject* sender, const std::function<void()>& fn) {
  try {
    fn();
  } catch (...) {
    if (Application) Application->HandleException(sender, std::current_exception());
  }
}

void EnsureQtApplication() {
  static bool done = false;
  if (done) return;
  if (!qApp) {
    static int argc = 1;
    static char name[] = "kiv-erp";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
  }
  done = true;
  SetMainThreadID(std::this_thread::get_id());
  static QtMainThreadDispatcher dispatcher;
  SetMainThreadDispatcher(&dispatcher);
  InstallInputTracker();
  qApp->installEventFilter(new HoldFilter);
  ThePump();
}

bool PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (IsMainThread() && !IsWindow(wnd)) return false;
  Queue& q = TheQueue();
  UInt64 serial;
  {
    std::lock_guard lock(q.mutex);
    QueuedMessage item;
    item.serial = serial = q.nextSerial++;
    item.msg.hwnd = wnd;
    item.msg.message = msg;
    item.msg.wParam = wParam;
    item.msg.lParam = lParam;
    item.msg.time = GetMessageTime();
    q.items.push_back(std::move(item));
  }
  if (qApp) PostTrigger(serial);
  return true;
}

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return OnMainThread([&]() -> LRESULT {
    TMessage m;
    m.Msg = msg;
    m.WParam = wParam;
    m.LParam = lParam;
    if (Application && wnd == Application->GetHandle()) {
      Application->WndProc(m);
      return m.Result;
    }
    TWinControl* c = FindControl(wnd);
    if (!c) return 0;
    c->WindowProc(m);
    return m.Result;
  });
}

bool PostMessageOnce(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (IsMessagePending(wnd, msg)) return false;
  return PostMessage(wnd, msg, wParam, lParam);
}

bool IsMessagePending(HWND wnd, UINT msg) {
  if (IsInputMessage(msg))
    OnMainThread([] {
      HarvestInput();
      return 0;
    });
  return FindInQueue([&](const TMsg& m) { return m.message == msg && (!wnd || m.hwnd == wnd); }, false);
}

bool IsMessagePending(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (IsInputMessage(msg))
    OnMainThread([] {
      HarvestInput();
      return 0;
    });
  return FindInQueue(
      [&](const TMsg& m) {
        return m.message == msg && (!wnd || m.hwnd == wnd) && m.wParam == wParam && m.lParam == lParam;
      },
      false);
}

bool RemovePendingMessage(HWND wnd, UINT msg) {
  if (IsInputMessage(msg))
    OnMainThread([] {
      HarvestInput();
      return 0;
    });
  return FindInQueue([&](const TMsg& m) { return m.message == msg && (!wnd || m.hwnd == wnd); }, true);
}

bool PeekMessage(TMsg* out, HWND wnd, UINT first, UINT last, UINT removeFlags) {
  bool all = first == 0 && last == 0;
  bool wantsInput = all || (first <= WM_MOUSELAST && last >= WM_KEYFIRST);
  if (wantsInput)
    OnMainThread([] {
      HarvestInput();
      return 0;
    });
  return FindInQueue(
      [&](const TMsg& m) {
        if (wnd && m.hwnd != wnd) return false;
        return all || (m.message >= first && m.message <= last);
      },
      (removeFlags & PM_REMOVE) != 0, out);
}

bool KeyPressWaiting(HWND wnd, Word key) {
  // A worker asks between the main thread's events: a key delivered since its last question counts
  // as well, or the main loop would take every key before the worker could see it waiting.
  if (!IsMainThread()) {
    thread_local UInt64 seen = 0;
    if (KeyDeliveredSince(seen, wnd, key)) return true;
  }
  OnMainThread([] {
    HarvestInput();
    return 0;
  });
  return FindInQueue(
      [&](const TMsg& m) {
        if (m.message != WM_KEYDOWN && m.message != WM_SYSKEYDOWN) return false;
        if (wnd && m.hwnd != wnd) return false;
        return key == 0 || m.wParam == key;
      },
      false);
}

bool RemovePendingKey(HWND wnd, Word key) {
  OnMainThread([] {
    HarvestInput();
    return 0;
  });
  return FindInQueue(
      [&](const TMsg& m) {
        if (m.message != WM_KEYDOWN && m.message != WM_SYSKEYDOWN) return false;
        if (wnd && m.hwnd != wnd) return false;
        return key == 0 || m.wParam == key;
      },
      true);
}

bool RemovePendingClick(HWND wnd, TPoint* clientPos) {
  OnMainThread([] {
    HarvestInput();
    return 0;
  });
  TMsg found;
  bool removed = FindInQueue(
      [&](const TMsg& m) {
        if (m.message != WM_LBUTTONDOWN && m.message != WM_LBUTTONDBLCLK) return false;
        return !wnd || m.hwnd == wnd;
      },
      true, &found);
  if (removed && clientPos) *clientPos = TPoint(GET_X_LPARAM(found.lParam), GET_Y_LPARAM(found.lParam));
  return removed;
}
