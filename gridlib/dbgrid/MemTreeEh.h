// The generic in-memory tree of the grid library: nodes with levels, sibling indexes, expansion,
// visibility and a lazily built list of visible children; titles, grouping and record trees derive from it.
#pragma once

#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/Delegate.h"
#include "platform/classes/Object.h"
#include "platform/rtl/Types.h"

class TBaseTreeNodeEh;
class TTreeListEh;

using TTreeNodeClassEh = TClass;

enum TNodeAttachModeEh { naAddEh, naAddFirstEh, naAddChildEh, naAddChildFirstEh, naInsertEh, naAddAfterEh };

// Negative when Node1 goes first.
using TCompareNodesEh =
    TDelegate<Integer(TBaseTreeNodeEh* Node1, TBaseTreeNodeEh* Node2, TObject* ParamSort)>;
using TTreeNodeNotifyEvent = TDelegate<void(TBaseTreeNodeEh* Sender)>;
using TTreeNodeNotifyResultEvent = TDelegate<bool(TBaseTreeNodeEh* Sender)>;
using TTreeNodeIterativeEvent = TDelegate<void(TBaseTreeNodeEh* Sender, TObject* Param)>;

class TBaseTreeNodeEh : public TPersistent {
  KIV_CLASS(TBaseTreeNodeEh, TPersistent)
 public:
  using TNodeList = std::vector<TBaseTreeNodeEh*>;

  TBaseTreeNodeEh();
  // Frees the whole subtree; does not detach the node from its parent.
  ~TBaseTreeNodeEh() override;

  Integer GetCount() const { return static_cast<Integer>(FItems.size()); }
  TBaseTreeNodeEh* GetItem(Integer index) const { return FItems.at(static_cast<size_t>(index)); }
  const TNodeList& Items() const { return FItems; }
  Integer GetVisibleCount();
  TBaseTreeNodeEh* GetVisibleItem(Integer index);
  bool GetHasVisibleChildren();
  bool GetHasChildren() const { return FHasChildren; }

  bool GetExpanded() const { return FExpanded; }
  void SetExpanded(bool value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool value);
  const String& GetText() const { return FText; }
  void SetText(const String& value) { FText = value; }
  TObject* GetData() const { return FData; }
  void SetData(TObject* value) { FData = value; }
  Integer GetLevel() const { return FLevel; }
  Integer GetIndex() const { return FIndex; }
  Integer GetVisibleIndex() const { return FVisibleIndex; }
  TBaseTreeNodeEh* GetParent() const { return FParent; }
  TTreeListEh* GetTreeList() const { return FOwner; }

  // Child list primitives; the tree list sets parent, level and indexes around them.
  Integer Add(TBaseTreeNodeEh* node);
  void Insert(Integer index, TBaseTreeNodeEh* node);
  void Delete(Integer index);
  void ExchangeItems(Integer index1, Integer index2);
  void SetLevel(Integer value);
  // True when node is this node or one of its ancestors below the root.
  bool IsInSubtreeOf(const TBaseTreeNodeEh* node) const;

  virtual bool ExpandedChanging();
  virtual bool VisibleChanging();
  virtual void VisibleItemsBecomeObsolete();
  virtual void ChildVisibleChanged(TBaseTreeNodeEh* node);
  virtual void ClearItems();
  virtual void ExpandedChanged();
  virtual void SortData(const TCompareNodesEh& compareProg, TObject* paramSort, bool aRecurse);
  virtual void VisibleChanged();

 protected:
  friend class TTreeListEh;

  // The item list itself serves as the visible list while every child is visible.
  const TNodeList& GetVisibleItemsList();
  void BuildVisibleItems();
  void CheckSameOwner(const TBaseTreeNodeEh* node) const;
  void QuickSort(Integer l, Integer r, const TCompareNodesEh& compareProg, TObject* paramSort);

  TObject* FData = nullptr;
  bool FExpanded = false;
  bool FHasChildren = false;
  bool FHasVisibleChildren = false;
  Integer FIndex = 0;
  TNodeList FItems;
  Integer FLevel = 0;
  TTreeListEh* FOwner = nullptr;
  TBaseTreeNodeEh* FParent = nullptr;
  String FText;
  bool FVisible = true;
  Integer FVisibleCount = 0;
  Integer FVisibleIndex = 0;
  TNodeList FVisibleItems;
  bool FVisibleItemsObsolete = false;
};

