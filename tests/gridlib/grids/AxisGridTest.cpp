// The axis grid over a dataset: bars made from the fields or by hand, the field map, the update and
// layout locks with the deferred layout, bars that follow the grid's defaults until set, the bars'
// stream form, and the texts, check boxes and steps a bar derives from its field.
#include <cmath>

#include "gridlib/base/MemoEditFormsEh.h"
#include "platform/classes/Streams.h"
#include "platform/controls/Clipbrd.h"
#include "platform/data/DBConsts.h"
#include "platform/rtl/ScopeGuard.h"
#include "tests/gridlib/grids/AxisGridTestSupport.h"

namespace {

class AxisGridTest : public AxisGridFixture {
 protected:
  // ID, NAME, PRICE, and a NOTE the grid is told to hide.
  void OpenGoods() {
    Field(u"ID", ftInteger);
    Field(u"NAME", ftString, 20);
    Field(u"PRICE", ftFloat);
    Field(u"NOTE", ftString, 10);
    data_->Open();
    data_->FieldByName(u"NOTE")->SetVisible(false);
    data_->AddRow({Variant(1), Variant(u"Болт"), Variant(2.5), Variant(u"a")});
    data_->AddRow({Variant(2), Variant(u"Гайка"), Variant(1.25), Variant(u"b")});
    data_->AddRow({Variant(3), Variant(u"Шайба"), Variant(0.5), Variant(u"c")});
    data_->First();
  }
  std::vector<String> BarNames() {
    std::vector<String> names;
    for (Integer i = 0; i < grid_->GetAxisBars()->GetCount(); ++i)
      names.push_back(grid_->GetAxisBars()->GetAxisBar(i)->GetFieldName());
    return names;
  }
  TAxisBarEh* Bar(const String& name) { return grid_->FindFieldColumn(name); }
};

TEST_F(AxisGridTest, DefaultBarsFollowTheVisibleFieldsAndStoredBarsReplaceThem) {
  MakeGrid();
  // A closed dataset without fields: one empty default bar.
  EXPECT_EQ(grid_->GetAxisBars()->GetCount(), 1);
  EXPECT_EQ(grid_->GetAxisBars()->GetState(), csDefault);
  OpenGoods();
  EXPECT_EQ(BarNames(), (std::vector<String>{u"ID", u"NAME", u"PRICE"}));
  EXPECT_FALSE(grid_->GetDataLink()->GetSparseMap());
  EXPECT_EQ(grid_->GetFieldCount(), 3);

  // One bar made by hand: the default bars go at the next layout, the map turns sparse.
  TAxisBarEh* price = grid_->GetAxisBars()->Add();
  price->SetFieldName(u"price");
  price->TCollectionItem::SetIndex(0);
  TAxisBarEh* missing = grid_->GetAxisBars()->Add();
  missing->SetFieldName(u"GONE");
  grid_->LayoutChanged();
  EXPECT_EQ(grid_->GetAxisBars()->GetState(), csCustomized);
  EXPECT_EQ(BarNames(), (std::vector<String>{u"PRICE", u"GONE"}));
  EXPECT_TRUE(grid_->GetDataLink()->GetSparseMap());
  EXPECT_EQ(grid_->GetDataLink()->MappedFieldIndex(1), -1);
  EXPECT_EQ(grid_->GetFields(1), nullptr);
  EXPECT_FALSE(grid_->GetDataLink()->GetDefaultFields());
  EXPECT_EQ(missing->GetField(), nullptr);
  EXPECT_FALSE(missing->CanModify(false));
  EXPECT_EQ(price->GetField(), data_->FieldByName(u"PRICE"));

  // Searching: the grid ignores case, the collection's name search does not.
  EXPECT_EQ(grid_->FindFieldColumn(u"PrIcE"), price);
  EXPECT_EQ(grid_->GetAxisBars()->FindBarByName(u"Column_0_PRICE"), price);
  EXPECT_EQ(grid_->GetAxisBars()->FindBarByName(u"column_0_price"), nullptr);
  EXPECT_THROW(grid_->GetFieldAxisBars(u"NOPE"), EInvalidGridOperationEh);

  // Back to the default state: one bar per visible field again.
  grid_->GetAxisBars()->SetState(csDefault);
  grid_->LayoutChanged();
  EXPECT_EQ(BarNames(), (std::vector<String>{u"ID", u"NAME", u"PRICE"}));
  grid_->GetAxisBars()->SetState(csCustomized);
  EXPECT_EQ(BarNames(), (std::vector<String>{u"ID", u"NAME", u"PRICE", u"NOTE"}));
}

TEST_F(AxisGridTest, LocksBatchLayoutsAndADeferredLayoutLeavesOthersLocksAlone) {
  MakeGrid();
  OpenGoods();
  ShowForm();
  const Integer start = grid_->GetLayoutCount();
  grid_->BeginUpdate();
  grid_->LayoutChanged();
  grid_->LayoutChanged();
  EXPECT_EQ(grid_->GetLayoutCount(), start);
  grid_->EndUpdate();
  EXPECT_EQ(grid_->GetLayoutCount(), start + 1);

  // An unmatched EndLayout does nothing.
  grid_->EndLayout();
  EXPECT_EQ(grid_->GetLayoutLock(), 0);
  EXPECT_EQ(grid_->GetUpdateLock(), 0);
  EXPECT_EQ(grid_->GetLayoutCount(), start + 1);

  // A caller holds the layout lock while a layout is deferred: its lock stays its own, and its release
  // lays out once; the queued message then finds the locks free and lays out again.
  grid_->BeginLayout();
  grid_->DeferLayout();
  grid_->DeferLayout();
  EXPECT_EQ(grid_->GetLayoutLock(), 1);
  EXPECT_EQ(grid_->GetUpdateLock(), 1);
  ProcessPendingEvents();
  EXPECT_EQ(grid_->GetLayoutLock(), 1);
  EXPECT_EQ(grid_->GetLayoutCount(), start + 1);
  grid_->EndLayout();
  EXPECT_EQ(grid_->GetLayoutLock(), 0);
  EXPECT_EQ(grid_->GetUpdateLock(), 0);
  EXPECT_EQ(grid_->GetLayoutCount(), start + 2);
  grid_->DeferLayout();
  ProcessPendingEvents();
  EXPECT_EQ(grid_->GetLayoutCount(), start + 3);
}

TEST_F(AxisGridTest, FieldMapGrowsAndKeepsOrDropsPendingChanges) {
  MakeGrid();
  OpenGoods();
  TAxisGridDataLinkEh* link = grid_->GetDataLink();
  link->ClearMapping();
  link->SetSparseMap(false);
  link->AddMapping(u"ID");
  EXPECT_EQ(link->GetFieldMapSize(), 8);
  for (int i = 0; i < 8; ++i) link->AddMapping(u"NAME");
  EXPECT_EQ(link->GetFieldMapSize(), 16);
  EXPECT_EQ(link->MappedFieldIndex(link->GetFieldCount()), -1);
  EXPECT_EQ(link->GetFields(link->GetFieldCount()), nullptr);
  EXPECT_THROW(link->AddMapping(u"GONE"), EDatabaseError);
  grid_->LayoutChanged();

  link->Modified();
  data_->Next();
  EXPECT_TRUE(link->GetModified());
  data_->Refresh();
  EXPECT_FALSE(link->GetModified());
}

TEST_F(AxisGridTest, BarsFollowTheGridsDefaultsUntilSetAndAssignCopiesOnlyWhatWasSet) {
  MakeGrid();
  OpenGoods();
  grid_->GetAxisBars()->SetState(csCustomized);
  TAxisBarEh* name = Bar(u"NAME");
  grid_->SetColor(clYellow);
  EXPECT_EQ(name->GetColor(), clYellow);
  EXPECT_FALSE(name->GetAssignedValues().Contains(cvColor));
  name->SetColor(clYellow);
  EXPECT_TRUE(name->GetAssignedValues().Contains(cvColor));
  name->GetTitle()->SetCaption(u"Наименование");
  EXPECT_EQ(Bar(u"PRICE")->GetTitle()->GetCaption(), u"PRICE");
  EXPECT_EQ(name->GetName(), u"Column_1_NAME");
  EXPECT_EQ(Bar(u"PRICE")->GetAlignment(), data_->FieldByName(u"PRICE")->GetAlignment());

  // A copy of an untouched bar keeps following the grid: its colour, font and layout are not frozen.
  TAxisBarEh* price = Bar(u"PRICE");
  TAxisBarEh* copy = grid_->GetAxisBars()->Add();
  copy->Assign(price);
  EXPECT_EQ(copy->GetFieldName(), u"PRICE");
  EXPECT_TRUE(copy->GetAssignedValues().Empty()) << copy->GetAssignedValues().Bits();
  grid_->SetColor(clAqua);
  EXPECT_EQ(copy->GetColor(), clAqua);
  grid_->GetAxisBarDefValues()->SetLayout(tlCenter);
  EXPECT_EQ(copy->GetLayout(), tlCenter);

  // What the source set arrives set.
  TAxisBarEh* copy2 = grid_->GetAxisBars()->Add();
  copy2->Assign(name);
  EXPECT_TRUE(copy2->GetAssignedValues().Contains(cvColor));
  EXPECT_EQ(copy2->GetColor(), clYellow);
  EXPECT_EQ(copy2->GetTitle()->GetCaption(), u"Наименование");

  // Restoring defaults of a bar with its own font signals a change of all bars.
  copy2->GetFont()->SetSize(14);
  EXPECT_TRUE(copy2->GetAssignedValues().Contains(cvFont));
  copy2->RestoreDefaults();
  EXPECT_TRUE(copy2->GetAssignedValues().Empty());
  EXPECT_EQ(copy2->GetFont()->GetSize(), grid_->GetFont()->GetSize());
}

TEST_F(AxisGridTest, SavedBarsLoadBackWithTheirColumnsWidthsAndTitles) {
  MakeGrid();
  OpenGoods();
  grid_->GetAxisBars()->SetState(csCustomized);
  static_cast<TTestColumnEh*>(Bar(u"NAME"))->SetWidth(150);
  Bar(u"NAME")->GetTitle()->SetCaption(u"Наименование");
  Bar(u"ID")->SetVisible(false);
  Bar(u"PRICE")->SetColor(clLime);
  Bar(u"PRICE")->GetPickList()->Add(u"1.5");
  TMemoryStream stream;
  grid_->GetAxisBars()->SaveToStream(&stream);

  auto* other = new TTestAxisGridEh(form_.get());
  other->SetParent(form_.get());
  other->SetDataSource(source_);
  stream.SetPosition(0);
  other->GetAxisBars()->LoadFromStream(&stream);
  ASSERT_EQ(other->GetAxisBars()->GetCount(), 4);
  ASSERT_EQ(other->GetVisibleAxisBars()->GetCount(), 3);
  for (Integer i = 0; i < 4; ++i) {
    auto* a = static_cast<TTestColumnEh*>(grid_->GetAxisBars()->GetAxisBar(i));
    auto* b = static_cast<TTestColumnEh*>(other->GetAxisBars()->GetAxisBar(i));
    EXPECT_EQ(a->GetFieldName(), b->GetFieldName());
    EXPECT_EQ(a->GetVisible(), b->GetVisible());
    EXPECT_EQ(a->GetWidth(), b->GetWidth());
    EXPECT_EQ(a->GetTitle()->GetCaption(), b->GetTitle()->GetCaption());
  }
  EXPECT_EQ(other->GetColWidths(1), 150);  // ID is hidden: NAME comes first
  EXPECT_EQ(other->FindFieldColumn(u"PRICE")->GetColor(), clLime);
  EXPECT_EQ(other->FindFieldColumn(u"PRICE")->GetPickList()->Get(0), u"1.5");
  EXPECT_EQ(other->FindFieldColumn(u"NAME")->GetField(), data_->FieldByName(u"NAME"));

  // A stream that is not a saved set of bars leaves the bars as they were.
  TMemoryStream junk;
  junk.Write("not a component", 15);
  junk.SetPosition(0);
  EXPECT_ANY_THROW(other->GetAxisBars()->LoadFromStream(&junk));
  EXPECT_EQ(other->GetAxisBars()->GetCount(), 4);
}

TEST_F(AxisGridTest, KeyAndPickListsChooseTheShownText) {
  Field(u"CODE", ftString, 5);
  data_->Open();
  data_->AddRow({Variant(u"1")});
  data_->AddRow({Variant(u"7")});
  data_->AddRow({Variant(u"2")});
  data_->First();
  MakeGrid();
  TAxisBarEh* bar = grid_->GetAxisBars()->GetAxisBar(0);
  bar->GetKeyList()->SetText(u"1\n0\n2");
  bar->GetPickList()->SetText(u"Да\nНет");
  bar->SetNotInKeyListIndex(1);
  struct Case {
    const char16_t* code;
    Integer notInKeyList;
    const char16_t* shown;
  } cases[] = {{u"1", 1, u"Да"}, {u"7", 1, u"Нет"}, {u"7", -1, u""}, {u"2", 1, u"Нет"}, {u"2", -1, u""}};
  for (const Case& c : cases) {
    bar->SetNotInKeyListIndex(c.notInKeyList);
    ASSERT_TRUE(data_->Locate(u"CODE", Variant(String(c.code)), {}));
    EXPECT_EQ(bar->DisplayText(), String(c.shown)) << String(c.code).size();
  }
  EXPECT_EQ(bar->GetBarType(), ctKeyPickList);
}

TEST_F(AxisGridTest, CheckBoxesReadAndWriteTheirKeyValues) {
  Field(u"FLAG", ftString, 5);
  Field(u"N", ftInteger);
  data_->Open();
  data_->AddRow({Variant(u"YES"), Variant(1)});
  data_->AddRow({Variant(u""), Variant(2)});
  data_->AddRow({Variant(u"maybe"), Variant::Null()});
  data_->First();
  MakeGrid();
  TAxisBarEh* flag = grid_->FindFieldColumn(u"FLAG");
  TAxisBarEh* n = grid_->FindFieldColumn(u"N");
  flag->SetCheckboxes(true);
  flag->GetKeyList()->SetText(u"Y;yes\nN;no;");
  n->SetCheckboxes(true);
  const TCheckBoxState flags[] = {cbChecked, cbUnchecked, cbGrayed};
  const TCheckBoxState ns[] = {cbChecked, cbUnchecked, cbGrayed};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(flag->GetCheckboxState(), flags[i]) << i;
    EXPECT_EQ(n->GetCheckboxState(), ns[i]) << i;
    data_->Next();
  }
  data_->First();
  data_->Edit();
  flag->SetCheckboxState(cbUnchecked);
  n->SetCheckboxState(cbUnchecked);
  EXPECT_EQ(data_->FieldByName(u"FLAG")->GetAsString(), u"N");
  EXPECT_EQ(data_->FieldByName(u"N")->GetAsInteger(), 0);
  flag->SetCheckboxState(cbChecked);
  EXPECT_EQ(data_->FieldByName(u"FLAG")->GetAsString(), u"Y");
  data_->Post();
}

