// TCollection and TCollectionItem.
#include "platform/classes/Collection.h"

#include <algorithm>

#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

// The item is listed by the Add that makes it, after its own constructor has run.
TCollectionItem::TCollectionItem(TCollection* collection) {
  if (!collection) return;
  if (collection->makingItems_ == 0) throw EListError(u"A collection item is made by its collection's Add");
  joining_ = collection;
}

TCollectionItem::~TCollectionItem() {
  if (collection_) collection_->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* collection) {
  joining_ = nullptr;
  if (collection_ == collection) return;
  // Refused before the item leaves its present collection, so a refusal does not orphan it.
  if (collection && !InheritsFrom(collection->itemClass_)) throw EListError(u"Invalid property value");
  if (collection_) collection_->RemoveItem(this);
  if (collection) collection->InsertItem(this);
}

int TCollectionItem::GetIndex() const {
  if (!collection_) return -1;
  auto& items = collection_->items_;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int index) {
  int current = GetIndex();
  if (current < 0 || current == index) return;
  auto& items = collection_->items_;
  if (index < 0 || index >= static_cast<int>(items.size())) RaiseListIndexError(index);
  items.erase(items.begin() + current);
  items.insert(items.begin() + index, this);
  Changed(true);
}

String TCollectionItem::GetDisplayName() const { return ClassName(); }

void TCollectionItem::SetDisplayName(const String&) { Changed(false); }

String TCollectionItem::GetNamePath() const {
  if (!collection_) return ClassName();
  return collection_->GetNamePath() + u"[" + IntToStr(GetIndex()) + u"]";
}

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

void TCollectionItem::Changed(bool allItems) {
  if (collection_ && collection_->updateCount_ == 0) collection_->Update(allItems ? nullptr : this);
}

TCollection::TCollection(TCollectionItemClass itemClass) : itemClass_(itemClass) {}

TCollection::~TCollection() {
  updateCount_ = 1;
  // The derived parts that listen to Notify and Update are gone: the items only have to go, last
  // first, each leaving the list as it is freed.
  while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::Add() {
  TCollectionItem* item = nullptr;
  {
    ++makingItems_;
    auto made = MakeScopeExit([this] { --makingItems_; });
    item = itemClass_->Create<TCollectionItem>(this);
  }
  if (item->joining_ == this) {
    item->joining_ = nullptr;
    InsertItem(item);
  } else if (item->collection_ != this) {
    item->SetCollection(this);
  }
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  TCollectionItem* item = Add();
  auto dropItem = MakeScopeExit([&] { delete item; });
  item->SetIndex(index);
  dropItem.Release();
  return item;
}

void TCollection::Delete(int index) {
  TCollectionItem* item = GetItem(index);
  Notify(item, cnDeleting);
  delete item;
}

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  // EndUpdate tells the listeners, which may raise.
  TryFinally(
      [&] {
        while (!items_.empty()) Delete(GetCount() - 1);
      },
      [&] { EndUpdate(); });
}

TCollectionItem* TCollection::GetItem(int index) const {
  if (index < 0 || index >= GetCount()) RaiseListIndexError(index);
  return items_[index];
}

TCollectionItem* TCollection::FindItemID(Integer id) const {
  for (TCollectionItem* item : items_)
    if (item->id_ == id) return item;
  return nullptr;
}

void TCollection::Exchange(int index1, int index2) {
  if (index1 < 0 || index1 >= GetCount()) RaiseListIndexError(index1);
  if (index2 < 0 || index2 >= GetCount()) RaiseListIndexError(index2);
  std::swap(items_[index1], items_[index2]);
  Changed();
}

void TCollection::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  Changed();
}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item) {
  items_.push_back(item);
  item->collection_ = this;
  item->id_ = nextId_++;
  SetItemName(item);
  Notify(item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
  Notify(item, cnExtracting);
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it != items_.end()) items_.erase(it);
  item->collection_ = nullptr;
  Changed();
}

void TCollection::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TCollection*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  TryFinally(
      [&] {
        Clear();
        for (TCollectionItem* item : other->items_) Add()->Assign(item);
      },
      [&] { EndUpdate(); });
}

String TCollection::GetPropName() const {
  TPersistent* owner = GetOwner();
  if (!owner) return String();
  for (const TPropInfo* info : GetPropList(owner))
    if (info->Kind() == tkClass && info->GetObj && info->GetObj(owner) == this) return info->Name;
  return String();
}

String TCollection::GetNamePath() const {
  String result = ClassName();
  TPersistent* owner = GetOwner();
  if (!owner) return result;
  String ownerPath = owner->GetNamePath();
  if (ownerPath.empty()) return result;
  String prop = GetPropName();
  if (prop.empty()) return result;
  return ownerPath + u"." + prop;
}
