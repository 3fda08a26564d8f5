// The edit and the memo on a shown form: key events that swallow or replace keys, CharCase,
// MaxLength, Modified, OnChange, the edit messages, undo, the clipboard and the memo's lines.
#include <gtest/gtest.h>

#include "platform/classes/StringList.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/testing/TestSupport.h"

namespace {

class EditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form = new TForm(nullptr, 0);
    form->AfterConstruction();
    form->SetBounds(0, 0, 400, 300);
    edit = new TEdit(form);
    edit->SetParent(form);
    other = new TEdit(form);
    other->SetParent(form);
    other->SetTop(40);
    memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetTop(80);
    edit->OnChange = [this](TObject*) { ++changes; };
    form->Show();
    ProcessPendingEvents();
    edit->SetFocus();
    ProcessPendingEvents();
  }
  void TearDown() override { delete form; }

  TForm* form = nullptr;
  TEdit* edit = nullptr;
  TEdit* other = nullptr;
  TMemo* memo = nullptr;
  int changes = 0;
};

TEST_F(EditTest, OnKeyDownSettingKeyToZeroKeepsTheKeyFromTheWindow) {
  edit->SetText(u"abc");
  edit->SetSelStart(3);
  edit->OnKeyDown = [](TObject*, Word& key, TShiftState) {
    if (key == VK_BACK || key == VK_LEFT) key = 0;
  };
  SendKey(edit, VK_LEFT);
  SendKey(edit, VK_BACK);
  EXPECT_EQ(edit->GetText(), u"abc");
  EXPECT_EQ(edit->GetSelStart(), 3);
  EXPECT_FALSE(edit->GetModified());
  // Keys the handler lets pass still work.
  SendKey(edit, VK_HOME);
  SendKey(edit, VK_DELETE);
  EXPECT_EQ(edit->GetText(), u"bc");
}

TEST_F(EditTest, TheMouseReachesTheWidget) {
  // Text set from code leaves the caret at its end; only a click that reaches the line edit moves it.
  other->SetText(u"abcdefghij");
  ASSERT_EQ(other->GetSelStart(), 10);
  SendClick(other, TPoint(2, 8));
  ProcessPendingEvents();
  EXPECT_EQ(other->GetSelStart(), 0);
}

TEST_F(EditTest, OnKeyPressReplacesOrDropsCharacters) {
  edit->OnKeyPress = [](TObject*, Char& key) {
    if (key == u'a') key = u'б';
    if (key == u'1') key = 0;
  };
  TypeText(edit, u"a1c1a");
  EXPECT_EQ(edit->GetText(), u"бcб");
}

TEST_F(EditTest, CharCaseAppliesToTypedPastedAndSetText) {
  edit->SetCharCase(ecUpperCase);
  TypeText(edit, u"abв");
  EXPECT_EQ(edit->GetText(), u"ABВ");
  edit->SetText(u"код");
  EXPECT_EQ(edit->GetText(), u"КОД");
  Clipboard()->SetAsText(u"xyz");
  edit->SelectAll();
  edit->PasteFromClipboard();
  EXPECT_EQ(edit->GetText(), u"XYZ");
  // Switching the case rule converts the text at once.
  edit->SetCharCase(ecLowerCase);
  EXPECT_EQ(edit->GetText(), u"xyz");
}

TEST_F(EditTest, MaxLengthLimitsTheUserButNotCode) {
  edit->SetMaxLength(3);
  TypeText(edit, u"abcde");
  EXPECT_EQ(edit->GetText(), u"abc");
  edit->SetText(u"abcdef");
  EXPECT_EQ(edit->GetText(), u"abcdef");
  edit->SetText(u"a");
  edit->SetSelStart(1);
  Clipboard()->SetAsText(u"12345");
  edit->PasteFromClipboard();
  EXPECT_EQ(edit->GetText(), u"a12");
}

TEST_F(EditTest, ModifiedFollowsTheUserAndOnChangeEveryChange) {
  edit->SetText(u"one");
  EXPECT_FALSE(edit->GetModified());
  EXPECT_EQ(changes, 1);
  edit->SetText(u"one");  // the same text is no change
  EXPECT_EQ(changes, 1);
  edit->SetSelStart(3);
  TypeText(edit, u"xy");
  EXPECT_TRUE(edit->GetModified());
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(edit->Perform(EM_GETMODIFY), 1);
  edit->SetText(u"two");
  EXPECT_FALSE(edit->GetModified());
  EXPECT_EQ(changes, 4);
}

TEST_F(EditTest, SelectionThroughPropertiesAndMessages) {
  edit->SetText(u"Привет мир");
  edit->SetSelStart(7);
  edit->SetSelLength(3);
  EXPECT_EQ(edit->GetSelText(), u"мир");
  DWORD start = 0, end = 0;
  edit->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 7u);
  EXPECT_EQ(end, 10u);
  edit->Perform(EM_SETSEL, 0, 6);
  EXPECT_EQ(edit->GetSelText(), u"Привет");
  edit->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(u"Пока"));
  EXPECT_EQ(edit->GetText(), u"Пока мир");
  EXPECT_TRUE(edit->GetModified());
  edit->Perform(EM_SETSEL, 0, -1);
  EXPECT_EQ(edit->GetSelLength(), 8);
  edit->SetSelText(u"x");
  EXPECT_EQ(edit->GetText(), u"x");
}

TEST_F(EditTest, MarginsMessageRoundTrips) {
  edit->Perform(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(4, 18));
  LRESULT margins = edit->Perform(EM_GETMARGINS);
  EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(margins)), 4);
  EXPECT_EQ(HIWORD(static_cast<std::uintptr_t>(margins)), 18);
  edit->Perform(EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, 2));
  margins = edit->Perform(EM_GETMARGINS);
  EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(margins)), 4);
  EXPECT_EQ(HIWORD(static_cast<std::uintptr_t>(margins)), 2);
}

