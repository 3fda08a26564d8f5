// The data grid driven by keys and the mouse over the test dataset: the key tables, appending and
// cancelling a new row, Tab wrapping, Shift selection, title clicks with their sort markers, column
// moving and sizing carried into the columns, the edit actions and the popup menus.
#include <gtest/gtest.h>

#include "gridlib/memtable/MemTableEh.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdActns.h"
#include "platform/controls/StdEdits.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/ScopeGuard.h"
#include "tests/gridlib/dbgrid/DBGridTestSupport.h"
#include "tests/platform/controls/Later.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

// Reaches the field re-ordering that a block move of columns ends with.
class TInputProbeGrid : public TDBGridEh {
 public:
  using TDBGridEh::TDBGridEh;
  void Reorder() { ReorderFieldsAsColumns(); }
  void Tick() { TimedScroll(nullptr); }
  TCursor CursorAt(TPoint p) { return CalcCursorAt(p); }
};

class DBGridInputTest : public ::testing::Test {
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
    data_->Open();
    grid_ = ShowGridOver<TInputProbeGrid>(form_.get(), data_, &source_);
    grid_->SetFocus();
    ProcessPendingEvents();
  }
  void TearDown() override {
    form_.reset();
    Application->OnException = nullptr;
  }
  TColumnEh* Column(const String& field) { return static_cast<TColumnEh*>(grid_->FindFieldColumn(field)); }
  // The centre of a grid cell, in the grid's client coordinates.
  TPoint Centre(Integer col, Integer row) {
    const TRect r = static_cast<TCustomGridEh*>(grid_)->CellRect(col, row);
    return TPoint(r.Left + r.Width() / 2, r.Top + r.Height() / 2);
  }
  // The grid row that shows a record, with the grid at rest.
  Integer RowOf(Integer recNo) { return grid_->GetRow() + recNo - data_->RecNo(); }
  void Key(Word key, TShiftState shift = {}) {
    SendKey(grid_, key, shift);
    ProcessPendingEvents();
  }
  void Click(TPoint p, TShiftState shift = {}) {
    SendMouseDown(grid_, mbLeft, p, shift);
    SendMouseUp(grid_, mbLeft, p, shift);
    ProcessPendingEvents();
  }
  void SetMultiSelect() {
    TDBGridOptions o = grid_->GetDBOptions();
    o.Include(dgMultiSelect);
    grid_->SetDBOptions(o);
  }
  std::vector<Integer> SelectedIds() {
    std::vector<Integer> ids;
    const TBookmark keep = data_->GetBookmark();
    for (Integer i = 0; i < grid_->GetSelectedRows()->GetCount(); ++i) {
      data_->SetBookmark(grid_->GetSelectedRows()->GetItem(i));
      ids.push_back(data_->FieldByName(u"ID")->GetAsInteger());
    }
    data_->SetBookmark(keep);
    return ids;
  }

  std::unique_ptr<TForm> form_;
  TTestDataSet* data_ = nullptr;
  TDataSource* source_ = nullptr;
  TDBGridEh* grid_ = nullptr;
};

TEST_F(DBGridInputTest, KeysMoveTheRecordAsTheKeyTablesSay) {
  const Integer page = grid_->VisibleDataRowCount();
  ASSERT_GT(page, 5);
  struct Case {
    const char* what;
    Integer from;
    Word key;
    TShiftState shift;
    Integer to;
  };
  const Case cases[] = {
      {"Down", 10, VK_DOWN, {}, 11},
      {"Up", 10, VK_UP, {}, 9},
      {"Up on the first record", 1, VK_UP, {}, 1},
      {"Page Down", 10, VK_NEXT, {}, 10 + page},
      {"Page Up", 50, VK_PRIOR, {}, 50 - page},
      {"Ctrl+Home", 50, VK_HOME, {ssCtrl}, 1},
      {"Ctrl+End", 50, VK_END, {ssCtrl}, 100},
  };
  for (const Case& c : cases) {
    data_->SetRecNo(c.from);
    ProcessPendingEvents();
    Key(c.key, c.shift);
    EXPECT_EQ(data_->RecNo(), c.to) << c.what;
    EXPECT_EQ(data_->GetState(), dsBrowse) << c.what;
  }
  // Ctrl+Up and Ctrl+Down go to the first and the last record on the screen.
  data_->SetRecNo(50);
  ProcessPendingEvents();
  const Integer active = grid_->GetDataLink()->GetActiveRecord();
  const Integer shown = grid_->GetDataLink()->GetRecordCount();
  Key(VK_UP, {ssCtrl});
  EXPECT_EQ(data_->RecNo(), 50 - active);
  Key(VK_DOWN, {ssCtrl});
  EXPECT_EQ(data_->RecNo(), 50 - active + shown - 1);
}

TEST_F(DBGridInputTest, DownOnTheLastRecordAppendsOnceAndUpDropsTheUntouchedRow) {
  data_->Last();
  ProcessPendingEvents();
  Key(VK_DOWN);
  EXPECT_EQ(data_->GetState(), dsInsert);
  Key(VK_DOWN);
  EXPECT_EQ(data_->GetState(), dsInsert) << "a second Down keeps the one new row";
  Key(VK_UP);
  EXPECT_EQ(data_->GetState(), dsBrowse);
  EXPECT_EQ(data_->RecordCount(), 100);
  // A grid that may not append only moves.
  grid_->SetAllowedOperations({alopInsertEh, alopUpdateEh, alopDeleteEh});
  data_->Last();
  Key(VK_DOWN);
  EXPECT_EQ(data_->GetState(), dsBrowse);
}

TEST_F(DBGridInputTest, TabWrapsBetweenRecordsAndArrowsWalkTheColumns) {
  data_->SetRecNo(5);
  grid_->SetSelectedIndex(Column(u"QTY")->GetIndex());
  Key(VK_TAB);
  EXPECT_EQ(data_->RecNo(), 6);
  EXPECT_EQ(grid_->GetSelectedIndex(), Column(u"ID")->GetIndex());
  Key(VK_TAB, {ssShift});
  EXPECT_EQ(data_->RecNo(), 5);
  EXPECT_EQ(grid_->GetSelectedIndex(), Column(u"QTY")->GetIndex());
  Key(VK_LEFT);
  EXPECT_EQ(grid_->GetSelectedIndex(), Column(u"NAME")->GetIndex());
  Key(VK_HOME);
  EXPECT_EQ(grid_->GetSelectedIndex(), Column(u"ID")->GetIndex());
  Key(VK_END);
  EXPECT_EQ(grid_->GetSelectedIndex(), Column(u"QTY")->GetIndex());
  // A hidden column is stepped over.
  Column(u"NAME")->SetVisible(false);
  ProcessPendingEvents();
  Key(VK_LEFT);
  EXPECT_EQ(grid_->GetSelectedIndex(), Column(u"ID")->GetIndex());
  // With "Enter as Tab" Enter moves on like Tab.
  TDBGridEhOptions o = grid_->GetOptionsEh();
  o.Include(dghEnterAsTab);
  grid_->SetOptionsEh(o);
  Key(VK_RETURN);
  EXPECT_EQ(grid_->GetSelectedIndex(), Column(u"QTY")->GetIndex());
}

TEST_F(DBGridInputTest, ShiftMovesSelectRowsEscClearsAndCtrlASelectsAll) {
  SetMultiSelect();
  grid_->SetEditActions({geaCopyEh, geaSelectAllEh});
  // With rectangles allowed Shift+Down stretches a rectangle; rows are selected without them.
  data_->SetRecNo(10);
  Key(VK_DOWN, {ssShift});
  EXPECT_EQ(grid_->GetSelection()->GetSelectionType(), gstRectangle);
  Key(VK_ESCAPE);
  EXPECT_EQ(grid_->GetSelection()->GetSelectionType(), gstNon);
  grid_->SetAllowedSelections({gstRecordBookmarks, gstAll});
  data_->SetRecNo(10);
  Key(VK_DOWN, {ssShift});
  Key(VK_DOWN, {ssShift});
  EXPECT_EQ(SelectedIds(), (std::vector<Integer>{10, 11, 12}));
  Key(VK_UP, {ssShift});
  EXPECT_EQ(SelectedIds(), (std::vector<Integer>{10, 11})) << "going back unselects the row left";
  Key(VK_DOWN);
  EXPECT_TRUE(SelectedIds().empty()) << "a plain move clears the selection";
  Key(VK_DOWN, {ssShift});
  Key(VK_ESCAPE);
  EXPECT_TRUE(SelectedIds().empty());
  Key('A', {ssCtrl, ssShift});
  EXPECT_EQ(grid_->GetSelection()->GetSelectionType(), gstNon) << "Ctrl+Shift+A does nothing";
  Key('A', {ssCtrl});
  EXPECT_EQ(grid_->GetSelection()->GetSelectionType(), gstAll);
}

TEST_F(DBGridInputTest, ClicksMoveTheRecordSelectRangesAndTheSecondOpensTheEditor) {
  SetMultiSelect();
  Integer cellClicks = 0;
  grid_->OnCellClick = [&](TObject*, TColumnEh*) { ++cellClicks; };
  data_->SetRecNo(3);
  ProcessPendingEvents();
  const Integer nameCol = grid_->DataColToGridCol(grid_->GetVisibleColumns()->IndexOf(Column(u"NAME")));
  Click(Centre(nameCol, RowOf(6)));
  EXPECT_EQ(data_->RecNo(), 6);
  EXPECT_EQ(grid_->GetSelectedIndex(), Column(u"NAME")->GetIndex());
  EXPECT_EQ(cellClicks, 1);
  EXPECT_FALSE(grid_->GetEditorMode());
  Click(Centre(nameCol, RowOf(6)));
  EXPECT_TRUE(grid_->GetEditorMode()) << "a press on the current cell opens the editor";
  Key(VK_ESCAPE);
  // In the indicator: a click selects one row, Shift+click the range up to it.
  Click(Centre(0, RowOf(4)));
  EXPECT_EQ(SelectedIds(), (std::vector<Integer>{4}));
  Click(Centre(0, RowOf(8)), {ssShift});
  EXPECT_EQ(SelectedIds(), (std::vector<Integer>{4, 5, 6, 7, 8}));
  Click(Centre(0, RowOf(6)), {ssCtrl});
  EXPECT_EQ(SelectedIds(), (std::vector<Integer>{4, 5, 7, 8})) << "Ctrl toggles one row";
}

