// A pivot of a million records, two row fields by two column fields, Sum with totals: the pivot data
// source's build and cell array against pandas' pivot_table(margins=True) and PostgreSQL's GROUP BY CUBE
// over the same rows, in one run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

#include "gridlib/pivot/PivotGridsEh.h"
#include "platform/ado/ADODB.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "tests/SourceDir.h"

namespace {

constexpr int kRows = 1000000;

struct Row {
  std::string a;
  int b, c, d;
  double x;
};

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = [] {
    std::vector<Row> result;
    std::mt19937 random(52);
    for (int i = 0; i < kRows; ++i)
      result.push_back({"w" + std::to_string(random() % 50), static_cast<int>(random() % 20),
                        static_cast<int>(random() % 12), static_cast<int>(random() % 5),
                        static_cast<double>(random() % 10000) / 100});
    return result;
  }();
  return rows;
}

std::string Run(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + command);
  char buffer[4096];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  if (pclose(pipe) != 0) throw std::runtime_error(command + " failed:\n" + output);
  return output;
}

std::string CsvPath() {
  static const std::string path = [] {
    std::string p = "/tmp/pivot_bench_rows_" + std::to_string(getpid()) + ".csv";
    std::ofstream out(p);
    out << "a,b,c,d,x\n";
    for (const Row& r : Rows()) out << r.a << ',' << r.b << ',' << r.c << ',' << r.d << ',' << r.x << '\n';
    return p;
  }();
  return path;
}

void BM_PivotDataSourceBuildAndArray(benchmark::State& state) {
  TMemTableEh table(nullptr);
  table.GetFieldDefs()->Add(u"a", ftWideString, 20);
  table.GetFieldDefs()->Add(u"b", ftInteger);
  table.GetFieldDefs()->Add(u"c", ftInteger);
  table.GetFieldDefs()->Add(u"d", ftInteger);
  table.GetFieldDefs()->Add(u"x", ftFloat);
  table.CreateDataSet();
  table.DisableControls();
  for (const Row& r : Rows()) table.AppendRecord({Utf8ToString(r.a), r.b, r.c, r.d, r.x});
  table.EnableControls();
  TPivotDataSourceEh source(nullptr);
  source.SetDataSet(&table);
  source.GetPivotFields()->RebuildPivotFields();
  source.GetRowFields()->Add(u"a");
  source.GetRowFields()->Add(u"b");
  source.GetColumnFields()->Add(u"c");
  source.GetColumnFields()->Add(u"d");
  TPivotFieldValueInfoEh* value = source.GetValueFieldDefs()->Add();
  value->SetPivotFieldName(u"x");
  value->SetSumFunction(svtSumEh);
  source.CreateAndFillSourceTable();
  TPivotGridArrayEh array;
  array.SetPivotDataSource(&source);
  for (auto _ : state) {
    source.BuildPivotData();
    array.RebuildGrid();
  }
  state.counters["cells"] = static_cast<double>(array.ColCount()) * array.RowCount();
}
BENCHMARK(BM_PivotDataSourceBuildAndArray)->Unit(benchmark::kMillisecond)->Iterations(3);

// pandas reads the rows once; only pivot_table is timed, by the script itself.
void BM_PandasPivotTableWithMargins(benchmark::State& state) {
  const std::string script =
      "import sys, time, pandas as pd\n"
      "df = pd.read_csv(sys.argv[1])\n"
      "for _ in range(3):\n"
      "    t = time.perf_counter()\n"
      "    p = pd.pivot_table(df, values='x', index=['a','b'], columns=['c','d'], aggfunc='sum', "
      "margins=True)\n"
      "    print(time.perf_counter() - t)\n";
  const std::string scriptPath = "/tmp/pivot_bench_" + std::to_string(getpid()) + ".py";
  std::ofstream(scriptPath) << script;
  const std::string output = Run("/usr/bin/python3 " + scriptPath + " " + CsvPath());
  std::remove(scriptPath.c_str());
  size_t pos = 0;
  for (auto _ : state) {
    const size_t end = output.find('\n', pos);
    state.SetIterationTime(std::stod(output.substr(pos, end - pos)));
    pos = end + 1;
  }
}
BENCHMARK(BM_PandasPivotTableWithMargins)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

void BM_PostgresGroupByCube(benchmark::State& state) {
  const std::string database = "bench_pivot_" + std::to_string(getpid());
  const std::string db = std::string(KivSourceDir()) + "/db/";
  auto psql = [&](const std::string& sql) {
    Run("bash -c \". " + db + "lib.sh && kiv_psql -d " + database + " -c \\\"" + sql + "\\\"\"");
  };
  Run(db + "test-database " + database);
  psql("CREATE TABLE bench_rows(a text, b integer, c integer, d integer, x float8)");
  psql("\\\\copy bench_rows from '" + CsvPath() + "' csv header");
  psql("ANALYZE bench_rows");
  psql("GRANT SELECT ON bench_rows TO sys");
  {
    TADOConnection connection(nullptr);
    connection.SetLoginPrompt(false);
    connection.SetConnectionString(u"DRIVER={PostgreSQL UNICODE};DATABASE=" + Utf8ToString(database) +
                                   u";SERVER=localhost;PORT=5432;UID=sys;PWD=demo-sys;");
    connection.Open();
    connection.Execute(u"SET work_mem = '1GB'");
    String groups;
    for (auto _ : state) {
      TADOQuery query(nullptr);
      query.SetConnection(&connection);
      query.SQL()->SetText(
          u"SELECT count(*) FROM (SELECT a, b, c, d, sum(x) FROM bench_rows GROUP BY CUBE(a, b, c, d)) s");
      query.Open();
      groups = query.GetFields()->GetField(0)->GetAsString();
    }
    state.counters["groups"] = StrToFloat(groups);
  }
  Run(db + "drop-database " + database);
}
BENCHMARK(BM_PostgresGroupByCube)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
