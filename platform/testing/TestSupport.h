// Helpers for tests of controls and forms: a headless application once per program, controls found
// by name path, keys and mouse input sent the way the window system sends them, and pictures of
// windows for pixel probes. In the testing library, which only test binaries link.
#pragma once

#include <memory>
#include <string>

#include "platform/controls/Forms.h"

// Makes the application headless (QT_QPA_PLATFORM=offscreen unless set) and initialises it; safe to
// call from every test.
void InitTestApplication();
// Undoes Application->Terminate() so that later tests of the same program can run loops again.
void ResetApplicationForTests();
// Runs what waits in the event loop (posted messages, paints, timers due), a few rounds.
void ProcessPendingEvents();
// Runs the event loop for about ms milliseconds (timers fire meanwhile).
void ProcessEventsFor(Integer ms);

// "Form1" (a form or data module on the screen, by name), "Form1.Edit1", "Form1.Panel1.Button2"
// (components owned by the form, or children by name); null when the path names nothing.
TComponent* FindComponentByPath(const String& path);
TControl* FindControlByPath(const String& path);

// Keys go to the control's window now, as a press and a release: virtual key, its character (letters,
// digits, space, Enter, Esc, Backspace, Tab; Ctrl+letter its control character) and the shift state.
void SendKey(TWinControl* control, Word key, TShiftState shift = {});
void SendKey(const String& path, Word key, TShiftState shift = {});
// A key press that types the character (any character, Cyrillic included).
void SendChar(TWinControl* control, Char ch);
void TypeText(TWinControl* control, const String& text);
// Queues a key press (and release) for the control's window without delivering it.
void PostKey(TWinControl* control, Word key, TShiftState shift = {});

// Mouse input at client coordinates of the control (windowed or not; a control without a window gets
// it through its parent, as the system does).
void SendMouseDown(TControl* control, TMouseButton button, TPoint pos, TShiftState shift = {});
void SendMouseUp(TControl* control, TMouseButton button, TPoint pos, TShiftState shift = {});
void SendMouseMove(TControl* control, TPoint pos, TShiftState shift = {});
void SendClick(TControl* control, TPoint pos, TMouseButton button = mbLeft, TShiftState shift = {});
void SendClick(const String& path, TMouseButton button = mbLeft);
void SendDblClick(TControl* control, TPoint pos, TMouseButton button = mbLeft);
// Queues a press and a release without delivering them.
void PostMouseClick(TControl* control, TPoint pos, TMouseButton button = mbLeft);
// Press at from, moves in steps to the screen position of to's client point, release there; all
// events go to the window that got the press, as the system's implicit capture does.
void SendDrag(TControl* from, TPoint fromPos, TControl* to, TPoint toPos, Integer steps = 6);
// One wheel notch is 120; positive turns away from the user.
void SendWheel(TControl* control, Integer delta, TPoint pos, TShiftState shift = {});

// The control as it shows now (its window with its children; a control without a window cut out of
// its parent's picture).
std::unique_ptr<TBitmap> CaptureControl(TControl* control);
// The colour of a pixel of a picture as 0x00BBGGRR.
TColor PixelAt(TBitmap* bitmap, Integer x, Integer y);

// ---- On a real X desktop with a window manager (tools/desktop) ----

// True when the desktop tests are asked for (KIV_DESKTOP_TESTS) and the program is on an X display
// (QT_QPA_PLATFORM=xcb); offscreen no window is ever activated.
bool DesktopTestsEnabled();
// Runs a shell command (xdotool, import) and answers what it printed without the last line break; ""
// when it could not run.
std::string RunDesktopCommand(const std::string& command);
// The title of the window the X server holds active.
std::string ActiveWindowName();
// Has the window manager activate the window of that title and waits, handling events, until the X
// server reports it active (2.5 seconds at most).
void ActivateWindowByName(const std::string& title);
