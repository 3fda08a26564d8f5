// The panel, bevel, shape, image, splitter, radio group and paint box, drawn on our canvas as the
// class library draws them, and the timer over a Qt timer that ticks on the main thread.
#include "platform/controls/ExtCtrls.h"

#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

#include "platform/classes/StringList.h"
#include "platform/controls/Forms.h"
#include "platform/controls/private/ControlsQt.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Format.h"

class TTimerHost : public QObject {
 public:
  explicit TTimerHost(TTimer* owner) : owner_(owner) {
    QObject::connect(&timer_, &QTimer::timeout, this,
                     [this] { GuardedCall(owner_, [this] { owner_->Timer(); }); });
  }
  QTimer timer_;

 private:
  TTimer* owner_;
};

void TTimer::Published(TPropBuilder<TTimer>& p) {
  p.Bool(u"Enabled", &TTimer::GetEnabled, &TTimer::SetEnabled).Default(true);
  p.Int(
       u"Interval", [](const TTimer* t) { return static_cast<Integer>(t->GetInterval()); },
       [](TTimer* t, Integer v) { t->SetInterval(static_cast<Cardinal>(v < 0 ? 0 : v)); })
      .Default(1000);
  p.Event(u"OnTimer", &TTimer::OnTimer);
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() = default;

void TTimer::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal value) {
  if (interval_ == value) return;
  interval_ = value;
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  SetLoading(false);
  UpdateTimer();
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

void TTimer::UpdateTimer() {
  if (host_) host_->timer_.stop();
  // As in the class library, a zero interval or no handler keeps the timer from running.
  if (!enabled_ || interval_ == 0 || GetComponentState().Contains(csLoading)) return;
  EnsureQtApplication();
  if (!host_) host_ = std::make_unique<TTimerHost>(this);
  host_->timer_.start(static_cast<int>(std::min<Cardinal>(interval_, 0x7FFFFFFF)));
}

namespace {
const TTypeInfo* BevelCutInfo() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TBevelCut", {u"bvNone", u"bvLowered", u"bvRaised", u"bvSpace"});
  return &t;
}
const TTypeInfo* BorderStyleType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TBorderStyle", {u"bsNone", u"bsSingle"});
  return &t;
}
const TTypeInfo* VerticalAlignmentType() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TVerticalAlignment", {u"taAlignTop", u"taAlignBottom", u"taVerticalCenter"});
  return &t;
}
const TTypeInfo* BevelStyleType() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TBevelStyle", {u"bsLowered", u"bsRaised"});
  return &t;
}
const TTypeInfo* BevelShapeType() {
  static const TTypeInfo t = TTypeInfo::Enum(
      u"TBevelShape",
      {u"bsBox", u"bsFrame", u"bsTopLine", u"bsBottomLine", u"bsLeftLine", u"bsRightLine", u"bsSpacer"});
  return &t;
}
const TTypeInfo* ShapeTypeInfo() {
  static const TTypeInfo t = TTypeInfo::Enum(u"TShapeType", {u"stRectangle", u"stSquare", u"stRoundRect",
                                                             u"stRoundSquare", u"stEllipse", u"stCircle"});
  return &t;
}
const TTypeInfo* ResizeStyleType() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TResizeStyle", {u"rsNone", u"rsLine", u"rsUpdate", u"rsPattern"});
  return &t;
}

void BevelColors(TBevelCut cut, TColor& topLeft, TColor& bottomRight) {
  topLeft = cut == bvLowered ? clBtnShadow : clBtnHighlight;
  bottomRight = cut == bvLowered ? clBtnHighlight : clBtnShadow;
}
}  // namespace

void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, Integer width) {
  TPen* pen = canvas->GetPen();
  pen->SetWidth(1);
  pen->SetStyle(psSolid);
  rect.Bottom -= 1;
  rect.Right -= 1;
  for (Integer i = 0; i < width; ++i) {
    pen->SetColor(topColor);
    canvas->Polyline(
        {TPoint(rect.Left, rect.Bottom), TPoint(rect.Left, rect.Top), TPoint(rect.Right, rect.Top)});
    pen->SetColor(bottomColor);
    canvas->Polyline(
        {TPoint(rect.Right, rect.Top), TPoint(rect.Right, rect.Bottom), TPoint(rect.Left - 1, rect.Bottom)});
    InflateRect(&rect, -1, -1);
  }
  rect.Bottom += 1;
  rect.Right += 1;
}

// ---- TCustomPanel ----