TEST_F(DBGridInputTest, AClickOnACheckBoxStepsItsValueOrADoubleClickWhenTheColumnAsks) {
  auto* flags = new TTestDataSet(form_.get());
  flags->GetFieldDefs()->Add(u"ID", ftInteger, 0, false);
  flags->GetFieldDefs()->Add(u"DONE", ftBoolean, 0, false);
  for (int i = 1; i <= 5; ++i) flags->AddRow({Variant(i), Variant(false)});
  flags->Open();
  source_->SetDataSet(flags);
  ProcessPendingEvents();
  auto* done = static_cast<TColumnEh*>(grid_->FindFieldColumn(u"DONE"));
  ASSERT_NE(done, nullptr);
  ASSERT_EQ(done->GetBarType(), ctCheckboxes);
  const Integer doneCol = grid_->DataColToGridCol(grid_->GetVisibleColumns()->IndexOf(done));
  const auto value = [&] { return flags->FieldByName(u"DONE")->GetAsBoolean(); };
  const Integer row3 = grid_->GetRow() + 2;
  Click(Centre(doneCol, row3));
  EXPECT_EQ(flags->RecNo(), 3);
  EXPECT_TRUE(value()) << "one click moves to the record and checks it";
  Click(Centre(doneCol, row3), {ssShift});
  EXPECT_FALSE(value());
  const Integer idCol =
      grid_->DataColToGridCol(grid_->GetVisibleColumns()->IndexOf(grid_->FindFieldColumn(u"ID")));
  Click(Centre(idCol, row3));
  EXPECT_FALSE(value()) << "another column's cell steps nothing";
  // A press on one cell released over another steps nothing either.
  SendMouseDown(grid_, mbLeft, Centre(doneCol, row3));
  SendMouseUp(grid_, mbLeft, Centre(idCol, row3));
  ProcessPendingEvents();
  EXPECT_FALSE(value());

  done->SetDblClickNextVal(true);
  Click(Centre(doneCol, row3));
  EXPECT_FALSE(value()) << "a column that steps on double clicks ignores a single one";
  SendDblClick(grid_, Centre(doneCol, row3));
  ProcessPendingEvents();
  EXPECT_TRUE(value()) << "a double click steps once";
}

TEST_F(DBGridInputTest, TitleClicksStepSortMarkersAndCtrlWaitsForItsRelease) {
  TDBGridEhOptions o = grid_->GetOptionsEh();
  o.Include(dghAutoSortMarking);
  o.Include(dghMultiSortMarking);
  grid_->SetOptionsEh(o);
  for (const Char* f : {u"ID", u"NAME"}) Column(f)->GetTitle()->SetTitleButton(true);
  Integer sorts = 0, titleClicks = 0;
  grid_->OnSortMarkingChanged = [&](TObject*) { ++sorts; };
  grid_->OnTitleClick = [&](TObject*, TColumnEh*) { ++titleClicks; };
  const TPoint id = Centre(grid_->DataColToGridCol(0), 0);
  const TPoint name = Centre(grid_->DataColToGridCol(1), 0);
  Click(id);
  EXPECT_EQ(Column(u"ID")->GetTitle()->GetSortMarker(), smDownEh) << "a number starts descending";
  EXPECT_EQ(sorts, 1);
  EXPECT_EQ(titleClicks, 1);
  Click(id);
  EXPECT_EQ(Column(u"ID")->GetTitle()->GetSortMarker(), smUpEh);
  Click(name);
  EXPECT_EQ(Column(u"NAME")->GetTitle()->GetSortMarker(), smUpEh) << "a text starts ascending";
  EXPECT_EQ(Column(u"ID")->GetTitle()->GetSortMarker(), smNoneEh) << "without Ctrl the others clear";
  EXPECT_EQ(sorts, 3);
  // With Ctrl the markers collect and the sort runs once, when Ctrl goes up.
  Click(id, {ssCtrl});
  EXPECT_EQ(Column(u"ID")->GetTitle()->GetSortMarker(), smDownEh);
  EXPECT_EQ(Column(u"NAME")->GetTitle()->GetSortMarker(), smUpEh);
  EXPECT_EQ(Column(u"NAME")->GetTitle()->GetSortIndex(), 1);
  EXPECT_EQ(Column(u"ID")->GetTitle()->GetSortIndex(), 2);
  EXPECT_EQ(sorts, 3);
  EXPECT_TRUE(grid_->GetSortMarking());
  Key(VK_CONTROL, {ssCtrl});
  EXPECT_EQ(sorts, 4);
  EXPECT_FALSE(grid_->GetSortMarking());
}

// A screen's title handler that fails must not leave the grid tracking or holding the mouse.
TEST_F(DBGridInputTest, AFailingTitleHandlerStillEndsEveryMouseMode) {
  SetMultiSelect();
  String reported;
  Application->OnException = [&](TObject*, Exception* e) { reported = e->Message(); };
  grid_->OnTitleClick = [](TObject*, TColumnEh*) { throw Exception(u"сортировка не удалась"); };
  Column(u"ID")->GetTitle()->SetTitleButton(true);
  grid_->OnTitleBtnClick = [](TObject*, Integer, TColumnEh*) { throw Exception(u"кнопка заголовка"); };
  const TPoint title = Centre(grid_->DataColToGridCol(0), 0);
  for (int round = 0; round < 2; ++round) {
    SendMouseDown(grid_, mbLeft, title);
    SendMouseUp(grid_, mbLeft, title);
    ProcessPendingEvents();
    EXPECT_FALSE(reported.empty());
    EXPECT_EQ(grid_->GetDBGridEhState(), dgsNormal);
    EXPECT_FALSE(grid_->GetMouseCapture());
    EXPECT_FALSE(grid_->GetTimerActive());
    grid_->OnTitleBtnClick = nullptr;
    reported.clear();
  }
  // A later move over the rows selects nothing.
  data_->SetRecNo(2);
  ProcessPendingEvents();
  SendMouseMove(grid_, Centre(0, RowOf(9)), {ssLeft});
  ProcessPendingEvents();
  EXPECT_EQ(data_->RecNo(), 2);
  EXPECT_TRUE(SelectedIds().empty());
}

TEST_F(DBGridInputTest, ATitleClickOnValuesThatCannotBeComparedSaysSoAndMarksNothing) {
  auto* docs = new TTestDataSet(form_.get());
  docs->GetFieldDefs()->Add(u"NAME", ftString, 20, false);
  docs->GetFieldDefs()->Add(u"SCAN", ftBlob, 0, false);
  docs->AddRow({Variant(u"Накладная"), Variant()});
  docs->Open();
  TDataSource* source = nullptr;
  auto* grid = ShowGridOver<TDBGridEh>(form_.get(), docs, &source);
  grid->SetOptionsEh(grid->GetOptionsEh() + TDBGridEhOptions{dghAutoSortMarking});
  int sorted = 0;
  grid->OnSortMarkingChanged = [&](TObject*) { ++sorted; };
  String reported;
  Application->OnException = [&](TObject*, Exception* e) { reported = e->Message(); };
  for (const Char* field : {u"SCAN", u"NAME"}) {
    auto* column = static_cast<TColumnEh*>(grid->FindFieldColumn(field));
    column->GetTitle()->SetTitleButton(true);
    const TRect r =
        static_cast<TCustomGridEh*>(grid)->CellRect(grid->DataColToGridCol(column->GetIndex()), 0);
    SendClick(grid, TPoint(r.Left + r.Width() / 2, r.Top + 4));
    ProcessPendingEvents();
  }
  EXPECT_EQ(reported, u"Сортировка по этому полю невозможна");
  EXPECT_EQ(static_cast<TColumnEh*>(grid->FindFieldColumn(u"SCAN"))->GetTitle()->GetSortMarker(), smNoneEh);
  EXPECT_EQ(static_cast<TColumnEh*>(grid->FindFieldColumn(u"NAME"))->GetTitle()->GetSortMarker(), smUpEh);
  EXPECT_EQ(sorted, 1) << "only the text column sorts";
  EXPECT_FALSE(grid->GetMouseCapture());
}

TEST_F(DBGridInputTest, DraggingATitleMovesItsColumnAndThreePixelsStayAClick) {
  Integer titleClicks = 0, moves = 0;
  grid_->OnTitleClick = [&](TObject*, TColumnEh*) { ++titleClicks; };
  grid_->OnColumnMoved = [&](TObject*, Integer from, Integer to) {
    ++moves;
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 2);
  };
  const TPoint id = Centre(grid_->DataColToGridCol(0), 0);
  SendMouseDown(grid_, mbLeft, id);
  SendMouseMove(grid_, TPoint(id.X + 3, id.Y), {ssLeft});
  SendMouseUp(grid_, mbLeft, TPoint(id.X + 3, id.Y));
  ProcessPendingEvents();
  EXPECT_EQ(titleClicks, 1);
  EXPECT_EQ(Column(u"ID")->GetIndex(), 0);
  // Far to the right half of the last column: the column goes to the end.
  const TRect qty = static_cast<TCustomGridEh*>(grid_)->CellRect(grid_->DataColToGridCol(2), 0);
  const TPoint drop(qty.Right - 3, id.Y);
  SendMouseDown(grid_, mbLeft, id);
  SendMouseMove(grid_, TPoint(id.X + 10, id.Y), {ssLeft});
  SendMouseMove(grid_, drop, {ssLeft});
  grid_->Perform(WM_TIMER, 0, 0);
  // The dragged title follows the mouse, its marker on the border the column lands on.
  TDBGridTitleDragWin* dragged = TDBGridTitleDragWin::GetTitleDragWin();
  const TRect idTitle = static_cast<TCustomGridEh*>(grid_)->CellRect(grid_->DataColToGridCol(0), 0);
  ASSERT_TRUE(dragged->GetVisible());
  EXPECT_EQ(dragged->GetDrawObject(), Column(u"ID")->GetTitle());
  EXPECT_EQ(dragged->GetWidth(), idTitle.Width());
  EXPECT_EQ(dragged->GetLeft(), grid_->ClientToScreen(TPoint(drop.X - (id.X - idTitle.Left), 0)).X);
  EXPECT_EQ(dragged->GetMovePointPos(), grid_->ClientToScreen(TPoint(qty.Right, 0)).X);
  EXPECT_TRUE(dragged->GetMovePoint()->GetVisible());
  std::unique_ptr<TBitmap> picture = CaptureControl(dragged);
  EXPECT_EQ(PixelAt(picture.get(), 0, 0), ColorToRGB(cl3DDkShadow)) << "framed";
  SendMouseUp(grid_, mbLeft, drop);
  EXPECT_FALSE(dragged->GetVisible());
  EXPECT_FALSE(dragged->GetMovePoint()->GetVisible());
  ProcessPendingEvents();
  EXPECT_EQ(titleClicks, 1) << "a move is no click";
  EXPECT_EQ(moves, 1);
  EXPECT_EQ(grid_->GetColumns()->GetColumnsIndex(), u"\"NAME\",\"QTY\",\"ID\"");
  EXPECT_EQ(grid_->GetVisibleColumns()->GetColumn(2), Column(u"ID"));
}

