// Input of custom-drawn controls through window messages: key codes and characters, stopping a key in
// KeyDown, mouse messages with coordinates, shift state and double clicks, the wheel, focus messages
// naming the other control, dialog codes, graphic controls fed by their parent, and drag and drop.
#include <gtest/gtest.h>

#include <vector>

#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/Graphics.h"
#include "platform/testing/TestSupport.h"

namespace {

struct Logged {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// Records the messages it gets and lets the test decide what KeyDown and the dialog code do.
class TProbe : public TCustomControl {
  KIV_CLASS(TProbe, TCustomControl)
 public:
  explicit TProbe(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetBounds(10, 10, 100, 60);
  }
  void WndProc(TMessage& m) override {
    switch (m.Msg) {
      case WM_KEYDOWN:
      case WM_KEYUP:
      case WM_CHAR:
      case WM_SYSKEYDOWN:
      case WM_LBUTTONDOWN:
      case WM_LBUTTONUP:
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDOWN:
      case WM_MOUSEWHEEL:
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
      case CM_ENTER:
      case CM_EXIT:
        log.push_back({m.Msg, m.WParam, m.LParam});
    }
    TCustomControl::WndProc(m);
  }
  std::vector<Logged> Of(UINT msg) const {
    std::vector<Logged> r;
    for (auto& l : log)
      if (l.msg == msg) r.push_back(l);
    return r;
  }

  std::vector<Logged> log;
  Integer dlgCode = 0;
  Word swallow = 0;
  std::vector<std::pair<Word, TShiftState>> keyDowns;
  std::vector<Char> keyPresses;
  std::vector<std::tuple<TMouseButton, TShiftState, Integer, Integer>> downs;
  std::vector<Integer> wheels;
  int paints = 0;

 protected:
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_GETDLGCODE) {
      m.Result = dlgCode;
      return;
    }
    TCustomControl::Dispatch(m);
  }
  void KeyDown(Word& key, TShiftState shift) override {
    keyDowns.emplace_back(key, shift);
    if (key == swallow) key = 0;
    TCustomControl::KeyDown(key, shift);
  }
  void KeyPress(Char& key) override {
    keyPresses.push_back(key);
    TCustomControl::KeyPress(key);
  }
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override {
    downs.emplace_back(button, shift, x, y);
    TCustomControl::MouseDown(button, shift, x, y);
  }
  bool DoMouseWheel(TShiftState shift, Integer delta, TPoint pos) override {
    wheels.push_back(delta);
    return TCustomControl::DoMouseWheel(shift, delta, pos);
  }
  void Paint() override {
    ++paints;
    GetCanvas()->GetBrush()->SetColor(clRed);
    GetCanvas()->FillRect(GetClientRect());
  }
};

class ControlsInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form = new TForm(nullptr, 0);
    form->AfterConstruction();
    form->SetBounds(0, 0, 300, 200);
    probe = new TProbe(form);
    probe->SetParent(form);
    other = new TProbe(form);
    other->SetParent(form);
    other->SetLeft(150);
    edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetTop(120);
    form->Show();
    ProcessPendingEvents();
    probe->SetFocus();
    ProcessPendingEvents();
    probe->log.clear();
  }
  void TearDown() override { delete form; }

  TForm* form = nullptr;
  TProbe* probe = nullptr;
  TProbe* other = nullptr;
  TEdit* edit = nullptr;
};

TEST_F(ControlsInputTest, KeysArriveAsVirtualKeyCodesAndCharacters) {
  SendKey(probe, 'A');
  SendKey(probe, 'A', {ssShift});
  SendKey(probe, VK_F5);
  SendKey(probe, VK_DELETE, {ssCtrl});
  SendChar(probe, u'ж');
  ASSERT_EQ(probe->keyDowns.size(), 5u);
  EXPECT_EQ(probe->keyDowns[0].first, 'A');
  EXPECT_TRUE(probe->keyDowns[0].second.Empty());
  EXPECT_EQ(probe->keyDowns[1].second, TShiftState{ssShift});
  EXPECT_EQ(probe->keyDowns[2].first, VK_F5);
  EXPECT_EQ(probe->keyDowns[3].first, VK_DELETE);
  EXPECT_EQ(probe->keyDowns[3].second, TShiftState{ssCtrl});
  EXPECT_EQ(probe->keyDowns[4].first, VK_OEM_1);  // the key of 'ж' on the Russian layout
  ASSERT_EQ(probe->keyPresses.size(), 3u);
  EXPECT_EQ(probe->keyPresses[0], u'a');
  EXPECT_EQ(probe->keyPresses[1], u'A');
  EXPECT_EQ(probe->keyPresses[2], u'ж');
  EXPECT_EQ(probe->Of(WM_KEYUP).size(), 5u);
  SendKey(probe, 'X', {ssAlt});
  EXPECT_EQ(probe->Of(WM_SYSKEYDOWN).size(), 1u);
}

