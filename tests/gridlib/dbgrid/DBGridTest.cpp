// The data grid over the test dataset: construction, columns made from fields or by hand, the stored
// form of columns, row areas, automatic widths, reading visible rows without moving the dataset, and
// moving through the records.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/classes/Streams.h"
#include "tests/gridlib/dbgrid/DBGridTestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

class DBGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 640, 400);
    data_ = new TTestDataSet(form_.get());
    data_->GetFieldDefs()->Add(u"ID", ftInteger, 0, false);
    data_->GetFieldDefs()->Add(u"NAME", ftString, 20, false);
    data_->GetFieldDefs()->Add(u"QTY", ftInteger, 0, false);
    for (int i = 1; i <= 100; ++i)
      data_->AddRow({Variant(i), Variant(u"Изделие " + IntToStr(i)), Variant(i * 10)});
    source_ = new TDataSource(form_.get());
    source_->SetDataSet(data_);
    Application->OnException = [](TObject*, Exception* e) { ADD_FAILURE() << StringToUtf8(e->Message()); };
  }
  void TearDown() override {
    form_.reset();
    Application->OnException = nullptr;
  }
  TDBGridEh* MakeGrid(bool open = true) {
    if (open) data_->Open();
    grid_ = new TDBGridEh(form_.get());
    grid_->SetName(u"Grid1");
    grid_->SetParent(form_.get());
    grid_->SetAlign(alClient);
    grid_->SetDataSource(source_);
    form_->Show();
    ProcessPendingEvents();
    return grid_;
  }
  TColumnEh* Column(const String& field) { return static_cast<TColumnEh*>(grid_->FindFieldColumn(field)); }
  // A second grid over the same data whose columns are read from a stored form.
  TDBGridEh* GridWithColumnsOf(TMemoryStream& stored) {
    auto* other = new TDBGridEh(form_.get());
    other->SetParent(form_.get());
    other->SetDataSource(source_);
    stored.SetPosition(0);
    other->GetColumns()->LoadFromStream(&stored);
    return other;
  }
  // Written again, the grid's columns give back the stored bytes.
  static void ExpectSameColumnsStored(TDBGridEh* grid, TMemoryStream& stored) {
    TMemoryStream again;
    grid->GetColumns()->SaveToStream(&again);
    ASSERT_EQ(stored.GetSize(), again.GetSize());
    EXPECT_EQ(memcmp(stored.GetMemory(), again.GetMemory(), static_cast<size_t>(stored.GetSize())), 0);
  }

  std::unique_ptr<TForm> form_;
  TTestDataSet* data_ = nullptr;
  TDataSource* source_ = nullptr;
  TDBGridEh* grid_ = nullptr;
};

TEST_F(DBGridTest, ANewGridHasItsDefaultsAndSharesTheProcessWideObjects) {
  const Integer styleGrids = GetGlobalGridStyle()->GridCount();
  auto* grid = new TDBGridEh(form_.get());
  EXPECT_EQ(grid->GetDBOptions(),
            (TDBGridOptions{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
                            dgConfirmDelete, dgCancelOnExit}));
  EXPECT_EQ(grid->GetOptionsEh(),
            (TDBGridEhOptions{dghFixed3D, dghHighlightFocus, dghClearSelection, dghDialogFind,
                              dghColumnResize, dghColumnMove, dghExtendVertLines}));
  EXPECT_EQ(grid->GetIndicatorOptions(), TDBGridEhIndicatorOptions{gioShowRowIndicatorEh});
  EXPECT_EQ(grid->GetAllowedSelections(),
            (TDBGridEhAllowedSelections{gstRecordBookmarks, gstRectangle, gstColumns, gstAll}));
  EXPECT_EQ(grid->GetColumns()->GetCount(), 0);
  EXPECT_NE(dynamic_cast<TGridDataLinkEh*>(grid->GetDataLink()), nullptr);
  EXPECT_NE(dynamic_cast<TColumnDefValuesEh*>(grid->GetColumnDefValues()), nullptr);
  EXPECT_EQ(grid->GetIndicatorOffset(), 1);
  EXPECT_EQ(grid->GetStyle(), GetGlobalGridStyle());
  EXPECT_EQ(grid->GetCenter(), GetGlobalGridCenter());
  EXPECT_EQ(GetGlobalGridStyle()->GridCount(), styleGrids + 1);
  EXPECT_EQ(grid->GetEmptyDataInfo()->GetDisplayText(), u"Нет данных");
  delete grid;
  EXPECT_EQ(GetGlobalGridStyle()->GridCount(), styleGrids);
}

TEST_F(DBGridTest, ColumnsFollowTheFieldsUntilTheyAreDefinedByHand) {
  data_->Open();
  data_->FieldByName(u"QTY")->SetVisible(false);
  MakeGrid(false);
  ASSERT_EQ(grid_->GetColumns()->GetCount(), 2);
  EXPECT_EQ(grid_->GetColumns()->GetColumn(0)->GetTitle()->GetCaption(), u"ID");
  EXPECT_EQ(grid_->GetColCount(), 3);

  // Customized: one stored column per field, the invisible one included.
  grid_->GetColumns()->SetState(csCustomized);
  ASSERT_EQ(grid_->GetColumns()->GetCount(), 3);
  Column(u"NAME")->GetTitle()->SetCaption(u"Наименование");
  Column(u"NAME")->SetWidth(150);
  EXPECT_EQ(grid_->GetColWidths(grid_->DataColToGridCol(1)), 150);

  // Stored columns survive reopening, a column of a missing field stays, unbound.
  TColumnEh* lost = grid_->GetColumns()->Add();
  lost->SetFieldName(u"GONE");
  data_->Close();
  data_->Open();
  ASSERT_EQ(grid_->GetColumns()->GetCount(), 4);
  EXPECT_EQ(Column(u"NAME")->GetTitle()->GetCaption(), u"Наименование");
  EXPECT_EQ(Column(u"NAME")->GetWidth(), 150);
  EXPECT_EQ(lost->GetField(), nullptr);

  // Back to default: emptied, then rebuilt from the fields (made anew, all visible) by the next layout.
  grid_->GetColumns()->SetState(csDefault);
  grid_->LayoutChanged();
  EXPECT_EQ(grid_->GetColumns()->GetCount(), 3);
  EXPECT_FALSE(grid_->GetColumns()->GetColumn(0)->GetStored());
}