TEST_F(DBGridInputTest, SelectedColumnsMoveAsABlockAndTheFieldsFollowAllOrNone) {
  data_->GetFieldDefs()->Add(u"PRICE", ftInteger, 0, false);
  data_->Close();
  data_->GetFields()->Clear();
  data_->Open();
  // Default columns, one per field, made before the selection takes them.
  grid_->GetColumns()->SetState(csDefault);
  grid_->LayoutChanged();
  ProcessPendingEvents();
  ASSERT_EQ(grid_->GetColumns()->GetCount(), 4);
  ASSERT_EQ(grid_->GetColumns()->GetState(), csDefault);
  TDBGridEhSelectionCols* cols = grid_->GetSelection()->GetColumns();
  cols->Select(Column(u"ID"), false);
  cols->Select(Column(u"NAME"), true);
  grid_->GetSelection()->SetSelectionType(gstColumns);
  ASSERT_EQ(cols->GetCount(), 2);
  // The base grid moved ID behind PRICE; the block ID, NAME follows after PRICE.
  grid_->MoveColumn(grid_->DataColToGridCol(0), grid_->DataColToGridCol(3));
  ProcessPendingEvents();
  EXPECT_EQ(grid_->GetColumns()->GetColumnsIndex(), u"\"QTY\",\"PRICE\",\"ID\",\"NAME\"");
  EXPECT_EQ(data_->FieldByName(u"QTY")->GetIndex(), 0);
  EXPECT_EQ(data_->FieldByName(u"NAME")->GetIndex(), 3);
  // A column naming a field the dataset lacks: the error comes, and no field has moved.
  grid_->GetColumns()->SetState(csCustomized);
  grid_->GetColumns()->GetColumn(0)->SetIndex(2);
  grid_->GetColumns()->GetColumn(3)->SetFieldName(u"NO_SUCH_FIELD");
  EXPECT_THROW(static_cast<TInputProbeGrid*>(grid_)->Reorder(), Exception);
  EXPECT_EQ(data_->FieldByName(u"QTY")->GetIndex(), 0);
  EXPECT_EQ(data_->FieldByName(u"PRICE")->GetIndex(), 1);
  EXPECT_EQ(data_->FieldByName(u"ID")->GetIndex(), 2);
  EXPECT_EQ(data_->FieldByName(u"NAME")->GetIndex(), 3);
}

TEST_F(DBGridInputTest, SizedWidthsReachTheColumnsAndSelectedColumnsSizeTogether) {
  Integer notices = 0;
  grid_->OnColWidthsChanged = [&](TObject*) { ++notices; };
  const Integer qtyCol = grid_->DataColToGridCol(2);
  const TRect r = static_cast<TCustomGridEh*>(grid_)->CellRect(qtyCol, 0);
  SendMouseDown(grid_, mbLeft, TPoint(r.Right - 1, r.Top + 3));
  SendMouseMove(grid_, TPoint(r.Right + 40, r.Top + 3), {ssLeft});
  SendMouseUp(grid_, mbLeft, TPoint(r.Right + 40, r.Top + 3));
  ProcessPendingEvents();
  EXPECT_NEAR(Column(u"QTY")->GetWidth(), r.Width() + 40, 2);
  EXPECT_EQ(grid_->GetColWidths(qtyCol), Column(u"QTY")->GetWidth());
  EXPECT_GE(notices, 1);
  // Sizing one of the selected columns sizes them all.
  TDBGridEhSelectionCols* cols = grid_->GetSelection()->GetColumns();
  cols->Select(Column(u"ID"), false);
  cols->Select(Column(u"QTY"), true);
  grid_->GetSelection()->SetSelectionType(gstColumns);
  const TRect id = static_cast<TCustomGridEh*>(grid_)->CellRect(grid_->DataColToGridCol(0), 0);
  SendMouseDown(grid_, mbLeft, TPoint(id.Right - 1, id.Top + 3));
  SendMouseMove(grid_, TPoint(id.Right + 20, id.Top + 3), {ssLeft});
  SendMouseUp(grid_, mbLeft, TPoint(id.Right + 20, id.Top + 3));
  ProcessPendingEvents();
  EXPECT_NEAR(Column(u"ID")->GetWidth(), id.Width() + 20, 2);
  EXPECT_EQ(Column(u"QTY")->GetWidth(), Column(u"ID")->GetWidth());
  EXPECT_NE(Column(u"NAME")->GetWidth(), Column(u"ID")->GetWidth());
}

TEST_F(DBGridInputTest, UnderAutomaticWidthsASizedColumnTakesFromTheNextOrFromTheWholeRightPart) {
  grid_->SetAutoFitColWidths(true);
  ProcessPendingEvents();
  const auto widen = [&](TDBGridEhOptions options) {
    grid_->SetOptionsEh(options);
    grid_->SetAutoFitColWidths(false);
    for (const String f : {u"ID", u"NAME", u"QTY"}) Column(f)->SetWidth(180);
    grid_->SetAutoFitColWidths(true);
    ProcessPendingEvents();
    std::vector<Integer> before;
    for (const String f : {u"ID", u"NAME", u"QTY"}) before.push_back(Column(f)->GetWidth());
    const TRect id = static_cast<TCustomGridEh*>(grid_)->CellRect(grid_->DataColToGridCol(0), 0);
    SendMouseDown(grid_, mbLeft, TPoint(id.Right - 1, id.Top + 3));
    SendMouseMove(grid_, TPoint(id.Right + 60, id.Top + 3), {ssLeft});
    SendMouseUp(grid_, mbLeft, TPoint(id.Right + 60, id.Top + 3));
    ProcessPendingEvents();
    std::vector<Integer> change;
    Integer i = 0;
    for (const String f : {u"ID", u"NAME", u"QTY"}) change.push_back(Column(f)->GetWidth() - before[i++]);
    return change;
  };
  const TDBGridEhOptions plain = grid_->GetOptionsEh() - TDBGridEhOptions{dghResizeWholeRightPart};
  const std::vector<Integer> next = widen(plain);
  EXPECT_NEAR(next[0], 60, 3);
  EXPECT_NEAR(next[1], -60, 3) << "the next column gives the room";
  EXPECT_NEAR(next[2], 0, 3);
  const std::vector<Integer> whole = widen(plain + TDBGridEhOptions{dghResizeWholeRightPart});
  EXPECT_NEAR(whole[0], 60, 3);
  EXPECT_NEAR(whole[1], -30, 3) << "both columns on the right give half";
  EXPECT_NEAR(whole[2], -30, 3);
}

TEST_F(DBGridInputTest, DraggingRowsBelowTheGridScrollsEightRecordsATick) {
  SetMultiSelect();
  data_->SetRecNo(1);
  ProcessPendingEvents();
  const TRect area = grid_->DataRect();
  SendMouseDown(grid_, mbLeft, Centre(0, RowOf(1)));
  SendMouseMove(grid_, TPoint(area.Left + 2, area.Bottom + 60), {ssLeft});
  ProcessPendingEvents();
  ASSERT_EQ(grid_->GetDBGridEhState(), dgsRowSelecting);
  ASSERT_TRUE(grid_->GetTimerActive()) << "the pointer left the data area";
  const Integer before = data_->RecNo();
  static_cast<TInputProbeGrid*>(grid_)->Tick();
  EXPECT_EQ(data_->RecNo(), before + 8);
  EXPECT_EQ(grid_->GetSelectedRows()->GetCount(), before + 8) << "the rows passed over are selected";
  SendMouseUp(grid_, mbLeft, TPoint(area.Left + 2, area.Bottom + 60));
  EXPECT_FALSE(grid_->GetTimerActive());
  EXPECT_EQ(grid_->GetDBGridEhState(), dgsNormal);
}

TEST_F(DBGridInputTest, TheFootOfATitleSelectsColumnsByClickShiftCtrlAndDrag) {
  auto* probe = static_cast<TInputProbeGrid*>(grid_);
  const auto foot = [&](const String& field) {
    const TRect r =
        static_cast<TCustomGridEh*>(grid_)->CellRect(grid_->DataColToGridCol(Column(field)->GetIndex()), 0);
    return TPoint(r.Left + r.Width() / 2, r.Bottom - 3);
  };
  const auto selected = [&] {
    std::vector<String> names;
    TDBGridEhSelectionCols* cols = grid_->GetSelection()->GetColumns();
    for (Integer i = 0; i < cols->GetCount(); ++i) names.push_back(cols->GetColumn(i)->GetFieldName());
    return names;
  };
  const TCursor plain = probe->CursorAt(foot(u"NAME"));
  Click(foot(u"NAME"));
  EXPECT_EQ(grid_->GetSelection()->GetSelectionType(), gstNon) << "without multi-select a title click";
  SetMultiSelect();
  EXPECT_NE(probe->CursorAt(foot(u"NAME")), plain) << "the column-selection arrow";
  EXPECT_NE(probe->CursorAt(Centre(0, RowOf(data_->RecNo()))), plain) << "the row-selection arrow";
  EXPECT_EQ(probe->CursorAt(TPoint(foot(u"NAME").X, foot(u"NAME").Y - 8)), plain)
      << "the title's upper part sorts";

  SendMouseDown(grid_, mbLeft, foot(u"NAME"));
  SendMouseMove(grid_, foot(u"QTY"), {ssLeft});
  SendMouseUp(grid_, mbLeft, foot(u"QTY"));
  EXPECT_EQ(selected(), (std::vector<String>{u"NAME", u"QTY"})) << "dragged over";
  struct Step {
    const Char* field;
    TShiftState shift;
    std::vector<String> expected;
  };
  const Step steps[] = {{u"ID", {ssShift}, {u"ID", u"NAME"}},
                        {u"QTY", {ssCtrl}, {u"ID", u"NAME", u"QTY"}},
                        {u"NAME", {ssCtrl}, {u"ID", u"QTY"}},
                        {u"QTY", {}, {u"QTY"}}};
  for (const Step& step : steps) {
    Click(foot(step.field), step.shift);
    EXPECT_EQ(selected(), step.expected) << StringToUtf8(step.field);
  }
  EXPECT_EQ(grid_->GetDBGridEhState(), dgsNormal);

  // Beyond the right edge the view scrolls a column a tick and the selection follows.
  for (const String f : {u"ID", u"NAME", u"QTY"}) Column(f)->SetWidth(250);
  ProcessPendingEvents();
  SendMouseDown(grid_, mbLeft, foot(u"ID"));
  SendMouseMove(grid_, TPoint(grid_->DataRect().Right + 20, foot(u"ID").Y), {ssLeft});
  ASSERT_TRUE(grid_->GetTimerActive());
  ASSERT_LT(grid_->GetLastFullVisibleCol(), grid_->GetColCount() - 1);
  probe->Tick();
  probe->Tick();
  EXPECT_EQ(grid_->GetLastFullVisibleCol(), grid_->GetColCount() - 1) << "the last column came into view";
  EXPECT_EQ(selected(), (std::vector<String>{u"ID", u"NAME", u"QTY"}));
  SendMouseUp(grid_, mbLeft, TPoint(grid_->DataRect().Right + 20, foot(u"ID").Y));
  EXPECT_FALSE(grid_->GetTimerActive());
}