TEST_F(ControlsInputTest, KeyZeroedInKeyDownStopsItsDefaultHandling) {
  // In an edit, Home stopped in OnKeyDown leaves the caret at the end; a character stopped or
  // replaced in OnKeyPress is not typed or typed replaced. As the system translates a key into its
  // character before dispatching it, a letter stopped in OnKeyDown still arrives as WM_CHAR.
  edit->SetFocus();
  ProcessPendingEvents();
  bool stopHome = true;
  edit->OnKeyDown = TKeyEvent([&](TObject*, Word& key, TShiftState) {
    if (key == VK_HOME && stopHome) key = 0;
  });
  edit->OnKeyPress = TKeyPressEvent([](TObject*, Char& key) {
    if (key == u'c') key = u'C';
    if (key == u'd') key = 0;
  });
  TypeText(edit, u"abcd");
  EXPECT_EQ(edit->GetText(), u"abC");
  SendKey(edit, VK_HOME);
  SendKey(edit, 'X');
  EXPECT_EQ(edit->GetText(), u"abCx");
  stopHome = false;
  SendKey(edit, VK_HOME);
  SendKey(edit, 'Y');
  EXPECT_EQ(edit->GetText(), u"yabCx");
  // A custom control: the key goes on to WM_CHAR, as the system translates it before dispatch.
  probe->SetFocus();
  probe->swallow = 'Q';
  SendKey(probe, 'Q');
  EXPECT_EQ(probe->keyDowns.back().first, 'Q');
}

TEST_F(ControlsInputTest, DialogCodeDecidesWhetherTabAndArrowsReachTheControl) {
  struct Case {
    Integer dlgCode;
    Word key;
    bool reachesControl;
  } cases[] = {
      {0, VK_TAB, false},
      {DLGC_WANTTAB, VK_TAB, true},
      {0, VK_DOWN, false},
      {DLGC_WANTARROWS, VK_DOWN, true},
      {DLGC_WANTALLKEYS, VK_RETURN, true},
      {0, 'K', true},
  };
  for (const Case& c : cases) {
    probe->SetFocus();
    ProcessPendingEvents();
    probe->dlgCode = c.dlgCode;
    probe->keyDowns.clear();
    SendKey(probe, c.key);
    EXPECT_EQ(!probe->keyDowns.empty(), c.reachesControl) << c.dlgCode << " " << c.key;
  }
  // Tab without DLGC_WANTTAB moves the focus on in tab order; Shift+Tab back.
  probe->dlgCode = 0;
  probe->SetFocus();
  ProcessPendingEvents();
  SendKey(probe, VK_TAB);
  ProcessPendingEvents();
  EXPECT_TRUE(other->Focused());
  SendKey(other, VK_TAB, {ssShift});
  ProcessPendingEvents();
  EXPECT_TRUE(probe->Focused());
}

TEST_F(ControlsInputTest, FocusMessagesNameTheOtherControl) {
  other->log.clear();
  other->SetFocus();
  ProcessPendingEvents();
  auto kill = probe->Of(WM_KILLFOCUS);
  auto set = other->Of(WM_SETFOCUS);
  ASSERT_EQ(kill.size(), 1u);
  ASSERT_EQ(set.size(), 1u);
  EXPECT_EQ(reinterpret_cast<HWND>(kill[0].wParam), other->GetHandle());
  EXPECT_EQ(reinterpret_cast<HWND>(set[0].wParam), probe->GetHandle());
  EXPECT_EQ(probe->Of(CM_EXIT).size(), 1u);
  EXPECT_EQ(other->Of(CM_ENTER).size(), 1u);
  EXPECT_EQ(form->GetActiveControl(), other);
  EXPECT_EQ(Screen->GetActiveControl(), other);
}

TEST_F(ControlsInputTest, OnExitThatMovesTheFocusWins) {
  int enters = 0;
  probe->OnExit = TNotifyEvent([&](TObject*) { edit->SetFocus(); });
  other->OnEnter = TNotifyEvent([&](TObject*) { ++enters; });
  other->SetFocus();
  ProcessPendingEvents();
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(form->GetActiveControl(), edit);
  EXPECT_EQ(enters, 0);
}