TEST_F(AxisGridTest, SteppingWalksBothWaysAndEveryWriteGoesThroughTheHandler) {
  Field(u"KIND", ftString, 5);
  Field(u"QTY", ftInteger);
  Field(u"CODE", ftString, 5);
  data_->Open();
  data_->AddRow({Variant(u"C"), Variant::Null(), Variant(u"b")});
  data_->First();
  MakeGrid();
  TAxisBarEh* kind = grid_->FindFieldColumn(u"KIND");
  kind->GetPickList()->SetText(u"A\nB\nC");
  std::vector<String> handled;
  kind->OnUpdateData = [&](TObject*, String& text, Variant&, bool&, bool&) { handled.push_back(text); };
  // Forward from the last entry wraps to the first, through the handler like any other step.
  kind->SetNextFieldValue(1);
  EXPECT_EQ(data_->FieldByName(u"KIND")->GetAsString(), u"A");
  kind->SetNextFieldValue(1);
  EXPECT_EQ(data_->FieldByName(u"KIND")->GetAsString(), u"B");
  EXPECT_EQ(handled, (std::vector<String>{u"A", u"B"}));

  TAxisBarEh* qty = grid_->FindFieldColumn(u"QTY");
  qty->SetNextFieldValue(5);
  EXPECT_EQ(data_->FieldByName(u"QTY")->GetAsInteger(), 0);
  data_->FieldByName(u"QTY")->SetAsInteger(7);
  qty->SetNextFieldValue(5);
  EXPECT_EQ(data_->FieldByName(u"QTY")->GetAsInteger(), 12);

  // The sign of the step decides the direction: 2 steps forward, -1 backward.
  TAxisBarEh* code = grid_->FindFieldColumn(u"CODE");
  code->GetKeyList()->SetText(u"a\nb\nc");
  code->GetPickList()->SetText(u"Альфа\nБета\nГамма");
  code->SetNextFieldValue(2);
  EXPECT_EQ(data_->FieldByName(u"CODE")->GetAsString(), u"c");
  code->SetNextFieldValue(-1);
  EXPECT_EQ(data_->FieldByName(u"CODE")->GetAsString(), u"b");

  // A value the field refuses reaches the caller instead of vanishing.
  qty->OnUpdateData = [](TObject*, String&, Variant&, bool&, bool&) {
    DatabaseError(u"Количество не принято");
  };
  EXPECT_THROW(qty->SetNextFieldValue(1), EDatabaseError);
  EXPECT_EQ(data_->FieldByName(u"QTY")->GetAsInteger(), 12);
  data_->Cancel();
}

