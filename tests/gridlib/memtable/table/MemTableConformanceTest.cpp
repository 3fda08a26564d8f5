// Runs the dataset conformance suite on the in-memory table, standalone and over a provider dataset.
#include "gridlib/memtable/DataDriverEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "tests/platform/data/conformance/DataSetConformance.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

TDataSet* MakeStandalone(TComponent* owner, const std::vector<TConformanceRow>& rows) {
  auto* table = new TMemTableEh(owner);
  table->GetFieldDefs()->Add(u"ID", ftInteger);
  table->GetFieldDefs()->Add(u"NAME", ftString, 20);
  table->GetFieldDefs()->Add(u"AMOUNT", ftFloat);
  table->CreateDataSet();
  for (const TConformanceRow& row : rows) table->AppendRecord({row.Id, row.Name, row.Amount});
  table->MergeChangeLog();
  table->Close();
  return table;
}

// The table reads its rows from a provider dataset through the base data driver.
TDataSet* MakeOverProvider(TComponent* owner, const std::vector<TConformanceRow>& rows) {
  auto* provider = new TTestDataSet(owner);
  provider->GetFieldDefs()->Add(u"ID", ftInteger);
  provider->GetFieldDefs()->Add(u"NAME", ftString, 20);
  provider->GetFieldDefs()->Add(u"AMOUNT", ftFloat);
  for (const TConformanceRow& row : rows) provider->AddRow({row.Id, row.Name, row.Amount});
  auto* driver = new TDataDriverEh(owner);
  driver->SetProviderDataSet(provider);
  auto* table = new TMemTableEh(owner);
  table->SetDataDriver(driver);
  table->SetFetchAllOnOpen(true);
  return table;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(MemTable, DataSetConformance,
                         ::testing::Values(DataSetConformanceParam{"Standalone", &MakeStandalone, true},
                                           DataSetConformanceParam{"OverProvider", &MakeOverProvider, true}),
                         DataSetConformanceName);
