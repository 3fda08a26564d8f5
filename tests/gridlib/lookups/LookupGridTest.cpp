// The lookup grid and its drop-down box: heights of whole rows, the width that shows every column, the
// special row reached from the keyboard and standing for keys not in the list, typing that searches, and
// the box the axis grid's data-list drop-down gets.
#include <gtest/gtest.h>

#include <functional>

#include "gridlib/editors/DBLookupGridsEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

class LookupGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 420, 320);
    items_ = new TTestDataSet(form_.get());
    items_->GetFieldDefs()->Add(u"id", ftInteger);
    items_->GetFieldDefs()->Add(u"name", ftString, 30);
    items_->GetFieldDefs()->Add(u"code", ftString, 10);
    items_->AddRow({Variant(1), Variant(u"Болт"), Variant(u"B1")});
    items_->AddRow({Variant(2), Variant(u"Гайка"), Variant(u"G2")});
    items_->AddRow({Variant(3), Variant(u"Шайба"), Variant(u"S3")});
    items_->Open();
    source_ = new TDataSource(form_.get());
    source_->SetDataSet(items_);
    box_ = new TPopupDataGridBoxEh(form_.get());
    box_->SetKeyField(u"id");
    box_->SetListField(u"name;code");
    box_->SetListSource(source_);
    box_->HandleNeeded();
    box_->SetBounds(0, 0, 240, 100);
    grid_ = box_->GetInnerDataGrid();
  }
  void TearDown() override { form_.reset(); }
  // Two orders of the items 2 and 3, not yet open.
  TTestDataSet* MakeOrders() {
    auto* orders = new TTestDataSet(form_.get());
    orders->GetFieldDefs()->Add(u"id", ftInteger);
    orders->GetFieldDefs()->Add(u"item", ftInteger);
    orders->AddRow({Variant(10), Variant(2)});
    orders->AddRow({Variant(11), Variant(3)});
    return orders;
  }
  void Press(Word key) {
    Word k = key;
    grid_->KeyDown(k, {});
  }

  std::unique_ptr<TForm> form_;
  TTestDataSet* items_ = nullptr;
  TDataSource* source_ = nullptr;
  TPopupDataGridBoxEh* box_ = nullptr;
  TPopupInnerDataGridEh* grid_ = nullptr;
};

TEST_F(LookupGridTest, BoxIsWholeRowsHighWithinOneAndAHundred) {
  struct Case {
    Integer asked, rows;
  } cases[] = {{0, 1}, {-5, 1}, {3, 3}, {250, 100}, {1000, 100}};
  const Integer frame = box_->GetHeight() - box_->GetClientHeight();
  for (const Case& c : cases) {
    box_->SetRowCount(c.asked);
    EXPECT_EQ(box_->GetRowCount(), c.rows) << c.asked;
    EXPECT_EQ(box_->GetHeight(), grid_->CalcAutoHeightForRowCount(c.rows) + frame) << c.asked;
  }
  // An offered height is rounded down to whole rows, never below one.
  EXPECT_EQ(grid_->AdjustHeight(grid_->CalcAutoHeightForRowCount(4) + grid_->GetDataRowHeight() / 2),
            grid_->CalcAutoHeightForRowCount(4));
  EXPECT_EQ(grid_->AdjustHeight(1), grid_->CalcAutoHeightForRowCount(1));
}

