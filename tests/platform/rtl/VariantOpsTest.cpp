// Variant arithmetic with its promotion rules, logic, and comparison with Null and "not comparable".
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <utility>

#include "tests/platform/rtl/VariantTestSupport.h"

namespace {

constexpr Int64 kInt64Max = std::numeric_limits<Int64>::max();
constexpr Int64 kInt64Min = std::numeric_limits<Int64>::min();
constexpr Integer kIntMax = std::numeric_limits<Integer>::max();
constexpr Integer kIntMin = std::numeric_limits<Integer>::min();

TSQLTimeStamp Stamp(SmallInt y, Word m, Word d, Word h = 0) {
  TSQLTimeStamp ts;
  ts.Year = y, ts.Month = m, ts.Day = d, ts.Hour = h;
  return ts;
}

using BinaryOp = std::function<Variant(const Variant&, const Variant&)>;
const BinaryOp Add = [](const Variant& a, const Variant& b) { return a + b; };
const BinaryOp Sub = [](const Variant& a, const Variant& b) { return a - b; };
const BinaryOp Mul = [](const Variant& a, const Variant& b) { return a * b; };
const BinaryOp Div = [](const Variant& a, const Variant& b) { return a / b; };

struct ArithmeticCase {
  Variant a;
  const char* op;
  BinaryOp f;
  Variant b;
  const char* expected;  // "Kind text"
};

void CheckArithmetic(const std::vector<ArithmeticCase>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.a) + " " + c.op + " " + testing::PrintToString(c.b));
    EXPECT_EQ(KindAndText(c.f(c.a, c.b)), c.expected);
  }
}

TEST(VariantArithmetic, IntegersStayIntegersAndWidenOnOverflow) {
  CheckArithmetic({
      {2, "+", Add, 3, "Integer 5"},
      {SmallInt(2), "+", Add, Byte(3), "Integer 5"},
      {Byte(2), "-", Sub, Byte(3), "Integer -1"},
      {kIntMax, "+", Add, 1, "Int64 2147483648"},
      {kIntMin, "-", Sub, 1, "Int64 -2147483649"},
      {65536, "*", Mul, 65536, "Int64 4294967296"},
      {Int64(5), "+", Add, 1, "Int64 6"},
      {Int64(5), "*", Mul, Int64(2), "Int64 10"},
      {UInt64(5), "+", Add, UInt64(7), "UInt64 12"},
      {UInt64(5), "-", Sub, UInt64(7), "Int64 -2"},
      {std::numeric_limits<UInt64>::max(), "-", Sub, UInt64(1), "UInt64 18446744073709551614"},
      {LongWord(4000000000u), "*", Mul, LongWord(4000000000u), "UInt64 16000000000000000000"},
      {true, "+", Add, 1, "Integer 0"},  // True is -1
  });
  EXPECT_EQ(MessageOf<EVariantOverflowError>([] { Variant(kInt64Max) + 1; }), "Variant overflow");
  EXPECT_THROW(Variant(kInt64Min) - 1, EVariantOverflowError);
  EXPECT_THROW(Variant(kInt64Max) * 2, EVariantOverflowError);
  EXPECT_THROW(Variant(std::numeric_limits<UInt64>::max()) + UInt64(1), EVariantOverflowError);
}

TEST(VariantArithmetic, FloatsCurrencyAndDecimalsPromoteAsTheClassLibrary) {
  CheckArithmetic({
      {1.5, "+", Add, 1, "Double 2,5"},
      {1, "+", Add, 1.5, "Double 2,5"},
      {1.5f, "+", Add, 1.0f, "Single 2,5"},
      {1.5f, "+", Add, 1, "Double 2,5"},
      {Currency(1.5), "+", Add, Currency(2.25), "Currency 3,75"},
      {Currency(0.1), "*", Mul, Currency(0.1), "Currency 0,01"},
      {Currency(1.5), "+", Add, 2, "Currency 3,5"},
      {Currency(1.5), "*", Mul, 3, "Currency 4,5"},
      {Currency(1.5), "+", Add, 0.25, "Double 1,75"},
      // A decimal keeps exact digits where a Double would not: 0.1 + 0.2 = 0.3.
      {StrToBcd(u"0.1"), "+", Add, 0.2, "FMTBcdVariantType 0,3"},
      {StrToBcd(u"0.1"), "*", Mul, 3, "FMTBcdVariantType 0,3"},
      {Currency(1), "-", Sub, StrToBcd(u"0.0001"), "FMTBcdVariantType 0,9999"},
      {StrToBcd(u"2.5"), "+", Add, u"0,5", "FMTBcdVariantType 3"},
  });
  EXPECT_THROW(Variant(1e308) * 10, EOverflow);
  EXPECT_THROW(Variant(3e38f) * Variant(3e38f), EOverflow);
  EXPECT_THROW(Variant(MaxCurrency) + Currency(1), EVariantOverflowError);
}

