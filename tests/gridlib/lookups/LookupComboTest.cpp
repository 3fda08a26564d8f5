// The lookup combo box over a list of departments: the key and its text, typing that searches the list,
// stepping, Delete on a required key, the list-source filter with typed wildcards and quotes, a list
// changed by someone else, and the drop-down chosen from with keys and the mouse.
#include <gtest/gtest.h>

#include "gridlib/editors/DBLookupComboEh.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

std::string ComboU8(const String& s) { return StringToUtf8(s); }

class LookupComboTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 420, 320);
    depts_ = new TTestDataSet(form_.get());
    depts_->GetFieldDefs()->Add(u"id", ftInteger);
    depts_->GetFieldDefs()->Add(u"name", ftString, 40);
    const std::vector<std::pair<int, const Char*>> rows = {
        {1, u"Abc"},   {2, u"Бухгалтерия"}, {3, u"Склад 50%"},  {4, u"Склад 500"}, {5, u"Цех_1"},
        {6, u"Цех-1"}, {7, u"O'Neil"},      {8, u"Цех сборки"}, {9, u"Отдел [x]"}, {10, u"Отдел x"},
    };
    for (const auto& [id, name] : rows) depts_->AddRow({Variant(id), Variant(name)});
    depts_->Open();
    list_ = new TDataSource(form_.get());
    list_->SetDataSet(depts_);
    people_ = new TTestDataSet(form_.get());
    people_->GetFieldDefs()->Add(u"id", ftInteger);
    people_->GetFieldDefs()->Add(u"dept", ftInteger);
    people_->AddRow({Variant(100), Variant(2)});
    people_->Open();
    data_ = new TDataSource(form_.get());
    data_->SetDataSet(people_);
    other_ = new TEdit(form_.get());
    other_->SetParent(form_.get());
    other_->SetBounds(10, 280, 100, 24);
  }
  void TearDown() override { form_.reset(); }

  TDBLookupComboboxEh* Make(bool bound, TDBLookupComboboxEhStyle style = csDropDownListEh) {
    auto* box = new TDBLookupComboboxEh(form_.get());
    box->SetParent(form_.get());
    box->SetBounds(10, 10, 200, 24);
    box->SetStyle(style);
    box->SetKeyField(u"id");
    box->SetListField(u"name");
    box->SetListSource(list_);
    if (bound) {
      box->SetDataSource(data_);
      box->SetDataField(u"dept");
    }
    form_->Show();
    ProcessPendingEvents();
    return box;
  }
  void Focus(TWinControl* control) {
    control->SetFocus();
    ProcessPendingEvents();
  }
  // The names the list dataset lets through now.
  std::vector<std::string> VisibleNames() {
    std::vector<std::string> names;
    for (depts_->First(); !depts_->GetEof(); depts_->Next())
      names.push_back(ComboU8(depts_->FieldByName(u"name")->GetAsString()));
    return names;
  }

  std::unique_ptr<TForm> form_;
  TTestDataSet* depts_ = nullptr;
  TTestDataSet* people_ = nullptr;
  TDataSource* list_ = nullptr;
  TDataSource* data_ = nullptr;
  TEdit* other_ = nullptr;
};

TEST_F(LookupComboTest, UnboundKeyShowsItsTextAndAMissingKeyNone) {
  auto* box = Make(false);
  int changes = 0;
  box->OnKeyValueChanged = [&](TObject*) { ++changes; };
  EXPECT_TRUE(box->GetListActive());
  EXPECT_FALSE(box->GetKeyTextIndependent());
  box->SetKeyValue(Variant(3));
  EXPECT_EQ(ComboU8(box->GetText()), "Склад 50%");
  EXPECT_EQ(changes, 1);
  box->SetKeyValue(Variant(3));
  EXPECT_EQ(changes, 1) << "the same key again changes nothing";
  box->SetKeyValue(Variant(42));
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 42) << "a key the list lacks is kept";
  EXPECT_EQ(box->GetText(), u"");
  box->SetKeyValue(Variant::Null());
  EXPECT_TRUE(box->GetKeyValue().IsNull());

  // Without any settings the box is a plain text edit.
  auto* plain = new TDBLookupComboboxEh(form_.get());
  plain->SetParent(form_.get());
  EXPECT_TRUE(plain->GetKeyTextIndependent());
  plain->SetText(u"свободный текст");
  EXPECT_EQ(ComboU8(plain->GetText()), "свободный текст");
}

