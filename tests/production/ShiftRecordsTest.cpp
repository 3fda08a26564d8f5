// Shift records through the journal and the record dialog: the save's counters, id and timesheet cell,
// editing (worker moved, the record shown rather than the list's current row), deletion keeping the
// month row, the journal listing lines without paint, acceptance, the materials dialog's caps, a
// connection lost in the middle of a save, and a month rebuilt to what the day-by-day work wrote.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <tuple>

#include "app/ListScreen.h"
#include "app/Unit45.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Messages.h"
#include "platform/controls/StdCtrls.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "production/Unit11.h"
#include "production/Unit19.h"
#include "production/Unit24.h"
#include "production/Unit48.h"
#include "production/Unit78.h"
#include "stock/Unit72.h"
#include "tests/SourceDir.h"
#include "tests/app/ScreenFixture.h"

namespace {

// Demo data: line 6 of product 15 needs 46 more pieces on its last route step (operation 10012).
constexpr int kProduct = 15;
constexpr int kLine = 6;

class ShiftRecordsTest : public ScreenTest {
 protected:
  // Runs inside while form is modal; what it raises fails the test instead of leaving the form open.
  void InDialog(TForm* form, const std::function<void()>& inside, const std::function<void()>& opener) {
    WhenModal(
        form,
        [&] {
          try {
            inside();
          } catch (const Exception& e) {
            ADD_FAILURE() << StringToUtf8(e.Message());
          }
        },
        opener);
  }

  const TDateTime day_ = EncodeDate(2026, 12, 14);

