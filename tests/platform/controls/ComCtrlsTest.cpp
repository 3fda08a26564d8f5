// The common controls: the page control and tab control with OnChanging refusals, the up-down with
// its associate and OnChangingEx, the date-time picker's change rule, limits and picture language,
// the progress bar's steps, the status bar's panels, the tool bar's layout and check groups, and the
// track bar.
#include <gtest/gtest.h>

#include "platform/classes/StringList.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/testing/TestSupport.h"

namespace {

class ComCtrlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form = new TForm(nullptr, 0);
    form->AfterConstruction();
    form->SetBounds(0, 0, 400, 300);
  }
  void TearDown() override { delete form; }

  template <class T>
  T* Make(TWinControl* parent, TRect bounds) {
    auto* c = new T(form);
    c->SetParent(parent);
    c->SetBoundsRect(bounds);
    return c;
  }
  void ShowForm() {
    form->Show();
    ProcessPendingEvents();
  }

  TForm* form = nullptr;
};

class TChangeLog : public TObject {
 public:
  void Changing(TObject*, bool& allow) {
    log += u"changing;";
    allow = allow_;
  }
  void Change(TObject*) { log += u"change;"; }
  String log;
  bool allow_ = true;
};

class PageControlTest : public ComCtrlsTest {
 protected:
  void SetUp() override {
    ComCtrlsTest::SetUp();
    pages = Make<TPageControl>(form, Bounds(10, 10, 300, 200));
    for (const Char* caption : {u"Первая", u"Вторая", u"Третья"}) {
      auto* sheet = new TTabSheet(form);
      sheet->SetPageControl(pages);
      sheet->SetCaption(caption);
    }
    pages->OnChanging = TTabChangingEvent(&log, &TChangeLog::Changing);
    pages->OnChange = TNotifyEvent(&log, &TChangeLog::Change);
    ShowForm();
  }
  void ClickTab(Integer index) {
    TRect r = pages->TabRect(index);
    SendClick(pages, TPoint(r.Left + 4, r.Top + 4));
  }
  TPageControl* pages = nullptr;
  TChangeLog log;
};

TEST_F(PageControlTest, ActivePageFromCodeRaisesNothingAndShowsOnlyThatSheet) {
  EXPECT_EQ(pages->GetPageCount(), 3);
  EXPECT_EQ(pages->GetActivePageIndex(), 0) << "the first sheet becomes active";
  pages->SetActivePage(pages->Pages(2));
  EXPECT_EQ(pages->GetActivePageIndex(), 2);
  pages->SetActivePageIndex(1);
  EXPECT_EQ(pages->GetActivePage(), pages->Pages(1));
  EXPECT_EQ(log.log, u"");
  for (Integer i = 0; i < 3; ++i) EXPECT_EQ(pages->Pages(i)->GetVisible(), i == 1);
  // The active sheet fills the area below the tabs.
  TRect display = pages->GetDisplayRect();
  EXPECT_EQ(pages->Pages(1)->GetBoundsRect(), display);
  EXPECT_GT(display.Top, 10);
  EXPECT_THROW(pages->Pages(3), EListError);
  TPageControl other(nullptr);
  auto* stranger = new TTabSheet(form);
  EXPECT_THROW(pages->SetActivePage(stranger), EInvalidOperation);
  delete stranger;
}

TEST_F(PageControlTest, UserTabClickAsksOnChangingWhichMayRefuse) {
  ClickTab(2);
  EXPECT_EQ(pages->GetActivePageIndex(), 2);
  EXPECT_EQ(log.log, u"changing;change;");
  log.log.clear();
  log.allow_ = false;
  ClickTab(0);
  EXPECT_EQ(pages->GetActivePageIndex(), 2) << "refused";
  EXPECT_EQ(log.log, u"changing;");
  EXPECT_TRUE(pages->Pages(2)->GetVisible());
  EXPECT_FALSE(pages->Pages(0)->GetVisible());
  log.allow_ = true;
  log.log.clear();
  pages->SelectNextPage(true);
  EXPECT_EQ(pages->GetActivePageIndex(), 0) << "wraps around";
  EXPECT_EQ(log.log, u"changing;change;");
}

TEST_F(PageControlTest, HiddenTabsAndPageOrder) {
  pages->SetActivePageIndex(1);
  pages->Pages(1)->SetTabVisible(false);
  EXPECT_EQ(pages->GetActivePageIndex(), 2) << "a hidden tab gives the activity to the next";
  EXPECT_EQ(pages->Pages(1)->GetTabIndex(), -1);
  EXPECT_EQ(pages->Pages(2)->GetTabIndex(), 1);
  // The second visible tab is now the third sheet.
  ClickTab(0);
  EXPECT_EQ(pages->GetActivePageIndex(), 0);
  TTabSheet* third = pages->Pages(2);
  third->SetPageIndex(0);
  EXPECT_EQ(pages->Pages(0), third);
  EXPECT_EQ(third->GetPageIndex(), 0);
  EXPECT_THROW(third->SetPageIndex(5), EListError);
  delete third;
  EXPECT_EQ(pages->GetPageCount(), 2);
}