void TCustomPanel::Published(TPropBuilder<TCustomPanel>& p) {
  p.Enum(u"Alignment", TypeInfoAlignment(), &TCustomPanel::GetAlignment, &TCustomPanel::SetAlignment)
      .Default(taCenter);
  p.Enum(u"VerticalAlignment", VerticalAlignmentType(), &TCustomPanel::GetVerticalAlignment,
         &TCustomPanel::SetVerticalAlignment)
      .Default(taVerticalCenter);
  p.Enum(u"BevelInner", BevelCutInfo(), &TCustomPanel::GetBevelInner, &TCustomPanel::SetBevelInner)
      .Default(bvNone);
  p.Enum(u"BevelOuter", BevelCutInfo(), &TCustomPanel::GetBevelOuter, &TCustomPanel::SetBevelOuter)
      .Default(bvRaised);
  p.Int(u"BevelWidth", &TCustomPanel::GetBevelWidth, &TCustomPanel::SetBevelWidth).Default(1);
  p.Enum(u"BorderStyle", BorderStyleType(), &TCustomPanel::GetBorderStyle, &TCustomPanel::SetBorderStyle)
      .Default(bsNone);
  p.Bool(u"ParentBackground", &TCustomPanel::GetParentBackground, &TCustomPanel::SetParentBackground)
      .Default(true);
  p.Bool(u"ShowCaption", &TCustomPanel::GetShowCaption, &TCustomPanel::SetShowCaption).Default(true);
}

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  controlStyle_ = {csAcceptsControls, csCaptureMouse, csClickEvents,  csSetCaption,
                   csOpaque,          csDoubleClicks, csReplicatable, csParentBackground};
  width_ = 185;
  height_ = 41;
  bevelInner_ = bvNone;
  bevelOuter_ = bvRaised;
  color_ = clBtnFace;
  brush_->SetColor(color_);
}

void TCustomPanel::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  if (borderStyle_ == bsSingle) {
    if (ctl3D_)
      params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      params.Style |= WS_BORDER;
  }
}

void TCustomPanel::AdjustClientRect(TRect& rect) {
  TCustomControl::AdjustClientRect(rect);
  Integer bevel = (bevelOuter_ != bvNone ? bevelWidth_ : 0) + (bevelInner_ != bvNone ? bevelWidth_ : 0);
  InflateRect(&rect, -bevel, -bevel);
}

void TCustomPanel::Paint() {
  TCanvas* canvas = GetCanvas();
  TRect r = GetClientRect();
  TColor tl, br;
  if (bevelOuter_ != bvNone) {
    BevelColors(bevelOuter_, tl, br);
    Frame3D(canvas, r, tl, br, bevelWidth_);
  }
  if (bevelInner_ != bvNone) {
    BevelColors(bevelInner_, tl, br);
    Frame3D(canvas, r, tl, br, bevelWidth_);
  }
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(color_);
  canvas->FillRect(r);
  String text = GetText();
  if (!showCaption_ || text.empty()) return;
  canvas->GetFont()->Assign(font_.get());
  canvas->GetBrush()->SetStyle(bsClear);
  if (!IsEnabled()) canvas->GetFont()->SetColor(clGrayText);
  Cardinal flags = DT_EXPANDTABS | DT_SINGLELINE;
  flags |= alignment_ == taLeftJustify ? DT_LEFT : alignment_ == taRightJustify ? DT_RIGHT : DT_CENTER;
  flags |= verticalAlignment_ == taAlignTop      ? DT_TOP
           : verticalAlignment_ == taAlignBottom ? DT_BOTTOM
                                                 : DT_VCENTER;
  HDC dc = canvas->GetHandle();
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(canvas->GetFont()->GetColor()));
  DrawText(dc, text.c_str(), static_cast<Integer>(text.size()), &r, flags);
}

void TCustomPanel::Dispatch(TMessage& message) {
  if (message.Msg == CM_TEXTCHANGED) Invalidate();
  TCustomControl::Dispatch(message);
}

void TCustomPanel::SetAlignment(TAlignment value) {
  alignment_ = value;
  Invalidate();
}

void TCustomPanel::SetVerticalAlignment(TVerticalAlignment value) {
  verticalAlignment_ = value;
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle value) {
  if (borderStyle_ == value) return;
  borderStyle_ = value == bsSingle ? bsSingle : bsNone;
  if (HandleAllocated()) RecreateWnd();
  Realign();
  Invalidate();
}

void TCustomPanel::SetParentBackground(bool value) {
  if (value)
    controlStyle_ << csParentBackground;
  else
    controlStyle_ >> csParentBackground;
  Invalidate();
}

