// The filter-expression parser (text -> expression tree) and its evaluator over one record, with
// the aggregate accumulation the in-memory table's summaries use.
#include "platform/data/DBFilterExpr.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "platform/data/DBConsts.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {

constexpr int kMaxDepth = 200;

enum TokenKind {
  tkEnd,
  tkName,    // identifier or [quoted name] or "quoted name"
  tkString,  // 'literal'
  tkNumber,
  tkSymbol,   // = <> < > <= >= ( ) , + - * /
  tkKeyword,  // AND OR NOT LIKE IN IS NULL TRUE FALSE
};

struct Token {
  TokenKind kind = tkEnd;
  String text;    // as written (keywords upper-cased)
  Variant value;  // numbers and strings
  bool quotedName = false;
};

[[noreturn]] void ParseError(const String& message) { throw EDatabaseError(message); }

bool IsIdentStart(Char c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c > 0x7F;
}

bool IsIdentChar(Char c) { return IsIdentStart(c) || (c >= u'0' && c <= u'9') || c == u'.' || c == u'$'; }

bool IsDigit(Char c) { return c >= u'0' && c <= u'9'; }

bool IsKeyword(const String& upper) {
  static const Char* keywords[] = {u"AND", u"OR", u"NOT", u"LIKE", u"IN", u"IS", u"NULL", u"TRUE", u"FALSE"};
  for (const Char* k : keywords)
    if (upper == k) return true;
  return false;
}

class Lexer {
 public:
  explicit Lexer(const String& text) : text_(text) {}

  Token Next() {
    while (pos_ < text_.size() &&
           (text_[pos_] == u' ' || text_[pos_] == u'\t' || text_[pos_] == u'\r' || text_[pos_] == u'\n'))
      ++pos_;
    Token t;
    if (pos_ >= text_.size()) return t;
    Char c = text_[pos_];
    if (c == u'[') return Bracketed();
    if (c == u'"') return Quoted(u'"', tkName, SExprNameError);
    if (c == u'\'') return Quoted(u'\'', tkString, SExprStringError);
    if (IsDigit(c) || (c == u'.' && pos_ + 1 < text_.size() && IsDigit(text_[pos_ + 1]))) return Number();
    if (IsIdentStart(c)) return Identifier();
    return Symbol();
  }

 private:
  Token Bracketed() {
    size_t end = text_.find(u']', pos_ + 1);
    if (end == String::npos) ParseError(SExprNameError);
    Token t;
    t.kind = tkName;
    t.text = text_.substr(pos_ + 1, end - pos_ - 1);
    t.quotedName = true;
    pos_ = end + 1;
    return t;
  }

  Token Quoted(Char quote, TokenKind kind, const Char* unterminated) {
    String value;
    size_t i = pos_ + 1;
    for (;;) {
      if (i >= text_.size()) ParseError(unterminated);
      if (text_[i] == quote) {
        if (i + 1 < text_.size() && text_[i + 1] == quote) {
          value += quote;
          i += 2;
          continue;
        }
        break;
      }
      value += text_[i++];
    }
    Token t;
    t.kind = kind;
    t.text = value;
    t.value = value;
    t.quotedName = kind == tkName;
    pos_ = i + 1;
    return t;
  }

  Token Number() {
    size_t start = pos_;
    bool real = false;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    if (pos_ < text_.size() && text_[pos_] == u'.') {
      real = true;
      ++pos_;
      while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    }
    if (pos_ < text_.size() && (text_[pos_] == u'e' || text_[pos_] == u'E')) {
      size_t save = pos_;
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == u'+' || text_[pos_] == u'-')) ++pos_;
      if (pos_ < text_.size() && IsDigit(text_[pos_])) {
        real = true;
        while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
      } else {
        pos_ = save;
      }
    }
    Token t;
    t.kind = tkNumber;
    t.text = text_.substr(start, pos_ - start);
    std::string ascii(t.text.begin(), t.text.end());
    if (!real) {
      errno = 0;
      char* end = nullptr;
      long long v = std::strtoll(ascii.c_str(), &end, 10);
      if (errno == ERANGE) ParseError(SExprRangeError);
      if (v >= std::numeric_limits<Integer>::min() && v <= std::numeric_limits<Integer>::max())
        t.value = Variant(static_cast<Integer>(v));
      else
        t.value = Variant(static_cast<Int64>(v));
      return t;
    }
    errno = 0;
    double v = std::strtod(ascii.c_str(), nullptr);
    if (errno == ERANGE || !std::isfinite(v)) ParseError(SExprRangeError);
    t.value = Variant(v);
    return t;
  }

  Token Identifier() {
    size_t start = pos_;
    while (pos_ < text_.size() && IsIdentChar(text_[pos_])) ++pos_;
    Token t;
    t.text = text_.substr(start, pos_ - start);
    String upper = UpperCase(t.text);
    if (IsKeyword(upper)) {
      t.kind = tkKeyword;
      t.text = upper;
    } else {
      t.kind = tkName;
    }
    return t;
  }

  Token Symbol() {
    Token t;
    t.kind = tkSymbol;
    Char c = text_[pos_];
    Char n = pos_ + 1 < text_.size() ? text_[pos_ + 1] : 0;
    if ((c == u'<' && (n == u'>' || n == u'=')) || (c == u'>' && n == u'=')) {
      t.text = text_.substr(pos_, 2);
      pos_ += 2;
      return t;
    }
    switch (c) {
      case u'=':
      case u'<':
      case u'>':
      case u'(':
      case u')':
      case u',':
      case u'+':
      case u'-':
      case u'*':
      case u'/':
        t.text = String(1, c);
        ++pos_;
        return t;
      default:
        break;
    }
    String shown(1, c);
    if (IsHighSurrogate(c) && pos_ + 1 < text_.size()) shown += text_[pos_ + 1];
    ParseError(Format(SExprInvalidChar, {shown}));
  }

  const String& text_;
  size_t pos_ = 0;
};

