// Calendar views: the grids of decades, years, months and days of the calendar picker, how their cells
// map to dates, how keys and clicks move the date, and how their cells are painted.
#include "gridlib/base/DateTimeCalendarPickersEh.h"

#include <cmath>

#include "platform/controls/Messages.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Strings.h"

namespace {

bool InDateRange(TDateTime value) { return value >= MinDateTime && value < MaxDateTime + 1; }

Word YearOfView(TDateTime value) { return YearOf(value); }

// The year changed, the rest kept; false when that day does not exist in the year.
bool TryRecodeYear(TDateTime value, Integer year, TDateTime& result) {
  if (year < 1 || year > 9999) return false;
  Word y, m, d;
  DecodeDate(value, y, m, d);
  TDateTime date;
  if (!TryEncodeDate(static_cast<Word>(year), m, d, date)) return false;
  result = date;
  ReplaceTime(result, value);
  return true;
}

}  // namespace

TDateTime CalendarIncMonthsEh(TDateTime value, Integer months) {
  Word y, m, d;
  DecodeDate(value, y, m, d);
  Integer total = y * 12 + (m - 1) + months;
  if (total < 12 || total >= 12 * 10000) return value;
  Word ny = static_cast<Word>(total / 12), nm = static_cast<Word>(total % 12 + 1);
  Word nd = std::min<Word>(d, DaysInAMonth(ny, nm));
  TDateTime date;
  if (!TryEncodeDate(ny, nm, nd, date)) return value;
  ReplaceTime(date, value);
  return date;
}

TDateTime CalendarIncSecondsEh(TDateTime value, Int64 seconds) {
  const TDateTime result = IncSecond(value, seconds);
  return InDateRange(result) ? result : value;
}

namespace {

// The unit's value rounded to a multiple of five; a minute or second of 60 is one more of the next
// unit, so the value is rebuilt from zero and added rather than recoded.
TDateTime SnapToFive(TDateTime value, Word unit, TDateTime zeroed, Int64 unitSeconds) {
  const Integer snapped = static_cast<Integer>(Round(unit / 5.0)) * 5;
  const TDateTime result = IncSecond(zeroed, snapped * unitSeconds);
  return InDateRange(result) ? result : value;
}

}  // namespace

TDateTime SnapMinuteToFiveEh(TDateTime value) {
  return SnapToFive(value, MinuteOf(value), RecodeMinute(value, 0), 60);
}

TDateTime SnapSecondToFiveEh(TDateTime value) {
  return SnapToFive(value, SecondOf(value), RecodeSecond(value, 0), 1);
}

TCanvas* CalendarMeasureCanvasEh(TFont* font) {
  TCanvas* canvas = GetScreenCanvasEh();
  canvas->GetFont()->Assign(font);
  return canvas;
}

// ---- TCustomCalendarViewEh ----

TCustomCalendarViewEh::TCustomCalendarViewEh(TDateTimeCalendarPickerEh* calendar)
    : TCustomGridEh(calendar),
      paintBuffer_(std::make_unique<TCustomCalendarViewPaintBufferEh>()),
      calendar_(calendar) {
  date_ = Now();
  SetOptions(TGridOptionsEh{goDrawFocusSelectedEh});
  SetParentFont(true);
  SetBorderStyle(bsNone);
  GetHorzScrollBar()->SetVisibleMode(sbNeverShowEh);
  GetVertScrollBar()->SetVisibleMode(sbNeverShowEh);
  SetFixedColCount(0);
  SetFixedRowCount(0);
  SetTabStop(false);
}

TCustomCalendarViewEh::~TCustomCalendarViewEh() = default;

void TCustomCalendarViewEh::SetDateTime(TDateTime value) {
  if (value == date_) return;
  date_ = value;
  DateTimeChanged();
}

bool TCustomCalendarViewEh::ZoomView(bool zoomIn, bool animated) {
  const auto& list = calendar_->GetCalendarViewList();
  const auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return false;
  const std::ptrdiff_t index = it - list.begin();
  const std::ptrdiff_t target = zoomIn ? index + 1 : index - 1;
  if (target < 0 || target >= static_cast<std::ptrdiff_t>(list.size())) return false;
  calendar_->ShowCalendarView(list[static_cast<size_t>(target)], zoomIn, animated);
  return true;
}