TEST_F(LookupComboTest, TypingSearchesTheListAndKeepsTheTypedPartUnselected) {
  auto* box = Make(true);
  Focus(box);
  box->SelectAll();
  // Lower case finds "Abc" through the retry without regard to case; the tail stays selected.
  SendChar(box, u'a');
  EXPECT_EQ(ComboU8(box->GetText()), "Abc");
  EXPECT_EQ(box->GetSelStart(), 1);
  EXPECT_EQ(box->GetSelLength(), 2);
  EXPECT_EQ(people_->FieldByName(u"dept")->GetAsInteger(), 2) << "the field is written when the box posts";
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 1);
  SendChar(box, u'b');
  EXPECT_EQ(box->GetSelStart(), 2);
  // A character that no list text continues with changes neither key nor text.
  SendChar(box, u'z');
  EXPECT_EQ(ComboU8(box->GetText()), "Abc");
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 1);
  // Backspace only moves the selection's start back; the key stays.
  SendChar(box, u'\b');
  EXPECT_EQ(box->GetSelStart(), 1);
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 1);
  // Typed wildcards and quotes are characters of the searched text.
  box->SelectAll();
  TypeText(box, u"Склад 50%");
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 3);
  box->SelectAll();
  TypeText(box, u"O'");
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 7);
  box->SelectAll();
  TypeText(box, u"Цех_");
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 5);

  Focus(other_);
  EXPECT_EQ(people_->FieldByName(u"dept")->GetAsInteger(), 5) << "leaving the box writes the key";
}

TEST_F(LookupComboTest, FreeTypingStyleForgetsTheKeyOfATextNotInTheList) {
  auto* box = Make(false, csDropDownEh);
  box->SetKeyValue(Variant(2));
  Focus(box);
  box->SelectAll();
  TypeText(box, u"Скл");
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 3) << "the first name beginning with the text";
  EXPECT_EQ(ComboU8(box->GetText()), "Склад 50%");
  // Backspace takes the completed tail away and completes nothing again: the text is no list text now.
  SendKey(box, VK_BACK);
  EXPECT_EQ(ComboU8(box->GetText()), "Скл");
  EXPECT_TRUE(box->GetKeyValue().IsNull());
  // Delete removes one character; the rest is searched as it stands.
  TypeText(box, u"ад 50%");
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 3);
  box->SetSelStart(0);
  box->SetSelLength(0);
  SendKey(box, VK_DELETE);
  EXPECT_EQ(ComboU8(box->GetText()), "клад 50%");
  EXPECT_TRUE(box->GetKeyValue().IsNull());
  box->SelectAll();
  TypeText(box, u"Нет такого");
  EXPECT_TRUE(box->GetKeyValue().IsNull());
  EXPECT_EQ(ComboU8(box->GetText()), "Нет такого");
}

TEST_F(LookupComboTest, ArrowsAndWheelStepThroughTheList) {
  auto* box = Make(false);
  Focus(box);
  box->SetKeyValue(Variant(1));
  SendKey(box, VK_DOWN);
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 2);
  SendKey(box, VK_UP);
  SendKey(box, VK_UP);
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 1) << "the first record keeps its key";
  box->SetKeyValue(Variant(10));
  SendKey(box, VK_DOWN);
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 10) << "the last record keeps its key";
  box->SetKeyValue(Variant(42));
  SendKey(box, VK_DOWN);
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 1) << "a key not in the list steps onto the first record";
  SendWheel(box, -120, TPoint(5, 5));
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 2);
  box->SetReadOnly(true);
  SendWheel(box, -120, TPoint(5, 5));
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 2) << "a read-only box does not step";
}