std::unique_ptr<TExprNode> MakeNode(TExprNodeClass cls, TCANOperator op) {
  auto node = std::make_unique<TExprNode>();
  node->NodeClass = cls;
  node->Operator = op;
  return node;
}

bool IsAggregateOp(TCANOperator op) {
  return op == coSUM || op == coCOUNT || op == coMIN || op == coMAX || op == coAVG;
}

struct FunctionInfo {
  const Char* name;
  int minArgs;
  int maxArgs;
};

const FunctionInfo* FindFunction(const String& upper) {
  static const FunctionInfo functions[] = {
      {u"UPPER", 1, 1},     {u"LOWER", 1, 1},  {u"SUBSTRING", 2, 3}, {u"TRIM", 1, 2}, {u"TRIMLEFT", 1, 2},
      {u"TRIMRIGHT", 1, 2}, {u"YEAR", 1, 1},   {u"MONTH", 1, 1},     {u"DAY", 1, 1},  {u"HOUR", 1, 1},
      {u"MINUTE", 1, 1},    {u"SECOND", 1, 1}, {u"GETDATE", 0, 0},   {u"DATE", 1, 1}, {u"TIME", 1, 1},
      {u"SUM", 1, 1},       {u"MIN", 1, 1},    {u"MAX", 1, 1},       {u"AVG", 1, 1},  {u"COUNT", 0, 1},
  };
  for (const FunctionInfo& f : functions)
    if (upper == f.name) return &f;
  return nullptr;
}

bool IsDateType(TFieldType t) {
  return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp || t == ftOraTimeStamp;
}

bool IsNumberType(TFieldType t) {
  switch (t) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftAutoInc:
    case ftLargeint:
    case ftFMTBcd:
    case ftLongWord:
    case ftShortint:
    case ftByte:
    case ftExtended:
    case ftSingle:
      return true;
    default:
      return false;
  }
}

// A text constant compared with a date or number field takes the field's type, so "'01.02.2020'"
// compares as a date.
Variant ConvertConstant(const Variant& value, TFieldType type) {
  if (!VarIsStr(value)) return value;
  String text = VarToStr(value);
  try {
    if (type == ftDate) return Variant::FromDate(StrToDate(text));
    if (type == ftTime) return Variant::FromDate(StrToTime(text));
    if (IsDateType(type)) return Variant::FromDate(StrToDateTime(text));
    if (type == ftBoolean) return Variant(StrToBool(text));
    if (IsNumberType(type)) return Variant(static_cast<double>(StrToFloat(text)));
  } catch (const EConvertError& e) {
    throw EDatabaseError(e.Message());
  }
  return value;
}

class Parser {
 public:
  Parser(const String& text, TFilterOptions options, TParserOptions parserOptions,
         const TFilterExpr::TFieldResolver& resolver, std::vector<String>& fieldNames)
      : lexer_(text),
        options_(options),
        parserOptions_(parserOptions),
        resolver_(resolver),
        fieldNames_(fieldNames) {
    Advance();
  }

  std::unique_ptr<TExprNode> ParseAll() {
    if (token_.kind == tkEnd) ParseError(Format(SExprExpected, {String(SExprNothing)}));
    auto root = ParseOr();
    if (token_.kind != tkEnd) ParseError(SExprTermination);
    return root;
  }

  bool SawAggregate() const { return sawAggregate_; }

 private:
  void Advance() { token_ = lexer_.Next(); }

  String Describe(const Token& t) const {
    switch (t.kind) {
      case tkEnd:
        return SExprNothing;
      case tkString:
        return QuotedStr(t.text);
      default:
        return t.text;
    }
  }

  bool IsSymbol(const Char* s) const { return token_.kind == tkSymbol && token_.text == s; }
  bool IsKeyword(const Char* s) const { return token_.kind == tkKeyword && token_.text == s; }

  void Expect(const Char* symbol, const Char* message) {
    if (!IsSymbol(symbol)) ParseError(Format(message, {Describe(token_)}));
    Advance();
  }

