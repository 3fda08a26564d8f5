// TDataSet behaviour beyond the conformance suite, on the test dataset: lookups into the same or a
// mutually referring dataset, error handlers, field lists, reopening with a filter, block reads.
#include <gtest/gtest.h>

#include "platform/classes/StringList.h"
#include "platform/data/DataSource.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "tests/ErrorText.h"
#include "tests/platform/data/conformance/DataSetConformance.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

class DataSetTest : public ::testing::Test {
 protected:
  // Departments: ID, PARENT, NAME.
  TTestDataSet* MakeTree(const Char* name = u"Tree") {
    auto* ds = new TTestDataSet(&owner_);
    ds->SetName(name);
    ds->GetFieldDefs()->Add(u"ID", ftInteger);
    ds->GetFieldDefs()->Add(u"PARENT", ftInteger);
    ds->GetFieldDefs()->Add(u"NAME", ftString, 20);
    ds->AddRow({1, Null(), u"Head office"});
    ds->AddRow({2, 1, u"Sales"});
    ds->AddRow({3, 1, u"Stock"});
    ds->AddRow({4, 3, u"Returns"});
    return ds;
  }

  TField* AddLookup(TDataSet* ds, const Char* name, TDataSet* source, const Char* key, const Char* sourceKey,
                    const Char* result) {
    auto* field = new TStringField(&owner_);
    field->SetFieldName(name);
    field->SetFieldKind(fkLookup);
    field->SetLookupDataSet(source);
    field->SetKeyFields(key);
    field->SetLookupKeyFields(sourceKey);
    field->SetLookupResultField(result);
    field->SetDataSet(ds);
    return field;
  }

  void AddDataFields(TDataSet* ds, std::initializer_list<const Char*> names) {
    for (const Char* name : names) {
      TFieldDef* def = ds->GetFieldDefs()->Find(name);
      def->CreateField(&owner_);
    }
  }

  TComponent owner_{nullptr};
};