TEST_F(DBGridInputTest, TheIndicatorTitleTogglesSelectAllUnlessAHandlerTakesThePress) {
  SetMultiSelect();
  const TPoint corner = Centre(0, 0);
  Click(corner);
  EXPECT_EQ(grid_->GetSelection()->GetSelectionType(), gstAll);
  Click(corner);
  EXPECT_EQ(grid_->GetSelection()->GetSelectionType(), gstNon);
  TPoint heard(-1, -1);
  grid_->OnIndicatorTitleMouseDown = [&](TCustomGridEh*, TGridCoord cell, TMouseButton, TShiftState,
                                         Integer x, Integer y, bool& processed) {
    EXPECT_EQ(cell, (TGridCoord{0, 0}));
    heard = TPoint(x, y);
    processed = true;
  };
  Click(corner);
  const TRect r = static_cast<TCustomGridEh*>(grid_)->CellRect(0, 0);
  EXPECT_EQ(heard, TPoint(corner.X - r.Left, corner.Y - r.Top)) << "the point inside the cell";
  EXPECT_EQ(grid_->GetSelection()->GetSelectionType(), gstNon);
}

TEST_F(DBGridInputTest, APointTypedIntoANumberBecomesTheDecimalSeparator) {
  TFormatSettingsGuard russian(TFormatSettings::Russian());
  auto* prices = new TTestDataSet(form_.get());
  prices->GetFieldDefs()->Add(u"NAME", ftString, 20, false);
  prices->GetFieldDefs()->Add(u"PRICE", ftFloat, 0, false);
  prices->AddRow({Variant(u"Болт"), Variant(2.0)});
  prices->Open();
  TDataSource* source = nullptr;
  auto* grid = ShowGridOver<TDBGridEh>(form_.get(), prices, &source);
  grid->SetFocus();
  struct Case {
    const Char* field;
    const Char* expected;
  };
  for (const Case& c : {Case{u"PRICE", u","}, Case{u"NAME", u"."}}) {
    grid->SetSelectedIndex(grid->FindFieldColumn(c.field)->GetIndex());
    SendChar(grid, u'.');
    ProcessPendingEvents();
    ASSERT_TRUE(grid->InplaceEditorVisible());
    EXPECT_EQ(grid->GetInplaceEditor()->GetEditText(), c.expected) << StringToUtf8(c.field);
    SendKey(grid->GetInplaceEditor(), VK_ESCAPE);
    prices->Cancel();
    ProcessPendingEvents();
  }
}

TEST_F(DBGridInputTest, ASelectionOfAKindNoLongerAllowedIsCleared) {
  SetMultiSelect();
  struct Case {
    TDBGridEhSelectionType made;
    TDBGridEhSelectionType removed;
    bool kept;
  };
  const Case cases[] = {{gstRectangle, gstRectangle, false},
                        {gstRecordBookmarks, gstColumns, true},
                        {gstColumns, gstColumns, false},
                        {gstAll, gstRecordBookmarks, true}};
  const TDBGridEhAllowedSelections all{gstRecordBookmarks, gstRectangle, gstColumns, gstAll};
  for (const Case& c : cases) {
    grid_->SetAllowedSelections(all);
    grid_->ClearSelectionAndRepaint();
    if (c.made == gstRectangle) {
      Key(VK_RIGHT, {ssShift});
    } else if (c.made == gstRecordBookmarks) {
      Click(Centre(0, RowOf(data_->RecNo())));
    } else if (c.made == gstColumns) {
      grid_->GetSelection()->GetColumns()->Select(Column(u"NAME"), false);
    } else {
      grid_->GetSelection()->SelectAll();
    }
    ASSERT_EQ(grid_->GetSelection()->GetSelectionType(), c.made);
    TDBGridEhAllowedSelections fewer = all;
    fewer.Exclude(c.removed);
    grid_->SetAllowedSelections(fewer);
    EXPECT_EQ(grid_->GetSelection()->GetSelectionType(), c.kept ? c.made : gstNon) << int(c.made);
  }
}

TEST_F(DBGridInputTest, TheNumericPadSignsOpenAndCloseTreeNodesWithoutEditing) {
  auto* tree = new TMemTableEh(form_.get());
  tree->GetFieldDefs()->Add(u"ID", ftInteger);
  tree->GetFieldDefs()->Add(u"PID", ftInteger);
  tree->GetFieldDefs()->Add(u"NAME", ftWideString, 20);
  tree->CreateDataSet();
  for (const auto& row : std::vector<std::vector<Variant>>{{Variant(1), Variant(), Variant(u"Цех")},
                                                           {Variant(2), Variant(1), Variant(u"Участок 1")},
                                                           {Variant(3), Variant(1), Variant(u"Участок 2")}}) {
    tree->Append();
    tree->SetFields(row);
    tree->Post();
  }
  tree->GetTreeList()->SetKeyFieldName(u"ID");
  tree->GetTreeList()->SetRefParentFieldName(u"PID");
  tree->GetTreeList()->SetActive(true);
  TDataSource* source = nullptr;
  auto* grid = ShowGridOver<TDBGridEh>(form_.get(), tree, &source);
  grid->SetFocus();
  tree->First();
  ProcessPendingEvents();
  ASSERT_TRUE(grid->MemTableSupported());
  const Integer collapsed = tree->RecordCount();
  struct Step {
    Word key;
    Integer shown;
  };
  const Step steps[] = {{VK_ADD, collapsed + 2},
                        {VK_ADD, collapsed + 2},
                        {VK_SUBTRACT, collapsed},
                        {VK_MULTIPLY, collapsed + 2},
                        {VK_MULTIPLY, collapsed}};
  for (const Step& step : steps) {
    // As the numeric pad sends them.
    grid->Perform(WM_KEYDOWN, step.key, 0);
    ProcessPendingEvents();
    EXPECT_EQ(tree->RecordCount(), step.shown) << step.key;
  }
  SendChar(grid, u'+');
  ProcessPendingEvents();
  EXPECT_FALSE(grid->InplaceEditorVisible()) << "the sign starts no editing";
  EXPECT_EQ(tree->GetState(), dsBrowse);
}

TEST_F(DBGridInputTest, AValueShownAsALinkReactsOverItsOwnRowsTextOnly) {
  auto* probe = static_cast<TInputProbeGrid*>(grid_);
  TColumnEh* name = Column(u"NAME");
  name->SetCellDataIsLinkProp(true);
  int linkClicks = 0;
  name->OnCellDataLinkClick = [&](TCustomDBAxisGridEh*, TAxisBarEh*) { ++linkClicks; };
  data_->SetRecNo(1);
  ProcessPendingEvents();
  // Just past the end of the current record's shorter text, inside a longer one of another row.
  TBitmap scratch;
  scratch.SetSize(1, 1);
  scratch.GetCanvas()->GetFont()->Assign(name->GetFont());
  const Integer shortEnd = scratch.GetCanvas()->TextWidth(u"Изделие 1");
  const Integer longEnd = scratch.GetCanvas()->TextWidth(u"Изделие 15");
  ASSERT_GT(longEnd - shortEnd, 4);
  const Integer col = grid_->DataColToGridCol(name->GetIndex());
  const TRect r = static_cast<TCustomGridEh*>(grid_)->CellRect(col, RowOf(15));
  const TPoint onText(r.Left + name->GetCellEditorLeftMargin() + 2 + (shortEnd + longEnd) / 2,
                      r.Top + r.Height() / 2);
  const TPoint pastText(r.Right - 3, onText.Y);
  const TCursor plain = probe->CursorAt(pastText);
  SendMouseMove(grid_, pastText);
  EXPECT_EQ(probe->CursorAt(pastText), plain);
  SendMouseMove(grid_, onText);
  EXPECT_EQ(probe->CursorAt(onText), crHandPoint) << "the row's own text is longer than the current one's";
  Click(onText);
  EXPECT_EQ(linkClicks, 1);
  // Beside the text of the next row the click is an ordinary one.
  const TPoint besideNext(pastText.X, pastText.Y + r.Height());
  SendMouseMove(grid_, besideNext);
  Click(besideNext);
  EXPECT_EQ(data_->RecNo(), 16);
  EXPECT_EQ(linkClicks, 1);
}

TEST_F(DBGridInputTest, UnderAutomaticDraggingAPressOnTheSelectionDragsOrReleasesIt) {
  SetMultiSelect();
  grid_->SetDragMode(dmAutomatic);
  data_->SetRecNo(3);
  ProcessPendingEvents();
  const auto selectRows = [&] {
    Click(Centre(0, RowOf(3)));
    Click(Centre(0, RowOf(5)), {ssShift});
    ASSERT_EQ(SelectedIds(), (std::vector<Integer>{3, 4, 5}));
  };
  const TPoint onSelection = Centre(grid_->DataColToGridCol(Column(u"NAME")->GetIndex()), RowOf(4));
  selectRows();
  SendMouseDown(grid_, mbLeft, onSelection);
  EXPECT_EQ(SelectedIds(), (std::vector<Integer>{3, 4, 5})) << "the press keeps the selection";
  SendMouseMove(grid_, TPoint(onSelection.X + 10, onSelection.Y + 10), {ssLeft});
  EXPECT_TRUE(grid_->Dragging());
  grid_->EndDrag(false);
  SendMouseUp(grid_, mbLeft, TPoint(onSelection.X + 10, onSelection.Y + 10));
  ProcessPendingEvents();
  EXPECT_EQ(SelectedIds(), (std::vector<Integer>{3, 4, 5}));
  // Released where it was pressed: an ordinary click, which clears the selection.
  SendMouseDown(grid_, mbLeft, onSelection);
  SendMouseUp(grid_, mbLeft, onSelection);
  ProcessPendingEvents();
  EXPECT_FALSE(grid_->Dragging());
  EXPECT_TRUE(SelectedIds().empty());
  EXPECT_EQ(grid_->GetDragMode(), dmAutomatic);
}

