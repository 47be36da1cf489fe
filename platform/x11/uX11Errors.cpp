#include <mutex>
#include <vector>

#include "platform/x11/uX11Internal.h"

namespace qvt {

namespace {

// The handler is installed once, when our first connection opens, and stays
// (a host may have installed its own above it meanwhile, which uninstalling
// would undo). Only unloading the library puts the previous one back, and
// only while ours is still the current one.
struct TErrorState {
  std::mutex Lock;
  std::vector<std::pair<Display*, unsigned long>> Displays; // ours, with their error counts
  XErrorHandler Previous = nullptr;
  bool Installed = false;
  ~TErrorState();
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

TErrorState::~TErrorState() {
  if (!Installed) return;
  XErrorHandler current = XSetErrorHandler(Previous);
  if (current != OnError) XSetErrorHandler(current);
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
}

unsigned long ErrorCount(Display* display) {
  TErrorState& state = State();
  std::lock_guard lock(state.Lock);
  for (const auto& [ours, count] : state.Displays)
    if (ours == display) return count;
  return 0;
}

} // namespace qvt
