// The timesheets: the timesheet by hours for any year, its rebuild taking hourly work along, its Excel
// output read back with openpyxl, and the month grids showing what SQL computes from the shift records
// and hourly work.
#include <gtest/gtest.h>

#include "app/ListScreen.h"
#include "app/Unit45.h"
#include "app/Unit6.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/excel/ExcelAutomation.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "production/Unit15.h"
#include "production/Unit19.h"
#include "production/Unit78.h"
#include "production/Unit79.h"
#include "reportlib/engine/RezavOze.h"
#include "reportlib/engine/controls/QRDataTexts.h"
#include "reportlib/output/QRPrinter.h"
#include "reportlib/output/ReportOutputLibrary.h"
#include "reportlib/output/filters/QRPDFFilter.h"
#include "tests/app/ScreenFixture.h"

namespace {

class TimesheetTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    previous_ = SetWorkbookOpener([this](const String& name) { opened_.push_back(name); });
  }
  void TearDown() override {
    SetWorkbookOpener(previous_);
    ScreenTest::TearDown();
  }
  TWorkbookOpener previous_;
  std::vector<String> opened_;
};

TEST_F(TimesheetTest, AnyYearTheRebuildAndTheExcelOutput) {
  StartAs("vesnovskaya");
  // A journal date outside the years the list started with opens on its own month and year.
  Form45->DateT->SetDateTime(EncodeDate(2031, 3, 4));
  bool shown = WhenModal(
      Form19,
      [] {
        EXPECT_EQ(Form19->ComboBox2->GetText(), u"2031");
        EXPECT_EQ(Form19->ComboBox1->GetText(), u"Март");
      },
      [] { Form45->N13Click(nullptr); });
  EXPECT_TRUE(shown);

  // The rebuild writes shift rows from the records and hourly rows from hourly work.
  Sql("insert into accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, cnt, price, i_night) "
      "values "
      "(5, 7777, 7, '2026-12-05', 12, 2026, 3, 150, 1), (5, 7777, 7, '2026-12-05', 12, 2026, 2, 150, 1), "
      "(5, 7778, 8, '2026-12-07', 12, 2026, 4, 100, 0)");
  Form19->SelectMonth(EncodeDate(2026, 12, 10));
  Form19->Button1Click(nullptr);
  const std::string cells =
      "select format('%s/%s/%s/%s/%s=%s', w_id, smena, i_type, i_night, d, (to_jsonb(h) ->> ('d' || d))) c "
      "from "
      "accounts_dep.h_tabel h, generate_series(1, 31) d where month=12 and year=2026 and (to_jsonb(h) ->> "
      "('d' || "
      "d))::int <> 0";
  const std::string truth =
      "select format('%s/%s/0/0/%s=%s', w_id, smena, extract(day from data), sum(time)) from "
      "accounts_dep.smena "
      "where data>='2026-12-01' and data<'2027-01-01' group by w_id, smena, data having sum(time)<>0 union "
      "all "
      "select format('%s/0/%s/%s/%s=%s', id_p, id_o, i_night, extract(day from d_date), sum(cnt)) from "
      "accounts_dep.fatigue where d_date>='2026-12-01' and d_date<'2027-01-01' group by id_p, id_o, i_night, "
      "d_date "
      "having sum(cnt)<>0";
  EXPECT_EQ(Scalar("select string_agg(c, ' ' order by c) from (" + cells + ") t"),
            Scalar("select string_agg(c, ' ' order by c) from (" + truth + ") t(c)"));
  EXPECT_NE(Scalar("select count(*) from (" + cells + ") t where c like '7/0/7777/1/5=%'"), "0");

  // Excel: the month's title, the days, a row per worker with the month's total of all his rows.
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  Form19->Button2Click(nullptr);
  ASSERT_EQ(opened_.size(), 1u);
  const std::string workers =
      Scalar("select count(distinct w_id) from accounts_dep.h_tabel where month=12 and year=2026");
  EXPECT_EQ(Form19->Button2->GetCaption(),
            u"Excel (" + Utf8ToString(workers) + u" из " + Utf8ToString(workers) + u")");
  const std::string script =
      "import openpyxl,sys\n"
      "ws=openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
      "print(ws.cell(1,1).value, ws.cell(2,1).value, ws.cell(2,32).value, ws.cell(2,33).value, sep='|')\n"
      "for r in range(3, ws.max_row+1): print(ws.cell(r,1).value, ws.cell(r,6).value, ws.cell(r,33).value, "
      "sep='|')\n";
  WriteBytes(config_.File("read.py"), script);
  const std::string out =
      Shell("/usr/bin/python3 " + config_.File("read.py") + " '" + StringToUtf8(opened_[0]) + "'");
  const std::string expected =
      "Декабрь 2026|Фамилия И.О.|31|Итого\n" +
      Scalar(
          "select string_agg(p.s_caption || '|' || sum5 || '|' || total, E'\\n' order by p.s_caption) from "
          "(select w_id, sum(d5) sum5, "
          "sum(d1+d2+d3+d4+d5+d6+d7+d8+d9+d10+d11+d12+d13+d14+d15+d16+d17+d18+d19+"
          "d20+d21+d22+d23+d24+d25+d26+d27+d28+d29+d30+d31) total from accounts_dep.h_tabel where month=12 "
          "and "
          "year=2026 group by w_id) h join cmn_contractor.person p on p.id=h.w_id") +
      "\n";
  EXPECT_EQ(out, expected);
}

