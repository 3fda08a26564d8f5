// The look of the calendars: the replaceable colour and font policy that every picker asks when it
// paints, and the surface that animates a change of view or period.
#include <cmath>
#include <cstdlib>

#include "gridlib/base/DateTimeCalendarPickersEh.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/RtlMath.h"

namespace {

TColor Resolved(TColor color) { return StyleServices()->GetSystemColor(color); }

std::unique_ptr<TDateTimeCalendarPickerDrawStyleEh>& CurrentDrawStyle() {
  static std::unique_ptr<TDateTimeCalendarPickerDrawStyleEh> style;
  if (!style) style = std::make_unique<TDateTimeCalendarPickerDrawStyleEh>();
  return style;
}

}  // namespace

TDateTimeCalendarPickerDrawStyleEh* DateTimeCalendarPickerDrawStyleEh() { return CurrentDrawStyle().get(); }

TDateTimeCalendarPickerDrawStyleEh* SetDateTimeCalendarPickerDrawStyleEh(
    TDateTimeCalendarPickerDrawStyleEh* style) {
  TDateTimeCalendarPickerDrawStyleEh* previous = CurrentDrawStyle().release();
  CurrentDrawStyle().reset(style);
  return previous;
}

void TDateTimeCalendarPickerDrawStyleEh::SetHolidayBaseFontColor(TColor value) {
  if (value == holidayBaseFontColor_) return;
  holidayBaseFontColor_ = value;
  if (Application && Application->GetHandle()) {
    TMsg msg;
    if (!PeekMessage(&msg, Application->GetHandle(), WM_THEMECHANGED, WM_THEMECHANGED, PM_NOREMOVE))
      PostMessage(Application->GetHandle(), WM_THEMECHANGED, 0, 0);
  }
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetHolidayFontColor() {
  TColor base = GetHolidayBaseFontColor();
  if (base == clDefault) base = clRed;
  return ColorWithLightnessEh(Resolved(base),
                              ColorLuminanceEh(Resolved(GetNormalCellFontColor())) > 127 ? 160 : 100);
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetHolidaySelectedFontColor() {
  return ColorWithLightnessEh(Resolved(clRed),
                              ColorLuminanceEh(Resolved(GetSelectedCellFontColor())) > 99 ? 180 : 60);
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetHolidayOutsidePeriodFontColor() {
  return MixColorsPercentEh(GetHolidayFontColor(), Resolved(GetOutsidePeriodCellFontColor()), 66);
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetHotTrackCellBrushColor() {
  if (CanDrawSelectionByStyle()) return clWindow;
  const TColor w = Resolved(clWindow), h = Resolved(clHighlight);
  if (w == hotTrackCellBrushColor1_ && h == hotTrackCellBrushColor2_) return hotTrackCellBrushColor_;
  const Integer l1 = ColorLuminanceEh(w), l2 = ColorLuminanceEh(h);
  const Integer d = static_cast<Integer>(std::abs(l1 - l2) / 255.0 * 100);
  Integer p = d <= 19 ? 50 : d <= 25 ? 40 : d <= 31 ? 30 : 15;
  if (l1 <= 127) p += 10;
  hotTrackCellBrushColor_ = MixColorsPercentEh(w, h, p);
  hotTrackCellBrushColor1_ = w;
  hotTrackCellBrushColor2_ = h;
  return hotTrackCellBrushColor_;
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetHotTrackCellFontColor() { return clWindowText; }
TColor TDateTimeCalendarPickerDrawStyleEh::GetNormalCellFontColor() { return clWindowText; }
TColor TDateTimeCalendarPickerDrawStyleEh::GetNormalCellBrushColor() { return clWindow; }

TColor TDateTimeCalendarPickerDrawStyleEh::GetInsideHorzFrameColor() {
  return MixColorsPercentEh(Resolved(clWindow), Resolved(clWindowText), 8);
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetInsideVertFrameColor() { return GetInsideHorzFrameColor(); }

TColor TDateTimeCalendarPickerDrawStyleEh::GetOutsidePeriodCellFontColor() {
  return MixColorsPercentEh(Resolved(clWindow), Resolved(clWindowText), 50);
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetSelectedCellBrushColor() {
  return CanDrawSelectionByStyle() ? clWindow : clHighlight;
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetSelectedCellFontColor() {
  return CanDrawSelectionByStyle() ? clWindowText : clHighlightText;
}

TColor TDateTimeCalendarPickerDrawStyleEh::GetTodayCellFrameColor() {
  return MixColorsPercentEh(Resolved(clHighlight), Resolved(clWindowText), 66);
}

bool TDateTimeCalendarPickerDrawStyleEh::CanDrawSelectionByStyle() {
  return VistaThemesEnabledEh() && !CustomStyleActiveEh();
}

void TDateTimeCalendarPickerDrawStyleEh::DrawCalendarViewCellBackgraund(TCustomCalendarViewEh*,
                                                                        TCanvas* canvas, const TRect& rect,
                                                                        TCalendarViewDrawStateEh state) {
  canvas->FillRect(rect);
  if (CanDrawSelectionByStyle()) {
    const bool selected = state.Contains(cvdsSelectedEh), hot = state.Contains(cvdsHotTrackEh);
    if (selected || hot) {
      const TThemedMonthCal part = selected ? tmcGridCellSelected : tmcGridCellHot;
      StyleServices()->DrawElement(canvas->GetHandle(), StyleServices()->GetElementDetails(part), rect);
    }
    if (state.Contains(cvdsNowEh))
      StyleServices()->DrawElement(canvas->GetHandle(), StyleServices()->GetElementDetails(tmcGridCellToday),
                                   rect);
    return;
  }
  if (!state.Contains(cvdsNowEh)) return;
  const TColor saved = canvas->GetBrush()->GetColor();
  canvas->GetBrush()->SetColor(GetTodayCellFrameColor());
  canvas->FrameRect(rect);
  canvas->GetBrush()->SetColor(saved);
}

void TDateTimeCalendarPickerDrawStyleEh::SetCalendarFontData(TDateTimeCalendarPickerEh*, TFont* masterFont,
                                                             TFont* calendarFont) {
  calendarFont->Assign(masterFont);
  calendarFont->SetName(u"Segoe UI");
  calendarFont->SetSize(static_cast<Integer>(Round(masterFont->GetSize() * 1.1)));
  calendarFont->SetColor(GetNormalCellFontColor());
}

void TDateTimeCalendarPickerDrawStyleEh::SetCalendarWeekNoFontData(TDateTimeCalendarPickerEh*,
                                                                   TFont* calendarFont,
                                                                   TFont* calendarWeekNoFont) {
  calendarWeekNoFont->Assign(calendarFont);
  Integer size = static_cast<Integer>(Round(calendarFont->GetSize() * 0.8));
  if (size == calendarFont->GetSize()) --size;
  calendarWeekNoFont->SetSize(size);
}

// ---- TImageTransformatorEh ----

TImageTransformatorEh::TImageTransformatorEh(TComponent* owner)
    : TCustomControlEh(owner),
      bitmap1_(std::make_unique<TBitmap>()),
      bitmap2_(std::make_unique<TBitmap>()),
      resultBitmap_(std::make_unique<TBitmap>()) {
  Reset(nullptr, nullptr);
  transformTime_ = 1000;
}

TImageTransformatorEh::~TImageTransformatorEh() = default;

void TImageTransformatorEh::Reset(TWinControl* control1, TWinControl* control2) {
  bitmap1Transparency_ = 0;
  bitmap2Transparency_ = 255;
  for (TBitmap* b : {bitmap1_.get(), bitmap2_.get(), resultBitmap_.get()}) {
    b->SetSize(std::max(1, GetWidth()), std::max(1, GetHeight()));
  }
  if (control1) control1->PaintTo(bitmap1_->GetCanvas(), 0, 0);
  if (control2) {
    control2->PaintTo(bitmap2_->GetCanvas(), 0, 0);
    control2->PaintTo(resultBitmap_->GetCanvas(), 0, 0);
  }
}

void TImageTransformatorEh::DrawFrame(Integer t) {
  TCanvas* c = resultBitmap_->GetCanvas();
  const Integer w = GetWidth(), h = GetHeight();
  const double tt = transformTime_;
  c->GetBrush()->SetColor(clWindow);
  c->FillRect(TRect(0, 0, w, h));
  const Integer alpha = static_cast<Integer>(Round(255.0 * t / tt));
  const Integer d = static_cast<Integer>(Round(w * t / tt));
  switch (transformStyle_) {
    case itsTransparentTransformEh:
      c->StretchDraw(TRect(0, 0, w, h), bitmap1_.get(), static_cast<Byte>(255 - alpha));
      c->StretchDraw(TRect(0, 0, w, h), bitmap2_.get(), static_cast<Byte>(alpha));
      break;
    case itsLeftToRightTransformEh:
      c->Draw(d, 0, bitmap1_.get());
      c->Draw(d - w, 0, bitmap2_.get());
      break;
    case itsRightToLeftTransformEh:
      c->Draw(-d, 0, bitmap1_.get());
      c->Draw(w - d, 0, bitmap2_.get());
      break;
    case itsZoomInTransformEh:
    case itsZoomOutTransformEh: {
      const TRect z = zoomWinRect_;
      // An empty cell would make the scale undefined: the frame then fades without zooming.
      const double kx = z.Width() > 0 ? double(w) / z.Width() : 1,
                   ky = z.Height() > 0 ? double(h) / z.Height() : 1;
      const bool in = transformStyle_ == itsZoomInTransformEh;
      const double q = in ? t / tt : (tt - t) / tt;
      TBitmap* outer = in ? bitmap1_.get() : bitmap2_.get();
      TBitmap* inner = in ? bitmap2_.get() : bitmap1_.get();
      const Integer outerAlpha = in ? 255 - alpha : alpha, innerAlpha = in ? alpha : 255 - alpha;
      const auto r = [](double v) { return static_cast<Integer>(Round(v)); };
      const TRect outerRect(r(-q * z.Left * kx), r(-q * z.Top * ky), r(w + q * (w - z.Right) * kx),
                            r(h + q * (h - z.Bottom) * ky));
      const TRect innerRect(r(z.Left - q * z.Left), r(z.Top - q * z.Top), r(z.Right + q * (w - z.Right)),
                            r(z.Bottom + q * (h - z.Bottom)));
      c->StretchDraw(outerRect, outer, static_cast<Byte>(std::clamp(outerAlpha, 0, 255)));
      c->StretchDraw(innerRect, inner, static_cast<Byte>(std::clamp(innerAlpha, 0, 255)));
      break;
    }
  }
}

Integer TImageTransformatorEh::AnimatedTransform() {
  const UInt64 start = GetTickCountEh();
  Integer frames = 0;
  for (Integer t = 1; t < transformTime_; t = static_cast<Integer>(GetTickCountEh() - start)) {
    DrawFrame(t);
    Repaint();
    ++frames;
  }
  return frames;
}

void TImageTransformatorEh::Paint() { GetCanvas()->Draw(0, 0, resultBitmap_.get()); }
