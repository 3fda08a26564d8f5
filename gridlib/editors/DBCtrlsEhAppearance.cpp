// The edit box's look beyond what its edit window paints: the image at the text start chosen from the
// value, the grey text of an empty editor, the red mark of an empty required value, and the tooltip of a
// text too long for the box.
#include <algorithm>
#include <cmath>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/data/DataSet.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Themes.h"

namespace {

// The edit window draws its frame inside its own rectangle.
Integer EditFrameWidth(TCustomDBEditEh* edit) { return edit->GetBorderStyle() == bsSingle ? 2 : 0; }

}  // namespace

// ---- Empty-data text ----

TCustomControlEmptyDataInfoEh::TCustomControlEmptyDataInfoEh(TControl* control)
    : font_(std::make_unique<TFont>()), control_(control) {}

TCustomControlEmptyDataInfoEh::~TCustomControlEmptyDataInfoEh() { font_->OnChange = TNotifyEvent(); }

void TCustomControlEmptyDataInfoEh::InitFont() {
  if (TFont* defaultFont = DefaultFont()) font_->Assign(defaultFont);
  font_->SetColor(clSilver);
  font_->SetStyle(font_->GetStyle() << fsItalic);
  alignment_ = DefaultAlignment();
  font_->OnChange = TNotifyEvent(this, &TCustomControlEmptyDataInfoEh::FontChanged);
}

void TCustomControlEmptyDataInfoEh::FontChanged(TObject*) {
  if (fontUpdating_) return;
  parentFont_ = false;
  Changed();
}

void TCustomControlEmptyDataInfoEh::Changed() {
  if (control_) control_->Invalidate();
}

TAlignment TCustomControlEmptyDataInfoEh::GetAlignment() {
  return alignmentIsStored_ ? alignment_ : DefaultAlignment();
}

void TCustomControlEmptyDataInfoEh::SetAlignment(TAlignment value) {
  SetAlignmentIsStored(true);
  if (alignment_ == value) return;
  alignment_ = value;
  Changed();
}

void TCustomControlEmptyDataInfoEh::SetAlignmentIsStored(bool value) {
  if (alignmentIsStored_ == value) return;
  if (value) alignment_ = DefaultAlignment();
  alignmentIsStored_ = value;
  Changed();
}

void TCustomControlEmptyDataInfoEh::SetColor(TColor value) {
  if (color_ == value) return;
  color_ = value;
  Changed();
}

void TCustomControlEmptyDataInfoEh::SetParentFont(bool value) {
  parentFont_ = value;
  RefreshDefaultFont();
  Changed();
}

void TCustomControlEmptyDataInfoEh::SetText(const String& value) {
  if (text_ == value) return;
  text_ = value;
  Changed();
}

bool TCustomControlEmptyDataInfoEh::Showing() {
  return (!text_.empty() || color_ != clDefault) && IsControlEmpty();
}

void TCustomControlEmptyDataInfoEh::RefreshDefaultFont() {
  TFont* defaultFont = DefaultFont();
  if (!parentFont_ || !defaultFont) return;
  const bool saved = fontUpdating_;
  fontUpdating_ = true;
  try {
    font_->SetSize(defaultFont->GetSize());
    font_->SetName(defaultFont->GetName());
    font_->SetCharset(defaultFont->GetCharset());
  } catch (...) {
    fontUpdating_ = saved;
    throw;
  }
  fontUpdating_ = saved;
}

TControlEmptyDataInfoEh::TControlEmptyDataInfoEh(TCustomDBEditEh* editControl)
    : TCustomControlEmptyDataInfoEh(editControl) {
  InitFont();
}

TCustomDBEditEh* TControlEmptyDataInfoEh::EditControl() const {
  return static_cast<TCustomDBEditEh*>(GetControl());
}

TAlignment TControlEmptyDataInfoEh::DefaultAlignment() {
  return EditControl() ? EditControl()->GetAlignment() : taLeftJustify;
}

TFont* TControlEmptyDataInfoEh::DefaultFont() { return EditControl() ? EditControl()->GetFont() : GetFont(); }