  struct DepthGuard {
    explicit DepthGuard(int& depth) : depth_(depth) {
      if (++depth_ > kMaxDepth) {
        --depth_;
        ParseError(SExprTooDeep);
      }
    }
    ~DepthGuard() { --depth_; }
    int& depth_;
  };

  std::unique_ptr<TExprNode> ParseOr() {
    DepthGuard guard(depth_);
    auto left = ParseAnd();
    while (IsKeyword(u"OR")) {
      Advance();
      auto right = ParseAnd();
      left = Binary(nodeBINARY, coOR, std::move(left), std::move(right));
    }
    return left;
  }

  std::unique_ptr<TExprNode> ParseAnd() {
    DepthGuard guard(depth_);
    auto left = ParseNot();
    while (IsKeyword(u"AND")) {
      Advance();
      auto right = ParseNot();
      left = Binary(nodeBINARY, coAND, std::move(left), std::move(right));
    }
    return left;
  }

  std::unique_ptr<TExprNode> ParseNot() {
    DepthGuard guard(depth_);
    if (IsKeyword(u"NOT")) {
      Advance();
      auto node = MakeNode(nodeUNARY, coNOT);
      node->Args.push_back(ParseNot());
      return node;
    }
    return ParseCompare();
  }

  std::unique_ptr<TExprNode> ParseCompare() {
    DepthGuard guard(depth_);
    auto left = ParseSum();
    if (token_.kind == tkSymbol) {
      TCANOperator op = coNOTDEFINED;
      if (token_.text == u"=")
        op = coEQ;
      else if (token_.text == u"<>")
        op = coNE;
      else if (token_.text == u"<")
        op = coLT;
      else if (token_.text == u">")
        op = coGT;
      else if (token_.text == u"<=")
        op = coLE;
      else if (token_.text == u">=")
        op = coGE;
      if (op != coNOTDEFINED) {
        Advance();
        if (IsKeyword(u"NULL")) {
          if (op != coEQ && op != coNE) ParseError(SExprBadNullTest);
          Advance();
          auto node = MakeNode(nodeUNARY, op == coEQ ? coISBLANK : coNOTBLANK);
          node->Args.push_back(std::move(left));
          return node;
        }
        auto right = ParseSum();
        CoerceConstants(*left, *right);
        return Binary(nodeCOMPARE, op, std::move(left), std::move(right));
      }
    }
    bool negated = false;
    if (IsKeyword(u"NOT")) {
      Advance();
      negated = true;
      if (!IsKeyword(u"LIKE") && !IsKeyword(u"IN")) ParseError(SInvalidKeywordUse);
    }
    if (IsKeyword(u"LIKE")) {
      Advance();
      auto right = ParseSum();
      auto node = Binary(nodeCOMPARE, coLIKE, std::move(left), std::move(right));
      node->Negated = negated;
      return node;
    }
    if (IsKeyword(u"IN")) {
      Advance();
      return ParseIn(std::move(left), negated);
    }
    if (IsKeyword(u"IS")) {
      Advance();
      bool isNot = false;
      if (IsKeyword(u"NOT")) {
        Advance();
        isNot = true;
      }
      if (!IsKeyword(u"NULL")) ParseError(SInvalidKeywordUse);
      Advance();
      auto node = MakeNode(nodeUNARY, isNot ? coNOTBLANK : coISBLANK);
      node->Args.push_back(std::move(left));
      return node;
    }
    return left;
  }

  std::unique_ptr<TExprNode> ParseIn(std::unique_ptr<TExprNode> left, bool negated) {
    Expect(u"(", SExprNoLParen);
    auto node = MakeNode(nodeBINARY, coIN);
    node->Negated = negated;
    if (IsSymbol(u")")) ParseError(SExprEmptyInList);
    TExprNode* tested = left.get();
    node->Args.push_back(std::move(left));
    for (;;) {
      auto element = MakeNode(nodeLISTELEM, coLISTELEM2);
      auto value = ParseSum();
      if (value->NodeClass == nodeCONST && VarIsNull(value->Value)) ParseError(SExprBadNullTest);
      CoerceConstants(*tested, *value);
      element->Args.push_back(std::move(value));
      node->Args.push_back(std::move(element));
      if (IsSymbol(u",")) {
        Advance();
        continue;
      }
      if (IsSymbol(u")")) {
        Advance();
        break;
      }
      ParseError(Format(SExprNoRParenOrComma, {Describe(token_)}));
    }
    return node;
  }

  std::unique_ptr<TExprNode> ParseSum() {
    DepthGuard guard(depth_);
    auto left = ParseTerm();
    while (IsSymbol(u"+") || IsSymbol(u"-")) {
      TCANOperator op = token_.text == u"+" ? coADD : coSUB;
      CheckArithmetic();
      Advance();
      auto right = ParseTerm();
      left = Binary(nodeBINARY, op, std::move(left), std::move(right));
    }
    return left;
  }

