// The record store, its view, index and tree on a million records of twenty short fields, beside
// std::stable_sort of the same keys on plain structs and SQLite's ORDER BY / WHERE on the same data.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gridlib/memtable/DataSetExprParserEh.h"
#include "gridlib/memtable/MemRecordsViewEh.h"
#include "gridlib/memtable/MemTableIndexesEh.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {

constexpr int kRows = 1000000;
constexpr int kFields = 20;

// Field 0 ID, 1 NAME (Cyrillic, mixed case), 2 GRP (0..999), 3 PID, then short texts and numbers.
struct PlainRow {
  int id;
  String name;
  int grp;
};

String NameFor(std::mt19937& random) {
  static const char16_t* parts[] = {u"Ив", u"ан", u"ов", u"Пет", u"ро", u"Сид", u"ор", u"ко",
                                    u"ва", u"ЕЛ", u"ёж", u"Юр",  u"ин", u"ЯК",  u"ли", u"Ша"};
  String s;
  for (int i = 0; i < 3; ++i) s += parts[random() % 16];
  return s;
}

struct Data {
  std::vector<PlainRow> rows;
  std::vector<int> parentOf;

  Data() {
    std::mt19937 random(2024);
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i)
      rows.push_back({i + 1, NameFor(random), static_cast<int>(random() % 1000)});
    // A tree of fan-out about 8, loaded in shuffled order.
    parentOf.resize(kRows);
    for (int i = 0; i < kRows; ++i) parentOf[i] = i == 0 ? 0 : (i + 1) / 8;
  }
};

const Data& SharedData() {
  static const Data data;
  return data;
}

size_t HeapInUse() { return mallinfo2().uordblks; }

std::unique_ptr<TMemTableDataEh> BuildStore(const std::vector<int>& order) {
  const Data& d = SharedData();
  auto store = std::make_unique<TMemTableDataEh>(nullptr);
  TMTDataStructEh* ds = store->GetDataStruct();
  ds->BuildDataFieldForDef(u"ID", ftInteger, 0, 0);
  ds->BuildDataFieldForDef(u"NAME", ftWideString, 20, 0);
  ds->BuildDataFieldForDef(u"GRP", ftInteger, 0, 0);
  ds->BuildDataFieldForDef(u"PID", ftInteger, 0, 0);
  for (int f = 4; f < kFields; ++f)
    ds->BuildDataFieldForDef(u"F" + IntToStr(f), f % 2 ? ftInteger : ftWideString, 8, 0);
  TRecordsListEh* list = store->GetRecordsList();
  for (int i : order) {
    const PlainRow& row = d.rows[static_cast<size_t>(i)];
    TMemoryRecordEh* rec = list->NewRecord();
    rec->SetDataValue(0, dvvValueEh, row.id);
    rec->SetDataValue(1, dvvValueEh, row.name);
    rec->SetDataValue(2, dvvValueEh, row.grp);
    int parent = d.parentOf[static_cast<size_t>(i)];
    rec->SetDataValue(3, dvvValueEh, parent ? Variant(parent) : Null());
    for (int f = 4; f < kFields; ++f)
      rec->SetDataValue(f, dvvValueEh,
                        f % 2 ? Variant(row.id % 1000 + f) : Variant(String(u"v") + IntToStr(f)));
    list->AddRecord(rec);
  }
  return store;
}

std::vector<int> InOrder() {
  std::vector<int> order(kRows);
  for (int i = 0; i < kRows; ++i) order[i] = i;
  return order;
}

TMemTableDataEh& SharedStore() {
  static std::unique_ptr<TMemTableDataEh> store = BuildStore(InOrder());
  return *store;
}

void BM_StoreBuild(benchmark::State& state) {
  const std::vector<int> order = InOrder();
  SharedData();
  double bytesPerRecord = 0;
  for (auto _ : state) {
    size_t before = HeapInUse();
    auto store = BuildStore(order);
    bytesPerRecord = static_cast<double>(HeapInUse() - before) / kRows;
    state.PauseTiming();
    store.reset();
    state.ResumeTiming();
  }
  state.counters["bytes_per_record"] = bytesPerRecord;
}
BENCHMARK(BM_StoreBuild)->Unit(benchmark::kMillisecond)->Iterations(1);

