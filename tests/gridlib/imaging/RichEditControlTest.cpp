// The rich-edit control over a memo field and a string field: which contents load as RTF, what typing
// writes back (RTF, or plain text), the unloaded state without AutoDisplay, a dataset that refuses edits,
// the buttons' default action and the unbound content kept across a window re-creation.
#include <gtest/gtest.h>

#include "gridlib/base/RichEditFormsEh.h"
#include "gridlib/editors/DBRichEditEh.h"
#include "platform/classes/Streaming.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/controls/Later.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

const Char* const kBoldRtf =
    u"{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}}\\pard {\\b "
    u"\\'cf\\'f0\\'e8\\'ec\\'e5"
    u"\\'f0}\\par}";

// Exposes the button steps.
class TProbeRichEditEh : public TDBRichEditEh {
 public:
  explicit TProbeRichEditEh(TComponent* owner) : TDBRichEditEh(owner) {}
  using TCustomDBRichEditEh::EditButtonClick;
};

class RichEditControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 400, 300);
    data_ = new TTestDataSet(form_.get());
    data_->GetFieldDefs()->Add(u"notes", ftMemo);
    data_->GetFieldDefs()->Add(u"name", ftString, 20);
    data_->AddRow({Variant::Null(), Variant(u"Болт")});
    data_->Open();
    data_->Edit();
    Notes()->SetAsString(kBoldRtf);
    data_->Post();
    data_->FieldByName(u"notes")->SetDisplayLabel(u"Notes");
    source_ = new TDataSource(form_.get());
    source_->SetDataSet(data_);
    edit_ = new TProbeRichEditEh(form_.get());
    edit_->SetParent(form_.get());
    edit_->SetBounds(10, 10, 250, 120);
    edit_->SetDataSource(source_);
    edit_->SetDataField(u"notes");
    other_ = new TEdit(form_.get());
    other_->SetParent(form_.get());
    other_->SetBounds(10, 200, 100, 24);
    form_->Show();
    ProcessPendingEvents();
  }
  void TearDown() override { form_.reset(); }

  void Focus(TWinControl* control) {
    control->SetFocus();
    ProcessPendingEvents();
  }
  TField* Notes() const { return data_->FieldByName(u"notes"); }
  String Shown() const { return TrimRight(edit_->GetLines()->GetText()); }

  std::unique_ptr<TForm> form_;
  TTestDataSet* data_ = nullptr;
  TDataSource* source_ = nullptr;
  TProbeRichEditEh* edit_ = nullptr;
  TEdit* other_ = nullptr;
};

TEST_F(RichEditControlTest, OnlyARealRtfHeaderLoadsAsFormattedText) {
  struct Case {
    String stored;
    String shown;
  };
  const Case cases[] = {
      {kBoldRtf, u"Пример"},
      {u"{\\urtf1\\ansi \\'cf\\'f0\\'e8\\'ec\\'e5\\'f0\\par}", u"Пример"},
      // Text that only looks like a header without its backslash is the user's own text.
      {u"{urtf is what I typed}", u"{urtf is what I typed}"},
      {u"{\\RTF1 not a header}", u"{\\RTF1 not a header}"},
      {u"Просто текст", u"Просто текст"},
  };
  for (const Case& c : cases) {
    data_->Edit();
    Notes()->SetAsString(c.stored);
    data_->Post();
    EXPECT_EQ(Shown(), c.shown) << StringToUtf8(c.stored);
  }
  EXPECT_TRUE(IsRtfTextEh(kBoldRtf));
  EXPECT_FALSE(IsRtfTextEh(u"{urtf1 x}"));
}

TEST_F(RichEditControlTest, TypingWritesRtfOrPlainTextWhenTheControlIsLeft) {
  ASSERT_EQ(Shown(), u"Пример");
  edit_->SetSelStart(0);
  ASSERT_TRUE(edit_->GetSelAttributes()->GetStyle().Contains(fsBold));
  Focus(edit_);
  edit_->SetSelStart(edit_->GetTextLength());
  TypeText(edit_, u" №2");
  EXPECT_EQ(data_->GetState(), dsEdit) << "the first character starts the edit";
  EXPECT_EQ(Shown(), u"Пример №2") << "starting the edit did not reload the content";
  Focus(other_);
  data_->Post();
  const String stored = Notes()->GetAsString();
  EXPECT_TRUE(IsRtfTextEh(stored)) << StringToUtf8(stored);
  EXPECT_NE(stored.find(u"\\b"), String::npos) << "the formatting is kept";

  edit_->SetPlainText(true);
  data_->Edit();
  Notes()->SetAsString(u"Пример");
  data_->Post();
  Focus(edit_);
  edit_->SetSelStart(edit_->GetTextLength());
  TypeText(edit_, u"!");
  Focus(other_);
  data_->Post();
  EXPECT_EQ(TrimRight(Notes()->GetAsString()), u"Пример!") << "PlainText writes the text alone";
}