TEST_F(DataSetTest, LookupIntoTheSameDataSetKeepsItsPlace) {
  TTestDataSet* tree = MakeTree();
  AddDataFields(tree, {u"ID", u"PARENT", u"NAME"});
  TField* parentName = AddLookup(tree, u"PARENT_NAME", tree, u"PARENT", u"ID", u"NAME");
  tree->Open();
  std::vector<String> seen;
  std::vector<int> ids;
  while (!tree->Eof()) {
    ids.push_back(tree->FieldByName(u"ID")->GetAsInteger());
    seen.push_back(parentName->GetAsString());
    tree->Next();
  }
  EXPECT_EQ(ids, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(seen, (std::vector<String>{u"", u"Head office", u"Head office", u"Stock"}));
  tree->Edit();
  tree->FieldByName(u"PARENT")->SetAsInteger(2);
  EXPECT_EQ(parentName->GetAsString(), u"Sales");
  tree->Post();
  EXPECT_EQ(tree->FieldByName(u"ID")->GetAsInteger(), 4);
  EXPECT_EQ(tree->RecNo(), 4);
}

TEST_F(DataSetTest, DataSetsLookingEachOtherUpDoNotRecurse) {
  TTestDataSet* a = MakeTree();
  TTestDataSet* b = MakeTree(u"Other");
  AddDataFields(a, {u"ID", u"PARENT", u"NAME"});
  AddDataFields(b, {u"ID", u"PARENT", u"NAME"});
  TField* inA = AddLookup(a, u"OTHER_NAME", b, u"PARENT", u"ID", u"NAME");
  TField* inB = AddLookup(b, u"OTHER_NAME", a, u"PARENT", u"ID", u"NAME");
  b->Open();
  a->Open();
  a->Last();
  b->Last();
  EXPECT_EQ(inA->GetAsString(), u"Stock");
  EXPECT_EQ(inB->GetAsString(), u"Stock");
  EXPECT_TRUE(a->Locate(u"OTHER_NAME", u"Stock", {})) << "a user search still sees lookup values";
  EXPECT_EQ(a->FieldByName(u"ID")->GetAsInteger(), 4);
  EXPECT_TRUE(a->Locate(u"OTHER_NAME", u"Head office", {}));
  EXPECT_EQ(a->FieldByName(u"ID")->GetAsInteger(), 2);
  EXPECT_FALSE(a->Locate(u"OTHER_NAME", u"Sales", {}));
}

TEST_F(DataSetTest, LookupCacheAnswersFromTheList) {
  TTestDataSet* tree = MakeTree();
  TTestDataSet* names = MakeTree(u"Names");
  AddDataFields(tree, {u"ID", u"PARENT"});
  TField* cached = AddLookup(tree, u"PARENT_NAME", names, u"PARENT", u"ID", u"NAME");
  cached->SetLookupCache(true);
  names->Open();
  tree->Open();
  ASSERT_NE(cached->LookupList(), nullptr);
  EXPECT_EQ(cached->LookupList()->Count(), 4);
  EXPECT_EQ(cached->LookupList()->ValueOfKey(3).AsString(), u"Stock");
  tree->Last();
  EXPECT_EQ(cached->GetAsString(), u"Stock");

  auto* incomplete = new TStringField(&owner_);
  incomplete->SetFieldName(u"BROKEN");
  incomplete->SetFieldKind(fkLookup);
  tree->Close();
  incomplete->SetDataSet(tree);
  EXPECT_EQ(MessageOf([&] { tree->Open(); }), "Lookup information for field 'BROKEN' is incomplete");
}

// Refuses to go back to a bookmark once armed, as a cursor whose row another user removed would.
class TForgetfulDataSet : public TTestDataSet {
 public:
  using TTestDataSet::TTestDataSet;
  bool refuseBookmarks = false;

 protected:
  void InternalGotoBookmark(const TBookmark& bookmark) override {
    if (refuseBookmarks) throw EDatabaseError(u"Record not found");
    TTestDataSet::InternalGotoBookmark(bookmark);
  }
};

TEST_F(DataSetTest, LookupCacheReportsASourceItCouldNotPutBack) {
  auto* names = new TForgetfulDataSet(&owner_);
  names->GetFieldDefs()->Add(u"ID", ftInteger);
  names->GetFieldDefs()->Add(u"NAME", ftString, 20);
  names->AddRow({1, u"Head office"});
  names->AddRow({2, u"Sales"});
  TTestDataSet* tree = MakeTree();
  AddDataFields(tree, {u"ID", u"PARENT"});
  TField* cached = AddLookup(tree, u"PARENT_NAME", names, u"PARENT", u"ID", u"NAME");
  names->Open();
  tree->Open();
  names->Last();
  names->refuseBookmarks = true;
  // The list is filled, but the source stands on another row than its user left it on: that is said.
  EXPECT_EQ(MessageOf([&] { cached->SetLookupCache(true); }), "Record not found");
  EXPECT_FALSE(names->ControlsDisabled());
  names->refuseBookmarks = false;
  EXPECT_EQ(cached->LookupList()->Count(), 2);
}

// Fails the next edit or delete, as a locked row would.
class TLockingDataSet : public TTestDataSet {
 public:
  using TTestDataSet::TTestDataSet;
  int locks = 0;

 protected:
  void InternalEdit() override {
    if (locks > 0 && locks--) DatabaseError(u"Record locked", this);
  }
  void InternalDelete() override {
    if (locks > 0 && locks--) DatabaseError(u"Record locked", this);
    TTestDataSet::InternalDelete();
  }
};

TEST_F(DataSetTest, EditAndDeleteErrorHandlersDecide) {
  auto* ds = new TLockingDataSet(&owner_);
  ds->GetFieldDefs()->Add(u"ID", ftInteger);
  for (int i = 1; i <= 3; ++i) ds->AddRow({i});
  ds->Open();
  std::vector<TDataAction> answers;
  std::vector<std::string> messages;
  auto handler = [&](TDataSet*, EDatabaseError* e, TDataAction& action) {
    messages.push_back(StringToUtf8(e->Message()));
    action = answers.front();
    answers.erase(answers.begin());
  };
  ds->OnEditError = handler;
  ds->OnDeleteError = handler;

  ds->locks = 1;
  answers = {daRetry};
  ds->Edit();
  EXPECT_EQ(ds->GetState(), dsEdit) << "the retry succeeded";
  ds->Cancel();

  ds->locks = 1;
  answers = {daAbort};
  EXPECT_THROW(ds->Edit(), EAbort);
  EXPECT_EQ(ds->GetState(), dsBrowse);

  ds->locks = 2;
  answers = {daRetry, daFail};
  EXPECT_EQ(MessageOf([&] { ds->Delete(); }), "Record locked");
  EXPECT_EQ(ds->RecordCount(), 3);
  ds->locks = 1;
  answers = {daRetry};
  ds->Delete();
  EXPECT_EQ(ds->RecordCount(), 2);
  EXPECT_EQ(messages.size(), 5u);

  ds->SetReadOnly(true);
  EXPECT_EQ(MessageOf([&] { ds->Edit(); }), "Cannot modify a read-only dataset");
  EXPECT_EQ(messages.size(), 5u) << "the read-only check comes before the operation and its handler";
}

TEST_F(DataSetTest, NewRecordHandlerFailureLeavesNoHalfRecord) {
  TTestDataSet* tree = MakeTree();
  tree->Open();
  tree->Next();
  tree->OnNewRecord = [](TDataSet*) { throw EDatabaseError(u"no new records today"); };
  EXPECT_EQ(MessageOf([&] { tree->Insert(); }), "no new records today");
  EXPECT_EQ(tree->GetState(), dsBrowse);
  EXPECT_EQ(tree->FieldByName(u"ID")->GetAsInteger(), 2);
  EXPECT_EQ(tree->RecordCount(), 4);
}

TEST_F(DataSetTest, FieldListsValuesAndNames) {
  TTestDataSet* tree = MakeTree();
  tree->Open();
  std::vector<TField*> list = tree->GetFieldList(u"NAME; ID");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]->GetFieldName(), u"NAME");
  EXPECT_EQ(MessageOf([&] { tree->GetFieldList(u"ID;NOPE"); }), "Tree: Field 'NOPE' not found");
  EXPECT_EQ(tree->GetFieldValues(u"NAME").AsString(), u"Head office");
  Variant pair = tree->FieldValues(u"ID;NAME");
  EXPECT_EQ(VarArrayGet(pair, 0).AsInteger(), 1);
  tree->Edit();
  tree->SetFieldValues(u"PARENT;NAME", VarArrayOf({7, u"Renamed"}));
  tree->Post();
  EXPECT_EQ(tree->FieldByName(u"PARENT")->GetAsInteger(), 7);
  tree->Close();
  auto* total = new TAggregateField(&owner_);
  total->SetFieldName(u"TOTAL");
  total->SetDataSet(tree);
  tree->Open();
  EXPECT_EQ(tree->GetAggFields()->GetCount(), 1);
  EXPECT_EQ(tree->GetFieldCount(), 3) << "aggregates do not stop default fields";
  EXPECT_EQ(tree->FindField(u"total"), total);
  total->SetAggregateValue(12.5);
  total->SetDisplayFormat(u"0.00");
  EXPECT_EQ(total->GetDisplayText(), u"12,50");
  TStringList names;
  names.Add(u"stale");
  tree->GetFieldNames(&names);
  EXPECT_EQ(names.GetCount(), 3);
  EXPECT_EQ(names.Get(2), u"NAME");
  EXPECT_EQ(MessageOf([&] { tree->Locate(u"ID;NAME", 1, {}); }), "Tree: Invalid value for field 'ID;NAME'");
}