TEST_F(DBGridTest, ColumnsSavedInAFormResourceLoadAndSaveUnchanged) {
  MakeGrid();
  grid_->GetColumns()->SetState(csCustomized);
  TColumnEh* name = Column(u"NAME");
  name->GetTitle()->SetCaption(u"Наименование");
  name->GetTitle()->SetAlignment(taCenter);
  name->GetTitle()->GetFont()->SetStyle({fsBold});
  name->SetWidth(180);
  name->SetAlignment(taRightJustify);
  name->GetFont()->SetSize(14);
  Column(u"ID")->SetVisible(false);
  TMemoryStream first;
  grid_->GetColumns()->SaveToStream(&first);

  TDBGridEh* other = GridWithColumnsOf(first);
  TColumnEh* loaded = static_cast<TColumnEh*>(other->FindFieldColumn(u"NAME"));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->GetTitle()->GetCaption(), u"Наименование");
  EXPECT_EQ(loaded->GetTitle()->GetAlignment(), taCenter);
  EXPECT_TRUE(loaded->GetTitle()->GetFont()->GetStyle().Contains(fsBold));
  EXPECT_EQ(loaded->GetWidth(), 180);
  EXPECT_EQ(loaded->GetAlignment(), taRightJustify);
  EXPECT_EQ(loaded->GetFont()->GetSize(), 14);
  EXPECT_FALSE(static_cast<TColumnEh*>(other->FindFieldColumn(u"ID"))->GetVisible());
  // Unset values stay unset: the width of QTY still follows its field.
  EXPECT_FALSE(
      static_cast<TColumnEh*>(other->FindFieldColumn(u"QTY"))->GetAssignedValues().Contains(cvWidth));

  ExpectSameColumnsStored(other, first);
}

TEST_F(DBGridTest, ColumnsIndexRestoresTheOrderAndSkipsNamesPastTheEnd) {
  MakeGrid();
  grid_->GetColumns()->SetState(csCustomized);
  EXPECT_EQ(grid_->GetColumns()->GetColumnsIndex(), u"\"ID\",\"NAME\",\"QTY\"");
  grid_->GetColumns()->SetColumnsIndex(u"QTY,ID");
  EXPECT_EQ(grid_->GetColumns()->GetColumnsIndex(), u"\"QTY\",\"ID\",\"NAME\"");
  // More names than columns, unknown and repeated names: the known ones move, nothing fails.
  grid_->GetColumns()->SetColumnsIndex(u"NAME,NOPE,ID,ID,QTY,EXTRA");
  EXPECT_EQ(grid_->GetColumns()->GetColumnsIndex(), u"\"NAME\",\"QTY\",\"ID\"");
  grid_->GetColumns()->BeginUpdate();
  EXPECT_EQ(grid_->GetColumns()->GetUpdateCount(), 1);
  grid_->GetColumns()->EndUpdate();
}

TEST_F(DBGridTest, RowAreasAndFrozenAndContraColumnsFollowTheOptions) {
  MakeGrid();
  grid_->SetFooterRowCount(2);
  Integer ac = 0, ar = 0;
  struct Case {
    Integer col, row;
    THorzCellAreaTypeEh horz;
    TVertCellAreaTypeEh vert;
    Integer areaCol, areaRow;
  };
  const Integer firstFooter = grid_->GetRowCount();
  const Case cases[] = {{0, 0, hctIndicatorEh, vctTitleEh, 0, 0},
                        {1, 0, hctDataEh, vctTitleEh, 0, 0},
                        {2, 1, hctDataEh, vctDataEh, 1, 0},
                        {0, 3, hctIndicatorEh, vctDataEh, 0, 2},
                        {1, firstFooter, hctDataEh, vctFooterEh, 0, 0},
                        {1, firstFooter + 1, hctDataEh, vctFooterEh, 0, 1}};
  for (const Case& c : cases) {
    const TCellAreaTypeEh t = grid_->GetCellAreaType(c.col, c.row, ac, ar);
    EXPECT_EQ(t.HorzType, c.horz) << c.col << "," << c.row;
    EXPECT_EQ(t.VertType, c.vert) << c.col << "," << c.row;
    EXPECT_EQ(ac, c.areaCol) << c.col << "," << c.row;
    EXPECT_EQ(ar, c.areaRow) << c.col << "," << c.row;
  }
  EXPECT_EQ(grid_->GetContraRowCount(), 2);

  grid_->SetDBOptions(grid_->GetDBOptions() - TDBGridOptions{dgTitles, dgIndicator});
  EXPECT_EQ(grid_->TopDataOffset(), 0);
  EXPECT_EQ(grid_->GetIndicatorOffset(), 0);
  EXPECT_EQ(grid_->GetCellAreaType(0, 0, ac, ar).VertType, vctDataEh);

  // Over known columns every column cannot be frozen; over a closed dataset with automatic columns any
  // count is taken and the layout freezes all but the last. Contra keeps one scrolled column.
  for (const Integer all : {3, 10}) {
    try {
      grid_->SetFrozenCols(all);
      ADD_FAILURE() << all << " frozen of 3";
    } catch (EInvalidGridOperationEh& e) {
      EXPECT_EQ(e.Message(), u"Frozen column count must be less than scrollable column count");
    }
  }
  EXPECT_EQ(grid_->GetFrozenCols(), 0);
  data_->Close();
  grid_->SetFrozenCols(10);
  data_->Open();
  EXPECT_EQ(grid_->GetFixedColCount(), 2);
  grid_->SetFrozenCols(1);
  grid_->SetContraColCountProp(1);
  EXPECT_EQ(grid_->GetContraColCount(), 1);
  EXPECT_EQ(grid_->GetColumns()->GetLastScrollVisibleColumn(), Column(u"NAME"));
}

