// Lookup settings and key cache: resolution, the display value of the current record, the cache kept
// equal to the lookup dataset through random changes, a total key order and the lookup-field mode.
#include <gtest/gtest.h>

#include <random>

#include "gridlib/editors/DBLookupEh.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

// A grid column stand-in: its field, its grid's data source, and how often it was told of changes.
class Column : public TCollectionItem, public ILookupDataOwnerEh {
 public:
  Column() : TCollectionItem(nullptr) {}
  TField* GetLookupOwnerField() override { return field; }
  TDataSource* GetLookupOwnerDataSource() override { return source; }
  TComponent* GetLookupOwnerComponent() override { return nullptr; }
  void LookupParamsChanged() override { ++changes; }
  TField* field = nullptr;
  TDataSource* source = nullptr;
  int changes = 0;
};

class LookupDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    depts_ = new TTestDataSet(&owner_);
    depts_->GetFieldDefs()->Add(u"id", ftInteger);
    depts_->GetFieldDefs()->Add(u"name", ftString, 30);
    depts_->AddRow({Variant(1), Variant(u"Бухгалтерия")});
    depts_->AddRow({Variant(2), Variant(u"Склад")});
    depts_->AddRow({Variant(3), Variant(u"Цех")});
    depts_->Open();
    people_ = new TTestDataSet(&owner_);
    people_->GetFieldDefs()->Add(u"id", ftInteger);
    people_->GetFieldDefs()->Add(u"dept", ftInteger);
    people_->AddRow({Variant(10), Variant(2)});
    people_->AddRow({Variant(11), Variant(7)});
    people_->AddRow({Variant(12), Variant::Null()});
    people_->Open();
    source_ = new TDataSource(&owner_);
    source_->SetDataSet(people_);
    column_.source = source_;
    column_.field = people_->FieldByName(u"dept");
    lookup_ = std::make_unique<TDBLookupDataEh>(&column_);
  }
  void TearDown() override { lookup_.reset(); }

  void Configure(TDBLookupDataEh& lookup) {
    lookup.SetKeyFieldNames(u"dept");
    lookup.SetLookupDataSet(depts_);
    lookup.SetLookupKeyFieldNames(u"id");
    lookup.SetLookupDisplayFieldName(u"name");
  }

  TComponent owner_{nullptr};
  TTestDataSet* depts_ = nullptr;
  TTestDataSet* people_ = nullptr;
  TDataSource* source_ = nullptr;
  Column column_;
  std::unique_ptr<TDBLookupDataEh> lookup_;
};

TEST_F(LookupDataTest, CurrentRecordShowsItsTextAndAMissIsNull) {
  EXPECT_TRUE(lookup_->GetLookupCache());
  EXPECT_FALSE(lookup_->GetLookupIsSetUp());
  lookup_->SetLookupDataSet(depts_);
  lookup_->SetLookupKeyFieldNames(u"id");
  EXPECT_TRUE(lookup_->GetLookupValue().IsNull()) << "no display field: no list";
  EXPECT_EQ(lookup_->GetLookupListCache().Count(), 0);
  Configure(*lookup_);
  EXPECT_TRUE(lookup_->GetLookupIsSetUp());
  EXPECT_TRUE(lookup_->GetLookupActive());
  EXPECT_GT(column_.changes, 0);
  EXPECT_EQ(lookup_->GetLookupListCache().Count(), 3);

  for (bool cache : {true, false}) {
    lookup_->SetLookupCache(cache);
    EXPECT_EQ(lookup_->GetLookupListCache().Count(), cache ? 3 : 0);
    people_->First();
    EXPECT_EQ(lookup_->GetLookupValue().AsString(), u"Склад");
    people_->Next();
    // A key the list does not have answers Null, with the cache as without it.
    EXPECT_TRUE(lookup_->GetLookupValue().IsNull()) << "cache " << cache;
    people_->Next();
    EXPECT_TRUE(lookup_->GetLookupValue().IsNull());
    EXPECT_TRUE(lookup_->GetKeyFieldsIsNull());
  }

  // Reading the cache leaves the lookup dataset where it was.
  depts_->Locate(u"id", Variant(3), {});
  lookup_->RefreshLookupListCache();
  EXPECT_EQ(depts_->FieldByName(u"id")->GetAsInteger(), 3);

  EXPECT_THROW(lookup_->SetLookupDisplayFieldName(u"nosuch"), EDatabaseError);
}

TEST_F(LookupDataTest, CacheStaysEqualToAFreshLookupThroughRandomChanges) {
  Configure(*lookup_);
  std::mt19937 random(20261211);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  for (int step = 0; step < 300; ++step) {
    switch (pick(5)) {
      case 0:  // a new department, its id possibly a duplicate
        depts_->Append();
        depts_->FieldByName(u"id")->SetAsInteger(pick(12));
        depts_->FieldByName(u"name")->SetAsString(u"Отдел " + IntToStr(step));
        depts_->Post();
        break;
      case 1:  // renamed
      case 2:  // given another id
        if (depts_->IsEmpty()) break;
        depts_->SetRecNo(1 + pick(depts_->GetRecordCount()));
        depts_->Edit();
        if (step % 2)
          depts_->FieldByName(u"name")->SetAsString(u"Новое имя " + IntToStr(step));
        else
          depts_->FieldByName(u"id")->SetAsInteger(pick(12));
        depts_->Post();
        break;
      case 3:  // deleted
        if (depts_->IsEmpty()) break;
        depts_->SetRecNo(1 + pick(depts_->GetRecordCount()));
        depts_->Delete();
        break;
      case 4:  // the person moves to another department, or to none
        people_->First();
        people_->Edit();
        people_->FieldByName(u"dept")->SetAsVariant(pick(4) == 0 ? Variant::Null() : Variant(pick(12)));
        people_->Post();
        break;
    }
    people_->First();
    const Variant key = people_->FieldByName(u"dept")->GetAsVariant();
    const Variant fresh = key.IsNull() ? Variant::Null() : depts_->Lookup(u"id", key, u"name");
    const Variant cached = lookup_->GetLookupValue();
    ASSERT_EQ(StringToUtf8(VarToStr(cached)), StringToUtf8(VarToStr(fresh)))
        << "step " << step << " key " << StringToUtf8(VarToStr(key));
    ASSERT_EQ(cached.IsNull(), fresh.IsNull()) << "step " << step;
  }
}

