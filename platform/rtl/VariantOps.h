// Internals shared by the variant's implementation files: raw access to a value's storage, the array
// record, and the grouping of type codes into the kinds that arithmetic and comparison work with.
#pragma once

#include <memory>
#include <vector>

#include "platform/rtl/Variant.h"

// One dimension: elements Low .. Low + Count() - 1. A byte array keeps its elements in Bytes, every
// other array in Items (already converted to ElementType unless that is varVariant).
struct Variant::ArrayData {
  int Low = 0;
  TVarType ElementType = varVariant;
  std::vector<Variant> Items;
  TBytes Bytes;

  int Count() const { return static_cast<int>(ElementType == varByte ? Bytes.size() : Items.size()); }
};

struct VariantAccess {
  using ArrayData = Variant::ArrayData;
  using Storage = Variant::Storage;

  static Variant Make(TVarType type, Storage data) { return Variant(type, std::move(data)); }
  static Variant MakeArray(std::unique_ptr<ArrayData> data) {
    const TVarType type = varArray | data->ElementType;
    return Variant(type, Variant::ArrayBox(std::move(data)));
  }

  static Int64 Signed(const Variant& v) { return std::get<Int64>(v.data_); }
  static UInt64 Unsigned(const Variant& v) { return std::get<UInt64>(v.data_); }
  static double Float(const Variant& v) { return std::get<double>(v.data_); }
  static bool Bool(const Variant& v) { return std::get<bool>(v.data_); }
  static Currency Money(const Variant& v) { return Currency::FromRaw(std::get<Int64>(v.data_)); }
  static void* Object(const Variant& v) { return std::get<void*>(v.data_); }
  static const String& Text(const Variant& v) { return std::get<String>(v.data_); }
  static const AnsiString& Ansi(const Variant& v) { return std::get<AnsiString>(v.data_); }
  static const TBcd& Bcd(const Variant& v) { return std::get<TBcd>(v.data_); }
  static const TSQLTimeStamp& Stamp(const Variant& v) { return std::get<TSQLTimeStamp>(v.data_); }
  static const TSQLTimeStampOffset& StampOffset(const Variant& v) {
    return std::get<TSQLTimeStampOffset>(v.data_);
  }
  static ArrayData& Array(const Variant& v) { return *std::get<Variant::ArrayBox>(v.data_); }
};

inline bool IsSignedIntType(TVarType t) {
  return t == varSmallint || t == varInteger || t == varShortInt || t == varInt64;
}
inline bool IsUnsignedIntType(TVarType t) {
  return t == varByte || t == varWord || t == varLongWord || t == varUInt64;
}
inline bool IsIntType(TVarType t) { return IsSignedIntType(t) || IsUnsignedIntType(t); }
// Single, Double and Date share the double storage.
inline bool IsFloatStoredType(TVarType t) { return t == varSingle || t == varDouble || t == varDate; }
inline bool IsStrType(TVarType t) { return t == varUString || t == varOleStr || t == varString; }
inline bool IsStampType(TVarType t) { return t == varSQLTimeStamp || t == varSQLTimeStampOffset; }

// The integer value of an integer or Boolean variant (True is -1, as the class library stores it).
inline __int128 IntegerOf(const Variant& v) {
  if (v.Type() == varBoolean) return VariantAccess::Bool(v) ? -1 : 0;
  if (IsUnsignedIntType(v.Type())) return VariantAccess::Unsigned(v);
  return VariantAccess::Signed(v);
}

// The text of a string variant; an Ansi string is converted.
inline String StrValue(const Variant& v) {
  return v.Type() == varString ? AnsiToString(VariantAccess::Ansi(v)) : VariantAccess::Text(v);
}
