// The text search over a query of the demo departments, and the find dialog driven by a user on a real
// X desktop: typed text, Enter, Ctrl+Enter, "not found", Esc.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gridlib/base/DBGridEhFindDlgs.h"
#include "platform/controls/Dialogs.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/gridlib/finddlg/FindGridOnForm.h"
#include "tests/platform/ado/AdoFixture.h"

namespace {

class FindDlgDbTest : public AdoTest {
 protected:
  void SetUp() override {
    AdoTest::SetUp();
    InitTestApplication();
    InitializeToolCtrlsEh();
    InitializeDBGridEhFindDlgs();
    query_ = Query(u"select id, s_caption, s_description from cmn_department.department order by id");
    query_->Open();
    on_.Attach(query_);
    grid_ = on_.grid;
  }
  void TearDown() override {
    on_.Close();
    AdoTest::TearDown();
  }
  void StandOn(Integer id, const String& field) { on_.StandOn(id, field); }
  Integer CurrentId() const { return on_.CurrentId(); }
  String CurrentField() const { return on_.CurrentField(); }

  TFindGridOnForm on_{u"KIV departments", u"id"};
  TADOQuery* query_ = nullptr;
  TDBGridEh* grid_ = nullptr;
};

TEST_F(FindDlgDbTest, SearchesTheDepartmentsOfTheDemoDatabase) {
  struct Case {
    const char* what;
    const Char* text;
    TLocateTextOptionsEh options;
    TLocateTextDirectionEh direction;
    TLocateTextMatchingEh matching;
    Integer startId;
    Integer foundId;  // 0: not found, the query stays on startId
    const Char* foundField;
  };
  const TLocateTextOptionsEh ci{ltoCaseInsensitiveEh};
  const Case cases[] = {
      {"the first store of all", u"Склад", ci, ltdAllEh, ltmAnyPartEh, 9, 4, u"s_caption"},
      {"the next store down", u"Склад", ci, ltdDownEh, ltmAnyPartEh, 4, 5, u"s_caption"},
      {"up past the first record to the last store", u"Склад", ci, ltdUpEh, ltmAnyPartEh, 4, 6, u"s_caption"},
      {"letter case", u"склад", TLocateTextOptionsEh(), ltdAllEh, ltmAnyPartEh, 1, 0, u"s_caption"},
      {"whole field", u"Склад сырья", ci, ltdAllEh, ltmWholeEh, 1, 4, u"s_caption"},
      {"from the beginning, down past the last record", u"Отдел", ci, ltdDownEh, ltmFromBegingEh, 8, 7,
       u"s_caption"},
      {"every column", u"метизы", TLocateTextOptionsEh{ltoCaseInsensitiveEh, ltoAllFieldsEh}, ltdAllEh,
       ltmAnyPartEh, 1, 4, u"s_description"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StandOn(c.startId, u"s_caption");
    EXPECT_EQ(grid_->LocateText(grid_, u"", c.text, c.options, c.direction, c.matching, lttInAllNodesEh),
              c.foundId != 0);
    EXPECT_EQ(CurrentId(), c.foundId != 0 ? c.foundId : c.startId);
    EXPECT_EQ(CurrentField(), String(c.foundField));
  }
}

// The same grid on a real X server: the user types into the dialog and presses keys.
class FindDialogDesktopTest : public FindDlgDbTest {
 protected:
  void SetUp() override {
    if (!DesktopTestsEnabled()) GTEST_SKIP() << "needs an X desktop: KIV_DESKTOP_TESTS=1 tools/desktop ...";
    FindDlgDbTest::SetUp();
    // Text columns of the server are wide; narrowed, all three fit for the screenshots.
    const Integer widths[] = {40, 220, 330};
    for (Integer i = 0; i < 3; ++i) grid_->GetColumns()->GetColumn(i)->SetWidth(widths[i]);
    ActivateWindowByName("KIV departments");
    ProcessEventsFor(300);
  }
  void Do(const std::string& args) {
    RunDesktopCommand("xdotool " + args);
    ProcessEventsFor(300);
  }
  // Cyrillic letters reach the desktop through a keyboard map that xdotool changes for each one and
  // puts back; the program must read each key while its map still stands, so xdotool runs beside the
  // event loop. A letter lost on the way: the field is cleared and typed again.
  void TypeInto(TCustomEdit* edit, const String& text) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      RunDesktopCommand("xdotool type --delay 150 '" + StringToUtf8(text) + "' >/dev/null 2>&1 &");
      for (int i = 0; i < 60 && edit->GetText() != text; ++i) ProcessEventsFor(50);
      ProcessEventsFor(300);
      if (edit->GetText() == text) return;
      Do("key ctrl+a BackSpace");
    }
  }
  void Picture(const std::string& name) {
    const char* dir = std::getenv("KIV_SCREENSHOT_DIR");
    if (!dir) return;
    ProcessEventsFor(500);
    RunDesktopCommand("import -window root " + std::string(dir) + "/" + name + ".png");
  }
};

TEST_F(FindDialogDesktopTest, TypedTextAndEnterMoveTheGrid) {
  StandOn(1, u"s_caption");
  grid_->ShowFindDialog(u"", false);
  TDBGridEhFindDlg* dlg = DBGridEhFindDlg;
  ASSERT_NE(dlg, nullptr);
  ActivateWindowByName("Поиск");
  ProcessEventsFor(300);
  ASSERT_TRUE(dlg->cbText->Focused());
  TypeInto(dlg->cbText, u"Склад");
  Picture("finddlg-typed");
  ASSERT_EQ(dlg->cbText->GetText(), u"Склад");
  Do("key Return");
  EXPECT_EQ(CurrentId(), 4) << "the first press searches from the top";
  Picture("finddlg-found-first");
  Do("key Return");
  EXPECT_EQ(CurrentId(), 5) << "the next press goes on downwards";
  Do("key Return");
  EXPECT_EQ(CurrentId(), 6);
  Do("key ctrl+Return");
  EXPECT_EQ(CurrentId(), 5) << "Ctrl searches upwards";
  Picture("finddlg-found-up");

  // A text that no department has: the user is told, the grid stays.
  {
    TDialogRecorder boxes(TDialogAnswer::Button(mrOk));
    Do("key ctrl+a BackSpace");
    TypeInto(dlg->cbText, u"Гараж");
    Do("key Return");
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, u"Строка 'Гараж' не найдена.");
  }
  EXPECT_EQ(CurrentId(), 5);
  EXPECT_EQ(dlg->cbText->GetItems()->IndexOf(u"Склад"), 0) << "the history keeps the texts";
  EXPECT_EQ(dlg->cbText->GetItems()->IndexOf(u"Гараж"), 1);
  Do("key Escape");
  EXPECT_FALSE(dlg->GetVisible()) << "Esc closes the tool window";
}

TEST_F(FindDialogDesktopTest, TheModalDialogFindsOnEnterAndClosesOnEsc) {
  StandOn(1, u"s_caption");
  // The keys come while the dialog's own loop runs.
  RunDesktopCommand("(sleep 1.5; xdotool key --delay 300 Return Escape) >/dev/null 2>&1 &");
  grid_->ShowFindDialog(u"Бух", true);
  TDBGridEhFindDlg* dlg = DBGridEhFindDlg;
  ASSERT_NE(dlg, nullptr);
  EXPECT_FALSE(dlg->GetVisible());
  EXPECT_EQ(dlg->GetModalResult(), mrCancel);
  EXPECT_EQ(CurrentId(), 9);
}

}  // namespace
