// The calendar of the grid library: grid views of decades, years, months, days and time units, the
// picker that holds one of them with a caption, period buttons and a "today" line, its drop-down form,
// the replaceable colour policy of all calendars and the animation played while a view changes.
#pragma once

#include <memory>
#include <vector>

#include "gridlib/base/DropDownFormEh.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/grids/GridsEh.h"
#include "platform/controls/ExtCtrls.h"

class TDateTimeCalendarPickerEh;
class TCustomCalendarViewEh;

enum TCalendarViewDrawStateElementEh {
  cvdsSelectedEh,
  cvdsHotTrackEh,
  cvdsPressedEh,
  cvdsNowEh,
  cvdsHolidayEh
};
using TCalendarViewDrawStateEh = TSet<TCalendarViewDrawStateElementEh>;
enum TTimeCalendarViewActiveRegionEh { tcarHoursEh, tcarMinutesEh, tcarSecondsEh, tcarOKButtonEh };
enum TTimeCalendarViewColTypeEh {
  tcvctHourEh,
  tcvctMinuteEh,
  tcvctSecondEh,
  tcvctAmPmEh,
  tcvctColonEh,
  tcvctBlankEh
};
enum TTimeCalendarViewPressedButtonTypeEh {
  tcpbtHoursUpEh,
  tcpbtHoursDownEh,
  tcpbtMinutesUpEh,
  tcpbtMinutesDownEh,
  tcpbtSecondsUpEh,
  tcpbtSecondsDownEh
};
enum TInteractiveInputMethodEh { iimKeyboardEh, iimMouseEh };
enum TDateTimePickCalendarButtonStyleEh { cmpsPriorPeriodEh, cmpsNextPeriodEh };

// Period arithmetic of the calendar. Years and months clamp the day to the target month and keep the
// time; every step answers the value unchanged when the result would leave the date range.
TDateTime CalendarIncMonthsEh(TDateTime value, Integer months);
TDateTime CalendarIncSecondsEh(TDateTime value, Int64 seconds);
// Moves the minute (or second) to the nearest multiple of five; 60 carries into the next hour (minute).
TDateTime SnapMinuteToFiveEh(TDateTime value);
TDateTime SnapSecondToFiveEh(TDateTime value);

// The screen's measuring canvas with the font: controls measure text before and between paints.
TCanvas* CalendarMeasureCanvasEh(TFont* font);

// ---- Draw style ----

class TDateTimeCalendarPickerDrawStyleEh : public TObject {
  KIV_CLASS(TDateTimeCalendarPickerDrawStyleEh, TObject)
 public:
  TDateTimeCalendarPickerDrawStyleEh() = default;

  TColor GetHolidayBaseFontColorValue() { return GetHolidayBaseFontColor(); }
  void SetHolidayBaseFontColor(TColor value);

  virtual TColor GetHolidayBaseFontColor() { return holidayBaseFontColor_; }
  virtual TColor GetHolidayFontColor();
  virtual TColor GetHolidayOutsidePeriodFontColor();
  virtual TColor GetHolidaySelectedFontColor();
  virtual TColor GetHotTrackCellBrushColor();
  virtual TColor GetHotTrackCellFontColor();
  virtual TColor GetInsideHorzFrameColor();
  virtual TColor GetInsideVertFrameColor();
  virtual TColor GetNormalCellBrushColor();
  virtual TColor GetNormalCellFontColor();
  virtual TColor GetOutsidePeriodCellFontColor();
  virtual TColor GetSelectedCellBrushColor();
  virtual TColor GetSelectedCellFontColor();
  virtual TColor GetTodayCellFrameColor();
  virtual bool CanDrawSelectionByStyle();
  virtual void DrawCalendarViewCellBackgraund(TCustomCalendarViewEh* calendarView, TCanvas* canvas,
                                              const TRect& rect, TCalendarViewDrawStateEh state);
  virtual void SetCalendarFontData(TDateTimeCalendarPickerEh* calendar, TFont* masterFont,
                                   TFont* calendarFont);
  virtual void SetCalendarWeekNoFontData(TDateTimeCalendarPickerEh* calendar, TFont* calendarFont,
                                         TFont* calendarWeekNoFont);

 private:
  TColor holidayBaseFontColor_ = clDefault;
  TColor hotTrackCellBrushColor_ = clNone;
  TColor hotTrackCellBrushColor1_ = clNone;
  TColor hotTrackCellBrushColor2_ = clNone;
};

