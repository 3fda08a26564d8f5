// TStrings/TStringList: quoting of the comma and delimited texts, sorting rules, name=value pairs,
// change events and text files in each encoding.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"

namespace {
std::vector<String> Items(const TStrings& s) { return s.ToStringArray(); }

struct QuoteCase {
  std::vector<String> items;
  String commaText;
};

TEST(StringListTest, CommaTextQuotesOnlyWhatNeedsIt) {
  const QuoteCase cases[] = {
      {{}, u""},
      {{u""}, u"\"\""},
      {{u"a", u"b"}, u"a,b"},
      {{u"a", u"", u"b"}, u"a,,b"},
      {{u"a b"}, u"\"a b\""},
      {{u"a,b"}, u"\"a,b\""},
      {{u"say \"hi\""}, u"\"say \"\"hi\"\"\""},
      {{u"tab\there"}, u"\"tab\there\""},
      {{u"Вход", u"Выход"}, u"Вход,Выход"},
      {{u"", u""}, u","},
  };
  for (const auto& c : cases) {
    TStringList list;
    for (const auto& s : c.items) list.Add(s);
    EXPECT_EQ(StringToUtf8(list.GetCommaText()), StringToUtf8(c.commaText));
    TStringList back;
    back.SetCommaText(list.GetCommaText());
    EXPECT_EQ(Items(back), c.items) << StringToUtf8(c.commaText);
  }
}

struct ParseCase {
  String text;
  Char delimiter;
  Char quote;
  bool strict;
  std::vector<String> items;
};

TEST(StringListTest, DelimitedTextParsesAsTheClassLibrary) {
  const ParseCase cases[] = {
      {u"a b c", u',', u'"', false, {u"a", u"b", u"c"}},
      {u"a b c", u',', u'"', true, {u"a b c"}},
      {u"  a ,  b  ", u',', u'"', false, {u"a", u"b"}},
      {u"a,", u',', u'"', false, {u"a", u""}},
      {u",a", u',', u'"', false, {u"", u"a"}},
      {u"\"ab\"cd,e", u',', u'"', false, {u"ab", u"cd", u"e"}},
      {u"\"a,b\",c", u',', u'"', false, {u"a,b", u"c"}},
      {u"\"unterminated", u',', u'"', false, {u"unterminated"}},
      {u"x;'y;z';w", u';', u'\'', false, {u"x", u"y;z", u"w"}},
      {u"a; b ;c", u';', u'"', true, {u"a", u" b ", u"c"}},
      {u"", u',', u'"', false, {}},
      {u"\"\"", u',', u'"', false, {u""}},
  };
  for (const auto& c : cases) {
    TStringList list;
    list.SetDelimiter(c.delimiter);
    list.SetQuoteChar(c.quote);
    list.SetStrictDelimiter(c.strict);
    list.SetDelimitedText(c.text);
    EXPECT_EQ(Items(list), c.items) << StringToUtf8(c.text);
  }
}

TEST(StringListTest, StrictDelimiterKeepsBlanksUnquoted) {
  TStringList list;
  list.SetStrictDelimiter(true);
  list.SetDelimiter(u'|');
  list.AddStrings({u"a b", u"c|d", u""});
  EXPECT_EQ(StringToUtf8(list.GetDelimitedText()), "a b|\"c|d\"|");
  // CommaText ignores the list's own settings and leaves them as they were.
  EXPECT_EQ(StringToUtf8(list.GetCommaText()), "\"a b\",c|d,");
  EXPECT_EQ(list.GetDelimiter(), u'|');
  EXPECT_TRUE(list.GetStrictDelimiter());
}

TEST(StringListTest, SortedListsHonourDuplicatesAndCase) {
  TStringList list;
  list.SetSorted(true);
  EXPECT_EQ(list.Add(u"яблоко"), 0);
  EXPECT_EQ(list.Add(u"Ёж"), 0);
  EXPECT_EQ(list.Add(u"ель"), 0);
  EXPECT_EQ(list.Add(u"apple"), 0);
  EXPECT_EQ(Items(list), (std::vector<String>{u"apple", u"ель", u"Ёж", u"яблоко"}));
  // dupIgnore answers the index of the one already there and adds nothing.
  EXPECT_EQ(list.Add(u"ЕЛЬ"), 1);
  EXPECT_EQ(list.GetCount(), 4);
  list.SetDuplicates(dupError);
  EXPECT_THROW(list.Add(u"Apple"), EStringListError);
  list.SetDuplicates(dupAccept);
  list.Add(u"Apple");
  EXPECT_EQ(list.GetCount(), 5);

  list.SetCaseSensitive(true);
  int index = -1;
  EXPECT_TRUE(list.Find(u"apple", index));
  EXPECT_EQ(list[index], u"apple");
  EXPECT_FALSE(list.Find(u"APPLE", index));
  for (int i = 1; i < list.GetCount(); ++i) EXPECT_LE(AnsiCompareStr(list[i - 1], list[i]), 0);
}

TEST(StringListTest, SortedListRefusesPositionalChangesWithoutLosingItems) {
  TStringList list(true);
  list.SetSorted(true);
  auto* object = new TObject;
  list.AddObject(u"b", object);
  list.Add(u"a");
  EXPECT_THROW(list.Insert(0, u"z"), EStringListError);
  EXPECT_THROW(list.Put(0, u"z"), EStringListError);
  EXPECT_THROW(list.Move(1, 0), EStringListError);
  EXPECT_EQ(Items(list), (std::vector<String>{u"a", u"b"}));
  EXPECT_EQ(list.GetObject(1), object);
}

TEST(StringListTest, IndexErrorsNameTheIndex) {
  TStringList list;
  list.Add(u"x");
  try {
    list.Get(3);
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(StringToUtf8(e.Message()), "List index out of bounds (3)");
  }
  EXPECT_THROW(list.Delete(-1), EStringListError);
}

TEST(StringListTest, CustomSortAndSortOrder) {
  TStringList list;
  list.AddStrings({u"10", u"9", u"100", u"1"});
  list.CustomSort([](TStringList* l, int a, int b) { return StrToInt(l->Get(a)) - StrToInt(l->Get(b)); });
  EXPECT_EQ(Items(list), (std::vector<String>{u"1", u"9", u"10", u"100"}));
  list.Sort();
  EXPECT_EQ(Items(list), (std::vector<String>{u"1", u"10", u"100", u"9"}));
}

TEST(StringListTest, NamesAndValues) {
  TStringList list;
  list.SetText(u"Server=db1\r\nUser=admin\r\nempty=\r\nplain line\r\n");
  EXPECT_EQ(list.GetValue(u"server"), u"db1");
  EXPECT_EQ(list.GetName(1), u"User");
  EXPECT_EQ(list.GetName(3), u"");
  EXPECT_EQ(list.GetValueFromIndex(0), u"db1");
  EXPECT_EQ(list.GetValueFromIndex(2), u"");
  list.SetValue(u"User", u"guest");
  EXPECT_EQ(list[1], u"User=guest");
  list.SetValue(u"Port", u"5432");
  EXPECT_EQ(list[4], u"Port=5432");
  list.SetValue(u"User", u"");
  EXPECT_EQ(list.IndexOfName(u"User"), -1);
  list.SetNameValueSeparator(u':');
  list.Add(u"a:b=c");
  EXPECT_EQ(list.GetValue(u"a"), u"b=c");
}

TEST(StringListTest, TextUsesCrLfAndSplitsAnyBreak) {
  TStringList list;
  list.SetText(u"a\r\nb\nc\rd\n\re");
  EXPECT_EQ(Items(list), (std::vector<String>{u"a", u"b", u"c", u"d", u"", u"e"}));
  EXPECT_EQ(StringToUtf8(list.GetText()), "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");
}

TEST(StringListTest, ChangeEventsFireOncePerUpdateBlock) {
  TStringList list;
  int changing = 0, changed = 0;
  list.OnChanging = [&](TObject*) { ++changing; };
  list.OnChange = [&](TObject*) { ++changed; };
  list.Add(u"a");
  EXPECT_EQ(changed, 1);
  list.BeginUpdate();
  list.Add(u"b");
  list.Add(u"c");
  list.Delete(0);
  EXPECT_EQ(changed, 1);
  list.EndUpdate();
  EXPECT_EQ(changing, 2);
  EXPECT_EQ(changed, 2);
  list.SetCommaText(u"x,y,z");
  EXPECT_EQ(changed, 3);
}

TEST(StringListTest, OwnedObjectsAreFreedWithTheirItems) {
  struct Counted : TObject {
    explicit Counted(int& n) : n_(n) { ++n_; }
    ~Counted() override { --n_; }
    int& n_;
  };
  int alive = 0;
  {
    TStringList list(true);
    list.AddObject(u"a", new Counted(alive));
    list.AddObject(u"b", new Counted(alive));
    list.AddObject(u"c", new Counted(alive));
    list.Delete(0);
    EXPECT_EQ(alive, 2);
    list.Exchange(0, 1);
    EXPECT_EQ(alive, 2);
  }
  EXPECT_EQ(alive, 0);
}

TEST(StringListTest, AssignCopiesStringsObjectsAndRules) {
  TStringList source;
  source.SetSorted(true);
  source.SetCaseSensitive(true);
  TObject marker;
  source.AddObject(u"b", &marker);
  source.Add(u"a");
  TStringList copy;
  copy.Add(u"old");
  copy.Assign(&source);
  EXPECT_EQ(Items(copy), Items(source));
  EXPECT_EQ(copy.GetObject(1), &marker);
  EXPECT_TRUE(copy.GetSorted());
  EXPECT_TRUE(copy.GetCaseSensitive());
  try {
    copy.Assign(nullptr);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(StringToUtf8(e.Message()), "Cannot assign a nil to a TStringList");
  }
}

// ---- Files in each encoding ----

struct FileCase {
  const char* name;
  std::string bytes;          // what the file holds
  const TEncoding* loadAs;    // nullptr: detect
  const TEncoding* expected;  // the encoding the list remembers
  bool mark;
};

class TempFile {
 public:
  explicit TempFile(const std::string& bytes) {
    char name[] = "/tmp/kiv-strings-XXXXXX";
    int fd = mkstemp(name);
    close(fd);
    path_ = name;
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  ~TempFile() { std::remove(path_.c_str()); }
  String Path() const { return Utf8ToString(path_); }
  std::string Read() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::string path_;
};

TEST(StringListTest, LoadsEachEncodingWithAndWithoutMark) {
  const std::string cp1251 = "\xC2\xF5\xEE\xE4\r\n\xC2\xFB\xF5\xEE\xE4\r\n";  // Вход, Выход
  const std::string utf8 = "Вход\r\nВыход\r\n";
  const std::string utf16le = std::string(
      "\x12\x04\x45\x04\x3E\x04\x34\x04\r\0\n\0\x12\x04\x4B\x04\x45\x04\x3E\x04\x34\x04\r\0\n\0", 26);
  std::string utf16be;
  for (size_t i = 0; i < utf16le.size(); i += 2) utf16be += std::string{utf16le[i + 1], utf16le[i]};
  const FileCase cases[] = {
      {"1251 by default", cp1251, nullptr, TEncoding::Default(), false},
      {"UTF-8 with mark", "\xEF\xBB\xBF" + utf8, nullptr, TEncoding::UTF8(), true},
      {"UTF-8 asked for", utf8, TEncoding::UTF8(), TEncoding::UTF8(), false},
      {"UTF-8 asked for, mark present", "\xEF\xBB\xBF" + utf8, TEncoding::UTF8(), TEncoding::UTF8(), true},
      {"UTF-16 LE with mark", "\xFF\xFE" + utf16le, nullptr, TEncoding::Unicode(), true},
      {"UTF-16 LE asked for", utf16le, TEncoding::Unicode(), TEncoding::Unicode(), false},
      {"UTF-16 BE with mark", "\xFE\xFF" + utf16be, nullptr, TEncoding::BigEndianUnicode(), true},
      {"UTF-16 BE asked for", utf16be, TEncoding::BigEndianUnicode(), TEncoding::BigEndianUnicode(), false},
  };
  for (const auto& c : cases) {
    TempFile file(c.bytes);
    TStringList list;
    list.LoadFromFile(file.Path(), c.loadAs);
    EXPECT_EQ(Items(list), (std::vector<String>{u"Вход", u"Выход"})) << c.name;
    EXPECT_EQ(list.GetEncoding(), c.expected) << c.name;
    // Saving again without naming an encoding writes the same bytes (the mark only where it was).
    list.SetWriteBOM(c.mark);
    list.SaveToFile(file.Path());
    EXPECT_EQ(file.Read(), c.bytes) << c.name;
  }
}

TEST(StringListTest, SavingTextThatWindows1251CannotHoldKeepsEveryCharacter) {
  TempFile file("");
  TStringList list;
  list.Add(u"Итого: 5 €, 3 ✓");
  list.SaveToFile(file.Path());
  EXPECT_EQ(file.Read(), "\xEF\xBB\xBF" + StringToUtf8(u"Итого: 5 €, 3 ✓\r\n"));
  TStringList back;
  back.LoadFromFile(file.Path());
  EXPECT_EQ(back[0], list[0]);
}

TEST(StringListTest, The1251GapByteSurvivesLoadAndSave) {
  TempFile file(
      std::string("a\x98"
                  "b\r\n"));
  TStringList list;
  list.LoadFromFile(file.Path());
  list.SaveToFile(file.Path());
  EXPECT_EQ(file.Read(), std::string("a\x98"
                                     "b\r\n"));
}

TEST(StringListTest, MissingFileRaisesOpenError) {
  TStringList list;
  EXPECT_THROW(list.LoadFromFile(u"/nonexistent/kiv/list.txt"), EFOpenError);
}
}  // namespace
