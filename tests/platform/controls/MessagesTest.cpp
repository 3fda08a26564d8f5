// The message queue: posted messages in order, "is it pending" and removal as deferred layout uses
// them, post-once, the key that waits during a long loop, pending clicks, the application window,
// Synchronize from a worker in the running event loop, and exceptions kept out of Qt.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "platform/classes/Thread.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/testing/TestSupport.h"

namespace {

constexpr UINT WM_DEFERRED_LAYOUT = WM_USER + 100;

class TReceiver : public TCustomControl {
  KIV_CLASS(TReceiver, TCustomControl)
 public:
  explicit TReceiver(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 80, 40); }
  std::vector<std::pair<UINT, LPARAM>> got;

 protected:
  void Dispatch(TMessage& m) override {
    if (m.Msg >= WM_USER && m.Msg < WM_USER + 200) {
      got.emplace_back(m.Msg, m.LParam);
      return;
    }
    TCustomControl::Dispatch(m);
  }
};

class MessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form = new TForm(nullptr, 0);
    form->AfterConstruction();
    receiver = new TReceiver(form);
    receiver->SetParent(form);
    receiver->SetTabStop(true);
    form->Show();
    ProcessPendingEvents();
  }
  void TearDown() override { delete form; }
  TForm* form = nullptr;
  TReceiver* receiver = nullptr;
};

TEST_F(MessagesTest, PostedMessagesArriveLaterInPostingOrder) {
  HWND h = receiver->GetHandle();
  EXPECT_TRUE(PostMessage(h, WM_USER + 1, 0, 10));
  EXPECT_TRUE(PostMessage(h, WM_USER + 2, 0, 20));
  EXPECT_TRUE(receiver->got.empty());
  ProcessPendingEvents();
  ASSERT_EQ(receiver->got.size(), 2u);
  EXPECT_EQ(receiver->got[0], std::make_pair(static_cast<UINT>(WM_USER + 1), LPARAM(10)));
  EXPECT_EQ(receiver->got[1], std::make_pair(static_cast<UINT>(WM_USER + 2), LPARAM(20)));
  // A handle that names no window is refused.
  EXPECT_FALSE(PostMessage(reinterpret_cast<HWND>(0x5), WM_USER, 0, 0));
  EXPECT_EQ(SendMessage(reinterpret_cast<HWND>(0x5), WM_USER, 0, 0), 0);
}

TEST_F(MessagesTest, DeferredLayoutPostsOnceAndRemovesThePendingMessage) {
  HWND h = receiver->GetHandle();
  EXPECT_FALSE(IsMessagePending(h, WM_DEFERRED_LAYOUT));
  EXPECT_TRUE(PostMessageOnce(h, WM_DEFERRED_LAYOUT, 0, 0));
  EXPECT_FALSE(PostMessageOnce(h, WM_DEFERRED_LAYOUT, 0, 0));
  EXPECT_TRUE(IsMessagePending(h, WM_DEFERRED_LAYOUT));
  EXPECT_TRUE(IsMessagePending(h, WM_DEFERRED_LAYOUT, 0, 0));
  EXPECT_FALSE(IsMessagePending(h, WM_DEFERRED_LAYOUT, 0, 1));
  // The layout ran at once: the queued request goes.
  EXPECT_TRUE(RemovePendingMessage(h, WM_DEFERRED_LAYOUT));
  EXPECT_FALSE(IsMessagePending(h, WM_DEFERRED_LAYOUT));
  EXPECT_FALSE(RemovePendingMessage(h, WM_DEFERRED_LAYOUT));
  ProcessPendingEvents();
  EXPECT_TRUE(receiver->got.empty());
  // Another window's message is not this one's.
  PostMessage(form->GetHandle(), WM_DEFERRED_LAYOUT, 0, 0);
  EXPECT_FALSE(IsMessagePending(h, WM_DEFERRED_LAYOUT));
  EXPECT_TRUE(IsMessagePending(nullptr, WM_DEFERRED_LAYOUT));
  ProcessPendingEvents();
}

