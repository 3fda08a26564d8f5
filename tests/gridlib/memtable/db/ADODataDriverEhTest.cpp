// The in-memory table reading from and applying to PostgreSQL through the ADO data driver.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "gridlib/memtable/ADODataDriverEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "tests/platform/ado/AdoFixture.h"
#include "tests/platform/data/conformance/DataSetConformance.h"

namespace {

// ---- The conformance suite over the SQL driver, on one database for the whole run ----

class SharedDatabase : public AdoTest {
 public:
  void Start() { SetUp(); }
  void Stop() { TearDown(); }
  const std::string& Name() const { return database_; }
  void TestBody() override {}
  TADOConnection* Connection() const { return connection_; }
};

SharedDatabase* conformanceDb = nullptr;
int conformanceTables = 0;

class ConformanceDatabase : public ::testing::Environment {
 public:
  void TearDown() override {
    if (conformanceDb) conformanceDb->Stop();
    delete conformanceDb;
    conformanceDb = nullptr;
  }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new ConformanceDatabase);

TDataSet* MakeOverSql(TComponent* owner, const std::vector<TConformanceRow>& rows) {
  if (!conformanceDb) {
    conformanceDb = new SharedDatabase();
    conformanceDb->Start();
  }
  TADOConnection* connection = conformanceDb->Connection();
  String table = u"t.conf" + IntToStr(++conformanceTables);
  connection->Execute(u"create table " + table +
                      u" (ord serial, \"ID\" integer, \"NAME\" varchar(20), \"AMOUNT\" float8)");
  TADOQuery insert(nullptr);
  insert.SetConnection(connection);
  insert.SQL()->SetText(u"insert into " + table + u" (\"ID\", \"NAME\", \"AMOUNT\") values (:i, :n, :a)");
  for (const TConformanceRow& row : rows) {
    insert.Parameters()->ParamByName(u"i")->SetValue(row.Id);
    insert.Parameters()->ParamByName(u"n")->SetValue(row.Name);
    insert.Parameters()->ParamByName(u"a")->SetDataType(ftFloat);
    insert.Parameters()->ParamByName(u"a")->SetValue(row.Amount);
    insert.ExecSQL();
  }
  auto* driver = new TADODataDriverEh(owner);
  driver->SetADOConnection(connection);
  driver->SetSelectSQL(u"select \"ID\", \"NAME\", \"AMOUNT\" from " + table + u" order by ord");
  auto* memTable = new TMemTableEh(owner);
  memTable->SetDataDriver(driver);
  memTable->SetCachedUpdates(true);
  memTable->SetFetchAllOnOpen(true);
  return memTable;
}

INSTANTIATE_TEST_SUITE_P(MemTableOverSql, DataSetConformance,
                         ::testing::Values(DataSetConformanceParam{"AdoDataDriver", &MakeOverSql, true}),
                         DataSetConformanceName);

// ---- Round trips on the demo database ----

class AdoDataDriverTest : public AdoTest {
 protected:
  void SetUp() override {
    AdoTest::SetUp();
    driver_ = new TADODataDriverEh(owner_.get());
    driver_->SetADOConnection(connection_);
    driver_->SetSelectSQL(u"select id, s_caption, s_description from cmn_department.department order by id");
    driver_->GetSpecParams()->SetValue(u"AUTO_INCREMENT_FIELD", u"id");
    TDynaSQLParamsEh* dyna = driver_->GetDynaSQLParams();
    dyna->SetUpdateTable(u"cmn_department.department");
    dyna->SetKeyFields(u"id");
    dyna->SetUpdateFields(u"s_caption,s_description");
    dyna->SetOptions({dsoDynamicSQLInsertEh, dsoDynamicSQLUpdateEh, dsoDynamicSQLDeleteEh});
    table_ = new TMemTableEh(owner_.get());
    table_->SetDataDriver(driver_);
    table_->SetCachedUpdates(true);
    table_->SetFetchAllOnOpen(true);
  }

  // "id|caption|description" per row, by id, as the server has them.
  std::vector<std::string> ServerRows(TADOConnection* connection) {
    std::vector<std::string> rows;
    TADOQuery q(nullptr);
    q.SetConnection(connection);
    q.SQL()->SetText(
        u"select id, s_caption, coalesce(s_description, '<null>') from cmn_department.department order by "
        u"id");
    q.Open();
    for (q.First(); !q.Eof(); q.Next())
      rows.push_back(StringToUtf8(q.GetFields()->GetField(0)->GetAsString() + u"|" +
                                  q.GetFields()->GetField(1)->GetAsString() + u"|" +
                                  q.GetFields()->GetField(2)->GetAsString()));
    return rows;
  }

