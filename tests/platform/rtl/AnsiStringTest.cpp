// windows-1251 text: every assigned byte both ways, the unassigned byte, unmappable characters and the
// AnsiString value.
#include <gtest/gtest.h>

#include "platform/rtl/AnsiString.h"
#include "platform/rtl/Exception.h"

namespace {

// The characters of bytes 0x80..0xFF; 0x98 has none (shown as U+0000 here).
const String kUpperHalf = String(
                              u"ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏ"
                              u"ђ‘’“”•–—") +
                          Char(0) +
                          u"™љ›њќћџ"
                          u"\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї"
                          u"°±Ііґµ¶·ё№є»јЅѕї"
                          u"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
                          u"абвгдежзийклмнопрстуфхцчшщъыьэюя";

}  // namespace

TEST(AnsiString, EveryAssignedByteRoundTrips) {
  ASSERT_EQ(kUpperHalf.size(), 128u);
  for (int b = 0; b < 256; ++b) {
    if (b == 0x98) continue;
    const std::string byte(1, static_cast<char>(b));
    const Char expected = b < 0x80 ? static_cast<Char>(b) : kUpperHalf[b - 0x80];
    const String decoded = Cp1251ToString(byte);
    ASSERT_EQ(decoded.size(), 1u) << "byte " << b;
    EXPECT_EQ(decoded[0], expected) << "byte 0x" << std::hex << b;
    EXPECT_EQ(StringToCp1251(decoded), byte) << "byte 0x" << std::hex << b;
  }
}

TEST(AnsiString, UnassignedByteIsAnErrorOrAReplacement) {
  const std::string bytes = "\xCF\xF0\xE8\x98\xE2\xE5\xF2";  // "При" 0x98 "вет"
  EXPECT_FALSE(IsValidCp1251(bytes));
  EXPECT_TRUE(IsValidCp1251("\xCF\xF0\xE8"));
  try {
    Cp1251ToString(bytes);
    FAIL() << "no exception";
  } catch (const EEncodingError& e) {
    EXPECT_EQ(e.Message(), u"Invalid windows-1251 byte 0x98 at offset 3");
  }
  EXPECT_THROW(AnsiToString(AnsiString::FromBytes(bytes)), EEncodingError);
  EXPECT_THROW(AnsiToUtf8(AnsiString::FromBytes(bytes)), EEncodingError);
  EXPECT_EQ(Cp1251ToStringLenient(bytes), u"При\uFFFDвет");
}

TEST(AnsiString, UnmappableCharactersBecomeOneQuestionMarkEach) {
  struct Case {
    String text;
    std::string bytes;
  } cases[] = {
      {u"Счёт № 5 — €10",
       "\xD1\xF7\xB8\xF2 \xB9 5 \x97 \x88"
       "10"},
      {u"日本", "??"},
      {u"a\U0001F600b", "a?b"},             // a surrogate pair is one character
      {String(u"x") + Char(0xD800), "x?"},  // a lone surrogate too
      {u"Ωß", "??"},
      {u"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StringToCp1251(c.text), c.bytes);
    EXPECT_EQ(StringToAnsi(c.text).Bytes(), c.bytes);
  }
}

TEST(AnsiString, Utf8ConversionsGoThroughTheCodePage) {
  EXPECT_EQ(Utf8ToAnsi("Ёлка 1,5 ₽").Bytes(), "\xA8\xEB\xEA\xE0 1,5 ?");
  EXPECT_EQ(AnsiToUtf8(AnsiString::FromBytes("\xA8\xEB\xEA\xE0")), "Ёлка");
  EXPECT_EQ(Utf8ToAnsi("bad \xFF byte").Bytes(), "bad ? byte");
}

TEST(AnsiString, BehavesAsAValue) {
  const AnsiString hello(u"Привет");
  EXPECT_EQ(hello.size(), 6u);
  EXPECT_EQ(hello.Length(), 6);
  EXPECT_EQ(hello[0], '\xCF');
  EXPECT_STREQ(hello.c_str(), "\xCF\xF0\xE8\xE2\xE5\xF2");
  EXPECT_EQ(AnsiToString(hello), u"Привет");

  AnsiString joined = hello + AnsiString(u", мир");
  EXPECT_EQ(AnsiToString(joined), u"Привет, мир");
  joined[0] = '\xEF';
  EXPECT_EQ(AnsiToString(joined), u"привет, мир");
  EXPECT_EQ(AnsiToString(hello), u"Привет") << "copies do not share bytes";

  EXPECT_EQ(AnsiString(u"abc"), AnsiString::FromBytes("abc"));
  EXPECT_NE(AnsiString(u"abc"), AnsiString(u"abd"));
  EXPECT_LT(AnsiString(u"abc"), AnsiString(u"abd"));
  EXPECT_TRUE(AnsiString().IsEmpty());
  EXPECT_EQ(AnsiString::FromBytes(std::string("a\0b", 3)).size(), 3u);
}
