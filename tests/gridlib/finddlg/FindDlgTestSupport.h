// A form with a data grid over five goods, held either by the test dataset or by the in-memory table:
// ID, NAME and PRICE, the price shown with a display format and edited in another.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "gridlib/base/DBGridEhFindDlgs.h"
#include "gridlib/memtable/MemTableEh.h"
#include "platform/rtl/Utf.h"
#include "tests/gridlib/finddlg/FindGridOnForm.h"
#include "tests/platform/data/conformance/TestDataSet.h"

enum class TFindDataKind { TestDataSet, MemTable };

inline std::string FindDataKindName(const ::testing::TestParamInfo<TFindDataKind>& info) {
  return info.param == TFindDataKind::TestDataSet ? "TestDataSet" : "MemTable";
}

class FindGridFixture : public ::testing::TestWithParam<TFindDataKind> {
 protected:
  void SetUp() override {
    form_ = on_.form.get();
    const std::vector<std::vector<Variant>> rows = {{Variant(1), Variant(u"Болт М8"), Variant(10.5)},
                                                    {Variant(2), Variant(u"Гайка М8"), Variant(1234.5)},
                                                    {Variant(3), Variant(u"болт м10"), Variant(7.0)},
                                                    {Variant(4), Variant(u"Шайба"), Variant(0.25)},
                                                    {Variant(5), Variant(u"Болт"), Variant(99.0)}};
    if (GetParam() == TFindDataKind::TestDataSet) {
      auto* data = new TTestDataSet(form_);
      data->GetFieldDefs()->Add(u"ID", ftInteger, 0, false);
      data->GetFieldDefs()->Add(u"NAME", ftString, 20, false);
      data->GetFieldDefs()->Add(u"PRICE", ftFloat, 0, false);
      for (const auto& row : rows) data->AddRow(row);
      data->Open();
      data_ = data;
    } else {
      auto* table = new TMemTableEh(form_);
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
    on_.Attach(data_);
    grid_ = on_.grid;
  }
  void TearDown() override { on_.Close(); }
  void StandOn(Integer id, const String& field) { on_.StandOn(id, field); }
  Integer CurrentId() const { return on_.CurrentId(); }
  String CurrentField() const { return on_.CurrentField(); }

  TFindGridOnForm on_{u"KIV goods", u"ID"};
  TForm* form_ = nullptr;
  TDataSet* data_ = nullptr;
  TDBGridEh* grid_ = nullptr;
};
