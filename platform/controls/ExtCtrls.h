// Extra controls of the class library: panel, bevel, shape, image, splitter, radio group, paint box
// and the timer, which calls its OnTimer from the event loop.
#pragma once

#include <memory>

#include "platform/controls/Controls.h"
#include "platform/controls/StdCtrls.h"

class TPen;
class TBrush;
class TPicture;
class TGraphic;

class TTimerHost;

class TTimer : public TComponent {
  KIV_CLASS(TTimer, TComponent)
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  static void Published(TPropBuilder<TTimer>& p);

  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool value);
  // Milliseconds; 0 stops the timer as the class library does, other values below 1 are clamped to 1.
  Cardinal GetInterval() const { return interval_; }
  void SetInterval(Cardinal value);

  // Runs on the main thread; an exception goes to Application->HandleException.
  TNotifyEvent OnTimer;

 protected:
  virtual void Timer();
  void Loaded() override;

 private:
  friend class TTimerHost;
  void UpdateTimer();

  std::unique_ptr<TTimerHost> host_;
  bool enabled_ = true;
  Cardinal interval_ = 1000;
};

// Draws a 3-D frame of width lines inside rect and leaves rect inside it.
void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, Integer width);

// ---- Panel ----

enum TVerticalAlignment { taAlignTop, taAlignBottom, taVerticalCenter };

class TCustomPanel : public TCustomControl {
  KIV_CLASS(TCustomPanel, TCustomControl)
 public:
  explicit TCustomPanel(TComponent* owner);
  static void Published(TPropBuilder<TCustomPanel>& p);

  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TVerticalAlignment GetVerticalAlignment() const { return verticalAlignment_; }
  void SetVerticalAlignment(TVerticalAlignment value);
  // bsSingle draws a one-pixel frame outside the bevels.
  TBorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  // With ParentBackground the panel leaves its background to the parent's colour.
  bool GetParentBackground() const { return controlStyle_.Contains(csParentBackground); }
  void SetParentBackground(bool value);
  bool GetShowCaption() const { return showCaption_; }
  void SetShowCaption(bool value);
  // The panel draws its bevels inside the client area, so they change the area left to children.
  void SetBevelInner(TBevelCut value);
  void SetBevelOuter(TBevelCut value);
  void SetBevelWidth(TBevelWidth value);

 protected:
  void CreateParams(TCreateParams& params) override;
  void AdjustClientRect(TRect& rect) override;
  void Paint() override;
  void Dispatch(TMessage& message) override;

 private:
  TAlignment alignment_ = taCenter;
  TVerticalAlignment verticalAlignment_ = taVerticalCenter;
  TBorderStyle borderStyle_ = bsNone;
  bool showCaption_ = true;
};

class TPanel : public TCustomPanel {
  KIV_CLASS(TPanel, TCustomPanel)
 public:
  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

// ---- Bevel ----

enum TBevelStyle { bsLowered, bsRaised };
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };

class TBevel : public TGraphicControl {
  KIV_CLASS(TBevel, TGraphicControl)
 public:
  explicit TBevel(TComponent* owner);
  static void Published(TPropBuilder<TBevel>& p);
  TBevelShape GetShape() const { return shape_; }
  void SetShape(TBevelShape value);
  TBevelStyle GetStyle() const { return style_; }
  void SetStyle(TBevelStyle value);

 protected:
  void Paint() override;

 private:
  TBevelShape shape_ = bsBox;
  TBevelStyle style_ = bsLowered;
};

// ---- Shape ----

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
  KIV_CLASS(TShape, TGraphicControl)
 public:
  explicit TShape(TComponent* owner);
  ~TShape() override;
  static void Published(TPropBuilder<TShape>& p);
  TShapeType GetShape() const { return shape_; }
  void SetShape(TShapeType value);
  TPen* GetPen() const { return pen_.get(); }
  void SetPen(TPen* value);
  TBrush* GetBrush() const { return brush_.get(); }
  void SetBrush(TBrush* value);

 protected:
  void Paint() override;

 private:
  void StyleChanged(TObject* sender);
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  TShapeType shape_ = stRectangle;
};

// ---- Image ----

class TImage : public TGraphicControl {
  KIV_CLASS(TImage, TGraphicControl)
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;
  static void Published(TPropBuilder<TImage>& p);

