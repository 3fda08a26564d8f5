// The date-time edit, the combo box and the check box bound to fields of the test dataset.
#include <gtest/gtest.h>

#include <functional>

#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/ImageList.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

std::string EditorU8(const String& s) { return StringToUtf8(s); }

class EditorsOnDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FormatSettings = TFormatSettings::Russian();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 400, 300);
    data_ = new TTestDataSet(form_.get());
    data_->GetFieldDefs()->Add(u"at", ftDateTime);
    data_->GetFieldDefs()->Add(u"dept", ftInteger);
    data_->GetFieldDefs()->Add(u"active", ftBoolean);
    data_->GetFieldDefs()->Add(u"flag", ftString, 5);
    data_->AddRow({Variant::FromDate(EncodeDate(2024, 4, 15) + EncodeTime(9, 0, 0, 0)), Variant(2),
                   Variant(true), Variant(u"YES")});
    data_->Open();
    source_ = new TDataSource(form_.get());
    source_->SetDataSet(data_);
    other_ = new TEdit(form_.get());
    other_->SetParent(form_.get());
    other_->SetBounds(10, 200, 100, 24);
  }
  void TearDown() override { form_.reset(); }
  template <class T>
  T* Make(const Char* field) {
    auto* control = new T(form_.get());
    control->SetParent(form_.get());
    control->SetBounds(10, 10, 180, 24);
    control->SetDataSource(source_);
    control->SetDataField(field);
    form_->Show();
    ProcessPendingEvents();
    return control;
  }
  void Focus(TWinControl* control) {
    control->SetFocus();
    ProcessPendingEvents();
  }
  String At() { return FormatDateTime(u"dd.mm.yyyy hh:nn:ss", data_->FieldByName(u"at")->GetAsDateTime()); }

  std::unique_ptr<TForm> form_;
  TTestDataSet* data_ = nullptr;
  TDataSource* source_ = nullptr;
  TEdit* other_ = nullptr;
};

TEST_F(EditorsOnDataTest, DateEditTypesStepsCompletesAndKeepsTheTime) {
  auto* edit = Make<TDBDateTimeEditEh>(u"at");
  Focus(other_);
  EXPECT_EQ(EditorU8(edit->GetText()), "15.04.2024");
  Focus(edit);
  edit->SetSelStart(0);
  edit->SetSelLength(0);
  TypeText(edit, u"29022024");
  Focus(other_);
  EXPECT_EQ(EditorU8(At()), "29.02.2024 09:00:00") << "the date editor keeps the field's time";

  // A day past the month's end and no year: completed on leaving.
  Focus(edit);
  edit->SelectAll();
  SendKey(edit, VK_DELETE);
  edit->SetSelStart(0);
  TypeText(edit, u"3102");
  Focus(other_);
  Word y, m, d;
  DecodeDate(Date(), y, m, d);
  EXPECT_EQ(EditorU8(FormatDateTime(u"dd.mm.yyyy", data_->FieldByName(u"at")->GetAsDateTime())),
            EditorU8(IntToStr(IsLeapYear(y) ? 29 : 28) + u".02." + IntToStr(y)));

  // Up on the month, Esc takes it back.
  Focus(edit);
  edit->SetSelStart(3);
  edit->SetSelLength(0);
  SendKey(edit, VK_UP);
  EXPECT_EQ(EditorU8(edit->GetText().substr(3, 2)), "03");
  SendKey(edit, VK_ESCAPE);
  EXPECT_EQ(EditorU8(edit->GetText().substr(3, 2)), "02");

  EXPECT_THROW(edit->SetText(u"45.13.2024"), Exception);
}

TEST_F(EditorsOnDataTest, TimeEditKeepsTheDate) {
  auto* edit = Make<TDBDateTimeEditEh>(u"at");
  edit->SetKind(dtkTimeEh);
  Focus(edit);
  edit->SetSelStart(0);
  edit->SetSelLength(0);
  TypeText(edit, u"1830");
  Focus(other_);
  EXPECT_EQ(EditorU8(At()), "15.04.2024 18:30:00");
  EXPECT_THROW(edit->SetEditFormat(u"DDD"), Exception);
  EXPECT_EQ(edit->GetKind(), dtkTimeEh) << "a bad format changes nothing";
}