  std::unique_ptr<TExprNode> ParseTerm() {
    DepthGuard guard(depth_);
    auto left = ParseFactor();
    while (IsSymbol(u"*") || IsSymbol(u"/")) {
      TCANOperator op = token_.text == u"*" ? coMUL : coDIV;
      CheckArithmetic();
      Advance();
      auto right = ParseFactor();
      left = Binary(nodeBINARY, op, std::move(left), std::move(right));
    }
    return left;
  }

  std::unique_ptr<TExprNode> ParseFactor() {
    DepthGuard guard(depth_);
    if (IsSymbol(u"-")) {
      CheckArithmetic();
      Advance();
      auto operand = ParseFactor();
      if (operand->NodeClass == nodeCONST && VarIsNumeric(operand->Value)) {
        operand->Value = -operand->Value;
        return operand;
      }
      auto node = MakeNode(nodeUNARY, coMINUS);
      node->Args.push_back(std::move(operand));
      return node;
    }
    if (IsSymbol(u"(")) {
      Advance();
      auto inner = ParseOr();
      Expect(u")", SExprNoRParen);
      return inner;
    }
    switch (token_.kind) {
      case tkString:
      case tkNumber: {
        auto node = MakeNode(nodeCONST, coCONST2);
        node->Value = token_.value;
        node->DataType = token_.kind == tkString    ? ftWideString
                         : VarIsFloat(token_.value) ? ftFloat
                                                    : ftInteger;
        Advance();
        return node;
      }
      case tkKeyword: {
        if (token_.text == u"TRUE" || token_.text == u"FALSE") {
          auto node = MakeNode(nodeCONST, coCONST2);
          node->Value = Variant(token_.text == u"TRUE");
          node->DataType = ftBoolean;
          Advance();
          return node;
        }
        if (token_.text == u"NULL") ParseError(SExprBadNullTest);
        ParseError(Format(SExprExpected, {Describe(token_)}));
      }
      case tkName: {
        Token name = token_;
        Advance();
        if (!name.quotedName && IsSymbol(u"(")) return ParseFunction(name.text);
        return FieldNode(name.text);
      }
      default:
        ParseError(Format(SExprExpected, {Describe(token_)}));
    }
  }

  std::unique_ptr<TExprNode> ParseFunction(const String& name) {
    String upper = UpperCase(name);
    const FunctionInfo* info = FindFunction(upper);
    if (!info) ParseError(Format(SExprUnknownFunction, {name}));
    TCANOperator op = coFUNCTION2;
    TExprNodeClass cls = nodeFUNC;
    if (upper == u"UPPER")
      op = coUPPER, cls = nodeUNARY;
    else if (upper == u"LOWER")
      op = coLOWER, cls = nodeUNARY;
    else if (upper == u"SUM")
      op = coSUM, cls = nodeUNARY;
    else if (upper == u"MIN")
      op = coMIN, cls = nodeUNARY;
    else if (upper == u"MAX")
      op = coMAX, cls = nodeUNARY;
    else if (upper == u"AVG")
      op = coAVG, cls = nodeUNARY;
    else if (upper == u"COUNT")
      op = coCOUNT, cls = nodeUNARY;
    bool aggregate = IsAggregateOp(op);
    if (aggregate && !parserOptions_.Contains(poAggregate)) ParseError(SExprNoAggFilter);
    if (!aggregate && !parserOptions_.Contains(poExtSyntax)) ParseError(Format(SExprUnknownFunction, {name}));
    if (aggregate && insideAggregate_) ParseError(SExprBadScope);
    auto node = MakeNode(cls, op);
    node->Name = upper;
    Advance();  // (
    bool savedInside = insideAggregate_;
    if (aggregate) insideAggregate_ = true;
    if (op == coCOUNT && IsSymbol(u"*")) {
      Advance();
    } else if (!IsSymbol(u")")) {
      for (;;) {
        node->Args.push_back(ParseOr());
        if (IsSymbol(u",")) {
          Advance();
          continue;
        }
        break;
      }
    }
    insideAggregate_ = savedInside;
    Expect(u")", SExprNoRParenOrComma);
    int count = static_cast<int>(node->Args.size());
    if (count < info->minArgs || count > info->maxArgs) ParseError(Format(SExprArgCount, {upper}));
    if (aggregate) sawAggregate_ = true;
    return node;
  }

  std::unique_ptr<TExprNode> FieldNode(const String& name) {
    if (parserOptions_.Contains(poAggregate) && !insideAggregate_) ParseError(SExprBadScope);
    auto node = MakeNode(nodeFIELD, coFIELD2);
    node->Name = name;
    if (resolver_) resolver_(name, node->Field, node->DataType);
    bool known = false;
    for (const String& f : fieldNames_) known = known || AnsiSameText(f, name);
    if (!known) fieldNames_.push_back(name);
    return node;
  }

  void CheckArithmetic() const {
    if (!parserOptions_.Contains(poExtSyntax) && !parserOptions_.Contains(poAggregate))
      ParseError(SExprNoArith);
  }

