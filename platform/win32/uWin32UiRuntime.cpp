#include "platform/win32/uWin32UiRuntime.h"

#include <windows.h>
#include <objbase.h>

#include <mutex>

#include "platform/core/uApplication.h"
#include "platform/core/uMessageBox.h"
#include "platform/core/uMessageForm.h"
#include "platform/core/uSystemMessageBox.h"
#include "platform/win32/uWin32Platform.h"

namespace qvt {

namespace {

class TWin32UiRuntime : public TInlineUiRuntime {
public:
  TWin32UiRuntime()
      : FCom(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)), // the file dialogs need it
        FPlatform(std::make_unique<TWin32Platform>()),
        // Boxes shown on this thread while an editor is open are drawn
        // (closing the editor can end them); the others are the system's.
        FBoxes([this](const TMessageBoxRequest& request) {
          if (OnUiThread() && Application->Handle) return ShowDrawnMessageBox(request);
          return ShowSystemMessageBox(request);
        }) {}
  ~TWin32UiRuntime() override {
    FPlatform.reset();
    if (SUCCEEDED(FCom) && OnUiThread()) CoUninitialize();
  }

  bool Call(const std::function<void()>& work, unsigned timeoutMs) override {
    const bool ran = TInlineUiRuntime::Call(work, timeoutMs);
    // What the work left (new timers, paint, posted calls) is taken up soon.
    FPlatform->RequestPump();
    return ran;
  }
  void Post(std::function<void()> work) override {
    TInlineUiRuntime::Post(std::move(work));
    FPlatform->RequestPump();
  }
  void Wake() override { FPlatform->RequestPump(); }

private:
  HRESULT FCom;
  std::unique_ptr<TWin32Platform> FPlatform;
  TScopedMessageBoxHandler FBoxes;
};

// The runtime stays from the first editor until the library unloads: a host
// may close the last editor, or the plug-in, from inside a loop of ours (a
// message box, the pattern editor), and the backend must outlive that loop.
// Its window classes go when the library unloads.
struct TSingleton {
  std::mutex Lock;
  std::shared_ptr<TWin32UiRuntime> Current;
};

TSingleton& Singleton() {
  static TSingleton singleton;
  return singleton;
}

} // namespace

std::shared_ptr<TUiRuntime> AcquireWin32UiRuntime() {
  TSingleton& singleton = Singleton();
  std::lock_guard lock(singleton.Lock);
  if (singleton.Current) return singleton.Current;
  std::shared_ptr<TWin32UiRuntime> runtime;
  try {
    runtime = std::make_shared<TWin32UiRuntime>();
  } catch (...) {
    return nullptr;
  }
  singleton.Current = runtime;
  return runtime;
}

} // namespace qvt
