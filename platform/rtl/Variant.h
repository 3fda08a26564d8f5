// Variant: the runtime's dynamically typed value (numbers, text, dates, decimals, time stamps, objects and
// arrays) with the class library's type codes, conversions, arithmetic and comparisons.
#pragma once

#include <concepts>
#include <initializer_list>
#include <memory>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/rtl/AnsiString.h"
#include "platform/rtl/Bcd.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/SqlTimeStamp.h"
#include "platform/rtl/Types.h"

using TVarType = Word;

// The class library's numbering; the four kinds of our own sit above the first custom code (0x10F).
inline constexpr TVarType varEmpty = 0x0000;
inline constexpr TVarType varNull = 0x0001;
inline constexpr TVarType varSmallint = 0x0002;
inline constexpr TVarType varInteger = 0x0003;
inline constexpr TVarType varSingle = 0x0004;
inline constexpr TVarType varDouble = 0x0005;
inline constexpr TVarType varCurrency = 0x0006;
inline constexpr TVarType varDate = 0x0007;
inline constexpr TVarType varOleStr = 0x0008;
inline constexpr TVarType varDispatch = 0x0009;  // named by field tables only; no value has it
inline constexpr TVarType varError = 0x000A;
inline constexpr TVarType varBoolean = 0x000B;
inline constexpr TVarType varVariant = 0x000C;
inline constexpr TVarType varUnknown = 0x000D;  // named by field tables only; no value has it
inline constexpr TVarType varShortInt = 0x0010;
inline constexpr TVarType varByte = 0x0011;
inline constexpr TVarType varWord = 0x0012;
inline constexpr TVarType varLongWord = 0x0013;
inline constexpr TVarType varInt64 = 0x0014;
inline constexpr TVarType varUInt64 = 0x0015;
inline constexpr TVarType varString = 0x0100;   // AnsiString (windows-1251)
inline constexpr TVarType varUString = 0x0102;  // String (UTF-16)
inline constexpr TVarType varFMTBcd = 0x0110;
inline constexpr TVarType varSQLTimeStamp = 0x0111;
inline constexpr TVarType varSQLTimeStampOffset = 0x0112;
inline constexpr TVarType varObject = 0x0113;  // an object reference, held as an opaque pointer
inline constexpr TVarType varTypeMask = 0x0FFF;
inline constexpr TVarType varArray = 0x2000;

enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

// The integer types a Variant holds as numbers: bool is a Boolean and the character types are text.
template <class T>
concept VariantInteger =
    std::integral<T> && !std::same_as<T, bool> && !std::same_as<T, char> && !std::same_as<T, char8_t> &&
    !std::same_as<T, char16_t> && !std::same_as<T, char32_t> && !std::same_as<T, wchar_t>;
template <class T>
concept NotCharType = !std::same_as<std::remove_cv_t<T>, Char>;

class Variant {
 public:
  // Unassigned.
  Variant() noexcept = default;
  Variant(const Variant&) = default;
  Variant(Variant&&) noexcept = default;
  // Only to a variable: `a[i] = x` would assign to a copy of the element and lose x (use PutElement).
  Variant& operator=(const Variant&) & = default;
  Variant& operator=(Variant&&) & noexcept = default;
  ~Variant() = default;

  Variant(bool v) : type_(varBoolean), data_(v) {}
  // Every integer type keeps its kind: int -> varInteger, Int64 -> varInt64, Byte -> varByte ...
  template <VariantInteger T>
  Variant(T v) : type_(IntegerType<T>()) {
    if constexpr (std::is_signed_v<T>)
      data_ = static_cast<Int64>(v);
    else
      data_ = static_cast<UInt64>(v);
  }
  Variant(float v) : type_(varSingle), data_(static_cast<double>(v)) {}
  Variant(double v) : type_(varDouble), data_(v) {}
  Variant(long double v) : type_(varDouble), data_(static_cast<double>(v)) {}
  Variant(Currency v) : type_(varCurrency), data_(v.Value) {}
  Variant(String v) : type_(varUString), data_(std::move(v)) {}
  Variant(const Char* v) : Variant(String(v ? v : u"")) {}
  Variant(Char v) : Variant(String(1, v)) {}
  Variant(AnsiString v) : type_(varString), data_(std::move(v)) {}
  Variant(const TBcd& v) : type_(varFMTBcd), data_(v) {}
  Variant(const TSQLTimeStamp& v) : type_(varSQLTimeStamp), data_(v) {}
  Variant(const TSQLTimeStampOffset& v) : type_(varSQLTimeStampOffset), data_(v) {}