TEST_F(EditTest, UndoAndClearUndo) {
  edit->SetText(u"base");
  edit->SetSelStart(4);
  TypeText(edit, u"xy");
  ASSERT_TRUE(edit->CanUndo());
  edit->Undo();
  EXPECT_EQ(edit->GetText(), u"base");
  TypeText(edit, u"z");
  edit->ClearUndo();
  EXPECT_FALSE(edit->CanUndo());
  EXPECT_EQ(edit->GetText(), u"basez");
  EXPECT_EQ(edit->Perform(EM_CANUNDO), 0);
}

TEST_F(EditTest, ClipboardOperations) {
  edit->SetText(u"copy me");
  edit->SelectAll();
  edit->CopyToClipboard();
  EXPECT_EQ(Clipboard()->GetAsText(), u"copy me");
  edit->SetSelStart(0);
  edit->SetSelLength(5);
  edit->CutToClipboard();
  EXPECT_EQ(Clipboard()->GetAsText(), u"copy ");
  EXPECT_EQ(edit->GetText(), u"me");
  Clipboard()->SetAsText(u"line one\r\nline two");
  edit->SetSelStart(0);
  edit->Perform(WM_PASTE);
  EXPECT_EQ(edit->GetText(), u"line oneme");
  // A password is not copied out, and a read-only edit is not changed.
  edit->SetPasswordChar(u'*');
  edit->SelectAll();
  edit->CopyToClipboard();
  EXPECT_EQ(Clipboard()->GetAsText(), u"line one\r\nline two");
  edit->SetPasswordChar(0);
  edit->SetReadOnly(true);
  edit->SelectAll();
  edit->CutToClipboard();
  EXPECT_EQ(edit->GetText(), u"line oneme");
  TypeText(edit, u"q");
  EXPECT_EQ(edit->GetText(), u"line oneme");
}

TEST_F(EditTest, ClipboardKeysGoThroughTheEditsRules) {
  edit->SetMaxLength(4);
  Clipboard()->SetAsText(u"123456");
  SendKey(edit, 'V', {ssCtrl});
  EXPECT_EQ(edit->GetText(), u"1234");
  edit->SelectAll();
  SendKey(edit, 'X', {ssCtrl});
  EXPECT_EQ(edit->GetText(), u"");
  EXPECT_EQ(Clipboard()->GetAsText(), u"1234");
}

TEST_F(EditTest, AutoSelectSelectsAllOnEntry) {
  other->SetText(u"whole");
  other->SetFocus();
  ProcessPendingEvents();
  EXPECT_EQ(other->GetSelLength(), 5);
  other->SetAutoSelect(false);
  edit->SetFocus();
  ProcessPendingEvents();
  other->SetFocus();
  ProcessPendingEvents();
  EXPECT_EQ(other->GetSelLength(), 0);
}

TEST_F(EditTest, TextSetBeforeTheWindowExistsIsKeptAndAnnounced) {
  TEdit loose(nullptr);
  int count = 0;
  loose.OnChange = [&](TObject*) { ++count; };
  loose.SetText(u"early");
  EXPECT_EQ(count, 1);
  EXPECT_EQ(loose.GetText(), u"early");
  EXPECT_FALSE(loose.HandleAllocated());
}

TEST_F(EditTest, MemoLinesAreLive) {
  memo->SetText(u"first\r\nsecond");
  TStrings* lines = memo->GetLines();
  ASSERT_EQ(lines->GetCount(), 2);
  EXPECT_EQ(lines->Get(1), u"second");
  lines->Add(u"third");
  EXPECT_EQ(memo->GetText(), u"first\r\nsecond\r\nthird\r\n");
  EXPECT_EQ(lines->GetCount(), 3);
  lines->Put(0, u"один");
  lines->Delete(1);
  EXPECT_EQ(memo->GetText(), u"один\r\nthird\r\n");
  lines->Insert(0, u"zero");
  EXPECT_EQ(lines->Get(0), u"zero");
  EXPECT_EQ(lines->GetCount(), 3);
  lines->Clear();
  EXPECT_EQ(lines->GetCount(), 0);
  EXPECT_EQ(memo->GetText(), u"");
  EXPECT_THROW(lines->Get(0), EStringListError);
}

TEST_F(EditTest, MemoEnterAndTabFollowWantReturnsAndWantTabs) {
  memo->SetFocus();
  ProcessPendingEvents();
  TypeText(memo, u"ab");
  SendKey(memo, VK_RETURN);
  TypeText(memo, u"c");
  EXPECT_EQ(memo->GetText(), u"ab\r\nc");
  EXPECT_EQ(memo->GetCaretPos(), TPoint(1, 1));
  EXPECT_EQ(memo->GetSelStart(), 5);
  memo->SetWantReturns(false);
  SendKey(memo, VK_RETURN);
  EXPECT_EQ(memo->GetText(), u"ab\r\nc");
  memo->SetWantTabs(true);
  SendKey(memo, VK_TAB);
  EXPECT_EQ(memo->GetText(), u"ab\r\nc\t");
  EXPECT_TRUE(memo->Focused());
}

TEST_F(EditTest, MemoMaxLengthCountsLineBreaks) {
  memo->SetFocus();
  ProcessPendingEvents();
  memo->SetMaxLength(4);
  TypeText(memo, u"ab");
  SendKey(memo, VK_RETURN);
  TypeText(memo, u"cd");
  EXPECT_EQ(memo->GetText(), u"ab\r\n");
  memo->SetCaretPos(TPoint(1, 0));
  EXPECT_EQ(memo->GetSelStart(), 1);
}

}  // namespace
