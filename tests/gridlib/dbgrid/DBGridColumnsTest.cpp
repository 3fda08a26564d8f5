// The data grid's column model over the test dataset: sort markers and the grid's sort order, width
// limits, aggregate kinds, the stored column order, tab stops, footers with their aggregates, and the
// selection's column ranges, update counter and grid rectangles.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "platform/graphics/ImageList.h"
#include "tests/gridlib/dbgrid/DBGridTestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

class DBGridColumnModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 800, 400);
    data_ = new TTestDataSet(form_.get());
    data_->GetFieldDefs()->Add(u"ID", ftInteger, 0, false);
    data_->GetFieldDefs()->Add(u"NAME", ftString, 20, false);
    data_->GetFieldDefs()->Add(u"QTY", ftInteger, 0, false);
    data_->GetFieldDefs()->Add(u"FLAG", ftBoolean, 0, false);
    for (int i = 1; i <= 40; ++i)
      data_->AddRow({Variant(i), Variant(u"Деталь " + IntToStr(i)), Variant(i * 3), Variant(i % 2 == 0)});
    data_->Open();
    grid_ = ShowGridOver(form_.get(), data_, &source_);
  }
  void TearDown() override { form_.reset(); }

  TColumnEh* Col(const String& field) {
    for (Integer i = 0; i < grid_->GetColumns()->GetCount(); ++i)
      if (grid_->GetColumns()->GetColumn(i)->GetFieldName() == field)
        return grid_->GetColumns()->GetColumn(i);
    return nullptr;
  }
  std::vector<String> FieldOrder() {
    std::vector<String> names;
    for (Integer i = 0; i < grid_->GetColumns()->GetCount(); ++i)
      names.push_back(grid_->GetColumns()->GetColumn(i)->GetFieldName());
    return names;
  }
  std::vector<String> SortList() {
    std::vector<String> names;
    for (Integer i = 0; i < grid_->GetSortMarkedColumns()->GetCount(); ++i)
      names.push_back(grid_->GetSortMarkedColumns()->GetColumn(i)->GetFieldName());
    return names;
  }
  void SetMultiSort(bool on) {
    TDBGridEhOptions o = grid_->GetOptionsEh();
    if (on)
      o.Include(dghMultiSortMarking);
    else
      o.Exclude(dghMultiSortMarking);
    grid_->SetOptionsEh(o);
  }

  std::unique_ptr<TForm> form_;
  TTestDataSet* data_ = nullptr;
  TDataSource* source_ = nullptr;
  TDBGridEh* grid_ = nullptr;
};

// The grid hands out its visible-bars list as a column list: the object must be one.
TEST_F(DBGridColumnModelTest, TheVisibleColumnsAreAColumnListHoldingTheShownColumns) {
  ASSERT_TRUE(grid_->GetVisibleColumns()->InheritsFrom(TColumnsEhList::StaticClass()))
      << StringToUtf8(grid_->GetVisibleColumns()->ClassName());
  Col(u"QTY")->SetVisible(false);
  std::vector<String> shown;
  for (Integer i = 0; i < grid_->GetVisibleColumns()->GetCount(); ++i)
    shown.push_back(grid_->GetVisibleColumns()->GetColumn(i)->GetFieldName());
  EXPECT_EQ(shown, (std::vector<String>{u"ID", u"NAME", u"FLAG"}));
  // A freshly made grid, not yet laid out, answers the same kind.
  TDBGridEh fresh(nullptr);
  EXPECT_TRUE(fresh.GetVisibleColumns()->InheritsFrom(TColumnsEhList::StaticClass()));
}

