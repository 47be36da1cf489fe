// The file version of the library's own version resource.
#include <windows.h>

#include <cstddef>
#include <cstring>

#include "lib/uVersion.h"
#include "lib/win32/uOwnModule.h"

namespace qvt {

TVersion ModuleVersion() {
  // VS_VERSIONINFO: three WORDs, the key "VS_VERSION_INFO" with its zero,
  // padding to 32 bits, then the fixed file information.
  constexpr std::size_t kFixedAt = (6 + sizeof L"VS_VERSION_INFO" + 3) & ~std::size_t{3};
  const HMODULE module = OwnModule();
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));
  HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
  const auto* data = loaded ? static_cast<const std::byte*>(LockResource(loaded)) : nullptr;
  if (!data || SizeofResource(module, info) < kFixedAt + sizeof(VS_FIXEDFILEINFO))
    return ProductVersion();
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, data + kFixedAt, sizeof fixed);
  if (fixed.dwSignature != 0xFEEF04BD) return ProductVersion();
  return {static_cast<int>(HIWORD(fixed.dwFileVersionMS)),
          static_cast<int>(LOWORD(fixed.dwFileVersionMS)),
          static_cast<int>(HIWORD(fixed.dwFileVersionLS)),
          static_cast<int>(LOWORD(fixed.dwFileVersionLS))};
}

} // namespace qvt