TEST_F(DBGridTest, FooterRowsTakeTheFooterParametersHeightAndLeaveTheDataRowsTheirs) {
  MakeGrid();
  grid_->SetFooterRowCount(2);
  const Integer dataRow = grid_->GetRowHeights(grid_->TopDataOffset());
  const Integer firstFooter = grid_->GetRowCount();
  ASSERT_EQ(grid_->GetFullRowCount(), firstFooter + 2);
  // The footer font is the grid's: footer rows are as high as data rows.
  EXPECT_EQ(grid_->GetRowHeights(firstFooter), dataRow);
  EXPECT_EQ(grid_->GetRowHeights(firstFooter + 1), dataRow);
  const Integer rowsBefore = grid_->VisibleDataRowCount();
  grid_->GetFooterParams()->SetRowHeight(3 * dataRow);
  grid_->LayoutChanged();
  for (Integer r = grid_->GetRowCount(); r < grid_->GetFullRowCount(); ++r)
    EXPECT_EQ(grid_->GetRowHeights(r), 3 * dataRow) << r;
  EXPECT_EQ(grid_->GetRowHeights(grid_->TopDataOffset()), dataRow);
  EXPECT_EQ(grid_->VisibleDataRowCount(), rowsBefore - 4) << "the taller footers take four data rows";
}

TEST_F(DBGridTest, AutomaticWidthsFillTheClientInProportion) {
  MakeGrid();
  grid_->GetColumns()->SetState(csCustomized);
  grid_->SetDBOptions(grid_->GetDBOptions() - TDBGridOptions{dgIndicator, dgColLines});
  Column(u"ID")->SetWidth(10);
  Column(u"NAME")->SetWidth(20);
  Column(u"QTY")->SetWidth(10);
  grid_->SetAutoFitColWidths(true);
  // The vertical bar shows over a hundred records: the columns end where it begins.
  ASSERT_TRUE(grid_->GetVertScrollBar()->IsScrollBarShowing());
  const Integer client = grid_->GetGridClientWidth();
  EXPECT_EQ(client, grid_->GetClientWidth() - grid_->GetVertScrollBar()->ActualSize());
  const Integer id = Column(u"ID")->GetWidth(), name = Column(u"NAME")->GetWidth(),
                qty = Column(u"QTY")->GetWidth();
  EXPECT_EQ(id + name + qty, client);
  EXPECT_NEAR(name, 2 * id, 2);
  EXPECT_NEAR(qty, id, 1);  // the rounding rest is taken from or given to the last columns
  // A column held at its maximum leaves the rest to the others.
  Column(u"NAME")->SetMaxWidth(50);
  grid_->LayoutChanged();
  EXPECT_EQ(Column(u"NAME")->GetWidth(), 50);
  EXPECT_EQ(Column(u"ID")->GetWidth() + Column(u"QTY")->GetWidth() + 50, client);
  // A closed dataset needs no vertical bar: the columns take its room once the change is done.
  Column(u"NAME")->SetMaxWidth(0);
  data_->Close();
  ProcessPendingEvents();
  ASSERT_FALSE(grid_->GetVertScrollBar()->IsScrollBarShowing());
  EXPECT_EQ(Column(u"ID")->GetWidth() + Column(u"NAME")->GetWidth() + Column(u"QTY")->GetWidth(),
            grid_->GetClientWidth());
  grid_->SetAutoFitColWidths(false);
  EXPECT_EQ(Column(u"ID")->GetWidth(), 10);
}

namespace {
// Sizes a row as the mouse does.
class TRowSizingGrid : public TDBGridEh {
 public:
  using TCustomDBGridEh::ChangeRowHeight;
  using TDBGridEh::TDBGridEh;
};
}  // namespace

TEST_F(DBGridTest, ARowSizedByTheUserGivesEveryDataRowItsHeight) {
  data_->Open();
  TDataSource* source = nullptr;
  auto* grid = ShowGridOver<TRowSizingGrid>(form_.get(), data_, &source);
  ASSERT_FALSE(grid->GetOptions().Contains(goRowSizingEh));
  grid->SetRowSizingAllowed(true);
  EXPECT_TRUE(grid->GetOptions().Contains(goRowSizingEh));
  const Integer rowsBefore = grid->VisibleDataRowCount();
  const Integer tall = 2 * grid->GetStdDefaultRowHeight();
  grid->ChangeRowHeight(grid->TopDataOffset() + 2, tall);
  EXPECT_EQ(grid->GetRowHeight(), tall);
  EXPECT_EQ(grid->GetRowLines(), 0);
  for (Integer r = grid->TopDataOffset(); r < grid->GetRowCount(); ++r)
    EXPECT_EQ(grid->GetRowHeights(r), tall) << r;
  EXPECT_LT(grid->VisibleDataRowCount(), rowsBefore);
}

