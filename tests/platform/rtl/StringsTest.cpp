// The string routines: 1-based editing at the edges, trimming, replacing, Russian case and collation,
// integers and booleans as text, quoting, line breaks and file names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {

std::string Show(const String& s) { return StringToUtf8(s); }

}  // namespace

TEST(Strings, CopyPosDeleteInsertAtTheEdges) {
  const String s = u"Привет";
  struct CopyCase {
    int index, count;
    String expected;
  } copies[] = {
      {1, 3, u"При"}, {4, 100, u"вет"}, {6, 1, u"т"}, {7, 1, u""},  {100, 5, u""},
      {0, 2, u"Пр"},  {-5, 2, u"Пр"},   {2, 0, u""},  {2, -1, u""}, {1, 0x7FFFFFFF, s},
  };
  for (const auto& c : copies) EXPECT_EQ(Copy(s, c.index, c.count), c.expected) << c.index << "," << c.count;

  EXPECT_EQ(Pos(u"ив", s), 3);
  EXPECT_EQ(Pos(u"x", s), 0);
  EXPECT_EQ(Pos(u"", s), 0);
  EXPECT_EQ(PosEx(u"a", u"abca", 2), 4);
  EXPECT_EQ(PosEx(u"a", u"abca", 5), 0);
  EXPECT_EQ(PosEx(u"a", u"abca", 0), 0);

  struct EditCase {
    int index, count;
    String expected;
  } deletes[] = {
      {1, 1, u"bcde"},  {5, 10, u"abcd"}, {6, 1, u"abcde"},
      {0, 2, u"abcde"}, {2, 0, u"abcde"}, {2, -3, u"abcde"},
  };
  for (const auto& c : deletes) {
    String t = u"abcde";
    Delete(t, c.index, c.count);
    EXPECT_EQ(t, c.expected) << c.index << "," << c.count;
  }

  struct InsertCase {
    int index;
    String expected;
  } inserts[] = {{1, u"XYabc"}, {2, u"aXYbc"}, {4, u"abcXY"}, {99, u"abcXY"}, {0, u"XYabc"}, {-4, u"XYabc"}};
  for (const auto& c : inserts) {
    String t = u"abc";
    Insert(u"XY", t, c.index);
    EXPECT_EQ(t, c.expected) << c.index;
  }

  String grown = u"ab";
  SetLength(grown, 4);
  EXPECT_EQ(grown, String(u"ab\0\0", 4));
  SetLength(grown, -1);
  EXPECT_EQ(grown, u"");
}

TEST(Strings, TrimTreatsEveryControlCharacterAsBlank) {
  const String s = String(u"\0\t\r\n ", 5) + u"Вход \u00A0" + u"\x1F ";
  EXPECT_EQ(Trim(s), u"Вход \u00A0");  // NBSP is above ' ', so it stays
  EXPECT_EQ(TrimLeft(u"  a b  "), u"a b  ");
  EXPECT_EQ(TrimRight(u"  a b  "), u"  a b");
  EXPECT_EQ(Trim(u" \t "), u"");
  EXPECT_EQ(Trim(u""), u"");
}

TEST(Strings, StringReplaceHonoursItsFlags) {
  struct Case {
    String s, from, to;
    TReplaceFlags flags;
    String expected;
  } cases[] = {
      {u"a-b-c", u"-", u"+", {}, u"a+b-c"},
      {u"a-b-c", u"-", u"+", {rfReplaceAll}, u"a+b+c"},
      {u"Кот и КОТ", u"кот", u"пёс", {rfReplaceAll}, u"Кот и КОТ"},
      {u"Кот и КОТ", u"кот", u"пёс", {rfReplaceAll, rfIgnoreCase}, u"пёс и пёс"},
      {u"Кот и КОТ", u"кот", u"пёс", {rfIgnoreCase}, u"пёс и КОТ"},
      {u"ЁЛКА ёлка", u"ёлка", u"ель", TReplaceFlags() << rfReplaceAll << rfIgnoreCase, u"ель ель"},
      {u"aaa", u"aa", u"b", {rfReplaceAll}, u"ba"},      // no overlapping matches
      {u"aaa", u"a", u"aa", {rfReplaceAll}, u"aaaaaa"},  // replacement is not searched again
      {u"abc", u"", u"x", {rfReplaceAll}, u"abc"},
      {u"abc", u"b", u"", {rfReplaceAll}, u"ac"},
      {u"", u"a", u"b", {rfReplaceAll}, u""},
  };
  for (const auto& c : cases) EXPECT_EQ(StringReplace(c.s, c.from, c.to, c.flags), c.expected) << Show(c.s);
}