TEST(VariantArithmetic, DatesAndStampsMoveByDays) {
  const Variant date = Variant::FromDate(45000);  // 15.03.2023
  CheckArithmetic({
      {date, "+", Add, 1, "Date 16.03.2023"},
      {1, "+", Add, date, "Date 16.03.2023"},
      {date, "-", Sub, 0.5, "Date 14.03.2023 12:00:00"},
      {date, "-", Sub, Variant::FromDate(44999), "Double 1"},
      {date, "*", Mul, 2, "Double 90000"},
      {Stamp(2024, 1, 15, 10), "+", Add, 1, "SQLTimeStampVariantType 16.01.2024 10:00:00"},
      {Stamp(2024, 1, 15, 10), "-", Sub, Stamp(2024, 1, 14, 22), "Double 0,5"},
  });
  EXPECT_THROW(Variant(1) - Variant(Stamp(2024, 1, 15)), EVariantInvalidOpError);
}

TEST(VariantArithmetic, TextConcatenatesOrReadsAsANumber) {
  CheckArithmetic({
      {u"ab", "+", Add, u"вг", "UnicodeString abвг"},
      {StringToAnsi(u"ab"), "+", Add, StringToAnsi(u"cd"), "String abcd"},
      {u"ab", "+", Add, StringToAnsi(u"cd"), "UnicodeString abcd"},
      {u"1", "+", Add, 2, "Double 3"},
      {2, "+", Add, u"1", "Double 3"},
      {u"1,5", "*", Mul, 2, "Double 3"},
      {u"10", "-", Sub, u"4", "Double 6"},
      {Variant(), "+", Add, u"ab", "UnicodeString ab"},
  });
  EXPECT_EQ(MessageOf<EVariantTypeCastError>([] { Variant(u"abc") + 1; }),
            "Could not convert variant of type (UnicodeString) into type (Double)");
}

TEST(VariantArithmetic, NullSwallowsAndEmptyCountsAsZero) {
  const Variant null = Null();
  for (const auto& f : {Add, Sub, Mul, Div}) {
    EXPECT_TRUE(VarIsNull(f(null, 1)));
    EXPECT_TRUE(VarIsNull(f(1, null)));
    EXPECT_TRUE(VarIsNull(f(null, u"a")));
  }
  EXPECT_TRUE(VarIsNull(-null));
  EXPECT_TRUE(VarIsNull(VarIntDiv(null, 2)));
  EXPECT_TRUE(VarIsNull(VarMod(7, null)));

  CheckArithmetic({
      {Variant(), "+", Add, 5, "Integer 5"},
      {5, "-", Sub, Variant(), "Integer 5"},
      {Variant(), "+", Add, 1.5f, "Single 1,5"},
      {Variant(), "+", Add, Currency(2), "Currency 2"},
      {Variant(), "*", Mul, 3, "Integer 0"},
  });

  // Summing into an unassigned total, as report code does.
  Variant total;
  for (int i = 1; i <= 4; ++i) total += i;
  EXPECT_EQ(KindAndText(total), "Integer 10");
}

TEST(VariantArithmetic, DivisionAlwaysGivesADouble) {
  CheckArithmetic({
      {7, "/", Div, 2, "Double 3,5"},
      {6, "/", Div, 3, "Double 2"},
      {Currency(1), "/", Div, Currency(4), "Double 0,25"},
      {StrToBcd(u"1"), "/", Div, 8, "Double 0,125"},
      {u"3", "/", Div, 2, "Double 1,5"},
  });
  EXPECT_EQ(MessageOf<EZeroDivide>([] { Variant(1) / 0; }), "Floating point division by zero");
  EXPECT_EQ(MessageOf<EInvalidOp>([] { Variant(0) / 0; }), "Invalid floating point operation");
  EXPECT_THROW(Variant() / Variant(), EInvalidOp);
}

