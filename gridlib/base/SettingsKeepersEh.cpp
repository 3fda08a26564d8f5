// The settings keeper's tree of values and the ColIndex comparer of column subtrees.
#include "gridlib/base/SettingsKeepersEh.h"

#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

String TIntegerObject::ToString() const { return IntToStr(Value); }

namespace {
// The dictionary owns what it takes; an object it refuses (a duplicate key) is freed here.
void AddOwned(TSettingsKeeperDicEh& dic, const String& key, TObject* object) {
  auto drop = MakeScopeExit([object] { delete object; });
  dic.Add(key, object);
  drop.Release();
}
}  // namespace

void TSettingsKeeperEh::Add(const String& key, const String& value) {
  AddOwned(dic_, key, new TStringObject(value));
}

void TSettingsKeeperEh::Add(const String& key, Integer value) {
  AddOwned(dic_, key, new TIntegerObject(value));
}

void TSettingsKeeperEh::Add(const String& key, TSettingsKeeperEh* value) { AddOwned(dic_, key, value); }

std::vector<TSettingsKeeperPairEh> TSettingsKeeperEh::ToArray() const {
  std::vector<TSettingsKeeperPairEh> pairs;
  dic_.ForEach([&](const String& key, TObject* value) { pairs.emplace_back(key, value); });
  return pairs;
}

bool TSettingsKeeperEh::TryGetSubsettingsValue(const String& key, TSettingsKeeperEh*& value) const {
  TObject* object = nullptr;
  value = nullptr;
  if (!dic_.TryGetValue(key, object)) return false;
  value = dynamic_cast<TSettingsKeeperEh*>(object);
  return value != nullptr;
}

bool TSettingsKeeperEh::TryGetIntegerValue(const String& key, Integer& value) const {
  TObject* object = nullptr;
  if (!dic_.TryGetValue(key, object)) return false;
  if (auto* integer = dynamic_cast<TIntegerObject*>(object)) {
    value = integer->Value;
    return true;
  }
  if (auto* text = dynamic_cast<TStringObject*>(object)) return TryStrToInt(text->Value, value);
  return false;
}

bool TSettingsKeeperEh::TryGetStringValue(const String& key, String& value) const {
  value.clear();
  TObject* object = nullptr;
  if (!dic_.TryGetValue(key, object)) return false;
  auto* text = dynamic_cast<TStringObject*>(object);
  if (!text) return false;
  value = text->Value;
  return true;
}

namespace {

Integer ColIndexOf(const TSettingsKeeperPairEh& pair) {
  Integer index = 0;
  auto* keeper = dynamic_cast<TSettingsKeeperEh*>(pair.second);
  if (!keeper || !keeper->TryGetIntegerValue(u"ColIndex", index)) return 0;
  return index;
}

}  // namespace

int TSettingsKeeperEhCollectionByIndexComparer::Compare(const TSettingsKeeperPairEh& left,
                                                        const TSettingsKeeperPairEh& right) const {
  const Int64 difference = static_cast<Int64>(ColIndexOf(left)) - ColIndexOf(right);
  return difference < 0 ? -1 : (difference > 0 ? 1 : 0);
}

TSettingsKeeperEhCollectionByIndexComparer* TSettingsKeeperEhCollectionByIndexComparer::Ordinal() {
  static TSettingsKeeperEhCollectionByIndexComparer instance;
  return &instance;
}
