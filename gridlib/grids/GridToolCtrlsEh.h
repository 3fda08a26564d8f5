// The small controls around a grid's cell area: the scroll-bar panels that stand in for window scroll
// bars, the corner size grip, and the feedback windows of dragging (drag box and move marker).
#pragma once

#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"

class TCustomGridEh;

enum TGripActiveStatusEh { gasNeverEh, gasAutoEh, gasAlwaysEh };

// The bar inside a scroll-bar panel: it takes a mouse press only once the grid has had its say.
class TControlScrollBarEh : public TScrollBar {
  KIV_CLASS(TControlScrollBarEh, TScrollBar)
 public:
  explicit TControlScrollBarEh(TComponent* owner) : TScrollBar(owner) {}

 protected:
  void WndProc(TMessage& message) override;
};

class TGridScrollBarPanelControlEh : public TCustomPanel {
  KIV_CLASS(TGridScrollBarPanelControlEh, TCustomPanel)
 public:
  TGridScrollBarPanelControlEh(TComponent* owner, TScrollBarKind kind);
  void SetParams(Integer position, Integer min, Integer max, Integer pageSize);
  Integer MaxSizeForExtraPanel();
  virtual bool CanScrollBarHandleMouse();
  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
  TScrollBar* GetScrollBar() const { return scrollBar_; }
  TScrollBarKind GetKind() const { return kind_; }
  bool GetKeepMaxSizeInDefault() const { return keepMaxSizeInDefault_; }
  void SetKeepMaxSizeInDefault(bool value);
  bool GetIgnoreCancelMode() const { return ignoreCancelMode_; }

 protected:
  void Resize() override;
  void ScrollBarScrolled(TObject* sender, TScrollCode scrollCode, Integer& scrollPos);

 private:
  TCustomGridEh* Grid() const;
  bool ignoreCancelMode_ = false;
  TControlScrollBarEh* scrollBar_ = nullptr;
  bool keepMaxSizeInDefault_ = true;
  TScrollBarKind kind_;
};

// A grip in a corner of the grid that resizes the window the grid sits in.
class TSizeGripPanelEh : public TCustomPanel {
  KIV_CLASS(TSizeGripPanelEh, TCustomPanel)
 public:
  explicit TSizeGripPanelEh(TComponent* owner);
  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
  bool IsGripActive();
  bool IsAtHostCorner();
  TWinControl* FindHostWindow();
  void UpdateWindowRegion();
  bool GetTriangleWindow() const { return triangleWindow_; }
  void SetTriangleWindow(bool value);
  TGripActiveStatusEh GetGripActiveStatus() const { return gripActiveStatus_; }
  void SetGripActiveStatus(TGripActiveStatusEh value);
  TSizeGripPosition GetPosition() const { return position_; }
  void SetPosition(TSizeGripPosition value);

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;

 private:
  bool triangleWindow_ = false;
  TGripActiveStatusEh gripActiveStatus_ = gasAutoEh;
  TSizeGripPosition position_ = sgpBottomRight;
  TPoint initFormSize_, initFormPos_;
  TPoint mouseMousePos_{-1, -1};
};

// A top-level see-through window shown while something is dragged.
class TGridDragWinEh : public TCustomControl {
  KIV_CLASS(TGridDragWinEh, TCustomControl)
 public:
  explicit TGridDragWinEh(TComponent* owner);
  void StartShow(TPoint pos, Integer width, Integer height);
  void StartShow(TPoint pos, Integer height) { StartShow(pos, GetWidth(), height); }
  void MoveToFor(TPoint newPos) { SetBounds(newPos.X, newPos.Y, GetWidth(), GetHeight()); }
  void MoveToFor(TPoint newPos, Integer newWidth, Integer newHeight) {
    SetBounds(newPos.X, newPos.Y, newWidth, newHeight);
  }
  void TemporaryHide() { SetBounds(GetLeft(), GetTop(), 0, 0); }
  // Raises: the window is shown with StartShow only.
  void Show();
  Byte GetAlphaBlendValue() const { return alphaBlendValue_; }
  void SetAlphaBlendValue(Byte value) { alphaBlendValue_ = value; }
  TColor GetTransparentColorValue() const { return transparentColorValue_; }
  void SetTransparentColorValue(TColor value) { transparentColorValue_ = value; }

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  Byte alphaBlendValue_ = 200;
  TColor transparentColorValue_ = clNone;
};

class TGridDragBoxEh : public TGridDragWinEh {
  KIV_CLASS(TGridDragBoxEh, TGridDragWinEh)
 public:
  explicit TGridDragBoxEh(TComponent* owner) : TGridDragWinEh(owner) {}

 protected:
  void Paint() override;
};

class TGridDragFormEh : public TPopupInactiveFormEh {
  KIV_CLASS(TGridDragFormEh, TPopupInactiveFormEh)
 public:
  explicit TGridDragFormEh(TComponent* owner);
  void StartShow(TPoint pos, Integer width, Integer height);
  void MoveToFor(TPoint newPos) { SetBounds(newPos.X, newPos.Y, GetWidth(), GetHeight()); }
  void TemporaryHide() {}
};

// The insertion marker of column and row moving: a line with an arrow head at each end, everything
// else see-through.
class TGridMoveLineEh : public TGridDragFormEh {
  KIV_CLASS(TGridMoveLineEh, TGridDragFormEh)
 public:
  explicit TGridMoveLineEh(TComponent* owner);
  void StartShow(TPoint pos, bool isVert, Integer size, TWinControl* captureControl);
  void MoveToFor(TPoint newPos) { SetBounds(newPos.X - 3, newPos.Y - 4, GetWidth(), GetHeight()); }
  TColor GetLineColor() const { return lineColor_; }
  void SetLineColor(TColor value) { lineColor_ = value; }
  bool GetIsVert() const { return isVert_; }

 protected:
  void Paint() override;

 private:
  TColor lineColor_ = clRed;
  bool isVert_ = true;
};

TGridDragBoxEh* GetGridDragBox();
TGridMoveLineEh* GetGridMoveLine();
