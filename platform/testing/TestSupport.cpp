// Test helpers over Qt: headless start, name paths, synthetic key, mouse and wheel events and grabs.
#include "platform/testing/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
#include <cstdio>
#include <cstdlib>

#include "platform/controls/private/ControlsQt.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/private/DeviceContext.h"
#include "platform/rtl/Strings.h"

void InitTestApplication() {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
}

void ResetApplicationForTests() { Application->terminated_ = false; }

void ProcessPendingEvents() {
  InitTestApplication();
  Application->ProcessMessages();
}

void ProcessEventsFor(Integer ms) {
  InitTestApplication();
  QElapsedTimer t;
  t.start();
  // Waiting as the main loop does lets idle work (actions' updates, OnIdle) run in between.
  QTimer deadline;
  deadline.setSingleShot(true);
  deadline.setTimerType(Qt::PreciseTimer);
  while (t.elapsed() < ms) {
    if (!deadline.isActive()) deadline.start(static_cast<int>(std::max<qint64>(1, ms - t.elapsed())));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  Application->ProcessMessages();
}

TComponent* FindComponentByPath(const String& path) {
  std::vector<String> parts;
  size_t start = 0;
  while (true) {
    size_t dot = path.find(u'.', start);
    parts.push_back(path.substr(start, dot == String::npos ? String::npos : dot - start));
    if (dot == String::npos) break;
    start = dot + 1;
  }
  TComponent* current = nullptr;
  for (Integer i = 0; i < Screen->GetCustomFormCount() && !current; ++i)
    if (SameText(Screen->GetCustomForm(i)->GetName(), parts[0])) current = Screen->GetCustomForm(i);
  for (Integer i = 0; i < Screen->GetDataModuleCount() && !current; ++i)
    if (SameText(Screen->GetDataModule(i)->GetName(), parts[0])) current = Screen->GetDataModule(i);
  for (size_t i = 1; current && i < parts.size(); ++i) {
    TComponent* next = current->FindComponent(parts[i]);
    if (!next) {
      if (auto* w = dynamic_cast<TWinControl*>(current)) {
        for (Integer c = 0; c < w->GetControlCount(); ++c)
          if (SameText(w->GetControl(c)->GetName(), parts[i])) next = w->GetControl(c);
      }
    }
    current = next;
  }
  return current;
}

TControl* FindControlByPath(const String& path) { return dynamic_cast<TControl*>(FindComponentByPath(path)); }

namespace {

Qt::KeyboardModifiers Modifiers(TShiftState shift) {
  Qt::KeyboardModifiers m;
  if (shift.Contains(ssShift)) m |= Qt::ShiftModifier;
  if (shift.Contains(ssCtrl)) m |= Qt::ControlModifier;
  if (shift.Contains(ssAlt)) m |= Qt::AltModifier;
  return m;
}

Qt::MouseButton Button(TMouseButton b) {
  switch (b) {
    case mbRight:
      return Qt::RightButton;
    case mbMiddle:
      return Qt::MiddleButton;
    default:
      return Qt::LeftButton;
  }
}

Qt::MouseButtons HeldButtons(TShiftState shift) {
  Qt::MouseButtons b;
  if (shift.Contains(ssLeft)) b |= Qt::LeftButton;
  if (shift.Contains(ssRight)) b |= Qt::RightButton;
  if (shift.Contains(ssMiddle)) b |= Qt::MiddleButton;
  return b;
}

QString KeyText(Word key, TShiftState shift) {
  bool ctrl = shift.Contains(ssCtrl), alt = shift.Contains(ssAlt), upper = shift.Contains(ssShift);
  if (key >= 'A' && key <= 'Z') {
    if (ctrl) return QString(QChar(static_cast<char16_t>(key - 'A' + 1)));
    if (alt) return QString();
    return QString(QChar(static_cast<char16_t>(upper ? key : key + 32)));
  }
  if (ctrl || alt) return QString();
  if (key >= '0' && key <= '9' && !upper) return QString(QChar(static_cast<char16_t>(key)));
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9)
    return QString(QChar(static_cast<char16_t>('0' + key - VK_NUMPAD0)));
  switch (key) {
    case VK_SPACE:
      return QStringLiteral(" ");
    case VK_RETURN:
      return QStringLiteral("\r");
    case VK_ESCAPE:
      return QString(QChar(0x1B));
    case VK_BACK:
      return QString(QChar(0x08));
    case VK_TAB:
      return QStringLiteral("\t");
    default:
      return QString();
  }
}

QWidget* WidgetOf(TWinControl* control) {
  control->HandleNeeded();
  return control->GetWidget();
}

// The window that receives the control's mouse input and the point in its widget coordinates.
QWidget* MouseTarget(TControl* control, TPoint pos, QPoint& local) {
  TWinControl* window = dynamic_cast<TWinControl*>(control);
  TPoint p = pos;
  if (!window) {
    window = control->GetParent();
    p = TPoint(pos.X + control->GetLeft(), pos.Y + control->GetTop());
  }
  QWidget* w = WidgetOf(window);
  TRect m = window->GetNonClientMargins();
  local = QPoint(p.X + m.Left, p.Y + m.Top);
  return w;
}

void SendMouse(QEvent::Type type, TControl* control, TMouseButton button, TPoint pos, TShiftState shift,
               Qt::MouseButtons buttons) {
  InitTestApplication();
  QPoint local;
  QWidget* w = MouseTarget(control, pos, local);
  QPointF global = w->mapToGlobal(QPointF(local));
  QMouseEvent e(type, QPointF(local), global, type == QEvent::MouseMove ? Qt::NoButton : Button(button),
                buttons, Modifiers(shift));
  QCursor::setPos(global.toPoint());
  QCoreApplication::sendEvent(w, &e);
}

void SendOneKey(TWinControl* control, Word key, TShiftState shift, bool post) {
  InitTestApplication();
  QWidget* w = WidgetOf(control);
  int qtKey = VirtualKeyToQtKey(key);
  if (key == VK_TAB && shift.Contains(ssShift)) qtKey = Qt::Key_Backtab;
  QString text = KeyText(key, shift);
  auto* press = new QKeyEvent(QEvent::KeyPress, qtKey, Modifiers(shift), text);
  auto* release = new QKeyEvent(QEvent::KeyRelease, qtKey, Modifiers(shift), text);
  if (post) {
    QCoreApplication::postEvent(w, press);
    QCoreApplication::postEvent(w, release);
    return;
  }
  QCoreApplication::sendEvent(w, press);
  delete press;
  if (w) QCoreApplication::sendEvent(w, release);
  delete release;
}

}  // namespace