// Calls nest: only the last finish shows the cells again, and a finish too many is refused.
TEST_F(DBGridTest, TheLoadingStatusHidesTheCellsUntilTheLastFinish) {
  MakeGrid();
  int cellsDrawn = 0;
  grid_->OnDrawColumnCell = [&cellsDrawn](TObject*, const TRect&, Integer, TColumnEh*, TGridDrawState) {
    ++cellsDrawn;
  };
  grid_->StartLoadingStatus(String(), 30);
  grid_->StartLoadingStatus(u"Загрузка остатков", 0, false);
  cellsDrawn = 0;  // the picture the status fades from is the grid's own
  CaptureControl(grid_);
  EXPECT_EQ(cellsDrawn, 0);
  grid_->FinishLoadingStatus(0);
  EXPECT_TRUE(grid_->GetShowingLoadingMode());
  grid_->FinishLoadingStatus(30);
  EXPECT_FALSE(grid_->GetShowingLoadingMode());
  CaptureControl(grid_);
  EXPECT_GT(cellsDrawn, 0);
  try {
    grid_->FinishLoadingStatus();
    ADD_FAILURE() << "a finish without a start";
  } catch (Exception& e) {
    EXPECT_EQ(e.Message(), u"FinishLoadingStatus occurred before StartLoadingStatus");
  }
}

TEST_F(DBGridTest, ColumnWidthLimitsApplyMaximumThenMinimum) {
  MakeGrid();
  TColumnEh* qty = Column(u"QTY");
  const Integer def = qty->DefaultWidth();
  qty->SetWidth(def);
  EXPECT_FALSE(qty->GetAssignedValues().Contains(cvWidth));
  qty->SetMaxWidth(100);
  qty->SetMinWidth(150);
  qty->SetWidth(120);
  EXPECT_EQ(qty->GetWidth(), 150);
}

TEST_F(DBGridTest, PaintingAndReadingVisibleRowsNeverMoveTheDataset) {
  MakeGrid();
  for (const Integer target : {1, 4, 57, 100}) {
    data_->SetRecNo(target);
    ProcessPendingEvents();
    ReadEveryVisibleRow(grid_, data_, source_);
    EXPECT_EQ(data_->RecNo(), target);
    ExpectRowsShowTheirRecords(grid_, data_);
  }
  EXPECT_GT(grid_->InstantReadRecordCount(), 5);
}

TEST_F(DBGridTest, MoveByStepsPagesAndStopsAtTheEnds) {
  MakeGrid();
  const Integer page = grid_->VisibleDataRowCount();
  ASSERT_GT(page, 3);
  struct Step {
    Integer distance, recNo;
    bool bof, eof;
  };
  const Step steps[] = {{1, 2, false, false},           {-1, 1, false, false},    {-1, 1, true, false},
                        {page, 1 + page, false, false}, {-page, 1, false, false}, {1000, 100, false, true},
                        {-1000, 1, true, false}};
  for (const Step& s : steps) {
    grid_->MoveBy(s.distance);
    EXPECT_EQ(data_->RecNo(), s.recNo) << s.distance;
    EXPECT_EQ(grid_->Bof(), s.bof) << s.distance;
    EXPECT_EQ(grid_->Eof(), s.eof) << s.distance;
    EXPECT_EQ(grid_->GetRow() - grid_->TopDataOffset(), grid_->GetDataLink()->GetActiveRecord())
        << s.distance;
  }
}

TEST_F(DBGridTest, NavigationFollowsRowsInsertedAndDeletedByAnotherUser) {
  MakeGrid();
  data_->SetRecNo(10);
  data_->Delete();
  data_->Append();
  data_->FieldByName(u"ID")->SetAsInteger(1000);
  data_->FieldByName(u"NAME")->SetAsString(u"Новое");
  data_->Post();
  ProcessPendingEvents();
  EXPECT_EQ(data_->RecordCount(), 100);
  data_->First();
  grid_->MoveBy(9);
  EXPECT_EQ(data_->FieldByName(u"ID")->GetAsInteger(), 11) << "record 10 is gone";
  grid_->MoveBy(1000);
  EXPECT_EQ(data_->FieldByName(u"ID")->GetAsInteger(), 1000);
  EXPECT_TRUE(grid_->Eof());
  ExpectRowsShowTheirRecords(grid_, data_);
  EXPECT_EQ(grid_->GetRow() - grid_->TopDataOffset(), grid_->GetDataLink()->GetActiveRecord());
}

TEST_F(DBGridTest, SavedVerticalPositionComesBackAfterTheDatasetIsReread) {
  MakeGrid();
  data_->SetRecNo(40);
  grid_->MoveBy(3);
  ProcessPendingEvents();
  const Integer row = grid_->GetRow();
  const Integer recNo = data_->RecNo();
  grid_->SaveVertPos(u"ID");
  data_->Close();
  data_->Open();
  grid_->RestoreVertPos(u"ID");
  EXPECT_EQ(data_->RecNo(), recNo);
  EXPECT_EQ(grid_->GetRow(), row);
}

