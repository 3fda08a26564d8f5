// The edit-mask language without a window: the mask routines, formatting, typing, deleting,
// pasting and validation by the engine the masked edit and the grid editors share.
#include <gtest/gtest.h>

#include "platform/controls/Mask.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Utf.h"

namespace {

// Types text from the first editable position, one character at a time as the keyboard does.
TEditMaskEngine Typed(const String& mask, const String& text) {
  TEditMaskEngine engine(mask);
  Integer caret = engine.FirstEditPos();
  for (Char c : text) engine.InputChar(c, caret, 0);
  return engine;
}

TEST(MaskRoutinesTest, FieldsOfTheMask) {
  struct Case {
    String mask;
    bool save;
    Char blank;
    Integer separator;
  };
  const Case cases[] = {
      {u"!99.99.9999;1;_", true, u'_', 12},
      {u">LL-000;0;*", false, u'*', 8},
      {u"\\(999\\)000-0000;1; ", true, u' ', 16},
      {u"#####;0;_", false, u'_', 6},
      {u"000", true, u'_', -1},
      {u"00;0", false, u'_', 3},
      // An escaped ';' is a literal, not a field.
      {u"00\\;00", true, u'_', -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.mask));
    EXPECT_EQ(MaskGetMaskSave(c.mask), c.save);
    EXPECT_EQ(MaskGetMaskBlank(c.mask), c.blank);
    EXPECT_EQ(MaskGetFldSeparator(c.mask), c.separator);
  }
}

TEST(MaskRoutinesTest, OffsetsSkipDirectivesAndFields) {
  const String mask = u">LL-000;0;*";
  EXPECT_EQ(OffsetToMaskOffset(mask, 0), 2);  // the '>' takes no place
  EXPECT_EQ(OffsetToMaskOffset(mask, 2), 4);
  EXPECT_EQ(OffsetToMaskOffset(mask, 5), 7);
  EXPECT_EQ(OffsetToMaskOffset(mask, 6), -1);
  EXPECT_EQ(MaskOffsetToOffset(mask, 7), 6);
  EXPECT_EQ(MaskOffsetToOffset(mask, 11), 6);
  EXPECT_TRUE(IsLiteralChar(mask, 2));
  EXPECT_FALSE(IsLiteralChar(mask, 1));
  EXPECT_EQ(MaskGetCharType(mask, 1), mcDirective);
  EXPECT_EQ(MaskGetCharType(mask, 2), mcMask);
  EXPECT_EQ(MaskGetCharType(u"99\\>", 4), mcLiteral);
  EXPECT_TRUE(MaskGetCurrentDirectives(mask, 3).Contains(mdUpperCase));
  // "<>" switches conversion off.
  EXPECT_TRUE(MaskGetCurrentDirectives(u"><>L", 4).Empty());
}

TEST(MaskRoutinesTest, InternationalLiteralsFollowTheLocale) {
  EXPECT_EQ(MaskIntlLiteralToChar(u'/'), u'.');
  EXPECT_EQ(MaskIntlLiteralToChar(u':'), u':');
  EXPECT_EQ(MaskIntlLiteralToChar(u'_'), u' ');
  TFormatSettings other = FormatSettings;
  other.DateSeparator = u'-';
  TFormatSettingsGuard guard(other);
  EXPECT_EQ(FormatMaskText(u"!99/99/00;0;_", u"010203"), u"01-02-03");
}

