#include "platform/x11/uX11FallbackPump.h"

#include <chrono>

#include "platform/core/uApplication.h"
#include "platform/x11/uX11Platform.h"

namespace qvt {

TX11FallbackPump::TX11FallbackPump(TX11Platform& platform, unsigned staleMs, unsigned tickMs)
    : FPlatform(platform), FStaleMs(staleMs), FTickMs(tickMs), FThread([this] { Run(); }) {}

TX11FallbackPump::~TX11FallbackPump() {
  {
    std::lock_guard lock(FLock);
    FStop = true;
  }
  FWake.notify_all();
  FThread.join();
}

void TX11FallbackPump::Run() {
  std::unique_lock lock(FLock);
  while (!FWake.wait_for(lock, std::chrono::milliseconds(FTickMs), [this] { return FStop; })) {
    if (FPlatform.NowMs() - FPlatform.LastIdleMs() < FStaleMs) continue;
    // The stop request must not wait for a pump step (a modal loop may run in it).
    lock.unlock();
    {
      std::unique_lock ui(FPlatform.UiLock(), std::try_to_lock);
      if (ui.owns_lock()) Application->ProcessMessages();
    }
    lock.lock();
  }
}

} // namespace qvt
