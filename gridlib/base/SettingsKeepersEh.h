// The settings keeper: an in-memory tree of named strings, integers and nested keepers through which
// the data grid writes and reads its layout, and the comparer that orders column subtrees by ColIndex.
#pragma once

#include <utility>
#include <vector>

#include "platform/classes/Lists.h"

class TStringObject : public TObject {
  KIV_CLASS(TStringObject, TObject)
 public:
  explicit TStringObject(String value) : Value(std::move(value)) {}
  String ToString() const { return Value; }
  String Value;
};

class TIntegerObject : public TObject {
  KIV_CLASS(TIntegerObject, TObject)
 public:
  explicit TIntegerObject(Integer value) : Value(value) {}
  String ToString() const;
  Integer Value;
};

// Keys compare case-sensitively; the dictionary owns and frees its values. Its order is the hash order.
using TSettingsKeeperDicEh = TObjectDictionary<TObject>;
using TSettingsKeeperPairEh = std::pair<String, TObject*>;

class TSettingsKeeperEh : public TObject {
  KIV_CLASS(TSettingsKeeperEh, TObject)
 public:
  TSettingsKeeperEh() : dic_(true) {}

  // A key already present raises the dictionary's duplicate error and keeps the old value.
  void Add(const String& key, const String& value);
  void Add(const String& key, const Char* value) { Add(key, String(value)); }
  void Add(const String& key, Integer value);
  // The nested keeper becomes owned by this one; when the key is refused it is freed with the error.
  void Add(const String& key, TSettingsKeeperEh* value);

  std::vector<TSettingsKeeperPairEh> ToArray() const;
  bool TryGetValue(const String& key, TObject*& value) const { return dic_.TryGetValue(key, value); }
  bool TryGetSubsettingsValue(const String& key, TSettingsKeeperEh*& value) const;
  // An integer value, or a string value that is a whole integer.
  bool TryGetIntegerValue(const String& key, Integer& value) const;
  // A string value only; value is emptied first.
  bool TryGetStringValue(const String& key, String& value) const;

 private:
  TSettingsKeeperDicEh dic_;
};

// Orders (key, nested keeper) pairs by the keepers' "ColIndex" (0 when missing).
class TSettingsKeeperEhCollectionByIndexComparer : public TObject {
  KIV_CLASS(TSettingsKeeperEhCollectionByIndexComparer, TObject)
 public:
  int Compare(const TSettingsKeeperPairEh& left, const TSettingsKeeperPairEh& right) const;
  bool Equals(const TSettingsKeeperPairEh& left, const TSettingsKeeperPairEh& right) const {
    return Compare(left, right) == 0;
  }
  int GetHashCode(const TSettingsKeeperPairEh&) const { return 0; }
  static TSettingsKeeperEhCollectionByIndexComparer* Ordinal();
};