TEST(Strings, CaseMappingIsAsciiOnlyOrFullUnicode) {
  struct Case {
    String s, upper, lower;
  } ansi[] = {
      {u"Ёлка ёЖ", u"ЁЛКА ЁЖ", u"ёлка ёж"},
      {u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя", u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ",
       u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя"},
      // Simple mapping keeps the length: ß has no one-character capital and stays.
      {u"Straße Éclair ї ґ", u"STRAßE ÉCLAIR Ї Ґ", u"straße éclair ї ґ"},
      {u"123 №%-", u"123 №%-", u"123 №%-"},
  };
  for (const auto& c : ansi) {
    EXPECT_EQ(AnsiUpperCase(c.s), c.upper) << Show(c.s);
    EXPECT_EQ(AnsiLowerCase(c.s), c.lower) << Show(c.s);
  }
  EXPECT_EQ(UpperCase(u"abc ёлка Éé"), u"ABC ёлка Éé");
  EXPECT_EQ(LowerCase(u"ABC ЁЛКА Éé"), u"abc ЁЛКА Éé");
  EXPECT_EQ(AnsiUpperChar(u'ё'), u'Ё');
  EXPECT_EQ(AnsiLowerChar(u'Я'), u'я');
  // An astral letter keeps its pair intact.
  EXPECT_EQ(AnsiUpperCase(u"\U00010428"), u"\U00010400");
}

TEST(Strings, OrdinalComparisonsFoldOnlyAsciiCase) {
  EXPECT_LT(CompareStr(u"abc", u"abd"), 0);
  EXPECT_GT(CompareStr(u"abc", u"ab"), 0);
  EXPECT_LT(CompareStr(u"B", u"a"), 0);  // ordinal: capitals first
  EXPECT_EQ(CompareText(u"HeLLo", u"hello"), 0);
  EXPECT_LT(CompareText(u"apple", u"BANANA"), 0);
  EXPECT_TRUE(SameText(u"Total", u"TOTAL"));
  EXPECT_FALSE(SameText(u"ёлка", u"ЁЛКА"));
  EXPECT_FALSE(SameStr(u"a", u"A"));
  EXPECT_TRUE(AnsiSameText(u"ёлка", u"ЁЛКА"));
  EXPECT_FALSE(AnsiSameStr(u"ёлка", u"ЁЛКА"));
}

TEST(Strings, RussianCollationOrdersTheAlphabetWithYoAfterYe) {
  const String alphabet = u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя";
  for (size_t i = 0; i + 1 < alphabet.size(); ++i) {
    const String a(1, alphabet[i]);
    const String b(1, alphabet[i + 1]);
    EXPECT_LT(AnsiCompareStr(a, b), 0) << Show(a) << " < " << Show(b);
    EXPECT_GT(AnsiCompareStr(b, a), 0) << Show(b) << " > " << Show(a);
    EXPECT_LT(AnsiCompareText(AnsiUpperCase(a), b), 0) << Show(a) << " < " << Show(b);
  }

  // A shuffled list sorts to the one expected order.
  const std::vector<String> expected = {
      u"",  u" ", u"-",   u"1",   u"10",    u"2",  u"a",  u"A",    u"apple", u"Apple", u"b",      u"z",
      u"а", u"А", u"ель", u"Ель", u"ехать", u"ёж", u"Ёж", u"ёлка", u"ЁЛКА",  u"жук",   u"Яблоко",
  };
  std::vector<String> shuffled = expected;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(20240601));
  std::sort(shuffled.begin(), shuffled.end(),
            [](const String& x, const String& y) { return AnsiCompareStr(x, y) < 0; });
  EXPECT_EQ(shuffled, expected);

  struct Case {
    String a, b;
    int str, text;
  } cases[] = {
      {u"ёлка", u"ЁЛКА", -1, 0},  {u"Ёж", u"ёж", 1, 0}, {u"ель", u"ёж", -1, -1},
      {u"ёж", u"жук", -1, -1},    {u"Ёж", u"еж", 1, 1}, {u"абв", u"абвг", -1, -1},
      {u"z", u"а", -1, -1},       {u"9", u"a", -1, -1}, {u"Ab", u"aC", -1, -1},  // letters before case
      {u"равно", u"равно", 0, 0}, {u"é", u"f", -1, -1}, {u"e", u"é", -1, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AnsiCompareStr(c.a, c.b), c.str) << Show(c.a) << " vs " << Show(c.b);
    EXPECT_EQ(AnsiCompareStr(c.b, c.a), -c.str) << Show(c.b) << " vs " << Show(c.a);
    EXPECT_EQ(AnsiCompareText(c.a, c.b), c.text) << Show(c.a) << " vs " << Show(c.b);
    int byKey = AnsiTextSortKey(c.a).compare(AnsiTextSortKey(c.b));
    EXPECT_EQ(byKey < 0   ? -1
              : byKey > 0 ? 1
                          : 0,
              c.text)
        << "sort key of " << Show(c.a) << " vs " << Show(c.b);
  }
}

