// A card of one editor of each kind bound to a query of the demo database: what is typed is what the
// server holds after the post, Esc gives the field's text back, a refused value keeps its text and says
// why. Once through sent keys, once through xdotool on a real X server with a window manager (with the
// calendar and calculator dropped down and, when KIV_SCREENSHOT_DIR is set, pictures in both styles).
#include <gtest/gtest.h>

#include <cstdlib>

#include "gridlib/base/CalculatorEh.h"
#include "gridlib/base/DateTimeCalendarPickersEh.h"
#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/ado/ADODB.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StyleManager.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/ado/AdoFixture.h"

namespace {

std::string U8(const String& s) { return StringToUtf8(s); }

class EditorsCardTest : public AdoTest {
 protected:
  void SetUp() override {
    InitTestApplication();
    InitializeToolCtrlsEh();
    InitializeDateTimeCalendarPickersEh();
    InitializeCalculatorEh();
    FormatSettings = TFormatSettings::Russian();
    AdoTest::SetUp();
    Exec(
        u"CREATE TABLE t.card (id int PRIMARY KEY, name varchar(40), made date, qty numeric(12,2), dept int, "
        u"active boolean)");
    firstDept_ = Scalar(u"SELECT min(id) FROM cmn_department.department");
    secondDept_ = Scalar(u"SELECT min(id) FROM cmn_department.department WHERE id > " + firstDept_);
    Exec(u"INSERT INTO t.card VALUES (1, 'Болт', '2024-04-15', 10.5, " + firstDept_ + u", false)");
    BuildCard();
  }
  void TearDown() override {
    form_.reset();
    AdoTest::TearDown();
  }

  void BuildCard() {
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetCaption(u"KIV editors card");
    form_->SetBounds(60, 60, 460, 330);
    card_ = Query(u"SELECT id, name, made, qty, dept, active FROM t.card WHERE id = 1");
    card_->Open();
    source_ = new TDataSource(form_.get());
    source_->SetDataSet(card_);
    Integer top = 30;
    auto place = [&](TCustomDBEditEh* e, const Char* field, const Char* caption) {
      e->SetParent(form_.get());
      e->SetBounds(150, top, 200, 24);
      e->SetDataSource(source_);
      e->SetDataField(field);
      e->GetControlLabel()->SetCaption(caption);
      e->GetControlLabelLocation()->SetPosition(lpLeftCenterEh);
      e->GetControlLabel()->SetVisible(true);
      top += 44;
    };
    name_ = new TDBEditEh(form_.get());
    place(name_, u"name", u"Наименование");
    name_->GetMRUList()->SetActive(true);
    made_ = new TDBDateTimeEditEh(form_.get());
    place(made_, u"made", u"Дата выпуска");
    qty_ = new TDBNumberEditEh(form_.get());
    place(qty_, u"qty", u"Количество");
    qty_->SetMinValue(0);
    qty_->SetMaxValue(100000);
    qty_->GetEditButton()->SetVisible(true);
    dept_ = new TDBComboBoxEh(form_.get());
    place(dept_, u"dept", u"Подразделение");
    dept_->GetItems()->SetText(u"Первое подразделение\nВторое подразделение");
    dept_->GetKeyItems()->SetText(firstDept_ + u"\n" + secondDept_);
    active_ = new TDBCheckBoxEh(form_.get());
    active_->SetParent(form_.get());
    active_->SetBounds(150, top, 200, 20);
    active_->SetCaption(u"Действует");
    active_->SetValueChecked(u"1;t;true");
    active_->SetValueUnchecked(u"0;f;false");
    active_->SetDataSource(source_);
    active_->SetDataField(u"active");
    form_->Show();
    ProcessPendingEvents();
  }

  // The row as the server holds it.
  std::string Stored() {
    return U8(
        Scalar(u"SELECT concat_ws('|', name, to_char(made, 'DD.MM.YYYY'), qty, dept, active) FROM t.card "
               u"WHERE id = 1"));
  }

