#include "platform/x11/uX11UiThread.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "platform/core/uApplication.h"
#include "platform/core/uMessageBox.h"
#include "platform/core/uMessageForm.h"
#include "platform/core/uSystemMessageBox.h"
#include "platform/x11/uX11Platform.h"

namespace qvt {

namespace {

class TX11UiThread : public TUiRuntime {
public:
  TX11UiThread();
  ~TX11UiThread() override;

  // Starts the thread and its platform; false when there is no display.
  bool Start();
  // Ends the thread: the tasks still waiting are dropped.
  void Stop();

  bool Call(const std::function<void()>& work, unsigned timeoutMs) override;
  void Post(std::function<void()> work) override;
  void Wake() override;
  bool OnUiThread() const override { return std::this_thread::get_id() == FThreadId.load(); }

private:
  enum TState : std::uint8_t { tsWaiting, tsRunning, tsDone, tsDropped };
  struct TTask {
    std::function<void()> Work;
    TState State = tsWaiting;
  };

  void Run(std::promise<bool>& started);
  void RunTasks();
  void Enqueue(const std::shared_ptr<TTask>& task);

  int FWakeFd = -1;
  std::thread FThread;
  std::atomic<std::thread::id> FThreadId{};
  std::atomic<bool> FStop{false};
  std::mutex FLock; // guards the queue and the tasks' states, never held while work runs
  std::condition_variable FChanged;
  std::deque<std::shared_ptr<TTask>> FTasks;
};

TX11UiThread::TX11UiThread() { FWakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }

TX11UiThread::~TX11UiThread() {
  Stop();
  if (FWakeFd >= 0) ::close(FWakeFd);
}

bool TX11UiThread::Start() {
  if (FWakeFd < 0) return false;
  std::promise<bool> started;
  std::future<bool> result = started.get_future();
  FThread = std::thread([this, &started] { Run(started); });
  if (result.get()) return true;
  FThread.join();
  return false;
}

void TX11UiThread::Stop() {
  if (!FThread.joinable()) return;
  FStop = true;
  Wake();
  if (OnUiThread())
    FThread.detach(); // cannot happen through the bridge; never join oneself
  else
    FThread.join();
}

void TX11UiThread::Wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(FWakeFd, &one, sizeof one);
}

void TX11UiThread::Enqueue(const std::shared_ptr<TTask>& task) {
  {
    std::lock_guard lock(FLock);
    FTasks.push_back(task);
  }
  Wake();
}

bool TX11UiThread::Call(const std::function<void()>& work, unsigned timeoutMs) {
  if (OnUiThread()) {
    work();
    return true;
  }
  auto task = std::make_shared<TTask>();
  task->Work = work;
  Enqueue(task);
  std::unique_lock lock(FLock);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  if (!FChanged.wait_until(lock, deadline, [&] { return task->State != tsWaiting; })) {
    task->State = tsDropped;
    return false;
  }
  FChanged.wait(lock, [&] { return task->State == tsDone; });
  return true;
}

void TX11UiThread::Post(std::function<void()> work) {
  auto task = std::make_shared<TTask>();
  task->Work = std::move(work);
  Enqueue(task);
}

void TX11UiThread::RunTasks() {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t got = ::read(FWakeFd, &count, sizeof count);
  for (;;) {
    std::shared_ptr<TTask> task;
    {
      std::lock_guard lock(FLock);
      while (!FTasks.empty() && !task) {
        task = std::move(FTasks.front());
        FTasks.pop_front();
        if (task->State == tsDropped) task.reset();
      }
      if (!task) return;
      task->State = tsRunning;
    }
    try {
      task->Work();
    } catch (...) {
      // The work reports its own failures; nothing escapes the UI thread.
    }
    {
      std::lock_guard lock(FLock);
      task->State = tsDone;
    }
    FChanged.notify_all();
  }
}

void TX11UiThread::Run(std::promise<bool>& started) {
  FThreadId = std::this_thread::get_id();
  std::unique_ptr<TX11Platform> platform;
  try {
    platform = std::make_unique<TX11Platform>();
  } catch (...) {
    FThreadId = std::thread::id();
    started.set_value(false);
    return;
  }
  platform->SetWakeSource(FWakeFd, [this] { RunTasks(); });
  // Boxes shown on this thread are drawn; other threads get the system's box.
  TScopedMessageBoxHandler boxes([this](const TMessageBoxRequest& request) {
    if (OnUiThread()) return ShowDrawnMessageBox(request);
    return ShowSystemMessageBox(request);
  });
  started.set_value(true);
  while (!FStop) {
    try {
      Application->HandleMessage();
    } catch (...) {
      // The pump's own handlers report what they catch; this only keeps the thread alive.
    }
  }
  {
    std::lock_guard lock(FLock);
    for (const auto& task : FTasks) task->State = tsDropped;
    FTasks.clear();
  }
  FChanged.notify_all();
  platform.reset();
  FThreadId = std::thread::id();
}

// The one UI thread of the process, created and destroyed under one lock so
// that two never run at once (each installs itself as the application's platform).
struct TSingleton {
  std::recursive_mutex Lock; // a failed start frees the thread while it is held
  std::weak_ptr<TX11UiThread> Current;
  ~TSingleton() {
    // Unloading the library with an editor still open: the thread must not outlive its code.
    std::lock_guard lock(Lock);
    if (auto thread = Current.lock()) thread->Stop();
  }
};

TSingleton& Singleton() {
  static TSingleton singleton;
  return singleton;
}

} // namespace

std::shared_ptr<TUiRuntime> AcquireX11UiThread() {
  TSingleton& singleton = Singleton();
  std::lock_guard lock(singleton.Lock);
  if (auto running = singleton.Current.lock()) return running;
  auto* thread = new TX11UiThread();
  std::shared_ptr<TX11UiThread> shared(thread, [](TX11UiThread* ending) {
    std::lock_guard lock(Singleton().Lock);
    delete ending;
  });
  if (!thread->Start()) return nullptr;
  singleton.Current = shared;
  return shared;
}

} // namespace qvt
