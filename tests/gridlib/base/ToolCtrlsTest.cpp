// Value storage texts under the Russian profile, the ORDER BY parser, the special row, picture
// placement, the working-time calendar and the array, variant and text routines.
#include <gtest/gtest.h>

#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"

namespace {

// ---- Storage text ----

TEST(StorageTextTest, RoundTripsUnderTheRussianProfile) {
  TFormatSettingsGuard russian(TFormatSettings::Russian());
  struct Case {
    Variant value;
    TVarType type;
    const Char* text;
  };
  const Case cases[] = {
      {Variant::FromDate(EncodeDate(2024, 4, 15)), varDate, u"2024-04-15"},
      {Variant::FromDate(EncodeDateTime(2024, 4, 15, 9, 5, 7, 0)), varDate, u"2024-04-15 9:05:07"},
      {Variant::FromDate(EncodeDate(1899, 12, 30)), varDate, u"1899-12-30"},
      {Variant(Currency::FromRaw(12345678)), varCurrency, u"1234.5678"},
      {Variant(Currency::FromRaw(-5000)), varCurrency, u"-0.5"},
      {Variant(1234.5), varDouble, u"1234.5"},
      {Variant(-0.125), varDouble, u"-0.125"},
      {Variant(1e20), varDouble, u"1E20"},
      {Variant(42), varInteger, u"42"},
      {Variant(u"текст, с запятой"), varUString, u"текст, с запятой"},
  };
  for (const Case& c : cases) {
    String text;
    VarToStorageStrEh(c.value, text);
    EXPECT_EQ(text, c.text) << StringToUtf8(c.text);
    Variant back;
    StorageStrToVarEh(text, c.type, back);
    EXPECT_EQ(VarType(back), c.type) << StringToUtf8(c.text);
    EXPECT_TRUE(VarSameValue(back, c.value)) << StringToUtf8(c.text);
  }
  EXPECT_EQ(FormatSettings.DecimalSeparator, u',') << "the profile is back after the conversions";
  EXPECT_EQ(FormatSettings.ShortDateFormat, u"dd.MM.yyyy");
}

TEST(StorageTextTest, BadTextRaisesAndLeavesNullAndTheProfile) {
  TFormatSettingsGuard russian(TFormatSettings::Russian());
  Variant value(5);
  EXPECT_THROW(StorageStrToVarEh(u"12,5", varDouble, value), EVariantTypeCastError);
  EXPECT_TRUE(VarIsNull(value));
  EXPECT_THROW(StorageStrToVarEh(u"15.04.2024", varDate, value), EVariantTypeCastError);
  EXPECT_EQ(FormatSettings.DecimalSeparator, u',');
  EXPECT_EQ(FloatToDotStrEh(2.5L), u"2.5");
}

// ---- ORDER BY ----

class TNamedOrderByList : public TOrderByList {
 public:
  TNamedOrderByList() : TOrderByList(true) {}
  Integer FindFieldIndex(const String& name) override {
    const String names[] = {u"Name", u"Age", u"Order Date", u"Имя"};
    for (Integer i = 0; i < 4; ++i)
      if (SameText(names[i], name)) return i;
    return -1;
  }
  void SetFieldIndex(TOrderByItemEh* item, Integer index) override { item->FieldIndex = index; }
  String Describe() const {
    String s;
    for (Integer i = 0; i < GetCount(); ++i)
      s += IntToStr(GetItem(i)->FieldIndex) + (GetItem(i)->Desc ? u"d " : u"a ");
    return s;
  }
};

TEST(OrderByListTest, ParsesItemsAndSeparators) {
  struct Case {
    const Char* text;
    const Char* items;
  };
  const Case cases[] = {
      {u"Name", u"0a "},
      {u"Name DESC, [Order Date]", u"0d 2a "},
      {u"Name;", u"0a "},
      {u"Name ASC DESC", u"0d "},
      {u"  name desc ;age,[Order Date] asc", u"0d 1a 2a "},
      {u"Имя", u"3a "},
      {u"", u""},
  };
  for (const Case& c : cases) {
    TNamedOrderByList list;
    list.ParseOrderByStr(u"Age");
    list.ParseOrderByStr(c.text);
    EXPECT_EQ(list.Describe(), c.items) << StringToUtf8(c.text);
  }
}

TEST(OrderByListTest, ErrorsNameTheTokenAndKeepTheOldItems) {
  struct Case {
    const Char* text;
    const Char* message;
  };
  const Case cases[] = {
      {u"Name Age", u" Invalid token - \"Age\""},
      {u"Name, Salary", u" Field - \"Salary\" not found."},
      {u"[Order Date] DESC ASC x", u" Invalid token - \"x\""},
  };
  for (const Case& c : cases) {
    TNamedOrderByList list;
    list.ParseOrderByStr(u"Age DESC");
    try {
      list.ParseOrderByStr(c.text);
      ADD_FAILURE() << StringToUtf8(c.text);
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_EQ(list.Describe(), u"1d ");
  }
  TOrderByList base(true);
  EXPECT_THROW(base.ParseOrderByStr(u"Name"), Exception);
  Integer pos = 1;
  EXPECT_EQ(base.GetToken(u"[a, b; c]x", pos), u"a, b; c");
  EXPECT_EQ(base.GetToken(u"[a, b; c]x", pos), u"x");
}

// ---- Special row ----

TEST(SpecRowTest, SplitsCellsText) {
  struct Case {
    const Char* text;
    std::vector<String> cells;
  };
  const Case cases[] = {
      {u"Total;\"A;B\";x", {u"Total", u"A;B", u"x"}},
      {u"a; b", {u"a", u" b"}},
      {u"  \"say \"\"hi\"\"\"", {u"say \"hi\""}},
      {u"", {}},
      {u"one", {u"one"}},
  };
  for (const Case& c : cases) {
    TSpecRowEh row(nullptr);
    row.SetCellsText(c.text);
    for (size_t i = 0; i < c.cells.size(); ++i)
      EXPECT_EQ(row.GetCellText(static_cast<Integer>(i)), c.cells[i]) << StringToUtf8(c.text);
    EXPECT_EQ(row.GetCellText(static_cast<Integer>(c.cells.size())), u"");
    EXPECT_EQ(row.GetCellText(-1), u"");
  }
}

TEST(SpecRowTest, DefaultsColourAssignmentAndKeys) {
  TSpecRowEh row(nullptr);
  EXPECT_EQ(row.GetShortCut(), 32814);
  EXPECT_TRUE(row.GetShowIfNotInKeyList());
  EXPECT_FALSE(row.GetVisible());
  EXPECT_TRUE(VarIsNull(row.GetValue()));
  row.SetColor(0);
  EXPECT_FALSE(row.GetColorAssigned()) << "writing the colour already held does not assign it";
  row.SetColor(clRed);
  EXPECT_TRUE(row.GetColorAssigned());

  EXPECT_FALSE(row.LocateKey(Variant::Null())) << "an invisible row locates nothing";
  row.SetVisible(true);
  EXPECT_TRUE(row.LocateKey(Variant::Null()));
  row.SetValue(Variant(7));
  EXPECT_TRUE(row.LocateKey(Variant(7)));
  EXPECT_FALSE(row.LocateKey(Variant(8)));
  EXPECT_FALSE(row.LocateKey(Variant()));
}

TEST(SpecRowTest, ChangesInsideUpdateFireOnceAndAssignCopies) {
  TSpecRowEh row(nullptr);
  int changes = 0;
  row.OnChanged = [&](TObject*) { ++changes; };
  row.BeginUpdate();
  row.SetCellsText(u"x");
  row.SetVisible(true);
  row.SetValue(Variant(1));
  EXPECT_EQ(changes, 0);
  row.EndUpdate();
  EXPECT_EQ(changes, 1);

  TSpecRowEh copy(nullptr);
  int copyChanges = 0;
  copy.OnChanged = [&](TObject*) { ++copyChanges; };
  copy.Assign(&row);
  EXPECT_EQ(copyChanges, 1);
  EXPECT_EQ(copy.GetCellText(0), u"x");
  EXPECT_TRUE(copy.GetVisible());
  EXPECT_FALSE(copy.GetFontAssigned());
  row.GetFont()->SetSize(20);
  EXPECT_TRUE(row.GetFontAssigned());
  copy.Assign(&row);
  EXPECT_EQ(copy.GetFont()->GetSize(), 20);
}

// ---- Picture placement and the calendar ----

TEST(PictureEhTest, PlacesA100x50PictureIn200x200) {
  InitTestApplication();
  TPictureEh picture;
  TBitmap bitmap;
  bitmap.SetSize(100, 50);
  picture.SetGraphic(&bitmap);
  const TRect area(0, 0, 200, 200);
  struct Case {
    TImagePlacementEh placement;
    TRect expected;
  };
  const Case cases[] = {
      {ipFitEh, TRect(0, 50, 200, 150)},        {ipFillEh, TRect(-100, 0, 300, 200)},
      {ipReduceFitEh, TRect(50, 75, 150, 125)}, {ipBottomRightEh, TRect(100, 150, 200, 200)},
      {ipTopCenterEh, TRect(50, 0, 150, 50)},   {ipStretchEh, TRect(0, 0, 200, 200)},
      {ipTileEh, TRect(0, 0, 100, 50)},
  };
  for (const Case& c : cases) EXPECT_EQ(picture.GetDestRect(area, c.placement), c.expected) << c.placement;
  EXPECT_EQ(picture.GetDestRect(TRect(0, 0, 50, 50), ipReduceFitEh), TRect(0, 12, 50, 37));
}

TEST(WorkingTimeCalendarTest, WeekdaysWorkAndHoursAreEightToFive) {
  TWorkingTimeCalendarEh* calendar = GetWorkingTimeCalendarEh();
  EXPECT_TRUE(calendar->IsWorkday(EncodeDate(2024, 4, 15)));   // Monday
  EXPECT_FALSE(calendar->IsWorkday(EncodeDate(2024, 4, 20)));  // Saturday
  EXPECT_FALSE(calendar->IsWorkday(EncodeDate(2024, 4, 21)));  // Sunday
  TTimeRangesEh ranges;
  calendar->GetWorkingTime(EncodeDate(2024, 4, 20), ranges);
  ASSERT_EQ(ranges.size(), 1u);
  EXPECT_DOUBLE_EQ(ranges[0].StartTime, EncodeTime(8, 0, 0, 0));
  EXPECT_DOUBLE_EQ(ranges[0].EndTime, EncodeTime(17, 0, 0, 0));
  EXPECT_EQ(GetGridLibManager()->GetAltDecimalSeparator(), u'.');
}

// ---- Arrays, variants, text ----

TEST(ArrayRangeTest, InsertAndDeleteWithTheirErrors) {
  TVariantArrayEh items{Variant(1), Variant(2), Variant(3)};
  ArrayInsertRange(items, 3, 2);
  ASSERT_EQ(items.size(), 5u);
  EXPECT_TRUE(VarIsEmpty(items[3]));
  ArrayInsertRange(items, 1, 1);
  EXPECT_EQ(items[1].AsInteger(), 2) << "the opened slot repeats the shifted value";
  EXPECT_EQ(items[2].AsInteger(), 2);
  EXPECT_EQ(items[3].AsInteger(), 3);
  ArrayDeleteRange(items, 0, 0);
  EXPECT_EQ(items.size(), 6u);
  ArrayDeleteRange(items, 1, 2);
  EXPECT_EQ(items[1].AsInteger(), 3);
  struct Case {
    std::function<void()> call;
    const Char* message;
  };
  const Case cases[] = {
      {[&] { ArrayInsertRange(items, 0, -1); }, u"ArrayInsertRange: (Amount < 0)"},
      {[&] { ArrayInsertRange(items, 9, 1); }, u"ArrayInsertRange: StartIndex > Length(Extents)"},
      {[&] { ArrayDeleteRange(items, 0, -1); }, u"ArrayDeleteRange: (Amount < 0)"},
      {[&] { ArrayDeleteRange(items, 3, 2); }, u"ArrayDeleteRange: StartIndex + Amount > Length(Extents)"},
  };
  for (const Case& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << StringToUtf8(c.message);
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

TEST(VariantRoutinesTest, EqualsAndCompareUnderstandArraysAndNull) {
  EXPECT_FALSE(VarEqualsEh(VarArrayOf({Variant(1)}), Variant(1)));
  EXPECT_FALSE(VarEqualsEh(VarArrayCreate({0, -1}, varVariant), VarArrayCreate({0, -1}, varVariant)));
  EXPECT_FALSE(VarEqualsEh(Variant(), Variant::Null()));
  EXPECT_TRUE(VarEqualsEh(VarArrayOf({Variant(1), Variant(u"a")}), VarArrayOf({Variant(1), Variant(u"a")})));
  EXPECT_FALSE(VarEqualsEh(Variant(u"abc"), Variant(5))) << "an incomparable pair is unequal, not an error";

  EXPECT_EQ(VarCompareValuesEh(Variant::Null(), Variant::Null()), vrEqual);
  EXPECT_EQ(VarCompareValuesEh(Variant::Null(), Variant(1)), vrLessThan);
  EXPECT_EQ(VarCompareValuesEh(Variant(1), Variant::Null()), vrGreaterThan);
  EXPECT_EQ(VarCompareValuesEh(VarArrayOf({Variant(1), Variant(2)}), VarArrayOf({Variant(1), Variant(3)})),
            vrLessThan);
  EXPECT_EQ(VarCompareValuesEh(VarArrayOf({Variant(1)}), Variant(1)), vrNotEqual);
  EXPECT_EQ(VarArrayToStrEh(VarArrayOf({Variant(1), VarArrayOf({Variant(u"a"), Variant(2)})})),
            u"[1, [a, 2]]");
  EXPECT_TRUE(VarIsNumberEh(Variant(Int64(5))));
  EXPECT_FALSE(VarIsNumberEh(Variant(u"5")));
}

TEST(TextSearchTest, WholeWordsAndCyrillic) {
  struct Case {
    const Char* sub;
    const Char* text;
    bool ignoreCase;
    bool wholeWords;
    Integer expected;
  };
  const Case cases[] = {
      {u"ab", u"x ab,", false, true, 3},
      {u"ab", u"xab", false, true, 0},
      {u"ab", u"xab ab", false, true, 5},
      {u"ab", u"abx", false, true, 0},
      {u"ab", u"xab", false, false, 2},
      // "Р" is a letter, not a word boundary.
      {u"ПРИВЕТ", u"Мир ПРИВЕТ", false, true, 5},
      {u"ИВЕТ", u"ПРИВЕТ", false, true, 0},
      {u"ривет", u"ПРИВЕТ мир", true, true, 0},
      {u"привет", u"ПРИВЕТ мир", true, true, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FindSubstringEh(c.sub, c.text, c.ignoreCase, 1, c.wholeWords), c.expected)
        << StringToUtf8(c.text);
  std::vector<Integer> positions;
  EXPECT_TRUE(FindAllSubstringsEh(u"aaa", u"aa", positions, false, false, false));
  EXPECT_EQ(positions, (std::vector<Integer>{0, 1}));
  EXPECT_FALSE(FindAllSubstringsEh(u"xaa", u"aa", positions, true, false, true));
  EXPECT_TRUE(FindAllSubstringsEh(u"Аб аб", u"аБ", positions, true, true, false));
  EXPECT_EQ(positions, (std::vector<Integer>{0, 3}));
}

TEST(TextRoutinesTest, FormatPartsAndListLookup) {
  TCalendarDateTimeUnitsEh units;
  FormatHasAmPmEh(u"hh:nn 'AM'", units);
  EXPECT_EQ(units, (TCalendarDateTimeUnitsEh{cdtuHourEh, cdtuMinuteEh}));
  FormatHasAmPmEh(u"dd.mm.yyyy h:nn am/pm", units);
  EXPECT_EQ(units, (TCalendarDateTimeUnitsEh{cdtuYearEh, cdtuMonthEh, cdtuDayEh, cdtuHourEh, cdtuMinuteEh,
                                             cdtuAmPmEh}));
  TStringList list;
  list.Add(u"Иванов");
  list.Add(u"ива");
  EXPECT_EQ(LocateTextInStringsEh(&list, u"ИВА", {loCaseInsensitive}), 1);
  EXPECT_EQ(LocateTextInStringsEh(&list, u"ИВА", {loCaseInsensitive, loPartialKey}), 0);
  EXPECT_EQ(LocateTextInStringsEh(&list, u"ИВА", {}), -1);
}

}  // namespace

namespace {

TEST(ApplyEditMaskTest, KeepsOrDropsLiteralsAndShowsBlanks) {
  struct Case {
    const Char* mask;
    const Char* text;
    const Char* expected;
  };
  const Case cases[] = {
      {u"000-000;1;_", u"123-456", u"123-456"}, {u"000-000;1;_", u"123-45", u"123-45_"},
      {u"000-000;0;_", u"123456", u"123456"},   {u"000-000;0;*", u"12345", u"12345*"},
      {u"(999) 000;0;_", u"12345", u"12345_"},  {u"", u"as is", u"as is"},
  };
  for (const Case& c : cases) {
    String result;
    ApplyEditMaskEh(c.mask, c.text, result);
    EXPECT_EQ(result, c.expected) << StringToUtf8(c.mask) << " / " << StringToUtf8(c.text);
  }
}

}  // namespace
