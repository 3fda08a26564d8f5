// Image lists over 32-bit bitmaps with straight alpha: adding with masks or a key colour, drawing
// normal, blended or in the classic disabled look, and change links.
#include "platform/graphics/ImageList.h"

#include <QImage>
#include <algorithm>
#include <cmath>

#include "platform/graphics/Images.h"
#include "platform/graphics/private/DeviceContext.h"

namespace {

QImage& Q(TBitmap* b) { return gdi::Pixels(b->GetHandle()); }

std::unique_ptr<TBitmap> NewGlyph(const QImage& img) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf32bit);
  b->SetSize(img.width(), img.height());
  Q(b.get()) = img.convertToFormat(QImage::Format_ARGB32);
  b->SetAlphaFormat(afDefined);
  return b;
}

// Draws a straight-alpha image onto the canvas, scaled into the rectangle.
void Blend(TCanvas* canvas, const TRect& r, const QImage& img) {
  TBitmap tmp;
  tmp.SetPixelFormat(pf32bit);
  tmp.SetSize(img.width(), img.height());
  Q(&tmp) = img.convertToFormat(QImage::Format_ARGB32);
  tmp.SetAlphaFormat(afDefined);
  canvas->StretchDraw(r, &tmp);
}

QImage Tinted(const QImage& src, QRgb color, double amount) {
  QImage out = src.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      const QRgb p = line[x];
      auto mix = [&](int a, int b) { return static_cast<int>(std::lround(a * (1 - amount) + b * amount)); };
      line[x] = qRgba(mix(qRed(p), qRed(color)), mix(qGreen(p), qGreen(color)), mix(qBlue(p), qBlue(color)),
                      qAlpha(p));
    }
  }
  return out;
}

// The shape of the glyph in one colour (for the disabled look and the mask image).
QImage Shape(const QImage& src, QRgb color) {
  QImage out(src.size(), QImage::Format_ARGB32);
  for (int y = 0; y < src.height(); ++y)
    for (int x = 0; x < src.width(); ++x) {
      const QRgb p = src.pixel(x, y);
      // Dark parts make the embossed shape; light parts vanish, as in the classic disabled look.
      const bool ink = qAlpha(p) > 127 && qGray(p) < 192;
      out.setPixel(x, y, ink ? (color | 0xFF000000) : 0);
    }
  return out;
}

}  // namespace

TChangeLink::~TChangeLink() {
  if (sender_) sender_->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (OnChange) OnChange(sender_);
}

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::TCustomImageList(TComponent* owner, Integer width, Integer height) : TComponent(owner) {
  width_ = std::max(1, width);
  height_ = std::max(1, height);
}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : links_) link->SetSender(nullptr);
}

void TCustomImageList::Published(TPropBuilder<TCustomImageList>& p) {
  p.IntIdent(u"BkColor", TypeInfoColor(), &TCustomImageList::GetBkColor, &TCustomImageList::SetBkColor)
      .Default(clNone);
  p.IntIdent(u"BlendColor", TypeInfoColor(), &TCustomImageList::GetBlendColor,
             &TCustomImageList::SetBlendColor)
      .Default(clNone);
  p.Int(u"Height", &TCustomImageList::GetHeight, &TCustomImageList::SetHeight).Default(16);
  p.Int(u"Width", &TCustomImageList::GetWidth, &TCustomImageList::SetWidth).Default(16);
  p.Event(u"OnChange", &TCustomImageList::OnChange);
}

void TCustomImageList::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TCustomImageList*>(source)) {
    width_ = other->width_;
    height_ = other->height_;
    images_.clear();
    for (auto& img : other->images_) images_.push_back(NewGlyph(Q(img.get()).copy()));
    drawingStyle_ = other->drawingStyle_;
    blendColor_ = other->blendColor_;
    bkColor_ = other->bkColor_;
    Change();
    return;
  }
  TComponent::Assign(source);
}