TEST_F(RichEditControlTest, FormattingIsAnEditOfTheFieldAndReadingItChangesNothing) {
  // Reading the formatting of the selection and paragraph is no edit.
  edit_->SetSelStart(0);
  edit_->SetSelLength(3);
  EXPECT_TRUE(edit_->GetSelAttributes()->GetStyle().Contains(fsBold));
  EXPECT_EQ(edit_->GetParagraph()->GetAlignment(), taLeftJustify);
  EXPECT_EQ(data_->GetState(), dsBrowse);

  // A user's italics and centring, as the formatting toolbar sets them, reach the field.
  Focus(edit_);
  edit_->SetSelStart(0);
  edit_->SetSelLength(3);
  edit_->GetSelAttributes()->SetStyle(TFontStyles{fsItalic});
  EXPECT_EQ(data_->GetState(), dsEdit) << "a format change starts the edit";
  edit_->GetParagraph()->SetAlignment(taCenter);
  EXPECT_EQ(Shown(), u"Пример") << "starting the edit did not reload the content";
  Focus(other_);
  data_->Post();
  const String stored = Notes()->GetAsString();
  // The first three letters italic, the rest still bold.
  EXPECT_NE(stored.find(u"\\i\\cf1 \\'cf\\'f0\\'e8}"), String::npos) << StringToUtf8(stored);
  EXPECT_NE(stored.find(u"\\b\\cf1 \\'ec\\'e5\\'f0}"), String::npos) << StringToUtf8(stored);
  EXPECT_NE(stored.find(u"\\qc"), String::npos) << StringToUtf8(stored);

  // A dataset that cannot edit refuses the format, as it refuses typing: nothing shown that cannot be
  // kept, and leaving the control raises nothing.
  data_->SetReadOnly(true);
  Focus(edit_);
  edit_->SetSelStart(0);
  edit_->SetSelLength(3);
  edit_->GetSelAttributes()->SetStyle(TFontStyles{fsUnderline});
  edit_->GetParagraph()->SetAlignment(taRightJustify);
  EXPECT_FALSE(edit_->GetSelAttributes()->GetStyle().Contains(fsUnderline));
  EXPECT_EQ(edit_->GetParagraph()->GetAlignment(), taCenter);
  EXPECT_EQ(data_->GetState(), dsBrowse);
  Focus(other_);
  data_->SetReadOnly(false);

  // While the field's label stands in place of its content, there is nothing to format.
  edit_->SetAutoDisplay(false);
  data_->Refresh();
  ASSERT_EQ(Shown(), u"(Notes)");
  edit_->SelectAll();
  edit_->GetSelAttributes()->SetStyle(TFontStyles{fsBold});
  EXPECT_EQ(data_->GetState(), dsBrowse);
  EXPECT_FALSE(edit_->GetMemoLoaded());
}

TEST_F(RichEditControlTest, AStringFieldShowsAndTakesPlainText) {
  edit_->SetDataField(u"name");
  EXPECT_EQ(Shown(), u"Болт");
  Focus(edit_);
  edit_->SetSelStart(edit_->GetTextLength());
  TypeText(edit_, u"ы");
  Focus(other_);
  data_->Post();
  EXPECT_EQ(data_->FieldByName(u"name")->GetAsString(), u"Болты");
}

TEST_F(RichEditControlTest, WithoutAutoDisplayTheFieldsLabelShowsUntilEnter) {
  edit_->SetAutoDisplay(false);
  data_->Refresh();
  EXPECT_FALSE(edit_->GetMemoLoaded());
  EXPECT_EQ(Shown(), u"(Notes)");
  Focus(edit_);
  TypeText(edit_, u"x");
  EXPECT_EQ(data_->GetState(), dsBrowse) << "characters are dropped while unloaded";
  SendChar(edit_, u'\r');
  EXPECT_TRUE(edit_->GetMemoLoaded());
  EXPECT_EQ(Shown(), u"Пример");
}

TEST_F(RichEditControlTest, ADatasetThatCannotEditDropsChangingKeys) {
  data_->SetReadOnly(true);
  Focus(edit_);
  edit_->SetSelStart(0);
  TypeText(edit_, u"abc");
  SendKey(edit_, VK_DELETE);
  SendKey(edit_, VK_BACK);
  EXPECT_EQ(Shown(), u"Пример");
  EXPECT_EQ(data_->GetState(), dsBrowse);
}

TEST_F(RichEditControlTest, EscGivesTheFieldsContentBack) {
  Focus(edit_);
  edit_->SetSelStart(0);
  TypeText(edit_, u"zz");
  ASSERT_EQ(Shown(), u"zzПример");
  SendChar(edit_, u'\x1b');
  EXPECT_EQ(Shown(), u"Пример");
}