TEST_F(DBGridColumnModelTest, SortMarkersKeepTheGridsSortOrder) {
  SetMultiSort(true);
  Col(u"NAME")->GetTitle()->SetSortMarker(smDownEh);
  Col(u"ID")->GetTitle()->SetSortMarker(smUpEh);
  Col(u"QTY")->GetTitle()->SetSortMarker(smDownEh);
  EXPECT_EQ(Col(u"ID")->GetTitle()->GetSortIndex(), 2);
  EXPECT_EQ(SortList(), (std::vector<String>{u"NAME", u"ID", u"QTY"}));
  Col(u"ID")->GetTitle()->SetSortMarker(smDownEh);
  EXPECT_EQ(Col(u"ID")->GetTitle()->GetSortIndex(), 2) << "a change of direction keeps the place";

  Col(u"NAME")->GetTitle()->SetSortMarker(smNoneEh);
  EXPECT_EQ(Col(u"NAME")->GetTitle()->GetSortIndex(), 0);
  EXPECT_EQ(Col(u"ID")->GetTitle()->GetSortIndex(), 1);
  EXPECT_EQ(Col(u"QTY")->GetTitle()->GetSortIndex(), 2);
  Col(u"ID")->GetTitle()->SetSortIndex(2);
  EXPECT_EQ(Col(u"ID")->GetTitle()->GetSortIndex(), 2);
  EXPECT_EQ(Col(u"QTY")->GetTitle()->GetSortIndex(), 1);
  EXPECT_EQ(SortList(), (std::vector<String>{u"QTY", u"ID"}));
  Col(u"FLAG")->GetTitle()->SetSortIndex(1);
  EXPECT_EQ(Col(u"FLAG")->GetTitle()->GetSortIndex(), 0) << "an unmarked column takes no place";

  SetMultiSort(false);
  Col(u"FLAG")->GetTitle()->SetSortMarker(smUpEh);
  for (const char16_t* other : {u"ID", u"NAME", u"QTY"})
    EXPECT_EQ(Col(other)->GetTitle()->GetSortMarker(), smNoneEh) << StringToUtf8(other);
  EXPECT_EQ(Col(u"FLAG")->GetTitle()->GetSortIndex(), 1);
  EXPECT_EQ(SortList(), (std::vector<String>{u"FLAG"}));
  grid_->GetColumns()->SetState(csCustomized);
  delete Col(u"FLAG");
  EXPECT_EQ(grid_->GetSortMarkedColumns()->GetCount(), 0) << "a freed column leaves the sort order";
}

// A number column starts descending.
TEST_F(DBGridColumnModelTest, TitleClicksCycleFromTheCentersFirstState) {
  struct Case {
    bool keepMulti;
    std::vector<TSortMarkerEh> cycle;
  };
  for (const Case& c : {Case{false, {smDownEh, smUpEh, smDownEh, smUpEh}},
                        Case{true, {smDownEh, smUpEh, smNoneEh, smDownEh}}}) {
    SetMultiSort(c.keepMulti);
    Col(u"NAME")->GetTitle()->SetSortMarker(smUpEh);
    TColumnTitleEh* id = Col(u"ID")->GetTitle();
    id->SetSortMarker(smNoneEh);
    for (size_t i = 0; i < c.cycle.size(); ++i) {
      id->SetNextSortMarkerValue(c.keepMulti);
      EXPECT_EQ(id->GetSortMarker(), c.cycle[i]) << "keepMulti " << c.keepMulti << ", click " << i + 1;
    }
    EXPECT_EQ(Col(u"NAME")->GetTitle()->GetSortMarker(), c.keepMulti ? smUpEh : smNoneEh);
    Col(u"NAME")->GetTitle()->SetSortMarker(smNoneEh);
  }
}

