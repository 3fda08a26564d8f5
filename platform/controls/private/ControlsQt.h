// Inside the controls layer: the Qt host of windowed controls, conversions between the layer's types
// and Qt's, and the hooks between the host, the message queue and the application. Only platform
// libraries include this header; it brings Qt in.
#pragma once

#include <QCursor>
#include <QEvent>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

#include "platform/controls/Forms.h"

class QKeyEvent;
class QMouseEvent;
class QWheelEvent;
class QPainter;

inline QString ToQString(const String& s) {
  return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}
inline String FromQString(const QString& s) { return s.toStdU16String(); }
inline QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }
inline TRect FromQRect(const QRect& r) { return Bounds(r.x(), r.y(), r.width(), r.height()); }
inline QPoint ToQPoint(TPoint p) { return QPoint(p.X, p.Y); }
inline TPoint FromQPoint(const QPoint& p) { return TPoint(p.x(), p.y()); }
QColor ToQColor(TColor color);
// Raises a widget; top-level windows only where the platform can (the headless one cannot).
void RaiseWidget(QWidget* widget);
QFont ToQFont(const TFont* font);

struct TCursorImage {
  QCursor cursor;
};
QCursor CursorToQCursor(TCursor cursor);

// Virtual-key codes of Qt keys and back.
Word QtKeyToVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers);
int VirtualKeyToQtKey(Word vk);
TShiftState QtShiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

// Key data of WM_KEYDOWN/WM_CHAR: repeat count 1, bit 29 with Alt, bit 30 on repeat, bit 31 on release.
Integer MakeKeyData(bool alt, bool autoRepeat, bool release);

// The widget of a plain windowed control: it paints nothing itself and leaves focus moves to us.
class TControlWidget : public QWidget {
 public:
  TControlWidget(TWinControl* control, QWidget* parent, Qt::WindowFlags flags = {});
  TWinControl* Control() const { return control_; }

 protected:
  bool focusNextPrevChild(bool) override { return false; }
  void paintEvent(QPaintEvent*) override {}

 private:
  TWinControl* control_;
};

// Turns the Qt events of one window into window messages and back. It filters the events of the
// control's widget; a message that reaches DefaultHandler hands its Qt event back to the widget.
class TWinControlHost : public QObject {
 public:
  TWinControlHost(TWinControl* control, QWidget* widget);
  ~TWinControlHost() override;

  TWinControl* Control() const { return control_; }
  QWidget* Widget() const { return widget_; }
  HWND Handle() const { return handle_; }

  bool eventFilter(QObject* watched, QEvent* event) override;

  // DefaultHandler of the control: for a message made from a Qt event, lets the widget have the event
  // (an edited key as a new event); answers whether there was one.
  bool PassToWidget(TMessage& message);
  // A character sent or posted by code (no key event behind it) typed into a wrapped widget.
  void TypeCharIntoWidget(Char ch);
  // The widget's top-left corner of the client area (the non-client margin).
  QPoint ClientOffset() const;
  // Sends a Qt event to the widget without turning it into messages again.
  bool SendUnfiltered(QEvent* event);
  // Paints control and children into painter (PaintTo and the widget's own paint event).
  void PaintInto(QPainter& painter, bool withChildren);
  // A main menu bar (or any widget) laid along the top edge outside the client area.
  void SetTopBar(QWidget* bar);
  QWidget* TopBar() const { return topBar_; }
  Integer TopBarHeight() const;
  void LayoutTopBar();

  // The message being made from a Qt event right now.
  struct Pending {
    QEvent* event = nullptr;
    TMessage original;
    bool passed = false;
  };

 private:
  bool HandleKey(QKeyEvent* event);
  bool HandleKeyRelease(QKeyEvent* event);
  bool HandleMouse(QMouseEvent* event);
  bool HandleWheel(QWheelEvent* event);
  bool HandlePaint(QEvent* event);
  bool DispatchWithEvent(QEvent* event, TMessage& message);

  TWinControl* control_;
  QPointer<QWidget> widget_;
  HWND handle_;
  Pending* pending_ = nullptr;
  bool unfiltered_ = false;
  QPointer<QWidget> topBar_;
};

// ---- Registry of window handles ----
HWND RegisterWindow(TWinControl* control);
void UnregisterWindow(HWND handle);
TWinControlHost* FindHost(HWND handle);
// The control of a widget (or of its nearest ancestor that is one).
TWinControl* ControlOfWidget(QWidget* widget);

// ---- Application bridge ----
// Makes the Qt application if there is none and installs the event filter, the message pump and
// the main-thread dispatcher. Safe to call more than once.
void EnsureQtApplication();
// Runs fn and hands any exception to Application->HandleException: nothing crosses Qt's dispatch.
void GuardedCall(TObject* sender, const std::function<void()>& fn);
// The capture window set with SetCapture (null when none).
HWND CurrentCapture();
// The control the mouse was last over, for CM_MOUSEENTER/CM_MOUSELEAVE.
void TrackMouseControl(TControl* control);
// Called when a control goes away so that no global state keeps pointing at it.
void ForgetControl(TControl* control);
// Drag and drop in progress (BeginDrag): mouse moves and the release go to the drag manager.
bool DragActive();
bool DragMouseMove(TPoint screenPos);
bool DragMouseUp(TPoint screenPos);
void DragCancel();
// Starts tracking a pending drag of control from the screen point (immediate or after threshold).
void DragBegin(TControl* control, bool immediate, Integer threshold, TPoint screenPos);
bool DragPending();
TControl* DragSourceControl();
// Hint tracking.
void NoteMouseMove(TControl* control, TPoint screenPos);

// Forms: the main menu bar area.
void SetFormMenuWidget(TCustomForm* form, QWidget* menuBar);
