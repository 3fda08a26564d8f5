// The calendar picker: one view at a time under a caption with period buttons, a "today" line, the
// animated changes of view and period, and the drop-down form that date editors open.
#include <algorithm>

#include "gridlib/base/DateTimeCalendarPickersEh.h"
#include "gridlib/base/GridLibLangConsts.h"
#include "platform/classes/TypInfo.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/RtlMath.h"

namespace {

// The companions paint their background like a calendar cell: hot while the mouse is over them.
void PaintCompanionBackground(TDateTimeCalendarPickerEh* picker, TCanvas* canvas, const TRect& rect,
                              bool hot) {
  picker->UpdatePaintBuffer();
  TDateTimePickCalendarPaintBufferEh* b = picker->GetPaintBuffer();
  if (hot) {
    canvas->GetBrush()->SetColor(b->HotTrackCellBrushColor);
    DateTimeCalendarPickerDrawStyleEh()->DrawCalendarViewCellBackgraund(
        nullptr, canvas, rect, TCalendarViewDrawStateEh{cvdsHotTrackEh});
  } else {
    canvas->GetBrush()->SetColor(b->NormalCellBrushColor);
    canvas->FillRect(rect);
  }
}

}  // namespace

TDateTimePickCalendarPaintBufferEh::TDateTimePickCalendarPaintBufferEh()
    : CalendarWeekNoFont(std::make_unique<TFont>()) {}
TDateTimePickCalendarPaintBufferEh::~TDateTimePickCalendarPaintBufferEh() = default;

// ---- Companion controls ----

TDateTimePickCalendarButtonEh::TDateTimePickCalendarButtonEh(TDateTimeCalendarPickerEh* picker,
                                                             TDateTimePickCalendarButtonStyleEh style)
    : TSpeedButtonEh(picker), picker_(picker), style_(style) {}

void TDateTimePickCalendarButtonEh::Paint() {
  TCanvas* c = GetCanvas();
  const TRect r(0, 0, GetWidth(), GetHeight());
  PaintCompanionBackground(picker_, c, r, GetMouseInControl());
  // Four vertical lines of 7, 5, 3 and 1 pixels, the longest on the side the arrow comes from.
  c->GetPen()->SetColor(StyleServices()->GetSystemColor(clWindowText));
  const Integer cx = (r.Width() - 4) / 2, cy = (r.Height() - 7) / 2;
  for (Integer i = 0; i < 4; ++i) {
    const Integer x = style_ == cmpsPriorPeriodEh ? cx + 3 - i : cx + i;
    c->MoveTo(x, cy + i);
    c->LineTo(x, cy + 7 - i);
  }
}

TDateTimePickCalendarDateInfoLabelEh::TDateTimePickCalendarDateInfoLabelEh(TDateTimeCalendarPickerEh* picker)
    : TSpeedButtonEh(picker), picker_(picker) {}

void TDateTimePickCalendarDateInfoLabelEh::Paint() {
  TCanvas* c = GetCanvas();
  const TRect r(0, 0, GetWidth(), GetHeight());
  PaintCompanionBackground(picker_, c, r, GetMouseInControl());
  c->GetFont()->Assign(GetFont());
  c->GetFont()->SetColor(StyleServices()->GetSystemColor(GetFont()->GetColor()));
  c->GetBrush()->SetStyle(bsClear);
  if (TCustomCalendarViewEh* view = picker_->GetCurrentCalendarView())
    DrawCellTextEh(c, r, false, 0, 0, view->GetDateInfoText(), taCenter, tlCenter, false, false, 0, 0, false,
                   true);
  c->GetBrush()->SetStyle(bsSolid);
}

TDateTimePickCalendarTodayInfoLabelEh::TDateTimePickCalendarTodayInfoLabelEh(
    TDateTimeCalendarPickerEh* picker)
    : TSpeedButtonEh(picker), picker_(picker) {}

String TDateTimePickCalendarTodayInfoLabelEh::GetTodayText() const {
  return GetGridLibLanguageConsts()->GetTodayEh() + u": " +
         FormatDateTime(FormatSettings.ShortDateFormat, Date()) + u" ";
}

