// Variant arithmetic, logic and comparison: the class library's promotion and Null rules, with a
// "not comparable" answer for values that share no kind.
#include "platform/rtl/VariantOps.h"

#include <cfloat>
#include <cmath>
#include <limits>

#include "platform/rtl/Exception.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Variant.h"

using VA = VariantAccess;

namespace {

enum class Op { Add, Sub, Mul };

// Arrays, object references and error codes take part in no arithmetic.
void CheckOperand(const Variant& v) {
  const TVarType t = v.Type();
  if (v.IsArray() || t == varObject || t == varError) VarInvalidOp();
}

[[noreturn]] void Overflow() { throw EVariantOverflowError(u"Variant overflow"); }

bool IsWide(TVarType t) { return t == varInt64 || t == varUInt64; }

// The kind of an integer result: Integer while 32-bit operands fit, Int64 otherwise, UInt64 when both
// operands are unsigned and an Int64 cannot hold it (or an UInt64 operand keeps it unsigned).
Variant FitInteger(__int128 r, TVarType ta, TVarType tb) {
  const bool wide = IsWide(ta) || IsWide(tb);
  const bool unsignedOperands = IsUnsignedIntType(ta) && IsUnsignedIntType(tb);
  const bool fitsUInt64 = r >= 0 && r <= static_cast<__int128>(std::numeric_limits<UInt64>::max());
  const bool fitsInt64 = r >= std::numeric_limits<Int64>::min() && r <= std::numeric_limits<Int64>::max();
  if (!wide && r >= std::numeric_limits<Integer>::min() && r <= std::numeric_limits<Integer>::max())
    return Variant(static_cast<Integer>(r));
  if (unsignedOperands && (ta == varUInt64 || tb == varUInt64) && fitsUInt64)
    return Variant(static_cast<UInt64>(r));
  if (fitsInt64) return Variant(static_cast<Int64>(r));
  if (unsignedOperands && fitsUInt64) return Variant(static_cast<UInt64>(r));
  Overflow();
}

// A float result that ran out of range although its operands did not.
double CheckFloat(double r, double x, double y) {
  if (std::isinf(r) && std::isfinite(x) && std::isfinite(y)) throw EOverflow(u"Floating point overflow");
  return r;
}

double Apply(Op op, double x, double y) {
  switch (op) {
    case Op::Add:
      return CheckFloat(x + y, x, y);
    case Op::Sub:
      return CheckFloat(x - y, x, y);
    case Op::Mul:
      return CheckFloat(x * y, x, y);
  }
  return 0;
}

Variant Concat(const Variant& a, const Variant& b) {
  if (a.Type() == varString && b.Type() == varString) return Variant(VA::Ansi(a) + VA::Ansi(b));
  return Variant(StrValue(a) + StrValue(b));
}

bool IsNumberType(TVarType t) {
  return IsIntType(t) || t == varSingle || t == varDouble || t == varCurrency || t == varDate ||
         t == varFMTBcd;
}

// Brings text and Empty to a number for arithmetic with `other`: text becomes a Double (a decimal
// beside a decimal), Empty the zero of the other's kind.
Variant NumericOperand(const Variant& v, const Variant& other) {
  if (v.IsEmpty()) return IsNumberType(other.Type()) ? VarAsType(v, other.Type()) : Variant(0);
  if (!VarIsStr(v)) return v;
  if (other.Type() == varFMTBcd) return Variant(v.AsBcd());
  return Variant(v.AsDouble());
}

TDateTime StampMoment(const Variant& v) {
  return v.Type() == varSQLTimeStamp ? SQLTimeStampToDateTime(VA::Stamp(v))
                                     : SQLTimeStampOffsetToDateTime(VA::StampOffset(v));
}

// A time stamp moved by a number of days keeps its kind (and its zone); stamp - stamp is their distance.
Variant StampArithmetic(Op op, const Variant& a, const Variant& b) {
  const bool stampA = IsStampType(a.Type()), stampB = IsStampType(b.Type());
  if (op == Op::Sub && stampA && stampB) return Variant(StampMoment(a) - StampMoment(b));
  if (op == Op::Mul || stampA == stampB || (op == Op::Sub && stampB)) VarInvalidOp();
  const Variant& stamp = stampA ? a : b;
  const double days = (stampA ? b : a).AsDouble();
  const double sign = op == Op::Sub ? -1 : 1;
  if (stamp.Type() == varSQLTimeStamp)
    return Variant(DateTimeToSQLTimeStamp(SQLTimeStampToDateTime(VA::Stamp(stamp)) + sign * days));
  const TSQLTimeStampOffset& ts = VA::StampOffset(stamp);
  const TDateTime wall = SQLTimeStampToDateTime(SQLTimeStampOffsetToSQLTimeStamp(ts));
  return Variant(DateTimeToSQLTimeStampOffset(wall + sign * days, ts.TimeZoneHour, ts.TimeZoneMinute));
}

Variant CurrencyArithmetic(Op op, const Variant& a, const Variant& b) {
  try {
    if (a.Type() == varCurrency && b.Type() == varCurrency) {
      const Currency x = VA::Money(a), y = VA::Money(b);
      return Variant(op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y);
    }
    if (op == Op::Mul) {
      const bool moneyA = a.Type() == varCurrency;
      return Variant(CurrencyMulInt(moneyA ? VA::Money(a) : VA::Money(b), (moneyA ? b : a).AsInt64()));
    }
    const Currency x = a.AsCurrency(), y = b.AsCurrency();
    return Variant(op == Op::Add ? x + y : x - y);
  } catch (const EIntOverflow&) {
    Overflow();
  } catch (const EVariantOverflowError&) {
    Overflow();
  }
}

Variant Arithmetic(Op op, const Variant& a, const Variant& b) {
  CheckOperand(a);
  CheckOperand(b);
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  if (a.IsEmpty() && b.IsEmpty()) return Variant();
  if (op == Op::Add && (VarIsStr(a) || a.IsEmpty()) && (VarIsStr(b) || b.IsEmpty())) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return Concat(a, b);
  }
  const Variant x = NumericOperand(a, b), y = NumericOperand(b, a);
  const TVarType tx = x.Type(), ty = y.Type();
  if (IsStampType(tx) || IsStampType(ty)) return StampArithmetic(op, x, y);
  if (tx == varDate || ty == varDate) {
    const double r = Apply(op, x.AsDouble(), y.AsDouble());
    if (op == Op::Mul || (tx == varDate && ty == varDate && op == Op::Sub)) return Variant(r);
    return Variant::FromDate(r);
  }
  if (tx == varFMTBcd || ty == varFMTBcd) {
    const TBcd p = x.AsBcd(), q = y.AsBcd();
    TBcd r;
    if (op == Op::Add)
      BcdAdd(p, q, r);
    else if (op == Op::Sub)
      BcdSubtract(p, q, r);
    else
      BcdMultiply(p, q, r);
    return Variant(r);
  }
  if (tx == varSingle && ty == varSingle) {
    const double r = Apply(op, VA::Float(x), VA::Float(y));
    if (std::fabs(r) > FLT_MAX && std::isfinite(r)) throw EOverflow(u"Floating point overflow");
    return Variant(static_cast<float>(r));
  }
  if (tx == varSingle || tx == varDouble || ty == varSingle || ty == varDouble)
    return Variant(Apply(op, x.AsDouble(), y.AsDouble()));
  if (tx == varCurrency || ty == varCurrency) return CurrencyArithmetic(op, x, y);
  // Integers and Booleans.
  const __int128 p = IntegerOf(x), q = IntegerOf(y);
  return FitInteger(op == Op::Add ? p + q : op == Op::Sub ? p - q : p * q, tx, ty);
}