  TPicture* GetPicture() const { return picture_.get(); }
  void SetPicture(TPicture* value);
  // Drawing on the image: the canvas of its bitmap, made the control's size when the picture is empty.
  // A picture of another kind raises EInvalidOperation "Can only modify an image if it contains a
  // bitmap".
  TCanvas* GetCanvas();
  bool GetStretch() const { return stretch_; }
  void SetStretch(bool value);
  bool GetCenter() const { return center_; }
  void SetCenter(bool value);
  bool GetProportional() const { return proportional_; }
  void SetProportional(bool value);
  bool GetTransparent() const { return transparent_; }
  void SetTransparent(bool value);
  // Where the picture lands in the client area under Stretch, Proportional and Center.
  TRect DestRect() const;

 protected:
  void Paint() override;
  bool CanAutoSize(Integer& newWidth, Integer& newHeight) override;

 private:
  void PictureChanged(TObject* sender);
  std::unique_ptr<TPicture> picture_;
  bool stretch_ = false;
  bool center_ = false;
  bool proportional_ = false;
  bool transparent_ = false;
};

// ---- Splitter ----

enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };
using TCanResizeSplitterEvent = TDelegate<void(TObject* Sender, Integer& NewSize, bool& Accept)>;

// Resizes the control aligned against it (on the side it is aligned to) by dragging.
class TSplitter : public TGraphicControl {
  KIV_CLASS(TSplitter, TGraphicControl)
 public:
  explicit TSplitter(TComponent* owner);
  static void Published(TPropBuilder<TSplitter>& p);
  Integer GetMinSize() const { return minSize_; }
  void SetMinSize(Integer value) { minSize_ = value < 1 ? 1 : value; }
  TResizeStyle GetResizeStyle() const { return resizeStyle_; }
  void SetResizeStyle(TResizeStyle value) { resizeStyle_ = value; }
  bool GetAutoSnap() const { return autoSnap_; }
  void SetAutoSnap(bool value) { autoSnap_ = value; }

  TCanResizeSplitterEvent OnCanResize;
  TNotifyEvent OnMoved;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;

 private:
  TControl* FindResizeControl() const;
  Integer ClampSize(Integer size) const;
  void ApplySize(Integer size);
  TControl* control_ = nullptr;
  TPoint downPos_;
  Integer startSize_ = 0;
  Integer newSize_ = 0;
  Integer minSize_ = 30;
  TResizeStyle resizeStyle_ = rsPattern;
  bool autoSnap_ = false;
};

// ---- Radio group ----

class TCustomRadioGroup : public TCustomGroupBox {
  KIV_CLASS(TCustomRadioGroup, TCustomGroupBox)
 public:
  explicit TCustomRadioGroup(TComponent* owner);
  ~TCustomRadioGroup() override;
  static void Published(TPropBuilder<TCustomRadioGroup>& p);

  TStrings* GetItems() const;
  void SetItems(TStrings* value);
  // As in the class library, ItemIndex set from code checks its button, which raises OnClick when the
  // index changes to an item; -1 unchecks silently.
  Integer GetItemIndex() const { return itemIndex_; }
  void SetItemIndex(Integer value);
  Integer GetColumns() const { return columns_; }
  void SetColumns(Integer value);
  // The radio button of an item (for code that disables one item).
  TRadioButton* GetButton(Integer index) const;

 protected:
  void Loaded() override;
  void Dispatch(TMessage& message) override;
  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;

 private:
  void ItemsChanged(TObject* sender);
  void UpdateButtons();
  void ArrangeButtons();
  void ButtonClick(TObject* sender);
  std::unique_ptr<TStringList> items_;
  std::vector<TRadioButton*> buttons_;
  Integer itemIndex_ = -1;
  Integer columns_ = 1;
  bool updating_ = false;
};

class TRadioGroup : public TCustomRadioGroup {
  KIV_CLASS(TRadioGroup, TCustomRadioGroup)
 public:
  explicit TRadioGroup(TComponent* owner) : TCustomRadioGroup(owner) {}
};

// ---- Paint box ----

class TPaintBox : public TGraphicControl {
  KIV_CLASS(TPaintBox, TGraphicControl)
 public:
  explicit TPaintBox(TComponent* owner);
  static void Published(TPropBuilder<TPaintBox>& p);
  TNotifyEvent OnPaint;

 protected:
  void Paint() override;
};
