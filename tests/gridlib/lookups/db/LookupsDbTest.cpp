// A lookup combo box choosing a department for a card of the demo database, among some hundreds of
// departments: typing a part of a name narrows the dropped-down list and picks the row, the key field
// gets the id, typed %, _ and ' are searched as characters, and a department renamed through another
// connection shows its new name once the list is read again. Once through sent keys, once through
// xdotool on a real X server (with pictures of the open list in both visual styles when
// KIV_SCREENSHOT_DIR is set).
#include <gtest/gtest.h>

#include <cstdlib>

#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/editors/DBLookupComboEh.h"
#include "platform/ado/ADODB.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StyleManager.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/ado/AdoFixture.h"

namespace {

std::string DbU8(const String& s) { return StringToUtf8(s); }

class LookupsDbTest : public AdoTest {
 protected:
  void SetUp() override {
    InitTestApplication();
    InitializeToolCtrlsEh();
    InitializeLookupGridsEh();
    AdoTest::SetUp();
    // Hundreds of departments, a few of them with the characters a LIKE pattern would take as its own.
    SuperuserSql(database_,
                 "INSERT INTO cmn_department.department (id, s_caption) "
                 "SELECT 1000 + n, n || '-й участок' FROM generate_series(1, 400) n;"
                 "INSERT INTO cmn_department.department (id, s_caption) VALUES "
                 "(2001, 'Склад 50%'), (2002, 'Склад 500'), (2003, 'Цех_1'), (2004, 'Цех-1'), "
                 "(2005, 'Отдел О''Нила'), (2006, 'Отдел ОНила');");
    Exec(u"CREATE TABLE t.card (id int PRIMARY KEY, dept int NOT NULL)");
    Exec(u"INSERT INTO t.card VALUES (1, 9)");
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetCaption(u"KIV lookup card");
    form_->SetBounds(60, 60, 460, 360);
    card_ = Query(u"SELECT id, dept FROM t.card WHERE id = 1");
    card_->Open();
    depts_ = Query(u"SELECT id, s_caption FROM cmn_department.department ORDER BY s_caption, id");
    depts_->Open();
    cardSource_ = new TDataSource(form_.get());
    cardSource_->SetDataSet(card_);
    listSource_ = new TDataSource(form_.get());
    listSource_->SetDataSet(depts_);
    box_ = new TDBLookupComboboxEh(form_.get());
    box_->SetParent(form_.get());
    box_->SetBounds(150, 30, 260, 24);
    box_->SetKeyField(u"id");
    box_->SetListField(u"s_caption");
    box_->SetListSource(listSource_);
    box_->GetDropDownBox()->SetListSource(listSource_);
    box_->GetDropDownBox()->SetListSourceAutoFilter(true);
    box_->GetDropDownBox()->SetListSourceAutoFilterType(lsftContainsEh);
    box_->GetDropDownBox()->SetRows(12);
    box_->SetDataSource(cardSource_);
    box_->SetDataField(u"dept");
    box_->GetControlLabel()->SetCaption(u"Подразделение");
    box_->GetControlLabelLocation()->SetPosition(lpLeftCenterEh);
    box_->GetControlLabel()->SetVisible(true);
    other_ = new TEdit(form_.get());
    other_->SetParent(form_.get());
    other_->SetBounds(150, 300, 120, 24);
    form_->Show();
    ProcessPendingEvents();
  }
  void TearDown() override {
    form_.reset();
    AdoTest::TearDown();
  }
  String StoredDept() { return Scalar(u"SELECT dept FROM t.card WHERE id = 1"); }
  // The names the dropped-down list shows now.
  std::vector<std::string> ListedNames() {
    std::vector<std::string> names;
    depts_->DisableControls();
    auto enable = MakeScopeExit([this] { depts_->EnableControls(); });
    const TBookmark at = depts_->GetBookmark();
    for (depts_->First(); !depts_->GetEof(); depts_->Next())
      names.push_back(DbU8(depts_->FieldByName(u"s_caption")->GetAsString()));
    depts_->GotoBookmark(at);
    return names;
  }
  void Choose(const String& typed) {
    box_->SetFocus();
    ProcessPendingEvents();
    box_->SelectAll();
    box_->DropDown(nullptr);
    TypeText(box_, typed);
  }