// An integer operand of div, mod and the bitwise operations: floats rounded, text parsed.
__int128 IntegerOperand(const Variant& v) {
  if (IsIntType(v.Type()) || v.Type() == varBoolean) return IntegerOf(v);
  return v.AsInt64();
}

enum class Logic { And, Or, Xor };

bool BooleanOperand(const Variant& v) { return v.Type() == varBoolean || VarIsStr(v) || v.IsEmpty(); }

Variant LogicOp(Logic op, const Variant& a, const Variant& b) {
  CheckOperand(a);
  CheckOperand(b);
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  if (a.IsEmpty() && b.IsEmpty()) return Variant();
  // Booleans, and text or Empty beside a Boolean, combine as truth values.
  if ((a.Type() == varBoolean || b.Type() == varBoolean) && BooleanOperand(a) && BooleanOperand(b)) {
    const bool x = a.AsBoolean(), y = b.AsBoolean();
    return Variant(op == Logic::And ? x && y : op == Logic::Or ? x || y : x != y);
  }
  const __int128 x = IntegerOperand(a), y = IntegerOperand(b);
  const __int128 r = op == Logic::And ? x & y : op == Logic::Or ? x | y : x ^ y;
  return FitInteger(r, a.Type(), b.Type());
}

// ---- Comparison ----

