// Tests of the records view and the record tree over a real record store: incremental upkeep against a
// reference model, announcements, aggregates, item lifetime across rebuilds, trees by key and loops.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>

#include "gridlib/memtable/MemRecordsViewEh.h"
#include "gridlib/memtable/MemTableIndexesEh.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "tests/ErrorText.h"

namespace {

// ID integer, NAME text, GRP integer (0 is filtered out), PID integer (parent ID).
struct ViewStore {
  TMemTableDataEh data{nullptr};
  TRecordsListEh* list = data.GetRecordsList();

  ViewStore() {
    for (auto [name, type] : {std::pair{u"ID", ftInteger}, std::pair{u"NAME", ftWideString},
                              std::pair{u"GRP", ftInteger}, std::pair{u"PID", ftInteger}})
      data.GetDataStruct()->BuildDataFieldForDef(name, type, type == ftWideString ? 20 : 0, 0);
  }
  TMemoryRecordEh* Add(int id, const String& name, int grp, Variant pid = Null()) {
    TMemoryRecordEh* rec = list->NewRecord();
    rec->SetDataValue(0, dvvValueEh, id);
    rec->SetDataValue(1, dvvValueEh, name);
    rec->SetDataValue(2, dvvValueEh, grp);
    rec->SetDataValue(3, dvvValueEh, pid);
    list->AddRecord(rec);
    return rec;
  }
  TMemoryRecordEh* Find(int id) const {
    for (Integer i = 0; i < list->GetCount(); ++i)
      if (list->GetRec(i)->GetData()[0].AsInteger() == id) return list->GetRec(i);
    return nullptr;
  }
  void AddIndex(const String& fields) {
    TMTIndexEh* index = list->GetIndexes()->Add();
    index->SetFields(fields);
    index->SetActive(true);
  }
};

void Change(TMemoryRecordEh* rec, Integer field, const Variant& value) {
  rec->Edit();
  rec->SetDataValue(field, dvvValueEh, value);
  rec->Post();
}

int IdOf(TMemoryRecordEh* rec) { return rec->GetData()[0].AsInteger(); }

std::string Rows(TRecordsViewEh& view) {
  std::string out;
  for (Integer i = 0; i < view.Count(); ++i) out += (i ? " " : "") + std::to_string(IdOf(view.GetRec(i)));
  return out;
}

// What the view must show: records passing GRP <> 0, by NAME ignoring case then GRP descending, equal
// keys in store order.
std::string Expected(ViewStore& s) {
  std::vector<TMemoryRecordEh*> recs;
  for (Integer i = 0; i < s.list->GetCount(); ++i)
    if (s.list->GetRec(i)->GetData()[2].AsInteger() != 0) recs.push_back(s.list->GetRec(i));
  std::stable_sort(recs.begin(), recs.end(), [](TMemoryRecordEh* a, TMemoryRecordEh* b) {
    int c = AnsiCompareText(a->GetData()[1].AsString(), b->GetData()[1].AsString());
    if (c != 0) return c < 0;
    return a->GetData()[2].AsInteger() > b->GetData()[2].AsInteger();
  });
  std::string out;
  for (size_t i = 0; i < recs.size(); ++i) out += (i ? " " : "") + std::to_string(IdOf(recs[i]));
  return out;
}

void SetUpFilteredSorted(TRecordsViewEh& view, ViewStore& s) {
  view.OnFilterRecord = [](TMemoryRecordEh* rec, TMemRecViewEh*) {
    return rec->GetData()[2].AsInteger() != 0;
  };
  view.SetMemTableData(&s.data);
  view.SetSortOrderCaseInsensitive(true);
  view.SetSortOrder(u"NAME, GRP DESC");
}

// Parent ID of every record's node, 0 at the top level.
std::map<int, int> ParentMap(TRecordsViewEh& view) {
  std::map<int, int> parents;
  TMemoryTreeListEh* tree = view.GetMemoryTreeList();
  for (TBaseTreeNodeEh* n = tree->GetFirst(); n; n = tree->GetNext(n)) {
    auto* node = static_cast<TMemRecViewEh*>(n);
    auto* parent = node->GetNodeParent();
    parents[IdOf(node->GetRec())] = parent == tree->GetRoot() ? 0 : IdOf(parent->GetRec());
  }
  return parents;
}

}  // namespace

