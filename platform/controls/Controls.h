// Controls: TControl, TWinControl (a Qt widget per window, driven through window messages),
// TCustomControl and TGraphicControl, with layout, focus, keyboard and mouse input, capture, drag and
// drop, hints and the window functions the libraries call by name.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/Delegate.h"
#include "platform/classes/Set.h"
#include "platform/controls/Messages.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Geometry.h"

class TFont;
class TBrush;
class TCanvas;
class TBitmap;
class TPopupMenu;
class TBasicAction;
class TCustomForm;
class TWinControl;
class TControl;
class TDragObject;
class TWinControlHost;
class QWidget;

// ---- Input ----

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag {
  ssShift,
  ssAlt,
  ssCtrl,
  ssLeft,
  ssRight,
  ssMiddle,
  ssDouble,
  ssTouch,
  ssPen,
  ssCommand,
  // The horizontal-wheel flag is left out: its name belongs to the scroll style ssHorizontal.
};
using TShiftState = TSet<TShiftStateFlag>;

// The shift state of the MK_xxx flags of a mouse message and of the key data of a key message.
TShiftState KeysToShiftState(Word keys);
TShiftState KeyDataToShiftState(Integer keyData);
// MK_xxx flags of a shift state.
Word ShiftStateToKeys(TShiftState shift);
// The modifier keys and mouse buttons held now.
TShiftState GetShiftState();

// Cursors: the stock shapes below 1, user cursors registered at Screen->SetCursors(n, handle).
using TCursor = SmallInt;
enum : TCursor {
  crDefault = 0,
  crNone = -1,
  crArrow = -2,
  crCross = -3,
  crIBeam = -4,
  crSizeNESW = -6,
  crSizeNS = -7,
  crSizeNWSE = -8,
  crSizeWE = -9,
  crUpArrow = -10,
  crHourGlass = -11,
  crDrag = -12,
  crNoDrop = -13,
  crHSplit = -14,
  crVSplit = -15,
  crMultiDrag = -16,
  crSQLWait = -17,
  crNo = -18,
  crAppStart = -19,
  crHelp = -20,
  crHandPoint = -21,
  crSizeAll = -22,
  crSize = -22,
};
// A cursor image: stock shapes and pictures loaded from resources compiled into the program.
struct TCursorImage;
using HCURSOR = TCursorImage*;
using HINSTANCE = NativeInt;
// A resource (PNG or any picture TPicture reads) by name, hot spot at hotX, hotY; raises
// EOutOfResources "Cannot load cursor resource" when there is none. The cursor lives as long as the
// program.
HCURSOR LoadCursorFromResource(const String& resourceName, Integer hotX = 0, Integer hotY = 0);
// The class library's LoadCursor(HInstance, name): the hot spot a built-in cursor names, else the
// middle of the picture.
HCURSOR LoadCursor(HINSTANCE instance, const Char* name);

// ---- Enumerations of controls ----

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
using TAlignSet = TSet<TAlign>;
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

enum TControlStyleFlag {
  csAcceptsControls,
  csCaptureMouse,
  csDesignInteractive,
  csClickEvents,
  csFramed,
  csSetCaption,
  csOpaque,
  csDoubleClicks,
  csFixedWidth,
  csFixedHeight,
  csNoDesignVisible,
  csReplicatable,
  csNoStdEvents,
  csDisplayDragImage,
  csReflector,
  csActionClient,
  csMenuEvents,
  csNeedsBorderPaint,
  csParentBackground,
  csPannable,
  csAlignWithMargins,
  csGestures,
  csPaintBlackOpaqueOnGlass,
  csOverrideStylePaint,
};
using TControlStyle = TSet<TControlStyleFlag>;

enum TControlStateFlag {
  csLButtonDown,
  csClicked,
  csPalette,
  csReadingState,
  csAlignmentNeeded,
  csFocusing,
  csCreating,
  csPaintCopy,
  csCustomPaint,
  csDestroyingHandle,
  csDocking,
  csDesignerHide,
  csPanning,
  csRecreating,
  csAligning,
  csGlassPaint,
  csPrintClient,
};
using TControlState = TSet<TControlStateFlag>;

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TBevelInner = TBevelCut;
using TBevelOuter = TBevelCut;
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
enum TBevelEdge { beLeft, beTop, beRight, beBottom };
using TBevelEdges = TSet<TBevelEdge>;
using TBevelWidth = Integer;
using TBorderWidth = Integer;

// Form border styles; TBorderStyle of controls uses bsNone and bsSingle.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

enum TImeMode {
  imDisable,
  imClose,
  imOpen,
  imDontCare,
  imSAlpha,
  imAlpha,
  imHira,
  imSKata,
  imKata,
  imChinese,
  imSHanguel,
  imHanguel
};
using TImeName = String;

enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TDragKind { dkDrag, dkDock };

using TModalResult = Integer;
enum : TModalResult {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
  mrClose = 8,
  mrHelp = 9,
  mrTryAgain = 10,
  mrContinue = 11,
  mrAll = 12,
  mrNoToAll = 13,
  mrYesToAll = 14,
};

