// Report expression values: text form, coercion and the binary operators.
#include "reportlib/engine/QREvResult.h"

#include <charconv>
#include <cmath>

#include "platform/rtl/DateFormat.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/FloatFormat.h"
#include "reportlib/engine/QRExprConsts.h"

String QRFormatMessage(const Char* message, std::initializer_list<String> args) {
  String result;
  auto arg = args.begin();
  for (const Char* p = message; *p; ++p) {
    if (p[0] == u'%' && p[1] == u's' && arg != args.end()) {
      result += *arg++;
      ++p;
    } else {
      result += *p;
    }
  }
  return result;
}

void SetErrorResult(const String& message, TQREvResult& result) {
  result.Kind = resError;
  result.StringVal = message;
  result.IsDateTime = false;
}

namespace {

// Decimal digits straight into the string's own storage: no allocation once it has room.
void IntToText(Int64 value, String& text) {
  char digits[24];
  const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  text.resize(static_cast<size_t>(end - digits));
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<Char>(digits[i]);
}

const Char* BoolText(bool value) { return value ? u"True" : u"False"; }

}  // namespace

void EvResultToText(const TQREvResult& value, String& text) {
  switch (value.Kind) {
    case resInt:
      IntToText(value.intResult, text);
      return;
    case resDouble:
      text = FloatToStr(value.dblResult);
      return;
    case resString:
      if (&text != &value.StringVal) text = value.StringVal;
      return;
    case resBool:
      text = BoolText(value.booResult);
      return;
    case resError:
      break;
  }
  throw Exception(QRFormatMessage(SqrExpError, {value.StringVal}));
}

String EvResultToText(const TQREvResult& value) {
  String text;
  EvResultToText(value, text);
  return text;
}

void QRAddInt(Int64 a, Int64 b, TQREvResult& result) {
  Int64 sum;
  if (__builtin_add_overflow(a, b, &sum))
    result.SetDouble(static_cast<double>(a) + static_cast<double>(b));
  else
    result.SetInt(sum);
}

void QRSubInt(Int64 a, Int64 b, TQREvResult& result) {
  Int64 difference;
  if (__builtin_sub_overflow(a, b, &difference))
    result.SetDouble(static_cast<double>(a) - static_cast<double>(b));
  else
    result.SetInt(difference);
}

void QRMulInt(Int64 a, Int64 b, TQREvResult& result) {
  Int64 product;
  if (__builtin_mul_overflow(a, b, &product))
    result.SetDouble(static_cast<double>(a) * static_cast<double>(b));
  else
    result.SetInt(product);
}