TEST_F(EditorsOnDataTest, ComboInKeyModeShowsTextsAndPostsKeys) {
  auto* combo = Make<TDBComboBoxEh>(u"dept");
  combo->GetItems()->SetText(u"Бухгалтерия\nСклад\nЦех");
  combo->GetKeyItems()->SetText(u"1\n2\n3\n4\n5");
  EXPECT_EQ(EditorU8(combo->GetText()), "Склад");
  EXPECT_EQ(combo->GetItemIndex(), 1);
  Focus(combo);
  SendKey(combo, VK_DOWN);
  EXPECT_EQ(EditorU8(combo->GetText()), "Цех");
  SendKey(combo, VK_DOWN);
  EXPECT_EQ(EditorU8(combo->GetText()), "Цех") << "no wrap past the last item";
  // Typing completes from the list: "Б" picks the first item.
  TypeText(combo, u"Б");
  EXPECT_EQ(EditorU8(combo->GetText()), "Бухгалтерия");
  Focus(other_);
  EXPECT_EQ(data_->FieldByName(u"dept")->GetAsInteger(), 1);

  // A key without a shown text steps back onto the list rather than to Null.
  combo->SetValue(Variant(u"5"));
  EXPECT_EQ(data_->FieldByName(u"dept")->GetAsInteger(), 5);
  EXPECT_EQ(combo->GetItemIndex(), 4);
  EXPECT_EQ(combo->GetText(), u"");
  Focus(combo);
  SendKey(combo, VK_UP);
  EXPECT_EQ(EditorU8(combo->GetText()), "Цех");
  EXPECT_FALSE(combo->GetValue().IsNull());
}

// The dropped-down list gets its line count from the combo's items: keys walk it and Enter takes the line.
TEST_F(EditorsOnDataTest, ComboListWalksWithTheKeysAndTakesTheLine) {
  auto* combo = Make<TDBComboBoxEh>(u"dept");
  combo->GetItems()->SetText(u"Бухгалтерия\nСклад\nЦех");
  combo->GetKeyItems()->SetText(u"1\n2\n3");
  Focus(combo);
  combo->DropDown();
  ASSERT_TRUE(combo->GetListVisible());
  EXPECT_EQ(combo->GetPopupListbox()->GetListGrid()->GetRowCount(), 3);
  EXPECT_EQ(combo->GetPopupListbox()->GetItemIndex(), 1);
  SendKey(combo, VK_DOWN);
  SendKey(combo, VK_DOWN);
  EXPECT_EQ(combo->GetPopupListbox()->GetItemIndex(), 2) << "the last line holds";
  SendKey(combo, VK_RETURN);
  EXPECT_FALSE(combo->GetListVisible());
  Focus(other_);
  EXPECT_EQ(data_->FieldByName(u"dept")->GetAsInteger(), 3);

  // Fewer items the next time: the list shrinks with them.
  combo->GetItems()->SetText(u"Склад");
  combo->GetKeyItems()->SetText(u"2");
  Focus(combo);
  combo->DropDown();
  EXPECT_EQ(combo->GetPopupListbox()->GetListGrid()->GetRowCount(), 1);
  SendKey(combo, VK_UP);
  SendKey(combo, VK_RETURN);
  Focus(other_);
  EXPECT_EQ(data_->FieldByName(u"dept")->GetAsInteger(), 2);
}

TEST_F(EditorsOnDataTest, ComboRefusesATextThatIsNoItem) {
  auto* combo = Make<TDBComboBoxEh>(u"dept");
  combo->GetItems()->SetText(u"Склад\nЦех");
  combo->GetKeyItems()->SetText(u"2\n3");
  combo->SetLimitTextToListValues(false);
  Focus(combo);
  combo->SelectAll();
  TypeText(combo, u"Гараж");
  EXPECT_EQ(EditorU8(combo->GetText()), "Гараж");
  EXPECT_EQ(combo->GetItemIndex(), -1);
  try {
    combo->GetDataLink()->UpdateRecord();
    FAIL() << "a text that is no item posted the old key";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(u"Гараж"), String::npos);
  }
  EXPECT_EQ(EditorU8(combo->GetText()), "Гараж");
  EXPECT_EQ(data_->FieldByName(u"dept")->GetAsInteger(), 2);
  SendKey(combo, VK_ESCAPE);
  EXPECT_EQ(EditorU8(combo->GetText()), "Склад");
}

