// The data grid over a test dataset of three hundred records: the rows it shows and follows, moving
// the dataset by keys, mouse and wheel, cell drawing and its events, default and persistent
// columns, title clicks, editing with post and cancel, appending, deleting and multi-selection,
// and a grid read from a form resource.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

#include "platform/classes/FormResources.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Images.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

class DBGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form = new TForm(nullptr, 0);
    form->AfterConstruction();
    form->SetBounds(0, 0, 520, 400);
    ds = new TTestDataSet(form);
    ds->GetFieldDefs()->Add(u"ID", ftInteger);
    ds->GetFieldDefs()->Add(u"NAME", ftString, 20);
    ds->GetFieldDefs()->Add(u"PRICE", ftFloat);
    for (int i = 1; i <= 300; ++i) ds->AddRow({i, u"Name " + IntToStr(i), i * 1.5});
    source = new TDataSource(form);
    source->SetDataSet(ds);
    grid = new TDBGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 420, 260);
    grid->SetDataSource(source);
    other = new TEdit(form);
    other->SetParent(form);
    other->SetTop(300);
    ds->Open();
    form->Show();
    ProcessPendingEvents();
    grid->SetFocus();
    ProcessPendingEvents();
  }
  void TearDown() override { delete form; }

  Integer DataRows() const { return grid->GetRowCount() - grid->GetTitleOffset(); }
  Integer Id() const { return ds->FieldByName(u"ID")->GetAsInteger(); }
  TPoint CenterOf(Integer col, Integer row) const {
    TRect r = grid->CellRect(col, row);
    return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  // The ID shown in each grid row, as the grid draws it.
  std::map<Integer, String> PaintedIds() {
    std::map<Integer, String> ids;
    TDrawColumnCellEvent saved = grid->OnDrawColumnCell;
    grid->OnDrawColumnCell = [&](TObject*, const TRect& rect, Integer, TColumn* column, TGridDrawState) {
      if (column->GetFieldName() == u"ID")
        ids[grid->MouseCoord(rect.Left, rect.Top).Y] = column->GetField()->GetDisplayText();
    };
    CaptureControl(grid);
    grid->OnDrawColumnCell = saved;
    return ids;
  }

  TForm* form = nullptr;
  TTestDataSet* ds = nullptr;
  TDataSource* source = nullptr;
  TDBGrid* grid = nullptr;
  TEdit* other = nullptr;
};

TEST_F(DBGridTest, ShowsTheRowsFromTheDatasetsPositionAndFollowsItsCursor) {
  Integer rows = DataRows();
  ASSERT_GT(rows, 3);
  EXPECT_EQ(grid->GetDataLink()->GetBufferCount(), rows);
  auto ids = PaintedIds();
  EXPECT_EQ(ids[1], u"1");
  EXPECT_EQ(ids[rows], IntToStr(rows));
  EXPECT_EQ(grid->GetRow(), 1);

  struct Step {
    const char* what;
    std::function<void()> move;
    Integer id;
  };
  const Step steps[] = {
      {"Last", [&] { ds->Last(); }, 300},
      {"MoveBy(-10)", [&] { ds->MoveBy(-10); }, 290},
      {"Locate", [&] { ds->Locate(u"ID", 123, {}); }, 123},
      {"First", [&] { ds->First(); }, 1},
      {"MoveBy(50)", [&] { ds->MoveBy(50); }, 51},
  };
  for (const Step& s : steps) {
    s.move();
    ids = PaintedIds();
    EXPECT_EQ(Id(), s.id) << s.what;
    EXPECT_EQ(grid->GetRow(), 1 + grid->GetDataLink()->GetActiveRecord()) << s.what;
    EXPECT_EQ(ids[grid->GetRow()], IntToStr(s.id)) << s.what;
    EXPECT_EQ(static_cast<Integer>(ids.size()), rows) << s.what;
  }
  ds->Last();
  ids = PaintedIds();
  EXPECT_EQ(ids[rows], u"300");
  EXPECT_EQ(ids[1], IntToStr(300 - rows + 1));
}

