// The calendar picker driven by keys and clicks as a user drives it: dates around month, year and
// leap-year edges, the views' cells, the popup that hands its value over only when accepted, and the
// draw style's colours and fonts.
#include <gtest/gtest.h>

#include <memory>

#include "gridlib/base/DateTimeCalendarPickersEh.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"

namespace {

TDateTime At(Word y, Word m, Word d, Word h = 0, Word n = 0, Word s = 0) {
  return EncodeDateTime(y, m, d, h, n, s, 0);
}

std::string Text(TDateTime value) { return StringToUtf8(FormatDateTime(u"dd.mm.yyyy hh:nn:ss", value)); }

class PickerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    InitializeDateTimeCalendarPickersEh();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 400, 360);
    picker_ = new TDateTimeCalendarPickerEh(form_.get());
    picker_->SetParent(form_.get());
    picker_->OnDateTimeSelected = TNotifyEvent([this](TObject*) { ++selected_; });
    form_->Show();
    ProcessPendingEvents();
  }
  // An exception in an event shows a box; none may come up.
  void TearDown() override {
    for (const TDialogRequest& r : dialogs_.Requests()) ADD_FAILURE() << StringToUtf8(r.Text);
  }

  // Shows the view without animation, as a start state of a case.
  void StartIn(TCustomCalendarViewEh* view, TDateTime value) {
    picker_->SetDateTime(value);
    picker_->ShowCalendarView(view, true, false);
    ProcessPendingEvents();
  }

  void Keys(std::initializer_list<Word> keys) {
    for (Word key : keys) SendKey(picker_, key);
    ProcessPendingEvents();
  }

  TPoint CellCenter(TCustomCalendarViewEh* view, Integer col, Integer row) {
    const TRect r = view->CellRect(col, row);
    return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }

  TDialogRecorder dialogs_{TDialogAnswer::Button(1)};
  std::unique_ptr<TForm> form_;
  TDateTimeCalendarPickerEh* picker_ = nullptr;
  Integer selected_ = 0;
};

TEST(CalendarArithmeticTest, MonthStepsClampAndMinuteSnapsCarryInsteadOfFailing) {
  struct Case {
    TDateTime value;
    TDateTime expected;
    TDateTime actual;
  } cases[] = {
      {At(2023, 1, 31, 9, 30), At(2023, 2, 28, 9, 30), CalendarIncMonthsEh(At(2023, 1, 31, 9, 30), 1)},
      {At(2024, 1, 31), At(2024, 2, 29), CalendarIncMonthsEh(At(2024, 1, 31), 1)},
      {At(2024, 2, 29), At(2025, 2, 28), CalendarIncMonthsEh(At(2024, 2, 29), 12)},
      {At(2024, 3, 31), At(2023, 12, 31), CalendarIncMonthsEh(At(2024, 3, 31), -3)},
      // Past the last day of the date range the value stays.
      {At(9999, 12, 31), At(9999, 12, 31), CalendarIncMonthsEh(At(9999, 12, 31), 1)},
      {At(2023, 12, 31, 23, 59, 59), At(2024, 1, 1), CalendarIncSecondsEh(At(2023, 12, 31, 23, 59, 59), 1)},
      {At(2024, 5, 1, 11, 2), At(2024, 5, 1, 11, 0), SnapMinuteToFiveEh(At(2024, 5, 1, 11, 2))},
      {At(2024, 5, 1, 10, 52), At(2024, 5, 1, 10, 50), SnapMinuteToFiveEh(At(2024, 5, 1, 10, 52))},
      // 58 rounds to 60: the next hour, also across midnight and the year.
      {At(2024, 5, 1, 9, 58), At(2024, 5, 1, 10, 0), SnapMinuteToFiveEh(At(2024, 5, 1, 9, 58))},
      {At(2023, 12, 31, 23, 59), At(2024, 1, 1), SnapMinuteToFiveEh(At(2023, 12, 31, 23, 59))},
      {At(2024, 5, 1, 9, 58, 59), At(2024, 5, 1, 9, 59, 0), SnapSecondToFiveEh(At(2024, 5, 1, 9, 58, 59))},
  };
  for (const Case& c : cases) EXPECT_EQ(Text(c.actual), Text(c.expected)) << "from " << Text(c.value);
}