void TCustomPanel::SetShowCaption(bool value) {
  showCaption_ = value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut value) {
  bevelInner_ = value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut value) {
  bevelOuter_ = value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(TBevelWidth value) {
  bevelWidth_ = std::max<Integer>(value, 1);
  Realign();
  Invalidate();
}

// ---- TBevel ----

void TBevel::Published(TPropBuilder<TBevel>& p) {
  p.Enum(u"Shape", BevelShapeType(), &TBevel::GetShape, &TBevel::SetShape).Default(bsBox);
  p.Enum(u"Style", BevelStyleType(), &TBevel::GetStyle, &TBevel::SetStyle).Default(bsLowered);
}

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
  controlStyle_ << csReplicatable;
  width_ = 50;
  height_ = 50;
}

void TBevel::SetShape(TBevelShape value) {
  shape_ = value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle value) {
  style_ = value;
  Invalidate();
}

void TBevel::Paint() {
  if (shape_ == bsSpacer) return;
  TCanvas* canvas = GetCanvas();
  TColor c1 = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor c2 = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
  TPen* pen = canvas->GetPen();
  pen->SetWidth(1);
  pen->SetStyle(psSolid);
  auto line = [&](TColor color, Integer x1, Integer y1, Integer x2, Integer y2) {
    pen->SetColor(color);
    canvas->MoveTo(x1, y1);
    canvas->LineTo(x2, y2);
  };
  Integer w = width_, h = height_;
  switch (shape_) {
    case bsBox: {
      TRect r(0, 0, w, h);
      Frame3D(canvas, r, c1, c2, 1);
      break;
    }
    case bsFrame: {
      TRect r(0, 0, w - 1, h - 1);
      Frame3D(canvas, r, c1, c1, 1);
      r = TRect(1, 1, w, h);
      Frame3D(canvas, r, c2, c2, 1);
      break;
    }
    case bsTopLine:
      line(c1, 0, 0, w, 0);
      line(c2, 0, 1, w, 1);
      break;
    case bsBottomLine:
      line(c1, 0, h - 2, w, h - 2);
      line(c2, 0, h - 1, w, h - 1);
      break;
    case bsLeftLine:
      line(c1, 0, 0, 0, h);
      line(c2, 1, 0, 1, h);
      break;
    case bsRightLine:
      line(c1, w - 2, 0, w - 2, h);
      line(c2, w - 1, 0, w - 1, h);
      break;
    case bsSpacer:
      break;
  }
}

// ---- TShape ----

void TShape::Published(TPropBuilder<TShape>& p) {
  p.Enum(u"Shape", ShapeTypeInfo(), &TShape::GetShape, &TShape::SetShape).Default(stRectangle);
  p.Object(u"Pen", &TShape::GetPen, &TShape::SetPen);
  p.Object(u"Brush", &TShape::GetBrush, &TShape::SetBrush);
}

TShape::TShape(TComponent* owner)
    : TGraphicControl(owner), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
  controlStyle_ << csReplicatable;
  width_ = 65;
  height_ = 65;
  pen_->OnChange = TNotifyEvent(this, &TShape::StyleChanged);
  brush_->OnChange = TNotifyEvent(this, &TShape::StyleChanged);
}

TShape::~TShape() = default;

void TShape::SetShape(TShapeType value) {
  shape_ = value;
  Invalidate();
}

void TShape::SetPen(TPen* value) { pen_->Assign(value); }
void TShape::SetBrush(TBrush* value) { brush_->Assign(value); }
void TShape::StyleChanged(TObject*) { Invalidate(); }

void TShape::Paint() {
  TCanvas* canvas = GetCanvas();
  canvas->SetPen(pen_.get());
  canvas->SetBrush(brush_.get());
  Integer pw = pen_->GetWidth();
  Integer half = pw / 2;
  Integer x = half, y = half;
  Integer w = width_ - pw + 1, h = height_ - pw + 1;
  if (pw == 0) {
    w -= 1;
    h -= 1;
  }
  if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
    if (w < h) {
      y += (h - w) / 2;
      h = w;
    } else {
      x += (w - h) / 2;
      w = h;
    }
  }
  switch (shape_) {
    case stRectangle:
    case stSquare:
      canvas->Rectangle(x, y, x + w, y + h);
      break;
    case stRoundRect:
    case stRoundSquare: {
      Integer s = std::min(w, h) / 4;
      canvas->RoundRect(x, y, x + w, y + h, s, s);
      break;
    }
    case stEllipse:
    case stCircle:
      canvas->Ellipse(x, y, x + w, y + h);
      break;
  }
}

// ---- TImage ----

