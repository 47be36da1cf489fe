#include "lib/uResourceError.h"

#include <windows.h>

#include "lib/uFileIo.h"

namespace qvt {

// FindResource, LoadResource and LockResource leave the reason in the thread's last error.
std::string ResourceErrorText(const char* /*type*/, const char* /*name*/) {
  DWORD error = GetLastError();
  if (error == ERROR_SUCCESS) error = ERROR_RESOURCE_DATA_NOT_FOUND;
  return SystemErrorText(static_cast<int>(error));
}

} // namespace qvt