TEST_F(ComCtrlsTest, TabControlTabIndexFromCodeIsSilentAndUserClicksMayBeRefused) {
  auto* tabs = Make<TTabControl>(form, Bounds(10, 10, 300, 100));
  tabs->GetTabs()->SetText(u"Январь\nФевраль\nМарт");
  TChangeLog log;
  tabs->OnChanging = TTabChangingEvent(&log, &TChangeLog::Changing);
  tabs->OnChange = TNotifyEvent(&log, &TChangeLog::Change);
  ShowForm();
  EXPECT_EQ(tabs->GetTabIndex(), 0);
  tabs->SetTabIndex(2);
  tabs->SetTabIndex(9);
  EXPECT_EQ(tabs->GetTabIndex(), -1);
  EXPECT_EQ(log.log, u"");
  TRect r = tabs->TabRect(1);
  SendClick(tabs, TPoint(r.Left + 3, r.Top + 3));
  EXPECT_EQ(tabs->GetTabIndex(), 1);
  log.allow_ = false;
  r = tabs->TabRect(2);
  SendClick(tabs, TPoint(r.Left + 3, r.Top + 3));
  EXPECT_EQ(tabs->GetTabIndex(), 1);
  EXPECT_EQ(log.log, u"changing;change;changing;");
  tabs->GetTabs()->Delete(2);
  tabs->GetTabs()->Delete(1);
  EXPECT_EQ(tabs->GetTabIndex(), 0) << "the index stays inside the tabs";
}

class TUpDownLog : public TObject {
 public:
  void Click(TObject*, TUDBtnType button) { clicks.push_back(button); }
  void ChangingEx(TObject*, bool& allow, SmallInt value, TUpDownDirection direction) {
    values.push_back(value);
    directions.push_back(direction);
    allow = value != refuse;
  }
  std::vector<TUDBtnType> clicks;
  std::vector<SmallInt> values;
  std::vector<TUpDownDirection> directions;
  SmallInt refuse = -32768;
};

TEST_F(ComCtrlsTest, UpDownKeepsItsAssociatesTextAndMayBeRefused) {
  auto* edit = Make<TEdit>(form, Bounds(10, 10, 100, 21));
  auto* upDown = Make<TUpDown>(form, Bounds(200, 10, 17, 21));
  upDown->SetMin(0);
  upDown->SetMax(3000);
  upDown->SetIncrement(500);
  upDown->SetAssociate(edit);
  EXPECT_EQ(upDown->GetLeft(), 93) << "the up-down takes the edit's right edge";
  EXPECT_EQ(edit->GetWidth(), 83);
  upDown->SetPosition(1500);
  EXPECT_EQ(edit->GetText(), String(u"1") + FormatSettings.ThousandSeparator + u"500");
  upDown->SetThousands(false);
  EXPECT_EQ(edit->GetText(), u"1500");
  TUpDownLog log;
  upDown->OnClick = TUDClickEvent(&log, &TUpDownLog::Click);
  upDown->OnChangingEx = TUDChangingEventEx(&log, &TUpDownLog::ChangingEx);
  ShowForm();

  SendClick(upDown, TPoint(8, 3));
  EXPECT_EQ(upDown->GetPosition(), 2000);
  EXPECT_EQ(edit->GetText(), u"2000");
  SendClick(upDown, TPoint(8, 18));
  EXPECT_EQ(upDown->GetPosition(), 1500);
  EXPECT_EQ(log.values, (std::vector<SmallInt>{2000, 1500}));
  EXPECT_EQ(log.directions, (std::vector<TUpDownDirection>{updUp, updDown}));
  EXPECT_EQ(log.clicks, (std::vector<TUDBtnType>{btNext, btPrev}));

  log.refuse = 2000;
  SendClick(upDown, TPoint(8, 3));
  EXPECT_EQ(upDown->GetPosition(), 1500) << "refused";
  EXPECT_EQ(edit->GetText(), u"1500");
  EXPECT_EQ(log.clicks.size(), 2u);

  // The user's own number in the edit is where the next step starts; the ends hold or wrap.
  edit->SetText(u"2900");
  log.refuse = -32768;
  upDown->Press(btNext);
  EXPECT_EQ(upDown->GetPosition(), 3000);
  upDown->SetWrap(true);
  upDown->Press(btNext);
  EXPECT_EQ(upDown->GetPosition(), 0);
  upDown->Press(btPrev);
  EXPECT_EQ(upDown->GetPosition(), 3000);
  EXPECT_THROW(upDown->SetAssociate(upDown), EInvalidOperation);
}

