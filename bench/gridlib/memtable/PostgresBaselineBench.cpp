// PostgreSQL's own sort and LIKE over the same million rows as the record store's benchmarks: a copy of
// the template database gets the rows by COPY; the server sorts inside one query and hands back one row.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

#include "platform/ado/ADODB.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "tests/SourceDir.h"

namespace {

constexpr int kRows = 1000000;
constexpr int kFields = 20;

std::string Run(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + command);
  char buffer[4096];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  if (pclose(pipe) != 0) throw std::runtime_error(command + " failed:\n" + output);
  return output;
}

std::string Script(const char* name) { return std::string(KivSourceDir()) + "/db/" + name; }

void Psql(const std::string& database, const std::string& sql) {
  Run("bash -c \". " + Script("lib.sh") + " && kiv_psql -d " + database + " -c \\\"" + sql + "\\\"\"");
}

// The same rows as the store's benchmark: the same generator, seed and column rules.
std::string WriteRows() {
  static const char16_t* parts[] = {u"Ив", u"ан", u"ов", u"Пет", u"ро", u"Сид", u"ор", u"ко",
                                    u"ва", u"ЕЛ", u"ёж", u"Юр",  u"ин", u"ЯК",  u"ли", u"Ша"};
  std::string path = "/tmp/memtable_bench_rows_" + std::to_string(getpid()) + ".csv";
  std::ofstream out(path);
  std::mt19937 random(2024);
  for (int i = 0; i < kRows; ++i) {
    String name;
    for (int p = 0; p < 3; ++p) name += parts[random() % 16];
    int grp = static_cast<int>(random() % 1000);
    int parent = i == 0 ? 0 : (i + 1) / 8;
    out << i + 1 << ',' << StringToUtf8(name) << ',' << grp << ',';
    if (parent) out << parent;
    for (int f = 4; f < kFields; ++f) {
      out << ',';
      if (f % 2)
        out << (i + 1) % 1000 + f;
      else
        out << 'v' << f;
    }
    out << '\n';
  }
  return path;
}

struct Server {
  std::string database = "bench_memtable_" + std::to_string(getpid());
  std::unique_ptr<TADOConnection> connection;

  Server() {
    Run(Script("test-database") + " " + database);
    std::string create = "CREATE TABLE bench_rows(id integer, name text, grp integer, pid integer";
    for (int f = 4; f < kFields; ++f) create += ", f" + std::to_string(f) + (f % 2 ? " integer" : " text");
    Psql(database, create + ")");
    std::string path = WriteRows();
    Psql(database, "\\\\copy bench_rows from '" + path + "' csv");
    std::remove(path.c_str());
    Psql(database, "ANALYZE bench_rows");
    Psql(database, "GRANT SELECT ON bench_rows TO sys");
    Psql(database,
         "CREATE COLLATION ru_ci (provider = icu, locale = 'ru-u-ks-level2', deterministic = false)");
    connection = std::make_unique<TADOConnection>(nullptr);
    connection->SetLoginPrompt(false);
    connection->SetConnectionString(u"DRIVER={PostgreSQL UNICODE};DATABASE=" + Utf8ToString(database) +
                                    u";SERVER=localhost;PORT=5432;UID=sys;PWD=demo-sys;");
    connection->Open();
    // A session setting only: the sort stays in memory, as the store's does.
    connection->Execute(u"SET work_mem = '1GB'");
  }
  ~Server() {
    connection.reset();
    try {
      Run(Script("drop-database") + " " + database);
    } catch (const std::exception&) {
      // A benchmark leaves at most a scratch database behind; nothing of the project's is lost.
    }
  }
};

Server& SharedServer() {
  static Server server;
  return server;
}

void RunServerQuery(benchmark::State& state, const char16_t* sql) {
  Server& server = SharedServer();
  String result;
  for (auto _ : state) {
    TADOQuery query(nullptr);
    query.SetConnection(server.connection.get());
    query.SQL()->SetText(sql);
    query.Open();
    result = query.GetFields()->GetField(0)->GetAsString();
  }
  state.counters["rows"] = StrToFloat(result);
}

void BM_PostgresOrderByOneKey(benchmark::State& state) {
  RunServerQuery(state, u"SELECT count(*) FROM (SELECT id FROM bench_rows ORDER BY grp OFFSET 0) s");
}
BENCHMARK(BM_PostgresOrderByOneKey)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PostgresOrderByTwoKeysIcuCyrillicCaseInsensitive(benchmark::State& state) {
  RunServerQuery(
      state, u"SELECT count(*) FROM (SELECT id FROM bench_rows ORDER BY name COLLATE ru_ci, grp OFFSET 0) s");
}
BENCHMARK(BM_PostgresOrderByTwoKeysIcuCyrillicCaseInsensitive)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PostgresWhereLike(benchmark::State& state) {
  RunServerQuery(state, u"SELECT count(*) FROM bench_rows WHERE name LIKE '%ров%'");
}
BENCHMARK(BM_PostgresWhereLike)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