  std::unique_ptr<TForm> form_;
  TADOQuery* card_ = nullptr;
  TADOQuery* depts_ = nullptr;
  TDataSource* cardSource_ = nullptr;
  TDataSource* listSource_ = nullptr;
  TDBLookupComboboxEh* box_ = nullptr;
  TEdit* other_ = nullptr;
};

TEST_F(LookupsDbTest, TypedPartNarrowsTheListAndPicksTheRow) {
  ASSERT_GT(depts_->RecordCount(), 400);
  EXPECT_EQ(DbU8(box_->GetText()), "Бухгалтерия");
  struct Case {
    const Char* typed;
    std::vector<std::string> listed;
    const Char* id;
  } cases[] = {
      {u"Склад 50%", {"Склад 50%"}, u"2001"},
      {u"Цех_", {"Цех_1"}, u"2003"},
      {u"Отдел О'", {"Отдел О'Нила"}, u"2005"},
      {u"39-", {"139-й участок", "239-й участок", "339-й участок", "39-й участок"}, u"1039"},
  };
  for (const Case& c : cases) {
    Choose(c.typed);
    ASSERT_TRUE(box_->GetListVisible());
    EXPECT_EQ(ListedNames(), c.listed) << DbU8(c.typed);
    EXPECT_EQ(VarToStr(box_->GetKeyValue()), c.id) << DbU8(c.typed);
    SendKey(box_, VK_RETURN);
    EXPECT_FALSE(box_->GetListVisible());
    EXPECT_GT(depts_->RecordCount(), 400) << "closing the list takes its filter away";
    other_->SetFocus();
    ProcessPendingEvents();
    card_->Post();
    EXPECT_EQ(StoredDept(), c.id) << DbU8(c.typed);
  }
}

TEST_F(LookupsDbTest, ListReadAgainShowsANameChangedElsewhere) {
  SuperuserSql(database_,
               "UPDATE cmn_department.department SET s_caption = 'Бухгалтерия и финансы' WHERE id = 9");
  EXPECT_EQ(DbU8(box_->GetText()), "Бухгалтерия") << "nothing read yet";
  depts_->Requery();
  EXPECT_EQ(DbU8(box_->GetText()), "Бухгалтерия и финансы");
  SuperuserSql(database_, "UPDATE cmn_department.department SET s_caption = 'Финансы' WHERE id = 9");
  depts_->Refresh();
  EXPECT_EQ(DbU8(box_->GetText()), "Финансы");
  EXPECT_EQ(card_->GetState(), dsBrowse) << "a new name is no change of the card";
}

// The same card on a real X server: xdotool clicks and types.
class LookupsDesktopTest : public LookupsDbTest {
 protected:
  void SetUp() override {
    if (!DesktopTestsEnabled()) GTEST_SKIP() << "needs an X desktop: KIV_DESKTOP_TESTS=1 tools/desktop ...";
    LookupsDbTest::SetUp();
    // The special row stands above the list for "no department".
    TSpecRowEh* spec = box_->GetDropDownBox()->GetSpecRow();
    spec->SetCellsText(u"(нет подразделения)");
    spec->SetValue(Variant(0));
    spec->SetVisible(true);
    // With titles it stands under them; the list can be resized by its grip.
    box_->GetDropDownBox()->SetShowTitles(true);
    box_->GetDropDownBox()->SetSizable(true);
    ActivateWindowByName("KIV lookup card");
    ProcessEventsFor(300);
  }
  void Do(const std::string& args) {
    RunDesktopCommand("xdotool " + args);
    ProcessEventsFor(300);
  }
  void ClickInto(TControl* control, Integer x) {
    const TPoint p = control->ClientToScreen(TPoint(x, control->GetHeight() / 2));
    Do("mousemove " + std::to_string(p.X) + " " + std::to_string(p.Y) + " click 1");
  }
  void Picture(const std::string& name) {
    const char* dir = std::getenv("KIV_SCREENSHOT_DIR");
    if (!dir) return;
    ProcessEventsFor(500);
    RunDesktopCommand("import -window root " + std::string(dir) + "/" + name + ".png");
  }
  // Opens the list with its button, types a part of a name, and picks the row under the one found.
  void TypeIntoOpenList(const std::string& picture) {
    ClickInto(box_, box_->GetWidth() - 8);
    ASSERT_TRUE(box_->GetListVisible());
    // The virtual desktop's keyboard types Latin letters and digits only.
    Do("type --delay 60 12");
    EXPECT_EQ(DbU8(box_->GetText()), "12-й участок");
    EXPECT_EQ(ListedNames().size(), 14u) << "every name holding 12";
    Picture(picture);
    Do("key Down Return");
    EXPECT_FALSE(box_->GetListVisible());
  }
};

TEST_F(LookupsDesktopTest, ListOpenedTypedIntoAndChosenFrom) {
  TypeIntoOpenList("lookup-list-windows");
  EXPECT_EQ(DbU8(box_->GetText()), "120-й участок");
  ClickInto(other_, 10);
  card_->Post();
  EXPECT_EQ(StoredDept(), u"1120");

  if (std::getenv("KIV_SCREENSHOT_DIR")) {
    auto restore = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
    ASSERT_TRUE(TStyleManager::TrySetStyle(u"Onyx Blue", false));
    ProcessEventsFor(300);
    TypeIntoOpenList("lookup-list-onyx-blue");
  }
}

}  // namespace