TEST_F(PickerTest, KeysMoveTheDateAcrossMonthYearAndLeapYearEdges) {
  struct Case {
    const char* what;
    TCustomCalendarViewEh* view;
    TDateTime start;
    std::vector<Word> keys;
    TDateTime expected;
  } cases[] = {
      {"day after 31 January",
       picker_->GetDaysView(),
       At(2024, 1, 31, 8, 15),
       {VK_RIGHT},
       At(2024, 2, 1, 8, 15)},
      {"week down from 29 February", picker_->GetDaysView(), At(2024, 2, 29), {VK_DOWN}, At(2024, 3, 7)},
      {"back from 1 March of a common year",
       picker_->GetDaysView(),
       At(2023, 3, 1),
       {VK_LEFT},
       At(2023, 2, 28)},
      {"next month from 31 January", picker_->GetDaysView(), At(2023, 1, 31), {VK_NEXT}, At(2023, 2, 28)},
      {"next month from 31 January, leap",
       picker_->GetDaysView(),
       At(2024, 1, 31),
       {VK_NEXT},
       At(2024, 2, 29)},
      {"day after 31 December", picker_->GetDaysView(), At(2023, 12, 31), {VK_RIGHT}, At(2024, 1, 1)},
      {"month right from 31 January", picker_->GetMonthsView(), At(2023, 1, 31), {VK_RIGHT}, At(2023, 2, 28)},
      {"year right from 29 February", picker_->GetYearsView(), At(2024, 2, 29), {VK_RIGHT}, At(2025, 2, 28)},
      {"decade down", picker_->GetDecadesView(), At(1995, 6, 15), {VK_DOWN}, At(2035, 6, 15)},
      {"five seconds after 23:59:59",
       picker_->GetSecondsView(),
       At(2023, 12, 31, 23, 59, 59),
       {VK_RIGHT},
       At(2024, 1, 1, 0, 0, 5)},
      {"minutes 10:57 right",
       picker_->GetMinutesView(),
       At(2024, 5, 1, 10, 57),
       {VK_RIGHT},
       At(2024, 5, 1, 11, 0)},
      {"minutes 10:57 left",
       picker_->GetMinutesView(),
       At(2024, 5, 1, 10, 57),
       {VK_LEFT},
       At(2024, 5, 1, 10, 50)},
      {"minutes 10:03 left",
       picker_->GetMinutesView(),
       At(2024, 5, 1, 10, 3),
       {VK_LEFT},
       At(2024, 5, 1, 10, 0)},
      {"hours right at 23",
       picker_->GetHours24View(),
       At(2023, 12, 31, 23, 10),
       {VK_RIGHT},
       At(2024, 1, 1, 0, 10)},
  };
  for (const Case& c : cases) {
    StartIn(c.view, c.start);
    for (Word key : c.keys) SendKey(picker_, key);
    ProcessPendingEvents();
    EXPECT_EQ(Text(picker_->GetDateTime()), Text(c.expected)) << c.what;
    EXPECT_EQ(picker_->GetCurrentCalendarView(), c.view) << c.what;
  }
  EXPECT_EQ(selected_, 0);
}

TEST_F(PickerTest, TimeViewSpinsWrapInsideTheLargerUnit) {
  picker_->SetTimeUnits(
      TCalendarDateTimeUnitsEh{cdtuYearEh, cdtuMonthEh, cdtuDayEh, cdtuHourEh, cdtuMinuteEh, cdtuSecondEh});
  TTimeCalendarViewEh* time = picker_->GetTimeView();
  StartIn(time, At(2023, 12, 31, 23, 59, 59));
  time->ResetRegion();
  Keys({VK_UP});  // hour 23 + 1 stays on the same date
  EXPECT_EQ(Text(picker_->GetDateTime()), Text(At(2023, 12, 31, 0, 59, 59)));
  Keys({VK_RIGHT, VK_RIGHT, VK_UP});  // second 59 + 1 stays in the same minute
  EXPECT_EQ(Text(picker_->GetDateTime()), Text(At(2023, 12, 31, 0, 59, 0)));
  Keys({VK_LEFT, VK_DOWN, VK_DOWN});
  EXPECT_EQ(Text(picker_->GetDateTime()), Text(At(2023, 12, 31, 0, 57, 0)));
  // Right past the seconds reaches OK, and Enter there confirms.
  Keys({VK_RIGHT, VK_RIGHT});
  EXPECT_EQ(time->GetActiveRegion(), tcarOKButtonEh);
  Keys({VK_RETURN});
  EXPECT_EQ(selected_, 1);
}