void TDateTimePickCalendarTodayInfoLabelEh::Paint() {
  TCanvas* c = GetCanvas();
  const TRect r(0, 0, GetWidth(), GetHeight());
  const bool hot = GetMouseInControl();
  PaintCompanionBackground(picker_, c, r, hot);
  c->GetFont()->Assign(GetFont());
  const String text = GetTodayText();
  const Integer textWidth = c->TextWidth(text);
  // A sample of the today mark, the size of the first day cell.
  TDaysCalendarViewEh* days = picker_->GetDaysView();
  const TRect cell = days->CellRect(1, 1);
  const Integer cw = cell.Width(), ch = cell.Height() - 1;
  const Integer left = r.Width() - textWidth - cw - 5, top = (r.Height() - ch) / 2 + 1;
  TCalendarViewDrawStateEh state{cvdsNowEh};
  if (hot) state << cvdsHotTrackEh;
  DateTimeCalendarPickerDrawStyleEh()->DrawCalendarViewCellBackgraund(
      nullptr, c, TRect(left, top, left + cw, top + ch), state);
  c->GetBrush()->SetStyle(bsClear);
  DrawCellTextEh(c, r, false, 0, 0, text, taRightJustify, tlCenter, false, false, 0, 0, false, true);
  c->GetBrush()->SetStyle(bsSolid);
}

// ---- TDateTimeCalendarPickerEh ----

TDateTimeCalendarPickerEh::TDateTimeCalendarPickerEh(TComponent* owner)
    : TCustomControlEh(owner), paintBuffer_(std::make_unique<TDateTimePickCalendarPaintBufferEh>()) {
  SetControlStyle(TControlStyle(GetControlStyle()).Include(csOpaque));
  SetDoubleBuffered(true);
  SetTabStop(true);
  priorPeriodButton_ = new TDateTimePickCalendarButtonEh(this, cmpsPriorPeriodEh);
  nextPeriodButton_ = new TDateTimePickCalendarButtonEh(this, cmpsNextPeriodEh);
  for (auto* b : {priorPeriodButton_, nextPeriodButton_}) {
    b->SetParent(this);
    b->OnDown = TButtonDownEventEh(this, &TDateTimeCalendarPickerEh::PeriodButtonDown);
  }
  dateInfo_ = new TDateTimePickCalendarDateInfoLabelEh(this);
  todayInfo_ = new TDateTimePickCalendarTodayInfoLabelEh(this);
  for (TSpeedButtonEh* l :
       {static_cast<TSpeedButtonEh*>(dateInfo_), static_cast<TSpeedButtonEh*>(todayInfo_)}) {
    l->SetParent(this);
    l->OnDown = TButtonDownEventEh(this, &TDateTimeCalendarPickerEh::InfoLabelClick);
  }
  decadesView_ = new TDecadesCalendarViewEh(this);
  yearsView_ = new TYearsCalendarViewEh(this);
  monthsView_ = new TMonthsCalendarViewEh(this);
  daysView_ = new TDaysCalendarViewEh(this);
  hours24View_ = new THours24CalendarViewEh(this);
  hours12View_ = new THours12CalendarViewEh(this);
  minutesView_ = new TMinutesCalendarViewEh(this);
  secondsView_ = new TSecondsCalendarViewEh(this);
  timeView_ = new TTimeCalendarViewEh(this);
  for (TCustomCalendarViewEh* v : AllViews()) {
    v->SetVisible(false);
    v->SetParent(this);
  }
  calendarViewList_ = {decadesView_, yearsView_, monthsView_, daysView_, timeView_};
  currentCalendarView_ = daysView_;
  daysView_->SetVisible(true);
  imageTrans_ = new TImageTransformatorEh(this);
  imageTrans_->SetVisible(false);
  imageTrans_->SetParent(this);
  UpdateCalendarViewList();
  ApplyCalendarFont();
}

TDateTimeCalendarPickerEh::~TDateTimeCalendarPickerEh() = default;

std::vector<TCustomCalendarViewEh*> TDateTimeCalendarPickerEh::AllViews() const {
  return {decadesView_, yearsView_,   monthsView_,  daysView_, hours24View_,
          hours12View_, minutesView_, secondsView_, timeView_};
}

void TDateTimeCalendarPickerEh::ApplyCalendarFont() {
  if (internalFontSet_) return;
  internalFontSet_ = true;
  TFont* font = GetFont();
  const TNotifyEvent saved = font->OnChange;
  font->OnChange = TNotifyEvent();
  // The master font is the picker's own, so it is copied before it is rewritten.
  TFont master;
  master.Assign(GetMasterFont());
  DateTimeCalendarPickerDrawStyleEh()->SetCalendarFontData(this, &master, font);
  font->OnChange = saved;
  Perform(CM_FONTCHANGED);
  internalFontSet_ = false;
}