TEST_F(DBGridTest, PaintingNeverMovesTheDataset) {
  ds->MoveBy(150);
  int scrolls = 0;
  ds->AfterScroll = [&](TDataSet*) { ++scrolls; };
  std::vector<Integer> recNos;
  grid->OnDrawColumnCell = [&](TObject*, const TRect&, Integer, TColumn*, TGridDrawState) {
    recNos.push_back(ds->RecNo());
  };
  TBookmark before = ds->GetBookmark();
  CaptureControl(grid);
  CaptureControl(grid);
  EXPECT_EQ(scrolls, 0);
  EXPECT_EQ(ds->CompareBookmarks(before, ds->GetBookmark()), 0);
  EXPECT_EQ(Id(), 151);
  EXPECT_FALSE(recNos.empty());
}

TEST_F(DBGridTest, OnDrawColumnCellGetsEachVisibleCellWithItsColumnAndRect) {
  struct Call {
    TRect rect;
    Integer dataCol;
    TColumn* column;
    String id;
    TGridDrawState state;
  };
  std::vector<Call> calls;
  grid->OnDrawColumnCell = [&](TObject* sender, const TRect& rect, Integer dataCol, TColumn* column,
                               TGridDrawState state) {
    EXPECT_EQ(sender, grid);
    calls.push_back({rect, dataCol, column, ds->FieldByName(u"ID")->GetAsString(), state});
  };
  ds->MoveBy(4);
  CaptureControl(grid);
  Integer rows = DataRows();
  ASSERT_EQ(static_cast<Integer>(calls.size()), rows * 3);
  std::map<std::pair<Integer, Integer>, int> seen;
  for (const Call& c : calls) {
    TGridCoord cell = grid->MouseCoord(c.rect.Left, c.rect.Top);
    ++seen[{cell.X, cell.Y}];
    EXPECT_EQ(c.rect, grid->CellRect(cell.X, cell.Y));
    EXPECT_EQ(cell.X, c.dataCol + 1);
    EXPECT_EQ(c.column, grid->GetColumns()->GetItem(c.dataCol));
    // The row's own record is active while its cells are drawn.
    EXPECT_EQ(c.id, IntToStr(cell.Y)) << "row " << cell.Y;
    EXPECT_EQ(c.state.Contains(gdSelected), cell.Y == 5 && cell.X == 1);
  }
  EXPECT_EQ(static_cast<Integer>(seen.size()), rows * 3);
}

TEST_F(DBGridTest, KeysMouseAndWheelMoveTheDataset) {
  Integer rows = DataRows();
  struct Case {
    Word key;
    TShiftState shift;
    Integer id;
  };
  const Case cases[] = {
      {VK_DOWN, {}, 2},  {VK_DOWN, {}, 3},        {VK_UP, {}, 2},         {VK_NEXT, {}, 2 + rows},
      {VK_PRIOR, {}, 2}, {VK_END, {ssCtrl}, 300}, {VK_HOME, {ssCtrl}, 1}, {VK_UP, {}, 1},
  };
  for (const Case& c : cases) {
    SendKey(grid, c.key, c.shift);
    EXPECT_EQ(Id(), c.id) << "key " << c.key;
    EXPECT_EQ(ds->GetState(), dsBrowse);
  }
  SendKey(grid, VK_RIGHT);
  EXPECT_EQ(grid->GetSelectedIndex(), 1);
  EXPECT_EQ(grid->GetSelectedField(), ds->FieldByName(u"NAME"));
  SendKey(grid, VK_END);
  EXPECT_EQ(grid->GetSelectedIndex(), 2);
  SendKey(grid, VK_HOME);
  EXPECT_EQ(grid->GetSelectedIndex(), 0);

  int cellClicks = 0;
  grid->OnCellClick = [&](TColumn* c) {
    ++cellClicks;
    EXPECT_EQ(c, grid->GetColumns()->GetItem(2));
  };
  SendClick(grid, CenterOf(3, 4));
  EXPECT_EQ(Id(), 4);
  EXPECT_EQ(grid->GetSelectedIndex(), 2);
  EXPECT_EQ(cellClicks, 1);
  SendWheel(grid, -120, CenterOf(2, 2));
  EXPECT_EQ(Id(), 5);
  SendWheel(grid, 120, CenterOf(2, 2));
  EXPECT_EQ(Id(), 4);
  grid->Perform(WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(Id(), 300);
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 99), 0);
  EXPECT_EQ(Id(), 100);
}

