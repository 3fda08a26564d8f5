// The standard controls' event rules: check box states and clicks, radio buttons in a parent, the
// group box disabling its children, the combo box and list box with live item lists and the user's
// picks, the scroll bar's OnScroll and the 64-bit range mapping.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "platform/classes/StringList.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Graphics.h"
#include "platform/testing/TestSupport.h"

namespace {

class StdCtrlsTest : public ::testing::Test {
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
  TNotifyEvent Counter(int& n) {
    return TNotifyEvent([&n](TObject*) { ++n; });
  }

  TForm* form = nullptr;
};

TEST_F(StdCtrlsTest, WrappedButtonsTakeMouseClicksOnce) {
  auto* button = Make<TButton>(form, Bounds(10, 10, 80, 25));
  int clicks = 0, downs = 0;
  button->OnClick = Counter(clicks);
  button->OnMouseDown =
      TMouseEvent([&downs](TObject*, TMouseButton, TShiftState, Integer, Integer) { ++downs; });
  ShowForm();
  SendClick(button, TPoint(40, 12));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(downs, 1) << "the control's own mouse events run as well";
  SendClick(button, TPoint(200, 200));
  EXPECT_EQ(clicks, 1) << "a release outside is no click";
}

TEST_F(StdCtrlsTest, CheckBoxFromCodeClicksOnlyWhenTheValueChanges) {
  auto* box = Make<TCheckBox>(form, Bounds(10, 10, 120, 20));
  int clicks = 0;
  box->OnClick = Counter(clicks);
  struct Step {
    TCheckBoxState state;
    int clicksAfter;
  } steps[] = {{cbUnchecked, 0}, {cbChecked, 1},   {cbChecked, 1},
               {cbGrayed, 2},    {cbUnchecked, 3}, {cbUnchecked, 3}};
  for (const Step& s : steps) {
    box->SetState(s.state);
    EXPECT_EQ(box->GetState(), s.state);
    EXPECT_EQ(clicks, s.clicksAfter) << "state " << s.state;
  }
  box->SetChecked(true);
  EXPECT_EQ(clicks, 4);
  box->SetChecked(true);
  EXPECT_EQ(clicks, 4);
  EXPECT_TRUE(box->GetChecked());
  box->SetState(cbGrayed);
  EXPECT_FALSE(box->GetChecked());
}

TEST_F(StdCtrlsTest, CheckBoxUserClickCyclesThroughGrayedOnlyWithAllowGrayed) {
  auto* box = Make<TCheckBox>(form, Bounds(10, 10, 120, 20));
  box->SetCaption(u"Флаг");
  ShowForm();
  int clicks = 0;
  box->OnClick = Counter(clicks);
  std::vector<TCheckBoxState> seen;
  for (int i = 0; i < 3; ++i) {
    SendClick(box, TPoint(8, 10));
    seen.push_back(box->GetState());
  }
  EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked, cbChecked}));
  EXPECT_EQ(clicks, 3);

  box->SetState(cbUnchecked);
  box->SetAllowGrayed(true);
  seen.clear();
  for (int i = 0; i < 3; ++i) {
    SendClick(box, TPoint(8, 10));
    seen.push_back(box->GetState());
  }
  EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked}));
  // The space key toggles the focused box as a click does.
  box->SetFocus();
  SendKey(box, VK_SPACE);
  EXPECT_EQ(box->GetState(), cbGrayed);
}

TEST_F(StdCtrlsTest, RadioButtonUnchecksItsSiblingsOnlyAndClicksWhenChecked) {
  auto* a = Make<TRadioButton>(form, Bounds(10, 10, 100, 20));
  auto* b = Make<TRadioButton>(form, Bounds(10, 30, 100, 20));
  auto* group = Make<TGroupBox>(form, Bounds(150, 10, 200, 100));
  auto* other = Make<TRadioButton>(group, Bounds(10, 20, 100, 20));
  int clicksA = 0, clicksB = 0;
  a->OnClick = Counter(clicksA);
  b->OnClick = Counter(clicksB);
  other->SetChecked(true);
  a->SetChecked(true);
  EXPECT_EQ(clicksA, 1);
  b->SetChecked(true);
  EXPECT_FALSE(a->GetChecked());
  EXPECT_TRUE(b->GetChecked());
  EXPECT_TRUE(other->GetChecked()) << "another parent is another group";
  EXPECT_EQ(clicksA, 1) << "unchecking is silent";
  EXPECT_EQ(clicksB, 1);
  b->SetChecked(true);
  EXPECT_EQ(clicksB, 1);

  ShowForm();
  SendClick(a, TPoint(8, 10));
  EXPECT_TRUE(a->GetChecked());
  EXPECT_FALSE(b->GetChecked());
  EXPECT_EQ(clicksA, 2);
  SendClick(a, TPoint(8, 10));
  EXPECT_TRUE(a->GetChecked()) << "a click on a checked radio button keeps it checked";
}