TEST(RecordsView, RandomChangesKeepTheViewEqualToAFullRebuild) {
  const String names[] = {u"Иван", u"иван", u"Пётр", u"анна", u"Анна", u"яков", u"Борис", u"борис"};
  std::mt19937 random(12345);
  ViewStore s;
  TRecordsViewEh view;
  SetUpFilteredSorted(view, s);
  int nextId = 1;
  for (int step = 0; step < 1500; ++step) {
    const Integer count = s.list->GetCount();
    const int op = count < 5 ? 0 : static_cast<int>(random() % 5);
    const String& name = names[random() % 8];
    const int grp = static_cast<int>(random() % 3);
    switch (op) {
      case 0:
        s.Add(nextId++, name, grp);
        break;
      case 1: {
        TMemoryRecordEh* rec = s.list->NewRecord();
        rec->SetDataValue(0, dvvValueEh, nextId++);
        rec->SetDataValue(1, dvvValueEh, name);
        rec->SetDataValue(2, dvvValueEh, grp);
        s.list->InsertRecord(static_cast<Integer>(random() % count), rec);
        break;
      }
      case 2:
        s.list->DeleteRecord(static_cast<Integer>(random() % count));
        break;
      case 3: {
        const Integer field = random() % 2 ? 1 : 2;
        Change(s.list->GetRec(static_cast<Integer>(random() % count)), field,
               field == 1 ? Variant(name) : Variant(grp));
        break;
      }
      case 4:
        s.list->Move(static_cast<Integer>(random() % count), static_cast<Integer>(random() % count));
        break;
    }
    ASSERT_EQ(Rows(view), Expected(s)) << "step " << step << " op " << op;
    ASSERT_EQ(view.SortedListItemCount(), s.list->GetCount());
    if (step % 100 == 0) {
      TRecordsViewEh fresh;
      SetUpFilteredSorted(fresh, s);
      ASSERT_EQ(Rows(fresh), Rows(view));
    }
  }
  // Sorted-list numbers are fresh once read.
  for (Integer i = 0; i < view.SortedListItemCount(); ++i)
    EXPECT_EQ(view.GetSortedListItem(i)->GetInSortedListIndex(), i);
}

TEST(RecordsView, WithoutSortOrderRowsFollowTheStoreThroughMoves) {
  ViewStore s;
  for (int i = 1; i <= 5; ++i) s.Add(i, u"n", 1);
  TRecordsViewEh view;
  view.SetMemTableData(&s.data);
  std::vector<std::string> events;
  view.OnViewDataEvent = [&](TMemoryRecordEh*, Integer index, TRecordsListNotification action) {
    events.push_back(std::to_string(action) + "@" + std::to_string(index));
  };
  s.list->Move(0, 3);
  EXPECT_EQ(Rows(view), "2 3 4 1 5");
  s.list->Move(4, 0);
  EXPECT_EQ(Rows(view), "5 2 3 4 1");
  EXPECT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0], std::to_string(rlnListChangingEh) + "@-1");
  view.SetSortOrder(u"ID DESC");
  EXPECT_EQ(Rows(view), "5 4 3 2 1");
  view.SetSortOrder(u"");
  EXPECT_EQ(Rows(view), "5 2 3 4 1");
}

TEST(RecordsView, ChangesAnnounceMovesAdditionsAndRemovals) {
  ViewStore s;
  s.Add(1, u"a", 1);
  s.Add(2, u"b", 1);
  s.Add(3, u"c", 1);
  TRecordsViewEh view;
  SetUpFilteredSorted(view, s);
  std::vector<std::string> events;
  view.OnViewDataEvent = [&](TMemoryRecordEh*, Integer index, TRecordsListNotification action) {
    events.push_back(std::string(action == rlnRecAddedEh     ? "added"
                                 : action == rlnRecDeletedEh ? "deleted"
                                 : action == rlnRecChangedEh ? "changed"
                                                             : "other") +
                     "@" + std::to_string(index));
  };
  view.OnViewRecordMovedEvent = [&](TMemoryRecordEh*, Integer from, Integer to) {
    events.push_back("moved " + std::to_string(from) + "->" + std::to_string(to));
  };
  Change(s.Find(1), 1, Variant(String(u"z")));
  EXPECT_EQ(Rows(view), "2 3 1");
  Change(s.Find(3), 2, Variant(0));
  EXPECT_EQ(Rows(view), "2 1");
  Change(s.Find(3), 2, Variant(5));
  EXPECT_EQ(Rows(view), "2 3 1");
  s.list->DeleteRecord(s.Find(2)->GetIndex());
  EXPECT_EQ(Rows(view), "3 1");
  const std::vector<std::string> expected = {"moved 0->2", "changed@2", "deleted@1", "added@1", "deleted@0"};
  EXPECT_EQ(events, expected);
  EXPECT_EQ(view.IndexOfRec(s.Find(1)), 1);
  EXPECT_EQ(view.IndexOfRec(nullptr), -1);
}