  static void CoerceConstants(TExprNode& a, TExprNode& b) {
    if (a.NodeClass == nodeFIELD && b.NodeClass == nodeCONST) b.Value = ConvertConstant(b.Value, a.DataType);
    if (b.NodeClass == nodeFIELD && a.NodeClass == nodeCONST) a.Value = ConvertConstant(a.Value, b.DataType);
  }

  static std::unique_ptr<TExprNode> Binary(TExprNodeClass cls, TCANOperator op,
                                           std::unique_ptr<TExprNode> left,
                                           std::unique_ptr<TExprNode> right) {
    auto node = MakeNode(cls, op);
    node->Args.push_back(std::move(left));
    node->Args.push_back(std::move(right));
    return node;
  }

  Lexer lexer_;
  Token token_;
  TFilterOptions options_;
  TParserOptions parserOptions_;
  const TFilterExpr::TFieldResolver& resolver_;
  std::vector<String>& fieldNames_;
  int depth_ = 0;
  bool insideAggregate_ = false;
  bool sawAggregate_ = false;
};

// Whether a node can stand where a condition is wanted; raises the framework's message if not.
void CheckBoolean(const TExprNode& node) {
  switch (node.NodeClass) {
    case nodeCOMPARE:
      return;
    case nodeBINARY:
      if (node.Operator == coAND || node.Operator == coOR) {
        CheckBoolean(*node.Args[0]);
        CheckBoolean(*node.Args[1]);
        return;
      }
      if (node.Operator == coIN) return;
      break;
    case nodeUNARY:
      if (node.Operator == coNOT) {
        CheckBoolean(*node.Args[0]);
        return;
      }
      if (node.Operator == coISBLANK || node.Operator == coNOTBLANK) return;
      break;
    case nodeFIELD:
      if (node.DataType == ftBoolean || node.DataType == ftUnknown || node.DataType == ftVariant) return;
      ParseError(Format(SExprNotBoolean, {node.Name}));
    case nodeCONST:
      if (VarType(node.Value) == varBoolean) return;
      break;
    default:
      break;
  }
  ParseError(SExprBoolExpected);
}

void CollectAggregates(const TExprNode& node, std::vector<const TExprNode*>& out) {
  if (node.NodeClass == nodeUNARY && IsAggregateOp(node.Operator)) {
    out.push_back(&node);
    return;
  }
  for (const auto& child : node.Args) CollectAggregates(*child, out);
}

Variant NormalizeNull(Variant v) {
  if (VarIsEmpty(v)) return Null();
  return v;
}

// Three-valued truth: 1 true, 0 false, -1 unknown.
int Truth(const Variant& v) {
  if (VarIsEmptyOrNull(v)) return -1;
  try {
    return v.AsBoolean() ? 1 : 0;
  } catch (const Exception&) {
    throw EDatabaseError(SExprBoolExpected);
  }
}

Variant FromTruth(int t) { return t < 0 ? Null() : Variant(t == 1); }

String ConstantText(const Variant& v) {
  if (VarIsNull(v)) return u"NULL";
  if (VarType(v) == varBoolean) return v.AsBoolean() ? u"TRUE" : u"FALSE";
  if (VarIsStr(v)) return QuotedStr(VarToStr(v));
  if (VarType(v) == varDate) return QuotedStr(DateTimeToStr(VarToDateTime(v)));
  if (VarIsFloat(v)) {
    TFormatSettings fs = FormatSettings;
    fs.DecimalSeparator = u'.';
    return FloatToStr(v.AsDouble(), fs);
  }
  return VarToStr(v);
}

void DumpNode(const TExprNode& node, String& out) {
  switch (node.NodeClass) {
    case nodeFIELD:
      out += u"[" + node.Name + u"]";
      return;
    case nodeCONST:
      out += ConstantText(node.Value);
      return;
    default:
      break;
  }
  out += u"(" + IntToStr(static_cast<int>(node.NodeClass)) + u":" + IntToStr(static_cast<int>(node.Operator));
  if (node.Negated) out += u" NOT";
  if (!node.Name.empty()) out += u" " + node.Name;
  for (const auto& child : node.Args) {
    out += u" ";
    DumpNode(*child, out);
  }
  out += u")";
}

}  // namespace

// ======================= LIKE =======================

bool IsLikeLiteralAt(std::u16string_view pattern, size_t at) {
  return at + 2 < pattern.size() && pattern[at] == u'[' && pattern[at + 2] == u']';
}

String FilterLikeEscape(const String& text) {
  String out;
  out.reserve(text.size());
  for (Char c : text) {
    if (c == u'%' || c == u'*' || c == u'_' || c == u'[') {
      out += u'[';
      out += c;
      out += u']';
    } else {
      out += c;
    }
  }
  return out;
}

