// The generic tree list: attaching by mode, moving with the reference-loop check, levels, sorting
// and the depth-first walks over all nodes or the displayed ones.
#include "gridlib/dbgrid/MemTreeEh.h"

#include <algorithm>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"

// ---------------------------------------------------------------- TBaseTreeNodeEh

TBaseTreeNodeEh::TBaseTreeNodeEh() = default;

TBaseTreeNodeEh::~TBaseTreeNodeEh() {
  for (TBaseTreeNodeEh* child : FItems) delete child;
}

void TBaseTreeNodeEh::CheckSameOwner(const TBaseTreeNodeEh* node) const {
  if (node->FOwner != FOwner)
    throw Exception(u"TBaseTreeNodeEh.Add: Tree nodes can not has different Owners");
}

Integer TBaseTreeNodeEh::Add(TBaseTreeNodeEh* node) {
  CheckSameOwner(node);
  FItems.push_back(node);
  VisibleItemsBecomeObsolete();
  return GetCount() - 1;
}

void TBaseTreeNodeEh::Insert(Integer index, TBaseTreeNodeEh* node) {
  CheckSameOwner(node);
  bool allVisible = !FVisibleItemsObsolete && FVisibleCount == GetCount();
  FItems.insert(FItems.begin() + index, node);
  if (allVisible && node->FVisible)
    ++FVisibleCount;
  else
    VisibleItemsBecomeObsolete();
}

void TBaseTreeNodeEh::Delete(Integer index) {
  FItems.erase(FItems.begin() + index);
  VisibleItemsBecomeObsolete();
}

void TBaseTreeNodeEh::ExchangeItems(Integer index1, Integer index2) {
  if (index1 == index2) return;
  std::swap(FItems[index1], FItems[index2]);
  FItems[index1]->FIndex = index1;
  FItems[index2]->FIndex = index2;
}

void TBaseTreeNodeEh::SetLevel(Integer value) {
  if (value == FLevel) return;
  if (FOwner && value > FOwner->GetMaxLevel())
    throw Exception(u"TBaseTreeNodeEh.SetLevel: Max level exceed - " + IntToStr(FOwner->GetMaxLevel()));
  FLevel = value;
  for (TBaseTreeNodeEh* child : FItems) child->SetLevel(value + 1);
}

bool TBaseTreeNodeEh::IsInSubtreeOf(const TBaseTreeNodeEh* node) const {
  for (const TBaseTreeNodeEh* n = this; n && n->FParent; n = n->FParent)
    if (n == node) return true;
  return false;
}

void TBaseTreeNodeEh::SetExpanded(bool value) {
  if (value == FExpanded || !ExpandedChanging()) return;
  FExpanded = value;
  ExpandedChanged();
}

void TBaseTreeNodeEh::SetVisible(bool value) {
  if (value == FVisible || !VisibleChanging()) return;
  FVisible = value;
  VisibleChanged();
}

bool TBaseTreeNodeEh::ExpandedChanging() { return FOwner ? FOwner->ExpandedChanging(this) : true; }

bool TBaseTreeNodeEh::VisibleChanging() { return true; }

void TBaseTreeNodeEh::VisibleItemsBecomeObsolete() { FVisibleItemsObsolete = true; }

void TBaseTreeNodeEh::ChildVisibleChanged(TBaseTreeNodeEh*) { VisibleItemsBecomeObsolete(); }

void TBaseTreeNodeEh::ClearItems() {
  FItems.clear();
  FVisibleItems.clear();
}

void TBaseTreeNodeEh::ExpandedChanged() {
  if (FOwner) FOwner->ExpandedChanged(this);
}

void TBaseTreeNodeEh::VisibleChanged() {
  if (FParent) FParent->ChildVisibleChanged(this);
}

void TBaseTreeNodeEh::BuildVisibleItems() {
  FVisibleItems.clear();
  for (TBaseTreeNodeEh* child : FItems) {
    if (!child->FVisible) continue;
    child->FVisibleIndex = static_cast<Integer>(FVisibleItems.size());
    FVisibleItems.push_back(child);
  }
  FVisibleCount = static_cast<Integer>(FVisibleItems.size());
  FVisibleItemsObsolete = false;
  FHasVisibleChildren = FVisibleCount > 0;
}

