// What the editor costs the host: setParameter latency on a non-UI thread
// while the editor's UI thread runs a modal message box, against the same
// with no editor open, and the editor's CPU use while it sits idle.
// Needs an X display:  xvfb-run -a build/release/bench/editor/editor_threads
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tools/qvt/PluginHost.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TLatency {
  double P50, P99, Max;
};

// `calls` setParameter calls from a thread of their own, each timed.
TLatency MeasureSetParameter(AEffect* fx, int calls) {
  std::vector<double> us(static_cast<std::size_t>(calls));
  std::thread worker([&] {
    for (int i = 0; i < calls; ++i) {
      const auto start = Clock::now();
      fx->setParameter(fx, 1 + i % 3, static_cast<float>(i % 128) / 127.0f);
      us[static_cast<std::size_t>(i)] =
          std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    }
  });
  worker.join();
  std::sort(us.begin(), us.end());
  return {us[us.size() / 2], us[us.size() * 99 / 100], us.back()};
}

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

bool WaitFor(Display* x, const std::function<bool()>& done) {
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (Clock::now() < deadline) {
    XSync(x, False);
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

int ViewableChildren(Display* x, Window w) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  int viewable = 0;
  if (XQueryTree(x, w, &root, &parent, &children, &count)) {
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes a{};
      if (XGetWindowAttributes(x, children[i], &a) && a.map_state == IsViewable) ++viewable;
    }
    if (children) XFree(children);
  }
  return viewable;
}

} // namespace

int main() {
  Display* x = XOpenDisplay(nullptr);
  if (!x) {
    std::fprintf(stderr, "needs an X display: run it under xvfb-run -a\n");
    return 1;
  }
  std::string error;
  auto plugin = qvt::THostedPlugin::Load(QVT_PLUGIN_PATH, error);
  if (!plugin) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  AEffect* fx = plugin->Effect();
  plugin->RecordAutomation = false;
  plugin->RecordRequests = false;
  constexpr int kCalls = 100000;

  const TLatency closed = MeasureSetParameter(fx, kCalls);

  const Window host = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 640, 360, 0, 0, 0);
  XMapWindow(x, host);
  XSync(x, False);
  fx->dispatcher(fx, effEditOpen, 0, 0, reinterpret_cast<void*>(host), 0.0f);
  if (!WaitFor(x, [&] { return ViewableChildren(x, host) > 0; })) {
    std::fprintf(stderr, "the editor did not appear\n");
    return 1;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500)); // first paint done
  const double cpuBefore = ProcessCpuSeconds();
  const auto idleStart = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(5));
  const double idleShare = (ProcessCpuSeconds() - cpuBefore) /
                           std::chrono::duration<double>(Clock::now() - idleStart).count();

  // A message box: the manual cannot be opened when no opener is on the PATH.
  char folder[] = "/tmp/qvt-bench-XXXXXX";
  setenv("PATH", mkdtemp(folder), 1);
  const int topLevels = ViewableChildren(x, DefaultRootWindow(x));
  XTestFakeMotionEvent(x, DefaultScreen(x), 500, 218, CurrentTime);
  XTestFakeButtonEvent(x, 1, True, CurrentTime);
  XTestFakeButtonEvent(x, 1, False, CurrentTime);
  if (!WaitFor(x, [&] { return ViewableChildren(x, DefaultRootWindow(x)) > topLevels; })) {
    std::fprintf(stderr, "no message box appeared\n");
    return 1;
  }
  const TLatency boxOpen = MeasureSetParameter(fx, kCalls);
  fx->dispatcher(fx, effEditClose, 0, 0, nullptr, 0.0f);
  rmdir(folder);

  std::printf("setParameter on a non-UI thread, %d calls (microseconds):\n", kCalls);
  std::printf("  no editor open          p50 %.2f  p99 %.2f  max %.1f\n", closed.P50, closed.P99,
              closed.Max);
  std::printf("  message box open        p50 %.2f  p99 %.2f  max %.1f\n", boxOpen.P50,
              boxOpen.P99, boxOpen.Max);
  std::printf("editor open and idle: %.3f %% of a core\n", idleShare * 100.0);
  plugin.reset();
  XDestroyWindow(x, host);
  XCloseDisplay(x);
  return 0;
}