TEST_F(DBGridInputTest, AnEmptyRequiredValueIsMarkedUnderTheEditorUntilTheFieldHasOne) {
  const auto redPixels = [this] {
    std::unique_ptr<TBitmap> picture = CaptureControl(grid_->GetInplaceEditor());
    int red = 0;
    for (Integer x = 0; x < picture->GetWidth(); ++x)
      if (PixelAt(picture.get(), x, picture->GetHeight() - 1) == clRed) ++red;
    return red;
  };
  data_->FieldByName(u"NAME")->SetRequired(true);
  Column(u"NAME")->SetHighlightRequired(true);
  grid_->SetSelectedIndex(Column(u"NAME")->GetIndex());
  Key(VK_F2);
  ASSERT_TRUE(grid_->InplaceEditorVisible());
  EXPECT_EQ(redPixels(), 0) << "a record that is not edited";
  Key(VK_ESCAPE);
  Key(VK_INSERT);
  ASSERT_EQ(data_->GetState(), dsInsert);
  Key(VK_F2);
  ASSERT_TRUE(grid_->InplaceEditorVisible());
  EXPECT_GT(redPixels(), 10);
  data_->FieldByName(u"NAME")->SetAsString(u"Кронштейн");
  ProcessPendingEvents();
  EXPECT_EQ(redPixels(), 0);
  data_->Cancel();
}

TEST_F(DBGridInputTest, AutomaticScrollingNeverTicksAtZero) {
  struct Case {
    Integer distance, perPixel, expected;
  };
  const Case cases[] = {{0, 15, 200}, {4, 15, 140}, {13, 15, 10}, {60, 15, 10}, {5, 10, 150}, {1000, 10, 10}};
  for (const Case& c : cases)
    EXPECT_EQ(TCustomDBGridEh::AutoScrollInterval(c.distance, c.perPixel), c.expected) << c.distance;
}

TEST_F(DBGridInputTest, CopyPutsTheSelectionOnTheClipboardAndPasteFillsTheRecords) {
  SetMultiSelect();
  data_->SetRecNo(7);
  grid_->SetEditActions({geaCopyEh, geaPasteEh});
  grid_->SetSelectedIndex(Column(u"NAME")->GetIndex());
  Key('C', {ssCtrl});
  EXPECT_EQ(Clipboard()->GetAsText(), u"Изделие 7") << "without a selection the current cell";
  // Rows picked in the indicator.
  Click(Centre(0, RowOf(7)));
  Click(Centre(0, RowOf(8)), {ssCtrl});
  Key(VK_INSERT, {ssCtrl});
  EXPECT_EQ(Clipboard()->GetAsText(), u"7\tИзделие 7\t70\r\n8\tИзделие 8\t80\r\n");
  // A rectangle: Shift+Right from NAME on two records.
  Key(VK_DOWN);
  grid_->SetSelectedIndex(Column(u"NAME")->GetIndex());
  Key(VK_RIGHT, {ssShift});
  Key(VK_DOWN, {ssShift});
  ASSERT_EQ(grid_->GetSelection()->GetSelectionType(), gstRectangle);
  Key('C', {ssCtrl});
  EXPECT_EQ(Clipboard()->GetAsText(), u"Изделие 9\t90\r\nИзделие 10\t100\r\n");
  EXPECT_EQ(data_->RecNo(), 10) << "copying leaves the record where it was";
  // Paste from the current cell on: two lines into two records.
  Key(VK_ESCAPE);
  data_->SetRecNo(20);
  grid_->SetSelectedIndex(Column(u"NAME")->GetIndex());
  Clipboard()->SetAsText(u"Втулка\t5\r\nШайба\t6\r\n");
  Key('V', {ssCtrl});
  data_->SetRecNo(20);
  EXPECT_EQ(data_->FieldByName(u"NAME")->GetAsString(), u"Втулка");
  EXPECT_EQ(data_->FieldByName(u"QTY")->GetAsInteger(), 5);
  data_->SetRecNo(21);
  EXPECT_EQ(data_->FieldByName(u"NAME")->GetAsString(), u"Шайба");
  EXPECT_EQ(data_->GetState(), dsBrowse);
}

TEST_F(DBGridInputTest, StandardEditActionsReachTheFocusedGridForItsEditActionsOnly) {
  auto* copy = new TEditCopy(form_.get());
  auto* del = new TEditDelete(form_.get());
  auto* paste = new TEditPaste(form_.get());
  EXPECT_FALSE(grid_->UpdateAction(copy)) << "EditActions empty: the actions are not the grid's";
  grid_->SetEditActions({geaCopyEh, geaDeleteEh, geaPasteEh});
  ASSERT_TRUE(grid_->Focused());
  EXPECT_TRUE(grid_->UpdateAction(copy));
  EXPECT_TRUE(copy->GetEnabled());
  EXPECT_TRUE(grid_->UpdateAction(del));
  EXPECT_FALSE(del->GetEnabled()) << "nothing selected";
  SetMultiSelect();
  Key(VK_RIGHT, {ssShift});
  ASSERT_EQ(grid_->GetSelection()->GetSelectionType(), gstRectangle);
  grid_->SetAllowedOperations({alopDeleteEh});
  grid_->UpdateAction(del);
  EXPECT_FALSE(del->GetEnabled()) << "a rectangle is cleared: it needs updating, not deleting";
  grid_->SetAllowedOperations({alopUpdateEh});
  grid_->UpdateAction(del);
  EXPECT_TRUE(del->GetEnabled());
  Clipboard()->SetAsText(u"7");
  grid_->SetAllowedOperations({alopInsertEh});
  grid_->UpdateAction(paste);
  EXPECT_FALSE(paste->GetEnabled());
  data_->Insert();
  grid_->UpdateAction(paste);
  EXPECT_TRUE(paste->GetEnabled()) << "a new record takes a paste without the right to update";
  data_->Cancel();
  // A grid without the focus neither serves nor disables them.
  auto* other = new TEdit(form_.get());
  other->SetParent(form_.get());
  other->SetFocus();
  ProcessPendingEvents();
  EXPECT_FALSE(grid_->UpdateAction(copy));
  EXPECT_FALSE(grid_->ExecuteAction(copy));
}

TEST_F(DBGridInputTest, DeleteKeysDeleteRecordsOnlyWithCtrl) {
  TDBGridOptions o = grid_->GetDBOptions();
  o.Exclude(dgConfirmDelete);
  grid_->SetDBOptions(o);
  data_->SetRecNo(3);
  Key(VK_DELETE);
  EXPECT_EQ(data_->RecordCount(), 100) << "plain Delete changes nothing";
  Key(VK_DELETE, {ssCtrl});
  EXPECT_EQ(data_->RecordCount(), 99);
  EXPECT_NE(data_->FieldByName(u"ID")->GetAsInteger(), 3);
  grid_->SetReadOnly(true);
  Key(VK_DELETE, {ssCtrl});
  EXPECT_EQ(data_->RecordCount(), 99) << "a read-only grid deletes nothing";
}

TEST_F(DBGridInputTest, OptionSetsKeepColumnSizingInStepAndRowSelectDropsEditing) {
  const TDBGridEhOptions both{dghColumnResize, dghColumnMove};
  TDBGridOptions o = grid_->GetDBOptions();
  o.Exclude(dgColumnResize);
  grid_->SetDBOptions(o);
  EXPECT_FALSE(grid_->GetOptionsEh().Contains(dghColumnResize));
  EXPECT_FALSE(grid_->GetOptionsEh().Contains(dghColumnMove));
  EXPECT_FALSE(grid_->GetGridOptions().Contains(goColSizingEh));
  EXPECT_FALSE(grid_->GetGridOptions().Contains(goColMovingEh));
  o.Include(dgColumnResize);
  grid_->SetDBOptions(o);
  EXPECT_TRUE(grid_->GetGridOptions().Contains(goColSizingEh));
  EXPECT_TRUE(grid_->GetGridOptions().Contains(goColMovingEh));
  grid_->SetOptionsEh(grid_->GetOptionsEh() - TDBGridEhOptions{dghColumnMove});
  EXPECT_FALSE(grid_->GetDBOptions().Contains(dgColumnResize));
  EXPECT_TRUE(grid_->GetGridOptions().Contains(goColSizingEh));
  EXPECT_FALSE(grid_->GetGridOptions().Contains(goColMovingEh));
  grid_->SetOptionsEh(grid_->GetOptionsEh() + both);
  EXPECT_TRUE(grid_->GetDBOptions().Contains(dgColumnResize));
  // Row select takes editing away for good.
  grid_->SetDBOptions({dgEditing, dgRowSelect, dgIndicator, dgTitles});
  EXPECT_EQ(grid_->GetDBOptions(), (TDBGridOptions{dgRowSelect, dgIndicator, dgTitles}));
  grid_->SetDBOptions(grid_->GetDBOptions() - TDBGridOptions{dgRowSelect});
  EXPECT_FALSE(grid_->GetDBOptions().Contains(dgEditing));
  EXPECT_FALSE(grid_->GetGridOptions().Contains(goEditingEh));
  // The indicator comes and goes with the same data column current; the two sets mirror it.
  grid_->SetSelectedIndex(Column(u"NAME")->GetIndex());
  grid_->SetDBOptions(grid_->GetDBOptions() - TDBGridOptions{dgIndicator});
  EXPECT_FALSE(grid_->GetIndicatorOptions().Contains(gioShowRowIndicatorEh));
  EXPECT_EQ(grid_->GetSelectedIndex(), Column(u"NAME")->GetIndex());
  grid_->SetIndicatorOptions({gioShowRowIndicatorEh, gioShowRecNoEh});
  EXPECT_TRUE(grid_->GetDBOptions().Contains(dgIndicator));
  EXPECT_TRUE(grid_->GetOptionsEh().Contains(dghShowRecNo));
  EXPECT_EQ(grid_->GetSelectedIndex(), Column(u"NAME")->GetIndex());
  // Lines extended below the data take the painted empty space with them, and bring it back.
  TDBGridLineParamsEh* lines = grid_->GetGridLineParams();
  ASSERT_TRUE(grid_->GetOptionsEh().Contains(dghExtendVertLines));
  grid_->SetOptionsEh(grid_->GetOptionsEh() - TDBGridEhOptions{dghExtendVertLines});
  EXPECT_EQ(lines->GetVertEmptySpaceStyle(), dessNonEh);
  grid_->SetOptionsEh(grid_->GetOptionsEh() + TDBGridEhOptions{dghExtendVertLines});
  EXPECT_EQ(lines->GetVertEmptySpaceStyle(), dessGradiendEh);
}

