// The data-aware text, edit and lookup combo box over the array-backed test dataset: what they show,
// how the user's typing and choices reach the fields, and how bad input is refused.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/controls/Forms.h"
#include "platform/data/Fields.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/rtl/Strings.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

class DBCtrlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form = new TForm(nullptr, 0);
    form->AfterConstruction();
    form->SetBounds(0, 0, 400, 300);

    // The edited table: workers with a department key.
    table = new TTestDataSet(form);
    table->GetFieldDefs()->Add(u"id", ftInteger);
    table->GetFieldDefs()->Add(u"name", ftString, 20);
    table->GetFieldDefs()->Add(u"id_department", ftInteger);
    table->AddRow({1, u"Иванов", 2});
    table->AddRow({2, u"Петров", Null()});
    table->AddRow({3, u"Сидоров", 3});
    source = new TDataSource(form);
    source->SetDataSet(table);
    table->Open();

    // The list of departments.
    departments = new TTestDataSet(form);
    departments->GetFieldDefs()->Add(u"id", ftInteger);
    departments->GetFieldDefs()->Add(u"s_caption", ftString, 30);
    departments->GetFieldDefs()->Add(u"code", ftString, 5);
    departments->AddRow({1, u"Склад", u"SK"});
    departments->AddRow({2, u"Цех", u"CH"});
    departments->AddRow({3, u"Офис", u"OF"});
    departments->AddRow({4, u"Охрана", u"OX"});
    listSource = new TDataSource(form);
    listSource->SetDataSet(departments);
    departments->Open();

    other = new TEdit(form);
    other->SetParent(form);
    form->Show();
    ProcessPendingEvents();
    other->SetFocus();
    ProcessPendingEvents();
  }
  void TearDown() override { delete form; }

  TDBEdit* MakeEdit(const String& field) {
    auto* edit = new TDBEdit(form);
    edit->SetParent(form);
    edit->SetTop(40);
    edit->SetDataSource(source);
    edit->SetDataField(field);
    ProcessPendingEvents();
    return edit;
  }
  TDBLookupComboBox* MakeLookup() {
    auto* box = new TDBLookupComboBox(form);
    box->SetParent(form);
    box->SetTop(80);
    box->SetListSource(listSource);
    box->SetKeyField(u"id");
    box->SetListField(u"s_caption");
    box->OnCloseUp = [this](TObject*) { ++closeUps; };
    ProcessPendingEvents();
    return box;
  }
  void Focus(TWinControl* control) {
    control->SetFocus();
    ProcessPendingEvents();
  }

  TForm* form = nullptr;
  TTestDataSet* table = nullptr;
  TTestDataSet* departments = nullptr;
  TDataSource* source = nullptr;
  TDataSource* listSource = nullptr;
  TEdit* other = nullptr;
  int closeUps = 0;
};

TEST_F(DBCtrlsTest, DBTextFollowsTheCursor) {
  auto* text = new TDBText(form);
  text->SetParent(form);
  text->SetDataSource(source);
  text->SetDataField(u"name");
  EXPECT_EQ(text->GetCaption(), u"Иванов");
  EXPECT_EQ(text->GetWidth(), 65);  // no automatic size: the caption does not resize it
  table->Next();
  EXPECT_EQ(text->GetCaption(), u"Петров");
  table->Last();
  EXPECT_EQ(text->GetCaption(), u"Сидоров");
  table->Close();
  EXPECT_EQ(text->GetCaption(), u"");
  EXPECT_EQ(reinterpret_cast<TFieldDataLink*>(text->Perform(CM_GETDATALINK))->GetFieldName(), u"name");
}

TEST_F(DBCtrlsTest, DBEditShowsTheFieldAndPostsWhatIsTyped) {
  TDBEdit* edit = MakeEdit(u"name");
  EXPECT_EQ(edit->GetText(), u"Иванов");
  EXPECT_EQ(edit->GetMaxLength(), 20);
  Focus(edit);
  EXPECT_EQ(table->GetState(), dsBrowse);
  edit->SelectAll();
  TypeText(edit, u"Кузнецов");
  EXPECT_EQ(table->GetState(), dsEdit);
  // Not yet in the field: the dataset asks for it when it posts.
  EXPECT_EQ(table->FieldByName(u"name")->GetAsString(), u"Иванов");
  table->Post();
  EXPECT_EQ(table->GetState(), dsBrowse);
  EXPECT_EQ(table->FieldByName(u"name")->GetAsString(), u"Кузнецов");
  EXPECT_EQ(table->Row(0)[1], Variant(u"Кузнецов"));
  table->Next();
  EXPECT_EQ(edit->GetText(), u"Петров");
}