TEST_F(LookupComboTest, DeleteClearsOnlyAKeyTheFieldLetsGo) {
  struct Case {
    bool required;
    bool cleared;
  } cases[] = {{false, true}, {true, false}};
  for (const Case& c : cases) {
    people_->FieldByName(u"dept")->SetRequired(c.required);
    auto* box = Make(true);
    Focus(box);
    box->SelectAll();
    SendKey(box, VK_DELETE);
    Focus(other_);
    EXPECT_EQ(people_->FieldByName(u"dept")->IsNull(), c.cleared) << "required " << c.required;
    EXPECT_EQ(box->GetText().empty(), c.cleared);
    people_->Cancel();
    delete box;
  }
}

TEST_F(LookupComboTest, ListFilterSearchesTypedTextAsCharacters) {
  auto* box = Make(false);
  box->GetDropDownBox()->SetListSource(list_);
  struct Case {
    const Char* typed;
    TLSAutoFilterTypeEh type;
    const Char* filter;
    std::vector<std::string> names;
  } cases[] = {
      {u"Склад 50%", lsftBeginsWithEh, u"[name] like 'Склад 50[%]*'", {"Склад 50%"}},
      {u"Цех_", lsftBeginsWithEh, u"[name] like 'Цех[_]*'", {"Цех_1"}},
      {u"O'N", lsftContainsEh, u"[name] like '*O''N*'", {"O'Neil"}},
      {u"[x]", lsftContainsEh, u"[name] like '*[[]x]*'", {"Отдел [x]"}},
      {u"цех", lsftContainsEh, u"[name] like '*цех*'", {"Цех_1", "Цех-1", "Цех сборки"}},
  };
  for (const Case& c : cases) {
    box->GetDropDownBox()->SetListSourceAutoFilterType(c.type);
    box->RefilterDropDownBoxListSource(c.typed);
    EXPECT_EQ(ComboU8(depts_->GetFilter()), ComboU8(c.filter));
    EXPECT_TRUE(depts_->GetFiltered());
    EXPECT_EQ(VisibleNames(), c.names) << ComboU8(c.typed);
  }
  // An empty text takes the filter away and leaves the switch as it was.
  box->RefilterDropDownBoxListSource(String());
  EXPECT_EQ(depts_->GetFilter(), u"");
  EXPECT_TRUE(depts_->GetFiltered());
  EXPECT_EQ(VisibleNames().size(), 10u);
}

TEST_F(LookupComboTest, ListChangedElsewhereShowsTheNewText) {
  auto* box = Make(true);
  EXPECT_EQ(ComboU8(box->GetText()), "Бухгалтерия");
  depts_->Locate(u"id", Variant(2), {});
  depts_->Edit();
  depts_->FieldByName(u"name")->SetAsString(u"Бухгалтерия и финансы");
  depts_->Post();
  EXPECT_EQ(ComboU8(box->GetText()), "Бухгалтерия и финансы");
  depts_->Refresh();
  EXPECT_EQ(ComboU8(box->GetText()), "Бухгалтерия и финансы");
  EXPECT_FALSE(box->GetModified()) << "a text shown anew is no edit of the user";
}

