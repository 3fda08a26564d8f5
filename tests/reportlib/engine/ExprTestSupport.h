// Helpers of the expression tests: evaluate a text and describe a result as one readable line, so
// tables of expressions compare with what they should give ("int:7", "error:Cannot divide by 0").
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "reportlib/engine/QREvaluator.h"

inline std::string Utf8(const String& s) { return StringToUtf8(s); }

inline std::string Describe(const TQREvResult& r) {
  switch (r.Kind) {
    case resInt:
      return "int:" + Utf8(IntToStr(static_cast<long long>(r.intResult)));
    case resDouble:
      return "float:" + Utf8(FloatToStr(r.dblResult));
    case resString:
      return "str:" + Utf8(r.StringVal);
    case resBool:
      return r.booResult ? "bool:True" : "bool:False";
    case resError:
      return "error:" + Utf8(r.StringVal);
  }
  return "?";
}

// Prepares, evaluates and unprepares the text with an evaluator that may carry datasets and an
// environment.
inline std::string Eval(const String& text, TQREvaluator* evaluator = nullptr) {
  TQREvaluator local;
  TQREvaluator& e = evaluator ? *evaluator : local;
  return Describe(e.Calculate(text));
}

struct TExprCase {
  const char16_t* expression;
  const char* expected;
};

// Each case in its own line of the failure report.
inline void ExpectTable(std::initializer_list<TExprCase> cases, TQREvaluator* evaluator = nullptr) {
  for (const TExprCase& c : cases) EXPECT_EQ(Eval(c.expression, evaluator), c.expected) << Utf8(c.expression);
}
