// The report expression evaluator: the parser that splits a text at its operators into a prefix queue,
// name lookup (function, field, environment), preparation and evaluation.
#include "reportlib/engine/QREvaluator.h"

#include "platform/classes/Lists.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Variant.h"
#include "reportlib/engine/QREvElements.h"
#include "reportlib/engine/QREvEnvironment.h"
#include "reportlib/engine/QRExprConsts.h"
#include "reportlib/engine/QRFunctionLibrary.h"

Char ArgSeparator = u',';

namespace {

// How far the parser follows nested operators and parentheses. Each level costs stack in the parser
// and again when the queue is evaluated; ordinary report expressions stay far below.
constexpr int kMaxParseDepth = 2000;

constexpr Char kQuote = u'\'';

String Slice(const String& s, size_t from, size_t to) {
  if (from >= to || from >= s.size()) return String();
  return s.substr(from, to - from);
}

String Tail(const String& s, size_t from) { return from < s.size() ? s.substr(from) : String(); }

Char LowerAscii(Char c) { return c >= u'A' && c <= u'Z' ? static_cast<Char>(c + 32) : c; }

bool IsWordChar(Char c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
         c >= 0x80;
}

// True when the characters of s from index on, lowercased, begin with word.
bool HasWordAt(const String& s, size_t index, const char16_t* word) {
  for (size_t k = 0; word[k]; ++k) {
    if (index + k >= s.size() || LowerAscii(s[index + k]) != word[k]) return false;
  }
  return true;
}

// The scanner the three splitting levels share: the leftmost operator outside quotes, parentheses and
// brackets at a position after the first, never the last character.
struct TSplit {
  size_t pos = 0;
  size_t width = 0;
  TQREvOperator op = opPlus;
};

template <class Match>
bool FindOperator(const String& s, Match match, TSplit& split) {
  bool inQuote = false, inBracket = false;
  int depth = 0;
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    const Char c = s[i];
    if (c == kQuote) {
      if (!inBracket) inQuote = !inQuote;
    } else if (c == u'(') {
      if (!inQuote && !inBracket) ++depth;
    } else if (c == u')') {
      if (!inQuote && !inBracket) --depth;
    } else if (c == u'[') {
      if (!inQuote) inBracket = true;
    } else if (c == u']') {
      inBracket = false;
    }
    if (depth == 0 && !inQuote && !inBracket && i > 0 && match(s, i, split)) return true;
  }
  return false;
}

bool MatchComparison(const String& s, size_t i, TSplit& split) {
  const Char c = s[i], next = s[i + 1];
  if (c == u'<' && next == u'>')
    split = {i, 2, opUnequal};
  else if (c == u'<' && next == u'=')
    split = {i, 2, opLessOrEqual};
  else if (c == u'<')
    split = {i, 1, opLess};
  else if (c == u'=')
    split = {i, 1, opEqual};
  else if (c == u'>' && next == u'=')
    split = {i, 2, opGreaterOrEqual};
  else if (c == u'>')
    split = {i, 1, opGreater};
  else
    return false;
  return true;
}

// A sign with no operand before it (only blanks, or another operator) belongs to what follows:
// -1 in "IF(x, -1, 1)" or "2 * -3 + 1" is a negative number, not a minus with a missing left side.
bool IsOperatorChar(Char c) {
  return c == u'+' || c == u'-' || c == u'*' || c == u'/' || c == u'<' || c == u'>' || c == u'=';
}

bool IsUnarySign(const String& s, size_t i) {
  while (i > 0) {
    const Char before = s[--i];
    if (before != u' ') return IsOperatorChar(before);
  }
  return true;
}

bool MatchSum(const String& s, size_t i, TSplit& split) {
  const Char c = s[i];
  if ((c == u'+' || c == u'-') && !IsUnarySign(s, i)) {
    split = {i, 1, c == u'+' ? opPlus : opMinus};
    return true;
  }
  if (c == u' ' && HasWordAt(s, i + 1, u"or ")) {
    split = {i + 1, 2, opOr};
    return true;
  }
  return false;
}