const TBaseTreeNodeEh::TNodeList& TBaseTreeNodeEh::GetVisibleItemsList() {
  if (FVisibleItemsObsolete) BuildVisibleItems();
  return FVisibleCount == GetCount() ? FItems : FVisibleItems;
}

Integer TBaseTreeNodeEh::GetVisibleCount() {
  if (FVisibleItemsObsolete) BuildVisibleItems();
  return FVisibleCount;
}

TBaseTreeNodeEh* TBaseTreeNodeEh::GetVisibleItem(Integer index) {
  return GetVisibleItemsList().at(static_cast<size_t>(index));
}

bool TBaseTreeNodeEh::GetHasVisibleChildren() {
  if (FVisibleItemsObsolete) BuildVisibleItems();
  return FHasVisibleChildren;
}

void TBaseTreeNodeEh::QuickSort(Integer l, Integer r, const TCompareNodesEh& compareProg,
                                TObject* paramSort) {
  // Recursing into the smaller side keeps the stack shallow even on sorted input.
  while (l < r) {
    TBaseTreeNodeEh* pivot = FItems[(l + r) / 2];
    Integer i = l, j = r;
    do {
      while (compareProg(FItems[i], pivot, paramSort) < 0) ++i;
      while (compareProg(FItems[j], pivot, paramSort) > 0) --j;
      if (i <= j) {
        ExchangeItems(i, j);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - l < r - i) {
      if (l < j) QuickSort(l, j, compareProg, paramSort);
      l = i;
    } else {
      if (i < r) QuickSort(i, r, compareProg, paramSort);
      r = j;
    }
  }
}

void TBaseTreeNodeEh::SortData(const TCompareNodesEh& compareProg, TObject* paramSort, bool aRecurse) {
  if (FItems.empty()) return;
  QuickSort(0, GetCount() - 1, compareProg, paramSort);
  if (FVisibleCount != GetCount()) VisibleItemsBecomeObsolete();
  if (aRecurse)
    for (TBaseTreeNodeEh* child : FItems) child->SortData(compareProg, paramSort, true);
}

// ---------------------------------------------------------------- TTreeListEh

TTreeListEh::TTreeListEh(TTreeNodeClassEh itemClass) : TComponent(nullptr), FItemClass(itemClass) {
  FRoot = FItemClass->Create<TBaseTreeNodeEh>();
  FRoot->FOwner = this;
  FMaxLevel = 1000;
}

TTreeListEh::~TTreeListEh() { delete FRoot; }

TBaseTreeNodeEh* TTreeListEh::NewNode(const String& text, TObject* data) {
  TBaseTreeNodeEh* node = FItemClass->Create<TBaseTreeNodeEh>();
  node->FOwner = this;
  node->FText = text;
  node->FData = data;
  node->FLevel = 0;
  node->FIndex = -1;
  return node;
}

TBaseTreeNodeEh* TTreeListEh::AddChild(const String& text, TBaseTreeNodeEh* parent, TObject* data) {
  std::unique_ptr<TBaseTreeNodeEh> node(NewNode(text, data));
  AddNode(node.get(), parent ? parent : FRoot, naAddChildEh, true);
  return node.release();
}

namespace {
Integer SubtreeHeight(const TBaseTreeNodeEh* node) {
  Integer height = 0;
  for (const TBaseTreeNodeEh* child : node->Items()) height = std::max(height, SubtreeHeight(child) + 1);
  return height;
}
}  // namespace

void TTreeListEh::CheckLevelFits(const TBaseTreeNodeEh* node, const TBaseTreeNodeEh* newParent) const {
  // Checked before anything moves, so that a refused attach leaves the node and the tree as they were.
  if (!newParent) return;
  Integer deepest = newParent->FLevel + 1 + (node->FItems.empty() ? 0 : SubtreeHeight(node));
  if (deepest > FMaxLevel)
    throw Exception(u"TBaseTreeNodeEh.SetLevel: Max level exceed - " + IntToStr(FMaxLevel));
}

TBaseTreeNodeEh* TTreeListEh::AttachParentOf(TBaseTreeNodeEh* destination, TNodeAttachModeEh mode) const {
  return mode == naAddChildEh || mode == naAddChildFirstEh ? destination : destination->FParent;
}

void TTreeListEh::AddNode(TBaseTreeNodeEh* node, TBaseTreeNodeEh* destination, TNodeAttachModeEh mode,
                          bool reIndex) {
  if (!node || node == FRoot) return;
  if (!destination) destination = FRoot;
  if (destination == FRoot && mode != naAddChildEh && mode != naAddChildFirstEh) return;
  CheckLevelFits(node, AttachParentOf(destination, mode));
  switch (mode) {
    case naAddEh:
      AddNode(node, destination->FParent, naAddChildEh, reIndex);
      break;
    case naAddFirstEh:
      AddNode(node, destination->FParent, naAddChildFirstEh, reIndex);
      break;
    case naAddChildEh: {
      destination->CheckSameOwner(node);
      node->FParent = destination;
      destination->FHasChildren = true;
      node->FIndex = destination->Add(node);
      node->SetLevel(destination->FLevel + 1);
      break;
    }
    case naAddChildFirstEh: {
      destination->CheckSameOwner(node);
      node->FParent = destination;
      destination->FHasChildren = true;
      destination->Insert(0, node);
      node->FIndex = 0;
      node->SetLevel(destination->FLevel + 1);
      if (reIndex) ReIndexChildren(destination, false, -1, -1);
      break;
    }
    case naInsertEh: {
      TBaseTreeNodeEh* parent = destination->FParent;
      parent->CheckSameOwner(node);
      node->FParent = parent;
      parent->FHasChildren = true;
      Integer index = destination->FIndex;
      parent->Insert(index, node);
      node->FIndex = index;
      node->SetLevel(parent->FLevel + 1);
      if (reIndex) ReIndexChildren(parent, false, index, -1);
      break;
    }
    case naAddAfterEh: {
      TBaseTreeNodeEh* parent = destination->FParent;
      if (destination->FIndex + 1 >= parent->GetCount())
        AddNode(node, destination, naAddEh, reIndex);
      else
        AddNode(node, parent->FItems[destination->FIndex + 1], naInsertEh, reIndex);
      break;
    }
  }
  NodeAttachmentChanged(node, false, -1, nullptr);
}

void TTreeListEh::DetachNode(TBaseTreeNodeEh* node, bool reIndex) {
  TBaseTreeNodeEh* parent = node->FParent;
  if (!parent) return;
  Integer oldIndex = node->FIndex;
  // Callers that skipped renumbering may leave a stale index; the node itself is what leaves.
  if (oldIndex < 0 || oldIndex >= parent->GetCount() || parent->FItems[oldIndex] != node)
    oldIndex = static_cast<Integer>(std::find(parent->FItems.begin(), parent->FItems.end(), node) -
                                    parent->FItems.begin());
  if (oldIndex >= parent->GetCount()) return;
  bool wasLast = oldIndex == parent->GetCount() - 1;
  parent->Delete(oldIndex);
  parent->FHasChildren = parent->GetCount() > 0;
  if (reIndex && !wasLast) ReIndexChildren(parent, false, -1, -1);
  NodeAttachmentChanged(node, true, oldIndex, parent);
}

void TTreeListEh::DeleteChildren(TBaseTreeNodeEh* node) {
  for (TBaseTreeNodeEh* child : node->FItems) delete child;
  node->ClearItems();
}

void TTreeListEh::DeleteNode(TBaseTreeNodeEh* node, bool reIndex) {
  if (!node || node == FRoot) return;
  DeleteChildren(node);
  DetachNode(node, reIndex);
  delete node;
}

void TTreeListEh::Clear() { DeleteChildren(FRoot); }

void TTreeListEh::Expand(TBaseTreeNodeEh* node, bool recurse) {
  if (!node) node = FRoot;
  if (node->FItems.empty()) return;
  if (node != FRoot) node->SetExpanded(true);
  if (recurse)
    for (TBaseTreeNodeEh* child : node->FItems) Expand(child, true);
}

void TTreeListEh::Collapse(TBaseTreeNodeEh* node, bool recurse) {
  if (!node) node = FRoot;
  node->SetExpanded(false);
  if (recurse)
    for (TBaseTreeNodeEh* child : node->FItems) Collapse(child, true);
}

TBaseTreeNodeEh* TTreeListEh::FindNodeByData(TBaseTreeNodeEh* startNode, TObject* data) const {
  if (!startNode) startNode = FRoot;
  for (TBaseTreeNodeEh* child : startNode->FItems) {
    if (child->FData == data) return child;
    if (TBaseTreeNodeEh* found = FindNodeByData(child, data)) return found;
  }
  return nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetFirstChild(TBaseTreeNodeEh* node) const {
  return node && !node->FItems.empty() ? node->FItems.front() : nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetLastChild(TBaseTreeNodeEh* node) const {
  return node && !node->FItems.empty() ? node->FItems.back() : nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetNextSibling(TBaseTreeNodeEh* node) const {
  if (!node || !node->FParent) return nullptr;
  Integer next = node->FIndex + 1;
  return next < node->FParent->GetCount() ? node->FParent->FItems[next] : nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetPrevSibling(TBaseTreeNodeEh* node) const {
  if (!node || !node->FParent || node->FIndex <= 0) return nullptr;
  return node->FParent->FItems[node->FIndex - 1];
}

bool TTreeListEh::HasChildNodes(TBaseTreeNodeEh* node) const { return (node ? node : FRoot)->GetCount() > 0; }

TBaseTreeNodeEh* TTreeListEh::GetFirst() const { return GetFirstChild(FRoot); }

TBaseTreeNodeEh* TTreeListEh::GetNextVisibleSibling(TBaseTreeNodeEh* node) const {
  TBaseTreeNodeEh* parent = node->FParent;
  if (parent->GetVisibleCount() == parent->GetCount()) return GetNextSibling(node);
  Integer next = node->FVisibleIndex + 1;
  return next < parent->FVisibleCount ? parent->FVisibleItems[next] : nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetPriorVisibleSibling(TBaseTreeNodeEh* node) const {
  TBaseTreeNodeEh* parent = node->FParent;
  if (parent->GetVisibleCount() == parent->GetCount()) return GetPrevSibling(node);
  return node->FVisibleIndex > 0 ? parent->FVisibleItems[node->FVisibleIndex - 1] : nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetNext(TBaseTreeNodeEh* node) const {
  if (!node || node == FRoot) return node;
  if (!node->FItems.empty()) return node->FItems.front();
  for (TBaseTreeNodeEh* n = node; n && n != FRoot; n = n->FParent)
    if (TBaseTreeNodeEh* sibling = GetNextSibling(n)) return sibling;
  return nullptr;
}

TBaseTreeNodeEh* TTreeListEh::GetPrevious(TBaseTreeNodeEh* node) const {
  if (!node || node == FRoot) return node;
  if (TBaseTreeNodeEh* sibling = GetPrevSibling(node)) {
    TBaseTreeNodeEh* last = GetLast(sibling);
    return last ? last : sibling;
  }
  return node->FParent == FRoot ? nullptr : node->FParent;
}

TBaseTreeNodeEh* TTreeListEh::GetLast(TBaseTreeNodeEh* node) const {
  if (!node) node = FRoot;
  TBaseTreeNodeEh* result = nullptr;
  while (!node->FItems.empty()) {
    node = node->FItems.back();
    result = node;
  }
  return result;
}

TBaseTreeNodeEh* TTreeListEh::GetFirstVisible() const {
  TBaseTreeNodeEh* candidate = GetFirst();
  while (candidate && !candidate->FVisible) {
    TBaseTreeNodeEh* next = nullptr;
    for (TBaseTreeNodeEh* n = candidate; n && n != FRoot && !next; n = n->FParent) next = GetNextSibling(n);
    candidate = next;
  }
  return candidate;
}

bool TTreeListEh::GetPathVisible(TBaseTreeNodeEh* node, bool considerCollapsed) const {
  if (!node || node == FRoot) return false;
  for (TBaseTreeNodeEh* a = node->FParent; a; a = a->FParent) {
    if (a == FRoot) return true;
    if (!a->FVisible || (considerCollapsed && !a->FExpanded)) return false;
  }
  return false;
}

TBaseTreeNodeEh* TTreeListEh::GetVisibleAncestor(TBaseTreeNodeEh* node, bool considerCollapsed) const {
  // The climb never passes the root, whose expanded flag nobody sets.
  for (TBaseTreeNodeEh* a = node->FParent; a; a = a->FParent) {
    if (a == FRoot) return FRoot;
    if (a->FVisible && (!considerCollapsed || a->FExpanded) && GetPathVisible(a, considerCollapsed)) return a;
  }
  return FRoot;
}

TBaseTreeNodeEh* TTreeListEh::GetNextVisible(TBaseTreeNodeEh* node, bool considerCollapsed) const {
  if (!node || node == FRoot) return nullptr;
  TBaseTreeNodeEh* current = node;
  bool hiddenStart = !node->FVisible || !GetPathVisible(node, considerCollapsed);
  if (hiddenStart) {
    current = GetVisibleAncestor(node, considerCollapsed);
    // From the root the next displayed node lies after the whole hidden branch.
    if (current == FRoot) {
      TBaseTreeNodeEh* top = node;
      while (top->FParent != FRoot) top = top->FParent;
      current = top;
    }
  }
  TBaseTreeNodeEh* candidate = current;
  if (!hiddenStart && !current->FItems.empty() && (current->FExpanded || !considerCollapsed)) {
    candidate = current->FItems.front();
    if (candidate->FVisible) return candidate;
  }
  for (TBaseTreeNodeEh* n = candidate; n && n != FRoot;) {
    TBaseTreeNodeEh* sibling = GetNextSibling(n);
    if (!sibling) {
      n = n->FParent;
      continue;
    }
    if (sibling->FVisible) return sibling;
    n = sibling;
  }
  return nullptr;
}

void TTreeListEh::ReIndexChildren(TBaseTreeNodeEh* node, bool recurse, Integer fromIndex, Integer toIndex) {
  if (!node) node = FRoot;
  node->FVisibleItems.clear();
  if (fromIndex == -1) fromIndex = 0;
  if (toIndex == -1) toIndex = node->GetCount() - 1;
  for (Integer i = fromIndex; i <= toIndex; ++i) {
    TBaseTreeNodeEh* child = node->FItems[i];
    child->FIndex = i;
    if (recurse) ReIndexChildren(child, true, -1, -1);
  }
  node->VisibleItemsBecomeObsolete();
}

Integer TTreeListEh::CompareTreeNodes(TBaseTreeNodeEh*, TBaseTreeNodeEh*, TObject*) { return 0; }

bool TTreeListEh::ExpandedChanging(TBaseTreeNodeEh* node) {
  return OnExpandedChanging ? OnExpandedChanging(node) : true;
}

void TTreeListEh::ExpandedChanged(TBaseTreeNodeEh* node) {
  if (OnExpandedChanged) OnExpandedChanged(node);
}

void TTreeListEh::MoveTo(TBaseTreeNodeEh* node, TBaseTreeNodeEh* destination, TNodeAttachModeEh mode,
                         bool reIndex) {
  if (!node || node == FRoot) return;
  if (!destination) destination = FRoot;
  if (destination == FRoot && mode != naAddChildEh && mode != naAddChildFirstEh) return;
  if (destination->IsInSubtreeOf(node)) throw Exception(u"Reference-loop found");
  CheckLevelFits(node, AttachParentOf(destination, mode));
  TBaseTreeNodeEh* parent = node->FParent;
  if (parent) {
    Integer index = node->FIndex;
    if (index < 0 || index >= parent->GetCount() || parent->FItems[index] != node)
      index = static_cast<Integer>(std::find(parent->FItems.begin(), parent->FItems.end(), node) -
                                   parent->FItems.begin());
    // The attach modes that work from the destination's index need it current after the removal.
    parent->Delete(index);
    parent->FHasChildren = parent->GetCount() > 0;
    if (reIndex || parent == destination->FParent) ReIndexChildren(parent, false, -1, -1);
  }
  AddNode(node, destination, mode, reIndex);
}

void TTreeListEh::SortData(const TCompareNodesEh& compareProg, TObject* paramSort, bool aRecurse) {
  FRoot->SortData(compareProg, paramSort, aRecurse);
}

void TTreeListEh::NodeAttachmentChanged(TBaseTreeNodeEh*, bool, Integer, TBaseTreeNodeEh*) {}