TEST_F(StdCtrlsTest, DisabledGroupBoxDisablesItsChildrenForInput) {
  auto* group = Make<TGroupBox>(form, Bounds(10, 10, 200, 120));
  group->SetCaption(u"Группа");
  auto* box = Make<TCheckBox>(group, Bounds(10, 20, 120, 20));
  auto* label = Make<TLabel>(group, Bounds(10, 50, 100, 20));
  auto* filler = Make<TPanel>(group, Bounds(0, 0, 10, 10));
  filler->SetAlign(alBottom);
  ShowForm();
  EXPECT_LT(filler->GetTop() + filler->GetHeight(), 120) << "the frame keeps aligned children inside";
  filler->SetAlign(alTop);
  EXPECT_GT(filler->GetTop(), 5) << "the caption takes room from aligned children";
  filler->SetAlign(alNone);
  filler->SetVisible(false);

  group->SetEnabled(false);
  ProcessPendingEvents();
  EXPECT_FALSE(box->IsEnabled());
  EXPECT_FALSE(label->IsEnabled());
  EXPECT_TRUE(box->GetEnabled()) << "the child's own flag is untouched";
  int clicks = 0;
  box->OnClick = Counter(clicks);
  SendClick(box, TPoint(8, 10));
  SendKey(box, VK_SPACE);
  EXPECT_EQ(box->GetState(), cbUnchecked);
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(box->CanFocus());

  group->SetEnabled(true);
  ProcessPendingEvents();
  SendClick(box, TPoint(8, 10));
  EXPECT_EQ(box->GetState(), cbChecked);
}

class ComboBoxTest : public StdCtrlsTest {
 protected:
  void SetUp() override {
    StdCtrlsTest::SetUp();
    combo = Make<TComboBox>(form, Bounds(10, 10, 150, 21));
    combo->SetStyle(csDropDownList);
    combo->GetItems()->SetText(u"Январь\nФевраль\nМарт");
    combo->OnChange = Counter(changes);
    combo->OnClick = Counter(clicks);
    ShowForm();
    combo->SetFocus();
  }
  TComboBox* combo = nullptr;
  int changes = 0, clicks = 0, selects = 0;
};

TEST_F(ComboBoxTest, ItemIndexFromCodeRaisesNoEventAndTextFollowsIt) {
  struct Case {
    Integer set, index;
    const Char* text;
  } cases[] = {{1, 1, u"Февраль"}, {2, 2, u"Март"}, {-1, -1, u""}, {7, -1, u""}, {0, 0, u"Январь"}};
  for (const Case& c : cases) {
    combo->SetItemIndex(c.set);
    EXPECT_EQ(combo->GetItemIndex(), c.index) << c.set;
    EXPECT_EQ(combo->GetText(), c.text) << c.set;
  }
  combo->SetText(u"Март");
  EXPECT_EQ(combo->GetItemIndex(), 2);
  combo->SetText(u"нет такого");
  EXPECT_EQ(combo->GetItemIndex(), -1);
  EXPECT_EQ(combo->GetText(), u"");
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(clicks, 0);
}