bool MatchTerm(const String& s, size_t i, TSplit& split) {
  const Char c = s[i];
  if (c == u'*' || c == u'/') {
    split = {i, 1, c == u'*' ? opMul : opDiv};
    return true;
  }
  if (c == u' ' && HasWordAt(s, i + 1, u"and ")) {
    split = {i + 1, 3, opAnd};
    return true;
  }
  return false;
}

// Splitting at the leftmost operator makes the right side one operand; exchanging + and - (or * and /)
// in it keeps a - b + c equal to a - (b - c). A sign is only exchanged where it is an operator: the
// sign of a number keeps its meaning, so 3--2 is 3 - (-2) and a - b + -c is a - (b - -c).
void SwapOperatorChars(String& text, Char c1, Char c2) {
  bool inQuote = false, inBracket = false;
  int depth = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    Char& c = text[i];
    if (inBracket) {
      if (c == u']') inBracket = false;
      continue;
    }
    if (c == kQuote) {
      inQuote = !inQuote;
    } else if (!inQuote) {
      if (c == u'(')
        ++depth;
      else if (c == u')')
        --depth;
      else if (c == u'[')
        inBracket = true;
      else if (depth == 0 && (c == c1 || c == c2) && !IsUnarySign(text, i))
        c = c == c1 ? c2 : c1;
    }
  }
}

// Blanks (character 32 only) off both ends, leaving at least one character.
String TrimBlanks(const String& s) {
  size_t first = 0, last = s.size();
  while (first + 1 < last && s[first] == u' ') ++first;
  while (last > first + 1 && s[last - 1] == u' ') --last;
  return s.substr(first, last - first);
}

}  // namespace

// ---- Elements ----

void TQREvElement::Value(TQRFiFo*, TQREvResult&) {}

std::unique_ptr<TQREvElement> TQRFiFo::GetAndFree() {
  if (FiFo.empty()) return nullptr;
  std::unique_ptr<TQREvElement> first = std::move(FiFo.front());
  FiFo.erase(FiFo.begin());
  if (FNextItem > 0) --FNextItem;
  return first;
}

void TQREvElementFunction::Value(TQRFiFo* fifo, TQREvResult& result) {
  GetArguments(fifo);
  if (fifo->GetAggreg()) Aggregate();
  Calculate(result);
  FreeArguments();
}

void TQREvElementFunction::Calculate(TQREvResult& result) { SetErrorResult(String(), result); }

void TQREvElementFunction::GetArguments(TQRFiFo* fifo) {
  argCount_ = 0;
  while (TQREvElement* element = fifo->Get()) {
    if (element->IsArgumentEnd()) break;
    if (static_cast<size_t>(argCount_) == ArgList.size())
      ArgList.push_back(std::make_unique<TQREvResultClass>());
    element->Value(fifo, ArgList[static_cast<size_t>(argCount_)]->EvResult);
    ++argCount_;
  }
}

// ---- Evaluator ----

class TQREvaluator::TDepthGuard {
 public:
  explicit TDepthGuard(TQREvaluator& owner) : owner_(owner) { ++owner_.depth_; }
  ~TDepthGuard() { --owner_.depth_; }
  TDepthGuard(const TDepthGuard&) = delete;
  TDepthGuard& operator=(const TDepthGuard&) = delete;

 private:
  TQREvaluator& owner_;
};

TQREvaluator::TQREvaluator() = default;

TQREvaluator::~TQREvaluator() {
  if (FPrepared) UnPrepare();
}

TList* TQREvaluator::GetDataSets() {
  if (!FDataSets) {
    OwnDataSets = std::make_unique<TList>();
    FDataSets = OwnDataSets.get();
  }
  return FDataSets;
}

void TQREvaluator::SetDataSets(TList* value) {
  if (value == FDataSets) return;
  OwnDataSets.reset();
  FDataSets = value;
}