TEST_F(ComCtrlsTest, DateTimePickerRaisesOnChangeForTheUserOnly) {
  auto* picker = Make<TDateTimePicker>(form, Bounds(10, 10, 150, 21));
  picker->SetFormat(u"dd.MM.yyyy");
  int changes = 0;
  picker->OnChange = TNotifyEvent([&changes](TObject*) { ++changes; });
  TDateTime day = EncodeDate(2024, 3, 15);
  picker->SetDateTime(TDateTime(static_cast<double>(day) + 0.25));
  picker->SetDate(EncodeDate(2024, 3, 20));
  EXPECT_EQ(static_cast<double>(picker->GetDate()), static_cast<double>(EncodeDate(2024, 3, 20)));
  EXPECT_DOUBLE_EQ(static_cast<double>(picker->GetTime()), 0.25) << "the date keeps the time";
  picker->SetTime(EncodeTime(18, 0, 0, 0));
  EXPECT_EQ(static_cast<double>(picker->GetDate()), static_cast<double>(EncodeDate(2024, 3, 20)));
  EXPECT_EQ(changes, 0);
  ShowForm();
  picker->SetFocus();
  // The Up key steps the day section where the caret stands.
  SendKey(picker, VK_UP);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(static_cast<double>(picker->GetDate()), static_cast<double>(EncodeDate(2024, 3, 21)));
  EXPECT_NEAR(static_cast<double>(picker->GetTime()), 0.75, 1e-6) << "a date edit leaves the time alone";
}

TEST_F(ComCtrlsTest, DateTimePickerLimitsRaiseTheClassLibrarysError) {
  auto* picker = Make<TDateTimePicker>(form, Bounds(10, 10, 150, 21));
  picker->SetDate(EncodeDate(2024, 6, 1));
  picker->SetMinDate(EncodeDate(2024, 1, 1));
  picker->SetMaxDate(EncodeDate(2024, 12, 31));
  try {
    picker->SetDate(EncodeDate(2023, 12, 31));
    FAIL();
  } catch (const EDateTimeError& e) {
    EXPECT_EQ(e.Message(), u"Date exceeds minimum of 01.01.2024");
  }
  EXPECT_THROW(picker->SetDate(EncodeDate(2025, 1, 1)), EDateTimeError);
  EXPECT_EQ(static_cast<double>(picker->GetDate()), static_cast<double>(EncodeDate(2024, 6, 1)));
  picker->SetDate(EncodeDate(2024, 12, 31));
  EXPECT_THROW(picker->SetMinDate(EncodeDate(2025, 2, 1)), EDateTimeError);
}

TEST(PickerFormatTest, TranslatesThePickerLanguageToQt) {
  struct Case {
    const Char* picker;
    const Char* qt;
  } cases[] = {
      {u"dd.MM.yyyy HH:mm", u"dd.MM.yyyy HH:mm"},
      {u"d MMMM yyyy 'г.'", u"d MMMM yyyy 'г.'"},
      {u"dd.MM.yy", u"dd.MM.yy"},
      {u"h:mm tt", u"h:mm AP"},
      {u"hh:mm", u"hh:mm AP"},
      {u"dddd, d", u"dddd, d"},
      {u"H:mm:ss", u"H:mm:ss"},
      {u"'open", u"'open'"},
  };
  for (const Case& c : cases) EXPECT_EQ(PickerFormatToQt(c.picker), c.qt) << String(c.picker).size();
}

TEST_F(ComCtrlsTest, ProgressBarStepsWrapAndStepByClamps) {
  auto* bar = Make<TProgressBar>(form, Bounds(10, 10, 150, 16));
  bar->SetMax(30);
  bar->SetStep(10);
  std::vector<Integer> seen;
  for (int i = 0; i < 5; ++i) {
    bar->StepIt();
    seen.push_back(bar->GetPosition());
  }
  EXPECT_EQ(seen, (std::vector<Integer>{10, 20, 30, 0, 10}));
  bar->StepBy(100);
  EXPECT_EQ(bar->GetPosition(), 30);
  bar->StepBy(-100);
  EXPECT_EQ(bar->GetPosition(), 0);
  bar->SetPosition(45);
  EXPECT_EQ(bar->GetPosition(), 30);
  bar->SetMax(20);
  EXPECT_EQ(bar->GetPosition(), 20);
}