void TCustomImageList::SetWidth(Integer width) { SetSize(width, height_); }
void TCustomImageList::SetHeight(Integer height) { SetSize(width_, height); }
void TCustomImageList::SetSize(Integer width, Integer height) {
  width = std::max(1, width);
  height = std::max(1, height);
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  images_.clear();
  Change();
}

void TCustomImageList::CheckIndex(Integer index) const {
  if (index < 0 || index >= GetCount()) throw EInvalidOperation(u"Invalid ImageList Index");
}

Integer TCustomImageList::AddImages(TBitmap* image, TBitmap* mask, const TColor* maskColor, Integer at) {
  if (!image || image->GetEmpty()) return -1;
  const QImage& src = Q(image);
  const bool alpha = image->GetPixelFormat() == pf32bit && image->GetAlphaFormat() != afIgnored;
  QImage full = src.convertToFormat(QImage::Format_ARGB32);
  if (alpha && image->GetAlphaFormat() == afPremultiplied) {
    full = src.copy();
    full.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    full = full.convertToFormat(QImage::Format_ARGB32);
  }
  if (!alpha) {
    QRgb key = 0;
    bool keyed = false;
    if (maskColor) {
      keyed = true;
      key = *maskColor == clDefault ? (src.pixel(0, src.height() - 1) & 0xFFFFFF)
                                    : (gdi::ToQColor(ColorToRGB(*maskColor)).rgb() & 0xFFFFFF);
    }
    const QImage* m = mask && !mask->GetEmpty() ? &Q(mask) : nullptr;
    for (int y = 0; y < full.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(full.scanLine(y));
      for (int x = 0; x < full.width(); ++x) {
        bool transparent = keyed && (line[x] & 0xFFFFFF) == key;
        if (m && x < m->width() && y < m->height()) transparent = (m->pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
        line[x] = transparent ? 0 : (line[x] | 0xFF000000);
      }
    }
  }
  const Integer count = std::max(1, full.width() / width_);
  Integer first = at;
  for (Integer i = 0; i < count; ++i) {
    QImage glyph(width_, height_, QImage::Format_ARGB32);
    glyph.fill(0);
    QPainter p(&glyph);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, full, i * width_, 0, width_, height_);
    p.end();
    images_.insert(images_.begin() + at + i, NewGlyph(glyph));
  }
  Change();
  return first;
}

Integer TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
  return AddImages(image, mask, nullptr, GetCount());
}

Integer TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
  return AddImages(image, nullptr, &maskColor, GetCount());
}

Integer TCustomImageList::AddIcon(TIcon* icon) {
  if (!icon || icon->GetEmpty()) return -1;
  return Add(icon->GetBitmap(), nullptr);
}

Integer TCustomImageList::AddResource(const String& resourceName, TColor maskColor) {
  RegisterGraphicsResources();
  TBitmap b;
  b.LoadFromResourceName(0, resourceName);
  if (b.GetPixelFormat() == pf32bit && b.GetAlphaFormat() != afIgnored) return Add(&b, nullptr);
  return AddMasked(&b, maskColor);
}

void TCustomImageList::Replace(Integer index, TBitmap* image, TBitmap* mask) {
  CheckIndex(index);
  images_.erase(images_.begin() + index);
  AddImages(image, mask, nullptr, index);
}

void TCustomImageList::ReplaceMasked(Integer index, TBitmap* image, TColor maskColor) {
  CheckIndex(index);
  images_.erase(images_.begin() + index);
  AddImages(image, nullptr, &maskColor, index);
}

void TCustomImageList::Insert(Integer index, TBitmap* image, TBitmap* mask) {
  if (index < 0 || index > GetCount()) throw EInvalidOperation(u"Invalid ImageList Index");
  AddImages(image, mask, nullptr, index);
}

void TCustomImageList::Move(Integer from, Integer to) {
  CheckIndex(from);
  CheckIndex(to);
  auto img = std::move(images_[from]);
  images_.erase(images_.begin() + from);
  images_.insert(images_.begin() + to, std::move(img));
  Change();
}

void TCustomImageList::Delete(Integer index) {
  CheckIndex(index);
  images_.erase(images_.begin() + index);
  Change();
}

