// The filter-expression language of datasets: a parser into the framework's expression tree (node
// classes and operator numbers as the class library numbers them) and an evaluator over a record.
//
// Grammar (keywords case-insensitive):
//   expr     := or
//   or       := and { OR and }
//   and      := not { AND not }
//   not      := NOT not | compare
//   compare  := sum [ (= | <> | < | > | <= | >=) sum | [NOT] LIKE sum | [NOT] IN ( list ) | IS [NOT] NULL ]
//   sum      := term { (+ | -) term }            (arithmetic needs poExtSyntax)
//   term     := factor { (* | /) factor }
//   factor   := - factor | ( expr ) | constant | field | function ( [expr {, expr}] )
//   field    := name | [any text] | "any text"
//   constant := 'text with '' doubled' | number | TRUE | FALSE | NULL
// `x = NULL` and `x <> NULL` mean IS NULL / IS NOT NULL. A text constant compared with a date, time
// or number field converts to that type with the locale's formats. Without foNoPartialCompare,
// `Name = 'abc*'` matches every value starting with "abc". LIKE takes % and * for any run, _ for
// one character and [c] for the character c itself. Functions (poExtSyntax): UPPER, LOWER, SUBSTRING(s, from
// [, count]), TRIM, TRIMLEFT, TRIMRIGHT, YEAR, MONTH, DAY, HOUR, MINUTE, SECOND, GETDATE(), DATE, TIME.
// Aggregates (poAggregate): SUM, MIN, MAX, AVG, COUNT(*) and COUNT(expr). Any error raises EDatabaseError
// with the framework's message texts.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/classes/Set.h"
#include "platform/data/DBTypes.h"
#include "platform/rtl/Variant.h"

enum TExprNodeClass {
  nodeNULL = 0,
  nodeUNARY = 1,
  nodeBINARY = 2,
  nodeCOMPARE = 3,
  nodeFIELD = 4,
  nodeCONST = 5,
  nodeTUPLE = 6,
  nodeCONTINUE = 7,
  nodeUDF = 8,
  nodeLIST = 9,
  nodeFUNC = 10,
  nodeLISTELEM = 11,
};

enum TCANOperator {
  coNOTDEFINED,
  coISBLANK,
  coNOTBLANK,
  coEQ,
  coNE,
  coGT,
  coLT,
  coGE,
  coLE,
  coNOT,
  coAND,
  coOR,
  coTUPLE2,
  coFIELD2,
  coCONST2,
  coMINUS,
  coADD,
  coSUB,
  coMUL,
  coDIV,
  coMOD,
  coREM,
  coSUM,
  coCOUNT,
  coMIN,
  coMAX,
  coAVG,
  coCONT,
  coUDF2,
  coCONTINUE2,
  coLIKE,
  coIN,
  coLIST2,
  coUPPER,
  coLOWER,
  coFUNCTION2,
  coLISTELEM2,
  coASSIGN,
};

enum TParserOption {
  poExtSyntax,
  poAggregate,
  poDefaultExpr,
  poUseOrigNames,
  poFieldNameGiven,
  poFieldDepend
};
using TParserOptions = TSet<TParserOption>;

struct TExprNode {
  TExprNodeClass NodeClass = nodeNULL;
  TCANOperator Operator = coNOTDEFINED;
  // nodeCONST: the constant; nodeFIELD: unused.
  Variant Value;
  // nodeFIELD: the field name; nodeFUNC: the function name in upper case.
  String Name;
  // nodeFIELD: the field the resolver bound (may stay null when the caller reads values by name).
  TField* Field = nullptr;
  TFieldType DataType = ftUnknown;
  // Unary: one; binary and compare: left, right; IN: the tested value then the list elements
  // (nodeLISTELEM, each holding one argument); functions: their arguments.
  std::vector<std::unique_ptr<TExprNode>> Args;
  // LIKE/IN negated (NOT LIKE, NOT IN).
  bool Negated = false;
};

class TFilterExpr {
 public:
  // Resolves a field name to its field and type; raises for an unknown name. The dataset's
  // resolver answers "Field '%s' not found".
  using TFieldResolver = std::function<void(const String& name, TField*& field, TFieldType& type)>;
  // Reads a field's value in the record being evaluated.
  using TFieldReader = std::function<Variant(const TExprNode& fieldNode)>;

  TFilterExpr(const String& text, TFilterOptions options, TParserOptions parserOptions,
              const TFieldResolver& resolver);
  // Binds field names to dataset's fields; values are read through the fields.
  TFilterExpr(TDataSet* dataSet, const String& text, TFilterOptions options,
              TParserOptions parserOptions = TParserOptions{poExtSyntax});
  ~TFilterExpr();

  const TExprNode* Root() const { return root_.get(); }
  const String& Text() const { return text_; }
  TFilterOptions Options() const { return options_; }
  bool IsAggregate() const { return hasAggregate_; }
  // Fields the expression reads, in order of first use.
  const std::vector<String>& FieldNames() const { return fieldNames_; }

  // The expression's value for the current record (Null for unknown, as with NULL operands).
  Variant Evaluate(const TFieldReader& reader) const;
  Variant Evaluate() const;
  // A filter accepts a record only when the expression is true.
  bool Matches(const TFieldReader& reader) const;
  bool Matches() const;

  // Aggregates: Reset, then Accumulate for each record, then Evaluate gives the result.
  void ResetAggregates();
  void Accumulate(const TFieldReader& reader);
  void Accumulate();

  // The tree in a compact form for tests and diagnostics: "(class:operator child ...)", fields as
  // [Name], constants as their value.
  String Dump() const;

 private:
  struct AggregateState;
  Variant Eval(const TExprNode& node, const TFieldReader& reader) const;
  Variant EvalCompare(const TExprNode& node, const TFieldReader& reader) const;
  Variant EvalFunction(const TExprNode& node, const TFieldReader& reader) const;
  void AccumulateNode(const TExprNode& node, const TFieldReader& reader);
  TFieldReader DefaultReader() const;

  String text_;
  TFilterOptions options_;
  TParserOptions parserOptions_;
  std::unique_ptr<TExprNode> root_;
  std::vector<String> fieldNames_;
  bool hasAggregate_ = false;
  std::vector<AggregateState> aggregates_;
};

// True when text matches the LIKE pattern (% and * any run, _ one character, [c] the character c itself).
bool FilterLikeMatch(const String& text, const String& pattern, bool caseInsensitive);
// Whether the pattern holds a one-character literal "[c]" at the position.
bool IsLikeLiteralAt(std::u16string_view pattern, size_t at);
// The text as a LIKE pattern that matches it character for character: wildcards and "[" become "[c]".
String FilterLikeEscape(const String& text);
