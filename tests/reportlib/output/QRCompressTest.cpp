// The splay-tree compressor: its exact bit layout from the initial tree, and round trips of random
// and real data from empty to several megabytes.
#include <gtest/gtest.h>

#include "reportlib/output/QRCompress.h"
#include "reportlib/output/QRError.h"
#include "tests/reportlib/output/OutputTestSupport.h"

namespace {

TBytes Code(const TBytes& plain) {
  TBytesStream out;
  TQRCompress coder(&out, true);
  for (Byte b : plain) coder.Compress(b);
  coder.Finish();
  return TBytes(out.GetBytes().begin(), out.GetBytes().begin() + out.GetSize());
}

TBytes Decode(const TBytes& coded, size_t count) {
  TBytesStream in(coded);
  TQRCompress decoder(&in, false);
  TBytes plain(count);
  for (Byte& b : plain) decoder.Expand(b);
  EXPECT_EQ(in.GetPosition(), in.GetSize()) << "the decoder reads exactly what the coder wrote";
  return plain;
}

TEST(QRCompressTest, CodesFromTheFixedInitialTree) {
  struct Case {
    TBytes plain;
    TBytes coded;
  };
  const Case cases[] = {
      {{0x00}, {0x80}},        // seven left turns, then right
      {{0xFF}, {0x00, 0x00}},  // nine left turns: one byte at once, one at Finish
      {{0x61, 0x62, 0x63}, {0x46, 0x3D, 0x01}},
      {{}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Code(c.plain), c.coded);
    EXPECT_EQ(Decode(c.coded, c.plain.size()), c.plain);
  }
  const TBytes zeros(1000, 0);
  const TBytes coded = Code(zeros);
  EXPECT_EQ(coded.size(), 127u);
  EXPECT_EQ(Decode(coded, 1000), zeros);
}

TEST(QRCompressTest, RoundTripsRandomAndRealDataOfEverySize) {
  for (size_t size : {1u, 2u, 7u, 255u, 4096u, 100000u, 3000000u}) {
    const TBytes random = RandomBytes(size, static_cast<unsigned>(size));
    EXPECT_EQ(Decode(Code(random), size), random) << size;
  }
  // A real page: metafile records compress well and must come back bit for bit.
  TBytesStream page;
  MakePage(7)->SaveToStream(&page);
  const TBytes real(page.GetBytes().begin(), page.GetBytes().begin() + page.GetSize());
  const TBytes coded = Code(real);
  EXPECT_LT(coded.size(), real.size());
  EXPECT_EQ(Decode(coded, real.size()), real);
}

TEST(QRCompressTest, EachRunStartsFromTheInitialTree) {
  const TBytes a = RandomBytes(300, 11), b = RandomBytes(300, 12);
  TBytes both = Code(a);
  const size_t split = both.size();
  const TBytes second = Code(b);
  both.insert(both.end(), second.begin(), second.end());
  TBytesStream in(both);
  TBytes back(300);
  {
    TQRCompress d(&in, false);
    for (Byte& x : back) d.Expand(x);
  }
  EXPECT_EQ(back, a);
  EXPECT_EQ(in.GetPosition(), static_cast<Int64>(split));
  TQRCompress d2(&in, false);
  for (Byte& x : back) d2.Expand(x);
  EXPECT_EQ(back, b);
}

TEST(QRCompressTest, DecodingPastTheEndRaisesInsteadOfInventingBytes) {
  const TBytes coded = Code(RandomBytes(50, 13));
  EXPECT_THROW(Decode(coded, 5000), EReadError);
}

}  // namespace