void TDateTimeCalendarPickerEh::SetDateTime(TDateTime value) {
  if (value == dateTime_) return;
  dateTime_ = value;
  if (currentCalendarView_) currentCalendarView_->SetDateTime(value);
  Invalidate();
  if (HandleAllocated()) dateInfo_->Repaint();
}

void TDateTimeCalendarPickerEh::SetDateTimeAnimated(TDateTime value) {
  if (value == dateTime_ || !currentCalendarView_) return;
  if (currentCalendarView_->DateInViewRange(value) || !HandleAllocated() || !GetVisible()) {
    SetDateTime(value);
    return;
  }
  TCustomCalendarViewEh* view = currentCalendarView_;
  imageTrans_->SetTransformStyle(value <= view->GetDateTime() ? itsLeftToRightTransformEh
                                                              : itsRightToLeftTransformEh);
  imageTrans_->SetBounds(view->GetLeft(), view->GetTop(), view->GetWidth(), view->GetHeight());
  imageTrans_->Reset(view, view);
  SetDateTime(value);
  view->PaintTo(imageTrans_->GetBitmap2()->GetCanvas(), 0, 0);
  imageTrans_->SetTransformTime(SlideTime);
  imageTrans_->BringToFront();
  imageTrans_->SetVisible(true);
  imageTrans_->AnimatedTransform();
  imageTrans_->SetVisible(false);
  Invalidate();
}

void TDateTimeCalendarPickerEh::SetTimeUnits(TCalendarDateTimeUnitsEh value) {
  if (value == timeUnits_) return;
  timeUnits_ = value;
  UpdateCalendarViewList();
  ResetStartCalendarView();
}

void TDateTimeCalendarPickerEh::SetInputMethod(TInteractiveInputMethodEh value) {
  if (value == inputMethod_) return;
  inputMethod_ = value;
  Invalidate();
  if (currentCalendarView_) currentCalendarView_->Invalidate();
}

void TDateTimeCalendarPickerEh::ResetStartCalendarView() {
  TCustomCalendarViewEh* start = nullptr;
  const std::vector<TCustomCalendarViewEh*> order{daysView_,    monthsView_,  yearsView_,
                                                  decadesView_, timeView_,    hours24View_,
                                                  hours12View_, minutesView_, secondsView_};
  for (TCustomCalendarViewEh* v : order)
    if (std::find(calendarViewList_.begin(), calendarViewList_.end(), v) != calendarViewList_.end()) {
      start = v;
      break;
    }
  if (!start || start == currentCalendarView_) return;
  currentCalendarView_->SetVisible(false);
  currentCalendarView_ = start;
  start->SetVisible(true);
  start->SetDateTime(dateTime_);
  UpdateTodayInfo();
}

TDaysCalendarViewDayInfoItem* TDateTimeCalendarPickerEh::CreateDayInfoItem() {
  return new TDaysCalendarViewDayInfoItem();
}

void TDateTimeCalendarPickerEh::AnimateHeight(Integer value) {
  if (!HandleAllocated()) return;
  Integer h = GetHeight();
  while (std::abs(value - h) > 2) {
    h += value > h ? 2 : -2;
    SetHeight(h);
    Repaint();
  }
  SetHeight(value);
}

void TDateTimeCalendarPickerEh::UpdateTodayInfo() {
  todayInfo_->SetVisible(currentCalendarView_->ShowTodayInfo());
  todayInfo_->Invalidate();
}

void TDateTimeCalendarPickerEh::InfoLabelClick(TObject* sender, bool, bool&, bool& handled) {
  handled = true;
  if (sender == dateInfo_) {
    currentCalendarView_->ZoomView(false, true);
  } else if (!SameDate(dateTime_, Date())) {
    TDateTime today = Date();
    ReplaceTime(today, dateTime_);
    SetDateTime(today);
  } else {
    UserInputDone(7);
  }
}

void TDateTimeCalendarPickerEh::CalcRecommendedSize(Integer& width, Integer& height) {
  width = GetWidth();
  height = GetHeight();
  if (!HandleAllocated()) return;
  TCanvas* c = CalendarMeasureCanvasEh(GetFont());
  const Integer h = c->TextHeight(u"Wg");
  const Integer a = static_cast<Integer>(Round(h * 1.5));
  Integer dw = 0, dh = 0;
  daysView_->GetRecommendedSize(dw, dh);
  width = dw;
  height = 2 * h + dh + a + 2;
}