  std::unique_ptr<TForm> form_;
  TADOQuery* card_ = nullptr;
  TDataSource* source_ = nullptr;
  TDBEditEh* name_ = nullptr;
  TDBDateTimeEditEh* made_ = nullptr;
  TDBNumberEditEh* qty_ = nullptr;
  TDBComboBoxEh* dept_ = nullptr;
  TDBCheckBoxEh* active_ = nullptr;
  String firstDept_, secondDept_;
};

TEST_F(EditorsCardTest, TypedValuesReachTheServer) {
  ASSERT_EQ(Stored(), "Болт|15.04.2024|10.50|" + U8(firstDept_) + "|f");
  EXPECT_EQ(U8(made_->GetText()), "15.04.2024");
  EXPECT_EQ(U8(dept_->GetText()), "Первое подразделение");
  EXPECT_EQ(active_->GetState(), cbUnchecked);

  name_->SetFocus();
  name_->SelectAll();
  TypeText(name_, u"Шайба М8");
  made_->SetFocus();
  made_->SetSelStart(0);
  made_->SetSelLength(0);
  TypeText(made_, u"29022024");
  qty_->SetFocus();
  qty_->SelectAll();
  TypeText(qty_, u"1234.5");
  dept_->SetFocus();
  SendKey(dept_, VK_DOWN);
  active_->SetFocus();
  SendKey(active_, VK_SPACE);
  ProcessPendingEvents();
  name_->SetFocus();
  card_->Post();
  EXPECT_EQ(Stored(), "Шайба М8|29.02.2024|1234.50|" + U8(secondDept_) + "|t");
}

TEST_F(EditorsCardTest, EscapeRestoresAndARefusedValueKeepsItsText) {
  name_->SetFocus();
  name_->SelectAll();
  TypeText(name_, u"Гайка");
  SendKey(name_, VK_ESCAPE);
  EXPECT_EQ(U8(name_->GetText()), "Болт");

  qty_->SetFocus();
  qty_->SelectAll();
  TypeText(qty_, u"250000");
  try {
    card_->Post();
    FAIL() << "a quantity above the bound was posted";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(u"100000"), String::npos) << U8(e.Message());
  }
  EXPECT_EQ(U8(qty_->GetText()), U8(u"250000"));
  card_->Cancel();
  EXPECT_EQ(Stored(), "Болт|15.04.2024|10.50|" + U8(firstDept_) + "|f");
}

// The same card on a real X server: xdotool types, the calendar and the calculator drop down.
class EditorsDesktopTest : public EditorsCardTest {
 protected:
  void SetUp() override {
    if (!DesktopTestsEnabled()) GTEST_SKIP() << "needs an X desktop: KIV_DESKTOP_TESTS=1 tools/desktop ...";
    EditorsCardTest::SetUp();
    ActivateWindowByName("KIV editors card");
    ProcessEventsFor(300);
  }
  void Do(const std::string& args) {
    RunDesktopCommand("xdotool " + args);
    ProcessEventsFor(300);
  }
  void ClickInto(TControl* control, Integer x = 20) {
    const TPoint p = control->ClientToScreen(TPoint(x, control->GetHeight() / 2));
    Do("mousemove " + std::to_string(p.X) + " " + std::to_string(p.Y) + " click 1");
  }
  void Picture(const std::string& name) {
    const char* dir = std::getenv("KIV_SCREENSHOT_DIR");
    if (!dir) return;
    // A popup just shown is mapped by the window manager and painted a moment later; the first one of
    // a run takes longest.
    ProcessEventsFor(1500);
    RunDesktopCommand("import -window root " + std::string(dir) + "/" + name + ".png");
  }
};