// ---- Events ----

using TWndMethod = TDelegate<void(TMessage& Message)>;
using TMouseEvent =
    TDelegate<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TMouseMoveEvent = TDelegate<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y)>;
using TKeyEvent = TDelegate<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = TDelegate<void(TObject* Sender, Char& Key)>;
using TMouseWheelEvent =
    TDelegate<void(TObject* Sender, TShiftState Shift, Integer WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent =
    TDelegate<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TContextPopupEvent = TDelegate<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TDragOverEvent =
    TDelegate<void(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept)>;
using TDragDropEvent = TDelegate<void(TObject* Sender, TObject* Source, Integer X, Integer Y)>;
using TStartDragEvent = TDelegate<void(TObject* Sender, TDragObject*& DragObject)>;
using TEndDragEvent = TDelegate<void(TObject* Sender, TObject* Target, Integer X, Integer Y)>;
using TCanResizeEvent = TDelegate<void(TObject* Sender, Integer& NewWidth, Integer& NewHeight, bool& Resize)>;
using TConstrainedResizeEvent = TDelegate<void(TObject* Sender, Integer& MinWidth, Integer& MinHeight,
                                               Integer& MaxWidth, Integer& MaxHeight)>;
using TAlignPositionEvent =
    TDelegate<void(TWinControl* Sender, TControl* Control, Integer& NewLeft, Integer& NewTop,
                   Integer& NewWidth, Integer& NewHeight, TRect& AlignRect)>;

// ---- Size constraints ----

class TSizeConstraints : public TPersistent {
  KIV_CLASS(TSizeConstraints, TPersistent)
 public:
  explicit TSizeConstraints(TControl* control) : control_(control) {}
  static void Published(TPropBuilder<TSizeConstraints>& p);

  Integer GetMaxHeight() const { return maxHeight_; }
  Integer GetMaxWidth() const { return maxWidth_; }
  Integer GetMinHeight() const { return minHeight_; }
  Integer GetMinWidth() const { return minWidth_; }
  // 0 means no limit; a maximum below the minimum raises the minimum's partner to match.
  void SetMaxHeight(Integer v);
  void SetMaxWidth(Integer v);
  void SetMinHeight(Integer v);
  void SetMinWidth(Integer v);
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;

  TNotifyEvent OnChange;

 private:
  void Changed();
  TControl* control_;
  Integer maxHeight_ = 0, maxWidth_ = 0, minHeight_ = 0, minWidth_ = 0;
};

// ---- Drag and drop ----

class TDragObject : public TObject {
  KIV_CLASS(TDragObject, TObject)
 public:
  TDragObject() = default;
  // The cursor over a target: DragCursor of the source when accepted, crNoDrop otherwise.
  virtual TCursor GetDragCursor(bool accepted, Integer x, Integer y);
  virtual void Finished(TObject* target, Integer x, Integer y, bool accepted);
  virtual TControl* GetSourceControl() const { return nullptr; }

  TControl* GetDragTarget() const { return dragTarget_; }
  void SetDragTarget(TControl* target) { dragTarget_ = target; }
  TPoint GetDragPos() const { return dragPos_; }
  void SetDragPos(TPoint p) { dragPos_ = p; }
  TPoint GetDragTargetPos() const { return dragTargetPos_; }
  void SetDragTargetPos(TPoint p) { dragTargetPos_ = p; }
  bool GetCancelling() const { return cancelling_; }
  void SetCancelling(bool v) { cancelling_ = v; }
  bool GetDropped() const { return dropped_; }
  void SetDropped(bool v) { dropped_ = v; }
  bool GetAlwaysShowDragImages() const { return false; }

 private:
  TControl* dragTarget_ = nullptr;
  TPoint dragPos_;
  TPoint dragTargetPos_;
  bool cancelling_ = false;
  bool dropped_ = false;
};

class TBaseDragControlObject : public TDragObject {
  KIV_CLASS(TBaseDragControlObject, TDragObject)
 public:
  explicit TBaseDragControlObject(TControl* control) : control_(control) {}
  TControl* GetControl() const { return control_; }
  void SetControl(TControl* control) { control_ = control; }
  TControl* GetSourceControl() const override { return control_; }
  void Finished(TObject* target, Integer x, Integer y, bool accepted) override;

 private:
  TControl* control_;
};

class TDragControlObject : public TBaseDragControlObject {
  KIV_CLASS(TDragControlObject, TBaseDragControlObject)
 public:
  using TBaseDragControlObject::TBaseDragControlObject;
  TCursor GetDragCursor(bool accepted, Integer x, Integer y) override;
};

// The drag record carried by CM_DRAG.
struct TDragRec {
  TPoint Pos;
  TDragObject* Source = nullptr;
  TControl* Target = nullptr;
  bool Docking = false;
};

// ---- Hints ----

struct THintInfo {
  TControl* HintControl = nullptr;
  TClass HintWindowClass = nullptr;
  TPoint HintPos;  // screen coordinates
  Integer HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TRect CursorRect;  // client coordinates of HintControl
  TPoint CursorPos;  // client coordinates of HintControl
  Integer ReshowTimeout = 0;
  Integer HideTimeout = 0;
  String HintStr;
  void* HintData = nullptr;
};

// ---- TControl ----

class TControl : public TComponent {
  KIV_CLASS(TControl, TComponent)
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;
  static void Published(TPropBuilder<TControl>& p);

  // ---- Messages ----
  // Sends a message to the control through WindowProc and answers its Result.
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // The control's message procedure; chains to Dispatch, which runs the handler of the message
  // or DefaultHandler.
  virtual void WndProc(TMessage& message);
  virtual void Dispatch(TMessage& message);
  virtual void DefaultHandler(TMessage& message);
  // Starts bound to WndProc; a replacement should keep the old value and call it for what it does
  // not handle.
  TWndMethod WindowProc;

  // ---- Parent and geometry ----
  TWinControl* GetParent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* value) override;

  Integer GetLeft() const { return left_; }
  Integer GetTop() const { return top_; }
  Integer GetWidth() const { return width_; }
  Integer GetHeight() const { return height_; }
  void SetLeft(Integer v) { SetBounds(v, top_, width_, height_); }
  void SetTop(Integer v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(Integer v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(Integer v) { SetBounds(left_, top_, width_, v); }
  // Applies the constraints and CanResize, moves the window, realigns the parent and, when the size
  // changed, raises OnResize.
  virtual void SetBounds(Integer left, Integer top, Integer width, Integer height);
  TRect GetBoundsRect() const { return Bounds(left_, top_, width_, height_); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  // The client area in client coordinates: (0, 0) and the size inside the non-client margin.
  virtual TRect GetClientRect() const;
  Integer GetClientWidth() const { return GetClientRect().Width(); }
  Integer GetClientHeight() const { return GetClientRect().Height(); }
  void SetClientWidth(Integer v);
  void SetClientHeight(Integer v);
  virtual void SetClientSize(TPoint size);
  // Screen position of the client area's top-left corner.
  virtual TPoint GetClientOrigin() const;
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;
  // Client coordinates of this control to those of its parent and back.
  TPoint ClientToParent(TPoint p, TWinControl* parent = nullptr) const;
  TPoint ParentToClient(TPoint p, TWinControl* parent = nullptr) const;

  TAlign GetAlign() const { return align_; }
  void SetAlign(TAlign value);
  TAnchors GetAnchors() const { return anchors_; }
  void SetAnchors(TAnchors value);
  TSizeConstraints* GetConstraints() const { return constraints_.get(); }
  void SetConstraints(TSizeConstraints* value) { constraints_->Assign(value); }
  bool GetAutoSize() const { return autoSize_; }
  virtual void SetAutoSize(bool value);
  // Asked before a resize: the control may change the size or refuse it.
  virtual bool CanResize(Integer& newWidth, Integer& newHeight);
  // The size AutoSize gives; false when the control has no such size.
  virtual bool CanAutoSize(Integer& newWidth, Integer& newHeight);
  void AdjustSize();
  // Multiplies position and size by m / d (and the font height unless ParentFont).
  void ScaleBy(Integer m, Integer d);

  // ---- Visibility and state ----
  bool GetVisible() const { return visible_; }
  void SetVisible(bool value);
  void Show();
  void Hide();
  // Visible here and in every parent up to a shown form.
  virtual bool GetShowing() const;
  // The control's own flag; IsEnabled also asks the parents (a disabled parent disables its children).
  virtual bool GetEnabled() const { return enabled_; }
  virtual void SetEnabled(bool value);
  bool IsEnabled() const;
  TControlStyle GetControlStyle() const { return controlStyle_; }
  void SetControlStyle(TControlStyle value) { controlStyle_ = value; }
  TControlState GetControlState() const { return controlState_; }
  void SetControlState(TControlState value) { controlState_ = value; }
  void BringToFront();
  void SendToBack();

  // ---- Appearance ----
  TColor GetColor() const { return color_; }
  void SetColor(TColor value);
  bool GetParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  TFont* GetFont() const { return font_.get(); }
  void SetFont(TFont* value);
  bool GetParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  bool IsColorStored() const { return !parentColor_; }
  bool IsFontStored() const { return !parentFont_; }
  TCursor GetCursor() const { return cursor_; }
  void SetCursor(TCursor value);
  TBiDiMode GetBiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode value);
  bool GetParentBiDiMode() const { return parentBiDiMode_; }
  void SetParentBiDiMode(bool value);
  bool IsRightToLeft() const { return biDiMode_ != bdLeftToRight; }
  virtual bool UseRightToLeftAlignment() const { return biDiMode_ == bdRightToLeft; }
  virtual bool UseRightToLeftReading() const { return biDiMode_ != bdLeftToRight; }
  virtual bool UseRightToLeftScrollBar() const {
    return biDiMode_ != bdLeftToRight && biDiMode_ != bdRightToLeftReadingOnly;
  }

  // Caption and Text are one value (WM_SETTEXT/WM_GETTEXT); a change sends CM_TEXTCHANGED.
  String GetText() const;
  void SetText(const String& value);
  String GetCaption() const { return GetText(); }
  void SetCaption(const String& value) { SetText(value); }
  Integer GetTextLen() const;

  const String& GetHint() const { return hint_; }
  void SetHint(const String& value) { hint_ = value; }
  bool GetShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  bool GetParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value);
  TPopupMenu* GetPopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* value);

  // ---- Painting ----
  virtual void Invalidate();
  virtual void Update();  // NOLINT(bugprone-virtual-near-miss): the class library's name, not Updated
  virtual void Repaint();
  void Refresh() { Repaint(); }

  // ---- Mouse ----
  bool GetMouseCapture() const;
  void SetMouseCapture(bool value);
  TCursor GetDragCursor() const { return dragCursor_; }
  void SetDragCursor(TCursor value) { dragCursor_ = value; }
  TDragMode GetDragMode() const { return dragMode_; }
  virtual void SetDragMode(TDragMode value) { dragMode_ = value; }
  TDragKind GetDragKind() const { return dragKind_; }
  void SetDragKind(TDragKind value) { dragKind_ = value; }
  // immediate: dragging starts now; otherwise once the mouse moves threshold pixels (-1: the
  // Mouse->DragThreshold) with the button held.
  void BeginDrag(bool immediate, Integer threshold = -1);
  void EndDrag(bool drop);
  bool Dragging() const;
  virtual void DragDrop(TObject* source, Integer x, Integer y);

  // ---- Actions (ActnList.h links a control to an action) ----
  virtual bool ExecuteAction(TBasicAction* action);
  virtual bool UpdateAction(TBasicAction* action);
  TBasicAction* GetAction() const { return action_; }
  void SetAction(TBasicAction* action);
  // Called when the linked action changes (the action link calls it).
  virtual void ActionChange(TObject* sender, bool checkDefaults);
  void InitiateAction();

  // ---- Events ----
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnResize;
  TCanResizeEvent OnCanResize;
  TConstrainedResizeEvent OnConstrainedResize;
  TContextPopupEvent OnContextPopup;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TStartDragEvent OnStartDrag;
  TEndDragEvent OnEndDrag;

  // Public in the class library for code that drives controls directly.
  virtual void Click();
  virtual void DblClick();
  bool IsControlMouseMsg(TWMMouse& message);
  virtual void DoStartDrag(TDragObject*& dragObject);
  virtual void DoEndDrag(TObject* target, Integer x, Integer y);
  virtual void DragOver(TObject* source, Integer x, Integer y, TDragState state, bool& accept);
  virtual void DragCanceled() {}

 protected:
  friend class TWinControl;
  friend class TWinControlHost;
  friend class TCustomForm;
  friend class TDragObject;
  friend class TBaseDragControlObject;

  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  virtual void ChangeScale(Integer m, Integer d);
  virtual void SetZOrder(bool topMost);
  virtual void VisibleChanging() {}
  virtual void Resize();
  virtual void RequestAlign();
  virtual void DoConstrainedResize(Integer& newWidth, Integer& newHeight);
  virtual bool DoCanAutoSize(Integer& newWidth, Integer& newHeight) {
    return CanAutoSize(newWidth, newHeight);
  }
  virtual void ConstrainedResize(Integer& minWidth, Integer& minHeight, Integer& maxWidth,
                                 Integer& maxHeight);
  // Text store of controls that keep their caption themselves (windowed controls keep it in the
  // window and answer WM_GETTEXT).
  virtual String GetTextValue() const { return text_; }
  virtual void SetTextValue(const String& value) { text_ = value; }
  virtual TPopupMenu* GetPopupMenuOf() const { return popupMenu_; }

  // Mouse: X, Y are client coordinates.
  virtual void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y);
  virtual void MouseMove(TShiftState shift, Integer x, Integer y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y);
  // MousePos in screen coordinates; answers whether the wheel was handled.
  virtual bool DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos);
  virtual bool DoMouseWheelDown(TShiftState shift, TPoint mousePos);
  virtual bool DoMouseWheelUp(TShiftState shift, TPoint mousePos);
  // MousePos in client coordinates, (-1, -1) from the keyboard.
  virtual void DoContextPopup(TPoint mousePos, bool& handled);
  virtual void DoDragMsg(TCMDrag& message);
  virtual TPopupMenu* GetPopupMenuForContext() const { return GetPopupMenuOf(); }
  virtual void SetParentInner(TWinControl* parent) { parent_ = parent; }

  // Message handlers of TControl.
  void WMLButtonDown(TWMMouse& message);
  void WMLButtonDblClk(TWMMouse& message);
  void WMLButtonUp(TWMMouse& message);
  void WMRButtonDown(TWMMouse& message);
  void WMRButtonDblClk(TWMMouse& message);
  void WMRButtonUp(TWMMouse& message);
  void WMMButtonDown(TWMMouse& message);
  void WMMButtonDblClk(TWMMouse& message);
  void WMMButtonUp(TWMMouse& message);
  void WMMouseMove(TWMMouse& message);
  void WMMouseWheel(TWMMouseWheel& message);
  void WMContextMenu(TWMContextMenu& message);
  void WMCancelMode(TWMCancelMode& message);
  void CMMouseWheel(TCMMouseWheel& message);
  void CMMouseEnter(TCMMouseEnter& message);
  void CMMouseLeave(TCMMouseLeave& message);
  void CMEnabledChanged(TMessage& message);
  void CMFontChanged(TMessage& message);
  void CMColorChanged(TMessage& message);
  void CMParentFontChanged(TMessage& message);
  void CMParentColorChanged(TMessage& message);
  void CMParentShowHintChanged(TMessage& message);
  void CMParentBiDiModeChanged(TMessage& message);
  void CMVisibleChanged(TMessage& message);
  void CMHintShow(TCMHintShow& message);
  void CMDrag(TCMDrag& message);
  void WMSetText(TWMSetText& message);
  void WMGetText(TWMGetText& message);
  void WMGetTextLength(TWMNoParams& message);

  void DoMouseDown(TWMMouse& message, TMouseButton button, TShiftState shift);
  void DoMouseUp(TWMMouse& message, TMouseButton button);
  void SendCancelMode(TControl* sender);
  void FontChanged(TObject* sender);
  void ConstraintsChanged(TObject* sender);
  void UpdateAnchorRules();
  // Paints a non-windowed control on the parent's canvas (TGraphicControl answers).
  virtual void PaintOnParent(TCanvas* /*canvas*/) {}

  TWinControl* parent_ = nullptr;
  Integer left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  // Anchor rules: distances to the parent's right and bottom edges, taken when anchored.
  TPoint anchorRules_;
  TPoint originalParentSize_;
  TAlign align_ = alNone;
  TAnchors anchors_{akLeft, akTop};
  std::unique_ptr<TSizeConstraints> constraints_;
  bool autoSize_ = false;
  bool visible_ = true;
  bool enabled_ = true;
  TControlStyle controlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState controlState_;
  TColor color_ = clWindow;
  bool parentColor_ = false;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  TCursor cursor_ = crDefault;
  TBiDiMode biDiMode_ = bdLeftToRight;
  bool parentBiDiMode_ = true;
  String text_;
  String hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TPopupMenu* popupMenu_ = nullptr;
  TCursor dragCursor_ = crDrag;
  TDragMode dragMode_ = dmManual;
  TDragKind dragKind_ = dkDrag;
  TBasicAction* action_ = nullptr;
  std::unique_ptr<TObject> actionLink_;
  Integer wheelAccumulator_ = 0;
  bool scalingFont_ = false;
};