void TDateTimeCalendarPickerEh::PeriodButtonDown(TObject* sender, bool, bool&, bool& handled) {
  if (sender == nextPeriodButton_)
    NextPeriod(true);
  else
    PriorPeriod(true);
  handled = true;
}

void TDateTimeCalendarPickerEh::UserInputDone(Integer reason) {
  if (reason == 7) DoDateTimeSelected();
}

void TDateTimeCalendarPickerEh::UpdatePaintBuffer() {
  TDateTimeCalendarPickerDrawStyleEh* s = DateTimeCalendarPickerDrawStyleEh();
  TDateTimePickCalendarPaintBufferEh* b = paintBuffer_.get();
  b->HolidayFontColor = s->GetHolidayFontColor();
  b->HolidayOutsidePeriodFontColor = s->GetHolidayOutsidePeriodFontColor();
  b->HolidaySelectedFontColor = s->GetHolidaySelectedFontColor();
  b->HotTrackCellBrushColor = s->GetHotTrackCellBrushColor();
  b->HotTrackCellFontColor = s->GetHotTrackCellFontColor();
  b->InsideHorzFrameColor = s->GetInsideHorzFrameColor();
  b->InsideVertFrameColor = s->GetInsideVertFrameColor();
  b->NormalCellBrushColor = s->GetNormalCellBrushColor();
  b->NormalCellFontColor = s->GetNormalCellFontColor();
  b->OutsidePeriod = s->GetOutsidePeriodCellFontColor();
  b->SelectedCellBrushColor = s->GetSelectedCellBrushColor();
  b->SelectedCellFontColor = s->GetSelectedCellFontColor();
  b->TodayCellFrameColor = s->GetTodayCellFrameColor();
  s->SetCalendarWeekNoFontData(this, GetFont(), b->CalendarWeekNoFont.get());
}

void TDateTimeCalendarPickerEh::ShowCalendarView(TCustomCalendarViewEh* view, bool zoomIn, bool animated) {
  if (view == currentCalendarView_) return;
  animated = animated && HandleAllocated() && GetVisible();
  TCustomCalendarViewEh* old = currentCalendarView_;
  if (animated) {
    view->SetDateTime(dateTime_);
    imageTrans_->SetBounds(old->GetLeft(), old->GetTop(), old->GetWidth(), old->GetHeight());
    view->SetBounds(old->GetLeft(), old->GetTop(), old->GetWidth(), old->GetHeight());
    imageTrans_->Reset(old, view);
    imageTrans_->SetTransformTime(ZoomTime);
    if (zoomIn) {
      imageTrans_->SetTransformStyle(itsZoomInTransformEh);
      imageTrans_->SetZoomWinRect(old->CurrentCellRect());
    }
    imageTrans_->BringToFront();
    imageTrans_->SetVisible(true);
  }
  old->SetVisible(false);
  currentCalendarView_ = view;
  view->SetVisible(true);
  view->SetDateTime(dateTime_);
  view->UpdateMousePos();
  UpdateTodayInfo();
  Repaint();
  if (animated) {
    if (!zoomIn) {
      imageTrans_->SetTransformStyle(itsZoomOutTransformEh);
      imageTrans_->SetZoomWinRect(view->CurrentCellRect());
    }
    imageTrans_->AnimatedTransform();
    imageTrans_->SetVisible(false);
  }
  Integer w = 0, h = 0;
  CalcRecommendedSize(w, h);
  AnimateHeight(h);
}

void TDateTimeCalendarPickerEh::NextPeriod(bool animated) {
  const TDateTime value = currentCalendarView_->GetNextPeriodDate(dateTime_, true);
  animated ? SetDateTimeAnimated(value) : SetDateTime(value);
}

void TDateTimeCalendarPickerEh::PriorPeriod(bool animated) {
  const TDateTime value = currentCalendarView_->GetNextPeriodDate(dateTime_, false);
  animated ? SetDateTimeAnimated(value) : SetDateTime(value);
}

