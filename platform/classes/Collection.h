// TCollection and TCollectionItem: an owned, ordered list of items of one class that streams as
// `<item ... end>` and tells its owner about changes through Update and Notify.
#pragma once

#include <vector>

#include "platform/classes/Object.h"

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
  KIV_CLASS(TCollectionItem, TPersistent)
 public:
  using TCreateArg = TCollection*;

  // With a collection the item is being made by that collection's Add: it knows its collection at
  // once, but joins it (Notify, Update) only when Add has it whole, so no collection ever sees a
  // half-built item. Made elsewhere with a collection, it raises EListError.
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;

  TCollection* GetCollection() const { return collection_ ? collection_ : joining_; }
  // Moves the item to another collection (or out of any, with null); a collection of another item
  // class refuses it with EListError and the item stays where it was.
  virtual void SetCollection(TCollection* collection);
  Integer GetID() const { return id_; }
  int GetIndex() const;
  // Moves the item inside its collection; raises EListError for an index outside it.
  virtual void SetIndex(int index);
  virtual String GetDisplayName() const;
  virtual void SetDisplayName(const String& value);
  String GetNamePath() const override;
  TPersistent* GetOwner() const override;

 protected:
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  // The collection whose Add is making this item; it is not listed there yet.
  TCollection* joining_ = nullptr;
  Integer id_ = 0;
};

using TCollectionItemClass = TClass;

class TCollection : public TPersistent {
  KIV_CLASS(TCollection, TPersistent)
 public:
  explicit TCollection(TCollectionItemClass itemClass);
  ~TCollection() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  void Delete(int index);
  void Clear();
  // Raises EListError "List index out of bounds (%d)".
  TCollectionItem* GetItem(int index) const;
  void SetItem(int index, TCollectionItem* value) { GetItem(index)->Assign(value); }
  int GetCount() const { return static_cast<int>(items_.size()); }
  TCollectionItemClass GetItemClass() const { return itemClass_; }
  // For an owner whose collection is made before the owner's own item class is known (a base class
  // constructor making it); items added from then on are of the new class.
  void SetItemClass(TCollectionItemClass value) { itemClass_ = value; }
  TCollectionItem* FindItemID(Integer id) const;
  void Exchange(int index1, int index2);

  virtual void BeginUpdate() { ++updateCount_; }
  virtual void EndUpdate();
  int GetUpdateCount() const { return updateCount_; }

  void Assign(TPersistent* source) override;
  String GetNamePath() const override;
  // The property of the owner that holds this collection; "" when none does.
  String GetPropName() const;

  template <class T>
  T* Items(int index) const {
    return static_cast<T*>(GetItem(index));
  }

 protected:
  // item null means "every item"; called when no update is pending.
  virtual void Update(TCollectionItem*) {}
  virtual void Notify(TCollectionItem*, TCollectionNotification) {}
  virtual void SetItemName(TCollectionItem*) {}
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);

  TCollectionItemClass itemClass_;
  std::vector<TCollectionItem*> items_;
  int updateCount_ = 0;
  int makingItems_ = 0;
  Integer nextId_ = 0;
};

// A collection that knows its owner (the component or object holding it).
class TOwnedCollection : public TCollection {
  KIV_CLASS(TOwnedCollection, TCollection)
 public:
  TOwnedCollection(TPersistent* owner, TCollectionItemClass itemClass)
      : TCollection(itemClass), owner_(owner) {}
  TPersistent* GetOwner() const override { return owner_; }

 private:
  TPersistent* owner_;
};
