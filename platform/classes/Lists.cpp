// TList, TObjectList, TInterfaceList and the dictionary's comparers.
#include "platform/classes/Lists.h"

#include "platform/rtl/QuickSort.h"
#include "platform/rtl/Strings.h"

// ---- TList ----

// A descendant's Notify is gone by the time this runs: owning lists clear themselves first.
TList::~TList() { items_.clear(); }

void TList::CheckIndex(int index) const {
  if (index < 0 || index >= GetCount()) RaiseListIndexError(index);
}

int TList::Add(void* item) {
  items_.push_back(item);
  if (item) Notify(item, lnAdded);
  return GetCount() - 1;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > GetCount()) RaiseListIndexError(index);
  items_.insert(items_.begin() + index, item);
  if (item) Notify(item, lnAdded);
}

void* TList::Get(int index) const {
  CheckIndex(index);
  return items_[index];
}

void TList::Put(int index, void* item) {
  CheckIndex(index);
  void* old = items_[index];
  if (old == item) return;
  items_[index] = item;
  if (old) Notify(old, lnDeleted);
  if (item) Notify(item, lnAdded);
}

void TList::Delete(int index) {
  CheckIndex(index);
  void* item = items_[index];
  items_.erase(items_.begin() + index);
  if (item) Notify(item, lnDeleted);
}

void TList::Clear() {
  // Last first, as Delete(GetCount() - 1) would, without an index check that cannot fail here: owning
  // lists clear themselves in their destructors.
  while (!items_.empty()) {
    void* item = items_.back();
    items_.pop_back();
    if (item) Notify(item, lnDeleted);
  }
  items_.shrink_to_fit();
}

void TList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(items_[index1], items_[index2]);
}

void TList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  void* item = items_[curIndex];
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, item);
}

int TList::IndexOf(const void* item) const {
  for (int i = 0; i < GetCount(); ++i)
    if (items_[i] == item) return i;
  return -1;
}

int TList::Remove(void* item) {
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* item) {
  int index = IndexOf(item);
  if (index < 0) return nullptr;
  items_.erase(items_.begin() + index);
  Notify(item, lnExtracted);
  return item;
}

void TList::SetCount(int count) {
  if (count < 0) throw EListError(u"List count out of bounds (" + IntToStr(count) + u")");
  while (GetCount() > count) Delete(GetCount() - 1);
  items_.resize(static_cast<size_t>(count), nullptr);
}

void TList::SetCapacity(int capacity) {
  if (capacity < GetCount()) throw EListError(u"List capacity out of bounds (" + IntToStr(capacity) + u")");
  items_.reserve(static_cast<size_t>(capacity));
}

void TList::Pack() { std::erase(items_, nullptr); }

void TList::Sort(const TListSortCompare& compare) {
  QuickSortRange(
      0, GetCount() - 1, [&](int a, int b) { return compare(items_[a], items_[b]); },
      [&](int a, int b) { std::swap(items_[a], items_[b]); });
}

void TList::Assign(const TList* source) {
  Clear();
  for (void* item : source->items_) Add(item);
}

// ---- TObjectList ----

TObjectList::~TObjectList() {
  if (ownsObjects_) Clear();
}

void TObjectList::Notify(void* item, TListNotification action) {
  if (ownsObjects_ && action == lnDeleted) delete static_cast<TObject*>(item);
}

// ---- TInterfaceList ----

void TInterfaceList::CheckIndex(int index) const {
  if (index < 0 || index >= static_cast<int>(items_.size())) RaiseListIndexError(index);
}

int TInterfaceList::Add(IInterfacePtr item) {
  std::lock_guard lock(mutex_);
  items_.push_back(std::move(item));
  return static_cast<int>(items_.size()) - 1;
}

void TInterfaceList::Insert(int index, IInterfacePtr item) {
  std::lock_guard lock(mutex_);
  if (index < 0 || index > static_cast<int>(items_.size())) RaiseListIndexError(index);
  items_.insert(items_.begin() + index, std::move(item));
}

IInterfacePtr TInterfaceList::Get(int index) const {
  std::lock_guard lock(mutex_);
  CheckIndex(index);
  return items_[index];
}

void TInterfaceList::Put(int index, IInterfacePtr item) {
  std::lock_guard lock(mutex_);
  CheckIndex(index);
  items_[index] = std::move(item);
}

void TInterfaceList::Delete(int index) {
  IInterfacePtr doomed;
  std::lock_guard lock(mutex_);
  CheckIndex(index);
  doomed = std::move(items_[index]);
  items_.erase(items_.begin() + index);
}

void TInterfaceList::Clear() {
  std::vector<IInterfacePtr> doomed;
  std::lock_guard lock(mutex_);
  doomed.swap(items_);
}

void TInterfaceList::Exchange(int index1, int index2) {
  std::lock_guard lock(mutex_);
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(items_[index1], items_[index2]);
}

int TInterfaceList::IndexOf(const IInterface* item) const {
  std::lock_guard lock(mutex_);
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == item) return static_cast<int>(i);
  return -1;
}

int TInterfaceList::Remove(const IInterface* item) {
  std::lock_guard lock(mutex_);
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

int TInterfaceList::GetCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(items_.size());
}

// ---- Comparers ----

TStringComparer TStringComparer::Ordinal() {
  return TStringComparer{[](const String& a, const String& b) { return a == b; },
                         [](const String& s) { return std::hash<String>()(s); }};
}

TStringComparer TStringComparer::IgnoreCase() {
  return TStringComparer{[](const String& a, const String& b) { return AnsiSameText(a, b); },
                         [](const String& s) { return std::hash<String>()(AnsiUpperCase(s)); }};
}
