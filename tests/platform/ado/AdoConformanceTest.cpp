// The dataset conformance suite run on TADOQuery over a table of the real server. One database serves
// the whole suite; every dataset the suite makes gets a table of its own, filled with its rows.
#include <unistd.h>

#include <atomic>
#include <cstdlib>

#include "platform/rtl/Utf.h"
#include "tests/SourceDir.h"
#include "tests/platform/ado/AdoFixture.h"
#include "tests/platform/data/conformance/DataSetConformance.h"

namespace {

class ConformanceDatabase {
 public:
  ConformanceDatabase() : name_("h8_conformance_" + std::to_string(getpid())) {
    const std::string db = std::string(KivSourceDir()) + "/db/";
    if (std::system((db + "test-database " + name_ + " >/dev/null").c_str()) != 0)
      throw std::runtime_error("cannot create " + name_);
    SuperuserSql(name_, "CREATE SCHEMA t AUTHORIZATION sys");
    connection_ = std::make_unique<TADOConnection>(nullptr);
    connection_->SetConnectionString(
        LoginConnectionString(Utf8ToString(name_), u"sys", DemoPassword(u"sys")));
    connection_->Open();
  }
  ~ConformanceDatabase() {
    connection_.reset();
    std::system((std::string(KivSourceDir()) + "/db/drop-database " + name_ + " >/dev/null").c_str());
  }
  TADOConnection* Connection() { return connection_.get(); }

 private:
  std::string name_;
  std::unique_ptr<TADOConnection> connection_;
};

ConformanceDatabase& Database() {
  static ConformanceDatabase db;
  return db;
}

TDataSet* MakeQuery(TComponent* owner, const std::vector<TConformanceRow>& rows) {
  static std::atomic<int> tables{0};
  TADOConnection* connection = Database().Connection();
  // Quoted names keep the upper case the suite asks fields by; no key, so rows are found by their values.
  const String table = u"t.c" + Utf8ToString(std::to_string(++tables));
  connection->Execute(u"create table " + table + u"(\"ID\" int, \"NAME\" varchar(20), \"AMOUNT\" float8)");
  TADOQuery insert(nullptr);
  insert.SetConnection(connection);
  insert.SQL()->SetText(u"insert into " + table + u" values (:id, :name, :amount)");
  insert.Parameters()->ParamByName(u"id")->SetDataType(ftInteger);
  insert.Parameters()->ParamByName(u"name")->SetDataType(ftWideString);
  insert.Parameters()->ParamByName(u"amount")->SetDataType(ftFloat);
  for (const TConformanceRow& row : rows) {
    insert.Parameters()->ParamByName(u"id")->SetValue(row.Id);
    insert.Parameters()->ParamByName(u"name")->SetValue(row.Name);
    insert.Parameters()->ParamByName(u"amount")->SetValue(row.Amount);
    insert.ExecSQL();
  }
  auto* q = new TADOQuery(owner);
  q->SetConnection(connection);
  // The insertion order is the order the suite expects.
  q->SQL()->SetText(u"select * from " + table + u" order by ctid");
  return q;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(TADOQuery, DataSetConformance,
                         ::testing::Values(DataSetConformanceParam{"TADOQuery", &MakeQuery}),
                         DataSetConformanceName);
