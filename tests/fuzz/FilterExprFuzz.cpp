// Fuzz target for the dataset filter language: any text must parse into a tree or raise
// EDatabaseError, and a parsed tree must evaluate over a record (or raise EDatabaseError) without
// crashing, in filter and in aggregate mode.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string_view>

#include "platform/data/DBFilterExpr.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {

const std::map<String, std::pair<TFieldType, Variant>>& Columns() {
  static const std::map<String, std::pair<TFieldType, Variant>> columns = {
      {u"A", {ftInteger, Variant(7)}},
      {u"NAME", {ftString, Variant(u"O'Brien")}},
      {u"AMOUNT", {ftFloat, Variant(-12.5)}},
      {u"D", {ftDate, Variant::FromDate(EncodeDate(2021, 3, 4))}},
      {u"FLAG", {ftBoolean, Variant(true)}},
      {u"N", {ftInteger, Null()}},
      {u"BIG", {ftLargeint, Variant(Int64(9223372036854775807LL))}},
  };
  return columns;
}

void Resolve(const String& name, TField*& field, TFieldType& type) {
  field = nullptr;
  auto it = Columns().find(UpperCase(name));
  if (it == Columns().end()) DatabaseErrorFmt(SFieldNotFound, {name});
  type = it->second.first;
}

Variant Read(const TExprNode& node) {
  auto it = Columns().find(UpperCase(node.Name));
  return it == Columns().end() ? Variant() : it->second.second;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  uint8_t flags = data[0];
  String text = Utf8ToString(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  TFilterOptions options;
  if (flags & 1) options.Include(foCaseInsensitive);
  if (flags & 2) options.Include(foNoPartialCompare);
  TParserOptions parserOptions;
  if (flags & 4) parserOptions.Include(poExtSyntax);
  if (flags & 8) parserOptions.Include(poAggregate);
  try {
    TFilterExpr expr(text, options, parserOptions, &Resolve);
    expr.Dump();
    if (expr.IsAggregate()) {
      expr.ResetAggregates();
      expr.Accumulate(&Read);
      expr.Accumulate(&Read);
      expr.Evaluate(&Read);
    } else {
      expr.Matches(&Read);
    }
  } catch (const EDatabaseError&) {
  }
  return 0;
}