TDateTimeCalendarPickerDrawStyleEh* DateTimeCalendarPickerDrawStyleEh();
// Installs another style and answers the previous one, which the caller owns from then on.
TDateTimeCalendarPickerDrawStyleEh* SetDateTimeCalendarPickerDrawStyleEh(
    TDateTimeCalendarPickerDrawStyleEh* style);

// ---- View-change animation ----

enum TImageTransformStyleEh {
  itsTransparentTransformEh,
  itsLeftToRightTransformEh,
  itsRightToLeftTransformEh,
  itsZoomInTransformEh,
  itsZoomOutTransformEh
};

class TImageTransformatorEh : public TCustomControlEh {
  KIV_CLASS(TImageTransformatorEh, TCustomControlEh)
 public:
  explicit TImageTransformatorEh(TComponent* owner);
  ~TImageTransformatorEh() override;

  TBitmap* GetBitmap1() const { return bitmap1_.get(); }
  TBitmap* GetBitmap2() const { return bitmap2_.get(); }
  TBitmap* GetResultBitmap() const { return resultBitmap_.get(); }
  Integer GetTransformTime() const { return transformTime_; }
  void SetTransformTime(Integer value) { transformTime_ = value; }
  TImageTransformStyleEh GetTransformStyle() const { return transformStyle_; }
  void SetTransformStyle(TImageTransformStyleEh value) { transformStyle_ = value; }
  TRect GetZoomWinRect() const { return zoomWinRect_; }
  void SetZoomWinRect(const TRect& value) { zoomWinRect_ = value; }

  void Reset(TWinControl* control1, TWinControl* control2);
  // Plays the animation; answers the number of frames drawn.
  Integer AnimatedTransform();
  // One frame at t of the transform time, into the result picture.
  void DrawFrame(Integer t);

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TBitmap> bitmap1_;
  Integer bitmap1Transparency_ = 0;
  std::unique_ptr<TBitmap> bitmap2_;
  Integer bitmap2Transparency_ = 255;
  std::unique_ptr<TBitmap> resultBitmap_;
  TImageTransformStyleEh transformStyle_ = itsTransparentTransformEh;
  Integer transformTime_ = 1000;
  TRect zoomWinRect_;
};

// ---- Views ----

class TCustomCalendarViewPaintBufferEh : public TPersistent {
  KIV_CLASS(TCustomCalendarViewPaintBufferEh, TPersistent)
 public:
  TColor HolidayFontColor = clRed, HolidayOutsidePeriodFontColor = clRed, HolidaySelectedFontColor = clRed,
         HotTrackCellBrushColor = clWindow, HotTrackCellFontColor = clWindowText,
         InsideHorzFrameColor = clBtnFace, InsideVertFrameColor = clBtnFace, NormalCellBrushColor = clWindow,
         NormalCellFontColor = clWindowText, OutsidePeriodCellFontColor = clGrayText,
         SelectedCellBrushColor = clHighlight, SelectedCellFontColor = clHighlightText,
         TodayCellFrameColor = clHighlight;
};

class TCustomCalendarViewEh : public TCustomGridEh {
  KIV_CLASS(TCustomCalendarViewEh, TCustomGridEh)
 public:
  explicit TCustomCalendarViewEh(TDateTimeCalendarPickerEh* calendar);
  ~TCustomCalendarViewEh() override;

  TDateTimeCalendarPickerEh* GetCalendar() const { return calendar_; }
  TDateTime GetDateTime() const { return date_; }
  void SetDateTime(TDateTime value);
  bool GetSelectNextViewOnClick() const { return selectNextViewOnClick_; }
  void SetSelectNextViewOnClick(bool value) { selectNextViewOnClick_ = value; }
  TCustomCalendarViewPaintBufferEh* GetPaintBuffer() const { return paintBuffer_.get(); }

  virtual bool ZoomView(bool zoomIn, bool animated);
  virtual void UpdateCellSizes();
  virtual void GetRecommendedSize(Integer& width, Integer& height);
  virtual void DateTimeChanged();
  virtual void UpdatePaintBuffer();
  virtual void SetCellCanvasColors(bool hotTrack, bool selected);
  virtual void StepHorz(bool forward);
  virtual void StepVert(bool forward);
  virtual void DateTimeSelected();
  virtual bool DateInViewRange(TDateTime dateTime);
  virtual String GetDateInfoText();
  virtual TDateTime GetNextPeriodDate(TDateTime dateTime, bool moveForward);
  virtual bool ShowTodayInfo() { return true; }
  virtual bool TryDateFromCell(TGridCoord cell, TDateTime& dateTime);