TEST(Strings, SubstringTestsAndSlices) {
  EXPECT_TRUE(AnsiStartsText(u"ПРИ", u"Привет"));
  EXPECT_TRUE(AnsiEndsText(u"ВЕТ", u"Привет"));
  EXPECT_TRUE(AnsiContainsText(u"Привет", u"ИВЕ"));
  EXPECT_FALSE(AnsiStartsText(u"Приветствую", u"Привет"));
  EXPECT_TRUE(AnsiStartsText(u"", u"x"));
  EXPECT_TRUE(StartsStr(u"При", u"Привет"));
  EXPECT_FALSE(StartsStr(u"при", u"Привет"));
  EXPECT_TRUE(EndsStr(u"вет", u"Привет"));
  EXPECT_TRUE(ContainsStr(u"Привет", u"иве"));
  EXPECT_EQ(AnsiPos(u"ве", u"Привет"), 4);

  EXPECT_EQ(LeftStr(u"Привет", 3), u"При");
  EXPECT_EQ(LeftStr(u"Привет", -1), u"");
  EXPECT_EQ(RightStr(u"Привет", 3), u"вет");
  EXPECT_EQ(RightStr(u"Привет", 30), u"Привет");
  EXPECT_EQ(RightStr(u"Привет", 0), u"");
  EXPECT_EQ(MidStr(u"Привет", 2, 3), u"рив");
  EXPECT_EQ(StringOfChar(u'—', 3), u"———");
  EXPECT_EQ(StringOfChar(u'x', -2), u"");
  EXPECT_EQ(DupeString(u"ab", 3), u"ababab");
  EXPECT_EQ(DupeString(u"ab", 0), u"");

  EXPECT_EQ(LastDelimiter(u"./", u"/home/u/file.tar.gz"), 17);
  EXPECT_EQ(LastDelimiter(u";", u"abc"), 0);
  EXPECT_TRUE(IsDelimiter(u",;", u"a;b", 2));
  EXPECT_FALSE(IsDelimiter(u",;", u"a;b", 1));
  EXPECT_FALSE(IsDelimiter(u",;", u"a;b", 4));
  EXPECT_TRUE(CharInSet(u'b', {u'a', u'b'}));
  EXPECT_FALSE(CharInSet(u'в', {u'a', u'b'}));
  EXPECT_FALSE(IsLeadByte('\xC0'));
}

