// Pointer and object lists (TList, TObjectList), the interface list, and a dictionary from strings
// to objects with an owning mode and a replaceable comparer.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/classes/Object.h"

enum TListNotification { lnAdded, lnExtracted, lnDeleted };
using TListSortCompare = std::function<int(void* item1, void* item2)>;

class TList : public TObject {
  KIV_CLASS(TList, TObject)
 public:
  TList() = default;
  ~TList() override;

  int Add(void* item);
  void Insert(int index, void* item);
  // Index errors raise EListError "List index out of bounds (%d)".
  void* Get(int index) const;
  void Put(int index, void* item);
  void* operator[](int index) const { return Get(index); }
  void* Items(int index) const { return Get(index); }
  void Delete(int index);
  virtual void Clear();
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  int IndexOf(const void* item) const;
  int Remove(void* item);
  // Takes the item out without the "deleted" notification (an owning list does not free it).
  void* Extract(void* item);
  void* First() const { return Get(0); }
  void* Last() const { return Get(GetCount() - 1); }
  int GetCount() const { return static_cast<int>(items_.size()); }
  void SetCount(int count);
  int GetCapacity() const { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int capacity);
  void Pack();
  // The class library's quicksort (not stable).
  void Sort(const TListSortCompare& compare);
  void Assign(const TList* source);
  const std::vector<void*>& List() const { return items_; }

 protected:
  virtual void Notify(void*, TListNotification) {}

 private:
  void CheckIndex(int index) const;
  std::vector<void*> items_;
};

class TObjectList : public TList {
  KIV_CLASS(TObjectList, TList)
 public:
  explicit TObjectList(bool ownsObjects = true) : ownsObjects_(ownsObjects) {}
  ~TObjectList() override;

  int Add(TObject* object) { return TList::Add(object); }
  void Insert(int index, TObject* object) { TList::Insert(index, object); }
  TObject* Get(int index) const { return static_cast<TObject*>(TList::Get(index)); }
  TObject* operator[](int index) const { return Get(index); }
  TObject* Items(int index) const { return Get(index); }
  void Put(int index, TObject* object) { TList::Put(index, object); }
  int IndexOf(const TObject* object) const { return TList::IndexOf(object); }
  int Remove(TObject* object) { return TList::Remove(object); }
  TObject* Extract(TObject* object) { return static_cast<TObject*>(TList::Extract(object)); }
  bool GetOwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool owns) { ownsObjects_ = owns; }

 protected:
  void Notify(void* item, TListNotification action) override;

 private:
  bool ownsObjects_;
};

// The root of the project's reference-counted interfaces.
class IInterface {
 public:
  virtual ~IInterface() = default;
};
using IInterfacePtr = std::shared_ptr<IInterface>;

// A thread-safe list of interface references; it holds a reference to each.
class TInterfaceList : public TObject {
  KIV_CLASS(TInterfaceList, TObject)
 public:
  int Add(IInterfacePtr item);
  void Insert(int index, IInterfacePtr item);
  IInterfacePtr Get(int index) const;
  IInterfacePtr operator[](int index) const { return Get(index); }
  void Put(int index, IInterfacePtr item);
  void Delete(int index);
  void Clear();
  void Exchange(int index1, int index2);
  int IndexOf(const IInterface* item) const;
  int Remove(const IInterface* item);
  int GetCount() const;
  IInterfacePtr First() const { return Get(0); }
  IInterfacePtr Last() const { return Get(GetCount() - 1); }
  void Lock() { mutex_.lock(); }
  void Unlock() { mutex_.unlock(); }

 private:
  void CheckIndex(int index) const;
  mutable std::recursive_mutex mutex_;
  std::vector<IInterfacePtr> items_;
};

// How the dictionary compares and hashes its keys.
struct TStringComparer {
  std::function<bool(const String&, const String&)> Equals;
  std::function<size_t(const String&)> Hash;

  static TStringComparer Ordinal();
  // Case-insensitive with the full Unicode mapping (Cyrillic included).
  static TStringComparer IgnoreCase();
};

enum TDictionaryOwnership { doOwnsKeys, doOwnsValues };

// String keys, object values. With doOwnsValues the dictionary frees values it removes or replaces.
template <class V = TObject>
class TObjectDictionary {
 public:
  explicit TObjectDictionary(bool ownsValues = false, TStringComparer comparer = TStringComparer::Ordinal())
      : ownsValues_(ownsValues), map_(0, Hasher{comparer.Hash}, KeyEqual{comparer.Equals}) {}
  TObjectDictionary(const TObjectDictionary&) = delete;
  TObjectDictionary& operator=(const TObjectDictionary&) = delete;
  ~TObjectDictionary() { Clear(); }

  // A key that is there already raises EListError "Duplicates not allowed".
  void Add(const String& key, V* value) {
    if (!map_.emplace(key, value).second) throw EListError(u"Duplicates not allowed");
  }
  void AddOrSetValue(const String& key, V* value) {
    auto it = map_.find(key);
    if (it == map_.end()) {
      map_.emplace(key, value);
      return;
    }
    V* old = it->second;
    it->second = value;
    if (ownsValues_ && old != value) delete old;
  }
  bool TryGetValue(const String& key, V*& value) const {
    auto it = map_.find(key);
    if (it == map_.end()) return false;
    value = it->second;
    return true;
  }
  // An unknown key raises EListError "Item not found".
  V* Items(const String& key) const {
    auto it = map_.find(key);
    if (it == map_.end()) throw EListError(u"Item not found");
    return it->second;
  }
  bool ContainsKey(const String& key) const { return map_.count(key) != 0; }
  void Remove(const String& key) {
    auto it = map_.find(key);
    if (it == map_.end()) return;
    V* old = it->second;
    map_.erase(it);
    if (ownsValues_) delete old;
  }
  // Takes the value out without freeing it.
  V* Extract(const String& key) {
    auto it = map_.find(key);
    if (it == map_.end()) return nullptr;
    V* value = it->second;
    map_.erase(it);
    return value;
  }
  void Clear() {
    std::vector<V*> doomed;
    for (auto& [key, value] : map_) doomed.push_back(value);
    map_.clear();
    if (ownsValues_)
      for (V* v : doomed) delete v;
  }
  int GetCount() const { return static_cast<int>(map_.size()); }
  std::vector<String> Keys() const {
    std::vector<String> keys;
    for (auto& [key, value] : map_) keys.push_back(key);
    return keys;
  }
  template <class F>
  void ForEach(F&& f) const {
    for (auto& [key, value] : map_) f(key, value);
  }

 private:
  struct Hasher {
    std::function<size_t(const String&)> hash;
    size_t operator()(const String& s) const { return hash(s); }
  };
  struct KeyEqual {
    std::function<bool(const String&, const String&)> equals;
    bool operator()(const String& a, const String& b) const { return equals(a, b); }
  };
  bool ownsValues_;
  std::unordered_map<String, V*, Hasher, KeyEqual> map_;
};
