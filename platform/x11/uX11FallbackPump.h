// The fallback event source. Hosts are meant to call effEditIdle every few
// tens of milliseconds, but some never do. This thread watches the time of the
// last Idle; while Idle stays away for longer than `staleMs` it runs the pump
// itself every tick, holding the platform's UI lock. It touches nothing of
// Xlib or the framework without that lock, and never blocks on it: when the
// host's thread is busy in the framework (a modal loop pumps there) it simply
// waits for the next tick. Once the host calls Idle again it falls silent.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace qvt {

class TX11Platform;

class TX11FallbackPump {
public:
  TX11FallbackPump(TX11Platform& platform, unsigned staleMs, unsigned tickMs = 15);
  ~TX11FallbackPump();
  TX11FallbackPump(const TX11FallbackPump&) = delete;
  TX11FallbackPump& operator=(const TX11FallbackPump&) = delete;

private:
  void Run();

  TX11Platform& FPlatform;
  const unsigned FStaleMs;
  const unsigned FTickMs;
  std::mutex FLock;
  std::condition_variable FWake;
  bool FStop = false;
  std::thread FThread;
};

} // namespace qvt