  std::vector<std::string> TableRows() {
    std::vector<std::string> rows;
    for (table_->First(); !table_->Eof(); table_->Next()) {
      TField* description = table_->FieldByName(u"s_description");
      rows.push_back(StringToUtf8(table_->FieldByName(u"id")->GetAsString() + u"|" +
                                  table_->FieldByName(u"s_caption")->GetAsString() + u"|" +
                                  (description->IsNull() ? String(u"<null>") : description->GetAsString())));
    }
    std::sort(rows.begin(), rows.end(), [](const std::string& a, const std::string& b) {
      return std::stoll(a.substr(0, a.find('|'))) < std::stoll(b.substr(0, b.find('|')));
    });
    return rows;
  }

  std::unique_ptr<TADOConnection> OtherConnection() {
    auto other = std::make_unique<TADOConnection>(nullptr);
    other->SetLoginPrompt(false);
    other->SetConnectionString(LoginConnectionString(Utf8ToString(database_), u"sys", DemoPassword(u"sys")));
    other->Open();
    return other;
  }

  TADODataDriverEh* driver_ = nullptr;
  TMemTableEh* table_ = nullptr;
};

const Char* const kHostile = u"O'Brien\"; drop table cmn_department.department; -- /* */";

TEST_F(AdoDataDriverTest, CachedChangesRoundTripAndTextArrivesAsData) {
  Exec(u"insert into cmn_department.department (s_caption) values ('scratch')");
  table_->Open();
  ASSERT_GT(table_->RecordCount(), 1);
  table_->First();
  table_->Edit();
  table_->FieldByName(u"s_caption")->SetAsString(kHostile);
  table_->Post();
  table_->Append();
  table_->FieldByName(u"s_caption")->SetAsString(u"Новый участок");
  table_->FieldByName(u"s_description")->SetAsString(kHostile);
  table_->Post();
  ASSERT_TRUE(table_->Locate(u"s_caption", u"scratch", {}));
  table_->Delete();
  EXPECT_EQ(table_->ApplyUpdates(-1), 3);
  EXPECT_FALSE(table_->HasCachedChanges());
  ASSERT_TRUE(table_->Locate(u"s_caption", u"Новый участок", {}));
  EXPECT_GT(table_->FieldByName(u"id")->GetAsInteger(), 0) << "the generated key came back by RETURNING";
  EXPECT_EQ(ServerRows(connection_), TableRows());
}

TEST_F(AdoDataDriverTest, ARowChangedByAnotherConnectionIsReportedAndNotOverwritten) {
  table_->Open();
  table_->First();
  const Integer firstId = table_->FieldByName(u"id")->GetAsInteger();
  table_->Edit();
  table_->FieldByName(u"s_caption")->SetAsString(u"mine");
  table_->Post();
  table_->Next();
  table_->Edit();
  table_->FieldByName(u"s_caption")->SetAsString(u"second");
  table_->Post();
  auto other = OtherConnection();
  other->Execute(u"update cmn_department.department set s_caption = 'theirs' where id = " +
                 IntToStr(firstId));

  // Without a handler the error ends the application and its one transaction changes nothing.
  std::vector<std::string> before = ServerRows(connection_);
  EXPECT_THROW(table_->ApplyUpdates(-1), EDatabaseError);
  EXPECT_EQ(ServerRows(connection_), before);
  EXPECT_TRUE(table_->HasCachedChanges());

  driver_->OnUpdateError = [](TDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*,
                              TUpdateErrorActionEh& action) { action = ueaCountinueSkip; };
  EXPECT_EQ(table_->ApplyUpdates(-1), 1);
  table_->Locate(u"id", firstId, {});
  EXPECT_EQ(table_->UpdateStatus(), usModified) << "the conflicting row stays pending";
  ASSERT_NE(table_->GetUpdateError(), nullptr);
  EXPECT_EQ(StringToUtf8(
                Scalar(u"select s_caption from cmn_department.department where id = " + IntToStr(firstId))),
            "theirs");
  EXPECT_EQ(ServerRows(connection_).size(), before.size());
}

TEST_F(AdoDataDriverTest, AKilledBackendLeavesTheServerAsBeforeAndTheChangesPending) {
  table_->Open();
  for (table_->First(); !table_->Eof(); table_->Next()) {
    table_->Edit();
    table_->FieldByName(u"s_caption")->SetAsString(u"x" + table_->FieldByName(u"s_caption")->GetAsString());
    table_->Post();
  }
  auto other = OtherConnection();
  std::vector<std::string> before = ServerRows(other.get());
  int applied = 0;
  driver_->OnUpdateRecord = [&](TDataDriverEh* d, TMemTableDataEh* data, TMemoryRecordEh* rec) {
    if (++applied == 2)
      SuperuserSql(database_, "select pg_terminate_backend(pid) from pg_stat_activity where datname = '" +
                                  database_ +
                                  "' and pid <> pg_backend_pid() and usename = 'sys' and "
                                  "backend_xid is not null");
    d->DefaultUpdateRecord(data, rec);
  };
  EXPECT_THROW(table_->ApplyUpdates(-1), EDatabaseError);
  EXPECT_EQ(ServerRows(other.get()), before);
  // The record applied before the loss is pending too: the server does not have it.
  for (table_->First(); !table_->Eof(); table_->Next())
    EXPECT_EQ(table_->UpdateStatus(), usModified) << table_->GetRecNo();
}

// Every table of the demo schema whose rows carry a "timestamp DEFAULT now()" column: the server keeps
// microseconds, so a row read, changed in another column and written back must still match and keep them.
TEST_F(AdoTest, RowsWithServerTimeStampsAreUpdatedAndDeletedAndKeepTheirMicroseconds) {
  struct Case {
    const Char* table;
    const Char* stamp;
    const Char* other;
    const Char* value;
  } cases[] = {
      {u"mnf_app.app_doc", u"d_date", u"state", u"1"},
      {u"stk_stocks.stock_out", u"d_datetime", u"state", u"1"},
      {u"stk_stocks.spec_out", u"d_datetime", u"so_state", u"1"},
      {u"stk_stocks.stk_move", u"d_date", u"s_user", u"проверка"},
      {u"stk_purchase.purchase_doc", u"d_date", u"state", u"1"},
      {u"accounts_dep.smena", u"vvod", u"color", u"5"},
  };
  const String stamp = u"2026-11-05 10:11:12.345678";
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.table));
    const String id = Scalar(String(u"select min(id) from ") + c.table);
    ASSERT_FALSE(id.empty());
    SuperuserSql(database_, StringToUtf8(String(u"update ") + c.table + u" set " + c.stamp + u" = '" + stamp +
                                         u"' where id = " + id));
    auto* driver = new TADODataDriverEh(owner_.get());
    driver->SetADOConnection(connection_);
    driver->SetSelectSQL(String(u"select id, ") + c.stamp + u", " + c.other + u" from " + c.table +
                         u" where id = " + id);
    TDynaSQLParamsEh* dyna = driver->GetDynaSQLParams();
    dyna->SetUpdateTable(c.table);
    dyna->SetKeyFields(u"id");
    dyna->SetUpdateFields(String(c.stamp) + u"," + c.other);
    dyna->SetOptions({dsoDynamicSQLInsertEh, dsoDynamicSQLUpdateEh, dsoDynamicSQLDeleteEh});
    auto* table = new TMemTableEh(owner_.get());
    table->SetDataDriver(driver);
    table->Open();
    ASSERT_EQ(table->RecordCount(), 1);
    if (String(c.table) == u"stk_stocks.stk_move") {
      // The movement log is the server's own and refuses every login. After the applications above the
      // refusal must still be the server's error, not a lost save point; then this copy of the database
      // lets "sys" write the log for the round trip.
      table->Edit();
      table->FieldByName(c.other)->SetAsString(c.value);
      try {
        table->Post();
        ADD_FAILURE() << "the movement log took a change";
      } catch (const EDatabaseError& e) {
        EXPECT_NE(StringToUtf8(e.Message()).find("permission denied"), std::string::npos)
            << StringToUtf8(e.Message());
      }
      EXPECT_EQ(table->GetState(), dsEdit) << "the user's values stay";
      table->Cancel();
      SuperuserSql(database_, "grant update, delete on stk_stocks.stk_move to sys");
    }

    table->Edit();
    table->FieldByName(c.other)->SetAsString(c.value);
    table->Post();
    EXPECT_EQ(Scalar(String(u"select ") + c.other + u" from " + c.table + u" where id = " + id), c.value);
    EXPECT_EQ(Scalar(String(u"select count(*) from ") + c.table + u" where id = " + id + u" and " + c.stamp +
                     u" = '" + stamp + u"'"),
              u"1")
        << "writing the row back kept the server's microseconds";

    table->Delete();
    EXPECT_EQ(Scalar(String(u"select count(*) from ") + c.table + u" where id = " + id), u"0");
  }
}

TEST_F(AdoDataDriverTest, MacroLiteralsArriveAsData) {
  Exec(u"insert into cmn_department.department (s_caption) values ('O''Brien\"; drop table x; -- /* */')");
  driver_->SetSelectSQL(
      u"select id, s_caption, s_description from cmn_department.department where s_caption = NAME_MACRO");
  driver_->GetMacroVars()->SetMacroLiteral(u"NAME_MACRO", u"O'Brien\"; drop table x; -- /* */");
  table_->Open();
  EXPECT_EQ(table_->RecordCount(), 1);
}

TEST_F(AdoDataDriverTest, ATableWithoutDataSaysSo) {
  driver_->SetADOConnection(nullptr);
  EXPECT_THROW(table_->Open(), Exception);
}

}  // namespace