TEST_F(MessagesTest, PeekMessageSeesPostedMessagesAndRemovesOnRequest) {
  HWND h = receiver->GetHandle();
  PostMessage(h, WM_USER + 4, 7, 8);
  TMsg msg;
  ASSERT_TRUE(PeekMessage(&msg, h, WM_USER, WM_USER + 10, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 4));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_EQ(msg.lParam, 8);
  EXPECT_EQ(msg.hwnd, h);
  ASSERT_TRUE(PeekMessage(&msg, h, WM_USER, WM_USER + 10, PM_REMOVE));
  EXPECT_FALSE(PeekMessage(&msg, h, WM_USER, WM_USER + 10, PM_NOREMOVE));
  ProcessPendingEvents();
  EXPECT_TRUE(receiver->got.empty());
}

// A long loop on the main thread asks whether a key waits; the key is seen, not delivered, and still
// arrives afterwards unless the loop takes it out.
TEST_F(MessagesTest, KeyPressedDuringALongLoopIsSeenWaiting) {
  receiver->SetFocus();
  ProcessPendingEvents();
  std::vector<Word> keys;
  receiver->OnKeyDown = TKeyEvent([&](TObject*, Word& key, TShiftState) { keys.push_back(key); });
  EXPECT_FALSE(KeyPressWaiting());
  bool stopped = false;
  for (int row = 0; row < 1000 && !stopped; ++row) {
    if (row == 10) PostKey(receiver, VK_ESCAPE);
    stopped = KeyPressWaiting(receiver->GetHandle(), VK_ESCAPE);
  }
  EXPECT_TRUE(stopped);
  EXPECT_TRUE(keys.empty());
  EXPECT_TRUE(KeyPressWaiting());
  EXPECT_FALSE(KeyPressWaiting(receiver->GetHandle(), VK_RETURN));
  EXPECT_FALSE(KeyPressWaiting(form->GetHandle()));
  ProcessPendingEvents();
  EXPECT_EQ(keys, std::vector<Word>{VK_ESCAPE});

  // Taken out of the queue, the key never arrives.
  keys.clear();
  PostKey(receiver, 'S');
  EXPECT_TRUE(RemovePendingKey(receiver->GetHandle(), 'S'));
  EXPECT_FALSE(KeyPressWaiting());
  ProcessPendingEvents();
  EXPECT_TRUE(keys.empty());
}

// Asked from a worker thread, the question goes to the main thread (the grid search's counter), which
// serves Synchronize from its running event loop.
TEST_F(MessagesTest, WorkerThreadAsksWhetherAKeyWaits) {
  class TCounter : public TThread {
   public:
    TCounter() : TThread(true) {}
    std::atomic<int> rows{0};
    std::atomic<bool> sawKey{false};

   protected:
    void Execute() override {
      while (!Terminated() && rows < 100000) {
        Synchronize([this] { ++rows; });
        if (KeyPressWaiting()) {
          sawKey = true;
          return;
        }
      }
    }
  };
  TCounter counter;
  counter.Start();
  TTimer press(nullptr);
  press.SetInterval(20);
  // The key comes once the worker has asked at least once (the question of row 1 ends before row 2).
  press.OnTimer = TNotifyEvent([&](TObject*) {
    if (counter.rows < 2) return;
    press.SetEnabled(false);
    PostKey(receiver, 'K');
  });
  press.SetEnabled(true);
  // The main thread runs its event loop meanwhile: Synchronize reaches it through Qt's queue. The
  // ticking timer wakes the loop after the worker's last call.
  TTimer keepAwake(nullptr);
  keepAwake.SetInterval(5);
  keepAwake.OnTimer = TNotifyEvent([](TObject*) {});
  keepAwake.SetEnabled(true);
  while (!counter.GetFinished()) Application->HandleMessage();
  counter.WaitFor();
  EXPECT_TRUE(counter.sawKey);
  EXPECT_GT(counter.rows.load(), 0);
  ProcessPendingEvents();
}