void TQREvaluator::Prepare(const String& StrExpr) {
  if (FPrepared) UnPrepare();
  QRGlobalEnvironment()->Prepare();
  FiFo = std::make_unique<TQRFiFo>();
  depth_ = 0;
  auto undo = MakeScopeExit([&] {
    FiFo.reset();
    QRGlobalEnvironment()->Unprepare();
  });
  ParseComparison(StrExpr.empty() ? String(u"' '") : StrExpr);
  undo.Release();
  FPrepared = true;
}

void TQREvaluator::UnPrepare() {
  // Only a prepared evaluator gives back its count of the global environment's preparation.
  if (!FPrepared) return;
  FiFo.reset();
  FPrepared = false;
  QRGlobalEnvironment()->Unprepare();
}

void TQREvaluator::Value(TQREvResult& result) {
  if (!FPrepared) throw Exception(SqrEvaluatorNotPrepared);
  FiFo->Start();
  TQREvElement* first = FiFo->Get();
  if (!first) {
    SetErrorResult(String(), result);
    return;
  }
  first->Value(FiFo.get(), result);
}

TQREvResult TQREvaluator::Value() {
  TQREvResult result;
  Value(result);
  return result;
}

void TQREvaluator::DoAggregate() {
  if (!FPrepared) throw Exception(SqrEvaluatorNotPrepared);
  FiFo->SetAggreg(true);
  auto restore = MakeScopeExit([&] { FiFo->SetAggreg(false); });
  Value(scratch_);
}

void TQREvaluator::Reset() {
  if (!FiFo) return;
  for (int i = 0; i < FiFo->GetCount(); ++i) FiFo->GetItem(i)->Reset();
}

TQREvResult TQREvaluator::Calculate(const String& StrExpr) {
  Prepare(StrExpr);
  TQREvResult result;
  {
    auto unprepare = MakeScopeExit([&] { UnPrepare(); });
    Value(result);
  }
  return result;
}

bool TQREvaluator::GetIsAggreg() const {
  if (!FiFo) return false;
  for (int i = 0; i < FiFo->GetCount(); ++i)
    if (FiFo->GetItem(i)->GetIsAggreg()) return true;
  return false;
}

bool TQREvaluator::GetAggregate() const { return FiFo && FiFo->GetAggreg(); }

void TQREvaluator::SetAggregate(bool value) {
  if (FiFo) FiFo->SetAggreg(value);
}

// ---- Conversions ----

namespace {
[[noreturn]] void NotA(const Char* kind) { throw Exception(QRFormatMessage(SqrNotValue, {kind})); }
}  // namespace

String TQREvaluator::AsString() { return EvResultToText(Value()); }

Int64 TQREvaluator::AsInteger() {
  const TQREvResult result = Value();
  if (result.Kind == resInt) return result.intResult;
  if (result.Kind == resDouble) return Round(result.dblResult);
  NotA(SqrNumeric);
}

double TQREvaluator::AsFloat() {
  const TQREvResult result = Value();
  if (result.Kind == resInt) return static_cast<double>(result.intResult);
  if (result.Kind == resDouble) return result.dblResult;
  NotA(SqrNumeric);
}

bool TQREvaluator::AsBoolean() {
  const TQREvResult result = Value();
  if (result.Kind == resBool) return result.booResult;
  if (result.Kind == resString) {
    if (SameText(result.StringVal, u"TRUE")) return true;
    if (SameText(result.StringVal, u"FALSE")) return false;
  }
  NotA(SqrBoolean);
}

Variant TQREvaluator::AsVariant() {
  const TQREvResult result = Value();
  switch (result.Kind) {
    case resInt:
      if (result.intResult >= INT32_MIN && result.intResult <= INT32_MAX)
        return Variant(static_cast<Integer>(result.intResult));
      return Variant(result.intResult);
    case resDouble:
      return Variant(result.dblResult);
    case resString:
      return Variant(result.StringVal);
    case resBool:
      return Variant(result.booResult);
    case resError:
      break;
  }
  throw Exception(QRFormatMessage(SqrExpError, {result.StringVal}));
}

// ---- Parser ----

void TQREvaluator::AddError(const String& message) { Put(std::make_unique<TQREvElementError>(message)); }

