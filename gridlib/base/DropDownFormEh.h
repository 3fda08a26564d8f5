// The drop-down form base of the grid library: a form dropped under an edit control or a grid cell,
// blocking or not, placed inside the monitor's work area, with size grips, a sizing bar and a close
// button, that takes its values from a bag and gives them back through it.
#pragma once

#include <functional>
#include <memory>

#include "gridlib/base/DynVarsEh.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/controls/ExtCtrls.h"

class TCustomDropDownFormEh;

enum TDropDownFormElementEh { ddfeLeftGripEh, ddfeRightGripEh, ddfeCloseButtonEh, ddfeSizingBarEh };
using TDropDownFormElementsEh = TSet<TDropDownFormElementEh>;
enum TDropLayoutEh { dlAboveControlEh, dlUnderControlEh };
using TInitDropDownFormEventEh = TDelegate<void(TCustomDropDownFormEh* sender, TDynVarsEh* dynParams)>;
using TPutBackFormParamsEventEh = TDelegate<void(TCustomDropDownFormEh* sender, TDynVarsEh* dynParams)>;

// The close button in a drop-down form's corner.
class TDDFCloseButtonEh : public TWinControl {
  KIV_CLASS(TDDFCloseButtonEh, TWinControl)
 public:
  explicit TDDFCloseButtonEh(TComponent* owner);
  TSpeedButtonEh* GetButtonControl() const { return buttonControl_; }

 private:
  void ButtonPaint(TObject* sender);
  void ButtonClick(TObject* sender);
  TSpeedButtonEh* buttonControl_;
};

// A bar along the bottom (or top) edge whose grab zone resizes the host vertically.
class TDDFSizingBarEh : public TCustomPanel {
  KIV_CLASS(TDDFSizingBarEh, TCustomPanel)
 public:
  explicit TDDFSizingBarEh(TComponent* owner);
  TWinControl* GetHostControl() const { return hostControl_; }
  void SetHostControl(TWinControl* value) { hostControl_ = value; }
  Integer GetSizingArea() const { return sizingArea_; }

 protected:
  void Resize() override;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;

 private:
  bool InGrabZone(Integer y) const;
  TWinControl* hostControl_ = nullptr;
  TPoint mouseDownPos_{-1, -1};
  Integer sizingArea_ = 10;
};

class TCustomDropDownFormEh : public TForm, public IDynParamsInteractableEh, public IDropDownFormEh {
  KIV_CLASS(TCustomDropDownFormEh, TForm)
 public:
  // Reads the form resources of the class (descendants with a resource).
  explicit TCustomDropDownFormEh(TComponent* owner);
  // Without a form resource.
  TCustomDropDownFormEh(TComponent* owner, Integer dummy);
  ~TCustomDropDownFormEh() override;

  TDropDownFormElementsEh GetFormElements() const { return formElements_; }
  void SetFormElements(TDropDownFormElementsEh value);
  bool GetDropDownMode() const { return dropDownMode_; }
  void SetDropDownMode(bool value);
  Integer GetDropDownBorderWidth() const { return borderWidth_; }
  void SetDropDownBorderWidth(Integer value);
  bool GetKeepFormVisible() const { return keepFormVisible_; }
  void SetKeepFormVisible(bool value) { keepFormVisible_ = value; }
  bool GetReadOnly() override { return readOnly_; }
  void SetReadOnly(bool value) override { readOnly_ = value; }
  const TDropDownFormCallbackProcEh& GetCallbackProc() const { return callbackProc_; }
  TDropLayoutEh GetDropLayout() const { return dropLayout_; }
  TSizeGripEh* GetSizeGrip() const { return sizeGrip_; }
  TSizeGripEh* GetSizeGrip2() const { return sizeGrip2_; }
  TDDFCloseButtonEh* GetCloseButton() const { return closeButton_; }
  TDDFSizingBarEh* GetSizingBar() const { return sizingBar_; }
  // The client rectangle less the painted frame.
  TRect GetControlClientRect();

  // Places the form against a screen rectangle inside the work area; answers where it went.
  TDropLayoutEh PlaceAtRect(const TRect& rect, TDropDownAlign align);

  bool Execute(TControl* relativePosControl, TControl* downStateControl, TDropDownAlign align,
               TDynVarsEh* dynParams) override;
  void ExecuteNomodal(const TRect& relativePosRect, TControl* downStateControl, TDropDownAlign align,
                      TDynVarsEh* dynParams, TObject* sysParams,
                      TDropDownFormCallbackProcEh callbackProc) override;
  // Drops the form down non-modally with its top-left corner at a screen point, with a bag and
  // edit-control system parameters of its own that are freed when it closes; closed gets the accept
  // flag. The popups of the date and number editors open this way.
  void DropDownAtPoint(TPoint pos, std::function<void(bool accept)> closed);
  // Closes once; a close that is already running is not repeated.
  void Close() override;
  TModalResult ShowModal() override;
  void Show();
  virtual void InitForm(TControl* host, TDynVarsEh* dynParams);
  virtual void ReturnParams(TControl* host, TDynVarsEh* dynParams);
  virtual void InitElements();
  virtual void UpdateSize() {}
  virtual void DrawBorder(const TRect& rect);
  void SetDynParams(TDynVarsEh* dynParams) override { dynParams_ = dynParams; }
  void GetDynParams(TDynVarsEh*& dynParams) override { dynParams = dynParams_; }

  TInitDropDownFormEventEh OnInitForm;
  TPutBackFormParamsEventEh OnReturnParams;

 protected:
  void AdjustClientRect(TRect& rect) override;
  void CreateParams(TCreateParams& params) override;
  void DoClose(TCloseAction& action) override;
  void Deactivate() override;
  void Paint() override;
  void Resize() override;

 private:
  void InitDropDownForm();
  void PlaceGrips(bool under);

  Integer borderWidth_ = 3;
  TDropDownFormCallbackProcEh callbackProc_;
  bool dropDownMode_ = true;
  TDropDownFormElementsEh formElements_{ddfeLeftGripEh, ddfeRightGripEh, ddfeCloseButtonEh, ddfeSizingBarEh};
  bool keepFormVisible_ = false;
  bool readOnly_ = false;
  TSizeGripEh* sizeGrip_ = nullptr;
  TSizeGripEh* sizeGrip2_ = nullptr;
  bool activateClosing_ = false;
  bool activateShowing_ = false;
  TDDFCloseButtonEh* closeButton_ = nullptr;
  TDropLayoutEh dropLayout_ = dlUnderControlEh;
  TDynVarsEh* dynParams_ = nullptr;
  TWinControl* masterFocusControl_ = nullptr;
  TCustomForm* masterForm_ = nullptr;
  bool modalMode_ = false;
  TDDFSizingBarEh* sizingBar_ = nullptr;
  TObject* sysParams_ = nullptr;
  bool closing_ = false;
};

// Registers the drop-down form base for lookup by class name; idempotent. The program calls it at
// start-up, tests in their set-up.
void InitializeDropDownFormsEh();
