// Calendar views of the time of day: the hour grids of the 24- and 12-hour clock, the five-minute and
// five-second grids, and the time view with spin arrows and the OK cell.
#include <algorithm>

#include "gridlib/base/DateTimeCalendarPickersEh.h"
#include "platform/controls/Messages.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"

namespace {

String ShortDateText(TDateTime value) { return FormatDateTime(FormatSettings.ShortDateFormat, value); }

bool HasUnit(TDateTimeCalendarPickerEh* picker, TCalendarDateTimeUnitEh unit) {
  return picker->GetTimeUnits().Contains(unit);
}

// The unit moved by one in the direction of n, wrapping inside the next larger unit.
Word Wrapped(Word value, Integer n, Word modulo) {
  const Integer step = n > 0 ? 1 : -1;
  return static_cast<Word>((value + step + modulo) % modulo);
}

}  // namespace

// ---- Common base of the hour, minute and second grids ----

TTimeUnitCalendarViewEh::TTimeUnitCalendarViewEh(TDateTimeCalendarPickerEh* calendar)
    : TCustomCalendarViewEh(calendar) {
  selectNextViewOnClick_ = false;
}

bool TTimeUnitCalendarViewEh::ZoomView(bool zoomIn, bool animated) {
  if (zoomIn) return false;
  GetCalendar()->ShowCalendarView(GetCalendar()->GetTimeView(), false, animated);
  return true;
}

void TTimeUnitCalendarViewEh::KeyDown(Word& key, TShiftState shift) {
  if (key != VK_RETURN) {
    TCustomCalendarViewEh::KeyDown(key, shift);
    return;
  }
  TTimeCalendarViewEh* timeView = GetCalendar()->GetTimeView();
  GetCalendar()->ShowCalendarView(timeView, false, true);
  if (!shift.Contains(ssCtrl)) timeView->SelectNextRegion(true);
  key = 0;
}

// ---- Hours, 24-hour clock ----

THours24CalendarViewEh::THours24CalendarViewEh(TDateTimeCalendarPickerEh* calendar)
    : TTimeUnitCalendarViewEh(calendar) {
  SetColCount(8);
  SetRowCount(3);
}

void THours24CalendarViewEh::StepHorz(bool forward) {
  MoveDateTime(CalendarIncSecondsEh(date_, forward ? 3600 : -3600));
}
void THours24CalendarViewEh::StepVert(bool forward) {
  MoveDateTime(CalendarIncSecondsEh(date_, (forward ? 8 : -8) * 3600));
}
bool THours24CalendarViewEh::DateInViewRange(TDateTime dateTime) { return SameDate(dateTime, date_); }
String THours24CalendarViewEh::GetDateInfoText() { return ShortDateText(date_); }

TDateTime THours24CalendarViewEh::GetNextPeriodDate(TDateTime dateTime, bool moveForward) {
  return CalendarIncSecondsEh(dateTime, moveForward ? 86400 : -86400);
}

bool THours24CalendarViewEh::TryDateFromCell(TGridCoord cell, TDateTime& dateTime) {
  const Integer hour = CellHour(cell.X, cell.Y);
  if (hour < 0) return false;
  dateTime = RecodeHour(date_, static_cast<Word>(hour));
  return true;
}

void THours24CalendarViewEh::CellMouseClick(TGridCoord cell, TMouseButton button, TShiftState shift,
                                            const TRect& cellRect, TPoint gridMousePos, TPoint cellMousePos) {
  TCustomCalendarViewEh::CellMouseClick(cell, button, shift, cellRect, gridMousePos, cellMousePos);
  TDateTimeCalendarPickerEh* picker = GetCalendar();
  if (button == mbLeft && HasUnit(picker, cdtuMinuteEh) && !HasUnit(picker, cdtuSecondEh))
    picker->ShowCalendarView(picker->GetMinutesView(), true, true);
  else if (button == mbLeft || button == mbRight)
    picker->ShowCalendarView(picker->GetTimeView(), false, true);
}

String THours24CalendarViewEh::CellText(Integer col, Integer row) { return IntToStr(CellHour(col, row)); }

bool THours24CalendarViewEh::IsSelectedCell(Integer col, Integer row) {
  const Integer hour = CellHour(col, row);
  return hour >= 0 && hour == HourOf(date_);
}