TEST_F(LookupComboTest, LookupFieldGivesTheListAndReceivesTheKeyInItsKeyField) {
  people_->Close();
  for (const Char* name : {u"id", u"dept"}) people_->GetFieldDefs()->Find(name)->CreateField(form_.get());
  auto* deptName = new TStringField(form_.get());
  deptName->SetFieldName(u"dept_name");
  deptName->SetFieldKind(fkLookup);
  deptName->SetLookupDataSet(depts_);
  deptName->SetKeyFields(u"dept");
  deptName->SetLookupKeyFields(u"id");
  deptName->SetLookupResultField(u"name");
  deptName->SetDataSet(people_);
  people_->Open();
  auto* box = new TDBLookupComboboxEh(form_.get());
  box->SetParent(form_.get());
  box->SetBounds(10, 10, 200, 24);
  box->SetDataSource(data_);
  box->SetDataField(u"dept_name");
  form_->Show();
  ProcessPendingEvents();
  EXPECT_TRUE(box->GetLookupMode());
  EXPECT_EQ(box->GetKeyField(), u"") << "the key field belongs to the lookup field";
  EXPECT_EQ(box->GetListSource(), nullptr);
  EXPECT_EQ(ComboU8(box->GetText()), "Бухгалтерия");
  try {
    box->SetKeyField(u"name");
    FAIL() << "the lookup field's settings cannot be changed";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Property already defined by lookup field");
  }
  Focus(box);
  box->SelectAll();
  TypeText(box, u"Цех-");
  Focus(other_);
  EXPECT_EQ(people_->FieldByName(u"dept")->GetAsInteger(), 6);
}

TEST_F(LookupComboTest, DropDownIsChosenFromWithKeysAndTheMouse) {
  auto* box = Make(true);
  box->GetDropDownBox()->SetRows(20);
  Focus(box);
  box->DropDown(nullptr);
  ASSERT_TRUE(box->GetListVisible());
  TPopupDataGridBoxEh* list = box->GetDataList();
  TPopupInnerDataGridEh* grid = list->GetInnerDataGrid();
  EXPECT_EQ(grid->GetRowCountProp(), 10) << "ten records open ten rows high";
  EXPECT_EQ(ComboU8(list->GetSelectedItem()), "Бухгалтерия");
  EXPECT_GE(list->GetWidth(), box->GetWidth());
  SendKey(box, VK_DOWN);
  EXPECT_EQ(list->GetKeyValue().AsInteger(), 3);
  SendKey(box, VK_ESCAPE);
  EXPECT_FALSE(box->GetListVisible());
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 2) << "Escape leaves the key";

  box->DropDown(nullptr);
  SendKey(box, VK_DOWN);
  SendKey(box, VK_RETURN);
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 3) << "Enter takes the highlighted record";
  EXPECT_EQ(ComboU8(box->GetText()), "Склад 50%");

  // A press and release on a row takes that row; a release outside the list takes nothing.
  box->DropDown(nullptr);
  const TRect row = grid->CellRect(0, 4, true);
  const TPoint at(row.Left + 5, (row.Top + row.Bottom) / 2);
  SendMouseDown(grid, mbLeft, at);
  SendMouseUp(grid, mbLeft, at);
  EXPECT_FALSE(box->GetListVisible());
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 5);
  box->DropDown(nullptr);
  SendMouseDown(grid, mbLeft, at);
  SendMouseUp(grid, mbLeft, TPoint(-20, -20));
  EXPECT_FALSE(box->GetListVisible());
  EXPECT_EQ(box->GetKeyValue().AsInteger(), 5);
  Focus(other_);
  EXPECT_EQ(people_->FieldByName(u"dept")->GetAsInteger(), 5);
}

TEST_F(LookupComboTest, DropDownSettingsReachTheListAndForgetAFreedSource) {
  auto* box = Make(false);
  auto* filtered = new TDataSource(form_.get());
  filtered->SetDataSet(depts_);
  box->GetDropDownBox()->SetListSource(filtered);
  delete filtered;
  EXPECT_EQ(box->GetDropDownBox()->GetListSource(), nullptr);
  box->RefilterDropDownBoxListSource(u"Цех");
  EXPECT_EQ(depts_->GetFilter(), u"") << "no source, nothing filtered";

  TColumnDropDownBoxEh* settings = box->GetDropDownBox();
  EXPECT_EQ(settings->GetOptions(), 1 << dlgColLinesEh);
  settings->SetOptions(settings->GetOptions() | (1 << dlgRowLinesEh));
  const TDBGridOptions options = box->GetDataList()->GetInnerDataGrid()->GetDBOptions();
  EXPECT_TRUE(options.Contains(dgRowLines));
  EXPECT_TRUE(options.Contains(dgColLines));
}

