// Filter and aggregate expressions of the in-memory table: texts compiled by the dataset framework's
// expression parser and evaluated here against one record of the store or over a records view.
#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "platform/data/DBFilterExpr.h"
#include "platform/data/DBTypes.h"
#include "platform/rtl/Variant.h"

class TDataSet;
class TMemoryRecordEh;
class TMTDataStructEh;
class TRecordsViewEh;

enum TDataSetExprParserTypeEh { dsptFilterEh, dsptAggregateEh };

// Makes "_" an ordinary character in LIKE patterns; off unless a program turns it on.
bool& ExprLikeUnderscoreIsOrdinaryEh();

// % stands for any run of characters, _ for exactly one (unless the switch above is on), [c] for c itself. A
// value equal to the pattern always matches; case-insensitive matching upper-cases both under the user's
// locale.
bool ExprLikeEh(std::u16string_view value, const String& pattern, bool caseInsensitive);
// Position (1-based) of segment in text where "_" in the segment matches any character; 0 when none.
Integer PosWithWildcardEh(const String& text, const String& segment);
// -1, 0 or 1 under the user's locale, over the first partialLength characters (0: whole texts).
Integer CompareExprStringsEh(const Variant& a, const Variant& b, Integer partialLength, bool caseInsensitive);
enum TTrimSideEh { tsBothEh, tsLeftEh, tsRightEh };
String TrimCharEh(const String& text, const String& trimChar, TTrimSideEh side);

class TDataSetExprParserEh {
 public:
  // Reads the value at a data-field position of the record being evaluated.
  using TFieldValueReader = std::function<Variant(Integer fieldIndex)>;
  // Reads the value at a data-field position of accountable row `row` of an aggregate's view.
  using TRowValueReader = std::function<Variant(Integer row, Integer fieldIndex)>;
  // Resolves a field name to its data-field position and type; -1 when unknown.
  using TFieldResolver = std::function<Integer(const String& name, TFieldType& type)>;

  TDataSetExprParserEh(TDataSet* aDataSet, TDataSetExprParserTypeEh exprParserType);
  ~TDataSetExprParserEh();
  TDataSetExprParserEh(const TDataSetExprParserEh&) = delete;
  TDataSetExprParserEh& operator=(const TDataSetExprParserEh&) = delete;

  // Field names resolve to positions in this structure (default: the dataset's fields in order).
  void SetDataStruct(TMTDataStructEh* dataStruct) { dataStruct_ = dataStruct; }
  void SetFieldResolver(TFieldResolver resolver) { resolver_ = std::move(resolver); }
  // Used when there is no dataset; a dataset's own FilterOptions take precedence.
  void SetFilterOptions(TFilterOptions options) { options_ = options; }
  TFilterOptions GetFilterOptions() const;
  TDataSet* GetDataSet() const { return dataSet_; }
  TDataSetExprParserTypeEh GetExprParserType() const { return type_; }

  // Syntax errors are the framework parser's (EDatabaseError); an empty text leaves no expression.
  void ParseExpression(const String& expr);
  bool HasData() const { return expr_ != nullptr; }

  bool IsCurRecordInFilter(TMemoryRecordEh* rec) const;
  bool IsCurRecordInFilter(const TFieldValueReader& reader) const;
  bool IsCurRecordBufInFilter(void*) const { return true; }
  // Boolean False without an expression; Null over a view without accountable records.
  Variant CalcAggregateValue(TRecordsViewEh* recordsView) const;
  Variant CalcAggregateValue(Integer rowCount, const TRowValueReader& reader) const;
  // The expression's value for one record (no view).
  Variant Evaluate(const TFieldValueReader& reader) const;

 private:
  struct Context;
  Variant EvaluateExprNodeEh(const TExprNode& node, Context& ctx) const;
  Variant EvalUnary(const TExprNode& node, Context& ctx) const;
  Variant EvalBinary(const TExprNode& node, Context& ctx) const;
  Variant EvalFunction(const TExprNode& node, Context& ctx) const;
  Variant EvalAggregate(const TExprNode& node, Context& ctx) const;
  Variant EvalField(const TExprNode& node, Context& ctx) const;
  bool CaseInsensitive() const;
  bool ValuesEqual(const Variant& a, const Variant& b) const;
  Integer ResolveField(const String& name, TFieldType& type) const;

  TDataSet* dataSet_;
  TDataSetExprParserTypeEh type_;
  TMTDataStructEh* dataStruct_ = nullptr;
  TFieldResolver resolver_;
  TFilterOptions options_;
  std::unique_ptr<TFilterExpr> expr_;
  // Data-field position of each field node, by node; made once per parse, not per record.
  std::unordered_map<const TExprNode*, Integer> fieldIndexes_;
  // "field LIKE 'text'" alone: tested on the stored value in place, without evaluating the tree.
  Integer likeField_ = -1;
  String likePattern_;
  bool likeNegated_ = false;
  // A pattern "%text%" whose text has no wildcard: a search for the text, as it is and upper-cased.
  bool likeContains_ = false;
  String likeText_;
  String likeTextUpper_;
};