TEST_F(DBCtrlsTest, DBEditWritesTheFieldOnExit) {
  TDBEdit* edit = MakeEdit(u"name");
  Focus(edit);
  edit->SelectAll();
  TypeText(edit, u"Новиков");
  Focus(other);
  EXPECT_EQ(table->GetState(), dsEdit);
  EXPECT_EQ(table->FieldByName(u"name")->GetAsString(), u"Новиков");
  table->Cancel();
  EXPECT_EQ(edit->GetText(), u"Иванов");
}

TEST_F(DBCtrlsTest, EscTakesBackTheTypingAndTheRecordStays) {
  TDBEdit* edit = MakeEdit(u"name");
  Focus(edit);
  edit->SelectAll();
  TypeText(edit, u"Ошибка");
  SendKey(edit, VK_ESCAPE);
  EXPECT_EQ(edit->GetText(), u"Иванов");
  EXPECT_TRUE(form->GetVisible());
  table->Post();
  EXPECT_EQ(table->FieldByName(u"name")->GetAsString(), u"Иванов");
}

TEST_F(DBCtrlsTest, BadNumberRaisesTheFieldsErrorAndKeepsTheRecord) {
  TDBEdit* edit = MakeEdit(u"id_department");
  Focus(edit);
  edit->SelectAll();
  // Letters are refused by the field as they are typed.
  TypeText(edit, u"x");
  EXPECT_EQ(edit->GetText(), u"2");
  edit->SelectAll();
  TypeText(edit, u"1-2");
  EXPECT_THROW(table->Post(), EDatabaseError);
  EXPECT_EQ(table->GetState(), dsEdit);
  EXPECT_EQ(table->Row(0)[2], Variant(2));
  // Leaving raises the same error and the edit keeps the focus.
  String seen;
  Application->OnException = [&](TObject*, Exception* e) { seen = e->Message(); };
  other->SetFocus();
  ProcessPendingEvents();
  Application->OnException = TExceptionEvent();
  EXPECT_FALSE(seen.empty());
  EXPECT_TRUE(edit->Focused());
  table->Cancel();
  EXPECT_EQ(table->Row(0)[2], Variant(2));
  EXPECT_EQ(edit->GetText(), u"2");
}

TEST_F(DBCtrlsTest, DBEditTakesTheFieldsMaskAndReadOnly) {
  table->FieldByName(u"name")->SetEditMask(u">LLLLLL;0;_");
  TDBEdit* edit = MakeEdit(u"name");
  EXPECT_EQ(edit->GetEditMask(), u">LLLLLL;0;_");
  table->SetReadOnly(true);
  table->Close();
  table->Open();
  Focus(edit);
  TypeText(edit, u"abc");
  EXPECT_EQ(table->GetState(), dsBrowse);
  EXPECT_EQ(table->FieldByName(u"name")->GetAsString(), u"Иванов");
}

TEST_F(DBCtrlsTest, LookupKeyValueFromCodeShowsTheListText) {
  TDBLookupComboBox* box = MakeLookup();
  EXPECT_TRUE(VarIsNull(box->GetKeyValue()));
  EXPECT_EQ(box->GetText(), u"");
  box->SetKeyValue(2);
  EXPECT_EQ(box->GetText(), u"Цех");
  EXPECT_EQ(box->GetKeyValue(), Variant(2));
  // A key no row has shows nothing and is kept for the code to read back.
  box->SetKeyValue(-1);
  EXPECT_EQ(box->GetText(), u"");
  EXPECT_EQ(box->GetKeyValue(), Variant(-1));
  box->SetKeyValue(3);
  EXPECT_EQ(box->GetText(), u"Офис");
  box->SetKeyValue(Null());
  EXPECT_EQ(box->GetText(), u"");
  EXPECT_TRUE(VarIsNull(box->GetKeyValue()));
  // The list opened later shows the key set before.
  departments->Close();
  box->SetKeyValue(1);
  EXPECT_EQ(box->GetText(), u"");
  departments->Open();
  EXPECT_EQ(box->GetText(), u"Склад");
}

