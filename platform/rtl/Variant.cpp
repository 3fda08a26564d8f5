// Variant: storage, type tests and names, and the conversions between kinds as the class library makes
// them (text through the locale's number and date routines).
#include "platform/rtl/Variant.h"

#include <cfloat>
#include <cmath>
#include <limits>

#include "platform/rtl/DateFormat.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/VariantOps.h"

using VA = VariantAccess;

// ---- Storage ----

Variant::ArrayBox::ArrayBox(std::unique_ptr<ArrayData> data) : data_(std::move(data)) {}
Variant::ArrayBox::ArrayBox(const ArrayBox& other) : data_(std::make_unique<ArrayData>(*other.data_)) {}
Variant::ArrayBox::ArrayBox(ArrayBox&& other) noexcept = default;
Variant::ArrayBox& Variant::ArrayBox::operator=(const ArrayBox& other) {
  if (this != &other) data_ = std::make_unique<ArrayData>(*other.data_);
  return *this;
}
Variant::ArrayBox& Variant::ArrayBox::operator=(ArrayBox&& other) noexcept = default;
Variant::ArrayBox::~ArrayBox() = default;

Variant Variant::Null() { return Variant(varNull, std::monostate()); }
Variant Variant::FromDate(TDateTime v) { return Variant(varDate, v); }
Variant Variant::FromError(Integer code) { return Variant(varError, static_cast<Int64>(code)); }
Variant Variant::FromObject(void* object) { return Variant(varObject, object); }
Variant VarFromDateTime(TDateTime v) { return Variant::FromDate(v); }

// ---- Errors ----

void VarCastError(TVarType from, TVarType to) {
  throw EVariantTypeCastError(u"Could not convert variant of type (" + VarTypeAsText(from) +
                              u") into type (" + VarTypeAsText(to) + u")");
}

void VarOverflowError(TVarType from, TVarType to) {
  throw EVariantOverflowError(u"Overflow while converting variant of type (" + VarTypeAsText(from) +
                              u") into type (" + VarTypeAsText(to) + u")");
}

void VarInvalidOp() { throw EVariantInvalidOpError(u"Invalid variant operation"); }

void VarBadIndexError() { throw EVariantBadIndexError(u"Variant or safe array index out of bounds"); }

// ---- Type tests and names ----

TVarType VarType(const Variant& v) { return v.Type(); }
bool VarIsType(const Variant& v, TVarType type) { return v.Type() == type; }
bool VarIsType(const Variant& v, std::initializer_list<TVarType> types) {
  for (TVarType t : types)
    if (v.Type() == t) return true;
  return false;
}
bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }
bool VarIsNull(const Variant& v) { return v.IsNull(); }
bool VarIsClear(const Variant& v) {
  return v.IsEmpty() || (v.Type() == varObject && VA::Object(v) == nullptr);
}
bool VarIsEmptyOrNull(const Variant& v) { return v.IsEmpty() || v.IsNull(); }
bool VarIsOrdinal(const Variant& v) { return IsIntType(v.Type()) || v.Type() == varBoolean; }
bool VarIsFloat(const Variant& v) {
  const TVarType t = v.Type();
  return t == varSingle || t == varDouble || t == varCurrency || t == varFMTBcd;
}
bool VarIsNumeric(const Variant& v) { return VarIsOrdinal(v) || VarIsFloat(v); }
bool VarIsStr(const Variant& v) { return IsStrType(v.Type()); }
bool VarIsArray(const Variant& v) { return v.IsArray(); }
bool VarIsError(const Variant& v) { return v.Type() == varError; }
bool VarIsError(const Variant& v, Integer& code) {
  if (v.Type() != varError) return false;
  code = static_cast<Integer>(VA::Signed(v));
  return true;
}
bool VarIsFMTBcd(const Variant& v) { return v.Type() == varFMTBcd; }
bool VarIsSQLTimeStamp(const Variant& v) { return v.Type() == varSQLTimeStamp; }
bool VarIsSQLTimeStampOffset(const Variant& v) { return v.Type() == varSQLTimeStampOffset; }
bool VarIsObject(const Variant& v) { return v.Type() == varObject; }
void VarClear(Variant& v) { v = Variant(); }

