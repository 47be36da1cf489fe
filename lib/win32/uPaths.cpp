// The plug-in's folders on Windows: the library's own file name from its module
// handle, folders with backslashes, the per-user folder under %APPDATA%.
#include "lib/uPaths.h"

#include <windows.h>

#include <filesystem>
#include <system_error>

#include "lib/win32/uWideText.h"

namespace qvt {

namespace {

constexpr const wchar_t* kAppFolder = L"Quivertone\\";

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

std::string AppDataFolder() {
  wchar_t value[MAX_PATH * 2] = {};
  const DWORD length = GetEnvironmentVariableW(L"APPDATA", value, MAX_PATH * 2);
  if (length == 0 || length >= MAX_PATH * 2) return {};
  std::wstring folder(value, length);
  if (folder.back() != L'\\') folder += L'\\';
  return Narrow(folder + kAppFolder);
}

// Both sub-folders made (when missing) under `base` and writable there.
bool UsableBase(const std::string& base) {
  if (base.empty()) return false;
  for (const char* name : {"Banks\\", "Patterns\\"})
    if (!ForceDirectories(base + name) || !FolderIsWritable(base + name)) return false;
  return true;
}

} // namespace

std::string ModuleFileName() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(&ModuleFileName), &module))
    return {};
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) {
      name.resize(length);
      return Narrow(name);
    }
    name.resize(name.size() * 2); // cut off: try a larger buffer
  }
}

// Up to and including the last backslash, slash or drive colon.
std::string FolderOfFile(const std::string& fileName) {
  const auto at = fileName.find_last_of("\\/:");
  return at == std::string::npos ? std::string() : fileName.substr(0, at + 1);
}

std::string UserConfigFolder() { return AppDataFolder(); }
std::string UserDataFolder() { return AppDataFolder(); }

bool ForceDirectories(const std::string& folder) {
  if (folder.empty()) return false;
  const std::filesystem::path path(Widen(folder));
  std::error_code error;
  std::filesystem::create_directories(path, error);
  return std::filesystem::is_directory(path, error);
}

// Writable when a file can be created in it.
bool FolderIsWritable(const std::string& folder) {
  if (folder.empty()) return false;
  const std::wstring probe = Widen(WithBackslash(folder)) + L"~qvt-probe-" +
                             std::to_wstring(GetCurrentProcessId()) + L".tmp";
  const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TPluginFolders PluginFolders(const std::string& moduleFolder, const std::string& userDataFolder) {
  const std::string folder = WithBackslash(moduleFolder);
  std::string base = folder;
  if (!UsableBase(base)) {
    base = WithBackslash(userDataFolder);
    UsableBase(base); // failing to create the folders is not reported
  }
  return {base + "Banks\\", base + "Patterns\\", folder + "Help.html"};
}

} // namespace qvt