TEST_F(DBGridInputTest, ScalingKeepsTheSumOfWidthsAndMultiSortOffKeepsTheFirstMarker) {
  grid_->GetColumns()->SetState(csCustomized);
  grid_->GetColumns()->Add()->SetFieldName(u"ID");
  for (Integer i = 0; i < grid_->GetColumns()->GetCount(); ++i)
    grid_->GetColumns()->GetColumn(i)->SetWidth(33);
  // Footer fonts set apart from the grid's scale with it.
  grid_->GetFooterParams()->SetParentFont(false);
  grid_->GetFooterParams()->GetFont()->SetSize(10);
  Column(u"QTY")->GetFooter()->GetFont()->SetSize(8);
  TColumnFooterEh* second = Column(u"QTY")->GetFooters()->Add();
  second->GetFont()->SetSize(12);
  const Integer nameFooter = Column(u"NAME")->GetFooter()->GetFont()->GetSize();
  grid_->ChangeScale(3, 2);
  std::vector<Integer> widths;
  for (Integer i = 0; i < grid_->GetColumns()->GetCount(); ++i)
    widths.push_back(grid_->GetColumns()->GetColumn(i)->GetWidth());
  EXPECT_EQ(widths, (std::vector<Integer>{50, 49, 50, 49}));
  EXPECT_EQ(grid_->GetFooterParams()->GetFont()->GetSize(), 15);
  EXPECT_EQ(Column(u"QTY")->GetFooter()->GetFont()->GetSize(), 12);
  EXPECT_EQ(second->GetFont()->GetSize(), 18);
  EXPECT_EQ(Column(u"NAME")->GetFooter()->GetFont()->GetSize(), 15)
      << "a footer without a font of its own follows the footer parameters, from " << nameFooter;
  grid_->SetOptionsEh(grid_->GetOptionsEh() + TDBGridEhOptions{dghMultiSortMarking});
  Column(u"QTY")->GetTitle()->SetSortMarker(smUpEh);
  Column(u"QTY")->GetTitle()->SetSortIndex(1);
  Column(u"NAME")->GetTitle()->SetSortMarker(smDownEh);
  Column(u"NAME")->GetTitle()->SetSortIndex(2);
  grid_->SetOptionsEh(grid_->GetOptionsEh() - TDBGridEhOptions{dghMultiSortMarking});
  EXPECT_EQ(Column(u"QTY")->GetTitle()->GetSortMarker(), smUpEh);
  EXPECT_EQ(Column(u"NAME")->GetTitle()->GetSortMarker(), smNoneEh);
}

TEST_F(DBGridInputTest, ACellsMenuIsTheTitlesTheColumnsTheGridsOrTheStandardOne) {
  auto* titleMenu = new TPopupMenu(form_.get());
  auto* columnMenu = new TPopupMenu(form_.get());
  auto* gridMenu = new TPopupMenu(form_.get());
  TColumnEh* name = Column(u"NAME");
  const TCellAreaTypeEh title{hctDataEh, vctTitleEh}, data{hctDataEh, vctDataEh};
  EXPECT_EQ(grid_->GetCellPopupMenu({2, 0}, title, name), nullptr);
  grid_->SetUseIndicatorMenu(true);
  grid_->SetEditActions({geaCutEh, geaCopyEh, geaPasteEh, geaDeleteEh, geaSelectAllEh});
  TPopupMenu* standard = grid_->GetCellPopupMenu({2, 1}, data, name);
  ASSERT_NE(standard, nullptr);
  std::vector<String> captions;
  for (Integer i = 0; i < standard->GetItems()->GetCount(); ++i)
    captions.push_back(StripHotkey(standard->GetItems()->GetItem(i)->GetCaption()));
  EXPECT_EQ(captions, (std::vector<String>{u"Видимые столбцы", u"Вырезать", u"Копировать", u"Вставить",
                                           u"Удалить", u"Выбрать все"}));
  EXPECT_TRUE(standard->GetItems()->Find(u"Копировать")->GetEnabled());
  EXPECT_FALSE(standard->GetItems()->Find(u"Удалить")->GetEnabled()) << "nothing is selected";
  // Hiding a column through the menu; the last visible one stays.
  TMenuItem* visibleColumns = standard->GetItems()->Find(u"Видимые столбцы");
  visibleColumns->GetItem(1)->Click();
  EXPECT_FALSE(name->GetVisible());
  name->SetVisible(true);
  Column(u"ID")->SetVisible(false);
  Column(u"QTY")->SetVisible(false);
  visibleColumns->GetItem(1)->Click();
  EXPECT_TRUE(name->GetVisible()) << "a grid keeps one column";
  Column(u"ID")->SetVisible(true);
  Column(u"QTY")->SetVisible(true);
  // The center's menu handler builds the standard menu for every grid.
  TDBGridEhCenter* center = GetGlobalGridCenter();
  auto* centerMenu = new TPopupMenu(form_.get());
  center->OnBuildIndicatorTitleMenu = [&](TCustomDBGridEh*, TPopupMenu*& menu) { menu = centerMenu; };
  auto forget = MakeScopeExit([center] { center->OnBuildIndicatorTitleMenu = nullptr; });
  EXPECT_EQ(grid_->GetCellPopupMenu({2, 1}, data, name), centerMenu);
  center->OnBuildIndicatorTitleMenu = nullptr;
  grid_->SetPopupMenu(gridMenu);
  EXPECT_EQ(grid_->GetCellPopupMenu({2, 1}, data, name), gridMenu);
  name->SetPopupMenu(columnMenu);
  EXPECT_EQ(grid_->GetCellPopupMenu({2, 0}, title, name), columnMenu) << "a title without its own menu";
  name->GetTitle()->SetPopupMenu(titleMenu);
  EXPECT_EQ(grid_->GetCellPopupMenu({2, 0}, title, name), titleMenu);
  EXPECT_EQ(grid_->GetCellPopupMenu({2, 1}, data, name), columnMenu);
  // An OnContextPopup handler that takes the request shows nothing.
  bool asked = false;
  grid_->OnContextPopup = [&](TObject*, TPoint, bool& handled) {
    asked = true;
    handled = true;
  };
  grid_->Perform(WM_CONTEXTMENU, 0, -1);
  EXPECT_TRUE(asked);
  EXPECT_FALSE(columnMenu->IsOpen());
}

// A menu item of the application's own class that copies itself.
class TInputTestNoteMenuItem : public TMenuItem {
  KIV_CLASS(TInputTestNoteMenuItem, TMenuItem)
 public:
  explicit TInputTestNoteMenuItem(TComponent* owner) : TMenuItem(owner) {}
  void Assign(TPersistent* source) override {
    auto* from = dynamic_cast<TInputTestNoteMenuItem*>(source);
    if (!from) return TMenuItem::Assign(source);
    Note = from->Note;
    SetCaption(from->GetCaption());
  }
  String Note;
};

TEST_F(DBGridInputTest, MenusBuiltOnPopupCopyTheCellsMenuIntoTheSharedOneEmptiedFirst) {
  auto* gridMenu = new TPopupMenu(form_.get());
  int printed = 0;
  auto* open = new TMenuItem(gridMenu);
  open->SetCaption(u"Открыть");
  // Items of other classes keep their class: one that cannot assign is copied field by field.
  auto* card = new TMenuItemEh(gridMenu);
  card->SetCaption(u"Карточку");
  open->Add(card);
  auto* noted = new TInputTestNoteMenuItem(gridMenu);
  noted->SetCaption(u"Заметка");
  noted->Note = u"склад";
  open->Add(noted);
  auto* print = new TMenuItem(gridMenu);
  print->SetCaption(u"Печать");
  print->SetShortCut(ShortCut('P', TShiftState{ssCtrl}));
  print->OnClick = [&](TObject*) { ++printed; };
  gridMenu->GetItems()->Add(open);
  gridMenu->GetItems()->Add(print);
  // An item a form put into the shared menu is taken out by the emptying, never freed.
  TPopupMenuEh* shared = DBGridEhGlobalPopupMenu();
  auto* foreign = new TMenuItem(form_.get());
  foreign->SetCaption(u"Чужой");
  shared->GetItems()->Add(foreign);

  grid_->SetPopupMenu(gridMenu);
  grid_->SetBuildMenuOnPopup(true);
  const TCellAreaTypeEh data{hctDataEh, vctDataEh};
  TPopupMenu* menu = grid_->GetCellPopupMenu({2, 1}, data, Column(u"NAME"));
  ASSERT_EQ(menu, shared);
  EXPECT_EQ(menu->GetName(), u"DBGridEhGlobalPopupMenu");
  EXPECT_EQ(foreign->GetParent(), nullptr);
  std::vector<String> captions;
  for (Integer i = 0; i < menu->GetItems()->GetCount(); ++i)
    captions.push_back(menu->GetItems()->GetItem(i)->GetCaption());
  EXPECT_EQ(captions, (std::vector<String>{u"Открыть", u"Печать", u"-"}));
  TMenuItem* copy = menu->GetItems()->GetItem(1);
  EXPECT_NE(copy, print);
  EXPECT_EQ(copy->GetShortCut(), print->GetShortCut());
  copy->Click();
  EXPECT_EQ(printed, 1);
  ASSERT_EQ(menu->GetItems()->GetItem(0)->GetCount(), 2);
  TMenuItem* cardCopy = menu->GetItems()->GetItem(0)->GetItem(0);
  EXPECT_EQ(cardCopy->GetCaption(), u"Карточку");
  EXPECT_NE(dynamic_cast<TMenuItemEh*>(cardCopy), nullptr);
  auto* notedCopy = dynamic_cast<TInputTestNoteMenuItem*>(menu->GetItems()->GetItem(0)->GetItem(1));
  ASSERT_NE(notedCopy, nullptr);
  EXPECT_EQ(notedCopy->Note, u"склад") << "copied by its own Assign";
  EXPECT_EQ(notedCopy->GetOwner(), menu);
  EXPECT_EQ(gridMenu->GetItems()->GetCount(), 2) << "the source menu keeps its items";

  // A second grid without a menu of its own leaves none of the first grid's items behind.
  TDataSource* otherSource = nullptr;
  auto* other = ShowGridOver<TDBGridEh>(form_.get(), data_, &otherSource);
  other->SetBuildMenuOnPopup(true);
  other->SetUseIndicatorMenu(true);
  TPopupMenu* second = other->GetCellPopupMenu({1, 1}, data, other->GetColumns()->GetColumn(0));
  ASSERT_EQ(second, shared);
  EXPECT_EQ(second->GetItems()->Find(u"Печать"), nullptr);
  EXPECT_NE(second->GetItems()->Find(u"Видимые столбцы"), nullptr);
  EXPECT_EQ(foreign->GetCaption(), u"Чужой");
}