bool TQREvaluator::TooDeep() {
  if (depth_ <= kMaxParseDepth) return false;
  AddError(SqrTooDeep);
  return true;
}

void TQREvaluator::ParseComparison(const String& s) {
  TDepthGuard guard(*this);
  if (TooDeep()) return;
  TSplit split;
  if (!FindOperator(s, MatchComparison, split)) {
    ParseSum(s);
    return;
  }
  Put(TQREvElementOperator::CreateOperator(split.op));
  ParseSum(Slice(s, 0, split.pos));
  ParseSum(Tail(s, split.pos + split.width));
}

void TQREvaluator::ParseSum(const String& s) {
  TDepthGuard guard(*this);
  if (TooDeep()) return;
  TSplit split;
  if (!FindOperator(s, MatchSum, split)) {
    ParseTerm(s);
    return;
  }
  Put(TQREvElementOperator::CreateOperator(split.op));
  ParseTerm(Slice(s, 0, split.pos));
  String right = Tail(s, split.pos + split.width);
  if (split.op == opMinus) SwapOperatorChars(right, u'+', u'-');
  ParseSum(right);
}

void TQREvaluator::ParseTerm(const String& s) {
  TDepthGuard guard(*this);
  if (TooDeep()) return;
  TSplit split;
  if (!FindOperator(s, MatchTerm, split)) {
    ParseFactor(s);
    return;
  }
  Put(TQREvElementOperator::CreateOperator(split.op));
  ParseFactor(Slice(s, 0, split.pos));
  String right = Tail(s, split.pos + split.width);
  if (split.op == opDiv) SwapOperatorChars(right, u'*', u'/');
  ParseTerm(right);
}

void TQREvaluator::ParseFactor(const String& text) {
  TDepthGuard guard(*this);
  if (TooDeep()) return;
  const String s = TrimBlanks(text);
  if (s.empty()) {
    AddError(QRFormatMessage(SqrExpError, {s}));
    return;
  }
  // NOT only as a word of its own: a name such as NOTES is a name.
  if (HasWordAt(s, 0, u"not") && (s.size() == 3 || !IsWordChar(s[3]))) {
    Put(std::make_unique<TQREvElementNot>());
    ParseSum(Tail(s, 3));
    return;
  }
  const Char first = s.front(), last = s.back();
  if (first == kQuote) {
    if (s.size() >= 2 && last == kQuote)
      AddStringLiteral(s);
    else
      AddError(QRFormatMessage(SqrExpected, {u"'"}));
  } else if (first == u'(') {
    if (s.size() >= 2 && last == u')')
      ParseComparison(Slice(s, 1, s.size() - 1));
    else
      AddError(QRFormatMessage(SqrExpected, {u")"}));
  } else if (first == u'+') {
    ParseFactor(Tail(s, 1));
  } else if (first == u'-') {
    ParseSum(u"0-" + Tail(s, 1));
  } else if (first >= u'0' && first <= u'9') {
    AddNumberLiteral(s);
  } else if ((first >= u'A' && first <= u'Z') || (first >= u'a' && first <= u'z')) {
    ParseNameOrCall(s);
  } else if (first == u'[') {
    if (s.size() >= 2 && last == u']')
      LookupDataField(Slice(s, 1, s.size() - 1));
    else
      AddError(QRFormatMessage(SqrExpected, {u"]"}));
  } else {
    AddError(QRFormatMessage(SqrExpError, {s}));
  }
}

void TQREvaluator::AddStringLiteral(const String& s) {
  Put(std::make_unique<TQREvElementString>(Slice(s, 1, s.size() - 1)));
}