TEST_F(ControlsInputTest, MouseMessagesCarryClientCoordinatesShiftAndDoubleClicks) {
  SendClick(probe, TPoint(7, 9), mbLeft, {ssCtrl});
  SendClick(probe, TPoint(20, 30), mbRight, {ssShift});
  SendDblClick(probe, TPoint(40, 5));
  auto downs = probe->Of(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(GET_X_LPARAM(downs[0].lParam), 7);
  EXPECT_EQ(GET_Y_LPARAM(downs[0].lParam), 9);
  EXPECT_EQ(downs[0].wParam & (MK_LBUTTON | MK_CONTROL), static_cast<WPARAM>(MK_LBUTTON | MK_CONTROL));
  EXPECT_EQ(probe->Of(WM_LBUTTONDBLCLK).size(), 1u);
  ASSERT_EQ(probe->downs.size(), 4u);
  EXPECT_EQ(std::get<0>(probe->downs[1]), mbRight);
  EXPECT_TRUE(std::get<1>(probe->downs[1]).Contains(ssShift));
  EXPECT_EQ(std::get<2>(probe->downs[1]), 20);
  EXPECT_EQ(std::get<3>(probe->downs[1]), 30);
  EXPECT_TRUE(std::get<1>(probe->downs[3]).Contains(ssDouble));
  // Click needs press and release inside: three left clicks, one of them the double click's second.
  int clicks = 0, dbl = 0;
  probe->OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
  probe->OnDblClick = TNotifyEvent([&](TObject*) { ++dbl; });
  SendDblClick(probe, TPoint(5, 5));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(dbl, 1);
  // Without csDoubleClicks the second press stays a press.
  probe->SetControlStyle(probe->GetControlStyle() - TControlStyle{csDoubleClicks});
  probe->log.clear();
  SendDblClick(probe, TPoint(5, 5));
  EXPECT_EQ(probe->Of(WM_LBUTTONDBLCLK).size(), 0u);
  EXPECT_EQ(probe->Of(WM_LBUTTONDOWN).size(), 2u);
}

TEST_F(ControlsInputTest, WheelAddsUpToNotchesAndGoesToTheParentWhenUnhandled) {
  int downs = 0, ups = 0, parentWheels = 0;
  probe->OnMouseWheelDown = TMouseWheelUpDownEvent([&](TObject*, TShiftState, TPoint, bool& handled) {
    ++downs;
    handled = true;
  });
  probe->OnMouseWheelUp = TMouseWheelUpDownEvent([&](TObject*, TShiftState, TPoint, bool&) { ++ups; });
  form->OnMouseWheel = TMouseWheelEvent([&](TObject*, TShiftState, Integer, TPoint, bool& handled) {
    ++parentWheels;
    handled = true;
  });
  SendWheel(probe, -120, TPoint(5, 5));
  SendWheel(probe, -60, TPoint(5, 5));
  SendWheel(probe, -60, TPoint(5, 5));
  EXPECT_EQ(downs, 2);
  EXPECT_EQ(parentWheels, 1);  // the half notch was not handled by the control
  SendWheel(probe, 240, TPoint(5, 5));
  EXPECT_EQ(ups, 2);
  auto wheel = probe->Of(WM_MOUSEWHEEL);
  ASSERT_EQ(wheel.size(), 4u);
  EXPECT_EQ(static_cast<SmallInt>(HIWORD(wheel[0].wParam)), -120);
  // Screen coordinates, as the system sends them.
  TPoint screen = probe->ClientToScreen(TPoint(5, 5));
  EXPECT_EQ(GET_X_LPARAM(wheel[0].lParam), screen.X);
  EXPECT_EQ(GET_Y_LPARAM(wheel[0].lParam), screen.Y);
}

TEST_F(ControlsInputTest, CustomControlPaintsOnItsCanvasAndPaintToCapturesIt) {
  auto picture = CaptureControl(form);
  TPoint inProbe = TPoint(probe->GetLeft() + 5, probe->GetTop() + 5);
  EXPECT_EQ(PixelAt(picture.get(), inProbe.X, inProbe.Y), clRed);
  EXPECT_NE(PixelAt(picture.get(), 5, 5), clRed);
  TBitmap bitmap(300, 200);
  form->PaintTo(bitmap.GetCanvas(), 0, 0);
  EXPECT_EQ(bitmap.GetCanvas()->GetPixel(inProbe.X, inProbe.Y), clRed);
  EXPECT_GT(probe->paints, 0);
}

// A label without a window gets its clicks through its parent, at its own coordinates.
TEST_F(ControlsInputTest, GraphicControlGetsMouseThroughItsParent) {
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetAutoSize(false);
  label->SetBounds(200, 100, 50, 20);
  std::vector<TPoint> downs;
  int clicks = 0;
  label->OnMouseDown = TMouseEvent(
      [&](TObject*, TMouseButton, TShiftState, Integer x, Integer y) { downs.push_back(TPoint(x, y)); });
  label->OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
  SendClick(label, TPoint(3, 4));
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0], TPoint(3, 4));
  EXPECT_EQ(clicks, 1);
  // Capture keeps the label's mouse while the button is held outside it.
  std::vector<TPoint> moves;
  label->OnMouseMove = TMouseMoveEvent([&](TObject*, TShiftState, Integer x, Integer y) {
    moves.push_back({x, y});
  });
  SendMouseDown(label, mbLeft, TPoint(1, 1));
  EXPECT_TRUE(label->GetMouseCapture());
  SendMouseMove(form, TPoint(10, 10), {ssLeft});
  ASSERT_FALSE(moves.empty());
  EXPECT_EQ(moves.back(), TPoint(10 - 200, 10 - 100));
  SendMouseUp(form, mbLeft, TPoint(10, 10));
  EXPECT_FALSE(label->GetMouseCapture());
  EXPECT_EQ(clicks, 1);  // released outside: no click
}