TEST_F(DBGridTest, DoubleClickOnARowRaisesOnDblClickOnThatRecord) {
  std::vector<Integer> ids;
  grid->OnDblClick = [&](TObject*) { ids.push_back(Id()); };
  SendDblClick(grid, CenterOf(2, 3));
  EXPECT_EQ(ids, (std::vector<Integer>{3}));
  EXPECT_FALSE(grid->GetEditorMode());
  EXPECT_EQ(ds->GetState(), dsBrowse);
}

TEST_F(DBGridTest, TabMovesThroughColumnsAndOnToTheNextRecord) {
  std::vector<std::string> log;
  grid->OnColExit = [&](TObject*) { log.push_back("exit " + std::to_string(grid->GetSelectedIndex())); };
  grid->OnColEnter = [&](TObject*) { log.push_back("enter " + std::to_string(grid->GetSelectedIndex())); };
  SendKey(grid, VK_TAB);
  SendKey(grid, VK_TAB);
  EXPECT_EQ(grid->GetSelectedIndex(), 2);
  SendKey(grid, VK_TAB);
  EXPECT_EQ(grid->GetSelectedIndex(), 0);
  EXPECT_EQ(Id(), 2);
  SendKey(grid, VK_TAB, {ssShift});
  EXPECT_EQ(grid->GetSelectedIndex(), 2);
  EXPECT_EQ(Id(), 1);
  EXPECT_EQ(log[0], "exit 0");
  EXPECT_EQ(log[1], "enter 1");
}

TEST_F(DBGridTest, DefaultColumnsFollowTheFieldsAndPersistentOnesStay) {
  TDBGridColumns* cols = grid->GetColumns();
  EXPECT_EQ(cols->GetState(), csDefault);
  ASSERT_EQ(cols->GetCount(), 3);
  EXPECT_EQ(cols->GetItem(1)->GetField(), ds->FieldByName(u"NAME"));
  EXPECT_EQ(cols->GetItem(1)->GetTitle()->GetCaption(), u"NAME");
  EXPECT_EQ(grid->GetColCount(), 4);

  ds->FieldByName(u"PRICE")->SetVisible(false);
  EXPECT_EQ(cols->GetCount(), 2);
  ds->FieldByName(u"NAME")->SetDisplayLabel(u"Наименование");
  EXPECT_EQ(cols->GetItem(1)->GetTitle()->GetCaption(), u"Наименование");

  TColumn* c = cols->Add();
  c->SetFieldName(u"PRICE");
  c->GetTitle()->SetCaption(u"Цена");
  c->SetWidth(90);
  EXPECT_EQ(cols->GetState(), csCustomized);
  ASSERT_EQ(cols->GetCount(), 1);
  EXPECT_EQ(grid->GetColCount(), 2);
  EXPECT_EQ(grid->GetColWidths(1), 90);
  EXPECT_EQ(c->GetField(), ds->FieldByName(u"PRICE"));

  // Persistent columns survive closing and bind again to the new fields.
  ds->Close();
  EXPECT_EQ(c->GetField(), nullptr);
  ds->Open();
  EXPECT_EQ(cols->GetCount(), 1);
  EXPECT_EQ(c->GetField(), ds->FieldByName(u"PRICE"));
  EXPECT_EQ(grid->GetSelectedField(), ds->FieldByName(u"PRICE"));

  // The reopened dataset made its default fields anew, PRICE visible again.
  cols->SetState(csDefault);
  EXPECT_EQ(cols->GetCount(), 3);
  EXPECT_EQ(cols->GetState(), csDefault);
}

