// The texts of the report expression language: error messages that travel as values and the messages
// of the exceptions its conversions raise. Stored reports and their users see them, so they stay as
// they are, spelling included.
#pragma once

#include <initializer_list>

#include "platform/rtl/Types.h"

inline constexpr const Char* SqrEvaluatorNotPrepared = u"Evaluator not prepared";
inline constexpr const Char* SqrInvalidNot = u"Invalid use of NOT";
inline constexpr const Char* SqrExpected = u"Missing %s";
inline constexpr const Char* SqrExpError = u"Error in expression : %s";
inline constexpr const Char* SqrIllegalNumeric = u"Illegal character in numeric contant ";
inline constexpr const Char* SqrUnknownFunction = u"Unknown function : %s";
inline constexpr const Char* SqrNotValue = u"Not a %s value";
inline constexpr const Char* SqrIncompatibleOperator = u"Operator %s is not compatible with %s expressions";
inline constexpr const Char* SqrCannotOperate = u"Cannot %s %s expressions";
inline constexpr const Char* SqrDivisionByZero = u"Cannot divide by 0";
inline constexpr const Char* SqrUnknownFieldType = u"Field %s is of unknown type";
inline constexpr const Char* SqrWrongArguments = u"Wrong arguments for %s";
inline constexpr const Char* SqrConversionError = u"Conversion error";
inline constexpr const Char* SqrMissingArgument = u"Missing argument for %s";
inline constexpr const Char* SqrInvalidSqrt = u"Invalid argument to SQRT function";
inline constexpr const Char* SqrDivByZero = u"Division by Zero";
inline constexpr const Char* SqrInvalidFormat = u"Invalid format or value specified";
inline constexpr const Char* SqrTooManyArguments = u"Too many arguments";
inline constexpr const Char* SqrCountPrefix = u"COUNT - ";
inline constexpr const Char* SqrRecursiveCall = u"Recursive calls not allowed";
// Our own: a text nested deeper than the parser follows (it would otherwise run out of stack).
inline constexpr const Char* SqrTooDeep = u"Expression is nested too deeply";

// The words the operator messages are filled with.
inline constexpr const Char* SqrBoolean = u"boolean";
inline constexpr const Char* SqrString = u"string";
inline constexpr const Char* SqrNumeric = u"numeric";
inline constexpr const Char* SqrAdd = u"add";
inline constexpr const Char* SqrSubtract = u"subtract";
inline constexpr const Char* SqrMultiply = u"multiply";
inline constexpr const Char* SqrDivide = u"divide";

// Puts the arguments in place of the "%s" marks of message, in order (a message never holds another
// kind of mark, and a "%" inside an argument stays as it is).
String QRFormatMessage(const Char* message, std::initializer_list<String> args);
