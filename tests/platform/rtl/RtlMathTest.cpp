// Banker's Round, decimal RoundTo/SimpleRoundTo, MulDiv, truncating division, tolerance comparisons,
// range helpers and the random generator.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

#include "platform/rtl/Exception.h"
#include "platform/rtl/RtlMath.h"

TEST(RtlMath, RoundTakesHalvesToEven) {
  const std::vector<std::pair<Extended, Int64>> cases = {
      {0.5, 0},
      {1.5, 2},
      {2.5, 2},
      {3.5, 4},
      {-0.5, 0},
      {-1.5, -2},
      {-2.5, -2},
      {2.4999, 2},
      {2.5000001, 3},
      {-2.5000001, -3},
      {0, 0},
      {1e15 + 0.5, 1000000000000000},
      {9.2233720368547748e18, 9223372036854774784},
  };
  for (const auto& [value, expected] : cases) EXPECT_EQ(Round(value), expected) << static_cast<double>(value);
  EXPECT_THROW(Round(std::nan("")), EInvalidOp);
  EXPECT_THROW(Round(std::numeric_limits<double>::infinity()), EInvalidOp);
  EXPECT_THROW(Round(1e19), EInvalidOp);
  EXPECT_THROW(Trunc(-1e19), EInvalidOp);
}

TEST(RtlMath, TruncFloorCeilIntAndFrac) {
  EXPECT_EQ(Trunc(2.9), 2);
  EXPECT_EQ(Trunc(-2.9), -2);
  EXPECT_EQ(Floor(-2.1), -3);
  EXPECT_EQ(Floor(2.9), 2);
  EXPECT_EQ(Ceil(-2.9), -2);
  EXPECT_EQ(Ceil(2.1), 3);
  EXPECT_EQ(Int(-2.5), -2);
  EXPECT_EQ(Frac(-2.5), -0.5);
  EXPECT_EQ(Frac(3.25), 0.25);
}

TEST(RtlMath, RoundToRoundsTheDecimalHalvesToEven) {
  const std::vector<std::tuple<double, int, double>> cases = {
      {1.005, -2, 1.0},    {1.015, -2, 1.02},     {1.025, -2, 1.02},    {2.675, -2, 2.68}, {2.665, -2, 2.66},
      {-2.675, -2, -2.68}, {0.125, -2, 0.12},     {0.135, -2, 0.14},    {1234.5, 0, 1234}, {1235.5, 0, 1236},
      {1250, 2, 1200},     {1350, 2, 1400},       {123.456, -1, 123.5}, {0.004, -2, 0},    {99.995, -2, 100},
      {1e20, -2, 1e20},    {0.1 + 0.2, -15, 0.3},
  };
  for (const auto& [value, digits, expected] : cases)
    EXPECT_EQ(RoundTo(value, digits), static_cast<Extended>(expected)) << value << " to " << digits;
  EXPECT_TRUE(std::isnan(RoundTo(std::nan(""), -2)));
}

TEST(RtlMath, SimpleRoundToTakesHalvesAwayFromZero) {
  const std::vector<std::tuple<double, int, double>> cases = {
      {1.005, -2, 1.01}, {-1.005, -2, -1.01}, {2.5, 0, 3}, {-2.5, 0, -3}, {1.004, -2, 1.0}, {150, 2, 200},
  };
  for (const auto& [value, digits, expected] : cases)
    EXPECT_EQ(SimpleRoundTo(value, digits), static_cast<Extended>(expected)) << value << " to " << digits;
  EXPECT_EQ(SimpleRoundTo(2.345), static_cast<Extended>(2.35));
}

TEST(RtlMath, PowersMinMaxRangesAndSign) {
  EXPECT_EQ(IntPower(2, 10), 1024);
  EXPECT_EQ(IntPower(2, -2), 0.25);
  EXPECT_EQ(IntPower(-3, 3), -27);
  EXPECT_EQ(IntPower(5, 0), 1);
  EXPECT_EQ(Power(-8, 3), -512);
  EXPECT_EQ(Power(0, 0), 1);
  EXPECT_NEAR(static_cast<double>(Power(2, 0.5)), std::sqrt(2.0), 1e-15);
  EXPECT_TRUE(std::isnan(Power(-8, 1.0 / 3)));

  EXPECT_EQ(Max(3, 7), 7);
  EXPECT_EQ(Min(-1, -5), -5);
  EXPECT_EQ(Max(2, 2.5), 2.5);
  EXPECT_EQ(Min(Int64{1} << 40, 3), 3);
  EXPECT_TRUE(InRange(5, 1, 10));
  EXPECT_TRUE(InRange(1.5, 1, 2));
  EXPECT_FALSE(InRange(11, 1, 10));
  EXPECT_EQ(EnsureRange(15, 0, 10), 10);
  EXPECT_EQ(EnsureRange(-3, 0, 10), 0);
  EXPECT_EQ(EnsureRange(0.5, 0, 1), 0.5);
  EXPECT_EQ(Sign(-2.5), -1);
  EXPECT_EQ(Sign(0), 0);
  EXPECT_EQ(Sign(Int64{7}), 1);
}