class TTreeListEh : public TComponent {
  KIV_CLASS(TTreeListEh, TComponent)
 public:
  TTreeListEh() : TTreeListEh(TBaseTreeNodeEh::StaticClass()) {}
  explicit TTreeListEh(TTreeNodeClassEh itemClass);
  ~TTreeListEh() override;

  TBaseTreeNodeEh* GetRoot() const { return FRoot; }
  TTreeNodeClassEh GetItemClass() const { return FItemClass; }
  Integer GetMaxLevel() const { return FMaxLevel; }
  void SetMaxLevel(Integer value) { FMaxLevel = value; }

  TBaseTreeNodeEh* NewNode(const String& text, TObject* data);
  TBaseTreeNodeEh* AddChild(const String& text, TBaseTreeNodeEh* parent, TObject* data);
  void AddNode(TBaseTreeNodeEh* node, TBaseTreeNodeEh* destination, TNodeAttachModeEh mode, bool reIndex);
  void DetachNode(TBaseTreeNodeEh* node, bool reIndex);
  void DeleteChildren(TBaseTreeNodeEh* node);
  void DeleteNode(TBaseTreeNodeEh* node, bool reIndex);
  void Clear();
  void Expand(TBaseTreeNodeEh* node, bool recurse);
  void Collapse(TBaseTreeNodeEh* node, bool recurse);
  TBaseTreeNodeEh* FindNodeByData(TBaseTreeNodeEh* startNode, TObject* data) const;

  TBaseTreeNodeEh* GetFirstChild(TBaseTreeNodeEh* node) const;
  TBaseTreeNodeEh* GetLastChild(TBaseTreeNodeEh* node) const;
  TBaseTreeNodeEh* GetNextSibling(TBaseTreeNodeEh* node) const;
  TBaseTreeNodeEh* GetPrevSibling(TBaseTreeNodeEh* node) const;
  bool HasChildNodes(TBaseTreeNodeEh* node) const;
  TBaseTreeNodeEh* GetFirst() const;
  TBaseTreeNodeEh* GetNextVisibleSibling(TBaseTreeNodeEh* node) const;
  TBaseTreeNodeEh* GetPriorVisibleSibling(TBaseTreeNodeEh* node) const;

  TBaseTreeNodeEh* GetNext(TBaseTreeNodeEh* node) const;
  TBaseTreeNodeEh* GetPrevious(TBaseTreeNodeEh* node) const;
  TBaseTreeNodeEh* GetLast(TBaseTreeNodeEh* node = nullptr) const;
  TBaseTreeNodeEh* GetFirstVisible() const;
  TBaseTreeNodeEh* GetNextVisible(TBaseTreeNodeEh* node, bool considerCollapsed) const;
  bool GetPathVisible(TBaseTreeNodeEh* node, bool considerCollapsed) const;
  TBaseTreeNodeEh* GetVisibleAncestor(TBaseTreeNodeEh* node, bool considerCollapsed) const;

  void ReIndexChildren(TBaseTreeNodeEh* node, bool recurse, Integer fromIndex, Integer toIndex);

  virtual Integer CompareTreeNodes(TBaseTreeNodeEh* node1, TBaseTreeNodeEh* node2, TObject* paramSort);
  virtual bool ExpandedChanging(TBaseTreeNodeEh* node);
  virtual void ExpandedChanged(TBaseTreeNodeEh* node);
  virtual void MoveTo(TBaseTreeNodeEh* node, TBaseTreeNodeEh* destination, TNodeAttachModeEh mode,
                      bool reIndex);
  virtual void SortData(const TCompareNodesEh& compareProg, TObject* paramSort, bool aRecurse);
  virtual void NodeAttachmentChanged(TBaseTreeNodeEh* node, bool detached, Integer oldIndex,
                                     TBaseTreeNodeEh* oldParent);

  TTreeNodeNotifyEvent OnExpandedChanged;
  TTreeNodeNotifyResultEvent OnExpandedChanging;

 protected:
  void CheckLevelFits(const TBaseTreeNodeEh* node, const TBaseTreeNodeEh* newParent) const;
  TBaseTreeNodeEh* AttachParentOf(TBaseTreeNodeEh* destination, TNodeAttachModeEh mode) const;

  TTreeNodeClassEh FItemClass;
  Integer FMaxLevel = 1000;
  TBaseTreeNodeEh* FRoot = nullptr;
};