TEST_F(DBGridTest, TitleClickNamesTheColumnButResizingDoesNot) {
  std::vector<TColumn*> clicked;
  grid->OnTitleClick = [&](TColumn* c) { clicked.push_back(c); };
  SendClick(grid, CenterOf(2, 0));
  ASSERT_EQ(clicked.size(), 1u);
  EXPECT_EQ(clicked[0], grid->GetColumns()->GetItem(1));
  EXPECT_EQ(Id(), 1);

  TRect title = grid->CellRect(2, 0);
  Integer before = grid->GetColumns()->GetItem(1)->GetWidth();
  SendDrag(grid, TPoint(title.Right, 5), grid, TPoint(title.Right + 25, 5));
  EXPECT_EQ(clicked.size(), 1u);
  EXPECT_EQ(grid->GetColumns()->GetItem(1)->GetWidth(), before + 25);
  EXPECT_EQ(grid->GetColWidths(2), before + 25);
}

TEST_F(DBGridTest, DraggingATitleMovesItsColumn) {
  std::vector<std::pair<Integer, Integer>> moves;
  grid->OnColumnMoved = [&](TObject*, Integer from, Integer to) { moves.push_back({from, to}); };
  int titleClicks = 0;
  grid->OnTitleClick = [&](TColumn*) { ++titleClicks; };
  SendDrag(grid, CenterOf(1, 0), grid, CenterOf(3, 0));
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0], (std::pair<Integer, Integer>{1, 3}));
  EXPECT_EQ(titleClicks, 0);
  TDBGridColumns* cols = grid->GetColumns();
  EXPECT_EQ(cols->GetState(), csCustomized);
  EXPECT_EQ(cols->GetItem(0)->GetFieldName(), u"NAME");
  EXPECT_EQ(cols->GetItem(2)->GetFieldName(), u"ID");
  EXPECT_EQ(grid->GetSelectedField(), ds->FieldByName(u"ID"));
}

TEST_F(DBGridTest, TypingEditsTheFieldWhichPostingWrites) {
  grid->SetSelectedIndex(1);
  SendChar(grid, u'Z');
  ASSERT_TRUE(grid->GetEditorMode());
  EXPECT_EQ(ds->GetState(), dsEdit);
  TInplaceEdit* editor = grid->GetInplaceEditor();
  TypeText(editor, u"ёж");
  EXPECT_EQ(ds->FieldByName(u"NAME")->GetAsString(), u"Name 1");
  SendKey(editor, VK_RETURN);
  EXPECT_EQ(ds->FieldByName(u"NAME")->GetAsString(), u"Zёж");
  ds->Post();
  EXPECT_EQ(ds->Row(0)[1].AsString(), u"Zёж");

  // Moving to another record writes and posts what the editor holds.
  SendKey(grid, VK_DOWN);
  SendChar(grid, u'Q');
  SendKey(grid->GetInplaceEditor(), VK_DOWN);
  EXPECT_EQ(ds->GetState(), dsBrowse);
  EXPECT_EQ(ds->Row(1)[1].AsString(), u"Q");
  EXPECT_EQ(Id(), 3);

  // The dataset's own Post asks the grid for the editor's text.
  SendChar(grid, u'W');
  ds->Post();
  EXPECT_EQ(ds->Row(2)[1].AsString(), u"W");
}

TEST_F(DBGridTest, ATextTheFieldRefusesIsReportedAndKeptForCorrection) {
  std::vector<String> errors;
  Application->OnException = [&](TObject*, Exception* e) { errors.push_back(e->Message()); };
  SendChar(grid, u'1');
  TInplaceEdit* editor = grid->GetInplaceEditor();
  TypeText(editor, u"-2");
  SendKey(editor, VK_DOWN);
  Application->OnException = nullptr;
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], u"'1-2' is not a valid integer value for field 'ID'");
  EXPECT_EQ(Id(), 1);
  EXPECT_EQ(ds->GetState(), dsEdit);
  EXPECT_TRUE(grid->GetEditorMode());
  EXPECT_EQ(editor->GetText(), u"1-2");

  // Corrected, the same key writes it and moves on.
  editor->SetText(u"12");
  SendKey(editor, VK_DOWN);
  EXPECT_EQ(ds->Row(0)[0].AsInteger(), 12);
  EXPECT_EQ(ds->GetState(), dsBrowse);
}