  void UpdateMousePos();
  // The picker forwards its keys here.
  void KeyDown(Word& key, TShiftState shift) override;
  bool CanFocus() const override { return false; }
  // The rectangle of the cell that shows the current value.
  TRect CurrentCellRect();

 protected:
  void Paint() override;
  void Resize() override;
  bool IsHotTrackCell(Integer, Integer) override { return true; }
  void CellMouseDown(TGridCoord cell, TMouseButton button, TShiftState shift, const TRect& cellRect,
                     TPoint gridMousePos, TPoint cellMousePos) override;
  void CellMouseClick(TGridCoord cell, TMouseButton button, TShiftState shift, const TRect& cellRect,
                      TPoint gridMousePos, TPoint cellMousePos) override;
  void DrawCellContent(Integer col, Integer row, TGridDrawState state, const TRect& rect) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  bool DoMouseWheelDown(TShiftState, TPoint) override { return false; }
  bool DoMouseWheelUp(TShiftState, TPoint) override { return false; }
  void WndProc(TMessage& message) override;

  // The data cells of a view: their text, whether they show the current value, and whether they lie
  // outside the period the view shows.
  virtual String CellText(Integer col, Integer row);
  virtual bool IsSelectedCell(Integer col, Integer row);
  virtual bool IsOutsidePeriodCell(Integer, Integer) { return false; }
  virtual bool IsTodayCell(Integer, Integer) { return false; }
  virtual void SetCellFontColor(Integer col, Integer row, bool selected);
  void DrawDataCell(Integer col, Integer row, TGridDrawState state, const TRect& rect);
  bool HotTrackByMouse(TGridDrawState state) const;
  // Moves the picker's date-time through its sliding setter.
  void MoveDateTime(TDateTime value);
  // The view's value for the cell: the cell that TryDateFromCell would give, where it exists.
  TGridCoord CellOfDate();

  TDateTime date_ = 0;
  bool selectNextViewOnClick_ = true;
  std::unique_ptr<TCustomCalendarViewPaintBufferEh> paintBuffer_;
  TPoint mousePos_{-1, -1};

 private:
  TDateTimeCalendarPickerEh* calendar_;
};

class TDecadesCalendarViewEh : public TCustomCalendarViewEh {
  KIV_CLASS(TDecadesCalendarViewEh, TCustomCalendarViewEh)
 public:
  explicit TDecadesCalendarViewEh(TDateTimeCalendarPickerEh* calendar);
  void StepHorz(bool forward) override;
  void StepVert(bool forward) override;
  bool DateInViewRange(TDateTime dateTime) override;
  String GetDateInfoText() override;
  TDateTime GetNextPeriodDate(TDateTime dateTime, bool moveForward) override;
  bool TryDateFromCell(TGridCoord cell, TDateTime& dateTime) override;

 protected:
  String CellText(Integer col, Integer row) override;
  bool IsSelectedCell(Integer col, Integer row) override;
  bool IsOutsidePeriodCell(Integer col, Integer row) override;
  Integer CellDecade(Integer col, Integer row) const;
};

class TYearsCalendarViewEh : public TCustomCalendarViewEh {
  KIV_CLASS(TYearsCalendarViewEh, TCustomCalendarViewEh)
 public:
  explicit TYearsCalendarViewEh(TDateTimeCalendarPickerEh* calendar);
  void StepHorz(bool forward) override;
  void StepVert(bool forward) override;
  bool DateInViewRange(TDateTime dateTime) override;
  String GetDateInfoText() override;
  TDateTime GetNextPeriodDate(TDateTime dateTime, bool moveForward) override;
  bool TryDateFromCell(TGridCoord cell, TDateTime& dateTime) override;

 protected:
  String CellText(Integer col, Integer row) override;
  bool IsSelectedCell(Integer col, Integer row) override;
  bool IsOutsidePeriodCell(Integer col, Integer row) override;
  Integer CellYear(Integer col, Integer row) const;
};