  // No silent turn of a pointer into a boolean, nor guessing what 8-bit text means.
  Variant(std::nullptr_t) = delete;
  Variant(char) = delete;
  template <NotCharType T>
  Variant(T*) = delete;

  static Variant Null();
  static Variant Unassigned() { return Variant(); }
  // TDateTime is a plain double, so a date needs saying.
  static Variant FromDate(TDateTime v);
  static Variant FromError(Integer code);
  // An object reference; the pointer is not owned.
  static Variant FromObject(void* object);

  TVarType Type() const { return type_; }
  bool IsEmpty() const { return type_ == varEmpty; }
  bool IsNull() const { return type_ == varNull; }
  bool IsArray() const { return (type_ & varArray) != 0; }

  // Conversions as the class library makes them. Empty gives 0, "", false; Null raises
  // EVariantTypeCastError (use VarToStr for text that may be null); a value outside the target's range
  // raises EVariantOverflowError; text converts through the locale (StrToFloat, StrToDateTime ...).
  Integer AsInteger() const;
  Int64 AsInt64() const;
  UInt64 AsUInt64() const;
  Single AsSingle() const;
  Double AsDouble() const;
  Currency AsCurrency() const;
  bool AsBoolean() const;
  String AsString() const;
  AnsiString AsAnsiString() const;
  TDateTime AsDateTime() const;
  TBcd AsBcd() const;
  TSQLTimeStamp AsSQLTimeStamp() const;
  TSQLTimeStampOffset AsSQLTimeStampOffset() const;
  // nullptr for Empty and Null; other kinds raise EVariantTypeCastError.
  void* AsObject() const;
  // The code of a varError value.
  Integer AsError() const;

  // Elements of a one-dimensional array, by value: a copy taken out or put in never shares with the
  // array. An index outside the bounds raises EVariantBadIndexError; a non-array EVariantNotAnArrayError.
  // Putting into a typed array converts the value to the element type.
  Variant GetElement(int index) const;
  void PutElement(int index, const Variant& value);
  Variant operator[](int index) const { return GetElement(index); }
  // The bytes of a byte array (varArray | varByte) without copying.
  const TBytes& GetBytes() const;

  Variant& operator+=(const Variant& v) &;
  Variant& operator-=(const Variant& v) &;
  Variant& operator*=(const Variant& v) &;
  Variant& operator/=(const Variant& v) &;

  // Arithmetic: Null gives Null; int op int stays integer (a 32-bit result that overflows becomes
  // Int64, an Int64 overflow raises EVariantOverflowError); Double wins over the smaller number kinds,
  // Currency with Currency or integers stays Currency, FMTBcd with any number gives FMTBcd, a date plus
  // or minus a number gives a date (date - date a Double); text + text concatenates, text with a number
  // converts to a number first ("1" + 2 = 3); "/" always gives a Double.
  friend Variant operator+(const Variant& a, const Variant& b);
  friend Variant operator-(const Variant& a, const Variant& b);
  friend Variant operator*(const Variant& a, const Variant& b);
  friend Variant operator/(const Variant& a, const Variant& b);
  friend Variant operator-(const Variant& a);
  // and, or, xor, not: boolean on booleans, bitwise on integers.
  friend Variant operator&(const Variant& a, const Variant& b);
  friend Variant operator|(const Variant& a, const Variant& b);
  friend Variant operator^(const Variant& a, const Variant& b);
  friend Variant operator!(const Variant& a);
  friend Variant operator~(const Variant& a);

