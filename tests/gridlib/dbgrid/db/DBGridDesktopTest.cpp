// The data grid over the demo database's inventory items, driven through a real X server with a
// window manager as a user drives it: keys and the wheel scroll, a title click runs the screen's own
// sort, a column is sized and moved, rows are picked with Shift and Ctrl and copied to the clipboard
// (read back with xclip), a cell is edited and posted, and an edit is cancelled with Esc. With
// KIV_SCREENSHOT_DIR set, pictures of the grid's popup menu in both visual styles. Runs when
// KIV_DESKTOP_TESTS is set and the program is on an X display (tools/desktop).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "platform/controls/StyleManager.h"
#include "platform/rtl/ScopeGuard.h"
#include "tests/gridlib/dbgrid/DBGridTestSupport.h"
#include "tests/platform/ado/AdoFixture.h"

namespace {

std::string RunDesktopCommand(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[512];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  return out;
}

const Char* const kItemsSelect =
    u"SELECT ii.id, ii.marka, n.nom, ii.massa_kg FROM cmn_inventory_items.inventory_items ii "
    u"JOIN cmn_inventory_items.nomenclature n ON n.id = ii.id_nom WHERE ii.id > 0 ORDER BY ";

class DBGridDesktopTest : public AdoTest {
 protected:
  void SetUp() override {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!std::getenv("KIV_DESKTOP_TESTS") || !platform || std::string(platform) != "xcb")
      GTEST_SKIP() << "needs an X desktop: KIV_DESKTOP_TESTS=1 tools/desktop ...";
    AdoTest::SetUp();
    InitTestApplication();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetCaption(u"KIV data grid input");
    form_->SetBounds(40, 40, 760, 230);
    items_ = Query(String(kItemsSelect) + u"ii.id");
    items_->Open();
    source_ = new TDataSource(form_.get());
    source_->SetDataSet(items_);
    grid_ = new TDBGridEh(form_.get());
    grid_->SetParent(form_.get());
    grid_->SetAlign(alClient);
    grid_->SetDataSource(source_);
    AddColumn(u"id", u"Код", 60);
    AddColumn(u"marka", u"Марка", 220);
    AddColumn(u"nom", u"Номенклатура", 220);
    AddColumn(u"massa_kg", u"Масса, кг", 90);
    TDBGridOptions o = grid_->GetDBOptions();
    o.Include(dgMultiSelect);
    grid_->SetDBOptions(o);
    grid_->SetEditActions({geaCopyEh, geaSelectAllEh});
    grid_->SetUseIndicatorMenu(true);
    // The screens sort in their own title handler: the query is read again in the clicked order.
    grid_->OnTitleClick = [this](TObject*, TColumnEh* column) {
      static const std::map<String, String> orders = {{u"id", u"ii.id"},
                                                      {u"marka", u"ii.marka, ii.id"},
                                                      {u"nom", u"n.nom, ii.id"},
                                                      {u"massa_kg", u"ii.massa_kg, ii.id"}};
      const auto order = orders.find(column->GetFieldName());
      if (order == orders.end()) return;
      ++sorts_;
      items_->Close();
      items_->GetSQL()->SetText(String(kItemsSelect) + order->second);
      items_->Open();
    };
    form_->Show();
    RunDesktopCommand("xdotool search --name 'KIV data grid input' windowactivate --sync 2>/dev/null");
    ProcessEventsFor(300);
    grid_->SetFocus();
    ProcessEventsFor(200);
  }
  void TearDown() override {
    form_.reset();
    AdoTest::TearDown();
  }
  void AddColumn(const String& field, const String& caption, Integer width) {
    TColumnEh* c = grid_->GetColumns()->Add();
    c->SetFieldName(field);
    c->GetTitle()->SetCaption(caption);
    c->SetWidth(width);
  }
  TColumnEh* Column(const String& field) { return static_cast<TColumnEh*>(grid_->FindFieldColumn(field)); }
  // xdotool runs while our loop waits; its events are handled afterwards.
  void Do(const std::string& args) {
    RunDesktopCommand("xdotool " + args);
    ProcessEventsFor(250);
  }
  // The screen point of a point in the grid's client area, as xdotool arguments.
  std::string At(TPoint client) {
    const TPoint s = grid_->ClientToScreen(client);
    return std::to_string(s.X) + " " + std::to_string(s.Y);
  }
  TPoint Centre(Integer col, Integer row) {
    const TRect r = static_cast<TCustomGridEh*>(grid_)->CellRect(col, row);
    return TPoint(r.Left + r.Width() / 2, r.Top + r.Height() / 2);
  }
  Integer GridColOf(const String& field) {
    return grid_->DataColToGridCol(grid_->GetVisibleColumns()->IndexOf(Column(field)));
  }
  Integer RowOf(Integer recNo) { return grid_->GetRow() + recNo - items_->RecNo(); }
  void Drag(TPoint from, TPoint to) {
    Do("mousemove " + At(from) + " mousedown 1");
    Do("mousemove " + At(TPoint(from.X + (to.X > from.X ? 8 : -8), from.Y)));
    Do("mousemove " + At(to));
    Do("mouseup 1");
  }