TEST_F(EditorsOnDataTest, ComboCompletesTypingAndDropsDownAsItsBoxSays) {
  auto* combo = Make<TDBComboBoxEh>(u"flag");
  combo->SetDataSource(nullptr);
  combo->SetDataField(u"");
  Integer asked = 0;
  combo->OnGetItemsList = TNotifyEvent([&](TObject*) {
    ++asked;
    combo->GetItems()->SetText(u"Болт\nБолт М8 с шестигранной головкой и мелкой резьбой\nГайка");
  });
  Focus(combo);
  combo->SelectAll();
  // A character typed at the end completes the text from the first item it begins; the rest stays
  // selected, so typing goes on over it.
  TypeText(combo, u"Га");
  EXPECT_EQ(asked, 1) << "the items are asked for when the first search needs them";
  EXPECT_EQ(EditorU8(combo->GetText()), "Гайка");
  EXPECT_EQ(combo->GetSelStart(), 2);
  EXPECT_EQ(combo->GetSelLength(), 3);
  EXPECT_EQ(combo->GetItemIndex(), 2);
  combo->SelectAll();
  TypeText(combo, u"Шайба");
  EXPECT_EQ(EditorU8(combo->GetText()), "Шайба") << "any text may stand";
  EXPECT_EQ(combo->GetItemIndex(), -1);

  // The box's settings: the widest item's width, aligned to the right edge, no size grip unless sizable.
  TDropDownBoxEh* box = combo->GetDropDownBox();
  combo->DropDown();
  TPopupListboxFormEh* list = combo->GetPopupListbox();
  ASSERT_TRUE(combo->GetListVisible());
  const Integer boxLeft = list->GetLeft();
  combo->CloseUp(false);
  box->SetWidth(-1);
  box->SetAlign(daRight);
  combo->DropDown();
  EXPECT_GT(list->GetWidth(), combo->GetWidth()) << "the long item is shown whole";
  EXPECT_EQ(list->GetLeft() + list->GetWidth(), boxLeft + combo->GetWidth()) << "right edges together";
  EXPECT_FALSE(list->GetListGrid()->GetSizeGripAlwaysShow());
  // OnClosingUp may refuse the choice.
  combo->OnClosingUp = TAcceptEventEh([](TObject*, bool& accept) { accept = false; });
  list->SetItemIndex(0);
  combo->CloseUp(true);
  EXPECT_EQ(EditorU8(combo->GetText()), "Шайба");
  combo->OnClosingUp = TAcceptEventEh();
  box->SetWidth(0);
  box->SetSizable(true);
  combo->DropDown();
  EXPECT_EQ(list->GetWidth(), combo->GetWidth());
  EXPECT_TRUE(list->GetListGrid()->GetSizeGripAlwaysShow());
  combo->CloseUp(false);

  // With AutoDrop a typed character opens the list.
  box->SetAutoDrop(true);
  combo->SelectAll();
  TypeText(combo, u"Б");
  EXPECT_TRUE(combo->GetListVisible());
  combo->CloseUp(false);
  EXPECT_EQ(asked, 1) << "filled items are not asked for again";
}

TEST_F(EditorsOnDataTest, ComboLimitedToTheListTypesThroughTheItems) {
  auto* combo = Make<TDBComboBoxEh>(u"dept");
  combo->GetItems()->SetText(u"Бухгалтерия\nСклад\nСклад готовой продукции");
  combo->GetKeyItems()->SetText(u"1\n2\n3");
  TImageList images(nullptr);
  images.SetWidth(16);
  images.SetHeight(16);
  combo->SetImages(&images);
  combo->OnGetItemImageIndex =
      TListGetImageIndexEventEh([](TObject*, Integer item, Integer& image) { image = item + 10; });
  combo->UpdateImageIndex();
  EXPECT_EQ(combo->GetEditImage()->GetImageIndex(), 11) << "the shown item chooses the picture";
  Focus(combo);
  combo->SelectAll();
  TypeText(combo, u"Склад г");
  EXPECT_EQ(EditorU8(combo->GetText()), "Склад готовой продукции");
  EXPECT_EQ(combo->GetSelStart(), 7);
  TypeText(combo, u"x");
  EXPECT_EQ(EditorU8(combo->GetText()), "Склад готовой продукции")
      << "a character that fits no item is dropped";
  // Backspace gives the typed characters back one by one as selection; the item stays.
  SendKey(combo, VK_BACK);
  EXPECT_EQ(combo->GetSelStart(), 6);
  EXPECT_EQ(combo->GetSelLength(), 17);
  SendKey(combo, VK_BACK);
  EXPECT_EQ(combo->GetSelStart(), 5);
  EXPECT_EQ(combo->GetItemIndex(), 2) << "\"Склад\" alone would be another item";
  EXPECT_EQ(combo->GetEditImage()->GetImageIndex(), 12);
  // A paste goes through the items too; a click on the text opens the list.
  Clipboard()->SetAsText(u"бух");
  combo->SelectAll();
  SendKey(combo, 'V', TShiftState{ssCtrl});
  EXPECT_EQ(EditorU8(combo->GetText()), "Бухгалтерия");
  Clipboard()->SetAsText(u"Гараж");
  combo->SelectAll();
  SendKey(combo, 'V', TShiftState{ssCtrl});
  EXPECT_EQ(EditorU8(combo->GetText()), "Бухгалтерия") << "a pasted text that is no item changes nothing";
  SendClick(combo, TPoint(20, combo->GetHeight() / 2));
  EXPECT_TRUE(combo->GetListVisible());
  combo->CloseUp(false);
  Focus(other_);
  EXPECT_EQ(data_->FieldByName(u"dept")->GetAsInteger(), 1);
}