TEST_F(LookupComboTest, ColumnsMovedInTheOpenListKeepTheirOrderAfterClosing) {
  auto* box = Make(true);
  box->SetListField(u"name;id");
  box->GetDropDownBox()->GetSpecRow()->SetCellsText(u"(нет);0");
  box->GetDropDownBox()->GetSpecRow()->SetVisible(true);
  Focus(box);
  box->DropDown(nullptr);
  TPopupInnerDataGridEh* grid = box->GetDataList()->GetInnerDataGrid();
  // The user drags the name column behind the id column.
  static_cast<TColumnEh*>(grid->GetColumns()->GetItem(0))->SetIndex(1);
  if (grid->OnColumnMoved) grid->OnColumnMoved(grid, 0, 1);
  box->CloseUp(false);
  EXPECT_EQ(ComboU8(box->GetListField()), "id;name");
  EXPECT_EQ(box->GetListFieldIndex(), 1);
  EXPECT_EQ(ComboU8(box->GetText()), "Бухгалтерия") << "the shown field is still the name";
  EXPECT_EQ(ComboU8(box->GetDropDownBox()->GetSpecRow()->GetCellsText()), "0;(нет)");
  // The next opening shows the columns in that order.
  box->DropDown(nullptr);
  EXPECT_EQ(ComboU8(static_cast<TColumnEh*>(grid->GetColumns()->GetItem(0))->GetFieldName()), "id");
  box->CloseUp(false);
}

TEST_F(LookupComboTest, SpecialRowAboveTheListIsChosenLikeARecord) {
  auto* box = Make(true);
  TSpecRowEh* spec = box->GetDropDownBox()->GetSpecRow();
  spec->SetCellsText(u"(не выбрано)");
  spec->SetValue(Variant(-1));
  spec->SetVisible(true);
  Focus(box);
  box->DropDown(nullptr);
  TPopupInnerDataGridEh* grid = box->GetDataList()->GetInnerDataGrid();
  const TRect specCell = grid->CellRect(0, 0, true);
  const TPoint at(specCell.Left + 5, (specCell.Top + specCell.Bottom) / 2);
  ASSERT_TRUE(grid->SpecRowAt(at.X, at.Y));
  SendMouseDown(grid, mbLeft, at);
  SendMouseUp(grid, mbLeft, at);
  EXPECT_FALSE(box->GetListVisible());
  EXPECT_EQ(box->GetKeyValue().AsInteger(), -1);
  EXPECT_EQ(ComboU8(box->GetText()), "(не выбрано)");
  // From the keyboard: Down from the special row reaches the first record, Up goes back to it.
  box->DropDown(nullptr);
  SendKey(box, VK_DOWN);
  EXPECT_EQ(box->GetDataList()->GetKeyValue().AsInteger(), 1);
  SendKey(box, VK_UP);
  SendKey(box, VK_RETURN);
  EXPECT_EQ(box->GetKeyValue().AsInteger(), -1);
  Focus(other_);
  EXPECT_EQ(people_->FieldByName(u"dept")->GetAsInteger(), -1);
}

}  // namespace