TEST_F(LookupGridTest, RowsFittedToTheirTextMakeTheBoxAsHighAsTheRowsThatExist) {
  InitializeMemTableEh();
  auto* table = new TMemTableEh(form_.get());
  table->GetFieldDefs()->Add(u"id", ftInteger);
  table->GetFieldDefs()->Add(u"name", ftString, 30);
  table->CreateDataSet();
  for (int id = 1; id <= 5; ++id) {
    table->Append();
    table->SetFields({Variant(id), Variant(String(u"Строка ") + IntToStr(id))});
    table->Post();
  }
  table->First();
  auto* tableSource = new TDataSource(form_.get());
  tableSource->SetDataSet(table);
  // Each record asks for its own height, as wrapped text would.
  const auto heightOf = [](int id) { return 16 + id * 4; };
  grid_->OnGetRowHeight = [&](TObject*, Integer& height) {
    height = heightOf(table->FieldByName(u"id")->GetAsInteger());
  };
  box_->SetListField(u"name");
  box_->SetListSource(tableSource);
  grid_->SetOptions({dlgColLinesEh, dlgAutoFitRowHeightEh});
  const Integer frame = box_->GetHeight() - box_->GetClientHeight();
  const Integer border = grid_->GetBorderHeight();
  box_->SetRowCount(3);
  EXPECT_EQ(box_->GetHeight(), frame + border + heightOf(1) + heightOf(2) + heightOf(3));
  box_->SetRowCount(20);
  EXPECT_EQ(box_->GetHeight(),
            frame + border + heightOf(1) + heightOf(2) + heightOf(3) + heightOf(4) + heightOf(5))
      << "only the rows that exist count";
  // An offered height is kept as it is: fitted rows are no whole multiple of one height.
  EXPECT_EQ(grid_->AdjustHeight(101), 101);
}

TEST_F(LookupGridTest, WidthToFitCountsEveryColumnsLine) {
  ASSERT_EQ(grid_->GetColumns()->GetCount(), 2);
  auto column = [this](Integer i) { return static_cast<TColumnEh*>(grid_->GetColumns()->GetItem(i)); };
  column(0)->SetWidth(100);
  column(1)->SetWidth(80);
  const Integer line = grid_->GetGridLineWidth();
  EXPECT_EQ(grid_->GetColumnsWidthToFit(), 180 + 2 * line);
  // A hidden column shows no width but keeps its line.
  column(1)->SetVisible(false);
  EXPECT_EQ(grid_->GetColumnsWidthToFit(), 100 + 2 * line);
}

TEST_F(LookupGridTest, ColumnSizedByTheUserWidensTheBoxAndKeepsTheOtherColumns) {
  box_->SetShowTitles(true);
  grid_->SetOptions({dlgColLinesEh, dlgColumnResizeEh});
  grid_->SetLGAutoFitColWidths(true);
  box_->SetRowCount(3);
  ProcessPendingEvents();
  auto column = [this](Integer i) { return static_cast<TColumnEh*>(grid_->GetColumns()->GetItem(i)); };
  const Integer boxWidth = box_->GetWidth(), first = column(0)->GetWidth(), second = column(1)->GetWidth();
  const TRect title = grid_->CellRect(grid_->GetIndicatorOffset(), 0, true);
  SendDrag(grid_, TPoint(title.Right - 1, title.Top + 5), grid_, TPoint(title.Right + 39, title.Top + 5));
  EXPECT_EQ(column(0)->GetWidth(), first + 40);
  EXPECT_EQ(column(1)->GetWidth(), second) << "the next column is not squeezed to pay for it";
  EXPECT_EQ(box_->GetWidth(), boxWidth + 40) << "the box widens by what the column gained";
  EXPECT_EQ(column(0)->GetInitWidth(), first + 40) << "a later fitting starts from the sized widths";
  EXPECT_EQ(column(1)->GetInitWidth(), second);
}

TEST_F(LookupGridTest, BoxDraggedSmallKeepsAScrollBarWideAndOneRowHigh) {
  TSpecRowEh* spec = grid_->GetSpecRow();
  for (const bool withSpec : {false, true}) {
    spec->SetVisible(withSpec);
    Integer width = 1, height = 1;
    EXPECT_TRUE(grid_->CanResize(width, height));
    EXPECT_EQ(width, 2 * GetSystemMetrics(SM_CXVSCROLL)) << withSpec;
    EXPECT_EQ(height, grid_->GetBorderHeight() + grid_->GetDataRowHeight() +
                          (withSpec ? grid_->GetSpecRowHeight() : 0))
        << withSpec;
  }
  // A size above the minimum is left to the box, which rounds it to whole rows.
  Integer width = 300, height = 157;
  EXPECT_TRUE(grid_->CanResize(width, height));
  EXPECT_EQ(width, 300);
  EXPECT_EQ(height, 157);
}

