// A form with a data grid over five goods, held either by the test dataset or by the in-memory table:
// ID, NAME and PRICE, the price shown with a display format and edited in another.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "gridlib/base/DBGridEhFindDlgs.h"
#include "gridlib/memtable/MemTableEh.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

enum class TFindDataKind { TestDataSet, MemTable };

inline std::string FindDataKindName(const ::testing::TestParamInfo<TFindDataKind>& info) {
  return info.param == TFindDataKind::TestDataSet ? "TestDataSet" : "MemTable";
}

class FindGridFixture : public ::testing::TestWithParam<TFindDataKind> {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 640, 300);
    const std::vector<std::vector<Variant>> rows = {{Variant(1), Variant(u"Болт М8"), Variant(10.5)},
                                                    {Variant(2), Variant(u"Гайка М8"), Variant(1234.5)},
                                                    {Variant(3), Variant(u"болт м10"), Variant(7.0)},
                                                    {Variant(4), Variant(u"Шайба"), Variant(0.25)},
                                                    {Variant(5), Variant(u"Болт"), Variant(99.0)}};
    if (GetParam() == TFindDataKind::TestDataSet) {
      auto* data = new TTestDataSet(form_.get());
      data->GetFieldDefs()->Add(u"ID", ftInteger, 0, false);
      data->GetFieldDefs()->Add(u"NAME", ftString, 20, false);
      data->GetFieldDefs()->Add(u"PRICE", ftFloat, 0, false);
      for (const auto& row : rows) data->AddRow(row);
      data->Open();
      data_ = data;
    } else {
      auto* table = new TMemTableEh(form_.get());
      table->GetFieldDefs()->Add(u"ID", ftInteger);
      table->GetFieldDefs()->Add(u"NAME", ftWideString, 20);
      table->GetFieldDefs()->Add(u"PRICE", ftFloat);
      table->CreateDataSet();
      for (const auto& row : rows) {
        table->Append();
        table->SetFields(row);
        table->Post();
      }
      table->MergeChangeLog();
      table->First();
      data_ = table;
    }
    auto* price = static_cast<TNumericField*>(data_->FieldByName(u"PRICE"));
    price->SetDisplayFormat(u"#,##0.00");
    price->SetEditFormat(u"0.0#");
    source_ = new TDataSource(form_.get());
    source_->SetDataSet(data_);
    grid_ = new TDBGridEh(form_.get());
    grid_->SetParent(form_.get());
    grid_->SetAlign(alClient);
    grid_->SetDataSource(source_);
    form_->Show();
    ProcessPendingEvents();
  }
  void TearDown() override {
    // Each test meets a new dialog, without the history of the one before.
    delete DBGridEhFindDlg;
    form_.reset();
  }
  // Stands on record id (1-based, the records are in id order) and in the column of field.
  void StandOn(Integer id, const String& field) {
    data_->First();
    data_->MoveBy(id - 1);
    grid_->SetSelectedIndex(grid_->FindFieldColumn(field)->GetIndex());
  }
  Integer CurrentId() const { return data_->FieldByName(u"ID")->GetAsInteger(); }
  String CurrentField() const {
    return grid_->GetColumns()->GetColumn(grid_->GetSelectedIndex())->GetFieldName();
  }

  std::unique_ptr<TForm> form_;
  TDataSet* data_ = nullptr;
  TDataSource* source_ = nullptr;
  TDBGridEh* grid_ = nullptr;
};