namespace {

TEST_F(LookupComboTest, ListResizedByItsGripOpensWithThatSizeNextTime) {
  auto* box = Make(true);
  box->GetDropDownBox()->SetRows(4);
  box->GetDropDownBox()->SetSizable(true);
  Focus(box);
  box->DropDown(nullptr);
  TPopupDataGridBoxEh* list = box->GetDataList();
  TPopupInnerDataGridEh* grid = list->GetInnerDataGrid();
  ASSERT_EQ(grid->GetRowCountProp(), 4);
  EXPECT_FALSE(grid->GetSizeGripResized()) << "opening is no resize of the user";
  ASSERT_EQ(grid->GetSizeGripPostion(), sgpBottomRight) << "opened below and to the right";
  TControl* grip = grid->GetCornerScrollBarPanelControl();
  ASSERT_TRUE(grip->GetVisible());
  const Integer rowHeight = grid->GetDataRowHeight();
  const Integer oldWidth = list->GetWidth();
  const TPoint from(grip->GetWidth() / 2, grip->GetHeight() / 2);
  // Three rows and a half lower: the list keeps whole rows.
  SendDrag(grip, from, grip, TPoint(from.X + 40, from.Y + 3 * rowHeight + rowHeight / 2));
  EXPECT_TRUE(grid->GetSizeGripResized());
  EXPECT_EQ(grid->GetRowCountProp(), 7);
  EXPECT_EQ(list->GetWidth(), oldWidth + 40);
  SendKey(box, VK_ESCAPE);
  EXPECT_EQ(box->GetDropDownBox()->GetRows(), 7);
  EXPECT_EQ(box->GetDropDownBox()->GetWidth(), oldWidth + 40);

  box->DropDown(nullptr);
  EXPECT_EQ(grid->GetRowCountProp(), 7) << "the remembered size is used again";
  EXPECT_EQ(list->GetWidth(), oldWidth + 40);
  // Dragged up and left past its corner, the list keeps one row and room for its scroll bar.
  const TPoint corner(grip->GetWidth() / 2, grip->GetHeight() / 2);
  SendDrag(grip, corner, grip, TPoint(corner.X - 1000, corner.Y - 1000));
  EXPECT_EQ(grid->GetRowCountProp(), 1);
  EXPECT_GE(grid->GetWidth(), 2 * GetSystemMetrics(SM_CXVSCROLL));
  SendKey(box, VK_ESCAPE);
  EXPECT_EQ(box->GetDropDownBox()->GetRows(), 1);

  box->DropDown(nullptr);
  SendKey(box, VK_ESCAPE);
  EXPECT_EQ(box->GetDropDownBox()->GetRows(), 1) << "closing without a resize keeps the settings";
}

TEST_F(LookupComboTest, ListOpenedAboveItsBoxHasItsGripInATopCorner) {
  auto* box = Make(true);
  box->GetDropDownBox()->SetSizable(true);
  // The box at the bottom of the screen's work area: the list has no room below it.
  const TRect work = Screen->WorkAreaOfRect(TRect(0, 0, 10, 10));
  form_->SetBounds(0, work.Bottom - form_->GetHeight(), form_->GetWidth(), form_->GetHeight());
  box->SetTop(form_->GetClientHeight() - box->GetHeight());
  ProcessPendingEvents();
  Focus(box);
  box->DropDown(nullptr);
  TPopupDataGridBoxEh* list = box->GetDataList();
  ASSERT_LT(list->GetTop(), box->ClientToScreen(TPoint(0, 0)).Y) << "the list stands above the box";
  EXPECT_EQ(list->GetInnerDataGrid()->GetSizeGripPostion(), sgpTopRight);
  SendKey(box, VK_ESCAPE);
  // A list that may not be resized shows no grip, wherever it opens.
  box->GetDropDownBox()->SetSizable(false);
  box->DropDown(nullptr);
  TPopupInnerDataGridEh* grid = list->GetInnerDataGrid();
  EXPECT_EQ(grid->GetSizeGripPostion(), sgpBottomRight);
  EXPECT_FALSE(grid->GetCornerScrollBarPanelControl()->IsGripActive());
}

}  // namespace