  // Null rules: Null == Null is true, Null == anything else false (and != the opposite); an ordering
  // comparison with Null is always false. Empty compares as the zero of the other side's kind.
  // Values that cannot be brought to one kind raise EVariantTypeCastError (VarCompareValue answers
  // vrNotEqual instead); arrays raise EVariantInvalidOpError.
  friend bool operator==(const Variant& a, const Variant& b);
  friend bool operator!=(const Variant& a, const Variant& b);
  friend bool operator<(const Variant& a, const Variant& b);
  friend bool operator<=(const Variant& a, const Variant& b);
  friend bool operator>(const Variant& a, const Variant& b);
  friend bool operator>=(const Variant& a, const Variant& b);

 private:
  struct ArrayData;  // in VariantOps.h, with the rest of the implementation's shared parts

  // Owns an array's data and copies it deeply: arrays are values.
  class ArrayBox {
   public:
    explicit ArrayBox(std::unique_ptr<ArrayData> data);
    ArrayBox(const ArrayBox& other);
    ArrayBox(ArrayBox&& other) noexcept;
    ArrayBox& operator=(const ArrayBox& other);
    ArrayBox& operator=(ArrayBox&& other) noexcept;
    ~ArrayBox();
    ArrayData& operator*() const { return *data_; }
    ArrayData* operator->() const { return data_.get(); }

   private:
    std::unique_ptr<ArrayData> data_;
  };

  // Signed integers and Currency's scaled value in Int64, unsigned ones in UInt64, Single, Double and
  // Date in double, varError's code in Int64, the object reference in void*.
  using Storage = std::variant<std::monostate, Int64, UInt64, double, bool, void*, String, AnsiString, TBcd,
                               TSQLTimeStamp, TSQLTimeStampOffset, ArrayBox>;

  template <class T>
  static constexpr TVarType IntegerType() {
    if constexpr (std::is_signed_v<T>) {
      if constexpr (sizeof(T) == 1) return varShortInt;
      if constexpr (sizeof(T) == 2) return varSmallint;
      if constexpr (sizeof(T) == 4) return varInteger;
      if constexpr (sizeof(T) == 8) return varInt64;
    } else {
      if constexpr (sizeof(T) == 1) return varByte;
      if constexpr (sizeof(T) == 2) return varWord;
      if constexpr (sizeof(T) == 4) return varLongWord;
      if constexpr (sizeof(T) == 8) return varUInt64;
    }
  }

  Variant(TVarType type, Storage data) : type_(type), data_(std::move(data)) {}

  TVarType type_ = varEmpty;
  Storage data_;

  friend struct VariantAccess;
};

inline Variant Null() { return Variant::Null(); }
inline Variant Unassigned() { return Variant(); }
Variant VarFromDateTime(TDateTime v);

// ---- Type tests ----

TVarType VarType(const Variant& v);
bool VarIsType(const Variant& v, TVarType type);
bool VarIsType(const Variant& v, std::initializer_list<TVarType> types);
bool VarIsEmpty(const Variant& v);
bool VarIsNull(const Variant& v);
// Empty, or an object reference to nothing.
bool VarIsClear(const Variant& v);
bool VarIsEmptyOrNull(const Variant& v);
// Ordinal: the integer kinds and Boolean. Float: Single, Double, Currency and FMTBcd. Numeric: both.
// Dates are neither, as in the class library.
bool VarIsOrdinal(const Variant& v);
bool VarIsFloat(const Variant& v);
bool VarIsNumeric(const Variant& v);
bool VarIsStr(const Variant& v);
bool VarIsArray(const Variant& v);
bool VarIsError(const Variant& v);
bool VarIsError(const Variant& v, Integer& code);
bool VarIsFMTBcd(const Variant& v);
bool VarIsSQLTimeStamp(const Variant& v);
bool VarIsSQLTimeStampOffset(const Variant& v);
bool VarIsObject(const Variant& v);
// The class library's names: "Empty", "Null", "Integer", "Double", "String" (8-bit), "UnicodeString",
// "OleStr", "Array Variant" ...; an unknown code as "$00FF".
String VarTypeAsText(TVarType type);
void VarClear(Variant& v);

// ---- Conversions ----

