// TThread: Synchronize against WaitFor on the main thread (no deadlock, many rounds), OnTerminate on
// the main thread, exceptions carried back, self-freeing threads, and the events.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "platform/classes/Thread.h"

namespace {
class TSyncWorker : public TThread {
 public:
  explicit TSyncWorker(int calls) : TThread(true), calls_(calls) {}
  ~TSyncWorker() override {
    Terminate();
    if (GetStarted() && !GetFinished()) WaitFor();
  }
  std::atomic<int> onMain{0};

 protected:
  void Execute() override {
    for (int i = 0; i < calls_ && !Terminated(); ++i)
      Synchronize([this] {
        if (IsMainThread()) ++onMain;
      });
    SetReturnValue(42);
  }

 private:
  int calls_;
};

TEST(ThreadTest, SynchronizeWhileTheMainThreadWaitsNeverDeadlocks) {
  for (int round = 0; round < 200; ++round) {
    TSyncWorker worker(5);
    worker.Start();
    EXPECT_EQ(worker.WaitFor(), 42);
    EXPECT_EQ(worker.onMain.load(), 5);
  }
}

TEST(ThreadTest, TerminateAndWaitWhileAWorkerSynchronizes) {
  for (int round = 0; round < 100; ++round) {
    TSyncWorker worker(1000000);
    worker.Start();
    CheckSynchronize(1);
    worker.Terminate();
    worker.WaitFor();
    EXPECT_TRUE(worker.GetFinished());
  }
}

class TFunctionThread : public TThread {
 public:
  explicit TFunctionThread(std::function<void(TFunctionThread*)> body)
      : TThread(true), body_(std::move(body)) {}
  ~TFunctionThread() override {
    if (GetStarted() && !GetFreeOnTerminate() && !GetFinished()) WaitFor();
  }
  using TThread::Queue;
  using TThread::Synchronize;

 protected:
  void Execute() override { body_(this); }

 private:
  std::function<void(TFunctionThread*)> body_;
};

TEST(ThreadTest, OnTerminateRunsOnTheMainThreadAndExceptionsComeBack) {
  bool terminatedOnMain = false;
  std::string caught;
  TFunctionThread t([&](TFunctionThread* self) {
    try {
      self->Synchronize([] { throw EConvertError(u"bad value"); });
    } catch (const EConvertError& e) {
      caught = e.what();
    }
    throw EAbort(u"stop");
  });
  t.OnTerminate = [&](TObject*) { terminatedOnMain = IsMainThread(); };
  t.Start();
  t.WaitFor();
  EXPECT_TRUE(terminatedOnMain);
  EXPECT_EQ(caught, "bad value");
  ASSERT_TRUE(t.GetFatalException());
  EXPECT_THROW(std::rethrow_exception(t.GetFatalException()), EAbort);
  EXPECT_THROW(t.Start(), EThread);
}

TEST(ThreadTest, QueuedCallsRunWhenTheMainLoopChecks) {
  std::atomic<int> ran{0};
  TFunctionThread t([&](TFunctionThread* self) {
    for (int i = 0; i < 10; ++i) self->Queue([&ran] { ++ran; });
  });
  t.Start();
  t.WaitFor();
  CheckSynchronize(0);
  EXPECT_EQ(ran.load(), 10);
  EXPECT_FALSE(CheckSynchronize(0));
}

TEST(ThreadTest, SelfFreeingThreadsCannotBeWaitedFor) {
  TEvent done(true, false);
  std::atomic<bool> freed{false};
  struct TSelfFreeing : TThread {
    TSelfFreeing(TEvent& d, std::atomic<bool>& f) : TThread(true), done_(d), freed_(f) {
      SetFreeOnTerminate(true);
    }
    ~TSelfFreeing() override {
      freed_ = true;
      done_.SetEvent();
    }
    void Execute() override {}
    TEvent& done_;
    std::atomic<bool>& freed_;
  };
  auto* t = new TSelfFreeing(done, freed);
  EXPECT_THROW(t->WaitFor(), EThread);
  t->Start();
  EXPECT_EQ(done.WaitFor(5000), wrSignaled);
  EXPECT_TRUE(freed.load());
}

TEST(ThreadTest, TheDispatcherIsWokenForEachQueuedCall) {
  struct Counter : TMainThreadDispatcher {
    std::atomic<int> wakes{0};
    void WakeMainThread() override { ++wakes; }
  } dispatcher;
  SetMainThreadDispatcher(&dispatcher);
  TFunctionThread t([](TFunctionThread* self) {
    self->Synchronize([] {});
    self->Queue([] {});
  });
  t.Start();
  t.WaitFor();
  SetMainThreadDispatcher(nullptr);
  EXPECT_EQ(dispatcher.wakes.load(), 2);
}

TEST(ThreadTest, EventsAndCriticalSections) {
  TEvent autoReset(false, false);
  EXPECT_EQ(autoReset.WaitFor(10), wrTimeout);
  autoReset.SetEvent();
  EXPECT_EQ(autoReset.WaitFor(0), wrSignaled);
  EXPECT_EQ(autoReset.WaitFor(0), wrTimeout);
  TEvent manual(true, true);
  EXPECT_EQ(manual.WaitFor(0), wrSignaled);
  EXPECT_EQ(manual.WaitFor(0), wrSignaled);
  manual.ResetEvent();
  EXPECT_EQ(manual.WaitFor(0), wrTimeout);

  TCriticalSection cs;
  int counter = 0;
  std::vector<std::unique_ptr<TFunctionThread>> threads;
  for (int i = 0; i < 4; ++i) {
    threads.push_back(std::make_unique<TFunctionThread>([&](TFunctionThread*) {
      for (int k = 0; k < 10000; ++k) {
        cs.Enter();
        ++counter;
        cs.Leave();
      }
    }));
    threads.back()->Start();
  }
  for (auto& t : threads) t->WaitFor();
  EXPECT_EQ(counter, 40000);
}
}  // namespace