TEST_F(PickerTest, TwelveHourClockLaysOutAmPmAndMapsHours) {
  picker_->SetTimeUnits(
      TCalendarDateTimeUnitsEh{cdtuYearEh, cdtuMonthEh, cdtuDayEh, cdtuHourEh, cdtuMinuteEh, cdtuSecondEh});
  TTimeCalendarViewEh* time = picker_->GetTimeView();
  time->SetHoursFormat(htfAmPm12hEh);
  EXPECT_EQ(time->GetColCount(), 9);
  EXPECT_EQ(time->GetOkButtonCol(), 7);
  THours12CalendarViewEh* hours = picker_->GetHours12View();
  TDateTime d;
  EXPECT_FALSE(hours->TryDateFromCell({2, 0}, d));
  EXPECT_FALSE(hours->TryDateFromCell({2, 3}, d));
  ASSERT_TRUE(hours->TryDateFromCell({0, 4}, d));
  EXPECT_EQ(HourOf(d), 12);
  ASSERT_TRUE(hours->TryDateFromCell({5, 2}, d));
  EXPECT_EQ(HourOf(d), 11);
  StartIn(time, At(2024, 2, 29, 13, 0));
  time->ResetRegion();
  Keys({VK_RETURN});
  EXPECT_EQ(picker_->GetCurrentCalendarView(), hours);
  time->SetHoursFormat(htf24hEh);
  EXPECT_EQ(time->GetColCount(), 7);
}

TEST_F(PickerTest, EnterZoomsInUntilTheDeepestViewAndThenConfirms) {
  StartIn(picker_->GetDecadesView(), At(1995, 2, 28));
  Keys({VK_RETURN});
  EXPECT_EQ(picker_->GetCurrentCalendarView(), picker_->GetYearsView());
  Keys({VK_RETURN, VK_RETURN});
  EXPECT_EQ(picker_->GetCurrentCalendarView(), picker_->GetDaysView());
  EXPECT_EQ(selected_, 0);
  // Without time units the days view is the last one: Enter confirms the day.
  Keys({VK_RETURN});
  EXPECT_EQ(selected_, 1);
  SendKey(picker_, VK_RETURN, TShiftState{ssCtrl});
  EXPECT_EQ(picker_->GetCurrentCalendarView(), picker_->GetMonthsView());
}

TEST_F(PickerTest, ClicksPickCellsAndZoom) {
  // February on 31 January clamps the day; the click zooms into the days.
  StartIn(picker_->GetMonthsView(), At(2023, 1, 31, 12, 0));
  SendClick(picker_->GetMonthsView(), CellCenter(picker_->GetMonthsView(), 1, 0));
  ProcessPendingEvents();
  EXPECT_EQ(Text(picker_->GetDateTime()), Text(At(2023, 2, 28, 12, 0)));
  EXPECT_EQ(picker_->GetCurrentCalendarView(), picker_->GetDaysView());

  // 2023 has no 29 February: the click changes nothing.
  StartIn(picker_->GetYearsView(), At(2024, 2, 29));
  TYearsCalendarViewEh* years = picker_->GetYearsView();
  SendClick(years, CellCenter(years, 0, 1));  // 2020 + 4 - 1 = 2023
  EXPECT_EQ(Text(picker_->GetDateTime()), Text(At(2024, 2, 29)));
  StartIn(years, At(2024, 2, 29));
  SendClick(years, CellCenter(years, 1, 2));  // 2028, a leap year
  EXPECT_EQ(Text(picker_->GetDateTime()), Text(At(2028, 2, 29)));

  // A day click picks and confirms; the fixed row and column pick nothing.
  StartIn(picker_->GetDaysView(), At(2024, 2, 29));
  TDaysCalendarViewEh* days = picker_->GetDaysView();
  SendClick(days, CellCenter(days, 3, 0));
  EXPECT_EQ(selected_, 0);
  SendClick(days, CellCenter(days, 5, 1));  // February 2024 starts on Thursday, the fourth day column
  EXPECT_EQ(Text(picker_->GetDateTime()), Text(At(2024, 2, 2)));
  EXPECT_EQ(selected_, 1);
  // The right button zooms out.
  SendClick(days, CellCenter(days, 5, 1), mbRight);
  EXPECT_EQ(picker_->GetCurrentCalendarView(), picker_->GetMonthsView());
}