// What a view over the store adds per record (its nodes and lists), next to the store's own cost.
void BM_ViewBuild(benchmark::State& state) {
  TMemTableDataEh& store = SharedStore();
  double bytesPerRecord = 0;
  for (auto _ : state) {
    size_t before = HeapInUse();
    auto view = std::make_unique<TRecordsViewEh>();
    view->SetMemTableData(&store);
    bytesPerRecord = static_cast<double>(HeapInUse() - before) / kRows;
    state.PauseTiming();
    view.reset();
    state.ResumeTiming();
  }
  state.counters["view_bytes_per_record"] = bytesPerRecord;
}
BENCHMARK(BM_ViewBuild)->Unit(benchmark::kMillisecond)->Iterations(1);

void SortView(benchmark::State& state, const String& order, bool caseInsensitive) {
  TMemTableDataEh& store = SharedStore();
  TRecordsViewEh view;
  view.SetMemTableData(&store);
  view.SetSortOrderCaseInsensitive(caseInsensitive);
  size_t before = HeapInUse();
  for (auto _ : state) {
    view.SetSortOrder(order);
    state.PauseTiming();
    view.SetSortOrder(u"");
    state.ResumeTiming();
  }
  state.counters["view_bytes_per_record"] = static_cast<double>(HeapInUse() - before) / kRows;
}

