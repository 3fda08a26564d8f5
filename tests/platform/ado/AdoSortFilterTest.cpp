// The recordset's Sort and Filter, checked against what the server's ORDER BY and WHERE return for the
// same rows; and their life across Close/Open.
#include <gtest/gtest.h>

#include "platform/rtl/Utf.h"
#include "tests/platform/ado/AdoFixture.h"

namespace {

class AdoSortFilterTest : public AdoTest {
 protected:
  void SetUp() override {
    AdoTest::SetUp();
    Exec(
        u"create table t.s(id int primary key, name text, amount numeric(15,4), qty int not null, d date, "
        u"price float8)");
    Exec(
        u"insert into t.s values "
        u"(1, 'Иванов', 10.5, 3, '2024-03-05', 1.25), (2, 'иванов', 2.25, 7, '2024-02-29', 0.5),"
        u"(3, 'Ёлкин', null, 1, '2024-03-05', 3), (4, 'елкин', -1, 12, null, 1.5),"
        u"(5, 'Абрамов', 0, 5, '2023-12-31', null), (6, 'Яков', 2.5, 9, '2024-03-01', 2),"
        u"(7, '  пробел', 100, 2, '2024-01-15', 1.5), (8, '10 шт', 2.5, 4, '2024-03-06', 0.75),"
        u"(9, '2 шт', 3, 6, '2024-03-02', 5), (10, 'Zeta', 1, 8, '2024-04-01', 1),"
        u"(11, 'alpha', 2, 10, '2024-03-05', 1.75), (12, 'Щукин', 7.125, 1, '2024-02-01', 0.25),"
        u"(13, 'щука', 7.125, 3, '2024-02-02', 4), (14, null, 5, 11, '2024-02-03', 2.5),"
        u"(15, 'it''s', 6, 13, '2024-02-04', 6), (16, 'Ёжик', -2.5, 14, '2024-02-05', 0)");
  }

  std::vector<int> ServerIds(const String& tail) {
    TADOQuery* q = Query(u"select id from t.s " + tail);
    q->Open();
    std::vector<int> ids;
    for (q->First(); !q->Eof(); q->Next()) ids.push_back(q->FieldByName(u"id")->GetAsInteger());
    return ids;
  }