bool FilterLikeMatch(const String& text, const String& pattern, bool caseInsensitive) {
  String t = caseInsensitive ? AnsiUpperCase(text) : text;
  String p = caseInsensitive ? AnsiUpperCase(pattern) : pattern;
  // Iterative matching with one backtrack point: linear in practice, no recursion on hostile input.
  size_t ti = 0, pi = 0, starP = String::npos, starT = 0;
  while (ti < t.size()) {
    const bool literal = IsLikeLiteralAt(p, pi);
    if (!literal && pi < p.size() && (p[pi] == u'%' || p[pi] == u'*')) {
      starP = pi++;
      starT = ti;
    } else if (literal ? p[pi + 1] == t[ti] : pi < p.size() && (p[pi] == u'_' || p[pi] == t[ti])) {
      pi += literal ? 3 : 1;
      ++ti;
    } else if (starP != String::npos) {
      pi = starP + 1;
      ti = ++starT;
    } else {
      return false;
    }
  }
  while (pi < p.size() && (p[pi] == u'%' || p[pi] == u'*')) ++pi;
  return pi == p.size();
}

// ======================= TFilterExpr =======================

struct TFilterExpr::AggregateState {
  const TExprNode* node = nullptr;
  Variant sum;
  Variant min;
  Variant max;
  Int64 count = 0;
};

TFilterExpr::TFilterExpr(const String& text, TFilterOptions options, TParserOptions parserOptions,
                         const TFieldResolver& resolver)
    : text_(text), options_(options), parserOptions_(parserOptions) {
  Parser parser(text, options, parserOptions, resolver, fieldNames_);
  root_ = parser.ParseAll();
  hasAggregate_ = parser.SawAggregate();
  if (parserOptions.Contains(poAggregate)) {
    if (!hasAggregate_) ParseError(SExprNotAgg);
    std::vector<const TExprNode*> nodes;
    CollectAggregates(*root_, nodes);
    for (const TExprNode* node : nodes) {
      AggregateState state;
      state.node = node;
      aggregates_.push_back(state);
    }
  } else {
    CheckBoolean(*root_);
  }
}

TFilterExpr::TFilterExpr(TDataSet* dataSet, const String& text, TFilterOptions options,
                         TParserOptions parserOptions)
    : TFilterExpr(text, options, parserOptions,
                  [dataSet](const String& name, TField*& field, TFieldType& type) {
                    field = dataSet->FindField(name);
                    if (!field) DatabaseErrorFmt(SFieldNotFound, {name}, dataSet);
                    type = field->GetDataType();
                    if (field->IsBlob() && !field->Is<TMemoField>()) DatabaseErrorFmt(SExprBadField, {name});
                    if (type == ftBytes || type == ftVarBytes) DatabaseErrorFmt(SExprBadField, {name});
                  }) {}

TFilterExpr::~TFilterExpr() = default;

TFilterExpr::TFieldReader TFilterExpr::DefaultReader() const {
  return [](const TExprNode& node) -> Variant {
    if (!node.Field) DatabaseErrorFmt(SFieldNotFound, {node.Name});
    return node.Field->GetAsVariant();
  };
}

Variant TFilterExpr::Evaluate(const TFieldReader& reader) const { return Eval(*root_, reader); }

Variant TFilterExpr::Evaluate() const { return Evaluate(DefaultReader()); }

bool TFilterExpr::Matches(const TFieldReader& reader) const { return Truth(Evaluate(reader)) == 1; }

bool TFilterExpr::Matches() const { return Matches(DefaultReader()); }

String TFilterExpr::Dump() const {
  String out;
  DumpNode(*root_, out);
  return out;
}

void TFilterExpr::ResetAggregates() {
  for (AggregateState& state : aggregates_) {
    state.sum = Variant();
    state.min = Variant();
    state.max = Variant();
    state.count = 0;
  }
}

void TFilterExpr::Accumulate(const TFieldReader& reader) {
  for (AggregateState& state : aggregates_) {
    const TExprNode& node = *state.node;
    if (node.Operator == coCOUNT && node.Args.empty()) {
      ++state.count;
      continue;
    }
    Variant v = NormalizeNull(Eval(*node.Args[0], reader));
    if (VarIsNull(v)) continue;
    ++state.count;
    try {
      switch (node.Operator) {
        case coSUM:
        case coAVG:
          state.sum = VarIsEmpty(state.sum) ? v : state.sum + v;
          break;
        case coMIN:
          if (VarIsEmpty(state.min) || VarCompareValue(v, state.min) == vrLessThan) state.min = v;
          break;
        case coMAX:
          if (VarIsEmpty(state.max) || VarCompareValue(v, state.max) == vrGreaterThan) state.max = v;
          break;
        default:
          break;
      }
    } catch (const Exception&) {
      throw EDatabaseError(SExprTypeMis);
    }
  }
}

void TFilterExpr::Accumulate() { Accumulate(DefaultReader()); }

