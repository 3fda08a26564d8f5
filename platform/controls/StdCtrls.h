// Standard controls: a label drawn on its parent and a push button with Default, Cancel and
// ModalResult that answers the form's Enter and Esc; the edits are in StdEdits.h.
#pragma once

#include "platform/controls/Controls.h"
#include "platform/controls/StdEdits.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };

class TCustomLabel : public TGraphicControl {
  KIV_CLASS(TCustomLabel, TGraphicControl)
 public:
  explicit TCustomLabel(TComponent* owner);
  static void Published(TPropBuilder<TCustomLabel>& p);

  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TTextLayout GetLayout() const { return layout_; }
  void SetLayout(TTextLayout value);
  bool GetWordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  bool GetTransparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool GetShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);
  // The control that an accelerator of the caption focuses.
  TWinControl* GetFocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* value);
  void SetAutoSize(bool value) override;

 protected:
  void Paint() override;
  void Dispatch(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;
  bool CanAutoSize(Integer& newWidth, Integer& newHeight) override;
  // Draws (or, with DT_CALCRECT in flags, measures) the caption in rect.
  void DoDrawText(TRect& rect, Cardinal flags);

 private:
  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  bool wordWrap_ = false;
  bool transparent_ = false;
  bool showAccelChar_ = true;
  TWinControl* focusControl_ = nullptr;
};

class TLabel : public TCustomLabel {
  KIV_CLASS(TLabel, TCustomLabel)
 public:
  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};

class TButtonControl : public TWinControl {
  KIV_CLASS(TButtonControl, TWinControl)
 public:
  explicit TButtonControl(TComponent* owner);
};

class TButton : public TButtonControl {
  KIV_CLASS(TButton, TButtonControl)
 public:
  explicit TButton(TComponent* owner);
  static void Published(TPropBuilder<TButton>& p);

  // The form's Enter presses the default button, Esc the cancel button.
  bool GetDefault() const { return default_; }
  void SetDefault(bool value);
  bool GetCancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  // Set on the parent form when the button is clicked (ends a modal form).
  TModalResult GetModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }
  void Click() override;

 protected:
  QWidget* CreateQtWidget(const TCreateParams& params) override;
  void InitQtWidget(QWidget* widget) override;
  bool PaintsItself() const override { return false; }
  void SetTextValue(const String& value) override;
  void Dispatch(TMessage& message) override;
  void CMDialogKey(TCMDialogKey& message);
  void CMDialogChar(TCMDialogChar& message);
  void CMFocusChanged(TCMFocusChanged& message);

 private:
  friend class TButtonBridge;
  bool default_ = false;
  bool cancel_ = false;
  bool active_ = false;
  TModalResult modalResult_ = mrNone;
};