void SendKey(TWinControl* control, Word key, TShiftState shift) { SendOneKey(control, key, shift, false); }

void SendKey(const String& path, Word key, TShiftState shift) {
  auto* control = dynamic_cast<TWinControl*>(FindControlByPath(path));
  if (!control) throw EInvalidOperation(u"No windowed control " + path);
  SendKey(control, key, shift);
}

void PostKey(TWinControl* control, Word key, TShiftState shift) { SendOneKey(control, key, shift, true); }

void SendChar(TWinControl* control, Char ch) {
  InitTestApplication();
  QWidget* w = WidgetOf(control);
  int qtKey = Qt::Key_unknown;
  if (ch >= u'a' && ch <= u'z')
    qtKey = Qt::Key_A + (ch - u'a');
  else if (ch >= u'A' && ch <= u'Z')
    qtKey = Qt::Key_A + (ch - u'A');
  else if (ch >= u'0' && ch <= u'9')
    qtKey = Qt::Key_0 + (ch - u'0');
  else if (ch == u' ')
    qtKey = Qt::Key_Space;
  else if (ch >= 0x0410 && ch <= 0x042F)
    qtKey = ch;
  else if (ch >= 0x0430 && ch <= 0x044F)
    qtKey = ch - 0x20;
  else if (ch == 0x0451)
    qtKey = 0x0401;
  QString text(QChar(static_cast<char16_t>(ch)));
  QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
  QCoreApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
  QCoreApplication::sendEvent(w, &release);
}

void TypeText(TWinControl* control, const String& text) {
  for (Char ch : text) SendChar(control, ch);
}

void SendMouseDown(TControl* control, TMouseButton button, TPoint pos, TShiftState shift) {
  SendMouse(QEvent::MouseButtonPress, control, button, pos, shift, Button(button) | HeldButtons(shift));
}

