// TADOConnection against the real server: both connection-string forms, failures, transactions, events
// and a connection that the server drops in the middle of a session.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "tests/SourceDir.h"
#include "tests/platform/ado/AdoFixture.h"

namespace {

using AdoConnectionTest = AdoTest;

// A user data source in the account's odbc.ini, removed again however the test ends.
class UserDataSource {
 public:
  UserDataSource(const std::string& name, const std::string& database) : name_(name) {
    const std::string define =
        std::string(KivSourceDir()) + "/db/define-odbc-source --dsn " + name + " --database " + database;
    if (std::system(define.c_str()) != 0) throw std::runtime_error("cannot define " + name);
  }
  ~UserDataSource() {
    std::system(
        (std::string(KivSourceDir()) + "/db/define-odbc-source --dsn " + name_ + " --remove").c_str());
  }

 private:
  std::string name_;
};

TEST_F(AdoConnectionTest, TheLoginsDataSourceFormConnectsThroughAUserDataSource) {
  // Data source names are short in ODBC (32 characters).
  const std::string dsn = "kiv_h8_" + std::to_string(getpid());
  UserDataSource source(dsn, database_);
  TADOConnection c(nullptr);
  c.SetLoginPrompt(false);
  c.SetConnectionString(u"Provider=MSDASQL.1;Password=" + DemoPassword(u"econom") +
                        u";Persist Security Info=True;User ID=econom;Data Source=" + Utf8ToString(dsn));
  ASSERT_NO_THROW(c.SetConnected(true));
  EXPECT_TRUE(c.GetConnected());
  EXPECT_EQ(c.GetDefaultDatabase(), Utf8ToString(database_));
  std::unique_ptr<TADOQuery> q(new TADOQuery(nullptr));
  q->SetConnection(&c);
  q->SQL()->SetText(u"select current_user::text as who");
  q->Open();
  EXPECT_EQ(q->FieldByName(u"who")->GetAsString(), u"econom");
}

TEST_F(AdoConnectionTest, ARefusedLoginRaisesTheDriversTextAndTellsTheEvents) {
  TADOConnection c(nullptr);
  c.SetConnectionString(LoginConnectionString(Utf8ToString(database_), u"sys", u"wrong"));
  int before = 0, after = 0;
  String reported;
  c.BeforeConnect = [&](TObject*) { ++before; };
  c.AfterConnect = [&](TObject*) { ++after; };
  c.OnConnectComplete = [&](TADOConnection*, EADOError* error, TEventStatus& status) {
    if (error) reported = error->Message();
    EXPECT_EQ(status, esErrorsOccured);
  };
  try {
    c.Open();
    FAIL() << "a wrong password was accepted";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find(u"password authentication failed"), String::npos) << StringToUtf8(e.Message());
    EXPECT_EQ(reported, e.Message());
  }
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 0);
  EXPECT_FALSE(c.GetConnected());
  EXPECT_GE(c.Errors()->Count(), 1);
}

TEST_F(AdoConnectionTest, TransactionsCommitAndRollBack) {
  Exec(u"create table t.tx(id int)");
  EXPECT_FALSE(connection_->InTransaction());
  connection_->BeginTrans();
  EXPECT_TRUE(connection_->InTransaction());
  EXPECT_THROW(connection_->BeginTrans(), EDatabaseError);
  Exec(u"insert into t.tx values (1)");
  connection_->RollbackTrans();
  EXPECT_EQ(Scalar(u"select count(*) from t.tx"), u"0");
  connection_->BeginTrans();
  Exec(u"insert into t.tx values (2)");
  connection_->CommitTrans();
  EXPECT_FALSE(connection_->InTransaction());
  // Autocommit again: a second connection sees the row at once.
  Exec(u"insert into t.tx values (3)");
  TADOConnection other(nullptr);
  other.SetConnectionString(connection_->GetConnectionString());
  other.Open();
  EXPECT_EQ(other.Execute(u"update t.tx set id = id"), 2);
}

TEST_F(AdoConnectionTest, ClosingTheConnectionClosesItsDataSets) {
  TADOQuery* q = Query(u"select 1 as n");
  q->Open();
  connection_->Close();
  EXPECT_FALSE(q->GetActive());
  q->Open();  // reopens the connection on demand
  EXPECT_TRUE(connection_->GetConnected());
  EXPECT_EQ(q->FieldByName(u"n")->GetAsInteger(), 1);
}

TEST_F(AdoConnectionTest, AConnectionDroppedByTheServerRaisesAndTheProgramGoesOn) {
  TADOQuery* q = Query(u"select pg_backend_pid() as pid");
  q->Open();
  const String pid = q->FieldByName(u"pid")->GetAsString();
  q->Close();
  SuperuserSql(database_, "select pg_terminate_backend(" + StringToUtf8(pid) + ")");
  String first;
  try {
    q->Open();
    FAIL() << "a dead connection answered";
  } catch (const EDatabaseError& e) {
    first = e.Message();
    EXPECT_FALSE(first.empty());
  }
  EXPECT_FALSE(q->GetActive());
  // Plain words first, the server's own text below them.
  EXPECT_EQ(first.rfind(u"Связь с сервером базы данных потеряна.", 0), 0u) << StringToUtf8(first);
  EXPECT_NE(first.find(u"\n"), String::npos) << StringToUtf8(first);
  EXPECT_FALSE(connection_->GetConnected());
  // The next statement connects again by itself.
  EXPECT_EQ(Scalar(u"select 41 + 1"), u"42");
  EXPECT_TRUE(connection_->GetConnected());
}

}  // namespace
