// Data sources and links: what a link is told, in which order, for each dataset operation; the
// link's window on the buffer ring; field links and their control hand-over; circular links.
#include <gtest/gtest.h>

#include "platform/data/DataSource.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "tests/platform/data/conformance/DataSetConformance.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

using Log = std::vector<std::string>;

class DataLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ds_ = new TTestDataSet(&owner_);
    ds_->SetName(u"Table1");
    ds_->GetFieldDefs()->Add(u"ID", ftInteger);
    ds_->GetFieldDefs()->Add(u"NAME", ftString, 20);
    for (int i = 1; i <= 5; ++i) ds_->AddRow({i, u"row" + IntToStr(i)});
    source_ = new TDataSource(&owner_);
    source_->SetDataSet(ds_);
    link_.SetDataSource(source_);
  }
  void TearDown() override { link_.SetDataSource(nullptr); }

  Log Take() {
    Log taken = link_.Log;
    link_.Log.clear();
    return taken;
  }

  TComponent owner_{nullptr};
  TTestDataSet* ds_ = nullptr;
  TDataSource* source_ = nullptr;
  TRecordingDataLink link_;
};

TEST_F(DataLinkTest, LinkSeesEachOperationInOrder) {
  ds_->Open();
  EXPECT_EQ(Take(), (Log{"ActiveChanged"}));
  ds_->Next();
  EXPECT_EQ(Take(), (Log{"CheckBrowseMode", "DataSetScrolled(1)"}));
  ds_->Edit();
  EXPECT_EQ(Take(), (Log{"CheckBrowseMode", "EditingChanged(on)", "RecordChanged()"}));
  ds_->FieldByName(u"NAME")->SetAsString(u"changed");
  EXPECT_EQ(Take(), (Log{"RecordChanged(NAME)"}));
  ds_->Post();
  EXPECT_EQ(Take(), (Log{"UpdateData", "CheckBrowseMode", "EditingChanged(off)", "DataSetChanged"}));
  ds_->Edit();
  Take();
  ds_->Cancel();
  EXPECT_EQ(Take(), (Log{"CheckBrowseMode", "EditingChanged(off)", "DataSetChanged"}));
  ds_->Insert();
  EXPECT_EQ(Take(), (Log{"CheckBrowseMode", "EditingChanged(on)", "DataSetChanged"}));
  ds_->FieldByName(u"ID")->SetAsInteger(9);
  Take();
  ds_->Post();
  EXPECT_EQ(Take(), (Log{"UpdateData", "CheckBrowseMode", "EditingChanged(off)", "DataSetChanged"}));
  ds_->Delete();
  EXPECT_EQ(Take(), (Log{"CheckBrowseMode", "DataSetChanged"}));
  ds_->First();
  EXPECT_EQ(Take(), (Log{"CheckBrowseMode", "DataSetChanged"}));
  ds_->Close();
  EXPECT_EQ(Take(), (Log{"ActiveChanged"}));
  EXPECT_FALSE(link_.GetActive());
}

TEST_F(DataLinkTest, ScrollDistanceIsHowFarTheWindowMoved) {
  ds_->Open();
  link_.SetBufferCount(3);
  Take();
  std::vector<int> active;
  for (int i = 0; i < 4; ++i) {
    ds_->Next();
    active.push_back(link_.GetActiveRecord());
  }
  EXPECT_EQ(Take(), (Log{"CheckBrowseMode", "DataSetScrolled(0)", "CheckBrowseMode", "DataSetScrolled(0)",
                         "CheckBrowseMode", "DataSetScrolled(1)", "CheckBrowseMode", "DataSetScrolled(1)"}));
  EXPECT_EQ(active, (std::vector<int>{1, 2, 2, 2}));
  ds_->Next();
  EXPECT_EQ(Take(), (Log{"CheckBrowseMode", "DataSetScrolled(0)"})) << "at the end nothing moves";
  EXPECT_TRUE(link_.GetEOF());
  ds_->MoveBy(-4);
  EXPECT_EQ(link_.GetActiveRecord(), 0);
  EXPECT_EQ(ds_->FieldByName(u"ID")->GetAsInteger(), 1);
}