  std::unique_ptr<TForm> form_;
  TADOQuery* items_ = nullptr;
  TDataSource* source_ = nullptr;
  TDBGridEh* grid_ = nullptr;
  int sorts_ = 0;
};

TEST_F(DBGridDesktopTest, KeysWheelTitleSortSizingMovingSelectionCopyAndEditing) {
  const Integer count = items_->RecordCount();
  ASSERT_GT(count, grid_->VisibleDataRowCount()) << "the demo items fill more than a page";
  const Integer page = grid_->VisibleDataRowCount();

  // Keys and the wheel.
  Do("key Down Down Down");
  EXPECT_EQ(items_->RecNo(), 4);
  Do("key Next");
  EXPECT_EQ(items_->RecNo(), 4 + page);
  Do("key ctrl+Home");
  EXPECT_EQ(items_->RecNo(), 1);
  Do("mousemove " + At(Centre(GridColOf(u"nom"), 3)) + " click 5 click 5 click 5");
  EXPECT_EQ(items_->RecNo(), 4) << "one record per wheel notch";
  Do("click 4");
  EXPECT_EQ(items_->RecNo(), 3);

  // A title click runs the screen's sort.
  Do("mousemove " + At(Centre(GridColOf(u"marka"), 0)) + " click 1");
  EXPECT_EQ(sorts_, 1);
  items_->First();
  EXPECT_EQ(
      items_->FieldByName(u"marka")->GetAsString(),
      Scalar(u"SELECT ii.marka FROM cmn_inventory_items.inventory_items ii JOIN "
             u"cmn_inventory_items.nomenclature n ON n.id = ii.id_nom WHERE ii.id > 0 ORDER BY ii.marka, "
             u"ii.id LIMIT 1"));
  ProcessEventsFor(100);

  // The right edge of the "Марка" title dragged 40 pixels further.
  const Integer before = Column(u"marka")->GetWidth();
  const TRect marka = static_cast<TCustomGridEh*>(grid_)->CellRect(GridColOf(u"marka"), 0);
  Drag(TPoint(marka.Right - 1, marka.Top + 4), TPoint(marka.Right + 39, marka.Top + 4));
  EXPECT_NEAR(Column(u"marka")->GetWidth(), before + 40, 2);
  EXPECT_EQ(sorts_, 1) << "sizing is no title click";

  // "Масса, кг" taken by its title and dropped before "Марка".
  const TRect markaNow = static_cast<TCustomGridEh*>(grid_)->CellRect(GridColOf(u"marka"), 0);
  Drag(Centre(GridColOf(u"massa_kg"), 0), TPoint(markaNow.Left + 5, markaNow.Top + 4));
  EXPECT_EQ(grid_->GetColumns()->GetColumnsIndex(), u"\"id\",\"massa_kg\",\"marka\",\"nom\"");
  EXPECT_EQ(sorts_, 1) << "a moved title is no click";

  // Rows picked in the indicator: a click, Shift+click for the range, Ctrl+click takes one out.
  items_->First();
  ProcessEventsFor(100);
  Do("mousemove " + At(Centre(0, RowOf(2))) + " click 1");
  Do("mousemove " + At(Centre(0, RowOf(5))) + " keydown shift click 1 keyup shift");
  Do("mousemove " + At(Centre(0, RowOf(3))) + " keydown ctrl click 1 keyup ctrl");
  ASSERT_EQ(grid_->GetSelectedRows()->GetCount(), 3);
  Do("key ctrl+c");
  // xclip asks this program for the text: it runs on its own while the loop answers.
  const std::string clip = "/tmp/kiv-dbgrid-clip-" + std::to_string(getpid()) + ".txt";
  RunDesktopCommand("sh -c 'xclip -o -selection clipboard > " + clip + " 2>&1 &'");
  ProcessEventsFor(1500);
  const std::string copied = RunDesktopCommand("cat " + clip + "; rm -f " + clip);
  for (const Integer recNo : {2, 4, 5}) {
    items_->SetRecNo(recNo);
    const std::string line = StringToUtf8(items_->FieldByName(u"id")->GetAsString() + u"\t" +
                                          items_->FieldByName(u"massa_kg")->GetDisplayText() + u"\t" +
                                          items_->FieldByName(u"marka")->GetDisplayText());
    EXPECT_NE(copied.find(line), std::string::npos) << copied;
  }
  items_->SetRecNo(3);
  EXPECT_EQ(copied.find(StringToUtf8(u"\n" + items_->FieldByName(u"id")->GetAsString() + u"\t")),
            std::string::npos)
      << "the row taken out is not copied";

  // The foot of the "Марка" title picks its column, Shift at the foot of "Номенклатура" adds it.
  const TRect markaFoot = static_cast<TCustomGridEh*>(grid_)->CellRect(GridColOf(u"marka"), 0);
  const TRect nomFoot = static_cast<TCustomGridEh*>(grid_)->CellRect(GridColOf(u"nom"), 0);
  Do("mousemove " + At(TPoint(markaFoot.Left + 12, markaFoot.Bottom - 3)) + " click 1");
  Do("mousemove " + At(TPoint(nomFoot.Left + 12, nomFoot.Bottom - 3)) + " keydown shift click 1 keyup shift");
  ASSERT_EQ(grid_->GetSelection()->GetSelectionType(), gstColumns);
  EXPECT_EQ(grid_->GetSelection()->GetColumns()->GetCount(), 2);
  EXPECT_EQ(sorts_, 1) << "the foot of a title selects its column, it does not sort";
  if (const char* dir = std::getenv("KIV_SCREENSHOT_DIR"))
    RunDesktopCommand("import -window root " + std::string(dir) + "/data-grid-selected-columns.png");

  // An edit typed into "Марка" and posted reaches the server; Esc drops the next one.
  Do("key Escape");
  items_->SetRecNo(2);
  ProcessEventsFor(100);
  const String id = items_->FieldByName(u"id")->GetAsString();
  grid_->SetSelectedIndex(Column(u"marka")->GetIndex());
  Do("key F2 ctrl+a");
  Do("type --delay 30 'List 5 mm'");
  Do("key Return");
  EXPECT_EQ(items_->FieldByName(u"marka")->GetAsString(), u"List 5 mm");
  // Leaving the record posts it.
  Do("key Up Down");
  EXPECT_EQ(items_->GetState(), dsBrowse);
  EXPECT_EQ(Scalar(u"SELECT marka FROM cmn_inventory_items.inventory_items WHERE id = " + id), u"List 5 mm");
  Do("key F2 ctrl+a");
  Do("type --delay 30 'Wrong'");
  Do("key Escape");
  Do("key Escape");
  EXPECT_EQ(items_->GetState(), dsBrowse);
  EXPECT_EQ(items_->FieldByName(u"marka")->GetAsString(), u"List 5 mm");
  EXPECT_EQ(Scalar(u"SELECT marka FROM cmn_inventory_items.inventory_items WHERE id = " + id), u"List 5 mm");
}