class TMonthsCalendarViewEh : public TCustomCalendarViewEh {
  KIV_CLASS(TMonthsCalendarViewEh, TCustomCalendarViewEh)
 public:
  explicit TMonthsCalendarViewEh(TDateTimeCalendarPickerEh* calendar);
  void StepHorz(bool forward) override;
  void StepVert(bool forward) override;
  bool DateInViewRange(TDateTime dateTime) override;
  String GetDateInfoText() override;
  TDateTime GetNextPeriodDate(TDateTime dateTime, bool moveForward) override;
  bool TryDateFromCell(TGridCoord cell, TDateTime& dateTime) override;

 protected:
  String CellText(Integer col, Integer row) override;
  bool IsSelectedCell(Integer col, Integer row) override;
};

class TDaysCalendarViewDayInfoItem : public TPersistent {
  KIV_CLASS(TDaysCalendarViewDayInfoItem, TPersistent)
 public:
  bool GetIsHoliday() const { return isHoliday_; }
  void SetIsHoliday(bool value) { isHoliday_ = value; }

 private:
  bool isHoliday_ = false;
};

class TDaysCalendarViewEh : public TCustomCalendarViewEh {
  KIV_CLASS(TDaysCalendarViewEh, TCustomCalendarViewEh)
 public:
  explicit TDaysCalendarViewEh(TDateTimeCalendarPickerEh* calendar);
  ~TDaysCalendarViewEh() override;

  TDateTime GetStartDate() const { return startDate_; }
  Integer GetFirstWeekDayNum() const { return firstWeekDayNum_; }
  TDaysCalendarViewDayInfoItem* GetDayInfo(Integer index) const;

  void UpdateCellSizes() override;
  void GetRecommendedSize(Integer& width, Integer& height) override;
  void DateTimeChanged() override;
  void StepHorz(bool forward) override;
  void StepVert(bool forward) override;
  bool DateInViewRange(TDateTime dateTime) override;
  String GetDateInfoText() override;
  TDateTime GetNextPeriodDate(TDateTime dateTime, bool moveForward) override;
  bool TryDateFromCell(TGridCoord cell, TDateTime& dateTime) override;

  virtual TDaysCalendarViewDayInfoItem* CreateDayInfoItem();
  virtual void DrawDayCell(Integer col, Integer row, TGridDrawState state, const TRect& rect);
  virtual void DrawWeekDayTitleCell(Integer col, const TRect& rect);
  virtual void DrawWeekNoCell(Integer row, const TRect& rect);
  TDateTime CalcStartDate(TDateTime date);
  void UpdateDatesInfo();
  void UpdateFirstWeekDay();

 protected:
  void DrawCellContent(Integer col, Integer row, TGridDrawState state, const TRect& rect) override;
  String CellText(Integer col, Integer row) override;
  bool IsSelectedCell(Integer col, Integer row) override;
  bool IsOutsidePeriodCell(Integer col, Integer row) override;
  bool IsTodayCell(Integer col, Integer row) override;
  void SetCellFontColor(Integer col, Integer row, bool selected) override;
  void WndProc(TMessage& message) override;
  TDateTime CellDate(Integer col, Integer row) const { return startDate_ + 7 * row + col - 8; }

 private:
  std::unique_ptr<TObjectListEh> datesInfoList_;
  Integer firstWeekDayNum_ = 0;
  TDateTime startDate_ = 0;
};

class TTimeUnitCalendarViewEh : public TCustomCalendarViewEh {
  KIV_CLASS(TTimeUnitCalendarViewEh, TCustomCalendarViewEh)
 public:
  explicit TTimeUnitCalendarViewEh(TDateTimeCalendarPickerEh* calendar);
  bool ZoomView(bool zoomIn, bool animated) override;
  bool ShowTodayInfo() override { return false; }
  void KeyDown(Word& key, TShiftState shift) override;
};

class THours24CalendarViewEh : public TTimeUnitCalendarViewEh {
  KIV_CLASS(THours24CalendarViewEh, TTimeUnitCalendarViewEh)
 public:
  explicit THours24CalendarViewEh(TDateTimeCalendarPickerEh* calendar);
  void StepHorz(bool forward) override;
  void StepVert(bool forward) override;
  bool DateInViewRange(TDateTime dateTime) override;
  String GetDateInfoText() override;
  TDateTime GetNextPeriodDate(TDateTime dateTime, bool moveForward) override;
  bool TryDateFromCell(TGridCoord cell, TDateTime& dateTime) override;

