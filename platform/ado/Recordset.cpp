// Sort texts, the recordset filter language and their evaluation on stored rows.
#include "platform/ado/Recordset.h"

#include <unicode/ucol.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>
#include <optional>

#include "platform/data/DBConsts.h"
#include "platform/data/DBFilterExpr.h"
#include "platform/rtl/Bcd.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {

bool IsIdentChar(Char c) {
  return c == u'_' || (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
         (c >= 0x00C0 && c <= 0x024F) || (c >= 0x0400 && c <= 0x04FF) || c == u'.' || c == u'$';
}

[[noreturn]] void FieldNotFound(const String& name) { throw EDatabaseError(Format(SFieldNotFound, {name})); }

int FindColumn(const TColumnFinder& columnOf, const String& name) {
  const int column = columnOf(name);
  if (column < 0) FieldNotFound(name);
  return column;
}

// Three-way comparison of two cells of one column; both are non-null.
int CompareCells(const TRowStore& store, TStoreRow a, TStoreRow b, int column) {
  switch (store.Kind(column)) {
    case TStoreKind::Integer:
    case TStoreKind::Boolean: {
      const Int64 x = store.GetInteger(a, column), y = store.GetInteger(b, column);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    case TStoreKind::Float:
    case TStoreKind::Date:
    case TStoreKind::Time:
    case TStoreKind::DateTime: {
      const double x = store.GetFloat(a, column), y = store.GetFloat(b, column);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    case TStoreKind::Decimal:
      return CompareDecimalText(store.GetDecimal(a, column), store.GetDecimal(b, column));
    case TStoreKind::Text:
      return CompareServerText(store.GetText(a, column), store.GetText(b, column), false);
    case TStoreKind::Bytes: {
      const int c = store.GetBytes(a, column).compare(store.GetBytes(b, column));
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
  }
  return 0;
}

// The database's collation. UCollator objects are not shared between threads.
class ServerCollator {
 public:
  explicit ServerCollator(UCollationStrength strength) {
    UErrorCode status = U_ZERO_ERROR;
    collator_ = ucol_open("ru-RU", &status);
    if (U_FAILURE(status) || !collator_) throw EDatabaseError(u"Cannot open the ru-RU collation");
    ucol_setStrength(collator_, strength);
  }
  ~ServerCollator() { ucol_close(collator_); }
  ServerCollator(const ServerCollator&) = delete;
  ServerCollator& operator=(const ServerCollator&) = delete;

  int Compare(std::u16string_view a, std::u16string_view b) const {
    const UCollationResult r = ucol_strcoll(collator_, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                            static_cast<int32_t>(b.size()));
    return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
  }

  std::string Key(std::u16string_view s) const {
    std::string key(s.size() * 4 + 16, '\0');
    for (;;) {
      const int32_t n =
          ucol_getSortKey(collator_, s.data(), static_cast<int32_t>(s.size()),
                          reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
      if (n <= static_cast<int32_t>(key.size())) {
        key.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);  // without the terminating zero
        return key;
      }
      key.resize(static_cast<size_t>(n));
    }
  }

 private:
  UCollator* collator_ = nullptr;
};

const ServerCollator& Collator(bool ignoreCase) {
  thread_local ServerCollator tertiary(UCOL_TERTIARY);
  thread_local ServerCollator secondary(UCOL_SECONDARY);
  return ignoreCase ? secondary : tertiary;
}

int OrdinalCompare(std::u16string_view a, std::u16string_view b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

int CompareServerText(std::u16string_view a, std::u16string_view b, bool ignoreCase) {
  const int c = Collator(ignoreCase).Compare(a, b);
  if (c != 0 || ignoreCase) return c;
  return OrdinalCompare(a, b);
}

std::string ServerSortKey(std::u16string_view text) {
  // Code units after the collation key break ties the way the server breaks them.
  std::string key = Collator(false).Key(text);
  key.push_back('\0');
  for (Char c : text) {
    key.push_back(static_cast<char>(c >> 8));
    key.push_back(static_cast<char>(c & 0xFF));
  }
  return key;
}

// ---- Sort ----

std::vector<TSortKey> ParseSortText(const String& text, const TColumnFinder& columnOf) {
  std::vector<TSortKey> keys;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u',', start);
    if (end == String::npos) end = text.size();
    String part = Trim(text.substr(start, end - start));
    start = end + 1;
    if (part.empty()) {
      if (end == text.size()) break;
      throw EDatabaseError(u"Invalid sort text: \"" + text + u"\"");
    }
    TSortKey key;
    String name;
    if (part[0] == u'[') {
      const size_t close = part.find(u']');
      if (close == String::npos) throw EDatabaseError(u"Invalid sort text: \"" + text + u"\"");
      name = part.substr(1, close - 1);
      part = Trim(part.substr(close + 1));
    } else {
      size_t i = 0;
      while (i < part.size() && part[i] > u' ') ++i;
      name = part.substr(0, i);
      part = Trim(part.substr(i));
    }
    if (SameText(part, u"DESC") || SameText(part, u"DESCENDING")) {
      key.Descending = true;
    } else if (!part.empty() && !SameText(part, u"ASC") && !SameText(part, u"ASCENDING")) {
      throw EDatabaseError(u"Invalid sort text: \"" + text + u"\"");
    }
    key.Column = FindColumn(columnOf, name);
    keys.push_back(key);
  }
  return keys;
}

void SortRowIds(std::vector<int>& ids, const std::vector<TStoreRow>& rows, const TRowStore& store,
                const std::vector<TSortKey>& keys) {
  if (keys.empty()) return;
  // Text keys are compared many times each: their collation keys are made once.
  std::vector<std::vector<std::string>> texts(keys.size());
  for (size_t k = 0; k < keys.size(); ++k) {
    if (store.Kind(keys[k].Column) != TStoreKind::Text) continue;
    texts[k].resize(rows.size());
    for (int id : ids)
      if (rows[id] && !TRowStore::IsNull(rows[id], keys[k].Column))
        texts[k][id] = ServerSortKey(store.GetText(rows[id], keys[k].Column));
  }
  std::stable_sort(ids.begin(), ids.end(), [&](int a, int b) {
    for (size_t k = 0; k < keys.size(); ++k) {
      const int column = keys[k].Column;
      const bool nullA = TRowStore::IsNull(rows[a], column);
      const bool nullB = TRowStore::IsNull(rows[b], column);
      int c;
      if (nullA || nullB)
        c = nullA == nullB ? 0 : (nullA ? 1 : -1);
      else if (!texts[k].empty())
        c = texts[k][a].compare(texts[k][b]) < 0 ? -1 : (texts[k][a] == texts[k][b] ? 0 : 1);
      else
        c = CompareCells(store, rows[a], rows[b], column);
      if (c != 0) return keys[k].Descending ? c > 0 : c < 0;
    }
    return false;
  });
}

// ---- LIKE ----

bool MatchLikePattern(std::u16string_view text, std::u16string_view pattern, bool ignoreCase) {
  auto same = [ignoreCase](Char a, Char b) {
    return a == b || (ignoreCase && AnsiUpperChar(a) == AnsiUpperChar(b));
  };
  size_t t = 0, p = 0;
  size_t starP = std::u16string_view::npos, starT = 0;
  while (t < text.size()) {
    const bool literal = IsLikeLiteralAt(pattern, p);
    if (!literal && p < pattern.size() && (pattern[p] == u'%' || pattern[p] == u'*')) {
      starP = p++;
      starT = t;
    } else if (literal ? same(text[t], pattern[p + 1]) : p < pattern.size() && same(text[t], pattern[p])) {
      ++t;
      p += literal ? 3 : 1;
    } else if (starP != std::u16string_view::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && (pattern[p] == u'%' || pattern[p] == u'*')) ++p;
  return p == pattern.size();
}

// ---- Filter ----

namespace {

enum class TokenKind {
  End,
  Name,
  String,
  Number,
  Date,
  Op,
  LParen,
  RParen,
  And,
  Or,
  Not,
  Like,
  Is,
  Null,
  True,
  False
};

struct Token {
  TokenKind kind = TokenKind::End;
  String text;
  size_t position = 0;
};

enum class CompareOp { Eq, Ne, Lt, Gt, Le, Ge, Like, NotLike };

class Lexer {
 public:
  explicit Lexer(const String& text) : text_(text) {}

  Token Next() {
    while (pos_ < text_.size() && text_[pos_] <= u' ') ++pos_;
    Token t;
    t.position = pos_ + 1;
    if (pos_ >= text_.size()) return t;
    const Char c = text_[pos_];
    if (c == u'(' || c == u')') {
      t.kind = c == u'(' ? TokenKind::LParen : TokenKind::RParen;
      t.text = String(1, c);
      ++pos_;
    } else if (c == u'\'' || c == u'#') {
      t.kind = c == u'\'' ? TokenKind::String : TokenKind::Date;
      ++pos_;
      for (;;) {
        if (pos_ >= text_.size())
          Error(c == u'\'' ? u"unterminated string" : u"unterminated date", t.position);
        if (text_[pos_] == c) {
          if (c == u'\'' && pos_ + 1 < text_.size() && text_[pos_ + 1] == c) {
            t.text += c;
            pos_ += 2;
            continue;
          }
          ++pos_;
          break;
        }
        t.text += text_[pos_++];
      }
    } else if (c == u'[') {
      const size_t close = text_.find(u']', pos_);
      if (close == String::npos) Error(u"unterminated field name", t.position);
      t.kind = TokenKind::Name;
      t.text = text_.substr(pos_ + 1, close - pos_ - 1);
      pos_ = close + 1;
    } else if (c == u'=' || c == u'<' || c == u'>' || c == u'!') {
      t.kind = TokenKind::Op;
      t.text = String(1, c);
      ++pos_;
      if (pos_ < text_.size() && (text_[pos_] == u'=' || (c == u'<' && text_[pos_] == u'>')))
        t.text += text_[pos_++];
      if (t.text == u"!") Error(u"unknown operator '!'", t.position);
    } else if ((c >= u'0' && c <= u'9') ||
               ((c == u'-' || c == u'+' || c == u'.') && pos_ + 1 < text_.size() &&
                ((text_[pos_ + 1] >= u'0' && text_[pos_ + 1] <= u'9') || text_[pos_ + 1] == u'.'))) {
      t.kind = TokenKind::Number;
      size_t j = pos_ + 1;
      while (j < text_.size() &&
             ((text_[j] >= u'0' && text_[j] <= u'9') || text_[j] == u'.' || text_[j] == u'e' ||
              text_[j] == u'E' ||
              ((text_[j] == u'-' || text_[j] == u'+') && (text_[j - 1] == u'e' || text_[j - 1] == u'E'))))
        ++j;
      t.text = text_.substr(pos_, j - pos_);
      pos_ = j;
      if (pos_ < text_.size() && IsIdentChar(text_[pos_]) && text_[pos_] != u'.')
        Error(u"bad number '" + t.text + text_[pos_] + u"'", t.position);
    } else if (IsIdentChar(c)) {
      size_t j = pos_;
      while (j < text_.size() && IsIdentChar(text_[j])) ++j;
      t.text = text_.substr(pos_, j - pos_);
      pos_ = j;
      t.kind = TokenKind::Name;
      if (SameText(t.text, u"AND"))
        t.kind = TokenKind::And;
      else if (SameText(t.text, u"OR"))
        t.kind = TokenKind::Or;
      else if (SameText(t.text, u"NOT"))
        t.kind = TokenKind::Not;
      else if (SameText(t.text, u"LIKE"))
        t.kind = TokenKind::Like;
      else if (SameText(t.text, u"IS"))
        t.kind = TokenKind::Is;
      else if (SameText(t.text, u"NULL"))
        t.kind = TokenKind::Null;
      else if (SameText(t.text, u"TRUE"))
        t.kind = TokenKind::True;
      else if (SameText(t.text, u"FALSE"))
        t.kind = TokenKind::False;
    } else {
      Error(u"unexpected character '" + String(1, c) + u"'", t.position);
    }
    return t;
  }

  [[noreturn]] void Error(const String& what, size_t position) const {
    throw EDatabaseError(String(SExprIncorrect) + u": " + what + u" at position " +
                         IntToStr(static_cast<int>(position)) + u" of \"" + text_ + u"\"");
  }

 private:
  const String& text_;
  size_t pos_ = 0;
};

// The constant of a comparison, converted once to the kind of its column.
struct Constant {
  bool null = false;
  Int64 integer = 0;
  bool integral = false;
  double number = 0;
  std::string decimal;
  String text;
};

std::optional<double> ParseDateText(const String& s) {
  int parts[6] = {0, 0, 0, 0, 0, 0};
  int count = 0;
  size_t i = 0;
  Char dateSep = 0;
  while (i < s.size() && count < 6) {
    while (i < s.size() && (s[i] == u' ' || s[i] == u'T')) ++i;
    size_t j = i;
    while (j < s.size() && s[j] >= u'0' && s[j] <= u'9') ++j;
    if (j == i) return std::nullopt;
    int v = 0;
    for (size_t k = i; k < j; ++k) v = v * 10 + (s[k] - u'0');
    parts[count++] = v;
    i = j;
    if (i < s.size() && count <= 2 && (s[i] == u'-' || s[i] == u'.' || s[i] == u'/')) {
      if (dateSep && dateSep != s[i]) return std::nullopt;
      dateSep = s[i++];
    } else if (i < s.size() && count >= 3 && (s[i] == u':' || s[i] == u'.')) {
      ++i;
    } else if (i < s.size() && s[i] != u' ' && s[i] != u'T') {
      return std::nullopt;
    }
  }
  if (i < s.size() || count < 3) return std::nullopt;
  int year, month, day;
  if (dateSep == u'-') {
    year = parts[0], month = parts[1], day = parts[2];
  } else if (dateSep == u'/') {
    month = parts[0], day = parts[1], year = parts[2];
  } else {
    day = parts[0], month = parts[1], year = parts[2];
  }
  TDateTime date, time = 0;
  if (!TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), date))
    return std::nullopt;
  if (count > 3 && !TryEncodeTime(static_cast<Word>(parts[3]), static_cast<Word>(parts[4]),
                                  static_cast<Word>(parts[5]), 0, time))
    return std::nullopt;
  return date >= 0 ? date + time : date - time;
}

}  // namespace

struct TRecordsetFilter::Node {
  enum Kind { And, Or, Not, Compare, IsNull, Constant } kind = Compare;
  std::unique_ptr<Node> left, right;
  int column = -1;
  CompareOp op = CompareOp::Eq;
  ::Constant value;
  bool boolean = false;  // of a Constant node
};

namespace {

using Node = TRecordsetFilter::Node;

class Parser {
 public:
  Parser(const String& text, const TRowStore& store, const TColumnFinder& columnOf)
      : lexer_(text), store_(store), columnOf_(columnOf) {
    Advance();
  }

  std::unique_ptr<Node> Parse() {
    auto node = ParseOr();
    if (token_.kind != TokenKind::End) lexer_.Error(u"unexpected '" + token_.text + u"'", token_.position);
    return node;
  }

 private:
  void Advance() { token_ = lexer_.Next(); }

  std::unique_ptr<Node> Combine(Node::Kind kind, std::unique_ptr<Node> left, std::unique_ptr<Node> right) {
    auto n = std::make_unique<Node>();
    n->kind = kind;
    n->left = std::move(left);
    n->right = std::move(right);
    return n;
  }

  std::unique_ptr<Node> ParseOr() {
    auto left = ParseAnd();
    while (token_.kind == TokenKind::Or) {
      Advance();
      left = Combine(Node::Or, std::move(left), ParseAnd());
    }
    return left;
  }

  std::unique_ptr<Node> ParseAnd() {
    auto left = ParseFactor();
    while (token_.kind == TokenKind::And) {
      Advance();
      left = Combine(Node::And, std::move(left), ParseFactor());
    }
    return left;
  }

  std::unique_ptr<Node> ParseFactor() {
    if (token_.kind == TokenKind::Not) {
      Advance();
      return Combine(Node::Not, ParseFactor(), nullptr);
    }
    if (token_.kind == TokenKind::LParen) {
      Advance();
      auto inner = ParseOr();
      if (token_.kind != TokenKind::RParen) lexer_.Error(u"')' expected", token_.position);
      Advance();
      return inner;
    }
    return ParseComparison();
  }

  std::unique_ptr<Node> ParseComparison() {
    if (token_.kind != TokenKind::Name) lexer_.Error(u"field name expected", token_.position);
    auto n = std::make_unique<Node>();
    n->column = FindColumn(columnOf_, token_.text);
    Advance();
    if (token_.kind == TokenKind::Is) {
      Advance();
      bool negate = false;
      if (token_.kind == TokenKind::Not) {
        negate = true;
        Advance();
      }
      if (token_.kind != TokenKind::Null) lexer_.Error(u"NULL expected", token_.position);
      Advance();
      n->kind = Node::IsNull;
      return negate ? Combine(Node::Not, std::move(n), nullptr) : std::move(n);
    }
    if (token_.kind == TokenKind::Not) {
      Advance();
      if (token_.kind != TokenKind::Like) lexer_.Error(u"LIKE expected", token_.position);
      n->op = CompareOp::NotLike;
    } else if (token_.kind == TokenKind::Like) {
      n->op = CompareOp::Like;
    } else if (token_.kind == TokenKind::Op) {
      const String& o = token_.text;
      if (o == u"=")
        n->op = CompareOp::Eq;
      else if (o == u"<>" || o == u"!=")
        n->op = CompareOp::Ne;
      else if (o == u"<")
        n->op = CompareOp::Lt;
      else if (o == u">")
        n->op = CompareOp::Gt;
      else if (o == u"<=")
        n->op = CompareOp::Le;
      else if (o == u">=")
        n->op = CompareOp::Ge;
      else
        lexer_.Error(u"unknown operator '" + o + u"'", token_.position);
    } else {
      lexer_.Error(u"comparison operator expected", token_.position);
    }
    Advance();
    const Token value = token_;
    Advance();
    if (value.kind == TokenKind::Null) {
      if (n->op != CompareOp::Eq && n->op != CompareOp::Ne)
        lexer_.Error(u"NULL only allowed with '=' and '<>'", value.position);
      const bool negate = n->op == CompareOp::Ne;
      n->kind = Node::IsNull;
      return negate ? Combine(Node::Not, std::move(n), nullptr) : std::move(n);
    }
    if (value.kind != TokenKind::String && value.kind != TokenKind::Number && value.kind != TokenKind::Date &&
        value.kind != TokenKind::True && value.kind != TokenKind::False)
      lexer_.Error(u"value expected", value.position);
    n->kind = Node::Compare;
    Convert(*n, value);
    return n;
  }

  void Convert(Node& n, const Token& value) {
    const TStoreKind kind = store_.Kind(n.column);
    Constant& c = n.value;
    const bool like = n.op == CompareOp::Like || n.op == CompareOp::NotLike;
    if (like && kind != TStoreKind::Text) lexer_.Error(u"LIKE needs a text field", value.position);
    if (like && value.kind != TokenKind::String) lexer_.Error(u"LIKE needs a quoted pattern", value.position);
    auto badValue = [&] {
      lexer_.Error(u"'" + value.text + u"' does not fit the field's type", value.position);
    };
    switch (kind) {
      case TStoreKind::Text:
        c.text = value.kind == TokenKind::True    ? String(u"True")
                 : value.kind == TokenKind::False ? String(u"False")
                                                  : value.text;
        break;
      case TStoreKind::Integer:
      case TStoreKind::Float:
      case TStoreKind::Decimal: {
        if (value.kind != TokenKind::Number && value.kind != TokenKind::String) badValue();
        TBcd bcd;
        if (!TryStrToBcd(Trim(value.text), bcd)) badValue();
        c.decimal = BcdToDecimalText(bcd);
        c.number = BcdToDouble(bcd);
        c.integral = BcdScale(bcd) == 0 || c.decimal.find('.') == std::string::npos;
        if (c.integral) {
          const auto [ptr, ec] =
              std::from_chars(c.decimal.data(), c.decimal.data() + c.decimal.size(), c.integer);
          c.integral = ec == std::errc() && ptr == c.decimal.data() + c.decimal.size();
        }
        break;
      }
      case TStoreKind::Boolean: {
        if (value.kind == TokenKind::True || value.kind == TokenKind::False) {
          c.integer = value.kind == TokenKind::True;
          break;
        }
        bool b;
        if (!TryStrToBool(Trim(value.text), b)) badValue();
        c.integer = b;
        break;
      }
      case TStoreKind::Date:
      case TStoreKind::Time:
      case TStoreKind::DateTime: {
        if (value.kind != TokenKind::Date && value.kind != TokenKind::String) badValue();
        std::optional<double> d = ParseDateText(Trim(value.text));
        if (!d) badValue();
        c.number = *d;
        break;
      }
      case TStoreKind::Bytes:
        lexer_.Error(u"binary fields cannot be compared", value.position);
    }
  }

  Lexer lexer_;
  const TRowStore& store_;
  const TColumnFinder& columnOf_;
  Token token_;
};

int Compare3(double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); }

bool Apply(CompareOp op, int c) {
  switch (op) {
    case CompareOp::Eq:
      return c == 0;
    case CompareOp::Ne:
      return c != 0;
    case CompareOp::Lt:
      return c < 0;
    case CompareOp::Gt:
      return c > 0;
    case CompareOp::Le:
      return c <= 0;
    case CompareOp::Ge:
      return c >= 0;
    default:
      return false;
  }
}

struct EvalOptions {
  bool caseInsensitive;
  bool partialCompare;
};

bool Evaluate(const Node& n, const TRowStore& store, TStoreRow row, const EvalOptions& o) {
  switch (n.kind) {
    case Node::And:
      return Evaluate(*n.left, store, row, o) && Evaluate(*n.right, store, row, o);
    case Node::Or:
      return Evaluate(*n.left, store, row, o) || Evaluate(*n.right, store, row, o);
    case Node::Not:
      return !Evaluate(*n.left, store, row, o);
    case Node::IsNull:
      return TRowStore::IsNull(row, n.column);
    case Node::Constant:
      return n.boolean;
    case Node::Compare:
      break;
  }
  if (TRowStore::IsNull(row, n.column)) return false;
  const Constant& c = n.value;
  switch (store.Kind(n.column)) {
    case TStoreKind::Text: {
      const std::u16string_view text = store.GetText(row, n.column);
      if (n.op == CompareOp::Like) return MatchLikePattern(text, c.text, o.caseInsensitive);
      if (n.op == CompareOp::NotLike) return !MatchLikePattern(text, c.text, o.caseInsensitive);
      // 'abc*' compared for (in)equality: a prefix.
      if (o.partialCompare && (n.op == CompareOp::Eq || n.op == CompareOp::Ne) && !c.text.empty() &&
          c.text.back() == u'*') {
        const std::u16string_view prefix(c.text.data(), c.text.size() - 1);
        const bool starts = text.size() >= prefix.size() &&
                            CompareServerText(text.substr(0, prefix.size()), prefix, o.caseInsensitive) == 0;
        return n.op == CompareOp::Eq ? starts : !starts;
      }
      return Apply(n.op, CompareServerText(text, c.text, o.caseInsensitive));
    }
    case TStoreKind::Integer:
    case TStoreKind::Boolean: {
      const Int64 v = store.GetInteger(row, n.column);
      if (c.integral) return Apply(n.op, v < c.integer ? -1 : (v > c.integer ? 1 : 0));
      return Apply(n.op, Compare3(static_cast<double>(v), c.number));
    }
    case TStoreKind::Float:
      return Apply(n.op, Compare3(store.GetFloat(row, n.column), c.number));
    case TStoreKind::Decimal:
      return Apply(n.op, CompareDecimalText(store.GetDecimal(row, n.column), c.decimal));
    case TStoreKind::Date:
    case TStoreKind::Time:
    case TStoreKind::DateTime:
      // Whole milliseconds, so a date typed in the filter equals the stored one.
      return Apply(n.op, Compare3(std::round(store.GetFloat(row, n.column) * MSecsPerDay),
                                  std::round(c.number * MSecsPerDay)));
    case TStoreKind::Bytes:
      return false;
  }
  return false;
}

}  // namespace

TRecordsetFilter::TRecordsetFilter(const String& text, const TRowStore& store, const TColumnFinder& columnOf,
                                   bool caseInsensitive, bool partialCompare)
    : store_(store), caseInsensitive_(caseInsensitive), partialCompare_(partialCompare) {
  if (Trim(text).empty()) {
    root_ = std::make_unique<Node>();
    root_->kind = Node::Constant;
    root_->boolean = true;
    return;
  }
  root_ = Parser(text, store, columnOf).Parse();
}

TRecordsetFilter::~TRecordsetFilter() = default;

bool TRecordsetFilter::Matches(TStoreRow row) const {
  return Evaluate(*root_, store_, row, EvalOptions{caseInsensitive_, partialCompare_});
}
