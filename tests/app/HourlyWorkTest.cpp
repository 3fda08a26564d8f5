// Hourly work: an entry's price on a day off at night, the day's timesheet cell following saves, edits
// and deletes (a deletion keeps the row's other days), the required fields, and an entry whose
// timesheet write fails leaving nothing behind.
#include <gtest/gtest.h>

#include "app/ListScreen.h"
#include "app/Unit6.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Strings.h"
#include "production/Unit76.h"
#include "production/Unit77.h"
#include "tests/app/ScreenFixture.h"

namespace {

class HourlyWorkTest : public ScreenTest {
 protected:
  void SetUpDay() {
    StartAs("milena");
    Form76->DTPcker1->SetDateTime(EncodeDate(2026, 12, 5));  // a Saturday
    Form76->DTPcker1Change(nullptr);
  }
  void Add(int person, int hours, bool night, int kind = 7777) {
    WhenModal(
        Form77,
        [&] {
          Form77->cb_person->SetKeyValue(Variant(person));
          Form77->cb_item->SetKeyValue(Variant(5));
          Form77->cb_type_work->SetKeyValue(Variant(kind));
          Form77->Edit6->SetText(IntToStr(hours));
          Form77->CBox1->SetChecked(night);
          Form77->Button1Click(nullptr);
        },
        [] { Form76->Button5Click(nullptr); });
  }
  std::string Cell(int person, int night, const char* day = "d5") {
    return Scalar(std::string("select coalesce(string_agg(") + day +
                  "::text, ','), 'none') from accounts_dep.h_tabel "
                  "where w_id = " +
                  std::to_string(person) +
                  " and i_type = 7777 and month = 12 and year = 2026 and "
                  "i_night = " +
                  std::to_string(night));
  }
};

TEST_F(HourlyWorkTest, EntriesKeepTheDaysTimesheetCell) {
  SetUpDay();
  EXPECT_TRUE(Form76->CBox1->GetChecked());
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  Add(7, 3, true);
  EXPECT_EQ(Scalar("select price from accounts_dep.fatigue where id_p = 7 and d_date = '2026-12-05'"),
            "360.0000");
  EXPECT_EQ(Cell(7, 1), "3");
  Sql("update accounts_dep.h_tabel set d4 = 2 where w_id = 7 and i_type = 7777 and month = 12 and year = "
      "2026 and "
      "i_night = 1");
  Add(7, 5, true);
  Add(7, 4, false);
  EXPECT_EQ(Cell(7, 1), "8");
  EXPECT_EQ(Cell(7, 0), "4");

  // Deleting the 3-hour entry leaves 5; deleting the last leaves 0 and the row's other days.
  TDataSet* day = Form76->fatigue;
  ASSERT_EQ(day->GetRecordCount(), 3);
  for (day->First(); !day->GetEof(); day->Next())
    if (IntField(day, u"cnt") == 3) break;
  boxes.AnswerButton(IDNO).AnswerButton(IDYES);
  Form76->Button7Click(nullptr);
  EXPECT_EQ(Cell(7, 1), "8");
  Form76->Button7Click(nullptr);
  EXPECT_EQ(boxes.Last().Text, u"Удалить позицию из списка?");
  EXPECT_EQ(Cell(7, 1), "5");
  for (day->First(); !day->GetEof(); day->Next())
    if (IntField(day, u"cnt") == 5) break;
  boxes.AnswerButton(IDYES);
  Form76->Button7Click(nullptr);
  EXPECT_EQ(Cell(7, 1), "0");
  EXPECT_EQ(Cell(7, 1, "d4"), "2");

  // An entry moved to another worker takes its hours along.
  ASSERT_EQ(day->GetRecordCount(), 1);
  WhenModal(
      Form77,
      [&] {
        EXPECT_EQ(Form77->Edit6->GetText(), u"4");
        Form77->cb_person->SetKeyValue(Variant(8));
        Form77->Button1Click(nullptr);
      },
      [] { Form76->Button6Click(nullptr); });
  EXPECT_EQ(Cell(7, 0), "0");
  EXPECT_EQ(Cell(8, 0), "4");
}

TEST_F(HourlyWorkTest, RequiredFieldsAndAFailedTimesheetWrite) {
  SetUpDay();
  // The entry dialog's cancel button reads "Выход".
  EXPECT_TRUE(Form77->Button2->GetCancel());
  EXPECT_EQ(Form77->Button2->GetCaption(), u"Выход");
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  WhenModal(
      Form77,
      [&] {
        Form77->Button1Click(nullptr);
        EXPECT_EQ(boxes.Last().Text, u"Все поля должны быть заполнены!");
        Form77->cb_person->SetKeyValue(Variant(9));
        Form77->cb_item->SetKeyValue(Variant(5));
        Form77->Button1Click(nullptr);
        EXPECT_EQ(boxes.Last().Text, u"Нужно завести количество!");
      },
      [] { Form76->Button5Click(nullptr); });

  // The timesheet refuses the worker's row: the entry is not kept either.
  Sql("create function public.kiv_refuse() returns trigger language plpgsql as $$ begin "
      "if new.w_id = 9 then raise exception 'timesheet refused'; end if; return new; end $$; "
      "create trigger kiv_refuse before insert or update on accounts_dep.h_tabel for each row execute "
      "function "
      "public.kiv_refuse()");
  bool raised = false;
  WhenModal(
      Form77,
      [&] {
        Form77->cb_person->SetKeyValue(Variant(9));
        Form77->cb_item->SetKeyValue(Variant(5));
        Form77->cb_type_work->SetKeyValue(Variant(7777));
        Form77->Edit6->SetText(u"6");
        try {
          Form77->Button1Click(nullptr);
        } catch (const Exception&) {
          raised = true;
        }
      },
      [] { Form76->Button5Click(nullptr); });
  EXPECT_TRUE(raised);
  EXPECT_EQ(Scalar("select count(*) from accounts_dep.fatigue where id_p = 9 and d_date = '2026-12-05'"),
            "0");

  // Average piecework without shift records of the item group in the month is priced 0.
  Add(7, 8, false, 7778);
  EXPECT_NE(
      Scalar(
          "select price from accounts_dep.fatigue where id_p = 7 and id_o = 7778 and d_date = '2026-12-05'"),
      "0.0000");
  Form76->Button1Click(nullptr);
  EXPECT_EQ(
      Scalar(
          "select price from accounts_dep.fatigue where id_p = 7 and id_o = 7778 and d_date = '2026-12-05'"),
      "0.0000");
}

}  // namespace