TEST_F(DBGridTest, ScrollBarLinesJumpPastTheVisibleRowsAndTheWheelStepsOneRecord) {
  MakeGrid();
  const Integer page = grid_->VisibleDataRowCount();
  data_->SetRecNo(50);
  ProcessPendingEvents();
  TAxisGridDataLinkEh* link = grid_->GetDataLink();
  const Integer firstShown = data_->RecNo() - link->GetActiveRecord();
  grid_->VertScroll(SB_LINEDOWN, 0);
  EXPECT_EQ(data_->RecNo(), firstShown + link->GetRecordCount()) << "the record below the last visible one";
  grid_->VertScroll(SB_PAGEUP, 0);
  EXPECT_EQ(data_->RecNo(), firstShown + link->GetRecordCount() - page);
  grid_->VertScroll(SB_BOTTOM, 0);
  EXPECT_EQ(data_->RecNo(), 100);
  grid_->VertScroll(SB_TOP, 0);
  EXPECT_EQ(data_->RecNo(), 1);
  grid_->VertScroll(SB_THUMBPOSITION, 30);
  EXPECT_EQ(data_->RecNo(), 30);
  grid_->DoMouseWheelDown(TShiftState{ssCtrl}, TPoint{10, 40});
  EXPECT_EQ(data_->RecNo(), 31);
}

TEST_F(DBGridTest, SavedBookmarkKeepsTheCurrentRowsPlaceAcrossARefresh) {
  MakeGrid();
  data_->SetRecNo(60);
  grid_->MoveBy(2);
  ProcessPendingEvents();
  const Integer row = grid_->GetRow(), recNo = data_->RecNo();
  grid_->SaveBookmark();
  EXPECT_EQ(grid_->GetLookedOffset(), grid_->GetDataLink()->GetActiveRecord() - grid_->ReferenceBufferRow());
  data_->Refresh();
  data_->First();
  grid_->RestoreBookmark();
  EXPECT_EQ(data_->RecNo(), recNo);
  EXPECT_EQ(grid_->GetRow(), row);
}

TEST_F(DBGridTest, ANestedReadingReturnsToTheOuterRowAndTheLastToTheRecord) {
  MakeGrid();
  data_->SetRecNo(5);
  ProcessPendingEvents();
  TAxisGridDataLinkEh* link = grid_->GetDataLink();
  const Integer active = link->GetActiveRecord();
  const Integer firstShown = data_->RecNo() - active;
  TField* id = data_->FieldByName(u"ID");
  grid_->InstantReadEnter(1);
  grid_->InstantReadEnter(3);
  EXPECT_EQ(id->GetAsInteger(), firstShown + 3);
  grid_->InstantReadLeave();
  EXPECT_EQ(id->GetAsInteger(), firstShown + 1) << "back to the outer reading";
  grid_->InstantReadLeave();
  EXPECT_EQ(link->GetActiveRecord(), active);
  EXPECT_EQ(id->GetAsInteger(), 5);
}

// The bar numbers records where the dataset can; a filtered test dataset cannot, and its bar has five
// positions: the ends, the middle, and a page either side of it.
TEST_F(DBGridTest, VerticalBarNumbersRecordsOrStandsAtTheEndsOrTheMiddle) {
  MakeGrid();
  const Integer page = grid_->VisibleDataRowCount();
  Integer pos = 0, min = 0, barPage = 0, max = 0;
  data_->SetRecNo(30);
  grid_->CalcVertScrollBarParams(pos, min, barPage, max);
  EXPECT_EQ((std::vector<Integer>{pos, min, barPage, max}),
            (std::vector<Integer>{30, 1, page, 100 + page - 1}));

  data_->OnFilterRecord = [](TDataSet*, bool& accept) { accept = true; };
  data_->SetFiltered(true);
  TField* id = data_->FieldByName(u"ID");
  struct Step {
    Integer code, thumb, id, pos;
  };
  const Step steps[] = {{SB_THUMBPOSITION, 4, 100, 4},      {SB_THUMBPOSITION, 0, 1, 0},
                        {SB_THUMBPOSITION, 1, 1, 0},        {SB_THUMBPOSITION, 3, 1 + page, 2},
                        {SB_THUMBPOSITION, 2, 1 + page, 2}, {SB_BOTTOM, 0, 100, 4}};
  for (const Step& s : steps) {
    grid_->VertScroll(s.code, s.thumb);
    grid_->CalcVertScrollBarParams(pos, min, barPage, max);
    EXPECT_EQ(id->GetAsInteger(), s.id) << s.code << "/" << s.thumb;
    EXPECT_EQ((std::vector<Integer>{pos, min, barPage, max}), (std::vector<Integer>{s.pos, 0, 0, 4}))
        << s.code << "/" << s.thumb;
  }
  data_->Close();
  grid_->CalcVertScrollBarParams(pos, min, barPage, max);
  EXPECT_EQ((std::vector<Integer>{pos, min, barPage, max}), (std::vector<Integer>{0, 0, 2, 1}));
}

TEST_F(DBGridTest, TheHorizontalBarStaysShownWhileItsExtraPanelIs) {
  MakeGrid();
  TGridScrollBarEh* bar = grid_->GetHorzScrollBar();
  ASSERT_FALSE(bar->IsScrollBarShowing()) << "three narrow columns fit";
  grid_->GetHorzDBScrollBar()->GetExtraPanel()->SetVisible(true);
  EXPECT_TRUE(bar->IsScrollBarShowing());
  EXPECT_TRUE(grid_->ScrollBarPanel());
  grid_->GetHorzDBScrollBar()->GetExtraPanel()->SetVisible(false);
  EXPECT_FALSE(bar->IsScrollBarShowing());
  EXPECT_FALSE(grid_->ScrollBarPanel());
}

