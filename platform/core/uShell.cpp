#include "platform/core/uShell.h"

#include "lib/uCodePage.h"
#include "lib/uDesktopOpen.h"
#include "lib/uGlobals.h"
#include "platform/core/uMessageBox.h"

namespace {

// The format with its first "%s" replaced; the rest of the text stays as written.
std::string Filled(const std::string& format, const std::string& value) {
  const auto at = format.find("%s");
  if (at == std::string::npos) return format;
  return format.substr(0, at) + value + format.substr(at + 2);
}

} // namespace

bool ShellOpen(const std::string& target, const std::string& messageFormat) {
  const qvt::TDesktopOpenResult result = qvt::DesktopOpen(target);
  if (result.Succeeded) return true;
  const std::string text = Filled(messageFormat, qvt::Utf8ToWin1252(target)) + "\r\n" +
                           Filled("Error: %s.", qvt::Utf8ToWin1252(result.ErrorText));
  qvt::ShowMessageBox(text, qvt::kMessageCaption, qvt::mbOk | qvt::mbIconError);
  return false;
}