bool TControlEmptyDataInfoEh::IsControlEmpty() { return EditControl() && EditControl()->IsEmpty(); }

void TControlEmptyDataInfoEh::PaintEmptyDataInfo(TCanvas* canvas) {
  TCustomDBEditEh* edit = EditControl();
  canvas->SetFont(GetFont());
  const TRect text = edit->CalcEditRect();
  const TPoint margins = edit->GetTextMargins();
  TAlignment alignment = GetAlignment();
  if (edit->UseRightToLeftAlignment()) {
    if (alignment == taLeftJustify)
      alignment = taRightJustify;
    else if (alignment == taRightJustify)
      alignment = taLeftJustify;
  }
  const Integer width = canvas->TextWidth(GetText());
  Integer x = text.Left + margins.X;
  if (alignment == taRightJustify)
    x = text.Right - width - margins.X;
  else if (alignment == taCenter)
    x = (text.Right + text.Left - width) / 2;
  canvas->GetBrush()->SetColor(GetColor() == clDefault ? edit->GetPaintBackgroundColor() : GetColor());
  if (edit->Focused()) {
    // The caret blinks where typing starts: the grey text goes round it, and the window's own
    // background (with the caret on it) stays.
    Integer caret = text.Left + margins.X;
    if (edit->GetWordWrap() && edit->GetAlignment() == taRightJustify)
      caret = text.Right - margins.X;
    else if (edit->GetWordWrap() && edit->GetAlignment() == taCenter)
      caret = (text.Left + text.Right) / 2;
    ExcludeClipRect(canvas->GetHandle(), caret, text.Top, caret + 1, text.Bottom);
    canvas->GetBrush()->SetStyle(bsClear);
  } else {
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->FillRect(text);
  }
  canvas->TextRect(text, x, text.Top + margins.Y, GetText());
  canvas->GetBrush()->SetStyle(bsSolid);
}

// ---- Edit image ----

void TEditImageEh::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TEditImageEh*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  images_ = other->images_;
  imageIndex_ = other->imageIndex_;
  visible_ = other->visible_;
  width_ = other->width_;
  Changed();
}

void TEditImageEh::SetImageIndex(Integer value) {
  if (imageIndex_ == value) return;
  imageIndex_ = value;
  if (editControl_) editControl_->Invalidate();
}

void TEditImageEh::SetImages(TCustomImageList* value) {
  if (images_ == value) return;
  images_ = value;
  if (value && editControl_) value->FreeNotification(editControl_);
  Changed();
}

void TEditImageEh::SetUseImageHeight(bool value) {
  if (useImageHeight_ == value) return;
  useImageHeight_ = value;
  Changed();
}

void TEditImageEh::SetVisible(bool value) {
  if (visible_ == value) return;
  visible_ = value;
  Changed();
}

void TEditImageEh::SetWidth(Integer value) {
  if (width_ == value) return;
  width_ = value;
  Changed();
}

Integer TEditImageEh::DrawWidth() const {
  if (!visible_ || !images_) return 0;
  return (width_ > 0 ? width_ : images_->GetWidth()) + 4;
}

void TEditImageEh::Changed() {
  if (editControl_) editControl_->EditImageChanged();
}

// ---- Tooltip window ----

TRect TToolTipsWindow::CalcHintRect(Integer maxWidth, const String& hint, void* data) {
  if (data) GetFont()->Assign(static_cast<TFont*>(data));
  return THintWindow::CalcHintRect(maxWidth, hint, data);
}

// ---- The edit box's side ----

void TCustomDBEditEh::SetImages(TCustomImageList* value) {
  editImage_->SetImages(value);
  if (value) editImage_->SetVisible(true);
}

void TCustomDBEditEh::EditImageChanged() {
  if (destroying_) return;
  imageWidth_ = editImage_->DrawWidth();
  Perform(EM_SETMARGINS, EC_LEFTMARGIN, static_cast<LPARAM>(MAKELONG(static_cast<Word>(imageWidth_), 0)));
  // An image list taller than the text makes an auto-sized box tall enough for it.
  if (GetAutoSize()) AdjustSize();
  UpdateImageIndex();
  Invalidate();
}