TEST_F(DBCtrlsTest, LookupKeyboardChoosesFromTheDropDown) {
  TDBLookupComboBox* box = MakeLookup();
  box->SetKeyValue(1);
  Focus(box);
  SendKey(box, VK_DOWN, {ssAlt});
  ASSERT_TRUE(box->GetDroppedDown());
  EXPECT_EQ(box->GetDropDownCount(), 4);
  EXPECT_EQ(box->GetDropDownIndex(), 0);
  SendKey(box, VK_DOWN);
  SendKey(box, VK_DOWN);
  EXPECT_EQ(box->GetKeyValue(), Variant(1));  // nothing chosen until Enter
  SendKey(box, VK_RETURN);
  EXPECT_FALSE(box->GetDroppedDown());
  EXPECT_EQ(box->GetKeyValue(), Variant(3));
  EXPECT_EQ(box->GetText(), u"Офис");
  EXPECT_EQ(closeUps, 1);
  EXPECT_TRUE(form->GetVisible());
  // Esc closes without choosing; F4 opens too.
  SendKey(box, VK_F4);
  ASSERT_TRUE(box->GetDroppedDown());
  SendKey(box, VK_UP);
  SendKey(box, VK_ESCAPE);
  EXPECT_FALSE(box->GetDroppedDown());
  EXPECT_EQ(box->GetKeyValue(), Variant(3));
  EXPECT_EQ(closeUps, 2);
}

TEST_F(DBCtrlsTest, LookupTypingSearchesTheListField) {
  TDBLookupComboBox* box = MakeLookup();
  int clicks = 0;
  box->OnClick = [&](TObject*) { ++clicks; };
  Focus(box);
  SendChar(box, u'о');
  EXPECT_EQ(box->GetKeyValue(), Variant(3));
  SendChar(box, u'х');
  EXPECT_EQ(box->GetText(), u"Охрана");
  EXPECT_EQ(box->GetKeyValue(), Variant(4));
  EXPECT_EQ(clicks, 2);
  // Closed, the arrows step to the neighbouring rows.
  SendKey(box, VK_UP);
  EXPECT_EQ(box->GetKeyValue(), Variant(3));
}

TEST_F(DBCtrlsTest, LookupNullValueKeyClearsTheKey) {
  TDBLookupComboBox* box = MakeLookup();
  box->SetNullValueKey(ShortCut(VK_DELETE, {}));
  box->SetKeyValue(2);
  Focus(box);
  SendKey(box, VK_DELETE);
  EXPECT_TRUE(VarIsNull(box->GetKeyValue()));
  EXPECT_EQ(box->GetText(), u"");
}

TEST_F(DBCtrlsTest, BoundLookupFollowsAndWritesTheDataField) {
  TDBLookupComboBox* box = MakeLookup();
  box->SetDataSource(source);
  box->SetDataField(u"id_department");
  EXPECT_EQ(box->GetText(), u"Цех");
  table->Next();
  EXPECT_TRUE(VarIsNull(box->GetKeyValue()));
  EXPECT_EQ(box->GetText(), u"");
  Focus(box);
  SendKey(box, VK_DOWN, {ssAlt});
  SendKey(box, VK_END);
  SendKey(box, VK_RETURN);
  EXPECT_EQ(table->GetState(), dsEdit);
  EXPECT_EQ(table->FieldByName(u"id_department")->GetAsInteger(), 4);
  EXPECT_EQ(box->GetText(), u"Охрана");
  table->Post();
  EXPECT_EQ(table->Row(1)[2], Variant(4));
}

TEST_F(DBCtrlsTest, LookupShowsSeveralListFields) {
  TDBLookupComboBox* box = MakeLookup();
  box->SetListField(u"s_caption;code");
  box->SetListFieldIndex(1);
  box->SetKeyValue(2);
  EXPECT_EQ(box->GetText(), u"CH");
  box->DropDown();
  EXPECT_EQ(box->GetDropDownItemText(1), u"Цех  CH");
  box->CloseUp(false);
  EXPECT_THROW(box->SetListField(u"missing"), EDatabaseError);
}