TEST_F(DBGridTest, EscGivesTheCellBackThenCancelsTheRecord) {
  grid->SetSelectedIndex(1);
  SendChar(grid, u'a');
  TInplaceEdit* editor = grid->GetInplaceEditor();
  TypeText(editor, u"bc");
  SendKey(editor, VK_ESCAPE);
  EXPECT_EQ(editor->GetText(), u"Name 1");
  EXPECT_EQ(ds->GetState(), dsEdit);
  SendKey(editor, VK_ESCAPE);
  EXPECT_EQ(ds->GetState(), dsBrowse);
  EXPECT_FALSE(grid->GetEditorMode());
  EXPECT_EQ(ds->Row(0)[1].AsString(), u"Name 1");
  EXPECT_EQ(ds->InternalPostCount(), 0);
}

TEST_F(DBGridTest, ReadOnlyGridsAndRowSelectionNeverEdit) {
  grid->SetReadOnly(true);
  SendChar(grid, u'x');
  EXPECT_EQ(ds->GetState(), dsBrowse);
  grid->SetReadOnly(false);
  grid->SetOptions(grid->GetOptions() + TDBGridOptions{dgRowSelect});
  EXPECT_FALSE(grid->GetOptions().Contains(dgEditing));
  SendChar(grid, u'x');
  EXPECT_EQ(ds->GetState(), dsBrowse);
  grid->GetColumns()->GetItem(0)->SetReadOnly(true);
  grid->SetOptions(grid->GetOptions() - TDBGridOptions{dgRowSelect} + TDBGridOptions{dgEditing});
  SendChar(grid, u'x');
  EXPECT_EQ(ds->GetState(), dsBrowse);
}

TEST_F(DBGridTest, DownAtTheEndAppendsAndUpDropsTheUntouchedRow) {
  SendKey(grid, VK_END, {ssCtrl});
  SendKey(grid, VK_DOWN);
  EXPECT_EQ(ds->GetState(), dsInsert);
  EXPECT_EQ(grid->GetRow(), 1 + grid->GetDataLink()->GetActiveRecord());
  SendKey(grid, VK_DOWN);
  EXPECT_EQ(ds->GetState(), dsInsert);
  SendKey(grid, VK_UP);
  EXPECT_EQ(ds->GetState(), dsBrowse);
  EXPECT_EQ(ds->RecordCount(), 300);
  EXPECT_EQ(Id(), 300);

  SendKey(grid, VK_INSERT);
  EXPECT_EQ(ds->GetState(), dsInsert);
  SendKey(grid, VK_ESCAPE);
  EXPECT_EQ(ds->GetState(), dsBrowse);
  EXPECT_EQ(ds->RecordCount(), 300);

  // Without dgEditing the end of the data is the end.
  grid->SetOptions(grid->GetOptions() - TDBGridOptions{dgEditing});
  SendKey(grid, VK_END, {ssCtrl});
  SendKey(grid, VK_DOWN);
  EXPECT_EQ(ds->GetState(), dsBrowse);
}

TEST_F(DBGridTest, CtrlDeleteAsksBeforeDeleting) {
  ds->MoveBy(9);
  TDialogRecorder dialogs;
  dialogs.AnswerButton(mrCancel).AnswerButton(mrOk);
  SendKey(grid, VK_DELETE, {ssCtrl});
  EXPECT_EQ(ds->RecordCount(), 300);
  ASSERT_EQ(dialogs.Count(), 1);
  EXPECT_EQ(dialogs.Last().Text, u"Delete record?");
  SendKey(grid, VK_DELETE, {ssCtrl});
  EXPECT_EQ(ds->RecordCount(), 299);
  EXPECT_EQ(Id(), 11);

  grid->SetOptions(grid->GetOptions() - TDBGridOptions{dgConfirmDelete});
  SendKey(grid, VK_DELETE, {ssCtrl});
  EXPECT_EQ(ds->RecordCount(), 298);
  EXPECT_EQ(dialogs.Count(), 2);
}

