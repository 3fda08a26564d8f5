// The masked edit on a shown form: the caret on entry and click, overwrite typing, keys that delete,
// Esc, paste, Text and EditText, ValidateEdit and the change events.
#include <gtest/gtest.h>

#include "platform/controls/Clipbrd.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Mask.h"
#include "platform/testing/TestSupport.h"

namespace {

class MaskEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form = new TForm(nullptr, 0);
    form->AfterConstruction();
    form->SetBounds(0, 0, 400, 200);
    other = new TEdit(form);
    other->SetParent(form);
    edit = new TMaskEdit(form);
    edit->SetParent(form);
    edit->SetTop(40);
    edit->SetWidth(200);
    edit->SetEditMask(u"!99.99.9999;1;_");
    edit->OnChange = [this](TObject*) { ++changes; };
    form->Show();
    ProcessPendingEvents();
    other->SetFocus();
    ProcessPendingEvents();
  }
  void TearDown() override { delete form; }

  void Enter() {
    edit->SetFocus();
    ProcessPendingEvents();
  }

  TForm* form = nullptr;
  TEdit* other = nullptr;
  TMaskEdit* edit = nullptr;
  int changes = 0;
};

TEST_F(MaskEditTest, EmptyMaskShowsBlanksAndLimitsLength) {
  EXPECT_TRUE(edit->IsMasked());
  EXPECT_EQ(edit->GetEditText(), u"__.__.____");
  EXPECT_EQ(edit->GetText(), u"  .  .    ");
  EXPECT_EQ(edit->GetMaxLength(), 10);
  EXPECT_FALSE(edit->GetModified());
}

TEST_F(MaskEditTest, EntryPutsTheBlockCaretOnTheFirstPlaceAndTypingOverwrites) {
  Enter();
  EXPECT_EQ(edit->GetSelStart(), 0);
  EXPECT_EQ(edit->GetSelLength(), 1);
  TypeText(edit, u"0102");
  EXPECT_EQ(edit->GetEditText(), u"01.02.____");
  EXPECT_EQ(edit->GetSelStart(), 6);
  EXPECT_TRUE(edit->GetModified());
  EXPECT_EQ(changes, 4);
  // Letters do not go into digit places.
  TypeText(edit, u"x2003");
  EXPECT_EQ(edit->GetEditText(), u"01.02.2003");
  // Going back and typing overwrites.
  SendKey(edit, VK_HOME);
  TypeText(edit, u"3");
  EXPECT_EQ(edit->GetEditText(), u"31.02.2003");
}

TEST_F(MaskEditTest, ClickPastTheTypedTextLandsOnTheFirstBlank) {
  Enter();
  TypeText(edit, u"01");
  SendClick(edit, TPoint(180, 8));
  ProcessPendingEvents();
  EXPECT_EQ(edit->GetSelStart(), 3);
  EXPECT_EQ(edit->GetSelLength(), 1);
}

TEST_F(MaskEditTest, BackspaceAndDeleteBlankPlacesAndKeepLiterals) {
  Enter();
  TypeText(edit, u"01022003");
  SendKey(edit, VK_END);
  SendKey(edit, VK_BACK);
  EXPECT_EQ(edit->GetEditText(), u"01.02.200_");
  SendKey(edit, VK_HOME);
  SendKey(edit, VK_RIGHT);
  SendKey(edit, VK_RIGHT);
  SendKey(edit, VK_DELETE);  // on the literal: the place after it
  EXPECT_EQ(edit->GetEditText(), u"01._2.200_");
  edit->SelectAll();
  SendKey(edit, VK_BACK);
  EXPECT_EQ(edit->GetEditText(), u"__.__.____");
}

TEST_F(MaskEditTest, EscTakesBackWhatWasTyped) {
  edit->SetText(u"05.06.2007");
  Enter();
  SendKey(edit, VK_HOME);
  TypeText(edit, u"11");
  EXPECT_EQ(edit->GetEditText(), u"11.06.2007");
  SendKey(edit, VK_ESCAPE);
  EXPECT_EQ(edit->GetEditText(), u"05.06.2007");
  EXPECT_FALSE(edit->GetModified());
  EXPECT_TRUE(form->GetVisible());
}