// ---- Creation parameters of a window ----

struct TCreateParams {
  String Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  Integer X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  DWORD WindowClassStyle = 0;  // CS_xxx
  String WinClassName;
};

// ---- TWinControl ----

class TWinControl : public TControl {
  KIV_CLASS(TWinControl, TControl)
 public:
  explicit TWinControl(TComponent* owner);
  // A windowed control without an owner or parent on another window (ParentWindow).
  TWinControl(TComponent* owner, HWND parentWindow);
  ~TWinControl() override;
  static void Published(TPropBuilder<TWinControl>& p);

  void Dispatch(TMessage& message) override;
  void WndProc(TMessage& message) override;
  // Messages no handler took: the window's own default processing. For a control that wraps a Qt
  // widget, the Qt event the message came from goes back to the widget.
  void DefaultHandler(TMessage& message) override;

  // ---- The window ----
  // Creates the window (and those of the parents) when it does not exist yet.
  HWND GetHandle();
  bool HandleAllocated() const;
  void HandleNeeded();
  // Destroys the window and makes it anew with the current CreateParams (on next need).
  void RecreateWnd();
  HWND GetParentWindow() const { return parentWindow_; }
  void SetParentWindow(HWND value);
  // The Qt widget of the window (null before it exists); for the platform's own code.
  QWidget* GetWidget() const;

