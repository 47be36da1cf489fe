#include "platform/core/uClipboard.h"

#include <optional>

#include "platform/core/uApplication.h"
#include "platform/core/uPlatform.h"
#include "platform/core/uSystemClipboard.h"

namespace qvt {

// A backend without a clipboard of its own shares the system's.
void TPlatform::SetClipboardText(std::string_view text) { SetSystemClipboardText(text); }

std::optional<std::string> TPlatform::ClipboardText() { return SystemClipboardText(); }

} // namespace qvt

void SetClipboardText(std::string_view text) {
  if (qvt::TPlatform* platform = Application->Platform()) {
    platform->SetClipboardText(text);
    return;
  }
  qvt::SetSystemClipboardText(text);
}

std::string GetClipboardText() {
  if (qvt::TPlatform* platform = Application->Platform())
    return platform->ClipboardText().value_or(std::string());
  return qvt::SystemClipboardText().value_or(std::string());
}

bool ClipboardHasText() {
  if (qvt::TPlatform* platform = Application->Platform())
    return platform->ClipboardText().has_value();
  return qvt::SystemClipboardText().has_value();
}
