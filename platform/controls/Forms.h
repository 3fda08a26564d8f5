// Forms, data modules, the application and the screen: top-level windows loaded from their form
// resources, modal loops, the main-form rule, exception and message boxes, hints, monitors.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/controls/Controls.h"

class TMainMenu;
class TStrings;
class TFormHost;
class TApplicationHost;
class TTimer;
class TIcon;

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter,
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStateFlag { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateFlag>;
enum TDefaultMonitor { dmDesktop, dmPrimary, dmMainForm, dmActiveForm };
enum TMonitorDefaultTo { mdNearest, mdNull, mdPrimary };

using TCloseEvent = TDelegate<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TDelegate<void(TObject* Sender, bool& CanClose)>;
using TExceptionEvent = TDelegate<void(TObject* Sender, Exception* E)>;
using TIdleEvent = TDelegate<void(TObject* Sender, bool& Done)>;
using TMessageEvent = TDelegate<void(TMsg& Msg, bool& Handled)>;
using TShowHintEvent = TDelegate<void(String& HintStr, bool& CanShow, THintInfo& HintInfo)>;
// A hook of the application window: answers true when it handled the message.
using TWindowHook = TDelegate<bool(TMessage& Message)>;

// ---- Monitors ----

using HMONITOR = void*;

class TMonitor : public TObject {
  KIV_CLASS(TMonitor, TObject)
 public:
  TMonitor(Integer number, HMONITOR handle) : number_(number), handle_(handle) {}
  HMONITOR GetHandle() const { return handle_; }
  Integer GetMonitorNum() const { return number_; }
  TRect GetBoundsRect() const;
  TRect GetWorkareaRect() const;
  Integer GetLeft() const { return GetBoundsRect().Left; }
  Integer GetTop() const { return GetBoundsRect().Top; }
  Integer GetWidth() const { return GetBoundsRect().Width(); }
  Integer GetHeight() const { return GetBoundsRect().Height(); }
  bool GetPrimary() const { return number_ == 0; }
  Integer GetPixelsPerInch() const { return 96; }

 private:
  Integer number_;
  HMONITOR handle_;
};

// ---- Forms ----

// TForm's base between TWinControl and the forms: a windowed control that may scroll its client
// area. Scroll bars come with the standard controls; the layer keeps the flag for form resources.
class TScrollingWinControl : public TWinControl {
  KIV_CLASS(TScrollingWinControl, TWinControl)
 public:
  explicit TScrollingWinControl(TComponent* owner);
  bool GetAutoScroll() const { return autoScroll_; }
  void SetAutoScroll(bool value) { autoScroll_ = value; }

 private:
  bool autoScroll_ = false;
};

// A scroll bar of a scrolling control: Range is the extent of the content (with AutoScroll, that of
// the children), Position how far it is scrolled.
class TScrollBox;
class TControlScrollBar : public TPersistent {
  KIV_CLASS(TControlScrollBar, TPersistent)
 public:
  TControlScrollBar(TScrollBox* control, bool vertical) : control_(control), vertical_(vertical) {}
  static void Published(TPropBuilder<TControlScrollBar>& p);
  TPersistent* GetOwner() const override;

  // Clamped into 0..Range less the client size; moves the children.
  Integer GetPosition() const { return position_; }
  void SetPosition(Integer value);
  Integer GetRange() const { return range_; }
  void SetRange(Integer value);
  Integer GetIncrement() const { return increment_; }
  void SetIncrement(Integer value) { increment_ = value > 0 ? value : 1; }
  bool GetVisible() const { return visible_; }
  void SetVisible(bool value);
  // Whether the bar shows: visible and the range larger than the client.
  bool IsScrollBarVisible() const;

 private:
  friend class TScrollBox;
  TScrollBox* control_;
  bool vertical_;
  Integer position_ = 0;
  Integer range_ = 0;
  Integer increment_ = 8;
  bool visible_ = true;
};

class TScrollBoxBars;

// A bordered control whose children scroll (implemented with the standard controls, ExtCtrls.cpp).
class TScrollBox : public TScrollingWinControl {
  KIV_CLASS(TScrollBox, TScrollingWinControl)
 public:
  explicit TScrollBox(TComponent* owner);
  ~TScrollBox() override;
  static void Published(TPropBuilder<TScrollBox>& p);

  TControlScrollBar* GetHorzScrollBar() const { return horz_.get(); }
  void SetHorzScrollBar(TControlScrollBar* value);
  TControlScrollBar* GetVertScrollBar() const { return vert_.get(); }
  void SetVertScrollBar(TControlScrollBar* value);
  TBorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  // Scrolls so that the control is inside the client area.
  void ScrollInView(TControl* control);
  // Recomputes the ranges (with AutoScroll) and shows or hides the bars.
  void UpdateScrollBars();

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitQtWidget(QWidget* widget) override;
  void Dispatch(TMessage& message) override;
  void AlignControls(TControl* control, TRect& rect) override;
  bool DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) override;

 private:
  friend class TControlScrollBar;
  friend class TScrollBoxBars;
  void ScrollTo(bool vertical, Integer position);
  std::unique_ptr<TControlScrollBar> horz_;
  std::unique_ptr<TControlScrollBar> vert_;
  std::unique_ptr<TScrollBoxBars> bars_;
  TBorderStyle borderStyle_ = bsSingle;
  bool updating_ = false;
};