  // ---- Children ----
  Integer GetControlCount() const { return static_cast<Integer>(controls_.size()); }
  TControl* GetControl(Integer index) const;
  TControl* Controls(Integer index) const { return GetControl(index); }
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  bool ContainsControl(TControl* control) const;
  // The child under a client point: visible, enabled unless allowDisabled, windowed ones only with
  // allowWinControls; allLevels looks into the children's children.
  TControl* ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls = false,
                         bool allLevels = false) const;
  void Broadcast(TMessage& message);
  void NotifyControls(UINT msg);
  TWinControl* FindChildControl(const String& name) const;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

  // ---- Layout ----
  void DisableAlign();
  void EnableAlign();
  void Realign();
  bool AlignDisabled() const { return alignLevel_ > 0; }
  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
  TRect GetClientRect() const override;
  TPoint GetClientOrigin() const override;
  // Scrolls the children and the client area's picture by dx, dy.
  void ScrollBy(Integer dx, Integer dy);
  // The width of the non-client margin on each side (border, bevels, client edge).
  TRect GetNonClientMargins() const;

  // ---- Focus ----
  virtual void SetFocus();
  virtual bool CanFocus() const;
  virtual bool Focused() const;
  bool ContainsFocus() const;
  bool GetTabStop() const { return tabStop_; }
  void SetTabStop(bool value);
  Integer GetTabOrder() const;
  void SetTabOrder(Integer value);
  // The children in tab order, recursively through containers.
  void GetTabOrderList(std::vector<TWinControl*>& list) const;
  // The next (or previous) control after current that can take the focus; wraps around.
  TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                               bool checkParent) const;
  void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);

  // ---- Painting ----
  void Invalidate() override;
  void InvalidateRect(const TRect& rect);
  void Update() override;
  void Repaint() override;
  // Paints the control and its children (windowed ones too) into the canvas at x, y.
  void PaintTo(TCanvas* canvas, Integer x, Integer y);
  void PaintTo(HDC dc, Integer x, Integer y);
  TBrush* GetBrush() const { return brush_.get(); }
  bool GetDoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool value) { doubleBuffered_ = value; }
  bool GetShowing() const override;

  // ---- Frame ----
  bool GetCtl3D() const { return ctl3D_; }
  void SetCtl3D(bool value);
  bool GetParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool value);
  TBorderWidth GetBorderWidth() const { return borderWidth_; }
  void SetBorderWidth(TBorderWidth value);
  TBevelCut GetBevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut value);
  TBevelCut GetBevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut value);
  TBevelKind GetBevelKind() const { return bevelKind_; }
  void SetBevelKind(TBevelKind value);
  TBevelWidth GetBevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(TBevelWidth value);
  TBevelEdges GetBevelEdges() const { return bevelEdges_; }
  void SetBevelEdges(TBevelEdges value);

  // Kept for form resources; input methods are the desktop's business.
  TImeMode GetImeMode() const { return imeMode_; }
  void SetImeMode(TImeMode value) { imeMode_ = value; }
  const TImeName& GetImeName() const { return imeName_; }
  void SetImeName(const TImeName& value) { imeName_ = value; }

  // ---- For the layer's own code ----
  void DestroyHandle();
  // Whether this control paints its client area itself (through WM_PAINT) or the wrapped widget does.
  virtual bool PaintsItself() const { return true; }
  // A control over a wrapped widget that draws over it after the widget painted (PaintOverWidget, in
  // the widget's coordinates).
  virtual bool PaintsOverWidget() const { return false; }
  virtual void PaintOverWidget(HDC /*dc*/) {}
  // The form's dialog keys (Tab, arrows, Enter, Esc) and CM_CHILDKEY before the control sees a key:
  // answers true when they took it.
  bool IsDialogKey(TWMKey& message);
  void SyncChildWidgets();

  TAlignPositionEvent OnAlignPosition;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

 protected:
  friend class TWinControlHost;
  friend class TCustomForm;
  friend class TControl;

  // ---- Window creation ----
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateHandle();
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& params);
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  // The Qt widget that hosts the window. The default is a plain widget that forwards painting and
  // input as messages; standard controls answer the matching Qt widget and get the Qt events back
  // through DefaultHandler.
  virtual QWidget* CreateQtWidget(const TCreateParams& params);
  // After the widget exists: copy the control's state (text, font, colours ...) into it.
  virtual void InitQtWidget(QWidget* widget);

  // ---- Layout ----
  virtual void AlignControls(TControl* control, TRect& rect);
  virtual void AdjustClientRect(TRect& rect);
  virtual void DoAlignPosition(TControl* control, Integer& newLeft, Integer& newTop, Integer& newWidth,
                               Integer& newHeight, TRect& alignRect);
  void AlignControl(TControl* control);
  void UpdateBounds();
  void UpdateShowing();
  void ChangeScale(Integer m, Integer d) override;
  void SetZOrder(bool topMost) override;
  void SetParentInner(TWinControl* parent) override;
  void Loaded() override;
  void ReadState(TReader* reader) override;
  void SetChildOrder(TComponent* child, int order) override;

  // ---- Painting ----
  // WM_PAINT: PaintWindow, then the non-windowed children.
  virtual void PaintHandler(TWMPaint& message);
  virtual void PaintWindow(HDC dc);
  void PaintControls(HDC dc, TControl* first);
  // Draws the non-client margin: border, client edge and bevels.
  virtual void PaintNonClient(TCanvas* canvas);

  // ---- Keys ----
  virtual void KeyDown(Word& key, TShiftState shift);
  virtual void KeyUp(Word& key, TShiftState shift);
  virtual void KeyPress(Char& key);
  // KeyPreview of the form first, then the control; answers true when the key was taken (key 0).
  bool DoKeyDown(TWMKey& message);
  bool DoKeyUp(TWMKey& message);
  bool DoKeyPress(TWMKey& message);
  virtual void DoEnter();
  virtual void DoExit();

  // Message handlers of TWinControl.
  void WMPaint(TWMPaint& message);
  void WMEraseBkgnd(TWMEraseBkgnd& message);
  void WMNCCalcSize(TWMNCCalcSize& message);
  void WMNCPaint(TWMNCPaint& message);
  void WMNCHitTest(TWMNCHitTest& message);
  void WMSize(TWMSize& message);
  void WMMove(TWMMove& message);
  void WMSetFocus(TWMSetFocus& message);
  void WMKillFocus(TWMKillFocus& message);
  void WMKeyDown(TWMKeyDown& message);
  void WMSysKeyDown(TWMKeyDown& message);
  void WMKeyUp(TWMKeyUp& message);
  void WMSysKeyUp(TWMKeyUp& message);
  void WMChar(TWMChar& message);
  void WMGetDlgCode(TWMGetDlgCode& message);
  void WMSetCursor(TWMSetCursor& message);
  void WMContextMenu(TWMContextMenu& message);
  void WMCommand(TWMCommand& message);
  void CMEnter(TCMEnter& message);
  void CMExit(TCMExit& message);
  void CMEnabledChanged(TMessage& message);
  void CMShowingChanged(TMessage& message);
  void CMVisibleChanged(TMessage& message);
  void CMFontChanged(TMessage& message);
  void CMColorChanged(TMessage& message);
  void CMCtl3DChanged(TMessage& message);
  void CMParentCtl3DChanged(TMessage& message);
  void CMRecreateWnd(TMessage& message);
  void CMChildKey(TCMChildKey& message);
  void CMDialogKey(TCMDialogKey& message);
  void CMDialogChar(TCMDialogChar& message);
  void CMInvalidate(TMessage& message);
  void CMBiDiModeChanged(TMessage& message);
  void CMSysColorChange(TMessage& message);

  void SetChildZOrder(TControl* child, bool topMost);
  // RemoveControl's part after the news: the child leaves the lists, the focus and the capture.
  void UnlinkControl(TControl* control);
  void SyncWidgetGeometry();
  void SyncWidgetVisibility();
  void SyncWidgetEnabled();
  Integer ComputeNonClient(TRect& rect) const;

  std::vector<TControl*> controls_;    // every child, windowed or not, in z-order (bottom first)
  std::vector<TWinControl*> tabList_;  // windowed children in tab order
  std::unique_ptr<TWinControlHost> host_;
  std::unique_ptr<TBrush> brush_;
  HWND parentWindow_ = nullptr;
  Integer alignLevel_ = 0;
  bool tabStop_ = false;
  bool doubleBuffered_ = false;
  bool ctl3D_ = true;
  bool parentCtl3D_ = true;
  TBorderWidth borderWidth_ = 0;
  TBevelCut bevelInner_ = bvRaised;
  TBevelCut bevelOuter_ = bvLowered;
  TBevelKind bevelKind_ = bkNone;
  TBevelWidth bevelWidth_ = 1;
  TBevelEdges bevelEdges_{beLeft, beTop, beRight, beBottom};
  TImeMode imeMode_ = imDontCare;
  TImeName imeName_;
  bool showing_ = false;
  bool creatingHandle_ = false;
};

