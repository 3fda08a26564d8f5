// Hints: the pause before a hint, CM_HINTSHOW letting the control change or refuse it, the short and
// long parts of a hint, and a replaced hint-window class.
#include <gtest/gtest.h>

#include <vector>

#include "platform/controls/Forms.h"
#include "platform/testing/TestSupport.h"

namespace {

struct Shown {
  String text;
  TRect rect;
};
std::vector<Shown> shownHints;

class TRecordingHintWindow : public THintWindow {
  KIV_CLASS(TRecordingHintWindow, THintWindow)
 public:
  explicit TRecordingHintWindow(TComponent* owner) : THintWindow(owner) {}
  void ActivateHintData(TRect rect, const String& hint, void* data) override {
    shownHints.push_back({hint, rect});
    THintWindow::ActivateHintData(rect, hint, data);
  }
};

class TTipControl : public TCustomControl {
  KIV_CLASS(TTipControl, TCustomControl)
 public:
  explicit TTipControl(TComponent* owner) : TCustomControl(owner) {}
  bool refuse = false;
  String replace;
  TPoint cursorPos;
  // Halves with hints of their own: none on the left, "правая" on the right, shown without a pause.
  bool halves = false;

 protected:
  void Dispatch(TMessage& m) override {
    if (m.Msg == CM_HINTSHOWPAUSE && halves) {
      *reinterpret_cast<TCMHintShowPause&>(m).Pause = 0;
      return;
    }
    if (m.Msg == CM_HINTSHOW) {
      auto& h = reinterpret_cast<TCMHintShow&>(m);
      cursorPos = h.HintInfo->CursorPos;
      if (!replace.empty()) h.HintInfo->HintStr = replace;
      if (halves) {
        const bool right = cursorPos.X >= GetClientWidth() / 2;
        h.HintInfo->CursorRect = right ? TRect(GetClientWidth() / 2, 0, GetClientWidth(), GetClientHeight())
                                       : TRect(0, 0, GetClientWidth() / 2, GetClientHeight());
        h.HintInfo->HintStr = right ? u"правая" : u"";
      }
      h.Result = refuse ? 1 : 0;
      return;
    }
    TCustomControl::Dispatch(m);
  }
};

class HintsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    savedClass = HintWindowClass;
    HintWindowClass = TRecordingHintWindow::StaticClass();
    shownHints.clear();
    form = new TForm(nullptr, 0);
    form->AfterConstruction();
    form->SetShowHint(true);
    tip = new TTipControl(form);
    tip->SetParent(form);
    tip->SetBounds(20, 20, 100, 40);
    tip->SetHint(u"Сохранить|Записывает документ в базу");
    form->Show();
    ProcessPendingEvents();
  }
  void TearDown() override {
    Application->CancelHint();
    delete form;
    HintWindowClass = savedClass;
  }
  TClass savedClass = nullptr;
  TForm* form = nullptr;
  TTipControl* tip = nullptr;
};

TEST_F(HintsTest, PauseThenShortHintInTheReplacedWindowAndLongHintInTheApplication) {
  Application->SetHintPause(10);
  int hints = 0;
  Application->OnHint = TNotifyEvent([&](TObject*) { ++hints; });
  SendMouseMove(tip, TPoint(5, 6));
  EXPECT_EQ(Application->GetHint(), u"Записывает документ в базу");
  EXPECT_EQ(hints, 1);
  EXPECT_TRUE(shownHints.empty());
  ProcessEventsFor(80);
  ASSERT_EQ(shownHints.size(), 1u);
  EXPECT_EQ(shownHints[0].text, u"Сохранить");
  EXPECT_EQ(tip->cursorPos, TPoint(5, 6));
  ASSERT_NE(Application->GetHintWindow(), nullptr);
  EXPECT_EQ(Application->GetHintWindow()->ClassType(), TRecordingHintWindow::StaticClass());
  EXPECT_GT(shownHints[0].rect.Width(), 10);
  Application->OnHint = nullptr;
}

TEST_F(HintsTest, HintShowCanChangeOrRefuseTheHint) {
  tip->replace = u"Другой текст";
  Application->ActivateHint(tip->ClientToScreen(TPoint(3, 3)));
  ASSERT_EQ(shownHints.size(), 1u);
  EXPECT_EQ(shownHints[0].text, u"Другой текст");
  Application->CancelHint();
  tip->refuse = true;
  Application->ActivateHint(tip->ClientToScreen(TPoint(3, 3)));
  EXPECT_EQ(shownHints.size(), 1u);
}

// A part of a control without a hint does not keep the other parts from showing theirs.
TEST_F(HintsTest, LeavingTheRectangleAHintWasAskedForAsksAgainWithTheControlsPause) {
  Application->SetHintPause(5000);
  tip->halves = true;
  SendMouseMove(tip, TPoint(5, 6));
  ProcessEventsFor(60);
  EXPECT_TRUE(shownHints.empty()) << "the left half has nothing to show";
  SendMouseMove(tip, TPoint(8, 6));
  ProcessEventsFor(60);
  EXPECT_TRUE(shownHints.empty()) << "moving inside the half asks nothing";
  SendMouseMove(tip, TPoint(80, 6));
  ProcessEventsFor(60);
  ASSERT_EQ(shownHints.size(), 1u) << "the control's pause of 0 replaces the application's";
  EXPECT_EQ(shownHints[0].text, u"правая");
}

TEST_F(HintsTest, NoHintWithoutShowHint) {
  form->SetShowHint(false);
  EXPECT_FALSE(tip->GetShowHint());  // ParentShowHint follows the form
  Application->SetHintPause(5);
  SendMouseMove(tip, TPoint(5, 5));
  ProcessEventsFor(40);
  EXPECT_TRUE(shownHints.empty());
  EXPECT_EQ(GetShortHint(u"a|b"), u"a");
  EXPECT_EQ(GetLongHint(u"a|b"), u"b");
  EXPECT_EQ(GetLongHint(u"only"), u"only");
}

}  // namespace
