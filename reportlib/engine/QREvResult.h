// Report expression values: the small tagged value every element of an expression yields (integer,
// float, text, boolean or an error with its message), its text form, and the binary operators with
// their coercions. Errors are values: they pass through every operator to the top of an expression.
#pragma once

#include "platform/classes/Object.h"
#include "platform/rtl/Types.h"

enum TQREvResultType : Byte { resInt, resDouble, resString, resBool, resError };

enum TQREvOperator : Byte {
  opLess,
  opLessOrEqual,
  opGreater,
  opGreaterOrEqual,
  opEqual,
  opUnequal,
  opPlus,
  opMinus,
  opOr,
  opMul,
  opDiv,
  opAnd,
};

// Integers are 64-bit throughout, so large integer fields and sums keep their value. The setters keep
// the record tidy (StringVal empty for numbers and booleans) because results are reused from one
// evaluation to the next instead of being made anew.
struct TQREvResult {
  // Code page of a text taken from a literal (1200, UTF-16); nothing reads it.
  Word CodePage = 0;
  // The text of resString, the message of resError.
  String StringVal;
  TQREvResultType Kind = resInt;
  Int64 intResult = 0;
  double dblResult = 0;
  bool booResult = false;
  // A date or time field's display text: StringVal is what prints, dblResult the moment itself, so
  // comparisons and MAX/MIN go by time and not by the letters of the text.
  bool IsDateTime = false;

  void SetInt(Int64 value) {
    Kind = resInt;
    intResult = value;
    StringVal.clear();
    IsDateTime = false;
  }
  void SetDouble(double value) {
    Kind = resDouble;
    dblResult = value;
    StringVal.clear();
    IsDateTime = false;
  }
  void SetBool(bool value) {
    Kind = resBool;
    booResult = value;
    StringVal.clear();
    IsDateTime = false;
  }
  void SetString(const String& value) {
    Kind = resString;
    StringVal = value;
    IsDateTime = false;
  }
  void SetDateTimeString(const String& text, TDateTime value) {
    Kind = resString;
    StringVal = text;
    dblResult = value;
    IsDateTime = true;
  }
  bool IsNumeric() const { return Kind == resInt || Kind == resDouble; }
  // The numeric value as a long double, exact for every 64-bit integer.
  long double AsNumber() const { return Kind == resInt ? static_cast<long double>(intResult) : dblResult; }
};

// Function elements keep their argument values in objects of this class.
class TQREvResultClass : public TObject {
  KIV_CLASS(TQREvResultClass, TObject)
 public:
  TQREvResult EvResult;
};

// Makes result an error carrying message.
void SetErrorResult(const String& message, TQREvResult& result);

// The text of a value: integers in decimal, floats by FloatToStr, booleans "True"/"False", text as it
// is. An error raises Exception "Error in expression : %s".
String EvResultToText(const TQREvResult& value);
// The same into a string whose storage is reused.
void EvResultToText(const TQREvResult& value, String& text);

// Integer arithmetic that leaves 64 bits gives the float result instead of a wrapped number, as an
// integer literal too large for 64 bits reads as a float.
void QRAddInt(Int64 a, Int64 b, TQREvResult& result);
void QRSubInt(Int64 a, Int64 b, TQREvResult& result);
void QRMulInt(Int64 a, Int64 b, TQREvResult& result);

// Applies a binary operator: left holds the left operand and receives the result; right is the right
// operand (it may be changed by the coercion).
void QREvOperate(TQREvOperator op, TQREvResult& left, TQREvResult& right);

// Orders two values of one kind for MAX and MIN: -1, 0 or 1, and false when they cannot be ordered
// (different kinds that are not both numbers, errors, a NaN). Numbers compare across integer and float,
// date texts by their moment.
bool QRCompareValues(const TQREvResult& a, const TQREvResult& b, int& order);