 protected:
  void CellMouseClick(TGridCoord cell, TMouseButton button, TShiftState shift, const TRect& cellRect,
                      TPoint gridMousePos, TPoint cellMousePos) override;
  String CellText(Integer col, Integer row) override;
  bool IsSelectedCell(Integer col, Integer row) override;
  virtual Integer CellHour(Integer col, Integer row) const { return 8 * row + col; }
};

class THours12CalendarViewEh : public THours24CalendarViewEh {
  KIV_CLASS(THours12CalendarViewEh, THours24CalendarViewEh)
 public:
  explicit THours12CalendarViewEh(TDateTimeCalendarPickerEh* calendar);
  void StepVert(bool forward) override;
  bool TryDateFromCell(TGridCoord cell, TDateTime& dateTime) override;

 protected:
  void Paint() override;
  void CellMouseClick(TGridCoord cell, TMouseButton button, TShiftState shift, const TRect& cellRect,
                      TPoint gridMousePos, TPoint cellMousePos) override;
  void DrawCellContent(Integer col, Integer row, TGridDrawState state, const TRect& rect) override;
  String CellText(Integer col, Integer row) override;
  Integer CellHour(Integer col, Integer row) const override;

 private:
  bool row0Drawn_ = false;
  bool row3Drawn_ = false;
};

class TMinutesCalendarViewEh : public TTimeUnitCalendarViewEh {
  KIV_CLASS(TMinutesCalendarViewEh, TTimeUnitCalendarViewEh)
 public:
  explicit TMinutesCalendarViewEh(TDateTimeCalendarPickerEh* calendar);
  void StepHorz(bool forward) override;
  void StepVert(bool forward) override;
  bool DateInViewRange(TDateTime dateTime) override;
  String GetDateInfoText() override;
  TDateTime GetNextPeriodDate(TDateTime dateTime, bool moveForward) override;
  bool TryDateFromCell(TGridCoord cell, TDateTime& dateTime) override;

 protected:
  void CellMouseClick(TGridCoord cell, TMouseButton button, TShiftState shift, const TRect& cellRect,
                      TPoint gridMousePos, TPoint cellMousePos) override;
  String CellText(Integer col, Integer row) override;
  bool IsSelectedCell(Integer col, Integer row) override;
  virtual Word UnitOf(TDateTime value) const;
  virtual TDateTime Snapped(TDateTime value) const { return SnapMinuteToFiveEh(value); }
  virtual Int64 UnitSeconds() const { return 60; }
};

class TSecondsCalendarViewEh : public TMinutesCalendarViewEh {
  KIV_CLASS(TSecondsCalendarViewEh, TMinutesCalendarViewEh)
 public:
  explicit TSecondsCalendarViewEh(TDateTimeCalendarPickerEh* calendar);
  bool DateInViewRange(TDateTime dateTime) override;
  String GetDateInfoText() override;
  TDateTime GetNextPeriodDate(TDateTime dateTime, bool moveForward) override;
  bool TryDateFromCell(TGridCoord cell, TDateTime& dateTime) override;

 protected:
  void CellMouseClick(TGridCoord cell, TMouseButton button, TShiftState shift, const TRect& cellRect,
                      TPoint gridMousePos, TPoint cellMousePos) override;
  Word UnitOf(TDateTime value) const override;
  TDateTime Snapped(TDateTime value) const override { return SnapSecondToFiveEh(value); }
  Int64 UnitSeconds() const override { return 1; }
};

class TTimeCalendarViewEh : public TCustomCalendarViewEh {
  KIV_CLASS(TTimeCalendarViewEh, TCustomCalendarViewEh)
 public:
  explicit TTimeCalendarViewEh(TDateTimeCalendarPickerEh* calendar);
  ~TTimeCalendarViewEh() override;

  TTimeCalendarViewActiveRegionEh GetActiveRegion() const { return activeRegion_; }
  const std::vector<TTimeCalendarViewColTypeEh>& GetColTypes() const { return colTypes_; }
  const std::vector<TTimeCalendarViewActiveRegionEh>& GetVisibleRegions() const { return visibleRegions_; }
  Integer GetOkButtonCol() const { return okButtonCol_; }
  THoursTimeFormatEh GetHoursFormat() const { return hoursFormat_; }
  // Tests and a locale change set the clock.
  void SetHoursFormat(THoursTimeFormatEh value);
  TTimer* GetTimer() const { return timer_; }