namespace {

// Spreads length over count cells, the remainder one pixel each to the first cells.
void SpreadCells(Integer length, Integer first, Integer count,
                 const std::function<void(Integer, Integer)>& set) {
  if (count <= 0) return;
  const Integer each = length / count;
  Integer rest = length - each * count;
  for (Integer i = 0; i < count; ++i) set(first + i, each + (rest-- > 0 ? 1 : 0));
}

}  // namespace

void TCustomCalendarViewEh::UpdateCellSizes() {
  if (!HandleAllocated()) return;
  SpreadCells(GetClientWidth(), 0, GetColCount(), [this](Integer i, Integer w) { SetColWidths(i, w); });
  SpreadCells(GetClientHeight(), 0, GetRowCount(), [this](Integer i, Integer h) { SetRowHeights(i, h); });
}

void TCustomCalendarViewEh::GetRecommendedSize(Integer&, Integer&) {}

void TCustomCalendarViewEh::DateTimeChanged() {
  const TGridCoord cell = CellOfDate();
  if (cell.X >= 0) {
    curCell_ = cell;
    anchorCell_ = cell;
  }
  Invalidate();
}

void TCustomCalendarViewEh::UpdatePaintBuffer() {
  calendar_->UpdatePaintBuffer();
  TDateTimePickCalendarPaintBufferEh* b = calendar_->GetPaintBuffer();
  TCustomCalendarViewPaintBufferEh* p = paintBuffer_.get();
  p->HolidayFontColor = b->HolidayFontColor;
  p->HolidayOutsidePeriodFontColor = b->HolidayOutsidePeriodFontColor;
  p->HolidaySelectedFontColor = b->HolidaySelectedFontColor;
  p->HotTrackCellBrushColor = b->HotTrackCellBrushColor;
  p->HotTrackCellFontColor = b->HotTrackCellFontColor;
  p->InsideHorzFrameColor = b->InsideHorzFrameColor;
  p->InsideVertFrameColor = b->InsideVertFrameColor;
  p->NormalCellBrushColor = b->NormalCellBrushColor;
  p->NormalCellFontColor = b->NormalCellFontColor;
  p->OutsidePeriodCellFontColor = b->OutsidePeriod;
  p->SelectedCellBrushColor = b->SelectedCellBrushColor;
  p->SelectedCellFontColor = b->SelectedCellFontColor;
  p->TodayCellFrameColor = b->TodayCellFrameColor;
}

void TCustomCalendarViewEh::SetCellCanvasColors(bool hotTrack, bool selected) {
  TCanvas* c = GetCanvas();
  if (selected) {
    c->GetBrush()->SetColor(paintBuffer_->SelectedCellBrushColor);
    c->GetFont()->SetColor(paintBuffer_->SelectedCellFontColor);
  } else if (hotTrack) {
    c->GetBrush()->SetColor(paintBuffer_->HotTrackCellBrushColor);
    c->GetFont()->SetColor(paintBuffer_->HotTrackCellFontColor);
  } else {
    c->GetBrush()->SetColor(paintBuffer_->NormalCellBrushColor);
    c->GetFont()->SetColor(paintBuffer_->NormalCellFontColor);
  }
}

void TCustomCalendarViewEh::StepHorz(bool) {}
void TCustomCalendarViewEh::StepVert(bool) {}
void TCustomCalendarViewEh::DateTimeSelected() { calendar_->UserInputDone(7); }
bool TCustomCalendarViewEh::DateInViewRange(TDateTime) { return true; }
String TCustomCalendarViewEh::GetDateInfoText() { return u"TCustomCalendarViewEh.GetDateInfoText"; }
TDateTime TCustomCalendarViewEh::GetNextPeriodDate(TDateTime dateTime, bool) { return dateTime; }
bool TCustomCalendarViewEh::TryDateFromCell(TGridCoord, TDateTime&) { return false; }

void TCustomCalendarViewEh::UpdateMousePos() {
  if (!HandleAllocated()) return;
  mousePos_ = ScreenToClient(Mouse->GetCursorPos());
}

TRect TCustomCalendarViewEh::CurrentCellRect() {
  const TGridCoord cell = CellOfDate();
  if (cell.X < 0) return TRect(0, 0, GetClientWidth(), GetClientHeight());
  return CellRect(cell.X, cell.Y);
}