TEST_F(DBGridTest, SelectedRowsAreForgottenWhenTheDatasetIsReopened) {
  MakeGrid();
  data_->SetRecNo(5);
  grid_->GetSelectedRows()->SetCurrentRowSelected(true);
  data_->SetRecNo(9);
  grid_->GetSelectedRows()->SetCurrentRowSelected(true);
  ASSERT_EQ(grid_->GetSelectedRows()->GetCount(), 2);
  data_->Close();
  data_->Open();
  EXPECT_EQ(grid_->GetSelectedRows()->GetCount(), 0);
}

TEST_F(DBGridTest, SelectionNoticesWaitForTheEndOfAnUpdateWhichAnExceptionAlsoEnds) {
  MakeGrid();
  TDBGridEhSelection* selection = grid_->GetSelection();
  int notices = 0;
  grid_->OnSelectionChanged = [&notices](TObject*) { ++notices; };
  selection->Update([&] {
    for (Integer recNo : {3, 5, 8}) {
      data_->SetRecNo(recNo);
      grid_->GetSelectedRows()->SetCurrentRowSelected(true);
    }
  });
  EXPECT_EQ(notices, 1);
  EXPECT_EQ(selection->GetSelectionType(), gstRecordBookmarks);
  EXPECT_EQ(grid_->GetSelectedRows()->GetCount(), 3);

  notices = 0;
  EXPECT_THROW(selection->Update([&] {
    selection->Clear();
    throw Exception(u"отказ");
  }),
               Exception);
  EXPECT_EQ(selection->GetUpdateCount(), 0);
  EXPECT_EQ(notices, 1);
  EXPECT_EQ(selection->GetSelectionType(), gstNon);
}

TEST_F(DBGridTest, SelectionShapesAnswerWhichCellsAreSelected) {
  MakeGrid();
  grid_->GetColumns()->SetState(csCustomized);
  TDBGridEhSelection* selection = grid_->GetSelection();
  data_->SetRecNo(4);
  const TBookmark row4 = data_->GetBookmark();
  data_->SetRecNo(6);
  const TBookmark row6 = data_->GetBookmark();
  data_->SetRecNo(9);
  const TBookmark row9 = data_->GetBookmark();

  // A click and a Shift-click on the same cell select no rectangle.
  selection->GetRect()->Select(1, row4, false);
  selection->GetRect()->Select(1, row4, true);
  EXPECT_EQ(selection->GetSelectionType(), gstNon);
  selection->GetRect()->Select(2, row6, true);
  ASSERT_EQ(selection->GetSelectionType(), gstRectangle);
  EXPECT_TRUE(selection->DataCellSelected(1, row4));
  EXPECT_TRUE(selection->DataCellSelected(2, row6));
  EXPECT_FALSE(selection->DataCellSelected(0, row6));
  EXPECT_FALSE(selection->DataCellSelected(1, row9));
  EXPECT_FALSE(selection->DataCellSelected(-1, row4)) << "the indicator";

  // Columns stay in collection order whatever order they are picked in.
  selection->GetColumns()->Select(grid_->GetColumns()->GetColumn(2), false);
  selection->GetColumns()->Select(grid_->GetColumns()->GetColumn(0), true);
  selection->GetColumns()->Select(grid_->GetColumns()->GetColumn(1), true);
  ASSERT_EQ(selection->GetSelectionType(), gstColumns);
  for (Integer i = 0; i < 3; ++i) EXPECT_EQ(selection->GetColumns()->GetColumn(i)->GetIndex(), i);
  EXPECT_TRUE(selection->DataCellSelected(1, row9));
  EXPECT_FALSE(selection->DataCellSelected(-1, row9));
  selection->GetColumns()->InvertSelect(grid_->GetColumns()->GetColumn(1));
  EXPECT_FALSE(selection->DataCellSelected(1, row9));
  // A freed column leaves the selection, anchor included: nothing may point at it afterwards.
  ASSERT_EQ(selection->GetColumns()->GetAnchor(), grid_->GetColumns()->GetColumn(1));
  delete grid_->GetColumns()->GetColumn(1);
  EXPECT_EQ(selection->GetColumns()->GetAnchor(), nullptr);
  ASSERT_EQ(selection->GetColumns()->GetCount(), 2);
  delete grid_->GetColumns()->GetColumn(1);
  ASSERT_EQ(selection->GetColumns()->GetCount(), 1);
  EXPECT_EQ(selection->GetColumns()->GetColumn(0), grid_->GetColumns()->GetColumn(0));

  selection->SelectAll();
  EXPECT_TRUE(selection->DataCellSelected(-1, row9));
  selection->Clear();
  EXPECT_FALSE(selection->DataCellSelected(0, row9));
}

TEST_F(DBGridTest, TheEditorStaysHiddenOverASelectionThatAnEditWouldClear) {
  MakeGrid();
  grid_->SetDBOptions(grid_->GetDBOptions() + TDBGridOptions{dgAlwaysShowEditor});
  grid_->SetEditorMode(true);
  ASSERT_TRUE(grid_->CanEditShow());
  data_->SetRecNo(4);
  const TBookmark row4 = data_->GetBookmark();
  data_->SetRecNo(6);
  grid_->GetSelection()->GetRect()->Select(1, row4, false);
  grid_->GetSelection()->GetRect()->Select(2, data_->GetBookmark(), true);
  ASSERT_EQ(grid_->GetSelection()->GetSelectionType(), gstRectangle);
  EXPECT_FALSE(grid_->CanEditShow());
  grid_->SetOptionsEh(grid_->GetOptionsEh() - TDBGridEhOptions{dghClearSelection});
  EXPECT_TRUE(grid_->CanEditShow()) << "the selection stays while typing";
}