TEST_F(TimesheetTest, ARefusedRebuildLeavesTheSheetsShowingTheMonth) {
  StartAs("econom");
  Form19->SelectMonth(EncodeDate(2026, 12, 10));
  TADOQuery* sheets[] = {DataModule6->H_Tabel_1, DataModule6->H_Tabel_2, DataModule6->H_Tabel_3};
  std::vector<Integer> rows;
  for (TADOQuery* q : sheets) rows.push_back(q->GetRecordCount());
  ASSERT_GT(rows[0], 0);
  String refusal;
  try {
    Form19->Button1Click(nullptr);
    ADD_FAILURE() << "a read-only login rebuilt the month";
  } catch (const EDatabaseError& e) {
    refusal = e.Message();
  }
  EXPECT_EQ(refusal.rfind(u"Недостаточно прав", 0), 0u) << StringToUtf8(refusal);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(sheets[i]->GetActive()) << "sheet " << i + 1;
    if (sheets[i]->GetActive()) {
      EXPECT_EQ(sheets[i]->GetRecordCount(), rows[i]) << "sheet " << i + 1;
    }
  }
}

TEST_F(TimesheetTest, TheMonthGridsShowWhatTheRecordsAndHourlyWorkGive) {
  StartAs("milena");
  Sql("insert into accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, cnt, price, i_night) "
      "values "
      "(5, 7777, 7, '2026-12-05', 12, 2026, 4, 150, 0)");
  RebuildMonthTimesheet(12, 2026);
  const TDateTime day = EncodeDate(2026, 12, 10);
  const std::string period = "'2026-12-01' and s.data < '2027-01-01'";
  struct TKind {
    int kind;
    std::string sql;  // per person id: hours|earnings, ordered by name
  } kinds[] = {
      {0,
       "select string_agg(t, ' ' order by n) from (select p.s_caption n, p.id || ':' || sum(s.time) || ':' "
       "|| "
       "sum((s.kol_vo-s.brak)*s.cena)::numeric(10,2) t from accounts_dep.smena s join cmn_contractor.person "
       "p on "
       "p.id=s.w_id where s.data >= " +
           period + " group by p.id, p.s_caption) x"},
      {-1,
       "select string_agg(t, ' ' order by n) from (select p.s_caption n, p.id || ':' || (coalesce((select "
       "sum(s.time) from accounts_dep.smena s where s.w_id=p.id and s.data >= " +
           period +
           "),0) + coalesce((select sum(cnt) from accounts_dep.fatigue f where f.id_p=p.id and f.d_date >= "
           "'2026-12-01' and f.d_date < '2027-01-01'),0)) || ':' || (coalesce((select "
           "sum((s.kol_vo-s.brak)*s.cena)::numeric(10,2) from accounts_dep.smena s where s.w_id=p.id and "
           "s.data >= " +
           period +
           "),0) + coalesce((select sum(cnt*price)::numeric(10,2) from accounts_dep.fatigue f where "
           "f.id_p=p.id "
           "and f.d_date >= '2026-12-01' and f.d_date < '2027-01-01'),0)) t from cmn_contractor.person p "
           "where p.id "
           "in (select w_id from accounts_dep.h_tabel where month=12 and year=2026)) x"},
  };
  // The maintenance grid without the day and night split: one row per worker, all his hours.
  Form79->ComboBox1->SetItemIndex(11);
  Form79->q_year->Open();
  Form79->cb_year->SetKeyValue(Variant(2026));
  Form79->ComboBox1Change(nullptr);
  std::string maintenance;
  for (TDataSet* grid = Form79->H_Tabel; !grid->GetEof(); grid->Next())
    maintenance += StringToUtf8(grid->FieldByName(u"id")->GetAsString() + u":" +
                                grid->FieldByName(u"i_time")->GetAsString() + u" ");
  EXPECT_EQ(maintenance,
            Scalar("select string_agg(id_p || ':' || sum, ' ' order by fio) || ' ' from (select f.id_p, "
                   "p.fio, sum(cnt) from accounts_dep.fatigue f join accounts_dep.person p on "
                   "p.id=f.id_p where id_o=7777 and d_date>='2026-12-01' and d_date<'2027-01-01' "
                   "group by f.id_p, p.fio) t"));

  for (const TKind& k : kinds) {
    std::string shown;
    String total;
    WhenModal(
        Form78,
        [&] {
          TDataSet* grid = Form78->CurrentQuery;
          for (grid->First(); !grid->GetEof(); grid->Next()) {
            if (!shown.empty()) shown += " ";
            shown +=
                StringToUtf8(grid->FieldByName(u"id")->GetAsString() + u":" +
                             grid->FieldByName(u"i_time")->GetAsString() + u":" +
                             StringReplace(FormatFloat(u"0.00", grid->FieldByName(u"f_price")->GetAsFloat()),
                                           u",", u".", {}));
          }
          total = Form78->DBText2->GetCaption();
        },
        [&] { Form78->ShowKind(k.kind, day); });
    EXPECT_EQ(shown, Scalar(k.sql)) << "kind " << k.kind;
    EXPECT_EQ(StringToUtf8(StringReplace(total, u",", u".", {})),
              Scalar("select (select sum((s.kol_vo-s.brak)*s.cena)::numeric(100,2) from "
                     "accounts_dep.smena s where s.cena>0 and s.kol_vo>0 and s.data >= " +
                     period + ")::float8"));
  }
}

