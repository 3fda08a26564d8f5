// Date-time edit formats under the Russian settings: masks and element places, bad formats, reading
// two- and four-digit years, partial input, 29 February, time parts, completion and stepping.
#include <gtest/gtest.h>

#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Utf.h"

namespace {

std::string FormatU8(const String& s) { return StringToUtf8(s); }

Integer ThisYear() {
  Word y, m, d;
  DecodeDate(Date(), y, m, d);
  return y;
}

TEST(DateTimeFormatTest, MasksPlacesAndDisplayFormats) {
  FormatSettings = TFormatSettings::Russian();
  EXPECT_EQ(DefaultDateEditFormatEh(true), u"DD/MM/YYYY");
  EXPECT_EQ(DefaultDateEditFormatEh(false), u"DD/MM/YY");
  struct Case {
    const Char* format;
    const Char* mask;
    const Char* display;
    const Char* tmpl;
  };
  const Case cases[] = {
      {u"DD.MM.YYYY", u"!99.99.9999;1; ", u"DD'.'MM'.'YYYY", u"DD MM YYYY"},
      {u"YYYY-MM-DD HH:NN", u"!9999-99-99 99:99;1; ", u"YYYY'-'MM'-'DD' 'HH:NN", u"YYYY MM DD HH:NN"},
      {u"dd/mm/yy", u"!99/99/99;1; ", u"DD/MM/YY", u"DD/MM/YY"},
      {u"\\D\\D", u"!DD;1; ", u"'DD'", u"  "},
      {u"HH:NN:SS", u"!99:99:99;1; ", u"HH:NN:SS", u"HH:NN:SS"},
  };
  for (const Case& c : cases) {
    TDateTimeElementsMaskPosEh pos;
    String mask;
    EditFormatToEditMaskEh(c.format, pos, mask);
    EXPECT_EQ(FormatU8(mask), FormatU8(c.mask)) << FormatU8(c.format);
    EXPECT_EQ(FormatU8(EditFormatToDateTimeFormatEh(c.format)), FormatU8(c.display)) << FormatU8(c.format);
    EXPECT_EQ(FormatU8(EditFormatToElementTemplateEh(c.format)), FormatU8(c.tmpl)) << FormatU8(c.format);
  }
  TDateTimeElementsMaskPosEh pos;
  String mask;
  EditFormatToEditMaskEh(u"YYYY-MM-DD HH:NN", pos, mask);
  EXPECT_EQ(pos.Year.Pos, 1);
  EXPECT_EQ(pos.Day.Pos, 9);
  EXPECT_EQ(pos.Min.Pos, 15);
  EXPECT_FALSE(pos.Sec.Present);
  EditFormatToEditMaskEh(u"\\D\\D", pos, mask);
  EXPECT_FALSE(pos.Day.Present);
}

TEST(DateTimeFormatTest, BadFormatsSayWhatIsWrong) {
  const std::pair<const Char*, const Char*> cases[] = {
      {u"DDD", u"Element in EditFormat: \"DDD\" is too long. Pos: 3"},
      {u"D", u"Invalid datetime format element length: \"D\""},
      {u"DD.MM.DD", u"Duplicating datetime format element: \"D\""},
      {u"YYY", u"Invalid datetime format element length: \"Y\""},
  };
  for (const auto& [format, message] : cases) {
    TDateTimeElementsMaskPosEh pos;
    String mask;
    try {
      EditFormatToEditMaskEh(format, pos, mask);
      ADD_FAILURE() << FormatU8(format) << " was accepted";
    } catch (const Exception& e) {
      EXPECT_EQ(FormatU8(e.Message()), FormatU8(message));
    }
  }
}

TEST(DateTimeFormatTest, TextsReadCompletedAndMerged) {
  FormatSettings = TFormatSettings::Russian();
  const Integer year = ThisYear();
  // Which year the two-digit years land in moves with the current year; compute it as the rule says.
  auto expand = [year](Integer y) {
    const Integer bound = year - 60;
    Integer r = y + (bound / 100) * 100;
    return r < bound ? r + 100 : r;
  };
  struct Case {
    const Char* format;
    const Char* text;
    bool complete;
    const Char* expected;  // dd.mm.yyyy hh:nn:ss of the result, or empty for Null
    bool ok;
  };
  const String yearText = IntToStr(year);
  const String y99 = IntToStr(expand(99)), y05 = IntToStr(expand(5));
  const std::vector<Case> cases = {
      {u"DD.MM.YYYY", u"15.04.2024", false, u"15.04.2024 00:00:00", true},
      {u"DD.MM.YY", u"01.02.99", false, nullptr, true},  // checked below against the century window
      {u"DD.MM.YYYY", u"29.02.2024", false, u"29.02.2024 00:00:00", true},
      {u"DD.MM.YYYY", u"29.02.2023", false, u"", false},
      {u"DD.MM.YYYY", u"29.02.2023", true, u"28.02.2023 00:00:00", true},
      {u"DD.MM.YYYY", u"31.02.2024", false, u"", false},
      {u"DD.MM.YYYY", u"31.02.2024", true, u"29.02.2024 00:00:00", true},
      {u"DD.MM.YYYY", u"  .  .    ", false, u"", true},
      {u"DD.MM.YYYY", u"31.12.9999", false, u"31.12.9999 00:00:00", true},
      {u"DD.MM.YYYY HH:NN", u"01.03.2024 23:59", false, u"01.03.2024 23:59:00", true},
      {u"DD.MM.YYYY HH:NN", u"01.03.2024 24:00", false, u"", false},
      {u"DD.MM.YYYY HH:NN", u"01.03.2024 24:75", true, u"01.03.2024 23:59:00", true},
      {u"HH:NN:SS", u"07:05:09", false, u"30.12.1899 07:05:09", true},
  };
  for (const Case& c : cases) {
    if (!c.expected) continue;
    TDateTimeElementsMaskPosEh pos;
    String mask;
    EditFormatToEditMaskEh(c.format, pos, mask);
    TDateTimeElementsEh elements;
    TextToDateTimeElementsEh(c.text, pos, elements);
    Variant value = Variant::Null();
    if (String(c.format) == u"HH:NN:SS") value = Variant::FromDate(0.0);
    EXPECT_EQ(DateTimeElementsToVariantEh(elements, pos, value, c.complete), c.ok) << FormatU8(c.text);
    const String shown =
        value.IsNull() ? String() : FormatDateTime(u"dd.mm.yyyy hh:nn:ss", VarToDateTime(value));
    EXPECT_EQ(FormatU8(shown), FormatU8(c.expected))
        << FormatU8(c.format) << " " << FormatU8(c.text) << " complete " << c.complete;
  }

  // Two-digit years within the sixty-year window.
  TDateTimeElementsMaskPosEh pos;
  String mask;
  EditFormatToEditMaskEh(u"DD.MM.YY", pos, mask);
  TDateTimeElementsEh e;
  ASSERT_TRUE(TextToDateTimeElementsEh(u"01.02.99", pos, e));
  EXPECT_EQ(e[0], expand(99));
  ASSERT_TRUE(TextToDateTimeElementsEh(u"01.02.05", pos, e));
  EXPECT_EQ(e[0], expand(5));
  EXPECT_EQ(ExpandTwoDigitYearEh(1999), 1999);

  // Partial input: a day and a month only, completed with this year.
  EditFormatToEditMaskEh(u"DD.MM.YYYY", pos, mask);
  EXPECT_FALSE(TextToDateTimeElementsEh(u"05.06.    ", pos, e));
  Variant value = Variant::Null();
  ASSERT_TRUE(DateTimeElementsToVariantEh(e, pos, value, true));
  EXPECT_EQ(FormatU8(FormatDateTime(u"dd.mm.yyyy", VarToDateTime(value))), FormatU8(u"05.06." + yearText));

  // A time-only format keeps the date of the old value.
  EditFormatToEditMaskEh(u"HH:NN", pos, mask);
  TextToDateTimeElementsEh(u"18:30", pos, e);
  value = Variant::FromDate(EncodeDate(2024, 4, 15) + EncodeTime(9, 0, 0, 0));
  ASSERT_TRUE(DateTimeElementsToVariantEh(e, pos, value, false));
  EXPECT_EQ(FormatU8(FormatDateTime(u"dd.mm.yyyy hh:nn", VarToDateTime(value))), "15.04.2024 18:30");
}

TEST(DateTimeFormatTest, SteppingWrapsEachElement) {
  FormatSettings = TFormatSettings::Russian();
  const String tmpl = EditFormatToElementTemplateEh(u"DD/MM/YYYY HH:NN");
  struct Case {
    const Char* text;
    Integer pos;
    bool up;
    const Char* expected;
  };
  const Case cases[] = {
      {u"31.12.2024 23:59", 1, true, u"01.12.2024 23:59"},
      {u"01.12.2024 23:59", 2, false, u"31.12.2024 23:59"},
      {u"31.12.2024 23:59", 4, true, u"31.01.2024 23:59"},
      {u"31.01.2024 23:59", 3, false, u"31.12.2024 23:59"},
      {u"31.12.0001 23:59", 7, false, u"31.12.9999 23:59"},
      {u"31.12.9999 23:59", 9, true, u"31.12.0001 23:59"},
      {u"31.12.2024 23:59", 12, true, u"31.12.2024 00:59"},
      {u"31.12.2024 00:00", 15, false, u"31.12.2024 00:59"},
      {u"  .  .           ", 1, true, u"01.  .           "},
  };
  for (const Case& c : cases) {
    String result;
    Integer len = 0, pos = c.pos;
    StepDateTimeElementTextEh(c.text, tmpl, c.up, result, len, pos);
    EXPECT_EQ(FormatU8(result), FormatU8(c.expected)) << FormatU8(c.text) << " at " << c.pos;
  }
  Integer pos = 3, len = 0;
  GetDateElementSpanAtEh(pos, len, true);
  EXPECT_EQ(pos, 4);
  EXPECT_EQ(len, 2);
}

}  // namespace