TEST_F(PickerTest, ViewsShowTheirPeriodsAndCaptions) {
  picker_->SetDateTime(At(1995, 3, 10));
  TDecadesCalendarViewEh* decades = picker_->GetDecadesView();
  picker_->ShowCalendarView(decades, false, false);
  EXPECT_EQ(decades->GetDateInfoText(), u"1900-1999");
  TDateTime d;
  ASSERT_TRUE(decades->TryDateFromCell({0, 0}, d));
  EXPECT_EQ(YearOf(d), 1895);
  ASSERT_TRUE(decades->TryDateFromCell({3, 2}, d));
  EXPECT_EQ(YearOf(d), 2005);
  picker_->SetDateTime(At(2024, 3, 10));
  TYearsCalendarViewEh* years = picker_->GetYearsView();
  picker_->ShowCalendarView(years, false, false);
  EXPECT_EQ(years->GetDateInfoText(), u"2020-2029");
  ASSERT_TRUE(years->TryDateFromCell({0, 0}, d));
  EXPECT_EQ(YearOf(d), 2019);
  ASSERT_TRUE(years->TryDateFromCell({3, 2}, d));
  EXPECT_EQ(YearOf(d), 2030);
  // Month names come from the format settings.
  picker_->ShowCalendarView(picker_->GetDaysView(), true, false);
  EXPECT_EQ(picker_->GetDaysView()->GetDateInfoText(), u"Март 2024");
  // April 2024 begins on a Monday: with a Monday start the first row starts with it.
  picker_->SetDateTime(At(2024, 4, 15));
  EXPECT_EQ(Text(picker_->GetDaysView()->GetStartDate()), Text(At(2024, 4, 1)));
  EXPECT_FALSE(picker_->GetDaysView()->TryDateFromCell({0, 1}, d));
}

TEST_F(PickerTest, TodayLineMovesToTodayThenConfirms) {
  picker_->SetDateTime(At(2001, 5, 5, 14, 30));
  bool autoRepeat = false, handled = false;
  picker_->InfoLabelClick(picker_->GetTodayInfo(), false, autoRepeat, handled);
  EXPECT_TRUE(SameDate(picker_->GetDateTime(), Date()));
  EXPECT_EQ(HourOf(picker_->GetDateTime()), 14);
  EXPECT_EQ(selected_, 0);
  picker_->InfoLabelClick(picker_->GetTodayInfo(), false, autoRepeat, handled);
  EXPECT_EQ(selected_, 1);
}

TEST_F(PickerTest, TimeOnlyPickerStartsInTheTimeViewWithoutPeriodButtons) {
  picker_->SetTimeUnits(TCalendarDateTimeUnitsEh{cdtuHourEh, cdtuMinuteEh});
  EXPECT_EQ(picker_->GetCurrentCalendarView(), picker_->GetTimeView());
  EXPECT_FALSE(picker_->GetPriorPeriodButton()->GetVisible());
  EXPECT_FALSE(picker_->GetDateInfo()->GetVisible());
  EXPECT_EQ(picker_->GetTimeView()->GetColCount(), 7);
  EXPECT_EQ(picker_->GetTimeView()->GetVisibleRegions().size(), 3u);
}

TEST_F(PickerTest, WheelChangesThePeriodOrTheZoom) {
  StartIn(picker_->GetDaysView(), At(2024, 1, 31));
  const TPoint center(picker_->GetWidth() / 2, picker_->GetHeight() / 2);
  SendWheel(picker_, -120, center);
  ProcessPendingEvents();
  EXPECT_EQ(Text(picker_->GetDateTime()), Text(At(2024, 2, 29)));
  SendWheel(picker_, -120, center, TShiftState{ssCtrl});
  ProcessPendingEvents();
  EXPECT_EQ(picker_->GetCurrentCalendarView(), picker_->GetMonthsView());
}

// A date editor as the popup's caller: the value comes back only on accept.
class PopupPickerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    InitializeDateTimeCalendarPickersEh();
    host_ = std::make_unique<TForm>(nullptr, 0);
    host_->SetBounds(50, 50, 300, 200);
    edit_ = new TEdit(host_.get());
    edit_->SetParent(host_.get());
    edit_->SetBounds(10, 10, 200, 24);
    host_->Show();
    ProcessPendingEvents();
    popup_ = std::make_unique<TPopupDateTimeCalendarFormEh>(edit_);
  }

  void DropDown(TDateTime value) {
    IPopupDateTimePickerEh* picker = popup_.get();
    picker->SetTimeUnits(TCalendarDateTimeUnitsEh{cdtuYearEh, cdtuMonthEh, cdtuDayEh});
    picker->UpdateSize();
    picker->DropDown(
        edit_->ClientToScreen(TPoint(0, edit_->GetHeight())),
        [this, picker](bool accept) {
          ++closed_;
          if (accept) edit_->SetText(FormatDateTime(u"dd.mm.yyyy", picker->GetDateTime()));
        },
        value);
    ProcessPendingEvents();
  }

  std::unique_ptr<TForm> host_;
  TEdit* edit_ = nullptr;
  std::unique_ptr<TPopupDateTimeCalendarFormEh> popup_;
  Integer closed_ = 0;
};