TEST_F(DBGridInputTest, TheRowSelectCheckBoxLightsUpUnderTheMouseAndLeavingForgetsTheHotCell) {
  grid_->SetIndicatorOptions({gioShowRowIndicatorEh, gioShowRowselCheckboxesEh});
  grid_->SetOptionsEh(grid_->GetOptionsEh() + TDBGridEhOptions{dghHotTrack});
  ProcessPendingEvents();
  const Integer row = RowOf(3);
  const TRect r = static_cast<TCustomGridEh*>(grid_)->CellRect(0, row);
  const TPoint onBox(r.Right - 11 - TCustomDBGridEh::RowselCheckboxesWidth / 2, r.Top + r.Height() / 2);
  const TPoint offBox(r.Right - 3, r.Top + r.Height() / 2);
  SendMouseMove(grid_, offBox);
  EXPECT_EQ(grid_->GetHotTrackCell(), (TGridCoord{0, row}));
  EXPECT_EQ(grid_->GetHotTrackEditButton(), -1);
  SendMouseMove(grid_, onBox);
  EXPECT_EQ(grid_->GetHotTrackCell(), (TGridCoord{0, row})) << "the box is inside the hot cell";
  EXPECT_EQ(grid_->GetHotTrackEditButton(), 1);
  SendMouseMove(grid_, offBox);
  EXPECT_EQ(grid_->GetHotTrackEditButton(), -1);
  SendMouseMove(grid_, onBox);
  EXPECT_EQ(grid_->GetHotTrackEditButton(), 1);
  SendMouseMove(grid_, Centre(2, row));
  EXPECT_EQ(grid_->GetHotTrackEditButton(), -1) << "a move to another cell clears the hot button";
  EXPECT_EQ(grid_->GetHotTrackCell(), (TGridCoord{2, row}));
  grid_->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(grid_->GetHotTrackCell(), (TGridCoord{-1, -1}));
  // Without the check boxes the indicator has no hot button.
  grid_->SetIndicatorOptions({gioShowRowIndicatorEh});
  SendMouseMove(grid_, onBox);
  SendMouseMove(grid_, onBox);
  EXPECT_EQ(grid_->GetHotTrackEditButton(), -1);
}

TEST_F(DBGridInputTest, TheWheelScrollsAnOpenPickListInsteadOfTheRecords) {
  TColumnEh* name = Column(u"NAME");
  String entries;
  for (int i = 1; i <= 40; ++i) entries += u"Вариант " + IntToStr(i) + u"\n";
  name->GetPickList()->SetText(entries);
  grid_->SetSelectedField(name->GetField());
  Key(VK_F2);
  auto* editor = dynamic_cast<TDBAxisGridInplaceEdit*>(grid_->GetInplaceEditor());
  ASSERT_NE(editor, nullptr);
  editor->DropDown();
  ASSERT_TRUE(editor->GetListVisible());
  auto* list = editor->GetPickList()->GetListGrid();
  const Integer listTop = list->GetTopRow();
  const Integer recNo = data_->RecNo();
  EXPECT_TRUE(grid_->DoMouseWheel({}, -120, Centre(2, grid_->GetRow())));
  EXPECT_GT(list->GetTopRow(), listTop);
  EXPECT_EQ(data_->RecNo(), recNo);
  editor->CloseUp(false);
  ASSERT_FALSE(editor->GetListVisible());
  grid_->DoMouseWheel({}, -120, Centre(2, grid_->GetRow()));
  EXPECT_NE(data_->RecNo(), recNo) << "with the list closed the wheel moves the record";
}

TEST_F(DBGridInputTest, ResizingTheGridRefitsAutomaticWidthsAndShowsAsManyRecordsAsFit) {
  const Integer rows = grid_->GetRowCount();
  form_->SetHeight(form_->GetHeight() + 10 * grid_->GetDefaultRowHeight());
  ProcessPendingEvents();
  EXPECT_GE(grid_->GetRowCount(), rows + 9) << "a taller grid reads more records";
  ExpectRowsShowTheirRecords(grid_, data_);

  // A size that comes while an update holds the grid is taken when the update ends.
  const Integer lockedRows = grid_->GetRowCount();
  grid_->BeginUpdate();
  form_->SetHeight(form_->GetHeight() + 5 * grid_->GetDefaultRowHeight());
  ProcessPendingEvents();
  EXPECT_EQ(grid_->GetRowCount(), lockedRows) << "the rows wait for the update's end";
  grid_->EndUpdate();
  EXPECT_GE(grid_->GetRowCount(), lockedRows + 4);
  ExpectRowsShowTheirRecords(grid_, data_);

  grid_->SetAutoFitColWidths(true);
  ProcessPendingEvents();
  const auto dataWidth = [&] {
    Integer sum = 0;
    for (Integer c = 0; c < grid_->GetColCount(); ++c) sum += grid_->GetColWidths(c);
    return sum;
  };
  const Integer before = dataWidth();
  form_->SetWidth(form_->GetWidth() - 150);
  ProcessPendingEvents();
  EXPECT_LT(dataWidth(), before - 100) << "the columns shrink with the grid";
  EXPECT_LE(dataWidth(), grid_->GetClientWidth());
}

}  // namespace