void TCustomDBEditEh::UpdateImageIndex() {
  if (!editImage_ || !editImage_->GetVisible() || !editImage_->GetImages()) return;
  Integer index = DefaultImageIndex();
  const Variant value = GetVariantValue();
  const TVarType type = value.Type();
  if (type == varSmallint || type == varInteger || type == varSingle || type == varDouble ||
      type == varCurrency)
    index = static_cast<Integer>(std::lround(value.AsDouble()));
  if (OnGetImageIndex) OnGetImageIndex(this, index);
  editImage_->SetImageIndex(index);
}

void TCustomDBEditEh::SetHighlightRequired(bool value) {
  if (highlightRequired_ == value) return;
  highlightRequired_ = value;
  Invalidate();
}

void TCustomDBEditEh::SetTooltips(bool value) {
  tooltips_ = value;
  TControl::SetShowHint(tooltips_ || ownShowHint_);
}

void TCustomDBEditEh::SetShowHint(bool value) {
  ownShowHint_ = value;
  TControl::SetShowHint(tooltips_ || ownShowHint_);
}

TRect TCustomDBEditEh::CalcEditRect() {
  const Integer frame = EditFrameWidth(this);
  const Integer buttons = buttonsBox_ && buttonsBox_->GetVisible() ? buttonsBox_->GetButtonsWidth() : 0;
  TRect r(frame, frame, GetWidth() - frame - buttons, GetHeight() - frame);
  if (UseRightToLeftAlignment()) r = TRect(frame + buttons, frame, GetWidth() - frame, GetHeight() - frame);
  if (imageWidth_ > 0) {
    if (UseRightToLeftAlignment())
      r.Right -= imageWidth_;
    else
      r.Left += imageWidth_;
  }
  return r;
}

TPoint TCustomDBEditEh::GetTextMargins() {
  // The edit window keeps a pixel's gap before the text (where the caret stands on an empty text) and
  // centres the line vertically.
  const TRect r = CalcEditRect();
  const Integer textHeight = GetFontTextHeightEh(nullptr, GetFont(), false);
  return TPoint(1, std::max<Integer>(0, (r.Height() - textHeight) / 2));
}

bool TCustomDBEditEh::IsTextClipped() {
  const TRect r0 = CalcEditRect();
  TRect measured(0, 0, std::max<Integer>(1, r0.Width()), 0);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, GetFont()->GetHandle());
  const String text = GetText();
  DrawText(dc, text.c_str(), static_cast<Integer>(text.size()), &measured, DT_CALCRECT | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return r0.Width() - 2 < measured.Width() || r0.Height() < measured.Height();
}

TColor TCustomDBEditEh::GetPaintBackgroundColor() {
  return StyleServices()->GetSystemColor(IsEnabled() ? GetColor() : clBtnFace);
}

TColor TCustomDBEditEh::GetPaintFontColor() {
  return IsEnabled() ? StyleServices()->GetSystemColor(GetFont()->GetColor())
                     : StyleServices()->GetSystemColor(clGrayText);
}

bool TCustomDBEditEh::PaintsOverWidget() const {
  return editImage_->GetVisible() || highlightRequired_ || !emptyDataInfo_->GetText().empty() ||
         emptyDataInfo_->GetColor() != clDefault || wordWrap_ || flat_ || mouseAboveControl_ ||
         GetAlignment() != taLeftJustify || !focused_;
}

