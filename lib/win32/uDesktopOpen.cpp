// The shell's "open" verb: documents with their program, web pages in the browser.
#include "lib/uDesktopOpen.h"

#include <windows.h>

#include <shellapi.h>

#include "lib/uFileIo.h"
#include "lib/win32/uWideText.h"

namespace qvt {

TDesktopOpenResult DesktopOpen(const std::string& target, double /*patience*/) {
  SetLastError(ERROR_SUCCESS);
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result > 32) return {true, {}};
  // Results of 32 or less are error codes; the thread's last error is the precise one.
  DWORD error = GetLastError();
  if (error == ERROR_SUCCESS) error = result == 0 ? ERROR_OUTOFMEMORY : static_cast<DWORD>(result);
  return {false, SystemErrorText(static_cast<int>(error))};
}

} // namespace qvt