// A form reads the form resources of its class and of its parent classes (up to TForm) and then
// raises OnCreate in AfterConstruction, once the whole object exists (a C++ base constructor cannot
// see the derived class, its handlers nor its resource). Application->CreateForm and NewForm<T> call
// it; a form made with `new` calls it at the end of its own constructor with
// KIV_FORM_CREATED(TMyForm), which does nothing in the constructors of forms derived from it.
// Show and ShowModal complete a form that was not completed. A class without a form resource of its
// own (other than TForm itself) raises EResNotFound "Resource %s not found" there.
class TCustomForm : public TScrollingWinControl {
  KIV_CLASS(TCustomForm, TScrollingWinControl)
 public:
  explicit TCustomForm(TComponent* owner);
  // Creates the form without reading a form resource (the class library's CreateNew).
  TCustomForm(TComponent* owner, Integer dummy);
  ~TCustomForm() override;
  static void Published(TPropBuilder<TCustomForm>& p);

  // Reads the form resources and raises OnCreate; runs once.
  virtual void AfterConstruction();
  bool GetCreated() const { return created_; }
  // As the root of a stream: the owned components without a parent control first, in creation
  // order, then the child controls.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

  // ---- Showing ----
  void Show();
  // Shows the form without activating it or taking the focus (drop-downs and popups).
  void ShowNoActivate();
  void Hide();
  // Runs a nested event loop until ModalResult is set (or the form closes, or the application
  // terminates) and answers ModalResult. A form already shown raises EInvalidOperation
  // "Cannot make a visible window modal".
  virtual TModalResult ShowModal();
  // CloseQuery, then OnClose decides: caHide hides (ends a modal loop with mrCancel when no result is
  // set), caFree releases the form, caMinimize minimizes, caNone keeps it open.
  void Close();
  virtual bool CloseQuery();
  // Frees the form once the event loop is back from the current event.
  void Release();
  void BringToFront();
  bool GetActive() const { return active_; }
  TFormState GetFormState() const { return formState_; }
  bool IsModal() const { return formState_.Contains(fsModal); }