TGridCoord TCustomCalendarViewEh::CellOfDate() {
  for (Integer row = GetFixedRowCount(); row < GetRowCount(); ++row)
    for (Integer col = GetFixedColCount(); col < GetColCount(); ++col)
      if (IsSelectedCell(col, row)) return {col, row};
  return {-1, -1};
}

void TCustomCalendarViewEh::MoveDateTime(TDateTime value) { calendar_->SetDateTimeAnimated(value); }

void TCustomCalendarViewEh::KeyDown(Word& key, TShiftState shift) {
  switch (key) {
    case VK_RETURN:
      if (shift.Contains(ssCtrl))
        ZoomView(false, true);
      else if (!ZoomView(true, true))
        DateTimeSelected();
      break;
    case VK_PRIOR:
      calendar_->PriorPeriod(true);
      break;
    case VK_NEXT:
      calendar_->NextPeriod(true);
      break;
    case VK_LEFT:
    case VK_RIGHT:
      StepHorz(key == VK_RIGHT);
      break;
    case VK_UP:
    case VK_DOWN:
      StepVert(key == VK_DOWN);
      break;
    default:
      return;
  }
  key = 0;
}

void TCustomCalendarViewEh::Paint() {
  UpdatePaintBuffer();
  TCustomGridEh::Paint();
}

void TCustomCalendarViewEh::Resize() {
  TCustomGridEh::Resize();
  UpdateCellSizes();
}

void TCustomCalendarViewEh::CellMouseDown(TGridCoord cell, TMouseButton button, TShiftState shift,
                                          const TRect& cellRect, TPoint gridMousePos, TPoint cellMousePos) {
  TCustomGridEh::CellMouseDown(cell, button, shift, cellRect, gridMousePos, cellMousePos);
  TDateTime value = date_;
  if (button == mbLeft && TryDateFromCell(cell, value)) calendar_->SetDateTime(value);
}

void TCustomCalendarViewEh::CellMouseClick(TGridCoord cell, TMouseButton button, TShiftState shift,
                                           const TRect& cellRect, TPoint gridMousePos, TPoint cellMousePos) {
  TCustomGridEh::CellMouseClick(cell, button, shift, cellRect, gridMousePos, cellMousePos);
  if (!selectNextViewOnClick_) return;
  if (button == mbLeft && cell.X >= GetFixedColCount() && cell.Y >= GetFixedRowCount()) {
    if (!ZoomView(true, true)) DateTimeSelected();
  } else if (button == mbRight) {
    ZoomView(false, true);
  }
}

void TCustomCalendarViewEh::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  calendar_->SetInputMethod(iimMouseEh);
  TCustomGridEh::MouseDown(button, shift, x, y);
}

void TCustomCalendarViewEh::MouseMove(TShiftState shift, Integer x, Integer y) {
  if (mousePos_ != TPoint(x, y)) {
    mousePos_ = TPoint(x, y);
    calendar_->SetInputMethod(iimMouseEh);
  }
  TCustomGridEh::MouseMove(shift, x, y);
}

void TCustomCalendarViewEh::WndProc(TMessage& message) {
  TCustomGridEh::WndProc(message);
  if (message.Msg == CM_SYSCOLORCHANGE || message.Msg == CM_STYLECHANGED) Invalidate();
}

bool TCustomCalendarViewEh::HotTrackByMouse(TGridDrawState state) const {
  return state.Contains(gdHotTrack) && calendar_->GetInputMethod() == iimMouseEh;
}

String TCustomCalendarViewEh::CellText(Integer, Integer) { return String(); }
bool TCustomCalendarViewEh::IsSelectedCell(Integer, Integer) { return false; }

void TCustomCalendarViewEh::SetCellFontColor(Integer col, Integer row, bool selected) {
  if (!selected && IsOutsidePeriodCell(col, row))
    GetCanvas()->GetFont()->SetColor(paintBuffer_->OutsidePeriodCellFontColor);
}