void SendMouseUp(TControl* control, TMouseButton button, TPoint pos, TShiftState shift) {
  SendMouse(QEvent::MouseButtonRelease, control, button, pos, shift, HeldButtons(shift));
}

void SendMouseMove(TControl* control, TPoint pos, TShiftState shift) {
  SendMouse(QEvent::MouseMove, control, mbLeft, pos, shift, HeldButtons(shift));
}

void SendClick(TControl* control, TPoint pos, TMouseButton button, TShiftState shift) {
  SendMouseDown(control, button, pos, shift);
  SendMouseUp(control, button, pos, shift);
}

void SendClick(const String& path, TMouseButton button) {
  TControl* control = FindControlByPath(path);
  if (!control) throw EInvalidOperation(u"No control " + path);
  SendClick(control, TPoint(control->GetWidth() / 2, control->GetHeight() / 2), button);
}

void PostMouseClick(TControl* control, TPoint pos, TMouseButton button) {
  InitTestApplication();
  QPoint local;
  QWidget* w = MouseTarget(control, pos, local);
  QPointF global = w->mapToGlobal(QPointF(local));
  QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonPress, QPointF(local), global,
                                                 Button(button), Button(button), Qt::NoModifier));
  QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonRelease, QPointF(local), global,
                                                 Button(button), Qt::NoButton, Qt::NoModifier));
}

void SendDblClick(TControl* control, TPoint pos, TMouseButton button) {
  SendMouseDown(control, button, pos);
  SendMouseUp(control, button, pos);
  SendMouse(QEvent::MouseButtonDblClick, control, button, pos, {}, Button(button));
  SendMouseUp(control, button, pos);
}

void SendDrag(TControl* from, TPoint fromPos, TControl* to, TPoint toPos, Integer steps) {
  SendMouseDown(from, mbLeft, fromPos);
  TPoint start = from->ClientToScreen(fromPos);
  TPoint end = to->ClientToScreen(toPos);
  if (steps < 1) steps = 1;
  for (Integer i = 1; i <= steps; ++i) {
    TPoint screen(start.X + (end.X - start.X) * i / steps, start.Y + (end.Y - start.Y) * i / steps);
    SendMouseMove(from, from->ScreenToClient(screen), {ssLeft});
  }
  SendMouseUp(from, mbLeft, from->ScreenToClient(end));
}

void SendWheel(TControl* control, Integer delta, TPoint pos, TShiftState shift) {
  InitTestApplication();
  QPoint local;
  QWidget* w = MouseTarget(control, pos, local);
  QPointF global = w->mapToGlobal(QPointF(local));
  QWheelEvent e(QPointF(local), global, QPoint(), QPoint(0, delta), HeldButtons(shift), Modifiers(shift),
                Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(w, &e);
}

std::unique_ptr<TBitmap> CaptureControl(TControl* control) {
  InitTestApplication();
  QImage image;
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    image = WidgetOf(w)->grab().toImage();
  } else {
    QPoint local;
    QWidget* parent = MouseTarget(control, TPoint(0, 0), local);
    image = parent->grab(QRect(local, QSize(control->GetWidth(), control->GetHeight()))).toImage();
  }
  auto bitmap = std::make_unique<TBitmap>(image.width(), image.height());
  QPainter painter(&gdi::Pixels(bitmap->GetHandle()));
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(0, 0, image);
  painter.end();
  return bitmap;
}

TColor PixelAt(TBitmap* bitmap, Integer x, Integer y) {
  QRgb c = gdi::Pixels(bitmap->GetHandle()).pixel(x, y);
  return static_cast<TColor>(
      RGB(static_cast<Byte>(qRed(c)), static_cast<Byte>(qGreen(c)), static_cast<Byte>(qBlue(c))));
}

bool DesktopTestsEnabled() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  return std::getenv("KIV_DESKTOP_TESTS") && platform && std::string(platform) == "xcb";
}

std::string RunDesktopCommand(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

std::string ActiveWindowName() {
  return RunDesktopCommand("xdotool getactivewindow getwindowname 2>/dev/null");
}

void ActivateWindowByName(const std::string& title) {
  RunDesktopCommand("xdotool search --name '" + title + "' windowactivate --sync 2>/dev/null");
  for (int i = 0; i < 50 && ActiveWindowName() != title; ++i) ProcessEventsFor(50);
}