  // Connected as login, with the journal's lists leaving out the state "ta" as the login sets them.
  void Start(const std::string& login) {
    StartAs(login);
    for (TADOQuery* q : {DataModule6->Smena1, DataModule6->Smena2, DataModule6->Smena3, DataModule6->Smena4})
      q->GetParameters()->ParamByName(u"OK")->SetValue(String(u"ta"));
  }
  void OpenJournal(TDateTime day, int shift) {
    Form45->DateT->SetDateTime(day);
    Form45->DateTChange(nullptr);
    TRadioButton* buttons[] = {Form45->RadioButton1, Form45->RadioButton2, Form45->RadioButton3,
                               Form45->RadioButton4};
    buttons[shift - 1]->SetChecked(true);
    Form45->CurrentShift = shift;
    Form45->SelectShiftQuery();
  }
  // The product and its line in the dialog's two lists.
  static void ChooseLine() {
    SetLookupKey(Form11->LCB_id_doc, kProduct);
    Form11->LCB_id_docCloseUp(nullptr);
    SetLookupKey(Form11->LCB_id_doc_item, kLine);
    Form11->LCB_id_doc_itemCloseUp(nullptr);
  }
  // The entry fields as "Запись" reads them: the line, the worker set directly, the quantity, 8 hours.
  static void FillEntry(int worker, const String& quantity) {
    ChooseLine();
    Form11->Edit1->SetText(u"работник");
    Form11->WorkerId = worker;
    Form11->Edit3->SetText(quantity);
    Form11->Edit6->SetText(u"8");
  }
  // "Добавить" of the journal: the line, the worker, quantity and hours, "Запись", "Выход".
  int Add(int worker, const String& quantity, int hours, TDateTime day, int shift = 1) {
    OpenJournal(day, shift);
    int id = 0;
    InDialog(
        Form11,
        [&] {
          ChooseLine();
          // The worker is picked in the personnel list; coming back keeps the pick.
          WhenModal(
              Form5,
              [&] {
                Locate(DataModule6->workers, u"id", IntToStr(worker));
                Form5->Button2Click(nullptr);
              },
              [] { Form11->Button3Click(nullptr); });
          Form11->FormActivate(nullptr);
          EXPECT_EQ(Form11->WorkerId, worker);
          Form11->Edit3->SetText(quantity);
          Form11->Edit6->SetText(IntToStr(hours));
          Form11->Button1Click(nullptr);
          id = Form11->ShiftRecordId;
          Form11->Button2Click(nullptr);
        },
        [] { Form45->Button1Click(nullptr); });
    return id;
  }
  // "Добавить" with the worker set directly, the quantity, 8 hours and "Запись", the dialog left as the
  // save leaves it; answers the error the save raised, empty when none.
  std::string SaveRaising(int worker, const String& quantity) {
    OpenJournal(day_, 1);
    std::string error;
    WhenModal(
        Form11,
        [&] {
          FillEntry(worker, quantity);
          try {
            Form11->Button1Click(nullptr);
          } catch (const Exception& e) {
            error = StringToUtf8(e.Message());
            if (error.empty()) error = "?";
          }
        },
        [] { Form45->Button1Click(nullptr); });
    return error;
  }
  // "Изменить" of the journal on record id: a new worker and hours.
  void Edit(int id, TDateTime day, int shift, int worker, int hours) {
    OpenJournal(day, shift);
    Locate(Form45->ShiftQuery, u"id", IntToStr(id));
    InDialog(
        Form11,
        [&] {
          Form11->WorkerId = worker;
          Form11->Edit6->SetText(IntToStr(hours));
          // The list moves on meanwhile (another row, a reopen): the record shown is the one saved.
          Form45->ShiftQuery->First();
          Form11->Button1Click(nullptr);
        },
        [] { Form45->Button2Click(nullptr); });
  }
  void Delete(int id, TDateTime day, int shift) {
    OpenJournal(day, shift);
    Locate(Form45->ShiftQuery, u"id", IntToStr(id));
    TDialogRecorder boxes(TDialogAnswer::Button(IDYES));
    Form45->Button3Click(nullptr);
  }
  std::string Cell(int worker, int shift, int dayOfMonth) {
    return Scalar("select coalesce(string_agg(d" + std::to_string(dayOfMonth) +
                  "::text, ','), 'none') from accounts_dep.h_tabel where w_id=" + std::to_string(worker) +
                  " and smena=" + std::to_string(shift) + " and month=12 and year=2026 and i_type=0");
  }
  // The timesheet's non-zero cells of December 2026: worker, shift, day, hours.
  std::string Timesheet(const std::string& source) {
    return Scalar(
        "select coalesce(string_agg(format('%s/%s/%s=%s', w, s, d, h), ' ' order by w, s, d), '') from (" +
        source + ") t where h <> 0");
  }
  // A month grid's rows as "worker:earnings" with the sum of their earnings, and the total under the
  // grid that the sum must come to ("Сделка:" for piecework, "Итого:" for all work).
  struct TGridSums {
    std::string rows;
    String sum, total;
  };
  TGridSums MonthGrid(int kind) {
    TGridSums out;
    WhenModal(
        Form78,
        [&] {
          TDataSet* grid = Form78->CurrentQuery;
          double sum = 0;
          for (grid->First(); !grid->GetEof(); grid->Next()) {
            out.rows += StringToUtf8(grid->FieldByName(u"id")->GetAsString()) + ":" +
                        StringToUtf8(FormatFloat(u"0.00", grid->FieldByName(u"f_price")->GetAsFloat())) + " ";
            sum += grid->FieldByName(u"f_price")->GetAsFloat();
          }
          out.sum = FormatFloat(u"0.00", sum);
          TDBText* total = kind == 0 ? Form78->DBText2 : Form78->DBText1;
          out.total = FormatFloat(u"0.00", total->GetField()->GetAsFloat());
        },
        [&] { Form78->ShowKind(kind, day_); });
    return out;
  }
  std::string StoredTimesheet() {
    return Timesheet(
        "select w_id w, smena s, d, sum((to_jsonb(h) ->> ('d' || d))::int) h from accounts_dep.h_tabel h, "
        "generate_series(1, 31) d where month=12 and year=2026 and i_type=0 group by w_id, smena, d");
  }
  std::string RecordsTimesheet() {
    return Timesheet(
        "select w_id w, smena s, extract(day from data)::int d, sum(time) h from accounts_dep.smena where "
        "data >= '2026-12-01' and data < '2027-01-01' group by w_id, smena, data");
  }
};

TEST_F(ShiftRecordsTest, SaveEditAndDeleteKeepTheLineAndTheTimesheet) {
  Start("milena");
  // Another client inserts a record at the same moment: the dialog still takes its own id.
  Sql("create function public.kiv_other() returns trigger language plpgsql as $$ begin "
      "insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, time) values (new.data, 3, 12, "
      "new.i_id, "
      "new.o_id, 1); return new; end $$; create trigger kiv_other after insert on accounts_dep.smena for "
      "each row "
      "when (new.w_id = 10) execute function public.kiv_other()");
  const int first = Add(10, u"2,5", 6, day_);
  Sql("drop trigger kiv_other on accounts_dep.smena");
  EXPECT_EQ(Scalar("select id from accounts_dep.smena where w_id=10 and data='2026-12-14'"),
            std::to_string(first));
  EXPECT_EQ(Scalar("select done from mnf_app.app_spec where id=6"), "56.500000");
  EXPECT_EQ(Scalar("select done from mnf_proc_tech.tp_operation where app_spec_id=6 and operation_id=10012"),
            "56.500000");
  EXPECT_EQ(Scalar("select kol_vo || ' ' || cena || ' ' || ok from accounts_dep.smena where id=" +
                   std::to_string(first)),
            "2.500000 " + Scalar("select price from mnf_operation.operation where id=10012") + " no");
  EXPECT_EQ(Cell(10, 1, 14), "6");
  const int second = Add(10, u"1", 4, day_);
  EXPECT_EQ(Cell(10, 1, 14), "10");

  // A line whose paint is not an item (no paint) is still listed.
  Sql("update mnf_app.app_spec set id_ral = 999999 where id = 6");
  OpenJournal(day_, 1);
  Locate(Form45->ShiftQuery, u"id", IntToStr(second));
  EXPECT_EQ(Form45->ShiftQuery->GetRecordCount(), 2);

  // The first record moves to worker 11: worker 10's cell keeps only the second record's hours.
  Edit(first, day_, 1, 11, 5);
  EXPECT_EQ(Scalar("select w_id || ' ' || time from accounts_dep.smena where id=" + std::to_string(first)),
            "11 5");
  EXPECT_EQ(Scalar("select w_id || ' ' || time from accounts_dep.smena where id=" + std::to_string(second)),
            "10 4");
  EXPECT_EQ(Cell(10, 1, 14), "4");
  EXPECT_EQ(Cell(11, 1, 14), "5");

  // Deleting: No changes nothing; Yes takes the counters back, and the day's last record leaves the
  // month row with its other days.
  Sql("update accounts_dep.h_tabel set d1 = 3 where w_id = 10 and smena = 1 and month = 12 and year = 2026");
  OpenJournal(day_, 1);
  Locate(Form45->ShiftQuery, u"id", IntToStr(second));
  {
    TDialogRecorder boxes(TDialogAnswer::Button(IDNO));
    Form45->Button3Click(nullptr);
    EXPECT_EQ(boxes.Last().Text, u"Будут удалены все работы по данной номенклатуре!!!");
    EXPECT_EQ(boxes.Last().Caption, u"Удаление");
  }
  EXPECT_EQ(Scalar("select count(*) from accounts_dep.smena where id=" + std::to_string(second)), "1");
  Delete(second, day_, 1);
  EXPECT_EQ(Scalar("select count(*) from accounts_dep.smena where id=" + std::to_string(second)), "0");
  EXPECT_EQ(Scalar("select done from mnf_app.app_spec where id=6"), "56.500000");
  EXPECT_EQ(Cell(10, 1, 14), "0");
  EXPECT_EQ(Cell(10, 1, 1), "3");
}

TEST_F(ShiftRecordsTest, APieceworkRecordWithoutHoursHasItsWorkersRowInTheMonthGrids) {
  Start("milena");
  // Worker 13 has no work this month; the dialog's hours stay at 0.
  ASSERT_EQ(Scalar("select count(*) from accounts_dep.h_tabel where w_id=13"), "0");
  const int id = Add(13, u"4", 0, day_);
  ASSERT_NE(id, 0);
  const std::string earnings = Scalar(
      "select to_char(((kol_vo-brak)*cena)::numeric(10,2), 'FM9999990.00') from accounts_dep.smena "
      "where id=" +
      std::to_string(id));
  ASSERT_NE(earnings, "0.00");
  const std::string row = "13:" + StringToUtf8(StringReplace(Utf8ToString(earnings), u".",
                                                             String(1, FormatSettings.DecimalSeparator), {}));
  // Saved day by day, and the month rebuilt: the worker's row is there and the rows add up to the total.
  for (const bool rebuilt : {false, true}) {
    if (rebuilt) RebuildMonthTimesheet(12, 2026);
    EXPECT_EQ(Cell(13, 1, 14), "0") << "rebuilt " << rebuilt;
    for (const int kind : {0, -1}) {
      const TGridSums grid = MonthGrid(kind);
      EXPECT_NE(grid.rows.find(row + " "), std::string::npos) << kind << ": " << grid.rows;
      EXPECT_EQ(grid.sum, grid.total) << "kind " << kind << ", rebuilt " << rebuilt;
    }
  }
}

TEST_F(ShiftRecordsTest, ARecordAcceptedMeanwhileIsNotSplitByTheBrigadeSave) {
  Start("milena");
  OpenJournal(day_, 1);
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  std::string record, records;
  InDialog(
      Form11,
      [&] {
        FillEntry(10, u"6");
        Form11->Button1Click(nullptr);
        const std::string id = std::to_string(Form11->ShiftRecordId);
        ASSERT_NE(id, "0");
        // A brigade member, as "Добавить" of the brigade lists him.
        WhenModal(
            Form5,
            [&] {
              Locate(DataModule6->workers, u"id", u"11");
              Form5->Button2Click(nullptr);
            },
            [] { Form11->Button7Click(nullptr); });
        ASSERT_EQ(Form11->fio_smena_gds->GetRecordCount(), 1);
        // Another user's session accepts the record and holds it a moment before it commits; the split
        // sent meanwhile waits for it and must then see the record accepted.
        WriteBytes(config_.File("accept.sh"), ". " + std::string(KivSourceDir()) +
                                                  "/db/lib.sh\nkiv_psql -d " + database_ +
                                                  " -c 'begin; select accounts_dep.smena__accept_row_hwo(" +
                                                  id + "); select pg_sleep(2); commit;'\n");
        Shell("bash " + config_.File("accept.sh") + " >/dev/null 2>&1 &");
        for (int i = 0; i < 500 && Scalar("select count(*) from pg_stat_activity where datname = '" +
                                          database_ + "' and wait_event = 'PgSleep'") != "1";
             ++i)
          Shell("sleep 0.01");
        record = "select kol_vo || '/' || w_id || '/' || ok from accounts_dep.smena where id=" + id;
        records = "select count(*) from accounts_dep.smena where id_doc_item=" + std::to_string(kLine);
        const std::string before = Scalar(records);
        Form11->Button9Click(nullptr);
        EXPECT_EQ(Scalar(record), "6.000000/10/ok");
        EXPECT_EQ(Scalar(records), before);
      },
      [] { Form45->Button1Click(nullptr); });
  ASSERT_GE(boxes.Count(), 1);
  const String text = boxes.Last().Text;
  EXPECT_EQ(text.rfind(u"Невозможно сохранить данные в БД!\n", 0), 0u) << StringToUtf8(text);
  EXPECT_NE(text.find(u"уже принята мастером"), String::npos) << StringToUtf8(text);
}

TEST_F(ShiftRecordsTest, AcceptanceNeedsMaterialsAndTheMaterialsDialogCapsItsQuantity) {
  Start("milena");
  const int id = Add(10, u"10", 8, day_);
  OpenJournal(day_, 1);
  Locate(Form45->ShiftQuery, u"id", IntToStr(id));
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  Form45->Button5Click(nullptr);
  EXPECT_EQ(boxes.Last().Text, u"Не заведен расход ТМЦ!");
  EXPECT_EQ(Scalar("select ok from accounts_dep.smena where id=" + std::to_string(id)), "no");

  // Material 1: 0.35 per piece, so a norm of 3.5 for the 10 pieces; 50 free in stock.
  auto consume = [&](const String& typed) {
    Form24->ShiftRecordId = id;
    Form24->ItemId = kProduct;
    Form24->RecordQuantity = u"10";
    OpenWith(Form24->v_cmn_gds_in, {{u"id_smena", id}});
    SetLookupKey(Form24->LCB_id_gds_use, 1);
    Form24->LCB_id_gds_useCloseUp(nullptr);
    Form24->Edit7->SetText(typed);
    Form24->Button1Click(nullptr);
    return Scalar(
        "select coalesce(string_agg(f_qty_use::numeric(10,3)::text, ',' order by id), '') from "
        "accounts_dep.smena_gds_use where id_smena=" +
        std::to_string(id));
  };
  const String overNorm = u"Расход ТМЦ не может быть больше партии! Расходовать весь остаток по партии?";
  const String overStock =
      u"Расход ТМЦ не может быть больше остатка по партии! Расходовать весь остаток по партии?";
  EXPECT_EQ(consume(u"2"), "2.000");
  boxes.AnswerButton(IDYES);
  EXPECT_EQ(consume(u"3"), "2.000,1.500");
  EXPECT_EQ(boxes.Last().Text, overNorm);
  // The norm is used up: the cap is 0, never below, and nothing is written.
  Sql("insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, f_qty_use) values (" +
      std::to_string(id) + ", 1, 2)");
  boxes.AnswerButton(IDYES);
  EXPECT_EQ(consume(u"1"), "2.000,1.500,2.000");
  EXPECT_EQ(boxes.Last().Text, u"Расход ТМЦ не может быть 0!");
  Sql("delete from accounts_dep.smena_gds_use where id_smena=" + std::to_string(id) +
      "; update stk_stocks.stock set count = 1 where id_ii = 1 and id_stock = 4");
  boxes.AnswerButton(IDYES);
  EXPECT_EQ(consume(u"2"), "1.000");
  EXPECT_EQ(boxes.Last().Text, overStock);

  Form45->Button5Click(nullptr);
  EXPECT_EQ(Scalar("select ok from accounts_dep.smena where id=" + std::to_string(id)), "ok");
}

TEST_F(ShiftRecordsTest, AConnectionLostInTheMiddleOfASaveLeavesTheDatabaseAsItWas) {
  Start("milena");
  // The server session ends while the timesheet cell is written, after the counters and the record.
  Sql("create function public.kiv_kill() returns trigger language plpgsql as $$ begin "
      "if new.w_id = 11 then perform pg_terminate_backend(pg_backend_pid()); end if; return new; end $$; "
      "create trigger kiv_kill before insert or update on accounts_dep.h_tabel for each row execute function "
      "public.kiv_kill()");
  const std::string state =
      "select (select done from mnf_app.app_spec where id=6) || ' ' || (select done from "
      "mnf_proc_tech.tp_operation where app_spec_id=6 and operation_id=10012) || ' ' || (select count(*) "
      "from "
      "accounts_dep.smena) || ' ' || (select count(*) from accounts_dep.h_tabel) || ' ' || (select "
      "string_agg(count || '/' || reserve, ',' order by id) from stk_stocks.stock)";
  const std::string before = Scalar(state);
  EXPECT_NE(SaveRaising(11, u"3"), "");
  EXPECT_EQ(Form11->ShiftRecordId, 0);
  EXPECT_EQ(Scalar(state), before);
}

TEST_F(ShiftRecordsTest, ASurplusIsIssuedToANewLineInTheSaveOrNotAtAll) {
  Start("milena");
  // Line 6 needs 46 more; its product takes 0.35 of blank 1 a piece, of which warehouse 4 has 50 free.
  const std::string state =
      "select (select string_agg(id || ':' || cnt || '/' || done || '/' || state, ',' order by id) from "
      "mnf_app.app_spec) || ' ' || (select count(*) from stk_stocks.spec_out) || ' ' || (select "
      "string_agg(count || '/' || reserve, ',' order by id) from stk_stocks.stock) || ' ' || (select "
      "count(*) "
      "from accounts_dep.smena)";
  const std::string before = Scalar(state);
  int chosen = 0;
  bool choose = true;
  auto unset = MakeScopeExit([] { ChooseExcessWarehouses = nullptr; });
  ChooseExcessWarehouses = [&](TExcessIssue& issue) {
    ++chosen;
    EXPECT_EQ(issue.Blank, 1);
    EXPECT_DOUBLE_EQ(issue.Blanks(), issue.Surplus * 0.35);
    issue.BlankStock = 4;
    return choose;
  };
  {
    // More blanks than are free: refused before any choice, nothing written.
    TDialogRecorder boxes;
    boxes.AnswerButton(IDYES).AnswerButton(IDOK).AnswerButton(IDYES);
    EXPECT_EQ(SaveRaising(10, u"200"), "");
    EXPECT_EQ(boxes.Last().Text, u"Заготовок на складе недостаточно!");
    EXPECT_EQ(chosen, 0);
    // The issue form closed without an issue: nothing written.
    choose = false;
    EXPECT_EQ(SaveRaising(10, u"50"), "");
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(Scalar(state), before);
  }
  {
    // The save failing after the issue takes the issue back with it.
    Sql("create function public.kiv_fail() returns trigger language plpgsql as $$ begin raise exception "
        "'сбой'; end $$; create trigger kiv_fail before insert or update on accounts_dep.h_tabel for each "
        "row when (new.w_id = 11) execute function public.kiv_fail()");
    choose = true;
    TDialogRecorder boxes(TDialogAnswer::Button(IDYES));
    EXPECT_NE(SaveRaising(11, u"50"), "");
    EXPECT_EQ(Scalar(state), before);
    Sql("drop trigger kiv_fail on accounts_dep.h_tabel");
  }
  TDialogRecorder boxes(TDialogAnswer::Button(IDYES));
  EXPECT_EQ(SaveRaising(10, u"50"), "");
  EXPECT_EQ(boxes.Last().Text, u"Указано больше требуемого кол-во изделий, списать МТР со склада?");
  const std::string excess = std::to_string(Form11->ExcessSpecId);
  EXPECT_NE(Form11->ExcessSpecId, 0);
  EXPECT_EQ(Form11->ExcessQty, 4);
  // The line gets exactly its need and the new line the surplus, both through the last step: done.
  EXPECT_EQ(Scalar("select cnt || '/' || done || '/' || state from mnf_app.app_spec where id=6"),
            "100.000000/100.000000/3");
  EXPECT_EQ(Scalar("select id_ii || ' ' || id_app_doc || ' ' || cnt || '/' || done || '/' || state || ' ' || "
                   "accept || ' ' || gds_price from mnf_app.app_spec where id=" +
                   excess),
            "15 3 4.000000/4.000000/3 true " +
                Scalar("select (1.4 * price)::t_money from stk_stocks.stock where id_ii=1 and id_stock=4"));
  EXPECT_EQ(Scalar("select done from mnf_proc_tech.tp_operation where app_spec_id=" + excess +
                   " and operation_id=10012"),
            "4.000000");
  EXPECT_EQ(Scalar("select id_gds || ' ' || cnt_gds || ' ' || accept || ' ' || id_stock || ' ' || id_app_doc "
                   "from stk_stocks.spec_out where id_app_spec=" +
                   excess),
            "1 1.4000 true 4 3");
  EXPECT_EQ(Scalar("select count || '/' || reserve from stk_stocks.stock where id_ii=1 and id_stock=4"),
            "50.000000/1.400000");
}

TEST_F(ShiftRecordsTest, ARebuiltMonthIsWhatTheDayByDayWorkWrote) {
  Start("milena");
  RebuildMonthTimesheet(12, 2026);
  ASSERT_EQ(StoredTimesheet(), RecordsTimesheet());
  struct TRecord {
    int id, worker, shift;
    TDateTime day;
  };
  std::vector<TRecord> records;
  std::mt19937 random(20261214);
  auto pick = [&](int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); };
  for (int step = 0; step < 24; ++step) {
    const int what = records.empty() ? 0 : pick(0, 2);
    if (what == 0) {
      const int worker = pick(7, 11), shift = pick(1, 4);
      const TDateTime day = EncodeDate(2026, 12, pick(12, 16));
      records.push_back({Add(worker, u"0,5", pick(1, 9), day, shift), worker, shift, day});
    } else {
      const size_t i = pick(0, static_cast<int>(records.size()) - 1);
      if (what == 1) {
        records[i].worker = pick(7, 11);
        Edit(records[i].id, records[i].day, records[i].shift, records[i].worker, pick(0, 9));
      } else {
        Delete(records[i].id, records[i].day, records[i].shift);
        records.erase(records.begin() + i);
      }
    }
    ASSERT_EQ(StoredTimesheet(), RecordsTimesheet()) << "after step " << step;
  }
  const std::string dayByDay = StoredTimesheet();
  RebuildMonthTimesheet(12, 2026);
  EXPECT_EQ(StoredTimesheet(), dayByDay);
  // The line counts exactly the pieces of the records left.
  EXPECT_EQ(Scalar("select done from mnf_app.app_spec where id=6"),
            Scalar("select (54 + 0.5 * " + std::to_string(records.size()) + ")::numeric(28,6)"));
}