void TImage::Published(TPropBuilder<TImage>& p) {
  p.Bool(u"Center", &TImage::GetCenter, &TImage::SetCenter).Default(false);
  p.Object(u"Picture", &TImage::GetPicture, &TImage::SetPicture);
  p.Bool(u"Proportional", &TImage::GetProportional, &TImage::SetProportional).Default(false);
  p.Bool(u"Stretch", &TImage::GetStretch, &TImage::SetStretch).Default(false);
  p.Bool(u"Transparent", &TImage::GetTransparent, &TImage::SetTransparent).Default(false);
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>()) {
  controlStyle_ << csReplicatable;
  width_ = 105;
  height_ = 105;
  picture_->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
}

TImage::~TImage() { picture_->OnChange = TNotifyEvent(); }

void TImage::SetPicture(TPicture* value) { picture_->Assign(value); }

void TImage::PictureChanged(TObject*) {
  if (TGraphic* g = picture_->GetGraphic()) g->SetTransparent(transparent_);
  if (autoSize_ && picture_->GetWidth() > 0 && picture_->GetHeight() > 0) AdjustSize();
  Invalidate();
}

TCanvas* TImage::GetCanvas() {
  TGraphic* graphic = picture_->GetGraphic();
  if (!graphic) {
    TBitmap bitmap;
    bitmap.SetSize(width_, height_);
    picture_->SetGraphic(&bitmap);
    graphic = picture_->GetGraphic();
  }
  auto* bitmap = dynamic_cast<TBitmap*>(graphic);
  if (!bitmap) throw EInvalidOperation(u"Can only modify an image if it contains a bitmap");
  bitmap->GetCanvas()->OnChange = TNotifyEvent([this](TObject*) { Invalidate(); });
  return bitmap->GetCanvas();
}

void TImage::SetStretch(bool value) {
  stretch_ = value;
  Invalidate();
}
void TImage::SetCenter(bool value) {
  center_ = value;
  Invalidate();
}
void TImage::SetProportional(bool value) {
  proportional_ = value;
  Invalidate();
}
void TImage::SetTransparent(bool value) {
  transparent_ = value;
  if (TGraphic* g = picture_->GetGraphic()) g->SetTransparent(value);
  Invalidate();
}