TEST_F(LookupGridTest, MovedColumnTakesItsSpecialCellAndTheListFieldsFollow) {
  grid_->SetKeyValue(Variant(2));
  TSpecRowEh* spec = grid_->GetSpecRow();
  spec->SetCellsText(u"(нет);\"a;b\"");
  spec->SetVisible(true);
  auto column = [this](Integer i) { return static_cast<TColumnEh*>(grid_->GetColumns()->GetItem(i)); };
  TColumnEh* name = column(0);
  name->SetIndex(1);
  EXPECT_EQ(column(1), name) << "the moved column is the same object, not a rebuilt one";
  EXPECT_EQ(StringToUtf8(grid_->GetListField()), "code;name");
  EXPECT_EQ(grid_->GetListFieldIndex(), 1) << "the shown field keeps being the name";
  EXPECT_EQ(StringToUtf8(grid_->GetSelectedItem()), "Гайка");
  EXPECT_EQ(StringToUtf8(spec->GetCellText(0)), "a;b") << "a cell holding the separator stays whole";
  EXPECT_EQ(StringToUtf8(spec->GetCellText(1)), "(нет)");
  EXPECT_EQ(items_->FieldByName(u"name")->GetIndex(), 1) << "the list dataset keeps its field order";
  // Moving the other column back shifts the shown field's place by one.
  column(0)->SetIndex(1);
  EXPECT_EQ(StringToUtf8(grid_->GetListField()), "name;code");
  EXPECT_EQ(grid_->GetListFieldIndex(), 0);
  EXPECT_EQ(StringToUtf8(spec->GetCellText(1)), "a;b");
}

TEST_F(LookupGridTest, BoxTakesTheHeightTheGridWasSizedToAlone) {
  box_->StartInitSize();
  EXPECT_EQ(grid_->GetAlign(), alNone);
  EXPECT_EQ(grid_->GetLeft(), 0);
  EXPECT_EQ(grid_->GetTop(), 0);
  const Integer height = grid_->CalcAutoHeightForRowCount(5);
  grid_->SetHeight(height);
  box_->StopInitSize();
  EXPECT_EQ(box_->GetClientHeight(), height);
  EXPECT_EQ(grid_->GetAlign(), alClient);
  EXPECT_EQ(grid_->GetHeight(), height) << "the grid fills the box again";
}

TEST_F(LookupGridTest, KeysMoveTheChoiceAndTheSpecialRowStandsAboveTheList) {
  grid_->SetKeyValue(Variant(2));
  EXPECT_EQ(StringToUtf8(grid_->GetSelectedItem()), "Гайка");
  Press(VK_DOWN);
  EXPECT_EQ(grid_->GetKeyValue().AsInteger(), 3);
  Press(VK_DOWN);
  EXPECT_EQ(grid_->GetKeyValue().AsInteger(), 3) << "the last record stays chosen";
  Press(VK_HOME);
  EXPECT_EQ(grid_->GetKeyValue().AsInteger(), 1);

  TSpecRowEh* spec = grid_->GetSpecRow();
  spec->SetCellsText(u"(нет);");
  spec->SetValue(Variant(-1));
  spec->SetVisible(true);
  Press(VK_UP);
  EXPECT_EQ(grid_->GetKeyValue().AsInteger(), -1) << "up from the first record reaches the special row";
  EXPECT_TRUE(spec->GetSelected());
  EXPECT_EQ(StringToUtf8(grid_->GetSelectedItem()), "(нет)");
  Press(VK_DOWN);
  EXPECT_EQ(grid_->GetKeyValue().AsInteger(), 1);

  // A key the list lacks: the special row stands for it, or without that the list shows nothing chosen.
  grid_->SetKeyValue(Variant(99));
  EXPECT_TRUE(spec->GetSelected());
  spec->SetShowIfNotInKeyList(false);
  grid_->SetKeyValue(Variant(98));
  EXPECT_FALSE(spec->GetSelected());
  EXPECT_EQ(grid_->GetSelectedItem(), u"");
  EXPECT_EQ(items_->RecNo(), 1);
}

