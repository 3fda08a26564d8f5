// Helpers for the variant tests: readable failure output and a compact way to state an expected value.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Utf.h"
#include "platform/rtl/Variant.h"

// gtest prints a Variant as its kind and text: Integer(5), UnicodeString(abc), Null.
inline void PrintTo(const Variant& v, std::ostream* os) {
  *os << StringToUtf8(VarTypeAsText(v.Type()));
  try {
    if (!v.IsEmpty() && !v.IsNull()) *os << "(" << StringToUtf8(VarToStr(v)) << ")";
  } catch (const Exception&) {
    *os << "(...)";
  }
}

// The kind and the text of a value, "Integer 5", as one string to compare with in tables.
inline std::string KindAndText(const Variant& v) {
  return StringToUtf8(VarTypeAsText(v.Type())) + " " + StringToUtf8(VarToStr(v));
}

inline std::string Utf8(const String& s) { return StringToUtf8(s); }

// Runs f and returns the message of the exception of type E it raises ("" when it raises none).
template <class E, class F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const E& e) {
    return StringToUtf8(e.Message());
  }
  return "";
}