// ---- Hours, 12-hour clock ----

THours12CalendarViewEh::THours12CalendarViewEh(TDateTimeCalendarPickerEh* calendar)
    : THours24CalendarViewEh(calendar) {
  SetColCount(6);
  SetRowCount(6);
}

Integer THours12CalendarViewEh::CellHour(Integer col, Integer row) const {
  if (row == 1 || row == 2) return col + 6 * row - 6;
  if (row == 4 || row == 5) return col + 6 * row - 12;
  return -1;
}

void THours12CalendarViewEh::StepVert(bool forward) {
  MoveDateTime(CalendarIncSecondsEh(date_, (forward ? 6 : -6) * 3600));
}

bool THours12CalendarViewEh::TryDateFromCell(TGridCoord cell, TDateTime& dateTime) {
  return THours24CalendarViewEh::TryDateFromCell(cell, dateTime);
}

void THours12CalendarViewEh::Paint() {
  row0Drawn_ = false;
  row3Drawn_ = false;
  THours24CalendarViewEh::Paint();
}

void THours12CalendarViewEh::CellMouseClick(TGridCoord cell, TMouseButton button, TShiftState shift,
                                            const TRect& cellRect, TPoint gridMousePos, TPoint cellMousePos) {
  // The 24-hour view's click picks a 24-hour cell; this view only wants the common handling.
  // NOLINTNEXTLINE(bugprone-parent-virtual-call)
  TCustomCalendarViewEh::CellMouseClick(cell, button, shift, cellRect, gridMousePos, cellMousePos);
  TDateTimeCalendarPickerEh* picker = GetCalendar();
  if (button == mbRight) {
    picker->ShowCalendarView(picker->GetTimeView(), false, true);
    return;
  }
  if (button != mbLeft || CellHour(cell.X, cell.Y) < 0) return;
  if (HasUnit(picker, cdtuMinuteEh))
    picker->ShowCalendarView(picker->GetMinutesView(), true, true);
  else if (HasUnit(picker, cdtuSecondEh))
    picker->ShowCalendarView(picker->GetSecondsView(), true, true);
  else
    picker->ShowCalendarView(picker->GetTimeView(), false, true);
}

void THours12CalendarViewEh::DrawCellContent(Integer col, Integer row, TGridDrawState state,
                                             const TRect& rect) {
  if (row != 0 && row != 3) {
    THours24CalendarViewEh::DrawCellContent(col, row, state, rect);
    return;
  }
  bool& drawn = row == 0 ? row0Drawn_ : row3Drawn_;
  if (drawn) return;
  drawn = true;
  // The title spans the whole row, whichever of its cells is painted first.
  const TRect first = CellRect(0, row);
  const TRect whole(first.Left, first.Top, GetClientWidth(), first.Bottom);
  TCanvas* c = GetCanvas();
  c->GetFont()->Assign(GetFont());
  SetCellCanvasColors(false, false);
  c->FillRect(whole);
  c->GetBrush()->SetStyle(bsClear);
  DrawCellTextEh(c, whole, false, 0, 0, row == 0 ? u"AM" : u"PM", taCenter, tlCenter, false, false, 0, 0,
                 false, true);
  c->GetBrush()->SetStyle(bsSolid);
}

String THours12CalendarViewEh::CellText(Integer col, Integer row) {
  const Integer hour = CellHour(col, row) % 12;
  return IntToStr(hour == 0 ? 12 : hour);
}

// ---- Minutes and seconds ----

TMinutesCalendarViewEh::TMinutesCalendarViewEh(TDateTimeCalendarPickerEh* calendar)
    : TTimeUnitCalendarViewEh(calendar) {
  SetColCount(4);
  SetRowCount(3);
}

Word TMinutesCalendarViewEh::UnitOf(TDateTime value) const { return MinuteOf(value); }

void TMinutesCalendarViewEh::StepHorz(bool forward) {
  MoveDateTime(Snapped(CalendarIncSecondsEh(date_, (forward ? 5 : -5) * UnitSeconds())));
}

void TMinutesCalendarViewEh::StepVert(bool forward) {
  MoveDateTime(Snapped(CalendarIncSecondsEh(date_, (forward ? 20 : -20) * UnitSeconds())));
}