TEST_F(DBGridTest, FooterAggregatesFollowTheDatasetAndTheApplicationsHandlersStillRun) {
  int appPosts = 0;
  data_->AfterPost = [&appPosts](TDataSet*) { ++appPosts; };
  MakeGrid();
  grid_->GetColumns()->SetState(csCustomized);
  Column(u"QTY")->GetFooter()->SetValueType(fvtSum);
  Column(u"ID")->GetFooter()->SetValueType(fvtCount);
  Column(u"NAME")->GetFooter()->SetValueType(fvtStaticText);
  EXPECT_EQ(Column(u"NAME")->GetFooter()->GetDBSum(), nullptr);
  EXPECT_TRUE(Column(u"NAME")->GetFooter()->GetSumValue().IsNull());
  grid_->GetSumList()->SetActive(true);
  EXPECT_EQ(Column(u"QTY")->GetFooter()->GetSumValue().AsInt64(), 50500);  // 10 + 20 + ... + 1000
  EXPECT_EQ(Column(u"ID")->GetFooter()->GetSumValue().AsInt64(), 100);

  data_->SetRecNo(1);
  data_->Edit();
  data_->FieldByName(u"QTY")->SetAsInteger(15);
  data_->Post();
  data_->SetRecNo(2);
  data_->Delete();
  EXPECT_EQ(appPosts, 1);
  EXPECT_EQ(Column(u"QTY")->GetFooter()->GetSumValue().AsInt64(), 50500 + 5 - 20);
  EXPECT_EQ(Column(u"ID")->GetFooter()->GetSumValue().AsInt64(), 99);

  // A footer that stops aggregating leaves the sum list.
  const Integer sums = grid_->GetSumList()->GetSumCollection()->GetCount();
  Column(u"ID")->GetFooter()->SetValueType(fvtNon);
  EXPECT_EQ(grid_->GetSumList()->GetSumCollection()->GetCount(), sums - 1);
  grid_->GetSumList()->SetActive(false);
  data_->SetRecNo(1);
  data_->Edit();
  data_->Post();
  EXPECT_EQ(appPosts, 2) << "the handler is back on the dataset";
}

TEST_F(DBGridTest, AtDesignTimeTheSumsFollowTheDatasetWithoutTakingItsHandlers) {
  int appPosts = 0;
  const TDataSetNotifyEvent appAfterPost = [&appPosts](TDataSet*) { ++appPosts; };
  data_->AfterPost = appAfterPost;
  MakeGrid();
  grid_->SetDesigning(true);
  grid_->GetColumns()->SetState(csCustomized);
  Column(u"QTY")->GetFooter()->SetValueType(fvtSum);
  Column(u"ID")->GetFooter()->SetValueType(fvtCount);
  std::vector<TObject*> recalcSenders;
  grid_->OnSumListRecalcAll = [&](TObject* sender) { recalcSenders.push_back(sender); };
  grid_->OnSumListAfterRecalcAll = [&](TObject* sender) { recalcSenders.push_back(sender); };
  grid_->GetSumList()->SetActive(true);
  EXPECT_EQ(Column(u"QTY")->GetFooter()->GetSumValue().AsInt64(), 50500);
  EXPECT_EQ(Column(u"ID")->GetFooter()->GetSumValue().AsInt64(), 100);
  ASSERT_GE(recalcSenders.size(), 2u);
  EXPECT_EQ(recalcSenders.front(), grid_->GetSumList()) << "the sum list is the Sender";

  // The designed dataset keeps its own handler; the grid recalculates on the change it is told of.
  data_->SetRecNo(1);
  data_->Edit();
  data_->FieldByName(u"QTY")->SetAsInteger(15);
  data_->Post();
  EXPECT_EQ(appPosts, 1);
  EXPECT_EQ(Column(u"QTY")->GetFooter()->GetSumValue().AsInt64(), 50500 + 5);
  data_->AfterPost = nullptr;
  grid_->GetSumList()->SetActive(false);
  EXPECT_FALSE(data_->AfterPost) << "letting go restores nothing it never took";
  grid_->SetDesigning(false);
}

TEST_F(DBGridTest, FootersOfColumnsLoadAndSaveUnchangedAndAggregateInTheNewGrid) {
  MakeGrid();
  grid_->SetFooterRowCount(2);
  grid_->GetColumns()->SetState(csCustomized);
  TColumnEh* qty = Column(u"QTY");
  qty->GetFooter()->SetValueType(fvtSum);
  qty->GetFooter()->SetDisplayFormat(u"#,##0.00");
  qty->GetFooter()->SetAlignment(taCenter);
  qty->GetFooter()->SetToolTips(false);
  qty->GetFooter()->GetFont()->SetStyle({fsBold});
  TColumnFooterEh* count = qty->GetFooters()->Add();
  count->SetValueType(fvtCount);
  count->SetToolTips(true);
  count->SetColor(clYellow);
  TMemoryStream first;
  grid_->GetColumns()->SaveToStream(&first);

  TDBGridEh* other = GridWithColumnsOf(first);
  auto* loaded = static_cast<TColumnEh*>(other->FindFieldColumn(u"QTY"));
  ASSERT_NE(loaded, nullptr);
  ASSERT_EQ(loaded->GetFooters()->GetCount(), 1);
  EXPECT_EQ(loaded->UsedFooter(0), loaded->GetFooters()->GetFooter(0));
  EXPECT_EQ(loaded->UsedFooter(1), loaded->GetFooter()) << "past the collection: the main footer";
  TColumnFooterEh* main = loaded->GetFooter();
  EXPECT_EQ(main->GetValueType(), fvtSum);
  EXPECT_EQ(main->GetDisplayFormat(), u"#,##0.00");
  EXPECT_EQ(main->GetAlignment(), taCenter);
  EXPECT_TRUE(main->GetFont()->GetStyle().Contains(fsBold));
  EXPECT_FALSE(main->GetAssignedValues().Contains(cvFooterColor)) << "an unset colour stays unset";
  EXPECT_FALSE(main->GetToolTips());
  EXPECT_TRUE(loaded->UsedFooter(0)->GetToolTips());
  EXPECT_EQ(loaded->UsedFooter(0)->GetColor(), clYellow);
  // The loaded footers own aggregates in the new grid's sum list.
  other->GetSumList()->SetActive(true);
  EXPECT_EQ(main->GetSumValue().AsInt64(), 50500);
  EXPECT_EQ(loaded->UsedFooter(0)->GetSumValue().AsInt64(), 100);

  ExpectSameColumnsStored(other, first);
}