Variant TFilterExpr::Eval(const TExprNode& node, const TFieldReader& reader) const {
  switch (node.NodeClass) {
    case nodeCONST:
      return node.Value;
    case nodeFIELD:
      return NormalizeNull(reader(node));
    case nodeCOMPARE:
      return EvalCompare(node, reader);
    case nodeFUNC:
      return EvalFunction(node, reader);
    case nodeUNARY: {
      if (IsAggregateOp(node.Operator)) {
        for (const AggregateState& state : aggregates_) {
          if (state.node != &node) continue;
          switch (node.Operator) {
            case coCOUNT:
              return Variant(state.count);
            case coSUM:
              return state.count ? state.sum : Null();
            case coMIN:
              return state.count ? state.min : Null();
            case coMAX:
              return state.count ? state.max : Null();
            case coAVG:
              if (!state.count) return Null();
              try {
                return state.sum / Variant(state.count);
              } catch (const Exception&) {
                throw EDatabaseError(SExprTypeMis);
              }
            default:
              break;
          }
        }
        throw EDatabaseError(Format(SExprOperatorNotSupported,
                                    {static_cast<int>(node.NodeClass), static_cast<int>(node.Operator)}));
      }
      switch (node.Operator) {
        case coNOT: {
          int t = Truth(Eval(*node.Args[0], reader));
          return FromTruth(t < 0 ? -1 : 1 - t);
        }
        case coISBLANK:
          return Variant(VarIsEmptyOrNull(Eval(*node.Args[0], reader)));
        case coNOTBLANK:
          return Variant(!VarIsEmptyOrNull(Eval(*node.Args[0], reader)));
        case coMINUS: {
          Variant v = Eval(*node.Args[0], reader);
          if (VarIsNull(v)) return v;
          try {
            return -v;
          } catch (const Exception&) {
            throw EDatabaseError(SExprTypeMis);
          }
        }
        case coUPPER:
        case coLOWER:
          return EvalFunction(node, reader);
        default:
          break;
      }
      break;
    }
    case nodeBINARY: {
      switch (node.Operator) {
        case coAND: {
          int a = Truth(Eval(*node.Args[0], reader));
          if (a == 0) return Variant(false);
          int b = Truth(Eval(*node.Args[1], reader));
          if (b == 0) return Variant(false);
          return FromTruth(a < 0 || b < 0 ? -1 : 1);
        }
        case coOR: {
          int a = Truth(Eval(*node.Args[0], reader));
          if (a == 1) return Variant(true);
          int b = Truth(Eval(*node.Args[1], reader));
          if (b == 1) return Variant(true);
          return FromTruth(a < 0 || b < 0 ? -1 : 0);
        }
        case coIN:
          return EvalCompare(node, reader);
        case coADD:
        case coSUB:
        case coMUL:
        case coDIV: {
          Variant a = Eval(*node.Args[0], reader);
          Variant b = Eval(*node.Args[1], reader);
          if (VarIsNull(a) || VarIsNull(b)) return Null();
          try {
            switch (node.Operator) {
              case coADD:
                return a + b;
              case coSUB:
                return a - b;
              case coMUL:
                return a * b;
              default:
                // Division by zero makes the value unknown rather than stopping the scan.
                if (VarIsNumeric(b) && b.AsDouble() == 0) return Null();
                return a / b;
            }
          } catch (const EMathError&) {
            return Null();
          } catch (const Exception&) {
            // Text that is no number, or a result out of every numeric range.
            throw EDatabaseError(SExprTypeMis);
          }
        }
        default:
          break;
      }
      break;
    }
    default:
      break;
  }
  throw EDatabaseError(
      Format(SExprOperatorNotSupported, {static_cast<int>(node.NodeClass), static_cast<int>(node.Operator)}));
}

namespace {

// Compares two non-null values: <0, 0, >0; raises the type-mismatch error for incomparable values.
int CompareValues(const Variant& a, const Variant& b, bool caseInsensitive) {
  if (VarIsStr(a) && VarIsStr(b)) {
    String x = VarToStr(a), y = VarToStr(b);
    return caseInsensitive ? AnsiCompareText(x, y) : AnsiCompareStr(x, y);
  }
  Variant left = a, right = b;
  try {
    if (VarIsStr(left) && !VarIsStr(right)) {
      left = VarType(right) == varDate ? Variant::FromDate(StrToDateTime(VarToStr(left)))
                                       : VarAsType(left, VarType(right));
    } else if (VarIsStr(right) && !VarIsStr(left)) {
      right = VarType(left) == varDate ? Variant::FromDate(StrToDateTime(VarToStr(right)))
                                       : VarAsType(right, VarType(left));
    }
  } catch (const Exception&) {
    throw EDatabaseError(SExprTypeMis);
  }
  switch (VarCompareValue(left, right)) {
    case vrEqual:
      return 0;
    case vrLessThan:
      return -1;
    case vrGreaterThan:
      return 1;
    default:
      throw EDatabaseError(SExprTypeMis);
  }
}

}  // namespace

