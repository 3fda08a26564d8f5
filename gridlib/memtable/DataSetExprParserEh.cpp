// Evaluation of compiled filter and aggregate expressions: operators, functions, LIKE and aggregates
// over the accountable records of a records view.
#include "gridlib/memtable/DataSetExprParserEh.h"

#include <array>
#include <cmath>
#include <unordered_map>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/memtable/MemRecordsViewEh.h"
#include "gridlib/memtable/MemTableDataEh.h"
#include "platform/data/DataSet.h"
#include "platform/data/Fields.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/VariantOps.h"

bool& ExprLikeUnderscoreIsOrdinaryEh() {
  static bool underscoreIsOrdinary = false;
  return underscoreIsOrdinary;
}

namespace {

bool IsWildOne(Char c) { return c == u'_' && !ExprLikeUnderscoreIsOrdinaryEh(); }

bool IsStringVar(const Variant& v) { return VarIsStr(v); }

bool IsDateVar(const Variant& v) { return VarType(v) == varDate; }

// Date-times compare to the second: the milliseconds are dropped.
double WithoutMilliseconds(const Variant& v) {
  double d = VarToDateTime(v);
  double secs = std::floor(d * 86400.0 + 1e-7 * (d >= 0 ? 1 : -1));
  return secs;
}

bool IsNumericForAggregate(const Variant& v) {
  switch (VarType(v)) {
    case varSmallint:
    case varInteger:
    case varSingle:
    case varDouble:
    case varCurrency:
    case varDate:
    case varBoolean:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
      return true;
    default:
      return false;
  }
}

[[noreturn]] void RaiseOperator(const TExprNode& node) {
  throw Exception(Format(u"Operator <%d:%d> not supported.",
                         {static_cast<int>(node.NodeClass), static_cast<int>(node.Operator)}));
}

[[noreturn]] void RaiseArgCount(const String& name) {
  throw Exception(Format(u"Incorrect number of arguments in function <%s>", {name}));
}

}  // namespace

namespace {

// The upper case of the characters most texts here are made of (Latin, Cyrillic), looked up.
Char UpperCharFast(Char c) {
  static const std::array<Char, 0x500> table = [] {
    std::array<Char, 0x500> t{};
    for (size_t i = 0; i < t.size(); ++i) t[i] = AnsiUpperChar(static_cast<Char>(i));
    return t;
  }();
  return c < table.size() ? table[c] : AnsiUpperChar(c);
}

// Whether value holds text (already upper-cased when caseInsensitive).
bool ContainsText(std::u16string_view value, std::u16string_view text, bool caseInsensitive) {
  if (text.empty()) return true;
  for (size_t start = 0; start + text.size() <= value.size(); ++start) {
    size_t k = 0;
    while (k < text.size() &&
           (caseInsensitive ? UpperCharFast(value[start + k]) : value[start + k]) == text[k])
      ++k;
    if (k == text.size()) return true;
  }
  return false;
}

}  // namespace

