// Tests of the generic tree list: attach modes, moves and loops, levels, visibility, expansion,
// sorting and the walks.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "gridlib/dbgrid/MemTreeEh.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {

// Node texts of a walk, joined by spaces.
std::string Walk(TTreeListEh&, const std::function<TBaseTreeNodeEh*(TBaseTreeNodeEh*)>& next,
                 TBaseTreeNodeEh* first) {
  std::string out;
  for (TBaseTreeNodeEh* n = first; n; n = next(n))
    out += (out.empty() ? "" : " ") + StringToUtf8(n->GetText());
  return out;
}

std::string Children(TBaseTreeNodeEh* node) {
  std::string out;
  for (Integer i = 0; i < node->GetCount(); ++i)
    out += (i ? " " : "") + StringToUtf8(node->GetItem(i)->GetText());
  return out;
}

// Levels, indexes and parents agree everywhere below node.
void ExpectConsistent(TBaseTreeNodeEh* node) {
  for (Integer i = 0; i < node->GetCount(); ++i) {
    TBaseTreeNodeEh* child = node->GetItem(i);
    EXPECT_EQ(child->GetParent(), node);
    EXPECT_EQ(child->GetIndex(), i);
    EXPECT_EQ(child->GetLevel(), node->GetLevel() + 1);
    ExpectConsistent(child);
  }
}

// a
//   a1
//   a2
//     a21
// b
// c
struct SmallTree {
  TTreeListEh tree;
  TBaseTreeNodeEh* a = tree.AddChild(u"a", nullptr, nullptr);
  TBaseTreeNodeEh* a1 = tree.AddChild(u"a1", a, nullptr);
  TBaseTreeNodeEh* a2 = tree.AddChild(u"a2", a, nullptr);
  TBaseTreeNodeEh* a21 = tree.AddChild(u"a21", a2, nullptr);
  TBaseTreeNodeEh* b = tree.AddChild(u"b", nullptr, nullptr);
  TBaseTreeNodeEh* c = tree.AddChild(u"c", nullptr, nullptr);

  std::string All() {
    return Walk(
        tree, [&](TBaseTreeNodeEh* n) { return tree.GetNext(n); }, tree.GetFirst());
  }
  std::string Shown(bool considerCollapsed) {
    return Walk(
        tree, [&](TBaseTreeNodeEh* n) { return tree.GetNextVisible(n, considerCollapsed); },
        tree.GetFirstVisible());
  }
};

}  // namespace

TEST(TreeList, NewTreeIsEmptyAndAddChildNumbersTopLevel) {
  TTreeListEh tree;
  EXPECT_EQ(tree.GetRoot()->GetLevel(), 0);
  EXPECT_EQ(tree.GetFirst(), nullptr);
  EXPECT_EQ(tree.GetFirstVisible(), nullptr);
  EXPECT_EQ(tree.GetLast(), nullptr);
  TBaseTreeNodeEh* x = tree.AddChild(u"x", nullptr, nullptr);
  TBaseTreeNodeEh* y = tree.AddChild(u"y", nullptr, nullptr);
  EXPECT_EQ(x->GetLevel(), 1);
  EXPECT_EQ(y->GetIndex(), 1);
  EXPECT_EQ(y->GetParent(), tree.GetRoot());
  EXPECT_TRUE(tree.GetRoot()->GetHasChildren());
}