enum class Order { Less, Equal, Greater, Unordered };

template <class T>
Order OrderOf(const T& x, const T& y) {
  if (x < y) return Order::Less;
  if (y < x) return Order::Greater;
  if (x == y) return Order::Equal;
  return Order::Unordered;  // NaN
}

Order OrderOfSign(int c) { return c < 0 ? Order::Less : c > 0 ? Order::Greater : Order::Equal; }

// Unicode text is compared in place; only 8-bit text is converted first.
Order CompareStrings(const Variant& a, const Variant& b) {
  if (a.Type() == varString && b.Type() == varString && VA::Ansi(a) == VA::Ansi(b)) return Order::Equal;
  String convertedA, convertedB;
  const String& x = a.Type() == varString ? (convertedA = AnsiToString(VA::Ansi(a))) : VA::Text(a);
  const String& y = b.Type() == varString ? (convertedB = AnsiToString(VA::Ansi(b))) : VA::Text(b);
  if (x == y) return Order::Equal;
  return OrderOfSign(AnsiCompareStr(x, y));
}

// Integers, Booleans (True is -1), Currency and floats: exactly where both sides are exact, else as
// doubles, which is how a Currency or a Single meets a Double.
Order CompareNumbers(const Variant& a, const Variant& b) {
  const TVarType ta = a.Type(), tb = b.Type();
  if (ta == varFMTBcd || tb == varFMTBcd) return OrderOfSign(BcdCompare(a.AsBcd(), b.AsBcd()));
  const bool intA = IsIntType(ta) || ta == varBoolean, intB = IsIntType(tb) || tb == varBoolean;
  if (intA && intB) return OrderOf(IntegerOf(a), IntegerOf(b));
  const bool moneyA = ta == varCurrency || intA, moneyB = tb == varCurrency || intB;
  if (moneyA && moneyB) {
    const auto scaled = [](const Variant& v, bool isInt) {
      return isInt ? IntegerOf(v) * Currency::kScale : static_cast<__int128>(VA::Money(v).Value);
    };
    return OrderOf(scaled(a, intA), scaled(b, intB));
  }
  if (intA) return OrderOf(static_cast<long double>(IntegerOf(a)), static_cast<long double>(b.AsDouble()));
  if (intB) return OrderOf(static_cast<long double>(a.AsDouble()), static_cast<long double>(IntegerOf(b)));
  return OrderOf(a.AsDouble(), b.AsDouble());
}

// The zero of a kind, for comparing Empty with it.
Variant ZeroLike(const Variant& v) {
  if (VarIsStr(v)) return Variant(String());
  if (v.Type() == varObject) return Variant::FromObject(nullptr);
  if (v.Type() == varError) return Variant::FromError(0);
  return VarAsType(Variant(), v.Type());
}