TEST_F(ComboBoxTest, UserPickRaisesClickAndChangeOrSelectWhenAssigned) {
  combo->SetItemIndex(0);
  SendKey(combo, VK_DOWN);
  EXPECT_EQ(combo->GetItemIndex(), 1);
  EXPECT_EQ(combo->GetText(), u"Февраль");
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(changes, 1) << "without OnSelect the pick raises OnChange";

  // The class library raises OnSelect instead of OnChange when OnSelect is assigned.
  combo->OnSelect = Counter(selects);
  SendKey(combo, VK_DOWN);
  EXPECT_EQ(combo->GetItemIndex(), 2);
  EXPECT_EQ(selects, 1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(clicks, 2);
}

TEST_F(ComboBoxTest, ChangingItemsKeepsTheWidgetAndSelectionInStep) {
  combo->SetItemIndex(1);
  combo->GetItems()->Insert(0, u"Декабрь");
  EXPECT_EQ(combo->GetItemIndex(), 2) << "the selection follows its item";
  EXPECT_EQ(combo->GetText(), u"Февраль");
  // The widget has the new list: the next item down is the one after the selection.
  SendKey(combo, VK_DOWN);
  EXPECT_EQ(combo->GetText(), u"Март");
  EXPECT_EQ(combo->GetItemIndex(), 3);

  combo->GetItems()->Delete(3);
  EXPECT_EQ(combo->GetItemIndex(), -1) << "a deleted selection leaves none";
  EXPECT_EQ(combo->GetText(), u"");
  combo->GetItems()->Add(u"Апрель");
  combo->SetItemIndex(3);
  EXPECT_EQ(combo->GetText(), u"Апрель");
  SendKey(combo, VK_UP);
  EXPECT_EQ(combo->GetText(), u"Февраль");

  combo->GetItems()->Clear();
  EXPECT_EQ(combo->GetItemIndex(), -1);
  combo->SetSorted(true);
  combo->GetItems()->Add(u"Б");
  combo->GetItems()->Add(u"А");
  combo->SetItemIndex(0);
  EXPECT_EQ(combo->GetText(), u"А");
}

TEST_F(ComboBoxTest, ItemsKeepTheirObjects) {
  TObject marker;
  combo->AddItem(u"С объектом", &marker);
  EXPECT_EQ(combo->GetItems()->Objects(3), &marker);
  combo->SetItemIndex(3);
  EXPECT_EQ(combo->GetItems()->Objects(combo->GetItemIndex()), &marker);
}

TEST_F(ComboBoxTest, DropDownStyleTypingRaisesChangeWithCharCaseAndMaxLength) {
  combo->SetStyle(csDropDown);
  combo->SetCharCase(ecUpperCase);
  combo->SetMaxLength(5);
  combo->SetItemIndex(-1);
  TypeText(combo, u"мартовский");
  EXPECT_EQ(combo->GetText(), u"МАРТО");
  EXPECT_GT(changes, 0);
  EXPECT_EQ(combo->GetItemIndex(), -1);
  combo->SetCharCase(ecNormal);
  combo->SetText(u"Март");
  EXPECT_EQ(combo->GetItemIndex(), 2);
  EXPECT_EQ(combo->GetText(), u"Март");
  int before = changes;
  combo->SetText(u"Январь");
  EXPECT_EQ(changes, before) << "text from code raises no OnChange";
}

class TDropProbe : public TObject {
 public:
  void DropDown(TObject*) { log += u"down;"; }
  void CloseUp(TObject*) { log += u"up;"; }
  String log;
};

TEST_F(ComboBoxTest, DroppedDownRaisesDropDownAndCloseUp) {
  TDropProbe probe;
  combo->OnDropDown = TNotifyEvent(&probe, &TDropProbe::DropDown);
  combo->OnCloseUp = TNotifyEvent(&probe, &TDropProbe::CloseUp);
  combo->SetDroppedDown(true);
  ProcessPendingEvents();
  EXPECT_TRUE(combo->GetDroppedDown());
  combo->SetDroppedDown(false);
  ProcessPendingEvents();
  EXPECT_FALSE(combo->GetDroppedDown());
  EXPECT_EQ(probe.log, u"down;up;");
}

TEST_F(StdCtrlsTest, ListBoxSelectionFromCodeAndByTheUser) {
  auto* list = Make<TListBox>(form, Bounds(10, 10, 150, 120));
  list->GetItems()->SetText(u"один\nдва\nтри\nчетыре");
  int clicks = 0;
  list->OnClick = Counter(clicks);
  ShowForm();
  list->SetItemIndex(1);
  EXPECT_EQ(list->GetItemIndex(), 1);
  EXPECT_TRUE(list->GetSelected(1));
  EXPECT_EQ(list->GetSelCount(), -1) << "a single-selection list answers -1";
  EXPECT_EQ(clicks, 0);
  list->SetFocus();
  SendKey(list, VK_DOWN);
  EXPECT_EQ(list->GetItemIndex(), 2);
  EXPECT_EQ(clicks, 1);
  EXPECT_THROW(list->GetSelected(4), EListError);
  EXPECT_THROW(list->SetSelected(-1, true), EListError);

  // The item under a point, and past the last one.
  TRect r = list->ItemRect(3);
  EXPECT_EQ(list->ItemAtPos(TPoint(r.Left + 2, r.Top + 2), true), 3);
  EXPECT_EQ(list->ItemAtPos(TPoint(5, 115), true), -1);
  EXPECT_EQ(list->ItemAtPos(TPoint(5, 115), false), 4);

  list->GetItems()->Delete(3);
  EXPECT_EQ(list->GetCount(), 3);
  EXPECT_EQ(list->ItemAtPos(TPoint(r.Left + 2, r.Top + 2), true), -1) << "the widget lost the item too";
}

TEST_F(StdCtrlsTest, ListBoxMultiSelect) {
  auto* list = Make<TListBox>(form, Bounds(10, 10, 150, 120));
  list->SetMultiSelect(true);
  list->GetItems()->SetText(u"а\nб\nв\nг");
  ShowForm();
  list->SetSelected(0, true);
  list->SetSelected(2, true);
  EXPECT_EQ(list->GetSelCount(), 2);
  EXPECT_TRUE(list->GetSelected(2));
  EXPECT_FALSE(list->GetSelected(1));
  list->SelectAll();
  EXPECT_EQ(list->GetSelCount(), 4);
  list->ClearSelection();
  EXPECT_EQ(list->GetSelCount(), 0);
}

TEST_F(StdCtrlsTest, OwnerDrawnListBoxPaintsItemsThroughOnDrawItem) {
  auto* list = Make<TListBox>(form, Bounds(10, 10, 150, 100));
  list->SetStyle(lbOwnerDrawFixed);
  list->SetItemHeight(20);
  list->GetItems()->SetText(u"красный\nзелёный");
  std::vector<std::pair<Integer, TOwnerDrawState>> drawn;
  list->OnDrawItem =
      TDrawItemEvent([&](TWinControl* control, Integer index, TRect rect, TOwnerDrawState state) {
        drawn.emplace_back(index, state);
        TCanvas* canvas = static_cast<TListBox*>(control)->GetCanvas();
        canvas->GetBrush()->SetColor(index == 0 ? clRed : clGreen);
        canvas->FillRect(rect);
      });
  list->SetItemIndex(1);
  ShowForm();
  auto shot = CaptureControl(list);
  ASSERT_GE(drawn.size(), 2u);
  EXPECT_EQ(PixelAt(shot.get(), 30, 2 + 10), ColorToRGB(clRed));
  EXPECT_EQ(PixelAt(shot.get(), 30, 2 + 30), ColorToRGB(clGreen));
  EXPECT_EQ(list->ItemRect(1).Height(), 20);
  bool selectedSeen = false;
  for (auto& [index, state] : drawn)
    selectedSeen = selectedSeen || (index == 1 && state.Contains(odSelected));
  EXPECT_TRUE(selectedSeen);
}

class TScrollProbe : public TObject {
 public:
  void Scroll(TObject*, TScrollCode code, Integer& pos) {
    codes.push_back(code);
    seen.push_back(pos);
    if (override_ >= 0) pos = override_;
  }
  void Change(TObject*) { ++changes; }
  std::vector<TScrollCode> codes;
  std::vector<Integer> seen;
  Integer override_ = -1;
  int changes = 0;
};

TEST_F(StdCtrlsTest, ScrollBarOnScrollSeesAndMayChangeTheNewPosition) {
  auto* bar = Make<TScrollBar>(form, Bounds(10, 10, 200, 17));
  bar->SetParams(10, 0, 100);
  bar->SetSmallChange(5);
  bar->SetLargeChange(20);
  TScrollProbe probe;
  bar->OnScroll = TScrollEvent(&probe, &TScrollProbe::Scroll);
  bar->OnChange = TNotifyEvent(&probe, &TScrollProbe::Change);
  ShowForm();
  bar->SetFocus();

  SendKey(bar, VK_RIGHT);
  // The step, then the end of the scroll as the system reports it.
  ASSERT_EQ(probe.codes.size(), 2u);
  EXPECT_EQ(probe.codes[0], scLineDown);
  EXPECT_EQ(probe.codes[1], scEndScroll);
  EXPECT_EQ(probe.seen[0], 15);
  EXPECT_EQ(bar->GetPosition(), 15);
  EXPECT_EQ(probe.changes, 1);

  probe.override_ = 42;
  SendKey(bar, VK_NEXT);
  EXPECT_EQ(probe.codes[2], scPageDown);
  EXPECT_EQ(probe.seen[2], 35);
  EXPECT_EQ(bar->GetPosition(), 42) << "the handler's position wins";
  EXPECT_EQ(probe.changes, 2);

  probe.override_ = 500;
  SendKey(bar, VK_LEFT);
  EXPECT_EQ(bar->GetPosition(), 100) << "a handler's position is kept inside the range";

  // From code: OnChange when the position moves, never OnScroll.
  size_t scrolls = probe.codes.size();
  bar->SetPosition(100);
  EXPECT_EQ(probe.changes, 3);
  bar->SetPosition(-5);
  EXPECT_EQ(bar->GetPosition(), 0);
  EXPECT_EQ(probe.changes, 4);
  EXPECT_EQ(probe.codes.size(), scrolls);
}

TEST_F(StdCtrlsTest, ScrollBarRefusesAnImpossibleRange) {
  auto* bar = Make<TScrollBar>(form, Bounds(10, 10, 200, 17));
  EXPECT_THROW(bar->SetParams(0, 10, 5), EInvalidOperation);
  EXPECT_EQ(bar->GetMax(), 100) << "a refused change leaves the bar as it was";
  bar->SetPageSize(10);
  EXPECT_THROW(bar->SetMax(5), EInvalidOperation);
  EXPECT_THROW(bar->SetPageSize(200), EInvalidOperation);
  try {
    bar->SetMin(200);
    FAIL();
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), u"Scrollbar property out of range");
  }
}

