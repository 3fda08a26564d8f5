// The inventory list over the demo database: the pages carry every item once and in order, the
// kinds' sums equal the server's, and a worker thread makes the same pages.
#include <unistd.h>

#include "platform/ado/ADODB.h"
#include "tests/SourceDir.h"
#include "tests/platform/ado/AdoFixture.h"
#include "tests/reportlib/engine/ReportTestSupport.h"

class InventoryReportDbTest : public InventoryReportTest {
 protected:
  void SetUp() override {
    InventoryReportTest::SetUp();
    database_ = "h26_inventory_" + std::to_string(getpid());
    Shell(std::string(KivSourceDir()) + "/db/test-database " + database_);
    // More items than the demo holds, so the list runs over several pages and kinds.
    SuperuserSql(
        database_,
        "INSERT INTO cmn_inventory_items.inventory_items (id, marka, id_type, id_nom, massa_kg) "
        "SELECT 1000 + g, 'Изделие ' || g, 1, 1 + g % 7, (g % 13) * 0.875 FROM generate_series(1, 300) g");
    connection_ = new TADOConnection(form_.get());
    connection_->SetLoginPrompt(false);
    connection_->SetConnectionString(
        LoginConnectionString(Utf8ToString(database_), u"sys", DemoPassword(u"sys")));
    connection_->Open();
  }
  void TearDown() override {
    InventoryReportTest::TearDown();
    try {
      Shell(std::string(KivSourceDir()) + "/db/drop-database " + database_);
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
  }
  TADOQuery* Query(const String& sql) {
    auto* q = new TADOQuery(form_.get());
    q->SetConnection(connection_);
    q->SQL()->SetText(sql);
    return q;
  }

  std::string database_;
  TADOConnection* connection_ = nullptr;
};

TEST_F(InventoryReportDbTest, PagesHoldEveryItemInOrderWithTheServersSums) {
  TADOQuery* items = Query(
      u"SELECT n.nom, ii.marka, ii.massa_kg AS massa FROM cmn_inventory_items.inventory_items ii "
      u"JOIN cmn_inventory_items.nomenclature n ON n.id = ii.id_nom WHERE ii.id > 0 ORDER BY n.nom, ii.id");
  items->SetName(u"items");
  items->Open();
  std::vector<TRow> rows;
  for (items->First(); !items->GetEof(); items->Next())
    rows.push_back({U8(items->FieldByName(u"nom")->GetAsString()),
                    U8(items->FieldByName(u"marka")->GetAsString()),
                    items->FieldByName(u"massa")->GetAsFloat()});
  ASSERT_GT(rows.size(), 300u);
  BuildInventory(items);
  report_->Prepare();
  const auto pages = Pages();
  ASSERT_GT(pages.size(), 3u);
  ExpectInventoryPages(rows, pages);

  // The kinds' sums as the server adds them, in the order the footers print.
  TADOQuery* sums = Query(
      u"SELECT sum(ii.massa_kg) FROM cmn_inventory_items.inventory_items ii "
      u"JOIN cmn_inventory_items.nomenclature n ON n.id = ii.id_nom WHERE ii.id > 0 GROUP BY n.nom ORDER BY "
      u"n.nom");
  sums->Open();
  std::vector<std::string> expected, printed;
  for (sums->First(); !sums->GetEof(); sums->Next())
    expected.push_back(U8(FormatFloat(u"#0.000", sums->GetFields()->GetField(0)->GetAsFloat())));
  for (const auto& page : pages)
    for (size_t i = 0; i + 1 < page.size(); ++i)
      if (page[i].Text == "Итого по виду:") printed.push_back(page[i + 1].Text);
  EXPECT_EQ(printed, expected);

  // A worker thread makes the same pages from the same query.
  report_->OnPreview = [](TObject*) {};
  report_->SetCreateInBGThread(true);
  report_->Preview();
  report_->WaitForGeneration();
  const auto background = Pages();
  ASSERT_EQ(background.size(), pages.size());
  for (size_t p = 0; p < pages.size(); ++p) {
    ASSERT_EQ(background[p].size(), pages[p].size()) << "page " << p + 1;
    for (size_t i = 0; i < pages[p].size(); ++i) EXPECT_EQ(background[p][i].Text, pages[p][i].Text);
  }
}