TRect TImage::DestRect() const {
  Integer w = picture_->GetWidth(), h = picture_->GetHeight();
  Integer cw = width_, ch = height_;
  if (stretch_ || (proportional_ && (w > cw || h > ch))) {
    if (proportional_ && w > 0 && h > 0) {
      // The larger side fills the control; the other keeps the ratio.
      if (static_cast<Int64>(cw) * h > static_cast<Int64>(ch) * w) {
        Integer nw = static_cast<Integer>(static_cast<Int64>(ch) * w / h);
        w = nw;
        h = ch;
      } else {
        Integer nh = static_cast<Integer>(static_cast<Int64>(cw) * h / w);
        h = nh;
        w = cw;
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r(0, 0, w, h);
  if (center_) OffsetRect(&r, (cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint() {
  TGraphic* graphic = picture_->GetGraphic();
  if (!graphic || graphic->GetEmpty()) return;
  TGraphicControl::GetCanvas()->StretchDraw(DestRect(), graphic);
}

bool TImage::CanAutoSize(Integer& newWidth, Integer& newHeight) {
  if (picture_->GetWidth() <= 0 || picture_->GetHeight() <= 0) return false;
  newWidth = picture_->GetWidth();
  newHeight = picture_->GetHeight();
  return true;
}

// ---- TSplitter ----

void TSplitter::Published(TPropBuilder<TSplitter>& p) {
  p.Bool(u"AutoSnap", &TSplitter::GetAutoSnap, &TSplitter::SetAutoSnap).Default(false);
  p.Int(u"MinSize", &TSplitter::GetMinSize, &TSplitter::SetMinSize).Default(30);
  p.Enum(u"ResizeStyle", ResizeStyleType(), &TSplitter::GetResizeStyle, &TSplitter::SetResizeStyle)
      .Default(rsPattern);
  p.Event(u"OnCanResize", &TSplitter::OnCanResize, u"TCanResizeEvent");
  p.Event(u"OnMoved", &TSplitter::OnMoved);
}

TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
  align_ = alLeft;
  width_ = 3;
  height_ = 100;
  cursor_ = crHSplit;
}

void TSplitter::Paint() {
  TCanvas* canvas = GetCanvas();
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(color_);
  canvas->FillRect(GetClientRect());
}

// The control on the side the splitter is aligned to, touching it.
TControl* TSplitter::FindResizeControl() const {
  TWinControl* parent = GetParent();
  if (!parent) return nullptr;
  for (Integer i = 0; i < parent->GetControlCount(); ++i) {
    TControl* c = parent->GetControl(i);
    if (c == this || !c->GetVisible() || c->GetAlign() != align_) continue;
    bool touches = false;
    switch (align_) {
      case alLeft:
        touches = c->GetLeft() + c->GetWidth() == left_;
        break;
      case alRight:
        touches = c->GetLeft() == left_ + width_;
        break;
      case alTop:
        touches = c->GetTop() + c->GetHeight() == top_;
        break;
      case alBottom:
        touches = c->GetTop() == top_ + height_;
        break;
      default:
        break;
    }
    if (touches) return c;
  }
  return nullptr;
}

// Keeps the control at least MinSize and the parent's client area left over at least MinSize.
Integer TSplitter::ClampSize(Integer size) const {
  TWinControl* parent = GetParent();
  bool horizontal = align_ == alLeft || align_ == alRight;
  Integer current = horizontal ? control_->GetWidth() : control_->GetHeight();
  // What the other controls leave: the client area less the aligned ones beside this pair.
  Integer room = current;
  if (parent) {
    Integer used = 0;
    for (Integer i = 0; i < parent->GetControlCount(); ++i) {
      TControl* c = parent->GetControl(i);
      if (!c->GetVisible() || c == control_) continue;
      TAlign a = c->GetAlign();
      if (horizontal && (a == alLeft || a == alRight)) used += c->GetWidth();
      if (!horizontal && (a == alTop || a == alBottom)) used += c->GetHeight();
    }
    room = (horizontal ? parent->GetClientWidth() : parent->GetClientHeight()) - used - minSize_;
  }
  size = std::min(size, std::max(room, current < minSize_ ? current : minSize_));
  return std::max(size, minSize_);
}

void TSplitter::ApplySize(Integer size) {
  if (!control_) return;
  if (align_ == alLeft || align_ == alRight)
    control_->SetWidth(size);
  else
    control_->SetHeight(size);
  if (TWinControl* parent = GetParent()) parent->Realign();
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  control_ = FindResizeControl();
  if (!control_) return;
  downPos_ = ClientToScreen(TPoint(x, y));
  startSize_ = (align_ == alLeft || align_ == alRight) ? control_->GetWidth() : control_->GetHeight();
  newSize_ = startSize_;
}

void TSplitter::MouseMove(TShiftState shift, Integer x, Integer y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (!control_ || !shift.Contains(ssLeft)) return;
  TPoint p = ClientToScreen(TPoint(x, y));
  Integer delta = 0;
  switch (align_) {
    case alLeft:
      delta = p.X - downPos_.X;
      break;
    case alRight:
      delta = downPos_.X - p.X;
      break;
    case alTop:
      delta = p.Y - downPos_.Y;
      break;
    case alBottom:
      delta = downPos_.Y - p.Y;
      break;
    default:
      break;
  }
  Integer size = ClampSize(startSize_ + delta);
  bool accept = true;
  if (OnCanResize) OnCanResize(this, size, accept);
  if (!accept) return;
  newSize_ = size;
  if (resizeStyle_ == rsUpdate) ApplySize(newSize_);
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (!control_ || button != mbLeft) return;
  if (resizeStyle_ != rsNone) ApplySize(newSize_);
  control_ = nullptr;
  if (newSize_ != startSize_ && OnMoved) OnMoved(this);
}

// ---- TCustomRadioGroup ----

void TCustomRadioGroup::Published(TPropBuilder<TCustomRadioGroup>& p) {
  p.Int(u"Columns", &TCustomRadioGroup::GetColumns, &TCustomRadioGroup::SetColumns).Default(1);
  p.Object(u"Items", &TCustomRadioGroup::GetItems, &TCustomRadioGroup::SetItems);
  p.Int(u"ItemIndex", &TCustomRadioGroup::GetItemIndex, &TCustomRadioGroup::SetItemIndex).Default(-1);
}

TCustomRadioGroup::TCustomRadioGroup(TComponent* owner)
    : TCustomGroupBox(owner), items_(std::make_unique<TStringList>()) {
  controlStyle_ >> csAcceptsControls;
  items_->OnChange = TNotifyEvent(this, &TCustomRadioGroup::ItemsChanged);
}

TCustomRadioGroup::~TCustomRadioGroup() {
  items_->OnChange = TNotifyEvent();
  for (TRadioButton* b : buttons_) delete b;
  buttons_.clear();
}

TStrings* TCustomRadioGroup::GetItems() const { return items_.get(); }
void TCustomRadioGroup::SetItems(TStrings* value) { items_->Assign(value); }

TRadioButton* TCustomRadioGroup::GetButton(Integer index) const {
  if (index < 0 || index >= static_cast<Integer>(buttons_.size()))
    throw EListError(Format(u"List index out of bounds (%d)", {index}));
  return buttons_[index];
}

void TCustomRadioGroup::ItemsChanged(TObject*) {
  if (GetComponentState().Contains(csLoading)) return;
  if (itemIndex_ >= items_->GetCount()) itemIndex_ = items_->GetCount() - 1;
  UpdateButtons();
}

void TCustomRadioGroup::UpdateButtons() {
  updating_ = true;
  while (static_cast<Integer>(buttons_.size()) > items_->GetCount()) {
    delete buttons_.back();
    buttons_.pop_back();
  }
  while (static_cast<Integer>(buttons_.size()) < items_->GetCount()) {
    auto* b = new TRadioButton(this);
    b->SetParent(this);
    b->OnClick = TNotifyEvent(this, &TCustomRadioGroup::ButtonClick);
    buttons_.push_back(b);
  }
  for (size_t i = 0; i < buttons_.size(); ++i) {
    buttons_[i]->SetCaption(items_->Get(static_cast<int>(i)));
    buttons_[i]->SetChecked(static_cast<Integer>(i) == itemIndex_);
    buttons_[i]->SetTabStop(static_cast<Integer>(i) == itemIndex_ || (itemIndex_ < 0 && i == 0));
  }
  updating_ = false;
  ArrangeButtons();
}

void TCustomRadioGroup::ArrangeButtons() {
  if (buttons_.empty()) return;
  TRect r = GetClientRect();
  AdjustClientRect(r);
  Integer columns = std::max<Integer>(columns_, 1);
  Integer count = static_cast<Integer>(buttons_.size());
  Integer rows = (count + columns - 1) / columns;
  Integer colWidth = (r.Width() - 8) / columns;
  Integer rowHeight = std::max<Integer>(r.Height() / std::max<Integer>(rows, 1), 1);
  for (Integer i = 0; i < count; ++i) {
    Integer col = i / rows, row = i % rows;
    Integer h = std::min<Integer>(rowHeight, 20);
    buttons_[i]->SetBounds(r.Left + 8 + col * colWidth, r.Top + row * rowHeight + (rowHeight - h) / 2,
                           std::max<Integer>(colWidth - 4, 1), h);
  }
}

void TCustomRadioGroup::ButtonClick(TObject* sender) {
  if (updating_) return;
  auto it = std::find(buttons_.begin(), buttons_.end(), sender);
  if (it == buttons_.end()) return;
  itemIndex_ = static_cast<Integer>(it - buttons_.begin());
  Click();
}

void TCustomRadioGroup::SetItemIndex(Integer value) {
  if (GetComponentState().Contains(csLoading) || GetComponentState().Contains(csReading)) {
    itemIndex_ = value;
    return;
  }
  if (value < -1 || value >= items_->GetCount()) value = -1;
  if (value < 0) {
    updating_ = true;
    if (itemIndex_ >= 0 && itemIndex_ < static_cast<Integer>(buttons_.size()))
      buttons_[itemIndex_]->SetChecked(false);
    updating_ = false;
    itemIndex_ = -1;
    return;
  }
  // Checking the button raises its click, which sets itemIndex_ and raises the group's OnClick.
  if (value == itemIndex_) return;
  buttons_[value]->SetChecked(true);
}

void TCustomRadioGroup::SetColumns(Integer value) {
  columns_ = std::clamp<Integer>(value, 1, 16);
  ArrangeButtons();
}

void TCustomRadioGroup::Loaded() {
  TCustomGroupBox::Loaded();
  UpdateButtons();
}

void TCustomRadioGroup::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  TCustomGroupBox::SetBounds(left, top, width, height);
  ArrangeButtons();
}

void TCustomRadioGroup::Dispatch(TMessage& message) {
  TCustomGroupBox::Dispatch(message);
  if (message.Msg == CM_FONTCHANGED) ArrangeButtons();
}

// ---- TPaintBox ----

void TPaintBox::Published(TPropBuilder<TPaintBox>& p) { p.Event(u"OnPaint", &TPaintBox::OnPaint); }

TPaintBox::TPaintBox(TComponent* owner) : TGraphicControl(owner) {
  controlStyle_ << csReplicatable;
  width_ = 105;
  height_ = 105;
}

void TPaintBox::Paint() {
  TCanvas* canvas = GetCanvas();
  canvas->GetFont()->Assign(font_.get());
  canvas->GetBrush()->SetColor(color_);
  if (OnPaint) OnPaint(this);
}

// ---- TControlScrollBar and TScrollBox ----

namespace {
constexpr Integer kScrollBarSize = 17;
}

void TControlScrollBar::Published(TPropBuilder<TControlScrollBar>& p) {
  p.Int(u"Increment", &TControlScrollBar::GetIncrement, &TControlScrollBar::SetIncrement).Default(8);
  // With AutoScroll the children give the range: it is not stored then.
  p.Int(u"Range", &TControlScrollBar::GetRange, &TControlScrollBar::SetRange)
      .Default(0)
      .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
        auto* bar = static_cast<const TControlScrollBar*>(o);
        return !bar->control_->GetAutoScroll();
      }));
  p.Bool(u"Visible", &TControlScrollBar::GetVisible, &TControlScrollBar::SetVisible).Default(true);
}

TPersistent* TControlScrollBar::GetOwner() const { return control_; }

bool TControlScrollBar::IsScrollBarVisible() const {
  if (!visible_) return false;
  TRect client = control_->GetClientRect();
  return range_ > (vertical_ ? client.Height() : client.Width());
}

void TControlScrollBar::SetPosition(Integer value) {
  TRect client = control_->GetClientRect();
  Integer limit = std::max<Integer>(range_ - (vertical_ ? client.Height() : client.Width()), 0);
  control_->ScrollTo(vertical_, std::clamp<Integer>(value, 0, limit));
}

void TControlScrollBar::SetRange(Integer value) {
  range_ = std::max<Integer>(value, 0);
  control_->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool value) {
  visible_ = value;
  control_->UpdateScrollBars();
}

// The two Qt scroll bars laid on the scroll box's edges.
class TScrollBoxBars : public QObject {
 public:
  explicit TScrollBoxBars(TScrollBox* box, QWidget* widget) : box_(box) {
    vert_ = new QScrollBar(Qt::Vertical, widget);
    horz_ = new QScrollBar(Qt::Horizontal, widget);
    for (QScrollBar* bar : {vert_, horz_}) {
      bar->hide();
      bar->setFocusPolicy(Qt::NoFocus);
      QObject::connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
        GuardedCall(box_, [this, bar, value] { box_->ScrollTo(bar == vert_, value); });
      });
    }
  }
  void Sync() {
    TRect client = box_->GetClientRect();
    QPoint origin = box_->host_->ClientOffset();
    auto place = [&](QScrollBar* bar, TControlScrollBar* info, bool vertical) {
      QSignalBlocker block(bar);
      bool visible = info->IsScrollBarVisible();
      Integer page = vertical ? client.Height() : client.Width();
      bar->setRange(0, std::max<Integer>(info->GetRange() - page, 0));
      bar->setPageStep(std::max<Integer>(page, 1));
      bar->setSingleStep(info->GetIncrement());
      bar->setValue(info->GetPosition());
      if (vertical)
        bar->setGeometry(origin.x() + client.Width(), origin.y(), kScrollBarSize, client.Height());
      else
        bar->setGeometry(origin.x(), origin.y() + client.Height(), client.Width(), kScrollBarSize);
      bar->setVisible(visible);
      if (visible) bar->raise();
    };
    place(vert_, box_->vert_.get(), true);
    place(horz_, box_->horz_.get(), false);
  }

 private:
  TScrollBox* box_;
  QScrollBar* vert_;
  QScrollBar* horz_;
};