TEST_F(DataLinkTest, TwoLinksWithDifferentWindowsShareTheRing) {
  ds_->Open();
  TRecordingDataLink small;
  small.SetDataSource(source_);
  link_.SetBufferCount(4);
  ds_->Last();
  EXPECT_EQ(link_.GetRecordCount(), 4);
  EXPECT_EQ(link_.GetActiveRecord(), 3);
  EXPECT_EQ(small.GetRecordCount(), 1);
  EXPECT_EQ(small.GetActiveRecord(), 0);
  small.SetActiveRecord(0);
  EXPECT_EQ(ds_->FieldByName(u"ID")->GetAsInteger(), 5);
  link_.SetActiveRecord(0);
  EXPECT_EQ(ds_->FieldByName(u"ID")->GetAsInteger(), 2);
  link_.SetActiveRecord(3);
  link_.SetBufferCount(2);
  EXPECT_EQ(link_.GetRecordCount(), 2);
  EXPECT_EQ(ds_->FieldByName(u"ID")->GetAsInteger(), 5) << "shrinking keeps the active record";
  small.SetDataSource(nullptr);
}

TEST_F(DataLinkTest, DataSourceStateEventsAndDisabling) {
  Log events;
  source_->OnStateChange = [&](TObject*) { events.push_back("State"); };
  source_->OnDataChange = [&](TObject*, TField* field) {
    events.push_back("Data(" + (field ? StringToUtf8(field->GetFieldName()) : std::string()) + ")");
  };
  source_->OnUpdateData = [&](TObject*) { events.push_back("Update"); };
  ds_->Open();
  ds_->Edit();
  ds_->FieldByName(u"NAME")->SetAsString(u"x");
  ds_->Post();
  EXPECT_EQ(events, (Log{"State", "Data()", "State", "Data()", "Data(NAME)", "Update", "State", "Data()"}));
  EXPECT_EQ(source_->GetState(), dsBrowse);

  Take();
  source_->SetEnabled(false);
  EXPECT_EQ(Take(), (Log{"ActiveChanged"}));
  EXPECT_EQ(source_->GetState(), dsInactive);
  ds_->Next();
  EXPECT_EQ(Take(), Log{}) << "a disabled source passes nothing on";
  source_->SetEnabled(true);
  EXPECT_EQ(Take(), (Log{"ActiveChanged"}));

  source_->SetAutoEdit(false);
  EXPECT_FALSE(link_.Edit());
  source_->SetAutoEdit(true);
  EXPECT_TRUE(link_.Edit());
  EXPECT_EQ(ds_->GetState(), dsEdit);
  ds_->Cancel();
}

TEST_F(DataLinkTest, SwitchingBetweenTwoOpenDataSetsTellsTheLinksTwice) {
  auto* other = new TTestDataSet(&owner_);
  other->GetFieldDefs()->Add(u"CODE", ftInteger);
  other->AddRow({7});
  other->Open();
  ds_->Open();
  Take();
  // The links let go of the old dataset's fields before they take the new one's.
  source_->SetDataSet(other);
  EXPECT_EQ(Take(), (Log{"ActiveChanged", "ActiveChanged"}));
  EXPECT_EQ(link_.GetDataSet(), other);
  EXPECT_TRUE(link_.GetActive());
}

TEST_F(DataLinkTest, FieldLinkHandsControlEditsToTheDataSet) {
  ds_->Open();
  TFieldDataLink field;
  String controlText;
  int dataChanges = 0;
  int editingChanges = 0;
  field.OnDataChange = [&](TObject*) {
    ++dataChanges;
    controlText = field.GetField() ? field.GetField()->GetText() : String();
  };
  field.OnEditingChange = [&](TObject*) { ++editingChanges; };
  field.OnUpdateData = [&](TObject*) { field.GetField()->SetText(controlText); };
  field.SetDataSource(source_);
  field.SetFieldName(u"NAME");
  ASSERT_NE(field.GetField(), nullptr);
  EXPECT_EQ(controlText, u"row1");
  EXPECT_TRUE(field.CanModify());

  EXPECT_TRUE(field.Edit());
  EXPECT_TRUE(field.GetEditing());
  int before = dataChanges;
  controlText = u"typed";
  field.Modified();
  ds_->Post();
  EXPECT_EQ(ds_->FieldByName(u"NAME")->GetAsString(), u"typed");
  EXPECT_EQ(controlText, u"typed");
  EXPECT_GE(dataChanges, before + 1);
  EXPECT_FALSE(field.GetEditing());
  EXPECT_EQ(editingChanges, 2);

  ds_->Edit();
  controlText = u"thrown away";
  field.Modified();
  field.Reset();
  EXPECT_EQ(controlText, u"typed") << "Reset reloads the control from the field";
  EXPECT_FALSE(field.GetModified());
  ds_->Cancel();

  ds_->FieldByName(u"NAME")->SetReadOnly(true);
  EXPECT_FALSE(field.CanModify());
  EXPECT_FALSE(field.Edit());
  EXPECT_EQ(ds_->GetState(), dsBrowse);

  ds_->Close();
  EXPECT_EQ(field.GetField(), nullptr) << "the default fields are gone with the closed dataset";
  field.SetDataSource(nullptr);
}