TEST(Strings, IntegersAsText) {
  EXPECT_EQ(IntToStr(0), u"0");
  EXPECT_EQ(IntToStr(-2147483647 - 1), u"-2147483648");
  EXPECT_EQ(IntToStr(Int64(INT64_MIN)), u"-9223372036854775808");
  EXPECT_EQ(IntToStr(UInt64(UINT64_MAX)), u"18446744073709551615");
  EXPECT_EQ(IntToStr(4000000000u), u"4000000000");
  EXPECT_EQ(IntToHex(255, 4), u"00FF");
  EXPECT_EQ(IntToHex(-1, 2), u"FFFFFFFF");
  EXPECT_EQ(IntToHex(Int64(-1), 0), u"FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToHex(Int64(0x1234), 2), u"1234");
}

TEST(Strings, StrToIntAcceptsSignsHexAndLeadingBlanksOnly) {
  struct Good {
    String s;
    Int64 value;
  } goods[] = {
      {u"0", 0},
      {u"42", 42},
      {u"-42", -42},
      {u"+42", 42},
      {u"  7", 7},
      {u"007", 7},
      {u"$FF", 255},
      {u"0x1f", 31},
      {u"0XA", 10},
      {u"xA", 10},
      {u"-$10", -16},
      {u"2147483647", 2147483647},
      {u"-2147483648", -2147483648LL},
      {u"$FFFFFFFF", -1},
      {u"$80000000", -2147483648LL},
  };
  for (const auto& g : goods) {
    EXPECT_EQ(StrToInt(g.s), g.value) << Show(g.s);
    Integer v = 0;
    EXPECT_TRUE(TryStrToInt(g.s, v)) << Show(g.s);
  }

  const String bads[] = {u"",    u" ",          u"-",           u"+",          u"$",   u"0x",
                         u"12 ", u"1 2",        u"12a",         u"1.0",        u"1,0", u"--1",
                         u"\t1", u"2147483648", u"-2147483649", u"$100000000", u"٣",   u"１"};
  for (const auto& b : bads) {
    Integer v = 99;
    EXPECT_FALSE(TryStrToInt(b, v)) << Show(b);
    EXPECT_EQ(v, 99) << "untouched on failure: " << Show(b);
    EXPECT_EQ(StrToIntDef(b, -7), -7) << Show(b);
    EXPECT_THROW(StrToInt(b), EConvertError) << Show(b);
  }
  try {
    StrToInt(u"12abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'12abc' is not a valid integer value");
  }

  EXPECT_EQ(StrToInt64(u"9223372036854775807"), INT64_MAX);
  EXPECT_EQ(StrToInt64(u"-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(StrToInt64(u"$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64(u"4294967296"), 4294967296LL);
  EXPECT_THROW(StrToInt64(u"9223372036854775808"), EConvertError);
  EXPECT_THROW(StrToInt64(u"$10000000000000000"), EConvertError);
  EXPECT_EQ(StrToInt64Def(u"x", 5), 5);
  Int64 v64 = 0;
  EXPECT_TRUE(TryStrToInt64(u"-1", v64));
  EXPECT_EQ(v64, -1);
}

TEST(Strings, BooleansAsText) {
  EXPECT_EQ(BoolToStr(true), u"-1");
  EXPECT_EQ(BoolToStr(false), u"0");
  EXPECT_EQ(BoolToStr(true, true), u"True");
  EXPECT_EQ(BoolToStr(false, true), u"False");
  struct Case {
    String s;
    bool value;
  } goods[] = {{u"True", true}, {u"TRUE", true}, {u"false", false},
               {u"-1", true},   {u"0", false},   {u"5", true}};
  for (const auto& c : goods) EXPECT_EQ(StrToBool(c.s), c.value) << Show(c.s);
  EXPECT_THROW(StrToBool(u"yes"), EConvertError);
  EXPECT_TRUE(StrToBoolDef(u"", true));
  try {
    StrToBool(u"да");
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'да' is not a valid boolean value");
  }
}

TEST(Strings, QuotingDoublesTheQuoteAndReadsItBack) {
  EXPECT_EQ(QuotedStr(u"It's"), u"'It''s'");
  EXPECT_EQ(QuotedStr(u""), u"''");
  EXPECT_EQ(AnsiQuotedStr(u"a\"b", u'"'), u"\"a\"\"b\"");

  struct Case {
    String s, expected;
  } dequoted[] = {
      {u"'It''s'", u"It's"}, {u"'abc'", u"abc"}, {u"abc", u"abc"}, {u"'abc", u"'abc"},
      {u"''", u""},          {u"", u""},         {u"'a'b", u"a"},
  };
  for (const auto& c : dequoted) EXPECT_EQ(AnsiDequotedStr(c.s, u'\''), c.expected) << Show(c.s);

  const String text = u"'one''s',rest";
  const Char* p = text.c_str();
  EXPECT_EQ(AnsiExtractQuotedStr(p, u'\''), u"one's");
  EXPECT_EQ(String(p), u",rest");
  const Char* q = p;
  EXPECT_EQ(AnsiExtractQuotedStr(q, u'\''), u"");
  EXPECT_EQ(q, p);
  const String open = u"'unterminated";
  const Char* r = open.c_str();
  EXPECT_EQ(AnsiExtractQuotedStr(r, u'\''), u"unterminated");
  EXPECT_EQ(*r, u'\0');
}

TEST(Strings, SurrogatePairsStayTogether) {
  const String s = u"a\U0001F600b";
  EXPECT_EQ(Length(s), 4);
  EXPECT_EQ(ReverseString(s), u"b\U0001F600a");
  EXPECT_EQ(ReverseString(u"абв"), u"вба");
  EXPECT_EQ(NextCharIndex(s, 1), 2);
  EXPECT_EQ(NextCharIndex(s, 2), 4);
  EXPECT_EQ(NextCharIndex(s, 4), 5);
  EXPECT_TRUE(IsHighSurrogate(s, 2));
  EXPECT_TRUE(IsLowSurrogate(s, 3));
  EXPECT_TRUE(IsSurrogate(s, 3));
  EXPECT_FALSE(IsSurrogate(s, 1));
  EXPECT_FALSE(IsSurrogate(s, 9));
  EXPECT_TRUE(IsSurrogate(Char(0xDFFF)));
  EXPECT_FALSE(IsSurrogate(Char(0xE000)));
}

TEST(Strings, LineBreaksAndWrapping) {
  EXPECT_EQ(AdjustLineBreaks(u"a\nb\rc\r\nd\n\re"), u"a\r\nb\r\nc\r\nd\r\ne");
  EXPECT_EQ(AdjustLineBreaks(u"a\r\n\r\nb", tlbsLF), u"a\n\nb");
  EXPECT_EQ(AdjustLineBreaks(u"a\n\n", tlbsCRLF), u"a\r\n\r\n");

  struct Case {
    String line;
    int maxCol;
    String expected;
  } cases[] = {
      {u"Сумма к оплате без НДС", 10, u"Сумма к\r\nоплате без\r\nНДС"},
      {u"short", 45, u"short"},
      {u"well-known fact", 7, u"well-\r\nknown\r\nfact"},
      {u"nobreakshere", 5, u"nobreakshere"},
      {u"say 'a b c d' ok", 6, u"say\r\n'a b c d'\r\nok"},
      {u"a b\r\nc d", 3, u"a b\r\nc d"},
  };
  for (const auto& c : cases) EXPECT_EQ(WrapText(c.line, c.maxCol), c.expected) << Show(c.line);
  EXPECT_EQ(WrapText(u"aa bb cc", u"|", {u' '}, 4), u"aa|bb|cc");
}

TEST(Strings, FileNameParts) {
  struct Case {
    String name, path, dir, file, ext, changed;
  } cases[] = {
      {u"/home/u/отчёт.frf", u"/home/u/", u"/home/u", u"отчёт.frf", u".frf", u"/home/u/отчёт.bak"},
      {u"/home/u.d/file", u"/home/u.d/", u"/home/u.d", u"file", u"", u"/home/u.d/file.bak"},
      {u"file.tar.gz", u"", u"", u"file.tar.gz", u".gz", u"file.tar.bak"},
      {u"/file", u"/", u"/", u"file", u"", u"/file.bak"},
      {u"dir/", u"dir/", u"dir", u"", u"", u"dir/.bak"},
      {u".hidden", u"", u"", u".hidden", u".hidden", u".bak"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.name), c.path) << Show(c.name);
    EXPECT_EQ(ExtractFileDir(c.name), c.dir) << Show(c.name);
    EXPECT_EQ(ExtractFileName(c.name), c.file) << Show(c.name);
    EXPECT_EQ(ExtractFileExt(c.name), c.ext) << Show(c.name);
    EXPECT_EQ(ChangeFileExt(c.name, u".bak"), c.changed) << Show(c.name);
  }
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"/tmp"), u"/tmp/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"/tmp/"), u"/tmp/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"/tmp/"), u"/tmp");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"/"), u"/");

  EXPECT_EQ(ExpandFileName(u"/a/./b/../c"), u"/a/c");
  EXPECT_EQ(ExpandFileName(u"/a/b/"), u"/a/b/");
  EXPECT_EQ(ExpandFileName(u"/../.."), u"/");
  EXPECT_EQ(ExpandFileName(u"x/../y.txt"), IncludeTrailingPathDelimiter(GetCurrentDir()) + u"y.txt");
  EXPECT_EQ(GetCurrentDir(), Utf8ToString(std::filesystem::current_path().string()));
}

class StringsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kiv-strings-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = Utf8ToString(pattern);
  }
  void TearDown() override { std::filesystem::remove_all(StringToUtf8(root_)); }

  void WriteFile(const String& name, const std::string& content) {
    std::ofstream(StringToUtf8(name), std::ios::binary) << content;
  }

  String root_;
};

TEST_F(StringsFiles, CyrillicNamesReachTheFileSystem) {
  const String dir = root_ + u"/Отчёты/2024/";
  EXPECT_FALSE(DirectoryExists(dir));
  EXPECT_TRUE(ForceDirectories(dir));
  EXPECT_TRUE(DirectoryExists(dir));
  EXPECT_TRUE(ForceDirectories(dir));  // already there
  EXPECT_FALSE(FileExists(dir));       // a directory is not a file
  EXPECT_THROW(ForceDirectories(u""), EInOutError);

  const String file = dir + u"Счёт.txt";
  EXPECT_FALSE(FileExists(file));
  WriteFile(file, "1");
  EXPECT_TRUE(FileExists(file));
  EXPECT_TRUE(std::filesystem::exists(StringToUtf8(root_) + "/Отчёты/2024/Счёт.txt"));

  const String other = dir + u"Другой.txt";
  WriteFile(other, "2");
  EXPECT_FALSE(RenameFile(file, other)) << "an existing target is not replaced";
  std::ifstream kept(StringToUtf8(other));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "2");

  const String renamed = dir + u"Новый.txt";
  EXPECT_TRUE(RenameFile(file, renamed));
  EXPECT_FALSE(FileExists(file));
  EXPECT_TRUE(FileExists(renamed));
  EXPECT_TRUE(DeleteFile(renamed));
  EXPECT_FALSE(DeleteFile(renamed));
  EXPECT_FALSE(DeleteFile(dir)) << "DeleteFile never removes a directory";
  EXPECT_TRUE(DirectoryExists(dir));
}