void TScrollBox::Published(TPropBuilder<TScrollBox>& p) {
  p.Bool(u"AutoScroll", &TScrollBox::GetAutoScroll, &TScrollBox::SetAutoScroll).Default(true);
  p.Enum(u"BorderStyle", BorderStyleType(), &TScrollBox::GetBorderStyle, &TScrollBox::SetBorderStyle)
      .Default(bsSingle);
  p.Object(u"HorzScrollBar", &TScrollBox::GetHorzScrollBar, &TScrollBox::SetHorzScrollBar);
  p.Object(u"VertScrollBar", &TScrollBox::GetVertScrollBar, &TScrollBox::SetVertScrollBar);
  p.Bool(u"TabStop", &TScrollBox::GetTabStop, &TScrollBox::SetTabStop).Default(false);
}

TScrollBox::TScrollBox(TComponent* owner)
    : TScrollingWinControl(owner),
      horz_(std::make_unique<TControlScrollBar>(this, false)),
      vert_(std::make_unique<TControlScrollBar>(this, true)) {
  controlStyle_ = {csCaptureMouse, csClickEvents, csAcceptsControls, csSetCaption, csDoubleClicks};
  width_ = 185;
  height_ = 41;
  color_ = clBtnFace;
  brush_->SetColor(color_);
  SetAutoScroll(true);
}

