// Report expressions per evaluation once prepared, beside the same work written by hand: a conditional
// text from two fields, and SUM over a million records. The replaced global operator new counts the heap
// allocations, reported per evaluation (allocs/eval) and per record (allocs/record).
#include <benchmark/benchmark.h>

#include <memory>

#include "AllocationCounter.h"
#include "platform/classes/Lists.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Variant.h"
#include "reportlib/engine/QREvaluator.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

constexpr int kRecords = 1'000'000;

// Two integer columns; the conditional text reads row 0 (A = 7, B = 12345).
struct TFixture {
  explicit TFixture(int rows) : data(nullptr) {
    data.SetName(u"Lines");
    data.GetFieldDefs()->Add(u"A", ftInteger);
    data.GetFieldDefs()->Add(u"B", ftInteger);
    data.AddRow({Variant(7), Variant(12345)});
    for (int i = 1; i < rows; ++i) data.AddRow({Variant(i % 100 - 50), Variant(i)});
    data.Open();
    dataSets.Add(&data);
  }
  TTestDataSet data;
  TList dataSets;
};

TFixture& Small() {
  static TFixture fixture(1);
  return fixture;
}

TFixture& Large() {
  static TFixture fixture(kRecords);
  return fixture;
}

void ReportAllocations(benchmark::State& state, long long before, const char* name, double per) {
  state.counters[name] = static_cast<double>(AllocationCount() - before) / per;
}

void BM_IfStrExpression(benchmark::State& state) {
  TFixture& f = Small();
  f.data.First();
  TQREvaluator e;
  e.SetDataSets(&f.dataSets);
  e.Prepare(u"IF([A] > 0, STR([B]) + 'x', '')");
  TQREvResult result;
  e.Value(result);  // the strings take their room once
  const long long before = AllocationCount();
  for (auto _ : state) {
    e.Value(result);
    benchmark::DoNotOptimize(result.StringVal.data());
  }
  ReportAllocations(state, before, "allocs/eval", static_cast<double>(state.iterations()));
  if (result.StringVal != u"12345x") state.SkipWithError("wrong result");
}
BENCHMARK(BM_IfStrExpression);

// The value handed back by copy, as report controls read it.
void BM_IfStrExpressionByValue(benchmark::State& state) {
  TFixture& f = Small();
  f.data.First();
  TQREvaluator e;
  e.SetDataSets(&f.dataSets);
  e.Prepare(u"IF([A] > 0, STR([B]) + 'x', '')");
  e.Value();
  const long long before = AllocationCount();
  for (auto _ : state) benchmark::DoNotOptimize(e.Value());
  ReportAllocations(state, before, "allocs/eval", static_cast<double>(state.iterations()));
}
BENCHMARK(BM_IfStrExpressionByValue);

// The peer: the same text computed by hand from the same fields.
void BM_IfStrByHand(benchmark::State& state) {
  TFixture& f = Small();
  f.data.First();
  TField* a = f.data.FieldByName(u"A");
  TField* b = f.data.FieldByName(u"B");
  String text;
  const long long before = AllocationCount();
  for (auto _ : state) {
    text = a->GetAsLargeInt() > 0 ? IntToStr(static_cast<long long>(b->GetAsLargeInt())) + u"x" : String();
    benchmark::DoNotOptimize(text.data());
  }
  ReportAllocations(state, before, "allocs/eval", static_cast<double>(state.iterations()));
}
BENCHMARK(BM_IfStrByHand);

// SUM over the million records: the aggregate pass per record with the dataset moving on.
void BM_SumAggregation(benchmark::State& state) {
  TFixture& f = Large();
  TQREvaluator e;
  e.SetDataSets(&f.dataSets);
  e.Prepare(u"SUM([A])");
  long long perRecord = 0;
  for (auto _ : state) {
    e.Reset();
    f.data.First();
    const long long before = AllocationCount();
    while (!f.data.Eof()) {
      e.DoAggregate();
      f.data.Next();
    }
    perRecord += AllocationCount() - before;
    benchmark::DoNotOptimize(e.Value());
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
  state.counters["allocs/record"] =
      static_cast<double>(perRecord) / (static_cast<double>(state.iterations()) * kRecords);
  state.counters["ns/record"] = benchmark::Counter(static_cast<double>(state.iterations()) * kRecords,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SumAggregation)->Unit(benchmark::kMillisecond);

// The peer: the same total read from the field by hand over the same records.
void BM_SumByHand(benchmark::State& state) {
  TFixture& f = Large();
  TField* a = f.data.FieldByName(u"A");
  for (auto _ : state) {
    Int64 total = 0;
    f.data.First();
    while (!f.data.Eof()) {
      total += a->GetAsLargeInt();
      f.data.Next();
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
  state.counters["ns/record"] = benchmark::Counter(static_cast<double>(state.iterations()) * kRecords,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SumByHand)->Unit(benchmark::kMillisecond);

// The evaluator's own share: one aggregate pass on a record that stays current.
void BM_SumPassOnly(benchmark::State& state) {
  TFixture& f = Small();
  f.data.First();
  TQREvaluator e;
  e.SetDataSets(&f.dataSets);
  e.Prepare(u"SUM([A])");
  e.DoAggregate();
  const long long before = AllocationCount();
  for (auto _ : state) e.DoAggregate();
  ReportAllocations(state, before, "allocs/eval", static_cast<double>(state.iterations()));
}
BENCHMARK(BM_SumPassOnly);

}  // namespace