void TDateTimeCalendarPickerEh::UpdateCalendarViewList() {
  calendarViewList_.clear();
  if (timeUnits_.Contains(cdtuYearEh)) {
    calendarViewList_.push_back(decadesView_);
    calendarViewList_.push_back(yearsView_);
  }
  if (timeUnits_.Contains(cdtuMonthEh)) calendarViewList_.push_back(monthsView_);
  if (timeUnits_.Contains(cdtuDayEh)) calendarViewList_.push_back(daysView_);
  const bool time = timeUnits_.Contains(cdtuHourEh) || timeUnits_.Contains(cdtuMinuteEh) ||
                    timeUnits_.Contains(cdtuSecondEh);
  if (time && GetGridLibManager()->GetDateTimeCalendarPickerShowTimeSelectionPage())
    calendarViewList_.push_back(timeView_);
  timeView_->ResetGrid();
  const bool date =
      timeUnits_.Contains(cdtuYearEh) || timeUnits_.Contains(cdtuMonthEh) || timeUnits_.Contains(cdtuDayEh);
  priorPeriodButton_->SetVisible(date);
  nextPeriodButton_->SetVisible(date);
  dateInfo_->SetVisible(date);
}

void TDateTimeCalendarPickerEh::DoDateTimeSelected() {
  if (OnDateTimeSelected) OnDateTimeSelected(this);
}

void TDateTimeCalendarPickerEh::FillDayInfo(TDaysCalendarViewDayInfoItem* item, TDateTime date) {
  item->SetIsHoliday(!GetWorkingTimeCalendarEh()->IsWorkday(date));
}

void TDateTimeCalendarPickerEh::KeyDown(Word& key, TShiftState shift) {
  SetInputMethod(iimKeyboardEh);
  currentCalendarView_->KeyDown(key, shift);
  if (key != 0) TCustomControlEh::KeyDown(key, shift);
}

bool TDateTimeCalendarPickerEh::WheelStep(TShiftState shift, bool down) {
  if (shift.Contains(ssCtrl))
    currentCalendarView_->ZoomView(!down, true);
  else if (down)
    NextPeriod(true);
  else
    PriorPeriod(true);
  return true;
}

bool TDateTimeCalendarPickerEh::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  if (TCustomControlEh::DoMouseWheelDown(shift, mousePos)) return true;
  if (currentCalendarView_ == timeView_) return timeView_->MouseWheelStep(shift, mousePos, false);
  return WheelStep(shift, true);
}

bool TDateTimeCalendarPickerEh::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  if (TCustomControlEh::DoMouseWheelUp(shift, mousePos)) return true;
  if (currentCalendarView_ == timeView_) return timeView_->MouseWheelStep(shift, mousePos, true);
  return WheelStep(shift, false);
}

void TDateTimeCalendarPickerEh::CreateParams(TCreateParams& params) {
  TCustomControlEh::CreateParams(params);
  params.Style |= WS_CLIPCHILDREN | WS_BORDER;
}

void TDateTimeCalendarPickerEh::CreateWnd() {
  TCustomControlEh::CreateWnd();
  Integer w = 0, h = 0;
  CalcRecommendedSize(w, h);
  SetBounds(GetLeft(), GetTop(), w, h);
}

void TDateTimeCalendarPickerEh::Paint() {
  UpdatePaintBuffer();
  GetCanvas()->GetBrush()->SetColor(StyleServices()->GetSystemColor(clWindow));
  GetCanvas()->FillRect(GetClientRect());
}

void TDateTimeCalendarPickerEh::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  SetInputMethod(iimMouseEh);
  TCustomControlEh::MouseDown(button, shift, x, y);
  currentCalendarView_->Perform(CM_CANCELMODE);
}

void TDateTimeCalendarPickerEh::MouseMove(TShiftState shift, Integer x, Integer y) {
  if (mousePos_ != TPoint(x, y)) {
    mousePos_ = TPoint(x, y);
    SetInputMethod(iimMouseEh);
  }
  TCustomControlEh::MouseMove(shift, x, y);
}

