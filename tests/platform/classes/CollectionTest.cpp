// TCollection: the Update/Notify protocol, moving and re-attaching items, IDs, names and Assign.
#include <gtest/gtest.h>

#include "TestClasses.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {
class TRecordingCollection : public TCollection {
  KIV_CLASS(TRecordingCollection, TCollection)
 public:
  TRecordingCollection() : TCollection(TTestColumn::StaticClass()) {}
  ~TRecordingCollection() override { Clear(); }
  std::vector<String> log;

 protected:
  void Update(TCollectionItem* item) override {
    log.push_back(u"update " + (item ? static_cast<TTestColumn*>(item)->FieldName : String(u"all")));
  }
  void Notify(TCollectionItem* item, TCollectionNotification action) override {
    static const Char* names[] = {u"added", u"extracting", u"deleting"};
    log.push_back(String(names[action]) + u" " + IntToStr(item->GetID()));
  }
};

TTestColumn* AddColumn(TCollection& c, const Char* field) {
  auto* col = static_cast<TTestColumn*>(c.Add());
  col->FieldName = field;
  return col;
}

TEST(CollectionTest, AddDeleteAndUpdateFollowTheProtocol) {
  TRecordingCollection c;
  AddColumn(c, u"a");
  AddColumn(c, u"b");
  c.Delete(0);
  EXPECT_EQ(c.log, (std::vector<String>{u"added 0", u"update all", u"added 1", u"update all", u"deleting 0",
                                        u"extracting 0", u"update all"}));
  c.log.clear();
  c.BeginUpdate();
  AddColumn(c, u"c");
  c.Clear();
  EXPECT_EQ(c.GetUpdateCount(), 1);
  c.EndUpdate();
  // Inside the update block only notifications; one update at its end.
  EXPECT_EQ(c.log, (std::vector<String>{u"added 2", u"deleting 2", u"extracting 2", u"deleting 1",
                                        u"extracting 1", u"update all"}));
}

TEST(CollectionTest, ItemIndexMovesAndCollectionReattaches) {
  TRecordingCollection c, other;
  auto* a = AddColumn(c, u"a");
  auto* b = AddColumn(c, u"b");
  auto* d = AddColumn(c, u"d");
  d->SetIndex(0);
  EXPECT_EQ(c.GetItem(0), d);
  EXPECT_EQ(b->GetIndex(), 2);
  EXPECT_THROW(a->SetIndex(7), EListError);
  EXPECT_EQ(a->GetIndex(), 1);

  b->SetCollection(&other);
  EXPECT_EQ(c.GetCount(), 2);
  EXPECT_EQ(other.GetItem(0), b);
  EXPECT_EQ(b->GetCollection(), &other);
  // IDs are never reused within a collection, and FindItemID finds by them.
  auto* e = AddColumn(c, u"e");
  EXPECT_EQ(e->GetID(), 3);
  EXPECT_EQ(c.FindItemID(0), a);
  EXPECT_EQ(c.FindItemID(1), nullptr);
  delete a;
  EXPECT_EQ(c.GetCount(), 2);
  EXPECT_THROW(c.GetItem(2), EListError);
}

TEST(CollectionTest, InsertPlacesTheNewItem) {
  TRecordingCollection c;
  AddColumn(c, u"a");
  AddColumn(c, u"b");
  auto* x = static_cast<TTestColumn*>(c.Insert(1));
  EXPECT_EQ(x->GetIndex(), 1);
  EXPECT_EQ(c.GetCount(), 3);
  EXPECT_THROW(c.Insert(9), EListError);
  EXPECT_EQ(c.GetCount(), 3);
}

