// The row store: values read back as they were packed, text readable in place as UTF-16.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/ado/RowStore.h"

namespace {

bool IsAligned(std::u16string_view text) {
  return reinterpret_cast<std::uintptr_t>(text.data()) % alignof(char16_t) == 0;
}

// Odd-length decimals and bytes before a text must not leave the text at an odd address.
TEST(RowStoreTest, TextAfterOddLengthDataStartsAlignedAndReadsBack) {
  TRowStore store;
  store.Reset(
      {TStoreKind::Decimal, TStoreKind::Text, TStoreKind::Bytes, TStoreKind::Text, TStoreKind::Integer});
  TRowBuilder b(store);
  std::vector<TStoreRow> rows;
  const Byte bytes[] = {1, 2, 3};
  for (const char* decimal : {"1", "-12.5", "0.125"}) {
    b.Clear();
    b.SetDecimal(0, decimal);
    b.SetText(1, u"Счёт");
    b.SetBytes(2, bytes, 3);
    b.SetText(3, u"итог");
    b.SetInteger(4, -7);
    rows.push_back(store.Add(b));
  }
  for (TStoreRow row : rows) {
    ASSERT_TRUE(IsAligned(store.GetText(row, 1)));
    ASSERT_TRUE(IsAligned(store.GetText(row, 3)));
    EXPECT_EQ(store.GetText(row, 1), u"Счёт");
    EXPECT_EQ(store.GetBytes(row, 2), std::string_view("\1\2\3", 3));
    EXPECT_EQ(store.GetText(row, 3), u"итог");
    EXPECT_EQ(store.GetInteger(row, 4), -7);
  }
  EXPECT_EQ(store.GetDecimal(rows[0], 0), "1");
  EXPECT_EQ(store.GetDecimal(rows[1], 0), "-12.5");

  // A row copied through the builder keeps its values.
  b.Load(rows[0]);
  TStoreRow copy = store.Add(b);
  EXPECT_TRUE(IsAligned(store.GetText(copy, 3)));
  EXPECT_EQ(store.GetText(copy, 3), u"итог");
  EXPECT_EQ(store.GetDecimal(copy, 0), "1");
}

}  // namespace