bool TMinutesCalendarViewEh::DateInViewRange(TDateTime dateTime) {
  return SameDate(dateTime, date_) && HourOf(dateTime) == HourOf(date_);
}

String TMinutesCalendarViewEh::GetDateInfoText() {
  return ShortDateText(date_) + u" " + FormatDateTime(u"HH", date_) + u":(M)";
}

TDateTime TMinutesCalendarViewEh::GetNextPeriodDate(TDateTime dateTime, bool moveForward) {
  return CalendarIncSecondsEh(dateTime, moveForward ? 3600 : -3600);
}

bool TMinutesCalendarViewEh::TryDateFromCell(TGridCoord cell, TDateTime& dateTime) {
  dateTime = RecodeMinute(date_, static_cast<Word>(5 * (GetColCount() * cell.Y + cell.X)));
  return true;
}

void TMinutesCalendarViewEh::CellMouseClick(TGridCoord cell, TMouseButton button, TShiftState shift,
                                            const TRect& cellRect, TPoint gridMousePos, TPoint cellMousePos) {
  TCustomCalendarViewEh::CellMouseClick(cell, button, shift, cellRect, gridMousePos, cellMousePos);
  if (button == mbLeft || button == mbRight)
    GetCalendar()->ShowCalendarView(GetCalendar()->GetTimeView(), false, true);
}

String TMinutesCalendarViewEh::CellText(Integer col, Integer row) {
  return FormatFloat(u"00", 5 * (GetColCount() * row + col));
}

bool TMinutesCalendarViewEh::IsSelectedCell(Integer col, Integer row) {
  return 5 * (GetColCount() * row + col) == UnitOf(date_);
}

TSecondsCalendarViewEh::TSecondsCalendarViewEh(TDateTimeCalendarPickerEh* calendar)
    : TMinutesCalendarViewEh(calendar) {}

Word TSecondsCalendarViewEh::UnitOf(TDateTime value) const { return SecondOf(value); }

bool TSecondsCalendarViewEh::DateInViewRange(TDateTime dateTime) {
  return TMinutesCalendarViewEh::DateInViewRange(dateTime) && MinuteOf(dateTime) == MinuteOf(date_);
}

String TSecondsCalendarViewEh::GetDateInfoText() {
  return ShortDateText(date_) + u" " + FormatDateTime(u"HH:NN", date_) + u":(S)";
}

TDateTime TSecondsCalendarViewEh::GetNextPeriodDate(TDateTime dateTime, bool moveForward) {
  return CalendarIncSecondsEh(dateTime, moveForward ? 60 : -60);
}

bool TSecondsCalendarViewEh::TryDateFromCell(TGridCoord cell, TDateTime& dateTime) {
  dateTime = RecodeSecond(date_, static_cast<Word>(5 * (GetColCount() * cell.Y + cell.X)));
  return true;
}

void TSecondsCalendarViewEh::CellMouseClick(TGridCoord, TMouseButton, TShiftState, const TRect&, TPoint,
                                            TPoint) {
  GetCalendar()->ShowCalendarView(GetCalendar()->GetTimeView(), false, true);
}

// ---- Time view ----

TTimeCalendarViewEh::TTimeCalendarViewEh(TDateTimeCalendarPickerEh* calendar)
    : TCustomCalendarViewEh(calendar) {
  SetControlStyle(TControlStyle(GetControlStyle()).Exclude(csDoubleClicks));
  ReadLocaleClock();
  ResetGrid();
  selectNextViewOnClick_ = false;
  timer_ = new TTimer(this);
  timer_->SetEnabled(false);
  timer_->OnTimer = TNotifyEvent(this, &TTimeCalendarViewEh::RepeatTimerFired);
}

TTimeCalendarViewEh::~TTimeCalendarViewEh() = default;

void TTimeCalendarViewEh::ReadLocaleClock() {
  hoursFormat_ = LocaleInfo().TwentyFourHourTime ? htf24hEh : htfAmPm12hEh;
  amPmPos_ = appAmPmSuffixEh;
}

void TTimeCalendarViewEh::SetHoursFormat(THoursTimeFormatEh value) {
  if (value == hoursFormat_) return;
  hoursFormat_ = value;
  ResetGrid();
}