  TModalResult GetModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value);

  // ---- Focus ----
  TWinControl* GetActiveControl() const { return activeControl_; }
  // Raises EInvalidOperation "Cannot focus a disabled or invisible window" for a control that cannot
  // take the focus while the form is shown.
  void SetActiveControl(TWinControl* control);
  // Moves the focus; answers false when OnExit/OnEnter handlers moved it elsewhere or the control
  // refused.
  virtual bool SetFocusedControl(TWinControl* control);
  void FocusControl(TWinControl* control);
  // Takes the focus away from control (and its children) before it is hidden or freed.
  void DefocusControl(TWinControl* control, bool removing);
  bool GetKeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool value) { keyPreview_ = value; }
  void SetFocus() override;
  // Shortcuts of the form (OnShortCut, then its menus and action lists) before a control sees a key.
  virtual bool IsShortCut(TWMKey& message);

  // ---- Window ----
  TFormBorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle value);
  TBorderIcons GetBorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons value);
  TFormStyle GetFormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle value);
  TPosition GetPosition() const { return position_; }
  void SetPosition(TPosition value) { position_ = value; }
  TWindowState GetWindowState() const;
  void SetWindowState(TWindowState value);
  TDefaultMonitor GetDefaultMonitor() const { return defaultMonitor_; }
  void SetDefaultMonitor(TDefaultMonitor value) { defaultMonitor_ = value; }
  bool GetAlphaBlend() const { return alphaBlend_; }
  void SetAlphaBlend(bool value);
  Byte GetAlphaBlendValue() const { return alphaBlendValue_; }
  void SetAlphaBlendValue(Byte value);
  bool GetTransparentColor() const { return transparentColor_; }
  void SetTransparentColor(bool value) { transparentColor_ = value; }
  TColor GetTransparentColorValue() const { return transparentColorValue_; }
  void SetTransparentColorValue(TColor value) { transparentColorValue_ = value; }
  TMainMenu* GetMenu() const { return menu_; }
  void SetMenu(TMainMenu* value);
  // The window's icon, which the title bar and the task list show; loading a picture into it shows it.
  TIcon* GetIcon();
  void SetIcon(TIcon* value);
  TMonitor* GetMonitor() const;
  bool GetScaled() const { return scaled_; }
  void SetScaled(bool value) { scaled_ = value; }
  Integer GetPixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(Integer value) { pixelsPerInch_ = value; }
  // Moves the form so that it lies inside the work area of the monitor it is on (most of it).
  void MakeFullyVisible(TMonitor* monitor = nullptr);
  TCanvas* GetCanvas() const { return canvas_.get(); }
  // The form as a bitmap (what the window shows now); the caller owns it.
  TBitmap* GetFormImage();

  // ---- Events ----
  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TDelegate<void(TWMKey& Msg, bool& Handled)> OnShortCut;

 protected:
  friend class TFormHost;
  friend class TApplication;
  friend class TWinControl;

  void CreateParams(TCreateParams& params) override;
  QWidget* CreateQtWidget(const TCreateParams& params) override;
  void InitQtWidget(QWidget* widget) override;
  void PaintWindow(HDC dc) override;
  void Dispatch(TMessage& message) override;
  void Loaded() override;
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);
  virtual void Activate();
  virtual void Deactivate();
  virtual void Paint();
  // Arrow, Tab, Enter and Esc navigation of the form.
  void CMDialogKey(TCMDialogKey& message);
  void CMDialogChar(TCMDialogChar& message);
  void CMActivate(TMessage& message);
  void CMDeactivate(TMessage& message);
  void CMShowingChanged(TMessage& message);
  void CMRelease(TMessage& message);
  void WMClose(TMessage& message);
  void WMActivate(TWMActivate& message);
  void SetWindowFocus();
  void PlaceOnScreen();
  void SetActive(bool active);
  void ApplyWindowFlags();
  void ApplyIcon();

  void InitForm(bool readResource);
  void SetTextValue(const String& value) override;
  void CloseModal();

  std::unique_ptr<TCanvas> canvas_;
  TWinControl* activeControl_ = nullptr;
  TWinControl* focusedControl_ = nullptr;
  TModalResult modalResult_ = mrNone;
  TFormState formState_;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  TFormStyle formStyle_ = fsNormal;
  TPosition position_ = poDefaultPosOnly;
  TWindowState windowState_ = wsNormal;
  TDefaultMonitor defaultMonitor_ = dmActiveForm;
  bool alphaBlend_ = false;
  Byte alphaBlendValue_ = 255;
  bool transparentColor_ = false;
  TColor transparentColorValue_ = 0;
  TMainMenu* menu_ = nullptr;
  std::unique_ptr<TIcon> icon_;
  bool scaled_ = true;
  Integer pixelsPerInch_ = 96;
  bool keyPreview_ = false;
  bool active_ = false;
  bool placed_ = false;
  bool noActivate_ = false;
  bool releasing_ = false;
  TCustomForm* modalOwner_ = nullptr;
  bool readResource_ = true;
  bool created_ = false;
  bool everShown_ = false;
  TCloseAction modalCloseAction_ = caNone;
};