  static std::vector<int> Ids(TDataSet* d) {
    std::vector<int> ids;
    for (d->First(); !d->Eof(); d->Next()) ids.push_back(d->FieldByName(u"id")->GetAsInteger());
    return ids;
  }
};

TEST_F(AdoSortFilterTest, SortMatchesTheServersOrderBy) {
  struct Case {
    const Char* sort;
    const Char* orderBy;
  };
  const Case cases[] = {
      {u"name, id", u"order by name, id"},
      {u"name DESC, id", u"order by name desc, id"},
      {u"amount ASC, name DESC, id", u"order by amount, name desc, id"},
      {u"d desc, id asc", u"order by d desc, id"},
      {u"price, qty DESC", u"order by price, qty desc"},
      {u"[qty], id", u"order by qty, id"},
  };
  TADOQuery* q = Query(u"select * from t.s");
  q->Open();
  for (const Case& c : cases) {
    q->SetSort(c.sort);
    EXPECT_EQ(Ids(q), ServerIds(c.orderBy)) << StringToUtf8(c.sort);
  }
}

TEST_F(AdoSortFilterTest, FilterMatchesTheServersWhere) {
  struct Case {
    const Char* filter;
    const Char* where;
  };
  // As the server compares: text exactly, by its collation; LIKE with % or *.
  const Case exact[] = {
      {u"qty > 5", u"qty > 5"},
      {u"name = 'Иванов'", u"name = 'Иванов'"},
      {u"name <> 'Яков'", u"name <> 'Яков'"},
      {u"name < 'Ж'", u"name < 'Ж'"},
      {u"name >= 'alpha'", u"name >= 'alpha'"},
      {u"name LIKE 'ив%'", u"name like 'ив%'"},
      {u"name like '*ов'", u"name like '%ов'"},
      {u"name LIKE '%Ё%'", u"name like '%Ё%'"},
      {u"name like 'it''s%'", u"name like 'it''s%'"},
      {u"name = 'Щук*'", u"name like 'Щук%'"},
      {u"amount >= 2.5 AND qty < 10", u"amount >= 2.5 and qty < 10"},
      {u"(qty = 1 OR qty = 3) AND amount <> 0", u"(qty = 1 or qty = 3) and amount <> 0"},
      {u"qty = 1 or qty = 3 and amount > 7", u"qty = 1 or qty = 3 and amount > 7"},
      {u"amount = NULL", u"amount is null"},
      {u"amount <> null", u"amount is not null"},
      {u"amount = 7.125", u"amount = 7.125"},
      {u"amount < '2,5'", u"amount < 2.5"},
      {u"d > #2024-03-01#", u"d > '2024-03-01'"},
      {u"d = '05.03.2024'", u"d = '2024-03-05'"},
      {u"d <= #02/29/2024#", u"d <= '2024-02-29'"},
      {u"price < 1.5", u"price < 1.5"},
      {u"id >= 3 and id <= 5 or [name] = 'Zeta'", u"id between 3 and 5 or name = 'Zeta'"},
      {u"id in (1, 3, 14) or name is null", u"id in (1, 3, 14) or name is null"},
  };
  // With foCaseInsensitive, as lower() and ilike compare.
  const Case anyCase[] = {
      {u"name = 'иванов'", u"lower(name) = 'иванов'"}, {u"name <> 'ЯКОВ'", u"lower(name) <> 'яков'"},
      {u"name LIKE 'ИВ%'", u"name ilike 'ив%'"},       {u"name like '%ё%'", u"name ilike '%ё%'"},
      {u"name = 'щук*'", u"name ilike 'щук%'"},
  };
  TADOQuery* q = Query(u"select * from t.s");
  q->Open();
  q->SetSort(u"id");
  q->SetFiltered(true);
  auto check = [&](const Case& c) {
    q->SetFilter(c.filter);
    EXPECT_EQ(Ids(q), ServerIds(String(u"where ") + c.where + u" order by id")) << StringToUtf8(c.filter);
    EXPECT_EQ(q->RecordCount(), static_cast<int>(ServerIds(String(u"where ") + c.where).size()));
  };
  for (const Case& c : exact) check(c);
  q->SetFilterOptions(TFilterOptions{foCaseInsensitive});
  for (const Case& c : anyCase) check(c);
}

TEST_F(AdoSortFilterTest, FilterTextsThatDoNotParseRaiseClearly) {
  struct Case {
    const Char* filter;
    const Char* part;  // of the message
  };
  const Case cases[] = {
      {u"name = ", u"value expected"},        {u"name LIKE", u"value expected"},
      {u"(qty > 1", u"')' expected"},         {u"nosuch = 1", u"Field 'nosuch' not found"},
      {u"qty > 'abc'", u"does not fit"},      {u"name ~ 'x'", u"unexpected character"},
      {u"d > #2024-13-45#", u"does not fit"}, {u"name = 'open", u"unterminated string"},
      {u"qty > 1 qty < 3", u"unexpected"},
  };
  TADOQuery* q = Query(u"select * from t.s");
  q->Open();
  q->SetFilter(u"qty > 10");
  q->SetFiltered(true);
  const int before = q->RecordCount();
  for (const Case& c : cases) {
    try {
      q->SetFilter(c.filter);
      ADD_FAILURE() << "accepted: " << StringToUtf8(c.filter);
    } catch (const EDatabaseError& e) {
      EXPECT_NE(e.Message().find(c.part), String::npos)
          << StringToUtf8(c.filter) << " -> " << StringToUtf8(e.Message());
    }
    // The filter in force stays as it was.
    EXPECT_EQ(q->RecordCount(), before);
  }
}

TEST_F(AdoSortFilterTest, FilterSurvivesReopeningAndSortDoesNot) {
  TADOQuery* q = Query(u"select * from t.s");
  q->SetFilter(u"qty > 10");
  q->SetFiltered(true);
  q->Open();
  q->SetSort(u"qty DESC");
  EXPECT_EQ(Ids(q), (std::vector<int>{16, 15, 4, 14}));
  q->Close();
  EXPECT_EQ(q->GetSort(), u"");
  q->Open();
  EXPECT_EQ(q->GetFilter(), u"qty > 10");
  EXPECT_EQ(Ids(q), (std::vector<int>{4, 14, 15, 16}));
  q->SetFiltered(false);
  EXPECT_EQ(q->RecordCount(), 16);
}

TEST_F(AdoSortFilterTest, SortKeepsTheCurrentRecordAndRecNoFollowsTheOrder) {
  TADOQuery* q = Query(u"select * from t.s");
  q->Open();
  ASSERT_TRUE(q->Locate(u"id", Variant(6), TLocateOptions()));
  q->SetSort(u"name DESC");
  EXPECT_EQ(q->FieldByName(u"id")->GetAsInteger(), 6);
  // Descending: the null first, then Latin (after Cyrillic in the server's collation), then 'Яков'.
  EXPECT_EQ(q->RecNo(), 5);
  q->SetRecNo(1);
  EXPECT_TRUE(q->FieldByName(u"name")->IsNull());
  EXPECT_THROW(q->SetSort(u"nosuch"), EDatabaseError);
  EXPECT_THROW(q->SetSort(u"name sideways"), EDatabaseError);
  EXPECT_EQ(q->GetSort(), u"name DESC");
}

TEST_F(AdoSortFilterTest, LocateAndLookupSearchTheRows) {
  TADOQuery* q = Query(u"select * from t.s");
  q->Open();
  EXPECT_TRUE(q->Locate(u"name", Variant(String(u"ЩУК")), TLocateOptions{loCaseInsensitive, loPartialKey}));
  EXPECT_EQ(q->FieldByName(u"id")->GetAsInteger(), 12);
  EXPECT_TRUE(q->Locate(u"qty;amount", VarArrayOf({Variant(3), Variant(7.125)}), TLocateOptions()));
  EXPECT_EQ(q->FieldByName(u"id")->GetAsInteger(), 13);
  EXPECT_FALSE(q->Locate(u"name", Variant(String(u"нет такого")), TLocateOptions()));
  EXPECT_EQ(q->FieldByName(u"id")->GetAsInteger(), 13);
  EXPECT_EQ(q->Lookup(u"id", Variant(6), u"name").AsString(), u"Яков");
  const Variant both = q->Lookup(u"id", Variant(2), u"name;qty");
  EXPECT_EQ(both.GetElement(0).AsString(), u"иванов");
  EXPECT_EQ(both.GetElement(1).AsInteger(), 7);
  EXPECT_TRUE(q->Lookup(u"id", Variant(99), u"name").IsNull());
  EXPECT_EQ(q->FieldByName(u"id")->GetAsInteger(), 13);
}

}  // namespace