// Neither side is Null. Raises EVariantTypeCastError for values that cannot be brought to one kind.
Order Compare(const Variant& a, const Variant& b) {
  if (a.IsArray() || b.IsArray()) VarInvalidOp();
  if (a.IsEmpty() && b.IsEmpty()) return Order::Equal;
  if (a.IsEmpty()) return Compare(ZeroLike(b), b);
  if (b.IsEmpty()) return Compare(a, ZeroLike(a));
  const TVarType ta = a.Type(), tb = b.Type();
  if (ta == varObject || tb == varObject) {
    if (ta != tb) VarCastError(ta == varObject ? tb : ta, varObject);
    return VA::Object(a) == VA::Object(b) ? Order::Equal : Order::Unordered;
  }
  if (ta == varError || tb == varError) {
    if (ta != tb) VarCastError(ta == varError ? tb : ta, varError);
    return OrderOf(VA::Signed(a), VA::Signed(b));
  }
  if (VarIsStr(a) && VarIsStr(b)) return CompareStrings(a, b);
  if (ta == varSQLTimeStampOffset || tb == varSQLTimeStampOffset)
    return OrderOfSign(CompareSQLTimeStampOffset(a.AsSQLTimeStampOffset(), b.AsSQLTimeStampOffset()));
  if (ta == varSQLTimeStamp || tb == varSQLTimeStamp)
    return OrderOfSign(CompareSQLTimeStamp(a.AsSQLTimeStamp(), b.AsSQLTimeStamp()));
  if (ta == varDate || tb == varDate) return OrderOf(a.AsDateTime(), b.AsDateTime());
  if (ta == varBoolean && (tb == varBoolean || VarIsStr(b))) return OrderOf(a.AsBoolean(), b.AsBoolean());
  if (tb == varBoolean && VarIsStr(a)) return OrderOf(a.AsBoolean(), b.AsBoolean());
  // Text beside a number reads as that number.
  if (VarIsStr(a)) return CompareNumbers(tb == varFMTBcd ? Variant(a.AsBcd()) : Variant(a.AsDouble()), b);
  if (VarIsStr(b)) return CompareNumbers(a, ta == varFMTBcd ? Variant(b.AsBcd()) : Variant(b.AsDouble()));
  return CompareNumbers(a, b);
}

bool Ordered(const Variant& a, const Variant& b, bool less, bool equal, bool greater) {
  if (a.IsNull() || b.IsNull()) return false;
  switch (Compare(a, b)) {
    case Order::Less:
      return less;
    case Order::Equal:
      return equal;
    case Order::Greater:
      return greater;
    case Order::Unordered:
      return false;
  }
  return false;
}

}  // namespace

Variant operator+(const Variant& a, const Variant& b) { return Arithmetic(Op::Add, a, b); }
Variant operator-(const Variant& a, const Variant& b) { return Arithmetic(Op::Sub, a, b); }
Variant operator*(const Variant& a, const Variant& b) { return Arithmetic(Op::Mul, a, b); }

Variant operator/(const Variant& a, const Variant& b) {
  CheckOperand(a);
  CheckOperand(b);
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  const double x = a.AsDouble(), y = b.AsDouble();
  if (y == 0) {
    if (x == 0 || std::isnan(x)) throw EInvalidOp(u"Invalid floating point operation");
    throw EZeroDivide(u"Floating point division by zero");
  }
  return Variant(CheckFloat(x / y, x, y));
}

Variant operator-(const Variant& a) {
  CheckOperand(a);
  const TVarType t = a.Type();
  switch (t) {
    case varEmpty:
    case varNull:
      return a;
    case varSingle:
      return Variant(-static_cast<float>(VA::Float(a)));
    case varDouble:
      return Variant(-VA::Float(a));
    case varDate:
      return Variant::FromDate(-VA::Float(a));
    case varFMTBcd:
      return Variant(-VA::Bcd(a));
    case varCurrency:
      if (VA::Money(a) == MinCurrency) Overflow();
      return Variant(-VA::Money(a));
    case varSQLTimeStamp:
    case varSQLTimeStampOffset:
      VarInvalidOp();
    default:
      if (VarIsStr(a)) return Variant(-a.AsDouble());
      return FitInteger(-IntegerOf(a), t, t);
  }
}