#define KIV_FORM_CREATED(Name)                                   \
  do {                                                           \
    if (ClassType() == Name::StaticClass()) AfterConstruction(); \
  } while (false)

// Makes a form or data module of class T and completes it (resources, OnCreate).
template <class T>
T* NewForm(TComponent* owner) {
  T* form = new T(owner);
  form->AfterConstruction();
  return form;
}

class TForm : public TCustomForm {
  KIV_CLASS(TForm, TCustomForm)
 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
  TForm(TComponent* owner, Integer dummy) : TCustomForm(owner, dummy) {}
};

using TFormClass = TClass;

// A non-visual container of components with its own form resource.
class TDataModule : public TComponent {
  KIV_CLASS(TDataModule, TComponent)
 public:
  // Like a form: the resources are read and OnCreate raised in AfterConstruction.
  explicit TDataModule(TComponent* owner);
  TDataModule(TComponent* owner, Integer dummy);
  ~TDataModule() override;
  static void Published(TPropBuilder<TDataModule>& p);
  virtual void AfterConstruction();
  bool GetCreated() const { return created_; }
  // As the root of a stream: the owned components without a parent, in creation order.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;

 protected:
  virtual void DoCreate();
  virtual void DoDestroy();
  void InitModule(bool readResource);
  bool readResource_ = true;
  bool created_ = false;
};

// ---- Screen ----

class TScreen : public TComponent {
  KIV_CLASS(TScreen, TComponent)
 public:
  explicit TScreen(TComponent* owner);
  ~TScreen() override;

  Integer GetFormCount() const { return static_cast<Integer>(forms_.size()); }
  TForm* GetForm(Integer index) const;
  TForm* Forms(Integer index) const { return GetForm(index); }
  Integer GetCustomFormCount() const { return static_cast<Integer>(forms_.size()); }
  TCustomForm* GetCustomForm(Integer index) const;
  Integer GetDataModuleCount() const { return static_cast<Integer>(dataModules_.size()); }
  TDataModule* GetDataModule(Integer index) const;
  TDataModule* DataModules(Integer index) const { return GetDataModule(index); }
  TForm* GetActiveForm() const;
  TCustomForm* GetActiveCustomForm() const { return activeForm_; }
  TWinControl* GetActiveControl() const { return activeControl_; }