void TCustomDBEditEh::PaintOverWidget(HDC dc) {
  TCanvas canvas;
  canvas.SetHandle(dc);
  if (editImage_->Showing()) {
    const Integer frame = EditFrameWidth(this);
    TRect image(frame, frame, frame + imageWidth_, GetHeight() - frame);
    if (UseRightToLeftAlignment())
      image = TRect(GetWidth() - frame - imageWidth_, frame, GetWidth() - frame, GetHeight() - frame);
    canvas.GetBrush()->SetColor(GetPaintBackgroundColor());
    canvas.FillRect(image);
    InflateRect(&image, -2, -1);
    DrawCenteredImageOnDCEh(dc, image, editImage_->GetImages(), editImage_->GetImageIndex(), false);
  }
  if (PaintsOwnText()) PaintOwnText(&canvas);
  DrawRequiredState(&canvas);
  if (emptyDataInfo_->Showing()) emptyDataInfo_->PaintEmptyDataInfo(&canvas);
  PaintFlatBorder(&canvas);
  canvas.SetHandle(nullptr);
}

void TCustomDBEditEh::DrawRequiredState(TCanvas* canvas) {
  bool draw = highlightRequired_ && dataLink_->GetActive();
  if (draw) {
    if (DataIndepended()) {
      draw = GetVariantValue().IsNull() || GetText().empty();
    } else {
      TField* field = GetField();
      TDataSet* dataSet = field ? field->GetDataSet() : nullptr;
      draw = dataSet && (dataSet->GetState() == dsEdit || dataSet->GetState() == dsInsert) &&
             field->GetRequired() && field->IsNull();
    }
  }
  if (OnCheckDrawRequiredState) OnCheckDrawRequiredState(this, draw);
  if (!draw) return;
  const TRect r = CalcEditRect();
  canvas->GetPen()->SetColor(clRed);
  canvas->GetPen()->SetStyle(psDot);
  canvas->MoveTo(r.Left + 2, r.Bottom - 1);
  canvas->LineTo(r.Right - 3, r.Bottom - 1);
}

// ---- Height, border and own painting ----

TColor HoverFrameColorEh() { return MixColorsPercentEh(clHighlight, clWindow, 40); }

Integer TCustomDBEditEh::CalcAutoHeight() {
  // Eight border widths round the text line; the flat look and the plain (not 3-D) one take two less.
  const Integer borders = 6 + 2 * ((flat_ ? 0 : 1) - (GetCtl3D() ? 0 : 1));
  Integer line = GetFontTextHeightEh(nullptr, TControl::GetFont(), false);
  TCustomImageList* images = editImage_ ? editImage_->GetImages() : nullptr;
  if (images && editImage_->GetUseImageHeight() && images->GetHeight() > line) line = images->GetHeight();
  return GetSystemMetrics(SM_CYBORDER) * borders + line;
}

bool TCustomDBEditEh::CanAutoSize(Integer& /*newWidth*/, Integer& newHeight) {
  // Without a border (a grid's cell editor) the height is the holder's to choose.
  if (GetBorderStyle() != bsSingle || destroying_) return false;
  newHeight = CalcAutoHeight();
  return true;
}

void TCustomDBEditEh::SetBorderStyle(TBorderStyle value) {
  TCustomEdit::SetBorderStyle(value);
  if (GetAutoSize()) AdjustSize();
}

void TCustomDBEditEh::SetAlwaysShowBorder(bool value) {
  if (alwaysShowBorder_ == value) return;
  alwaysShowBorder_ = value;
  UpdateBorderActive();
}

void TCustomDBEditEh::UpdateBorderActive() {
  if (GetComponentState().Contains(csLoading) || destroying_) return;
  const bool active =
      GetComponentState().Contains(csDesigning) || focused_ || mouseAboveControl_ || alwaysShowBorder_;
  if (active == borderActive_) return;
  borderActive_ = active;
  if (HandleAllocated()) Invalidate();
  UpdateEditButtonsState();
}

void TCustomDBEditEh::SetWordWrap(bool value) {
  if (wordWrap_ == value) return;
  wordWrap_ = value;
  UpdateWindowAlignment();
  Invalidate();
}

void TCustomDBEditEh::UpdateWindowAlignment() {
  const TAlignment window = wordWrap_ ? GetAlignment() : taLeftJustify;
  if (TCustomEdit::GetAlignment() != window) TCustomEdit::SetAlignment(window);
}