  void UpdateCellSizes() override;
  bool ShowTodayInfo() override { return false; }
  String GetDateInfoText() override;
  TDateTime GetNextPeriodDate(TDateTime dateTime, bool moveForward) override;
  void KeyDown(Word& key, TShiftState shift) override;

  virtual bool MouseWheelStep(TShiftState shift, TPoint mousePos, bool up);
  virtual void HoursRegionAction(Integer action);
  virtual void MinutesRegionAction(Integer action);
  virtual void OkRegionAction(Integer action);
  virtual void StartButtonRepeat(TGridCoord cell, TTimeCalendarViewPressedButtonTypeEh buttonType);
  virtual void SecondsRegionAction(Integer action);
  virtual void SelectNextRegion(bool forward);
  virtual void RepeatTimerFired(TObject* sender);

  bool AmPm12() const { return hoursFormat_ == htfAmPm12hEh; }
  void IncrementHour(Integer n);
  void IncrementMinute(Integer n);
  void IncrementSecond(Integer n);
  void ResetGrid();
  void ResetRegion();
  void SetActiveRegion(TTimeCalendarViewActiveRegionEh value);

 protected:
  void CellMouseDown(TGridCoord cell, TMouseButton button, TShiftState shift, const TRect& cellRect,
                     TPoint gridMousePos, TPoint cellMousePos) override;
  void CellMouseClick(TGridCoord cell, TMouseButton button, TShiftState shift, const TRect& cellRect,
                      TPoint gridMousePos, TPoint cellMousePos) override;
  void DrawCellContent(Integer col, Integer row, TGridDrawState state, const TRect& rect) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
  void WndProc(TMessage& message) override;

 private:
  void RegionAction(TTimeCalendarViewActiveRegionEh region, Integer action);
  void ReadLocaleClock();
  void StepUnit(TTimeCalendarViewPressedButtonTypeEh button);
  bool IsUnitCol(Integer col) const;

  TTimeCalendarViewActiveRegionEh activeRegion_ = tcarHoursEh;
  TAmPmPosEh amPmPos_ = appAmPmSuffixEh;
  std::vector<TTimeCalendarViewColTypeEh> colTypes_;
  THoursTimeFormatEh hoursFormat_ = htf24hEh;
  Integer okButtonCol_ = 5;
  TTimeCalendarViewPressedButtonTypeEh pressedButtonType_ = tcpbtHoursUpEh;
  TGridCoord pressedCell_{-1, -1};
  TTimer* timer_ = nullptr;
  std::vector<TTimeCalendarViewActiveRegionEh> visibleRegions_;
};

// ---- Picker ----

class TDateTimePickCalendarPaintBufferEh : public TPersistent {
  KIV_CLASS(TDateTimePickCalendarPaintBufferEh, TPersistent)
 public:
  TDateTimePickCalendarPaintBufferEh();
  ~TDateTimePickCalendarPaintBufferEh() override;
  std::unique_ptr<TFont> CalendarWeekNoFont;
  TColor HolidayFontColor = clRed, HolidayOutsidePeriodFontColor = clRed, HolidaySelectedFontColor = clRed,
         HotTrackCellBrushColor = clWindow, HotTrackCellFontColor = clWindowText,
         InsideHorzFrameColor = clBtnFace, InsideVertFrameColor = clBtnFace, NormalCellBrushColor = clWindow,
         NormalCellFontColor = clWindowText, OutsidePeriod = clGrayText, SelectedCellBrushColor = clHighlight,
         SelectedCellFontColor = clHighlightText, TodayCellFrameColor = clHighlight;
};

// The period buttons and the two lines of the picker.
class TDateTimePickCalendarButtonEh : public TSpeedButtonEh {
  KIV_CLASS(TDateTimePickCalendarButtonEh, TSpeedButtonEh)
 public:
  TDateTimePickCalendarButtonEh(TDateTimeCalendarPickerEh* picker, TDateTimePickCalendarButtonStyleEh style);
  TDateTimeCalendarPickerEh* GetPickCalendar() const { return picker_; }
  TDateTimePickCalendarButtonStyleEh GetStyle() const { return style_; }