void TTimeCalendarViewEh::ResetGrid() {
  TDateTimeCalendarPickerEh* picker = GetCalendar();
  const bool h = HasUnit(picker, cdtuHourEh), m = HasUnit(picker, cdtuMinuteEh),
             s = HasUnit(picker, cdtuSecondEh);
  const auto B = tcvctBlankEh, H = tcvctHourEh, M = tcvctMinuteEh, S = tcvctSecondEh, C = tcvctColonEh,
             A = tcvctAmPmEh;
  const bool am = AmPm12();
  if (h && m && s) {
    colTypes_ = am ? std::vector{B, H, C, M, C, S, B, A, B} : std::vector{B, H, C, M, C, S, B};
    okButtonCol_ = am ? 7 : 5;
    visibleRegions_ = {tcarHoursEh, tcarMinutesEh, tcarSecondsEh, tcarOKButtonEh};
  } else if (h && m && !s) {
    colTypes_ = am ? std::vector{B, H, C, M, A, B} : std::vector{B, B, H, C, M, B, B};
    okButtonCol_ = am ? 4 : 5;
    visibleRegions_ = {tcarHoursEh, tcarMinutesEh, tcarOKButtonEh};
  } else if (h && !m && !s) {
    colTypes_ = am ? std::vector{B, B, H, A, B, B} : std::vector{B, B, B, H, B, B, B};
    okButtonCol_ = am ? 4 : 5;
    visibleRegions_ = {tcarHoursEh, tcarOKButtonEh};
  } else {
    return;
  }
  SetFixedColCount(0);
  SetFixedRowCount(0);
  SetRowCount(6);
  SetColCount(static_cast<Integer>(colTypes_.size()));
  if (std::find(visibleRegions_.begin(), visibleRegions_.end(), activeRegion_) == visibleRegions_.end())
    activeRegion_ = tcarHoursEh;
  UpdateCellSizes();
}

void TTimeCalendarViewEh::UpdateCellSizes() {
  if (!HandleAllocated() || colTypes_.empty()) return;
  const Integer w = CalendarMeasureCanvasEh(GetFont())->TextWidth(u"00");
  const Integer n = GetColCount();
  std::vector<bool> fixed(static_cast<size_t>(n), false);
  const size_t units = static_cast<size_t>(std::count_if(colTypes_.begin(), colTypes_.end(), [](auto t) {
    return t == tcvctHourEh || t == tcvctMinuteEh || t == tcvctSecondEh;
  }));
  if (units == 3) {
    for (Integer i = 0; i < n; i += 2) fixed[static_cast<size_t>(i)] = true;
  } else {
    fixed.front() = fixed.back() = true;
    for (Integer i = 0; i < n; ++i)
      if (colTypes_[static_cast<size_t>(i)] == tcvctColonEh) fixed[static_cast<size_t>(i)] = true;
    if (units == 1 && !AmPm12()) fixed[2] = fixed[4] = true;
  }
  Integer shared = 0, rest = GetClientWidth();
  for (Integer i = 0; i < n; ++i)
    if (fixed[static_cast<size_t>(i)]) {
      SetColWidths(i, w);
      rest -= w;
    } else {
      ++shared;
    }
  Integer each = shared > 0 ? std::max(0, rest) / shared : 0,
          extra = shared > 0 ? std::max(0, rest) - each * shared : 0;
  for (Integer i = 0; i < n; ++i)
    if (!fixed[static_cast<size_t>(i)]) SetColWidths(i, each + (extra-- > 0 ? 1 : 0));
  if (units == 3 && AmPm12()) {
    const Integer a = w / 3, b = 2 * w / 3;
    SetColWidths(1, GetColWidths(1) + a);
    SetColWidths(3, GetColWidths(3) + b - a);
    SetColWidths(5, GetColWidths(5) + w - b);
    SetColWidths(6, 0);
  }
  const Integer height = GetClientHeight();
  const Integer rowEach = height / 6;
  Integer rowExtra = height - rowEach * 6;
  for (Integer i = 0; i < 6; ++i) SetRowHeights(i, rowEach + (rowExtra-- > 0 ? 1 : 0));
  const Integer half = rowEach / 2;
  SetRowHeights(4, GetRowHeights(4) - half);
  SetRowHeights(5, GetRowHeights(5) + half);
}