// The date and number editors share their buttons and wheel: up-down steps the value where the field
// may change, the drop-down button opens the editor's own popup.
TEST_F(EditorsOnDataTest, DateAndNumberStepAndDropDownAlike) {
  struct Case {
    const char* name;
    std::function<TCustomDBEditEh*()> make;
    std::function<String()> stored;
    const char* afterUp;
    const char* afterDown;
    std::function<bool(TCustomDBEditEh*)> popupVisible;
  };
  const Case cases[] = {
      {"date", [this] { return Make<TDBDateTimeEditEh>(u"at"); }, [this] { return At(); },
       "16.04.2024 09:00:00", "15.04.2024 09:00:00",
       [](TCustomDBEditEh* e) { return static_cast<TDBDateTimeEditEh*>(e)->GetCalendarVisible(); }},
      {"number", [this] { return Make<TDBNumberEditEh>(u"dept"); },
       [this] { return data_->FieldByName(u"dept")->GetAsString(); }, "3", "2",
       [](TCustomDBEditEh* e) { return static_cast<TDBNumberEditEh*>(e)->GetCalculatorVisible(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TCustomDBEditEh* edit = c.make();
    TEditButtonEh* button = edit->GetEditButton();
    button->SetStyle(ebsUpDownEh);
    button->SetVisible(true);
    ProcessPendingEvents();
    TEditButtonControlEh* control = edit->GetEditButtonControlByEditButton(button);
    ASSERT_NE(control, nullptr);
    Focus(edit);
    edit->SetSelStart(0);
    edit->SetSelLength(0);
    SendClick(control, TPoint(control->GetWidth() / 2, 2));
    Focus(other_);
    EXPECT_EQ(EditorU8(c.stored()), c.afterUp) << "the upper half steps up";
    Focus(edit);
    edit->SetSelStart(0);
    edit->SetSelLength(0);
    SendWheel(edit, -120, TPoint(5, 5));
    Focus(other_);
    EXPECT_EQ(EditorU8(c.stored()), c.afterDown) << "the wheel towards the user steps down";

    edit->SetReadOnly(true);
    Focus(edit);
    SendClick(control, TPoint(control->GetWidth() / 2, 2));
    SendWheel(edit, 120, TPoint(5, 5));
    Focus(other_);
    EXPECT_EQ(EditorU8(c.stored()), c.afterDown) << "a read-only editor does not step";
    edit->SetReadOnly(false);

    button->SetStyle(ebsDropDownEh);
    ProcessPendingEvents();
    control = edit->GetEditButtonControlByEditButton(button);
    Focus(edit);
    SendClick(control, TPoint(control->GetWidth() / 2, control->GetHeight() / 2));
    EXPECT_TRUE(c.popupVisible(edit)) << "the drop-down button opens the editor's popup";
    edit->CloseUp(false);
    EXPECT_FALSE(c.popupVisible(edit));
    Focus(other_);
    edit->SetParent(nullptr);
    data_->Cancel();
  }
}

TEST_F(EditorsOnDataTest, CheckBoxShowsWhatItPosts) {
  auto* box = Make<TDBCheckBoxEh>(u"active");
  box->SetValueChecked(u"Да");
  box->SetValueUnchecked(u"Нет");
  EXPECT_EQ(box->GetState(), cbChecked) << "a boolean field shows its value, whatever the texts";
  data_->Edit();
  data_->FieldByName(u"active")->Clear();
  EXPECT_EQ(box->GetState(), cbGrayed);
  data_->Cancel();
  box->SetState(cbUnchecked);
  EXPECT_FALSE(data_->FieldByName(u"active")->GetAsBoolean());
  data_->Cancel();

  auto* flag = Make<TDBCheckBoxEh>(u"flag");
  flag->SetValueChecked(u"Y;yes");
  flag->SetValueUnchecked(u"N;no;");
  EXPECT_EQ(flag->GetState(), cbChecked) << "YES matches yes, case ignored";
  flag->SetState(cbUnchecked);
  EXPECT_EQ(EditorU8(data_->FieldByName(u"flag")->GetAsString()), "N");
  data_->Edit();
  data_->FieldByName(u"flag")->SetAsString(u"");
  EXPECT_EQ(flag->GetState(), cbUnchecked) << "the list ends with ';': the empty text is unchecked";
  data_->Cancel();

  flag->SetAllowGrayed(true);
  flag->SetState(cbUnchecked);
  std::vector<TCheckBoxState> states;
  for (int i = 0; i < 3; ++i) {
    SendClick(flag, TPoint(6, 8));
    states.push_back(flag->GetState());
  }
  EXPECT_EQ(states, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked}));
}

}  // namespace
