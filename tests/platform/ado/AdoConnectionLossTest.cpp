// A connection whose server goes away: the backend terminated on the shared server, and a private
// throwaway cluster restarted in the middle of a query, a Post and an open transaction. Each gives a
// clear error, nothing half-written reaches the database, and the next operation works.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "tests/platform/ado/AdoFixture.h"

namespace {

// The message of what fn raises, or "" when it raised nothing.
template <class F>
std::string ErrorOf(F&& fn) {
  try {
    fn();
  } catch (const EDatabaseError& e) {
    return StringToUtf8(e.Message());
  }
  return "";
}

bool Mentions(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

constexpr const char* kLost = "Связь с сервером базы данных потеряна";
constexpr const char* kNotSaved = "изменения не сохранены";

TEST(AdoConnectionLossStateTest, TheServerEndingTheSessionCountsAsALostLink) {
  struct Case {
    const char16_t* state;
    bool lost;
  };
  const Case cases[] = {{u"08S01", true},  {u"08006", true},  {u"08001", true},  {u"57P01", true},
                        {u"57P02", true},  {u"57P03", true},  {u"57014", false}, {u"57P04", false},
                        {u"40001", false}, {u"42601", false}, {u"HY000", false}};
  for (const Case& c : cases) {
    const EADOError error(u"x", {TOdbcDiagnostic{c.state, 0, u"x"}});
    EXPECT_EQ(error.IsConnectionLost(), c.lost) << StringToUtf8(c.state);
  }
  EXPECT_FALSE(EADOError(u"no driver record").IsConnectionLost());
}

// ---- The backend terminated on the shared server ----

class AdoTerminatedTest : public AdoTest {
 protected:
  void SetUp() override {
    AdoTest::SetUp();
    Exec(u"create table t.item(id int primary key, name text)");
    Exec(u"insert into t.item values (1, 'один')");
  }
  void Terminate() {
    SuperuserSql(database_, "select pg_terminate_backend(pid) from pg_stat_activity where datname = '" +
                                database_ + "' and usename = 'sys' and pid <> pg_backend_pid()");
  }
  String Rows() { return Scalar(u"select string_agg(id || ':' || name, ',' order by id) from t.item"); }
};

TEST_F(AdoTerminatedTest, AnOpenTransactionIsReportedLostAndNothingOfItIsSaved) {
  connection_->BeginTrans();
  Exec(u"insert into t.item values (2, 'два')");
  Terminate();
  const std::string failed = ErrorOf([&] { Exec(u"insert into t.item values (3, 'три')"); });
  EXPECT_TRUE(Mentions(failed, kNotSaved)) << failed;
  EXPECT_FALSE(connection_->GetConnected());
  EXPECT_TRUE(connection_->InTransaction());
  // No statement runs until the lost transaction is ended: it would be saved on its own.
  EXPECT_TRUE(Mentions(ErrorOf([&] { Exec(u"insert into t.item values (4, 'четыре')"); }), kNotSaved));
  EXPECT_TRUE(Mentions(ErrorOf([&] { connection_->Open(); }), kNotSaved));
  EXPECT_TRUE(Mentions(ErrorOf([&] { connection_->CommitTrans(); }), kNotSaved));
  EXPECT_FALSE(connection_->InTransaction());
  EXPECT_EQ(Rows(), u"1:один");
  Exec(u"insert into t.item values (5, 'пять')");
  EXPECT_EQ(Rows(), u"1:один,5:пять");
}

TEST_F(AdoTerminatedTest, TransactionCallsOnADroppedLinkRaise) {
  // Rolling back a lost transaction raises as well: the caller learns what became of its changes.
  connection_->BeginTrans();
  Exec(u"insert into t.item values (2, 'два')");
  Terminate();
  EXPECT_TRUE(Mentions(ErrorOf([&] { connection_->RollbackTrans(); }), kNotSaved));
  EXPECT_FALSE(connection_->InTransaction());
  // A link dropped between transactions fails BeginTrans, not the caller's first step after it ...
  Exec(u"select 1");
  Terminate();
  EXPECT_TRUE(Mentions(ErrorOf([&] { connection_->BeginTrans(); }), kLost));
  EXPECT_FALSE(connection_->InTransaction());
  // ... and the next one connects again and works.
  connection_->BeginTrans();
  Exec(u"insert into t.item values (6, 'шесть')");
  connection_->CommitTrans();
  EXPECT_EQ(Rows(), u"1:один,6:шесть");
}

TEST_F(AdoTerminatedTest, APostOnADroppedLinkFailsKeepsTheEditAndWorksWhenRepeated) {
  TADOQuery* q = Query(u"select id, name from t.item order by id");
  q->Open();
  Terminate();
  q->Edit();
  q->FieldByName(u"name")->SetAsString(u"первый");
  EXPECT_TRUE(Mentions(ErrorOf([&] { q->Post(); }), kLost));
  EXPECT_EQ(q->GetState(), dsEdit);
  EXPECT_TRUE(q->GetActive());
  q->Post();
  EXPECT_EQ(q->GetState(), dsBrowse);
  EXPECT_EQ(Rows(), u"1:первый");
}

TEST_F(AdoTerminatedTest, ADataSetShowsOnlyWhatItsTransactionSaved) {
  Exec(u"insert into t.item values (2, 'два')");
  TADOQuery* q = Query(u"select id, name from t.item order by id");
  auto shown = [&] {
    String out;
    for (q->First(); !q->GetEof(); q->Next())
      out += (out.empty() ? u"" : u",") + q->FieldByName(u"id")->GetAsString() + u":" +
             q->FieldByName(u"name")->GetAsString();
    return out;
  };
  enum class End { Commit, Rollback, Lost };
  struct Case {
    End end;
    const char16_t* after;
  };
  const Case cases[] = {
      {End::Rollback, u"1:один,2:два"}, {End::Lost, u"1:один,2:два"}, {End::Commit, u"1:первый,3:три"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.end));
    q->Open();
    connection_->BeginTrans();
    q->Edit();
    q->FieldByName(u"name")->SetAsString(u"первый");
    q->Post();
    q->Append();
    q->FieldByName(u"id")->SetAsInteger(3);
    q->FieldByName(u"name")->SetAsString(u"три");
    q->Post();
    ASSERT_TRUE(q->Locate(u"id", Variant(2), TLocateOptions()));
    q->Delete();
    if (c.end == End::Commit) connection_->CommitTrans();
    if (c.end == End::Rollback) connection_->RollbackTrans();
    if (c.end == End::Lost) {
      Terminate();
      EXPECT_TRUE(Mentions(ErrorOf([&] { connection_->CommitTrans(); }), kNotSaved));
    }
    EXPECT_EQ(shown(), c.after);
    EXPECT_EQ(Rows(), c.after);
    q->Close();
  }
  // Rows read again inside a transaction that then rolls back are read once more.
  q->Open();
  connection_->BeginTrans();
  Exec(u"insert into t.item values (4, 'четыре')");
  q->Requery();
  EXPECT_EQ(shown(), u"1:первый,3:три,4:четыре");
  connection_->RollbackTrans();
  EXPECT_EQ(shown(), u"1:первый,3:три");
}

TEST_F(AdoTerminatedTest, TheLinkIsMadeAgainWithTheLoginItWasOpenedWith) {
  // The login given to Open is not in the connection string; connecting again must not lose it.
  TADOConnection c(nullptr);
  c.SetConnectionString(u"DRIVER={PostgreSQL UNICODE};DATABASE=" + Utf8ToString(database_) +
                        u";SERVER=localhost;PORT=5432;SSLmode=prefer;" + kLoginOptions);
  c.Open(u"econom", DemoPassword(u"econom"));
  auto who = [&] {
    std::unique_ptr<TADOQuery> q(new TADOQuery(nullptr));
    q->SetConnection(&c);
    q->SQL()->SetText(u"select current_user::text");
    q->Open();
    return q->GetFields()->GetField(0)->GetAsString();
  };
  EXPECT_EQ(who(), u"econom");
  SuperuserSql(database_, "select pg_terminate_backend(pid) from pg_stat_activity where datname = '" +
                              database_ + "' and usename = 'econom'");
  EXPECT_TRUE(Mentions(ErrorOf(who), kLost));
  EXPECT_EQ(who(), u"econom");
}

// ---- A private cluster restarted under the connection ----

// A throwaway cluster of its own on a free port, with one database and a superuser login reached
// over TCP without a password; dropped with the fixture. The shared server is never touched.
class AdoRestartTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    name_ = "kivt_loss_" + std::to_string(getpid());
    port_ = FreePort();
    Shell("pg_createcluster 15 " + name_ + " --port " + std::to_string(port_) +
          " -- --auth-host=trust --auth-local=peer");
    Shell("pg_ctlcluster 15 " + name_ + " start");
    Psql("postgres", "create role kivt login superuser");
    Psql("postgres", "create database loss owner kivt");
  }
  static void TearDownTestSuite() {
    if (!name_.empty()) Shell("pg_dropcluster 15 " + name_ + " --stop");
  }

  void SetUp() override {
    Psql("loss", "drop table if exists item; create table item(id int primary key, name text)");
    Psql("loss", "insert into item values (1, 'один')");
    connection_ = std::make_unique<TADOConnection>(nullptr);
    connection_->SetLoginPrompt(false);
    connection_->SetConnectionString(u"DRIVER={PostgreSQL UNICODE};DATABASE=loss;SERVER=localhost;PORT=" +
                                     IntToStr(port_) + u";UID=kivt;PWD=x;SSLmode=prefer;" + kLoginOptions);
    connection_->Open();
  }

  static int FreePort() {
    for (int port = 56000 + getpid() % 900; port < 57000; ++port) {
      const int s = socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_port = htons(static_cast<uint16_t>(port));
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      const bool free = bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
      close(s);
      if (free && access(("/var/run/postgresql/.s.PGSQL." + std::to_string(port)).c_str(), F_OK) != 0)
        return port;
    }
    throw std::runtime_error("no free port");
  }
  static std::string Psql(const std::string& database, const std::string& sql) {
    return Shell("runuser -u postgres -- psql -X -q -A -t -v ON_ERROR_STOP=1 -p " + std::to_string(port_) +
                 " -d " + database + " -c \"" + sql + "\"");
  }
  static void Restart() { Shell("pg_ctlcluster 15 " + name_ + " restart -m fast"); }
  // Restarts the cluster after a moment, while the caller's statement runs.
  static std::thread RestartSoon() {
    return std::thread([] {
      std::this_thread::sleep_for(std::chrono::milliseconds(700));
      Restart();
    });
  }
  static std::string Rows() {
    const std::string rows = Psql("loss", "select string_agg(id || ':' || name, ',' order by id) from item");
    return rows.substr(0, rows.find_last_not_of('\n') + 1);
  }
  String Scalar(const String& sql) {
    std::unique_ptr<TADOQuery> q(new TADOQuery(nullptr));
    q->SetConnection(connection_.get());
    q->SQL()->SetText(sql);
    q->Open();
    return q->GetFields()->GetField(0)->GetAsString();
  }

  static inline std::string name_;
  static inline int port_ = 0;
  std::unique_ptr<TADOConnection> connection_;
};