TEST_F(LookupGridTest, SpecialRowStandsUnderTheTitlesWhenTheyShow) {
  grid_->SetKeyValue(Variant(2));
  TSpecRowEh* spec = grid_->GetSpecRow();
  spec->SetCellsText(u"(нет);");
  spec->SetValue(Variant(-1));
  spec->SetColor(clYellow);
  spec->SetVisible(true);
  box_->SetShowTitles(true);
  box_->SetRowCount(3);
  ProcessPendingEvents();
  EXPECT_EQ(grid_->GetVisibleRowCount(), 3) << "titles and the special row above three whole rows";
  const auto centre = [](const TRect& r) { return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); };
  const TPoint title = centre(grid_->CellRect(0, 0, true));
  const TPoint specCell = centre(grid_->CellRect(0, 1, true));
  EXPECT_FALSE(grid_->SpecRowAt(title.X, title.Y));
  ASSERT_TRUE(grid_->SpecRowAt(specCell.X, specCell.Y));
  const std::unique_ptr<TBitmap> shot = CaptureControl(grid_);
  EXPECT_EQ(PixelAt(shot.get(), 3, specCell.Y), clYellow) << "the special row is painted with its colour";
  EXPECT_NE(PixelAt(shot.get(), 3, title.Y), clYellow) << "the titles stay titles";

  SendMouseDown(grid_, mbLeft, specCell);
  SendMouseUp(grid_, mbLeft, specCell);
  EXPECT_EQ(grid_->GetKeyValue().AsInteger(), -1);
  EXPECT_EQ(StringToUtf8(grid_->GetSelectedItem()), "(нет)");
  Press(VK_DOWN);
  EXPECT_EQ(grid_->GetKeyValue().AsInteger(), 1);
  Press(VK_UP);
  EXPECT_EQ(grid_->GetKeyValue().AsInteger(), -1) << "up from the first record reaches it";
  // A click on the titles chooses nothing.
  SendMouseDown(grid_, mbLeft, title);
  SendMouseUp(grid_, mbLeft, title);
  EXPECT_EQ(grid_->GetKeyValue().AsInteger(), -1);
}

TEST_F(LookupGridTest, TypingFindsTheFirstNameBeginningWithTheLetters) {
  grid_->SetKeyValue(Variant(1));
  Char key = u'ш';
  grid_->KeyPress(key);
  EXPECT_EQ(grid_->GetKeyValue().AsInteger(), 3);
  EXPECT_EQ(StringToUtf8(grid_->GetSearchText()), "ш");
  key = u'x';
  grid_->KeyPress(key);
  EXPECT_EQ(grid_->GetKeyValue().AsInteger(), 3) << "no name continues so: the choice stays";
  key = u'\b';
  grid_->KeyPress(key);
  EXPECT_EQ(grid_->GetSearchText(), u"");
}