TEST_F(EditorsDesktopTest, TypedThroughTheDesktopWithDropDowns) {
  ClickInto(name_);
  Do("key ctrl+a");
  Do("type --delay 30 'Shajba M8'");
  EXPECT_EQ(U8(name_->GetText()), "Shajba M8");
  Do("key Escape");
  EXPECT_EQ(U8(name_->GetText()), "Болт") << "Esc gives the field's text back";
  Do("type --delay 30 'Shajba M8'");
  Do("key Tab");
  ASSERT_TRUE(made_->Focused());
  Do("key Home");
  Do("type --delay 30 29022024");
  // The calendar drops down on Alt+Down; Esc closes it without taking its date.
  Do("key alt+Down");
  EXPECT_TRUE(made_->GetCalendarVisible());
  Picture("editors-calendar-windows");
  Do("key Escape");
  EXPECT_FALSE(made_->GetCalendarVisible());
  EXPECT_EQ(U8(made_->GetText()), "29.02.2024");
  // Through the calendar: the next day with the arrow key, taken with Enter.
  Do("key alt+Down");
  ASSERT_TRUE(made_->GetCalendarVisible());
  Do("key Right Return");
  EXPECT_FALSE(made_->GetCalendarVisible());
  EXPECT_EQ(U8(made_->GetText()), "01.03.2024");
  Do("key Tab");
  ASSERT_TRUE(qty_->Focused());
  Do("key ctrl+a");
  Do("type --delay 30 1234,5");
  EXPECT_EQ(U8(qty_->GetText()), "1234,5");
  // The calculator through the drop-down button.
  ClickInto(qty_, qty_->GetWidth() - 8);
  EXPECT_TRUE(qty_->GetCalculatorVisible());
  Picture("editors-calculator-windows");
  Do("key Escape");
  EXPECT_FALSE(qty_->GetCalculatorVisible());
  EXPECT_EQ(U8(qty_->GetText()), "1234,5") << "Esc takes nothing from the calculator";
  // Reckoned in the calculator and taken with Enter.
  ClickInto(qty_, qty_->GetWidth() - 8);
  ASSERT_TRUE(qty_->GetCalculatorVisible());
  Do("type --delay 30 '*2'");
  // The first Enter reckons, the second takes the result.
  Do("key Return Return");
  EXPECT_FALSE(qty_->GetCalculatorVisible());
  EXPECT_EQ(U8(qty_->GetText()), "2469");
  Do("key Tab");
  ASSERT_TRUE(dept_->Focused());
  // The list through its button, the second line clicked.
  ClickInto(dept_, dept_->GetWidth() - 8);
  ASSERT_TRUE(dept_->GetListVisible());
  Picture("editors-combo-list-windows");
  Do("key Down Return");
  EXPECT_EQ(U8(dept_->GetText()), "Второе подразделение");
  ClickInto(active_, 8);
  EXPECT_EQ(active_->GetState(), cbChecked);
  ClickInto(name_);
  card_->Post();
  EXPECT_EQ(Stored(), "Shajba M8|01.03.2024|2469.00|" + U8(secondDept_) + "|t");

  // The MRU list offers what was entered before: a typed beginning drops it down, Down and Enter take
  // the line, and the post stores it.
  name_->GetMRUList()->Add(u"Shurup 4x40");
  ClickInto(name_);
  Do("key ctrl+a");
  Do("type --delay 30 Shu");
  ASSERT_TRUE(name_->GetMRUList()->GetDroppedDown());
  Picture("editors-mru-list-windows");
  Do("key Down Return");
  EXPECT_EQ(U8(name_->GetText()), "Shurup 4x40");
  Do("key Tab");
  card_->Post();
  EXPECT_EQ(Stored(), "Shurup 4x40|01.03.2024|2469.00|" + U8(secondDept_) + "|t");

  // The same card in the other visual style, with the calendar open, for a person to look at.
  if (std::getenv("KIV_SCREENSHOT_DIR")) {
    auto restore = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
    ASSERT_TRUE(TStyleManager::TrySetStyle(u"Onyx Blue", false));
    ProcessEventsFor(300);
    ClickInto(made_);
    Do("key alt+Down");
    Picture("editors-calendar-onyx-blue");
    Do("key Escape");
    ClickInto(dept_, dept_->GetWidth() - 8);
    Picture("editors-combo-list-onyx-blue");
    Do("key Escape");
    ClickInto(qty_, qty_->GetWidth() - 8);
    Picture("editors-calculator-onyx-blue");
    Do("key Escape");
    ClickInto(name_);
    Do("key ctrl+a");
    Do("type --delay 30 Shu");
    Picture("editors-mru-list-onyx-blue");
    Do("key Escape");
    Do("key Escape");
    Picture("editors-card-onyx-blue");
  }
}

}  // namespace