void BM_ViewSortOneKey(benchmark::State& state) { SortView(state, u"GRP", false); }
BENCHMARK(BM_ViewSortOneKey)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ViewSortTwoKeysCyrillicCaseInsensitive(benchmark::State& state) {
  SortView(state, u"NAME, GRP", true);
}
BENCHMARK(BM_ViewSortTwoKeysCyrillicCaseInsensitive)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StableSortOneKey(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<PlainRow> rows = SharedData().rows;
    state.ResumeTiming();
    std::stable_sort(rows.begin(), rows.end(),
                     [](const PlainRow& a, const PlainRow& b) { return a.grp < b.grp; });
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_StableSortOneKey)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StableSortTwoKeysCyrillicCaseInsensitive(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<PlainRow> rows = SharedData().rows;
    state.ResumeTiming();
    std::stable_sort(rows.begin(), rows.end(), [](const PlainRow& a, const PlainRow& b) {
      int c = AnsiCompareText(a.name, b.name);
      return c != 0 ? c < 0 : a.grp < b.grp;
    });
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_StableSortTwoKeysCyrillicCaseInsensitive)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ViewLikeFilter(benchmark::State& state) {
  TMemTableDataEh& store = SharedStore();
  TDataSetExprParserEh filter(nullptr, dsptFilterEh);
  filter.SetDataStruct(store.GetDataStruct());
  filter.ParseExpression(u"NAME LIKE '%ров%'");
  TRecordsViewEh view;
  view.OnFilterRecord = [&](TMemoryRecordEh* rec, TMemRecViewEh*) { return filter.IsCurRecordInFilter(rec); };
  view.SetMemTableData(&store);
  Integer shown = 0;
  for (auto _ : state) {
    view.RefreshFilteredRecsList(true);
    shown = view.Count();
  }
  state.counters["rows_shown"] = shown;
}
BENCHMARK(BM_ViewLikeFilter)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_IndexOneField(benchmark::State& state) {
  TMemTableDataEh& store = SharedStore();
  std::unique_ptr<TMTIndexEh> index(TMTIndexEh::CreateApart(store.GetRecordsList()));
  index->SetFields(u"GRP");
  for (auto _ : state) {
    index->SetActive(true);
    state.PauseTiming();
    index->SetActive(false);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_IndexOneField)->Unit(benchmark::kMillisecond)->Iterations(3);

void BuildTree(benchmark::State& state, bool withIndexes) {
  std::vector<int> order = InOrder();
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  auto store = BuildStore(order);
  if (withIndexes) {
    for (const char16_t* fields : {u"ID", u"PID"}) {
      TMTIndexEh* index = store->GetRecordsList()->GetIndexes()->Add();
      index->SetFields(fields);
      index->SetActive(true);
    }
  }
  TRecordsViewEh view;
  view.SetMemTableData(store.get());
  view.SetTreeViewKeyFieldName(u"ID");
  view.SetTreeViewRefParentFieldName(u"PID");
  for (auto _ : state) {
    view.SetViewAsTreeList(true);
    benchmark::DoNotOptimize(view.Count());
    state.PauseTiming();
    view.SetViewAsTreeList(false);
    state.ResumeTiming();
  }
}

void BM_TreeShuffledWithIndexes(benchmark::State& state) { BuildTree(state, true); }
BENCHMARK(BM_TreeShuffledWithIndexes)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_TreeShuffledWithoutIndexes(benchmark::State& state) { BuildTree(state, false); }
BENCHMARK(BM_TreeShuffledWithoutIndexes)->Unit(benchmark::kMillisecond)->Iterations(2);

// ---- SQLite on the same data, in memory

int CompareCyrillicNoCase(void*, int n1, const void* s1, int n2, const void* s2) {
  String a(static_cast<const char16_t*>(s1), static_cast<size_t>(n1) / 2);
  String b(static_cast<const char16_t*>(s2), static_cast<size_t>(n2) / 2);
  return AnsiCompareText(a, b);
}

sqlite3* SharedDb() {
  static sqlite3* db = [] {
    sqlite3* handle = nullptr;
    sqlite3_open(":memory:", &handle);
    sqlite3_create_collation(handle, "RUNOCASE", SQLITE_UTF16_ALIGNED, nullptr, CompareCyrillicNoCase);
    std::string create = "CREATE TABLE t(id INTEGER, name TEXT, grp INTEGER, pid INTEGER";
    for (int f = 4; f < kFields; ++f) create += ", f" + std::to_string(f) + (f % 2 ? " INTEGER" : " TEXT");
    create += ")";
    sqlite3_exec(handle, create.c_str(), nullptr, nullptr, nullptr);
    std::string insert = "INSERT INTO t VALUES(?";
    for (int f = 1; f < kFields; ++f) insert += ",?";
    insert += ")";
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(handle, insert.c_str(), -1, &stmt, nullptr);
    sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
    const Data& d = SharedData();
    for (int i = 0; i < kRows; ++i) {
      const PlainRow& row = d.rows[static_cast<size_t>(i)];
      std::string name = StringToUtf8(row.name);
      sqlite3_bind_int(stmt, 1, row.id);
      sqlite3_bind_text(stmt, 2, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(stmt, 3, row.grp);
      if (d.parentOf[static_cast<size_t>(i)])
        sqlite3_bind_int(stmt, 4, d.parentOf[static_cast<size_t>(i)]);
      else
        sqlite3_bind_null(stmt, 4);
      for (int f = 4; f < kFields; ++f) {
        if (f % 2)
          sqlite3_bind_int(stmt, f + 1, row.id % 1000 + f);
        else
          sqlite3_bind_text(stmt, f + 1, ("v" + std::to_string(f)).c_str(), -1, SQLITE_TRANSIENT);
      }
      sqlite3_step(stmt);
      sqlite3_reset(stmt);
    }
    sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_finalize(stmt);
    return handle;
  }();
  return db;
}

void RunQuery(benchmark::State& state, const char* sql, const char* param = nullptr) {
  sqlite3* db = SharedDb();
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
  Int64 rows = 0;
  for (auto _ : state) {
    if (param) sqlite3_bind_text(stmt, 1, param, -1, SQLITE_STATIC);
    rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) ++rows;
    sqlite3_reset(stmt);
  }
  sqlite3_finalize(stmt);
  state.counters["rows"] = static_cast<double>(rows);
}

void BM_SqliteOrderByOneKey(benchmark::State& state) { RunQuery(state, "SELECT id FROM t ORDER BY grp"); }
BENCHMARK(BM_SqliteOrderByOneKey)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SqliteOrderByTwoKeysCyrillicCaseInsensitive(benchmark::State& state) {
  RunQuery(state, "SELECT id FROM t ORDER BY name COLLATE RUNOCASE, grp");
}
BENCHMARK(BM_SqliteOrderByTwoKeysCyrillicCaseInsensitive)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SqliteWhereLike(benchmark::State& state) {
  RunQuery(state, "SELECT id FROM t WHERE name LIKE ?", "%ров%");
}
BENCHMARK(BM_SqliteWhereLike)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