bool TCustomDBEditEh::PaintsOwnText() {
  // An unfocused edit window would still show its selection: the editor's own text hides it.
  return !focused_ && (wordWrap_ || GetAlignment() != taLeftJustify ||
                       (GetHideSelection() && HandleAllocated() && GetSelLength() > 0));
}

TRect TCustomDBEditEh::GetEditImageRect() {
  if (imageWidth_ <= 0) return TRect();
  const Integer frame = EditFrameWidth(this);
  if (UseRightToLeftAlignment())
    return TRect(GetWidth() - frame - imageWidth_, frame, GetWidth() - frame, GetHeight() - frame);
  return TRect(frame, frame, frame + imageWidth_, GetHeight() - frame);
}

TRect TCustomDBEditEh::GetEditButtonsRect() {
  if (!buttonsBox_ || !buttonsBox_->GetVisible()) return TRect();
  return buttonsBox_->GetBoundsRect();
}

TCursor TCustomDBEditEh::GetCursorAt(TPoint clientPoint) {
  if (PtInRect(GetEditImageRect(), clientPoint) || PtInRect(GetEditButtonsRect(), clientPoint))
    return crArrow;
  return GetCursor() == crDefault ? TCursor{crIBeam} : GetCursor();
}

void TCustomDBEditEh::PaintFlatBorder(TCanvas* canvas) {
  if (GetBorderStyle() != bsSingle || !GetCtl3D()) return;
  TRect r(0, 0, GetWidth(), GetHeight());
  if (!ThemesEnabled()) {
    if (!flat_) return;
    if (borderActive_) {
      DrawEdge(canvas->GetHandle(), &r, BDR_SUNKENOUTER, BF_RECT);
    } else {
      canvas->GetBrush()->SetColor(clBtnFace);
      canvas->FrameRect(r);
    }
    InflateRect(&r, -1, -1);
    canvas->GetBrush()->SetColor(clBtnFace);
    canvas->FrameRect(r);
    return;
  }
  // The themed frame lights under the mouse as the edit window lights it on focus.
  if (mouseAboveControl_ && !focused_ && IsEnabled()) {
    canvas->GetBrush()->SetColor(HoverFrameColorEh());
    canvas->FrameRect(r);
  }
}

void TCustomDBEditEh::PaintOwnText(TCanvas* canvas) {
  const TRect r = CalcEditRect();
  canvas->GetBrush()->SetColor(GetPaintBackgroundColor());
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->FillRect(r);
  canvas->SetFont(TControl::GetFont());
  canvas->GetFont()->SetColor(GetPaintFontColor());
  String text = IsMasked() ? GetEditText() : GetText();
  if (GetPasswordChar() != 0) text = String(text.size(), GetPasswordChar());
  const TPoint margins = GetTextMargins();
  TAlignment alignment = GetAlignment();
  if (UseRightToLeftAlignment() && alignment != taCenter)
    alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
  canvas->GetBrush()->SetStyle(bsClear);
  if (wordWrap_) {
    TRect box(r.Left + margins.X, r.Top + 1, r.Right - margins.X, r.Bottom - 1);
    TTextFormat format{tfWordBreak, tfNoPrefix};
    if (alignment == taRightJustify) format.Include(tfRight);
    if (alignment == taCenter) format.Include(tfCenter);
    TRect measured = box;
    TTextFormat calc = format;
    calc.Include(tfCalcRect);
    canvas->TextRect(measured, text, calc);
    // A text that fits one line stays where the edit window shows it; more lines start at the top.
    if (measured.Height() < box.Height()) box.Top = std::max(box.Top, r.Top + margins.Y);
    canvas->TextRect(box, text, format);
  } else {
    const Integer width = canvas->TextWidth(text);
    Integer x = r.Left + margins.X;
    if (alignment == taRightJustify)
      x = r.Right - width - margins.X;
    else if (alignment == taCenter)
      x = (r.Left + r.Right - width) / 2;
    canvas->TextRect(r, x, r.Top + margins.Y, text);
  }
  canvas->GetBrush()->SetStyle(bsSolid);
}
