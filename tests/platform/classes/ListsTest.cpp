// TList, TObjectList, TInterfaceList and the string-keyed object dictionary.
#include <gtest/gtest.h>

#include "platform/classes/Lists.h"
#include "platform/rtl/Utf.h"

namespace {
struct Counted : TObject {
  explicit Counted(int& alive, int value = 0) : alive_(alive), value(value) { ++alive_; }
  ~Counted() override { --alive_; }
  int& alive_;
  int value;
};

TEST(ListsTest, ListOperationsAndIndexErrors) {
  int a = 1, b = 2, c = 3, d = 4;
  TList list;
  list.Add(&c);
  list.Add(&a);
  list.Add(&d);
  list.Add(&b);
  list.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
  EXPECT_EQ(list[0], &a);
  EXPECT_EQ(list.Last(), &d);
  list.Exchange(0, 3);
  EXPECT_EQ(list.First(), &d);
  list.Move(0, 2);
  EXPECT_EQ(list.IndexOf(&d), 2);
  EXPECT_EQ(list.Remove(&b), 0);
  EXPECT_EQ(list.Remove(&b), -1);
  EXPECT_EQ(list.Extract(&c), &c);
  EXPECT_EQ(list.GetCount(), 2);
  try {
    list.Get(5);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(StringToUtf8(e.Message()), "List index out of bounds (5)");
  }
  EXPECT_THROW(list.Insert(-1, &a), EListError);
  list.Add(nullptr);
  list.Pack();
  EXPECT_EQ(list.GetCount(), 2);
}

TEST(ListsTest, ObjectListFreesWhatItOwnsButNotWhatItHandsOut) {
  int alive = 0;
  auto* kept = new Counted(alive);
  {
    TObjectList list;
    list.Add(new Counted(alive));
    list.Add(kept);
    list.Add(new Counted(alive));
    list.Delete(0);
    EXPECT_EQ(alive, 2);
    EXPECT_EQ(list.Extract(kept), kept);
    list.Put(0, new Counted(alive));
    EXPECT_EQ(alive, 2);
  }
  EXPECT_EQ(alive, 1);
  delete kept;
  TObjectList notOwning(false);
  Counted local(alive);
  notOwning.Add(&local);
  notOwning.Clear();
  EXPECT_EQ(alive, 1);
}

struct IThing : IInterface {
  virtual int Id() const = 0;
};
struct Thing : IThing {
  explicit Thing(int id) : id_(id) {}
  int Id() const override { return id_; }
  int id_;
};

TEST(ListsTest, InterfaceListHoldsReferences) {
  TInterfaceList list;
  std::weak_ptr<IInterface> watch;
  {
    auto thing = std::make_shared<Thing>(7);
    watch = thing;
    list.Add(thing);
    list.Add(std::make_shared<Thing>(8));
  }
  EXPECT_FALSE(watch.expired());
  EXPECT_EQ(std::dynamic_pointer_cast<IThing>(list[1])->Id(), 8);
  EXPECT_EQ(list.Remove(watch.lock().get()), 0);
  EXPECT_TRUE(watch.expired());
  EXPECT_THROW(list.Get(3), EListError);
}

TEST(ListsTest, DictionaryOwnsValuesAndComparesAsAsked) {
  int alive = 0;
  {
    TObjectDictionary<Counted> dict(true, TStringComparer::IgnoreCase());
    dict.Add(u"Склад", new Counted(alive, 1));
    EXPECT_TRUE(dict.ContainsKey(u"СКЛАД"));
    auto* dup = new Counted(alive, 2);
    EXPECT_THROW(dict.Add(u"склад", dup), EListError);
    delete dup;
    dict.AddOrSetValue(u"склад", new Counted(alive, 3));
    EXPECT_EQ(alive, 1);
    EXPECT_EQ(dict.Items(u"Склад")->value, 3);
    Counted* out = nullptr;
    EXPECT_FALSE(dict.TryGetValue(u"касса", out));
    EXPECT_THROW(dict.Items(u"касса"), EListError);
    dict.Add(u"касса", new Counted(alive, 4));
    Counted* taken = dict.Extract(u"касса");
    EXPECT_EQ(alive, 2);
    delete taken;
    dict.Add(u"a", new Counted(alive));
    dict.Remove(u"A");
    EXPECT_EQ(alive, 1);
  }
  EXPECT_EQ(alive, 0);
  TObjectDictionary<Counted> ordinal;
  Counted one(alive);
  ordinal.Add(u"Key", &one);
  EXPECT_FALSE(ordinal.ContainsKey(u"key"));
}
}  // namespace
