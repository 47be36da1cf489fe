#include "platform/core/uMessageBox.h"

#include <deque>
#include <mutex>

#include "platform/core/uSystemMessageBox.h"

namespace qvt {

namespace {

constexpr std::size_t kHistoryLength = 16;

// The lock guards the handler and the history, never a box being shown: a box
// on one thread must not hold up a box (or a handler change) on another.
struct TState {
  std::mutex Lock;
  TMessageBoxHandler Handler;
  std::deque<TMessageBoxRequest> History;
};

TState& State() {
  static TState state;
  return state;
}

int DefaultHandler(const TMessageBoxRequest& request) {
  TState& state = State();
  {
    std::lock_guard lock(state.Lock);
    state.History.push_back(request);
    if (state.History.size() > kHistoryLength) state.History.pop_front();
  }
  return ShowSystemMessageBox(request);
}

} // namespace

int PassiveAnswer(unsigned flags) {
  switch (flags & mbButtonsMask) {
  case mbOkCancel: return idCancel;
  case mbYesNo: return idNo;
  default: return idOk;
  }
}

int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  TState& state = State();
  TMessageBoxHandler handler;
  {
    std::lock_guard lock(state.Lock);
    handler = state.Handler;
  }
  const TMessageBoxRequest request{text, caption, flags};
  return handler ? handler(request) : DefaultHandler(request);
}

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler) {
  TState& state = State();
  std::lock_guard lock(state.Lock);
  std::swap(state.Handler, handler);
  return handler;
}

std::vector<TMessageBoxRequest> RecentMessageBoxes() {
  TState& state = State();
  std::lock_guard lock(state.Lock);
  return {state.History.begin(), state.History.end()};
}

} // namespace qvt