TEST_F(TimesheetTest, ThePrintedMonthHoldsEveryWorkersDaysAndTotalOnPagesHeadedByThePeriod) {
  InitializeReportOutput();
  InitializeReportControls();
  StartAs("vesnovskaya");
  // More workers than one landscape page holds; a worker's hours are summed over all his rows.
  Sql("insert into cmn_contractor.person(id, s_caption, b_employee) select 100 + n, 'Работник ' || "
      "lpad(n::text, 2, '0'), true from generate_series(1, 40) n");
  Sql("insert into accounts_dep.h_tabel(smena, w_id, month, year, d1, d29) select 1, 100 + n, 2, 2024, n, 8 "
      "from generate_series(1, 40) n");
  Sql("insert into accounts_dep.h_tabel(smena, w_id, month, year, d1, d2) values (2, 101, 2, 2024, 3, 10)");
  Sql("insert into accounts_dep.h_tabel(i_type, i_night, w_id, month, year, d2) values (7777, 1, 101, 2, "
      "2024, "
      "4)");
  Form19->SelectMonth(EncodeDate(2024, 2, 10));

  TForm15* report = ReportForm15();
  const std::string pdf = config_.File("табель.pdf");
  Integer pages = 0;
  report->RezavOze1->OnPreview = [](TObject*) {};
  report->RezavOze1->OnPreviewShowing = [&](TObject*) {
    pages = report->RezavOze1->GetQRPrinter()->GetPageCount();
    TQRPDFDocumentFilter filter(Utf8ToString(pdf));
    report->RezavOze1->ExportToFilter(&filter);
  };
  Form19->Button6Click(nullptr);
  EXPECT_FALSE(report->H_Tabel->GetActive());
  ASSERT_GE(pages, 2);
  EXPECT_EQ(Shell("qpdf --show-npages '" + pdf + "'"), std::to_string(pages) + "\n");

  std::string text;
  for (Integer p = 1; p <= pages; ++p) {
    const std::string page =
        Shell("pdftotext -layout -f " + std::to_string(p) + " -l " + std::to_string(p) + " '" + pdf + "' -");
    // Every page starts with the period and the day numbers.
    const size_t period = page.find("Февраль 2024 г.");
    EXPECT_NE(period, std::string::npos) << "page " << p << ":\n" << page;
    EXPECT_NE(page.find("29", period), std::string::npos);
    EXPECT_NE(page.find("Итого", period), std::string::npos);
    text += page;
  }
  // Each worker's line: his name, his hours of each day and the month's total.
  for (int n = 1; n <= 40; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "Работник %02d", n);
    const size_t at = text.find(name);
    ASSERT_NE(at, std::string::npos) << name;
    const std::string line = text.substr(at, text.find('\n', at) - at);
    std::vector<std::string> numbers;
    std::istringstream words(line.substr(std::strlen(name)));
    for (std::string w; words >> w;) numbers.push_back(w);
    const int first = n == 1 ? 4 : n, second = n == 1 ? 14 : 0;
    ASSERT_EQ(numbers.size(), 32u) << line;
    EXPECT_EQ(numbers[0], std::to_string(first)) << line;
    EXPECT_EQ(numbers[1], std::to_string(second)) << line;
    EXPECT_EQ(numbers[28], "8") << line;
    EXPECT_EQ(numbers[31], std::to_string(first + second + 8)) << line;
  }
}

}  // namespace