TEST(TreeList, AttachModesPlaceNodesAsTheModeSays) {
  struct Case {
    TNodeAttachModeEh mode;
    const char* destination;
    const char* topAfter;
    const char* aAfter;
  };
  const Case cases[] = {
      {naAddEh, "a1", "a b c", "a1 a2 n"},      {naAddFirstEh, "a2", "a b c", "n a1 a2"},
      {naAddChildEh, "a", "a b c", "a1 a2 n"},  {naAddChildFirstEh, "a", "a b c", "n a1 a2"},
      {naInsertEh, "a2", "a b c", "a1 n a2"},   {naAddAfterEh, "a1", "a b c", "a1 n a2"},
      {naAddAfterEh, "a2", "a b c", "a1 a2 n"}, {naInsertEh, "b", "a n b c", "a1 a2"},
      {naAddAfterEh, "c", "a b c n", "a1 a2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.destination) + " mode " + std::to_string(c.mode));
    SmallTree t;
    TBaseTreeNodeEh* destination = t.tree.FindNodeByData(nullptr, nullptr);
    for (TBaseTreeNodeEh* n = t.tree.GetFirst(); n; n = t.tree.GetNext(n))
      if (StringToUtf8(n->GetText()) == c.destination) destination = n;
    TBaseTreeNodeEh* node = t.tree.NewNode(u"n", nullptr);
    EXPECT_EQ(node->GetIndex(), -1);
    t.tree.AddNode(node, destination, c.mode, true);
    EXPECT_EQ(Children(t.tree.GetRoot()), c.topAfter);
    EXPECT_EQ(Children(t.a), c.aAfter);
    ExpectConsistent(t.tree.GetRoot());
  }
}

TEST(TreeList, RootAsDestinationTakesOnlyChildModes) {
  struct Recorder : TTreeListEh {
    int calls = 0;
    void NodeAttachmentChanged(TBaseTreeNodeEh*, bool, Integer, TBaseTreeNodeEh*) override { ++calls; }
  } tree;
  for (TNodeAttachModeEh mode : {naAddEh, naAddFirstEh, naInsertEh, naAddAfterEh}) {
    std::unique_ptr<TBaseTreeNodeEh> node(tree.NewNode(u"n", nullptr));
    tree.AddNode(node.get(), tree.GetRoot(), mode, true);
    EXPECT_EQ(tree.GetRoot()->GetCount(), 0);
  }
  EXPECT_EQ(tree.calls, 0);
  TBaseTreeNodeEh* x = tree.AddChild(u"x", nullptr, nullptr);
  EXPECT_EQ(tree.calls, 1);
  // A forwarded mode notifies once for each nested call.
  tree.AddNode(tree.NewNode(u"y", nullptr), x, naAddEh, true);
  EXPECT_EQ(tree.calls, 3);
}

TEST(TreeList, InsertWithoutReIndexLeavesLaterIndexesStale) {
  SmallTree t;
  t.tree.AddNode(t.tree.NewNode(u"n", nullptr), t.a1, naAddAfterEh, false);
  EXPECT_EQ(Children(t.a), "a1 n a2");
  EXPECT_EQ(t.a2->GetIndex(), 1);
  t.tree.ReIndexChildren(t.a, false, -1, -1);
  EXPECT_EQ(t.a2->GetIndex(), 2);
}

TEST(TreeList, NodesOfAnotherTreeAreRefused) {
  TTreeListEh one, two;
  TBaseTreeNodeEh* parent = one.AddChild(u"p", nullptr, nullptr);
  std::unique_ptr<TBaseTreeNodeEh> stranger(two.NewNode(u"s", nullptr));
  try {
    one.AddNode(stranger.get(), parent, naAddChildEh, true);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"TBaseTreeNodeEh.Add: Tree nodes can not has different Owners");
  }
  EXPECT_EQ(parent->GetCount(), 0);
  EXPECT_EQ(stranger->GetParent(), nullptr);
}

TEST(TreeList, MoveIntoOwnSubtreeIsRefusedAndChangesNothing) {
  SmallTree t;
  const std::string before = t.All();
  for (TBaseTreeNodeEh* destination : {t.a, t.a2, t.a21}) {
    for (TNodeAttachModeEh mode : {naAddChildEh, naAddChildFirstEh, naInsertEh}) {
      if (destination == t.a && mode == naInsertEh) continue;  // a sibling of a, not inside it
      try {
        t.tree.MoveTo(t.a, destination, mode, true);
        FAIL() << StringToUtf8(destination->GetText());
      } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), u"Reference-loop found");
      }
    }
  }
  EXPECT_EQ(t.All(), before);
  ExpectConsistent(t.tree.GetRoot());
}

