// Tests of the additional filters, the field value list, the sorted value list and the object-reference
// field.
#include <gtest/gtest.h>

#include "gridlib/memtable/MemTableDataExtraEh.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {

struct Store {
  TMemTableDataEh data{nullptr};
  TRecordsListEh* list = data.GetRecordsList();
  Store() {
    data.GetDataStruct()->BuildDataFieldForDef(u"N", ftInteger, 0, 0);
    data.GetDataStruct()->BuildDataFieldForDef(u"S", ftWideString, 20, 0);
  }
  void Add(const Variant& n, const Variant& s) {
    TMemoryRecordEh* rec = list->NewRecord();
    rec->SetDataValue(0, dvvValueEh, n);
    rec->SetDataValue(1, dvvValueEh, s);
    list->AddRecord(rec);
  }
};

std::string Texts(TStrings* strings) {
  std::string out;
  for (int i = 0; i < strings->GetCount(); ++i) out += (i ? "," : "") + StringToUtf8(strings->Get(i));
  return out;
}

}  // namespace

TEST(FieldValueList, DistinctValuesOfAStoreInKeyOrder) {
  Store s;
  for (int n : {3, 1, 3}) s.Add(n, u"x");
  s.Add(Null(), u"y");
  TMemTableDataFieldValueListEh values(nullptr);
  values.SetDataStruct(s.data.GetDataStruct());
  values.SetDataObject(&s.data);
  values.SetFieldName(u"N");
  EXPECT_EQ(Texts(values.GetValues()), ",1,3");
  // Any change makes the list stale and the next read rebuilds it.
  s.Add(2, u"z");
  EXPECT_TRUE(values.GetDataObsoleted());
  EXPECT_EQ(Texts(values.GetValues()), ",1,2,3");
  values.SetFilter(u"N > 1");
  EXPECT_EQ(Texts(values.GetValues()), "2,3");
  values.SetFieldName(u"NOPE");
  EXPECT_EQ(Texts(values.GetValues()), "");
}

TEST(FieldValueList, TextValuesFollowTheCaseOption) {
  Store s;
  for (const char16_t* t : {u"a", u"A", u"a", u"b"}) s.Add(1, t);
  TMemTableDataFieldValueListEh values(nullptr);
  values.SetDataObject(&s.data);
  values.SetFieldName(u"S");
  EXPECT_EQ(Texts(values.GetValues()), "a,A,b");
  values.SetFilterOptions(TFilterOptions{foCaseInsensitive});
  EXPECT_EQ(Texts(values.GetValues()), "a,b");
}

TEST(FieldValueList, ValuesOfAViewAreWhatTheViewShows) {
  Store s;
  for (int n : {5, 2, 5, 9}) s.Add(n, u"x");
  TRecordsViewEh view;
  view.OnFilterRecord = [](TMemoryRecordEh* rec, TMemRecViewEh*) {
    return rec->GetData()[0].AsInteger() != 9;
  };
  view.SetMemTableData(&s.data);
  TMemTableDataFieldValueListEh values(nullptr);
  values.SetDataObject(&view);
  values.SetFieldName(u"N");
  EXPECT_EQ(Texts(values.GetValues()), "2,5");
  s.Add(1, u"x");
  EXPECT_TRUE(values.GetDataObsoleted());
  EXPECT_EQ(Texts(values.GetValues()), "1,2,5");
}

TEST(AdditionalFilters, ActiveItemsFilterInOrderAndStopAtTheFirstRefusal) {
  Store s;
  s.Add(1, u"a");
  s.Add(2, u"b");
  TMemTableFiltersEh filters;
  int changes = 0;
  filters.OnChanged = [&](TObject*) { ++changes; };
  TMemTableFilterItemEh* first = filters.Add();
  first->GetFilterExpr()->SetDataStruct(s.data.GetDataStruct());
  TMemTableFilterItemEh* second = filters.Add();
  first->SetFilter(u"N = 1");
  EXPECT_EQ(changes, 0);  // an inactive item's text changes nothing
  first->SetActive(true);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(filters.ActiveFilterCount(), 1);
  int asked = 0;
  second->SetOnFilterRecord([&](TDataSet*, bool& accept) {
    ++asked;
    accept = accept && true;
  });
  second->SetActive(true);
  EXPECT_EQ(filters.ActiveFilterCount(), 2);
  EXPECT_TRUE(filters.HasTextActiveFilter());
  EXPECT_TRUE(filters.HasEventActiveFilter());
  EXPECT_TRUE(filters.IsCurRecordInFilter(s.list->GetRec(0)));
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(filters.IsCurRecordInFilter(s.list->GetRec(1)));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(filters.IndexOfFilter(second), 1);
  first->SetActive(false);
  EXPECT_EQ(filters.ActiveFilterCount(), 1);
  EXPECT_TRUE(filters.IsCurRecordInFilter(s.list->GetRec(1)));
}

TEST(SortedVarList, KeepsOrderAndRefusesIncomparableValues) {
  TSortedVarlistEh list;
  std::vector<std::unique_ptr<TSortedVarItemEh>> items;
  for (int v : {5, 1, 3}) {
    items.push_back(std::make_unique<TSortedVarItemEh>(Variant(v)));
    list.AddItem(items.back().get());
  }
  EXPECT_EQ(list.GetItem(0)->Value.AsInteger(), 1);
  EXPECT_EQ(list.GetItem(1)->Value.AsInteger(), 3);
  EXPECT_EQ(list.GetItem(2)->Value.AsInteger(), 5);
  Integer index = -1;
  EXPECT_TRUE(list.FindKeyValueIndex(Variant(3), index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(list.FindKeyValueIndex(Variant(4), index));
  EXPECT_EQ(index, 2);
  try {
    list.FindKeyValue(Variant(String(u"x")));
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"TSortedVarlistEh.FindKeyValueIndex: values is not comparable.");
  }
}

TEST(RefObjectField, WithoutDatasetItSaysSo) {
  TRefObjectField field(nullptr);
  field.SetFieldName(u"Obj");
  try {
    field.GetValue();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Field 'Obj' has no dataset");
  }
  EXPECT_THROW(field.SetValue(nullptr), EDatabaseError);
}