String TTimeCalendarViewEh::GetDateInfoText() { return ShortDateText(date_); }

TDateTime TTimeCalendarViewEh::GetNextPeriodDate(TDateTime dateTime, bool moveForward) {
  return CalendarIncSecondsEh(dateTime, moveForward ? 86400 : -86400);
}

bool TTimeCalendarViewEh::IsUnitCol(Integer col) const {
  if (col < 0 || col >= static_cast<Integer>(colTypes_.size())) return false;
  const auto t = colTypes_[static_cast<size_t>(col)];
  return t == tcvctHourEh || t == tcvctMinuteEh || t == tcvctSecondEh;
}

void TTimeCalendarViewEh::IncrementHour(Integer n) {
  if (n == 0) return;
  GetCalendar()->SetDateTime(RecodeHour(date_, Wrapped(HourOf(date_), n, 24)));
}

void TTimeCalendarViewEh::IncrementMinute(Integer n) {
  if (n == 0) return;
  GetCalendar()->SetDateTime(RecodeMinute(date_, Wrapped(MinuteOf(date_), n, 60)));
}

void TTimeCalendarViewEh::IncrementSecond(Integer n) {
  if (n == 0) return;
  GetCalendar()->SetDateTime(RecodeSecond(date_, Wrapped(SecondOf(date_), n, 60)));
}

void TTimeCalendarViewEh::ResetRegion() { SetActiveRegion(tcarHoursEh); }

void TTimeCalendarViewEh::SetActiveRegion(TTimeCalendarViewActiveRegionEh value) {
  activeRegion_ = value;
  Invalidate();
}

void TTimeCalendarViewEh::HoursRegionAction(Integer action) {
  if (action == 2) {
    TDateTimeCalendarPickerEh* picker = GetCalendar();
    picker->ShowCalendarView(
        AmPm12() ? static_cast<TCustomCalendarViewEh*>(picker->GetHours12View()) : picker->GetHours24View(),
        true, true);
  } else {
    IncrementHour(action == 1 ? 1 : -1);
  }
}

void TTimeCalendarViewEh::MinutesRegionAction(Integer action) {
  if (action == 2)
    GetCalendar()->ShowCalendarView(GetCalendar()->GetMinutesView(), true, true);
  else
    IncrementMinute(action == 1 ? 1 : -1);
}

void TTimeCalendarViewEh::SecondsRegionAction(Integer action) {
  if (action == 2)
    GetCalendar()->ShowCalendarView(GetCalendar()->GetSecondsView(), true, true);
  else
    IncrementSecond(action == 1 ? 1 : -1);
}

void TTimeCalendarViewEh::OkRegionAction(Integer action) {
  if (action == 2) GetCalendar()->UserInputDone(7);
}

void TTimeCalendarViewEh::RegionAction(TTimeCalendarViewActiveRegionEh region, Integer action) {
  switch (region) {
    case tcarHoursEh:
      HoursRegionAction(action);
      break;
    case tcarMinutesEh:
      MinutesRegionAction(action);
      break;
    case tcarSecondsEh:
      SecondsRegionAction(action);
      break;
    case tcarOKButtonEh:
      OkRegionAction(action);
      break;
  }
}

void TTimeCalendarViewEh::SelectNextRegion(bool forward) {
  if (visibleRegions_.empty()) return;
  auto it = std::find(visibleRegions_.begin(), visibleRegions_.end(), activeRegion_);
  Integer i = it == visibleRegions_.end() ? 0 : static_cast<Integer>(it - visibleRegions_.begin());
  const Integer n = static_cast<Integer>(visibleRegions_.size());
  i = (i + (forward ? 1 : -1) + n) % n;
  SetActiveRegion(visibleRegions_[static_cast<size_t>(i)]);
}

void TTimeCalendarViewEh::StartButtonRepeat(TGridCoord cell,
                                            TTimeCalendarViewPressedButtonTypeEh buttonType) {
  pressedButtonType_ = buttonType;
  pressedCell_ = cell;
  timer_->SetInterval(400);
  timer_->SetEnabled(true);
}