  // Screen->Cursor overrides every control's cursor while not crDefault.
  TCursor GetCursor() const { return cursor_; }
  void SetCursor(TCursor value);
  HCURSOR GetCursors(Integer index) const;
  // Registers a user cursor (index above 0) or replaces a stock one.
  void SetCursors(Integer index, HCURSOR handle);
  Integer GetPixelsPerInch() const { return 96; }
  TFont* GetHintFont() const;
  TFont* GetIconFont() const;
  TFont* GetMenuFont() const;
  TFont* GetMessageFont() const;
  // Installed font families, sorted.
  TStrings* GetFonts() const;
  Integer GetWidth() const;
  Integer GetHeight() const;
  TRect GetDesktopRect() const;
  Integer GetDesktopLeft() const { return GetDesktopRect().Left; }
  Integer GetDesktopTop() const { return GetDesktopRect().Top; }
  Integer GetDesktopWidth() const { return GetDesktopRect().Width(); }
  Integer GetDesktopHeight() const { return GetDesktopRect().Height(); }
  // The primary monitor's work area.
  TRect GetWorkAreaRect() const;
  Integer GetWorkAreaLeft() const { return GetWorkAreaRect().Left; }
  Integer GetWorkAreaTop() const { return GetWorkAreaRect().Top; }
  Integer GetWorkAreaWidth() const { return GetWorkAreaRect().Width(); }
  Integer GetWorkAreaHeight() const { return GetWorkAreaRect().Height(); }
  Integer GetMonitorCount() const;
  TMonitor* GetMonitor(Integer index) const;
  TMonitor* GetPrimaryMonitor() const { return GetMonitor(0); }
  TMonitor* MonitorFromPoint(TPoint p, TMonitorDefaultTo fallback = mdNearest) const;
  TMonitor* MonitorFromRect(const TRect& r, TMonitorDefaultTo fallback = mdNearest) const;
  TMonitor* MonitorFromWindow(HWND wnd, TMonitorDefaultTo fallback = mdNearest) const;
  // The work area of the monitor that holds most of r.
  TRect WorkAreaOfRect(const TRect& r) const;

  TNotifyEvent OnActiveControlChange;
  TNotifyEvent OnActiveFormChange;

 private:
  friend class TCustomForm;
  friend class TDataModule;
  friend class TWinControl;
  friend class TApplication;
  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);
  void AddDataModule(TDataModule* module);
  void RemoveDataModule(TDataModule* module);
  void SetFocusedForm(TCustomForm* form, TWinControl* control);
  void UpdateMonitors() const;

  std::vector<TCustomForm*> forms_;
  std::vector<TDataModule*> dataModules_;
  TCustomForm* activeForm_ = nullptr;
  TWinControl* activeControl_ = nullptr;
  TCursor cursor_ = crDefault;
  mutable std::unique_ptr<TFont> hintFont_, iconFont_, menuFont_, messageFont_;
  mutable std::unique_ptr<TStrings> fonts_;
  mutable std::vector<std::unique_ptr<TMonitor>> monitors_;
  std::vector<std::pair<Integer, HCURSOR>> cursors_;
};

// ---- Application ----

// Shows a message box and answers IDOK ... IDNO. The dialogs unit installs the real one (and its test
// hook) here; without one the text goes to the standard error output and the answer is IDCANCEL
// (IDOK for MB_OK).
using TMessageBoxHandler = std::function<Integer(const String& text, const String& caption, Integer flags)>;
void SetMessageBoxHandler(TMessageBoxHandler handler);
const TMessageBoxHandler& GetMessageBoxHandler();

class TApplication : public TComponent {
  KIV_CLASS(TApplication, TComponent)
 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  // Makes the Qt application when the program has none (Forms code runs after it).
  void Initialize();
  // Creates a form or data module of the class and stores it in reference before its OnCreate runs;
  // the first form whose creation completes becomes MainForm.
  void CreateForm(TClass instanceClass, void* reference);
  template <class T>
  void CreateForm(T*& reference) {
    CreateForm(T::StaticClass(), &reference);
  }
  // Shows the main form and runs the event loop until Terminate or the main form closes.
  void Run();
  // Ends every loop: the main one, modal forms and open message boxes.
  void Terminate();
  bool GetTerminated() const { return terminated_; }
  // Runs the events that are waiting, without waiting for more.
  void ProcessMessages();
  // Runs waiting events, or waits for one (and runs OnIdle first when there is none).
  void HandleMessage();
  // The event loop's handler for an exception that escaped an event: OnException, or the exception
  // box (ShowException); EAbort is silent. A handler that raises in turn is written to standard error:
  // this is the last stop, and destructors report through it.
  void HandleException(TObject* sender) noexcept;
  void HandleException(TObject* sender, const std::exception_ptr& error) noexcept;
  void ShowException(Exception* e);
  Integer MessageBox(const String& text, const String& caption, Integer flags = MB_OK);

