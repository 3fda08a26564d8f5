// Threads and their synchronisation: TThread over std::thread with Synchronize/Queue to the main
// thread, the main-thread dispatcher the controls layer plugs into, critical sections and events.
#pragma once

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/classes/Delegate.h"
#include "platform/classes/Object.h"

// Wakes the main thread when work for it is queued. The controls layer installs one that posts a
// call of CheckSynchronize to the Qt event loop; without one, work waits for the next
// CheckSynchronize (the main loop, or WaitFor on the main thread).
class TMainThreadDispatcher {
 public:
  virtual ~TMainThreadDispatcher() = default;
  virtual void WakeMainThread() = 0;
};
void SetMainThreadDispatcher(TMainThreadDispatcher* dispatcher);

// The thread that runs the program's main loop: the one that started the program, unless set.
std::thread::id MainThreadID();
void SetMainThreadID(std::thread::id id);
bool IsMainThread();

// Runs the calls queued by Synchronize and Queue; waits up to timeoutMs for one to arrive. Call it on
// the main thread only. Answers whether anything ran.
bool CheckSynchronize(int timeoutMs = 0);

using TThreadMethod = std::function<void()>;

class TThread : public TObject {
  KIV_CLASS(TThread, TObject)
 public:
  explicit TThread(bool createSuspended);
  // Terminates and waits for a running thread. A descendant whose Execute uses its own members must
  // do the same in its destructor (or use FreeOnTerminate): they are gone by the time this runs.
  ~TThread() override;

  // Starts a thread created suspended; a second start raises EThread "Thread already started".
  void Start();
  void Terminate();
  bool GetTerminated() const { return terminated_.load(); }
  bool GetFinished() const { return finished_.load(); }
  bool GetStarted() const { return started_; }
  // Waits for the end of Execute and answers ReturnValue. On the main thread it keeps running queued
  // Synchronize calls meanwhile, so a worker waiting for the main thread cannot deadlock it.
  // Raises EThread when the thread waits for itself or was never started.
  int WaitFor();
  bool GetFreeOnTerminate() const { return freeOnTerminate_; }
  void SetFreeOnTerminate(bool free) { freeOnTerminate_ = free; }
  int GetReturnValue() const { return returnValue_.load(); }
  // The exception that ended Execute, if one did.
  std::exception_ptr GetFatalException() const { return fatalException_; }

  // Runs on the main thread after Execute (through Synchronize).
  TNotifyEvent OnTerminate;

  // Runs method on the main thread and waits for it; an exception it raises comes back to the
  // caller. On the main thread it runs at once.
  static void Synchronize(TThread* thread, const TThreadMethod& method);
  // Runs method on the main thread later, without waiting.
  static void Queue(TThread* thread, const TThreadMethod& method);
  // Drops the queued calls of a thread that goes away.
  static void RemoveQueuedEvents(TThread* thread);

 protected:
  virtual void Execute() = 0;
  virtual void DoTerminate();
  virtual void TerminatedSet() {}
  bool Terminated() const { return terminated_.load(); }
  void SetReturnValue(int value) { returnValue_.store(value); }
  void Synchronize(const TThreadMethod& method) { Synchronize(this, method); }
  void Queue(const TThreadMethod& method) { Queue(this, method); }

 private:
  void Run();
  int Wait();

  std::thread thread_;
  bool started_ = false;
  bool freeOnTerminate_ = false;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<int> returnValue_{0};
  std::exception_ptr fatalException_;
  std::mutex mutex_;
  std::condition_variable finishedCv_;
};

class TCriticalSection : public TObject {
  KIV_CLASS(TCriticalSection, TObject)
 public:
  void Acquire() { mutex_.lock(); }
  void Release() { mutex_.unlock(); }
  void Enter() { Acquire(); }
  void Leave() { Release(); }
  bool TryEnter() { return mutex_.try_lock(); }

 private:
  std::recursive_mutex mutex_;
};

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };
constexpr Cardinal INFINITE = 0xFFFFFFFF;

class TEvent : public TObject {
  KIV_CLASS(TEvent, TObject)
 public:
  explicit TEvent(bool manualReset = true, bool initialState = false)
      : manualReset_(manualReset), signaled_(initialState) {}
  void SetEvent();
  void ResetEvent();
  // An auto-reset event lets one waiter through and resets itself.
  TWaitResult WaitFor(Cardinal timeoutMs = INFINITE);

 private:
  bool manualReset_;
  bool signaled_;
  std::mutex mutex_;
  std::condition_variable cv_;
};

class TSimpleEvent : public TEvent {
  KIV_CLASS(TSimpleEvent, TEvent)
 public:
  TSimpleEvent() : TEvent(true, false) {}
};