TEST(TreeList, MoveCarriesTheSubtreeAndItsLevels) {
  SmallTree t;
  t.tree.MoveTo(t.a2, t.c, naAddChildEh, true);
  EXPECT_EQ(Children(t.a), "a1");
  EXPECT_EQ(Children(t.c), "a2");
  EXPECT_EQ(t.a21->GetLevel(), 3);
  EXPECT_TRUE(t.c->GetHasChildren());
  t.tree.MoveTo(t.a1, t.a, naAddEh, true);
  EXPECT_FALSE(t.a->GetHasChildren());
  EXPECT_EQ(Children(t.tree.GetRoot()), "a b c a1");
  // Moving among siblings of the same parent keeps indexes right.
  t.tree.MoveTo(t.a1, t.b, naInsertEh, true);
  EXPECT_EQ(Children(t.tree.GetRoot()), "a a1 b c");
  t.tree.MoveTo(t.a, t.c, naAddAfterEh, true);
  EXPECT_EQ(Children(t.tree.GetRoot()), "a1 b c a");
  ExpectConsistent(t.tree.GetRoot());
}

TEST(TreeList, MaxLevelAllowsAThousandAndRefusesMoreLeavingTreeUnchanged) {
  TTreeListEh tree;
  TBaseTreeNodeEh* node = nullptr;
  for (int i = 1; i <= 1000; ++i) node = tree.AddChild(u"n", node, nullptr);
  EXPECT_EQ(node->GetLevel(), 1000);
  try {
    tree.AddChild(u"deep", node, nullptr);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"TBaseTreeNodeEh.SetLevel: Max level exceed - 1000");
  }
  EXPECT_EQ(node->GetCount(), 0);
  // A subtree that would overflow below its new parent stays where it was.
  TBaseTreeNodeEh* top = tree.AddChild(u"top", nullptr, nullptr);
  TBaseTreeNodeEh* below = tree.AddChild(u"below", top, nullptr);
  EXPECT_THROW(tree.MoveTo(top, node->GetParent(), naAddChildEh, true), Exception);
  EXPECT_EQ(top->GetParent(), tree.GetRoot());
  EXPECT_EQ(top->GetLevel(), 1);
  EXPECT_EQ(below->GetLevel(), 2);
  EXPECT_EQ(tree.GetRoot()->GetCount(), 2);
}

TEST(TreeList, HidingAChildUpdatesTheVisibleList) {
  SmallTree t;
  TBaseTreeNodeEh* root = t.tree.GetRoot();
  EXPECT_EQ(root->GetVisibleCount(), 3);
  t.b->SetVisible(false);
  EXPECT_EQ(root->GetVisibleCount(), 2);
  EXPECT_EQ(root->GetVisibleItem(1), t.c);
  EXPECT_EQ(t.tree.GetNextVisibleSibling(t.a), t.c);
  EXPECT_EQ(t.tree.GetPriorVisibleSibling(t.c), t.a);
  t.b->SetVisible(true);
  EXPECT_EQ(root->GetVisibleCount(), 3);
  EXPECT_EQ(root->GetVisibleItem(1), t.b);
  EXPECT_EQ(t.tree.GetNextVisibleSibling(t.a), t.b);
  t.a1->SetVisible(false);
  t.a2->SetVisible(false);
  EXPECT_FALSE(t.a->GetHasVisibleChildren());
}

TEST(TreeList, ExpandAndCollapseWithTheChangingVeto) {
  SmallTree t;
  t.tree.Expand(nullptr, true);
  EXPECT_TRUE(t.a->GetExpanded());
  EXPECT_TRUE(t.a2->GetExpanded());
  EXPECT_FALSE(t.a1->GetExpanded());
  EXPECT_FALSE(t.b->GetExpanded());
  EXPECT_FALSE(t.tree.GetRoot()->GetExpanded());
  int changed = 0;
  t.tree.OnExpandedChanged = [&](TBaseTreeNodeEh*) { ++changed; };
  t.tree.OnExpandedChanging = [&](TBaseTreeNodeEh* n) { return n != t.a2; };
  t.tree.Collapse(nullptr, true);
  EXPECT_FALSE(t.a->GetExpanded());
  EXPECT_TRUE(t.a2->GetExpanded());
  EXPECT_EQ(changed, 1);
}