TEST_F(DBGridColumnModelTest, TheSortMarkingRoomDropsTheGlyphThenTheIndexInNarrowColumns) {
  TCanvas* canvas = GetScreenCanvasEh();
  canvas->GetFont()->Assign(DBGridSortIndexFont());
  const Integer digits = canvas->TextWidth(u"12");
  const Integer narrow = 2 + digits <= 16 ? 2 + digits : 0;
  struct Case {
    Integer width;
    bool several;
    Integer room;
  };
  TColumnEh* id = Col(u"ID");
  for (Case c : {Case{100, false, 16}, Case{100, true, 16 + digits}, Case{20, true, narrow}}) {
    TDBGridColumnsEh* columns = grid_->GetColumns();
    columns->BeginUpdate();
    for (Integer i = 0; i < columns->GetCount(); ++i) {
      TColumnTitleEh* title = columns->GetColumn(i)->GetTitle();
      const bool marked = title == id->GetTitle() || (c.several && i < 4);
      title->SetSortMarker(marked ? smDownEh : smNoneEh);
      title->SetSortIndex(title == id->GetTitle() ? 12 : marked ? i + 1 : 0);
    }
    columns->EndUpdate();
    id->SetWidth(c.width);
    EXPECT_EQ(id->GetTitle()->GetSortMarkingWidth(), c.room) << c.width << (c.several ? " several" : " one");
  }
}

TEST_F(DBGridColumnModelTest, WidthsKeepTheirLimitsAndFollowTheFieldUntilSet) {
  TColumnEh* qty = Col(u"QTY");
  const Integer defaultWidth = qty->DefaultWidth();
  qty->SetWidth(defaultWidth);
  EXPECT_FALSE(qty->GetAssignedValues().Contains(cvWidth)) << "the default width stores nothing";
  qty->SetWidth(-1);
  EXPECT_FALSE(qty->GetAssignedValues().Contains(cvWidth));
  data_->FieldByName(u"QTY")->SetDisplayWidth(20);
  EXPECT_GT(qty->GetWidth(), defaultWidth) << "an unset width follows the field";

  struct Case {
    Integer minWidth, maxWidth, asked, got;
  };
  for (Case c :
       {Case{0, 0, 120, 120}, Case{0, 100, 120, 100}, Case{50, 0, 20, 50}, Case{150, 100, 120, 150}}) {
    TColumnEh* column = Col(u"NAME");
    column->SetMinWidth(0);
    column->SetMaxWidth(0);
    column->SetMaxWidth(c.maxWidth);
    column->SetMinWidth(c.minWidth);
    EXPECT_EQ(column->ConstrainWidth(c.asked), c.got) << c.minWidth << ".." << c.maxWidth;
    column->SetWidth(c.asked);
    EXPECT_EQ(column->GetWidth(), c.got) << c.minWidth << ".." << c.maxWidth;
  }
}