TEST_F(AdoRestartTest, ARestartInTheMiddleOfAQuery) {
  std::thread restart = RestartSoon();
  const std::string failed = ErrorOf([&] { Scalar(u"select pg_sleep(10)::text"); });
  restart.join();
  EXPECT_TRUE(Mentions(failed, kLost)) << failed;
  EXPECT_FALSE(connection_->GetConnected());
  EXPECT_EQ(Scalar(u"select count(*) from item"), u"1");
}

TEST_F(AdoRestartTest, ARestartInTheMiddleOfAPost) {
  // The update waits on the server long enough for the restart to catch it.
  Psql("loss",
       "create function slow() returns trigger language plpgsql as \\$\\$ begin perform pg_sleep(3); "
       "return new; end \\$\\$; create trigger slow before update on item for each row execute function "
       "slow()");
  std::unique_ptr<TADOQuery> q(new TADOQuery(nullptr));
  q->SetConnection(connection_.get());
  q->SQL()->SetText(u"select id, name from item");
  q->Open();
  q->Edit();
  q->FieldByName(u"name")->SetAsString(u"первый");
  std::thread restart = RestartSoon();
  const std::string failed = ErrorOf([&] { q->Post(); });
  restart.join();
  EXPECT_TRUE(Mentions(failed, kLost)) << failed;
  EXPECT_EQ(q->GetState(), dsEdit);
  EXPECT_EQ(Rows(), "1:один");
  q->Post();
  EXPECT_EQ(Rows(), "1:первый");
  Psql("loss", "drop trigger slow on item; drop function slow()");
}

TEST_F(AdoRestartTest, ARestartWithATransactionOpen) {
  connection_->BeginTrans();
  connection_->Execute(u"insert into item values (2, 'два')");
  Restart();
  const std::string failed = ErrorOf([&] { connection_->Execute(u"insert into item values (3, 'три')"); });
  EXPECT_TRUE(Mentions(failed, kNotSaved)) << failed;
  EXPECT_TRUE(Mentions(ErrorOf([&] { connection_->CommitTrans(); }), kNotSaved));
  EXPECT_EQ(Rows(), "1:один");
  connection_->Execute(u"insert into item values (4, 'четыре')");
  EXPECT_EQ(Rows(), "1:один,4:четыре");
}

}  // namespace
