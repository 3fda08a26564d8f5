// Variant arrays: bounds, elements by value (nested arrays included), redim, typed and byte arrays.
#include <gtest/gtest.h>

#include "tests/platform/rtl/VariantTestSupport.h"

namespace {

const char* const kBadIndex = "Variant or safe array index out of bounds";

TEST(VariantArray, CreateGivesBoundsAndZeroElements) {
  const Variant a = VarArrayCreate({1, 3}, varVariant);
  EXPECT_EQ(VarType(a), varArray | varVariant);
  EXPECT_EQ(VarArrayDimCount(a), 1);
  EXPECT_EQ(VarArrayLowBound(a, 1), 1);
  EXPECT_EQ(VarArrayHighBound(a, 1), 3);
  for (int i = 1; i <= 3; ++i) EXPECT_TRUE(VarIsEmpty(a[i]));

  const Variant ints = VarArrayCreate({-2, 0}, varInteger);
  EXPECT_EQ(KindAndText(ints[-2]), "Integer 0");
  EXPECT_EQ(KindAndText(VarArrayCreate({0, 0}, varUString)[0]), "UnicodeString ");

  const Variant none = VarArrayCreate({0, -1}, varVariant);
  EXPECT_EQ(VarArrayHighBound(none, 1), -1);
  EXPECT_THROW(none[0], EVariantBadIndexError);

  const Variant list = VarArrayOf({1, u"два", 3.5});
  EXPECT_EQ(VarArrayLowBound(list, 1), 0);
  EXPECT_EQ(VarArrayHighBound(list, 1), 2);
  EXPECT_EQ(KindAndText(list[1]), "UnicodeString два");
  EXPECT_EQ(VarArrayHighBound(VarArrayOf(std::vector<Variant>{1, 2, 3, 4}), 1), 3);
}

TEST(VariantArray, BadBoundsAndIndexesRaise) {
  EXPECT_EQ(MessageOf<EVariantArrayCreateError>([] {
              VarArrayCreate({3, 1}, varVariant);
            }),
            "Error creating variant or safe array");
  EXPECT_THROW(VarArrayCreate({0}, varVariant), EVariantArrayCreateError);
  EXPECT_THROW(VarArrayCreate({0, 1, 0, 1}, varVariant), EVariantArrayCreateError);  // one dimension only
  EXPECT_THROW(VarArrayCreate({0, 1}, varNull), EVariantArrayCreateError);
  EXPECT_THROW(VarArrayCreate({0, 1}, varArray | varVariant), EVariantArrayCreateError);

  Variant a = VarArrayCreate({1, 3}, varVariant);
  EXPECT_EQ(MessageOf<EVariantBadIndexError>([&] { a.GetElement(0); }), kBadIndex);
  EXPECT_EQ(MessageOf<EVariantBadIndexError>([&] { a.GetElement(4); }), kBadIndex);
  EXPECT_EQ(MessageOf<EVariantBadIndexError>([&] { a.PutElement(4, 1); }), kBadIndex);
  EXPECT_THROW(VarArrayGet(a, -2147483647 - 1), EVariantBadIndexError);
  EXPECT_THROW(VarArrayLowBound(a, 2), EVariantBadIndexError);
  EXPECT_THROW(VarArrayHighBound(a, 0), EVariantBadIndexError);

  Variant scalar = 5;
  EXPECT_EQ(VarArrayDimCount(scalar), 0);
  EXPECT_EQ(MessageOf<EVariantNotAnArrayError>([&] { scalar.GetElement(0); }), "Variant is not an array");
  EXPECT_THROW(scalar.PutElement(0, 1), EVariantNotAnArrayError);
  EXPECT_THROW(VarArrayLowBound(scalar, 1), EVariantNotAnArrayError);
  EXPECT_THROW(VarArrayRedim(scalar, 3), EVariantNotAnArrayError);
}

TEST(VariantArray, ElementsAreValuesNeverShared) {
  Variant inner = VarArrayOf({1, 2});
  Variant outer = VarArrayOf({inner, u"x"});

  // Changing the source after it went in changes nothing inside.
  inner.PutElement(0, 99);
  EXPECT_EQ(KindAndText(outer[0][0]), "Integer 1");

  // Nor does changing an element taken out, or a copy of the whole array.
  Variant taken = outer[0];
  taken.PutElement(1, 77);
  Variant copy = outer;
  copy.PutElement(1, u"y");
  VarArrayPut(copy, VarArrayOf({5}), 0);
  EXPECT_EQ(KindAndText(outer[0][1]), "Integer 2");
  EXPECT_EQ(KindAndText(outer[1]), "UnicodeString x");
  EXPECT_EQ(KindAndText(copy[0][0]), "Integer 5");

  // Putting an array into itself stores a snapshot of what it was.
  Variant self = VarArrayOf({1, 2});
  self.PutElement(1, self);
  EXPECT_EQ(KindAndText(self[1][1]), "Integer 2");
  EXPECT_EQ(VarType(self[1]), varArray | varVariant);

  // A moved array arrives whole.
  Variant moved = std::move(copy);
  EXPECT_EQ(KindAndText(moved[1]), "UnicodeString y");
}

TEST(VariantArray, TypedElementsConvertOnTheWayIn) {
  Variant a = VarArrayCreate({0, 2}, varInteger);
  a.PutElement(0, u"5");
  a.PutElement(1, 2.5);
  EXPECT_EQ(KindAndText(a[0]), "Integer 5");
  EXPECT_EQ(KindAndText(a[1]), "Integer 2");
  EXPECT_THROW(a.PutElement(2, u"x"), EVariantTypeCastError);
  EXPECT_EQ(KindAndText(a[2]), "Integer 0");  // a failed put leaves the element as it was
  EXPECT_THROW(a.PutElement(2, Null()), EVariantTypeCastError);

  Variant any = VarArrayCreate({0, 1}, varVariant);
  any.PutElement(0, Null());
  EXPECT_TRUE(VarIsNull(any[0]));
}

TEST(VariantArray, RedimKeepsElementsUpToTheNewBound) {
  Variant a = VarArrayOf({1, 2, 3});
  VarArrayRedim(a, 4);
  EXPECT_EQ(VarArrayHighBound(a, 1), 4);
  EXPECT_EQ(KindAndText(a[2]), "Integer 3");
  EXPECT_TRUE(VarIsEmpty(a[4]));

  // Shrinking drops elements for good; growing again does not bring them back.
  VarArrayRedim(a, 0);
  VarArrayRedim(a, 2);
  EXPECT_EQ(KindAndText(a[0]), "Integer 1");
  EXPECT_TRUE(VarIsEmpty(a[1]));

  Variant ints = VarArrayCreate({1, 1}, varInteger);
  VarArrayRedim(ints, 3);
  EXPECT_EQ(KindAndText(ints[3]), "Integer 0");
  VarArrayRedim(ints, 0);  // low - 1: no elements
  EXPECT_EQ(VarArrayHighBound(ints, 1), 0);
  EXPECT_THROW(VarArrayRedim(ints, -1), EVariantArrayCreateError);
}

TEST(VariantArray, ByteArraysHoldBlobs) {
  const TBytes blob = {0, 1, 0x7F, 0x80, 0xFF};
  Variant a = VarArrayOfBytes(blob);
  EXPECT_EQ(VarType(a), varArray | varByte);
  EXPECT_EQ(VarToBytes(a), blob);
  EXPECT_EQ(a.GetBytes(), blob);
  EXPECT_EQ(KindAndText(a[4]), "Byte 255");

  a.PutElement(0, 65);
  EXPECT_EQ(a.GetBytes()[0], 65);
  EXPECT_THROW(a.PutElement(0, 256), EVariantOverflowError);
  EXPECT_EQ(a.GetBytes()[0], 65);

  Variant created = VarArrayCreate({1, 2}, varByte);
  created.PutElement(2, u"7");
  EXPECT_EQ(VarToBytes(created), (TBytes{0, 7}));

  EXPECT_EQ(VarToBytes(VarArrayOf({1, u"2", 3.0})), (TBytes{1, 2, 3}));
  EXPECT_THROW(VarToBytes(VarArrayOf({300})), EVariantOverflowError);
  EXPECT_EQ(VarToBytes(StringToAnsi(u"Яa")), (TBytes{0xDF, 'a'}));
  EXPECT_TRUE(VarToBytes(Null()).empty());
  EXPECT_TRUE(VarToBytes(Variant()).empty());
  EXPECT_THROW(VarToBytes(u"abc"), EVariantTypeCastError);
  EXPECT_THROW(VarArrayOf({1}).GetBytes(), EVariantTypeCastError);

  // A copy of a blob is a separate blob.
  Variant copy = a;
  copy.PutElement(1, 9);
  EXPECT_EQ(a.GetBytes()[1], 1);
}

TEST(VariantArray, ArraysConvertOnlyToTheirOwnKind) {
  const Variant a = VarArrayOf({1, 2});
  EXPECT_EQ(VarType(VarAsType(a, varArray | varVariant)), varArray | varVariant);
  EXPECT_EQ(VarType(VarAsType(a, varVariant)), varArray | varVariant);
  EXPECT_THROW(VarAsType(a, varArray | varInteger), EVariantTypeCastError);
  EXPECT_THROW(VarToStr(a), EVariantTypeCastError);
  EXPECT_THROW(a.AsInteger(), EVariantTypeCastError);
}

}  // namespace