void TCustomCalendarViewEh::DrawDataCell(Integer col, Integer row, TGridDrawState state, const TRect& rect) {
  TCanvas* canvas = GetCanvas();
  canvas->GetFont()->Assign(GetFont());
  const bool hotTrack = HotTrackByMouse(state);
  const bool selected = IsSelectedCell(col, row);
  SetCellCanvasColors(hotTrack, selected);
  TCalendarViewDrawStateEh drawState;
  if (selected) drawState << cvdsSelectedEh;
  if (hotTrack) drawState << cvdsHotTrackEh;
  if (IsTodayCell(col, row)) drawState << cvdsNowEh;
  DateTimeCalendarPickerDrawStyleEh()->DrawCalendarViewCellBackgraund(this, canvas, rect, drawState);
  SetCellFontColor(col, row, selected);
  canvas->GetBrush()->SetStyle(bsClear);
  DrawCellTextEh(canvas, rect, false, 0, 0, CellText(col, row), taCenter, tlCenter, true, false, 0, 0, false,
                 false);
  canvas->GetBrush()->SetStyle(bsSolid);
}

void TCustomCalendarViewEh::DrawCellContent(Integer col, Integer row, TGridDrawState state,
                                            const TRect& rect) {
  DrawDataCell(col, row, state, rect);
}

// ---- Decades ----

TDecadesCalendarViewEh::TDecadesCalendarViewEh(TDateTimeCalendarPickerEh* calendar)
    : TCustomCalendarViewEh(calendar) {
  SetColCount(4);
  SetRowCount(3);
}

Integer TDecadesCalendarViewEh::CellDecade(Integer col, Integer row) const {
  return YearOfView(date_) / 100 * 100 + 40 * row + 10 * col - 10;
}

void TDecadesCalendarViewEh::StepHorz(bool forward) {
  MoveDateTime(CalendarIncMonthsEh(date_, (forward ? 1 : -1) * 120));
}
void TDecadesCalendarViewEh::StepVert(bool forward) {
  MoveDateTime(CalendarIncMonthsEh(date_, (forward ? 1 : -1) * 480));
}

bool TDecadesCalendarViewEh::DateInViewRange(TDateTime dateTime) {
  const Integer c = YearOfView(date_) / 100 * 100;
  const Integer y = YearOf(dateTime);
  return y >= c && y <= c + 99;
}

String TDecadesCalendarViewEh::GetDateInfoText() {
  const Integer c = YearOfView(date_) / 100 * 100;
  return IntToStr(c) + u"-" + IntToStr(c + 99);
}

TDateTime TDecadesCalendarViewEh::GetNextPeriodDate(TDateTime dateTime, bool moveForward) {
  return CalendarIncMonthsEh(dateTime, (moveForward ? 1 : -1) * 1200);
}

bool TDecadesCalendarViewEh::TryDateFromCell(TGridCoord cell, TDateTime& dateTime) {
  return TryRecodeYear(date_, CellDecade(cell.X, cell.Y) + YearOfView(date_) % 10, dateTime);
}

String TDecadesCalendarViewEh::CellText(Integer col, Integer row) {
  const Integer d = CellDecade(col, row);
  return IntToStr(d) + u"-\n" + IntToStr(d + 9) + u"  ";
}

bool TDecadesCalendarViewEh::IsSelectedCell(Integer col, Integer row) {
  return CellDecade(col, row) == YearOfView(date_) / 10 * 10;
}

bool TDecadesCalendarViewEh::IsOutsidePeriodCell(Integer col, Integer row) {
  const Integer c = YearOfView(date_) / 100 * 100;
  const Integer d = CellDecade(col, row);
  return d < c || d > c + 99;
}

// ---- Years ----

TYearsCalendarViewEh::TYearsCalendarViewEh(TDateTimeCalendarPickerEh* calendar)
    : TCustomCalendarViewEh(calendar) {
  SetColCount(4);
  SetRowCount(3);
}

Integer TYearsCalendarViewEh::CellYear(Integer col, Integer row) const {
  return YearOfView(date_) / 10 * 10 + GetColCount() * row + col - 1;
}

void TYearsCalendarViewEh::StepHorz(bool forward) {
  MoveDateTime(CalendarIncMonthsEh(date_, forward ? 12 : -12));
}
void TYearsCalendarViewEh::StepVert(bool forward) {
  MoveDateTime(CalendarIncMonthsEh(date_, forward ? 48 : -48));
}

