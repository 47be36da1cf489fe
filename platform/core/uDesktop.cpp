#include "platform/core/uDesktop.h"

#include "platform/core/uApplication.h"

namespace qvt {

std::optional<std::string> RunFileDialog(const TFileDialogRequest& request) {
  return Application->RequirePlatform().FileDialog(request);
}

std::string OpenWithShell(std::string_view target) {
  return Application->RequirePlatform().ShellOpen(target);
}

void PlaySystemSound(std::string_view eventName) {
  if (TPlatform* platform = Application->Platform()) platform->PlaySystemSound(eventName);
}

} // namespace qvt
