#include "platform/core/uMessageBox.h"

#include <mutex>

#include "platform/core/uSystemMessageBox.h"

namespace qvt {

namespace {

// The lock guards the handler, never a box being shown: a box on one thread
// must not hold up a box (or a handler change) on another.
struct TState {
  std::mutex Lock;
  TMessageBoxHandler Handler;
};

TState& State() {
  static TState state;
  return state;
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
  return handler ? handler(request) : ShowSystemMessageBox(request);
}

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler) {
  TState& state = State();
  std::lock_guard lock(state.Lock);
  std::swap(state.Handler, handler);
  return handler;
}

} // namespace qvt