bool TYearsCalendarViewEh::DateInViewRange(TDateTime dateTime) {
  const Integer d = YearOfView(date_) / 10 * 10;
  const Integer y = YearOf(dateTime);
  return y >= d && y <= d + 9;
}

String TYearsCalendarViewEh::GetDateInfoText() {
  const Integer d = YearOfView(date_) / 10 * 10;
  return IntToStr(d) + u"-" + IntToStr(d + 9);
}

TDateTime TYearsCalendarViewEh::GetNextPeriodDate(TDateTime dateTime, bool moveForward) {
  return CalendarIncMonthsEh(dateTime, moveForward ? 120 : -120);
}

bool TYearsCalendarViewEh::TryDateFromCell(TGridCoord cell, TDateTime& dateTime) {
  return TryRecodeYear(date_, CellYear(cell.X, cell.Y), dateTime);
}

String TYearsCalendarViewEh::CellText(Integer col, Integer row) { return IntToStr(CellYear(col, row)); }
bool TYearsCalendarViewEh::IsSelectedCell(Integer col, Integer row) {
  return CellYear(col, row) == YearOfView(date_);
}
bool TYearsCalendarViewEh::IsOutsidePeriodCell(Integer col, Integer row) {
  const Integer d = YearOfView(date_) / 10 * 10;
  const Integer y = CellYear(col, row);
  return y < d || y > d + 9;
}

// ---- Months ----

TMonthsCalendarViewEh::TMonthsCalendarViewEh(TDateTimeCalendarPickerEh* calendar)
    : TCustomCalendarViewEh(calendar) {
  SetColCount(4);
  SetRowCount(3);
}

void TMonthsCalendarViewEh::StepHorz(bool forward) {
  MoveDateTime(CalendarIncMonthsEh(date_, forward ? 1 : -1));
}
void TMonthsCalendarViewEh::StepVert(bool forward) {
  MoveDateTime(CalendarIncMonthsEh(date_, forward ? 4 : -4));
}
bool TMonthsCalendarViewEh::DateInViewRange(TDateTime dateTime) { return YearOf(dateTime) == YearOf(date_); }
String TMonthsCalendarViewEh::GetDateInfoText() { return IntToStr(YearOf(date_)); }

TDateTime TMonthsCalendarViewEh::GetNextPeriodDate(TDateTime dateTime, bool moveForward) {
  return CalendarIncMonthsEh(dateTime, moveForward ? 12 : -12);
}

bool TMonthsCalendarViewEh::TryDateFromCell(TGridCoord cell, TDateTime& dateTime) {
  const Integer month = GetColCount() * cell.Y + cell.X + 1;
  dateTime = CalendarIncMonthsEh(date_, month - MonthOf(date_));
  return true;
}

String TMonthsCalendarViewEh::CellText(Integer col, Integer row) {
  const Integer month = GetColCount() * row + col;
  return FormatSettings.ShortMonthNames[static_cast<size_t>(month)];
}

bool TMonthsCalendarViewEh::IsSelectedCell(Integer col, Integer row) {
  return GetColCount() * row + col + 1 == MonthOf(date_);
}

// ---- Days ----

TDaysCalendarViewEh::TDaysCalendarViewEh(TDateTimeCalendarPickerEh* calendar)
    : TCustomCalendarViewEh(calendar), datesInfoList_(std::make_unique<TObjectListEh>(true)) {
  SetFixedColCount(1);
  SetFixedRowCount(1);
  SetColCount(8);
  SetRowCount(7);
  for (Integer i = 0; i < 42; ++i) datesInfoList_->Add(CreateDayInfoItem());
  firstWeekDayNum_ = -1;
  UpdateFirstWeekDay();
  DateTimeChanged();
}

TDaysCalendarViewEh::~TDaysCalendarViewEh() = default;

TDaysCalendarViewDayInfoItem* TDaysCalendarViewEh::GetDayInfo(Integer index) const {
  return static_cast<TDaysCalendarViewDayInfoItem*>(datesInfoList_->Get(index));
}

TDaysCalendarViewDayInfoItem* TDaysCalendarViewEh::CreateDayInfoItem() {
  return GetCalendar()->CreateDayInfoItem();
}