TEST_F(DBCtrlsTest, FieldFocusRequestReachesItsEdit) {
  TDBEdit* edit = MakeEdit(u"name");
  EXPECT_FALSE(edit->Focused());
  table->FieldByName(u"name")->FocusControl();
  ProcessPendingEvents();
  EXPECT_TRUE(edit->Focused());
}

TEST_F(DBCtrlsTest, LookupFreedWhileDroppedDownDoesNotCallBack) {
  TDBLookupComboBox* box = MakeLookup();
  Focus(box);
  box->DropDown();
  ASSERT_TRUE(box->GetDroppedDown());
  delete box;
  ProcessPendingEvents();
  EXPECT_EQ(closeUps, 0);
  EXPECT_TRUE(departments->GetActive());
}

TEST_F(DBCtrlsTest, DataControlsAreRegisteredForFormResources) {
  EXPECT_EQ(FindClass(u"TDBEdit"), TDBEdit::StaticClass());
  EXPECT_EQ(FindClass(u"TDBText"), TDBText::StaticClass());
  EXPECT_EQ(FindClass(u"TDBLookupComboBox"), TDBLookupComboBox::StaticClass());
  EXPECT_EQ(FindClass(u"TMaskEdit"), TMaskEdit::StaticClass());
}

}  // namespace

namespace {

const char kEditForm[] = R"(object EditResourceForm: TEditResourceForm
  Caption = 'Редактирование'
  object MaskEdit1: TMaskEdit
    Left = 8
    Top = 8
    EditMask = '!99.99.9999;1;_'
    Text = '01.02.2003'
  end
  object Memo1: TMemo
    Top = 40
    Lines.Strings = (
      'первая'
      'вторая')
    ScrollBars = ssVertical
    WantReturns = False
  end
  object DBEdit1: TDBEdit
    Top = 140
    DataField = 'name'
    CharCase = ecUpperCase
  end
  object LCB_department: TDBLookupComboBox
    Top = 170
    KeyField = 'id'
    ListField = 's_caption'
    DropDownRows = 12
  end
end
)";

class TEditResourceForm : public TForm {
  KIV_CLASS(TEditResourceForm, TForm)
 public:
  explicit TEditResourceForm(TComponent* owner) : TForm(owner) {}
};

const bool kResourceRegistered = [] {
  RegisterClass(TEditResourceForm::StaticClass());
  RegisterResource(u"TEditResourceForm", reinterpret_cast<const Byte*>(kEditForm), std::strlen(kEditForm));
  return true;
}();

TEST(DBCtrlsResourceTest, EditsAndDataControlsLoadFromAFormResource) {
  InitTestApplication();
  std::unique_ptr<TEditResourceForm> form(NewForm<TEditResourceForm>(nullptr));
  auto* mask = dynamic_cast<TMaskEdit*>(form->FindComponent(u"MaskEdit1"));
  auto* memo = dynamic_cast<TMemo*>(form->FindComponent(u"Memo1"));
  auto* edit = dynamic_cast<TDBEdit*>(form->FindComponent(u"DBEdit1"));
  auto* box = dynamic_cast<TDBLookupComboBox*>(form->FindComponent(u"LCB_department"));
  ASSERT_TRUE(mask && memo && edit && box);
  EXPECT_EQ(mask->GetEditText(), u"01.02.2003");
  EXPECT_FALSE(mask->GetModified());
  EXPECT_EQ(memo->GetLines()->GetCount(), 2);
  EXPECT_EQ(memo->GetLines()->Get(1), u"вторая");
  EXPECT_EQ(memo->GetScrollBars(), ssVertical);
  EXPECT_FALSE(memo->GetWantReturns());
  EXPECT_EQ(edit->GetDataField(), u"name");
  EXPECT_EQ(edit->GetCharCase(), ecUpperCase);
  EXPECT_EQ(box->GetListField(), u"s_caption");
  EXPECT_EQ(box->GetDropDownRows(), 12);
}

}  // namespace