TEST(RtlMath, SameValueAndIsZeroUseTheTypesResolution) {
  EXPECT_TRUE(SameValue(1.0, 1.0 + 1e-13));
  EXPECT_FALSE(SameValue(1.0, 1.0 + 1e-11));
  EXPECT_TRUE(SameValue(1e6, 1e6 + 1e-7));  // scaled by the smaller magnitude
  EXPECT_FALSE(SameValue(1e6, 1e6 + 1e-5));
  EXPECT_TRUE(SameValue(0.0, 1e-13));
  EXPECT_TRUE(SameValue(1.0, 1.05, 0.1));
  EXPECT_FALSE(SameValue(1.0, 1.2, 0.1));
  EXPECT_TRUE(SameValue(1.0L, 1.0L + 1e-17L));
  EXPECT_FALSE(SameValue(1.0L, 1.0L + 1e-15L));
  EXPECT_TRUE(SameValue(1.0f, 1.00001f));
  EXPECT_FALSE(SameValue(1.0f, 1.001f));
  EXPECT_TRUE(IsZero(1e-13));
  EXPECT_FALSE(IsZero(1e-11));
  EXPECT_TRUE(IsZero(0.001, 0.01));
  EXPECT_TRUE(IsZero(1e-5f));
  EXPECT_TRUE(IsNan(std::nan("")));
  EXPECT_TRUE(IsInfinite(-std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(IsInfinite(1e300));
}

TEST(RtlMath, MulDivRoundsToNearestWithA64BitProduct) {
  const std::vector<std::tuple<Integer, Integer, Integer, Integer>> cases = {
      {10, 20, 3, 67},
      {100, 96, 72, 133},
      {1, 1, 2, 1},
      {-1, 1, 2, -1},
      {1, -1, 2, -1},
      {-1, -1, 2, 1},
      {3, 1, -2, -2},
      {1, 1, 3, 0},
      {2, 1, 3, 1},
      {5, 5, 0, -1},
      {0, 7, 0, -1},
      {INT_MAX, 2, 2, INT_MAX},
      {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
      {INT_MAX, INT_MAX, 1, -1},
      {INT_MIN, 1, 1, -1},
      {-96, 120, 96, -120},
  };
  for (const auto& [a, b, c, expected] : cases)
    EXPECT_EQ(MulDiv(a, b, c), expected) << a << " * " << b << " / " << c;
}

TEST(RtlMath, DivAndModTruncateTowardZero) {
  EXPECT_EQ(Div(-7, 2), -3);
  EXPECT_EQ(Mod(-7, 2), -1);
  EXPECT_EQ(Div(7, -2), -3);
  EXPECT_EQ(Mod(7, -2), 1);
  EXPECT_EQ(Mod(INT64_MIN, -1), 0);
  Integer q, r;
  DivMod(-17, 5, q, r);
  EXPECT_EQ(q, -3);
  EXPECT_EQ(r, -2);
  EXPECT_THROW(Div(1, 0), EDivByZero);
  EXPECT_THROW(Mod(1, 0), EDivByZero);
  EXPECT_THROW(Div(INT64_MIN, -1), EIntOverflow);
}

TEST(RtlMath, RandomStaysInItsRangesAndRepeatsFromASeed) {
  RandSeed(42);
  std::vector<Integer> first;
  for (int i = 0; i < 200; ++i) {
    const Extended x = Random();
    EXPECT_GE(x, 0);
    EXPECT_LT(x, 1);
    const Integer r = RandomRange(5, 1);
    EXPECT_GE(r, 1);
    EXPECT_LT(r, 5);
    const Integer n = Random(10);
    EXPECT_GE(n, 0);
    EXPECT_LT(n, 10);
    first.push_back(n);
  }
  EXPECT_EQ(RandomRange(3, 3), 3);
  EXPECT_EQ(Random(0), 0);
  EXPECT_GE(RandomRange(INT_MIN, INT_MAX), INT_MIN);
  RandSeed(42);
  for (int i = 0; i < 200; ++i) {
    Random();
    RandomRange(5, 1);
    EXPECT_EQ(Random(10), first[i]);
  }
}