void TDaysCalendarViewEh::UpdateFirstWeekDay() {
  const Integer day = GetFirstDayOfWeekEh();
  if (day != firstWeekDayNum_) {
    firstWeekDayNum_ = day;
    startDate_ = CalcStartDate(date_);
  }
  Invalidate();
}

TDateTime TDaysCalendarViewEh::CalcStartDate(TDateTime date) {
  const TDateTime monday = StartOfTheWeek(StartOfTheMonth(date));
  return firstWeekDayNum_ == 0 ? monday : monday + firstWeekDayNum_ - 7;
}

void TDaysCalendarViewEh::UpdateDatesInfo() {
  for (Integer i = 0; i < 42; ++i) GetCalendar()->FillDayInfo(GetDayInfo(i), startDate_ + i);
}

void TDaysCalendarViewEh::DateTimeChanged() {
  startDate_ = CalcStartDate(date_);
  UpdateDatesInfo();
  TCustomCalendarViewEh::DateTimeChanged();
}

void TDaysCalendarViewEh::UpdateCellSizes() {
  if (!HandleAllocated()) return;
  const Integer first = CalendarMeasureCanvasEh(GetFont())->TextWidth(u"000");
  SetColWidths(0, first);
  SpreadCells(GetClientWidth() - first, 1, 7, [this](Integer i, Integer w) { SetColWidths(i, w); });
  SpreadCells(GetClientHeight(), 0, GetRowCount(), [this](Integer i, Integer h) { SetRowHeights(i, h); });
}

void TDaysCalendarViewEh::GetRecommendedSize(Integer& width, Integer& height) {
  if (!HandleAllocated()) return;
  TCanvas* c = CalendarMeasureCanvasEh(GetFont());
  height = c->TextHeight(u"Wg") * GetRowCount();
  Integer widest = 0;
  for (const String& name : FormatSettings.ShortDayNames) widest = std::max(widest, c->TextWidth(name));
  width = GetColCount() * std::max(c->TextWidth(u"0000"), widest + 2 * c->TextWidth(u" "));
}

void TDaysCalendarViewEh::StepHorz(bool forward) {
  MoveDateTime(CalendarIncSecondsEh(date_, (forward ? 1 : -1) * 86400));
}
void TDaysCalendarViewEh::StepVert(bool forward) {
  MoveDateTime(CalendarIncSecondsEh(date_, (forward ? 7 : -7) * 86400));
}

bool TDaysCalendarViewEh::DateInViewRange(TDateTime dateTime) {
  return YearOf(dateTime) == YearOf(date_) && MonthOf(dateTime) == MonthOf(date_);
}

String TDaysCalendarViewEh::GetDateInfoText() { return FormatDateTime(u"MMMM YYYY", date_); }

TDateTime TDaysCalendarViewEh::GetNextPeriodDate(TDateTime dateTime, bool moveForward) {
  return CalendarIncMonthsEh(dateTime, moveForward ? 1 : -1);
}

bool TDaysCalendarViewEh::TryDateFromCell(TGridCoord cell, TDateTime& dateTime) {
  if (cell.X < 1 || cell.Y < 1) return false;
  const TDateTime day = CellDate(cell.X, cell.Y);
  if (day < MinDateTime || day >= MaxDateTime + 1) return false;
  dateTime = day;
  ReplaceTime(dateTime, date_);
  return true;
}

String TDaysCalendarViewEh::CellText(Integer col, Integer row) {
  return FormatDateTime(u"D", CellDate(col, row));
}

bool TDaysCalendarViewEh::IsSelectedCell(Integer col, Integer row) {
  return col >= 1 && row >= 1 && SameDate(CellDate(col, row), date_);
}

bool TDaysCalendarViewEh::IsOutsidePeriodCell(Integer col, Integer row) {
  return !DateInViewRange(CellDate(col, row));
}

bool TDaysCalendarViewEh::IsTodayCell(Integer col, Integer row) {
  return SameDate(CellDate(col, row), Date());
}