 protected:
  void Paint() override;
  TDateTimeCalendarPickerEh* picker_;

 private:
  TDateTimePickCalendarButtonStyleEh style_;
};

class TDateTimePickCalendarDateInfoLabelEh : public TSpeedButtonEh {
  KIV_CLASS(TDateTimePickCalendarDateInfoLabelEh, TSpeedButtonEh)
 public:
  explicit TDateTimePickCalendarDateInfoLabelEh(TDateTimeCalendarPickerEh* picker);
  TDateTimeCalendarPickerEh* GetPickCalendar() const { return picker_; }

 protected:
  void Paint() override;

 private:
  TDateTimeCalendarPickerEh* picker_;
};

class TDateTimePickCalendarTodayInfoLabelEh : public TSpeedButtonEh {
  KIV_CLASS(TDateTimePickCalendarTodayInfoLabelEh, TSpeedButtonEh)
 public:
  explicit TDateTimePickCalendarTodayInfoLabelEh(TDateTimeCalendarPickerEh* picker);
  TDateTimeCalendarPickerEh* GetPickCalendar() const { return picker_; }
  String GetTodayText() const;

 protected:
  void Paint() override;

 private:
  TDateTimeCalendarPickerEh* picker_;
};

class TDateTimeCalendarPickerEh : public TCustomControlEh {
  KIV_CLASS(TDateTimeCalendarPickerEh, TCustomControlEh)
 public:
  // Durations of the animations, in milliseconds.
  static constexpr Integer ZoomTime = 300;
  static constexpr Integer SlideTime = 250;

  explicit TDateTimeCalendarPickerEh(TComponent* owner);
  ~TDateTimeCalendarPickerEh() override;

  TCustomCalendarViewEh* GetCurrentCalendarView() const { return currentCalendarView_; }
  TDateTime GetDateTime() const { return dateTime_; }
  void SetDateTime(TDateTime value);
  void SetDateTimeAnimated(TDateTime value);
  TCalendarDateTimeUnitsEh GetTimeUnits() const { return timeUnits_; }
  void SetTimeUnits(TCalendarDateTimeUnitsEh value);
  TInteractiveInputMethodEh GetInputMethod() const { return inputMethod_; }
  void SetInputMethod(TInteractiveInputMethodEh value);
  TDateTimePickCalendarPaintBufferEh* GetPaintBuffer() const { return paintBuffer_.get(); }
  const std::vector<TCustomCalendarViewEh*>& GetCalendarViewList() const { return calendarViewList_; }
  TDaysCalendarViewEh* GetDaysView() const { return daysView_; }
  TDecadesCalendarViewEh* GetDecadesView() const { return decadesView_; }
  TYearsCalendarViewEh* GetYearsView() const { return yearsView_; }
  TMonthsCalendarViewEh* GetMonthsView() const { return monthsView_; }
  THours24CalendarViewEh* GetHours24View() const { return hours24View_; }
  THours12CalendarViewEh* GetHours12View() const { return hours12View_; }
  TMinutesCalendarViewEh* GetMinutesView() const { return minutesView_; }
  TSecondsCalendarViewEh* GetSecondsView() const { return secondsView_; }
  TTimeCalendarViewEh* GetTimeView() const { return timeView_; }
  TImageTransformatorEh* GetImageTrans() const { return imageTrans_; }
  TDateTimePickCalendarButtonEh* GetPriorPeriodButton() const { return priorPeriodButton_; }
  TDateTimePickCalendarButtonEh* GetNextPeriodButton() const { return nextPeriodButton_; }
  TDateTimePickCalendarDateInfoLabelEh* GetDateInfo() const { return dateInfo_; }
  TDateTimePickCalendarTodayInfoLabelEh* GetTodayInfo() const { return todayInfo_; }

  void ResetStartCalendarView();
  void RecomndedSize(Integer&, Integer&) {}