void TCustomImageList::Clear() {
  images_.clear();
  Change();
}

void TCustomImageList::GetBitmap(Integer index, TBitmap* image) {
  CheckIndex(index);
  if (!image) return;
  image->SetSize(0, 0);
  image->SetPixelFormat(pfDevice);
  image->SetSize(width_, height_);
  image->GetCanvas()->GetBrush()->SetColor(bkColor_ == clNone ? clWhite : bkColor_);
  image->GetCanvas()->FillRect(TRect(0, 0, width_, height_));
  Draw(image->GetCanvas(), 0, 0, index, true);
}

void TCustomImageList::GetIcon(Integer index, TIcon* icon) {
  CheckIndex(index);
  if (icon) icon->Assign(images_[index].get());
}

void TCustomImageList::Draw(TCanvas* canvas, Integer x, Integer y, Integer index, bool enabled) {
  Draw(canvas, x, y, index, drawingStyle_, imageType_, enabled);
}

void TCustomImageList::Draw(TCanvas* canvas, Integer x, Integer y, Integer index, TDrawingStyle style,
                            TImageType type, bool enabled) {
  if (!canvas || index < 0 || index >= GetCount()) return;
  const TRect r = Bounds(x, y, width_, height_);
  const QImage& img = Q(images_[index].get());
  if (bkColor_ != clNone && style != dsTransparent) {
    TBrush saved;
    saved.Assign(canvas->GetBrush());
    canvas->GetBrush()->SetColor(bkColor_);
    canvas->FillRect(r);
    canvas->GetBrush()->Assign(&saved);
  }
  if (type == itMask) {
    Blend(canvas, r, Shape(img, 0));
    return;
  }
  if (!enabled) {
    // The classic disabled look: the shape embossed, highlight below right, shadow on top.
    Blend(canvas, Bounds(x + 1, y + 1, width_, height_),
          Shape(img, gdi::ToQColor(GetSysColor(COLOR_BTNHIGHLIGHT)).rgb()));
    Blend(canvas, r, Shape(img, gdi::ToQColor(GetSysColor(COLOR_BTNSHADOW)).rgb()));
    return;
  }
  if (style == dsFocus || style == dsSelected) {
    const TColor blend = blendColor_ == clNone || blendColor_ == clDefault ? clHighlight : blendColor_;
    Blend(canvas, r, Tinted(img, gdi::ToQColor(ColorToRGB(blend)).rgb(), style == dsSelected ? 0.5 : 0.25));
    return;
  }
  Blend(canvas, r, img);
}

void TCustomImageList::StretchDraw(TCanvas* canvas, const TRect& rect, Integer index, bool enabled) {
  if (!canvas || index < 0 || index >= GetCount()) return;
  const QImage& img = Q(images_[index].get());
  Blend(canvas, rect, enabled ? img : Shape(img, gdi::ToQColor(GetSysColor(COLOR_BTNSHADOW)).rgb()));
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle v) {
  if (v == drawingStyle_) return;
  drawingStyle_ = v;
  Change();
}
void TCustomImageList::SetBlendColor(TColor v) {
  if (v == blendColor_) return;
  blendColor_ = v;
  Change();
}
void TCustomImageList::SetBkColor(TColor v) {
  if (v == bkColor_) return;
  bkColor_ = v;
  Change();
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
  if (!link || std::find(links_.begin(), links_.end(), link) != links_.end()) return;
  link->SetSender(this);
  links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
  auto it = std::find(links_.begin(), links_.end(), link);
  if (it == links_.end()) return;
  (*it)->SetSender(nullptr);
  links_.erase(it);
}

void TCustomImageList::BeginUpdate() { ++updating_; }

void TCustomImageList::EndUpdate() {
  if (updating_ > 0 && --updating_ == 0 && changed_) Change();
}

void TCustomImageList::Change() {
  if (updating_ > 0) {
    changed_ = true;
    return;
  }
  changed_ = false;
  for (TChangeLink* link : std::vector<TChangeLink*>(links_)) link->Change();
  if (OnChange) OnChange(this);
}