TEST_F(AxisGridTest, UpDownCellButtonStepsByTheHalfPressedAndNotBetweenThem) {
  Field(u"QTY", ftInteger);
  data_->Open();
  data_->AddRow({Variant(10)});
  data_->First();
  MakeGrid();
  TAxisBarEh* qty = grid_->FindFieldColumn(u"QTY");
  qty->SetIncrement(2);
  TCellButtonsEh buttons(qty, TCellButtonEh::StaticClass());
  TCellButtonEh* button = buttons.Add();
  EXPECT_EQ(button->GetAxisBar(), qty);
  button->SetStyle(ebsUpDownEh);
  // A control 9 rows high: rows 0..3 upper, rows 4 and 5 between, rows 6..8 lower.
  struct Case {
    Integer y, half, value;
  } cases[] = {{0, 1, 12}, {3, 1, 14}, {4, 0, 14}, {5, 0, 14}, {6, 2, 12}, {8, 2, 10}};
  for (const Case& c : cases) {
    bool handled = false;
    button->DefaultMouseDownAction(c.y, 9, handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(button->GetUpDownButtonNum(), c.half) << c.y;
    EXPECT_EQ(data_->FieldByName(u"QTY")->GetAsInteger(), c.value) << c.y;
    EXPECT_TRUE(button->GetTimer()->GetEnabled());
    EXPECT_EQ(button->GetTimer()->GetInterval(), 400u);
    button->MouseReleased();
    EXPECT_FALSE(button->GetTimer()->GetEnabled());
    EXPECT_EQ(button->GetUpDownButtonNum(), 0);
  }
  // A repeat tick speeds up and steps again in the held half.
  bool handled = false;
  button->DefaultMouseDownAction(0, 9, handled);
  button->RepeatTimerTick(nullptr);
  EXPECT_EQ(button->GetTimer()->GetInterval(), 100u);
  EXPECT_EQ(data_->FieldByName(u"QTY")->GetAsInteger(), 14);
  button->MouseReleased();
  // Other styles leave the press to the caller.
  button->SetStyle(ebsEllipsisEh);
  handled = false;
  button->DefaultMouseDownAction(0, 9, handled);
  EXPECT_FALSE(handled);
  EXPECT_EQ(buttons.GetButtonByShortCut(button->GetShortCut()), button);
  EXPECT_EQ(buttons.GetButtonByShortCut(0), nullptr);
  data_->Cancel();
}

TEST_F(AxisGridTest, TypedTextFilterQuotesAndEscapesTheText) {
  Field(u"NAME", ftString, 20);
  data_->Open();
  MakeGrid();
  TAxisBarEh* bar = grid_->GetAxisBars()->GetAxisBar(0);
  bar->DefaultDropDownBoxApplyTextFilter(data_, u"NAME", lsftContainsEh, u"O'Neil");
  EXPECT_EQ(data_->GetFilter(), u"[NAME] like '*O''Neil*'");
  EXPECT_TRUE(data_->GetFiltered());
  EXPECT_TRUE(data_->GetFilterOptions().Contains(foCaseInsensitive));
  bar->DefaultDropDownBoxApplyTextFilter(data_, u"NAME", lsftBeginsWithEh, u"50%_*[");
  EXPECT_EQ(data_->GetFilter(), u"[NAME] like '50[%][_][*][[]*'") << "typed wildcards are characters";
  bar->DefaultDropDownBoxApplyTextFilter(data_, u"NAME", lsftBeginsWithEh, u"");
  EXPECT_EQ(data_->GetFilter(), u"");
}

TEST_F(AxisGridTest, ScalingKeepsEachBarsOwnFontSize) {
  MakeGrid();
  OpenGoods();
  grid_->GetAxisBars()->SetState(csCustomized);
  grid_->GetFont()->SetSize(8);
  Bar(u"NAME")->GetFont()->SetSize(12);
  Bar(u"PRICE")->GetTitle()->GetFont()->SetSize(10);
  grid_->ChangeScaleFont(3, 2);
  EXPECT_EQ(Bar(u"NAME")->GetFont()->GetSize(), 18);
  EXPECT_EQ(Bar(u"PRICE")->GetTitle()->GetFont()->GetSize(), 15);
  EXPECT_FALSE(Bar(u"ID")->GetAssignedValues().Contains(cvFont));
}

TEST_F(AxisGridTest, PaintingAThousandRowsNeverMovesTheDataset) {
  Field(u"ID", ftInteger);
  Field(u"NAME", ftString, 20);
  Field(u"OK", ftBoolean);
  for (int i = 0; i < 1000; ++i)
    data_->AddRow({Variant(i), Variant(u"Строка " + IntToStr(i)), Variant(i % 2 == 0)});
  data_->Open();
  form_->SetBounds(0, 0, 640, 20000);
  MakeGrid();
  grid_->SetDefaultRowHeight(18);
  ShowForm();
  data_->MoveBy(500);
  int events = 0;
  source_->OnDataChange = [&](TObject*, TField*) { ++events; };
  const Integer recNo = data_->RecNo();
  const TBookmark mark = data_->GetBookmark();
  ASSERT_GE(grid_->GetDataLink()->GetRecordCount(), 1000);
  grid_->drawnCells = 0;
  std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
  EXPECT_GE(grid_->drawnCells, 3000);
  EXPECT_EQ(data_->RecNo(), recNo);
  EXPECT_EQ(data_->CompareBookmarks(mark, data_->GetBookmark()), 0);
  EXPECT_EQ(events, 0);
  EXPECT_EQ(data_->GetState(), dsBrowse);
}

}  // namespace