TEST_F(DBGridTest, MultiSelectKeepsBookmarksOfChosenRowsAndDeletesThem) {
  grid->SetOptions(grid->GetOptions() + TDBGridOptions{dgMultiSelect});
  TBookmarkList* rows = grid->GetSelectedRows();
  SendClick(grid, CenterOf(1, 2), mbLeft, {ssCtrl});
  SendClick(grid, CenterOf(1, 4), mbLeft, {ssCtrl});
  EXPECT_EQ(rows->Count(), 2);
  EXPECT_TRUE(rows->CurrentRowSelected());
  SendClick(grid, CenterOf(1, 4), mbLeft, {ssCtrl});
  EXPECT_FALSE(rows->CurrentRowSelected());
  SendClick(grid, CenterOf(1, 5), mbLeft, {ssCtrl});
  ASSERT_EQ(rows->Count(), 2);

  TDialogRecorder dialogs;
  dialogs.AnswerButton(mrOk);
  SendKey(grid, VK_DELETE, {ssCtrl});
  EXPECT_EQ(dialogs.Last().Text, u"Delete all selected records?");
  EXPECT_EQ(ds->RecordCount(), 298);
  EXPECT_EQ(rows->Count(), 0);
  EXPECT_FALSE(ds->Locate(u"ID", 2, {}));
  EXPECT_FALSE(ds->Locate(u"ID", 5, {}));
  EXPECT_TRUE(ds->Locate(u"ID", 4, {}));
}

TEST_F(DBGridTest, DrawsTitlesRowSelectionAndTheIndicator) {
  grid->SetOptions(
      TDBGridOptions{dgTitles, dgIndicator, dgColLines, dgRowLines, dgRowSelect, dgAlwaysShowSelection});
  grid->GetColumns()->GetItem(1)->GetTitle()->SetCaption(u"Наименование");
  ds->MoveBy(2);
  other->SetFocus();
  ProcessPendingEvents();
  auto picture = CaptureControl(grid);
  TRect m = grid->GetNonClientMargins();
  auto at = [&](TPoint p) { return ColorToRGB(PixelAt(picture.get(), m.Left + p.X, m.Top + p.Y)); };
  TRect current = grid->CellRect(3, 3);
  TRect plain = grid->CellRect(3, 5);
  EXPECT_EQ(at(TPoint(current.Right - 3, current.Top + 2)), ColorToRGB(clHighlight));
  EXPECT_EQ(at(TPoint(plain.Right - 3, plain.Top + 2)), ColorToRGB(clWindow));
  TRect indicator = grid->CellRect(0, 3);
  EXPECT_EQ(at(TPoint(indicator.Left + indicator.Width() / 2 - 1, (indicator.Top + indicator.Bottom) / 2)),
            ColorToRGB(clWindowText));
  EXPECT_EQ(at(TPoint(grid->CellRect(0, 4).Left + 5, grid->CellRect(0, 4).Top + 6)), ColorToRGB(clBtnFace));

  // Without dgAlwaysShowSelection the selection goes with the focus.
  grid->SetOptions(grid->GetOptions() - TDBGridOptions{dgAlwaysShowSelection});
  picture = CaptureControl(grid);
  EXPECT_EQ(at(TPoint(current.Right - 3, current.Top + 2)), ColorToRGB(clWindow));

  if (const char* path = std::getenv("KIV_DBGRID_PNG")) {
    grid->SetOptions(grid->GetOptions() + TDBGridOptions{dgAlwaysShowSelection});
    grid->OnDrawColumnCell = [&](TObject*, const TRect& rect, Integer dataCol, TColumn* column,
                                 TGridDrawState state) {
      if (dataCol == 2 && ds->FieldByName(u"ID")->GetAsInteger() % 2 == 0 && !state.Contains(gdSelected)) {
        grid->GetCanvas()->GetFont()->SetStyle(TFontStyles{fsBold});
        grid->GetCanvas()->GetBrush()->SetColor(TColor(12639424));
        grid->DefaultDrawColumnCell(rect, dataCol, column, state);
      }
    };
    ds->SetRecNo(150);
    picture = CaptureControl(grid);
    TPngImage png;
    png.Assign(picture.get());
    png.SaveToFile(Utf8ToString(path));
  }
}