TEST(VariantArithmetic, IntegerDivisionAndModuloTruncate) {
  EXPECT_EQ(KindAndText(VarIntDiv(7, 2)), "Integer 3");
  EXPECT_EQ(KindAndText(VarIntDiv(-7, 2)), "Integer -3");
  EXPECT_EQ(KindAndText(VarMod(-7, 2)), "Integer -1");
  EXPECT_EQ(KindAndText(VarMod(7, -2)), "Integer 1");
  EXPECT_EQ(KindAndText(VarIntDiv(7.5, 2)), "Integer 4");  // 7.5 rounds to 8 first
  EXPECT_EQ(KindAndText(VarIntDiv(Int64(10), 3)), "Int64 3");
  EXPECT_EQ(KindAndText(VarIntDiv(u"9", 2)), "Integer 4");
  EXPECT_EQ(MessageOf<EDivByZero>([] { VarIntDiv(1, 0); }), "Division by zero");
  EXPECT_THROW(VarMod(1, 0), EDivByZero);
  EXPECT_THROW(VarIntDiv(kInt64Min, -1), EVariantOverflowError);
}

TEST(VariantArithmetic, NegationKeepsTheKindOrWidens) {
  EXPECT_EQ(KindAndText(-Variant(5)), "Integer -5");
  EXPECT_EQ(KindAndText(-Variant(kIntMin)), "Int64 2147483648");
  EXPECT_EQ(KindAndText(-Variant(1.5)), "Double -1,5");
  EXPECT_EQ(KindAndText(-Variant(Currency(1.5))), "Currency -1,5");
  EXPECT_EQ(KindAndText(-Variant(StrToBcd(u"1.5"))), "FMTBcdVariantType -1,5");
  EXPECT_EQ(KindAndText(-Variant(u"2")), "Double -2");
  EXPECT_TRUE(VarIsEmpty(-Variant()));
  EXPECT_THROW(-Variant(kInt64Min), EVariantOverflowError);
  EXPECT_THROW(-Variant(MinCurrency), EVariantOverflowError);
}

TEST(VariantArithmetic, ArraysObjectsAndErrorsTakeNoPart) {
  int object = 0;
  for (const Variant& v : {VarArrayOf({1}), Variant::FromObject(&object), Variant::FromError(1)}) {
    EXPECT_EQ(MessageOf<EVariantInvalidOpError>([&] { v + 1; }), "Invalid variant operation");
    EXPECT_THROW(1 * v, EVariantInvalidOpError);
    EXPECT_THROW(-v, EVariantInvalidOpError);
    EXPECT_THROW(VarAnd(v, 1), EVariantInvalidOpError);
  }
}

TEST(VariantLogic, BooleansCombineAsTruthAndIntegersBitwise) {
  const Variant t = true, f = false;
  EXPECT_EQ(KindAndText(t & f), "Boolean False");
  EXPECT_EQ(KindAndText(t | f), "Boolean True");
  EXPECT_EQ(KindAndText(t ^ t), "Boolean False");
  EXPECT_EQ(KindAndText(!t), "Boolean False");
  EXPECT_EQ(KindAndText(t & Variant(u"False")), "Boolean False");
  EXPECT_EQ(KindAndText(VarAnd(12, 10)), "Integer 8");
  EXPECT_EQ(KindAndText(VarOr(12, 3)), "Integer 15");
  EXPECT_EQ(KindAndText(VarXor(12, 10)), "Integer 6");
  EXPECT_EQ(KindAndText(VarNot(0)), "Integer -1");
  EXPECT_EQ(KindAndText(~Variant(Int64(0))), "Int64 -1");
  EXPECT_EQ(KindAndText(VarAnd(Int64(0x100000001), 1)), "Int64 1");
  EXPECT_EQ(KindAndText(VarNot(u"True")), "Boolean False");
  EXPECT_EQ(KindAndText(VarNot(u"5")), "Integer -6");
  EXPECT_TRUE(VarIsNull(VarAnd(Null(), true)));
  EXPECT_TRUE(VarIsNull(VarNot(Null())));
  EXPECT_THROW(VarAnd(u"abc", 1), EVariantTypeCastError);
}

// ---- Comparison ----

struct CompareCase {
  Variant a, b;
  TVariantRelationship expected;
};

