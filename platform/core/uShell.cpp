#include "platform/core/uShell.h"

#include "lib/uCodePage.h"
#include "lib/uDesktopOpen.h"
#include "lib/uGlobals.h"
#include "platform/core/uApplication.h"
#include "platform/core/uMessageBox.h"
#include "platform/core/uPlatform.h"

namespace {

// The format with its first "%s" replaced; the rest of the text stays as written.
std::string Filled(const std::string& format, const std::string& value) {
  const auto at = format.find("%s");
  if (at == std::string::npos) return format;
  return format.substr(0, at) + value + format.substr(at + 2);
}

// The installed platform opens the target (so that a headless editor records
// it); without one the desktop's opener does. Answers the error text, empty
// on success.
std::string Open(const std::string& target) {
  if (Application && Application->Platform())
    return Application->Platform()->ShellOpen(target);
  const qvt::TDesktopOpenResult result = qvt::DesktopOpen(target);
  return result.Succeeded ? std::string() : result.ErrorText;
}

} // namespace

bool ShellOpen(const std::string& target, const std::string& messageFormat) {
  const std::string error = Open(target);
  if (error.empty()) return true;
  const std::string text = Filled(messageFormat, qvt::Utf8ToWin1252(target)) + "\r\n" +
                           Filled("Error: %s.", qvt::Utf8ToWin1252(error));
  qvt::ShowMessageBox(text, qvt::kMessageCaption, qvt::mbOk | qvt::mbIconError);
  return false;
}