// ---- TCustomControl and TGraphicControl ----

// A windowed control that paints itself on its Canvas in Paint.
class TCustomControl : public TWinControl {
  KIV_CLASS(TCustomControl, TWinControl)
 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  TCanvas* GetCanvas() const { return canvas_.get(); }

 protected:
  // Draws on Canvas, which is open on the window only during Paint.
  virtual void Paint();
  void PaintWindow(HDC dc) override;

  std::unique_ptr<TCanvas> canvas_;
};

// A control without a window: painted on its parent's canvas, mouse through its parent.
class TGraphicControl : public TControl {
  KIV_CLASS(TGraphicControl, TControl)
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  TCanvas* GetCanvas() const { return canvas_.get(); }

 protected:
  virtual void Paint();
  void PaintOnParent(TCanvas* canvas) override;
  void Dispatch(TMessage& message) override;

  std::unique_ptr<TCanvas> canvas_;
};

// ---- Hint window ----

// The window that shows hints; Application uses HintWindowClass, which code may replace.
class THintWindow : public TCustomControl {
  KIV_CLASS(THintWindow, TCustomControl)
 public:
  explicit THintWindow(TComponent* owner);
  ~THintWindow() override;

  // Shows the hint with its top-left corner at rect (screen coordinates).
  virtual void ActivateHint(TRect rect, const String& hint);
  virtual void ActivateHintData(TRect rect, const String& hint, void* data);
  // The rectangle the hint needs, at (0, 0), text wrapped at maxWidth.
  virtual TRect CalcHintRect(Integer maxWidth, const String& hint, void* data);
  virtual bool IsHintMsg(const TMsg& msg) const;
  void ReleaseHandle();
  bool GetActive() const { return active_; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  bool active_ = false;
};

extern TClass HintWindowClass;

// ---- Mouse ----

class TMouse : public TObject {
  KIV_CLASS(TMouse, TObject)
 public:
  TPoint GetCursorPos() const;
  void SetCursorPos(TPoint p);
  HWND GetCapture() const;
  void SetCapture(HWND window);
  Integer GetDragThreshold() const { return dragThreshold_; }
  void SetDragThreshold(Integer v) { dragThreshold_ = v; }
  bool GetDragImmediate() const { return dragImmediate_; }
  void SetDragImmediate(bool v) { dragImmediate_ = v; }
  Integer GetWheelScrollLines() const;
  bool GetMousePresent() const { return true; }
  bool GetWheelPresent() const { return true; }