namespace {

struct TypeName {
  TVarType type;
  const Char* name;
};

// The custom kinds are named as the class library names its custom variant types.
constexpr TypeName kTypeNames[] = {
    {varEmpty, u"Empty"},
    {varNull, u"Null"},
    {varSmallint, u"Smallint"},
    {varInteger, u"Integer"},
    {varSingle, u"Single"},
    {varDouble, u"Double"},
    {varCurrency, u"Currency"},
    {varDate, u"Date"},
    {varOleStr, u"OleStr"},
    {varDispatch, u"Dispatch"},
    {varError, u"Error"},
    {varBoolean, u"Boolean"},
    {varVariant, u"Variant"},
    {varUnknown, u"Unknown"},
    {varShortInt, u"ShortInt"},
    {varByte, u"Byte"},
    {varWord, u"Word"},
    {varLongWord, u"LongWord"},
    {varInt64, u"Int64"},
    {varUInt64, u"UInt64"},
    {varString, u"String"},
    {varUString, u"UnicodeString"},
    {varFMTBcd, u"FMTBcdVariantType"},
    {varSQLTimeStamp, u"SQLTimeStampVariantType"},
    {varSQLTimeStampOffset, u"SQLTimeStampOffsetVariantType"},
    {varObject, u"ObjectVariantType"},
};

}  // namespace

String VarTypeAsText(TVarType type) {
  const TVarType base = type & varTypeMask;
  String name = u"$" + IntToHex(static_cast<Integer>(base), 4);
  for (const TypeName& n : kTypeNames)
    if (n.type == base) name = n.name;
  if (type & varArray) name = u"Array " + name;
  return name;
}

// ---- Conversions ----

