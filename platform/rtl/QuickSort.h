// The one quicksort of the lists that keep the class library's order (lists, string lists, bookmark
// lists, in-memory indexes and views): not stable, so equal items end where this partitioning puts them.
#pragma once

// Sorts the positions l..r. compare(i, j) orders the items at two positions (< 0, 0, > 0) and
// exchange(i, j) swaps them; the pivot is followed through the exchanges, so an item is never
// compared with itself and a comparison that is not reflexive cannot run past the range.
template <class Index, class Compare, class Exchange>
void QuickSortRange(Index l, Index r, Compare&& compare, Exchange&& exchange) {
  while (l < r) {
    Index i = l;
    Index j = r;
    Index p = (l + r) / 2;
    while (i <= j) {
      while (i != p && compare(i, p) < 0) ++i;
      while (j != p && compare(j, p) > 0) --j;
      if (i > j) break;
      if (i != j) {
        exchange(i, j);
        if (p == i)
          p = j;
        else if (p == j)
          p = i;
      }
      ++i;
      --j;
    }
    if (l < j) QuickSortRange(l, j, compare, exchange);
    l = i;
  }
}