TEST(MaskRoutinesTest, FormatMaskTextLaysTheValueIntoTheMask) {
  struct Case {
    String mask, value, expected;
  };
  const Case cases[] = {
      {u"!99.99.9999;1;_", u"01.02.2003", u"01.02.2003"},
      {u"!99.99.9999;1;_", u"01022003", u"01.02.2003"},
      {u"!99.99.9999;1;_", u"", u"  .  .    "},
      {u"\\(999\\)000-0000;0; ", u"5551234567", u"(555)123-4567"},
      {u">LL-000;0;*", u"ab123", u"ab-123"},
      {u"#####;0;_", u"12", u"12   "},
      {u"!90:00;1;_", u"09:30", u"09:30"},
      {u"!99/99/00;0;_", u"010203", u"01.02.03"},
      // '!' aligns a short value to the right.
      {u"!999;0;_", u"5", u"  5"},
      {u"000\\-000;0;_", u"123456", u"123-456"},
      {u"LL_00;0;_", u"ab12", u"ab 12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.mask) + " <- " + StringToUtf8(c.value));
    EXPECT_EQ(StringToUtf8(FormatMaskText(c.mask, c.value)), StringToUtf8(c.expected));
  }
  EXPECT_EQ(MaskDoFormatText(u"!99.99.9999;1;_", u"0102", u'_'), u"__.__.0102");
}

TEST(MaskEngineTest, TypingFillsPlacesSkipsLiteralsAndConvertsCase) {
  struct Case {
    String mask, typed, editText, text;
  };
  const Case cases[] = {
      {u"!99.99.9999;1;_", u"01022003", u"01.02.2003", u"01.02.2003"},
      {u"!99.99.9999;1;_", u"0102", u"01.02.____", u"01.02.    "},
      // A separator typed early jumps to the next field.
      {u"!99.99.9999;1;_", u"1.2.2003", u"1_.2_.2003", u"1 .2 .2003"},
      {u"!99.99.9999;1;_", u"01.02.2003", u"01.02.2003", u"01.02.2003"},
      {u">LL-000;0;*", u"ab123", u"AB-123", u"AB123"},
      {u">LL-000;0;*", u"a", u"A*-***", u"A"},
      {u"\\(999\\)000-0000;1; ", u"5551234567", u"(555)123-4567", u"(555)123-4567"},
      {u"\\(999\\)000-0000;0; ", u"5551234567", u"(555)123-4567", u"5551234567"},
      {u"!90:00;1;_", u"1230", u"12:30", u"12:30"},
      {u"#####;0;_", u"+12", u"+12__", u"+12"},
      {u"<LL;0;_", u"AБ", u"aб", u"aб"},
      {u">L<L;0;_", u"ab", u"Ab", u"Ab"},
      // Characters outside the class are refused: letters in digits, digits in letters.
      {u"000;1;_", u"1x2", u"12_", u"12 "},
      {u"LL;1;_", u"a1b", u"ab", u"ab"},
      {u"AA;1;_", u"-z", u"z_", u"z "},
      {u"CC;1;_", u"-z", u"-z", u"-z"},
      // Past the last place nothing is taken.
      {u"00;1;_", u"123", u"12", u"12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.mask) + " typed " + StringToUtf8(c.typed));
    TEditMaskEngine engine = Typed(c.mask, c.typed);
    EXPECT_EQ(StringToUtf8(engine.GetEditText()), StringToUtf8(c.editText));
    EXPECT_EQ(StringToUtf8(engine.GetText()), StringToUtf8(c.text));
  }
}

TEST(MaskEngineTest, RefusedCharacterChangesNothing) {
  TEditMaskEngine engine = Typed(u"!99.99.9999;1;_", u"01");
  Integer caret = 3;
  EXPECT_FALSE(engine.InputChar(u'x', caret, 4));  // a selection is not blanked either
  EXPECT_EQ(caret, 3);
  EXPECT_EQ(engine.GetEditText(), u"01.__.____");
}

TEST(MaskEngineTest, TypingOverASelectionBlanksItFirst) {
  TEditMaskEngine engine = Typed(u"!99.99.9999;1;_", u"01022003");
  Integer caret = 0;
  ASSERT_TRUE(engine.InputChar(u'3', caret, 5));
  EXPECT_EQ(engine.GetEditText(), u"3_.__.2003");
  EXPECT_EQ(caret, 1);
}

TEST(MaskEngineTest, BackspaceAndDeleteBlankPlacesAndKeepLiterals) {
  struct Case {
    const char* what;
    bool backspace;
    Integer caret, selLength;
    String editText;
    Integer caretAfter;
  };
  const Case cases[] = {
      {"backspace after a literal", true, 3, 0, u"0_.02.2003", 1},
      {"backspace inside a field", true, 1, 1, u"_1.02.2003", 0},
      {"delete at the start", false, 0, 0, u"_1.02.2003", 0},
      {"delete on a literal", false, 2, 0, u"01._2.2003", 3},
      {"delete a selection", false, 0, 5, u"__.__.2003", 0},
      {"backspace a selection", true, 1, 8, u"0_.__.___3", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TEditMaskEngine engine = Typed(u"!99.99.9999;1;_", u"01022003");
    Integer caret = c.caret;
    if (c.backspace)
      EXPECT_TRUE(engine.Backspace(caret, c.selLength));
    else
      EXPECT_TRUE(engine.Delete(caret, c.selLength));
    EXPECT_EQ(StringToUtf8(engine.GetEditText()), StringToUtf8(c.editText));
    EXPECT_EQ(caret, c.caretAfter);
  }
  TEditMaskEngine start = Typed(u"!99.99.9999;1;_", u"01");
  Integer caret = 0;
  EXPECT_FALSE(start.Backspace(caret, 0));
  EXPECT_EQ(start.GetEditText(), u"01.__.____");
}

TEST(MaskEngineTest, PasteGoesThroughTheMaskAllOrNothing) {
  struct Case {
    String mask, pasted;
    Integer caret;
    bool ok;
    String editText;
  };
  const Case cases[] = {
      {u"!99.99.9999;1;_", u"01.02.2003", 0, true, u"01.02.2003"},
      {u"!99.99.9999;1;_", u"01022003", 0, true, u"01.02.2003"},
      {u"!99.99.9999;1;_", u"2003", 6, true, u"__.__.2003"},
      {u"\\(999\\)000-0000;1; ", u"(555)123-4567", 0, true, u"(555)123-4567"},
      {u"\\(999\\)000-0000;1; ", u"5551234567", 0, true, u"(555)123-4567"},
      {u">LL-000;0;*", u"xy-987", 0, true, u"XY-987"},
      {u"!99.99.9999;1;_", u"01x02", 0, false, u"__.__.____"},
      {u"#####;0;_", u"1234567", 0, false, u"_____"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.mask) + " pasted " + StringToUtf8(c.pasted));
    TEditMaskEngine engine(c.mask);
    Integer caret = c.caret;
    EXPECT_EQ(engine.Paste(c.pasted, caret, 0), c.ok);
    EXPECT_EQ(StringToUtf8(engine.GetEditText()), StringToUtf8(c.editText));
  }
}

TEST(MaskEngineTest, ValidateFindsTheFirstMissingRequiredPlace) {
  struct Case {
    String mask, editText;
    bool valid;
    Integer pos;
  };
  const Case cases[] = {
      {u"!99.99.9999;1;_", u"01.02.2003", true, -1},
      // '9' places are optional: a part-typed date passes such a mask, not one of '0's.
      {u"!99.99.9999;1;_", u"01.02.20__", true, -1},
      {u"!00.00.0000;1;_", u"01.02.20__", false, 8},
      {u"!00.00.0000;1;_", u"__.__.____", false, 0},
      // Optional places may stay empty.
      {u"!90:00;1;_", u"_9:30", true, -1},
      {u"!90:00;1;_", u"9_:30", false, 1},
      {u"#####;0;_", u"_____", true, -1},
      {u">LL-000;0;*", u"AB-12*", false, 5},
      // A required 'C' takes a space; a digit place does not.
      {u"C0;1;_", u" 1", true, -1},
      {u"00;1;_", u" 1", false, 0},
      // Text set from code is checked against the classes too.
      {u"000;1;_", u"1a2", false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.mask) + " " + StringToUtf8(c.editText));
    TEditMaskEngine engine(c.mask);
    engine.SetEditText(c.editText);
    Integer pos = -1;
    EXPECT_EQ(engine.Validate(pos), c.valid);
    EXPECT_EQ(pos, c.pos);
  }
}

TEST(MaskEngineTest, TextAndEditTextRoundTrip) {
  struct Case {
    String mask, text, editText, textBack;
  };
  const Case cases[] = {
      {u">LL-000;0;*", u"AB12", u"AB-12*", u"AB12"},
      {u"!99.99.9999;1;_", u"  .  .    ", u"__.__.____", u"  .  .    "},
      {u"!99.99.9999;1;_", u"01.02.2003", u"01.02.2003", u"01.02.2003"},
      {u"!99.99.9999;0;_", u"01022003", u"01.02.2003", u"01022003"},
      {u"\\(999\\)000-0000;0; ", u"5551234567", u"(555)123-4567", u"5551234567"},
      {u"!999;0;_", u"7", u"__7", u"7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.mask) + " " + StringToUtf8(c.text));
    TEditMaskEngine engine(c.mask);
    engine.SetText(c.text);
    EXPECT_EQ(StringToUtf8(engine.GetEditText()), StringToUtf8(c.editText));
    EXPECT_EQ(StringToUtf8(engine.GetText()), StringToUtf8(c.textBack));
  }
}

TEST(MaskEngineTest, ANewMaskReformatsTheCharacters) {
  TEditMaskEngine engine(u"000-000;0;_");
  engine.SetText(u"123456");
  engine.SetEditMask(u"00.00.00;1;_");
  EXPECT_EQ(engine.GetEditText(), u"12.34.56");
  engine.SetEditMask(String());
  EXPECT_FALSE(engine.IsMasked());
  EXPECT_EQ(engine.GetEditText(), u"123456");
}

}  // namespace