TEST_F(RichEditControlTest, OnlyTheFirstPlainButtonGetsTheDefaultAction) {
  for (int i = 0; i < 3; ++i) edit_->GetEditButtons()->Add();
  ProcessPendingEvents();
  EXPECT_TRUE(edit_->GetEditButtons()->GetEditButton(0)->GetDefaultAction());
  EXPECT_FALSE(edit_->GetEditButtons()->GetEditButton(1)->GetDefaultAction());
  EXPECT_FALSE(edit_->GetEditButtons()->GetEditButton(2)->GetDefaultAction());
  EXPECT_TRUE(edit_->GetButtonsBox()->GetVisible());
  // The single border lies inside the client area: the buttons stand within it, not over it.
  const TEditButtonsBoxEh* box = edit_->GetButtonsBox();
  EXPECT_EQ(box->GetTop(), 1);
  EXPECT_EQ(box->GetLeft() + box->GetWidth(), edit_->GetClientWidth() - 1);
  EXPECT_EQ(box->GetTop() + box->GetHeight(), edit_->GetClientHeight() - 1);
}

TEST_F(RichEditControlTest, TheEllipsisButtonEditsInTheModalEditorAndWritesWhatWasAccepted) {
  TEditButtonEh* button = edit_->GetEditButtons()->Add();
  button->SetStyle(ebsEllipsisEh);
  ProcessPendingEvents();
  auto* editor = dynamic_cast<TRichEditWinEh*>(TRichEditWinEh::GetGlobalRef());
  ASSERT_TRUE(editor);
  auto run = [&](TModalResult result) {
    String seen;
    TLater later([&] {
      seen = TrimRight(editor->Editor->GetLines()->GetText());
      editor->Editor->GetLines()->SetText(u"Новый текст");
      editor->SetModalResult(result);
    });
    edit_->EditButtonClick(edit_->GetButtonsBox()->GetBtnCtlList()[0].EditButtonControl);
    return seen;
  };
  EXPECT_EQ(run(mrCancel), u"Пример") << "the editor opens with the control's content";
  EXPECT_EQ(Shown(), u"Пример") << "Cancel changes nothing";
  EXPECT_EQ(data_->GetState(), dsBrowse);
  run(mrOk);
  EXPECT_EQ(Shown(), u"Новый текст");
  data_->Post();
  EXPECT_TRUE(IsRtfTextEh(Notes()->GetAsString())) << "the accepted text is written as RTF at once";
}

TEST_F(RichEditControlTest, AnUnboundControlKeepsItsContentAcrossAWindowRecreation) {
  auto* own = new TDBRichEditEh(form_.get());
  own->SetParent(form_.get());
  own->SetBounds(10, 140, 200, 50);
  ProcessPendingEvents();
  own->SetRtfText(kBoldRtf);
  EXPECT_FALSE(own->GetReadOnly());
  own->SetBorderStyle(bsNone);
  own->RecreateWnd();
  ProcessPendingEvents();
  EXPECT_EQ(TrimRight(own->GetLines()->GetText()), u"Пример");
  EXPECT_TRUE(IsRtfTextEh(own->GetRtfText()));
}

}  // namespace

namespace {

String StreamedText(TComponent* component) {
  TMemoryStream binary;
  binary.WriteComponent(component);
  binary.SetPosition(0);
  TStringStream text(String(), TEncoding::UTF8());
  ObjectBinaryToText(&binary, &text);
  return text.GetDataString();
}

TEST_F(RichEditControlTest, AnUnboundControlIsStreamedAsRtfTextAndReadBack) {
  RegisterClass(TDBRichEditEh::StaticClass());
  TForm holder(nullptr, 0);
  holder.SetName(u"Holder");
  auto* own = new TDBRichEditEh(&holder);
  own->SetName(u"Own");
  own->SetParent(&holder);
  holder.Show();
  ProcessPendingEvents();
  EXPECT_EQ(StreamedText(&holder).find(u"RtfText"), String::npos) << "an empty control stores nothing";
  own->SetDataSource(source_);
  own->SetDataField(u"notes");
  EXPECT_EQ(StreamedText(&holder).find(u"RtfText"), String::npos) << "a bound control stores nothing";
  own->SetDataSource(nullptr);
  own->SetDataField(String());
  own->SetRtfText(kBoldRtf);
  const String text = StreamedText(&holder);
  EXPECT_NE(text.find(u"RtfText"), String::npos) << StringToUtf8(text);
  EXPECT_EQ(text.find(u"Lines"), String::npos) << "the content is stored once, as RTF";

  TMemoryStream stream;
  stream.WriteComponent(&holder);
  stream.SetPosition(0);
  TForm copy(nullptr, 0);
  stream.ReadComponent(&copy);
  auto* read = dynamic_cast<TDBRichEditEh*>(copy.FindComponent(u"Own"));
  ASSERT_TRUE(read);
  copy.Show();
  ProcessPendingEvents();
  EXPECT_EQ(TrimRight(read->GetLines()->GetText()), u"Пример");
  read->SetSelStart(1);
  read->SetSelLength(1);
  EXPECT_TRUE(read->GetSelAttributes()->GetStyle().Contains(fsBold));
}

}  // namespace
