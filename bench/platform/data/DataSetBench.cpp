// Costs of the dataset framework against plain peers: scrolling the buffer ring (as a grid with a
// 1-row and a 40-row window) against walking a vector, a Locate scan, and the filter evaluator
// against the same condition written in C++.
#include <benchmark/benchmark.h>

#include <map>

#include "platform/data/DBFilterExpr.h"
#include "platform/data/DataSource.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

constexpr int kRows = 10000;

TTestDataSet* MakeTable(TComponent* owner) {
  auto* ds = new TTestDataSet(owner);
  ds->GetFieldDefs()->Add(u"ID", ftInteger);
  ds->GetFieldDefs()->Add(u"NAME", ftString, 20);
  ds->GetFieldDefs()->Add(u"AMOUNT", ftFloat);
  for (int i = 0; i < kRows; ++i) ds->AddRow({i, i % 2 ? u"Beta" : u"Alpha", i * 0.5});
  return ds;
}

void BM_ScrollRing(benchmark::State& state) {
  TComponent owner(nullptr);
  TTestDataSet* ds = MakeTable(&owner);
  ds->Open();
  TDataSource source(nullptr);
  source.SetDataSet(ds);
  TDataLink link;
  link.SetDataSource(&source);
  link.SetBufferCount(static_cast<int>(state.range(0)));
  TField* amount = ds->FieldByName(u"AMOUNT");
  for (auto _ : state) {
    double sum = 0;
    ds->First();
    while (!ds->Eof()) {
      sum += amount->GetAsFloat();
      ds->Next();
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  link.SetDataSource(nullptr);
}
BENCHMARK(BM_ScrollRing)->Arg(1)->Arg(40);

void BM_ScrollVectorPeer(benchmark::State& state) {
  std::vector<std::vector<Variant>> rows;
  for (int i = 0; i < kRows; ++i) rows.push_back({i, i % 2 ? u"Beta" : u"Alpha", i * 0.5});
  for (auto _ : state) {
    double sum = 0;
    for (const auto& row : rows) sum += row[2].AsDouble();
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ScrollVectorPeer);

void BM_LocateLast(benchmark::State& state) {
  TComponent owner(nullptr);
  TTestDataSet* ds = MakeTable(&owner);
  ds->Open();
  for (auto _ : state) benchmark::DoNotOptimize(ds->Locate(u"ID", kRows - 1, {}));
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_LocateLast);

const std::map<String, Variant>& Record() {
  static const std::map<String, Variant> record = {{u"AMOUNT", 12.5}, {u"NAME", u"Beta"}};
  return record;
}

void BM_FilterEvaluate(benchmark::State& state) {
  TFilterExpr expr(u"AMOUNT > 10 AND NAME LIKE 'B%'", {}, {poExtSyntax}, nullptr);
  auto reader = [](const TExprNode& node) { return Record().at(node.Name); };
  for (auto _ : state) benchmark::DoNotOptimize(expr.Matches(reader));
}
BENCHMARK(BM_FilterEvaluate);

void BM_FilterHandWrittenPeer(benchmark::State& state) {
  for (auto _ : state) {
    const auto& r = Record();
    bool match = r.at(u"AMOUNT").AsDouble() > 10 && r.at(u"NAME").AsString().rfind(u"B", 0) == 0;
    benchmark::DoNotOptimize(match);
  }
}
BENCHMARK(BM_FilterHandWrittenPeer);

}  // namespace