// Null and Empty give "" (VarToStrDef: the default for Null); arrays raise EVariantTypeCastError.
String VarToStr(const Variant& v);
String VarToStrDef(const Variant& v, const String& defaultValue);
String VarToWideStr(const Variant& v);
String VarToWideStrDef(const Variant& v, const String& defaultValue);
// Null raises EVariantTypeCastError; Empty is 0.
TDateTime VarToDateTime(const Variant& v);
// The value converted to another kind: EVariantTypeCastError "Could not convert variant of type (%s)
// into type (%s)" when it cannot be, EVariantOverflowError "Overflow while converting variant of type
// (%s) into type (%s)" when it does not fit. Null converts only to Null, Empty and varVariant; Empty to
// anything (its zero).
Variant VarAsType(const Variant& v, TVarType type);

[[noreturn]] void VarCastError(TVarType from, TVarType to);
[[noreturn]] void VarOverflowError(TVarType from, TVarType to);
[[noreturn]] void VarInvalidOp();
[[noreturn]] void VarBadIndexError();

// ---- Comparison ----

// Three-way with an answer for values that have no order: Empty equals only Empty and Null only Null,
// either against anything else is vrNotEqual, and so are values that cannot be brought to one kind
// (text that is not a number against a number), arrays, and NaN.
TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);
// The same test for equality: true only for vrEqual.
bool VarSameValue(const Variant& a, const Variant& b);

// ---- Integer division and logic as functions (the class library's div, mod, and, or, xor, not) ----

// Both sides as integers (floats rounded); a zero divisor raises EDivByZero; Null gives Null.
Variant VarIntDiv(const Variant& a, const Variant& b);
Variant VarMod(const Variant& a, const Variant& b);
Variant VarAnd(const Variant& a, const Variant& b);
Variant VarOr(const Variant& a, const Variant& b);
Variant VarXor(const Variant& a, const Variant& b);
Variant VarNot(const Variant& a);

// ---- Arrays (one dimension) ----

// bounds = {low, high}; high = low - 1 gives an empty array. Elements start as the element type's zero
// (Empty for varVariant). Bad bounds or an element type that arrays cannot hold raise
// EVariantArrayCreateError "Error creating variant or safe array".
Variant VarArrayCreate(std::initializer_list<int> bounds, TVarType elementType);
// A varVariant array indexed from 0.
Variant VarArrayOf(std::initializer_list<Variant> values);
Variant VarArrayOf(const std::vector<Variant>& values);
// New high bound; elements up to it are kept, new ones are zero/Empty.
void VarArrayRedim(Variant& a, int highBound);
// 1 for an array, 0 for anything else.
int VarArrayDimCount(const Variant& a);
// dim must be 1 (EVariantBadIndexError otherwise); a non-array raises EVariantNotAnArrayError.
int VarArrayLowBound(const Variant& a, int dim);
int VarArrayHighBound(const Variant& a, int dim);
Variant VarArrayGet(const Variant& a, int index);
void VarArrayPut(Variant& a, const Variant& value, int index);

// A byte array (varArray | varByte) indexed from 0.
Variant VarArrayOfBytes(TBytes bytes);
// A byte array's bytes; an array of variants whose elements convert to Byte; an AnsiString's bytes;
// Empty and Null give no bytes. Anything else raises EVariantTypeCastError.
TBytes VarToBytes(const Variant& v);

// ---- FMTBcd and SQL time stamps ----

Variant VarFMTBcdCreate(const TBcd& value);
// Rescaled to precision and scale, halves to even; EBcdOverflowException when the value does not fit.
Variant VarFMTBcdCreate(const String& value, Word precision, Word scale);
Variant VarFMTBcdCreate(double value, Word precision = 18, Word scale = 4);
TBcd VarToBcd(const Variant& v);

Variant VarSQLTimeStampCreate(const TSQLTimeStamp& value);
Variant VarSQLTimeStampCreate(TDateTime value);
Variant VarSQLTimeStampCreate(const String& value);
Variant VarSQLTimeStampOffsetCreate(const TSQLTimeStampOffset& value);
Variant VarSQLTimeStampOffsetCreate(TDateTime value);
TSQLTimeStamp VarToSQLTimeStamp(const Variant& v);
TSQLTimeStampOffset VarToSQLTimeStampOffset(const Variant& v);
