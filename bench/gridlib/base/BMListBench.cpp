// Selecting every record of a large dataset into the bookmark list, beside a plain walk of the same
// dataset (the floor that SelectAll cannot beat).
#include <benchmark/benchmark.h>

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

TTestDataSet* MakeDataSet(TComponent* owner, int rows) {
  auto* ds = new TTestDataSet(owner);
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
