// The lists' one quicksort: it sorts, keeps every item, puts equal items in the class library's order
// and stays inside its range whatever the comparison says.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/QuickSort.h"

namespace {

int Order(int a, int b) { return a < b ? -1 : a > b ? 1 : 0; }

}  // namespace

TEST(QuickSort, SortsEveryRangeAndKeepsItsItems) {
  std::mt19937 random(7);
  for (int size = 0; size < 200; ++size) {
    std::vector<std::pair<int, int>> items;  // key, original place
    for (int i = 0; i < size; ++i) items.emplace_back(static_cast<int>(random() % (size / 3 + 1)), i);
    auto sorted = items;
    QuickSortRange(
        0, size - 1, [&](int a, int b) { return Order(sorted[a].first, sorted[b].first); },
        [&](int a, int b) { std::swap(sorted[a], sorted[b]); });
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
      return a.first < b.first;
    })) << size;
    EXPECT_TRUE(std::is_permutation(sorted.begin(), sorted.end(), items.begin(), items.end())) << size;
  }
}

TEST(QuickSort, EqualItemsEndWhereTheClassLibraryPutsThem) {
  // Letters compare without case; the case shows which of two equal items came first.
  std::string letters = "DbCaBdAc";
  QuickSortRange(
      0, static_cast<int>(letters.size()) - 1,
      [&](int a, int b) { return Order(std::tolower(letters[a]), std::tolower(letters[b])); },
      [&](int a, int b) { std::swap(letters[a], letters[b]); });
  EXPECT_EQ(letters, "aABbcCDd");
}

TEST(QuickSort, AComparisonThatNeverSaysEqualStaysInTheRange) {
  std::vector<int> items(50, 1);
  int outside = 0;
  auto at = [&](int i) -> int& {
    if (i < 0 || i >= static_cast<int>(items.size())) ++outside;
    return items[static_cast<size_t>(std::clamp(i, 0, 49))];
  };
  QuickSortRange(
      0, 49, [&](int a, int b) { return at(a) <= at(b) ? -1 : 1; },
      [&](int a, int b) { std::swap(at(a), at(b)); });
  EXPECT_EQ(outside, 0);
}