Variant VarIntDiv(const Variant& a, const Variant& b) {
  CheckOperand(a);
  CheckOperand(b);
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  const __int128 x = IntegerOperand(a), y = IntegerOperand(b);
  if (y == 0) throw EDivByZero(u"Division by zero");
  return FitInteger(x / y, a.Type(), b.Type());
}

Variant VarMod(const Variant& a, const Variant& b) {
  CheckOperand(a);
  CheckOperand(b);
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  const __int128 x = IntegerOperand(a), y = IntegerOperand(b);
  if (y == 0) throw EDivByZero(u"Division by zero");
  return FitInteger(x % y, a.Type(), b.Type());
}

Variant VarAnd(const Variant& a, const Variant& b) { return LogicOp(Logic::And, a, b); }
Variant VarOr(const Variant& a, const Variant& b) { return LogicOp(Logic::Or, a, b); }
Variant VarXor(const Variant& a, const Variant& b) { return LogicOp(Logic::Xor, a, b); }

Variant VarNot(const Variant& a) {
  CheckOperand(a);
  const TVarType t = a.Type();
  if (t == varNull) return a;
  if (t == varBoolean) return Variant(!VA::Bool(a));
  // "True"/"False" negate as truth values; numeric text as an integer.
  if (VarIsStr(a)) {
    const String s = StrValue(a);
    Int64 i;
    Extended x;
    bool b;
    if (!TryStrToInt64(s, i) && !TryStrToFloat(s, x) && TryStrToBool(s, b)) return Variant(!b);
  }
  if (t == varUInt64) return Variant(~VA::Unsigned(a));
  return FitInteger(~IntegerOperand(a), t, t);
}

Variant operator&(const Variant& a, const Variant& b) { return VarAnd(a, b); }
Variant operator|(const Variant& a, const Variant& b) { return VarOr(a, b); }
Variant operator^(const Variant& a, const Variant& b) { return VarXor(a, b); }
Variant operator!(const Variant& a) { return VarNot(a); }
Variant operator~(const Variant& a) { return VarNot(a); }

Variant& Variant::operator+=(const Variant& v) & { return *this = *this + v; }
Variant& Variant::operator-=(const Variant& v) & { return *this = *this - v; }
Variant& Variant::operator*=(const Variant& v) & { return *this = *this * v; }
Variant& Variant::operator/=(const Variant& v) & { return *this = *this / v; }

bool operator==(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull();
  return Compare(a, b) == Order::Equal;
}
bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }
bool operator<(const Variant& a, const Variant& b) { return Ordered(a, b, true, false, false); }
bool operator<=(const Variant& a, const Variant& b) { return Ordered(a, b, true, true, false); }
bool operator>(const Variant& a, const Variant& b) { return Ordered(a, b, false, false, true); }
bool operator>=(const Variant& a, const Variant& b) { return Ordered(a, b, false, true, true); }

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b) {
  if (a.IsEmpty() || a.IsNull() || b.IsEmpty() || b.IsNull())
    return a.Type() == b.Type() ? vrEqual : vrNotEqual;
  if (a.IsArray() || b.IsArray()) return vrNotEqual;
  try {
    switch (Compare(a, b)) {
      case Order::Less:
        return vrLessThan;
      case Order::Equal:
        return vrEqual;
      case Order::Greater:
        return vrGreaterThan;
      case Order::Unordered:
        return vrNotEqual;
    }
  } catch (const EVariantError&) {
    // Two values that do not convert into each other (text that is no number against a number) have
    // no order: "not equal" is the answer the caller asked for, not a failure it must hear of.
  } catch (const EConvertError&) {
    // The same: a conversion that fails says the values are of kinds that do not compare.
  }
  return vrNotEqual;
}

bool VarSameValue(const Variant& a, const Variant& b) { return VarCompareValue(a, b) == vrEqual; }
