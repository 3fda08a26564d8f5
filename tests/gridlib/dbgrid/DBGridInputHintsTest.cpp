// Hints of the data grid's cells: the pause each cell asks for, a title's own hint, the whole text of
// a title, data cell or footer that the cell cuts, the screens' data-hint events, and the hint window
// that follows the mouse from cell to cell.
#include <gtest/gtest.h>

#include "gridlib/base/ToolCtrlsEh.h"
#include "tests/gridlib/dbgrid/DBGridTestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

class DBGridHintsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 600, 300);
    data_ = new TTestDataSet(form_.get());
    data_->GetFieldDefs()->Add(u"ID", ftInteger, 0, false);
    data_->GetFieldDefs()->Add(u"NAME", ftString, 60, false);
    data_->AddRow({Variant(1), Variant(u"Болт")});
    data_->AddRow({Variant(2), Variant(u"Лист стальной горячекатаный 5 мм по ГОСТ 19903")});
    data_->Open();
    grid_ = ShowGridOver(form_.get(), data_, &source_);
    id_ = AddColumn(u"ID", u"Код", 120);
    name_ = AddColumn(u"NAME", u"Наименование", 90);
    grid_->SetFooterRowCount(1);
    ProcessPendingEvents();
  }
  void TearDown() override {
    Application->CancelHint();
    form_.reset();
  }
  TColumnEh* AddColumn(const String& field, const String& caption, Integer width) {
    TColumnEh* c = grid_->GetColumns()->Add();
    c->SetFieldName(field);
    c->GetTitle()->SetCaption(caption);
    c->SetWidth(width);
    return c;
  }
  TRect Cell(TColumnEh* column, Integer row) {
    return static_cast<TCustomGridEh*>(grid_)->CellRect(grid_->DataColToGridCol(column->GetIndex()), row);
  }
  TPoint Inside(TColumnEh* column, Integer row) {
    const TRect r = Cell(column, row);
    return TPoint(r.Left + 5, r.Top + r.Height() / 2);
  }
  // What the grid answers the hint machinery for a point.
  THintInfo Ask(TPoint p) {
    THintInfo info;
    info.HintControl = grid_;
    info.CursorPos = p;
    info.CursorRect = grid_->GetClientRect();
    info.HintPos = grid_->ClientToScreen(TPoint(p.X, p.Y + 20));
    info.HintMaxWidth = 1000;
    info.HintStr = grid_->GetHint();
    grid_->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    return info;
  }
  Integer Pause(TPoint p) {
    SendMouseMove(grid_, p);
    Integer pause = -1;
    grid_->Perform(CM_HINTSHOWPAUSE, 0, reinterpret_cast<LPARAM>(&pause));
    return pause;
  }
  Integer DataRow(Integer recNo) { return grid_->TopDataOffset() + recNo - 1; }
  Integer FooterRow() { return grid_->GetFullRowCount() - 1; }

  std::unique_ptr<TForm> form_;
  TTestDataSet* data_ = nullptr;
  TDataSource* source_ = nullptr;
  TDBGridEh* grid_ = nullptr;
  TColumnEh* id_ = nullptr;
  TColumnEh* name_ = nullptr;
};

TEST_F(DBGridHintsTest, CellsWithToolTipsAskForNoPauseAndEventsDecideFirst) {
  Application->SetHintPause(700);
  name_->SetToolTips(true);
  name_->GetTitle()->SetToolTips(true);
  id_->GetTitle()->SetToolTips(true);
  id_->GetTitle()->SetHint(u"Код изделия");
  name_->GetFooter()->SetToolTips(true);
  struct Case {
    const char* what;
    TPoint at;
    Integer pause;
  };
  const Case cases[] = {
      {"data cell of a column with tool tips", Inside(name_, DataRow(2)), 0},
      {"data cell without", Inside(id_, DataRow(2)), 700},
      {"title with tool tips", Inside(name_, 0), 0},
      {"title with its own hint", Inside(id_, 0), 700},
      {"footer with tool tips", Inside(name_, FooterRow()), 0},
      {"indicator", TPoint(3, Inside(id_, DataRow(1)).Y), -1},
  };
  for (const Case& c : cases) EXPECT_EQ(Pause(c.at), c.pause) << c.what;
  Integer columnAsked = 0;
  name_->OnHintShowPause = [&](TCustomDBGridEh*, TPoint, TGridCoord, TPoint, TColumnEh*, Integer& pause,
                               bool& processed) {
    ++columnAsked;
    pause = 50;
    processed = true;
  };
  grid_->OnHintShowPause = [](TCustomDBGridEh*, TPoint, TGridCoord cell, TPoint inCell, TColumnEh* column,
                              Integer& pause, bool& processed) {
    EXPECT_EQ(column->GetFieldName(), u"NAME");
    EXPECT_EQ(inCell.X, 5);
    pause = 300;
    processed = cell.Y == 0;
  };
  EXPECT_EQ(Pause(Inside(name_, 0)), 300) << "the grid's handler processed it";
  EXPECT_EQ(columnAsked, 0);
  EXPECT_EQ(Pause(Inside(name_, DataRow(1))), 50) << "the column is asked after the grid";
  EXPECT_EQ(columnAsked, 1);
}