TEST(RecordsView, StatusFilterAndMarkedForDeletion) {
  ViewStore s;
  s.Add(1, u"a", 1);
  s.Add(2, u"b", 1);
  s.list->SetCachedUpdates(true);
  TRecordsViewEh view;
  view.SetMemTableData(&s.data);
  s.list->DeleteRecord(0);
  EXPECT_EQ(Rows(view), "2");
  view.SetStatusFilter(TUpdateStatusSet{usUnmodified, usModified, usInserted, usDeleted});
  EXPECT_EQ(Rows(view), "1 2");
}

TEST(RecordsView, AggregatesOverRowsSkipNullsAndSurviveAnEmptyView) {
  ViewStore s;
  TRecordsViewEh view;
  view.SetMemTableData(&s.data);
  EXPECT_EQ(view.Count(), 0);
  EXPECT_EQ(view.CalcAggrFieldFunc(u"*", u"COUNT").AsInteger(), 0);
  EXPECT_EQ(view.CalcAggrFieldFunc(u"GRP", u"SUM").AsInteger(), 0);
  EXPECT_TRUE(VarIsNull(view.CalcAggrFieldFunc(u"GRP", u"MIN")));
  EXPECT_TRUE(VarIsNull(view.CalcAggrFieldFunc(u"GRP", u"MAX")));
  EXPECT_TRUE(VarIsNull(view.CalcAggrFieldFunc(u"GRP", u"AVG")));
  s.Add(1, u"a", 2, Variant(7));
  s.Add(2, u"b", 4);
  s.Add(3, u"c", 9, Variant(3));
  EXPECT_EQ(view.CalcAggrFieldFunc(u"PID", u"AVG").AsDouble(), 5.0);
  EXPECT_EQ(view.CalcAggrFieldFunc(u"PID", u"MIN").AsInteger(), 3);
  EXPECT_EQ(view.CalcAggrFieldFunc(u"PID", u"MAX").AsInteger(), 7);
  EXPECT_EQ(view.CalcAggrFieldFunc(u"PID", u"COUNT").AsInteger(), 2);
  EXPECT_EQ(view.CalcAggrFieldFunc(u"GRP", u"SUM").AsInteger(), 15);
  EXPECT_EQ(MessageOf([&] { view.CalcAggrFieldFunc(u"NOPE", u"SUM"); }), "Invalid field name: NOPE");
  EXPECT_EQ(MessageOf([&] { view.CalcAggrFieldFunc(u"GRP", u"MEDIAN"); }),
            "Unsupported aggrigate function: MEDIAN");
}

TEST(RecordsView, ItemsHeldAcrossRebuildsStayValid) {
  // Run under the sanitizers: a rebuild that freed the items would make these reads use freed memory.
  ViewStore s;
  for (int i = 1; i <= 20; ++i) s.Add(i, u"n" + IntToStr(i), 1, i > 1 ? Variant(i / 2) : Null());
  TRecordsViewEh view;
  view.SetMemTableData(&s.data);
  TMemRecViewEh* held = view.GetRecordView(5);
  TMemoryRecordEh* rec = held->GetRec();
  s.list->BeginUpdate();
  s.list->EndUpdate();  // a list-changed notification: the lists are rebuilt
  view.RefreshFilteredRecsList(true);
  EXPECT_EQ(held->GetRec(), rec);
  EXPECT_EQ(view.GetRecordView(5), held);
  view.SetSortOrder(u"NAME DESC");
  EXPECT_EQ(held->GetRec(), rec);
  // Tree mode: nodes survive a rebuild of the tree too.
  view.SetTreeViewKeyFieldName(u"ID");
  view.SetTreeViewRefParentFieldName(u"PID");
  view.SetViewAsTreeList(true);
  TMemRecViewEh* node = view.GetMemoryTreeList()->NodeOfRecord(rec);
  ASSERT_NE(node, nullptr);
  s.list->BeginUpdate();
  s.list->EndUpdate();
  EXPECT_EQ(node->GetRec(), rec);
  EXPECT_EQ(view.GetMemoryTreeList()->NodeOfRecord(rec), node);
  // Deleting the parent record re-attaches the held child node itself.
  TMemoryRecordEh* parentRec = node->GetNodeParent()->GetRec();
  s.list->DeleteRecord(parentRec->GetIndex());
  EXPECT_EQ(node->GetRec(), rec);
  EXPECT_EQ(view.GetMemoryTreeList()->NodeOfRecord(rec), node);
  EXPECT_EQ(node->GetNodeParent(), view.GetMemoryTreeList()->GetRoot());
  view.SetViewAsTreeList(false);
  EXPECT_EQ(held->GetRec(), rec);
}