TEST_F(ComCtrlsTest, StatusBarPanelsAndOwnerDraw) {
  auto* status = Make<TStatusBar>(form, Bounds(0, 0, 300, 19));
  TStatusPanel* first = status->GetPanels()->Add();
  first->SetText(u"Готово");
  first->SetWidth(100);
  TStatusPanel* second = status->GetPanels()->Add();
  second->SetStyle(psOwnerDraw);
  std::vector<std::pair<TStatusPanel*, TRect>> drawn;
  status->OnDrawPanel = TDrawPanelEvent([&](TStatusBar* bar, TStatusPanel* panel, const TRect& rect) {
    drawn.emplace_back(panel, rect);
    bar->GetCanvas()->GetBrush()->SetColor(clYellow);
    bar->GetCanvas()->FillRect(rect);
  });
  ShowForm();
  EXPECT_EQ(status->GetAlign(), alBottom);
  EXPECT_EQ(status->GetTop(), form->GetClientHeight() - 19);
  EXPECT_EQ(status->PanelRect(0).Right, 100);
  EXPECT_EQ(status->PanelRect(1).Right, status->GetClientWidth()) << "the last panel reaches the end";
  auto shot = CaptureControl(status);
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back().first, second);
  EXPECT_EQ(PixelAt(shot.get(), 150, 10), ColorToRGB(clYellow));
  EXPECT_THROW(status->PanelRect(2), EListError);

  drawn.clear();
  status->SetSimplePanel(true);
  status->SetSimpleText(u"Загрузка");
  shot = CaptureControl(status);
  EXPECT_TRUE(drawn.empty()) << "a simple panel hides the panels";
  EXPECT_NE(PixelAt(shot.get(), 150, 10), ColorToRGB(clYellow));
}

TEST_F(ComCtrlsTest, ToolBarLaysButtonsOutInOrderWithWrapsAndCheckGroups) {
  auto* bar = Make<TToolBar>(form, Bounds(0, 0, 400, 29));
  bar->SetWrapable(false);
  std::vector<TToolButton*> buttons;
  for (TToolButtonStyle style : {tbsButton, tbsSeparator, tbsCheck, tbsCheck, tbsDropDown}) {
    auto* b = new TToolButton(form);
    b->SetParent(bar);
    b->SetStyle(style);
    buttons.push_back(b);
  }
  ShowForm();
  std::vector<Integer> lefts;
  for (auto* b : buttons) lefts.push_back(b->GetLeft());
  EXPECT_EQ(lefts, (std::vector<Integer>{0, 23, 31, 54, 77}));
  EXPECT_EQ(buttons[4]->GetWidth(), 36) << "a drop-down button has room for its arrow";
  buttons[2]->SetWrap(true);
  EXPECT_EQ(buttons[3]->GetLeft(), 0);
  EXPECT_EQ(buttons[3]->GetTop(), buttons[2]->GetTop() + buttons[2]->GetHeight());
  buttons[2]->SetWrap(false);

  int clicks = 0;
  buttons[0]->OnClick = TNotifyEvent([&clicks](TObject*) { ++clicks; });
  SendClick(buttons[0], TPoint(5, 5));
  EXPECT_EQ(clicks, 1);
  SendClick(buttons[1], TPoint(2, 5));
  // Grouped check buttons side by side are exclusive; a lone check button toggles.
  buttons[2]->SetGrouped(true);
  buttons[3]->SetGrouped(true);
  SendClick(buttons[2], TPoint(5, 5));
  EXPECT_TRUE(buttons[2]->GetDown());
  SendClick(buttons[3], TPoint(5, 5));
  EXPECT_TRUE(buttons[3]->GetDown());
  EXPECT_FALSE(buttons[2]->GetDown());
  SendClick(buttons[3], TPoint(5, 5));
  EXPECT_TRUE(buttons[3]->GetDown()) << "the group keeps one down";
  buttons[3]->SetGrouped(false);
  SendClick(buttons[3], TPoint(5, 5));
  EXPECT_FALSE(buttons[3]->GetDown());

  bar->SetShowCaptions(true);
  buttons[0]->SetCaption(u"Сохранить документ");
  EXPECT_GT(buttons[0]->GetWidth(), 60) << "captions widen their buttons";
  EXPECT_EQ(buttons[1]->GetLeft(), buttons[0]->GetWidth());
  delete buttons[1];
  EXPECT_EQ(bar->GetButtonCount(), 4);
  EXPECT_EQ(buttons[2]->GetLeft(), buttons[0]->GetWidth());
}

TEST_F(ComCtrlsTest, TrackBarPositionIsClampedAndReported) {
  auto* track = Make<TTrackBar>(form, Bounds(10, 10, 150, 30));
  int changes = 0;
  track->OnChange = TNotifyEvent([&changes](TObject*) { ++changes; });
  track->SetPosition(5);
  track->SetPosition(5);
  track->SetPosition(50);
  EXPECT_EQ(track->GetPosition(), 10);
  EXPECT_EQ(changes, 2);
  ShowForm();
  track->SetFocus();
  SendKey(track, VK_LEFT);
  EXPECT_EQ(track->GetPosition(), 9);
  EXPECT_EQ(changes, 3);
}

}  // namespace