void TQREvaluator::AddNumberLiteral(const String& s) {
  const String illegal = SqrIllegalNumeric + (u"\"" + s + u"\"");
  size_t i = 0;
  while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') ++i;
  const bool isFloat = i < s.size();
  for (; i < s.size(); ++i) {
    const Char c = s[i];
    const bool accepted =
        (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.' || c == u'E' || c == u'e';
    if (!accepted) {
      AddError(illegal);
      return;
    }
  }
  TQREvResult value;
  Int64 integer;
  if (!isFloat && TryStrToInt64(s, integer)) {
    value.SetInt(integer);
    Put(TQREvElementConstant::CreateConstant(value));
    return;
  }
  // Too large for an integer, or written as a float.
  String text = s;
  const Char separator = FormatSettings.DecimalSeparator;
  if (separator != u'.')
    for (Char& c : text)
      if (c == u'.') c = separator;
  double number;
  if (!TryStrToFloat(text, number)) {
    AddError(illegal);
    return;
  }
  value.SetDouble(number);
  Put(TQREvElementConstant::CreateConstant(value));
}

void TQREvaluator::ParseNameOrCall(const String& s) {
  const size_t open = s.find(u'(');
  if (open == String::npos) {
    LookupFunction(s, String());
  } else if (s.back() == u')') {
    LookupFunction(Slice(s, 0, open), Slice(s, open + 1, s.size() - 1));
  } else {
    LookupFunction(String(), String());
  }
}

void TQREvaluator::LookupFunction(const String& name, const String& argText) {
  const String upperName = AnsiUpperCase(name);
  std::unique_ptr<TQREvElement> element = QRFunctionLibrary()->GetFunction(upperName);
  if (!dynamic_cast<TQREvElementError*>(element.get())) {
    Put(std::move(element));
    ParseArguments(argText);
    Put(std::make_unique<TQREvElementArgumentEnd>());
    return;
  }
  if (!argText.empty()) {
    Put(std::move(element));
    return;
  }
  LookupDataField(upperName);
}

// Each argument ends at the first separator outside quotes, brackets and parentheses; the search for
// the next one starts after it, and the text's last character is never a separator.
void TQREvaluator::ParseArguments(const String& argText) {
  size_t start = 0;
  for (;;) {
    bool inQuote = false, inBracket = false;
    int depth = 0;
    size_t i = start;
    for (; i + 1 < argText.size(); ++i) {
      const Char c = argText[i];
      if (c == kQuote) {
        if (!inBracket) inQuote = !inQuote;
      } else if (inQuote) {
        continue;
      } else if (c == u'[') {
        inBracket = true;
      } else if (c == u']') {
        inBracket = false;
      } else if (inBracket) {
        continue;
      } else if (c == u'(') {
        ++depth;
      } else if (c == u')') {
        --depth;
      } else if (c == ArgSeparator && depth == 0) {
        break;
      }
    }
    if (i + 1 >= argText.size()) {
      if (start < argText.size()) ParseComparison(Tail(argText, start));
      return;
    }
    if (i > start) ParseComparison(Slice(argText, start, i));
    start = i + 1;
  }
}

void TQREvaluator::LookupDataField(const String& name) {
  if (FDataSets) {
    const size_t dot = name.find(u'.');
    const String dataSetName = dot == String::npos ? String() : AnsiUpperCase(Slice(name, 0, dot));
    const String fieldName = AnsiUpperCase(dot == String::npos ? name : Tail(name, dot + 1));
    TField* field = nullptr;
    for (int i = 0; i < FDataSets->GetCount(); ++i) {
      auto* dataSet = static_cast<TDataSet*>(FDataSets->Get(i));
      if (!dataSet) continue;
      if (dataSetName.empty()) {
        field = dataSet->FindField(fieldName);
        if (field) break;
      } else if (AnsiUpperCase(dataSet->GetName()) == dataSetName) {
        field = dataSet->FindField(fieldName);
        break;
      }
    }
    if (field) {
      Put(TQREvElementDataField::CreateField(field));
      return;
    }
  }
  LookupEnvironment(name);
}

void TQREvaluator::LookupEnvironment(const String& name) {
  std::unique_ptr<TQREvElement> element;
  if (FEnvironment) {
    element = FEnvironment->Element(name);
    if (dynamic_cast<TQREvElementError*>(element.get())) element.reset();
  }
  if (!element) element = QRGlobalEnvironment()->Element(name);
  Put(std::move(element));
}