TEST(RecordTree, ShuffledDataGivesTheParentMapWithAndWithoutIndexes) {
  // 300 records: record i (from 2) has parent i / 3 + 1, shuffled.
  std::vector<int> ids;
  for (int i = 1; i <= 300; ++i) ids.push_back(i);
  std::shuffle(ids.begin(), ids.end(), std::mt19937(99));
  std::map<int, int> expected;
  for (int id : ids) expected[id] = id == 1 ? 0 : id / 3 + 1 == id ? 0 : id / 3 + 1;
  for (int indexes = 0; indexes < 3; ++indexes) {
    for (bool loadFirst : {true, false}) {
      SCOPED_TRACE("indexes " + std::to_string(indexes) + (loadFirst ? " bulk" : " one by one"));
      ViewStore s;
      if (indexes >= 1) s.AddIndex(u"ID");
      if (indexes >= 2) s.AddIndex(u"PID");
      TRecordsViewEh view;
      view.SetMemTableData(&s.data);
      view.SetTreeViewKeyFieldName(u"ID");
      view.SetTreeViewRefParentFieldName(u"PID");
      auto load = [&] {
        for (int id : ids) s.Add(id, u"n", 1, expected[id] ? Variant(expected[id]) : Null());
      };
      if (loadFirst) load();
      view.SetViewAsTreeList(true);
      if (!loadFirst) load();
      EXPECT_EQ(ParentMap(view), expected);
      // Children in store order.
      TMemoryTreeListEh* tree = view.GetMemoryTreeList();
      for (TBaseTreeNodeEh* n = tree->GetFirst(); n; n = tree->GetNext(n)) {
        if (TBaseTreeNodeEh* next = tree->GetNextSibling(n)) {
          EXPECT_LT(static_cast<TMemRecViewEh*>(n)->GetRec()->GetIndex(),
                    static_cast<TMemRecViewEh*>(next)->GetRec()->GetIndex());
        }
      }
      EXPECT_EQ(view.AccountableItemsCount(), 300);
      EXPECT_EQ(view.Count(), static_cast<Integer>(tree->GetRoot()->GetCount()));
      tree->Expand(nullptr, true);
      tree->VisibleItemsBecomeObsolete();
      EXPECT_EQ(view.Count(), 300);
    }
  }
}

TEST(RecordTree, ReferenceLoopsAreRefusedAndLeaveTheTreeUnchanged) {
  ViewStore s;
  s.AddIndex(u"ID");
  TRecordsViewEh view;
  view.SetMemTableData(&s.data);
  view.SetTreeViewKeyFieldName(u"ID");
  view.SetTreeViewRefParentFieldName(u"PID");
  view.SetViewAsTreeList(true);
  s.Add(1, u"a", 1);
  s.Add(2, u"b", 1, Variant(1));
  s.Add(3, u"c", 1, Variant(2));
  const auto before = ParentMap(view);
  for (auto [id, newParent] : {std::pair{1, 3}, std::pair{1, 2}, std::pair{2, 2}}) {
    TMemoryRecordEh* rec = s.Find(id);
    rec->Edit();
    rec->SetDataValue(3, dvvValueEh, newParent);
    EXPECT_EQ(MessageOf([&] { rec->Post(); }), "Reference-loop found") << id << "->" << newParent;
    rec->Cancel();
    EXPECT_EQ(ParentMap(view), before);
  }
  // A record that names itself as parent is refused before it joins; the caller still holds it.
  TMemoryRecordEh* self = s.list->NewRecord();
  self->SetDataValue(0, dvvValueEh, 4);
  self->SetDataValue(3, dvvValueEh, 4);
  EXPECT_EQ(MessageOf([&] { s.list->AddRecord(self); }), "Reference-loop found");
  EXPECT_EQ(s.list->GetCount(), 3);
  self->Cancel();
  // A legal re-parenting moves the subtree.
  Change(s.Find(3), 3, Null());
  EXPECT_EQ(ParentMap(view), (std::map<int, int>{{1, 0}, {2, 1}, {3, 0}}));
  Change(s.Find(1), 3, Variant(3));
  EXPECT_EQ(ParentMap(view), (std::map<int, int>{{1, 3}, {2, 1}, {3, 0}}));
}

