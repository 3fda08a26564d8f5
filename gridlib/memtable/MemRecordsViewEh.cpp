// The records view: sorted list, filtered view list and their incremental upkeep from the store's
// notifications, plus the record tree with its parent search by key and its row lists.
#include "gridlib/memtable/MemRecordsViewEh.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/memtable/MemTableIndexesEh.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/QuickSort.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/VariantOps.h"

namespace {

const Char* const kReferenceLoop = u"Reference-loop found";

// The value a view reads; while a record is being edited its data already holds the new values.
inline Variant RecValue(TMemoryRecordEh* rec, Integer fieldIndex) {
  return rec->GetData()[static_cast<size_t>(fieldIndex)];
}

Variant ValuesAt(TMemoryRecordEh* rec, const TIntArray& fields) {
  if (fields.size() == 1) return RecValue(rec, fields[0]);
  std::vector<Variant> values;
  values.reserve(fields.size());
  for (Integer f : fields) values.push_back(RecValue(rec, f));
  return VarArrayOf(values);
}

}  // namespace

Integer CompareValuesForOrder(const Variant& a, const Variant& b, bool caseIns) {
  const TVarType ta = a.Type(), tb = b.Type();
  // Sorting a million rows is mostly these three cases: compare the stored values without conversions.
  if (IsSignedIntType(ta) && IsSignedIntType(tb)) {
    Int64 x = VariantAccess::Signed(a), y = VariantAccess::Signed(b);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  if (ta == varUString && tb == varUString) {
    const String& x = VariantAccess::Text(a);
    const String& y = VariantAccess::Text(b);
    return caseIns ? AnsiCompareText(x, y) : AnsiCompareStr(x, y);
  }
  if (IsFloatStoredType(ta) && IsFloatStoredType(tb)) {
    double x = VariantAccess::Float(a), y = VariantAccess::Float(b);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  bool an = VarIsNull(a) || VarIsEmpty(a);
  bool bn = VarIsNull(b) || VarIsEmpty(b);
  if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
  if (VarIsStr(a) && VarIsStr(b)) {
    const String& sa = a.AsString();
    const String& sb = b.AsString();
    return caseIns ? AnsiCompareText(sa, sb) : AnsiCompareStr(sa, sb);
  }
  switch (VarCompareValuesEh(a, b)) {
    case vrLessThan:
      return -1;
    case vrGreaterThan:
      return 1;
    case vrEqual:
      return 0;
    default:
      return CompareStr(VarToStr(a), VarToStr(b));
  }
}

namespace {}  // namespace

// ---------------------------------------------------------------- TMemRecViewEh

TMemRecViewEh::~TMemRecViewEh() {
  if (TMemoryTreeListEh* tree = GetNodeOwner(); tree && GetData()) tree->NodeFreed(this);
}

TMemoryTreeListEh* TMemRecViewEh::GetNodeOwner() const {
  return dynamic_cast<TMemoryTreeListEh*>(GetTreeList());
}

Integer TMemRecViewEh::GetInSortedListIndex() {
  if (FRecordsView && FRecordsView->GetSortedListIndexesObsolete()) FRecordsView->UpdateSortedListIndexes();
  return FInSortedListIndex;
}

void TMemRecViewEh::ExpandedChanged() {
  if (FLockUpdate) return;
  inherited::ExpandedChanged();
  if (TMemoryTreeListEh* tree = GetNodeOwner()) tree->VisibleItemsBecomeObsolete();
}

void TMemRecViewEh::SortByFields(const String& sortByStr) {
  if (!FRecordsView || !FRecordsView->OnParseOrderByStr) return;
  std::unique_ptr<TOrderByList> orderBy(FRecordsView->OnParseOrderByStr(sortByStr));
  SortData(FRecordsView->OnCompareTreeNode, orderBy.get(), false);
}

// ---------------------------------------------------------------- TMemoryTreeListEh

Integer TMemoryTreeListOrderByList::FindFieldIndex(const String& name) {
  TRecordsViewEh* view = tree_ ? tree_->GetRecordsView() : nullptr;
  TMTDataStructEh* ds = view ? view->GetDataStruct() : nullptr;
  return ds ? ds->FieldIndex(name) : -1;
}

TMemoryTreeListEh::TMemoryTreeListEh(TRecordsViewEh* recordsView)
    : TTreeListEh(TMemRecViewEh::StaticClass()),
      FOrderByList(std::make_unique<TMemoryTreeListOrderByList>(this)),
      FRecordsViewEh(recordsView) {
  GetRootNode()->FRecordsView = recordsView;
}

TMemoryTreeListEh::~TMemoryTreeListEh() {
  Clear();
  FreeKeptNodes();
}

String TMemoryTreeListEh::GetKeyFieldNames() const {
  return FRecordsViewEh ? FRecordsViewEh->GetTreeViewKeyFieldName() : String();
}

String TMemoryTreeListEh::GetParentFieldNames() const {
  return FRecordsViewEh ? FRecordsViewEh->GetTreeViewRefParentFieldName() : String();
}

void TMemoryTreeListEh::NodeFreed(TMemRecViewEh* node) {
  auto found = nodeByRec_.find(node->GetRec());
  if (found != nodeByRec_.end() && found->second == node) nodeByRec_.erase(found);
  if (std::find(FInsertedNodeStack.begin(), FInsertedNodeStack.end(), node) != FInsertedNodeStack.end())
    FInsertedNodeStack.clear();
  listsObsolete_ = true;
}

TMemRecViewEh* TMemoryTreeListEh::NodeOfRecord(TMemoryRecordEh* memRecord) const {
  auto found = nodeByRec_.find(memRecord);
  return found == nodeByRec_.end() ? nullptr : found->second;
}

void TMemoryTreeListEh::KeepSubtree(TMemRecViewEh* top) {
  // Detach every node below top without freeing it, so that items held elsewhere survive.
  std::vector<TBaseTreeNodeEh*> stack(top->Items().begin(), top->Items().end());
  top->ClearItems();
  top->VisibleItemsBecomeObsolete();
  top->FHasChildren = false;
  while (!stack.empty()) {
    auto* node = static_cast<TMemRecViewEh*>(stack.back());
    stack.pop_back();
    for (TBaseTreeNodeEh* child : node->Items()) stack.push_back(child);
    node->ClearItems();
    node->FParent = nullptr;
    node->FHasChildren = false;
    node->FLevel = 0;
    node->FIndex = -1;
    node->VisibleItemsBecomeObsolete();
    if (node->GetRec()) {
      keptNodes_[node->GetRec()] = node;
      nodeByRec_.erase(node->GetRec());
    }
  }
  FInsertedNodeStack.clear();
  listsObsolete_ = true;
}

void TMemoryTreeListEh::ClearKeepingNodes() {
  KeepSubtree(GetRootNode());
  nodeByRec_.clear();
}

void TMemoryTreeListEh::FreeKeptNodes() {
  auto kept = std::move(keptNodes_);
  keptNodes_.clear();
  for (auto& [rec, node] : kept) {
    node->SetData(nullptr);  // not in the record map any more
    delete node;
  }
}

Variant TMemoryTreeListEh::ValuesOf(TMemoryRecordEh* rec, const String& fieldNames) const {
  TRecordsListEh* list = rec->GetRecordsList();
  TMTDataStructEh* ds = list ? list->GetDataStruct() : rec->GetDataStruct();
  return ValuesAt(rec, ds->FieldsIndex(fieldNames));
}

Variant TMemoryTreeListEh::RefOf(TMemoryRecordEh* rec) const {
  return ValuesAt(rec, FRecordsViewEh->GetTreeViewRefParentFields());
}

Variant TMemoryTreeListEh::KeyOf(TMemoryRecordEh* rec) const {
  return ValuesAt(rec, FRecordsViewEh->GetTreeViewKeyFields());
}

TMTIndexEh* TMemoryTreeListEh::ActiveIndexFor(const String& fieldNames) const {
  TRecordsListEh* list = FRecordsViewEh ? FRecordsViewEh->GetRecordsList() : nullptr;
  if (!list || !list->GetIndexes() || fieldNames.empty()) return nullptr;
  TMTIndexEh* index = list->GetIndexes()->GetIndexForFields(fieldNames);
  return index && index->InUse() ? index : nullptr;
}

TMemRecViewEh* TMemoryTreeListEh::NodeOfRecordAtKey(TMTIndexEh* index, const Variant& key) const {
  if (VarIsNull(key) || VarIsEmpty(key)) return nullptr;
  Integer recIndex = -1;
  if (!index->FindRecordIndexByKey(key, recIndex)) return nullptr;
  return NodeOfRecord(FRecordsViewEh->GetRecordsList()->GetRec(recIndex));
}

Integer TMemoryTreeListEh::CompareRecs(TMemoryRecordEh* a, TMemoryRecordEh* b) const {
  return FRecordsViewEh->CompareRecords(a, b);
}

Integer TMemoryTreeListEh::BisectChildren(TMemRecViewEh* parent, TMemoryRecordEh* rec, Integer count) {
  // The first position whose record does not come before rec.
  Integer lo = 0, hi = count;
  while (lo < hi) {
    Integer mid = (lo + hi) / 2;
    if (CompareRecs(static_cast<TMemRecViewEh*>(parent->GetItem(mid))->GetRec(), rec) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

TMemRecViewEh* TMemoryTreeListEh::AddChild(const String& name, TMemRecViewEh* parent,
                                           TMemoryRecordEh* memRecord) {
  if (!parent) parent = GetRootNode();
  TMemRecViewEh* node;
  auto kept = keptNodes_.find(memRecord);
  if (kept != keptNodes_.end()) {
    node = kept->second;
    keptNodes_.erase(kept);
    node->SetText(name);
    AddNode(node, parent, naAddChildEh, true);
  } else {
    std::unique_ptr<TMemRecViewEh> fresh(static_cast<TMemRecViewEh*>(NewNode(name, memRecord)));
    AddNode(fresh.get(), parent, naAddChildEh, true);
    node = fresh.release();
  }
  nodeByRec_[memRecord] = node;
  const bool sorted = !FSortOrder.empty();
  const Integer count = parent->GetCount();
  // The node is now the last child; move it where the record order puts it.
  if (count > 1) {
    auto* lastBefore = static_cast<TMemRecViewEh*>(parent->GetItem(count - 2));
    if (sorted) {
      Integer target = BisectChildren(parent, memRecord, count - 1);
      if (target < count - 1) MoveTo(node, parent->GetItem(target), naInsertEh, true);
    } else if (lastBefore->GetRec()->GetIndex() > memRecord->GetIndex()) {
      Integer target = count - 1;
      while (target > 0 && static_cast<TMemRecViewEh*>(parent->GetItem(target - 1))->GetRec()->GetIndex() >
                               memRecord->GetIndex())
        --target;
      MoveTo(node, parent->GetItem(target), naInsertEh, true);
    }
  }
  node->FRecordsView = FRecordsViewEh;
  node->FLockUpdate = true;
  node->SetExpanded(FDefaultNodeExpanded);
  node->FLockUpdate = false;
  node->FHasVisibleChildren = FDefaultNodeHasChildren;
  listsObsolete_ = true;
  return node;
}

TMemRecViewEh* TMemoryTreeListEh::AddChildAtKey(const String& name, const String& keyFieldNames,
                                                const String& parentFieldNames, TMemoryRecordEh* memRecord) {
  const Variant ref = ValuesOf(memRecord, parentFieldNames);
  auto keyOfNode = [&](TMemRecViewEh* node) { return ValuesOf(node->GetRec(), keyFieldNames); };
  TMemRecViewEh* parent = nullptr;
  bool push = true;
  bool refIsNull = VarIsNull(ref) || VarIsEmpty(ref);
  auto& stack = FInsertedNodeStack;
  if (!refIsNull && stack.size() >= 2) {
    if (VarEqualsEh(ref, keyOfNode(stack[stack.size() - 2]))) {
      parent = stack[stack.size() - 2];
      push = false;
    } else if (VarEqualsEh(ref, keyOfNode(stack.back()))) {
      parent = stack.back();
    } else {
      stack.resize(stack.size() - 2);
      while (!stack.empty()) {
        if (VarEqualsEh(ref, keyOfNode(stack.back()))) {
          parent = stack.back();
          break;
        }
        stack.pop_back();
      }
    }
  }
  if (!parent && !refIsNull) {
    if (TMTIndexEh* index = ActiveIndexFor(keyFieldNames))
      parent = NodeOfRecordAtKey(index, ref);
    else
      parent = GetParentNodeAtKey(nullptr, keyFieldNames, parentFieldNames, memRecord);
    if (parent == GetRootNode()) parent = nullptr;
    // A record never becomes its own parent.
    if (parent && parent->GetRec() == memRecord) parent = nullptr;
  }
  TMemRecViewEh* node = AddChild(name, parent, memRecord);
  if (FFullBuildCheck) {
    const Variant key = ValuesOf(memRecord, keyFieldNames);
    std::vector<TMemRecViewEh*> found;
    if (!(VarIsNull(key) || VarIsEmpty(key))) {
      if (TMTIndexEh* index = ActiveIndexFor(parentFieldNames)) {
        Integer at = -1;
        if (index->FindKeyValueIndex(key, at)) {
          TRecordsListEh* list = FRecordsViewEh->GetRecordsList();
          auto take = [&](Integer i) {
            if (TMemRecViewEh* n = NodeOfRecord(list->GetRec(index->GetItem(i)->RecIndex)))
              if (n != node) found.push_back(n);
          };
          for (Integer i = at - 1; i >= 0 && VarEqualsEh(index->GetKeyValue(i), key); --i) take(i);
          std::reverse(found.begin(), found.end());
          for (Integer i = at; i < index->GetCount() && VarEqualsEh(index->GetKeyValue(i), key); ++i) take(i);
        }
      } else {
        GetChildNodesForKey(nullptr, keyFieldNames, parentFieldNames, memRecord, found);
      }
    }
    std::sort(found.begin(), found.end(), [](TMemRecViewEh* a, TMemRecViewEh* b) {
      return a->GetRec()->GetIndex() < b->GetRec()->GetIndex();
    });
    for (TMemRecViewEh* child : found) {
      if (child->GetParent() == node) continue;
      // Data that already loops stays where it is rather than breaking the build halfway.
      if (node->IsInSubtreeOf(child)) continue;
      MoveTo(child, node, naAddChildEh, true);
    }
  }
  if (push)
    stack.push_back(node);
  else
    stack.back() = node;
  return node;
}

TMemRecViewEh* TMemoryTreeListEh::GetParentNodeAtKey(TMemRecViewEh* startNode, const String& keyFieldNames,
                                                     const String& parentFieldNames,
                                                     TMemoryRecordEh* memRecord) {
  if (!startNode) {
    if (TMTIndexEh* index = ActiveIndexFor(keyFieldNames)) {
      TMemRecViewEh* found = NodeOfRecordAtKey(index, ValuesOf(memRecord, parentFieldNames));
      return found ? found : GetRootNode();
    }
  }
  return GetParentNodeAtKeyValue(startNode, keyFieldNames, parentFieldNames,
                                 ValuesOf(memRecord, parentFieldNames));
}

TMemRecViewEh* TMemoryTreeListEh::GetParentNodeAtKeyValue(TMemRecViewEh* startNode,
                                                          const String& keyFieldNames, const String&,
                                                          const Variant& refKeyValue) {
  if (!startNode) startNode = GetRootNode();
  if (VarIsNull(refKeyValue) || VarIsEmpty(refKeyValue)) return GetRootNode();
  // Depth first without recursion: deep trees must not exhaust the stack.
  std::vector<TBaseTreeNodeEh*> stack(startNode->Items().rbegin(), startNode->Items().rend());
  while (!stack.empty()) {
    auto* node = static_cast<TMemRecViewEh*>(stack.back());
    stack.pop_back();
    if (VarEqualsEh(ValuesOf(node->GetRec(), keyFieldNames), refKeyValue)) return node;
    for (auto it = node->Items().rbegin(); it != node->Items().rend(); ++it) stack.push_back(*it);
  }
  return GetRootNode();
}

TMemRecViewEh* TMemoryTreeListEh::GetParentNodeForRefValue(const Variant& refValue) {
  if (TMTIndexEh* index = ActiveIndexFor(GetKeyFieldNames())) return NodeOfRecordAtKey(index, refValue);
  return GetParentNodeAtKeyValue(nullptr, GetKeyFieldNames(), GetParentFieldNames(), refValue);
}

TMemRecViewEh* TMemoryTreeListEh::GetParentNodeForRec(TMemoryRecordEh* memRecord) {
  if (FInsertedNodeStack.empty()) return nullptr;
  if (TMTIndexEh* index = ActiveIndexFor(GetKeyFieldNames()))
    return NodeOfRecordAtKey(index, ValuesOf(memRecord, GetParentFieldNames()));
  return GetParentNodeAtKey(nullptr, GetKeyFieldNames(), GetParentFieldNames(), memRecord);
}

void TMemoryTreeListEh::GetChildNodesForKey(TMemRecViewEh* startNode, const String& keyFieldNames,
                                            const String& parentFieldNames, TMemoryRecordEh* memRecord,
                                            std::vector<TMemRecViewEh*>& childList) {
  if (!startNode) startNode = GetRootNode();
  const Variant key = ValuesOf(memRecord, keyFieldNames);
  std::vector<TBaseTreeNodeEh*> stack(startNode->Items().rbegin(), startNode->Items().rend());
  while (!stack.empty()) {
    auto* node = static_cast<TMemRecViewEh*>(stack.back());
    stack.pop_back();
    if (node->GetRec() != memRecord && VarEqualsEh(ValuesOf(node->GetRec(), parentFieldNames), key)) {
      childList.push_back(node);
      continue;
    }
    for (auto it = node->Items().rbegin(); it != node->Items().rend(); ++it) stack.push_back(*it);
  }
}

TMemRecViewEh* TMemoryTreeListEh::GetNode(TMemRecViewEh* startNode, TMemoryRecordEh* memRecord) const {
  if (!startNode) return NodeOfRecord(memRecord);
  TMemRecViewEh* node = NodeOfRecord(memRecord);
  return node && node != startNode && node->IsInSubtreeOf(startNode) ? node : nullptr;
}

TMemRecViewEh* TMemoryTreeListEh::GetNodeAtValue(TMemRecViewEh* startNode, const String& fieldNames,
                                                 const Variant& value) const {
  if (!startNode) startNode = GetRootNode();
  for (TBaseTreeNodeEh* child : startNode->Items()) {
    auto* node = static_cast<TMemRecViewEh*>(child);
    if (VarEqualsEh(ValuesOf(node->GetRec(), fieldNames), value)) return node;
  }
  for (TBaseTreeNodeEh* child : startNode->Items())
    if (TMemRecViewEh* found = GetNodeAtValue(static_cast<TMemRecViewEh*>(child), fieldNames, value))
      return found;
  return nullptr;
}

void TMemoryTreeListEh::GetRecordsList(std::vector<TMemoryRecordEh*>& list, TMemRecViewEh* node,
                                       bool aRecurse) {
  if (!node) node = GetRootNode();
  for (TBaseTreeNodeEh* child : node->Items()) {
    auto* n = static_cast<TMemRecViewEh*>(child);
    list.push_back(n->GetRec());
    if (aRecurse) GetRecordsList(list, n, true);
  }
}

TMemRecViewEh* TMemoryTreeListEh::TakeNode(TMemoryRecordEh* memRecord) {
  TMemRecViewEh* node;
  auto kept = keptNodes_.find(memRecord);
  if (kept != keptNodes_.end()) {
    node = kept->second;
    keptNodes_.erase(kept);
    node->SetText(String());
  } else {
    node = static_cast<TMemRecViewEh*>(NewNode(String(), memRecord));
  }
  node->FRecordsView = FRecordsViewEh;
  node->FLockUpdate = true;
  node->SetExpanded(FDefaultNodeExpanded);
  node->FLockUpdate = false;
  node->FHasVisibleChildren = FDefaultNodeHasChildren;
  nodeByRec_[memRecord] = node;
  return node;
}

bool TMemoryTreeListEh::BuildAll(TRecordsListEh* list) {
  // Builds the same tree as adding every record by key with the full-build check (each record under the
  // record its parent reference names, children in store order), in O(n log n) instead of moving nodes.
  const TIntArray& keyFields = FRecordsViewEh->GetTreeViewKeyFields();
  const TIntArray& refFields = FRecordsViewEh->GetTreeViewRefParentFields();
  if (!FFullBuildCheck || keyFields.empty() || refFields.empty()) return false;
  TMTIndexEh* index = ActiveIndexFor(GetKeyFieldNames());
  if (!index && keyFields.size() != 1) return false;
  const Integer n = list->GetCount();
  std::vector<std::pair<Variant, Integer>> keys;
  if (!index) {
    keys.reserve(static_cast<size_t>(n));
    for (Integer i = 0; i < n; ++i) {
      Variant key = RecValue(list->GetRec(i), keyFields[0]);
      if (!VarIsNull(key) && !VarIsEmpty(key)) keys.emplace_back(std::move(key), i);
    }
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
      return CompareValuesForOrder(a.first, b.first, false) < 0;
    });
  }
  std::vector<Integer> parentOf(static_cast<size_t>(n), -1);
  for (Integer i = 0; i < n; ++i) {
    Variant ref = ValuesAt(list->GetRec(i), refFields);
    if (VarIsNull(ref) || VarIsEmpty(ref)) continue;
    Integer found = -1;
    if (index) {
      if (!index->FindRecordIndexByKey(ref, found)) found = -1;
    } else {
      auto it = std::lower_bound(keys.begin(), keys.end(), ref, [](const auto& entry, const Variant& value) {
        return CompareValuesForOrder(entry.first, value, false) < 0;
      });
      if (it != keys.end() && VarEqualsEh(it->first, ref)) found = it->second;
    }
    if (found != i) parentOf[static_cast<size_t>(i)] = found;
  }
  // Records whose references go round in a circle: the record that closes the circle stays at the top.
  std::vector<char> state(static_cast<size_t>(n), 0);
  std::vector<Integer> path;
  for (Integer i = 0; i < n; ++i) {
    path.clear();
    Integer at = i;
    while (at >= 0 && state[static_cast<size_t>(at)] == 0) {
      state[static_cast<size_t>(at)] = 1;
      path.push_back(at);
      at = parentOf[static_cast<size_t>(at)];
    }
    if (at >= 0 && state[static_cast<size_t>(at)] == 1) parentOf[static_cast<size_t>(path.back())] = -1;
    for (Integer p : path) state[static_cast<size_t>(p)] = 2;
  }
  std::vector<TMemRecViewEh*> nodes(static_cast<size_t>(n));
  std::vector<std::vector<Integer>> children(static_cast<size_t>(n));
  std::vector<Integer> top;
  for (Integer i = 0; i < n; ++i) {
    nodes[static_cast<size_t>(i)] = TakeNode(list->GetRec(i));
    Integer parent = parentOf[static_cast<size_t>(i)];
    (parent < 0 ? top : children[static_cast<size_t>(parent)]).push_back(i);
  }
  // Parents first, so that each attach sets one level and nothing moves afterwards.
  std::vector<std::pair<TMemRecViewEh*, Integer>> pending;
  for (auto it = top.rbegin(); it != top.rend(); ++it) pending.emplace_back(GetRootNode(), *it);
  while (!pending.empty()) {
    auto [parent, i] = pending.back();
    pending.pop_back();
    TMemRecViewEh* node = nodes[static_cast<size_t>(i)];
    AddNode(node, parent, naAddChildEh, false);
    const auto& kids = children[static_cast<size_t>(i)];
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) pending.emplace_back(node, *it);
  }
  if (n > 0) {
    for (TBaseTreeNodeEh* node = nodes.back(); node && node != GetRoot(); node = node->GetParent())
      FInsertedNodeStack.insert(FInsertedNodeStack.begin(), static_cast<TMemRecViewEh*>(node));
  }
  if (!FSortOrder.empty())
    inherited::SortData(TCompareNodesEh(this, &TMemoryTreeListEh::CompareTreeNodes), nullptr, true);
  listsObsolete_ = true;
  return true;
}

Integer TMemoryTreeListEh::GetIndexForNode(TMemoryRecordEh* rec, TMemRecViewEh* parentNode) {
  if (!parentNode) parentNode = GetRootNode();
  const Integer count = parentNode->GetCount();
  if (count == 0) return -1;
  auto recAt = [&](Integer i) { return static_cast<TMemRecViewEh*>(parentNode->GetItem(i))->GetRec(); };
  if (!FSortOrder.empty()) {
    if (CompareRecs(recAt(0), rec) > 0) return 0;
    if (CompareRecs(recAt(count - 1), rec) < 0) return count;
    return BisectChildren(parentNode, rec, count);
  }
  if (recAt(count - 1)->GetIndex() < rec->GetIndex()) return -1;
  for (Integer i = count - 1; i >= 0; --i)
    if (recAt(i)->GetIndex() < rec->GetIndex()) return i + 1;
  return 0;
}

TMemRecViewEh* TMemoryTreeListEh::UpdateParent(TMemRecViewEh* node, const String& keyFieldNames,
                                               const String& parentFieldNames, TMemoryRecordEh* memRecord,
                                               bool reIndex) {
  TMemRecViewEh* newParent = GetParentNodeAtKey(nullptr, keyFieldNames, parentFieldNames, memRecord);
  if (newParent != node->GetParent()) {
    if (newParent->IsInSubtreeOf(node)) throw Exception(kReferenceLoop);
    // Positions are taken without the node, which may be a child of newParent already.
    Integer p = GetIndexForNode(memRecord, newParent);
    if (p >= 0 && p < newParent->GetCount())
      MoveTo(node, newParent->GetItem(p), naInsertEh, reIndex);
    else
      MoveTo(node, newParent, naAddChildEh, reIndex);
    listsObsolete_ = true;
  } else if (!FSortOrder.empty()) {
    TMemRecViewEh* parent = node->GetNodeParent();
    Integer old = node->GetIndex();
    DetachNode(node, true);
    Integer p = GetIndexForNode(memRecord, parent);
    if (p == -1 || p == parent->GetCount())
      AddNode(node, parent, naAddChildEh, reIndex);
    else
      AddNode(node, parent->GetItem(p), naInsertEh, reIndex);
    if (p != old) listsObsolete_ = true;
  }
  return newParent;
}

bool TMemoryTreeListEh::CheckReferenceLoop(TMemoryRecordEh* memRecord, const Variant& newRefValue) {
  Variant ref = VarIsEmpty(newRefValue) ? RefOf(memRecord) : newRefValue;
  if (VarIsNull(ref) || VarIsEmpty(ref)) return false;
  if (VarCompareValuesEh(ref, KeyOf(memRecord)) == vrEqual) return false;
  TMemRecViewEh* node = GetParentNodeForRefValue(ref);
  for (; node && node != GetRootNode(); node = node->GetNodeParent())
    if (node->GetRec() == memRecord) return true;
  return false;
}

void TMemoryTreeListEh::UpdateNodeState(TMemRecViewEh* node, bool isUpdateParent) {
  listsObsolete_ = true;
  while (node && node != GetRootNode()) {
    bool visible =
        node->GetHasVisibleChildren() || FRecordsViewEh->IsRecordInFilter(node->GetRec(), -1, node);
    node->SetVisible(visible);
    FRecordsViewEh->CalcLookupBuffer(node);
    if (!isUpdateParent) return;
    auto* parent = node->GetNodeParent();
    if (!parent || parent == GetRootNode() || parent->GetVisible() == node->GetVisible()) return;
    node = parent;
  }
}

void TMemoryTreeListEh::UpdateNodesState(TMemRecViewEh* parent) {
  if (!parent) parent = GetRootNode();
  for (TBaseTreeNodeEh* child : parent->Items()) {
    auto* node = static_cast<TMemRecViewEh*>(child);
    UpdateNodesState(node);
    UpdateNodeState(node, false);
  }
  listsObsolete_ = true;
}

void TMemoryTreeListEh::ShowSubtreesOfVisibleLeaves(TMemRecViewEh* node) {
  if (!node) node = GetRootNode();
  for (TBaseTreeNodeEh* child : node->Items()) {
    if (!child->GetVisible()) continue;
    if (!child->GetHasVisibleChildren()) {
      for (TBaseTreeNodeEh* d = GetNext(child); d && d->IsInSubtreeOf(child) && d != child; d = GetNext(d))
        d->SetVisible(true);
    } else {
      ShowSubtreesOfVisibleLeaves(static_cast<TMemRecViewEh*>(child));
    }
  }
  listsObsolete_ = true;
}

void TMemoryTreeListEh::BuildVisibleItems() {
  FVisibleExpandedItems.clear();
  FVisibleItems.clear();
  FFlatListItems.clear();
  for (TBaseTreeNodeEh* n = GetFirstVisible(); n; n = GetNextVisible(n, true))
    FVisibleExpandedItems.push_back(static_cast<TMemRecViewEh*>(n));
  for (TBaseTreeNodeEh* n = GetFirstVisible(); n; n = GetNextVisible(n, false))
    FVisibleItems.push_back(static_cast<TMemRecViewEh*>(n));
  for (TBaseTreeNodeEh* n = GetFirst(); n; n = GetNext(n)) {
    auto* node = static_cast<TMemRecViewEh*>(n);
    node->FInSortedListIndex = static_cast<Integer>(FFlatListItems.size());
    FFlatListItems.push_back(node);
  }
  listsObsolete_ = false;
}

Integer TMemoryTreeListEh::GetFlatListCount() {
  if (listsObsolete_) BuildVisibleItems();
  return static_cast<Integer>(FFlatListItems.size());
}

TMemRecViewEh* TMemoryTreeListEh::GetFlatListItem(Integer index) {
  if (listsObsolete_) BuildVisibleItems();
  return index >= 0 && index < static_cast<Integer>(FFlatListItems.size()) ? FFlatListItems[index] : nullptr;
}

Integer TMemoryTreeListEh::GetAccountableCount() {
  if (listsObsolete_) BuildVisibleItems();
  return static_cast<Integer>(FVisibleItems.size());
}

TMemRecViewEh* TMemoryTreeListEh::GetAccountableItem(Integer index) {
  if (listsObsolete_) BuildVisibleItems();
  return index >= 0 && index < static_cast<Integer>(FVisibleItems.size()) ? FVisibleItems[index] : nullptr;
}

Integer TMemoryTreeListEh::GetVisibleExpandedCount() {
  if (listsObsolete_) BuildVisibleItems();
  return static_cast<Integer>(FVisibleExpandedItems.size());
}

TMemRecViewEh* TMemoryTreeListEh::GetVisibleExpandedItem(Integer index) {
  if (listsObsolete_) BuildVisibleItems();
  return index >= 0 && index < static_cast<Integer>(FVisibleExpandedItems.size())
             ? FVisibleExpandedItems[index]
             : nullptr;
}

void TMemoryTreeListEh::SetSortOrder(const String& value) {
  if (value == FSortOrder) return;
  FOrderByList->ParseOrderByStr(value);
  bool caseIns = FRecordsViewEh && FRecordsViewEh->GetSortOrderCaseInsensitive();
  for (Integer i = 0; i < FOrderByList->GetCount(); ++i) FOrderByList->GetItem(i)->CaseIns = caseIns;
  FSortOrder = value;
  Resort();
}

void TMemoryTreeListEh::Resort() {
  SortData(TCompareNodesEh(this, &TMemoryTreeListEh::CompareTreeNodes), FOrderByList.get(), true);
  BuildVisibleItems();
}

Integer TMemoryTreeListEh::CompareTreeNodes(TBaseTreeNodeEh* node1, TBaseTreeNodeEh* node2, TObject*) {
  if (!FRecordsViewEh) return 0;
  return FRecordsViewEh->CompareRecords(static_cast<TMemRecViewEh*>(node1)->GetRec(),
                                        static_cast<TMemRecViewEh*>(node2)->GetRec());
}

void TMemoryTreeListEh::MoveTo(TBaseTreeNodeEh* node, TBaseTreeNodeEh* destination, TNodeAttachModeEh mode,
                               bool reIndex) {
  inherited::MoveTo(node, destination, mode, reIndex);
  listsObsolete_ = true;
}

void TMemoryTreeListEh::SortData(const TCompareNodesEh& compareProg, TObject* paramSort, bool aRecurse) {
  inherited::SortData(compareProg, paramSort, aRecurse);
  BuildVisibleItems();
  if (FRecordsViewEh) FRecordsViewEh->ViewDataEvent(nullptr, -1, rlnListChangedEh);
}

// ---------------------------------------------------------------- TRecordsViewEh

TRecordsViewEh::TRecordsViewEh(TDataSet* aDataSet)
    : TRecordsListNotificatorEh(nullptr),
      FAggregates(std::make_unique<TMTAggregatesEh>(this)),
      FMemoryTreeList(std::make_unique<TMemoryTreeListEh>(this)),
      FOrderByList(std::make_unique<TRecordsViewOrderByList>(this, [this] { return GetDataStruct(); })),
      FDataSet(aDataSet) {}

TRecordsViewEh::~TRecordsViewEh() {
  // Detached quietly: nobody is told about a view that is going away.
  ++FDisableFilterCount;
  OnViewDataEvent = nullptr;
  OnViewRecordMovedEvent = nullptr;
  SetDataObject(nullptr);
  FMemoryTreeList->Clear();
  FMemoryViewList.clear();
  FSorderViewList.clear();
  itemsByRec_.clear();
  auto notificators = FNotificators;
  for (TRecordsListNotificatorEh* n : notificators) n->SetDataObject(nullptr);
  FMemoryTreeList.reset();
  FAggregates.reset();
  FOrderByList->ClearFreeItems();
}

TMemTableDataEh* TRecordsViewEh::GetMemTableData() const {
  return dynamic_cast<TMemTableDataEh*>(GetDataObject());
}

void TRecordsViewEh::SetMemTableData(TMemTableDataEh* value) {
  if (value == GetDataObject()) return;
  SetDataObject(value);
  UpdateFields();
  if (FViewAsTreeList) {
    RebuildMemoryTreeList();
    RefreshFilteredRecsTreeList();
  }
  RefreshFilteredRecsList(true);
}

TRecordsListEh* TRecordsViewEh::GetRecordsList() const {
  TMemTableDataEh* data = GetMemTableData();
  return data ? data->GetRecordsList() : nullptr;
}

TMTDataStructEh* TRecordsViewEh::GetDataStruct() const {
  TMemTableDataEh* data = GetMemTableData();
  return data ? data->GetDataStruct() : nullptr;
}

Integer TRecordsViewEh::Count() {
  if (FViewAsTreeList) return FMemoryTreeList->GetVisibleExpandedCount();
  return static_cast<Integer>(FMemoryViewList.size());
}

Integer TRecordsViewEh::AccountableItemsCount() {
  return FViewAsTreeList ? FMemoryTreeList->GetAccountableCount() : Count();
}

TMemoryRecordEh* TRecordsViewEh::GetAccountableRecord(Integer index) {
  if (FViewAsTreeList) return FMemoryTreeList->GetAccountableItem(index)->GetRec();
  return GetRec(index);
}

TMemRecViewEh* TRecordsViewEh::GetRecordView(Integer index) {
  if (FViewAsTreeList) return FMemoryTreeList->GetVisibleExpandedItem(index);
  return FMemoryViewList.at(static_cast<size_t>(index));
}

TMemoryRecordEh* TRecordsViewEh::GetRec(Integer index) { return GetRecordView(index)->GetRec(); }

void TRecordsViewEh::SetRec(Integer index, TMemoryRecordEh* value) {
  GetRecordsList()->SetRec(GetRec(index)->GetIndex(), value);
}

Variant TRecordsViewEh::GetValue(Integer recNo, Integer valNo) {
  return GetRecordsList()->GetValue(GetRec(recNo)->GetIndex(), valNo);
}

void TRecordsViewEh::SetValue(Integer recNo, Integer valNo, const Variant& value) {
  GetRecordsList()->SetValue(GetRec(recNo)->GetIndex(), valNo, value);
}

const TRecValuesEh& TRecordsViewEh::GetOldRecVals(Integer index) { return GetRec(index)->GetOldData(); }

Integer TRecordsViewEh::IndexOfRec(TMemoryRecordEh* rec) {
  Integer count = Count();
  if (count > 0 && GetRec(count - 1) == rec) return count - 1;
  for (Integer i = 0; i < count; ++i)
    if (GetRec(i) == rec) return i;
  return -1;
}

Integer TRecordsViewEh::IndexOfSortedListRec(TMemoryRecordEh* rec) {
  Integer count = SortedListItemCount();
  for (Integer i = 0; i < count; ++i)
    if (GetSortedListItem(i)->GetRec() == rec) return i;
  return -1;
}

TMemRecViewEh* TRecordsViewEh::GetSortedListItem(Integer index) {
  if (FViewAsTreeList) return FMemoryTreeList->GetFlatListItem(index);
  return FSorderViewList.at(static_cast<size_t>(index));
}

Integer TRecordsViewEh::SortedListItemCount() {
  if (FViewAsTreeList) return FMemoryTreeList->GetFlatListCount();
  return static_cast<Integer>(FSorderViewList.size());
}

void TRecordsViewEh::UpdateSortedListIndexes() {
  if (!FViewAsTreeList) RenumberSortedList();
  FSortedListIndexesObsolete = false;
}

TMemRecViewEh* TRecordsViewEh::ItemOfRecord(TMemoryRecordEh* rec) const {
  auto found = itemsByRec_.find(rec);
  return found == itemsByRec_.end() ? nullptr : found->second.get();
}

void TRecordsViewEh::RenumberSortedList() {
  for (size_t i = 0; i < FSorderViewList.size(); ++i)
    FSorderViewList[i]->FInSortedListIndex = static_cast<Integer>(i);
  FSortedListIndexesObsolete = false;
}

// ---- changes, forwarded to the records list

TMemoryRecordEh* TRecordsViewEh::NewRecord() { return GetRecordsList()->NewRecord(); }

Integer TRecordsViewEh::AddRecord(TMemoryRecordEh* rec) { return GetRecordsList()->AddRecord(rec); }

void TRecordsViewEh::InsertRecord(Integer index, TMemoryRecordEh* rec) {
  TRecordsListEh* list = GetRecordsList();
  if (FViewAsTreeList) {
    list->InsertRecord(index > 0 ? GetRec(index - 1)->GetIndex() + 1 : 0, rec);
    return;
  }
  if (FMemoryViewList.empty()) {
    list->InsertRecord(0, rec);
    return;
  }
  // Past the last row the record goes after the last row's record.
  if (index >= static_cast<Integer>(FMemoryViewList.size())) {
    list->InsertRecord(FMemoryViewList.back()->GetRec()->GetIndex() + 1, rec);
    return;
  }
  list->InsertRecord(GetRec(std::max<Integer>(index, 0))->GetIndex(), rec);
}

void TRecordsViewEh::DeleteRecord(Integer index) {
  GetRecordsList()->DeleteRecord(GetViewRecord(index)->GetIndex());
}

void TRecordsViewEh::RevertRecord(Integer index) {
  GetRecordsList()->RevertRecord(GetRec(index)->GetIndex());
}

void TRecordsViewEh::RefreshRecord(Integer index, TMemoryRecordEh* rec) {
  GetRecordsList()->RefreshRecord(GetRec(index)->GetIndex(), rec);
}

void TRecordsViewEh::CancelUpdates() { GetRecordsList()->CancelUpdates(); }

void TRecordsViewEh::MergeChangeLog() { GetRecordsList()->MergeChangeLog(); }

void TRecordsViewEh::LockCachedUpdates() {
  ++FCachedUpdatesLockCount;
  if (TRecordsListEh* list = GetRecordsList()) list->SetCachedUpdates(false);
}

void TRecordsViewEh::UnlockCachedUpdates() {
  if (FCachedUpdatesLockCount > 0) --FCachedUpdatesLockCount;
  if (FCachedUpdatesLockCount == 0)
    if (TRecordsListEh* list = GetRecordsList()) list->SetCachedUpdates(FCachedUpdates);
}

// ---- filtering, sorting, tree mode

void TRecordsViewEh::SetStatusFilter(TUpdateStatusSet value) {
  if (value == FStatusFilter) return;
  FStatusFilter = value;
  RefreshFilteredRecsList(true);
  RefreshFilteredRecsTreeList();
}

void TRecordsViewEh::SetSortOrder(const String& value) {
  if (value == FSortOrder) return;
  FOrderByList->ParseOrderByStr(value);
  for (Integer i = 0; i < FOrderByList->GetCount(); ++i)
    FOrderByList->GetItem(i)->CaseIns = FSortOrderCaseInsensitive;
  FSortOrder = value;
  ResortView();
}

void TRecordsViewEh::SetSortOrderCaseInsensitive(bool value) {
  if (value == FSortOrderCaseInsensitive) return;
  FSortOrderCaseInsensitive = value;
  for (Integer i = 0; i < FOrderByList->GetCount(); ++i) FOrderByList->GetItem(i)->CaseIns = value;
  for (Integer i = 0; i < FMemoryTreeList->GetOrderByList()->GetCount(); ++i)
    FMemoryTreeList->GetOrderByList()->GetItem(i)->CaseIns = value;
  ResortView();
}

void TRecordsViewEh::SetViewAsTreeList(bool value) {
  if (value == FViewAsTreeList) return;
  FViewAsTreeList = value;
  if (value)
    RebuildMemoryTreeList();
  else
    FMemoryTreeList->Clear();
  RefreshFilteredRecsList(true);
  RefreshFilteredRecsTreeList();
}

void TRecordsViewEh::SetTreeViewKeyFieldName(const String& value) {
  if (value == FTreeViewKeyFieldName) return;
  FTreeViewKeyFieldName = value;
  UpdateFields();
}

void TRecordsViewEh::SetTreeViewRefParentFieldName(const String& value) {
  if (value == FTreeViewRefParentFieldName) return;
  FTreeViewRefParentFieldName = value;
  UpdateFields();
}

void TRecordsViewEh::UpdateFields() {
  TMTDataStructEh* ds = GetDataStruct();
  FTreeViewKeyFields =
      ds && !FTreeViewKeyFieldName.empty() ? ds->FieldsIndex(FTreeViewKeyFieldName) : TIntArray();
  FTreeViewRefParentFields =
      ds && !FTreeViewRefParentFieldName.empty() ? ds->FieldsIndex(FTreeViewRefParentFieldName) : TIntArray();
}

void TRecordsViewEh::StructChanged(TMemTableDataEh* memTableData) {
  inherited::StructChanged(memTableData);
  UpdateFields();
}

bool TRecordsViewEh::IsRecordInFilter(TMemoryRecordEh* rec, Integer, TMemRecViewEh* node) {
  if (!FStatusFilter.Contains(rec->GetUpdateStatus())) return false;
  return !OnFilterRecord || OnFilterRecord(rec, node);
}

Integer TRecordsViewEh::DefaultCompareRecords(TMemoryRecordEh* rec1, TMemoryRecordEh* rec2,
                                              TOrderByList* orderBy) {
  for (Integer i = 0; i < orderBy->GetCount(); ++i) {
    TOrderByItemEh* item = orderBy->GetItem(i);
    Integer c = CompareValuesForOrder(RecValue(rec1, item->MTFieldIndex), RecValue(rec2, item->MTFieldIndex),
                                      item->CaseIns);
    if (c != 0) return item->Desc ? -c : c;
  }
  return 0;
}

Integer TRecordsViewEh::CompareRecords(TMemoryRecordEh* rec1, TMemoryRecordEh* rec2) {
  if (rec1 == rec2) return 0;
  if (!FSortOrder.empty()) {
    Integer c = OnCompareRecords ? OnCompareRecords(rec1, rec2, FOrderByList.get())
                                 : DefaultCompareRecords(rec1, rec2, FOrderByList.get());
    if (c != 0) return c;
  }
  // Equal keys keep the store's order, so incremental upkeep and a full sort agree row for row.
  return rec1->GetIndex() - rec2->GetIndex();
}

Integer TRecordsViewEh::CompareForSort(TMemoryRecordEh* rec1, TMemoryRecordEh* rec2, TObject*) {
  return CompareRecords(rec1, rec2);
}

Integer TRecordsViewEh::FindSortedInsertPos(const std::vector<TMemRecViewEh*>& list, TMemoryRecordEh* rec,
                                            Integer hint) {
  const Integer count = static_cast<Integer>(list.size());
  auto c = [&](Integer i) { return CompareRecords(list[static_cast<size_t>(i)]->GetRec(), rec); };
  if (count == 0 || c(0) > 0) return 0;
  if (c(count - 1) < 0) return count;
  if (hint >= 0 && hint <= count) {
    Integer a = hint > 0 ? c(hint - 1) : 0;
    Integer b = hint < count ? c(hint) : 0;
    if (a <= 0 && b >= 0) return hint;
  }
  // The first position whose record does not come before rec.
  Integer lo = 0, hi = count;
  while (lo < hi) {
    Integer mid = (lo + hi) / 2;
    if (c(mid) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

TMemRecViewEh* TRecordsViewEh::InsertSortedListItem(TMemoryRecordEh* rec, Integer index) {
  auto& owned = itemsByRec_[rec];
  if (!owned) {
    owned = std::make_unique<TMemRecViewEh>();
    owned->SetData(rec);
    owned->FRecordsView = this;
  }
  TMemRecViewEh* item = owned.get();
  if (index >= 0 && index < static_cast<Integer>(FSorderViewList.size())) {
    FSorderViewList.insert(FSorderViewList.begin() + index, item);
    item->FInSortedListIndex = index;
    FSortedListIndexesObsolete = true;
  } else {
    item->FInSortedListIndex = static_cast<Integer>(FSorderViewList.size());
    FSorderViewList.push_back(item);
  }
  return item;
}

void TRecordsViewEh::RebuildSortedList() {
  // A list that already holds every record of the store in store order is left as it is: refiltering
  // then costs one pass over the records, not a new item map.
  if (TRecordsListEh* list = GetRecordsList();
      list && static_cast<Integer>(FSorderViewList.size()) == list->GetCount() &&
      itemsByRec_.size() == FSorderViewList.size()) {
    // Checked and renumbered in one pass over the items.
    bool same = true;
    for (Integer i = 0; same && i < list->GetCount(); ++i) {
      TMemRecViewEh* item = FSorderViewList[static_cast<size_t>(i)];
      same = item->GetRec() == list->GetRec(i);
      item->FInSortedListIndex = i;
    }
    if (same) {
      FSortedListIndexesObsolete = false;
      return;
    }
  }
  // Items of records still in the store are reused: rows held by record buffers stay valid.
  auto previous = std::move(itemsByRec_);
  itemsByRec_.clear();
  FSorderViewList.clear();
  if (TRecordsListEh* list = GetRecordsList()) {
    FSorderViewList.reserve(static_cast<size_t>(list->GetCount()));
    itemsByRec_.reserve(static_cast<size_t>(list->GetCount()));
    for (Integer i = 0; i < list->GetCount(); ++i) {
      TMemoryRecordEh* rec = list->GetRec(i);
      auto found = previous.find(rec);
      if (found != previous.end()) {
        itemsByRec_[rec] = std::move(found->second);
        previous.erase(found);
      }
      InsertSortedListItem(rec, i);
    }
  }
  FSortedListIndexesObsolete = false;
}

void TRecordsViewEh::FreeItem(TMemoryRecordEh* rec) { itemsByRec_.erase(rec); }

void TRecordsViewEh::RemoveSortedListItem(TMemoryRecordEh* rec, Integer formerIndex) {
  TMemRecViewEh* item = ItemOfRecord(rec);
  if (!item) return;
  Integer pos = -1;
  if (formerIndex >= 0 && formerIndex < static_cast<Integer>(FSorderViewList.size()) &&
      FSorderViewList[formerIndex] == item)
    pos = formerIndex;
  else
    pos = static_cast<Integer>(std::find(FSorderViewList.begin(), FSorderViewList.end(), item) -
                               FSorderViewList.begin());
  if (pos < static_cast<Integer>(FSorderViewList.size())) {
    if (pos != static_cast<Integer>(FSorderViewList.size()) - 1) FSortedListIndexesObsolete = true;
    FSorderViewList.erase(FSorderViewList.begin() + pos);
  }
  FreeItem(rec);
}

void TRecordsViewEh::InsertViewItem(TMemRecViewEh* item, Integer pos) {
  FMemoryViewList.insert(FMemoryViewList.begin() + pos, item);
  CalcLookupBuffer(item);
}

void TRecordsViewEh::CalcLookupBuffer(TMemRecViewEh* item) {
  if (OnCalcLookupBuffer) OnCalcLookupBuffer(item->GetRec(), item);
}

void TRecordsViewEh::UpdateAllLookupBuffer() {
  for (Integer i = 0; i < Count(); ++i) {
    TMemRecViewEh* item = GetRecordView(i);
    std::fill(item->FLookupBuffer.begin(), item->FLookupBuffer.end(), Variant());
    CalcLookupBuffer(item);
  }
}

Integer TRecordsViewEh::IndexInViewList(TMemoryRecordEh* rec) const {
  for (size_t i = 0; i < FMemoryViewList.size(); ++i)
    if (FMemoryViewList[i]->GetRec() == rec) return static_cast<Integer>(i);
  return -1;
}

void TRecordsViewEh::RefreshFilteredRecsList(bool notifyListChanged) {
  RebuildSortedList();
  FMemoryViewList.clear();
  if (GetRecordsList() && !FViewAsTreeList) {
    std::vector<TMemRecViewEh*>* source = OnGetPrefilteredList ? OnGetPrefilteredList() : nullptr;
    if (!source) source = &FSorderViewList;
    FFilterAborted = false;
    std::vector<TMemRecViewEh*> passed;
    passed.reserve(source->size());
    for (size_t i = 0; i < source->size(); ++i) {
      TMemRecViewEh* item = (*source)[i];
      if (IsRecordInFilter(item->GetRec(), static_cast<Integer>(i), nullptr)) passed.push_back(item);
      if (FFilterAborted) break;
    }
    if (!FFilterAborted) {
      FMemoryViewList.reserve(passed.size());
      for (TMemRecViewEh* item : passed) InsertViewItem(item, static_cast<Integer>(FMemoryViewList.size()));
    }
  }
  if (!FSortOrder.empty())
    ResortFlatLists();
  else if (notifyListChanged)
    ViewDataEvent(nullptr, -1, rlnListChangedEh);
}

void TRecordsViewEh::RefreshFilteredRecsTreeList() {
  if (!FViewAsTreeList) return;
  FMemoryTreeList->UpdateNodesState(nullptr);
  if (!FMemoryTreeList->FFilterNodeIfParentVisible) FMemoryTreeList->ShowSubtreesOfVisibleLeaves(nullptr);
  if (!FSortOrder.empty()) ResortTree();
}

void TRecordsViewEh::RebuildMemoryTreeList() {
  FMemoryTreeList->ClearKeepingNodes();
  TRecordsListEh* list = GetRecordsList();
  if (FViewAsTreeList && list && !FMemoryTreeList->BuildAll(list)) {
    for (Integer i = 0; i < list->GetCount(); ++i)
      FMemoryTreeList->AddChildAtKey(String(), FTreeViewKeyFieldName, FTreeViewRefParentFieldName,
                                     list->GetRec(i));
  }
  FMemoryTreeList->FreeKeptNodes();
}

void TRecordsViewEh::ResortView() {
  ResortFlatLists();
  ResortTree();
}

void TRecordsViewEh::ResortFlatLists() {
  if (OnCompareRecords || FSortOrder.empty()) {
    SortData([this](TMemoryRecordEh* a, TMemoryRecordEh* b, TObject* p) { return CompareForSort(a, b, p); },
             FOrderByList.get());
    return;
  }
  SortItemsByOrderBy(FSorderViewList);
  if (FMemoryViewList.size() == FSorderViewList.size())
    FMemoryViewList = FSorderViewList;
  else
    SortItemsByOrderBy(FMemoryViewList);
  RenumberSortedList();
  ViewDataEvent(nullptr, -1, rlnListChangedEh);
}

namespace {

// The values of one sort item, extracted once per record in the cheapest form that orders them as
// CompareValuesForOrder does: whole numbers (texts become the ranks of their collation order),
// floating numbers, or (for anything mixed) the values themselves.
struct SortColumn {
  enum Kind { Whole, Floating, TextKey, Text, Mixed } kind = Whole;
  bool desc = false;
  bool caseIns = false;
  std::vector<char> isNull;
  std::vector<Int64> whole;
  std::vector<double> floating;
  std::vector<Variant> mixed;

  Integer Compare(uint32_t a, uint32_t b) const {
    if (isNull[a] || isNull[b]) return isNull[a] == isNull[b] ? 0 : (isNull[a] ? -1 : 1);
    switch (kind) {
      case Whole:
        return whole[a] < whole[b] ? -1 : (whole[a] > whole[b] ? 1 : 0);
      case Floating:
        return floating[a] < floating[b] ? -1 : (floating[a] > floating[b] ? 1 : 0);
      case TextKey:
      case Text:
        break;  // ranked into whole numbers before the sort
      case Mixed:
        return CompareValuesForOrder(mixed[a], mixed[b], caseIns);
    }
    return 0;
  }
};

// One field of the records being sorted, read in place from each record's packed values.
struct FieldColumn {
  std::vector<const TRecValuesEh*> records;
  size_t field = 0;
  bool IsNull(size_t i) const { return records[i]->IsNullAt(field); }
};

SortColumn::Kind KindOf(const FieldColumn& values, bool caseIns) {
  bool whole = true, number = true, text = true;
  for (size_t i = 0; i < values.records.size(); ++i) {
    const TRecValuesEh& v = *values.records[i];
    if (v.IsNullAt(values.field)) continue;
    whole = whole && v.IsSignedAt(values.field);
    number = number && (v.IsSignedAt(values.field) || v.IsFloatAt(values.field));
    text = text && v.IsTextAt(values.field);
    if (!whole && !number && !text) return SortColumn::Mixed;
  }
  if (whole) return SortColumn::Whole;
  if (number) return SortColumn::Floating;
  return caseIns ? SortColumn::TextKey : SortColumn::Text;
}

// Texts become whole numbers: each distinct text is collated once (by its sort key when case does not
// count), and equal texts get the same rank, so the sort itself compares numbers.
void RankTexts(SortColumn& col, const FieldColumn& values) {
  const size_t n = values.records.size();
  std::unordered_map<std::u16string_view, uint32_t> distinct;
  std::vector<String> texts;
  std::vector<uint32_t> textOf(n, 0);
  for (size_t i = 0; i < n; ++i) {
    if (col.isNull[i]) continue;
    const std::u16string_view text = values.records[i]->TextAt(values.field);
    auto [it, added] = distinct.emplace(text, static_cast<uint32_t>(texts.size()));
    if (added) texts.emplace_back(text);
    textOf[i] = it->second;
  }
  std::vector<uint32_t> byOrder(texts.size());
  for (size_t t = 0; t < texts.size(); ++t) byOrder[t] = static_cast<uint32_t>(t);
  std::vector<Int64> rank(texts.size());
  if (col.caseIns) {
    std::vector<std::u32string> keys(texts.size());
    for (size_t t = 0; t < texts.size(); ++t) keys[t] = AnsiTextSortKey(texts[t]);
    std::sort(byOrder.begin(), byOrder.end(), [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
    for (size_t r = 0; r < byOrder.size(); ++r)
      rank[byOrder[r]] =
          r > 0 && keys[byOrder[r]] == keys[byOrder[r - 1]] ? rank[byOrder[r - 1]] : static_cast<Int64>(r);
  } else {
    std::sort(byOrder.begin(), byOrder.end(),
              [&](uint32_t a, uint32_t b) { return AnsiCompareStr(texts[a], texts[b]) < 0; });
    for (size_t r = 0; r < byOrder.size(); ++r)
      rank[byOrder[r]] = r > 0 && AnsiCompareStr(texts[byOrder[r]], texts[byOrder[r - 1]]) == 0
                             ? rank[byOrder[r - 1]]
                             : static_cast<Int64>(r);
  }
  col.kind = SortColumn::Whole;
  col.whole.assign(n, 0);
  for (size_t i = 0; i < n; ++i)
    if (!col.isNull[i]) col.whole[i] = rank[textOf[i]];
}

// Sorts by key, equal keys by store position. Keys of a narrow range (group codes, say) go by counting:
// first into store order (positions are distinct), then stably into key order.
template <class Keyed, class Before>
void SortKeyed(std::vector<Keyed>& keyed, const Before& before) {
  if (keyed.empty()) return;
  auto [lo, hi] = std::minmax_element(keyed.begin(), keyed.end(),
                                      [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
  const Int64 low = lo->key;
  const unsigned __int128 range = static_cast<unsigned __int128>(hi->key - static_cast<__int128>(low)) + 1;
  if (range > 4 * keyed.size() + 1024) {
    std::sort(keyed.begin(), keyed.end(), before);
    return;
  }
  Integer maxRec = 0;
  for (const Keyed& k : keyed) maxRec = std::max(maxRec, k.recIndex);
  std::vector<int32_t> atRec(static_cast<size_t>(maxRec) + 1, -1);
  for (size_t i = 0; i < keyed.size(); ++i)
    atRec[static_cast<size_t>(keyed[i].recIndex)] = static_cast<int32_t>(i);
  std::vector<size_t> start(static_cast<size_t>(range) + 1, 0);
  for (const Keyed& k : keyed) ++start[static_cast<size_t>(k.key - low) + 1];
  for (size_t b = 1; b < start.size(); ++b) start[b] += start[b - 1];
  std::vector<Keyed> sorted(keyed.size());
  for (int32_t i : atRec)
    if (i >= 0)
      sorted[start[static_cast<size_t>(keyed[static_cast<size_t>(i)].key - low)]++] =
          keyed[static_cast<size_t>(i)];
  keyed.swap(sorted);
}

// Whole-number columns (texts already ranked) whose ranges multiply into one 62-bit number sort as one
// key per record: column by column, no value first in an ascending column and last in a descending one.
bool SortByComposedKey(std::vector<TMemRecViewEh*>& list, const std::vector<SortColumn>& columns,
                       const std::vector<Integer>& recIndex) {
  const size_t n = list.size();
  struct Span {
    Int64 low;
    Int64 high;
    UInt64 width;  // the values and no value
  };
  std::vector<Span> spans;
  unsigned __int128 total = 1;
  for (const SortColumn& col : columns) {
    if (col.kind != SortColumn::Whole) return false;
    Int64 low = std::numeric_limits<Int64>::max(), high = std::numeric_limits<Int64>::min();
    for (size_t i = 0; i < n; ++i)
      if (!col.isNull[i]) {
        low = std::min(low, col.whole[i]);
        high = std::max(high, col.whole[i]);
      }
    if (low > high) low = high = 0;
    const unsigned __int128 width = static_cast<unsigned __int128>(static_cast<__int128>(high) - low) + 2;
    total *= width;
    if (total > (static_cast<unsigned __int128>(1) << 62)) return false;
    spans.push_back({low, high, static_cast<UInt64>(width)});
  }
  struct Keyed {
    Int64 key;
    Integer recIndex;
    uint32_t row;
  };
  std::vector<Keyed> keyed(n);
  for (size_t i = 0; i < n; ++i) {
    UInt64 key = 0;
    for (size_t j = 0; j < columns.size(); ++j) {
      const SortColumn& col = columns[j];
      const Span& span = spans[j];
      UInt64 code;
      if (col.isNull[i])
        code = col.desc ? span.width - 1 : 0;
      else
        code = col.desc ? static_cast<UInt64>(span.high - col.whole[i])
                        : static_cast<UInt64>(col.whole[i] - span.low) + 1;
      key = key * span.width + code;
    }
    keyed[i] = {static_cast<Int64>(key), recIndex[i], static_cast<uint32_t>(i)};
  }
  SortKeyed(keyed, [](const Keyed& a, const Keyed& b) {
    return a.key != b.key ? a.key < b.key : a.recIndex < b.recIndex;
  });
  std::vector<TMemRecViewEh*> sorted(n);
  for (size_t i = 0; i < n; ++i) sorted[i] = list[keyed[i].row];
  list.swap(sorted);
  return true;
}

}  // namespace

bool TRecordsViewEh::SortInStoreOrderByCounting(std::vector<TMemRecViewEh*>& list, TOrderByItemEh* item) {
  // A list still in store order whose keys span a narrow range (group codes, say) is sorted by counting
  // in one pass: equal keys keep store order because the list already has it. No value is a bucket of
  // its own, first in an ascending order and last in a descending one.
  const size_t n = list.size();
  const size_t field = static_cast<size_t>(item->MTFieldIndex);
  constexpr Int64 kNoValue = std::numeric_limits<Int64>::min();
  std::vector<Int64> keys(n);
  Int64 low = std::numeric_limits<Int64>::max(), high = std::numeric_limits<Int64>::min();
  Integer lastRec = -1;
  for (size_t i = 0; i < n; ++i) {
    TMemoryRecordEh* rec = list[i]->GetRec();
    if (rec->GetIndex() <= lastRec) return false;
    lastRec = rec->GetIndex();
    const TRecValuesEh& values = rec->GetData();
    if (values.IsNullAt(field)) {
      keys[i] = kNoValue;
      continue;
    }
    if (!values.IsSignedAt(field)) return false;
    const Int64 key = values.SignedAt(field);
    if (key == kNoValue) return false;
    keys[i] = key;
    low = std::min(low, key);
    high = std::max(high, key);
  }
  if (low > high) return true;  // no values: store order is the order
  const unsigned __int128 range = static_cast<unsigned __int128>(static_cast<__int128>(high) - low) + 1;
  if (range > 4 * n + 1024) return false;
  const size_t buckets = static_cast<size_t>(range) + 1;
  const bool desc = item->Desc;
  auto bucketOf = [&](Int64 key) -> size_t {
    if (key == kNoValue) return desc ? buckets - 1 : 0;
    return desc ? static_cast<size_t>(high - key) : static_cast<size_t>(key - low) + 1;
  };
  std::vector<size_t> start(buckets + 1, 0);
  for (Int64 key : keys) ++start[bucketOf(key) + 1];
  for (size_t b = 1; b < start.size(); ++b) start[b] += start[b - 1];
  std::vector<TMemRecViewEh*> sorted(n);
  for (size_t i = 0; i < n; ++i) sorted[start[bucketOf(keys[i])]++] = list[i];
  list.swap(sorted);
  return true;
}

bool TRecordsViewEh::SortByOneWholeKey(std::vector<TMemRecViewEh*>& list) {
  // One key of whole numbers (the common case of sorting by a code or an id): each record's key, its
  // store position and its row go side by side into one array, which is sorted as it is.
  if (FOrderByList->GetCount() != 1) return false;
  TOrderByItemEh* item = FOrderByList->GetItem(0);
  if (SortInStoreOrderByCounting(list, item)) return true;
  struct Keyed {
    Int64 key;
    Integer recIndex;
    uint32_t row;
  };
  std::vector<Keyed> keyed;
  std::vector<Keyed> nulls;
  keyed.reserve(list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    TMemoryRecordEh* rec = list[i]->GetRec();
    const TRecValuesEh& values = rec->GetData();
    const size_t field = static_cast<size_t>(item->MTFieldIndex);
    if (values.IsNullAt(field)) {
      nulls.push_back({0, rec->GetIndex(), static_cast<uint32_t>(i)});
    } else if (values.IsSignedAt(field)) {
      Int64 key = values.SignedAt(field);
      keyed.push_back({item->Desc ? ~key : key, rec->GetIndex(), static_cast<uint32_t>(i)});
    } else {
      return false;
    }
  }
  auto before = [](const Keyed& a, const Keyed& b) {
    return a.key != b.key ? a.key < b.key : a.recIndex < b.recIndex;
  };
  SortKeyed(keyed, before);
  std::sort(nulls.begin(), nulls.end(), before);
  // No value sorts first, so it comes last in a descending order.
  std::vector<TMemRecViewEh*> sorted;
  sorted.reserve(list.size());
  auto append = [&](const std::vector<Keyed>& part) {
    for (const Keyed& k : part) sorted.push_back(list[k.row]);
  };
  if (item->Desc) {
    append(keyed);
    append(nulls);
  } else {
    append(nulls);
    append(keyed);
  }
  list.swap(sorted);
  return true;
}

void TRecordsViewEh::SortItemsByOrderBy(std::vector<TMemRecViewEh*>& list) {
  if (SortByOneWholeKey(list)) return;
  // The same order as CompareRecords with the built-in comparison, on typed keys taken out of the
  // records once: the sort compares plain numbers and collation keys, not Variants.
  const size_t n = list.size();
  const size_t k = static_cast<size_t>(FOrderByList->GetCount());
  std::vector<Integer> recIndex(n);
  for (size_t i = 0; i < n; ++i) recIndex[i] = list[i]->GetRec()->GetIndex();
  std::vector<SortColumn> columns(k);
  for (size_t j = 0; j < k; ++j) {
    TOrderByItemEh* item = FOrderByList->GetItem(static_cast<Integer>(j));
    SortColumn& col = columns[j];
    col.desc = item->Desc;
    col.caseIns = item->CaseIns;
    FieldColumn values;
    values.field = static_cast<size_t>(item->MTFieldIndex);
    values.records.resize(n);
    for (size_t i = 0; i < n; ++i) values.records[i] = &list[i]->GetRec()->GetData();
    col.kind = KindOf(values, col.caseIns);
    col.isNull.resize(n);
    for (size_t i = 0; i < n; ++i) col.isNull[i] = values.IsNull(i);
    const size_t f = values.field;
    switch (col.kind) {
      case SortColumn::Whole:
        col.whole.resize(n);
        for (size_t i = 0; i < n; ++i)
          if (!col.isNull[i]) col.whole[i] = values.records[i]->SignedAt(f);
        break;
      case SortColumn::Floating:
        col.floating.resize(n);
        for (size_t i = 0; i < n; ++i)
          if (!col.isNull[i])
            col.floating[i] = values.records[i]->IsSignedAt(f)
                                  ? static_cast<double>(values.records[i]->SignedAt(f))
                                  : values.records[i]->FloatAt(f);
        break;
      case SortColumn::TextKey:
      case SortColumn::Text:
        RankTexts(col, values);
        break;
      case SortColumn::Mixed:
        col.mixed.resize(n);
        for (size_t i = 0; i < n; ++i) col.mixed[i] = (*values.records[i])[f];
        break;
    }
  }
  if (SortByComposedKey(list, columns, recIndex)) return;
  std::vector<uint32_t> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = static_cast<uint32_t>(i);
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    for (const SortColumn& col : columns) {
      Integer c = col.Compare(a, b);
      if (c != 0) return col.desc ? c > 0 : c < 0;
    }
    return recIndex[a] < recIndex[b];
  });
  std::vector<TMemRecViewEh*> sorted(n);
  for (size_t i = 0; i < n; ++i) sorted[i] = list[order[i]];
  list.swap(sorted);
}

void TRecordsViewEh::ResortTree() {
  if (!FViewAsTreeList) return;
  if (FMemoryTreeList->GetSortOrder() == FSortOrder)
    FMemoryTreeList->Resort();
  else
    FMemoryTreeList->SetSortOrder(FSortOrder);
}

void TRecordsViewEh::QuickSort(std::vector<TMemRecViewEh*>& viewList, Integer l, Integer r,
                               const TCompareRecords& compare, TObject* paramSort) {
  QuickSortRange(
      l, r,
      [&](Integer a, Integer b) {
        return compare(viewList[static_cast<size_t>(a)]->GetRec(), viewList[static_cast<size_t>(b)]->GetRec(),
                       paramSort);
      },
      [&](Integer a, Integer b) {
        std::swap(viewList[static_cast<size_t>(a)], viewList[static_cast<size_t>(b)]);
      });
}

void TRecordsViewEh::SortData(const TCompareRecords& compare, TObject* paramSort) {
  QuickSort(FSorderViewList, 0, static_cast<Integer>(FSorderViewList.size()) - 1, compare, paramSort);
  // A view that shows every record holds the same items, so it takes the sorted order as it is.
  if (FMemoryViewList.size() == FSorderViewList.size())
    FMemoryViewList = FSorderViewList;
  else
    QuickSort(FMemoryViewList, 0, static_cast<Integer>(FMemoryViewList.size()) - 1, compare, paramSort);
  RenumberSortedList();
  ViewDataEvent(nullptr, -1, rlnListChangedEh);
}

// ---- notifications

void TRecordsViewEh::RecalcAggregates() {
  if (FAggregates) FAggregates->Recalc();
}

void TRecordsViewEh::AddNotificator(TRecordsListNotificatorEh* notificator) {
  FNotificators.push_back(notificator);
}

void TRecordsViewEh::RemoveNotificator(TRecordsListNotificatorEh* notificator) {
  FNotificators.erase(std::remove(FNotificators.begin(), FNotificators.end(), notificator),
                      FNotificators.end());
}

void TRecordsViewEh::ViewDataEvent(TMemoryRecordEh* memRec, Integer index, TRecordsListNotification action) {
  FCatchChanged = true;
  RecalcAggregates();
  if (OnViewDataEvent) OnViewDataEvent(memRec, index, action);
  auto notificators = FNotificators;
  for (TRecordsListNotificatorEh* n : notificators) n->DataEvent(memRec, index, action);
}

void TRecordsViewEh::ViewRecordMoved(TMemoryRecordEh* item, Integer oldIndex, Integer newIndex) {
  if (OnViewRecordMovedEvent) OnViewRecordMovedEvent(item, oldIndex, newIndex);
  auto notificators = FNotificators;
  for (TRecordsListNotificatorEh* n : notificators) n->RecordMoved(item, oldIndex, newIndex);
}

bool TRecordsViewEh::IsSelfReference(TMemoryRecordEh* rec) {
  if (FTreeViewKeyFields.empty() || FTreeViewRefParentFields.empty()) return false;
  Variant ref = ValuesAt(rec, FTreeViewRefParentFields);
  if (VarIsNull(ref) || VarIsEmpty(ref)) return false;
  return VarEqualsEh(ref, ValuesAt(rec, FTreeViewKeyFields));
}

void TRecordsViewEh::DataEvent(TMemoryRecordEh* rec, Integer index, TRecordsListNotification action) {
  inherited::DataEvent(rec, index, action);
  if (FDisableFilterCount >= 1) return;

  // Refused changes are refused before the flat lists are touched.
  if (FViewAsTreeList && (action == rlnRecAddingEh || action == rlnRecChangingEh)) {
    // A record that names itself as parent would be its own ancestor too.
    if (IsSelfReference(rec) || FMemoryTreeList->CheckReferenceLoop(rec, Variant()))
      throw Exception(kReferenceLoop);
    return;
  }

  bool posted = false;
  TMemoryRecordEh* postRec = nullptr;
  Integer postIndex = -1;
  TRecordsListNotification postAction = action;
  auto post = [&](TMemoryRecordEh* r, Integer i, TRecordsListNotification a) {
    posted = true;
    postRec = r;
    postIndex = i;
    postAction = a;
  };

  switch (action) {
    case rlnRecAddedEh: {
      TMemRecViewEh* item = InsertSortedListItem(rec, index);
      if (!FViewAsTreeList && IsRecordInFilter(rec, index, nullptr)) {
        Integer p = FindSortedInsertPos(FMemoryViewList, rec, -1);
        p = std::min(p, static_cast<Integer>(FMemoryViewList.size()));
        InsertViewItem(item, p);
        post(rec, p, rlnRecAddedEh);
      }
      break;
    }
    case rlnRecChangedEh:
    case rlnRecMarkedForDelEh: {
      Integer old = IndexInViewList(rec);
      TMemRecViewEh* item = ItemOfRecord(rec);
      if (old >= 0) FMemoryViewList.erase(FMemoryViewList.begin() + old);
      if (!item || FViewAsTreeList) break;
      Integer now = FindSortedInsertPos(FMemoryViewList, rec, old);
      if (IsRecordInFilter(rec, index, nullptr)) {
        now = std::min(now, static_cast<Integer>(FMemoryViewList.size()));
        InsertViewItem(item, now);
      } else {
        now = -1;
      }
      if (old >= 0 && now >= 0) {
        if (old != now) ViewRecordMoved(rec, old, now);
        post(rec, now, action);
      } else if (old < 0 && now >= 0) {
        post(rec, now, rlnRecAddedEh);
      } else if (old >= 0 && now < 0) {
        post(rec, old, rlnRecDeletedEh);
      }
      break;
    }
    case rlnRecDeletedEh: {
      Integer p = IndexInViewList(rec);
      if (p >= 0) {
        FMemoryViewList.erase(FMemoryViewList.begin() + p);
        post(rec, p, rlnRecDeletedEh);
      }
      if (!FViewAsTreeList) RemoveSortedListItem(rec, index);
      break;
    }
    case rlnListChangedEh:
      RefreshFilteredRecsList(false);
      post(rec, index, rlnListChangedEh);
      break;
    default:
      break;
  }

  if (FViewAsTreeList) {
    TreeDataEvent(rec, action);
    if (action == rlnRecDeletedEh) RemoveSortedListItem(rec, index);
  }

  switch (action) {
    case rlnRecAddedEh:
    case rlnRecChangedEh:
    case rlnRecDeletedEh:
    case rlnListChangedEh:
    case rlnRecMarkedForDelEh:
      RecalcAggregates();
      break;
    default:
      break;
  }

  if (FViewAsTreeList && FMemoryTreeList->GetVisibleItemsObsolete())
    ViewDataEvent(nullptr, -1, rlnListChangedEh);
  else if (posted)
    ViewDataEvent(postRec, postIndex, postAction);
}

void TRecordsViewEh::TreeDataEvent(TMemoryRecordEh* rec, TRecordsListNotification action) {
  TMemoryTreeListEh* tree = FMemoryTreeList.get();
  switch (action) {
    case rlnRecAddedEh: {
      TMemRecViewEh* node =
          tree->AddChildAtKey(FTreeViewKeyFieldName, FTreeViewKeyFieldName, FTreeViewRefParentFieldName, rec);
      tree->UpdateNodeState(node, true);
      break;
    }
    case rlnRecChangedEh: {
      TMemRecViewEh* node = tree->NodeOfRecord(rec);
      if (!node) break;
      tree->UpdateParent(node, FTreeViewKeyFieldName, FTreeViewRefParentFieldName, rec, true);
      tree->UpdateNodeState(node, true);
      break;
    }
    case rlnRecDeletedEh:
    case rlnRecMarkedForDelEh: {
      TMemRecViewEh* node = tree->NodeOfRecord(rec);
      if (!node) break;
      std::vector<TMemoryRecordEh*> orphans;
      tree->GetRecordsList(orphans, node, true);
      auto* parent = node->GetNodeParent();
      // The descendants' nodes are kept and reattached, not freed and made anew.
      tree->KeepSubtree(node);
      tree->DeleteNode(node, true);
      for (TMemoryRecordEh* orphan : orphans)
        tree->AddChildAtKey(String(), FTreeViewKeyFieldName, FTreeViewRefParentFieldName, orphan);
      tree->FreeKeptNodes();
      tree->UpdateNodeState(parent, true);
      break;
    }
    case rlnListChangedEh:
      RebuildMemoryTreeList();
      RefreshFilteredRecsTreeList();
      break;
    default:
      break;
  }
}

void TRecordsViewEh::RecordMoved(TMemoryRecordEh* rec, Integer oldIndex, Integer newIndex) {
  inherited::RecordMoved(rec, oldIndex, newIndex);
  if (FDisableFilterCount >= 1) return;
  if (FViewAsTreeList) {
    TMemRecViewEh* node = FMemoryTreeList->NodeOfRecord(rec);
    if (!node) return;
    TMemRecViewEh* parent = node->GetNodeParent();
    TMemRecViewEh* before = nullptr;
    for (Integer i = 0; i < parent->GetCount() && !before; ++i) {
      auto* sibling = parent->GetNodeItem(i);
      if (sibling != node && sibling->GetRec()->GetIndex() > rec->GetIndex()) before = sibling;
    }
    if (before)
      FMemoryTreeList->MoveTo(node, before, naInsertEh, true);
    else
      FMemoryTreeList->MoveTo(node, parent, naAddChildEh, true);
    ViewDataEvent(nullptr, -1, rlnListChangedEh);
    return;
  }
  // The sorted list follows the store's order: its items shift like the records did.
  if (TMemRecViewEh* item = ItemOfRecord(rec)) {
    auto from = std::find(FSorderViewList.begin(), FSorderViewList.end(), item);
    if (from != FSorderViewList.end()) {
      FSorderViewList.erase(from);
      Integer to = FindSortedInsertPos(FSorderViewList, rec, -1);
      FSorderViewList.insert(FSorderViewList.begin() + to, item);
      FSortedListIndexesObsolete = true;
    }
  }
  Integer from = IndexInViewList(rec);
  if (from < 0) return;
  TMemRecViewEh* item = FMemoryViewList[static_cast<size_t>(from)];
  FMemoryViewList.erase(FMemoryViewList.begin() + from);
  Integer to = FindSortedInsertPos(FMemoryViewList, rec, from);
  FMemoryViewList.insert(FMemoryViewList.begin() + to, item);
  if (from != to) ViewDataEvent(nullptr, -1, rlnListChangingEh);
}

Variant TRecordsViewEh::CalcAggrFieldFunc(const String& fieldName, const String& aggrFuncName) {
  if (fieldName == u"*" && aggrFuncName == u"COUNT") return Variant(Count());
  TMTDataStructEh* ds = GetDataStruct();
  Integer field = ds ? ds->FieldIndex(fieldName) : -1;
  if (field < 0) throw Exception(u"Invalid field name: " + fieldName);
  if (aggrFuncName != u"SUM" && aggrFuncName != u"COUNT" && aggrFuncName != u"MIN" &&
      aggrFuncName != u"MAX" && aggrFuncName != u"AVG")
    throw Exception(u"Unsupported aggrigate function: " + aggrFuncName);
  Variant result = Variant(0);
  Variant running = Null();
  Integer counted = 0;
  for (Integer row = 0; row < Count(); ++row) {
    Variant v = GetValue(row, field);
    if (VarIsNull(v) || VarIsEmpty(v)) continue;
    ++counted;
    if (aggrFuncName == u"SUM" || aggrFuncName == u"AVG")
      result = result + v;
    else if (aggrFuncName == u"COUNT")
      result = result + Variant(1);
    else if (aggrFuncName == u"MIN") {
      if (VarIsNull(running) || v < running) running = v;
    } else if (VarIsNull(running) || v > running) {
      running = v;
    }
  }
  if (aggrFuncName == u"MIN" || aggrFuncName == u"MAX") return running;
  // The average of the values present; no value, no average.
  if (aggrFuncName == u"AVG")
    return counted == 0 ? Null() : Variant(VarAsType(result, varDouble).AsDouble() / counted);
  return result;
}

// ---------------------------------------------------------------- TViewAwareNotificatorEh

void TViewAwareNotificatorEh::JoinDataObject(TComponent* dataObject) {
  if (auto* view = dynamic_cast<TRecordsViewEh*>(dataObject)) {
    view->AddNotificator(this);
    return;
  }
  inherited::JoinDataObject(dataObject);
}

void TViewAwareNotificatorEh::LeaveDataObject(TComponent* dataObject) {
  if (auto* view = dynamic_cast<TRecordsViewEh*>(dataObject)) {
    view->RemoveNotificator(this);
    return;
  }
  inherited::LeaveDataObject(dataObject);
}