void TTimeCalendarViewEh::StepUnit(TTimeCalendarViewPressedButtonTypeEh button) {
  switch (button) {
    case tcpbtHoursUpEh:
      IncrementHour(1);
      break;
    case tcpbtHoursDownEh:
      IncrementHour(-1);
      break;
    case tcpbtMinutesUpEh:
      IncrementMinute(1);
      break;
    case tcpbtMinutesDownEh:
      IncrementMinute(-1);
      break;
    case tcpbtSecondsUpEh:
      IncrementSecond(1);
      break;
    case tcpbtSecondsDownEh:
      IncrementSecond(-1);
      break;
  }
}

void TTimeCalendarViewEh::RepeatTimerFired(TObject*) {
  if (timer_->GetInterval() == 400) timer_->SetInterval(100);
  if (hotTrackCell_ == pressedCell_) StepUnit(pressedButtonType_);
}

void TTimeCalendarViewEh::CellMouseDown(TGridCoord cell, TMouseButton button, TShiftState shift,
                                        const TRect& cellRect, TPoint gridMousePos, TPoint cellMousePos) {
  TCustomCalendarViewEh::CellMouseDown(cell, button, shift, cellRect, gridMousePos, cellMousePos);
  if (button != mbLeft || (cell.Y != 1 && cell.Y != 3) || !IsUnitCol(cell.X)) return;
  const bool up = cell.Y == 1;
  const auto type = colTypes_[static_cast<size_t>(cell.X)];
  TTimeCalendarViewPressedButtonTypeEh pressed;
  if (type == tcvctHourEh) {
    IncrementHour(up ? 1 : -1);
    pressed = up ? tcpbtHoursUpEh : tcpbtHoursDownEh;
    activeRegion_ = tcarHoursEh;
  } else if (type == tcvctMinuteEh) {
    IncrementMinute(up ? 1 : -1);
    pressed = up ? tcpbtMinutesUpEh : tcpbtMinutesDownEh;
    activeRegion_ = tcarMinutesEh;
  } else {
    IncrementSecond(up ? 1 : -1);
    pressed = up ? tcpbtSecondsUpEh : tcpbtSecondsDownEh;
    activeRegion_ = tcarSecondsEh;
  }
  StartButtonRepeat(cell, pressed);
  Invalidate();
}

void TTimeCalendarViewEh::CellMouseClick(TGridCoord cell, TMouseButton button, TShiftState shift,
                                         const TRect& cellRect, TPoint gridMousePos, TPoint cellMousePos) {
  TCustomCalendarViewEh::CellMouseClick(cell, button, shift, cellRect, gridMousePos, cellMousePos);
  TDateTimeCalendarPickerEh* picker = GetCalendar();
  if (button == mbRight) {
    // A picker without days has no days view to go back to.
    const auto& list = picker->GetCalendarViewList();
    if (std::find(list.begin(), list.end(), picker->GetDaysView()) != list.end())
      picker->ShowCalendarView(picker->GetDaysView(), false, true);
    return;
  }
  if (button != mbLeft) return;
  if (cell.Y == 5 && cell.X == okButtonCol_) {
    picker->UserInputDone(7);
  } else if (cell.Y == 2 && IsUnitCol(cell.X)) {
    const auto type = colTypes_[static_cast<size_t>(cell.X)];
    RegionAction(type == tcvctHourEh     ? tcarHoursEh
                 : type == tcvctMinuteEh ? tcarMinutesEh
                                         : tcarSecondsEh,
                 2);
  }
}

void TTimeCalendarViewEh::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  timer_->SetEnabled(false);
  TCustomCalendarViewEh::MouseUp(button, shift, x, y);
}

void TTimeCalendarViewEh::KeyDown(Word& key, TShiftState shift) {
  switch (key) {
    case VK_RETURN:
      if (shift.Contains(ssCtrl))
        ZoomView(false, true);
      else
        RegionAction(activeRegion_, 2);
      break;
    case VK_UP:
    case VK_DOWN:
      if (activeRegion_ != tcarOKButtonEh) RegionAction(activeRegion_, key == VK_UP ? 1 : 0);
      break;
    case VK_LEFT:
    case VK_RIGHT:
      SelectNextRegion(key == VK_RIGHT);
      break;
    default:
      TCustomCalendarViewEh::KeyDown(key, shift);
      return;
  }
  key = 0;
}

