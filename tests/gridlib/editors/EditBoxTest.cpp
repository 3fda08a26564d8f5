// The edit box bound to a field: what it shows focused and unfocused, typing into the field, Esc,
// refused characters, a refused value that keeps its text, the unbound mode, buttons and the label.
#include <gtest/gtest.h>

#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/controls/Forms.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

class EditBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 400, 300);
    data_ = new TTestDataSet(form_.get());
    data_->GetFieldDefs()->Add(u"name", ftString, 10);
    data_->GetFieldDefs()->Add(u"qty", ftInteger);
    data_->AddRow({Variant(u"Болт"), Variant(5)});
    data_->Open();
    source_ = new TDataSource(form_.get());
    source_->SetDataSet(data_);
    edit_ = new TDBEditEh(form_.get());
    edit_->SetParent(form_.get());
    edit_->SetBounds(100, 50, 150, 24);
    edit_->SetDataSource(source_);
    edit_->SetDataField(u"name");
    other_ = new TEdit(form_.get());
    other_->SetParent(form_.get());
    other_->SetBounds(100, 100, 150, 24);
    form_->Show();
    ProcessPendingEvents();
  }
  void TearDown() override { form_.reset(); }

  void Focus(TWinControl* control) {
    control->SetFocus();
    ProcessPendingEvents();
  }

  std::unique_ptr<TForm> form_;
  TTestDataSet* data_ = nullptr;
  TDataSource* source_ = nullptr;
  TDBEditEh* edit_ = nullptr;
  TEdit* other_ = nullptr;
};

TEST_F(EditBoxTest, TypingGoesIntoTheFieldWhenTheEditorIsLeft) {
  EXPECT_EQ(edit_->GetText(), u"Болт");
  EXPECT_EQ(edit_->GetMaxLength(), 10) << "the field's size limits the input";
  Focus(edit_);
  edit_->SelectAll();
  TypeText(edit_, u"Гайка");
  EXPECT_EQ(data_->GetState(), dsEdit) << "the first key starts the edit";
  EXPECT_EQ(data_->FieldByName(u"name")->GetAsString(), u"Болт") << "not written while typing";
  Focus(other_);
  EXPECT_EQ(data_->FieldByName(u"name")->GetAsString(), u"Гайка");
  data_->Post();
  EXPECT_EQ(data_->Row(0)[0].AsString(), u"Гайка");
}

TEST_F(EditBoxTest, DisablingTheDatasetsControlsLeavesTheTextShown) {
  // What a footer-sum recalculation or a grid's copy does around its walk over the records.
  data_->DisableControls();
  data_->EnableControls();
  EXPECT_EQ(edit_->GetText(), u"Болт");
  data_->DisableControls();
  data_->DisableControls();
  data_->EnableControls();
  data_->EnableControls();
  EXPECT_EQ(edit_->GetText(), u"Болт");
}

TEST_F(EditBoxTest, EscapeRestoresTheFieldsText) {
  Focus(edit_);
  edit_->SelectAll();
  TypeText(edit_, u"Шайба");
  SendKey(edit_, VK_ESCAPE);
  EXPECT_EQ(edit_->GetText(), u"Болт");
  EXPECT_EQ(edit_->GetSelLength(), 4) << "the restored text is selected";
  data_->Post();
  EXPECT_EQ(data_->Row(0)[0].AsString(), u"Болт");
}

TEST_F(EditBoxTest, IntegerFieldRefusesLettersAndABadTextKeepsItsText) {
  edit_->SetDataField(u"qty");
  Focus(edit_);
  edit_->SelectAll();
  TypeText(edit_, u"1ж2");
  EXPECT_EQ(edit_->GetText(), u"12") << "the letter is refused";
  // A value the field refuses: the text stays and the error says why.
  edit_->SelectAll();
  TypeText(edit_, u"99999999999");
  EXPECT_THROW(edit_->GetDataLink()->UpdateRecord(), Exception);
  EXPECT_EQ(edit_->GetText(), u"99999999999");
  EXPECT_EQ(data_->FieldByName(u"qty")->GetAsInteger(), 5);
}

TEST_F(EditBoxTest, ReadOnlyDatasetDropsTypingSilently) {
  data_->SetReadOnly(true);
  edit_->GetDataLink()->Reset();
  Focus(edit_);
  edit_->SelectAll();
  TypeText(edit_, u"xyz");
  EXPECT_EQ(edit_->GetText(), u"Болт");
  EXPECT_EQ(data_->GetState(), dsBrowse);
}

