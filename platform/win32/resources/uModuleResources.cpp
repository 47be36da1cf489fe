// Data packed into the library as real resources (see resources/CMakeLists.txt),
// looked up in the library's own module. On failure the thread's last error
// says why (qvt::ResourceErrorText reads it).
#include <windows.h>

#include "lib/uGlobals.h"
#include "lib/win32/uOwnModule.h"

TResourceData FindResourceData(const char* type, const char* name) {
  if (type == nullptr || name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return {};
  }
  const HMODULE module = qvt::OwnModule();
  HRSRC info = FindResourceA(module, name, type);
  if (!info) return {};
  const DWORD size = SizeofResource(module, info);
  if (size == 0) return {};
  HGLOBAL loaded = LoadResource(module, info);
  if (!loaded) return {};
  const void* data = LockResource(loaded);
  if (!data) {
    SetLastError(ERROR_RESOURCE_FAILED);
    return {};
  }
  // Resources stay mapped for as long as the module is loaded.
  return {static_cast<const std::uint8_t*>(data), size};
}