TEST_F(PopupPickerTest, EscapeLeavesTheEditorAndEnterHandsTheDayOver) {
  edit_->SetText(u"31.01.2024");
  DropDown(At(2024, 1, 31));
  ASSERT_TRUE(popup_->GetVisible());
  SendKey(popup_->GetCalendar(), VK_RIGHT);
  SendKey(popup_->GetCalendar(), VK_ESCAPE);
  ProcessPendingEvents();
  EXPECT_FALSE(popup_->GetVisible());
  EXPECT_EQ(closed_, 1);
  EXPECT_EQ(edit_->GetText(), u"31.01.2024");

  DropDown(At(2024, 1, 31));
  SendKey(popup_->GetCalendar(), VK_NEXT);
  EXPECT_EQ(edit_->GetText(), u"31.01.2024");
  SendKey(popup_->GetCalendar(), VK_RETURN);
  ProcessPendingEvents();
  EXPECT_EQ(closed_, 2);
  EXPECT_EQ(edit_->GetText(), u"29.02.2024");
}

TEST_F(PopupPickerTest, CloseUpGivesNoValue) {
  DropDown(At(2024, 2, 29));
  static_cast<IPopupDateTimePickerEh*>(popup_.get())->CloseUp(true);
  ProcessPendingEvents();
  EXPECT_EQ(closed_, 1);
  EXPECT_EQ(edit_->GetText(), u"");
}

// The style's answers without the themed selection.
class ClassicDrawStyle : public TDateTimeCalendarPickerDrawStyleEh {
 public:
  bool CanDrawSelectionByStyle() override { return false; }
};

TEST(CalendarDrawStyleTest, HotTrackBrushAndFontSizes) {
  InitTestApplication();
  ClassicDrawStyle style;
  const TColor window = StyleServices()->GetSystemColor(clWindow);
  const TColor highlight = StyleServices()->GetSystemColor(clHighlight);
  const Integer diff = std::abs(ColorLuminanceEh(window) - ColorLuminanceEh(highlight)) * 100 / 255;
  Integer p = diff <= 19 ? 50 : diff <= 25 ? 40 : diff <= 31 ? 30 : 15;
  if (ColorLuminanceEh(window) <= 127) p += 10;
  EXPECT_EQ(style.GetHotTrackCellBrushColor(), MixColorsPercentEh(window, highlight, p));
  EXPECT_EQ(style.GetSelectedCellBrushColor(), clHighlight);

  struct FontCase {
    Integer master, calendar, weekNo;
  } fonts[] = {{9, 10, 8}, {5, 6, 5}, {10, 11, 9}};
  for (const FontCase& f : fonts) {
    TFont master, calendar, weekNo;
    master.SetSize(f.master);
    style.SetCalendarFontData(nullptr, &master, &calendar);
    style.SetCalendarWeekNoFontData(nullptr, &calendar, &weekNo);
    EXPECT_EQ(calendar.GetSize(), f.calendar) << f.master;
    EXPECT_EQ(weekNo.GetSize(), f.weekNo) << f.master;
  }
  TFont two, small;
  two.SetSize(2);
  style.SetCalendarWeekNoFontData(nullptr, &two, &small);
  EXPECT_EQ(small.GetSize(), 1);
  style.SetHolidayBaseFontColor(clBlue);
  EXPECT_EQ(style.GetHolidayFontColor(), ColorWithLightnessEh(clBlue, 100));
}

TEST(ImageTransformatorTest, NoFrameWithoutTimeAndSlideMovesThePictures) {
  InitTestApplication();
  TForm form(nullptr, 0);
  form.SetBounds(0, 0, 200, 100);
  auto* trans = new TImageTransformatorEh(&form);
  trans->SetParent(&form);
  trans->SetBounds(0, 0, 100, 50);
  trans->Reset(nullptr, nullptr);
  trans->SetTransformTime(0);
  EXPECT_EQ(trans->AnimatedTransform(), 0);
  trans->GetBitmap1()->GetCanvas()->GetBrush()->SetColor(clRed);
  trans->GetBitmap1()->GetCanvas()->FillRect(TRect(0, 0, 100, 50));
  trans->GetBitmap2()->GetCanvas()->GetBrush()->SetColor(clBlue);
  trans->GetBitmap2()->GetCanvas()->FillRect(TRect(0, 0, 100, 50));
  trans->SetTransformTime(100);
  trans->SetTransformStyle(itsRightToLeftTransformEh);
  trans->DrawFrame(25);  // the old picture moved 25 pixels left, the new one entering at 75
  EXPECT_EQ(PixelAt(trans->GetResultBitmap(), 70, 10), clRed);
  EXPECT_EQ(PixelAt(trans->GetResultBitmap(), 80, 10), clBlue);
}

}  // namespace