bool ExprLikeEh(std::u16string_view value, const String& pattern, bool caseInsensitive) {
  if (value == pattern) return true;
  // Letters are brought to one case as they are compared, so no value is copied.
  auto fold = [caseInsensitive](Char c) { return caseInsensitive ? UpperCharFast(c) : c; };
  const std::u16string_view p = pattern;
  // Greedy scan that remembers the last "%" to retry from: linear in practice, never exponential.
  size_t vi = 0, pi = 0;
  size_t starP = String::npos, starV = 0;
  while (vi < value.size()) {
    const bool literal = IsLikeLiteralAt(p, pi);
    if (!literal && pi < p.size() && p[pi] == u'%') {
      starP = pi++;
      starV = vi;
    } else if (literal ? fold(p[pi + 1]) == fold(value[vi])
                       : pi < p.size() && (IsWildOne(p[pi]) || fold(p[pi]) == fold(value[vi]))) {
      pi += literal ? 3 : 1;
      ++vi;
    } else if (starP != String::npos) {
      pi = starP + 1;
      vi = ++starV;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == u'%') ++pi;
  return pi == p.size();
}

Integer PosWithWildcardEh(const String& text, const String& segment) {
  if (segment.size() > text.size()) return 0;
  for (size_t start = 0; start + segment.size() <= text.size(); ++start) {
    size_t k = 0;
    while (k < segment.size() && (segment[k] == text[start + k] || IsWildOne(segment[k]))) ++k;
    if (k == segment.size()) return static_cast<Integer>(start + 1);
  }
  return 0;
}

Integer CompareExprStringsEh(const Variant& a, const Variant& b, Integer partialLength,
                             bool caseInsensitive) {
  bool wide = VarType(a) == varUString || VarType(a) == varOleStr || VarType(b) == varUString ||
              VarType(b) == varOleStr;
  Integer c = wide ? LocaleCompareWideStrEh(VarToStr(a), VarToStr(b), partialLength, caseInsensitive)
                   : LocaleCompareStrEh(VarToStr(a), VarToStr(b), partialLength, caseInsensitive);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

String TrimCharEh(const String& text, const String& trimChar, TTrimSideEh side) {
  if (text.empty() || trimChar.size() != 1) return text;
  Char c = trimChar[0];
  size_t first = 0, last = text.size();
  if (side != tsRightEh)
    while (first < last && text[first] == c) ++first;
  if (side != tsLeftEh)
    while (last > first && text[last - 1] == c) --last;
  return text.substr(first, last - first);
}

// ---------------------------------------------------------------- TDataSetExprParserEh

struct TDataSetExprParserEh::Context {
  const TFieldValueReader* record = nullptr;
  const TRowValueReader* rows = nullptr;
  Integer rowCount = 0;
  Integer aggregatePos = 0;
  const std::unordered_map<const TExprNode*, Integer>* fieldIndexes = nullptr;
};

TDataSetExprParserEh::TDataSetExprParserEh(TDataSet* aDataSet, TDataSetExprParserTypeEh exprParserType)
    : dataSet_(aDataSet), type_(exprParserType) {}

TDataSetExprParserEh::~TDataSetExprParserEh() = default;

TFilterOptions TDataSetExprParserEh::GetFilterOptions() const {
  return dataSet_ ? dataSet_->GetFilterOptions() : options_;
}

bool TDataSetExprParserEh::CaseInsensitive() const { return GetFilterOptions().Contains(foCaseInsensitive); }

Integer TDataSetExprParserEh::ResolveField(const String& name, TFieldType& type) const {
  if (resolver_) return resolver_(name, type);
  if (dataStruct_) {
    Integer index = dataStruct_->FieldIndex(name);
    if (index < 0) throw EDatabaseError(Format(u"Field '%s' not found", {name}));
    type = dataStruct_->GetDataField(index)->GetDataType();
    return index;
  }
  if (dataSet_) {
    TField* field = dataSet_->FieldByName(name);
    type = field->GetDataType();
    return field->GetIndex();
  }
  throw EDatabaseError(Format(u"Field '%s' not found", {name}));
}

void TDataSetExprParserEh::ParseExpression(const String& expr) {
  expr_.reset();
  fieldIndexes_.clear();
  likeField_ = -1;
  if (Trim(expr).empty()) return;
  TParserOptions parserOptions{poExtSyntax};
  if (type_ == dsptAggregateEh) parserOptions = TParserOptions{poExtSyntax, poAggregate};
  std::unordered_map<String, std::pair<Integer, TFieldType>> seen;
  auto resolver = [&](const String& name, TField*& field, TFieldType& fieldType) {
    field = nullptr;
    auto found = seen.find(AnsiUpperCase(name));
    if (found == seen.end())
      found =
          seen.emplace(AnsiUpperCase(name), std::make_pair(ResolveField(name, fieldType), fieldType)).first;
    fieldType = found->second.second;
  };
  auto compiled = std::make_unique<TFilterExpr>(expr, GetFilterOptions(), parserOptions, resolver);
  std::vector<const TExprNode*> stack{compiled->Root()};
  while (!stack.empty()) {
    const TExprNode* node = stack.back();
    stack.pop_back();
    if (node->NodeClass == nodeFIELD) fieldIndexes_.emplace(node, seen.at(AnsiUpperCase(node->Name)).first);
    for (const auto& child : node->Args) stack.push_back(child.get());
  }
  const TExprNode* root = compiled->Root();
  if (root->Operator == coLIKE && root->Args.size() == 2 && root->Args[0]->NodeClass == nodeFIELD &&
      root->Args[1]->NodeClass == nodeCONST && VarIsStr(root->Args[1]->Value)) {
    likeField_ = fieldIndexes_.at(root->Args[0].get());
    likePattern_ = VarToStr(root->Args[1]->Value);
    likeNegated_ = root->Negated;
    const size_t n = likePattern_.size();
    likeContains_ = n >= 2 && likePattern_[0] == u'%' && likePattern_[n - 1] == u'%' &&
                    likePattern_.find_first_of(u"%_[", 1) == n - 1;
    if (likeContains_) {
      likeText_ = likePattern_.substr(1, n - 2);
      likeTextUpper_.clear();
      for (Char c : likeText_) likeTextUpper_ += UpperCharFast(c);
    }
  }
  expr_ = std::move(compiled);
}

Variant TDataSetExprParserEh::Evaluate(const TFieldValueReader& reader) const {
  if (!expr_) return Null();
  Context ctx;
  ctx.record = &reader;
  ctx.fieldIndexes = &fieldIndexes_;
  return EvaluateExprNodeEh(*expr_->Root(), ctx);
}

bool TDataSetExprParserEh::IsCurRecordInFilter(const TFieldValueReader& reader) const {
  if (!expr_) return false;
  Variant result = Evaluate(reader);
  return VarAsType(result, varBoolean).AsBoolean();
}

bool TDataSetExprParserEh::IsCurRecordInFilter(TMemoryRecordEh* rec) const {
  if (!expr_) return false;
  if (likeField_ >= 0 && static_cast<size_t>(likeField_) < rec->GetData().size()) {
    const TRecValuesEh& values = rec->GetData();
    const size_t at = static_cast<size_t>(likeField_);
    const bool caseInsensitive = CaseInsensitive();
    bool match;
    if (likeContains_ && values.IsTextAt(at))
      match = ContainsText(values.TextAt(at), caseInsensitive ? likeTextUpper_ : likeText_, caseInsensitive);
    else
      match = values.IsTextAt(at) ? ExprLikeEh(values.TextAt(at), likePattern_, caseInsensitive)
                                  : ExprLikeEh(VarToStr(values[at]), likePattern_, caseInsensitive);
    return likeNegated_ ? !match : match;
  }
  return IsCurRecordInFilter([rec](Integer index) { return rec->GetDataValue(index, dvvValueEh); });
}

Variant TDataSetExprParserEh::CalcAggregateValue(Integer rowCount, const TRowValueReader& reader) const {
  if (!expr_) return Variant(false);
  Context ctx;
  ctx.rows = &reader;
  ctx.rowCount = rowCount;
  ctx.fieldIndexes = &fieldIndexes_;
  return EvaluateExprNodeEh(*expr_->Root(), ctx);
}

Variant TDataSetExprParserEh::CalcAggregateValue(TRecordsViewEh* recordsView) const {
  return CalcAggregateValue(recordsView->AccountableItemsCount(), [recordsView](Integer row, Integer field) {
    return recordsView->GetAccountableRecord(row)->GetDataValue(field, dvvValueEh);
  });
}

Variant TDataSetExprParserEh::EvaluateExprNodeEh(const TExprNode& node, Context& ctx) const {
  switch (node.NodeClass) {
    case nodeUNARY:
      return EvalUnary(node, ctx);
    case nodeBINARY:
    case nodeCOMPARE:
      return EvalBinary(node, ctx);
    case nodeFIELD:
      if (node.Operator != coFIELD2) RaiseOperator(node);
      return EvalField(node, ctx);
    case nodeCONST:
      if (node.Operator != coCONST2) RaiseOperator(node);
      return node.Value;
    case nodeFUNC:
      if (node.Operator != coFUNCTION2) RaiseOperator(node);
      return EvalFunction(node, ctx);
    case nodeLISTELEM:
      return Variant(true);
    default:
      return Null();
  }
}

Variant TDataSetExprParserEh::EvalField(const TExprNode& node, Context& ctx) const {
  Integer index = ctx.fieldIndexes->at(&node);
  if (ctx.record) return (*ctx.record)(index);
  if (ctx.rows) return (*ctx.rows)(ctx.aggregatePos, index);
  if (dataSet_) return dataSet_->FieldByName(node.Name)->GetValue();
  return Null();
}

Variant TDataSetExprParserEh::EvalUnary(const TExprNode& node, Context& ctx) const {
  switch (node.Operator) {
    case coSUM:
    case coMIN:
    case coMAX:
    case coAVG:
    case coCOUNT:
      return EvalAggregate(node, ctx);
    default:
      break;
  }
  if (node.Args.size() != 1) RaiseOperator(node);
  switch (node.Operator) {
    case coISBLANK:
    case coNOTBLANK: {
      Variant v = EvaluateExprNodeEh(*node.Args[0], ctx);
      bool blank = IsStringVar(v) ? VarToStr(v).empty() : VarIsNull(v);
      return Variant(node.Operator == coISBLANK ? blank : !blank);
    }
    case coNOT: {
      Variant v = EvaluateExprNodeEh(*node.Args[0], ctx);
      if (VarIsNull(v)) return Null();
      return Variant(!VarAsType(v, varBoolean).AsBoolean());
    }
    case coUPPER:
    case coLOWER: {
      Variant v = EvaluateExprNodeEh(*node.Args[0], ctx);
      if (VarIsNull(v)) return Null();
      return Variant(node.Operator == coUPPER ? AnsiUpperCase(VarToStr(v)) : AnsiLowerCase(VarToStr(v)));
    }
    default:
      RaiseOperator(node);
  }
}

bool TDataSetExprParserEh::ValuesEqual(const Variant& a, const Variant& b) const {
  if (IsStringVar(a) || IsStringVar(b)) return CompareExprStringsEh(a, b, 0, CaseInsensitive()) == 0;
  if (IsDateVar(a) && IsDateVar(b)) return WithoutMilliseconds(a) == WithoutMilliseconds(b);
  if (VarIsNull(a) || VarIsNull(b)) return false;
  return a == b;
}

Variant TDataSetExprParserEh::EvalBinary(const TExprNode& node, Context& ctx) const {
  if (node.Operator == coIN) {
    Variant left = EvaluateExprNodeEh(*node.Args[0], ctx);
    bool found = false;
    for (size_t i = 1; i < node.Args.size() && !found; ++i) {
      const TExprNode& element = *node.Args[i];
      const TExprNode& valueNode = element.NodeClass == nodeLISTELEM ? *element.Args.at(0) : element;
      found = ValuesEqual(left, EvaluateExprNodeEh(valueNode, ctx));
    }
    return Variant(node.Negated ? !found : found);
  }
  if (node.Args.size() != 2) RaiseOperator(node);
  Variant a = EvaluateExprNodeEh(*node.Args[0], ctx);
  Variant b = EvaluateExprNodeEh(*node.Args[1], ctx);
  bool anyString = IsStringVar(a) || IsStringVar(b);
  bool ci = CaseInsensitive();
  switch (node.Operator) {
    case coEQ:
    case coNE: {
      bool equal;
      // 'abc*' compares only the leading characters, as the dataset's own filters do.
      const TExprNode& right = *node.Args[1];
      String pattern = anyString ? VarToStr(b) : String();
      if (anyString && right.NodeClass == nodeCONST && !GetFilterOptions().Contains(foNoPartialCompare) &&
          !pattern.empty() && pattern.back() == u'*') {
        String prefix = pattern.substr(0, pattern.size() - 1);
        equal = CompareExprStringsEh(a, Variant(prefix), static_cast<Integer>(prefix.size()), ci) == 0;
      } else if (anyString) {
        equal = CompareExprStringsEh(a, b, 0, ci) == 0;
      } else if (IsDateVar(a) && IsDateVar(b)) {
        equal = WithoutMilliseconds(a) == WithoutMilliseconds(b);
      } else {
        if (VarIsNull(a) || VarIsNull(b))
          return Variant(node.Operator == coNE && VarIsNull(a) != VarIsNull(b));
        equal = a == b;
      }
      return Variant(node.Operator == coEQ ? equal : !equal);
    }
    case coGT:
    case coLT:
    case coGE:
    case coLE: {
      if (anyString) {
        Integer c = CompareExprStringsEh(a, b, 0, ci);
        switch (node.Operator) {
          case coGT:
            return Variant(c > 0);
          case coLT:
            return Variant(c < 0);
          case coGE:
            return Variant(c >= 0);
          default:
            return Variant(c <= 0);
        }
      }
      // Null is neither smaller nor greater than anything.
      if (VarIsNull(a) || VarIsNull(b)) return Variant(false);
      switch (node.Operator) {
        case coGT:
          return Variant(a > b);
        case coLT:
          return Variant(a < b);
        case coGE:
          return Variant(a >= b);
        default:
          return Variant(a <= b);
      }
    }
    case coAND:
      return a & b;
    case coOR:
      return a | b;
    case coADD:
      if (VarIsNull(a) && VarIsNull(b)) return Null();
      if (anyString) return Variant(VarToStr(a) + VarToStr(b));
      return a + b;
    case coSUB:
      return a - b;
    case coMUL:
      return a * b;
    case coDIV:
      return a / b;
    case coLIKE: {
      bool match = ExprLikeEh(VarToStr(a), VarToStr(b), ci);
      return Variant(node.Negated ? !match : match);
    }
    default:
      RaiseOperator(node);
  }
}

Variant TDataSetExprParserEh::EvalFunction(const TExprNode& node, Context& ctx) const {
  const String name = AnsiUpperCase(node.Name);
  std::vector<Variant> args;
  args.reserve(node.Args.size());
  for (const auto& arg : node.Args) {
    const TExprNode& valueNode = arg->NodeClass == nodeLISTELEM ? *arg->Args.at(0) : *arg;
    args.push_back(EvaluateExprNodeEh(valueNode, ctx));
  }
  const size_t n = args.size();
  auto needArgs = [&](size_t low, size_t high) {
    if (n < low || n > high) RaiseArgCount(name);
  };
  if (name == u"SUBSTRING") {
    needArgs(2, 3);
    if (VarIsNull(args[0])) return Null();
    String text = VarToStr(args[0]);
    Int64 from = VarAsType(args[1], varInt64).AsInt64();
    if (from < 1) from = 1;
    if (from > static_cast<Int64>(text.size())) return Variant(String());
    size_t count = String::npos;
    if (n == 3) {
      Int64 c = VarAsType(args[2], varInt64).AsInt64();
      count = c < 0 ? 0 : static_cast<size_t>(c);
    }
    return Variant(text.substr(static_cast<size_t>(from - 1), count));
  }
  if (name == u"UPPER" || name == u"LOWER") {
    needArgs(1, 1);
    if (VarIsNull(args[0])) return Null();
    return Variant(name == u"UPPER" ? AnsiUpperCase(VarToStr(args[0])) : AnsiLowerCase(VarToStr(args[0])));
  }
  if (name == u"TRIM" || name == u"TRIMLEFT" || name == u"TRIMRIGHT") {
    needArgs(1, 2);
    if (VarIsNull(args[0])) return Null();
    String trimChar = n == 2 ? VarToStr(args[1]) : String(u" ");
    TTrimSideEh side = name == u"TRIM" ? tsBothEh : (name == u"TRIMLEFT" ? tsLeftEh : tsRightEh);
    return Variant(TrimCharEh(VarToStr(args[0]), trimChar, side));
  }
  if (name == u"YEAR" || name == u"MONTH" || name == u"DAY" || name == u"HOUR" || name == u"MINUTE" ||
      name == u"SECOND") {
    needArgs(1, 1);
    if (VarIsNull(args[0])) return Null();
    TDateTime d = VarToDateTime(args[0]);
    Word part = name == u"YEAR"     ? YearOf(d)
                : name == u"MONTH"  ? MonthOf(d)
                : name == u"DAY"    ? DayOf(d)
                : name == u"HOUR"   ? HourOf(d)
                : name == u"MINUTE" ? MinuteOf(d)
                                    : SecondOf(d);
    return Variant(static_cast<SmallInt>(part));
  }
  if (name == u"GETDATE") {
    needArgs(0, 0);
    return VarFromDateTime(Now());
  }
  if (name == u"DATE" || name == u"TIME") {
    needArgs(1, 1);
    if (VarIsNull(args[0])) return Null();
    TDateTime d = VarToDateTime(args[0]);
    return VarFromDateTime(name == u"DATE" ? DateOf(d) : TimeOf(d));
  }
  throw Exception(Format(u"Unsupported function: %s", {node.Name}));
}

Variant TDataSetExprParserEh::EvalAggregate(const TExprNode& node, Context& ctx) const {
  const String name = node.Name.empty() ? String(u"COUNT") : node.Name;
  // A single record has no rows to aggregate over.
  if (!ctx.rows) throw Exception(Format(u"Unsupported function: %s", {name}));
  if (node.Operator == coCOUNT && node.Args.empty()) return Variant(ctx.rowCount);
  if (node.Args.size() != 1) RaiseArgCount(node.Operator == coCOUNT ? String(u"COUNT(*)") : name);
  if (ctx.rowCount <= 0) return Null();
  const TExprNode& arg = *node.Args[0];
  Variant result = Null();
  Integer counted = 0;
  Integer savedPos = ctx.aggregatePos;
  for (Integer row = 0; row < ctx.rowCount; ++row) {
    ctx.aggregatePos = row;
    Variant v = EvaluateExprNodeEh(arg, ctx);
    if (VarIsNull(v) || VarIsEmpty(v)) continue;
    switch (node.Operator) {
      case coSUM:
      case coAVG:
        if (!IsNumericForAggregate(v)) continue;
        result = counted == 0 ? v : result + v;
        ++counted;
        break;
      case coCOUNT:
        ++counted;
        break;
      case coMIN:
      case coMAX: {
        // Nulls never seed or win: the answer is the smallest (greatest) real value.
        if (counted++ == 0) {
          result = v;
          break;
        }
        Integer c;
        if (VarType(v) == varString || VarType(result) == varString)
          c = CompareStr(VarToStr(v), VarToStr(result));
        else
          c = v < result ? -1 : (v > result ? 1 : 0);
        if ((node.Operator == coMIN && c < 0) || (node.Operator == coMAX && c > 0)) result = v;
        break;
      }
      default:
        RaiseOperator(node);
    }
  }
  ctx.aggregatePos = savedPos;
  switch (node.Operator) {
    case coSUM:
      return counted == 0 ? Variant(0) : result;
    case coAVG:
      // Over the values that are there: nulls neither count nor weigh, and no value gives no average.
      return counted == 0 ? Null() : Variant(VarAsType(result, varDouble).AsDouble() / counted);
    case coCOUNT:
      return Variant(counted);
    default:
      return result;
  }
}