TEST(RecordTree, DeletingAParentLiftsItsChildrenAndFiltersKeepAncestors) {
  ViewStore s;
  TRecordsViewEh view;
  view.SetMemTableData(&s.data);
  view.SetTreeViewKeyFieldName(u"ID");
  view.SetTreeViewRefParentFieldName(u"PID");
  view.OnFilterRecord = [](TMemoryRecordEh* rec, TMemRecViewEh*) {
    return rec->GetData()[2].AsInteger() != 0;
  };
  s.Add(1, u"a", 0);
  s.Add(2, u"b", 0, Variant(1));
  s.Add(3, u"c", 1, Variant(2));
  s.Add(4, u"d", 0);
  view.SetViewAsTreeList(true);
  view.GetMemoryTreeList()->Expand(nullptr, true);
  view.GetMemoryTreeList()->VisibleItemsBecomeObsolete();
  // Ancestors of a passing record stay shown; the failing leaf 4 does not.
  EXPECT_EQ(Rows(view), "1 2 3");
  s.list->DeleteRecord(s.Find(2)->GetIndex());
  EXPECT_EQ(ParentMap(view), (std::map<int, int>{{1, 0}, {3, 0}, {4, 0}}));
  EXPECT_EQ(Rows(view), "3");
}

TEST(RecordsView, SortingOnExtractedKeysAgreesWithTheRecordComparison) {
  // Whole numbers with nulls (one key, either direction), numbers of both kinds, text with and
  // without case: the full sort must order every neighbour pair as CompareRecords does.
  TMemTableDataEh data(nullptr);
  data.GetDataStruct()->BuildDataFieldForDef(u"I", ftInteger, 0, 0);
  data.GetDataStruct()->BuildDataFieldForDef(u"V", ftVariant, 0, 0);
  data.GetDataStruct()->BuildDataFieldForDef(u"S", ftWideString, 20, 0);
  const String names[] = {u"Ёж", u"ёж", u"еж", u"Анна", u"анна", u"z", u"Борис"};
  std::mt19937 random(7);
  for (int i = 0; i < 400; ++i) {
    TMemoryRecordEh* rec = data.GetRecordsList()->NewRecord();
    int r = static_cast<int>(random() % 10);
    rec->SetDataValue(0, dvvValueEh, r == 0 ? Null() : Variant(static_cast<int>(random() % 7) - 3));
    rec->SetDataValue(
        1, dvvValueEh,
        r == 1 ? Null() : (r % 2 ? Variant(static_cast<int>(random() % 5)) : Variant(0.5 * (random() % 9))));
    rec->SetDataValue(2, dvvValueEh, r == 2 ? Null() : Variant(names[random() % 7]));
    data.GetRecordsList()->AddRecord(rec);
  }
  // A view sorted again starts from the previous order, not from the store's.
  TRecordsViewEh resorted;
  resorted.SetMemTableData(&data);
  for (const char16_t* order :
       {u"I", u"I DESC", u"V", u"V DESC, I", u"S, I DESC", u"S DESC, V", u"I", u"S", u"I DESC"}) {
    for (bool caseIns : {false, true}) {
      TRecordsViewEh fresh;
      fresh.SetMemTableData(&data);
      for (TRecordsViewEh* view : {&fresh, &resorted}) {
        view->SetSortOrderCaseInsensitive(caseIns);
        view->SetSortOrder(order);
        ASSERT_EQ(view->Count(), 400);
        for (Integer i = 1; i < view->Count(); ++i)
          ASSERT_LT(view->CompareRecords(view->GetRec(i - 1), view->GetRec(i)), 0)
              << StringToUtf8(order) << (caseIns ? " without case" : " with case") << " at row " << i;
      }
    }
  }
}
