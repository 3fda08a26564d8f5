// The build-stamp check: the stamp from the compiler's texts, equal, older and newer stamps in table
// ver, the end of the program 5.5 s after the message when nobody presses OK, and the 30 s timer.
#include <gtest/gtest.h>

#include "app/Unit1.h"
#include "app/Unit23.h"
#include "app/Unit6.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/testing/TestSupport.h"
#include "tests/app/AppFixture.h"

namespace {

TEST(BuildStampTextTest, DateAndTimeTextsBecomeTheStampNumbers) {
  struct Case {
    const char* text;
    int date;
  };
  const Case dates[] = {
      {"Mar 25 2024", 20240325}, {"Mar  5 2024", 20240305}, {"Jan  1 2025", 20250101},
      {"Jun 30 2023", 20230630}, {"Apr 10 2024", 20240410}, {"Feb 29 2024", 20240229},
      {"May  9 2024", 20240509}, {"Jul 14 2024", 20240714}, {"Aug 31 2024", 20240831},
      {"Sep  1 2024", 20240901}, {"Oct 15 2024", 20241015}, {"Nov 11 2024", 20241111},
      {"Dec 31 2099", 20991231}, {"??? ?? ????", 19000101},
  };
  for (const Case& c : dates) EXPECT_EQ(BuildDateFromText(c.text), c.date) << c.text;
  EXPECT_EQ(BuildTimeFromText("15:14:39"), 54879);
  EXPECT_EQ(BuildTimeFromText("00:00:00"), 0);
  EXPECT_EQ(BuildTimeFromText("23:59:59"), 86399);
}

class BuildStampTest : public AppTest {
 protected:
  void SetVer(int d, int t, const std::string& delim) {
    SqlIn(DataSourceDatabase(), "update ver set d = " + std::to_string(d) + ", t = " + std::to_string(t) +
                                    ", delim = '" + delim + "'");
  }
};

// Before login the check reads the database of the data source "kiv_erp_dev".
TEST_F(BuildStampTest, EqualOlderAndNewerStamps) {
  CreateForms();
  {
    // Equal: nothing but the delimiter.
    SetVer(20240325, 54879, ",");
    TDialogRecorder boxes;
    BuildStampCheck();
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(DataModule6->GetDecimalDelimiter(), u",");
    EXPECT_EQ(Form1->BuildDate, 20240325);
    EXPECT_EQ(Form1->BuildTime, 54879);
    EXPECT_FALSE(Application->GetTerminated());
  }
  {
    // Older by a second: the client writes its stamp and goes on.
    SetVer(20240325, 54878, ".");
    TDialogRecorder boxes;
    BuildStampCheck();
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(ScalarIn(DataSourceDatabase(), "select d || ' ' || t from ver"), "20240325 54879");
    EXPECT_FALSE(Application->GetTerminated());
  }
  {
    // Newer: the message, the login form's timer armed, the end of the program.
    SetVer(20240326, 0, ".");
    TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
    BuildStampCheck();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, u"Версия программы не соответсвует БД! Запустите программу через 5 мин.");
    EXPECT_EQ(boxes.Last().Caption, u"Ошибка");
    EXPECT_EQ(boxes.Last().Flags, MB_ICONSTOP);
    EXPECT_TRUE(Form23->Timer1->GetEnabled());
    EXPECT_EQ(Form23->Timer1->GetInterval(), 5500u);
    EXPECT_TRUE(Application->GetTerminated());
    EXPECT_EQ(ScalarIn(DataSourceDatabase(), "select d || ' ' || t from ver"), "20240326 0");
  }
}

TEST_F(BuildStampTest, NobodyPressingOkStillEndsTheProgramWhenTheTimerFires) {
  CreateForms();
  SetVer(20240326, 0, ".");
  bool terminatedWhileOpen = false;
  TDialogRecorder boxes;
  boxes.Answer([&](const TDialogRequest&) {
    // The box is open and nobody answers: the login form's timer is due.
    EXPECT_TRUE(Form23->Timer1->GetEnabled());
    EXPECT_FALSE(Application->GetTerminated());
    Form23->Timer1->OnTimer(Form23->Timer1);
    terminatedWhileOpen = Application->GetTerminated();
    return TDialogAnswer::Button(IDOK);
  });
  BuildStampCheck();
  EXPECT_TRUE(terminatedWhileOpen);
}

TEST_F(BuildStampTest, AnEmptyVerGetsTheClientsStampAndNumbersKeepTheirSeparator) {
  SqlIn(DataSourceDatabase(), "delete from ver");
  CreateForms();
  BuildStampCheck();
  EXPECT_EQ(ScalarIn(DataSourceDatabase(), "select count(*) || ' ' || min(d) || ' ' || min(t) from ver"),
            "1 20240325 54879");
  DataModule6->SetDecimalDelimiter(u"");
  EXPECT_EQ(DataModule6->ToDbDecimal(u"12,5"), u"12.5");
}

TEST_F(BuildStampTest, TheMainWindowRepeatsTheCheckEvery30Seconds) {
  CreateForms();
  EXPECT_TRUE(Form1->Timer1->GetEnabled());
  EXPECT_EQ(Form1->Timer1->GetInterval(), 30000u);
  SetVer(20240401, 0, ".");
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  Form1->Timer1->OnTimer(Form1->Timer1);
  ASSERT_EQ(boxes.Count(), 1);
  EXPECT_TRUE(Application->GetTerminated());
}

TEST_F(BuildStampTest, ActivatingTheLoginFormChecksAndShowsTheStamp) {
  CreateForms();
  TDialogRecorder boxes;
  Form23->OnActivate(Form23);
  EXPECT_EQ(Form23->GetCaption(), u"Авторизация (build: 20240325.54879)");
  EXPECT_EQ(ScalarIn(DataSourceDatabase(), "select d || ' ' || t from ver"), "20240325 54879");
}

}  // namespace