TEST_F(DBGridTest, GridFromAFormResourceKeepsItsColumnsAndOptions) {
  if (!GetClass(u"TDataSource")) RegisterClass(TDataSource::StaticClass());
  std::string path = ::testing::TempDir() + "dbgrid_form.dfm";
  {
    std::ofstream out(path, std::ios::binary);
    out << "object GridForm: TForm\n"
           "  Width = 500\n"
           "  Height = 300\n"
           "  object DataSource1: TDataSource\n"
           "  end\n"
           "  object DBGrid1: TDBGrid\n"
           "    Width = 400\n"
           "    Height = 200\n"
           "    DataSource = DataSource1\n"
           "    Options = [dgTitles, dgColumnResize, dgColLines, dgRowLines, dgRowSelect, "
           "dgAlwaysShowSelection]\n"
           "    Columns = <\n"
           "      item\n"
           "        FieldName = 'NAME'\n"
           "        Title.Caption = '\xD0\x98\xD0\xBC\xD1\x8F'\n"
           "        Title.Alignment = taCenter\n"
           "        Width = 200\n"
           "      end\n"
           "      item\n"
           "        FieldName = 'ID'\n"
           "        Width = 50\n"
           "      end>\n"
           "  end\n"
           "end\n";
  }
  TForm* loaded = new TForm(nullptr, 0);
  loaded->AfterConstruction();
  ReadComponentResFile(Utf8ToString(path), loaded);
  auto* dbGrid = dynamic_cast<TDBGrid*>(loaded->FindComponent(u"DBGrid1"));
  auto* src = dynamic_cast<TDataSource*>(loaded->FindComponent(u"DataSource1"));
  ASSERT_NE(dbGrid, nullptr);
  ASSERT_NE(src, nullptr);
  EXPECT_EQ(dbGrid->GetDataSource(), src);
  EXPECT_TRUE(dbGrid->GetOptions().Contains(dgRowSelect));
  EXPECT_FALSE(dbGrid->GetOptions().Contains(dgIndicator));
  TDBGridColumns* cols = dbGrid->GetColumns();
  ASSERT_EQ(cols->GetCount(), 2);
  EXPECT_EQ(cols->GetState(), csCustomized);
  EXPECT_EQ(cols->GetItem(0)->GetTitle()->GetCaption(), u"Имя");
  EXPECT_EQ(cols->GetItem(0)->GetTitle()->GetAlignment(), taCenter);
  EXPECT_EQ(cols->GetItem(1)->GetWidth(), 50);

  src->SetDataSet(ds);
  EXPECT_EQ(cols->GetItem(0)->GetField(), ds->FieldByName(u"NAME"));
  EXPECT_EQ(dbGrid->GetColCount(), 2);
  EXPECT_EQ(dbGrid->GetColWidths(0), 200);

  // Written back, the columns and options come out as they went in.
  std::string again = ::testing::TempDir() + "dbgrid_form_again.dfm";
  WriteComponentResFile(Utf8ToString(again), loaded);
  std::ifstream in(again, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("dgRowSelect"), std::string::npos);
  EXPECT_NE(text.find("FieldName = 'NAME'"), std::string::npos);
  EXPECT_NE(text.find("Width = 200"), std::string::npos);
  delete loaded;
  std::remove(path.c_str());
  std::remove(again.c_str());
}

}  // namespace
