// The dataset framework's messages, in one place, with the class library's texts (Format patterns).
#pragma once

#include "platform/rtl/Types.h"

// Datasets.
inline constexpr const Char* SNotEditing = u"Dataset not in edit or insert mode";
inline constexpr const Char* SDataSetClosed = u"Cannot perform this operation on a closed dataset";
inline constexpr const Char* SDataSetOpen = u"Cannot perform this operation on an open dataset";
inline constexpr const Char* SDataSetEmpty = u"Cannot perform this operation on an empty dataset";
inline constexpr const Char* SDataSetReadOnly = u"Cannot modify a read-only dataset";
inline constexpr const Char* SDataSetUnidirectional = u"Operation not allowed on a unidirectional dataset";
inline constexpr const Char* SRecordNotFound = u"Record not found";
inline constexpr const Char* SNoDataFound = u"No data found";
inline constexpr const Char* SBookmarkNotFound = u"Bookmark not found";
inline constexpr const Char* SDeleteRecordQuestion = u"Delete record?";
inline constexpr const Char* SDeleteMultipleRecordsQuestion = u"Delete all selected records?";
inline constexpr const Char* SOperationNotSupported = u"Operation not supported";

// Fields.
inline constexpr const Char* SFieldNotFound = u"Field '%s' not found";
inline constexpr const Char* SFieldReadOnly = u"Field '%s' cannot be modified";
inline constexpr const Char* SFieldRequired = u"Field '%s' must have a value";
inline constexpr const Char* SFieldUnknownType = u"Field '%s' is of an unknown type";
inline constexpr const Char* SFieldNameMissing = u"Field name missing";
inline constexpr const Char* SDuplicateFieldName = u"Duplicate field name '%s'";
inline constexpr const Char* SInvalidFieldSize = u"Invalid field size";
inline constexpr const Char* SDataSetMissing = u"Field '%s' has no dataset";
inline constexpr const Char* SFieldIndexError = u"Field index out of range";
inline constexpr const Char* SFieldAccessError = u"Cannot access field '%s' as type %s";
inline constexpr const Char* SFieldValueError = u"Invalid value for field '%s'";
inline constexpr const Char* SFieldRangeError =
    u"'%s' is not a valid value for field '%s'. The allowed range is %s to %s";
inline constexpr const Char* SInvalidIntegerValue = u"'%s' is not a valid integer value for field '%s'";
inline constexpr const Char* SInvalidFloatValue = u"'%s' is not a valid floating point value for field '%s'";
inline constexpr const Char* SInvalidBoolValue = u"'%s' is not a valid boolean value for field '%s'";
inline constexpr const Char* SInvalidBcdValue = u"'%s' is not a valid BCD value for field '%s'";
inline constexpr const Char* SFieldTypeMismatch = u"Type mismatch for field '%s', expecting: %s actual: %s";
inline constexpr const Char* SLookupInfoError = u"Lookup information for field '%s' is incomplete";
inline constexpr const Char* SInvalidCalcType = u"Field '%s' cannot be a calculated or lookup field";
inline constexpr const Char* SFieldIsBlob = u"Field '%s' is not a blob field";
inline constexpr const Char* STextTrue = u"True";
inline constexpr const Char* STextFalse = u"False";

// Field and index definitions, parameters.
inline constexpr const Char* SDuplicateIndexName = u"Duplicate index name '%s'";
inline constexpr const Char* SIndexNotFound = u"Index '%s' not found";
inline constexpr const Char* SParameterNotFound = u"Parameter '%s' not found";

// Data sources and links.
inline constexpr const Char* SCircularDataLink = u"Circular datalinks are not allowed";
inline constexpr const Char* SDataSourceChange = u"DataSource cannot be changed";

// The filter-expression parser and evaluator.
inline constexpr const Char* SExprTermination = u"Filter expression incorrectly terminated";
inline constexpr const Char* SExprNameError = u"Unterminated field name";
inline constexpr const Char* SExprStringError = u"Unterminated string constant";
inline constexpr const Char* SExprInvalidChar = u"Invalid filter expression character: '%s'";
inline constexpr const Char* SExprNoLParen = u"'(' expected but %s found";
inline constexpr const Char* SExprNoRParen = u"')' expected but %s found";
inline constexpr const Char* SExprNoRParenOrComma = u"')' or ',' expected but %s found";
inline constexpr const Char* SExprExpected = u"Expression expected but %s found";
inline constexpr const Char* SExprBadField = u"Field '%s' cannot be used in a filter expression";
inline constexpr const Char* SExprBadNullTest = u"NULL only allowed with '=' and '<>'";
inline constexpr const Char* SExprRangeError = u"Constant out of range";
inline constexpr const Char* SExprNotBoolean = u"Field '%s' is not of type Boolean";
inline constexpr const Char* SExprBoolExpected = u"Boolean expression expected";
inline constexpr const Char* SExprTypeMis = u"Type mismatch in expression";
inline constexpr const Char* SExprBadScope =
    u"Operation cannot mix aggregate value with record-varying value";
inline constexpr const Char* SExprNoArith = u"Arithmetic in filter expressions not supported";
inline constexpr const Char* SExprNotAgg = u"Expression is not an aggregate expression";
inline constexpr const Char* SExprNoAggFilter = u"Aggregate expressions not allowed in filters";
inline constexpr const Char* SExprEmptyInList = u"IN predicate list may not be empty";
inline constexpr const Char* SExprIncorrect = u"Incorrectly formed filter expression";
inline constexpr const Char* SExprNothing = u"nothing";
inline constexpr const Char* SExprUnknownFunction = u"Unknown function '%s'";
inline constexpr const Char* SExprArgCount = u"Wrong number of arguments for function '%s'";
inline constexpr const Char* SExprTooDeep = u"Filter expression is nested too deeply";
inline constexpr const Char* SExprOperatorNotSupported = u"Operator <%d:%d> not supported.";
inline constexpr const Char* SInvalidKeywordUse = u"Invalid use of keyword";
