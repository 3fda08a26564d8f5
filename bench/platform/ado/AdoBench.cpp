// Opening a large query through TADOQuery against psql fetching the same rows, and the recordset's
// Sort and LIKE filter over them. Needs the local server (db/start-server); makes its own database.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "platform/ado/ADODB.h"
#include "platform/rtl/Utf.h"
#include "tests/SourceDir.h"

namespace {

constexpr int kRows = 100000;
const char* const kSelect = "select * from t.big";

std::string Shell(const std::string& command) {
  std::string output;
  char buffer[4096];
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + command);
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  if (pclose(pipe) != 0) throw std::runtime_error(command + " failed:\n" + output);
  return output;
}

std::string Db(const std::string& script) { return std::string(KivSourceDir()) + "/db/" + script; }

std::string SysPassword() {
  std::ifstream in(Db("demo-passwords"));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string name, password;
    if (words >> name >> password && name == "sys") return password;
  }
  throw std::runtime_error("no password for sys");
}

// One database for the whole run, with 100,000 rows of ten columns.
struct BenchDatabase {
  std::string name = "h8_bench_" + std::to_string(getpid());
  std::string password = SysPassword();
  std::unique_ptr<TADOConnection> connection;

  BenchDatabase() {
    Shell(Db("test-database") + " " + name);
    const std::string sql =
        "CREATE SCHEMA t AUTHORIZATION sys; "
        "CREATE TABLE t.big(id int primary key, qty int, code bigint, price numeric(15,4), amount "
        "numeric(28,6), "
        "name varchar(60), note text, d date, ts timestamp, rate float8); "
        "INSERT INTO t.big SELECT g, g % 1000, g * 7919::bigint, (g % 10000) / 100.0, g * 1.000001, "
        "'Изделие ' || (g * 37 % 100000), 'примечание к строке ' || g, date '2020-01-01' + g % 1500, "
        "timestamp '2020-01-01 08:00' + g * interval '17 minutes', g / 7.0 FROM generate_series(1, " +
        std::to_string(kRows) + ") g;\nALTER TABLE t.big OWNER TO sys;\nVACUUM ANALYZE t.big;\n";
    // Through a file: the statements carry quotes, and VACUUM must run outside a transaction.
    const std::string file = "/tmp/" + name + ".sql";
    std::ofstream(file) << sql;
    Shell("bash -c \". " + Db("lib.sh") + " && kiv_psql -d " + name + " -f " + file + "\"");
    std::remove(file.c_str());
    connection = std::make_unique<TADOConnection>(nullptr);
    connection->SetConnectionString(
        u"DRIVER={PostgreSQL UNICODE};DATABASE=" + Utf8ToString(name) +
        u";SERVER=localhost;PORT=5432;UID=sys;PWD=" + Utf8ToString(password) +
        u";SSLmode=allow;ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;"
        u"ShowSystemTables=0;Fetch=100;UnknownSizes=0;MaxVarcharSize=255;MaxLongVarcharSize=8190;Debug=0;"
        u"CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;BoolsAsChar=1;Parse=0;"
        u"ExtraSysTablePrefixes=;LFConversion=1;UpdatableCursors=1;TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary="
        u"1;"
        u"UseServerSidePrepare=1;LowerCaseIdentifier=0;D6=-101;OptionalErrors=0;XaOpt=1");
    connection->Open();
  }
  ~BenchDatabase() {
    connection.reset();
    try {
      Shell(Db("drop-database") + " " + name);
    } catch (...) {
    }
  }
};

BenchDatabase& Database() {
  static BenchDatabase db;
  return db;
}

std::unique_ptr<TADOQuery> OpenQuery() {
  auto q = std::make_unique<TADOQuery>(nullptr);
  q->SetConnection(Database().connection.get());
  q->SQL()->SetText(Utf8ToString(kSelect));
  q->Open();
  return q;
}

double PsqlCopySeconds() {
  const BenchDatabase& db = Database();
  const auto start = std::chrono::steady_clock::now();
  Shell("PGPASSWORD=" + db.password + " psql -X -q -h localhost -U sys -d " + db.name + " -c '\\copy (" +
        kSelect + ") to /dev/null'");
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double OpenSeconds() {
  const auto start = std::chrono::steady_clock::now();
  auto q = OpenQuery();
  benchmark::DoNotOptimize(q->RecordCount());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Process memory taken by one open 100,000-row query; first, before other runs leave freed memory behind.
void BM_MemoryPerRow(benchmark::State& state) {
  auto rss = [] {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * sysconf(_SC_PAGESIZE);
  };
  double perRow = 0;
  Database();
  for (auto _ : state) {
    const double before = rss();
    auto q = OpenQuery();
    perRow = (rss() - before) / kRows;
  }
  state.counters["rss_bytes_per_row"] = perRow;
}
BENCHMARK(BM_MemoryPerRow)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_TADOQueryOpen100k(benchmark::State& state) {
  size_t bytes = 0;
  for (auto _ : state) {
    auto q = OpenQuery();
    if (q->RecordCount() != kRows) state.SkipWithError("wrong row count");
    bytes = q->GetStoreBytes();
  }
  state.counters["rows"] = kRows;
  state.counters["store_bytes_per_row"] = static_cast<double>(bytes) / kRows;
}
BENCHMARK(BM_TADOQueryOpen100k)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PsqlCopy100k(benchmark::State& state) {
  for (auto _ : state) PsqlCopySeconds();
}
BENCHMARK(BM_PsqlCopy100k)->Unit(benchmark::kMillisecond)->Iterations(5);

// Both in the same iterations, best of each, and their ratio.
void BM_OpenVersusPsqlRatio(benchmark::State& state) {
  double bestOpen = 1e9, bestPsql = 1e9;
  for (auto _ : state) {
    bestOpen = std::min(bestOpen, OpenSeconds());
    bestPsql = std::min(bestPsql, PsqlCopySeconds());
  }
  state.counters["tadoquery_ms"] = bestOpen * 1000;
  state.counters["psql_ms"] = bestPsql * 1000;
  state.counters["ratio"] = bestOpen / bestPsql;
}
BENCHMARK(BM_OpenVersusPsqlRatio)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SortTwoFields(benchmark::State& state) {
  auto q = OpenQuery();
  bool flip = false;
  for (auto _ : state) {
    q->SetSort(flip ? u"name, amount DESC" : u"d DESC, price");
    flip = !flip;
  }
}
BENCHMARK(BM_SortTwoFields)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_LikeFilter(benchmark::State& state) {
  auto q = OpenQuery();
  q->SetFiltered(true);
  bool flip = false;
  for (auto _ : state) {
    q->SetFilter(flip ? u"name LIKE '%42%'" : u"note LIKE '%строке 9%'");
    benchmark::DoNotOptimize(q->RecordCount());
    flip = !flip;
  }
}
BENCHMARK(BM_LikeFilter)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
