// Linux: without a display connection the text stays inside the process.
#include "platform/core/uSystemClipboard.h"

#include <mutex>

namespace qvt {

namespace {

struct TProcessClipboard {
  std::mutex Lock;
  std::optional<std::string> Text;
};

TProcessClipboard& ProcessClipboard() {
  static TProcessClipboard clipboard;
  return clipboard;
}

} // namespace

void SetSystemClipboardText(std::string_view text) {
  std::lock_guard lock(ProcessClipboard().Lock);
  ProcessClipboard().Text = std::string(text);
}

std::optional<std::string> SystemClipboardText() {
  std::lock_guard lock(ProcessClipboard().Lock);
  return ProcessClipboard().Text;
}

} // namespace qvt
