// The date-time popup on a real desktop, driven through the X server with xdotool as a user drives
// it: keys and clicks move the date across month and leap-year edges, and the edit under the popup
// gets the value only when the user accepts it. Runs when KIV_DESKTOP_TESTS is set and the program is
// on an X display (QT_QPA_PLATFORM=xcb).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "gridlib/base/DateTimeCalendarPickersEh.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"

namespace {

class CalendarDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!DesktopTestsEnabled())
      GTEST_SKIP() << "needs an X desktop: KIV_DESKTOP_TESTS=1 QT_QPA_PLATFORM=xcb DISPLAY=...";
    InitTestApplication();
    InitializeDateTimeCalendarPickersEh();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetCaption(u"KIV calendar host");
    form_->SetBounds(100, 100, 400, 400);
    edit_ = new TEdit(form_.get());
    edit_->SetParent(form_.get());
    edit_->SetBounds(20, 20, 200, 24);
    form_->Show();
    ActivateWindowByName("KIV calendar host");
    ProcessEventsFor(300);
    edit_->SetFocus();
    popup_ = std::make_unique<TPopupDateTimeCalendarFormEh>(edit_);
  }
  void TearDown() override {
    popup_.reset();
    form_.reset();
  }

  void DropDown(TDateTime value) {
    IPopupDateTimePickerEh* picker = popup_.get();
    picker->SetTimeUnits(TCalendarDateTimeUnitsEh{cdtuYearEh, cdtuMonthEh, cdtuDayEh});
    picker->UpdateSize();
    picker->DropDown(
        edit_->ClientToScreen(TPoint(0, edit_->GetHeight())),
        [this, picker](bool accept) {
          ++closes_;
          if (accept) edit_->SetText(FormatDateTime(u"dd.mm.yyyy", picker->GetDateTime()));
        },
        value);
    ProcessEventsFor(400);
  }

  void Keys(const std::string& keys) {
    RunDesktopCommand("xdotool key --delay 80 " + keys);
    ProcessEventsFor(900);
  }

  std::string EditText() { return StringToUtf8(edit_->GetText()); }

  std::unique_ptr<TForm> form_;
  TEdit* edit_ = nullptr;
  std::unique_ptr<TPopupDateTimeCalendarFormEh> popup_;
  int closes_ = 0;
};

TEST_F(CalendarDesktopTest, KeysAcrossEdgesReachTheEditOnlyOnAccept) {
  struct Case {
    const char* what;
    TDateTime start;
    std::string keys;
    std::string shown;  // the edit after the keys and Return
  } cases[] = {
      {"next month from 31 January", EncodeDate(2024, 1, 31), "Next", "29.02.2024"},
      {"next month from 31 January of a common year", EncodeDate(2023, 1, 31), "Next", "28.02.2023"},
      {"day after 29 February", EncodeDate(2024, 2, 29), "Right", "01.03.2024"},
      {"day after 31 December", EncodeDate(2023, 12, 31), "Right", "01.01.2024"},
      {"a year on from 29 February, by months", EncodeDate(2024, 2, 29), "ctrl+Return Down Down Down Return",
       "28.02.2025"},
  };
  edit_->SetText(u"-");
  for (const Case& c : cases) {
    DropDown(c.start);
    ASSERT_TRUE(popup_->GetVisible()) << c.what;
    Keys(c.keys);
    EXPECT_EQ(EditText(), "-") << c.what << ": the value went over before Return";
    Keys("Return");
    EXPECT_FALSE(popup_->GetVisible()) << c.what;
    EXPECT_EQ(EditText(), c.shown) << c.what;
    edit_->SetText(u"-");
  }
  // Escape closes and hands nothing over.
  DropDown(EncodeDate(2024, 1, 31));
  Keys("Right Escape");
  EXPECT_FALSE(popup_->GetVisible());
  EXPECT_EQ(EditText(), "-");
}

TEST_F(CalendarDesktopTest, ClickOnADayPicksItAndTheNextButtonTurnsTheMonth) {
  DropDown(EncodeDate(2024, 1, 31));
  TDateTimeCalendarPickerEh* picker = popup_->GetCalendar();
  // The next-period button, then 29 February (Thursday, the fourth day column, fifth row from 29 January).
  const auto clickAt = [this](TControl* control, TPoint p) {
    const TPoint s = control->ClientToScreen(p);
    RunDesktopCommand("xdotool mousemove " + std::to_string(s.X) + " " + std::to_string(s.Y) + " click 1");
    ProcessEventsFor(900);
  };
  TControl* next = picker->GetNextPeriodButton();
  clickAt(next, TPoint(next->GetWidth() / 2, next->GetHeight() / 2));
  EXPECT_EQ(EditText(), "");
  TDaysCalendarViewEh* days = picker->GetDaysView();
  ASSERT_EQ(MonthOf(days->GetDateTime()), 2);
  const TRect cell = days->CellRect(4, 5);
  clickAt(days, TPoint((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2));
  EXPECT_FALSE(popup_->GetVisible());
  EXPECT_EQ(EditText(), "29.02.2024");
}

}  // namespace