TEST_F(DBGridHintsTest, TitlesShowTheirHintOrTheCaptionTheCellCuts) {
  id_->GetTitle()->SetHint(u"Код изделия|Внутренний номер");
  THintInfo info = Ask(Inside(id_, 0));
  EXPECT_EQ(info.HintStr, u"Код изделия") << "a title's hint shows even when its caption fits";
  EXPECT_EQ(info.CursorRect, Cell(id_, 0));

  name_->GetTitle()->SetToolTips(true);
  name_->SetWidth(300);
  ProcessPendingEvents();
  EXPECT_EQ(Ask(Inside(name_, 0)).HintStr, u"") << "a caption that fits needs no hint";
  name_->SetWidth(40);
  ProcessPendingEvents();
  info = Ask(Inside(name_, 0));
  EXPECT_EQ(info.HintStr, u"Наименование");
  EXPECT_EQ(info.HintPos, grid_->ClientToScreen(TPoint(Cell(name_, 0).Left - 1, Cell(name_, 0).Top - 1)))
      << "over the caption, where the cell writes it";
  EXPECT_EQ(info.HintWindowClass, THintWindowEh::StaticClass());

  name_->GetTitle()->SetToolTips(false);
  EXPECT_EQ(Ask(Inside(name_, 0)).HintStr, grid_->GetHint()) << "without tool tips the grid's own hint";
}

TEST_F(DBGridHintsTest, DataCellsShowTheirWholeTextAndTheScreensEventsMayChangeIt) {
  name_->SetToolTips(true);
  EXPECT_EQ(Ask(Inside(name_, DataRow(1))).HintStr, u"") << "\"Болт\" fits";
  const THintInfo cut = Ask(Inside(name_, DataRow(2)));
  EXPECT_EQ(cut.HintStr, u"Лист стальной горячекатаный 5 мм по ГОСТ 19903")
      << "the row under the mouse is read, not the current one";
  EXPECT_EQ(data_->RecNo(), 1) << "reading the row leaves the record where it was";
  EXPECT_TRUE(Cell(name_, DataRow(2)).Contains(TPoint(cut.CursorRect.Left + 1, cut.CursorRect.Top + 1)));

  grid_->SetHint(u"Список изделий");
  name_->SetToolTips(false);
  EXPECT_EQ(Ask(Inside(name_, DataRow(2))).HintStr, u"Список изделий") << "no tool tips: the grid's hint";

  name_->OnDataHintShow = [](TCustomDBGridEh*, TPoint, TGridCoord, TPoint, TColumnEh* column,
                             TDBGridEhDataHintParams* params, bool& processed) {
    params->HintStr =
        u"ID " + column->GetDBGrid()->GetDataLink()->GetDataSet()->FieldByName(u"ID")->GetAsString();
    processed = true;
  };
  EXPECT_EQ(Ask(Inside(name_, DataRow(2))).HintStr, u"ID 2") << "the event reads the row under the mouse";
  grid_->OnDataHintShow = [](TCustomDBGridEh*, TPoint, TGridCoord, TPoint, TColumnEh*,
                             TDBGridEhDataHintParams* params, bool& processed) {
    params->HintStr = u"сетка";
    processed = true;
  };
  EXPECT_EQ(Ask(Inside(name_, DataRow(2))).HintStr, u"сетка") << "the grid's event is asked first";
}

TEST_F(DBGridHintsTest, FootersWithToolTipsShowTheirTextWhereTheCellCutsIt) {
  TColumnFooterEh* footer = name_->GetFooter();
  footer->SetValueType(fvtStaticText);
  footer->SetValue(u"Итого по всем складам предприятия");
  EXPECT_EQ(Ask(Inside(name_, FooterRow())).HintStr, grid_->GetHint()) << "no tool tips, no footer hint";
  footer->SetToolTips(true);
  EXPECT_EQ(Ask(Inside(name_, FooterRow())).HintStr, u"Итого по всем складам предприятия");
  grid_->OnGetFooterParams = [](TObject*, Integer, Integer, TColumnEh*, TFont*, TColor&, TAlignment&,
                                TGridDrawState, String& text) { text = u"Σ"; };
  EXPECT_EQ(Ask(Inside(name_, FooterRow())).HintStr, u"") << "the screen's footer text fits";
}

// Through the application's hint machinery: a cell whose text fits does not keep the next cell from
// showing its hint.
TEST_F(DBGridHintsTest, TheHintWindowFollowsTheMouseFromCellToCell) {
  grid_->SetShowHint(true);
  name_->SetToolTips(true);
  SendMouseMove(grid_, Inside(name_, DataRow(1)));
  ProcessEventsFor(60);
  THintWindow* window = Application->GetHintWindow();
  EXPECT_TRUE(!window || !window->GetVisible()) << "\"Болт\" fits its cell";
  SendMouseMove(grid_, Inside(name_, DataRow(2)));
  ProcessEventsFor(60);
  window = Application->GetHintWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->GetVisible());
  EXPECT_EQ(window->GetCaption(), u"Лист стальной горячекатаный 5 мм по ГОСТ 19903");
  SendMouseMove(grid_, Inside(id_, DataRow(2)));
  ProcessEventsFor(60);
  EXPECT_FALSE(Application->GetHintWindow() && Application->GetHintWindow()->GetVisible())
      << "leaving the cell hides its hint";
}

}  // namespace