TEST_F(DBGridTest, FooterAggregatesFollowTheirKindAndTheColumnsField) {
  MakeGrid();
  grid_->GetColumns()->SetState(csCustomized);
  TColumnEh* column = Column(u"QTY");
  TColumnFooterEh* footer = column->GetFooter();
  struct Case {
    TFooterValueType type;
    String fieldName;
    bool hasSum;
    TGroupOperation operation;
    String sumField;
  };
  const Case cases[] = {
      {fvtAvg, u"", true, goAvg, u"QTY"},      {fvtAvg, u"ID", true, goAvg, u"ID"},
      {fvtCount, u"ID", true, goCount, u""},   {fvtStaticText, u"ID", false, goSum, u""},
      {fvtFieldValue, u"", false, goSum, u""}, {fvtSum, u"", true, goSum, u"QTY"},
  };
  for (const Case& c : cases) {
    footer->SetValueType(c.type);
    footer->SetFieldName(c.fieldName);
    ASSERT_EQ(footer->GetDBSum() != nullptr, c.hasSum) << c.type;
    if (!c.hasSum) continue;
    EXPECT_EQ(footer->GetDBSum()->GetGroupOperation(), c.operation) << c.type;
    EXPECT_EQ(footer->GetDBSum()->GetFieldName(), c.sumField) << c.type;
  }
  // An aggregate of the column's own field follows the column to another field.
  column->SetFieldName(u"ID");
  ASSERT_NE(footer->GetDBSum(), nullptr);
  EXPECT_EQ(footer->GetDBSum()->GetFieldName(), u"ID");
}

TEST_F(DBGridTest, AreaParametersFollowTheGridUntilSet) {
  MakeGrid();
  TDBGridTitleParamsEh* title = grid_->GetTitleParams();
  TDBGridFooterParamsEh* footer = grid_->GetFooterParams();
  TDBGridOptions options = grid_->GetDBOptions();
  options.Exclude(dgRowLines);
  grid_->SetDBOptions(options);
  EXPECT_FALSE(title->GetHorzLines()) << "unset lines follow the grid's options";
  EXPECT_TRUE(title->GetVertLines());
  title->SetHorzLines(true);
  EXPECT_TRUE(title->GetHorzLines());
  title->SetHorzLinesStored(false);
  EXPECT_FALSE(title->GetHorzLines());

  grid_->SetColor(clYellow);
  grid_->SetFixedColor(clSilver);
  EXPECT_EQ(footer->GetFillStyleColor(), clYellow);
  EXPECT_EQ(title->GetFillStyleColor(), clSilver);
  EXPECT_EQ(title->GetVertLineColor(), grid_->GetGridLineColors()->GetDarkColor());
  title->SetColorStored(true);
  grid_->SetFixedColor(clGray);
  EXPECT_EQ(title->GetFillStyleColor(), clSilver) << "a stored colour stays";

  EXPECT_TRUE(title->GetParentFont());
  title->GetFont()->SetSize(15);
  EXPECT_FALSE(title->GetParentFont());
  grid_->GetFont()->SetSize(9);
  EXPECT_EQ(title->GetFont()->GetSize(), 15) << "the grid's font no longer reaches the title font";
  EXPECT_EQ(footer->GetFont()->GetSize(), 9);

  if (!ThemesEnabledEh()) {
    // Without themes a themed title falls back to a solid fill; the indicator keeps what it was given.
    title->SetFillStyle(cfstThemedEh);
    grid_->GetIndicatorParams()->SetFillStyle(cfstThemedEh);
    EXPECT_EQ(title->GetActualFillStyle(), cfstSolidEh);
    EXPECT_EQ(grid_->GetIndicatorParams()->GetActualFillStyle(), cfstThemedEh);
    title->SetFillStyle(cfstGradientEh);
    EXPECT_EQ(title->GetActualFillStyle(), cfstSolidEh);
    GetGlobalGridStyle()->SetGradientEnabledInClassicTheme(true);
    EXPECT_EQ(title->GetActualFillStyle(), cfstGradientEh);
    GetGlobalGridStyle()->SetGradientEnabledInClassicTheme(false);
  }
}

// For a person to look at; runs when KIV_SCREENSHOT_DIR names a folder.
TEST_F(DBGridTest, Screenshot) {
  const char* dir = std::getenv("KIV_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "set KIV_SCREENSHOT_DIR to write the picture";
  MakeGrid();
  grid_->GetColumns()->SetState(csCustomized);
  Column(u"NAME")->GetTitle()->SetCaption(u"Наименование");
  Column(u"NAME")->SetWidth(200);
  grid_->SetFooterRowCount(1);
  data_->SetRecNo(30);
  ProcessPendingEvents();
  CaptureControl(form_.get())->SaveToFile(Utf8ToString(dir) + u"/data-grid.bmp");
}

}  // namespace
