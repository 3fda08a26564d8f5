// Selecting every record of a large dataset into the bookmark list, beside a plain walk of the same
// dataset (the floor that SelectAll cannot beat).
#include <benchmark/benchmark.h>

#include <cstring>

#include "gridlib/base/ToolCtrlsEh.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

class TBenchBMList : public TBMListEh {
 public:
  explicit TBenchBMList(TDataSet* dataSet) : dataSet_(dataSet) {}
  TDataSet* GetDataSet() const override { return dataSet_; }

 private:
  TDataSet* dataSet_;
};

// The test dataset finds a bookmark's row by a linear search; rows appended in id order compare by
// id directly, so the benchmark measures the list and not that search.
class TIdOrderedDataSet : public TTestDataSet {
 public:
  explicit TIdOrderedDataSet(TComponent* owner) : TTestDataSet(owner) {}
  Integer CompareBookmarks(const TBookmark& a, const TBookmark& b) override {
    if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
    Integer ia = 0, ib = 0;
    std::memcpy(&ia, a.data(), sizeof ia);
    std::memcpy(&ib, b.data(), sizeof ib);
    return ia < ib ? -1 : (ia > ib ? 1 : 0);
  }
};

TTestDataSet* MakeDataSet(TComponent* owner, int rows) {
  auto* ds = new TIdOrderedDataSet(owner);
  ds->GetFieldDefs()->Add(u"ID", ftInteger);
  for (int i = 1; i <= rows; ++i) ds->AddRow({i});
  ds->Open();
  return ds;
}

void BM_SelectAll(benchmark::State& state) {
  TComponent owner(nullptr);
  TTestDataSet* ds = MakeDataSet(&owner, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TBenchBMList list(ds);
    list.SetLinkActive(true);
    list.SelectAll();
    benchmark::DoNotOptimize(list.GetCount());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SelectAll)
    ->RangeMultiplier(10)
    ->Range(10000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_WalkOnly(benchmark::State& state) {
  TComponent owner(nullptr);
  TTestDataSet* ds = MakeDataSet(&owner, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    Integer count = 0;
    for (ds->First(); !ds->GetEof(); ds->Next()) benchmark::DoNotOptimize(ds->GetBookmark()), ++count;
    benchmark::DoNotOptimize(count);
  }
}
BENCHMARK(BM_WalkOnly)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