TEST_F(LookupDataTest, TwoKeyFieldsMatchAnArrayKey) {
  auto* rates = new TTestDataSet(&owner_);
  rates->GetFieldDefs()->Add(u"dept", ftInteger);
  rates->GetFieldDefs()->Add(u"grade", ftInteger);
  rates->GetFieldDefs()->Add(u"rate", ftFloat);
  rates->AddRow({Variant(2), Variant(1), Variant(150.5)});
  rates->AddRow({Variant(2), Variant(2), Variant(180.0)});
  rates->Open();
  lookup_->SetKeyFieldNames(u"dept;id");
  lookup_->SetLookupDataSet(rates);
  lookup_->SetLookupKeyFieldNames(u"dept;grade");
  lookup_->SetLookupDisplayFieldName(u"rate");
  people_->First();
  EXPECT_TRUE(lookup_->GetLookupValue().IsNull()) << "(2, 10) is not there";
  people_->Edit();
  people_->FieldByName(u"id")->SetAsInteger(2);
  people_->Post();
  EXPECT_DOUBLE_EQ(lookup_->GetLookupValue().AsDouble(), 180.0);
}

TEST(LookupListTest, MixedKeysSortTotallyAndAreAllFound) {
  const std::vector<Variant> keys = {
      Variant(3),
      Variant(u"б"),
      Variant::Null(),
      Variant(2.5),
      Variant(u"а"),
      VarArrayOf({Variant(1), Variant(u"x")}),
      Variant(-7),
      Variant(true),
      VarArrayOf({Variant(1)}),
      Variant::FromDate(45000.25),
      Variant(u""),
      Variant(Int64(1) << 40),
  };
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    std::vector<size_t> order(keys.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), random);
    TLookupListEh list;
    for (size_t i : order) list.Add(keys[i], Variant(static_cast<Integer>(i)));
    list.SortData();
    for (Integer i = 1; i < list.Count(); ++i)
      ASSERT_LT(CompareLookupKeysEh(list.GetPair(i - 1).KeyValue, list.GetPair(i).KeyValue), 0);
    for (size_t i = 0; i < keys.size(); ++i)
      ASSERT_EQ(list.ValueOfKey(keys[i]).AsInteger(), static_cast<Integer>(i)) << "round " << round;
  }
  // Keys of another shape are simply absent: no error.
  TLookupListEh list;
  list.Add(Variant(1), Variant(u"один"));
  list.SortData();
  EXPECT_TRUE(list.ValueOfKey(VarArrayOf({Variant(1), Variant(2)})).IsNull());
  EXPECT_EQ(list.ValueOfKey(Variant(1.0)).AsString(), u"один") << "1 and 1.0 are one key";
}

TEST_F(LookupDataTest, LookupFieldGivesTheSettingsAndLocksThem) {
  people_->Close();
  for (const Char* name : {u"id", u"dept"}) people_->GetFieldDefs()->Find(name)->CreateField(&owner_);
  auto* deptName = new TStringField(&owner_);
  deptName->SetFieldName(u"dept_name");
  deptName->SetFieldKind(fkLookup);
  deptName->SetLookupDataSet(depts_);
  deptName->SetKeyFields(u"dept");
  deptName->SetLookupKeyFields(u"id");
  deptName->SetLookupResultField(u"name");
  deptName->SetDataSet(people_);
  people_->Open();
  column_.field = deptName;
  lookup_->UpdateLookupState();
  EXPECT_TRUE(lookup_->GetLookupInDataField());
  EXPECT_FALSE(lookup_->LookupDataIsStored());
  EXPECT_EQ(lookup_->GetLookupKeyFieldNames(), u"id");
  EXPECT_EQ(lookup_->GetLookupDataSet(), depts_);
  EXPECT_TRUE(lookup_->GetLookupActive());
  people_->First();
  EXPECT_EQ(lookup_->GetLookupValue().AsString(), u"Склад");
  try {
    lookup_->SetLookupKeyFieldNames(u"name");
    FAIL() << "the settings belong to the lookup field";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Property already defined by lookup field");
  }
}

TEST_F(LookupDataTest, FreedLookupDatasetIsForgotten) {
  Configure(*lookup_);
  delete depts_;
  depts_ = nullptr;
  EXPECT_EQ(lookup_->GetLookupDataSet(), nullptr);
  EXPECT_FALSE(lookup_->GetLookupActive());
  EXPECT_TRUE(lookup_->GetLookupValue().IsNull());
}

}  // namespace