 private:
  Integer dragThreshold_ = 5;
  bool dragImmediate_ = true;
};
extern TMouse* Mouse;

// ---- Functions over controls ----

TWinControl* FindControl(HWND handle);
// The windowed control under a screen point.
TWinControl* FindControlWindow(TPoint pos);
// The control (windowed or not) under a screen point.
TControl* FindDragTarget(TPoint pos, bool allowDisabled);
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);
void CancelDrag();
// The form that holds the control: the outermost one with topForm, else the nearest.
TCustomForm* GetParentForm(const TControl* control, bool topForm = true);
// Like GetParentForm, but raises EInvalidOperation "Control '%s' has no parent window" without one.
TCustomForm* ValidParentForm(const TControl* control, bool topForm = true);
// The parts of a hint "short|long".
String GetShortHint(const String& hint);
String GetLongHint(const String& hint);
// '&' accelerator of a caption.
bool IsAccel(Word vk, const String& caption);

// ---- Window functions ----

bool IsWindow(HWND wnd);
bool IsWindowVisible(HWND wnd);
bool IsWindowEnabled(HWND wnd);
bool EnableWindow(HWND wnd, bool enable);
bool ShowWindow(HWND wnd, Integer cmdShow);
HWND GetParent(HWND wnd);
HWND GetFocus();
HWND SetFocus(HWND wnd);
HWND GetCapture();
HWND SetCapture(HWND wnd);
bool ReleaseCapture();
HWND GetActiveWindow();
HWND GetForegroundWindow();
bool SetForegroundWindow(HWND wnd);
HWND WindowFromPoint(TPoint pos);
bool GetCursorPos(TPoint* pos);
bool SetCursorPos(Integer x, Integer y);
HCURSOR SetCursor(HCURSOR cursor);
// The state of a key now: the high bit set while held (negative), the low bit for toggles.
SmallInt GetKeyState(Integer vk);
SmallInt GetAsyncKeyState(Integer vk);
DWORD GetMessageTime();
DWORD GetMessagePos();
UINT GetDoubleClickTime();
bool GetClientRect(HWND wnd, TRect* rect);
bool GetWindowRect(HWND wnd, TRect* rect);
bool ClientToScreen(HWND wnd, TPoint* p);
bool ScreenToClient(HWND wnd, TPoint* p);
Integer MapWindowPoints(HWND from, HWND to, TPoint* points, UINT count);
bool InvalidateRect(HWND wnd, const TRect* rect, bool erase);
bool ValidateRect(HWND wnd, const TRect* rect);
bool UpdateWindow(HWND wnd);
bool RedrawWindow(HWND wnd, const TRect* rect, HRGN region, UINT flags);
Integer ScrollWindowEx(HWND wnd, Integer dx, Integer dy, const TRect* scroll, const TRect* clip, HRGN update,
                       TRect* updateRect, UINT flags);