Variant TFilterExpr::EvalCompare(const TExprNode& node, const TFieldReader& reader) const {
  bool caseInsensitive = options_.Contains(foCaseInsensitive);
  Variant left = Eval(*node.Args[0], reader);
  if (node.Operator == coIN) {
    if (VarIsNull(left)) return Null();
    bool found = false;
    bool unknown = false;
    for (size_t i = 1; i < node.Args.size() && !found; ++i) {
      Variant v = Eval(*node.Args[i]->Args[0], reader);
      if (VarIsNull(v)) {
        unknown = true;
        continue;
      }
      found = CompareValues(left, v, caseInsensitive) == 0;
    }
    if (found) return Variant(!node.Negated);
    if (unknown) return Null();
    return Variant(node.Negated);
  }
  Variant right = Eval(*node.Args[1], reader);
  if (VarIsNull(left) || VarIsNull(right)) return Null();
  if (node.Operator == coLIKE) {
    bool match = FilterLikeMatch(VarToStr(left), VarToStr(right), caseInsensitive);
    return Variant(node.Negated ? !match : match);
  }
  // 'abc*' against a value: a prefix test, unless partial compare is off.
  if ((node.Operator == coEQ || node.Operator == coNE) && !options_.Contains(foNoPartialCompare) &&
      node.Args[1]->NodeClass == nodeCONST && VarIsStr(right)) {
    String pattern = VarToStr(right);
    if (!pattern.empty() && pattern.back() == u'*') {
      String prefix = pattern.substr(0, pattern.size() - 1);
      String value = VarToStr(left);
      bool match = value.size() >= prefix.size() &&
                   (caseInsensitive ? AnsiCompareText(value.substr(0, prefix.size()), prefix) == 0
                                    : value.compare(0, prefix.size(), prefix) == 0);
      return Variant(node.Operator == coEQ ? match : !match);
    }
  }
  int c = CompareValues(left, right, caseInsensitive);
  switch (node.Operator) {
    case coEQ:
      return Variant(c == 0);
    case coNE:
      return Variant(c != 0);
    case coLT:
      return Variant(c < 0);
    case coGT:
      return Variant(c > 0);
    case coLE:
      return Variant(c <= 0);
    case coGE:
      return Variant(c >= 0);
    default:
      throw EDatabaseError(Format(SExprOperatorNotSupported,
                                  {static_cast<int>(node.NodeClass), static_cast<int>(node.Operator)}));
  }
}

Variant TFilterExpr::EvalFunction(const TExprNode& node, const TFieldReader& reader) const {
  std::vector<Variant> args;
  for (const auto& child : node.Args) args.push_back(Eval(*child, reader));
  const String& name = node.Name;
  if (name == u"GETDATE") return Variant::FromDate(Now());
  if (!args.empty() && VarIsNull(args[0])) return Null();
  try {
    if (name == u"UPPER") return AnsiUpperCase(VarToStr(args[0]));
    if (name == u"LOWER") return AnsiLowerCase(VarToStr(args[0]));
    if (name == u"SUBSTRING") {
      String s = VarToStr(args[0]);
      int from = args[1].AsInteger();
      int count = args.size() > 2 ? args[2].AsInteger() : Length(s);
      return Copy(s, std::max(from, 1), std::max(count, 0));
    }
    if (name == u"TRIM" || name == u"TRIMLEFT" || name == u"TRIMRIGHT") {
      String s = VarToStr(args[0]);
      Char ch = u' ';
      if (args.size() > 1) {
        String c = VarToStr(args[1]);
        if (!c.empty()) ch = c[0];
      }
      size_t start = 0, end = s.size();
      if (name != u"TRIMRIGHT")
        while (start < end && s[start] == ch) ++start;
      if (name != u"TRIMLEFT")
        while (end > start && s[end - 1] == ch) --end;
      return s.substr(start, end - start);
    }
    TDateTime dt = VarIsStr(args[0]) ? StrToDateTime(VarToStr(args[0])) : VarToDateTime(args[0]);
    if (name == u"YEAR") return Variant(static_cast<Integer>(YearOf(dt)));
    if (name == u"MONTH") return Variant(static_cast<Integer>(MonthOf(dt)));
    if (name == u"DAY") return Variant(static_cast<Integer>(DayOf(dt)));
    if (name == u"HOUR") return Variant(static_cast<Integer>(HourOf(dt)));
    if (name == u"MINUTE") return Variant(static_cast<Integer>(MinuteOf(dt)));
    if (name == u"SECOND") return Variant(static_cast<Integer>(SecondOf(dt)));
    if (name == u"DATE") return Variant::FromDate(DateOf(dt));
    if (name == u"TIME") return Variant::FromDate(TimeOf(dt));
  } catch (const EDatabaseError&) {
    throw;
  } catch (const Exception&) {
    throw EDatabaseError(SExprTypeMis);
  }
  throw EDatabaseError(
      Format(SExprOperatorNotSupported, {static_cast<int>(node.NodeClass), static_cast<int>(node.Operator)}));
}
