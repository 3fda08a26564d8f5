// Variant arrays: one dimension with a low and a high bound, elements held by value, byte arrays kept as
// plain bytes so blobs do not cost a variant per byte.
#include <new>
#include <stdexcept>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Variant.h"
#include "platform/rtl/VariantOps.h"

using VA = VariantAccess;
using ArrayData = VariantAccess::ArrayData;

namespace {

[[noreturn]] void NotAnArray() { throw EVariantNotAnArrayError(u"Variant is not an array"); }
[[noreturn]] void ArrayCreateError() {
  throw EVariantArrayCreateError(u"Error creating variant or safe array");
}

bool CanBeElementType(TVarType t) {
  switch (t) {
    case varSmallint:
    case varInteger:
    case varSingle:
    case varDouble:
    case varCurrency:
    case varDate:
    case varOleStr:
    case varError:
    case varBoolean:
    case varVariant:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varUInt64:
    case varString:
    case varUString:
    case varFMTBcd:
    case varSQLTimeStamp:
    case varSQLTimeStampOffset:
    case varObject:
      return true;
    default:
      return false;
  }
}

// What a new element of the type holds before anything is put into it.
Variant ElementZero(TVarType t) {
  if (t == varVariant) return Variant();
  if (t == varError) return Variant::FromError(0);
  return VarAsType(Variant(), t);
}

ArrayData& DataOf(const Variant& a) {
  if (!a.IsArray()) NotAnArray();
  return VA::Array(a);
}

size_t Slot(const ArrayData& d, int index) {
  const long long i = static_cast<long long>(index) - d.Low;
  if (i < 0 || i >= d.Count()) VarBadIndexError();
  return static_cast<size_t>(i);
}

size_t CountFor(int low, int high) {
  const long long count = static_cast<long long>(high) - low + 1;
  if (count < 0) ArrayCreateError();
  return static_cast<size_t>(count);
}

void Resize(ArrayData& d, size_t count) {
  try {
    if (d.ElementType == varByte)
      d.Bytes.resize(count, 0);
    else
      d.Items.resize(count, ElementZero(d.ElementType));
  } catch (const std::bad_alloc&) {
    ArrayCreateError();
  } catch (const std::length_error&) {
    ArrayCreateError();
  }
}

}  // namespace

Variant VarArrayCreate(std::initializer_list<int> bounds, TVarType elementType) {
  if (bounds.size() != 2 || !CanBeElementType(elementType)) ArrayCreateError();
  auto d = std::make_unique<ArrayData>();
  d->Low = bounds.begin()[0];
  d->ElementType = elementType;
  Resize(*d, CountFor(d->Low, bounds.begin()[1]));
  return VA::MakeArray(std::move(d));
}

Variant VarArrayOf(std::initializer_list<Variant> values) {
  auto d = std::make_unique<ArrayData>();
  d->Items.assign(values.begin(), values.end());
  return VA::MakeArray(std::move(d));
}

Variant VarArrayOf(const std::vector<Variant>& values) {
  auto d = std::make_unique<ArrayData>();
  d->Items = values;
  return VA::MakeArray(std::move(d));
}

void VarArrayRedim(Variant& a, int highBound) {
  ArrayData& d = DataOf(a);
  Resize(d, CountFor(d.Low, highBound));
}

int VarArrayDimCount(const Variant& a) { return a.IsArray() ? 1 : 0; }

int VarArrayLowBound(const Variant& a, int dim) {
  const ArrayData& d = DataOf(a);
  if (dim != 1) VarBadIndexError();
  return d.Low;
}

int VarArrayHighBound(const Variant& a, int dim) {
  const ArrayData& d = DataOf(a);
  if (dim != 1) VarBadIndexError();
  return d.Low + d.Count() - 1;
}

Variant Variant::GetElement(int index) const {
  const ArrayData& d = DataOf(*this);
  const size_t i = Slot(d, index);
  if (d.ElementType == varByte) return Variant(d.Bytes[i]);
  return d.Items[i];
}

void Variant::PutElement(int index, const Variant& value) {
  ArrayData& d = DataOf(*this);
  const size_t i = Slot(d, index);
  if (d.ElementType == varByte) {
    d.Bytes[i] = static_cast<Byte>(VA::Unsigned(VarAsType(value, varByte)));
    return;
  }
  // Converted (or copied) in full before the slot changes: the value may be this very array.
  Variant element = d.ElementType == varVariant ? value : VarAsType(value, d.ElementType);
  d.Items[i] = std::move(element);
}

const TBytes& Variant::GetBytes() const {
  const ArrayData& d = DataOf(*this);
  if (d.ElementType != varByte) VarCastError(type_, varArray | varByte);
  return d.Bytes;
}

Variant VarArrayGet(const Variant& a, int index) { return a.GetElement(index); }
void VarArrayPut(Variant& a, const Variant& value, int index) { a.PutElement(index, value); }

Variant VarArrayOfBytes(TBytes bytes) {
  auto d = std::make_unique<ArrayData>();
  d->ElementType = varByte;
  d->Bytes = std::move(bytes);
  return VA::MakeArray(std::move(d));
}

TBytes VarToBytes(const Variant& v) {
  if (v.IsEmpty() || v.IsNull()) return TBytes();
  if (v.Type() == varString) {
    const std::string& s = VA::Ansi(v).Bytes();
    return TBytes(s.begin(), s.end());
  }
  if (!v.IsArray()) VarCastError(v.Type(), varArray | varByte);
  const ArrayData& d = VA::Array(v);
  if (d.ElementType == varByte) return d.Bytes;
  TBytes bytes;
  bytes.reserve(d.Items.size());
  for (const Variant& item : d.Items)
    bytes.push_back(static_cast<Byte>(VA::Unsigned(VarAsType(item, varByte))));
  return bytes;
}