TEST(ScrollRange64Test, MapsLargeRangesOntoTheBarAndBackWithExactEnds) {
  struct Case {
    Int64 min, max;
  } ranges[] = {{0, 100}, {-50, 50}, {0, Int64(1) << 40}, {INT64_MIN, INT64_MAX}, {-7, INT64_MAX}, {5, 5}};
  for (const Case& c : ranges) {
    TScrollRange64 range(c.min, c.max);
    Integer barMax = range.BarMax();
    EXPECT_LE(barMax, TScrollRange64::kBarMax);
    EXPECT_EQ(range.ToBar(c.min), 0);
    EXPECT_EQ(range.ToBar(c.max), barMax);
    EXPECT_EQ(range.FromBar(0), c.min);
    EXPECT_EQ(range.FromBar(barMax), c.max);
    // Out of range clamps.
    if (c.min > INT64_MIN) {
      EXPECT_EQ(range.ToBar(c.min - 1), 0);
    }
    EXPECT_EQ(range.FromBar(-1), c.min);
    EXPECT_EQ(range.FromBar(barMax + 1), c.max);
    // Only the ends map onto the ends; everything else stays inside, in order.
    if (static_cast<long double>(c.max) - static_cast<long double>(c.min) >= 2) {
      EXPECT_GT(range.ToBar(c.min + 1), 0);
      EXPECT_LT(range.ToBar(c.max - 1), barMax);
      Int64 mid = c.min / 2 + c.max / 2;
      Integer b = range.ToBar(mid);
      EXPECT_LE(range.ToBar(c.min + 1), b);
      EXPECT_LE(b, range.ToBar(c.max - 1));
      // Back from the bar lands within one bar step of where it started.
      long double step = (static_cast<long double>(c.max) - c.min) / barMax;
      EXPECT_LE(std::fabs(static_cast<long double>(range.FromBar(b)) - mid), step + 1);
    }
  }
  // A small range maps one to one.
  TScrollRange64 small(-50, 50);
  EXPECT_EQ(small.BarMax(), 100);
  EXPECT_EQ(small.ToBar(0), 50);
  EXPECT_EQ(small.FromBar(75), 25);
  EXPECT_THROW(TScrollRange64(1, 0), ERangeError);
}

}  // namespace
