// The real Windows message box, with the caption, icon and buttons asked for.
#include "platform/core/uSystemMessageBox.h"

#include <windows.h>

#include "lib/uCodePage.h"
#include "lib/win32/uWideText.h"

namespace qvt {

// The flag values are the system's own (MB_OK, MB_ICONERROR, …). There is no
// window to own the box yet, so it is modal to every window of the host's thread.
int ShowSystemMessageBox(const TMessageBoxRequest& request) {
  const UINT style =
      (request.Flags & (mbButtonsMask | mbIconMask)) | MB_TASKMODAL | MB_SETFOREGROUND;
  const int answer = MessageBoxW(nullptr, Widen(Win1252ToUtf8(request.Text)).c_str(),
                                 Widen(Win1252ToUtf8(request.Caption)).c_str(), style);
  return answer != 0 ? answer : PassiveAnswer(request.Flags); // 0: the box could not be shown
}

} // namespace qvt
