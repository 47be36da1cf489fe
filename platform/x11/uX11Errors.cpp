#include <mutex>
#include <vector>

#include "platform/x11/uX11Internal.h"

namespace qvt {

namespace {

struct TErrorState {
  std::mutex Lock;
  std::vector<std::pair<Display*, unsigned long>> Displays; // ours, with their error counts
  XErrorHandler Previous = nullptr;
  bool Installed = false;
};

TErrorState& State() {
  static TErrorState state;
  return state;
}

int OnError(Display* display, XErrorEvent* error) {
  TErrorState& state = State();
  XErrorHandler previous = nullptr;
  {
    std::lock_guard lock(state.Lock);
    for (auto& [ours, count] : state.Displays)
      if (ours == display) {
        ++count;
        return 0;
      }
    previous = state.Previous;
  }
  return previous ? previous(display, error) : 0;
}

} // namespace

void AttachErrorHandler(Display* display) {
  TErrorState& state = State();
  std::lock_guard lock(state.Lock);
  state.Displays.emplace_back(display, 0);
  if (!state.Installed) {
    state.Previous = XSetErrorHandler(OnError);
    state.Installed = true;
  }
}

void DetachErrorHandler(Display* display) {
  TErrorState& state = State();
  std::lock_guard lock(state.Lock);
  std::erase_if(state.Displays, [display](const auto& entry) { return entry.first == display; });
  if (state.Displays.empty() && state.Installed) {
    // Put the previous handler back unless someone replaced ours meanwhile.
    XErrorHandler current = XSetErrorHandler(state.Previous);
    if (current != OnError) XSetErrorHandler(current);
    state.Installed = false;
    state.Previous = nullptr;
  }
}

unsigned long ErrorCount(Display* display) {
  TErrorState& state = State();
  std::lock_guard lock(state.Lock);
  for (const auto& [ours, count] : state.Displays)
    if (ours == display) return count;
  return 0;
}

} // namespace qvt