namespace {

// Widths fitted by a double click on a title border, live sizing, pressed titles and the value of the
// record above, over the same hundred records.
class DBGridInputWidthsTest : public DBGridInputTest {
 protected:
  void SetOptionEh(TDBGridEhOption option, bool on) {
    TDBGridEhOptions o = grid_->GetOptionsEh();
    if (on)
      o.Include(option);
    else
      o.Exclude(option);
    grid_->SetOptionsEh(o);
    ProcessPendingEvents();
  }
  TRect Title(const String& field) {
    return static_cast<TCustomGridEh*>(grid_)->CellRect(grid_->DataColToGridCol(Column(field)->GetIndex()),
                                                        0);
  }
};

TEST_F(DBGridInputWidthsTest, ADoubleClickOnATitleBorderFitsTheWidthsAndRaisesNoDoubleClick) {
  Integer doubleClicks = 0;
  grid_->OnDblClick = [&](TObject*) { ++doubleClicks; };
  TColumnEh* name = Column(u"NAME");
  name->SetWidth(30);
  ProcessPendingEvents();
  data_->SetRecNo(40);
  ProcessPendingEvents();
  SendDblClick(grid_, TPoint(Title(u"NAME").Right - 1, Title(u"NAME").Top + 3));
  ProcessPendingEvents();
  EXPECT_EQ(name->GetWidth(), 30) << "fitting waits for its option";
  EXPECT_EQ(doubleClicks, 1);
  SetOptionEh(dghDblClickOptimizeColWidth, true);
  SendDblClick(grid_, TPoint(Title(u"NAME").Right - 1, Title(u"NAME").Top + 3));
  ProcessPendingEvents();
  const Integer fitted = name->GetWidth();
  EXPECT_GT(fitted, 60) << "\"Изделие 100\" is read, not only the records on the screen";
  EXPECT_EQ(doubleClicks, 1) << "a fitting double click is no double click of the grid";
  EXPECT_EQ(data_->RecNo(), 40) << "the record comes back";
  EXPECT_EQ(data_->GetState(), dsBrowse);
  SendDblClick(grid_, Centre(grid_->DataColToGridCol(0), RowOf(41)));
  ProcessPendingEvents();
  EXPECT_EQ(doubleClicks, 2);

  // Fewer records read give a narrower width; a maximum width caps it.
  grid_->OptimizeColsWidth({name}, 9, 0);
  EXPECT_LT(name->GetWidth(), fitted) << "\"Изделие 9\" is narrower";
  name->SetMaxWidth(40);
  grid_->OptimizeColsWidth({name}, -1, 0);
  EXPECT_EQ(name->GetWidth(), 40);
  EXPECT_EQ(data_->RecNo(), 41);
}

TEST_F(DBGridInputWidthsTest, WithTracingTheWidthFollowsTheMouseBeforeTheRelease) {
  SetOptionEh(dghTraceColSizing, true);
  const TRect qty = Title(u"QTY");
  SendMouseDown(grid_, mbLeft, TPoint(qty.Right - 1, qty.Top + 3));
  SendMouseMove(grid_, TPoint(qty.Right + 30, qty.Top + 3), {ssLeft});
  EXPECT_NEAR(Column(u"QTY")->GetWidth(), qty.Width() + 30, 2) << "the column is sized while the mouse moves";
  SendMouseMove(grid_, TPoint(qty.Right + 10, qty.Top + 3), {ssLeft});
  EXPECT_NEAR(Column(u"QTY")->GetWidth(), qty.Width() + 10, 2);
  SendMouseUp(grid_, mbLeft, TPoint(qty.Right + 10, qty.Top + 3));
  ProcessPendingEvents();
  EXPECT_NEAR(Column(u"QTY")->GetWidth(), qty.Width() + 10, 2);
  EXPECT_EQ(grid_->GetGridState(), gsNormalEh);
  EXPECT_EQ(GetCaptureControl(), nullptr);
  // Narrowed past its left edge the column keeps one pixel.
  const TRect now = Title(u"QTY");
  SendMouseDown(grid_, mbLeft, TPoint(now.Right - 1, now.Top + 3));
  SendMouseMove(grid_, TPoint(now.Left - 20, now.Top + 3), {ssLeft});
  SendMouseUp(grid_, mbLeft, TPoint(now.Left - 20, now.Top + 3));
  EXPECT_EQ(Column(u"QTY")->GetWidth(), 1);
}

TEST_F(DBGridInputWidthsTest, APressedTitleIsDownOnlyWhileTheMouseStaysOverIt) {
  SetOptionEh(dghColumnMove, false);
  Column(u"NAME")->GetTitle()->SetTitleButton(true);
  const TPoint name = Centre(grid_->DataColToGridCol(Column(u"NAME")->GetIndex()), 0);
  SendMouseDown(grid_, mbLeft, name);
  EXPECT_TRUE(grid_->GetTitlePressed());
  EXPECT_EQ(grid_->GetPressedDataCol(), Column(u"NAME")->GetIndex());
  EXPECT_EQ(grid_->GetPressedTitleCell().X, grid_->DataColToGridCol(Column(u"NAME")->GetIndex()))
      << "painting draws the pressed cell down";
  SendMouseMove(grid_, TPoint(name.X, name.Y + 60), {ssLeft});
  EXPECT_FALSE(grid_->GetTitlePressed()) << "off the title it shows up";
  EXPECT_EQ(grid_->GetPressedTitleCell().X, -1);
  SendMouseMove(grid_, name, {ssLeft});
  EXPECT_TRUE(grid_->GetTitlePressed());
  SendMouseUp(grid_, mbLeft, name);
  EXPECT_FALSE(grid_->GetTitlePressed());
  EXPECT_EQ(grid_->GetPressedTitleCell().X, -1);
  // A title that is no button is never down.
  Column(u"NAME")->GetTitle()->SetTitleButton(false);
  SendMouseDown(grid_, mbLeft, name);
  EXPECT_FALSE(grid_->GetTitlePressed());
  SendMouseUp(grid_, mbLeft, name);
}

TEST_F(DBGridInputWidthsTest, CtrlQuoteCopiesTheValueOfTheRecordAboveFromTheGridOrItsEditor) {
  const Word quote = 0xDE;
  grid_->SetSelectedIndex(Column(u"NAME")->GetIndex());
  Key(quote, {ssCtrl});
  EXPECT_EQ(data_->GetState(), dsBrowse) << "the first record has none above";
  data_->SetRecNo(10);
  ProcessPendingEvents();
  Key(quote, {ssCtrl});
  EXPECT_EQ(data_->GetState(), dsEdit);
  EXPECT_EQ(data_->FieldByName(u"NAME")->GetAsString(), u"Изделие 9");
  EXPECT_TRUE(grid_->InplaceEditorVisible());
  data_->Post();
  // From the open editor the key reaches the grid and never the text.
  data_->SetRecNo(21);
  grid_->SetSelectedIndex(Column(u"QTY")->GetIndex());
  ProcessPendingEvents();
  Key(VK_F2);
  ASSERT_TRUE(grid_->InplaceEditorVisible());
  SendKey(grid_->GetInplaceEditor()->GetEditCoreControl(), quote, {ssCtrl});
  ProcessPendingEvents();
  EXPECT_EQ(data_->FieldByName(u"QTY")->GetAsInteger(), 200);
  EXPECT_EQ(data_->FieldByName(u"NAME")->GetAsString(), u"Изделие 21");
  data_->Cancel();
  // A read-only column keeps its value.
  Column(u"QTY")->SetReadOnly(true);
  data_->SetRecNo(30);
  ProcessPendingEvents();
  Key(quote, {ssCtrl});
  EXPECT_EQ(data_->FieldByName(u"QTY")->GetAsInteger(), 300);
  EXPECT_EQ(data_->GetState(), dsBrowse);
}

TEST_F(DBGridInputWidthsTest, ACellButtonsShortCutPressesItAndTakesTheKey) {
  TCellButtonEh* button = Column(u"NAME")->GetCellButtons()->Add();
  button->SetShortCut(ShortCut('B', TShiftState{ssCtrl}));
  Integer clicks = 0;
  button->OnMouseClick = [&](TCustomDBAxisGridEh*, TAxisBarEh* bar, TCellButtonEh*, TMouseButton, TShiftState,
                             TPoint, TGridCoord, bool&) {
    EXPECT_EQ(bar, Column(u"NAME"));
    ++clicks;
  };
  grid_->SetSelectedIndex(Column(u"NAME")->GetIndex());
  Key('B', {ssCtrl});
  EXPECT_EQ(clicks, 1);
  grid_->SetSelectedIndex(Column(u"QTY")->GetIndex());
  Key('B', {ssCtrl});
  EXPECT_EQ(clicks, 1) << "only the current column's buttons";
}

}  // namespace

namespace {
// A data-set action: it works on any data source, as the class library's record actions do.
class TRecordCountAction : public TCustomAction {
 public:
  explicit TRecordCountAction(TComponent* owner) : TCustomAction(owner) {}
  bool HandlesTarget(TObject* target) override { return dynamic_cast<TDataSource*>(target) != nullptr; }
  void ExecuteTarget(TObject* target) override {
    executed = static_cast<TDataSource*>(target)->GetDataSet()->RecordCount();
  }
  void UpdateTarget(TObject*) override { updated = true; }
  Integer executed = 0;
  bool updated = false;
};
}  // namespace

TEST_F(DBGridInputTest, DataSetActionsGoToTheDataSourceEvenWhenTheGridIsNotFocused) {
  auto* action = new TRecordCountAction(form_.get());
  auto* other = new TEdit(form_.get());
  other->SetParent(form_.get());
  other->SetFocus();
  ProcessPendingEvents();
  EXPECT_TRUE(grid_->UpdateAction(action));
  EXPECT_TRUE(action->updated);
  EXPECT_TRUE(grid_->ExecuteAction(action));
  EXPECT_EQ(action->executed, 100);
}

TEST_F(DBGridInputTest, DeletingASelectionAsksInRussianWhatGoes) {
  SetMultiSelect();
  grid_->SetEditActions({geaDeleteEh});
  struct Case {
    std::function<void()> select;
    String question;
  };
  const Case cases[] = {
      {[&] { Key(VK_RIGHT, {ssShift}); }, u"Очистить выделенные ячейки?"},
      {[&] {
         grid_->GetSelectedRows()->SetCurrentRowSelected(true);
         data_->Next();
         grid_->GetSelectedRows()->SetCurrentRowSelected(true);
       },
       u"Удалить 2 выбранных записей?"},
      {[&] { grid_->GetSelection()->SelectAll(); }, u"Удалить все записи?"},
  };
  for (const Case& c : cases) {
    grid_->GetSelection()->Clear();
    c.select();
    TDialogRecorder answers(TDialogAnswer::Button(mrCancel));
    grid_->DeleteSelection();
    ASSERT_EQ(answers.Count(), 1) << StringToUtf8(c.question);
    EXPECT_EQ(answers.Last().Text, c.question);
    EXPECT_EQ(data_->RecordCount(), 100) << "a cancelled question changes nothing";
    EXPECT_FALSE(data_->FieldByName(u"NAME")->IsNull());
  }
  grid_->GetSelection()->Clear();
  TDialogRecorder answers(TDialogAnswer::Button(mrCancel));
  grid_->DeleteRecords();
  ASSERT_EQ(answers.Count(), 1);
  EXPECT_EQ(answers.Last().Text, u"Удалить запись?");
}

TEST_F(DBGridInputTest, TheIndicatorTitleButtonOpensTheStandardMenuWithTheFormsItemsUnderTheCell) {
  SetMultiSelect();
  grid_->SetEditActions({geaCopyEh, geaSelectAllEh});
  auto* formMenu = new TPopupMenu(form_.get());
  auto* refresh = new TMenuItem(formMenu);
  refresh->SetCaption(u"Обновить");
  formMenu->GetItems()->Add(refresh);
  grid_->GetIndicatorTitle()->SetDropdownMenu(formMenu);
  grid_->GetIndicatorTitle()->SetTitleButton(true);
  std::vector<String> captions;
  bool down = false;
  TLater look([&] {
    // The standard menu is the one all grids share, kept by the screen.
    auto* menu = dynamic_cast<TPopupMenu*>(Screen->FindComponent(u"DBGridEhIndicatorTitlePopupMenu"));
    for (Integer i = 0; menu && i < menu->GetItems()->GetCount(); ++i)
      captions.push_back(StripHotkey(menu->GetItems()->GetItem(i)->GetCaption()));
    down = grid_->GetIndicatorTitle()->GetDown();
    CloseOpenMenus();
  });
  Click(Centre(0, 0));
  EXPECT_TRUE(down) << "the button is held while its menu is open";
  EXPECT_FALSE(grid_->GetIndicatorTitle()->GetDown());
  ASSERT_FALSE(captions.empty());
  EXPECT_EQ(captions.back(), u"Обновить") << "the form's items follow the standard ones";
  EXPECT_EQ(captions[captions.size() - 2], u"-");
  EXPECT_EQ(grid_->GetSelection()->GetSelectionType(), gstNon) << "a press on the button selects nothing";
}

TEST_F(DBGridInputTest, ContraColumnsMustLeaveAScrollableColumn) {
  struct Case {
    Integer count;
    const char* error;
  };
  for (const Case& c : {Case{-1, "Grid index out of range"},
                        Case{3, "Contra column count must be less than scrollable column count"},
                        Case{7, "Contra column count must be less than scrollable column count"}}) {
    try {
      grid_->SetContraColCountProp(c.count);
      ADD_FAILURE() << c.count << " was taken";
    } catch (const EInvalidGridOperationEh& e) {
      EXPECT_EQ(StringToUtf8(e.Message()), c.error);
    }
    EXPECT_EQ(grid_->GetContraColCountProp(), 0);
  }
  grid_->SetContraColCountProp(2);
  EXPECT_EQ(grid_->GetContraColCountProp(), 2);
}

TEST_F(DBGridInputTest, SizingAColumnTheGridMadeWritesTheFieldsDisplayWidth) {
  TField* name = data_->FieldByName(u"NAME");
  ASSERT_EQ(name->GetDisplayWidth(), 20);
  Column(u"NAME")->SetWidth(60);
  EXPECT_LT(name->GetDisplayWidth(), 20) << "a narrower column narrows the field";
  EXPECT_GT(name->GetDisplayWidth(), 0);
  EXPECT_NEAR(Column(u"NAME")->GetWidth(), 60, 10) << "the width follows the field it wrote";
  const Integer written = name->GetDisplayWidth();
  grid_->SetUpdateFields(false);
  Column(u"NAME")->SetWidth(300);
  EXPECT_EQ(name->GetDisplayWidth(), written) << "a grid told not to keeps the field as it is";
}