TEST_F(MaskEditTest, PasteGoesThroughTheMask) {
  Enter();
  Clipboard()->SetAsText(u"24.12.2025");
  SendKey(edit, 'V', {ssCtrl});
  EXPECT_EQ(edit->GetEditText(), u"24.12.2025");
  EXPECT_TRUE(edit->GetModified());
  Clipboard()->SetAsText(u"not a date");
  edit->SelectAll();
  edit->PasteFromClipboard();
  EXPECT_EQ(edit->GetEditText(), u"24.12.2025");
  edit->SetSelStart(0);
  edit->SetSelLength(5);
  edit->CutToClipboard();
  EXPECT_EQ(Clipboard()->GetAsText(), u"24.12");
  EXPECT_EQ(edit->GetEditText(), u"__.__.2025");
}

TEST_F(MaskEditTest, TextWithoutLiteralsWhenTheMaskDoesNotSaveThem) {
  edit->SetEditMask(u">LL-000;0;*");
  EXPECT_EQ(edit->GetEditText(), u"**-***");
  Enter();
  TypeText(edit, u"ab123");
  EXPECT_EQ(edit->GetEditText(), u"AB-123");
  EXPECT_EQ(edit->GetText(), u"AB123");
  edit->SetText(u"CD45");
  EXPECT_EQ(edit->GetEditText(), u"CD-45*");
  EXPECT_FALSE(edit->GetModified());
  // Through the base class the window text is what is seen, as in the class library.
  TCustomEdit* base = edit;
  EXPECT_EQ(base->GetText(), u"CD-45*");
}

TEST_F(MaskEditTest, ValidateEditRaisesUntilTheRequiredPlacesAreFilled) {
  edit->SetEditMask(u"\\(999\\)000-0000;1; ");
  Enter();
  TypeText(edit, u"555123");
  try {
    edit->ValidateEdit();
    FAIL() << "no exception";
  } catch (const EDBEditError& e) {
    EXPECT_EQ(e.Message(), u"Invalid input value.  Use escape key to abandon changes");
  }
  EXPECT_EQ(edit->GetSelStart(), 9);
  TypeText(edit, u"4567");
  EXPECT_NO_THROW(edit->ValidateEdit());
  EXPECT_EQ(edit->GetText(), u"(555)123-4567");
}

TEST_F(MaskEditTest, LeavingWithAnIncompleteTextRaisesAndKeepsTheFocus) {
  edit->SetEditMask(u"!90:00;1;_");
  Enter();
  TypeText(edit, u"1");
  String seen;
  Application->OnException = [&](TObject*, Exception* e) { seen = e->Message(); };
  other->SetFocus();
  ProcessPendingEvents();
  Application->OnException = TExceptionEvent();
  EXPECT_EQ(seen, u"Invalid input value.  Use escape key to abandon changes");
  EXPECT_TRUE(edit->Focused());
  TypeText(edit, u"230");
  other->SetFocus();
  ProcessPendingEvents();
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(edit->GetText(), u"12:30");
}

TEST_F(MaskEditTest, UndoTakesBackTheLastEdit) {
  Enter();
  TypeText(edit, u"01");
  ASSERT_TRUE(edit->CanUndo());
  edit->Undo();
  EXPECT_EQ(edit->GetEditText(), u"0_.__.____");
  edit->ClearUndo();
  EXPECT_FALSE(edit->CanUndo());
}

TEST_F(MaskEditTest, ReadOnlyRefusesTyping) {
  edit->SetReadOnly(true);
  Enter();
  TypeText(edit, u"12");
  SendKey(edit, VK_BACK);
  EXPECT_EQ(edit->GetEditText(), u"__.__.____");
  EXPECT_FALSE(edit->GetModified());
}

TEST_F(MaskEditTest, ClearingTheMaskLeavesAPlainEditWithTheCharacters) {
  edit->SetText(u"01.02.2003");
  edit->SetEditMask(String());
  EXPECT_FALSE(edit->IsMasked());
  // The old mask's literals go with it, as the class library reformats.
  EXPECT_EQ(edit->GetText(), u"01022003");
  Enter();
  edit->SetSelStart(8);
  TypeText(edit, u"xy");
  EXPECT_EQ(edit->GetText(), u"01022003xy");
}

}  // namespace
