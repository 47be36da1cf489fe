// Linux has no system message box outside a display: the box becomes a line
// on standard error and the answer is the one that changes nothing.
#include "platform/core/uSystemMessageBox.h"

#include <cstdio>

#include "lib/uCodePage.h"

namespace qvt {

namespace {

const char* IconWord(unsigned flags) {
  switch (flags & mbIconMask) {
  case mbIconError: return "error";
  case mbIconQuestion: return "question";
  case mbIconWarning: return "warning";
  case mbIconInformation: return "information";
  default: return "message";
  }
}

} // namespace

int ShowSystemMessageBox(const TMessageBoxRequest& request) {
  std::fprintf(stderr, "[%s] %s: %s\n", IconWord(request.Flags),
               Win1252ToUtf8(request.Caption).c_str(), Win1252ToUtf8(request.Text).c_str());
  return PassiveAnswer(request.Flags);
}

} // namespace qvt
