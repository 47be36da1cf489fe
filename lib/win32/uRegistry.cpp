// The settings in the real registry. Texts are UTF-8 inside the program and
// UTF-16 in the registry, so file names with any characters survive the round trip.
#include "lib/uRegistry.h"

#include <windows.h>

#include <cstring>

#include "lib/win32/uWideText.h"

namespace qvt {

namespace {

struct TSplitPath {
  std::wstring Key;
  std::wstring Name;
};

std::optional<TSplitPath> Split(std::string_view path) {
  const auto slash = path.rfind('\\');
  if (slash == std::string_view::npos) return {};
  return TSplitPath{Widen(path.substr(0, slash)), Widen(path.substr(slash + 1))};
}

HKEY RootKey(TRegistryRoot root) {
  switch (root) {
  case TRegistryRoot::CurrentUser: break;
  }
  return HKEY_CURRENT_USER;
}

class TKey {
public:
  TKey() = default;
  ~TKey() {
    if (Key) RegCloseKey(Key);
  }
  TKey(const TKey&) = delete;
  TKey& operator=(const TKey&) = delete;
  HKEY Key = nullptr;
};

bool Write(TRegistryRoot root, std::string_view path, DWORD type, const void* data, DWORD size) {
  const auto split = Split(path);
  if (!split) return false;
  TKey key;
  if (RegCreateKeyExW(RootKey(root), split->Key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, &key.Key, nullptr) != ERROR_SUCCESS)
    return false;
  return RegSetValueExW(key.Key, split->Name.c_str(), 0, type, static_cast<const BYTE*>(data),
                        size) == ERROR_SUCCESS;
}

// The value's bytes when it exists and has the wanted type.
std::optional<std::string> Read(TRegistryRoot root, std::string_view path, DWORD wantedType) {
  const auto split = Split(path);
  if (!split) return {};
  TKey key;
  if (RegOpenKeyExW(RootKey(root), split->Key.c_str(), 0, KEY_READ, &key.Key) != ERROR_SUCCESS)
    return {};
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key.Key, split->Name.c_str(), nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      type != wantedType)
    return {};
  std::string bytes(size, '\0');
  if (RegQueryValueExW(key.Key, split->Name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(bytes.data()), &size) != ERROR_SUCCESS ||
      type != wantedType)
    return {};
  bytes.resize(size);
  return bytes;
}

} // namespace

std::string RegistryStoreFile() { return {}; } // the registry is no file

bool RegWriteText(TRegistryRoot root, std::string_view path, std::string_view text) {
  const std::wstring wide = Widen(text);
  const auto size = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)); // with its zero
  return Write(root, path, REG_SZ, wide.c_str(), size);
}

bool RegWriteNumber(TRegistryRoot root, std::string_view path, std::uint32_t value) {
  const DWORD number = value;
  return Write(root, path, REG_DWORD, &number, sizeof number);
}

std::string RegReadText(TRegistryRoot root, std::string_view path) {
  const auto bytes = Read(root, path, REG_SZ);
  if (!bytes) return {};
  std::wstring_view wide(reinterpret_cast<const wchar_t*>(bytes->data()),
                         bytes->size() / sizeof(wchar_t));
  if (const auto zero = wide.find(L'\0'); zero != std::wstring_view::npos)
    wide = wide.substr(0, zero); // without the terminating zero (and anything after it)
  return Narrow(wide);
}

std::uint32_t RegReadNumber(TRegistryRoot root, std::string_view path) {
  const auto bytes = Read(root, path, REG_DWORD);
  if (!bytes || bytes->size() != sizeof(DWORD)) return 0;
  DWORD number = 0;
  std::memcpy(&number, bytes->data(), sizeof number);
  return number;
}

} // namespace qvt
