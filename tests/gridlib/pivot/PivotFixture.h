// Test support for the pivot data model: a source table, a data source over it, a recording consumer,
// and the sum a cell of the array must hold, computed from the source rows directly.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "gridlib/pivot/PivotGridsEh.h"

// Records what the data source told it; cancels the build when asked to.
struct RecordingConsumer : IPivotDataSourceNotificationEh {
  std::vector<std::string> Calls;
  bool CancelOnProgress = false;
  bool BuildDataProgress(TPivotDataSourceEh*, UInt64, Integer) override {
    Calls.push_back("progress");
    return CancelOnProgress;
  }
  void PivotDefinitionChanged(TPivotDataSourceEh*) override { Calls.push_back("definition"); }
  void PivotStructureChanged(TPivotDataSourceEh*) override { Calls.push_back("structure"); }
  void PivotDataChanged(TPivotDataSourceEh*) override { Calls.push_back("data"); }
  void BuildDataStarted(TPivotDataSourceEh*) override { Calls.push_back("started"); }
  void BuildDataAborted(TPivotDataSourceEh*) override { Calls.push_back("aborted"); }
  void BuildDataFinished(TPivotDataSourceEh*) override { Calls.push_back("finished"); }
  int Count(const std::string& call) const {
    return static_cast<int>(std::count(Calls.begin(), Calls.end(), call));
  }
};

// A pivot field for each dataset field, by name.
inline TPivotFieldEh* AddPivotField(TPivotDataSourceEh* source, const String& name, const String& sourceName,
                                    TFieldDateTimeSliceLevelEh level = dtslNonEh) {
  TPivotFieldEh* field = source->GetPivotFields()->Add();
  field->SetSourceFieldName(sourceName);
  field->SetSliceLevel(level);
  field->SetFieldName(name);
  return field;
}

inline void AddValue(TPivotDataSourceEh* source, const String& field, TPivotValueTypeEh function) {
  TPivotFieldValueInfoEh* info = source->GetValueFieldDefs()->Add();
  info->SetPivotFieldName(field);
  info->SetSumFunction(function);
}

// The visible array as the grid shows it: for each visible data cell, its row and column keys (the
// axis path of the line; shorter for totals) and its value.
struct ShownCell {
  std::vector<Variant> RowKey, ColKey;
  Variant Value;
};

inline std::vector<Variant> NodePath(TPivotAxisTreeNodeEh* node) {
  if (!node) return {};
  return std::vector<Variant>(node->KeyValue.begin(), node->KeyValue.begin() + node->GetLevel());
}

inline std::vector<ShownCell> ShownDataCells(const TPivotGridArrayEh& array) {
  std::vector<ShownCell> cells;
  const Integer r = array.ActualRowFldsCount();
  for (Integer row = array.StartDataRow(); row < array.VisRowCount(); ++row) {
    Integer srcCol = 0, srcRow = 0;
    array.VisPivotPosToSrcArrayPos(0, row, srcCol, srcRow);
    const bool grandRow = row >= array.StartDataRow() + array.RowsAxisTree()->FlatListCount();
    std::vector<Variant> rowKey =
        grandRow ? std::vector<Variant>{} : NodePath(array.Cell(r - 1, srcRow)->RowsTreeNode);
    for (Integer col = array.StartDataCol(); col < array.VisColCount(); ++col) {
      array.VisPivotPosToSrcArrayPos(col, row, srcCol, srcRow);
      const bool grandCol =
          col >= array.StartDataCol() + array.ColsAxisTree()->FlatListCount() * array.ValueCount();
      const Integer c = array.ActualColFldsCount();
      std::vector<Variant> colKey;
      if (!grandCol)
        colKey = NodePath(
            array.Cell(srcCol - (srcCol - array.StartDataCol()) % array.ValueCount(), c)->ColsTreeNode);
      cells.push_back({rowKey, colKey, array.Cell(srcCol, srcRow)->Value});
    }
  }
  return cells;
}