TEST(TreeList, WalksOverAllAndOverDisplayedNodes) {
  SmallTree t;
  EXPECT_EQ(t.All(), "a a1 a2 a21 b c");
  EXPECT_EQ(Walk(
                t.tree, [&](TBaseTreeNodeEh* n) { return t.tree.GetPrevious(n); }, t.tree.GetLast()),
            "c b a21 a2 a1 a");
  EXPECT_EQ(t.tree.GetNext(t.tree.GetRoot()), t.tree.GetRoot());
  EXPECT_EQ(t.Shown(true), "a b c");
  EXPECT_EQ(t.Shown(false), "a a1 a2 a21 b c");
  t.tree.Expand(t.a, false);
  EXPECT_EQ(t.Shown(true), "a a1 a2 b c");
  t.tree.Expand(nullptr, true);
  EXPECT_EQ(t.Shown(true), "a a1 a2 a21 b c");
  t.tree.Collapse(t.a2, false);
  EXPECT_EQ(t.Shown(true), "a a1 a2 b c");
  EXPECT_EQ(t.Shown(false), "a a1 a2 a21 b c");
  t.a2->SetVisible(false);
  EXPECT_EQ(t.Shown(false), "a a1 b c");
  t.a->SetVisible(false);
  EXPECT_EQ(t.Shown(true), "b c");
  // From a node that is not shown the walk goes on after its hidden branch.
  EXPECT_EQ(t.tree.GetNextVisible(t.a21, true), t.b);
  EXPECT_EQ(t.tree.GetNextVisible(nullptr, true), nullptr);
}

TEST(TreeList, FindNodeByDataSearchesBelowTheStartOnly) {
  TTreeListEh tree;
  TObject one, two;
  TBaseTreeNodeEh* p = tree.AddChild(u"p", nullptr, &one);
  TBaseTreeNodeEh* q = tree.AddChild(u"q", p, &two);
  EXPECT_EQ(tree.FindNodeByData(nullptr, &two), q);
  EXPECT_EQ(tree.FindNodeByData(p, &one), nullptr);
  EXPECT_EQ(tree.FindNodeByData(p, &two), q);
}

TEST(TreeList, SortKeepsIndexesAndSortsRecursively) {
  TTreeListEh tree;
  std::mt19937 random(7);
  for (int i = 0; i < 200; ++i) {
    TBaseTreeNodeEh* top = tree.AddChild(IntToStr(static_cast<int>(random() % 50)), nullptr, nullptr);
    for (int j = 0; j < 5; ++j) tree.AddChild(IntToStr(static_cast<int>(random() % 50)), top, nullptr);
  }
  auto byNumber = [](TBaseTreeNodeEh* x, TBaseTreeNodeEh* y, TObject*) -> Integer {
    return StrToInt(x->GetText()) - StrToInt(y->GetText());
  };
  tree.SortData(byNumber, nullptr, true);
  ExpectConsistent(tree.GetRoot());
  for (TBaseTreeNodeEh* n = tree.GetFirst(); n; n = tree.GetNext(n)) {
    if (TBaseTreeNodeEh* next = tree.GetNextSibling(n)) {
      EXPECT_LE(StrToInt(n->GetText()), StrToInt(next->GetText()));
    }
  }
  // An all-equal comparison still leaves a consistent permutation.
  tree.SortData([](TBaseTreeNodeEh*, TBaseTreeNodeEh*, TObject*) -> Integer { return 0; }, nullptr, true);
  ExpectConsistent(tree.GetRoot());
  EXPECT_EQ(tree.GetRoot()->GetCount(), 200);
}

TEST(TreeList, DeleteAndDetachKeepTheRestConsistent) {
  SmallTree t;
  t.tree.DeleteNode(t.a2, true);
  EXPECT_EQ(t.All(), "a a1 b c");
  t.tree.DetachNode(t.b, true);
  std::unique_ptr<TBaseTreeNodeEh> b(t.b);
  EXPECT_EQ(Children(t.tree.GetRoot()), "a c");
  EXPECT_EQ(t.c->GetIndex(), 1);
  EXPECT_EQ(b->GetParent(), t.tree.GetRoot());
  t.tree.DeleteNode(t.a1, true);
  EXPECT_FALSE(t.a->GetHasChildren());
  t.tree.Clear();
  EXPECT_EQ(t.tree.GetFirst(), nullptr);
}