bool TTimeCalendarViewEh::MouseWheelStep(TShiftState, TPoint mousePos, bool up) {
  const TPoint p = ScreenToClient(mousePos);
  const TGridCoord cell = MouseCoord(p.X, p.Y);
  if (IsUnitCol(cell.X)) {
    const auto type = colTypes_[static_cast<size_t>(cell.X)];
    const Integer n = up ? 1 : -1;
    if (type == tcvctHourEh) IncrementHour(n);
    if (type == tcvctMinuteEh) IncrementMinute(n);
    if (type == tcvctSecondEh) IncrementSecond(n);
  }
  return true;
}

bool TTimeCalendarViewEh::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  return MouseWheelStep(shift, mousePos, false);
}

bool TTimeCalendarViewEh::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  return MouseWheelStep(shift, mousePos, true);
}

void TTimeCalendarViewEh::WndProc(TMessage& message) {
  TCustomCalendarViewEh::WndProc(message);
  if (message.Msg == WM_WININICHANGE) {
    const THoursTimeFormatEh format = hoursFormat_;
    const TAmPmPosEh pos = amPmPos_;
    ReadLocaleClock();
    if (format != hoursFormat_ || pos != amPmPos_) ResetGrid();
  }
}

void TTimeCalendarViewEh::DrawCellContent(Integer col, Integer row, TGridDrawState state, const TRect& rect) {
  TCanvas* c = GetCanvas();
  c->GetFont()->Assign(GetFont());
  const auto type = colTypes_[static_cast<size_t>(col)];
  const bool unit = IsUnitCol(col);
  const bool okCell = row == 5 && col == okButtonCol_;
  const bool mouse = GetCalendar()->GetInputMethod() == iimMouseEh;
  bool hot = false;
  if (mouse)
    hot = state.Contains(gdHotTrack) && ((unit && row >= 1 && row <= 3) || okCell);
  else if (activeRegion_ == tcarOKButtonEh)
    hot = okCell;
  else if (row == 2 && unit)
    hot = (type == tcvctHourEh && activeRegion_ == tcarHoursEh) ||
          (type == tcvctMinuteEh && activeRegion_ == tcarMinutesEh) ||
          (type == tcvctSecondEh && activeRegion_ == tcarSecondsEh);
  SetCellCanvasColors(hot, false);
  TCalendarViewDrawStateEh drawState;
  if (hot) drawState << cvdsHotTrackEh;
  DateTimeCalendarPickerDrawStyleEh()->DrawCalendarViewCellBackgraund(this, c, rect, drawState);
  if ((row == 1 || row == 3) && unit) {
    // A triangle 7 wide and 4 high of lines each one pixel shorter at both ends.
    c->GetPen()->SetColor(StyleServices()->GetSystemColor(clWindowText));
    const Integer cx = (rect.Left + rect.Right) / 2 - 3, cy = (rect.Top + rect.Bottom) / 2 - 2;
    for (Integer i = 0; i < 4; ++i) {
      const Integer y = row == 1 ? cy + 3 - i : cy + i;
      c->MoveTo(cx + i, y);
      c->LineTo(cx + 7 - i, y);
    }
    return;
  }
  String text;
  if (okCell) {
    text = u"OK";
  } else if (row == 2) {
    const Word h = HourOf(date_);
    switch (type) {
      case tcvctHourEh:
        text = AmPm12() ? IntToStr(h % 12 == 0 ? 12 : h % 12) : IntToStr(h);
        break;
      case tcvctMinuteEh:
        text = FormatFloat(u"00", MinuteOf(date_));
        break;
      case tcvctSecondEh:
        text = FormatFloat(u"00", SecondOf(date_));
        break;
      case tcvctAmPmEh:
        text = h < 12 ? u"AM" : u"PM";
        break;
      case tcvctColonEh:
        text = u":";
        break;
      case tcvctBlankEh:
        break;
    }
  }
  if (text.empty()) return;
  c->GetBrush()->SetStyle(bsClear);
  DrawCellTextEh(c, rect, false, 0, 0, text, taCenter, tlCenter, false, false, 0, 0, false, true);
  c->GetBrush()->SetStyle(bsSolid);
}