void TDaysCalendarViewEh::SetCellFontColor(Integer col, Integer row, bool selected) {
  const Integer index = 7 * (row - 1) + col - 1;
  const bool holiday =
      GetGridLibManager()->GetDateTimeCalendarPickerHighlightHolidays() && GetDayInfo(index)->GetIsHoliday();
  TFont* font = GetCanvas()->GetFont();
  if (holiday) {
    if (selected)
      font->SetColor(paintBuffer_->HolidaySelectedFontColor);
    else if (!IsOutsidePeriodCell(col, row))
      font->SetColor(paintBuffer_->HolidayFontColor);
    else
      font->SetColor(paintBuffer_->HolidayOutsidePeriodFontColor);
  } else {
    TCustomCalendarViewEh::SetCellFontColor(col, row, selected);
  }
}

void TDaysCalendarViewEh::DrawCellContent(Integer col, Integer row, TGridDrawState state, const TRect& rect) {
  if (row == 0)
    DrawWeekDayTitleCell(col, rect);
  else if (col == 0)
    DrawWeekNoCell(row, rect);
  else
    DrawDayCell(col, row, state, rect);
}

void TDaysCalendarViewEh::DrawDayCell(Integer col, Integer row, TGridDrawState state, const TRect& rect) {
  DrawDataCell(col, row, state, rect);
}

void TDaysCalendarViewEh::DrawWeekDayTitleCell(Integer col, const TRect& rect) {
  TCanvas* c = GetCanvas();
  c->GetBrush()->SetColor(paintBuffer_->NormalCellBrushColor);
  c->FillRect(rect);
  if (col == 0) return;
  const Integer cut = static_cast<Integer>(Round(rect.Width() * 0.15));
  Integer left = rect.Left, right = rect.Right;
  if (col == 1) left += cut;
  if (col == 7) right -= cut;
  c->GetPen()->SetColor(paintBuffer_->InsideHorzFrameColor);
  c->MoveTo(left, rect.Bottom - 2);
  c->LineTo(right, rect.Bottom - 2);
  Integer a = col + firstWeekDayNum_ + 1;
  if (a > 7) a -= 7;
  c->GetFont()->Assign(GetFont());
  c->GetFont()->SetColor(paintBuffer_->NormalCellFontColor);
  // The day table starts with Sunday; the manager's working days start with Monday.
  const Integer weekDay = (a + 5) % 7;
  if (GetGridLibManager()->GetDateTimeCalendarPickerHighlightHolidays() &&
      !GetGridLibManager()->GetWeekWorkingDays().Contains(static_cast<TWeekDayEh>(weekDay)))
    c->GetFont()->SetColor(paintBuffer_->HolidayFontColor);
  c->GetBrush()->SetStyle(bsClear);
  DrawCellTextEh(c, rect, false, 0, 0, FormatSettings.ShortDayNames[static_cast<size_t>(a - 1)], taCenter,
                 tlCenter, false, false, 0, 0, false, true);
  c->GetBrush()->SetStyle(bsSolid);
}

void TDaysCalendarViewEh::DrawWeekNoCell(Integer row, const TRect& rect) {
  TCanvas* c = GetCanvas();
  c->GetBrush()->SetColor(paintBuffer_->NormalCellBrushColor);
  c->FillRect(rect);
  const Integer cut = static_cast<Integer>(Round(rect.Height() * 0.25));
  Integer top = rect.Top, bottom = rect.Bottom;
  if (row == 1) top += cut;
  if (row == 6) bottom -= cut;
  c->GetPen()->SetColor(paintBuffer_->InsideVertFrameColor);
  c->MoveTo(rect.Right - 2, top);
  c->LineTo(rect.Right - 2, bottom);
  const TDateTime first = startDate_ + 7 * (row - 1);
  if (first >= MaxDateTime + 1) return;
  c->GetFont()->Assign(GetCalendar()->GetPaintBuffer()->CalendarWeekNoFont.get());
  c->GetFont()->SetColor(paintBuffer_->NormalCellFontColor);
  c->GetBrush()->SetStyle(bsClear);
  DrawCellTextEh(c, rect, false, 0, 0, IntToStr(WeekOfTheYear(first)), taCenter, tlCenter, false, false, 0, 0,
                 false, true);
  c->GetBrush()->SetStyle(bsSolid);
}

void TDaysCalendarViewEh::WndProc(TMessage& message) {
  TCustomCalendarViewEh::WndProc(message);
  if (message.Msg == WM_WININICHANGE || message.Msg == CM_STYLECHANGED) {
    UpdateFirstWeekDay();
    DateTimeChanged();
  }
}