TEST_F(DBGridColumnModelTest, AggregateKindsFollowTheFieldType) {
  struct Case {
    const char16_t* field;
    TGroupFooterValueTypeEh kind;
    bool allowed;
  };
  const Case cases[] = {
      {u"QTY", gfvSumEh, true},   {u"QTY", gfvAvgEh, true},   {u"FLAG", gfvSumEh, true},
      {u"FLAG", gfvAvgEh, false}, {u"NAME", gfvSumEh, false}, {u"NAME", gfvCountEh, true},
      {u"NAME", gfvMaxEh, true},  {u"QTY", gfvNonEh, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Col(c.field)->CanApplyAggregateFunction(c.kind), c.allowed)
        << StringToUtf8(c.field) << " kind " << c.kind;
  TColumnEh* unbound = grid_->GetColumns()->Add();
  EXPECT_FALSE(unbound->CanApplyAggregateFunction(gfvCountEh));
}

// Names that match no column keep their place in the count; more names than columns, as a layout
// saved before columns were removed has, are no error.
TEST_F(DBGridColumnModelTest, TheStoredColumnOrderMovesNamedColumnsAndSkipsTheRest) {
  InitDBGridEhUnit();
  TClass interceptorClass = GetPropertyInterceptorClassEh(TDBGridColumnsEh::StaticClass());
  ASSERT_EQ(interceptorClass, TColumnsEhPropertyInterceptor::StaticClass());
  // Columns the grid makes by itself follow the dataset's field order.
  grid_->GetColumns()->SetState(csCustomized);
  TColumnsEhPropertyInterceptor interceptor(grid_->GetColumns());
  EXPECT_EQ(interceptor.GetColumnsIndex(), u"\"ID\",\"NAME\",\"QTY\",\"FLAG\"");
  struct Case {
    const char16_t* stored;
    std::vector<String> order;
  };
  const Case cases[] = {
      {u"QTY,ID", {u"QTY", u"ID", u"NAME", u"FLAG"}},
      {u"PRICE,QTY", {u"ID", u"QTY", u"NAME", u"FLAG"}},
      {u"\"FLAG\",\"QTY\",\"NAME\",\"ID\",\"PRICE\",\"SUM\"", {u"FLAG", u"QTY", u"NAME", u"ID"}},
      {u"NAME,NAME", {u"ID", u"NAME", u"QTY", u"FLAG"}},
  };
  for (const Case& c : cases) {
    interceptor.SetColumnsIndex(u"ID,NAME,QTY,FLAG");
    ASSERT_NO_THROW(interceptor.SetColumnsIndex(c.stored)) << StringToUtf8(c.stored);
    EXPECT_EQ(FieldOrder(), c.order) << StringToUtf8(c.stored);
    EXPECT_EQ(grid_->GetColumns()->GetUpdateCount(), 0);
  }
}

TEST_F(DBGridColumnModelTest, AStoredWidthGoesBeforeTheFittingWhileTheGridFitsWidths) {
  TColumnEhPropertyInterceptor interceptor(Col(u"NAME"));
  interceptor.SetWidth(90);
  EXPECT_EQ(Col(u"NAME")->GetWidth(), 90);
  grid_->SetAutoFitColWidths(true);
  interceptor.SetWidth(250);
  EXPECT_EQ(Col(u"NAME")->GetInitWidth(), 250);
  EXPECT_NE(Col(u"NAME")->GetWidth(), 250) << "the fitting decides the shown width";
}

TEST_F(DBGridColumnModelTest, TabSkipsColumnsThatTakeNoInput) {
  TDBGridColumnsEh* columns = grid_->GetColumns();
  Col(u"NAME")->SetReadOnly(true);
  Col(u"FLAG")->SetVisible(false);
  EXPECT_EQ(columns->GetFirstTabColumn(), Col(u"ID"));
  EXPECT_EQ(columns->GetNextTabColumn(Col(u"ID"), true), Col(u"QTY"));
  EXPECT_EQ(columns->GetNextTabColumn(Col(u"QTY"), true), Col(u"QTY")) << "no further stop";
  EXPECT_EQ(columns->GetNextTabColumn(Col(u"QTY"), false), Col(u"ID"));
  EXPECT_EQ(columns->GetLastTabColumn(), Col(u"QTY"));
  grid_->SetContraColCountProp(2);
  EXPECT_EQ(columns->GetLastTabColumn(), Col(u"ID")) << "the contra columns are no tab stops";
  Col(u"ID")->SetReadOnly(true);
  EXPECT_EQ(columns->GetLastTabColumn(), nullptr);
}

TEST_F(DBGridColumnModelTest, FootersKeepTheirAggregateInStepWithKindAndField) {
  TDBSumCollection* sums = grid_->GetSumList()->GetSumCollection();
  TColumnFooterEh* footer = Col(u"QTY")->GetFooter();
  footer->SetValueType(fvtSum);
  ASSERT_NE(footer->GetDBSum(), nullptr);
  EXPECT_EQ(footer->GetDBSum()->GetGroupOperation(), goSum);
  EXPECT_EQ(footer->GetDBSum()->GetFieldName(), u"QTY");
  footer->SetValueType(fvtStaticText);
  EXPECT_EQ(footer->GetDBSum(), nullptr);
  EXPECT_EQ(sums->GetCount(), 0);
  footer->SetValueType(fvtAvg);
  ASSERT_NE(footer->GetDBSum(), nullptr);
  EXPECT_EQ(footer->GetDBSum()->GetGroupOperation(), goAvg);
  footer->SetFieldName(u"ID");
  EXPECT_EQ(footer->GetDBSum()->GetFieldName(), u"ID");
  footer->SetFieldName(u"");
  Col(u"QTY")->SetFieldName(u"ID");
  Col(u"QTY")->GetField();
  EXPECT_EQ(footer->GetDBSum()->GetFieldName(), u"ID") << "binding another field re-aims the average";
  footer->SetValueType(fvtCount);
  EXPECT_EQ(footer->GetDBSum()->GetGroupOperation(), goCount);
  EXPECT_EQ(footer->GetDBSum()->GetFieldName(), u"");

  // Only the main footers tell what kinds the grid shows.
  TColumnFooterEh* extra = Col(u"NAME")->GetFooters()->Add();
  extra->SetValueType(fvtAvg);
  EXPECT_FALSE(grid_->GetColumns()->ExistFooterValueType(fvtAvg));
  EXPECT_TRUE(grid_->GetColumns()->ExistFooterValueType(fvtCount));
  EXPECT_EQ(Col(u"NAME")->UsedFooter(0), extra);
  EXPECT_EQ(Col(u"NAME")->UsedFooter(1), Col(u"NAME")->GetFooter());

  // Only what the source set arrives as set.
  TColumnFooterEh* target = Col(u"ID")->GetFooter();
  extra->SetAlignment(taCenter);
  target->Assign(extra);
  EXPECT_EQ(target->GetAlignment(), taCenter);
  EXPECT_FALSE(target->GetAssignedValues().Contains(cvFooterColor));
  EXPECT_EQ(target->GetValueType(), fvtAvg);
  EXPECT_NE(target->GetDBSum(), nullptr);
}

TEST_F(DBGridColumnModelTest, UnsetValuesFollowTheGridUntilSet) {
  TColumnTitleEh* title = Col(u"NAME")->GetTitle();
  EXPECT_EQ(title->GetAlignment(), taLeftJustify);
  grid_->GetTitleParams()->SetMultiTitle(true);
  EXPECT_EQ(title->GetAlignment(), taCenter) << "multi-level titles centre unset alignments";
  grid_->GetColumnDefValues()->GetTitle()->SetShowImageAndText(true);
  EXPECT_TRUE(title->GetShowImageAndText());
  title->SetShowImageAndText(false);
  EXPECT_FALSE(title->GetShowImageAndText());
  EXPECT_TRUE(title->GetShowImageAndTextStored());

  // A title picture takes room while its list lives.
  auto* images = new TImageList(form_.get(), 16, 16);
  title->SetImageIndex(0);
  grid_->GetTitleParams()->SetImages(images);
  EXPECT_EQ(title->ImageAreaWidth(), 18);
  delete images;
  EXPECT_EQ(grid_->GetTitleParams()->GetImages(), nullptr);
  EXPECT_EQ(title->ImageAreaWidth(), 0);

  TGridEmptyDataInfoEh* info = grid_->GetEmptyDataInfo();
  EXPECT_EQ(info->GetFont()->GetColor(), clGray);
  grid_->GetFont()->SetSize(14);
  EXPECT_EQ(info->GetFont()->GetSize(), 14);
  EXPECT_EQ(info->GetFont()->GetColor(), clGray) << "the grid's colour is not taken";
  info->GetFont()->SetSize(20);
  EXPECT_FALSE(info->GetParentFont());
  grid_->GetFont()->SetSize(9);
  EXPECT_EQ(info->GetFont()->GetSize(), 20);
}

// "Нет данных" over an open empty dataset, grey, in the middle of the data area; long texts wrap.
TEST_F(DBGridColumnModelTest, TheEmptyDataTextStandsInTheMiddleOfTheDataArea) {
  auto* empty = new TTestDataSet(form_.get());
  empty->GetFieldDefs()->Add(u"ID", ftInteger, 0, false);
  empty->Open();
  source_->SetDataSet(empty);
  ProcessPendingEvents();
  TGridEmptyDataInfoEh* info = grid_->GetEmptyDataInfo();
  EXPECT_FALSE(info->Showing()) << "not active";
  info->SetActive(true);
  ASSERT_TRUE(info->Showing());
  EXPECT_EQ(info->GetDisplayText(), u"Нет данных");

  const TRect first = grid_->CellRect(grid_->GetIndicatorOffset(), grid_->TopDataOffset(), false);
  const TRect client = grid_->GetClientRect();
  const TRect rect = info->GetDrawRect();
  // The data area ends where the scroll bar (or the footers) begin.
  const Integer right = grid_->GetHorzAxis()->GetContraStart(),
                bottom = grid_->GetVertAxis()->GetContraStart();
  EXPECT_LE(right, client.Right);
  EXPECT_NEAR(rect.Left + rect.Right, first.Left + right, 3) << "centred across";
  EXPECT_NEAR(rect.Top + rect.Bottom, first.Top + bottom, 3) << "centred down";
  std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
  auto greyIn = [&](const TRect& r) {
    for (Integer x = r.Left; x < r.Right; ++x)
      for (Integer y = r.Top; y < r.Bottom; ++y) {
        const TColorRef c = ColorToRGB(PixelAt(picture.get(), x, y));
        const Integer r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
        // Grey, not the tint of the current cell's selection.
        if (r < 0xC0 && r > 0x40 && std::abs(r - g) < 12 && std::abs(r - b) < 12) return true;
      }
    return false;
  };
  EXPECT_TRUE(greyIn(rect)) << "the text is drawn";
  EXPECT_FALSE(greyIn(TRect(first.Left + 2, first.Top + 2, first.Left + 30, first.Top + 12)))
      << "and only there";

  info->SetText(String(60, u'Ш') + u" " + String(60, u'Щ') + u" " + String(60, u'Ж'));
  const TRect wrapped = info->GetDrawRect();
  EXPECT_LE(wrapped.Width(), right - first.Left - 20 + 1);
  EXPECT_GT(wrapped.Height(), 2 * (rect.Height() - 2)) << "wrapped over several lines";
  empty->Close();
  EXPECT_FALSE(info->Showing()) << "a closed dataset shows nothing";
}

// Six columns over the four fields, indexes 0 to 5.
TEST_F(DBGridColumnModelTest, ShiftClicksGrowAndShrinkTheColumnRange) {
  TDBGridColumnsEh* columns = grid_->GetColumns();
  columns->SetState(csCustomized);
  columns->Add()->SetFieldName(u"ID");
  columns->Add()->SetFieldName(u"NAME");
  ASSERT_EQ(columns->GetCount(), 6);
  TDBGridEhSelectionCols* cols = grid_->GetSelection()->GetColumns();
  auto selected = [&] {
    std::vector<Integer> indexes;
    for (Integer i = 0; i < cols->GetCount(); ++i) indexes.push_back(cols->GetColumn(i)->GetIndex());
    return indexes;
  };
  int notices = 0;
  grid_->OnSelectionChanged = [&notices](TObject*) { ++notices; };
  struct Step {
    const char* what;
    std::function<void()> run;
    std::vector<Integer> after;
  };
  auto col = [columns](Integer i) { return columns->GetColumn(i); };
  const Step steps[] = {
      {"click 2", [&] { cols->Select(col(2), false); }, {2}},
      {"shift 5", [&] { cols->SelectShift(col(5)); }, {2, 3, 4, 5}},
      {"shift 4", [&] { cols->SelectShift(col(4)); }, {2, 3, 4}},
      {"shift 0", [&] { cols->SelectShift(col(0)); }, {0, 1, 2}},
      {"click 1", [&] { cols->Select(col(1), false); }, {1}},
      {"shift 4 again", [&] { cols->SelectShift(col(4)); }, {1, 2, 3, 4}},
      {"ctrl 2 off", [&] { cols->InvertSelect(col(2)); }, {1, 3, 4}},
      {"shift 4 deselects", [&] { cols->SelectShift(col(4)); }, {1}},
      {"add between",
       [&] {
         cols->AddColumn(col(5));
         cols->AddColumn(col(3));
       },
       {1, 3, 5}},
  };
  for (const Step& s : steps) {
    notices = 0;
    s.run();
    EXPECT_EQ(selected(), s.after) << s.what;
    EXPECT_GT(notices, 0) << s.what;
    EXPECT_EQ(grid_->GetSelection()->GetSelectionType(), gstColumns) << s.what;
  }
  const TGridRect rect = grid_->GetSelection()->SelectionToGridRect();
  EXPECT_EQ(rect.Left, grid_->DataColToGridCol(1));
  EXPECT_EQ(rect.Right, grid_->DataColToGridCol(5));
  EXPECT_FALSE(grid_->GetSelection()->DataCellSelected(-1, data_->GetBookmark())) << "the indicator";
  grid_->GetSelection()->SelectAll();
  EXPECT_TRUE(grid_->GetSelection()->DataCellSelected(-1, data_->GetBookmark()));
}

TEST_F(DBGridColumnModelTest, SelectionNoticesWaitForTheUpdatesEndAlsoAfterAFailure) {
  TDBGridOptions o = grid_->GetDBOptions();
  o.Include(dgMultiSelect);
  grid_->SetDBOptions(o);
  int notices = 0, items = 0;
  grid_->OnSelectionChanged = [&notices](TObject*) { ++notices; };
  grid_->OnSelectedRowsItemChanged = [&items](TObject*, const TBookmark&, TListNotification) { ++items; };
  TDBGridEhSelection* selection = grid_->GetSelection();
  TBookmarkListEh* rows = grid_->GetSelectedRows();
  selection->BeginUpdate();
  for (Integer recNo : {2, 4, 5}) {
    data_->SetRecNo(recNo);
    rows->SetCurrentRowSelected(true);
  }
  EXPECT_EQ(notices, 0);
  selection->EndUpdate();
  EXPECT_EQ(notices, 1) << "one notice for the batch";
  EXPECT_EQ(items, 3) << "one per bookmark";

  // The rows on screen from the first to the last selected one.
  data_->First();
  ProcessPendingEvents();
  const TGridRect rect = selection->SelectionToGridRect();
  EXPECT_EQ(rect.Top, grid_->TopDataOffset() + 1);
  EXPECT_EQ(rect.Bottom, grid_->TopDataOffset() + 4);

  notices = 0;
  EXPECT_THROW(selection->Update([&] {
    rows->Clear();
    throw std::runtime_error("the batch fails");
  }),
               std::runtime_error);
  EXPECT_EQ(selection->GetUpdateCount(), 0) << "the counter is released";
  EXPECT_EQ(notices, 1) << "the held-back change is told";
  selection->BeginUpdate();
  selection->SelectAll();
  selection->EndUpdate();
  EXPECT_EQ(notices, 2) << "notices are not stuck behind a counter";
}

TEST(DBGridFilterOperandText, ListOperandsBecomeQuotedCommaText) {
  struct Case {
    Variant value;
    const char16_t* text;
  };
  const Case cases[] = {
      {Variant(5), u"5"},
      {VarArrayOf({Variant(u"Сталь"), Variant(2)}), u"'Сталь','2'"},
      {VarArrayOf(std::vector<Variant>{}), u""},
  };
  for (const Case& c : cases) EXPECT_EQ(VarListToTextEh(c.value), String(c.text));
}

}  // namespace