TEST_F(DataSetTest, FilterSetBeforeOpeningAppliesAndABadOneFailsTheOpen) {
  TTestDataSet* tree = MakeTree();
  tree->SetFilter(u"PARENT = 1");
  tree->SetFiltered(true);
  tree->Open();
  EXPECT_EQ(tree->RecordCount(), 2);
  EXPECT_FALSE(tree->IsSequenced());
  tree->Close();
  tree->SetFilter(u"PARENT = ");
  EXPECT_EQ(MessageOf([&] { tree->Open(); }), "Expression expected but nothing found");
  EXPECT_FALSE(tree->GetActive());
  tree->SetFiltered(false);
  tree->Open();
  EXPECT_EQ(tree->RecordCount(), 4);
}

TEST_F(DataSetTest, BlockReadSkipsControlsUntilItEnds) {
  TTestDataSet* tree = MakeTree();
  tree->Open();
  TDataSource source(nullptr);
  source.SetDataSet(tree);
  TRecordingDataLink link;
  link.SetDataSource(&source);
  link.Log.clear();
  tree->SetBlockReadSize(10);
  EXPECT_EQ(tree->GetState(), dsBlockRead);
  while (!tree->Eof()) tree->Next();
  tree->SetBlockReadSize(0);
  EXPECT_EQ(tree->GetState(), dsBrowse);
  int scrolls = 0;
  for (const std::string& entry : link.Log) scrolls += entry.rfind("DataSetScrolled", 0) == 0;
  EXPECT_EQ(scrolls, 0);
  EXPECT_EQ(link.Log.back(), "DataSetChanged");
  link.SetDataSource(nullptr);
}

}  // namespace