TEST_F(ControlsInputTest, DragAndDropPassesTheThresholdAndDropsOnTheTarget) {
  probe->SetDragMode(dmAutomatic);
  std::vector<TDragState> states;
  TObject* dropped = nullptr;
  TPoint dropAt;
  TObject* endTarget = reinterpret_cast<TObject*>(1);
  other->OnDragOver =
      TDragOverEvent([&](TObject*, TObject* source, Integer, Integer, TDragState state, bool& accept) {
        states.push_back(state);
        accept = source == probe;
      });
  other->OnDragDrop = TDragDropEvent([&](TObject*, TObject* source, Integer x, Integer y) {
    dropped = source;
    dropAt = TPoint(x, y);
  });
  probe->OnEndDrag = TEndDragEvent([&](TObject*, TObject* target, Integer, Integer) { endTarget = target; });
  // A move within the threshold is no drag.
  SendMouseDown(probe, mbLeft, TPoint(10, 10));
  SendMouseMove(probe, TPoint(12, 11), {ssLeft});
  EXPECT_FALSE(probe->Dragging() && states.size() > 0);
  SendMouseUp(probe, mbLeft, TPoint(12, 11));
  EXPECT_TRUE(states.empty());
  EXPECT_FALSE(probe->Dragging());

  SendDrag(probe, TPoint(10, 10), other, TPoint(30, 20));
  ProcessPendingEvents();
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.front(), dsDragEnter);
  EXPECT_EQ(dropped, probe);
  EXPECT_EQ(dropAt, TPoint(30, 20));
  EXPECT_EQ(endTarget, other);
  EXPECT_FALSE(probe->Dragging());

  // Dropped where nothing accepts: OnEndDrag with no target.
  endTarget = reinterpret_cast<TObject*>(1);
  SendDrag(probe, TPoint(10, 10), form, TPoint(250, 150));
  EXPECT_EQ(endTarget, nullptr);
}

// The class library's SendMessage, PostMessage and the message map reach a control by handle.
TEST_F(ControlsInputTest, WindowProcCanBeReplacedAndChained) {
  TWndMethod old = probe->WindowProc;
  std::vector<UINT> seen;
  probe->WindowProc = TWndMethod([&](TMessage& m) {
    if (m.Msg == WM_USER + 5) {
      m.Result = 42;
      return;
    }
    seen.push_back(m.Msg);
    old(m);
  });
  EXPECT_EQ(SendMessage(probe->GetHandle(), WM_USER + 5, 0, 0), 42);
  SendKey(probe, 'Z');
  EXPECT_FALSE(probe->keyDowns.empty());
  EXPECT_NE(std::find(seen.begin(), seen.end(), static_cast<UINT>(WM_KEYDOWN)), seen.end());
  probe->WindowProc = old;
  // Text goes through WM_SETTEXT/WM_GETTEXT.
  probe->SetText(u"Привет");
  Char buffer[4];
  EXPECT_EQ(GetWindowText(probe->GetHandle(), buffer, 4), 3);
  EXPECT_EQ(String(buffer), u"При");
}

TEST_F(ControlsInputTest, RecreatingTheWindowGivesANewHandleAndKeepsText) {
  probe->SetText(u"keep");
  HWND before = probe->GetHandle();
  probe->RecreateWnd();
  HWND after = probe->GetHandle();
  EXPECT_NE(before, after);
  EXPECT_FALSE(IsWindow(before));
  EXPECT_TRUE(IsWindow(after));
  EXPECT_EQ(FindControl(after), probe);
  EXPECT_EQ(probe->GetText(), u"keep");
  EXPECT_TRUE(probe->HandleAllocated());
}

}  // namespace