TEST(VariantCompare, ThreeWayWithNotComparable) {
  int x = 0, y = 0;
  const CompareCase cases[] = {
      {1, 2, vrLessThan},
      {2, 1, vrGreaterThan},
      {1, 1.0, vrEqual},
      {Byte(200), SmallInt(-1), vrGreaterThan},
      {std::numeric_limits<UInt64>::max(), Int64(-1), vrGreaterThan},
      // Exact: 2^53 + 1 is above the Double 2^53, which a double comparison would miss.
      {Int64(9007199254740993), 9007199254740992.0, vrGreaterThan},
      {Currency(0.1), 0.1, vrEqual},
      {Currency(2), 2, vrEqual},
      {Currency(1.5), 1, vrGreaterThan},
      {StrToBcd(u"1.10"), 1.1, vrEqual},
      {StrToBcd(u"0.3"), 0.1 + 0.2, vrLessThan},
      {true, false, vrGreaterThan},
      {true, -1, vrEqual},
      {Variant::FromDate(45000), u"15.03.2023", vrEqual},
      {Variant::FromDate(45000), 45000.5, vrLessThan},
      {Stamp(2024, 1, 15), Variant::FromDate(45306), vrEqual},
      {Stamp(2024, 1, 15), u"16.01.2024", vrLessThan},
      // Text: the locale's order, so Cyrillic sorts alphabetically whatever the code points say.
      {u"abc", u"abd", vrLessThan},
      {u"а", u"Б", vrLessThan},
      {u"ё", u"ж", vrLessThan},
      {u"abc", u"abc", vrEqual},
      {StringToAnsi(u"б"), u"а", vrGreaterThan},
      // Text against a number reads as a number, or is not comparable.
      {u"10", 9, vrGreaterThan},
      {u"1,5", 1.5, vrEqual},
      {u"abc", 1, vrNotEqual},
      {1, u"abc", vrNotEqual},
      {std::nan(""), std::nan(""), vrNotEqual},
      {std::nan(""), 1, vrNotEqual},
      // Empty and Null equal only themselves.
      {Variant(), Variant(), vrEqual},
      {Null(), Null(), vrEqual},
      {Variant(), 0, vrNotEqual},
      {Null(), 1, vrNotEqual},
      {1, Null(), vrNotEqual},
      {VarArrayOf({1}), VarArrayOf({1}), vrNotEqual},
      {Variant::FromObject(&x), Variant::FromObject(&x), vrEqual},
      {Variant::FromObject(&x), Variant::FromObject(&y), vrNotEqual},
      {Variant::FromObject(&x), 1, vrNotEqual},
      {Variant::FromError(1), Variant::FromError(1), vrEqual},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.a) + " vs " + testing::PrintToString(c.b));
    EXPECT_EQ(VarCompareValue(c.a, c.b), c.expected);
    EXPECT_EQ(VarSameValue(c.a, c.b), c.expected == vrEqual);
  }
}

TEST(VariantCompare, OperatorsFollowTheNullRules) {
  const Variant null = Null(), one = 1;
  EXPECT_TRUE(null == null);
  EXPECT_FALSE(null == one);
  EXPECT_FALSE(one == null);
  EXPECT_TRUE(null != one);
  EXPECT_FALSE(null != null);
  const std::pair<Variant, Variant> pairs[] = {{null, one}, {one, null}, {null, null}};
  for (const auto& [a, b] : pairs) {
    EXPECT_FALSE(a < b);
    EXPECT_FALSE(a <= b);
    EXPECT_FALSE(a > b);
    EXPECT_FALSE(a >= b);
  }
  // Empty compares as the zero of the other side, unlike VarCompareValue.
  EXPECT_TRUE(Variant() == 0);
  EXPECT_TRUE(Variant() == u"");
  EXPECT_TRUE(Variant() == false);
  EXPECT_TRUE(Variant() < 1);
  EXPECT_TRUE(Variant() > -1.5);
}

TEST(VariantCompare, OperatorsOrderAcrossKinds) {
  EXPECT_TRUE(Variant(1) < Variant(2.5));
  EXPECT_TRUE(Variant(2.5) >= Variant(2.5));
  EXPECT_TRUE(Variant(u"2") == Variant(2));
  EXPECT_TRUE(Variant(u"b") > Variant(u"a"));
  EXPECT_TRUE(Variant(Currency(1)) <= Variant(StrToBcd(u"1")));
  EXPECT_FALSE(Variant(std::nan("")) == Variant(std::nan("")));
  EXPECT_TRUE(Variant(std::nan("")) != Variant(1));
  EXPECT_EQ(MessageOf<EVariantTypeCastError>([] { (void)(Variant(u"abc") == Variant(1)); }),
            "Could not convert variant of type (UnicodeString) into type (Double)");
  EXPECT_THROW((void)(VarArrayOf({1}) == VarArrayOf({1})), EVariantInvalidOpError);
  int object = 0;
  EXPECT_TRUE(Variant::FromObject(&object) == Variant::FromObject(&object));
  EXPECT_FALSE(Variant::FromObject(&object) < Variant::FromObject(&object));
}

}  // namespace