  HWND GetHandle() const { return handle_; }
  const String& GetTitle() const { return title_; }
  void SetTitle(const String& value);
  TForm* GetMainForm() const { return mainForm_; }
  bool GetMainFormOnTaskBar() const { return mainFormOnTaskBar_; }
  void SetMainFormOnTaskBar(bool value) { mainFormOnTaskBar_ = value; }
  bool GetShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool value) { showMainForm_ = value; }
  String GetExeName() const;
  bool GetActive() const;
  Integer GetModalLevel() const { return static_cast<Integer>(modalLoops_.size()); }

  // ---- Hints ----
  const String& GetHint() const { return hint_; }
  void SetHint(const String& value);
  bool GetShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  Integer GetHintPause() const { return hintPause_; }
  void SetHintPause(Integer value) { hintPause_ = value; }
  Integer GetHintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(Integer value) { hintHidePause_ = value; }
  Integer GetHintShortPause() const { return hintShortPause_; }
  void SetHintShortPause(Integer value) { hintShortPause_ = value; }
  TColor GetHintColor() const { return hintColor_; }
  void SetHintColor(TColor value) { hintColor_ = value; }
  // Shows the hint of the control under the screen point now.
  void ActivateHint(TPoint cursorPos);
  void CancelHint();
  void HideHint();
  // The hint window now showing (null when none).
  THintWindow* GetHintWindow() const { return hintWindow_; }

  void HookMainWindow(TWindowHook hook);
  void UnhookMainWindow(TWindowHook hook);
  void BringToFront();
  void Minimize();
  void Restore();
  void NormalizeTopMosts() {}
  void RestoreTopMosts() {}

  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TNotifyEvent OnHint;
  TShowHintEvent OnShowHint;
  TMessageEvent OnMessage;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;

  // ---- Used by the layer itself ----
  // Nested loops (modal forms, message boxes, blocking popups) register so that Terminate ends them.
  // Runs until done() answers true or the application terminates; answers false when terminated.
  bool RunModalLoop(const std::function<bool()>& done);
  // Wakes a modal loop so that it asks its done() again.
  void WakeModalLoops();
  // Messages to the application window: the hooks, then the application's own handling.
  void WndProc(TMessage& message);
  // Called by the event filter for hint tracking when the mouse moves over a control.
  void NoteMouseOver(TControl* control, TPoint screenPos);
  // A control goes away: hints and tracking forget it.
  void ControlDestroyed(TControl* control);

 private:
  friend class TCustomForm;
  friend class TApplicationHost;
  friend class THintWindow;
  friend void ResetApplicationForTests();
  void DoIdle();
  void StartHintTimer(Integer pause, bool show);
  Integer HintPauseFor(TControl* control, bool wasShowing);
  void HintTimerFired();
  void ShowHintFor(TControl* control, TPoint screenPos);

  std::unique_ptr<TApplicationHost> host_;
  HWND handle_ = nullptr;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool running_ = false;
  String title_;
  bool mainFormOnTaskBar_ = false;
  bool showMainForm_ = true;
  String hint_;
  bool showHint_ = true;
  Integer hintPause_ = 500;
  Integer hintHidePause_ = 2500;
  Integer hintShortPause_ = 50;
  TColor hintColor_ = clInfoBk;
  THintWindow* hintWindow_ = nullptr;
  TControl* hintControl_ = nullptr;
  TRect hintCursorRect_;
  bool hintActive_ = false;
  std::vector<TWindowHook> hooks_;
  std::vector<void*> modalLoops_;
};

extern TApplication* Application;
extern TScreen* Screen;

// The form a handle belongs to; the class library's helpers for code that walks forms.
TCustomForm* GetParentFormOfHandle(HWND handle);
