// The field data link: the data-independent mode, one and several fields, and what it raises.
#include <gtest/gtest.h>

#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

class FieldDataLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = new TTestDataSet(&owner_);
    data_->GetFieldDefs()->Add(u"id", ftInteger);
    data_->GetFieldDefs()->Add(u"name", ftString, 20);
    data_->GetFieldDefs()->Add(u"qty", ftInteger);
    data_->AddRow({Variant(1), Variant(u"Болт"), Variant(5)});
    data_->AddRow({Variant(2), Variant(u"Гайка"), Variant(7)});
    data_->Open();
    source_ = new TDataSource(&owner_);
    source_->SetDataSet(data_);
    link_.OnDataChange = [this](TObject*) { ++dataChanges_; };
    link_.OnUpdateData = [this](TObject*) { ++updates_; };
  }
  void TearDown() override { link_.SetDataSource(nullptr); }

  TComponent owner_{nullptr};
  TTestDataSet* data_ = nullptr;
  TDataSource* source_ = nullptr;
  TFieldDataLinkEh link_;
  int dataChanges_ = 0;
  int updates_ = 0;
};

TEST_F(FieldDataLinkTest, UnboundLinkHoldsItsOwnValue) {
  EXPECT_TRUE(link_.GetDataIndepended());
  EXPECT_TRUE(link_.DataIndependentValue.IsNull());
  EXPECT_TRUE(link_.GetActive());
  EXPECT_TRUE(link_.CanModify());
  link_.SetText(u"abc");
  EXPECT_EQ(link_.DataIndependentValue.AsString(), u"abc");
  EXPECT_EQ(dataChanges_, 1);

  // Editing is the link's own flag; posting asks the control only when it changed something.
  EXPECT_TRUE(link_.Edit());
  link_.UpdateRecord();
  EXPECT_EQ(updates_, 0);
  EXPECT_FALSE(link_.GetEditing());
  link_.Edit();
  link_.Modified();
  link_.UpdateRecord();
  EXPECT_EQ(updates_, 1);

  link_.SetReadOnly(true);
  EXPECT_FALSE(link_.Edit());
}

TEST_F(FieldDataLinkTest, BindingResolvesFieldsAndFollowsTheDataset) {
  link_.SetDataSource(source_);
  EXPECT_FALSE(link_.GetDataIndepended());
  link_.SetFieldName(u"name");
  ASSERT_EQ(link_.GetField(), data_->FieldByName(u"name"));
  EXPECT_TRUE(link_.GetActive());
  EXPECT_FALSE(link_.GetEditing());
  EXPECT_TRUE(link_.Edit());
  EXPECT_EQ(data_->GetState(), dsEdit);
  link_.SetText(u"Шайба");
  EXPECT_EQ(data_->FieldByName(u"name")->GetAsString(), u"Шайба");

  // Not modified: posting does not ask the control.
  data_->Post();
  EXPECT_EQ(updates_, 0);

  // A change of a field the link does not show is no news for it.
  data_->Edit();
  const int before = dataChanges_;
  data_->FieldByName(u"qty")->SetAsInteger(9);
  EXPECT_EQ(dataChanges_, before);
  data_->FieldByName(u"name")->SetAsString(u"Винт");
  EXPECT_EQ(dataChanges_, before + 1);
  data_->Cancel();

  // An unknown name raises and keeps the fields found before.
  EXPECT_THROW(link_.SetFieldName(u"nosuch"), EDatabaseError);
  EXPECT_EQ(link_.GetField(), data_->FieldByName(u"name"));

  // Leaving the bound mode starts again from Null.
  link_.SetFieldName(u"");
  link_.SetDataSource(nullptr);
  EXPECT_TRUE(link_.GetDataIndepended());
  EXPECT_EQ(link_.GetFieldsCount(), 0);
  EXPECT_TRUE(link_.DataIndependentValue.IsNull());
}

TEST_F(FieldDataLinkTest, DisabledControlsHideTheFieldsUntilEnabled) {
  link_.SetDataSource(source_);
  link_.SetFieldName(u"name");
  data_->DisableControls();
  EXPECT_EQ(link_.GetField(), nullptr);
  data_->Next();
  const int before = dataChanges_;
  data_->EnableControls();
  EXPECT_EQ(link_.GetField(), data_->FieldByName(u"name"));
  EXPECT_GT(dataChanges_, before);
}

TEST_F(FieldDataLinkTest, SeveralFieldsTakeAnArrayOrNull) {
  link_.SetDataSource(source_);
  link_.SetMultiFields(true);
  link_.SetFieldName(u"id;qty");
  ASSERT_EQ(link_.GetFieldsCount(), 2);
  data_->Edit();
  link_.SetValue(VarArrayOf({Variant(10), Variant(20)}));
  EXPECT_EQ(data_->FieldByName(u"id")->GetAsInteger(), 10);
  EXPECT_EQ(data_->FieldByName(u"qty")->GetAsInteger(), 20);
  link_.SetValue(Variant::Null());
  EXPECT_TRUE(data_->FieldByName(u"id")->IsNull());
  EXPECT_TRUE(data_->FieldByName(u"qty")->IsNull());
  data_->Cancel();
}

}  // namespace