// The popup menu of a data cell, open, in both visual styles; a person looks at the pictures.
TEST_F(DBGridDesktopTest, PicturesOfThePopupMenuInBothStyles) {
  const char* dir = std::getenv("KIV_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "set KIV_SCREENSHOT_DIR to write the pictures";
  auto restore = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
  for (const Char* style : {u"Windows", u"Onyx Blue"}) {
    ASSERT_TRUE(TStyleManager::TrySetStyle(style, false));
    ProcessEventsFor(200);
    const std::string file = std::string(dir) + "/data-grid-menu-" +
                             (String(style) == u"Windows" ? "windows" : "onyx-blue") + ".png";
    Do("mousemove " + At(Centre(0, RowOf(3))) + " click 1");
    Do("mousemove " + At(Centre(0, RowOf(5))) + " keydown shift click 1 keyup shift");
    // The menu runs its own loop: the picture is taken and the menu closed from outside.
    RunDesktopCommand("sh -c '(sleep 1.5; import -window root " + file +
                      "; xdotool key Escape) >/dev/null 2>&1 &'");
    Do("mousemove " + At(Centre(GridColOf(u"nom"), RowOf(4))) + " click 3");
    ProcessEventsFor(2500);
    EXPECT_EQ(RunDesktopCommand("test -s " + file + " && echo ok"), "ok\n") << file;
  }
}

// A title held in the middle of a move, and the hint of a cell that cuts its text; a person looks at
// the pictures.
TEST_F(DBGridDesktopTest, PicturesOfAMovedTitleAndACutCellsHint) {
  const char* dir = std::getenv("KIV_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "set KIV_SCREENSHOT_DIR to write the pictures";
  const std::string moving = std::string(dir) + "/data-grid-title-moving.png";
  const TPoint nom = Centre(GridColOf(u"nom"), 0);
  Do("mousemove " + At(nom) + " mousedown 1");
  Do("mousemove " + At(TPoint(nom.X - 10, nom.Y)));
  Do("mousemove " + At(TPoint(nom.X - 150, nom.Y + 4)));
  ASSERT_TRUE(TDBGridTitleDragWin::GetTitleDragWin()->GetVisible()) << "the title follows the mouse";
  RunDesktopCommand("import -window root " + moving);
  Do("key Escape");
  Do("mouseup 1");
  EXPECT_FALSE(TDBGridTitleDragWin::GetTitleDragWin()->GetVisible());
  EXPECT_EQ(RunDesktopCommand("test -s " + moving + " && echo ok"), "ok\n") << moving;

  const std::string hint = std::string(dir) + "/data-grid-cell-hint.png";
  grid_->SetShowHint(true);
  Column(u"marka")->SetWidth(70);
  Column(u"marka")->SetToolTips(true);
  ProcessEventsFor(200);
  Do("mousemove " + At(Centre(GridColOf(u"marka"), RowOf(1))));
  Do("mousemove " + At(Centre(GridColOf(u"marka"), RowOf(1) + 1)));
  ProcessEventsFor(600);
  THintWindow* window = Application->GetHintWindow();
  ASSERT_TRUE(window && window->GetVisible()) << "the cut text shows in a hint";
  items_->SetRecNo(2);
  EXPECT_EQ(window->GetCaption(), items_->FieldByName(u"marka")->GetDisplayText());
  RunDesktopCommand("import -window root " + hint);
  EXPECT_EQ(RunDesktopCommand("test -s " + hint + " && echo ok"), "ok\n") << hint;
}

}  // namespace
