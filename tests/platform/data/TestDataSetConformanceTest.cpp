// Runs the dataset conformance suite on the array-backed test dataset.
#include "tests/platform/data/conformance/DataSetConformance.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

TDataSet* MakeTestDataSet(TComponent* owner, const std::vector<TConformanceRow>& rows) {
  auto* ds = new TTestDataSet(owner);
  ds->GetFieldDefs()->Add(u"ID", ftInteger);
  ds->GetFieldDefs()->Add(u"NAME", ftString, 20);
  ds->GetFieldDefs()->Add(u"AMOUNT", ftFloat);
  for (const TConformanceRow& row : rows) ds->AddRow({row.Id, row.Name, row.Amount});
  return ds;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(TestDataSet, DataSetConformance,
                         ::testing::Values(DataSetConformanceParam{"TestDataSet", &MakeTestDataSet}),
                         DataSetConformanceName);