TEST(CollectionTest, AssignCopiesEveryItemInOneUpdate) {
  TRecordingCollection source, target;
  AddColumn(source, u"id")->Width = 10;
  AddColumn(source, u"name")->GetTitle()->Caption = u"Наименование";
  AddColumn(target, u"old");
  target.log.clear();
  target.Assign(&source);
  ASSERT_EQ(target.GetCount(), 2);
  EXPECT_EQ(target.Items<TTestColumn>(0)->Width, 10);
  EXPECT_EQ(target.Items<TTestColumn>(1)->GetTitle()->Caption, u"Наименование");
  EXPECT_EQ(std::count(target.log.begin(), target.log.end(), String(u"update all")), 1);
  TStringList notACollection;
  EXPECT_THROW(target.Assign(&notACollection), EConvertError);
}

TEST(CollectionTest, NamePathsAndDisplayNames) {
  TTestGrid grid(nullptr);
  grid.SetName(u"Grid1");
  auto* col = AddColumn(*grid.GetColumns(), u"");
  AddColumn(*grid.GetColumns(), u"s_caption");
  EXPECT_EQ(grid.GetColumns()->GetNamePath(), u"Grid1.Columns");
  EXPECT_EQ(grid.GetColumns()->GetItem(1)->GetNamePath(), u"Grid1.Columns[1]");
  EXPECT_EQ(col->GetDisplayName(), u"TTestColumn");
  EXPECT_EQ(grid.GetColumns()->Items<TTestColumn>(1)->GetDisplayName(), u"s_caption");
  TCollection loose(TTestColumn::StaticClass());
  EXPECT_EQ(loose.GetNamePath(), u"TCollection");
}

TEST(CollectionTest, ItemsOfAnotherClassAreRefused) {
  TCollection c(TTestColumn::StaticClass());
  TCollection fonts(TCollectionItem::StaticClass());
  auto* plain = fonts.Add();
  EXPECT_THROW(plain->SetCollection(&c), EListError);
  EXPECT_EQ(c.GetCount(), 0);
}
// A column whose making can fail half-way, as when a derived part's own set-up raises.
class TFailingColumn : public TTestColumn {
  KIV_CLASS(TFailingColumn, TTestColumn)
 public:
  explicit TFailingColumn(TCollection* c) : TTestColumn(c), Caption(u"ready") {
    if (failNext) throw EListError(u"making failed");
  }
  static inline bool failNext = false;
  String Caption;
};

// Reads the derived part of every item it hears of, as a sum list or a grid's columns do.
class TReadingCollection : public TCollection {
  KIV_CLASS(TReadingCollection, TCollection)
 public:
  TReadingCollection() : TCollection(TFailingColumn::StaticClass()) {}
  ~TReadingCollection() override { Clear(); }
  std::vector<String> seen;

 protected:
  void Update(TCollectionItem*) override {
    for (int i = 0; i < GetCount(); ++i) seen.push_back(u"update " + Read(GetItem(i)));
  }
  void Notify(TCollectionItem* item, TCollectionNotification action) override {
    if (action == cnAdded) seen.push_back(u"added " + Read(item));
  }

 private:
  static String Read(TCollectionItem* item) {
    auto* column = dynamic_cast<TFailingColumn*>(item);
    return column ? column->Caption : String(u"half-built");
  }
};

TEST(CollectionTest, TheCollectionHearsOfAnItemOnlyWhenItIsWhole) {
  TReadingCollection c;
  auto* first = c.Add();
  EXPECT_EQ(first->GetCollection(), &c);
  EXPECT_EQ(c.seen, (std::vector<String>{u"added ready", u"update ready"}));

  // An item that fails while being made never reaches the collection.
  c.seen.clear();
  TFailingColumn::failNext = true;
  EXPECT_THROW(c.Add(), EListError);
  TFailingColumn::failNext = false;
  EXPECT_EQ(c.GetCount(), 1);
  EXPECT_TRUE(c.seen.empty());

  // Only Add makes an item inside a collection; made elsewhere it would be announced half-built.
  EXPECT_THROW(TFailingColumn item(&c), EListError);
  EXPECT_EQ(c.GetCount(), 1);
}
}  // namespace