TScrollBox::~TScrollBox() {
  DestroyHandle();
  bars_.reset();
}

void TScrollBox::SetHorzScrollBar(TControlScrollBar* value) {
  horz_->increment_ = value->increment_;
  horz_->visible_ = value->visible_;
  horz_->range_ = value->range_;
  UpdateScrollBars();
}

void TScrollBox::SetVertScrollBar(TControlScrollBar* value) {
  vert_->increment_ = value->increment_;
  vert_->visible_ = value->visible_;
  vert_->range_ = value->range_;
  UpdateScrollBars();
}

void TScrollBox::SetBorderStyle(TBorderStyle value) {
  if (borderStyle_ == value) return;
  borderStyle_ = value == bsSingle ? bsSingle : bsNone;
  if (HandleAllocated()) RecreateWnd();
  Realign();
}

void TScrollBox::CreateParams(TCreateParams& params) {
  TScrollingWinControl::CreateParams(params);
  if (borderStyle_ == bsSingle) params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TScrollBox::InitQtWidget(QWidget* widget) {
  TScrollingWinControl::InitQtWidget(widget);
  bars_ = std::make_unique<TScrollBoxBars>(this, widget);
  UpdateScrollBars();
}

void TScrollBox::Dispatch(TMessage& message) {
  TScrollingWinControl::Dispatch(message);
  if (message.Msg != WM_NCCALCSIZE) return;
  // The bars take their room from the client area, as the system's do.
  TRect& r = reinterpret_cast<TWMNCCalcSize&>(message).CalcSize_Params->rgrc[0];
  if (vert_->visible_ && vert_->range_ > r.Height()) r.Right = std::max(r.Left, r.Right - kScrollBarSize);
  if (horz_->visible_ && horz_->range_ > r.Width()) r.Bottom = std::max(r.Top, r.Bottom - kScrollBarSize);
}

void TScrollBox::AlignControls(TControl* control, TRect& rect) {
  TScrollingWinControl::AlignControls(control, rect);
  UpdateScrollBars();
}

void TScrollBox::UpdateScrollBars() {
  if (updating_) return;
  updating_ = true;
  if (GetAutoScroll()) {
    Integer right = 0, bottom = 0;
    for (Integer i = 0; i < GetControlCount(); ++i) {
      TControl* c = GetControl(i);
      if (!c->GetVisible() || c->GetAlign() == alClient) continue;
      right = std::max(right, c->GetLeft() + c->GetWidth() + horz_->position_);
      bottom = std::max(bottom, c->GetTop() + c->GetHeight() + vert_->position_);
    }
    horz_->range_ = right;
    vert_->range_ = bottom;
  }
  // A position beyond the new range comes back.
  TRect client = GetClientRect();
  Integer maxH = std::max<Integer>(horz_->range_ - client.Width(), 0);
  Integer maxV = std::max<Integer>(vert_->range_ - client.Height(), 0);
  if (!horz_->IsScrollBarVisible()) maxH = 0;
  if (!vert_->IsScrollBarVisible()) maxV = 0;
  if (horz_->position_ > maxH) ScrollTo(false, maxH);
  if (vert_->position_ > maxV) ScrollTo(true, maxV);
  if (bars_ && host_) bars_->Sync();
  updating_ = false;
}

void TScrollBox::ScrollTo(bool vertical, Integer position) {
  TControlScrollBar* bar = vertical ? vert_.get() : horz_.get();
  Integer delta = bar->position_ - position;
  if (delta == 0) return;
  bar->position_ = position;
  ScrollBy(vertical ? 0 : delta, vertical ? delta : 0);
  if (bars_ && host_ && !updating_) bars_->Sync();
}

void TScrollBox::ScrollInView(TControl* control) {
  if (!control || control->GetParent() != this) return;
  TRect client = GetClientRect();
  TRect r = control->GetBoundsRect();
  if (r.Left < 0)
    horz_->SetPosition(horz_->position_ + r.Left);
  else if (r.Right > client.Width())
    horz_->SetPosition(horz_->position_ + std::min<Integer>(r.Right - client.Width(), r.Left));
  r = control->GetBoundsRect();
  if (r.Top < 0)
    vert_->SetPosition(vert_->position_ + r.Top);
  else if (r.Bottom > client.Height())
    vert_->SetPosition(vert_->position_ + std::min<Integer>(r.Bottom - client.Height(), r.Top));
}

bool TScrollBox::DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) {
  if (TScrollingWinControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  TControlScrollBar* bar =
      shift.Contains(ssShift) || !vert_->IsScrollBarVisible() ? horz_.get() : vert_.get();
  if (!bar->IsScrollBarVisible()) return false;
  bar->SetPosition(bar->position_ - wheelDelta / 120 * bar->increment_ * 3);
  return true;
}