TEST_F(MessagesTest, PendingClickIsRemovedOnlyForItsWindow) {
  int downs = 0, ups = 0;
  receiver->OnMouseDown =
      TMouseEvent([&](TObject*, TMouseButton, TShiftState, Integer, Integer) { ++downs; });
  receiver->OnMouseUp = TMouseEvent([&](TObject*, TMouseButton, TShiftState, Integer, Integer) { ++ups; });
  PostMouseClick(receiver, TPoint(3, 4));
  EXPECT_FALSE(RemovePendingClick(form->GetHandle()));
  TPoint at;
  EXPECT_TRUE(RemovePendingClick(receiver->GetHandle(), &at));
  EXPECT_EQ(at, TPoint(3, 4));
  EXPECT_FALSE(RemovePendingClick(receiver->GetHandle()));
  ProcessPendingEvents();
  EXPECT_EQ(downs, 0);
  EXPECT_EQ(ups, 1);  // the release is delivered as usual
  // A click nobody takes out arrives.
  PostMouseClick(receiver, TPoint(5, 5));
  ProcessPendingEvents();
  EXPECT_EQ(downs, 1);
}

TEST_F(MessagesTest, ApplicationWindowRunsItsHooks) {
  std::vector<UINT> seen;
  TWindowHook hook([&](TMessage& m) {
    seen.push_back(m.Msg);
    if (m.Msg == WM_USER + 7) {
      m.Result = 5;
      return true;
    }
    return false;
  });
  Application->HookMainWindow(hook);
  EXPECT_EQ(SendMessage(Application->GetHandle(), WM_USER + 7, 0, 0), 5);
  PostMessage(Application->GetHandle(), WM_USER + 8, 0, 0);
  ProcessPendingEvents();
  EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 7, WM_USER + 8}));
  Application->UnhookMainWindow(hook);
  SendMessage(Application->GetHandle(), WM_USER + 7, 0, 0);
  EXPECT_EQ(seen.size(), 2u);
}

// An exception in a handler reaches OnException (EAbort stays silent) and the loop goes on.
TEST_F(MessagesTest, ExceptionsFromHandlersGoToTheApplication) {
  std::vector<String> reported;
  TExceptionEvent saved = Application->OnException;
  Application->OnException =
      TExceptionEvent([&](TObject*, Exception* e) { reported.push_back(e->Message()); });
  receiver->OnKeyDown = TKeyEvent([](TObject*, Word& key, TShiftState) {
    if (key == 'E') throw EConvertError(u"bad value");
    if (key == 'A') Abort();
  });
  SendKey(receiver, 'E');
  SendKey(receiver, 'A');
  EXPECT_EQ(reported, std::vector<String>{u"bad value"});
  Application->OnException = saved;
  // Without OnException the message box shows the text with a full stop.
  std::vector<std::pair<String, Integer>> boxes;
  TMessageBoxHandler previous = GetMessageBoxHandler();
  SetMessageBoxHandler([&](const String& text, const String&, Integer flags) {
    boxes.emplace_back(text, flags);
    return IDOK;
  });
  SendKey(receiver, 'E');
  SetMessageBoxHandler(previous);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].first, u"bad value.");
  EXPECT_EQ(boxes[0].second, MB_OK | MB_ICONSTOP);
}

TEST_F(MessagesTest, TimerFiresOnlyWhileEnabledWithAnInterval) {
  TTimer timer(nullptr);
  int ticks = 0;
  timer.OnTimer = TNotifyEvent([&](TObject*) { ++ticks; });
  timer.SetInterval(5);
  ProcessEventsFor(40);
  EXPECT_GT(ticks, 1);
  timer.SetEnabled(false);
  int stopped = ticks;
  ProcessEventsFor(30);
  EXPECT_EQ(ticks, stopped);
  timer.SetEnabled(true);
  timer.SetInterval(0);
  ProcessEventsFor(30);
  EXPECT_EQ(ticks, stopped);
}

}  // namespace