void TDateTimeCalendarPickerEh::Resize() {
  TCustomControlEh::Resize();
  if (!HandleAllocated()) return;
  TCanvas* c = CalendarMeasureCanvasEh(GetFont());
  const Integer h = c->TextHeight(u"Wg");
  const Integer a = static_cast<Integer>(Round(h * 1.5));
  const Integer m = c->TextWidth(u"0") / 2;
  const Integer b = c->TextWidth(u"000");
  const Integer cw = GetClientWidth(), ch = GetClientHeight();
  for (TCustomCalendarViewEh* v : AllViews()) v->SetBounds(m, 2 * h, cw - 2 * m, ch - 2 * h - a);
  imageTrans_->SetBounds(m, 2 * h, cw - 2 * m, ch - 2 * h - a);
  const Integer top = (2 * h - a) / 2;
  priorPeriodButton_->SetBounds(5, top, b, a);
  nextPeriodButton_->SetBounds(cw - b - 5, top, b, a);
  dateInfo_->SetBounds(b + 5, top, cw - 2 * (b + 5), a);
  todayInfo_->SetBounds(b + 5, ch - a, cw - 2 * (b + 5), a - 5);
}

void TDateTimeCalendarPickerEh::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE:
      message.Result = DLGC_WANTARROWS;
      return;
    case WM_THEMECHANGED:
      TCustomControlEh::WndProc(message);
      Invalidate();
      return;
    case CM_SHOWINGCHANGED:
      TCustomControlEh::WndProc(message);
      if (currentCalendarView_) currentCalendarView_->Perform(CM_CANCELMODE);
      return;
    case CM_PARENTFONTCHANGED:
      TCustomControlEh::WndProc(message);
      if (GetParentFont()) ApplyCalendarFont();
      return;
    case CM_FONTCHANGED:
      TCustomControlEh::WndProc(message);
      Resize();
      return;
    default:
      TCustomControlEh::WndProc(message);
  }
}

// ---- TPopupDateTimeCalendarFormEh ----

TPopupDateTimeCalendarFormEh::TPopupDateTimeCalendarFormEh(TComponent* owner)
    : TCustomDropDownFormEh(owner, 0) {
  SetFormElements(TDropDownFormElementsEh());
  SetDropDownBorderWidth(0);
  SetBorderWidth(0);
  SetKeyPreview(true);
  SetFormStyle(fsStayOnTop);
  calendar_ = new TDateTimeCalendarPickerEh(this);
  calendar_->SetLeft(0);
  calendar_->SetTop(0);
  calendar_->SetParent(this);
  calendar_->SetDateTime(Now());
  calendar_->SetTimeUnits(
      TCalendarDateTimeUnitsEh{cdtuYearEh, cdtuMonthEh, cdtuDayEh, cdtuHourEh, cdtuMinuteEh, cdtuSecondEh});
  calendar_->OnDateTimeSelected = TNotifyEvent(this, &TPopupDateTimeCalendarFormEh::CalendarDateTimeSelected);
  SetActiveControl(calendar_);
}

TPopupDateTimeCalendarFormEh::~TPopupDateTimeCalendarFormEh() = default;

void TPopupDateTimeCalendarFormEh::CalendarDateTimeSelected(TObject*) {
  SetModalResult(mrOk);
  Close();
}

void TPopupDateTimeCalendarFormEh::KeyDown(Word& key, TShiftState shift) {
  if (key == VK_ESCAPE) {
    SetModalResult(mrCancel);
    Close();
    key = 0;
    return;
  }
  TCustomDropDownFormEh::KeyDown(key, shift);
}

void TPopupDateTimeCalendarFormEh::UpdateSize() {
  calendar_->HandleNeeded();
  SetClientWidth(calendar_->GetWidth());
  SetClientHeight(calendar_->GetHeight());
}

void TPopupDateTimeCalendarFormEh::CloseUp(bool) {
  SetModalResult(mrCancel);
  Close();
}

void TPopupDateTimeCalendarFormEh::SetFont(TFont* font, bool) {
  calendar_->GetFont()->Assign(font);
  calendar_->ApplyCalendarFont();
  Integer w = 0, h = 0;
  calendar_->CalcRecommendedSize(w, h);
  calendar_->SetBounds(calendar_->GetLeft(), calendar_->GetTop(), w, h);
}

void TPopupDateTimeCalendarFormEh::DropDown(TPoint position, TCloseUpCallbackEh closeCallback,
                                            TDateTime dateTime) {
  calendar_->SetDateTime(dateTime);
  DropDownAtPoint(position, std::move(closeCallback));
}

void InitializeDateTimeCalendarPickersEh() {
  DateTimeCalendarPickerDrawStyleEh();
  RegisterClass(TPopupDateTimeCalendarFormEh::StaticClass());
  GetGridLibManager()->SetPopupDateTimePickerClass(TPopupDateTimeCalendarFormEh::StaticClass());
}