namespace {

class AxisGridCenterTest : public AxisGridFixture {};

TEST_F(AxisGridCenterTest, BarMenusOfferWhatTheBarAllowsAndTheEllipsisEditsText) {
  Field(u"NOTE", ftString, 40);
  Field(u"QTY", ftInteger);
  data_->AddRow({Variant(u"первая"), Variant(3)});
  data_->Open();
  MakeGrid();
  TAxisBarEh* note = grid_->FindFieldColumn(u"NOTE");
  auto captions = [](TPopupMenu* menu) {
    String all;
    for (Integer i = 0; i < menu->GetItems()->GetCount(); ++i)
      all += menu->GetItems()->Items(i)->GetCaption() + u"|";
    return all;
  };
  Clipboard()->SetAsText(u"из буфера");
  EXPECT_EQ(captions(note->GetPopupMenu()), u"Cut|Copy|Paste|Delete|-|Load...|Save...|");
  grid_->SetReadOnly(true);
  EXPECT_EQ(captions(note->GetPopupMenu()), u"Copy|-|Save...|");
  grid_->SetReadOnly(false);

  // The ellipsis of a text bar edits in the memo editor; of a number bar it does nothing.
  note->SetButtonStyle(TCellButtonStyleEh::cbsEllipsis);
  TMemoEditProcEh oldMemoEdit = GetMemoEditProcEh();
  SetMemoEditProcEh([](String& text, const TRect&, bool readOnly) {
    EXPECT_FALSE(readOnly);
    text += u" и вторая";
    return true;
  });
  auto clear = MakeScopeExit([oldMemoEdit] { SetMemoEditProcEh(oldMemoEdit); });
  bool handled = false;
  grid_->EditButtonDefaultAction(note, nullptr, note->GetEditButton(), false, handled);
  EXPECT_TRUE(handled);
  EXPECT_EQ(data_->FieldByName(u"NOTE")->GetAsString(), u"первая и вторая");
  TAxisBarEh* qty = grid_->FindFieldColumn(u"QTY");
  qty->SetButtonStyle(TCellButtonStyleEh::cbsEllipsis);
  handled = false;
  grid_->EditButtonDefaultAction(qty, nullptr, qty->GetEditButton(), false, handled);
  EXPECT_FALSE(handled);
  data_->Cancel();
}

}  // namespace
