// The recordset's own Sort and Filter over the row store: "a ASC, b DESC" sort texts and the recordset
// filter language (field op value, LIKE with % and *, AND/OR with parentheses), both evaluated on the
// stored values, with text compared and ordered by the Russian collation.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/ado/RowStore.h"
#include "platform/rtl/Types.h"

// Finds a column by name (case-insensitive); -1 when there is none.
using TColumnFinder = std::function<int(const String& name)>;

struct TSortKey {
  int Column = 0;
  bool Descending = false;
};

// "a", "a ASC, b DESC", "[my field] desc". Raises EDatabaseError for an unknown field or a bad
// direction word.
std::vector<TSortKey> ParseSortText(const String& text, const TColumnFinder& columnOf);

// Orders row ids (indexes into rows) stably by the keys: numbers by value, text by the Russian
// collation with lower case first on ties (as the server's ru-RU collation), nulls after all values in
// ascending order (and first in descending), as the server's ORDER BY does.
void SortRowIds(std::vector<int>& ids, const std::vector<TStoreRow>& rows, const TRowStore& store,
                const std::vector<TSortKey>& keys);

// A parsed recordset filter. Text compares as the server's collation, exactly unless caseInsensitive;
// with partialCompare, "= 'abc*'" takes every text starting with "abc" (the dataset framework's
// rule). A comparison with a null value is false except "= NULL" / "<> NULL" (and IS [NOT] NULL),
// which test for null.
class TRecordsetFilter {
 public:
  // Raises EDatabaseError "Incorrectly formed filter expression: ..." for text that does not parse,
  // "Field '%s' not found" for an unknown field, and a conversion error for a value that does not fit
  // its field's type.
  TRecordsetFilter(const String& text, const TRowStore& store, const TColumnFinder& columnOf,
                   bool caseInsensitive = false, bool partialCompare = true);
  ~TRecordsetFilter();

  bool Matches(TStoreRow row) const;

  struct Node;

 private:
  const TRowStore& store_;
  std::unique_ptr<Node> root_;
  bool caseInsensitive_;
  bool partialCompare_;
};

// Compares text as the server's ICU "ru-RU" collation does (Cyrillic before Latin, е and ё apart only
// after the letters, lower case before upper); ties are broken by code points, as the server does for
// its deterministic collations. ignoreCase compares letters only (accents still count).
int CompareServerText(std::u16string_view a, std::u16string_view b, bool ignoreCase);
// Bytes that order as CompareServerText(..., false) does, compared with memcmp.
std::string ServerSortKey(std::u16string_view text);

// True when text matches the pattern, where '%' and '*' stand for any run of characters and [c] for c
// itself; case is ignored when ignoreCase.
bool MatchLikePattern(std::u16string_view text, std::u16string_view pattern, bool ignoreCase);