namespace {

// Text that is a Boolean word ("True", "False") converts to numbers as -1 and 0, as the class library
// lets it. Numeric text is no such word: it must not turn into -1 when it is merely out of range.
bool BoolText(const String& s, Int64& value) {
  bool b;
  Extended x;
  if (TryStrToFloat(s, x) || !TryStrToBool(s, b)) return false;
  value = b ? -1 : 0;
  return true;
}

// A float rounded halves to even into [min, max]; NaN, infinities and values outside overflow.
__int128 RoundedInRange(long double x, TVarType from, TVarType to, __int128 min, __int128 max) {
  if (!std::isfinite(x) || x < static_cast<long double>(min) - 0.5L ||
      x > static_cast<long double>(max) + 0.5L)
    VarOverflowError(from, to);
  const long double r = std::nearbyint(x);  // the default rounding mode: halves to even
  if (r < static_cast<long double>(min) || r > static_cast<long double>(max)) VarOverflowError(from, to);
  return static_cast<__int128>(r);
}

// The integer value of any kind, checked against [min, max] with `to` named in the errors.
__int128 IntegerValue(const Variant& v, TVarType to, __int128 min, __int128 max) {
  const TVarType t = v.Type();
  __int128 r;
  if (t == varEmpty) {
    r = 0;
  } else if (IsIntType(t) || t == varBoolean) {
    r = IntegerOf(v);
  } else if (IsFloatStoredType(t)) {
    r = RoundedInRange(VA::Float(v), t, to, min, max);
  } else if (t == varCurrency) {
    r = VA::Money(v).ToInt64();
  } else if (t == varFMTBcd) {
    try {
      r = BcdToInteger(VA::Bcd(v));
    } catch (const EBcdOverflowException&) {
      VarOverflowError(t, to);
    }
  } else if (IsStrType(t)) {
    const String s = StrValue(v);
    Int64 i;
    Extended x;
    if (TryStrToInt64(s, i) || BoolText(s, i))
      r = i;
    else if (TryStrToFloat(s, x))
      r = RoundedInRange(x, t, to, min, max);
    else
      VarCastError(t, to);
  } else if (IsStampType(t)) {
    r = RoundedInRange(v.AsDateTime(), t, to, min, max);
  } else {
    VarCastError(t, to);
  }
  if (r < min || r > max) VarOverflowError(t, to);
  return r;
}

template <class T>
T IntegerAs(const Variant& v, TVarType to) {
  return static_cast<T>(IntegerValue(v, to, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

double DoubleValue(const Variant& v, TVarType to) {
  const TVarType t = v.Type();
  if (t == varEmpty) return 0;
  if (IsIntType(t) || t == varBoolean) return static_cast<double>(IntegerOf(v));
  if (IsFloatStoredType(t)) return VA::Float(v);
  if (t == varCurrency) return VA::Money(v).ToDouble();
  if (t == varFMTBcd) return BcdToDouble(VA::Bcd(v));
  if (IsStrType(t)) {
    const String s = StrValue(v);
    double x;
    Int64 b;
    if (TryStrToFloat(s, x)) return x;
    if (BoolText(s, b)) return static_cast<double>(b);
    VarCastError(t, to);
  }
  if (t == varSQLTimeStamp) return SQLTimeStampToDateTime(VA::Stamp(v));
  if (t == varSQLTimeStampOffset) return SQLTimeStampOffsetToDateTime(VA::StampOffset(v));
  VarCastError(t, to);
}

// Rounds a single's value to the 7 digits it holds, so 0.1f reads "0,1" and not its binary expansion.
TFloatRec SingleDigits(float x) {
  TFloatRec rec = FloatToDecimal(x);
  RoundDecimalHalfEven(rec, 7, 9999);
  return rec;
}

void CheckNotNull(const Variant& v, TVarType to) {
  if (v.IsNull()) VarCastError(varNull, to);
}

}  // namespace

Integer Variant::AsInteger() const {
  CheckNotNull(*this, varInteger);
  return IntegerAs<Integer>(*this, varInteger);
}

Int64 Variant::AsInt64() const {
  CheckNotNull(*this, varInt64);
  return IntegerAs<Int64>(*this, varInt64);
}

UInt64 Variant::AsUInt64() const {
  CheckNotNull(*this, varUInt64);
  return IntegerAs<UInt64>(*this, varUInt64);
}

Double Variant::AsDouble() const {
  CheckNotNull(*this, varDouble);
  return DoubleValue(*this, varDouble);
}

Single Variant::AsSingle() const {
  CheckNotNull(*this, varSingle);
  if (IsStrType(type_)) {
    float x;
    if (TryStrToFloat(StrValue(*this), x)) return x;
  }
  const double d = DoubleValue(*this, varSingle);
  if (std::isfinite(d) && std::fabs(d) > FLT_MAX) VarOverflowError(type_, varSingle);
  return static_cast<Single>(d);
}

Currency Variant::AsCurrency() const {
  CheckNotNull(*this, varCurrency);
  const TVarType t = type_;
  try {
    if (t == varEmpty) return Currency();
    if (t == varCurrency) return VA::Money(*this);
    if (t == varUInt64) return Currency(VA::Unsigned(*this));
    if (IsIntType(t) || t == varBoolean) return Currency(static_cast<Int64>(IntegerOf(*this)));
    if (t == varFMTBcd) {
      Currency c;
      if (!BcdToCurr(VA::Bcd(*this), c)) VarOverflowError(t, varCurrency);
      return c;
    }
    if (IsStrType(t)) {
      const String s = StrValue(*this);
      Currency c;
      Int64 b;
      if (TryStrToCurr(s, c)) return c;
      if (BoolText(s, b)) return Currency(b);
      Extended x;
      if (TryStrToFloat(s, x)) VarOverflowError(t, varCurrency);
      VarCastError(t, varCurrency);
    }
    return Currency::FromDouble(DoubleValue(*this, varCurrency));
  } catch (const EIntOverflow&) {
    VarOverflowError(t, varCurrency);
  } catch (const EOverflow&) {
    VarOverflowError(t, varCurrency);
  }
}

bool Variant::AsBoolean() const {
  CheckNotNull(*this, varBoolean);
  const TVarType t = type_;
  if (t == varEmpty) return false;
  if (t == varBoolean) return VA::Bool(*this);
  if (IsIntType(t)) return IntegerOf(*this) != 0;
  if (IsFloatStoredType(t)) return VA::Float(*this) != 0;
  if (t == varCurrency) return VA::Money(*this).Value != 0;
  if (t == varFMTBcd) return !IsBcdZero(VA::Bcd(*this));
  if (IsStrType(t)) {
    bool b;
    if (TryStrToBool(StrValue(*this), b)) return b;
  }
  VarCastError(t, varBoolean);
}

String Variant::AsString() const {
  const TVarType t = type_;
  switch (t) {
    case varEmpty:
      return String();
    case varNull:
      VarCastError(t, varUString);
    case varBoolean:
      return BoolToStr(VA::Bool(*this), true);
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varInt64:
      return IntToStr(static_cast<long long>(VA::Signed(*this)));
    case varByte:
    case varWord:
    case varLongWord:
    case varUInt64:
      return IntToStr(static_cast<unsigned long long>(VA::Unsigned(*this)));
    case varSingle:
      return DecimalToStrF(SingleDigits(static_cast<float>(VA::Float(*this))), ffGeneral, 7, 0,
                           FormatSettings);
    case varDouble:
      return FloatToStr(VA::Float(*this));
    case varDate:
      return DateTimeToStr(VA::Float(*this));
    case varCurrency:
      return CurrToStr(VA::Money(*this));
    case varUString:
    case varOleStr:
      return VA::Text(*this);
    case varString:
      return AnsiToString(VA::Ansi(*this));
    case varFMTBcd:
      return BcdToStr(VA::Bcd(*this));
    case varSQLTimeStamp:
      return SQLTimeStampToStr(String(), VA::Stamp(*this));
    case varSQLTimeStampOffset:
      return SQLTimeStampOffsetToStr(String(), VA::StampOffset(*this));
    default:
      VarCastError(t, varUString);
  }
}

AnsiString Variant::AsAnsiString() const {
  if (type_ == varString) return VA::Ansi(*this);
  if (type_ == varNull) VarCastError(varNull, varString);
  return StringToAnsi(AsString());
}

TDateTime Variant::AsDateTime() const {
  CheckNotNull(*this, varDate);
  if (IsStrType(type_)) {
    TDateTime d;
    if (TryStrToDateTime(StrValue(*this), d)) return d;
    VarCastError(type_, varDate);
  }
  return DoubleValue(*this, varDate);
}

TBcd Variant::AsBcd() const {
  CheckNotNull(*this, varFMTBcd);
  const TVarType t = type_;
  try {
    if (t == varEmpty) return TBcd();
    if (t == varFMTBcd) return VA::Bcd(*this);
    if (t == varCurrency) return CurrencyToBcd(VA::Money(*this));
    if (t == varUInt64) return StrToBcd(IntToStr(static_cast<unsigned long long>(VA::Unsigned(*this))));
    if (IsIntType(t) || t == varBoolean) return IntegerToBcd(static_cast<Int64>(IntegerOf(*this)));
    if (t == varSingle) return DecimalToBcd(SingleDigits(static_cast<float>(VA::Float(*this))));
    if (IsFloatStoredType(t)) return DoubleToBcd(VA::Float(*this));
    if (IsStrType(t)) {
      const String s = StrValue(*this);
      TBcd b;
      Int64 i;
      if (TryStrToBcd(s, b)) return b;
      if (BoolText(s, i)) return IntegerToBcd(i);
      StrToBcd(s);  // raises the overflow for too many digits; other bad text falls through
    }
  } catch (const EBcdOverflowException&) {
    VarOverflowError(t, varFMTBcd);
  } catch (const EConvertError&) {
  }
  VarCastError(t, varFMTBcd);
}

TSQLTimeStamp Variant::AsSQLTimeStamp() const {
  CheckNotNull(*this, varSQLTimeStamp);
  const TVarType t = type_;
  if (t == varEmpty) return NullSQLTimeStamp;
  if (t == varSQLTimeStamp) return VA::Stamp(*this);
  if (t == varSQLTimeStampOffset) return SQLTimeStampOffsetToSQLTimeStamp(VA::StampOffset(*this));
  if (IsStrType(t)) {
    TSQLTimeStamp ts;
    if (TryStrToSQLTimeStamp(StrValue(*this), ts)) return ts;
    VarCastError(t, varSQLTimeStamp);
  }
  if (t == varBoolean) VarCastError(t, varSQLTimeStamp);
  return DateTimeToSQLTimeStamp(DoubleValue(*this, varSQLTimeStamp));
}

TSQLTimeStampOffset Variant::AsSQLTimeStampOffset() const {
  CheckNotNull(*this, varSQLTimeStampOffset);
  const TVarType t = type_;
  if (t == varEmpty) return NullSQLTimeStampOffset;
  if (t == varSQLTimeStampOffset) return VA::StampOffset(*this);
  if (t == varBoolean) VarCastError(t, varSQLTimeStampOffset);
  // A stamp without a zone, and any date, is the machine's local time.
  TSQLTimeStamp ts;
  if (t == varSQLTimeStamp) {
    ts = VA::Stamp(*this);
  } else if (IsStrType(t)) {
    if (!TryStrToSQLTimeStamp(StrValue(*this), ts)) VarCastError(t, varSQLTimeStampOffset);
  } else {
    return DateTimeToSQLTimeStampOffset(DoubleValue(*this, varSQLTimeStampOffset));
  }
  if (ts == NullSQLTimeStamp) return NullSQLTimeStampOffset;
  return DateTimeToSQLTimeStampOffset(SQLTimeStampToDateTime(ts));
}

void* Variant::AsObject() const {
  if (type_ == varEmpty || type_ == varNull) return nullptr;
  if (type_ != varObject) VarCastError(type_, varObject);
  return VA::Object(*this);
}

Integer Variant::AsError() const {
  if (type_ != varError) VarCastError(type_, varError);
  return static_cast<Integer>(VA::Signed(*this));
}

String VarToStr(const Variant& v) { return v.IsNull() ? String() : v.AsString(); }
String VarToStrDef(const Variant& v, const String& defaultValue) {
  return v.IsNull() ? defaultValue : v.AsString();
}
String VarToWideStr(const Variant& v) { return VarToStr(v); }
String VarToWideStrDef(const Variant& v, const String& defaultValue) { return VarToStrDef(v, defaultValue); }
TDateTime VarToDateTime(const Variant& v) { return v.AsDateTime(); }
TBcd VarToBcd(const Variant& v) { return v.AsBcd(); }
TSQLTimeStamp VarToSQLTimeStamp(const Variant& v) { return v.AsSQLTimeStamp(); }
TSQLTimeStampOffset VarToSQLTimeStampOffset(const Variant& v) { return v.AsSQLTimeStampOffset(); }

Variant VarAsType(const Variant& v, TVarType type) {
  const TVarType from = v.Type();
  if (type == from || type == varVariant) return v;
  if (type == varEmpty) return Variant();
  if ((type & varArray) || v.IsArray()) VarCastError(from, type);
  if (type == varNull) {
    if (from != varEmpty) VarCastError(from, type);
    return Variant::Null();
  }
  CheckNotNull(v, type);
  switch (type) {
    case varSmallint:
      return VA::Make(type, static_cast<Int64>(IntegerAs<SmallInt>(v, type)));
    case varInteger:
      return VA::Make(type, static_cast<Int64>(IntegerAs<Integer>(v, type)));
    case varShortInt:
      return VA::Make(type, static_cast<Int64>(IntegerAs<ShortInt>(v, type)));
    case varInt64:
      return VA::Make(type, IntegerAs<Int64>(v, type));
    case varByte:
      return VA::Make(type, static_cast<UInt64>(IntegerAs<Byte>(v, type)));
    case varWord:
      return VA::Make(type, static_cast<UInt64>(IntegerAs<Word>(v, type)));
    case varLongWord:
      return VA::Make(type, static_cast<UInt64>(IntegerAs<LongWord>(v, type)));
    case varUInt64:
      return VA::Make(type, IntegerAs<UInt64>(v, type));
    case varSingle:
      return Variant(v.AsSingle());
    case varDouble:
      return Variant(v.AsDouble());
    case varDate:
      return Variant::FromDate(v.AsDateTime());
    case varCurrency:
      return Variant(v.AsCurrency());
    case varBoolean:
      return Variant(v.AsBoolean());
    case varUString:
      return Variant(v.AsString());
    case varOleStr:
      return VA::Make(type, v.AsString());
    case varString:
      return Variant(v.AsAnsiString());
    case varFMTBcd:
      return Variant(v.AsBcd());
    case varSQLTimeStamp:
      return Variant(v.AsSQLTimeStamp());
    case varSQLTimeStampOffset:
      return Variant(v.AsSQLTimeStampOffset());
    case varObject:
      return Variant::FromObject(v.AsObject());
    case varError:
      return Variant::FromError(v.AsError());
    case varDispatch:
    case varUnknown:
      VarCastError(from, type);
    default:
      throw EVariantBadVarTypeError(u"Invalid variant type");
  }
}

// ---- FMTBcd and SQL time stamps ----

Variant VarFMTBcdCreate(const TBcd& value) { return Variant(value); }

Variant VarFMTBcdCreate(const String& value, Word precision, Word scale) {
  TBcd b;
  NormalizeBcd(StrToBcd(value), b, precision, scale);
  return Variant(b);
}

Variant VarFMTBcdCreate(double value, Word precision, Word scale) {
  TBcd b;
  NormalizeBcd(DoubleToBcd(value), b, precision, scale);
  return Variant(b);
}

Variant VarSQLTimeStampCreate(const TSQLTimeStamp& value) { return Variant(value); }
Variant VarSQLTimeStampCreate(TDateTime value) { return Variant(DateTimeToSQLTimeStamp(value)); }
Variant VarSQLTimeStampCreate(const String& value) { return Variant(StrToSQLTimeStamp(value)); }
Variant VarSQLTimeStampOffsetCreate(const TSQLTimeStampOffset& value) { return Variant(value); }
Variant VarSQLTimeStampOffsetCreate(TDateTime value) { return Variant(DateTimeToSQLTimeStampOffset(value)); }