TEST_F(DataLinkTest, FocusControlAsksTheHandlerForTheLinkOfThatField) {
  ds_->Open();
  TFieldDataLink field;
  TComponent control(nullptr);
  field.SetControl(&control);
  field.SetDataSource(source_);
  field.SetFieldName(u"NAME");
  TComponent* focused = nullptr;
  TFieldDataLink::FocusHandler = [&](TComponent* c) {
    focused = c;
    return true;
  };
  ds_->FieldByName(u"ID")->FocusControl();
  EXPECT_EQ(focused, nullptr);
  ds_->FieldByName(u"NAME")->FocusControl();
  EXPECT_EQ(focused, &control);
  TFieldDataLink::FocusHandler = nullptr;
  field.SetDataSource(nullptr);
}

// A dataset with a master source, for the circular-link rule.
class TDetailDataSet : public TTestDataSet {
 public:
  using TTestDataSet::TTestDataSet;
  TDataSource* GetDataSource() const override { return master_; }
  TDataSource* master_ = nullptr;
};

TEST_F(DataLinkTest, CircularDataLinksAreRefused) {
  auto* detail = new TDetailDataSet(&owner_);
  auto* detailSource = new TDataSource(&owner_);
  detailSource->SetName(u"DetailSource");
  detail->master_ = detailSource;
  EXPECT_EQ(
      [&] {
        try {
          detailSource->SetDataSet(detail);
        } catch (const EDatabaseError& e) {
          return StringToUtf8(e.Message());
        }
        return std::string("(accepted)");
      }(),
      "DetailSource: Circular datalinks are not allowed");
  detail->master_ = source_;
  detailSource->SetDataSet(detail);
  EXPECT_TRUE(detail->IsLinkedTo(detailSource));
  EXPECT_TRUE(ds_->IsLinkedTo(detailSource)) << "the master would become its own detail's detail";
  EXPECT_FALSE(detail->IsLinkedTo(source_));
}

TEST_F(DataLinkTest, MasterLinkTellsTheDetailWhenTheMasterRecordChanges) {
  auto* detail = new TTestDataSet(&owner_);
  TMasterDataLink master(detail);
  master.SetFieldNames(u"ID");
  std::vector<int> seen;
  int disabled = 0;
  master.OnMasterChange = [&](TObject*) { seen.push_back(ds_->FieldByName(u"ID")->GetAsInteger()); };
  master.OnMasterDisable = [&](TObject*) { ++disabled; };
  master.SetDataSource(source_);
  ds_->Open();
  ASSERT_EQ(master.GetFields().size(), 1u);
  ds_->Next();
  ds_->Edit();
  ds_->FieldByName(u"NAME")->SetAsString(u"not a master field");
  ds_->FieldByName(u"ID")->SetAsInteger(20);
  ds_->Cancel();
  ds_->Close();
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 2, 20, 2}));
  EXPECT_EQ(disabled, 1);
  EXPECT_EQ(master.DetailDataSet(), detail);
  master.SetDataSource(nullptr);
}

TEST_F(DataLinkTest, FreeingTheDataSetOrSourceDetachesEverything) {
  ds_->Open();
  delete ds_;
  ds_ = nullptr;
  EXPECT_EQ(source_->GetDataSet(), nullptr);
  EXPECT_EQ(source_->GetState(), dsInactive);
  EXPECT_FALSE(link_.GetActive());
  delete source_;
  source_ = nullptr;
  EXPECT_EQ(link_.GetDataSource(), nullptr);
}

}  // namespace
