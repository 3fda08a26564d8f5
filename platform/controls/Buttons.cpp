// The speed button drawn with the theme services on its parent, with exclusive groups, and the bitmap
// button over the push button with a glyph and the stock kinds.
#include "platform/controls/Buttons.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "platform/controls/private/ControlsQt.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Themes.h"
#include "platform/graphics/private/CanvasQt.h"

namespace {
const TTypeInfo* ButtonLayoutType() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TButtonLayout", {u"blGlyphLeft", u"blGlyphRight", u"blGlyphTop", u"blGlyphBottom"});
  return &t;
}
const TTypeInfo* BitBtnKindType() {
  static const TTypeInfo t =
      TTypeInfo::Enum(u"TBitBtnKind", {u"bkCustom", u"bkOK", u"bkCancel", u"bkHelp", u"bkYes", u"bkNo",
                                       u"bkClose", u"bkAbort", u"bkRetry", u"bkIgnore", u"bkAll"});
  return &t;
}

// The glyph's picture for a state: up, disabled, clicked, down; a missing one falls back to up.
Integer GlyphIndex(TButtonState state, Integer numGlyphs) {
  Integer index = state == bsDisabled ? 1 : state == bsDown ? 2 : state == bsExclusive ? 3 : 0;
  return index < numGlyphs ? index : 0;
}
}  // namespace

// ---- TSpeedButton ----

void TSpeedButton::Published(TPropBuilder<TSpeedButton>& p) {
  p.Bool(u"AllowAllUp", &TSpeedButton::GetAllowAllUp, &TSpeedButton::SetAllowAllUp).Default(false);
  p.Int(u"GroupIndex", &TSpeedButton::GetGroupIndex, &TSpeedButton::SetGroupIndex).Default(0);
  p.Bool(u"Down", &TSpeedButton::GetDown, &TSpeedButton::SetDown).Default(false);
  p.Bool(u"Flat", &TSpeedButton::GetFlat, &TSpeedButton::SetFlat).Default(false);
  p.Object(u"Glyph", &TSpeedButton::GetGlyph, &TSpeedButton::SetGlyph);
  p.Enum(u"Layout", ButtonLayoutType(), &TSpeedButton::GetLayout, &TSpeedButton::SetLayout)
      .Default(blGlyphLeft);
  p.Int(u"Margin", &TSpeedButton::GetMargin, &TSpeedButton::SetMargin).Default(-1);
  p.Int(u"NumGlyphs", &TSpeedButton::GetNumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1);
  p.Int(u"Spacing", &TSpeedButton::GetSpacing, &TSpeedButton::SetSpacing).Default(4);
  p.Bool(u"Transparent", &TSpeedButton::GetTransparent, &TSpeedButton::SetTransparent).Default(true);
}

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), glyph_(std::make_unique<TBitmap>()) {
  controlStyle_ = {csCaptureMouse, csDoubleClicks};
  width_ = 23;
  height_ = 22;
  parentColor_ = true;
  color_ = clBtnFace;
  glyph_->OnChange = TNotifyEvent(this, &TSpeedButton::GlyphChanged);
}

TSpeedButton::~TSpeedButton() { glyph_->OnChange = TNotifyEvent(); }

void TSpeedButton::SetGlyph(TBitmap* value) {
  if (value)
    glyph_->Assign(value);
  else
    glyph_->SetSize(0, 0);
}

