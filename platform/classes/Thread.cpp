// TThread, the main-thread queue behind Synchronize and Queue, and the synchronisation objects.
#include "platform/classes/Thread.h"

#include <chrono>
#include <deque>
#include <memory>

namespace {
struct SyncRequest {
  TThread* thread;
  TThreadMethod method;
  bool wait;
  bool done = false;
  std::exception_ptr error;
};

struct SyncQueue {
  std::mutex mutex;
  // Signalled when a request arrives and when a thread finishes, so a waiting main thread wakes for both.
  std::condition_variable cv;
  std::deque<std::shared_ptr<SyncRequest>> requests;
  std::condition_variable doneCv;
  unsigned long wakeups = 0;  // counts finished threads, so a waiting main thread notices them
  TMainThreadDispatcher* dispatcher = nullptr;
  std::thread::id mainThread = std::this_thread::get_id();
};

SyncQueue& Sync() {
  static SyncQueue queue;
  return queue;
}

// The program's first thread initialises statics: that is the main thread unless someone says otherwise.
const bool kMainThreadNoted = [] {
  Sync();
  return true;
}();

void Post(const std::shared_ptr<SyncRequest>& request) {
  SyncQueue& q = Sync();
  TMainThreadDispatcher* dispatcher;
  {
    std::lock_guard lock(q.mutex);
    q.requests.push_back(request);
    dispatcher = q.dispatcher;
  }
  q.cv.notify_all();
  if (dispatcher) dispatcher->WakeMainThread();
}

void WakeWaiters() {
  SyncQueue& q = Sync();
  {
    std::lock_guard lock(q.mutex);
    ++q.wakeups;
  }
  q.cv.notify_all();
}
}  // namespace

void SetMainThreadDispatcher(TMainThreadDispatcher* dispatcher) {
  SyncQueue& q = Sync();
  std::lock_guard lock(q.mutex);
  q.dispatcher = dispatcher;
}

std::thread::id MainThreadID() {
  SyncQueue& q = Sync();
  std::lock_guard lock(q.mutex);
  return q.mainThread;
}

void SetMainThreadID(std::thread::id id) {
  SyncQueue& q = Sync();
  std::lock_guard lock(q.mutex);
  q.mainThread = id;
}

bool IsMainThread() { return std::this_thread::get_id() == MainThreadID(); }

bool CheckSynchronize(int timeoutMs) {
  SyncQueue& q = Sync();
  std::deque<std::shared_ptr<SyncRequest>> batch;
  {
    std::unique_lock lock(q.mutex);
    unsigned long seen = q.wakeups;
    if (q.requests.empty() && timeoutMs > 0)
      q.cv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                    [&] { return !q.requests.empty() || q.wakeups != seen; });
    batch.swap(q.requests);
  }
  if (batch.empty()) return false;
  for (auto& request : batch) {
    try {
      request->method();
    } catch (...) {
      request->error = std::current_exception();
    }
    if (request->wait) {
      // The waiting worker keeps the last reference, so the request (and an exception in it) ends
      // on the worker's side.
      std::lock_guard lock(q.mutex);
      request->done = true;
      request.reset();
    }
  }
  q.doneCv.notify_all();
  return true;
}

// ---- TThread ----

TThread::TThread(bool createSuspended) {
  if (!createSuspended) Start();
}

TThread::~TThread() {
  if (thread_.joinable()) {
    if (thread_.get_id() == std::this_thread::get_id()) {
      thread_.detach();
    } else {
      Terminate();
      Wait();
    }
  }
  RemoveQueuedEvents(this);
}

void TThread::Start() {
  if (started_) throw EThread(u"Thread already started");
  started_ = true;
  std::lock_guard lock(mutex_);
  thread_ = std::thread([this] { Run(); });
}

void TThread::Terminate() {
  terminated_.store(true);
  TerminatedSet();
}

void TThread::Run() {
  // Start() holds the lock until thread_ is set, which the destructor of a self-freeing thread reads.
  { std::lock_guard lock(mutex_); }
  try {
    Execute();
  } catch (...) {
    fatalException_ = std::current_exception();
  }
  try {
    DoTerminate();
  } catch (...) {
    if (!fatalException_) fatalException_ = std::current_exception();
  }
  bool freeIt = freeOnTerminate_;
  {
    std::lock_guard lock(mutex_);
    finished_.store(true);
  }
  finishedCv_.notify_all();
  WakeWaiters();
  if (freeIt) delete this;
}

void TThread::DoTerminate() {
  if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

int TThread::WaitFor() {
  if (!started_) throw EThread(u"Cannot wait for a thread that was not started");
  if (freeOnTerminate_) throw EThread(u"Cannot wait for a thread that frees itself");
  if (std::this_thread::get_id() == thread_.get_id()) throw EThread(u"A thread cannot wait for itself");
  return Wait();
}

int TThread::Wait() {
  if (IsMainThread()) {
    // Keep serving Synchronize calls: the worker may be waiting for us.
    while (!finished_.load()) CheckSynchronize(50);
    CheckSynchronize(0);
  } else {
    std::unique_lock lock(mutex_);
    finishedCv_.wait(lock, [this] { return finished_.load(); });
  }
  if (thread_.joinable()) thread_.join();
  return returnValue_.load();
}

void TThread::Synchronize(TThread* thread, const TThreadMethod& method) {
  if (IsMainThread()) {
    method();
    return;
  }
  auto request = std::make_shared<SyncRequest>(SyncRequest{thread, method, true, false, nullptr});
  Post(request);
  SyncQueue& q = Sync();
  {
    std::unique_lock lock(q.mutex);
    q.doneCv.wait(lock, [&] { return request->done; });
  }
  if (request->error) std::rethrow_exception(request->error);
}

void TThread::Queue(TThread* thread, const TThreadMethod& method) {
  if (IsMainThread()) {
    method();
    return;
  }
  Post(std::make_shared<SyncRequest>(SyncRequest{thread, method, false, false, nullptr}));
}

void TThread::RemoveQueuedEvents(TThread* thread) {
  SyncQueue& q = Sync();
  std::lock_guard lock(q.mutex);
  std::erase_if(q.requests, [thread](const auto& r) { return r->thread == thread && !r->wait; });
}

// ---- TEvent ----

// Notifies under the lock: a waiter that wakes may free the event at once.
void TEvent::SetEvent() {
  std::lock_guard lock(mutex_);
  signaled_ = true;
  if (manualReset_)
    cv_.notify_all();
  else
    cv_.notify_one();
}

void TEvent::ResetEvent() {
  std::lock_guard lock(mutex_);
  signaled_ = false;
}

TWaitResult TEvent::WaitFor(Cardinal timeoutMs) {
  std::unique_lock lock(mutex_);
  auto ready = [this] { return signaled_; };
  if (timeoutMs == INFINITE)
    cv_.wait(lock, ready);
  else if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
    return wrTimeout;
  if (!manualReset_) signaled_ = false;
  return wrSignaled;
}