bool ScrollWindow(HWND wnd, Integer dx, Integer dy, const TRect* scroll, const TRect* clip);
bool SetWindowPos(HWND wnd, HWND insertAfter, Integer x, Integer y, Integer cx, Integer cy, UINT flags);
bool MoveWindow(HWND wnd, Integer x, Integer y, Integer width, Integer height, bool repaint);
bool DestroyWindow(HWND wnd);
bool SetWindowText(HWND wnd, const String& text);
Integer GetWindowText(HWND wnd, Char* buffer, Integer maxCount);
bool IsChild(HWND parent, HWND wnd);

// ---- Hooks of the menus and actions unit ----
//
// Controls and forms reach menus and action links through these, so that this unit does not depend
// on the menus unit; Menus.cpp and ActnList.cpp fill them in at start-up.
class TMainMenu;
struct TMenuHooks {
  // Pops the control's popup menu up at the screen point when its AutoPopup is set (PopupComponent
  // set to the control); answers whether it popped up.
  std::function<bool(TPopupMenu* menu, TControl* control, TPoint screenPos)> AutoPopup;
  // A shortcut of the form's menus and action lists; answers true when one ran.
  std::function<bool(TCustomForm* form, TWMKey& message)> IsShortCut;
  // Shows the form's main menu in its window (null removes it).
  std::function<void(TCustomForm* form, TMainMenu* menu)> SetFormMenu;
  // Makes the link between a control and its action (an object the control owns), or null.
  std::function<TObject*(TControl* control, TBasicAction* action)> CreateActionLink;
};
TMenuHooks& MenuHooks();
