// The settings keeper's tree of values and the ColIndex comparer of column subtrees.
#include "gridlib/base/SettingsKeepersEh.h"

#include <memory>

#include "platform/rtl/Strings.h"

String TIntegerObject::ToString() const { return IntToStr(Value); }

void TSettingsKeeperEh::Add(const String& key, const String& value) {
  auto object = std::make_unique<TStringObject>(value);
  dic_.Add(key, object.get());
  object.release();
}

void TSettingsKeeperEh::Add(const String& key, Integer value) {
  auto object = std::make_unique<TIntegerObject>(value);
  dic_.Add(key, object.get());
  object.release();
}

void TSettingsKeeperEh::Add(const String& key, TSettingsKeeperEh* value) {
  // Owned from here on, so a refused key does not leak the subtree.
  std::unique_ptr<TSettingsKeeperEh> owned(value);
  dic_.Add(key, owned.get());
  owned.release();
}

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