TEST_F(ShiftRecordsTest, TheIssueFormChoosesTheWarehousesOfASurplusOrCancelsTheSave) {
  Start("milena");
  // Line 6 painted with paint 5 (0.1 a piece); warehouse 5 holds too few blanks and too little paint
  // for a surplus of 4 (1.4 blanks, 0.4 paint) though all warehouses together hold enough.
  Sql("update cmn_inventory_items.inventory_items set ral_cons=0.1 where id=15; update mnf_app.app_spec set "
      "id_ral=5 where id=6; insert into stk_stocks.stock (id_stock, id_ii, id_ral, count, reserve, price, "
      "job_price, gds_price, ral_price) values (5, 1, 0, 1, 0, 2000, 0, 0, 0), (5, 5, 0, 0.2, 0, 500, 0, 0, "
      "0)");
  const std::string state =
      "select (select string_agg(id || ':' || cnt || '/' || done || '/' || state, ',' order by id) from "
      "mnf_app.app_spec) || ' ' || (select count(*) from stk_stocks.spec_out) || ' ' || (select "
      "string_agg(count || '/' || reserve, ',' order by id_stock, id_ii) from stk_stocks.stock) || ' ' || "
      "(select count(*) from accounts_dep.smena)";
  const std::string before = Scalar(state);
  // "Запись" of 50 pieces, "Да" to the surplus question, then the issue form.
  auto save = [&](const std::function<void()>& onForm) {
    OpenJournal(day_, 1);
    bool shown = false;
    InDialog(
        Form11,
        [&] {
          FillEntry(10, u"50");
          shown = WhenModal(Form72, onForm, [] { Form11->Button1Click(nullptr); });
        },
        [] { Form45->Button1Click(nullptr); });
    EXPECT_TRUE(shown);
  };
  // "Да" to the question of each save, then the four refusals.
  TDialogRecorder boxes;
  boxes.AnswerButton(IDYES).AnswerButton(IDYES);
  for (int i = 0; i < 4; ++i) boxes.AnswerButton(IDOK);
  save([&] {
    EXPECT_EQ(Form72->Edit1->GetText(), u"4");
    EXPECT_FALSE(Form72->Edit1->GetEnabled());
    EXPECT_EQ(Form72->Label5->GetCaption(), FloatToStr(1.4));
    EXPECT_TRUE(Form72->cb_ral_stock->GetEnabled());
    EXPECT_EQ(Form72->Stock->GetRecordCount(), 2);
    EXPECT_EQ(Form72->ral_stock->GetRecordCount(), 2);
    Form72->Button2Click(nullptr);
  });
  EXPECT_EQ(Form11->ShiftRecordId, 0);
  EXPECT_EQ(Scalar(state), before);

  save([&] {
    // Each refusal leaves the form open for another choice.
    const std::pair<std::function<void()>, const char16_t*> refusals[] = {
        {[] {}, u"Все поля должны быть заполнены!"},
        {[] { SetLookupKey(Form72->cb_stock, 4); }, u"Все поля должны быть заполнены!"},
        {[] {
           SetLookupKey(Form72->cb_stock, 5);
           SetLookupKey(Form72->cb_ral_stock, 4);
         },
         u"Недостаточно ТМЦ!"},
        {[] {
           SetLookupKey(Form72->cb_stock, 4);
           SetLookupKey(Form72->cb_ral_stock, 5);
         },
         u"Недостаточно краски!"},
    };
    for (const auto& [choose, error] : refusals) {
      choose();
      Form72->Button1Click(nullptr);
      EXPECT_EQ(boxes.Last().Text, error);
      EXPECT_TRUE(Form72->IsModal());
    }
    SetLookupKey(Form72->cb_ral_stock, 4);
    Form72->Button1Click(nullptr);
    EXPECT_EQ(Form72->GetModalResult(), mrOk);
  });
  const std::string excess = std::to_string(Form11->ExcessSpecId);
  EXPECT_NE(Form11->ShiftRecordId, 0);
  EXPECT_EQ(
      Scalar("select string_agg(id_gds || ' ' || cnt_gds || ' ' || accept || ' ' || id_stock, ', ' order "
             "by id_gds) from stk_stocks.spec_out where id_app_spec=" +
             excess),
      "1 1.4000 true 4, 5 0.4000 true 4");
  EXPECT_EQ(Scalar("select string_agg(id_stock || '/' || id_ii || '=' || reserve, ' ' order by id_stock, "
                   "id_ii) from stk_stocks.stock where id_ii in (1, 5)"),
            "4/1=1.400000 4/5=10.000000 5/1=0.000000 5/5=0.000000");
}

}  // namespace
