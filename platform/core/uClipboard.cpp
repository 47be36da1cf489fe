#include "platform/core/uClipboard.h"

#include <mutex>
#include <optional>

#include "platform/core/uApplication.h"
#include "platform/core/uPlatform.h"

namespace {

struct TInProcessClipboard {
  std::mutex Lock;
  std::optional<std::string> Text;
};

TInProcessClipboard& InProcess() {
  static TInProcessClipboard clipboard;
  return clipboard;
}

} // namespace

namespace qvt {

void TPlatform::SetClipboardText(std::string_view text) {
  std::lock_guard lock(InProcess().Lock);
  InProcess().Text = std::string(text);
}

std::optional<std::string> TPlatform::ClipboardText() {
  std::lock_guard lock(InProcess().Lock);
  return InProcess().Text;
}

} // namespace qvt

void SetClipboardText(std::string_view text) {
  if (qvt::TPlatform* platform = Application->Platform()) {
    platform->SetClipboardText(text);
    return;
  }
  std::lock_guard lock(InProcess().Lock);
  InProcess().Text = std::string(text);
}

std::string GetClipboardText() {
  if (qvt::TPlatform* platform = Application->Platform())
    return platform->ClipboardText().value_or(std::string());
  std::lock_guard lock(InProcess().Lock);
  return InProcess().Text.value_or(std::string());
}

bool ClipboardHasText() {
  if (qvt::TPlatform* platform = Application->Platform())
    return platform->ClipboardText().has_value();
  std::lock_guard lock(InProcess().Lock);
  return InProcess().Text.has_value();
}
