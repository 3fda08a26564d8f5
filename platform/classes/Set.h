// A set of enumeration values, as the class library's "set of TEnum" (up to 64 elements).
#pragma once

#include <initializer_list>

#include "platform/rtl/Types.h"

template <class E>
class TSet {
 public:
  TSet() = default;
  TSet(std::initializer_list<E> elements) {
    for (E e : elements) bits_ |= Bit(e);
  }

  bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
  TSet& Include(E e) {
    bits_ |= Bit(e);
    return *this;
  }
  TSet& Exclude(E e) {
    bits_ &= ~Bit(e);
    return *this;
  }
  TSet& operator<<(E e) { return Include(e); }
  TSet& operator>>(E e) { return Exclude(e); }
  bool Empty() const { return bits_ == 0; }
  void Clear() { bits_ = 0; }

  friend TSet operator+(TSet a, TSet b) { return FromBits(a.bits_ | b.bits_); }
  friend TSet operator*(TSet a, TSet b) { return FromBits(a.bits_ & b.bits_); }
  friend TSet operator-(TSet a, TSet b) { return FromBits(a.bits_ & ~b.bits_); }
  friend bool operator==(TSet a, TSet b) = default;

  // Bit n stands for the element of ordinal n, as the published-property registry stores sets.
  UInt64 Bits() const { return bits_; }
  static TSet FromBits(UInt64 bits) {
    TSet s;
    s.bits_ = bits;
    return s;
  }

 private:
  static UInt64 Bit(E e) { return UInt64(1) << static_cast<unsigned>(e); }
  UInt64 bits_ = 0;
};