void TSpeedButton::GlyphChanged(TObject*) {
  // A strip of square pictures tells how many it holds.
  Integer w = glyph_->GetWidth(), h = glyph_->GetHeight();
  if (h > 0 && w % h == 0 && w / h >= 1 && w / h <= 4) numGlyphs_ = w / h;
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(TNumGlyphs value) {
  numGlyphs_ = std::clamp<Integer>(value, 1, 4);
  Invalidate();
}

void TSpeedButton::SetGroupIndex(Integer value) {
  if (groupIndex_ == value) return;
  groupIndex_ = value;
  UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool value) {
  if (allowAllUp_ == value) return;
  allowAllUp_ = value;
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool value) {
  // A form resource may name Down before GroupIndex: Loaded checks it once both are read.
  if (GetComponentState().Contains(csLoading)) {
    down_ = value;
    state_ = value ? bsExclusive : bsUp;
    return;
  }
  if (groupIndex_ == 0) value = false;
  if (value == down_) return;
  if (down_ && !allowAllUp_ && !GetComponentState().Contains(csLoading)) return;
  down_ = value;
  state_ = value ? bsExclusive : bsUp;
  Invalidate();
  if (value) UpdateExclusive();
}

void TSpeedButton::Loaded() {
  TGraphicControl::Loaded();
  if (groupIndex_ == 0) {
    down_ = false;
    state_ = bsUp;
  }
  if (down_) UpdateExclusive();
}

void TSpeedButton::SetFlat(bool value) {
  flat_ = value;
  Invalidate();
}
void TSpeedButton::SetLayout(TButtonLayout value) {
  layout_ = value;
  Invalidate();
}
void TSpeedButton::SetMargin(Integer value) {
  margin_ = std::max<Integer>(value, -1);
  Invalidate();
}
void TSpeedButton::SetSpacing(Integer value) {
  spacing_ = value;
  Invalidate();
}
void TSpeedButton::SetTransparent(bool value) {
  transparent_ = value;
  Invalidate();
}

// Tells the buttons of the same group on the parent: the one down raises the others, and they share
// AllowAllUp.
void TSpeedButton::UpdateExclusive() {
  if (groupIndex_ == 0 || !GetParent()) return;
  TMessage m{};
  m.Msg = CM_BUTTONPRESSED;
  m.WParam = static_cast<WPARAM>(groupIndex_);
  m.LParam = reinterpret_cast<LPARAM>(this);
  GetParent()->Broadcast(m);
}

void TSpeedButton::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_BUTTONPRESSED: {
      auto* sender = reinterpret_cast<TSpeedButton*>(message.LParam);
      if (static_cast<Integer>(message.WParam) != groupIndex_ || sender == this || !sender) return;
      if (sender->down_ && down_) {
        down_ = false;
        state_ = bsUp;
        Invalidate();
      }
      allowAllUp_ = sender->allowAllUp_;
      return;
    }
    case CM_MOUSEENTER:
      mouseInControl_ = true;
      if (flat_) Invalidate();
      break;
    case CM_MOUSELEAVE:
      mouseInControl_ = false;
      if (flat_) Invalidate();
      break;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      Invalidate();
      break;
    case CM_DIALOGCHAR: {
      auto& key = reinterpret_cast<TCMDialogChar&>(message);
      if (IsAccel(key.CharCode, GetCaption()) && IsEnabled() && GetVisible() && GetParent() &&
          GetParent()->GetShowing()) {
        Click();
        key.Result = 1;
        return;
      }
      break;
    }
    default:
      break;
  }
  TGraphicControl::Dispatch(message);
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !IsEnabled()) return;
  if (!down_) {
    state_ = bsDown;
    Invalidate();
  }
  dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState shift, Integer x, Integer y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (!dragging_) return;
  TButtonState next = down_ ? bsExclusive : bsUp;
  if (x >= 0 && x < width_ && y >= 0 && y <= height_ && !down_) next = bsDown;
  if (next != state_) {
    state_ = next;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (!dragging_ || button != mbLeft) return;
  dragging_ = false;
  bool doClick = x >= 0 && x < width_ && y >= 0 && y <= height_;
  if (groupIndex_ == 0) {
    state_ = bsUp;
    Invalidate();
  } else if (doClick) {
    SetDown(!down_);
    if (down_) state_ = bsExclusive;
    Invalidate();
  } else {
    state_ = down_ ? bsExclusive : bsUp;
    Invalidate();
  }
  if (doClick) Click();
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::Paint() {
  TCanvas* canvas = GetCanvas();
  TRect r = GetClientRect();
  bool enabled = IsEnabled();
  TButtonState shown = enabled ? state_ : bsDisabled;
  if (!enabled && down_ && groupIndex_ != 0) shown = bsExclusive;
  bool pressed = shown == bsDown || shown == bsExclusive;
  HDC dc = canvas->GetHandle();
  if (!transparent_ || !flat_) {
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(shown == bsExclusive && !flat_ ? clBtnHighlight : color_);
    canvas->FillRect(r);
    dc = canvas->GetHandle();
  }
  TCustomStyleServices* style = StyleServices();
  if (flat_) {
    TThemedToolBar part = !enabled               ? ttbButtonDisabled
                          : shown == bsDown      ? ttbButtonPressed
                          : shown == bsExclusive ? (mouseInControl_ ? ttbButtonCheckedHot : ttbButtonChecked)
                          : mouseInControl_      ? ttbButtonHot
                                                 : ttbButtonNormal;
    if (part != ttbButtonNormal && part != ttbButtonDisabled)
      style->DrawElement(dc, style->GetElementDetails(part), r);
  } else {
    TThemedButton part = !enabled          ? tbPushButtonDisabled
                         : pressed         ? tbPushButtonPressed
                         : mouseInControl_ ? tbPushButtonHot
                                           : tbPushButtonNormal;
    style->DrawElement(dc, style->GetElementDetails(part), r);
  }
  DrawGlyphAndCaption(canvas, r, pressed);
}

// Lays the glyph and the caption out as the class library does: Margin from the edge (-1 centres the
// pair), Spacing between them (-1 centres the caption in what is left).
void TSpeedButton::DrawGlyphAndCaption(TCanvas* canvas, const TRect& client, bool pressed) {
  canvas->GetFont()->Assign(font_.get());
  String caption = GetText();
  TRect textRect(0, 0, client.Width(), 0);
  HDC dc = canvas->GetHandle();
  if (!caption.empty())
    DrawText(dc, caption.c_str(), static_cast<Integer>(caption.size()), &textRect,
             DT_CALCRECT | DT_SINGLELINE);
  else
    textRect = TRect();
  Integer glyphW = glyph_->GetEmpty() ? 0 : glyph_->GetWidth() / std::max<Integer>(numGlyphs_, 1);
  Integer glyphH = glyph_->GetEmpty() ? 0 : glyph_->GetHeight();
  bool horizontal = layout_ == blGlyphLeft || layout_ == blGlyphRight;
  Integer total = horizontal ? client.Width() : client.Height();
  Integer textSize = horizontal ? textRect.Width() : textRect.Height();
  Integer glyphSize = horizontal ? glyphW : glyphH;
  Integer spacing = (glyphSize == 0 || textSize == 0) ? 0 : spacing_;
  Integer margin = margin_;
  if (margin == -1) {
    if (spacing == -1) {
      Integer rest = total - glyphSize - textSize;
      margin = rest / 3;
      spacing = margin;
    } else {
      margin = (total - glyphSize - textSize - spacing) / 2;
    }
  } else if (spacing == -1) {
    spacing = (total - margin - glyphSize - textSize) / 2;
  }
  Integer offset = pressed ? 1 : 0;
  TPoint glyphPos, textPos;
  switch (layout_) {
    case blGlyphLeft:
      glyphPos = TPoint(margin, (client.Height() - glyphH) / 2);
      textPos = TPoint(margin + glyphW + spacing, (client.Height() - textRect.Height()) / 2);
      break;
    case blGlyphRight:
      glyphPos = TPoint(client.Width() - margin - glyphW, (client.Height() - glyphH) / 2);
      textPos = TPoint(glyphPos.X - spacing - textRect.Width(), (client.Height() - textRect.Height()) / 2);
      break;
    case blGlyphTop:
      glyphPos = TPoint((client.Width() - glyphW) / 2, margin);
      textPos = TPoint((client.Width() - textRect.Width()) / 2, margin + glyphH + spacing);
      break;
    case blGlyphBottom:
      glyphPos = TPoint((client.Width() - glyphW) / 2, client.Height() - margin - glyphH);
      textPos = TPoint((client.Width() - textRect.Width()) / 2, glyphPos.Y - spacing - textRect.Height());
      break;
  }
  if (glyphW > 0) {
    TBitmap part;
    part.SetSize(glyphW, glyphH);
    Integer index = GlyphIndex(IsEnabled() ? state_ : bsDisabled, numGlyphs_);
    part.GetCanvas()->CopyRect(TRect(0, 0, glyphW, glyphH), glyph_->GetCanvas(),
                               Bounds(index * glyphW, 0, glyphW, glyphH));
    part.SetTransparent(true);
    canvas->Draw(glyphPos.X + offset, glyphPos.Y + offset, &part);
  }
  if (caption.empty()) return;
  TRect tr = Bounds(textPos.X + offset, textPos.Y + offset, textRect.Width(), textRect.Height());
  dc = canvas->GetHandle();
  SetBkMode(dc, TRANSPARENT);
  if (!IsEnabled()) {
    OffsetRect(&tr, 1, 1);
    SetTextColor(dc, ColorToRGB(clBtnHighlight));
    DrawText(dc, caption.c_str(), static_cast<Integer>(caption.size()), &tr,
             DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    OffsetRect(&tr, -1, -1);
    SetTextColor(dc, ColorToRGB(clBtnShadow));
  } else {
    SetTextColor(dc, ColorToRGB(font_->GetColor()));
  }
  DrawText(dc, caption.c_str(), static_cast<Integer>(caption.size()), &tr,
           DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

// ---- TBitBtn ----

namespace {
struct TKindInfo {
  const Char* caption;
  TModalResult result;
  QStyle::StandardPixmap pixmap;
};
const TKindInfo& KindInfo(TBitBtnKind kind) {
  static const TKindInfo infos[] = {
      {u"", mrNone, QStyle::SP_CustomBase},
      {u"OK", mrOk, QStyle::SP_DialogOkButton},
      {u"Cancel", mrCancel, QStyle::SP_DialogCancelButton},
      {u"&Help", mrNone, QStyle::SP_DialogHelpButton},
      {u"&Yes", mrYes, QStyle::SP_DialogYesButton},
      {u"&No", mrNo, QStyle::SP_DialogNoButton},
      {u"&Close", mrNone, QStyle::SP_DialogCloseButton},
      {u"Abort", mrAbort, QStyle::SP_DialogAbortButton},
      {u"&Retry", mrRetry, QStyle::SP_DialogRetryButton},
      {u"&Ignore", mrIgnore, QStyle::SP_DialogIgnoreButton},
      {u"&All", mrAll, QStyle::SP_DialogYesToAllButton},
  };
  return infos[kind];
}
}  // namespace

void TBitBtn::Published(TPropBuilder<TBitBtn>& p) {
  p.Enum(u"Kind", BitBtnKindType(), &TBitBtn::GetKind, &TBitBtn::SetKind).Default(bkCustom);
  p.Str(u"Caption", &TBitBtn::GetCaption, &TBitBtn::SetCaption).Stored(&TBitBtn::IsCaptionStored);
  p.Int(u"ModalResult", &TBitBtn::GetModalResult, &TBitBtn::SetModalResult)
      .Default(0)
      .Stored(&TBitBtn::IsModalResultStored);
  p.Object(u"Glyph", &TBitBtn::GetGlyph, &TBitBtn::SetGlyph);
  p.Enum(u"Layout", ButtonLayoutType(), &TBitBtn::GetLayout, &TBitBtn::SetLayout).Default(blGlyphLeft);
  p.Int(u"Margin", &TBitBtn::GetMargin, &TBitBtn::SetMargin).Default(-1);
  p.Int(u"NumGlyphs", &TBitBtn::GetNumGlyphs, &TBitBtn::SetNumGlyphs).Default(1);
  p.Int(u"Spacing", &TBitBtn::GetSpacing, &TBitBtn::SetSpacing).Default(4);
}

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner), glyph_(std::make_unique<TBitmap>()) {
  glyph_->OnChange = TNotifyEvent(this, &TBitBtn::GlyphChanged);
}

TBitBtn::~TBitBtn() { glyph_->OnChange = TNotifyEvent(); }

TBitBtnKind TBitBtn::GetKind() const {
  if (kind_ == bkCustom) return bkCustom;
  bool wantsDefault = kind_ == bkOK || kind_ == bkYes;
  bool wantsCancel = kind_ == bkCancel || kind_ == bkNo;
  if (wantsDefault != GetDefault() || wantsCancel != GetCancel() ||
      GetModalResult() != KindInfo(kind_).result)
    return bkCustom;
  return kind_;
}

void TBitBtn::SetKind(TBitBtnKind value) {
  kind_ = value;
  if (value == bkCustom) {
    SyncIcon();
    return;
  }
  SetDefault(value == bkOK || value == bkYes);
  SetCancel(value == bkCancel || value == bkNo);
  SetModalResult(KindInfo(value).result);
  SetCaption(KindInfo(value).caption);
  SyncIcon();
}

bool TBitBtn::IsCaptionStored() const {
  TBitBtnKind kind = GetKind();
  return kind == bkCustom || GetCaption() != KindInfo(kind).caption;
}

bool TBitBtn::IsModalResultStored() const { return GetKind() == bkCustom; }

void TBitBtn::SetGlyph(TBitmap* value) {
  if (value)
    glyph_->Assign(value);
  else
    glyph_->SetSize(0, 0);
}

void TBitBtn::GlyphChanged(TObject*) {
  Integer w = glyph_->GetWidth(), h = glyph_->GetHeight();
  if (h > 0 && w % h == 0 && w / h >= 1 && w / h <= 4) numGlyphs_ = w / h;
  SyncIcon();
}

void TBitBtn::SetNumGlyphs(TNumGlyphs value) {
  numGlyphs_ = std::clamp<Integer>(value, 1, 4);
  SyncIcon();
}

void TBitBtn::SetLayout(TButtonLayout value) {
  layout_ = value;
  SyncIcon();
}

void TBitBtn::InitQtWidget(QWidget* widget) {
  TButton::InitQtWidget(widget);
  SyncIcon();
}

// The glyph of its own (its first picture) or the stock one of the kind.
void TBitBtn::SyncIcon() {
  auto* button = static_cast<QPushButton*>(GetWidget());
  if (!button) return;
  QIcon icon;
  if (!glyph_->GetEmpty()) {
    Integer w = glyph_->GetWidth() / std::max<Integer>(numGlyphs_, 1);
    QImage image =
        BitmapImage(glyph_.get()).copy(0, 0, w, glyph_->GetHeight()).convertToFormat(QImage::Format_ARGB32);
    // The bottom-left pixel is the transparent colour, as with the class library's glyphs.
    QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) == key) image.setPixel(x, y, qRgba(0, 0, 0, 0));
    icon = QIcon(QPixmap::fromImage(image));
  } else if (kind_ != bkCustom) {
    icon = QApplication::style()->standardIcon(KindInfo(kind_).pixmap);
  }
  button->setIcon(icon);
  button->setLayoutDirection(layout_ == blGlyphRight ? Qt::RightToLeft : Qt::LeftToRight);
}

void TBitBtn::Click() {
  // A Close button with no modal result closes its form, as the class library's does.
  if (kind_ == bkClose && GetModalResult() == mrNone) {
    if (TCustomForm* form = GetParentForm(this)) {
      form->Close();
      // NOLINTNEXTLINE(bugprone-parent-virtual-call): TButton's would undo Close's modal result
      TButtonControl::Click();
      return;
    }
  }
  TButton::Click();
}