TEST_F(LookupGridTest, BoundGridFollowsTheRecordAndWritesTheChosenKey) {
  TTestDataSet* orders = MakeOrders();
  orders->Open();
  auto* ordersSource = new TDataSource(form_.get());
  ordersSource->SetDataSet(orders);
  auto* grid = new TDBLookupGridEh(form_.get());
  grid->SetParent(form_.get());
  grid->SetBounds(10, 10, 200, 120);
  grid->SetListSource(source_);
  grid->SetKeyField(u"id");
  grid->SetListField(u"name");
  grid->SetDataFieldSource(ordersSource);
  grid->SetDataField(u"item");
  form_->Show();
  ProcessPendingEvents();
  EXPECT_EQ(StringToUtf8(grid->GetSelectedItem()), "Гайка");
  orders->Next();
  EXPECT_EQ(grid->GetKeyValue().AsInteger(), 3) << "the key follows the record";
  SendKey(grid, VK_UP);
  EXPECT_EQ(orders->GetState(), dsEdit);
  EXPECT_EQ(orders->FieldByName(u"item")->GetAsInteger(), 2) << "the chosen key is written into the field";
  orders->Cancel();
  EXPECT_EQ(grid->GetKeyValue().AsInteger(), 3);
  // A field that may not change keeps the grid from choosing.
  orders->FieldByName(u"item")->SetReadOnly(true);
  SendKey(grid, VK_UP);
  EXPECT_EQ(orders->GetState(), dsBrowse);
  EXPECT_EQ(grid->GetKeyValue().AsInteger(), 3);
}

TEST_F(LookupGridTest, StandaloneGridOverALookupFieldTakesItsListAndWritesItsKeyField) {
  TTestDataSet* orders = MakeOrders();
  for (const Char* name : {u"id", u"item"}) orders->GetFieldDefs()->Find(name)->CreateField(form_.get());
  auto* itemName = new TStringField(form_.get());
  itemName->SetFieldName(u"item_name");
  itemName->SetFieldKind(fkLookup);
  itemName->SetLookupDataSet(items_);
  itemName->SetKeyFields(u"item");
  itemName->SetLookupKeyFields(u"id");
  itemName->SetLookupResultField(u"name");
  itemName->SetDataSet(orders);
  orders->Open();
  auto* ordersSource = new TDataSource(form_.get());
  ordersSource->SetDataSet(orders);
  auto* grid = new TDBLookupGridEh(form_.get());
  grid->SetParent(form_.get());
  grid->SetBounds(10, 10, 200, 120);
  grid->SetListField(u"code");
  grid->SetDataFieldSource(ordersSource);
  grid->SetDataField(u"item_name");
  form_->Show();
  ProcessPendingEvents();
  ASSERT_TRUE(grid->GetLookupMode());
  EXPECT_EQ(grid->GetKeyField(), u"");
  EXPECT_EQ(grid->GetListSource(), nullptr);
  ASSERT_TRUE(grid->GetListActive());
  // The lookup field's result comes first, before the fields ListField names.
  ASSERT_EQ(grid->GetListFields().size(), 2u);
  EXPECT_EQ(grid->GetListFields()[0]->GetFieldName(), u"name");
  EXPECT_EQ(StringToUtf8(grid->GetSelectedItem()), "Гайка");
  for (auto change : {std::function<void()>([grid] { grid->SetKeyField(u"code"); }),
                      std::function<void()>([grid, this] { grid->SetListSource(source_); })}) {
    try {
      change();
      ADD_FAILURE() << "the lookup field's settings cannot be changed";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Message(), u"Property already defined by lookup field");
    }
  }
  SendKey(grid, VK_DOWN);
  EXPECT_EQ(orders->FieldByName(u"item")->GetAsInteger(), 3) << "the key goes into the lookup's key field";
  EXPECT_EQ(StringToUtf8(grid->GetSelectedItem()), "Шайба");
  orders->Cancel();
  // Another data field leaves lookup mode: the grid is a plain list again, without a list source.
  grid->SetDataField(u"item");
  EXPECT_FALSE(grid->GetLookupMode());
  EXPECT_FALSE(grid->GetListActive());
  grid->SetListSource(source_);
  grid->SetKeyField(u"id");
  EXPECT_EQ(StringToUtf8(grid->GetSelectedItem()), "G2") << "the record's key 2 shows its code";
}

TEST_F(LookupGridTest, AxisGridDataListIsAPopupDataGridBox) {
  auto* grid = new TDBGridEh(form_.get());
  auto* column = static_cast<TColumnEh*>(grid->GetColumns()->Add());
  EXPECT_NE(dynamic_cast<TPopupDataGridBoxEh*>(column->GetDataListBox()), nullptr);
}

}  // namespace