  virtual TDaysCalendarViewDayInfoItem* CreateDayInfoItem();
  virtual TFont* GetMasterFont() { return GetFont(); }
  virtual void AnimateHeight(Integer value);
  virtual void UpdateTodayInfo();
  virtual void InfoLabelClick(TObject* sender, bool topButton, bool& autoRepeat, bool& handled);
  virtual void CalcRecommendedSize(Integer& width, Integer& height);
  virtual void PeriodButtonDown(TObject* sender, bool topButton, bool& autoRepeat, bool& handled);
  // Reason 7: the user confirmed the value.
  virtual void UserInputDone(Integer reason);
  virtual void UpdatePaintBuffer();
  virtual void ShowCalendarView(TCustomCalendarViewEh* view, bool zoomIn, bool animated);
  virtual void NextPeriod(bool animated);
  virtual void PriorPeriod(bool animated);
  virtual void UpdateCalendarViewList();
  virtual void DoDateTimeSelected();
  virtual void FillDayInfo(TDaysCalendarViewDayInfoItem* item, TDateTime date);

  // Applies the calendar font from the master font.
  void ApplyCalendarFont();
  void KeyDown(Word& key, TShiftState shift) override;
  bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;

  TNotifyEvent OnDateTimeSelected;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void Resize() override;
  void WndProc(TMessage& message) override;

 private:
  bool WheelStep(TShiftState shift, bool down);
  std::vector<TCustomCalendarViewEh*> AllViews() const;

  std::vector<TCustomCalendarViewEh*> calendarViewList_;
  TCustomCalendarViewEh* currentCalendarView_ = nullptr;
  TDateTimePickCalendarDateInfoLabelEh* dateInfo_ = nullptr;
  TDateTime dateTime_ = 0;
  TDaysCalendarViewEh* daysView_ = nullptr;
  TDecadesCalendarViewEh* decadesView_ = nullptr;
  THours12CalendarViewEh* hours12View_ = nullptr;
  THours24CalendarViewEh* hours24View_ = nullptr;
  TImageTransformatorEh* imageTrans_ = nullptr;
  TInteractiveInputMethodEh inputMethod_ = iimKeyboardEh;
  bool internalFontSet_ = false;
  TMinutesCalendarViewEh* minutesView_ = nullptr;
  TMonthsCalendarViewEh* monthsView_ = nullptr;
  TDateTimePickCalendarButtonEh* nextPeriodButton_ = nullptr;
  std::unique_ptr<TDateTimePickCalendarPaintBufferEh> paintBuffer_;
  TDateTimePickCalendarButtonEh* priorPeriodButton_ = nullptr;
  TSecondsCalendarViewEh* secondsView_ = nullptr;
  TCalendarDateTimeUnitsEh timeUnits_{cdtuYearEh, cdtuMonthEh, cdtuDayEh};
  TTimeCalendarViewEh* timeView_ = nullptr;
  TDateTimePickCalendarTodayInfoLabelEh* todayInfo_ = nullptr;
  TYearsCalendarViewEh* yearsView_ = nullptr;
  TPoint mousePos_{-1, -1};
};

// ---- Popup form ----

class TPopupDateTimeCalendarFormEh : public TCustomDropDownFormEh, public IPopupDateTimePickerEh {
  KIV_CLASS(TPopupDateTimeCalendarFormEh, TCustomDropDownFormEh)
 public:
  explicit TPopupDateTimeCalendarFormEh(TComponent* owner);
  ~TPopupDateTimeCalendarFormEh() override;

  TDateTimeCalendarPickerEh* GetCalendar() const { return calendar_; }
  void UpdateSize() override;

  // IPopupDateTimePickerEh
  TDateTime GetDateTime() override { return calendar_->GetDateTime(); }
  TCalendarDateTimeUnitsEh GetTimeUnits() override { return calendar_->GetTimeUnits(); }
  bool CanDropDown() override { return true; }
  bool WantFocus() override { return true; }
  void CloseUp(bool accept) override;
  void SetTimeUnits(TCalendarDateTimeUnitsEh units) override { calendar_->SetTimeUnits(units); }
  void SetFont(TFont* font, bool flag) override;
  void DropDown(TPoint position, TCloseUpCallbackEh closeCallback, TDateTime dateTime) override;
  void SetDateTime(TDateTime value) { calendar_->SetDateTime(value); }

 protected:
  void KeyDown(Word& key, TShiftState shift) override;

 private:
  void CalendarDateTimeSelected(TObject* sender);

  TDateTimeCalendarPickerEh* calendar_ = nullptr;
};

// Creates the process-wide draw style, registers the popup form and names it the library manager's
// popup date-time picker; idempotent. The program calls it at start-up, tests in their set-up.
void InitializeDateTimeCalendarPickersEh();
