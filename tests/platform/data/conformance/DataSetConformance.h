// The conformance suite every TDataSet descendant runs: navigation, bookmarks, editing, events,
// notifications, calculated fields, searching and filtering, against the same small table.
//
// A dataset's tests instantiate it with a factory that makes the dataset closed, owned by the given
// owner, with the columns ID (integer), NAME (text of up to 20 characters) and AMOUNT (float), and
// the rows given, in that order:
//   INSTANTIATE_TEST_SUITE_P(MyTable, DataSetConformance,
//                            ::testing::Values(DataSetConformanceParam{"MyTable", &MakeMyTable}),
//                            DataSetConformanceName);
// and link the `dataset_conformance` library.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/data/DataSet.h"
#include "platform/data/DataSource.h"

struct TConformanceRow {
  Variant Id;
  Variant Name;
  Variant Amount;
};

using TConformanceFactory =
    std::function<TDataSet*(TComponent* owner, const std::vector<TConformanceRow>& rows)>;

struct DataSetConformanceParam {
  std::string Name;
  TConformanceFactory Make;
  // A lookup that finds nothing answers Unassigned rather than the framework's Null.
  bool LookupMissIsUnassigned = false;
};

void PrintTo(const DataSetConformanceParam& param, std::ostream* os);
std::string DataSetConformanceName(const ::testing::TestParamInfo<DataSetConformanceParam>& info);

// A data link that writes down what it is told, for tests of notifications.
class TRecordingDataLink : public TDataLink {
 public:
  std::vector<std::string> Log;
  void DataEvent(TDataEvent event, NativeInt info) override;
  using TDataLink::GetActiveRecord;

 protected:
  void ActiveChanged() override { Log.push_back("ActiveChanged"); }
  void CheckBrowseMode() override { Log.push_back("CheckBrowseMode"); }
  void DataSetChanged() override { Log.push_back("DataSetChanged"); }
  void DataSetScrolled(int distance) override {
    Log.push_back("DataSetScrolled(" + std::to_string(distance) + ")");
  }
  void EditingChanged() override {
    Log.push_back(GetEditing() ? "EditingChanged(on)" : "EditingChanged(off)");
  }
  void LayoutChanged() override { Log.push_back("LayoutChanged"); }
  void RecordChanged(TField* field) override;
  void UpdateData() override { Log.push_back("UpdateData"); }
  void DisabledStateChanged(bool disabled) override { Log.push_back(disabled ? "Disabled" : "Enabled"); }
};

class DataSetConformance : public ::testing::TestWithParam<DataSetConformanceParam> {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The standard five rows: 1 Alpha 10.5, 2 beta 20, 3 Gamma null, 4 Delta 5, 5 Beta2 30.
  TDataSet* MakeStandard();
  TDataSet* Make(const std::vector<TConformanceRow>& rows);
  // Persistent fields like a form resource declares them (owned by the fixture's owner).
  void AddPersistentFields(TDataSet* dataSet);
  // The IDs from the first record to the last, leaving the dataset on the last.
  std::vector<int> Ids(TDataSet* dataSet);
  int Id(TDataSet* dataSet) { return dataSet->FieldByName(u"ID")->GetAsInteger(); }
  // Writes every dataset event into Events.
  void RecordEvents(TDataSet* dataSet);

  std::unique_ptr<TComponent> owner_;
  std::vector<std::string> Events;
};
