// The scope guard and TryFinally: which clean-ups run, and which exception the caller sees.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/rtl/ScopeGuard.h"

TEST(ScopeGuard, RunsOnEveryWayOutUnlessReleased) {
  int runs = 0;
  {
    auto guard = MakeScopeExit([&] { ++runs; });
  }
  EXPECT_EQ(runs, 1);
  try {
    auto guard = MakeScopeExit([&] { ++runs; });
    throw std::runtime_error("body");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(runs, 2);
  {
    auto guard = MakeScopeExit([&] { ++runs; });
    guard.Release();
  }
  EXPECT_EQ(runs, 2);
}

TEST(ScopeGuard, TryFinallyReportsTheFirstFailure) {
  struct Case {
    bool bodyThrows, cleanUpThrows;
    const char* expected;  // what reaches the caller, "" for nothing
  };
  const Case cases[] = {
      {false, false, ""}, {true, false, "body"}, {false, true, "clean-up"}, {true, true, "body"}};
  for (const Case& c : cases) {
    int cleanUps = 0;
    std::string seen;
    try {
      TryFinally(
          [&] {
            if (c.bodyThrows) throw std::runtime_error("body");
          },
          [&] {
            ++cleanUps;
            if (c.cleanUpThrows) throw std::runtime_error("clean-up");
          });
    } catch (const std::runtime_error& e) {
      seen = e.what();
    }
    EXPECT_EQ(cleanUps, 1) << c.bodyThrows << c.cleanUpThrows;
    EXPECT_EQ(seen, c.expected) << c.bodyThrows << c.cleanUpThrows;
  }
}

TEST(ScopeGuard, TryFinallyPassesTheBodysValueOn) {
  int cleanUps = 0;
  EXPECT_EQ(TryFinally([] { return 42; }, [&] { ++cleanUps; }), 42);
  EXPECT_EQ(cleanUps, 1);
}
