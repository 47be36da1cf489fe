// The editor's user-interface runtime: the thread where forms live, and the
// way other threads hand work to it.
//
// On Linux the X11 backend runs one UI thread for the whole process (the first
// editor that opens starts it, the last one that closes ends it). Hosts whose
// GUI thread is the UI thread (Windows) and the headless backend run work
// inline. The plug-in's entry point chooses the provider; without one the
// program has no editor windows.
#pragma once

#include <functional>
#include <memory>
#include <thread>

namespace qvt {

class TUiRuntime {
public:
  virtual ~TUiRuntime() = default;
  // Runs `work` on the UI thread and waits for it. Answers false when the UI
  // thread did not start it within `timeoutMs`; the work is then dropped and
  // never runs. Work that has started is always waited for.
  virtual bool Call(const std::function<void()>& work, unsigned timeoutMs) = 0;
  // Runs `work` on the UI thread soon; never waits.
  virtual void Post(std::function<void()> work) = 0;
  // Any thread; never blocks and never allocates: makes the UI thread run the
  // application's poll handlers soon (TApplication::AddPollHandler).
  virtual void Wake() = 0;
  virtual bool OnUiThread() const = 0;
};

using TUiRuntimeProvider = std::shared_ptr<TUiRuntime> (*)();

// Any thread. A null provider means no editor windows.
void SetUiRuntimeProvider(TUiRuntimeProvider provider);
// The shared runtime, started when needed; null when there is none (no
// provider, or no display).
std::shared_ptr<TUiRuntime> AcquireUiRuntime();

// The runtime of a thread that is its own UI thread: Call runs the work at
// once, Post queues it as a call of the application. OnUiThread is true on
// the thread that created it.
class TInlineUiRuntime : public TUiRuntime {
public:
  bool Call(const std::function<void()>& work, unsigned timeoutMs) override;
  void Post(std::function<void()> work) override;
  void Wake() override {} // the thread pumps by itself and runs the handlers then
  bool OnUiThread() const override { return std::this_thread::get_id() == FThread; }

private:
  std::thread::id FThread = std::this_thread::get_id();
};

} // namespace qvt