TEST_F(EditBoxTest, UnboundEditorKeepsItsTextAsValue) {
  auto* free = new TDBEditEh(form_.get());
  free->SetParent(form_.get());
  free->SetText(u"abc");
  EXPECT_EQ(free->GetValue().AsString(), u"abc");
  EXPECT_EQ(free->GetDataLink()->DataIndependentValue.AsString(), u"abc");
  EXPECT_TRUE(TDBEditEh(form_.get()).IsEmpty());
}

TEST_F(EditBoxTest, UpdateDataHandlerReplacesTheWrite) {
  int calls = 0;
  edit_->OnUpdateData = [&](TObject*, bool& handled) {
    ++calls;
    handled = true;
  };
  Focus(edit_);
  edit_->SelectAll();
  TypeText(edit_, u"Винт");
  Focus(other_);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(data_->FieldByName(u"name")->GetAsString(), u"Болт");
  EXPECT_FALSE(edit_->GetModified());
}

TEST_F(EditBoxTest, VisibleButtonsNarrowTheTextAndClickThroughTheBox) {
  edit_->GetEditButton()->SetVisible(true);
  edit_->GetEditButton()->SetStyle(ebsEllipsisEh);
  TEditButtonEh* extra = edit_->GetEditButtons()->Add();
  extra->SetStyle(ebsPlusEh);
  ProcessPendingEvents();
  TEditButtonsBoxEh* box = edit_->GetButtonsBox();
  ASSERT_TRUE(box->GetVisible());
  EXPECT_EQ(box->GetButtonsCount(), 2);
  EXPECT_GT(box->GetButtonsWidth(), 0);
  EXPECT_EQ(box->GetLeft() + box->GetWidth(), edit_->GetClientWidth());
  int clicks = 0;
  edit_->OnButtonClick = [&](TObject*, bool& handled) {
    ++clicks;
    handled = true;
  };
  box->GetBtnCtlList()[0].EditButtonControl->Click();
  EXPECT_EQ(clicks, 1);
  // Extra buttons report to their own handler, not the editor's.
  int extraClicks = 0;
  extra->OnClick = [&](TObject*, bool& handled) {
    ++extraClicks;
    handled = true;
  };
  box->GetBtnCtlList()[1].EditButtonControl->Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(extraClicks, 1);
}

TEST_F(EditBoxTest, LabelTakesTheFieldsNameAndStandsAboveTheEditor) {
  data_->FieldByName(u"name")->SetDisplayLabel(u"Наименование");
  edit_->GetDataLink()->Reset();
  TControlLabelEh* label = edit_->GetControlLabel();
  label->SetVisible(true);
  EXPECT_EQ(label->GetCaption(), u"Наименование");
  EXPECT_EQ(label->GetParent(), form_.get());
  EXPECT_EQ(label->GetLeft(), 100);
  EXPECT_EQ(label->GetTop(), 50 - label->GetHeight() - 3);
  edit_->SetLeft(120);
  EXPECT_EQ(label->GetLeft(), 120) << "the label follows the editor";
}

}  // namespace

namespace {

TEST_F(EditBoxTest, MRUListOffersWhatWasPostedAndTakesTheChosenLine) {
  edit_->GetMRUList()->SetActive(true);
  Focus(edit_);
  edit_->SelectAll();
  TypeText(edit_, u"Гайка М6");
  Focus(other_);
  edit_->GetMRUList()->Add(u"Винт");
  EXPECT_EQ(edit_->GetMRUList()->GetItems()->IndexOf(u"Гайка М6"), 0) << "posting adds the text";
  Focus(edit_);
  edit_->SelectAll();
  TypeText(edit_, u"га");
  EXPECT_TRUE(edit_->GetMRUList()->GetDroppedDown()) << "a typed beginning drops the matching texts down";
  SendKey(edit_, VK_DOWN);
  SendKey(edit_, VK_RETURN);
  EXPECT_FALSE(edit_->GetMRUList()->GetDroppedDown());
  EXPECT_EQ(edit_->GetText(), u"Гайка М6");
  Focus(other_);
  EXPECT_EQ(data_->FieldByName(u"name")->GetAsString(), u"Гайка М6");
}

}  // namespace
