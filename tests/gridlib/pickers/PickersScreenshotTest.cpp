// The calendar picker in each of its views, captured in both visual styles for a person to look at.
// Runs when KIV_SCREENSHOT_DIR names a folder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gridlib/base/CalculatorEh.h"
#include "gridlib/base/DateTimeCalendarPickersEh.h"
#include "gridlib/base/MemoEditFormsEh.h"
#include "gridlib/base/RichEditFormsEh.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StyleManager.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"

namespace {

String StyleFileName(const Char* style) { return String(style) == u"Windows" ? u"windows" : u"onyx-blue"; }

TEST(PickersScreenshotTest, CalendarInEveryViewInBothVisualStyles) {
  const char* dir = std::getenv("KIV_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "set KIV_SCREENSHOT_DIR to write the pictures";
  InitTestApplication();
  InitializeDateTimeCalendarPickersEh();
  auto restore = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
  for (const Char* style : {u"Windows", u"Onyx Blue"}) {
    ASSERT_TRUE(TStyleManager::TrySetStyle(style, false));
    TForm form(nullptr, 0);
    form.SetBounds(0, 0, 320, 320);
    auto* picker = new TDateTimeCalendarPickerEh(&form);
    picker->SetParent(&form);
    picker->SetTimeUnits(
        TCalendarDateTimeUnitsEh{cdtuYearEh, cdtuMonthEh, cdtuDayEh, cdtuHourEh, cdtuMinuteEh, cdtuSecondEh});
    picker->SetDateTime(EncodeDateTime(2024, 2, 29, 14, 35, 20, 0));
    form.Show();
    ProcessPendingEvents();
    const std::pair<TCustomCalendarViewEh*, const char16_t*> views[] = {
        {picker->GetDecadesView(), u"decades"}, {picker->GetYearsView(), u"years"},
        {picker->GetMonthsView(), u"months"},   {picker->GetDaysView(), u"days"},
        {picker->GetTimeView(), u"time"},       {picker->GetHours24View(), u"hours24"},
        {picker->GetHours12View(), u"hours12"}, {picker->GetMinutesView(), u"minutes"},
        {picker->GetSecondsView(), u"seconds"}};
    for (const auto& [view, name] : views) {
      picker->ShowCalendarView(view, true, false);
      ProcessPendingEvents();
      auto picture = CaptureControl(picker);
      picture->SaveToFile(Utf8ToString(dir) + u"/calendar-" + name + u"-" + StyleFileName(style) + u".bmp");
    }
  }
}

TEST(PickersScreenshotTest, CalculatorInBothVisualStyles) {
  const char* dir = std::getenv("KIV_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "set KIV_SCREENSHOT_DIR to write the pictures";
  InitTestApplication();
  auto restore = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
  for (const Char* style : {u"Windows", u"Onyx Blue"}) {
    ASSERT_TRUE(TStyleManager::TrySetStyle(style, false));
    TPopupCalculatorFormEh popup(nullptr);
    popup.Show(TPoint(20, 20), nullptr);
    for (Char key : {u'1', u'2', u',', u'5', u'+'}) popup.GetCalculator()->ProcessKey(key);
    popup.GetCalculator()->ProcessKey(u'7');
    ProcessPendingEvents();
    auto picture = CaptureControl(&popup);
    picture->SaveToFile(Utf8ToString(dir) + u"/calculator-" + StyleFileName(style) + u".bmp");
    popup.Close();
  }
}

TEST(PickersScreenshotTest, MemoEditorInBothVisualStyles) {
  const char* dir = std::getenv("KIV_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "set KIV_SCREENSHOT_DIR to write the pictures";
  InitTestApplication();
  auto restore = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
  for (const Char* style : {u"Windows", u"Onyx Blue"}) {
    ASSERT_TRUE(TStyleManager::TrySetStyle(style, false));
    TMemoEditWinEh memo(nullptr);
    memo.SetClientWidth(360);
    memo.SetClientHeight(160);
    TDynVarsEh bag(nullptr);
    bag.CreateDynVar(String(),
                     Variant(String(u"Поставщик: ООО «Ромашка»\r\nОплата по счёту № 17 до 31.01.2024")));
    memo.ExecuteNomodal(TRect(20, 20, 200, 40), nullptr, daLeft, &bag, nullptr, nullptr);
    memo.InitForm(nullptr, &bag);
    ProcessPendingEvents();
    auto picture = CaptureControl(&memo);
    picture->SaveToFile(Utf8ToString(dir) + u"/memo-" + StyleFileName(style) + u".bmp");
    memo.Close();
  }
}

TEST(PickersScreenshotTest, RichTextEditorInBothVisualStyles) {
  const char* dir = std::getenv("KIV_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "set KIV_SCREENSHOT_DIR to write the pictures";
  InitTestApplication();
  auto restore = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
  for (const Char* style : {u"Windows", u"Onyx Blue"}) {
    ASSERT_TRUE(TStyleManager::TrySetStyle(style, false));
    TRichEditWinEh rich(nullptr);
    TDynVarsEh bag(nullptr);
    bag.CreateDynVar(
        String(),
        Variant(String(u"{\\rtf1\\ansi {\\b \\u1048?\\u1090?\\u1086?\\u1075?\\u1086?:} 100\\par}")));
    rich.ExecuteNomodal(TRect(20, 20, 200, 40), nullptr, daLeft, &bag, nullptr, nullptr);
    rich.InitForm(nullptr, &bag);
    ProcessPendingEvents();
    auto picture = CaptureControl(&rich);
    picture->SaveToFile(Utf8ToString(dir) + u"/rich-" + StyleFileName(style) + u".bmp");
    rich.Close();
  }
}

}  // namespace