namespace {

// Both operands of a kind: integer with float widens the integer; any other mix compares and joins
// as text (so 1 = TRUE compares "1" with "True").
void CoerceOperands(TQREvResult& left, TQREvResult& right) {
  if (left.Kind == resError || right.Kind == resError || left.Kind == right.Kind) return;
  if (left.Kind == resInt && right.Kind == resDouble) {
    left.SetDouble(static_cast<double>(left.intResult));
  } else if (left.Kind == resDouble && right.Kind == resInt) {
    right.SetDouble(static_cast<double>(right.intResult));
  } else {
    // A text stays what it is (a date text keeps its moment); the other side becomes its text.
    if (left.Kind != resString) {
      EvResultToText(left, left.StringVal);
      left.Kind = resString;
      left.IsDateTime = false;
    }
    if (right.Kind != resString) {
      EvResultToText(right, right.StringVal);
      right.Kind = resString;
      right.IsDateTime = false;
    }
  }
}

const Char* OperatorSymbol(TQREvOperator op) {
  switch (op) {
    case opLess:
      return u"<";
    case opLessOrEqual:
      return u"<=";
    case opGreater:
      return u">";
    case opGreaterOrEqual:
      return u">=";
    case opOr:
      return u"OR";
    case opAnd:
      return u"AND";
    default:
      return u"";
  }
}

const Char* OperationWord(TQREvOperator op) {
  switch (op) {
    case opPlus:
      return SqrAdd;
    case opMinus:
      return SqrSubtract;
    case opMul:
      return SqrMultiply;
    default:
      return SqrDivide;
  }
}

bool IsComparison(TQREvOperator op) { return op <= opUnequal; }

template <class T>
bool Compare(TQREvOperator op, const T& a, const T& b) {
  switch (op) {
    case opLess:
      return a < b;
    case opLessOrEqual:
      return a <= b;
    case opGreater:
      return a > b;
    case opGreaterOrEqual:
      return a >= b;
    case opEqual:
      return a == b;
    default:
      return a != b;
  }
}

// Two texts of which at least one is a date field's text compare by their moments when the other one
// reads as a date too; the letters of "01.02.2024" and "15.01.2024" would put them the wrong way round.
bool DateMoments(const TQREvResult& left, const TQREvResult& right, double& a, double& b) {
  if (!left.IsDateTime && !right.IsDateTime) return false;
  TDateTime parsed;
  if (left.IsDateTime) {
    a = left.dblResult;
  } else if (TryStrToDateTime(left.StringVal, parsed)) {
    a = parsed;
  } else {
    return false;
  }
  if (right.IsDateTime) {
    b = right.dblResult;
  } else if (TryStrToDateTime(right.StringVal, parsed)) {
    b = parsed;
  } else {
    return false;
  }
  return true;
}

void CannotOperate(TQREvOperator op, const Char* kind, TQREvResult& result) {
  SetErrorResult(QRFormatMessage(SqrCannotOperate, {OperationWord(op), kind}), result);
}

void Incompatible(TQREvOperator op, const Char* kind, TQREvResult& result) {
  SetErrorResult(QRFormatMessage(SqrIncompatibleOperator, {OperatorSymbol(op), kind}), result);
}

void OperateInt(TQREvOperator op, TQREvResult& left, const TQREvResult& right) {
  const Int64 a = left.intResult, b = right.intResult;
  if (IsComparison(op)) return left.SetBool(Compare(op, a, b));
  switch (op) {
    case opPlus:
      return QRAddInt(a, b, left);
    case opMinus:
      return QRSubInt(a, b, left);
    case opMul:
      return QRMulInt(a, b, left);
    case opDiv:
      if (b == 0) return SetErrorResult(SqrDivisionByZero, left);
      return left.SetDouble(static_cast<double>(a) / static_cast<double>(b));
    case opOr:
      return left.SetInt(a | b);
    default:
      return left.SetInt(a & b);
  }
}

void OperateDouble(TQREvOperator op, TQREvResult& left, const TQREvResult& right) {
  const double a = left.dblResult, b = right.dblResult;
  if (IsComparison(op)) return left.SetBool(Compare(op, a, b));
  switch (op) {
    case opPlus:
      return left.SetDouble(a + b);
    case opMinus:
      return left.SetDouble(a - b);
    case opMul:
      return left.SetDouble(a * b);
    case opDiv:
      if (b == 0) return SetErrorResult(SqrDivisionByZero, left);
      return left.SetDouble(a / b);
    default:
      return Incompatible(op, SqrNumeric, left);
  }
}

void OperateString(TQREvOperator op, TQREvResult& left, const TQREvResult& right) {
  if (IsComparison(op)) {
    double a, b;
    if (DateMoments(left, right, a, b)) return left.SetBool(Compare(op, a, b));
    return left.SetBool(Compare(op, left.StringVal.compare(right.StringVal), 0));
  }
  switch (op) {
    case opPlus:
      left.StringVal += right.StringVal;
      left.IsDateTime = false;
      return;
    case opOr:
    case opAnd:
      return Incompatible(op, SqrString, left);
    default:
      return CannotOperate(op, SqrString, left);
  }
}

void OperateBool(TQREvOperator op, TQREvResult& left, const TQREvResult& right) {
  const bool a = left.booResult, b = right.booResult;
  switch (op) {
    case opEqual:
      return left.SetBool(a == b);
    case opUnequal:
      return left.SetBool(a != b);
    case opOr:
      return left.SetBool(a || b);
    case opAnd:
      return left.SetBool(a && b);
    case opPlus:
    case opMinus:
    case opMul:
    case opDiv:
      return CannotOperate(op, SqrBoolean, left);
    default:
      return Incompatible(op, SqrBoolean, left);
  }
}

}  // namespace

void QREvOperate(TQREvOperator op, TQREvResult& left, TQREvResult& right) {
  CoerceOperands(left, right);
  if (left.Kind == resError) return;
  if (right.Kind == resError) {
    SetErrorResult(right.StringVal, left);
    return;
  }
  switch (left.Kind) {
    case resInt:
      return OperateInt(op, left, right);
    case resDouble:
      return OperateDouble(op, left, right);
    case resString:
      return OperateString(op, left, right);
    case resBool:
      return OperateBool(op, left, right);
    case resError:
      return;
  }
}

bool QRCompareValues(const TQREvResult& a, const TQREvResult& b, int& order) {
  if (a.IsNumeric() && b.IsNumeric()) {
    if (a.Kind == resInt && b.Kind == resInt) {
      order = a.intResult < b.intResult ? -1 : (a.intResult > b.intResult ? 1 : 0);
      return true;
    }
    const long double x = a.AsNumber(), y = b.AsNumber();
    if (std::isnan(x) || std::isnan(y)) return false;
    order = x < y ? -1 : (x > y ? 1 : 0);
    return true;
  }
  if (a.Kind != b.Kind) return false;
  switch (a.Kind) {
    case resString: {
      double x, y;
      if (DateMoments(a, b, x, y)) {
        order = x < y ? -1 : (x > y ? 1 : 0);
      } else {
        const int c = a.StringVal.compare(b.StringVal);
        order = c < 0 ? -1 : (c > 0 ? 1 : 0);
      }
      return true;
    }
    case resBool:
      order = a.booResult == b.booResult ? 0 : (a.booResult ? 1 : -1);
      return true;
    default:
      return false;
  }
}
