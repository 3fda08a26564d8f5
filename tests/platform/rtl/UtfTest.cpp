// UTF-16 <-> UTF-8 conversion, including malformed input.
#include <gtest/gtest.h>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Utf.h"

TEST(Utf, RoundTripsCyrillicAndAstralCharacters) {
  const String text = u"Вход Ёё \U0001F600 ok";
  EXPECT_EQ(Utf8ToString(StringToUtf8(text)), text);
  EXPECT_EQ(StringToUtf8(u"Ж"), "\xD0\x96");
}

TEST(Utf, MalformedInputBecomesReplacementCharacters) {
  struct Case {
    std::string bytes;
    String expected;
  } cases[] = {
      {"a\xFF" "b", u"a\uFFFDb"},
      {"\xD0", u"\uFFFD"},              // truncated sequence
      {"\xC0\xAF", u"\uFFFD"},          // overlong
      {"\xED\xA0\x80", u"\uFFFD"},      // encoded surrogate
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToString(c.bytes), c.expected);
    EXPECT_FALSE(IsValidUtf8(c.bytes));
  }
  EXPECT_EQ(StringToUtf8(String(1, Char(0xD800))), "\xEF\xBF\xBD");
}

TEST(Utf, ExceptionCarriesItsMessageInBothForms) {
  try {
    throw EConvertError(u"'абв' is not a valid integer value");
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"'абв' is not a valid integer value");
    EXPECT_STREQ(e.what(), "'абв' is not a valid integer value");
  }
}
